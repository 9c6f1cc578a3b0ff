// The cupid, the arrow on his bow and the heart: parsed as the saver parses
// them, and checked for layout, placement and smooth animation.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "ArrowArt.h"
#include "ClassRender/ModelFile.h"
#include "cupid/CupidAssets.h"
#include "cupid/Poses.h"

namespace {

using assetgen::Bytes;
using Entries = std::map<std::string, Bytes>;

const Entries& Built() {
    static const Entries entries = [] {
        Entries e;
        const assetgen::MeshData arrow = assetgen::BuildArrowMesh();
        assetgen::cupid::AddCupidEntries(assetgen::cupid::BuildCupidContent(&arrow), e);
        return e;
    }();
    return entries;
}

::MeshData Parse(const std::string& name) {
    ::MeshData m;
    const auto it = Built().find(name);
    EXPECT_NE(it, Built().end()) << name;
    if (it != Built().end()) {
        EXPECT_TRUE(ParseMesh(it->second.data(), it->second.size(), m)) << name;
    }
    return m;
}

struct P3 {
    float x, y, z;
};
P3 At(const ::MeshData& m, uint32_t frame, uint32_t v) {
    const float* p = &m.aPositions[(size_t(frame) * m.nVertexCount + v) * 3];
    return {p[0], p[1], p[2]};
}
float Dist(P3 a, P3 b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)); }

// Largest distance any position moves from frame a to frame b.
float Largest(const ::MeshData& m, uint32_t a, uint32_t b) {
    float d = 0;
    for (uint32_t v = 0; v < m.nVertexCount; ++v) d = std::max(d, Dist(At(m, a, v), At(m, b, v)));
    return d;
}

struct Expect {
    const char* name;
    uint32_t frames;
    bool loops;      // played in a loop (or joined to the other passes), so last to first must be smooth
    float maxStep;   // largest move of any position between neighbouring frames
};
const Expect kBody[] = {
    {"kupidon_idle.MODEL", 26, true, 0.2f},
    {"kupidon_idle2.MODEL", 76, true, 0.2f},
    {"kupidon_achtung.MODEL", 50, true, 0.3f},
    // The string snaps and the drawing hand flies back at the release.
    {"kupidon_shot.MODEL", 75, true, 0.5f},
};

TEST(CupidAssets, EveryMeshParsesWithItsFramesCountsAndLayoutSize) {
    const Expect all[] = {kBody[0], kBody[1], kBody[2], kBody[3], {"arrow_link.MODEL", 67, false, 0.5f},
                          {"heart.MODEL", 61, true, 0.1f}};
    for (const Expect& e : all) {
        SCOPED_TRACE(e.name);
        const ::MeshData m = Parse(e.name);
        ASSERT_EQ(m.nFrameCount, e.frames);
        // The parser only accepts equal position counts in every frame; check them on the bytes too.
        const Bytes& b = Built().at(e.name);
        size_t off = 4;
        for (uint32_t f = 0; f < m.nFrameCount; ++f) {
            ASSERT_LE(off + 4, b.size());
            EXPECT_EQ(uint32_t(b[off] | b[off + 1] << 8 | b[off + 2] << 16 | uint32_t(b[off + 3]) << 24), m.nVertexCount);
            off += 4 + 12 * size_t(m.nVertexCount);
        }
        EXPECT_EQ(b.size(), MeshFileSize(m.nFrameCount, m.nVertexCount, m.TexCoordCount(), m.CornerCount(), m.TriangleCount()));
        for (uint32_t c = 0; c < m.CornerCount(); ++c) {
            ASSERT_LT(m.aCorners[c * 2], m.nVertexCount);
            ASSERT_LT(m.aCorners[c * 2 + 1], m.TexCoordCount());
        }
        for (uint32_t i = 0; i < m.TriangleCount() * 3; ++i) ASSERT_LT(m.aTriangles[i], m.CornerCount());
        for (float f : m.aPositions) ASSERT_TRUE(std::isfinite(f));
        for (float t : m.aTexCoords) {
            ASSERT_GE(t, 0.f);
            ASSERT_LE(t, 1.f);
        }
    }
}

