#include "vlox/measure/internal_test.h"
#include "vlox/ui/command_rules.h"
#include "vlox/ui/main_layout.h"
#include "vlox/ui/status_panel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A fixed-pitch stand-in for the panel fonts: 6 pixels a character for labels, 7 for the
// bold values, 13 high.
TextExtent FakeMeasure(const std::string& text, bool bold)
{
    return TextExtent{static_cast<int32_t>(text.size()) * (bold ? 7 : 6), 13};
}

MainLayoutInput Input(int32_t width, int32_t height, int32_t lineHeight = 18)
{
    MainLayoutInput in;
    in.WorkAreaWidth = width;
    in.WorkAreaHeight = height;
    in.TextLineHeight = lineHeight;
    in.Measure = FakeMeasure;
    return in;
}

const ButtonPlace& B(const MainLayout& l, int32_t id)
{
    return l.Buttons[ButtonSlotForId(id)];
}

}  // namespace

// The expected numbers below are worked by hand from the layout's table for two work areas
// with a text line height of 18 and the fixed-pitch fonts above:
//   1018 by 710: ButtonColumnX 1018 - 20 - 120 + 4 = 882; ButtonRowY 710 - 90 - 12 = 608;
//     ButtonHeight (710 - 12 - 5 - 608) / 2 = 42; SmallButtonHeight 28; row 2 at 655;
//     curve pane 190, 9, 716 by 587; MapPaneY 9 + 587 - 164 + 2 = 434.
//   1024 by 768: ButtonColumnX 888; ButtonRowY 666; ButtonHeight 42; row 2 at 713; curve
//     pane 722 by 645.

TEST(MainWindowPlacement, FullScreenUpTo1280By806OtherwiseCentred)
{
    struct Case {
        int32_t sw, sh, x, y, w, h;
    };
    const Case cases[] = {
        {1280, 806, 0, 0, 1280, 768},    // reduced height 768: full screen
        {1281, 806, 128, 0, 1024, 768},  // one pixel wider: centred, y clamped to 0
        {1280, 807, 128, 0, 1024, 768},  // reduced height 769: centred
        {1400, 800, 188, 0, 1024, 768},  // 800 high: (800 - 768) / 2 - 38 < 0 gives 0
        {1280, 1024, 128, 90, 1024, 768}, {1920, 1080, 448, 118, 1024, 768},
        {1024, 768, 0, 0, 1024, 730},     {800, 600, 0, 0, 800, 562},
    };
    for (const Case& c : cases) {
        MainWindowPlacement p = ComputeMainWindowPlacement(c.sw, c.sh);
        EXPECT_EQ(p.x, c.x) << c.sw << "x" << c.sh;
        EXPECT_EQ(p.y, c.y) << c.sw << "x" << c.sh;
        EXPECT_EQ(p.width, c.w) << c.sw << "x" << c.sh;
        EXPECT_EQ(p.height, c.h) << c.sw << "x" << c.sh;
    }
}

TEST(MainWindowPlacement, TitleHasThreeBlanksBeforeVersion)
{
    EXPECT_EQ(MainWindowTitle(), "Tarnwel V-LOX   Version 1.42");
}

TEST(StatusPanelLayout, RowsAndFieldsFromLineHeightAndLabelExtent)
{
    // L = 18, "Repetition:" 60 by 13, map pane at creation 164, curve pane at y = 9.
    StatusPanelLayout p = ComputeStatusPanelLayout(20, 164, 9, 18, TextExtent{60, 13});
    EXPECT_EQ(p.LabelX, 25);
    EXPECT_EQ(p.PanelRight, 182);
    EXPECT_EQ(p.ValueX, 87);
    EXPECT_EQ(p.SurveyTitleY, 13);
    EXPECT_EQ(p.FileRowY, 37);
    EXPECT_EQ(p.LineRowY, 61);
    EXPECT_EQ(p.DirectionRowY, 82);
    EXPECT_EQ(p.StationRowY, 106);
    EXPECT_EQ(p.RecordRowY, 127);
    EXPECT_EQ(p.RcdModeRowY, 148);
    EXPECT_EQ(p.ProfModeRowY, 169);
    EXPECT_EQ(p.SurveyBoxBottom, 203);
    EXPECT_EQ(p.SystemRowY[0], 208);
    EXPECT_EQ(p.SystemRowY[2], 240);
    EXPECT_EQ(p.SystemRowY[10], 368);
    EXPECT_EQ(p.ReviewRowY[0], 209);
    EXPECT_EQ(p.ReviewRowY[14], 391);
    EXPECT_EQ(p.SystemBoxBottom, 395);

    EXPECT_EQ(p.ViewModeRect.top, 24);
    EXPECT_EQ(p.ViewModeRect.bottom, 37);
    EXPECT_EQ(p.FileValueRect.left, 87);
    EXPECT_EQ(p.FileValueRect.right, 182);
    EXPECT_EQ(p.FileValueRect.bottom, 50);
    // Live items: Repetition on row 2 ... Turn Off on row 10.
    EXPECT_EQ(p.PanelItemRectsLive[0].top, 240);
    EXPECT_EQ(p.PanelItemRectsLive[8].top, 368);
    EXPECT_EQ(p.PanelItemRectsReview[0].top, 209 + 2 * 13);
    EXPECT_EQ(p.PanelItemRectsReview[11].top, 209 + 13 * 13);

    // The summary panel that the cursor and the popups hit-test.
    EXPECT_EQ(p.SummaryPanelRect.left, 25);
    EXPECT_EQ(p.SummaryPanelRect.top, 240);
    EXPECT_EQ(p.SummaryPanelRect.right, 182);
    EXPECT_EQ(p.SummaryPanelRect.bottom, 381);

    // Combo rows 81, 82, 83, 84, 85, 87 follow the panel from top to bottom.
    const int32_t rows[6] = {13, 61, 106, 127, 148, 169};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(p.ReviewComboRowTop[i], rows[i]) << i;
}

