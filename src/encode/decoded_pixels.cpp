#include "encode/decoded_pixels.h"

namespace vistello {
namespace {

uint8_t widenFiveBits(uint32_t value) { return uint8_t(value << 3 | value >> 2); }

void expandRow(const DecodedImage& image, const uint8_t* in, uint8_t* out, int32_t width) {
    const auto fromTable = [&](uint32_t index, uint8_t* pixel) {
        const RgbQuad& colour = image.colorTable[index];
        pixel[0] = colour.rgbBlue;
        pixel[1] = colour.rgbGreen;
        pixel[2] = colour.rgbRed;
    };
    for (int32_t x = 0; x < width; ++x, out += bgrBytesPerPixel) {
        switch (image.bitmapHeader.biBitCount) {
        case 1: fromTable(uint32_t(in[x / 8] >> (7 - x % 8)) & 1u, out); break;
        case 4: fromTable(uint32_t(x % 2 == 0 ? in[x / 2] >> 4 : in[x / 2] & 0x0F), out); break;
        case 8: fromTable(in[x], out); break;
        case 16: {
            const uint32_t word = uint32_t(in[2 * x]) | uint32_t(in[2 * x + 1]) << 8;
            out[0] = widenFiveBits(word & 31);
            out[1] = widenFiveBits(word >> 5 & 31);
            out[2] = widenFiveBits(word >> 10 & 31);
            break;
        }
        case 32:
            out[0] = in[4 * x];
            out[1] = in[4 * x + 1];
            out[2] = in[4 * x + 2];
            break;
        default: break;
        }
    }
}

}  // namespace

bool viewDecodedPixels(const DecodedImage& image, BgrImage& expanded, BgrView& view) {
    const BitmapInfoHeader& header = image.bitmapHeader;
    const int32_t width = image.imageInfo[imageInfoWidth];
    const int32_t height = image.imageInfo[imageInfoHeight];
    if (image.pixelBits == nullptr || width <= 0 || height <= 0 || width > header.biWidth ||
        height > header.biHeight) {
        return false;
    }
    // Rows are bottom-up: the picture's top row is the section's last row, and the padding
    // rows of a JPEG picture come first in memory.
    const uint8_t* topRow = image.pixelBits + ptrdiff_t(header.biHeight - 1) * image.bitmapStride;
    const ptrdiff_t stride = -ptrdiff_t(image.bitmapStride);
    switch (header.biBitCount) {
    case 24:
        view = {topRow, stride, width, height};
        return true;
    case 1:
    case 4:
    case 8:
    case 16:
    case 32:
        break;
    default:
        return false;
    }
    expanded = BgrImage(width, height);
    for (int32_t y = 0; y < height; ++y) expandRow(image, topRow + ptrdiff_t(y) * stride, expanded.row(y), width);
    view = expanded.view();
    return true;
}

}  // namespace vistello
