#include "vlox/display/monitor_gps_window_win.h"

#include "resources/resource.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/splash_win.h"
#include "vlox/instruments/gps.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

int32_t GpsMonitorState = 0;
MonitorKeyState GpsMonitorKeys;
MonitorGpsServiceSet MonitorGpsServices;

namespace {

HWND MonitorButtons[3] = {};
HWND MonitorList = nullptr;

void SetDefaultStyle(int32_t index, bool on, bool redraw)
{
    if (index < 0 || index > 2 || MonitorButtons[index] == nullptr)
        return;
    SendMessageW(MonitorButtons[index], BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, redraw ? TRUE : FALSE);
}

void ShowGoOrPause(bool running)
{
    HWND go = MonitorButtons[MonitorGo];
    HWND pause = MonitorButtons[MonitorPause];
    ShowWindow(running ? go : pause, SW_HIDE);
    ShowWindow(running ? pause : go, SW_SHOW);
    EnableWindow(go, running ? FALSE : TRUE);
    EnableWindow(pause, running ? TRUE : FALSE);
}

// Appends one line; the oldest lines make room when the list is at its limit or out of
// space. A line that still does not fit is dropped.
void AppendMonitorLine(const WideString& line)
{
    if (MonitorList == nullptr)
        return;
    LRESULT count = SendMessageW(MonitorList, LB_GETCOUNT, 0, 0);
    while (count >= MonitorListLimit) {
        SendMessageW(MonitorList, LB_DELETESTRING, 0, 0);
        --count;
    }
    LRESULT at = SendMessageW(MonitorList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (at == LB_ERRSPACE) {
        for (LRESULT i = 0; i < count / 2; ++i)
            SendMessageW(MonitorList, LB_DELETESTRING, 0, 0);
        at = SendMessageW(MonitorList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (at < 0)
        return;
    // Extended selection: only the new line selected, scrolled into view.
    SendMessageW(MonitorList, LB_SETSEL, FALSE, -1);
    SendMessageW(MonitorList, LB_SETSEL, TRUE, at);
    SendMessageW(MonitorList, LB_SETCARETINDEX, static_cast<WPARAM>(at), FALSE);
}

HWND MakeControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id)
{
    return CreateWindowExW(0, cls, text, WS_CHILD | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), hInstance, nullptr);
}

LRESULT CALLBACK OnMonitorGpsCreate(HWND window, UINT, WPARAM, LPARAM)
{
    const int w = WorkAreaWidth;
    const int h = WorkAreaHeight;
    const DWORD button = WS_TABSTOP | BS_CENTER;
    MonitorButtons[MonitorGo] =
        MakeControl(window, L"BUTTON", L"&Go", button, w / 2 - 120, h - 50, 116, 28, IDC_MONITOR_GO);
    MonitorButtons[MonitorPause] =
        MakeControl(window, L"BUTTON", L"&Pause", button | WS_VISIBLE, w / 2 - 120, h - 50, 116, 28, IDC_MONITOR_PAUSE);
    MonitorButtons[MonitorExit] =
        MakeControl(window, L"BUTTON", L"E&xit", button | WS_VISIBLE, w / 2, h - 50, 116, 28, IDC_MONITOR_EXIT);
    MonitorList = MakeControl(window, L"Listbox", L"  ", WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_EXTENDEDSEL, 10, 10,
                              w - 30, h - 80, IDC_MONITOR_LIST);
    EnableWindow(MonitorButtons[MonitorGo], FALSE);
    EnableWindow(MonitorButtons[MonitorPause], TRUE);
    SetDefaultStyle(GpsMonitorKeys.Highlight, true, false);
    return 0;
}

LRESULT CALLBACK OnMonitorGpsPaint(HWND window, UINT, WPARAM, LPARAM)
{
    WideString line;
    // Every line waiting since the last paint is listed, not only the last.
    while (TakeGpsMonitorLine(line))
        AppendMonitorLine(line);
    if (MonitorList != nullptr)
        UpdateWindow(MonitorList);
    {
        PaintDc paint(window);
    }
    if (GpsMonitorState == 2)
        SetFocus(window);
    return 0;
}

LRESULT CALLBACK OnMonitorGpsCommand(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (GpsMonitorState == 2)
        SetFocus(window);
    GpsMonitorKeys.Mode = GpsMonitorState;
    const int32_t wasRunning = GpsMonitorKeys.Running;
    const MonitorInputKind kind = message == WM_COMMAND   ? MonitorInputKind::Command
                                  : message == WM_KEYDOWN ? MonitorInputKind::KeyDown
                                                          : MonitorInputKind::Character;
    const MonitorStep step = MonitorInput(GpsMonitorKeys, kind, static_cast<uint32_t>(wParam));
    if (step.HighlightMoved) {
        SetDefaultStyle(step.HighlightFrom, false, true);
        SetDefaultStyle(step.HighlightTo, true, true);
    }
    switch (step.Action) {
    case MonitorGo:
    case MonitorPause:
        if (wasRunning != GpsMonitorKeys.Running || step.Action == MonitorGo)
            ShowGoOrPause(GpsMonitorKeys.Running == 1);
        SetFocus(window);
        break;
    case MonitorExit:
        ExitGpsMonitor(window);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CALLBACK OnMonitorGpsSize(HWND window, UINT, WPARAM, LPARAM)
{
    if (GpsMonitorState == 2)
        SetFocus(window);
    return 0;
}

const MessageEntry MonitorGpsMessageTable[] = {
    {WM_CREATE, OnMonitorGpsCreate}, {WM_PAINT, OnMonitorGpsPaint},     {WM_COMMAND, OnMonitorGpsCommand},
    {WM_CHAR, OnMonitorGpsCommand},  {WM_KEYDOWN, OnMonitorGpsCommand}, {WM_SIZE, OnMonitorGpsSize},
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

void ExitGpsMonitor(HWND monitorWindow)
{
    GpsMonitorState = 0;
    GpsMonitorKeys.Mode = 0;
    // The monitor's reader is stopped and waited for before the port closes: no reader is
    // ever left beside another on the port that opens next.
    CloseGpsPort();
    if (monitorWindow != nullptr)
        ShowWindow(monitorWindow, SW_HIDE);
    if (MonitorGpsServices.RestoreCommandButtons != nullptr)
        MonitorGpsServices.RestoreCommandButtons();
    Settings.GpsInput = SavedGpsSetting;
    if (Settings.GpsInput > 0) {
        SetupMapView();
        OpenGpsPort();
        DelayMs(50);
        StartGpsReader();
        DelayMs(100);
    }
    // The monitor is hidden now: the main window takes the keys back.
    if (hWndMain != nullptr) {
        SetFocus(hWndMain);
        InvalidateRect(hWndMain, nullptr, TRUE);
        UpdateWindow(hWndMain);
    }
}
