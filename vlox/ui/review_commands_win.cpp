#include "vlox/ui/review_commands_win.h"

#include "resources/resource.h"
#include "resources/review_ids.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/comments_win.h"
#include "vlox/datafile/editheader.h"
#include "vlox/datafile/review_reader_win.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/display/print_win.h"
#include "vlox/display/review_plots_win.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/instruments/meter_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/dialog_fields_win.h"
#include "vlox/ui/enabling_win.h"
#include "vlox/ui/review_dialogs.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"

#include <string>
#include <vector>

namespace {

HWND* const ReviewCombos[] = {&hComboReviewView, &hComboLine,       &hComboStation,
                              &hComboRecord,     &hComboProcessing, &hComboRepetition};

void Invalidate(HWND window)
{
    if (window != nullptr)
        InvalidateRect(window, nullptr, TRUE);
}

void ShowControl(HWND control, bool shown)
{
    if (control != nullptr)
        ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

void ShowCommandButton(int32_t command, bool shown)
{
    ShowButton(ButtonSlotOf(command), shown);
}

void HideReviewCombos()
{
    for (HWND* c : ReviewCombos)
        ShowControl(*c, false);
}

// The live places of the buttons the review screen moves, taken when it moves them.
struct MovedButton {
    int32_t Command;
    RECT Live;
    bool Moved;
};
MovedButton MovedButtons[] = {
    {CmdNextStation, {}, false},
    {CmdNextLine, {}, false},
    {CmdAutoScale, {}, false},
};

void MoveCommandButton(int32_t command, const PaneBox& to)
{
    HWND b = hButtons[ButtonSlotOf(command)];
    if (b == nullptr)
        return;
    for (MovedButton& m : MovedButtons)
        if (m.Command == command && !m.Moved) {
            GetWindowRect(b, &m.Live);
            MapWindowPoints(nullptr, hWndMain, reinterpret_cast<POINT*>(&m.Live), 2);
            m.Moved = true;
        }
    MoveWindow(b, to.x, to.y, to.width, to.height, TRUE);
    ShowWindow(b, SW_SHOW);
}

void PutButtonsBack()
{
    for (MovedButton& m : MovedButtons) {
        if (!m.Moved)
            continue;
        if (HWND b = hButtons[ButtonSlotOf(m.Command)])
            MoveWindow(b, m.Live.left, m.Live.top, m.Live.right - m.Live.left, m.Live.bottom - m.Live.top, TRUE);
        m.Moved = false;
    }
}

void ShowReviewMessage(const char* text, const char* caption)
{
    ShowCommandMessage(hWndMain, text, caption, MB_OK | MB_ICONWARNING);
}

// A file opened for reading only is reviewed; a command that would change it is refused, and
// the operator told why. True when refused.
bool RefusedOnReadOnlyFile()
{
    if (ReviewFileReadOnly == 0)
        return false;
    ShowCommandMessage(hWndMain, ReadOnlyReviewText, FileErrorCaption, MB_OK | MB_ICONWARNING);
    return true;
}

// What the review set-up changes on the live screen before it knows whether a review starts.
struct LiveScreen {
    bool Monitoring = false;
    int32_t DisplayMode = 0;
};

LiveScreen TakeLiveScreen()
{
    return {MonitorRunning(), LiveDisplayMode};
}

// A review that did not start (cancelled, a file refused or holding nothing): the recording
// file is open again at its end, so that storing and the GPS sentences go on into it, and the
// live buttons are as they were.
void ResumeLiveScreen(const LiveScreen& before)
{
    if (ReviewMode != -1)
        return;
    if (DataFileState != 0 && ReopenDataFileAtEnd() == 1)
        DataFileState = 1;
    ShowCommandButton(CmdPause, before.Monitoring);
    ShowCommandButton(CmdMonitor, !before.Monitoring);
    if (DataFileShownOpen())
        EnableButton(ButtonSlotOf(CmdMeasure), before.Monitoring);
    LiveDisplayMode = before.DisplayMode;
}

void RefillRecordControls()
{
    if (hComboRecord != nullptr) {
        SendMessageW(hComboRecord, CB_RESETCONTENT, 0, 0);
        for (int32_t r = 0; r < ReviewRecordCount && r < MaxReviewRecords; ++r) {
            const WideString t = NarrowToWide(TaggedRecordText(ReviewRecordNumbers[r], ReviewRecordTags[r]));
            SendMessageW(hComboRecord, CB_INSERTSTRING, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(t.c_str()));
        }
        SendMessageW(hComboRecord, CB_SETCURSEL, static_cast<WPARAM>(ReviewRecordIndex), 0);
    }
    if (hListRecords != nullptr) {
        for (int32_t r = 0; r < ReviewRecordCount && r < MaxReviewRecords; ++r) {
            const WideString t = NarrowToWide(TaggedRecordText(ReviewRecordNumbers[r], ReviewRecordTags[r]));
            SendMessageW(hListRecords, LB_SETSEL, FALSE, r);
            SendMessageW(hListRecords, LB_DELETESTRING, static_cast<WPARAM>(r), 0);
            SendMessageW(hListRecords, LB_INSERTSTRING, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(t.c_str()));
            if (ReviewRecordTags[r] == 1)
                SendMessageW(hListRecords, LB_SETSEL, TRUE, r);
        }
    }
}

// Steps 3.1 to 3.11 of the review set-up on the file just opened. False when the set-up ended.
bool SetUpReview(int32_t command)
{
    const LiveScreen before = TakeLiveScreen();
    ReviewViewChoice = 0;
    ReviewLineCount = ReviewStationCount = ReviewRecordCount = 0;
    ProcessingChoice = 0;
    for (HWND c : {hComboReviewView, hComboLine, hComboProcessing})
        if (c != nullptr)
            SendMessageW(c, CB_RESETCONTENT, 0, 0);
    ShowCommandButton(CmdPause, false);
    ShowCommandButton(CmdMonitor, true);
    if (ButtonShown(ButtonSlotOf(CmdCloseDataFile)))
        EnableButton(ButtonSlotOf(CmdMeasure), false);
    LiveDisplayMode = 0;

    if (command == CmdStartReview && OpenFileForReview(CmdStartReview) == 0) {
        RestoreLoggingButtons();
        EnableMenusForReview(ReviewOff);
        ResumeLiveScreen(before);
        return false;
    }

    ReviewMode = 0;
    ResetReviewTables();
    ResetReviewSelection();
    HandleFile f = ReviewRecordFile();
    FileMessage msg;
    if (ReadFileHeader(f, msg) == 0)
        ReportReviewMessage(msg);
    IndexLines(f);
    FillLineList();
    if (CheckReviewContents(1) == 0) {
        RestoreLoggingButtons();
        ResumeLiveScreen(before);
        return false;
    }
    // The review map fits the file's lines and stations.
    ScanFileMapExtents(ReviewFile);
    SendMessageW(hComboLine, CB_SETCURSEL, 0, 0);
    ReadLineStationsOf(0);
    FillStationList();
    if (CheckReviewContents(2) == 0) {
        RestoreLoggingButtons();
        ResumeLiveScreen(before);
        return false;
    }
    ReadStationRecordsOf(0);
    FillRecordList();
    if (CheckReviewContents(3) == 0) {
        RestoreLoggingButtons();
        ResumeLiveScreen(before);
        return false;
    }
    if (hComboReviewView != nullptr) {
        SendMessageW(hComboReviewView, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"Decay"));
        SendMessageW(hComboReviewView, CB_INSERTSTRING, 1, reinterpret_cast<LPARAM>(L"Profiles"));
        SendMessageW(hComboReviewView, CB_SETCURSEL, 0, 0);
    }
    FillProcessingList();
    FillRepetitionList();

    for (int32_t c : {CmdCreateDataFile, CmdCloseDataFile, CmdMonitor, CmdPause, CmdMeasure, CmdEnterComment})
        ShowCommandButton(c, false);
    MoveCommandButton(CmdNextStation, MainScreenLayout.ReviewNextStation);
    MoveCommandButton(CmdNextLine, MainScreenLayout.ReviewNextLine);
    // Print, the comments and Manage Records are reached by their buttons too while reviewing.
    for (int32_t c : {CmdPreviousRecord, CmdNextRecord, CmdPreviousStation, CmdPreviousLine, CmdOpenDataFile,
                      CmdExitReview, CmdPrint, CmdDisplayComments, CmdManageRecords})
        ShowCommandButton(c, true);
    if (ReviewTestMode == 0) {
        ShowControl(hComboReviewView, true);
        ShowControl(hComboRepetition, true);
        if (hComboRepetition != nullptr)
            EnableWindow(hComboRepetition, FALSE);
    }
    for (HWND c : {hComboLine, hComboStation, hComboRecord, hComboProcessing})
        ShowControl(c, true);
    MoveCommandButton(CmdAutoScale, MainScreenLayout.ReviewAutoScale);

    // The file's first reading is the one shown.
    ShowReviewPlaceOnScreen(0, 0, 0);
    ClearDisplayArea(0);
    DrawFileStateField(hWndMain);
    Invalidate(hWndMain);
    UpdateWindow(hWndMain);
    DrawReviewDecay(true);
    DrawReviewNumbers();
    DrawMapSizeField(hWndMain);
    return true;
}

}  // namespace

