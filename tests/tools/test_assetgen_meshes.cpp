// Meshes as the saver's model loader reads them: counts, layout, winding.
#include <cmath>

#include "ClassRender/ModelFile.h"
#include "test_assetgen_fixture.h"

namespace {

struct Counts {
    const char* name;
    uint32_t F, V, T, C, N;
};

// Frame, position, texture-coordinate, corner and triangle counts the scene relies on.
const Counts kMeshes[] = {
    {"glow.MODEL", 1, 4, 8, 4, 2},          {"cloud1.MODEL", 1, 577, 577, 577, 1056},
    {"cloud2.MODEL", 1, 577, 577, 577, 1056}, {"cloud3.MODEL", 1, 577, 577, 577, 1056},
    {"arrow.MODEL", 1, 39, 51, 51, 74},     {"sky.MODEL", 1, 122, 122, 122, 240},
    {"sun_outer.model", 721, 4, 8, 4, 2},   {"heart.MODEL", 61, 494, 617, 540, 984},
    {"arrow_link.MODEL", 67, 39, 39, 51, 74}, {"kupidon_idle.MODEL", 26, 1730, 2069, 2069, 3425},
    {"kupidon_idle2.MODEL", 76, 1730, 2069, 2069, 3425}, {"kupidon_achtung.MODEL", 50, 1730, 2069, 2069, 3425},
    {"kupidon_shot.MODEL", 75, 1730, 2069, 2069, 3425},
};

MeshData Load(const char* name) {
    MeshData m;
    const std::vector<uint8_t> data = agtest::Extract(agtest::File("media.rar"), name, nullptr);
    EXPECT_TRUE(ParseMesh(data.data(), data.size(), m)) << name;
    return m;
}

struct V3 {
    float x, y, z;
};
V3 Pos(const MeshData& m, uint32_t frame, uint32_t corner) {
    const uint32_t p = m.aCorners[corner * 2];
    const float* f = &m.aPositions[(size_t(frame) * m.nVertexCount + p) * 3];
    return {f[0], f[1], f[2]};
}
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Kept by the default counter-clockwise culling when seen from 'eye':
// clockwise on screen, that is, the face normal points at the viewer.
bool FacesViewer(const MeshData& m, uint32_t t, V3 eye) {
    const V3 a = Pos(m, 0, m.aTriangles[t * 3]), b = Pos(m, 0, m.aTriangles[t * 3 + 1]), c = Pos(m, 0, m.aTriangles[t * 3 + 2]);
    return Dot(Cross(Sub(b, a), Sub(c, a)), Sub(eye, a)) > 0;
}

TEST(AssetgenMeshes, EveryMeshHasItsCountsAndTheLayoutSize) {
    for (const Counts& c : kMeshes) {
        SCOPED_TRACE(c.name);
        const MeshData m = Load(c.name);
        EXPECT_EQ(m.nFrameCount, c.F);
        EXPECT_EQ(m.nVertexCount, c.V);
        EXPECT_EQ(m.TexCoordCount(), c.T);
        EXPECT_EQ(m.CornerCount(), c.C);
        EXPECT_EQ(m.TriangleCount(), c.N);
        EXPECT_EQ(agtest::Extract(agtest::File("media.rar"), c.name, nullptr).size(), MeshFileSize(c.F, c.V, c.T, c.C, c.N));
        for (float f : m.aPositions) ASSERT_TRUE(std::isfinite(f));
    }
}

TEST(AssetgenMeshes, SkyAndCloudsAreSeenFromTheCentreInsideTheFarPlane) {
    for (const char* name : {"sky.MODEL", "cloud1.MODEL", "cloud2.MODEL", "cloud3.MODEL"}) {
        SCOPED_TRACE(name);
        const MeshData m = Load(name);
        // The sky view has no translation; the sky stands 1.4 up, the clouds 0.2 down.
        const V3 eye = std::string(name) == "sky.MODEL" ? V3{0, -1.4f, 0} : V3{0, 0.2f, 0};
        for (uint32_t t = 0; t < m.TriangleCount(); ++t) EXPECT_TRUE(FacesViewer(m, t, eye)) << "triangle " << t;
        for (uint32_t v = 0; v < m.nVertexCount; ++v) {
            const float* p = &m.aPositions[v * 3];
            EXPECT_LT(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 380.f * 0.85f);
        }
    }
    // The dome closes around the viewer: its lowest and highest points lie on either side.
    const MeshData sky = Load("sky.MODEL");
    float lo = 0, hi = 0;
    for (uint32_t v = 0; v < sky.nVertexCount; ++v) {
        lo = std::min(lo, sky.aPositions[v * 3 + 1]);
        hi = std::max(hi, sky.aPositions[v * 3 + 1]);
    }
    EXPECT_LT(lo, -200.f);
    EXPECT_GT(hi, 200.f);
}

TEST(AssetgenMeshes, SpritesFaceTheCameraAndTheSunLoopsWithoutAJump) {
    // Billboards look along +z, so the camera sits on the -z side of the quad.
    for (const char* name : {"glow.MODEL", "sun_outer.model"}) {
        const MeshData m = Load(name);
        for (uint32_t t = 0; t < m.TriangleCount(); ++t) EXPECT_TRUE(FacesViewer(m, t, {0, 0, -10})) << name;
    }
    const MeshData sun = Load("sun_outer.model");
    auto step = [&](uint32_t a, uint32_t b) {
        float d = 0;
        for (uint32_t c = 0; c < 4; ++c) {
            const V3 p = Pos(sun, a, c), q = Pos(sun, b, c);
            d = std::max(d, std::sqrt(Dot(Sub(p, q), Sub(p, q))));
        }
        return d;
    };
    float largest = 0;
    for (uint32_t f = 0; f + 1 < sun.nFrameCount; ++f) largest = std::max(largest, step(f, f + 1));
    EXPECT_GT(largest, 0.f) << "the sun turns and breathes";
    // The rays repeat every 30 degrees, so the last frame leads into the first
    // when the quad's corners are taken a quarter turn apart.
    const V3 first = Pos(sun, 0, 0), last = Pos(sun, 720, 0);
    const float r0 = std::sqrt(Dot(first, first)), r1 = std::sqrt(Dot(last, last));
    EXPECT_NEAR(r0, r1, largest * 2);
    const float turn = std::atan2(first.y, first.x) - std::atan2(last.y, last.x);
    const float ray = 2 * 3.14159265f / 12;
    EXPECT_NEAR(std::remainder(turn, ray), 0.f, 0.002f);
}

TEST(AssetgenMeshes, ArrowPointsAlongPlusZWithItsHeadInFront) {
    const MeshData m = Load("arrow.MODEL");
    float zmin = 1e9f, zmax = -1e9f;
    for (uint32_t v = 0; v < m.nVertexCount; ++v) {
        zmin = std::min(zmin, m.aPositions[v * 3 + 2]);
        zmax = std::max(zmax, m.aPositions[v * 3 + 2]);
    }
    EXPECT_GT(zmax - zmin, 2.f) << "an arrow about as long as the cupid is tall";
    // The head (wide part at the front) is wider than the shaft; the tip is on the axis.
    float frontWidth = 0;
    for (uint32_t v = 0; v < m.nVertexCount; ++v) {
        const float* p = &m.aPositions[v * 3];
        if (p[2] > zmax - 0.6f) frontWidth = std::max(frontWidth, std::hypot(p[0], p[1]));
        if (p[2] == zmax) {
            EXPECT_NEAR(p[0], 0.f, 1e-4f);
            EXPECT_NEAR(p[1], 0.f, 1e-4f);
        }
    }
    EXPECT_GT(frontWidth, 0.2f);
    // Every triangle of the closed shaft faces outwards or comes in a two-sided pair:
    // no face is lost to culling from any side.
    int visibleFromSide = 0;
    for (uint32_t t = 0; t < m.TriangleCount(); ++t) visibleFromSide += FacesViewer(m, t, {5, 0.5f, 0}) ? 1 : 0;
    EXPECT_GT(visibleFromSide, int(m.TriangleCount()) / 3);
}

}  // namespace
