#pragma once
// The schedule of the fifteen camera paths: idle paths (0-9) and action paths
// (10-14) alternate; the last 60 keys of a path cross-fade into the first keys
// of the next. During an action path the heart is launched, the cupid told to
// shoot and, near the end, sent back to an idle pass.
#include <cstdint>

#include "ClassRender/D3DXMath.h"

constexpr int32_t kCameraPathCount = 15;
constexpr int32_t kIdlePathCount = 10;
constexpr int32_t kActionPathCount = 5;
constexpr uint32_t kCameraKeyMs = 33;      // keys are recorded 33 ms apart
constexpr int32_t kCrossFadeKeys = 60;
constexpr int32_t kIdleSwitchKey = 1000;
constexpr int32_t kActionSwitchKey = 800;
constexpr int32_t kLaunchAfterKey = 80;    // heart launch and shot request
constexpr int32_t kRestartIdleAfterKey = 640;

inline bool IsActionPath(int32_t nPath) { return nPath >= kIdlePathCount; }

// Key shown nNow - nStart milliseconds after a path started (wrap-safe);
// clamped to the last key, in which case *pbPlaying is cleared. A path
// without keys stays on key 0.
int32_t CameraKeyAt(uint32_t nStart, uint32_t nNow, uint32_t nKeyCount, bool* pbPlaying);

// Where the heart is launched during action path nPath (10-14).
D3DXVECTOR3 HeartLaunchPosition(int32_t nPath);

// The cross-fade of a path runs on the keys after nStart up to nEnd, where the
// next path takes over. A path too short to reach its switch key switches at
// its last key, after a fade of the same length.
struct CameraFadeWindow {
    int32_t nStart;
    int32_t nEnd;
};
CameraFadeWindow CameraFadeWindowFor(int32_t nPath, uint32_t nKeyCount);

// 0..999 from one rand() value, as the path choices draw it.
int32_t CameraChoice(int nRandom);

// What the schedule makes happen; the scene implements it.
class ICameraScheduleHost {
public:
    virtual void LaunchHeart(const D3DXVECTOR3& vPosition) = 0;
    virtual void RequestShot() = 0;
    virtual void RestartIdle() = 0;
    virtual void StartPath(int32_t nPath) = 0;

protected:
    ~ICameraScheduleHost() = default;
};

class CCameraSchedule {
public:
    // Starts with path nFirst, no fade running.
    void Begin(int32_t nFirst);
    // One frame of the schedule for key nKey of the current path, which holds
    // nKeyCount keys. Draws rand() once when a cross-fade starts.
    void Step(int32_t nKey, uint32_t nKeyCount, ICameraScheduleHost& host);

    uint8_t m_bIdleRearm = 1;
    int32_t m_nCamera = 0;
    uint8_t m_bTransition = 0;
    int32_t m_nNextCamera = 0;
    float m_fBlend = 0.0f;
    uint8_t m_bShotRequested = 0;
    uint8_t m_bHeartLaunched = 0;

private:
    void StartCrossFade(ICameraScheduleHost& host);
};
