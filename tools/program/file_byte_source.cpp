#include "program/file_byte_source.h"

#include <algorithm>
#include <cstring>

namespace vistello::tools {
namespace {

constexpr size_t bufferCapacity = size_t(64) << 10;

}  // namespace

FileByteSource::FileByteSource(InputFile& file, uint64_t begin, uint64_t end)
    : file_(file), position_(std::min(begin, end)), end_(end), buffer_(bufferCapacity) {}

bool FileByteSource::fill() {
    if (!problem_.empty()) return false;
    const size_t count = size_t(std::min<uint64_t>(bufferCapacity, end_ - position_));
    if (!file_.readAt(position_, std::span<uint8_t>(buffer_.data(), count), problem_)) {
        if (problem_.empty()) problem_ = "read failed";
        return false;
    }
    bufferStart_ = position_;
    bufferSize_ = count;
    return true;
}

size_t FileByteSource::read(uint8_t* out, size_t count) {
    size_t done = 0;
    while (done < count && position_ < end_) {
        const bool buffered = position_ >= bufferStart_ && position_ < bufferStart_ + bufferSize_;
        if (!buffered && !fill()) break;
        const size_t at = size_t(position_ - bufferStart_);
        const size_t take = std::min(count - done, bufferSize_ - at);
        std::memcpy(out + done, buffer_.data() + at, take);
        done += take;
        position_ += take;
    }
    return done;
}

bool FileByteSource::skip(uint64_t count) {
    if (count > remaining()) {
        position_ = end_;
        return false;
    }
    position_ += count;
    return true;
}

size_t ReadBudgetSource::read(uint8_t* out, size_t count) {
    const size_t allowed = size_t(std::min<uint64_t>(count, left_));
    const size_t got = inner_.read(out, allowed);
    left_ -= got;
    if (got < count && got == allowed && inner_.remaining() > 0) spent_ = true;
    return got;
}

}  // namespace vistello::tools