TEST(CupidAssets, TheFourAnimationsShareOneTopologyWithinTheShippedBudgets) {
    const ::MeshData first = Parse(kBody[0].name);
    EXPECT_EQ(first.nVertexCount, 1730u);
    EXPECT_EQ(first.TexCoordCount(), 2069u);
    EXPECT_EQ(first.CornerCount(), 2069u);
    EXPECT_EQ(first.TriangleCount(), 3425u);
    for (const Expect& e : kBody) {
        const ::MeshData m = Parse(e.name);
        EXPECT_EQ(m.aCorners, first.aCorners) << e.name;
        EXPECT_EQ(m.aTriangles, first.aTriangles) << e.name;
        EXPECT_EQ(m.aTexCoords, first.aTexCoords) << e.name;
    }
    const ::MeshData heart = Parse("heart.MODEL");
    EXPECT_EQ(heart.nVertexCount, 494u);
    EXPECT_EQ(heart.CornerCount(), 540u);
    EXPECT_EQ(heart.TriangleCount(), 984u);
}

TEST(CupidAssets, HeIsThreeToFiveUnitsTallAndFacesNegativeX) {
    for (const Expect& e : kBody) {
        SCOPED_TRACE(e.name);
        const ::MeshData m = Parse(e.name);
        for (uint32_t f = 0; f < m.nFrameCount; ++f) {
            float lo = 1e9f, hi = -1e9f, xlo = 1e9f, xhi = -1e9f, zlo = 1e9f, zhi = -1e9f;
            for (uint32_t v = 0; v < m.nVertexCount; ++v) {
                const P3 p = At(m, f, v);
                lo = std::min(lo, p.y), hi = std::max(hi, p.y);
                xlo = std::min(xlo, p.x), xhi = std::max(xhi, p.x);
                zlo = std::min(zlo, p.z), zhi = std::max(zhi, p.z);
            }
            ASSERT_GE(hi - lo, 3.f) << "frame " << f;
            ASSERT_LE(hi - lo, 5.f) << "frame " << f;
            // Wings and bow stay within a few units of his place.
            ASSERT_LT(std::max({-xlo, xhi, -zlo, zhi}), 3.f) << "frame " << f;
        }
    }
    // The face (the nose tip is the forward-most point of the head) looks along -x.
    const ::MeshData idle = Parse(kBody[0].name);
    float headFront = 1e9f, headBack = -1e9f;
    for (uint32_t v = 0; v < idle.nVertexCount; ++v) {
        const P3 p = At(idle, 0, v);
        if (p.y > 1.3f && p.y < 1.8f && std::fabs(p.z) < 0.15f) {
            headFront = std::min(headFront, p.x);
            headBack = std::max(headBack, p.x);
        }
    }
    EXPECT_LT(headFront, -1.0f);
    EXPECT_GT(headBack - headFront, 0.8f);
}

