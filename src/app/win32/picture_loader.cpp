// The package loader: reads the program's own package (from a temporary copy of the program
// file) or a picture file named on the command line, and decodes the picture.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "common/byte_buffer.h"
#include "app/package_reader.h"
#include "app/program_paths.h"
#include "app/win32/picture_window.h"
#include "app/win32/win32_files.h"
#include "app/win32/window_message_seam.h"
#include "framework/win_app.h"

namespace vistello {

std::string programPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, path + (length < MAX_PATH ? length : MAX_PATH));
}

namespace {

// The wait cursor for as long as the object lives.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))) {}  // IDC_WAIT
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

bool readWholeFile(const std::string& path, ByteBuffer& bytes) {
    WIN32_FIND_DATAA found{};
    {
        UniqueFind search(FindFirstFileA(path.c_str(), &found));
        if (search.get() == INVALID_HANDLE_VALUE) return false;
    }
    const DWORD size = found.nFileSizeLow;  // the low 32 bits of the size the search reports
    if (!bytes.allocate(size)) return false;
    UniqueFileHandle file = openForReading(path);
    if (!file.valid()) return false;
    FileByteSource source(file.get());
    return source.read(bytes.data(), bytes.size()) == bytes.size();
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

// Fills the package record from the program's own file and reads the picture bytes. The
// program file itself is never opened: a temporary copy is read and deleted on every way out.
bool PictureWindow::ReadPackage(ByteBuffer& picture) {
    TempFileGuard copy("zub");
    if (!copy.created()) return false;
    const std::string program = programPath();
    if (!CopyFileWithShell(program, copy.path())) return false;
    UniqueFileHandle file = openForReading(copy.path());
    if (!file.valid()) return false;
    FileByteSource source(file.get());
    if (!source.seekFromStart(int32_t(packageOffsetLow))) return false;

    // Values read before a failure stay, as the items are read in order; the rest keep their
    // start values.
    const bool itemsRead = readPackageItems(source, LinkItemRule::readWhenFlagIsOne, package);
    SetWindowTextA(m_hWnd, package.windowTitle.c_str());
    if (package.linkFlag == packageFlagPresent)
        package.linkTarget = resolveLinkTarget(package.linkTarget, folderWithoutSlash(program));
    if (!itemsRead) return false;

    return readPictureBytes(source, package.pictureLength, picture);
}

bool PictureWindow::DecodePicture(const ByteBuffer& picture) {
    WindowMessageSeam messages;
    return loadPicture(picture.data(), picture.size(), image, dibSeam, messages, imageKind);
}

bool PictureWindow::LoadPicture(const std::string& path) {
    ByteBuffer picture;
    if (path.empty()) {
        if (!ReadPackage(picture)) return false;
    } else if (!readWholeFile(path, picture)) {
        return false;
    }
    return DecodePicture(picture);
}

}  // namespace vistello
