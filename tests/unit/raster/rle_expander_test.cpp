#include "raster/rle_expander.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vistello {
namespace {

constexpr uint8_t guard = 0xCD;

// Pixel memory of rows x stride bytes followed by guard bytes that must survive.
struct Memory {
    Memory(size_t rowStride, size_t rows)
        : stride(rowStride), bytes(rowStride * rows + 16, guard), size(rowStride * rows) {
        std::fill(bytes.begin(), bytes.begin() + ptrdiff_t(size), uint8_t(0));
    }
    RleOutput output() { return {bytes.data(), size, stride}; }
    std::vector<uint8_t> pixels() const { return {bytes.begin(), bytes.begin() + ptrdiff_t(size)}; }
    bool guardIntact() const {
        return std::all_of(bytes.begin() + ptrdiff_t(size), bytes.end(), [](uint8_t b) { return b == guard; });
    }
    size_t stride;
    std::vector<uint8_t> bytes;
    size_t size;
};

struct Case {
    const char* name;
    size_t stride, rows;
    std::vector<uint8_t> data;
    std::vector<uint8_t> expected;
};

void runCases(const std::vector<Case>& cases, bool nibbles) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Memory memory(c.stride, c.rows);
        if (nibbles) {
            expandRle4(c.data.data(), c.data.size(), memory.output());
        } else {
            expandRle8(c.data.data(), c.data.size(), memory.output());
        }
        EXPECT_EQ(memory.pixels(), c.expected);
        EXPECT_TRUE(memory.guardIntact()) << "wrote past the pixel memory";
    }
}

TEST(Rle8, ExpandsRunsAbsoluteRunsAndEscapes) {
    runCases({
        {"whole rows ending with end of line and end of bitmap", 4, 2,
         {3, 7, 1, 9, 0, 0, /* row 1 */ 0, 4, 1, 2, 3, 4, 0, 1},
         {7, 7, 7, 9, /* row 1 */ 1, 2, 3, 4}},
        {"a row that ends early keeps index 0", 4, 2, {2, 5, 0, 0, 1, 6, 0, 1}, {5, 5, 0, 0, 6, 0, 0, 0}},
        {"odd absolute run skips one pad byte", 4, 1, {0, 3, 1, 2, 3, 0xEE, 1, 4}, {1, 2, 3, 4}},
        {"a row filled exactly is followed by the next row, not one later", 4, 3,
         {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 1}, {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}},
        {"delta moves right and up, skipped pixels keep index 0", 4, 3,
         {1, 9, 0, 2, 2, 1, 1, 8, 0, 1}, {9, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0}},
        {"end of line after a delta goes to the row the delta reached", 4, 3,
         {0, 2, 1, 1, 0, 0, 1, 5, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}},
        {"delta beyond the pixel memory ends the output", 4, 2, {0, 2, 200, 200, 9, 9}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"run longer than the memory stops at its end", 4, 1, {255, 3}, {3, 3, 3, 3}},
        {"absolute run longer than the memory stops at its end", 2, 1, {0, 5, 1, 2, 3, 4, 5, 0}, {1, 2}},
        {"end of line past the last row ends the output", 4, 1, {0, 0, 0, 0, 2, 2}, {0, 0, 0, 0}},
        {"data ending inside a command keeps what was written", 4, 1, {2, 4, 0, 3, 1}, {4, 4, 1, 0}},
        {"data ending inside a delta", 4, 1, {1, 4, 0, 2, 1}, {4, 0, 0, 0}},
        {"no data leaves the memory black", 4, 1, {}, {0, 0, 0, 0}},
    }, false);
}

TEST(Rle4, ExpandsNibblesWithThePhaseRule) {
    runCases({
        {"runs alternate the two nibbles, an odd run flips the phase", 4, 1,
         {3, 0x12, 3, 0x34, 0, 1}, {0x12, 0x13, 0x43, 0}},
        {"end of line keeps the half-written byte and resets the phase", 4, 2,
         {3, 0xAB, 0, 0, 2, 0xCD, 0, 1}, {0xAB, 0xA0, 0, 0, 0xCD, 0, 0, 0}},
        {"absolute run of 5 pixels in 3 bytes skips one pad byte", 4, 1,
         {0, 5, 0x12, 0x34, 0x50, 0xEE, 1, 0x77}, {0x12, 0x34, 0x57, 0}},
        {"absolute run of 3 pixels in 2 bytes has no pad byte", 4, 1,
         {0, 3, 0x12, 0x30, 2, 0x45}, {0x12, 0x34, 0x50, 0}},
        {"odd delta continues in the low nibble", 4, 2,
         {1, 0x90, 0, 2, 2, 1, 2, 0x45, 0, 1}, {0x90, 0, 0, 0, 0, 0x04, 0x50, 0}},
        {"delta beyond the memory ends the output", 2, 1, {0, 2, 255, 0, 4, 0x11}, {0, 0}},
        {"run longer than the memory stops at its end", 2, 1, {255, 0x12}, {0x12, 0x12}},
        {"an odd run ending the memory in the high phase", 1, 1, {3, 0x12}, {0x12}},
    }, true);
}

}  // namespace
}  // namespace vistello
