#include "package_view.h"

#include "app/package_reader.h"
#include "program_file.h"

namespace vistello::tools {
namespace {

bool readAsTheLoader(std::span<const uint8_t> package, PackageView& view, std::string& problem) {
    MemoryByteSource source(package);
    if (!readPackageItems(source, LinkItemRule::readWhenFlagIsOne, view.fields)) {
        problem = "damaged package: it ends inside its settings, before the picture";
        return false;
    }
    const int32_t length = view.fields.pictureLength;
    if (length < 0 || uint64_t(length) > source.remaining()) {
        problem = "damaged package: picture length " + std::to_string(length) + ", but " +
                  std::to_string(source.remaining()) + " bytes follow";
        return false;
    }
    if (view.fields.linkFlag != packageFlagPresent && view.fields.linkFlag != packageFlagAbsent) {
        view.notes.push_back("link flag " + std::to_string(view.fields.linkFlag) +
                             " is neither 1 nor -1: the program shows no link items, but its unpacker and "
                             "restore command read them");
    }
    if (view.fields.enclosedFileFlag != packageFlagPresent && view.fields.enclosedFileFlag != packageFlagAbsent) {
        view.notes.push_back("enclosed-file flag " + std::to_string(view.fields.enclosedFileFlag) +
                             " is neither 1 nor -1: the program offers no enclosed files");
    }
    view.trailingBytes = size_t(source.remaining()) - size_t(length);
    return true;
}

// The restore command's walk to the picture, and the unpacker's on through the enclosed files.
bool readAsTheWalkers(std::span<const uint8_t> package, PackageView& view, std::string& problem) {
    MemoryByteSource source(package);
    int32_t length = 0;
    if (!walkToPicture(source, length) || length < 0 || uint64_t(length) > source.remaining()) {
        problem = "damaged package: the restore command cannot find the picture in it";
        return false;
    }
    view.picture = package.subspan(source.position(), size_t(length));
    if (view.fields.enclosedFileFlag != packageFlagPresent) return true;

    MemoryByteSource walk(package);
    int32_t count = 0;
    if (!walkToEnclosedFiles(walk, count)) {
        problem = "damaged package: the enclosed-file count is missing or negative";
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        EnclosedEntryHeader header;
        if (!readEnclosedEntryHeader(walk, header) || uint64_t(header.size) > walk.remaining()) {
            problem = "damaged package: enclosed file " + std::to_string(i + 1) + " of " + std::to_string(count) +
                      " is cut short";
            return false;
        }
        view.enclosedFiles.push_back({header.name, package.subspan(walk.position(), size_t(header.size))});
        if (!walk.skip(uint64_t(header.size))) return false;
    }
    view.trailingBytes = size_t(walk.remaining());
    return true;
}

}  // namespace

bool readProgramPackage(std::span<const uint8_t> program, PackageView& view, std::string& problem) {
    PackageLocation location;
    if (!locatePackage(program, location, problem)) return false;
    view.offset = location.offset;
    view.packageSize = location.package.size();
    return readAsTheLoader(location.package, view, problem) && readAsTheWalkers(location.package, view, problem);
}

const char* pictureKindName(std::span<const uint8_t> picture) {
    if (picture.size() >= 2 && picture[0] == 0xFF && picture[1] == 0xD8) return "JPEG";
    if (picture.size() >= 2 && picture[0] == 'B' && picture[1] == 'M') return "BMP";
    return "unknown";
}

}  // namespace vistello::tools
