// The reference model of the operator walk (walk_e2e_test_win.cpp): the survey files with the
// readings each must hold, in file order (line groups, their station groups, their readings),
// each reading with its number, tag and the parameters an edit may change; and the comparison
// of a file's bytes, read back with the program's own review reader, with that model.
#pragma once

#include "vlox/datafile/fileio.h"
#include "vlox/datafile/review_reader.h"
#include "vlox/datafile/review_selection.h"
#include "vlox/datafile/review_state.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace walk {

struct Reading {
    int Number = 0;
    bool Included = true;
    int Rate = 0;  // rate index
    int GateSet = 0;
    double Current = 0.0;  // amperes
    double TurnOffUs = 0.0;
    int Coil = 0;
    int Sign = 1;  // -1 after an odd number of polarity changes
    // The first gate value as first read back: later reads must give it times Sign.
    bool BaseKnown = false;
    double Base = 0.0;
    double Early = 0.0;  // the early-window value (Gate 0) as the file holds it
    std::string Comment;
    std::string Refused;  // why the review reader refuses it (a damaged reading), else empty
};

struct Station {
    double Value = 0.0;
    std::vector<Reading> Readings;
};

struct Line {
    double Number = 0.0;
    std::vector<Station> Stations;
};

// A survey the walk made, or one of the files it prepared: damaged, held by another program,
// on a read-only card, a survey with one reading the reader refuses.
enum class FileKind { Survey, Damaged, Locked, ReadOnly, BadReading };

struct File {
    std::wstring Path;
    std::wstring Title;  // the name without folder and extension
    FileKind Kind = FileKind::Survey;
    std::vector<Line> Lines;
    int IndexLines = 0;             // station index lines while it is the current file
    bool IndexFailureTold = false;  // once per file
    std::string Bytes;              // as last read
    bool BytesKnown = false;
};

// Where a reading lies in a file's groups.
struct Place {
    int Line = -1;
    int Station = -1;
    int Reading = -1;
    bool Valid() const { return Line >= 0 && Station >= 0 && Reading >= 0; }
};

inline std::string Describe(const std::vector<Line>& lines, const Place& p)
{
    if (!p.Valid())
        return "(no reading)";
    const Station& s = lines[p.Line].Stations[p.Station];
    return "line " + std::to_string(lines[p.Line].Number) + " station " + std::to_string(s.Value) + " reading " +
           std::to_string(s.Readings[p.Reading].Number);
}

inline Reading& At(std::vector<Line>& lines, const Place& p)
{
    return lines[p.Line].Stations[p.Station].Readings[p.Reading];
}

// Every reading of the groups, in file order (the groups are read from the file in order).
inline std::vector<Place> FileOrder(const std::vector<Line>& lines)
{
    std::vector<Place> all;
    for (int l = 0; l < int(lines.size()); ++l)
        for (int s = 0; s < int(lines[l].Stations.size()); ++s)
            for (int r = 0; r < int(lines[l].Stations[s].Readings.size()); ++r)
                all.push_back({l, s, r});
    return all;
}

// The repetition slot of a standard reading, as the review lists it.
inline int SlotOfReading(const Reading& r)
{
    return SlotOf(r.Rate, r.GateSet);
}

// A reading the profiles may list: included, and one the reader can read.
inline bool Listed(const Reading& r)
{
    return r.Included && r.Refused.empty();
}

// The profile view of a line: the slots with included readings at more than one station (the
// repetition list), and for one slot the stations that have one (the profile's stations).
inline std::vector<int> ProfileSlots(const Line& line)
{
    std::vector<int> slots;
    for (int k = 0; k < ReviewSlotCount; ++k) {
        int stations = 0;
        for (const Station& s : line.Stations)
            for (const Reading& r : s.Readings)
                if (Listed(r) && SlotOfReading(r) == k) {
                    ++stations;
                    break;
                }
        if (stations > 1)
            slots.push_back(k);
    }
    return slots;
}

inline std::vector<int> ProfileStations(const Line& line, int slot)
{
    std::vector<int> listed;
    for (int s = 0; s < int(line.Stations.size()); ++s)
        for (const Reading& r : line.Stations[s].Readings)
            if (Listed(r) && SlotOfReading(r) == slot) {
                listed.push_back(s);
                break;
            }
    return listed;
}

inline std::vector<int> ProfileReadings(const Station& station, int slot)
{
    std::vector<int> listed;
    for (int r = 0; r < int(station.Readings.size()); ++r)
        if (Listed(station.Readings[r]) && SlotOfReading(station.Readings[r]) == slot)
            listed.push_back(r);
    return listed;
}

