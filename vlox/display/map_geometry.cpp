#include "vlox/display/map_geometry.h"

#include "vlox/datafile/fileio.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/review_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr int32_t DataRecordBytes = 60;
constexpr int32_t IndexLineBytes = 33;
// More lines than this across one pane would fill it solid; the walks stop there.
constexpr int64_t MaxLinesAcrossPane = 4096;

int32_t Clamp32(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// A number in columns first..last (1-based, inclusive) of a record; what is not a number
// reads as 0.
double ColumnNumber(const char* record, size_t length, int first, int last)
{
    if (first < 1 || static_cast<size_t>(first) > length)
        return 0.0;
    const size_t end = std::min(length, static_cast<size_t>(last));
    std::string text(record + first - 1, record + end);
    const char* s = text.c_str();
    char* stop = nullptr;
    const double v = std::strtod(s, &stop);
    if (stop == s || !std::isfinite(v))
        return 0.0;
    return v;
}

int32_t ColumnInt(const char* record, size_t length, int first, int last)
{
    const double v = ColumnNumber(record, length, first, last);
    return SaturatePixel(v);
}

// Remembers a file position and puts it back when the scan ends, by whatever road.
class PositionKeeper {
public:
    explicit PositionKeeper(RecordFile& f) : file_(f), saved_(f.Tell()) {}
    ~PositionKeeper() { file_.Seek(saved_); }
    PositionKeeper(const PositionKeeper&) = delete;
    PositionKeeper& operator=(const PositionKeeper&) = delete;

private:
    RecordFile& file_;
    int64_t saved_;
};

bool ReadRecord(RecordFile& f, char* record)
{
    return f.Read(record, DataRecordBytes) == static_cast<size_t>(DataRecordBytes);
}

// Lines k with lo <= origin + k x step <= hi, computed directly and bounded.
GridRange LatticeRange(double origin, double step, double lo, double hi)
{
    GridRange r;
    if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(origin) || !(lo <= hi))
        return r;
    const double kLo = std::ceil((lo - origin) / step);
    const double kHi = std::floor((hi - origin) / step);
    if (!(kLo <= kHi) || kHi < -2.0e9 || kLo > 2.0e9)
        return r;
    r.First = SaturatePixel(kLo);
    r.Last = SaturatePixel(kHi);
    if (static_cast<int64_t>(r.Last) - r.First >= MaxLinesAcrossPane)
        r.Last = SaturateAdd(r.First, MaxLinesAcrossPane - 1);
    return r;
}

}  // namespace

int32_t SaturateAdd(int64_t a, int64_t b)
{
    return Clamp32(a + b);
}

// ---------------------------------------------------------------------------------------

void SetupViewport(MapViewportValues& v, int32_t w, int32_t h)
{
    v.PaneLeft = 1;
    v.PaneRight = w - 3;
    v.PaneTop = 1;
    v.PaneBottom = h - 3;
    v.ViewLeft = v.PaneLeft;
    v.ViewRight = v.PaneRight;
    v.ViewTop = v.PaneTop;
    v.ViewBottom = v.PaneBottom;
    v.Cx = (1 + (w - 3)) / 2;
    v.Cy = (1 + (h - 3)) / 2;
    v.Side = w - 3;
}

PixelPoint TrackPixelOf(double easting, double northing, double originEasting, double originNorthing,
                        double pixelsPerMetre, int32_t cx, int32_t cy)
{
    return {SaturatePixel(cx + (easting - originEasting) * pixelsPerMetre),
            SaturatePixel(cy - (northing - originNorthing) * pixelsPerMetre)};
}

GpsScrollPlan ScrollViewFor(MapViewportValues& v, int32_t x, int32_t y)
{
    GpsScrollPlan p;
    int64_t dx = 0;
    int64_t dy = 0;
    if (static_cast<int64_t>(x) < static_cast<int64_t>(v.ViewLeft) + MapScrollTrigger)
        dx = static_cast<int64_t>(x) - MapScrollMargin - v.ViewLeft;
    else if (static_cast<int64_t>(x) > static_cast<int64_t>(v.ViewRight) - MapScrollTrigger)
        dx = static_cast<int64_t>(x) + MapScrollMargin - v.ViewRight;
    if (static_cast<int64_t>(y) < static_cast<int64_t>(v.ViewTop) + MapScrollTrigger)
        dy = static_cast<int64_t>(y) - MapScrollMargin - v.ViewTop;
    else if (static_cast<int64_t>(y) > static_cast<int64_t>(v.ViewBottom) - MapScrollTrigger)
        dy = static_cast<int64_t>(y) + MapScrollMargin - v.ViewBottom;

    if (std::llabs(dx) >= static_cast<int64_t>(v.PaneRight) - MapScrollMargin ||
        std::llabs(dy) >= static_cast<int64_t>(v.PaneBottom) - MapScrollMargin) {
        p.Recentre = true;
        p.Dx = Clamp32(dx);
        p.Dy = Clamp32(dy);
        v.ViewLeft = SaturateAdd(x, -static_cast<int64_t>(v.Cx) + 1);
        v.ViewRight = SaturateAdd(x, static_cast<int64_t>(v.Cx) - 1);
        v.ViewTop = SaturateAdd(y, -static_cast<int64_t>(v.Cy) + 1);
        v.ViewBottom = SaturateAdd(y, static_cast<int64_t>(v.Cy) - 1);
        return p;
    }
    p.Dx = static_cast<int32_t>(dx);
    p.Dy = static_cast<int32_t>(dy);
    v.ViewLeft = SaturateAdd(v.ViewLeft, dx);
    v.ViewRight = SaturateAdd(v.ViewRight, dx);
    v.ViewTop = SaturateAdd(v.ViewTop, dy);
    v.ViewBottom = SaturateAdd(v.ViewBottom, dy);
    return p;
}

