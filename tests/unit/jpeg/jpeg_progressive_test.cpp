// Progressive frames: equality with the sequential equivalent, successive approximation,
// the extra-block walk, out-of-range parameters, the caps, and early ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "jpeg/jpeg_arith.h"
#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_tables.h"
#include "jpeg_stream_builder.h"
#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

// jpegtran -progressive keeps the coefficients, so the progressive file must give the same
// picture as its baseline source: blue and red exactly, green within one level (the two
// paths divide the green products differently).
TEST(JpegProgressive, SameAsTheBaselineEquivalent) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    const CjpegPicture cases[] = {
        {"4:2:0 width 20: extra block at each row end", 20, 18, "2x2", false},
        {"4:2:0 width 28: no extra block", 28, 18, "2x2", false},
        {"4:2:0 width 200", 200, 40, "2x2", false},
        {"4:2:2 width 20", 20, 9, "2x1", false},
        {"4:4:4", 33, 17, "1x1", false},
        {"1x2", 45, 35, "1x2", false},
        {"greyscale", 50, 31, "1x1", true},
        {"greyscale declared 2x2, width 20", 20, 20, "2x2", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes baseline = makeJpeg(c.width, c.height, std::string("-quality 85 -sample ") + c.sampling, c.grey);
        const Bytes progressive = jpegtran(baseline, "-progressive");
        ASSERT_FALSE(progressive.empty());
        const DecodedPicture expected = decodePicture(baseline);
        const DecodedPicture actual = decodePicture(progressive);
        EXPECT_EQ(actual.result, 1);
        EXPECT_EQ(actual.titles, std::vector<std::string>{progressiveTitleText});
        for (uint32_t y = 0; y < c.height; ++y) {
            for (uint32_t x = 0; x < c.width; ++x) {
                const uint8_t* a = actual.pixel(x, y);
                const uint8_t* e = expected.pixel(x, y);
                ASSERT_EQ(a[0], e[0]) << x << "," << y;
                ASSERT_EQ(a[2], e[2]) << x << "," << y;
                ASSERT_LE(std::abs(a[1] - e[1]), 1) << x << "," << y;
            }
        }
    }
}

constexpr uint8_t quantiser = 8;   // stored DC entry 1024: sample = 128 + DC

struct ProgressiveGrey {
    StreamBuilder stream;
    ProgressiveGrey() { stream.soi().dqt(0, quantiser).sof(0xC2, 8, 8, {{1, 1, 1, 0}}).flatTables(); }
    ProgressiveGrey& scan(uint8_t ss, uint8_t se, uint8_t ah, uint8_t al, BitWriter bits) {
        stream.sos({{1, 0x00}}, ss, se, static_cast<uint8_t>(ah << 4 | al)).raw(bits.finish());
        return *this;
    }
    Bytes finish() { return stream.eoi().bytes; }
};

std::vector<uint8_t> greyOf(const int32_t coefficients[64]) {
    int32_t quant[64];
    for (int n = 0; n < 64; ++n) quant[n] = foldQuantiser(quantiser, idctScale[n]);
    int32_t block[64];
    std::copy(coefficients, coefficients + 64, block);
    transformBlock(block, quant, 131072);
    std::vector<uint8_t> grey(64);
    for (int n = 0; n < 64; ++n) grey[n] = clampToByte(block[n]);
    return grey;
}

