#pragma once
// The archive reader's process-wide state and its internal operations. Only
// the reader itself and its tests include this; everyone else uses
// ArchiveReader.h. The reader is single-threaded and not reentrant.
#include <cstdint>

#include "assets/Cipher20.h"
#include "assets/Crc32.h"
#include "assets/ResourceBlob.h"

// Bounds the reader's own logic guarantees; fuzz builds verify them.
#if defined(CORDELUNE_FUZZING)
#include <cstdlib>
#define ARCHIVE_CHECK(cond) \
    do {                    \
        if (!(cond)) std::abort(); \
    } while (0)
#else
#define ARCHIVE_CHECK(cond) ((void)0)
#endif

// ARCHIVE_NOINLINE keeps a hot loop in a function of its own, so that its
// values get the registers to themselves; ARCHIVE_LIKELY marks the branch
// the hot loops nearly always take.
#if defined(__GNUC__)
#define ARCHIVE_NOINLINE __attribute__((noinline))
#define ARCHIVE_LIKELY(cond) __builtin_expect(!!(cond), 1)
#else
#define ARCHIVE_NOINLINE
#define ARCHIVE_LIKELY(cond) (cond)
#endif

// Block types and flags of the archive format.
constexpr uint8_t kHeadTypeArchive = 0x73;
constexpr uint8_t kHeadTypeFile = 0x74;
constexpr uint8_t kHeadTypeSubBlock = 0x77;
constexpr uint16_t kArchiveFlagSolid = 0x0008;
constexpr uint16_t kEntryFlagEncrypted = 0x0004;
constexpr uint16_t kEntryFlagSolid = 0x0010;
constexpr uint16_t kEntryFlagHasData = 0x8000;
constexpr uint8_t kMethodStored = 0x30;
constexpr uint8_t kMinUnpackVersion = 13;
constexpr uint8_t kMaxUnpackVersion = 20;

constexpr uint32_t kMarkerSize = 7;
constexpr uint32_t kArchiveHeaderSize = 13;
constexpr uint32_t kFileHeaderSize = 32;
constexpr uint32_t kMaxNameLength = 259;

// No symbol of the method produces more than 260 bytes, and every symbol
// costs at least one bit: an entry cannot unpack to more than this many
// bytes per packed byte. Larger claims are damaged headers.
constexpr uint64_t kMaxExpansion = 260 * 8;

// Decoder geometry.
constexpr uint32_t kWindowSize = 0x100000;
constexpr uint32_t kWindowMask = kWindowSize - 1;
constexpr int32_t kInputSize = 8192;
constexpr int32_t kInputKeep = 32;             // bytes carried over by a refill
constexpr int32_t kRefillMainLoop = 8162;      // refill when the position passes these
constexpr int32_t kRefillTablesEntry = 8167;
constexpr int32_t kRefillTableSymbol = 8187;
constexpr uint32_t kFlushMargin = 270;         // longer than any match (260)

constexpr int kMainSymbols = 298;
constexpr int kDistanceSymbols = 48;
constexpr int kRepeatSymbols = 28;
constexpr int kBitLengthSymbols = 19;
constexpr int kAudioSymbols = 257;
constexpr int kMaxChannels = 4;
constexpr int kLzTableSize = kMainSymbols + kDistanceSymbols + kRepeatSymbols; // 374
constexpr int kLengthArraySize = kAudioSymbols * kMaxChannels;                 // 1028

constexpr int kQuickBits = 10; // decode-table lookup on the first bits of a code

// A canonical Huffman decoding table: limits are left-justified 16-bit code
// boundaries per length, start positions index the symbol list.
struct DecodeTable {
    uint32_t nSymbolCount = 0;
    uint32_t aLimit[16] = {};
    uint32_t aStart[16] = {};
    uint16_t aSymbol[kMainSymbols] = {};
    // (symbol << 6) | length for codes that the first kQuickBits bits decide;
    // 0 sends the decoder to the full comparison. The length sits in the low
    // bits so that it can serve as a shift count as it stands.
    uint16_t aQuick[1 << kQuickBits] = {};
};

