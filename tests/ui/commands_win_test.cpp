// The command handler on the real main window of this process: the keyboard highlight, keys
// refused while their command is not offered, the refusals of nulling and the internal test
// without Monitor, the live station and line steps, the hand cursor, a pending popup choice,
// Invert, the panel's painters without a GDI leak, the guard against a second data file, and
// Exit. The tests run in the order written on one window; the last one ends it.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/common/win_test_util.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "resources/acquisition_ids.h"
#include "resources/resource.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/display/splash_win.h"
#include "vlox/instruments/meter_win.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/ui/cycle_services_win.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/main_window_win.h"
#include "vlox/datafile/review_state.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"

namespace {

struct Box {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};
std::vector<Box> Boxes;
int BoxAnswer = IDOK;

int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    Boxes.push_back({owner, text, caption, type});
    return BoxAnswer;
}

std::vector<uint32_t> EndCodes;
void RecordEnd(uint32_t code)
{
    EndCodes.push_back(code);
}

LONG ButtonType(int32_t slot)
{
    return GetWindowLongW(hButtons[slot], GWL_STYLE) & BS_TYPEMASK;
}

void Key(UINT code)
{
    SendMessageW(hWndMain, WM_KEYDOWN, code, 0);
}

void Command(int id)
{
    SendMessageW(hWndMain, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class Commands : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CommandMessageBox = RecordBox;
        ConfigMessageBox = RecordBox;
        EndProgramProcess = RecordEnd;
        // A folder of its own inside the prefix: the configuration file starts from the
        // defaults (GPS and meter off), whatever other tests left in the build folder.
        CreateDirectoryW(L"C:\\vlox_commands_test", nullptr);
        SetCurrentDirectoryW(L"C:\\vlox_commands_test");
        DeleteFileW(L"VLOXTARNWEL.INI");
        if (RegisterWindowClasses(Instance()) == 0)
            window = CreateMainWindow(Instance(), nullptr, SW_SHOWNORMAL);
        Pump();
        if (window != nullptr)
            SendMessageW(hWndSplash, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        Pump();
    }
    void SetUp() override
    {
        ASSERT_NE(window, nullptr);
        Boxes.clear();
        BoxAnswer = IDOK;
    }

    static HWND window;
};

HWND Commands::window = nullptr;

}  // namespace

TEST_F(Commands, TabAndArrowsMoveTheDefaultButtonOverTheCycle)
{
    EXPECT_EQ(HighlightedButton, 0);
    for (int i = 0; i < 5; ++i)
        Key(VK_TAB);
    EXPECT_EQ(HighlightedButton, 5);
    EXPECT_EQ(ButtonType(5), BS_DEFPUSHBUTTON);
    Key(VK_DOWN);
    EXPECT_EQ(ButtonType(5), BS_PUSHBUTTON);
    EXPECT_EQ(ButtonType(6), BS_DEFPUSHBUTTON);
    for (int i = 0; i < 7; ++i)
        Key(VK_LEFT);
    EXPECT_EQ(HighlightedButton, 13);
    EXPECT_EQ(ButtonType(13), BS_DEFPUSHBUTTON);
    // Forward from "MEASURE" the cycle starts again at 0, never at STOP.
    Key(VK_RIGHT);
    EXPECT_EQ(HighlightedButton, 0);
    EXPECT_EQ(ButtonType(13), BS_PUSHBUTTON);
    EXPECT_EQ(ButtonType(14), BS_PUSHBUTTON);
}