int32_t OpenFileForReview(int32_t command)
{
    SetDataFileAside();
    if (DataFileState == 1) {
        const int answer = ShowCommandMessage(hWndMain, "Press Yes to review current file, No to choose from the list",
                                              "REVIEW", MB_YESNOCANCEL);
        if (answer == IDYES) {
            if (OpenReviewFileAt(DataFileWidePath) == 0)
                return 0;
            ReviewFileTitle = std::wstring(NarrowToWide(DataFileTitle)) + L".VLX";
            ReviewSource = 0;
            DataFileState = 2;
            return 1;
        }
        if (answer == IDNO) {
            SuspendGpsReader();
            const int32_t chosen = ChooseReviewFile(hWndMain);
            ResumeGpsReader();
            if (chosen == 1) {
                SettingsFile(SettingsSave);
                ReviewSource = 1;
                DataFileState = 2;
                return 1;
            }
        }
        ClearDisplayArea(0);
        Invalidate(hWndCurve);
        return 0;
    }
    // No current data file: a review file open is set aside until another is chosen.
    const std::wstring previousPath = ReviewFile != INVALID_HANDLE_VALUE ? ReviewFilePath : std::wstring();
    const std::wstring previousTitle = ReviewFileTitle;
    int64_t previousPosition = 0;
    if (ReviewFile != INVALID_HANDLE_VALUE) {
        HandleFile f = ReviewRecordFile();
        previousPosition = f.Tell();
        CloseReviewFile();
    }
    SuspendGpsReader();
    const int32_t chosen = ChooseReviewFile(hWndMain);
    ResumeGpsReader();
    if (chosen == 1) {
        SettingsFile(SettingsSave);
        ReviewSource = 1;
        return 1;
    }
    if (command == CmdOpenDataFile && !previousPath.empty() && OpenReviewFileAt(previousPath) == 1) {
        ReviewFileTitle = previousTitle;
        HandleFile f = ReviewRecordFile();
        f.Seek(previousPosition);
    } else {
        ClearDisplayArea(0);
        Invalidate(hWndCurve);
    }
    return 0;
}

