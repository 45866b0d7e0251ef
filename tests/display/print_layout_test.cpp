#include "vlox/display/print_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// Every character half the font's height wide; texts are the font's height.
class HalfHeightMeasure : public PrintTextMeasure {
public:
    explicit HalfHeightMeasure(const PrintDeviceCaps& caps) : caps_(caps) {}
    void Measure(PrintFont font, const WideString& text, int32_t& width, int32_t& height) override
    {
        height = font == PrintFont::Small ? SmallPrintFontHeight(caps_) : LargePrintFontHeight(caps_);
        width = static_cast<int32_t>(text.size()) * height / 2;
    }

private:
    PrintDeviceCaps caps_;
};

PrintDeviceCaps Page(int32_t width, int32_t height)
{
    PrintDeviceCaps c;
    c.HorzRes = width;
    c.VertRes = height;
    c.OffsetX = 75;
    c.OffsetY = 150;
    c.LogPixelsX = 300;
    c.LogPixelsY = 300;
    return c;
}

WideString W(const char* s)
{
    return NarrowToWide(std::string(s));
}

// A reading of the 20-gate set with gate times 0.01 ms .. and values falling from 1000.
PrintReading Reading(int32_t tag, int32_t gates = 20)
{
    PrintReading r;
    r.Tag = tag;
    r.GateCount = gates;
    r.GateSet = gates == 30 ? 1 : 0;
    for (int32_t i = 0; i < gates; ++i) {
        r.CentresMs[i] = 0.01 * std::pow(1.3, i);
        r.Values[i] = 1000.0 / (i + 1);
    }
    r.TimeAxisLow = 0.008;
    r.TimeAxisHigh = 2.0;
    return r;
}

PrintPageInputs DecayPage(int32_t width, int32_t height, int32_t processing)
{
    PrintPageInputs in;
    in.Caps = Page(width, height);
    in.ReviewMode = 0;
    in.ProcessingChoice = processing;
    in.Decay.Selected = Reading(1);
    in.Decay.Station = {Reading(1), Reading(0), Reading(1)};
    in.Decay.SelectedIndex = 0;
    in.Header.GateCount = 20;
    in.Header.LoopSideX = 100.0;
    in.Header.LoopSideY = 50.0;
    return in;
}

const PrintOp* FindText(const PrintPageLayout& page, const WideString& text)
{
    for (const PrintOp& op : page.Ops)
        if (op.Kind == PrintOpKind::Text && op.Text == text)
            return &op;
    return nullptr;
}

// The texts of the gate table's body (the small-font texts right of the table's left edge).
std::vector<const PrintOp*> TableBody(const PrintPageLayout& page)
{
    const PrintRect* frame = nullptr;
    for (const PrintOp& op : page.Ops)
        if (op.Kind == PrintOpKind::Rectangle)
            frame = &op.Rect;  // the table's frame is the last rectangle
    std::vector<const PrintOp*> body;
    for (const PrintOp& op : page.Ops)
        if (op.Kind == PrintOpKind::Text && op.Font == PrintFont::Small && frame != nullptr && op.X > frame->Left &&
            op.Y > frame->Top)
            body.push_back(&op);
    return body;
}

int32_t CurvesWithPen(const PrintPageLayout& page, PrintPen pen, int32_t entry)
{
    return static_cast<int32_t>(std::count_if(page.Ops.begin(), page.Ops.end(), [&](const PrintOp& op) {
        return op.Kind == PrintOpKind::Polyline && op.Pen == pen && op.PenEntry == entry && op.Points.size() > 2;
    }));
}

