#include <gtest/gtest.h>

#include <cstring>

#include "ClassRender/MeshAnimation.h"
#include "ClassRender/ModelFile.h"

namespace {

// Builds a mesh entry in the layout: F frames of V positions, T texture
// coordinates, C corners, N triangles.
struct MeshBuilder {
    std::vector<uint8_t> bytes;
    void U32(uint32_t v) { for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i))); }
    void U16(uint16_t v) { bytes.push_back(uint8_t(v)); bytes.push_back(uint8_t(v >> 8)); }
    void F32(float f) { uint32_t v; std::memcpy(&v, &f, 4); U32(v); }
};

// A quad of 4 positions; frame f moves every position by f along x.
std::vector<uint8_t> QuadMesh(uint32_t F, uint32_t T = 8) {
    MeshBuilder b;
    b.U32(F);
    for (uint32_t f = 0; f < F; ++f) {
        b.U32(4);
        for (int v = 0; v < 4; ++v) { b.F32(float(f) + v); b.F32(float(v)); b.F32(0.f); }
    }
    b.U32(T);
    for (uint32_t t = 0; t < T; ++t) { b.F32(t * 0.1f); b.F32(t * 0.2f); }
    b.U32(4);
    for (uint16_t c = 0; c < 4; ++c) { b.U16(c); b.U16(uint16_t(c + 4)); }
    b.U32(2);
    for (uint16_t i : {0, 1, 2, 0, 2, 3}) b.U16(i);
    return b.bytes;
}

}  // namespace

TEST(ModelFile, GlowLikeQuadMatchesTheSizeFormula) {
    const auto bytes = QuadMesh(1);
    EXPECT_EQ(bytes.size(), 160u);
    EXPECT_EQ(MeshFileSize(1, 4, 8, 4, 2), 160u);
    MeshData mesh;
    ASSERT_TRUE(ParseMesh(bytes.data(), bytes.size(), mesh));
    EXPECT_EQ(mesh.nFrameCount, 1u);
    EXPECT_EQ(mesh.nVertexCount, 4u);
    EXPECT_EQ(mesh.TexCoordCount(), 8u);
    EXPECT_EQ(mesh.CornerCount(), 4u);
    EXPECT_EQ(mesh.TriangleCount(), 2u);
}

// A failed parse leaves nothing behind: no counts without their data.
bool FailsEmpty(const std::vector<uint8_t>& bytes, size_t nSize) {
    MeshData mesh;
    return !ParseMesh(bytes.data(), nSize, mesh) && mesh.nFrameCount == 0 && mesh.nVertexCount == 0 &&
           mesh.aPositions.empty() && mesh.aTexCoords.empty() && mesh.aCorners.empty() && mesh.aTriangles.empty();
}

TEST(ModelFile, DamagedMeshesFail) {
    MeshData mesh;
    const auto good = QuadMesh(3);
    for (size_t n = 0; n < good.size(); ++n) EXPECT_TRUE(FailsEmpty(good, n)) << "truncated at " << n;
    EXPECT_FALSE(ParseMesh(nullptr, 100, mesh));

    auto zeroFrames = good;
    zeroFrames[0] = 0;
    EXPECT_FALSE(ParseMesh(zeroFrames.data(), zeroFrames.size(), mesh));

    auto differing = good;  // frame 1 claims 3 positions
    differing[4 + 52] = 3;
    EXPECT_FALSE(ParseMesh(differing.data(), differing.size(), mesh));

    auto hugeCount = good;  // a frame count no entry could hold
    hugeCount[3] = 0x7F;
    EXPECT_FALSE(ParseMesh(hugeCount.data(), hugeCount.size(), mesh));

    // Indices beyond V, T and C.
    const size_t nCorners = 4 + 3 * 52 + 4 + 64 + 4;
    auto badPos = good;
    badPos[nCorners] = 4;
    EXPECT_FALSE(ParseMesh(badPos.data(), badPos.size(), mesh));
    auto badTex = good;
    badTex[nCorners + 2] = 8;
    EXPECT_FALSE(ParseMesh(badTex.data(), badTex.size(), mesh));
    auto badCorner = good;
    badCorner[nCorners + 16 + 4] = 4;
    EXPECT_FALSE(ParseMesh(badCorner.data(), badCorner.size(), mesh));
    for (const auto* pBad : {&badPos, &badTex, &badCorner, &differing})
        EXPECT_TRUE(FailsEmpty(*pBad, pBad->size()));
}

