#include "vlox/ui/startup_stubs_win.h"

namespace StandIn {
double TxLoopArea = 0.0;
HANDLE GpsPort = INVALID_HANDLE_VALUE;
HANDLE GpsThread = INVALID_HANDLE_VALUE;
}  // namespace StandIn

void ClearNullTablesAtStart()
{
}

void ComputeTotalTurnOffDelayAtStart()
{
}

void LoadSettingsAtStart()
{
}

void ComputeTxLoopAreaAtStart()
{
}

void BuildGateTablesAtStart()
{
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
