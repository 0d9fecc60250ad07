#pragma once
// The package-offset constant that every program file carries. Its nine bytes hold the
// length of the program file without a package, which is where the package starts:
// the high 32-bit word, then the low 32-bit word (both little-endian), then a zero byte.
// A 16-byte tag stands right in front of it so that the build step that stamps the built
// file's length into it (cmake/stamp-package-offset.pl) and vistello-pack can find it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vistello {

inline constexpr char packageOffsetTag[16] = "VISTELLO:PKGOFS";  // 15 characters and a zero
inline constexpr size_t packageOffsetSize = 9;

struct PackageOffsetRecord {
    char tag[16];
    uint8_t offset[packageOffsetSize];
};

// Combines the nine bytes into the 64-bit offset: high x 2^32 + low.
uint64_t packageOffsetValue(std::span<const uint8_t, packageOffsetSize> bytes);
// Low word alone, as the readers seek with it.
uint32_t packageOffsetLow(std::span<const uint8_t, packageOffsetSize> bytes);
// Writes value into nine bytes in the stored form.
void storePackageOffset(uint64_t value, std::span<uint8_t, packageOffsetSize> bytes);
// Position of the nine offset bytes inside a program file, if its tag occurs exactly once.
std::optional<size_t> findPackageOffset(std::span<const uint8_t> programFile);

}  // namespace vistello
