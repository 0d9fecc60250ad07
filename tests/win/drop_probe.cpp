// drop_probe.dll: a message hook the test sets on the thread of vistello-pack's authoring
// window. The system loads the library into the tool and calls the hook on that thread as it
// takes its next message; the hook then drops files on the window the way Explorer does: a
// DROPFILES block in the tool's own memory and WM_DROPFILES posted with it. What to drop is the
// DropOrder the test made (drop_order.h); the hook marks it done, so it is dropped once however
// often the hook is called.
//
// The work happens on the window's own thread: no thread is started in the tool from outside
// and none of its memory is written from outside. A thread started from outside broke the
// tool's C heap under Wine now and then.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>

#include "drop_order.h"

namespace {

using vistello::test::DropOrder;

void dropAsOrdered() {
    const HANDLE mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, vistello::test::dropOrderName(GetCurrentProcessId()).c_str());
    if (!mapping) return;
    auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    auto* order = reinterpret_cast<DropOrder*>(view);
    if (order && order->done == 0) {
        const size_t pathBytes = size_t(order->characters) * sizeof(wchar_t);
        const HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + pathBytes + sizeof(wchar_t));
        if (auto* files = static_cast<DROPFILES*>(drop ? GlobalLock(drop) : nullptr)) {
            files->pFiles = sizeof(DROPFILES);
            files->pt = POINT{order->x, order->y};
            files->fNC = FALSE;
            files->fWide = TRUE;
            std::memcpy(reinterpret_cast<uint8_t*>(files) + sizeof(DROPFILES), view + sizeof(DropOrder), pathBytes);
            GlobalUnlock(drop);
            const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(order->window));
            if (PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0))
                InterlockedExchange(&order->done, 1);
            else
                GlobalFree(drop);
        }
    }
    if (view) UnmapViewOfFile(view);
    CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK dropOnNextMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) dropAsOrdered();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
