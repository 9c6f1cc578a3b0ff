// Device creation on a stand-in Direct3D object: the display mode the
// full-screen device gets, and the fall-back to the desktop settings when the
// stored mode is gone or refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FakeDevice.h"
#include "FakeModeDirect3D.h"
#include "app/Cordelune.h"
#include "test_scene_rig.h"

namespace {

constexpr D3DFORMAT X8 = D3DFMT_X8R8G8B8;
constexpr D3DFORMAT R5 = D3DFMT_R5G6B5;

struct VideoModeTest : ::testing::Test {
    CFakeDevice device;
    CFakeModeDirect3D d3d{&device};
    CCordelune app;
    CLogCapture log;

    VideoModeTest() {
        // A desktop size no test machine's desktop window has.
        d3d.desktop = {1680, 1050, 75, X8};
        d3d.modes = {{800, 600, 60, X8},   {800, 600, 85, X8},   {1024, 768, 60, X8}, {1680, 1050, 60, X8},
                     {1680, 1050, 75, X8}, {800, 600, 60, R5}};
        app.m_Video.pD3D = &d3d;
        for (const D3DDISPLAYMODE& m : d3d.modes)
            app.m_Video.modes.push_back({m.Width, m.Height, m.RefreshRate, int32_t(m.Format)});
        NormalizeModeList(app.m_Video.modes);
        app.m_Settings.UseDesktopSettings = 0;
    }
    ~VideoModeTest() override {
        app.EE_Core_Shutdown();  // releases what the device creation made
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        app.m_Video.pD3D = nullptr;
    }
    // Selects the listed mode with this text ("800 x 600 32 bits").
    void Choose(const std::string& sText) {
        const auto& modes = app.m_Video.modes;
        const auto it = std::find_if(modes.begin(), modes.end(),
                                     [&](const DisplayMode& m) { return ModeText(m) == sText; });
        ASSERT_NE(it, modes.end()) << sText;
        app.m_Video.m_nSelectedMode = int32_t(it - modes.begin());
        app.EE_Core_SelectMode();
    }
    bool Logged(const std::string& sLine) const {
        const std::vector<std::string> lines = log.NewLines();
        return std::find(lines.begin(), lines.end(), sLine) != lines.end();
    }
    size_t CountLogged(const std::string& sLine) const {
        const std::vector<std::string> lines = log.NewLines();
        return size_t(std::count(lines.begin(), lines.end(), sLine));
    }
    static void ExpectMode(const D3DPRESENT_PARAMETERS& p, UINT w, UINT h, D3DFORMAT f, UINT hz) {
        EXPECT_EQ(p.BackBufferWidth, w);
        EXPECT_EQ(p.BackBufferHeight, h);
        EXPECT_EQ(p.BackBufferFormat, f);
        EXPECT_EQ(p.FullScreen_RefreshRateInHz, hz);
        EXPECT_FALSE(p.Windowed);
        EXPECT_TRUE(p.EnableAutoDepthStencil);
        EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D24S8);
        EXPECT_EQ(p.BackBufferCount, 1u);
        EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(p.PresentationInterval, UINT(D3DPRESENT_INTERVAL_DEFAULT));
    }
};

}  // namespace

