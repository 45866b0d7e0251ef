// Time per buffer of V-LOX's own buffer-done path on its own windows: the program's windows
// are made as at its start, the Monitor command runs the simulated board at 285 Hz in real
// time with the live decay curve, and for every buffer the handler's time is taken (the
// signal core, the monitor passes, their conversion and drawing) together with the time of
// the same buffer through the signal core alone, in a state of its own, right after it. The
// difference is the drawing. Run by hand, not by ctest (the figures are the machine's):
//
//   tools/wine-exec build/win32/bin/measure_drawing_bench.exe [seconds] [20|100]
//
// seconds: how long to monitor (60); 20: the 20 standard gates, 100: 100 user-defined gates.
#include <windows.h>

#include "qzdaapi32/qzdaapi32.h"
#include "resources/resource.h"
#include "standins/personality/sim_registration_win.h"
#include "vlox/instruments/serial_port_win.h"
#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/measure/measure_cycle_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/main_window_win.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

double TicksPerMs = 1.0;
WNDPROC CurveProcedure = nullptr;

struct BufferTimes {
    double HandlerMs;
    double CoreMs;
    int32_t Periods;
};
std::vector<BufferTimes> Times;
int32_t BuffersSkipped = 0;  // messages that handled more or fewer than one buffer
double BufferMs = 0.0;       // the time one buffer holds
std::unique_ptr<SyncCycleState> CoreState;
double CoreSums[CycleGateSlots];

// The buffer the handler reads, as the board library hands it over: the handler lets go of
// it when it hands it back.
decltype(BoardCalls.GetBufferPointer) LibraryBufferPointer = nullptr;
decltype(BoardCalls.GetValidSamples) LibraryValidSamples = nullptr;
const uint16_t* HandledSamples = nullptr;
int32_t HandledCount = 0;

uint32_t QZMEM_CALL NoteBufferPointer(HBUF buffer, void** data)
{
    const uint32_t result = LibraryBufferPointer(buffer, data);
    HandledSamples = data != nullptr ? static_cast<const uint16_t*>(*data) : nullptr;
    return result;
}

uint32_t QZMEM_CALL NoteValidSamples(HBUF buffer, uint32_t* count)
{
    const uint32_t result = LibraryValidSamples(buffer, count);
    HandledCount =
        count != nullptr ? static_cast<int32_t>(std::min<uint32_t>(*count, static_cast<uint32_t>(SampleRate))) : 0;
    return result;
}

int32_t BoxesShown = 0;
int WINAPI NoteBox(HWND, LPCWSTR text, LPCWSTR caption, UINT)
{
    ++BoxesShown;
    std::fwprintf(stderr, L"message box: %ls | %ls\n", caption, text);
    return IDOK;
}

double NowMs()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / TicksPerMs;
}

// The buffer the handler has just handed back, once more through the synchronisation search,
// the gates and the monitor's sums alone. The board refills a buffer only after the seven
// queued before it, so its samples are still there.
void RunCoreAgain(BufferTimes& times)
{
    SampleBuffer buffer;
    buffer.Samples = HandledSamples;
    buffer.Count = HandledCount;
    buffer.RangeMin = InputRangeMin;
    buffer.RangeMax = InputRangeMax;
    buffer.Resolution = InputResolution;
    const SyncCycleConfig config = CurrentSyncConfig(1.0);
    const double start = NowMs();
    int32_t periods = 0;
    while (RunSyncStages(*CoreState, config, buffer) == SyncHalfCycleDone) {
        if (CoreState->CycleReady != 1)
            continue;
        ++periods;
        for (int32_t g = 0; g < config.GateCount; ++g)
            CoreSums[g] += CoreState->CycleGates[g];
    }
    times.CoreMs = NowMs() - start;
    times.Periods = periods;
    BufferMs = HandledCount / ScanChannelCount * SamplePeriodUs / 1000.0;
}

LRESULT CALLBACK TimedCurveProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != QZMSG_BUFFER_DONE)
        return CallWindowProcW(CurveProcedure, window, message, wParam, lParam);
    const int32_t before = BuffersProcessed;
    HandledSamples = nullptr;
    const double start = NowMs();
    const LRESULT result = CallWindowProcW(CurveProcedure, window, message, wParam, lParam);
    const double handler = NowMs() - start;
    if (BuffersProcessed != before + 1 || HandledSamples == nullptr) {
        ++BuffersSkipped;
        return result;
    }
    BufferTimes times{handler, 0.0, 0};
    RunCoreAgain(times);
    Times.push_back(times);
    return result;
}

