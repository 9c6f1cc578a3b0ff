#pragma once
// Hash-chain match finder over one contiguous buffer: the bytes of a solid
// stream (or of one entry) with a 1 MiB window.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rarwrite {

constexpr uint32_t kMaxDistance = 0xFFFFF; // inside the decoder's 1 MiB window
constexpr uint32_t kMaxMatchLength = 260;

struct Match {
    uint32_t nLength;
    uint32_t nDistance;
};

class CMatchFinder {
public:
    // pData must outlive the finder. nChainDepth bounds the candidates tried
    // per position; a match of nNiceLength bytes ends the search.
    CMatchFinder(const uint8_t* pData, size_t nSize, int nChainDepth, uint32_t nNiceLength);

    void SetEffort(int nChainDepth, uint32_t nNiceLength) {
        m_nChainDepth = nChainDepth;
        m_nNiceLength = nNiceLength;
    }

    // Makes every position below nPos available as a match source.
    void InsertUpTo(size_t nPos);

    // Matches of 3 bytes or more starting at nPos and ending before nEnd, in
    // order of increasing length and distance (each longer than the one
    // before). Positions below nPos must be inserted, nPos itself not.
    int FindMatches(size_t nPos, size_t nEnd, Match* pOut, int nMaxOut) const;

    // The most recent 2-byte match at nPos within 256 bytes, or 0.
    uint32_t FindShortMatch(size_t nPos, size_t nEnd) const;

    // Bytes equal at nPos and nPos - nDistance, at most nLimit.
    uint32_t MatchLength(size_t nPos, uint32_t nDistance, uint32_t nLimit) const {
        const uint8_t* a = m_pData + nPos;
        const uint8_t* b = a - nDistance;
        uint32_t n = 0;
        while (n < nLimit && a[n] == b[n]) ++n;
        return n;
    }

private:
    static constexpr int kHashBits = 17;
    static constexpr int kHash3Bits = 15;
    static constexpr uint32_t kChainMask = 0xFFFFF;

    // Chains link positions with equal 4-byte hashes; 3-byte matches come
    // from the most recent position with the same three bytes.
    uint32_t Hash4(size_t nPos) const {
        const uint8_t* p = m_pData + nPos;
        const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
        return (v * 2654435761u) >> (32 - kHashBits);
    }
    uint32_t Hash3(size_t nPos) const {
        const uint8_t* p = m_pData + nPos;
        const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
        return (v * 2246822519u) >> (32 - kHash3Bits);
    }

    const uint8_t* m_pData;
    size_t m_nSize;
    int m_nChainDepth;
    uint32_t m_nNiceLength;
    size_t m_nInserted = 0;
    std::vector<uint32_t> m_head;   // 4-byte hash -> position + 1 (0 = none)
    std::vector<uint32_t> m_head3;  // 3-byte hash -> position + 1
    std::vector<uint32_t> m_chain;  // position & kChainMask -> previous position + 1
    std::vector<uint32_t> m_head2;  // 2-byte value -> position + 1
};

} // namespace rarwrite
