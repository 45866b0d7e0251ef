#include "vlox/display/print_layout.h"

#include "vlox/display/review_plot.h"
#include "vlox/settings/rate_tables.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

int32_t InchX(const PrintDeviceCaps& caps, double inches)
{
    return SaturatePixel(caps.LogPixelsX * inches);
}

int32_t InchY(const PrintDeviceCaps& caps, double inches)
{
    return SaturatePixel(caps.LogPixelsY * inches);
}

int32_t SmallPrintFontHeight(const PrintDeviceCaps& caps)
{
    return InchY(caps, 0.125);
}

int32_t LargePrintFontHeight(const PrintDeviceCaps& caps)
{
    return InchY(caps, 0.15);
}

bool PrintPageIsPortrait(const PrintDeviceCaps& caps)
{
    return caps.HorzRes <= caps.VertRes;
}

PrintRect PrintOuterFrame(const PrintDeviceCaps& caps)
{
    PrintRect r;
    r.Left = InchX(caps, 0.5) - caps.OffsetX;
    r.Top = InchY(caps, 0.5) - caps.OffsetY;
    r.Right = caps.HorzRes + caps.OffsetX - InchX(caps, 0.5);
    r.Bottom = caps.VertRes + caps.OffsetY - InchY(caps, 0.5);
    return r;
}

PrintRect PrintPlotBox(const PrintDeviceCaps& caps)
{
    const PrintRect outer = PrintOuterFrame(caps);
    PrintRect r;
    r.Left = InchX(caps, 1.5) - caps.OffsetX;
    r.Top = InchY(caps, 1.0) - caps.OffsetY;
    r.Right = InchX(caps, 7.0) + outer.Left;
    r.Bottom = InchY(caps, 7.0) + outer.Top;
    return r;
}

namespace {

// The amplitude part of the printed scale: whole pixels per decade, the linear band and the
// row of +1. The caller has set the plot's top and bottom.
void SetPrintAmplitudeScale(CurvePlotGeometryValues& g, double aMin, double aMax)
{
    g.LogAmplitudeMax = std::log10(aMax);
    if (aMin >= 1.0) {
        g.LowerDecades = std::log10(aMin);
        g.AmplitudeSpan = g.LogAmplitudeMax - g.LowerDecades;
    } else if (aMin > -1.0) {
        g.LowerDecades = 0.0;
        g.AmplitudeSpan = g.LogAmplitudeMax + 0.05;
    } else {
        g.LowerDecades = std::log10(-aMin);
        g.AmplitudeSpan = g.LogAmplitudeMax + g.LowerDecades + 0.1;
    }
    g.PixelsPerAmplitudeDecade = SaturatePixel((g.PlotBottom - g.PlotTop) / g.AmplitudeSpan);
    g.LinearBandScale = SaturatePixel(g.PixelsPerAmplitudeDecade * 0.05);
    g.PlusOneY = SaturatePixel(g.PixelsPerAmplitudeDecade * g.LogAmplitudeMax + g.PlotTop);
}

}  // namespace

CurvePlotGeometryValues ComputePrintScales(const PrintRect& box, const PrintScaleSettings& scale, double timeLowMs,
                                           double timeHighMs)
{
    double tMin = scale.TimeAxisMinMs, tMax = scale.TimeAxisMaxMs;
    double aMin = scale.AmplitudeAxisMin, aMax = scale.AmplitudeAxisMax;
    MapScaleLimits(tMin, tMax, aMin, aMax);
    if (scale.TimeAxisLabels == 1) {
        // The gate-label limits of a reading that has none fall back on the settings' axis.
        if (timeLowMs > 0.0 && timeHighMs > timeLowMs && std::isfinite(timeHighMs)) {
            tMin = timeLowMs;
            tMax = timeHighMs;
        }
    }
    CurvePlotGeometryValues g;
    g.PlotLeft = box.Left;
    g.PlotRight = box.Right;
    g.PlotTop = box.Top;
    g.PlotBottom = box.Bottom;
    g.LogTimeMin = std::log10(tMin);
    g.LogTimeMax = std::log10(tMax);
    g.PixelsPerTimeDecade = SaturatePixel((g.PlotRight - g.PlotLeft) / (g.LogTimeMax - g.LogTimeMin));
    SetPrintAmplitudeScale(g, aMin, aMax);
    return g;
}

std::string PrintDecimalLabel(double v)
{
    std::string s = FormatText("%f", v);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    return s;
}