ScrollStripPlan PlanScrollStrip(bool horizontal, int32_t d, const MapViewportValues& v)
{
    ScrollStripPlan p;
    const int32_t s = v.Side;
    if (horizontal) {
        p.NewFrom = v.PaneTop;
        p.NewTo = v.PaneBottom;
        p.Height = s + 1;
        p.TrackY0 = v.ViewTop;
        p.TrackY1 = SaturateAdd(v.ViewTop, static_cast<int64_t>(s) - 1);
        p.FillTop = 0;
        p.FillBottom = s + 1;
        if (d < 0) {
            p.SrcX = 0;
            p.Width = s + d + 1;
            p.DstX = -d;
            p.FillLeft = 0;
            p.FillRight = -d;
            p.CrossFrom = 0;
            p.CrossTo = -d;
            p.TrackX0 = v.ViewLeft;
            p.TrackX1 = SaturateAdd(v.ViewLeft, static_cast<int64_t>(-d) + 7);
        } else {
            p.SrcX = d;
            p.Width = s - d + 1;
            p.DstX = 0;
            p.FillLeft = s - d + 1;
            p.FillRight = s + 1;
            p.CrossFrom = s - d + 1;
            p.CrossTo = v.PaneRight;
            p.TrackX0 = SaturateAdd(v.ViewLeft, static_cast<int64_t>(s) - d - 6);
            p.TrackX1 = SaturateAdd(v.ViewLeft, s);
        }
    } else {
        p.NewFrom = 0;
        p.NewTo = v.PaneRight;
        p.Width = s + 1;
        p.TrackX0 = v.ViewLeft;
        p.TrackX1 = SaturateAdd(v.ViewLeft, static_cast<int64_t>(s) - 1);
        p.FillLeft = 0;
        p.FillRight = s + 1;
        if (d < 0) {
            p.SrcY = 0;
            p.Height = s + d + 1;
            p.DstY = -d;
            p.FillTop = 0;
            p.FillBottom = -d;
            p.CrossFrom = 0;
            p.CrossTo = -d;
            p.TrackY0 = v.ViewTop;
            p.TrackY1 = SaturateAdd(v.ViewTop, static_cast<int64_t>(-d) + 7);
        } else {
            p.SrcY = d;
            p.Height = s - d + 1;
            p.DstY = 0;
            p.FillTop = s - d + 1;
            p.FillBottom = s + 1;
            p.CrossFrom = s - d + 1;
            p.CrossTo = v.PaneBottom;
            p.TrackY0 = SaturateAdd(v.ViewTop, static_cast<int64_t>(s) - d - 6);
            p.TrackY1 = SaturateAdd(v.ViewTop, s);
        }
    }
    return p;
}

// ---------------------------------------------------------------------------------------

MapGridValues ComputeMapGridValues(double mapSize, double& interval, const MapViewportValues& v)
{
    MapGridValues g;
    if (interval < 0.0)
        interval = -interval;
    if (!(interval > 0.0) || !(mapSize > 0.0) || !std::isfinite(interval) || !std::isfinite(mapSize))
        return g;
    if (mapSize / interval > 20.0)
        interval = mapSize / 10.0;
    // The intervals that fit strictly inside half the map: at most 10 after the rule above.
    int32_t n = 0;
    for (double rest = mapSize / 2.0 - interval; rest > 0.0 && n < 1000; rest -= interval)
        ++n;
    g.Spacing = static_cast<double>(v.PaneRight - v.PaneLeft + 1) * interval / mapSize;
    if (!(g.Spacing > 0.0) || !std::isfinite(g.Spacing))
        return g;
    g.Columns.Origin = v.Cx;
    g.Rows.Origin = v.Cy;
    g.Columns.First = g.Rows.First = -n;
    g.Columns.Last = g.Rows.Last = n;
    g.Valid = true;
    return g;
}

int32_t GridLinePixel(const MapGridValues& g, const MapGridAxis& a, int32_t k)
{
    return SaturatePixel(a.Origin + static_cast<double>(k) * g.Spacing);
}

