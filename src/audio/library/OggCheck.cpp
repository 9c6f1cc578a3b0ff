#include "audio/library/OggCheck.h"

#include <array>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 27;
constexpr uint8_t kFlagBos = 0x02;
constexpr uint8_t kFlagEos = 0x04;

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 24;
        for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        table[i] = r;
    }
    return table;
}

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int64_t ReadLe64(const uint8_t* p) {
    return int64_t(uint64_t(ReadLe32(p)) | uint64_t(ReadLe32(p + 4)) << 32);
}

struct Page {
    size_t nSize = 0;
    uint8_t nFlags = 0;
    int64_t nGranule = 0;
    uint32_t nSerial = 0;
    uint32_t nSequence = 0;
};

// Parses the page at p (n bytes available); false when it is not a whole,
// intact page.
bool ReadPage(const uint8_t* p, size_t n, Page* pPage) {
    if (n < kHeaderSize || std::memcmp(p, "OggS", 4) != 0 || p[4] != 0) return false;
    const size_t nSegments = p[26];
    if (n < kHeaderSize + nSegments) return false;
    size_t nBody = 0;
    for (size_t i = 0; i < nSegments; ++i) nBody += p[kHeaderSize + i];
    const size_t nPage = kHeaderSize + nSegments + nBody;
    if (n < nPage) return false;

    static const uint8_t kZeros[4] = {};
    uint32_t nCrc = OggCrc(p, 22);
    nCrc = OggCrc(kZeros, 4, nCrc);
    nCrc = OggCrc(p + 26, nPage - 26, nCrc);
    if (nCrc != ReadLe32(p + 22)) return false;

    pPage->nSize = nPage;
    pPage->nFlags = p[5];
    pPage->nGranule = ReadLe64(p + 6);
    pPage->nSerial = ReadLe32(p + 14);
    pPage->nSequence = ReadLe32(p + 18);
    return true;
}

}  // namespace

uint32_t OggCrc(const uint8_t* pData, size_t nSize, uint32_t nCrc) {
    static const std::array<uint32_t, 256> kTable = MakeCrcTable();
    for (size_t i = 0; i < nSize; ++i) nCrc = (nCrc << 8) ^ kTable[((nCrc >> 24) ^ pData[i]) & 0xFF];
    return nCrc;
}

bool CheckOggStream(const uint8_t* pData, size_t nSize, OggStreamInfo* pInfo) {
    if (!pData) return false;
    OggStreamInfo info;
    uint32_t nSerial = 0;
    size_t nOffset = 0;
    Page page;
    while (true) {
        if (!ReadPage(pData + nOffset, nSize - nOffset, &page)) return false;
        const bool bFirst = info.nPages == 0;
        if (bFirst != ((page.nFlags & kFlagBos) != 0)) return false;
        if (bFirst) nSerial = page.nSerial;
        // One logical stream only: another serial number means a chained or
        // multiplexed file, which the decoder does not handle. A gap in the
        // page numbers means lost pages.
        if (page.nSerial != nSerial || page.nSequence != info.nPages) return false;
        ++info.nPages;
        nOffset += page.nSize;
        // -1 marks a page on which no packet ends.
        if (page.nGranule >= 0) info.nLastGranule = page.nGranule;
        if (page.nFlags & kFlagEos) break;
    }
    info.nStreamBytes = nOffset;
    if (pInfo) *pInfo = info;
    return true;
}
