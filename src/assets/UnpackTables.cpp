#include "assets/UnpackTables.h"

#include <cstring>

#include "assets/DecodeTable.h"
#include "assets/UnpackInput.h"

namespace {

void RefillIfPast(UnpackState& s, int32_t nLimit) {
    if (s.in.nPos > nLimit) RefillInput(s, false);
}

} // namespace

bool ReadCodeTables(UnpackState& s) {
    RefillIfPast(s, kRefillTablesEntry);
    const uint8_t* in = s.aInput;
    BitCursor& c = s.in;

    const uint32_t b = Peek16(in, c);
    s.bAudioMode = (b & 0x8000) != 0;
    if (!(b & 0x4000)) std::memset(s.aPrevLengths, 0, sizeof(s.aPrevLengths));
    SkipBits(c, 2);

    int nTableSize = kLzTableSize;
    if (s.bAudioMode) {
        s.nChannels = int((b >> 12) & 3) + 1;
        if (s.nCurChannel >= s.nChannels) s.nCurChannel = 0;
        SkipBits(c, 2);
        nTableSize = kAudioSymbols * s.nChannels;
    }

    uint8_t aBitLengths[kBitLengthSymbols];
    for (int i = 0; i < kBitLengthSymbols; ++i) aBitLengths[i] = uint8_t(ReadBits(in, c, 4));
    BuildDecodeTable(aBitLengths, kBitLengthSymbols, s.bitLengthTable);

    uint8_t* len = s.aLengths;
    int i = 0;
    while (i < nTableSize) {
        RefillIfPast(s, kRefillTableSymbol);
        if (InputOverrun(c, s.nReadTop)) return false;
        const uint32_t sym = DecodeSymbol(s.bitLengthTable, in, c);
        if (sym < 16) {
            len[i] = uint8_t((sym + s.aPrevLengths[i]) & 0xF);
            ++i;
        } else if (sym == 16) {
            int n = int(ReadBits(in, c, 2)) + 3;
            for (; n > 0 && i < nTableSize; --n, ++i) len[i] = i > 0 ? len[i - 1] : 0;
        } else {
            int n = sym == 17 ? int(ReadBits(in, c, 3)) + 3 : int(ReadBits(in, c, 7)) + 11;
            for (; n > 0 && i < nTableSize; --n, ++i) len[i] = 0;
        }
    }
    if (InputOverrun(c, s.nReadTop)) return false;

    if (s.bAudioMode) {
        for (int ch = 0; ch < s.nChannels; ++ch)
            BuildDecodeTable(len + ch * kAudioSymbols, kAudioSymbols, s.audioTables[ch]);
    } else {
        BuildDecodeTable(len, kMainSymbols, s.mainTable);
        BuildDecodeTable(len + kMainSymbols, kDistanceSymbols, s.distanceTable);
        BuildDecodeTable(len + kMainSymbols + kDistanceSymbols, kRepeatSymbols, s.repeatTable);
    }
    std::memcpy(s.aPrevLengths, s.aLengths, sizeof(s.aPrevLengths));
    return true;
}
