// V-LOX from outside: a first start in an empty folder on the 1280 by 1024 test screen, the
// main window, the start set of buttons and menu states once the splash has gone, and the
// end by WM_CLOSE. One program run serves the whole suite (the splash alone takes 5 s); the
// tests run in the order written and the last ones close the program.
#include "tests/e2e/harness/e2e_harness_win.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxrun";
const wchar_t MainClass[] = L"VLOX";
const wchar_t MainTitle[] = L"Tarnwel V-LOX   Version 1.42";

// The review controls of the main window.
const int ReviewComboIds[] = {IDC_COMBO_REVIEW_VIEW, IDC_COMBO_LINE,       IDC_COMBO_STATION,
                              IDC_COMBO_RECORD,      IDC_COMBO_PROCESSING, IDC_COMBO_REPETITION};

struct ButtonCaption {
    int id;
    const wchar_t* caption;
};

// Every command button and its caption; the ids 420-423 and 464 are never created.
const ButtonCaption Captions[] = {
    {IDC_TEST, L"Test"},
    {IDC_START_REVIEW, L"Review"},
    {IDC_ANALYSIS, L"Analysis"},
    {IDC_TRANSFER, L"Transfer"},
    {IDC_EXIT, L"E&xit"},
    {IDC_CREATE_DATA_FILE, L"Create File"},
    {IDC_CLOSE_DATA_FILE, L"Close File"},
    {IDC_MONITOR, L"Monitor"},
    {IDC_PAUSE, L"Pause"},
    {IDC_MEASURE, L"MEASURE"},
    {IDC_STOP, L"STOP"},
    {IDC_STORE_READING, L"STORE"},
    {IDC_CANCEL_READING, L"Cancel"},
    {IDC_TOP_OF_SCALE_DOWN, L"Down"},
    {IDC_BOTTOM_OF_SCALE_DOWN, L"Down"},
    {IDC_TOP_OF_SCALE_UP, L"Up"},
    {IDC_BOTTOM_OF_SCALE_UP, L"Up"},
    {IDC_PREVIOUS_STATION, L"Prev. Station"},
    {IDC_PREVIOUS_LINE, L"Prev. Line"},
    {IDC_NEXT_STATION, L"Next Station"},
    {IDC_NEXT_LINE, L"Next Line"},
    {IDC_PREVIOUS_RECORD, L"Prev. Rcd."},
    {IDC_NEXT_RECORD, L"Next Rcd."},
    {IDC_EXIT_REVIEW, L"E&xit Review"},
    {IDC_PRINT, L"Print"},
    {IDC_ENTER_COMMENT, L"Comment"},
    {IDC_DISPLAY_COMMENTS, L"Display Available Comments"},
    {IDC_OPEN_DATA_FILE, L"New File"},
    {IDC_MANAGE_RECORDS, L"Manage Rcds"},
    {IDC_AUTO_SCALE, L"Auto Scale"},
    {IDC_ZOOM_IN, L"Zoom+"},
    {IDC_ZOOM_OUT, L"Zoom-"},
    {IDC_FIT_ALL, L"Fit All"},
    {IDC_HIDE, L"Hide L"},
    {IDC_SHIFT_MAP_LEFT, L"Left"},
    {IDC_SHIFT_MAP_UP, L"Up"},
    {IDC_SHIFT_MAP_DOWN, L"Down"},
    {IDC_SHIFT_MAP_RIGHT, L"Right"},
    {IDC_REPEAT_LAST_STATION, L"Repeat Last Station"},
    {IDC_INVERT, L"Invert"},
    {IDC_TEST_DC, L"DC"},
    {IDC_TEST_100MS, L"100"},
    {IDC_TEST_3MS, L"3"},
    {IDC_TEST_01MS, L"0.1"},
    {IDC_EXIT_TEST, L"E&xit Test Mode"},
};

// The start state once the splash has gone: shown and enabled, shown and disabled; every
// other created button is hidden.
const int ShownEnabled[] = {IDC_CREATE_DATA_FILE, IDC_MONITOR,        IDC_AUTO_SCALE,   IDC_NEXT_STATION,
                            IDC_NEXT_LINE,        IDC_INVERT,         IDC_ZOOM_IN,      IDC_ZOOM_OUT,
                            IDC_FIT_ALL,          IDC_SHIFT_MAP_LEFT, IDC_SHIFT_MAP_UP, IDC_SHIFT_MAP_DOWN,
                            IDC_SHIFT_MAP_RIGHT};
