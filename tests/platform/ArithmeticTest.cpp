#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <limits>

TEST(MulDiv, RoundsHalvesAwayFromZeroAndFailsWithMinusOne)
{
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const struct {
        int number, numerator, denominator, want;
    } cases[] = {
        { 10, 150, 100, 15 },
        { 3, 1, 2, 2 },          // 1.5 rounds up
        { -3, 1, 2, -2 },        // -1.5 rounds away from zero
        { 3, -1, 2, -2 },
        { 3, 1, -2, -2 },
        { -3, -1, -2, -2 },
        { 7, 100, 125, 6 },      // 5.6
        { 1, 1, 3, 0 },          // 0.33
        { 5, 7, 0, -1 },         // no divisor
        { 0, 7, 0, -1 },
        { kMax, kMax, kMax, kMax },  // the product may exceed 32 bits
        { kMax, 2, 1, -1 },      // the result does not fit
        { kMin, 1, 1, kMin },
        { kMin, -1, 1, -1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << "*" << c.numerator << "/" << c.denominator);
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.want);
    }
}
