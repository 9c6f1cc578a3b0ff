// Benchmarks of the scene on the recording fake device with the real content,
// run on demand:
//   cordelune_wine_tests --gtest_also_run_disabled_tests --gtest_filter='SceneBenchmark.*'
// LoadPhases: the whole scene load, and what extracting, decoding textures and
// building meshes take of it. Frames: the scene's own CPU time per frame
// (updates, uploads, draw submission) over an action path and its fade, with
// the saver's 16 ms sleep between frames; CORDELUNE_SCENE_BENCH_SECONDS
// (default 28) sets the running time. DeviceReset: from the frame that finds
// the device waiting for its reset to the Present of the first frame drawn
// after it (release, Reset, device states, new default-pool objects, one
// scene frame), on the recording device.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ClassRender/D3DXTexture.h"
#include "ClassRender/MediaEntry.h"
#include "ClassRender/MeshModel.h"
#include "FakeModeDirect3D.h"
#include "host/CommandLine.h"
#include "app/Cordelune.h"
#include "test_scene_rig.h"

namespace {

double NowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

bool EndsWith(const std::string& s, const char* pszTail) {
    const size_t n = std::strlen(pszTail);
    return s.size() >= n && _stricmp(s.c_str() + s.size() - n, pszTail) == 0;
}

struct FrameStats {
    std::vector<double> samples;
    void Print(const char* pszWhat) const {
        if (samples.empty()) {
            std::printf("%-22s no frames\n", pszWhat);
            return;
        }
        std::vector<double> v = samples;
        std::sort(v.begin(), v.end());
        double sum = 0;
        for (double d : v) sum += d;
        std::printf("%-22s %5zu frames: mean %.3f ms, median %.3f, 95th %.3f, max %.3f\n", pszWhat,
                    v.size(), sum / double(v.size()), v[v.size() / 2], v[v.size() * 95 / 100], v.back());
    }
};

}  // namespace

TEST(SceneBenchmark, DISABLED_LoadPhases) {
    const std::vector<std::string> names = MediaEntryNames();
    ASSERT_FALSE(names.empty()) << "no media archive in this build";
    CFakeDevice device;
    double fExtract = 0, fTextures = 0, fMeshes = 0;
    size_t nBytes = 0, nTextures = 0, nMeshes = 0;
    for (const std::string& name : names) {
        std::vector<uint8_t> data;
        const double t0 = NowMs();
        ASSERT_TRUE(ReadMediaEntry(name.c_str(), data)) << name;
        fExtract += NowMs() - t0;
        nBytes += data.size();
        if (EndsWith(name, ".tga") || EndsWith(name, ".jpg")) {
            IDirect3DTexture9* pTexture = nullptr;
            const double t1 = NowMs();
            if (SUCCEEDED(D3DXCreateTextureFromFileInMemory(&device, data.data(), UINT(data.size()), &pTexture)))
                ++nTextures;
            fTextures += NowMs() - t1;
            if (pTexture) pTexture->Release();
        }
    }
    // Meshes: the load less its extraction (measured above per entry).
    for (const std::string& name : names) {
        if (!EndsWith(name, ".model") || name.rfind("camera_", 0) == 0) continue;
        std::vector<uint8_t> data;
        const double t0 = NowMs();
        ReadMediaEntry(name.c_str(), data);
        const double fRead = NowMs() - t0;
        CMeshModel mesh;
        const double t1 = NowMs();
        if (mesh.LoadModelMesh(name.c_str(), &device) == 0) ++nMeshes;
        fMeshes += NowMs() - t1 - fRead;
        mesh.ReleaseMesh();
    }
    CCordelune app;
    app.m_Settings.Music = 0;
    app.m_Settings.SFX = 0;
    CScene scene;
    const double t0 = NowMs();
    EXPECT_EQ(scene.Load(&device, app.MakeSceneInputs()), 0);
    const double fLoad = NowMs() - t0;
    scene.Free();
    std::printf("scene load (music and effects off): %.1f ms\n", fLoad);
    std::printf("extracting all %zu entries (%.1f MB): %.1f ms\n", names.size(), double(nBytes) / 1e6, fExtract);
    std::printf("decoding %zu textures (mip chains included): %.1f ms\n", nTextures, fTextures);
    std::printf("building %zu meshes: %.1f ms\n", nMeshes, fMeshes);
}