TEST(MainLayout, RightColumnAndNumbersPaneOn1024By768)
{
    // The right-hand column starts 136 pixels from the right; the numbers pane is 80 wide.
    MainLayout l = ComputeMainLayout(Input(1024, 768));
    EXPECT_EQ(l.ButtonColumnX, 888);
    EXPECT_EQ(l.NumbersPaneRect.width, 80);
    EXPECT_EQ(l.NumbersPaneRect.x, 924);
    EXPECT_EQ(B(l, IDC_CREATE_DATA_FILE).box.x, 888);
    EXPECT_EQ(B(l, IDC_MONITOR).box.x, 888);
    EXPECT_EQ(l.CurvePaneRect.x, 190);
    EXPECT_EQ(l.CurvePaneRect.y, 9);
    EXPECT_EQ(l.CurvePaneRect.width, 722);
    EXPECT_EQ(l.ButtonRowY, 666);
    EXPECT_EQ(l.CurvePaneRect.height, 645);
    EXPECT_EQ(l.NumbersPaneRect.y, 9);
    EXPECT_EQ(l.NumbersPaneRect.height, 645);
    EXPECT_EQ(l.ButtonHeight, 42);
    EXPECT_EQ(l.SmallButtonHeight, 28);
    EXPECT_EQ(l.ButtonRow2Y, 713);
}

TEST(MainLayout, NumbersPaneWidthByComponent)
{
    struct Case {
        int32_t component, count, numbersWidth, curveWidth;
    };
    const Case cases[] = {{0, 1, 80, 722},  {1, 1, 80, 722},  {2, 1, 80, 722},
                          {3, 3, 200, 602}, {4, 2, 140, 662}, {-1, 2, 140, 662}};
    for (const Case& c : cases) {
        MainLayoutInput in = Input(1024, 768);
        in.SelectedComponent = c.component;
        MainLayout l = ComputeMainLayout(in);
        EXPECT_EQ(l.ComponentCount, c.count) << c.component;
        EXPECT_EQ(l.NumbersPaneRect.width, c.numbersWidth) << c.component;
        EXPECT_EQ(l.CurvePaneRect.width, c.curveWidth) << c.component;
        // 12 pixels between the panes.
        EXPECT_EQ(l.CurvePaneRect.x + l.CurvePaneRect.width + 12, l.NumbersPaneRect.x) << c.component;
    }
}

TEST(MainLayout, GateCountBySet)
{
    MainLayoutInput in = Input(1024, 768);
    in.UserGateCount = 57;
    in.GateSet = 0;
    EXPECT_EQ(ComputeMainLayout(in).GateCount, 20);
    in.GateSet = 1;
    EXPECT_EQ(ComputeMainLayout(in).GateCount, 30);
    in.GateSet = 2;
    EXPECT_EQ(ComputeMainLayout(in).GateCount, 57);
}

TEST(MainLayout, StopOverMeasureStoreAndCancelOverItsHalves)
{
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    const PaneBox m = B(l, IDC_MEASURE).box;
    const PaneBox stop = B(l, IDC_STOP).box;
    EXPECT_EQ(stop.x, m.x);
    EXPECT_EQ(stop.y, m.y);
    EXPECT_EQ(stop.width, m.width);
    EXPECT_EQ(stop.height, m.height);
    EXPECT_EQ(m.x, 756);
    EXPECT_EQ(m.y, 608);
    EXPECT_EQ(m.height, 89);

    const PaneBox store = B(l, IDC_STORE_READING).box;
    const PaneBox cancel = B(l, IDC_CANCEL_READING).box;
    EXPECT_EQ(store.x, m.x);
    EXPECT_EQ(cancel.x, m.x);
    EXPECT_EQ(store.width, m.width);
    EXPECT_EQ(store.y, m.y);                              // upper half
    EXPECT_EQ(cancel.y + cancel.height, m.y + m.height);  // lower half
    EXPECT_EQ(store.height, 42);
    EXPECT_EQ(cancel.height, 42);

    // Only MEASURE is shown in the start state, and it is disabled.
    EXPECT_TRUE(B(l, IDC_MEASURE).shown);
    EXPECT_FALSE(B(l, IDC_MEASURE).enabled);
    EXPECT_FALSE(B(l, IDC_STOP).shown);
    EXPECT_FALSE(B(l, IDC_STORE_READING).shown);
    EXPECT_FALSE(B(l, IDC_CANCEL_READING).shown);
}

