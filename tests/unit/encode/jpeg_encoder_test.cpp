#include "encode/jpeg_encoder.h"

#include <gtest/gtest.h>

#include <map>

#include "encode/downscale.h"
#include "encode_test_support.h"
#include "test_pattern.h"

namespace vistello {
namespace {

struct Segment {
    uint8_t code;
    std::vector<uint8_t> payload;  // after the length field
};

// The marker segments before the scan data, then SOS; codes of SOI and EOI as empty segments.
std::vector<Segment> headerSegments(const test::Bytes& jpeg) {
    std::vector<Segment> segments;
    size_t at = 0;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        const uint8_t code = jpeg[at + 1];
        if (code == 0xD8) {
            segments.push_back({code, {}});
            at += 2;
            continue;
        }
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (length < 2 || at + 2 + length > jpeg.size()) break;
        segments.push_back({code, {jpeg.begin() + long(at + 4), jpeg.begin() + long(at + 2 + length)}});
        at += 2 + length;
        if (code == 0xDA) break;
    }
    return segments;
}

// Quantisation tables by number, in the zig-zag order the file holds them.
std::map<int, std::vector<uint8_t>> quantizationTables(const test::Bytes& jpeg) {
    std::map<int, std::vector<uint8_t>> tables;
    for (const Segment& s : headerSegments(jpeg)) {
        if (s.code != 0xDB) continue;
        for (size_t at = 0; at + 65 <= s.payload.size(); at += 65) {
            tables[s.payload[at] & 15] = {s.payload.begin() + long(at + 1), s.payload.begin() + long(at + 65)};
        }
    }
    return tables;
}

test::Bytes encoded(const BgrImage& picture, int32_t quality) {
    test::Bytes jpeg;
    EXPECT_TRUE(encodeJpeg(picture.view(), quality, jpeg));
    return jpeg;
}

TEST(EncodeJpeg, DjpegReadsItWithoutAWarningAndAgreesWithOurDecoder) {
    REQUIRE_REFERENCE_PROGRAMS();
    test::ScratchFolder folder;
    const PictureSize sizes[] = {{1, 1}, {2, 2}, {15, 17}, {16, 16}, {33, 31}, {200, 150}};
    for (const PictureSize size : sizes) {
        for (const int32_t quality : {1, 50, 90, 100}) {
            SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) + " quality " +
                         std::to_string(quality));
            const test::Bytes jpeg = encoded(test::patternPicture(size.width, size.height), quality);
            test::writeFileBytes(folder.path("ours.jpg"), jpeg);
            std::string warnings;
            const BgrImage theirs = test::decodeWithDjpeg(folder.path("ours.jpg"), warnings);
            EXPECT_EQ(warnings, "");
            ASSERT_EQ(theirs.size(), size);
            const BgrImage ours = test::decodeWithOurs(jpeg);
            ASSERT_EQ(ours.size(), size);
            EXPECT_GE(test::psnr(ours, theirs), 40.0);
        }
    }
}

TEST(EncodeJpeg, QuantisationTablesAreThoseCjpegWritesForTheSameQuality) {
    REQUIRE_REFERENCE_PROGRAMS();
    test::ScratchFolder folder;
    const BgrImage picture = test::patternPicture(16, 16);
    for (const int32_t quality : {1, 10, 24, 25, 50, 75, 90, 95, 100}) {
        SCOPED_TRACE("quality " + std::to_string(quality));
        const auto theirs = quantizationTables(test::cjpeg(folder, picture, "-baseline -quality " + std::to_string(quality)));
        ASSERT_EQ(theirs.size(), 2u);
        EXPECT_EQ(quantizationTables(encoded(picture, quality)), theirs);
    }
}

TEST(EncodeJpeg, QualityNinetyIsNoLargerThanCjpegsAndAsFaithful) {
    REQUIRE_REFERENCE_PROGRAMS();
    test::ScratchFolder folder;
    const BgrImage forest = test::decodeWithOurs(test::forestJpeg());
    ASSERT_EQ(forest.width, 1050);
    const struct { const char* name; BgrImage picture; } cases[] = {
        {"photograph 1050 x 700", forest},
        {"photograph reduced to 701 x 467", scaleDown(forest.view(), {701, 467})},
        {"pattern 640 x 480", test::patternPicture(640, 480)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::Bytes ours = encoded(c.picture, 90);
        const test::Bytes theirs = test::cjpeg(folder, c.picture, "-quality 90");
        ASSERT_FALSE(theirs.empty());
        test::writeFileBytes(folder.path("ours.jpg"), ours);
        test::writeFileBytes(folder.path("theirs.jpg"), theirs);
        std::string warnings;
        const double oursPsnr = test::psnr(test::decodeWithDjpeg(folder.path("ours.jpg"), warnings), c.picture);
        const double theirsPsnr = test::psnr(test::decodeWithDjpeg(folder.path("theirs.jpg"), warnings), c.picture);
        std::printf("  %s: ours %zu bytes %.2f dB, cjpeg -quality 90 %zu bytes %.2f dB (size ratio %.3f)\n", c.name,
                    ours.size(), oursPsnr, theirs.size(), theirsPsnr, double(ours.size()) / double(theirs.size()));
        EXPECT_LE(double(ours.size()), 1.25 * double(theirs.size()));
        EXPECT_GE(oursPsnr, theirsPsnr - 0.25);
    }
}

TEST(EncodeJpeg, WritesABaselineJfifFileWithoutOtherSegments) {
    const test::Bytes jpeg = encoded(test::patternPicture(300, 201), 90);
    const std::vector<Segment> segments = headerSegments(jpeg);
    std::vector<uint8_t> codes;
    for (const Segment& s : segments) codes.push_back(s.code);
    EXPECT_EQ(codes, (std::vector<uint8_t>{0xD8, 0xE0, 0xDB, 0xC0, 0xC4, 0xDA}));  // no APP1: no orientation tag
    ASSERT_EQ(segments.size(), 6u);
    EXPECT_EQ(segments[1].payload, (std::vector<uint8_t>{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));
    // 8-bit samples, 201 rows of 300, Y sampled 2 x 2 with table 0, Cb and Cr 1 x 1 with table 1.
    EXPECT_EQ(segments[3].payload, (std::vector<uint8_t>{8, 0, 201, 1, 44, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
    ASSERT_GE(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
}

TEST(EncodeJpeg, RefusesSidesAFrameHeaderCannotHold) {
    test::Bytes jpeg{1, 2, 3};
    const BgrImage wide(65536, 1);
    EXPECT_FALSE(encodeJpeg(wide.view(), 90, jpeg));
    EXPECT_TRUE(jpeg.empty());
    EXPECT_FALSE(encodeJpeg(BgrView{}, 90, jpeg));
    const BgrImage widest(65535, 1);
    EXPECT_TRUE(encodeJpeg(widest.view(), 90, jpeg));
}

}  // namespace
}  // namespace vistello
