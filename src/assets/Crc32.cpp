#include "assets/Crc32.h"

void BuildCrc32Table(uint32_t* pTable) {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ kCrc32Polynomial : c >> 1;
        pTable[i] = c;
    }
}

uint32_t Crc32Update(const uint32_t* pTable, uint32_t nCrc, const uint8_t* pData, size_t nLength) {
    for (size_t i = 0; i < nLength; ++i) nCrc = pTable[(nCrc ^ pData[i]) & 0xFF] ^ (nCrc >> 8);
    return nCrc;
}

uint32_t Crc32Of(const uint32_t* pTable, const uint8_t* pData, size_t nLength) {
    return ~Crc32Update(pTable, 0xFFFFFFFFu, pData, nLength);
}

void BuildCrc32Slices(Crc32Slices& slices) {
    BuildCrc32Table(slices.aSlices[0]);
    for (int k = 1; k < 8; ++k)
        for (int i = 0; i < 256; ++i) {
            const uint32_t c = slices.aSlices[k - 1][i];
            slices.aSlices[k][i] = (c >> 8) ^ slices.aSlices[0][c & 0xFF];
        }
}

namespace {

// Eight bytes through the register.
inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline uint32_t Step8(const uint32_t (*t)[256], uint32_t nCrc, const uint8_t* p) {
    const uint32_t a = nCrc ^ Le32(p);
    const uint32_t b = Le32(p + 4);
    return t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^ t[3][b & 0xFF] ^
           t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
}

uint32_t Update8(const uint32_t (*t)[256], uint32_t nCrc, const uint8_t* pData, size_t nLength) {
    for (; nLength >= 8; nLength -= 8, pData += 8) nCrc = Step8(t, nCrc, pData);
    return Crc32Update(t[0], nCrc, pData, nLength);
}

// Polynomials modulo the CRC polynomial, in the reflected bit order of the
// register (bit 31 is x^0).
uint32_t MultiplyModP(uint32_t a, uint32_t b) {
    uint32_t nProduct = 0;
    for (uint32_t m = 1u << 31; m; m >>= 1) {
        if (a & m) nProduct ^= b;
        b = (b & 1) ? (b >> 1) ^ kCrc32Polynomial : b >> 1;
    }
    return nProduct;
}

// x^(8 n) modulo the polynomial: what a register is multiplied by when n
// zero bytes pass through it.
uint32_t ZeroBytesFactor(uint64_t n) {
    uint32_t nFactor = 1u << 31;      // 1
    uint32_t nSquare = 1u << 23;      // x^8
    for (; n; n >>= 1) {
        if (n & 1) nFactor = MultiplyModP(nFactor, nSquare);
        nSquare = MultiplyModP(nSquare, nSquare);
    }
    return nFactor;
}

} // namespace

uint32_t Crc32UpdateSliced(const Crc32Slices& slices, uint32_t nCrc, const uint8_t* pData, size_t nLength) {
    const uint32_t(*t)[256] = slices.aSlices;
    // A single register waits on its own table lookups; three independent
    // parts of a long buffer keep the loads busy, and the registers combine:
    // after A then B the register is (register after A) x^(8 |B|) plus what B
    // alone gives from a zero register.
    constexpr size_t kMinSplit = 3 * 4096;
    if (nLength < kMinSplit) return Update8(t, nCrc, pData, nLength);
    const size_t nPart = (nLength / 3) & ~size_t(7);
    const uint8_t* pA = pData;
    const uint8_t* pB = pData + nPart;
    const uint8_t* pC = pData + 2 * nPart;
    uint32_t a = nCrc, b = 0, c = 0;
    for (size_t i = 0; i < nPart; i += 8) {
        a = Step8(t, a, pA + i);
        b = Step8(t, b, pB + i);
        c = Step8(t, c, pC + i);
    }
    c = Update8(t, c, pC + nPart, nLength - 3 * nPart);
    const uint32_t nPartFactor = ZeroBytesFactor(nPart);
    const uint32_t ab = MultiplyModP(a, nPartFactor) ^ b;
    return MultiplyModP(ab, ZeroBytesFactor(nLength - 2 * nPart)) ^ c;
}

uint32_t Crc32OfSliced(const Crc32Slices& slices, const uint8_t* pData, size_t nLength) {
    return ~Crc32UpdateSliced(slices, 0xFFFFFFFFu, pData, nLength);
}
