#pragma once
// Builds picture packages: the bytes appended to a program file. Used by the authoring tool and
// by tests; the program itself never writes packages.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/package_codes.h"

namespace vistello {

// The defaults below are those of a package made without options: no automatic exit, normal
// z-order, centred, with a title bar, no comment dialog of its own, a link opened at start.
struct PackageLink {
    int32_t timing = storedCode(LinkTiming::atStart);
    std::string target;
    std::string parameters;
};

struct EnclosedFile {
    std::string name;  // code page 932 bytes, relative to the program's folder
    std::vector<uint8_t> contents;
};

// What a package says. Texts are code page 932 bytes. The link flag and the enclosed-file flag
// are not stored here: they follow from whether link and enclosedFiles are present, so the
// writer can only ever store 1 or -1 in them.
struct PackageContent {
    std::string windowTitle;
    std::string workTitle;
    std::string commentText;
    int32_t autoExitSeconds = autoExitOff;
    int32_t zOrderMode = storedCode(ZOrderMode::normal);
    int32_t startPosition = storedCode(StartPosition::centre);
    int32_t captionMode = captionModeTitleBar;
    int32_t autoCommentFlag = autoCommentOff;
    std::optional<PackageLink> link;
    std::vector<uint8_t> picture;
    std::optional<std::vector<EnclosedFile>> enclosedFiles;  // present, even empty: flag 1
};

// Appends the package's bytes to out. Fails, with a fixed reason in problem and out unchanged,
// for what the format cannot carry: a zero byte inside a text (it would end the text early and
// shift every later item), a length or count beyond int32, or an enclosed name that would leave
// the program's folder.
[[nodiscard]] bool writePackage(const PackageContent& content, std::vector<uint8_t>& out,
                                const char*& problem);

// The same package for a writer that streams the enclosed files' contents instead of holding
// them: writePackageHead appends everything before the first entry (items 1 to 16: the texts,
// settings and link, the picture, and the enclosed-file count, which is the number of entries
// in content.enclosedFiles; their contents are not used), and writeEnclosedEntryHead the name
// and size that one entry's contents follow. writePackage is the head, then for each entry
// its head and contents. Both check what writePackage checks and leave out unchanged on failure.
[[nodiscard]] bool writePackageHead(const PackageContent& content, std::vector<uint8_t>& out, const char*& problem);
[[nodiscard]] bool writeEnclosedEntryHead(std::string_view name, uint64_t size, std::vector<uint8_t>& out,
                                          const char*& problem);

}  // namespace vistello
