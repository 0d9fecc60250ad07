#include "encode/huffman_table_builder.h"

#include <gtest/gtest.h>

#include <numeric>

namespace vistello {
namespace {

struct FrequencyCase {
    const char* name;
    SymbolFrequencies frequencies;
};

std::vector<FrequencyCase> frequencyCases() {
    std::vector<FrequencyCase> cases;
    SymbolFrequencies f{};
    cases.push_back({"none", f});
    f[0x37] = 5;
    cases.push_back({"one symbol", f});
    f[0x00] = 1000;
    cases.push_back({"two symbols", f});
    f.fill(1);
    cases.push_back({"all 256 alike", f});
    // Fibonacci frequencies make the deepest tree: codes far beyond 16 bits before the limit.
    f.fill(0);
    uint32_t a = 1, b = 1;
    for (size_t v = 0; v < 40; ++v) {
        f[v] = a;
        const uint32_t next = a + b;
        a = b;
        b = next;
    }
    cases.push_back({"Fibonacci, 40 symbols", f});
    // Like the AC symbols of a photograph: a few very common, a long tail of rare ones.
    for (size_t v = 0; v < 256; ++v) f[v] = v % 16 == 0 || v % 16 > 10 ? 0 : uint32_t(4000000 >> (v % 16 + v / 16));
    f[0x00] = 3000000;
    cases.push_back({"photograph-like", f});
    return cases;
}

TEST(BuildHuffmanTable, CodesFitSixteenBitsAreNeverAllOnesAndFavourFrequentSymbols) {
    for (const FrequencyCase& c : frequencyCases()) {
        SCOPED_TRACE(c.name);
        const HuffmanTableDefinition table = buildHuffmanTable(c.frequencies);
        const HuffmanCodes codes = assignHuffmanCodes(table);
        const size_t used = size_t(std::count_if(c.frequencies.begin(), c.frequencies.end(), [](uint32_t n) { return n != 0; }));
        const size_t expected = std::max<size_t>(used, 1);  // an empty table still holds one symbol
        EXPECT_EQ(table.symbols.size(), expected);
        EXPECT_EQ(size_t(std::accumulate(table.codeCounts.begin(), table.codeCounts.end(), 0)), expected);
        // Kraft's sum stays below 1: room is left for the code of all ones.
        uint64_t kraft = 0;
        for (uint8_t symbol : table.symbols) {
            const int length = codes.length[symbol];
            ASSERT_GE(length, 1);
            ASSERT_LE(length, huffmanMaxCodeLength);
            EXPECT_NE(codes.code[symbol], (1u << length) - 1) << "symbol " << int(symbol);
            kraft += uint64_t(1) << (huffmanMaxCodeLength - length);
        }
        EXPECT_LT(kraft, uint64_t(1) << huffmanMaxCodeLength);
        // No code is the beginning of another.
        for (uint8_t s : table.symbols) {
            for (uint8_t t : table.symbols) {
                if (s == t || codes.length[s] > codes.length[t]) continue;
                EXPECT_NE(codes.code[t] >> (codes.length[t] - codes.length[s]), codes.code[s]) << int(s) << " " << int(t);
            }
        }
        for (uint8_t s : table.symbols) {
            for (uint8_t t : table.symbols) {
                if (c.frequencies[s] > c.frequencies[t]) {
                    EXPECT_LE(codes.length[s], codes.length[t]) << int(s) << " " << int(t);
                }
            }
        }
    }
}

}  // namespace
}  // namespace vistello
