#pragma once
// One Huffman decoding table, built from a DHT segment (ITU-T T.81, Annex C and F.2.2.3), and
// the look-up of the fast entropy decoder: a table for the first lookaheadBits bits, then the
// walk over the longer code lengths.
#include <cstdint>

namespace vistello {

constexpr uint32_t lookaheadBits = 10;

// What the first lookaheadBits bits of the data say: the length and symbol of the code they
// start with, or codeLength 0 where that code is longer (or no code matches).
struct LookaheadEntry {
    uint8_t codeLength = 0;
    uint8_t symbol = 0;
};

// For AC tables: where a code and all its value bits fit in the lookahead bits, the decoded
// coefficient, the zeros before it and the bits both take; bitsUsed 0 elsewhere. ZRL is a zero
// after 15 zeros, and EOB a zero after 63, which takes the position past the block's end (the
// zig-zag table maps positions up to 127 to 63). A coefficient's value is never 0, so the
// progressive walks, whose end-of-band runs differ, take only the entries with a value.
struct AcLookaheadEntry {
    int16_t value = 0;
    uint8_t run = 0;
    uint8_t bitsUsed = 0;
};

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
    LookaheadEntry lookahead[1u << lookaheadBits]{};
    AcLookaheadEntry acLookahead[1u << lookaheadBits]{};
};

// Builds sizes, codes, the decoding arrays and the lookahead from bits and values.
void buildHuffmanTable(HuffmanTable& table);
// Builds acLookahead from lookahead (after buildHuffmanTable).
void buildAcLookahead(HuffmanTable& table);

// The length of the code that the data bits (most significant first) start with, trying the
// lengths shortest..longest in turn as the bit-serial decoder does: the first length whose code
// is no larger than that length's largest code. 0 when none matches.
[[nodiscard]] inline uint32_t matchingCodeLength(const HuffmanTable& table, uint64_t bits, uint32_t shortest,
                                                 uint32_t longest) {
    for (uint32_t codeLength = shortest; codeLength <= longest; ++codeLength) {
        if (static_cast<int32_t>(bits >> (64 - codeLength)) <= table.maxCode[codeLength]) return codeLength;
    }
    return 0;
}

// The symbol of a code matched at codeLength. Such a code lies between the length's smallest
// and largest code, so the index stays below the number of values.
[[nodiscard]] inline uint8_t symbolOfCode(const HuffmanTable& table, uint64_t bits, uint32_t codeLength) {
    const int32_t code = static_cast<int32_t>(bits >> (64 - codeLength));
    return table.values[table.valPtr[codeLength] + static_cast<uint32_t>(code - table.minCode[codeLength])];
}

// The fast decoder's symbol look-up: the code that the data bits (most significant first, at
// least 16 of them valid) start with, its length and its symbol; false where no code matches.
// The same answer as the bit-serial walk of T.81 F.2.2.3.
[[nodiscard]] __attribute__((always_inline)) inline bool lookUpSymbol(const HuffmanTable& table, uint64_t bits,
                                                                      uint32_t& codeLength, uint32_t& symbol) {
    const LookaheadEntry entry = table.lookahead[bits >> (64 - lookaheadBits)];
    if (entry.codeLength != 0) {
        codeLength = entry.codeLength;
        symbol = entry.symbol;
        return true;
    }
    codeLength = matchingCodeLength(table, bits, lookaheadBits + 1, 16);
    if (codeLength == 0) return false;
    symbol = symbolOfCode(table, bits, codeLength);
    return true;
}

}  // namespace vistello
