#include "encode/orientation_transform.h"

#include <gtest/gtest.h>

#include "encode_test_support.h"
#include "test_pattern.h"

namespace vistello {
namespace {

// ImageMagick's names of the eight orientations, by value.
const char* const imageMagickNames[] = {"",        "TopLeft",  "TopRight",    "BottomRight", "BottomLeft",
                                        "LeftTop", "RightTop", "RightBottom", "LeftBottom"};

TEST(ApplyOrientation, EachOrientationTurnsThePixelsAsImageMagicksAutoOrient) {
    REQUIRE_REFERENCE_PROGRAMS();
    test::ScratchFolder folder;
    const BgrImage stored = test::patternPicture(7, 4);
    // The same pixels in bottom-up memory, as a DIB section holds them.
    BgrImage bottomUp(stored.width, stored.height);
    for (int32_t y = 0; y < stored.height; ++y) {
        std::copy(stored.view().row(y), stored.view().row(y) + stored.stride(), bottomUp.row(stored.height - 1 - y));
    }
    const BgrView bottomUpView{bottomUp.view().row(stored.height - 1), -bottomUp.stride(), stored.width, stored.height};
    for (int32_t value = 1; value <= 8; ++value) {
        SCOPED_TRACE(imageMagickNames[value]);
        const BgrImage expected =
            test::imageMagick(folder, stored, std::string("-orient ") + imageMagickNames[value] + " -auto-orient");
        ASSERT_GT(expected.width, 0);
        const BgrImage ours = applyOrientation(stored.view(), Orientation(value));
        EXPECT_EQ(ours.size(), expected.size());
        EXPECT_EQ(ours.size(), orientedSize(stored.size(), Orientation(value)));
        EXPECT_EQ(ours.pixels, expected.pixels);
        EXPECT_EQ(applyOrientation(bottomUpView, Orientation(value)).pixels, expected.pixels);
    }
}

TEST(ApplyOrientation, OnePixelAndOneRowPictures) {
    const BgrImage row = test::patternPicture(5, 1);
    const BgrImage column = applyOrientation(row.view(), Orientation::turnedLeft);
    ASSERT_EQ(column.size(), (PictureSize{1, 5}));
    EXPECT_EQ(column.pixels, row.pixels);  // the stored row read left to right becomes the column top-down
    const BgrImage dot = test::patternPicture(1, 1);
    for (int32_t value = 1; value <= 8; ++value) EXPECT_EQ(applyOrientation(dot.view(), Orientation(value)).pixels, dot.pixels);
}

}  // namespace
}  // namespace vistello
