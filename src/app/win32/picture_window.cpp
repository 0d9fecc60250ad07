// Construction, initialisation and the system menu of the picture window.
#include "app/win32/picture_window.h"

#include "app/countdown.h"
#include "app/package_offset.h"
#include "app/program_paths.h"
#include "app/win32/application_icon.h"
#include "app/win32/package_offset_constant.h"
#include "app/win32/win32_files.h"
#include "framework/gdi.h"
#include "framework/win_app.h"

namespace vistello {
namespace {

// Looks a path up like the file search does; false when nothing is found.
bool findFile(const std::string& path, WIN32_FIND_DATAA& found) {
    return bool(UniqueFind(FindFirstFileA(path.c_str(), &found)));
}

// The context-menu command that places the window at a stored start position; none for the
// centre, where the window already is (a number no position names counts as the centre).
UINT cornerForStartPosition(int32_t stored) {
    switch (startPositionOf(stored)) {
    case StartPosition::topLeft: return IDM_TOP_LEFT;
    case StartPosition::topRight: return IDM_TOP_RIGHT;
    case StartPosition::bottomLeft: return IDM_BOTTOM_LEFT;
    case StartPosition::bottomRight: return IDM_BOTTOM_RIGHT;
    case StartPosition::centre: break;
    }
    return 0;
}

}  // namespace

std::string commandLinePicturePath() {
    const CWinApp* application = AfxGetApp();
    return withoutSurroundingQuotes(application && application->m_lpCmdLine ? application->m_lpCmdLine : "");
}

PictureWindow::PictureWindow()
    : CDialog(IDD_PICTURE),
      applicationIcon(loadApplicationIcon()) {}

// Releases the bitmap, then the palette (when it is ours), then the palette buffer; the
// strings and the popup menu follow as members.
PictureWindow::~PictureWindow() { releaseDecodedImage(image, dibSeam); }

BOOL PictureWindow::OnInitDialog() {
    CDialog::OnInitDialog();
    dibSeam.setWindow(m_hWnd);
    // The member keeps the icon: it is drawn when the window is minimised and answers
    // WM_QUERYDRAGICON.
    setWindowIcons(m_hWnd, applicationIcon, SmallIcon::previousLarge);
    dragCursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_DRAG_CURSOR));

    // On a 256-colour display the halftone palette exists before the picture is decoded.
    image.displayDepth = GetDeviceCaps(WindowDC(m_hWnd).get(), BITSPIXEL);
    if (image.displayDepth == paletteDisplayDepth) {
        image.palette = dibSeam.createHalftonePalette();
        image.palettePresent = image.palette ? 1 : 0;
    }
    std::string pathToLoad;
    if (!allocatePaletteBuffer(image) || !ChooseSource(pathToLoad) || !LoadPicture(pathToLoad)) {
        EndDialog(IDOK);  // ends before the window is ever shown, without a message
        return FALSE;
    }

    if (!hasTitleBar(package.captionMode))
        SetWindowLongPtrA(m_hWnd, GWL_STYLE, GetWindowLongPtrA(m_hWnd, GWL_STYLE) & ~LONG_PTR(WS_CAPTION));
    CentreWindow();
    FitWindowToPicture();
    CentreWindow();
    SetCaptionWithCountdown();
    popupMenu.reset(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_POPUP_MENU)));
    if (!popupMenu) {
        EndDialog(IDOK);  // without its context menu the window could not be worked or quit
        return FALSE;
    }
    ChangeSystemMenu();
    StoreInitialRectangles();

    WINDOWPLACEMENT placement{};
    ReadSettings(placement);
    ApplyZOrderMode(zOrderModeOf(package.zOrderMode));
    if (placement.showCmd != 0) {
        SetWindowPlacement(m_hWnd, &placement);
        if (zoomPercent != -1) ApplyZoom(zoomPercent);
    } else if (const UINT corner = cornerForStartPosition(package.startPosition)) {
        MoveToCorner(corner);
    }
    if (countsDown(package.autoExitSeconds))
        StartAutoExit();
    else
        DeleteMenu(ContextMenu(), IDM_CANCEL_AUTO_EXIT, MF_BYCOMMAND);
    if (linkTimingOf(package.linkTiming) == LinkTiming::atStart && !package.linkTarget.empty()) OpenLink();
    DrawPicture(WindowDC(m_hWnd).get());
    if (package.autoCommentFlag == autoCommentOn) StartAutoComment();
    return TRUE;
}

// Without its timer the countdown would stand still in the caption and the program would never
// end by itself: the user is told, and the window goes on as after a cancelled countdown.
void PictureWindow::StartAutoExit() {
    if (SetTimer(m_hWnd, autoExitTimerId, autoExitTimerPeriod, nullptr) != 0) return;
    (void)AfxMessageBox("自動終了のタイマーを開始できませんでした。\nウィンドウは自動では閉じません。");
    OnCancelAutoExit(IDM_CANCEL_AUTO_EXIT);
}

// Without its timer the comment dialog opens as soon as the window's message loop runs, through
// the same timer message.
void PictureWindow::StartAutoComment() {
    if (SetTimer(m_hWnd, autoCommentTimerId, autoCommentTimerDelay, nullptr) != 0) return;
    PostMessageA(m_hWnd, WM_TIMER, autoCommentTimerId, 0);
}

// A picture file named on the command line is shown instead of the package; without one the
// program file must be longer than its package offset, i.e. carry a package.
bool PictureWindow::ChooseSource(std::string& pathToLoad) {
    const std::string commandLine = commandLinePicturePath();
    WIN32_FIND_DATAA found{};
    if (!commandLine.empty()) {
        if (!findFile(commandLine, found)) return false;
        package.windowTitle = titleFromPicturePath(commandLine);
        pathToLoad = commandLine;
        return true;
    }
    const auto offset = programPackageOffset();
    packageOffsetHigh = uint32_t(packageOffsetValue(offset) >> 32);
    packageOffsetLow = vistello::packageOffsetLow(offset);
    if (findFile(programPath(), found)) {
        const uint64_t size = uint64_t(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
        if (size <= packageOffsetValue(offset)) return false;
    }
    pathToLoad.clear();
    return true;
}

void PictureWindow::SetCaptionWithCountdown() {
    const std::string caption = countsDown(package.autoExitSeconds)
                                    ? countdownCaption(package.windowTitle, package.autoExitSeconds)
                                    : package.windowTitle;
    SetWindowTextA(m_hWnd, caption.c_str());
}

// The window can be moved and minimised but not maximised or sized; it adds centring, the
// comment and the about box at the end of its system menu.
void PictureWindow::ChangeSystemMenu() {
    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    if (!systemMenu) return;
    DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(systemMenu, SC_SIZE, MF_BYCOMMAND);
    AppendMenuA(systemMenu, MF_STRING, IDM_CENTRE, "中央配置(&R)");
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, IDM_SYS_COMMENT, "ちょっと一言(&T)...");
    AppendMenuA(systemMenu, MF_STRING, IDM_SYS_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(&A)...");
}

void PictureWindow::StoreInitialRectangles() {
    GetClientRect(m_hWnd, &initialClientRect);
    GetWindowRect(m_hWnd, &initialWindowRect);
}

bool PictureWindow::OnSysCommand(UINT command) {
    switch (command & 0xFFF0) {
    case IDM_SYS_ABOUT: OpenAboutDialog(); return true;
    case IDM_CENTRE: CentreWindow(); return true;
    case IDM_SYS_COMMENT: OpenCommentDialog(); return true;
    default: return false;  // move, minimise, restore, close: default processing
    }
}

}  // namespace vistello
