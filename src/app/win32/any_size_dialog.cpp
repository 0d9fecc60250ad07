#include "app/win32/any_size_dialog.h"

#include "app/countdown.h"
#include "app/win32/application_icon.h"
#include "app/win32/picture_window.h"

namespace vistello {

BOOL AnySizeDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcons(m_hWnd, loadApplicationIcon(), SmallIcon::unchanged);
    ShowValue();
    openingValue = spin.value;
    return TRUE;  // the focus goes to the first tab stop, the OK button
}

// The up-down control keeps its own position, which nothing reads: the dialog steps its value.
// Typed text is not read here, so the next step starts from the value, not from the text.
LRESULT AnySizeDialog::OnSpin(NMHDR* header) {
    const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
    if (applySpinDelta(change->iDelta, spin)) {
        ShowValue();
        SendSizePreview(spin.value);
    }
    return 0;
}

void AnySizeDialog::OnOK() {
    // Text that is no number reads as 0, which the clamp turns into the minimum.
    spin.value = clampTypedPercent(int32_t(GetDlgItemInt(m_hWnd, IDC_SIZE_EDIT, nullptr, TRUE)));
    CDialog::OnOK();
}

// Cancel, Escape and the caption's close button: only a previewed change needs undoing.
void AnySizeDialog::OnCancel() {
    if (openingValue != spin.value) SendSizePreview(openingValue);
    CDialog::OnCancel();
}

void AnySizeDialog::ShowValue() {
    SetDlgItemTextA(m_hWnd, IDC_SIZE_EDIT, groupedNumber(uint32_t(spin.value)).c_str());
}

// The owner, which GetParent gives for this popup, is the picture window.
void AnySizeDialog::SendSizePreview(int32_t percent) const {
    SendMessageA(GetParent(m_hWnd), WM_COMMAND, sizePreviewCommand, LPARAM(percent));
}

}  // namespace vistello