P3 Sub(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P3 Cross(P3 a, P3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Mix(float a, float b, float t) { return a + (b - a) * t; }

// Distance along the ray from o in direction d to triangle (a, b, c), or -1.
float HitDistance(P3 o, P3 d, P3 a, P3 b, P3 c) {
    const P3 e1 = Sub(b, a), e2 = Sub(c, a), p = Cross(d, e2);
    const float det = Dot(e1, p);
    if (std::fabs(det) < 1e-12f) return -1.f;
    const P3 t = Sub(o, a);
    const float u = Dot(t, p) / det;
    if (u < 0 || u > 1) return -1.f;
    const P3 q = Cross(t, e1);
    const float v = Dot(d, q) / det;
    if (v < 0 || u + v > 1) return -1.f;
    return Dot(e2, q) / det;
}

TEST(CupidAssets, TheVisibleSurfaceFacesTheViewerUnderDefaultCulling) {
    // Counter-clockwise culling keeps a face when cross(b - a, c - a) points at
    // the viewer. Looking at him from six sides, the nearest face along every
    // sight line must be such a face (two-sided sheets hold one of each).
    for (const uint32_t frame : {0u, 32u}) {
        const ::MeshData m = Parse(frame == 0 ? kBody[0].name : kBody[3].name);
        std::vector<std::array<P3, 3>> tris;
        P3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        for (uint32_t t = 0; t < m.TriangleCount(); ++t) {
            std::array<P3, 3> v;
            for (int k = 0; k < 3; ++k) {
                v[size_t(k)] = At(m, frame, m.aCorners[m.aTriangles[t * 3 + uint32_t(k)] * 2]);
                lo = {std::min(lo.x, v[size_t(k)].x), std::min(lo.y, v[size_t(k)].y), std::min(lo.z, v[size_t(k)].z)};
                hi = {std::max(hi.x, v[size_t(k)].x), std::max(hi.y, v[size_t(k)].y), std::max(hi.z, v[size_t(k)].z)};
            }
            const P3 n = Cross(Sub(v[1], v[0]), Sub(v[2], v[0]));
            if (Dot(n, n) > 1e-14f) tris.push_back(v);
        }
        int front = 0, back = 0;
        for (int axis = 0; axis < 3; ++axis)
            for (float sign : {-1.f, 1.f}) {
                P3 d{0, 0, 0};
                (axis == 0 ? d.x : axis == 1 ? d.y : d.z) = sign;
                const int grid = 40;
                for (int i = 0; i < grid; ++i)
                    for (int j = 0; j < grid; ++j) {
                        const float a = (float(i) + 0.5f) / grid, b = (float(j) + 0.5f) / grid;
                        P3 o{Mix(lo.x, hi.x, a), Mix(lo.y, hi.y, b), Mix(lo.z, hi.z, a)};
                        if (axis == 0) o = {sign > 0 ? lo.x - 1 : hi.x + 1, Mix(lo.y, hi.y, a), Mix(lo.z, hi.z, b)};
                        if (axis == 1) o = {Mix(lo.x, hi.x, a), sign > 0 ? lo.y - 1 : hi.y + 1, Mix(lo.z, hi.z, b)};
                        if (axis == 2) o = {Mix(lo.x, hi.x, a), Mix(lo.y, hi.y, b), sign > 0 ? lo.z - 1 : hi.z + 1};
                        float best = 1e9f;
                        bool facing = false;
                        for (const auto& t : tris) {
                            const float h = HitDistance(o, d, t[0], t[1], t[2]);
                            if (h <= 0 || h > best + 1e-4f) continue;
                            const bool f = Dot(Cross(Sub(t[1], t[0]), Sub(t[2], t[0])), d) < 0;
                            if (h < best - 1e-4f) facing = f;
                            else facing = facing || f;
                            best = std::min(best, h);
                        }
                        if (best < 1e9f) (facing ? front : back) += 1;
                    }
            }
        EXPECT_GT(front, 2000);
        EXPECT_LT(back, front / 100 + 1) << front << " sight lines end on a kept face, " << back << " on a culled one";
    }
}

TEST(CupidAssets, TheGlowVerticesAreThePalmsInEveryFrame) {
    for (const Expect& e : kBody) {
        SCOPED_TRACE(e.name);
        const ::MeshData m = Parse(e.name);
        ASSERT_GT(m.nVertexCount, 1368u);
        for (uint32_t f = 0; f < m.nFrameCount; ++f) {
            const P3 a = At(m, f, 1348), b = At(m, f, 1368);
            // Left palm on the -z side and the right one on +z while he rests,
            // and never further apart than his arms reach.
            ASSERT_LT(Dist(a, b), 2.2f) << "frame " << f;
            ASSERT_GT(0.5f * (a.y + b.y), -0.6f) << "frame " << f;
            ASSERT_LT(0.5f * (a.y + b.y), 1.6f) << "frame " << f;
        }
        EXPECT_LT(At(m, 0, 1348).z, -0.3f);
        EXPECT_GT(At(m, 0, 1368).z, 0.3f);
    }
}

TEST(CupidAssets, NoAnimationJumpsAndAllPassesJoinAtTheSamePose) {
    for (const Expect& e : kBody) {
        SCOPED_TRACE(e.name);
        const ::MeshData m = Parse(e.name);
        for (uint32_t f = 0; f + 1 < m.nFrameCount; ++f) ASSERT_LT(Largest(m, f, f + 1), e.maxStep) << "frame " << f;
        // The last interpolated step blends into frame 0.
        EXPECT_LT(Largest(m, m.nFrameCount - 1, 0), 0.2f);
    }
    // Every pass starts from the same pose, so any can follow any other.
    const ::MeshData idle = Parse(kBody[0].name);
    for (const Expect& e : kBody) {
        const ::MeshData m = Parse(e.name);
        float d = 0;
        for (uint32_t v = 0; v < m.nVertexCount; ++v) d = std::max(d, Dist(At(m, 0, v), At(idle, 0, v)));
        EXPECT_LT(d, 0.02f) << e.name;
    }
    const ::MeshData heart = Parse("heart.MODEL");
    for (uint32_t f = 0; f < heart.nFrameCount; ++f) ASSERT_LT(Largest(heart, f, (f + 1) % 61), 0.1f) << f;
}

// Points of the arrow's own axis: the centres of the shaft's rings (vertices
// sharing one z whose mean lies on the axis). Returns the lowest and highest.
bool AxisRings(const assetgen::MeshData& arrow, std::vector<uint32_t>& back, std::vector<uint32_t>& front) {
    std::map<float, std::vector<uint32_t>> rings;
    for (uint32_t i = 0; i < arrow.frames[0].size(); ++i) rings[arrow.frames[0][i].z].push_back(i);
    std::vector<std::vector<uint32_t>> axis;
    for (const auto& [z, ids] : rings) {
        if (ids.size() < 3) continue;
        float x = 0, y = 0;
        for (uint32_t i : ids) x += arrow.frames[0][i].x, y += arrow.frames[0][i].y;
        if (std::fabs(x) < 1e-3f * float(ids.size()) && std::fabs(y) < 1e-3f * float(ids.size())) axis.push_back(ids);
    }
    if (axis.size() < 2) return false;
    back = axis.front();
    front = axis.back();
    return true;
}

P3 Mean(const ::MeshData& m, uint32_t frame, const std::vector<uint32_t>& ids) {
    P3 s{0, 0, 0};
    for (uint32_t i : ids) {
        const P3 p = At(m, frame, i);
        s.x += p.x, s.y += p.y, s.z += p.z;
    }
    const float k = 1.f / float(ids.size());
    return {s.x * k, s.y * k, s.z * k};
}

TEST(CupidAssets, TheArrowIsDrawnToTheReleaseLineAndLeavesAtTheReleasePoint) {
    const assetgen::MeshData arrow = assetgen::BuildArrowMesh();
    std::vector<uint32_t> back, front;
    ASSERT_TRUE(AxisRings(arrow, back, front));
    const float zBack = arrow.frames[0][back[0]].z, zFront = arrow.frames[0][front[0]].z;
    const ::MeshData link = Parse("arrow_link.MODEL");
    ASSERT_EQ(link.nVertexCount, arrow.frames[0].size());
    const P3 release{-2.388f, 1.229f, 0.009f};
    // Held at full draw until the release step: along -x, with the arrow's
    // origin where the flying arrow starts, so it leaves without a jump.
    for (uint32_t step : {54u, 58u, 62u, 64u}) {
        const P3 b = Mean(link, step, back), f = Mean(link, step, front);
        const float len = Dist(b, f);
        const P3 d{(f.x - b.x) / len, (f.y - b.y) / len, (f.z - b.z) / len};
        EXPECT_GT(-d.x, 0.995f) << step;
        const P3 origin{b.x - d.x * zBack, b.y - d.y * zBack, b.z - d.z * zBack};
        EXPECT_LT(Dist(origin, release), 0.05f) << step;
        EXPECT_NEAR(len, zFront - zBack, 1e-3f) << "the arrow keeps its size";
    }
    // The arrow on the bow follows the shot smoothly until it is replaced at step 66.
    for (uint32_t s = 0; s + 1 < 66; ++s) ASSERT_LT(Largest(link, s, s + 1), 0.6f) << "step " << s;
    // The drawing hand holds the nock at full draw: the right palm (1368) is near the arrow's back.
    const ::MeshData shot = Parse("kupidon_shot.MODEL");
    const P3 nock = Mean(link, 64, back);
    EXPECT_LT(Dist(At(shot, 32, 1368), nock), 0.35f);
    // After the release the hand has left the nock.
    EXPECT_GT(Dist(At(shot, 35, 1368), nock), 0.2f);
}

TEST(CupidAssets, TexturesHaveTheirSizesDepthsAndFooters) {
    struct T {
        const char* name;
        int w, h, bits;
    };
    for (const T& t : {T{"kupidon_dif.tga", 512, 512, 32}, T{"heart.tga", 64, 64, 24}}) {
        SCOPED_TRACE(t.name);
        const Bytes& b = Built().at(t.name);
        ASSERT_GT(b.size(), 44u);
        EXPECT_EQ(b[2], 2);
        EXPECT_EQ(b[12] | b[13] << 8, t.w);
        EXPECT_EQ(b[14] | b[15] << 8, t.h);
        EXPECT_EQ(b[16], t.bits);
        EXPECT_EQ(b[17], t.bits == 32 ? 0x08 : 0x00);
        EXPECT_EQ(b.size(), size_t(18 + t.w * t.h * t.bits / 8 + 26));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[b.size() - 18]), 17), "TRUEVISION-XFILE.");
    }
    // The atlas is opaque where the body is painted; only feather tips may be see-through.
    const Bytes& atlas = Built().at("kupidon_dif.tga");
    size_t clear = 0;
    for (size_t i = 18 + 3; i < 18 + 512 * 512 * 4; i += 4) clear += atlas[i] < 255 ? 1 : 0;
    EXPECT_GT(clear, 0u);
    EXPECT_LT(clear, size_t(512 * 512 / 8));
}

