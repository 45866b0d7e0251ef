// The map's and the live strip's readers of a survey file over any bytes: ScanFileMapExtents,
// ReadReviewMapContents, ReadStoredGgaPositions, and WalkLineBackwards from the end of the file
// and from a place the input's first bytes give, with the strip's geometry, unit and loop area
// from them too. None changes the file or leaves the position moved; the view fitted is finite
// with a positive size; positions, lines and stations are finite numbers; the strip keeps its
// 325 columns at most, each of a reading's 1-100 gates, inside the strip, at a finite station.
#include "vlox/display/map_geometry.h"
#include "vlox/display/review_plot.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool Finite(double v)
{
    return std::isfinite(v);
}

void ScanExtents(MemoryFile& f)
{
    SurveyMapView view;
    view.OriginX = 12.0;
    const SurveyMapView before = view;
    const ReviewExtentsResult r = ScanFileMapExtents(f, 400, view);
    Require(r.Error >= 0 && r.Error <= 2);
    if (r.Error != 0) {
        Require(view.OriginX == before.OriginX && view.Size == before.Size && !r.Message().empty());
        return;
    }
    Require(view.Size > 0.0 && Finite(view.Size) && Finite(view.OriginX) && Finite(view.OriginY));
    Require(view.PixelsPerMetre > 0.0 && Finite(view.PixelsPerMetre));
}

void ReadContents(MemoryFile& f)
{
    const ReviewMapContents c = ReadReviewMapContents(f);
    for (const ReviewMapContents::Line& l : c.Lines)
        Require(Finite(l.Number));
    for (const IndexedStation& s : c.Stations)
        Require(Finite(s.Line) && Finite(s.Station));
    Require(c.Stations.empty() || !c.Lines.empty());
}

void ReadPositions(MemoryFile& f, size_t limit)
{
    for (const StoredPosition& p : ReadStoredGgaPositions(f, limit))
        Require(Finite(p.Latitude) && Finite(p.Longitude));
}

void WalkStrip(MemoryFile& f, const uint8_t* data, size_t size)
{
    const int32_t right = 900;
    const int32_t step = size > 1 ? 1 + data[1] % 40 : 8;
    const int32_t left = size > 2 ? data[2] * 3 : 100;
    const int32_t readingNumber = size > 3 && data[3] < 128 ? data[3] : -1;
    const int32_t unit = size > 4 ? data[4] % 7 : 0;
    const double loopArea = size > 5 ? (static_cast<double>(data[5]) - 16.0) * 250.0 : 5000.0;
    const StripWalk w = WalkLineBackwards(f, right, step, left, readingNumber, unit, loopArea);
    Require(w.Columns.size() <= static_cast<size_t>(MaxStripColumns));
    Require(w.Ticks.size() <= w.Columns.size());
    for (const StripColumn& c : w.Columns) {
        Require(c.X <= right && c.X >= left);
        Require(c.GateCount >= 1 && c.GateCount <= MaxGateCount);
        Require(Finite(c.Station));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryFile f;
    f.Bytes.assign(reinterpret_cast<const char*>(data), size);
    const int64_t length = static_cast<int64_t>(size);
    const int64_t places[2] = {length / 60 * 60, size > 0 ? static_cast<int64_t>(data[0]) * 60 % (length + 60) : 0};
    for (int64_t place : places) {
        f.Position = place;
        ScanExtents(f);
        ReadContents(f);
        ReadPositions(f, size > 6 && data[6] < 32 ? static_cast<size_t>(data[6]) * 8 : StoredSentenceLimit);
        WalkStrip(f, data, size);
        Require(f.Position == place);
        Require(f.Bytes.size() == size && f.Bytes.compare(0, size, reinterpret_cast<const char*>(data), size) == 0);
    }
    return 0;
}
