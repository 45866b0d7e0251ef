// The station scale of the profile plot, the amplitude-only frame of the profile plots, and
// the backward walk that rebuilds the live profile strip from a data file written by the
// program's own writers.
#include "vlox/datafile/store.h"
#include "vlox/display/review_plot.h"
#include "vlox/settings/rate_tables.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr size_t RecordLength = DataLineLength;

class FixedMeasure : public PlotTextMeasure {
public:
    void Measure(const std::string& text, int32_t& width, int32_t& height) override
    {
        width = 6 * static_cast<int32_t>(text.size());
        height = 14;
    }
};

std::vector<std::string> TickTexts(const ProfileScaleValues& s)
{
    std::vector<std::string> t;
    for (const StationTick& k : StationTicks(s))
        t.push_back(k.Text);
    return t;
}

void Store(MemoryFile& f, ReadingParameters p, double scale)
{
    ReadingRecordResult rows[2];
    for (int g = 0; g < 101; ++g)
        rows[1].GateRow[g] = scale * (g + 1) * 1e-9;
    StoreReadingTo(&f, nullptr, p, ReceiverGateCount(p), rows, MeterValues{}, [] { return LocalTime{}; });
}

}  // namespace

TEST(ProfileScale, StationTicksAndPositions)
{
    const double wide[3] = {0.0, 500.0, 1000.0};
    ProfileScaleValues s = ScaleProfileStations(wide, 3, 640);
    EXPECT_EQ(s.StationTickStep, 200.0);
    EXPECT_EQ(TickTexts(s), (std::vector<std::string>{"0", "200", "400", "600", "800", "1000"}));
    int32_t x = 0;
    ASSERT_TRUE(StationToX(s, 1000.0, x));
    EXPECT_EQ(x, 580);  // the right edge: pane width - 60

    const double narrow[2] = {40.0, 0.0};
    s = ScaleProfileStations(narrow, 2, 640);
    EXPECT_EQ(TickTexts(s), (std::vector<std::string>{"0", "10", "20", "30", "40"}));

    // One station, or none: nothing divides by the zero range.
    const double one[1] = {25.0};
    s = ScaleProfileStations(one, 1, 640);
    EXPECT_EQ(s.PixelsPerStation, 0.0);
    ASSERT_TRUE(StationToX(s, 25.0, x));
    EXPECT_EQ(x, 80);
    s = ScaleProfileStations(nullptr, 0, 640);
    EXPECT_EQ(s.PixelsPerStation, 0.0);
    EXPECT_FALSE(StationToX(s, std::numeric_limits<double>::quiet_NaN(), x));

    // The profile frames: amplitude lines only, no time caption, unit caption where asked.
    CurveScaleInputs in;
    in.PaneWidth = 640;
    in.PaneHeight = 440;
    const CurvePlotGeometryValues g = ComputeCurveScaleFrom(in);
    CurveAxesInputs a;
    a.PaneWidth = 640;
    a.AmplitudeOnly = 1;
    a.UnitCaptionX = 10;
    FixedMeasure m;
    const CurveAxesLayout frame = LayOutCurveAxes(g, a, m);
    for (const AxisLine& l : frame.Lines)
        EXPECT_FALSE(l.X1 == l.X2 && l.X1 != g.PlotLeft && l.X1 != g.PlotRight) << "a time line at " << l.X1;
    for (const AxisLabel& l : frame.Labels)
        EXPECT_NE(l.Text, "Time [ms]");
    EXPECT_EQ(frame.Labels.back().X, 10);
}

