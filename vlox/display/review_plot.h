// The arithmetic of the review plots and of the live profile strip: the conversion of a
// reviewed reading into the display unit, the station scale of the profile plot with its
// ticks, the polylines of the profile, and the backward walk over the current line of the
// data file that rebuilds the live strip. The Win32 side only draws what this computes.
#pragma once

#include "vlox/datafile/review_reader.h"
#include "vlox/display/curve_plot.h"

#include <cstdint>
#include <string>
#include <vector>

// The reading's loop area (m2) from its loop records.
double ReviewLoopArea(const ReviewReadingData& r);
// A reviewed reading in unit (display unit) with the gate centres given (those of its rate):
// its gate count of values into out. Values that cannot be converted (a unit outside 0-5) are 0.
void ConvertReviewReadingTo(const ReviewReadingData& r, const double* centresMs, int32_t unit, double loopArea,
                            double* out);
// The same in `DisplayUnit` with the reading's own loop area (the review context's conversion).
void ConvertReviewReading(const ReviewReadingData& r, const double* centresMs, double* out);

// The gate-label time axis of a reading, or of the decay plot: its limits (ms), its gate count
// and the gate centres its gate labels stand at.
struct GateAxisSpan {
    double LowMs = 0.0;
    double HighMs = 0.0;
    int32_t GateCount = 0;
    const double* CentresMs = nullptr;
};
// "Selected" with gate labels, on the screen and on the printed page: the axis that covers
// every reading of the station. From 100000 and -100000 the smallest low and the largest
// high, the largest gate count, and the gate centres of the last reading. A reading whose
// limits are no time range (0 < low < high: one that could not be read, or whose gate times
// could not be built) takes no part. false, with axis as it was, when no reading does.
bool WidenGateAxis(const std::vector<GateAxisSpan>& readings, GateAxisSpan& axis);

// The reading shown as the review draws it (one that could not be read as the list it was shown
// from gives it): its rate index (0-6) and gate count (0-100) for the curve, the profile, the
// numbers and the page, and the decay frame's axis of its rate and gate set in the review's
// gate tables.
int32_t ReviewRate();
int32_t ReviewGates();
GateAxisSpan ReviewFrameAxis();

// The station axis of the profile plot.
struct ProfileScaleValues {
    int32_t Left = 80;
    int32_t Right = 0;  // pane width - 60
    double StationMin = 0.0;
    double StationMax = 0.0;
    double PixelsPerStation = 0.0;  // 0 when all stations stand at one place
    double StationTickStep = 1.0;
};
// The scale of count stations (0 to 200) on a pane of the given width. A zero (or NaN) range
// puts every station at Left with a tick step of 1; it never divides by zero.
ProfileScaleValues ScaleProfileStations(const double* stations, int32_t count, int32_t paneWidth);
// x of a station, saturated; false for a station that is not a finite number.
bool StationToX(const ProfileScaleValues& s, double station, int32_t& x);

struct StationTick {
    int32_t X = 0;
    std::string Text;  // "%d" of the integer part
};
// At most 15 ticks from the first multiple of the step at or above StationMin up to StationMax.
std::vector<StationTick> StationTicks(const ProfileScaleValues& s);

// The polyline of gate g through count listed stations; stations or values without a
// position are left out.
std::vector<PlotPoint> ProfileGatePoints(const CurvePlotGeometryValues& g, const ProfileScaleValues& s,
                                         const double* stations, const double (*values)[MaxGateCount], int32_t count,
                                         int32_t gate);

// The live strip rebuilt from the data file: one column per reading of the current line,
// newest at the right edge, walking backwards from the file's position.
constexpr int32_t MaxStripColumns = 325;
struct StripColumn {
    int32_t X = 0;
    double Station = 0.0;
    int32_t GateCount = 0;
    double Values[MaxGateCount] = {};  // display unit
};
struct StripTickMark {
    int32_t X = 0;
    double Station = 0.0;
};
struct StripWalk {
    std::vector<StripColumn> Columns;
    std::vector<StripTickMark> Ticks;
    FileMessage Message;  // a damaged reading: nothing is to be drawn
};
// Walks back from f's position: each S record gives a column from the first reading after it
// (found by its W tag, whatever the number of loop records), converted with loopArea and its
// own gate times (the review's and the live gate tables are left alone). A damaged gate-value
// record gives the strip's own message, "1-" to "4-Error in file line %d". Stops
// at the line's L record, at the start of the file, left of stripLeft or after 325 columns.
// readingNumber counts down from the readings stored on the line (-1: counted here, one per
// station back to the line's start); every fifth gets a tick.
// f's position is put back whatever happens.
StripWalk WalkLineBackwards(RecordFile& f, int32_t right, int32_t columnStep, int32_t stripLeft, int32_t readingNumber,
                            int32_t unit, double loopArea);
