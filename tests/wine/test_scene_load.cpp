// The scene's load order and its failures, and the clean-up, on the
// recording fake device.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <windows.h>
#include <mmsystem.h>

#include "scene/CameraSchedule.h"
#include "app/Cordelune.h"
#include "scene/SceneVertex.h"
#include "test_scene_rig.h"

namespace {

const char* const kPathEntries[15] = {
    "camera_idle_1.model",   "camera_idle_2.model",   "camera_idle_3.model",   "camera_idle_4.model",
    "camera_idle_5.model",   "camera_idle_6.model",   "camera_idle_7.model",   "camera_idle_8.model",
    "camera_idle_9.model",   "camera_idle_10.model",  "camera_action_1.model", "camera_action_2.model",
    "camera_action_3.model", "camera_action_4.model", "camera_action_5.model"};

struct SceneLoadTest : ::testing::Test {
    CFakeDevice device;
    CCordelune app;
    CScene scene;
    SceneLoadTest() {
        app.m_Settings.Music = 0;
        app.m_Settings.SFX = 0;
    }
    ~SceneLoadTest() override {
        scene.Free();
        app.m_pDevice = nullptr;
    }
};

bool AllPresent(std::initializer_list<const char*> names) {
    for (const char* psz : names)
        if (!MediaEntryExists(psz)) return false;
    return true;
}

}  // namespace

TEST_F(SceneLoadTest, RenderTargetsComeFirstWithTheirStates) {
    scene.Load(&device, app.MakeSceneInputs());
    const std::vector<std::string> names = device.CallNames();
    ASSERT_GE(names.size(), 30u);
    const std::vector<std::pair<uint64_t, uint64_t>> first = {
        {D3DRS_FOGENABLE, 0}, {D3DRS_ZENABLE, 1}, {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_LIGHTING, 0}, {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL}, {D3DRS_CULLMODE, D3DCULL_CCW}};
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(names[i], "SetRenderState");
        EXPECT_EQ(device.Calls()[i].Arg(0), first[i].first) << i;
        EXPECT_EQ(device.Calls()[i].Arg(1), first[i].second) << i;
    }
    for (size_t i = 6; i < 22; ++i) EXPECT_EQ(names[i], "SetSamplerState") << i;
    EXPECT_EQ(device.SamplerState(3, D3DSAMP_MIPFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(names[22], "SetRenderState");
    EXPECT_EQ(device.Calls()[22].Arg(0), uint64_t(D3DRS_ALPHAREF));
    EXPECT_EQ(device.Calls()[22].Arg(1), 128u);

    const std::vector<const CFakeCall*> textures = device.CallsNamed("CreateTexture");
    ASSERT_GE(textures.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(textures[i]->Arg(0), 1024u);
        EXPECT_EQ(textures[i]->Arg(1), 768u);
        EXPECT_EQ(textures[i]->Arg(2), 1u);
        EXPECT_EQ(textures[i]->Arg(3), uint64_t(D3DUSAGE_RENDERTARGET));
        EXPECT_EQ(textures[i]->Arg(4), uint64_t(D3DFMT_X8R8G8B8));
        EXPECT_EQ(textures[i]->Arg(5), uint64_t(D3DPOOL_DEFAULT));
    }
    EXPECT_TRUE(scene.CanCrossFade());
    EXPECT_EQ(scene.m_pBackBuffer, device.BackBuffer());

    // The quad: half-texel offsets for 1024 x 768, indices 0 1 3 1 2 3.
    auto* pVertices = static_cast<CFakeVertexBuffer*>(scene.m_QuadVertices.m_pRenderBuffer);
    auto* pIndices = static_cast<CFakeIndexBuffer*>(scene.m_QuadFaces.m_pRenderBuffer);
    ASSERT_TRUE(pVertices && pIndices);
    ASSERT_EQ(pVertices->Data().size(), 80u);
    const float* pf = reinterpret_cast<const float*>(pVertices->Data().data());
    EXPECT_FLOAT_EQ(pf[0], -1.0f);
    EXPECT_FLOAT_EQ(pf[1], -1.0f);
    EXPECT_FLOAT_EQ(pf[2], 0.5f);
    EXPECT_FLOAT_EQ(pf[3], 0.5f / 1024);
    EXPECT_FLOAT_EQ(pf[4], 1.0f + 0.5f / 768);
    EXPECT_FLOAT_EQ(pf[10 + 3], 1.0f + 0.5f / 1024);
    EXPECT_FLOAT_EQ(pf[10 + 4], 0.5f / 768);
    const uint16_t* pi = reinterpret_cast<const uint16_t*>(pIndices->Data().data());
    EXPECT_EQ(std::vector<uint16_t>(pi, pi + 6), (std::vector<uint16_t>{0, 1, 3, 1, 2, 3}));
}

TEST_F(SceneLoadTest, AMissingCameraPathStopsTheLoad) {
    CHiddenMediaEntry hidden("camera_idle_1.model");
    CLogCapture log;
    EXPECT_EQ(scene.Load(&device, app.MakeSceneInputs()), 1);
    const std::vector<std::string> lines = log.NewLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "error model\tcamera_idle_1.model");
    EXPECT_EQ(lines[1], "error load 'camera_idle_1.model'");
    EXPECT_FALSE(scene.HasCameraPaths());
    EXPECT_FALSE(scene.m_Sky.IsLoaded());
    // Only the render targets and their quad were made.
    EXPECT_EQ(device.CountCalls("CreateTexture"), 2u);
    EXPECT_EQ(device.CountCalls("CreateVertexBuffer"), 1u);
    EXPECT_EQ(device.CountCalls("CreateIndexBuffer"), 1u);

    // Such a scene has nothing to film: a black screen, the overlay, no draws
    // and no buffer touched.
    device.ClearCalls();
    scene.Frame(&device);
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), 0u);
    EXPECT_EQ(device.CountCalls("VertexBuffer.Lock"), 0u);
    const int nClear = FindCall(device, "Clear", {0, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000});
    EXPECT_GE(nClear, 0);
    const std::vector<std::string> names = device.CallNames();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[names.size() - 2], "EndScene");
    EXPECT_EQ(names.back(), "Present");
    EXPECT_EQ(device.CountCalls("BeginScene"), 1u);
}

