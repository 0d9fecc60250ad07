// BMP files made by ImageMagick and netpbm, or built here where no tool writes the form, read
// by our reader and compared pixel by pixel with ImageMagick's own decode of the same file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raster/bmp_reader.h"
#include "raster/halftone.h"
#include "raster/memory_dib_seam.h"
#include "raster_test_support.h"

namespace vistello {
namespace {

using test::Rgb;

struct Size {
    int width, height;
};

constexpr Size sizes[] = {{17, 9}, {1, 1}};

struct Tools {
    bool imageMagick = test::haveProgram("convert");
    bool netpbm = test::haveProgram("ppmtobmp");
};

// The source pictures every generated file starts from, written into the scratch folder.
bool makeSources(const test::ScratchFolder& folder, Size size) {
    test::writePpm(folder.path("src.ppm"), size.width, size.height, test::testPicture(size.width, size.height));
    const std::string src = "'" + folder.path("src.ppm").string() + "'";
    return test::runCommand("convert " + src + " -colors 20 '" + folder.path("q20.ppm").string() + "'") &&
           test::runCommand("convert " + src + " -colors 16 '" + folder.path("q16.ppm").string() + "'") &&
           test::runCommand("convert " + src + " -monochrome '" + folder.path("mono.ppm").string() + "'");
}

// The tool commands; {dir} is the scratch folder, the output goes to {dir}/out.bmp.
struct ToolFile {
    const char* name;
    bool netpbm;  // needs ppmtobmp besides ImageMagick
    const char* command;
};

constexpr ToolFile toolFiles[] = {
    {"ImageMagick 24-bit", false, "convert {dir}/src.ppm BMP3:{dir}/out.bmp"},
    {"netpbm 24-bit", true, "ppmtobmp -bpp 24 {dir}/src.ppm > {dir}/out.bmp"},
    {"netpbm OS/2 24-bit", true, "ppmtobmp -os2 -bpp 24 {dir}/src.ppm > {dir}/out.bmp"},
    {"ImageMagick 32-bit", false, "convert {dir}/src.ppm -define bmp3:alpha=true -alpha set BMP3:{dir}/out.bmp"},
    {"ImageMagick 8-bit", false, "convert {dir}/q20.ppm -type palette -compress None BMP3:{dir}/out.bmp"},
    {"netpbm 8-bit (biClrUsed 0)", true, "ppmtobmp -bpp 8 {dir}/q20.ppm > {dir}/out.bmp"},
    {"netpbm OS/2 8-bit", true, "ppmtobmp -os2 -bpp 8 {dir}/q20.ppm > {dir}/out.bmp"},
    {"ImageMagick 4-bit", false, "convert {dir}/q16.ppm -type palette -compress None BMP3:{dir}/out.bmp"},
    {"netpbm 4-bit", true, "ppmtobmp -bpp 4 {dir}/q16.ppm > {dir}/out.bmp"},
    {"netpbm OS/2 4-bit", true, "ppmtobmp -os2 -bpp 4 {dir}/q16.ppm > {dir}/out.bmp"},
    {"ImageMagick 1-bit", false, "convert {dir}/src.ppm -monochrome BMP3:{dir}/out.bmp"},
    {"netpbm 1-bit", true, "ppmtobmp -bpp 1 {dir}/mono.ppm > {dir}/out.bmp"},
    {"ImageMagick RLE8", false, "convert {dir}/q20.ppm -type palette -compress RLE BMP3:{dir}/out.bmp"},
};

std::string expand(std::string command, const std::string& dir) {
    for (size_t at = command.find("{dir}"); at != std::string::npos; at = command.find("{dir}")) {
        command.replace(at, 5, "'" + dir + "'");
    }
    return command;
}

// Reads file at both display depths and compares with ImageMagick's decode. On a 256-colour
// display a 24-bit file is expected as the halftone indices of ImageMagick's pixels.
void expectMatchesReference(const std::vector<uint8_t>& bytes, const std::filesystem::path& path,
                            bool acceptReportedEnd = false) {
    int width = 0, height = 0;
    const std::vector<Rgb> reference = test::referenceDecode(path, width, height, acceptReportedEnd);
    ASSERT_FALSE(reference.empty()) << "ImageMagick could not decode the file";
    for (const int32_t depth : {24, 8}) {
        SCOPED_TRACE(testing::Message() << "display depth " << depth);
        MemoryDibSeam seam;
        DecodedImage image;
        ASSERT_TRUE(allocatePaletteBuffer(image));
        image.displayDepth = depth;
        ByteReader file(bytes.data(), bytes.size());
        const uint16_t fileBitCount = uint16_t(bytes[14] == 12 ? bytes[24] : bytes[28]);
        ASSERT_TRUE(readBmp(file, image, seam));
        ASSERT_EQ(image.imageInfo[imageInfoWidth], width);
        ASSERT_EQ(image.imageInfo[imageInfoHeight], height);
        const uint32_t compression = uint32_t(bytes[14] == 12 ? 0 : bytes[30]);
        if (depth == 8 && fileBitCount == 24 && compression == 0) {
            ASSERT_EQ(image.bitmapHeader.biBitCount, 8);
            int mismatches = 0;
            for (int y = 0; y < height; ++y) {
                const uint8_t* row = image.pixelBits + ptrdiff_t(height - 1 - y) * image.bitmapStride;
                for (int x = 0; x < width; ++x) {
                    const Rgb& p = reference[size_t(y * width + x)];
                    if (row[x] != halftoneIndex(p.blue, p.green, p.red, uint32_t(x), uint32_t(height - 1 - y))) {
                        ++mismatches;
                    }
                }
            }
            EXPECT_EQ(mismatches, 0);
            continue;
        }
        const std::vector<Rgb> ours = test::decodedRgb(image);
        ASSERT_EQ(ours.size(), reference.size());
        for (size_t i = 0; i < ours.size(); ++i) {
            if (!(ours[i] == reference[i])) {
                ADD_FAILURE() << "first difference at x " << i % size_t(width) << " y " << i / size_t(width);
                break;
            }
        }
    }
}

TEST(BmpReference, FilesMadeByImageMagickAndNetpbmDecodeAsImageMagickDecodesThem) {
    const Tools tools;
    if (!tools.imageMagick) GTEST_SKIP() << "ImageMagick (convert) is not installed";
    for (const Size size : sizes) {
        test::ScratchFolder folder;
        ASSERT_TRUE(makeSources(folder, size));
        for (const auto& tool : toolFiles) {
            SCOPED_TRACE(testing::Message() << tool.name << " " << size.width << "x" << size.height);
            if (tool.netpbm && !tools.netpbm) continue;
            const auto out = folder.path("out.bmp");
            std::filesystem::remove(out);
            ASSERT_TRUE(test::runCommand(expand(tool.command, folder.path("").parent_path().string())));
            expectMatchesReference(test::readFileBytes(out), out);
        }
    }
}

// netpbm's 8-bit file with its table cut to the 20 colours in use and biClrUsed 20.
std::vector<uint8_t> withTwentyColours(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> out(file.begin(), file.begin() + 54 + 20 * 4);
    out[46] = 20;                                                     // biClrUsed
    const uint32_t offBits = 54 + 20 * 4;
    out[10] = uint8_t(offBits);                                       // bfOffBits
    out[11] = uint8_t(offBits >> 8);
    out.insert(out.end(), file.begin() + 1078, file.end());
    const size_t size = out.size();
    for (int i = 0; i < 4; ++i) out[size_t(2 + i)] = uint8_t(size >> (8 * i));  // bfSize
    return out;
}

TEST(BmpReference, EightBitFileWithTwentyTableEntries) {
    const Tools tools;
    if (!tools.imageMagick || !tools.netpbm) GTEST_SKIP() << "ImageMagick and netpbm are needed";
    test::ScratchFolder folder;
    ASSERT_TRUE(makeSources(folder, {17, 9}));
    const auto made = folder.path("made.bmp");
    ASSERT_TRUE(test::runCommand(expand("ppmtobmp -bpp 8 {dir}/q20.ppm > {dir}/made.bmp",
                                        folder.path("").parent_path().string())));
    const auto bytes = withTwentyColours(test::readFileBytes(made));
    const auto out = folder.path("out.bmp");
    test::writeFileBytes(out, bytes);
    expectMatchesReference(bytes, out);
}

// 16-bit files, which neither tool writes in a form both read alike: 5-5-5 words built here
// from the test picture, uncompressed and as bit fields with 5-5-5 masks.
TEST(BmpReference, SixteenBitFilesPlainAndWithBitFields) {
    if (!test::haveProgram("convert")) GTEST_SKIP() << "ImageMagick (convert) is not installed";
    for (const bool bitFields : {false, true}) {
        SCOPED_TRACE(bitFields ? "bit fields" : "plain");
        const int width = 7, height = 3;
        const auto picture = test::testPicture(width, height);
        test::BmpRecipe recipe;
        recipe.width = width;
        recipe.height = height;
        recipe.bitCount = 16;
        if (bitFields) {
            recipe.compression = 3;
            recipe.masks = {0x7C00, 0x03E0, 0x001F};
        }
        const size_t stride = 16;
        recipe.pixels.assign(stride * height, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Rgb& p = picture[size_t(y * width + x)];
                const uint32_t word = uint32_t(p.red >> 3) << 10 | uint32_t(p.green >> 3) << 5 | uint32_t(p.blue >> 3);
                uint8_t* out = &recipe.pixels[size_t(height - 1 - y) * stride + size_t(2 * x)];
                out[0] = uint8_t(word);
                out[1] = uint8_t(word >> 8);
            }
        }
        test::ScratchFolder folder;
        const auto bytes = test::makeBmp(recipe);
        test::writeFileBytes(folder.path("out.bmp"), bytes);
        expectMatchesReference(bytes, folder.path("out.bmp"));
    }
}

// Run-length files built command by command: RLE4, which no tool here writes, and both forms
// with the delta escape, which real files use and no tool here writes either.
struct RleFile {
    const char* name;
    uint32_t compression;
    uint16_t bitCount;
    int width, height;
    std::vector<uint8_t> data;
};

TEST(BmpReference, RunLengthFilesWithAndWithoutDelta) {
    if (!test::haveProgram("convert")) GTEST_SKIP() << "ImageMagick (convert) is not installed";
    const RleFile files[] = {
        {"RLE8 without delta", 1, 8, 8, 3,
         {8, 1, 0, 0,                       // row 0: eight pixels of 1
          0, 3, 4, 5, 6, 0, 5, 2, 0, 0,     // row 1: absolute 4 5 6, pad, then five of 2
          3, 7, 0, 1}},                     // row 2 ends early; end of bitmap
        {"RLE8 with delta", 1, 8, 8, 6,
         {8, 1, 0, 0,                       // row 0
          2, 2, 0, 2, 3, 2, 3, 3, 0, 0,     // row 1: two of 2, right 3 and up 2, three of 3 on row 3
          0, 3, 4, 5, 6, 0, 0, 0,           // row 4: absolute run
          0, 2, 2, 0, 2, 7, 0, 1}},         // row 5: right 2, two of 7
        {"RLE4 without delta", 2, 4, 9, 3,
         {9, 0x12, 0, 0,                    // row 0: 1 2 1 2 1 2 1 2 1
          0, 5, 0x34, 0x56, 0x70, 0, 4, 0x88, 0, 0,  // row 1: absolute 3 4 5 6 7, pad, four of 8
          3, 0x9A, 0, 1}},                  // row 2 ends early
        {"RLE4 with delta", 2, 4, 9, 5,
         {3, 0x12, 0, 2, 3, 1, 2, 0x34, 0, 0,  // row 0: 1 2 1, right 3 and up 1, 3 4 on row 1
          0, 3, 0x56, 0x70, 0, 0,           // row 2: absolute 5 6 7, no pad
          0, 2, 1, 1, 1, 0xBB, 0, 1}},      // right 1 and up 1 to row 3, one pixel of B
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        test::BmpRecipe recipe;
        recipe.width = f.width;
        recipe.height = f.height;
        recipe.bitCount = f.bitCount;
        recipe.compression = f.compression;
        recipe.colors.clear();
        for (int i = 0; i < (f.bitCount == 4 ? 16 : 256); ++i) {
            recipe.colors.push_back({uint8_t(i * 16 + 5), uint8_t(255 - i * 9), uint8_t(i * 41), 0});
        }
        recipe.pixels = f.data;
        test::ScratchFolder folder;
        const auto bytes = test::makeBmp(recipe);
        test::writeFileBytes(folder.path("out.bmp"), bytes);
        expectMatchesReference(bytes, folder.path("out.bmp"), true);
    }
}

}  // namespace
}  // namespace vistello
