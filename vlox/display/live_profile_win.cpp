// The live profile strip: one column per automatically stored reading, scrolled in from the
// right, and its rebuild from the data file.
#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/display/curve_plot.h"
#include "vlox/display/live_strip.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/plot_text_win.h"
#include "vlox/display/review_plot.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::vector<int32_t> DecadeRows, MinorRows, FrameRows;
// The strip's columns and per-gate previous points: written by its drawing and by
// RestartProfileStrip only.
LiveStripState Strip;

HPEN PenOf(AxisPen pen)
{
    return pen == AxisPen::Grid ? DrawingObjects.GridPen
                                : (pen == AxisPen::Decade ? DrawingObjects.DecadePen : DrawingObjects.BlackPen);
}

void Line(HDC dc, HPEN pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    SelectGuard guard(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// A numbered station tick at x.
void StationTickAt(HDC dc, int32_t x, double station)
{
    const CurvePlotGeometryValues& g = CurvePlotGeometry;
    Line(dc, DrawingObjects.DecadePen, x, g.PlotBottom, x, g.PlotTop);
    char text[32];
    std::snprintf(text, sizeof text, "%d", SaturatePixel(station));
    SelectGuard font(dc, hFontNormal);
    SetBkMode(dc, TRANSPARENT);
    DrawNarrowText(dc, x - NarrowTextWidth(dc, text), g.PlotBottom + 5, text);
    Line(dc, DrawingObjects.BlackPen, x, g.PlotBottom, x, g.PlotBottom + 4);
}

void DrawFrameOn(HDC dc)
{
    DecadeRows.clear();
    MinorRows.clear();
    const CurvePlotGeometryValues& g = CurvePlotGeometry;
    CurveAxesInputs in;
    in.PaneWidth = CurvePaneRect.width;
    in.AmplitudeMin = Settings.AmplitudeAxisMin;
    in.AmplitudeMax = Settings.AmplitudeAxisMax;
    in.AmplitudeAxisMinorGrid = Settings.AmplitudeAxisMinorGrid;
    in.DisplayUnit = Settings.DisplayUnit;
    in.AmplitudeOnly = 1;
    in.UnitCaptionX = 10;
    SelectGuard font(dc, hFontNormal);
    SetBkMode(dc, TRANSPARENT);
    DcTextMeasure measure(dc);
    const CurveAxesLayout frame = LayOutCurveAxes(g, in, measure);
    for (const AxisLine& l : frame.Lines) {
        Line(dc, PenOf(l.Pen), l.X1, l.Y1, l.X2, l.Y2);
        if (l.Y1 != l.Y2 || l.Pen == AxisPen::Black)
            continue;
        (l.Pen == AxisPen::Decade ? DecadeRows : MinorRows).push_back(l.Y1);
    }
    FrameRows = {g.PlotBottom, g.PlotTop};
    for (const AxisLabel& label : frame.Labels)
        DrawNarrowText(dc, label.X, label.Y, label.Text);
}

// The gate lines of the strip, in their pens, inside the plot frame (a wide pen too).
void DrawMarks(HDC dc, const std::vector<StripMark>& marks)
{
    PlotBoxClip clip(dc, CurvePlotGeometry);
    for (const StripMark& m : marks) {
        if (m.Point) {
            SetPixel(dc, m.X2, m.Y2, static_cast<COLORREF>(Settings.LineColours[m.Gate]));
            continue;
        }
        SelectGuard pen(dc, CurvePen(m.Gate));
        MoveToEx(dc, m.X1, m.Y1, nullptr);
        LineTo(dc, m.X2, m.Y2);
    }
}

}  // namespace

const int32_t& ProfileDrawn = Strip.Drawn();

const LiveStripState& ProfileStrip()
{
    return Strip;
}

void RestartProfileStrip()
{
    Strip.Restart();
}

void ScaleProfileAxis()
{
    ComputeCurveScale();
}

void DrawLiveProfileFrame()
{
    if (hWndCurve == nullptr)
        return;
    WindowDc dc(hWndCurve);
    if (dc)
        DrawFrameOn(dc.get());
}

void ScrollProfile()
{
    if (hWndCurve == nullptr)
        return;
    WindowDc dc(hWndCurve);
    if (!dc)
        return;
    const CurvePlotGeometryValues& g = CurvePlotGeometry;
    const StripColumnDrawing column = Strip.AddColumn(g, DisplayValues, GateCount, Settings.ProfileGateVisible.data());
    const int32_t r = g.StripRight;
    const int32_t step = g.ColumnStep;
    BitBlt(dc.get(), g.StripLeft, g.StripTop, g.ScrollWidth, g.StripHeight, dc.get(), g.PlotLeft + 1 + step, g.StripTop,
           SRCCOPY);
    for (int32_t x = r - step + 1; x <= r; ++x)
        Line(dc.get(), DrawingObjects.WhitePen, x, 0, x, CurvePaneRect.height);
    for (int32_t y : DecadeRows)
        Line(dc.get(), DrawingObjects.DecadePen, r - step, y, r + 1, y);
    for (int32_t y : MinorRows)
        Line(dc.get(), DrawingObjects.GridPen, r - step, y, r + 1, y);
    for (int32_t y : FrameRows)
        Line(dc.get(), DrawingObjects.BlackPen, r - step, y, r + 1, y);
    if (column.Tick)
        StationTickAt(dc.get(), r, CurrentStation - Settings.StationIncrement);
    DrawMarks(dc.get(), column.Marks);
}

void RedrawProfileFromFile()
{
    StripWalk walk;
    {
        std::lock_guard<std::recursive_mutex> hold(DataFileLock);
        if (DataFile == INVALID_HANDLE_VALUE)
            return;
        const CurvePlotGeometryValues& g = CurvePlotGeometry;
        HandleFile f(DataFile);
        walk = WalkLineBackwards(f, g.StripRight, g.ColumnStep, g.StripLeft, -1, Settings.DisplayUnit, TxLoopArea);
    }
    // Drawn or not, the strip starts again from what the file holds.
    const int32_t* visible = Settings.ProfileGateVisible.data();
    if (!walk.Message.Text.empty()) {
        Strip.Rebuild(CurvePlotGeometry, {}, visible);
        MessageBoxW(nullptr, NarrowToWide(walk.Message.Text).c_str(), L"File Error", MB_OK | MB_TASKMODAL);
        return;
    }
    ClearDisplayArea(0);
    ScaleProfileAxis();
    const std::vector<StripMark> marks = Strip.Rebuild(CurvePlotGeometry, walk.Columns, visible);
    if (hWndCurve == nullptr)
        return;
    WindowDc dc(hWndCurve);
    if (!dc)
        return;
    DrawFrameOn(dc.get());
    for (const StripTickMark& t : walk.Ticks)
        StationTickAt(dc.get(), t.X, t.Station);
    DrawMarks(dc.get(), marks);
}
