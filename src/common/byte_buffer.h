#pragma once
// An owned run of bytes whose size comes from the input (a picture, an enclosed file, a BMP
// file being written), allocated by tryAllocateZeroed: running out of memory is an ordinary
// failure.
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/try_allocate.h"

namespace vistello {

class ByteBuffer {
public:
    // Replaces the contents with size zero bytes; false (and empty) when the memory cannot be
    // had. An empty buffer is not a failure.
    [[nodiscard]] bool allocate(size_t size) {
        bytes_.reset();  // the old contents go before the new ones are asked for
        bytes_ = tryAllocateZeroed<uint8_t>(size, SIZE_MAX);
        size_ = bytes_ ? size : 0;
        return bytes_ != nullptr;
    }
    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    std::span<const uint8_t> bytes() const { return {bytes_.get(), size_}; }
    std::span<uint8_t> writable() { return {bytes_.get(), size_}; }

private:
    ZeroedArray<uint8_t> bytes_;
    size_t size_ = 0;
};

}  // namespace vistello
