#include "win32/win32_console.h"

#include <windows.h>

#include <algorithm>

#include "win32/wide_text.h"

namespace vistello::tools::win32 {
namespace {

constexpr size_t consoleChunk = 8192;  // characters per WriteConsoleW

bool writeToConsole(HANDLE console, std::string_view utf8) {
    const std::wstring wide = wideFromUtf8(utf8);
    for (size_t done = 0; done < wide.size();) {
        DWORD put = 0;
        const DWORD wanted = DWORD(std::min(consoleChunk, wide.size() - done));
        if (!WriteConsoleW(console, wide.data() + done, wanted, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

bool writeToFile(HANDLE file, std::string_view utf8) {
    for (size_t done = 0; done < utf8.size();) {
        DWORD put = 0;
        if (!WriteFile(file, utf8.data() + done, DWORD(utf8.size() - done), &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

}  // namespace

void Win32Console::out(std::string_view utf8) { write(STD_OUTPUT_HANDLE, utf8); }

void Win32Console::err(std::string_view utf8) { write(STD_ERROR_HANDLE, utf8); }

void Win32Console::write(unsigned long which, std::string_view utf8) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE) {
        if (GetConsoleMode(handle, &mode)) {
            if (writeToConsole(handle, utf8)) return;
        } else if (GetFileType(handle) != FILE_TYPE_UNKNOWN && writeToFile(handle, utf8)) {
            return;
        }
    }
    unshown_ += utf8;
}

bool detachFromOwnConsole() {
    DWORD processes[2] = {};
    if (GetConsoleProcessList(processes, 2) != 1) return false;
    return FreeConsole() != 0;
}

}  // namespace vistello::tools::win32