GridRange ShiftGridAxis(const MapGridValues& g, MapGridAxis& a, int32_t d, int32_t paneMin, int32_t paneMax)
{
    GridRange shown;
    if (!g.Valid)
        return shown;
    const GridRange old{a.First, a.Last};
    a.Origin -= d;
    // Keep the phase small: the same lattice, renumbered, so that k stays in range however
    // far the map scrolls.
    const double wraps = std::floor((a.Origin - paneMin) / g.Spacing);
    a.Origin -= wraps * g.Spacing;
    const int64_t renumber = static_cast<int64_t>(wraps);
    const GridRange now = LatticeRange(a.Origin, g.Spacing, paneMin, paneMax);
    a.First = now.First;
    a.Last = now.Last;
    if (now.Empty())
        return shown;
    // The old lines in the new numbering.
    const int64_t oldFirst = old.Empty() ? 1 : static_cast<int64_t>(old.First) + renumber;
    const int64_t oldLast = old.Empty() ? 0 : static_cast<int64_t>(old.Last) + renumber;
    if (oldFirst > oldLast || oldLast < now.First || oldFirst > now.Last) {
        shown = now;
    } else if (d < 0) {
        shown.First = now.First;
        shown.Last = Clamp32(std::min<int64_t>(oldFirst - 1, now.Last));
    } else {
        shown.First = Clamp32(std::max<int64_t>(oldLast + 1, now.First));
        shown.Last = now.Last;
    }
    return shown;
}

// ---------------------------------------------------------------------------------------

int32_t TrackCapacityFor(uint64_t freeBytes, int32_t& capacity, int32_t& allocated)
{
    const uint64_t limit = (freeBytes / 5) * 4;
    capacity = TrackCapacityStart;
    allocated = capacity + TrackSlack;
    int32_t reductions = 0;
    while (8ull * static_cast<uint64_t>(allocated) >= limit) {
        ++reductions;
        capacity -= TrackCapacityStep;
        allocated = capacity + TrackSlack;
        if (reductions > TrackMaxReductions)
            break;
    }
    return reductions;
}

void FreeTrack(GpsTrackValues& t)
{
    std::vector<int32_t>().swap(t.X);
    std::vector<int32_t>().swap(t.Y);
    t.Made = false;
    t.Count = 0;
    t.LastInsert = 0;
    t.ReaderCount = 0;
}

void RemakeTrack(GpsTrackValues& t)
{
    FreeTrack(t);
    if (t.Allocated <= 0)
        return;
    t.X.assign(static_cast<size_t>(t.Allocated), 0);
    t.Y.assign(static_cast<size_t>(t.Allocated), 0);
    t.Made = true;
}

int32_t MakeTrack(GpsTrackValues& t, uint64_t freeBytes)
{
    int32_t capacity = 0;
    int32_t allocated = 0;
    const int32_t reductions = TrackCapacityFor(freeBytes, capacity, allocated);
    t.Capacity = capacity;
    t.Allocated = allocated;
    if (reductions > TrackMaxReductions) {
        FreeTrack(t);
        return reductions;
    }
    RemakeTrack(t);
    return reductions;
}

bool InsertTrackPoint(GpsTrackValues& t, int32_t x, int32_t y)
{
    if (!t.Made || t.Count >= t.Allocated || t.Count >= static_cast<int32_t>(t.Y.size()))
        return false;
    if (t.Count == 0) {
        t.X[0] = x;
        t.Y[0] = y;
        t.Count = 1;
        t.LastInsert = 0;
        return true;
    }
    const int32_t last = std::clamp(t.LastInsert, 0, t.Count - 1);
    int32_t at = 0;
    if (y >= t.Y[static_cast<size_t>(last)]) {
        int32_t i = last + 1;
        while (i < t.Count && y > t.Y[static_cast<size_t>(i)])
            ++i;
        at = i;
    } else {
        int32_t i = last - 1;
        while (i >= 0 && y < t.Y[static_cast<size_t>(i)])
            --i;
        at = i + 1;
    }
    const auto pos = static_cast<size_t>(at);
    const auto end = static_cast<size_t>(t.Count);
    std::copy_backward(t.X.begin() + static_cast<std::ptrdiff_t>(pos), t.X.begin() + static_cast<std::ptrdiff_t>(end),
                       t.X.begin() + static_cast<std::ptrdiff_t>(end + 1));
    std::copy_backward(t.Y.begin() + static_cast<std::ptrdiff_t>(pos), t.Y.begin() + static_cast<std::ptrdiff_t>(end),
                       t.Y.begin() + static_cast<std::ptrdiff_t>(end + 1));
    t.X[pos] = x;
    t.Y[pos] = y;
    ++t.Count;
    t.LastInsert = at;
    return true;
}

