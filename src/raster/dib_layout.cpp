#include "raster/dib_layout.h"

#include <limits>

namespace vistello {

bool isDibBitCount(uint16_t bitCount) {
    switch (bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
    }
}

bool computeDibLayout(int32_t width, int32_t height, uint16_t bitCount, DibLayout& layout) {
    if (width <= 0 || height <= 0 || bitCount == 0) return false;
    // Rows are padded to whole 32-bit words. width < 2^31 and bitCount < 2^16 keep the
    // product below 2^47, so none of this can overflow 64 bits.
    const uint64_t stride = (uint64_t(width) * bitCount + 31) / 32 * 4;
    if (stride > uint64_t(std::numeric_limits<int32_t>::max())) return false;
    const uint64_t size = stride * uint64_t(height);
    if (size > maxPictureBytes) return false;
    layout.stride = int32_t(stride);
    layout.imageSize = uint32_t(size);
    return true;
}

bool checkDibHeader(const BitmapInfoHeader& header, DibLayout& layout) {
    if (header.biSize != bitmapInfoHeaderSize || header.biPlanes != 1) return false;
    if (!isDibBitCount(header.biBitCount) || header.biCompression != biRgb) return false;
    return computeDibLayout(header.biWidth, header.biHeight, header.biBitCount, layout);
}

}  // namespace vistello
