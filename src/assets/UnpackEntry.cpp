#include "assets/UnpackEntry.h"

#include <cstring>

#include "assets/UnpackAudio.h"
#include "assets/Rar20Codes.h"
#include "assets/UnpackInput.h"
#include "assets/UnpackTables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using namespace rar20;

// The output is written once and read back only by the caller, long after:
// where the target has them, stores that bypass the cache keep the window
// (which matches keep reading) in it.
void CopyToOutput(uint8_t* d, const uint8_t* p, uint32_t n) {
#if defined(__SSE2__)
    if (n >= 256) {
        while (uintptr_t(d) & 15) {
            *d++ = *p++;
            --n;
        }
        for (; n >= 64; n -= 64, d += 64, p += 64) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
            const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
            _mm_stream_si128(reinterpret_cast<__m128i*>(d), a);
            _mm_stream_si128(reinterpret_cast<__m128i*>(d + 16), b);
            _mm_stream_si128(reinterpret_cast<__m128i*>(d + 32), c);
            _mm_stream_si128(reinterpret_cast<__m128i*>(d + 48), e);
        }
        _mm_sfence();
    }
#endif
    std::memcpy(d, p, n);
}

constexpr uint32_t kSymbolRepeatLast = 256;
constexpr uint32_t kSymbolNewTables = 269;
constexpr uint32_t kSymbolAudioNewTables = 256;

// Bits the loop keeps at hand: a whole code, and what a match needs after its
// main symbol (length bits, distance code, distance bits: 5 + 15 + 16).
constexpr uint32_t kCodeBits = 15;
constexpr uint32_t kMatchTailBits = 36;

inline void Copy4(uint8_t* d, const uint8_t* p) {
    uint32_t x;
    std::memcpy(&x, p, 4);
    std::memcpy(d, &x, 4);
}
inline void Copy8(uint8_t* d, const uint8_t* p) {
    uint64_t x;
    std::memcpy(&x, p, 8);
    std::memcpy(d, &x, 8);
}
// Both halves are loaded before either is stored.
inline void Copy16(uint8_t* d, const uint8_t* p) {
    uint64_t x, y;
    std::memcpy(&x, p, 8);
    std::memcpy(&y, p + 8, 8);
    std::memcpy(d, &x, 8);
    std::memcpy(d + 8, &y, 8);
}

// Exactly nLength bytes from p to d, where every byte of p..p+nLength is final
// before it is read when copied in ascending 16-byte steps: the source lies
// 16 or more bytes behind the destination, or wholly after it. Bytes past the
// end of the match are never touched: far matches may still read them.
inline void CopyChunks(uint8_t* d, const uint8_t* p, uint32_t nLength) {
    if (nLength >= 16) {
        for (uint32_t i = 0; i + 16 < nLength; i += 16) Copy16(d + i, p + i);
        Copy16(d + nLength - 16, p + nLength - 16);
    } else if (nLength >= 8) {
        Copy8(d, p);
        Copy8(d + nLength - 8, p + nLength - 8);
    } else if (nLength >= 4) {
        Copy4(d, p);
        Copy4(d + nLength - 4, p + nLength - 4);
    } else if (nLength >= 2) {
        d[0] = p[0];
        d[1] = p[1];
        d[nLength - 1] = p[nLength - 1];
    } else if (nLength == 1) {
        d[0] = p[0];
    }
}

#if defined(__GNUC__) && (defined(__SSE2__) || defined(__ARM_NEON))
// Short copies without a branch on their length where the target has a
// vector unit: sixteen bytes are read and written back, the ones past the
// match with the values they had.
#define ARCHIVE_BLEND_COPY 1
typedef uint8_t Bytes16 __attribute__((vector_size(16)));

