#pragma once
// The one reader of picture packages. The program's loader, its enclosed-file unpacker and its
// picture-restore command all read through these functions; they differ only in how they treat
// the link items (see LinkItemRule) and in what they do with the picture bytes.
//
// Every function reads forward from the source's current position, returns false as soon as
// the data ends early or holds a value that cannot be a length, and leaves whatever it read
// before the failure where it put it.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/byte_buffer.h"
#include "app/byte_source.h"
#include "app/package_fields.h"

namespace vistello {

// The link items (timing, target, parameters) follow the link flag only when the flag says so.
// The loader and the two walkers ask differently; both agree for the two values a package
// writer stores (1 and -1).
enum class LinkItemRule : uint8_t {
    readWhenFlagIsOne,         // the loader: the items are there only for exactly 1
    skipUnlessFlagIsMinusOne,  // the unpacker and the restore command: there unless -1
};

// Reads everything before the picture bytes into fields, in file order. Each text is emptied just before it is read.
// Under readWhenFlagIsOne a link flag other than 1 leaves link timing, target and parameters
// as they were.
[[nodiscard]] bool readPackageItems(ByteSource& source, LinkItemRule rule, PackageFields& fields);

// The picture bytes for the loader and the restore command: exactly pictureLength bytes into picture.
// A negative length, or one longer than the data left, fails before anything is allocated.
[[nodiscard]] bool readPictureBytes(ByteSource& source, int32_t pictureLength, ByteBuffer& picture);

// The picture bytes for the unpacker: moves past the picture without reading it.
[[nodiscard]] bool skipPictureBytes(ByteSource& source, int32_t pictureLength);

// The walk of the restore command: everything before the picture under the walkers' rule,
// leaving the source at the first picture byte.
[[nodiscard]] bool walkToPicture(ByteSource& source, int32_t& pictureLength);

// The walk of the unpacker: up to and past the picture under the walkers' rule, then the
// enclosed-file count. A negative count is refused rather than read as "no files": it can only
// come from a damaged package.
[[nodiscard]] bool walkToEnclosedFiles(ByteSource& source, int32_t& enclosedFileCount);

// The head of one enclosed-file entry; its size bytes of contents follow it in the source.
struct EnclosedEntryHeader {
    std::string name;  // code page 932 bytes, relative to the program's folder
    int32_t size = 0;
};

// Reads an entry's name and size. A negative size fails.
[[nodiscard]] bool readEnclosedEntryHeader(ByteSource& source, EnclosedEntryHeader& header);

// Reads exactly size bytes (an entry's contents) into contents.
[[nodiscard]] bool readEnclosedContents(ByteSource& source, int32_t size, ByteBuffer& contents);

// The link target as the program hands it to the shell: a leading "*" stands for the program's
// folder (given without a trailing backslash), so "*\\readme.txt" names a file beside the program.
std::string resolveLinkTarget(std::string_view target, std::string_view programFolder);

}  // namespace vistello
