// Helpers of the configuration tests: the file as lines, one line replaced, loads from
// defaults.
#pragma once

#include "vlox/settings/config_file.h"

#include <memory>
#include <string>
#include <vector>

// A fixed time for the null-table headers, so composed files compare byte for byte.
inline NullTimeStamp FixedTime()
{
    NullTimeStamp t;
    t.Day = 1;
    t.Month = 2;
    t.Year = 2003;
    t.Hour = 4;
    t.Minute = 5;
    t.Second = 6;
    return t;
}

inline const int32_t (&NoRatesNulled())[RepRateCount]
{
    static const int32_t none[RepRateCount] = {};
    return none;
}

// The whole file for the given settings, with zero null tables.
inline std::string ComposeFor(const SettingsValues& s)
{
    auto nulls = std::make_unique<NullTableValues>();
    return ComposeConfigurationFile(s, *nulls, NoRatesNulled(), FixedTime());
}

inline std::string DefaultFile()
{
    return ComposeFor(SettingsValues{});
}

// Lines 1..count of the file (without CR LF) and the byte offset where line count + 1 starts.
inline std::vector<std::string> FirstLines(const std::string& file, int count, size_t* rest = nullptr)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        size_t end = file.find("\r\n", pos);
        if (end == std::string::npos)
            break;
        lines.push_back(file.substr(pos, end - pos));
        pos = end + 2;
    }
    if (rest != nullptr)
        *rest = pos;
    return lines;
}

// The file with line n (1-based, within the first 499) holding text instead.
inline std::string WithLine(const std::string& file, int n, const std::string& text)
{
    size_t pos = 0;
    for (int i = 1; i < n; ++i)
        pos = file.find("\r\n", pos) + 2;
    size_t end = file.find("\r\n", pos);
    return file.substr(0, pos) + text + file.substr(end);
}

// Loads bytes over default settings, derived values and empty null tables.
struct LoadOutcome {
    int32_t Result = 0;
    SettingsValues S;
    SettingsDerived D;
    std::unique_ptr<NullTableValues> Nulls = std::make_unique<NullTableValues>();
};

inline LoadOutcome LoadBytes(const std::string& bytes, ConfigLoadEnvironment env = {})
{
    LoadOutcome o;
    o.Result = LoadConfiguration(bytes, o.S, o.D, *o.Nulls, env);
    return o;
}
