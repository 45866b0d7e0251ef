#include "vlox/measure/measure_cycle_win.h"

#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/store_inputs.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/measure/units.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/ui/acquisition_seams_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/enabling.h"
#include "vlox/ui/enabling_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/ui/startup_stubs_win.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"

#include <cstdio>
#include <string>

int32_t BuffersProcessed = 0;
const wchar_t* const CycleLogFileName = L"VLOXCYCLE.LOG";

namespace {

// 1 while a buffer is processed: a message that reaches the window meanwhile (through a
// message loop run by something the cycle called) is counted and processed afterwards.
int32_t CycleBusy = 0;
int32_t CyclePendingMessages = 0;

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
    LocalTime LocalNow() override
    {
        SYSTEMTIME st{};
        GetLocalTime(&st);
        LocalTime t;
        t.Year = st.wYear;
        t.Month = st.wMonth;
        t.Day = st.wDay;
        t.Hour = st.wHour;
        t.Minute = st.wMinute;
        t.Second = st.wSecond;
        t.Milliseconds = st.wMilliseconds;
        return t;
    }
    void DrawProgressBar(double fraction) override { ::DrawProgressBar(fraction); }
    void ClearProgressBar() override { ::ClearProgressBar(); }
    void SetBusyIndicator(int32_t on) override { ::SetBusyIndicator(on); }
    void ConvertGateValues(double* row) override
    {
        const int32_t rate = Settings.RepRateIndex >= 0 && Settings.RepRateIndex < RepRateCount ? Settings.RepRateIndex : 0;
        UnitConversionContext context;
        context.PolaritySign = PolaritySign;
        context.Nulling = MeasureState == MeasureStateNulling ? 1 : 0;
        context.NullRow = SelectNullRow(NullTablesStore, Settings.PowerLineFrequency, Settings.GateSet, rate,
                                        GateCount, GainCodeSent, UserGatesNullingValid);
        context.GateCentresMs = GateCentres[rate];
        context.LoopArea = TxLoopArea;
        ::ConvertGateValues(context, 0, Settings.DisplayUnit, Settings.CoilType, GateCount, GainCodeSent,
                            TxAmpereTurns, row, DisplayValues);
    }
    void RedrawNumbersHeader() override { ::RedrawNumbersHeader(); }
    void DrawNumbersColumn() override { ::DrawNumbersColumn(hWndNumbers, GateCount, DisplayValues); }
    void RestoreCurveFrame() override { ::RestoreCurveFrame(hWndCurve); }
    void DrawDecayCurve(int32_t pen) override { ::DrawDecayCurve(hWndCurve, pen, 1); }
    void ScrollProfile() override { ::ScrollProfile(); }
    void ShowReadingComplete(int32_t storeEnabled) override
    {
        ShowButton(CmdStop, false);
        ShowButton(CmdStoreReading, true);
        EnableButton(CmdStoreReading, storeEnabled != 0);
        ShowButton(CmdCancelReading, true);
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

// One buffer from the done queue through the cycle.
void ProcessOneBuffer()
{
    BufferSamples = nullptr;
    BufferSampleCount = 0;
    InputRangeMax = InputRangeMin = 0.0;
    InputResolution = 0;
    if (TakeDoneBuffer() == 0)
        return;
    // A failed query has released the board through the failure path: no samples to read.
    if (GetBufferInfo() == 0) {
        RequeueBuffer();
        return;
    }
    SampleBuffer buffer;
    buffer.Samples = BufferSamples;
    buffer.Count = BufferSampleCount;
    buffer.RangeMin = InputRangeMin;
    buffer.RangeMax = InputRangeMax;
    buffer.Resolution = InputResolution;
    WinCycleServices services;
    const int32_t outcome = RunMeasurementCycle(buffer, CurrentSyncConfig(PolaritySign), services);
    ++BuffersProcessed;
    if (outcome == CycleRequeue)
        RequeueBuffer();
}

const ReadingRecordResult* ResultsOfFirstRate()
{
    return ReadingResultsA;
}

const ReadingRecordResult* ResultsOfSecondRate()
{
    return ReadingResultsB;
}

void ClearMonitorPass()
{
    MonitorPassCount = 0;
    for (double& m : MonitorSums)
        m = 0.0;
}

// The store takes the records the cycle leaves. Set before main() runs: DataFileInputs is
// constant-initialised, so the order of the two does not matter.
bool RegisterCycleResults()
{
    DataFileInputs.ResultsA = ResultsOfFirstRate;
    DataFileInputs.ResultsB = ResultsOfSecondRate;
    DataFileInputs.ClearMonitorSums = ClearMonitorPass;
    return true;
}
[[maybe_unused]] const bool CycleResultsRegistered = RegisterCycleResults();

}  // namespace

LRESULT CALLBACK OnBufferDone(HWND, UINT, WPARAM wParam, LPARAM)
{
    // Messages stay queued across a stop or restart: only the live analog input's count.
    if (BoardAnalogInput == nullptr || reinterpret_cast<SubsystemHandle>(wParam) != BoardAnalogInput)
        return 1;
    if (CycleBusy != 0) {
        ++CyclePendingMessages;
        return 1;
    }
    CycleBusy = 1;
    ProcessOneBuffer();
    while (CyclePendingMessages > 0 && BoardAnalogInput != nullptr) {
        --CyclePendingMessages;
        ProcessOneBuffer();
    }
    CyclePendingMessages = 0;
    CycleBusy = 0;
    return 1;
}
