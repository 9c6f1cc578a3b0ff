#pragma once
// What a frame does about a device that is not ready to draw. A full-screen
// Direct3D 9 device is lost when another program, a display change, a remote
// session or a driver reset takes the screen; once it reports that it can
// be reset, the framework releases its default-pool resources, resets it
// with the same present parameters and recreates them. A failed reset is
// tried again at most once a second; in full-screen mode a run that has had
// no picture for ten seconds ends (Windows starts the saver again at the
// next idle time-out).
#include <cstdint>

// The device's answer to the cooperative-level test.
enum class DeviceState { Ready, Lost, NotReset };

enum class DeviceStep {
    Draw,    // the device draws: run the frame
    Wait,    // nothing can be drawn now
    Reset,   // release the default pool, reset, recreate
    EndRun,  // too long without a picture: end as an exit rule would
};

constexpr uint32_t kResetRetryMs = 1000;
constexpr uint32_t kBlankRunLimitMs = 10000;

class CDeviceRecovery {
public:
    // A picture is on the screen at nNow (the device was just created).
    void Begin(uint32_t nNow);
    // The step for a frame at nNow; bEndWhenBlank in full-screen mode.
    // Asking for a reset counts as an attempt, whatever its outcome.
    DeviceStep Next(DeviceState state, uint32_t nNow, bool bEndWhenBlank);
    // True from the first frame without a picture to the next picture.
    bool IsLost() const { return m_bLost; }

private:
    uint32_t m_nLastPicture = 0;
    uint32_t m_nLastAttempt = 0;
    bool m_bAttempted = false;
    bool m_bLost = false;
};
