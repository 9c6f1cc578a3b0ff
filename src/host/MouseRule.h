#pragma once
// The rule by which mouse movement ends the saver: the first ten movement
// messages are ignored (Windows sends some when the saver starts), after that
// a jump of more than 20 pixels on either axis between two messages ends it.
#include <cstdint>

struct MouseTrack {
    int32_t nLastX = 0;
    int32_t nLastY = 0;
};

constexpr int32_t kMouseJumpLimit = 20;

// lParam of WM_MOUSEMOVE: x in the low 16 bits (unsigned), y in the high 16
// bits (signed). Updates the skip counter and the last position; true when
// the move ends the saver.
bool MouseMoveEndsSaver(int32_t& nSkipCounter, MouseTrack& track, uint32_t nLParam);