double PrintStationTickStep(double range)
{
    if (!(range > 0.0) || !std::isfinite(range))
        return 0.0;
    double t = range / 5.0;
    t = std::pow(10.0, std::trunc(std::log10(t) + 0.5));
    if (range / t < 4.0)
        t /= 2.0;
    if (range / t > 8.0)
        t *= 2.0;
    return t;
}

namespace {

WideString Wide(const std::string& s)
{
    return NarrowToWide(s);
}

const WideChar* NameOf(const WideChar* const* table, int32_t count, int32_t index)
{
    return index >= 0 && index < count ? table[index] : VLOX_WIDE("");
}

const char* AveragingName(int32_t index)
{
    static const char* const names[9] = {"0.5 s", "1 s", "2 s", "4 s", "8 s", "15 s", "30 s", "60 s", "120 s"};
    return index >= 0 && index < 9 ? names[index] : "";
}

const char* ComponentName(int32_t index)
{
    static const char* const names[3] = {"Z", "X", "Y"};
    return index >= 0 && index < 3 ? names[index] : "";
}

int32_t GainOfComponent(const PrintHeaderInfo& h)
{
    switch (h.Component) {
    case 1:
        return h.GainX;
    case 2:
        return h.GainY;
    default:
        return h.GainZ;
    }
}

std::string TrimBlanks(const std::string& s)
{
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos)
        return std::string();
    const size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

// The page under construction: the operations, the fonts' measure and the page's inches.
class PageBuilder {
public:
    PageBuilder(const PrintPageInputs& in, PrintTextMeasure& measure) : in_(in), caps_(in.Caps), measure_(measure)
    {
        page.OuterFrame = PrintOuterFrame(caps_);
        page.PlotBox = PrintPlotBox(caps_);
        d0_ = InchY(caps_, 0.025);
        tableValues_ = in.Decay.Selected.Values.data();
        tableGateCount_ = in.Decay.Selected.GateCount;
    }

    PrintPageLayout page;

    void Frames()
    {
        Rectangle(PrintPen::GridPen8, page.OuterFrame);
        Rectangle(PrintPen::WideBlackPen, page.PlotBox);
    }

    void DecayView();
    void ProfileView();
    void HeaderBlock();

private:
    // ----- drawing steps
    void Rectangle(PrintPen pen, const PrintRect& r)
    {
        PrintOp op;
        op.Kind = PrintOpKind::Rectangle;
        op.Pen = pen;
        op.Rect = r;
        page.Ops.push_back(op);
    }
    void Line(PrintPen pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        PrintOp op;
        op.Kind = PrintOpKind::Polyline;
        op.Pen = pen;
        op.Points = {{x1, y1}, {x2, y2}};
        page.Ops.push_back(op);
    }
    void Curve(PrintPen pen, int32_t entry, std::vector<PlotPoint> points)
    {
        if (points.empty())
            return;
        PrintOp op;
        op.Kind = PrintOpKind::Polyline;
        op.Pen = pen;
        op.PenEntry = entry;
        op.Points = std::move(points);
        page.Ops.push_back(op);
    }
    void Text(PrintFont font, const WideString& text, int32_t x, int32_t y)
    {
        PrintOp op;
        op.Kind = PrintOpKind::Text;
        op.Font = font;
        op.Text = text;
        op.X = x;
        op.Y = y;
        page.Ops.push_back(op);
    }
    int32_t Cx(PrintFont font, const WideString& text)
    {
        int32_t w = 0, h = 0;
        measure_.Measure(font, text, w, h);
        return w;
    }
    int32_t Cy(PrintFont font, const WideString& text)
    {
        int32_t w = 0, h = 0;
        measure_.Measure(font, text, w, h);
        return h;
    }
    // A text centred on x with its top at y.
    void TextCentred(PrintFont font, const WideString& text, int32_t x, int32_t y)
    {
        Text(font, text, x - Cx(font, text) / 2, y);
    }
    // A text ending at x, centred vertically on y.
    void TextRightMiddle(PrintFont font, const WideString& text, int32_t x, int32_t y)
    {
        Text(font, text, x - Cx(font, text), y - Cy(font, text) / 2);
    }

    // ----- decay plot
    void Scale(double timeLow, double timeHigh)
    {
        page.Geometry = ComputePrintScales(page.PlotBox, in_.Scale, timeLow, timeHigh);
    }
    void DecayFrame(const double* centresMs, int32_t gateCount);
    void AmplitudeDecades(bool profile);
    void DecayCurve(int32_t entry, const double* centresMs, const double* values, int32_t gateCount)
    {
        Curve(PrintPen::CurveBold, entry,
              DecayCurvePoints(page.Geometry, centresMs, values, std::clamp(gateCount, 0, MaxGateCount)));
    }
    // Averages: counts the slots with readings; false when none has.
    bool AverageFrame();
    void AverageCurves(int32_t entry);