TEST(MainLayout, MapButtonsAndHideLPlacedButHidden)
{
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    EXPECT_EQ(l.MapPaneX, 16);
    EXPECT_EQ(l.MapPaneSize, 168);
    EXPECT_EQ(l.MapPaneY, 434);
    // Row A at 434 + 168 + 20, row B 21 + 2 below it; thirds of 55, quarters of 41.
    const int32_t rowA = 622;
    const int32_t rowB = 645;
    struct Case {
        int32_t id, x, y, width;
        bool shown;
    };
    const Case cases[] = {
        {IDC_ZOOM_IN, 16, rowA, 54, true},         {IDC_ZOOM_OUT, 72, rowA, 54, true},
        {IDC_FIT_ALL, 128, rowA, 54, true},        {IDC_HIDE, 128, rowA, 54, false},
        {IDC_SHIFT_MAP_LEFT, 16, rowB, 40, true},  {IDC_SHIFT_MAP_UP, 58, rowB, 40, true},
        {IDC_SHIFT_MAP_DOWN, 100, rowB, 40, true}, {IDC_SHIFT_MAP_RIGHT, 142, rowB, 40, true},
    };
    for (const Case& c : cases) {
        const ButtonPlace& b = B(l, c.id);
        EXPECT_EQ(b.box.x, c.x) << c.id;
        EXPECT_EQ(b.box.y, c.y) << c.id;
        EXPECT_EQ(b.box.width, c.width) << c.id;
        EXPECT_EQ(b.box.height, 21) << c.id;
        EXPECT_EQ(b.shown, c.shown) << c.id;
    }
    // The record list lies over the map pane, hidden.
    EXPECT_EQ(l.ListRecordsBox.x, 26);
    EXPECT_EQ(l.ListRecordsBox.y, 434);
    EXPECT_EQ(l.ListRecordsBox.width, 56);
    EXPECT_EQ(l.ListRecordsBox.height, 168);
}

TEST(MainLayout, StartSetOfButtons)
{
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    const std::set<int32_t> shown = {IDC_CREATE_DATA_FILE, IDC_MONITOR,         IDC_MEASURE,        IDC_NEXT_STATION,
                                     IDC_NEXT_LINE,        IDC_ENTER_COMMENT,   IDC_AUTO_SCALE,     IDC_ZOOM_IN,
                                     IDC_ZOOM_OUT,         IDC_FIT_ALL,         IDC_SHIFT_MAP_LEFT, IDC_SHIFT_MAP_UP,
                                     IDC_SHIFT_MAP_DOWN,   IDC_SHIFT_MAP_RIGHT, IDC_INVERT};
    const std::set<int32_t> disabled = {IDC_MEASURE, IDC_ENTER_COMMENT};
    for (int32_t id = 420; id < 470; ++id) {
        const ButtonPlace& b = B(l, id);
        const bool exists = !(id <= 423 || id == 464);
        EXPECT_EQ(b.exists, exists) << id;
        if (!exists)
            continue;
        EXPECT_EQ(b.shown, shown.count(id) == 1) << id;
        EXPECT_EQ(b.enabled, disabled.count(id) == 0) << id;
        EXPECT_GT(b.box.width, 0) << id;
        EXPECT_GT(b.box.height, 0) << id;
    }
}

TEST(MainLayout, GpsBlockFixesTheSteppingButtons)
{
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    // L = 192, T = 9 + 587 + 15 = 611, s = 17.
    ASSERT_EQ(l.CurvePaneRect.height, 587);
    const GpsStatusRects& g = l.Gps;
    EXPECT_EQ(g.Indicator.left, 192);
    EXPECT_EQ(g.Indicator.top, 611);
    EXPECT_EQ(g.Indicator.right, 192 + 30 + 3);
    EXPECT_EQ(g.Lamps[0].left, 225 + 12);
    EXPECT_EQ(g.Lamps[0].top, 609);
    EXPECT_EQ(g.Lamps[1].left, 237 + 14 + 8);
    EXPECT_EQ(g.PdopValue.left, 192 + 36);
    EXPECT_EQ(g.PdopValue.top, 611 + 17);
    EXPECT_EQ(g.PdopValue.right, 228 + 28);
    EXPECT_EQ(g.SatValue.left, 256 + 5 + 24 + 2);
    EXPECT_EQ(g.Coordinates[0].top, 611 + 34);
    EXPECT_EQ(g.Coordinates[1].top, 611 + 51);
    EXPECT_EQ(g.Coordinates[0].right, 192 + 18 * 7);
    EXPECT_EQ(g.GpsCountRect.left, 192 + 36);
    EXPECT_EQ(g.GpsCountRect.top, 611 + 68);
    EXPECT_EQ(g.GpsCountRect.right, 228 + 35);
    EXPECT_EQ(g.ZoneValue.left, 263 + 12 + 11);
    // The coordinate field is wider than the satellite field's right edge here.
    EXPECT_EQ(l.GpsBlockRight, 318);
    EXPECT_EQ(g.Disabled.right, 318);
    // "GPS Disabled" (84 wide) centred over the block: 192 + (318 - 192 + 4 - 84) / 2 - 4.
    EXPECT_EQ(g.Disabled.left, 211);
    EXPECT_EQ(l.StepButtonsX, 328);
    EXPECT_EQ(B(l, IDC_NEXT_STATION).box.x, 328);
    EXPECT_EQ(B(l, IDC_REPEAT_LAST_STATION).box.x, 328 + 124);
    EXPECT_EQ(B(l, IDC_REPEAT_LAST_STATION).box.width, 150);
    EXPECT_EQ(B(l, IDC_NEXT_RECORD).box.x, 328 + 122);
    EXPECT_EQ(B(l, IDC_PREVIOUS_STATION).box.y, 638);
    EXPECT_EQ(B(l, IDC_PREVIOUS_LINE).box.y, 668);
    // The box under the curve pane frames the GPS block alone.
    EXPECT_EQ(l.LowerBoxRight, 318);
}

