#pragma once
// Whether the picture window opens wholly on a full-HD screen above its taskbar, placed by the
// program's own placement arithmetic (src/window/window_geometry) for the package's start
// position.
#include <cstdint>
#include <string>

namespace vistello::tools {

struct WindowSettings {
    int32_t captionMode = 0;    // negative: no title bar
    int32_t startPosition = 3;  // as stored
};

// Empty when the window fits; otherwise the warning, saying where it opens and what to do.
std::string windowFitWarning(int32_t pictureWidth, int32_t pictureHeight, const WindowSettings& settings);

}  // namespace vistello::tools