TEST_F(Commands, KeysOfCommandsNotOfferedRunNothing)
{
    // No data file: "&Measure" grayed and "MEASURE" disabled.
    Key('O');
    Key('o');
    HighlightedButton = 13;
    Key(VK_RETURN);
    HighlightedButton = 0;
    EXPECT_EQ(MeasurementRunning, 0);
    EXPECT_EQ(MeasureState, 0);

    // Offered, and Monitor running into a data file, the same key measures; STOP then puts the
    // screen back.
    ShowButton(ButtonSlotOf(CmdPause), true);
    DataFileState = 1;
    EnableMenuItem(hMenuMain, IDM_MEASURE, MF_BYCOMMAND | MF_ENABLED);
    Key('O');
    EXPECT_EQ(MeasurementRunning, 1);
    EXPECT_EQ(MeasureState, 1);
    EXPECT_TRUE(ButtonShown(14));
    // While measuring the survey and system parameters are grayed: their keys do nothing.
    const double line = Settings.SurveyLine;
    Key('S');
    Key('F');
    EXPECT_TRUE(Boxes.empty());
    Command(434);
    EXPECT_EQ(MeasurementRunning, 0);
    EXPECT_EQ(MeasureState, 0);
    EXPECT_FALSE(ButtonShown(14));
    EXPECT_TRUE(ButtonShown(13));
    EXPECT_DOUBLE_EQ(Settings.SurveyLine, line);
    ShowButton(ButtonSlotOf(CmdPause), false);
    DataFileState = 0;
}

