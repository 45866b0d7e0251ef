// The station scale of the profile plot, the amplitude-only frame of the profile plots, and
// the backward walk that rebuilds the live profile strip from a data file written by the
// program's own writers.
#include "vlox/datafile/store.h"
#include "vlox/display/review_plot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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

    // A damaged gate record: the reader's message, nothing to draw, position restored.
    MemoryFile bad = f;
    const size_t v = bad.Bytes.rfind("V1");
    bad.Bytes[v + 1] = '7';
    bad.Position = end;
    walk = WalkLineBackwards(bad, 500, 10, 61, 6, 1, 5000.0);
    EXPECT_TRUE(walk.Columns.empty());
    EXPECT_EQ(walk.Message.Text.substr(0, 3), "28-");
    EXPECT_EQ(bad.Tell(), end);

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
