#include "vlox/ui/map_commands_win.h"

#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/settings/settings.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/status_panel_win.h"

namespace {

bool Reviewing()
{
    return ReviewMode != -1;
}

bool StationLayout()
{
    return ReviewMode == -1 && MapLayoutMode == 2;
}

void RepaintReviewMap()
{
    if (hWndMap != nullptr) {
        InvalidateRect(hWndMap, nullptr, TRUE);
        UpdateWindow(hWndMap);
    }
}

void RedrawStationPane()
{
    ClearDisplayArea(1);
    RedrawStationMap(hWndMap);
}

}  // namespace

void ZoomMapCommand(int32_t percent)
{
    if (StationLayout()) {
        ZoomStationMap(percent);
        DrawMapSizeField(hWndMain);
        RedrawStationPane();
    } else if (Reviewing()) {
        ZoomReviewMap(percent);
        ClearDisplayArea(1);
        RepaintReviewMap();
        DrawMapSizeField(hWndMain);
    }
}

void FitMapCommand()
{
    if (StationLayout()) {
        FitStationMap(1.1);
        DrawMapSizeField(hWndMain);
        RedrawStationPane();
    } else if (Reviewing()) {
        FitReviewMap(1.1);
        ClearDisplayArea(1);
        RepaintReviewMap();
        DrawMapSizeField(hWndMain);
    }
}

void ShiftMapCommand(int32_t dxPercent, int32_t dyPercent)
{
    if (StationLayout()) {
        PanStationMap(dxPercent, dyPercent);
        RedrawStationPane();
    } else if (Reviewing()) {
        PanReviewMap(dxPercent, dyPercent);
        ClearDisplayArea(1);
        RepaintReviewMap();
    }
}

bool RunMapCommand(int32_t command)
{
    switch (command) {
    case CmdZoomIn:
        ZoomMapCommand(MapZoomPercent);
        return true;
    case CmdZoomOut:
        ZoomMapCommand(-MapZoomPercent);
        return true;
    case CmdFitAll:
        FitMapCommand();
        return true;
    case CmdShiftMapLeft:
        ShiftMapCommand(-MapShiftStep, 0);
        return true;
    case CmdShiftMapUp:
        ShiftMapCommand(0, MapShiftStep);
        return true;
    case CmdShiftMapDown:
        ShiftMapCommand(0, -MapShiftStep);
        return true;
    case CmdShiftMapRight:
        ShiftMapCommand(MapShiftStep, 0);
        return true;
    default:
        return false;
    }
}