TEST_F(Commands, NullingAndInternalTestRefuseWithoutMonitor)
{
    ASSERT_FALSE(MonitorRunning());
    for (int id : {IDM_FULL_NULLING, IDM_SELECTIVE_NULLING, IDM_USER_GATES_NULLING}) {
        Boxes.clear();
        Command(id);
        ASSERT_EQ(Boxes.size(), 1u) << id;
        EXPECT_EQ(Boxes[0].text, L"Please start Monitor mode and then activate Nulling");
        EXPECT_EQ(Boxes[0].caption, L"Nulling Procedure");
        EXPECT_EQ(Boxes[0].owner, hWndMain);
        EXPECT_EQ(Boxes[0].type, static_cast<UINT>(MB_OK));
    }
    EXPECT_EQ(MeasureState, 0);

    ShowButton(42, true);
    for (int id : {IDM_TEST_DC, IDM_TEST_01MS, 465}) {
        Boxes.clear();
        Command(id);
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_EQ(Boxes[0].text, L"Please start Monitor mode and then activate Internal Test mode");
        EXPECT_EQ(Boxes[0].caption, L"Internal Test Procedure");
    }
    EXPECT_EQ(InternalTestMode, 0);
    // The buttons the test hid are back.
    EXPECT_TRUE(ButtonShown(43));
    EXPECT_TRUE(ButtonShown(42));
    ShowButton(42, false);

    // Exit Test without a test only restores the buttons and offers Create Data File.
    EnableMenuItem(hMenuMain, IDM_CREATE_DATA_FILE, MF_BYCOMMAND | MF_GRAYED);
    Command(IDM_EXIT_TEST);
    EXPECT_EQ(GetMenuState(hMenuMain, IDM_CREATE_DATA_FILE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(InternalTestMode, 0);
}

TEST_F(Commands, StationAndLineStepsMoveTheLiveValues)
{
    Settings.StationIncrement = 5.0;
    Settings.LineIncrement = 20.0;
    Settings.LineSequence = 0;
    Settings.LineDirection = 0;
    Settings.SurveyLine = 100.0;
    CurrentStation = 0.0;
    ReadingCounter = 2;
    Command(443);
    EXPECT_DOUBLE_EQ(CurrentStation, 5.0);
    EXPECT_EQ(ReadingCounter, 0);
    Command(IDM_NEXT_STATION);
    Command(441);
    EXPECT_DOUBLE_EQ(CurrentStation, 5.0);

    Command(444);
    EXPECT_DOUBLE_EQ(Settings.SurveyLine, 120.0);
    EXPECT_EQ(Settings.LineDirection, 1);
    EXPECT_DOUBLE_EQ(Settings.StationIncrement, -5.0);
    Command(IDM_NEXT_LINE);
    EXPECT_DOUBLE_EQ(Settings.SurveyLine, 140.0);
    EXPECT_EQ(Settings.LineDirection, 0);
    EXPECT_DOUBLE_EQ(Settings.StationIncrement, 5.0);
    Command(442);
    EXPECT_DOUBLE_EQ(Settings.SurveyLine, 120.0);
    EXPECT_DOUBLE_EQ(CurrentStation, 5.0);

    // Repeat Last Station brings back the counter of the last store.
    PreviousReadingCounter = 3;
    Settings.StationIncrement = 5.0;
    ShowButton(42, true);
    Command(462);
    EXPECT_DOUBLE_EQ(CurrentStation, 0.0);
    EXPECT_EQ(ReadingCounter, 3);
    EXPECT_FALSE(ButtonShown(42));
    ReadingCounter = 0;
}

TEST_F(Commands, HandCursorOnlyOverTheParameterPanel)
{
    const FieldRect& p = StatusPanelGeometry.SummaryPanelRect;
    SendMessageW(hWndMain, WM_MOUSEMOVE, 0, MAKELPARAM(p.left, p.top + 1));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    SendMessageW(hWndMain, WM_MOUSEMOVE, 0, MAKELPARAM(p.left, p.top));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(hWndMain, WM_MOUSEMOVE, MK_SHIFT | MK_CONTROL, MAKELPARAM(p.right, p.bottom - 1));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(HighlightedButton, 0);
    SendMessageW(hWndMain, WM_MOUSEMOVE, 0, MAKELPARAM(p.right + 1, p.bottom - 1));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(Commands, AButtonWhileAPopupChoiceIsPendingRunsItsCommand)
{
    PopupChoicePending = 1;
    CurrentStation = 0.0;
    Settings.StationIncrement = 5.0;
    Command(443);
    EXPECT_EQ(PopupChoicePending, 0);
    EXPECT_DOUBLE_EQ(CurrentStation, 5.0);
    // A click on a panel row whose popup is refused leaves nothing pending.
    const FieldRect& p = StatusPanelGeometry.PanelItemRectsLive[0];
    Settings.TwoFrequencyMode = 1;
    SendMessageW(hWndMain, WM_LBUTTONUP, 0, MAKELPARAM(StatusPanelGeometry.LabelX + 2, p.top + 1));
    Settings.TwoFrequencyMode = 0;
    EXPECT_EQ(PopupChoicePending, 0);
    ASSERT_FALSE(Boxes.empty());
    EXPECT_EQ(Boxes.back().caption, L"Two Frequencies Measurements");
}

TEST_F(Commands, InvertTogglesThePolarity)
{
    Command(463);
    EXPECT_EQ(InvertOn, 1);
    EXPECT_DOUBLE_EQ(PolaritySign, -1.0);
    Command(IDM_INVERT);
    EXPECT_EQ(InvertOn, 0);
    EXPECT_DOUBLE_EQ(PolaritySign, 1.0);
}

// Every paint and field painter gives back what it takes: the count of live GDI objects
// after fifty rounds is the count after the first.
TEST_F(Commands, PanelPaintsLeakNoGdiObjects)
{
    auto round = [] {
        RedrawWindow(hWndMain, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        DrawFileStateField(hWndMain);
        DrawLineNumberField(hWndMain);
        DrawLineDirectionField(hWndMain);
        DrawStationField(hWndMain);
        DrawViewModeField(hWndMain);
        DrawRecordNumberField(hWndMain);
        DrawMapSizeField(hWndMain);
        DrawParameterPanel();
        SetBusyIndicator(1);
        SetBusyIndicator(0);
        NullingEstimateSeconds = 75.0;
        DrawNullingProgress(0, 0);
        DrawNullingProgressBar(2, 0.5);
        DrawNullingProgress(0, 1);
    };
    round();
    Pump();
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 50; ++i)
        round();
    Pump();
    EXPECT_EQ(CountGdiObjects(), before);
}

std::vector<std::wstring> BoardBoxes;
int WINAPI RecordBoardBox(HWND, LPCWSTR text, LPCWSTR caption, UINT)
{
    BoardBoxes.push_back(std::wstring(caption) + L": " + text);
    return IDOK;
}

// Full nulling nulls every rate: after a selective run of one rate, the flags name all seven
// again, so that the configuration's flag lines and the NLG file take every rate. Cancel in
// the "NULLING" box changes nothing. The run's end puts the settings back and saves them.
// Placed after the GDI count: the board restart at the run's end adds one object a moment
// later, which that count would take for a leak.
TEST_F(Commands, FullNullingMarksEveryRateAndItsEndSavesTheFlags)
{
    ShowButton(12, true);  // Monitor counts as running while "Pause" is shown
    ASSERT_TRUE(MonitorRunning());
    const SettingsValues before = Settings;
    const int32_t gateCount = GateCount;
    for (int32_t r = 0; r < RepRateCount; ++r)
        NullRateSelected[r] = r == 0 ? 1 : 0;

    BoxAnswer = IDCANCEL;
    Command(IDM_FULL_NULLING);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].caption, L"NULLING");
    EXPECT_EQ(MeasureState, 0);
    EXPECT_EQ(NullRateSelected[1], 0);

    Boxes.clear();
    BoxAnswer = IDOK;
    Command(IDM_FULL_NULLING);
    for (int32_t r = 0; r < RepRateCount; ++r)
        EXPECT_EQ(NullRateSelected[r], 1) << r;
    // No board is open here (only its buttons stand for Monitor): the first step's restart
    // leaves none open, so the run is abandoned at once with the user's settings back.
    EXPECT_EQ(NullingSlot, 6);
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    EXPECT_EQ(Settings.RepRateIndex, before.RepRateIndex);
    EXPECT_EQ(GateCount, gateCount);

    // The end code: the board is restarted at the end (none here: its box is recorded).
    const BoardMessageBoxFunction boardBox = BoardMessageBox;
    BoardMessageBox = RecordBoardBox;
    Boxes.clear();
    MeasureState = MeasureStateNulling;
    NullingStepIndex = NullingEndCode;
    StandardGatesNullingStep();
    BoardMessageBox = boardBox;
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, L"Selective Nulling Completed");
    EXPECT_EQ(Boxes[0].caption, L"Nulling");
    EXPECT_EQ(Boxes[0].owner, hWndMain);
    EXPECT_EQ(MeasureState, 0);
    EXPECT_EQ(Settings.RepRateIndex, before.RepRateIndex);
    EXPECT_EQ(Settings.GateSet, before.GateSet);
    EXPECT_EQ(Settings.GainZ, before.GainZ);
    EXPECT_EQ(GateCount, gateCount);

    HANDLE f = CreateFileW(L"VLOXTARNWEL.INI", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    std::string text(2000000, '\0');
    DWORD got = 0;
    ReadFile(f, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(f);
    text.resize(got);
    size_t flagLines = 0;
    for (size_t at = text.find(" 1 1 1 1 1 1 1\r\n"); at != std::string::npos;
         at = text.find(" 1 1 1 1 1 1 1\r\n", at + 1))
        ++flagLines;
    EXPECT_EQ(flagLines, 2u) << "both mains settings mark every rate";
    ShowButton(12, false);
    Pump();
}

// Runs the command while a thread answers the dialog of this caption that it opens: fill (sent
// from there: the dialog's modal loop handles it), then OK; a second such dialog is cancelled.
void CommandAnswered(int id, const wchar_t* caption, void (*fill)(HWND) = nullptr)
{
    std::atomic<bool> done{false};
    std::thread answer([&] {
        for (int answers = 0; !done; Sleep(20)) {
            HWND d = FindWindowW(L"#32770", caption);
            if (d == nullptr || !IsWindowVisible(d))
                continue;
            if (answers == 0 && fill != nullptr)
                fill(d);
            const int button = answers++ == 0 ? IDOK : IDCANCEL;
            PostMessageW(d, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(d, button)));
            while (!done && IsWindow(d))
                Sleep(20);
        }
    });
    Command(id);
    done = true;
    answer.join();
}

BOOL CALLBACK NameTheNewFile(HWND child, LPARAM)
{
    wchar_t cls[8] = {};
    GetClassNameW(child, cls, 8);
    if (lstrcmpiW(cls, L"Edit") != 0 || !IsWindowVisible(child))
        return TRUE;
    SendMessageW(child, WM_SETTEXT, 0, LPARAM(L"C:\\Vlox_Data\\STRIPNEW.VLX"));
    return FALSE;
}

// Pins the mend: roads that restart the live profile strip left the gates' previous points
// (a change of survey mode reset nothing), so the new strip's first column was joined to the
// old strip's points across the pane. After each road the next column draws first points only.
TEST_F(Commands, EveryRoadThatRestartsTheLiveStripForgetsItsPoints)
{
    std::fill(std::begin(DisplayValues), std::end(DisplayValues), 5.0);
    DataFileMessageBox = RecordBox;
    CreateDirectoryW(L"C:\\Vlox_Data", nullptr);
    Settings.SurveyMode = 0;
    const std::pair<const char*, void (*)()> roads[] = {
        {"a new file",
         [] {
             CommandAnswered(IDM_CREATE_DATA_FILE, L"Create Data File",
                             [](HWND d) { EnumChildWindows(d, NameTheNewFile, 0); });
             EXPECT_NE(DataFile, INVALID_HANDLE_VALUE);
             Command(IDM_CLOSE_DATA_FILE);
         }},
        {"the survey mode",
         [] {
             CommandAnswered(IDM_SYSTEM_PARAMETERS, L"System Parameters",
                             [](HWND d) { SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_SYS_AUTO, BN_CLICKED), 0); });
             EXPECT_EQ(Settings.SurveyMode, 1);
         }},
        {"Next Line", [] { Command(IDM_NEXT_LINE); }},
        {"Survey Parameters", [] { CommandAnswered(IDM_SURVEY_PARAMETERS, L"Survey Parameters"); }},
        {"Scale", [] { CommandAnswered(IDM_SCALE, L"Plot Scale Setup"); }},
        {"Top of Scale Up", [] { Command(IDM_TOP_OF_SCALE_UP); }},
        {"Top of Scale Down", [] { Command(IDM_TOP_OF_SCALE_DOWN); }},
        {"Bottom of Scale Down", [] { Command(IDM_BOTTOM_OF_SCALE_DOWN); }},
        {"Bottom of Scale Up", [] { Command(IDM_BOTTOM_OF_SCALE_UP); }},
        {"Profile View", [] { Settings.GraphView = 0, Command(IDM_PROFILE_VIEW); }},
        {"leaving review",
         [] {
             // The review of the current file, which holds no line, ends at once.
             ASSERT_EQ(CreateDataFileAt(L"C:\\Vlox_Data\\STRIPREV.VLX"), 1);
             BoxAnswer = IDYES;
             Command(IDM_START_REVIEW);
             BoxAnswer = IDOK;
             EXPECT_EQ(Boxes.size(), 2u);
             Boxes.clear();
             Command(IDM_CLOSE_DATA_FILE);
         }},
    };
    for (const auto& [road, run] : roads) {
        ScrollProfile();
        ScrollProfile();
        ASSERT_TRUE(ProfileStrip().HasPoint(0)) << road;
        Settings.GraphView = 1;
        run();
        int points = 0;
        for (int32_t gate = 0; gate < MaxGateCount; ++gate)
            points += ProfileStrip().HasPoint(gate) ? 1 : 0;
        EXPECT_EQ(points, 0) << road;
        EXPECT_EQ(ProfileDrawn, 0) << road;
    }
    Settings.SurveyMode = Settings.GraphView = 0;
    DataFileMessageBox = MessageBoxW;
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Commands, CreateDataFileNeverOpensASecondFile)
{
    CreateDirectoryW(L"C:\\Vlox_Data", nullptr);
    const std::wstring path = L"C:\\Vlox_Data\\CMDTEST1.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    ASSERT_NE(DataFile, INVALID_HANDLE_VALUE);
    const HANDLE open = DataFile;

    // A save dialog that came up would be the fault: a watcher cancels it and counts it.
    std::atomic<bool> stop{false};
    std::atomic<int> dialogs{0};
    const DWORD process = GetCurrentProcessId();
    std::thread watcher([&] {
        while (!stop) {
            HWND d = FindWindowW(L"#32770", nullptr);
            DWORD owner = 0;
            if (d != nullptr && GetWindowThreadProcessId(d, &owner) && owner == process) {
                ++dialogs;
                PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
            }
            Sleep(50);
        }
    });
    Command(429);
    Key('P');
    stop = true;
    watcher.join();
    EXPECT_EQ(dialogs.load(), 0);
    EXPECT_EQ(DataFile, open);
}

