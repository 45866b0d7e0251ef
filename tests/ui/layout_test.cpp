#include "vlox/ui/main_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
    return l.Buttons[id - ButtonFirstId];
}

}  // namespace

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
        {1280, 1024, 128, 90, 1024, 768},
        {1920, 1080, 448, 118, 1024, 768},
        {1024, 768, 0, 0, 1024, 730},
        {800, 600, 0, 0, 800, 562},
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
    MainLayout l = ComputeMainLayout(Input(1024, 768));
    EXPECT_EQ(l.ButtonColumnX, 1024 - 136);
    EXPECT_EQ(l.NumbersPaneRect.width, 80);
    EXPECT_EQ(l.NumbersPaneRect.x, 1024 - 20 - 80);
    EXPECT_EQ(B(l, 429).box.x, 1024 - 136);
    EXPECT_EQ(B(l, 431).box.x, 1024 - 136);
    // Curve pane fills the rest: 1024 - 80 - 190 - 20 - 12.
    EXPECT_EQ(l.CurvePaneRect.x, 190);
    EXPECT_EQ(l.CurvePaneRect.y, 9);
    EXPECT_EQ(l.CurvePaneRect.width, 722);
    EXPECT_EQ(l.ButtonRowY, 768 - 5 * 18 - 12);
    EXPECT_EQ(l.CurvePaneRect.height, l.ButtonRowY - 21);
    EXPECT_EQ(l.NumbersPaneRect.y, l.CurvePaneRect.y);
    EXPECT_EQ(l.NumbersPaneRect.height, l.CurvePaneRect.height);
    EXPECT_EQ(l.ButtonHeight, (768 - 12 - 5 - l.ButtonRowY) / 2);
    EXPECT_EQ(l.SmallButtonHeight, 2 * l.ButtonHeight / 3);
    EXPECT_EQ(l.ButtonRow2Y, l.ButtonRowY + l.ButtonHeight + 5);
}

TEST(MainLayout, NumbersPaneWidthByComponent)
{
    struct Case {
        int32_t component, count;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 3}, {4, 2}, {-1, 2}};
    for (const Case& c : cases) {
        MainLayoutInput in = Input(1024, 768);
        in.SelectedComponent = c.component;
        MainLayout l = ComputeMainLayout(in);
        EXPECT_EQ(l.ComponentCount, c.count) << c.component;
        EXPECT_EQ(l.NumbersPaneRect.width, c.count * 60 + 20) << c.component;
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
    const PaneBox m = B(l, 433).box;
    const PaneBox stop = B(l, 434).box;
    EXPECT_EQ(stop.x, m.x);
    EXPECT_EQ(stop.y, m.y);
    EXPECT_EQ(stop.width, m.width);
    EXPECT_EQ(stop.height, m.height);
    EXPECT_EQ(m.x, l.ButtonColumnX - 6 - 120);
    EXPECT_EQ(m.height, 2 * l.ButtonHeight + 5);

    const PaneBox store = B(l, 435).box;
    const PaneBox cancel = B(l, 436).box;
    EXPECT_EQ(store.x, m.x);
    EXPECT_EQ(cancel.x, m.x);
    EXPECT_EQ(store.width, m.width);
    EXPECT_EQ(store.y, m.y);                                     // upper half
    EXPECT_EQ(cancel.y + cancel.height, m.y + m.height);         // lower half
    EXPECT_EQ(store.height, l.ButtonHeight);
    EXPECT_EQ(cancel.height, l.ButtonHeight);

    // Only MEASURE is shown in the start state, and it is disabled.
    EXPECT_TRUE(B(l, 433).shown);
    EXPECT_FALSE(B(l, 433).enabled);
    EXPECT_FALSE(B(l, 434).shown);
    EXPECT_FALSE(B(l, 435).shown);
    EXPECT_FALSE(B(l, 436).shown);
}

TEST(MainLayout, MapButtonsAndHideLPlacedButHidden)
{
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    EXPECT_EQ(l.MapPaneX, 16);
    EXPECT_EQ(l.MapPaneSize, 168);
    EXPECT_EQ(l.MapPaneY, 9 + l.CurvePaneRect.height - 164 + 2);
    const int32_t rowA = l.MapPaneY + 168 + 20;
    const int32_t rowB = rowA + l.ButtonHeight / 2 + 2;
    struct Case {
        int32_t id, x, y, width;
        bool shown;
    };
    const Case cases[] = {
        {454, 16, rowA, 54, true},  {455, 72, rowA, 54, true},  {456, 128, rowA, 54, true},
        {457, 128, rowA, 54, false}, {458, 16, rowB, 40, true},  {459, 58, rowB, 40, true},
        {460, 100, rowB, 40, true}, {461, 142, rowB, 40, true},
    };
    for (const Case& c : cases) {
        const ButtonPlace& b = B(l, c.id);
        EXPECT_EQ(b.box.x, c.x) << c.id;
        EXPECT_EQ(b.box.y, c.y) << c.id;
        EXPECT_EQ(b.box.width, c.width) << c.id;
        EXPECT_EQ(b.box.height, l.ButtonHeight / 2) << c.id;
        EXPECT_EQ(b.shown, c.shown) << c.id;
    }
    // The record list lies over the map pane, hidden.
    EXPECT_EQ(l.ListRecordsBox.x, 26);
    EXPECT_EQ(l.ListRecordsBox.y, l.MapPaneY);
    EXPECT_EQ(l.ListRecordsBox.width, 56);
    EXPECT_EQ(l.ListRecordsBox.height, 168);
}

