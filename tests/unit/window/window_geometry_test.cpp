#include "window/window_geometry.h"

#include <gtest/gtest.h>

namespace vistello {
namespace {

constexpr Size screen{1024, 768};
constexpr Size windowSize{200, 150};

TEST(WindowGeometry, CornersSitBesideTheTaskbarOnEachEdge) {
    const struct {
        const char* name;
        TaskbarEdge edge;
        Rectangle taskbar;
        Corner corner;
        Point expected;
    } cases[] = {
        {"bottom bar, top-left", TaskbarEdge::bottom, {0, 740, 1024, 768}, Corner::topLeft, {0, 0}},
        {"bottom bar, top-right", TaskbarEdge::bottom, {0, 740, 1024, 768}, Corner::topRight, {824, 0}},
        {"bottom bar, bottom-right", TaskbarEdge::bottom, {0, 740, 1024, 768}, Corner::bottomRight, {824, 590}},
        {"bottom bar, bottom-left", TaskbarEdge::bottom, {0, 740, 1024, 768}, Corner::bottomLeft, {0, 590}},
        {"left bar, top-left", TaskbarEdge::left, {0, 0, 60, 768}, Corner::topLeft, {60, 0}},
        {"left bar, bottom-left", TaskbarEdge::left, {0, 0, 60, 768}, Corner::bottomLeft, {60, 618}},
        {"left bar, top-right", TaskbarEdge::left, {0, 0, 60, 768}, Corner::topRight, {824, 0}},
        {"right bar, top-right", TaskbarEdge::right, {964, 0, 1024, 768}, Corner::topRight, {764, 0}},
        {"right bar, bottom-right", TaskbarEdge::right, {964, 0, 1024, 768}, Corner::bottomRight, {764, 618}},
        {"top bar, top-left", TaskbarEdge::top, {0, 0, 1024, 28}, Corner::topLeft, {0, 28}},
        {"top bar, top-right", TaskbarEdge::top, {0, 0, 1024, 28}, Corner::topRight, {824, 28}},
        {"top bar, bottom-left", TaskbarEdge::top, {0, 0, 1024, 28}, Corner::bottomLeft, {0, 618}},
        {"top bar, bottom-right", TaskbarEdge::top, {0, 0, 1024, 28}, Corner::bottomRight, {824, 618}},
        // Without a taskbar the edge counts as left with an empty rectangle: plain screen corners.
        {"no taskbar, top-left", TaskbarEdge::left, {}, Corner::topLeft, {0, 0}},
        {"no taskbar, bottom-right", TaskbarEdge::left, {}, Corner::bottomRight, {824, 618}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Point at = cornerPosition(c.corner, c.edge, c.taskbar, windowSize, screen);
        EXPECT_EQ(at.x, c.expected.x);
        EXPECT_EQ(at.y, c.expected.y);
    }
}

TEST(WindowGeometry, ZoomTruncatesTheScaledSizeAndAddsTheFrame) {
    const Size frame{6, 25};
    const struct {
        int32_t percent;
        Size picture;
        Size expectedClient;
    } cases[] = {
        {50, {300, 200}, {150, 100}}, {50, {101, 51}, {50, 25}}, {40, {3, 3}, {1, 1}},
        {50, {1, 1}, {0, 0}},         {200, {17, 9}, {34, 18}},  {400, {480, 360}, {1920, 1440}},
        {110, {100, 100}, {110, 110}}, {100, {333, 77}, {333, 77}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percent << "% of " << c.picture.width << "x" << c.picture.height);
        const Size outer = zoomedOuterSize(c.percent, c.picture, frame);
        EXPECT_EQ(outer.width - frame.width, c.expectedClient.width);
        EXPECT_EQ(outer.height - frame.height, c.expectedClient.height);
    }
}

TEST(WindowGeometry, ResizingKeepsTheCentreWithTruncatedHalves) {
    EXPECT_EQ(keepCentre({100, 100, 300, 250}, {401, 301}), (Point{0, 25}));
    EXPECT_EQ(keepCentre({0, 0, 5, 5}, {2, 2}), (Point{1, 1}));
    EXPECT_EQ(keepCentre({10, 10, 20, 20}, {30, 30}), (Point{0, 0}));
}

// Each half is truncated on its own: left + width / 2 - newWidth / 2. Shrinking from an even to
// an odd size, or growing from an odd to an even one, that differs by one from halving the
// difference, (width - newWidth) / 2.
TEST(WindowGeometry, ResizingBetweenOddAndEvenSizesTruncatesEachHalfOnItsOwn) {
    const struct {
        Rectangle current;
        Size outer;
        Point expected;
    } cases[] = {
        {{0, 0, 4, 4}, {3, 3}, {1, 1}},          // 2 - 1, not (4 - 3) / 2 = 0
        {{0, 0, 3, 3}, {4, 4}, {-1, -1}},        // 1 - 2, not (3 - 4) / 2 = 0
        {{100, 50, 580, 410}, {241, 181}, {220, 140}},  // 100 + 240 - 120, 50 + 180 - 90
        {{100, 50, 341, 231}, {480, 360}, {-20, -40}},  // 100 + 120 - 240, 50 + 90 - 180
        {{0, 0, 4, 3}, {3, 4}, {1, -1}},         // narrower and taller at once
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.current.width() << "x" << c.current.height() << " to "
                                        << c.outer.width << "x" << c.outer.height);
        EXPECT_EQ(keepCentre(c.current, c.outer), c.expected);
    }
}

TEST(WindowGeometry, CentringKeepsTheClientSize) {
    const Size frame{6, 25};
    const Rectangle bare = centreFrameOnScreen(screen, 3, frame);
    EXPECT_EQ(bare, (Rectangle{509, 362, 515, 387}));  // (1024 - 6) / 2, 768 / 2 + 3 - 25
    // After the first move the window is the bare frame; the client area is empty.
    const Rectangle window = bare;
    const Rectangle client{0, 0, 0, 0};
    const Rectangle originalClient{0, 0, 300, 200};
    const Rectangle centred = centreWithClient(window, client, originalClient);
    EXPECT_EQ(centred.width() - frame.width, 300);
    EXPECT_EQ(centred.height() - frame.height, 200);
    EXPECT_EQ(centred.left, 509 + 3 - 153);
    EXPECT_EQ(centred.top, 362 + 12 - 112);
}

TEST(WindowGeometry, DraggingMovesByTheReleaseOffsetOnly) {
    const Rectangle at{100, 50, 400, 300};
    EXPECT_EQ(draggedPosition(at, {10, 10}, {10, 10}), std::nullopt);
    EXPECT_EQ(draggedPosition(at, {10, 10}, {30, 5}), (Point{120, 45}));
    EXPECT_EQ(draggedPosition(at, {10, 10}, {-20, 10}), (Point{70, 50})) << "releases outside the client area";
}

}  // namespace
}  // namespace vistello
