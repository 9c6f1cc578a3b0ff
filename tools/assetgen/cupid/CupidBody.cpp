#include "CupidBody.h"

#include <algorithm>

namespace assetgen::cupid {
namespace {

constexpr int kAtlas = 512;

// ---- occlusion from the other parts -------------------------------------

enum Part { kPTorso, kPHead, kPArmL, kPArmR, kPLegL, kPLegR, kPDrape, kPCurl, kPWing, kPBow };
constexpr int kFilletParts = kPLegR;  // the skin parts that blend into each other

struct Blob {
    Vec3 a, b;
    float ra, rb;
    int nPart;
};
std::vector<Blob>& Blobs() {
    static std::vector<Blob> blobs;
    return blobs;
}
void AddTubeBlobs(const Tube& t, int part) {
    for (size_t i = 0; i + 1 < t.keys.size(); ++i) {
        const TubeKey& p = t.keys[i];
        const TubeKey& q = t.keys[i + 1];
        Blobs().push_back({p.c, q.c, (p.rn + p.rb) * 0.5f, (q.rn + q.rb) * 0.5f, part});
    }
}
float SdBlob(const Blob& b, Vec3 p) {
    const Vec3 ab = b.b - b.a;
    const float t = std::clamp(Dot(p - b.a, ab) / std::max(Dot(ab, ab), 1e-6f), 0.f, 1.f);
    return Length(p - (b.a + ab * t)) - Mix(b.ra, b.rb, t);
}
// 1 in the open, falling towards 0 in creases where other parts come close.
float Occlusion(Vec3 p, Vec3 n, int part) {
    float occ = 0;
    for (int k = 1; k <= 4; ++k) {
        const float d = 0.07f * float(k);
        const Vec3 q = p + n * d;
        float sd = 1e9f;
        for (const Blob& b : Blobs())
            if (b.nPart != part) sd = std::min(sd, SdBlob(b, q));
        occ += std::max(0.f, d - sd) / float(1 << k);
    }
    return Clamp01(1.f - occ * 3.2f);
}

// Where two body parts meet, each swells a little towards the other, as a
// smooth union of the two shapes would: soft baby creases instead of seams.
using SurfaceFn = std::function<Vec3(float, float)>;
SurfaceFn Filleted(SurfaceFn f, int part) {
    return [f, part](float u, float v) {
        const Vec3 p = f(u, v);
        constexpr float k = 0.16f;
        float d = 1e9f;
        for (const Blob& b : Blobs())
            if (b.nPart != part && b.nPart <= kFilletParts) d = std::min(d, SdBlob(b, p));
        if (d < -0.5f * k || d >= k) return p;
        // Outwards is away from the part's own axis.
        Vec3 n = SurfaceNormal(f, u, v, false), axis = p;
        float own = 1e9f;
        for (const Blob& b : Blobs()) {
            if (b.nPart != part) continue;
            const Vec3 ab = b.b - b.a;
            const float t = std::clamp(Dot(p - b.a, ab) / std::max(Dot(ab, ab), 1e-6f), 0.f, 1.f);
            const float sd = SdBlob(b, p);
            if (sd < own) own = sd, axis = b.a + ab * t;
        }
        if (Dot(n, p - axis) < 0.f) n = n * -1.f;
        // Inside the other part the swell fades out again, so it stays continuous.
        const float h = d >= 0.f ? (k - d) / k : 1.f;
        const float fade = d >= 0.f ? 1.f : SmoothStep(-0.5f * k, 0.f, d);
        return p + n * (h * h * k * 0.25f * fade);
    };
}

// ---- palette --------------------------------------------------------------

const Rgba kSkinLit = Hex(0xFFE3CF), kSkinShade = Hex(0xD9968C);
const Rgba kBlush = Hex(0xF7A19A);
const Rgba kHairLit = Hex(0xFFE394), kHairShade = Hex(0xD29A48), kHairDeep = Hex(0x9C6A30);
const Rgba kFeatherLit = Hex(0xFFFDF8), kFeatherShade = Hex(0xB9B3CF);
const Rgba kClothLit = Hex(0xFFFFFC), kClothShade = Hex(0xB8B4CB);
const Rgba kGoldLit = Hex(0xFFE08A), kGoldShade = Hex(0x9A5F12);

float Dist2(float x, float y) { return std::sqrt(x * x + y * y); }
// Coverage of a soft disc.
float Disc(float x, float y, float r, float soft) { return 1.f - SmoothStep(r - soft, r + soft, Dist2(x, y)); }

Rgba Skin(const Texel& t, int part, float blush) {
    const float ao = Occlusion(t.p, t.n, part);
    Rgba lit = MixRgba(kSkinLit, kBlush, blush * 0.55f);
    const float grain = Fbm3(t.p * 9.f, 3, 11) - 0.5f;
    lit = ScaleRgb(lit, 1.f + grain * 0.03f);
    Rgba c = Shade(lit, MixRgba(kSkinShade, kBlush, blush * 0.3f), t.n, ao, 0.10f, 12.f, 1.f);
    // Creases take a rosy tint rather than grey.
    c = MixRgba(c, Hex(0xC8746E), (1.f - ao) * 0.35f);
    return c;
}

// ---- head and face ------------------------------------------------------

const Vec3 kHeadCentre{-0.06f, 1.58f, 0.f};
constexpr float kHeadRx = 0.53f, kHeadRy = 0.55f, kHeadRz = 0.50f;

// Angles of a head direction: yaw from the front towards his right, elevation.
void HeadAngles(Vec3 p, float& yaw, float& elev) {
    const Vec3 d = Normalize(Vec3{(p.x - kHeadCentre.x) / kHeadRx, (p.y - kHeadCentre.y) / kHeadRy,
                                  (p.z - kHeadCentre.z) / kHeadRz});
    yaw = std::atan2(d.z, -d.x);
    elev = std::asin(std::clamp(d.y, -1.f, 1.f));
}

float HeadBulge(float yaw, float elev) {
    float k = 1.f;
    // Round baby cheeks, a small nose, a fuller skull at the back.
    for (float side : {-1.f, 1.f}) k += 0.075f * std::exp(-(Dist2((yaw - side * 0.62f) / 0.42f, (elev + 0.42f) / 0.32f) * Dist2((yaw - side * 0.62f) / 0.42f, (elev + 0.42f) / 0.32f)));
    k += 0.07f * std::exp(-(Dist2(yaw / 0.13f, (elev + 0.28f) / 0.12f) * Dist2(yaw / 0.13f, (elev + 0.28f) / 0.12f)));
    k -= 0.05f * SmoothStep(-0.5f, -1.3f, elev) * (0.5f + 0.5f * std::cos(yaw));
    k += 0.03f * SmoothStep(0.6f, 2.8f, std::fabs(yaw)) * SmoothStep(-0.6f, 0.4f, elev);
    return k;
}

Vec3 HeadPoint(float u, float v) {
    const float yaw = -kPi + 2.f * kPi * u;  // seam at the back of the head
    const float elev = -kPi * 0.5f + kPi * v;
    const float k = HeadBulge(yaw, elev);
    const float ce = std::cos(elev);
    return kHeadCentre + Vec3{-std::cos(yaw) * ce * kHeadRx * k, std::sin(elev) * kHeadRy * k,
                              std::sin(yaw) * ce * kHeadRz * k};
}

// Hair covers the head above this elevation (per yaw).
float HairLine(float yaw) {
    const float ay = std::fabs(yaw);
    float line = Mix(0.42f, -0.08f, SmoothStep(0.55f, 1.35f, ay));  // forehead to temples
    line = Mix(line, -0.62f, SmoothStep(1.6f, 2.6f, ay));           // nape
    line += 0.05f * std::sin(yaw * 11.f);                           // curly edge
    return line;
}

Rgba HairColour(Vec3 p, Vec3 n, float ao, float curl) {
    // Strands wound around the curls: bright crests, deep gaps.
    const float crest = 0.5f + 0.5f * curl;
    Rgba lit = MixRgba(kHairShade, kHairLit, 0.45f + 0.55f * crest);
    const float streak = Fbm3(p * 18.f, 3, 5);
    lit = ScaleRgb(lit, 0.9f + 0.2f * streak);
    Rgba c = Shade(lit, MixRgba(kHairDeep, kHairShade, crest * 0.6f), n, ao * (0.6f + 0.4f * crest), 0.35f * crest,
                   18.f, 0.8f);
    return c;
}

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    const float t = Clamp01(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy));
    return Dist2(px - ax - dx * t, py - ay - dy * t);
}