// The adaptive predictor of one audio channel. Its deltas D1..D4 and its
// eleven error sums are kept in the form that is cheapest per byte: the
// deltas of the channel's recent bytes, from which D1..D4 follow, and, for
// each byte since the weights last adapted, the terms the sums are made of.
// The sums themselves are taken when the weights adapt (UnpackAudio.h).
struct AudioChannel {
    int32_t K1 = 0, K2 = 0, K3 = 0, K4 = 0, K5 = 0;
    // K1..K4 applied to the deltas themselves rather than to D1..D4:
    // aW[k] weighs the delta k + 1 bytes back (see DecodeAudioByte).
    int32_t aW[4] = {};
    uint32_t nByteCount = 0;
    uint8_t nLastByte = 0;
    // For byte i (0..31) of the current period of 32: its delta at
    // aDelta[i + 4], the four before it at aDelta[i .. i + 3]; the decoded
    // delta (the code's symbol) and the channel delta it was predicted with.
    int16_t aDelta[36] = {};
    int16_t aCode[32] = {};
    int16_t aCross[32] = {};
};

struct ArchiveHeader {
    uint16_t nHeadCrc = 0;
    uint8_t nHeadType = 0;
    uint16_t nFlags = 0;
    uint16_t nHeadSize = 0;
    uint16_t nReserved1 = 0;
    uint32_t nReserved2 = 0;
};

struct FileHeader {
    uint16_t nHeadCrc = 0;
    uint8_t nHeadType = 0;
    uint16_t nFlags = 0;
    uint16_t nHeadSize = 0;
    uint32_t nPackSize = 0;
    uint32_t nUnpSize = 0;
    uint8_t nHostOs = 0;
    uint32_t nFileCrc = 0;
    uint32_t nFileTime = 0;
    uint8_t nUnpVer = 0;
    uint8_t nMethod = 0;
    uint16_t nNameSize = 0;
    uint32_t nAttributes = 0;
    char szName[kMaxNameLength + 1] = {};
};

struct BlockHead {
    uint16_t nHeadCrc = 0;
    uint8_t nHeadType = 0;
    uint16_t nFlags = 0;
    uint16_t nHeadSize = 0;
    uint32_t nDataSize = 0;
};

// Read position in the input buffer: byte index and bit within that byte.
struct BitCursor {
    int32_t nPos = 0;
    int32_t nBit = 0;
};

struct UnpackState {
    // Archive walk.
    ResourceBlob* pArchive = nullptr;
    char szEntryName[kMaxNameLength + 1] = {};
    char szPassword[256] = {};
    ArchiveHeader archiveHeader;
    FileHeader fileHeader;
    BlockHead blockHead;
    uint32_t nBlockStart = 0;
    uint32_t nNextBlockStart = 0;
    uint8_t nLastBlockType = 0;
    bool bFound = false;
    uint8_t* pOutput = nullptr;
    uint32_t nOutputPos = 0;     // bytes delivered into pOutput
    uint32_t nOutputCrc = 0;     // CRC-32 register over them, kept by FlushWindow
    uint8_t* pWindow = nullptr;
    bool bWindowUsed = false;    // a decode has written pWindow since it was zeroed
    uint32_t aCrcTable[256] = {};
    Crc32Slices crcSlices = {};  // the same table, eight bytes a step

    // Packed input.
    // Spare bytes: the bit readers load four or eight bytes at a time where
    // they need fewer (see Peek16 and LoadBits64).
    uint8_t aInput[kInputSize + 8] = {};
    BitCursor in;
    int32_t nReadTop = 0;        // valid bytes in aInput
    bool bInputEnded = false;    // a read came back short: nothing more follows
    uint32_t nPackedRemaining = 0;

    // Output side of the decoder.
    uint32_t nUnpackPos = 0;
    uint32_t nWritePos = 0;
    int64_t nOutputRemaining = 0;
    bool bStreamStarted = false; // an entry of this call has set up the decoder

    // Code tables.
    DecodeTable mainTable, distanceTable, repeatTable, bitLengthTable;
    DecodeTable audioTables[kMaxChannels];
    uint8_t aLengths[kLengthArraySize] = {};
    uint8_t aPrevLengths[kLengthArraySize] = {};

