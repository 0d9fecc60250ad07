#pragma once
// The arithmetic of the picture window's placement and zoom, apart from the calls that read and
// move the window. All divisions truncate toward zero, as C++ integer division does.
#include <cstdint>
#include <optional>

namespace vistello {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rectangle {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    friend bool operator==(const Rectangle&, const Rectangle&) = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Where a window of the given outer size goes so that its centre stays the centre of current.
Point keepCentre(const Rectangle& current, Size newOuter);

// Centring, first move: the bare frame (client area empty) at the screen's centre, vertically
// at the middle plus the dialog frame height minus the frame height.
Rectangle centreFrameOnScreen(Size screen, int32_t dialogFrameHeight, Size frame);
// Centring, second move: the window grown back to the original client size around the centre
// of the first move. window/client are read after the first move; originalClient before it.
Rectangle centreWithClient(const Rectangle& window, const Rectangle& client, const Rectangle& originalClient);

// Taskbar edges as the shell reports them.
enum class TaskbarEdge : uint32_t { left = 0, top = 1, right = 2, bottom = 3 };

enum class Corner { topLeft, topRight, bottomRight, bottomLeft };

// The corner position of a window of size window beside the taskbar (edge and rectangle), or
// the plain screen corner on the sides without the taskbar.
Point cornerPosition(Corner corner, TaskbarEdge edge, const Rectangle& taskbar, Size window, Size screen);

// Outer window size for the picture scaled by percent: the double-precision product truncated,
// plus the frame.
Size zoomedOuterSize(int32_t percent, Size picture, Size frame);

// The window position after a drag from start to end (client points); none when the button
// was released where it was pressed.
std::optional<Point> draggedPosition(const Rectangle& window, Point start, Point end);

}  // namespace vistello
