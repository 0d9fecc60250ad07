#include "app/win32/shell_copy.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "framework/win_app.h"

namespace vistello {
namespace {

// The wait cursor for as long as the object lives.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// The shell takes lists of names that end in two zero bytes.
std::vector<char> shellList(const std::string& path) {
    std::vector<char> list(path.begin(), path.end());
    list.push_back('\0');
    list.push_back('\0');
    return list;
}

}  // namespace

bool CopyFileWithShell(const std::string& source, const std::string& destination) {
    WaitCursor wait;
    if (GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
        (void)AfxMessageBox(source + "\nファイルが存在しません。");
        return false;
    }
    std::vector<char> from = shellList(source);
    std::vector<char> to = shellList(destination);
    SHFILEOPSTRUCTA operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_COPY;
    operation.pFrom = from.data();
    operation.pTo = to.data();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int result = SHFileOperationA(&operation);
    if (result != 0 || operation.fAnyOperationsAborted) {
        (void)AfxMessageBox(source + "\nファイルのコピーに失敗しました。");
        return false;
    }
    return true;
}

}  // namespace vistello