TEST(SceneBenchmark, DISABLED_Frames) {
    const char* pszSeconds = std::getenv("CORDELUNE_SCENE_BENCH_SECONDS");
    const double fSeconds = pszSeconds && *pszSeconds ? std::atof(pszSeconds) : 28.0;
    CFakeDevice device;
    CCordelune app;
    app.m_Settings.Music = 0;
    app.m_Settings.SFX = 0;
    app.m_Settings.ShowFPS = 1;
    app.m_Settings.ShowTime = 1;
    app.m_pDevice = &device;
    app.EE_Core_LoadOverlay(&device);
    CScene scene;
    ASSERT_EQ(scene.Load(&device, app.MakeSceneInputs()), 0);
    ASSERT_TRUE(scene.HasCameraPaths());
    scene.UseCameraPaths(10);  // an action path: launch, shot, hit, text, fade
    FrameStats direct, fade;
    bool bHit = false;
    const double tEnd = NowMs() + fSeconds * 1000.0;
    while (NowMs() < tEnd) {
        device.ClearCalls();
        const bool bFading = scene.m_Schedule.m_bTransition != 0;
        const double t0 = NowMs();
        scene.Frame(&device);
        (bFading ? fade : direct).samples.push_back(NowMs() - t0);
        bHit = bHit || scene.m_Heart.m_nState == kHeartHit;
        Sleep(16);
    }
    std::printf("scene CPU per frame on the recording device (%.0f s from action path 10, heart hit: %s)\n",
                fSeconds, bHit ? "yes" : "no");
    direct.Print("outside cross-fades");
    fade.Print("during cross-fades");
    scene.Free();
    app.m_pDevice = nullptr;
    app.EE_Core_Shutdown();  // the overlay's resources
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

TEST(SceneBenchmark, DISABLED_DeviceReset) {
    CFakeDevice device;
    CFakeModeDirect3D d3d(&device);
    CCordelune app;
    app.m_nRunMode = RUNMODE_TEST;
    app.m_Settings.ShowFPS = 1;
    app.m_Settings.ShowTime = 1;
    ASSERT_TRUE(StartSilentRun(app, d3d, device));
    ASSERT_TRUE(app.m_Scene.HasCameraPaths());
    app.m_Scene.m_Heart.OnHit();  // a quote to write again
    FrameStats total, reset, frame, plain;
    for (int i = 0; i < 30; ++i) {
        const double tPlain = NowMs();
        app.m_Scene.Frame(&device);
        plain.samples.push_back(NowMs() - tPlain);
        device.ClearCalls();
        device.SetCooperativeLevel(D3DERR_DEVICENOTRESET);
        const double t0 = NowMs();
        const bool bDraws = app.PrepareDevice(timeGetTime());
        const double t1 = NowMs();
        if (bDraws) app.m_Scene.Frame(&device);
        const double t2 = NowMs();
        ASSERT_TRUE(bDraws);
        ASSERT_EQ(device.CountCalls("Reset"), 1u);
        ASSERT_EQ(device.CountCalls("Present"), 1u);
        total.samples.push_back(t2 - t0);
        reset.samples.push_back(t1 - t0);
        frame.samples.push_back(t2 - t1);
    }
    total.Print("not reset to a frame");
    reset.Print("  reset and recreation");
    frame.Print("  the frame after it");
    plain.Print("a frame without reset");
    app.EE_Core_Shutdown();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}
