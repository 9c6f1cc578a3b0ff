// The scene's frame on the recording fake device: the draw order and the
// render states of a direct frame and of a cross-fading frame.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "scene/Scene.h"
#include "test_scene_rig.h"

namespace {

bool SameMatrix(const D3DMATRIX& a, const D3DXMATRIX& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A scene whose paths, sky, clouds and sun come from synthetic entries.
struct SceneFrameTest : ::testing::Test {
    CFakeDevice device;
    CScene scene;

    void Build(bool bTargets = true) {
        if (!bTargets) {
            device.FailCall("CreateTexture", 1);
        }
        scene.CreateRenderTargets(&device);
        for (int i = 0; i < kCameraPathCount; ++i) {
            const std::vector<uint8_t> entry = MakeCameraPathEntry(IsActionPath(i) ? 801 : 1001);
            ASSERT_EQ(scene.m_CameraPaths[i].LoadKeys(entry.data(), entry.size()), 0u);
        }
        const std::vector<uint8_t> quad = MakeQuadMeshEntry();
        ASSERT_TRUE(LoadMeshStandIn(scene.m_Sky, quad, &device));
        for (CMeshModel& cloud : scene.m_Clouds) ASSERT_TRUE(LoadMeshStandIn(cloud, quad, &device));
        ASSERT_TRUE(LoadMeshStandIn(scene.m_Sun, quad, &device));
        scene.UseCameraPaths(3);
    }
    // Puts the current path at key nKey (with a margin inside the key).
    void AtKey(int32_t nKey) {
        scene.m_CameraPaths[scene.CurrentCamera()].m_nStartTime = timeGetTime() - uint32_t(nKey) * 33 - 10;
    }
    ~SceneFrameTest() override { scene.Free(); }

    int Index(const char* psz, std::vector<uint64_t> args, size_t nFrom = 0) const {
        return FindCall(device, psz, std::move(args), nFrom);
    }
};

}  // namespace

TEST_F(SceneFrameTest, DirectFrameOrderAndStates) {
    Build();
    device.ClearCalls();
    const uint32_t tBefore = timeGetTime();
    scene.Frame(&device);
    const uint32_t tAfter = timeGetTime();
    const std::vector<CFakeCall>& calls = device.Calls();
    const std::vector<std::string> names = device.CallNames();
    ASSERT_GT(names.size(), 20u);

    // Back to the screen, cleared to magenta, one scene.
    const int nTarget = Index("SetRenderTarget", {0, uint64_t(uintptr_t(device.BackBuffer()))});
    const int nClear = Index("Clear", {0, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF00FF});
    const int nBegin = Index("BeginScene", {});
    ASSERT_GE(nTarget, 0);
    EXPECT_EQ(nClear, nTarget + 1);
    EXPECT_EQ(nBegin, nClear + 1);
    EXPECT_FLOAT_EQ(calls[nClear].vFloats.at(0), 1.0f);
    EXPECT_EQ(device.CountCalls("BeginScene"), 1u);
    EXPECT_EQ(device.CountCalls("SetRenderTarget"), 1u);

    // The path's projection and sky view, then the frame's blend states.
    const CCameraPath& path = scene.m_CameraPaths[3];
    EXPECT_EQ(names[nBegin + 1], "SetTransform");
    EXPECT_EQ(calls[nBegin + 1].Arg(0), uint64_t(D3DTS_PROJECTION));
    EXPECT_TRUE(SameMatrix(calls[nBegin + 1].matrix, path.m_Projection));
    EXPECT_EQ(calls[nBegin + 2].Arg(0), uint64_t(D3DTS_VIEW));
    EXPECT_TRUE(SameMatrix(calls[nBegin + 2].matrix, path.m_SkyView));
    EXPECT_EQ(path.m_SkyView._41, 0.0f);
    EXPECT_NE(path.m_View._43, 0.0f);
    const std::vector<std::pair<uint64_t, uint64_t>> blend = {
        {D3DRS_ZENABLE, 0}, {D3DRS_FOGENABLE, 0}, {D3DRS_ALPHATESTENABLE, 1}, {D3DRS_ALPHAREF, 2},
        {D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}};
    for (size_t i = 0; i < blend.size(); ++i) {
        EXPECT_EQ(names[nBegin + 3 + i], "SetRenderState");
        EXPECT_EQ(calls[nBegin + 3 + i].Arg(0), blend[i].first) << i;
        EXPECT_EQ(calls[nBegin + 3 + i].Arg(1), blend[i].second) << i;
    }

    // Sky, clouds 3, 2, 1, the sun twice.
    const std::vector<const void*> expected = {scene.m_Sky.m_pTexture,    scene.m_Clouds[2].m_pTexture,
                                               scene.m_Clouds[1].m_pTexture, scene.m_Clouds[0].m_pTexture,
                                               scene.m_Sun.m_pTexture,    scene.m_Sun.m_pTexture};
    EXPECT_EQ(DrawnTextures(device), expected);
    std::vector<int> draws;
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].sMethod == "DrawIndexedPrimitive") draws.push_back(int(i));
    ASSERT_EQ(draws.size(), 6u);
    const int nScroll = Index("SetTextureStageState", {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3});
    const int nNoScroll = Index("SetTextureStageState", {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE});
    EXPECT_GT(nScroll, draws[0]);
    EXPECT_LT(nScroll, draws[1]);
    EXPECT_GT(nNoScroll, draws[3]);
    EXPECT_LT(nNoScroll, draws[4]);
    const int nTexture0 = Index("SetTransform", {D3DTS_TEXTURE0});
    ASSERT_GE(nTexture0, 0);
    // The clouds' u moves by -0.014 a second of absolute time.
    EXPECT_GE(calls[nTexture0].matrix._31, -0.014f * float(tAfter) / 1000 - 1e-3f);
    EXPECT_LE(calls[nTexture0].matrix._31, -0.014f * float(tBefore) / 1000 + 1e-3f);
    // The sun is drawn with the full view, in world space on both sides.
    const int nFullView = Index("SetTransform", {D3DTS_VIEW}, size_t(nNoScroll));
    ASSERT_GE(nFullView, 0);
    EXPECT_TRUE(SameMatrix(calls[nFullView].matrix, path.m_View));
    std::vector<float> sunX;
    for (const CFakeCall* pCall : device.CallsNamed("SetTransform"))
        if (pCall->Arg(0) == D3DTS_WORLD) sunX.push_back(pCall->matrix._41);
    ASSERT_GE(sunX.size(), 6u);
    EXPECT_FLOAT_EQ(sunX[4], 290.0f);
    EXPECT_FLOAT_EQ(sunX[5], -290.0f);

    // The closing states, then the scene ends and is presented.
    EXPECT_EQ(names[names.size() - 2], "EndScene");
    EXPECT_EQ(names.back(), "Present");
    EXPECT_EQ(device.TextureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(device.TextureStageState(1, D3DTSS_ALPHAOP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(device.RenderState(D3DRS_ALPHATESTENABLE), 0u);
    EXPECT_EQ(device.RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(device.RenderState(D3DRS_ZENABLE), 0u) << "depth test stays off after a direct frame";
    // Objects that never loaded were neither drawn nor locked.
    EXPECT_EQ(device.CountCalls("VertexBuffer.Lock"), 5u);  // the five meshes' first upload
}

TEST_F(SceneFrameTest, CrossFadeFrameDrawsBothPathsThenComposites) {
    Build();
    AtKey(950);
    device.ClearCalls();
    scene.Frame(&device);
    ASSERT_EQ(scene.m_Schedule.m_bTransition, 1);
    const int32_t nNext = scene.m_Schedule.m_nNextCamera;
    EXPECT_TRUE(IsActionPath(nNext));
    EXPECT_TRUE(scene.m_CameraPaths[nNext].m_bPlaying);

    const uint64_t nSurface0 = uintptr_t(scene.m_apTargetSurface[0]);
    const uint64_t nSurface1 = uintptr_t(scene.m_apTargetSurface[1]);
    const uint64_t nBack = uintptr_t(device.BackBuffer());
    const int t0 = Index("SetRenderTarget", {0, nSurface0});
    const int c0 = Index("Clear", {0, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000});
    const int t1 = Index("SetRenderTarget", {0, nSurface1});
    const int c1 = Index("Clear", {0, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000}, size_t(t1));
    const int tb = Index("SetRenderTarget", {0, nBack});
    const int cb = Index("Clear", {0, 0, D3DCLEAR_ZBUFFER}, size_t(tb));
    ASSERT_TRUE(t0 >= 0 && t1 > t0 && tb > t1);
    EXPECT_EQ(c0, t0 + 1);
    EXPECT_EQ(c1, t1 + 1);
    EXPECT_EQ(cb, tb + 1);
    EXPECT_EQ(device.CountCalls("BeginScene"), 3u);
    EXPECT_EQ(device.CountCalls("EndScene"), 3u);
    EXPECT_EQ(Index("EndScene", {}, size_t(c0)) < t1, true);
    EXPECT_EQ(Index("EndScene", {}, size_t(c1)) < tb, true);

    // Each path drew sky, three clouds and two suns; the composite two quads.
    const std::vector<const void*> drawn = DrawnTextures(device);
    ASSERT_EQ(drawn.size(), 14u);
    EXPECT_EQ(drawn[12], static_cast<const void*>(scene.m_apTargetTexture[0]));
    EXPECT_EQ(drawn[13], static_cast<const void*>(scene.m_apTargetTexture[1]));
    const std::vector<const CFakeCall*> dips = device.CallsNamed("DrawIndexedPrimitive");
    EXPECT_EQ(dips[12]->Arg(3), 4u);
    EXPECT_EQ(dips[12]->Arg(5), 2u);
    // The second quad takes its alpha from the texture factor: 0 on the first fading frame.
    const int nAlphaArg2 = Index("SetTextureStageState", {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}, size_t(cb));
    const int nFactor = Index("SetRenderState", {D3DRS_TEXTUREFACTOR}, size_t(cb));
    ASSERT_GE(nFactor, 0);
    EXPECT_GT(nAlphaArg2, cb);
    EXPECT_EQ(device.Calls()[nFactor].Arg(1), 0x00FFFFFFu);
    EXPECT_EQ(Index("SetRenderState", {D3DRS_ALPHABLENDENABLE, 0}, size_t(cb)) < nAlphaArg2, true);
    EXPECT_EQ(device.RenderState(D3DRS_ZENABLE), 1u) << "depth test is on after a composite";
    EXPECT_EQ(device.CallNames().back(), "Present");

    // The last fading frame lays the next path over with alpha 250.
    AtKey(999);
    device.ClearCalls();
    scene.Frame(&device);
    const int nLastFactor = Index("SetRenderState", {D3DRS_TEXTUREFACTOR},
                                  size_t(Index("SetRenderTarget", {0, nBack})));
    ASSERT_GE(nLastFactor, 0);
    EXPECT_EQ(device.Calls()[nLastFactor].Arg(1), 0xFAFFFFFFu);

    // At the switch key the next path takes over and the frame is direct again.
    AtKey(1000);
    device.ClearCalls();
    scene.Frame(&device);
    EXPECT_EQ(scene.CurrentCamera(), nNext);
    EXPECT_EQ(scene.m_Schedule.m_bTransition, 0);
    EXPECT_EQ(device.CountCalls("BeginScene"), 1u);
    EXPECT_EQ(Index("SetRenderTarget", {0, nSurface0}), -1);
}

TEST_F(SceneFrameTest, WithoutRenderTargetsTheFadeIsAHardCut) {
    Build(false);
    EXPECT_FALSE(scene.CanCrossFade());
    AtKey(950);
    device.ClearCalls();
    scene.Frame(&device);
    EXPECT_EQ(scene.m_Schedule.m_bTransition, 1);
    EXPECT_EQ(device.CountCalls("BeginScene"), 1u);
    EXPECT_EQ(device.CountCalls("SetRenderTarget"), 0u);
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), 6u) << "only the current path";
    EXPECT_GE(Index("Clear", {0, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF00FF}), 0);
    const int32_t nNext = scene.m_Schedule.m_nNextCamera;
    AtKey(1000);
    scene.Frame(&device);
    EXPECT_EQ(scene.CurrentCamera(), nNext);
}
