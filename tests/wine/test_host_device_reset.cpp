// A lost device on the recording fake device, with the real scene loaded:
// what is released, the Reset, what is made again, and the frames around it;
// a failing Reset tried again at most once a second; the full-screen run
// ended after ten seconds without a picture.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FakeDevice.h"
#include "FakeModeDirect3D.h"
#include "host/CommandLine.h"
#include "app/Cordelune.h"
#include "test_scene_rig.h"

namespace {

struct DeviceResetTest : ::testing::Test {
    CFakeDevice device;
    CFakeModeDirect3D d3d{&device};
    CCordelune app;
    CLogCapture log;
    int nLoadedDefaultPool = 0;

    // The run loop's steps up to the first frame, on the fake device.
    void Start(int32_t nRunMode) {
        app.m_nRunMode = nRunMode;
        ASSERT_TRUE(StartSilentRun(app, d3d, device));
        ASSERT_TRUE(app.m_Scene.m_Heart.m_Text.IsLoaded()) << "the quote text needs its font";
        nLoadedDefaultPool = device.LiveDefaultPoolResources();
    }
    ~DeviceResetTest() override {
        app.EE_Core_Shutdown();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        app.m_Video.pD3D = nullptr;
    }
    size_t Index(const char* pszMethod, size_t nFrom = 0) const {
        const std::vector<CFakeCall>& calls = device.Calls();
        for (size_t i = nFrom; i < calls.size(); ++i)
            if (calls[i].sMethod == pszMethod) return i;
        return calls.size();
    }
    size_t Count(const char* pszMethod, size_t nFrom) const {
        const std::vector<CFakeCall>& calls = device.Calls();
        return size_t(std::count_if(calls.begin() + std::ptrdiff_t(nFrom), calls.end(),
                                    [&](const CFakeCall& c) { return c.sMethod == pszMethod; }));
    }
    bool Logged(const std::string& sStart) const {
        for (const std::string& s : log.NewLines())
            if (s.compare(0, sStart.size(), sStart) == 0) return true;
        return false;
    }
};

}  // namespace

TEST_F(DeviceResetTest, LostThenNotResetReleasesResetsRecreatesAndDrawsAgain) {
    Start(RUNMODE_TEST);
    // At least the two cross-fade targets, the overlay quad and the quote's
    // vertices (a level surface the code still holds counts as well).
    EXPECT_GE(nLoadedDefaultPool, 4);
    CHeart& heart = app.m_Scene.m_Heart;
    std::strcpy(app.m_UserText.aszLines[0], " Roses");
    heart.OnHit();  // the user's lines in the text block, written on the next update
    app.EE_Core_Frame();
    EXPECT_EQ(device.CountCalls("Present"), 2u);  // the loading screen and one frame
    const IDirect3DVertexBuffer9* pOldText = heart.m_Text.m_VertexBuffer.m_pRenderBuffer;
    const std::vector<unsigned char> oldText =
        static_cast<const CFakeVertexBuffer*>(pOldText)->Data();

    // Lost: nothing drawn, nothing reset.
    device.SetCooperativeLevel(D3DERR_DEVICELOST);
    device.ClearCalls();
    const int32_t nParity = app.m_nFrameParity;
    app.EE_Core_Frame();
    EXPECT_EQ(device.CountCalls("Present"), 0u);
    EXPECT_EQ(device.CountCalls("Reset"), 0u);
    EXPECT_EQ(app.m_nFrameParity, nParity);
    EXPECT_EQ(device.LiveDefaultPoolResources(), nLoadedDefaultPool) << "kept until the device can be reset";
    EXPECT_TRUE(Logged("device lost\t"));

    // Not reset: released, Reset with the creation's parameters, states set,
    // the default pool made again, and the frame drawn.
    device.SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    device.ClearCalls();
    app.EE_Core_Frame();
    const std::vector<CFakeCall>& calls = device.Calls();
    const size_t nReset = Index("Reset");
    ASSERT_LT(nReset, calls.size());
    EXPECT_EQ(Count("Reset", 0), 1u);
    EXPECT_EQ(calls[nReset].hr, D3D_OK) << "Reset refuses while default-pool objects or back-buffer references live";
    const D3DPRESENT_PARAMETERS& created = d3d.creates.back().params;
    EXPECT_EQ(calls[nReset].Arg(0), created.BackBufferWidth);
    EXPECT_EQ(calls[nReset].Arg(1), created.BackBufferHeight);
    EXPECT_EQ(calls[nReset].Arg(2), uint64_t(created.BackBufferFormat));
    // The application's device states come first, then the new objects.
    const size_t nStates = Index("SetRenderState", nReset);
    EXPECT_EQ(calls.at(nStates).Arg(0), uint64_t(D3DRS_SRCBLEND));
    EXPECT_EQ(calls.at(nStates + 1).Arg(1), uint64_t(D3DBLEND_ONE));
    EXPECT_LT(nStates, Index("CreateVertexBuffer", nReset));
    EXPECT_LT(nStates, Index("CreateTexture", nReset));
    std::vector<const CFakeCall*> made;
    for (const CFakeCall& c : calls)
        if (c.sMethod == "CreateTexture" || c.sMethod == "CreateVertexBuffer" || c.sMethod == "CreateIndexBuffer")
            made.push_back(&c);
    ASSERT_EQ(made.size(), 4u) << "managed textures and buffers stay";
    for (const CFakeCall* c : made) EXPECT_EQ(c->Arg(c->sMethod == "CreateTexture" ? 5 : 3), uint64_t(D3DPOOL_DEFAULT));
    EXPECT_EQ(Count("GetRenderTarget", nReset), 1u);
    EXPECT_EQ(device.LiveDefaultPoolResources(), nLoadedDefaultPool);
    EXPECT_NE(app.m_pOverlayQuad, nullptr);
    EXPECT_NE(app.m_Scene.m_pBackBuffer, nullptr);
    EXPECT_TRUE(app.m_Scene.CanCrossFade());
    // The quote's new buffer holds what the old one held.
    const auto* pNewText = static_cast<const CFakeVertexBuffer*>(heart.m_Text.m_VertexBuffer.m_pRenderBuffer);
    ASSERT_NE(pNewText, nullptr);
    EXPECT_EQ(pNewText->Data(), oldText);
    // The base transforms come with the states, before the frame draws.
    const int nProjection = FindCall(device, "SetTransform", {uint64_t(D3DTS_PROJECTION)}, nReset);
    ASSERT_GE(nProjection, 0);
    EXPECT_LT(size_t(nProjection), Index("Clear", nReset));
    EXPECT_NEAR(calls[size_t(nProjection)].matrix._11, 0.740150f, 1e-5f);
    EXPECT_EQ(device.SamplerState(3, D3DSAMP_MIPFILTER), DWORD(D3DTEXF_LINEAR));
    // And the frame ran.
    EXPECT_LT(nReset, Index("Present", nReset));
    EXPECT_EQ(Count("Present", 0), 1u);
    EXPECT_EQ(app.m_nFrameParity, 1 - nParity);
    EXPECT_TRUE(Logged("device reset\t"));

    // And on: plain frames.
    device.ClearCalls();
    app.EE_Core_Frame();
    EXPECT_EQ(device.CountCalls("Reset"), 0u);
    EXPECT_EQ(device.CountCalls("Present"), 1u);
}

