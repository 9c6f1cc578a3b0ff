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

uint32_t Crc32OfSliced(const Crc32Slices& slices, const uint8_t* pData, size_t nLength) {
    const uint32_t(*t)[256] = slices.aSlices;
    uint32_t nCrc = 0xFFFFFFFFu;
    for (; nLength >= 8; nLength -= 8, pData += 8) {
        const uint32_t a = nCrc ^ (uint32_t(pData[0]) | (uint32_t(pData[1]) << 8) | (uint32_t(pData[2]) << 16) |
                                   (uint32_t(pData[3]) << 24));
        nCrc = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^ t[3][pData[4]] ^
               t[2][pData[5]] ^ t[1][pData[6]] ^ t[0][pData[7]];
    }
    return ~Crc32Update(t[0], nCrc, pData, nLength);
}
