#pragma once
// What the audio library accepts from a sound file. Everything is checked
// before any decoding, so that no stream can make the decoder allocate
// without bound or stall the scene load: a screensaver's sounds are short
// mono or stereo clips at ordinary rates, and nothing else is needed.
#include <cstddef>
#include <cstdint>

#include "audio/library/BassCodes.h"

constexpr uint32_t kMinSampleChannels = 1;
constexpr uint32_t kMaxSampleChannels = 2;
constexpr uint32_t kMinSampleRate = 8000;
constexpr uint32_t kMaxSampleRate = 48000;
// Longest sample accepted (the saver's music is under a minute).
constexpr uint32_t kMaxSampleSeconds = 600;

// The longest decoded sample, at the output rate, and its size in bytes
// (16-bit stereo): what one sample can cost after decoding and resampling.
constexpr uint64_t kMaxDecodedFrames = uint64_t(kMaxSampleSeconds) * bass::kOutputRate;
constexpr uint64_t kMaxDecodedBytes = kMaxDecodedFrames * 2 * sizeof(int16_t);

// Memory the Vorbis decoder may hold for one stream (codebooks, floors,
// residues, its own buffers). Ordinary encoder output needs a few hundred
// kilobytes; a crafted setup header may declare far more.
constexpr size_t kMaxDecoderMemory = size_t(4) << 20;

inline bool SampleRateAccepted(uint64_t nRate) { return nRate >= kMinSampleRate && nRate <= kMaxSampleRate; }
inline bool SampleChannelsAccepted(uint64_t nChannels) {
    return nChannels >= kMinSampleChannels && nChannels <= kMaxSampleChannels;
}
// Frames of kMaxSampleSeconds at nRate.
inline uint64_t MaxSampleFrames(uint32_t nRate) { return uint64_t(kMaxSampleSeconds) * nRate; }
