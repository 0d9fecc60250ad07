#include "encode/huffman_table_builder.h"

#include <algorithm>

namespace vistello {
namespace {

// The pseudo-symbol of frequency 1 that takes the one code of all ones; it is dropped again
// once the lengths are known.
constexpr int32_t reservedSymbol = huffmanSymbolCount;
constexpr int32_t nodeCount = huffmanSymbolCount + 1;
constexpr int32_t noSymbol = -1;
// A tree over 257 symbols is at most 256 levels deep.
constexpr int32_t longestTreeCode = nodeCount - 1;

// The symbol of least frequency above 0 other than `besides`; ties go to the higher symbol,
// so the reserved symbol is merged first.
int32_t leastFrequent(const std::array<uint64_t, nodeCount>& frequency, int32_t besides) {
    int32_t found = noSymbol;
    for (int32_t v = 0; v < nodeCount; ++v) {
        if (v == besides || frequency[size_t(v)] == 0) continue;
        if (found == noSymbol || frequency[size_t(v)] <= frequency[size_t(found)]) found = v;
    }
    return found;
}

// Code lengths of the Huffman tree (Annex K.2, figure K.1): merging the two least frequent
// groups makes every code in both one bit longer.
std::array<int32_t, nodeCount> treeCodeLengths(std::array<uint64_t, nodeCount> frequency) {
    std::array<int32_t, nodeCount> length{};
    std::array<int32_t, nodeCount> next;  // the next symbol of the same group
    next.fill(noSymbol);
    for (;;) {
        const int32_t first = leastFrequent(frequency, noSymbol);
        const int32_t second = leastFrequent(frequency, first);
        if (second == noSymbol) break;
        frequency[size_t(first)] += frequency[size_t(second)];
        frequency[size_t(second)] = 0;
        int32_t v = first;
        for (;; v = next[size_t(v)]) {
            ++length[size_t(v)];
            if (next[size_t(v)] == noSymbol) break;
        }
        next[size_t(v)] = second;  // the second group joins the end of the first
        for (v = second; v != noSymbol; v = next[size_t(v)]) ++length[size_t(v)];
    }
    return length;
}

}  // namespace

HuffmanTableDefinition buildHuffmanTable(const SymbolFrequencies& frequencies) {
    std::array<uint64_t, nodeCount> frequency{};
    bool any = false;
    for (int32_t v = 0; v < huffmanSymbolCount; ++v) {
        frequency[size_t(v)] = frequencies[size_t(v)];
        any = any || frequencies[size_t(v)] != 0;
    }
    if (!any) frequency[0] = 1;
    frequency[reservedSymbol] = 1;
    const std::array<int32_t, nodeCount> length = treeCodeLengths(frequency);

    // Codes longer than 16 bits (Annex K.3, figure K.3): two codes of the longest length give
    // way to one a bit shorter, and a shorter code splits to take the other.
    std::array<int32_t, longestTreeCode + 1> count{};
    for (int32_t v = 0; v < nodeCount; ++v) ++count[size_t(length[size_t(v)])];
    count[0] = 0;
    for (int32_t i = longestTreeCode; i > huffmanMaxCodeLength; --i) {
        while (count[size_t(i)] > 0) {
            int32_t j = i - 2;
            while (count[size_t(j)] == 0) --j;
            count[size_t(i)] -= 2;
            count[size_t(i - 1)] += 1;
            count[size_t(j + 1)] += 2;
            count[size_t(j)] -= 1;
        }
    }
    // The reserved symbol's code is one of the longest: drop one of those.
    int32_t longest = huffmanMaxCodeLength;
    while (count[size_t(longest)] == 0) --longest;
    --count[size_t(longest)];

    HuffmanTableDefinition table;
    for (int32_t i = 1; i <= huffmanMaxCodeLength; ++i) table.codeCounts[size_t(i - 1)] = uint8_t(count[size_t(i)]);
    // Symbols in order of their tree lengths, the more frequent first among equal lengths; the
    // adjusted counts hand out the lengths in this order, so no symbol gets a longer code than
    // a less frequent one.
    for (int32_t v = 0; v < huffmanSymbolCount; ++v) {
        if (length[size_t(v)] != 0) table.symbols.push_back(uint8_t(v));
    }
    std::sort(table.symbols.begin(), table.symbols.end(), [&](uint8_t a, uint8_t b) {
        if (length[a] != length[b]) return length[a] < length[b];
        if (frequency[a] != frequency[b]) return frequency[a] > frequency[b];
        return a < b;
    });
    return table;
}

HuffmanCodes assignHuffmanCodes(const HuffmanTableDefinition& table) {
    HuffmanCodes codes;
    uint32_t code = 0;
    size_t index = 0;
    for (int32_t l = 1; l <= huffmanMaxCodeLength; ++l) {
        for (int32_t n = 0; n < table.codeCounts[size_t(l - 1)] && index < table.symbols.size(); ++n, ++index) {
            codes.code[table.symbols[index]] = uint16_t(code++);
            codes.length[table.symbols[index]] = uint8_t(l);
        }
        code <<= 1;
    }
    return codes;
}

}  // namespace vistello