TEST(PrintLayout, PageFrameBoxScalesAndFontsFromTheCapabilities)
{
    const PrintDeviceCaps caps = Page(2400, 3000);
    const PrintRect outer = PrintOuterFrame(caps), box = PrintPlotBox(caps);
    EXPECT_EQ(outer.Left, 75);
    EXPECT_EQ(outer.Top, 0);
    EXPECT_EQ(outer.Right, 2325);
    EXPECT_EQ(outer.Bottom, 3000);
    EXPECT_EQ(box.Left, 375);
    EXPECT_EQ(box.Top, 150);
    EXPECT_EQ(box.Right, 2175);
    EXPECT_EQ(box.Bottom, 2100);
    const CurvePlotGeometryValues g = ComputePrintScales(box, PrintScaleSettings{}, 0.0, 0.0);
    EXPECT_EQ(g.PixelsPerTimeDecade, 545.0);
    EXPECT_EQ(g.PixelsPerAmplitudeDecade, 1857.0);
    EXPECT_EQ(g.LinearBandScale, 92.0);
    EXPECT_EQ(SmallPrintFontHeight(caps), 37);
    EXPECT_EQ(LargePrintFontHeight(caps), 45);

    // Orientation by the printable area: a square page is portrait.
    EXPECT_TRUE(PrintPageIsPortrait(Page(2400, 3000)));
    EXPECT_TRUE(PrintPageIsPortrait(Page(2400, 2400)));
    EXPECT_FALSE(PrintPageIsPortrait(Page(3000, 2400)));

    // The frame and the box are the page's first two operations, in that order.
    HalfHeightMeasure m(caps);
    const PrintPageLayout page = LayOutPrintPage(DecayPage(2400, 3000, 0), m);
    ASSERT_GE(page.Ops.size(), 2u);
    EXPECT_EQ(page.Ops[0].Pen, PrintPen::GridPen8);
    EXPECT_EQ(page.Ops[0].Rect.Right, 2325);
    EXPECT_EQ(page.Ops[1].Pen, PrintPen::WideBlackPen);
    EXPECT_EQ(page.Ops[1].Rect.Bottom, 2100);
}

TEST(PrintLayout, DecimalLabelsKeepEverySignificantDigit)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {{0.005, "0.005"}, {0.5, "0.5"}, {2.0, "2"},    {0.25, "0.25"},
                 {0.105, "0.105"}, {10.0, "10"}, {12.5, "12.5"}};
    for (const auto& c : cases)
        EXPECT_EQ(PrintDecimalLabel(c.value), c.text) << c.value;
}

TEST(PrintLayout, HeaderTextsOfTheReading)
{
    PrintHeaderInfo h;
    h.FileTitle = W("20261209_000.VLX");
    h.DateText = "09/12/2026";
    h.TimeText = "05:43:33";
    h.LoopSideX = 100.0;
    h.LoopSideY = 50.0;
    h.TxCurrent = 3.5;
    h.RecordCount = 4;
    h.MainsFlag = 1;
    h.Component = 1;
    h.GainX = 4;
    h.TransmitterType = 9;  // read from a damaged file: not in the list
    h.CoilType = 0;
    h.OperatorName = W("Brem");
    const std::vector<WideString> t = PrintHeaderTexts(h);
    ASSERT_EQ(t.size(), 23u);
    EXPECT_EQ(t[0], W("File: 20261209_000.VLX"));
    EXPECT_EQ(t[1], W("Date: 09/12/2026  Time: 05:43:33"));
    EXPECT_EQ(t[4], W("GPS Position: Not available"));
    EXPECT_EQ(t[7], W("Tx Loop: 100.00 x 50.00 m"));
    EXPECT_EQ(t[8], W("Tx Type: "));
    EXPECT_EQ(t[9], W("Tx Current: 3.50    A"));
    EXPECT_EQ(t[12], W("Coil Type: HF"));
    EXPECT_EQ(t[13], W("No of Records:4"));
    EXPECT_EQ(t[16], W("Component: X"));
    EXPECT_EQ(t[17], W("Gain: 5   "));
    EXPECT_EQ(t[19], W("RX Delay:  0.00 us"));
    EXPECT_EQ(t[20], W("Power Line: 60 Hz"));
    EXPECT_EQ(t[22], W("Gate 0: 0.00      [nV/m2]"));
}

