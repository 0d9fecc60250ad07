#include "app/win32/about_dialog.h"

#include "app/win32/application_icon.h"

namespace vistello {

BOOL AboutDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcons(m_hWnd, loadApplicationIcon(), SmallIcon::previousLarge);
    return TRUE;
}

}  // namespace vistello
