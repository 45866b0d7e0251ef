// Narrow (code page) texts of the plots drawn and measured on a device context: the axis
// layouts measure their labels through DcTextMeasure. Also the clip of the curves to the
// plot box.
#pragma once

#include <windows.h>

#include "vlox/common/gdi_guard_win.h"

#include <cstdint>
#include <string>

#include "vlox/display/curve_plot.h"

void DrawNarrowText(HDC dc, int32_t x, int32_t y, const std::string& text);
int32_t NarrowTextWidth(HDC dc, const std::string& text);

class DcTextMeasure : public PlotTextMeasure {
public:
    explicit DcTextMeasure(HDC dc) : dc_(dc) {}
    void Measure(const std::string& text, int32_t& width, int32_t& height) override;

private:
    HDC dc_;
};

// Curves stay inside the plot box, its frame lines included: a value beyond the amplitude
// axis would otherwise run over the unit caption and out of the frame.
class PlotBoxClip : public ClipGuard {
public:
    PlotBoxClip(HDC dc, const CurvePlotGeometryValues& g)
        : ClipGuard(dc, g.PlotLeft, g.PlotTop, g.PlotRight + 1, g.PlotBottom + 1)
    {
    }
};
