#pragma once
// The one bounded reader of bytes held in memory (a picture, a package, a BMP's run-length
// commands, a JPEG stream). Every read tests the bytes left before it touches one, so nothing
// beyond the data is ever read; it neither copies nor owns the bytes.
//
// The position may lie beyond the end (a seek or an offset taken from the data can put it
// there): reads there fail and nothing is left. A read or skip that wanted more than was left
// marks the reader as having passed the end, which stays until the next seek.
#include <cstddef>
#include <cstdint>
#include <span>

namespace vistello {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size, uint64_t position = 0)
        : data_(data), size_(data ? size : 0), position_(position) {}
    explicit ByteReader(std::span<const uint8_t> bytes, uint64_t position = 0)
        : ByteReader(bytes.data(), bytes.size(), position) {}

    size_t size() const { return size_; }
    uint64_t position() const { return position_; }
    uint64_t remaining() const { return position_ < size_ ? size_ - position_ : 0; }
    bool passedEnd() const { return passedEnd_; }
    // Any position is allowed; it clears the passed-end mark.
    void seek(uint64_t position) {
        position_ = position;
        passedEnd_ = false;
    }

    // Copies up to count bytes from the position and moves past them; returns how many came
    // (fewer than count only at the end, which marks the end as passed).
    [[nodiscard]] size_t read(uint8_t* out, size_t count);
    // Moves count bytes forward. False, with the position at the end, when fewer are left.
    [[nodiscard]] bool skip(uint64_t count);
    // One byte; two bytes, most significant first (a JPEG segment length).
    [[nodiscard]] bool readU8(uint8_t& value);
    [[nodiscard]] bool readU16BE(uint16_t& value);

private:
    bool ended() {
        passedEnd_ = true;
        return false;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    uint64_t position_ = 0;
    bool passedEnd_ = false;
};

}  // namespace vistello