TEST(ModelFile, CameraKeysAreScaledBy24) {
    MeshBuilder b;
    b.U32(2);
    for (float f : {1.f, 0.f, 0.f, 0.f, 0.f, 0.f, 0.5f, 2.f, -1.f, 3.f, 0.25f, 1.f}) b.F32(f);
    CameraKeys keys;
    ASSERT_TRUE(ParseCameraPath(b.bytes.data(), b.bytes.size(), keys));
    ASSERT_EQ(keys.KeyCount(), 2u);
    EXPECT_FLOAT_EQ(keys.aEyes[0], 24.f);
    EXPECT_FLOAT_EQ(keys.aTargets[0], 0.f);
    EXPECT_FLOAT_EQ(keys.aEyes[4], 48.f);
    EXPECT_FLOAT_EQ(keys.aTargets[3], 72.f);
    EXPECT_FALSE(ParseCameraPath(b.bytes.data(), b.bytes.size() - 1, keys));
    b.bytes[0] = 0xFF;  // 255 keys claimed
    EXPECT_FALSE(ParseCameraPath(b.bytes.data(), b.bytes.size(), keys));
}

TEST(MeshAnimation, InterpolatedStepsShowMidpointsAndWrap) {
    const auto bytes = QuadMesh(3);
    MeshData mesh;
    ASSERT_TRUE(ParseMesh(bytes.data(), bytes.size(), mesh));
    MeshPlayback play;
    play.bInterpolate = true;
    EXPECT_EQ(StepCount(play, 3), 6u);
    StartAnimation(play, 30, 0, 1000);
    MeshVertex v[4];
    play.nStep = 5;  // midpoint of frame 2 and frame 0
    FillMeshVertices(mesh, play, v);
    EXPECT_FLOAT_EQ(v[1].x, 2.f);  // halfway from 3 (frame 2) to 1 (frame 0)
    EXPECT_FLOAT_EQ(v[1].u, 0.5f);  // texture coordinate 5
    EXPECT_EQ(ShownFrame(play, 3), 2u);  // the lower stored frame
    play.nStep = 3;
    FillMeshVertices(mesh, play, v);
    EXPECT_FLOAT_EQ(v[0].x, 1.5f);
    play.nStep = 4;
    FillMeshVertices(mesh, play, v);
    EXPECT_FLOAT_EQ(v[0].x, 2.f);

    play.nStep = 5;
    AdvanceStep(play, 3, 1000 + 31);
    EXPECT_EQ(play.nStep, 0u);  // wrapped
    EXPECT_TRUE(play.bPlaying);
}

TEST(MeshAnimation, OneStepPerIntervalAndStopAtEnd) {
    MeshPlayback play;
    StartAnimation(play, 30, 0, 0xFFFFFFF0u);  // the clock wraps during the run
    AdvanceStep(play, 4, 0xFFFFFFF0u + 30);
    EXPECT_EQ(play.nStep, 0u);  // not more than the interval
    AdvanceStep(play, 4, 0xFFFFFFF0u + 31);
    EXPECT_EQ(play.nStep, 1u);
    AdvanceStep(play, 4, 0xFFFFFFF0u + 500);
    EXPECT_EQ(play.nStep, 2u);  // at most one step a call
    play.bStopAtEnd = true;
    AdvanceStep(play, 4, 0xFFFFFFF0u + 1000);
    AdvanceStep(play, 4, 0xFFFFFFF0u + 2000);
    EXPECT_EQ(play.nStep, 3u);
    EXPECT_FALSE(play.bPlaying);
    EXPECT_FALSE(play.bStopAtEnd);
    AdvanceStep(play, 4, 0xFFFFFFF0u + 3000);
    EXPECT_EQ(play.nStep, 3u);
}
