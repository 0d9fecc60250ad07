// Huffman tables, symbol decoding and block decoding, through small hand-built streams.
// Every stream is decoded on both entropy paths, which must agree.
#include <gtest/gtest.h>

#include "jpeg/jpeg_arith.h"
#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_tables.h"
#include "jpeg_stream_builder.h"
#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

constexpr uint8_t quantiser = 8;   // stored entry 1024 at DC: sample = 128 + DC

// A greyscale baseline frame of blocksWide x 1 blocks with the flat tables and the given
// entropy-coded data.
Bytes greyFrame(uint16_t blocksWide, const Bytes& entropy) {
    StreamBuilder stream;
    stream.soi().dqt(0, quantiser).sof(0xC0, static_cast<uint16_t>(8 * blocksWide), 8, {{1, 1, 1, 0}}).flatTables();
    stream.sos({{1, 0x00}}).raw(entropy).eoi();
    return stream.bytes;
}

// The grey bytes that the coefficient block (natural order) gives through the transform.
std::vector<uint8_t> expectedGrey(const int32_t coefficients[64]) {
    int32_t quant[64];
    for (int n = 0; n < 64; ++n) quant[n] = foldQuantiser(quantiser, idctScale[n]);
    int32_t block[64];
    for (int n = 0; n < 64; ++n) block[n] = coefficients[n];
    transformBlock(block, quant, 131072);
    std::vector<uint8_t> grey(64);
    for (int n = 0; n < 64; ++n) grey[n] = clampToByte(block[n]);
    return grey;
}

void expectBlock(const DecodedPicture& picture, uint32_t blockColumn, const int32_t coefficients[64]) {
    const std::vector<uint8_t> grey = expectedGrey(coefficients);
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 8; ++x) {
            const uint8_t* p = picture.pixel(blockColumn * 8 + x, y);
            ASSERT_EQ(p[0], grey[y * 8 + x]) << "block " << blockColumn << " pixel " << x << "," << y;
            ASSERT_EQ(p[1], p[0]);
            ASSERT_EQ(p[2], p[0]);
        }
    }
}

// Straight into a DIB larger than every test picture, without the probe, so that the
// decoder's own messages are seen also for streams without a frame.
DecodedPicture decodeBothPaths(const Bytes& jpeg) {
    const DecodedPicture fast = decodeInto(jpeg, 64, 16, EntropyPath::fast);
    const DecodedPicture reference = decodeInto(jpeg, 64, 16, EntropyPath::reference);
    EXPECT_EQ(fast.result, reference.result);
    EXPECT_TRUE(fast.dib == reference.dib);
    EXPECT_EQ(fast.messages, reference.messages);
    return reference;
}

TEST(JpegEntropy, DcCategoryZeroRepeatsThePrediction) {
    BitWriter bits;
    putDc(bits, 3, 5);   // +5
    putEob(bits);
    putDc(bits, 0, 0);   // prediction stays 5
    putEob(bits);
    putDc(bits, 2, 0);   // -3: prediction 2
    putEob(bits);
    const DecodedPicture picture = decodeBothPaths(greyFrame(3, bits.finish()));
    ASSERT_EQ(picture.result, 1);
    EXPECT_EQ(picture.pixel(0, 0)[0], 133);
    EXPECT_EQ(picture.pixel(8, 0)[0], 133);
    EXPECT_EQ(picture.pixel(16, 7)[0], 130);
}

TEST(JpegEntropy, RunsPastTheLastPositionLandOnIt) {
    const struct {
        const char* name;
        void (*write)(BitWriter&);
        int32_t coefficients[64];
    } cases[] = {
        {"r 15 s 1 at k 61 stores at 63 and ends the block",
         [](BitWriter& bits) {
             putDc(bits, 0, 0);
             for (int i = 0; i < 3; ++i) putAc(bits, 15, 0, 0);   // ZRL x 3: k = 49
             putAc(bits, 11, 2, magnitudeBits(-3, 2));            // k = 60
             putAc(bits, 15, 1, 1);                               // k = 61 + 15 -> 63
         },
         {}},
        {"ZRL at k 56 clears to the end and ends the block",
         [](BitWriter& bits) {
             putDc(bits, 1, 1);
             for (int i = 0; i < 3; ++i) putAc(bits, 15, 0, 0);
             putAc(bits, 6, 3, 6);                                // k = 55
             putAc(bits, 15, 0, 0);                               // k = 56: ZRL to the end
         },
         {}},
        {"runs 1..14 with size 0 end the block",
         [](BitWriter& bits) {
             putDc(bits, 2, 3);
             putAc(bits, 0, 1, 1);
             putAc(bits, 7, 0, 0);
         },
         {}},
    };
    int32_t expected[3][64] = {};
    expected[0][zigZagToNatural[60]] = -3;
    expected[0][63] = 1;
    expected[1][0] = 1;
    expected[1][zigZagToNatural[55]] = 6;
    expected[2][0] = 3;
    expected[2][1] = 1;
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(cases[i].name);
        BitWriter bits;
        cases[i].write(bits);
        // A second block proves that the first one ended where it should.
        putDc(bits, 4, 9);
        putEob(bits);
        const DecodedPicture picture = decodeBothPaths(greyFrame(2, bits.finish()));
        ASSERT_EQ(picture.result, 1);
        expectBlock(picture, 0, expected[i]);
        int32_t second[64] = {};
        second[0] = expected[i][0] + 9;
        expectBlock(picture, 1, second);
    }
}

