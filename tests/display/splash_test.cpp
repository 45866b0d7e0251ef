// The splash window's decisions without a window: which picture a paint shows, where it
// sits, the slide's positions and what each close does.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "vlox/display/splash.h"

TEST(SplashPicture, ByStateAndOtherStatesKeepTheLast)
{
    struct Case {
        int32_t state;
        SplashPicture last;
        SplashPicture expected;
    };
    const Case cases[] = {
        {0, SplashPicture::None, SplashPicture::Open},
        {0, SplashPicture::Close, SplashPicture::Open},
        {1, SplashPicture::Open, SplashPicture::Close},
        {2, SplashPicture::None, SplashPicture::Close},
        {3, SplashPicture::Open, SplashPicture::Close},
        // Dismissed and unknown states repaint what was there, or nothing before a first paint.
        {-1, SplashPicture::Open, SplashPicture::Open},
        {-1, SplashPicture::Close, SplashPicture::Close},
        {-1, SplashPicture::None, SplashPicture::None},
        {4, SplashPicture::Close, SplashPicture::Close},
        {INT32_MIN, SplashPicture::Open, SplashPicture::Open},
        {INT32_MAX, SplashPicture::Close, SplashPicture::Close},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplashPictureForState(c.state, c.last), c.expected) << c.state;

    EXPECT_STREQ(SplashPictureResourceName(SplashPicture::Open), "SPLASHOPEN");
    EXPECT_STREQ(SplashPictureResourceName(SplashPicture::Close), "SPLASHCLOSE");
    EXPECT_EQ(SplashPictureResourceName(SplashPicture::None), nullptr);
}

TEST(SplashPicture, CentredInTheWorkAreaTruncatingTowardsZero)
{
    struct Case {
        int32_t workAreaWidth;
        int32_t bitmapWidth;
        int32_t x;
    };
    const Case cases[] = {
        {1024, 1024, 0},
        {1280, 1024, 128},
        {1279, 1024, 127},  // 255 / 2
        {800, 1024, -112},  // narrow: cropped equally on both sides
        {1023, 1024, 0},    // -1 / 2 truncates to 0, not -1
        {1021, 1024, -1},   // -3 / 2 truncates to -1, not -2
        {0, 1024, -512},
        {1024, 0, 512},  // no picture loaded
        {INT32_MAX, -2, 1073741824},
        {INT32_MIN, INT32_MAX, INT32_MIN + 1},  // (1 - 2^32) / 2 truncated: no overflow
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplashPictureX(c.workAreaWidth, c.bitmapWidth), c.x) << c.workAreaWidth << " " << c.bitmapWidth;
}

TEST(SplashSlide, StepsOfFivePixelsUntilTheWorkAreaIsLeft)
{
    // The picture's own height: 146 steps, the last leaving the top at -726.
    ASSERT_EQ(SplashSlideStepCount(730), 146);
    EXPECT_EQ(SplashSlideTop(0), -1);
    EXPECT_EQ(SplashSlideTop(1), -6);
    EXPECT_EQ(SplashSlideTop(145), -726);

    // Counting the loop's way (y = 1, 6, 11, ... while y <= height) agrees for every height
    // near the step boundaries.
    for (int32_t height = -6; height <= 40; ++height) {
        int32_t counted = 0;
        int32_t lastTop = 0;
        for (int32_t y = 1; y <= height; y += 5) {
            ++counted;
            lastTop = -y;
        }
        ASSERT_EQ(SplashSlideStepCount(height), counted) << height;
        if (counted > 0) {
            EXPECT_EQ(SplashSlideTop(counted - 1), lastTop) << height;
            // The next step would pass the height.
            EXPECT_GT(-SplashSlideTop(counted - 1) + 5, height) << height;
        }
    }
    EXPECT_EQ(SplashSlideStepCount(0), 0);
    EXPECT_EQ(SplashSlideStepCount(1), 1);
    EXPECT_EQ(SplashSlideStepCount(INT32_MIN), 0);
    // The largest height does not overflow the count or the last top.
    const int32_t most = SplashSlideStepCount(INT32_MAX);
    EXPECT_EQ(most, (INT32_MAX - 1) / 5 + 1);
    EXPECT_EQ(SplashSlideTop(most - 1), -(1 + 5 * (most - 1)));
    EXPECT_GE(SplashSlideTop(most - 1), -INT32_MAX);
}

TEST(SplashClose, OnlyTheStartUpPictureSlidesAwayAndStartsGps)
{
    struct Case {
        int32_t state;
        int32_t savedGpsInput;
        bool readerRunning;
        bool slide;
        bool startGps;
    };
    const Case cases[] = {
        {0, 1, false, true, true},     // external GPS: port and reader after the slide
        {0, 2, false, true, true},     // internal GPS too
        {0, 0, false, true, false},    // "Disabled": no port, no thread
        {0, -1, false, true, false},   // not above 0
        {0, 1, true, true, false},     // a reader already runs: no second one
        {-1, 1, false, false, false},  // dismissed: later clicks and ticks change nothing
        {3, 1, false, false, false},   // the closing picture never slides
        {1, 1, false, false, false},  {2, 1, false, false, false},
    };
    for (const Case& c : cases) {
        const SplashCloseSteps s = PlanSplashClose(c.state, c.savedGpsInput, c.readerRunning, 0);
        EXPECT_EQ(s.SlideAway, c.slide) << c.state << " " << c.savedGpsInput << " " << c.readerRunning;
        EXPECT_EQ(s.StartGpsReader, c.startGps) << c.state << " " << c.savedGpsInput << " " << c.readerRunning;
        EXPECT_FALSE(s.ReportCorruptConfiguration);
    }
}

TEST(SplashClose, CorruptConfigurationIsReportedInEveryState)
{
    for (int32_t state : {0, -1, 1, 2, 3, 7}) {
        EXPECT_TRUE(PlanSplashClose(state, 0, false, 1).ReportCorruptConfiguration) << state;
        EXPECT_FALSE(PlanSplashClose(state, 0, false, 0).ReportCorruptConfiguration) << state;
        // Only the loader's mark 1 counts.
        EXPECT_FALSE(PlanSplashClose(state, 0, false, 2).ReportCorruptConfiguration) << state;
    }
    // The GPS start still comes first when the configuration is corrupt: the reset closes it.
    const SplashCloseSteps s = PlanSplashClose(0, 1, false, 1);
    EXPECT_TRUE(s.SlideAway);
    EXPECT_TRUE(s.StartGpsReader);
    EXPECT_TRUE(s.ReportCorruptConfiguration);
}
