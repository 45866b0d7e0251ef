#include "vlox/display/curve_plot.h"
#include "vlox/display/numbers_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// Every character 6 pixels wide, 14 high.
class FixedMeasure : public PlotTextMeasure {
public:
    void Measure(const std::string& text, int32_t& width, int32_t& height) override
    {
        width = 6 * static_cast<int32_t>(text.size());
        height = 14;
    }
};

CurvePlotGeometryValues DefaultScale(int32_t w = 600, int32_t h = 440)
{
    CurveScaleInputs in;
    in.PaneWidth = w;
    in.PaneHeight = h;
    return ComputeCurveScaleFrom(in);
}

// A label of the time axis (top at PlotBottom + 5 for a 440-pixel pane).
bool HasTimeLabel(const CurveAxesLayout& l, const std::string& text)
{
    for (const auto& label : l.Labels)
        if (label.Text == text && label.Y == 405)
            return true;
    return false;
}

// A label of the amplitude axis (ends 5 pixels left of the plot with 6-pixel characters).
bool HasAmplitudeLabel(const CurveAxesLayout& l, const std::string& text)
{
    for (const auto& label : l.Labels)
        if (label.Text == text && label.X + 6 * static_cast<int32_t>(text.size()) == 55)
            return true;
    return false;
}

bool HasLabel(const CurveAxesLayout& l, const std::string& text, int32_t* x = nullptr, int32_t* y = nullptr)
{
    for (const auto& label : l.Labels)
        if (label.Text == text) {
            if (x)
                *x = label.X;
            if (y)
                *y = label.Y;
            return true;
        }
    return false;
}

TEST(CurveScale, DefaultScaleGeometry)
{
    const CurvePlotGeometryValues g = DefaultScale();
    EXPECT_EQ(g.PlotLeft, 60);
    EXPECT_EQ(g.PlotRight, 560);
    EXPECT_EQ(g.PlotTop, 20);
    EXPECT_EQ(g.PlotBottom, 400);
    // 0.005 to 10 ms: 3.30103 decades over 500 pixels.
    EXPECT_NEAR(g.PixelsPerTimeDecade, 500.0 / std::log10(2000.0), 1e-9);
    // 0 to 10: one decade plus half the linear band.
    EXPECT_NEAR(g.AmplitudeSpan, 1.05, 1e-12);
    EXPECT_NEAR(g.PixelsPerAmplitudeDecade, 380.0 / 1.05, 1e-9);
    EXPECT_EQ(g.PlusOneY, 381);
    EXPECT_EQ(g.StripRight, 553);
    EXPECT_EQ(g.ColumnStep, 493 / 50);
    EXPECT_EQ(g.ScrollWidth, 493 - 9 + 3);
    EXPECT_EQ(g.ProfileTickStep, 5);
}

TEST(CurveScale, PixelTransformsOfTheDefaultScale)
{
    const CurvePlotGeometryValues g = DefaultScale();
    int32_t x = 0, y = 0;
    ASSERT_TRUE(TimeToX(g, 0.005, x));
    EXPECT_EQ(x, 60);
    ASSERT_TRUE(TimeToX(g, 10.0, x));
    EXPECT_EQ(x, 560);
    ASSERT_TRUE(TimeToX(g, 1.0, x));
    EXPECT_EQ(x, static_cast<int32_t>(std::log10(200.0) * 500.0 / std::log10(2000.0) + 60));
    ASSERT_TRUE(ValueToY(g, 10.0, y));
    EXPECT_EQ(y, 20);
    ASSERT_TRUE(ValueToY(g, 1.0, y));
    EXPECT_EQ(y, 381);  // +1 on PlusOneY
    ASSERT_TRUE(ValueToY(g, 0.0, y));
    EXPECT_EQ(y, 381 + static_cast<int32_t>(0.05 * 380.0 / 1.05));  // 399: one row above the frame by truncation
    ASSERT_TRUE(ValueToY(g, -1.0, y));
    EXPECT_EQ(y, 381 + static_cast<int32_t>(2.0 * 0.05 * 380.0 / 1.05));
    // The axis rule puts 0 exactly on the bottom frame line.
    EXPECT_EQ(AxisValueToY(g, 0.0), 400);
}

