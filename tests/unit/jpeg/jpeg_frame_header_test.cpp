// The frame header parser the probe and the decoder share, and the reader that carries the
// decoder's cursor through a marker segment.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "jpeg/jpeg_cursor_reader.h"
#include "jpeg/jpeg_frame_header.h"

namespace vistello::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// Lf, P, Y, X, Nf and three bytes per component, as they follow the SOF code.
Bytes frameHeader(uint16_t length, uint8_t precision, uint16_t height, uint16_t width, std::vector<std::array<uint8_t, 3>> components) {
    Bytes bytes{uint8_t(length >> 8), uint8_t(length), precision, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8),
                uint8_t(width), uint8_t(components.size())};
    for (const auto& component : components) bytes.insert(bytes.end(), component.begin(), component.end());
    return bytes;
}

FrameHeaderRead readAll(const Bytes& bytes, FrameHeader& header) {
    ByteReader reader(bytes.data(), bytes.size());
    return readFrameHeader(reader, header);
}

TEST(JpegFrameHeader, ReadsTheFieldsAndTheLargestSamplingFactors) {
    const Bytes bytes = frameHeader(17, 8, 75, 100, {{1, 0x12, 0}, {2, 0x21, 1}, {3, 0x11, 1}});
    FrameHeader header;
    ByteReader reader(bytes.data(), bytes.size());
    ASSERT_EQ(readFrameHeader(reader, header), FrameHeaderRead::complete);
    EXPECT_EQ(header.precision, 8);
    EXPECT_EQ(header.height, 75);
    EXPECT_EQ(header.width, 100);
    EXPECT_EQ(header.componentCount, 3);
    EXPECT_EQ(header.maxH, 2) << "from the second component";
    EXPECT_EQ(header.maxV, 2) << "from the first component";
    EXPECT_EQ(header.components[1].id, 2);
    EXPECT_EQ(header.components[1].h, 2);
    EXPECT_EQ(header.components[1].v, 1);
    EXPECT_EQ(header.components[2].quantTable, 1);
    EXPECT_EQ(reader.position(), bytes.size()) << "the reader rests after the last component";
}

TEST(JpegFrameHeader, RefusesBrokenSizesOnceTheyAreRead) {
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"precision 1", frameHeader(11, 1, 8, 8, {{1, 0x11, 0}})},
        {"precision 17", frameHeader(11, 17, 8, 8, {{1, 0x11, 0}})},
        {"width 0", frameHeader(11, 8, 8, 0, {{1, 0x11, 0}})},
        {"no components", frameHeader(8, 8, 8, 8, {})},
        {"length one short", frameHeader(10, 8, 8, 8, {{1, 0x11, 0}})},
        {"length one long", frameHeader(12, 8, 8, 8, {{1, 0x11, 0}})},
    };
    for (const auto& each : cases) {
        FrameHeader header;
        EXPECT_EQ(readAll(each.bytes, header), FrameHeaderRead::refused) << each.name;
    }
    // Height 0 and precisions 2 and 16 are allowed (a DNL or another precision is refused later).
    FrameHeader header;
    EXPECT_EQ(readAll(frameHeader(11, 8, 0, 8, {{1, 0x11, 0}}), header), FrameHeaderRead::complete);
    EXPECT_EQ(readAll(frameHeader(11, 2, 8, 8, {{1, 0x11, 0}}), header), FrameHeaderRead::complete);
    EXPECT_EQ(readAll(frameHeader(11, 16, 8, 8, {{1, 0x00, 0}}), header), FrameHeaderRead::complete)
        << "sampling factors of 0 are left to the probe and the decoder";
}

TEST(JpegFrameHeader, TellsWhereTheDataEnded) {
    const Bytes whole = frameHeader(14, 8, 8, 8, {{1, 0x11, 0}, {2, 0x11, 0}});
    for (size_t size = 0; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + long(size));
        FrameHeader header;
        const FrameHeaderRead expected = size < 8 ? FrameHeaderRead::cutShort : FrameHeaderRead::componentsCutShort;
        EXPECT_EQ(readAll(cut, header), expected) << size << " bytes";
    }
    // A refusal wins over missing components: the sizes alone decide it.
    const Bytes refused = frameHeader(99, 8, 8, 8, {});
    FrameHeader header;
    EXPECT_EQ(readAll(Bytes(refused.begin(), refused.begin() + 7), header), FrameHeaderRead::cutShort);
    Bytes claimsTwo = refused;
    claimsTwo[7] = 2;
    EXPECT_EQ(readAll(claimsTwo, header), FrameHeaderRead::refused);
}

TEST(JpegCursorReader, TheCursorFollowsTheReaderOrMarksThePassedEnd) {
    const Bytes bytes{0x00, 0x04, 0xAA, 0xBB, 0xCC};
    size_t cursor = 0;
    {
        CursorReader reader(bytes.data(), bytes.size(), cursor);
        uint16_t value = 0;
        ASSERT_TRUE(reader.readU16BE(value));
        EXPECT_EQ(value, 4);
    }
    EXPECT_EQ(cursor, 2u);
    {
        CursorReader reader(bytes.data(), bytes.size(), cursor);
        ASSERT_TRUE(reader.skip(2));
        uint16_t value = 0;
        EXPECT_FALSE(reader.readU16BE(value)) << "one byte is left";
        EXPECT_TRUE(reader.beyondEnd());
    }
    EXPECT_EQ(cursor, bytes.size() + 1) << "a read that ran out leaves the cursor just past the end";
    {
        CursorReader reader(bytes.data(), bytes.size(), cursor);
        uint8_t value = 0;
        EXPECT_FALSE(reader.readU8(value)) << "nothing is read beyond the end";
    }
    EXPECT_EQ(cursor, bytes.size() + 1);
    cursor = 1;
    {
        CursorReader reader(bytes.data(), bytes.size(), cursor);
        reader.seek(40);  // a segment length that points far beyond the data
        EXPECT_TRUE(reader.beyondEnd());
    }
    EXPECT_EQ(cursor, 40u) << "a seek beyond the end is kept as it is";
}

}  // namespace
}  // namespace vistello::testing
