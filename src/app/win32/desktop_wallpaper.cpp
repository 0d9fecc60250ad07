#include "app/win32/desktop_wallpaper.h"

#include <windows.h>

#include "framework/handles.h"

namespace vistello {
namespace {

constexpr const char* desktopKey = "Control Panel\\desktop";

UniqueRegKey openDesktopKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, desktopKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return {};
    return UniqueRegKey(key);
}

// One digit and its terminating zero, as the desktop settings store their flags.
void writeDigit(HKEY key, const char* name, char digit) {
    const char value[2] = {digit, '\0'};
    // A value that cannot be written leaves the desktop as the system then has it; the
    // wallpaper call that follows is what decides the outcome.
    (void)RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
}

void writeOriginAndStyle(HKEY key) {
    writeDigit(key, "WallpaperOriginX", '0');
    writeDigit(key, "WallpaperOriginY", '0');
    writeDigit(key, "WallpaperStyle", '0');
}

bool setWallpaperFile(const char* path) {
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path), SPIF_UPDATEINIFILE) != FALSE;
}

}  // namespace

void setDesktopWallpaper(WallpaperLayout layout, const std::string& bmpPath) {
    {
        const UniqueRegKey key = openDesktopKey();
        if (!key) return;
        writeDigit(key.get(), "TileWallpaper", layout == WallpaperLayout::tiled ? '1' : '0');
        writeOriginAndStyle(key.get());
    }
    if (setWallpaperFile(bmpPath.c_str())) return;
    // TileWallpaper keeps the value just written.
    {
        const UniqueRegKey key = openDesktopKey();
        if (!key) return;
        writeOriginAndStyle(key.get());
    }
    (void)setWallpaperFile("");  // nothing further can be done when even clearing fails
}

}  // namespace vistello
