#pragma once
// The frames-per-second value of the overlay: the frame loop counts every
// frame it runs (drawn or skipped for a lost device), and the once-a-second
// FPS timer turns the running count into the value shown.
#include <cstdint>

class CFrameRate {
public:
    void CountFrame() { ++m_nFrameCounter; }
    // The timer's tick: the running second's count becomes the value and
    // the next second starts from 0. Returns the new value.
    int32_t EndSecond();

    int32_t Value() const { return m_nFps; }
    int32_t Counted() const { return m_nFrameCounter; }

private:
    int32_t m_nFps = 0;           // frames counted in the last whole second
    int32_t m_nFrameCounter = 0;  // frames counted in the running second
};
