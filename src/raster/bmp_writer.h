#pragma once
// The decoded image as an uncompressed BMP file: the picture's real width and height (a JPEG
// picture's padding is left out), rows bottom-up, the colour table for 8 bits per pixel and
// fewer. The window writes the bytes with its own file functions.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "common/byte_buffer.h"
#include "raster/decoded_image.h"

namespace vistello {

inline constexpr uint32_t bmpFileHeaderSize = 14;
inline constexpr uint32_t bmpHeadersSize = bmpFileHeaderSize + bitmapInfoHeaderSize;  // 54

struct BmpFileLayout {
    BitmapInfoHeader header{};  // as written: real width and height, biSizeImage set
    uint32_t colorCount = 0;    // 2, 16 or 256 for 1, 4 or 8 bits per pixel, else 0
    int32_t stride = 0;         // bytes per written row
    uint32_t offBits = 0;       // 54 + 4 x colorCount
    uint32_t fileSize = 0;      // offBits + stride x height
    int32_t skippedRows = 0;    // padding rows of the section that lie first in memory
};

// Plans the file. False when the image has no section or its real size cannot form a DIB.
[[nodiscard]] bool planBmpFile(const DecodedImage& image, BmpFileLayout& layout);

// Writes the file header, the info header and the colour table: layout.offBits bytes.
[[nodiscard]] bool writeBmpHeaders(const DecodedImage& image, const BmpFileLayout& layout, std::span<uint8_t> out);

// The section row that becomes the file's row `row` (0 = bottom); layout.stride bytes of it
// are written.
[[nodiscard]] const uint8_t* bmpSourceRow(const DecodedImage& image, const BmpFileLayout& layout, int32_t row);

// The whole file in one buffer.
[[nodiscard]] bool encodeBmpFile(const DecodedImage& image, ByteBuffer& file);

}  // namespace vistello