const int ShownDisabled[] = {IDC_ENTER_COMMENT, IDC_MEASURE};

struct MenuExpectation {
    UINT id;
    const wchar_t* text;
    bool greyed;
    bool checked;
};

// Menu items that the start state sets: no data file greys Measure to Enter Comment; the
// standard gate set of the defaults allows the standard nulling only; the decay view.
const MenuExpectation StartMenus[] = {
    {IDM_MEASURE, L"&Measure", true, false},
    {IDM_STOP, L"&Stop", true, false},
    {IDM_STORE_READING, L"S&tore Reading", true, false},
    {IDM_CANCEL_READING, L"C&ancel Reading", true, false},
    {IDM_ENTER_COMMENT, L"&Enter Comment", true, false},
    {IDM_FULL_NULLING, L"&Perform Full Nulling (Standard Gates)", false, false},
    {IDM_SELECTIVE_NULLING, L"Perform &Selective Nulling (Standard Gates)", false, false},
    {IDM_USER_GATES_NULLING, L"Perform Nulling for Current Set of &User Defined Gates", true, false},
    {IDM_DECAY_VIEW, L"&Decay View", false, true},
    {IDM_PROFILE_VIEW, L"&Profile View", false, false},
};

bool Contains(const int* list, size_t count, int id)
{
    for (size_t i = 0; i < count; ++i)
        if (list[i] == id)
            return true;
    return false;
}

std::string Narrow(const std::wstring& text)
{
    return e2e::ToUtf8(text);
}

// System class names compare without case ("combobox" is created, "ComboBox" is read).
bool IsClass(HWND window, const wchar_t* cls)
{
    return lstrcmpiW(e2e::ClassOf(window).c_str(), cls) == 0;
}

class VloxStart : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        vlox = new e2e::Program;
        if (!e2e::MakeEmptyFolder(RunFolder)) {
            startError = "cannot empty the run folder";
            return;
        }
        std::wstring error;
        if (!vlox->Start(e2e::InBinFolder(L"V-LOX.exe"), RunFolder, &error)) {
            startError = Narrow(error);
            return;
        }
        mainWindow = vlox->WaitWindow(MainClass, nullptr, 30000);
        firstSeenTick = GetTickCount();
        if (!mainWindow)
            startError = "no shown window of class VLOX within 30 s";
        else
            splashShownAtFirstSight = e2e::IsShown(e2e::Control(mainWindow, IDC_SPLASH_WND));
    }

    static void TearDownTestSuite()
    {
        delete vlox;  // ends V-LOX if a test left it running
        vlox = nullptr;
    }

    // Waits until the splash has gone (at most once per suite).
    static bool WaitForSplashToClose()
    {
        if (!splashClosed)
            splashClosed =
                e2e::WaitUntil([] { return !e2e::IsShown(e2e::Control(mainWindow, IDC_SPLASH_WND)); }, 20000);
        return splashClosed;
    }

    static e2e::Program* vlox;
    static HWND mainWindow;
    static std::string startError;
    static DWORD firstSeenTick;
    static bool splashShownAtFirstSight;
    static bool splashClosed;
};

e2e::Program* VloxStart::vlox = nullptr;
HWND VloxStart::mainWindow = nullptr;
std::string VloxStart::startError;
DWORD VloxStart::firstSeenTick = 0;
bool VloxStart::splashShownAtFirstSight = false;
bool VloxStart::splashClosed = false;

TEST_F(VloxStart, MainWindowClassTitleAndPlace)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    EXPECT_EQ(e2e::ClassOf(mainWindow), MainClass);
    EXPECT_EQ(Narrow(e2e::TextOf(mainWindow)), Narrow(MainTitle));

    // Screens wider than 1280 or with 769 or more lines under the 38-line strip get a 1024 by
    // 768 window, centred, 38 lines higher, never above the top.
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    int x = 0, y = 0, w = screenW, h = screenH - 38;
    if (screenW > 1280 || screenH - 38 >= 769) {
        w = 1024;
        h = 768;
        x = (screenW - 1024) / 2;
        y = (screenH - 768) / 2 - 38;
        if (y < 0)
            y = 0;
    }
    RECT r = e2e::ScreenRect(mainWindow);
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, w);
    EXPECT_EQ(r.bottom - r.top, h);
    if (screenW == 1280 && screenH == 1024) {
        EXPECT_EQ(r.left, 128);
        EXPECT_EQ(r.top, 90);
        EXPECT_EQ(r.right, 1152);
        EXPECT_EQ(r.bottom, 858);
    }

    // A caption, system menu and minimise box; no sizing border, no maximise box.
    const LONG style = e2e::StyleOf(mainWindow);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_CHILD);
}

