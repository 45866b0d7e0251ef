#include "vlox/display/monitor_gps_window_win.h"

#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"

namespace {

LRESULT CALLBACK OnMonitorGpsCreate(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CALLBACK OnMonitorGpsPaint(HWND window, UINT, WPARAM, LPARAM)
{
    PaintDc paint(window);
    return 0;
}

const MessageEntry MonitorGpsMessageTable[] = {
    {WM_CREATE, OnMonitorGpsCreate},
    {WM_PAINT, OnMonitorGpsPaint},
};

}  // namespace

LRESULT CALLBACK MonitorGpsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MakeMessageTable(MonitorGpsMessageTable), window, message, wParam, lParam);
}

int RegisterMonitorGpsWndClass(HINSTANCE instance)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = MonitorGpsWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"MonitorGPSWnd";
    return RegisterClassW(&wc) != 0 ? 0 : 1;
}
