#pragma once
// What the tests see of a running program besides its main window: its dialogs and message
// boxes (read and answered from outside, as a user would), the processes it starts, the
// desktop values in the registry; and the byte forms the program's texts and paths take.
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "program_runner.h"

namespace vistello::test {

// Texts as the program stores them (code page 932) and paths as wide strings.
std::string cp932(const std::wstring& text);
std::wstring wideFromAnsi(const std::string& text);

std::wstring itemText(HWND dialog, int id);

// A visible dialog window (class #32770) of the process with this caption; null if none.
HWND findDialog(DWORD processId, const std::wstring& caption);
HWND waitForDialog(DWORD processId, const std::wstring& caption, std::chrono::milliseconds deadline = 10s);
// The program's message box (caption "Vistello") and its text, line breaks as "\n".
HWND waitForMessageBox(DWORD processId, std::chrono::milliseconds deadline = 10s);
std::wstring messageBoxText(HWND box);
// Presses a dialog's button as a click would: the dialog gets BN_CLICKED from it.
void pressButton(HWND dialog, int id);
// Clicks the upper (up) or lower (down) arrow of an up-down control.
void clickSpinArrow(HWND spin, bool up);

// Processes that the given process started and that still exist or have been recorded.
std::vector<DWORD> childProcesses(DWORD parentId);

// A value under HKEY_CURRENT_USER\Control Panel\desktop; empty when absent.
std::string desktopValue(const char* name);
void setDesktopValue(const char* name, const std::string& value);

// A symbolic link from a Windows path to a Unix file, for files Windows cannot make (one that
// opens for writing but refuses the bytes); removed when the object goes. Made only under Wine.
class UnixLink {
public:
    UnixLink(std::string path, const char* unixTarget);
    ~UnixLink();
    UnixLink(const UnixLink&) = delete;
    UnixLink& operator=(const UnixLink&) = delete;
    bool made() const { return made_; }

private:
    std::string path_;
    std::string unixPath_;
    bool made_ = false;
};

// A folder inside a scratch folder, removed with its files when the object goes.
class Subfolder {
public:
    explicit Subfolder(std::string path);
    ~Subfolder();
    Subfolder(const Subfolder&) = delete;
    Subfolder& operator=(const Subfolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

bool fileExists(const std::string& path);
// A path in double quotes, as a command line needs it when it may hold spaces.
std::string quoted(const std::string& path);

// The helper program the links start (link_marker.exe), as a Windows path.
std::string linkMarkerPath();
// A file of the source tree (a path relative to its root, with forward slashes), as a Windows path.
std::string sourceFile(const std::string& relative);

}  // namespace vistello::test
