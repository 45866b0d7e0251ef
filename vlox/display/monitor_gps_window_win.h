// The GPS monitor window (class MonitorGPSWnd), hidden until the Monitor GPS Receiver
// command. It paints its class background only: it has no buttons, list or keys yet.
#pragma once

#include <windows.h>

LRESULT CALLBACK MonitorGpsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers MonitorGPSWnd; 0 on success, nonzero on failure.
int RegisterMonitorGpsWndClass(HINSTANCE instance);
