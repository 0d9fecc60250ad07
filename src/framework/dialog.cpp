#include "framework/dialog.h"

#include "framework/win_app.h"

namespace vistello {

INT_PTR CDialog::DoModal() {
    const CWinApp* application = AfxGetApp();
    HWND owner = m_parent ? m_parent : AfxGetMainHwnd();
    if (owner == m_hWnd) owner = nullptr;  // the main window itself runs without an owner
    return DialogBoxParamA(application ? application->m_hInstance : GetModuleHandleA(nullptr),
                           MAKEINTRESOURCEA(m_templateId), owner, DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CDialog::DoModalWide() {
    const CWinApp* application = AfxGetApp();
    return DialogBoxParamW(application ? application->m_hInstance : GetModuleHandleW(nullptr),
                           MAKEINTRESOURCEW(m_templateId), m_parent, DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) {
    m_ended = true;
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    LRESULT ignored = 0;
    if (ProcessWindowMessage(WM_COMMAND, wParam, lParam, ignored)) return TRUE;
    switch (LOWORD(wParam)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
    }
}

bool CDialog::ProcessWindowMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog) return FALSE;  // messages that arrive before WM_INITDIALOG (WM_SETFONT, ...)
    const INT_PTR handled = dialog->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    return handled;
}

// The one place where a dialog procedure's return value is decided.
INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        // A dialog whose template is visible is shown by the dialog manager after
        // WM_INITDIALOG, even when the dialog already ended there. One that ended is never shown.
        if (m_ended) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~UINT(SWP_SHOWWINDOW);
        break;
    default: break;
    }
    LRESULT result = 0;
    if (!ProcessWindowMessage(message, wParam, lParam, result)) return FALSE;
    switch (message) {
    // The dialog manager takes these results directly from the procedure.
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

}  // namespace vistello
