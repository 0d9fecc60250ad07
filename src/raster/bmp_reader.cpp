#include "raster/bmp_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "common/try_allocate.h"
#include "raster/dib_layout.h"
#include "raster/rle_expander.h"

namespace vistello {
namespace {

constexpr uint16_t bmpSignature = 0x4D42;  // "BM"
constexpr size_t fileHeaderSize = 14;
constexpr size_t offBitsOffset = 10;
constexpr size_t headerSizeField = 4;
constexpr size_t infoColorEntrySize = 4;  // RGBQUAD
constexpr size_t coreColorEntrySize = 3;  // RGBTRIPLE

uint16_t readU16LE(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t readU32LE(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
int32_t readI32LE(const uint8_t* p) { return int32_t(readU32LE(p)); }

[[nodiscard]] bool readExactly(ByteReader& file, uint8_t* out, size_t count) {
    return file.read(out, count) == count;
}

[[nodiscard]] bool readFileHeader(ByteReader& file, uint32_t& offBits) {
    uint8_t bytes[fileHeaderSize];
    if (!readExactly(file, bytes, sizeof bytes) || readU16LE(bytes) != bmpSignature) return false;
    offBits = readU32LE(bytes + offBitsOffset);
    return true;
}

void parseInfoHeader(const uint8_t* p, BitmapInfoHeader& header) {
    header.biSize = readU32LE(p);
    header.biWidth = readI32LE(p + 4);
    header.biHeight = readI32LE(p + 8);
    header.biPlanes = readU16LE(p + 12);
    header.biBitCount = readU16LE(p + 14);
    header.biCompression = readU32LE(p + 16);
    header.biSizeImage = readU32LE(p + 20);
    header.biXPelsPerMeter = readI32LE(p + 24);
    header.biYPelsPerMeter = readI32LE(p + 28);
    header.biClrUsed = readU32LE(p + 32);
    header.biClrImportant = readU32LE(p + 36);
}

// The core header's width and height are unsigned 16-bit: a core-header file is always
// bottom-up and at most 65535 pixels each way.
void parseCoreHeader(const uint8_t* p, BitmapInfoHeader& header) {
    header = {};
    header.biSize = bitmapInfoHeaderSize;
    header.biWidth = readU16LE(p + 4);
    header.biHeight = readU16LE(p + 6);
    header.biPlanes = readU16LE(p + 8);
    header.biBitCount = readU16LE(p + 10);
}

// The header's own size is read first and only that many bytes after it, so a small
// core-header file is not refused for being shorter than an info header.
[[nodiscard]] bool readBitmapHeader(ByteReader& file, BitmapInfoHeader& header, bool& coreHeader) {
    uint8_t bytes[bitmapInfoHeaderSize];
    if (!readExactly(file, bytes, headerSizeField)) return false;
    const uint32_t size = readU32LE(bytes);
    if (size != bitmapInfoHeaderSize && size != bitmapCoreHeaderSize) return false;
    if (!readExactly(file, bytes + headerSizeField, size - headerSizeField)) return false;
    coreHeader = size == bitmapCoreHeaderSize;
    if (coreHeader) {
        parseCoreHeader(bytes, header);
    } else {
        parseInfoHeader(bytes, header);
    }
    return header.biWidth > 0 && header.biHeight > 0;  // top-down files are refused
}

uint32_t colorEntryCount(const BitmapInfoHeader& header) {
    if (header.biClrUsed != 0) return header.biClrUsed;
    switch (header.biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// Reads count entries from the current position (right behind the header). The table has
// room for 256 entries only, so a file that declares more is refused rather than cut short.
[[nodiscard]] bool readColorTable(ByteReader& file, DecodedImage& image, uint32_t count, bool coreHeader) {
    if (count == 0) return true;
    if (count > colorTableSize) return false;
    image.colorTable.fill(RgbQuad{});
    const size_t entrySize = coreHeader ? coreColorEntrySize : infoColorEntrySize;
    uint8_t bytes[colorTableSize * infoColorEntrySize];
    if (!readExactly(file, bytes, count * entrySize)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = bytes + i * entrySize;
        image.colorTable[i] = {entry[0], entry[1], entry[2], coreHeader ? uint8_t(0) : entry[3]};
    }
    return true;
}

// Compressed data from bfOffBits to the end of the file, expanded into an uncompressed section
// at the file's bit count with the file's colour table. The palette is left as it was.
[[nodiscard]] bool readRunLength(ByteReader& file, DecodedImage& image, DibSeam& seam, uint32_t offBits) {
    if (offBits > file.size()) return false;
    const size_t size = file.size() - offBits;
    const auto compressed = tryAllocateZeroed<uint8_t>(size, maxPictureBytes);
    if (!compressed) return false;
    file.seek(offBits);
    if (!readExactly(file, compressed.get(), size)) return false;

    const uint32_t compression = image.bitmapHeader.biCompression;
    image.bitmapHeader.biCompression = biRgb;
    image.bitmapHeader.biClrImportant = 0;
    if (!makeDibSection(image, seam)) return false;
    const RleOutput output{image.pixelBits, size_t(image.bitmapHeader.biHeight) * size_t(image.bitmapStride),
                           size_t(image.bitmapStride)};
    switch (compression) {
    case biRle8: expandRle8(compressed.get(), size, output); return true;
    case biRle4: expandRle4(compressed.get(), size, output); return true;
    default: return false;  // other compressions (JPEG, PNG, ...) are not read
    }
}

// A 24-bit picture for a 256-colour display: the rows go through a buffer into the 8-bit
// halftone form. The buffer starts zeroed, so rows missing from a short file are black.
[[nodiscard]] bool readHalftone(ByteReader& file, DecodedImage& image, DibSeam& seam, uint32_t offBits) {
    image.bitmapHeader.biCompression = biRgb;
    DibLayout layout;
    if (!computeDibLayout(image.bitmapHeader.biWidth, image.bitmapHeader.biHeight, 24, layout)) return false;
    const auto rows = tryAllocateZeroed<uint8_t>(layout.imageSize, maxPictureBytes);
    if (!rows) return false;
    file.seek(offBits);
    // A short file is still shown: what it lacks stays black.
    (void)file.read(rows.get(), layout.imageSize);
    return halftoneConversion(image, seam, rows.get(), layout.stride);
}

// Every other uncompressed picture: its rows are read straight into the section, whole or not
// at all.
[[nodiscard]] bool readPlain(ByteReader& file, DecodedImage& image, DibSeam& seam, uint32_t offBits,
                             uint32_t colorCount) {
    image.bitmapHeader.biCompression = biRgb;
    if (createPaletteFromColorTable(image, seam, colorCount) == 0) return false;
    if (!makeDibSection(image, seam)) return false;
    const size_t size = size_t(image.bitmapHeader.biHeight) * size_t(image.bitmapStride);
    file.seek(offBits);
    return readExactly(file, image.pixelBits, size);
}

}  // namespace

bool readBmp(ByteReader& file, DecodedImage& image, DibSeam& seam) {
    uint32_t offBits = 0;
    bool coreHeader = false;
    if (!readFileHeader(file, offBits)) return false;
    if (!readBitmapHeader(file, image.bitmapHeader, coreHeader)) return false;
    const uint32_t colorCount = colorEntryCount(image.bitmapHeader);
    if (!readColorTable(file, image, colorCount, coreHeader)) return false;

    deleteBitmap(image, seam);
    BitmapInfoHeader& header = image.bitmapHeader;
    header.biSizeImage = 0;
    image.imageInfo[imageInfoWidth] = header.biWidth;
    image.imageInfo[imageInfoHeight] = header.biHeight;
    image.imageInfo[imageInfoReserved] = 0;

    if (header.biCompression != biRgb && header.biCompression != biBitfields) {
        return readRunLength(file, image, seam, offBits);
    }
    if (header.biBitCount == 24 && image.displayDepth == paletteDisplayDepth) {
        return readHalftone(file, image, seam, offBits);
    }
    return readPlain(file, image, seam, offBits, colorCount);
}

}  // namespace vistello
