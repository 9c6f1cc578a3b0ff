#include "Skeleton.h"

#include <algorithm>

namespace assetgen::cupid {
namespace {

struct BoneDef {
    int nParent;
    Vec3 joint, end;
};

// The figure is about 3.6 units tall; z > 0 is his right side.
const BoneDef kBones[kBoneCount] = {
    {-1, {0.f, 0.f, 0.f}, {0.f, 0.45f, 0.f}},                  // root (pelvis)
    {kRoot, {0.f, 0.45f, 0.f}, {-0.02f, 0.92f, 0.f}},          // spine (chest)
    {kSpine, {-0.02f, 0.92f, 0.f}, {-0.02f, 1.05f, 0.f}},      // neck
    {kNeck, {-0.02f, 1.05f, 0.f}, {-0.05f, 2.1f, 0.f}},        // head
    {kSpine, {0.02f, 0.80f, -0.38f}, {0.02f, 0.35f, -0.60f}},  // upper arm L
    {kUpperArmL, {0.02f, 0.35f, -0.60f}, {0.0f, -0.08f, -0.76f}},
    {kForearmL, {0.0f, -0.08f, -0.76f}, {-0.03f, -0.31f, -0.82f}},
    {kSpine, {0.02f, 0.80f, 0.38f}, {0.02f, 0.35f, 0.60f}},  // upper arm R
    {kUpperArmR, {0.02f, 0.35f, 0.60f}, {0.0f, -0.08f, 0.76f}},
    {kForearmR, {0.0f, -0.08f, 0.76f}, {-0.03f, -0.31f, 0.82f}},
    {kRoot, {0.f, -0.20f, -0.20f}, {-0.04f, -0.72f, -0.22f}},  // thigh L
    {kThighL, {-0.04f, -0.72f, -0.22f}, {0.0f, -1.16f, -0.22f}},
    {kShinL, {0.0f, -1.16f, -0.22f}, {-0.24f, -1.27f, -0.22f}},
    {kRoot, {0.f, -0.20f, 0.20f}, {-0.04f, -0.72f, 0.22f}},  // thigh R
    {kThighR, {-0.04f, -0.72f, 0.22f}, {0.0f, -1.16f, 0.22f}},
    {kShinR, {0.0f, -1.16f, 0.22f}, {-0.24f, -1.27f, 0.22f}},
    {kSpine, {0.30f, 0.74f, -0.14f}, {0.75f, 1.15f, -0.62f}},  // wing L
    {kWingL, {0.75f, 1.15f, -0.62f}, {1.35f, 1.05f, -1.25f}},
    {kSpine, {0.30f, 0.74f, 0.14f}, {0.75f, 1.15f, 0.62f}},  // wing R
    {kWingR, {0.75f, 1.15f, 0.62f}, {1.35f, 1.05f, 1.25f}},
};

}  // namespace

Vec3 RestJoint(int bone) { return kBones[bone].joint; }
Vec3 RestEnd(int bone) { return kBones[bone].end; }
int ParentBone(int bone) { return kBones[bone].nParent; }

PoseTransforms Evaluate(const Pose& pose) {
    PoseTransforms out;
    for (int b = 0; b < kBoneCount; ++b) {
        const int p = kBones[b].nParent;
        const Vec3 offset = p < 0 ? kBones[b].joint + pose.rootOffset : kBones[b].joint - kBones[p].joint;
        const Xform local{pose.local[b], offset};
        out.global[b] = p < 0 ? local : out.global[p] * local;
        out.skin[b] = out.global[b] * Xform{Quat{}, kBones[b].joint * -1.f};
    }
    return out;
}

Quat GlobalRotation(const Pose& pose, int bone) {
    Quat q = pose.local[bone];
    for (int p = kBones[bone].nParent; p >= 0; p = kBones[p].nParent) q = pose.local[p] * q;
    return q;
}

void SolveArm(Pose& pose, int side, Vec3 wrist, Vec3 pole, Quat hand) {
    const int upper = side == 0 ? kUpperArmL : kUpperArmR;
    const int fore = upper + 1, handBone = upper + 2;
    const float l1 = Length(kBones[fore].joint - kBones[upper].joint);
    const float l2 = Length(kBones[handBone].joint - kBones[fore].joint);
    pose.local[upper] = pose.local[fore] = pose.local[handBone] = Quat{};
    const PoseTransforms t = Evaluate(pose);
    const Vec3 s = t.Joint(upper);
    Vec3 d = wrist - s;
    float dist = std::clamp(Length(d), 0.05f, (l1 + l2) * 0.999f);
    d = Normalize(d);
    // Elbow in the plane of the reach and the pole.
    Vec3 bend = pole - d * Dot(pole, d);
    if (Length(bend) < 1e-4f) bend = Vec3{0, -1, 0};
    bend = Normalize(bend);
    const float a = (l1 * l1 - l2 * l2 + dist * dist) / (2.f * dist);
    const float h = std::sqrt(std::max(0.f, l1 * l1 - a * a));
    const Vec3 elbow = s + d * a + bend * h;
    const Vec3 w = s + d * dist;

    const Quat parentQ = GlobalRotation(pose, kSpine);
    const Vec3 rest1 = kBones[fore].joint - kBones[upper].joint;
    const Vec3 rest2 = kBones[handBone].joint - kBones[fore].joint;
    // Keep the elbow's hinge axis consistent: rest hinge is the normal of the rest arm plane.
    const Vec3 restHinge = Cross(rest1, rest2);
    const Vec3 hinge = Cross(elbow - s, w - elbow);
    const Vec3 restUp = Length(restHinge) > 1e-5f ? restHinge : Vec3{1, 0, 0};
    const Vec3 up = Length(hinge) > 1e-5f ? hinge : Rotate(parentQ, restUp);
    const Quat g1 = FrameToFrame(rest1, restUp, elbow - s, up);
    const Quat g2 = FrameToFrame(rest2, restUp, w - elbow, up);
    pose.local[upper] = Conjugate(parentQ) * g1;
    pose.local[fore] = Conjugate(g1) * g2;
    pose.local[handBone] = Conjugate(g2) * hand;
}

}  // namespace assetgen::cupid
