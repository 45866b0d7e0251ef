// Narrow (code page) texts of the plots drawn and measured on a device context: the axis
// layouts measure their labels through DcTextMeasure.
#pragma once

#include <windows.h>

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