TEST(PrintLayout, HeaderBelowTheBoxInPortraitBesideItInLandscapeTitleBottomRight)
{
    const struct {
        int32_t width, height;
        bool portrait;
    } pages[] = {{2400, 3000, true}, {2400, 2400, true}, {3000, 2400, false}};
    for (const auto& p : pages) {
        const PrintPageInputs in = DecayPage(p.width, p.height, 0);
        HalfHeightMeasure m(in.Caps);
        const PrintPageLayout page = LayOutPrintPage(in, m);
        const PrintOp* gps = FindText(page, W("GPS Position: Not available"));
        const PrintOp* title = FindText(page, W("Tarnwel V-LOX"));
        ASSERT_NE(gps, nullptr);
        ASSERT_NE(title, nullptr);
        if (p.portrait) {
            EXPECT_GT(gps->Y, page.PlotBox.Bottom);
            EXPECT_LT(gps->X, page.PlotBox.Left);
        } else {
            EXPECT_GT(gps->X, page.PlotBox.Right);
            EXPECT_GE(gps->Y, page.PlotBox.Top);
        }
        // Right edge at HORZRES + offset - 0.65 in, bottom at VERTRES + offset - 0.55 in.
        EXPECT_EQ(title->X + 13 * 45 / 2, p.width + 75 - 195);
        EXPECT_EQ(title->Y + 45, p.height + 150 - 165);
    }
}

TEST(PrintLayout, GateTableRowsAreHalfTheGatesRoundedUp)
{
    const struct {
        int32_t gates;
        size_t rows;
    } cases[] = {{20, 10}, {30, 15}, {21, 11}, {1, 1}, {0, 0}};
    for (const auto& c : cases) {
        PrintPageInputs in = DecayPage(2400, 3000, 0);
        in.Decay.Selected = Reading(1, c.gates);
        HalfHeightMeasure m(in.Caps);
        const PrintPageLayout page = LayOutPrintPage(in, m);
        const std::vector<const PrintOp*> body = TableBody(page);
        EXPECT_EQ(body.size(), 2u * static_cast<size_t>(c.gates)) << c.gates;  // number and value
        std::set<int32_t> rows;
        for (const PrintOp* op : body)
            rows.insert(op->Y);
        EXPECT_EQ(rows.size(), c.rows) << c.gates;
        if (c.gates == 21) {
            EXPECT_NE(FindText(page, W("21")), nullptr);
        }
    }
    // User gates: the gates shown in the numbers window, at most 20 rows of two.
    const struct {
        int32_t gates, hidden;
        size_t shown, rows;
    } user[] = {{50, 0, 40, 20}, {12, 3, 9, 5}};
    for (const auto& c : user) {
        PrintPageInputs in = DecayPage(2400, 3000, 0);
        in.Decay.Selected = Reading(1, c.gates);
        in.Header.GateSet = 2;
        in.Header.NumbersGateVisible.fill(1);
        for (int32_t i = 0; i < c.hidden; ++i)
            in.Header.NumbersGateVisible[static_cast<size_t>(2 * i)] = 0;
        HalfHeightMeasure m(in.Caps);
        const PrintPageLayout page = LayOutPrintPage(in, m);
        const std::vector<const PrintOp*> body = TableBody(page);
        std::set<int32_t> rows;
        for (const PrintOp* op : body)
            rows.insert(op->Y);
        EXPECT_EQ(body.size(), 2 * c.shown) << c.gates;
        EXPECT_EQ(rows.size(), c.rows) << c.gates;
    }

    // Gates 1-10 on the left, 11-20 on the right of the same rows.
    const PrintPageInputs in = DecayPage(2400, 3000, 0);
    HalfHeightMeasure m(in.Caps);
    const PrintPageLayout page = LayOutPrintPage(in, m);
    const PrintOp* one = FindText(page, W(" 1"));
    const PrintOp* eleven = FindText(page, W("11"));
    ASSERT_TRUE(one && eleven);
    EXPECT_EQ(one->Y, eleven->Y);
    EXPECT_LT(one->X, eleven->X);
}

