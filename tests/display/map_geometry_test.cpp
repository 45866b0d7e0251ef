#include "vlox/datafile/fileio.h"
#include "vlox/datafile/records.h"
#include "vlox/display/map_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <string>

namespace {

std::string Record(const std::string& text)
{
    std::string r = text;
    r.resize(58, ' ');
    return r + "\r\n";
}

// The columns of a record from 3 on: 14-character fields.
std::string Fields(const std::string& tag, std::initializer_list<double> values)
{
    std::string r = tag;
    for (double v : values) {
        char f[32];
        std::snprintf(f, sizeof f, "%14.3f", v);
        r += f;
    }
    return Record(r);
}

std::string LineRec(double line, int dir)
{
    char r[64];
    std::snprintf(r, sizeof r, "L1%14.3f %2d", line, dir);
    return Record(r);
}

std::string LoopShapeRec(int shape)
{
    char r[64];
    std::snprintf(r, sizeof r, "T1%14.3f %14.3f %2d", 3.0, 5.0, shape);
    return Record(r);
}

std::string CodesRec(int shape)
{
    char r[64];
    std::snprintf(r, sizeof r, "P1%3d %3d %3d %3d %3d", shape, 4, 1, 17, 0);
    return Record(r);
}

MapViewportValues Pane168()
{
    MapViewportValues v;
    SetupViewport(v, 168, 168);
    return v;
}

}  // namespace

TEST(MapTrack, CapacityFromFreeMemoryAndItsFloor)
{
    struct Case {
        uint64_t freeBytes;
        int32_t reductions;
        int32_t capacity;
    } cases[] = {
        {146000, 1, 12600},         // the worked value
        {1000000000ull, 0, 14400},  // plenty
        {50000, 6, 3600},           // the smallest made
        {0, 7, -1},                 // no memory figure: gives up after 7, never loops on
    };
    for (const Case& c : cases) {
        int32_t capacity = 0, allocated = 0;
        EXPECT_EQ(TrackCapacityFor(c.freeBytes, capacity, allocated), c.reductions) << c.freeBytes;
        GpsTrackValues t;
        EXPECT_EQ(MakeTrack(t, c.freeBytes), c.reductions);
        EXPECT_EQ(t.Made, c.capacity > 0);
        if (c.capacity > 0) {
            EXPECT_EQ(t.Capacity, c.capacity);
            EXPECT_EQ(t.Allocated, c.capacity + 200);
        }
    }
}

// Remaking the arrays must not leave a count that points past the new, empty arrays.
TEST(MapTrack, FreeingZeroesTheCounts)
{
    GpsTrackValues t;
    MakeTrack(t, 1000000000ull);
    for (int i = 0; i < 5; ++i)
        InsertTrackPoint(t, i, 10 - i);
    t.ReaderCount = 5;
    FreeTrack(t);
    EXPECT_FALSE(InsertTrackPoint(t, 1, 1));
    EXPECT_EQ(t.Count, 0);
    EXPECT_EQ(t.LastInsert, 0);
    EXPECT_EQ(t.ReaderCount, 0);
    RemakeTrack(t);
    EXPECT_TRUE(t.Made);
    EXPECT_EQ(t.Count, 0);
    EXPECT_TRUE(TrackPointsInStrip(t, INT_MIN, INT_MIN, INT_MAX, INT_MAX).empty());
}

