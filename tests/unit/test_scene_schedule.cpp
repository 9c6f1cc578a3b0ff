#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/SceneRandom.h"
#include <vector>

#include <cstring>

#include "scene/CameraPlayback.h"
#include "scene/CameraSchedule.h"
#include "scene/SceneVertex.h"

namespace {

struct Event {
    char cKind;  // 'L' launch, 'S' shot, 'R' restart idle, 'P' path started
    int32_t nCamera;
    int32_t nKey;
    int32_t nArg;
};

// Fifteen paths on a fake millisecond clock, driven frame by frame the way
// the scene drives them.
class CScheduleRig : public ICameraScheduleHost {
public:
    explicit CScheduleRig(uint32_t nIdleKeys = 1001, uint32_t nActionKeys = 801) {
        for (int i = 0; i < kCameraPathCount; ++i) m_anKeys[i] = IsActionPath(i) ? nActionKeys : nIdleKeys;
    }
    void Begin(int32_t nFirst, uint32_t nNow) {
        m_nNow = nNow;
        m_Schedule.Begin(nFirst);
        StartPath(nFirst);
    }
    // One frame at the current time; returns the key the schedule saw.
    int32_t Frame() {
        const int32_t c = m_Schedule.m_nCamera;
        bool bPlaying = true;
        m_nKey = CameraKeyAt(m_anStart[c], m_nNow, m_anKeys[c], &bPlaying);
        m_Schedule.Step(m_nKey, m_anKeys[c], *this);
        return m_nKey;
    }
    void LaunchHeart(const D3DXVECTOR3& v) override {
        m_Events.push_back({'L', m_Schedule.m_nCamera, m_nKey, int32_t(v.x)});
        m_vLaunch = v;
    }
    void RequestShot() override { m_Events.push_back({'S', m_Schedule.m_nCamera, m_nKey, 0}); }
    void RestartIdle() override { m_Events.push_back({'R', m_Schedule.m_nCamera, m_nKey, 0}); }
    void StartPath(int32_t n) override {
        m_anStart[n] = m_nNow;
        m_Events.push_back({'P', m_Schedule.m_nCamera, m_nKey, n});
    }
    int Count(char c) const {
        int n = 0;
        for (const Event& e : m_Events) n += e.cKind == c;
        return n;
    }
    const Event* Find(char c) const {
        for (const Event& e : m_Events)
            if (e.cKind == c) return &e;
        return nullptr;
    }

    CCameraSchedule m_Schedule;
    uint32_t m_anKeys[kCameraPathCount];
    uint32_t m_anStart[kCameraPathCount] = {};
    uint32_t m_nNow = 0;
    int32_t m_nKey = 0;
    D3DXVECTOR3 m_vLaunch{0, 0, 0};
    std::vector<Event> m_Events;
};

}  // namespace

TEST(SceneSchedule, KeysFollowTheClockAndStopOnTheLastKey) {
    bool bPlaying = true;
    EXPECT_EQ(CameraKeyAt(1000, 1000, 801, &bPlaying), 0);
    EXPECT_EQ(CameraKeyAt(1000, 1032, 801, &bPlaying), 0);
    EXPECT_EQ(CameraKeyAt(1000, 1033, 801, &bPlaying), 1);
    EXPECT_TRUE(bPlaying);
    // The millisecond counter wraps between start and now.
    EXPECT_EQ(CameraKeyAt(0xFFFFFFF0u, 0x00000053u, 801, &bPlaying), 3);  // 99 ms
    EXPECT_TRUE(bPlaying);
    EXPECT_EQ(CameraKeyAt(0, 800 * 33 + 32, 801, &bPlaying), 800);
    EXPECT_TRUE(bPlaying);
    EXPECT_EQ(CameraKeyAt(0, 801 * 33, 801, &bPlaying), 800);
    EXPECT_FALSE(bPlaying);
    bPlaying = true;
    EXPECT_EQ(CameraKeyAt(0, 5000, 0, &bPlaying), 0);
    EXPECT_FALSE(bPlaying);
}