namespace {

// The printer's fonts as Wine's PostScript driver measures them (DejaVu Sans), in parts of
// the font's height: digits 0.56, narrow marks and letters 0.27, "m" and "w" 0.8, other
// capitals 0.6 and small letters 0.55.
class PrinterFontMeasure : public PrintTextMeasure {
public:
    explicit PrinterFontMeasure(const PrintDeviceCaps& caps) : caps_(caps) {}
    void Measure(PrintFont font, const WideString& text, int32_t& width, int32_t& height) override
    {
        height = font == PrintFont::Small ? SmallPrintFontHeight(caps_) : LargePrintFontHeight(caps_);
        double w = 0.0;
        for (WideChar c : text) {
            if (c >= '0' && c <= '9')
                w += 0.56;
            else if (std::wstring(L" .:,;'!|()[]/ilIjft").find(static_cast<wchar_t>(c)) != std::wstring::npos)
                w += 0.27;
            else if (std::wstring(L"mwMW").find(static_cast<wchar_t>(c)) != std::wstring::npos)
                w += 0.8;
            else if (c >= 'A' && c <= 'Z')
                w += 0.6;
            else
                w += 0.55;
        }
        width = static_cast<int32_t>(std::ceil(w * height));
    }

private:
    PrintDeviceCaps caps_;
};

}  // namespace

// Pins the mend: on the printer's page (A4 at 300 dpi, as Wine's PostScript driver gives it)
// with a 30-gate table of 6- and 7-digit values, no text of the header or the table runs
// into another: the date line kept clear of "Coil Type", every gate number clear of its value
// (whose blanks used to be painted over it) and on the value's row.
TEST(PrintLayout, HeaderAndGateTableTextsRunIntoNothing)
{
    for (bool portrait : {true, false}) {
        PrintPageInputs in = DecayPage(portrait ? 2329 : 3358, portrait ? 3358 : 2329, 0);
        in.Caps.OffsetX = in.Caps.OffsetY = 75;
        in.Decay.Selected = Reading(1, 30);
        for (int32_t i = 0; i < 30; ++i)
            in.Decay.Selected.Values[static_cast<size_t>(i)] = i < 3 ? 1305957.12 / (i + 1) : 191079.89 / (i - 2);
        in.Header.GateCount = 30;
        in.Header.GateSet = 1;
        in.Header.FileTitle = W("20261209_000.VLX");
        in.Header.DateText = "15/03/2024";
        in.Header.TimeText = "09:00:03";
        in.Header.CoilType = 9;  // "3C-CM Fluxgate"
        in.Header.RepetitionRate = 237.5;
        in.Header.TurnOffTimeUs = 105.9;
        in.Header.OperatorName = W("Brem");
        in.Header.EarlyWindowValue = 51234.5;
        in.Scale.AmplitudeAxisMax = 1e6;  // six decades: the linear band near 0 is narrow
        PrinterFontMeasure m(in.Caps);
        const PrintPageLayout page = LayOutPrintPage(in, m);
        struct Box {
            const PrintOp* op;
            int32_t left, top, right, bottom;
        };
        std::vector<Box> texts;
        for (const PrintOp& op : page.Ops) {
            if (op.Kind != PrintOpKind::Text)
                continue;
            int32_t w = 0, h = 0;
            m.Measure(op.Font, op.Text, w, h);
            texts.push_back({&op, op.X, op.Y, op.X + w, op.Y + h});
        }
        // Texts less than half a line apart share a row and keep at least a blank's width
        // between them along it; the table's rows may be closer than a font's full cell,
        // never than half of it. The amplitude labels, left of the plot box, do not touch at
        // all (a decade's "1" over the axis's "0").
        for (size_t i = 0; i < texts.size(); ++i)
            for (size_t j = i + 1; j < texts.size(); ++j) {
                const Box& a = texts[i];
                const Box& b = texts[j];
                if (a.right <= page.PlotBox.Left && b.right <= page.PlotBox.Left)
                    EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                        << "\"" << WideToNarrow(a.op->Text) << "\" over \"" << WideToNarrow(b.op->Text) << "\"";
                const int32_t line = std::min(a.bottom - a.top, b.bottom - b.top);
                const int32_t blank = line * 27 / 100;
                // The two parts of the date line and of the station line join.
                const bool parts = a.top == b.top && (a.right == b.left || b.right == a.left);
                EXPECT_FALSE(!parts && a.left < b.right + blank && b.left < a.right + blank &&
                             std::abs(a.top - b.top) < line / 2)
                    << (portrait ? "portrait: \"" : "landscape: \"") << WideToNarrow(a.op->Text) << "\" runs into \""
                    << WideToNarrow(b.op->Text) << "\"";
            }
        // Each gate number stands left of its value on one row, inside the table's frame.
        const std::vector<const PrintOp*> body = TableBody(page);
        ASSERT_EQ(body.size(), 60u);
        for (size_t k = 0; k + 1 < body.size(); k += 2) {
            const PrintOp* number = body[k];
            const PrintOp* value = body[k + 1];
            EXPECT_EQ(number->Y, value->Y) << WideToNarrow(number->Text);
            EXPECT_LT(number->X, value->X) << WideToNarrow(number->Text);
            EXPECT_EQ(value->Text.find(' '), WideString::npos) << WideToNarrow(value->Text);
        }
    }
}

