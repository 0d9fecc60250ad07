#pragma once
// The Windows side of the DIB seam: GDI objects made on the picture window's client DC.
#include <windows.h>

#include "raster/dib_seam.h"

namespace vistello {

class GdiDibSeam final : public DibSeam {
public:
    // The window whose client DC the sections and the halftone palette are made for; before
    // it is set, the screen's DC serves.
    void setWindow(HWND window) { window_ = window; }

    [[nodiscard]] bool createDibSection(const BitmapInfoHeader& header,
                                        std::span<const RgbQuad, colorTableSize> colorTable,
                                        DibSection& section) override;
    void deleteBitmap(BitmapHandle bitmap) override;
    [[nodiscard]] PaletteHandle createPalette(const LogPalette256& palette) override;
    [[nodiscard]] PaletteHandle createHalftonePalette() override;
    [[nodiscard]] uint32_t readPaletteEntries(PaletteHandle palette,
                                              std::span<PaletteEntry, colorTableSize> entries) override;
    void deletePalette(PaletteHandle palette) override;

private:
    HWND window_ = nullptr;
};

inline HBITMAP toHbitmap(BitmapHandle bitmap) { return static_cast<HBITMAP>(bitmap.value); }
inline HPALETTE toHpalette(PaletteHandle palette) { return static_cast<HPALETTE>(palette.value); }

}  // namespace vistello