TEST_F(VideoModeTest, DesktopSettingsGiveTheDesktopModeWithItsRefreshRate) {
    Choose("800 x 600 32 bits");  // a stored choice does not matter then
    app.m_Settings.UseDesktopSettings = 1;
    ASSERT_EQ(app.EE_Core_CreateD3Device(nullptr), S_OK);
    ASSERT_EQ(d3d.creates.size(), 1u);
    EXPECT_EQ(d3d.creates[0].type, D3DDEVTYPE_HAL);
    EXPECT_EQ(d3d.creates[0].dwFlags, DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    ExpectMode(d3d.creates[0].params, 1680, 1050, X8, 75);
    EXPECT_EQ(app.m_pDevice, &device);
    EXPECT_TRUE(Logged("back buffer\t1680\t1050\t22\t75"));
    EXPECT_TRUE(Logged("hal hardware"));
    EXPECT_EQ(CountLogged("video mode not available, using the desktop settings"), 0u);
}

TEST_F(VideoModeTest, ChosenModeGetsItsListedRefreshRate) {
    Choose("800 x 600 32 bits");
    ASSERT_EQ(app.EE_Core_CreateD3Device(nullptr), S_OK);
    ASSERT_EQ(d3d.creates.size(), 1u);
    ExpectMode(d3d.creates[0].params, 800, 600, X8, 85);
    EXPECT_TRUE(Logged("back buffer\t800\t600\t22\t85"));

    // 16 bits as chosen, at the rate listed for it.
    d3d.creates.clear();
    app.m_pDevice->Release();  // the first device goes before the next is made
    app.m_pDevice = nullptr;
    Choose("800 x 600 16 bits");
    ASSERT_EQ(app.EE_Core_CreateD3Device(nullptr), S_OK);
    ASSERT_EQ(d3d.creates.size(), 1u);
    ExpectMode(d3d.creates[0].params, 800, 600, R5, 60);
}

// One device a test: a second creation would leave the first one's loading
// screen behind, which a run never does.
void ExpectDesktopForStoredIndex(VideoModeTest& t, int32_t nStored) {
    t.app.m_Video.nWidth = t.app.m_Video.nHeight = 0;
    t.app.m_Video.nFormat = D3DFMT_UNKNOWN;
    t.app.m_Video.m_nSelectedMode = nStored;
    t.app.EE_Core_SelectMode();
    ASSERT_EQ(t.app.m_Video.nWidth, 0u);
    ASSERT_EQ(t.app.EE_Core_CreateD3Device(nullptr), S_OK);
    ASSERT_EQ(t.d3d.creates.size(), 1u);
    VideoModeTest::ExpectMode(t.d3d.creates[0].params, 1680, 1050, X8, 75);
    EXPECT_EQ(t.CountLogged("video mode not available, using the desktop settings"), 1u);
}

TEST_F(VideoModeTest, StoredIndexJustPastTheListFallsBackToTheDesktop) {
    ExpectDesktopForStoredIndex(*this, int32_t(app.m_Video.modes.size()));
}

TEST_F(VideoModeTest, StoredIndexFarPastTheListFallsBackToTheDesktop) {
    ExpectDesktopForStoredIndex(*this, 40);
}

TEST_F(VideoModeTest, ModeTheAdapterDoesNotHaveFallsBackToTheDesktop) {
    // Listed from another adapter (the list merges them): not on this one.
    app.m_Video.modes.push_back({1600, 1200, 60, int32_t(X8)});
    NormalizeModeList(app.m_Video.modes);
    Choose("1600 x 1200 32 bits");
    ASSERT_EQ(app.EE_Core_CreateD3Device(nullptr), S_OK);
    ASSERT_EQ(d3d.creates.size(), 1u);
    ExpectMode(d3d.creates[0].params, 1680, 1050, X8, 75);
    EXPECT_TRUE(Logged("video mode not available, using the desktop settings"));

    // The size is there but not at the listed rate: this adapter's rate.
    d3d.creates.clear();
    app.m_pDevice->Release();  // the first device goes before the next is made
    app.m_pDevice = nullptr;
    app.m_Video.modes.push_back({1024, 768, 100, int32_t(X8)});
    NormalizeModeList(app.m_Video.modes);
    Choose("1024 x 768 32 bits");
    ASSERT_EQ(app.EE_Core_CreateD3Device(nullptr), S_OK);
    ASSERT_EQ(d3d.creates.size(), 1u);
    ExpectMode(d3d.creates[0].params, 1024, 768, X8, 60);
}

TEST_F(VideoModeTest, RefusedModeFallsBackToTheDesktopOnce) {
    Choose("800 x 600 32 bits");
    d3d.refusedSizes = {{800, 600}};
    ASSERT_EQ(app.EE_Core_CreateD3Device(nullptr), S_OK);
    ASSERT_EQ(d3d.creates.size(), 4u);  // three device types, then the desktop
    for (size_t i = 0; i < 3; ++i) ExpectMode(d3d.creates[i].params, 800, 600, X8, 85);
    EXPECT_EQ(d3d.creates[2].type, D3DDEVTYPE_REF);
    ExpectMode(d3d.creates[3].params, 1680, 1050, X8, 75);
    EXPECT_EQ(d3d.creates[3].type, D3DDEVTYPE_HAL);
    EXPECT_TRUE(Logged("video mode refused, using the desktop settings"));
    EXPECT_TRUE(Logged("back buffer\t1680\t1050\t22\t75"));
}

TEST_F(VideoModeTest, NothingCreatedGivesUpAfterOneFallback) {
    Choose("800 x 600 32 bits");
    d3d.refuseAll = true;
    EXPECT_EQ(app.EE_Core_CreateD3Device(nullptr), E_FAIL);
    EXPECT_EQ(d3d.creates.size(), 6u);
    EXPECT_EQ(app.m_pDevice, nullptr);
    EXPECT_EQ(CountLogged("video mode refused, using the desktop settings"), 1u);
    EXPECT_TRUE(Logged("error create 3d device"));

    // With the desktop settings asked for there is nothing to fall back to.
    d3d.creates.clear();
    app.m_Settings.UseDesktopSettings = 1;
    EXPECT_EQ(app.EE_Core_CreateD3Device(nullptr), E_FAIL);
    EXPECT_EQ(d3d.creates.size(), 3u);

    // Without the desktop mode no device is tried at all.
    d3d.creates.clear();
    d3d.hrDisplayMode = D3DERR_NOTAVAILABLE;
    EXPECT_EQ(app.EE_Core_CreateD3Device(nullptr), E_FAIL);
    EXPECT_TRUE(d3d.creates.empty());
    EXPECT_TRUE(Logged("GetAdapterDisplayMode failed"));
    EXPECT_EQ(device.RefCount(), 1u);
}
