// Small drawing and control routines of the main window around long operations and review:
// the busy strip above the progress bar, the nulling progress box, the guard that keeps the
// map's picture under a popup or dialog, and the swap between the map and the record list.
#pragma once

#include <cstdint>

#include "vlox/ui/status_panel.h"

// The nulling box as it was last laid out; the bars fill its columns.
extern NullingBoxLayout NullingBox;

// The strip above the progress bar: red while on is nonzero, else the panel colour.
void SetBusyIndicator(int32_t on);

// erase nonzero clears the box; otherwise draws it for kind 0 (all seven rates, marking
// them all in NullRateSelected), 1 (the rates selected) or 2 (the current rate).
void DrawNullingProgress(int32_t kind, int32_t erase);
// Fills a column laid out by the box from its bottom up to fraction (0 to 1) of its height.
// A column the box did not lay out is ignored.
void DrawNullingProgressBar(int32_t column, double fraction);

// 0 before something covers the live map, 1 afterwards.
void PreserveMapBackground(int32_t phase);

// 1 hides the map and shows the record list; 0 empties the list, hides it and shows the map.
void ShowRecordList(int32_t show);
// The record list takes the record combo box's items and its selection.
void CopyRecordsToListBox(int32_t unused = 0);
