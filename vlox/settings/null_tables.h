// Null tables: the receiver offsets measured by nulling, kept at the end of the configuration
// file and written to each data file's NLG companion file, as fixed 60-byte text records.
#pragma once

#include "vlox/settings/config_stream.h"
#include "vlox/settings/settings.h"

#include <cstdint>
#include <string>

constexpr int32_t NullSlotCount = 12;  // rate index 0-6 with 20 gates, 2-6 with 30 as 7-11
constexpr int32_t GainCodeCount = 7;
constexpr size_t NullRecordLength = 60;  // 58 characters, CR, LF
constexpr int32_t NullFlagLineLength = 16;

// Where the null-table writers put a standard block.
constexpr int32_t NullTableToConfig = 0;       // flag line, then all 12 slots
constexpr int32_t NullTableToLogSelected = 1;  // NLG: slots of the rates in NullRateSelected
constexpr int32_t NullTableToLogAll = 2;       // NLG: all 12 slots

// Settings under which the user-gates table was measured.
struct UserGatesHeader {
    int32_t Mains = 1;
    int32_t RateIndex = 2;
    int32_t GateCount = 40;
    double FirstGateTimeUs = 10.0;

    bool operator==(const UserGatesHeader&) const = default;
};

// All null-table state, as one record so that the readers and writers can work on any copy.
// The program-wide instance is `NullTablesStore`; the names below refer into it.
struct NullTableValues {
    double NullingTables[2][NullSlotCount][GainCodeCount][MaxGateCount] = {};  // volts
    int32_t NullingValid[2][RepRateCount] = {};
    double UserGatesNullTable[GainCodeCount][MaxGateCount] = {};  // volts
    UserGatesHeader UserGatesNullingHeader;
    char NullProcessingCodes[RepRateCount + 1] = {'S', 'S', 'S', 'S', 'S', 'S', 'S', 0};
    int32_t UserGatesNullingPresent = 0;

    bool operator==(const NullTableValues&) const = default;
};

extern NullTableValues NullTablesStore;
// [mains][slot][gain code][gate], volts; mains index = `PowerLineFrequency`.
extern double (&NullingTables)[2][NullSlotCount][GainCodeCount][MaxGateCount];
extern int32_t (&NullingValid)[2][RepRateCount];
extern double (&UserGatesNullTable)[GainCodeCount][MaxGateCount];
extern UserGatesHeader& UserGatesNullingHeader;
extern char (&NullProcessingCodes)[RepRateCount + 1];  // 'S' or 'P' per rate index
extern int32_t& UserGatesNullingPresent;

// 1 for each rate index chosen for the last nulling run.
extern int32_t NullRateSelected[RepRateCount];

// Local time of writing, for the header records (to the second).
using NullTimeStamp = LocalTime;

// Clears every table and flag (program start, before the settings are loaded).
void ClearNullTables(NullTableValues& t);

// Sets NullingValid[mains][r] = 1 for each rate r flagged in `selected`; the configuration
// writer does this before each flag line.
void MarkNulledRates(NullTableValues& t, int32_t mains, const int32_t (&selected)[RepRateCount]);

// Appends the standard block of one mains setting. NullTableToConfig writes the flag line and
// all 12 slots (the caller marks the nulled rates first); NullTableToLogSelected the slots of
// the flagged rates (slot r, and r + 5 from r = 2 on); NullTableToLogAll all 12 slots. Slots
// ascend, each with gain codes 0-6.
void AppendNullingTable(std::string& out, int32_t op, int32_t mains, const NullTableValues& t,
                        const int32_t (&selected)[RepRateCount], const NullTimeStamp& when);

// Appends the user-gates block: per gain code a header and ceil(n / 4) value records.
void AppendUserGatesNullingTable(std::string& out, const NullTableValues& t, const NullTimeStamp& when);

// Read the blocks back at the reader's position. Values are stored as they are read; on the
// first mismatch they return false and stop (the caller marks the configuration corrupt).
bool ReadNullingTable(ByteReader& in, int32_t mains, NullTableValues& t);
bool ReadUserGatesNullingTable(ByteReader& in, NullTableValues& t);