TEST(PrintLayout, ProcessingModesDrawTheirCurvesAndTableBody)
{
    HalfHeightMeasure m(Page(2400, 3000));
    // "Single": the time labels of the default axis and one bold final curve.
    PrintPageLayout page = LayOutPrintPage(DecayPage(2400, 3000, 0), m);
    for (const char* label : {"0.005", "0.01", "0.1", "1", "10"})
        EXPECT_NE(FindText(page, W(label)), nullptr) << label;
    EXPECT_EQ(CurvesWithPen(page, PrintPen::CurveBold, 102), 1);

    // "Single" on an excluded reading: the frame, no curve, no table body.
    PrintPageInputs in = DecayPage(2400, 3000, 0);
    in.Decay.Selected.Tag = -1;
    page = LayOutPrintPage(in, m);
    EXPECT_EQ(CurvesWithPen(page, PrintPen::CurveBold, 102), 0);
    EXPECT_NE(FindText(page, W("0.01")), nullptr);
    EXPECT_TRUE(TableBody(page).empty());

    // "Selected": the two readings tagged 1, the one selected in the review in the final pen.
    page = LayOutPrintPage(DecayPage(2400, 3000, 1), m);
    EXPECT_EQ(CurvesWithPen(page, PrintPen::CurveBold, 102), 1);
    EXPECT_EQ(CurvesWithPen(page, PrintPen::CurveBold, 101), 1);

    // "Average" with one slot: its curve and its values in the table.
    in = DecayPage(2400, 3000, 2);
    in.Decay.Slots[2].Count = 3;
    in.Decay.Slots[2].CentresMs = Reading(1).CentresMs;
    in.Decay.Slots[2].Values.fill(42.0);
    page = LayOutPrintPage(in, m);
    EXPECT_EQ(page.SingleAverageSlot, 1);
    EXPECT_EQ(CurvesWithPen(page, PrintPen::CurveBold, 102), 1);
    EXPECT_NE(FindText(page, W("42.00")), nullptr);

    // "Avg.+All" with two slots: the included readings, both averages, frame and head only.
    in.ProcessingChoice = 3;
    in.Decay.Slots[9].Count = 1;
    in.Decay.Slots[9].CentresMs = Reading(1, 30).CentresMs;
    page = LayOutPrintPage(in, m);
    EXPECT_EQ(page.SingleAverageSlot, 0);
    EXPECT_EQ(CurvesWithPen(page, PrintPen::CurveBold, 101), 3);
    EXPECT_EQ(CurvesWithPen(page, PrintPen::CurveBold, 102), 2);
    EXPECT_TRUE(TableBody(page).empty());
    EXPECT_NE(FindText(page, W("Gate")), nullptr);

    // "Average" with no slot: no plot frame, still the page frame, box and header.
    in = DecayPage(2400, 3000, 2);
    page = LayOutPrintPage(in, m);
    EXPECT_EQ(FindText(page, W("0.01")), nullptr);
    EXPECT_NE(FindText(page, W("Tarnwel V-LOX")), nullptr);
}

