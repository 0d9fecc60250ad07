// Progressive scans decoded on two threads (the calling thread decodes the first component's
// AC scans, a helper the others) against the one-thread decode: the same DIB, result and
// messages for whole streams and for streams cut, damaged or given extra markers inside every
// scan, so that every kind of scan ends early on either thread.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "jpeg/jpeg_tables.h"
#include "jpeg_stream_builder.h"
#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

const DecoderSetUp oneThread = [](JpegDecoder& decoder) { decoder.threads = 1; };
const DecoderSetUp twoThreads = [](JpegDecoder& decoder) {
    decoder.threads = 2;
    decoder.threadedMinimumPixels = 0;
};

// The positions of the first entropy-coded byte of every scan.
std::vector<size_t> scanDataStarts(const Bytes& jpeg) {
    std::vector<size_t> starts;
    for (size_t i = 0; i + 3 < jpeg.size(); ++i) {
        if (jpeg[i] != 0xFF || jpeg[i + 1] != markerSos) continue;
        const size_t headerLength = size_t{jpeg[i + 2]} << 8 | jpeg[i + 3];
        starts.push_back(i + 2 + headerLength);
    }
    return starts;
}

Bytes inserted(const Bytes& jpeg, size_t at, const Bytes& bytes) {
    Bytes changed(jpeg.begin(), jpeg.begin() + long(at));
    changed.insert(changed.end(), bytes.begin(), bytes.end());
    changed.insert(changed.end(), jpeg.begin() + long(at), jpeg.end());
    return changed;
}

struct Stream {
    std::string name;
    Bytes jpeg;
};

// For every scan: cut, damaged and given each kind of marker a third of the way into its data.
std::vector<Stream> streamsOf(const Bytes& complete) {
    std::vector<Stream> streams{{"complete", complete}, {"without EOI", Bytes(complete.begin(), complete.end() - 2)}};
    const std::vector<size_t> starts = scanDataStarts(complete);
    for (size_t scan = 0; scan < starts.size(); ++scan) {
        const size_t end = scan + 1 < starts.size() ? starts[scan + 1] : complete.size();
        const size_t at = starts[scan] + (end - starts[scan]) / 3;
        const std::string where = " in scan " + std::to_string(scan + 1);
        streams.push_back({"cut" + where, Bytes(complete.begin(), complete.begin() + long(at))});
        Bytes damaged = complete;
        damaged[at] ^= 0x5A;
        streams.push_back({"damaged byte" + where, damaged});
        streams.push_back({"comment" + where, inserted(complete, at, {0xFF, markerCom, 0x00, 0x04, 'h', 'i'})});
        streams.push_back({"restart marker" + where, inserted(complete, at, {0xFF, 0xD3})});
        streams.push_back({"EOI" + where, inserted(complete, at, {0xFF, markerEoi})});
        streams.push_back({"arithmetic tables" + where, inserted(complete, at, {0xFF, markerDac, 0x00, 0x02})});
        streams.push_back({"bad Huffman table" + where, inserted(complete, at, {0xFF, markerDht, 0x00, 0x03, 0x25})});
    }
    return streams;
}

void expectOneThreadOutcome(const Bytes& complete) {
    const DecodedPicture probed = decodePicture(complete);
    ASSERT_TRUE(probed.probed);
    ASSERT_EQ(probed.result, 1);
    for (const Stream& stream : streamsOf(complete)) {
        SCOPED_TRACE(stream.name);
        const DecodedPicture expected = decodeInto(stream.jpeg, probed.paddedWidth, probed.paddedHeight, EntropyPath::fast, oneThread);
        for (const EntropyPath path : {EntropyPath::fast, EntropyPath::reference}) {
            const DecodedPicture split = decodeInto(stream.jpeg, probed.paddedWidth, probed.paddedHeight, path, twoThreads);
            EXPECT_EQ(split.result, expected.result);
            EXPECT_EQ(split.messages, expected.messages);
            EXPECT_EQ(split.titles, expected.titles);
            EXPECT_TRUE(split.guardsIntact);
            EXPECT_TRUE(split.dib == expected.dib);
        }
    }
}

