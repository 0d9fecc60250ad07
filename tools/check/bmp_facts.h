#pragma once
// What a BMP file's headers say (BITMAPFILEHEADER, then a BITMAPCOREHEADER of 12 bytes or a
// BITMAPINFOHEADER of 40 or one of its longer successors, and the bit-field masks), for the
// picture check to name what the program's BMP reader, which it runs, does with the file.
#include <cstdint>
#include <span>

namespace vistello::tools {

struct BmpFacts {
    uint64_t fileSize = 0;
    uint32_t dataOffset = 0;   // bfOffBits
    uint32_t headerSize = 0;   // biSize / bcSize
    int32_t width = 0;
    int32_t height = 0;        // negative: rows stored top-down
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    bool hasMasks = false;     // bit fields: the masks were found (behind a 40-byte header, or in a longer one)
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
};

// False when the file does not start with "BM" or is too short to hold a file header and its
// info header's size.
[[nodiscard]] bool readBmpFacts(std::span<const uint8_t> bmp, BmpFacts& facts);

}  // namespace vistello::tools