TEST(CupidAssets, TheHeartBeatsOnceAndTheOutputIsDeterministic) {
    const ::MeshData heart = Parse("heart.MODEL");
    auto width = [&](uint32_t f) {
        float lo = 1e9f, hi = -1e9f;
        for (uint32_t v = 0; v < heart.nVertexCount; ++v) lo = std::min(lo, At(heart, f, v).x), hi = std::max(hi, At(heart, f, v).x);
        return hi - lo;
    };
    float rest = width(0), peak = 0;
    uint32_t peakFrame = 0;
    for (uint32_t f = 0; f < 61; ++f)
        if (width(f) > peak) peak = width(f), peakFrame = f;
    EXPECT_GT(peak, rest * 1.06f);
    EXPECT_GT(peakFrame, 0u);
    EXPECT_NEAR(width(60), rest, rest * 0.01f);
    EXPECT_GT(rest, 0.8f);
    EXPECT_LT(rest, 1.6f);

    Entries again;
    const assetgen::MeshData arrow = assetgen::BuildArrowMesh();
    assetgen::cupid::AddCupidEntries(assetgen::cupid::BuildCupidContent(&arrow), again);
    ASSERT_EQ(again.size(), Built().size());
    for (const auto& [name, bytes] : Built()) EXPECT_TRUE(again.at(name) == bytes) << name;
}

}  // namespace