int32_t CheckReviewContents(int32_t level)
{
    const char* text = nullptr;
    if (level == 1 && ReviewLineCount == 0)
        text = "No lines in selected file. Exit of Review Mode";
    else if (level == 2 && ReviewStationCount == 0)
        text = "No stations for selected line. Exit of Review Mode";
    else if (level == 3 && ReviewRecordCount == 0)
        text = "No records for selected station. Exit of Review Mode";
    if (text == nullptr)
        return 1;
    ShowReviewMessage(text, "WARNING");
    // Back to the live screen whole: the data file set aside is reopened, the buttons and
    // the review controls go, as Exit Review does.
    ShowRecordList(0);
    EnableMenusForReview(ReviewOff);
    LeaveReviewMode();
    return 0;
}

void LeaveReviewMode()
{
    ReviewMode = -1;
    ReviewMapFile = INVALID_HANDLE_VALUE;
    CloseReviewFile();
    if (DataFileState != 0) {
        ReopenDataFileAtEnd();
        DataFileState = 1;
    }
    ReviewSource = -1;
    HideReviewCombos();
    for (int32_t c : {CmdPreviousStation, CmdPreviousLine, CmdPreviousRecord, CmdNextRecord, CmdExitReview, CmdPrint,
                      CmdDisplayComments, CmdOpenDataFile, CmdManageRecords})
        ShowCommandButton(c, false);
    PutButtonsBack();
    for (int32_t c : {CmdNextStation, CmdNextLine, CmdAutoScale, CmdMeasure, CmdMonitor, CmdEnterComment})
        ShowCommandButton(c, true);
    const bool open = DataFile != INVALID_HANDLE_VALUE;
    ShowCommandButton(open ? CmdCloseDataFile : CmdCreateDataFile, true);
    ShowCommandButton(open ? CmdCreateDataFile : CmdCloseDataFile, false);
    EnableButton(ButtonSlotOf(CmdEnterComment), open);
    ClearDisplayArea(0);
    RestartProfileStrip();
    CurveBackgroundSaved = 0;
    // The live gate tables again (the review changed the time axes).
    BuildGateTables();
    ComputeCurveScale();
    DrawLineNumberField(hWndMain);
    DrawLineDirectionField(hWndMain);
    DrawStationField(hWndMain);
    DrawRecordNumberField(hWndMain);
    Invalidate(hWndMain);
    Invalidate(hWndCurve);
    Invalidate(hWndNumbers);
}

