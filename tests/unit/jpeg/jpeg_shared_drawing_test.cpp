// Baseline scans drawn by both threads (the helper and, whenever the ring is full, the decoding
// thread) against the scalar one-thread reference decode, for whole, cut and damaged streams.
#include <gtest/gtest.h>

#include <algorithm>

#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

TEST(JpegSharedDrawing, BothThreadsDrawTheSameDibResultAndMessagesAsTheScalarOneThreadDecode) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg is not installed";
    const CjpegPicture pictures[] = {
        // Hundreds of MCUs, several ring lengths: the decoding thread outruns the helper.
        {"4:2:0, partial last MCU row and column", 641, 479, "2x2", false},
        {"4:4:4", 400, 301, "1x1", false},
        {"2x1", 333, 250, "2x1", false},
        {"greyscale", 517, 389, "1x1", true},
        {"4:2:0, two MCU rows", 1024, 32, "2x2", false},
    };
    const DecoderSetUp reference = [](JpegDecoder& decoder) {
        decoder.threads = 1;
        decoder.simd = SimdLevel::scalar;
    };
    const DecoderSetUp shared = [](JpegDecoder& decoder) {
        decoder.threads = 2;
        decoder.threadedMinimumPixels = 0;
        decoder.queuedBatchMcus = 1;   // a full ring after four MCUs
    };
    const DecoderSetUp fewBatches = [](JpegDecoder& decoder) {
        decoder.threads = 2;
        decoder.threadedMinimumPixels = 0;
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.name);
        const Bytes complete = makeJpeg(picture.width, picture.height, std::string("-quality 90 -sample ") + picture.sampling, picture.grey);
        ASSERT_FALSE(complete.empty());
        const DecodedPicture probed = decodePicture(complete);
        ASSERT_TRUE(probed.probed);
        Bytes damaged = complete;
        damaged[damaged.size() / 2] ^= 0x5A;
        Bytes badMarker = complete;
        badMarker[badMarker.size() * 3 / 4] = 0xFF;
        badMarker[badMarker.size() * 3 / 4 + 1] = 0xD3;
        const struct { const char* name; Bytes jpeg; } streams[] = {
            {"complete", complete},
            {"cut at 30 %", Bytes(complete.begin(), complete.begin() + long(complete.size() * 3 / 10))},
            {"cut at 90 %", Bytes(complete.begin(), complete.begin() + long(complete.size() * 9 / 10))},
            {"without EOI", Bytes(complete.begin(), complete.end() - 2)},
            {"damaged byte", damaged},
            {"stray restart marker", badMarker},
        };
        for (const auto& stream : streams) {
            SCOPED_TRACE(stream.name);
            for (const int32_t widthChange : {0, -13, 21}) {
                const int32_t width = std::max(1, probed.paddedWidth + widthChange);
                const int32_t height = std::max(1, probed.paddedHeight + widthChange);
                const DecodedPicture expected = decodeInto(stream.jpeg, width, height, EntropyPath::reference, reference);
                for (const DecoderSetUp* setUp : {&shared, &shared, &fewBatches}) {   // interleavings differ run to run
                    const DecodedPicture both = decodeInto(stream.jpeg, width, height, EntropyPath::fast, *setUp);
                    EXPECT_EQ(both.result, expected.result);
                    EXPECT_EQ(both.messages, expected.messages);
                    EXPECT_TRUE(both.guardsIntact);
                    EXPECT_TRUE(both.dib == expected.dib);
                }
            }
        }
    }
}

}  // namespace
}  // namespace vistello::testing
