#pragma once
// Message-map macros: one line binds a message or a command id to a handler, cracking
// wParam/lParam into typed arguments. The map becomes the class's ProcessWindowMessage;
// messages that no line handles go to the base class's map and then to default processing.
//
//   BEGIN_MSG_MAP(PictureWindow)
//       MSG_WM_PAINT(OnPaint)
//       COMMAND_ID_HANDLER(IDM_CENTRE, OnCentre)
//   END_MSG_MAP(CDialog)
#include <windows.h>
#include <windowsx.h>

#define BEGIN_MSG_MAP(theClass)                                                                   \
    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override { \
        (void)wParam;                                                                             \
        (void)lParam;                                                                             \
        (void)result;

#define END_MSG_MAP(baseClass)                                                 \
        return baseClass::ProcessWindowMessage(message, wParam, lParam, result); \
    }

// void handler(UINT commandId)
#define COMMAND_ID_HANDLER(id, handler)                              \
    if (message == WM_COMMAND && LOWORD(wParam) == (id)) {           \
        handler(UINT(LOWORD(wParam)));                               \
        return true;                                                 \
    }

// void handler(UINT commandId) for every id in first..last
#define COMMAND_RANGE_HANDLER(first, last, handler)                                      \
    if (message == WM_COMMAND && LOWORD(wParam) >= (first) && LOWORD(wParam) <= (last)) { \
        handler(UINT(LOWORD(wParam)));                                                   \
        return true;                                                                     \
    }

// void OnPaint()
#define MSG_WM_PAINT(handler) \
    if (message == WM_PAINT) { \
        handler();             \
        result = 0;            \
        return true;           \
    }

// HICON OnQueryDragIcon()
#define MSG_WM_QUERYDRAGICON(handler)                     \
    if (message == WM_QUERYDRAGICON) {                    \
        result = reinterpret_cast<LRESULT>(handler());    \
        return true;                                      \
    }

// bool OnSysCommand(UINT command): false leaves the command to default processing
#define MSG_WM_SYSCOMMAND(handler)                           \
    if (message == WM_SYSCOMMAND && handler(UINT(wParam))) { \
        result = 0;                                          \
        return true;                                         \
    }

// void OnTimer(UINT_PTR id); the message then gets default processing as well
#define MSG_WM_TIMER(handler)      \
    if (message == WM_TIMER) {     \
        handler(UINT_PTR(wParam)); \
        return false;              \
    }

// void OnDestroy(); default processing follows
#define MSG_WM_DESTROY(handler)  \
    if (message == WM_DESTROY) { \
        handler();               \
        return false;            \
    }

// void OnActivate(UINT state, HWND other, BOOL minimised)
#define MSG_WM_ACTIVATE(handler)                                                   \
    if (message == WM_ACTIVATE) {                                                  \
        handler(UINT(LOWORD(wParam)), reinterpret_cast<HWND>(lParam), BOOL(HIWORD(wParam))); \
        result = 0;                                                                \
        return true;                                                               \
    }

// void OnLButtonDown(UINT flags, POINT client) / OnLButtonUp; default processing follows
#define MSG_WM_LBUTTONDOWN(handler)                                              \
    if (message == WM_LBUTTONDOWN) {                                             \
        handler(UINT(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); \
        return false;                                                            \
    }
#define MSG_WM_LBUTTONUP(handler)                                                \
    if (message == WM_LBUTTONUP) {                                               \
        handler(UINT(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); \
        return false;                                                            \
    }

// void OnContextMenu(HWND window, POINT screen); a keyboard request arrives as (-1, -1)
#define MSG_WM_CONTEXTMENU(handler)                                                                   \
    if (message == WM_CONTEXTMENU) {                                                                  \
        handler(reinterpret_cast<HWND>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});   \
        result = 0;                                                                                   \
        return true;                                                                                  \
    }

// BOOL OnQueryNewPalette()
#define MSG_WM_QUERYNEWPALETTE(handler)     \
    if (message == WM_QUERYNEWPALETTE) {    \
        result = handler();                 \
        return true;                        \
    }

// void OnPaletteChanged(HWND changedBy)
#define MSG_WM_PALETTECHANGED(handler)                       \
    if (message == WM_PALETTECHANGED) {                      \
        handler(reinterpret_cast<HWND>(wParam));             \
        result = 0;                                          \
        return true;                                         \
    }

// LRESULT handler(NMHDR* header) for one notification code from one control; the result goes
// to the control through DWLP_MSGRESULT
#define NOTIFY_HANDLER(id, notification, handler)                                                \
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->idFrom == UINT_PTR(id) && \
        reinterpret_cast<const NMHDR*>(lParam)->code == UINT(notification)) {                   \
        result = handler(reinterpret_cast<NMHDR*>(lParam));                                     \
        return true;                                                                            \
    }
