#include "raster/bmp_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "raster/halftone.h"
#include "raster/memory_dib_seam.h"
#include "raster_test_support.h"

namespace vistello {
namespace {

using test::BmpRecipe;
using test::makeBmp;
using Event = MemoryDibSeam::Event;

struct Reader {
    explicit Reader(int32_t displayDepth = 24) {
        EXPECT_TRUE(allocatePaletteBuffer(image));
        image.displayDepth = displayDepth;
    }
    bool read(const std::vector<uint8_t>& bytes) {
        ByteReader file(bytes.data(), bytes.size());
        return readBmp(file, image, seam);
    }
    MemoryDibSeam seam;
    DecodedImage image;
};

std::vector<RgbQuad> greyTable(size_t count) {
    std::vector<RgbQuad> table;
    for (size_t i = 0; i < count; ++i) table.push_back({uint8_t(i * 3), uint8_t(i * 5), uint8_t(i * 7), 0});
    return table;
}

BmpRecipe eightBit(uint32_t clrUsed, size_t entries) {
    BmpRecipe recipe;
    recipe.width = 5;
    recipe.height = 3;
    recipe.bitCount = 8;
    recipe.clrUsed = clrUsed;
    recipe.colors = greyTable(entries);
    recipe.pixels = test::patternRows(8, 3);
    return recipe;
}

TEST(BmpReader, EightBitTableSizeFollowsClrUsed) {
    for (const uint32_t clrUsed : {0u, 20u}) {
        SCOPED_TRACE(clrUsed);
        Reader reader;
        reader.image.colorTable.fill(RgbQuad{9, 9, 9, 9});
        const size_t entries = clrUsed == 0 ? 256 : clrUsed;
        ASSERT_TRUE(reader.read(makeBmp(eightBit(clrUsed, entries))));
        const auto* palette = reader.seam.findPalette(reader.image.palette);
        ASSERT_NE(palette, nullptr);
        EXPECT_EQ(palette->entries.size(), entries);
        EXPECT_EQ(palette->entries[entries - 1].peRed, uint8_t((entries - 1) * 7));
        for (size_t i = entries; i < 256; ++i) EXPECT_EQ(reader.image.colorTable[i].rgbRed, 0) << i;
        EXPECT_EQ(std::memcmp(reader.image.pixelBits, test::patternRows(8, 3).data(), 24), 0);
        EXPECT_EQ(reader.image.imageInfo[imageInfoWidth], 5);
        EXPECT_EQ(reader.image.imageInfo[imageInfoHeight], 3);
    }
}

TEST(BmpReader, TrueColourFileDropsThePaletteAndCopiesRowsUnchanged) {
    Reader reader;
    ASSERT_NE(createPaletteFromColorTable(reader.image, reader.seam, 2), 0);
    BmpRecipe recipe;
    recipe.width = 5;
    recipe.height = 2;
    recipe.pixels = test::patternRows(16, 2);
    ASSERT_TRUE(reader.read(makeBmp(recipe)));
    EXPECT_EQ(reader.image.palettePresent, 0);
    EXPECT_EQ(reader.seam.livePalettes(), 0u);
    EXPECT_EQ(reader.image.bitmapHeader.biBitCount, 24);
    EXPECT_EQ(std::memcmp(reader.image.pixelBits, recipe.pixels.data(), recipe.pixels.size()), 0);
}

TEST(BmpReader, TrueColourFileOnA256ColourDisplayBecomesTheHalftoneForm) {
    Reader reader(8);
    BmpRecipe recipe;
    recipe.width = 5;
    recipe.height = 2;
    recipe.pixels = test::patternRows(16, 2);
    ASSERT_TRUE(reader.read(makeBmp(recipe)));
    EXPECT_EQ(reader.image.bitmapHeader.biBitCount, 8);
    EXPECT_EQ(reader.image.palettePresent, 1);
    EXPECT_TRUE(reader.seam.findPalette(reader.image.palette)->halftone);
    EXPECT_EQ(reader.image.colorTable[29].rgbRed, MemoryDibSeam::halftoneEntries()[29].peRed);
    for (int32_t r = 0; r < 2; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            const uint8_t* p = &recipe.pixels[size_t(r * 16 + c * 3)];
            EXPECT_EQ(reader.image.pixelBits[r * 8 + c], halftoneIndex(p[0], p[1], p[2], uint32_t(c), uint32_t(r)));
        }
    }
    EXPECT_EQ(reader.seam.liveBitmaps(), 1u);
}

TEST(BmpReader, ShortTrueColourFileOnA256ColourDisplayIsBlackWhereDataIsMissing) {
    Reader reader(8);
    BmpRecipe recipe;
    recipe.width = 4;
    recipe.height = 3;
    recipe.pixels.assign(12 + 5, 0xFF);  // one whole white row and 5 bytes of the next
    ASSERT_TRUE(reader.read(makeBmp(recipe)));
    const uint8_t* bits = reader.image.pixelBits;
    for (int c = 0; c < 4; ++c) EXPECT_EQ(bits[c], 255) << "white row";
    EXPECT_EQ(bits[4], 255) << "first pixel of the cut row is whole";
    for (int c = 2; c < 4; ++c) EXPECT_EQ(bits[4 + c], 0) << "missing pixels are black";
    for (int c = 0; c < 4; ++c) EXPECT_EQ(bits[8 + c], 0) << "missing row is black";
}

TEST(BmpReader, BitFieldFilesAreReadAsPlainFilesWithoutTheirMasks) {
    Reader reader;
    reader.image.colorTable.fill(RgbQuad{1, 2, 3, 4});
    BmpRecipe recipe;
    recipe.width = 3;
    recipe.height = 2;
    recipe.bitCount = 16;
    recipe.compression = 3;
    recipe.masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5: not applied
    recipe.pixels = test::patternRows(8, 2);
    ASSERT_TRUE(reader.read(makeBmp(recipe)));
    EXPECT_EQ(reader.image.bitmapHeader.biCompression, 0u);
    EXPECT_EQ(std::memcmp(reader.image.pixelBits, recipe.pixels.data(), recipe.pixels.size()), 0);
    EXPECT_EQ(reader.image.colorTable[0].rgbRed, 3) << "masks are not read as colours";
}

TEST(BmpReader, CoreHeaderFilesReadThreeByteEntriesRightBehindTheHeader) {
    Reader reader;
    BmpRecipe recipe;
    recipe.headerSize = 12;
    recipe.width = 3;
    recipe.height = 2;
    recipe.bitCount = 4;
    recipe.colors = greyTable(16);
    recipe.pixels = {0x01, 0x20, 0, 0, 0xF3, 0x40, 0, 0};
    const auto file = makeBmp(recipe);
    ASSERT_EQ(file.size(), 26u + 48u + 8u);
    ASSERT_TRUE(reader.read(file));
    EXPECT_EQ(reader.image.bitmapHeader.biSize, 40u);
    EXPECT_EQ(reader.image.bitmapHeader.biBitCount, 4);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(reader.image.colorTable[i].rgbBlue, uint8_t(i * 3));
        EXPECT_EQ(reader.image.colorTable[i].rgbRed, uint8_t(i * 7));
        EXPECT_EQ(reader.image.colorTable[i].rgbReserved, 0);
    }
    EXPECT_EQ(reader.image.pixelBits[4], 0xF3);
}

