// The curve, numbers and progress-bar windows (classes CurveWnd, NumbersWnd, BarWnd), which
// share one window procedure; the curve window also receives the board library's buffer-done
// message, so the measurement cycle runs inside it. Here also the back buffers of the curve
// window, the clearing of the display areas, the progress bar, the decay-curve plot and the
// numbers column; their arithmetic is portable (curve_plot.h, numbers_layout.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "vlox/display/live_strip.h"

LRESULT CALLBACK MeasureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 once the plot buffer holds the frame of the current scale.
extern int32_t CurveBackgroundSaved;

// The plot geometry from the curve pane and the scale settings.
void ComputeCurveScale();
// The same for the time axis of a rate index and gate set (the reviewed reading's).
void ComputeCurveScaleFor(int32_t repRateIndex, int32_t gateSet);
// The same with gate labels over lowMs to highMs (the time axis of "Selected" that covers
// every reading of the station); with time labels the settings' axis.
void ComputeCurveScaleForAxis(double gateAxisLowMs, double gateAxisHighMs);
// The pen of curve entry index of the line settings (0-99 gate profiles, 100-102 decays).
HPEN CurvePen(int32_t index);
// The off-screen copies of the curve window (plot buffer and column buffer), made once.
void CreateBackBuffers();
struct CurveBackBufferSet {
    HDC PlotDc = nullptr;
    HBITMAP PlotBitmap = nullptr;
    HDC ColumnDc = nullptr;
    HBITMAP ColumnBitmap = nullptr;
};
extern CurveBackBufferSet CurveBackBuffers;

// 0 the curve area, 1 the map area, 2 both numbers areas; other values nothing.
void ClearDisplayArea(int32_t area);
void ClearProgressBar();
// fraction 0..1 of the bar's height, from the bottom; the bar only grows.
void DrawProgressBar(double fraction);
// Frame, grids, labels and captions of the decay plot.
void DrawCurveAxes(HDC dc);
// The same with the gate centres and count the gate labels take.
void DrawCurveAxesWith(HDC dc, const double* gateCentresMs, int32_t gateCount);
// `DisplayValues` for `GateCount` gates with the pen of curve entry penIndex (100-102).
void DrawDecayCurve(HWND window, int32_t penIndex, int32_t drawFrame);
// Copies the saved empty frame over the curve window.
void RestoreCurveFrame(HWND window);
// The numbers window's layout, heading and gate numbers.
void DrawNumbersHeader(HDC dc, int32_t gateCount, int32_t component, int32_t componentCount);
// Row 0 with `EarlyWindowValue`, then the values in their rows.
void DrawNumbersColumn(HWND window, int32_t gateCount, const double* values);
// Row 0 with earlyWindowValue unless showEarly is false, then the values unless showValues is
// false.
void DrawNumbersColumnWith(HWND window, int32_t gateCount, const double* values, double earlyWindowValue,
                           bool showValues, bool showEarly = true);
// The review plots of a repaint (review_plots_win.cpp), on the numbers window's paint context.
void PaintReviewPlots(HDC numbersPaintDc);

// ---------------------------------------------------------------------------------------
// The live profile strip of the curve window (profile view in automatic survey mode).

// 1 once the live profile strip has been drawn; 0 again after RestartProfileStrip.
extern const int32_t& ProfileDrawn;
// The strip starts again: the drawn flag and every gate's previous point are cleared together,
// so that no line of the strip joins a point from before. Every road that restarts the strip
// calls this; nothing else writes the strip's state but its own drawing.
void RestartProfileStrip();
// The strip's state, to read.
const LiveStripState& ProfileStrip();
// The strip moves on by one column with the reading just stored.
void ScrollProfile();
// The strip's amplitude geometry (that of the decay plot).
void ScaleProfileAxis();
// The strip's empty amplitude frame.
void DrawLiveProfileFrame();
// The strip of the current line rebuilt from the data file, walking back from its end; the
// strip starts again with it.
void RedrawProfileFromFile();
