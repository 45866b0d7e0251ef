#include "vlox/ui/selective_nulling_dialog_win.h"

#include "resources/nulling_ids.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/ui/selective_nulling.h"

#include <string>

namespace {

void FillRateList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_NULLING_RATES);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SelectiveNullingRateCount = RepRateCount;
    for (int32_t i = 0; i < SelectiveNullingRateCount; ++i) {
        const WideString text = SelectiveNullingEntry(Settings.PowerLineFrequency, i);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void TakeSelection(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_NULLING_RATES);
    int32_t selected[RepRateCount] = {};
    const int32_t count = SelectiveNullingRateCount < RepRateCount ? SelectiveNullingRateCount : RepRateCount;
    for (int32_t i = 0; i < count; ++i)
        selected[i] = SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0 ? 1 : 0;
    SelectedNullingRates(selected, count, NullRateSelected);
}

}  // namespace

INT_PTR CALLBACK SelectiveNullingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillRateList(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            TakeSelection(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR SelectiveNullingDialog(HWND owner)
{
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), L"SELECTIVENULLING", owner, SelectiveNullingDlgProc, 0);
    return result == 1 ? 1 : 0;
}
