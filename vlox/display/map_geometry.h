// The map's arithmetic over plain data: the GPS map's view and track (pixels from the GPS
// origin, the track memory sorted by row, the scroll decision and the strips it uncovers,
// the grid kept as phase + k x spacing), the station and review maps' views (placement of
// survey points, fits, zoom, pan and follow), the survey lines with their chevrons, the
// extents scan of a reviewed file and the GPS track rebuilt from stored sentences. The Win32
// side (map_window_win.cpp) only draws what these give.
//
// Every conversion to pixels truncates toward zero and saturates to the int32 range; NaN
// gives 0. Loops over lines are bounded by the pane, never by the data.
#pragma once

#include "vlox/datafile/review_reader.h"
#include "vlox/display/curve_plot.h"  // SaturatePixel

#include <cstdint>
#include <string>
#include <vector>

class RecordFile;

// Sum of two int32 values, saturated.
int32_t SaturateAdd(int64_t a, int64_t b);

// ---------------------------------------------------------------------------------------
// GPS map: view, cross and scrolling.

constexpr int32_t MapScrollTrigger = 22;  // px from the view edge that starts a scroll
constexpr int32_t MapScrollMargin = 42;   // px inside the edge where the fix lands after it
constexpr int32_t MapCrossHalf = 4;
constexpr int32_t MapCrossBox = 9;  // the saved box under the cross, px a side
constexpr int32_t TrackSymbolStyle = 4;

struct MapViewportValues {
    // Pane rectangle (pane pixels), fixed until the next setup.
    int32_t PaneLeft = 1;
    int32_t PaneRight = 0;
    int32_t PaneTop = 1;
    int32_t PaneBottom = 0;
    // The part of the track plane shown (track pixels); moved by scrolling.
    int32_t ViewLeft = 1;
    int32_t ViewRight = 0;
    int32_t ViewTop = 1;
    int32_t ViewBottom = 0;
    int32_t Cx = 0;
    int32_t Cy = 0;
    int32_t Side = 0;  // W - 3
    // Cross position (pane pixels) and whether the first fix has been plotted.
    int32_t CrossX = 0;
    int32_t CrossY = 0;
    int32_t FirstPlotDone = 0;
};

// The view of a pane of width w and height h: pane and view (1, w - 3, 1, h - 3), centre,
// side; the cross and the flags are left as they are.
void SetupViewport(MapViewportValues& v, int32_t w, int32_t h);

struct PixelPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// Track pixel of a position (UTM metres) relative to the GPS origin: north is up.
PixelPoint TrackPixelOf(double easting, double northing, double originEasting, double originNorthing,
                        double pixelsPerMetre, int32_t cx, int32_t cy);

// One fix's move of the view: the shift of each axis and whether it re-centres (the shift
// reached the pane extent less the margin; the pane is then cleared and not redrawn).
struct GpsScrollPlan {
    int32_t Dx = 0;
    int32_t Dy = 0;
    bool Recentre = false;
};
// Decides and applies the view move for the track pixel (x, y).
GpsScrollPlan ScrollViewFor(MapViewportValues& v, int32_t x, int32_t y);

// What scrolling one axis by d pixels does to a pane of side s (d not 0).
struct ScrollStripPlan {
    // Block moved within the window: source, size, destination.
    int32_t SrcX = 0, SrcY = 0, Width = 0, Height = 0, DstX = 0, DstY = 0;
    // Strip filled white: (left, top) to (right, bottom).
    int32_t FillLeft = 0, FillTop = 0, FillRight = 0, FillBottom = 0;
    // The lines of the other direction are redrawn across the strip: from .. to (pane px).
    int32_t CrossFrom = 0, CrossTo = 0;
    // The lines of the scroll's own direction that came in run from .. to (pane px): from the
    // pane's top to its bottom for new columns, from x 0 to the pane's right for new rows.
    int32_t NewFrom = 0, NewTo = 0;
    // Track pixels whose points are redrawn (inclusive).
    int32_t TrackX0 = 0, TrackY0 = 0, TrackX1 = 0, TrackY1 = 0;
};
// horizontal: the x axis (dx), else the y axis (dy); the view is the view after the shift.
ScrollStripPlan PlanScrollStrip(bool horizontal, int32_t d, const MapViewportValues& v);