std::vector<PixelPoint> TrackPointsInStrip(const GpsTrackValues& t, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    std::vector<PixelPoint> out;
    if (!t.Made || t.Count <= 0)
        return out;
    const int32_t count = std::min<int32_t>(t.Count, static_cast<int32_t>(t.Y.size()));
    int32_t i = std::clamp(t.LastInsert, 0, count - 1);
    if (t.Y[static_cast<size_t>(i)] < y0) {
        while (i < count - 1 && t.Y[static_cast<size_t>(i)] < y0)
            ++i;
    } else {
        while (i >= 0 && t.Y[static_cast<size_t>(i)] >= y0)
            --i;
        ++i;
    }
    for (; i < count && t.Y[static_cast<size_t>(i)] <= y1; ++i) {
        const int32_t x = t.X[static_cast<size_t>(i)];
        const int32_t y = t.Y[static_cast<size_t>(i)];
        if (y >= y0 && x >= x0 && x <= x1)
            out.push_back({x, y});
    }
    return out;
}

// ---------------------------------------------------------------------------------------

void PlaceSurveyPoint(double line, double station, int32_t direction, double& x, double& y)
{
    if (direction == 2 || direction == 3) {
        x = station;
        y = line;
    } else {
        x = line;
        y = station;
    }
}

PixelPoint SurveyPixelOf(const SurveyMapView& view, double x, double y)
{
    return {SaturatePixel((x - view.OriginX) * view.PixelsPerMetre),
            SaturatePixel((view.OriginY + view.Size - y) * view.PixelsPerMetre)};
}

void MapExtents::IncludeX(double x)
{
    if (!std::isfinite(x))
        return;
    XMin = std::min(XMin, x);
    XMax = std::max(XMax, x);
}

void MapExtents::IncludeY(double y)
{
    if (!std::isfinite(y))
        return;
    YMin = std::min(YMin, y);
    YMax = std::max(YMax, y);
}

MapLoop MapLoopOfReading(const ReviewReadingData& r, bool read)
{
    MapLoop loop;
    loop.Shape = read && r.LoopShape >= 0 && r.LoopShape <= 2 ? r.LoopShape : -1;
    loop.CentreX = r.CentreX;
    loop.CentreY = r.CentreY;
    loop.SideX = r.SideX;
    loop.SideY = r.SideY;
    for (int32_t i = 0; i < 4; ++i) {
        loop.CornerX[i] = r.CornerX[i];
        loop.CornerY[i] = r.CornerY[i];
    }
    return loop;
}

MapLoop ShownReadingLoop()
{
    return ReviewMode != -1 ? MapLoopOfReading(ReviewReading, ReviewShownRead == 1) : MapLoop{-1};
}

std::vector<double> LoopOutline(const MapLoop& loop)
{
    if (loop.Shape == 0 || loop.Shape == 1) {
        const double sy = loop.Shape == 0 ? loop.SideX : loop.SideY;
        const double w = loop.CentreX - loop.SideX / 2, e = loop.CentreX + loop.SideX / 2;
        const double s = loop.CentreY - sy / 2, n = loop.CentreY + sy / 2;
        return {w, s, w, n, e, n, e, s, w, s};
    }
    if (loop.Shape == 2) {
        std::vector<double> out;
        for (int c = 0; c <= 4; ++c) {
            out.push_back(loop.CornerX[c % 4]);
            out.push_back(loop.CornerY[c % 4]);
        }
        return out;
    }
    return {};
}

namespace {

// Fit of the loop: square and rectangle by centre and sides, corners one by one.
void IncludeLoop(MapExtents& e, const MapLoop& loop)
{
    if (loop.Shape == 0 || loop.Shape == 1 || loop.Shape == 2) {
        const std::vector<double> pts = LoopOutline(loop);
        for (size_t i = 0; i + 1 < pts.size(); i += 2)
            e.Include(pts[i], pts[i + 1]);
    }
}

SurveyMapView CentredView(const MapExtents& e, double size, int32_t paneWidth)
{
    SurveyMapView v;
    v.Size = size;
    v.PixelsPerMetre = static_cast<double>(paneWidth) / size;
    v.OriginX = (e.XMin + e.XMax) / 2 - size / 2;
    v.OriginY = (e.YMin + e.YMax) / 2 - size / 2;
    return v;
}

}  // namespace

bool ParseStationIndexLine(const char* line, size_t length, double& surveyLine, double& station, int32_t& direction)
{
    if (length < static_cast<size_t>(IndexLineBytes))
        return false;
    surveyLine = ColumnNumber(line, length, 1, 14);
    station = ColumnNumber(line, length, 16, 29);
    direction = ColumnInt(line, length, 31, 31);
    return true;
}

std::vector<IndexedStation> ReadStationIndex(RecordFile& index)
{
    std::vector<IndexedStation> out;
    if (!index.Seek(0))
        return out;
    char line[IndexLineBytes];
    while (index.Read(line, IndexLineBytes) == static_cast<size_t>(IndexLineBytes)) {
        IndexedStation s;
        if (ParseStationIndexLine(line, IndexLineBytes, s.Line, s.Station, s.Direction))
            out.push_back(s);
    }
    // The station writer appends at the end.
    const int64_t size = index.Size();
    if (size >= 0)
        index.Seek(size);
    return out;
}

