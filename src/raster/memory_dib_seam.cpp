#include "raster/memory_dib_seam.h"

#include <algorithm>
#include <new>

#include "raster/halftone.h"

namespace vistello {
namespace {

std::array<PaletteEntry, colorTableSize> makeHalftoneEntries() {
    std::array<PaletteEntry, colorTableSize> entries{};
    for (int i = 0; i < colorTableSize; ++i) {
        const uint8_t grey = uint8_t(i);
        entries[size_t(i)] = {grey, grey, grey, 0};
    }
    for (int blue = 0; blue < halftoneLevels; ++blue) {
        for (int green = 0; green < halftoneLevels; ++green) {
            for (int red = 0; red < halftoneLevels; ++red) {
                const size_t index = halftoneTranslation[size_t(36 * blue + 6 * green + red)];
                entries[index] = {uint8_t(red * halftoneStep), uint8_t(green * halftoneStep),
                                  uint8_t(blue * halftoneStep), 0};
            }
        }
    }
    return entries;
}

}  // namespace

const std::array<PaletteEntry, colorTableSize>& MemoryDibSeam::halftoneEntries() {
    static const std::array<PaletteEntry, colorTableSize> entries = makeHalftoneEntries();
    return entries;
}

void MemoryDibSeam::record(Event event) {
    // The log only serves observation; losing an entry to a full heap changes no result.
    try {
        events_.push_back(event);
    } catch (const std::bad_alloc&) {
    }
}

bool MemoryDibSeam::createDibSection(const BitmapInfoHeader& header,
                                     std::span<const RgbQuad, colorTableSize> colorTable, DibSection& section) {
    DibLayout layout;
    if (!checkDibHeader(header, layout)) return false;
    if (layout.imageSize > sectionByteLimit) return false;
    if (sectionsBeforeFailure == 0) return false;
    auto bitmap = std::unique_ptr<Bitmap>(new (std::nothrow) Bitmap);
    if (!bitmap) return false;
    bitmap->bits = tryAllocateZeroed<uint8_t>(layout.imageSize, maxPictureBytes);
    if (!bitmap->bits) return false;
    bitmap->header = header;
    std::copy(colorTable.begin(), colorTable.end(), bitmap->colorTable.begin());
    bitmap->layout = layout;
    const void* key = bitmap.get();
    try {
        bitmaps_.emplace(key, std::move(bitmap));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (sectionsBeforeFailure > 0) --sectionsBeforeFailure;
    record(Event::createBitmap);
    Bitmap& made = *bitmaps_.at(key);
    section.handle = BitmapHandle{&made};
    section.bits = made.bits.get();
    section.stride = layout.stride;
    return true;
}

void MemoryDibSeam::deleteBitmap(BitmapHandle bitmap) {
    if (bitmaps_.erase(bitmap.value) == 0) {
        ++unknownDeletes_;
        return;
    }
    record(Event::deleteBitmap);
}

PaletteHandle MemoryDibSeam::addPalette(std::span<const PaletteEntry> entries, bool halftone, Event event) {
    try {
        auto made = std::make_unique<Palette>();
        made->entries.assign(entries.begin(), entries.end());
        made->halftone = halftone;
        const void* key = made.get();
        palettes_.emplace(key, std::move(made));
        record(event);
        return PaletteHandle{const_cast<void*>(key)};
    } catch (const std::bad_alloc&) {
        return {};
    }
}

PaletteHandle MemoryDibSeam::createPalette(const LogPalette256& palette) {
    // CreatePalette refuses an empty palette and one that claims more entries than it holds.
    if (refusePalettes || palette.palNumEntries == 0 || palette.palNumEntries > colorTableSize) return {};
    return addPalette({palette.palPalEntry, palette.palNumEntries}, false, Event::createPalette);
}

PaletteHandle MemoryDibSeam::createHalftonePalette() {
    if (refuseHalftonePalette) return {};
    return addPalette(halftoneEntries(), true, Event::createHalftonePalette);
}

uint32_t MemoryDibSeam::readPaletteEntries(PaletteHandle palette, std::span<PaletteEntry, colorTableSize> entries) {
    const Palette* found = findPalette(palette);
    if (!found) return 0;
    const size_t count = std::min(found->entries.size(), entries.size());
    std::copy_n(found->entries.begin(), count, entries.begin());
    return uint32_t(count);
}

void MemoryDibSeam::deletePalette(PaletteHandle palette) {
    if (palettes_.erase(palette.value) == 0) {
        ++unknownDeletes_;
        return;
    }
    record(Event::deletePalette);
}

const MemoryDibSeam::Bitmap* MemoryDibSeam::findBitmap(BitmapHandle bitmap) const {
    const auto found = bitmaps_.find(bitmap.value);
    return found == bitmaps_.end() ? nullptr : found->second.get();
}

const MemoryDibSeam::Palette* MemoryDibSeam::findPalette(PaletteHandle palette) const {
    const auto found = palettes_.find(palette.value);
    return found == palettes_.end() ? nullptr : found->second.get();
}

}  // namespace vistello