TEST(MainLayout, SatelliteFieldCanSetTheBlockEdge)
{
    // Bold digits much wider than letters: the satellite field ends right of the coordinates.
    MainLayoutInput in = Input(1018, 710);
    in.Measure = [](const std::string& t, bool bold) {
        if (bold && (t == "12" || t == "88.8"))
            return TextExtent{200, 13};
        return FakeMeasure(t, bold);
    };
    MainLayout l = ComputeMainLayout(in);
    EXPECT_EQ(l.GpsBlockRight, l.Gps.SatValue.right);
    EXPECT_GT(l.Gps.SatValue.right, l.Gps.Coordinates[0].right);
    EXPECT_EQ(l.StepButtonsX, l.Gps.SatValue.right + 10);
}

TEST(MainLayout, TestButtonsShareTheGapBeforeComment)
{
    // w = (882 - 260 - 6 - 328 - 120 - 10) / 4 - 2 = 37, from 328 + 130, 39 apart, at
    // 608 + 2 x 28 + 2.
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    const int32_t x[4] = {458, 497, 536, 575};
    for (int32_t k = 0; k < 4; ++k) {
        const ButtonPlace& b = B(l, IDC_TEST_DC + k);
        EXPECT_EQ(b.box.x, x[k]) << k;
        EXPECT_EQ(b.box.y, 666) << k;
        EXPECT_EQ(b.box.width, 37) << k;
        EXPECT_EQ(b.box.height, 28) << k;
        EXPECT_FALSE(b.shown) << k;
    }
    const PaneBox last = B(l, IDC_TEST_01MS).box;
    EXPECT_LT(last.x + last.width, B(l, IDC_ENTER_COMMENT).box.x);
}

TEST(MainLayout, FixedButtonsKeepTheirCreationPlaces)
{
    // The top row: (1018 - 40 - 45) / 10 = 93 wide, at 20 + 98 x (id - 420).
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    EXPECT_EQ(l.TopRowWidth, 93);
    const int32_t x[5] = {412, 510, 608, 706, 804};
    for (int32_t id = IDC_TEST; id <= IDC_EXIT; ++id) {
        const ButtonPlace& b = B(l, id);
        EXPECT_EQ(b.box.x, x[id - IDC_TEST]) << id;
        EXPECT_EQ(b.box.y, 2) << id;
        EXPECT_EQ(b.box.width, 93) << id;
        EXPECT_EQ(b.box.height, 32) << id;
        EXPECT_FALSE(b.shown) << id;
    }
    // The scale buttons a third of a button height (14) into rows 1 and 2.
    EXPECT_EQ(B(l, IDC_TOP_OF_SCALE_DOWN).box.x, 190);
    EXPECT_EQ(B(l, IDC_TOP_OF_SCALE_DOWN).box.y, 622);
    EXPECT_EQ(B(l, IDC_BOTTOM_OF_SCALE_DOWN).box.y, 669);
    EXPECT_EQ(B(l, IDC_TOP_OF_SCALE_UP).box.x, 252);
    EXPECT_EQ(B(l, IDC_BOTTOM_OF_SCALE_UP).box.width, 60);
    EXPECT_EQ(B(l, IDC_BOTTOM_OF_SCALE_UP).box.height, 28);
    // "Manage Rcds" keeps its size and row; it stands under "Print", in the column of MEASURE
    // (756), right of "Next Line" in review. "Display Available Comments" keeps its height
    // and takes row 1 from the small buttons' right (328 + 244) to 2 pixels before "Print".
    EXPECT_EQ(B(l, IDC_MANAGE_RECORDS).box.x, 756);
    EXPECT_EQ(B(l, IDC_MANAGE_RECORDS).box.y, 655 + 14);
    EXPECT_EQ(B(l, IDC_MANAGE_RECORDS).box.width, 122);
    EXPECT_EQ(B(l, IDC_DISPLAY_COMMENTS).box.x, 572);
    EXPECT_EQ(B(l, IDC_DISPLAY_COMMENTS).box.y, 608);
    EXPECT_EQ(B(l, IDC_DISPLAY_COMMENTS).box.width, 752 - 2 - 572);
    EXPECT_EQ(B(l, IDC_DISPLAY_COMMENTS).box.height, 42);
}

