// Whole pictures made by the reference encoder decode close to the reference decoder.
// The arithmetic differs by design (scaled integer transform, truncating colour conversion,
// replicated chroma), so the comparison is by PSNR, not byte for byte.
#include <gtest/gtest.h>

#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

constexpr double minimumPsnr = 40.0;

struct PictureCase {
    const char* name;
    uint32_t width;
    uint32_t height;
    const char* cjpegOptions;
    bool grey;
    const char* jpegtranOptions;   // applied after cjpeg when not empty
};

const PictureCase pictureCases[] = {
    {"baseline 4:2:0", 200, 40, "-quality 90 -sample 2x2", false, ""},
    {"baseline 4:2:2", 123, 77, "-quality 90 -sample 2x1", false, ""},
    {"baseline 4:4:4", 96, 64, "-quality 90 -sample 1x1", false, ""},
    {"baseline 4:4:0 (1x2)", 70, 50, "-quality 90 -sample 1x2", false, ""},
    {"greyscale", 65, 33, "-quality 90", true, ""},
    {"greyscale declared 2x2", 41, 29, "-quality 90 -sample 2x2", true, ""},
    {"odd size 17x9 4:2:0", 17, 9, "-quality 90 -sample 2x2", false, ""},
    {"1x1 4:2:0", 1, 1, "-quality 90 -sample 2x2", false, ""},
    {"1x1 greyscale", 1, 1, "-quality 90", true, ""},
    {"quality 100", 48, 48, "-quality 100 -sample 1x1", false, ""},
    {"quality 30 baseline tables", 80, 24, "-quality 30 -baseline", false, ""},
    {"restart every MCU row", 200, 40, "-quality 90 -restart 1", false, ""},
    {"restart every 5 MCUs", 200, 40, "-quality 90 -restart 5B", false, ""},
    {"restart every 40 MCUs (longer than a row)", 200, 60, "-quality 90 -restart 40B", false, ""},
    {"restart every MCU", 37, 21, "-quality 90 -restart 1B", false, ""},
    {"progressive 4:2:0", 200, 40, "-quality 90 -progressive", false, ""},
    {"progressive 4:4:4", 77, 45, "-quality 90 -sample 1x1 -progressive", false, ""},
    {"progressive 4:2:2 width 20", 20, 18, "-quality 90 -sample 2x1 -progressive", false, ""},
    {"progressive 4:2:0 width 20", 20, 18, "-quality 90 -sample 2x2 -progressive", false, ""},
    {"progressive 4:2:0 width 28", 28, 18, "-quality 90 -sample 2x2 -progressive", false, ""},
    {"progressive 4:4:0 (1x2)", 33, 35, "-quality 90 -sample 1x2 -progressive", false, ""},
    {"progressive greyscale", 50, 31, "-quality 90 -progressive", true, ""},
    {"progressive greyscale 2x2", 50, 31, "-quality 90 -sample 2x2 -progressive", true, ""},
    {"progressive 1x1", 1, 1, "-quality 90 -progressive", false, ""},
    {"one component per scan", 90, 50, "-quality 90", false, ""},
    {"Exif and COM segments", 40, 30, "-quality 90", false, ""},
};

Bytes makeCase(const PictureCase& c) {
    Bytes jpeg = makeJpeg(c.width, c.height, c.cjpegOptions, c.grey);
    if (std::string(c.name) == "one component per scan") {
        const std::string script = scratchPath("noninterleaved.txt");
        writeFile(script, Bytes{'0', ';', ' ', '1', ';', ' ', '2', ';', '\n'});
        return jpegtran(jpeg, "-scans " + script);
    }
    if (std::string(c.name) == "Exif and COM segments") {
        // An APP1 segment whose payload is full of FF xx pairs, then a COM segment, after SOI.
        Bytes app1 = {0xFF, 0xE1, 0x00, 0x12, 'E', 'x', 'i', 'f', 0, 0, 0xFF, 0xD9, 0xFF, 0xC0, 0xFF, 0xDA, 0xFF, 0xD8, 0xFF, 0x01};
        Bytes com = {0xFF, 0xFE, 0x00, 0x07, 'h', 'e', 'l', 'l', 'o'};
        jpeg.insert(jpeg.begin() + 2, com.begin(), com.end());
        jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
        return jpeg;
    }
    if (*c.jpegtranOptions != '\0') return jpegtran(jpeg, c.jpegtranOptions);
    return jpeg;
}

TEST(JpegPictures, DecodeCloseToTheReferenceDecoder) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg, djpeg or jpegtran missing";
    for (const PictureCase& c : pictureCases) {
        SCOPED_TRACE(c.name);
        const Bytes jpeg = makeCase(c);
        ASSERT_FALSE(jpeg.empty());
        const DecodedPicture ours = decodePicture(jpeg);
        ASSERT_TRUE(ours.probed);
        EXPECT_EQ(ours.result, 1);
        EXPECT_TRUE(ours.messages.empty());
        const RgbPicture reference = referenceDecode(jpeg);
        ASSERT_EQ(reference.width, c.width);
        const double quality = psnr(ours, reference);
        EXPECT_GE(quality, minimumPsnr) << "PSNR " << quality;
        // Both entropy paths give the same picture.
        const DecodedPicture slow = decodePicture(jpeg, EntropyPath::reference);
        EXPECT_EQ(slow.result, ours.result);
        EXPECT_TRUE(slow.dib == ours.dib);
    }
}

}  // namespace
}  // namespace vistello::testing
