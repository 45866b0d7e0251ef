// The map window (class MapWnd) and its three maps: the live GPS map (MapLayoutMode 1), drawn
// fix by fix with the track kept in pixels; the station map (MapLayoutMode 2) and, while a
// file is reviewed, the review map, both drawn from their data each time. The arithmetic is
// map_geometry.h; this file draws it.
#pragma once

#include "vlox/display/map_geometry.h"

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK MapWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers MapWnd; 0 on success, nonzero on failure.
int RegisterMapWndClass(HINSTANCE instance);

// The GPS position handler plots fixes on the live map only while this is 1.
extern int32_t MapGpsPlotOn;
// The map's flag that the area under the GPS cross is saved (the commands clear it when they
// reset the map).
extern int32_t MapCrossBoxSaved;
// 1 while SaveRestoreMapBackground holds a picture of the pane.
extern int32_t MapBackgroundSaved;

// The GPS map's view, grid and track memory.
extern MapViewportValues MapViewport;
extern MapGridValues MapGrid;
extern GpsTrackValues GpsTrack;
// The free physical memory that sizes the track (bytes); the machine's by default.
extern uint64_t (*MapFreeMemoryBytes)();

// The station map's lower-left corner (survey metres); its side is Settings.MapSize and its
// scale PixelsPerMetre.
extern double StationMapOriginX;
extern double StationMapOriginY;
// The review map: its corner and scale (its side is ReviewMapSize) and the file it shows; the
// loop it draws is the reading shown's.
extern double ReviewMapOriginX;
extern double ReviewMapOriginY;
extern double ReviewPixelsPerMetre;
extern HANDLE ReviewMapFile;

// Zoom and pan steps in percent (the map options set them).
extern int32_t MapZoomPercent;
extern int32_t MapShiftStep;

// Map pens: blue cross, red track, green marker. With recreate 1 the old ones go first.
void CreateMapPens(int32_t recreate);
// Sets the GPS map's view and scale, makes the track arrays once (while GPS input is on) and
// the grid; the next fix is plotted as a first one. Returns the capacity reductions when it made the arrays, 7 when it gave up, -1
// when it made none.
int32_t SetupMapView();

void DrawMapCross(HDC dc, int32_t x, int32_t y);
// Symbol styles 0-5 (4 is the track's); the pen and brush are selected and put back.
void DrawTrackSymbol(HDC dc, int32_t x, int32_t y, int32_t style, HPEN pen, HBRUSH brush, COLORREF colour);
// The stored points with x0 <= x <= x1, y0 <= y <= y1 (track pixels) at (x - offsetX, y - offsetY).
void DrawTrackPoints(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t offsetX, int32_t offsetY);

// The GPS grid from the map size and interval (the interval setting may be corrected).
void ComputeMapGrid();
// The grid lines of a range, vertical from y0 to y1 / horizontal from x0 to x1.
void DrawMapGridVertical(HDC dc, GridRange lines, int32_t y0, int32_t y1);
void DrawMapGridHorizontal(HDC dc, GridRange lines, int32_t x0, int32_t x1);
// Every grid line across the pane.
void DrawWholeMapGrid(HDC dc);

// Plots the latest fix (GpsFix) on the map; gives the cross position just plotted.
void PlotGpsPosition(HWND mapWindow, int32_t addToTrack, int32_t drawCross, POINT* crossPosition);
// Points in the GPS track.
int32_t GpsTrackPointCount();
// The station marker (track-symbol style, green marker pen and brush) at a map pixel.
void DrawStationMarker(HWND mapWindow, POINT at);
// 0 saves the pane's picture before something covers it; 1 (or a second 0) puts it back.
void SaveRestoreMapBackground(HWND mapWindow, int32_t phase);
// Frees the GPS track arrays: no track until the next SetupMapView or rebuild.
void FreeGpsTrack();
// Close Data File with the GPS map: the reader held, the pane cleared with its grid, the
// track arrays made anew and empty, the reader resumed.
void ResetLiveGpsMap();
// Rebuilds the track from the sentences stored in the open data file; keepScale 1 keeps the
// last position where it was across a change of scale.
void LoadGpsTrackFromFile(HWND mapWindow, int32_t keepScale);
// The map options changed the GPS map: plotting held, the pane cleared, the grid and the
// track drawn anew from the data file, plotting resumed.
void RebuildGpsMap();

// Station map.
// Reads the data file's station index into StationMapStations (emptied without one).
void ReadStationMapIndex();
void PaintStationMap(HDC dc);
void RedrawStationMap(HWND mapWindow);
void FitStationMap(double marginFactor);
void ZoomStationMap(int32_t percent);
void PanStationMap(int32_t dxPercent, int32_t dyPercent);
// Pans by MapShiftStep towards the current station when it reaches the pane's edge.
void KeepStationInView();

// Review map. ScanFileMapExtents fits the view to the file and takes it as the map's file;
// a file error is shown ("File Error") and the view kept.
void ScanFileMapExtents(HANDLE file);
void PaintReviewMap(HDC dc, HANDLE file);
void RedrawReviewMap(HWND mapWindow, HANDLE file);
void FitReviewMap(double marginFactor);
void ZoomReviewMap(int32_t percent);
void PanReviewMap(int32_t dxPercent, int32_t dyPercent);
