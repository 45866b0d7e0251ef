// The splash window (class SplashWnd): a child of the main window that covers it while the
// program starts and goes away on its 5000 ms timer or the first mouse button. This is the
// least version: a white window; the pictures and the slide come with the splash work.
#pragma once

#include <windows.h>

#include <cstdint>

// 0 start-up splash shown, 1-3 closing splash shown, -1 dismissed.
extern int32_t SplashState;

constexpr UINT_PTR SplashTimerId = 1;
constexpr UINT SplashTimerMs = 5000;

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers SplashWnd; 0 on success, nonzero on failure.
int RegisterSplashWndClass(HINSTANCE instance);
