#include "raster/decoded_image.h"

#include <gtest/gtest.h>

#include <cstring>

#include "raster/halftone.h"
#include "raster/memory_dib_seam.h"

namespace vistello {
namespace {

using Event = MemoryDibSeam::Event;

DecodedImage imageWithBuffer() {
    DecodedImage image;
    EXPECT_TRUE(allocatePaletteBuffer(image));
    return image;
}

BitmapInfoHeader header(int32_t width, int32_t height, uint16_t bitCount) {
    BitmapInfoHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    return h;
}

TEST(PaletteFromColorTable, CopiesTheFirstEntriesAsRedGreenBlueWithoutFlags) {
    MemoryDibSeam seam;
    DecodedImage image = imageWithBuffer();
    for (int i = 0; i < 256; ++i) image.colorTable[size_t(i)] = {uint8_t(i), uint8_t(i + 1), uint8_t(i + 2), 0x77};
    ASSERT_NE(createPaletteFromColorTable(image, seam, 20), 0);
    EXPECT_EQ(image.palettePresent, 1);
    EXPECT_EQ(image.paletteBuffer->palVersion, 0x300);
    const MemoryDibSeam::Palette* palette = seam.findPalette(image.palette);
    ASSERT_NE(palette, nullptr);
    ASSERT_EQ(palette->entries.size(), 20u);
    for (size_t i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(palette->entries[i].peRed, uint8_t(i + 2));
        EXPECT_EQ(palette->entries[i].peGreen, uint8_t(i + 1));
        EXPECT_EQ(palette->entries[i].peBlue, uint8_t(i));
        EXPECT_EQ(palette->entries[i].peFlags, 0);
    }
}

TEST(PaletteFromColorTable, ReplacesTheOldPaletteAndCountZeroOnlyDropsIt) {
    MemoryDibSeam seam;
    DecodedImage image = imageWithBuffer();
    ASSERT_NE(createPaletteFromColorTable(image, seam, 2), 0);
    ASSERT_NE(createPaletteFromColorTable(image, seam, 16), 0);
    EXPECT_EQ(seam.livePalettes(), 1u);
    EXPECT_EQ(seam.events(), (std::vector<Event>{Event::createPalette, Event::deletePalette, Event::createPalette}));

    EXPECT_NE(createPaletteFromColorTable(image, seam, 0), 0);
    EXPECT_EQ(image.palettePresent, 0);
    EXPECT_EQ(seam.livePalettes(), 0u);
}

TEST(PaletteFromColorTable, RefusedPaletteClearsThePresentFlag) {
    MemoryDibSeam seam;
    DecodedImage image = imageWithBuffer();
    seam.refusePalettes = true;
    EXPECT_EQ(createPaletteFromColorTable(image, seam, 16), 0);
    EXPECT_EQ(image.palettePresent, 0);
    DecodedImage withoutBuffer;
    EXPECT_EQ(createPaletteFromColorTable(withoutBuffer, seam, 16), 0);
}

TEST(MakeDibSection, RefusesHeadersNoSectionCanBeMadeFrom) {
    const struct { const char* name; BitmapInfoHeader header; } cases[] = {
        {"zero width", header(0, 4, 24)},
        {"negative height", header(4, -4, 24)},
        {"two planes", [] { auto h = header(4, 4, 24); h.biPlanes = 2; return h; }()},
        {"bit count 2", header(4, 4, 2)},
        {"bit count 0", header(4, 4, 0)},
        {"bit count 64", header(4, 4, 64)},
        {"compressed", [] { auto h = header(4, 4, 8); h.biCompression = 1; return h; }()},
        {"stride beyond 32 bits", header(0x7FFFFFFF, 1, 32)},
        {"above the size limit", header(20000, 20000, 24)},
        {"image size beyond 32 bits", header(65536, 65536, 32)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryDibSeam seam;
        DecodedImage image;
        image.bitmapHeader = c.header;
        EXPECT_FALSE(makeDibSection(image, seam));
        EXPECT_FALSE(image.bitmapHandle);
        EXPECT_EQ(image.pixelBits, nullptr);
        EXPECT_EQ(seam.liveBitmaps(), 0u);
    }
}

TEST(MakeDibSection, DeletesTheOldSectionBeforeMakingTheNewOne) {
    MemoryDibSeam seam;
    DecodedImage image;
    image.bitmapHeader = header(17, 9, 24);
    ASSERT_TRUE(makeDibSection(image, seam));
    EXPECT_EQ(image.bitmapStride, 52);
    image.bitmapHeader = header(5, 3, 8);
    ASSERT_TRUE(makeDibSection(image, seam));
    EXPECT_EQ(image.bitmapStride, 8);
    EXPECT_EQ(seam.liveBitmaps(), 1u);
    EXPECT_EQ(seam.events(), (std::vector<Event>{Event::createBitmap, Event::deleteBitmap, Event::createBitmap}));
    const auto* bitmap = seam.findBitmap(image.bitmapHandle);
    ASSERT_NE(bitmap, nullptr);
    for (size_t i = 0; i < 24; ++i) EXPECT_EQ(image.pixelBits[i], 0) << "new sections are black";

    seam.sectionByteLimit = 8;  // the allocator refuses now
    EXPECT_FALSE(makeDibSection(image, seam));
    EXPECT_EQ(seam.liveBitmaps(), 0u);
    EXPECT_FALSE(image.bitmapHandle);
}

// A 24-bit section as the JPEG path leaves it, filled with a known pattern.
void makeSource(DecodedImage& image, MemoryDibSeam& seam, int32_t width, int32_t height) {
    image.bitmapHeader = header(width, height, 24);
    ASSERT_TRUE(makeDibSection(image, seam));
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width * 3; ++c) {
            image.pixelBits[r * image.bitmapStride + c] = uint8_t(c * 13 + r * 29);
        }
    }
}

TEST(HalftoneConversion, ReplacesThe24BitSectionWithDitheredIndicesAndTheHalftoneTable) {
    MemoryDibSeam seam;
    DecodedImage image = imageWithBuffer();
    ASSERT_NE(createPaletteFromColorTable(image, seam, 2), 0);
    makeSource(image, seam, 5, 9);
    std::vector<uint8_t> source(image.pixelBits, image.pixelBits + 16 * 9);
    const BitmapHandle sourceHandle = image.bitmapHandle;

    ASSERT_TRUE(halftoneConversion(image, seam, image.pixelBits, image.bitmapStride));
    EXPECT_EQ(image.bitmapHeader.biBitCount, 8);
    EXPECT_EQ(image.bitmapStride, 8);
    EXPECT_NE(image.bitmapHandle, sourceHandle);
    EXPECT_EQ(seam.findBitmap(sourceHandle), nullptr) << "the 24-bit section is deleted";
    EXPECT_EQ(seam.liveBitmaps(), 1u);
    EXPECT_EQ(seam.livePalettes(), 1u);
    EXPECT_EQ(image.palettePresent, 1);
    // The old palette goes first; the 8-bit section is made while the 24-bit one still exists.
    EXPECT_EQ(seam.events(), (std::vector<Event>{Event::createPalette, Event::createBitmap, Event::deletePalette,
                                                 Event::createHalftonePalette, Event::createBitmap,
                                                 Event::deleteBitmap}));
    const auto& halftone = MemoryDibSeam::halftoneEntries();
    for (size_t i = 0; i < 256; ++i) {
        EXPECT_EQ(image.colorTable[i].rgbRed, halftone[i].peRed);
        EXPECT_EQ(image.colorTable[i].rgbBlue, halftone[i].peBlue);
        EXPECT_EQ(image.colorTable[i].rgbReserved, 0);
    }
    for (int32_t r = 0; r < 9; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            const uint8_t* p = &source[size_t(r * 16 + c * 3)];
            EXPECT_EQ(image.pixelBits[r * 8 + c], halftoneIndex(p[0], p[1], p[2], uint32_t(c), uint32_t(r)))
                << "column " << c << " row " << r;
        }
        for (int32_t c = 5; c < 8; ++c) EXPECT_EQ(image.pixelBits[r * 8 + c], 0) << "padding stays zero";
    }
}

