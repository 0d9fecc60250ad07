#include "raster/load_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "raster/memory_dib_seam.h"
#include "raster_test_support.h"

namespace vistello {
namespace {

const std::string invalidFileMessage = "このファイルは表示出来ません。";

struct Loader {
    explicit Loader(int32_t displayDepth = 24) {
        EXPECT_TRUE(allocatePaletteBuffer(image));
        image.displayDepth = displayDepth;
    }
    bool load(const std::vector<uint8_t>& bytes) {
        return loadPicture(bytes.data(), bytes.size(), image, seam, messages, kind, &decodedWhole);
    }
    MemoryDibSeam seam;
    DecodedImage image;
    test::RecordingMessages messages;
    ImageKind kind = ImageKind::none;
    bool decodedWhole = false;
};

std::vector<uint8_t> smallBmp() {
    test::BmpRecipe recipe;
    recipe.width = 2;
    recipe.height = 2;
    recipe.pixels = test::patternRows(8, 2);
    return test::makeBmp(recipe);
}

TEST(LoadPicture, DispatchesByTheFirstTwoBytesAndRecordsTheKindWhateverTheResult) {
    auto brokenBmp = smallBmp();
    brokenBmp.resize(20);
    const struct { const char* name; std::vector<uint8_t> bytes; bool loaded; ImageKind kind; } cases[] = {
        {"BMP", smallBmp(), true, ImageKind::bmp},
        {"BMP that fails", brokenBmp, false, ImageKind::bmp},
        {"B without M", {'B', 'A', 0, 0}, false, ImageKind::none},
        {"JPEG start without frame", {0xFF, 0xD8, 0xFF, 0xD9}, false, ImageKind::jpeg},
        {"FF without D8", {0xFF, 0xD9, 0, 0}, false, ImageKind::none},
        {"PNG", {0x89, 'P', 'N', 'G'}, false, ImageKind::none},
        {"one byte", {'B'}, false, ImageKind::none},
        {"empty", {}, false, ImageKind::none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Loader loader;
        EXPECT_EQ(loader.load(c.bytes), c.loaded);
        EXPECT_EQ(loader.kind, c.kind);
        EXPECT_TRUE(loader.messages.messages.empty());
    }
}

// JPEG files made by cjpeg from the test picture.
class LoadJpeg : public testing::Test {
protected:
    void SetUp() override {
        if (!test::haveProgram("cjpeg") || !test::haveProgram("djpeg")) GTEST_SKIP() << "cjpeg and djpeg are needed";
        test::writePpm(folder.path("src.ppm"), 100, 75, test::testPicture(100, 75));
    }
    std::vector<uint8_t> jpeg(const std::string& options) {
        const auto out = folder.path("out.jpg");
        EXPECT_TRUE(test::runCommand("cjpeg " + options + " -outfile '" + out.string() + "' '" +
                                     folder.path("src.ppm").string() + "'"));
        return test::readFileBytes(out);
    }
    // Index of the first byte of a marker's code (after its FF) in a stream cjpeg made.
    static size_t markerAt(const std::vector<uint8_t>& bytes, uint8_t code) {
        for (size_t i = 2; i + 1 < bytes.size(); ++i) {
            if (bytes[i] == 0xFF && bytes[i + 1] == code) return i + 1;
        }
        return 0;
    }
    test::ScratchFolder folder;
};

TEST_F(LoadJpeg, SectionIsPaddedToWholeMcusAndImageInfoHoldsTheFrameSize) {
    const struct { const char* sampling; int32_t width, height; } cases[] = {
        {"2x2", 112, 80}, {"1x1", 104, 80}, {"2x1", 112, 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sampling);
        Loader loader;
        ASSERT_TRUE(loader.load(jpeg(std::string("-sample ") + c.sampling)));
        EXPECT_EQ(loader.kind, ImageKind::jpeg);
        EXPECT_TRUE(loader.decodedWhole);
        EXPECT_EQ(loader.image.bitmapHeader.biWidth, c.width);
        EXPECT_EQ(loader.image.bitmapHeader.biHeight, c.height);
        EXPECT_EQ(loader.image.bitmapHeader.biBitCount, 24);
        EXPECT_EQ(loader.image.imageInfo[imageInfoWidth], 100);
        EXPECT_EQ(loader.image.imageInfo[imageInfoHeight], 75);
        EXPECT_EQ(loader.image.imageInfo[imageInfoComponents] & 0xFF, 3);
        EXPECT_EQ(loader.image.imageInfo[imageInfoReserved], 0);
    }
}

TEST_F(LoadJpeg, PictureStandsUprightInTheBottomUpSection) {
    const auto bytes = jpeg("-sample 2x2 -quality 95");
    ASSERT_TRUE(test::runCommand("djpeg -dct int -nosmooth -pnm -outfile '" + folder.path("ref.ppm").string() +
                                 "' '" + folder.path("out.jpg").string() + "'"));
    int width = 0, height = 0;
    const auto reference = test::referenceDecode(folder.path("ref.ppm"), width, height);
    ASSERT_EQ(reference.size(), 100u * 75u);
    Loader loader;
    ASSERT_TRUE(loader.load(bytes));
    const auto ours = test::decodedRgb(loader.image);
    ASSERT_EQ(ours.size(), reference.size());
    double squaredError = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        for (const auto channel : {&test::Rgb::red, &test::Rgb::green, &test::Rgb::blue}) {
            const double d = double(ours[i].*channel) - double(reference[i].*channel);
            squaredError += d * d;
        }
    }
    const double psnr = 10 * std::log10(255.0 * 255.0 / (squaredError / double(3 * ours.size()) + 1e-9));
    EXPECT_GE(psnr, 40.0);
}

TEST_F(LoadJpeg, OnA256ColourDisplayTheSectionBecomesTheHalftoneForm) {
    Loader loader(8);
    ASSERT_TRUE(loader.load(jpeg("-sample 2x2")));
    EXPECT_EQ(loader.image.bitmapHeader.biBitCount, 8);
    EXPECT_EQ(loader.image.bitmapStride, 112);
    EXPECT_EQ(loader.seam.liveBitmaps(), 1u);
    EXPECT_EQ(loader.image.palettePresent, 1);
    EXPECT_EQ(loader.image.imageInfo[imageInfoWidth], 100);
}

TEST_F(LoadJpeg, FrameTheDecoderRefusesIsShownBlackAtTheRightSize) {
    auto bytes = jpeg("-sample 2x2");
    const size_t sof = markerAt(bytes, 0xC0);
    ASSERT_NE(sof, 0u);
    bytes[sof] = 0xC9;  // arithmetic coding
    Loader loader;
    ASSERT_TRUE(loader.load(bytes));
    EXPECT_FALSE(loader.decodedWhole);
    EXPECT_FALSE(loader.messages.messages.empty()) << "the decoder names its refusal";
    EXPECT_EQ(loader.image.bitmapHeader.biWidth, 112);
    EXPECT_EQ(loader.image.imageInfo[imageInfoHeight], 75);
    const uint8_t* bits = loader.image.pixelBits;
    EXPECT_TRUE(std::all_of(bits, bits + 80 * loader.image.bitmapStride, [](uint8_t b) { return b == 0; }));
}

TEST_F(LoadJpeg, DecodeStoppingBeforeItsFrameLeavesABlackPictureOfTheProbedSize) {
    auto bytes = jpeg("-sample 2x2");
    const size_t dqt = markerAt(bytes, 0xDB);
    ASSERT_NE(dqt, 0u);
    bytes[dqt + 3] = 0x07;  // Pq 0, Tq 7: a table the decoder refuses, which the probe skips
    Loader loader;
    ASSERT_TRUE(loader.load(bytes));
    EXPECT_FALSE(loader.decodedWhole);
    EXPECT_EQ(loader.image.imageInfo[imageInfoWidth], 100);
    EXPECT_EQ(loader.image.imageInfo[imageInfoHeight], 75);
    EXPECT_EQ(loader.image.imageInfo[imageInfoComponents] & 0xFF, 3);
    const uint8_t* bits = loader.image.pixelBits;
    EXPECT_TRUE(std::all_of(bits, bits + 80 * loader.image.bitmapStride, [](uint8_t b) { return b == 0; }));
}

TEST_F(LoadJpeg, TruncatedStreamKeepsWhatWasDecoded) {
    auto bytes = jpeg("-sample 2x2");
    bytes.resize(bytes.size() * 2 / 3);
    Loader loader;
    ASSERT_TRUE(loader.load(bytes));
    EXPECT_FALSE(loader.decodedWhole);
    // The top rows (last in memory) were decoded, the bottom rows (first in memory) were not.
    const uint8_t* top = loader.image.pixelBits + 79 * loader.image.bitmapStride;
    EXPECT_TRUE(std::any_of(top, top + 300, [](uint8_t b) { return b != 0; }));
}

TEST_F(LoadJpeg, FramesNoSectionCanBeMadeForFailWithoutTouchingThePicture) {
    const auto original = jpeg("-sample 2x2");
    const size_t sof = markerAt(original, 0xC0);
    ASSERT_NE(sof, 0u);
    const auto withSize = [&](uint16_t width, uint16_t height) {
        auto bytes = original;
        bytes[sof + 4] = uint8_t(height >> 8);  // Y
        bytes[sof + 5] = uint8_t(height);
        bytes[sof + 6] = uint8_t(width >> 8);   // X
        bytes[sof + 7] = uint8_t(width);
        return bytes;
    };
    const struct { const char* name; std::vector<uint8_t> bytes; } cases[] = {
        {"height 0", withSize(100, 0)},
        {"65535 x 65535 is above the size limit", withSize(65535, 65535)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Loader loader;
        EXPECT_FALSE(loader.load(c.bytes));
        EXPECT_EQ(loader.kind, ImageKind::jpeg);
        EXPECT_EQ(loader.seam.liveBitmaps(), 0u);
    }
}

TEST_F(LoadJpeg, ProbeRefusalShowsTheMessageAndLeavesThePreviousPicture) {
    auto bytes = jpeg("-sample 2x2");
    Loader loader;
    ASSERT_TRUE(loader.load(smallBmp()));
    const BitmapHandle before = loader.image.bitmapHandle;
    const size_t sof = markerAt(bytes, 0xC0);
    bytes[sof + 3] = 1;  // precision 1
    EXPECT_FALSE(loader.load(bytes));
    EXPECT_EQ(loader.messages.messages, std::vector<std::string>{invalidFileMessage});
    EXPECT_EQ(loader.image.bitmapHandle, before);
    EXPECT_EQ(loader.image.imageInfo[imageInfoWidth], 2);
}

}  // namespace
}  // namespace vistello
