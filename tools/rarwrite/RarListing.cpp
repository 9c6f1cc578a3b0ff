#include "RarListing.h"

#include <cstdio>
#include <cstring>

#include "assets/Crc32.h"

namespace rarwrite {

namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

std::string At(size_t nOffset) {
    char buf[32];
    std::snprintf(buf, sizeof(buf), " at offset %zu", nOffset);
    return buf;
}

} // namespace

bool ListArchive(const uint8_t* pData, size_t nSize, RarListing& listing, std::string& strError) {
    static const uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    uint32_t crc[256];
    BuildCrc32Table(crc);
    listing = RarListing();
    if (nSize < 7 || std::memcmp(pData, kMarker, 7) != 0) {
        strError = "not a RAR archive (no marker block)";
        return false;
    }
    if (nSize < 7 + 13 || pData[9] != 0x73 || Le16(pData + 12) < 13) {
        strError = "damaged archive header";
        return false;
    }
    listing.nArchiveFlags = Le16(pData + 10);
    size_t nPos = 7 + size_t(Le16(pData + 12));
    while (nPos < nSize) {
        const uint8_t* b = pData + nPos;
        if (nSize - nPos < 7) {
            strError = "block header cut off" + At(nPos);
            return false;
        }
        const uint8_t nType = b[2];
        const uint16_t nFlags = Le16(b + 3);
        const uint16_t nHeadSize = Le16(b + 5);
        if (nHeadSize < 7 || nHeadSize > nSize - nPos) {
            strError = "damaged block header" + At(nPos);
            return false;
        }
        if (nType == 0x7B) return true;
        uint64_t nDataSize = 0;
        if (nType == 0x74 || (nFlags & 0x8000)) {
            if (nHeadSize < 11) {
                strError = "damaged block header" + At(nPos);
                return false;
            }
            nDataSize = Le32(b + 7);
        }
        if (nType == 0x74) {
            if (nHeadSize < 32 || nHeadSize < 32u + Le16(b + 26)) {
                strError = "damaged file header" + At(nPos);
                return false;
            }
            RarListedEntry e;
            e.nFlags = nFlags;
            e.nPackSize = Le32(b + 7);
            e.nUnpSize = Le32(b + 11);
            e.nHostOs = b[15];
            e.nCrc = Le32(b + 16);
            e.nDosTime = Le32(b + 20);
            e.nUnpackVersion = b[24];
            e.nMethod = b[25];
            e.strName.assign(reinterpret_cast<const char*>(b + 32), Le16(b + 26));
            e.nAttributes = Le32(b + 28);
            e.bHeadCrcOk = (Crc32Of(crc, b + 2, nHeadSize - 2) & 0xFFFF) == Le16(b);
            listing.entries.push_back(e);
        }
        if (nDataSize > nSize - nPos - nHeadSize) {
            strError = "entry data cut off" + At(nPos);
            return false;
        }
        nPos += nHeadSize + size_t(nDataSize);
    }
    return true; // archives without an end block are common enough
}

} // namespace rarwrite
