#pragma once
// The picture window's rectangles in the portable geometry's terms.
#include <windows.h>

#include "window/window_geometry.h"

namespace vistello {

inline Rectangle toRectangle(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

inline Rectangle windowRectangle(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return toRectangle(r);
}

inline Rectangle clientRectangle(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return toRectangle(r);
}

}  // namespace vistello
