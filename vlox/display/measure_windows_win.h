// The curve, numbers and progress-bar windows (classes CurveWnd, NumbersWnd, BarWnd), which
// share one window procedure; the curve window also receives the board library's buffer-done
// message, so the measurement cycle runs inside it. Here also the back buffers of the curve
// window, the clearing of the display areas, the progress bar, the decay-curve plot and the
// numbers column; their arithmetic is portable (curve_plot.h, numbers_layout.h).
#pragma once

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK MeasureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 once the plot buffer holds the frame of the current scale.
extern int32_t CurveBackgroundSaved;

// The plot geometry from the curve pane and the scale settings.
void ComputeCurveScale();
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
// `DisplayValues` for `GateCount` gates with the pen of curve entry penIndex (100-102).
void DrawDecayCurve(HWND window, int32_t penIndex, int32_t drawFrame);
// Copies the saved empty frame over the curve window.
void RestoreCurveFrame(HWND window);
// The numbers window's layout, heading and gate numbers.
void DrawNumbersHeader(HDC dc, int32_t gateCount, int32_t component, int32_t componentCount);
// Row 0 with `EarlyWindowValue`, then the values in their rows.
void DrawNumbersColumn(HWND window, int32_t gateCount, const double* values);

// ---------------------------------------------------------------------------------------
// The live profile strip of the curve window (profile view). It is not drawn yet: the curve
// window shows the decay view in both views.

// 1 once the live profile strip has been drawn; cleared to restart it.
extern int32_t ProfileDrawn;
// The strip moves on by one station (profile view in automatic mode). Does nothing yet.
void ScrollProfile();
// The strip's value axis from the gates shown. Does nothing yet.
void ScaleProfileAxis();
// The strip's empty frame. Draws nothing yet.
void DrawLiveProfileFrame();
// The strip's per-gate previous points are forgotten, so the next station starts each gate's
// line anew. Keeps no points yet.
void ClearProfileStripPoints();
// The strip drawn again from the readings of the open data file. Draws nothing yet.
void RedrawProfileFromFile();

// ---------------------------------------------------------------------------------------
// The review plots in the curve and numbers windows. Nothing is drawn for a reviewed file
// yet: the windows keep what they show.

void ShowDecayRecord(int32_t record);
void ShowProfileRecord(int32_t record, int32_t station);
void DrawReviewNumbers(bool profileTags);
void DrawReviewDecay();
void DrawProfilePlot();
void SaveProfileCursorColumn(int32_t station);
void RestoreProfileCursorColumn(int32_t station);
void DrawProfileCursor(int32_t station);
