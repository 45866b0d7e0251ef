// Numbers read from the survey file's fixed columns and numbers written into the converters'
// outputs: the field readers, the picture masks, the general number text and the fixed-width
// helpers of the LZ5 fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace converters {

// The number of a field: leading blanks skipped, then an optional sign, digits with an optional
// decimal point and an optional exponent ("E" or "e", optional sign, digits); reading stops at
// the first character that cannot continue the number. A field holding no number, or a number
// too large for a double, reads as 0. Never returns NaN or an infinity.
double NumberOfField(std::string_view field);

// True when the text, blanks around it aside, is one finite number and nothing else (sign,
// digits with an optional point, an optional exponent): what an operator's number field must
// hold. value is set only then.
bool ReadWholeNumber(std::string_view text, double& value);

// True when the field, blanks around it aside, is a plain decimal number as the survey file's
// writer puts it: an optional sign, digits with an optional point, at least one digit, no
// exponent. Blank fields, text, "nan", "inf" and "1e308" are not.
bool IsPlainDecimal(std::string_view field);

// NumberOfField and IsPlainDecimal of a field in one reading.
struct FieldNumber {
    double Value = 0.0;
    bool Plain = false;
};
FieldNumber ReadFieldNumber(std::string_view field);

// Rounds to the nearest integer, ties to even (2.5 gives 2, 3.5 gives 4), held to the int32
// range; NaN gives 0.
int32_t RoundHalfEven(double value);

// The integer of a field: NumberOfField rounded half to even.
int32_t IntegerOfField(std::string_view field);

// Text of a number through a picture mask:
//   "*" and the character after it: the result is right-aligned in a field as wide as the
//     whole mask, filled with that character ("* #" gives "  7");
//   integer places: "0" forced, "#" optional; every place from the first "0" on is forced
//     ("0#" gives "01"); with no "0" there is no zero before the point (".5");
//   "." and fraction places: "0" forced (rounded, trailing zeros kept), "#" optional (trailing
//     zeros dropped, and the point with them when no decimals remain);
//   "E+##" (or "E-##"): scientific form with one mantissa digit, the exponent's sign always
//     ("+") or only when negative ("-"), its digits without leading zeros unless forced by "0".
// Choices where the masks leave a case open: rounding is to the nearest of the exact binary
// value, an exact tie to even; a number whose digits are all optional and that rounds to zero
// is "0", never empty; a result that rounds to zero carries no minus sign; zero in an exponent
// mask is "0.00000E+0"; a number wider than a "*" field is written whole (the field widens);
// a fixed-point mask gets the general number text (NumberText without its blank) for
// magnitudes of 1e15 and above, so no output field grows past the digits a double holds; NaN
// and infinities are written "nan", "inf", "-inf".
std::string FormatNumberMask(double value, std::string_view mask);

// The number text: at most 15 significant digits, trailing zeros dropped, a leading blank for
// values of 0 and above, no zero before the point (" .5", "-.25"); magnitudes below 1e-4 or of
// 1e15 and above in exponent form with at least two exponent digits (" 1.234E-05",
// " 1E+20").
std::string NumberText(double value);

// The general decimal text: NumberText without its leading blank (positive numbers carry no
// sign and no blank).
std::string DecimalText(double value);

// The decimal text of a number fitted into width characters (width at least 5): the text
// itself when it fits; else, when its integer digits fit, with fewer decimals
// (TrimNumberText); else the exponent form with as many mantissa digits as fit, rounded
// ("1.2E-05"). The exponent is never cut off.
std::string FitNumberText(double value, int32_t width);

// Leading blanks removed.
std::string TrimLeft(std::string_view text);
// Trailing blanks removed.
std::string TrimRight(std::string_view text);

// `TrimNumberText`: a text holding "." (and no exponent) loses its trailing zeros, and its
// point when nothing follows it; then a text longer than width (width below 0: no limit)
// loses decimals from the right, the point with the last of them ("12.345" with width 4
// gives "12.3"). No digit before the point is ever cut: a text whose whole part is wider than
// width comes back wider than width ("12345.5" with width 4 gives "12345"), and the caller
// decides (the fixed fields of LZ5 refuse it, the others take the exponent form). The text is
// changed in place and returned.
std::string TrimNumberText(std::string& text, int32_t width);

// `PadNumberText`: text right-aligned in a field of exactly width blanks; a longer text keeps
// its rightmost width characters.
std::string PadNumberText(std::string_view text, int32_t width);

// `FormatLz5Field`: value with leading zeros in 4 ("0000") or 5 ("00000") digits; any other
// width gives "zzzz". Values below 0 are written as 0.
std::string FormatLz5Field(int32_t value, int32_t width);

}  // namespace converters
