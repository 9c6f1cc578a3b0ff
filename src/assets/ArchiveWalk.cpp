#include "assets/ArchiveWalk.h"

#include <cstring>

namespace {

const uint8_t kMarker[kMarkerSize] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void NormalizeName(char* p) {
    for (; *p; ++p) {
        if (*p == '\\' || *p == '/') *p = '_';
        else if (*p >= 'a' && *p <= 'z') *p = char(*p - 'a' + 'A');
    }
}

}  // namespace

uint32_t ReadArchiveBytes(UnpackState& s, void* pDest, uint32_t n) {
    const ResourceBlob* pBlob = s.pArchive;
    if (n == 0 || !pBlob->pData) return 0;
    if (pBlob->nReadOffset > pBlob->nSize || n > pBlob->nSize - pBlob->nReadOffset) return 0;
    std::memcpy(pDest, pBlob->pData + pBlob->nReadOffset, n);
    s.pArchive->nReadOffset += n;
    return n;
}

bool CheckArchiveMarker(UnpackState& s) {
    uint8_t aMarker[kMarkerSize];
    if (ReadArchiveBytes(s, aMarker, kMarkerSize) != kMarkerSize) return false;
    if (std::memcmp(aMarker, kMarker, kMarkerSize) != 0) return false;
    return ReadBlockHeader(s, true) == kArchiveHeaderSize;
}

uint32_t ReadBlockHeader(UnpackState& s, bool bArchiveHeader) {
    uint8_t b[kFileHeaderSize];
    if (bArchiveHeader) {
        const uint32_t n = ReadArchiveBytes(s, b, kArchiveHeaderSize);
        if (n != kArchiveHeaderSize) return n;
        ArchiveHeader& h = s.archiveHeader;
        h.nHeadCrc = Le16(b);
        h.nHeadType = b[2];
        h.nFlags = Le16(b + 3);
        h.nHeadSize = Le16(b + 5);
        h.nReserved1 = Le16(b + 7);
        h.nReserved2 = Le32(b + 9);
        return n;
    }
    const uint32_t n = ReadArchiveBytes(s, b, kFileHeaderSize);
    if (n != kFileHeaderSize) return n;
    FileHeader& h = s.fileHeader;
    h.nHeadCrc = Le16(b);
    h.nHeadType = b[2];
    h.nFlags = Le16(b + 3);
    h.nHeadSize = Le16(b + 5);
    h.nPackSize = Le32(b + 7);
    h.nUnpSize = Le32(b + 11);
    h.nHostOs = b[15];
    h.nFileCrc = Le32(b + 16);
    h.nFileTime = Le32(b + 20);
    h.nUnpVer = b[24];
    h.nMethod = b[25];
    h.nNameSize = Le16(b + 26);
    h.nAttributes = Le32(b + 28);
    return n;
}

int FindNextFileHeader(UnpackState& s) {
    const FileHeader saved = s.fileHeader;
    ResourceBlob& blob = *s.pArchive;
    uint32_t nRead = 0;
    for (;;) {
        s.nBlockStart = blob.nReadOffset;
        nRead = ReadBlockHeader(s, false);
        if (nRead == 0) break;
        const FileHeader& h = s.fileHeader;
        if (h.nHeadSize < kMarkerSize) return 0;
        uint64_t nNext = uint64_t(s.nBlockStart) + h.nHeadSize;
        if (h.nFlags & kEntryFlagHasData) nNext += h.nPackSize;
        if (nNext <= s.nBlockStart || nNext > 0xFFFFFFFFu) return 0;
        s.nNextBlockStart = uint32_t(nNext);
        s.nLastBlockType = kHeadTypeFile;
        if (h.nHeadType == kHeadTypeFile) break;
        if (h.nHeadType == kHeadTypeSubBlock && s.nLastBlockType == kHeadTypeFile) break;
        blob.nReadOffset = s.nNextBlockStart;
    }

    const FileHeader& h = s.fileHeader;
    s.blockHead.nHeadCrc = h.nHeadCrc;
    s.blockHead.nHeadType = h.nHeadType;
    s.blockHead.nFlags = h.nFlags;
    s.blockHead.nHeadSize = h.nHeadSize;
    s.blockHead.nDataSize = h.nPackSize;

    if (nRead != 0 && h.nHeadType == kHeadTypeFile) {
        // The packed data starts after the whole header, which may carry
        // fields beyond the name; a header too short for its name is damaged.
        if (h.nHeadSize < kFileHeaderSize + h.nNameSize) return 0;
        const uint32_t nNameLength = h.nNameSize < kMaxNameLength ? h.nNameSize : kMaxNameLength;
        if (nNameLength && ReadArchiveBytes(s, s.fileHeader.szName, nNameLength) != nNameLength) return 0;
        s.fileHeader.szName[nNameLength] = 0;
        blob.nReadOffset = s.nBlockStart + h.nHeadSize;
        return int(kFileHeaderSize + nNameLength);
    }
    s.fileHeader = saved;
    blob.nReadOffset = s.nBlockStart;
    return int(nRead);
}

bool CompareEntryNames(const char* pszRequested, const char* pszStored) {
    char aRequested[512], aStored[512];
    std::strncpy(aRequested, pszRequested, sizeof(aRequested) - 1);
    aRequested[sizeof(aRequested) - 1] = 0;
    std::strncpy(aStored, pszStored, sizeof(aStored) - 1);
    aStored[sizeof(aStored) - 1] = 0;
    NormalizeName(aRequested);
    NormalizeName(aStored);
    return std::strcmp(aRequested, aStored) == 0;
}
