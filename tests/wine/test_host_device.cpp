// The framework's device work on the recording fake device: device states,
// the frame, the loading screen, the overlay and texture creation.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "ClassRender/ArchiveTexture.h"
#include "ClassRender/D3DXTexture.h"
#include "FakeDevice.h"
#include "FakeDirect3D.h"
#include "assets/Resources.h"
#include "host/CommandLine.h"
#include "resource.h"
#include "scene/CameraSchedule.h"
#include "app/Cordelune.h"
#include "test_scene_rig.h"

namespace {

using StatePair = std::pair<uint64_t, uint64_t>;

std::vector<StatePair> RenderStates(const CFakeDevice& device) {
    std::vector<StatePair> states;
    for (const CFakeCall* pCall : device.CallsNamed("SetRenderState"))
        states.emplace_back(pCall->Arg(0), pCall->Arg(1));
    return states;
}

// An uncompressed TGA (type 2), bottom-up rows, with the TGA 2.0 footer.
std::vector<uint8_t> MakeTga(int w, int h, int bits, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    std::vector<uint8_t> t = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8),
                              uint8_t(h), uint8_t(h >> 8), uint8_t(bits), uint8_t(bits == 32 ? 8 : 0)};
    for (int i = 0; i < w * h; ++i) {
        t.push_back(b); t.push_back(g); t.push_back(r);
        if (bits == 32) t.push_back(a);
    }
    t.insert(t.end(), 8, 0);
    const char sig[] = "TRUEVISION-XFILE.";
    t.insert(t.end(), sig, sig + sizeof sig);
    return t;
}

void DrainQuitMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

// The fixture's device belongs to the test; the framework's shutdown releases
// what the test made it load.
struct HostDeviceTest : ::testing::Test {
    CFakeDevice device;
    CCordelune app;
    ~HostDeviceTest() override {
        app.m_pDevice = nullptr;
        app.EE_Core_Shutdown();
        DrainQuitMessages();
    }
};

