#include "vlox/ui/main_window_win.h"

#include <algorithm>
#include <string>

#include "resources/resource.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/review_reader.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/profile_pens_win.h"
#include "vlox/display/monitor_gps_window_win.h"
#include "vlox/display/splash_win.h"
#include "vlox/instruments/gps.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/instruments/meter_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/enabling_win.h"
#include "vlox/ui/program_parts_win.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/view_dialogs.h"

int32_t RateChoiceCount60Hz = 7;
int32_t RateChoiceCount50Hz = 7;

namespace {

LRESULT CALLBACK OnMainCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OnMainSize(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OnMainDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

const MessageEntry MainMessageTable[] = {
    {WM_CREATE, OnMainCreate},
    {WM_SIZE, OnMainSize},
    {WM_DESTROY, OnMainDestroy},
    {WM_COMMAND, OnCommand},
    {WM_DEADCHAR, OnCommand},
    {WM_MOUSEMOVE, OnCommand},
    {WM_KEYDOWN, OnCommand},
    {WM_RBUTTONUP, OnCommand},
    {WM_LBUTTONUP, OnCommand},
    {WM_PAINT, PaintStatusPanel},
    {GpsPositionMessage, OnGgaSentence},
    {GpsDopMessage, OnGsaSentence},
    {MeterReadingMessage, OnMeterReading},
};
const size_t MainMessageTableCount = sizeof(MainMessageTable) / sizeof(MainMessageTable[0]);

namespace {

HFONT MakePanelFont(int weight)
{
    return CreateFontW(14, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
}

TextExtent MeasureText(HDC dc, HFONT font, const std::string& text)
{
    SelectGuard select(dc, font);
    const WideString wide = NarrowToWide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return TextExtent{static_cast<int32_t>(size.cx), static_cast<int32_t>(size.cy)};
}

// The whole screen for the current work area, settings and status panel, measured with the
// panel fonts on the main window's device context.
MainLayout ComputeLayoutFor(HWND window)
{
    WindowDc dc(window);
    MainLayoutInput in;
    in.WorkAreaWidth = WorkAreaWidth;
    in.WorkAreaHeight = WorkAreaHeight;
    in.TextLineHeight = TextLineHeight;
    in.SelectedComponent = Settings.SelectedComponent;
    in.GateSet = Settings.GateSet;
    in.UserGateCount = Settings.UserGateCount;
    in.PanelValueX = StatusPanelGeometry.ValueX;
    for (int i = 0; i < ReviewComboCount; ++i)
        in.ReviewComboRowTop[i] = StatusPanelGeometry.ReviewComboRowTop[i];
    HDC hdc = dc.get();
    in.Measure = [hdc](const std::string& text, bool bold) {
        return MeasureText(hdc, bold ? hFontBold : hFontNormal, text);
    };
    return ComputeMainLayout(in);
}

HWND MakeChild(HWND parent, const wchar_t* className, const wchar_t* title, DWORD style, const PaneBox& b, int id)
{
    return CreateWindowExW(0, className, title, WS_CHILD | style, b.x, b.y, b.width, b.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), hInstance, nullptr);
}

void MakeButton(HWND parent, const MainLayout& layout, int32_t id)
{
    const int32_t slot = id - ButtonFirstId;
    const WideString caption = NarrowToWide(std::string(ButtonCaption(slot)));
    DWORD style = BS_PUSHBUTTON | WS_TABSTOP;
    if (ButtonVisibleAtCreation(id))
        style |= WS_VISIBLE;
    hButtons[slot] = MakeChild(parent, L"BUTTON", caption.c_str(), style, layout.Buttons[slot].box, id);
}

// Creates every child in the order of creation. False when one of the six windows that the
// program cannot run without is missing.
bool CreateChildWindows(HWND window, const MainLayout& layout)
{
    PaneBox mapAtCreation{layout.MapPaneX, layout.MapPaneY, MapPaneSizeAtCreation, MapPaneSizeAtCreation};
    hWndCurve = MakeChild(window, L"CurveWnd", nullptr, WS_BORDER, layout.CurvePaneRect, IDC_CURVE_WND);
    hWndMap = MakeChild(window, L"MapWnd", nullptr, WS_BORDER, mapAtCreation, IDC_MAP_WND);
    hWndNumbers = MakeChild(window, L"NumbersWnd", nullptr, WS_BORDER, layout.NumbersPaneRect, IDC_NUMBERS_WND);
    hWndMonitorGps = MakeChild(window, L"MonitorGPSWnd", L"Monitor GPS", 0, layout.MonitorGpsBox, IDC_MONITOR_GPS_WND);
    for (int32_t i = 0; i < ButtonCreationOrderFirstCount; ++i)
        MakeButton(window, layout, ButtonCreationOrderFirst[i]);
    hWndBar = MakeChild(window, L"BarWnd", nullptr, WS_BORDER, layout.BarBox, IDC_BAR_WND);
    for (int32_t i = 0; i < ButtonCreationOrderSecondCount; ++i)
        MakeButton(window, layout, ButtonCreationOrderSecond[i]);

    const DWORD comboStyle = CBS_DROPDOWNLIST | WS_VSCROLL;
    HWND* const combos[ReviewComboCount] = {&hComboReviewView, &hComboLine,       &hComboStation,
                                            &hComboRecord,     &hComboProcessing, &hComboRepetition};
    const int comboIds[ReviewComboCount] = {IDC_COMBO_REVIEW_VIEW, IDC_COMBO_LINE,       IDC_COMBO_STATION,
                                            IDC_COMBO_RECORD,      IDC_COMBO_PROCESSING, IDC_COMBO_REPETITION};
    for (int i = 0; i < ReviewComboCount; ++i)
        *combos[i] = MakeChild(window, L"combobox", nullptr, comboStyle, layout.ReviewCombos[i], comboIds[i]);
    hListRecords = MakeChild(window, L"listbox", nullptr, LBS_NOTIFY | LBS_MULTIPLESEL | WS_VSCROLL | WS_BORDER,
                             layout.ListRecordsBox, IDC_LIST_RECORDS);
    hWndSplash =
        MakeChild(window, L"SplashWnd", nullptr, WS_BORDER | WS_VISIBLE, layout.SplashBoxAtCreation, IDC_SPLASH_WND);

    return hWndCurve != nullptr && hWndMap != nullptr && hWndNumbers != nullptr && hWndMonitorGps != nullptr &&
           hWndBar != nullptr && hWndSplash != nullptr;
}

// A closed combo box is as high as its font makes it, and the panel's rows lie closer than
// the system font's box (21 pixels apart): the review combos take the panel's value font and,
// where that is still too high, a lower selection field, so that none covers the next.
void FitReviewCombos(HWND (&combos)[ReviewComboCount], const MainLayout& layout)
{
    int32_t step = layout.WorkAreaHeight;
    for (int i = 1; i < ReviewComboCount; ++i)
        step = std::min(step, layout.ReviewCombos[i].y - layout.ReviewCombos[i - 1].y);
    for (HWND combo : combos) {
        if (combo == nullptr)
            continue;
        SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(hFontBold), FALSE);
        // What the selection field's height gives for the whole box differs between systems:
        // lower it a pixel at a time until the box fits.
        LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        RECT r{};
        GetWindowRect(combo, &r);
        while (r.bottom - r.top > step && field > 1) {
            SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), --field);
            GetWindowRect(combo, &r);
        }
    }
}