void StartReviewCommand(int32_t command)
{
    // While a review is shown Start Review does nothing: "New File" opens another file.
    if (command == CmdStartReview && ReviewMode != -1)
        return;
    if (ButtonShown(ButtonSlotOf(CmdRepeatLastStation))) {
        ShowCommandButton(CmdRepeatLastStation, false);
        RepeatButtonHidden = 1;
    }
    ShowCommandButton(CmdInvert, false);
    MapGpsPlotOn = 0;
    if (Settings.MeterInput == 1) {
        MeterReadingsActive = 0;
        if (hWndMain != nullptr) {
            WindowDc dc(hWndMain);
            const FieldRect& f = MainScreenLayout.MeterTextRect;
            RECT r{f.left, f.top, f.right, f.bottom};
            FillRect(dc.get(), &r, DrawingObjects.WhiteBrush);
        }
    }
    ClearDisplayArea(1);
    if (command == CmdOpenDataFile) {
        const LiveScreen before = TakeLiveScreen();
        if (OpenFileForReview(CmdOpenDataFile) == 0) {
            // A review shown goes on with its file.
            if (ReviewMode == -1) {
                RestoreLoggingButtons();
                ResumeLiveScreen(before);
            }
            return;
        }
        ReviewMode = -1;
        ShowRecordList(0);
        EnableMenusForReview(ReviewOn);
    } else {
        EnableMenusForReview(ReviewOn);
    }
    SetUpReview(command);
}

void StepRecordCommand(int32_t command)
{
    StepReviewRecordOnScreen(command == CmdNextRecord);
}

void ExitReviewCommand()
{
    RestoreLoggingButtons();
    ShowRecordList(0);
    EnableMenusForReview(ReviewOff);
    LeaveReviewMode();
}

// The reading shown could not be read: the command meant for it is refused with the reader's
// message (read again, so that it says why). True when refused.
bool RefusedOnUnreadReading()
{
    if (ReviewShownRead == 1)
        return false;
    HandleFile f = ReviewRecordFile();
    FileMessage msg;
    if (SeekPastReading(f, ReviewShownOffset, msg) == 1 || msg.Text.empty())
        msg = {"The reading shown could not be read. Choose it again.", FileErrorCaption};
    ReportReviewMessage(msg);
    return true;
}

void PrintCommand()
{
    if (ReviewMode == -1 || RefusedOnUnreadReading())
        return;
    PrintPage(hWndMain);
    UpdateWindow(hWndMain);
    UpdateWindow(hWndCurve);
}

void DisplayCommentsCommand()
{
    if (ReviewMode == -1 || RefusedOnUnreadReading())
        return;
    // The comments are those of the reading shown, of its station and its line, read again:
    // the reads that drawing and averaging did since leave them alone, and the dialog writes
    // where they stand now.
    {
        HandleFile f = ReviewRecordFile();
        FileMessage msg;
        if (ReviewShownOffset < 0 || ReadCommentsOfReading(f, ReviewShownOffset, msg) == 0) {
            ReportReviewMessage(msg);
            return;
        }
    }
    CommentsViewRequest request;
    request.ReviewFile = ReviewFile;
    request.ReviewFileTitle = ReviewFileTitle;
    request.ReviewLineNumber = ReviewLineNumber;
    request.ReviewStationNumber = ReviewStationNumber;
    request.ReviewRecordNumber = ReviewRecordNumber;
    request.ReadOnly = ReviewFileReadOnly;
    ShowCommentsViewDialog(hWndMain, request);
}