// "Selected" with gate labels: the time axis covers every reading of the station that could
// be read. A reading that could not be read stands in the list with no gate times; it used to
// take part, so the axis fell back on 0.005 to 10 ms and, when it was the last, the gate
// labels vanished.
TEST(PrintLayout, SelectedGateAxisLeavesOutTheReadingsThatCouldNotBeRead)
{
    HalfHeightMeasure m(Page(2400, 3000));
    PrintReading thirty = Reading(0, 30);
    thirty.TimeAxisLow = 0.01;
    thirty.TimeAxisHigh = 25.0;
    PrintReading unread;
    unread.Tag = -1;
    const std::vector<std::vector<PrintReading>> stations = {
        {Reading(1), thirty}, {Reading(1), unread, thirty}, {Reading(1), thirty, unread}, {unread, Reading(1), thirty}};
    for (size_t k = 0; k < stations.size(); ++k) {
        PrintPageInputs in = DecayPage(2400, 3000, 1);
        in.Scale.TimeAxisLabels = 1;
        in.Decay.Station = stations[k];
        const PrintPageLayout page = LayOutPrintPage(in, m);
        EXPECT_DOUBLE_EQ(page.Geometry.LogTimeMin, std::log10(0.008)) << k;
        EXPECT_DOUBLE_EQ(page.Geometry.LogTimeMax, std::log10(25.0)) << k;
        // The gate labels of the last reading read, up to the largest gate count.
        for (const char* label : {"1", "5", "25", "30"}) {
            const PrintOp* text = FindText(page, W(label));
            ASSERT_NE(text, nullptr) << k << " " << label;
            EXPECT_GT(text->X, page.PlotBox.Left - 100) << k << " " << label;
            EXPECT_LT(text->X, page.PlotBox.Right) << k << " " << label;
        }
        // Only the reading tagged 1 is drawn; the one that could not be read is not.
        EXPECT_EQ(CurvesWithPen(page, PrintPen::CurveBold, 102) + CurvesWithPen(page, PrintPen::CurveBold, 101), 1)
            << k;
    }
}

TEST(PrintLayout, ProfileStationTicks)
{
    const struct {
        double range, step;
    } steps[] = {{1000.0, 200.0}, {35.0, 5.0}, {40.0, 10.0}, {0.0, 0.0}, {NAN, 0.0}};
    for (const auto& s : steps)
        EXPECT_EQ(PrintStationTickStep(s.range), s.step) << s.range;

    const struct {
        std::vector<double> stations;
        std::vector<const char*> labels;
    } lines[] = {{{0.0, 250.0, 500.0, 1000.0}, {"0", "200", "400", "600", "800", "1000"}},
                 {{0.0, 35.0}, {"0", "5", "30", "35"}},
                 {{120.0}, {"120"}},
                 {{}, {}}};
    for (const auto& line : lines) {
        PrintPageInputs in;
        in.Caps = Page(2400, 3000);
        in.ReviewMode = 1;
        in.Profile.Stations = line.stations;
        in.Profile.Values.assign(line.stations.size(), {});
        for (auto& row : in.Profile.Values)
            row.fill(5.0);
        in.Profile.GateCount = 20;
        HalfHeightMeasure m(in.Caps);
        const PrintPageLayout page = LayOutPrintPage(in, m);
        EXPECT_NE(FindText(page, W("Stations")), nullptr);
        for (const char* label : line.labels)
            EXPECT_NE(FindText(page, W(label)), nullptr) << label;
        // One curve per gate when there are stations, in the gate's own pen.
        EXPECT_EQ(std::count_if(page.Ops.begin(), page.Ops.end(),
                                [](const PrintOp& op) { return op.Pen == PrintPen::Curve; }),
                  line.stations.empty() ? 0 : 20);
    }
}

}  // namespace
