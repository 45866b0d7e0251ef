// The texts of the status panel's fields, the hit test of the parameter panel, and the
// geometry of the nulling progress box.
#include "vlox/display/parameter_panel.h"
#include "vlox/ui/status_panel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

WideString W(const char* text)
{
    return NarrowToWide(std::string(text));
}

NullingBoxInput Box()
{
    NullingBoxInput in;
    in.LowerBoxRight = 400;
    in.ButtonWidth = 120;
    in.ButtonColumnX = 880;
    in.ButtonRowY = 600;
    in.WorkAreaHeight = 730;
    in.CurvePaneRect = PaneBox{190, 9, 500, 560};
    return in;
}

}  // namespace

TEST(StatusFields, FileNameWithoutExtensionOrNone)
{
    EXPECT_EQ(FileFieldText(false, W("VIEW"), false, W("CURRENT")), W("None"));
    EXPECT_EQ(FileFieldText(false, W("X"), true, W("20240501_003.VLX")), W("20240501_003"));
    EXPECT_EQ(FileFieldText(true, W("OLD.VLX"), true, W("20240501_003.VLX")), W("OLD"));
    // Four characters or fewer show as empty text.
    EXPECT_EQ(FileFieldText(false, W(""), true, W(".VLX")), W(""));
    EXPECT_EQ(FileFieldText(true, W("AB"), false, W("")), W(""));
}

TEST(StatusFields, NumbersDirectionsAndViewMode)
{
    EXPECT_EQ(LineNumberText(100.0), "100.00     ");
    EXPECT_EQ(StationText(-12.5), "-12.50     ");
    EXPECT_EQ(RecordNumberText(3), "3     ");
    EXPECT_EQ(MapSizeText(5.0), "    5.00 m");
    EXPECT_EQ(GpsCountText(42), "42   ");
    EXPECT_EQ(LineDirectionText(0), "North");
    EXPECT_EQ(LineDirectionText(1), "South");
    EXPECT_EQ(LineDirectionText(2), "East");
    EXPECT_EQ(LineDirectionText(3), "West");
    EXPECT_EQ(LineDirectionText(4), "");
    EXPECT_EQ(LineDirectionText(-1), "");
    EXPECT_EQ(ViewModeText(0, 0), "Manual - Decay View");
    EXPECT_EQ(ViewModeText(0, 1), "Manual - Profile View");
    EXPECT_EQ(ViewModeText(1, 0), "Auto - Decay View");
    EXPECT_EQ(ViewModeText(2, 5), "Auto - Profile View");
}

TEST(SummaryPanel, EdgesOfXIncludedOfYExcluded)
{
    const FieldRect panel{25, 300, 183, 420};
    EXPECT_TRUE(InSummaryPanel(panel, 25, 301));
    EXPECT_TRUE(InSummaryPanel(panel, 183, 419));
    EXPECT_FALSE(InSummaryPanel(panel, 24, 350));
    EXPECT_FALSE(InSummaryPanel(panel, 184, 350));
    EXPECT_FALSE(InSummaryPanel(panel, 100, 300));
    EXPECT_FALSE(InSummaryPanel(panel, 100, 420));
}

TEST(NullingBox, FrameAndBarsFromTheLayout)
{
    const NullingBoxLayout b = NullingBoxFrame(Box());
    EXPECT_EQ(b.BoxLeft, 400 + 120 + 20);
    EXPECT_EQ(b.BoxRight, 880 - (240 + 20) - 6);
    EXPECT_EQ(b.Frame.left, b.BoxLeft - 4);
    EXPECT_EQ(b.Frame.top, 9 + 560 + 8);
    EXPECT_EQ(b.Frame.right, b.BoxRight + 4);
    EXPECT_EQ(b.Frame.bottom, 720);
    EXPECT_EQ(b.BarBottom, 702);
    EXPECT_EQ(b.BarTop, 616);
    EXPECT_EQ(b.TitleX, b.BoxLeft + 6);
    EXPECT_EQ(b.TitleY, 600);
}