TEST(JpegProgressive, RefinementMovesNegativeCoefficients) {
    const struct {
        const char* name;
        uint32_t dcRefineBit;
        uint32_t acCorrectionBit;
        int32_t dc;
        int32_t ac;
    } cases[] = {
        // DC -3 << 1 = -6; a DC refinement bit adds 2^Al = 1 whatever the sign.
        // AC first pass with Al = 1, s = 1, bit 0: -1 << 1 = -2; a correction bit of 1 moves it
        // away from zero by 2^0.
        {"both bits 1", 1, 1, -5, -3},
        {"both bits 0", 0, 0, -6, -2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgressiveGrey file;
        BitWriter dcFirst;
        putDc(dcFirst, 2, magnitudeBits(-3, 2));
        BitWriter acFirst;
        putAc(acFirst, 0, 1, 0);   // -1 at k = 1
        putAc(acFirst, 0, 0, 0);   // EOB: EOBRUN 1
        BitWriter dcRefine;
        dcRefine.put(c.dcRefineBit, 1);
        BitWriter acRefine;
        putAc(acRefine, 0, 0, 0);  // EOB at k = 1: correct the non-zero coefficients of the band
        acRefine.put(c.acCorrectionBit, 1);
        file.scan(0, 0, 0, 1, dcFirst).scan(1, 63, 0, 1, acFirst).scan(0, 0, 1, 0, dcRefine).scan(1, 63, 1, 0, acRefine);
        const DecodedPicture picture = decodeInto(file.finish(), 8, 8);
        EXPECT_EQ(picture.result, 1);
        int32_t coefficients[64] = {};
        coefficients[0] = c.dc;
        coefficients[1] = c.ac;
        const std::vector<uint8_t> grey = greyOf(coefficients);
        for (uint32_t n = 0; n < 64; ++n) ASSERT_EQ(picture.pixel(n % 8, n / 8)[0], grey[n]) << n;
    }
}

TEST(JpegProgressive, ParametersOutOfRangeEndTheDecodeCleanly) {
    const struct { const char* name; uint8_t ss, se, ahAl; } cases[] = {
        {"Se 64", 1, 64, 0x00}, {"Se 255", 0, 255, 0x00}, {"Ss above Se", 9, 3, 0x00},
        {"DC scan with Ss 1", 1, 0, 0x00}, {"Al 15", 1, 63, 0x0F}, {"Ah 15 Al 15", 1, 63, 0xFF},
        {"Ah 15 on a DC scan", 0, 0, 0xF0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StreamBuilder s;
        s.soi().dqt(0, 255).sof(0xC2, 16, 16, {{1, 1, 1, 0}}).flatTables();
        BitWriter bits;
        putDc(bits, 15, 0x7FFF);
        for (int i = 0; i < 40; ++i) putAc(bits, 0, 15, 0x4000 + uint32_t(i));
        s.sos({{1, 0x00}}, c.ss, c.se, c.ahAl).raw(bits.finish()).eoi();
        const DecodedPicture fast = decodeInto(s.bytes, 16, 16);
        const DecodedPicture slow = decodeInto(s.bytes, 16, 16, EntropyPath::reference);
        EXPECT_TRUE(fast.guardsIntact);
        EXPECT_EQ(fast.result, slow.result);
        EXPECT_TRUE(fast.dib == slow.dib);
    }
}

// A DC that leaves 16 bits (32767 + 32767) has the frame decoded again with 32-bit stores: the
// second block shows the true DC, not its 16-bit remainder, and the caption and the message of
// the broken table that ends the frame come once each, as with 32-bit stores from the start.
TEST(JpegProgressive, CoefficientsBeyondSixteenBitsAreKept) {
    StreamBuilder s;
    s.soi().dqt(0, quantiser).sof(0xC2, 16, 8, {{1, 1, 1, 0}}).flatTables();
    BitWriter dc;
    putDc(dc, 15, 0x7FFF);   // block 0: 32767
    putDc(dc, 15, 0x7FFF);   // block 1: 32767 + 32767 = 65534
    s.sos({{1, 0x00}}, 0, 0, 0x00).raw(dc.finish());
    s.segment(0xC4, {0x25});   // a table of class 2: "invalid file", and the frame ends
    s.eoi();
    const DecodedPicture narrow = decodeInto(s.bytes, 16, 8);
    const DecodedPicture wide = decodeInto(s.bytes, 16, 8, EntropyPath::fast,
                                           [](JpegDecoder& decoder) { decoder.narrowCoefficientStores = false; });
    EXPECT_EQ(narrow.result, 0);
    EXPECT_EQ(narrow.titles, std::vector<std::string>{progressiveTitleText});
    EXPECT_EQ(narrow.messages, std::vector<std::string>{invalidFileText});
    EXPECT_EQ(narrow.titles, wide.titles);
    EXPECT_EQ(narrow.messages, wide.messages);
    EXPECT_TRUE(narrow.dib == wide.dib);
    // 128 + 65534 clamps to 255; the 16-bit remainder -2 would give 126.
    EXPECT_EQ(narrow.pixel(8, 0)[0], 255);
    EXPECT_EQ(narrow.pixel(0, 0)[0], 255);
}

TEST(JpegProgressive, ThousandsOfScansStopAtTheCap) {
    // 64 x 64 grey, then 5000 DC refinement scans of 64 bits each.
    StreamBuilder s;
    s.soi().dqt(0, 8).sof(0xC2, 64, 64, {{1, 1, 1, 0}}).flatTables();
    BitWriter first;
    for (int b = 0; b < 64; ++b) putDc(first, 0, 0);
    s.sos({{1, 0x00}}, 0, 0, 0x01).raw(first.finish());
    for (int scan = 0; scan < 5000; ++scan) {
        BitWriter bits;
        bits.put(0xAAAAAAAA, 32);
        bits.put(0x55555555, 32);
        s.sos({{1, 0x00}}, 0, 0, 0x10).raw(bits.finish());
    }
    s.eoi();
    const auto start = std::chrono::steady_clock::now();
    const DecodedPicture picture = decodeInto(s.bytes, 64, 64);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
    EXPECT_EQ(picture.result, 0);   // the scans beyond the cap were not decoded
    // 1000 scans: blocks with bit 1 in every scan reach DC 1000 (sample 255), the others 0
    // (sample 128).
    EXPECT_EQ(picture.pixel(0, 0)[0], 255);
    EXPECT_EQ(picture.pixel(8, 0)[0], 128);
}

TEST(JpegProgressive, EarlyEndsKeepWhatArrived) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    const Bytes full = makeJpeg(64, 48, "-quality 90 -progressive");
    std::vector<size_t> scanStarts;
    for (size_t i = 0; i + 1 < full.size(); ++i) {
        if (full[i] == 0xFF && full[i + 1] == 0xDA) scanStarts.push_back(i);
    }
    ASSERT_GE(scanStarts.size(), 4u);
    // Cut in the middle of the third scan: the picture is there, but the decode failed.
    const Bytes cut(full.begin(), full.begin() + long((scanStarts[2] + scanStarts[3]) / 2));
    const DecodedPicture picture = decodePicture(cut);
    EXPECT_EQ(picture.result, 0);
    const RgbPicture reference = referenceDecode(full);
    EXPECT_GT(psnr(picture, reference), 15.0);

    // Restart markers are not resynchronised inside progressive scans: the decode ends at the
    // first RSTn with what was decoded before it.
    const Bytes restarted = jpegtran(makeJpeg(64, 48, "-quality 90"), "-progressive -restart 1");
    const DecodedPicture stopped = decodePicture(restarted);
    EXPECT_EQ(stopped.result, 0);
    EXPECT_NE(stopped.pixel(0, 0)[0] | stopped.pixel(0, 0)[1] | stopped.pixel(0, 0)[2], 0);
}

// The end stage may run on two threads, each finishing half of the MCU rows, and the pages of
// large stores are mapped by two threads before the first scan. Whatever the
// frame (one, two or an odd number of MCU rows, greyscale, 2x1 and 2x2 sampling), the DIB it
// is written into (padded, smaller or larger than the frame) and however the stream ends
// (complete, cut short, damaged), the split must give the bytes and the result of the one-thread
// end stage, and nothing outside the DIB may be written.
TEST(JpegProgressive, TwoThreadEndStageGivesTheOneThreadBytes) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    const CjpegPicture pictures[] = {
        {"4:2:0, one MCU row", 70, 16, "2x2", false},
        {"4:2:0, two MCU rows, extra block at each row end", 20, 32, "2x2", false},
        {"4:2:0, five MCU rows, partial last row", 57, 75, "2x2", false},
        {"4:2:0, 40 x 30 MCUs: stores large enough to be mapped ahead", 640, 480, "2x2", false},
        {"2x1, seven MCU rows", 39, 53, "2x1", false},
        {"1x2, three MCU rows", 45, 35, "1x2", false},
        {"4:4:4, three MCU rows", 33, 17, "1x1", false},
        {"greyscale, four block rows, partial last row", 50, 31, "1x1", true},
        {"greyscale declared 2x2, one MCU row", 20, 9, "2x2", true},
        {"greyscale, one block row", 30, 8, "1x1", true},
    };
    const struct { const char* name; int32_t widthChange, heightChange; } dibs[] = {
        {"padded DIB", 0, 0},
        {"DIB smaller than the frame", -9, -13},
        {"DIB larger than the frame", 24, 40},
    };
    const DecoderSetUp oneThread = [](JpegDecoder& decoder) { decoder.threads = 1; };
    const DecoderSetUp twoThreads = [](JpegDecoder& decoder) {
        decoder.threads = 2;
        decoder.threadedMinimumPixels = 0;
    };
    const DecoderSetUp defaults = [](JpegDecoder&) {};
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.name);
        const Bytes complete = makeJpeg(picture.width, picture.height,
                                        std::string("-quality 85 -progressive -sample ") + picture.sampling, picture.grey);
        ASSERT_FALSE(complete.empty());
        const DecodedPicture probed = decodePicture(complete);
        ASSERT_TRUE(probed.probed);
        ASSERT_EQ(probed.result, 1);
        size_t firstScan = 0;
        while (firstScan + 1 < complete.size() && !(complete[firstScan] == 0xFF && complete[firstScan + 1] == 0xDA)) ++firstScan;
        ASSERT_LT(firstScan + 1, complete.size());
        Bytes damaged = complete;
        damaged[damaged.size() * 2 / 3] ^= 0x5A;
        const struct { const char* name; Bytes jpeg; } streams[] = {
            {"complete", complete},
            {"cut inside the first scan", Bytes(complete.begin(), complete.begin() + long(std::min(complete.size(), firstScan + 40)))},
            {"cut at 40 %", Bytes(complete.begin(), complete.begin() + long(complete.size() * 2 / 5))},
            {"cut at 80 %", Bytes(complete.begin(), complete.begin() + long(complete.size() * 4 / 5))},
            {"without EOI", Bytes(complete.begin(), complete.end() - 2)},
            {"damaged byte", damaged},
        };
        for (const auto& stream : streams) {
            SCOPED_TRACE(stream.name);
            for (const auto& dib : dibs) {
                SCOPED_TRACE(dib.name);
                const int32_t width = std::max(1, probed.paddedWidth + dib.widthChange);
                const int32_t height = std::max(1, probed.paddedHeight + dib.heightChange);
                const DecodedPicture single = decodeInto(stream.jpeg, width, height, EntropyPath::fast, oneThread);
                for (const DecoderSetUp* setUp : {&twoThreads, &defaults}) {
                    const DecodedPicture split = decodeInto(stream.jpeg, width, height, EntropyPath::fast, *setUp);
                    EXPECT_EQ(split.result, single.result);
                    EXPECT_TRUE(split.guardsIntact);
                    EXPECT_TRUE(split.dib == single.dib);
                }
            }
        }
    }
}

