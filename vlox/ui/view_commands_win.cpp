#include "vlox/ui/view_commands_win.h"

#include <windows.h>

#include "resources/resource.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/review_reader_win.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/curve_plot.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/display/review_plots_win.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/review_commands_win.h"
#include "vlox/ui/scale_steps.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"
#include "vlox/ui/view_dialogs_win.h"

namespace {

void Invalidate(HWND window)
{
    if (window != nullptr)
        InvalidateRect(window, nullptr, TRUE);
}

void Update(HWND window)
{
    if (window != nullptr)
        UpdateWindow(window);
}

void ScaleStepCommand(ScaleStep step)
{
    if (!StepAmplitudeScale(step, Settings.AmplitudeAxisMax, Settings.AmplitudeAxisMin, AmplitudeBottomDecadeBase))
        return;
    ComputeCurveScale();
    CurveBackgroundSaved = 0;
    SettingsFile(SettingsSave);
    RestartProfileStrip();
    ClearDisplayArea(0);
    Invalidate(hWndMain);
    Update(hWndMain);
    if (Settings.SurveyMode == 1 && Settings.GraphView == 1)
        RedrawProfileFromFile();
    RedrawReview();
}

void CheckGraphView(int32_t view)
{
    if (hMenuMain == nullptr)
        return;
    CheckMenuItem(hMenuMain, IDM_DECAY_VIEW, MF_BYCOMMAND | (view == 0 ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(hMenuMain, IDM_PROFILE_VIEW, MF_BYCOMMAND | (view == 1 ? MF_CHECKED : MF_UNCHECKED));
}

void DecayViewCommand()
{
    if (Settings.GraphView != 1)
        return;
    CheckGraphView(0);
    Settings.GraphView = 0;
    Invalidate(hWndMain);
    SettingsFile(SettingsSave);
    LiveDisplayMode = 1;
}

void ProfileViewCommand()
{
    if (Settings.GraphView != 0)
        return;
    CheckGraphView(1);
    Settings.GraphView = 1;
    SettingsFile(SettingsSave);
    RestartProfileStrip();
    if (DataFile == INVALID_HANDLE_VALUE) {
        Invalidate(hWndMain);
        return;
    }
    LiveDisplayMode = 0;
    DrawViewModeField(hWndMain);
    RedrawProfileFromFile();
}

void TransferCommand()
{
    ShowCommandMessage(hWndMain, "Please use Windows Explorer to transfer Data Files", "Data File Transfer", MB_OK);
}

void ScaleCommand()
{
    const int32_t unitBefore = Settings.DisplayUnit;
    if (PlotScaleDialog(hWndMain) == 1) {
        if (ReviewMode == -1) {
            SettingsFile(SettingsSave);
            RestartProfileStrip();
            ClearDisplayArea(0);
            if (Settings.SurveyMode == 0) {
                Invalidate(hWndCurve);
                Invalidate(hWndMain);
            } else if (Settings.GraphView == 1) {
                RedrawProfileFromFile();
            }
            return;
        }
        DrawParameterPanel();
        SettingsFile(SettingsSave);
        // The profile's rows were converted when they were read: another unit reads them again.
        // The values were converted when they were read, in the unit of that time: another
        // unit reads the reading shown, and the profile's rows, again.
        if (ReviewMode == 1 && Settings.DisplayUnit != unitBefore) {
            ShowProfileAgainOnScreen();
            return;
        }
        if (Settings.DisplayUnit != unitBefore)
            ShowReviewPlaceOnScreen(ReviewLineIndex, ReviewStationIndex, ReviewRecordIndex);
        ClearDisplayArea(0);
        RedrawReview();
        return;
    }
    Update(hWndMain);
    Update(hWndCurve);
    // The review plot as it was.
    if (ReviewMode == 0) {
        DrawReviewNumbers();
        ClearDisplayArea(0);
        DrawReviewDecay(false);
    } else if (ReviewMode == 1) {
        ClearDisplayArea(0);
        DrawProfilePlot();
    }
}

void GpsPortSetupCommand()
{
    if (MapLayoutMode == 1)
        PreserveMapBackground(0);
    GpsPortDialog(hWndMain);
    Invalidate(hWndMain);
    if (MapLayoutMode == 1)
        PreserveMapBackground(1);
    SettingsFile(SettingsSave);
}

void GpsCoordinatesCommand()
{
    GpsCoordinatesDialog(hWndMain);
    Invalidate(hWndMain);
}

// The map pane drawn anew as the map settings and layout now ask: the review map while
// reviewing, else the GPS map rebuilt from the data file or the station map.
void RedrawMapPane()
{
    if (ReviewMode != -1) {
        Invalidate(hWndMap);
    } else if (MapLayoutMode == 1) {
        RebuildGpsMap();
    } else if (MapLayoutMode == 2) {
        DrawMapSizeField(hWndMain);
        ClearDisplayArea(1);
        RedrawStationMap(hWndMap);
    }
}

void MapOptionsCommand()
{
    if (MapOptionsDialog(hWndMain) != 1)
        return;
    RedrawMapPane();
    SettingsFile(SettingsSave);
}

void GpsMapTypeCommand()
{
    if (GpsMapTypeDialog(hWndMain) == 1) {
        SettingsFile(SettingsSave);
        RedrawMapPane();
    }
    Invalidate(hWndMain);
}

void AttributesCommand()
{
    const bool reviewing = ReviewMode != -1;
    ProfileAttributesDialog(hWndMain, reviewing ? ReviewReading.GateSet : Settings.GateSet);
    if (!reviewing) {
        if (Settings.SurveyMode == 0)
            Invalidate(hWndMain);
        SettingsFile(SettingsSave);
        if (Settings.SurveyMode == 1 && Settings.GraphView == 1)
            RedrawProfileFromFile();
        return;
    }
    if (ReviewMode == 0) {
        // The reading shown again: its numbers as its processing shows them ("Selected" only
        // for a reading chosen in the list).
        ShowReviewPlaceOnScreen(ReviewLineIndex, ReviewStationIndex, ReviewRecordIndex);
        return;
    }
    // The profile view: the chosen repetition selected again, with the new pens, from its first
    // listed station as a choice of it shows.
    if (ReviewRepetitionIndex < ReviewStandardEntryCount)
        SelectReviewRepetition(ReviewRepetitionIndex);
    else
        SelectReviewUserGateSet(ReviewRepetitionIndex);
    ShowReviewPlaceOnScreen(ReviewLineIndex, 0, 0);
}

}  // namespace

void RedrawReview()
{
    if (ReviewMode == 0) {
        DrawReviewNumbers();
        DrawReviewDecay(false);
    } else if (ReviewMode == 1) {
        DrawProfilePlot();
    }
}

bool RunViewCommand(int32_t command)
{
    ScaleStep step;
    if (ScaleStepOfCommand(command, step)) {
        ScaleStepCommand(step);
        return true;
    }
    switch (command) {
    case CmdDecayView:
        DecayViewCommand();
        return true;
    case CmdProfileView:
        ProfileViewCommand();
        return true;
    case CmdTransfer:
        TransferCommand();
        return true;
    case CmdScale:
        ScaleCommand();
        return true;
    case CmdGpsPortSetup:
        GpsPortSetupCommand();
        return true;
    case CmdGpsCoordinates:
        GpsCoordinatesCommand();
        return true;
    case CmdMapOptions:
        MapOptionsCommand();
        return true;
    case CmdGpsMapType:
        GpsMapTypeCommand();
        return true;
    case CmdAttributes:
        AttributesCommand();
        return true;
    default:
        return false;
    }
}
