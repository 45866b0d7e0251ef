// Numbers in dialog fields: one reading and one writing rule for every settings dialog.
//
// A field's whole text, blanks around it aside, must be one decimal number: an optional sign,
// digits with an optional point, an optional exponent ("12.5", "-3", ".5", "1e3"). Any other
// text ("", "abc", "2OO", "1,5", "0x10", "nan") is not a number, and a number beyond a double
// ("1e999") is out of range: an OK refuses either with a message that names the field, puts
// the focus on it and writes nothing. Numbers are written with the C library's "%.Nf"
// conversion. A field the operator did not touch keeps the value it was opened with, so a
// "%.2f" round trip never moves a stored 0.375 to 0.38.
#pragma once

#include "vlox/settings/setting_refusal.h"
#include "vlox/settings/textconv.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class FieldRead : int32_t { Number, NotANumber, OutOfRange };

// What a field's text reads as; value is written only for a Number.
FieldRead ReadFieldNumber(const std::string& text, double& value);
FieldRead ReadFieldNumber(const WideString& text, double& value);
// True when the text is blanks only (an emptied field).
bool FieldTextEmpty(const WideString& text);

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
// otherwise what its text reads as (value written only for a Number).
FieldRead ReadKeptFieldNumber(const ShownNumber& shown, const WideString& textNow, double& value);
