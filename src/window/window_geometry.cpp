#include "window/window_geometry.h"

namespace vistello {

Point keepCentre(const Rectangle& current, Size newOuter) {
    return {current.left + current.width() / 2 - newOuter.width / 2,
            current.top + current.height() / 2 - newOuter.height / 2};
}

Rectangle centreFrameOnScreen(Size screen, int32_t dialogFrameHeight, Size frame) {
    const int32_t x = (screen.width - frame.width) / 2;
    const int32_t y = screen.height / 2 + dialogFrameHeight - frame.height;
    return {x, y, x + frame.width, y + frame.height};
}

Rectangle centreWithClient(const Rectangle& window, const Rectangle& client, const Rectangle& originalClient) {
    const Size outer{window.width() - client.width() + originalClient.width(),
                     window.height() - client.height() + originalClient.height()};
    const Point at = keepCentre(window, outer);
    return {at.x, at.y, at.x + outer.width, at.y + outer.height};
}

Point cornerPosition(Corner corner, TaskbarEdge edge, const Rectangle& taskbar, Size window, Size screen) {
    const int32_t left = edge == TaskbarEdge::left ? taskbar.right : 0;
    const int32_t top = edge == TaskbarEdge::top ? taskbar.bottom : 0;
    const int32_t right = (edge == TaskbarEdge::right ? taskbar.left : screen.width) - window.width;
    const int32_t bottom = (edge == TaskbarEdge::bottom ? taskbar.top : screen.height) - window.height;
    switch (corner) {
    case Corner::topLeft: return {left, top};
    case Corner::topRight: return {right, top};
    case Corner::bottomRight: return {right, bottom};
    case Corner::bottomLeft: return {left, bottom};
    }
    return {left, top};
}

Size zoomedOuterSize(int32_t percent, Size picture, Size frame) {
    // The product is formed as width x percent first, then scaled by 0.01, in double precision.
    const double width = double(picture.width) * percent * 0.01 + frame.width;
    const double height = double(picture.height) * percent * 0.01 + frame.height;
    return {int32_t(width), int32_t(height)};
}

std::optional<Point> draggedPosition(const Rectangle& window, Point start, Point end) {
    if (start == end) return std::nullopt;
    return Point{window.left + (end.x - start.x), window.top + (end.y - start.y)};
}

}  // namespace vistello
