#include "win32/authoring/work_folders.h"

#include <windows.h>

#include <string_view>

#include "win32/wide_text.h"

namespace vistello::tools::win32 {
namespace {

constexpr std::wstring_view prefix = L"vistello-pack-";

std::wstring temporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    return length ? std::wstring(temp, length) : std::wstring();
}

bool removeTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
        // A link is removed itself, never what it leads to.
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
    }
    bool all = true;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") all = removeTree(path + L"\\" + name) && all;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(path.c_str()) && all;
}

bool processRuns(DWORD id) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

}  // namespace

std::string makeWorkFolder(const char* purpose) {
    const std::wstring temp = temporaryFolder();
    if (temp.empty()) return {};
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = temp + std::wstring(prefix) + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    wideFromUtf8(purpose) + L"-" + std::to_wstring(++counter) + L"-" +
                                    std::to_wstring(GetTickCount());
        if (CreateDirectoryW(folder.c_str(), nullptr)) return utf8FromWide(folder);
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

bool removeWorkFolder(const std::string& folder) { return folder.empty() || removeTree(wideFromUtf8(folder)); }

void removeLeftOverWorkFolders() {
    const std::wstring temp = temporaryFolder();
    if (temp.empty()) return;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((temp + std::wstring(prefix) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const std::wstring name = found.cFileName;
        const DWORD owner = DWORD(wcstoul(name.c_str() + prefix.size(), nullptr, 10));
        if (owner != 0 && owner != GetCurrentProcessId() && !processRuns(owner)) (void)removeTree(temp + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace vistello::tools::win32
