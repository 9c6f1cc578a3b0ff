#pragma once
// The adaptive predictor of the audio mode: turns each decoded delta back
// into a byte and adapts its five weights every 32 bytes of a channel.
// Inline because it runs once per output byte.
#include <cstdint>
#include <cstdlib>

#include "assets/UnpackState.h"

constexpr uint32_t kAudioPeriod = 32;

// The error sums of the first nBytes bytes of the channel's current period:
// the prediction error with each weight nudged either way, |I|, |I - D1|,
// |I + D1|, ... |I - channel delta|, |I + channel delta|.
void AudioErrorSums(const AudioChannel& v, uint32_t nBytes, uint32_t aDif[11]);

// End of a period: the weight whose nudge had the smallest error sum moves
// and the next period starts. Out of line: it runs once per 32 bytes.
void AdaptAudioWeights(AudioChannel& v);

// Whether the channel's next byte is the last of its period of 32.
inline bool AudioPeriodEnds(const AudioChannel& v) { return (v.nByteCount & (kAudioPeriod - 1)) == kAudioPeriod - 1; }

// One byte of channel v from its decoded delta; nChannelDelta is the delta of
// the byte before, whichever channel it belonged to, and becomes this one's.
// When the byte ends the channel's period (AudioPeriodEnds before the call),
// the caller runs AdaptAudioWeights before the channel's next byte.
inline uint8_t DecodeAudioByte(AudioChannel& v, int32_t& nChannelDelta, uint32_t nDelta) {
    const uint32_t j = v.nByteCount & (kAudioPeriod - 1);
    ++v.nByteCount;
    // D1 is the delta of the channel's last byte, D2 its change since the
    // byte before, D3 and D4 the changes one and two bytes further back; so
    // K1 D1 + K2 D2 + K3 D3 + K4 D4 weighs the last four deltas by aW.
    const int16_t* h = v.aDelta + j;
    const int32_t nPredicted =
        ((8 * v.nLastByte + v.aW[0] * h[3] + v.aW[1] * h[2] + v.aW[2] * h[1] + v.aW[3] * h[0] +
          v.K5 * nChannelDelta) >> 3) & 0xFF;
    const uint8_t ch = uint8_t(nPredicted - int32_t(nDelta));

    v.aCode[j] = int16_t(nDelta & 0xFF);
    v.aCross[j] = int16_t(nChannelDelta);
    nChannelDelta = int8_t(uint8_t(ch - v.nLastByte));
    v.aDelta[j + 4] = int16_t(nChannelDelta);
    v.nLastByte = ch;

    return ch;
}