// Runs the windows' messages for ms milliseconds, or until stop() says so.
template <class Stop>
void PumpFor(DWORD ms, Stop stop)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms && !stop()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Mean(const std::vector<double>& v)
{
    double sum = 0.0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

void Report(int seconds, int gates)
{
    std::vector<double> handler, core, drawing;
    double periods = 0.0;
    for (const BufferTimes& t : Times) {
        handler.push_back(t.HandlerMs);
        core.push_back(t.CoreMs);
        drawing.push_back(t.HandlerMs - t.CoreMs);
        periods += t.Periods;
    }
    const double perBuffer = Times.empty() ? 0.0 : periods / static_cast<double>(Times.size());
    std::printf("V-LOX buffer-done path, %d s of monitoring at 285 Hz, %d gates, live decay curve\n", seconds, gates);
    std::printf("buffers timed %zu (skipped %d), %.0f ms each, %.1f periods and %.1f monitor passes per buffer\n",
                Times.size(), BuffersSkipped, BufferMs, perBuffer,
                MonitorPassPeriods > 0 ? perBuffer / MonitorPassPeriods : 0.0);
    std::printf("%-34s %10s %10s %10s %10s\n", "per buffer, ms", "median", "mean", "max", "of buffer");
    const struct {
        const char* Name;
        const std::vector<double>* Values;
    } rows[] = {{"handler (processing and drawing)", &handler},
                {"processing (signal core alone)", &core},
                {"drawing (handler - processing)", &drawing}};
    for (const auto& row : rows) {
        const double median = Median(*row.Values);
        const double max = row.Values->empty() ? 0.0 : *std::max_element(row.Values->begin(), row.Values->end());
        std::printf("%-34s %10.3f %10.3f %10.3f %9.2f%%\n", row.Name, median, Mean(*row.Values), max,
                    BufferMs > 0.0 ? 100.0 * median / BufferMs : 0.0);
    }
    const double passes = MonitorPassPeriods > 0 ? perBuffer / MonitorPassPeriods : 0.0;
    if (passes > 0.0)
        std::printf("drawing per monitor pass (conversion, numbers and curve): %.3f ms\n", Median(drawing) / passes);
    if (BoxesShown != 0)
        std::printf("%d message boxes were answered (see above)\n", BoxesShown);
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 60;
    const int gates = argc > 2 && std::atoi(argv[2]) == 100 ? 100 : 20;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    TicksPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;
    CoreState = std::make_unique<SyncCycleState>();
    ResetSyncState(*CoreState);

    if (!RegisterSimBoardInterface() || !RegisterSimBoardDeviceMap()) {
        std::printf("the simulated board could not be registered\n");
        return 2;
    }
    // A run folder of its own: the configuration is written there at the start.
    CreateDirectoryW(L"C:\\vlox_drawing_bench", nullptr);
    SetCurrentDirectoryW(L"C:\\vlox_drawing_bench");
    Settings.PowerLineFrequency = 1;
    Settings.RepRateIndex = 0;  // "285"
    Settings.GateSet = gates == 100 ? 2 : 0;
    Settings.UserGateCount = gates == 100 ? 100 : Settings.UserGateCount;
    // Written out, so that the start reads it as it reads the operator's file.
    SettingsFile(SettingsSave);
    BoardMessageBox = NoteBox;
    LibraryBufferPointer = BoardCalls.GetBufferPointer;
    LibraryValidSamples = BoardCalls.GetValidSamples;
    BoardCalls.GetBufferPointer = NoteBufferPointer;
    BoardCalls.GetValidSamples = NoteValidSamples;
    SerialPortMessageBox = NoteBox;

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (RegisterWindowClasses(instance) != 0 || CreateMainWindow(instance, nullptr, SW_SHOWNORMAL) == nullptr) {
        std::printf("V-LOX's windows could not be made\n");
        return 2;
    }
    PumpFor(30000, [] { return hWndSplash != nullptr && !IsWindowVisible(hWndSplash); });
    CurveProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(BoardNotifyWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimedCurveProc)));
    PostMessageW(hWndMain, WM_COMMAND, MAKEWPARAM(IDM_MONITOR, 0), 0);
    PumpFor(static_cast<DWORD>(seconds) * 1000, [] { return false; });

    SetWindowLongPtrW(BoardNotifyWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CurveProcedure));
    DestroyWindow(hWndMain);
    PumpFor(5000, [] { return false; });
    Report(seconds, gates);
    return Times.empty() ? 1 : 0;
}
