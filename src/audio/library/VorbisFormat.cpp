#include "audio/library/VorbisFormat.h"

#include <cstring>

namespace {

constexpr size_t kPageHeader = 27;
constexpr size_t kHeaderPacket = 30;

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

bool ReadVorbisFormat(const uint8_t* pData, size_t nSize, VorbisFormat* pOut) {
    if (!pData || nSize < kPageHeader || std::memcmp(pData, "OggS", 4) != 0) return false;
    const size_t nSegments = pData[26];
    // The header is a packet of its own: the first lacing value is its whole
    // length.
    if (nSegments < 1 || nSize < kPageHeader + nSegments + kHeaderPacket) return false;
    if (pData[kPageHeader] != kHeaderPacket) return false;
    const uint8_t* p = pData + kPageHeader + nSegments;
    if (p[0] != 1 || std::memcmp(p + 1, "vorbis", 6) != 0 || ReadLe32(p + 7) != 0) return false;
    VorbisFormat format;
    format.nChannels = p[11];
    format.nSampleRate = ReadLe32(p + 12);
    const uint32_t nShortExp = p[28] & 0x0F, nLongExp = p[28] >> 4;
    if (format.nChannels == 0 || format.nSampleRate == 0 || (p[29] & 1) == 0) return false;
    if (nShortExp < 6 || nLongExp > 13 || nShortExp > nLongExp) return false;
    format.nShortBlock = 1u << nShortExp;
    format.nLongBlock = 1u << nLongExp;
    if (pOut) *pOut = format;
    return true;
}
