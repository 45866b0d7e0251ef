#include "vlox/ui/system_dialog_win.h"

#include "resources/acquisition_ids.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/acquisition_dialogs_win.h"
#include "vlox/ui/acquisition_settings.h"
#include "vlox/ui/dialog_fields_win.h"
#include "vlox/ui/enabling_win.h"
#include "vlox/ui/status_strip_win.h"
#include "vlox/ui/system_dialog.h"

#include <string>

namespace {

SystemDialogModel Model;
bool Initialising = false;
ShownNumber ShownFirstGate, ShownDelay, ShownCurrent, ShownTurnOff;

const int GainRowFirst[3] = {IDC_SYS_GAIN_Z1, IDC_SYS_GAIN_X1, IDC_SYS_GAIN_Y1};

const char Caption[] = "System Parameters";

void FillList(HWND dialog, int id, int32_t list, int32_t selection)
{
    HWND control = GetDlgItem(dialog, id);
    SendMessageW(control, CB_RESETCONTENT, 0, 0);
    for (const WideString& text : SystemListTexts(list, Settings.PowerLineFrequency))
        SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

int32_t Selection(HWND dialog, int id)
{
    const LRESULT s = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    return s < 0 ? 0 : static_cast<int32_t>(s);
}

void Enable(HWND dialog, int id, bool on)
{
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

// Every enabled state, the hint and the radio marks from the working copies.
void ApplyControls(HWND dialog)
{
    const SystemControlState c = SystemControls(Model);
    Enable(dialog, IDC_SYS_RATE, c.RateList);
    Enable(dialog, IDC_SYS_GATES20, c.GateRadios);
    Enable(dialog, IDC_SYS_GATES30, c.Gate30);
    Enable(dialog, IDC_SYS_GATES_USER, c.GateRadios);
    Enable(dialog, IDC_SYS_FIRST_GATE, c.UserGateFields);
    Enable(dialog, IDC_SYS_USER_GATES, c.UserGateFields);
    Enable(dialog, IDC_SYS_TWOFREQ, c.TwoFrequencyCheck);
    for (int id : {IDC_SYS_FIRST_RATE, IDC_SYS_SECOND_RATE, IDC_SYS_FIRST_GAIN, IDC_SYS_SECOND_GAIN})
        Enable(dialog, id, c.TwoFrequencyLists);
    ShowWindow(GetDlgItem(dialog, IDC_SYS_TWOFREQ_HINT), c.Hint ? SW_SHOW : SW_HIDE);
    Enable(dialog, IDC_SYS_MANUAL, c.SurveyRadios);
    Enable(dialog, IDC_SYS_AUTO, c.SurveyRadios);
    Enable(dialog, IDC_SYS_AUTO_INTERVAL, c.AutoTriggerList);
    Enable(dialog, IDC_SYS_RX_DELAY, c.ReceiverDelay);
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 7; ++i)
            Enable(dialog, GainRowFirst[row] + i, c.GainRow == row);
    CheckRadioButton(dialog, IDC_SYS_GATES20, IDC_SYS_GATES_USER, IDC_SYS_GATES20 + Model.GateSet);
    CheckRadioButton(dialog, IDC_SYS_MANUAL, IDC_SYS_AUTO, IDC_SYS_MANUAL + Model.Survey);
    CheckRadioButton(dialog, IDC_SYS_ONTIME_NO, IDC_SYS_ONTIME_YES, IDC_SYS_ONTIME_NO + Model.OnTime);
    CheckDlgButton(dialog, IDC_SYS_TWOFREQ, Model.TwoFrequency == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void Initialise(HWND dialog)
{
    const SettingsValues& s = Settings;
    Model = OpenSystemDialog(s, DataFile != INVALID_HANDLE_VALUE && DataFile != nullptr);
    FillList(dialog, IDC_SYS_RATE, SystemListRate, s.RepRateIndex);
    FillList(dialog, IDC_SYS_COIL, SystemListCoil, s.CoilType);
    FillList(dialog, IDC_SYS_RECORDS, SystemListCount, s.RecordCountIndex);
    FillList(dialog, IDC_SYS_PROCESSING, SystemListProcessing, s.ProcessingMethod);
    FillList(dialog, IDC_SYS_AVERAGING, SystemListAveraging, s.AveragingTimeIndex);
    FillList(dialog, IDC_SYS_COMPONENT, SystemListComponent, s.SelectedComponent);
    for (int row = 0; row < 3; ++row)
        CheckRadioButton(dialog, GainRowFirst[row], GainRowFirst[row] + 6, GainRowFirst[row] + Model.Gain[row]);
    ShownFirstGate = SetFieldNumber(dialog, IDC_SYS_FIRST_GATE, s.FirstGateTimeUs, 2);
    FillList(dialog, IDC_SYS_USER_GATES, SystemListCount, s.UserGateCount - 1);
    FillList(dialog, IDC_SYS_FIRST_RATE, SystemListRepetitionChoice, s.FirstRepetitionChoice);
    FillList(dialog, IDC_SYS_SECOND_RATE, SystemListRepetitionChoice, s.SecondRepetitionChoice);
    FillList(dialog, IDC_SYS_FIRST_GAIN, SystemListGain, s.FirstRepetitionGain);
    FillList(dialog, IDC_SYS_SECOND_GAIN, SystemListGain, s.SecondRepetitionGain);
    ShownDelay = SetFieldNumber(dialog, IDC_SYS_RX_DELAY, s.ReceiverDelayUs, 2);
    FillList(dialog, IDC_SYS_TX_TYPE, SystemListTransmitter, s.TransmitterType);
    ShownCurrent = SetFieldNumber(dialog, IDC_SYS_TX_CURRENT, s.TxCurrent, 2);
    ShownTurnOff = SetFieldNumber(dialog, IDC_SYS_TURNOFF, s.TurnOffTimeUs, 2);
    SetFieldCount(dialog, IDC_SYS_TURNS, s.TxTurns);
    FillList(dialog, IDC_SYS_AUTO_INTERVAL, SystemListAutoTrigger, s.AutoTriggerIndex);
    ApplyControls(dialog);
}

void Ok(HWND dialog)
{
    SystemDialogEntries e;
    e.Rate = Selection(dialog, IDC_SYS_RATE);
    e.Coil = Selection(dialog, IDC_SYS_COIL);
    e.Records = Selection(dialog, IDC_SYS_RECORDS);
    e.Processing = Selection(dialog, IDC_SYS_PROCESSING);
    e.Averaging = Selection(dialog, IDC_SYS_AVERAGING);
    e.Component = Selection(dialog, IDC_SYS_COMPONENT);
    e.FirstChoice = Selection(dialog, IDC_SYS_FIRST_RATE);
    e.SecondChoice = Selection(dialog, IDC_SYS_SECOND_RATE);
    e.FirstGain = Selection(dialog, IDC_SYS_FIRST_GAIN);
    e.SecondGain = Selection(dialog, IDC_SYS_SECOND_GAIN);
    e.UserGateCountSelection = Selection(dialog, IDC_SYS_USER_GATES);
    e.Transmitter = Selection(dialog, IDC_SYS_TX_TYPE);
    e.AutoTrigger = Selection(dialog, IDC_SYS_AUTO_INTERVAL);
    FieldsAtOk ok{dialog};
    const DialogField* f = SystemNumberFields;
    e.FirstGateTimeUs = TakeKeptFieldNumber(ok, f[0].Id, f[0].Name, ShownFirstGate);
    e.ReceiverDelayUs = TakeKeptFieldNumber(ok, f[1].Id, f[1].Name, ShownDelay);
    e.TxCurrent = TakeKeptFieldNumber(ok, f[2].Id, f[2].Name, ShownCurrent);
    e.TxTurns = TakeFieldNumber(ok, f[3].Id, f[3].Name);
    e.TurnOffTimeUs = TakeKeptFieldNumber(ok, f[4].Id, f[4].Name, ShownTurnOff);
    if (RefuseField(dialog, ok.Refusal, Caption))
        return;
    const SystemOkResult r = SystemDialogOk(Model, e, SamplePeriodUs, InternalTestMode);
    if (r.Refused) {
        RefuseField(dialog, RefusalOfLine(SystemNumberFields, r.RefusedLine, r.RefusedKind), Caption);
        return;
    }
    if (r.FirstGateKept) {
        FieldRefusal kept = RefusalOfLine(SystemNumberFields, 10, FieldRefusalKind::OutOfRange);
        DialogMessage(dialog, NarrowToWide(kept.Name + ": " + FirstGateKeptText(Settings.FirstGateTimeUs)), Caption,
                      MB_OK | MB_ICONEXCLAMATION);
    }
    if (r.WarnedLimit != 0.0)
        DialogMessage(dialog, TurnOffLimitWarning(r.WarnedLimit), TurnOffLimitCaption, MB_OK | MB_ICONEXCLAMATION);
    EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, int id, int code)
{
    if (id >= GainRowFirst[0] && id < GainRowFirst[2] + 7) {
        const int row = (id - GainRowFirst[0]) / 7;
        Model.Gain[row] = id - GainRowFirst[row];
        return;
    }
    switch (id) {
    case IDC_SYS_RATE:
        if (code == CBN_SELCHANGE)
            SystemRateChosen(Model, Selection(dialog, IDC_SYS_RATE));
        break;
    case IDC_SYS_COMPONENT:
        if (code == CBN_SELCHANGE)
            Model.Component = Selection(dialog, IDC_SYS_COMPONENT);
        break;
    case IDC_SYS_GATES20:
    case IDC_SYS_GATES30:
    case IDC_SYS_GATES_USER:
        SystemGateChosen(Model, id - IDC_SYS_GATES20);
        break;
    case IDC_SYS_ONTIME_NO:
    case IDC_SYS_ONTIME_YES:
        Model.OnTime = id - IDC_SYS_ONTIME_NO;
        break;
    case IDC_SYS_MANUAL:
    case IDC_SYS_AUTO:
        Model.Survey = id - IDC_SYS_MANUAL;
        break;
    case IDC_SYS_TWOFREQ:
        SystemTwoFrequencyToggled(Model, IsDlgButtonChecked(dialog, IDC_SYS_TWOFREQ) == BST_CHECKED);
        break;
    default:
        return;
    }
    ApplyControls(dialog);
}

void RestoreMap()
{
    if (MapLayoutMode == 1)
        PreserveMapBackground(1);
    else if (MapLayoutMode == 2 && hWndMap != nullptr)
        InvalidateRect(hWndMap, nullptr, TRUE);
}

}  // namespace

INT_PTR CALLBACK SystemParametersDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        // Filling the controls raises their notifications: none may run a handler.
        Initialising = true;
        Initialise(dialog);
        Initialising = false;
        return TRUE;
    case WM_COMMAND:
        if (Initialising)
            return TRUE;
        switch (LOWORD(wParam)) {
        case IDOK:
            Ok(dialog);
            return TRUE;
        case IDCANCEL:
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

void SystemParametersCommand()
{
    if (MapLayoutMode == 1)
        PreserveMapBackground(0);
    const int32_t surveyMode = Settings.SurveyMode;
    if (OpenSettingsDialog(L"SYSTEM", SystemParametersDlgProc) == 1) {
        // The strip of the other survey mode is not continued.
        if (Settings.SurveyMode != surveyMode)
            RestartProfileStrip();
        if (Settings.TwoFrequencyMode > 0)
            Settings.TimeAxisLabels = 0;
        ComputeCurveScale();
        CurveBackgroundSaved = 0;
        SettingsFile(SettingsSave);
        if (hWndMain != nullptr)
            InvalidateRect(hWndMain, nullptr, TRUE);
        RestartAcquisitionIfOpen();
    }
    EnableNullingMenus();
    RestoreMap();
}