// A survey file read back with the review reader into groups; "" or why it cannot be read.
// Each reading's Base is its first gate value as stored; a reading the reader refuses keeps
// its number, its tag and why.
inline std::string ReadBack(const std::string& bytes, std::vector<Line>& lines)
{
    lines.clear();
    MemoryFile f;
    f.Bytes = bytes;
    FileMessage msg;
    if (ReadFileHeader(f, msg) == 0)
        return "the header: " + msg.Text;
    IndexLines(f);
    const std::vector<int64_t> lineOffsets(ReviewLineOffsets, ReviewLineOffsets + ReviewLineCount);
    const std::vector<double> lineNumbers(ReviewLineNumbers, ReviewLineNumbers + ReviewLineCount);
    for (size_t l = 0; l < lineOffsets.size(); ++l) {
        if (ReadLineStations(f, lineOffsets[l], msg) == 0)
            return "the stations of line " + std::to_string(l) + ": " + msg.Text;
        Line line;
        line.Number = lineNumbers[l];
        const std::vector<int64_t> stationOffsets(ReviewStationOffsets, ReviewStationOffsets + ReviewStationCount);
        const std::vector<double> stationValues(ReviewStationValues, ReviewStationValues + ReviewStationCount);
        for (size_t s = 0; s < stationOffsets.size(); ++s) {
            if (ReadStationRecords(f, stationOffsets[s], msg) == 0)
                return "the readings of station " + std::to_string(stationValues[s]) + ": " + msg.Text;
            Station station;
            station.Value = stationValues[s];
            for (int i = 0; i < ReviewRecordCount; ++i) {
                ReviewReadingData d;
                Reading r;
                r.Number = ReviewRecordNumbers[i];
                r.Included = ReviewRecordTags[i] != -1;
                if (ReadMeasurementRecord(f, ReviewRecordOffsets[i], d, msg) == 0) {
                    r.Refused = msg.Text.empty() ? "refused" : msg.Text;
                    station.Readings.push_back(r);
                    continue;
                }
                r.Rate = d.RepRateIndex;
                r.GateSet = d.GateSet;
                r.Current = d.TxCurrent;
                r.TurnOffUs = d.TurnOffTimeUs;
                r.Coil = d.CoilType;
                r.BaseKnown = true;
                r.Base = d.GateValues[0];
                r.Early = d.EarlyWindowValue;
                r.Comment = d.Comment;
                station.Readings.push_back(r);
            }
            line.Stations.push_back(station);
        }
        lines.push_back(line);
    }
    return std::string();
}

// The file as read back against the model: "" when every group and reading agrees, else the
// first difference. A reading read for the first time gives the model its Base.
inline std::string Compare(const std::vector<Line>& file, std::vector<Line>& model)
{
    auto count = [](const char* what, size_t inFile, size_t inModel) {
        return std::to_string(inFile) + " " + what + " in the file, " + std::to_string(inModel) + " in the model";
    };
    if (file.size() != model.size())
        return count("lines", file.size(), model.size());
    for (size_t l = 0; l < file.size(); ++l) {
        const std::string where = "line " + std::to_string(model[l].Number);
        if (file[l].Number != model[l].Number)
            return where + ": the file has line " + std::to_string(file[l].Number);
        if (file[l].Stations.size() != model[l].Stations.size())
            return where + ": " + count("stations", file[l].Stations.size(), model[l].Stations.size());
        for (size_t s = 0; s < file[l].Stations.size(); ++s) {
            const Station& fs = file[l].Stations[s];
            Station& ms = model[l].Stations[s];
            const std::string at = where + " station " + std::to_string(ms.Value);
            if (fs.Value != ms.Value)
                return at + ": the file has station " + std::to_string(fs.Value);
            if (fs.Readings.size() != ms.Readings.size())
                return at + ": " + count("readings", fs.Readings.size(), ms.Readings.size());
            for (size_t i = 0; i < fs.Readings.size(); ++i) {
                const Reading& a = fs.Readings[i];
                Reading& m = ms.Readings[i];
                const std::string r = at + " reading " + std::to_string(m.Number) + ": ";
                if (a.Number != m.Number)
                    return r + "the file numbers it " + std::to_string(a.Number);
                if (a.Included != m.Included)
                    return r + (a.Included ? "W1 in the file, excluded in the model"
                                           : "W0 in the file, included in the model");
                if (a.Refused != m.Refused)
                    return r + (a.Refused.empty() ? "read, the model has it refused"
                                                  : "the review reader refuses it: " + a.Refused);
                if (!a.Refused.empty())
                    continue;
                if (a.Rate != m.Rate || a.GateSet != m.GateSet)
                    return r + "rate " + std::to_string(a.Rate) + "/" + std::to_string(a.GateSet) + " in the file";
                if (std::fabs(a.Current - m.Current) > 1e-6)
                    return r + "current " + std::to_string(a.Current) + " in the file, " + std::to_string(m.Current) +
                           " in the model";
                if (std::fabs(a.TurnOffUs - m.TurnOffUs) > 1e-6 || a.Coil != m.Coil)
                    return r + "turn-off time or coil type changed";
                if (a.Comment != m.Comment)
                    return r + "comment \"" + a.Comment + "\" in the file, \"" + m.Comment + "\" in the model";
                m.Early = a.Early;
                if (!m.BaseKnown) {
                    m.Base = a.Base * m.Sign;
                    m.BaseKnown = true;
                } else if (std::fabs(a.Base - m.Sign * m.Base) > 0.011 + 1e-9 * std::fabs(m.Base)) {
                    return r + "first gate value " + std::to_string(a.Base) + " in the file, " +
                           std::to_string(m.Sign * m.Base) + " in the model";
                }
            }
        }
    }
    return std::string();
}

}  // namespace walk
