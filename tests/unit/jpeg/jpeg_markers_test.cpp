// Marker segments, frame and scan headers: what is accepted, what is refused and with which
// message, and that broken headers end the decode cleanly.
#include <gtest/gtest.h>

#include <chrono>

#include "jpeg/jpeg_tables.h"
#include "jpeg_stream_builder.h"
#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

const std::string invalid = invalidFileText;
const std::string unsupported = unsupportedFrameText;

// One grey 8 x 8 block: DC +3, EOB (flat tables).
Bytes oneBlock() {
    BitWriter bits;
    putDc(bits, 2, 3);
    putEob(bits);
    return bits.finish();
}

// A complete greyscale stream with room for changes before SOF, in the frame header and before SOS.
struct GreyStream {
    Bytes beforeFrame;
    Bytes frameHeader = {0xFF, 0xC0, 0x00, 0x0B, 8, 0x00, 0x08, 0x00, 0x08, 1, 1, 0x11, 0};
    Bytes beforeScan;
    Bytes scanHeader = {0xFF, 0xDA, 0x00, 0x08, 1, 1, 0x00, 0, 63, 0};
    Bytes build() const {
        StreamBuilder s;
        s.soi().dqt(0, 8).raw(beforeFrame).raw(frameHeader).flatTables().raw(beforeScan).raw(scanHeader).raw(oneBlock()).eoi();
        return s.bytes;
    }
};

DecodedPicture decodeDirect(const Bytes& jpeg) { return decodeInto(jpeg, 64, 64); }

