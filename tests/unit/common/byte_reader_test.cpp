#include "common/byte_reader.h"

#include <gtest/gtest.h>

namespace vistello {
namespace {

TEST(ByteReader, ReadsStopAtTheEndWhereverTheSeekWent) {
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    ByteReader reader(bytes, sizeof bytes);
    uint8_t out[8] = {};
    EXPECT_EQ(reader.read(out, 3), 3u);
    EXPECT_EQ(out[2], 3);
    EXPECT_FALSE(reader.passedEnd());
    EXPECT_EQ(reader.read(out, 8), 2u);
    EXPECT_EQ(out[1], 5);
    EXPECT_TRUE(reader.passedEnd()) << "a short read passes the end";
    EXPECT_EQ(reader.read(out, 1), 0u);
    reader.seek(1);
    EXPECT_FALSE(reader.passedEnd()) << "a seek starts afresh";
    EXPECT_EQ(reader.read(out, 1), 1u);
    EXPECT_EQ(out[0], 2);
    reader.seek(uint64_t(1) << 40);
    EXPECT_EQ(reader.remaining(), 0u);
    EXPECT_EQ(reader.read(out, 8), 0u);
    EXPECT_EQ(reader.size(), 5u);
    ByteReader empty(nullptr, 100);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.read(out, 1), 0u);
}

TEST(ByteReader, NumbersNeedAllTheirBytes) {
    const uint8_t bytes[] = {0x12, 0x34, 0x56};
    ByteReader reader(bytes, sizeof bytes);
    uint16_t word = 0;
    ASSERT_TRUE(reader.readU16BE(word));
    EXPECT_EQ(word, 0x1234);
    EXPECT_FALSE(reader.readU16BE(word)) << "one byte is left";
    EXPECT_EQ(word, 0x1234) << "a failed read leaves the value";
    EXPECT_EQ(reader.position(), 2u) << "and the position";
    EXPECT_TRUE(reader.passedEnd());
    uint8_t byte = 0;
    ASSERT_TRUE(reader.readU8(byte));
    EXPECT_EQ(byte, 0x56);
    EXPECT_FALSE(reader.readU8(byte));

    ByteReader fromMiddle({bytes, sizeof bytes}, 1);
    ASSERT_TRUE(fromMiddle.readU16BE(word));
    EXPECT_EQ(word, 0x3456);
}

TEST(ByteReader, SkipsOnlyWhatIsThere) {
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    ByteReader reader(bytes, sizeof bytes);
    EXPECT_TRUE(reader.skip(2));
    EXPECT_TRUE(reader.skip(0));
    EXPECT_EQ(reader.remaining(), 3u);
    EXPECT_FALSE(reader.skip(4));
    EXPECT_EQ(reader.position(), 5u) << "a refused skip ends at the end";
    EXPECT_TRUE(reader.passedEnd());
    reader.seek(9);
    EXPECT_FALSE(reader.skip(1));
    EXPECT_EQ(reader.position(), 9u) << "a position beyond the end does not move back";
}

}  // namespace
}  // namespace vistello
