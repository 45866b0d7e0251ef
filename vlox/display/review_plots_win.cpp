#include "vlox/display/review_plots_win.h"

#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/review_reader_win.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/curve_plot.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/plot_text_win.h"
#include "vlox/display/numbers_layout.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/display/review_plot.h"
#include "vlox/instruments/meter_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

HandleFile ReviewAccess(INVALID_HANDLE_VALUE);

void ComboText(HWND combo, int32_t index, const std::string& text)
{
    const WideString wide = NarrowToWide(text);
    SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str()));
}

void FillCombo(HWND combo, const std::vector<std::string>& texts, int32_t selection)
{
    if (combo == nullptr)
        return;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < texts.size(); ++i)
        ComboText(combo, static_cast<int32_t>(i), texts[i]);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

void FillStations(const double* values, int32_t count)
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < count; ++i)
        texts.push_back(StationListText(values[i]));
    FillCombo(hComboStation, texts, 0);
}

void FillRecords(const int32_t* numbers, const int32_t* tags, int32_t count)
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < count; ++i)
        texts.push_back(RecordListText(numbers[i], tags[i]));
    FillCombo(hComboRecord, texts, 0);
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

void DrawPolyline(HDC dc, const std::vector<PlotPoint>& points, HPEN pen)
{
    if (points.size() < 2)
        return;
    std::vector<POINT> poly(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        poly[i] = POINT{points[i].X, points[i].Y};
    SelectGuard guard(dc, pen);
    ::Polyline(dc, poly.data(), static_cast<int>(poly.size()));
}

// One decay curve of the review at the gate centres given.
void DrawReviewCurveAt(HDC dc, const double* centresMs, const double* values, int32_t gates, int32_t pen)
{
    PlotBoxClip clip(dc, CurvePlotGeometry);
    DrawPolyline(dc, DecayCurvePoints(CurvePlotGeometry, centresMs, values, gates), CurvePen(pen));
}

// The same at the review's centres of a rate.
void DrawReviewCurve(HDC dc, int32_t rate, const double* values, int32_t gates, int32_t pen)
{
    DrawReviewCurveAt(dc, ReviewGateCentres[Clamp(rate, 0, RepRateCount - 1)], values, gates, pen);
}

// The decay frame over a gate-label axis (with time labels the settings' axis).
void DrawReviewFrameOver(HDC dc, const GateAxisSpan& axis)
{
    ComputeCurveScaleForAxis(axis.LowMs, axis.HighMs);
    RECT r{0, 0, CurvePaneRect.width, CurvePaneRect.height};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawCurveAxesWith(dc, axis.CentresMs, axis.GateCount);
}

// The gate centres and gate-label axis of a standard set at a rate (the averages' slots), built
// apart: the review's tables belong to the reading shown.
struct StandardAxis {
    double CentresMs[MaxGateCount] = {};
    double LowMs = 0.0;
    double HighMs = 0.0;
};

StandardAxis StandardAxisOf(int32_t rate, int32_t gateSet)
{
    StandardAxis a;
    StandardGateTimes(Clamp(rate, 0, RepRateCount - 1), gateSet, a.CentresMs, a.LowMs, a.HighMs);
    return a;
}

// The numbers window's review column: gates values with the reading shown's component, early
// window and meter lines; the values are left out when shown is false, the early window when
// the reading shown could not be read (it has none).
void DrawReviewColumn(int32_t gates, const double* values, bool shown)
{
    if (hWndNumbers == nullptr)
        return;
    {
        WindowDc dc(hWndNumbers);
        if (!dc)
            return;
        DrawNumbersHeader(dc.get(), gates, ReviewReading.Component, ReviewReading.ComponentCount);
    }
    DrawNumbersColumnWith(hWndNumbers, gates, values, ReviewReading.EarlyWindowValue, shown, ReviewShownRead == 1);
    if (hWndMain != nullptr) {
        WindowDc dc(hWndMain);
        // A reading shown that could not be read has no meter values: the lines are left empty.
        DrawMeterReadings(dc.get(), ReviewShownRead == 1 ? ReviewReading.MeterState : 2, ReviewReading.MeterValues[0],
                          ReviewReading.MeterValues[1], ReviewReading.MeterDipole);
    }
}

// "Average" and "Avg.+All" from the station's averages and the readings the drawing read. No
// slot holding readings draws nothing.
void DrawAverages(HDC dc, bool withReadings)
{
    int32_t slots = 0;
    bool thirty = false;
    for (int32_t k = 0; k < ReviewSlotCount; ++k)
        if (StationSlotAverageCounts[k] > 0) {
            ++slots;
            thirty = thirty || k >= 7;
        }
    // One slot shows its averages in the numbers window; none or several show no column.
    if (slots != 1)
        ClearDisplayArea(2);
    if (slots == 0)
        return;
    const int32_t frameSet = thirty ? 1 : 0;
    const StandardAxis frame = StandardAxisOf(ReviewRate(), frameSet);
    DrawReviewFrameOver(dc, {frame.LowMs, frame.HighMs, thirty ? 30 : 20, frame.CentresMs});
    if (withReadings)
        for (int32_t i = 0; i < ReviewRecordCount && i < MaxReviewRecords; ++i) {
            const StationDrawingReading* d = StationDrawingReadingOf(i);
            if (ReviewRecordTags[i] == -1 || d == nullptr || d->Read == 0 || d->GateSet == 2)
                continue;
            DrawReviewCurveAt(dc, d->CentresMs, d->Values, d->GateCount, IntermediateDecayPen);
        }
    for (int32_t k = 0; k < ReviewSlotCount; ++k) {
        if (StationSlotAverageCounts[k] <= 0)
            continue;
        const int32_t set = k >= 7 ? 1 : 0;
        const StandardAxis slot = StandardAxisOf(StationSlotRates[k], set);
        if (slots == 1)
            DrawReviewColumn(20 + 10 * set, StationSlotAverages[k], true);
        DrawReviewCurveAt(dc, slot.CentresMs, StationSlotAverages[k], 20 + 10 * set, FinalDecayPen);
    }
}

// "Selected": the readings tagged 1 over the frame, from the readings the drawing read. With
// gate labels the time axis covers every reading of the station (the printed page's pass), so
// a reading of another rate or gate set is not cut at the reviewed reading's axis.
void DrawSelected(HDC dc)
{
    GateAxisSpan axis = ReviewFrameAxis();
    if (Settings.TimeAxisLabels == 1) {
        std::vector<GateAxisSpan> spans;
        for (int32_t i = 0; i < ReviewRecordCount && i < MaxReviewRecords; ++i)
            if (const StationDrawingReading* d = StationDrawingReadingOf(i); d != nullptr && d->Read == 1)
                spans.push_back({d->LowMs, d->HighMs, d->GateCount, d->CentresMs});
        WidenGateAxis(spans, axis);
    }
    DrawReviewFrameOver(dc, axis);
    for (int32_t i = 0; i < ReviewRecordCount && i < MaxReviewRecords; ++i) {
        const StationDrawingReading* d = StationDrawingReadingOf(i);
        if (ReviewRecordTags[i] == 1 && d != nullptr && d->Read == 1)
            DrawReviewCurveAt(dc, d->CentresMs, d->Values, d->GateCount,
                              i == ReviewRecordIndex ? FinalDecayPen : IntermediateDecayPen);
    }
}

// The review decay plot by processing from memory: what the last selection read.
void DrawDecayFromMemory()
{
    if (hWndCurve == nullptr)
        return;
    WindowDc dc(hWndCurve);
    if (!dc)
        return;
    // The saved live frame no longer matches what the window shows.
    CurveBackgroundSaved = 0;
    switch (ProcessingChoice) {
    case 0:
        DrawReviewFrameOver(dc.get(), ReviewFrameAxis());
        if (ReviewShownTag != -1 && ReviewShownRead == 1)
            DrawReviewCurve(dc.get(), ReviewRate(), ReviewDisplayValues, ReviewGates(), FinalDecayPen);
        break;
    case 1:
        DrawSelected(dc.get());
        break;
    case 2:
        DrawAverages(dc.get(), false);
        break;
    case 3:
        DrawAverages(dc.get(), true);
        break;
    default:
        break;
    }
}

// The x of listed station s, or false.
bool CursorX(int32_t station, int32_t& x)
{
    if (station < 0 || station >= ReviewListedStationCount)
        return false;
    const ProfileScaleValues s = ScaleProfileStations(ProfileStations, ReviewListedStationCount, CurvePaneRect.width);
    return StationToX(s, ProfileStations[station], x) && x >= 0 && x <= CurvePaneRect.width;
}

void FillProfileLists()
{
    FillStations(ProfileStations, ReviewListedStationCount);
    FillRecords(ProfileRecordNumbers, ProfileRecordTags, ProfileRecordCount);
}

}  // namespace

