#include "window/output_paths.h"

namespace vistello {

std::optional<std::string> outputNameBesideProgram(const std::string& programPath, std::string_view extension) {
    const auto dot = programPath.rfind('.');
    const auto slash = programPath.rfind('\\');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
    std::string name = programPath.substr(0, dot + 1);
    name.append(extension);
    return name;
}

std::string restoreExtensionForPicturePath(std::string_view picturePath) {
    if (picturePath.size() < 3) return {};
    std::string last(picturePath.substr(picturePath.size() - 3));
    for (char& c : last) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return last == "BMP" || last == "JPG" ? last : std::string();
}

std::string restoreExtensionForKind(ImageKind kind) {
    switch (kind) {
    case ImageKind::bmp: return "BMP";
    case ImageKind::jpeg: return "JPG";
    default: return {};
    }
}

bool isPathInsideFolder(std::string_view folder, std::string_view fullPath) {
    if (folder.empty() || folder.back() != '\\') return false;
    return fullPath.size() > folder.size() && fullPath.substr(0, folder.size()) == folder;
}

}  // namespace vistello
