#include "app/win32/about_dialog.h"

namespace vistello {

// The large icon is the application icon; the small one gets what the dialog had as its large
// icon before (normally none, so the system scales the large one).
BOOL AboutDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VISTELLO));
    const LRESULT previous = SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, previous);
    return TRUE;
}

}  // namespace vistello
