// The GPS monitor window (class MonitorGPSWnd): the raw lines of the GPS port in a list, with
// the buttons "&Go", "&Pause" and "E&xit" and their keys. Hidden until the Monitor GPS
// Receiver command; Exit closes the port (its reader ended and waited for), hides the window
// and starts the normal GPS reader again when GPS input is on.
#pragma once

#include "vlox/display/map_geometry.h"

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK MonitorGpsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers MonitorGPSWnd; 0 on success, nonzero on failure.
int RegisterMonitorGpsWndClass(HINSTANCE instance);

// 2 while the GPS monitor window is up and holds the keys, 0 otherwise.
extern int32_t GpsMonitorState;
// Running flag and highlighted button (Mode mirrors GpsMonitorState while a key is handled).
extern MonitorKeyState GpsMonitorKeys;

// The most lines the list keeps; the oldest go first.
constexpr int32_t MonitorListLimit = 2000;

// What Exit calls beyond the window: the main command buttons the monitor hid are shown
// again. The program's start connects it.
struct MonitorGpsServiceSet {
    void (*RestoreCommandButtons)() = nullptr;
};
extern MonitorGpsServiceSet MonitorGpsServices;

// Exit of the monitor (the button, Enter on it, X or x).
void ExitGpsMonitor(HWND monitorWindow);
