#include "program/program_file.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "app/package_offset.h"
#include "program/file_byte_source.h"
#include "program/pe_image.h"

namespace vistello::tools {
namespace {

constexpr size_t tagSize = sizeof packageOffsetTag;
constexpr size_t searchChunk = size_t(256) << 10;

// The image's ranges sorted and merged, so that overlapping ranges are searched once.
std::vector<FileRange> mergedRanges(const PeImage& image) {
    std::vector<FileRange> ranges = image.sections;
    if (image.headers.end > image.headers.begin) ranges.push_back(image.headers);
    std::sort(ranges.begin(), ranges.end(), [](const FileRange& a, const FileRange& b) { return a.begin < b.begin; });
    std::vector<FileRange> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.begin <= merged.back().end) {
            merged.back().end = std::max(merged.back().end, range.end);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

// Counts the tags that lie wholly inside range, read in chunks that overlap by the tag's size
// less one so a tag across a chunk border is seen exactly once.
bool countTags(InputFile& file, const FileRange& range, size_t& count, uint64_t& lastAt, std::string& problem) {
    const auto tagBegin = reinterpret_cast<const uint8_t*>(packageOffsetTag);
    std::vector<uint8_t> chunk;
    for (uint64_t start = range.begin; range.end - start >= tagSize;) {
        const size_t length = size_t(std::min<uint64_t>(searchChunk, range.end - start));
        chunk.resize(length);
        if (!file.readAt(start, chunk, problem)) return false;
        const bool last = start + length == range.end;
        const size_t step = length - (tagSize - 1);
        for (auto at = chunk.begin();;) {
            at = std::search(at, chunk.end(), tagBegin, tagBegin + tagSize);
            if (at == chunk.end()) break;
            const size_t offset = size_t(at - chunk.begin());
            if (offset < step || last) {
                ++count;
                lastAt = start + offset;
            }
            ++at;
        }
        if (last) break;
        start += step;
    }
    return true;
}

std::string numbers(const ProgramFile& program) {
    return " (stamped offset " + std::to_string(program.storedOffset) + ", file " + std::to_string(program.fileSize) +
           " bytes, program image " + std::to_string(program.imageEnd) + " bytes)";
}

}  // namespace

bool readProgramFile(InputFile& file, ProgramFile& program, std::string& problem) {
    program = {};
    program.fileSize = file.size();
    PeImage image;
    FileByteSource headers(file, 0, file.size());
    if (!readPeImage(headers, file.size(), image, problem)) {
        if (headers.failed()) problem = headers.problem();
        return false;
    }
    program.imageEnd = image.imageEnd;
    size_t count = 0;
    uint64_t tagAt = 0;
    for (const auto& range : mergedRanges(image)) {
        if (!countTags(file, range, count, tagAt, problem)) return false;
    }
    if (count != 1) {
        problem = count == 0 ? "not a picture program or stub: its program image holds no package-offset constant"
                             : "its program image holds the package-offset tag " + std::to_string(count) +
                                   " times, so the stamped one cannot be told";
        return false;
    }
    program.constantAt = tagAt + tagSize;
    uint8_t stamp[packageOffsetSize];
    if (program.constantAt + packageOffsetSize > program.imageEnd ||
        !file.readAt(program.constantAt, stamp, problem)) {
        if (problem.empty()) problem = "a damaged program file: its package-offset constant is cut short";
        return false;
    }
    program.storedOffset = packageOffsetValue(std::span<const uint8_t, packageOffsetSize>(stamp));
    return true;
}

bool checkStub(const ProgramFile& stub, std::string& problem) {
    if (stub.fileSize > maxPackageOffset) {
        problem = "the stub is longer than 2147483647 bytes, the furthest the program can seek to its package";
        return false;
    }
    if (stub.storedOffset == stub.fileSize) return true;
    if (stub.storedOffset >= stub.imageEnd && stub.storedOffset < stub.fileSize) {
        problem = "not a bare program stub: it already carries a picture package" + numbers(stub);
    } else {
        problem = "the program stub is not stamped with its own length" + numbers(stub);
    }
    return false;
}

bool locatePackage(const ProgramFile& program, uint64_t& packageOffset, std::string& problem) {
    if (program.storedOffset > program.fileSize) {
        problem = "the package offset lies beyond the end of the file: the file is cut short or the program was "
                  "never stamped" + numbers(program);
        return false;
    }
    if (program.storedOffset == program.fileSize) {
        problem = "carries no picture package (a bare program stub: the file ends where the package would start)" +
                  numbers(program);
        return false;
    }
    if (program.storedOffset < program.imageEnd) {
        problem = "the package offset lies inside the program's own image: the program was not stamped" + numbers(program);
        return false;
    }
    if (program.storedOffset > maxPackageOffset) {
        problem = "the package offset lies beyond 2147483647, further than the program's readers can seek" +
                  numbers(program);
        return false;
    }
    packageOffset = program.storedOffset;
    return true;
}

}  // namespace vistello::tools
