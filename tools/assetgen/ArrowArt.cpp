#include "ArrowArt.h"

#include <algorithm>
#include <cmath>

#include "Canvas.h"
#include "WorldMeshes.h"

namespace assetgen {
namespace {

// Shaft: a slim triangular prism whose three edges carry the three vanes.
constexpr float kShaftRadius = 0.05f;
constexpr float kShaftBack = -1.35f, kShaftMid = -0.80f, kShaftFront = 1.15f, kNock = -1.42f;
const float kEdgeAngles[3] = {kPi / 2, kPi / 2 + 2 * kPi / 3, kPi / 2 + 4 * kPi / 3};

// Texture regions (u0, v0, u1, v1).
struct Region {
    float u0, v0, u1, v1;
};
constexpr Region kShaftRegion{0.01f, 0.01f, 0.21f, 0.99f};
constexpr Region kNockRegion{0.24f, 0.40f, 0.28f, 0.60f};
constexpr Region kHeartRegion{0.32f, 0.02f, 0.98f, 0.50f};
constexpr Region kVaneRegion{0.32f, 0.56f, 0.98f, 0.98f};

// Heart outline (classic parametric heart) in its own units, tip at the bottom.
constexpr int kHeartPoints = 10;
const float kHeartParams[kHeartPoints] = {0.f, 0.55f, 1.15f, 1.85f, 2.55f, kPi, -2.55f, -1.85f, -1.15f, -0.55f};
void HeartPoint(float t, float& x, float& y) {
    const float s = std::sin(t);
    x = 16.f * s * s * s;
    y = 13.f * std::cos(t) - 5.f * std::cos(2 * t) - 2.f * std::cos(3 * t) - std::cos(4 * t);
}
constexpr float kHeartScale = 0.019f;  // heart units to arrow units
constexpr float kTipZ = 1.48f;         // heart y = -17 (its tip) sits here
float HeartZ(float y) { return kTipZ - (y + 17.f) * kHeartScale; }
Vec2 HeartUv(float x, float y) {
    return {Mix(kHeartRegion.u0, kHeartRegion.u1, (x + 17.f) / 34.f),
            Mix(kHeartRegion.v0, kHeartRegion.v1, (13.f - y) / 31.f)};
}

// Vane outline in (radius, z): from the shaft's middle ring, out and back.
const float kVaneOuter[3][2] = {{0.27f, -0.98f}, {0.31f, -1.44f}, {0.14f, -1.34f}};
Vec2 VaneUv(float r, float z) {
    return {Mix(kVaneRegion.u0, kVaneRegion.u1, r / 0.33f), Mix(kVaneRegion.v0, kVaneRegion.v1, (-0.78f - z) / 0.70f)};
}

Vec3 Radial(float angle, float r, float z) { return {r * std::cos(angle), r * std::sin(angle), z}; }

}  // namespace

MeshData BuildArrowMesh() {
    MeshData m;
    m.frames.resize(1);
    // Shaft rings: back, middle (front of the vanes), front (inside the head).
    const float ringZ[3] = {kShaftBack, kShaftMid, kShaftFront};
    uint16_t pos[3][3];
    for (int r = 0; r < 3; ++r)
        for (int j = 0; j < 3; ++j) pos[r][j] = m.AddPosition(Radial(kEdgeAngles[j], kShaftRadius, ringZ[r]));
    const uint16_t nock = m.AddPosition({0, 0, kNock});
    uint16_t side[3][4];
    for (int r = 0; r < 3; ++r)
        for (int j = 0; j < 4; ++j)
            side[r][j] = m.AddCorner(pos[r][j % 3], {Mix(kShaftRegion.u0, kShaftRegion.u1, j / 3.f),
                                                    Mix(kShaftRegion.v0, kShaftRegion.v1, (ringZ[r] - kNock) / (kTipZ - kNock))});
    for (int r = 0; r < 2; ++r)
        for (int j = 0; j < 3; ++j) {
            const Vec3 out = Radial((kEdgeAngles[j] + kEdgeAngles[(j + 1) % 3] + (j == 2 ? 2 * kPi : 0)) / 2, 1, 0);
            AddFacing(m, side[r][j], side[r][j + 1], side[r + 1][j + 1], out);
            AddFacing(m, side[r][j], side[r + 1][j + 1], side[r + 1][j], out);
        }
    // Pointed nock at the back, a flat cap at the front.
    uint16_t back[3];
    for (int j = 0; j < 3; ++j)
        back[j] = m.AddCorner(pos[0][j], {kNockRegion.u0, Mix(kNockRegion.v0, kNockRegion.v1, j / 2.f)});
    const uint16_t nockCorner = m.AddCorner(nock, {kNockRegion.u1, 0.5f});
    for (int j = 0; j < 3; ++j) {
        const Vec3 out = Radial((kEdgeAngles[j] + kEdgeAngles[(j + 1) % 3] + (j == 2 ? 2 * kPi : 0)) / 2, 1, -0.5f);
        AddFacing(m, back[j], back[(j + 1) % 3], nockCorner, out);
    }
    AddFacing(m, side[2][0], side[2][1], side[2][2], {0, 0, 1});

    // Head: two crossed heart plates sharing tip and notch, each seen from both sides.
    uint16_t shared[2] = {0, 0};  // corners of the notch (t = 0) and the tip (t = pi)
    for (int plate = 0; plate < 2; ++plate) {
        auto place = [&](float x, float y) {
            const float a = x * kHeartScale;
            return plate == 0 ? Vec3{0, a, HeartZ(y)} : Vec3{a, 0, HeartZ(y)};
        };
        std::vector<uint16_t> ring;
        for (int i = 0; i < kHeartPoints; ++i) {
            float x, y;
            HeartPoint(kHeartParams[i], x, y);
            const bool onAxis = i == 0 || i == kHeartPoints / 2;
            if (onAxis && plate == 1) {
                ring.push_back(shared[i == 0 ? 0 : 1]);
                continue;
            }
            const uint16_t c = m.AddCorner(m.AddPosition(place(x, y)), HeartUv(x, y));
            if (onAxis) shared[i == 0 ? 0 : 1] = c;
            ring.push_back(c);
        }
        const float cy = plate == 0 ? -5.f : -6.5f;  // fan centres on the axis, inside the heart
        const uint16_t centre = m.AddCorner(m.AddPosition(place(0, cy)), HeartUv(0, cy));
        for (int i = 0; i < kHeartPoints; ++i)
            m.AddTwoSided(centre, ring[size_t(i)], ring[size_t((i + 1) % kHeartPoints)]);
    }

    // Vanes on the three shaft edges, each seen from both sides.
    for (int j = 0; j < 3; ++j) {
        const uint16_t innerMid = m.AddCorner(pos[1][j], VaneUv(kShaftRadius, kShaftMid));
        uint16_t outer[3];
        for (int k = 0; k < 3; ++k)
            outer[k] = m.AddCorner(m.AddPosition(Radial(kEdgeAngles[j], kVaneOuter[k][0], kVaneOuter[k][1])),
                                   VaneUv(kVaneOuter[k][0], kVaneOuter[k][1]));
        const uint16_t innerBack = m.AddCorner(pos[0][j], VaneUv(kShaftRadius, kShaftBack));
        m.AddTwoSided(innerMid, outer[0], outer[1]);
        m.AddTwoSided(innerMid, outer[1], outer[2]);
        m.AddTwoSided(innerMid, outer[2], innerBack);
    }
    return m;
}

namespace {

float PointInPolygon(const std::vector<Vec2>& poly, float x, float y) {
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        if ((poly[i].y > y) != (poly[j].y > y) &&
            x < (poly[j].x - poly[i].x) * (y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x)
            inside = !inside;
    }
    float d = 1e9f;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
        d = std::min(d, SdSegment(x, y, poly[j].x, poly[j].y, poly[i].x, poly[i].y));
    return inside ? -d : d;
}

}  // namespace

Image BuildArrowTexture() {
    const int n = 128;
    const Color goldDark = Rgb(138, 84, 26), gold = Rgb(226, 168, 62), goldLight = Rgb(255, 238, 168);
    CCanvas c(n, n, gold);
    // Shaft: a rod lit from one side, so the three faces read as round.
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = (x + 0.5f) / n;
            if (u > 0.23f) continue;
            const float angle = Clamp01((u - kShaftRegion.u0) / (kShaftRegion.u1 - kShaftRegion.u0)) * 2 * kPi;
            const float light = 0.5f + 0.5f * std::cos(angle - 0.9f);
            Color col = MixColor(goldDark, gold, SmoothStep(0.f, 0.6f, light));
            col = MixColor(col, goldLight, SmoothStep(0.75f, 1.f, light));
            const float v = (y + 0.5f) / n;
            col = Scale(col, 0.92f + 0.08f * std::sin(v * 60.f));  // faint grain along the rod
            c.At(x, y) = col;
        }
    // Nock: darker gold.
    for (int y = 0; y < n; ++y)
        for (int x = int(0.23f * n); x < int(0.30f * n); ++x) c.At(x, y) = MixColor(goldDark, gold, 0.3f);
    // Heart head: glossy rose-red inside a golden rim that follows the mesh outline.
    std::vector<Vec2> heart;
    for (float t : kHeartParams) {
        float hx, hy;
        HeartPoint(t, hx, hy);
        const Vec2 uv = HeartUv(hx, hy);
        heart.push_back({uv.x * n, uv.y * n});
    }
    const Vec2 centre = HeartUv(0, -3);
    for (int y = 0; y < int(0.53f * n); ++y)
        for (int x = int(0.30f * n); x < n; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float d = PointInPolygon(heart, px, py);
            const float dx = (px - centre.x * n) / (0.33f * n), dy = (py - centre.y * n) / (0.25f * n);
            const float shine = Clamp01(1.f - std::sqrt((dx + 0.35f) * (dx + 0.35f) + (dy + 0.35f) * (dy + 0.35f)) * 1.6f);
            Color red = MixColor(Rgb(150, 16, 48), Rgb(226, 44, 84), Clamp01(1.f - 0.5f * std::sqrt(dx * dx + dy * dy)));
            red = MixColor(red, Rgb(255, 170, 190), shine * shine * 0.8f);
            const float rim = SmoothStep(-4.5f, -2.5f, d);
            Color col = MixColor(red, MixColor(gold, goldLight, 0.5f), rim);
            if (d > 0) col = MixColor(gold, goldLight, 0.4f);
            c.At(x, y) = col;
        }
    // Vanes: white feather with soft barbs and blush tips.
    for (int y = int(0.53f * n); y < n; ++y)
        for (int x = int(0.30f * n); x < n; ++x) {
            const float u = ((x + 0.5f) / n - kVaneRegion.u0) / (kVaneRegion.u1 - kVaneRegion.u0);
            const float v = ((y + 0.5f) / n - kVaneRegion.v0) / (kVaneRegion.v1 - kVaneRegion.v0);
            const float barbs = 0.5f + 0.5f * std::sin((v * 2.2f - u * 0.9f) * 48.f);
            Color col = MixColor(Rgb(255, 252, 250), Rgb(236, 226, 234), barbs * 0.5f);
            col = MixColor(col, Rgb(250, 196, 212), SmoothStep(0.55f, 1.0f, u) * 0.7f);
            col = MixColor(col, Rgb(255, 236, 180), SmoothStep(0.12f, 0.0f, u));  // the golden rachis
            c.At(x, y) = col;
        }
    return c.ToImage(3);
}

}  // namespace assetgen
