// Kept apart from package_offset.cpp so that the program, which only reads its own constant,
// never links this search and its second copy of the tag.
#include <algorithm>
#include <iterator>

#include "app/package_offset.h"

namespace vistello {

std::optional<size_t> findPackageOffset(std::span<const uint8_t> programFile) {
    const auto tagBegin = reinterpret_cast<const uint8_t*>(packageOffsetTag);
    const auto tagEnd = tagBegin + sizeof packageOffsetTag;
    const auto first = std::search(programFile.begin(), programFile.end(), tagBegin, tagEnd);
    if (first == programFile.end()) return std::nullopt;
    const size_t tagAt = size_t(first - programFile.begin());
    if (programFile.size() - tagAt < sizeof packageOffsetTag + packageOffsetSize) return std::nullopt;
    // A second copy of the tag would make the stamped position ambiguous.
    if (std::search(std::next(first), programFile.end(), tagBegin, tagEnd) != programFile.end()) return std::nullopt;
    return tagAt + sizeof packageOffsetTag;
}

}  // namespace vistello
