#include "app/package_writer.h"

#include <limits>
#include <new>
#include <string_view>

#include "app/enclosed_name.h"
#include "app/package_fields.h"

namespace vistello {
namespace {

constexpr uint64_t int32Max = uint64_t(std::numeric_limits<int32_t>::max());

bool fitsText(std::string_view text) { return text.find('\0') == std::string_view::npos; }

const char* enclosedEntryProblem(std::string_view name, uint64_t size) {
    if (!fitsText(name)) return "an enclosed file name contains a zero byte";
    if (!isSafeEnclosedName(name)) return "an enclosed file name leaves the program's folder";
    if (size > int32Max) return "an enclosed file is longer than 2147483647 bytes";
    return nullptr;
}

// The first thing before the entries' contents that the format cannot carry, or nullptr.
const char* findHeadProblem(const PackageContent& content) {
    if (!fitsText(content.windowTitle)) return "the window title contains a zero byte";
    if (!fitsText(content.workTitle)) return "the work title contains a zero byte";
    if (!fitsText(content.commentText)) return "the comment contains a zero byte";
    if (content.link && !fitsText(content.link->target)) return "the link target contains a zero byte";
    if (content.link && !fitsText(content.link->parameters)) return "the link parameters contain a zero byte";
    if (content.picture.size() > int32Max) return "the picture is longer than 2147483647 bytes";
    if (!content.enclosedFiles) return nullptr;
    if (content.enclosedFiles->size() > int32Max) return "too many enclosed files";
    for (const auto& file : *content.enclosedFiles) {
        if (const char* problem = enclosedEntryProblem(file.name, 0)) return problem;
    }
    return nullptr;
}

const char* findProblem(const PackageContent& content) {
    if (const char* problem = findHeadProblem(content)) return problem;
    if (!content.enclosedFiles) return nullptr;
    for (const auto& file : *content.enclosedFiles) {
        if (const char* problem = enclosedEntryProblem(file.name, file.contents.size())) return problem;
    }
    return nullptr;
}

void appendInt32(std::vector<uint8_t>& out, int32_t value) {
    const auto bits = uint32_t(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(bits >> shift));
}

void appendText(std::vector<uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void appendBytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Lengths were checked against int32 by findHeadProblem.
void appendHead(const PackageContent& content, std::vector<uint8_t>& out) {
    appendText(out, content.windowTitle);
    appendText(out, content.workTitle);
    appendText(out, content.commentText);
    appendInt32(out, content.autoExitSeconds);
    appendInt32(out, content.zOrderMode);
    appendInt32(out, content.startPosition);
    appendInt32(out, content.captionMode);
    appendInt32(out, content.autoCommentFlag);
    appendInt32(out, content.link ? packageFlagPresent : packageFlagAbsent);
    if (content.link) {
        appendInt32(out, content.link->timing);
        appendText(out, content.link->target);
        appendText(out, content.link->parameters);
    }
    appendInt32(out, content.enclosedFiles ? packageFlagPresent : packageFlagAbsent);
    appendInt32(out, int32_t(content.picture.size()));
    appendBytes(out, content.picture);
    if (content.enclosedFiles) appendInt32(out, int32_t(content.enclosedFiles->size()));
}

void appendEntryHead(std::string_view name, uint64_t size, std::vector<uint8_t>& out) {
    appendText(out, name);
    appendInt32(out, int32_t(size));
}

// Runs append on out; on running out of memory out is put back as it was.
template <typename Append>
bool appendOrRestore(std::vector<uint8_t>& out, const char*& problem, Append append) {
    const size_t originalSize = out.size();
    try {
        append();
    } catch (const std::bad_alloc&) {
        out.resize(originalSize);
        problem = "out of memory";
        return false;
    }
    return true;
}

}  // namespace

bool writePackage(const PackageContent& content, std::vector<uint8_t>& out, const char*& problem) {
    problem = findProblem(content);
    if (problem) return false;
    return appendOrRestore(out, problem, [&] {
        appendHead(content, out);
        if (!content.enclosedFiles) return;
        for (const auto& file : *content.enclosedFiles) {
            appendEntryHead(file.name, file.contents.size(), out);
            appendBytes(out, file.contents);
        }
    });
}

bool writePackageHead(const PackageContent& content, std::vector<uint8_t>& out, const char*& problem) {
    problem = findHeadProblem(content);
    if (problem) return false;
    return appendOrRestore(out, problem, [&] { appendHead(content, out); });
}

bool writeEnclosedEntryHead(std::string_view name, uint64_t size, std::vector<uint8_t>& out, const char*& problem) {
    problem = enclosedEntryProblem(name, size);
    if (problem) return false;
    return appendOrRestore(out, problem, [&] { appendEntryHead(name, size, out); });
}

}  // namespace vistello
