#pragma once
// The picture window: the program's only main window, a modal dialog on template 102 that
// shows the decoded picture and carries the context menu. Its implementation is split by
// subject: picture_window.cpp (construction, initialisation, system menu), picture_loader.cpp
// (the package loader), picture_painting.cpp (paint, palette, zoom),
// picture_placement.cpp (centring, corners, z-order, dragging, context menu, settings),
// picture_commands.cpp (command override, timers, links), picture_dialogs.cpp (comment,
// about and any-size dialogs) and picture_export.cpp (file restore, BMP writer, wallpaper).
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/byte_buffer.h"
#include "app/package_fields.h"
#include "framework/dialog.h"
#include "framework/handles.h"
#include "framework/message_map.h"
#include "raster/decoded_image.h"
#include "raster/load_picture.h"
#include "raster/win32/gdi_dib_seam.h"
#include "resources/resource.h"

namespace vistello {

// Numbers of the window that no resource refers to.
inline constexpr UINT_PTR autoExitTimerId = 103;       // ticks every autoExitTimerPeriod
inline constexpr UINT autoExitTimerPeriod = 1000;      // ms
inline constexpr UINT_PTR autoCommentTimerId = 106;    // fires once, autoCommentTimerDelay after start
inline constexpr UINT autoCommentTimerDelay = 100;     // ms
inline constexpr WORD sizePreviewCommand = 105;        // lParam: the percentage to preview

class PictureWindow : public CDialog {
public:
    PictureWindow();
    ~PictureWindow() override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    BEGIN_MSG_MAP(PictureWindow)
        MSG_WM_PAINT(OnPaint)
        MSG_WM_QUERYDRAGICON(OnQueryDragIcon)
        MSG_WM_QUERYNEWPALETTE(OnQueryNewPalette)
        MSG_WM_PALETTECHANGED(OnPaletteChanged)
        MSG_WM_ACTIVATE(OnActivate)
        MSG_WM_LBUTTONDOWN(OnLButtonDown)
        MSG_WM_LBUTTONUP(OnLButtonUp)
        MSG_WM_CONTEXTMENU(OnContextMenu)
        MSG_WM_SYSCOMMAND(OnSysCommand)
        MSG_WM_TIMER(OnTimer)
        MSG_WM_DESTROY(OnDestroy)
        COMMAND_ID_HANDLER(IDM_COMMENT, OnComment)
        COMMAND_ID_HANDLER(IDM_CENTRE, OnCentre)
        COMMAND_ID_HANDLER(IDM_TOP_LEFT, OnCorner)
        COMMAND_ID_HANDLER(IDM_TOP_RIGHT, OnCorner)
        COMMAND_ID_HANDLER(IDM_BOTTOM_LEFT, OnCorner)
        COMMAND_ID_HANDLER(IDM_BOTTOM_RIGHT, OnCorner)
        COMMAND_ID_HANDLER(IDM_NORMAL_ZORDER, OnZOrder)
        COMMAND_ID_HANDLER(IDM_ALWAYS_ON_TOP, OnZOrder)
        COMMAND_ID_HANDLER(IDM_ALWAYS_AT_BOTTOM, OnZOrder)
        COMMAND_ID_HANDLER(IDM_ZOOM_100, OnNaturalSize)
        COMMAND_ID_HANDLER(IDM_ZOOM_50, OnZoom)
        COMMAND_ID_HANDLER(IDM_ZOOM_200, OnZoom)
        COMMAND_ID_HANDLER(IDM_ZOOM_400, OnZoom)
        COMMAND_ID_HANDLER(IDM_ANY_SIZE, OnAnySize)
        COMMAND_ID_HANDLER(IDM_WALLPAPER_CENTRE, OnWallpaper)
        COMMAND_ID_HANDLER(IDM_WALLPAPER_TILE, OnWallpaper)
        COMMAND_ID_HANDLER(IDM_SAVE_SETTINGS, OnSaveSettings)
        COMMAND_ID_HANDLER(IDM_CANCEL_AUTO_EXIT, OnCancelAutoExit)
    END_MSG_MAP(CDialog)

private:
    // Initialisation (picture_window.cpp).
    [[nodiscard]] bool ChooseSource(std::string& pathToLoad);
    void ChangeSystemMenu();
    void StoreInitialRectangles();
    void SetCaptionWithCountdown();
    void StartAutoExit();
    void StartAutoComment();
    bool OnSysCommand(UINT command);
    HICON OnQueryDragIcon() const { return applicationIcon; }

