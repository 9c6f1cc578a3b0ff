#include "assets/UnpackInput.h"

#include <cstdlib>
#include <cstring>

#include "assets/ArchiveWalk.h"

uint32_t ReadPacked(UnpackState& s, uint8_t* pDest, uint32_t nCount) {
    if (nCount == 0) return 0;
    const uint32_t nWant = nCount < s.nPackedRemaining ? nCount : s.nPackedRemaining;
    const uint32_t nRead = ReadArchiveBytes(s, pDest, nWant);
    s.nPackedRemaining -= nRead;
    if (s.nCipherVersion >= 20)
        for (uint32_t nOffset = 0; nOffset < nRead; nOffset += kCipherBlockSize)
            DecipherBlock(s.cipher, pDest + nOffset);
    return nRead;
}

void RefillInput(UnpackState& s, bool bFirst) {
    if (bFirst) {
        const uint32_t nRead = ReadPacked(s, s.aInput, kInputSize);
        s.in.nPos = 0;
        s.nReadTop = int32_t(nRead);
        s.bInputEnded = nRead < uint32_t(kInputSize);
    } else {
        // Refills happen only near the end of the buffer, so the position
        // lies within the last 32 bytes, which move to the front.
        ARCHIVE_CHECK(s.in.nPos >= kInputSize - kInputKeep && s.in.nPos < kInputSize);
        std::memmove(s.aInput, s.aInput + kInputSize - kInputKeep, kInputKeep);
        s.in.nPos &= kInputKeep - 1;
        const int32_t nKept = s.nReadTop - (kInputSize - kInputKeep);
        if (s.bInputEnded) {
            // Nothing more comes; keep counting only the bytes that were valid.
            s.nReadTop = nKept > 0 ? nKept : 0;
        } else {
            const uint32_t nRead = ReadPacked(s, s.aInput + kInputKeep, kInputSize - kInputKeep);
            s.nReadTop = kInputKeep + int32_t(nRead);
            s.bInputEnded = nRead < uint32_t(kInputSize - kInputKeep);
        }
    }
    // Bytes past the valid data read as zeros, whatever came before.
    if (s.nReadTop < kInputSize) std::memset(s.aInput + s.nReadTop, 0, size_t(kInputSize - s.nReadTop));
}

bool CopyStoredEntry(UnpackState& s) {
    const uint32_t nSize = s.fileHeader.nUnpSize;
    if (s.nCipherVersion < 20) {
        s.nOutputPos = ReadPacked(s, s.pOutput, nSize);
        return true;
    }
    // Deciphering works on whole blocks: read into a scratch area rounded up
    // to 16 bytes and keep the entry's own bytes.
    if (nSize == 0) {
        s.nOutputPos = 0;
        return true;
    }
    const uint64_t nRounded = (uint64_t(nSize) + kCipherBlockSize - 1) & ~uint64_t(kCipherBlockSize - 1);
    if (nRounded > 0xFFFFFFFFu) return false;
    uint8_t* pScratch = static_cast<uint8_t*>(std::malloc(size_t(nRounded)));
    if (!pScratch) return false;
    const uint32_t nRead = ReadPacked(s, pScratch, uint32_t(nRounded));
    const uint32_t nKeep = nRead < nSize ? nRead : nSize;
    std::memcpy(s.pOutput, pScratch, nKeep);
    s.nOutputPos = nKeep;
    std::free(pScratch);
    return true;
}
