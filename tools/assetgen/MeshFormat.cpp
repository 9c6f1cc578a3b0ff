#include "MeshFormat.h"

#include <cstring>

namespace assetgen {

constexpr float kPathUnit = 24.0f;

uint16_t MeshData::AddPosition(Vec3 p) {
    for (auto& f : frames) f.push_back(p);
    return uint16_t(frames[0].size() - 1);
}

uint16_t MeshData::AddCorner(uint16_t position, Vec2 uv) {
    texCoords.push_back(uv);
    corners.push_back({position, uint16_t(texCoords.size() - 1)});
    return uint16_t(corners.size() - 1);
}

size_t RAMeshFileSize(size_t frames, size_t vertices, size_t texCoords, size_t corners, size_t triangles) {
    return 4 + frames * (4 + 12 * vertices) + 4 + 8 * texCoords + 4 + 4 * corners + 4 + 6 * triangles;
}

namespace {

void PutU32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void PutU16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void PutF32(Bytes& b, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PutU32(b, v);
}

class CReader {
public:
    explicit CReader(const Bytes& b) : m_Data(b) {}
    bool U32(uint32_t& v) {
        if (m_nPos + 4 > m_Data.size()) return false;
        v = uint32_t(m_Data[m_nPos]) | uint32_t(m_Data[m_nPos + 1]) << 8 |
            uint32_t(m_Data[m_nPos + 2]) << 16 | uint32_t(m_Data[m_nPos + 3]) << 24;
        m_nPos += 4;
        return true;
    }
    bool U16(uint16_t& v) {
        if (m_nPos + 2 > m_Data.size()) return false;
        v = uint16_t(m_Data[m_nPos] | m_Data[m_nPos + 1] << 8);
        m_nPos += 2;
        return true;
    }
    bool F32(float& f) {
        uint32_t v;
        if (!U32(v)) return false;
        std::memcpy(&f, &v, 4);
        return true;
    }
    // A count that cannot exceed what is left at 'unit' bytes each.
    bool Count(uint32_t& n, size_t unit) { return U32(n) && size_t(n) * unit <= m_Data.size() - m_nPos; }
    bool AtEnd() const { return m_nPos == m_Data.size(); }

private:
    const Bytes& m_Data;
    size_t m_nPos = 0;
};

}  // namespace

Bytes EncodeMesh(const MeshData& mesh) {
    Bytes b;
    b.reserve(RAMeshFileSize(mesh.frames.size(), mesh.VertexCount(), mesh.texCoords.size(),
                             mesh.corners.size(), mesh.triangles.size()));
    PutU32(b, uint32_t(mesh.frames.size()));
    for (const auto& f : mesh.frames) {
        PutU32(b, uint32_t(f.size()));
        for (const Vec3& p : f) {
            PutF32(b, p.x);
            PutF32(b, p.y);
            PutF32(b, p.z);
        }
    }
    PutU32(b, uint32_t(mesh.texCoords.size()));
    for (const Vec2& t : mesh.texCoords) {
        PutF32(b, t.x);
        PutF32(b, t.y);
    }
    PutU32(b, uint32_t(mesh.corners.size()));
    for (const MeshCorner& c : mesh.corners) {
        PutU16(b, c.nPosition);
        PutU16(b, c.nTexCoord);
    }
    PutU32(b, uint32_t(mesh.triangles.size()));
    for (const MeshTriangle& t : mesh.triangles) {
        PutU16(b, t.a);
        PutU16(b, t.b);
        PutU16(b, t.c);
    }
    return b;
}

bool DecodeMesh(const Bytes& data, MeshData& mesh) {
    mesh = MeshData{};
    CReader r(data);
    uint32_t frames = 0;
    if (!r.Count(frames, 4) || frames == 0) return false;
    mesh.frames.resize(frames);
    for (auto& f : mesh.frames) {
        uint32_t v = 0;
        if (!r.Count(v, 12)) return false;
        if (&f != &mesh.frames[0] && v != mesh.frames[0].size()) return false;
        f.resize(v);
        for (Vec3& p : f)
            if (!r.F32(p.x) || !r.F32(p.y) || !r.F32(p.z)) return false;
    }
    uint32_t n = 0;
    if (!r.Count(n, 8)) return false;
    mesh.texCoords.resize(n);
    for (Vec2& t : mesh.texCoords)
        if (!r.F32(t.x) || !r.F32(t.y)) return false;
    if (!r.Count(n, 4)) return false;
    mesh.corners.resize(n);
    for (MeshCorner& c : mesh.corners)
        if (!r.U16(c.nPosition) || !r.U16(c.nTexCoord)) return false;
    if (!r.Count(n, 6)) return false;
    mesh.triangles.resize(n);
    for (MeshTriangle& t : mesh.triangles)
        if (!r.U16(t.a) || !r.U16(t.b) || !r.U16(t.c)) return false;
    return r.AtEnd();
}

Bytes EncodeCameraPath(const std::vector<CameraKey>& keys) {
    Bytes b;
    b.reserve(4 + keys.size() * 24);
    PutU32(b, uint32_t(keys.size()));
    for (const CameraKey& k : keys)
        for (float f : {k.eye.x, k.eye.y, k.eye.z, k.target.x, k.target.y, k.target.z})
            PutF32(b, f / kPathUnit);
    return b;
}

bool DecodeCameraPath(const Bytes& data, std::vector<CameraKey>& keys) {
    keys.clear();
    CReader r(data);
    uint32_t n = 0;
    if (!r.Count(n, 24)) return false;
    keys.resize(n);
    for (CameraKey& k : keys) {
        float* f[6] = {&k.eye.x, &k.eye.y, &k.eye.z, &k.target.x, &k.target.y, &k.target.z};
        for (float* p : f) {
            if (!r.F32(*p)) return false;
            *p *= kPathUnit;
        }
    }
    return r.AtEnd();
}

}  // namespace assetgen
