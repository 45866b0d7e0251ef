// The soak run: V-LOX's windows made as at its start, in this process, on the simulated board
// with noise and spikes (QZSIM_OPTIONS, set by tools/soak); Monitor runs the whole time, a data
// file is created through its save dialog, and readings are measured and stored one after the
// other, as an operator would, for the time given. At the start and at the end (and every
// five minutes between) it prints the GDI and USER objects, the handles and the private memory
// of the process, and the buffers the board delivered against the buffers the cycle processed.
// Run by tools/soak, not by ctest:
//
//   tools/wine-exec build/win64/bin/vlox_soak.exe [seconds (1800)]
//
// Exit status 0 when every reading was stored, no buffer was lost and the file is whole.
#include <windows.h>

#include "qzdaapi32/qzdaapi32.h"
#include "resources/resource.h"
#include "standins/personality/sim_registration_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/instruments/serial_port_win.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/measure_cycle_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/main_window_win.h"
#include "tests/common/win_test_util.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

WNDPROC CurveProcedure = nullptr;
int64_t BuffersDelivered = 0;
int32_t BoxesShown = 0;
std::atomic<bool> Finished{false};

int WINAPI NoteBox(HWND, LPCWSTR text, LPCWSTR caption, UINT)
{
    ++BoxesShown;
    std::fwprintf(stderr, L"message box: %ls | %ls\n", caption, text);
    return IDOK;
}

// Every buffer the board library announces for the live analog input.
LRESULT CALLBACK CountingCurveProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == QZMSG_BUFFER_DONE && BoardAnalogInput != nullptr &&
        reinterpret_cast<SubsystemHandle>(wParam) == BoardAnalogInput)
        ++BuffersDelivered;
    return CallWindowProcW(CurveProcedure, window, message, wParam, lParam);
}

