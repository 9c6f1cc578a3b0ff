#pragma once
// Size rules of the render buffers: the closed set of vertex and face formats
// the saver draws with.
#include <cstdint>

constexpr uint32_t kFvfMesh = 258;      // XYZ | TEX1: x, y, z, u, v
constexpr uint32_t kFvfColored = 322;   // XYZ | DIFFUSE | TEX1: x, y, z, colour, u, v
constexpr uint32_t kFvfTwoSets = 514;   // XYZ | TEX2
constexpr uint32_t kIndex16 = 101;      // D3DFMT_INDEX16
constexpr uint32_t kIndex32 = 102;      // D3DFMT_INDEX32
constexpr uint32_t kTriangleList = 4;   // D3DPT_TRIANGLELIST
constexpr uint32_t kTriangleStrip = 5;  // D3DPT_TRIANGLESTRIP
constexpr uint32_t kTriangleFan = 6;    // D3DPT_TRIANGLEFAN

// The two-line error report of the render buffers (message, then source and line).
void ReportRenderError(const char* pszMessage, int nLine);

// 0 on success with stride and size set, 1 on error (reported).
uint32_t RACalculateVertexSize(uint32_t nCount, uint32_t nFvf, uint32_t* pnStride, uint32_t* pnSize);
uint32_t RACalculateFaceSize(uint32_t nCount, uint32_t nFormat, uint32_t nPrimitiveType,
                             uint32_t* pnSize);

// The six indices of quad i: 4i, 4i+1, 4i+2, 4i, 4i+2, 4i+3.
void WriteQuadIndices(uint16_t* pIndices, uint32_t nQuads);
