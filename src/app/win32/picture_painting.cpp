// Painting, palette realisation and zoom of the picture window.
#include <optional>

#include "app/win32/picture_window.h"
#include "app/win32/window_rectangles.h"
#include "framework/gdi.h"
#include "window/window_geometry.h"

namespace vistello {
namespace {

void moveWindow(HWND window, Point at, Size size) { MoveWindow(window, at.x, at.y, size.width, size.height, TRUE); }

}  // namespace

// Draws the picture into dc: 1:1 over the client area at natural size (zoomed height
// negative), else the picture's real width x height stretched to the zoomed size. The source
// always starts at the DIB's top-left corner, so a JPEG picture's padding is never shown.
void PictureWindow::DrawPicture(HDC dc) {
    if (!dc || !image.pixelBits) return;
    const bool withPalette = image.palettePresent == 1;
    std::optional<PaletteSelection> palette;
    if (withPalette) {
        palette.emplace(dc, toHpalette(image.palette), false, false);
        RealizePalette(dc);
    }
    MemoryDC memory(dc);
    SelectionGuard bitmap(memory.get(), toHbitmap(image.bitmapHandle));
    if (zoomedHeight < 0) {
        const Rectangle client = clientRectangle(m_hWnd);
        BitBlt(dc, 0, 0, client.width(), client.height(), memory.get(), 0, 0, SRCCOPY);
    } else {
        StretchBlt(dc, 0, 0, zoomedWidth, zoomedHeight, memory.get(), 0, 0, ImageWidth(), ImageHeight(), SRCCOPY);
    }
}

void PictureWindow::OnPaint() {
    PaintDC paint(m_hWnd);
    if (IsIconic(m_hWnd)) {
        SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.get()), 0);
        const Rectangle client = clientRectangle(m_hWnd);
        const int iconWidth = GetSystemMetrics(SM_CXICON);
        const int iconHeight = GetSystemMetrics(SM_CYICON);
        DrawIcon(paint.get(), (client.width() - iconWidth + 1) / 2, (client.height() - iconHeight + 1) / 2,
                 applicationIcon);
        return;
    }
    DrawPicture(paint.get());
}

BOOL PictureWindow::OnQueryNewPalette() { return RealisePalette(false); }

void PictureWindow::OnPaletteChanged(HWND changedBy) {
    if (changedBy == m_hWnd || IsChild(m_hWnd, changedBy)) return;
    RealisePalette(true);
}

BOOL PictureWindow::RealisePalette(bool background) {
    if (image.palettePresent == 0) return FALSE;
    UINT changed = 0;
    {
        WindowDC dc(m_hWnd);
        PaletteSelection selection(dc.get(), toHpalette(image.palette), background, true);
        changed = RealizePalette(dc.get());
    }
    if (changed == 0) return FALSE;
    InvalidateRect(m_hWnd, nullptr, TRUE);
    return TRUE;
}

// Resizes the window around its centre so that its client area is the picture's size, and
// draws the picture at once.
void PictureWindow::FitWindowToPicture() {
    const Rectangle window = windowRectangle(m_hWnd);
    const Rectangle client = clientRectangle(m_hWnd);
    const Size outer{ImageWidth() + window.width() - client.width(), ImageHeight() + window.height() - client.height()};
    moveWindow(m_hWnd, keepCentre(window, outer), outer);
    DrawPicture(WindowDC(m_hWnd).get());
}

// Resizes the window around its centre for the picture scaled by percent (the frame size is
// the one measured after start-up) and draws it at once. Does not store percent.
void PictureWindow::ApplyZoom(int32_t percent) {
    const Size frame{(initialWindowRect.right - initialWindowRect.left) - (initialClientRect.right - initialClientRect.left),
                     (initialWindowRect.bottom - initialWindowRect.top) - (initialClientRect.bottom - initialClientRect.top)};
    const Size outer = zoomedOuterSize(percent, {ImageWidth(), ImageHeight()}, frame);
    moveWindow(m_hWnd, keepCentre(windowRectangle(m_hWnd), outer), outer);
    zoomedWidth = outer.width - frame.width;
    zoomedHeight = outer.height - frame.height;
    DrawPicture(WindowDC(m_hWnd).get());
}

void PictureWindow::OnNaturalSize(UINT) {
    zoomedWidth = -1;
    zoomedHeight = -1;
    FitWindowToPicture();
    zoomPercent = 100;
}

void PictureWindow::OnZoom(UINT command) {
    const int32_t percent = command == IDM_ZOOM_50 ? 50 : command == IDM_ZOOM_200 ? 200 : 400;
    ApplyZoom(percent);
    zoomPercent = percent;
}

}  // namespace vistello
