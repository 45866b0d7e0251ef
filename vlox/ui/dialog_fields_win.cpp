#include "vlox/ui/dialog_fields_win.h"

WideString GetFieldText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    const int length = control ? GetWindowTextLengthW(control) : 0;
    if (length <= 0)
        return WideString();
    WideString text(static_cast<size_t>(length) + 1, L'\0');
    const UINT got = GetDlgItemTextW(dialog, id, text.data(), length + 1);
    text.resize(got);
    return text;
}

void SetFieldText(HWND dialog, int id, const WideString& text)
{
    SetDlgItemTextW(dialog, id, text.c_str());
}

double GetFieldNumber(HWND dialog, int id)
{
    return FieldNumber(GetFieldText(dialog, id));
}

int32_t GetFieldInteger(HWND dialog, int id, int32_t lo, int32_t hi)
{
    return FieldInteger(GetFieldNumber(dialog, id), lo, hi);
}

ShownNumber SetFieldNumber(HWND dialog, int id, double value, int decimals)
{
    ShownNumber shown = ShowNumber(value, decimals);
    SetFieldText(dialog, id, shown.Text);
    return shown;
}

void SetFieldCount(HWND dialog, int id, int32_t value)
{
    SetFieldText(dialog, id, FieldCountText(value));
}

double GetKeptFieldNumber(HWND dialog, int id, const ShownNumber& shown)
{
    return KeptFieldNumber(shown, GetFieldText(dialog, id));
}