TEST(SceneSchedule, ActionPathTimeline) {
    std::srand(77);
    CScheduleRig rig;
    rig.Begin(12, 500000);
    std::vector<float> blends;
    int32_t nSwitchKey = -1;
    for (int nFrame = 0; nFrame < 2000 && nSwitchKey < 0; ++nFrame) {
        rig.m_nNow += 20;
        const int32_t k = rig.Frame();
        if (rig.m_Schedule.m_bTransition) blends.push_back(rig.m_Schedule.m_fBlend);
        if (rig.m_Schedule.m_nCamera != 12) nSwitchKey = k;
    }
    const Event* pLaunch = rig.Find('L');
    const Event* pShot = rig.Find('S');
    const Event* pRestart = rig.Find('R');
    ASSERT_TRUE(pLaunch && pShot && pRestart);
    EXPECT_EQ(pLaunch->nKey, 81);
    EXPECT_EQ(pShot->nKey, 81);
    EXPECT_EQ(rig.m_vLaunch.x, -36.0f);
    EXPECT_EQ(rig.m_vLaunch.y, -22.0f);
    EXPECT_EQ(rig.m_vLaunch.z, 19.0f);
    EXPECT_EQ(pRestart->nKey, 641);
    EXPECT_EQ(rig.Count('L'), 1);
    EXPECT_EQ(rig.Count('S'), 1);
    EXPECT_EQ(rig.Count('R'), 1);
    // The fade starts after key 740 into an idle path and switches at 800.
    ASSERT_EQ(rig.Count('P'), 2);
    const Event& start = rig.m_Events.back();
    EXPECT_EQ(start.nKey, 741);
    EXPECT_GE(start.nArg, 0);
    EXPECT_LT(start.nArg, kIdlePathCount);
    EXPECT_EQ(nSwitchKey, 800);
    EXPECT_EQ(rig.m_Schedule.m_nCamera, start.nArg);
    EXPECT_EQ(rig.m_Schedule.m_bTransition, 0);
    EXPECT_EQ(rig.m_Schedule.m_bIdleRearm, 1);
    ASSERT_FALSE(blends.empty());
    EXPECT_EQ(blends.front(), 0.0f);
    for (size_t i = 1; i < blends.size(); ++i) EXPECT_GE(blends[i], blends[i - 1]);
}

TEST(SceneSchedule, FadeWeightsCountFromTheWindowStart) {
    std::srand(5);
    CScheduleRig rig;
    rig.Begin(4, 0);
    // Frames exactly one key apart: keys 940, 941 (start), 942 ... 999, 1000.
    rig.m_nNow = 940 * 33;
    rig.Frame();
    EXPECT_EQ(rig.m_Schedule.m_bTransition, 0);
    rig.m_nNow = 941 * 33;
    rig.Frame();
    EXPECT_EQ(rig.m_Schedule.m_bTransition, 1);
    EXPECT_EQ(rig.m_Schedule.m_fBlend, 0.0f);
    rig.m_nNow = 942 * 33;
    rig.Frame();
    EXPECT_NEAR(rig.m_Schedule.m_fBlend, 1.0f - 58.0f / 60.0f, 1e-6);
    rig.m_nNow = 999 * 33;
    rig.Frame();
    EXPECT_NEAR(rig.m_Schedule.m_fBlend, 1.0f - 1.0f / 60.0f, 1e-6);
    // The composite lays the next path over with alpha 250 of 255 here.
    EXPECT_EQ(WhiteWithAlpha(rig.m_Schedule.m_fBlend), 0xFAFFFFFFu);
    EXPECT_EQ(rig.m_Schedule.m_nCamera, 4);
    rig.m_nNow = 1000 * 33;
    rig.Frame();
    EXPECT_EQ(rig.m_Schedule.m_bTransition, 0);
    EXPECT_TRUE(IsActionPath(rig.m_Schedule.m_nCamera));
    // An idle path hands over to an action path with the heart and shot re-armed.
    EXPECT_EQ(rig.m_Schedule.m_bHeartLaunched, 0);
    EXPECT_EQ(rig.m_Schedule.m_bShotRequested, 0);
}

