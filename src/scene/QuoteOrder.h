#pragma once
// The order in which the heart shows the quotations: the user's own lines on
// the first hit, then every quotation once in a shuffled order, reshuffled
// when all were shown.
#include <cstdint>

#include "settings/QuoteRecord.h"

// The quotations to show: the embedded table and the user's own lines.
struct QuoteSource {
    const QuoteRecord* pRecords = nullptr;
    int32_t nCount = 0;
    const QuoteRecord* pUser = nullptr;
};

class CQuoteOrder {
public:
    // A random permutation of 0 .. nCount - 1 (nCount is clamped to the
    // table); position back to the start.
    void ShuffleQuotes(int32_t nCount);
    // The user's record on the first call, then the shuffled quotations. With
    // no quotations the user's record is shown again.
    const QuoteRecord& NextQuote(const QuoteRecord* pRecords, int32_t nCount,
                                 const QuoteRecord& userRecord);

    int32_t m_anOrder[kMaxQuotes] = {};
    int32_t m_nPosition = 0;
    uint8_t m_bFirstQuotePending = 1;
};
