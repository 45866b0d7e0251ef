// The dialog fields' texts read and written through the window: thin wrappers over
// GetDlgItemTextW / SetDlgItemTextW and the portable rules of dialog_fields.h.
#pragma once

#include "vlox/ui/dialog_fields.h"

#include <windows.h>

// The whole text of a control (any length).
WideString GetFieldText(HWND dialog, int id);
void SetFieldText(HWND dialog, int id, const WideString& text);

// The number the field's text gives (0 for text that is not a finite number).
double GetFieldNumber(HWND dialog, int id);
// The field's number clamped to [lo, hi] and truncated.
int32_t GetFieldInteger(HWND dialog, int id, int32_t lo, int32_t hi);

// Writes value "%.<decimals>f" and returns what was shown, for GetKeptFieldNumber.
ShownNumber SetFieldNumber(HWND dialog, int id, double value, int decimals);
// Writes value "%d".
void SetFieldCount(HWND dialog, int id, int32_t value);

// The value at OK of a field set by SetFieldNumber: unchanged text keeps the original double.
double GetKeptFieldNumber(HWND dialog, int id, const ShownNumber& shown);