TEST(BmpReader, TinyCoreHeaderFileShorterThanAnInfoHeaderLoads) {
    Reader reader;
    BmpRecipe recipe;
    recipe.headerSize = 12;
    recipe.bitCount = 1;
    recipe.colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    recipe.pixels = {0x80, 0, 0, 0};
    const auto file = makeBmp(recipe);
    ASSERT_LT(file.size(), 54u);
    ASSERT_TRUE(reader.read(file));
    EXPECT_EQ(reader.image.pixelBits[0], 0x80);
}

TEST(BmpReader, RefusesFilesItCannotRead) {
    const auto with = [](auto change) {
        BmpRecipe recipe = eightBit(0, 256);
        change(recipe);
        return makeBmp(recipe);
    };
    auto wrongType = makeBmp(eightBit(0, 256));
    wrongType[1] = 'A';
    // bfOffBits pointing past the end of the file.
    const auto offsetBeyondEnd = [](std::vector<uint8_t> file) {
        file[10] = 0x88;
        file[11] = 0x13;  // 5000
        return file;
    };
    const struct { const char* name; std::vector<uint8_t> file; } cases[] = {
        {"wrong bfType", wrongType},
        {"header size 41", with([](BmpRecipe& s) { s.headerSize = 41; })},
        {"header size 108", with([](BmpRecipe& s) { s.headerSize = 108; })},
        {"top-down", with([](BmpRecipe& s) { s.height = -3; })},
        {"zero width", with([](BmpRecipe& s) { s.width = 0; })},
        {"zero height", with([](BmpRecipe& s) { s.height = 0; })},
        {"biClrUsed 257", with([](BmpRecipe& s) { s.clrUsed = 257; s.colors = greyTable(257); })},
        {"biClrUsed huge", with([](BmpRecipe& s) { s.clrUsed = 0x40000001; })},
        {"two planes", with([](BmpRecipe& s) { s.planes = 2; })},
        {"bit count 2", with([](BmpRecipe& s) { s.bitCount = 2; s.clrUsed = 4; s.colors = greyTable(4); })},
        {"bit count 48", with([](BmpRecipe& s) { s.bitCount = 48; s.colors.clear(); })},
        {"stride beyond 32 bits", with([](BmpRecipe& s) { s.width = 0x7FFFFFFF; s.bitCount = 32; s.colors.clear(); })},
        {"image beyond the size limit", with([](BmpRecipe& s) { s.width = 40000; s.height = 40000; })},
        {"pixel data short", with([](BmpRecipe& s) { s.pixels.pop_back(); })},
        {"pixel data beyond the end", offsetBeyondEnd(makeBmp(eightBit(0, 256)))},
        {"compression 4", with([](BmpRecipe& s) { s.compression = 4; })},
        {"RLE data offset beyond the end", offsetBeyondEnd(with([](BmpRecipe& s) { s.compression = 1; }))},
    };
    for (const int32_t depth : {24, 8}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " at display depth " << depth);
            Reader reader(depth);
            EXPECT_FALSE(reader.read(c.file));
            EXPECT_LE(reader.seam.liveBitmaps(), 1u);
            EXPECT_EQ(reader.seam.unknownDeletes(), 0u);
        }
    }
}

