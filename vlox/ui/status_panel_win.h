// The status panel on the left of the main window: its layout, the paint handler that draws
// the whole panel with the pane frames, the meter box and the GPS labels, and the painters
// of single fields that the commands, the measurement cycle and the review call when one
// value changes. Each painter takes its own device context of the window it is given.
#pragma once

#include <windows.h>

#include <cstdint>

void LayoutStatusPanel(HWND window);
LRESULT CALLBACK PaintStatusPanel(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void DrawFileStateField(HWND window);
void DrawLineNumberField(HWND window);
void DrawLineDirectionField(HWND window);
void DrawStationField(HWND window);
void DrawViewModeField(HWND window);
void DrawRecordNumberField(HWND window);
void DrawMapSizeField(HWND window);

// The numbers window's headings for the live gate count and component, or the reviewed
// reading's while reviewing.
void RedrawNumbersHeader();

// What the panel shows of the review and of the GPS link, from their own modules; the
// program's start connects them, and an entry left unset shows nothing.
struct StatusPanelSourceSet {
    // The reviewed file's name (with its extension) and its internal-test mode (0 for a
    // survey file).
    const wchar_t* (*ReviewFileTitle)() = nullptr;
    int32_t (*ReviewTestMode)() = nullptr;
    // Gate count, component and component count of the reviewed reading.
    void (*ReviewedReadingGates)(int32_t& gateCount, int32_t& component, int32_t& componentCount) = nullptr;
    // Positions received from the GPS receiver.
    int32_t (*GpsPositionCount)() = nullptr;
};
extern StatusPanelSourceSet StatusPanelSources;

// The popup parameter menus of the panel's "System Parameters" rows, at a click in main-window
// client coordinates: 1 when a popup menu or a panel dialog was shown, else 0 (a refusal
// tells why). Defined with the dialogs in acquisition_dialogs_win.cpp.
int32_t ParameterPopupMenu(int32_t x, int32_t y);
int32_t TestPanelPopupMenu(int32_t x, int32_t y);
// Applies a popup item id to the settings; other ids change nothing.
void ApplyPopupChoice(int32_t id);

// The one-pixel frame pen of the panel (RGB 64, 64, 64), made once.
HPEN PanelFramePen();
