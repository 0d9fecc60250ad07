#pragma once
// The Exif orientation tag of a JPEG file: how a viewer turns or mirrors the stored pixels
// before showing them (1 upright, 2 mirrored left-right, 3 turned 180 degrees, 4 mirrored top
// to bottom, 5 to 8 the same with rows and columns swapped; 6 is a phone held upright).
#include <cstdint>
#include <span>

namespace vistello {

// The Exif orientation (1..8) of a JPEG file's first APP1 Exif segment; 1 when there is none or it cannot be read.
[[nodiscard]] int32_t readExifOrientation(std::span<const uint8_t> jpeg);

}  // namespace vistello