TEST(SceneSchedule, NextPathComesFromOneRandDraw) {
    std::srand(4242);
    const int r1 = SceneRand();
    const int r2 = SceneRand();
    std::srand(4242);
    CScheduleRig rig;
    rig.Begin(0, 0);
    rig.m_nNow = 941 * 33;
    rig.Frame();
    EXPECT_EQ(rig.m_Schedule.m_nNextCamera, CameraChoice(r1) % 5 + 10);
    rig.m_nNow = 1000 * 33;
    rig.Frame();
    const int32_t nAction = rig.m_Schedule.m_nCamera;
    rig.m_nNow += 741 * 33 - 59 * 33;  // the action path is at key 59 here
    rig.Frame();
    ASSERT_EQ(rig.m_Schedule.m_bTransition, 1);
    EXPECT_EQ(rig.m_Schedule.m_nNextCamera, CameraChoice(r2) % 10);
    EXPECT_EQ(rig.m_Schedule.m_nCamera, nAction);
    EXPECT_EQ(CameraChoice(0), 0);
    EXPECT_EQ(CameraChoice(32767), 1000);
    EXPECT_EQ(CameraChoice(16384), 500);
}

TEST(SceneSchedule, PathsAlternateAndEveryActionPathShootsOnce) {
    std::srand(99);
    CScheduleRig rig;
    rig.Begin(7, 1234);
    std::vector<int32_t> cameras{7};
    for (int nFrame = 0; nFrame < 60000; ++nFrame) {
        rig.m_nNow += 18 + nFrame % 7;
        rig.Frame();
        if (rig.m_Schedule.m_nCamera != cameras.back()) cameras.push_back(rig.m_Schedule.m_nCamera);
    }
    ASSERT_GT(cameras.size(), 20u);
    int nActions = 0;
    for (size_t i = 1; i < cameras.size(); ++i) {
        EXPECT_NE(IsActionPath(cameras[i]), IsActionPath(cameras[i - 1])) << "switch " << i;
        nActions += IsActionPath(cameras[i - 1]);
    }
    // Every completed action path launched, shot and restarted exactly once.
    EXPECT_EQ(rig.Count('L') - IsActionPath(cameras.back()) * rig.m_Schedule.m_bHeartLaunched, nActions);
    EXPECT_GE(rig.Count('S'), nActions);
    EXPECT_LE(rig.Count('S'), nActions + 1);
    EXPECT_GE(rig.Count('R'), nActions);
    EXPECT_LE(rig.Count('R'), nActions + 1);
    for (const Event& e : rig.m_Events) {
        if (e.cKind == 'L' || e.cKind == 'S') {
            EXPECT_TRUE(IsActionPath(e.nCamera));
            EXPECT_GT(e.nKey, 80);
        }
        if (e.cKind == 'R') {
            EXPECT_GT(e.nKey, 640);
        }
    }
}

TEST(SceneSchedule, SlowFramesStillFireEachEventOnceAndSwitchAtTheEnd) {
    std::srand(3);
    CScheduleRig rig;
    rig.Begin(10, 0);
    int32_t nSwitchKey = -1;
    for (int nFrame = 0; nFrame < 400 && nSwitchKey < 0; ++nFrame) {
        rig.m_nNow += 250;  // about 7.6 keys a frame
        const int32_t k = rig.Frame();
        if (rig.m_Schedule.m_nCamera != 10) nSwitchKey = k;
    }
    EXPECT_EQ(nSwitchKey, 800);
    EXPECT_EQ(rig.Count('L'), 1);
    EXPECT_EQ(rig.Count('S'), 1);
    EXPECT_EQ(rig.Count('R'), 1);
    EXPECT_GT(rig.Find('L')->nKey, 80);
    EXPECT_LT(rig.Find('L')->nKey, 90);
}

