#pragma once
// The two sound effects.
#include "Dsp.h"

namespace synth {

constexpr double kShotSeconds = 2.0;
constexpr double kHitSeconds = 6.0;

// The cupid's shot: the bow string's twang and the whoosh of the arrow
// leaving.
StereoBuffer RenderShot();

// The heart bursting into petals: a bright chime, a rising sparkle and a
// shimmering tail.
StereoBuffer RenderHit();

}  // namespace synth