// A caption wider than its button in the buttons' own (system) font takes the panel's
// normal font, which is narrower, rather than losing its ends.
void FitCaption(HWND button, int32_t slot, int32_t width)
{
    const WideString text = NarrowToWide(ShownCaption(ButtonCaption(slot)));
    HDC dc = GetDC(button);
    if (dc == nullptr)
        return;
    const HFONT own = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
    SIZE size{};
    {
        SelectGuard font(dc, own);
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    ReleaseDC(button, dc);
    if (!CaptionFits(static_cast<int32_t>(size.cx), width) && own != hFontNormal)
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(hFontNormal), TRUE);
}

void MoveTo(HWND w, const PaneBox& b)
{
    if (w != nullptr)
        MoveWindow(w, b.x, b.y, b.width, b.height, TRUE);
}

void ShowIf(HWND w, bool shown)
{
    if (w != nullptr)
        ShowWindow(w, shown ? SW_SHOW : SW_HIDE);
}

// Creation handler: brings the program into its start state. Every step runs in this order;
// with a corrupt configuration the screen is still built, and the splash's close reports it.
LRESULT CALLBACK OnMainCreate(HWND window, UINT, WPARAM, LPARAM)
{
    ConnectProgramParts();

    // Working values from the settings in memory, before loading.
    MonitorPassPeriodsFast = 5;
    RepetitionRate = Settings.PowerLineFrequency == 1 ? 30.0 : 25.0;
    if (Settings.RepRateIndex == 0)
        MonitorPassPeriods = MonitorPassPeriodsFast;
    else if (Settings.RepRateIndex == 1)
        MonitorPassPeriods = Settings.MonitorPassPeriodsMedium;
    else
        MonitorPassPeriods = 1;

    // A start folder longer than the buffer leaves it empty rather than cut.
    if (GetCurrentDirectoryW(MAX_PATH, StartDirectory) >= MAX_PATH)
        StartDirectory[0] = 0;
    CreateDirectoryW(L"C:\\Vlox_Data\\", nullptr);
    ClearNullTables(NullTablesStore);
    TxAmpereTurns = Settings.TxTurns * Settings.TxCurrent;
    TotalTurnOffDelay = ComputeTotalTurnOffDelay(Settings);

    SettingsFile(SettingsLoad);
    // GPS input stays off while the splash is up, and with it the map is the station map;
    // the splash's close puts the loaded input back and the loaded map type's layout with it.
    SavedGpsSetting = Settings.GpsInput;
    Settings.GpsInput = 0;
    MapLayoutMode = 2;
    if (ConfigInvalid == 0)
        ComputeTxLoopArea();
    BuildGateTables();
    BuildReviewGateTimes(ReviewReading);
    RateChoiceCount60Hz = 7;
    RateChoiceCount50Hz = 7;
    // The user-defined set counts its configured gates, so stored readings get their times.
    GateCount = GateCountForSet(Settings.GateSet, Settings.UserGateCount);
    BuildGateTables();
    ComputeCurveScale();

    hFontNormal = MakePanelFont(FW_NORMAL);
    hFontBold = MakePanelFont(FW_BOLD);
    {
        WindowDc dc(window);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc.get(), &tm);
        TextLineHeight = tm.tmHeight + 2;
    }
    RECT client{};
    GetClientRect(window, &client);
    WorkAreaWidth = client.right - client.left;
    WorkAreaHeight = client.bottom - client.top;

    const MainLayout initial = ComputeLayoutFor(window);
    PublishMainLayout(initial);
    MapPaneSize = MapPaneSizeAtCreation;  // the layout makes it 168
    if (!CreateChildWindows(window, initial)) {
        // Creation then fails as a whole, and the program ends with its exit code.
        DestroyWindow(window);
        return 0;
    }

    // The menu's and the buttons' states as made: the enabling changes them from here on.
    FindOfferedControls();

    SetTimer(hWndSplash, SplashTimerId, SplashTimerMs, nullptr);
    SetCapture(hWndSplash);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));

    LayoutStatusPanel(window);
    LayoutMainWindow(window);
    if (MapLayoutMode == 2 && TxLoopArea != 0.0)
        FitStationMap(1.25);
    CreateBackBuffers();
    BoardNotifyWindow = hWndCurve;
    GpsMessageWindow = window;
    CreateDrawingObjects();
    if (ConfigInvalid != 0)
        return 0;

    SetNmeaFieldRoles();
    ComputeCurveScale();
    CreateProfilePens(0);
    // The map steps the map options keep.
    MapZoomPercent = MapStepPercent(Settings.MapZoomStepIndex);
    MapShiftStep = MapStepPercent(Settings.MapPanStepIndex);
    return 0;
}

