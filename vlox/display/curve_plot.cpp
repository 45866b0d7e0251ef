#include "vlox/display/curve_plot.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

CurvePlotGeometryValues CurvePlotGeometry;
int32_t StationsPerProfileWindow = 50;
double AmplitudeBottomDecadeBase = 1.0;

namespace {

bool Finite(double v)
{
    return std::isfinite(v);
}

}  // namespace

void MapScaleLimits(double& timeMin, double& timeMax, double& amplitudeMin, double& amplitudeMax)
{
    if (!Finite(timeMin))
        timeMin = 0.005;
    if (!Finite(timeMax))
        timeMax = 10.0;
    if (!Finite(amplitudeMin))
        amplitudeMin = 0.0;
    if (!Finite(amplitudeMax))
        amplitudeMax = 10.0;
    if (!(timeMin > 0.0))
        timeMin = 0.001;
    if (!(timeMax > timeMin))
        timeMax = timeMin * 100.0;
    if (amplitudeMax < 1.0)
        amplitudeMax = 1.0;
    if (!(amplitudeMax > amplitudeMin))
        amplitudeMin = amplitudeMax / 10.0;
    if (amplitudeMin > -1.0 && amplitudeMin < 0.0)
        amplitudeMin = -1.0;
    else if (amplitudeMin > 0.0 && amplitudeMin < 1.0)
        amplitudeMin = 0.0;
}

void NoteAmplitudeBottom(double mappedBottom, double& base)
{
    if (mappedBottom != 0.0 && Finite(mappedBottom))
        base = std::fabs(mappedBottom);
}

