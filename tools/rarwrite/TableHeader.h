#pragma once
// The table block that opens every run of symbols: mode bits, then all code
// lengths of the block, themselves coded with a 19-symbol Huffman code, as
// plain lengths or as changes modulo 16 to the lengths of the block before.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "BitWriter.h"

namespace rarwrite {

class CTableHeader {
public:
    // lengths: the block's code lengths (374 for LZ, 257 per audio channel).
    // pPrevious: the lengths the decoder holds from the previous block of the
    // same kind and size, or null when changes may not be sent.
    CTableHeader(bool bAudio, int nChannels, const std::vector<uint8_t>& lengths, const uint8_t* pPrevious);

    uint64_t CostBits() const { return m_nBits; }
    void Write(CBitWriter& out) const;

private:
    struct Item {
        uint8_t nSymbol;
        uint8_t nExtraBits;
        uint8_t nExtra;
    };
    static std::vector<Item> Tokenize(const std::vector<uint8_t>& lengths, const uint8_t* pBase);
    static uint64_t Cost(const std::vector<Item>& items, std::vector<uint8_t>& codeLengths);

    bool m_bAudio;
    int m_nChannels;
    bool m_bDelta = false;
    std::vector<Item> m_items;
    std::vector<uint8_t> m_codeLengths; // of the 19-symbol code
    uint64_t m_nBits = 0;
};

} // namespace rarwrite