LRESULT CALLBACK OnMainSize(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

// The data file is not closed here: its records are written as they are stored. Both serial
// readers are stopped and joined before their ports close; what they posted and this window
// did not draw goes with the window.
LRESULT CALLBACK OnMainDestroy(HWND, UINT, WPARAM, LPARAM)
{
    CloseGpsLinkAtExit();
    MeterReadingsActive = 0;
    StopMeterReader();
    CloseStationIndexFile();
    StopAcquisition();
    DelayMs(1000);
    PostQuitMessage(0);
    return 0;
}

}  // namespace

int RegisterWindowClasses(HINSTANCE instance)
{
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

    WNDCLASSW main{};
    main.style = CS_HREDRAW | CS_VREDRAW;
    main.lpfnWndProc = MainWndProc;
    main.hInstance = instance;
    main.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VLOX));
    main.hCursor = arrow;
    main.hbrBackground = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    main.lpszClassName = L"VLOX";
    // Its result is not used; a class that already exists keeps its own brush.
    if (RegisterClassW(&main) == 0)
        DeleteObject(main.hbrBackground);

    if (RegisterMapWndClass(instance) != 0 || RegisterMonitorGpsWndClass(instance) != 0)
        return ExitClassRegistrationMapOrMonitor;

    // CurveWnd, NumbersWnd and BarWnd share the measurement windows' procedure.
    WNDCLASSW measure{};
    measure.style = CS_HREDRAW | CS_VREDRAW;
    measure.lpfnWndProc = MeasureWndProc;
    measure.cbWndExtra = 4;
    measure.hInstance = instance;
    measure.hCursor = arrow;
    measure.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    measure.lpszClassName = L"CurveWnd";
    if (RegisterClassW(&measure) == 0)
        return ExitClassRegistrationCurveOrSplash;
    measure.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    measure.lpszClassName = L"NumbersWnd";
    RegisterClassW(&measure);
    measure.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    measure.lpszClassName = L"BarWnd";
    RegisterClassW(&measure);

    if (RegisterSplashWndClass(instance) != 0)
        return ExitClassRegistrationCurveOrSplash;
    return 0;
}

