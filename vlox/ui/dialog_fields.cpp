#include "vlox/ui/dialog_fields.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

bool Blank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool Digit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Past the digits from p.
size_t Digits(const std::string& t, size_t p)
{
    while (p < t.size() && Digit(t[p]))
        ++p;
    return p;
}

}  // namespace

FieldRead ReadFieldNumber(const std::string& text, double& value)
{
    size_t begin = 0, end = text.size();
    while (begin < end && Blank(text[begin]))
        ++begin;
    while (end > begin && Blank(text[end - 1]))
        --end;
    const std::string t = text.substr(begin, end - begin);
    size_t p = 0;
    if (p < t.size() && (t[p] == '+' || t[p] == '-'))
        ++p;
    const size_t whole = Digits(t, p);
    size_t q = whole;
    size_t fraction = q;
    if (q < t.size() && t[q] == '.')
        fraction = Digits(t, q + 1);
    if (whole == p && fraction <= q + 1)
        return FieldRead::NotANumber;  // no digit at all
    q = fraction;
    if (q < t.size() && (t[q] == 'e' || t[q] == 'E')) {
        size_t e = q + 1;
        if (e < t.size() && (t[e] == '+' || t[e] == '-'))
            ++e;
        const size_t exponent = Digits(t, e);
        if (exponent == e)
            return FieldRead::NotANumber;
        q = exponent;
    }
    if (q != t.size())
        return FieldRead::NotANumber;
    // Only the checked decimal text reaches strtod (which would also read hexadecimal).
    const double v = std::strtod(t.c_str(), nullptr);
    if (!std::isfinite(v))
        return FieldRead::OutOfRange;
    value = v;
    return FieldRead::Number;
}

FieldRead ReadFieldNumber(const WideString& text, double& value)
{
    // Only ASCII can be part of a number; anything else is not one.
    std::string narrow;
    narrow.reserve(text.size());
    for (WideChar c : text)
        narrow.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    return ReadFieldNumber(narrow, value);
}

bool FieldTextEmpty(const WideString& text)
{
    for (WideChar c : text)
        if (!(c > 0 && c < 0x80 && Blank(static_cast<char>(c))))
            return false;
    return true;
}

int32_t FieldInteger(double value, int32_t lo, int32_t hi)
{
    if (!(value >= lo))
        return lo;
    if (value > hi)
        return hi;
    return static_cast<int32_t>(value);
}

std::string FieldText(double value, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > 10)
        decimals = 10;
    return FormatText("%.*f", decimals, value);
}

WideString FieldTextWide(double value, int decimals)
{
    return NarrowToWide(FieldText(value, decimals));
}

WideString FieldCountText(int32_t value)
{
    return NarrowToWide(FormatText("%d", static_cast<int>(value)));
}

bool FieldFitsWidth(double value, const char* format, size_t width)
{
    std::string text = FormatText(format, value);
    return !text.empty() && text.size() <= width;
}

ShownNumber ShowNumber(double value, int decimals)
{
    ShownNumber shown;
    shown.Value = value;
    shown.Text = FieldTextWide(value, decimals);
    return shown;
}

FieldRead ReadKeptFieldNumber(const ShownNumber& shown, const WideString& textNow, double& value)
{
    if (textNow == shown.Text) {
        value = shown.Value;
        return FieldRead::Number;
    }
    return ReadFieldNumber(textNow, value);
}
