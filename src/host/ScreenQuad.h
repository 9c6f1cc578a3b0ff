#pragma once
// The pre-transformed screen quad of the loading screen and the overlay.
#include <cstdint>

struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t nColor;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "screen vertex layout");

constexpr uint32_t kScreenVertexFvf = 0x144;  // XYZRHW | DIFFUSE | TEX1

// Vertices 0..3: left bottom, left top, right bottom, right top.
void WriteInitialScreenQuad(ScreenVertex* pVertices);
// Places the quad at (x, y, w, h), fractions of the viewport (vx, vy, vw, vh).
void PlaceScreenQuad(ScreenVertex* pVertices, uint32_t nColor, float vx, float vy, float vw,
                     float vh, float x, float y, float w, float h);