TEST(SceneSchedule, ShortPathSwitchesAtItsLastKey) {
    EXPECT_EQ(CameraFadeWindowFor(3, 1001).nStart, 940);
    EXPECT_EQ(CameraFadeWindowFor(3, 1001).nEnd, 1000);
    EXPECT_EQ(CameraFadeWindowFor(11, 801).nStart, 740);
    EXPECT_EQ(CameraFadeWindowFor(11, 801).nEnd, 800);
    EXPECT_EQ(CameraFadeWindowFor(3, 500).nEnd, 499);
    EXPECT_EQ(CameraFadeWindowFor(3, 500).nStart, 439);
    EXPECT_EQ(CameraFadeWindowFor(11, 1001).nEnd, 800);

    std::srand(8);
    CScheduleRig rig(500, 300);
    rig.Begin(2, 0);
    int32_t nSwitchKey = -1;
    for (int nFrame = 0; nFrame < 5000 && nSwitchKey < 0; ++nFrame) {
        rig.m_nNow += 40;
        const int32_t k = rig.Frame();
        if (rig.m_Schedule.m_nCamera != 2) nSwitchKey = k;
    }
    EXPECT_EQ(nSwitchKey, 499);
    EXPECT_TRUE(IsActionPath(rig.m_Schedule.m_nCamera));
    // A path of a single key hands over on its first frame.
    CScheduleRig tiny(1, 1);
    tiny.Begin(0, 0);
    tiny.m_nNow = 10;
    tiny.Frame();
    EXPECT_TRUE(IsActionPath(tiny.m_Schedule.m_nCamera));
    EXPECT_EQ(tiny.m_Schedule.m_bTransition, 0);
}

TEST(SceneSchedule, PlaybackBuildsTheViewsOfTheKey) {
    // Two keys: eye (1, 0, 0) then (0, 0, -1), both looking at the origin;
    // the loader scales them by 24.
    std::vector<uint8_t> entry;
    auto put = [&entry](uint32_t n) {
        for (int i = 0; i < 4; ++i) entry.push_back(uint8_t(n >> (8 * i)));
    };
    auto putf = [&put](float f) {
        uint32_t n;
        std::memcpy(&n, &f, 4);
        put(n);
    };
    put(2);
    for (float f : {1.f, 0.f, 0.f, 0.f, 0.f, 0.f, 0.f, 0.f, -1.f, 0.f, 0.f, 0.f}) putf(f);
    CCameraPath path;
    ASSERT_EQ(path.LoadKeys(entry.data(), entry.size()), 0u);
    StartPlayback(path, 5000);
    EXPECT_TRUE(path.m_bPlaying);
    UpdateView(path, 5010);
    EXPECT_EQ(path.m_nKey, 0);
    // Eye (24, 0, 0) looking along -x: the view moves the eye to the origin.
    D3DXVECTOR3 vEye(24, 0, 0), vOut;
    D3DXVec3TransformCoord(&vOut, &vEye, &path.m_View);
    EXPECT_NEAR(vOut.x, 0.0f, 1e-4);
    EXPECT_NEAR(vOut.z, 0.0f, 1e-4);
    EXPECT_EQ(path.m_SkyView._41, 0.0f);
    EXPECT_EQ(path.m_SkyView._43, 0.0f);
    EXPECT_EQ(path.m_SkyView._11, path.m_View._11);
    UpdateView(path, 5000 + 33 * 5);
    EXPECT_EQ(path.m_nKey, 1);
    EXPECT_FALSE(path.m_bPlaying);
    D3DXVECTOR3 vEye2(0, 0, -24);
    D3DXVec3TransformCoord(&vOut, &vEye2, &path.m_View);
    EXPECT_NEAR(vOut.z, 0.0f, 1e-4);
    // A stopped path keeps its key and view.
    const D3DXMATRIX view = path.m_View;
    UpdateView(path, 99999);
    EXPECT_EQ(path.m_nKey, 1);
    EXPECT_EQ(std::memcmp(&view, &path.m_View, sizeof view), 0);
    // The billboard turns camera-facing quads: the inverse view without translation.
    const D3DXMATRIX billboard = PathBillboard(path);
    EXPECT_EQ(billboard._41, 0.0f);
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &billboard, &path.m_SkyView);
    EXPECT_NEAR(product._11, 1.0f, 1e-5);
    EXPECT_NEAR(product._22, 1.0f, 1e-5);
    EXPECT_NEAR(product._13, 0.0f, 1e-5);
}