TEST(MainLayout, FieldsBarAndCombos)
{
    MainLayoutInput in = Input(1018, 710);
    in.PanelValueX = 87;
    const int32_t rows[6] = {13, 61, 106, 127, 148, 169};
    for (int i = 0; i < 6; ++i)
        in.ReviewComboRowTop[i] = rows[i];
    MainLayout l = ComputeMainLayout(in);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(l.ReviewCombos[i].x, 87) << i;
        EXPECT_EQ(l.ReviewCombos[i].y, rows[i] - 5) << i;
        EXPECT_EQ(l.ReviewCombos[i].width, 96) << i;
        EXPECT_EQ(l.ReviewCombos[i].height, 300) << i;
    }
    EXPECT_EQ(l.BarBox.x, 736);
    EXPECT_EQ(l.BarBox.y, 608);
    EXPECT_EQ(l.BarBox.width, 15);
    EXPECT_EQ(l.BarBox.height, 89);
    EXPECT_EQ(l.BarLabelRect.top, 601);
    EXPECT_EQ(l.BarLabelRect.bottom, 607);

    EXPECT_EQ(l.MessageLineRect.left, 16 + 54);
    EXPECT_EQ(l.MessageLineRect.top, 604);
    EXPECT_EQ(l.MessageLineRect.right, 184);
    // Under the map buttons' row B (645), 21 + 2 lower; the title 13 high, the text below it.
    EXPECT_EQ(l.MeterBoxRect.top, 668);
    EXPECT_EQ(l.MeterBoxRect.bottom, 700);
    EXPECT_EQ(l.MeterTitleRect.left, 20);
    EXPECT_EQ(l.MeterTitleRect.right, 180);
    EXPECT_EQ(l.MeterTitleRect.top, 670);
    EXPECT_EQ(l.MeterTextRect.top, 684);

    EXPECT_EQ(l.MonitorGpsBox.width, 1014);
    EXPECT_EQ(l.SplashBoxAtCreation.width, 2036);
    EXPECT_EQ(l.SplashBoxAtCreation.height, 1420);
    EXPECT_EQ(l.SplashBox.width, 1018);
    EXPECT_EQ(l.SplashBox.height, 710);
}

TEST(MainLayout, TinyWorkAreaGivesNoNegativeSizes)
{
    // A window squeezed to nothing must not hand negative sizes to the windows.
    for (int32_t size : {0, 1, 50, 100}) {
        MainLayout l = ComputeMainLayout(Input(size, size));
        EXPECT_GE(l.CurvePaneRect.width, 0) << size;
        EXPECT_GE(l.CurvePaneRect.height, 0) << size;
        EXPECT_GE(l.ButtonHeight, 0) << size;
        EXPECT_GE(l.TopRowWidth, 0) << size;
        for (const ButtonPlace& b : l.Buttons) {
            EXPECT_GE(b.box.width, 0) << size;
            EXPECT_GE(b.box.height, 0) << size;
        }
    }
}

TEST(MainLayout, CaptionsAndCreationOrder)
{
    EXPECT_EQ(ShownCaption("E&xit Review"), "Exit Review");
    EXPECT_EQ(ShownCaption("A && B"), "A & B");
    EXPECT_EQ(ShownCaption(""), "");
    EXPECT_TRUE(CaptionFits(96, 100));
    EXPECT_FALSE(CaptionFits(97, 100));
    EXPECT_STREQ(ButtonCaption(ButtonSlotForId(IDC_MEASURE)), "MEASURE");
    EXPECT_STREQ(ButtonCaption(ButtonSlotForId(IDC_EXIT)), "E&xit");
    EXPECT_STREQ(ButtonCaption(ButtonSlotForId(IDC_DISPLAY_COMMENTS)), "Display Available Comments");
    EXPECT_STREQ(ButtonCaption(ButtonSlotForId(IDC_EXIT_TEST)), "E&xit Test Mode");
    EXPECT_STREQ(ButtonCaption(0), "");
    EXPECT_STREQ(ButtonCaption(44), "");
    EXPECT_STREQ(ButtonCaption(50), "");

    // Every existing button is created exactly once.
    std::set<int32_t> created;
    for (int32_t i = 0; i < ButtonCreationOrderFirstCount; ++i)
        EXPECT_TRUE(created.insert(ButtonCreationOrderFirst[i]).second);
    for (int32_t i = 0; i < ButtonCreationOrderSecondCount; ++i)
        EXPECT_TRUE(created.insert(ButtonCreationOrderSecond[i]).second);
    EXPECT_EQ(created.size(), 45u);
    EXPECT_EQ(*created.begin(), IDC_TEST);
    EXPECT_EQ(*created.rbegin(), IDC_EXIT_TEST);
    EXPECT_EQ(created.count(464), 0u);
}

