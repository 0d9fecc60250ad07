// What the window tests ask drop_probe.dll to drop, in the named mapping dropOrderName(PID) of
// the tool's process: this header, then the paths, each ending with a zero, and one zero more.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace vistello::test {

struct DropOrder {
    uint64_t window;
    int32_t x;  // the point in the window's client area
    int32_t y;
    uint32_t characters;  // of the paths, their zeros included
    volatile LONG done;   // set by the probe once WM_DROPFILES is posted
};

inline std::wstring dropOrderName(DWORD processId) { return L"vistello-drop-probe-" + std::to_wstring(processId); }

}  // namespace vistello::test
