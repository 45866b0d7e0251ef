#include "vlox/ui/view_commands_win.h"

#include <windows.h>

#include "resources/resource.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/curve_plot.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/scale_steps.h"
#include "vlox/ui/status_panel_win.h"

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
    ClearProfileStripPoints();
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

}  // namespace

void RedrawReview()
{
    if (ReviewMode == 0) {
        DrawReviewNumbers(false);
        DrawReviewDecay();
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
    default:
        return false;
    }
}