TEST_F(Commands, BoxesWithoutAnOwnerHoldTheWholeProgram)
{
    ShowCommandMessage(nullptr, "text", "caption", MB_OK);
    ShowCommandMessage(hWndMain, "text", "caption", MB_OK);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].type & MB_TASKMODAL, static_cast<UINT>(MB_TASKMODAL));
    EXPECT_EQ(Boxes[1].type & MB_TASKMODAL, 0u);
}

TEST_F(Commands, AChildProgramMissingIsReportedAndTheWindowComesBack)
{
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    Command(IDM_EXPORT_USF);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, L"ConvertVLXtoUSF.exe not found");
    EXPECT_EQ(Boxes[0].caption, L"USF Format");
    EXPECT_EQ(Boxes[0].owner, hWndMain);
    EXPECT_TRUE(IsWindowEnabled(hWndMain));
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_EQ(std::wstring(after), std::wstring(before));
}

// The wait is on the child's process: it returns when the child has ended, with the window
// enabled again and the folder put back.
TEST_F(Commands, AChildProgramIsWaitedForUntilItEnds)
{
    ASSERT_TRUE(CopyFileW(L"C:\\windows\\system32\\hostname.exe", L"C:\\vlox_commands_test\\IXV-LOX.exe", FALSE));
    wcscpy(StartDirectory, L"C:\\vlox_commands_test");
    SetCurrentDirectoryW(L"C:\\");
    Command(IDM_INVERSION_ANALYSIS);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_TRUE(IsWindowEnabled(hWndMain));
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_EQ(std::wstring(after), L"C:\\");
    SetCurrentDirectoryW(L"C:\\vlox_commands_test");
}