TEST(JpegEntropy, StuffedZeroAfterFfIsData) {
    BitWriter bits;
    putDc(bits, 4, 15);                          // 0100 1111
    putAc(bits, 15, 14, 0x3FFF);                 // 1111 1110, then 14 ones: an FF byte, stuffed
    putEob(bits);
    const Bytes entropy = bits.finish();
    ASSERT_EQ(entropy[2], 0xFF);
    ASSERT_EQ(entropy[3], 0x00);
    const DecodedPicture picture = decodeBothPaths(greyFrame(1, entropy));
    ASSERT_EQ(picture.result, 1);
    int32_t coefficients[64] = {};
    coefficients[0] = 15;
    coefficients[zigZagToNatural[16]] = 0x3FFF;
    expectBlock(picture, 0, coefficients);
}

// Long runs of one bits give FF bytes (each followed by its stuffed zero) at many offsets from
// the refill's position, so the refill that appends several bytes at once meets FF inside,
// at the edge of and beyond the bytes it would take.
TEST(JpegEntropy, FillBytesAtEveryRefillOffsetAreData) {
    constexpr uint32_t blocks = 8;
    BitWriter bits;
    int32_t expected[blocks][64] = {};
    int32_t predictor = 0;
    for (uint32_t i = 0; i < blocks; ++i) {
        putDc(bits, 4, 8 + i);
        predictor += static_cast<int32_t>(8 + i);
        expected[i][0] = predictor;
        const uint32_t run = i % 5;
        putAc(bits, run, 14, 0x3FFF ^ i);
        expected[i][zigZagToNatural[1 + run]] = static_cast<int32_t>(0x3FFF ^ i);
        putAc(bits, 0, 8, 0xFF);
        expected[i][zigZagToNatural[2 + run]] = 0xFF;
        const uint32_t ones = 1 + (i * 3) % 7;   // shifts the next block's FF bytes
        putAc(bits, 0, ones, (1u << ones) - 1);
        expected[i][zigZagToNatural[3 + run]] = static_cast<int32_t>((1u << ones) - 1);
        putEob(bits);
    }
    const Bytes entropy = bits.finish();
    bool offsetSeen[8] = {};
    for (size_t n = 0; n + 1 < entropy.size(); ++n) {
        if (entropy[n] == 0xFF) offsetSeen[n % 8] = true;
    }
    int offsets = 0;
    for (bool seen : offsetSeen) offsets += seen ? 1 : 0;
    ASSERT_GE(offsets, 5);
    const DecodedPicture picture = decodeBothPaths(greyFrame(blocks, entropy));
    ASSERT_EQ(picture.result, 1);
    for (uint32_t i = 0; i < blocks; ++i) {
        SCOPED_TRACE(i);
        expectBlock(picture, i, expected[i]);
    }
}

TEST(JpegEntropy, OneDhtSegmentMayHoldFourTables) {
    Bytes payload;
    for (uint8_t classAndId : {uint8_t{0x00}, uint8_t{0x01}, uint8_t{0x10}, uint8_t{0x11}}) {
        payload.push_back(classAndId);
        Bytes counts(16, 0);
        if (classAndId < 0x10) {
            counts[3] = 16;
            payload.insert(payload.end(), counts.begin(), counts.end());
            for (uint8_t s = 0; s < 16; ++s) payload.push_back(s);
        } else {
            counts[7] = 255;
            payload.insert(payload.end(), counts.begin(), counts.end());
            for (int s = 0; s < 255; ++s) payload.push_back(static_cast<uint8_t>(s));
        }
    }
    BitWriter bits;
    putDc(bits, 3, 7);
    putEob(bits);
    StreamBuilder stream;
    stream.soi().dqt(0, quantiser).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).segment(0xC4, payload);
    stream.sos({{1, 0x11}}).raw(bits.finish()).eoi();
    const DecodedPicture picture = decodeBothPaths(stream.bytes);
    EXPECT_EQ(picture.result, 1);
    EXPECT_EQ(picture.pixel(4, 4)[0], 135);
}

