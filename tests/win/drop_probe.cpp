// drop_probe.dll: loaded into a running program (as menu_probe.dll is), it drops files on one
// of the program's windows the way Explorer does: a DROPFILES block in the program's own memory
// and WM_DROPFILES posted with it. What to drop comes in the named mapping
// "vistello-drop-probe-PID" that the test made: the window, the point in its client area and
// the paths, each ending with a zero, and one zero more. The library unloads itself at once
// (DllMain answers FALSE), so it can be loaded again for the next drop.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct DropOrder {
    uint64_t window;
    int32_t x;
    int32_t y;
    uint32_t characters;  // of the paths, their zeros included
};

void dropAsOrdered() {
    const std::wstring name = L"vistello-drop-probe-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    if (!mapping) return;
    const auto* view = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    if (view) {
        DropOrder order{};
        std::memcpy(&order, view, sizeof order);
        const size_t pathBytes = size_t(order.characters) * sizeof(wchar_t);
        const HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + pathBytes + sizeof(wchar_t));
        if (auto* files = static_cast<DROPFILES*>(drop ? GlobalLock(drop) : nullptr)) {
            files->pFiles = sizeof(DROPFILES);
            files->pt = POINT{order.x, order.y};
            files->fNC = FALSE;
            files->fWide = TRUE;
            std::memcpy(reinterpret_cast<uint8_t*>(files) + sizeof(DROPFILES), view + sizeof order, pathBytes);
            GlobalUnlock(drop);
            const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(order.window));
            if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) GlobalFree(drop);
        }
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    dropAsOrdered();
    return FALSE;
}
