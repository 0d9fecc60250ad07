#pragma once
// An owned run of bytes whose size comes from the input (a picture, an enclosed file).
// Allocation never throws: running out of memory is an ordinary failure.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>

namespace vistello {

class ByteBuffer {
public:
    // Replaces the contents with size bytes of unspecified value; false (and empty) when the
    // memory cannot be had.
    [[nodiscard]] bool allocate(size_t size) {
        bytes_.reset();
        size_ = 0;
        // new[] of zero elements still yields a valid pointer, so an empty buffer is not a failure.
        bytes_.reset(new (std::nothrow) uint8_t[size]);
        if (!bytes_) return false;
        size_ = size;
        return true;
    }
    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    std::span<const uint8_t> bytes() const { return {bytes_.get(), size_}; }

private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_ = 0;
};

}  // namespace vistello
