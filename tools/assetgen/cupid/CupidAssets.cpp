#include "CupidAssets.h"

#include <algorithm>
#include <cstdio>

#include "CupidBody.h"
#include "Heart.h"
#include "Poses.h"

namespace assetgen::cupid {
namespace {

constexpr float kLinkArrowSlim = 0.6f;

// Cloth and feathers ripple a little; the ripple is whole cycles over each
// animation and vanishes at its ends, so the passes join without a jump.
Vec3 Flutter(const VertexRig& r, Vec3 rest, int f, int frames) {
    if (r.flutter <= 0) return {};
    const float cycles = std::max(1.f, std::round(float(frames) / 13.f));
    const float phase = rest.x * 5.f + rest.z * 7.f + rest.y * 3.f;
    const float w = std::sin(2.f * kPi * cycles * float(f) / float(frames) + phase) - std::sin(phase);
    const Vec3 out = Normalize(Vec3{rest.x + 0.3f, 0.f, rest.z} + Vec3{0.f, 0.6f, 0.f});
    return out * (0.03f * r.flutter * w);
}

std::vector<Vec3> BakeFrame(const CupidBody& body, const PosedFigure& fig, int f, int frames) {
    const CTopology& topo = body.topo;
    std::vector<Vec3> out(topo.rest.size());
    for (size_t i = 0; i < out.size(); ++i) {
        const VertexRig& r = topo.rigs[i];
        const Vec3 p = topo.rest[i];
        switch (r.kind) {
            case RigKind::kSkin: {
                Vec3 q{};
                for (int k = 0; k < 3; ++k)
                    if (r.weight[size_t(k)] > 0) q = q + fig.bones.skin[r.bone[size_t(k)]].Apply(p) * r.weight[size_t(k)];
                out[i] = q + Flutter(r, p, f, frames);
                break;
            }
            case RigKind::kBow: out[i] = fig.bow.Apply(r.local); break;
            case RigKind::kString: {
                const Vec3 line = r.param < 0.5f ? Lerp(fig.stringTop, fig.nock, r.param * 2.f)
                                                 : Lerp(fig.nock, fig.stringBottom, r.param * 2.f - 1.f);
                out[i] = line + fig.bow.ApplyDir(r.local);
                break;
            }
        }
    }
    return out;
}

MeshData TopologyOnly(const CTopology& topo) {
    MeshData m;
    m.texCoords = topo.texCoords;
    m.corners = topo.corners;
    m.triangles = topo.triangles;
    return m;
}

// The arrow mesh placed with its nock at 'tail' (or, once released, its
// origin at the release point), flying along 'dir'.
std::vector<Vec3> PlaceArrow(const MeshData& arrow, const PosedFigure& fig) {
    float zmin = 1e9f;
    for (const Vec3& q : arrow.frames[0]) zmin = std::min(zmin, q.z);
    const Vec3 dir = fig.arrowReleased ? Vec3{-1, 0, 0} : fig.arrowDir;
    const Vec3 upHint = fig.arrowReleased ? Vec3{0, 1, 0} : fig.arrowUp;
    const Vec3 side = Normalize(Cross(upHint, dir));
    const Vec3 up = Cross(dir, side);
    const Vec3 origin = fig.arrowReleased ? kReleasePoint : fig.arrowTail - dir * zmin;
    // Slimmer across than the flying arrow (its vanes would hide his face at
    // full draw), the same length, so it still leaves from the release point.
    const float slim = fig.arrowReleased ? 1.f : kLinkArrowSlim;
    std::vector<Vec3> out;
    for (const Vec3& q : arrow.frames[0]) out.push_back(origin + side * (q.x * slim) + up * (q.y * slim) + dir * q.z);
    return out;
}

// Identical texture coordinates become one, so corners can share them.
void MergeTexCoords(MeshData& m) {
    std::vector<Vec2> unique;
    std::vector<uint16_t> remap(m.texCoords.size());
    for (size_t i = 0; i < m.texCoords.size(); ++i) {
        size_t k = 0;
        while (k < unique.size() && !(unique[k].x == m.texCoords[i].x && unique[k].y == m.texCoords[i].y)) ++k;
        if (k == unique.size()) unique.push_back(m.texCoords[i]);
        remap[i] = uint16_t(k);
    }
    for (MeshCorner& c : m.corners) c.nTexCoord = remap[c.nTexCoord];
    m.texCoords = unique;
}

}  // namespace

bool PadMesh(MeshData& m, const MeshCounts& target) {
    if (m.frames.empty() || m.VertexCount() == 0 || m.corners.empty() || m.VertexCount() > target.nPositions ||
        m.texCoords.size() > target.nTexCoords || m.corners.size() > target.nCorners ||
        m.triangles.size() > target.nTriangles)
        return false;
    // Spare positions ride on position 0, spare corners and coordinates copy
    // the first ones, spare triangles have no area: nothing of it is ever seen.
    for (auto& f : m.frames) {
        const Vec3 p0 = f[0];
        f.resize(target.nPositions, p0);
    }
    m.texCoords.resize(target.nTexCoords, m.texCoords.empty() ? Vec2{} : m.texCoords[0]);
    m.corners.resize(target.nCorners, MeshCorner{0, 0});
    const uint16_t spare = uint16_t(m.corners.size() - 1);
    m.triangles.resize(target.nTriangles, MeshTriangle{spare, spare, spare});
    return true;
}

MeshData StandInArrow() {
    // Shaft, a diamond head and crossed fletching, 1.5 units long.
    MeshData m;
    m.frames.resize(1);
    auto quad = [&](Vec3 a, Vec3 b, Vec3 c, Vec3 d, float v) {
        const uint16_t pa = m.AddPosition(a), pb = m.AddPosition(b), pc = m.AddPosition(c), pd = m.AddPosition(d);
        const uint16_t ca = m.AddCorner(pa, {0, v}), cb = m.AddCorner(pb, {1, v}), cc = m.AddCorner(pc, {1, v + 0.2f}),
                       cd = m.AddCorner(pd, {0, v + 0.2f});
        m.AddTwoSided(ca, cb, cc);
        m.AddTwoSided(ca, cc, cd);
    };
    const float r = 0.018f;
    quad({-r, 0, -0.75f}, {r, 0, -0.75f}, {r, 0, 0.6f}, {-r, 0, 0.6f}, 0.f);
    quad({0, -r, -0.75f}, {0, r, -0.75f}, {0, r, 0.6f}, {0, -r, 0.6f}, 0.f);
    quad({-0.09f, 0, 0.55f}, {0, 0, 0.52f}, {0.09f, 0, 0.55f}, {0, 0, 0.75f}, 0.3f);
    quad({0, -0.09f, 0.55f}, {0, 0, 0.52f}, {0, 0.09f, 0.55f}, {0, 0, 0.75f}, 0.3f);
    quad({-0.08f, 0, -0.74f}, {0.f, 0, -0.74f}, {0.f, 0, -0.45f}, {-0.08f, 0, -0.5f}, 0.6f);
    quad({0.08f, 0, -0.74f}, {0.f, 0, -0.74f}, {0.f, 0, -0.45f}, {0.08f, 0, -0.5f}, 0.6f);
    return m;
}

CupidContent BuildCupidContent(const MeshData* arrow) {
    CupidContent c;
    const CupidBody body = BuildCupidBody();
    c.atlas = body.atlas;
    for (int a = 0; a < kAnimCount; ++a) {
        MeshData& m = c.anims[a];
        m = TopologyOnly(body.topo);
        const int frames = AnimFrames(a);
        for (int f = 0; f < frames; ++f) m.frames.push_back(BakeFrame(body, PoseFigure(AnimParams(a, float(f))), f, frames));
        if (!PadMesh(m, kCupidCounts)) std::fprintf(stderr, "cupid: %s is over its budget\n", AnimEntryName(a));
    }
    const MeshData standIn = StandInArrow();
    const MeshData& src = arrow && !arrow->frames.empty() ? *arrow : standIn;
    c.arrowLink.texCoords = src.texCoords;
    c.arrowLink.corners = src.corners;
    c.arrowLink.triangles = src.triangles;
    MergeTexCoords(c.arrowLink);
    for (int step = 0; step < 67; ++step) {
        const int f = step / 2;
        std::vector<Vec3> pos = PlaceArrow(src, PoseFigure(AnimParams(kAnimShot, float(f))));
        if (step & 1) {
            // Odd steps show the halfway vertices of two stored frames; follow them.
            const std::vector<Vec3> next = PlaceArrow(src, PoseFigure(AnimParams(kAnimShot, float(f + 1))));
            for (size_t i = 0; i < pos.size(); ++i) pos[i] = (pos[i] + next[i]) * 0.5f;
        }
        c.arrowLink.frames.push_back(pos);
    }
    PadMesh(c.arrowLink, {src.VertexCount(), std::max<size_t>(39, c.arrowLink.texCoords.size()), src.corners.size(),
                          src.triangles.size()});
    BuildHeart(c.heart, c.heartTexture);
    if (!PadMesh(c.heart, kHeartCounts)) std::fprintf(stderr, "cupid: the heart is over its budget\n");
    return c;
}

void AddCupidEntries(const CupidContent& c, std::map<std::string, Bytes>& entries) {
    for (int a = 0; a < kAnimCount; ++a) entries[AnimEntryName(a)] = EncodeMesh(c.anims[a]);
    entries["arrow_link.MODEL"] = EncodeMesh(c.arrowLink);
    entries["heart.MODEL"] = EncodeMesh(c.heart);
    entries["kupidon_dif.tga"] = EncodeTga(c.atlas, true);
    entries["heart.tga"] = EncodeTga(c.heartTexture, true);
}

}  // namespace assetgen::cupid
