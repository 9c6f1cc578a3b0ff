#pragma once
// Huffman decode tables built from code lengths.
#include <cstdint>

#include "assets/UnpackState.h"

void BuildDecodeTable(const uint8_t* pLengths, int nSymbols, DecodeTable& table);
// The full decode by comparison with the limits, for a 16-bit peek with its
// low bit cleared; the quick table and DecodeLongCode give the same results.
uint32_t DecodeSymbolSlow(const DecodeTable& table, uint32_t v, int& nLength);