TEST_F(SceneLoadTest, AMissingCloudLayerLeavesTheRestUnloaded) {
    if (!AllPresent({"camera_action_5.model", "sky.model", "cloud1.model", "cloud2.model"}))
        GTEST_SKIP() << "the media archive of this build holds no scene content";
    CHiddenMediaEntry hidden("cloud2.model");
    ASSERT_TRUE(hidden.Found());
    CLogCapture log;
    EXPECT_EQ(scene.Load(&device, app.MakeSceneInputs()), 1);
    const std::vector<std::string> lines = log.NewLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].rfind("error load model\tcloud2.model", 0), 0u) << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), "error load 'cloud2.model'");
    EXPECT_TRUE(scene.HasCameraPaths());
    EXPECT_TRUE(scene.m_Sky.IsLoaded());
    EXPECT_TRUE(scene.m_Clouds[0].IsLoaded());
    EXPECT_FALSE(scene.m_Clouds[1].IsLoaded());
    EXPECT_FALSE(scene.m_Sun.IsLoaded());
    EXPECT_FALSE(scene.m_Cupid.IsLoaded());
    EXPECT_FALSE(scene.m_Heart.IsLoaded());
    for (const CParticleSystem& ambient : scene.m_Ambient) EXPECT_FALSE(ambient.IsLoaded());
    // What loaded is drawn; nothing else is.
    device.ClearCalls();
    scene.Frame(&device);
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), 2u);  // the sky and cloud layer 1
}