// Streams that must fail (or decode) cleanly: the table-building and symbol-decoding faults.
TEST(JpegEntropy, MalformedTablesAndSymbolsFailCleanly) {
    const std::string invalid = invalidFileText;
    const struct {
        const char* name;
        Bytes stream;
        int result;
        std::vector<std::string> messages;
    } cases[] = {
        {"counts above 256",
         [] {
             StreamBuilder s;
             Bytes counts(16, 0);
             counts[7] = 255;
             counts[8] = 2;
             s.soi().dht(0x10, counts, Bytes(257, 1)).eoi();
             return s.bytes;
         }(),
         0, {invalid}},
        {"counts beyond the segment",
         [] {
             StreamBuilder s;
             Bytes counts(16, 0);
             counts[3] = 16;
             s.soi().dht(0x00, counts, Bytes(4, 1)).eoi();
             return s.bytes;
         }(),
         0, {invalid}},
        {"DHT class 2", [] { StreamBuilder s; s.soi().dht(0x20, Bytes(16, 0), {}).eoi(); return s.bytes; }(), 0, {invalid}},
        {"DHT id 4", [] { StreamBuilder s; s.soi().dht(0x04, Bytes(16, 0), {}).eoi(); return s.bytes; }(), 0, {invalid}},
        {"values past the end of the data",
         [] {
             StreamBuilder s;
             Bytes counts(16, 0);
             counts[3] = 16;
             s.soi().raw({0xFF, 0xC4, 0x00, 0x24, 0x00}).raw(counts).raw({1, 2, 3});
             return s.bytes;
         }(),
         0, {}},
        {"a code of all ones at length 16 matches nothing",
         [] {
             StreamBuilder s;
             Bytes counts(16, 0);
             counts[0] = 1;   // only the code 0
             s.soi().dqt(0, 8).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).dht(0x00, counts, {0}).dht(0x10, counts, {0});
             s.sos({{1, 0x00}}).raw({0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00}).eoi();
             return s.bytes;
         }(),
         0, {}},
        {"DC category 17",
         [] {
             StreamBuilder s;
             Bytes counts(16, 0);
             counts[0] = 1;
             s.soi().dqt(0, 8).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).dht(0x00, counts, {17}).dht(0x10, counts, {0});
             s.sos({{1, 0x00}}).raw({0x00, 0x00, 0x00, 0x00, 0x00}).eoi();
             return s.bytes;
         }(),
         0, {}},
        {"DC category 16 is still received",
         [] {
             StreamBuilder s;
             Bytes counts(16, 0);
             counts[0] = 1;
             s.soi().dqt(0, 8).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).dht(0x00, counts, {16}).dht(0x10, counts, {0});
             s.sos({{1, 0x00}}).raw({0x7F, 0xFF, 0x00, 0x00}).eoi();
             return s.bytes;
         }(),
         1, {}},
        {"over-subscribed code lengths",
         [] {
             StreamBuilder s;
             Bytes counts(16, 0);
             counts[0] = 3;   // three codes of length 1
             counts[1] = 5;
             s.soi().dqt(0, 8).sof(0xC0, 16, 8, {{1, 1, 1, 0}}).dht(0x00, counts, {0, 1, 2, 3, 4, 5, 6, 7});
             s.dht(0x10, counts, {0, 1, 2, 3, 4, 5, 6, 7}).sos({{1, 0x00}}).raw({0x5A, 0xC3, 0x11, 0x00}).eoi();
             return s.bytes;
         }(),
         -1, {}},
        {"all counts zero", [] {
             StreamBuilder s;
             s.soi().dqt(0, 8).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).dht(0x00, Bytes(16, 0), {}).dht(0x10, Bytes(16, 0), {});
             s.sos({{1, 0x00}}).raw({0x00, 0x00, 0x00}).eoi();
             return s.bytes;
         }(), 0, {}},
        {"tables never defined", [] {
             StreamBuilder s;
             s.soi().dqt(0, 8).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).flatTables().sos({{1, 0x11}}).raw({0x00, 0x00}).eoi();
             return s.bytes;
         }(), 0, {}},
        {"table selectors above 3", [] {
             StreamBuilder s;
             s.soi().dqt(0, 8).sof(0xC0, 8, 8, {{1, 1, 1, 0}}).flatTables().sos({{1, 0xFF}}).raw({0x00, 0x00}).eoi();
             return s.bytes;
         }(), 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedPicture picture = decodeBothPaths(c.stream);
        if (c.result >= 0) {
            EXPECT_EQ(picture.result, c.result);
        }
        EXPECT_EQ(picture.messages, c.messages);
    }
}

}  // namespace
}  // namespace vistello::testing
