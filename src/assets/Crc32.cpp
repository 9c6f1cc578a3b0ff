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
