#include "converters/converter_settings.h"

#include "converters/number_text.h"

#include <limits>

namespace converters {

namespace {

// One integer line of a settings file: its value, its valid range and its default. Both the
// reader and the writer walk these tables, so the order lives in one place.
struct SettingLine {
    int32_t ConverterSettings::*Value;
    int32_t Min;
    int32_t Max;
    int32_t Default;
    bool SetByDefaults;
};

constexpr int32_t AnyCount = std::numeric_limits<int32_t>::max();

const SettingLine XyzLines[] = {
    {&ConverterSettings::OutputUnits, 0, 5, 0, true},
    {&ConverterSettings::XyzPositioning, 0, 2, 0, true},
    {&ConverterSettings::XyzFileFormat, 0, 3, 3, true},
    {&ConverterSettings::ColumnDelimiter, 0, 3, 0, true},
    {&ConverterSettings::DataType, 0, 11, 0, true},
    {&ConverterSettings::GateSelection, 0, 3, 0, true},
    {&ConverterSettings::IncludeHeader, 0, 1, 1, true},
    {&ConverterSettings::IncludeElevation, 0, 1, 0, true},
    {&ConverterSettings::IncludeGpsQuality, 0, 1, 0, true},
    {&ConverterSettings::IncludeHdop, 0, 1, 0, false},
    {&ConverterSettings::IncludeSatellites, 0, 1, 0, false},
    {&ConverterSettings::IncludeTimeStamp, 0, 1, 1, true},
    {&ConverterSettings::IncludeDate, 0, 1, 0, true},
    {&ConverterSettings::CoordinateType, 0, 3, 0, true},
    {&ConverterSettings::MinGpsQuality, 0, 8, 0, true},
    {&ConverterSettings::HdopMask, 0, AnyCount, 4, true},
};

// The units index may be 5 in every build: the LZ5 build shares "\Convert.ini" with the TXT
// build, whose list is one longer, and keeps the index as it stands.
const SettingLine SmallLines[] = {
    {&ConverterSettings::OutputUnits, 0, 5, 0, true},
    {&ConverterSettings::UsfVoltageUnits, 0, 3, 0, true},
};

template <size_t N>
constexpr size_t CountOf(const SettingLine (&)[N])
{
    return N;
}

const SettingLine* LinesOf(int32_t mode, size_t& count)
{
    if (mode == ModeXyz) {
        count = CountOf(XyzLines);
        return XyzLines;
    }
    count = CountOf(SmallLines);
    return SmallLines;
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Steps over one line end (CR LF, CR or LF) at pos.
void SkipLineEnd(std::string_view bytes, size_t& pos)
{
    if (pos < bytes.size() && bytes[pos] == '\r')
        ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n')
        ++pos;
}

// The next numeric field: it ends at a comma, a blank or a line end, which is consumed.
// false when the bytes are used up.
bool NextField(std::string_view bytes, size_t& pos, std::string_view& field)
{
    if (pos >= bytes.size())
        return false;
    while (pos < bytes.size() && (bytes[pos] == ' ' || bytes[pos] == '\t'))
        ++pos;
    const size_t start = pos;
    while (pos < bytes.size() && bytes[pos] != ',' && bytes[pos] != ' ' && bytes[pos] != '\t' &&
           !IsLineEnd(bytes[pos]))
        ++pos;
    field = bytes.substr(start, pos - start);
    while (pos < bytes.size() && (bytes[pos] == ' ' || bytes[pos] == '\t'))
        ++pos;
    if (pos < bytes.size() && bytes[pos] == ',')
        ++pos;
    else
        SkipLineEnd(bytes, pos);
    return true;
}

} // namespace

const char* SettingsFileName(int32_t mode)
{
    return mode == ModeXyz ? "\\Convertxyz.ini" : "\\Convert.ini";
}

void DefaultConverterSettings(ConverterSettings& s, int32_t mode)
{
    s.DataFolder = "C:\\";
    size_t count = 0;
    const SettingLine* lines = LinesOf(mode, count);
    for (size_t i = 0; i < count; ++i)
        if (lines[i].SetByDefaults)
            s.*lines[i].Value = lines[i].Default;
}

int32_t ReadConverterSettings(std::string_view bytes, int32_t mode, ConverterSettings& s)
{
    size_t pos = 0;
    while (pos < bytes.size() && !IsLineEnd(bytes[pos]))
        ++pos;
    if (pos == 0 && bytes.empty())
        return -1;
    s.DataFolder = std::string(bytes.substr(0, pos));
    SkipLineEnd(bytes, pos);

    size_t count = 0;
    const SettingLine* lines = LinesOf(mode, count);
    for (size_t i = 0; i < count; ++i) {
        std::string_view field;
        if (!NextField(bytes, pos, field))
            return -1;
        const int32_t value = IntegerOfField(field);
        const SettingLine& line = lines[i];
        s.*line.Value = value >= line.Min && value <= line.Max ? value : line.Default;
    }
    return 1;
}

void LoadConverterSettings(bool fileRead, std::string_view bytes, int32_t mode,
                           ConverterSettings& s)
{
    if (!fileRead || ReadConverterSettings(bytes, mode, s) != 1)
        DefaultConverterSettings(s, mode);
}

int32_t CheckedSetting(int32_t ConverterSettings::*field, int32_t value, int32_t mode)
{
    size_t count = 0;
    const SettingLine* lines = LinesOf(mode, count);
    for (size_t i = 0; i < count; ++i)
        if (lines[i].Value == field)
            return value >= lines[i].Min && value <= lines[i].Max ? value : lines[i].Default;
    return value;
}

bool IsUtf8Text(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t more = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= more)
            return false;
        for (size_t k = 1; k <= more; ++k) {
            const unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

std::string ComposeConverterSettings(const ConverterSettings& s, int32_t mode)
{
    std::string out = s.DataFolder + "\r\n";
    size_t count = 0;
    const SettingLine* lines = LinesOf(mode, count);
    for (size_t i = 0; i < count; ++i)
        out += std::to_string(s.*lines[i].Value) + "\r\n";
    return out;
}

std::string SplitFilePath(std::string_view path)
{
    const size_t last = path.find_last_of(":\\/");
    if (last == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(0, last + 1));
}

std::string FileNamePart(std::string_view path)
{
    const size_t last = path.find_last_of(":\\/");
    if (last == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(last + 1));
}

const char* OutputExtension(int32_t mode)
{
    switch (mode) {
    case ModeLz5:
        return "LZ5";
    case ModeUsf:
        return "USF";
    case ModeTxt:
        return "txt";
    default:
        return "xyz";
    }
}

std::string ProposedOutputName(std::string_view inputPath, int32_t mode)
{
    size_t end = inputPath.size();
    for (int removed = 0; removed < 3 && end > 0; ++removed) {
        --end;
        // A UTF-8 character's continuation bytes go with it.
        while (end > 0 && (static_cast<unsigned char>(inputPath[end]) & 0xC0) == 0x80)
            --end;
    }
    return std::string(inputPath.substr(0, end)) + OutputExtension(mode);
}

} // namespace converters
