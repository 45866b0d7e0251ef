#include "vlox/display/measure_windows_win.h"
#include "vlox/display/plot_text_win.h"

#include "qzdaapi32/qzdaapi32.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"
#include "vlox/display/curve_plot.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/display/numbers_layout.h"
#include "vlox/display/profile_pens_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/measure/measure_cycle_win.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/review_state.h"

#include <string>
#include <vector>

int32_t CurveBackgroundSaved = 0;
CurveBackBufferSet CurveBackBuffers;

namespace {

}  // namespace

HPEN CurvePen(int32_t penIndex)
{
    if (penIndex < 0 || penIndex >= CurveCount)
        penIndex = FinalDecayPen;
    // The pens of the line attributes, made at start and re-made when the attributes change.
    if (ProfilePens[penIndex] == nullptr)
        CreateProfilePens(0);
    return ProfilePens[penIndex];
}

namespace {

HPEN AxisPenFor(AxisPen pen)
{
    switch (pen) {
    case AxisPen::Grid:
        return DrawingObjects.GridPen;
    case AxisPen::Decade:
        return DrawingObjects.DecadePen;
    default:
        return DrawingObjects.BlackPen;
    }
}

void FillArea(HDC dc, const NumbersRect& r, HBRUSH brush)
{
    RECT rect{r.Left, r.Top, r.Right, r.Bottom};
    FillRect(dc, &rect, brush);
}

LRESULT CALLBACK OnMeasureCreate(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CALLBACK OnMeasurePaint(HWND, UINT, WPARAM, LPARAM)
{
    if (hWndNumbers != nullptr) {
        PaintDc paint(hWndNumbers);
        if (ReviewMode == -1)
            DrawNumbersHeader(paint.get(), GateCount, Settings.SelectedComponent, ComponentCount);
        else
            PaintReviewPlots(paint.get());
    }
    if (hWndCurve != nullptr) {
        PaintDc paint(hWndCurve);
        // The review plots draw their own frames (of the reviewed reading's time axis).
        if (ReviewMode == -1)
            DrawCurveAxes(paint.get());
    }
    if (hWndBar != nullptr) {
        PaintDc paint(hWndBar);
    }
    return 0;
}

const MessageEntry MeasureMessageTable[] = {
    {WM_CREATE, OnMeasureCreate},
    {WM_PAINT, OnMeasurePaint},
    {QZMSG_BUFFER_DONE, OnBufferDone},
};

}  // namespace

LRESULT CALLBACK MeasureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MakeMessageTable(MeasureMessageTable), window, message, wParam, lParam);
}

void ComputeCurveScale()
{
    ComputeCurveScaleFor(Settings.RepRateIndex, Settings.GateSet);
}

void ComputeCurveScaleFor(int32_t repRateIndex, int32_t gateSet)
{
    const int32_t rate = repRateIndex >= 0 && repRateIndex < RepRateCount ? repRateIndex : 0;
    const int32_t set = gateSet >= 0 && gateSet < 3 ? gateSet : 0;
    ComputeCurveScaleForAxis(TimeAxisLow[rate][set], TimeAxisHigh[rate][set]);
}

void ComputeCurveScaleForAxis(double gateAxisLowMs, double gateAxisHighMs)
{
    CurveScaleInputs in;
    in.PaneWidth = CurvePaneRect.width;
    in.PaneHeight = CurvePaneRect.height;
    in.AmplitudeMin = Settings.AmplitudeAxisMin;
    in.AmplitudeMax = Settings.AmplitudeAxisMax;
    in.StationsPerProfileWindow = StationsPerProfileWindow;
    if (Settings.TimeAxisLabels == 0) {
        in.TimeMinMs = Settings.TimeAxisMinMs;
        in.TimeMaxMs = Settings.TimeAxisMaxMs;
    } else {
        in.TimeMinMs = gateAxisLowMs;
        in.TimeMaxMs = gateAxisHighMs;
    }
    CurvePlotGeometry = ComputeCurveScaleFrom(in);
    double tMin = in.TimeMinMs, tMax = in.TimeMaxMs, aMin = in.AmplitudeMin, aMax = in.AmplitudeMax;
    MapScaleLimits(tMin, tMax, aMin, aMax);
    NoteAmplitudeBottom(aMin, AmplitudeBottomDecadeBase);
}

void CreateBackBuffers()
{
    if (CurveBackBuffers.PlotDc != nullptr || hWndCurve == nullptr)
        return;
    WindowDc dc(hWndCurve);
    if (!dc)
        return;
    CurveBackBuffers.PlotDc = CreateCompatibleDC(dc.get());
    CurveBackBuffers.PlotBitmap = CreateCompatibleBitmap(dc.get(), CurvePaneRect.width + 1, CurvePaneRect.height + 1);
    CurveBackBuffers.ColumnDc = CreateCompatibleDC(dc.get());
    CurveBackBuffers.ColumnBitmap = CreateCompatibleBitmap(dc.get(), 1, CurvePaneRect.height);
    // Selected for the life of the program: the buffers are never deleted.
    if (CurveBackBuffers.PlotDc != nullptr && CurveBackBuffers.PlotBitmap != nullptr)
        SelectObject(CurveBackBuffers.PlotDc, CurveBackBuffers.PlotBitmap);
    if (CurveBackBuffers.ColumnDc != nullptr && CurveBackBuffers.ColumnBitmap != nullptr)
        SelectObject(CurveBackBuffers.ColumnDc, CurveBackBuffers.ColumnBitmap);
}

