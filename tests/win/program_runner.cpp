#include "program_runner.h"

#include <fstream>
#include <iterator>
#include <thread>

namespace vistello::test {

std::string builtProgramPath() {
    // CMake gives the Unix path of the build; Wine shows the Unix root as drive Z:.
    std::string path = VISTELLO_PROGRAM_PATH;
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::vector<uint8_t> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::string(temp) + "vistello-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { removeFolderWithFiles(path_); }

void removeFolderWithFiles(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

HWND findWindowOf(DWORD processId, const std::function<bool(HWND)>& accept) {
    struct Search {
        DWORD processId;
        const std::function<bool(HWND)>* accept;
        HWND found;
    } search{processId, &accept, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window) || !(*s->accept)(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string classNameOf(HWND window) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    return className;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return condition();
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

RunningProgram::RunningProgram(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
    }
}

RunningProgram::~RunningProgram() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        close();
        if (!waitForExit(5s)) TerminateProcess(process_, 1);
    }
    CloseHandle(process_);
}

HWND RunningProgram::visibleWindow() const {
    return findWindowOf(processId_, [](HWND) { return true; });
}

HWND RunningProgram::waitForWindow(std::chrono::milliseconds deadline) const {
    HWND window = nullptr;
    waitUntil([&] { return (window = visibleWindow()) != nullptr; }, deadline);
    return window;
}

bool RunningProgram::waitForExit(std::chrono::milliseconds deadline) const {
    return process_ && WaitForSingleObject(process_, DWORD(deadline.count())) == WAIT_OBJECT_0;
}

DWORD RunningProgram::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

void RunningProgram::close() const {
    if (HWND window = visibleWindow()) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace vistello::test

namespace vistello::test {

bool RunningProgram::endsWithoutWindow(std::chrono::milliseconds deadline) const {
    bool sawWindow = false;
    const bool ended = waitUntil(
        [&] {
            if (visibleWindow()) sawWindow = true;
            return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
        },
        deadline);
    return ended && !sawWindow;
}

SIZE clientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

RECT windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

HWND findDialog(DWORD processId, HWND exclude, std::chrono::milliseconds deadline) {
    HWND dialog = nullptr;
    waitUntil(
        [&] {
            dialog = findWindowOf(processId, [&](HWND w) { return w != exclude && classNameOf(w) == "#32770"; });
            return dialog != nullptr;
        },
        deadline);
    return dialog;
}

std::vector<std::string> filesMatching(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string temporaryFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = temp;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace vistello::test