std::vector<IndexedStation> StationMapStations;

void IncludeStations(MapExtents& e, const std::vector<IndexedStation>& stations)
{
    for (const IndexedStation& s : stations) {
        double x = 0.0, y = 0.0;
        PlaceSurveyPoint(s.Line, s.Station, s.Direction, x, y);
        e.Include(x, y);
    }
}

SurveyMapView FitStationMapView(const StationFitInputs& in, const MapExtents& indexExtents)
{
    MapExtents e;
    IncludeLoop(e, in.Loop);
    double x = 0.0, y = 0.0;
    PlaceSurveyPoint(in.Line, in.Station, in.Direction, x, y);
    e.Include(x, y);
    if (indexExtents.HasX()) {
        e.IncludeX(indexExtents.XMin);
        e.IncludeX(indexExtents.XMax);
    }
    if (indexExtents.HasY()) {
        e.IncludeY(indexExtents.YMin);
        e.IncludeY(indexExtents.YMax);
    }
    if (std::fabs(e.XMax - e.XMin) < 1.0) {
        e.XMax += 50.0;
        e.XMin -= 50.0;
    }
    if (std::fabs(e.YMax - e.YMin) < 1.0) {
        e.YMax += 50.0;
        e.YMin -= 50.0;
    }
    double size = in.Factor * std::max(e.XMax - e.XMin, e.YMax - e.YMin);
    if (!(size > 0.0) || !std::isfinite(size))
        size = 100.0;
    return CentredView(e, size, in.PaneWidth);
}

bool ZoomMapView(SurveyMapView& view, int32_t percent, double loopSideX, double loopSideY, int32_t paneWidth)
{
    const double old = view.Size;
    const double next = old * (1.0 - percent / 100.0);
    if (percent > 0 && (1.1 * loopSideX > next || 1.1 * loopSideY > next))
        return false;
    // A map of no size has no scale (both loop sides 0 and 100 %).
    if (!(next > 0.0) || !std::isfinite(next))
        return false;
    view.Size = next;
    view.PixelsPerMetre = static_cast<double>(paneWidth) / next;
    view.OriginX += (old - next) / 2;
    view.OriginY += (old - next) / 2;
    return true;
}

void PanMapView(SurveyMapView& view, int32_t dxPercent, int32_t dyPercent)
{
    view.OriginX += dxPercent * view.Size / 100.0;
    view.OriginY += dyPercent * view.Size / 100.0;
}

PixelPoint FollowSteps(PixelPoint station, int32_t w, int32_t h)
{
    PixelPoint s;
    if (station.X > w - 2)
        s.X = 1;
    else if (station.X < 2)
        s.X = -1;
    if (station.Y > h - 2)
        s.Y = -1;
    else if (station.Y < 2)
        s.Y = 1;
    return s;
}

// ---------------------------------------------------------------------------------------

std::vector<SurveyLineMark> SurveyLineMarks(const SurveyMapView& view, double surveyLine, double increment,
                                            int32_t direction, int32_t sequence, int32_t w, int32_t h)
{
    std::vector<SurveyLineMark> out;
    const bool vertical = direction == 0 || direction == 1;
    const int32_t extent = vertical ? w : h;
    const auto chevron = [&](int64_t k) {
        if (sequence != 0 || k % 2 == 0)
            return direction;
        return direction ^ 1;  // N <-> S, E <-> W
    };
    const auto pixelOf = [&](double lineNumber) {
        double x = 0.0, y = 0.0;
        PlaceSurveyPoint(lineNumber, lineNumber, direction, x, y);
        const PixelPoint p = SurveyPixelOf(view, x, y);
        return vertical ? p.X : p.Y;
    };
    if (!(increment > 0.0) || !std::isfinite(increment)) {
        const int32_t p = pixelOf(surveyLine);
        if (p >= 0 && p < extent)
            out.push_back({p, direction});
        return out;
    }
    // Pixel of line k is linear in k: vertical lines grow with k, horizontal ones fall.
    const double step = increment * view.PixelsPerMetre * (vertical ? 1.0 : -1.0);
    const double p0 = vertical ? (surveyLine - view.OriginX) * view.PixelsPerMetre
                               : (view.OriginY + view.Size - surveyLine) * view.PixelsPerMetre;
    if (!std::isfinite(step) || step == 0.0 || !std::isfinite(p0))
        return out;
    const double a = (0.0 - p0) / step;
    const double b = (static_cast<double>(extent) - p0) / step;
    const double kLo = std::ceil(std::min(a, b)) - 1;
    const double kHi = std::floor(std::max(a, b)) + 1;
    if (kHi - kLo > static_cast<double>(MaxLinesAcrossPane) || kLo < -4.0e15 || kHi > 4.0e15)
        return out;
    for (auto k = static_cast<int64_t>(kLo); k <= static_cast<int64_t>(kHi); ++k) {
        const int32_t p = pixelOf(surveyLine + static_cast<double>(k) * increment);
        // The walk from the current line towards growing pixels runs while p < extent, the
        // walk the other way while p >= 1: a line exactly at pixel 0 comes from the first.
        const bool firstWalk = vertical ? k >= 0 : k <= 0;
        if (p >= (firstWalk ? 0 : 1) && p < extent)
            out.push_back({p, chevron(k)});
    }
    return out;
}

