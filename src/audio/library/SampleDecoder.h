#pragma once
// Turns Ogg Vorbis data in memory into a sample ready for mixing: 16-bit
// stereo at the output rate.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/library/SampleLimits.h"

struct DecodedSample {
    std::vector<int16_t> pcm;  // interleaved left/right at bass::kOutputRate
    uint32_t nSourceRate = 0;
    uint32_t nSourceChannels = 0;

    uint32_t Frames() const { return uint32_t(pcm.size() / 2); }
};

// Decodes pData; returns bass::kOk and fills pOut, or a BASS error code:
// - kErrorFileForm for data that is not one intact Ogg Vorbis stream
//   (damaged, truncated or foreign), or whose audio does not match the
//   length its last page declares;
// - kErrorFormat, before any decoding, for a stream outside the limits of
//   SampleLimits.h (channels, rate);
// - kErrorMem, also before decoding, for a stream that declares more than
//   kMaxSampleSeconds, and when the decoder's memory ceiling or the heap
//   runs out.
// nFlags: bass::kSampleMono mixes the two channels down to one.
uint32_t DecodeOggSample(const uint8_t* pData, size_t nSize, uint32_t nFlags, DecodedSample* pOut);