TEST_F(SceneLoadTest, EverythingLoadsWithTheRealContent) {
    for (const char* psz : kPathEntries)
        if (!MediaEntryExists(psz)) GTEST_SKIP() << "the media archive of this build holds no scene content";
    CLogCapture log;
    EXPECT_EQ(scene.Load(&device, app.MakeSceneInputs()), 0);
    // No load error; the only line is the first path starting.
    const std::vector<std::string> lines = log.NewLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("camera\t" + std::to_string(scene.CurrentCamera()) + "\t", 0), 0u) << lines[0];
    EXPECT_LT(scene.CurrentCamera(), 10);
    EXPECT_EQ(scene.m_Schedule.m_bTransition, 0);
    int nPlaying = 0;
    for (const CCameraPath& path : scene.m_CameraPaths) nPlaying += path.m_bPlaying;
    EXPECT_EQ(nPlaying, 1);
    EXPECT_TRUE(scene.m_Cupid.IsLoaded() && scene.m_Heart.IsLoaded() && scene.m_Sun.IsLoaded());
    for (const CParticleSystem& ambient : scene.m_Ambient) EXPECT_TRUE(ambient.IsLoaded());
}

TEST_F(SceneLoadTest, AssetsLoadInTheirOrder) {
    for (const char* psz : kPathEntries)
        if (!MediaEntryExists(psz)) GTEST_SKIP() << "the media archive of this build holds no scene content";
    ASSERT_EQ(scene.Load(&device, app.MakeSceneInputs()), 0);
    // Vertex buffers tell the objects apart: 20 bytes a mesh corner, 96 a
    // particle or text cell.
    std::vector<uint64_t> sizes;
    for (const CFakeCall* pCall : device.CallsNamed("CreateVertexBuffer")) sizes.push_back(pCall->Arg(0));
    const uint64_t nCupid = scene.m_Cupid.m_Body[0].m_Mesh.CornerCount() * 20;
    const std::vector<uint64_t> expected = {
        80,                                                     // the cross-fade quad
        scene.m_Sky.m_Mesh.CornerCount() * 20,                  // sky
        scene.m_Clouds[0].m_Mesh.CornerCount() * 20,            // clouds 1, 2, 3
        scene.m_Clouds[1].m_Mesh.CornerCount() * 20,
        scene.m_Clouds[2].m_Mesh.CornerCount() * 20,
        scene.m_Sun.m_Mesh.CornerCount() * 20,                  // sun
        nCupid, nCupid, nCupid, nCupid,                         // idle, second idle, alert, shot
        scene.m_Cupid.m_BowArrow.m_Mesh.CornerCount() * 20,
        scene.m_Cupid.m_FlyingArrow.m_Mesh.CornerCount() * 20,
        scene.m_Cupid.m_Glow.m_Mesh.CornerCount() * 20,
        15 * 96, 15 * 96, 40 * 96,                              // petals, chamomile, arrow trail
        scene.m_Heart.m_Mesh.m_Mesh.CornerCount() * 20,         // heart
        40 * 96, 62 * 6 * 96,                                   // its petals and its text
        160 * 96, 160 * 96, 160 * 96, 160 * 96, 160 * 96};      // ambient 1, 2, 3, 4, 6
    EXPECT_EQ(sizes, expected);
    // The text grid's buffer is dynamic in the default pool; the rest is managed.
    const std::vector<const CFakeCall*> vbs = device.CallsNamed("CreateVertexBuffer");
    ASSERT_EQ(vbs.size(), expected.size());
    EXPECT_EQ(vbs[18]->Arg(1), uint64_t(D3DUSAGE_DYNAMIC));
    EXPECT_EQ(vbs[18]->Arg(2), uint64_t(kColorTexVertexFvf));
    EXPECT_EQ(vbs[18]->Arg(3), uint64_t(D3DPOOL_DEFAULT));
    EXPECT_EQ(vbs[19]->Arg(1), uint64_t(D3DUSAGE_WRITEONLY));
    EXPECT_EQ(vbs[19]->Arg(3), uint64_t(D3DPOOL_MANAGED));
    // Particle and text faces: two triangles of 16-bit indices a quad, 4i, 4i+1, 4i+2, 4i, 4i+2, 4i+3.
    auto* pFaces = static_cast<CFakeIndexBuffer*>(scene.m_Heart.m_Text.m_FaceBuffer.m_pRenderBuffer);
    ASSERT_TRUE(pFaces);
    ASSERT_EQ(pFaces->Data().size(), 62u * 6 * 12);
    const uint16_t* pi = reinterpret_cast<const uint16_t*>(pFaces->Data().data());
    EXPECT_EQ(std::vector<uint16_t>(pi + 6 * 371, pi + 6 * 372),
              (std::vector<uint16_t>{1484, 1485, 1486, 1484, 1486, 1487}));
    EXPECT_EQ(scene.m_Sun.m_Playback.nStepInterval, 60u);
    EXPECT_TRUE(scene.m_Sun.m_Playback.bPlaying);
}

