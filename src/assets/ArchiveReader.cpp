#include "assets/ArchiveReader.h"

#include <cstdlib>
#include <cstring>

#include "assets/Crc32.h"
#include "assets/UnpackState.h"

UnpackState g_unpackState;

namespace {

const uint8_t kMarker[kMarkerSize] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void CopyName(char* pDest, const char* pSource) {
    size_t n = 0;
    if (pSource)
        while (n < kMaxNameLength && pSource[n]) {
            pDest[n] = pSource[n];
            ++n;
        }
    pDest[n] = 0;
}

void NormalizeName(char* p) {
    for (; *p; ++p) {
        if (*p == '\\' || *p == '/') *p = '_';
        else if (*p >= 'a' && *p <= 'z') *p = char(*p - 'a' + 'A');
    }
}

// The largest unpacked size the entry's packed data can account for.
bool UnpackedSizePlausible(const FileHeader& h, uint32_t nPackAvailable) {
    if (h.nMethod == kMethodStored) return h.nUnpSize <= nPackAvailable;
    return uint64_t(h.nUnpSize) <= uint64_t(nPackAvailable) * kMaxExpansion;
}

} // namespace

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

namespace {

// Decodes (or, for the requested entry, extracts) the entry whose header was
// just read; false when the entry cannot be read.
bool ProcessEntry(UnpackState& s, bool bSolidArchive) {
    const FileHeader& h = s.fileHeader;
    const uint32_t nPackAvailable = (h.nFlags & kEntryFlagHasData) ? h.nPackSize : 0;
    const bool bDecodes = h.nMethod != kMethodStored;
    if (s.bFound || (bSolidArchive && bDecodes)) {
        // Packed data running past the archive end cannot be read (reads
        // are all or nothing), and no entry unpacks to more than its data
        // can encode: such headers are damaged, and fail before allocating.
        const ResourceBlob& blob = *s.pArchive;
        if (blob.nReadOffset > blob.nSize || nPackAvailable > blob.nSize - blob.nReadOffset) return false;
        if (!UnpackedSizePlausible(h, nPackAvailable)) return false;
    }
    if (s.bFound) {
        // One byte at least, so that an empty entry gets a buffer too.
        s.pOutput = static_cast<uint8_t*>(std::malloc(h.nUnpSize ? h.nUnpSize : 1));
        if (!s.pOutput) return false;
        s.nOutputPos = 0;
        s.nOutputCrc = 0xFFFFFFFFu;
    }
    if (!bSolidArchive && !s.bFound) return true;
    if (h.nUnpVer < kMinUnpackVersion || h.nUnpVer > kMaxUnpackVersion) return false;
    // Stored entries take no part in a solid stream; only the requested one is read.
    if (!bDecodes && !s.bFound) return true;

    s.nCipherVersion = (s.szPassword[0] && (h.nFlags & kEntryFlagEncrypted)) ? h.nUnpVer : 0;
    if (s.nCipherVersion) PrepareCipherKeys(s.cipher, s.szPassword, s.aCrcTable);
    s.nPackedRemaining = nPackAvailable;
    s.nOutputRemaining = h.nUnpSize;
    if (!bDecodes) {
        if (!CopyStoredEntry(s)) return false;
    } else {
        // A stream continues only from an entry decoded earlier in this call.
        const bool bContinue = (h.nFlags & kEntryFlagSolid) && s.bStreamStarted;
        const bool bComplete = UnpackEntry(s, bContinue);
        s.bStreamStarted = true;
        if (!bComplete) return false;
    }
    if (s.bFound) {
        if (s.nOutputPos != h.nUnpSize) return false;
        // Decoded entries reach the output through FlushWindow, which keeps
        // their CRC on the way.
        const uint32_t nCrc = bDecodes ? ~s.nOutputCrc : Crc32OfSliced(s.crcSlices, s.pOutput, h.nUnpSize);
        if (nCrc != h.nFileCrc) return false;
    }
    return true;
}

bool SearchAndExtract(UnpackState& s) {
    if (!CheckArchiveMarker(s)) return false;
    // Zeroed by the allocator: fresh pages cost nothing until a decode
    // touches them, so a small entry never clears the whole window.
    s.pWindow = static_cast<uint8_t*>(std::calloc(kWindowSize, 1));
    if (!s.pWindow) return false;
    s.bWindowUsed = false;
    if (s.archiveHeader.nHeadSize < kArchiveHeaderSize) return false;
    s.pArchive->nReadOffset += s.archiveHeader.nHeadSize - kArchiveHeaderSize;
    const bool bSolid = (s.archiveHeader.nFlags & kArchiveFlagSolid) != 0;
    for (;;) {
        if (FindNextFileHeader(s) <= 0 || s.blockHead.nHeadType == kHeadTypeSubBlock) return false;
        s.bFound = CompareEntryNames(s.szEntryName, s.fileHeader.szName);
        if (!ProcessEntry(s, bSolid)) return false;
        s.pArchive->nReadOffset = s.nNextBlockStart;
        if (s.bFound) return true;
    }
}

} // namespace

int ExtractArchiveEntry(uint8_t** ppOutData, uint32_t* pnOutSize, const char* pszEntryName,
                        ResourceBlob* pArchive, const char* pszPassword) {
    UnpackState& s = g_unpackState;
    BuildCrc32Table(s.aCrcTable);
    BuildCrc32Slices(s.crcSlices);
    CopyName(s.szEntryName, pszEntryName);
    std::memset(s.szPassword, 0, sizeof(s.szPassword));
    if (pszPassword) std::strncpy(s.szPassword, pszPassword, sizeof(s.szPassword) - 1);
    s.pArchive = pArchive;
    s.pOutput = nullptr;
    s.nOutputPos = 0;
    s.bFound = false;
    s.bStreamStarted = false;
    s.nCipherVersion = 0;

    bool bOk = false;
    if (pArchive && pszEntryName && ppOutData && pnOutSize) {
        pArchive->nReadOffset = 0;
        bOk = SearchAndExtract(s);
    }

    std::free(s.pWindow);
    s.pWindow = nullptr;
    SecureZero(s.szPassword, sizeof(s.szPassword));
    ClearCipher(s.cipher);
    s.nCipherVersion = 0;
    if (!bOk) {
        std::free(s.pOutput);
        s.pOutput = nullptr;
        s.nOutputPos = 0;
    }
    if (ppOutData) *ppOutData = s.pOutput;
    if (pnOutSize) *pnOutSize = s.nOutputPos;
    s.pOutput = nullptr;
    s.pArchive = nullptr;
    return bOk ? 1 : 0;
}