Rgba EyePaint(float x, float y, float lightX, Rgba skin) {
    // x, y in eye units: the eye is an upright ellipse of radius 1, x > 0
    // towards the outer corner; lightX runs the same way for both eyes.
    Rgba c = skin;
    const float r = Dist2(x, y * 0.92f);
    const float white = 1.f - SmoothStep(0.92f, 1.06f, r);
    c = MixRgba(c, Hex(0xFBF7F4), white);
    const float ir = Dist2(x * 1.05f + 0.05f, y + 0.05f);
    const float iris = (1.f - SmoothStep(0.66f, 0.76f, ir)) * white;
    Rgba irisCol = MixRgba(Hex(0x5A8FC9), Hex(0x24446E), SmoothStep(0.15f, 0.7f, ir));
    irisCol = MixRgba(irisCol, Hex(0x1B2233), 1.f - SmoothStep(0.28f, 0.36f, ir));
    c = MixRgba(c, irisCol, iris);
    // Two catch lights make him look alive.
    c = MixRgba(c, Hex(0xFFFFFF), Disc(lightX + 0.28f, y - 0.3f, 0.2f, 0.05f) * white);
    c = MixRgba(c, Hex(0xFFFFFF), Disc(lightX - 0.25f, y + 0.3f, 0.09f, 0.04f) * white * 0.9f);
    // Upper lid line and lashes.
    const float lid = std::fabs(r - 1.0f) < 0.16f && y > -0.15f ? 1.f - SmoothStep(0.08f, 0.16f, std::fabs(r - 1.f)) : 0.f;
    c = MixRgba(c, Hex(0x5B3426), lid * SmoothStep(-0.15f, 0.35f, y));
    // Three lashes sweep out from the outer corner.
    const float lashAngles[3] = {0.35f, 0.75f, 1.1f};
    for (float a : lashAngles) {
        const float ax = std::cos(a), ay = std::sin(a);
        const float d = SegmentDistance(x, y, ax, ay, ax * 1.32f + 0.12f, ay * 1.25f + 0.05f);
        c = MixRgba(c, Hex(0x4A2A20), (1.f - SmoothStep(0.05f, 0.1f, d)) * 0.9f);
    }
    return c;
}