TEST_F(DeviceResetTest, FailingResetIsTriedOnceASecondAndTheTestWindowWaits) {
    Start(RUNMODE_TEST);
    const uint32_t t0 = 0xFFFFFFFFu - 2500u;  // the counter wraps on the way
    ASSERT_TRUE(app.PrepareDevice(t0));
    device.SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    for (int n = 1; n <= 12; ++n) device.FailCall("Reset", n, D3DERR_DEVICELOST);
    device.ClearCalls();
    std::vector<uint32_t> attempts;
    for (uint32_t ms = 20; ms <= 12000; ms += 20) {
        const size_t nBefore = device.CountCalls("Reset");
        EXPECT_FALSE(app.PrepareDevice(t0 + ms));
        if (device.CountCalls("Reset") > nBefore) attempts.push_back(ms);
    }
    ASSERT_EQ(attempts.size(), 12u);
    for (size_t i = 1; i < attempts.size(); ++i) EXPECT_EQ(attempts[i] - attempts[i - 1], 1000u);
    EXPECT_EQ(device.LiveDefaultPoolResources(), 0);
    EXPECT_EQ(app.m_pOverlayQuad, nullptr);
    EXPECT_NE(app.m_pDevice, nullptr) << "the test window keeps waiting";
    EXPECT_EQ(device.CountCalls("CreateTexture"), 0u);
    EXPECT_TRUE(Logged("device reset failed\t0x88760868"));

    // The thirteenth attempt succeeds: the frame draws with everything back.
    EXPECT_TRUE(app.PrepareDevice(t0 + 12020));
    EXPECT_EQ(device.LiveDefaultPoolResources(), nLoadedDefaultPool);
    EXPECT_TRUE(app.m_Scene.CanCrossFade());
}

TEST_F(DeviceResetTest, FullScreenRunEndsAfterTenSecondsWithoutAPicture) {
    Start(RUNMODE_SAVER);
    const uint32_t t0 = 25u * 86400000u;
    ASSERT_TRUE(app.PrepareDevice(t0));
    device.SetCooperativeLevel(D3DERR_DEVICELOST);
    for (uint32_t ms = 20; ms < 4000; ms += 20) EXPECT_FALSE(app.PrepareDevice(t0 + ms));
    device.SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    device.FailCallsFrom("Reset", 1, D3DERR_DRIVERINTERNALERROR);
    for (uint32_t ms = 4000; ms < 10000; ms += 20) EXPECT_FALSE(app.PrepareDevice(t0 + ms));
    EXPECT_EQ(device.CountCalls("Reset"), 6u);  // 4, 5, ... 9 s
    ASSERT_NE(app.m_pDevice, nullptr) << "not before ten seconds";
    EXPECT_FALSE(app.PrepareDevice(t0 + 10000));
    EXPECT_EQ(app.m_pDevice, nullptr) << "the run ended";
    EXPECT_TRUE(Logged("no picture for 10 s\t"));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the loop sees the quit";
}
