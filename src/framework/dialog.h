#pragma once
// Our stand-in for the framework's modal dialog class. One static dialog procedure serves
// every dialog: on WM_INITDIALOG it stores the object (passed through DialogBoxParam) in the
// window and from then on routes each message to the object:
//   WM_INITDIALOG -> OnInitDialog, WM_COMMAND -> OnCommand (which consults the message map
//   and then turns IDOK/IDCANCEL into OnOK/OnCancel), everything else -> the message map.
// A message map is a flat list of one-line bindings (message_map.h); what it does not handle
// gets the dialog manager's default processing.
#include <windows.h>

namespace vistello {

class CDialog {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 when it cannot be created.
    INT_PTR DoModal();
    // The same with Unicode controls (DialogBoxParamW), for a window that shows any file name
    // and text; the program's own dialogs run through DoModal.
    INT_PTR DoModalWide();
    void EndDialog(int result);

    HWND m_hWnd = nullptr;

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Command dispatch: the message map's command bindings, then IDOK and IDCANCEL.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // The message map (see message_map.h). Returns true when the message was handled; result is
    // what the message returns.
    virtual bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_parent;
    bool m_ended = false;  // EndDialog was called: the window must not be shown any more
};

}  // namespace vistello