template <class Stop>
bool PumpUntil(DWORD ms, Stop stop)
{
    const DWORD start = GetTickCount();
    while (!stop()) {
        if (GetTickCount() - start >= ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

void PumpFor(DWORD ms)
{
    PumpUntil(ms, [] { return false; });
}

bool Shown(int id)
{
    HWND control = GetDlgItem(hWndMain, id);
    return control != nullptr && IsWindowVisible(control);
}

bool Click(int id)
{
    HWND button = GetDlgItem(hWndMain, id);
    if (button == nullptr || !IsWindowVisible(button) || !IsWindowEnabled(button))
        return false;
    return PostMessageW(hWndMain, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

// The save dialog of Create File, taken with its default name.
void PressSaveDialogOk()
{
    while (!Finished) {
        HWND dialog = FindWindowW(L"#32770", L"Create Data File");
        if (dialog != nullptr && IsWindowVisible(dialog)) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return;
        }
        Sleep(100);
    }
}

struct Figures {
    int GdiObjects = 0;
    DWORD Handles = 0;
    SIZE_T PrivateBytes = 0;
    int64_t Delivered = 0;
    int64_t Processed = 0;
};

// Wine answers 0 for the process's own handle count: the open handles are counted by asking each
// possible value.
DWORD CountHandles()
{
    DWORD reported = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0)
        return reported;
    DWORD n = 0;
    DWORD flags = 0;
    for (UINT_PTR h = 4; h < 0x40000; h += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags))
            ++n;
    return n;
}

// Committed private memory of the process: its address space walked region by region.
SIZE_T PrivateMemory()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    const char* at = nullptr;
    while (VirtualQuery(at, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
}

Figures Take()
{
    Figures f;
    f.GdiObjects = CountGdiObjects();
    f.Handles = CountHandles();
    f.PrivateBytes = PrivateMemory();
    f.Delivered = BuffersDelivered;
    f.Processed = BuffersProcessed;
    return f;
}

void Print(const char* when, DWORD elapsedS, int32_t stored, const Figures& f)
{
    std::printf("%-6s %6lu s  readings %5d  GDI objects %5d  handles %5lu  private %8.1f MB  buffers delivered "
                "%8lld processed %8lld\n",
                when, static_cast<unsigned long>(elapsedS), stored, f.GdiObjects, static_cast<unsigned long>(f.Handles),
                static_cast<double>(f.PrivateBytes) / (1024.0 * 1024.0), static_cast<long long>(f.Delivered),
                static_cast<long long>(f.Processed));
    std::fflush(stdout);
}

// Measure, the reading to its end, Store, back to the idle buttons. False with the step that
// did not come.
bool MeasureAndStore(std::string& failed)
{
    if (!PumpUntil(10000, [] { return Click(IDC_MEASURE); })) {
        failed = "MEASURE is not offered";
        return false;
    }
    if (!PumpUntil(10000, [] { return Shown(IDC_STOP); })) {
        failed = "the reading did not start";
        return false;
    }
    if (!PumpUntil(60000, [] { return Shown(IDC_STORE_READING) && !Shown(IDC_STOP); })) {
        failed = "the reading did not end";
        return false;
    }
    if (!PumpUntil(10000, [] { return Click(IDC_STORE_READING); })) {
        failed = "STORE cannot be pressed";
        return false;
    }
    if (!PumpUntil(10000, [] { return !Shown(IDC_STORE_READING) && Shown(IDC_MEASURE); })) {
        failed = "Store did not return to the idle buttons";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 1800;
    if (!RegisterSimBoardInterface() || !RegisterSimBoardDeviceMap()) {
        std::printf("the simulated board could not be registered\n");
        return 2;
    }
    CreateDirectoryW(L"C:\\vlox_soak", nullptr);
    CreateDirectoryW(L"C:\\Vlox_Data", nullptr);
    SetCurrentDirectoryW(L"C:\\vlox_soak");
    Settings.PowerLineFrequency = 1;
    Settings.RepRateIndex = 2;
    Settings.AveragingTimeIndex = 2;  // 2 s readings
    Settings.GpsInput = 0;
    Settings.MeterInput = 0;
    SettingsFile(SettingsSave);
    BoardMessageBox = NoteBox;
    SerialPortMessageBox = NoteBox;
    DataFileMessageBox = NoteBox;

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (RegisterWindowClasses(instance) != 0 || CreateMainWindow(instance, nullptr, SW_SHOWNORMAL) == nullptr) {
        std::printf("V-LOX's windows could not be made\n");
        return 2;
    }
    PumpUntil(30000, [] { return hWndSplash != nullptr && !IsWindowVisible(hWndSplash); });
    CurveProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(BoardNotifyWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingCurveProc)));
    PostMessageW(hWndMain, WM_COMMAND, MAKEWPARAM(IDM_MONITOR, 0), 0);
    PumpFor(3000);

    std::thread presser(PressSaveDialogOk);
    Click(IDC_CREATE_DATA_FILE);
    const bool created = PumpUntil(30000, [] { return Shown(IDC_CLOSE_DATA_FILE); });
    Finished = true;
    presser.join();
    if (!created) {
        std::printf("the data file was not created\n");
        return 1;
    }
    const std::wstring dataPath = DataFileWidePath;

    int32_t stored = 0;
    std::string failed;
    // One reading first, so that the start figures hold what a running program always holds.
    if (!MeasureAndStore(failed)) {
        std::printf("first reading: %s\n", failed.c_str());
        return 1;
    }
    ++stored;
    const DWORD start = GetTickCount();
    const Figures first = Take();
    Print("start", 0, stored, first);
    DWORD nextPrint = 300;
    while (GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
        PumpFor(1000);  // the monitor between readings
        if (!MeasureAndStore(failed)) {
            std::printf("reading %d: %s\n", stored + 1, failed.c_str());
            break;
        }
        ++stored;
        const DWORD elapsed = (GetTickCount() - start) / 1000;
        if (elapsed >= nextPrint) {
            Print("run", elapsed, stored, Take());
            nextPrint += 300;
        }
    }
    PumpFor(2000);
    const Figures last = Take();
    Print("end", (GetTickCount() - start) / 1000, stored, last);

    SetWindowLongPtrW(BoardNotifyWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CurveProcedure));
    DestroyWindow(hWndMain);
    PumpFor(3000);
    CloseDataFile(1);

    // The file: whole records, one reading-end record (Z1) per stored reading.
    std::string bytes;
    HANDLE file = CreateFileW(dataPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char chunk[65536];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
            bytes.append(chunk, got);
        CloseHandle(file);
    }
    int32_t endRecords = 0;
    bool whole = !bytes.empty() && bytes.size() % 60 == 0;
    for (size_t at = 0; whole && at < bytes.size(); at += 60) {
        whole = bytes[at + 58] == '\r' && bytes[at + 59] == '\n';
        if (bytes.compare(at, 2, "Z1") == 0)
            ++endRecords;
    }
    const int64_t lost = (last.Delivered - first.Delivered) - (last.Processed - first.Processed);
    std::printf("data file %zu bytes, whole records %s, readings in it %d of %d stored\n", bytes.size(),
                whole ? "yes" : "NO", endRecords, stored);
    std::printf("over the run: buffers delivered %lld, processed %lld, lost %lld; GDI objects %+ld, handles "
                "%+ld, private memory %+.1f MB; message boxes %d\n",
                static_cast<long long>(last.Delivered - first.Delivered),
                static_cast<long long>(last.Processed - first.Processed), static_cast<long long>(lost),
                static_cast<long>(last.GdiObjects) - static_cast<long>(first.GdiObjects),
                static_cast<long>(last.Handles) - static_cast<long>(first.Handles),
                (static_cast<double>(last.PrivateBytes) - static_cast<double>(first.PrivateBytes)) / (1024.0 * 1024.0),
                BoxesShown);
    const bool ok = failed.empty() && whole && endRecords == stored && lost == 0;
    return ok ? 0 : 1;
}