void ChevronPoints(int32_t direction, int32_t p, int32_t w, int32_t h, PixelPoint out[3])
{
    switch (direction) {
    case 0:
        out[0] = {p - 4, 4};
        out[1] = {p, 0};
        out[2] = {p + 4, 4};
        break;
    case 1:
        out[0] = {p - 4, h - 6};
        out[1] = {p, h - 2};
        out[2] = {p + 4, h - 6};
        break;
    case 2:
        out[0] = {w - 6, p - 4};
        out[1] = {w - 2, p};
        out[2] = {w - 6, p + 4};
        break;
    default:
        out[0] = {4, p - 4};
        out[1] = {0, p};
        out[2] = {4, p + 4};
        break;
    }
}

std::vector<int32_t> StationGridPixels(const SurveyMapView& view, double interval, bool vertical, int32_t extent)
{
    std::vector<int32_t> out;
    if (!(interval > 0.0) || !std::isfinite(interval) || !(view.PixelsPerMetre > 0.0))
        return out;
    // Pixel of k x interval: vertical lines at (k i - ox) ppm, horizontal at (oy + size - k i) ppm.
    const double step = interval * view.PixelsPerMetre;
    const double p0 = vertical ? -view.OriginX * view.PixelsPerMetre : (view.OriginY + view.Size) * view.PixelsPerMetre;
    const GridRange r = vertical ? LatticeRange(p0, step, 0.0, extent) : LatticeRange(-p0, step, -extent, 0.0);
    for (int64_t k = r.First; k <= r.Last; ++k) {
        const double m = static_cast<double>(k) * interval;
        const PixelPoint p = SurveyPixelOf(view, m, m);
        const int32_t px = vertical ? p.X : p.Y;
        if (px > 0 && px < extent)
            out.push_back(px);
    }
    return out;
}

// ---------------------------------------------------------------------------------------

std::string ReviewExtentsResult::Message() const
{
    if (Error == 0)
        return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "I%d-Error in file line %d", Error, FileLine);
    return text;
}

ReviewExtentsResult ScanFileMapExtents(RecordFile& file, int32_t paneWidth, SurveyMapView& view)
{
    ReviewExtentsResult result;
    PositionKeeper keep(file);
    MapExtents e;
    if (!file.Seek(0))
        return result;
    char r[DataRecordBytes];
    int32_t direction = 0;
    int32_t shape = 0;
    const auto lineAfterRead = [&] { return static_cast<int32_t>(file.Tell() / DataRecordBytes + 1); };
    while (ReadRecord(file, r)) {
        switch (r[0]) {
        case 'L': {
            const double line = ColumnNumber(r, DataRecordBytes, 3, 16);
            direction = ColumnInt(r, DataRecordBytes, 18, 19);
            if (direction == 0 || direction == 1)
                e.IncludeX(line);
            else if (direction == 2 || direction == 3)
                e.IncludeY(line);
            break;
        }
        case 'S': {
            const double station = ColumnNumber(r, DataRecordBytes, 3, 16);
            if (direction == 0 || direction == 1)
                e.IncludeY(station);
            else if (direction == 2 || direction == 3)
                e.IncludeX(station);
            break;
        }
        case 'T':
            shape = ColumnInt(r, DataRecordBytes, 33, 34);
            break;
        case 'P': {
            const bool codes = std::memchr(r + 2, '.', 28) == nullptr;
            if (shape == 3 || codes) {
                if (!ReadRecord(file, r))
                    break;
            }
            if (shape == 0 || shape == 1) {
                const double cx = ColumnNumber(r, DataRecordBytes, 3, 16);
                const double cy = ColumnNumber(r, DataRecordBytes, 17, 30);
                const double sx = ColumnNumber(r, DataRecordBytes, 31, 44);
                const double sy = shape == 0 ? sx : ColumnNumber(r, DataRecordBytes, 45, 58);
                e.Include(cx - sx / 2, cy - sy / 2);
                e.Include(cx + sx / 2, cy + sy / 2);
            } else if (shape == 2) {
                MapLoop loop;
                loop.Shape = 2;
                loop.CornerX[0] = ColumnNumber(r, DataRecordBytes, 3, 16);
                loop.CornerY[0] = ColumnNumber(r, DataRecordBytes, 17, 30);
                loop.CornerX[1] = ColumnNumber(r, DataRecordBytes, 31, 44);
                loop.CornerY[1] = ColumnNumber(r, DataRecordBytes, 45, 58);
                if (!ReadRecord(file, r)) {
                    result.Error = 1;
                    result.FileLine = lineAfterRead();
                    return result;
                }
                if (r[0] != 'P' || r[1] != '3') {
                    result.Error = 2;
                    result.FileLine = lineAfterRead();
                    return result;
                }
                loop.CornerX[2] = ColumnNumber(r, DataRecordBytes, 3, 16);
                loop.CornerY[2] = ColumnNumber(r, DataRecordBytes, 17, 30);
                loop.CornerX[3] = ColumnNumber(r, DataRecordBytes, 31, 44);
                loop.CornerY[3] = ColumnNumber(r, DataRecordBytes, 45, 58);
                IncludeLoop(e, loop);
            }
            break;
        }
        default:
            break;
        }
    }
    // An axis with nothing on it is taken as the point 0.
    if (!e.HasX())
        e.XMin = e.XMax = 0.0;
    if (!e.HasY())
        e.YMin = e.YMax = 0.0;
    double size = 1.1 * std::max(e.XMax - e.XMin, e.YMax - e.YMin);
    if (!(size > 0.0) || !std::isfinite(size))
        size = 100.0;
    view.Size = size;
    view.PixelsPerMetre = static_cast<double>(paneWidth) / size;
    view.OriginX = e.XMin - (size - (e.XMax - e.XMin)) / 2;
    view.OriginY = e.YMin - (size - (e.YMax - e.YMin)) / 2;
    return result;
}

