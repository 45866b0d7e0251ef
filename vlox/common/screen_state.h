// Program-wide values of the screen that are plain numbers: the work area, the text line
// height, the button geometry that the commands use to move buttons, and the whole computed
// screen. Set by the main window's creation handler and its layout.
#pragma once

#include <cstdint>

#include "vlox/common/screen_layout.h"

extern int32_t WorkAreaWidth;  // outer window size at first, then the client size
extern int32_t WorkAreaHeight;
extern int32_t TextLineHeight;  // character height of the main window's font + 2
extern int32_t ButtonColumnX;
extern int32_t ButtonRowY;
extern int32_t ButtonWidth;
extern int32_t ButtonHeight;
extern int32_t SmallButtonHeight;
extern int32_t ButtonGap;
extern int32_t StepButtonsX;
extern int32_t MapPaneSize;
extern int32_t MapPaneX;
extern int32_t MapPaneY;
extern int32_t ComponentCount;
extern PaneBox CurvePaneRect;
extern PaneBox NumbersPaneRect;

// The whole screen as the layout computed it, and the status panel's rows.
extern MainLayout MainScreenLayout;
extern StatusPanelLayout StatusPanelGeometry;

// Copies the named scalars of a computed layout into the program-wide values above.
void PublishMainLayout(const MainLayout& layout);
