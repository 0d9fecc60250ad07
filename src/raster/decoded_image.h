#pragma once
// The decoded image: the one raster the picture window shows, zooms, exports and turns into
// wallpaper. Both decoders fill the same record; it becomes a member of the picture window,
// which owns every object in it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "raster/dib.h"
#include "raster/dib_seam.h"

namespace vistello {

// Entries of the image info.
inline constexpr size_t imageInfoHeight = 1;      // real height in pixels
inline constexpr size_t imageInfoWidth = 2;       // real width in pixels
inline constexpr size_t imageInfoComponents = 3;  // JPEG: frame component count in the low byte
inline constexpr size_t imageInfoReserved = 4;    // 0 after every load
inline constexpr size_t imageInfoSize = 5;

inline constexpr int32_t paletteDisplayDepth = 8;  // the display depth that selects the halftone form

struct DecodedImage {
    BitmapInfoHeader bitmapHeader{};                 // header of the current DIB section
    std::array<RgbQuad, colorTableSize> colorTable{};
    std::array<int32_t, imageInfoSize> imageInfo{};
    PaletteHandle palette;
    int32_t palettePresent = 0;                      // 1 while palette must be deleted by us
    std::unique_ptr<LogPalette256> paletteBuffer;    // scratch for building a palette
    int32_t displayDepth = 0;                        // bits per pixel of the screen
    uint8_t* pixelBits = nullptr;                    // owned by the DIB section
    BitmapHandle bitmapHandle;
    int32_t bitmapStride = 0;                        // bmWidthBytes of the current section
};

// Allocates the palette buffer (done once when the window initialises).
[[nodiscard]] bool allocatePaletteBuffer(DecodedImage& image);

// Builds and installs a logical palette from the first count colour-table entries; a count of
// 0 only drops the old palette. Nonzero on success.
[[nodiscard]] int createPaletteFromColorTable(DecodedImage& image, DibSeam& seam, uint32_t count);

// Deletes the current DIB section, if any, and clears the fields that refer to it.
void deleteBitmap(DecodedImage& image, DibSeam& seam);

// Makes a DIB section from the bitmap header and colour table and installs it. Any previous
// section is deleted first. False (no section) when the header is not one a section can be
// made from or the system refuses.
[[nodiscard]] bool makeDibSection(DecodedImage& image, DibSeam& seam);

// Turns biWidth x biHeight bottom-up 24-bit rows into a new 8-bit section of halftone-palette
// indices: installs the halftone palette and its 256 entries as the colour table, sets
// biBitCount to 8 and makes the section. The source is either the current 24-bit section
// (deleted once converted) or a buffer of the caller's. On failure the current section is
// left installed and its header unchanged.
[[nodiscard]] bool halftoneConversion(DecodedImage& image, DibSeam& seam, const uint8_t* sourceRows,
                                      int32_t sourceStride);

// Window destruction: deletes the section and our palette and frees the palette buffer.
void releaseDecodedImage(DecodedImage& image, DibSeam& seam);

}  // namespace vistello