ReviewContext ProgramReviewContext()
{
    ReviewAccess = ReviewRecordFile();
    ReviewContext ctx;
    ctx.File = &ReviewAccess;
    ctx.Convert = ConvertReviewReading;
    ctx.Report = ReportReviewMessage;
    return ctx;
}

void FillLineList()
{
    std::vector<std::string> texts(ReviewLineTexts, ReviewLineTexts + Clamp(ReviewLineCount, 0, MaxReviewLines));
    FillCombo(hComboLine, texts, 0);
}

void FillStationList()
{
    FillStations(ReviewStationValues, Clamp(ReviewStationCount, 0, MaxReviewStations));
}

void FillRecordList()
{
    FillRecords(ReviewRecordNumbers, ReviewRecordTags, Clamp(ReviewRecordCount, 0, MaxReviewRecords));
}

void FillProcessingList()
{
    if (ReviewMode == 1)
        FillCombo(hComboProcessing, {"Single", "Average"}, ProfileProcessingChoice);
    else
        FillCombo(hComboProcessing, {"Single", "Selected", "Average", "Avg.+All"}, ProcessingChoice);
}

void FillRepetitionList()
{
    FillCombo(hComboRepetition, RepetitionListLabels(ReviewRepetitionMains), 0);
}

void ReadLineStationsOf(int32_t lineIndex)
{
    ReviewStationCount = 0;
    if (lineIndex < 0 || lineIndex >= ReviewLineCount)
        return;
    HandleFile f = ReviewRecordFile();
    FileMessage msg;
    if (ReadLineStations(f, ReviewLineOffsets[lineIndex], msg) == 0)
        ReportReviewMessage(msg);
}

