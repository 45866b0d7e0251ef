#include "vlox/ui/command_handler_win.h"

#include <string>

#include "resources/resource.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/comments_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/review_reader_win.h"
#include "vlox/datafile/review_selection.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/map_window_win.h"
#include "vlox/ui/map_commands_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/display/review_plots_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/ui/command_rules.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/enabling_win.h"
#include "vlox/ui/review_commands_win.h"
#include "vlox/ui/review_routing.h"
#include "vlox/ui/status_panel.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"
#include "vlox/ui/survey_dialog_win.h"
#include "vlox/ui/system_dialog_win.h"
#include "vlox/ui/view_commands_win.h"

int32_t PopupChoicePending = 0;
int32_t HighlightedButton = 0;
int32_t ButtonVisible[ButtonSlots] = {};
int32_t ButtonCount = ButtonSlots;

CommandMessageBoxFunction CommandMessageBox = MessageBoxW;

namespace {

void EndByExitProcess(uint32_t exitCode)
{
    ExitProcess(exitCode);
}

}  // namespace

void (*EndProgramProcess)(uint32_t exitCode) = EndByExitProcess;

int ShowCommandMessage(HWND owner, const char* text, const char* caption, UINT type)
{
    const WideString wideText = NarrowToWide(std::string(text));
    const WideString wideCaption = NarrowToWide(std::string(caption));
    if (owner == nullptr)
        type |= MB_TASKMODAL;
    return CommandMessageBox(owner, wideText.c_str(), wideCaption.c_str(), type);
}