Rgba HeadPaint(const Texel& t, int part) {
    float yaw, elev;
    HeadAngles(t.p, yaw, elev);
    const float cheek = std::max(Disc(yaw - 0.64f, elev + 0.42f, 0.2f, 0.16f), Disc(yaw + 0.64f, elev + 0.42f, 0.2f, 0.16f));
    const float nose = Disc(yaw, elev + 0.28f, 0.09f, 0.06f);
    Rgba c = Skin(t, part, cheek * 0.9f + nose * 0.35f);
    // Eyes.
    for (float side : {-1.f, 1.f}) {
        const float ex = (yaw - side * 0.36f) / 0.14f, ey = (elev + 0.08f) / 0.155f;
        if (Dist2(ex, ey) < 1.7f) c = EyePaint(ex * side, ey, ex, c);
        // Soft golden brows.
        const float bx = (yaw - side * 0.38f) / 0.17f;
        const float by = elev - (0.17f - 0.05f * bx * bx);
        const float brow = (1.f - SmoothStep(0.8f, 1.f, std::fabs(bx))) * (1.f - SmoothStep(0.012f, 0.03f, std::fabs(by)));
        c = MixRgba(c, Hex(0xC08A4E), brow * 0.75f);
    }
    // Small smiling mouth.
    {
        const float mx = yaw / 0.14f;
        const float my = elev - (-0.56f + 0.035f * mx * mx);
        const float mouth = (1.f - SmoothStep(0.75f, 1.f, std::fabs(mx))) * (1.f - SmoothStep(0.01f, 0.024f, std::fabs(my)));
        c = MixRgba(c, Hex(0xB4545A), mouth * 0.9f);
        const float lip = Disc(mx * 0.8f, (elev + 0.6f) / 0.04f, 0.55f, 0.3f);
        c = MixRgba(c, Hex(0xEE8C8E), lip * 0.6f);
        // Nostril shadows.
        for (float side : {-1.f, 1.f}) c = MixRgba(c, Hex(0xC97F78), Disc(yaw - side * 0.05f, elev + 0.34f, 0.02f, 0.012f) * 0.7f);
    }
    // Hair over the top and the back.
    const float line = HairLine(yaw);
    const float hair = SmoothStep(line - 0.03f, line + 0.05f, elev);
    if (hair > 0) {
        const float cu = std::sin(yaw * 9.f + std::sin(elev * 7.f) * 2.f) * std::cos(elev * 10.f + yaw * 3.f);
        const float ao = Occlusion(t.p, t.n, part);
        const Rgba h = HairColour(t.p, t.n, ao, cu);
        // Hair casts a soft shadow on the forehead just below the line.
        c = MixRgba(c, h, hair);
    }
    const float below = SmoothStep(line - 0.16f, line - 0.02f, elev) * (1.f - hair);
    c = MixRgba(c, Hex(0xC98A6E), below * 0.25f);
    return c;
}

// ---- curls --------------------------------------------------------------

Rgba CurlPaint(const Texel& t) {
    // Strands wound round the ringlet's axis (u around, v from root to tip),
    // lit with the ringlet's own shape.
    const float spiral = std::sin(t.u * 2.f * kPi - t.v * 11.f);
    const float root = SmoothStep(0.f, 0.4f, t.v);
    const float ao = Occlusion(t.p, t.n, kPCurl) * Mix(0.6f, 1.f, root);
    Rgba c = HairColour(t.p, t.n, ao, 0.25f + 0.55f * spiral);
    c.a = 1.f;
    return c;
}

// ---- feathers ------------------------------------------------------------

// u across the card (0..1), v from the quill (0) to the tip (1).
Rgba FeatherPaint(float u, float v, float roundness, uint32_t seed, float shadeBase) {
    const float x = (u - 0.5f) * 2.f;
    // Width profile: narrow at the quill, full over most, rounded tip.
    float w = 0.35f + 0.6f * SmoothStep(0.f, 0.3f, v);
    const float tip = Clamp01((v - (1.f - roundness)) / roundness);
    w *= std::sqrt(std::max(0.f, 1.f - tip * tip));
    w *= 0.97f;
    const float edge = std::fabs(x) / std::max(w, 1e-3f);
    // Barbs part here and there at the edge.
    const float nicks = ValueNoise2(v * 14.f, x > 0 ? 1.f : 5.f, seed) * 0.12f;
    const float alpha = 1.f - SmoothStep(0.9f - nicks, 1.0f - nicks, edge);
    const float shaft = 1.f - SmoothStep(0.02f, 0.06f, std::fabs(x + 0.05f * (1.f - v)));
    const float barbs = 0.5f + 0.5f * std::sin((v * 36.f + std::fabs(x) * 9.f) + ValueNoise2(u * 8.f, v * 20.f, seed) * 3.f);
    // Curved cross-section: brighter on the side facing the light, darker at the quill.
    float light = Mix(shadeBase, 1.f, SmoothStep(0.f, 0.65f, v));
    light *= 0.82f + 0.18f * (1.f - x * x);
    light *= 0.93f + 0.07f * barbs;
    Rgba c = MixRgba(kFeatherShade, kFeatherLit, Clamp01(light));
    c = MixRgba(c, Hex(0xF3E6C8), shaft * 0.6f);
    c = MixRgba(c, Hex(0xFFE9DA), SmoothStep(0.6f, 1.f, edge) * 0.5f);  // warm glow at the rim
    c.a = alpha;
    return c;
}

// ---- islands ---------------------------------------------------------------

const Island kHeadIsland{4, 292, 300, 216};
const Island kTorsoIsland{4, 4, 176, 140};
const Island kDrapeIsland{188, 4, 156, 96};
const Island kArmIsland[2] = {{352, 4, 72, 132}, {432, 4, 72, 132}};
const Island kLegIsland[2] = {{4, 152, 80, 132}, {92, 152, 80, 132}};
const Island kCapIsland{352, 144, 156, 140};
const Island kPrimaryIsland{312, 292, 44, 216};
const Island kSecondaryIsland{364, 292, 44, 180};
const Island kCovertIsland{416, 292, 40, 104};
const Island kWingArmIsland{252, 152, 96, 56};
const Island kBowIsland{464, 292, 40, 216};
const Island kStringIsland{180, 224, 16, 16};
const Island kKnobIsland{204, 224, 24, 24};
const Island kThumbIsland{232, 224, 16, 16};
const Island kSashIsland{188, 108, 152, 24};


// ---- body surfaces ---------------------------------------------------------

