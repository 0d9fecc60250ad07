// Restart intervals: placement of every interval, resynchronisation after corrupt data and
// lost markers.
#include <gtest/gtest.h>

#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

std::vector<size_t> restartMarkerOffsets(const Bytes& jpeg) {
    std::vector<size_t> offsets;
    for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xD0 && jpeg[i + 1] <= 0xD7) offsets.push_back(i);
    }
    return offsets;
}

// Pixels in picture rows [top, bottom) are the same in both pictures.
bool rowsEqual(const DecodedPicture& a, const DecodedPicture& b, uint32_t top, uint32_t bottom) {
    for (uint32_t y = top; y < bottom; ++y) {
        for (uint32_t x = 0; x < a.width; ++x) {
            if (!std::equal(a.pixel(x, y), a.pixel(x, y) + 3, b.pixel(x, y))) return false;
        }
    }
    return true;
}

bool rowsBlack(const DecodedPicture& a, uint32_t top, uint32_t bottom) {
    for (uint32_t y = top; y < bottom; ++y) {
        for (uint32_t x = 0; x < a.width; ++x) {
            if (a.pixel(x, y)[0] != 0 || a.pixel(x, y)[1] != 0 || a.pixel(x, y)[2] != 0) return false;
        }
    }
    return true;
}

// Restart markers change nothing in the coefficients, so a file with restart intervals decodes
// to exactly the same DIB as the file without them.
TEST(JpegRestart, IntervalsLandAtTheirPlaces) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    const struct { const char* name; uint32_t width, height; const char* sampling; const char* restart; bool grey; } cases[] = {
        {"4:2:0, one MCU row (13 MCUs)", 200, 40, "2x2", "13B", false},
        {"4:2:0, 5 MCUs: the third interval crosses into the second row", 200, 40, "2x2", "5B", false},
        {"4:2:0, every MCU: RST numbers wrap after RST7", 200, 40, "2x2", "1B", false},
        {"4:2:0, 40 MCUs: longer than a row", 200, 60, "2x2", "40B", false},
        {"4:4:4, 7 MCUs, total not a multiple", 72, 40, "1x1", "7B", false},
        {"4:2:2, one row", 123, 77, "2x1", "1", false},
        {"1x2, 3 MCUs", 70, 50, "1x2", "3B", false},
        {"greyscale, 4 blocks", 65, 33, "1x1", "4B", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string base = std::string("-quality 90 -sample ") + c.sampling;
        const Bytes plain = makeJpeg(c.width, c.height, base, c.grey);
        const Bytes restarted = makeJpeg(c.width, c.height, base + " -restart " + c.restart, c.grey);
        ASSERT_FALSE(restartMarkerOffsets(restarted).empty());
        const DecodedPicture expected = decodePicture(plain);
        const DecodedPicture actual = decodePicture(restarted);
        EXPECT_EQ(actual.result, 1);
        EXPECT_TRUE(actual.dib == expected.dib);
    }
}

TEST(JpegRestart, ScansOfOneComponentWithRestartIntervals) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "jpegtran missing";
    const std::string script = scratchPath("one_component_scans.txt");
    writeFile(script, Bytes{'0', ';', '1', ';', '2', ';', '\n'});
    const Bytes baseline = makeJpeg(90, 50, "-quality 90 -sample 2x2");
    const Bytes plain = jpegtran(baseline, "-scans " + script);
    for (const char* restart : {"1", "2B", "1B", "11B"}) {
        SCOPED_TRACE(restart);
        const Bytes restarted = jpegtran(baseline, "-scans " + script + " -restart " + restart);
        ASSERT_FALSE(restartMarkerOffsets(restarted).empty());
        const DecodedPicture actual = decodePicture(restarted);
        EXPECT_EQ(actual.result, 1);
        EXPECT_TRUE(actual.dib == decodePicture(plain).dib);
    }
}

class JpegRestartDamage : public ::testing::Test {
protected:
    void SetUp() override {
        if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
        // 200 x 40, 4:2:0: 13 x 3 MCUs, one interval per MCU row, markers RST0 and RST1.
        clean = makeJpeg(200, 40, "-quality 90 -sample 2x2 -restart 13B");
        markers = restartMarkerOffsets(clean);
        ASSERT_EQ(markers.size(), 2u);
        reference = decodePicture(clean);
        ASSERT_EQ(reference.result, 1);
    }
    Bytes clean;
    std::vector<size_t> markers;
    DecodedPicture reference;
};

TEST_F(JpegRestartDamage, CorruptIntervalSpoilsOnlyItsRow) {
    for (size_t offset : {size_t(4), size_t(40), size_t(200)}) {
        SCOPED_TRACE(offset);
        Bytes damaged = clean;
        const size_t start = markers[0] + 2 + offset;
        ASSERT_LT(start + 8, markers[1]);
        for (size_t i = start; i < start + 8; ++i) damaged[i] = damaged[i] == 0xFF ? 0xFF : uint8_t(damaged[i] ^ 0x5A);
        const DecodedPicture picture = decodePicture(damaged);
        EXPECT_EQ(picture.result, 1);
        EXPECT_TRUE(rowsEqual(picture, reference, 0, 16));
        EXPECT_TRUE(rowsEqual(picture, reference, 32, 40));
        EXPECT_FALSE(rowsEqual(picture, reference, 16, 32));
        const DecodedPicture slow = decodePicture(damaged, EntropyPath::reference);
        EXPECT_TRUE(slow.dib == picture.dib);
    }
}

TEST_F(JpegRestartDamage, LostMarkerCostsOneInterval) {
    // Without RST0 the first interval still decodes, the marker after it is RST1: the second
    // interval counts as lost and the data after RST1 goes to the third row.
    Bytes damaged = clean;
    damaged.erase(damaged.begin() + long(markers[0]), damaged.begin() + long(markers[0] + 2));
    const DecodedPicture picture = decodePicture(damaged);
    EXPECT_EQ(picture.result, 1);
    EXPECT_TRUE(rowsEqual(picture, reference, 0, 16));
    EXPECT_TRUE(rowsBlack(picture, 16, 32));
    EXPECT_TRUE(rowsEqual(picture, reference, 32, 40));
}

TEST_F(JpegRestartDamage, BrokenMarkerSequencesEndCleanly) {
    const struct { const char* name; uint8_t first, second; } cases[] = {
        {"both RST0", 0xD0, 0xD0},
        {"RST7 then RST2", 0xD7, 0xD2},
        {"RST1 first", 0xD1, 0xD1},
        {"a non-RST marker in place of RST0", 0xC4, 0xD1},
        {"EOI in place of RST0", 0xD9, 0xD1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes damaged = clean;
        damaged[markers[0] + 1] = c.first;
        damaged[markers[1] + 1] = c.second;
        const DecodedPicture fast = decodePicture(damaged);
        const DecodedPicture slow = decodePicture(damaged, EntropyPath::reference);
        EXPECT_TRUE(fast.guardsIntact);
        EXPECT_EQ(fast.result, slow.result);
        EXPECT_TRUE(fast.dib == slow.dib);
        EXPECT_TRUE(rowsEqual(fast, reference, 0, 16));
    }
}

}  // namespace
}  // namespace vistello::testing
