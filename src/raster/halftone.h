#pragma once
// Conversion of 24-bit pixels to indices into the 256-entry halftone palette, for displays
// with 256 colours: each of blue, green and red is ordered-dithered to one of six levels, and
// the 216 level combinations are translated to the palette's own index order.
#include <array>
#include <cstdint>

namespace vistello {

inline constexpr int halftoneLevels = 6;
inline constexpr int halftoneStep = 51;  // 255 / 5: the distance between two levels
inline constexpr int ditherSize = 8;

// Palette index of each level combination, at 36 x blue + 6 x green + red.
extern const std::array<uint8_t, halftoneLevels * halftoneLevels * halftoneLevels> halftoneTranslation;

// Dither value at a pixel: column and row index into the 8 x 8 matrix modulo 8.
[[nodiscard]] uint8_t ditherValue(uint32_t column, uint32_t row);

// Level 0..5 of one colour byte under dither value d: v / 51, plus one where v mod 51 > d.
[[nodiscard]] uint8_t halftoneLevel(uint8_t value, uint8_t dither);

// Palette index of the pixel (blue, green, red) at memory row `row` and column `column`.
[[nodiscard]] uint8_t halftoneIndex(uint8_t blue, uint8_t green, uint8_t red, uint32_t column, uint32_t row);

// Converts width x height bottom-up 24-bit rows (sourceStride bytes apart) into 8-bit rows
// (destinationStride bytes apart). Both strides must hold a whole row of their format; the
// padding bytes of the destination are not written.
void halftoneRows(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                  int32_t width, int32_t height);

}  // namespace vistello
