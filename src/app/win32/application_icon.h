#pragma once
// The application icon (resource 128) on the program's windows: a shared resource, never
// destroyed.
#include <windows.h>

#include "resources/resource.h"

namespace vistello {

inline HICON loadApplicationIcon() { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VISTELLO)); }

enum class SmallIcon : bool {
    unchanged,
    previousLarge,  // what the window had as its large icon before: normally none, so the
                    // system scales the large one
};

// Makes icon the window's large icon, and sets the small one as asked.
inline void setWindowIcons(HWND window, HICON icon, SmallIcon small) {
    const LRESULT previous = SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    if (small == SmallIcon::previousLarge) SendMessageA(window, WM_SETICON, ICON_SMALL, previous);
}

}  // namespace vistello