void ManageRecordsCommand()
{
    if (ReviewMode == -1 || RefusedOnReadOnlyFile() || RefusedOnUnreadReading())
        return;
    if (DialogBoxParamW(hInstance, L"TAGRECORDS", hWndMain, ManageRecordsDlgProc, 0) == 1) {
        HandleFile f = ReviewRecordFile();
        FileMessage msg;
        RewriteRecordTags(f, ReviewRecordOffsets, ReviewRecordTags, ReviewRecordCount, msg);
        ReportReviewMessage(msg);
        // The profile view stays: it is read again with the new tags, as a choice of it would,
        // and moves on where the reading or station shown is no longer listed.
        if (ReviewMode == 1) {
            ShowProfileAgainOnScreen();
            return;
        }
        RefillRecordControls();
        // The reading shown stays, with its new tag.
        ShowReviewPlaceOnScreen(ReviewLineIndex, ReviewStationIndex, ReviewRecordIndex);
        if (ProcessingChoice >= 0 && ProcessingChoice <= 3) {
            ClearDisplayArea(0);
            DrawReviewDecay(true);
        }
    }
    Invalidate(hWndMap);
}

void AutoScaleCommand()
{
    AutoScaleReview();
    ClearDisplayArea(0);
    if (ReviewMode == 0) {
        DrawReviewDecay(true);
    } else if (ReviewMode == 1) {
        DrawProfilePlot();
        SaveProfileCursorColumn(ReviewStationIndex);
        DrawProfileCursor(ReviewStationIndex);
    } else {
        ComputeCurveScale();
        CurveBackgroundSaved = 0;
        if (Settings.GraphView == 1)
            RedrawProfileFromFile();
    }
}

void EditParametersCommand()
{
    // The dialog opens filled with the reading shown: one that could not be read is refused
    // before it.
    if (ReviewMode == -1 || RefusedOnReadOnlyFile() || RefusedOnUnreadReading())
        return;
    // Cancel changes nothing, on the screen neither.
    if (DialogBoxParamW(hInstance, L"EDITHEADER", hWndMain, EditHeaderDlgProc, 0) != 1)
        return;
    // The edit lands on the reading shown, whichever view and list it came from.
    HandleFile f = ReviewRecordFile();
    FileMessage msg;
    if (SeekPastReading(f, ReviewShownOffset, msg) == 0) {
        ReportReviewMessage(msg);
        return;
    }
    EditHeader(ReviewFile);
    // The view as it was, drawn again from the edited file.
    if (ReviewMode == 1) {
        ShowProfileAgainOnScreen();
        return;
    }
    const int32_t shown = EntryOfOffset(ReviewRecordOffsets, ReviewRecordCount, ReviewShownOffset);
    ShowReviewPlaceOnScreen(ReviewLineIndex, ReviewStationIndex, shown >= 0 ? shown : ReviewRecordIndex);
    ClearDisplayArea(0);
    DrawReviewDecay(false);
}

// ---------------------------------------------------------------------------------------
// The dialogs.

namespace {

int32_t WorkingTags[MaxReviewRecords];

void FillTagList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_TAG_RECORD_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int32_t r = 0; r < ReviewRecordCount && r < MaxReviewRecords; ++r) {
        const WideString t = NarrowToWide(TagListText(ReviewRecordNumbers[r], WorkingTags[r]));
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    }
}

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

int32_t EditRange = 0;

}  // namespace

