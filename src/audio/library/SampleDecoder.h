#pragma once
// Turns Ogg Vorbis data in memory into a sample ready for mixing: 16-bit
// stereo at the output rate.
#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedSample {
    std::vector<int16_t> pcm;  // interleaved left/right at bass::kOutputRate
    uint32_t nSourceRate = 0;
    uint32_t nSourceChannels = 0;

    uint32_t Frames() const { return uint32_t(pcm.size() / 2); }
};

// Longest sample accepted (the saver's music is under a minute).
constexpr uint32_t kMaxSampleSeconds = 600;

// Decodes pData; returns bass::kOk and fills pOut, or a BASS error code:
// kErrorFileForm for data that is not one intact Ogg Vorbis stream (damaged,
// truncated or foreign), kErrorMem when it is too long or memory runs out.
// nFlags: bass::kSampleMono mixes the two channels down to one.
uint32_t DecodeOggSample(const uint8_t* pData, size_t nSize, uint32_t nFlags, DecodedSample* pOut);
