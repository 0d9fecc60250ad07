#include "program/stream_copy.h"

#include <algorithm>
#include <vector>

namespace vistello::tools {
namespace {

constexpr size_t copyChunk = size_t(1) << 20;

}  // namespace

bool copyFileBytes(InputFile& from, uint64_t at, uint64_t size, OutputFile& to, std::string& problem) {
    std::vector<uint8_t> buffer(size_t(std::min<uint64_t>(copyChunk, size)));
    for (uint64_t done = 0; done < size;) {
        const size_t count = size_t(std::min<uint64_t>(buffer.size(), size - done));
        const std::span<uint8_t> part(buffer.data(), count);
        if (!from.readAt(at + done, part, problem) || !to.write(part, problem)) return false;
        done += count;
    }
    return true;
}

}  // namespace vistello::tools
