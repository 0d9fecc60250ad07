#include "raster/halftone.h"

#include <cstddef>

namespace vistello {
namespace {

// Ordered-dither thresholds, indexed [column mod 8][row mod 8]: a remainder above the
// threshold rounds the level up.
constexpr uint8_t ditherMatrix[ditherSize][ditherSize] = {
    {0, 38, 9, 47, 2, 40, 11, 50},
    {25, 12, 35, 22, 27, 15, 37, 24},
    {6, 44, 3, 41, 8, 47, 5, 43},
    {31, 19, 28, 15, 34, 21, 31, 18},
    {1, 39, 11, 49, 0, 39, 10, 48},
    {27, 14, 36, 23, 26, 13, 35, 23},
    {7, 46, 4, 43, 7, 45, 3, 42},
    {33, 20, 30, 17, 32, 19, 29, 16},
};

// v / 51 and v mod 51 for every byte, so the inner loop has no divisions. The largest
// remainder is 50 and the largest dither value 50, so 255 (level 5, remainder 0) never rounds
// up past the last level.
struct LevelTables {
    uint8_t level[256];
    uint8_t remainder[256];
};

constexpr LevelTables makeLevelTables() {
    LevelTables tables{};
    for (int v = 0; v < 256; ++v) {
        tables.level[v] = uint8_t(v / halftoneStep);
        tables.remainder[v] = uint8_t(v % halftoneStep);
    }
    return tables;
}

constexpr LevelTables levelTables = makeLevelTables();
constexpr uint8_t blueWeight[halftoneLevels] = {0, 36, 72, 108, 144, 180};
constexpr uint8_t greenWeight[halftoneLevels] = {0, 6, 12, 18, 24, 30};

inline uint8_t level(uint8_t value, uint8_t dither) {
    return uint8_t(levelTables.level[value] + (levelTables.remainder[value] > dither ? 1 : 0));
}

}  // namespace

const std::array<uint8_t, halftoneLevels * halftoneLevels * halftoneLevels> halftoneTranslation = {
    0,   29,  30,  31,  32,  249, 33,  34,  35,  36,  37,  38,  39,  40,  41,  42,  43,  44,  45,  46,  47,  48,
    49,  50,  51,  52,  53,  54,  55,  56,  250, 250, 57,  58,  59,  251, 60,  61,  62,  63,  64,  65,  66,  67,
    68,  69,  70,  71,  72,  73,  74,  75,  76,  77,  78,  79,  80,  81,  82,  83,  84,  85,  86,  87,  88,  89,
    250, 90,  91,  92,  93,  94,  95,  96,  97,  98,  99,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110,
    111, 227, 112, 113, 114, 115, 116, 117, 118, 119, 151, 120, 121, 122, 123, 124, 228, 125, 126, 229, 133, 162,
    135, 131, 132, 137, 166, 134, 140, 130, 136, 143, 138, 139, 174, 141, 142, 177, 129, 144, 145, 146, 147, 148,
    149, 150, 157, 152, 153, 154, 155, 156, 192, 158, 159, 160, 161, 196, 163, 164, 165, 127, 199, 167, 168, 169,
    170, 171, 172, 173, 207, 175, 176, 210, 178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191,
    224, 193, 194, 195, 252, 252, 197, 198, 128, 253, 252, 200, 201, 202, 203, 204, 205, 206, 230, 208, 209, 231,
    211, 212, 213, 214, 215, 216, 217, 218, 219, 220, 221, 222, 254, 223, 232, 225, 226, 255,
};

uint8_t ditherValue(uint32_t column, uint32_t row) {
    return ditherMatrix[column % ditherSize][row % ditherSize];
}

uint8_t halftoneLevel(uint8_t value, uint8_t dither) { return level(value, dither); }

uint8_t halftoneIndex(uint8_t blue, uint8_t green, uint8_t red, uint32_t column, uint32_t row) {
    const uint8_t d = ditherValue(column, row);
    return halftoneTranslation[size_t(blueWeight[level(blue, d)] + greenWeight[level(green, d)] + level(red, d))];
}

void halftoneRows(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                  int32_t width, int32_t height) {
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = source + ptrdiff_t(row) * sourceStride;
        uint8_t* out = destination + ptrdiff_t(row) * destinationStride;
        for (int32_t column = 0; column < width; ++column, in += 3) {
            const uint8_t d = ditherMatrix[column % ditherSize][row % ditherSize];
            out[column] = halftoneTranslation[size_t(blueWeight[level(in[0], d)] + greenWeight[level(in[1], d)] +
                                                     level(in[2], d))];
        }
    }
}

}  // namespace vistello
