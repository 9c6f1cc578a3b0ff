#include "Heart.h"

#include <algorithm>

#include "Geometry.h"

namespace assetgen::cupid {
namespace {

constexpr float kHeartScale = 0.5f;

// Classic implicit heart, y up, z the thin direction; negative inside.
float HeartField(Vec3 p) {
    const float a = p.x * p.x + 2.25f * p.z * p.z + p.y * p.y - 1.f;
    const float y3 = p.y * p.y * p.y;
    return a * a * a - p.x * p.x * y3 - 0.1125f * p.z * p.z * y3;
}

// The surface along a direction from the centre, found by marching and bisection.
Vec3 HeartPoint(float u, float v) {
    const float th = 2.f * kPi * u + kPi * 0.5f;  // seam at the side
    const float ph = kPi * v;                       // 0 at the tip, pi at the cleft
    const Vec3 d{std::cos(th) * std::sin(ph), -std::cos(ph), std::sin(th) * std::sin(ph)};
    float lo = 0.f, hi = 0.f;
    for (float r = 0.02f; r < 2.5f; r += 0.02f) {
        if (HeartField(d * r) > 0) {
            hi = r;
            break;
        }
        lo = r;
    }
    if (hi == 0.f) hi = 2.5f;
    for (int i = 0; i < 30; ++i) {
        const float m = 0.5f * (lo + hi);
        (HeartField(d * m) > 0 ? hi : lo) = m;
    }
    Vec3 p = d * (0.5f * (lo + hi));
    // A touch fuller in depth than the classic curve, so it reads as a plump heart.
    p.z *= 1.15f;
    return p * kHeartScale;
}

}  // namespace

float HeartBeatScale(int frame) {
    const float ph = float(frame) / float(kHeartFrames);
    // "Lub-dub": a strong beat and a softer echo, then rest.
    return 1.f + 0.11f * PeriodicBump(ph, 0.16f, 0.11f) + 0.06f * PeriodicBump(ph, 0.36f, 0.09f);
}

void BuildHeart(MeshData& mesh, Image& texture) {
    CTopology topo;
    topo.atlasSize = 64;
    SurfaceDef s;
    s.at = HeartPoint;
    s.nu = 28;
    s.nv = 18;
    s.poleStart = s.poleEnd = true;
    s.island = {0, 0, 64, 64};
    s.kind = RigKind::kSkin;
    s.paint = [](const Texel& t) {
        Vec3 n = t.n;
        const Rgba deep = Hex(0x8E0722), base = Hex(0xD8193F), lit = Hex(0xFF4D6A);
        const Vec3 l = Normalize(Vec3{-0.5f, 0.7f, -0.5f});
        const float diff = Clamp01((Dot(n, l) + 0.3f) / 1.3f);
        Rgba c = diff < 0.5f ? MixRgba(deep, base, diff * 2.f) : MixRgba(base, lit, (diff - 0.5f) * 2.f);
        // Glossy: a sharp highlight and a broad sheen, a pink rim from behind.
        const Vec3 h = Normalize(l + Vec3{-1.f, 0.f, 0.f});
        const float spec = std::pow(Clamp01(Dot(n, h)), 40.f);
        const float sheen = std::pow(Clamp01(Dot(n, h)), 6.f);
        c = AddRgb(c, Hex(0xFFFFFF), spec * 0.9f + sheen * 0.18f);
        const float rim = std::pow(Clamp01(1.f - std::fabs(Dot(n, Vec3{-1, 0, 0}))), 3.f);
        c = AddRgb(c, Hex(0xFF8FA6), rim * 0.25f);
        // It spins, so both broad faces carry a window-like highlight on a lobe.
        for (float side : {-1.f, 1.f}) {
            const Vec3 l2 = Normalize(Vec3{-0.35f * side, 0.55f, 0.75f * side});
            c = AddRgb(c, Hex(0xFFE4EA), std::pow(Clamp01(Dot(n, l2)), 36.f) * 0.85f);
            c = AddRgb(c, Hex(0xFF9FB2), std::pow(Clamp01(Dot(n, l2)), 5.f) * 0.12f);
        }
        return c;
    };
    topo.Add(s);
    CAtlas tex(64, 64, Hex(0xD8193F));
    topo.Paint(tex, 0);
    texture = tex.ToImage(3);

    mesh = MeshData{};
    mesh.texCoords = topo.texCoords;
    mesh.corners = topo.corners;
    mesh.triangles = topo.triangles;
    for (int f = 0; f < kHeartFrames; ++f) {
        const float s0 = HeartBeatScale(f);
        // The beat swells the heart and lifts it a little, with a slight squash.
        const float sy = 1.f + (s0 - 1.f) * 0.8f, sxz = s0;
        std::vector<Vec3> pos;
        for (const Vec3& p : topo.rest) pos.push_back({p.x * sxz, p.y * sy, p.z * sxz});
        mesh.frames.push_back(pos);
    }
}

}  // namespace assetgen::cupid
