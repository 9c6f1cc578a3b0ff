#include "assets/DecodeTable.h"

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

// A quick entry for every kQuickBits-bit prefix whose whole range of 16-bit
// values decodes to one length and one index, so that the shortcut is exact
// for any table, malformed ones included. The values of length n lie in
// [limit[n-1], limit[n]); below the 0xFFFF cap every limit[n] is a multiple of
// 2^(16-n), so for n up to kQuickBits these ranges, and each code's share of
// them, are whole runs of prefixes, filled in order.
void BuildQuickTable(DecodeTable& t) {
    constexpr uint32_t kPrefixes = 1u << kQuickBits;
    uint32_t p = 0;
    for (uint32_t n = 1; n <= uint32_t(kQuickBits); ++n) {
        const uint32_t nEnd = t.aLimit[n] >= 0xFFFF ? kPrefixes : t.aLimit[n] >> (16 - kQuickBits);
        const uint32_t nRun = 1u << (kQuickBits - n); // prefixes per code
        ARCHIVE_CHECK(p % nRun == 0 && nEnd % nRun == 0 && nEnd <= kPrefixes);
        uint32_t nIndex = t.aStart[n];
        for (; p < nEnd; p += nRun, ++nIndex) {
            const uint16_t q = uint16_t((SymbolAt(t, nIndex) << 6) | n);
            for (uint32_t i = 0; i < nRun; ++i) t.aQuick[p + i] = q;
        }
    }
    for (; p < kPrefixes; ++p) t.aQuick[p] = 0;
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
