#include "vlox/ui/startup_stubs_win.h"

#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/display/splash_win.h"
#include "vlox/ui/main_window_win.h"

namespace StandIn {
double TxLoopArea = 0.0;
HANDLE GpsPort = INVALID_HANDLE_VALUE;
HANDLE GpsThread = INVALID_HANDLE_VALUE;
}  // namespace StandIn

void ClearNullTablesAtStart()
{
    ClearNullTables(NullTablesStore);
}

void ComputeTotalTurnOffDelayAtStart()
{
    TotalTurnOffDelay = ComputeTotalTurnOffDelay(Settings);
}

void LoadSettingsAtStart()
{
    // The reset that a corrupt file leads to closes what the program has open by then.
    ResetHooks.CloseGpsPort = CloseGpsLinkAtExit;
    ResetHooks.StopAcquisition = StopAcquisitionAtExit;
    ResetHooks.ShowClosingSplash = ShowClosingSplash;
    SettingsFile(SettingsLoad);
}

void ComputeTxLoopAreaAtStart()
{
}

void BuildGateTablesAtStart()
{
    BuildGateTables();
}

void BuildReviewGateTimesAtStart()
{
}

void SetNmeaFieldRolesAtStart()
{
}

void CreateProfilePens(int32_t)
{
}

void StartGpsReaderAfterSplash()
{
}

void ReportCorruptConfigurationAtSplash()
{
    CorruptMessageOwner = hWndMain;
    ReportCorruptConfiguration(0);
}

void CloseGpsLinkAtExit()
{
    // The reader loop ends when it sees the invalid handle, so both are set in every case.
    if (StandIn::GpsPort != INVALID_HANDLE_VALUE)
        CloseHandle(StandIn::GpsPort);
    if (StandIn::GpsThread != INVALID_HANDLE_VALUE)
        CloseHandle(StandIn::GpsThread);
    StandIn::GpsPort = INVALID_HANDLE_VALUE;
    StandIn::GpsThread = INVALID_HANDLE_VALUE;
}

void CloseStationIndexFileAtExit()
{
}

void StopAcquisitionAtExit()
{
}

LRESULT CALLBACK OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK OnGgaSentence(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CALLBACK OnGsaSentence(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}