void ReadStationRecordsOf(int32_t stationIndex)
{
    ReviewRecordCount = 0;
    if (stationIndex < 0 || stationIndex >= ReviewStationCount)
        return;
    HandleFile f = ReviewRecordFile();
    FileMessage msg;
    if (ReadStationRecords(f, ReviewStationOffsets[stationIndex], msg) == 0)
        ReportReviewMessage(msg);
}

int32_t CountStationRepetitions()
{
    return CountStationRepetitions(ProgramReviewContext());
}

void SelectReviewRepetition(int32_t entry)
{
    SelectReviewRepetition(ProgramReviewContext(), entry);
    FillProfileLists();
}

void SelectReviewUserGateSet(int32_t entry)
{
    SelectReviewUserGateSet(ProgramReviewContext(), entry);
    FillProfileLists();
}

void SelectReviewStation(int32_t station, int32_t repetition)
{
    SelectReviewStation(ProgramReviewContext(), station, repetition);
    FillRecords(ProfileRecordNumbers, ProfileRecordTags, ProfileRecordCount);
}

void AutoScaleReview()
{
    double lo = 0.0, hi = 1.0;
    AutoScaleReview(ReviewMode, DisplayValues, GateCount, lo, hi);
    Settings.AmplitudeAxisMin = lo;
    Settings.AmplitudeAxisMax = hi;
}

