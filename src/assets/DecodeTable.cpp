#include "assets/UnpackState.h"

namespace {

// The full decode of a (left-justified, low bit cleared) 16-bit peek: length
// and list index, before the index is bounded by the symbol count.
uint32_t LengthOf(const DecodeTable& t, uint32_t v) {
    // Limits never decrease, so the first limit above v gives the length.
    if (v < t.aLimit[8]) {
        uint32_t n = 1;
        while (v >= t.aLimit[n]) ++n;
        return n;
    }
    for (uint32_t n = 9; n <= 14; ++n)
        if (v < t.aLimit[n]) return n;
    return 15;
}

uint32_t IndexOf(const DecodeTable& t, uint32_t v, uint32_t nLength) {
    return t.aStart[nLength] + ((v - t.aLimit[nLength - 1]) >> (16 - nLength));
}

uint32_t SymbolAt(const DecodeTable& t, uint32_t nIndex) {
    return t.aSymbol[nIndex < t.nSymbolCount ? nIndex : 0];
}

// A quick entry for every 10-bit prefix whose whole range of 16-bit values
// decodes to one length and one index, so the shortcut is exact for any table,
// malformed ones included.
void BuildQuickTable(DecodeTable& t) {
    constexpr uint32_t kSpan = 1u << (16 - kQuickBits);
    for (uint32_t p = 0; p < (1u << kQuickBits); ++p) {
        const uint32_t vLow = p * kSpan;
        const uint32_t vHigh = (vLow + kSpan - 1) & 0xFFFE;
        const uint32_t nLength = LengthOf(t, vLow);
        t.aQuick[p] = 0;
        if (nLength > uint32_t(kQuickBits) || LengthOf(t, vHigh) != nLength) continue;
        const uint32_t nIndex = IndexOf(t, vLow, nLength);
        if (IndexOf(t, vHigh, nLength) != nIndex) continue;
        t.aQuick[p] = uint16_t((nLength << 12) | SymbolAt(t, nIndex));
    }
}

} // namespace

void BuildDecodeTable(const uint8_t* pLengths, int nSymbols, DecodeTable& table) {
    ARCHIVE_CHECK(nSymbols > 0 && nSymbols <= kMainSymbols);
    uint32_t aCount[16] = {};
    for (int i = 0; i < nSymbols; ++i) ++aCount[pLengths[i] & 0xF];
    aCount[0] = 0;

    table.aLimit[0] = 0;
    table.aStart[0] = 0;
    uint32_t n = 0;
    for (int len = 1; len < 16; ++len) {
        n = 2 * (n + aCount[len]);
        const uint32_t nLimit = n << (15 - len);
        table.aLimit[len] = nLimit > 0xFFFF ? 0xFFFF : nLimit;
        table.aStart[len] = table.aStart[len - 1] + aCount[len - 1];
    }

    uint32_t aNext[16];
    for (int len = 0; len < 16; ++len) aNext[len] = table.aStart[len];
    for (int i = 0; i < nSymbols; ++i) {
        const int len = pLengths[i] & 0xF;
        if (len) table.aSymbol[aNext[len]++] = uint16_t(i);
    }
    table.nSymbolCount = uint32_t(nSymbols);
    BuildQuickTable(table);
}

uint32_t DecodeSymbolSlow(const DecodeTable& table, uint32_t v, int& nLength) {
    const uint32_t len = LengthOf(table, v);
    nLength = int(len);
    return SymbolAt(table, IndexOf(table, v, len));
}
