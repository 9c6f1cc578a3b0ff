// The quotation reader on arbitrary text, into the full table and into a
// table of two records, and the shuffled order over what it read. Records
// beyond the count must stay untouched and every line must end in its NUL.
#include <stdio.h>

#include <cstring>

#include "scene/QuoteOrder.h"
#include "settings/QuoteReader.h"
#include "fuzz_common.h"

namespace {

QuoteRecord g_aRecords[kMaxQuotes + 1];

int32_t ReadAll(const uint8_t* data, size_t size, int32_t nMax) {
    std::memset(g_aRecords, 0xA5, sizeof g_aRecords);
    // fmemopen wants a buffer of at least one byte.
    static const uint8_t kEmpty = 0;
    FILE* f = fmemopen(const_cast<uint8_t*>(size ? data : &kEmpty), size ? size : 1, "r");
    if (!f) return -1;
    if (!size) fgetc(f);
    const int32_t n = ReadQuotesFromStream(f, g_aRecords, nMax);
    fclose(f);
    FUZZ_CHECK(n >= 0 && n <= nMax);
    for (int32_t r = 0; r < n; ++r)
        for (int32_t l = 0; l < kQuoteLines; ++l)
            FUZZ_CHECK(std::memchr(g_aRecords[r].aszLines[l], 0, kQuoteLineSize) != nullptr);
    // The record after the last one read may have been started and cleared,
    // never the one after that.
    const uint8_t* pGuard = reinterpret_cast<const uint8_t*>(&g_aRecords[nMax]);
    for (size_t i = 0; i < sizeof(QuoteRecord); ++i) FUZZ_CHECK(pGuard[i] == 0xA5);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadAll(data, size, 2);
    const int32_t n = ReadAll(data, size, kMaxQuotes);
    if (n < 0) return 0;
    QuoteRecord user = {};
    CQuoteOrder order;
    order.ShuffleQuotes(n);
    for (int32_t i = 0; i < n + 2 && i < 64; ++i) {
        const QuoteRecord& q = order.NextQuote(g_aRecords, n, user);
        FUZZ_CHECK(&q == &user || (&q >= g_aRecords && &q < g_aRecords + n));
    }
    return 0;
}
