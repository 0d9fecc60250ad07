#include "app/win32/comment_dialog.h"

#include <utility>

#include "app/package_fields.h"
#include "app/win32/application_icon.h"
#include "app/win32/enclosed_unpacker.h"
#include "app/win32/win32_files.h"
#include "framework/win_app.h"

namespace vistello {

CommentDialog::CommentDialog(std::string title, std::string comment, int32_t enclosedFlag, uint32_t offsetLow)
    : CDialog(IDD_COMMENT),
      workTitle(std::move(title)),
      commentText(std::move(comment)),
      enclosedFileFlag(enclosedFlag),
      packageOffsetLow(offsetLow) {}

BOOL CommentDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcons(m_hWnd, loadApplicationIcon(), SmallIcon::unchanged);
    SetDlgItemTextA(m_hWnd, IDC_WORK_TITLE, workTitle.c_str());
    SetDlgItemTextA(m_hWnd, IDC_COMMENT_TEXT, commentText.c_str());
    if (enclosedFileFlag == packageFlagPresent) {
        SetWindowTextA(m_hWnd, "画像作者からのコメント(同梱ファイルがあります)");
        ShowWindow(GetDlgItem(IDC_UNPACK), SW_SHOW);
    }
    return TRUE;
}

// The completion message only follows a complete unpacking; a failure stops silently (copy
// file has shown its own message where it failed).
void CommentDialog::OnUnpack(UINT) {
    if (unpackEnclosedFiles(programPath(), packageOffsetLow))
        (void)AfxMessageBox("同梱ファイルの開封が終了しました。");
}

}  // namespace vistello
