// The main window created in this process as the program creates it: classes, placement,
// children, start state of buttons and menu, the splash, and the end of the message loop.
// The tests run in order on one window; the last one closes it.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/common/win_test_util.h"

#include <set>
#include <string>

#include "resources/resource.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/display/splash_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/ui/main_window_win.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/instruments/meter_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/main_layout.h"

namespace {

std::wstring ClassOf(HWND w)
{
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

bool Visible(HWND w)
{
    return (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT ClientRectOf(HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, hWndMain, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The GPS port of the test's prefix does not exist: its message is noted, not shown.
int SerialPortMessages = 0;
int WINAPI NoteSerialPortMessage(HWND, LPCWSTR, LPCWSTR, UINT)
{
    ++SerialPortMessages;
    return IDOK;
}

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        SerialPortMessageBox = NoteSerialPortMessage;
        // A configuration with GPS input on: it must stay off until the splash closes, and
        // the GPS map chosen with it.
        Settings.GpsInput = 1;
        Settings.GpsMapType = 1;
        registration = RegisterWindowClasses(Instance());
        if (registration == 0)
            window = CreateMainWindow(Instance(), nullptr, SW_SHOWNORMAL);
        Pump();
    }

    static int registration;
    static HWND window;
};

int MainWindow::registration = -1;
HWND MainWindow::window = nullptr;

}  // namespace

TEST_F(MainWindow, ClassesRegisteredOnceAndAgainGivesExitCode2)
{
    ASSERT_EQ(registration, 0);
    struct Case {
        const wchar_t* name;
        UINT style;
        int extra;
    };
    const Case cases[] = {
        {L"VLOX", CS_HREDRAW | CS_VREDRAW, 0},
        {L"MapWnd", CS_HREDRAW | CS_VREDRAW, 4},
        {L"MonitorGPSWnd", 0, 0},
        {L"CurveWnd", CS_HREDRAW | CS_VREDRAW, 4},
        {L"NumbersWnd", CS_HREDRAW | CS_VREDRAW, 4},
        {L"BarWnd", CS_HREDRAW | CS_VREDRAW, 4},
        {L"SplashWnd", CS_HREDRAW | CS_VREDRAW, 4},
    };
    for (const Case& c : cases) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        ASSERT_TRUE(GetClassInfoExW(Instance(), c.name, &wc)) << c.name;
        EXPECT_EQ(wc.style, c.style) << c.name;
        EXPECT_EQ(wc.cbWndExtra, c.extra) << c.name;
        EXPECT_NE(wc.hbrBackground, nullptr) << c.name;
        EXPECT_EQ(wc.lpszMenuName, nullptr) << c.name;
    }
    WNDCLASSEXW main{};
    main.cbSize = sizeof(main);
    GetClassInfoExW(Instance(), L"VLOX", &main);
    EXPECT_NE(main.hIcon, nullptr);

    // The classes exist now, so a second registration fails at MapWnd: exit code 2, before
    // any window is made.
    EXPECT_EQ(RegisterWindowClasses(Instance()), 2);
    EXPECT_EQ(RunVlox(Instance(), SW_SHOWNORMAL), 2);
}

TEST_F(MainWindow, PlacedTitledAndStyled)
{
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(hWndMain, window);
    EXPECT_EQ(hWndMainCopy, window);
    wchar_t title[80] = {};
    GetWindowTextW(window, title, 80);
    EXPECT_STREQ(title, L"Tarnwel V-LOX   Version 1.42");

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(GetMenu(window), hMenuMain);

    const MainWindowPlacement p =
        ComputeMainWindowPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, p.x);
    EXPECT_EQ(r.top, p.y);
    EXPECT_EQ(r.right - r.left, p.width);
    EXPECT_EQ(r.bottom - r.top, p.height);

    // From creation on, the work area is the client area.
    RECT c{};
    GetClientRect(window, &c);
    EXPECT_EQ(WorkAreaWidth, c.right);
    EXPECT_EQ(WorkAreaHeight, c.bottom);
    EXPECT_GT(TextLineHeight, 2);
}

