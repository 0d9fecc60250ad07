// The probe: the padded DIB size from the first frame header, and its refusals.
#include <gtest/gtest.h>

#include "jpeg/jpeg_probe.h"
#include "jpeg/jpeg_tables.h"
#include "jpeg_stream_builder.h"
#include "jpeg_test_support.h"
#include "recording_message_seam.h"

namespace vistello::testing {
namespace {

struct ProbeOutcome {
    bool ok = false;
    FrameProbeResult result;
    std::vector<std::string> messages;
};

ProbeOutcome probe(const Bytes& jpeg) {
    ProbeOutcome outcome;
    RecordingMessageSeam seam;
    outcome.ok = probeJpeg(jpeg.data(), jpeg.size(), seam, outcome.result);
    outcome.messages = seam.messages;
    return outcome;
}

TEST(JpegProbe, PaddedSizes) {
    const struct {
        const char* name;
        uint8_t frameCode;
        uint16_t width, height;
        std::initializer_list<StreamBuilder::Component> components;
        uint8_t precision;
        int32_t paddedWidth, paddedHeight;
    } cases[] = {
        {"100 x 75, 2 x 2", 0xC0, 100, 75, {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}, 8, 112, 80},
        {"100 x 75, 1 x 1", 0xC0, 100, 75, {{1, 1, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}, 8, 104, 80},
        {"progressive 2 x 1", 0xC2, 17, 9, {{1, 2, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}, 8, 32, 16},
        {"12-bit precision", 0xC1, 8, 8, {{1, 1, 1, 0}}, 12, 8, 8},
        {"arithmetic coding", 0xC9, 1, 1, {{1, 2, 2, 0}}, 8, 16, 16},
        {"height 0", 0xC0, 30, 0, {{1, 1, 2, 0}}, 8, 32, 0},
        {"largest factors from different components", 0xC0, 20, 20, {{1, 1, 2, 0}, {2, 2, 1, 0}}, 8, 32, 32},
        {"65535 x 65535", 0xC0, 65535, 65535, {{1, 2, 2, 0}}, 8, 65536, 65536},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StreamBuilder s;
        s.soi().dqt(0, 1).sof(c.frameCode, c.width, c.height, c.components, c.precision);
        const ProbeOutcome outcome = probe(s.bytes);
        ASSERT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.result.paddedWidth, c.paddedWidth);
        EXPECT_EQ(outcome.result.paddedHeight, c.paddedHeight);
        EXPECT_EQ(outcome.result.imageWidth, c.width);
        EXPECT_EQ(outcome.result.imageHeight, c.height);
        EXPECT_EQ(outcome.result.componentCount, c.components.size());
        EXPECT_TRUE(outcome.messages.empty());
    }
}

TEST(JpegProbe, Refusals) {
    const std::string invalid = invalidFileText;
    const struct { const char* name; Bytes stream; std::vector<std::string> messages; } cases[] = {
        {"precision 1", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 1, 0, 8, 0, 8, 1, 1, 0x11, 0}, {invalid}},
        {"precision 17", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 17, 0, 8, 0, 8, 1, 1, 0x11, 0}, {invalid}},
        {"width 0", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 0, 1, 1, 0x11, 0}, {invalid}},
        {"no components", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x08, 8, 0, 8, 0, 8, 0}, {invalid}},
        {"length mismatch", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0C, 8, 0, 8, 0, 8, 1, 1, 0x11, 0, 0}, {invalid}},
        {"sampling factors 0", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x00, 0}, {invalid}},
        {"only a horizontal factor", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x20, 0}, {invalid}},
        {"frame header cut short", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1}, {}},
        {"no frame header", {0xFF, 0xD8, 0xFF, 0xD9}, {}},
        {"segment longer than the data", {0xFF, 0xD8, 0xFF, 0xE1, 0x01, 0x00, 0xFF, 0xC0}, {}},
        {"segment length cut short", {0xFF, 0xD8, 0xFF, 0xE1, 0x01}, {}},
        {"no FF at all", {0x00, 0x01, 0x02}, {}},
        {"empty", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProbeOutcome outcome = probe(c.stream);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.messages, c.messages);
    }
}

TEST(JpegProbe, StepsOverStandaloneMarkersAndSegments) {
    const Bytes frame = {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 9, 0, 10, 1, 1, 0x11, 0};
    const struct { const char* name; Bytes before; } cases[] = {
        {"doubled SOI", {0xFF, 0xD8}},
        {"RST and TEM", {0xFF, 0xD3, 0xFF, 0x01}},
        {"APP1 holding a frame code", {0xFF, 0xE1, 0x00, 0x0E, 0xFF, 0xC0, 0x00, 0x0B, 8, 0xFF, 0xFF, 0xFF, 0xFF, 1, 1, 0x11}},
        {"fill bytes", {0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes stream = {0xFF, 0xD8};
        stream.insert(stream.end(), c.before.begin(), c.before.end());
        stream.insert(stream.end(), frame.begin(), frame.end());
        const ProbeOutcome outcome = probe(stream);
        ASSERT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.result.imageWidth, 10u);
        EXPECT_EQ(outcome.result.imageHeight, 9u);
    }
}

// An unknown segment (not skipped by the decoder) hides a frame header of 65535 x 65535: the
// probe skips the segment and sizes the DIB for the real frame, the decoder meets the hidden
// frame and must still stay inside the DIB.
TEST(JpegProbe, DecoderMeetingAnotherFrameStaysInsideTheDib) {
    BitWriter bits;
    for (int i = 0; i < 2000; ++i) {
        putDc(bits, 1, 1);
        putEob(bits);
    }
    StreamBuilder s;
    s.soi().dqt(0, 8).flatTables();
    s.raw({0xFF, 0xF0, 0x00, 0x0D, 0xFF, 0xC0, 0x00, 0x0B, 8, 0xFF, 0xFF, 0xFF, 0xFF, 1, 1, 0x11, 0});
    s.sof(0xC0, 16, 16, {{1, 1, 1, 0}}).sos({{1, 0x00}}).raw(bits.finish()).eoi();
    const DecodedPicture picture = decodePicture(s.bytes);
    ASSERT_TRUE(picture.probed);
    EXPECT_EQ(picture.width, 16u);
    EXPECT_EQ(picture.paddedWidth, 16);
    EXPECT_TRUE(picture.guardsIntact);
}

}  // namespace
}  // namespace vistello::testing