void ShowReviewReadingOnScreen(ShownReadingKey key, int64_t offset, int32_t tag, const RepetitionGates& listed)
{
    ShowReviewReading(key, ProgramReviewContext(), offset, tag, listed);
}

void DrawMeterReadings(HDC dc, int32_t state, double value1, double value2, char dipole)
{
    if (dc == nullptr)
        return;
    const FieldRect& f = MainScreenLayout.MeterTextRect;
    RECT r{f.left, f.top, f.right, f.bottom};
    if (state == 1) {
        ShowMeterReading(dc, value1, value2, dipole);
        return;
    }
    FillRect(dc, &r, DrawingObjects.WhiteBrush);
    if (state != -1 && state != 0)
        return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    SelectGuard font(dc, hFontBold);
    const std::string text = state == -1 ? "DISABLED" : "RESULT NOT VALID";
    DrawNarrowText(dc, r.left + (r.right - r.left - NarrowTextWidth(dc, text)) / 2, r.top, text);
}

void DrawReviewNumbers()
{
    DrawReviewColumn(ReviewGates(), ReviewDisplayValues, ReviewShownTag != -1 && ReviewShownRead == 1);
}

void DrawReviewDecay(bool tellUser)
{
    // The readings the drawing needs are read now, for this selection, and kept: a repaint
    // draws them from memory and reads no file.
    FileMessage failure;
    ReadStationDrawing(ProgramReviewContext(), ProcessingChoice, Settings.TimeAxisLabels == 1, failure);
    if (tellUser && UserGateReadingsSkipped > 0 && (ProcessingChoice == 2 || ProcessingChoice == 3))
        MessageBoxW(hWndCurve,
                    ProcessingChoice == 3 ? L"The average and decay curves for user defined gates are not shown."
                                          : L"The average for user defined gates is not shown.",
                    L"User Define Gates", MB_OK);
    DrawDecayFromMemory();
    // The plot shows what could be read; a reading that could not is told once.
    ReportReviewMessage(failure);
}

void DrawProfilePlot()
{
    if (hWndCurve == nullptr)
        return;
    WindowDc dc(hWndCurve);
    if (!dc)
        return;
    CurveBackgroundSaved = 0;
    ComputeCurveScale();
    const CurvePlotGeometryValues& g = CurvePlotGeometry;
    const ProfileScaleValues s = ScaleProfileStations(ProfileStations, ReviewListedStationCount, CurvePaneRect.width);
    SelectGuard font(dc.get(), hFontNormal);
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(0, 0, 0));
    {
        SelectGuard pen(dc.get(), DrawingObjects.GridPen);
        for (int32_t i = 0; i < ReviewListedStationCount; ++i) {
            int32_t x = 0;
            if (!StationToX(s, ProfileStations[i], x))
                continue;
            MoveToEx(dc.get(), x, g.PlotBottom, nullptr);
            LineTo(dc.get(), x, g.PlotTop);
        }
    }
    CurveAxesInputs in;
    in.PaneWidth = CurvePaneRect.width;
    in.AmplitudeMin = Settings.AmplitudeAxisMin;
    in.AmplitudeMax = Settings.AmplitudeAxisMax;
    in.AmplitudeAxisMinorGrid = Settings.AmplitudeAxisMinorGrid;
    in.DisplayUnit = Settings.DisplayUnit;
    in.AmplitudeOnly = 1;
    DcTextMeasure measure(dc.get());
    const CurveAxesLayout frame = LayOutCurveAxes(g, in, measure);
    for (const AxisLine& line : frame.Lines) {
        HPEN pen = line.Pen == AxisPen::Grid
                       ? DrawingObjects.GridPen
                       : (line.Pen == AxisPen::Decade ? DrawingObjects.DecadePen : DrawingObjects.BlackPen);
        SelectGuard guard(dc.get(), pen);
        MoveToEx(dc.get(), line.X1, line.Y1, nullptr);
        LineTo(dc.get(), line.X2, line.Y2);
    }
    for (const AxisLabel& label : frame.Labels)
        DrawNarrowText(dc.get(), label.X, label.Y, label.Text);
    DrawNarrowText(dc.get(), CurvePaneRect.width / 2 - NarrowTextWidth(dc.get(), "Stations") / 2, g.PlotBottom + 20,
                   "Stations");
    {
        SelectGuard pen(dc.get(), DrawingObjects.BlackPen);
        for (const StationTick& t : StationTicks(s)) {
            DrawNarrowText(dc.get(), t.X - NarrowTextWidth(dc.get(), t.Text) / 2, g.PlotBottom + 5, t.Text);
            MoveToEx(dc.get(), t.X, g.PlotBottom, nullptr);
            LineTo(dc.get(), t.X, g.PlotBottom + 4);
        }
    }
    PlotBoxClip clip(dc.get(), g);
    for (int32_t gate = 0; gate < ReviewGates(); ++gate)
        DrawPolyline(dc.get(), ProfileGatePoints(g, s, ProfileStations, ProfileValues, ReviewListedStationCount, gate),
                     CurvePen(gate));
}

