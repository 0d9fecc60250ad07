#include "common/try_allocate.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/byte_buffer.h"

namespace vistello {
namespace {

TEST(TryAllocate, GivesZeroedMemoryUpToTheLimitAndNullBeyond) {
    const auto bytes = tryAllocateZeroed<uint8_t>(4096, 4096);
    ASSERT_NE(bytes, nullptr);
    EXPECT_TRUE(std::all_of(bytes.get(), bytes.get() + 4096, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(tryAllocateZeroed<uint8_t>(4097, 4096), nullptr);
    EXPECT_NE(tryAllocateZeroed<int32_t>(0, 0), nullptr) << "an empty allocation is no failure";
    EXPECT_EQ(tryAllocateZeroed<int32_t>(SIZE_MAX / 2, UINT64_MAX), nullptr) << "the byte count would overflow";
    volatile uint64_t unobtainable = uint64_t(1) << 62;
    EXPECT_EQ(tryAllocateZeroed<uint8_t>(unobtainable, UINT64_MAX), nullptr) << "the allocator refuses";
}

TEST(ByteBuffer, FailedAllocationLeavesItEmpty) {
    ByteBuffer buffer;
    ASSERT_TRUE(buffer.allocate(3));
    EXPECT_EQ(buffer.size(), 3u);
    EXPECT_EQ(buffer.bytes()[2], 0);
    ASSERT_TRUE(buffer.allocate(0));
    EXPECT_EQ(buffer.size(), 0u);
    volatile size_t huge = SIZE_MAX;  // volatile: the compiler would warn about the constant
    EXPECT_FALSE(buffer.allocate(huge));
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.data(), nullptr);
}

}  // namespace
}  // namespace vistello
