#pragma once
// The saver's music: a gentle waltz in F major, 24 bars at 80 beats a
// minute (54 s), composed for an endless loop: the last bar leads back into
// the first and every ringing note and the reverberation run on across the
// loop point.
#include "Dsp.h"

namespace synth {

constexpr double kMusicSeconds = 54.0;

StereoBuffer RenderMusic();

}  // namespace synth
