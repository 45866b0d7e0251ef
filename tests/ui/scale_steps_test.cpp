// The amplitude-axis steps: the worked steps walked through, and single steps at the edges
// (a bottom that would reach the top, the bottom of 0, tops past the int range, tops that are
// not positive).
#include "vlox/ui/scale_steps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// Steps from (top, bottom) while the step acts, at most limit times; the values after each.
std::vector<double> Walk(ScaleStep step, double top, double bottom, int limit)
{
    std::vector<double> seen;
    for (int i = 0; i < limit && StepAmplitudeScale(step, top, bottom, 1.0); ++i)
        seen.push_back(step == ScaleStep::TopDown || step == ScaleStep::TopUp ? top : bottom);
    return seen;
}

}  // namespace

TEST(ScaleSteps, WorkedStepsOfTheTop)
{
    // 100 down: 90 ... 10, 9 ... 1, and at 1 the step does nothing at all.
    const std::vector<double> down = Walk(ScaleStep::TopDown, 100.0, 0.0, 30);
    const std::vector<double> expectDown = {90, 80, 70, 60, 50, 40, 30, 20, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(down, expectDown);
    // 100 up: 200 ... 1000 (the power of ten is its own decade), then 2000.
    const std::vector<double> up = Walk(ScaleStep::TopUp, 100.0, 0.0, 10);
    const std::vector<double> expectUp = {200, 300, 400, 500, 600, 700, 800, 900, 1000, 2000};
    EXPECT_EQ(up, expectUp);
}

TEST(ScaleSteps, WorkedStepsOfTheBottom)
{
    EXPECT_EQ(Walk(ScaleStep::BottomDown, 1000.0, -10.0, 2), (std::vector<double>{-20, -30}));
    EXPECT_EQ(Walk(ScaleStep::BottomUp, 1000.0, -30.0, 3), (std::vector<double>{-20, -10, -9}));
    EXPECT_EQ(Walk(ScaleStep::BottomUp, 1000.0, -1.5, 3), (std::vector<double>{0, 1, 2}));
}

TEST(ScaleSteps, SingleStepsAtTheEdges)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        ScaleStep step;
        double top, bottom, base;
        bool acts;
        double topAfter, bottomAfter;
    };
    const Case cases[] = {
        {"top between 1 and 2 stays, no redraw", ScaleStep::TopDown, 1.5, 0, 1, false, 1.5, 0},
        {"top 1000 over bottom 950 stays, redrawn", ScaleStep::TopDown, 1000, 950, 1, true, 1000, 950},
        {"bottom 0.5 down is 0", ScaleStep::BottomDown, 10, 0.5, 1, true, 10, 0},
        {"bottom -0.5 down is -1.5", ScaleStep::BottomDown, 10, -0.5, 1, true, 10, -1.5},
        {"bottom 1 down is 0", ScaleStep::BottomDown, 10, 1, 1, true, 10, 0},
        {"bottom 0 down by the decade of the bottom before", ScaleStep::BottomDown, 10, 0, 10, true, 10, -10},
        {"bottom 0 down with no bottom before", ScaleStep::BottomDown, 10, 0, 1, true, 10, -1},
        {"bottom -1 up is 0", ScaleStep::BottomUp, 10, -1, 1, true, 10, 0},
        {"bottom 0.7 up is 1", ScaleStep::BottomUp, 10, 0.7, 1, true, 10, 1},
        {"bottom 1 up is 2", ScaleStep::BottomUp, 10, 1, 1, true, 10, 2},
        {"bottom 1 up under a top of 2 stays", ScaleStep::BottomUp, 2, 1, 1, true, 2, 1},
        {"bottom 200 up is 300", ScaleStep::BottomUp, 1000, 200, 1, true, 1000, 300},
        {"bottom 200 up under a top of 300 stays", ScaleStep::BottomUp, 300, 200, 1, true, 300, 200},
        // int(10^10) would overflow an int; the decade stays a double.
        {"top 1e10 down", ScaleStep::TopDown, 1e10, 0, 1, true, 9e9, 0},
        {"top 1e10 up", ScaleStep::TopUp, 1e10, 0, 1, true, 2e10, 0},
        {"top 3e15 down", ScaleStep::TopDown, 3e15, 0, 1, true, 2e15, 0},
        {"bottom -1e12 up", ScaleStep::BottomUp, 10, -1e12, 1, true, 10, -9e11},
        // The log of a top of 0 or less has no decade: nothing at all.
        {"top 0 up", ScaleStep::TopUp, 0, -10, 1, false, 0, -10},
        {"top -5 down", ScaleStep::TopDown, -5, -10, 1, false, -5, -10},
        {"top -5 up", ScaleStep::TopUp, -5, -10, 1, false, -5, -10},
        {"top at the double's end up", ScaleStep::TopUp, 1.5e308, 0, 1, false, 1.5e308, 0},
        {"NaN top", ScaleStep::TopUp, nan, 0, 1, false, nan, 0},
        {"infinite bottom", ScaleStep::BottomDown, 10, -inf, 1, false, 10, -inf},
    };
    for (const Case& c : cases) {
        double top = c.top, bottom = c.bottom;
        EXPECT_EQ(StepAmplitudeScale(c.step, top, bottom, c.base), c.acts) << c.what;
        if (!std::isnan(c.topAfter)) {
            EXPECT_DOUBLE_EQ(top, c.topAfter) << c.what;
        }
        EXPECT_DOUBLE_EQ(bottom, c.bottomAfter) << c.what;
    }
}

TEST(ScaleSteps, DecadeOfAMagnitude)
{
    const struct {
        double magnitude, step;
    } cases[] = {
        {1000, 1000}, {999.999, 100}, {9999.9, 1000}, {1, 1},       {0.5, 1},
        {0.1, 0},     {0, 0},         {-5, 0},        {1e22, 1e22}, {std::numeric_limits<double>::infinity(), 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(DecadeStep(c.magnitude), c.step) << c.magnitude;
}
