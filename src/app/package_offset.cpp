#include "app/package_offset.h"

namespace vistello {
namespace {

uint32_t readU32LE(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeU32LE(uint32_t value, uint8_t* p) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(value >> (8 * i));
}

}  // namespace

uint64_t packageOffsetValue(std::span<const uint8_t, packageOffsetSize> bytes) {
    return uint64_t(readU32LE(bytes.data())) << 32 | readU32LE(bytes.data() + 4);
}

uint32_t packageOffsetLow(std::span<const uint8_t, packageOffsetSize> bytes) {
    return readU32LE(bytes.data() + 4);
}

void storePackageOffset(uint64_t value, std::span<uint8_t, packageOffsetSize> bytes) {
    writeU32LE(uint32_t(value >> 32), bytes.data());
    writeU32LE(uint32_t(value), bytes.data() + 4);
    bytes[8] = 0;
}

}  // namespace vistello
