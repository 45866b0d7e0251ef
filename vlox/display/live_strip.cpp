#include "vlox/display/live_strip.h"

#include <algorithm>
#include <cmath>

namespace {

bool InRange(int32_t gate)
{
    return gate >= 0 && gate < MaxGateCount;
}

int32_t RoundedWithin(double v, int32_t low, int32_t high)
{
    const double r = std::floor(v + 0.5);
    return r < low ? low : (r > high ? high : static_cast<int32_t>(r));
}

// A mark of the gate clipped to the frame; false when nothing of it is left.
bool ClippedMark(const CurvePlotGeometryValues& g, int32_t gate, bool point, int32_t x1, int32_t y1, int32_t x2,
                 int32_t y2, StripMark& mark)
{
    if (!ClipToPlotFrame(g, x1, y1, x2, y2))
        return false;
    mark = StripMark{gate, point, x1, y1, x2, y2};
    return true;
}

}  // namespace

bool ClipToPlotFrame(const CurvePlotGeometryValues& g, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2)
{
    // Liang-Barsky in doubles: the ends may lie anywhere in the int range (values far beyond
    // the axis saturate), where GDI's own coordinates do not hold them.
    const double ax = x1, ay = y1, dx = static_cast<double>(x2) - ax, dy = static_cast<double>(y2) - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - g.PlotLeft, g.PlotRight - ax, ay - g.PlotTop, g.PlotBottom - ay};
    double t0 = 0.0, t1 = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const int32_t nx1 = RoundedWithin(ax + t0 * dx, g.PlotLeft, g.PlotRight);
    const int32_t ny1 = RoundedWithin(ay + t0 * dy, g.PlotTop, g.PlotBottom);
    x2 = RoundedWithin(ax + t1 * dx, g.PlotLeft, g.PlotRight);
    y2 = RoundedWithin(ay + t1 * dy, g.PlotTop, g.PlotBottom);
    x1 = nx1;
    y1 = ny1;
    return true;
}

bool LiveStripState::HasPoint(int32_t gate) const
{
    return InRange(gate) && pointDrawn_[gate] != 0;
}

int32_t LiveStripState::LastY(int32_t gate) const
{
    return InRange(gate) ? lastY_[gate] : 0;
}

void LiveStripState::Restart()
{
    drawn_ = 0;
    tickCount_ = 0;
    std::fill(std::begin(pointDrawn_), std::end(pointDrawn_), 0);
}

StripColumnDrawing LiveStripState::AddColumn(const CurvePlotGeometryValues& g, const double* values, int32_t gateCount,
                                             const int32_t* visible)
{
    StripColumnDrawing d;
    drawn_ = 1;
    if (++tickCount_ >= g.ProfileTickStep) {
        tickCount_ = 0;
        d.Tick = true;
    }
    const int32_t r = g.StripRight;
    const int32_t gates = std::clamp(gateCount, 0, MaxGateCount);
    for (int32_t gate = 0; gate < gates; ++gate) {
        int32_t y = 0;
        if (visible[gate] == 0)
            continue;
        if (!ValueToY(g, values[gate], y)) {
            pointDrawn_[gate] = 0;
            continue;
        }
        StripMark mark;
        const bool first = pointDrawn_[gate] == 0;
        const int32_t x1 = first ? r : r - g.ColumnStep;
        if (ClippedMark(g, gate, first, x1, first ? y : lastY_[gate], r, y, mark))
            d.Marks.push_back(mark);
        pointDrawn_[gate] = 1;
        lastY_[gate] = y;
    }
    return d;
}

std::vector<StripMark> LiveStripState::Rebuild(const CurvePlotGeometryValues& g,
                                               const std::vector<StripColumn>& columns, const int32_t* visible)
{
    Restart();
    drawn_ = 1;
    std::vector<StripMark> marks;
    for (int32_t gate = 0; gate < MaxGateCount; ++gate) {
        if (visible[gate] == 0)
            continue;
        bool have = false;
        int32_t px = 0, py = 0;
        for (const StripColumn& c : columns) {
            int32_t y = 0;
            if (gate >= c.GateCount || !ValueToY(g, c.Values[gate], y))
                continue;
            StripMark mark;
            if (!have) {
                // The newest point: the next column's line goes on from it.
                pointDrawn_[gate] = 1;
                lastY_[gate] = y;
            } else if (ClippedMark(g, gate, false, px, py, c.X, y, mark)) {
                marks.push_back(mark);
            }
            have = true;
            px = c.X;
            py = y;
        }
    }
    return marks;
}
