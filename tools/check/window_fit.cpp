#include "check/window_fit.h"

#include "app/package_codes.h"
#include "encode/fit_picture.h"
#include "window/window_geometry.h"

namespace vistello::tools {
namespace {

// The screen the check measures against: full HD with the taskbar at the bottom, 40 pixels high
// as Windows 10 draws it at 100 %.
constexpr Size screen{1920, 1080};
constexpr int32_t taskbarHeight = 40;
constexpr Rectangle taskbar{0, screen.height - taskbarHeight, screen.width, screen.height};
// The picture window's frame (a 3-pixel dialog frame on each side) and caption, as measured
// under Wine: a 6000 x 4000 picture opens as a 6006 x 4025 window.
constexpr int32_t dialogFrame = 3;
constexpr Size frameWithCaption{6, 25};
constexpr Size frameWithoutCaption{6, 6};

Rectangle placeWindow(Size picture, Size frame, int32_t startPosition) {
    const Size outer{picture.width + frame.width, picture.height + frame.height};
    const auto corner = [&](Corner c) {
        const Point at = cornerPosition(c, TaskbarEdge::bottom, taskbar, outer, screen);
        return Rectangle{at.x, at.y, at.x + outer.width, at.y + outer.height};
    };
    switch (startPositionOf(startPosition)) {
    case StartPosition::topLeft: return corner(Corner::topLeft);
    case StartPosition::topRight: return corner(Corner::topRight);
    case StartPosition::bottomLeft: return corner(Corner::bottomLeft);
    case StartPosition::bottomRight: return corner(Corner::bottomRight);
    case StartPosition::centre: break;
    }
    // Centred as the program centres: the bare frame first, then grown around its centre.
    const Rectangle bare = centreFrameOnScreen(screen, dialogFrame, frame);
    return centreWithClient(bare, Rectangle{}, Rectangle{0, 0, picture.width, picture.height});
}

std::string placeName(int32_t startPosition) {
    const CodeName* name = codeFor(startPositionNames, storedCode(startPositionOf(startPosition)));
    return name && name->word != "centre" ? "at the " + std::string(name->meaning) : "centred";
}

bool fits(const Rectangle& window) {
    return window.left >= 0 && window.top >= 0 && window.right <= screen.width && window.bottom <= taskbar.top;
}

// The largest picture that opens wholly in the work area at this start position (centring uses
// the whole screen, so a centred window must leave the taskbar's height free at the top too).
Size largestFitting(Size frame, int32_t startPosition) {
    Size largest{screen.width, screen.height};
    while (largest.width > 1 && !fits(placeWindow({largest.width, 1}, frame, startPosition))) --largest.width;
    while (largest.height > 1 && !fits(placeWindow({1, largest.height}, frame, startPosition))) --largest.height;
    return largest;
}

}  // namespace

std::string windowFitWarning(int32_t pictureWidth, int32_t pictureHeight, const WindowSettings& settings) {
    const bool caption = hasTitleBar(settings.captionMode);
    const Size frame = caption ? frameWithCaption : frameWithoutCaption;
    const Rectangle window = placeWindow({pictureWidth, pictureHeight}, frame, settings.startPosition);
    const int32_t workBottom = taskbar.top;
    if (fits(window)) return {};

    const Size largest = largestFitting(frame, settings.startPosition);
    std::string where;
    const auto add = [&](const std::string& part) { where += (where.empty() ? "" : ", ") + part; };
    if (window.top < 0) add(caption ? "its title bar above the top of the screen" : "its top above the top of the screen");
    if (window.bottom > workBottom) add(std::to_string(window.bottom - workBottom) + " pixel rows under the taskbar or below the screen");
    if (window.left < 0 || window.right > screen.width) add("its sides beyond the screen's edges");
    return "the window (" + std::to_string(window.width()) + " x " + std::to_string(window.height()) +
           " with its frame" + (caption ? " and title bar" : "") + ") does not fit a 1920 x 1080 screen above its taskbar: "
           "it opens " + placeName(settings.startPosition) + " with " + where + "; a picture of at most " +
           std::to_string(largest.width) + " x " + std::to_string(largest.height) +
           " pixels fits (--fit screen scales it down to at most " + std::to_string(screenFitBox.width) + " x " +
           std::to_string(screenFitBox.height) + ")";
}

}  // namespace vistello::tools
