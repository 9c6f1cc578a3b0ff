#include "scene/CameraSchedule.h"

#include "base/SystemClock.h"
#include "scene/SceneRandom.h"

namespace {

const D3DXVECTOR3 kLaunchPositions[kActionPathCount] = {
    {-43.0f, -22.0f, -5.0f}, {-68.0f, -22.0f, 3.0f},   {-36.0f, -22.0f, 19.0f},
    {-55.0f, -22.0f, -24.0f}, {-23.0f, -22.0f, -37.0f},
};

constexpr float kFadeStep = 0.016666668f;       // 1 / 60

}  // namespace

int32_t CameraKeyAt(uint32_t nStart, uint32_t nNow, uint32_t nKeyCount, bool* pbPlaying) {
    const uint32_t nKey = MsSince(nStart, nNow) / kCameraKeyMs;
    if (nKeyCount == 0) {
        if (pbPlaying) *pbPlaying = false;
        return 0;
    }
    if (nKey >= nKeyCount) {
        if (pbPlaying) *pbPlaying = false;
        return int32_t(nKeyCount - 1);
    }
    return int32_t(nKey);
}

D3DXVECTOR3 HeartLaunchPosition(int32_t nPath) {
    int32_t n = nPath - kIdlePathCount;
    if (n < 0 || n >= kActionPathCount) n = 0;
    return kLaunchPositions[n];
}

CameraFadeWindow CameraFadeWindowFor(int32_t nPath, uint32_t nKeyCount) {
    int32_t nEnd = IsActionPath(nPath) ? kActionSwitchKey : kIdleSwitchKey;
    const int32_t nLastKey = nKeyCount > 0 ? int32_t(nKeyCount - 1) : 0;
    if (nLastKey < nEnd) nEnd = nLastKey;
    return {nEnd - kCrossFadeKeys, nEnd};
}

int32_t CameraChoice(int nRandom) {
    // Rounded to a float before truncation, also on an x87 FPU that would
    // keep the extended product (32767 gives 1000, not 999).
    volatile float fChoice = float(nRandom * 1000) * kInvRandMax;
    return int32_t(fChoice);
}

void CCameraSchedule::Begin(int32_t nFirst) {
    m_bTransition = 0;
    m_fBlend = 0.0f;
    m_nCamera = nFirst;
}

void CCameraSchedule::Step(int32_t nKey, uint32_t nKeyCount, ICameraScheduleHost& host) {
    if (IsActionPath(m_nCamera)) {
        if (nKey > kLaunchAfterKey && !m_bHeartLaunched) {
            m_bHeartLaunched = 1;
            host.LaunchHeart(HeartLaunchPosition(m_nCamera));
        }
        if (nKey > kLaunchAfterKey && !m_bShotRequested) {
            m_bShotRequested = 1;
            host.RequestShot();
        }
        if (nKey > kRestartIdleAfterKey && m_bIdleRearm) {
            m_bIdleRearm = 0;
            host.RestartIdle();
        }
    }
    const CameraFadeWindow window = CameraFadeWindowFor(m_nCamera, nKeyCount);
    if (nKey <= window.nStart) return;
    if (m_bTransition)
        m_fBlend = 1.0f - float(window.nEnd - nKey) * kFadeStep;
    else
        StartCrossFade(host);
    // Equal for the shipped paths, whose last key is the switch key; a longer
    // path whose keys skip past it on a slow frame still switches.
    if (nKey >= window.nEnd) {
        m_bIdleRearm = 1;
        m_bTransition = 0;
        m_nCamera = m_nNextCamera;
    }
}

void CCameraSchedule::StartCrossFade(ICameraScheduleHost& host) {
    m_bTransition = 1;
    const int32_t nChoice = CameraChoice(SceneRand());
    int32_t nNext;
    if (IsActionPath(m_nCamera)) {
        nNext = nChoice % kIdlePathCount;
    } else {
        nNext = nChoice % kActionPathCount + kIdlePathCount;
        m_bShotRequested = 0;
        m_bHeartLaunched = 0;
    }
    m_fBlend = 0.0f;
    m_nNextCamera = nNext;
    host.StartPath(nNext);
}
