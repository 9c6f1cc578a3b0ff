#include "host/FrameRate.h"

int32_t CFrameRate::EndSecond() {
    m_nFps = m_nFrameCounter;
    m_nFrameCounter = 0;
    return m_nFps;
}
