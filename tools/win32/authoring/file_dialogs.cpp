#include "win32/authoring/file_dialogs.h"

#include <commdlg.h>

#include "win32/wide_text.h"

namespace vistello::tools::win32 {
namespace {

constexpr DWORD pathBufferSize = 32768;  // what an extended path may take, and a multiple choice

// The filters end with a double zero, as the dialog wants them.
constexpr wchar_t pictureFilter[] =
    L"JPEG / BMP 画像 (*.jpg;*.jpeg;*.jpe;*.jfif;*.bmp)\0*.jpg;*.jpeg;*.jpe;*.jfif;*.bmp\0"
    L"JPEG 画像 (*.jpg;*.jpeg;*.jpe;*.jfif)\0*.jpg;*.jpeg;*.jpe;*.jfif\0BMP 画像 (*.bmp)\0*.bmp\0"
    L"すべてのファイル (*.*)\0*.*\0";
constexpr wchar_t anyFileFilter[] = L"すべてのファイル (*.*)\0*.*\0";
constexpr wchar_t programFilter[] = L"ピクチャープログラム (*.exe)\0*.exe\0すべてのファイル (*.*)\0*.*\0";

// The chosen names in a multiple choice: the folder, then each name, each ending with a zero;
// a single choice is the whole path.
std::vector<std::string> chosenPaths(const std::wstring& buffer) {
    std::vector<std::wstring> parts;
    for (size_t at = 0; at < buffer.size() && buffer[at] != L'\0';) {
        const size_t end = buffer.find(L'\0', at);
        parts.push_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::string> paths;
    if (parts.size() == 1) paths.push_back(utf8FromWide(parts[0]));
    std::wstring folder = parts.empty() ? L"" : parts[0];
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    for (size_t i = 1; i < parts.size(); ++i) paths.push_back(utf8FromWide(folder + parts[i]));
    return paths;
}

}  // namespace

std::vector<std::string> askForFiles(HWND owner, OpenKind kind) {
    std::wstring buffer(pathBufferSize, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = DWORD(buffer.size());
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    switch (kind) {
    case OpenKind::picture:
        dialog.lpstrFilter = pictureFilter;
        dialog.lpstrTitle = L"画像を選ぶ";
        break;
    case OpenKind::enclosedFiles:
        dialog.lpstrFilter = anyFileFilter;
        dialog.lpstrTitle = L"同梱するファイルを選ぶ";
        dialog.Flags |= OFN_ALLOWMULTISELECT;
        break;
    case OpenKind::program:
        dialog.lpstrFilter = programFilter;
        dialog.lpstrTitle = L"ピクチャープログラムを開く";
        break;
    }
    if (!GetOpenFileNameW(&dialog)) return {};
    return chosenPaths(buffer);
}

std::string askWhereToSave(HWND owner, const std::string& proposedPath) {
    std::wstring buffer(pathBufferSize, L'\0');
    const std::wstring proposed = wideFromUtf8(proposedPath);
    buffer.replace(0, std::min(proposed.size(), buffer.size() - 1), proposed.substr(0, buffer.size() - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = DWORD(buffer.size());
    dialog.lpstrFilter = programFilter;
    dialog.lpstrDefExt = L"exe";
    dialog.lpstrTitle = L"ピクチャープログラムの保存先";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog)) return {};
    return utf8FromWide(buffer.c_str());
}

}  // namespace vistello::tools::win32
