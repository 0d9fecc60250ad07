#include "app/program_paths.h"

#include <cstdint>

namespace vistello {
namespace {

// Paths are code page 932 bytes, where the second byte of a double-byte character can be 0x5C,
// the backslash (ソ is 83 5C). Only a backslash that starts a character separates names.
bool isLeadByte(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

size_t lastBackslash(const std::string& path) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\') found = i;
        else if (isLeadByte(uint8_t(path[i]))) ++i;
    }
    return found;
}

}  // namespace

std::string folderWithoutSlash(const std::string& path) {
    const auto slash = lastBackslash(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string folderWithSlash(const std::string& path) {
    const auto slash = lastBackslash(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string titleFromPicturePath(const std::string& path) {
    const auto slash = lastBackslash(path);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

std::string besideProgram(const std::string& programPath, const std::string& extension) {
    const auto dot = programPath.rfind('.');
    const std::string stem = dot == std::string::npos ? programPath : programPath.substr(0, dot + 1);
    return stem + extension;
}

std::string settingsFileFor(const std::string& programPath) {
    const std::string folder = folderWithSlash(programPath);
    std::string name = programPath.substr(folder.size());
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return folder + name + ".ini";
}

std::string withoutSurroundingQuotes(const std::string& commandLine) {
    if (commandLine.size() >= 2 && commandLine.front() == '"' && commandLine.back() == '"')
        return commandLine.substr(1, commandLine.size() - 2);
    return commandLine;
}

}  // namespace vistello
