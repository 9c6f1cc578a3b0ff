#pragma once
// Structural check of an Ogg stream held in memory, before it reaches the
// Vorbis decoder: every page must be whole, carry a correct CRC and follow
// its predecessor, and the stream must end with its end-of-stream page. The
// decoder itself does not look at CRCs, so this is what turns a damaged or
// truncated file into a clean failure.
#include <cstddef>
#include <cstdint>

struct OggStreamInfo {
    size_t nStreamBytes = 0;  // bytes up to and including the last page
    uint32_t nPages = 0;
    int64_t nLastGranule = 0;  // granule position of the end-of-stream page
};

// True when pData holds one complete logical Ogg stream (anything after its
// end-of-stream page is ignored). Fills pInfo on success.
bool CheckOggStream(const uint8_t* pData, size_t nSize, OggStreamInfo* pInfo);

// The Ogg page checksum (CRC-32, polynomial 0x04C11DB7, not reflected).
uint32_t OggCrc(const uint8_t* pData, size_t nSize, uint32_t nCrc = 0);
