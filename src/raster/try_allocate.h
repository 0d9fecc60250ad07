#pragma once
// Allocation of buffers whose size comes from the input: the size is checked against a limit
// first and the allocation cannot throw, so running out of memory is an ordinary failure.
#include <cstdint>
#include <memory>
#include <new>

namespace vistello {

// No buffer of ours sized by a picture may exceed this; a DIB of that size is already far
// beyond any picture the program is meant to show.
inline constexpr uint64_t maxPictureBytes = uint64_t(1) << 30;

// Zero-filled bytes, or null when size is above the limit or the allocator refuses. A size of
// 0 gives a valid (empty) allocation.
[[nodiscard]] inline std::unique_ptr<uint8_t[]> tryAllocate(uint64_t size) {
    if (size > maxPictureBytes) return nullptr;
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size_t(size)]());
}

}  // namespace vistello
