#pragma once
// Huffman tables made for the symbols of one picture (ITU-T T.81, Annex K.2): the most
// frequent symbols get the shortest codes, no code is longer than 16 bits and none consists
// of ones only.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vistello {

inline constexpr int32_t huffmanSymbolCount = 256;
inline constexpr int32_t huffmanMaxCodeLength = 16;

using SymbolFrequencies = std::array<uint32_t, huffmanSymbolCount>;

// A table as a DHT segment holds it.
struct HuffmanTableDefinition {
    std::array<uint8_t, huffmanMaxCodeLength> codeCounts{};  // codes of length 1 ... 16
    std::vector<uint8_t> symbols;                             // by code length, then symbol
};

// The codes of a table for the entropy coder: canonical codes (Annex C), length 0 for a symbol
// the table does not hold.
struct HuffmanCodes {
    std::array<uint16_t, huffmanSymbolCount> code{};
    std::array<uint8_t, huffmanSymbolCount> length{};
};

// Every symbol with a frequency above 0 gets a code. A table with no such symbol holds symbol 0.
[[nodiscard]] HuffmanTableDefinition buildHuffmanTable(const SymbolFrequencies& frequencies);

[[nodiscard]] HuffmanCodes assignHuffmanCodes(const HuffmanTableDefinition& table);

}  // namespace vistello