    // ----- header
    // The table in frame; it may grow to the left as far as leftmost when its texts need it.
    void GateTable(PrintRect frame, int32_t h, int32_t leftmost);

    const PrintPageInputs& in_;
    const PrintDeviceCaps& caps_;
    PrintTextMeasure& measure_;
    int32_t d0_ = 0;
    // The values and gate count the gate table shows.
    const double* tableValues_ = nullptr;
    int32_t tableGateCount_ = 0;
    int32_t averageGateSet_ = 0;
};

void PageBuilder::DecayFrame(const double* centresMs, int32_t gateCount)
{
    const CurvePlotGeometryValues& g = page.Geometry;
    const PrintScaleSettings& s = in_.Scale;
    const int32_t bottom = g.PlotBottom, top = g.PlotTop;
    const int32_t labelTop = bottom + d0_;
    int32_t x = 0;
    if (s.TimeAxisLabels == 0) {
        double tMin = s.TimeAxisMinMs, tMax = s.TimeAxisMaxMs, aMin = 0.0, aMax = 10.0;
        MapScaleLimits(tMin, tMax, aMin, aMax);
        double d = std::pow(10.0, std::trunc(g.LogTimeMin));
        const double step = d / 10.0;
        // Whole multiples of the step, so the sum does not drift below the minimum.
        int32_t k = 1;
        while (k * step < tMin && k < 10)
            ++k;
        for (; k * step < d && k < 10; ++k)
            if (s.TimeAxisMinorGrid == 1 && TimeToX(g, k * step, x))
                Line(PrintPen::GridPen6, x, bottom, x, top);
        for (int32_t n = 0; d < tMax && n < 40; ++n, d *= 10.0) {
            if (d < tMin)
                continue;
            if (TimeToX(g, d, x)) {
                Line(PrintPen::GridPen12, x, bottom, x, top);
                const std::string label = d < 10.0 ? PrintDecimalLabel(d) : FormatText("%d", SaturatePixel(d));
                TextCentred(PrintFont::Small, Wide(label), x, labelTop);
            }
            if (s.TimeAxisMinorGrid == 1)
                for (int32_t m = 2; m <= 9 && m * d < tMax; ++m)
                    if (TimeToX(g, m * d, x))
                        Line(PrintPen::GridPen6, x, bottom, x, top);
        }
        TextCentred(PrintFont::Small, Wide(PrintDecimalLabel(tMin)), g.PlotLeft, labelTop);
        TextCentred(PrintFont::Small, Wide(PrintDecimalLabel(tMax)), g.PlotRight, labelTop);
    } else {
        const int32_t n = std::clamp(gateCount, 0, MaxGateCount);
        for (int32_t gate = 1; gate <= n; ++gate) {
            const bool labelled = gate == 1 || gate % 5 == 0;
            if (!labelled && s.TimeAxisMinorGrid != 1)
                continue;
            if (!TimeToX(g, centresMs[gate - 1], x))
                continue;
            Line(PrintPen::GridPen6, x, bottom, x, top);
            if (labelled)
                TextCentred(PrintFont::Small, Wide(FormatText("%d", gate)), x, labelTop);
        }
    }
    AmplitudeDecades(false);
}

// The amplitude lines of the decay frame (profile false) or of the profile frame (true), with
// the box outline.
void PageBuilder::AmplitudeDecades(bool profile)
{
    const CurvePlotGeometryValues& g = page.Geometry;
    const PrintScaleSettings& s = in_.Scale;
    double tMin = 1.0, tMax = 10.0, aMin = s.AmplitudeAxisMin, aMax = s.AmplitudeAxisMax;
    MapScaleLimits(tMin, tMax, aMin, aMax);
    const int32_t left = g.PlotLeft, right = g.PlotRight, top = g.PlotTop, bottom = g.PlotBottom;
    const int32_t dx = InchX(caps_, 0.025);
    const int32_t labelRight = profile ? left - 3 * dx : left - 2 * d0_;
    const PrintPen decadePen = PrintPen::GridPen12;
    const PrintPen negativePen = profile ? PrintPen::GridPen6 : PrintPen::GridPen12;
    auto label = [&](double v) {
        const int32_t t = SaturatePixel(v);
        return Wide(profile ? FormatText("%d", t) : FormatText("%g", static_cast<double>(t)));
    };
    // As on the screen: the labels at the axis's ends take their rows first, and a decade
    // label that would overlap a label already there (the decades crowd near the ends) is
    // left out.
    const WideString lowText = label(aMin), highText = label(aMax);
    const int32_t lowTop =
        profile ? bottom - Cy(PrintFont::Small, lowText) / 2 : bottom - Cy(PrintFont::Small, lowText);
    std::vector<std::pair<int32_t, int32_t>> taken = {
        {lowTop, lowTop + Cy(PrintFont::Small, lowText)},
        {top - Cy(PrintFont::Small, highText) / 2,
         top - Cy(PrintFont::Small, highText) / 2 + Cy(PrintFont::Small, highText)}};
    auto decadeLabel = [&](double v, int32_t at) {
        const WideString text = label(v);
        const int32_t h = Cy(PrintFont::Small, text);
        const std::pair<int32_t, int32_t> rows{at - h / 2, at - h / 2 + h};
        for (const auto& t : taken)
            if (rows.first < t.second && t.first < rows.second)
                return;
        taken.push_back(rows);
        TextRightMiddle(PrintFont::Small, text, labelRight, at);
    };
    int32_t y = 0;

    // Positive decades.
    double d = 1.0;
    for (int32_t n = 0; n < 40; ++n) {
        if (ValueToY(g, d, y) && y <= bottom) {
            Line(decadePen, left, y, right, y);
            decadeLabel(d, y);
        }
        if (s.AmplitudeAxisMinorGrid == 1)
            for (int32_t m = 2; m <= 9 && m * d < aMax; ++m)
                if (ValueToY(g, m * d, y) && y <= bottom)
                    Line(PrintPen::GridPen6, left, y, right, y);
        if (!(10.0 * d < aMax))
            break;
        d *= 10.0;
    }
    if (aMin <= 0.0) {
        y = SaturatePixel((g.LogAmplitudeMax + 0.05) * g.PixelsPerAmplitudeDecade + top);
        Line(profile ? PrintPen::GridPen6 : PrintPen::GridPen12, left, y, right, y);
    }
    if (aMin <= -1.0) {
        d = -1.0;
        for (int32_t n = 0; n < 40; ++n) {
            if (ValueToY(g, d, y) && y <= bottom) {
                Line(negativePen, left, y, right, y);
                decadeLabel(d, y);
            }
            if (s.AmplitudeAxisMinorGrid == 1)
                for (int32_t m = 2; m <= 9 && m * d > 10.0 * d && m * d > aMin; ++m)
                    if (ValueToY(g, m * d, y) && y <= bottom)
                        Line(PrintPen::GridPen6, left, y, right, y);
            if (!(10.0 * d >= aMin))
                break;
            d *= 10.0;
        }
    }
    if (profile) {
        Line(PrintPen::WideBlackPen, left, bottom, right, bottom);
        TextRightMiddle(PrintFont::Small, lowText, labelRight, bottom);
        Line(PrintPen::WideBlackPen, left, top, right, top);
        TextRightMiddle(PrintFont::Small, highText, labelRight, top);
        Line(PrintPen::WideBlackPen, left, top, left, bottom);
        Line(PrintPen::WideBlackPen, right, top, right, bottom);
        return;
    }
    Text(PrintFont::Small, lowText, left - 2 * d0_ - Cx(PrintFont::Small, lowText), lowTop);
    TextRightMiddle(PrintFont::Small, highText, left - d0_, top);
    PrintOp outline;
    outline.Kind = PrintOpKind::Polyline;
    outline.Pen = PrintPen::WideBlackPen;
    outline.Points = {{left, top}, {left, bottom}, {right, bottom}, {right, top}, {left, top}};
    page.Ops.push_back(outline);
}

bool PageBuilder::AverageFrame()
{
    const auto& slots = in_.Decay.Slots;
    int32_t occupied = 0;
    bool thirty = false;
    for (int32_t i = 0; i < AverageSlotCount; ++i)
        if (slots[i].Count > 0) {
            ++occupied;
            thirty = thirty || i >= 7;
        }
    page.SingleAverageSlot = occupied == 1 ? 1 : 0;
    if (occupied == 0)
        return false;
    averageGateSet_ = thirty ? 1 : 0;
    // The gate-label axis and gate lines of the frame: the last slot of the frame's gate set.
    const PrintAverageSlot* axis = nullptr;
    for (int32_t i = 0; i < AverageSlotCount; ++i)
        if (slots[i].Count > 0 && (i >= 7) == thirty)
            axis = &slots[i];
    Scale(axis->TimeAxisLow, axis->TimeAxisHigh);
    DecayFrame(axis->CentresMs.data(), thirty ? 30 : 20);
    return true;
}

void PageBuilder::AverageCurves(int32_t entry)
{
    const auto& slots = in_.Decay.Slots;
    for (int32_t i = 0; i < AverageSlotCount; ++i) {
        if (slots[i].Count <= 0)
            continue;
        const int32_t gates = i < 7 ? 20 : 30;
        DecayCurve(entry, slots[i].CentresMs.data(), slots[i].Values.data(), gates);
        tableValues_ = slots[i].Values.data();
        tableGateCount_ = gates;
    }
}

void PageBuilder::DecayView()
{
    const PrintDecaySource& src = in_.Decay;
    const PrintReading& sel = src.Selected;
    const int32_t finalDecay = 102, intermediate = 101;
    switch (in_.ProcessingChoice) {
    case 0:  // "Single"
        Scale(sel.TimeAxisLow, sel.TimeAxisHigh);
        DecayFrame(sel.CentresMs.data(), sel.GateCount);
        if (sel.Tag != -1)
            DecayCurve(finalDecay, sel.CentresMs.data(), sel.Values.data(), sel.GateCount);
        break;
    case 1: {  // "Selected"
        GateAxisSpan axis{sel.TimeAxisLow, sel.TimeAxisHigh, sel.GateCount, sel.CentresMs.data()};
        if (in_.Scale.TimeAxisLabels == 1) {
            // The gate axis covers every reading of the station, as on the screen.
            std::vector<GateAxisSpan> spans;
            for (const PrintReading& r : src.Station)
                spans.push_back({r.TimeAxisLow, r.TimeAxisHigh, r.GateCount, r.CentresMs.data()});
            WidenGateAxis(spans, axis);
        }
        Scale(axis.LowMs, axis.HighMs);
        DecayFrame(axis.CentresMs, axis.GateCount);
        for (size_t i = 0; i < src.Station.size(); ++i) {
            const PrintReading& r = src.Station[i];
            if (r.Tag == 1)
                DecayCurve(static_cast<int32_t>(i) == src.SelectedIndex ? finalDecay : intermediate, r.CentresMs.data(),
                           r.Values.data(), r.GateCount);
        }
        break;
    }
    case 2:  // "Average"
        if (AverageFrame())
            AverageCurves(finalDecay);
        break;
    case 3:  // "Avg.+All"
        if (AverageFrame()) {
            for (const PrintReading& r : src.Station)
                if (r.Tag != -1 && r.GateSet != 2)
                    DecayCurve(intermediate, r.CentresMs.data(), r.Values.data(), r.GateCount);
            AverageCurves(finalDecay);
        }
        break;
    default:
        break;
    }
}

void PageBuilder::ProfileView()
{
    const PrintProfileSource& p = in_.Profile;
    const PrintRect& box = page.PlotBox;
    const int32_t dx = InchX(caps_, 0.025);
    const int32_t dy = InchY(caps_, 0.025);
    Scale(1.0, 10.0);
    CurvePlotGeometryValues& g = page.Geometry;
    const int32_t profileLeft = box.Left + 6 * dx;
    const int32_t profileRight = box.Right - 6 * dx;
    const size_t n = std::min(p.Stations.size(), p.Values.size());

    double sMin = 0.0, sMax = 0.0;
    bool anyStation = false;
    for (size_t i = 0; i < n; ++i) {
        const double s = p.Stations[i];
        if (!std::isfinite(s))
            continue;
        if (!anyStation) {
            sMin = sMax = s;
            anyStation = true;
        }
        sMin = std::min(sMin, s);
        sMax = std::max(sMax, s);
    }
    // One station, or all at one value, has no span: it stands in the middle of the profile.
    const double span = sMax - sMin;
    const double perStation = span > 0.0 ? (profileRight - profileLeft) / span : 0.0;
    const int32_t middle = profileLeft + (profileRight - profileLeft) / 2;
    auto xs = [&](double s, int32_t& x) {
        if (!std::isfinite(s))
            return false;
        x = span > 0.0 ? SaturatePixel((s - sMin) * perStation + profileLeft) : middle;
        return true;
    };

    int32_t x = 0;
    for (size_t i = 0; i < n; ++i)
        if (xs(p.Stations[i], x))
            Line(PrintPen::GridPen6, x, g.PlotBottom, x, g.PlotTop);
    AmplitudeDecades(true);
    TextCentred(PrintFont::Large, VLOX_WIDE("Stations"), box.Left + (box.Right - box.Left) / 2,
                box.Bottom + InchY(caps_, 0.225));
    if (anyStation) {
        const double t = PrintStationTickStep(span);
        auto tick = [&](double v) {
            if (!xs(v, x))
                return;
            TextCentred(PrintFont::Small, Wide(FormatText("%d", SaturatePixel(v))), x, g.PlotBottom + 2 * dy);
            Line(PrintPen::WideBlackPen, x, g.PlotBottom, x, g.PlotBottom + 4);
        };
        if (t > 0.0) {
            const double start = (std::trunc(sMin / t) - 1.0) * t;
            for (int32_t k = 1; k <= 15; ++k) {
                const double v = start + k * t;
                if (v < sMin)
                    continue;
                if (v > sMax)
                    break;
                tick(v);
            }
        } else {
            tick(sMin);
        }
    }
    const WideString unit = Wide(DisplayUnitCaption(in_.Scale.DisplayUnit));
    Text(PrintFont::Large, unit, box.Left - Cx(PrintFont::Large, unit), box.Top - InchX(caps_, 0.225));

    const int32_t gates = std::clamp(p.GateCount, 0, MaxGateCount);
    for (int32_t gate = 0; gate < gates; ++gate) {
        std::vector<PlotPoint> points;
        for (size_t i = 0; i < n; ++i) {
            int32_t px = 0, py = 0;
            if (xs(p.Stations[i], px) && ValueToY(g, p.Values[i][gate], py))
                points.push_back({px, py});
        }
        Curve(PrintPen::Curve, gate, std::move(points));
    }
}

void PageBuilder::GateTable(PrintRect frame, int32_t h, int32_t leftmost)
{
    const PrintHeaderInfo& hd = in_.Header;
    const int32_t p = InchX(caps_, 0.1);

    // The body's rows: only for a reading that is shown, or for one average.
    const auto& tags = in_.Decay;
    const bool body = tags.Selected.Tag != -1 && !(in_.ProcessingChoice == 1 && tags.Selected.Tag == 0) &&
                      !((in_.ProcessingChoice == 2 || in_.ProcessingChoice == 3) && page.SingleAverageSlot == 0) &&
                      tableValues_ != nullptr;
    const int32_t count = std::clamp(tableGateCount_, 0, MaxGateCount);
    std::vector<int32_t> shown;  // gate indexes in table order
    int32_t rows = 0;
    const int32_t gateSet = (in_.ReviewMode == 0 && in_.ProcessingChoice >= 2) ? averageGateSet_ : hd.GateSet;
    if (body) {
        for (int32_t i = 0; i < count; ++i)
            if (gateSet != 2 || hd.NumbersGateVisible[i] == 1)
                shown.push_back(i);
        rows = gateSet == 2 ? std::min<int32_t>((static_cast<int32_t>(shown.size()) + 1) / 2, 20) : (count + 1) / 2;
    }
    // The texts, values without the blanks of their format: a blank drawn over a gate
    // number's place would paint it out.
    std::vector<WideString> numbers, values;
    int32_t numberWidth = Cx(PrintFont::Small, VLOX_WIDE("20"));
    int32_t valueWidth = 0;
    for (int32_t gi : shown) {
        numbers.push_back(Wide(FormatText("%2d", gi + 1)));
        values.push_back(Wide(TrimBlanks(FormatText("%13.2f", tableValues_[gi]))));
        numberWidth = std::max(numberWidth, Cx(PrintFont::Small, numbers.back()));
        valueWidth = std::max(valueWidth, Cx(PrintFont::Small, values.back()));
    }
    // A half of the table holds a gate number and its value with 0.05 inch between them.
    // Where its positions leave less, the table grows to the left as far as leftmost.
    const int32_t need = 2 * p + numberWidth + p / 2 + valueWidth + SaturatePixel(1.5 * p);
    if ((frame.Right - frame.Left) / 2 < need)
        frame.Left = std::max(std::min(frame.Left, leftmost), frame.Right - 2 * need);

    Rectangle(PrintPen::WideBlackPen, frame);
    const int32_t w = frame.Right - frame.Left;
    const int32_t height = frame.Bottom - frame.Top;
    const int32_t headY = frame.Top + h / 2;
    const WideString gate = VLOX_WIDE("Gate");
    static const char* const captions[3] = {"Bz", "Bx", "By"};
    const WideString caption = Wide(hd.Component >= 0 && hd.Component < 3 ? captions[hd.Component] : "");
    const int32_t gateCx = Cx(PrintFont::Large, gate);
    for (int32_t column = 0; column < 2; ++column) {
        const int32_t gx = frame.Left + p + column * (w / 2);
        Text(PrintFont::Large, gate, gx, headY);
        Text(PrintFont::Large, caption, gx + gateCx + p + 3 * p, headY);
    }
    if (rows == 0)
        return;
    const int32_t rowHeight = gateSet == 2 ? SaturatePixel((height - 1.5 * h) / rows) : (height - 2 * h) / rows;
    const int32_t n = Cx(PrintFont::Small, VLOX_WIDE("20"));
    int32_t rowY = headY + rowHeight / 4;
    for (int32_t r = 0; r < rows; ++r) {
        rowY += rowHeight;
        for (int32_t column = 0; column < 2; ++column) {
            const size_t k = static_cast<size_t>(r) + static_cast<size_t>(column) * static_cast<size_t>(rows);
            if (k >= shown.size())
                continue;
            const int32_t numberRight = frame.Left + p + column * (w / 2) + n + p;
            const int32_t columnRight = column == 0 ? frame.Left + w / 2 : frame.Right;
            // The value keeps its place unless it would come within p / 2 of the number.
            const int32_t valueCx = Cx(PrintFont::Small, values[k]);
            const int32_t valueRight = std::min(
                std::max(columnRight - SaturatePixel(1.5 * p), numberRight + p / 2 + valueCx), columnRight - p / 2);
            Text(PrintFont::Small, numbers[k], numberRight - Cx(PrintFont::Small, numbers[k]), rowY);
            Text(PrintFont::Small, values[k], valueRight - valueCx, rowY);
        }
    }
}

void PageBuilder::HeaderBlock()
{
    const PrintRect& box = page.PlotBox;
    const bool portrait = PrintPageIsPortrait(caps_);
    const int32_t h = InchY(caps_, 0.175);
    const PrintFont f = PrintFont::Large;

    if (in_.ReviewMode == 0) {
        const WideString axis = in_.Scale.TimeAxisLabels == 0 ? VLOX_WIDE("Time [ms]") : VLOX_WIDE("Gates");
        TextCentred(f, axis, box.Left + (box.Right - box.Left) / 2, box.Bottom + InchY(caps_, 0.225));
        const WideString unit = Wide(DisplayUnitCaption(in_.Scale.DisplayUnit));
        Text(f, unit, box.Left - Cx(f, unit), box.Top - InchX(caps_, 0.225));
    }

    const WideString title = VLOX_WIDE("Tarnwel V-LOX");
    const int32_t titleRight = caps_.HorzRes + caps_.OffsetX - InchX(caps_, 0.65);
    const int32_t titleBottom = caps_.VertRes + caps_.OffsetY - InchY(caps_, 0.55);
    const int32_t titleTop = titleBottom - Cy(f, title);
    Text(f, title, titleRight - Cx(f, title), titleTop);

    int32_t x = portrait ? box.Left - InchX(caps_, 0.5) : box.Right + InchX(caps_, 0.25);
    int32_t y = portrait ? box.Bottom + 4 * h : box.Top;
    const std::vector<WideString> lines = PrintHeaderTexts(in_.Header);
    const PrintHeaderInfo& hd = in_.Header;
    const int32_t p = InchX(caps_, 0.1);
    // Where each line is drawn and how far right it reaches: lines 2 and 4 in two parts, the
    // second starting where the first ends; 6 and 7 indented.
    auto firstPart = [&](int32_t number) {
        return number == 2 ? Wide("Date: " + hd.DateText) : Wide(FormatText("Stn: %-11.2f", hd.StationNumber));
    };
    auto indent = [&](int32_t number) { return number == 6 || number == 7 ? InchX(caps_, 0.2) : 0; };
    auto lineWidth = [&](size_t i) {
        const int32_t number = static_cast<int32_t>(i) + 1;
        return indent(number) + Cx(f, lines[i]);
    };
    // On a portrait page the second column starts no nearer than an inch-tenth right of the
    // first column's longest line, and the table no nearer than that to the second's.
    int32_t firstColumnRight = x, secondColumnRight = x;
    for (size_t i = 0; i < lines.size(); ++i) {
        int32_t& right = i < 11 ? firstColumnRight : secondColumnRight;
        right = std::max(right, x + lineWidth(i));
    }
    const int32_t secondX = std::max(box.Left + (box.Right - box.Left) / 3 - InchX(caps_, 0.25), firstColumnRight + p);
    int32_t tableLeftmost = secondX + (secondColumnRight - x) + p;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int32_t number = static_cast<int32_t>(i) + 1;
        if (number == 2 || number == 4) {
            const WideString first = firstPart(number);
            Text(f, first, x, y);
            Text(f, lines[i].substr(first.size()), x + Cx(f, first), y);
        } else {
            Text(f, lines[i], x + indent(number), y);
        }
        if (number == 7) {
            y += SaturatePixel(1.5 * h);
        } else if (number == 11) {
            if (portrait) {
                x = secondX;
                y = box.Bottom + 4 * h;
            } else {
                y += SaturatePixel(1.5 * h);
            }
        } else if (number != 23) {
            y += h;
        }
    }