INT_PTR DisableTheMeter(HWND)
{
    Settings.MeterInput = 0;
    return 1;
}

// Pins the mend: with meter model 1 Monitor opens the meter's port without a reader thread.
// When the set-up then disables the meter, its port is closed all the same and no longer
// held (an opened file stands for the port).
TEST_F(Commands, DisablingTheMeterClosesItsPortEvenWithoutAReader)
{
    const wchar_t* path = L"C:\\vlox_commands_test\\meter_port";
    HANDLE port = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    ASSERT_EQ(MeterThread, INVALID_HANDLE_VALUE);
    Settings.MeterInput = 1;
    Settings.MeterModel = 1;
    MeterPort = port;
    const MeterSetupDialogFunction dialog = MeterSetupDialogBox;
    MeterSetupDialogBox = DisableTheMeter;
    Command(IDM_METER_SETUP);
    MeterSetupDialogBox = dialog;
    EXPECT_EQ(MeterPort.load(), INVALID_HANDLE_VALUE);
    HANDLE again = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "the port is still held";
    if (again != INVALID_HANDLE_VALUE)
        CloseHandle(again);
    if (MeterPort.load() == port) {
        CloseHandle(port);
        MeterPort = INVALID_HANDLE_VALUE;
    }
    Settings.MeterModel = 0;
}

TEST_F(Commands, ExitClosesAndDeletesTheStationIndexAndEndsWithCode0)
{
    ASSERT_NE(StationIndexFile, INVALID_HANDLE_VALUE);
    const std::wstring index = StationIndexFileName;
    ASSERT_FALSE(index.empty());
    ASSERT_TRUE(FileExists(index));
    EndCodes.clear();
    const DWORD start = GetTickCount();
    Command(428);
    EXPECT_GE(GetTickCount() - start, 2000u);
    ASSERT_EQ(EndCodes.size(), 1u);
    EXPECT_EQ(EndCodes[0], 0u);
    EXPECT_EQ(StationIndexFile, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FileExists(index));
    EXPECT_TRUE(FileExists(L"C:\\Vlox_Data\\CMDTEST1.VLX"));
    EXPECT_EQ(SplashState, 3);
    EXPECT_TRUE(Boxes.empty());
    DestroyWindow(hWndMain);
}