TEST_F(VloxStart, SplashCoversTheStartThenGoesAfterFiveSeconds)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    HWND splash = e2e::Control(mainWindow, IDC_SPLASH_WND);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(e2e::ClassOf(splash), L"SplashWnd");
    EXPECT_TRUE(splashShownAtFirstSight);
    ASSERT_TRUE(WaitForSplashToClose()) << "the splash is still shown after 20 s";
    // Its timer is 5000 ms from the window's creation, a moment before the test saw it.
    EXPECT_GE(GetTickCount() - firstSeenTick, 3500u);
}

TEST_F(VloxStart, ChildWindowsOfTheStartState)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    ASSERT_TRUE(WaitForSplashToClose());
    const struct {
        int id;
        const wchar_t* cls;
        bool shown;
    } panes[] = {
        {IDC_CURVE_WND, L"CurveWnd", true},     {IDC_MAP_WND, L"MapWnd", true},
        {IDC_NUMBERS_WND, L"NumbersWnd", true}, {IDC_MONITOR_GPS_WND, L"MonitorGPSWnd", false},
        {IDC_BAR_WND, L"BarWnd", false},        {IDC_SPLASH_WND, L"SplashWnd", false},
    };
    for (const auto& p : panes) {
        HWND pane = e2e::Control(mainWindow, p.id);
        ASSERT_NE(pane, nullptr) << p.id;
        EXPECT_EQ(e2e::ClassOf(pane), p.cls) << p.id;
        EXPECT_EQ(e2e::IsShown(pane), p.shown) << p.id;
    }
    for (int id : ReviewComboIds) {
        HWND combo = e2e::Control(mainWindow, id);
        ASSERT_NE(combo, nullptr) << id;
        EXPECT_TRUE(IsClass(combo, L"ComboBox")) << id;
        EXPECT_FALSE(e2e::IsShown(combo)) << id;
    }
    HWND list = e2e::Control(mainWindow, IDC_LIST_RECORDS);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(IsClass(list, L"ListBox"));
    EXPECT_FALSE(e2e::IsShown(list));
}

TEST_F(VloxStart, StartButtonsShownAndEnabled)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    ASSERT_TRUE(WaitForSplashToClose());
    for (int id :
         {IDC_BUTTON_BASE, IDC_BUTTON_BASE + 1, IDC_BUTTON_BASE + 2, IDC_BUTTON_BASE + 3, IDC_BUTTON_BASE + 44})
        EXPECT_EQ(e2e::Control(mainWindow, id), nullptr) << "button " << id << " is never created";
    for (const ButtonCaption& b : Captions) {
        HWND button = e2e::Control(mainWindow, b.id);
        ASSERT_NE(button, nullptr) << "button " << b.id;
        EXPECT_TRUE(IsClass(button, L"Button")) << b.id;
        EXPECT_EQ(Narrow(e2e::TextOf(button)), Narrow(b.caption)) << "button " << b.id;
        const bool enabledShown = Contains(ShownEnabled, std::size(ShownEnabled), b.id);
        const bool disabledShown = Contains(ShownDisabled, std::size(ShownDisabled), b.id);
        EXPECT_EQ(e2e::IsShown(button), enabledShown || disabledShown) << "button " << b.id;
        if (enabledShown) {
            EXPECT_TRUE(e2e::IsEnabled(button)) << "button " << b.id;
        }
        if (disabledShown) {
            EXPECT_FALSE(e2e::IsEnabled(button)) << "button " << b.id;
        }
    }
}

