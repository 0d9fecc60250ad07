#include "program_observer.h"

#include <tlhelp32.h>

namespace vistello::test {

std::string cp932(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(932, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(932, 0, text.c_str(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring wideFromAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), wide.data(), size);
    return wide;
}

std::wstring itemText(HWND dialog, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

HWND findDialog(DWORD processId, const std::wstring& caption) {
    return findWindowOf(processId, [&](HWND w) { return classNameOf(w) == "#32770" && windowText(w) == caption; });
}

HWND waitForDialog(DWORD processId, const std::wstring& caption, std::chrono::milliseconds deadline) {
    HWND dialog = nullptr;
    waitUntil([&] { return (dialog = findDialog(processId, caption)) != nullptr; }, deadline);
    return dialog;
}

HWND waitForMessageBox(DWORD processId, std::chrono::milliseconds deadline) {
    return waitForDialog(processId, L"Vistello", deadline);
}

std::wstring messageBoxText(HWND box) {
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM parameter) -> BOOL {
            char className[16] = {};
            GetClassNameA(child, className, sizeof className);
            if (lstrcmpiA(className, "Static") == 0) *reinterpret_cast<std::wstring*>(parameter) += windowText(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    std::wstring lines;
    for (const wchar_t c : text)
        if (c != L'\r') lines += c;
    return lines;
}

void pressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void clickSpinArrow(HWND spin, bool up) {
    RECT client{};
    GetClientRect(spin, &client);
    const int x = client.right / 2;
    const int y = up ? client.bottom / 4 : client.bottom * 3 / 4;
    PostMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

std::vector<DWORD> childProcesses(DWORD parentId) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parentId) children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

std::string desktopValue(const char* name) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\desktop", name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

void setDesktopValue(const char* name, const std::string& value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\desktop", name, REG_SZ, value.c_str(),
                    DWORD(value.size() + 1));
}

namespace {

// The Unix form of a Windows path (under Wine only; empty elsewhere).
std::string unixPathOf(const std::string& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return {};
    char* name = unixName(wideFromAnsi(path).c_str());
    if (!name) return {};
    std::string unixPath = name;
    HeapFree(GetProcessHeap(), 0, name);
    return unixPath;
}

// Wine starts Unix programs too, but neither waits for their end nor reports their exit code:
// callers wait for the effect.
bool runUnixProgram(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

}  // namespace

UnixLink::UnixLink(std::string path, const char* unixTarget) : path_(std::move(path)), unixPath_(unixPathOf(path_)) {
    made_ = !unixPath_.empty() &&
            runUnixProgram(std::string("Z:\\bin\\ln -sf ") + unixTarget + " " + quoted(unixPath_)) &&
            waitUntil([&] { return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5s);
}

UnixLink::~UnixLink() {
    if (unixPath_.empty() || !runUnixProgram("Z:\\bin\\rm -f " + quoted(unixPath_))) return;
    waitUntil([&] { return GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES; }, 5s);
}

Subfolder::Subfolder(std::string path) : path_(std::move(path)) { CreateDirectoryA(path_.c_str(), nullptr); }

Subfolder::~Subfolder() { removeFolderWithFiles(path_); }

std::string quoted(const std::string& path) {
    std::string text;
    text.reserve(path.size() + 2);
    text += '"';
    text += path;
    text += '"';
    return text;
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

// CMake gives Unix paths; Wine shows the Unix root as drive Z:.
std::string windowsPathOf(std::string path) {
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace

std::string linkMarkerPath() { return windowsPathOf(VISTELLO_LINK_MARKER_PATH); }

std::string sourceFile(const std::string& relative) {
    return windowsPathOf(std::string(VISTELLO_SOURCE_DIR) + "/" + relative);
}

}  // namespace vistello::test
