#pragma once
// Geometry of an uncompressed bottom-up DIB, and the rules a header must meet before a DIB
// section is made from it. Both seams apply the same rules, so a header the Windows build
// would refuse is refused natively too.
#include <cstdint>

#include "raster/dib.h"

namespace vistello {

// No buffer of ours sized by a picture may exceed this; a DIB of that size is already far
// beyond any picture the program is meant to show.
inline constexpr uint64_t maxPictureBytes = uint64_t(1) << 30;

struct DibLayout {
    int32_t stride = 0;     // bytes per row, a multiple of 4
    uint32_t imageSize = 0; // stride x height
};

[[nodiscard]] bool isDibBitCount(uint16_t bitCount);

// Stride and size of a width x height DIB at bitCount bits per pixel, computed in 64 bits.
// False for a width or height of 0 or less, a stride that does not fit in int32_t, or an
// image larger than maxPictureBytes.
[[nodiscard]] bool computeDibLayout(int32_t width, int32_t height, uint16_t bitCount, DibLayout& layout);

// The checks CreateDIBSection applies to a header: size 40, one plane, a bit count of
// 1, 4, 8, 16, 24 or 32, uncompressed, and a computable layout.
[[nodiscard]] bool checkDibHeader(const BitmapInfoHeader& header, DibLayout& layout);

}  // namespace vistello
