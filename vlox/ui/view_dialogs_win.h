// The dialog procedures of "Plot Scale Setup", "Map Options", "GPS Port Setup", "GPS
// Coordinates", "GPS Map Type" and "Profile Plot Attributes", with the owner-drawn samples
// and the colour chooser of the last. Each opens modal over its owner and, on OK, writes the
// settings through its model (view_dialogs.h); the command cases do what comes before and
// after.
#pragma once

#include <windows.h>

#include <cstdint>

INT_PTR CALLBACK PlotScaleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MapOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GpsPortDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GpsCoordinatesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GpsMapTypeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProfileAttributesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the owner-drawn sample of entry (control id - first sample id).
void DrawLineStyleItem(HWND dialog, const DRAWITEMSTRUCT* item);
// The colour chooser (any colour, the 16 custom colours kept for the run); true with the
// colour when the user confirmed it.
bool PickColour(HWND owner, COLORREF& colour);

// The dialogs opened over the owner: 1 on OK, 0 on Cancel. The attributes dialog's template
// follows the gate set.
INT_PTR PlotScaleDialog(HWND owner);
INT_PTR MapOptionsDialog(HWND owner);
INT_PTR GpsPortDialog(HWND owner);
INT_PTR GpsCoordinatesDialog(HWND owner);
// GPS Map Type: on OK the settings and the map layout hold the choice; the caller saves.
INT_PTR GpsMapTypeDialog(HWND owner);
INT_PTR ProfileAttributesDialog(HWND owner, int32_t gateSet);