HWND CreateMainWindow(HINSTANCE instance, LPSTR, int showCommand)
{
    hInstance = instance;
    const MainWindowPlacement place =
        ComputeMainWindowPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    WorkAreaWidth = place.width;
    WorkAreaHeight = place.height;
    hMenuMain = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU));
    const WideString title = NarrowToWide(MainWindowTitle());

    HWND window = CreateWindowExW(0, L"VLOX", title.c_str(), WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  place.x, place.y, place.width, place.height, nullptr, hMenuMain, instance, nullptr);
    if (window == nullptr || !IsWindow(window))
        return nullptr;
    hWndMain = window;
    hWndMainCopy = window;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MakeMessageTable(MainMessageTable), window, message, wParam, lParam);
}

int RunMessageLoop()
{
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int RunVlox(HINSTANCE instance, int showCommand)
{
    const int registration = RegisterWindowClasses(instance);
    if (registration != 0)
        return registration;
    if (CreateMainWindow(instance, nullptr, showCommand) == nullptr)
        return ExitMainWindowNotCreated;
    return RunMessageLoop();
}

void LayoutMainWindow(HWND window)
{
    const MainLayout layout = ComputeLayoutFor(window);
    PublishMainLayout(layout);
    GateCount = layout.GateCount;

    InvalidateRect(window, nullptr, TRUE);
    RedrawNumbersHeader();

    ShowIf(hWndCurve, false);
    ShowIf(hWndNumbers, false);
    MoveTo(hWndCurve, layout.CurvePaneRect);
    MoveTo(hWndNumbers, layout.NumbersPaneRect);
    ShowIf(hWndCurve, true);
    ShowIf(hWndNumbers, true);
    MoveTo(hWndMap, layout.MapPane);
    ShowIf(hWndMap, true);
    MoveTo(hListRecords, layout.ListRecordsBox);
    ShowIf(hListRecords, false);

    for (int32_t slot = 0; slot < ButtonSlots; ++slot) {
        const ButtonPlace& b = layout.Buttons[slot];
        if (!b.exists || hButtons[slot] == nullptr)
            continue;
        MoveTo(hButtons[slot], b.box);
        FitCaption(hButtons[slot], slot, b.box.width);
        ShowIf(hButtons[slot], b.shown);
        EnableButton(slot, b.enabled);
    }

    // The bar is shown and hidden by the enabling and test commands; only placed here.
    MoveTo(hWndBar, layout.BarBox);
    HWND combos[ReviewComboCount] = {hComboReviewView, hComboLine,       hComboStation,
                                     hComboRecord,     hComboProcessing, hComboRepetition};
    for (int i = 0; i < ReviewComboCount; ++i) {
        MoveTo(combos[i], layout.ReviewCombos[i]);
        ShowIf(combos[i], false);
    }
    FitReviewCombos(combos, layout);

    EnableMenusForState(LogNoDataFile);
    EnableNullingMenus();
    // What the start state allows: no item offers a command that could not act.
    ShowOfferedControls();
    if (Settings.GraphView == 0 || Settings.GraphView == 1) {
        const bool profileView = Settings.GraphView == 1;
        CheckMenuItem(hMenuMain, IDM_DECAY_VIEW, MF_BYCOMMAND | (profileView ? MF_UNCHECKED : MF_CHECKED));
        CheckMenuItem(hMenuMain, IDM_PROFILE_VIEW, MF_BYCOMMAND | (profileView ? MF_CHECKED : MF_UNCHECKED));
    }

    MoveTo(hWndSplash, layout.SplashBox);
    ShowIf(hWndSplash, true);
}
