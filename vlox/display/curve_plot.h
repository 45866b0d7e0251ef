// The decay-curve plot's arithmetic: the geometry of the plot from the pane size and the scale
// settings, the pixel transforms of time and value, and the frame, grid lines and labels as a
// list that the Win32 side only draws.
//
// Pixel conversions truncate toward zero and saturate to the int range; a value that has no
// position (NaN, infinite, a time that is not positive) is reported as not drawable.
#pragma once

#include "vlox/settings/settings.h"

#include <cstdint>
#include <string>
#include <vector>

struct CurvePlotGeometryValues {
    int32_t PlotLeft = 60;
    int32_t PlotRight = 0;
    int32_t PlotTop = 20;
    int32_t PlotBottom = 0;
    double LogTimeMin = 0.0;
    double LogTimeMax = 1.0;
    double PixelsPerTimeDecade = 0.0;
    double LogAmplitudeMax = 1.0;
    double LowerDecades = 0.0;
    double AmplitudeSpan = 1.0;
    double PixelsPerAmplitudeDecade = 0.0;
    double LinearBandScale = 0.0;
    int32_t PlusOneY = 0;
    // Live profile strip.
    int32_t StripLeft = 61;
    int32_t StripTop = 1;
    int32_t StripRight = 0;
    int32_t StripBottom = 0;
    int32_t StripHeight = 0;
    int32_t ColumnStep = 0;
    int32_t ScrollWidth = 0;
    int32_t ProfileTickStep = 1;
};

// The program-wide geometry of the curve window and the profile width in stations.
extern CurvePlotGeometryValues CurvePlotGeometry;
extern int32_t StationsPerProfileWindow;
// The size of the last amplitude bottom other than 0 that a scale was computed with (after
// the limits are mapped); a bottom of 0 keeps the one before. The scale steps take a bottom
// of 0 down by its decade. 1 until a scale with such a bottom was computed.
extern double AmplitudeBottomDecadeBase;

// The scale the plot is computed from (time limits already chosen: ms).
struct CurveScaleInputs {
    int32_t PaneWidth = 0;
    int32_t PaneHeight = 0;
    double TimeMinMs = 0.005;
    double TimeMaxMs = 10.0;
    double AmplitudeMin = 0.0;
    double AmplitudeMax = 10.0;
    int32_t StationsPerProfileWindow = 50;
};

// The scale limits a plot is drawn with: a time minimum of 0 or less is 0.001 ms and a
// maximum not above it is 100 times it; an amplitude maximum below 1 is 1 (the linear band
// runs from +1 down); a minimum not below the maximum is a tenth of it; a minimum strictly
// between -1 and 0 is then -1, strictly between 0 and 1 is 0. A top the scale steps leave
// between 1 and 10 is drawn as it is. NaN limits are taken as the defaults.
void MapScaleLimits(double& timeMin, double& timeMax, double& amplitudeMin, double& amplitudeMax);

// Keeps the size of a mapped bottom other than 0 in base.
void NoteAmplitudeBottom(double mappedBottom, double& base);

// All the geometry fields from the inputs (limits mapped first).
CurvePlotGeometryValues ComputeCurveScaleFrom(const CurveScaleInputs& in);

// trunc toward zero, held to the int range; NaN gives 0.
int32_t SaturatePixel(double v);

// x of a time in ms; false (x unchanged) when t is not a positive finite number.
bool TimeToX(const CurvePlotGeometryValues& g, double tMs, int32_t& x);
// y of a value by the three rules of the amplitude axis; false for NaN or infinity.
bool ValueToY(const CurvePlotGeometryValues& g, double v, int32_t& y);
// The axis drawing's y: the origin added before truncation.
int32_t AxisValueToY(const CurvePlotGeometryValues& g, double v);

// Time label text: from 10 up "%d" of the integer part, below six decimals with trailing
// zeros (and a bare point) removed.
std::string TimeLabelText(double t);

// The plot's frame, grid and labels as drawing steps.
enum class AxisPen { Grid, Decade, Black };
struct AxisLine {
    AxisPen Pen;
    int32_t X1, Y1, X2, Y2;
};
struct AxisLabel {
    std::string Text;
    int32_t X;  // left of the text
    int32_t Y;  // top of the text
};
struct CurveAxesLayout {
    std::vector<AxisLine> Lines;
    std::vector<AxisLabel> Labels;
};

// Width and height of a text in the plot's font.
class PlotTextMeasure {
public:
    virtual ~PlotTextMeasure() = default;
    virtual void Measure(const std::string& text, int32_t& width, int32_t& height) = 0;
};

struct CurveAxesInputs {
    int32_t PaneWidth = 0;
    double TimeMinMs = 0.005;
    double TimeMaxMs = 10.0;
    double AmplitudeMin = 0.0;
    double AmplitudeMax = 10.0;
    int32_t TimeAxisLabels = 0;  // 0 ms, 1 gate numbers
    int32_t TimeAxisMinorGrid = 0;
    int32_t AmplitudeAxisMinorGrid = 1;
    int32_t DisplayUnit = 0;
    const double* GateCentresMs = nullptr;  // gate labels: the centres of the rate in use
    int32_t GateCount = 0;
    // The profile frames: the amplitude lines and labels only (no time axis, no time caption),
    // labels with every digit of the integer part ("1000000", where the decay frame writes
    // "1e+06"), the unit caption at UnitCaptionX (-1: PlotLeft).
    int32_t AmplitudeOnly = 0;
    int32_t UnitCaptionX = -1;
};

// The unit caption for a display unit; "" outside 0..5.
const char* DisplayUnitCaption(int32_t unit);

// The frame, grids, labels and captions in drawing order (lines of one step before its
// labels).
CurveAxesLayout LayOutCurveAxes(const CurvePlotGeometryValues& g, const CurveAxesInputs& in, PlotTextMeasure& measure);

// The polyline of a curve: one point per gate whose time and value have a position; gates
// without one are left out.
struct PlotPoint {
    int32_t X, Y;
};
std::vector<PlotPoint> DecayCurvePoints(const CurvePlotGeometryValues& g, const double* centresMs, const double* values,
                                        int32_t gateCount);

// The bar's top row for a fraction of the client height (bottom - trunc(height x fraction)),
// saturated; a NaN fraction draws nothing (returns bottom).
int32_t ProgressBarTop(int32_t top, int32_t bottom, double fraction);