    // Loading (picture_loader.cpp).
    [[nodiscard]] bool LoadPicture(const std::string& path);
    [[nodiscard]] bool ReadPackage(ByteBuffer& picture);
    [[nodiscard]] bool DecodePicture(const ByteBuffer& picture);

    // Painting, palette and zoom (picture_painting.cpp).
    void OnPaint();
    BOOL OnQueryNewPalette();
    void OnPaletteChanged(HWND changedBy);
    BOOL RealisePalette(bool background);
    void DrawPicture(HDC dc);
    void FitWindowToPicture();
    void ApplyZoom(int32_t percent);
    void OnNaturalSize(UINT command);
    void OnZoom(UINT command);
    int32_t ImageWidth() const { return image.imageInfo[imageInfoWidth]; }
    int32_t ImageHeight() const { return image.imageInfo[imageInfoHeight]; }

    // Placement, z-order, dragging, context menu and settings (picture_placement.cpp).
    void CentreWindow();
    void MoveToCorner(UINT command);
    void ApplyZOrderMode(ZOrderMode mode);
    void OnCentre(UINT) { CentreWindow(); }
    void OnCorner(UINT command) { MoveToCorner(command); }
    void OnZOrder(UINT command);
    void OnActivate(UINT state, HWND other, BOOL minimised);
    void OnLButtonDown(UINT flags, POINT client);
    void OnLButtonUp(UINT flags, POINT client);
    void OnContextMenu(HWND window, POINT screen);
    HMENU ContextMenu() const { return GetSubMenu(popupMenu.get(), 0); }
    void ReadSettings(WINDOWPLACEMENT& placement);
    void OnSaveSettings(UINT command);

    // Commands, dialogs, timers and links (picture_commands.cpp).
    void OnComment(UINT command);
    void OpenCommentDialog();
    void OpenAboutDialog();
    void OnTimer(UINT_PTR id);
    void OnCancelAutoExit(UINT command);
    void OpenLink();
    void OnDestroy();
    void OnAnySize(UINT command);
    void OnRestoreFile();
    [[nodiscard]] int RestorePictureFile();
    [[nodiscard]] int WriteBmp(const std::string& target);
    void OnWallpaper(UINT command);

    // Members, in the order the rest of the program knows them.
    HICON applicationIcon;                // a shared resource, never destroyed
    uint32_t packageOffsetHigh = 0;       // copied from the package-offset constant
    uint32_t packageOffsetLow = 0;
    ImageKind imageKind = ImageKind::none;
    GdiDibSeam dibSeam;                   // creates and deletes the decoded image's GDI objects
    DecodedImage image;                   // released explicitly by the destructor, in order
    // The package as read (the window's start values until then, and for a picture named on
    // the command line), with the link target resolved. Two of its values then follow the
    // window: zOrderMode is the current z-order, autoExitSeconds the seconds left.
    PackageFields package;
    UniqueMenu popupMenu;                 // menu resource 130; submenu 0 is the context menu
    HCURSOR dragCursor = nullptr;         // cursor resource 106; a shared resource, never destroyed
    POINT dragStartPoint{};
    bool dragStartRecorded = false;       // a release with no press since creation is ignored
    int32_t zoomPercent = 100;
    int32_t zoomedWidth = -1;
    int32_t zoomedHeight = -1;            // negative: the picture is shown at its own size
    RECT initialWindowRect{};
    RECT initialClientRect{};
};

// The picture file named on the command line, without one pair of surrounding quotes
// (Windows quotes paths with spaces); empty when the program shows its own package.
std::string commandLinePicturePath();

}  // namespace vistello