alignas(16) const uint8_t kLeadingOnes[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

inline Bytes16 Load16(const uint8_t* p) {
    Bytes16 x;
    std::memcpy(&x, p, 16);
    return x;
}

// The first n (0 to 16) bytes of d from p; the other bytes of d .. d + 16
// keep their values.
inline void Blend16(uint8_t* d, const uint8_t* p, uint32_t n) {
    const Bytes16 m = Load16(kLeadingOnes + 16 - n);
    const Bytes16 x = (Load16(p) & m) | (Load16(d) & ~m);
    std::memcpy(d, &x, 16);
}
#endif

// The match copy has byte-by-byte semantics: a source that overlaps the bytes
// it produces repeats them. The faster paths give the same bytes.
void CopyMatch(uint8_t* pWindow, uint32_t& nUnpack, uint32_t nDistance, uint32_t nLength) {
    const uint32_t nSource = (nUnpack - nDistance) & kWindowMask;
    if (nUnpack + nLength <= kWindowSize && nSource + nLength <= kWindowSize) {
        uint8_t* d = pWindow + nUnpack;
        const uint8_t* p = pWindow + nSource;
        const uint32_t nBehind = nUnpack - nSource; // as unsigned: huge when the source is ahead
        if ((nSource < nUnpack && nBehind >= 16) || nSource >= nUnpack + nLength) {
#if defined(ARCHIVE_BLEND_COPY)
            // Most matches are short: 32 bytes read and written cover them
            // when the window has room for that much on both sides.
            if (nLength <= 32 && nUnpack + 32 <= kWindowSize && nSource + 32 <= kWindowSize) {
                const uint32_t nFirst = nLength < 16 ? nLength : 16;
                Blend16(d, p, nFirst);
                Blend16(d + 16, p + 16, nLength - nFirst);
            } else {
                CopyChunks(d, p, nLength);
            }
#else
            CopyChunks(d, p, nLength);
#endif
        } else if (nSource < nUnpack && nBehind >= 8 && nLength >= 8) {
            uint32_t i = 0;
            for (; i + 8 < nLength; i += 8) Copy8(d + i, p + i);
            Copy8(d + nLength - 8, p + nLength - 8);
        } else if (nBehind == 1) {
            std::memset(d, p[0], nLength);
        } else {
            for (uint32_t i = 0; i < nLength; ++i) d[i] = p[i];
        }
        nUnpack = (nUnpack + nLength) & kWindowMask;
        return;
    }
    for (uint32_t i = 0; i < nLength; ++i) {
        pWindow[nUnpack] = pWindow[(nUnpack - nDistance) & kWindowMask];
        nUnpack = (nUnpack + 1) & kWindowMask;
    }
}

void RememberMatch(UnpackState& s, uint32_t nDistance, uint32_t nLength) {
    s.aHistory[s.nHistoryPos & 3] = nDistance;
    ++s.nHistoryPos;
    s.nLastDistance = nDistance;
    s.nLastLength = nLength;
}

// After the last symbol of an entry the encoder may have sent the tables the
// next entry of a solid stream starts with.
void ReadTrailingTables(UnpackState& s) {
    if (s.nReadTop < s.in.nPos + 5) return;
    if (s.bAudioMode) {
        if (DecodeSymbol(s.audioTables[s.nCurChannel], s.aInput, s.in) == kSymbolAudioNewTables)
            ReadCodeTables(s);
    } else if (DecodeSymbol(s.mainTable, s.aInput, s.in) == kSymbolNewTables) {
        ReadCodeTables(s);
    }
}

// The largest bit index at the top of the loop that needs no refill
// (position 8162 or below) and still lies within the valid input.
inline uint32_t BitLimit(int32_t nReadTop) {
    const uint32_t nRefill = uint32_t(kRefillMainLoop + 1) * 8 - 1;
    const uint32_t nTop = uint32_t(nReadTop) * 8;
    return nTop < nRefill ? nTop : nRefill;
}

// The output count at or below which the loop must look at the flush rule
// again (or stop). The rule applies once the unpack position comes within
// kFlushMargin bytes of unflushed data; no symbol produces that many bytes,
// so it cannot be stepped over, and until then the count alone tells.
inline int64_t FlushThreshold(uint32_t nWrite, uint32_t nUnpack, int64_t nRemaining) {
    const uint32_t d = (nWrite - nUnpack) & kWindowMask;
    if (d != 0 && d < kFlushMargin) return nRemaining;
    const int64_t nFree = int64_t(d ? d : kWindowSize) - int64_t(kFlushMargin - 1);
    const int64_t n = nRemaining - nFree;
    return n < -1 ? -1 : n;
}

// The top bits of v as an n-bit number, n from 0 to 63.
inline uint32_t TopBits(uint64_t v, uint32_t n) { return uint32_t((v >> 1) >> (63 - n)); }

enum class RunEnd { Done, Failed, NewTables };

// The decoding loops' working copy of the input position (with the bits from
// it on, loaded eight bytes at a time) and the output side. Loaded from and
// stored to the state record around every call out; a load drops the bits.
struct DecodeCursor {
    uint32_t nBits = 0;  // absolute bit index into the input buffer
    uint64_t v = 0;      // the bits from nBits on, at the top
    int nLeft = 0;       // audio: codes v still holds before it is reloaded
    uint32_t nAvail = 0; // LZ: input bits in v
    uint32_t nUnpack = 0, nWrite = 0;
    int64_t nRemaining = 0;
    uint32_t nBitLimit = 0;
    int64_t nFlushAt = 0;

    void Load(const UnpackState& s) {
        nBits = uint32_t(s.in.nPos) * 8 + uint32_t(s.in.nBit);
        nLeft = 0;
        nAvail = 0;
        nUnpack = s.nUnpackPos;
        nWrite = s.nWritePos;
        nRemaining = s.nOutputRemaining;
        nBitLimit = BitLimit(s.nReadTop);
        nFlushAt = FlushThreshold(nWrite, nUnpack, nRemaining);
    }
    void Store(UnpackState& s) const {
        s.in.nPos = int32_t(nBits >> 3);
        s.in.nBit = int32_t(nBits & 7);
        s.nUnpackPos = nUnpack;
        s.nOutputRemaining = nRemaining;
    }

    // The checks at the top of the method's loop, in its order: end of
    // output, refill, end of input, flush. Folded into two comparisons while
    // none of them is near. Returns false when the loop ends, with END
    // telling how (Done or Failed).
    bool Top(UnpackState& s, RunEnd& end) {
        if (nRemaining > nFlushAt && nBits <= nBitLimit) {
            nUnpack &= kWindowMask;
            return true;
        }
        end = RunEnd::Done;
        if (nRemaining < 0) return false;
        nUnpack &= kWindowMask;
        if (int32_t(nBits >> 3) > kRefillMainLoop) {
            Store(s);
            RefillInput(s, false);
            Load(s);
        }
        if (nBits > uint32_t(s.nReadTop) * 8) {
            end = RunEnd::Failed;
            return false;
        }
        if (((nWrite - nUnpack) & kWindowMask) < kFlushMargin && nWrite != nUnpack) {
            Store(s);
            FlushWindow(s);
            Load(s);
            if (nRemaining < 0) return false;
        }
        nFlushAt = FlushThreshold(nWrite, nUnpack, nRemaining);
        return true;
    }

    // How many codes, counting the next, the loop may take before it must run
    // the checks of Top again, when each takes at most nBitsPer bits and
    // makes at most nBytesPer bytes. At least 1 right after Top.
    int64_t FreeCodes(uint32_t nBitsPer, uint32_t nBytesPer) const {
        const int64_t nByBytes = (nRemaining - nFlushAt + nBytesPer - 1) / nBytesPer;
        const int64_t nByBits = int64_t((nBitLimit - nBits) / nBitsPer) + 1;
        return nByBytes < nByBits ? nByBytes : nByBits;
    }
};

// A run of audio codes: every one makes one byte, so that the run needs no
// checks until the next one is due. Apart from the tables symbol, only the
// weight adaptation of a channel (every 32 of its bytes) interrupts it, out
// here, so that the loop itself calls nothing and its values stay in
// registers.
struct AudioRun {
    uint64_t v;
    uint32_t nBits;
    int nLeft;
    int nChannel;
    int32_t nChannelDelta;
    uint8_t* p;
};

enum class AudioStop { End, Adapt, NewTables };

ARCHIVE_NOINLINE AudioStop DecodeAudioCodes(UnpackState& s, AudioRun& r, uint8_t* pEnd) {
    const uint8_t* const in = s.aInput;
    AudioChannel* const pLastChannel = s.aChannels + (s.nChannels - 1);
    uint64_t v = r.v;
    uint32_t nBits = r.nBits;
    AudioChannel* pChannel = s.aChannels + r.nChannel;
    const DecodeTable* pTable = s.audioTables + r.nChannel;
    int32_t nChannelDelta = r.nChannelDelta;
    uint8_t* __restrict p = r.p;
    AudioStop stop = AudioStop::End;
    int nLeft = r.nLeft;

    for (;;) {
        // Every code fits in 15 bits and a reload gives at least 57, so a
        // reload serves three codes; counting them keeps the branch regular.
        if (nLeft == 0) {
            v = LoadBits64(in, nBits);
            nLeft = 3;
        }
        --nLeft;
        uint32_t nCode;
        const uint32_t sym = DecodeSymbolFrom(*pTable, v, nCode);
        v <<= nCode;
        nBits += nCode;
        if (sym == kSymbolAudioNewTables) {
            stop = AudioStop::NewTables;
            break;
        }
        AudioChannel& ch = *pChannel;
        const bool bPeriodEnds = AudioPeriodEnds(ch);
        *p++ = DecodeAudioByte(ch, nChannelDelta, sym);
        if (pChannel == pLastChannel) {
            pChannel = s.aChannels;
            pTable = s.audioTables;
        } else {
            ++pChannel;
            ++pTable;
        }
        if (bPeriodEnds) {
            stop = AudioStop::Adapt;
            break;
        }
        if (p == pEnd) break;
    }
    r.v = v;
    r.nBits = nBits;
    r.nLeft = nLeft;
    r.nChannel = int(pChannel - s.aChannels);
    r.nChannelDelta = nChannelDelta;
    r.p = p;
    return stop;
}

RunEnd DecodeAudioRun(UnpackState& s) {
    uint8_t* const pWindow = s.pWindow;
    DecodeCursor c;
    c.Load(s);
    AudioRun r;
    r.nChannel = s.nCurChannel;
    r.nChannelDelta = s.nChannelDelta;
    RunEnd end = RunEnd::Done;
    while (c.Top(s, end)) {
        const int64_t nFree = c.FreeCodes(kCodeBits, 1);
        const uint32_t nRoom = kWindowSize - c.nUnpack;
        uint8_t* const pStart = pWindow + c.nUnpack;
        uint8_t* const pEnd = pStart + (nFree < int64_t(nRoom) ? uint32_t(nFree) : nRoom);
        r.v = c.v;
        r.nBits = c.nBits;
        r.nLeft = c.nLeft;
        r.p = pStart;
        AudioStop stop;
        for (;;) {
            stop = DecodeAudioCodes(s, r, pEnd);
            if (stop != AudioStop::Adapt) break;
            // The byte just made ended its channel's period.
            AdaptAudioWeights(s.aChannels[(r.nChannel ? r.nChannel : s.nChannels) - 1]);
            if (r.p == pEnd) break;
        }
        const uint32_t nMade = uint32_t(r.p - pStart);
        c.nUnpack += nMade;
        c.nRemaining -= nMade;
        c.v = r.v;
        c.nBits = r.nBits;
        c.nLeft = r.nLeft;
        if (stop == AudioStop::NewTables) {
            end = RunEnd::NewTables;
            break;
        }
    }
    c.Store(s);
    s.nCurChannel = r.nChannel;
    s.nChannelDelta = r.nChannelDelta;
    return end;
}

// A run of LZ codes: none takes more than 51 bits or makes more than 260
// bytes, so that the run needs no checks until the next one is due. Returns
// true when it stopped at the tables symbol.
struct LzRun {
    uint64_t v;
    uint32_t nBits;
    uint32_t nAvail;
    uint32_t nUnpack;
    int64_t nRemaining;
};

constexpr uint32_t kMaxCodeBits = kCodeBits + kMatchTailBits; // 51
constexpr uint32_t kMaxMatch = 260;

ARCHIVE_NOINLINE bool DecodeLzCodes(UnpackState& s, LzRun& r, int64_t nCodes) {
    uint8_t* __restrict const pWindow = s.pWindow;
    const uint8_t* const in = s.aInput;
    uint64_t v = r.v;
    uint32_t nBits = r.nBits;
    uint32_t nAvail = r.nAvail;
    uint32_t nUnpack = r.nUnpack;
    int64_t nRemaining = r.nRemaining;
    bool bTables = false;
    auto keep = [&](uint32_t n) {
        if (nAvail < n) {
            v = LoadBits64(in, nBits);
            nAvail = 64 - (nBits & 7);
        }
    };
    auto consume = [&](uint32_t n) {
        v <<= n;
        nBits += n;
        nAvail -= n;
    };
    do {
        nUnpack &= kWindowMask;
        keep(kCodeBits);
        uint32_t nCode;
        const uint32_t sym = DecodeSymbolFrom(s.mainTable, v, nCode);
        consume(nCode);
        if (ARCHIVE_LIKELY(sym < 256)) {
            pWindow[nUnpack++] = uint8_t(sym);
            --nRemaining;
            continue;
        }
        uint32_t nLength, nDistance;
        if (sym >= 270) {
            keep(kMatchTailBits);
            const uint32_t k = sym - 270;
            nLength = kLengthBase[k] + 3 + TopBits(v, kLengthBits[k]);
            consume(kLengthBits[k]);
            const uint32_t d = DecodeSymbolFrom(s.distanceTable, v, nCode);
            ARCHIVE_CHECK(d < uint32_t(kDistanceSymbols));
            consume(nCode);
            nDistance = kDistanceBase[d] + 1 + TopBits(v, kDistanceBits[d]);
            consume(kDistanceBits[d]);
            nLength += (nDistance >= 0x2000) + (nDistance >= 0x40000);
        } else if (sym == kSymbolNewTables) {
            bTables = true;
            break;
        } else if (sym == kSymbolRepeatLast) {
            nLength = s.nLastLength;
            nDistance = s.nLastDistance;
        } else if (sym <= 260) {
            keep(kMatchTailBits);
            nDistance = s.aHistory[(s.nHistoryPos - (sym - 256)) & 3];
            const uint32_t rep = DecodeSymbolFrom(s.repeatTable, v, nCode);
            ARCHIVE_CHECK(rep < uint32_t(kRepeatSymbols));
            consume(nCode);
            nLength = kLengthBase[rep] + 2 + TopBits(v, kLengthBits[rep]);
            consume(kLengthBits[rep]);
            nLength += (nDistance >= 0x101) + (nDistance >= 0x2000) + (nDistance >= 0x40000);
        } else {
            keep(kMatchTailBits);
            const uint32_t k = sym - 261;
            nDistance = kShortBase[k] + 1 + TopBits(v, kShortBits[k]);
            consume(kShortBits[k]);
            nLength = 2;
        }
        RememberMatch(s, nDistance, nLength);
        nRemaining -= nLength;
        CopyMatch(pWindow, nUnpack, nDistance, nLength);
    } while (--nCodes > 0);
    r.v = v;
    r.nBits = nBits;
    r.nAvail = nAvail;
    r.nUnpack = nUnpack;
    r.nRemaining = nRemaining;
    return bTables;
}

RunEnd DecodeLzRun(UnpackState& s) {
    DecodeCursor c;
    c.Load(s);
    RunEnd end = RunEnd::Done;
    while (c.Top(s, end)) {
        LzRun r = {c.v, c.nBits, c.nAvail, c.nUnpack, c.nRemaining};
        const bool bTables = DecodeLzCodes(s, r, c.FreeCodes(kMaxCodeBits, kMaxMatch));
        c.v = r.v;
        c.nBits = r.nBits;
        c.nAvail = r.nAvail;
        c.nUnpack = r.nUnpack;
        c.nRemaining = r.nRemaining;
        if (bTables) {
            end = RunEnd::NewTables;
            break;
        }
    }
    c.Store(s);
    return end;
}

// The decoding loop; returns false when the input ran out first. Table
// blocks switch between the two modes.
bool DecodeLoop(UnpackState& s) {
    for (;;) {
        const RunEnd end = s.bAudioMode ? DecodeAudioRun(s) : DecodeLzRun(s);
        if (end != RunEnd::NewTables) return end == RunEnd::Done;
        if (!ReadCodeTables(s)) return false;
    }
}

} // namespace

