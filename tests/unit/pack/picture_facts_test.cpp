#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "check/bmp_facts.h"
#include "check/jpeg_facts.h"
#include "check/window_fit.h"

namespace vistello::tools {
namespace {

// JPEG segments, byte by byte.
struct Jpeg {
    Jpeg() { raw({0xFF, 0xD8}); }
    std::vector<uint8_t> bytes;
    Jpeg& segment(uint8_t marker, const std::vector<uint8_t>& body) {
        const size_t length = body.size() + 2;
        for (const uint8_t byte : {uint8_t(0xFF), marker, uint8_t(length >> 8), uint8_t(length)}) bytes.push_back(byte);
        return raw(body);
    }
    Jpeg& raw(const std::vector<uint8_t>& more) {
        for (const uint8_t byte : more) bytes.push_back(byte);
        return *this;
    }
    Jpeg& raw(std::initializer_list<int> more) {
        for (const int byte : more) bytes.push_back(uint8_t(byte));
        return *this;
    }
};

// SOF with P = 8, 16 x 8, three components: Y 2x2 (table 0), Cb and Cr 1x1 (table 1).
const std::vector<uint8_t> frame420 = {8, 0, 8, 0, 16, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
const std::vector<uint8_t> scanAll = {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
const std::vector<uint8_t> adobe0 = {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 0};

TEST(JpegFacts, ReadsTheFrameAndWhatSurroundsIt) {
    std::vector<uint8_t> adobe = adobe0;
    adobe.back() = 2;
    Jpeg jpeg;
    jpeg.segment(0xEE, adobe).segment(0xDD, {0, 5}).segment(0xC2, frame420).segment(0xCC, {0, 0x11});
    jpeg.segment(0xDA, scanAll).raw({0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56, 0xFF, 0xD1, 0x78});
    jpeg.segment(0xDA, {1, 1, 0x00, 1, 5, 0x21}).raw({0x9A, 0xFF, 0xD9});
    const JpegFacts facts = readJpegFacts(jpeg.bytes);
    ASSERT_TRUE(facts.hasFrame);
    EXPECT_EQ(facts.frameMarker, 0xC2);
    EXPECT_EQ(facts.precision, 8);
    EXPECT_EQ(facts.width, 16);
    EXPECT_EQ(facts.height, 8);
    ASSERT_EQ(facts.components.size(), 3u);
    EXPECT_EQ(facts.components[0].h, 2);
    EXPECT_EQ(facts.components[0].v, 2);
    EXPECT_EQ(facts.components[2].quantTable, 1);
    EXPECT_TRUE(facts.hasAdobeSegment);
    EXPECT_EQ(facts.adobeTransform, 2);
    EXPECT_TRUE(facts.hasArithmeticTables);
    EXPECT_EQ(facts.restartInterval, 5);
    ASSERT_EQ(facts.scans.size(), 2u);
    EXPECT_EQ(facts.scans[0].restartMarkers, 2u) << "RST0 and RST1; FF 00 is a stuffed byte";
    EXPECT_EQ(facts.scans[1].spectralStart, 1);
    EXPECT_EQ(facts.scans[1].spectralEnd, 5);
    EXPECT_EQ(facts.scans[1].approxHigh, 2);
    EXPECT_EQ(facts.scans[1].approxLow, 1);
    EXPECT_TRUE(facts.hasEndOfImage);
    EXPECT_FALSE(facts.cutShort);
}

TEST(JpegFacts, TellsWhereTheDataEnds) {
    Jpeg inScan;
    inScan.segment(0xC0, frame420).segment(0xDA, scanAll).raw({1, 2, 3});
    const JpegFacts scanCut = readJpegFacts(inScan.bytes);
    EXPECT_TRUE(scanCut.cutShort);
    ASSERT_EQ(scanCut.scans.size(), 1u);
    EXPECT_TRUE(scanCut.scans[0].cutShort);

    Jpeg inSegment;
    inSegment.segment(0xC0, frame420).segment(0xDA, scanAll).raw({1, 0xFF, 0xC4, 0, 40, 1});
    const JpegFacts segmentCut = readJpegFacts(inSegment.bytes);
    EXPECT_TRUE(segmentCut.cutShort);
    EXPECT_FALSE(segmentCut.scans[0].cutShort);

    for (size_t length = 0; length < inScan.bytes.size(); ++length) {
        const std::vector<uint8_t> prefix(inScan.bytes.begin(), inScan.bytes.begin() + std::ptrdiff_t(length));
        const JpegFacts facts = readJpegFacts(prefix);
        EXPECT_FALSE(facts.hasEndOfImage);
        EXPECT_LE(facts.components.size(), 3u);
    }
}

std::vector<uint8_t> bmpHeader(uint32_t headerSize, int32_t height, uint16_t bits, uint32_t compression, uint32_t dataOffset) {
    std::vector<uint8_t> b(dataOffset + 16, 0);
    const auto u32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i)); };
    b[0] = 'B';
    b[1] = 'M';
    u32(10, dataOffset);
    u32(14, headerSize);
    u32(18, 2);
    u32(22, uint32_t(height));
    b[28] = uint8_t(bits);
    u32(30, compression);
    u32(54, 0xF800);
    u32(58, 0x07E0);
    u32(62, 0x001F);
    return b;
}

TEST(BmpFacts, ReadsHeadersAndWhereTheMasksAre) {
    BmpFacts facts;
    ASSERT_TRUE(readBmpFacts(bmpHeader(40, -3, 16, 3, 66), facts));
    EXPECT_EQ(facts.headerSize, 40u);
    EXPECT_EQ(facts.height, -3);
    EXPECT_EQ(facts.bitCount, 16);
    EXPECT_TRUE(facts.hasMasks);
    EXPECT_EQ(facts.greenMask, 0x07E0u);
    ASSERT_TRUE(readBmpFacts(bmpHeader(40, 3, 16, 3, 54), facts));
    EXPECT_FALSE(facts.hasMasks) << "pixels start right behind the header: there are no masks";
    ASSERT_TRUE(readBmpFacts(bmpHeader(124, 3, 16, 3, 138), facts));
    EXPECT_TRUE(facts.hasMasks) << "a version 5 header carries them";
    EXPECT_FALSE(readBmpFacts(std::vector<uint8_t>{'B', 'M', 0, 0}, facts));
    EXPECT_FALSE(readBmpFacts(std::vector<uint8_t>(60, 0xFF), facts)) << "no BM, no BMP";
}

// The program centres a window on the whole screen (its first, bare frame a little above the
// middle), so on a 1920 x 1080 screen with a 40-pixel taskbar a centred window stays clear of
// the taskbar up to 995 rows of picture under a title bar; in a top corner the whole 1040 rows
// above the taskbar are free.
TEST(WindowFit, FitsUpToTheWorkAreaAndSaysWhereABiggerWindowGoes) {
    const WindowSettings centred{0, 3};
    EXPECT_EQ(windowFitWarning(1914, 995, centred), "");
    const std::string wide = windowFitWarning(1915, 995, centred);
    EXPECT_NE(wide.find("its sides beyond the screen's edges"), std::string::npos) << wide;
    EXPECT_NE(wide.find("a picture of at most 1914 x 995 pixels fits"), std::string::npos) << wide;
    EXPECT_NE(windowFitWarning(1914, 996, centred).find("1 pixel rows under the taskbar"), std::string::npos);
    const std::string tall = windowFitWarning(800, 1200, centred);
    EXPECT_NE(tall.find("opens centred with its title bar above the top of the screen"), std::string::npos) << tall;
    EXPECT_EQ(windowFitWarning(1914, 994, {-1, 3}), "");
    EXPECT_NE(windowFitWarning(1914, 995, {-1, 3}), "") << "centring moves a window without title bar differently";
    EXPECT_EQ(windowFitWarning(800, 1015, {0, 1}), "");
    const std::string corner = windowFitWarning(800, 1030, {0, 1});
    EXPECT_NE(corner.find("opens at the top-left with 15 pixel rows under the taskbar"), std::string::npos) << corner;
    EXPECT_NE(windowFitWarning(800, 1030, {0, 4}).find("title bar above the top"), std::string::npos)
        << "a bottom corner sits on the taskbar, so a tall window rises off the top";
}

}  // namespace
}  // namespace vistello::tools
