// Restart scans decoded on two threads (the intervals split between them) against the one-thread
// decode: the same DIB, result and messages for clean files and for every kind of damage.
#include <gtest/gtest.h>

#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

struct RestartPicture {
    const char* name;
    uint32_t width, height;
    const char* options;
};

const RestartPicture restartPictures[] = {
    {"4:2:0, an interval per MCU", 96, 48, "-quality 85 -sample 2x2 -restart 1B"},
    {"4:2:0, an interval per MCU row", 120, 64, "-quality 85 -sample 2x2 -restart 1"},
    {"4:4:4, 5 MCUs, the last interval short", 72, 40, "-quality 95 -sample 1x1 -restart 5B"},
};

DecodedPicture decodeWithThreads(const Bytes& jpeg, uint32_t width, uint32_t height, uint32_t threads, SimdLevel simd) {
    return decodeInto(jpeg, static_cast<int32_t>(width), static_cast<int32_t>(height), EntropyPath::fast,
                      [threads, simd](JpegDecoder& decoder) {
                          decoder.threads = threads;
                          decoder.threadedMinimumPixels = 0;
                          decoder.simd = simd;
                      });
}

// The two-thread decode of jpeg against the one-thread one; true when they agree in everything.
::testing::AssertionResult sameAsOneThread(const Bytes& jpeg, uint32_t width, uint32_t height,
                                           SimdLevel simd = SimdLevel::best) {
    const DecodedPicture one = decodeWithThreads(jpeg, width, height, 1, simd);
    const DecodedPicture two = decodeWithThreads(jpeg, width, height, 2, simd);
    if (one.result != two.result) return ::testing::AssertionFailure() << "results " << one.result << " and " << two.result;
    if (one.dib != two.dib) return ::testing::AssertionFailure() << "the DIBs differ";
    if (one.messages != two.messages || one.titles != two.titles) return ::testing::AssertionFailure() << "the messages differ";
    if (!two.guardsIntact) return ::testing::AssertionFailure() << "written outside the DIB";
    return ::testing::AssertionSuccess();
}

std::vector<size_t> markerCodeOffsets(const Bytes& jpeg) {
    std::vector<size_t> offsets;   // offsets of the RSTn code bytes
    for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xD0 && jpeg[i + 1] <= 0xD7) offsets.push_back(i + 1);
    }
    return offsets;
}

size_t scanDataStart(const Bytes& jpeg) {
    for (size_t i = 0; i + 3 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) return i + 2 + (size_t{jpeg[i + 2]} << 8 | jpeg[i + 3]);
    }
    return jpeg.size();
}

TEST(JpegRestartSplit, CleanFilesMatchTheOneThreadAndScalarDecodes) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    for (const auto& picture : restartPictures) {
        SCOPED_TRACE(picture.name);
        const Bytes jpeg = makeJpeg(picture.width, picture.height, picture.options);
        ASSERT_GE(markerCodeOffsets(jpeg).size(), 3u);
        EXPECT_TRUE(sameAsOneThread(jpeg, picture.width, picture.height));
        EXPECT_TRUE(sameAsOneThread(jpeg, picture.width, picture.height, SimdLevel::scalar));
        const DecodedPicture reference = decodeInto(jpeg, picture.width, picture.height, EntropyPath::reference,
                                                    [](JpegDecoder& decoder) { decoder.threads = 1; decoder.simd = SimdLevel::scalar; });
        const DecodedPicture split = decodeWithThreads(jpeg, picture.width, picture.height, 2, SimdLevel::scalar);
        EXPECT_EQ(split.result, 1);
        EXPECT_TRUE(split.dib == reference.dib);
    }
}

TEST(JpegRestartSplit, TruncatedFilesMatchTheOneThreadDecode) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    for (const auto& picture : restartPictures) {
        SCOPED_TRACE(picture.name);
        const Bytes jpeg = makeJpeg(picture.width, picture.height, picture.options);
        for (size_t size = scanDataStart(jpeg); size <= jpeg.size(); ++size) {
            const Bytes prefix(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(size));
            ASSERT_TRUE(sameAsOneThread(prefix, picture.width, picture.height)) << "prefix of " << size << " bytes";
        }
    }
}

// Damaged entropy-coded data inside intervals (a failing interval, a marker made from data, a
// stuffed byte broken) with every marker in place.
TEST(JpegRestartSplit, OverwrittenBytesMatchTheOneThreadDecode) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    for (const auto& picture : restartPictures) {
        SCOPED_TRACE(picture.name);
        const Bytes jpeg = makeJpeg(picture.width, picture.height, picture.options);
        for (size_t at = scanDataStart(jpeg); at < jpeg.size(); ++at) {
            for (const uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, static_cast<uint8_t>(jpeg[at] ^ 0x5A)}) {
                Bytes damaged = jpeg;
                damaged[at] = value;
                ASSERT_TRUE(sameAsOneThread(damaged, picture.width, picture.height)) << "byte " << at << " set to " << int{value};
            }
        }
    }
}

// Every RSTn given every other number, or another marker's code; each marker dropped and doubled.
TEST(JpegRestartSplit, WrongLostAndRepeatedMarkersMatchTheOneThreadDecode) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    for (const auto& picture : restartPictures) {
        SCOPED_TRACE(picture.name);
        const Bytes jpeg = makeJpeg(picture.width, picture.height, picture.options);
        for (const size_t at : markerCodeOffsets(jpeg)) {
            for (const int code : {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD9, 0xC4, 0xDA, 0x00}) {
                Bytes changed = jpeg;
                changed[at] = static_cast<uint8_t>(code);
                ASSERT_TRUE(sameAsOneThread(changed, picture.width, picture.height)) << "marker at " << at << " made " << int{code};
            }
            Bytes dropped = jpeg;
            dropped.erase(dropped.begin() + static_cast<std::ptrdiff_t>(at - 1), dropped.begin() + static_cast<std::ptrdiff_t>(at + 1));
            EXPECT_TRUE(sameAsOneThread(dropped, picture.width, picture.height)) << "marker at " << at << " dropped";
            Bytes doubled = jpeg;
            doubled.insert(doubled.begin() + static_cast<std::ptrdiff_t>(at + 1), {0xFF, jpeg[at]});
            EXPECT_TRUE(sameAsOneThread(doubled, picture.width, picture.height)) << "marker at " << at << " doubled";
            Bytes filled = jpeg;   // fill bytes before the code
            filled.insert(filled.begin() + static_cast<std::ptrdiff_t>(at), {0xFF, 0xFF});
            EXPECT_TRUE(sameAsOneThread(filled, picture.width, picture.height)) << "fill before marker at " << at;
        }
    }
}

}  // namespace
}  // namespace vistello::testing