// Many refinement scans, each band split differently, so that blocks inside end-of-band runs
// have non-zero coefficients before, inside and after the band: the fast walk, which stops
// after the band's last non-zero coefficient, must give the reference path's bytes, result and
// messages, with 16-bit and 32-bit stores, whole, cut and damaged.
TEST(JpegProgressive, RefinementScansMatchTheReferencePath) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    const std::string script = scratchPath("refinement_scans.txt");
    const char* scans =
        "0,1,2: 0-0, 0, 2;\n0,1,2: 0-0, 2, 1;\n0: 1-5, 0, 3;\n1: 1-63, 0, 2;\n2: 1-63, 0, 2;\n"
        "0: 6-63, 0, 3;\n0: 1-63, 3, 2;\n0: 1-9, 2, 1;\n0: 10-63, 2, 1;\n1: 1-63, 2, 1;\n"
        "2: 1-30, 2, 1;\n2: 31-63, 2, 1;\n0,1,2: 0-0, 1, 0;\n0: 1-20, 1, 0;\n0: 21-63, 1, 0;\n"
        "1: 1-63, 1, 0;\n2: 1-63, 1, 0;\n";
    ASSERT_TRUE(writeFile(script, Bytes(scans, scans + std::strlen(scans))));
    const struct { const char* name; uint32_t width, height; const char* options; } pictures[] = {
        {"4:2:0 quality 95", 96, 80, "-quality 95 -sample 2x2"},
        {"4:4:4 quality 60", 72, 40, "-quality 60 -sample 1x1"},
        {"4:2:0 quality 100, width 20", 20, 36, "-quality 100 -sample 2x2"},
    };
    const DecoderSetUp narrow = [](JpegDecoder& decoder) { decoder.threads = 1; };
    const DecoderSetUp wide = [](JpegDecoder& decoder) {
        decoder.threads = 1;
        decoder.narrowCoefficientStores = false;
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.name);
        const Bytes complete = makeJpeg(picture.width, picture.height, std::string(picture.options) + " -scans " + script);
        ASSERT_FALSE(complete.empty());
        Bytes damaged = complete;
        damaged[damaged.size() * 3 / 4] ^= 0x21;
        const struct { const char* name; Bytes jpeg; } streams[] = {
            {"complete", complete},
            {"cut at 55 %", Bytes(complete.begin(), complete.begin() + long(complete.size() * 11 / 20))},
            {"cut at 90 %", Bytes(complete.begin(), complete.begin() + long(complete.size() * 9 / 10))},
            {"damaged byte", damaged},
        };
        for (const auto& stream : streams) {
            SCOPED_TRACE(stream.name);
            const DecodedPicture probed = decodePicture(complete);
            ASSERT_EQ(probed.result, 1);
            const DecodedPicture expected =
                decodeInto(stream.jpeg, probed.paddedWidth, probed.paddedHeight, EntropyPath::reference, wide);
            for (const DecoderSetUp* setUp : {&narrow, &wide}) {
                const DecodedPicture actual =
                    decodeInto(stream.jpeg, probed.paddedWidth, probed.paddedHeight, EntropyPath::fast, *setUp);
                EXPECT_EQ(actual.result, expected.result);
                EXPECT_EQ(actual.messages, expected.messages);
                EXPECT_TRUE(actual.dib == expected.dib);
            }
        }
    }
}

