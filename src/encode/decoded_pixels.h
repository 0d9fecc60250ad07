#pragma once
// The decoded image's pixels as the window shows them: the real picture area (a JPEG
// picture's MCU padding left out), upright, as blue, green, red bytes.
#include "encode/bgr_image.h"
#include "raster/decoded_image.h"

namespace vistello {

// A 24-bit section is viewed in place; 1, 4 and 8 bits per pixel are looked up in the colour
// table, 16 bits read as 5-5-5 (each 5-bit value widened by repeating its top bits) and 32 bits
// as blue, green, red and an unused byte, into `expanded`, which the view then borrows. False
// when the image holds no section or a bit count the window cannot show.
[[nodiscard]] bool viewDecodedPixels(const DecodedImage& image, BgrImage& expanded, BgrView& view);

}  // namespace vistello
