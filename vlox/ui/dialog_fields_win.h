// The dialog fields' texts read and written through the window: thin wrappers over
// GetDlgItemTextW / SetDlgItemTextW and the portable rules of dialog_fields.h, and the
// fields read at OK (RefuseField, setting_refusal_win.h, then names a refused one).
#pragma once

#include "vlox/settings/setting_refusal_win.h"
#include "vlox/ui/dialog_fields.h"

#include <windows.h>

#include <string>

// The whole text of a control (any length).
WideString GetFieldText(HWND dialog, int id);
void SetFieldText(HWND dialog, int id, const WideString& text);

// Writes value "%.<decimals>f" and returns what was shown, for TakeKeptFieldNumber.
ShownNumber SetFieldNumber(HWND dialog, int id, double value, int decimals);
// Writes value "%d".
void SetFieldCount(HWND dialog, int id, int32_t value);

// The number fields an OK reads: the first field whose text is not a number (or is beyond a
// double) is noted, and the OK then refuses with RefuseField before it writes anything.
struct FieldsAtOk {
    explicit FieldsAtOk(HWND dialog) : Dialog(dialog) {}
    HWND Dialog;
    FieldRefusal Refusal;  // Kind None while every field read so far was a number
};
// The number of a field (0 when its text is not one: noted in ok).
double TakeFieldNumber(FieldsAtOk& ok, int id, const std::string& name);
// The same for a field set by SetFieldNumber: unchanged text keeps the original double.
double TakeKeptFieldNumber(FieldsAtOk& ok, int id, const std::string& name, const ShownNumber& shown);
