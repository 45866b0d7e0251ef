// The splash window (class SplashWnd): a child of the main window that covers it with the
// start-up picture while the program starts, and slides up out of view on its 5000 ms timer
// or the first mouse button. Its close switches GPS input back on and reports a corrupt
// configuration. At program end and on a configuration reset it shows the closing picture.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "vlox/common/message_table_win.h"
#include "vlox/display/splash.h"

// 0 start-up picture shown, 1-3 closing picture shown, -1 dismissed.
extern int32_t SplashState;
// The loaded GpsInput, held while the splash is up; its close puts it back.
extern int32_t SavedGpsSetting;

// The picture of the last paint, loaded from the resources, with its size in pixels.
extern HBITMAP SplashBitmap;
extern SplashPicture SplashBitmapPicture;
extern int32_t SplashBitmapWidth;
extern int32_t SplashBitmapHeight;

constexpr UINT_PTR SplashTimerId = 1;
constexpr UINT SplashTimerMs = 5000;

// What the close calls beyond the window: the GPS start (map pens, map view, GPS port,
// reader thread with its waits) and the corrupt-configuration report. The program's start
// connects them; each is skipped while unset, and tests may watch the calls.
struct SplashCloseServices {
    void (*StartGpsReader)() = nullptr;
    void (*ReportCorruptConfiguration)() = nullptr;
};
extern SplashCloseServices SplashServices;

// The splash window's messages, in the order they are scanned.
extern const MessageEntry SplashMessageTable[];
extern const size_t SplashMessageTableCount;

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_CREATE: nothing to do.
LRESULT CALLBACK OnSplashCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_PAINT: the picture of the state, centred in the work area's width, at the top.
LRESULT CALLBACK PaintSplash(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Timer ticks and mouse buttons: the first one ends the start-up splash.
LRESULT CALLBACK CloseSplash(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the closing picture: state 3, the window over the whole work area at (0, 0), painted
// at once (the exit command and the configuration reset wait without pumping messages).
void ShowClosingSplash();

// Registers SplashWnd; 0 on success, nonzero on failure.
int RegisterSplashWndClass(HINSTANCE instance);
