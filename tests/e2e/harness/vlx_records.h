// Reading the records of a .VLX data file in the end-to-end tests: 60-byte records, each
// opened by a two-character tag, or by one character for the stored-text records.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

namespace e2e {

const size_t RecordLength = 60;

// The tag of every record: two characters, one for the stored-text records.
inline std::vector<std::string> RecordTags(const std::string& file)
{
    std::vector<std::string> tags;
    for (size_t at = 0; at + RecordLength <= file.size(); at += RecordLength) {
        const char first = file[at];
        const bool text = first == '@' || first == '#' || first == '?' || first == '"' || first == '!';
        tags.push_back(text ? std::string(1, first) : file.substr(at, 2));
    }
    return tags;
}

// The tags in one line, each followed by a blank, for messages and comparisons.
inline std::string JoinedTags(const std::vector<std::string>& tags)
{
    std::string out;
    for (const std::string& t : tags)
        out += t + " ";
    return out;
}

// Columns from..to (1-based) of a record as an integer; fallback when blank or not a number.
inline int Column(const std::string& record, size_t from, size_t to, int fallback)
{
    if (record.size() < to)
        return fallback;
    const std::string field = record.substr(from - 1, to - from + 1);
    char* end = nullptr;
    const long value = std::strtol(field.c_str(), &end, 10);
    return end == field.c_str() ? fallback : int(value);
}

// Columns from..to (1-based) as a number; 0 when the record is shorter.
inline double Number(const std::string& record, size_t from, size_t to)
{
    return record.size() < to ? 0.0 : std::atof(record.substr(from - 1, to - from + 1).c_str());
}

}  // namespace e2e