TEST(HalftoneConversion, FailuresKeepThe24BitSectionInstalled) {
    for (const bool refusePalette : {true, false}) {
        SCOPED_TRACE(refusePalette ? "halftone palette refused" : "8-bit section refused");
        MemoryDibSeam seam;
        DecodedImage image = imageWithBuffer();
        makeSource(image, seam, 17, 9);
        const BitmapHandle sourceHandle = image.bitmapHandle;
        seam.refuseHalftonePalette = refusePalette;
        seam.sectionsBeforeFailure = 0;
        EXPECT_FALSE(halftoneConversion(image, seam, image.pixelBits, image.bitmapStride));
        EXPECT_EQ(image.bitmapHandle, sourceHandle);
        EXPECT_EQ(image.bitmapHeader.biBitCount, 24);
        EXPECT_EQ(seam.liveBitmaps(), 1u);
        EXPECT_EQ(image.palettePresent, refusePalette ? 0 : 1);
    }
}

TEST(HalftoneConversion, RefusesASourceStrideShorterThanARow) {
    MemoryDibSeam seam;
    DecodedImage image = imageWithBuffer();
    image.bitmapHeader = header(5, 2, 24);
    std::vector<uint8_t> rows(32, 0);
    EXPECT_FALSE(halftoneConversion(image, seam, rows.data(), 12));
    EXPECT_TRUE(halftoneConversion(image, seam, rows.data(), 16));
    EXPECT_EQ(image.bitmapStride, 8);
}

TEST(DecodedImageRelease, DeletesSectionAndOwnedPaletteOnly) {
    MemoryDibSeam seam;
    DecodedImage image = imageWithBuffer();
    makeSource(image, seam, 3, 3);
    ASSERT_TRUE(halftoneConversion(image, seam, image.pixelBits, image.bitmapStride));
    releaseDecodedImage(image, seam);
    EXPECT_EQ(seam.liveBitmaps(), 0u);
    EXPECT_EQ(seam.livePalettes(), 0u);
    EXPECT_EQ(seam.unknownDeletes(), 0u);
    EXPECT_FALSE(image.paletteBuffer);
    releaseDecodedImage(image, seam);
    EXPECT_EQ(seam.unknownDeletes(), 0u) << "a second release deletes nothing";
}

}  // namespace
}  // namespace vistello
