// The package reader over arbitrary bytes: the loader's reading, then the unpacker's walk with
// every enclosed entry. Whatever the bytes, reading stays inside them and allocates no more
// than they hold.
#include <cstddef>
#include <cstdint>

#include "app/enclosed_name.h"
#include "app/package_reader.h"
#include "fuzz_limits.h"

using namespace vistello;

namespace {


// Touching every byte read makes a sanitizer see any byte that was never written; the volatile
// sink keeps the compiler from dropping the loop.
volatile uint32_t byteSink;

void touch(const ByteBuffer& buffer) {
    uint32_t sum = 0;
    for (const uint8_t byte : buffer.bytes()) sum += byte;
    byteSink = sum;
}

void load(const uint8_t* data, size_t size) {
    MemoryByteSource source({data, size});
    PackageFields fields;
    ByteBuffer picture;
    if (!readPackageItems(source, LinkItemRule::readWhenFlagIsOne, fields)) return;
    if (readPictureBytes(source, fields.pictureLength, picture)) touch(picture);
    (void)resolveLinkTarget(fields.linkTarget, "C:\\Pictures");
}

void unpack(const uint8_t* data, size_t size) {
    MemoryByteSource source({data, size});
    int32_t count = 0;
    if (!walkToEnclosedFiles(source, count)) return;
    for (int32_t i = 0; i < count; ++i) {
        EnclosedEntryHeader header;
        ByteBuffer contents;
        if (!readEnclosedEntryHeader(source, header)) return;
        (void)isSafeEnclosedName(header.name);
        if (!readEnclosedContents(source, header.size, contents)) return;
        touch(contents);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > vistello::fuzz::maxInputBytes) return 0;
    load(data, size);
    unpack(data, size);
    return 0;
}
