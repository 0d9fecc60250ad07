#pragma once
// Reads a Windows bitmap file held in memory into the decoded image: the 40-byte info header
// or the 12-byte core header, 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed (bit-field
// files are read as plain ones, their masks unused) or run-length compressed (RLE8, RLE4).
// A 24-bit picture on a 256-colour display becomes the 8-bit halftone form. No messages.
#include "common/byte_reader.h"
#include "raster/decoded_image.h"
#include "raster/dib_seam.h"

namespace vistello {

// True when a DIB section holding the picture exists. After a failure the image may hold the
// failed file's header and, when the failure came after it was made, a DIB section.
[[nodiscard]] bool readBmp(ByteReader& file, DecodedImage& image, DibSeam& seam);

}  // namespace vistello
