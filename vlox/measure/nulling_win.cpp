#include "vlox/measure/nulling_win.h"

#include <windows.h>

#include "vlox/datafile/datafile_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/repetition.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/ui/status_strip_win.h"

namespace {

class WinNullingServices : public NullingServices {
public:
    void BuildGateTables() override { ::BuildGateTables(); }
    void DrawParameterPanel() override { ::DrawParameterPanel(); }
    void RestartAcquisitionIfOpen() override { ::RestartAcquisitionIfOpen(); }
    void RestartAcquisition() override { ::RestartAcquisition(); }
    void StopAcquisition() override { ::StopAcquisition(); }
    void ShowMessage(const char* text, const char* caption) override
    {
        ShowCommandMessage(hWndMain, text, caption, MB_OK);
    }
    void EraseNullingProgress() override { ::DrawNullingProgress(0, 1); }
    void DrawNullingProgressBar(int32_t column, double fraction) override
    {
        ::DrawNullingProgressBar(column, fraction);
    }
    void SaveSettings() override { SettingsFile(SettingsSave); }
    int32_t DataFileOpen() override { return DataFile != INVALID_HANDLE_VALUE ? 1 : 0; }
    void WriteNullingTable(int32_t op, int32_t mains) override { WriteNullingLog(op, mains); }
    void InvalidateMainWindow() override
    {
        if (hWndMain != nullptr)
            InvalidateRect(hWndMain, nullptr, TRUE);
    }
    int32_t BoardOpen() override { return BoardDevice != nullptr ? 1 : 0; }
};

}  // namespace

void SelectActiveRepetition(int32_t which)
{
    WinNullingServices services;
    SelectActiveRepetitionWith(which, services);
}

int32_t StandardGatesNullingStep()
{
    WinNullingServices services;
    return StandardGatesNullingStepWith(services);
}

int32_t UserGatesNullingStep()
{
    WinNullingServices services;
    return UserGatesNullingStepWith(services);
}
