#include "vlox/display/review_plot.h"

#include "vlox/datafile/records.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/measure/units.h"
#include "vlox/settings/config_stream.h"
#include "vlox/settings/rate_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

double ReviewLoopArea(const ReviewReadingData& r)
{
    LoopGeometry loop;
    loop.LoopShape = r.LoopShape;
    loop.SideX = r.SideX;
    loop.SideY = r.SideY;
    loop.CornerCoordinateType = r.CornerCoordinateType;
    for (int32_t i = 0; i < TxCornerCount; ++i) {
        loop.CornerX[i] = r.CornerX[i];
        loop.CornerY[i] = r.CornerY[i];
        loop.CornerGpsX[i] = r.CornerX[i];
        loop.CornerGpsY[i] = r.CornerY[i];
    }
    double e[TxCornerCount], n[TxCornerCount];
    return LoopArea(loop, e, n);
}

void ConvertReviewReadingTo(const ReviewReadingData& r, const double* centresMs, int32_t unit, double loopArea,
                            double* out)
{
    const int32_t n = r.GateCount < 0 ? 0 : (r.GateCount > MaxGateCount ? MaxGateCount : r.GateCount);
    for (int32_t g = 0; g < n; ++g)
        out[g] = 0.0;
    UnitConversionContext c;
    c.GateCentresMs = centresMs;
    c.LoopArea = loopArea;
    double values[MaxGateCount];
    std::memcpy(values, r.GateValues, sizeof values);
    ConvertGateValues(c, 1, unit, r.CoilType, n, r.Gain, r.AmpereTurns, values, out);
}

void ConvertReviewReading(const ReviewReadingData& r, const double* centresMs, double* out)
{
    ConvertReviewReadingTo(r, centresMs, Settings.DisplayUnit, ReviewLoopArea(r), out);
}

int32_t ReviewRate()
{
    return std::clamp(ReviewReading.RepRateIndex, 0, RepRateCount - 1);
}

int32_t ReviewGates()
{
    return std::clamp(ReviewReading.GateCount, 0, MaxGateCount);
}

GateAxisSpan ReviewFrameAxis()
{
    const int32_t rate = ReviewRate();
    const int32_t gateSet = std::clamp(ReviewReading.GateSet, 0, 2);
    return {TimeAxisLow[rate][gateSet], TimeAxisHigh[rate][gateSet], ReviewGates(), ReviewGateCentres[rate]};
}

bool WidenGateAxis(const std::vector<GateAxisSpan>& readings, GateAxisSpan& axis)
{
    GateAxisSpan wide;
    wide.LowMs = 100000.0;
    wide.HighMs = -100000.0;
    bool any = false;
    for (const GateAxisSpan& r : readings) {
        if (!(r.LowMs > 0.0 && r.HighMs > r.LowMs && std::isfinite(r.HighMs)))
            continue;
        wide.LowMs = std::min(wide.LowMs, r.LowMs);
        wide.HighMs = std::max(wide.HighMs, r.HighMs);
        wide.GateCount = std::max(wide.GateCount, r.GateCount);
        wide.CentresMs = r.CentresMs;
        any = true;
    }
    if (any)
        axis = wide;
    return any;
}

ProfileScaleValues ScaleProfileStations(const double* stations, int32_t count, int32_t paneWidth)
{
    ProfileScaleValues s;
    s.Right = paneWidth - 60;
    bool first = true;
    for (int32_t i = 0; stations != nullptr && i < count && i < 200; ++i) {
        const double v = stations[i];
        if (!std::isfinite(v))
            continue;
        if (first || v < s.StationMin)
            s.StationMin = v;
        if (first || v > s.StationMax)
            s.StationMax = v;
        first = false;
    }
    const double range = s.StationMax - s.StationMin;
    if (!(range > 0.0) || !std::isfinite(range))
        return s;
    s.PixelsPerStation = (s.Right - s.Left) / range;
    double step = std::pow(10.0, std::trunc(std::log10(range / 5.0) + 0.5));
    if (range / step < 4.0)
        step /= 2.0;
    if (range / step > 8.0)
        step *= 2.0;
    if (step > 0.0 && std::isfinite(step))
        s.StationTickStep = step;
    return s;
}

