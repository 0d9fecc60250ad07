#include "common/byte_reader.h"

#include <algorithm>
#include <cstring>

namespace vistello {

size_t ByteReader::read(uint8_t* out, size_t count) {
    const size_t copied = size_t(std::min<uint64_t>(count, remaining()));
    if (copied != 0) std::memcpy(out, data_ + position_, copied);
    position_ += copied;
    if (copied < count) (void)ended();
    return copied;
}

bool ByteReader::skip(uint64_t count) {
    if (count > remaining()) {
        position_ = std::max<uint64_t>(position_, size_);
        return ended();
    }
    position_ += count;
    return true;
}

bool ByteReader::readU8(uint8_t& value) {
    if (remaining() < 1) return ended();
    value = data_[position_++];
    return true;
}

bool ByteReader::readU16BE(uint16_t& value) {
    if (remaining() < 2) return ended();
    const uint8_t* p = data_ + position_;
    value = uint16_t(p[0] << 8 | p[1]);
    position_ += 2;
    return true;
}

}  // namespace vistello