Tube TorsoTube() {
    Tube t;
    t.keys = {{{0.03f, -0.40f, 0.f}, 0.22f, 0.3f}, {{0.03f, -0.26f, 0.f}, 0.36f, 0.42f},
              {{-0.02f, -0.05f, 0.f}, 0.42f, 0.45f}, {{-0.045f, 0.22f, 0.f}, 0.44f, 0.45f},
              {{-0.02f, 0.50f, 0.f}, 0.37f, 0.42f},  {{0.0f, 0.76f, 0.f}, 0.29f, 0.37f},
              {{-0.01f, 0.95f, 0.f}, 0.17f, 0.18f},  {{-0.02f, 1.16f, 0.f}, 0.15f, 0.16f}};
    t.refN = {-1, 0, 0};
    t.capStart = 0.14f;
    t.capEnd = 0.04f;
    t.bulge = [](float th, float s) {
        // Belly forward, a flatter back, soft shoulders.
        const float front = 0.5f + 0.5f * std::cos(th);
        float k = 1.f + 0.05f * front * std::exp(-((s - 0.38f) * (s - 0.38f)) / 0.02f);
        k -= 0.05f * (1.f - front) * SmoothStep(0.3f, 0.6f, s) * (1.f - SmoothStep(0.7f, 0.85f, s));
        return k;
    };
    return t;
}

Tube ArmTube(int side) {
    // Keys of the left arm (-z); the right one mirrors it.
    Tube t;
    t.keys = {{{0.04f, 0.84f, -0.28f}, 0.14f, 0.14f},     {{0.02f, 0.76f, -0.42f}, 0.155f, 0.155f},
              {{0.02f, 0.56f, -0.51f}, 0.15f, 0.15f},     {{0.02f, 0.35f, -0.60f}, 0.115f, 0.115f},
              {{0.01f, 0.13f, -0.68f}, 0.125f, 0.12f},    {{0.0f, -0.08f, -0.76f}, 0.08f, 0.078f},
              {{-0.015f, -0.19f, -0.79f}, 0.115f, 0.07f}, {{-0.03f, -0.29f, -0.82f}, 0.085f, 0.06f}};
    if (side == 1)
        for (TubeKey& k : t.keys) k.c.z = -k.c.z;
    t.refN = {-1, 0, 0};
    t.capStart = 0.08f;
    t.capEnd = 0.16f;
    return t;
}

Tube LegTube(int side) {
    const float z = side == 0 ? -1.f : 1.f;
    Tube t;
    t.keys = {{{0.0f, -0.10f, 0.17f * z}, 0.22f, 0.22f},   {{0.0f, -0.30f, 0.21f * z}, 0.24f, 0.24f},
              {{-0.02f, -0.52f, 0.22f * z}, 0.2f, 0.2f},    {{-0.04f, -0.72f, 0.22f * z}, 0.14f, 0.145f},
              {{-0.015f, -0.92f, 0.22f * z}, 0.145f, 0.15f}, {{0.0f, -1.11f, 0.22f * z}, 0.09f, 0.095f},
              {{-0.03f, -1.22f, 0.22f * z}, 0.1f, 0.1f},    {{-0.17f, -1.27f, 0.22f * z}, 0.09f, 0.068f},
              {{-0.28f, -1.27f, 0.22f * z}, 0.08f, 0.06f}};
    t.refN = {0, 0, 1};
    t.capStart = 0.06f;
    t.capEnd = 0.14f;
    return t;
}

Tube DrapeTube() {
    Tube t;
    t.keys = {{{-0.04f, 0.12f, 0.f}, 0.47f, 0.48f}, {{-0.02f, -0.06f, 0.f}, 0.47f, 0.5f},
              {{0.f, -0.24f, 0.f}, 0.48f, 0.53f},   {{0.f, -0.40f, 0.f}, 0.54f, 0.6f}};
    t.refN = {-1, 0, 0};
    t.bulge = [](float th, float s) {
        return 1.f + (0.025f + 0.06f * s) * std::sin(th * 9.f + 0.6f) + 0.02f * s * std::sin(th * 4.f + 1.3f);
    };
    return t;
}

Vec3 DrapePoint(const Tube& t, float u, float v) {
    Vec3 p = TubePoint(t, u, v);
    const float th = kPi + 2.f * kPi * u;
    // A slanting hem, knotted high over his left hip.
    p.y += (0.10f * std::sin(th + 0.9f) + 0.03f * std::sin(th * 5.f)) * v - 0.06f * v * v;
    return p;
}

}  // namespace

Vec3 BowTip(int top) { return {-0.26f, top ? kBowHalfLength : -kBowHalfLength, 0.f}; }
Vec3 BowArrowRest() { return {0.04f, 0.07f, 0.f}; }
Vec3 BowStringRest() { return {-0.30f, 0.0f, 0.f}; }

