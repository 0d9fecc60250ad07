// Placement, z-order, dragging, the context menu and the settings file of the picture window.
#include <windows.h>
#include <shellapi.h>

#include "app/program_paths.h"
#include "app/win32/picture_window.h"
#include "app/win32/win32_files.h"
#include "app/win32/window_rectangles.h"
#include "framework/win_app.h"
#include "window/window_geometry.h"

namespace vistello {
namespace {

Size screenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// The taskbar's edge and rectangle; without a taskbar the edge counts as left with an empty
// rectangle, which gives the plain screen corners.
void taskbarPosition(TaskbarEdge& edge, Rectangle& rectangle) {
    edge = TaskbarEdge::left;
    rectangle = {};
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (!taskbar) return;
    APPBARDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = taskbar;
    (void)SHAppBarMessage(ABM_GETTASKBARPOS, &data);  // on failure the zeros stand
    edge = TaskbarEdge(data.uEdge);
    rectangle = toRectangle(data.rc);
}

struct ZOrderItem {
    UINT command;
    HWND insertAfter;
};
constexpr UINT zOrderCommands[] = {IDM_NORMAL_ZORDER, IDM_ALWAYS_ON_TOP, IDM_ALWAYS_AT_BOTTOM};

ZOrderItem zOrderItem(ZOrderMode mode) {
    switch (mode) {
    case ZOrderMode::alwaysOnTop: return {IDM_ALWAYS_ON_TOP, HWND_TOPMOST};
    case ZOrderMode::alwaysAtBottom: return {IDM_ALWAYS_AT_BOTTOM, HWND_BOTTOM};
    case ZOrderMode::normal: break;
    }
    return {IDM_NORMAL_ZORDER, HWND_NOTOPMOST};
}

ZOrderMode zOrderModeForCommand(UINT command) {
    switch (command) {
    case IDM_ALWAYS_ON_TOP: return ZOrderMode::alwaysOnTop;
    case IDM_ALWAYS_AT_BOTTOM: return ZOrderMode::alwaysAtBottom;
    default: return ZOrderMode::normal;
    }
}

const char* const settingsQuestion =
    "本プログラムと同一フォルダーにiniファイルを作成し、\nサイズと位置情報を書き込みます。\n"
    "次回起動時にこのiniファイルの情報を基にWindowを表示します。\n"
    "よろしいですか？";

}  // namespace

// Centres the window on the screen and keeps its client size: first the bare frame is moved
// to the centre, then it is grown back around the centre it reached.
void PictureWindow::CentreWindow() {
    const Rectangle originalClient = clientRectangle(m_hWnd);
    const Rectangle originalWindow = windowRectangle(m_hWnd);
    const Size frame{originalWindow.width() - originalClient.width(), originalWindow.height() - originalClient.height()};
    const Rectangle bare = centreFrameOnScreen(screenSize(), GetSystemMetrics(SM_CYDLGFRAME), frame);
    MoveWindow(m_hWnd, bare.left, bare.top, bare.width(), bare.height(), TRUE);
    const Rectangle centred = centreWithClient(windowRectangle(m_hWnd), clientRectangle(m_hWnd), originalClient);
    MoveWindow(m_hWnd, centred.left, centred.top, centred.width(), centred.height(), TRUE);
}

void PictureWindow::MoveToCorner(UINT command) {
    Corner corner;
    switch (command) {
    case IDM_TOP_LEFT: corner = Corner::topLeft; break;
    case IDM_TOP_RIGHT: corner = Corner::topRight; break;
    case IDM_BOTTOM_RIGHT: corner = Corner::bottomRight; break;
    case IDM_BOTTOM_LEFT: corner = Corner::bottomLeft; break;
    default: return;
    }
    TaskbarEdge edge;
    Rectangle taskbar;
    taskbarPosition(edge, taskbar);
    const Rectangle window = windowRectangle(m_hWnd);
    const Point at = cornerPosition(corner, edge, taskbar, {window.width(), window.height()}, screenSize());
    SetWindowPos(m_hWnd, HWND_TOP, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

// Start-up: applies the mode and checks its item (the menu is fresh, nothing else is checked).
// Always at the bottom is applied twice.
void PictureWindow::ApplyZOrderMode(ZOrderMode mode) {
    const ZOrderItem item = zOrderItem(mode);
    SetWindowPos(m_hWnd, item.insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (mode == ZOrderMode::alwaysAtBottom) SetWindowPos(m_hWnd, item.insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CheckMenuItem(ContextMenu(), item.command, MF_BYCOMMAND | MF_CHECKED);
}

void PictureWindow::OnZOrder(UINT command) {
    const ZOrderMode mode = zOrderModeForCommand(command);
    const ZOrderItem item = zOrderItem(mode);
    CheckMenuItem(ContextMenu(), item.command, MF_BYCOMMAND | MF_CHECKED);
    for (UINT other : zOrderCommands)
        if (other != item.command) CheckMenuItem(ContextMenu(), other, MF_BYCOMMAND | MF_UNCHECKED);
    SetWindowPos(m_hWnd, item.insertAfter, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    package.zOrderMode = storedCode(mode);
}

// An always-at-bottom window goes straight back behind the others whenever it is activated.
void PictureWindow::OnActivate(UINT, HWND, BOOL) {
    if (package.zOrderMode == storedCode(ZOrderMode::alwaysAtBottom)) SetWindowPos(m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

// The whole client area is the drag handle; the window moves once, when the button is released.
void PictureWindow::OnLButtonDown(UINT, POINT client) {
    dragStartPoint = client;
    dragStartRecorded = true;
    SetCapture(m_hWnd);
    SetCursor(dragCursor);
}

void PictureWindow::OnLButtonUp(UINT, POINT client) {
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (!dragStartRecorded) return;  // no press since the window was created
    const auto moved = draggedPosition(windowRectangle(m_hWnd), {dragStartPoint.x, dragStartPoint.y}, {client.x, client.y});
    if (moved) SetWindowPos(m_hWnd, HWND_TOP, moved->x, moved->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void PictureWindow::OnContextMenu(HWND, POINT screen) {
    TrackPopupMenu(ContextMenu(), 0, screen.x, screen.y, 0, m_hWnd, nullptr);
}

// Points the profile at the settings file beside the program and reads the saved placement,
// zoom and z-order. Without a file every value is its default: no placement (show command 0),
// 100 %, and the z-order mode the package gave.
void PictureWindow::ReadSettings(WINDOWPLACEMENT& placement) {
    CWinApp& application = *AfxGetApp();
    application.SetProfileName(settingsFileFor(programPath()));
    const auto read = [&](const char* section, const char* key, int defaultValue) {
        return int(application.GetProfileInt(section, key, defaultValue));
    };
    placement = WINDOWPLACEMENT{};
    placement.length = sizeof placement;
    placement.showCmd = UINT(read("WINDOWPLACEMENT", "showCmd", 0));
    placement.flags = UINT(read("WINDOWPLACEMENT", "flags", 0));
    placement.rcNormalPosition.top = read("WINDOWPLACEMENT", "rcNormalPositionTop", 0);
    placement.rcNormalPosition.left = read("WINDOWPLACEMENT", "rcNormalPositionLeft", 0);
    placement.rcNormalPosition.bottom = read("WINDOWPLACEMENT", "rcNormalPositionBottom", 0);
    placement.rcNormalPosition.right = read("WINDOWPLACEMENT", "rcNormalPositionRight", 0);
    placement.ptMinPosition.x = read("WINDOWPLACEMENT", "ptMinPositionX", 0);
    placement.ptMinPosition.y = read("WINDOWPLACEMENT", "ptMinPositionY", 0);
    // The maximised position is not saved: the window cannot be maximised. Keep the current one.
    WINDOWPLACEMENT current{};
    current.length = sizeof current;
    if (GetWindowPlacement(m_hWnd, &current)) placement.ptMaxPosition = current.ptMaxPosition;
    zoomPercent = read("Favorite", "iFavoriteSize", 100);
    package.zOrderMode = read("Favorite", "ZOrder", package.zOrderMode);
}

void PictureWindow::OnSaveSettings(UINT) {
    if (AfxMessageBox(settingsQuestion, MB_YESNO) == IDNO) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    // Without the placement nothing is written: zeros would be saved as a placement.
    if (!GetWindowPlacement(m_hWnd, &placement)) return;
    const CWinApp& application = *AfxGetApp();
    // Write failures (a read-only folder) are not reported: the next start behaves as before.
    application.WriteProfileString("this", package.workTitle.c_str(), package.commentText.c_str());
    application.WriteProfileString("this", "Comment", "このiniファイルを削除しても実害は生じません。");
    application.WriteProfileInt("WINDOWPLACEMENT", "showCmd", int(placement.showCmd));
    application.WriteProfileInt("WINDOWPLACEMENT", "flags", int(placement.flags));
    application.WriteProfileInt("WINDOWPLACEMENT", "rcNormalPositionTop", placement.rcNormalPosition.top);
    application.WriteProfileInt("WINDOWPLACEMENT", "rcNormalPositionLeft", placement.rcNormalPosition.left);
    application.WriteProfileInt("WINDOWPLACEMENT", "rcNormalPositionBottom", placement.rcNormalPosition.bottom);
    application.WriteProfileInt("WINDOWPLACEMENT", "rcNormalPositionRight", placement.rcNormalPosition.right);
    application.WriteProfileInt("WINDOWPLACEMENT", "ptMinPositionX", placement.ptMinPosition.x);
    application.WriteProfileInt("WINDOWPLACEMENT", "ptMinPositionY", placement.ptMinPosition.y);
    application.WriteProfileInt("Favorite", "iFavoriteSize", zoomPercent);
    application.WriteProfileInt("Favorite", "ZOrder", package.zOrderMode);
}

}  // namespace vistello
