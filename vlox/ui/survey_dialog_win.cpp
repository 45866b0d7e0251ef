#include "vlox/ui/survey_dialog_win.h"

#include "resources/acquisition_ids.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/ui/acquisition_dialogs_win.h"
#include "vlox/ui/acquisition_settings.h"
#include "vlox/ui/dialog_fields_win.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"
#include "vlox/ui/survey_dialog.h"

#include <string>

namespace {

SurveyDialogModel Model;
bool Initialising = false;
// The OK moved the line or the station away from the last stored ones.
bool MovedAtOk = false;
ShownNumber LoopShown[LoopFieldCount];

const char Caption[] = "Survey Parameters";

void Show(HWND dialog, int id, bool show)
{
    ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

void Enable(HWND dialog, int id, bool on)
{
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

void FillList(HWND dialog, int id, const std::vector<WideString>& texts, int32_t selection)
{
    HWND list = GetDlgItem(dialog, id);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const WideString& t : texts)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

int32_t Selection(HWND dialog, int id)
{
    const LRESULT s = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    return s < 0 ? 0 : static_cast<int32_t>(s);
}

void EnableUtmZoneControls(HWND dialog, int32_t type)
{
    Enable(dialog, IDC_SURVEY_ZONE, type != 0);
    Enable(dialog, IDC_SURVEY_HEMISPHERE, type != 0);
}

void ShowGpsCoordinateControls(HWND dialog, bool show)
{
    for (int id : {IDC_SURVEY_CORNER_TYPE_LABEL, IDC_SURVEY_CORNER_TYPE, IDC_SURVEY_ZONE_LABEL, IDC_SURVEY_ZONE,
                   IDC_SURVEY_HEMISPHERE, IDC_SURVEY_DATUM_LABEL})
        Show(dialog, id, show);
    Show(dialog, IDC_SURVEY_LOOP_HINT, !show);
}

// Shows the loop rows of a shape with their values, as choosing its radio does.
void ShowLoopGroup(HWND dialog, int32_t shape)
{
    Model.Shape = shape;
    const LoopGroupView v = LoopGroup(Settings, shape, Model.CoordinateType);
    for (int i = 0; i < LoopFieldCount; ++i) {
        Show(dialog, IDC_SURVEY_LOOP_FIELD1 + i, v.FieldVisible[i]);
        Show(dialog, IDC_SURVEY_XY_LABEL1 + i, v.XyLabelVisible[i]);
        LoopShown[i] = SetFieldNumber(dialog, IDC_SURVEY_LOOP_FIELD1 + i, v.Value[i], v.Decimals);
    }
    for (int r = 0; r < 4; ++r) {
        Show(dialog, IDC_SURVEY_ROW_LABEL1 + r, v.RowLabelVisible[r]);
        SetFieldText(dialog, IDC_SURVEY_ROW_LABEL1 + r, NarrowToWide(v.RowLabel[r]));
    }
    SetFieldText(dialog, IDC_SURVEY_LOOP_HINT, NarrowToWide(v.Hint));
    if (shape == 3) {
        FillList(dialog, IDC_SURVEY_CORNER_TYPE, CornerTypeTexts(), Model.CoordinateType);
        FillList(dialog, IDC_SURVEY_ZONE, UtmZoneTexts(), Settings.TxCornerUtmZone - 1);
        FillList(dialog, IDC_SURVEY_HEMISPHERE, HemisphereTexts(), Settings.TxCornerHemisphere);
        ShowGpsCoordinateControls(dialog, true);
        EnableUtmZoneControls(dialog, Model.CoordinateType);
    } else {
        ShowGpsCoordinateControls(dialog, false);
    }
}

// The centre follows the receiver in Central Loop Soundings.
void FollowReceiver(HWND dialog)
{
    if (Model.Configuration != 0)
        return;
    PlaceLoopCentre(Settings, Model);
    ShowLoopGroup(dialog, Model.Shape);
}

void ApplyConfiguration(HWND dialog)
{
    Enable(dialog, IDC_SURVEY_OTHER, Model.Configuration == 1);
    Enable(dialog, IDC_SURVEY_LOOP_FIELD1 + 2, Model.Configuration != 0);
    Enable(dialog, IDC_SURVEY_LOOP_FIELD1 + 3, Model.Configuration != 0);
    FollowReceiver(dialog);
}

void Initialise(HWND dialog)
{
    const SettingsValues& s = Settings;
    Model = OpenSurveyDialog(s, CurrentStation);
    SendDlgItemMessageW(dialog, IDC_SURVEY_OPERATOR, EM_LIMITTEXT, 25, 0);
    SetFieldText(dialog, IDC_SURVEY_OPERATOR, s.OperatorName.substr(0, 25));
    SetFieldNumber(dialog, IDC_SURVEY_LINE, Model.Line, 2);
    SetFieldNumber(dialog, IDC_SURVEY_LINE_INCR, Model.LineIncrement, 2);
    CheckRadioButton(dialog, IDC_SURVEY_DIR_N, IDC_SURVEY_DIR_W, IDC_SURVEY_DIR_N + Model.Direction);
    CheckRadioButton(dialog, IDC_SURVEY_ALTERNATE, IDC_SURVEY_ONE_WAY, IDC_SURVEY_ALTERNATE + Model.Sequence);
    SetFieldNumber(dialog, IDC_SURVEY_START_STATION, Model.StartStation, 2);
    SetFieldNumber(dialog, IDC_SURVEY_STATION_INCR, Model.StationIncrement, 2);
    CheckRadioButton(dialog, IDC_SURVEY_SQUARE, IDC_SURVEY_GPS_CORNERS, IDC_SURVEY_SQUARE + Model.Shape);
    ShowLoopGroup(dialog, Model.Shape);
    CheckRadioButton(dialog, IDC_SURVEY_CENTRAL_LOOP, IDC_SURVEY_SLINGRAM,
                     IDC_SURVEY_CENTRAL_LOOP + Model.Configuration);
    ApplyConfiguration(dialog);
    CheckRadioButton(dialog, IDC_SURVEY_50HZ, IDC_SURVEY_60HZ, IDC_SURVEY_50HZ + Model.Mains);
    const bool fileOpen = DataFile != INVALID_HANDLE_VALUE && DataFile != nullptr;
    Enable(dialog, IDC_SURVEY_50HZ, !fileOpen);
    Enable(dialog, IDC_SURVEY_60HZ, !fileOpen);
}

void OnIncrementField(HWND dialog, int id, double& copy)
{
    if (IncrementFromText(GetFieldText(dialog, id), copy))
        SetFieldNumber(dialog, id, copy, 2);
}

// A line or station typed: its copy follows while the text is a number.
void OnPositionField(HWND dialog, int id, double& copy)
{
    double value = 0.0;
    if (ReadFieldNumber(GetFieldText(dialog, id), value) != FieldRead::Number)
        return;
    copy = value;
    FollowReceiver(dialog);
}

void OnSpin(HWND dialog, HWND bar, int code)
{
    const int32_t d = code == SB_LINEUP ? 1 : code == SB_LINEDOWN ? -1 : 0;
    if (code == SB_ENDSCROLL)
        DelayMs(100);
    if (d == 0)
        return;
    // Rewriting a field runs its own handler, as typing does.
    switch (GetDlgCtrlID(bar)) {
    case IDC_SURVEY_STATION_SPIN:
        SpinStartStation(Model, d);
        SetFieldNumber(dialog, IDC_SURVEY_START_STATION, Model.StartStation, 2);
        break;
    case IDC_SURVEY_STATION_INCR_SPIN:
        SpinStationIncrement(Model, d);
        SetFieldNumber(dialog, IDC_SURVEY_STATION_INCR, Model.StationIncrement, 2);
        break;
    case IDC_SURVEY_LINE_SPIN:
        SpinLine(Model, d);
        SetFieldNumber(dialog, IDC_SURVEY_LINE, Model.Line, 2);
        break;
    case IDC_SURVEY_LINE_INCR_SPIN:
        SpinLineIncrement(Model, d);
        SetFieldNumber(dialog, IDC_SURVEY_LINE_INCR, Model.LineIncrement, 2);
        break;
    default:
        break;
    }
}

void Ok(HWND dialog)
{
    // Every number field the OK reads must hold a number: the first that does not is named.
    FieldsAtOk ok{dialog};
    // The line and station copies follow their fields whenever these hold a number (typed or
    // spun; an untouched field keeps the value it opened with): here the fields are only
    // made sure to hold one.
    TakeFieldNumber(ok, IDC_SURVEY_LINE, "Survey Line");
    TakeFieldNumber(ok, IDC_SURVEY_LINE_INCR, "Line Incr.");
    TakeFieldNumber(ok, IDC_SURVEY_START_STATION, "Start Station");
    TakeFieldNumber(ok, IDC_SURVEY_STATION_INCR, "Station Incr.");
    SurveyDialogEntries e;
    e.OperatorName = GetFieldText(dialog, IDC_SURVEY_OPERATOR);
    const LoopGroupView group = LoopGroup(Settings, Model.Shape, Model.CoordinateType);
    for (int i = 0; i < LoopFieldCount; ++i)
        e.Loop[i] = TakeKeptFieldNumber(ok, IDC_SURVEY_LOOP_FIELD1 + i, LoopFieldName(group, i), LoopShown[i]);
    if (RefuseField(dialog, ok.Refusal, Caption))
        return;
    e.CornerType = Model.Shape == 3 ? Selection(dialog, IDC_SURVEY_CORNER_TYPE) : Settings.TxCornerCoordinateType;
    e.Zone = Model.Shape == 3 ? Selection(dialog, IDC_SURVEY_ZONE) : Settings.TxCornerUtmZone - 1;
    e.Hemisphere = Model.Shape == 3 ? Selection(dialog, IDC_SURVEY_HEMISPHERE) : Settings.TxCornerHemisphere;
    bool moved = false;
    int32_t line = 0;
    const SurveyOkOutcome outcome = SurveyDialogOk(Model, e, moved, &line);
    if (ShowLoopRefusal(dialog, outcome, SurveyRefusalOfLine(Settings, Model, line, FieldRefusalKind::OutOfRange),
                        Caption))
        return;
    if (moved && Settings.SurveyMode == 0) {
        // The next fix is plotted afresh.
        MapGpsPlotOn = 1;
        MapCrossBoxSaved = 0;
    }
    MovedAtOk = moved;
    EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_SURVEY_LINE:
        if (code == EN_CHANGE)
            OnPositionField(dialog, id, Model.Line);
        break;
    case IDC_SURVEY_START_STATION:
        if (code == EN_CHANGE)
            OnPositionField(dialog, id, Model.StartStation);
        break;
    case IDC_SURVEY_LINE_INCR:
        if (code == EN_CHANGE)
            OnIncrementField(dialog, id, Model.LineIncrement);
        break;
    case IDC_SURVEY_STATION_INCR:
        if (code == EN_CHANGE)
            OnIncrementField(dialog, id, Model.StationIncrement);
        break;
    case IDC_SURVEY_CORNER_TYPE:
        if (code == CBN_SELCHANGE) {
            Model.CoordinateType = Selection(dialog, id);
            EnableUtmZoneControls(dialog, Model.CoordinateType);
        }
        break;
    case IDC_SURVEY_DIR_N:
    case IDC_SURVEY_DIR_S:
    case IDC_SURVEY_DIR_E:
    case IDC_SURVEY_DIR_W:
        Model.Direction = id - IDC_SURVEY_DIR_N;
        FollowReceiver(dialog);
        break;
    case IDC_SURVEY_ALTERNATE:
    case IDC_SURVEY_ONE_WAY:
        Model.Sequence = id - IDC_SURVEY_ALTERNATE;
        break;
    case IDC_SURVEY_50HZ:
    case IDC_SURVEY_60HZ:
        Model.Mains = id - IDC_SURVEY_50HZ;
        break;
    case IDC_SURVEY_CENTRAL_LOOP:
    case IDC_SURVEY_MOVING_RX:
    case IDC_SURVEY_SLINGRAM:
        Model.Configuration = id - IDC_SURVEY_CENTRAL_LOOP;
        ApplyConfiguration(dialog);
        break;
    case IDC_SURVEY_SQUARE:
    case IDC_SURVEY_RECTANGLE:
    case IDC_SURVEY_OTHER:
    case IDC_SURVEY_GPS_CORNERS:
        ShowLoopGroup(dialog, id - IDC_SURVEY_SQUARE);
        break;
    default:
        break;
    }
}

void RestoreMap()
{
    if (MapLayoutMode == 1)
        PreserveMapBackground(1);
    else if (MapLayoutMode == 2 && hWndMap != nullptr)
        InvalidateRect(hWndMap, nullptr, TRUE);
}

}  // namespace

bool ShowLoopRefusal(HWND dialog, SurveyOkOutcome outcome, FieldRefusal field, const char* caption)
{
    switch (outcome) {
    case SurveyOkAreaRefused:
        DialogMessage(dialog, NarrowToWide(std::string(SurveyAreaRefusal)), SurveyAreaCaption,
                      MB_OK | MB_ICONEXCLAMATION);
        return true;
    case SurveyOkCornerRefused:
        field.Kind = FieldRefusalKind::OutOfRange;
        field.Why = SurveyCornerRefusal;
        return RefuseField(dialog, field, SurveyAreaCaption);
    case SurveyOkTooWideRefused:
        field.Kind = FieldRefusalKind::TooWide;
        return RefuseField(dialog, field, caption);
    case SurveyOkOutOfRangeRefused:
        field.Kind = FieldRefusalKind::OutOfRange;
        return RefuseField(dialog, field, caption);
    default:
        return false;
    }
}

INT_PTR CALLBACK SurveyParametersDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        // Filling the fields raises their notifications: none may run a handler.
        Initialising = true;
        Initialise(dialog);
        Initialising = false;
        return TRUE;
    case WM_VSCROLL:
        if (!Initialising)
            OnSpin(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return TRUE;
    case WM_COMMAND:
        if (Initialising)
            return TRUE;
        switch (LOWORD(wParam)) {
        case IDOK:
            Ok(dialog);
            return TRUE;
        case IDCANCEL:
            // The centre is the only setting the open dialog writes.
            Settings.TxCentreX = Model.CentreXAtOpening;
            Settings.TxCentreY = Model.CentreYAtOpening;
            EndDialog(dialog, 0);
            return TRUE;
        default:
            OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        }
    default:
        break;
    }
    return FALSE;
}

void SurveyParametersCommand()
{
    if (MapLayoutMode == 1)
        PreserveMapBackground(0);
    MovedAtOk = false;
    if (OpenSettingsDialog(L"NEWSURVEY", SurveyParametersDlgProc) == 1) {
        if (Settings.GraphView == 1) {
            RestartProfileStrip();
            ClearDisplayArea(0);
            if (hWndCurve != nullptr)
                InvalidateRect(hWndCurve, nullptr, TRUE);
        }
        DrawLineNumberField(hWndMain);
        DrawLineDirectionField(hWndMain);
        DrawStationField(hWndMain);
        RestoreMap();
        // Moved to another line or station: the station left keeps its marker on the map, in
        // either survey mode (drawn over the map put back, not under it).
        if (MovedAtOk)
            DrawLeftStationMarker();
        SettingsFile(SettingsSave);
        RestartAcquisitionIfOpen();
    } else {
        RestoreMap();
    }
}