TEST(MainLayout, StartSetOfButtons)
{
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    const std::set<int32_t> shown = {429, 431, 433, 443, 444, 449, 453, 454, 455, 456, 458, 459, 460, 461, 463};
    const std::set<int32_t> disabled = {433, 449};
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
    EXPECT_EQ(g.Disabled.left, 192 + (318 - 192 + 4 - 84) / 2 - 4);
    EXPECT_EQ(l.StepButtonsX, 328);
    EXPECT_EQ(B(l, 443).box.x, 328);
    EXPECT_EQ(B(l, 462).box.x, 328 + 124);
    EXPECT_EQ(B(l, 462).box.width, 150);
    EXPECT_EQ(B(l, 446).box.x, 328 + 122);
    EXPECT_EQ(B(l, 441).box.y, l.ButtonRowY + l.SmallButtonHeight + 2);
    EXPECT_EQ(B(l, 442).box.y, l.ButtonRowY + 2 * (l.SmallButtonHeight + 2));
    EXPECT_EQ(l.LowerBoxRight, 328 + 124 + 150);
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
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    const int32_t w = (l.ButtonColumnX - 260 - 6 - l.StepButtonsX - 120 - 10) / 4 - 2;
    for (int32_t k = 0; k < 4; ++k) {
        const ButtonPlace& b = B(l, 465 + k);
        EXPECT_EQ(b.box.x, l.StepButtonsX + 130 + k * (w + 2)) << k;
        EXPECT_EQ(b.box.y, l.ButtonRowY + 2 * l.SmallButtonHeight + 2) << k;
        EXPECT_EQ(b.box.width, w) << k;
        EXPECT_FALSE(b.shown) << k;
    }
    const PaneBox last = B(l, 468).box;
    EXPECT_LT(last.x + last.width, B(l, 449).box.x);
}

TEST(MainLayout, FixedButtonsKeepTheirCreationPlaces)
{
    MainLayout l = ComputeMainLayout(Input(1018, 710));
    const int32_t tw = (1018 - 40 - 45) / 10;
    EXPECT_EQ(l.TopRowWidth, tw);
    for (int32_t id = 424; id <= 428; ++id) {
        const ButtonPlace& b = B(l, id);
        EXPECT_EQ(b.box.x, 20 + (tw + 5) * (id - 420)) << id;
        EXPECT_EQ(b.box.y, 2) << id;
        EXPECT_EQ(b.box.height, 32) << id;
        EXPECT_FALSE(b.shown) << id;
    }
    const int32_t third = l.ButtonHeight / 3;
    EXPECT_EQ(B(l, 437).box.x, 190);
    EXPECT_EQ(B(l, 437).box.y, l.ButtonRowY + third);
    EXPECT_EQ(B(l, 438).box.y, l.ButtonRow2Y + third);
    EXPECT_EQ(B(l, 439).box.x, 190 + 60 + 2);
    EXPECT_EQ(B(l, 440).box.width, 60);
    EXPECT_EQ(B(l, 440).box.height, 2 * l.ButtonHeight / 3);
    EXPECT_EQ(B(l, 452).box.x, 190 + 240 + 4 + 30);
    EXPECT_EQ(B(l, 452).box.width, 122);
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
    EXPECT_EQ(l.BarBox.x, l.ButtonColumnX - 146);
    EXPECT_EQ(l.BarBox.y, l.ButtonRowY);
    EXPECT_EQ(l.BarBox.width, 15);
    EXPECT_EQ(l.BarBox.height, 2 * l.ButtonHeight + 5);
    EXPECT_EQ(l.BarLabelRect.top, l.ButtonRowY - 7);
    EXPECT_EQ(l.BarLabelRect.bottom, l.ButtonRowY - 1);

    EXPECT_EQ(l.MessageLineRect.left, 16 + 54);
    EXPECT_EQ(l.MessageLineRect.top, l.MapPaneY + 170);
    EXPECT_EQ(l.MessageLineRect.right, 184);
    const int32_t rowB = l.MapPaneY + 188 + l.ButtonHeight / 2 + 2;
    EXPECT_EQ(l.MeterBoxRect.top, rowB + l.ButtonHeight / 2 + 2);
    EXPECT_EQ(l.MeterBoxRect.bottom, 700);
    EXPECT_EQ(l.MeterTitleRect.left, 20);
    EXPECT_EQ(l.MeterTitleRect.right, 180);
    EXPECT_EQ(l.MeterTextRect.top, l.MeterTitleRect.bottom + 1);

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
    EXPECT_STREQ(ButtonCaption(433 - 420), "MEASURE");
    EXPECT_STREQ(ButtonCaption(428 - 420), "E&xit");
    EXPECT_STREQ(ButtonCaption(450 - 420), "Display Available Comments");
    EXPECT_STREQ(ButtonCaption(469 - 420), "E&xit Test Mode");
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
    EXPECT_EQ(*created.begin(), 424);
    EXPECT_EQ(*created.rbegin(), 469);
    EXPECT_EQ(created.count(464), 0u);
}
