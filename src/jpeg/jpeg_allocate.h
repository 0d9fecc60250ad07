#pragma once
// Allocation of input-sized buffers: a size limit first, then an allocation that reports
// failure as null, so that a huge or failed allocation is an ordinary failure and no exception
// leaves the decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vistello {

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

template <typename T>
using ZeroedArray = std::unique_ptr<T[], FreeDeleter>;

// Zero-filled array of count trivially constructible elements, or null when count exceeds
// limit or memory runs out. calloc: large blocks come straight from the system as zero pages,
// without a pass that writes the zeros.
template <typename T>
[[nodiscard]] ZeroedArray<T> tryAllocateZeroed(uint64_t count, uint64_t limit) {
    if (count == 0 || count > limit || count > SIZE_MAX / sizeof(T)) return nullptr;
    return ZeroedArray<T>(static_cast<T*>(std::calloc(static_cast<size_t>(count), sizeof(T))));
}

}  // namespace vistello