TEST(CurveScale, UndrawableValuesAndSaturation)
{
    const CurvePlotGeometryValues g = DefaultScale();
    int32_t x = 7, y = 7;
    EXPECT_FALSE(TimeToX(g, 0.0, x));
    EXPECT_FALSE(TimeToX(g, -1.0, x));
    EXPECT_FALSE(TimeToX(g, std::nan(""), x));
    EXPECT_FALSE(ValueToY(g, std::nan(""), y));
    EXPECT_FALSE(ValueToY(g, std::numeric_limits<double>::infinity(), y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 7);
    ASSERT_TRUE(ValueToY(g, -1e300, y));
    EXPECT_GT(y, 400);
    ASSERT_TRUE(TimeToX(g, 1e-300, x));
    EXPECT_LT(x, 0);
    EXPECT_EQ(SaturatePixel(1e20), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(SaturatePixel(-1e20), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(SaturatePixel(std::nan("")), 0);
    EXPECT_EQ(SaturatePixel(-2.7), -2);
}

TEST(CurveScale, LimitsThePlotIsDrawnWith)
{
    double t0 = 0.0, t1 = 0.0, a0 = 0.0, a1 = 10.0;
    MapScaleLimits(t0, t1, a0, a1);
    EXPECT_EQ(t0, 0.001);
    EXPECT_EQ(t1, 0.1);
    // The tops the scale steps give below 10 (10, 9, ... 1) are drawn as they are; the plot
    // used to raise them to 10, so the steps below 10 changed nothing on screen or paper.
    const struct {
        double bottom, top, bottomAfter, topAfter;
    } cases[] = {
        {-0.5, 5.0, -1.0, 5.0},   {0.0, 9.0, 0.0, 9.0}, {0.0, 1.0, 0.0, 1.0}, {50.0, 20.0, 2.0, 20.0},
        {0.5, 100.0, 0.0, 100.0}, {0.0, 0.5, 0.0, 1.0}, {5.0, 5.0, 0.0, 5.0}, {-100.0, 2.0, -100.0, 2.0},
    };
    for (const auto& c : cases) {
        a0 = c.bottom;
        a1 = c.top;
        MapScaleLimits(t0, t1, a0, a1);
        EXPECT_EQ(a0, c.bottomAfter) << c.bottom << " " << c.top;
        EXPECT_EQ(a1, c.topAfter) << c.bottom << " " << c.top;
    }
    // Each step of the top from 10 down to 5 moves the curve up (a value of 5 reaches the top
    // of the plot) and relabels the top of the frame.
    int32_t lastY = 1000;
    for (double top = 10.0; top >= 5.0; top -= 1.0) {
        CurveScaleInputs in;
        in.PaneWidth = 600;
        in.PaneHeight = 440;
        in.AmplitudeMax = top;
        const CurvePlotGeometryValues g = ComputeCurveScaleFrom(in);
        int32_t y = 0;
        ASSERT_TRUE(ValueToY(g, 5.0, y));
        EXPECT_LT(y, lastY) << top;
        lastY = y;
        CurveAxesInputs a;
        a.PaneWidth = 600;
        a.AmplitudeMax = top;
        FixedMeasure m;
        const CurveAxesLayout l = LayOutCurveAxes(g, a, m);
        const std::string label = FormatText("%g", top);
        EXPECT_TRUE(std::any_of(l.Labels.begin(), l.Labels.end(), [&](const AxisLabel& t) {
            return t.Text == label && t.Y == g.PlotTop - 7;
        })) << top;
    }
    EXPECT_EQ(lastY, 20);

    CurveScaleInputs in;
    in.PaneWidth = 600;
    in.PaneHeight = 440;
    in.AmplitudeMin = -0.3;  // would be the log of a negative number
    const CurvePlotGeometryValues g = ComputeCurveScaleFrom(in);
    EXPECT_TRUE(std::isfinite(g.PixelsPerAmplitudeDecade));
    EXPECT_NEAR(g.AmplitudeSpan, 1.1, 1e-12);
}

TEST(CurveScale, LogAndNegativeAxes)
{
    CurveScaleInputs in;
    in.PaneWidth = 600;
    in.PaneHeight = 440;
    in.AmplitudeMin = 10.0;
    in.AmplitudeMax = 10000.0;
    CurvePlotGeometryValues g = ComputeCurveScaleFrom(in);
    EXPECT_NEAR(g.AmplitudeSpan, 3.0, 1e-12);
    int32_t y = 0;
    ValueToY(g, 100.0, y);
    EXPECT_EQ(y, 20 + static_cast<int32_t>(2.0 * 380.0 / 3.0));

    in.AmplitudeMin = -100.0;
    in.AmplitudeMax = 100.0;
    g = ComputeCurveScaleFrom(in);
    EXPECT_NEAR(g.AmplitudeSpan, 4.1, 1e-12);
    ValueToY(g, -100.0, y);
    EXPECT_EQ(y, 20 + static_cast<int32_t>(4.1 * 380.0 / 4.1));
    EXPECT_EQ(AxisValueToY(g, -100.0), 400);
}

TEST(CurveAxes, TimeLabelTexts)
{
    EXPECT_EQ(TimeLabelText(0.01), "0.01");
    EXPECT_EQ(TimeLabelText(0.5), "0.5");
    EXPECT_EQ(TimeLabelText(1.0), "1");
    EXPECT_EQ(TimeLabelText(0.005), "0.005");
    EXPECT_EQ(TimeLabelText(10.0), "10");
    EXPECT_EQ(TimeLabelText(800.0), "800");
}

TEST(CurveAxes, DefaultScaleDecadesAndLabels)
{
    const CurvePlotGeometryValues g = DefaultScale();
    CurveAxesInputs in;
    in.PaneWidth = 600;
    FixedMeasure m;
    const CurveAxesLayout l = LayOutCurveAxes(g, in, m);
    int32_t x = 0, y = 0;
    for (const char* t : {"0.01", "0.1", "1", "0.005", "10"})
        EXPECT_TRUE(HasLabel(l, t)) << t;
    ASSERT_TRUE(HasLabel(l, "0.005", &x, &y));
    EXPECT_EQ(x, 60 - 15);  // centred on PlotLeft
    EXPECT_EQ(y, 405);
    ASSERT_TRUE(HasLabel(l, "Time [ms]", &x, &y));
    EXPECT_EQ(x, 300 - 27);
    EXPECT_EQ(y, 420);
    ASSERT_TRUE(HasLabel(l, "nV/m2", &x, &y));
    EXPECT_EQ(x, 60);
    EXPECT_EQ(y, 2);
    // Amplitude: "1" at the +1 row, the frame's "10" and "0".
    int32_t decades = 0, zero = 0;
    for (const auto& line : l.Lines) {
        if (line.Pen == AxisPen::Decade && line.Y1 == line.Y2) {
            ++decades;
            zero += line.Y1 == 400 ? 1 : 0;
        }
    }
    EXPECT_EQ(zero, 1);  // the zero line lies on the bottom frame
    EXPECT_GE(decades, 2);
    ASSERT_TRUE(HasLabel(l, "0", &x, &y));
    EXPECT_EQ(x, 60 - 5 - 6);
    EXPECT_EQ(y, 400 - 7);
    // No time decade line at or beyond the maximum.
    for (const auto& line : l.Lines)
        if (line.Pen == AxisPen::Decade && line.X1 == line.X2)
            EXPECT_LT(line.X1, 560);
}

// Pins the mend: the amplitude labels never overlap. With the axis from 0 the "1" of the +1
// row lies a twentieth of a decade above the frame's "0": on a tall pane with few pixels a
// decade it was written over it; the labels of the axis's two ends always stay.
TEST(CurveAxes, AmplitudeLabelsNeverOverlapAndTheEndsStay)
{
    const struct {
        int32_t height;
        double minimum, maximum;
    } cases[] = {{650, 0.0, 10000.0},    {440, 0.0, 1000000.0}, {120, 0.0, 100000.0}, {650, -1.0, 10000.0},
                 {300, -1000.0, 1000.0}, {440, 1.0, 10.0},      {440, 0.0, 10.0}};
    FixedMeasure m;
    for (const auto& c : cases) {
        CurveScaleInputs s;
        s.PaneWidth = 600;
        s.PaneHeight = c.height;
        s.AmplitudeMin = c.minimum;
        s.AmplitudeMax = c.maximum;
        const CurvePlotGeometryValues g = ComputeCurveScaleFrom(s);
        CurveAxesInputs in;
        in.PaneWidth = 600;
        in.AmplitudeMin = c.minimum;
        in.AmplitudeMax = c.maximum;
        const CurveAxesLayout l = LayOutCurveAxes(g, in, m);
        std::vector<AxisLabel> amplitude;
        for (const AxisLabel& label : l.Labels)
            if (label.X + 6 * static_cast<int32_t>(label.Text.size()) == g.PlotLeft - 5)
                amplitude.push_back(label);
        for (size_t i = 0; i < amplitude.size(); ++i)
            for (size_t j = i + 1; j < amplitude.size(); ++j)
                EXPECT_GE(std::abs(amplitude[i].Y - amplitude[j].Y), 14)
                    << c.height << " " << c.maximum << ": \"" << amplitude[i].Text << "\" and \"" << amplitude[j].Text
                    << "\"";
        const std::string bottom = FormatText("%g", std::trunc(c.minimum));
        const std::string top = FormatText("%g", std::trunc(c.maximum));
        bool bottomShown = false, topShown = false;
        for (const AxisLabel& label : amplitude) {
            bottomShown = bottomShown || (label.Text == bottom && label.Y == g.PlotBottom - 7);
            topShown = topShown || (label.Text == top && label.Y == g.PlotTop - 7);
        }
        EXPECT_TRUE(bottomShown) << c.height << " " << c.maximum;
        EXPECT_TRUE(topShown) << c.height << " " << c.maximum;
    }
}

// Pins the mend: with an amplitude axis from 0 the zero line is the bottom frame line at
// every pane height, not a pixel above it where the product falls just short of the bottom.
TEST(CurveAxes, ZeroLineOnTheBottomFrameAtEveryPaneHeight)
{
    FixedMeasure m;
    for (double maximum : {10.0, 50.0, 100.0, 1000.0, 100000.0}) {
        int32_t off = 0;
        for (int32_t height = 100; height <= 1000; ++height) {
            CurveScaleInputs s;
            s.PaneWidth = 600;
            s.PaneHeight = height;
            s.AmplitudeMax = maximum;
            const CurvePlotGeometryValues g = ComputeCurveScaleFrom(s);
            CurveAxesInputs in;
            in.PaneWidth = 600;
            in.AmplitudeMax = maximum;
            in.AmplitudeAxisMinorGrid = 0;
            bool onBottom = false;
            for (const auto& line : LayOutCurveAxes(g, in, m).Lines)
                onBottom = onBottom || (line.Pen == AxisPen::Decade && line.Y1 == line.Y2 && line.Y1 == g.PlotBottom);
            off += onBottom ? 0 : 1;
        }
        EXPECT_EQ(off, 0) << "maximum " << maximum;
    }
}

TEST(CurveAxes, MinimumNotAPowerOfTenStartsAtTheNextDecade)
{
    CurveScaleInputs s;
    s.PaneWidth = 600;
    s.PaneHeight = 440;
    s.TimeMinMs = 2.0;
    s.TimeMaxMs = 1000.0;
    const CurvePlotGeometryValues g = ComputeCurveScaleFrom(s);
    CurveAxesInputs in;
    in.PaneWidth = 600;
    in.TimeMinMs = 2.0;
    in.TimeMaxMs = 1000.0;
    FixedMeasure m;
    const CurveAxesLayout l = LayOutCurveAxes(g, in, m);
    EXPECT_FALSE(HasTimeLabel(l, "1"));
    EXPECT_TRUE(HasTimeLabel(l, "10"));
    EXPECT_TRUE(HasTimeLabel(l, "100"));
    EXPECT_TRUE(HasTimeLabel(l, "2"));
    EXPECT_TRUE(HasTimeLabel(l, "1000"));
}

TEST(CurveAxes, GateLabelsAtOneAndEveryFifthGate)
{
    double centres[20];
    for (int i = 0; i < 20; ++i)
        centres[i] = 0.01 * std::pow(1.4, i);
    CurveScaleInputs s;
    s.PaneWidth = 600;
    s.PaneHeight = 440;
    s.TimeMinMs = 0.005;
    s.TimeMaxMs = 10.0;
    const CurvePlotGeometryValues g = ComputeCurveScaleFrom(s);
    CurveAxesInputs in;
    in.PaneWidth = 600;
    in.TimeAxisLabels = 1;
    in.GateCentresMs = centres;
    in.GateCount = 20;
    FixedMeasure m;
    CurveAxesLayout l = LayOutCurveAxes(g, in, m);
    int32_t gridLines = 0;
    for (const auto& line : l.Lines)
        gridLines += line.Pen == AxisPen::Grid && line.X1 == line.X2 ? 1 : 0;
    EXPECT_EQ(gridLines, 5);
    for (const char* t : {"1", "5", "10", "15", "20", "Gates"})
        EXPECT_TRUE(HasLabel(l, t)) << t;
    in.TimeAxisMinorGrid = 1;
    l = LayOutCurveAxes(g, in, m);
    gridLines = 0;
    for (const auto& line : l.Lines)
        gridLines += line.Pen == AxisPen::Grid && line.X1 == line.X2 ? 1 : 0;
    EXPECT_EQ(gridLines, 20);
}

TEST(CurveAxes, DecadesBelowTheBottomAreNeitherDrawnNorLabelled)
{
    CurveScaleInputs s;
    s.PaneWidth = 600;
    s.PaneHeight = 440;
    s.AmplitudeMin = 50.0;
    s.AmplitudeMax = 10000.0;
    const CurvePlotGeometryValues g = ComputeCurveScaleFrom(s);
    CurveAxesInputs in;
    in.PaneWidth = 600;
    in.AmplitudeMin = 50.0;
    in.AmplitudeMax = 10000.0;
    FixedMeasure m;
    const CurveAxesLayout l = LayOutCurveAxes(g, in, m);
    EXPECT_FALSE(HasAmplitudeLabel(l, "1"));
    EXPECT_FALSE(HasAmplitudeLabel(l, "10"));
    EXPECT_TRUE(HasAmplitudeLabel(l, "100"));
    EXPECT_TRUE(HasAmplitudeLabel(l, "50"));
    for (const auto& line : l.Lines)
        EXPECT_LE(line.Y1, 400);
}

// The decay frame labels its amplitude lines with "%g" of the integer part; the live strip's
// and the review profile's frames write every digit ("1000000" where "%g" gives "1e+06").
TEST(CurveAxes, AmplitudeLabelsOfTheDecayAndProfileFrames)
{
    CurveScaleInputs in;
    in.PaneWidth = 600;
    in.PaneHeight = 440;
    in.AmplitudeMin = -1e7;
    in.AmplitudeMax = 1e7;
    const CurvePlotGeometryValues g = ComputeCurveScaleFrom(in);
    const struct {
        int32_t amplitudeOnly;
        const char *million, *top, *bottom;
    } frames[] = {{0, "1e+06", "1e+07", "-1e+07"}, {1, "1000000", "10000000", "-10000000"}};
    for (const auto& f : frames) {
        CurveAxesInputs a;
        a.PaneWidth = 600;
        a.AmplitudeMin = in.AmplitudeMin;
        a.AmplitudeMax = in.AmplitudeMax;
        a.AmplitudeOnly = f.amplitudeOnly;
        FixedMeasure m;
        const CurveAxesLayout l = LayOutCurveAxes(g, a, m);
        int32_t y = 0;
        EXPECT_TRUE(HasAmplitudeLabel(l, f.million)) << f.amplitudeOnly;
        EXPECT_TRUE(HasLabel(l, f.top, nullptr, &y)) << f.amplitudeOnly;
        EXPECT_EQ(y, g.PlotTop - 7);
        EXPECT_TRUE(HasLabel(l, f.bottom, nullptr, &y)) << f.amplitudeOnly;
        EXPECT_EQ(y, g.PlotBottom - 7);
        EXPECT_TRUE(HasAmplitudeLabel(l, f.amplitudeOnly ? "-1000000" : "-1e+06")) << f.amplitudeOnly;
    }
}

TEST(CurvePoints, NaNAndBadTimesAreLeftOut)
{
    const CurvePlotGeometryValues g = DefaultScale();
    const double centres[4] = {0.01, 0.1, 0.0, 1.0};
    const double values[4] = {5.0, std::nan(""), 3.0, -1e308 * 10};
    const auto points = DecayCurvePoints(g, centres, values, 4);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(DecayCurvePoints(g, centres, values, -3).size(), 0u);
    EXPECT_EQ(DecayCurvePoints(g, nullptr, values, 4).size(), 0u);
}

TEST(ProgressBar, TopRowOfTheBar)
{
    EXPECT_EQ(ProgressBarTop(0, 100, 0.0), 100);
    EXPECT_EQ(ProgressBarTop(0, 100, 0.255), 75);
    EXPECT_EQ(ProgressBarTop(0, 100, 1.5), -50);  // taller than the window, clipped there
    EXPECT_EQ(ProgressBarTop(0, 100, std::nan("")), 100);
    EXPECT_EQ(ProgressBarTop(0, 100, 1e30), 100 - std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ProgressBarTop(0, 100, -1e30), std::numeric_limits<int32_t>::max());
}

// Numbers window.

TEST(NumbersLayout, TwentyGates)
{
    const NumbersLayoutValues l = ComputeNumbersLayout(120, 450, 20, 3);
    EXPECT_EQ(l.RowHeight, 19);
    EXPECT_EQ(l.GroupGap, 6);
    EXPECT_EQ(l.TopShift, 0);
    EXPECT_EQ(l.ColumnWidth, 34);
    EXPECT_EQ(NumberRowY(l, 0), 50);
    EXPECT_EQ(NumberRowY(l, 4), 50 + 76);
    EXPECT_EQ(NumberRowY(l, 5), 50 + 95 + 6);
    EXPECT_EQ(NumberRowY(l, 19), 50 + 19 * 19 + 18);
    EXPECT_EQ(ListedGates(20, nullptr, 0).size(), 20u);
}

TEST(NumbersLayout, ThirtyFortyAndHundredGates)
{
    NumbersLayoutValues l = ComputeNumbersLayout(120, 450, 30, 3);
    EXPECT_EQ(l.RowHeight, 400 / 30 - 1);
    EXPECT_EQ(l.GroupGap, 5);
    EXPECT_EQ(l.TopShift, 0);
    l = ComputeNumbersLayout(120, 450, 40, 3);
    EXPECT_EQ(l.RowHeight, 9);
    EXPECT_EQ(l.TopShift, -4);
    EXPECT_EQ(l.ValueArea.Top, 46);
    EXPECT_EQ(NumberRowY(l, 5), 46 + 45 + 5);
    l = ComputeNumbersLayout(120, 450, 100, 3);
    EXPECT_EQ(l.RowHeight, 9);
    int32_t visible[100] = {};
    for (int g = 0; g < 100; g += 2)
        visible[g] = 1;
    const auto gates = ListedGates(100, visible, 100);
    ASSERT_EQ(gates.size(), 40u);
    EXPECT_EQ(gates[0], 0);
    EXPECT_EQ(gates[39], 78);
    // More than 40 gates without visibility flags: no rows rather than a read past the end.
    EXPECT_EQ(ListedGates(60, nullptr, 0).size(), 0u);
}

TEST(NumbersLayout, ZeroCountsAreGuarded)
{
    const NumbersLayoutValues l = ComputeNumbersLayout(120, 450, 0, 0);
    EXPECT_EQ(l.RowHeight, 399);
    EXPECT_EQ(l.ColumnWidth, 104);
    EXPECT_TRUE(ListedGates(0, nullptr, 0).empty());
}

// Pins the mend: a clear took row 0 live too, where it holds the early-window value of the
// reading measured. Only in review, where it would name another reading, is it cleared.
TEST(NumbersLayout, AClearTakesRowZeroOnlyInReview)
{
    const NumbersLayoutValues l = ComputeNumbersLayout(120, 450, 20, 3);
    for (const bool reviewing : {false, true}) {
        bool numbers = false, values = false, rowZero = false;
        for (const NumbersRect& a : NumbersClearAreas(l, reviewing)) {
            numbers = numbers || (a.Left == 2 && a.Top == 50 && a.Right == 16 && a.Bottom == 450);
            values = values || (a.Left == 16 && a.Top == 50 && a.Right == 120 && a.Bottom == 450);
            rowZero = rowZero || (a.Top <= 18 && a.Bottom >= 30);
        }
        EXPECT_TRUE(numbers && values) << reviewing;
        EXPECT_EQ(rowZero, reviewing);
    }
}

TEST(NumbersFormat, ByMagnitude)
{
    EXPECT_EQ(GateValueText(-150.0), "    -150");
    EXPECT_EQ(GateValueText(-12.5), "   -12.5");
    EXPECT_EQ(GateValueText(1.234), "    1.23");
    EXPECT_EQ(GateValueText(100.0), "     100");
    EXPECT_EQ(GateValueText(99.99), "   100.0");
    EXPECT_EQ(GateValueText(1e9).size(), 10u);
    const NumbersLayoutValues l = ComputeNumbersLayout(120, 450, 20, 3);
    EXPECT_EQ(ValueTextX(l, 48), 16 + 34 - 48 - 9);
}

TEST(NumbersFormat, Headings)
{
    EXPECT_EQ(ColumnHeadings(3, 3), (std::vector<std::string>{"Bz", "Bx", "By"}));
    EXPECT_EQ(ColumnHeadings(0, 3), (std::vector<std::string>{"Bz", "Bz", "By"}));
    EXPECT_EQ(ColumnHeadings(5, 2), (std::vector<std::string>{"Bz", "By"}));
    EXPECT_EQ(ColumnHeadings(1, 1), (std::vector<std::string>{"Bx"}));
    EXPECT_TRUE(ColumnHeadings(7, 3).empty());
}

}  // namespace
