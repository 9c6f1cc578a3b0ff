#include "host/MouseRule.h"

bool MouseMoveEndsSaver(int32_t& nSkipCounter, MouseTrack& track, uint32_t nLParam) {
    --nSkipCounter;
    const int32_t x = int32_t(nLParam & 0xFFFF);
    const int32_t y = int32_t(int16_t(uint16_t(nLParam >> 16)));
    const int32_t dx = x - track.nLastX;
    const int32_t dy = y - track.nLastY;
    track.nLastX = x;
    track.nLastY = y;
    if (nSkipCounter >= 0) return false;
    return dx > kMouseJumpLimit || dy > kMouseJumpLimit || dx < -kMouseJumpLimit ||
           dy < -kMouseJumpLimit;
}
