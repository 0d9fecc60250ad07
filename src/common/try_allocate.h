#pragma once
// The one fallible allocation of buffers whose size comes from the input: the size is checked
// against the caller's limit first, and running out of memory gives null instead of an
// exception, so a huge or failed allocation is an ordinary failure of the read.
//
// The memory is zero-filled by calloc: large blocks come straight from the system as zero
// pages, without a pass that writes the zeros.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace vistello {

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

template <typename T>
using ZeroedArray = std::unique_ptr<T[], FreeDeleter>;

// count zero-filled elements of a trivial type, or null when count exceeds limit or memory
// runs out. A count of 0 gives a valid, empty allocation.
template <typename T>
[[nodiscard]] ZeroedArray<T> tryAllocateZeroed(uint64_t count, uint64_t limit) {
    static_assert(std::is_trivial_v<T>, "calloc'ed memory holds no constructed objects");
    if (count > limit || count > SIZE_MAX / sizeof(T)) return nullptr;
    return ZeroedArray<T>(static_cast<T*>(std::calloc(count == 0 ? 1 : static_cast<size_t>(count), sizeof(T))));
}

}  // namespace vistello