TEST_F(MainWindow, MessageTableOrder)
{
    // The GPS reader's two messages and the meter reader's close the table.
    const UINT expected[13] = {WM_CREATE,    WM_SIZE,      WM_DESTROY,   WM_COMMAND,   WM_DEADCHAR,
                               WM_MOUSEMOVE, WM_KEYDOWN,   WM_RBUTTONUP, WM_LBUTTONUP, WM_PAINT,
                               WM_USER + 11, WM_USER + 12, WM_USER + 13};
    ASSERT_EQ(MainMessageTableCount, 13u);
    for (size_t i = 0; i < 13; ++i)
        EXPECT_EQ(MainMessageTable[i].message, expected[i]) << i;
    EXPECT_EQ(MainMessageTable[12].handler, &OnMeterReading);
    for (size_t i = 3; i <= 8; ++i)
        EXPECT_EQ(MainMessageTable[i].handler, &OnCommand) << i;
}

TEST_F(MainWindow, ChildWindowsWithTheirIdsAndClasses)
{
    ASSERT_NE(window, nullptr);
    struct Case {
        int id;
        HWND handle;
        const wchar_t* className;
    };
    const Case cases[] = {
        {IDC_CURVE_WND, hWndCurve, L"CurveWnd"},
        {IDC_MAP_WND, hWndMap, L"MapWnd"},
        {IDC_NUMBERS_WND, hWndNumbers, L"NumbersWnd"},
        {IDC_MONITOR_GPS_WND, hWndMonitorGps, L"MonitorGPSWnd"},
        {IDC_BAR_WND, hWndBar, L"BarWnd"},
        {IDC_SPLASH_WND, hWndSplash, L"SplashWnd"},
        {IDC_COMBO_REVIEW_VIEW, hComboReviewView, L"ComboBox"},
        {IDC_COMBO_LINE, hComboLine, L"ComboBox"},
        {IDC_COMBO_STATION, hComboStation, L"ComboBox"},
        {IDC_COMBO_RECORD, hComboRecord, L"ComboBox"},
        {IDC_COMBO_PROCESSING, hComboProcessing, L"ComboBox"},
        {IDC_COMBO_REPETITION, hComboRepetition, L"ComboBox"},
        {IDC_LIST_RECORDS, hListRecords, L"ListBox"},
    };
    for (const Case& c : cases) {
        HWND w = GetDlgItem(window, c.id);
        ASSERT_NE(w, nullptr) << c.id;
        EXPECT_EQ(w, c.handle) << c.id;
        EXPECT_EQ(_wcsicmp(ClassOf(w).c_str(), c.className), 0) << c.id;
        EXPECT_EQ(GetParent(w), window) << c.id;
    }
    wchar_t title[32] = {};
    GetWindowTextW(hWndMonitorGps, title, 32);
    EXPECT_STREQ(title, L"Monitor GPS");

    for (int id = 420; id < 470; ++id) {
        HWND w = GetDlgItem(window, id);
        const bool exists = !(id <= 423 || id == 464);
        EXPECT_EQ(w != nullptr, exists) << id;
        EXPECT_EQ(hButtons[id - 420], w) << id;
        if (w != nullptr) {
            EXPECT_EQ(_wcsicmp(ClassOf(w).c_str(), L"Button"), 0) << id;
        }
    }
    wchar_t caption[40] = {};
    GetWindowTextW(GetDlgItem(window, 433), caption, 40);
    EXPECT_STREQ(caption, L"MEASURE");
    GetWindowTextW(GetDlgItem(window, 469), caption, 40);
    EXPECT_STREQ(caption, L"E&xit Test Mode");

    EXPECT_EQ(BoardNotifyWindow, hWndCurve);
    EXPECT_EQ(GpsMessageWindow, window);
    EXPECT_NE(DrawingObjects.PanelBrush, nullptr);
    EXPECT_NE(DrawingObjects.GridPen12, nullptr);
    EXPECT_NE(hFontNormal, nullptr);
    EXPECT_NE(hFontBold, nullptr);
    EXPECT_NE(StartDirectory[0], 0);
    const DWORD dataFolder = GetFileAttributesW(L"C:\\Vlox_Data\\");
    EXPECT_NE(dataFolder, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(dataFolder & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(MainWindow, StartSetOfShownAndEnabledControls)
{
    ASSERT_NE(window, nullptr);
    const std::set<int> shown = {429, 431, 433, 443, 444, 449, 453, 454, 455, 456, 458, 459, 460, 461, 463};
    // Enabled are the buttons whose commands may act at the start: MEASURE and Comment wait for
    // Monitor and a data file, the hidden ones of a reading and of review for theirs.
    const std::set<int> disabled = {430, 432, 433, 434, 435, 436, 445, 446, 447, 448, 449, 450, 451, 452};
    for (int id = 424; id < 470; ++id) {
        HWND w = GetDlgItem(window, id);
        if (w == nullptr)
            continue;
        EXPECT_EQ(Visible(w), shown.count(id) == 1) << id;
        EXPECT_EQ(IsWindowEnabled(w) != FALSE, disabled.count(id) == 0) << id;
    }
    EXPECT_TRUE(Visible(hWndCurve));
    EXPECT_TRUE(Visible(hWndNumbers));
    EXPECT_TRUE(Visible(hWndMap));
    EXPECT_FALSE(Visible(hWndBar));
    EXPECT_FALSE(Visible(hWndMonitorGps));
    EXPECT_FALSE(Visible(hListRecords));
    for (HWND combo : {hComboReviewView, hComboLine, hComboStation, hComboRecord, hComboProcessing, hComboRepetition})
        EXPECT_FALSE(Visible(combo));

    // The splash covers the work area and holds the mouse.
    EXPECT_TRUE(Visible(hWndSplash));
    EXPECT_EQ(SplashState, 0);
    EXPECT_EQ(GetCapture(), hWndSplash);
    RECT s = ClientRectOf(hWndSplash);
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.top, 0);
    EXPECT_EQ(s.right, WorkAreaWidth);
    EXPECT_EQ(s.bottom, WorkAreaHeight);
}

TEST_F(MainWindow, ControlsWhereTheLayoutPutsThem)
{
    ASSERT_NE(window, nullptr);
    for (int slot = 0; slot < ButtonSlots; ++slot) {
        if (hButtons[slot] == nullptr)
            continue;
        const PaneBox& b = MainScreenLayout.Buttons[slot].box;
        RECT r = ClientRectOf(hButtons[slot]);
        EXPECT_EQ(r.left, b.x) << slot + 420;
        EXPECT_EQ(r.top, b.y) << slot + 420;
        EXPECT_EQ(r.right - r.left, b.width) << slot + 420;
        EXPECT_EQ(r.bottom - r.top, b.height) << slot + 420;
    }
    RECT measure = ClientRectOf(hButtons[433 - 420]);
    RECT stop = ClientRectOf(hButtons[434 - 420]);
    EXPECT_TRUE(EqualRect(&measure, &stop));
    EXPECT_EQ(measure.left, WorkAreaWidth - 136 - 6 - 120);
    RECT create = ClientRectOf(hButtons[429 - 420]);
    EXPECT_EQ(create.left, WorkAreaWidth - 136);

    RECT curve = ClientRectOf(hWndCurve);
    EXPECT_EQ(curve.left, 190);
    EXPECT_EQ(curve.top, 9);
    RECT numbers = ClientRectOf(hWndNumbers);
    EXPECT_EQ(numbers.right - numbers.left, ComponentCount * 60 + 20);
    EXPECT_EQ(numbers.right, WorkAreaWidth - 20);
    RECT map = ClientRectOf(hWndMap);
    EXPECT_EQ(map.left, 16);
    EXPECT_EQ(map.right - map.left, 168);
    EXPECT_EQ(map.bottom - map.top, 168);

    // The review combo boxes sit in the status panel's value column.
    RECT line = ClientRectOf(hComboLine);
    EXPECT_EQ(line.left, StatusPanelGeometry.ValueX);
    EXPECT_EQ(line.top, StatusPanelGeometry.LineRowY - 5);
}

// Pins the mends: every caption shows whole in the font its button draws it with ("Down"
// and "Right" lost their ends in the system font), and no review combo box, closed, reaches
// into the next one's row (the system font made them 24 pixels high on 21-pixel rows).
TEST_F(MainWindow, CaptionsShowWholeAndTheReviewCombosFitTheirRows)
{
    ASSERT_NE(window, nullptr);
    for (int slot = 0; slot < ButtonSlots; ++slot) {
        HWND b = hButtons[slot];
        if (b == nullptr)
            continue;
        const std::wstring caption = NarrowToWide(ShownCaption(ButtonCaption(slot)));
        HDC dc = GetDC(b);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(b, WM_GETFONT, 0, 0));
        HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
        SIZE size{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        if (old != nullptr)
            SelectObject(dc, old);
        ReleaseDC(b, dc);
        RECT r{};
        GetWindowRect(b, &r);
        EXPECT_TRUE(CaptionFits(size.cx, r.right - r.left))
            << ButtonCaption(slot) << ": " << size.cx << " in " << r.right - r.left;
    }
    const HWND combos[] = {hComboReviewView, hComboLine,       hComboStation,
                           hComboRecord,     hComboProcessing, hComboRepetition};
    for (size_t i = 0; i + 1 < sizeof combos / sizeof combos[0]; ++i) {
        const RECT r = ClientRectOf(combos[i]), next = ClientRectOf(combos[i + 1]);
        EXPECT_LE(r.bottom, next.top) << "combo " << i;
    }
}

TEST_F(MainWindow, MenuInTheStartState)
{
    ASSERT_NE(hMenuMain, nullptr);
    auto grayed = [](UINT id) { return (GetMenuState(hMenuMain, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    // No data file to close and no Monitor to pause either.
    const std::set<UINT> expectGrayed = {40002, 40003, 40004, 40014, 40015, 40016, 40017, 40018, 40024,
                                         40026, 40027, 40031, 40032, 40033, 40034, 40035, 40036, 40086};
    for (UINT id : expectGrayed)
        EXPECT_TRUE(grayed(id)) << id;
    // Nulling by the gate set of the settings.
    const bool standard = Settings.GateSet < 2;
    EXPECT_EQ(grayed(40058), !standard);
    EXPECT_EQ(grayed(40059), !standard);
    EXPECT_EQ(grayed(40060), standard);
    for (UINT id : {40001u, 40005u, 40006u, 40007u, 40013u, 40030u, 40069u, 40079u, 40083u, 40088u})
        EXPECT_FALSE(grayed(id)) << id;
    EXPECT_EQ(GetMenuState(hMenuMain, 40082, MF_BYCOMMAND), static_cast<UINT>(-1));

    const bool decay = Settings.GraphView == 0;
    EXPECT_EQ((GetMenuState(hMenuMain, 40067, MF_BYCOMMAND) & MF_CHECKED) != 0, decay);
    EXPECT_EQ((GetMenuState(hMenuMain, 40068, MF_BYCOMMAND) & MF_CHECKED) != 0, !decay);
}

TEST_F(MainWindow, SplashClosesOnAClickAndPutsGpsInputBack)
{
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Settings.GpsInput, 0);
    EXPECT_EQ(SavedGpsSetting, 1);
    EXPECT_EQ(MapLayoutMode, 2) << "the station map while GPS input is off";

    SendMessageW(hWndSplash, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_FALSE(Visible(hWndSplash));
    EXPECT_EQ(SplashState, -1);
    EXPECT_EQ(Settings.GpsInput, 1);
    EXPECT_EQ(MapLayoutMode, 1) << "the GPS map chosen is back with GPS input";
    EXPECT_NE(GetCapture(), hWndSplash);
    // The timer went with it: there is none left to kill.
    EXPECT_FALSE(KillTimer(hWndSplash, 1));

    // Later clicks and ticks change nothing.
    Settings.GpsInput = 0;
    SendMessageW(hWndSplash, WM_TIMER, 1, 0);
    SendMessageW(hWndSplash, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(Settings.GpsInput, 0);
    EXPECT_EQ(SplashState, -1);
    Settings.GpsInput = 1;
    Pump();
}

TEST_F(MainWindow, CloseEndsTheLoopWithExitCode0)
{
    ASSERT_NE(window, nullptr);
    GpsPort = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // any handle will do
    // A meter reader running on a handle that never gives a byte: the close must end it.
    MeterPort = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_EQ(StartMeterReader(), 1);
    HANDLE meterThread = nullptr;
    ASSERT_TRUE(
        DuplicateHandle(GetCurrentProcess(), MeterThread, GetCurrentProcess(), &meterThread, SYNCHRONIZE, FALSE, 0));
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    const DWORD start = GetTickCount();
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_GE(GetTickCount() - start, 1000u);  // the destroy handler's one-second wait
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GpsPort, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GpsThread, INVALID_HANDLE_VALUE);
    EXPECT_EQ(MeterPort.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(MeterThread, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WaitForSingleObject(meterThread, 0), WAIT_OBJECT_0);
    CloseHandle(meterThread);
}

TEST_F(MainWindow, MissingChildWindowFailsTheCreationCleanly)
{
    // Without the curve window's class the creation handler destroys the main window, and
    // CreateMainWindow reports no window (the program then ends with exit code 16).
    ASSERT_TRUE(UnregisterClassW(L"CurveWnd", Instance()));
    EXPECT_EQ(CreateMainWindow(Instance(), nullptr, SW_SHOWNORMAL), nullptr);
    EXPECT_EQ(FindWindowW(L"VLOX", nullptr), nullptr);
    EXPECT_EQ(ExitMainWindowNotCreated, 16);
}
