// The picture window's dialogs: comment (with the enclosed-file unpacker), about, any size.
#include "app/win32/about_dialog.h"
#include "app/win32/any_size_dialog.h"
#include "app/win32/comment_dialog.h"
#include "app/win32/picture_window.h"

namespace vistello {

void PictureWindow::OnComment(UINT) { OpenCommentDialog(); }

// Modal: the picture window takes no input meanwhile, but its timers keep running.
void PictureWindow::OpenCommentDialog() {
    CommentDialog dialog(package.workTitle, package.commentText, package.enclosedFileFlag, packageOffsetLow);
    (void)dialog.DoModal();  // nothing follows from how it was closed
}

void PictureWindow::OpenAboutDialog() {
    AboutDialog dialog;
    (void)dialog.DoModal();  // nothing follows from how it was closed
}

// Previews during the dialog change only the zoomed size; the zoom percent changes on OK.
void PictureWindow::OnAnySize(UINT) {
    AnySizeDialog dialog(zoomPercent);
    if (dialog.DoModal() != IDOK) return;
    zoomPercent = dialog.Value();
    ApplyZoom(zoomPercent);
}

}  // namespace vistello
