#pragma once
// Most-significant-bit-first bit output, the order the decoder reads in.
#include <cstdint>
#include <vector>

namespace rarwrite {

class CBitWriter {
public:
    void Put(uint32_t nValue, int nBits) {
        if (nBits == 0) return;
        m_nAccumulator = (m_nAccumulator << nBits) | (nValue & ((1u << nBits) - 1));
        m_nPending += nBits;
        m_nTotalBits += uint64_t(nBits);
        while (m_nPending >= 8) {
            m_nPending -= 8;
            m_bytes.push_back(uint8_t(m_nAccumulator >> m_nPending));
        }
    }
    // Pads the last byte with zero bits.
    void Flush() {
        if (m_nPending) Put(0, 8 - m_nPending);
    }
    uint64_t TotalBits() const { return m_nTotalBits; }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

private:
    uint64_t m_nAccumulator = 0;
    int m_nPending = 0;
    uint64_t m_nTotalBits = 0;
    std::vector<uint8_t> m_bytes;
};

} // namespace rarwrite
