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

namespace {

double Taken(FieldsAtOk& ok, int id, const std::string& name, FieldRead read, double value, const WideString& text)
{
    if (read == FieldRead::Number)
        return value;
    if (ok.Refusal.Kind == FieldRefusalKind::None) {
        ok.Refusal.Kind = read == FieldRead::OutOfRange ? FieldRefusalKind::OutOfRange : FieldRefusalKind::NotANumber;
        ok.Refusal.Id = id;
        ok.Refusal.Name = name;
        ok.Refusal.Text = text;
    }
    return 0.0;
}

}  // namespace

double TakeFieldNumber(FieldsAtOk& ok, int id, const std::string& name)
{
    const WideString text = GetFieldText(ok.Dialog, id);
    double value = 0.0;
    const FieldRead read = ReadFieldNumber(text, value);
    return Taken(ok, id, name, read, value, text);
}

double TakeKeptFieldNumber(FieldsAtOk& ok, int id, const std::string& name, const ShownNumber& shown)
{
    const WideString text = GetFieldText(ok.Dialog, id);
    double value = 0.0;
    const FieldRead read = ReadKeptFieldNumber(shown, text, value);
    return Taken(ok, id, name, read, value, text);
}