TEST_F(HostDeviceTest, BaseDeviceStatesInTheirOrder) {
    app.CEECore::EE_Core_InitD3Device(&device);
    const std::vector<StatePair> expected = {
        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_ONE},
        {D3DRS_ALPHAREF, 2}, {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
        {D3DRS_DITHERENABLE, 1}, {D3DRS_ZENABLE, 1}, {D3DRS_LIGHTING, 0}};
    EXPECT_EQ(RenderStates(device), expected);
    EXPECT_EQ(device.TextureStageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(device.RenderState(D3DRS_ALPHABLENDENABLE), 0u);  // left off here
    for (DWORD s = 0; s < 4; ++s) {
        EXPECT_EQ(device.SamplerState(s, D3DSAMP_MINFILTER), DWORD(D3DTEXF_LINEAR));
        EXPECT_EQ(device.SamplerState(s, D3DSAMP_MIPFILTER), DWORD(D3DTEXF_LINEAR));
        EXPECT_EQ(device.SamplerState(s, D3DSAMP_MAXANISOTROPY), 1u);
    }
    EXPECT_FLOAT_EQ(device.Material().Power, 50.f);
    EXPECT_FLOAT_EQ(device.Material().Diffuse.g, 1.f);
    const D3DMATRIX& proj = device.Transform(D3DTS_PROJECTION);
    EXPECT_NEAR(proj._11, 0.740150f, 1e-5f);
    EXPECT_NEAR(proj._22, 0.740150f, 1e-5f);
    EXPECT_FLOAT_EQ(proj._33, 1.f);
    EXPECT_FLOAT_EQ(proj._34, 1.f);
    EXPECT_FLOAT_EQ(proj._43, 0.f);
    EXPECT_FLOAT_EQ(proj._44, 1.f);
    EXPECT_FLOAT_EQ(device.Transform(D3DTS_WORLD)._11, 1.f);
}

TEST_F(HostDeviceTest, ApplicationStatesEnableBlendingAndTesting) {
    app.EE_Core_InitD3Device(&device);
    const auto states = RenderStates(device);
    ASSERT_GE(states.size(), 11u);
    EXPECT_EQ(states[0], StatePair(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA));
    EXPECT_EQ(states[1], StatePair(D3DRS_DESTBLEND, D3DBLEND_ONE));
    EXPECT_EQ(states.back(), StatePair(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(device.RenderState(D3DRS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(device.RenderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(device.TextureStageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TFACTOR));
    EXPECT_EQ(device.TextureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(device.TextureStageState(1, D3DTSS_ALPHAOP), DWORD(D3DTOP_DISABLE));
    EXPECT_NEAR(device.Transform(D3DTS_PROJECTION)._11, 0.740150f, 1e-5f);
}

TEST_F(HostDeviceTest, LostDeviceFramesCountButDrawNothing) {
    app.m_pDevice = &device;
    const int32_t nParity = app.m_nFrameParity;
    device.SetCooperativeLevel(D3DERR_DEVICELOST);
    app.CEECore::EE_Core_Frame();
    EXPECT_EQ(device.CountCalls("Present"), 0u);
    EXPECT_EQ(app.m_nFrameParity, nParity);
    EXPECT_EQ(app.m_FrameRate.Counted(), 1);

    device.SetCooperativeLevel(D3D_OK);
    app.CEECore::EE_Core_FrameRender(&device);  // the base frame
    const auto names = device.CallNames();
    ASSERT_GE(names.size(), 4u);
    const CFakeCall* pClear = device.CallsNamed("Clear").at(0);
    EXPECT_EQ(pClear->Arg(2), uint64_t(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
    EXPECT_EQ(pClear->Arg(3), 0xFF0000FFu);
    EXPECT_EQ(names.back(), "Present");
    EXPECT_EQ(device.CountCalls("BeginScene"), 1u);
    EXPECT_EQ(device.CountCalls("EndScene"), 1u);
}

TEST_F(HostDeviceTest, LoadingScreenDrawsPresentLayersAndReleasesEverything) {
    int nPresent = 0;
    for (uint16_t id : {IDR_LOADING_CORNER, IDR_LOADING_LAYER1, IDR_LOADING_LAYER2, IDR_LOADING_LAYER3})
        nPresent += IsLayerPresent(LoadDataResource("CustomData", id).nSize);
    const int32_t nParity = app.m_nFrameParity;
    EXPECT_EQ(app.EE_Core_DrawLoading(&device), S_OK);
    const CFakeCall* pCreate = device.CallsNamed("CreateVertexBuffer").at(0);
    EXPECT_EQ(pCreate->Arg(0), 112u);
    EXPECT_EQ(pCreate->Arg(1), uint64_t(D3DUSAGE_WRITEONLY));
    EXPECT_EQ(pCreate->Arg(2), 0x144u);
    EXPECT_EQ(pCreate->Arg(3), uint64_t(D3DPOOL_DEFAULT));
    EXPECT_EQ(device.CallsNamed("Clear").at(0)->Arg(2), uint64_t(D3DCLEAR_ZBUFFER));
    EXPECT_EQ(device.CountCalls("DrawPrimitive"), size_t(1 + nPresent));
    EXPECT_EQ(device.CountCalls("Present"), 1u);
    EXPECT_EQ(app.m_nFrameParity, 1 - nParity);
    EXPECT_EQ(device.RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(device.RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(device.LiveResources(), 0);
}

TEST_F(HostDeviceTest, LoadingScreenWithoutItsBufferDrawsNothing) {
    device.FailCall("CreateVertexBuffer", 1);
    EXPECT_EQ(app.EE_Core_DrawLoading(&device), E_FAIL);
    EXPECT_EQ(device.CountCalls("DrawPrimitive"), 0u);
    EXPECT_EQ(device.CountCalls("Present"), 0u);
}

TEST_F(HostDeviceTest, OverlayDrawsTwoPassesPerGlyph) {
    ASSERT_EQ(app.EE_Core_LoadOverlay(&device), S_OK);
    app.m_Settings.ShowTime = 1;
    app.m_Settings.TimeModeAMPM = 0;
    app.m_Settings.ShowFPS = 1;
    for (int i = 0; i < 120; ++i) app.m_FrameRate.CountFrame();
    app.m_FrameRate.EndSecond();  // 120 frames in the last second
    device.BeginScene();  // the overlay is drawn inside the frame's scene
    device.ClearCalls();
    app.EE_Core_DrawOverlay(&device);
    EXPECT_EQ(device.CountCalls("DrawPrimitive"), size_t(2 * (8 + 3)));
    const auto states = RenderStates(device);
    EXPECT_EQ(states.front(), StatePair(D3DRS_ZENABLE, 0));
    EXPECT_EQ(states.back(), StatePair(D3DRS_ZENABLE, 1));
    EXPECT_EQ(device.CurrentFVF(), 0x144u);

    app.m_Settings.ShowTime = 0;
    app.m_Settings.ShowFPS = 0;
    device.ClearCalls();
    app.EE_Core_DrawOverlay(&device);
    EXPECT_EQ(device.CountCalls("DrawPrimitive"), 0u);
    EXPECT_EQ(RenderStates(device).front(), StatePair(D3DRS_ZENABLE, 0));
    device.EndScene();
}

TEST_F(HostDeviceTest, OverlayWithoutItsBufferIsSkipped) {
    device.FailCall("CreateVertexBuffer", 1);
    EXPECT_EQ(app.EE_Core_LoadOverlay(&device), E_FAIL);
    app.m_Settings.ShowTime = 1;
    device.ClearCalls();
    app.EE_Core_DrawOverlay(&device);
    EXPECT_EQ(device.CountCalls("DrawPrimitive"), 0u);
    EXPECT_EQ(device.CountCalls("VertexBuffer.Lock"), 0u);
}

TEST_F(HostDeviceTest, ShutdownRunsOnce) {
    app.m_pDevice = &device;
    device.AddRef();
    const ULONG nRefs = device.RefCount();
    app.EE_Core_Shutdown();
    EXPECT_EQ(app.m_pDevice, nullptr);
    EXPECT_EQ(device.RefCount(), nRefs - 1);
    app.m_pDevice = &device;  // a second call must not release again
    app.EE_Core_Shutdown();
    EXPECT_EQ(device.RefCount(), nRefs - 1);
}

// The device made on the recording Direct3D object, with its fallbacks: the
// object is the one Direct3DCreate9 handed over; a message-only window (its own
// root, made without a display) stands in for the saver's window.
struct DeviceCreationTest : ::testing::Test {
    CFakeDirect3D d3d;
    CCordelune app;
    HWND hWnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 8, 8, HWND_MESSAGE, nullptr, nullptr, nullptr);

    DeviceCreationTest() {
        app.m_Settings.Music = 0;
        app.m_Settings.SFX = 0;
        app.m_Settings.UseDesktopSettings = 0;
        app.m_Video.nWidth = 1024;
        app.m_Video.nHeight = 768;
        app.m_Video.nFormat = D3DFMT_X8R8G8B8;
        app.m_Video.nDepthFormat = D3DFMT_D24S8;
        app.m_Video.pD3D = &d3d;
        app.m_hWnd = hWnd;
    }
    ~DeviceCreationTest() override {
        app.EE_Core_Shutdown();
        app.m_hWnd = nullptr;
        DestroyWindow(hWnd);
        DrainQuitMessages();
    }
    // (device type, behaviour flags) of each CreateDevice, in order.
    std::vector<StatePair> Attempts() const {
        std::vector<StatePair> v;
        for (const CFakeCall* pCall : d3d.CallsNamed("CreateDevice")) v.emplace_back(pCall->Arg(1), pCall->Arg(3));
        return v;
    }
    static bool Has(const std::vector<std::string>& lines, const std::string& s) {
        return std::find(lines.begin(), lines.end(), s) != lines.end();
    }
    // After the shutdown nothing is left: device and Direct3D object released.
    void ExpectAllReleased() {
        EXPECT_EQ(app.m_pDevice, nullptr);
        EXPECT_EQ(app.m_Video.pD3D, nullptr);
        EXPECT_EQ(d3d.RefCount(), 0u);
        for (const auto& pDevice : d3d.Devices()) {
            EXPECT_EQ(pDevice->RefCount(), 0u);
            EXPECT_EQ(pDevice->LiveResources(), 0);
        }
    }
};

const StatePair kHalHardware(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING);
const StatePair kHalSoftware(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
const StatePair kRefSoftware(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING);

TEST_F(DeviceCreationTest, HardwareDeviceFullScreenInTheSelectedMode) {
    ASSERT_NE(hWnd, nullptr);
    CLogCapture log;
    ASSERT_EQ(app.EE_Core_CreateD3Device(hWnd), S_OK);
    EXPECT_EQ(Attempts(), std::vector<StatePair>{kHalHardware});
    const CFakeCall* pCreate = d3d.CallsNamed("CreateDevice").at(0);
    EXPECT_EQ(pCreate->Arg(0), 0u);                            // the default adapter
    EXPECT_EQ(pCreate->Arg(2), uint64_t(uintptr_t(hWnd)));     // the focus window
    EXPECT_EQ(pCreate->Arg(4), 1024u);
    EXPECT_EQ(pCreate->Arg(5), 768u);
    EXPECT_EQ(pCreate->Arg(6), uint64_t(D3DFMT_X8R8G8B8));
    EXPECT_EQ(pCreate->Arg(7), 0u);                            // full screen
    ASSERT_EQ(d3d.Devices().size(), 1u);
    CFakeDevice& device = *d3d.Devices()[0];
    EXPECT_EQ(app.m_pDevice, static_cast<IDirect3DDevice9*>(&device));
    EXPECT_EQ(device.DepthStencil()->Format(), D3DFMT_D24S8);
    EXPECT_EQ(device.CountCalls("Present"), 1u) << "the loading screen";
    const std::vector<std::string> lines = log.NewLines();
    EXPECT_TRUE(Has(lines, "hal hardware"));
    EXPECT_FALSE(Has(lines, "hal software"));
    app.EE_Core_Shutdown();
    ExpectAllReleased();
}

// The run loop's steps on the created device: overlay, scene, frames (one of
// them a cross-fade) and the shutdown, after which nothing is left: every call
// was sound (the device fails the test otherwise) and every reference given back.
TEST_F(DeviceCreationTest, ARunFromCreationToShutdownReleasesEverything) {
    app.m_Settings.ShowTime = 1;
    app.m_Settings.ShowFPS = 1;
    ASSERT_EQ(app.EE_Core_CreateD3Device(hWnd), S_OK);
    CFakeDevice& device = *d3d.Devices().at(0);
    app.EE_Core_DeviceCreated();
    app.EE_Core_LoadOverlay(app.m_pDevice);
    app.EE_Core_LoadScene(app.m_pDevice);
    app.EE_Core_SceneLoaded(app.m_pDevice);
    EXPECT_GT(device.LiveResources(), 0);
    app.EE_Core_Frame();
    CScene& scene = app.m_Scene;
    if (MediaEntryExists("camera_action_5.model")) {
        EXPECT_TRUE(scene.HasCameraPaths());
        EXPECT_TRUE(scene.CanCrossFade());
    }
    if (scene.HasCameraPaths()) {  // a path at its fade window: the next frame cross-fades
        CCameraPath& path = scene.m_CameraPaths[scene.CurrentCamera()];
        const int32_t nKey = CameraFadeWindowFor(scene.CurrentCamera(), path.KeyCount()).nEnd - 10;
        path.m_nStartTime = timeGetTime() - uint32_t(nKey) * 33 - 10;
    }
    app.EE_Core_Frame();
    app.EE_Core_Frame();
    EXPECT_EQ(device.CountCalls("Present"), 4u) << "the loading screen and three frames";
    EXPECT_EQ(device.CountCalls("BeginScene"), device.CountCalls("EndScene"));
    if (scene.HasCameraPaths() && scene.CanCrossFade()) {
        EXPECT_GE(device.CountCalls("BeginScene"), 1u + 1 + 3 + 1) << "a cross-fade frame has three scenes";
    }
    app.EE_Core_Shutdown();
    ExpectAllReleased();
}

TEST_F(DeviceCreationTest, WithoutHardwareVertexProcessingSoftwareProcessing) {
    d3d.SetHardwareVertexProcessing(false);
    CLogCapture log;
    ASSERT_EQ(app.EE_Core_CreateD3Device(hWnd), S_OK);
    EXPECT_EQ(Attempts(), (std::vector<StatePair>{kHalHardware, kHalSoftware}));
    EXPECT_TRUE(Has(log.NewLines(), "hal software"));
    ASSERT_EQ(d3d.Devices().size(), 1u);
    EXPECT_EQ(d3d.Devices()[0]->CountCalls("Present"), 1u);
    app.EE_Core_Shutdown();
    ExpectAllReleased();
}

TEST_F(DeviceCreationTest, WithoutAHardwareDeviceTheReferenceDevice) {
    d3d.SetHardwareDevice(false);
    d3d.SetReferenceDevice(true);
    CLogCapture log;
    ASSERT_EQ(app.EE_Core_CreateD3Device(hWnd), S_OK);
    EXPECT_EQ(Attempts(), (std::vector<StatePair>{kHalHardware, kHalSoftware, kRefSoftware}));
    EXPECT_TRUE(Has(log.NewLines(), "ref software"));
    app.EE_Core_Shutdown();
    ExpectAllReleased();
}

TEST_F(DeviceCreationTest, AllRefusedTheRunEndsCleanly) {
    d3d.SetHardwareDevice(false);
    app.m_nRunMode = RUNMODE_SAVER;
    CLogCapture log;
    EXPECT_EQ(app.EE_Core_Run(), S_OK);  // the shutdown's quit message ends the loop
    // The chosen mode, then the desktop settings once, each with all three.
    EXPECT_EQ(Attempts(), (std::vector<StatePair>{kHalHardware, kHalSoftware, kRefSoftware, kHalHardware,
                                                  kHalSoftware, kRefSoftware}));
    EXPECT_TRUE(d3d.Devices().empty());
    const std::vector<std::string> lines = log.NewLines();
    EXPECT_TRUE(Has(lines, "video mode refused, using the desktop settings"));
    EXPECT_TRUE(Has(lines, "error create 3d device"));
    EXPECT_FALSE(Has(lines, "hal hardware") || Has(lines, "ref software"));
    ExpectAllReleased();
}

TEST(D3DXTexture, RoundsUpToPowersOfTwoWithAFullChain) {
    CFakeDevice device;
    const auto tga = MakeTga(12, 256, 24, 200, 100, 50, 0);
    IDirect3DTexture9* pTexture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(&device, tga.data(), UINT(tga.size()), &pTexture), D3D_OK);
    ASSERT_NE(pTexture, nullptr);
    const CFakeCall* pCreate = device.CallsNamed("CreateTexture").at(0);
    EXPECT_EQ(pCreate->Arg(0), 16u);
    EXPECT_EQ(pCreate->Arg(1), 256u);
    EXPECT_EQ(pCreate->Arg(2), 9u);
    EXPECT_EQ(pCreate->Arg(4), uint64_t(D3DFMT_X8R8G8B8));
    EXPECT_EQ(pCreate->Arg(5), uint64_t(D3DPOOL_MANAGED));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(pTexture->LockRect(8, &locked, nullptr, 0), D3D_OK);  // the 1 x 1 level
    const uint32_t nPixel = *static_cast<const uint32_t*>(locked.pBits);
    EXPECT_EQ(nPixel, 0xFFC86432u);
    pTexture->UnlockRect(8);
    pTexture->Release();
    EXPECT_EQ(device.LiveResources(), 0);
}

TEST(D3DXTexture, AlphaImagesKeepAlphaAndExplicitFormatsApply) {
    CFakeDevice device;
    const auto tga = MakeTga(2, 2, 32, 255, 0, 0, 128);
    IDirect3DTexture9* pTexture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(&device, tga.data(), UINT(tga.size()), &pTexture), D3D_OK);
    EXPECT_EQ(device.CallsNamed("CreateTexture").at(0)->Arg(4), uint64_t(D3DFMT_A8R8G8B8));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(pTexture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(*static_cast<const uint32_t*>(locked.pBits), 0x80FF0000u);
    pTexture->UnlockRect(0);
    pTexture->Release();

    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(&device, tga.data(), UINT(tga.size()), 128, 128,
                                                  D3DX_DEFAULT, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED,
                                                  D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                  &pTexture), D3D_OK);
    const CFakeCall* pCreate = device.CallsNamed("CreateTexture").at(1);
    EXPECT_EQ(pCreate->Arg(0), 128u);
    EXPECT_EQ(pCreate->Arg(4), uint64_t(D3DFMT_R5G6B5));
    ASSERT_EQ(pTexture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(*static_cast<const uint16_t*>(locked.pBits), 0xF800u);
    pTexture->UnlockRect(0);
    pTexture->Release();
}

TEST(D3DXTexture, DamagedImagesAndRefusedTexturesFailCleanly) {
    CFakeDevice device;
    auto tga = MakeTga(4, 4, 32, 1, 2, 3, 4);
    IDirect3DTexture9* pTexture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileInMemory(&device, tga.data(), 30, &pTexture)));
    EXPECT_EQ(pTexture, nullptr);
    const uint8_t garbage[64] = {0x47, 0x49, 0x46};
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileInMemory(&device, garbage, sizeof garbage, &pTexture)));
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileInMemory(&device, nullptr, 0, &pTexture)));
    device.FailCall("CreateTexture", 1);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileInMemory(&device, tga.data(), UINT(tga.size()), &pTexture)));
    EXPECT_EQ(pTexture, nullptr);
    device.FailCall("Texture.LockRect", 1);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileInMemory(&device, tga.data(), UINT(tga.size()), &pTexture)));
    EXPECT_EQ(pTexture, nullptr);
    EXPECT_EQ(device.LiveResources(), 0);
}

TEST(ArchiveTexture, MissingEntryGivesNullAndOne) {
    CFakeDevice device;
    IDirect3DTexture9* pTexture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_EQ(CreateArchiveTexture("no such picture.tga", &device, &pTexture), 1u);
    EXPECT_EQ(pTexture, nullptr);
    EXPECT_EQ(device.CountCalls("CreateTexture"), 0u);
}

}  // namespace