INT_PTR CALLBACK ManageRecordsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, IDC_EXCLUDE_RECORD_MODE, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_INCLUDE_RECORD_MODE, BST_UNCHECKED);
        for (int32_t r = 0; r < ReviewRecordCount && r < MaxReviewRecords; ++r)
            WorkingTags[r] = ReviewRecordTags[r];
        FillTagList(dialog);
        SetDlgItemTextW(dialog, IDC_TAG_LINE_VALUE, NarrowToWide(StationListText(ReviewLineNumber)).c_str());
        SetDlgItemTextW(dialog, IDC_TAG_STATION_VALUE, NarrowToWide(StationListText(ReviewStationNumber)).c_str());
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDC_EXCLUDE_RECORD_MODE || id == IDC_INCLUDE_RECORD_MODE) {
            const int other = id == IDC_EXCLUDE_RECORD_MODE ? IDC_INCLUDE_RECORD_MODE : IDC_EXCLUDE_RECORD_MODE;
            if (Checked(dialog, id))
                CheckDlgButton(dialog, other, BST_UNCHECKED);
            EnableWindow(GetDlgItem(dialog, other), Checked(dialog, id) ? FALSE : TRUE);
            return TRUE;
        }
        if (id == IDC_TAG_RECORD_LIST) {
            const int32_t sel =
                static_cast<int32_t>(SendDlgItemMessageW(dialog, IDC_TAG_RECORD_LIST, LB_GETCURSEL, 0, 0));
            if (ApplyTagClick(WorkingTags, ReviewRecordCount, sel, Checked(dialog, IDC_EXCLUDE_RECORD_MODE),
                              Checked(dialog, IDC_INCLUDE_RECORD_MODE)))
                FillTagList(dialog);
            return TRUE;
        }
        if (id == IDOK) {
            ApplyManageRecordsOk(WorkingTags, ReviewRecordTags, ReviewRecordCount);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK EditHeaderDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    static ShownNumber shownCurrent, shownTurnOff;
    HeaderEditRequestData& q = HeaderEditRequest;
    switch (message) {
    case WM_INITDIALOG: {
        q.TxCurrent = ReviewReading.TxCurrent;
        q.TurnOffTimeUs = ReviewReading.TurnOffTimeUs;
        q.CoilType = ReviewReading.CoilType;
        shownCurrent = SetFieldNumber(dialog, IDC_EDIT_TX_CURRENT, q.TxCurrent, 2);
        shownTurnOff = SetFieldNumber(dialog, IDC_EDIT_TURN_OFF_TIME, q.TurnOffTimeUs, 2);
        HWND coil = GetDlgItem(dialog, IDC_EDIT_COIL_TYPE);
        for (int32_t i = 0; i < CoilTypeCount; ++i)
            SendMessageW(coil, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(CoilTypeNames[i]));
        SendMessageW(coil, CB_SETCURSEL, static_cast<WPARAM>(q.CoilType), 0);
        EditRange = q.Range >= 0 && q.Range <= 2 ? q.Range : 0;
        CheckRadioButton(dialog, IDC_EDIT_RANGE_CURRENT, IDC_EDIT_RANGE_ALL, IDC_EDIT_RANGE_CURRENT + EditRange);
        CheckDlgButton(dialog, IDC_EDIT_UPDATE_CURRENT, q.UpdateCurrent ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_EDIT_UPDATE_TURN_OFF, q.UpdateTurnOffTime ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_EDIT_UPDATE_COIL_TYPE, q.UpdateCoilType ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_EDIT_CHANGE_POLARITY, BST_UNCHECKED);
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= IDC_EDIT_RANGE_CURRENT && id <= IDC_EDIT_RANGE_ALL) {
            EditRange = id - IDC_EDIT_RANGE_CURRENT;
            return TRUE;
        }
        if (id == IDOK) {
            FieldsAtOk ok{dialog};
            const double current = TakeKeptFieldNumber(ok, IDC_EDIT_TX_CURRENT, "TX Current", shownCurrent);
            const double turnOff = TakeKeptFieldNumber(ok, IDC_EDIT_TURN_OFF_TIME, "Turn Off Time", shownTurnOff);
            if (RefuseField(dialog, ok.Refusal, "Edit Selected Parameters"))
                return TRUE;
            q.Range = EditRange;
            q.TxCurrent = current;
            q.TurnOffTimeUs = turnOff;
            const int32_t coil =
                static_cast<int32_t>(SendDlgItemMessageW(dialog, IDC_EDIT_COIL_TYPE, CB_GETCURSEL, 0, 0));
            if (coil >= 0 && coil < CoilTypeCount)
                q.CoilType = coil;
            q.UpdateCurrent = Checked(dialog, IDC_EDIT_UPDATE_CURRENT) ? 1 : 0;
            q.UpdateTurnOffTime = Checked(dialog, IDC_EDIT_UPDATE_TURN_OFF) ? 1 : 0;
            q.UpdateCoilType = Checked(dialog, IDC_EDIT_UPDATE_COIL_TYPE) ? 1 : 0;
            q.ChangePolarity = Checked(dialog, IDC_EDIT_CHANGE_POLARITY) ? 1 : 0;
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}
