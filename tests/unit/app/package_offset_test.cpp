#include "app/package_offset.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace vistello {
namespace {

std::vector<uint8_t> programWithTagAt(size_t position, size_t length) {
    std::vector<uint8_t> file(length, 0x90);
    std::memcpy(file.data() + position, packageOffsetTag, sizeof packageOffsetTag);
    return file;
}

TEST(PackageOffset, StoresHighWordFirstThenLowWordThenZero) {
    std::array<uint8_t, packageOffsetSize> bytes{};
    bytes.fill(0xEE);
    storePackageOffset(0x00000001'0003F000ull, bytes);
    const std::array<uint8_t, packageOffsetSize> expected{1, 0, 0, 0, 0x00, 0xF0, 0x03, 0x00, 0};
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(packageOffsetValue(bytes), 0x1'0003F000ull);
    EXPECT_EQ(packageOffsetLow(bytes), 0x3F000u);
}

TEST(PackageOffset, FindsTheBytesBehindAUniqueTagOnly) {
    auto file = programWithTagAt(100, 400);
    ASSERT_EQ(findPackageOffset(file), std::optional<size_t>(116));

    EXPECT_EQ(findPackageOffset(std::vector<uint8_t>(400, 0)), std::nullopt) << "no tag";
    EXPECT_EQ(findPackageOffset(programWithTagAt(400 - 20, 400)), std::nullopt) << "offset bytes cut off";
    std::memcpy(file.data() + 300, packageOffsetTag, sizeof packageOffsetTag);
    EXPECT_EQ(findPackageOffset(file), std::nullopt) << "two tags are ambiguous";
}

}  // namespace
}  // namespace vistello
