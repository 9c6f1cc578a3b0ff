#pragma once
// Ogg Vorbis encoding through libvorbisenc.
#include <cstdint>
#include <string>
#include <vector>

#include "Dsp.h"

namespace synth {

struct EncodeSettings {
    long nBitrate = 100000;  // average bits a second
    int nSerial = 1;         // Ogg stream serial: fixed, so output is reproducible
    std::string szTitle;
};

// The sound as an Ogg Vorbis file; empty on an encoder failure.
std::vector<uint8_t> EncodeOggVorbis(const StereoBuffer& sound, const EncodeSettings& settings);

// The sound as a 16-bit stereo WAV file, for listening and analysis.
std::vector<uint8_t> EncodeWav(const StereoBuffer& sound);

}  // namespace synth
