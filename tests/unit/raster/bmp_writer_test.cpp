#include "raster/bmp_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "raster/bmp_reader.h"
#include "raster/memory_dib_seam.h"
#include "raster_test_support.h"

namespace vistello {
namespace {

uint32_t u32At(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t u16At(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// A JPEG picture of 17 x 9 pixels as the JPEG path leaves it: a 32 x 16 section, each byte
// numbered by its memory row so the rows written can be told apart.
void makePaddedPicture(DecodedImage& image, MemoryDibSeam& seam) {
    image.bitmapHeader = {};
    image.bitmapHeader.biSize = 40;
    image.bitmapHeader.biWidth = 32;
    image.bitmapHeader.biHeight = 16;
    image.bitmapHeader.biPlanes = 1;
    image.bitmapHeader.biBitCount = 24;
    ASSERT_TRUE(makeDibSection(image, seam));
    for (int32_t r = 0; r < 16; ++r) std::memset(image.pixelBits + r * image.bitmapStride, r + 1, size_t(image.bitmapStride));
    image.imageInfo[imageInfoWidth] = 17;
    image.imageInfo[imageInfoHeight] = 9;
}

TEST(BmpWriter, PaddedJpegPictureIsWrittenAtItsRealSizeSkippingThePaddingRows) {
    MemoryDibSeam seam;
    DecodedImage image;
    makePaddedPicture(image, seam);
    ByteBuffer file;
    ASSERT_TRUE(encodeBmpFile(image, file));
    const uint8_t* p = file.data();
    ASSERT_EQ(file.size(), 522u);
    EXPECT_EQ(p[0], 'B');
    EXPECT_EQ(p[1], 'M');
    EXPECT_EQ(u32At(p + 2), 522u);   // bfSize
    EXPECT_EQ(u32At(p + 6), 0u);     // reserved
    EXPECT_EQ(u32At(p + 10), 54u);   // bfOffBits
    EXPECT_EQ(u32At(p + 14), 40u);   // biSize
    EXPECT_EQ(u32At(p + 18), 17u);   // biWidth
    EXPECT_EQ(u32At(p + 22), 9u);    // biHeight
    EXPECT_EQ(u16At(p + 26), 1);     // biPlanes
    EXPECT_EQ(u16At(p + 28), 24);    // biBitCount
    EXPECT_EQ(u32At(p + 30), 0u);    // biCompression
    EXPECT_EQ(u32At(p + 34), 468u);  // biSizeImage = 52 x 9
    for (int32_t row = 0; row < 9; ++row) {
        SCOPED_TRACE(row);
        // The 7 padding rows lie first in memory; file row 0 is memory row 7.
        EXPECT_EQ(p[54 + row * 52], row + 8);
        EXPECT_EQ(p[54 + row * 52 + 51], row + 8);
    }
}

TEST(BmpWriter, HalftoneFormCarriesAllTwoHundredFiftySixEntries) {
    MemoryDibSeam seam;
    DecodedImage image;
    ASSERT_TRUE(allocatePaletteBuffer(image));
    makePaddedPicture(image, seam);
    ASSERT_TRUE(halftoneConversion(image, seam, image.pixelBits, image.bitmapStride));
    ByteBuffer file;
    ASSERT_TRUE(encodeBmpFile(image, file));
    const uint8_t* p = file.data();
    const size_t size = file.size();
    EXPECT_EQ(u16At(p + 28), 8);
    EXPECT_EQ(u32At(p + 10), 1078u);
    EXPECT_EQ(u32At(p + 34), 20u * 9u);
    EXPECT_EQ(size, 1078u + 180u);
    const auto& halftone = MemoryDibSeam::halftoneEntries();
    for (size_t i = 0; i < 256; ++i) {
        EXPECT_EQ(p[54 + 4 * i], halftone[i].peBlue);
        EXPECT_EQ(p[54 + 4 * i + 2], halftone[i].peRed);
        EXPECT_EQ(p[54 + 4 * i + 3], 0);
    }
}

TEST(BmpWriter, RefusesAnImageWithoutSectionOrWithARealSizeBeyondIt) {
    MemoryDibSeam seam;
    DecodedImage image;
    ByteBuffer file;
    EXPECT_FALSE(encodeBmpFile(image, file));
    makePaddedPicture(image, seam);
    image.imageInfo[imageInfoHeight] = 17;
    EXPECT_FALSE(encodeBmpFile(image, file));
    image.imageInfo[imageInfoHeight] = 9;
    image.imageInfo[imageInfoWidth] = 33;
    EXPECT_FALSE(encodeBmpFile(image, file));
    image.imageInfo[imageInfoWidth] = 0;
    EXPECT_FALSE(encodeBmpFile(image, file));
}

// Pictures read by our reader and written again decode in ImageMagick to what ImageMagick
// made of the original.
TEST(BmpWriter, WrittenFilesDecodeLikeTheOriginalInImageMagick) {
    if (!test::haveProgram("convert")) GTEST_SKIP() << "ImageMagick (convert) is not installed";
    const char* const forms[] = {"-monochrome BMP3:", "-colors 16 -type palette -compress None BMP3:",
                                 "-colors 40 -type palette -compress RLE BMP3:", "BMP3:"};
    for (const char* form : forms) {
        SCOPED_TRACE(form);
        test::ScratchFolder folder;
        test::writePpm(folder.path("src.ppm"), 13, 5, test::testPicture(13, 5));
        ASSERT_TRUE(test::runCommand("convert '" + folder.path("src.ppm").string() + "' " + form + "'" +
                                     folder.path("in.bmp").string() + "'"));
        const auto original = test::readFileBytes(folder.path("in.bmp"));
        MemoryDibSeam seam;
        DecodedImage image;
        ASSERT_TRUE(allocatePaletteBuffer(image));
        image.displayDepth = 32;
        ByteReader in(original.data(), original.size());
        ASSERT_TRUE(readBmp(in, image, seam));
        ByteBuffer file;
        ASSERT_TRUE(encodeBmpFile(image, file));
        test::writeFileBytes(folder.path("out.bmp"), std::vector<uint8_t>(file.data(), file.data() + file.size()));
        int width = 0, height = 0, outWidth = 0, outHeight = 0;
        const auto expected = test::referenceDecode(folder.path("in.bmp"), width, height);
        const auto written = test::referenceDecode(folder.path("out.bmp"), outWidth, outHeight);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(outWidth, 13);
        EXPECT_EQ(outHeight, 5);
        EXPECT_TRUE(written == expected);
    }
}

}  // namespace
}  // namespace vistello
