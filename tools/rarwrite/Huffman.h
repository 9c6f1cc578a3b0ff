#pragma once
// Length-limited canonical Huffman codes in the form the decoder expects:
// codes ordered by length, then by symbol, the shortest code all zeros.
#include <cstdint>
#include <vector>

namespace rarwrite {

constexpr int kMaxCodeLength = 15;

// Code lengths (0 = unused) for the given symbol frequencies, none longer
// than nMaxLength. At least two symbols always get a code, so that every
// table is a complete prefix code that any decoder accepts.
std::vector<uint8_t> BuildCodeLengths(const std::vector<uint32_t>& freqs, int nMaxLength = kMaxCodeLength);

// Canonical code words for the lengths, right-aligned.
std::vector<uint16_t> BuildCanonicalCodes(const std::vector<uint8_t>& lengths);

// Total bits of coding the frequencies with the lengths.
uint64_t CodedBits(const std::vector<uint32_t>& freqs, const std::vector<uint8_t>& lengths);

} // namespace rarwrite
