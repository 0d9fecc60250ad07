#include "program/package_view.h"

#include "app/package_reader.h"
#include "program/file_byte_source.h"

namespace vistello::tools {
namespace {

// The reason a read through source stopped: a system failure, the tool's own bound, or damage.
bool stopped(const FileByteSource& source, const ReadBudgetSource* budget, const std::string& damage,
             std::string& problem) {
    if (source.failed()) problem = source.problem();
    else if (budget && budget->spent()) problem = "the package's settings are longer than the 1 MiB the tool reads (its texts have no end)";
    else problem = damage;
    return false;
}

bool readAsTheLoader(InputFile& file, PackageView& view, std::string& problem) {
    FileByteSource source(file, view.offset, file.size());
    ReadBudgetSource settings(source, maxSettingsBytes);
    if (!readPackageItems(settings, LinkItemRule::readWhenFlagIsOne, view.fields)) {
        return stopped(source, &settings, "damaged package: it ends inside its settings, before the picture", problem);
    }
    const int32_t length = view.fields.pictureLength;
    if (length < 0 || uint64_t(length) > source.remaining()) {
        problem = "damaged package: picture length " + std::to_string(length) + ", but " +
                  std::to_string(source.remaining()) + " bytes follow";
        return false;
    }
    if (view.fields.linkFlag != packageFlagPresent && view.fields.linkFlag != packageFlagAbsent) {
        view.notes.push_back("link flag " + std::to_string(view.fields.linkFlag) +
                             " is neither 1 nor -1: the program shows no link items, but its unpacker and restore "
                             "command read them");
    }
    if (view.fields.enclosedFileFlag != packageFlagPresent && view.fields.enclosedFileFlag != packageFlagAbsent) {
        view.notes.push_back("enclosed-file flag " + std::to_string(view.fields.enclosedFileFlag) +
                             " is neither 1 nor -1: the program offers no enclosed files");
    }
    view.trailingBytes = source.remaining() - uint64_t(length);
    return true;
}

bool readEnclosedFiles(FileByteSource& walk, PackageView& view, std::string& problem) {
    ReadBudgetSource settings(walk, maxSettingsBytes);
    int32_t count = 0;
    if (!walkToEnclosedFiles(settings, count)) {
        return stopped(walk, &settings, "damaged package: the enclosed-file count is missing or negative", problem);
    }
    if (uint32_t(count) > maxEnclosedFiles) {
        problem = "the package claims " + std::to_string(count) + " enclosed files; the tool reads at most " +
                  std::to_string(maxEnclosedFiles);
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        EnclosedEntryHeader header;
        ReadBudgetSource name(walk, maxEnclosedNameBytes + 5);  // the name, its zero and the size
        const std::string cutShort = "damaged package: enclosed file " + std::to_string(i + 1) + " of " +
                                     std::to_string(count) + " is cut short";
        if (!readEnclosedEntryHeader(name, header)) {
            if (name.spent()) {
                problem = "enclosed file " + std::to_string(i + 1) + " has a name longer than the " +
                          std::to_string(maxEnclosedNameBytes) + " bytes the tool reads";
                return false;
            }
            return stopped(walk, nullptr, cutShort, problem);
        }
        if (uint64_t(header.size) > walk.remaining()) {
            problem = cutShort;
            return false;
        }
        view.enclosedFiles.push_back({header.name, {walk.position(), uint32_t(header.size)}});
        if (!walk.skip(uint64_t(header.size))) return stopped(walk, nullptr, cutShort, problem);
    }
    view.trailingBytes = walk.remaining();
    return true;
}

// The restore command's walk to the picture, and the unpacker's on through the enclosed files.
bool readAsTheWalkers(InputFile& file, PackageView& view, std::string& problem) {
    FileByteSource source(file, view.offset, file.size());
    ReadBudgetSource settings(source, maxSettingsBytes);
    int32_t length = 0;
    if (!walkToPicture(settings, length) || length < 0 || uint64_t(length) > source.remaining()) {
        return stopped(source, &settings, "damaged package: the restore command cannot find the picture in it", problem);
    }
    view.picture = {source.position(), uint32_t(length)};
    if (view.fields.enclosedFileFlag != packageFlagPresent) return true;
    FileByteSource walk(file, view.offset, file.size());
    return readEnclosedFiles(walk, view, problem);
}

}  // namespace

bool readPackageView(InputFile& file, PackageView& view, std::string& problem) {
    view = {};
    if (!readProgramFile(file, view.program, problem)) return false;
    if (!locatePackage(view.program, view.offset, problem)) return false;
    return readAsTheLoader(file, view, problem) && readAsTheWalkers(file, view, problem);
}

const char* pictureKindName(std::span<const uint8_t> firstBytes) {
    if (firstBytes.size() >= 2 && firstBytes[0] == 0xFF && firstBytes[1] == 0xD8) return "JPEG";
    if (firstBytes.size() >= 2 && firstBytes[0] == 'B' && firstBytes[1] == 'M') return "BMP";
    return "unknown";
}

}  // namespace vistello::tools
