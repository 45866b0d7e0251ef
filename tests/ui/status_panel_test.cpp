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

// The screen of a 1018 by 710 work area with 18-pixel text lines and fixed-pitch panel
// fonts (6 pixels a character, 7 bold): ButtonColumnX 882, ButtonRowY 608, the curve pane
// 9 + 587 high, the GPS block ending at 318 and the stepping buttons at 328.
MainLayout Box()
{
    MainLayoutInput in;
    in.WorkAreaWidth = 1018;
    in.WorkAreaHeight = 710;
    in.TextLineHeight = 18;
    in.Measure = [](const std::string& text, bool bold) {
        return TextExtent{static_cast<int32_t>(text.size()) * (bold ? 7 : 6), 13};
    };
    return ComputeMainLayout(in);
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

// Pins the mend: a file name wider than the value column moves left into the room after
// "File: " instead of losing its counter's last digit; one that fits keeps its place.
TEST(StatusFields, FileNameMovesLeftOnlyAsFarAsItNeeds)
{
    // "Repetition:" 65 wide, "File: " 28 (the panel fonts measured under Wine): the value
    // column at 25 + 65 + 2 = 92, the panel's right at 182, the room from 25 + 28 = 53.
    const StatusPanelLayout p = ComputeStatusPanelLayout(20, 164, 9, 18, TextExtent{65, 14}, 28);
    EXPECT_EQ(p.FileNameSpan.left, 53);
    EXPECT_EQ(p.FileNameSpan.right, 182);
    struct Case {
        int32_t width, left;
    };
    const Case cases[] = {{30, 92}, {90, 92}, {94, 88}, {129, 53}, {200, 53}};
    for (const Case& c : cases) {
        const FieldRect r = FileNameRect(p, c.width);
        EXPECT_EQ(r.left, c.left) << c.width;
        EXPECT_EQ(r.right, 182) << c.width;
        EXPECT_EQ(r.top, p.FileValueRect.top) << c.width;
    }
    // Without the label's width the name never leaves the value column.
    EXPECT_EQ(FileNameRect(ComputeStatusPanelLayout(20, 164, 9, 18, TextExtent{65, 14}), 200).left, 92);
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

// Pins the mend: the box lies left to right, from the stepping buttons' left edge to 6
// pixels before "Comment", with its title inside the frame (it was laid out from the right
// edge of "Invert", its left edge right of its right one).
TEST(NullingBox, FrameAndBarsFromTheLayout)
{
    const MainLayout screen = Box();
    const NullingBoxLayout b = NullingBoxFrame(screen);
    EXPECT_EQ(b.BoxLeft, 328 + 4);
    EXPECT_EQ(b.BoxRight, 882 - (240 + 20) - 6);
    EXPECT_LT(b.BoxLeft, b.BoxRight);
    EXPECT_EQ(b.Frame.left, 328);
    EXPECT_EQ(b.Frame.top, 9 + 587 + 8);
    EXPECT_EQ(b.Frame.right, b.BoxRight + 4);
    EXPECT_EQ(b.Frame.right + 6, screen.Buttons[ButtonSlotForId(IDC_ENTER_COMMENT)].box.x);
    EXPECT_EQ(b.Frame.bottom, 700);
    EXPECT_EQ(b.BarBottom, 682);
    EXPECT_EQ(b.BarTop, 624);
    EXPECT_EQ(b.TitleX, b.BoxLeft + 6);
    EXPECT_EQ(b.TitleY, 608);
    EXPECT_GT(b.TitleY, b.Frame.top);
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
    EXPECT_EQ(empty.BarTop, 624);
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
    // Columns 58 pixels high (682 - 624).
    EXPECT_EQ(NullingBarFillTop(b, 0.5), b.BarBottom - 29);
    EXPECT_EQ(NullingBarFillTop(b, 0.1429), b.BarBottom - 8);
    EXPECT_EQ(NullingBarFillTop(b, 7.0), b.BarTop);
    EXPECT_EQ(NullingBarFillTop(b, -1.0), b.BarBottom);
    EXPECT_EQ(NullingBarFillTop(b, std::nan("")), b.BarBottom);
}
