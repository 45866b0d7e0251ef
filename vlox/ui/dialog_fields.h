// Numbers in dialog fields: one reading and one writing rule for every settings dialog.
//
// A field's text reads as the decimal number at its front; text that is not a finite number
// ("", "abc", "1e999", "nan") reads as 0, as the dialogs have always taken it. Numbers are
// written with the C library's "%.Nf" conversion. A field the operator did not touch keeps
// the value it was opened with, so a "%.2f" round trip never moves a stored 0.375 to 0.38.
#pragma once

#include "vlox/settings/textconv.h"

#include <cstdint>
#include <string>

// The number a field's text gives (never NaN or infinite).
double FieldNumber(const std::string& text);
double FieldNumber(const WideString& text);

// value limited to [lo, hi] before it becomes an integer (truncated toward zero), so an
// entry such as "1e12" can never overflow the conversion. NaN gives lo.
int32_t FieldInteger(double value, int32_t lo, int32_t hi);

// The text a field shows for value: "%.<decimals>f" (decimals 0..10).
std::string FieldText(double value, int decimals);
WideString FieldTextWide(double value, int decimals);
// The text of a count: "%d".
WideString FieldCountText(int32_t value);

// True when value written with the printf format (one double conversion) takes at most
// width characters: the record fields of the data file are fixed-width.
bool FieldFitsWidth(double value, const char* format, size_t width);

// A number field as the dialog opened it: the value it stood for and the text it showed.
struct ShownNumber {
    double Value = 0.0;
    WideString Text;
};

// What to show for value.
ShownNumber ShowNumber(double value, int decimals);

// The field's value at OK: the value it opened with when its text is still the one shown,
// otherwise the number its text gives.
double KeptFieldNumber(const ShownNumber& shown, const WideString& textNow);
