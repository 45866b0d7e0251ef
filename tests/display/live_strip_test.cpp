// The live profile strip: the marks a new column draws, its rebuild from the file's columns,
// and the clip of every mark to the plot frame.
#include "vlox/display/live_strip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// 600 x 440 pane, amplitude 0 to 10: frame 60..560 x 20..400, right edge 553, columns of 9
// pixels, a tick every 5; 10 lies on the top line, 1 at y 381.
CurvePlotGeometryValues Scale()
{
    CurveScaleInputs in;
    in.PaneWidth = 600;
    in.PaneHeight = 440;
    return ComputeCurveScaleFrom(in);
}

const std::vector<int32_t> Shown(MaxGateCount, 1);

TEST(LiveStrip, ClipToThePlotFrame)
{
    const int32_t big = std::numeric_limits<int32_t>::max(), small = std::numeric_limits<int32_t>::min();
    const int32_t cases[][9] = {
        // x1, y1, x2, y2, kept, and the ends kept
        {544, 100, 553, 200, 1, 544, 100, 553, 200},   // inside
        {553, 10, 553, 10, 0},                         // a point above the top line
        {553, 20, 553, 400, 1, 553, 20, 553, 400},     // on the frame lines
        {544, -80, 553, 100, 1, 549, 20, 553, 100},    // over the top
        {544, 300, 553, 500, 1, 544, 300, 549, 400},   // under the bottom
        {544, small, 553, big, 1, 549, 20, 549, 400},  // saturated ends
        {544, big, 553, big, 0},                       // wholly below
        {40, 100, 80, 100, 1, 60, 100, 80, 100},       // left of the frame
    };
    for (const auto& c : cases) {
        int32_t e[4] = {c[0], c[1], c[2], c[3]};
        ASSERT_EQ(ClipToPlotFrame(Scale(), e[0], e[1], e[2], e[3]), c[4] == 1) << c[0] << "," << c[1];
        for (int i = 0; i < 4 && c[4] == 1; ++i)
            EXPECT_EQ(e[i], c[5 + i]) << c[0] << "," << c[1] << " end " << i;
    }
}

// A gate's first column draws its point, the next a segment from it; a value without a
// position leaves a gap; a tick every fifth column.
TEST(LiveStrip, ColumnsJoinEachGatesPoints)
{
    LiveStripState s;
    const double a[2] = {10.0, 1.0}, b[2] = {1.0, std::nan("")};
    StripColumnDrawing d = s.AddColumn(Scale(), a, 2, Shown.data());
    ASSERT_EQ(d.Marks.size(), 2u);
    EXPECT_TRUE(d.Marks[0].Point && d.Marks[0].X2 == 553 && d.Marks[0].Y2 == 20);
    d = s.AddColumn(Scale(), b, 2, Shown.data());
    ASSERT_EQ(d.Marks.size(), 1u);
    EXPECT_TRUE(!d.Marks[0].Point && d.Marks[0].X1 == 544 && d.Marks[0].Y1 == 20 && d.Marks[0].Y2 == 381);
    d = s.AddColumn(Scale(), a, 2, Shown.data());
    EXPECT_TRUE(d.Marks[1].Point);
    EXPECT_FALSE(d.Tick);
    EXPECT_FALSE(s.AddColumn(Scale(), a, 2, Shown.data()).Tick);
    EXPECT_TRUE(s.AddColumn(Scale(), a, 2, Shown.data()).Tick);
}

// Pins the mend: a value above the axis top or below its bottom drew across the frame, the
// station labels and the ticks. Every mark stays in the frame; the next segment still starts
// where the value lies.
TEST(LiveStrip, MarksStayInsideThePlotFrame)
{
    const CurvePlotGeometryValues g = Scale();
    LiveStripState s;
    const double columns[][3] = {{1e30, -1e30, 1e6}, {1.0, 1.0, 1e7}, {1e30, -1e30, 1.0}};
    size_t marks = 0;
    for (const auto& values : columns)
        for (const StripMark& m : s.AddColumn(g, values, 3, Shown.data()).Marks) {
            EXPECT_TRUE(m.X1 >= g.PlotLeft && m.X2 <= g.PlotRight && std::min(m.Y1, m.Y2) >= g.PlotTop &&
                        std::max(m.Y1, m.Y2) <= g.PlotBottom)
                << "gate " << m.Gate << ": " << m.X1 << "," << m.Y1 << " " << m.X2 << "," << m.Y2;
            ++marks;
        }
    EXPECT_EQ(marks, 5u);  // none from the first column, nor from gate 2 above the top in the second
}

// The rebuilt strip joins each gate's columns from the newest back and forgets the points of
// the strip before it; the next column goes on from the newest point.
TEST(LiveStrip, ARebuildStartsTheStripFromTheFilesColumns)
{
    LiveStripState s;
    const double five[3] = {5.0, 5.0, 5.0};
    s.AddColumn(Scale(), five, 3, Shown.data());
    std::vector<StripColumn> columns(3);
    for (int c = 0; c < 3; ++c) {
        columns[c].X = 553 - 9 * c;
        columns[c].GateCount = 2;
        columns[c].Values[0] = c == 1 ? 10.0 : 1.0;
        columns[c].Values[1] = 10.0;
    }
    const std::vector<StripMark> marks = s.Rebuild(Scale(), columns, Shown.data());
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_TRUE(marks[0].X1 == 553 && marks[0].Y1 == 381 && marks[0].X2 == 544 && marks[0].Y2 == 20);
    EXPECT_EQ(s.Drawn(), 1);
    const StripColumnDrawing next = s.AddColumn(Scale(), five, 3, Shown.data());
    ASSERT_EQ(next.Marks.size(), 3u);
    EXPECT_TRUE(next.Marks[0].X1 == 544 && next.Marks[0].Y1 == 381);
    EXPECT_TRUE(next.Marks[2].Point) << "gate 2, which the file's readings lack, kept a point of the strip before";
}

}  // namespace
