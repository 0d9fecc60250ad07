// menu_probe.dll: loaded into a running program by the tests (inject_probe.cpp), it writes
// the menus of the program's windows to %TEMP%\vistello-menu-probe-<pid>.txt from a thread
// of its own (not inside DllMain: asking the menu window needs the program's thread, which may
// wait for the loader lock) and then unloads itself, so the next injection probes again. Menus belong to their process under Wine, so only code inside the program
// can read them. One line per item: where, position, id, state, text (UTF-8); submenus are
// walked with their path ("popup/2/...").
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    char buffer[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

void writeMenu(FILE* out, HMENU menu, const std::string& where) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, UINT(position), text, 256, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, UINT(position), MF_BYPOSITION);
        std::fprintf(out, "%s\t%d\t%d\t%u\t%s\n", where.c_str(), position, int(GetMenuItemID(menu, position)),
                     state, utf8(text).c_str());
        if (HMENU sub = GetSubMenu(menu, position)) writeMenu(out, sub, where + "/" + std::to_string(position));
    }
}

struct Windows {
    HWND main = nullptr;
    HWND popupMenu = nullptr;
};

BOOL CALLBACK collect(HWND window, LPARAM parameter) {
    auto* found = reinterpret_cast<Windows*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32768")
        found->popupMenu = window;
    else if (!found->main)
        found->main = window;
    return TRUE;
}

void probe() {
    Windows found;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&found));
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "vistello-menu-probe-" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string partial = path + ".part";
    FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) return;
    if (found.main)
        if (HMENU system = GetSystemMenu(found.main, FALSE)) writeMenu(out, system, "system");
    if (found.popupMenu)
        if (auto menu = reinterpret_cast<HMENU>(SendMessageA(found.popupMenu, MN_GETHMENU, 0, 0)))
            writeMenu(out, menu, "popup");
    std::fclose(out);
    MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);  // appears complete
}

}  // namespace

namespace {

HMODULE thisModule = nullptr;

DWORD WINAPI probeThenUnload(LPVOID) {
    probe();
    FreeLibraryAndExitThread(thisModule, 0);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    thisModule = module;
    if (HANDLE thread = CreateThread(nullptr, 0, probeThenUnload, nullptr, 0, nullptr)) CloseHandle(thread);
    return TRUE;
}
