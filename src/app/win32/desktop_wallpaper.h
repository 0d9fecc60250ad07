#pragma once
// The desktop wallpaper: the values under HKEY_CURRENT_USER\Control Panel\desktop and the
// system's wallpaper setting.
#include <string>

namespace vistello {

enum class WallpaperLayout : bool { centred, tiled };

// Writes TileWallpaper ("1" tiled, "0" centred) and WallpaperOriginX, WallpaperOriginY and
// WallpaperStyle ("0"), then sets bmpPath as the wallpaper. When the key cannot be opened
// nothing changes. When the system refuses the file, the desktop is left without wallpaper
// rather than with a half-applied setting.
void setDesktopWallpaper(WallpaperLayout layout, const std::string& bmpPath);

}  // namespace vistello