// ---------------------------------------------------------------------------------------
// Every operating state's screen, built from the real layout.

namespace {

// The panel fonts as Wine draws them (DejaVu Sans for "MS Sans Serif" at 14 pixels), within
// a few pixels: digits and blanks 8 and 4, narrow marks and letters 4, "m" and "w" 11, other
// capitals 8 and other small letters 7; bold letters and marks one more.
TextExtent PanelFontMeasure(const std::string& text, bool bold)
{
    const std::string narrow = " .:,;'!|()[]ilIjft";
    const std::string wide = "mwMW";
    const int32_t more = bold ? 1 : 0;
    int32_t w = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            w += 8;
        else if (c == ' ')
            w += 4;
        else if (narrow.find(c) != std::string::npos)
            w += 4 + more;
        else if (wide.find(c) != std::string::npos)
            w += 11 + more;
        else if (c >= 'A' && c <= 'Z')
            w += 8 + more;
        else
            w += 7 + more;
    }
    return TextExtent{w, 14};
}

FieldRect Rect(const PaneBox& b)
{
    return FieldRect{b.x, b.y, b.x + b.width, b.y + b.height};
}

bool Overlap(const FieldRect& a, const FieldRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const FieldRect& inner, const FieldRect& outer)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

std::string Text(const FieldRect& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

struct ShownThing {
    std::string name;
    FieldRect r;
};

// The operating states, with the command buttons each shows besides the map buttons
// (Parts of the commands: Monitor shows "Pause", a reading in progress "STOP" and the bar,
// a finished one "STORE" and "Cancel", the review its stepping and file buttons, the test
// screen its four tests and "E&xit Test Mode" in the place of "Pause", nulling its box in
// the place of the stepping buttons).
enum class Screen { LiveNoFile, FileOpen, Monitoring, Measuring, ReadingComplete, Review, InternalTest, Nulling };
struct ScreenButtons {
    Screen screen;
    const char* name;
    std::vector<int32_t> ids;
    bool bar;
};
const ScreenButtons kScreens[] = {
    {Screen::LiveNoFile,
     "live, no file",
     {IDC_CREATE_DATA_FILE, IDC_MONITOR, IDC_MEASURE, IDC_NEXT_STATION, IDC_NEXT_LINE, IDC_ENTER_COMMENT,
      IDC_AUTO_SCALE, IDC_INVERT},
     false},
    {Screen::FileOpen,
     "a file open",
     {IDC_CLOSE_DATA_FILE, IDC_MONITOR, IDC_MEASURE, IDC_NEXT_STATION, IDC_NEXT_LINE, IDC_ENTER_COMMENT, IDC_AUTO_SCALE,
      IDC_REPEAT_LAST_STATION, IDC_INVERT},
     false},
    {Screen::Monitoring,
     "monitoring",
     {IDC_CLOSE_DATA_FILE, IDC_PAUSE, IDC_MEASURE, IDC_NEXT_STATION, IDC_NEXT_LINE, IDC_ENTER_COMMENT, IDC_AUTO_SCALE,
      IDC_REPEAT_LAST_STATION, IDC_INVERT},
     false},
    {Screen::Measuring,
     "measuring",
     {IDC_CLOSE_DATA_FILE, IDC_PAUSE, IDC_STOP, IDC_NEXT_STATION, IDC_NEXT_LINE, IDC_ENTER_COMMENT, IDC_AUTO_SCALE,
      IDC_INVERT},
     true},
    {Screen::ReadingComplete,
     "reading complete",
     {IDC_CLOSE_DATA_FILE, IDC_PAUSE, IDC_STORE_READING, IDC_CANCEL_READING, IDC_NEXT_STATION, IDC_NEXT_LINE,
      IDC_ENTER_COMMENT, IDC_AUTO_SCALE, IDC_REPEAT_LAST_STATION, IDC_INVERT},
     true},
    {Screen::Review,
     "review",
     {IDC_PREVIOUS_RECORD, IDC_NEXT_RECORD, IDC_PREVIOUS_STATION, IDC_PREVIOUS_LINE, IDC_NEXT_STATION, IDC_NEXT_LINE,
      IDC_OPEN_DATA_FILE, IDC_EXIT_REVIEW, IDC_PRINT, IDC_DISPLAY_COMMENTS, IDC_MANAGE_RECORDS, IDC_AUTO_SCALE},
     false},
    {Screen::InternalTest,
     "internal test",
     {IDC_CLOSE_DATA_FILE, IDC_MEASURE, IDC_NEXT_STATION, IDC_NEXT_LINE, IDC_ENTER_COMMENT, IDC_AUTO_SCALE, IDC_TEST_DC,
      IDC_TEST_100MS, IDC_TEST_3MS, IDC_TEST_01MS, IDC_EXIT_TEST},
     true},
    {Screen::Nulling,
     "nulling",
     {IDC_CLOSE_DATA_FILE, IDC_PAUSE, IDC_MEASURE, IDC_ENTER_COMMENT, IDC_AUTO_SCALE, IDC_NEXT_STATION, IDC_NEXT_LINE,
      IDC_REPEAT_LAST_STATION, IDC_INVERT},
     false},
};

// A button's place on a screen: the review moves three live buttons.
FieldRect ButtonOn(const MainLayout& l, Screen screen, int32_t id)
{
    if (screen == Screen::Review && id == IDC_NEXT_STATION)
        return Rect(l.ReviewNextStation);
    if (screen == Screen::Review && id == IDC_NEXT_LINE)
        return Rect(l.ReviewNextLine);
    if (screen == Screen::Review && id == IDC_AUTO_SCALE)
        return Rect(l.ReviewAutoScale);
    return Rect(l.Buttons[ButtonSlotForId(id)].box);
}

// One line of text with its top-left corner, measured in the panel font.
FieldRect TextBox(int32_t x, int32_t y, const std::string& text, bool bold)
{
    const TextExtent e = PanelFontMeasure(text, bold);
    return FieldRect{x, y, x + e.cx, y + e.cy};
}

}  // namespace

