#include "app/package_reader.h"

#include <new>

namespace vistello {
namespace {

[[nodiscard]] bool readInt32(ByteSource& source, int32_t& value) {
    uint8_t bytes[4];
    if (source.read(bytes, sizeof bytes) != sizeof bytes) return false;
    value = int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                    uint32_t(bytes[3]) << 24);
    return true;
}

// Texts have no length limit: they grow one byte at a time up to their zero byte, so a text
// never holds more than the data it was read from.
[[nodiscard]] bool readText(ByteSource& source, std::string& text) {
    text.clear();
    uint8_t byte = 0;
    try {
        while (source.read(&byte, 1) == 1) {
            if (byte == 0) return true;
            text.push_back(char(byte));
        }
    } catch (const std::bad_alloc&) {
        // Out of memory on a huge text: an ordinary failure of the read, never an exception
        // out of the package code.
    }
    return false;
}

[[nodiscard]] bool linkItemsFollow(LinkItemRule rule, int32_t linkFlag) {
    if (rule == LinkItemRule::readWhenFlagIsOne) return linkFlag == packageFlagPresent;
    return linkFlag != packageFlagAbsent;
}

[[nodiscard]] bool readLinkItems(ByteSource& source, PackageFields& fields) {
    return readInt32(source, fields.linkTiming) && readText(source, fields.linkTarget) &&
           readText(source, fields.linkParameters);
}

// Lengths are stored as int32; a negative one can only come from damaged data, and taking it
// as a size would either wrap to an enormous allocation or, for a seek, move backwards.
[[nodiscard]] bool readExactly(ByteSource& source, int32_t length, ByteBuffer& bytes) {
    if (length < 0 || uint64_t(length) > source.remaining()) return false;
    if (!bytes.allocate(size_t(length))) return false;
    return source.read(bytes.data(), size_t(length)) == size_t(length);
}

}  // namespace

bool readPackageItems(ByteSource& source, LinkItemRule rule, PackageFields& fields) {
    if (!readText(source, fields.windowTitle)) return false;
    if (!readText(source, fields.workTitle)) return false;
    if (!readText(source, fields.commentText)) return false;
    if (!readInt32(source, fields.autoExitSeconds)) return false;
    if (!readInt32(source, fields.zOrderMode)) return false;
    if (!readInt32(source, fields.startPosition)) return false;
    if (!readInt32(source, fields.captionMode)) return false;
    if (!readInt32(source, fields.autoCommentFlag)) return false;
    if (!readInt32(source, fields.linkFlag)) return false;
    if (linkItemsFollow(rule, fields.linkFlag) && !readLinkItems(source, fields)) return false;
    if (!readInt32(source, fields.enclosedFileFlag)) return false;
    return readInt32(source, fields.pictureLength);
}

bool readPictureBytes(ByteSource& source, int32_t pictureLength, ByteBuffer& picture) {
    return readExactly(source, pictureLength, picture);
}

bool skipPictureBytes(ByteSource& source, int32_t pictureLength) {
    return pictureLength >= 0 && source.skip(uint64_t(pictureLength));
}

bool walkToPicture(ByteSource& source, int32_t& pictureLength) {
    PackageFields fields;
    if (!readPackageItems(source, LinkItemRule::skipUnlessFlagIsMinusOne, fields)) return false;
    pictureLength = fields.pictureLength;
    return true;
}

bool walkToEnclosedFiles(ByteSource& source, int32_t& enclosedFileCount) {
    int32_t pictureLength = 0;
    if (!walkToPicture(source, pictureLength)) return false;
    if (!skipPictureBytes(source, pictureLength)) return false;
    return readInt32(source, enclosedFileCount) && enclosedFileCount >= 0;
}

bool readEnclosedEntryHeader(ByteSource& source, EnclosedEntryHeader& header) {
    return readText(source, header.name) && readInt32(source, header.size) && header.size >= 0;
}

bool readEnclosedContents(ByteSource& source, int32_t size, ByteBuffer& contents) {
    return readExactly(source, size, contents);
}

std::string resolveLinkTarget(std::string_view target, std::string_view programFolder) {
    if (target.empty() || target.front() != '*') return std::string(target);
    std::string resolved(programFolder);
    resolved.append(target.substr(1));
    return resolved;
}

}  // namespace vistello
