// The printed page of a reviewed station or line, laid out from the printer's capabilities:
// the page frame and plot box at their inch positions, the printed scales (whole pixels per
// decade), the decay plot in its four processing modes or the profile plot, the header block
// with its gate table, and the title. The result is a list of drawing operations in device
// pixels that the Win32 side plays on the printer's device context (or on a screen DC as a
// preview).
//
// The layout reads only the plain data it is given: the review's readings are read, converted
// and gathered by the caller first, so laying out a page changes no review state.
#pragma once

#include "vlox/display/curve_plot.h"
#include "vlox/settings/textconv.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The printer's device capabilities, read once per job (pixels, pixels per inch).
struct PrintDeviceCaps {
    int32_t HorzRes = 0;  // HORZRES: printable width
    int32_t VertRes = 0;  // VERTRES: printable height
    int32_t OffsetX = 0;  // PHYSICALOFFSETX: left unprintable margin
    int32_t OffsetY = 0;  // PHYSICALOFFSETY: top unprintable margin
    int32_t LogPixelsX = 0;
    int32_t LogPixelsY = 0;
};

// Pixels of an inch length on each axis, truncated as the page positions are.
int32_t InchX(const PrintDeviceCaps& caps, double inches);
int32_t InchY(const PrintDeviceCaps& caps, double inches);

// The two fonts of the job ("MS Sans Serif", weight 200): heights in pixels.
int32_t SmallPrintFontHeight(const PrintDeviceCaps& caps);
int32_t LargePrintFontHeight(const PrintDeviceCaps& caps);

// A page whose printable area is not wider than high (a square one too) is portrait.
bool PrintPageIsPortrait(const PrintDeviceCaps& caps);

struct PrintRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};
// The outer frame and the plot box.
PrintRect PrintOuterFrame(const PrintDeviceCaps& caps);
PrintRect PrintPlotBox(const PrintDeviceCaps& caps);

// The pens of the page: the drawing objects' grey and black pens, and the curve pens by entry
// (0-99 the gates, 101 "Intermediate Decay", 102 "Final Decay"), plain or bold.
enum class PrintPen : int32_t { GridPen6, GridPen8, GridPen12, WideBlackPen, Curve, CurveBold };
enum class PrintFont : int32_t { Small, Large };

// One drawing step. A rectangle is drawn with its pen and filled with the context's brush;
// a polyline joins its points; a text has its top-left corner at (X, Y).
enum class PrintOpKind : int32_t { Rectangle, Polyline, Text };
struct PrintOp {
    PrintOpKind Kind = PrintOpKind::Polyline;
    PrintPen Pen = PrintPen::WideBlackPen;
    int32_t PenEntry = 0;  // Curve and CurveBold pens
    PrintRect Rect;
    std::vector<PlotPoint> Points;
    PrintFont Font = PrintFont::Large;
    WideString Text;
    int32_t X = 0, Y = 0;
};

// Width and height of a text in one of the job's fonts.
class PrintTextMeasure {
public:
    virtual ~PrintTextMeasure() = default;
    virtual void Measure(PrintFont font, const WideString& text, int32_t& width, int32_t& height) = 0;
};

// The plot-scale settings the page is drawn with.
struct PrintScaleSettings {
    double TimeAxisMinMs = 0.005;
    double TimeAxisMaxMs = 10.0;
    int32_t TimeAxisLabels = 0;  // 0 time in ms, 1 gate numbers
    int32_t TimeAxisMinorGrid = 0;
    double AmplitudeAxisMin = 0.0;
    double AmplitudeAxisMax = 10.0;
    int32_t AmplitudeAxisMinorGrid = 1;
    int32_t DisplayUnit = 0;
};

// One reading of the reviewed station, read and converted to the display unit, with the gate
// times of its own rate and gate set.
struct PrintReading {
    int32_t Tag = 0;  // -1 excluded, 0 included, 1 selected
    int32_t RateIndex = 0;
    int32_t GateSet = 0;  // 0 20 gates, 1 30 gates, 2 user gates
    int32_t GateCount = 0;
    std::array<double, MaxGateCount> CentresMs{};
    std::array<double, MaxGateCount> Values{};
    double TimeAxisLow = 0.0;  // ms, the gate-label axis of its rate and gate set
    double TimeAxisHigh = 0.0;
};

