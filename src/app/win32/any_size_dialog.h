#pragma once
// The any-size dialog (template 133): a zoom percentage from 40 to 400, typed, or stepped by
// 20 with the spin arrows, each step previewed at once on the picture window.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "framework/dialog.h"
#include "framework/message_map.h"
#include "resources/resource.h"
#include "window/any_size_steps.h"

namespace vistello {

class AnySizeDialog : public CDialog {
public:
    explicit AnySizeDialog(int32_t percent) : CDialog(IDD_ANY_SIZE) { spin.value = percent; }
    // The percentage after OK; the opening percentage plus any spin steps otherwise.
    int32_t Value() const { return spin.value; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    BEGIN_MSG_MAP(AnySizeDialog)
        NOTIFY_HANDLER(IDC_SIZE_SPIN, UDN_DELTAPOS, OnSpin)
    END_MSG_MAP(CDialog)

private:
    LRESULT OnSpin(NMHDR* header);
    void ShowValue();
    void SendSizePreview(int32_t percent) const;

    SpinState spin;             // the percentage being edited and the last step's direction
    int32_t openingValue = 0;   // what Cancel returns the picture window to
};

}  // namespace vistello
