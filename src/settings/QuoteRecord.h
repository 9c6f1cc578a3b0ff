#pragma once
// One quotation as the scene shows it: six lines of at most 63 characters,
// each NUL-terminated. The user's own text uses the same layout so that it
// can be shown like one more quotation.
#include <cstdint>

constexpr int32_t kQuoteLines = 6;
constexpr int32_t kQuoteLineSize = 64;  // 63 characters and the NUL
constexpr int32_t kMaxQuotes = 1024;    // records in the quotation table

struct QuoteRecord {
    char aszLines[kQuoteLines][kQuoteLineSize];
};

static_assert(sizeof(QuoteRecord) == 384, "QuoteRecord is shared with the settings layout");
