#include "assets/ArchiveReader.h"

#include <cstdlib>
#include <cstring>

#include "assets/Crc32.h"
#include "assets/ArchiveWalk.h"
#include "assets/UnpackEntry.h"
#include "assets/UnpackInput.h"
#include "assets/UnpackState.h"

UnpackState g_unpackState;

namespace {

void CopyName(char* pDest, const char* pSource) {
    size_t n = 0;
    if (pSource)
        while (n < kMaxNameLength && pSource[n]) {
            pDest[n] = pSource[n];
            ++n;
        }
    pDest[n] = 0;
}

// The largest unpacked size the entry's packed data can account for.
bool UnpackedSizePlausible(const FileHeader& h, uint32_t nPackAvailable) {
    if (h.nMethod == kMethodStored) return h.nUnpSize <= nPackAvailable;
    return uint64_t(h.nUnpSize) <= uint64_t(nPackAvailable) * kMaxExpansion;
}

} // namespace

namespace {

// The window is taken when the first entry of a call decodes: a stored
// entry, and a missing name in an archive that is not solid, need none.
// Zeroed by the allocator: fresh pages cost nothing until a decode touches
// them, so a small entry never clears the whole window.
bool TakeWindow(UnpackState& s) {
    s.pWindow = static_cast<uint8_t*>(std::calloc(kWindowSize, 1));
    s.bWindowUsed = false;
    return s.pWindow != nullptr;
}

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
        if (!s.pWindow && !TakeWindow(s)) return false;
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
