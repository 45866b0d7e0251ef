// Draws the parameter summary panel (the rows of the "System Parameters" box and the map
// size under the map pane) on the main window.
#pragma once

#include <windows.h>

#include "vlox/display/parameter_panel.h"

// The reviewed reading's parameters, from the review reader; left empty the panel shows
// the defaults of ReviewedPanelParameters.
extern ReviewedPanelParameters (*ReviewedParametersSource)();

// Repaints the whole panel on its own device context of the main window.
void DrawParameterPanel();
// The map size field under the map pane (`MessageLineRect`) filled and written on dc, as
// MapSizeField says for the map shown.
void PaintMapSizeField(HDC dc);
