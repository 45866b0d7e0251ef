#include "converters/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
    int IntForced = 0;      // integer digits always written
    int FracMin = 0;        // decimals always written
    int FracMax = 0;        // decimals at most
    bool Exponent = false;
    bool ExponentSign = true; // "+" writes the sign always
    int ExponentMin = 1;    // exponent digits at least
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

// Drops trailing zeros of the decimals beyond the forced ones.
void DropOptionalDecimals(std::string& fraction, int fracMin)
{
    while (static_cast<int>(fraction.size()) > fracMin && fraction.back() == '0')
        fraction.pop_back();
}

bool AllZeroDigits(std::string_view text)
{
    for (char c : text)
        if (IsDigit(c) && c != '0')
            return false;
    return true;
}

std::string NonFiniteText(double value)
{
    if (std::isnan(value))
        return "nan";
    return value < 0 ? "-inf" : "inf";
}

std::string FixedText(double value, const MaskLayout& m)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", m.FracMax, std::fabs(value));
    std::string digits = buffer;
    std::string integer = digits;
    std::string fraction;
    const size_t point = digits.find('.');
    if (point != std::string::npos) {
        integer = digits.substr(0, point);
        fraction = digits.substr(point + 1);
    }
    DropOptionalDecimals(fraction, m.FracMin);
    const bool zero = AllZeroDigits(digits);
    if (integer == "0" && m.IntForced == 0)
        integer.clear();
    while (static_cast<int>(integer.size()) < m.IntForced)
        integer.insert(integer.begin(), '0');
    std::string text = integer;
    if (!fraction.empty())
        text += "." + fraction;
    if (text.empty())
        text = "0";
    if (value < 0 && !zero)
        text.insert(text.begin(), '-');
    return text;
}

std::string ExponentText(double value, const MaskLayout& m)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*E", m.FracMax, std::fabs(value));
    const std::string digits = buffer;
    const size_t e = digits.find('E');
    std::string mantissa = digits.substr(0, e);
    const int exponent = std::atoi(digits.c_str() + e + 1);
    std::string fraction;
    const size_t point = mantissa.find('.');
    if (point != std::string::npos) {
        fraction = mantissa.substr(point + 1);
        mantissa.resize(point);
    }
    DropOptionalDecimals(fraction, m.FracMin);
    const bool zero = AllZeroDigits(digits.substr(0, e));
    std::string text = mantissa;
    if (!fraction.empty())
        text += "." + fraction;
    std::string exponentDigits = std::to_string(exponent < 0 ? -exponent : exponent);
    while (static_cast<int>(exponentDigits.size()) < m.ExponentMin)
        exponentDigits.insert(exponentDigits.begin(), '0');
    text += 'E';
    if (exponent < 0)
        text += '-';
    else if (m.ExponentSign)
        text += '+';
    text += exponentDigits;
    if (value < 0 && !zero)
        text.insert(text.begin(), '-');
    return text;
}

} // namespace

double NumberOfField(std::string_view field)
{
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
    if (digits == 0)
        return 0.0;
    if (i < field.size() && (field[i] == 'E' || field[i] == 'e')) {
        size_t j = i + 1;
        if (j < field.size() && (field[j] == '+' || field[j] == '-'))
            ++j;
        if (j < field.size() && IsDigit(field[j])) {
            while (j < field.size() && IsDigit(field[j]))
                ++j;
            i = j;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(field.data() + start, field.data() + i, value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
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
    std::string text;
    if (!std::isfinite(value))
        text = NonFiniteText(value);
    else if (m.Exponent)
        text = ExponentText(value, m);
    else if (std::fabs(value) >= 1e15)
        text = DecimalText(value);
    else
        text = FixedText(value, m);
    if (m.Fill && text.size() < m.Width)
        text.insert(text.begin(), m.Width - text.size(), m.FillChar);
    return text;
}

std::string NumberText(double value)
{
    if (!std::isfinite(value))
        return std::isnan(value) || value > 0 ? " " + NonFiniteText(value) : NonFiniteText(value);
    if (value == 0)
        return " 0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", std::fabs(value));
    std::string text = buffer;
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
    std::string text = DecimalText(value);
    if (width <= 0)
        return std::string();
    const size_t w = static_cast<size_t>(width);
    if (text.size() <= w)
        return text;
    if (text.find('E') == std::string::npos && std::isfinite(value)) {
        const size_t point = text.find('.');
        const size_t integerLength = point == std::string::npos ? text.size() : point;
        if (integerLength <= w) {
            text.resize(w);
            if (text.back() == '.')
                text.pop_back();
            return text;
        }
    }
    if (std::isfinite(value)) {
        for (int decimals = 14; decimals >= 0; --decimals) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.*E", decimals, value);
            if (std::string(buffer).size() <= w)
                return buffer;
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
    if (text.find('.') != std::string::npos && text.find_first_of("Ee") == std::string::npos) {
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == '.')
            text.pop_back();
    }
    if (width >= 0 && text.size() > static_cast<size_t>(width))
        text.erase(0, text.size() - static_cast<size_t>(width));
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

} // namespace converters