    PrintRect table;
    table.Right = caps_.HorzRes + caps_.OffsetX - InchX(caps_, 0.75);
    if (portrait) {
        table.Left = box.Left + 2 * (box.Right - box.Left) / 3 - InchX(caps_, 0.25);
        table.Top = box.Bottom + 2 * h;
        table.Bottom = titleTop;
    } else {
        table.Left = x;
        table.Top = y + 2 * h;
        table.Bottom = box.Bottom;
        // Beside the plot box the table keeps the header's left edge.
        tableLeftmost = x;
    }
    // A second column reaching into the table's place pushes the table's left edge.
    table.Left = std::max(table.Left, std::min(tableLeftmost, table.Right));
    GateTable(table, h, tableLeftmost);
}

}  // namespace

std::vector<WideString> PrintHeaderTexts(const PrintHeaderInfo& h)
{
    std::vector<WideString> t;
    t.push_back(VLOX_WIDE("File: ") + h.FileTitle);
    t.push_back(Wide("Date: " + h.DateText + "  Time: " + h.TimeText));
    t.push_back(Wide(FormatText("Line: %-11.2f", h.LineNumber)));
    t.push_back(Wide(FormatText("Stn: %-11.2f  Rcd: %-6d", h.StationNumber, h.RecordNumber)));
    t.push_back(VLOX_WIDE("GPS Position: Not available"));
    t.push_back(VLOX_WIDE("LAT: Not available"));
    t.push_back(VLOX_WIDE("LON: Not available"));
    t.push_back(Wide(TrimBlanks("Tx Loop: " + TrimBlanks(FormatText("%.2f", h.LoopSideX)) + " x " +
                                FormatText("%-.2f", h.LoopSideY) + " m")));
    t.push_back(WideString(VLOX_WIDE("Tx Type: ")) +
                NameOf(TransmitterTypeNames, TransmitterTypeCount, h.TransmitterType));
    t.push_back(Wide(FormatText("Tx Current: %-7.2f A", h.TxCurrent)));
    t.push_back(Wide(FormatText("Turn Off Time: %-7.2f us", h.TurnOffTimeUs)));
    t.push_back(Wide(FormatText("Repetition Rate: %7.2f Hz", h.RepetitionRate)));
    t.push_back(WideString(VLOX_WIDE("Coil Type: ")) + NameOf(CoilTypeNames, CoilTypeCount, h.CoilType));
    t.push_back(Wide("No of Records:" + TrimBlanks(FormatText("%3d", h.RecordCount))));
    t.push_back(Wide(std::string("Processing: ") + (h.Processing == 1 ? "Pruning" : "Standard")));
    t.push_back(Wide(std::string("Averaging: ") + AveragingName(h.AveragingIndex)));
    t.push_back(Wide(std::string("Component: ") + ComponentName(h.Component)));
    t.push_back(Wide(FormatText("Gain: %-4d", GainOfComponent(h) + 1)));
    t.push_back(Wide(FormatText("Gates: %-4d", h.GateCount)));
    t.push_back(Wide(h.OnTimeFlag == 0 ? std::string("RX Delay:  0.00 us")
                                       : FormatText("RX Delay: %-7.2f us", h.ReceiverDelayUs)));
    t.push_back(Wide(h.MainsFlag == 0 ? "Power Line: 50 Hz" : "Power Line: 60 Hz"));
    t.push_back(VLOX_WIDE("Operator: ") + h.OperatorName);
    t.push_back(Wide(FormatText("Gate 0: %-9.2f [nV/m2]", h.EarlyWindowValue)));
    return t;
}

PrintPageLayout LayOutPrintPage(const PrintPageInputs& in, PrintTextMeasure& measure)
{
    PageBuilder b(in, measure);
    b.Frames();
    if (in.ReviewMode == 0)
        b.DecayView();
    else if (in.ReviewMode == 1)
        b.ProfileView();
    b.HeaderBlock();
    return b.page;
}