void SaveProfileCursorColumn(int32_t station)
{
    int32_t x = 0;
    if (hWndCurve == nullptr || CurveBackBuffers.ColumnDc == nullptr || !CursorX(station, x))
        return;
    WindowDc dc(hWndCurve);
    if (dc)
        BitBlt(CurveBackBuffers.ColumnDc, 0, 0, 1, CurvePaneRect.height, dc.get(), x, 0, SRCCOPY);
}

void DrawProfileCursor(int32_t station)
{
    int32_t x = 0;
    if (hWndCurve == nullptr || !CursorX(station, x))
        return;
    WindowDc dc(hWndCurve);
    if (!dc)
        return;
    SelectGuard pen(dc.get(), DrawingObjects.RedPen);
    MoveToEx(dc.get(), x, CurvePlotGeometry.PlotBottom - 2, nullptr);
    LineTo(dc.get(), x, CurvePlotGeometry.PlotTop + 1);
}

ReviewedPanelParameters ReviewedParametersOfReading()
{
    ReviewedPanelParameters p;
    const ReviewReadingData& r = ReviewReading;
    p.RepRateIndex = r.RepRateIndex;
    p.CoilType = r.CoilType;
    // The readings of the reviewed station, as the printed header counts them (not the
    // records per measurement the reading was stored with).
    p.RecordCount = ReviewRecordCount;
    p.ProcessingMethod = r.ProcessingMethod;
    p.AveragingTimeIndex = r.AveragingTimeIndex;
    p.Component = r.Component;
    p.Gain = r.Gain;
    p.GateSet = r.GateSet;
    p.GateCount = r.GateCount;
    p.FirstGateTimeUs = r.FirstGateTimeUs;
    p.OnTimeMeasurement = r.OnTimeMeasurement;
    p.ReceiverDelayUs = r.ReceiverDelayUs;
    p.TxCurrent = r.TxCurrent;
    p.TurnOffTimeUs = r.TurnOffTimeUs;
    p.Read = ReviewShownRead;
    return p;
}

void PaintReviewPlots(HDC numbersPaintDc)
{
    // A repaint draws from memory: it reads no file and tells nothing.
    // The numbers as the reading was shown: "Selected" only for a chosen reading.
    if (ReviewMode == 0) {
        ClearDisplayArea(0);
        DrawDecayFromMemory();
        if (ProcessingChoice == 0 || (ProcessingChoice == 1 && ReviewShownTag == 1))
            DrawReviewNumbers();
    } else if (ReviewMode == 1) {
        DrawNumbersHeader(numbersPaintDc, ReviewGates(), ReviewReading.Component, ReviewReading.ComponentCount);
        DrawReviewNumbers();
        ClearDisplayArea(0);
        DrawProfilePlot();
        DrawProfileCursor(ReviewStationIndex);
    }
}
