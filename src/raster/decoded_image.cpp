#include "raster/decoded_image.h"

#include <new>

#include "raster/dib_layout.h"
#include "raster/halftone.h"

namespace vistello {
namespace {

void deletePalette(DecodedImage& image, DibSeam& seam) {
    if (image.palettePresent == 1) seam.deletePalette(image.palette);
    image.palette = {};
    image.palettePresent = 0;
}

// Validates the header the way CreateDIBSection would, so the Windows and the native seam
// refuse the same headers, then asks the seam.
[[nodiscard]] bool createSection(const DecodedImage& image, DibSeam& seam, DibSection& section) {
    DibLayout layout;
    if (!checkDibHeader(image.bitmapHeader, layout)) return false;
    if (!seam.createDibSection(image.bitmapHeader, image.colorTable, section)) return false;
    // A section must be at least as large as the header asks for, or every writer would go
    // past its end.
    return section.bits != nullptr && section.stride >= layout.stride;
}

void install(DecodedImage& image, const DibSection& section) {
    image.bitmapHandle = section.handle;
    image.pixelBits = section.bits;
    image.bitmapStride = section.stride;
}

}  // namespace

bool allocatePaletteBuffer(DecodedImage& image) {
    image.paletteBuffer.reset(new (std::nothrow) LogPalette256{});
    if (!image.paletteBuffer) return false;
    image.paletteBuffer->palVersion = logPaletteVersion;
    return true;
}

int createPaletteFromColorTable(DecodedImage& image, DibSeam& seam, uint32_t count) {
    deletePalette(image, seam);
    if (count == 0) return 1;
    if (count > colorTableSize || !image.paletteBuffer) return 0;
    LogPalette256& buffer = *image.paletteBuffer;
    buffer.palNumEntries = uint16_t(count);
    for (uint32_t i = 0; i < count; ++i) {
        const RgbQuad& colour = image.colorTable[i];
        buffer.palPalEntry[i] = {colour.rgbRed, colour.rgbGreen, colour.rgbBlue, 0};
    }
    image.palette = seam.createPalette(buffer);
    image.palettePresent = image.palette ? 1 : 0;
    return image.palettePresent;
}

void deleteBitmap(DecodedImage& image, DibSeam& seam) {
    if (image.bitmapHandle) seam.deleteBitmap(image.bitmapHandle);
    image.bitmapHandle = {};
    image.pixelBits = nullptr;
    image.bitmapStride = 0;
}

bool makeDibSection(DecodedImage& image, DibSeam& seam) {
    deleteBitmap(image, seam);
    DibSection section;
    if (!createSection(image, seam, section)) return false;
    install(image, section);
    return true;
}

bool halftoneConversion(DecodedImage& image, DibSeam& seam, const uint8_t* sourceRows, int32_t sourceStride) {
    deletePalette(image, seam);
    image.palette = seam.createHalftonePalette();
    image.palettePresent = image.palette ? 1 : 0;
    if (!image.palette) return false;

    std::array<PaletteEntry, colorTableSize> entries{};
    // A short read leaves the remaining entries black, which is still a valid table.
    (void)seam.readPaletteEntries(image.palette, entries);
    for (size_t i = 0; i < entries.size(); ++i) {
        image.colorTable[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    }

    const int32_t width = image.bitmapHeader.biWidth;
    const int32_t height = image.bitmapHeader.biHeight;
    DibLayout sourceLayout;
    if (sourceRows == nullptr || !computeDibLayout(width, height, 24, sourceLayout) ||
        sourceStride < sourceLayout.stride) {
        return false;
    }
    const uint16_t sourceBitCount = image.bitmapHeader.biBitCount;
    image.bitmapHeader.biBitCount = 8;
    // The 24-bit section, when it is the source, stays alive until the 8-bit one is written.
    DibSection section;
    if (!createSection(image, seam, section)) {
        image.bitmapHeader.biBitCount = sourceBitCount;
        return false;
    }
    halftoneRows(sourceRows, sourceStride, section.bits, section.stride, width, height);
    deleteBitmap(image, seam);
    install(image, section);
    return true;
}

void releaseDecodedImage(DecodedImage& image, DibSeam& seam) {
    deleteBitmap(image, seam);
    deletePalette(image, seam);
    image.paletteBuffer.reset();
}

}  // namespace vistello
