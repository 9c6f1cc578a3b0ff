#include "MatchFinder.h"

namespace rarwrite {

CMatchFinder::CMatchFinder(const uint8_t* pData, size_t nSize, int nChainDepth, uint32_t nNiceLength)
    : m_pData(pData), m_nSize(nSize), m_nChainDepth(nChainDepth), m_nNiceLength(nNiceLength),
      m_head(size_t(1) << kHashBits, 0), m_head3(size_t(1) << kHash3Bits, 0), m_chain(size_t(kChainMask) + 1, 0),
      m_head2(65536, 0) {}

void CMatchFinder::InsertUpTo(size_t nPos) {
    if (nPos > m_nSize) nPos = m_nSize;
    for (; m_nInserted < nPos; ++m_nInserted) {
        const size_t p = m_nInserted;
        if (p + 1 < m_nSize) m_head2[m_pData[p] | (m_pData[p + 1] << 8)] = uint32_t(p + 1);
        if (p + 2 >= m_nSize) continue;
        m_head3[Hash3(p)] = uint32_t(p + 1);
        if (p + 3 >= m_nSize) continue;
        uint32_t& head = m_head[Hash4(p)];
        m_chain[p & kChainMask] = head;
        head = uint32_t(p + 1);
    }
}

int CMatchFinder::FindMatches(size_t nPos, size_t nEnd, Match* pOut, int nMaxOut) const {
    if (nPos + 3 > nEnd) return 0;
    const uint32_t nLimit = uint32_t(nEnd - nPos < kMaxMatchLength ? nEnd - nPos : kMaxMatchLength);
    const uint8_t* cur = m_pData + nPos;
    uint32_t nBest = 2;
    int nFound = 0;
    auto record = [&](uint32_t n, size_t nDistance) {
        nBest = n;
        if (nFound < nMaxOut) pOut[nFound++] = {n, uint32_t(nDistance)};
        else pOut[nMaxOut - 1] = {n, uint32_t(nDistance)};
    };

    // The nearest 3-byte match first: chains hold 4-byte matches only.
    if (const uint32_t n3 = m_head3[Hash3(nPos)]) {
        const size_t nCand = n3 - 1;
        if (nCand < nPos && nPos - nCand <= kMaxDistance) {
            const uint8_t* cand = m_pData + nCand;
            uint32_t n = 0;
            while (n < nLimit && cand[n] == cur[n]) ++n;
            if (n >= 3) record(n, nPos - nCand);
        }
    }
    if (nBest >= nLimit || nBest >= m_nNiceLength || nPos + 4 > nEnd) return nFound;

    uint32_t nNext = m_head[Hash4(nPos)];
    int nDepth = m_nChainDepth;
    while (nNext && nDepth-- > 0) {
        const size_t nCand = nNext - 1;
        const size_t nDistance = nPos - nCand;
        if (nDistance > kMaxDistance || nCand >= nPos) break;
        nNext = m_chain[nCand & kChainMask];
        const uint8_t* cand = m_pData + nCand;
        if (cand[nBest] != cur[nBest] || cand[0] != cur[0] || cand[1] != cur[1] || cand[2] != cur[2]) continue;
        uint32_t n = 3;
        while (n < nLimit && cand[n] == cur[n]) ++n;
        if (n <= nBest) continue;
        record(n, nDistance);
        if (n >= m_nNiceLength || n >= nLimit) break;
        // A long match found: the rest of the chain rarely beats it.
        if (n >= 32 && nDepth > m_nChainDepth / 4) nDepth = m_nChainDepth / 4;
    }
    return nFound;
}

uint32_t CMatchFinder::FindShortMatch(size_t nPos, size_t nEnd) const {
    if (nPos + 2 > nEnd) return 0;
    const uint32_t nCand = m_head2[m_pData[nPos] | (m_pData[nPos + 1] << 8)];
    if (!nCand || nCand - 1 >= nPos) return 0;
    const size_t nDistance = nPos - (nCand - 1);
    return nDistance <= 256 ? uint32_t(nDistance) : 0;
}

} // namespace rarwrite