// ---------------------------------------------------------------------------------------
// GPS map grid: each direction is the lines Origin + k x Spacing (pane pixels) for k in
// First .. Last, so a shift moves the phase and never loses the lattice.

struct MapGridAxis {
    double Origin = 0.0;
    int32_t First = 0;
    int32_t Last = -1;  // none when Last < First
};
struct MapGridValues {
    MapGridAxis Columns;  // vertical lines, x positions
    MapGridAxis Rows;     // horizontal lines, y positions
    double Spacing = 0.0;
    bool Valid = false;  // false: no grid is drawn
};
struct GridRange {
    int32_t First = 0;
    int32_t Last = -1;
    bool Empty() const { return Last < First; }
};

// The grid of the GPS map. A negative interval is made positive and one that gives more
// than 20 intervals on the map becomes map size / 10 (interval is the setting, changed in
// place). An interval or map size that is not positive gives no grid.
MapGridValues ComputeMapGridValues(double mapSize, double& interval, const MapViewportValues& v);
// Position of line k of an axis, truncated to a pane pixel.
int32_t GridLinePixel(const MapGridValues& g, const MapGridAxis& a, int32_t k);
// Moves one axis by a scroll of d pixels (positions decrease by d) and keeps the lines that
// lie within paneMin .. paneMax; returns the lines that became visible.
GridRange ShiftGridAxis(const MapGridValues& g, MapGridAxis& a, int32_t d, int32_t paneMin, int32_t paneMax);

// ---------------------------------------------------------------------------------------
// GPS track memory: two int32 arrays sorted by y.

struct GpsTrackValues {
    std::vector<int32_t> X;
    std::vector<int32_t> Y;
    int32_t Capacity = 14400;
    int32_t Allocated = 14600;
    int32_t Count = 0;
    int32_t LastInsert = 0;
    int32_t ReaderCount = 0;  // points added by the stored-sentence reader
    bool Made = false;
};

constexpr int32_t TrackCapacityStart = 14400;
constexpr int32_t TrackCapacityStep = 1800;
constexpr int32_t TrackSlack = 200;
constexpr int32_t TrackMaxReductions = 6;

