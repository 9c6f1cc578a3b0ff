#pragma once
// The cupid's small skeleton: joints in the rest pose, forward kinematics,
// a two-bone arm solver and the skinning transforms.
#include <array>

#include "CupidMath.h"

namespace assetgen::cupid {

enum Bone : int {
    kRoot, kSpine, kNeck, kHead,
    kUpperArmL, kForearmL, kHandL, kUpperArmR, kForearmR, kHandR,
    kThighL, kShinL, kFootL, kThighR, kShinR, kFootR,
    kWingL, kWingTipL, kWingR, kWingTipR,
    kBoneCount
};

// Rest-pose joint positions (model space) and the parent of every bone.
Vec3 RestJoint(int bone);
int ParentBone(int bone);
// Where each limb ends in the rest pose (hand tip, toe, wing tip).
Vec3 RestEnd(int bone);

struct Pose {
    Vec3 rootOffset;                       // translation of the whole figure
    std::array<Quat, kBoneCount> local{};  // rotation of each bone about its joint, parent space
};

// Global transforms of every bone for a pose.
struct PoseTransforms {
    std::array<Xform, kBoneCount> global;  // rest-aligned bone frame -> model space
    std::array<Xform, kBoneCount> skin;    // rest-pose point -> posed point
    Vec3 Joint(int bone) const { return global[bone].t; }
};
PoseTransforms Evaluate(const Pose& pose);

// Bends the arm of 'side' (0 left, 1 right) so the wrist reaches 'wrist', the
// elbow bending towards 'pole'; the hand then gets the global rotation 'hand'
// relative to its rest orientation.
void SolveArm(Pose& pose, int side, Vec3 wrist, Vec3 pole, Quat hand);
// Global rotation of a bone under a pose (for building hand orientations).
Quat GlobalRotation(const Pose& pose, int bone);

}  // namespace assetgen::cupid
