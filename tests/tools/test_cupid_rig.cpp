// The cupid's rig on its own: rotations, the skeleton and its arm solver, the
// pose curves, and the padding that fits meshes to their budgets.
#include <cmath>

#include <gtest/gtest.h>

#include "cupid/CupidAssets.h"
#include "cupid/CupidBody.h"
#include "cupid/Heart.h"
#include "cupid/Poses.h"
#include "cupid/Skeleton.h"

namespace {

using namespace assetgen;
using namespace assetgen::cupid;

void ExpectNear(Vec3 a, Vec3 b, float tol, const char* what) {
    EXPECT_NEAR(a.x, b.x, tol) << what;
    EXPECT_NEAR(a.y, b.y, tol) << what;
    EXPECT_NEAR(a.z, b.z, tol) << what;
}

TEST(CupidRig, RotationsMapFramesAndInvertCleanly) {
    const Vec3 x0{1, 0, 0}, y0{0, 1, 0};
    const Vec3 x1 = Normalize(Vec3{-0.3f, 0.2f, 0.9f}), y1 = Normalize(Vec3{0.1f, 1.f, 0.2f});
    const Quat q = FrameToFrame(x0, y0, x1, y1);
    ExpectNear(Rotate(q, x0), x1, 1e-4f, "x axis");
    // y lands on y1 made orthogonal to x1.
    ExpectNear(Rotate(q, y0), Normalize(y1 - x1 * Dot(y1, x1)), 1e-4f, "y axis");
    // Opposite directions still give a proper half turn.
    ExpectNear(Rotate(FromTo({0, 1, 0}, {0, -1, 0}), {0, 1, 0}), {0, -1, 0}, 1e-4f, "half turn");
    const Xform t{AxisAngle({0, 1, 0}, 0.7f), {1, 2, 3}};
    ExpectNear((Inverse(t) * t).Apply({0.3f, -0.4f, 2.f}), {0.3f, -0.4f, 2.f}, 1e-5f, "inverse");
    // Periodic bumps wrap round the loop.
    EXPECT_NEAR(PeriodicBump(0.02f, 0.98f, 0.1f), PeriodicBump(0.94f, 0.98f, 0.1f), 1e-5f);
    EXPECT_GT(PeriodicBump(0.02f, 0.98f, 0.1f), 0.5f);
    EXPECT_FLOAT_EQ(PeriodicBump(0.5f, 0.1f, 0.1f), 0.f);
}

TEST(CupidRig, TheRestPoseLeavesEveryPointWhereItIs) {
    const PoseTransforms t = Evaluate(Pose{});
    for (int b = 0; b < kBoneCount; ++b) {
        ExpectNear(t.skin[b].Apply({0.2f, 0.5f, -0.3f}), {0.2f, 0.5f, -0.3f}, 1e-5f, "skin");
        ExpectNear(t.Joint(b), RestJoint(b), 1e-5f, "joint");
    }
}

TEST(CupidRig, TheArmSolverReachesItsTargetAndKeepsTheBones) {
    for (int side = 0; side < 2; ++side) {
        const int upper = side == 0 ? kUpperArmL : kUpperArmR;
        const float l1 = Length(RestJoint(upper + 1) - RestJoint(upper));
        const float l2 = Length(RestJoint(upper + 2) - RestJoint(upper + 1));
        Pose pose;
        pose.local[kSpine] = AxisAngle({0, 1, 0}, 0.6f);
        const Vec3 shoulder = Evaluate(pose).Joint(upper);
        const Vec3 target = shoulder + Normalize(Vec3{-1.f, 0.5f, 0.2f}) * ((l1 + l2) * 0.8f);
        const Quat hand = AxisAngle({1, 0, 0}, 0.4f);
        SolveArm(pose, side, target, {0, -1, 0}, hand);
        const PoseTransforms t = Evaluate(pose);
        ExpectNear(t.Joint(upper + 2), target, 1e-3f, "wrist");
        EXPECT_NEAR(Length(t.Joint(upper + 1) - t.Joint(upper)), l1, 1e-4f);
        EXPECT_NEAR(Length(t.Joint(upper + 2) - t.Joint(upper + 1)), l2, 1e-4f);
        // The elbow bends towards the pole (down).
        EXPECT_LT(t.Joint(upper + 1).y, 0.5f * (shoulder.y + target.y));
        // The hand gets the asked orientation.
        ExpectNear(Rotate(GlobalRotation(pose, upper + 2), {1, 0, 0}), Rotate(hand, {1, 0, 0}), 1e-3f, "hand");
        // Out of reach the arm stretches towards the target instead.
        SolveArm(pose, side, shoulder + Vec3{-5.f, 0.f, 0.f}, {0, -1, 0}, hand);
        const Vec3 w = Evaluate(pose).Joint(upper + 2);
        EXPECT_NEAR(Length(w - shoulder), l1 + l2, 0.01f);
        EXPECT_LT(w.x, shoulder.x - (l1 + l2) * 0.95f);
    }
}

TEST(CupidRig, PoseCurvesHoldTheDrawAndStartEveryPassAtRest) {
    // Held at full draw from frame 26 to 32, without drifting or overshooting.
    const PoseParams d = AnimParams(kAnimShot, 26.f);
    for (float f = 26.f; f <= 32.f; f += 0.5f) {
        const PoseParams p = AnimParams(kAnimShot, f);
        EXPECT_FLOAT_EQ(p.draw, 1.f) << f;
        ExpectNear(p.nockR, d.nockR, 1e-5f, "nock");
        ExpectNear(p.grip, d.grip, 1e-5f, "grip");
    }
    // Released from frame 33 on, drawn before.
    EXPECT_LT(AnimParams(kAnimShot, 32.f).released, 0.5f);
    EXPECT_GT(AnimParams(kAnimShot, 33.f).released, 0.5f);
    EXPECT_FLOAT_EQ(AnimParams(kAnimShot, 33.f).draw, 0.f);
    // Every pass starts from the same pose.
    const PoseParams rest = AnimParams(kAnimIdle, 0.f);
    for (int a = 0; a < kAnimCount; ++a) {
        const PoseParams p = AnimParams(a, 0.f);
        ExpectNear(p.grip, rest.grip, 1e-5f, AnimEntryName(a));
        ExpectNear(p.nockR, rest.nockR, 1e-5f, AnimEntryName(a));
        EXPECT_NEAR(p.flapL, rest.flapL, 1e-5f) << AnimEntryName(a);
        EXPECT_NEAR(p.headYaw, rest.headYaw, 1e-5f) << AnimEntryName(a);
    }
    // At full draw the string's nock is at the right fingertips, on the release line.
    const PosedFigure fig = PoseFigure(d);
    EXPECT_NEAR(fig.nock.y, kReleasePoint.y, 1e-4f);
    EXPECT_NEAR(fig.nock.z, kReleasePoint.z, 1e-4f);
    EXPECT_GT(fig.arrowDir.x * -1.f, 0.999f);
}

TEST(CupidRig, PaddingFillsTheBudgetWithUnseenDataOrRefuses) {
    MeshData m = StandInArrow();
    const size_t v = m.VertexCount(), t = m.texCoords.size(), c = m.corners.size(), n = m.triangles.size();
    MeshData small = m;
    EXPECT_FALSE(PadMesh(small, {v - 1, t, c, n}));
    EXPECT_EQ(small.VertexCount(), v);
    ASSERT_TRUE(PadMesh(m, {v + 5, t + 7, c + 3, n + 4}));
    EXPECT_EQ(m.VertexCount(), v + 5);
    EXPECT_EQ(m.texCoords.size(), t + 7);
    EXPECT_EQ(m.corners.size(), c + 3);
    ASSERT_EQ(m.triangles.size(), n + 4);
    for (size_t i = n; i < m.triangles.size(); ++i) {
        // Spare triangles have no area and stay inside the layout.
        EXPECT_EQ(m.triangles[i].a, m.triangles[i].b);
        EXPECT_EQ(m.triangles[i].b, m.triangles[i].c);
        EXPECT_LT(m.triangles[i].a, m.corners.size());
    }
    for (size_t i = v; i < m.VertexCount(); ++i) ExpectNear(m.frames[0][i], m.frames[0][0], 0.f, "spare position");
}

TEST(CupidRig, TheBodyTopologyKeepsItsGlowPointsAndTheHeartBeatsPeriodically) {
    const CupidBody body = BuildCupidBody();
    ASSERT_GT(body.topo.rest.size(), kGlowVertexB);
    EXPECT_LE(body.topo.rest.size(), kCupidCounts.nPositions);
    // The glow points are the palms: skinned to the hands.
    EXPECT_EQ(body.topo.rigs[kGlowVertexA].bone[0], uint8_t(kHandL));
    EXPECT_EQ(body.topo.rigs[kGlowVertexB].bone[0], uint8_t(kHandR));
    for (const VertexRig& r : body.topo.rigs) {
        if (r.kind != RigKind::kSkin) continue;
        EXPECT_NEAR(r.weight[0] + r.weight[1] + r.weight[2], 1.f, 1e-4f);
    }
    EXPECT_EQ(body.atlas.nWidth, 512);
    EXPECT_EQ(body.atlas.nChannels, 4);
    EXPECT_NEAR(HeartBeatScale(0), HeartBeatScale(kHeartFrames), 1e-6f);
    EXPECT_GT(HeartBeatScale(10), 1.08f);
}

}  // namespace
