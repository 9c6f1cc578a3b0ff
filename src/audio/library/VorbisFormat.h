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

// The largest comment and setup headers accepted: a sound's tags take a few
// hundred bytes and an encoder's setup header a few kilobytes, and what the
// decoder builds from them must stay well inside its memory ceiling.
constexpr size_t kMaxVorbisCommentBytes = 256 * 1024;
constexpr size_t kMaxVorbisSetupBytes = 256 * 1024;
// Entries times dimensions of one codebook (an encoder's largest is a few
// thousand): the decoder multiplies the two in 32-bit arithmetic.
constexpr uint64_t kMaxCodebookValues = uint64_t(1) << 20;

// Checks the comment header, the packet that starts on the stream's second
// page, the way the decoder will read it: the vendor text, the number of
// comments and each comment's length must all fit in the packet, which ends
// with its framing bit and is at most kMaxVorbisCommentBytes long. The
// decoder takes these numbers on trust: a count too large for the packet
// makes it size its comment table wrongly, and a table it cannot allocate
// makes its clean-up read through a null pointer.
bool CheckVorbisComments(const uint8_t* pData, size_t nSize);

// The longest code word accepted. The format allows 32 bits and the decoder
// refuses 32 itself, but it builds a 31-bit code's mask in int arithmetic
// that overflows; an encoder's longest codes are far shorter.
constexpr uint32_t kMaxCodewordBits = 30;

// Checks the codebooks at the start of the setup header (the packet after
// the comment header) the way the decoder will read them: every codebook
// whole and well-formed, code words at most kMaxCodewordBits long, entries
// times dimensions at most kMaxCodebookValues, and for a lookup table of type 1 a value count the
// decoder can work out in its integer and float arithmetic without
// overflowing. The rest of the setup header is the decoder's to check.
bool CheckVorbisCodebooks(const uint8_t* pData, size_t nSize);
