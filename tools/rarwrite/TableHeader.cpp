#include "TableHeader.h"

#include "Huffman.h"

namespace rarwrite {

namespace {

constexpr int kBitLengthSymbols = 19;
constexpr uint8_t kSymbolRepeatPrevious = 16; // 3..6 copies of the length before
constexpr uint8_t kSymbolShortZeros = 17;     // 3..10 zeros
constexpr uint8_t kSymbolLongZeros = 18;      // 11..138 zeros

} // namespace

std::vector<CTableHeader::Item> CTableHeader::Tokenize(const std::vector<uint8_t>& lengths, const uint8_t* pBase) {
    std::vector<Item> items;
    const size_t n = lengths.size();
    size_t i = 0;
    while (i < n) {
        size_t r = 0;
        if (lengths[i] == 0) {
            while (i + r < n && lengths[i + r] == 0 && r < 138) ++r;
            if (r >= 11) {
                items.push_back({kSymbolLongZeros, 7, uint8_t(r - 11)});
                i += r;
                continue;
            }
            if (r >= 3) {
                r = r > 10 ? 10 : r;
                items.push_back({kSymbolShortZeros, 3, uint8_t(r - 3)});
                i += r;
                continue;
            }
        } else if (i > 0) {
            while (i + r < n && lengths[i + r] == lengths[i - 1] && r < 6) ++r;
            if (r >= 3) {
                items.push_back({kSymbolRepeatPrevious, 2, uint8_t(r - 3)});
                i += r;
                continue;
            }
        }
        const uint8_t nBase = pBase ? pBase[i] : 0;
        items.push_back({uint8_t((lengths[i] - nBase) & 0xF), 0, 0});
        ++i;
    }
    return items;
}

uint64_t CTableHeader::Cost(const std::vector<Item>& items, std::vector<uint8_t>& codeLengths) {
    std::vector<uint32_t> freqs(kBitLengthSymbols, 0);
    for (const Item& it : items) ++freqs[it.nSymbol];
    codeLengths = BuildCodeLengths(freqs, kMaxCodeLength);
    uint64_t nBits = 4 * kBitLengthSymbols;
    for (const Item& it : items) nBits += codeLengths[it.nSymbol] + it.nExtraBits;
    return nBits;
}

CTableHeader::CTableHeader(bool bAudio, int nChannels, const std::vector<uint8_t>& lengths, const uint8_t* pPrevious)
    : m_bAudio(bAudio), m_nChannels(nChannels) {
    m_items = Tokenize(lengths, nullptr);
    m_nBits = Cost(m_items, m_codeLengths);
    if (pPrevious) {
        std::vector<uint8_t> deltaCode;
        std::vector<Item> deltaItems = Tokenize(lengths, pPrevious);
        const uint64_t nDeltaBits = Cost(deltaItems, deltaCode);
        if (nDeltaBits < m_nBits) {
            m_bDelta = true;
            m_items.swap(deltaItems);
            m_codeLengths.swap(deltaCode);
            m_nBits = nDeltaBits;
        }
    }
    m_nBits += bAudio ? 4 : 2;
}

void CTableHeader::Write(CBitWriter& out) const {
    out.Put(m_bAudio ? 1 : 0, 1);
    out.Put(m_bDelta ? 1 : 0, 1);
    if (m_bAudio) out.Put(uint32_t(m_nChannels - 1), 2);
    for (int i = 0; i < kBitLengthSymbols; ++i) out.Put(m_codeLengths[i], 4);
    const std::vector<uint16_t> codes = BuildCanonicalCodes(m_codeLengths);
    for (const Item& it : m_items) {
        out.Put(codes[it.nSymbol], m_codeLengths[it.nSymbol]);
        out.Put(it.nExtra, it.nExtraBits);
    }
}

} // namespace rarwrite
