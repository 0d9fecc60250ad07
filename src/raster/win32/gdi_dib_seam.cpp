#include "raster/win32/gdi_dib_seam.h"

#include <cstddef>
#include <cstring>

#include "framework/gdi.h"
#include "framework/handles.h"

namespace vistello {

// The core's mirrors are handed to GDI as they are: their layouts must be GDI's.
static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(BitmapInfoHeader, biWidth) == offsetof(BITMAPINFOHEADER, biWidth));
static_assert(offsetof(BitmapInfoHeader, biBitCount) == offsetof(BITMAPINFOHEADER, biBitCount));
static_assert(offsetof(BitmapInfoHeader, biClrImportant) == offsetof(BITMAPINFOHEADER, biClrImportant));
static_assert(sizeof(RgbQuad) == sizeof(RGBQUAD));
static_assert(offsetof(RgbQuad, rgbRed) == offsetof(RGBQUAD, rgbRed));
static_assert(sizeof(PaletteEntry) == sizeof(PALETTEENTRY));
static_assert(offsetof(PaletteEntry, peBlue) == offsetof(PALETTEENTRY, peBlue));
static_assert(offsetof(LogPalette256, palPalEntry) == offsetof(LOGPALETTE, palPalEntry));

namespace {

// BITMAPINFO with room for 256 colours.
struct BitmapInfo256 {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[colorTableSize];
};

}  // namespace

bool GdiDibSeam::createDibSection(const BitmapInfoHeader& header,
                                  std::span<const RgbQuad, colorTableSize> colorTable, DibSection& section) {
    BitmapInfo256 info{};
    static_assert(sizeof info.bmiHeader == sizeof header && sizeof info.bmiColors == colorTableSize * sizeof(RgbQuad));
    std::memcpy(&info.bmiHeader, &header, sizeof header);
    std::memcpy(info.bmiColors, colorTable.data(), sizeof info.bmiColors);
    WindowDC dc(window_);
    void* bits = nullptr;
    UniqueGdiObject<HBITMAP> bitmap(
        CreateDIBSection(dc.get(), reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return false;
    BITMAP description{};
    if (GetObjectA(bitmap.get(), sizeof description, &description) != sizeof description) return false;
    section.handle = BitmapHandle{bitmap.release()};
    section.bits = static_cast<uint8_t*>(bits);
    section.stride = description.bmWidthBytes;
    return true;
}

// The owner deletes the object as it goes; a null handle owns nothing.
void GdiDibSeam::deleteBitmap(BitmapHandle bitmap) { UniqueGdiObject<HBITMAP> owner(toHbitmap(bitmap)); }

PaletteHandle GdiDibSeam::createPalette(const LogPalette256& palette) {
    return PaletteHandle{CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette))};
}

PaletteHandle GdiDibSeam::createHalftonePalette() {
    WindowDC dc(window_);
    MemoryDC memoryDc(dc.get());
    if (!memoryDc.get()) return {};
    return PaletteHandle{CreateHalftonePalette(memoryDc.get())};
}

uint32_t GdiDibSeam::readPaletteEntries(PaletteHandle palette, std::span<PaletteEntry, colorTableSize> entries) {
    return GetPaletteEntries(toHpalette(palette), 0, colorTableSize, reinterpret_cast<PALETTEENTRY*>(entries.data()));
}

void GdiDibSeam::deletePalette(PaletteHandle palette) { UniqueGdiObject<HPALETTE> owner(toHpalette(palette)); }

}  // namespace vistello