TEST_F(VloxStart, StartLayoutOfPanesAndButtons)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    ASSERT_TRUE(WaitForSplashToClose());
    auto at = [](int id) { return e2e::RectInParent(e2e::Control(mainWindow, id)); };
    const int clientW = e2e::ClientRectOf(mainWindow).right;
    const int columnX = clientW - 20 - 120 + 4;

    RECT curve = at(IDC_CURVE_WND);
    EXPECT_EQ(curve.left, 190);
    EXPECT_EQ(curve.top, 9);
    // One component column: the numbers pane is 80 wide at the right margin.
    RECT numbers = at(IDC_NUMBERS_WND);
    EXPECT_EQ(numbers.right - numbers.left, 80);
    EXPECT_EQ(numbers.right, clientW - 20);
    EXPECT_EQ(numbers.top, curve.top);
    EXPECT_EQ(numbers.bottom, curve.bottom);
    RECT map = at(IDC_MAP_WND);
    EXPECT_EQ(map.left, 16);
    EXPECT_EQ(map.right - map.left, 168);
    EXPECT_EQ(map.bottom - map.top, 168);

    // The right-hand column, 120 wide.
    for (int id : {IDC_CREATE_DATA_FILE, IDC_MONITOR}) {
        EXPECT_EQ(at(id).left, columnX) << id;
        EXPECT_EQ(at(id).right - at(id).left, 120) << id;
    }
    // "STOP" lies exactly over "MEASURE"; "STORE" and "Cancel" over its upper and lower part.
    RECT measure = at(IDC_MEASURE), stop = at(IDC_STOP), store = at(IDC_STORE_READING), cancel = at(IDC_CANCEL_READING);
    EXPECT_EQ(measure.left, columnX - 6 - 120);
    EXPECT_TRUE(EqualRect(&measure, &stop));
    EXPECT_EQ(store.left, measure.left);
    EXPECT_EQ(store.top, measure.top);
    EXPECT_EQ(cancel.left, measure.left);
    EXPECT_EQ(cancel.bottom, measure.bottom);
    EXPECT_EQ(store.bottom - store.top, cancel.bottom - cancel.top);
    EXPECT_EQ(measure.bottom - measure.top, 2 * (store.bottom - store.top) + 5);
    EXPECT_EQ(at(IDC_CREATE_DATA_FILE).top, measure.top);
    EXPECT_EQ(at(IDC_MONITOR).bottom, measure.bottom);
    // "Hide L" waits, hidden, in the place of "Fit All".
    RECT fit = at(IDC_FIT_ALL), hide = at(IDC_HIDE);
    EXPECT_TRUE(EqualRect(&fit, &hide));
    EXPECT_EQ(at(IDC_ZOOM_IN).left, 16);
    EXPECT_EQ(at(IDC_SHIFT_MAP_LEFT).left, 16);
}

TEST_F(VloxStart, StartMenuStates)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    ASSERT_TRUE(WaitForSplashToClose());
    for (const MenuExpectation& m : StartMenus) {
        UINT state = 0;
        ASSERT_TRUE(vlox->MenuState(mainWindow, m.id, &state)) << "menu item " << m.id;
        EXPECT_EQ((state & MF_GRAYED) != 0, m.greyed) << "menu item " << m.id;
        EXPECT_EQ((state & MF_CHECKED) != 0, m.checked) << "menu item " << m.id;
        std::wstring text;
        ASSERT_TRUE(vlox->MenuText(mainWindow, m.id, &text)) << "menu item " << m.id;
        EXPECT_EQ(Narrow(text), Narrow(m.text)) << "menu item " << m.id;
    }
}

TEST_F(VloxStart, FirstStartWritesConfigurationAndDataFolder)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    std::vector<uint8_t> ini;
    ASSERT_TRUE(e2e::ReadFileBytes(std::wstring(RunFolder) + L"\\VLOXTARNWEL.INI", &ini))
        << "no configuration file in the start folder";
    ASSERT_GE(ini.size(), 5u);
    EXPECT_EQ(std::string(ini.begin(), ini.begin() + 5), "V1.42");
    EXPECT_TRUE(e2e::FolderExists(L"C:\\Vlox_Data"));
}

TEST_F(VloxStart, CloseEndsWithExitCodeZero)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    ASSERT_TRUE(e2e::PostClose(mainWindow));
    DWORD code = 255;
    ASSERT_TRUE(vlox->WaitExit(20000, &code)) << "V-LOX has not ended 20 s after WM_CLOSE";
    EXPECT_EQ(code, 0u);
}

TEST_F(VloxStart, NoMessageBoxAtAnyTime)
{
    ASSERT_NE(mainWindow, nullptr) << startError;
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen())
        ADD_FAILURE() << "message box \"" << Narrow(box.caption) << "\": " << Narrow(box.text);
}

}  // namespace
