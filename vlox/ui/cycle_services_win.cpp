#include "vlox/ui/cycle_services_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/internal_test_win.h"
#include "vlox/measure/repetition.h"
#include "vlox/measure/units.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/enabling.h"
#include "vlox/ui/enabling_win.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"

const wchar_t* const CycleLogFileName = L"VLOXCYCLE.LOG";

namespace {

void AppendToCycleLog(const char* caption, const char* text)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file = n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
    const size_t slash = file.find_last_of(L"\\/");
    file = (slash == std::wstring::npos ? std::wstring() : file.substr(0, slash + 1)) + CycleLogFileName;
    FILE* f = _wfopen(file.c_str(), L"ab");
    if (f == nullptr)
        return;
    std::fprintf(f, "%lu %s: %s\r\n", static_cast<unsigned long>(GetTickCount()), caption, text);
    std::fclose(f);
}

class WinCycleServices : public CycleServices {
public:
    uint32_t Now() override { return GetTickCount(); }
    LocalTime LocalNow() override { return LocalTimeNow(); }
    void DrawProgressBar(double fraction) override { ::DrawProgressBar(fraction); }
    void ClearProgressBar() override { ::ClearProgressBar(); }
    void SetBusyIndicator(int32_t on) override { ::SetBusyIndicator(on); }
    void ConvertGateValues(double* row) override
    {
        const int32_t rate =
            Settings.RepRateIndex >= 0 && Settings.RepRateIndex < RepRateCount ? Settings.RepRateIndex : 0;
        UnitConversionContext context;
        context.PolaritySign = PolaritySign;
        context.Nulling = MeasureState == MeasureStateNulling ? 1 : 0;
        context.NullRow = SelectNullRow(NullTablesStore, Settings.PowerLineFrequency, Settings.GateSet, rate, GateCount,
                                        GainCodeSent, UserGatesNullingValid);
        context.GateCentresMs = GateCentres[rate];
        context.LoopArea = TxLoopArea;
        ::ConvertGateValues(context, 0, Settings.DisplayUnit, Settings.CoilType, GateCount, GainCodeSent, TxAmpereTurns,
                            row, DisplayValues);
    }
    void RedrawNumbersHeader() override { ::RedrawNumbersHeader(); }
    void DrawNumbersColumn() override { ::DrawNumbersColumn(hWndNumbers, GateCount, DisplayValues); }
    void RestoreCurveFrame() override { ::RestoreCurveFrame(hWndCurve); }
    void DrawDecayCurve(int32_t pen) override { ::DrawDecayCurve(hWndCurve, pen, 1); }
    void ScrollProfile() override { ::ScrollProfile(); }
    void ShowReadingComplete(int32_t storeEnabled) override
    {
        ShowButton(ButtonSlotOf(CmdStop), false);
        ShowButton(ButtonSlotOf(CmdStoreReading), true);
        EnableButton(ButtonSlotOf(CmdStoreReading), storeEnabled != 0);
        ShowButton(ButtonSlotOf(CmdCancelReading), true);
        EnableMenusForState(LogReadingComplete);
    }
    // The box of a failed store comes after the cycle has returned.
    int32_t StoreReading() override { return ::StoreReading(StoreReportPosted); }
    void StationAdvanced() override
    {
        UpdateLoopCentre();
        DrawStationField(hWndMain);
        DrawRecordNumberField(hWndMain);
    }
    void RedrawStationMapArea() override
    {
        ClearDisplayArea(1);
        KeepStationInView();
        RedrawStationMap(hWndMap);
    }
    void LogDiagnostic(const char* caption, const char* text) override { AppendToCycleLog(caption, text); }
    void NullingStep(int32_t userGates) override
    {
        if (userGates != 0)
            ::UserGatesNullingStep();
        else
            ::StandardGatesNullingStep();
    }
    void SelectActiveRepetition(int32_t which) override { ::SelectActiveRepetition(which); }
    void FinishInternalTest(int32_t testIndex) override
    {
        StopAcquisition();
        if (hWndBar != nullptr)
            ShowWindow(hWndBar, SW_HIDE);
        DrawInternalTest(testIndex, 2);
    }
};

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

// A step may end the run (or abandon it): the commands it held back are offered again.
int32_t StandardGatesNullingStep()
{
    WinNullingServices services;
    const int32_t r = StandardGatesNullingStepWith(services);
    ShowOfferedControls();
    return r;
}

int32_t UserGatesNullingStep()
{
    WinNullingServices services;
    const int32_t r = UserGatesNullingStepWith(services);
    ShowOfferedControls();
    return r;
}

CycleServices& ProgramCycleServices()
{
    static WinCycleServices services;
    return services;
}
