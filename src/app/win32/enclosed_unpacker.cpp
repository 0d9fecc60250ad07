#include "app/win32/enclosed_unpacker.h"

#include <windows.h>

#include "app/enclosed_name.h"
#include "app/package_reader.h"
#include "app/program_paths.h"
#include "app/win32/new_file.h"
#include "app/win32/win32_files.h"
#include "common/byte_buffer.h"
#include "window/output_paths.h"

namespace vistello {
namespace {

// The system's full form of a path: "." and ".." resolved, "/" turned into "\", trailing dots
// and spaces of the last component dropped, device names turned into their device paths.
bool fullPathOf(const std::string& path, std::string& full) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    full.assign(buffer, length);
    return true;
}

// Where an enclosed file goes: the program's folder followed by the stored name, but only when
// the name keeps to that folder both by its form and as the system resolves it.
bool destinationFor(const std::string& folder, const std::string& name, std::string& destination) {
    if (!isSafeEnclosedName(name)) return false;
    std::string fullFolder;
    if (!fullPathOf(folder, fullFolder) || !fullPathOf(folder + name, destination)) return false;
    return isPathInsideFolder(fullFolder, destination);
}

// One entry: its name and size, then its contents, which are read in full before the
// destination is touched, so a damaged entry never replaces an existing file.
bool unpackEntry(ByteSource& source, const std::string& folder) {
    EnclosedEntryHeader header;
    if (!readEnclosedEntryHeader(source, header)) return false;
    std::string destination;
    if (!destinationFor(folder, header.name, destination)) return false;
    ByteBuffer contents;
    if (!readEnclosedContents(source, header.size, contents)) return false;
    return writeNewFile(destination, contents.bytes()) == NewFileResult::written;
}

}  // namespace

bool unpackEnclosedFiles(const std::string& programPath, uint32_t packageOffset) {
    const std::string folder = folderWithSlash(programPath);
    PackageCopy copy("vod", programPath, packageOffset);
    int32_t count = 0;
    if (!copy.ready() || !walkToEnclosedFiles(copy.source(), count)) return false;
    for (int32_t entry = 0; entry < count; ++entry) {
        if (!unpackEntry(copy.source(), folder)) return false;
    }
    return true;
}

}  // namespace vistello
