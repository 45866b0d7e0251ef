// The GPS monitor window (class MonitorGPSWnd), hidden until the Monitor GPS Receiver
// command. For now it only paints its class background; its buttons, list and keys come with
// the GPS work, which replaces this procedure.
#pragma once

#include <windows.h>

LRESULT CALLBACK MonitorGpsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers MonitorGPSWnd; 0 on success, nonzero on failure.
int RegisterMonitorGpsWndClass(HINSTANCE instance);