void ClearDisplayArea(int32_t area)
{
    HWND window = nullptr;
    std::vector<RECT> rects;
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (area == 0) {
        window = hWndCurve;
        rects.push_back({0, 0, CurvePaneRect.width, CurvePaneRect.height});
    } else if (area == 1) {
        window = hWndMap;
        rects.push_back({0, 0, MapPaneSize, MapPaneSize});
    } else if (area == 2) {
        window = hWndNumbers;
        brush = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
        for (const NumbersRect& a : NumbersClearAreas(NumbersLayout, ReviewMode != -1))
            rects.push_back({a.Left, a.Top, a.Right, a.Bottom});
    }
    if (window == nullptr)
        return;
    WindowDc dc(window);
    if (!dc)
        return;
    for (const RECT& r : rects)
        FillRect(dc.get(), &r, brush);
}

void ClearProgressBar()
{
    if (hWndBar == nullptr)
        return;
    WindowDc dc(hWndBar);
    if (!dc)
        return;
    RECT r{};
    GetClientRect(hWndBar, &r);
    FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

void DrawProgressBar(double fraction)
{
    if (hWndBar == nullptr)
        return;
    WindowDc dc(hWndBar);
    if (!dc)
        return;
    RECT r{};
    GetClientRect(hWndBar, &r);
    SelectGuard pen(dc.get(), DrawingObjects.GreenPen);
    SelectGuard brush(dc.get(), DrawingObjects.GreenBrush);
    Rectangle(dc.get(), r.left, ProgressBarTop(r.top, r.bottom, fraction), r.right, r.bottom);
}

void DrawCurveAxes(HDC dc)
{
    const int32_t rate = Settings.RepRateIndex >= 0 && Settings.RepRateIndex < RepRateCount ? Settings.RepRateIndex : 0;
    DrawCurveAxesWith(dc, GateCentres[rate], GateCount);
}

void DrawCurveAxesWith(HDC dc, const double* gateCentresMs, int32_t gateCount)
{
    if (dc == nullptr)
        return;
    SelectGuard font(dc, hFontNormal);
    DcTextMeasure measure(dc);
    CurveAxesInputs in;
    in.PaneWidth = CurvePaneRect.width;
    in.TimeMinMs = Settings.TimeAxisMinMs;
    in.TimeMaxMs = Settings.TimeAxisMaxMs;
    in.AmplitudeMin = Settings.AmplitudeAxisMin;
    in.AmplitudeMax = Settings.AmplitudeAxisMax;
    in.TimeAxisLabels = Settings.TimeAxisLabels;
    in.TimeAxisMinorGrid = Settings.TimeAxisMinorGrid;
    in.AmplitudeAxisMinorGrid = Settings.AmplitudeAxisMinorGrid;
    in.DisplayUnit = Settings.DisplayUnit;
    in.GateCentresMs = gateCentresMs;
    in.GateCount = gateCount;
    const CurveAxesLayout layout = LayOutCurveAxes(CurvePlotGeometry, in, measure);
    for (const AxisLine& line : layout.Lines) {
        SelectGuard pen(dc, AxisPenFor(line.Pen));
        MoveToEx(dc, line.X1, line.Y1, nullptr);
        LineTo(dc, line.X2, line.Y2);
    }
    for (const AxisLabel& label : layout.Labels)
        DrawNarrowText(dc, label.X, label.Y, label.Text);
}

void RestoreCurveFrame(HWND window)
{
    if (window == nullptr || CurveBackBuffers.PlotDc == nullptr || CurveBackgroundSaved == 0)
        return;
    WindowDc dc(window);
    if (dc)
        BitBlt(dc.get(), 0, 0, CurvePaneRect.width + 1, CurvePaneRect.height + 1, CurveBackBuffers.PlotDc, 0, 0,
               SRCCOPY);
}

void DrawDecayCurve(HWND window, int32_t penIndex, int32_t drawFrame)
{
    if (window == nullptr)
        return;
    WindowDc dc(window);
    if (!dc)
        return;
    const int32_t w = CurvePaneRect.width + 1;
    const int32_t h = CurvePaneRect.height + 1;
    if (CurveBackgroundSaved == 0) {
        if (drawFrame == 1) {
            RECT r{0, 0, CurvePaneRect.width, CurvePaneRect.height};
            FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            DrawCurveAxes(dc.get());
        }
        if (CurveBackBuffers.PlotDc != nullptr) {
            BitBlt(CurveBackBuffers.PlotDc, 0, 0, w, h, dc.get(), 0, 0, SRCCOPY);
            CurveBackgroundSaved = 1;
        }
    }
    const int32_t rate = Settings.RepRateIndex >= 0 && Settings.RepRateIndex < RepRateCount ? Settings.RepRateIndex : 0;
    const std::vector<PlotPoint> points =
        DecayCurvePoints(CurvePlotGeometry, GateCentres[rate], DisplayValues, GateCount);
    // The curve's pen of the attributes; its own only before the pens are made.
    SelectGuard pen(dc.get(), CurvePen(penIndex));
    if ((RecordIndex == 0 || Settings.SurveyMode == 1) && CurveBackgroundSaved == 1)
        BitBlt(dc.get(), 0, 0, w, h, CurveBackBuffers.PlotDc, 0, 0, SRCCOPY);
    if (points.size() >= 2) {
        std::vector<POINT> poly(points.size());
        for (size_t i = 0; i < points.size(); ++i)
            poly[i] = POINT{points[i].X, points[i].Y};
        PlotBoxClip clip(dc.get(), CurvePlotGeometry);
        Polyline(dc.get(), poly.data(), static_cast<int>(poly.size()));
    }
}

void DrawNumbersHeader(HDC dc, int32_t gateCount, int32_t component, int32_t componentCount)
{
    if (dc == nullptr)
        return;
    NumbersLayout = ComputeNumbersLayout(NumbersPaneRect.width, NumbersPaneRect.height, gateCount, componentCount);
    const NumbersLayoutValues& l = NumbersLayout;
    HBRUSH grey = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    FillArea(dc, l.GateNumberArea, grey);
    FillArea(dc, l.HeaderRect, grey);
    SelectGuard font(dc, hFontNormal);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));
    DcTextMeasure measure(dc);
    int32_t w = 0, h = 0;
    measure.Measure("G", w, h);
    DrawNarrowText(dc, (16 - w) / 2, 2, "G");
    const std::vector<std::string> headings = ColumnHeadings(component, componentCount);
    for (size_t c = 0; c < headings.size(); ++c) {
        measure.Measure(headings[c], w, h);
        DrawNarrowText(dc, 16 + static_cast<int32_t>(c) * l.ColumnWidth + (l.ColumnWidth - w) / 2, 2, headings[c]);
    }
    DrawNarrowText(dc, 2, 18, " 0");
    HRGN clip =
        CreateRectRgn(l.GateNumberArea.Left, l.GateNumberArea.Top, l.GateNumberArea.Right, l.GateNumberArea.Bottom);
    SelectClipRgn(dc, clip);
    const std::vector<int32_t> gates = ListedGates(gateCount, Settings.NumbersGateVisible.data(), MaxGateCount);
    char text[16];
    for (size_t r = 0; r < gates.size(); ++r) {
        std::snprintf(text, sizeof text, "%2d", gates[r] + 1);
        DrawNarrowText(dc, 2, NumberRowY(l, static_cast<int32_t>(r)), text);
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
}

