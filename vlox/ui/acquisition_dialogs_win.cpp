#include "vlox/ui/acquisition_dialogs_win.h"

#include "resources/acquisition_ids.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/acquisition_settings.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/dialog_fields_win.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"

#include <string>

namespace {

double TurnOffAtOpening = 0.0;

void FillCountList(HWND list, int32_t selection)
{
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const WideString& text : CountListTexts())
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

// The one number of a one-value dialog at OK, or the field named to the operator (the
// dialog stays open): a text that is not a number, or a value too wide for the data file's
// record fields.
bool TakeOneValue(HWND dialog, int id, const char* name, double& value)
{
    FieldsAtOk ok{dialog};
    value = TakeFieldNumber(ok, id, name);
    if (ok.Refusal.Kind == FieldRefusalKind::None && !FitsRecordField(value)) {
        ok.Refusal.Kind = FieldRefusalKind::TooWide;
        ok.Refusal.Id = id;
        ok.Refusal.Name = name;
    }
    return !RefuseField(dialog, ok.Refusal, "Value out of range");
}

class MainPopupHost final : public PopupChoiceHost {
public:
    void PreserveMap(int32_t phase) override { PreserveMapBackground(phase); }
    void RebuildGateTables() override
    {
        BuildGateTables();
        ComputeCurveScale();
    }
    void ClearCurveBackground() override { CurveBackgroundSaved = 0; }
    void InvalidateMain() override
    {
        if (hWndMain != nullptr)
            InvalidateRect(hWndMain, nullptr, TRUE);
    }
    void RestartAcquisition() override { RestartAcquisitionIfOpen(); }
    void Warn(const WideString& text) override
    {
        CommandMessageBox(nullptr, text.c_str(), NarrowToWide(std::string(TurnOffLimitCaption)).c_str(),
                          MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
    }
    void RedrawTestGain(int32_t code) override
    {
        WindowDc dc(hWndMain);
        if (!dc)
            return;
        const FieldRect& r = StatusPanelGeometry.PanelItemRectsLive[PanelRowGain];
        const RECT rect{r.left, r.top, r.right, r.bottom};
        SetBkMode(dc.get(), TRANSPARENT);
        SelectGuard font(dc.get(), hFontBold);
        FillRect(dc.get(), &rect,
                 DrawingObjects.PanelBrush != nullptr ? DrawingObjects.PanelBrush : GetSysColorBrush(COLOR_BTNFACE));
        const WideString text = NarrowToWide(FormatText("%-2d", static_cast<int>(code + 1)));
        TextOutW(dc.get(), r.left, r.top, text.c_str(), static_cast<int>(text.size()));
    }
    void Delay(int32_t ms) override { DelayMs(ms); }
};

void ShowPopupMenu(int32_t menuId, int32_t x, int32_t y, bool bottomAligned)
{
    HMENU menu = LoadMenuW(hInstance != nullptr ? hInstance : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId));
    if (menu == nullptr)
        return;
    POINT pt{x, y};
    ClientToScreen(hWndMain, &pt);
    HMENU popup = GetSubMenu(menu, 0);
    TrackPopupMenu(popup, TPM_LEFTALIGN | (bottomAligned ? TPM_BOTTOMALIGN : TPM_TOPALIGN), pt.x, pt.y, 0, hWndMain,
                   nullptr);
    DestroyMenu(menu);
}

void Invalidate(HWND window)
{
    if (window != nullptr)
        InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

void DialogMessage(HWND dialog, const WideString& text, const char* caption, UINT type)
{
    const WideString wideCaption = NarrowToWide(std::string(caption));
    CommandMessageBox(dialog, text.c_str(), wideCaption.c_str(), type);
}

int32_t OpenSettingsDialog(const wchar_t* name, DLGPROC procedure)
{
    const INT_PTR result =
        DialogBoxParamW(hInstance != nullptr ? hInstance : GetModuleHandleW(nullptr), name, hWndMain, procedure, 0);
    return result == 1 ? 1 : 0;
}

INT_PTR CALLBACK TurnOffTimeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        TurnOffAtOpening = Settings.TurnOffTimeUs;
        SetFieldNumber(dialog, IDC_TURNOFF_VALUE, TurnOffAtOpening, 2);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            double entered = 0.0;
            if (!TakeOneValue(dialog, IDC_TURNOFF_VALUE, "Turn Off Time [us]", entered))
                return TRUE;
            const double refusedLimit = TurnOffDialogOk(entered, TurnOffAtOpening, SamplePeriodUs);
            if (refusedLimit != 0.0)
                DialogMessage(dialog, TurnOffLimitWarning(refusedLimit), TurnOffLimitCaption,
                              MB_OK | MB_ICONEXCLAMATION);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK TxCurrentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetFieldNumber(dialog, IDC_TXCURRENT_VALUE, Settings.TxCurrent, 2);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            double entered = 0.0;
            if (!TakeOneValue(dialog, IDC_TXCURRENT_VALUE, "Tx Current [A]", entered))
                return TRUE;
            TxCurrentDialogOk(entered);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK RecordsPerMeasurementDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillCountList(GetDlgItem(dialog, IDC_RECORDS_LIST), Settings.RecordCountIndex);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            RecordsDialogOk(static_cast<int32_t>(SendDlgItemMessageW(dialog, IDC_RECORDS_LIST, CB_GETCURSEL, 0, 0)));
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

int32_t ParameterPopupMenu(int32_t x, int32_t y)
{
    const int32_t row = PanelRowAt(StatusPanelGeometry, x, y);
    if (row == PanelRowNone)
        return 0;
    const PopupRefusal refusal = PopupRowRefusal(row, Settings.TwoFrequencyMode, Settings.GateSet);
    if (!refusal.Text.empty()) {
        ShowCommandMessage(hWndMain, refusal.Text.c_str(), refusal.Caption.c_str(), MB_OK);
        return 0;
    }
    switch (row) {
    case PanelRowRecords:
        if (OpenSettingsDialog(L"NUMBEROFRECORDS", RecordsPerMeasurementDlgProc) == 1)
            SettingsFile(SettingsSave);
        break;
    case PanelRowTxCurrent:
        if (OpenSettingsDialog(L"TXCURRENT", TxCurrentDlgProc) == 1)
            SettingsFile(SettingsSave);
        break;
    case PanelRowTurnOff:
        // The dialog's OK has recomputed the combined delay and the sample offset.
        if (OpenSettingsDialog(L"TURNOFF", TurnOffTimeDlgProc) == 1)
            SettingsFile(SettingsSave);
        break;
    default:
        ShowPopupMenu(PopupMenuForRow(row, Settings.PowerLineFrequency), x, y, row == PanelRowGates);
        if (row == PanelRowComponent)
            Invalidate(hWndNumbers);
        break;
    }
    Invalidate(hWndCurve);
    Invalidate(hWndMain);
    return 1;
}

int32_t TestPanelPopupMenu(int32_t x, int32_t y)
{
    if (PanelRowAt(StatusPanelGeometry, x, y) != PanelRowGain)
        return 0;
    const PopupRefusal refusal = PopupRowRefusal(PanelRowGain, Settings.TwoFrequencyMode, Settings.GateSet);
    if (!refusal.Text.empty()) {
        ShowCommandMessage(hWndMain, refusal.Text.c_str(), refusal.Caption.c_str(), MB_OK);
        return 0;
    }
    ShowPopupMenu(PopupMenuForRow(PanelRowGain, Settings.PowerLineFrequency), x, y, false);
    return 1;
}

void ApplyPopupChoice(int32_t id)
{
    MainPopupHost host;
    ApplyPopupChoiceWith(id, host);
}
