#include "app/byte_source.h"

#include <algorithm>
#include <cstring>

namespace vistello {

size_t MemoryByteSource::read(uint8_t* out, size_t count) {
    const size_t available = std::min(count, bytes_.size() - position_);
    if (available != 0) std::memcpy(out, bytes_.data() + position_, available);
    position_ += available;
    return available;
}

bool MemoryByteSource::skip(uint64_t count) {
    if (count > remaining()) {
        position_ = bytes_.size();
        return false;
    }
    position_ += size_t(count);
    return true;
}

}  // namespace vistello