TEST(NullingBox, FullNullingMarksAllSevenRatesSlowestOnTheLeft)
{
    int32_t selected[RepRateCount] = {0, 1, 0, 0, 0, 0, 0};
    const NullingBoxLayout b = ComputeNullingBox(Box(), 0, selected, 2);
    for (int32_t r = 0; r < RepRateCount; ++r)
        EXPECT_EQ(selected[r], 1);
    ASSERT_EQ(b.ColumnCount, 7);
    EXPECT_EQ(b.ColumnWidth, 15);
    for (int32_t i = 0; i < 7; ++i)
        EXPECT_EQ(b.ColumnRate[i], 6 - i);
    // Even spacing: equal gaps, the remainder split around them.
    const int32_t free = b.BoxRight - b.BoxLeft - 7 * 15;
    const int32_t gap = free / 8;
    for (int32_t i = 1; i < 7; ++i)
        EXPECT_EQ(b.ColumnX[i] - b.ColumnX[i - 1], gap + 15);
    EXPECT_EQ(b.ColumnX[0], b.BoxLeft + (free - 8 * gap) / 2 + gap);
}

TEST(NullingBox, ColumnWidthsSelectionAndTheCurrentRate)
{
    int32_t five[RepRateCount] = {1, 1, 1, 1, 1, 0, 0};
    EXPECT_EQ(ComputeNullingBox(Box(), 1, five, 0).ColumnWidth, 20);
    int32_t six[RepRateCount] = {1, 1, 1, 1, 1, 1, 0};
    EXPECT_EQ(ComputeNullingBox(Box(), 1, six, 0).ColumnWidth, 15);
    int32_t none[RepRateCount] = {};
    const NullingBoxLayout empty = ComputeNullingBox(Box(), 1, none, 0);
    EXPECT_EQ(empty.ColumnCount, 0);
    EXPECT_EQ(empty.BarTop, 616);
    int32_t two[RepRateCount] = {1, 0, 0, 0, 0, 0, 1};
    const NullingBoxLayout b = ComputeNullingBox(Box(), 1, two, 0);
    ASSERT_EQ(b.ColumnCount, 2);
    EXPECT_EQ(b.ColumnRate[0], 6);
    EXPECT_EQ(b.ColumnRate[1], 0);
    const NullingBoxLayout current = ComputeNullingBox(Box(), 2, none, 4);
    ASSERT_EQ(current.ColumnCount, 1);
    EXPECT_EQ(current.ColumnRate[0], 4);
    EXPECT_EQ(ComputeNullingBox(Box(), 2, none, 9).ColumnCount, 0);
    for (int32_t r = 0; r < RepRateCount; ++r)
        EXPECT_EQ(none[r], 0);
}

TEST(NullingBox, LabelsCentredOuterOnesMovedAt50Hz)
{
    int32_t all[RepRateCount] = {};
    const NullingBoxLayout b = ComputeNullingBox(Box(), 0, all, 0);
    EXPECT_EQ(NullingLabelX(b, 3, 10, true), b.ColumnX[3] + 7 - 5);
    EXPECT_EQ(NullingLabelX(b, 0, 10, true), b.ColumnX[0] + 7 - 5);
    EXPECT_EQ(NullingLabelX(b, 0, 10, false), b.ColumnX[0] + 7 - 5 - 4);
    EXPECT_EQ(NullingLabelX(b, 6, 10, false), b.ColumnX[6] + 7 - 5 + 4);
    EXPECT_EQ(NullingLabelX(b, 3, 10, false), b.ColumnX[3] + 7 - 5);
    EXPECT_EQ(WideString(MainsRateLabel(1, 0)), VLOX_WIDE("285"));
    EXPECT_EQ(WideString(MainsRateLabel(0, 6)), VLOX_WIDE("0.25"));
    EXPECT_EQ(WideString(MainsRateLabel(2, 6)), VLOX_WIDE("0.3"));
}

TEST(NullingBox, BarFractionsHeldToTheColumn)
{
    int32_t all[RepRateCount] = {};
    const NullingBoxLayout b = ComputeNullingBox(Box(), 0, all, 0);
    EXPECT_EQ(NullingBarFillTop(b, 0.0), b.BarBottom);
    EXPECT_EQ(NullingBarFillTop(b, 1.0), b.BarTop);
    EXPECT_EQ(NullingBarFillTop(b, 0.5), b.BarBottom - 43);
    EXPECT_EQ(NullingBarFillTop(b, 0.1429), b.BarBottom - 12);
    EXPECT_EQ(NullingBarFillTop(b, 7.0), b.BarTop);
    EXPECT_EQ(NullingBarFillTop(b, -1.0), b.BarBottom);
    EXPECT_EQ(NullingBarFillTop(b, std::nan("")), b.BarBottom);
}
