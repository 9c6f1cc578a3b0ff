#pragma once
// The voices of the music and the effects, each rendered note by note into
// a mono (or stereo) sound that starts at the note's onset. Pitches are MIDI
// note numbers, velocities 0 .. 1.
#include <vector>

#include "Dsp.h"

namespace synth {

// A harp string: additive partials with the spectrum of a pluck, the higher
// ones dying sooner; rings for a few seconds.
std::vector<float> Harp(double fPitch, double fVelocity);

// A soft (felt) piano note: slightly stretched partials on two detuned
// strings, a quick then a slow decay, damped fHold seconds after the onset.
std::vector<float> Piano(double fPitch, double fVelocity, double fHold);

// The melody's flute: a breathy, nearly pure tone with delayed vibrato,
// sounding fDuration seconds plus a short release.
std::vector<float> Flute(double fPitch, double fDuration, double fVelocity, CRandom& rng);

// A string pad chord: three detuned voices per pitch spread across the
// stereo field, slow attack and release around fDuration.
StereoBuffer Pad(const std::vector<double>& pitches, double fDuration, double fVelocity);

// A struck metal bar (glockenspiel, celesta): inharmonic bar modes.
std::vector<float> Glock(double fHz, double fVelocity, double fDecay);

// An FM bell: carrier and modulator at fRatio, the index fading with the
// tone, which gives the bright strike and the pure tail.
std::vector<float> FmBell(double fHz, double fVelocity, double fDecay, double fRatio, double fIndex);

}  // namespace synth
