// The map commands of the Map menu and of the buttons under the map pane: zoom in and out,
// fit all and the four shifts. They act on the station map, or on the review map while a
// file is reviewed, and redraw it; with the GPS map they do nothing.
#pragma once

#include <cstdint>

// Zoom by percent (positive zooms in: MapZoomPercent, or its negative to zoom out).
void ZoomMapCommand(int32_t percent);
// Fit All: the view fitted to the loop and the stations with a 1.1 margin.
void FitMapCommand();
// Shift by percent of the map side (x right, y up): (-MapShiftStep, 0) is Shift Map Left.
void ShiftMapCommand(int32_t dxPercent, int32_t dyPercent);
// Runs one of CmdZoomIn, CmdZoomOut, CmdFitAll and the four shifts; false for any other
// command.
bool RunMapCommand(int32_t command);
