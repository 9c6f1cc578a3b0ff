#pragma once
// The cupid's rest-pose body: surfaces, rig and the painted atlas.
#include "Geometry.h"

namespace assetgen::cupid {

// The bow in its own frame: grip at the origin, +x towards the target,
// +y up along the limbs; the string rests at the tips.
constexpr float kBowHalfLength = 0.82f;
Vec3 BowTip(int top);            // bow frame
// Where the arrow lies on the bow (bow frame) and the nock point of the resting string.
Vec3 BowArrowRest();
Vec3 BowStringRest();

struct CupidBody {
    CTopology topo;
    size_t nBodyEnd = 0;   // positions before the bow
    Image atlas;           // 512 x 512, four channels
};

// Stored positions that carry the glow between them (bow hand, drawing hand).
constexpr size_t kGlowVertexA = 1348;
constexpr size_t kGlowVertexB = 1368;

CupidBody BuildCupidBody();

}  // namespace assetgen::cupid
