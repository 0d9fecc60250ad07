#pragma once
// Our baseline JPEG encoder: YCbCr with 4:2:0 chroma (luma 2 x 2, both chroma components 1 x 1),
// an integer forward transform, the standard quantisation tables scaled by the quality,
// Huffman tables made for the picture, and a JFIF APP0 segment. No other segments, so no
// orientation tag. Integer arithmetic only: every build writes the same bytes.
#include <cstdint>
#include <vector>

#include "encode/bgr_image.h"

namespace vistello {

inline constexpr int32_t jpegMaximumSide = 65535;  // a frame header holds 16-bit sides

// The picture as a complete JPEG file in `jpeg` (replacing what it held). The quality is kept
// within 1 ... 100. False, with `jpeg` left empty, when a side is 0 or above 65535.
[[nodiscard]] bool encodeJpeg(const BgrView& picture, int32_t quality, std::vector<uint8_t>& jpeg);

}  // namespace vistello