int32_t SaturatePixel(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Adds an origin to a saturated pixel without overflowing.
static int32_t AddPixel(int32_t a, int32_t b)
{
    const int64_t s = static_cast<int64_t>(a) + b;
    if (s > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (s < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(s);
}

CurvePlotGeometryValues ComputeCurveScaleFrom(const CurveScaleInputs& in)
{
    CurvePlotGeometryValues g;
    double tMin = in.TimeMinMs, tMax = in.TimeMaxMs, aMin = in.AmplitudeMin, aMax = in.AmplitudeMax;
    MapScaleLimits(tMin, tMax, aMin, aMax);

    g.PlotLeft = 60;
    g.PlotRight = in.PaneWidth - 40;
    g.PlotTop = 20;
    g.PlotBottom = in.PaneHeight - 40;
    g.LogTimeMin = std::log10(tMin);
    g.LogTimeMax = std::log10(tMax);
    g.PixelsPerTimeDecade = (g.PlotRight - g.PlotLeft) / (g.LogTimeMax - g.LogTimeMin);
    g.LogAmplitudeMax = std::log10(aMax);
    if (aMin >= 1.0) {
        g.LowerDecades = std::log10(aMin);
        g.AmplitudeSpan = g.LogAmplitudeMax - g.LowerDecades;
    } else if (aMin == 0.0) {
        g.LowerDecades = 0.0;
        g.AmplitudeSpan = g.LogAmplitudeMax + 0.05;
    } else {
        g.LowerDecades = std::log10(-aMin);
        g.AmplitudeSpan = g.LogAmplitudeMax + g.LowerDecades + 0.1;
    }
    g.PixelsPerAmplitudeDecade = (g.PlotBottom - g.PlotTop) / g.AmplitudeSpan;
    g.LinearBandScale = 0.05 * g.PixelsPerAmplitudeDecade;
    g.PlusOneY = SaturatePixel(g.LogAmplitudeMax * g.PixelsPerAmplitudeDecade + g.PlotTop);

    g.StripLeft = g.PlotLeft + 1;
    g.StripTop = 1;
    g.StripRight = g.PlotRight - 7;
    g.StripBottom = in.PaneHeight - 1;
    g.StripHeight = in.PaneHeight - 2;
    const int32_t stripWidth = g.StripRight - g.StripLeft + 1;
    const int32_t stations = in.StationsPerProfileWindow > 0 ? in.StationsPerProfileWindow : 50;
    g.ColumnStep = stripWidth / stations;
    g.ScrollWidth = stripWidth - g.ColumnStep + 3;
    g.ProfileTickStep = stations / 10 >= 1 ? stations / 10 : 1;
    return g;
}

bool TimeToX(const CurvePlotGeometryValues& g, double tMs, int32_t& x)
{
    if (!(tMs > 0.0) || !Finite(tMs))
        return false;
    x = SaturatePixel((std::log10(tMs) - g.LogTimeMin) * g.PixelsPerTimeDecade + g.PlotLeft);
    return true;
}

bool ValueToY(const CurvePlotGeometryValues& g, double v, int32_t& y)
{
    if (!Finite(v))
        return false;
    if (v > 1.0)
        y = AddPixel(SaturatePixel((g.LogAmplitudeMax - std::log10(v)) * g.PixelsPerAmplitudeDecade), g.PlotTop);
    else if (v >= -1.0)
        y = AddPixel(SaturatePixel((1.0 - v) * g.LinearBandScale), g.PlusOneY);
    else
        y = AddPixel(SaturatePixel((g.LogAmplitudeMax + 0.1 + std::log10(-v)) * g.PixelsPerAmplitudeDecade), g.PlotTop);
    return true;
}

int32_t AxisValueToY(const CurvePlotGeometryValues& g, double v)
{
    if (v > 1.0)
        return SaturatePixel((g.LogAmplitudeMax - std::log10(v)) * g.PixelsPerAmplitudeDecade + g.PlotTop);
    if (v >= -1.0)
        return SaturatePixel((g.LogAmplitudeMax + (1.0 - v) * 0.05) * g.PixelsPerAmplitudeDecade + g.PlotTop);
    return SaturatePixel((g.LogAmplitudeMax + 0.1 + std::log10(-v)) * g.PixelsPerAmplitudeDecade + g.PlotTop);
}

std::string TimeLabelText(double t)
{
    if (t >= 10.0)
        return FormatText("%d", SaturatePixel(t));
    std::string s = FormatText("%f", t);
    const size_t point = s.find('.');
    if (point != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    return s;
}

const char* DisplayUnitCaption(int32_t unit)
{
    static const char* const captions[6] = {"nV/m2", "mV", "nT/s", "pT", "mS/m", "Ohm-m"};
    return unit >= 0 && unit < 6 ? captions[unit] : "";
}

namespace {

struct AxesBuilder {
    const CurvePlotGeometryValues& g;
    PlotTextMeasure& measure;
    CurveAxesLayout out;

    void Vertical(AxisPen pen, int32_t x) { out.Lines.push_back({pen, x, g.PlotBottom, x, g.PlotTop}); }
    void Horizontal(AxisPen pen, int32_t y) { out.Lines.push_back({pen, g.PlotLeft, y, g.PlotRight, y}); }
    // Centred on x, top at y.
    void TimeLabel(const std::string& text, int32_t x)
    {
        int32_t w = 0, h = 0;
        measure.Measure(text, w, h);
        out.Labels.push_back({text, x - w / 2, g.PlotBottom + 5});
    }
    // Rows [top, bottom) taken by the amplitude labels placed or reserved so far.
    std::vector<std::pair<int32_t, int32_t>> amplitudeRows;

    std::pair<int32_t, int32_t> AmplitudeRows(const std::string& text, int32_t y, int32_t& w)
    {
        int32_t h = 0;
        measure.Measure(text, w, h);
        return {y - h / 2, y - h / 2 + h};
    }
    // The labels at the two ends of the axis are placed whatever comes near them: their rows
    // are taken first.
    void ReserveAmplitudeLabel(const std::string& text, int32_t y)
    {
        int32_t w = 0;
        amplitudeRows.push_back(AmplitudeRows(text, y, w));
    }
    // Ending 5 pixels left of the plot, centred on y. A decade label that would overlap a
    // label already there (close to the axis's ends the decades crowd) is left out.
    void AmplitudeLabel(const std::string& text, int32_t y, bool reserved = false)
    {
        int32_t w = 0;
        const std::pair<int32_t, int32_t> rows = AmplitudeRows(text, y, w);
        if (!reserved) {
            for (const auto& taken : amplitudeRows)
                if (rows.first < taken.second && taken.first < rows.second)
                    return;
            amplitudeRows.push_back(rows);
        }
        out.Labels.push_back({text, g.PlotLeft - 5 - w, rows.first});
    }
    void CentredText(const std::string& text, int32_t x, int32_t y)
    {
        int32_t w = 0, h = 0;
        measure.Measure(text, w, h);
        out.Labels.push_back({text, x - w / 2, y});
    }
};

// The decay frame writes "%g" of the integer part ("1e+06" from a million on); the profile
// frames write every digit of it.
std::string IntegerPartText(double a, bool allDigits)
{
    return FormatText(allDigits ? "%.0f" : "%g", std::trunc(a));
}

// Decade loops stop after this many passes whatever the limits.
constexpr int32_t MaxDecades = 40;

}  // namespace

CurveAxesLayout LayOutCurveAxes(const CurvePlotGeometryValues& g, const CurveAxesInputs& in, PlotTextMeasure& measure)
{
    AxesBuilder b{g, measure, {}, {}};
    const bool digits = in.AmplitudeOnly != 0;
    double tMin = in.TimeMinMs, tMax = in.TimeMaxMs, aMin = in.AmplitudeMin, aMax = in.AmplitudeMax;
    MapScaleLimits(tMin, tMax, aMin, aMax);
    int32_t x = 0;
    b.ReserveAmplitudeLabel(IntegerPartText(aMin, digits), g.PlotBottom);
    b.ReserveAmplitudeLabel(IntegerPartText(aMax, digits), g.PlotTop);

    if (in.AmplitudeOnly != 0) {
        // The profile frames have stations, not times, along x.
    } else if (in.TimeAxisLabels == 0) {
        const int32_t l = static_cast<int32_t>(std::trunc(g.LogTimeMin));
        double d = std::pow(10.0, l);
        const double step = d / 10.0;
        double t = step;
        // Counted steps rather than repeated sums, so 0.001 + 0.001 + ... cannot drift past a
        // decade.
        int32_t k = 1;
        while (t < tMin && k < 10) {
            ++k;
            t = step * k;
        }
        while (t < d && k < 10) {
            if (in.TimeAxisMinorGrid == 1 && TimeToX(g, t, x))
                b.Vertical(AxisPen::Grid, x);
            ++k;
            t = step * k;
        }
        for (int32_t pass = 0; d < tMax && pass < MaxDecades; ++pass, d *= 10.0) {
            if (d < tMin)
                continue;
            if (TimeToX(g, d, x)) {
                b.Vertical(AxisPen::Decade, x);
                b.TimeLabel(TimeLabelText(d), x);
            }
            if (in.TimeAxisMinorGrid == 1)
                for (int32_t m = 2; m <= 9 && m * d < tMax; ++m)
                    if (TimeToX(g, m * d, x))
                        b.Vertical(AxisPen::Grid, x);
        }
        b.TimeLabel(TimeLabelText(tMin), g.PlotLeft);
        b.TimeLabel(TimeLabelText(tMax), g.PlotRight);
    } else if (in.GateCentresMs != nullptr) {
        const int32_t n = in.GateCount < 0 ? 0 : (in.GateCount > MaxGateCount ? MaxGateCount : in.GateCount);
        for (int32_t k = 1; k <= n; ++k) {
            const bool labelled = k == 1 || k % 5 == 0;
            if (!labelled && in.TimeAxisMinorGrid != 1)
                continue;
            if (!TimeToX(g, in.GateCentresMs[k - 1], x))
                continue;
            b.Vertical(AxisPen::Grid, x);
            if (labelled)
                b.TimeLabel(FormatText(k < 10 ? "%1d" : "%2d", k), x);
        }
    }

    // Decades above +1.
    double a = 1.0;
    for (int32_t pass = 0; pass < MaxDecades; ++pass) {
        const int32_t y = AxisValueToY(g, a);
        if (y <= g.PlotBottom) {
            b.Horizontal(AxisPen::Decade, y);
            b.AmplitudeLabel(IntegerPartText(a, digits), y);
        }
        if (in.AmplitudeAxisMinorGrid != 0)
            for (int32_t m = 2; m <= 9 && m * a < aMax; ++m) {
                const int32_t ym = AxisValueToY(g, m * a);
                if (ym <= g.PlotBottom)
                    b.Horizontal(AxisPen::Grid, ym);
            }
        if (!(10.0 * a < aMax))
            break;
        a *= 10.0;
    }
    // With the axis starting at 0 the zero line is the bottom frame line itself; computed, the
    // product can fall just short of it and truncate a pixel higher.
    if (aMin == 0.0)
        b.Horizontal(AxisPen::Decade, g.PlotBottom);
    else if (aMin < 0.0)
        b.Horizontal(AxisPen::Decade,
                     SaturatePixel((g.LogAmplitudeMax + 0.05) * g.PixelsPerAmplitudeDecade + g.PlotTop));
    if (aMin <= -1.0) {
        a = -1.0;
        for (int32_t pass = 0; pass < MaxDecades; ++pass) {
            const int32_t y = AxisValueToY(g, a);
            if (y <= g.PlotBottom) {
                b.Horizontal(AxisPen::Decade, y);
                b.AmplitudeLabel(IntegerPartText(a, digits), y);
            }
            if (in.AmplitudeAxisMinorGrid != 0)
                for (int32_t m = 2; m <= 9 && m * a > aMin; ++m) {
                    const int32_t ym = AxisValueToY(g, m * a);
                    if (ym <= g.PlotBottom)
                        b.Horizontal(AxisPen::Grid, ym);
                }
            if (!(10.0 * a >= aMin))
                break;
            a *= 10.0;
        }
    }

    // Frame.
    b.Horizontal(AxisPen::Black, g.PlotBottom);
    b.AmplitudeLabel(IntegerPartText(aMin, digits), g.PlotBottom, true);
    b.Horizontal(AxisPen::Black, g.PlotTop);
    b.AmplitudeLabel(IntegerPartText(aMax, digits), g.PlotTop, true);
    b.out.Lines.push_back({AxisPen::Black, g.PlotLeft, g.PlotBottom, g.PlotLeft, g.PlotTop});
    b.out.Lines.push_back({AxisPen::Black, g.PlotRight, g.PlotBottom, g.PlotRight, g.PlotTop});

    if (in.AmplitudeOnly == 0)
        b.CentredText(in.TimeAxisLabels == 0 ? "Time [ms]" : "Gates", in.PaneWidth / 2, g.PlotBottom + 20);
    b.out.Labels.push_back(
        {DisplayUnitCaption(in.DisplayUnit), in.UnitCaptionX >= 0 ? in.UnitCaptionX : g.PlotLeft, g.PlotTop - 18});
    return b.out;
}

std::vector<PlotPoint> DecayCurvePoints(const CurvePlotGeometryValues& g, const double* centresMs, const double* values,
                                        int32_t gateCount)
{
    std::vector<PlotPoint> points;
    if (centresMs == nullptr || values == nullptr)
        return points;
    const int32_t n = gateCount < 0 ? 0 : (gateCount > MaxGateCount ? MaxGateCount : gateCount);
    points.reserve(n);
    for (int32_t i = 0; i < n; ++i) {
        PlotPoint p{};
        if (TimeToX(g, centresMs[i], p.X) && ValueToY(g, values[i], p.Y))
            points.push_back(p);
    }
    return points;
}

int32_t ProgressBarTop(int32_t top, int32_t bottom, double fraction)
{
    if (std::isnan(fraction))
        return bottom;
    const int64_t t = static_cast<int64_t>(bottom) - SaturatePixel((static_cast<double>(bottom) - top) * fraction);
    if (t < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return t > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(t);
}