// Complete AC tables, so that every bit pattern is a symbol: table 0 with 255 symbols (every
// run and size; EOB with 7 bits), table 1 with 32 symbols of 5 bits whose sizes stay at 1 and
// 2, so that its coefficients fit 16-bit stores, and whose end-of-band runs are short (EOB,
// EOB1), so that its scans reach every block.
void completeAcTables(StreamBuilder& stream) {
    Bytes wideCounts(16, 0);
    wideCounts[6] = 1;
    wideCounts[7] = 254;
    Bytes wideValues;
    for (int symbol = 0; symbol < 255; ++symbol) wideValues.push_back(static_cast<uint8_t>(symbol));
    stream.dht(0x10, wideCounts, wideValues);
    Bytes smallCounts(16, 0);
    smallCounts[4] = 32;
    Bytes smallValues{0x00, 0xF0, 0x10};
    for (uint8_t run = 0; run < 16; ++run) smallValues.push_back(static_cast<uint8_t>(run << 4 | 1));
    for (uint8_t run = 0; run < 13; ++run) smallValues.push_back(static_cast<uint8_t>(run << 4 | 2));
    stream.dht(0x11, smallCounts, smallValues);
}

// Random bits in every AC scan: the walks meet every run and size, ZRL, end-of-band runs of
// every length, runs past the band's end, bands that start at 0 or hold one position, and
// values beyond 16 bits. In the first rounds every scan carries far more data than its blocks
// use, so the blocks are read on the fast path; in the last one the data runs out within the
// scans, so the path changes to the reference one within a row of blocks (64 blocks a row).
// Its bytes, result and messages must be the reference path's, with
// 16-bit and 32-bit stores.
TEST(JpegProgressive, RandomAcScansMatchTheReferencePath) {
    struct Scan {
        uint8_t ss, se, ahAl, acTable;
    };
    const struct {
        const char* name;
        std::vector<Scan> scans;
    } scripts[] = {
        {"whole band, refined twice, small sizes", {{1, 63, 0x02, 1}, {1, 63, 0x21, 1}, {1, 63, 0x10, 1}}},
        {"whole band, every size", {{1, 63, 0x01, 0}, {1, 63, 0x10, 0}}},
        {"split bands", {{1, 5, 0x02, 1}, {6, 63, 0x02, 1}, {1, 9, 0x21, 1}, {10, 63, 0x21, 1}, {1, 63, 0x10, 0}}},
        {"bands from 0", {{0, 20, 0x01, 1}, {0, 63, 0x10, 1}, {0, 63, 0x01, 0}}},
        {"one-position bands", {{63, 63, 0x01, 1}, {63, 63, 0x10, 1}, {1, 1, 0x02, 0}, {1, 1, 0x21, 0}}},
        {"refinement with no first scan", {{1, 63, 0x43, 1}, {2, 40, 0x32, 1}}},
    };
    const DecoderSetUp narrow = [](JpegDecoder& decoder) { decoder.threads = 1; };
    const DecoderSetUp wide = [](JpegDecoder& decoder) {
        decoder.threads = 1;
        decoder.narrowCoefficientStores = false;
    };
    std::mt19937 random(20261209);
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.name);
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            StreamBuilder stream;
            stream.soi().dqt(0, 2).sof(0xC2, 512, 16, {{1, 1, 1, 0}}).flatTables();
            completeAcTables(stream);
            BitWriter dc;
            for (int block = 0; block < 128; ++block) putDc(dc, block % 3, block % 2);
            stream.sos({{1, 0x00}}, 0, 0, 0x00).raw(dc.finish());
            for (const Scan& scan : script.scans) {
                BitWriter bits;
                const int words = round < 2 ? 2000 : 100;
                for (int word = 0; word < words; ++word) bits.put(static_cast<uint32_t>(random()), 32);
                stream.sos({{1, scan.acTable}}, scan.ss, scan.se, scan.ahAl).raw(bits.finish());
            }
            const Bytes jpeg = stream.eoi().bytes;
            const DecodedPicture expected = decodeInto(jpeg, 512, 16, EntropyPath::reference, wide);
            for (const DecoderSetUp* setUp : {&narrow, &wide}) {
                const DecodedPicture actual = decodeInto(jpeg, 512, 16, EntropyPath::fast, *setUp);
                EXPECT_EQ(actual.result, expected.result);
                EXPECT_EQ(actual.messages, expected.messages);
                EXPECT_TRUE(actual.dib == expected.dib);
            }
        }
    }
}

}  // namespace
}  // namespace vistello::testing