void DrawNumbersColumn(HWND window, int32_t gateCount, const double* values)
{
    DrawNumbersColumnWith(window, gateCount, values, EarlyWindowValue, true);
}

void DrawNumbersColumnWith(HWND window, int32_t gateCount, const double* values, double earlyWindowValue,
                           bool showValues, bool showEarly)
{
    if (window == nullptr || values == nullptr)
        return;
    WindowDc dc(window);
    if (!dc)
        return;
    const NumbersLayoutValues& l = NumbersLayout;
    HBRUSH grey = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    FillArea(dc.get(), l.ValueArea, grey);
    FillArea(dc.get(), l.RowZeroValueRect, grey);
    SelectGuard font(dc.get(), hFontNormal);
    SetBkMode(dc.get(), TRANSPARENT);
    DcTextMeasure measure(dc.get());
    int32_t w = 0, h = 0;

    SetTextColor(dc.get(), RGB(0, 0, 255));
    HRGN clip = CreateRectRgn(l.RowZeroValueRect.Left, l.RowZeroValueRect.Top, l.RowZeroValueRect.Right,
                              l.RowZeroValueRect.Bottom);
    SelectClipRgn(dc.get(), clip);
    std::string text = GateValueText(earlyWindowValue);
    measure.Measure(text, w, h);
    if (showEarly)
        DrawNarrowText(dc.get(), ValueTextX(l, w), l.RowZeroValueRect.Top, text);
    DeleteObject(clip);

    SetTextColor(dc.get(), RGB(0, 0, 0));
    clip = CreateRectRgn(l.ValueArea.Left, l.ValueArea.Top, l.ValueArea.Right, l.ValueArea.Bottom);
    SelectClipRgn(dc.get(), clip);
    const std::vector<int32_t> gates = ListedGates(gateCount, Settings.NumbersGateVisible.data(), MaxGateCount);
    for (size_t r = 0; showValues && r < gates.size(); ++r) {
        text = GateValueText(values[gates[r]]);
        measure.Measure(text, w, h);
        DrawNarrowText(dc.get(), ValueTextX(l, w), NumberRowY(l, static_cast<int32_t>(r)), text);
    }
    SelectClipRgn(dc.get(), nullptr);
    DeleteObject(clip);
}
