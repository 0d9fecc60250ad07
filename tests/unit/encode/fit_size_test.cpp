#include "encode/fit_size.h"

#include <gtest/gtest.h>

namespace vistello {
namespace {

TEST(FitInside, LimitingSideTakesTheBoxAndTheOtherRoundsToNearestHalvesUp) {
    const struct { PictureSize picture, box, expected; } cases[] = {
        {{6000, 4000}, {1600, 900}, {1350, 900}},  // height limits
        {{4000, 6000}, {1600, 900}, {600, 900}},   // portrait
        {{4032, 3024}, {1600, 900}, {1200, 900}},
        {{5472, 3648}, {1024, 768}, {1024, 683}},  // 682.67 rounds up
        {{7952, 5304}, {1920, 1080}, {1619, 1080}},  // 1619.2 rounds down
        {{3200, 1800}, {1600, 900}, {1600, 900}},  // both sides limit
        {{1601, 900}, {1600, 900}, {1600, 899}},   // width limits by a hair: 899.44
        {{8, 3}, {4, 4}, {4, 2}},                  // 1.5: halves up
        {{8, 5}, {4, 4}, {4, 3}},                  // 2.5: halves up
        {{1000, 3}, {100, 100}, {100, 1}},         // 0.3 would be 0: at least 1
        {{3, 1000}, {100, 100}, {1, 100}},
        {{65535, 65535}, {1, 1}, {1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.picture.width) + "x" + std::to_string(c.picture.height) + " in " +
                     std::to_string(c.box.width) + "x" + std::to_string(c.box.height));
        EXPECT_EQ(fitInside(c.picture, c.box), c.expected);
    }
}

TEST(FitInside, PicturesInsideTheBoxAreNeverEnlarged) {
    const struct { PictureSize picture, box; } cases[] = {
        {{1600, 900}, {1600, 900}}, {{1, 1}, {1600, 900}}, {{900, 900}, {1600, 900}}, {{1600, 1}, {1600, 900}},
    };
    for (const auto& c : cases) EXPECT_EQ(fitInside(c.picture, c.box), c.picture);
}

}  // namespace
}  // namespace vistello
