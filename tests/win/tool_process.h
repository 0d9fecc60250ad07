#pragma once
// vistello-pack.exe as the tests start it, and the wide-character file helpers its tests share:
// the built tool's path, whole files read and written, folder listings, scratch folders, and a
// tool process started with a wide command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "program_observer.h"
#include "program_runner.h"

namespace vistello::test {

inline std::wstring wide(const std::string& utf8) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), size);
    return text;
}

inline std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// The built tool: CMake gives the Unix path, which Wine shows on drive Z:.
inline std::wstring builtToolPath() {
    std::wstring path = L"Z:" + wide(VISTELLO_PACK_EXE_PATH);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

inline std::vector<uint8_t> readWide(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.resize(size_t(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr) || got != bytes.size())) bytes.clear();
    CloseHandle(file);
    return bytes;
}

inline void writeWide(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    if (!bytes.empty()) {
        EXPECT_TRUE(WriteFile(file, bytes.data(), DWORD(bytes.size()), &put, nullptr));
    }
    CloseHandle(file);
}

inline bool existsWide(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The names in a folder, sorted.
inline std::vector<std::wstring> namesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

inline void removeTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        for (const auto& name : namesIn(path)) removeTree(path + L"\\" + name);
        RemoveDirectoryW(path.c_str());
    } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

// An empty folder under the temporary folder, removed with everything in it.
class WideScratch {
public:
    WideScratch() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;  // one per test process
        path_ = std::wstring(temp) + L"vistello-pack-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~WideScratch() { removeTree(path_); }
    WideScratch(const WideScratch&) = delete;
    WideScratch& operator=(const WideScratch&) = delete;
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

inline std::wstring quotedWide(const std::wstring& text) { return L"\"" + text + L"\""; }

// A process started with a wide command line, as Explorer and other programs start one;
// optionally with standard output and error in a file, or with a console of its own.
class ToolProcess {
public:
    ToolProcess(const std::wstring& program, const std::vector<std::wstring>& arguments, DWORD flags = 0,
                const std::wstring& outputFile = L"") {
        std::wstring commandLine = quotedWide(program);
        for (const auto& argument : arguments) commandLine += L" " + quotedWide(argument);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE output = INVALID_HANDLE_VALUE;
        if (!outputFile.empty()) {
            output = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
            startup.hStdOutput = output;
            startup.hStdError = output;
        }
        PROCESS_INFORMATION info{};
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE, flags,
                           nullptr, nullptr, &startup, &info)) {
            CloseHandle(info.hThread);
            process_ = info.hProcess;
            id_ = info.dwProcessId;
        }
        if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    }
    ~ToolProcess() {
        if (!process_) return;
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    HANDLE handle() const { return process_; }
    DWORD id() const { return id_; }
    bool ended(std::chrono::milliseconds deadline = 15s) const {
        return WaitForSingleObject(process_, DWORD(deadline.count())) == WAIT_OBJECT_0;
    }
    DWORD exitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_, &code);
        return code;
    }
    // The tool's message box: its text, after which it is answered with OK.
    std::wstring answerMessageBox() const {
        const HWND box = findDialog(id_, nullptr, 20s);
        if (!box) return L"(no message box)";
        EXPECT_EQ(windowText(box), L"vistello-pack");
        const std::wstring text = messageBoxText(box);
        pressButton(box, IDOK);
        return text;
    }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};


}  // namespace vistello::test
