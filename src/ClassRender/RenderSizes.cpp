#include "ClassRender/RenderSizes.h"

#include "base/Log.h"

void ReportRenderError(const char* pszMessage, int nLine) {
    LogMessage(LogPath(), "***ERROR!!! %s\n", pszMessage);
    LogMessage(LogPath(), "[ %s %d ]\n", ".\\Cordelune\\src\\ClassRender\\RenderTypes", nLine);
}

uint32_t RACalculateVertexSize(uint32_t nCount, uint32_t nFvf, uint32_t* pnStride, uint32_t* pnSize) {
    if (nCount == 0) {
        ReportRenderError("RACalculateVertexSize m_nCount==0", 13);
        return 1;
    }
    uint32_t nStride = 0;
    switch (nFvf) {
    case kFvfMesh: nStride = 20; break;
    case kFvfColored: nStride = 24; break;
    case kFvfTwoSets: nStride = 28; break;
    default:
        ReportRenderError("CALCULATE_VERTEX_SIZE unknow format vertex", 19);
        return 1;
    }
    if (nCount > UINT32_MAX / nStride) {  // would wrap the 32-bit size
        ReportRenderError("CALCULATE_VERTEX_SIZE unknow format vertex", 19);
        return 1;
    }
    *pnStride = nStride;
    *pnSize = nCount * nStride;
    return 0;
}

uint32_t RACalculateFaceSize(uint32_t nCount, uint32_t nFormat, uint32_t nPrimitiveType,
                             uint32_t* pnSize) {
    if (nCount == 0) {
        ReportRenderError("RACalculateFaceSize m_nCount==0", 27);
        return 1;
    }
    uint64_t nIndexSize = 0;
    switch (nFormat) {
    case kIndex16: nIndexSize = 2; break;
    case kIndex32: nIndexSize = 4; break;
    default:
        ReportRenderError("CALCULATE_FACE_SIZE unknow format face", 34);
        return 1;
    }
    uint64_t nSize = 0;
    switch (nPrimitiveType) {
    case kTriangleList: nSize = uint64_t(nCount) * nIndexSize * 3; break;
    case kTriangleStrip:
    case kTriangleFan: nSize = (uint64_t(nCount) + 2) * nIndexSize; break;
    default:
        ReportRenderError("CALCULATE_FACE_SIZE unknow format face", 40);
        return 1;
    }
    if (nSize > UINT32_MAX) {
        ReportRenderError("CALCULATE_FACE_SIZE unknow format face", 40);
        return 1;
    }
    *pnSize = uint32_t(nSize);
    return 0;
}

void WriteQuadIndices(uint16_t* pIndices, uint32_t nQuads) {
    for (uint32_t i = 0; i < nQuads; ++i) {
        const uint16_t n = uint16_t(4 * i);
        uint16_t* p = pIndices + 6 * i;
        p[0] = n; p[1] = uint16_t(n + 1); p[2] = uint16_t(n + 2);
        p[3] = n; p[4] = uint16_t(n + 2); p[5] = uint16_t(n + 3);
    }
}
