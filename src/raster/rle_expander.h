#pragma once
// Expanders for the run-length compressions of BMP files (BI_RLE8, BI_RLE4) into the
// uncompressed rows of a DIB section. Output starts at the first row in memory (the bottom
// row of the picture). They stop at the end-of-bitmap escape, when the compressed data is
// used up, or when the pixel memory is full; every write checks the room left first, so
// nothing past the pixel memory is ever written. Pixels no command reaches keep their value.
#include <cstddef>
#include <cstdint>

namespace vistello {

struct RleOutput {
    uint8_t* pixels;
    size_t size;    // bytes of pixel memory
    size_t stride;  // bytes from one row to the next
};

void expandRle8(const uint8_t* data, size_t size, const RleOutput& output);
void expandRle4(const uint8_t* data, size_t size, const RleOutput& output);

}  // namespace vistello
