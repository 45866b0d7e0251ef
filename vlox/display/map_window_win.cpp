#include "vlox/display/map_window_win.h"

#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"

int32_t MapGpsPlotOn = 1;
int32_t MapCrossBoxSaved = 0;

namespace {

LRESULT CALLBACK OnMapCreate(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CALLBACK OnMapPaint(HWND window, UINT, WPARAM, LPARAM)
{
    PaintDc paint(window);
    return 0;
}

const MessageEntry MapMessageTable[] = {
    {WM_CREATE, OnMapCreate},
    {WM_PAINT, OnMapPaint},
};

}  // namespace

LRESULT CALLBACK MapWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MakeMessageTable(MapMessageTable), window, message, wParam, lParam);
}

int RegisterMapWndClass(HINSTANCE instance)
{
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MapWndProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"MapWnd";
    return RegisterClassW(&wc) != 0 ? 0 : 1;
}

void FitStationMap(double) {}

void PlotGpsPosition(HWND, int32_t, int32_t, POINT* crossPosition)
{
    if (crossPosition != nullptr)
        *crossPosition = POINT{0, 0};
}

int32_t GpsTrackPointCount()
{
    return 0;
}

void DrawStationMarker(HWND, POINT) {}

void KeepStationInView() {}

void RedrawStationMap(HWND) {}

void SaveRestoreMapBackground(HWND, int32_t) {}

void FreeGpsTrack() {}

void ResetLiveGpsMap() {}
