#include "app/win32/window_message_seam.h"

#include "framework/win_app.h"

namespace vistello {

void WindowMessageSeam::showMessage(const std::string& text) { (void)AfxMessageBox(text, MB_OK); }

void WindowMessageSeam::setMainWindowTitle(const std::string& text) {
    if (HWND window = AfxGetMainHwnd()) SetWindowTextA(window, text.c_str());
}

}  // namespace vistello