TEST(BmpReader, HugeTrueColourFileOnA256ColourDisplayIsRefusedBeforeAllocating) {
    Reader reader(8);
    BmpRecipe recipe;
    recipe.width = 20000;
    recipe.height = 20000;  // 1.2 GB of rows
    EXPECT_FALSE(reader.read(makeBmp(recipe)));
    recipe.width = 0x7FFFFFFF;
    recipe.height = 0x7FFFFFFF;
    EXPECT_FALSE(reader.read(makeBmp(recipe)));
    EXPECT_EQ(reader.seam.liveBitmaps(), 0u);
}

// The fuzz targets skip pictures above a megapixel; one such picture is read whole here, at
// both display depths (the 8-bit one through the halftone buffer).
TEST(BmpReader, PicturesAboveAMegapixelAreReadWhole) {
    BmpRecipe recipe;
    recipe.width = 1100;
    recipe.height = 1000;
    recipe.pixels = test::patternRows(3300, 1000);
    const auto file = makeBmp(recipe);
    for (const int32_t depth : {24, 8}) {
        SCOPED_TRACE(depth);
        Reader reader(depth);
        ASSERT_TRUE(reader.read(file));
        EXPECT_EQ(reader.image.imageInfo[imageInfoWidth], 1100);
        EXPECT_EQ(reader.image.imageInfo[imageInfoHeight], 1000);
        EXPECT_EQ(reader.image.bitmapHeader.biBitCount, depth == 8 ? 8 : 24);
        if (depth == 24) {
            const uint8_t* top = reader.image.pixelBits + size_t(999) * size_t(reader.image.bitmapStride);
            EXPECT_TRUE(std::equal(top, top + 3300, recipe.pixels.begin() + 999 * 3300)) << "the last row arrived";
        }
    }
}

