#pragma once
// The one narrow interface through which the core creates and deletes the GDI objects of the
// decoded image. On Windows it is GDI (CreateDIBSection on the window's client DC,
// CreatePalette, CreateHalftonePalette on a compatible memory DC, DeleteObject); natively it is
// plain memory (MemoryDibSeam). Handles are opaque to the core.
#include <cstdint>
#include <span>

#include "raster/dib.h"

namespace vistello {

struct BitmapHandle {  // an HBITMAP
    void* value = nullptr;
    explicit operator bool() const { return value != nullptr; }
    friend bool operator==(BitmapHandle, BitmapHandle) = default;
};

struct PaletteHandle {  // an HPALETTE
    void* value = nullptr;
    explicit operator bool() const { return value != nullptr; }
    friend bool operator==(PaletteHandle, PaletteHandle) = default;
};

struct DibSection {
    BitmapHandle handle;
    uint8_t* bits = nullptr;  // pixel memory, owned by the section
    int32_t stride = 0;       // bmWidthBytes: bytes per row, a multiple of 4
};

class DibSeam {
public:
    virtual ~DibSeam() = default;
    // CreateDIBSection with DIB_RGB_COLORS and no file mapping. The pixel memory of a new
    // section is zero. False, with section untouched, when the system refuses.
    [[nodiscard]] virtual bool createDibSection(const BitmapInfoHeader& header,
                                                std::span<const RgbQuad, colorTableSize> colorTable,
                                                DibSection& section) = 0;
    virtual void deleteBitmap(BitmapHandle bitmap) = 0;
    // CreatePalette; a null handle on failure.
    [[nodiscard]] virtual PaletteHandle createPalette(const LogPalette256& palette) = 0;
    // CreateHalftonePalette for a memory DC compatible with the window's client DC (the DC is
    // released inside); a null handle on failure.
    [[nodiscard]] virtual PaletteHandle createHalftonePalette() = 0;
    // GetPaletteEntries(palette, 0, 256); returns the number of entries read.
    [[nodiscard]] virtual uint32_t readPaletteEntries(PaletteHandle palette,
                                                      std::span<PaletteEntry, colorTableSize> entries) = 0;
    virtual void deletePalette(PaletteHandle palette) = 0;
};

}  // namespace vistello
