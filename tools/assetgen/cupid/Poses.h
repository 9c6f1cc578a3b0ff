#pragma once
// The cupid's four animations as pose curves, and what each pose implies for
// the bow, its string and the arrow.
#include "Skeleton.h"

namespace assetgen::cupid {

enum Anim : int { kAnimIdle, kAnimIdle2, kAnimAlert, kAnimShot, kAnimCount };
int AnimFrames(int anim);
const char* AnimEntryName(int anim);

// The shot lets go at this stored frame (animation step 66).
constexpr int kReleaseFrame = 33;
// Model-space point where the flying arrow starts.
const Vec3 kReleasePoint{-2.388f, 1.229f, 0.009f};

// Every value a pose is made from; all floats so poses interpolate as arrays.
struct PoseParams {
    Vec3 root;                          // figure offset, model space
    float lean, twist, roll;            // spine: forward, turn (left shoulder forward), side bend
    float headYaw, headPitch, headRoll; // head direction in model space (pitch > 0 looks down)
    float flapL, flapR, fold, tipFlex;  // wings: raise, sweep back, bend of the tips
    Vec3 grip, bowFwd, bowUp;           // bow in the left hand, model space
    Vec3 nockR, fingersR, palmR;        // right fingertips and hand orientation
    float draw;                         // 0 string at rest .. 1 string at the right fingertips
    float thighL, thighR, kneeL, kneeR, footL, footR, splay;
    float arrowOnBow;                   // 0 held in the right hand .. 1 nocked
    Vec3 arrowDirHand;
    float released;                     // the arrow has left the bow
};

PoseParams AnimParams(int anim, float frame);

struct PosedFigure {
    PoseTransforms bones;
    Xform bow;           // bow frame -> model space
    Vec3 stringTop, stringBottom, nock;
    // Arrow placement: its tail (nock end) and flight direction, and whether it is shown.
    Vec3 arrowTail, arrowDir, arrowUp;
    bool arrowReleased = false;
};
PosedFigure PoseFigure(const PoseParams& p);

}  // namespace assetgen::cupid