void ResetDecoder(UnpackState& s) {
    s.nCurChannel = 0;
    s.nChannelDelta = 0;
    for (AudioChannel& ch : s.aChannels) ch = AudioChannel();
    std::memset(s.aHistory, 0, sizeof(s.aHistory));
    s.nHistoryPos = 0;
    s.nLastDistance = 0;
    s.nLastLength = 0;
    // A decode starts from a zeroed window (matches may reach before the
    // first byte written); only one used already needs clearing.
    if (s.bWindowUsed) std::memset(s.pWindow, 0, kWindowSize);
    s.bWindowUsed = true;
    std::memset(s.aPrevLengths, 0, sizeof(s.aPrevLengths));
    std::memset(s.aLengths, 0, sizeof(s.aLengths));
    s.nUnpackPos = 0;
    s.nWritePos = 0;
}

namespace {

// Appends window bytes to the output and runs them through the output's CRC
// register while they are still in the cache.
void AppendToOutput(UnpackState& s, const uint8_t* p, uint32_t n) {
    s.nOutputCrc = Crc32UpdateSliced(s.crcSlices, s.nOutputCrc, p, n);
    CopyToOutput(s.pOutput + s.nOutputPos, p, n);
    s.nOutputPos += n;
}

} // namespace

void FlushWindow(UnpackState& s) {
    const uint32_t nUnpack = s.nUnpackPos & kWindowMask;
    if (s.bFound && s.pOutput) {
        const uint32_t nWrite = s.nWritePos;
        const uint32_t nFirst = nUnpack < nWrite ? kWindowSize - nWrite : nUnpack - nWrite;
        const uint32_t nSecond = nUnpack < nWrite ? nUnpack : 0;
        const uint64_t nEnd = uint64_t(s.nOutputPos) + nFirst + nSecond;
        if (nEnd > s.fileHeader.nUnpSize) {
            s.nOutputRemaining = -1; // more bytes than the entry holds: stop
        } else {
            AppendToOutput(s, s.pWindow + nWrite, nFirst);
            AppendToOutput(s, s.pWindow, nSecond);
        }
    }
    s.nWritePos = nUnpack;
}

bool UnpackEntry(UnpackState& s, bool bContinueSolid) {
    s.in = BitCursor();
    if (!bContinueSolid) ResetDecoder(s);
    std::memset(s.aInput, 0, sizeof(s.aInput));
    RefillInput(s, true);
    s.nOutputRemaining = int64_t(s.fileHeader.nUnpSize) - 1;
    bool bOk = true;
    if (!bContinueSolid && !ReadCodeTables(s)) {
        // Without tables nothing can be decoded; an empty entry needs none.
        bOk = s.fileHeader.nUnpSize == 0;
        s.nOutputRemaining = -1;
    } else {
        bOk = DecodeLoop(s);
        if (bOk) ReadTrailingTables(s);
    }
    FlushWindow(s);
    return bOk;
}
