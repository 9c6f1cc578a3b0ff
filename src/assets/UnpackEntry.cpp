#include <cstring>

#include "assets/UnpackAudio.h"
#include "assets/Rar20Codes.h"
#include "assets/UnpackState.h"

namespace {

using namespace rar20;

constexpr uint32_t kSymbolRepeatLast = 256;
constexpr uint32_t kSymbolNewTables = 269;
constexpr uint32_t kSymbolAudioNewTables = 256;

void CopyMatch(uint8_t* pWindow, uint32_t& nUnpack, uint32_t nDistance, uint32_t nLength) {
    const uint32_t nSource = (nUnpack - nDistance) & kWindowMask;
    if (nUnpack + nLength <= kWindowSize && nSource + nLength <= kWindowSize) {
        uint8_t* d = pWindow + nUnpack;
        const uint8_t* p = pWindow + nSource;
        // Byte order matters: a match may overlap the bytes it produces.
        for (uint32_t i = 0; i < nLength; ++i) d[i] = p[i];
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

// The decoding loop; returns false when the input ran out first.
bool DecodeLoop(UnpackState& s) {
    // The window is a heap block of its own: writes to it change no state.
    uint8_t* __restrict const pWindow = s.pWindow;
    const uint8_t* const in = s.aInput;
    BitCursor c = s.in;
    uint32_t nUnpack = s.nUnpackPos;
    int64_t nRemaining = s.nOutputRemaining;
    bool bOk = true;

    // Work that calls out keeps the state record current around the call.
    auto store = [&] {
        s.in = c;
        s.nUnpackPos = nUnpack;
        s.nOutputRemaining = nRemaining;
    };
    auto load = [&] {
        c = s.in;
        nUnpack = s.nUnpackPos;
        nRemaining = s.nOutputRemaining;
    };

    while (nRemaining >= 0) {
        nUnpack &= kWindowMask;
        if (c.nPos > kRefillMainLoop) {
            store();
            RefillInput(s, false);
            load();
        }
        if (InputOverrun(c, s.nReadTop)) {
            bOk = false;
            break;
        }
        if (((s.nWritePos - nUnpack) & kWindowMask) < kFlushMargin && s.nWritePos != nUnpack) {
            store();
            FlushWindow(s);
            load();
            if (nRemaining < 0) break;
        }

        if (s.bAudioMode) {
            const uint32_t sym = DecodeSymbol(s.audioTables[s.nCurChannel], in, c);
            if (sym == kSymbolAudioNewTables) {
                store();
                const bool bRead = ReadCodeTables(s);
                load();
                if (!bRead) {
                    bOk = false;
                    break;
                }
                continue;
            }
            pWindow[nUnpack++] = DecodeAudioByte(s, sym);
            if (++s.nCurChannel >= s.nChannels) s.nCurChannel = 0;
            --nRemaining;
            continue;
        }

        const uint32_t sym = DecodeSymbol(s.mainTable, in, c);
        if (sym < 256) {
            pWindow[nUnpack++] = uint8_t(sym);
            --nRemaining;
            continue;
        }
        uint32_t nLength, nDistance;
        if (sym >= 270) {
            const uint32_t k = sym - 270;
            nLength = kLengthBase[k] + 3 + ReadBits(in, c, kLengthBits[k]);
            const uint32_t d = DecodeSymbol(s.distanceTable, in, c);
            nDistance = kDistanceBase[d] + 1 + ReadBits(in, c, kDistanceBits[d]);
            nLength += (nDistance >= 0x2000) + (nDistance >= 0x40000);
        } else if (sym == kSymbolNewTables) {
            store();
            const bool bRead = ReadCodeTables(s);
            load();
            if (!bRead) {
                bOk = false;
                break;
            }
            continue;
        } else if (sym == kSymbolRepeatLast) {
            nLength = s.nLastLength;
            nDistance = s.nLastDistance;
        } else if (sym <= 260) {
            nDistance = s.aHistory[(s.nHistoryPos - (sym - 256)) & 3];
            const uint32_t r = DecodeSymbol(s.repeatTable, in, c);
            nLength = kLengthBase[r] + 2 + ReadBits(in, c, kLengthBits[r]);
            nLength += (nDistance >= 0x101) + (nDistance >= 0x2000) + (nDistance >= 0x40000);
        } else {
            const uint32_t k = sym - 261;
            nDistance = kShortBase[k] + 1 + ReadBits(in, c, kShortBits[k]);
            nLength = 2;
        }
        RememberMatch(s, nDistance, nLength);
        nRemaining -= nLength;
        CopyMatch(pWindow, nUnpack, nDistance, nLength);
    }
    store();
    return bOk;
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
    std::memset(s.pWindow, 0, kWindowSize);
    std::memset(s.aPrevLengths, 0, sizeof(s.aPrevLengths));
    std::memset(s.aLengths, 0, sizeof(s.aLengths));
    s.nUnpackPos = 0;
    s.nWritePos = 0;
}

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
            std::memcpy(s.pOutput + s.nOutputPos, s.pWindow + nWrite, nFirst);
            std::memcpy(s.pOutput + s.nOutputPos + nFirst, s.pWindow, nSecond);
            s.nOutputPos = uint32_t(nEnd);
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