// One averaging slot of the station: slots 0-6 are rate indexes 0-6 with 20 gates, slots
// 7-11 rate indexes 2-6 with 30 gates.
constexpr int32_t AverageSlotCount = 12;
struct PrintAverageSlot {
    int32_t Count = 0;  // readings averaged
    std::array<double, MaxGateCount> CentresMs{};
    std::array<double, MaxGateCount> Values{};
    double TimeAxisLow = 0.0;
    double TimeAxisHigh = 0.0;
};

// What the decay page draws: the reading selected in the review, every indexed reading of
// its station (for "Selected" and "Avg.+All"), and the station's averages.
struct PrintDecaySource {
    PrintReading Selected;
    int32_t SelectedIndex = 0;  // its place among Station
    std::vector<PrintReading> Station;
    std::array<PrintAverageSlot, AverageSlotCount> Slots{};
};

// What the profile page draws: the listed stations of the line and their gate values.
struct PrintProfileSource {
    std::vector<double> Stations;
    std::vector<std::array<double, MaxGateCount>> Values;  // one row per station
    int32_t GateCount = 0;
};

// The texts of the header block, from the reading selected in the review and its file.
struct PrintHeaderInfo {
    WideString FileTitle;
    std::string DateText;
    std::string TimeText;
    double LineNumber = 0.0;
    double StationNumber = 0.0;
    int32_t RecordNumber = 0;
    int32_t RecordCount = 0;
    double LoopSideX = 0.0;
    double LoopSideY = 0.0;
    int32_t TransmitterType = 0;  // into TransmitterTypeNames
    double TxCurrent = 0.0;
    double TurnOffTimeUs = 0.0;
    double RepetitionRate = 0.0;
    int32_t CoilType = 0;  // into CoilTypeNames
    int32_t Processing = 0;
    int32_t AveragingIndex = 0;
    int32_t Component = 0;  // 0 Z, 1 X, 2 Y
    int32_t GainZ = 0, GainX = 0, GainY = 0;
    int32_t GateCount = 0;
    int32_t GateSet = 0;
    int32_t OnTimeFlag = 0;
    double ReceiverDelayUs = 0.0;
    int32_t MainsFlag = 1;  // 0 50 Hz, else 60 Hz
    WideString OperatorName;
    double EarlyWindowValue = 0.0;
    std::array<int32_t, MaxGateCount> NumbersGateVisible{};
};

struct PrintPageInputs {
    PrintDeviceCaps Caps;
    PrintScaleSettings Scale;
    int32_t ReviewMode = 0;  // 0 decay, 1 profiles
    int32_t ProcessingChoice = 0;
    PrintDecaySource Decay;
    PrintProfileSource Profile;
    PrintHeaderInfo Header;
};

struct PrintPageLayout {
    std::vector<PrintOp> Ops;
    PrintRect OuterFrame;
    PrintRect PlotBox;
    // The scale the plot was drawn with last (whole pixels per decade).
    CurvePlotGeometryValues Geometry;
    // 1 when exactly one averaging slot holds readings ("Average" and "Avg.+All"), 0 when
    // another number does; -1 when the page did not average.
    int32_t SingleAverageSlot = -1;
};

// The printed scale over the plot box. With gate labels the time axis runs from timeLowMs to
// timeHighMs (the gate-label limits of the reading), else over the settings' time axis.
CurvePlotGeometryValues ComputePrintScales(const PrintRect& box, const PrintScaleSettings& scale, double timeLowMs,
                                           double timeHighMs);

// Time label text of the printed axis: six decimals with trailing zeros (and a bare point)
// removed, so every significant digit stays ("0.105", "0.005", "2").
std::string PrintDecimalLabel(double v);

// The station scale of the printed profile: the tick step for a station range (0 when the
// range is not a positive number).
double PrintStationTickStep(double range);

// The whole page, in drawing order.
PrintPageLayout LayOutPrintPage(const PrintPageInputs& in, PrintTextMeasure& measure);

// The header lines' texts in order (23 lines; lines 2 and 4 join their two parts).
std::vector<WideString> PrintHeaderTexts(const PrintHeaderInfo& header);
