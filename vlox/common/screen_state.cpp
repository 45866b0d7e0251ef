#include "vlox/common/screen_state.h"

int32_t WorkAreaWidth = 0;
int32_t WorkAreaHeight = 0;
int32_t TextLineHeight = 0;
int32_t ButtonColumnX = 0;
int32_t ButtonRowY = 0;
int32_t ButtonWidth = ButtonWidthFixed;
int32_t ButtonHeight = 0;
int32_t SmallButtonHeight = 0;
int32_t ButtonGap = ButtonGapFixed;
int32_t StepButtonsX = 0;
int32_t MapPaneSize = MapPaneSizeAtCreation;
int32_t MapPaneX = MapPaneXFixed;
int32_t MapPaneY = 0;
int32_t ComponentCount = 1;
PaneBox CurvePaneRect;
PaneBox NumbersPaneRect;

MainLayout MainScreenLayout;
StatusPanelLayout StatusPanelGeometry;

void PublishMainLayout(const MainLayout& layout)
{
    MainScreenLayout = layout;
    ButtonColumnX = layout.ButtonColumnX;
    ButtonRowY = layout.ButtonRowY;
    ButtonWidth = layout.ButtonWidth;
    ButtonHeight = layout.ButtonHeight;
    SmallButtonHeight = layout.SmallButtonHeight;
    ButtonGap = layout.ButtonGap;
    StepButtonsX = layout.StepButtonsX;
    MapPaneSize = layout.MapPaneSize;
    MapPaneX = layout.MapPaneX;
    MapPaneY = layout.MapPaneY;
    ComponentCount = layout.ComponentCount;
    CurvePaneRect = layout.CurvePaneRect;
    NumbersPaneRect = layout.NumbersPaneRect;
}
