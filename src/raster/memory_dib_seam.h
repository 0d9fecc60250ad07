#pragma once
// The native DIB seam: sections are zero-filled memory, palettes are plain entry lists. It
// applies the same header checks as the Windows build, counts the live objects and records
// every create and delete in order, so tests can see leaks and the order of replacement.
// Failures of the system can be simulated.
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "common/try_allocate.h"
#include "raster/dib_layout.h"
#include "raster/dib_seam.h"

namespace vistello {

class MemoryDibSeam final : public DibSeam {
public:
    struct Bitmap {
        BitmapInfoHeader header{};
        std::array<RgbQuad, colorTableSize> colorTable{};
        DibLayout layout;
        ZeroedArray<uint8_t> bits;
    };
    struct Palette {
        std::vector<PaletteEntry> entries;
        bool halftone = false;
    };
    enum class Event : uint8_t { createBitmap, deleteBitmap, createPalette, createHalftonePalette, deletePalette };

    // The fixed table this seam gives as its halftone palette: each colour of the 6 x 6 x 6
    // cube sits at the index the halftone translation gives it, the unused entries hold grey.
    static const std::array<PaletteEntry, colorTableSize>& halftoneEntries();

    [[nodiscard]] bool createDibSection(const BitmapInfoHeader& header,
                                        std::span<const RgbQuad, colorTableSize> colorTable,
                                        DibSection& section) override;
    void deleteBitmap(BitmapHandle bitmap) override;
    [[nodiscard]] PaletteHandle createPalette(const LogPalette256& palette) override;
    [[nodiscard]] PaletteHandle createHalftonePalette() override;
    [[nodiscard]] uint32_t readPaletteEntries(PaletteHandle palette,
                                              std::span<PaletteEntry, colorTableSize> entries) override;
    void deletePalette(PaletteHandle palette) override;

    // Observation.
    size_t liveBitmaps() const { return bitmaps_.size(); }
    size_t livePalettes() const { return palettes_.size(); }
    size_t unknownDeletes() const { return unknownDeletes_; }
    const std::vector<Event>& events() const { return events_; }
    const Bitmap* findBitmap(BitmapHandle bitmap) const;
    const Palette* findPalette(PaletteHandle palette) const;

    // Simulated refusals of the system.
    uint64_t sectionByteLimit = maxPictureBytes;  // larger sections fail like a refused allocation
    int sectionsBeforeFailure = -1;               // sections still granted before all fail; -1 never
    bool refusePalettes = false;
    bool refuseHalftonePalette = false;

private:
    void record(Event event);
    // A new palette with the entries, recorded as event; a null handle when memory runs out.
    PaletteHandle addPalette(std::span<const PaletteEntry> entries, bool halftone, Event event);

    std::map<const void*, std::unique_ptr<Bitmap>> bitmaps_;
    std::map<const void*, std::unique_ptr<Palette>> palettes_;
    std::vector<Event> events_;
    size_t unknownDeletes_ = 0;
};

}  // namespace vistello