bool StationToX(const ProfileScaleValues& s, double station, int32_t& x)
{
    if (!std::isfinite(station))
        return false;
    x = SaturatePixel((station - s.StationMin) * s.PixelsPerStation + s.Left);
    return true;
}

std::vector<StationTick> StationTicks(const ProfileScaleValues& s)
{
    std::vector<StationTick> ticks;
    const double step = s.StationTickStep;
    if (!(step > 0.0) || !std::isfinite(s.StationMin / step))
        return ticks;
    const double start = (std::trunc(s.StationMin / step) - 1.0) * step;
    for (int32_t k = 1; k <= 15; ++k) {
        const double t = start + k * step;
        if (t < s.StationMin)
            continue;
        if (t > s.StationMax)
            break;
        StationTick tick;
        StationToX(s, t, tick.X);
        char text[32];
        std::snprintf(text, sizeof text, "%d", SaturatePixel(t));
        tick.Text = text;
        ticks.push_back(tick);
    }
    return ticks;
}

std::vector<PlotPoint> ProfileGatePoints(const CurvePlotGeometryValues& g, const ProfileScaleValues& s,
                                         const double* stations, const double (*values)[MaxGateCount], int32_t count,
                                         int32_t gate)
{
    std::vector<PlotPoint> points;
    if (stations == nullptr || values == nullptr || gate < 0 || gate >= MaxGateCount)
        return points;
    for (int32_t i = 0; i < count && i < 200; ++i) {
        PlotPoint p{};
        if (StationToX(s, stations[i], p.X) && ValueToY(g, values[i][gate], p.Y))
            points.push_back(p);
    }
    return points;
}

namespace {

bool ReadAt(RecordFile& f, int64_t at, char (&record)[DataLineLength])
{
    return f.Seek(at) && f.Read(record, DataLineLength) == static_cast<size_t>(DataLineLength);
}

}  // namespace

StripWalk WalkLineBackwards(RecordFile& f, int32_t right, int32_t columnStep, int32_t stripLeft, int32_t readingNumber,
                            int32_t unit, double loopArea)
{
    StripWalk walk;
    const int64_t entry = f.Tell();
    int32_t x = right;
    char record[DataLineLength];
    if (readingNumber < 0) {
        // The readings stored on the line: its stations back to its L record.
        readingNumber = 0;
        for (int64_t at = entry - DataLineLength; at >= 0; at -= DataLineLength) {
            if (!ReadAt(f, at, record) || record[0] == 'L')
                break;
            if (record[0] == 'S')
                ++readingNumber;
        }
    }
    // Record by record back to the line's L record or the start of the file.
    for (int64_t at = entry - DataLineLength; at >= 0; at -= DataLineLength) {
        if (!ReadAt(f, at, record) || record[0] == 'L')
            break;
        if (record[0] != 'S')
            continue;
        // A damaged station field ("inf", "nan", hexadecimal) reads as 0, as one with no number.
        double station = ParseFieldDouble(record + 2, 14);
        if (!std::isfinite(station))
            station = 0.0;
        // The station's first reading: the first W record after its S1 and comments.
        int64_t w = at + DataLineLength;
        bool found = false;
        for (; w < entry; w += DataLineLength) {
            if (!ReadAt(f, w, record) || record[0] == 'S' || record[0] == 'L')
                break;
            if (record[0] == 'W') {
                found = true;
                break;
            }
        }
        if (!found)
            continue;
        ReviewReadingData r;
        static const int gateValueNumbers[4] = {1, 2, 3, 4};
        if (ReadMeasurementRecord(f, w, r, walk.Message, gateValueNumbers) == 0) {
            walk.Columns.clear();
            walk.Ticks.clear();
            break;
        }
        // The live display goes on with its own time axes: only the gate centres are needed.
        double centres[MaxGateCount];
        double low = 0.0, high = 0.0;
        GateTimesOfReading(r, centres, low, high);
        StripColumn column;
        column.X = x;
        column.Station = station;
        column.GateCount = r.GateCount;
        ConvertReviewReadingTo(r, centres, unit, loopArea, column.Values);
        walk.Columns.push_back(column);
        if (readingNumber % 5 == 0)
            walk.Ticks.push_back({x, station});
        --readingNumber;
        x -= columnStep;
        if (x < stripLeft || static_cast<int32_t>(walk.Columns.size()) >= MaxStripColumns)
            break;
    }
    f.Seek(entry);
    return walk;
}
