#pragma once
// Plain mirrors of the Win32 bitmap and palette structures the core fills. Field names, widths
// and order are exactly those of BITMAPINFOHEADER, RGBQUAD, PALETTEENTRY and LOGPALETTE so that
// the Windows side can hand them to GDI after checking sizeof and offsetof with static_assert.
#include <cstdint>

namespace vistello {

struct BitmapInfoHeader {  // BITMAPINFOHEADER, 40 bytes
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // positive: rows bottom-up
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

struct RgbQuad {  // RGBQUAD
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct PaletteEntry {  // PALETTEENTRY
    uint8_t peRed;
    uint8_t peGreen;
    uint8_t peBlue;
    uint8_t peFlags;
};

inline constexpr int colorTableSize = 256;

struct LogPalette256 {  // LOGPALETTE with room for 256 entries (1032 bytes)
    uint16_t palVersion;
    uint16_t palNumEntries;
    PaletteEntry palPalEntry[colorTableSize];
};

inline constexpr uint32_t bitmapInfoHeaderSize = 40;
inline constexpr uint32_t bitmapCoreHeaderSize = 12;
inline constexpr uint16_t logPaletteVersion = 0x300;

// biCompression values.
inline constexpr uint32_t biRgb = 0;
inline constexpr uint32_t biRle8 = 1;
inline constexpr uint32_t biRle4 = 2;
inline constexpr uint32_t biBitfields = 3;

static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(sizeof(RgbQuad) == 4);
static_assert(sizeof(PaletteEntry) == 4);
static_assert(sizeof(LogPalette256) == 4 + 4 * colorTableSize);

}  // namespace vistello
