#include "raster/bmp_writer.h"

#include <cstring>

#include <new>

#include "raster/dib_layout.h"

namespace vistello {
namespace {

constexpr uint8_t bmpType[2] = {'B', 'M'};

uint32_t colorCountFor(uint16_t bitCount) {
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

void putU16LE(uint8_t* p, uint16_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

void putU32LE(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(value >> (8 * i));
}

void putInfoHeader(uint8_t* p, const BitmapInfoHeader& header) {
    putU32LE(p, header.biSize);
    putU32LE(p + 4, uint32_t(header.biWidth));
    putU32LE(p + 8, uint32_t(header.biHeight));
    putU16LE(p + 12, header.biPlanes);
    putU16LE(p + 14, header.biBitCount);
    putU32LE(p + 16, header.biCompression);
    putU32LE(p + 20, header.biSizeImage);
    putU32LE(p + 24, uint32_t(header.biXPelsPerMeter));
    putU32LE(p + 28, uint32_t(header.biYPelsPerMeter));
    putU32LE(p + 32, header.biClrUsed);
    putU32LE(p + 36, header.biClrImportant);
}

}  // namespace

bool planBmpFile(const DecodedImage& image, BmpFileLayout& layout) {
    if (!image.pixelBits) return false;
    BitmapInfoHeader header = image.bitmapHeader;
    header.biWidth = image.imageInfo[imageInfoWidth];
    header.biHeight = image.imageInfo[imageInfoHeight];
    // The stride is that of a section of the picture's real size, as the system would make it.
    DibLayout real;
    if (!checkDibHeader(header, real)) return false;
    // The written rows must lie inside the section: a real size larger than the section's
    // would read past its pixels.
    const int32_t sectionRows = image.bitmapHeader.biHeight;
    if (real.stride > image.bitmapStride || header.biHeight > sectionRows) return false;

    header.biSizeImage = real.imageSize;
    layout.header = header;
    layout.colorCount = colorCountFor(header.biBitCount);
    layout.stride = real.stride;
    layout.offBits = bmpHeadersSize + 4 * layout.colorCount;
    layout.fileSize = layout.offBits + real.imageSize;
    layout.skippedRows = sectionRows - header.biHeight;
    return true;
}

bool writeBmpHeaders(const DecodedImage& image, const BmpFileLayout& layout, std::span<uint8_t> out) {
    if (out.size() < layout.offBits) return false;
    uint8_t* p = out.data();
    std::memcpy(p, bmpType, sizeof bmpType);
    putU32LE(p + 2, layout.fileSize);
    putU32LE(p + 6, 0);  // two reserved words
    putU32LE(p + 10, layout.offBits);
    putInfoHeader(p + bmpFileHeaderSize, layout.header);
    uint8_t* table = p + bmpHeadersSize;
    for (uint32_t i = 0; i < layout.colorCount; ++i, table += 4) {
        const RgbQuad& colour = image.colorTable[i];
        table[0] = colour.rgbBlue;
        table[1] = colour.rgbGreen;
        table[2] = colour.rgbRed;
        table[3] = 0;
    }
    return true;
}

const uint8_t* bmpSourceRow(const DecodedImage& image, const BmpFileLayout& layout, int32_t row) {
    return image.pixelBits + ptrdiff_t(layout.skippedRows + row) * image.bitmapStride;
}

namespace {

// The headers and the rows into out, which holds exactly layout.fileSize bytes.
bool writeBmpFile(const DecodedImage& image, const BmpFileLayout& layout, std::span<uint8_t> out) {
    if (!writeBmpHeaders(image, layout, out)) return false;
    uint8_t* row = out.data() + layout.offBits;
    for (int32_t y = 0; y < layout.header.biHeight; ++y, row += layout.stride) {
        std::memcpy(row, bmpSourceRow(image, layout, y), size_t(layout.stride));
    }
    return true;
}

}  // namespace

bool encodeBmpFile(const DecodedImage& image, ByteBuffer& file) {
    BmpFileLayout layout;
    if (!planBmpFile(image, layout) || !file.allocate(layout.fileSize)) return false;
    return writeBmpFile(image, layout, file.writable());
}

}  // namespace vistello