TEST_F(SceneLoadTest, FreeReleasesEverythingAndCanRepeat) {
    CScene never;
    never.Free();  // the preview mode frees a scene it never loaded
    const int nBefore = device.LiveResources();
    scene.Load(&device, app.MakeSceneInputs());
    EXPECT_GT(device.LiveResources(), nBefore);
    scene.Free();
    EXPECT_EQ(device.LiveResources(), nBefore);
    EXPECT_EQ(scene.m_pBackBuffer, nullptr);
    EXPECT_FALSE(scene.CanCrossFade());
    scene.Free();
    EXPECT_EQ(device.LiveResources(), nBefore);
}

TEST_F(SceneLoadTest, RenderTargetFailureIsLoggedAndDisablesTheFade) {
    device.FailCall("CreateTexture", 2);
    CLogCapture log;
    scene.Load(&device, app.MakeSceneInputs());
    const std::vector<std::string> lines = log.NewLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "error create render target 1");
    EXPECT_FALSE(scene.CanCrossFade());
    EXPECT_EQ(scene.m_pBackBuffer, nullptr);
}

// Whatever the device refuses while the scene loads, the scene draws what it
// has without an invalid call and gives every resource back: each round fails
// the first call of one kind, or every call of that kind from the middle of
// the load on, then draws a direct and a cross-fading frame and frees.
TEST(SceneLoadFailures, RefusedCreationsAndLocksLeaveNoInvalidCallAndNoLeak) {
    std::map<std::string, int> counts;
    {
        CCordelune app;
        app.m_Settings.Music = 0;
        app.m_Settings.SFX = 0;
        CFakeDevice device;
        CScene scene;
        scene.Load(&device, app.MakeSceneInputs());
        for (const CFakeCall& call : device.Calls()) ++counts[call.sMethod];
        scene.Free();
    }
    for (const char* pszMethod : {"CreateTexture", "CreateVertexBuffer", "CreateIndexBuffer", "Texture.LockRect",
                                  "VertexBuffer.Lock", "IndexBuffer.Lock"}) {
        const int nCalls = counts[pszMethod];
        ASSERT_GT(nCalls, 0) << pszMethod;
        for (int nFirst : {1, nCalls / 2 + 1}) {
            SCOPED_TRACE(std::string(pszMethod) + (nFirst == 1 ? " number 1 refused" : " refused from the middle on"));
            CCordelune app;
            app.m_Settings.Music = 0;
            app.m_Settings.SFX = 0;
            CFakeDevice device;
            CScene scene;
            if (nFirst == 1)
                device.FailCall(pszMethod, 1);
            else
                device.FailCallsFrom(pszMethod, nFirst);
            scene.Load(&device, app.MakeSceneInputs());
            scene.Frame(&device);
            if (scene.HasCameraPaths()) {
                CCameraPath& path = scene.m_CameraPaths[scene.CurrentCamera()];
                const int32_t nKey = CameraFadeWindowFor(scene.CurrentCamera(), path.KeyCount()).nEnd - 10;
                path.m_nStartTime = timeGetTime() - uint32_t(nKey) * 33 - 10;
                scene.Frame(&device);
            }
            scene.Free();
            EXPECT_EQ(device.LiveResources(), 0);
        }
    }
}
