#include "raster/memory_file.h"

#include <algorithm>
#include <cstring>

namespace vistello {

size_t MemoryFile::read(uint8_t* out, size_t count) {
    if (position_ >= length_) return 0;
    const size_t available = length_ - size_t(position_);
    const size_t copied = std::min(count, available);
    if (copied > 0) std::memcpy(out, data_ + position_, copied);
    position_ += copied;
    return copied;
}

}  // namespace vistello
