// The map window (class MapWnd). For now it shows its white class background; the station
// map, the GPS track and the review map come with the map work, which replaces the
// placeholders below.
#pragma once

#include <windows.h>

LRESULT CALLBACK MapWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers MapWnd; 0 on success, nonzero on failure.
int RegisterMapWndClass(HINSTANCE instance);

// Placeholder: fits the live station map to the loop and the stations.
void FitStationMap(double marginFactor);
