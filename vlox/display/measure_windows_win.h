// The curve, numbers and progress-bar windows (classes CurveWnd, NumbersWnd, BarWnd), which
// share one window procedure. For now the procedure only paints what the class background
// gives (white or light grey); the plots, the numbers and the buffer-done cycle come with the
// display and measurement work, which replaces the placeholders below.
#pragma once

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK MeasureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 once the plot buffer holds the frame of the current scale.
extern int32_t CurveBackgroundSaved;

// Placeholder: the decay-plot scale of the curve window (margins, axes, decades).
void ComputeCurveScale();
// Placeholder: the off-screen copies of the curve window.
void CreateBackBuffers();