ReviewMapContents ReadReviewMapContents(RecordFile& file)
{
    ReviewMapContents c;
    PositionKeeper keep(file);
    if (!file.Seek(0))
        return c;
    char r[DataRecordBytes];
    bool haveLine = false;
    ReviewMapContents::Line current;
    while (ReadRecord(file, r)) {
        if (r[0] == 'L') {
            current.Number = ColumnNumber(r, DataRecordBytes, 3, 16);
            current.Direction = ColumnInt(r, DataRecordBytes, 18, 19);
            haveLine = true;
            c.Lines.push_back(current);
        } else if (r[0] == 'S' && haveLine) {
            c.Stations.push_back({current.Number, ColumnNumber(r, DataRecordBytes, 3, 16), current.Direction});
        }
    }
    return c;
}

SurveyMapView FitReviewMapView(const MapLoop& loop, const ReviewMapContents& contents, double factor, int32_t paneWidth)
{
    MapExtents e;
    if (loop.Shape == 0 || loop.Shape == 1)
        IncludeLoop(e, loop);
    else
        e.Include(loop.CentreX, loop.CentreY);
    for (const IndexedStation& s : contents.Stations) {
        double x = 0.0, y = 0.0;
        PlaceSurveyPoint(s.Line, s.Station, s.Direction, x, y);
        e.Include(x, y);
    }
    if (!e.HasX())
        e.XMin = e.XMax = 0.0;
    if (!e.HasY())
        e.YMin = e.YMax = 0.0;
    double size = factor * std::max(e.XMax - e.XMin, e.YMax - e.YMin);
    if (!(size > 0.0) || !std::isfinite(size))
        size = 100.0;
    return CentredView(e, size, paneWidth);
}

// ---------------------------------------------------------------------------------------

bool ParseStoredAngle(const std::string& field, double& degrees)
{
    const size_t p = field.find('.');
    if (p == std::string::npos || p < 2)
        return false;
    for (size_t i = p - 2; i < p; ++i)
        if (field[i] < '0' || field[i] > '9')
            return false;
    const std::string whole = field.substr(0, p - 2);
    const std::string minutes = field.substr(p - 2, 8);
    double d = 0.0;
    if (!whole.empty()) {
        char* stop = nullptr;
        d = std::strtod(whole.c_str(), &stop);
        if (stop == whole.c_str())
            d = 0.0;
    }
    char* stop = nullptr;
    const double m = std::strtod(minutes.c_str(), &stop);
    const double v = d + m / 60.0;
    if (!std::isfinite(v))
        return false;
    degrees = v;
    return true;
}

namespace {

// Field n (1-based) of a comma-separated sentence; false when there are fewer.
bool SentenceField(const std::string& s, int n, std::string& out)
{
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const size_t c = s.find(',', start);
        if (c == std::string::npos)
            return false;
        start = c + 1;
    }
    const size_t end = s.find(',', start);
    out = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return true;
}

