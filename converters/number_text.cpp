#include "converters/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace converters {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The layout of a picture mask.
struct MaskLayout {
    bool Fill = false;
    char FillChar = ' ';
    size_t Width = 0;
    int IntForced = 0;  // integer digits always written
    int FracMin = 0;    // decimals always written
    int FracMax = 0;    // decimals at most
    bool Exponent = false;
    bool ExponentSign = true;  // "+" writes the sign always
    int ExponentMin = 1;       // exponent digits at least
};

MaskLayout ReadMask(std::string_view mask)
{
    MaskLayout m;
    m.Width = mask.size();
    size_t i = 0;
    if (mask.size() >= 2 && mask[0] == '*') {
        m.Fill = true;
        m.FillChar = mask[1];
        i = 2;
    }
    int intPlaces = 0;
    int firstZero = -1;
    for (; i < mask.size() && mask[i] != '.' && mask[i] != 'E' && mask[i] != 'e'; ++i) {
        if (mask[i] == '0' && firstZero < 0)
            firstZero = intPlaces;
        if (mask[i] == '0' || mask[i] == '#')
            ++intPlaces;
    }
    m.IntForced = firstZero < 0 ? 0 : intPlaces - firstZero;
    if (i < mask.size() && mask[i] == '.') {
        for (++i; i < mask.size() && mask[i] != 'E' && mask[i] != 'e'; ++i) {
            if (mask[i] == '0' || mask[i] == '#')
                ++m.FracMax;
            if (mask[i] == '0')
                m.FracMin = m.FracMax;
        }
    }
    if (i < mask.size() && (mask[i] == 'E' || mask[i] == 'e')) {
        m.Exponent = true;
        ++i;
        if (i < mask.size() && (mask[i] == '+' || mask[i] == '-')) {
            m.ExponentSign = mask[i] == '+';
            ++i;
        }
        int forced = 0;
        for (; i < mask.size(); ++i)
            if (mask[i] == '0')
                ++forced;
        m.ExponentMin = forced > 1 ? forced : 1;
    }
    return m;
}

std::string NonFiniteText(double value)
{
    if (std::isnan(value))
        return "nan";
    return value < 0 ? "-inf" : "inf";
}

// Digits of a number as printf's "%.*f", "%.*e" and "%.*g" give them (rounded to the nearest,
// exact ties to even), through to_chars: the same in every build, and several times faster.
// Returns the length written into buffer (0 when it does not fit).
size_t Digits(char* buffer, size_t size, double value, std::chars_format format, int precision)
{
    const auto result = std::to_chars(buffer, buffer + size, value, format, precision);
    return result.ec == std::errc() ? static_cast<size_t>(result.ptr - buffer) : 0;
}

std::string Digits(double value, std::chars_format format, int precision)
{
    char buffer[400];
    return std::string(buffer, Digits(buffer, sizeof buffer, value, format, precision));
}

// The integer digits (without a lone zero unless forced, with leading zeros up to the forced
// places), the decimals kept, the sign, into out; returns the length.
size_t ComposeNumber(char* out, bool negative, const char* integer, size_t integerLength, const char* fraction,
                     size_t fractionLength, const MaskLayout& m)
{
    while (fractionLength > static_cast<size_t>(m.FracMin) && fraction[fractionLength - 1] == '0')
        --fractionLength;
    bool zero = true;
    for (size_t i = 0; i < integerLength && zero; ++i)
        zero = integer[i] == '0';
    for (size_t i = 0; i < fractionLength && zero; ++i)
        zero = fraction[i] == '0';
    if (integerLength == 1 && integer[0] == '0' && m.IntForced == 0)
        integerLength = 0;
    size_t o = 0;
    if (negative && !zero)
        out[o++] = '-';
    for (int i = static_cast<int>(integerLength); i < m.IntForced; ++i)
        out[o++] = '0';
    std::memcpy(out + o, integer, integerLength);
    o += integerLength;
    if (fractionLength > 0) {
        out[o++] = '.';
        std::memcpy(out + o, fraction, fractionLength);
        o += fractionLength;
    }
    if (o == 0)
        out[o++] = '0';
    return o;
}

