#pragma once
// What the package readers read from. The program reads its package from a temporary copy of
// its own file, so the readers never assume the whole package is in memory: they only ask for
// the next bytes, for the number of bytes left, or to move forward.
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/byte_reader.h"

namespace vistello {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to count bytes into out and returns how many came; fewer than count only at
    // the end of the data.
    [[nodiscard]] virtual size_t read(uint8_t* out, size_t count) = 0;
    // Moves count bytes forward from the current position. False, with the position at the
    // end of the data, when fewer than count bytes are left.
    [[nodiscard]] virtual bool skip(uint64_t count) = 0;
    // Bytes between the current position and the end of the data. Lets a reader refuse a
    // length taken from the data before it allocates for it.
    [[nodiscard]] virtual uint64_t remaining() const = 0;
};

// A byte source over bytes the caller keeps alive.
class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const uint8_t> bytes) : reader_(bytes) {}
    [[nodiscard]] size_t read(uint8_t* out, size_t count) override { return reader_.read(out, count); }
    [[nodiscard]] bool skip(uint64_t count) override { return reader_.skip(count); }
    [[nodiscard]] uint64_t remaining() const override { return reader_.remaining(); }
    size_t position() const { return size_t(reader_.position()); }

private:
    ByteReader reader_;
};

}  // namespace vistello