TEST(BmpReader, SectionTheAllocatorRefusesFailsTheReadCleanly) {
    for (const uint32_t compression : {0u, 1u}) {
        for (const int32_t depth : {24, 8}) {
            SCOPED_TRACE(testing::Message() << "compression " << compression << " depth " << depth);
            Reader reader(depth);
            reader.seam.sectionByteLimit = 16;
            BmpRecipe recipe = eightBit(0, 256);
            recipe.compression = compression;
            EXPECT_FALSE(reader.read(makeBmp(recipe)));
            EXPECT_EQ(reader.seam.liveBitmaps(), 0u);
            EXPECT_FALSE(reader.image.bitmapHandle);
        }
    }
}

TEST(BmpReader, CompressionFourMakesTheSectionAndThenFails) {
    Reader reader;
    BmpRecipe recipe = eightBit(0, 256);
    recipe.compression = 4;
    EXPECT_FALSE(reader.read(makeBmp(recipe)));
    EXPECT_EQ(reader.seam.liveBitmaps(), 1u);
    EXPECT_TRUE(reader.image.bitmapHandle);
}

TEST(BmpReader, EveryCutInsideHeadersOrTableFailsAndEveryCutInPixelsFailsWhenUncompressed) {
    const auto file = makeBmp(eightBit(0, 256));
    for (size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE(length);
        Reader reader;
        const std::vector<uint8_t> cut(file.begin(), file.begin() + ptrdiff_t(length));
        EXPECT_FALSE(reader.read(cut));
    }
}

TEST(BmpReader, RunLengthFilesKeepThePaletteAndShowWhatTheDataReaches) {
    Reader reader;
    ASSERT_NE(createPaletteFromColorTable(reader.image, reader.seam, 2), 0);
    const PaletteHandle before = reader.image.palette;
    BmpRecipe recipe = eightBit(0, 256);
    recipe.width = 4;
    recipe.height = 2;
    recipe.compression = 1;
    recipe.pixels = {4, 9, 0, 0, 2, 7};  // the second row is cut short, no end-of-bitmap
    ASSERT_TRUE(reader.read(makeBmp(recipe)));
    EXPECT_EQ(reader.image.palette, before);
    EXPECT_EQ(reader.image.bitmapHeader.biCompression, 0u);
    const std::vector<uint8_t> pixels(reader.image.pixelBits, reader.image.pixelBits + 8);
    EXPECT_EQ(pixels, (std::vector<uint8_t>{9, 9, 9, 9, 7, 7, 0, 0}));
}

TEST(BmpReader, EachLoadDeletesThePreviousSectionFirst) {
    Reader reader;
    const auto file = makeBmp(eightBit(0, 256));
    ASSERT_TRUE(reader.read(file));
    ASSERT_TRUE(reader.read(file));
    EXPECT_EQ(reader.seam.liveBitmaps(), 1u);
    EXPECT_EQ(reader.seam.livePalettes(), 1u);
    EXPECT_EQ(reader.seam.events(),
              (std::vector<Event>{Event::createPalette, Event::createBitmap, Event::deleteBitmap, Event::deletePalette,
                                  Event::createPalette, Event::createBitmap}));
}

}  // namespace
}  // namespace vistello