// The fixed-point text of a mask into out (at least 450 characters); returns the length.
size_t FixedText(char* out, double value, const MaskLayout& m)
{
    char digits[400];
    const size_t length = Digits(digits, sizeof digits, std::fabs(value), std::chars_format::fixed, m.FracMax);
    const char* point = static_cast<const char*>(std::memchr(digits, '.', length));
    const size_t integerLength = point ? static_cast<size_t>(point - digits) : length;
    const size_t fractionLength = point ? length - integerLength - 1 : 0;
    return ComposeNumber(out, value < 0, digits, integerLength, point ? point + 1 : digits, fractionLength, m);
}

// The exponent text of a mask into out; returns the length.
size_t ExponentText(char* out, double value, const MaskLayout& m)
{
    char digits[64];
    const size_t length = Digits(digits, sizeof digits, std::fabs(value), std::chars_format::scientific, m.FracMax);
    const char* e = static_cast<const char*>(std::memchr(digits, 'e', length));
    if (!e)
        return 0;
    const size_t mantissaLength = static_cast<size_t>(e - digits);
    int exponent = 0;
    const char* end = digits + length;
    const char* x = e + 1;
    const bool negativeExponent = x < end && *x == '-';
    if (x < end && (*x == '-' || *x == '+'))
        ++x;
    std::from_chars(x, end, exponent);
    if (negativeExponent)
        exponent = -exponent;
    const char* point = static_cast<const char*>(std::memchr(digits, '.', mantissaLength));
    const size_t integerLength = point ? static_cast<size_t>(point - digits) : mantissaLength;
    const size_t fractionLength = point ? mantissaLength - integerLength - 1 : 0;
    MaskLayout mantissa = m;
    mantissa.IntForced = 1;
    size_t o =
        ComposeNumber(out, value < 0, digits, integerLength, point ? point + 1 : digits, fractionLength, mantissa);
    out[o++] = 'E';
    if (exponent < 0)
        out[o++] = '-';
    else if (m.ExponentSign)
        out[o++] = '+';
    char exponentDigits[16];
    const auto r =
        std::to_chars(exponentDigits, exponentDigits + sizeof exponentDigits, exponent < 0 ? -exponent : exponent);
    const size_t count = static_cast<size_t>(r.ptr - exponentDigits);
    for (size_t i = count; i < static_cast<size_t>(m.ExponentMin); ++i)
        out[o++] = '0';
    std::memcpy(out + o, exponentDigits, count);
    return o + count;
}

}  // namespace

namespace {

// The number at the start of a field, after its leading blanks, as the file reader reads it.
struct ScannedNumber {
    size_t End = 0;         // where reading stopped
    bool Digits = false;    // at least one digit was read
    bool Exponent = false;  // an exponent was read
    double Value = 0.0;     // finite, or 0 when none was read or it was too large
    bool Finite = true;
};

ScannedNumber ScanNumber(std::string_view field)
{
    ScannedNumber n;
    size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    const size_t start = i;
    size_t digits = 0;
    while (i < field.size() && IsDigit(field[i])) {
        ++i;
        ++digits;
    }
    if (i < field.size() && field[i] == '.') {
        ++i;
        while (i < field.size() && IsDigit(field[i])) {
            ++i;
            ++digits;
        }
    }
    n.End = i;
    if (digits == 0)
        return n;
    n.Digits = true;
    if (i < field.size() && (field[i] == 'E' || field[i] == 'e')) {
        size_t j = i + 1;
        if (j < field.size() && (field[j] == '+' || field[j] == '-'))
            ++j;
        if (j < field.size() && IsDigit(field[j])) {
            while (j < field.size() && IsDigit(field[j]))
                ++j;
            i = j;
            n.Exponent = true;
        }
    }
    n.End = i;
    double value = 0.0;
    const auto result = std::from_chars(field.data() + start, field.data() + i, value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        n.Finite = false;
        return n;
    }
    n.Value = negative ? -value : value;
    return n;
}

// Nothing but blanks from the offset on.
bool BlankFrom(std::string_view text, size_t at)
{
    for (size_t i = at; i < text.size(); ++i)
        if (text[i] != ' ' && text[i] != '\t')
            return false;
    return true;
}

}  // namespace

double NumberOfField(std::string_view field)
{
    const ScannedNumber n = ScanNumber(field);
    return n.Digits && n.Finite ? n.Value : 0.0;
}

