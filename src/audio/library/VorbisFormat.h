#pragma once
// The format an Ogg Vorbis stream declares in its identification header,
// read without the decoder, so that a stream the library would not accept is
// refused before the decoder parses anything else of it.
#include <cstddef>
#include <cstdint>

struct VorbisFormat {
    uint32_t nChannels = 0;
    uint32_t nSampleRate = 0;
    uint32_t nShortBlock = 0;  // block sizes in samples
    uint32_t nLongBlock = 0;
};

// Reads the identification header, which is the one packet of the stream's
// first page (30 bytes). False when the page does not hold a well-formed
// header: wrong packet type or signature, version not 0, no channels or no
// rate, block sizes outside 64..8192 or the short one longer than the long
// one, or a missing framing bit.
bool ReadVorbisFormat(const uint8_t* pData, size_t nSize, VorbisFormat* pOut);