// The pass of "Selected" that widens the gate-label axis over a station's readings (the
// screen's and the page's): readings without a time range take no part; with none left the
// axis stays the caller's.
TEST(SelectedGateAxis, WidensOverTheReadingsWithATimeRange)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double a[1] = {1.0}, b[1] = {2.0}, c[1] = {3.0};
    const GateAxisSpan own{0.5, 5.0, 20, c};
    const struct {
        std::vector<GateAxisSpan> readings;
        bool widened;
        GateAxisSpan axis;
    } cases[] = {
        {{}, false, own},
        {{{0.0, 0.0, 30, a}}, false, own},
        {{{0.02, 8.0, 20, a}, {0.01, 80.0, 30, b}}, true, {0.01, 80.0, 30, b}},
        {{{0.02, 8.0, 20, a}, {0.0, 0.0, 40, b}}, true, {0.02, 8.0, 20, a}},
        {{{0.0, 0.0, 40, b}, {0.02, 8.0, 20, a}}, true, {0.02, 8.0, 20, a}},
        {{{0.02, nan, 40, b}, {0.05, 0.01, 40, b}, {0.02, 8.0, 20, a}}, true, {0.02, 8.0, 20, a}},
        {{{0.05, 3.0, 30, a}, {0.02, 8.0, 20, b}}, true, {0.02, 8.0, 30, b}},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        GateAxisSpan axis = own;
        EXPECT_EQ(WidenGateAxis(cases[k].readings, axis), cases[k].widened) << k;
        EXPECT_EQ(axis.LowMs, cases[k].axis.LowMs) << k;
        EXPECT_EQ(axis.HighMs, cases[k].axis.HighMs) << k;
        EXPECT_EQ(axis.GateCount, cases[k].axis.GateCount) << k;
        EXPECT_EQ(axis.CentresMs, cases[k].axis.CentresMs) << k;
    }
}

TEST(LiveStrip, WalksTheLineBackwardsToItsStart)
{
    ResetDataFileState();
    MemoryFile f;
    BeginDataFile(f, FileHeaderFields{}, LocalTime{});

    // Profile view chosen before the first store: no L1 at all; the walk stops at the start.
    StripWalk walk = WalkLineBackwards(f, 500, 10, 61, 0, 1, 5000.0);
    EXPECT_TRUE(walk.Columns.empty());
    EXPECT_TRUE(walk.Message.Text.empty());

    ReadingParameters p;
    p.TxLoopShape = 2;  // three loop records: R1 found by its tag
    p.CurrentStation = 0.0;
    Store(f, p, 1.0);
    p.SurveyLine = 20.0;  // a second line: the walk ends at its L1
    for (int s = 0; s < 6; ++s) {
        p.CurrentStation = 5.0 * s;
        Store(f, p, 10.0 + s);
    }
    const int64_t end = f.Tell();
    walk = WalkLineBackwards(f, 500, 10, 61, 6, 1, 5000.0);
    ASSERT_TRUE(walk.Message.Text.empty()) << walk.Message.Text;
    ASSERT_EQ(walk.Columns.size(), 6u);
    EXPECT_EQ(walk.Columns[0].X, 500);
    EXPECT_EQ(walk.Columns[0].Station, 25.0);
    EXPECT_EQ(walk.Columns[5].X, 450);
    EXPECT_EQ(walk.Columns[5].Station, 0.0);
    // Unit 1 (mV): the stored 15 nV.
    EXPECT_DOUBLE_EQ(walk.Columns[0].Values[0], 15.0 / 1e6);
    ASSERT_EQ(walk.Ticks.size(), 1u);  // reading numbers 6 down to 1: a tick at 5
    EXPECT_EQ(walk.Ticks[0].X, 490);
    EXPECT_EQ(f.Tell(), end);

    // A narrow strip stops at its left edge.
    walk = WalkLineBackwards(f, 100, 20, 61, 6, 1, 5000.0);
    EXPECT_EQ(walk.Columns.size(), 2u);
    // Found by the map readers' fuzzer: a damaged station field ("inf", "nan", hexadecimal)
    // gave the column an infinite or made-up station; it reads as 0, as a field with no number.
    for (const char* field : {"           inf", "          -nan", "        0x1p10"}) {
        MemoryFile damaged = f;
        damaged.Bytes.replace(damaged.Bytes.rfind("S1") + 2, 14, field);
        damaged.Position = end;
        walk = WalkLineBackwards(damaged, 500, 10, 61, 6, 1, 5000.0);
        ASSERT_EQ(walk.Columns.size(), 6u) << field;
        EXPECT_EQ(walk.Columns[0].Station, 0.0) << field;
        EXPECT_EQ(walk.Columns[1].Station, 20.0) << field;
    }
}

