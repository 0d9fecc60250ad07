#pragma once
// The names of the files the picture window writes: the restored picture and the wallpaper
// beside the program, and the enclosed files inside the program's folder. Pure string work
// on Windows paths (backslash-separated ANSI bytes), so the rules can be tested natively.
#include <optional>
#include <string>
#include <string_view>

#include "raster/load_picture.h"

namespace vistello {

// The program's path cut after the last "." of its file name, plus extension ("BMP", "JPG"):
// C:\x\sunset.exe gives C:\x\sunset.BMP. A file name without a dot has no place to cut, and
// cutting at a dot of a folder name would write outside the program's folder, so both give
// nothing.
[[nodiscard]] std::optional<std::string> outputNameBesideProgram(const std::string& programPath,
                                                                 std::string_view extension);

// The extension of the restored copy of a picture named on the command line: its last three
// characters in upper case when they are "BMP" or "JPG"; empty for anything else.
[[nodiscard]] std::string restoreExtensionForPicturePath(std::string_view picturePath);

// The extension of the restored package picture by its kind; empty for a kind with no file.
[[nodiscard]] std::string restoreExtensionForKind(ImageKind kind);

// True when fullPath names something strictly inside folder. Both must be full paths as the
// system resolves them (".." and "." already gone); folder ends with a backslash. The bytes
// are compared exactly: a difference in case can refuse a harmless name, never admit another
// folder.
[[nodiscard]] bool isPathInsideFolder(std::string_view folder, std::string_view fullPath);

}  // namespace vistello
