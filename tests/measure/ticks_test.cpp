#include "vlox/measure/ticks.h"

#include <gtest/gtest.h>

// Pins: an averaging end set just before the 49-day wrap of the tick count (end = start +
// averaging time wraps to a small number) was "reached" at once when compared directly.
TEST(Ticks, ComparisonsSurviveTheWrap)
{
    const uint32_t start = 0xFFFFF000u;
    const uint32_t end = start + 15000u;  // wraps to 0x00002A98
    EXPECT_EQ(TickReached(start, end), 0);
    EXPECT_EQ(TickReached(0xFFFFFFFFu, end), 0);
    EXPECT_EQ(TickReached(0x00002A97u, end), 0);
    EXPECT_EQ(TickReached(0x00002A98u, end), 1);
    EXPECT_EQ(TickReached(0x00010000u, end), 1);
    EXPECT_EQ(TicksSince(0x00000100u, start), 0x1100u);
    EXPECT_EQ(TicksSince(1000u, 1000u), 0u);
    // Without a wrap it is the plain comparison.
    EXPECT_EQ(TickReached(5000u, 4000u), 1);
    EXPECT_EQ(TickReached(3999u, 4000u), 0);
}