// A damaged gate-value record of the newest reading (30 gates: V1 to V7 full, V8 holding the
// last two) ends the walk with the strip's own message, numbered as its four failures (the
// walk used to give the review reader's "28-"), nothing to draw and the position restored.
TEST(LiveStrip, DamagedGateRecordsGiveTheStripsMessages)
{
    ResetDataFileState();
    MemoryFile f;
    BeginDataFile(f, FileHeaderFields{}, LocalTime{});
    ReadingParameters p;
    for (int s = 0; s < 3; ++s) {
        p.CurrentStation = 5.0 * s;
        Store(f, p, 1.0 + s);
    }
    // The records of the newest reading by tag.
    auto last = [&](const std::string& tag) {
        for (size_t at = f.Bytes.size(); at >= RecordLength; at -= RecordLength)
            if (f.Bytes.compare(at - RecordLength, 2, tag) == 0)
                return at - RecordLength;
        return std::string::npos;
    };
    const size_t w = last("W1"), v3 = last("V3"), v8 = last("V8");
    ASSERT_NE(w, std::string::npos);
    ASSERT_NE(v8, std::string::npos);
    const struct {
        size_t record;
        bool cut;  // the file ends inside the record, else its number is wrong
        const char* message;
    } cases[] = {{v3, true, "1-Error in file line "},
                 {v3, false, "2-Error in file line "},
                 {v8, true, "3-Error in file line "},
                 {v8, false, "4-Error in file line "}};
    for (const auto& c : cases) {
        MemoryFile bad = f;
        if (c.cut)
            bad.Bytes.resize(c.record + 30);
        else
            bad.Bytes[c.record + 1] = '9';
        // The walk looks back from just after the reading's W record.
        const int64_t entry = static_cast<int64_t>(w + RecordLength);
        bad.Position = entry;
        const StripWalk walk = WalkLineBackwards(bad, 500, 10, 61, 3, 1, 5000.0);
        const std::string line = std::to_string((c.record + (c.cut ? 30 : RecordLength)) / RecordLength + 1);
        EXPECT_EQ(walk.Message.Text, c.message + line) << c.message;
        EXPECT_EQ(walk.Message.Caption, "File Error");
        EXPECT_TRUE(walk.Columns.empty());
        EXPECT_EQ(bad.Tell(), entry);
    }
}

// The strip converts each reading with its own gate times but leaves the gate tables alone:
// the live time axes (rate indexes 3-6 of the 20-gate set had the review's tenth written into
// them, so the live gate-label axis was ten times too short) and the review's centres.
TEST(LiveStrip, TheWalkLeavesTheGateTablesAsTheyWere)
{
    ResetDataFileState();
    MemoryFile f;
    BeginDataFile(f, FileHeaderFields{}, LocalTime{});
    ReadingParameters p;
    p.GateSet = 0;
    p.RepRateIndex = 4;
    for (int s = 0; s < 2; ++s) {
        p.CurrentStation = 5.0 * s;
        Store(f, p, 1.0 + s);
    }
    for (int32_t r = 0; r < RepRateCount; ++r)
        for (int32_t k = 0; k < 3; ++k) {
            TimeAxisLow[r][k] = 1000.0 + r;
            TimeAxisHigh[r][k] = 2000.0 + r;
        }
    for (auto& row : ReviewGateCentres)
        for (double& c : row)
            c = 7.0;
    const StripWalk walk = WalkLineBackwards(f, 500, 10, 61, 2, 5, 5000.0);
    ASSERT_TRUE(walk.Message.Text.empty()) << walk.Message.Text;
    ASSERT_EQ(walk.Columns.size(), 2u);
    for (int32_t r = 0; r < RepRateCount; ++r)
        for (int32_t k = 0; k < 3; ++k) {
            EXPECT_EQ(TimeAxisLow[r][k], 1000.0 + r) << r << " " << k;
            EXPECT_EQ(TimeAxisHigh[r][k], 2000.0 + r) << r << " " << k;
        }
    for (const auto& row : ReviewGateCentres)
        for (double c : row)
            ASSERT_EQ(c, 7.0);

    // Ohm-m needs the gate times: the column is the review's conversion of the same reading.
    ReviewReadingData r;
    FileMessage msg;
    const size_t w = f.Bytes.rfind("\nW1") + 1;
    ASSERT_EQ(ReadMeasurementRecord(f, static_cast<int64_t>(w), r, msg), 1) << msg.Text;
    ASSERT_EQ(BuildReviewGateTimes(r), 1);
    double expected[MaxGateCount] = {};
    ConvertReviewReadingTo(r, ReviewGateCentres[4], 5, 5000.0, expected);
    for (int32_t g = 0; g < 20; ++g) {
        EXPECT_GT(walk.Columns[0].Values[g], 0.0) << g;
        EXPECT_DOUBLE_EQ(walk.Columns[0].Values[g], expected[g]) << g;
    }
}
