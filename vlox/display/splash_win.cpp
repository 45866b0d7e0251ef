#include "vlox/display/splash_win.h"

#include <string>

#include "vlox/common/gdi_guard_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"
#include "vlox/common/screen_state.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/common/program_windows_win.h"

int32_t SplashState = SplashStartUp;
int32_t SavedGpsSetting = 0;

HBITMAP SplashBitmap = nullptr;
SplashPicture SplashBitmapPicture = SplashPicture::None;
int32_t SplashBitmapWidth = 0;
int32_t SplashBitmapHeight = 0;

SplashCloseServices SplashServices;

const MessageEntry SplashMessageTable[] = {
    {WM_CREATE, OnSplashCreate}, {WM_PAINT, PaintSplash},       {WM_LBUTTONDOWN, CloseSplash},
    {WM_LBUTTONUP, CloseSplash}, {WM_RBUTTONDOWN, CloseSplash}, {WM_RBUTTONUP, CloseSplash},
    {WM_TIMER, CloseSplash},
};
const size_t SplashMessageTableCount = sizeof(SplashMessageTable) / sizeof(SplashMessageTable[0]);

namespace {

// Replaces the held picture by another one from the program's resources. Only one is held
// at a time, and a paint never loads one again, so painting allocates nothing.
void LoadSplashPicture(SplashPicture picture)
{
    if (SplashBitmap != nullptr)
        DeleteObject(SplashBitmap);
    SplashBitmap = nullptr;
    SplashBitmapWidth = 0;
    SplashBitmapHeight = 0;
    SplashBitmapPicture = picture;

    const char* name = SplashPictureResourceName(picture);
    if (name == nullptr)
        return;
    const WideString wideName = NarrowToWide(std::string(name));
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hWndSplash, GWLP_HINSTANCE));
    SplashBitmap = LoadBitmapW(instance, wideName.c_str());
    BITMAP info{};
    if (SplashBitmap != nullptr && GetObjectW(SplashBitmap, sizeof(info), &info) != 0) {
        SplashBitmapWidth = info.bmWidth;
        SplashBitmapHeight = info.bmHeight;
    }
}

// Moves the window up in steps of 5 pixels until it has left the work area. The first step
// also shrinks it from its creation size (twice the work area) to the work area.
void SlideSplashAway()
{
    const int32_t steps = SplashSlideStepCount(WorkAreaHeight);
    for (int32_t i = 0; i < steps; ++i)
        MoveWindow(hWndSplash, 0, SplashSlideTop(i), WorkAreaWidth, WorkAreaHeight, TRUE);
}

}  // namespace

LRESULT CALLBACK OnSplashCreate(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CALLBACK PaintSplash(HWND, UINT, WPARAM, LPARAM)
{
    PaintDc paint(hWndSplash);
    const SplashPicture picture = SplashPictureForState(SplashState, SplashBitmapPicture);
    if (picture != SplashBitmapPicture)
        LoadSplashPicture(picture);
    if (SplashBitmap == nullptr || paint.get() == nullptr)
        return 0;

    // The rest of the window keeps the class's white background.
    HDC memory = CreateCompatibleDC(paint.get());
    if (memory == nullptr)
        return 0;
    {
        SelectGuard select(memory, SplashBitmap);
        BitBlt(paint.get(), SplashPictureX(WorkAreaWidth, SplashBitmapWidth), 0, SplashBitmapWidth, SplashBitmapHeight,
               memory, 0, 0, SRCCOPY);
    }
    DeleteDC(memory);
    return 0;
}

LRESULT CALLBACK CloseSplash(HWND, UINT, WPARAM, LPARAM)
{
    const SplashCloseSteps steps =
        PlanSplashClose(SplashState, SavedGpsSetting, GpsThread != INVALID_HANDLE_VALUE, ConfigInvalid);
    if (steps.SlideAway) {
        SlideSplashAway();
        ShowWindow(hWndSplash, SW_HIDE);
        SplashState = SplashDismissed;
        Settings.GpsInput = SavedGpsSetting;
        // The station map stood while GPS input was off; the map type chosen takes its
        // layout again, as the loader gave it.
        const int32_t layout = MapLayoutFor(Settings.GpsMapType, Settings.GpsInput);
        if (layout != MapLayoutMode) {
            MapLayoutMode = layout;
            if (hWndMap != nullptr)
                InvalidateRect(hWndMap, nullptr, TRUE);
        }
        // Timer and capture go before the GPS start: a port that fails to open shows a
        // message box, which would otherwise let the timer tick into this close again and
        // leave the mouse captured by a hidden window, so that the box cannot be clicked.
        KillTimer(hWndSplash, SplashTimerId);
        if (GetCapture() == hWndSplash)
            ReleaseCapture();
        if (steps.StartGpsReader && SplashServices.StartGpsReader != nullptr)
            SplashServices.StartGpsReader();
    }
    if (steps.ReportCorruptConfiguration && SplashServices.ReportCorruptConfiguration != nullptr)
        SplashServices.ReportCorruptConfiguration();
    return 0;
}

void ShowClosingSplash()
{
    SplashState = SplashClosing;
    if (hWndSplash == nullptr)
        return;
    // On top of the other panes, over the whole work area, and painted now: the callers
    // wait without pumping messages until the process ends.
    SetWindowPos(hWndSplash, HWND_TOP, 0, 0, WorkAreaWidth, WorkAreaHeight, SWP_SHOWWINDOW);
    InvalidateRect(hWndSplash, nullptr, TRUE);
    UpdateWindow(hWndSplash);
}

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MessageTable{SplashMessageTable, SplashMessageTableCount}, window, message, wParam,
                                lParam);
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