    // Audio mode.
    bool bAudioMode = false;
    int nChannels = 1;
    int nCurChannel = 0;
    int32_t nChannelDelta = 0;
    AudioChannel aChannels[kMaxChannels];

    // Match history.
    uint32_t aHistory[4] = {};
    uint32_t nHistoryPos = 0;
    uint32_t nLastDistance = 0;
    uint32_t nLastLength = 0;

    // Cipher; version 0 = not enciphered.
    Rar20Cipher cipher;
    int nCipherVersion = 0;
};

// Bit input over the input buffer.
inline uint32_t Peek16(const uint8_t* pInput, const BitCursor& c) {
    ARCHIVE_CHECK(c.nPos >= 0 && c.nPos + 2 < kInputSize);
    // Bytes pos .. pos + 2 hold the 16 bits; the fourth byte is shifted out.
    const uint8_t* p = pInput + c.nPos;
    const uint32_t v = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    return (v >> (16 - c.nBit)) & 0xFFFF;
}

inline void SkipBits(BitCursor& c, int n) {
    c.nBit += n;
    c.nPos += c.nBit >> 3;
    c.nBit &= 7;
}

inline uint32_t ReadBits(const uint8_t* pInput, BitCursor& c, int n) {
    const uint32_t v = Peek16(pInput, c) >> (16 - n);
    SkipBits(c, n);
    return v;
}

// True once more bits were consumed than the buffer holds.
inline bool InputOverrun(const BitCursor& c, int32_t nReadTop) {
    return c.nPos > nReadTop || (c.nPos == nReadTop && c.nBit > 0);
}

// The rest of a decode for a code longer than kQuickBits bits, which is what
// a quick entry of 0 means; v is the 16-bit peek with its low bit cleared.
inline uint32_t DecodeLongCode(const DecodeTable& t, uint32_t v, uint32_t& nLength) {
    uint32_t n = kQuickBits + 1;
    while (n < 15 && v >= t.aLimit[n]) ++n;
    nLength = n;
    const uint32_t nIndex = t.aStart[n] + ((v - t.aLimit[n - 1]) >> (16 - n));
    return t.aSymbol[nIndex < t.nSymbolCount ? nIndex : 0];
}

inline uint32_t DecodeSymbol(const DecodeTable& table, const uint8_t* pInput, BitCursor& c) {
    const uint32_t v = Peek16(pInput, c);
    const uint32_t q = table.aQuick[v >> (16 - kQuickBits)];
    if (q) {
        SkipBits(c, int(q & 63));
        return q >> 6;
    }
    uint32_t nLength = 0;
    const uint32_t nSymbol = DecodeLongCode(table, v & 0xFFFE, nLength);
    SkipBits(c, int(nLength));
    return nSymbol;
}

// The main loop's bit input: the 64 bits from the byte holding bit nBits
// (an absolute bit index into the input buffer), shifted so that bit nBits
// is the top one; at least 57 of them are input bits. Needs eight readable
// bytes from nBits / 8.
inline uint64_t LoadBits64(const uint8_t* pInput, uint32_t nBits) {
    ARCHIVE_CHECK(nBits / 8 + 8 <= uint32_t(kInputSize) + 8);
    const uint8_t* p = pInput + (nBits >> 3);
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t v;
    __builtin_memcpy(&v, p, 8);
    v = __builtin_bswap64(v);
#else
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
#endif
    return v << (nBits & 7);
}

// DecodeSymbol on bits at the top of a word (at least 15 valid); the code's
// length goes to nLength and is not consumed.
inline uint32_t DecodeSymbolFrom(const DecodeTable& table, uint64_t v, uint32_t& nLength) {
    const uint32_t q = table.aQuick[v >> (64 - kQuickBits)];
    if (ARCHIVE_LIKELY(q)) {
        nLength = q & 63;
        return q >> 6;
    }
    return DecodeLongCode(table, uint32_t(v >> 48) & 0xFFFE, nLength);
}

// The one process-wide instance used by ExtractArchiveEntry.
extern UnpackState g_unpackState;
