#pragma once
// A read-only file over bytes held in memory: read, seek from the start and length, nothing
// more. It neither copies nor owns the bytes.
#include <cstddef>
#include <cstdint>

namespace vistello {

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t length) : data_(data), length_(data ? length : 0) {}

    // Copies up to count bytes from the current position and advances past them; returns the
    // number copied, 0 at or beyond the end.
    [[nodiscard]] size_t read(uint8_t* out, size_t count);
    // Any position is allowed; reads beyond the end return 0.
    void seek(uint64_t position) { position_ = position; }
    uint64_t position() const { return position_; }
    size_t length() const { return length_; }

private:
    const uint8_t* data_;
    size_t length_;
    uint64_t position_ = 0;
};

}  // namespace vistello