TEST(MapTrack, RowOrderAndStripWalk)
{
    GpsTrackValues t;
    MakeTrack(t, 1000000000ull);
    // Rows inserted from both sides of the last insertion, equal rows among them.
    const int32_t rows[] = {50, 10, 50, 90, 50, 10, 70, 30, 50};
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(InsertTrackPoint(t, i, rows[i]));
    for (int i = 1; i < t.Count; ++i)
        EXPECT_LE(t.Y[i - 1], t.Y[i]);
    const std::vector<PixelPoint> all = TrackPointsInStrip(t, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    std::set<int32_t> xs;
    for (const PixelPoint& p : all)
        xs.insert(p.X);
    EXPECT_EQ(all.size(), 9u);
    EXPECT_EQ(xs.size(), 9u);  // each point once
    const std::vector<PixelPoint> strip = TrackPointsInStrip(t, 0, 30, 8, 50);
    EXPECT_EQ(strip.size(), 5u);  // the row 30 and the four rows 50
    for (const PixelPoint& p : strip)
        EXPECT_TRUE(p.Y >= 30 && p.Y <= 50);

    // A full track stores nothing more.
    t.Allocated = t.Count;
    EXPECT_FALSE(InsertTrackPoint(t, 1, 1));
}

TEST(MapGrid, LinesOfTheWorkedValuesAndIntervalRules)
{
    const MapViewportValues v = Pane168();
    struct Case {
        double size, interval, intervalAfter;
        std::vector<int32_t> lines;
    } cases[] = {
        {5.0, 1.0, 1.0, {17, 50, 83, 116, 149}},
        {5.0, -1.0, 1.0, {17, 50, 83, 116, 149}},
        {5.0, 0.2, 0.5, {}},
        {5.0, 0.0, 0.0, {}},
    };
    for (const Case& c : cases) {
        double interval = c.interval;
        const MapGridValues g = ComputeMapGridValues(c.size, interval, v);
        EXPECT_DOUBLE_EQ(interval, c.intervalAfter);
        if (c.intervalAfter == 0.0) {
            EXPECT_FALSE(g.Valid);
            continue;
        }
        ASSERT_TRUE(g.Valid);
        if (c.lines.empty())
            continue;
        std::vector<int32_t> got;
        for (int32_t k = g.Columns.First; k <= g.Columns.Last; ++k)
            got.push_back(GridLinePixel(g, g.Columns, k));
        EXPECT_EQ(got, c.lines);
    }
}

// Each shift leaves exactly the lattice lines inside the pane, however far the map moves;
// the lines reported new are the ones that were not shown before.
TEST(MapGrid, ShiftsKeepTheLattice)
{
    const MapViewportValues v = Pane168();
    double interval = 1.0;
    MapGridValues g = ComputeMapGridValues(5.0, interval, v);
    const int32_t shifts[] = {40, -40, 7, -100000, 250000, -1};
    for (int32_t d : shifts) {
        std::set<int32_t> before;
        for (int32_t k = g.Columns.First; k <= g.Columns.Last; ++k)
            before.insert(GridLinePixel(g, g.Columns, k) - d);
        const GridRange fresh = ShiftGridAxis(g, g.Columns, d, v.PaneLeft, v.PaneRight);
        ASSERT_FALSE(g.Columns.Last < g.Columns.First) << d;
        int32_t shown = 0;
        for (int32_t k = g.Columns.First; k <= g.Columns.Last; ++k) {
            const int32_t p = GridLinePixel(g, g.Columns, k);
            EXPECT_TRUE(p >= v.PaneLeft && p <= v.PaneRight) << d;
            ++shown;
            const bool isNew = k >= fresh.First && k <= fresh.Last;
            EXPECT_EQ(isNew, std::abs(d) > 200 || before.count(p) == 0) << d << " " << p;
        }
        EXPECT_GE(shown, 4) << d;  // 33-pixel spacing over 165 pixels
    }
}

TEST(MapScroll, TriggerMarginAndRecentre)
{
    struct Case {
        int32_t x, y;
        int32_t dx, dy;
        bool recentre;
    } cases[] = {
        {165 - 21, 83, 21, 0, false},  // 21 px from the right edge: the fix lands 42 px inside
        {165 - 22, 83, 0, 0, false},   // 22 px: no scroll
        {1 + 21, 83, -21, 0, false},  {83, 1 + 20, 0, -22, false},
        {83, 165 - 10, 0, 32, false}, {1000, 83, 877, 0, true},  // at least the pane less 42: re-centred on the fix
    };
    for (const Case& c : cases) {
        MapViewportValues v = Pane168();
        const GpsScrollPlan p = ScrollViewFor(v, c.x, c.y);
        EXPECT_EQ(p.Dx, c.dx) << c.x << "," << c.y;
        EXPECT_EQ(p.Dy, c.dy) << c.x << "," << c.y;
        EXPECT_EQ(p.Recentre, c.recentre);
        if (c.recentre) {
            EXPECT_EQ(c.x - v.ViewLeft, v.Cx - 1);
        } else if (p.Dx > 0) {
            EXPECT_EQ(v.ViewRight - c.x, 42);
        } else if (p.Dx < 0) {
            EXPECT_EQ(c.x - v.ViewLeft, 42);
        }
    }
    // A fix whose pixel saturates still gives a defined view.
    MapViewportValues v = Pane168();
    const PixelPoint far = TrackPixelOf(1e300, -1e300, 0.0, 0.0, 33.0, v.Cx, v.Cy);
    EXPECT_EQ(far.X, INT_MAX);
    EXPECT_EQ(far.Y, INT_MAX);
    EXPECT_TRUE(ScrollViewFor(v, far.X, far.Y).Recentre);
    EXPECT_EQ(TrackPixelOf(NAN, 0.0, 0.0, 0.0, 33.0, 83, 83).X, 0);
}

TEST(MapScroll, StripOfEachDirection)
{
    MapViewportValues v = Pane168();  // side 165
    const ScrollStripPlan right = PlanScrollStrip(true, 21, v);
    EXPECT_EQ(right.SrcX, 21);
    EXPECT_EQ(right.Width, 145);
    EXPECT_EQ(right.FillLeft, 145);
    EXPECT_EQ(right.TrackX0, v.ViewLeft + 165 - 21 - 6);
    const ScrollStripPlan up = PlanScrollStrip(false, -22, v);
    EXPECT_EQ(up.DstY, 22);
    EXPECT_EQ(up.Height, 144);
    EXPECT_EQ(up.FillBottom, 22);
    EXPECT_EQ(up.TrackY1, v.ViewTop + 22 + 7);
    // Pins the mend: the rows that come in run from x 0, the columns from the pane's top.
    for (int32_t d : {-22, 30}) {
        const ScrollStripPlan rows = PlanScrollStrip(false, d, v);
        EXPECT_EQ(rows.NewFrom, 0) << d;
        EXPECT_EQ(rows.NewTo, v.PaneRight) << d;
        const ScrollStripPlan columns = PlanScrollStrip(true, d, v);
        EXPECT_EQ(columns.NewFrom, v.PaneTop) << d;
        EXPECT_EQ(columns.NewTo, v.PaneBottom) << d;
    }
}

TEST(SurveyMaps, ZoomPanAndFollow)
{
    SurveyMapView view;
    view.Size = 100.0;
    EXPECT_TRUE(ZoomMapView(view, 30, 50.0, 40.0, 168));
    EXPECT_NEAR(view.Size, 70.0, 1e-9);
    EXPECT_NEAR(view.OriginX, 15.0, 1e-9);
    EXPECT_NEAR(view.PixelsPerMetre, 168 / 70.0, 1e-12);
    EXPECT_FALSE(ZoomMapView(view, 30, 50.0, 40.0, 168));  // 49 m < 55 m
    EXPECT_NEAR(view.Size, 70.0, 1e-9);
    EXPECT_TRUE(ZoomMapView(view, -30, 50.0, 40.0, 168));
    EXPECT_NEAR(view.Size, 91.0, 1e-9);
    // No loop and 100 %: a map of no size is refused rather than divided by.
    EXPECT_FALSE(ZoomMapView(view, 100, 0.0, 0.0, 168));
    EXPECT_NEAR(view.Size, 91.0, 1e-9);

    SurveyMapView pan;
    pan.Size = 200.0;
    PanMapView(pan, -10, 25);
    EXPECT_DOUBLE_EQ(pan.OriginX, -20.0);
    EXPECT_DOUBLE_EQ(pan.OriginY, 50.0);

    struct Case {
        PixelPoint at, steps;
    } follow[] = {
        {{2, 2}, {0, 0}},  {{1, 80}, {-1, 0}},   {{166, 80}, {0, 0}},   {{167, 80}, {1, 0}},
        {{80, 1}, {0, 1}}, {{80, 167}, {0, -1}}, {{-5, 400}, {-1, -1}},
    };
    for (const Case& c : follow)
        EXPECT_EQ(FollowSteps(c.at, 168, 168), c.steps) << c.at.X << "," << c.at.Y;
}

TEST(SurveyMaps, StationFitAndIndexLine)
{
    StationFitInputs in;
    in.Loop.Shape = 2;  // all four corners at (0, 0)
    in.Factor = 1.25;
    in.PaneWidth = 168;
    const SurveyMapView v = FitStationMapView(in, MapExtents{});
    EXPECT_DOUBLE_EQ(v.Size, 125.0);
    EXPECT_DOUBLE_EQ(v.OriginX, -62.5);
    EXPECT_DOUBLE_EQ(v.OriginY, -62.5);

    const std::string line = StationIndexLine(0.0, 25.125, 0);
    double l = -1, s = -1;
    int32_t d = -1;
    ASSERT_TRUE(ParseStationIndexLine(line.data(), line.size(), l, s, d));
    double x = 0, y = 0;
    PlaceSurveyPoint(l, s, d, x, y);
    EXPECT_DOUBLE_EQ(x, 0.0);
    EXPECT_DOUBLE_EQ(y, 25.125);
    EXPECT_FALSE(ParseStationIndexLine(line.data(), 20, l, s, d));

    MemoryFile index;
    index.Bytes = line + StationIndexLine(40.0, -10.0, 2) + "short";
    MapExtents e;
    IncludeStations(e, ReadStationIndex(index));
    EXPECT_DOUBLE_EQ(e.XMin, -10.0);
    EXPECT_DOUBLE_EQ(e.YMax, 40.0);
    EXPECT_EQ(index.Position, static_cast<int64_t>(index.Bytes.size()));  // where the writer appends
}

TEST(SurveyMaps, LinesChevronsAndGrid)
{
    SurveyMapView view;
    view.Size = 200.0;
    view.OriginX = -100.0;
    view.OriginY = -100.0;
    view.PixelsPerMetre = 168 / 200.0;
    // Alternate lines 20 m apart, current line N.
    const std::vector<SurveyLineMark> marks = SurveyLineMarks(view, 0.0, 20.0, 0, 0, 168, 168);
    ASSERT_FALSE(marks.empty());
    for (const SurveyLineMark& m : marks) {
        const double metres = m.Pixel / view.PixelsPerMetre + view.OriginX;
        const long steps = std::lround(metres / 20.0);
        EXPECT_EQ(m.Direction, steps % 2 == 0 ? 0 : 1) << metres;
        EXPECT_GE(m.Pixel, 1);
        EXPECT_LT(m.Pixel, 168);
    }
    EXPECT_EQ(SurveyLineMarks(view, 0.0, 20.0, 0, 1, 168, 168).front().Direction, 0);  // one way

    // Pins the mend: a line exactly at pixel 0 is drawn when the walk from the current line
    // towards growing pixels reaches it (the current line itself, or east of a N/S line and
    // south of an E/W one), and not when the walk the other way does.
    struct Edge {
        double surveyLine;
        int32_t direction;
        bool zeroDrawn;
    };
    const Edge edges[] = {
        {-100.0, 0, true},  // N/S: the current line on the pane's left edge
        {-80.0, 0, false},  // N/S: line -100, one step west, on the left edge
        {100.0, 2, true},   // E/W: the current line on the pane's top edge
        {80.0, 2, false},   // E/W: line 100, one step north, on the top edge
    };
    for (const Edge& e : edges) {
        bool zero = false;
        for (const SurveyLineMark& m : SurveyLineMarks(view, e.surveyLine, 20.0, e.direction, 1, 168, 168)) {
            EXPECT_GE(m.Pixel, 0) << e.surveyLine;
            zero = zero || m.Pixel == 0;
        }
        EXPECT_EQ(zero, e.zeroDrawn) << e.surveyLine << " direction " << e.direction;
        bool alone = false;
        for (const SurveyLineMark& m : SurveyLineMarks(view, e.surveyLine, 0.0, e.direction, 1, 168, 168))
            alone = alone || m.Pixel == 0;
        EXPECT_EQ(alone, e.surveyLine == -100.0 || e.surveyLine == 100.0) << "no increment " << e.surveyLine;
    }
    // No increment: the current line alone; an increment far below a pixel stays bounded.
    EXPECT_EQ(SurveyLineMarks(view, 0.0, 0.0, 2, 0, 168, 168).size(), 1u);
    EXPECT_LE(SurveyLineMarks(view, 0.0, 1e-9, 0, 0, 168, 168).size(), 4096u);

    PixelPoint c[3];
    ChevronPoints(1, 50, 168, 168, c);
    EXPECT_EQ(c[1], (PixelPoint{50, 166}));
    ChevronPoints(3, 70, 168, 168, c);
    EXPECT_EQ(c[0], (PixelPoint{4, 66}));

    // A grid anchored far off the pane is found without walking there.
    SurveyMapView far = view;
    far.OriginX = 1.0e7;
    EXPECT_EQ(StationGridPixels(far, 10.0, true, 168).size(), 19u);
    EXPECT_TRUE(StationGridPixels(view, 0.0, true, 168).empty());
    EXPECT_TRUE(StationGridPixels(view, -5.0, false, 168).empty());
}

TEST(ReviewMap, ExtentsScanOfTheWorkedFiles)
{
    struct Case {
        const char* what;
        std::string file;
        int32_t error;
        double size, originX, originY;
    } cases[] = {
        {"line 0 N, stations 0-100, 50 m square at (0, 50)",
         LineRec(0, 0) + Fields("S1", {0.0}) + Fields("S1", {100.0}) + LoopShapeRec(0) + CodesRec(0) +
             Fields("P2", {0.0, 50.0, 50.0}),
         0, 110.0, -55.0, -5.0},
        {"one station, no loop", LineRec(30, 2) + Fields("S1", {-40.0}), 0, 100.0, -90.0, -20.0},
        {"nothing", Record("H1"), 0, 100.0, -50.0, -50.0},
        {"corners with the P2 record last", LoopShapeRec(2) + CodesRec(2) + Fields("P2", {0, 0, 10, 0}), 1, 0, 0, 0},
        {"corners without P3", LoopShapeRec(2) + CodesRec(2) + Fields("P2", {0, 0, 10, 0}) + Fields("S1", {1.0}), 2, 0,
         0, 0},
    };
    for (const Case& c : cases) {
        MemoryFile f;
        f.Bytes = c.file;
        f.Position = 60;
        SurveyMapView view;
        view.Size = 7.0;
        const ReviewExtentsResult r = ScanFileMapExtents(f, 168, view);
        EXPECT_EQ(r.Error, c.error) << c.what;
        EXPECT_EQ(f.Position, 60) << c.what;
        if (c.error != 0) {
            EXPECT_DOUBLE_EQ(view.Size, 7.0) << c.what;  // the view keeps its values
            char want[64];
            std::snprintf(want, sizeof want, "I%d-Error in file line %d", c.error, c.error == 1 ? 4 : 5);
            EXPECT_EQ(r.Message(), want) << c.what;
            continue;
        }
        EXPECT_NEAR(view.Size, c.size, 1e-9) << c.what;
        EXPECT_NEAR(view.OriginX, c.originX, 1e-9) << c.what;
        EXPECT_NEAR(view.OriginY, c.originY, 1e-9) << c.what;
        EXPECT_NEAR(view.PixelsPerMetre, 168 / c.size, 1e-12) << c.what;
    }
}

// The review fit takes the reviewed file's stations, not any other file's.
TEST(ReviewMap, ContentsAndFit)
{
    MemoryFile f;
    f.Bytes = Fields("S1", {5.0}) + LineRec(10, 0) + Fields("S1", {0.0}) + Fields("S1", {40.0}) + LineRec(20, 3) +
              Fields("S1", {15.0});
    const ReviewMapContents c = ReadReviewMapContents(f);
    ASSERT_EQ(c.Lines.size(), 2u);
    EXPECT_EQ(c.Lines[1].Direction, 3);
    ASSERT_EQ(c.Stations.size(), 3u);  // the one before the first line is left out
    MapLoop loop;
    loop.Shape = 1;
    loop.CentreX = 10.0;
    loop.CentreY = 20.0;
    loop.SideX = 10.0;
    loop.SideY = 10.0;
    const SurveyMapView v = FitReviewMapView(loop, c, 1.1, 168);
    // X 5..15, Y 0..40: 44 m about (10, 20).
    EXPECT_NEAR(v.Size, 44.0, 1e-9);
    EXPECT_NEAR(v.OriginX, 10.0 - 22.0, 1e-9);
    MapLoop corners;
    corners.Shape = 2;
    EXPECT_DOUBLE_EQ(FitReviewMapView(corners, ReviewMapContents{}, 1.1, 168).Size, 100.0);
}

TEST(StoredTrack, SentencesAnglesAndCutOffs)
{
    double deg = 0;
    ASSERT_TRUE(ParseStoredAngle("4807.038", deg));
    EXPECT_NEAR(deg, 48.1173, 1e-9);
    ASSERT_TRUE(ParseStoredAngle("01131.000", deg));
    EXPECT_NEAR(deg, 11.516667, 1e-6);
    EXPECT_FALSE(ParseStoredAngle("7.5", deg));  // one digit before the point
    EXPECT_FALSE(ParseStoredAngle("4807", deg));

    const auto stored = [](const std::string& sentence) {
        std::string out;
        for (const std::string& r : StoredTextRecords(sentence, 123, '@', '#'))
            out += r;
        return out;
    };
    MemoryFile f;
    f.Bytes = Record("H1") + stored("$GPGGA,123519,4807.038,S,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47") +
              stored("$PTNL,GGK,102939.00,051910,5000.97323841,N,00827.62010742,E,5,09,1.7,EHT150.790,M*73") +
              stored("$GNGGA,123520,4807.038,N,01131.000,W,1,08,0.9,545.4,M,46.9,M,,*47") +
              stored("$GPGGA,123521,,,,,0,00,,,M,,M,,*66") + Record("@$GPGGA,123522,4807.038,N,01131.000,E");
    f.Position = 120;
    const std::vector<StoredPosition> p = ReadStoredGgaPositions(f);
    ASSERT_EQ(p.size(), 2u);  // GGK, the sentence without a fix and the cut-off one add nothing
    EXPECT_NEAR(p[0].Latitude, -48.1173, 1e-9);
    EXPECT_NEAR(p[0].Longitude, 11.516667, 1e-6);
    EXPECT_NEAR(p[1].Longitude, -11.516667, 1e-6);  // the multi-constellation talker counts
    EXPECT_EQ(f.Position, 120);

    // A sentence that never ends within the limit is skipped, the next one read.
    std::string longOne = "$GPGGA,1," + std::string(3000, '9');
    f.Bytes = stored(longOne) + stored("$GPGGA,1,1000.000,N,01000.000,E,1,5,1,1,M,1,M,,*00");
    EXPECT_EQ(ReadStoredGgaPositions(f).size(), 1u);

    MapViewportValues v = Pane168();
    PlaceViewAfterRebuild(v, {300, 90}, {250, 80}, 1);
    EXPECT_EQ(v.ViewLeft, 51);
    EXPECT_EQ(v.ViewTop, 11);
    v = Pane168();
    PlaceViewAfterRebuild(v, {300, 90}, {0, 0}, 0);
    EXPECT_EQ(v.ViewLeft, 300 - 83 + 1);
    v = Pane168();
    PlaceViewAfterRebuild(v, {50, 90}, {0, 0}, 0);
    EXPECT_EQ(v.ViewLeft, 1);  // inside: kept
}

TEST(MonitorKeys, ButtonsAndKeys)
{
    const MonitorInputKind click = MonitorInputKind::Command, chr = MonitorInputKind::Character,
                           down = MonitorInputKind::KeyDown;
    struct Step {
        MonitorInputKind kind;
        uint32_t wParam;
        int32_t action;
        int32_t running, highlight, mode;
    };
    // From the first opening: Pause highlighted, listing.
    const Step steps[] = {
        {chr, 9, MonitorNone, 1, 2, 2},      // Tab: Pause -> Exit
        {down, 9, MonitorNone, 1, 2, 2},     // its key-down moves nothing: the character does
        {chr, 9, MonitorNone, 1, 1, 2},      // Tab: Exit -> Pause (shown)
        {chr, 'p', MonitorPause, 0, 0, 2},   // the highlight follows to Go
        {chr, 9, MonitorNone, 0, 2, 2},      // Go -> Exit
        {chr, 9, MonitorNone, 0, 0, 2},      // Exit -> Go (shown)
        {chr, 13, MonitorGo, 1, 1, 2},       // Enter presses Go
        {click, 760, MonitorNone, 1, 1, 2},  // the list box's notification: 10, nothing
        {chr, 'q', MonitorNone, 1, 1, 2},
        {click, 751, MonitorPause, 0, 0, 2},
        // Key-downs of the keys without a character act: keypad 7 Go, F1 Pause; those of
        // letters ('G' 71, 'X' 88) wait for their characters.
        {down, 103, MonitorGo, 1, 1, 2},
        {down, 112, MonitorPause, 0, 0, 2},
        {down, 71, MonitorNone, 0, 0, 2},
        {down, 88, MonitorNone, 0, 0, 2},
        {chr, '7', MonitorNone, 0, 0, 2},   // the keypad's character after its key-down
        {down, 120, MonitorExit, 0, 0, 0},  // F9 exits
        {chr, 'g', MonitorNone, 0, 0, 0},
        {down, 103, MonitorNone, 0, 0, 0},  // closed: keys do nothing
    };
    MonitorKeyState s;
    s.Mode = 2;
    for (const Step& st : steps) {
        const MonitorStep r = MonitorInput(s, st.kind, st.wParam);
        EXPECT_EQ(r.Action, st.action) << st.wParam;
        EXPECT_EQ(s.Running, st.running) << st.wParam;
        EXPECT_EQ(s.Highlight, st.highlight) << st.wParam;
        EXPECT_EQ(s.Mode, st.mode) << st.wParam;
    }
}
