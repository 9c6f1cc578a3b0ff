#include "ClassRender/ModelFile.h"

#include <cstring>

namespace {

// A bounds-checked little-endian reader over the entry.
class CReader {
public:
    CReader(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(pData ? nSize : 0) {}
    bool Has(uint64_t nBytes) const { return nBytes <= m_nSize - m_nPos; }
    size_t Remaining() const { return m_nSize - m_nPos; }
    bool U32(uint32_t& v) {
        if (!Has(4)) return false;
        v = uint32_t(m_pData[m_nPos]) | uint32_t(m_pData[m_nPos + 1]) << 8 |
            uint32_t(m_pData[m_nPos + 2]) << 16 | uint32_t(m_pData[m_nPos + 3]) << 24;
        m_nPos += 4;
        return true;
    }
    bool Floats(std::vector<float>& out, size_t nOffset, uint64_t nCount) {
        if (nCount > (m_nSize - m_nPos) / 4) return false;
        out.resize(nOffset + size_t(nCount));
        for (uint64_t i = 0; i < nCount; ++i) {
            uint32_t bits = 0;
            U32(bits);
            std::memcpy(&out[nOffset + size_t(i)], &bits, 4);
        }
        return true;
    }
    bool U16s(std::vector<uint16_t>& out, uint64_t nCount) {
        if (nCount > (m_nSize - m_nPos) / 2) return false;
        out.resize(size_t(nCount));
        for (uint64_t i = 0; i < nCount; ++i, m_nPos += 2)
            out[size_t(i)] = uint16_t(m_pData[m_nPos] | m_pData[m_nPos + 1] << 8);
        return true;
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
};

bool IndicesBelow(const std::vector<uint16_t>& a, size_t nFirst, size_t nStride, uint32_t nLimit) {
    for (size_t i = nFirst; i < a.size(); i += nStride)
        if (a[i] >= nLimit) return false;
    return true;
}

}  // namespace

uint64_t MeshFileSize(uint64_t F, uint64_t V, uint64_t T, uint64_t C, uint64_t N) {
    return 4 + F * (4 + 12 * V) + 4 + 8 * T + 4 + 4 * C + 4 + 6 * N;
}

namespace {

bool ParseMeshInto(const uint8_t* pData, size_t nSize, MeshData& out) {
    CReader in(pData, nSize);
    uint32_t F = 0;
    if (!in.U32(F) || F == 0) return false;
    for (uint32_t f = 0; f < F; ++f) {
        uint32_t V = 0;
        if (!in.U32(V)) return false;
        if (f == 0) {
            // The whole frame table must fit before anything is allocated.
            const uint64_t nFrameBytes = 4 + 12 * uint64_t(V);
            if (!in.Has(12 * uint64_t(V)) ||
                uint64_t(F) - 1 > (in.Remaining() - 12 * uint64_t(V)) / nFrameBytes)
                return false;
            out.nVertexCount = V;
            out.aPositions.reserve(size_t(F) * V * 3);
        } else if (V != out.nVertexCount) {
            return false;
        }
        if (!in.Floats(out.aPositions, out.aPositions.size(), uint64_t(V) * 3)) return false;
    }
    out.nFrameCount = F;
    uint32_t T = 0, C = 0, N = 0;
    if (!in.U32(T) || !in.Floats(out.aTexCoords, 0, uint64_t(T) * 2)) return false;
    if (!in.U32(C) || !in.U16s(out.aCorners, uint64_t(C) * 2)) return false;
    if (!in.U32(N) || !in.U16s(out.aTriangles, uint64_t(N) * 3)) return false;
    return IndicesBelow(out.aCorners, 0, 2, out.nVertexCount) &&
           IndicesBelow(out.aCorners, 1, 2, T) && IndicesBelow(out.aTriangles, 0, 1, C);
}

}  // namespace

bool ParseMesh(const uint8_t* pData, size_t nSize, MeshData& out) {
    out = MeshData();
    if (ParseMeshInto(pData, nSize, out)) return true;
    // Nothing of a damaged entry is kept: a caller that draws what it got
    // must not find counts without the data behind them.
    out = MeshData();
    return false;
}

bool ParseCameraPath(const uint8_t* pData, size_t nSize, CameraKeys& out) {
    out = CameraKeys();
    CReader in(pData, nSize);
    uint32_t K = 0;
    if (!in.U32(K) || !in.Has(uint64_t(K) * 24)) return false;
    std::vector<float> keys;
    in.Floats(keys, 0, uint64_t(K) * 6);
    out.aEyes.resize(size_t(K) * 3);
    out.aTargets.resize(size_t(K) * 3);
    for (size_t k = 0; k < K; ++k)
        for (int c = 0; c < 3; ++c) {
            out.aEyes[k * 3 + c] = keys[k * 6 + c] * kCameraPathScale;
            out.aTargets[k * 3 + c] = keys[k * 6 + 3 + c] * kCameraPathScale;
        }
    return true;
}