namespace {

void Invalidate(HWND window)
{
    if (window != nullptr)
        InvalidateRect(window, nullptr, TRUE);
}

HWND ReviewControl(int32_t id)
{
    switch (id) {
    case ReviewViewComboId:
        return hComboReviewView;
    case ReviewLineComboId:
        return hComboLine;
    case ReviewStationComboId:
        return hComboStation;
    case ReviewRecordComboId:
        return hComboRecord;
    case ReviewProcessingComboId:
        return hComboProcessing;
    case ReviewRepetitionComboId:
        return hComboRepetition;
    case ReviewRecordListId:
        return hListRecords;
    default:
        return nullptr;
    }
}

// An entry of a review table, or fallback outside the count.
template <class T, size_t N>
T EntryOf(const T (&table)[N], int32_t count, int32_t i, T fallback)
{
    return i >= 0 && i < count && static_cast<size_t>(i) < N ? table[i] : fallback;
}

// The review controls of the main window and the review reader's operations.
class MainReviewOps final : public ReviewOps {
public:
    int32_t Selection(int32_t controlId) override
    {
        HWND c = ReviewControl(controlId);
        return c != nullptr ? static_cast<int32_t>(SendMessageW(c, CB_GETCURSEL, 0, 0)) : -1;
    }
    int32_t ItemCount(int32_t controlId) override
    {
        HWND c = ReviewControl(controlId);
        return c != nullptr ? static_cast<int32_t>(SendMessageW(c, CB_GETCOUNT, 0, 0)) : 0;
    }
    void SetSelection(int32_t controlId, int32_t index) override
    {
        if (HWND c = ReviewControl(controlId))
            SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    void EnableRepetitionCombo(bool enable) override
    {
        if (hComboRepetition != nullptr && (IsWindowEnabled(hComboRepetition) != FALSE) != enable)
            EnableWindow(hComboRepetition, enable ? TRUE : FALSE);
    }
    bool RecordListSelected(int32_t item) override
    {
        return hListRecords != nullptr && SendMessageW(hListRecords, LB_GETSEL, static_cast<WPARAM>(item), 0) > 0;
    }
    void DeselectRecordListItem(int32_t item) override
    {
        if (hListRecords != nullptr)
            SendMessageW(hListRecords, LB_SETSEL, FALSE, item);
    }
    void ShowRecordList(int32_t show) override { ::ShowRecordList(show); }
    void CopyRecordsToListBox() override { ::CopyRecordsToListBox(1); }
    void Message(const char* text, const char* caption) override { ShowCommandMessage(hWndMain, text, caption, MB_OK); }

    void FillProcessingList() override { ::FillProcessingList(); }
    void FillRepetitionList() override { ::FillRepetitionList(); }
    void ReadLineStations(int32_t lineIndex) override { ReadLineStationsOf(lineIndex); }
    void FillStationList() override { ::FillStationList(); }
    void ReadStationRecords(int32_t stationIndex) override { ReadStationRecordsOf(stationIndex); }
    void FillRecordList() override { ::FillRecordList(); }
    int32_t CheckReviewContents(int32_t level) override { return ::CheckReviewContents(level); }
    int32_t CountStationRepetitions() override { return ::CountStationRepetitions(); }
    void SelectReviewRepetition(int32_t entry) override { ::SelectReviewRepetition(entry); }
    void SelectReviewUserGateSet(int32_t entry) override { ::SelectReviewUserGateSet(entry); }
    void SelectReviewStation(int32_t station, int32_t repetition) override
    {
        ::SelectReviewStation(station, repetition);
    }

    double LineNumber(int32_t line) override { return EntryOf(ReviewLineNumbers, ReviewLineCount, line, 0.0); }
    int32_t LineDirection(int32_t line) override { return EntryOf(ReviewLineDirections, ReviewLineCount, line, 0); }
    double StationValue(int32_t station) override
    {
        return EntryOf(ReviewStationValues, ReviewStationCount, station, 0.0);
    }
    int32_t RecordNumber(int32_t record) override { return EntryOf(ReviewRecordNumbers, ReviewRecordCount, record, 0); }
    int32_t RecordTag(int32_t record) override { return EntryOf(ReviewRecordTags, ReviewRecordCount, record, 0); }
    void SetRecordTag(int32_t record, int32_t tag) override
    {
        if (record >= 0 && record < ReviewRecordCount && record < MaxReviewRecords)
            ReviewRecordTags[record] = tag;
    }
    double ProfileStation(int32_t station) override
    {
        return EntryOf(ProfileStations, ReviewListedStationCount, station, 0.0);
    }
    int32_t ProfileRecordNumber(int32_t record) override
    {
        return EntryOf(ProfileRecordNumbers, ProfileRecordCount, record, 0);
    }
    int32_t ProfileRecordTag(int32_t record) override
    {
        return EntryOf(ProfileRecordTags, ProfileRecordCount, record, 0);
    }
    int32_t ProfileStationEntry(int32_t station) override
    {
        return EntryOf(ProfileStationOffsets, ReviewListedStationCount, station, -1);
    }
    int64_t RecordOffset(int32_t record) override
    {
        return EntryOf(ReviewRecordOffsets, ReviewRecordCount, record, int64_t{-1});
    }
    int64_t ProfileRecordOffset(int32_t record) override
    {
        return EntryOf(ProfileRecordOffsets, ProfileRecordCount, record, int64_t{-1});
    }
    int32_t ShownRecordEntry() override
    {
        return EntryOfOffset(ReviewRecordOffsets, ReviewRecordCount, ReviewShownOffset);
    }
    int32_t ShownProfileRecordEntry() override
    {
        return EntryOfOffset(ProfileRecordOffsets, ProfileRecordCount, ReviewShownOffset);
    }

    void ShowReading(ShownReadingKey key, int64_t offset, int32_t tag, const RepetitionGates& listed) override
    {
        ShowReviewReadingOnScreen(key, offset, tag, listed);
    }
    void DrawReviewNumbers() override { ::DrawReviewNumbers(); }
    void ClearDisplayArea(int32_t area) override { ::ClearDisplayArea(area); }
    void DrawReviewDecay() override { ::DrawReviewDecay(true); }
    void DrawProfilePlot() override { ::DrawProfilePlot(); }
    void SaveProfileCursorColumn(int32_t station) override { ::SaveProfileCursorColumn(station); }
    void DrawProfileCursor(int32_t station) override { ::DrawProfileCursor(station); }
    void DrawFileStateField() override { ::DrawFileStateField(hWndMain); }
    void DrawLineDirectionField() override { ::DrawLineDirectionField(hWndMain); }
    void DrawParameterPanel() override { ::DrawParameterPanel(); }
    void InvalidateMap() override { Invalidate(hWndMap); }
    void UpdateMainWindow() override
    {
        if (hWndMain != nullptr)
            UpdateWindow(hWndMain);
    }
};

// ---------------------------------------------------------------------------------------
// Keyboard highlight and the gate of keys.

void SetButtonStyle(int32_t slot, DWORD style)
{
    if (slot < 0 || slot >= ButtonSlots || hButtons[slot] == nullptr)
        return;
    SendMessageW(hButtons[slot], BM_SETSTYLE, style, TRUE);
}

void MoveHighlight(int32_t from, int32_t to)
{
    SetButtonStyle(from, BS_PUSHBUTTON);
    HighlightedButton = to;
    SetButtonStyle(to, BS_DEFPUSHBUTTON);
}

bool MenuItemEnabled(int32_t id)
{
    if (hMenuMain == nullptr)
        return false;
    const UINT state = GetMenuState(hMenuMain, static_cast<UINT>(id), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

bool ButtonUsable(int32_t slot)
{
    return ButtonShown(slot) && IsWindowEnabled(hButtons[slot]) != FALSE;
}

CommandGate MainWindowGate()
{
    CommandGate gate;
    gate.MenuItemEnabled = MenuItemEnabled;
    gate.ButtonUsable = ButtonUsable;
    return gate;
}

// ---------------------------------------------------------------------------------------
// The data-file commands that the logging needs, and the child programs.

void CreateDataFileCommand()
{
    // A second data file is never created over the one open.
    if (DataFile != INVALID_HANDLE_VALUE)
        return;
    if (MapLayoutMode == 1)
        PreserveMapBackground(0);
    if (CreateDataFile(hWndCurve) == 1) {
        RestartProfileStrip();
        Invalidate(hWndCurve);
        ShowButton(ButtonSlotOf(CmdCreateDataFile), false);
        ShowButton(ButtonSlotOf(CmdCloseDataFile), true);
        EnableButton(ButtonSlotOf(CmdEnterComment), true);
        if (MonitorRunning())
            EnableButton(ButtonSlotOf(CmdMeasure), true);
        EnableMenusForState(LogDataFileCreated);
        SetMenuItem(IDM_CREATE_DATA_FILE, false);
        SetMenuItem(IDM_CLOSE_DATA_FILE, true);
        SetMenuItem(IDM_RESET_DEFAULTS, false);
        if (InternalTestMode == 0)
            for (UINT id = IDM_TEST_DC; id <= IDM_EXIT_TEST; ++id)
                SetMenuItem(id, false);
        Invalidate(hWndMain);
    } else {
        Invalidate(hWndCurve);
    }
    if (MapLayoutMode == 1)
        PreserveMapBackground(1);
    else if (MapLayoutMode == 2)
        Invalidate(hWndMap);
}

void CloseDataFileCommand()
{
    ShowButton(ButtonSlotOf(CmdRepeatLastStation), false);
    // During the internal test the station index file stays open.
    CloseDataFile(InternalTestMode == 0 ? 1 : 0);
    ShowButton(ButtonSlotOf(CmdCloseDataFile), false);
    ShowButton(ButtonSlotOf(CmdCreateDataFile), true);
    EnableButton(ButtonSlotOf(CmdMeasure), false);
    EnableButton(ButtonSlotOf(CmdEnterComment), false);
    EnableMenusForState(LogNoDataFile);
    SetMenuItem(IDM_CREATE_DATA_FILE, true);
    SetMenuItem(IDM_CLOSE_DATA_FILE, false);
    SetMenuItem(IDM_RESET_DEFAULTS, true);
    for (UINT id = IDM_TEST_DC; id <= IDM_EXIT_TEST; ++id)
        SetMenuItem(id, true);
    SetMenuItem(IDM_GPS_PORT_SETUP, true);
    SetMenuItem(IDM_MONITOR_GPS, true);
    Invalidate(hWndMain);
    if (MapLayoutMode == 1) {
        MapGpsPlotOn = 0;
        ResetLiveGpsMap();
        MapGpsPlotOn = 1;
    }
    if (MeasureState == 0)
        LiveDisplayMode = 1;
}

void EnterCommentCommand()
{
    ShowCommentsDialog(hWndMain);
}

// Starts a program of the start folder and waits for its end with the main window
// disabled. The wait is on the process itself; messages that other threads of this program
// send meanwhile are delivered, so that the GPS reader is never left blocked in its send.
void StartChildProgram(const ChildProgram& program)
{
    SavedDirectory[0] = 0;
    if (GetCurrentDirectoryW(MAX_PATH, SavedDirectory) >= MAX_PATH)
        SavedDirectory[0] = 0;
    SetCurrentDirectoryW(StartDirectory);
    EnableWindow(hWndMain, FALSE);

    const WideString file = NarrowToWide(std::string(program.file));
    STARTUPINFOW start{};
    start.cb = sizeof(start);
    PROCESS_INFORMATION child{};
    if (CreateProcessW(file.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &start, &child) == FALSE) {
        ShowCommandMessage(hWndMain, ChildProgramMissingText(program).c_str(), program.caption, MB_OK);
    } else {
        for (;;) {
            const DWORD r = MsgWaitForMultipleObjects(1, &child.hProcess, FALSE, INFINITE, QS_SENDMESSAGE);
            if (r != WAIT_OBJECT_0 + 1)
                break;
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }

    if (SavedDirectory[0] != 0)
        SetCurrentDirectoryW(SavedDirectory);
    EnableWindow(hWndMain, TRUE);
}

}  // namespace

bool StepReviewStationOnScreen(bool next)
{
    MainReviewOps ops;
    return StepReviewStation(next, ops);
}

bool StepReviewLineOnScreen(bool next)
{
    MainReviewOps ops;
    return StepReviewLine(next, ops);
}

void StepReviewRecordOnScreen(bool next)
{
    MainReviewOps ops;
    StepReviewRecord(next, ops);
}

void ShowReviewPlaceOnScreen(int32_t line, int32_t station, int32_t record)
{
    MainReviewOps ops;
    ShowReviewPlace(ops, line, station, record, ReviewRepetitionIndex);
}

bool ShowProfileAgainOnScreen()
{
    MainReviewOps ops;
    return ShowProfileAgain(ops);
}

void RunMainCommand(int32_t command)
{
    // Whatever brought it, a command acts only in the state it needs.
    if (!CommandAdmitted(command, CurrentCommandFacts()))
        return;
    switch (command) {
    case CmdTest:
    case CmdAnalysis:
    case CmdHide:
        break;
    case CmdExit:
        ExitCommand();
        break;
    case CmdCreateDataFile:
        CreateDataFileCommand();
        break;
    case CmdCloseDataFile:
        CloseDataFileCommand();
        break;
    case CmdMonitor:
        MonitorCommand();
        break;
    case CmdPause:
        PauseCommand();
        break;
    case CmdMeasure:
        MeasureCommand();
        break;
    case CmdStop:
        StopCommand();
        break;
    case CmdStoreReading:
        StoreReadingCommand();
        break;
    case CmdCancelReading:
        CancelReadingCommand();
        break;
    case CmdPreviousStation:
    case CmdNextStation:
        StationStepCommand(command);
        break;
    case CmdPreviousLine:
    case CmdNextLine:
        LineStepCommand(command);
        break;
    case CmdEnterComment:
        EnterCommentCommand();
        break;
    case CmdFullNulling:
        FullNullingCommand();
        break;
    case CmdSelectiveNulling:
        SelectiveNullingCommand();
        break;
    case CmdUserGatesNulling:
        UserGatesNullingCommand();
        break;
    case CmdTestDc:
    case CmdTest100ms:
    case CmdTest3ms:
    case CmdTest01ms:
        InternalTestCommand(command);
        break;
    case CmdExitTest:
        ExitTestCommand();
        break;
    case CmdResetDefaults:
        ResetDefaultsCommand();
        break;
    case CmdInversionAnalysis:
    case CmdExportUsf:
    case CmdExportLz5:
    case CmdExportXyz:
    case CmdExportTxt:
        StartChildProgram(*ChildProgramFor(command));
        break;
    case CmdMonitorGps:
        MonitorGpsCommand();
        break;
    case CmdRepeatLastStation:
        RepeatLastStationCommand();
        break;
    case CmdInvert:
        InvertCommand();
        break;
    case CmdMeterSetup:
        MeterSetupCommand();
        break;
    case CmdZoomIn:
    case CmdZoomOut:
    case CmdFitAll:
    case CmdShiftMapLeft:
    case CmdShiftMapUp:
    case CmdShiftMapDown:
    case CmdShiftMapRight:
        RunMapCommand(command);
        break;

    // Settings dialogs.
    case CmdSystemParameters:
        SystemParametersCommand();
        break;
    case CmdSurveyParameters:
        SurveyParametersCommand();
        break;

    // View commands and their dialogs.
    case CmdTransfer:
    case CmdTopOfScaleDown:
    case CmdBottomOfScaleDown:
    case CmdTopOfScaleUp:
    case CmdBottomOfScaleUp:
    case CmdDecayView:
    case CmdProfileView:
    case CmdScale:
    case CmdGpsPortSetup:
    case CmdGpsCoordinates:
    case CmdMapOptions:
    case CmdAttributes:
    case CmdGpsMapType:
        RunViewCommand(command);
        break;

    // Review commands.
    case CmdStartReview:
    case CmdOpenDataFile:
        StartReviewCommand(command);
        break;
    case CmdPreviousRecord:
    case CmdNextRecord:
        StepRecordCommand(command);
        break;
    case CmdExitReview:
        ExitReviewCommand();
        break;
    case CmdPrint:
        PrintCommand();
        break;
    case CmdDisplayComments:
        DisplayCommentsCommand();
        break;
    case CmdManageRecords:
        ManageRecordsCommand();
        break;
    case CmdAutoScale:
        AutoScaleCommand();
        break;
    case CmdEditParameters:
        EditParametersCommand();
        break;
    default:
        break;
    }
}

LRESULT CALLBACK OnCommand(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    const uint32_t msg = message;
    const uint32_t param = static_cast<uint32_t>(wParam);
    // A reading that cannot be read is told once for the whole command.
    const ReviewMessageScope oneMessage;

    // 1. The review controls, while reviewing.
    if (ReviewMode != -1) {
        MainReviewOps ops;
        if (!RouteReviewNotification(msg, param, ops))
            return 0;
    }

    const bool buttonUp = message == WM_LBUTTONUP || message == WM_RBUTTONUP;
    const bool mouse = buttonUp || message == WM_MOUSEMOVE;
    const int32_t x = static_cast<int16_t>(LOWORD(lParam));
    const int32_t y = static_cast<int16_t>(HIWORD(lParam));

    // 2. The hand over the parameter panel.
    if (ReviewMode == -1 && mouse) {
        const bool inPanel = InSummaryPanel(StatusPanelGeometry.SummaryPanelRect, x, y);
        SetCursor(LoadCursorW(nullptr, inPanel ? IDC_HAND : IDC_ARROW));
    }

    // 3. A click on the panel opens its popup: the parameters' while no run owns the board,
    // the test's once the test has finished.
    const BoardRun run = CurrentBoardRun();
    const bool panelFree =
        ReviewMode == -1 && MeasurementRunning == 0 && (run == BoardRun::None || run == BoardRun::InternalTest);
    if (buttonUp && panelFree)
        PopupChoicePending = InternalTestMode > 0 ? TestPanelPopupMenu(x, y) : ParameterPopupMenu(x, y);

    // 4. The popup's choice.
    if (message == WM_COMMAND && panelFree && PopupChoicePending == 1) {
        PopupChoicePending = 0;
        ApplyPopupChoice(static_cast<int32_t>(LOWORD(wParam)));
        if (InternalTestMode == 0)
            SettingsFile(SettingsSave);
    }

    // 5-7. Button, keys, menu.
    const CommandResolution r = ResolveMainCommand(msg, param, GpsMonitorState, HighlightedButton);
    if (r.highlightTo >= 0)
        MoveHighlight(r.highlightFrom, r.highlightTo);

    // 8. The case.
    if (IsMainCommand(r.command) && CommandAllowed(r, HighlightedButton, MainWindowGate()))
        RunMainCommand(r.command);
    // The menu and the buttons show what the state now allows, whichever road led to it.
    ShowOfferedControls();
    return 0;
}
