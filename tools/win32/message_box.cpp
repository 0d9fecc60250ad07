#include "win32/message_box.h"

#include <windows.h>

#include "commands/tool.h"
#include "win32/wide_text.h"

namespace vistello::tools::win32 {

void showMessageBox(std::string_view utf8, BoxKind kind) {
    const UINT icon = kind == BoxKind::error ? MB_ICONERROR : kind == BoxKind::warning ? MB_ICONWARNING : MB_ICONINFORMATION;
    MessageBoxW(nullptr, wideFromUtf8(utf8).c_str(), L"vistello-pack", MB_OK | MB_SETFOREGROUND | icon);
}

void showUnprintedOutput(std::string_view utf8, int status) {
    showMessageBox(utf8, status == exitSuccess ? BoxKind::information : BoxKind::error);
}

}  // namespace vistello::tools::win32
