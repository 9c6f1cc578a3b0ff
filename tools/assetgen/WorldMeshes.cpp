#include "WorldMeshes.h"

#include <cmath>

namespace assetgen {

void AddFacing(MeshData& m, uint16_t a, uint16_t b, uint16_t c, Vec3 towards) {
    const auto& f = m.frames[0];
    const MeshCorner& ca = m.corners[a];
    const MeshCorner& cb = m.corners[b];
    const MeshCorner& cc = m.corners[c];
    const Vec3 n = Cross(f[cb.nPosition] - f[ca.nPosition], f[cc.nPosition] - f[ca.nPosition]);
    // Clockwise on screen (kept) when the face normal points at the viewer.
    if (Dot(n, towards) >= 0)
        m.AddTriangle(a, b, c);
    else
        m.AddTriangle(a, c, b);
}

namespace {

constexpr float kDeg = kPi / 180.f;

Vec3 Centroid(const MeshData& m, uint16_t a, uint16_t b, uint16_t c) {
    const auto& f = m.frames[0];
    return (f[m.corners[a].nPosition] + f[m.corners[b].nPosition] + f[m.corners[c].nPosition]) * (1.f / 3.f);
}

// Seen from the centre of the world (the sky view has no translation).
void AddInward(MeshData& m, uint16_t a, uint16_t b, uint16_t c) {
    AddFacing(m, a, b, c, Centroid(m, a, b, c) * -1.f);
}

// Joins two closed rings of corners of any counts with a strip of triangles.
void JoinRings(MeshData& m, const std::vector<uint16_t>& inner, const std::vector<uint16_t>& outer) {
    const size_t ni = inner.size(), no = outer.size();
    size_t i = 0, o = 0;
    while (i < ni || o < no) {
        // Advance on the ring whose next vertex lies at the smaller angle.
        const float ti = float(i + 1) / float(ni), to = float(o + 1) / float(no);
        if (o >= no || (i < ni && ti <= to)) {
            AddInward(m, inner[i % ni], inner[(i + 1) % ni], outer[o % no]);
            ++i;
        } else {
            AddInward(m, inner[i % ni], outer[(o + 1) % no], outer[o % no]);
            ++o;
        }
    }
}

}  // namespace

MeshData BuildSkyMesh() {
    MeshData m;
    m.frames.resize(1);
    // Rings closer together near the horizon, where the gradient changes fastest.
    const float rings[10] = {74, 56, 38, 22, 10, 2, -8, -24, -46, -68};
    const int segments = 12;
    auto vOf = [](float elevation) { return (0.5f + 255.f * (90.f - elevation) / 180.f) / 256.f; };
    auto add = [&](float elevation, float azimuth) {
        const float ce = std::cos(elevation * kDeg), se = std::sin(elevation * kDeg);
        const Vec3 p{kSkyRadius * ce * std::cos(azimuth), kSkyRadius * se, kSkyRadius * ce * std::sin(azimuth)};
        return m.AddCorner(m.AddPosition(p), {0.5f, vOf(elevation)});
    };
    const uint16_t top = add(90, 0);
    std::vector<std::vector<uint16_t>> ring(10);
    for (int r = 0; r < 10; ++r)
        for (int s = 0; s < segments; ++s) ring[size_t(r)].push_back(add(rings[r], 2 * kPi * s / segments));
    const uint16_t bottom = add(-90, 0);
    for (int s = 0; s < segments; ++s) AddInward(m, top, ring[0][size_t(s)], ring[0][size_t((s + 1) % segments)]);
    for (int r = 0; r + 1 < 10; ++r) JoinRings(m, ring[size_t(r)], ring[size_t(r + 1)]);
    for (int s = 0; s < segments; ++s) AddInward(m, bottom, ring[9][size_t(s)], ring[9][size_t((s + 1) % segments)]);
    return m;
}

MeshData BuildCloudMesh(int layer) {
    // A shallow cone from the zenith (or nadir) down to the horizon, its rim
    // hidden in the horizon line, with the texture laid flat on it (u along
    // x). The camera sits on the axis and only turns, so what it sees is the
    // cone's direction-to-texture map. Every ring has the same number of
    // corners on the cone's straight generators: two neighbouring generators
    // span one plane through the apex, so each wedge is flat, the planar
    // mapping is exact on it, and neighbouring wedges meet at an angle too
    // small to bend the texture or change its mip level visibly.
    struct Cap {
        float height, outerRadius, outerHeight, tile;
    };
    const Cap caps[3] = {
        {26.f, 285.f, -2.0f, 95.f},    // 1: soft clouds close above
        {-34.f, 290.f, -1.0f, 120.f},  // 2: the sea of clouds below
        {62.f, 295.f, -2.5f, 230.f},   // 3: high streaks
    };
    const Cap& c = caps[(layer < 1 ? 1 : layer > 3 ? 3 : layer) - 1];
    MeshData m;
    m.frames.resize(1);
    auto add = [&](Vec3 p) { return m.AddCorner(m.AddPosition(p), {0.5f + p.x / c.tile, 0.5f + p.z / c.tile}); };
    const uint16_t centre = add({0, c.height, 0});
    std::vector<std::vector<uint16_t>> rings(kCloudRings);
    for (int r = 0; r < kCloudRings; ++r) {
        // Rings closer together towards the rim, where the cone is seen flattest.
        const float f = std::sqrt(float(r + 1) / float(kCloudRings));
        const float radius = c.outerRadius * f, height = c.height + (c.outerHeight - c.height) * f;
        for (int i = 0; i < kCloudSegments; ++i) {
            const float a = 2 * kPi * float(i) / float(kCloudSegments);
            rings[size_t(r)].push_back(add({radius * std::cos(a), height, radius * std::sin(a)}));
        }
    }
    for (int i = 0; i < kCloudSegments; ++i) {
        const size_t j = size_t(i), k = size_t((i + 1) % kCloudSegments);
        AddInward(m, centre, rings[0][j], rings[0][k]);
        for (size_t r = 0; r + 1 < rings.size(); ++r) {
            AddInward(m, rings[r][j], rings[r + 1][j], rings[r + 1][k]);
            AddInward(m, rings[r][j], rings[r + 1][k], rings[r][k]);
        }
    }
    return m;
}

namespace {

// Quad centred on the origin in the xy plane, facing -z (towards the camera
// when placed with an inverse view matrix); 8 texture coordinates, 4 used.
MeshData Quad(int frames) {
    MeshData m;
    m.frames.resize(size_t(frames));
    const Vec2 uv[4] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    const Vec3 p[4] = {{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}};
    for (int i = 0; i < 4; ++i) m.AddCorner(m.AddPosition(p[i]), uv[i]);
    for (int i = 0; i < 4; ++i) m.texCoords.push_back(uv[i]);  // a second set, unused
    AddFacing(m, 0, 1, 2, {0, 0, -1});
    AddFacing(m, 0, 2, 3, {0, 0, -1});
    return m;
}

}  // namespace

MeshData BuildSunMesh() {
    MeshData m = Quad(kSunFrames);
    const float half = 46.f;
    const std::vector<Vec3> base = m.frames[0];
    for (int f = 0; f < kSunFrames; ++f) {
        const float t = float(f) / float(kSunFrames);  // frame 721 would equal frame 0
        // One ray period (30 degrees) a loop, and two slow breaths.
        const float angle = t * (2 * kPi / 12.f);
        const float size = half * (1.f + 0.05f * std::sin(t * 4 * kPi));
        for (int i = 0; i < 4; ++i) {
            const Vec3 corner = base[size_t(i)];
            const float x = corner.x * std::cos(angle) - corner.y * std::sin(angle);
            const float y = corner.x * std::sin(angle) + corner.y * std::cos(angle);
            m.frames[size_t(f)][size_t(i)] = {x * size, y * size, 0};
        }
    }
    return m;
}

MeshData BuildGlowMesh() {
    MeshData m = Quad(1);
    for (Vec3& p : m.frames[0]) p = p * 0.4f;
    return m;
}

}  // namespace assetgen
