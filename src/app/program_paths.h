#pragma once
// Names derived from Windows paths (backslash-separated, code page 932 bytes). Pure string
// work, so that the rules can be tested natively. A dot is never the second byte of a
// double-byte character, a backslash can be: only a backslash that starts a character counts.
#include <string>

namespace vistello {

// The folder of a path: everything before its last backslash ("" when there is none).
std::string folderWithoutSlash(const std::string& path);
// The same with the backslash kept, ready for a file name to be appended.
std::string folderWithSlash(const std::string& path);
// The window title for a picture named on the command line: the part after the last
// backslash, cut before its last dot (a name without a dot gives an empty title).
std::string titleFromPicturePath(const std::string& path);
// Files beside the program: its path cut after the last "." plus extension ("BMP", "JPG").
std::string besideProgram(const std::string& programPath, const std::string& extension);
// The settings file: the program's folder, its file name without extension, and ".ini".
std::string settingsFileFor(const std::string& programPath);
// Removes one pair of double quotes around a command-line path ("C:\a b.jpg" -> C:\a b.jpg).
std::string withoutSurroundingQuotes(const std::string& commandLine);

}  // namespace vistello
