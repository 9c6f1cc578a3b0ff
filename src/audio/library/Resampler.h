#pragma once
// Sample-rate conversion of interleaved stereo 16-bit sound, done once when
// a sample is loaded: band-limited (windowed sinc) so that neither up- nor
// down-sampling adds audible aliasing.
#include <cstdint>
#include <vector>

// Converts nFrames stereo frames at nInRate to nOutRate. The result holds
// ceil(nFrames * nOutRate / nInRate) frames; equal rates copy the input. The
// work is bounded like a sample's decoding: rates outside kMinSampleRate ..
// kMaxSampleRate, or more than kMaxSampleSeconds of input, give an empty
// result.
std::vector<int16_t> ResampleStereo(const int16_t* pIn, uint32_t nFrames, uint32_t nInRate,
                                    uint32_t nOutRate);

// Frames that ResampleStereo returns for nFrames input frames.
uint64_t ResampledFrames(uint64_t nFrames, uint32_t nInRate, uint32_t nOutRate);
