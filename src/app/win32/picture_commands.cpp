// The picture window's command override, the automatic exit and the link.
#include <windows.h>
#include <shellapi.h>

#include <string_view>

#include "app/countdown.h"
#include "app/win32/picture_window.h"

namespace vistello {

// Sees every WM_COMMAND before the message map. The whole wParam is compared, so only
// commands with notification code 0 match here.
BOOL PictureWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case sizePreviewCommand: ApplyZoom(int32_t(lParam)); return TRUE;
    case IDM_QUIT: EndDialog(IDOK); return TRUE;
    case IDM_ABOUT: OpenAboutDialog(); return TRUE;
    case IDM_RESTORE_FILE: OnRestoreFile(); return TRUE;
    default: return CDialog::OnCommand(wParam, lParam);
    }
}

namespace {

// Ends the dialogs and message boxes the window owns (the comment dialog, say), whose nested
// modal loops would otherwise keep the program running after the window itself has ended.
void endOwnedDialogs(HWND owner) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM ownerWindow) -> BOOL {
            char className[8] = {};
            GetClassNameA(window, className, sizeof className);
            if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(ownerWindow) &&
                std::string_view(className) == "#32770")
                ::EndDialog(window, IDCANCEL);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(owner));
}

}  // namespace

void PictureWindow::OnTimer(UINT_PTR id) {
    if (id == autoExitTimerId) {
        --package.autoExitSeconds;
        SetWindowTextA(m_hWnd, countdownCaption(package.windowTitle, package.autoExitSeconds).c_str());
        if (!countsDown(package.autoExitSeconds)) {
            KillTimer(m_hWnd, autoExitTimerId);
            endOwnedDialogs(m_hWnd);
            EndDialog(IDOK);
        }
    } else if (id == autoCommentTimerId) {
        KillTimer(m_hWnd, autoCommentTimerId);
        OpenCommentDialog();
    }
}

// Leaves the countdown for good: the caption loses its suffix and the command its menu item.
void PictureWindow::OnCancelAutoExit(UINT) {
    KillTimer(m_hWnd, autoExitTimerId);
    SetWindowTextA(m_hWnd, package.windowTitle.c_str());
    DeleteMenu(ContextMenu(), IDM_CANCEL_AUTO_EXIT, MF_BYCOMMAND);
}

// Hands the link to the shell for its default action; what the shell cannot open is the
// shell's to report.
void PictureWindow::OpenLink() {
    if (package.linkTarget.empty()) return;
    SHELLEXECUTEINFOA execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = 0;
    execute.hwnd = m_hWnd;
    execute.lpVerb = nullptr;
    execute.lpFile = package.linkTarget.c_str();
    execute.lpParameters = package.linkParameters.c_str();
    execute.lpDirectory = nullptr;
    execute.nShow = SW_SHOW;
    (void)ShellExecuteExA(&execute);
}

void PictureWindow::OnDestroy() {
    if (linkTimingOf(package.linkTiming) == LinkTiming::whenClosed) OpenLink();
}

}  // namespace vistello