TEST(JpegProgressiveSplit, ScansOnTwoThreadsGiveTheOneThreadDecode) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    const CjpegPicture pictures[] = {
        {"4:2:0", 97, 66, "2x2", false},
        {"4:4:4", 40, 33, "1x1", false},
        {"2x1", 51, 24, "2x1", false},
        {"greyscale", 45, 38, "1x1", true},
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.name);
        const Bytes complete = makeJpeg(picture.width, picture.height,
                                        std::string("-quality 90 -progressive -sample ") + picture.sampling, picture.grey);
        ASSERT_FALSE(complete.empty());
        expectOneThreadOutcome(complete);
    }
}

// A script whose scans interleave the components, split bands and refine in several steps, with
// DC scans of single components between the AC scans of the first one.
TEST(JpegProgressiveSplit, InterleavedScriptsGiveTheOneThreadDecode) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    const std::string script = scratchPath("split_scans.txt");
    const char* scans =
        "0: 0-0, 0, 1;\n0: 1-2, 0, 1;\n1: 0-0, 0, 1;\n0: 3-63, 0, 1;\n2: 0-0, 0, 0;\n1: 1-63, 0, 0;\n"
        "0,1: 0-0, 1, 0;\n0: 1-63, 1, 0;\n2: 1-10, 0, 0;\n2: 11-63, 0, 0;\n";
    ASSERT_TRUE(writeFile(script, Bytes(scans, scans + std::strlen(scans))));
    const Bytes complete = makeJpeg(64, 40, "-quality 95 -sample 2x2 -scans " + script);
    ASSERT_FALSE(complete.empty());
    expectOneThreadOutcome(complete);
}

// A DC scan (a helper's) whose sums leave 16 bits: the frame is decoded again with 32-bit stores,
// as on one thread.
TEST(JpegProgressiveSplit, AHelperScanBeyondSixteenBitsFallsBackToWideStores) {
    StreamBuilder s;
    s.soi().dqt(0, 8).sof(0xC2, 16, 8, {{1, 1, 1, 0}}).flatTables();
    BitWriter dc;
    putDc(dc, 15, 0x7FFF);
    putDc(dc, 15, 0x7FFF);   // 65534 in block 1
    s.sos({{1, 0x00}}, 0, 0, 0x00).raw(dc.finish());
    BitWriter ac;
    putEob(ac);
    putEob(ac);
    s.sos({{1, 0x00}}, 1, 63, 0x00).raw(ac.finish());
    s.eoi();
    const DecodedPicture expected = decodeInto(s.bytes, 16, 8, EntropyPath::fast, oneThread);
    const DecodedPicture split = decodeInto(s.bytes, 16, 8, EntropyPath::fast, twoThreads);
    EXPECT_EQ(expected.result, 1);
    EXPECT_EQ(split.result, expected.result);
    EXPECT_EQ(split.messages, expected.messages);
    EXPECT_TRUE(split.dib == expected.dib);
    EXPECT_EQ(split.pixel(8, 0)[0], 255);   // 128 + 65534 clamps; the 16-bit remainder would give 126
}

// More helper scans than may wait at once, and more scans than a frame may have: the calling
// thread waits for the helper, and the frame stops at the cap as on one thread.
TEST(JpegProgressiveSplit, LongRunsOfHelperScansGiveTheOneThreadDecode) {
    for (const uint32_t refinements : {40u, JpegDecoder::maxProgressiveScans + 20}) {
        SCOPED_TRACE(refinements);
        StreamBuilder s;
        s.soi().dqt(0, 8).sof(0xC2, 32, 32, {{1, 1, 1, 0}}).flatTables();
        BitWriter first;
        for (int b = 0; b < 16; ++b) putDc(first, 0, 0);
        s.sos({{1, 0x00}}, 0, 0, 0x01).raw(first.finish());
        for (uint32_t scan = 0; scan < refinements; ++scan) {
            BitWriter bits;
            bits.put(scan % 2 ? 0xA5A5u : 0x0FF0u, 16);
            s.sos({{1, 0x00}}, 0, 0, 0x10).raw(bits.finish());
        }
        s.eoi();
        const DecodedPicture expected = decodeInto(s.bytes, 32, 32, EntropyPath::fast, oneThread);
        const DecodedPicture split = decodeInto(s.bytes, 32, 32, EntropyPath::fast, twoThreads);
        EXPECT_EQ(split.result, expected.result);
        EXPECT_EQ(split.messages, expected.messages);
        EXPECT_TRUE(split.dib == expected.dib);
    }
}

}  // namespace
}  // namespace vistello::testing
