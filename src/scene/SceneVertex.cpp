#include "scene/SceneVertex.h"

uint32_t WhiteWithAlpha(float fAlpha) {
    int32_t nAlpha = int32_t(fAlpha * 255.0f);
    if (nAlpha < 0) nAlpha = 0;
    if (nAlpha > 255) nAlpha = 255;
    return (uint32_t(nAlpha) << 24) | 0x00FFFFFFu;
}
