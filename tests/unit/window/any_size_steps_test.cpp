#include "window/any_size_steps.h"

#include <gtest/gtest.h>

#include <vector>

namespace vistello {
namespace {

// Runs the deltas from a starting value and collects the value after every change; refused
// steps add nothing.
std::vector<int32_t> previews(int32_t start, std::initializer_list<int32_t> deltas,
                              SpinDirection last = SpinDirection::unknown) {
    SpinState state{start, last};
    std::vector<int32_t> shown;
    for (const int32_t delta : deltas) {
        const int32_t before = state.value;
        if (applySpinDelta(delta, state))
            shown.push_back(state.value);
        else
            EXPECT_EQ(state.value, before) << "a refused step leaves the value";
    }
    return shown;
}

using Values = std::vector<int32_t>;
constexpr int32_t up = spinDeltaUp;
constexpr int32_t down = spinDeltaDown;

TEST(AnySizeSpin, SingleStepsMoveByTwentyAndStopAtTheBounds) {
    const struct {
        const char* name;
        int32_t start;
        std::initializer_list<int32_t> deltas;
        Values shown;
    } cases[] = {
        {"up then down from 100", 100, {up, down}, {120, 100}},
        {"390 reaches 400, then no further", 390, {up, up}, {400}},
        {"50 reaches 40, then no further", 50, {down, down}, {40}},
        {"55 down is raised to 40", 55, {down}, {40}},
        {"385 up is lowered to 400", 385, {up}, {400}},
        {"at 400 down still works", 400, {up, down}, {380}},
        {"at 40 up still works", 40, {down, up}, {60}},
        // A percentage outside the range (from a hand-edited settings file) steps back into it.
        {"below the range", 30, {down, up}, {50}},
        {"above the range", 420, {up, down}, {400}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(previews(c.start, c.deltas), c.shown);
    }
}

TEST(AnySizeSpin, AcceleratedDeltasRepeatTheLastSingleStepsDirection) {
    // A held arrow reports larger deltas; each still moves by 20, the way the last single
    // step went, whatever the delta's size or sign.
    EXPECT_EQ(previews(100, {up, -5, 5, -20}), (Values{120, 140, 160, 180}));
    EXPECT_EQ(previews(300, {down, -5, 5}), (Values{280, 260, 240}));
    // Stopped at either bound whichever way it goes.
    EXPECT_EQ(previews(360, {up, 5, 5, 5}), (Values{380, 400}));
    EXPECT_EQ(previews(80, {down, -5, -5}), (Values{60, 40}));
    EXPECT_EQ(previews(400, {5}, SpinDirection::down), Values{});
    EXPECT_EQ(previews(40, {-5}, SpinDirection::up), Values{});
}

TEST(AnySizeSpin, AcceleratedDeltaBeforeAnySingleStepTakesItsOwnSign) {
    EXPECT_EQ(previews(100, {-4, -4}), (Values{120, 140})) << "negative is up";
    EXPECT_EQ(previews(100, {4}), Values{80}) << "positive is down";
    EXPECT_EQ(previews(100, {0}), Values{}) << "no direction at all";
    SpinState state{100, SpinDirection::unknown};
    ASSERT_TRUE(applySpinDelta(-3, state));
    EXPECT_EQ(state.lastDirection, SpinDirection::up) << "later accelerated steps keep it";
}

TEST(AnySizeOk, TypedPercentIsClampedIntoTheRange) {
    const struct {
        int32_t typed, applied;
    } cases[] = {{1000, 400}, {401, 400}, {400, 400}, {250, 250}, {40, 40}, {39, 40}, {5, 40}, {0, 40}, {-7, 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(clampTypedPercent(c.typed), c.applied);
    }
}

}  // namespace
}  // namespace vistello
