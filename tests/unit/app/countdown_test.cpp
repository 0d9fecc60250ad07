#include "app/countdown.h"

#include <gtest/gtest.h>

namespace vistello {
namespace {

TEST(GroupedNumber, PutsACommaBetweenGroupsOfThreeDigitsFromTheRight) {
    const struct {
        uint32_t value;
        const char* text;
    } cases[] = {
        {0, "0"},           {4, "4"},           {999, "999"},
        {1000, "1,000"},    {1234, "1,234"},    {99999, "99,999"},
        {100000, "100,000"}, {1000000, "1,000,000"}, {4294967295u, "4,294,967,295"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(groupedNumber(c.value), c.text);
    }
}

TEST(CountdownCaption, IsTheTitleTwoSpacesTheGroupedSecondsAndTheSecondsSign) {
    EXPECT_EQ(countdownCaption("sunset", 5), "sunset  5秒");
    EXPECT_EQ(countdownCaption("sunset", 1000), "sunset  1,000秒");
    EXPECT_EQ(countdownCaption("", 0), "  0秒");
    // A count that went below zero is shown as the unsigned value, not with a minus sign.
    EXPECT_EQ(countdownCaption("t", -1), "t  4,294,967,295秒");
}

}  // namespace
}  // namespace vistello
