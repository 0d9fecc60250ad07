#pragma once
// The Windows tool's conversions at its seams: the portable code speaks UTF-8, the system's
// wide-character functions UTF-16; paths get the form that reaches past 260 characters.
#include <windows.h>

#include <string>
#include <string_view>

namespace vistello::tools::win32 {

std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

// The full path (from the current folder) with the \\?\ prefix, or \\?\UNC\ for a share, with
// which the wide file functions take paths of any length. Device names (NUL, \\.\...) and
// paths that already carry a prefix stay as they are.
std::wstring extendedPath(std::string_view utf8Path);
// The full path as people and the ANSI functions see it: no prefix.
std::wstring plainFullPath(std::string_view utf8Path);

// The system's text for an error code, in English like the tool's own messages, without the
// closing full stop.
std::string systemMessage(DWORD error);

}  // namespace vistello::tools::win32
