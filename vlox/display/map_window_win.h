// The map window (class MapWnd) and the live map's operations that the commands and the GPS
// link call. The window shows its white class background: no station map, GPS track or
// review map is drawn on it yet.
#pragma once

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK MapWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers MapWnd; 0 on success, nonzero on failure.
int RegisterMapWndClass(HINSTANCE instance);

// The GPS position handler plots fixes on the live map only while this is 1.
extern int32_t MapGpsPlotOn;
// The map's flag that the area under the GPS cross is saved.
extern int32_t MapCrossBoxSaved;

// Fits the live station map to the loop and the stations. Does nothing yet.
void FitStationMap(double marginFactor);
// Plots the latest fix on the map; gives the cross position just plotted. Plots nothing yet:
// the cross stays at (0, 0).
void PlotGpsPosition(HWND mapWindow, int32_t addToTrack, int32_t drawCross, POINT* crossPosition);
// Points in the GPS track; the track stays empty.
int32_t GpsTrackPointCount();
// The station marker (track-symbol style, green marker pen and brush) at a map pixel. Draws
// nothing yet.
void DrawStationMarker(HWND mapWindow, POINT at);
// Keeps the current station in the station map's view. Does nothing yet.
void KeepStationInView();
// Redraws the station map. Draws nothing yet.
void RedrawStationMap(HWND mapWindow);
// 0 saves the map's picture before something covers it, 1 puts it back. Keeps nothing yet.
void SaveRestoreMapBackground(HWND mapWindow, int32_t phase);
// Frees the GPS track arrays when they exist and marks them absent; there are none yet.
void FreeGpsTrack();
// The live GPS map starts empty (Close Data File with the GPS map): the reader paused, the
// map cleared with its grid, the track arrays made anew, the reader resumed. Does nothing yet.
void ResetLiveGpsMap();
