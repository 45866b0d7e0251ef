// The live profile strip's arithmetic: what a new column draws for each shown gate (the gate's
// first point, or the segment from its previous point), the numbered tick every tick step, the
// lines of the strip rebuilt from the data file, and the clip of every mark to the plot frame.
// The strip's state is written only by its own drawing and by its restart; live_profile_win.cpp
// draws what this computes.
#pragma once

#include "vlox/display/curve_plot.h"
#include "vlox/display/review_plot.h"

#include <cstdint>
#include <vector>

// One mark of the strip in a gate's pen: a single point at (X2, Y2), or the segment from
// (X1, Y1) to (X2, Y2). Marks are clipped to the plot frame.
struct StripMark {
    int32_t Gate = 0;
    bool Point = false;
    int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

struct StripColumnDrawing {
    bool Tick = false;  // a numbered station tick at the right edge
    std::vector<StripMark> Marks;
};

// Clips the segment (x1, y1)-(x2, y2) to the plot frame, its frame lines included (PlotLeft
// to PlotRight, PlotTop to PlotBottom). false when no part of it lies in the frame; the ends
// are then left as they were. A segment of equal ends is a point.
bool ClipToPlotFrame(const CurvePlotGeometryValues& g, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2);

class LiveStripState {
public:
    // 1 once a column or a rebuild has been drawn since the last restart.
    constexpr const int32_t& Drawn() const { return drawn_; }
    // Whether the gate's line has a previous point in the strip, and its y (unclipped).
    bool HasPoint(int32_t gate) const;
    int32_t LastY(int32_t gate) const;

    // The strip starts again: nothing drawn, no gate has a previous point, ticks counted anew.
    void Restart();
    // The newest reading as a column at the strip's right edge: values of gateCount gates, the
    // gates whose visible entry is not 0 drawn (MaxGateCount entries). A value without a
    // position (NaN, infinite) leaves a gap: the gate's line starts again at its next point.
    StripColumnDrawing AddColumn(const CurvePlotGeometryValues& g, const double* values, int32_t gateCount,
                                 const int32_t* visible);
    // The strip rebuilt from the walk over the data file: it starts again, and each shown
    // gate's line runs through its columns (newest first); the next column goes on from the
    // newest point.
    std::vector<StripMark> Rebuild(const CurvePlotGeometryValues& g, const std::vector<StripColumn>& columns,
                                   const int32_t* visible);

private:
    int32_t drawn_ = 0;
    int32_t tickCount_ = 0;
    int32_t pointDrawn_[MaxGateCount] = {};
    int32_t lastY_[MaxGateCount] = {};
};
