#include "scene/QuoteOrder.h"

#include "scene/SceneRandom.h"

namespace {
int32_t ClampCount(int32_t nCount) {
    if (nCount < 0) return 0;
    return nCount > kMaxQuotes ? kMaxQuotes : nCount;
}
}  // namespace

void CQuoteOrder::ShuffleQuotes(int32_t nCount) {
    nCount = ClampCount(nCount);
    for (int32_t& n : m_anOrder) n = 0;
    // Entries still 0 are free; the one left over holds quote 0.
    for (int32_t i = 1; i < nCount; ++i) {
        int32_t j;
        do {
            j = SceneRand() % nCount;
        } while (m_anOrder[j] != 0);
        m_anOrder[j] = i;
    }
    m_nPosition = 0;
}

const QuoteRecord& CQuoteOrder::NextQuote(const QuoteRecord* pRecords, int32_t nCount,
                                          const QuoteRecord& userRecord) {
    nCount = ClampCount(nCount);
    if (m_bFirstQuotePending) {
        m_bFirstQuotePending = 0;
        return userRecord;
    }
    if (nCount == 0 || !pRecords) return userRecord;
    if (m_nPosition >= nCount || m_nPosition < 0) ShuffleQuotes(nCount);
    int32_t nIndex = m_anOrder[m_nPosition++];
    if (nIndex < 0 || nIndex >= nCount) nIndex = 0;  // shuffled for another count
    return pRecords[nIndex];
}