TEST(JpegMarkers, FrameHeaderChecks) {
    const struct {
        const char* name;
        Bytes header;
        int result;
        std::vector<std::string> messages;
    } cases[] = {
        {"valid", {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 0}, 1, {}},
        {"height 0 is accepted", {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 0, 0, 8, 1, 1, 0x11, 0}, 1, {}},
        {"precision 0", {0xFF, 0xC0, 0x00, 0x0B, 0, 0, 8, 0, 8, 1, 1, 0x11, 0}, 0, {invalid}},
        {"precision 1", {0xFF, 0xC0, 0x00, 0x0B, 1, 0, 8, 0, 8, 1, 1, 0x11, 0}, 0, {invalid}},
        {"precision 17", {0xFF, 0xC0, 0x00, 0x0B, 17, 0, 8, 0, 8, 1, 1, 0x11, 0}, 0, {invalid}},
        {"width 0", {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 0, 1, 1, 0x11, 0}, 0, {invalid}},
        {"no components", {0xFF, 0xC0, 0x00, 0x08, 8, 0, 8, 0, 8, 0}, 0, {invalid}},
        {"length not 8 + 3 Nf", {0xFF, 0xC0, 0x00, 0x0C, 8, 0, 8, 0, 8, 1, 1, 0x11, 0, 0}, 0, {invalid}},
        {"length below 8", {0xFF, 0xC0, 0x00, 0x01, 8, 0, 8, 0, 8, 1, 1, 0x11, 0}, 0, {invalid}},
        {"extended sequential (SOF1)", {0xFF, 0xC1, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 0}, 0, {unsupported}},
        {"lossless (SOF3)", {0xFF, 0xC3, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 0}, 0, {unsupported}},
        {"arithmetic (SOF9)", {0xFF, 0xC9, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 0}, 0, {unsupported}},
        {"sampling 0 x 0", {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x00, 0}, 0, {unsupported}},
        {"first component 3 x 1", {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x31, 0}, 0, {unsupported}},
        {"first component 1 x 4", {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x14, 0}, 0, {unsupported}},
        {"quantisation selector 4", {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 4}, 0, {unsupported}},
        {"second component 2 x 1",
         {0xFF, 0xC0, 0x00, 0x0E, 8, 0, 8, 0, 8, 2, 1, 0x11, 0, 2, 0x21, 0}, 0, {unsupported}},
        {"four components",
         {0xFF, 0xC0, 0x00, 0x14, 8, 0, 8, 0, 8, 4, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0, 4, 0x11, 0}, 0, {unsupported}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GreyStream stream;
        stream.frameHeader = c.header;
        const DecodedPicture picture = decodeDirect(stream.build());
        EXPECT_EQ(picture.result, c.result);
        EXPECT_EQ(picture.messages, c.messages);
    }
}

TEST(JpegMarkers, ScanHeaderChecks) {
    const Bytes threeComponents = {0xFF, 0xC0, 0x00, 0x11, 8, 0, 8, 0, 8, 3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0};
    const Bytes duplicateIds = {0xFF, 0xC0, 0x00, 0x11, 8, 0, 8, 0, 8, 3, 7, 0x11, 0, 7, 0x11, 0, 7, 0x11, 0};
    const struct {
        const char* name;
        Bytes frame;
        Bytes scan;
        std::vector<std::string> messages;
    } cases[] = {
        {"component not in the frame", {}, {0xFF, 0xDA, 0x00, 0x08, 1, 9, 0x00, 0, 63, 0}, {}},
        {"no components", {}, {0xFF, 0xDA, 0x00, 0x06, 0, 0, 63, 0}, {}},
        {"five components", {}, {0xFF, 0xDA, 0x00, 0x10, 5, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 63, 0}, {}},
        {"interleaved scan out of frame order", threeComponents,
         {0xFF, 0xDA, 0x00, 0x0C, 3, 3, 0x00, 2, 0x00, 1, 0x00, 0, 63, 0}, {unsupported}},
        {"duplicate component ids", duplicateIds,
         {0xFF, 0xDA, 0x00, 0x0C, 3, 7, 0x00, 7, 0x00, 7, 0x00, 0, 63, 0}, {unsupported}},
        {"scan header cut by the end of the data", {}, {0xFF, 0xDA, 0x00, 0x08, 1}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GreyStream stream;
        if (!c.frame.empty()) stream.frameHeader = c.frame;
        stream.scanHeader = c.scan;
        const DecodedPicture picture = decodeDirect(stream.build());
        EXPECT_EQ(picture.result, 0);
        EXPECT_EQ(picture.messages, c.messages);
    }
}

TEST(JpegMarkers, SegmentsBeforeTheFrame) {
    const struct {
        const char* name;
        Bytes segment;
        int result;
        std::vector<std::string> messages;
    } cases[] = {
        {"DQT with precision 2", {0xFF, 0xDB, 0x00, 0x43, 0x20}, 0, {invalid}},
        {"DQT with id 4", {0xFF, 0xDB, 0x00, 0x43, 0x04}, 0, {invalid}},
        {"DQT length 0 holds no table", {0xFF, 0xDB, 0x00, 0x00}, 1, {}},
        {"DQT length 1 holds no table", {0xFF, 0xDB, 0x00, 0x01}, 1, {}},
        {"DRI length 5", {0xFF, 0xDD, 0x00, 0x05, 0x00, 0x01, 0x00}, 0, {}},
        {"DRI of 0 means no restarts", {0xFF, 0xDD, 0x00, 0x04, 0x00, 0x00}, 1, {}},
        {"APP0 too short", {0xFF, 0xE0, 0x00, 0x0A, 'J', 'F', 'I', 'F', 0, 1, 1, 0}, 0, {}},
        {"APP0 length 0 is let through", {0xFF, 0xE0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, {}},
        {"APP0 length 1 is let through", {0xFF, 0xE0, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, {}},
        {"APP1 skipped by its length over FF pairs",
         {0xFF, 0xE1, 0x00, 0x0A, 0xFF, 0xD9, 0xFF, 0xC0, 0xFF, 0xDA, 0xFF, 0xC4}, 1, {}},
        {"COM of length 2", {0xFF, 0xFE, 0x00, 0x02}, 1, {}},
        {"APP2 of length 0", {0xFF, 0xE2, 0x00, 0x00}, 1, {}},
        {"unknown segment searched through", {0xFF, 0xF0, 0x00, 0x04, 0x12, 0x34}, 1, {}},
        {"DAC", {0xFF, 0xCC, 0x00, 0x06, 0x00, 0x10, 0x10, 0x05}, 0, {dacText}},
        {"16-bit DQT replaces table 0", [] {
             Bytes segment = {0xFF, 0xDB, 0x00, 0x83, 0x10};
             for (int k = 0; k < 64; ++k) segment.insert(segment.end(), {0x00, 0x08});
             return segment;
         }(), 1, {}},
        {"SOS, EOI and RST before the frame are passed over",
         {0xFF, 0xDA, 0x00, 0x08, 0xFF, 0xD9, 0xFF, 0xD0}, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GreyStream stream;
        stream.beforeFrame = c.segment;
        const DecodedPicture picture = decodeDirect(stream.build());
        EXPECT_EQ(picture.result, c.result);
        EXPECT_EQ(picture.messages, c.messages);
        if (c.result == 1) {
            EXPECT_EQ(picture.pixel(0, 0)[0], 131);
        }
    }
}

TEST(JpegMarkers, SegmentsThatReachBeyondTheDataEndTheDecode) {
    const Bytes cuts[] = {
        {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 0x00},
        {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x20, 'J', 'F', 'I', 'F'},
        {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 1, 2, 3},
        {0xFF, 0xD8, 0xFF, 0xDD, 0x00},
        {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x20, 0x00, 1, 1},
        {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 8, 0, 8, 0, 8, 3, 1},
        {0xFF},
        {},
        {0x00, 0x00, 0x00},
    };
    for (const Bytes& cut : cuts) {
        SCOPED_TRACE(cut.size());
        const DecodedPicture picture = decodeDirect(cut);
        EXPECT_EQ(picture.result, 0);
        EXPECT_TRUE(picture.messages.empty());
    }
}

TEST(JpegMarkers, StartOfImageSearch) {
    GreyStream stream;
    const Bytes clean = stream.build();
    const struct { const char* name; Bytes prefix; size_t drop; } cases[] = {
        {"garbage before the first FF", {0x00, 0x12, 0x34}, 0},
        {"doubled SOI", {0xFF, 0xD8}, 0},
        {"second byte D8 only", {0x00}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes jpeg = c.prefix;
        jpeg.insert(jpeg.end(), clean.begin() + long(c.drop), clean.end());
        const DecodedPicture picture = decodeDirect(jpeg);
        EXPECT_EQ(picture.result, 1);
        EXPECT_EQ(picture.pixel(7, 7)[0], 131);
    }
}

TEST(JpegMarkers, ReferenceFilesOfRefusedFrameTypes) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    // The reference encoder writes a DAC segment into arithmetic-coded files, which stops
    // the decode before the frame type is judged.
    const struct { const char* name; const char* options; uint8_t frameCode; std::string message; } cases[] = {
        {"quality 10 without -baseline writes SOF1", "-quality 10", 0xC1, unsupported},
        {"arithmetic coding", "-arithmetic", 0xC9, dacText},
        {"progressive arithmetic coding", "-arithmetic -progressive", 0xCA, dacText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes jpeg = makeJpeg(40, 24, c.options);
        ASSERT_FALSE(jpeg.empty());
        bool found = false;
        for (size_t i = 0; i + 1 < jpeg.size(); ++i) found = found || (jpeg[i] == 0xFF && jpeg[i + 1] == c.frameCode);
        ASSERT_TRUE(found);
        const DecodedPicture picture = decodePicture(jpeg);
        EXPECT_TRUE(picture.probed);
        EXPECT_EQ(picture.result, 0);
        EXPECT_EQ(picture.messages, std::vector<std::string>{c.message});
        bool black = true;
        for (uint8_t byte : picture.dib) black = black && byte == 0;
        EXPECT_TRUE(black);
    }
}

// A frame header declaring 65535 x 65535 followed by junk, decoded into a small DIB (as when
// the decoder meets another frame than the probe did): it ends quickly and writes only inside.
TEST(JpegMarkers, HugeFramesWithJunkStayInsideTheDibAndEndQuickly) {
    const Bytes junkKinds[] = {Bytes(1 << 20, 0x00), Bytes(1 << 20, 0x5A), Bytes(1 << 16, 0xFF)};
    for (uint8_t frameCode : {uint8_t{0xC0}, uint8_t{0xC2}}) {
        for (const Bytes& junk : junkKinds) {
            SCOPED_TRACE(::testing::Message() << std::hex << int(frameCode) << " junk " << int(junk[0]));
            StreamBuilder s;
            s.soi().dqt(0, 8).sof(frameCode, 65535, 65535, {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}).flatTables();
            s.sos({{1, 0x00}, {2, 0x00}, {3, 0x00}}, 0, frameCode == 0xC0 ? 63 : 0, 0).raw(junk).eoi();
            const auto start = std::chrono::steady_clock::now();
            const DecodedPicture picture = decodeInto(s.bytes, 32, 32);
            const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            EXPECT_LT(seconds, 3.0);
            EXPECT_TRUE(picture.guardsIntact);
        }
    }
}

}  // namespace
}  // namespace vistello::testing