namespace {

// Centre line of the bow in its frame: a "cupid's bow" double curve.
Vec3 BowCurve(float s) {  // s in [-1, 1]
    const float a = std::fabs(s);
    const float back = -0.34f * a * a;                 // limbs sweep back towards the archer
    const float recurve = 0.16f * SmoothStep(0.72f, 1.f, a) * (a - 0.72f) / 0.28f;
    return {back + recurve + 0.02f * (1.f - a), s * kBowHalfLength, 0.f};
}
float BowRadius(float s) {
    const float a = std::fabs(s);
    return Mix(0.048f, 0.02f, SmoothStep(0.08f, 1.f, a)) + 0.012f * (1.f - SmoothStep(0.f, 0.12f, a));
}

Rgba GoldPaint(Vec3 n, float stripe, float ao) {
    Rgba c = Shade(MixRgba(kGoldLit, Hex(0xFFF3C4), stripe * 0.4f), kGoldShade, n, ao, 0.9f, 26.f, 1.2f);
    // A second, broad sheen so the metal reads from every side.
    c = AddRgb(c, Hex(0xFFD27A), std::pow(Clamp01(0.5f + 0.5f * n.y), 3.f) * 0.25f);
    return c;
}

struct CurlSpot {
    float yaw, elev, size;
};
Vec3 HeadDir(float yaw, float elev) {
    return {-std::cos(yaw) * std::cos(elev), std::sin(elev), std::sin(yaw) * std::cos(elev)};
}

// Curls packed over the crown; the cap of hair swells over each of them.
const std::vector<CurlSpot>& CapSpots() {
    static const std::vector<CurlSpot> spots = [] {
        std::vector<CurlSpot> v;
        const int rings[6] = {14, 13, 12, 10, 6, 1};
        const float elevs[6] = {0.18f, 0.5f, 0.8f, 1.08f, 1.33f, 1.57f};
        for (int r = 0; r < 6; ++r)
            for (int i = 0; i < rings[r]; ++i) {
                const float yaw = -kPi + (float(i) + 0.5f * float(r & 1)) / float(rings[r]) * 2.f * kPi;
                v.push_back({yaw, elevs[r] + 0.05f * std::sin(float(i) * 2.3f + float(r)), 0.3f});
            }
        return v;
    }();
    return spots;
}

// Height of the curl field (0 in the gaps, 1 on a curl); optionally the
// normal of the nearest curl's dome, its distance from that curl's centre in
// curl radii and the angle round it.
float CurlField(float yaw, float elev, Vec3* dome = nullptr, float* radius = nullptr, float* angle = nullptr) {
    const Vec3 d = HeadDir(yaw, elev);
    float best = 0, second = 0, bestA = 2.f;
    Vec3 bestDir{0, 1, 0};
    float bestSize = 1.f;
    for (const CurlSpot& c : CapSpots()) {
        const Vec3 cd = HeadDir(c.yaw, c.elev);
        const float a = std::acos(std::clamp(Dot(d, cd), -1.f, 1.f)) / c.size;
        const float h = a < 1.f ? std::sqrt(1.f - a * a) : 0.f;
        if (h > best || (best == 0.f && a < bestA)) {
            second = best;
            best = h;
            bestA = a;
            bestDir = cd;
            bestSize = c.size;
        } else if (h > second) {
            second = h;
        }
    }
    if (dome) {
        const Vec3 t1 = Normalize(Cross(bestDir, Vec3{0.001f, 1.f, 0.002f}));
        const Vec3 t2 = Cross(bestDir, t1);
        const Vec3 off = (d - bestDir * Dot(d, bestDir)) * (1.f / std::sin(bestSize));
        const float a = Dot(off, t1), b = Dot(off, t2);
        const float r2 = std::min(a * a + b * b, 1.f);
        *dome = Normalize(t1 * a + t2 * b + bestDir * std::sqrt(1.f - r2));
        if (radius) *radius = std::sqrt(r2);
        if (angle) *angle = std::atan2(b, a);
    }
    return Clamp01(best - 0.35f * second);
}

float CapEdge(float yaw) { return HairLine(yaw) - 0.05f; }

Vec3 CapPoint(float u, float v) {
    const float yaw = -kPi + 2.f * kPi * u;
    const float elev = Mix(CapEdge(yaw), kPi * 0.5f, v);
    const Vec3 skull = HeadPoint(u, (elev + kPi * 0.5f) / kPi);
    const float f = CurlField(yaw, elev);
    const float lift = SmoothStep(0.f, 0.3f, v) * (0.05f + 0.2f * f) + 0.015f;
    return kHeadCentre + (skull - kHeadCentre) * (1.f + lift);
}

Rgba CapPaint(const Texel& t) {
    const float yaw = -kPi + 2.f * kPi * t.u;
    const float elev = Mix(CapEdge(yaw), kPi * 0.5f, t.v);
    Vec3 dome;
    float r = 1.f, ang = 0.f;
    CurlField(yaw, elev, &dome, &r, &ang);
    // Each curl is lit as a little dome, its strands wound round its centre,
    // with deep shade where curls meet.
    const Vec3 n = Normalize(dome * 0.85f + t.n * 0.15f);
    const float strands = 0.5f + 0.5f * std::sin(r * 17.f - ang * 2.f);
    const float gap = SmoothStep(0.55f, 1.0f, r);
    const float ao = Occlusion(t.p, t.n, kPHead) * (1.f - 0.7f * gap);
    return HairColour(t.p, n, ao, (1.f - gap) * 1.2f - 0.45f + 0.35f * (strands - 0.5f));
}

void AddCurls(CTopology& topo) {
    SurfaceDef cap;
    cap.at = CapPoint;
    cap.nu = 22;
    cap.nv = 9;
    cap.poleEnd = true;
    cap.island = kCapIsland;
    cap.bones = {kHead};
    cap.paint = CapPaint;
    topo.Add(cap);
    // Loose ringlets over the forehead and at the temples.
    std::vector<CurlSpot> spots;
    for (float yaw : {-0.4f, -0.13f, 0.14f, 0.41f}) spots.push_back({yaw, CapEdge(yaw) + 0.1f, 0.1f});
    for (float yaw : {-1.25f, 1.25f}) spots.push_back({yaw, CapEdge(yaw) + 0.1f, 0.11f});
    uint32_t seed = 1;
    for (const CurlSpot& cs : spots) {
        const float u = (cs.yaw + kPi) / (2.f * kPi), v = (cs.elev + kPi * 0.5f) / kPi;
        const Vec3 base = HeadPoint(u, v);
        const Vec3 n = Normalize(base - kHeadCentre);
        // Ringlets hang: their axis leans outwards and down.
        const Vec3 axis = Normalize(n * 0.55f + Vec3{0.f, -0.85f, 0.f});
        const float sz = cs.size * (0.9f + 0.2f * float(HashU(seed++) & 1023) / 1023.f);
        Tube t;
        t.keys = {{base - n * (sz * 0.2f), sz * 0.85f, sz * 0.85f}, {base + axis * (sz * 0.55f), sz, sz},
                  {base + axis * (sz * 1.15f), sz * 0.7f, sz * 0.7f}};
        t.refN = Normalize(Cross(axis, Vec3{0.f, 0.f, 1.f}) + Vec3{0.01f, 0.02f, 0.f});
        t.capStart = 0.2f;
        t.capEnd = 0.3f;
        SurfaceDef s;
        s.at = [t](float uu, float vv) { return TubePoint(t, uu, vv); };
        s.nu = 7;
        s.nv = 5;
        s.poleStart = s.poleEnd = true;
        // Each ringlet has its own small island, painted with its own light.
        const int k = int(seed) - 2;
        s.island = {252 + (k % 3) * 32, 214 + (k / 3) * 34, 28, 28};
        s.paint = CurlPaint;
        s.bones = {kHead};
        topo.Add(s);
    }
}

// Leading edge of the left wing (-z); the right wing mirrors it.
Tube WingEdge(int side) {
    Tube t;
    t.keys = {{{0.24f, 0.76f, -0.10f}, 0.075f, 0.07f}, {{0.44f, 0.98f, -0.34f}, 0.085f, 0.075f},
              {{0.64f, 1.16f, -0.58f}, 0.075f, 0.065f}, {{0.90f, 1.24f, -0.88f}, 0.055f, 0.05f},
              {{1.20f, 1.14f, -1.16f}, 0.035f, 0.03f}};
    if (side == 1)
        for (TubeKey& k : t.keys) k.c.z = -k.c.z;
    t.refN = {0, 1, 0};
    t.capStart = 0.12f;
    t.capEnd = 0.2f;
    return t;
}

Rgba WingArmPaint(const Texel& t) {
    // Rows of small scalloped feathers over the wing's leading edge.
    const float row = t.v * 9.f, col = t.u * 10.f + (int(row) & 1) * 0.5f;
    const float fx = col - std::floor(col) - 0.5f, fy = row - std::floor(row);
    const float scallop = Clamp01(1.f - Dist2(fx * 1.6f, fy * 1.1f));
    const float light = 0.55f + 0.45f * Clamp01(0.5f + 0.5f * std::cos(t.u * 2.f * kPi));
    Rgba c = MixRgba(kFeatherShade, kFeatherLit, Clamp01(light * (0.75f + 0.25f * scallop)));
    return c;
}

void AddWing(CTopology& topo, int side) {
    const float zs = side == 0 ? 1.f : -1.f;  // mirror factor for z (left wing is on -z)
    const Tube edge = WingEdge(side);
    const int root = side == 0 ? kWingL : kWingR;
    const Vec3 out = Normalize(Vec3{0.5f, 0.f, -0.85f * zs});
    const Vec3 down{0, -1, 0}, back{1, 0, 0};
    const Vec3 nw = Normalize(Cross(out, down)) * zs;
    struct Layer {
        int count;
        float t0, t1, len0, len1, width, lift, roundness;
        Island island;
        int rows;
    };
    const Layer layers[3] = {
        {5, 0.58f, 1.0f, 0.95f, 0.72f, 0.28f, 0.0f, 0.45f, kPrimaryIsland, 3},
        {5, 0.08f, 0.52f, 0.74f, 0.9f, 0.3f, 0.012f, 0.7f, kSecondaryIsland, 2},
        {7, 0.02f, 0.94f, 0.44f, 0.38f, 0.27f, 0.03f, 0.9f, kCovertIsland, 1},
    };
    const float shades[3] = {0.55f, 0.6f, 0.72f};
    for (int li = 0; li < 3; ++li) {
        const Layer& L = layers[li];
        for (int i = 0; i < L.count; ++i) {
            const float f = L.count > 1 ? float(i) / float(L.count - 1) : 0.f;
            const float t = Mix(L.t0, L.t1, f);
            const Vec3 base = TubeFrameAt(edge, t).c - nw * L.lift;
            const float fan = li == 0 ? f : t * 0.45f;
            const Vec3 d = Normalize(down * (1.f - fan * 0.55f) + out * (fan * 1.1f) + back * 0.18f);
            const Vec3 sideAxis = Normalize(Cross(nw, d));
            const float len = Mix(L.len0, L.len1, f) * (0.95f + 0.1f * float(HashU(uint32_t(i), uint32_t(li)) & 255) / 255.f);
            const float width = L.width;
            const float bend = 0.06f * len;
            SurfaceDef s;
            s.at = [=](float u, float v) {
                return base + d * (len * v) + sideAxis * (width * (u - 0.5f)) - nw * (bend * std::sin(v * kPi * 0.8f));
            };
            s.nu = 1;
            s.nv = L.rows;
            s.closedU = false;
            s.twoSided = true;
            s.island = L.island;
            s.rig = [root, t](VertexRig& r, Vec3, float, float v) {
                const float w = SmoothStep(0.3f, 0.75f, t);
                r.bone = {uint8_t(root), uint8_t(root + 1), uint8_t(kSpine)};
                r.weight = {1.f - w, w, 0.f};
                r.flutter = v;
            };
            if (side == 0 && i == 0) {
                const float rnd = L.roundness, sb = shades[li];
                const uint32_t seed = uint32_t(li + 1);
                s.paint = [rnd, sb, seed](const Texel& tx) { return FeatherPaint(tx.u, tx.v, rnd, seed, sb); };
            }
            topo.Add(s);
        }
    }
    SurfaceDef s;
    s.at = [edge](float u, float v) { return TubePoint(edge, u, v); };
    s.nu = 5;
    s.nv = 7;
    s.poleStart = s.poleEnd = true;
    s.island = kWingArmIsland;
    s.bones = {root, root + 1};
    if (side == 0) s.paint = WingArmPaint;
    topo.Add(s);
}
// The torso's surface at an angle from the front and a height, pushed out a little.
Vec3 TorsoAt(const Tube& torso, float angle, float y, float lift) {
    // Heights of the keys map to the curve parameter piecewise.
    const size_t n = torso.keys.size();
    float s = 0.f;
    for (size_t i = 0; i + 1 < n; ++i)
        if (y >= torso.keys[i].c.y && y <= torso.keys[i + 1].c.y)
            s = (float(i) + (y - torso.keys[i].c.y) / (torso.keys[i + 1].c.y - torso.keys[i].c.y)) / float(n - 1);
    const float v = torso.capStart + s * (1.f - torso.capStart - torso.capEnd);
    float u = (angle - torso.theta0) / (2.f * kPi);
    u -= std::floor(u);
    const Vec3 p = TubePoint(torso, u, v);
    const Vec3 c = TubeFrameAt(torso, s).c;
    return p + Normalize(Vec3{p.x - c.x, 0.f, p.z - c.z}) * lift;
}

Vec3 SashPoint(const Tube& torso, float u, float v) {
    const float a = 2.f * kPi * u;  // from the front, towards his right
    const float y = 0.3f + 0.4f * std::sin(a) + (v - 0.5f) * 0.15f;
    return TorsoAt(torso, a, y, 0.035f);
}

}  // namespace

