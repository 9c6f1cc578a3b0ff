#include "host/ScreenQuad.h"

void WriteInitialScreenQuad(ScreenVertex* pVertices) {
    const float aUV[4][2] = {{0.f, 1.f}, {0.f, 0.f}, {1.f, 1.f}, {1.f, 0.f}};
    for (int i = 0; i < 4; ++i)
        pVertices[i] = {0.f, 0.f, 0.99f, 0.5f, 0xFFFFFFFFu, aUV[i][0], aUV[i][1]};
}

void PlaceScreenQuad(ScreenVertex* pVertices, uint32_t nColor, float vx, float vy, float vw,
                     float vh, float x, float y, float w, float h) {
    pVertices[0].x = pVertices[1].x = vx + x * vw;
    pVertices[2].x = pVertices[3].x = vx + (x + w) * vw;
    pVertices[0].y = pVertices[2].y = vy + (y + h) * vh;
    pVertices[1].y = pVertices[3].y = vy + y * vh;
    for (int i = 0; i < 4; ++i) pVertices[i].nColor = nColor;
}
