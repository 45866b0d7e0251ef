#include "vlox/ui/dialog_fields.h"

#include "vlox/settings/config_stream.h"

#include <cmath>

double FieldNumber(const std::string& text)
{
    const double value = ParseConfigDouble(text.c_str());
    return std::isfinite(value) ? value : 0.0;
}

double FieldNumber(const WideString& text)
{
    // Only ASCII can be part of a number; anything else stops the reading where it stands.
    std::string narrow;
    narrow.reserve(text.size());
    for (WideChar c : text)
        narrow.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    return FieldNumber(narrow);
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

double KeptFieldNumber(const ShownNumber& shown, const WideString& textNow)
{
    return textNow == shown.Text ? shown.Value : FieldNumber(textNow);
}
