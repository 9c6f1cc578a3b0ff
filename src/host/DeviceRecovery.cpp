#include "host/DeviceRecovery.h"

#include "base/SystemClock.h"

void CDeviceRecovery::Begin(uint32_t nNow) {
    m_nLastPicture = nNow;
    m_bAttempted = false;
    m_bLost = false;
}

DeviceStep CDeviceRecovery::Next(DeviceState state, uint32_t nNow, bool bEndWhenBlank) {
    if (state == DeviceState::Ready) {
        Begin(nNow);
        return DeviceStep::Draw;
    }
    m_bLost = true;
    if (bEndWhenBlank && MsSince(m_nLastPicture, nNow) >= kBlankRunLimitMs) {
        // Should the run go on all the same (the old platforms' password
        // check may refuse), the next ten seconds count afresh.
        m_nLastPicture = nNow;
        return DeviceStep::EndRun;
    }
    if (state == DeviceState::Lost) return DeviceStep::Wait;
    if (m_bAttempted && MsSince(m_nLastAttempt, nNow) < kResetRetryMs) return DeviceStep::Wait;
    m_bAttempted = true;
    m_nLastAttempt = nNow;
    return DeviceStep::Reset;
}
