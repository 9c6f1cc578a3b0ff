#pragma once
// Vertex of the textured quad batches (particles, text grid): vertex format
// 322, position, diffuse colour, one texture coordinate pair.
#include <cstdint>

struct ColorTexVertex {
    float x, y, z;
    uint32_t nColor;
    float u, v;
};
static_assert(sizeof(ColorTexVertex) == 24, "format 322 has a 24-byte stride");

constexpr uint32_t kColorTexVertexFvf = 322;  // XYZ | DIFFUSE | TEX1

// ARGB white with the alpha fAlpha * 255 (truncated, kept within 0..255).
uint32_t WhiteWithAlpha(float fAlpha);

// 16-bit indices reach 65536 vertices, four per quad.
constexpr uint32_t kMaxQuads = 16384;