bool ReadWholeNumber(std::string_view text, double& value)
{
    const ScannedNumber n = ScanNumber(text);
    if (!n.Digits || !n.Finite || !BlankFrom(text, n.End))
        return false;
    value = n.Value;
    return true;
}

FieldNumber ReadFieldNumber(std::string_view field)
{
    const ScannedNumber n = ScanNumber(field);
    FieldNumber f;
    f.Value = n.Digits && n.Finite ? n.Value : 0.0;
    f.Plain = n.Digits && n.Finite && !n.Exponent && BlankFrom(field, n.End);
    return f;
}

bool IsPlainDecimal(std::string_view field)
{
    return ReadFieldNumber(field).Plain;
}

int32_t RoundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::nearbyint(value));
}

int32_t IntegerOfField(std::string_view field)
{
    return RoundHalfEven(NumberOfField(field));
}

std::string FormatNumberMask(double value, std::string_view mask)
{
    const MaskLayout m = ReadMask(mask);
    char buffer[480];
    size_t length = 0;
    if (!std::isfinite(value)) {
        const std::string text = NonFiniteText(value);
        length = text.size();
        std::memcpy(buffer, text.data(), length);
    } else if (m.Exponent) {
        length = ExponentText(buffer, value, m);
    } else if (std::fabs(value) >= 1e15) {
        const std::string text = DecimalText(value);
        length = text.size();
        std::memcpy(buffer, text.data(), length);
    } else {
        length = FixedText(buffer, value, m);
    }
    if (m.Fill && length < m.Width) {
        std::string text(m.Width - length, m.FillChar);
        text.append(buffer, length);
        return text;
    }
    return std::string(buffer, length);
}

std::string NumberText(double value)
{
    if (!std::isfinite(value))
        return std::isnan(value) || value > 0 ? " " + NonFiniteText(value) : NonFiniteText(value);
    if (value == 0)
        return " 0";
    std::string text = Digits(std::fabs(value), std::chars_format::general, 15);
    const size_t e = text.find('e');
    if (e != std::string::npos)
        text[e] = 'E';
    if (text.size() > 1 && text[0] == '0' && text[1] == '.')
        text.erase(0, 1);
    text.insert(text.begin(), value < 0 ? '-' : ' ');
    return text;
}

std::string DecimalText(double value)
{
    std::string text = NumberText(value);
    if (!text.empty() && text[0] == ' ')
        text.erase(0, 1);
    return text;
}

std::string FitNumberText(double value, int32_t width)
{
    if (width <= 0)
        return std::string();
    const size_t w = static_cast<size_t>(width);
    std::string text = DecimalText(value);
    if (text.find('E') == std::string::npos && std::isfinite(value))
        TrimNumberText(text, width);
    if (text.size() <= w)
        return text;
    if (std::isfinite(value)) {
        for (int decimals = 14; decimals >= 0; --decimals) {
            std::string exponent = Digits(value, std::chars_format::scientific, decimals);
            if (exponent.size() <= w) {
                exponent[exponent.find('e')] = 'E';
                return exponent;
            }
        }
    }
    text.resize(w);
    return text;
}

std::string TrimLeft(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    return std::string(text.substr(i));
}

std::string TrimRight(std::string_view text)
{
    size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ')
        --n;
    return std::string(text.substr(0, n));
}

std::string TrimNumberText(std::string& text, int32_t width)
{
    const size_t point = text.find('.');
    if (point == std::string::npos || text.find_first_of("Ee") != std::string::npos)
        return text;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    // Too wide: decimals go, one by one from the right; the digits before the point stay.
    while (width >= 0 && text.size() > static_cast<size_t>(width) && text.size() > point)
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    // ".5" or "-.5" with no room for a decimal is a zero.
    if (text.empty() || text == "-")
        text = "0";
    return text;
}

std::string PadNumberText(std::string_view text, int32_t width)
{
    if (width <= 0)
        return std::string();
    const size_t w = static_cast<size_t>(width);
    if (text.size() >= w)
        return std::string(text.substr(text.size() - w));
    return std::string(w - text.size(), ' ') + std::string(text);
}

std::string FormatLz5Field(int32_t value, int32_t width)
{
    if (width != 4 && width != 5)
        return "zzzz";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", static_cast<int>(width), value < 0 ? 0 : value);
    return buffer;
}

}  // namespace converters
