#include "Huffman.h"

#include <algorithm>
#include <queue>

namespace rarwrite {

namespace {

struct Node {
    uint64_t nWeight;
    int nLeft, nRight; // children, or -1 for a leaf
    int nSymbol;
};

// Plain Huffman code lengths; returns the longest.
int HuffmanLengths(const std::vector<uint64_t>& weights, std::vector<uint8_t>& lengths) {
    std::vector<Node> nodes;
    using Item = std::pair<uint64_t, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
    for (size_t i = 0; i < weights.size(); ++i)
        if (weights[i]) {
            nodes.push_back({weights[i], -1, -1, int(i)});
            heap.push({weights[i], int(nodes.size() - 1)});
        }
    while (heap.size() > 1) {
        const Item a = heap.top();
        heap.pop();
        const Item b = heap.top();
        heap.pop();
        nodes.push_back({a.first + b.first, a.second, b.second, -1});
        heap.push({a.first + b.first, int(nodes.size() - 1)});
    }
    int nLongest = 0;
    // Depth-first walk from the root.
    std::vector<std::pair<int, int>> stack = {{int(nodes.size() - 1), 0}};
    while (!stack.empty()) {
        const auto [n, depth] = stack.back();
        stack.pop_back();
        if (nodes[n].nLeft < 0) {
            lengths[nodes[n].nSymbol] = uint8_t(std::min(depth, 255));
            nLongest = std::max(nLongest, depth);
        } else {
            stack.push_back({nodes[n].nLeft, depth + 1});
            stack.push_back({nodes[n].nRight, depth + 1});
        }
    }
    return nLongest;
}

} // namespace

std::vector<uint8_t> BuildCodeLengths(const std::vector<uint32_t>& freqs, int nMaxLength) {
    std::vector<uint64_t> weights(freqs.begin(), freqs.end());
    int nUsed = 0;
    for (uint64_t w : weights) nUsed += w != 0;
    // Two codes at least: a lone symbol would make an incomplete code.
    for (size_t i = 0; nUsed < 2 && i < weights.size(); ++i)
        if (!weights[i]) {
            weights[i] = 1;
            ++nUsed;
        }
    std::vector<uint8_t> lengths(freqs.size(), 0);
    if (nUsed < 2) return lengths;
    // Flattening the weights until the code fits keeps it complete.
    for (;;) {
        std::fill(lengths.begin(), lengths.end(), 0);
        if (HuffmanLengths(weights, lengths) <= nMaxLength) return lengths;
        for (uint64_t& w : weights)
            if (w) w = (w >> 1) | 1;
    }
}

std::vector<uint16_t> BuildCanonicalCodes(const std::vector<uint8_t>& lengths) {
    uint32_t aCount[kMaxCodeLength + 2] = {};
    for (uint8_t l : lengths) ++aCount[l];
    aCount[0] = 0;
    uint32_t aNext[kMaxCodeLength + 2] = {};
    uint32_t nCode = 0;
    for (int l = 1; l <= kMaxCodeLength; ++l) {
        nCode = (nCode + aCount[l - 1]) << 1;
        aNext[l] = nCode;
    }
    std::vector<uint16_t> codes(lengths.size(), 0);
    for (size_t i = 0; i < lengths.size(); ++i)
        if (lengths[i]) codes[i] = uint16_t(aNext[lengths[i]]++);
    return codes;
}

uint64_t CodedBits(const std::vector<uint32_t>& freqs, const std::vector<uint8_t>& lengths) {
    uint64_t n = 0;
    for (size_t i = 0; i < freqs.size(); ++i) n += uint64_t(freqs[i]) * lengths[i];
    return n;
}

} // namespace rarwrite
