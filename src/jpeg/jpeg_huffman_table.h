#pragma once
// One Huffman decoding table, built from a DHT segment (ITU-T T.81, Annex C and F.2.2.3).
#include <cstdint>

namespace vistello {

struct HuffmanTable {
    uint8_t bits[17]{};       // BITS: number of codes of each length 1..16 (entry 0 unused)
    int32_t maxCode[18]{};    // largest code of each length, -1 where there is none
    int32_t minCode[17]{};    // smallest code of each length, -1 where there is none
    uint16_t valPtr[17]{};    // index into values of the first symbol of each length
    uint8_t values[256]{};    // HUFFVAL
    uint8_t sizes[257]{};     // HUFFSIZE, terminated by 0
    int32_t codes[256]{};     // HUFFCODE
    uint16_t valueCount = 0;
    bool defined = false;     // a DHT built this table; decoding with an undefined one fails
    // Lookahead for the fast decoder: for each 9-bit prefix, (code length << 8) | symbol when a
    // code of at most 9 bits matches, 0 when the code is longer (or none matches).
    uint16_t lookahead[512]{};
    // For AC tables: where the code and its value bits together fit in the 9-bit prefix,
    // (extended value << 16) | (run << 8) | (code length + size); 0 elsewhere (and for EOB/ZRL).
    uint32_t acLookahead[512]{};
};

constexpr uint32_t lookaheadBits = 9;

// Builds sizes, codes, the decoding arrays and the lookahead from bits and values.
void buildHuffmanTable(HuffmanTable& table);
// Builds acLookahead from lookahead (after buildHuffmanTable).
void buildAcLookahead(HuffmanTable& table);

}  // namespace vistello