TEST(ScreenStates, NothingShownOverlapsAndTheBoxesKeepToTheirBands)
{
    const int32_t sizes[][2] = {{1024, 768}, {1018, 710}, {1018, 672}, {1274, 710}};
    for (const auto& size : sizes) {
        MainLayoutInput in = Input(size[0], size[1]);
        in.Measure = PanelFontMeasure;
        const MainLayout l = ComputeMainLayout(in);
        const FieldRect work{0, 0, size[0], size[1]};
        const int32_t curveBottom = l.CurvePaneRect.y + l.CurvePaneRect.height;
        const FieldRect gpsBox{l.CurvePaneRect.x - 4, curveBottom + 8, l.LowerBoxRight + 4, size[1] - 10};
        for (const ScreenButtons& state : kScreens) {
            SCOPED_TRACE(std::string(state.name) + " at " + std::to_string(size[0]) + "x" + std::to_string(size[1]));
            std::vector<ShownThing> shown = {
                {"curve pane", Rect(l.CurvePaneRect)}, {"numbers pane", Rect(l.NumbersPaneRect)},
                {"map pane", Rect(l.MapPane)},         {"GPS box", gpsBox},
                {"meter box", l.MeterBoxRect},         {"message line", l.MessageLineRect}};
            for (int32_t id : {IDC_ZOOM_IN, IDC_ZOOM_OUT, IDC_FIT_ALL, IDC_SHIFT_MAP_LEFT, IDC_SHIFT_MAP_UP,
                               IDC_SHIFT_MAP_DOWN, IDC_SHIFT_MAP_RIGHT})
                shown.push_back({ButtonCaption(ButtonSlotForId(id)), ButtonOn(l, state.screen, id)});
            std::set<int32_t> ids(state.ids.begin(), state.ids.end());
            if (state.screen == Screen::Nulling) {
                // The box takes the places of the buttons that give way to it.
                for (int32_t id : NullingBoxGivesWay)
                    ids.erase(id);
                shown.push_back({"nulling box", NullingBoxFrame(l).Frame});
            }
            for (int32_t id : ids)
                shown.push_back({ButtonCaption(ButtonSlotForId(id)), ButtonOn(l, state.screen, id)});
            // Every caption shows whole, at the latest in the panel's normal font.
            for (int32_t id : ids) {
                const std::string caption = ShownCaption(ButtonCaption(ButtonSlotForId(id)));
                const FieldRect b = ButtonOn(l, state.screen, id);
                EXPECT_TRUE(CaptionFits(PanelFontMeasure(caption, false).cx, b.right - b.left))
                    << caption << " in " << Text(b);
            }
            if (state.bar)
                shown.push_back({"progress bar", Rect(l.BarBox)});
            if (state.screen == Screen::InternalTest) {
                const TestBlockLayout t = ComputeTestBlockLayout(TestBlockInputFor(l));
                shown.push_back({"test time constant", t.TimeConstantFill});
                shown.push_back({"test status", t.StatusFill});
                shown.push_back({"test title", TextBox(CentredTestTextX(t, PanelFontMeasure(TestModeTitle, true).cx),
                                                       t.LineY[0], TestModeTitle, true)});
                // The test texts are centred in the band of the four test buttons and keep
                // within the block's fills (4 pixels either side of it).
                for (const char* line : {TestModeTitle, TestTimeConstantTexts[1], TestTimeConstantTexts[3],
                                         TestPleaseWaitText, TestPassedText, TestFailedText}) {
                    const FieldRect r = TextBox(CentredTestTextX(t, PanelFontMeasure(line, true).cx), 0, line, true);
                    EXPECT_GE(r.left, t.StatusFill.left) << line;
                    EXPECT_LE(r.right, t.StatusFill.right) << line;
                }
                for (int32_t id = IDC_TEST_DC; id <= IDC_TEST_01MS; ++id) {
                    const FieldRect b = ButtonOn(l, state.screen, id);
                    EXPECT_GE(b.left, t.Left) << id;
                    EXPECT_LE(b.right, t.Right + 4) << id;
                }
            }
            for (size_t i = 0; i < shown.size(); ++i) {
                EXPECT_TRUE(Inside(shown[i].r, work)) << shown[i].name << " " << Text(shown[i].r);
                EXPECT_GT(shown[i].r.right, shown[i].r.left) << shown[i].name;
                for (size_t j = i + 1; j < shown.size(); ++j)
                    EXPECT_FALSE(Overlap(shown[i].r, shown[j].r))
                        << shown[i].name << " " << Text(shown[i].r) << " overlaps " << shown[j].name << " "
                        << Text(shown[j].r);
            }
        }

        // The GPS block's labels (their ink: trailing blanks are drawn transparent) end before
        // their fields, the fields keep apart, and all lie in the box under the curve pane
        // ("Z:" ran into the zone's first digit).
        const GpsStatusRects& g = l.Gps;
        const struct {
            const char* label;
            int32_t x;
            FieldRect field;
        } labelled[] = {{"PDOP:", g.PdopLabelX, g.PdopValue},
                        {"Sat:", g.SatLabelX, g.SatValue},
                        {"GPS#:", g.CountLabelX, g.GpsCountRect},
                        {"Z:", g.ZoneLabelX, g.ZoneValue}};
        for (const auto& f : labelled) {
            EXPECT_LE(f.x + PanelFontMeasure(f.label, false).cx, f.field.left) << f.label << " at " << size[0];
            EXPECT_TRUE(Inside(f.field, gpsBox)) << f.label << " at " << size[0];
        }
        const FieldRect fields[] = {g.Indicator,      g.Lamps[0],       g.Lamps[1],     g.PdopValue, g.SatValue,
                                    g.Coordinates[0], g.Coordinates[1], g.GpsCountRect, g.ZoneValue};
        for (size_t i = 0; i < std::size(fields); ++i)
            for (size_t j = i + 1; j < std::size(fields); ++j)
                EXPECT_FALSE(Overlap(fields[i], fields[j])) << Text(fields[i]) << " " << Text(fields[j]);

        // The nulling box lies in the band under the curve pane, from the stepping buttons to
        // "Comment"; its title, columns and labels inside its frame, left to right.
        const NullingBoxLayout frame = NullingBoxFrame(l);
        EXPECT_GE(frame.Frame.left, gpsBox.right) << size[0];
        EXPECT_LE(frame.Frame.right, l.Buttons[ButtonSlotForId(IDC_ENTER_COMMENT)].box.x) << size[0];
        EXPECT_GE(frame.Frame.top, curveBottom) << size[0];
        for (double seconds : {7.0, 59.9, 3599.0}) {
            const FieldRect title = TextBox(frame.TitleX, frame.TitleY, NullingProgressTitle(seconds), false);
            EXPECT_TRUE(Inside(
                title, FieldRect{frame.Frame.left + 1, frame.Frame.top + 1, frame.Frame.right - 1, frame.BarTop}))
                << size[0] << " " << NullingProgressTitle(seconds) << " " << Text(title);
        }
        struct Run {
            int32_t kind;
            int32_t selected[RepRateCount];
            int32_t rate;
        };
        const Run runs[] = {{0, {}, 0}, {1, {1, 0, 1, 0, 1, 0, 1}, 0}, {1, {0, 1, 1, 1, 1, 1, 1}, 0}, {2, {}, 3}};
        for (const Run& run : runs) {
            for (int32_t mains : {0, 1}) {
                int32_t selected[RepRateCount];
                std::copy(std::begin(run.selected), std::end(run.selected), selected);
                const NullingBoxLayout b = ComputeNullingBox(l, run.kind, selected, run.rate);
                SCOPED_TRACE("nulling kind " + std::to_string(run.kind) + " mains " + std::to_string(mains) + " at " +
                             std::to_string(size[0]) + "x" + std::to_string(size[1]));
                int32_t previousLabelRight = frame.Frame.left + 1;
                for (int32_t i = 0; i < b.ColumnCount; ++i) {
                    EXPECT_GE(b.ColumnX[i], b.BoxLeft) << i;
                    EXPECT_LE(b.ColumnX[i] + b.ColumnWidth, b.BoxRight) << i;
                    if (i > 0) {
                        EXPECT_GT(b.ColumnX[i], b.ColumnX[i - 1] + b.ColumnWidth) << i;
                        EXPECT_LT(b.ColumnRate[i], b.ColumnRate[i - 1]) << "slowest on the left";
                    }
                    const std::string label = WideToNarrow(WideString(MainsRateLabel(mains, b.ColumnRate[i])));
                    const int32_t w = PanelFontMeasure(label, false).cx;
                    const int32_t x = NullingLabelX(b, i, w, mains != 0);
                    EXPECT_GE(x, previousLabelRight) << label;
                    previousLabelRight = x + w;
                    EXPECT_LE(b.BarBottom + 2 + 14, frame.Frame.bottom - 1) << label;
                }
                EXPECT_LE(previousLabelRight, frame.Frame.right - 1);
            }
        }
    }
}
