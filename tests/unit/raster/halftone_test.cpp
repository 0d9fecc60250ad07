#include "raster/halftone.h"

#include <gtest/gtest.h>

#include <vector>

namespace vistello {
namespace {

TEST(Halftone, WhiteAndBlackMapToTheEndsOfThePaletteWhateverTheDither) {
    for (uint32_t row = 0; row < 8; ++row) {
        for (uint32_t column = 0; column < 8; ++column) {
            SCOPED_TRACE(testing::Message() << "column " << column << " row " << row);
            EXPECT_EQ(halftoneIndex(255, 255, 255, column, row), 255);
            EXPECT_EQ(halftoneIndex(0, 0, 0, column, row), 0);
        }
    }
}

TEST(Halftone, RemainderAboveTheDitherValueRoundsTheLevelUp) {
    const struct { uint8_t value; uint8_t dither; uint8_t level; } cases[] = {
        {50, 0, 1}, {50, 50, 0}, {51, 0, 1}, {51, 50, 1}, {52, 0, 2}, {101, 49, 2},
        {102, 0, 2}, {254, 49, 5}, {254, 50, 4}, {255, 0, 5}, {0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << int(c.value) << " dither " << int(c.dither));
        EXPECT_EQ(halftoneLevel(c.value, c.dither), c.level);
    }
}

TEST(Halftone, DitherMatrixIsIndexedByColumnThenRowModuloEight) {
    EXPECT_EQ(ditherValue(0, 0), 0);
    EXPECT_EQ(ditherValue(0, 7), 50);   // first matrix row, last column
    EXPECT_EQ(ditherValue(7, 0), 33);   // last matrix row, first column
    EXPECT_EQ(ditherValue(1, 2), 35);
    EXPECT_EQ(ditherValue(9, 10), 35);  // wraps every 8
    EXPECT_EQ(ditherValue(3, 4), 34);
}

TEST(Halftone, PixelIndexCombinesLevelsAsBlueGreenRedThroughTheTranslation) {
    // 50 in one channel only, at the pixel whose dither value is 0, lifts that channel to level
    // 1; the translation then gives the palette index of that single combination.
    EXPECT_EQ(halftoneIndex(0, 0, 50, 0, 0), halftoneTranslation[1]);
    EXPECT_EQ(halftoneIndex(0, 50, 0, 0, 0), halftoneTranslation[6]);
    EXPECT_EQ(halftoneIndex(50, 0, 0, 0, 0), halftoneTranslation[36]);
    EXPECT_EQ(halftoneIndex(0, 0, 50, 0, 0), 29);
    EXPECT_EQ(halftoneIndex(0, 0, 50, 0, 7), 0) << "dither 50 keeps 50 at level 0";
    EXPECT_EQ(halftoneIndex(255, 0, 0, 3, 3), 252) << "full blue is T[180]";
    EXPECT_EQ(halftoneTranslation[215], 255);
}

TEST(Halftone, RowsKeepTheirPaddingAndAreReadWithTheSourceStride) {
    // Width 5: 15 pixel bytes + 1 padding byte per source row, 5 + 3 per destination row.
    constexpr int32_t width = 5, height = 3, sourceStride = 16, destinationStride = 8;
    std::vector<uint8_t> source(sourceStride * height, 0);
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            uint8_t* p = &source[size_t(r * sourceStride + c * 3)];
            p[0] = uint8_t(40 * c);  // blue
            p[1] = uint8_t(60 * r);  // green
            p[2] = 255;              // red
        }
        source[size_t(r * sourceStride + 15)] = 0xEE;  // padding must not be read as a pixel
    }
    std::vector<uint8_t> destination(destinationStride * height, 0xAB);
    halftoneRows(source.data(), sourceStride, destination.data(), destinationStride, width, height);
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            SCOPED_TRACE(testing::Message() << "column " << c << " row " << r);
            EXPECT_EQ(destination[size_t(r * destinationStride + c)],
                      halftoneIndex(uint8_t(40 * c), uint8_t(60 * r), 255, uint32_t(c), uint32_t(r)));
        }
        for (int32_t p = width; p < destinationStride; ++p) EXPECT_EQ(destination[size_t(r * destinationStride + p)], 0xAB);
    }
}

TEST(Halftone, TranslationTableHoldsThePaletteOrderAtSpacedEntries) {
    // Entries spread over the table, so a value dropped or shifted anywhere shows up.
    const struct { size_t index; uint8_t value; } cases[] = {
        {0, 0}, {5, 249}, {30, 250}, {31, 250}, {35, 251}, {66, 250}, {89, 227}, {98, 151}, {108, 133},
        {143, 160}, {172, 188}, {176, 224}, {180, 252}, {181, 252}, {209, 222}, {211, 223}, {215, 255},
    };
    ASSERT_EQ(halftoneTranslation.size(), 216u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(halftoneTranslation[c.index], c.value);
    }
}

}  // namespace
}  // namespace vistello