bool PositionOfSentence(const std::string& sentence, StoredPosition& p)
{
    std::string address, lat, ns, lon, ew;
    if (!SentenceField(sentence, 1, address) || address.find("GGA") == std::string::npos)
        return false;
    if (!SentenceField(sentence, 3, lat) || !SentenceField(sentence, 4, ns) || !SentenceField(sentence, 5, lon) ||
        !SentenceField(sentence, 6, ew))
        return false;
    double la = 0.0, lo = 0.0;
    if (!ParseStoredAngle(lat, la) || !ParseStoredAngle(lon, lo))
        return false;
    if (!ns.empty() && ns[0] == 'S')
        la = -la;
    if (!ew.empty() && ew[0] == 'W')
        lo = -lo;
    p.Latitude = la;
    p.Longitude = lo;
    return true;
}

}  // namespace

std::vector<StoredPosition> ReadStoredGgaPositions(RecordFile& file, size_t maxSentence)
{
    std::vector<StoredPosition> out;
    PositionKeeper keep(file);
    if (!file.Seek(0))
        return out;
    char r[DataRecordBytes];
    while (ReadRecord(file, r)) {
        if (r[0] != '@')
            continue;
        std::string sentence(r + 1, r + 58);
        bool ended = false;
        bool tooLong = false;
        while (ReadRecord(file, r)) {
            if (r[0] == '!') {
                ended = true;
                break;
            }
            if (r[0] == '#') {
                if (sentence.size() + 57 > maxSentence)
                    tooLong = true;
                else
                    sentence.append(r + 1, r + 58);
            }
        }
        if (!ended)
            break;  // cut off by the end of the file
        if (tooLong)
            continue;
        const size_t last = sentence.find_last_not_of(' ');
        sentence.erase(last == std::string::npos ? 0 : last + 1);
        StoredPosition p;
        if (PositionOfSentence(sentence, p))
            out.push_back(p);
    }
    return out;
}

void PlaceViewAfterRebuild(MapViewportValues& v, PixelPoint last, PixelPoint lastAtPreviousScale, int32_t keepScale)
{
    if (keepScale == 1) {
        const int64_t dx = static_cast<int64_t>(last.X) - lastAtPreviousScale.X;
        const int64_t dy = static_cast<int64_t>(last.Y) - lastAtPreviousScale.Y;
        v.ViewLeft = SaturateAdd(v.ViewLeft, dx);
        v.ViewRight = SaturateAdd(v.ViewRight, dx);
        v.ViewTop = SaturateAdd(v.ViewTop, dy);
        v.ViewBottom = SaturateAdd(v.ViewBottom, dy);
        return;
    }
    if (v.ViewLeft < last.X && last.X < v.ViewRight && v.ViewTop < last.Y && last.Y < v.ViewBottom)
        return;
    v.ViewLeft = SaturateAdd(last.X, -static_cast<int64_t>(v.Cx) + 1);
    v.ViewRight = SaturateAdd(last.X, static_cast<int64_t>(v.Cx) - 1);
    v.ViewTop = SaturateAdd(last.Y, -static_cast<int64_t>(v.Cy) + 1);
    v.ViewBottom = SaturateAdd(last.Y, static_cast<int64_t>(v.Cy) - 1);
}

// ---------------------------------------------------------------------------------------

MonitorStep MonitorInput(MonitorKeyState& s, MonitorInputKind kind, uint32_t wParam)
{
    MonitorStep step;
    if (s.Mode != 2)
        return step;
    if (kind == MonitorInputKind::KeyDown && wParam != 103 && wParam != 112 && wParam != 120)
        return step;
    const bool isCommand = kind == MonitorInputKind::Command;
    int32_t action = static_cast<int32_t>(wParam & 0xFFFFu) - 750;
    switch (wParam) {
    case 9: {
        step.HighlightMoved = true;
        step.HighlightFrom = s.Highlight;
        int32_t h = s.Highlight;
        if (h == 0)
            ++h;
        ++h;
        if (h > 2)
            h = 0;
        if (h == 0 && s.Running == 1)
            h = 1;
        else if (h == 1 && s.Running == 0)
            h = 2;
        s.Highlight = h;
        step.HighlightTo = h;
        return step;
    }
    case 13:
        action = s.Highlight;
        break;
    case 'G':
    case 'g':
        action = MonitorGo;
        break;
    case 'P':
    case 'p':
        action = MonitorPause;
        break;
    case 'X':
    case 'x':
        action = MonitorExit;
        break;
    default:
        // A character that is no key of the monitor does nothing, whatever its code.
        if (!isCommand)
            action = MonitorNone;
        break;
    }
    switch (action) {
    case MonitorGo:
        s.Running = 1;
        if (s.Highlight == 0) {
            step.HighlightMoved = true;
            step.HighlightFrom = 0;
            step.HighlightTo = s.Highlight = 1;
        }
        break;
    case MonitorPause:
        s.Running = 0;
        if (s.Highlight == 1) {
            step.HighlightMoved = true;
            step.HighlightFrom = 1;
            step.HighlightTo = s.Highlight = 0;
        }
        break;
    case MonitorExit:
        s.Mode = 0;
        break;
    default:
        return step;
    }
    step.Action = action;
    return step;
}
