#pragma once
// Runs copies of the real program file and observes them from outside, as a user's desktop
// would: processes, their top-level windows, styles and rectangles. Every wait polls a
// condition until a deadline; nothing sleeps for a fixed time.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistello::test {

using namespace std::chrono_literals;

// The built vistello.exe (the stub without a package), as a Windows path.
std::string builtProgramPath();
std::vector<uint8_t> readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A fresh folder under the temporary folder, removed with its files when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Polls condition until it holds or the deadline passes; returns its last answer.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 10s);

// The first visible top-level window of the process that accept takes, or null.
HWND findWindowOf(DWORD processId, const std::function<bool(HWND)>& accept);
std::string classNameOf(HWND window);
// Deletes the files in folder, then the folder.
void removeFolderWithFiles(const std::string& folder);

// Window facts read from outside.
SIZE clientSize(HWND window);
RECT windowRect(HWND window);
std::wstring windowText(HWND window);
// A visible dialog (class #32770) of the process other than exclude, e.g. a message box.
HWND findDialog(DWORD processId, HWND exclude, std::chrono::milliseconds deadline = 10s);
// The files in folder whose names match pattern (e.g. "zub*.tmp").
std::vector<std::string> filesMatching(const std::string& folder, const std::string& pattern);
std::string temporaryFolder();

class RunningProgram {
public:
    // Starts program with the given command-line text after its name.
    explicit RunningProgram(const std::string& program, const std::string& arguments = "");
    ~RunningProgram();  // ends the process if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return process_ != nullptr; }
    HANDLE process() const { return process_; }
    DWORD processId() const { return processId_; }
    // The visible top-level window of the process, once it has one (null after the deadline).
    HWND waitForWindow(std::chrono::milliseconds deadline = 10s) const;
    HWND visibleWindow() const;
    // Watches the process until it ends: true when it ended before the deadline without ever
    // showing a window.
    bool endsWithoutWindow(std::chrono::milliseconds deadline = 15s) const;
    // Waits for the process to end; true when it did before the deadline.
    bool waitForExit(std::chrono::milliseconds deadline = 10s) const;
    DWORD exitCode() const;
    // Asks the window to close as the user's Close command would.
    void close() const;

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

}  // namespace vistello::test
