#include "encode/fit_picture.h"

#include <gtest/gtest.h>

#include <numeric>

#include "encode/downscale.h"
#include "encode_test_support.h"

namespace vistello {
namespace {

FitRequest request(PictureSize box, int32_t quality = 90, int32_t orientation = 1) {
    FitRequest r;
    r.box = box;
    r.quality = quality;
    r.orientation = orientation;
    return r;
}

std::string sizeText(PictureSize size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

// A 6000 x 4000 camera photograph: the forest scaled up by ImageMagick and stored by cjpeg at
// quality 95, as a camera would.
TEST(FitPicture, CameraPhotographFitsTheScreenBoxAsSharpAsImageMagicksResize) {
    REQUIRE_REFERENCE_PROGRAMS();
    test::ScratchFolder folder;
    test::writeFileBytes(folder.path("forest.jpg"), test::forestJpeg());
    ASSERT_TRUE(test::runCommand("convert " + test::quoted(folder.path("forest.jpg")) +
                                 " -filter Lanczos -resize '6000x4000!' ppm:" + test::quoted(folder.path("big.ppm"))));
    ASSERT_TRUE(test::runCommand("cjpeg -quality 95 -outfile " + test::quoted(folder.path("big.jpg")) + " " +
                                 test::quoted(folder.path("big.ppm"))));
    std::filesystem::remove(folder.path("big.ppm"));
    const test::Bytes camera = test::readFileBytes(folder.path("big.jpg"));

    const FitResult result = fitPicture(camera, request(screenFitBox));
    ASSERT_EQ(result.outcome, FitOutcome::encoded) << result.problem;
    EXPECT_TRUE(result.decodedWhole);
    EXPECT_EQ(result.plan.stored, (PictureSize{6000, 4000}));
    EXPECT_EQ(result.plan.output, (PictureSize{1350, 900}));
    test::writeFileBytes(folder.path("ours.jpg"), result.jpeg);

    // The reference: ImageMagick's Lanczos resize of the same decoded pixels, and that encoded
    // by cjpeg at quality 90.
    const BgrImage decoded = test::decodeWithOurs(camera);
    const BgrImage reference = test::imageMagick(folder, decoded, "-filter Lanczos -resize 1600x900");
    ASSERT_EQ(reference.size(), (PictureSize{1350, 900}));
    const test::Bytes referenceJpeg = test::cjpeg(folder, reference, "-quality 90");
    test::writeFileBytes(folder.path("reference.jpg"), referenceJpeg);
    std::string warnings;
    const BgrImage ours = test::decodeWithDjpeg(folder.path("ours.jpg"), warnings);
    EXPECT_EQ(warnings, "");
    const BgrImage theirs = test::decodeWithDjpeg(folder.path("reference.jpg"), warnings);
    const double oursPsnr = test::psnr(ours, reference);
    const double theirsPsnr = test::psnr(theirs, reference);
    std::printf("  against ImageMagick's Lanczos resize: ours %.2f dB (%zu bytes), its resize through cjpeg "
                "-quality 90 %.2f dB (%zu bytes)\n",
                oursPsnr, result.jpeg.size(), theirsPsnr, referenceJpeg.size());
    EXPECT_GE(oursPsnr, theirsPsnr - 1.5);
    EXPECT_LE(double(result.jpeg.size()), 1.25 * double(referenceJpeg.size()));
}

class FitSmallPicture : public testing::Test {
protected:
    void SetUp() override {
        REQUIRE_REFERENCE_PROGRAMS();
        // A photograph: a pattern's sharp colour edges would measure the 4:2:0 chroma instead.
        const BgrImage forest = test::decodeWithOurs(test::forestJpeg());
        ASSERT_EQ(forest.width, 1050);
        landscape = test::cjpeg(folder, scaleDown(forest.view(), {320, 200}), "-quality 95");
        ASSERT_FALSE(landscape.empty());
        stored = test::decodeWithOurs(landscape);
    }
    test::ScratchFolder folder;
    test::Bytes landscape;
    BgrImage stored;  // what the program shows of it
};

TEST_F(FitSmallPicture, OrientationSixComesOutPortraitWithTheRightPixels) {
    const FitResult result = fitPicture(landscape, request({0, 0}, 95, 6));
    ASSERT_EQ(result.outcome, FitOutcome::encoded) << result.problem;
    EXPECT_EQ(result.plan.output, (PictureSize{200, 320}));
    const BgrImage portrait = test::decodeWithOurs(result.jpeg);
    ASSERT_EQ(portrait.size(), (PictureSize{200, 320}));
    // Turned a quarter clockwise, not anticlockwise and not mirrored.
    EXPECT_GE(test::psnr(portrait, test::imageMagick(folder, stored, "-rotate 90")), 38.0);
    EXPECT_LT(test::psnr(portrait, test::imageMagick(folder, stored, "-rotate 270")), 20.0);
    EXPECT_LT(test::psnr(portrait, test::imageMagick(folder, stored, "-transpose")), 20.0);

    // Turned, then fitted: 200 x 320 upright in 100 x 100 is 63 x 100 (62.5 rounds up).
    const FitResult fitted = fitPicture(landscape, request({100, 100}, 95, 6));
    ASSERT_EQ(fitted.outcome, FitOutcome::encoded) << fitted.problem;
    EXPECT_EQ(fitted.plan.output, (PictureSize{63, 100}));
    EXPECT_GE(test::psnr(test::decodeWithOurs(fitted.jpeg),
                         test::imageMagick(folder, stored, "-rotate 90 -filter Lanczos -resize '63x100!'")),
              36.0);
}

TEST_F(FitSmallPicture, EveryOrientationGivesTheUprightSize) {
    for (int32_t orientation = 2; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const FitResult result = fitPicture(landscape, request({160, 160}, 90, orientation));
        ASSERT_EQ(result.outcome, FitOutcome::encoded) << result.problem;
        const PictureSize expected = orientation >= 5 ? PictureSize{100, 160} : PictureSize{160, 100};
        EXPECT_EQ(result.plan.output, expected);
        EXPECT_EQ(test::decodeWithOurs(result.jpeg).size(), expected);
    }
}

TEST_F(FitSmallPicture, AnUprightPictureInsideTheBoxIsLeftAlone) {
    for (const PictureSize box : {screenFitBox, PictureSize{320, 200}, PictureSize{0, 0}}) {
        SCOPED_TRACE(sizeText(box));
        const FitResult result = fitPicture(landscape, request(box));
        EXPECT_EQ(result.outcome, FitOutcome::unchanged);
        EXPECT_FALSE(result.plan.changesPicture());
        EXPECT_TRUE(result.jpeg.empty());
    }
    // The plan alone tells, from the size.
    EXPECT_FALSE(planFit({320, 200}, request(screenFitBox)).changesPicture());
    EXPECT_TRUE(planFit({320, 200}, request({319, 900})).changesPicture());
    EXPECT_TRUE(planFit({320, 200}, request(screenFitBox, 90, 3)).changesPicture());
}

TEST_F(FitSmallPicture, BmpPicturesAreFittedAsTheWindowShowsThem) {
    const struct { const char* name; const char* options; } kinds[] = {
        {"24-bit", "BMP3:"},
        {"8-bit palette", "-colors 200 -type palette -compress None BMP3:"},
        {"4-bit palette", "-colors 16 -type palette -compress None BMP3:"},
        {"32-bit", "-define bmp3:alpha=true -alpha set BMP3:"},
    };
    test::writePpm(folder.path("picture.ppm"), stored);
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const auto bmp = folder.path("picture.bmp");
        ASSERT_TRUE(test::runCommand("convert " + test::quoted(folder.path("picture.ppm")) + " " + kind.options +
                                     test::quoted(bmp)));
        // ImageMagick's own reading of the file is the picture to compare with.
        ASSERT_TRUE(test::runCommand("convert " + test::quoted(bmp) + " -depth 8 ppm:" +
                                     test::quoted(folder.path("shown.ppm"))));
        const BgrImage expected =
            test::imageMagick(folder, test::readPpm(folder.path("shown.ppm")), "-filter Lanczos -resize '160x100!'");
        // Quality 100, so what is measured is the pixels read more than the encoder's losses
        // (39 to 40 dB, the 4:2:0 chroma of this detailed picture; blue and red exchanged would
        // measure 29 dB, the rows upside down 21 dB).
        const FitResult result = fitPicture(test::readFileBytes(bmp), request({160, 160}, 100));
        ASSERT_EQ(result.outcome, FitOutcome::encoded) << result.problem;
        EXPECT_EQ(result.plan.output, (PictureSize{160, 100}));
        EXPECT_GE(test::psnr(test::decodeWithOurs(result.jpeg), expected), 37.0);
    }
}

TEST_F(FitSmallPicture, APictureTheDecoderStopsInIsFittedAsTheProgramShowsIt) {
    test::Bytes cut(landscape.begin(), landscape.begin() + long(landscape.size() / 2));
    const FitResult result = fitPicture(cut, request({160, 160}));
    ASSERT_EQ(result.outcome, FitOutcome::encoded) << result.problem;
    EXPECT_FALSE(result.decodedWhole);
    // The bottom rows the decoder never reached are black, as in the program.
    const BgrImage fitted = test::decodeWithOurs(result.jpeg);
    ASSERT_EQ(fitted.size(), (PictureSize{160, 100}));
    const uint8_t* bottom = fitted.view().row(99);
    EXPECT_LT(std::accumulate(bottom, bottom + fitted.stride(), 0) / fitted.stride(), 4);
}

TEST(FitPictureRefusals, BadRequestsAndPicturesNoDecoderTakes) {
    const test::Bytes picture = test::Bytes{'B', 'M', 0, 0};
    const struct { const char* name; FitRequest request; test::Bytes bytes; const char* problem; } cases[] = {
        {"quality 0", request(screenFitBox, 0), picture, "the JPEG quality must be 1 to 100"},
        {"quality 101", request(screenFitBox, 101), picture, "the JPEG quality must be 1 to 100"},
        {"orientation 0", request(screenFitBox, 90, 0), picture, "the orientation must be 1 to 8"},
        {"orientation 9", request(screenFitBox, 90, 9), picture, "the orientation must be 1 to 8"},
        {"box 0 x 900", request({0, 900}), picture, "the box must be at least 1 x 1"},
        {"box -1 x -1", request({-1, -1}), picture, "the box must be at least 1 x 1"},
        {"PNG bytes", request(screenFitBox), test::Bytes{0x89, 'P', 'N', 'G'}, "not a JPEG or BMP picture"},
        {"broken BMP", request(screenFitBox), picture, "the BMP picture cannot be read"},
        {"JPEG without a frame", request(screenFitBox), test::Bytes{0xFF, 0xD8, 0xFF, 0xD9},
         "the JPEG picture cannot be decoded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FitResult result = fitPicture(c.bytes, c.request);
        EXPECT_EQ(result.outcome, FitOutcome::failed);
        EXPECT_EQ(result.problem, c.problem);
        EXPECT_TRUE(result.jpeg.empty());
    }
}

}  // namespace
}  // namespace vistello
