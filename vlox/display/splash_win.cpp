#include "vlox/display/splash_win.h"

#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"
#include "vlox/settings/settings.h"
#include "vlox/ui/main_state.h"
#include "vlox/ui/main_window_win.h"
#include "vlox/ui/startup_stubs_win.h"

int32_t SplashState = 0;

namespace {

LRESULT CALLBACK OnSplashCreate(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

// The class background is white; the pictures come later.
LRESULT CALLBACK PaintSplash(HWND, UINT, WPARAM, LPARAM)
{
    PaintDc paint(hWndSplash);
    return 0;
}

// The first timer tick or mouse button ends the start-up splash and switches GPS input back
// on; later ones find the splash gone and change nothing.
LRESULT CALLBACK CloseSplash(HWND, UINT, WPARAM, LPARAM)
{
    if (SplashState == 0) {
        ShowWindow(hWndSplash, SW_HIDE);
        SplashState = -1;
        Settings.GpsInput = SavedGpsSetting;
        StartGpsReaderAfterSplash();
        KillTimer(hWndSplash, SplashTimerId);
        ReleaseCapture();
    }
    if (ConfigInvalid == 1)
        ReportCorruptConfigurationAtSplash();
    return 0;
}

const MessageEntry SplashMessageTable[] = {
    {WM_CREATE, OnSplashCreate},
    {WM_PAINT, PaintSplash},
    {WM_LBUTTONDOWN, CloseSplash},
    {WM_LBUTTONUP, CloseSplash},
    {WM_RBUTTONDOWN, CloseSplash},
    {WM_RBUTTONUP, CloseSplash},
    {WM_TIMER, CloseSplash},
};

}  // namespace

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MakeMessageTable(SplashMessageTable), window, message, wParam, lParam);
}

int RegisterSplashWndClass(HINSTANCE instance)
{
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SplashWndProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"SplashWnd";
    return RegisterClassW(&wc) != 0 ? 0 : 1;
}
