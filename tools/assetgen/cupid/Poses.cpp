#include "Poses.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "CupidBody.h"

namespace assetgen::cupid {
namespace {

constexpr int kParamFloats = sizeof(PoseParams) / sizeof(float);
static_assert(sizeof(PoseParams) == kParamFloats * sizeof(float), "pose values must pack as floats");
using ParamArray = std::array<float, kParamFloats>;

ParamArray ToArray(const PoseParams& p) {
    ParamArray a;
    std::memcpy(a.data(), static_cast<const void*>(&p), sizeof p);
    return a;
}
PoseParams FromArray(const ParamArray& a) {
    PoseParams p;
    std::memcpy(static_cast<void*>(&p), a.data(), sizeof p);
    return p;
}

// The figure sits forward of his turning point, so that the bow, drawn in
// front of his chin, puts the arrow on the release line.
constexpr float kBodyX = -0.55f;

Vec3 M(float x, float y, float z) { return {x + kBodyX, y, z}; }

PoseParams Neutral() {
    PoseParams p{};
    p.root = M(0.f, 0.f, 0.f);
    p.lean = 0.06f;
    p.headPitch = 0.02f;
    p.grip = M(-0.36f, 0.02f, -0.70f);
    p.bowFwd = Normalize(Vec3{-0.95f, 0.f, -0.3f});
    p.bowUp = Normalize(Vec3{-0.22f, 1.f, -0.1f});
    p.nockR = M(-0.52f, -0.04f, 0.5f);
    p.fingersR = Normalize(Vec3{-0.45f, -0.8f, -0.3f});
    p.palmR = Normalize(Vec3{0.2f, 0.f, -1.f});
    p.thighL = -1.05f;
    p.kneeL = 1.45f;
    p.footL = 0.35f;
    p.thighR = -0.3f;
    p.kneeR = 0.85f;
    p.footR = 0.45f;
    p.splay = 0.06f;
    p.arrowDirHand = Normalize(Vec3{-0.9f, -0.28f, -0.35f});
    return p;
}

// Curve through keyed poses: Catmull-Rom tangents, still at the first and last key.
class CTimeline {
public:
    void Key(float frame, const PoseParams& p) { m_Keys.push_back({frame, ToArray(p)}); }
    PoseParams Sample(float f) const {
        if (f <= m_Keys.front().first) return FromArray(m_Keys.front().second);
        if (f >= m_Keys.back().first) return FromArray(m_Keys.back().second);
        size_t i = 0;
        while (i + 2 < m_Keys.size() && f > m_Keys[i + 1].first) ++i;
        const auto& a = m_Keys[i];
        const auto& b = m_Keys[i + 1];
        const float h = b.first - a.first;
        const float t = (f - a.first) / h;
        ParamArray out;
        for (int k = 0; k < kParamFloats; ++k) {
            // Monotone slopes: a value that turns or holds at a key rests there,
            // so holds stay still and nothing overshoots its keys.
            auto slope = [&](size_t j) {
                if (j == 0 || j + 1 >= m_Keys.size()) return 0.f;
                const float d0 = (m_Keys[j].second[size_t(k)] - m_Keys[j - 1].second[size_t(k)]) /
                                 (m_Keys[j].first - m_Keys[j - 1].first);
                const float d1 = (m_Keys[j + 1].second[size_t(k)] - m_Keys[j].second[size_t(k)]) /
                                 (m_Keys[j + 1].first - m_Keys[j].first);
                if (d0 * d1 <= 0.f) return 0.f;
                return 2.f * d0 * d1 / (d0 + d1);
            };
            const float p0 = a.second[size_t(k)], p1 = b.second[size_t(k)];
            const float m0 = slope(i) * h, m1 = slope(i + 1) * h;
            const float t2 = t * t, t3 = t2 * t;
            out[size_t(k)] = (2 * t3 - 3 * t2 + 1) * p0 + (t3 - 2 * t2 + t) * m0 + (-2 * t3 + 3 * t2) * p1 + (t3 - t2) * m1;
        }
        return FromArray(out);
    }

private:
    std::vector<std::pair<float, ParamArray>> m_Keys;
};

// Periodic helpers over an animation of F frames: zero with zero slope at both ends.
float Rise(float f, float F, float cycles) { return 0.5f - 0.5f * std::cos(2.f * kPi * cycles * f / F); }
float Wave(float f, float F, float cycles, float phase = 0.f) {
    return std::sin(2.f * kPi * cycles * f / F + phase) - std::sin(phase);
}

void Flap(PoseParams& p, float amount, float flex) {
    p.flapL += amount;
    p.flapR += amount;
    p.tipFlex += flex;
}

PoseParams Idle(float f) {
    const float F = 26.f;
    PoseParams p = Neutral();
    const float r = Rise(f, F, 1.f);
    Flap(p, 0.42f * r, 0.28f * std::sin(2.f * kPi * f / F));
    p.root.y += 0.07f * Rise(f, F, 1.f) - 0.02f;
    p.root.y += 0.02f;
    p.headRoll += 0.05f * std::sin(2.f * kPi * f / F);
    p.kneeL += 0.18f * r;
    p.kneeR -= 0.12f * r;
    p.lean += 0.03f * r;
    return p;
}

PoseParams Idle2(float f) {
    // He looks about to his right, waves at someone there, then looks to his left.
    const float F = 76.f;
    CTimeline tl;
    PoseParams n = Neutral();
    tl.Key(0, n);
    PoseParams a = n;
    a.headYaw = 0.55f;
    a.headPitch = -0.12f;
    a.twist = 0.12f;
    a.grip = a.grip + Vec3{-0.05f, 0.08f, 0.f};
    a.nockR = M(-0.2f, 0.1f, 0.62f);
    tl.Key(11, a);
    PoseParams w = a;  // the right hand up beside his head
    w.headYaw = 0.35f;
    w.headRoll = 0.12f;
    w.headPitch = -0.05f;
    w.nockR = M(-0.3f, 1.5f, 0.78f);
    w.fingersR = Normalize(Vec3{-0.15f, 1.f, 0.1f});
    w.palmR = Normalize(Vec3{-1.f, 0.f, 0.1f});
    w.flapL = w.flapR = 0.1f;
    tl.Key(27, w);
    tl.Key(37, w);
    PoseParams b = n;
    b.headYaw = -0.5f;
    b.headRoll = -0.08f;
    b.headPitch = 0.08f;
    b.twist = -0.06f;
    b.lean = 0.12f;
    tl.Key(56, b);
    PoseParams b2 = b;
    b2.headYaw = -0.45f;
    tl.Key(65, b2);
    tl.Key(76, n);
    PoseParams p = tl.Sample(f);
    // The wave: the raised hand swings to and fro.
    const float waving = SmoothStep(24.f, 28.f, f) * (1.f - SmoothStep(34.f, 38.f, f));
    const float swing = std::sin(2.f * kPi * (f - 26.f) / 6.f) * waving;
    p.nockR = p.nockR + Vec3{0.f, -0.02f, 0.09f} * swing;
    p.fingersR = Normalize(p.fingersR + Vec3{0.f, 0.f, 0.45f} * swing);
    Flap(p, 0.4f * Rise(f, F, 3.f), 0.25f * Wave(f, F, 3.f));
    p.root.y += 0.06f * Rise(f, F, 3.f);
    p.kneeL += 0.25f * Rise(f, F, 2.f);
    p.kneeR += 0.2f * Rise(f, F, 2.f) * std::sin(2.f * kPi * f / F);
    return p;
}

// Ready pose of the alert: the bow comes up before his chest.
PoseParams Ready(const PoseParams& n) {
    PoseParams a = n;
    a.grip = M(-0.78f, 0.72f, -0.2f);
    a.bowFwd = Normalize(Vec3{-1.f, 0.05f, -0.15f});
    a.bowUp = Normalize(Vec3{0.f, 1.f, -0.35f});
    a.nockR = M(-0.42f, 0.62f, 0.12f);
    a.fingersR = Normalize(Vec3{-0.9f, 0.1f, -0.4f});
    a.palmR = Normalize(Vec3{0.f, 0.3f, -1.f});
    a.twist = 0.35f;
    a.headYaw = -0.05f;
    a.lean = 0.14f;
    a.thighL = -0.55f;
    a.thighR = -0.35f;
    a.kneeR = 0.95f;
    return a;
}

PoseParams Alert(float f) {
    const float F = 50.f;
    CTimeline tl;
    PoseParams n = Neutral();
    tl.Key(0, n);
    PoseParams s = n;  // startled: straightens up, wings open
    s.lean = -0.08f;
    s.headPitch = -0.18f;
    s.root.y += 0.12f;
    s.flapL = s.flapR = 0.55f;
    s.kneeL = 1.1f;
    s.thighL = -0.8f;
    tl.Key(9, s);
    PoseParams r = Ready(n);
    r.root.y += 0.08f;
    r.flapL = r.flapR = 0.2f;
    tl.Key(20, r);
    PoseParams r2 = r;
    r2.headPitch = 0.1f;
    r2.headYaw = 0.05f;
    r2.lean = 0.2f;
    tl.Key(35, r2);
    tl.Key(50, n);
    PoseParams p = tl.Sample(f);
    Flap(p, 0.3f * Rise(f, F, 4.f), 0.2f * Wave(f, F, 4.f));
    p.root.y += 0.03f * Rise(f, F, 4.f);
    return p;
}

// Full draw: the arrow lies on the release line, nock at his chin.
PoseParams FullDraw(const PoseParams& n) {
    PoseParams d = n;
    d.root = M(0.f, -0.06f, -0.28f);
    d.twist = 1.05f;
    d.lean = 0.16f;
    d.roll = 0.05f;
    d.headYaw = 0.f;
    d.headPitch = 0.05f;
    d.headRoll = -0.12f;
    d.bowFwd = {-1.f, 0.f, 0.f};
    d.bowUp = {0.f, 1.f, 0.f};
    // The arrow rest sits 0.07 above the grip, so the grip goes below the line.
    d.grip = {kBodyX - 1.0f, kReleasePoint.y - BowArrowRest().y, kReleasePoint.z};
    // At full draw the nock sits where the flying arrow's nock will be at its
    // release point, so the arrow leaves the string without a jump.
    d.nockR = {kReleasePoint.x + 1.42f, kReleasePoint.y, kReleasePoint.z};
    d.fingersR = Normalize(Vec3{-0.85f, 0.f, -0.55f});
    d.palmR = Normalize(Vec3{0.3f, 0.1f, -1.f});
    d.draw = 1.f;
    d.arrowOnBow = 1.f;
    d.thighL = -0.45f;
    d.kneeL = 1.0f;
    d.thighR = -0.1f;
    d.kneeR = 0.9f;
    d.splay = 0.15f;
    d.flapL = d.flapR = 0.25f;
    d.fold = 0.15f;
    return d;
}

PoseParams Shot(float f) {
    CTimeline tl;
    PoseParams n = Neutral();
    tl.Key(0, n);
    // Raise the bow and bring the arrow across.
    PoseParams r = FullDraw(n);
    r.draw = 0.f;
    r.arrowOnBow = 0.f;
    r.twist = 0.6f;
    r.root = M(0.f, 0.f, -0.14f);
    r.grip = r.grip + Vec3{0.1f, -0.06f, 0.f};
    r.nockR = M(-0.75f, 0.95f, 0.15f);
    r.arrowDirHand = Normalize(Vec3{-1.f, 0.25f, -0.2f});
    r.fingersR = Normalize(Vec3{-0.8f, 0.2f, -0.6f});
    tl.Key(9, r);
    // Nocked: fingers on the resting string.
    PoseParams k = FullDraw(n);
    k.draw = 0.f;
    k.twist = 0.8f;
    k.root = M(0.f, -0.03f, -0.2f);
    const Vec3 stringRest = k.grip + Vec3{0.30f, 0.f, 0.f};
    k.nockR = stringRest + Vec3{0.f, 0.07f, 0.f};
    tl.Key(15, k);
    PoseParams d = FullDraw(n);
    tl.Key(26, d);
    PoseParams h = d;
    h.headPitch = 0.07f;
    tl.Key(32, h);
    // Release: the string snaps, the drawing hand flies back.
    PoseParams rel = d;
    rel.draw = 0.f;
    rel.released = 1.f;
    rel.nockR = d.nockR + Vec3{0.3f, 0.1f, 0.22f};
    rel.fingersR = Normalize(Vec3{-0.3f, 0.5f, 0.3f});
    rel.palmR = Normalize(Vec3{0.5f, 0.f, -1.f});
    rel.headPitch = 0.f;
    tl.Key(33, rel);
    PoseParams fo = rel;
    fo.nockR = rel.nockR + Vec3{0.08f, 0.05f, 0.05f};
    fo.headPitch = -0.05f;
    fo.lean = 0.1f;
    tl.Key(42, fo);
    PoseParams low = Ready(n);
    low.released = 1.f;
    low.grip = low.grip + Vec3{0.1f, -0.2f, -0.2f};
    low.nockR = M(-0.4f, 0.35f, 0.45f);
    low.fingersR = n.fingersR;
    low.palmR = n.palmR;
    tl.Key(56, low);
    PoseParams end = n;
    end.released = 1.f;
    tl.Key(74.5f, end);
    PoseParams p = tl.Sample(f);
    // Wings keep beating slowly, quieter while he aims.
    const float quiet = 1.f - 0.7f * SmoothStep(8.f, 16.f, f) * (1.f - SmoothStep(33.f, 44.f, f));
    Flap(p, 0.3f * Rise(f, 75.f, 3.f) * quiet, 0.2f * Wave(f, 75.f, 3.f) * quiet);
    return p;
}

}  // namespace

int AnimFrames(int anim) {
    static const int frames[kAnimCount] = {26, 76, 50, 75};
    return frames[anim];
}

const char* AnimEntryName(int anim) {
    static const char* names[kAnimCount] = {"kupidon_idle.MODEL", "kupidon_idle2.MODEL", "kupidon_achtung.MODEL",
                                            "kupidon_shot.MODEL"};
    return names[anim];
}

PoseParams AnimParams(int anim, float frame) {
    switch (anim) {
        case kAnimIdle: return Idle(frame);
        case kAnimIdle2: return Idle2(frame);
        case kAnimAlert: return Alert(frame);
        default: return Shot(frame);
    }
}

PosedFigure PoseFigure(const PoseParams& p) {
    Pose pose;
    pose.rootOffset = p.root;
    pose.local[kRoot] = AxisAngle({0, 0, 1}, p.lean * 0.3f) * AxisAngle({0, 1, 0}, p.twist * 0.3f);
    pose.local[kSpine] = AxisAngle({0, 1, 0}, p.twist * 0.7f) * AxisAngle({0, 0, 1}, p.lean * 0.7f) *
                         AxisAngle({1, 0, 0}, p.roll);
    pose.local[kNeck] = Quat{};
    // The head is aimed in model space, whatever the spine does.
    const Quat headGlobal = AxisAngle({0, 1, 0}, p.headYaw) * AxisAngle({0, 0, 1}, p.headPitch) *
                            AxisAngle({1, 0, 0}, p.headRoll);
    pose.local[kHead] = Conjugate(GlobalRotation(pose, kNeck)) * headGlobal;
    for (int s = 0; s < 2; ++s) {
        const float zs = s == 0 ? -1.f : 1.f;
        const int th = s == 0 ? kThighL : kThighR;
        const float thigh = s == 0 ? p.thighL : p.thighR, knee = s == 0 ? p.kneeL : p.kneeR;
        const float foot = s == 0 ? p.footL : p.footR;
        pose.local[th] = AxisAngle({1, 0, 0}, -zs * p.splay) * AxisAngle({0, 0, 1}, thigh);
        pose.local[th + 1] = AxisAngle({0, 0, 1}, knee);
        pose.local[th + 2] = AxisAngle({0, 0, 1}, -foot);
        const int w = s == 0 ? kWingL : kWingR;
        const float flap = s == 0 ? p.flapL : p.flapR;
        pose.local[w] = AxisAngle({1, 0, 0}, -zs * flap) * AxisAngle({0, 1, 0}, zs * p.fold);
        pose.local[w + 1] = AxisAngle({1, 0, 0}, zs * p.tipFlex);
    }
    // Left hand closes round the bow grip.
    const Vec3 bowFwd = Normalize(p.bowFwd), bowUp = Normalize(p.bowUp);
    const Vec3 fingersL = Normalize(Cross(bowUp, bowFwd));
    const Quat handL = FrameToFrame(RestEnd(kHandL) - RestJoint(kHandL), {0, 0, 1}, fingersL, bowFwd);
    SolveArm(pose, 0, p.grip - fingersL * 0.1f - bowFwd * 0.06f, Normalize(Vec3{0.4f, -1.f, -0.6f}), handL);
    const Vec3 fingersR = Normalize(p.fingersR);
    const Quat handR = FrameToFrame(RestEnd(kHandR) - RestJoint(kHandR), {0, 0, -1}, fingersR, Normalize(p.palmR));
    const Vec3 pole = Normalize(Mix(0.f, 1.f, p.draw) * Vec3{1.f, 0.2f, 0.6f} + Vec3{0.4f, -1.f, 0.6f} * (1.f - p.draw));
    SolveArm(pose, 1, p.nockR - fingersR * 0.2f, pole, handR);

    PosedFigure out;
    out.bones = Evaluate(pose);
    out.bow = Xform{FrameToFrame({1, 0, 0}, {0, 1, 0}, bowFwd, bowUp), p.grip};
    out.stringTop = out.bow.Apply(BowTip(1));
    out.stringBottom = out.bow.Apply(BowTip(0));
    const Vec3 rest = out.bow.Apply(BowStringRest());
    out.nock = Lerp(rest, p.nockR, Clamp01(p.draw));
    // Arrow: held by its shaft, then laid on the bow with its nock on the string.
    const Vec3 onBowTail = Lerp(rest, p.nockR, Clamp01(p.draw));
    const Vec3 onBowDir = Normalize(out.bow.Apply(BowArrowRest()) - onBowTail);
    const Vec3 handDir = Normalize(p.arrowDirHand);
    const Vec3 handTail = p.nockR - handDir * 0.35f;
    const float k = Clamp01(p.arrowOnBow);
    out.arrowTail = Lerp(handTail, onBowTail, k);
    out.arrowDir = Normalize(Lerp(handDir, onBowDir, k));
    out.arrowUp = Normalize(bowUp - out.arrowDir * Dot(bowUp, out.arrowDir));
    out.arrowReleased = p.released > 0.5f;
    return out;
}

}  // namespace assetgen::cupid