// Sizes the track from the free physical memory (bytes): capacity 14400 lowered by 1800
// while 8 x (capacity + 200) is at least four fifths of it. Returns the reductions; more
// than 6 means no arrays (the loop stops at 7, whatever the memory).
int32_t TrackCapacityFor(uint64_t freeBytes, int32_t& capacity, int32_t& allocated);
// Frees the arrays: count, insertion index and reader count become 0.
void FreeTrack(GpsTrackValues& t);
// Frees and makes the arrays anew with the current size, empty.
void RemakeTrack(GpsTrackValues& t);
// Makes the arrays sized from the free memory; the reductions (0-6), or 7 with no arrays.
int32_t MakeTrack(GpsTrackValues& t, uint64_t freeBytes);
// Stores a point in row order (the first in slot 0). False when there are no arrays or the
// track is full.
bool InsertTrackPoint(GpsTrackValues& t, int32_t x, int32_t y);
// The stored points with x0 <= x <= x1 and y0 <= y <= y1, in row order, found from the last
// insertion.
std::vector<PixelPoint> TrackPointsInStrip(const GpsTrackValues& t, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// ---------------------------------------------------------------------------------------
// Station and review maps: a square of the survey plane.

struct SurveyMapView {
    double OriginX = 0.0;  // lower-left corner, survey metres
    double OriginY = 0.0;
    double Size = 100.0;  // metres a side
    double PixelsPerMetre = 1.0;
};

// A station's survey point: (line, station) for directions 0 and 1, (station, line) else.
void PlaceSurveyPoint(double line, double station, int32_t direction, double& x, double& y);
PixelPoint SurveyPixelOf(const SurveyMapView& view, double x, double y);

struct MapExtents {
    double XMin = 999999999.0;
    double XMax = -999999999.0;
    double YMin = 999999999.0;
    double YMax = -999999999.0;
    void IncludeX(double x);
    void IncludeY(double y);
    void Include(double x, double y)
    {
        IncludeX(x);
        IncludeY(y);
    }
    bool HasX() const { return XMin <= XMax; }
    bool HasY() const { return YMin <= YMax; }
};

// The loop as the maps draw and fit it.
struct MapLoop {
    int32_t Shape = 1;  // 0 square, 1 rectangle, 2 corners, others not drawn
    double CentreX = 0.0, CentreY = 0.0, SideX = 0.0, SideY = 0.0;
    double CornerX[4] = {};
    double CornerY[4] = {};
};
// Closed polyline of the loop (5 points), empty for shapes that are not drawn; square and
// rectangle from the south-west corner through north-west, north-east and south-east.
std::vector<double> LoopOutline(const MapLoop& loop);  // x0, y0, x1, y1, ...
// The loop of a stored reading as the review map draws it: none when it could not be read
// (read false); corners in GPS coordinates are not drawn there.
MapLoop MapLoopOfReading(const ReviewReadingData& r, bool read);
// The loop the review map draws: the reading shown's; none outside review.
MapLoop ShownReadingLoop();

// One station index line (33 bytes): line, station, direction. False when short.
bool ParseStationIndexLine(const char* line, size_t length, double& surveyLine, double& station, int32_t& direction);
// Every station of the index: line, station, direction; the position is left at the end.
struct IndexedStation {
    double Line = 0.0;
    double Station = 0.0;
    int32_t Direction = 0;
};
std::vector<IndexedStation> ReadStationIndex(RecordFile& index);
// Widens the extents by the stations.
void IncludeStations(MapExtents& e, const std::vector<IndexedStation>& stations);
// The data file's index as last read, when a station was stored, the station map opened or the
// data file changed: the live station map paints and fits these, never reading the file.
extern std::vector<IndexedStation> StationMapStations;

// Station map fit: the loop, the current station and the extents gathered (index). Extents
// under 1 m are widened by 50 m on each side.
struct StationFitInputs {
    MapLoop Loop;
    double Line = 0.0, Station = 0.0;
    int32_t Direction = 0;
    double Factor = 1.1;
    int32_t PaneWidth = 0;
};
SurveyMapView FitStationMapView(const StationFitInputs& in, const MapExtents& indexExtents);

// Zoom by percent about the centre (positive zooms in). Refused (false, view unchanged)
// when zooming in below 1.1 x a loop side, or when the new size would not be a positive
// finite number.
bool ZoomMapView(SurveyMapView& view, int32_t percent, double loopSideX, double loopSideY, int32_t paneWidth);
// Pan by percent of the side.
void PanMapView(SurveyMapView& view, int32_t dxPercent, int32_t dyPercent);
// The follow steps of the current station's pixel: x +1 near the right, -1 near the left;
// y -1 near the bottom, +1 near the top.
PixelPoint FollowSteps(PixelPoint station, int32_t w, int32_t h);

// ---------------------------------------------------------------------------------------
// Survey lines background and chevrons.

struct SurveyLineMark {
    int32_t Pixel = 0;      // x of a vertical line (directions 0, 1), y of a horizontal one
    int32_t Direction = 0;  // the chevron's direction
};
// The lines SurveyLine + k x increment that fall in the pane, each with its chevron's
// direction: with alternate sequence (0) an odd k flips N/S or E/W. The current line and
// those beyond it in the direction its pixel grows (east of a N/S line, south of an E/W one)
// count from pixel 0, the others from pixel 1; all end before the pane's extent. A
// non-positive increment gives the current line alone.
std::vector<SurveyLineMark> SurveyLineMarks(const SurveyMapView& view, double surveyLine, double increment,
                                            int32_t direction, int32_t sequence, int32_t w, int32_t h);
// The chevron's three points at the pane edge for a line at pixel p.
void ChevronPoints(int32_t direction, int32_t p, int32_t w, int32_t h, PixelPoint out[3]);
// Grid lines of the station map: pixels of k x interval (metres from the survey origin)
// strictly inside 0 .. extent, for one axis; none for a non-positive interval.
std::vector<int32_t> StationGridPixels(const SurveyMapView& view, double interval, bool vertical, int32_t extent);

// ---------------------------------------------------------------------------------------
// Review map: the reviewed file read over a byte source.

// The extents scan's result: 0 done (view set), 1 or 2 the file error "I1"/"I2" (view kept)
// with the line of the message.
struct ReviewExtentsResult {
    int32_t Error = 0;
    int32_t FileLine = 0;
    std::string Message() const;  // "I1-Error in file line %d"
};
// Fits the review view to the file's lines, stations and loops; the file position is the
// same afterwards. A file without coordinates gives a 100 m map about (0, 0).
ReviewExtentsResult ScanFileMapExtents(RecordFile& file, int32_t paneWidth, SurveyMapView& view);

// The reviewed file's lines and stations (stations before the first line record are left
// out); the file position is the same afterwards.
struct ReviewMapContents {
    struct Line {
        double Number = 0.0;
        int32_t Direction = 0;
    };
    std::vector<Line> Lines;
    std::vector<IndexedStation> Stations;
};
ReviewMapContents ReadReviewMapContents(RecordFile& file);

// Fit to the reviewed reading's loop and the reviewed file's stations (never the current
// data file's index). A size that is not positive becomes 100 m.
SurveyMapView FitReviewMapView(const MapLoop& loop, const ReviewMapContents& contents, double factor,
                               int32_t paneWidth);

// ---------------------------------------------------------------------------------------
// GPS track from stored sentences.

// A coordinate field ddmm.mmmm / dddmm.mmmm in degrees; false without a '.' that has two
// digits before it.
bool ParseStoredAngle(const std::string& field, double& degrees);
// The positions of the GGA sentences stored in the file ('@', '#' ... '!'), latitude and
// longitude in degrees; the file position is the same afterwards. The address field must
// hold "GGA"; a sentence cut off by the end of the file is dropped, one longer than
// maxSentence characters skipped.
struct StoredPosition {
    double Latitude = 0.0;
    double Longitude = 0.0;
};
constexpr size_t StoredSentenceLimit = 1024;
std::vector<StoredPosition> ReadStoredGgaPositions(RecordFile& file, size_t maxSentence = StoredSentenceLimit);

// Places the view after a rebuild: keepScale 1 moves it by the last point's displacement
// between the previous and the current scale; otherwise it re-centres on the point when it
// lies outside.
void PlaceViewAfterRebuild(MapViewportValues& v, PixelPoint last, PixelPoint lastAtPreviousScale, int32_t keepScale);

// ---------------------------------------------------------------------------------------
// GPS monitor window: buttons and keys.

enum MonitorAction : int32_t { MonitorGo = 0, MonitorPause = 1, MonitorExit = 2, MonitorNone = -1 };

struct MonitorKeyState {
    int32_t Mode = 0;       // 2 while the monitor is up
    int32_t Running = 1;    // 1 listing (Pause shown), 0 paused (Go shown)
    int32_t Highlight = 1;  // the button with the default style
};

// What one input does: the action to run and the highlight's move (From -> To when moved).
struct MonitorStep {
    int32_t Action = MonitorNone;
    bool HighlightMoved = false;
    int32_t HighlightFrom = 0;
    int32_t HighlightTo = 0;
};
// What reached the monitor: a button click (the id in the low word of wParam), a character,
// or a key-down (a virtual-key code).
enum class MonitorInputKind : int32_t { Command, Character, KeyDown };
// Applies Go, Pause and the highlight to the state; Exit is left to the caller. A key-down
// acts only for the keys that make no character: keypad 7, F1 and F9 (codes 103, 112, 120)
// act like g, p and x; every other key acts through the character that follows it, so one
// press acts once.
MonitorStep MonitorInput(MonitorKeyState& s, MonitorInputKind kind, uint32_t wParam);