CupidBody BuildCupidBody() {
    Blobs().clear();
    CupidBody body;
    CTopology& topo = body.topo;

    const Tube torso = TorsoTube();
    AddTubeBlobs(torso, kPTorso);
    Tube armT[2] = {ArmTube(0), ArmTube(1)}, legT[2] = {LegTube(0), LegTube(1)};
    for (int s = 0; s < 2; ++s) {
        AddTubeBlobs(armT[s], kPArmL + s);
        AddTubeBlobs(legT[s], kPLegL + s);
    }
    Blobs().push_back({kHeadCentre, kHeadCentre, 0.52f, 0.52f, kPHead});
    const Tube drape = DrapeTube();

    // Torso.
    {
        SurfaceDef s;
        s.at = Filleted([torso](float u, float v) { return TubePoint(torso, u, v); }, kPTorso);
        s.nu = 16;
        s.nv = 11;
        s.poleStart = s.poleEnd = true;
        s.island = kTorsoIsland;
        s.bones = {kRoot, kSpine, kNeck};
        s.paint = [](const Texel& t) {
            Rgba c = Skin(t, kPTorso, 0.f);
            // Navel.
            const Vec3 nv{-0.47f, 0.12f, 0.f};
            c = MixRgba(c, Hex(0xC78277), Disc(t.p.y - nv.y, t.p.z - nv.z, 0.025f, 0.015f) * (t.p.x < -0.3f ? 0.8f : 0.f));
            return c;
        };
        topo.Add(s);
    }
    // Head.
    {
        SurfaceDef s;
        s.at = HeadPoint;
        s.nu = 20;
        s.nv = 14;
        s.poleStart = s.poleEnd = true;
        s.island = kHeadIsland;
        s.bones = {kHead};
        s.paint = [](const Texel& t) { return HeadPaint(t, kPHead); };
        topo.Add(s);
    }
    // Arms and legs.
    size_t armFirst[2] = {}, armLast[2] = {};
    for (int side = 0; side < 2; ++side) {
        SurfaceDef s;
        const Tube at = armT[side];
        s.at = Filleted([at](float u, float v) { return TubePoint(at, u, v); }, kPArmL + side);
        s.nu = 8;
        s.nv = 13;
        s.poleStart = s.poleEnd = true;
        s.island = kArmIsland[side];
        const int up = side == 0 ? kUpperArmL : kUpperArmR;
        s.bones = {kSpine, up, up + 1, up + 2};
        s.paint = [side](const Texel& t) {
            // Rosy elbows and fingertips.
            const float tip = SmoothStep(-0.15f, -0.3f, t.p.y);
            return Skin(t, kPArmL + side, tip * 0.6f);
        };
        armFirst[side] = topo.Add(s);
        armLast[side] = topo.rest.size();
        // A thumb on the front edge of each hand.
        {
            const float zs = side == 0 ? 1.f : -1.f;
            Tube tt;
            tt.keys = {{{-0.06f, -0.12f, -0.745f * zs}, 0.04f, 0.04f},
                       {{-0.105f, -0.185f, -0.725f * zs}, 0.036f, 0.034f},
                       {{-0.12f, -0.235f, -0.715f * zs}, 0.03f, 0.028f}};
            tt.refN = {0, 0, 1};
            tt.capStart = 0.2f;
            tt.capEnd = 0.3f;
            SurfaceDef th;
            th.at = [tt](float u, float v) { return TubePoint(tt, u, v); };
            th.nu = 5;
            th.nv = 4;
            th.poleStart = th.poleEnd = true;
            th.island = kThumbIsland;
            th.bones = {up + 1, up + 2};
            if (side == 0) th.paint = [](const Texel& t) { return Skin(t, kPArmL, 0.35f); };
            topo.Add(th);
        }

        SurfaceDef l;
        const Tube lt = legT[side];
        l.at = Filleted([lt](float u, float v) { return TubePoint(lt, u, v); }, kPLegL + side);
        l.nu = 8;
        l.nv = 14;
        l.poleStart = l.poleEnd = true;
        l.island = kLegIsland[side];
        const int th = side == 0 ? kThighL : kThighR;
        l.bones = {kRoot, th, th + 1, th + 2};
        l.paint = [side](const Texel& t) {
            const float knee = std::exp(-((t.p.y + 0.72f) * (t.p.y + 0.72f)) / 0.01f) * (t.p.x < -0.05f ? 1.f : 0.f);
            const float toes = SmoothStep(-1.15f, -1.27f, t.p.y) * SmoothStep(-0.05f, -0.25f, t.p.x);
            return Skin(t, kPLegL + side, knee * 0.5f + toes * 0.6f);
        };
        topo.Add(l);
    }
    AddCurls(topo);
    // Drape round the hips.
    {
        SurfaceDef s;
        s.at = [drape](float u, float v) { return DrapePoint(drape, u, v); };
        s.nu = 15;
        s.nv = 4;
        s.twoSided = true;
        s.island = kDrapeIsland;
        s.rig = [](VertexRig& r, Vec3 p, float, float v) {
            // The upper edge follows the hips, the hem also the thighs.
            const int th = p.z < 0 ? kThighL : kThighR;
            const float front = SmoothStep(0.15f, -0.35f, p.x);
            const float wt = v * 0.85f * front * SmoothStep(0.f, 0.2f, std::fabs(p.z));
            r.bone = {uint8_t(kRoot), uint8_t(th), uint8_t(kSpine)};
            r.weight = {1.f - wt - 0.1f * (1.f - v), wt, 0.1f * (1.f - v)};
            r.flutter = v * v;
        };
        s.paint = [](const Texel& t) {
            const float ao = Occlusion(t.p, t.n, kPDrape);
            Rgba c = Shade(kClothLit, kClothShade, t.n, ao, 0.18f, 10.f, 1.f);
            // Silk sheen along the folds and a golden hem.
            const float th = t.u * 2.f * kPi;
            c = AddRgb(c, Hex(0xFFF6E8), std::pow(0.5f + 0.5f * std::sin(th * 9.f + 2.1f), 8.f) * 0.12f);
            const float hem = SmoothStep(0.86f, 0.9f, t.v) * (1.f - SmoothStep(0.96f, 0.99f, t.v));
            c = MixRgba(c, GoldPaint(t.n, 0.5f, ao), hem);
            return c;
        };
        topo.Add(s);
    }
    // A sash from his left hip across the chest to under his right arm.
    {
        SurfaceDef s;
        s.at = [torso](float u, float v) { return SashPoint(torso, u, v); };
        s.nu = 15;
        s.nv = 1;
        s.island = kSashIsland;
        s.bones = {kRoot, kSpine};
        s.paint = [](const Texel& t) {
            const float ao = Occlusion(t.p, t.n, kPTorso);
            Rgba c = Shade(kClothLit, kClothShade, t.n, ao, 0.2f, 10.f, 1.f);
            const float edge = SmoothStep(0.78f, 0.9f, std::fabs(t.v - 0.5f) * 2.f);
            c = MixRgba(c, GoldPaint(t.n, 0.4f, ao), edge);
            return c;
        };
        topo.Add(s);
    }
    body.nBodyEnd = topo.rest.size();
    // Bow (rigid in the bow frame) and its string.
    {
        SurfaceDef s;
        s.at = [](float u, float v) {
            const float sv = v * 2.f - 1.f;
            const Vec3 c = BowCurve(sv);
            const Vec3 t = Normalize(BowCurve(std::min(sv + 0.01f, 1.f)) - BowCurve(std::max(sv - 0.01f, -1.f)));
            const Vec3 n = Normalize(Cross(t, Vec3{0, 0, 1}));
            const Vec3 b = Cross(t, n);
            const float th = 2.f * kPi * u;
            const float r = BowRadius(sv);
            return c + n * (std::cos(th) * r) + b * (std::sin(th) * r * 0.8f);
        };
        s.nu = 5;
        s.nv = 16;
        s.island = kBowIsland;
        s.kind = RigKind::kBow;
        s.rig = [](VertexRig& r, Vec3 p, float, float) { r.local = p; };
        s.paint = [](const Texel& t) {
            const float sv = t.v * 2.f - 1.f;
            // Wrapped grip, engraved bands on the limbs.
            const float grip = 1.f - SmoothStep(0.1f, 0.14f, std::fabs(sv));
            const float band = std::pow(0.5f + 0.5f * std::cos(sv * 40.f), 16.f) * (1.f - grip);
            Rgba c = GoldPaint(t.n, band, 1.f - 0.4f * band);
            const float wrap = 0.5f + 0.5f * std::sin(sv * 180.f + t.u * 12.f);
            c = MixRgba(c, MixRgba(Hex(0xB0404A), Hex(0xE0707A), wrap * Clamp01(t.n.y + 0.6f)), grip);
            return c;
        };
        topo.Add(s);
        // Gold knobs at the tips.
        for (int top = 0; top < 2; ++top) {
            SurfaceDef k;
            const Vec3 c = BowCurve(top ? 1.f : -1.f);
            k.at = [c](float u, float v) {
                const float th = 2.f * kPi * u, ph = kPi * v;
                return c + Vec3{std::cos(th) * std::sin(ph), -std::cos(ph), std::sin(th) * std::sin(ph)} * 0.036f;
            };
            k.nu = 5;
            k.nv = 3;
            k.poleStart = k.poleEnd = true;
            k.island = kKnobIsland;
            k.kind = RigKind::kBow;
            k.rig = [](VertexRig& r, Vec3 p, float, float) { r.local = p; };
            if (top) k.paint = [](const Texel& t) { return GoldPaint(t.n, 0.2f, 1.f); };
            topo.Add(k);
        }
        SurfaceDef st;
        st.at = [](float u, float v) {
            const Vec3 a = BowTip(1), b = BowTip(0);
            const float th = 2.f * kPi * u;
            return Lerp(a, b, v) + Vec3{std::cos(th) * 0.008f, 0.f, std::sin(th) * 0.008f};
        };
        st.nu = 3;
        st.nv = 2;
        st.island = kStringIsland;
        st.kind = RigKind::kString;
        st.rig = [](VertexRig& r, Vec3 p, float, float v) {
            r.param = v;
            r.local = p - Lerp(BowTip(1), BowTip(0), v);
        };
        st.paint = [](const Texel&) { return Hex(0xFFF4E0); };
        topo.Add(st);
    }

    for (int side = 0; side < 2; ++side) AddWing(topo, side);
    // The glow hangs between the palms: move a palm point of each hand to its fixed index.
    for (int side = 0; side < 2; ++side) {
        const int hand = side == 0 ? kHandL : kHandR;
        const Vec3 palm = Lerp(RestJoint(hand), RestEnd(hand), 0.45f) + Vec3{0.f, 0.f, side == 0 ? 0.06f : -0.06f};
        topo.SwapPositions(topo.Nearest(palm, armFirst[side], armLast[side]), side == 0 ? kGlowVertexA : kGlowVertexB);
    }
    // Atlas.
    CAtlas atlas(kAtlas, kAtlas, MixRgba(kSkinLit, kSkinShade, 0.3f));
    topo.Paint(atlas, 3);
    body.atlas = atlas.ToImage(4);
    return body;
}

}  // namespace assetgen::cupid
