#include "vlox/settings/null_tables.h"

#include "vlox/settings/rate_tables.h"

#include <cmath>
#include <cstdio>
#include <cstring>

NullTableValues NullTablesStore;
double (&NullingTables)[2][NullSlotCount][GainCodeCount][MaxGateCount] = NullTablesStore.NullingTables;
int32_t (&NullingValid)[2][RepRateCount] = NullTablesStore.NullingValid;
double (&UserGatesNullTable)[GainCodeCount][MaxGateCount] = NullTablesStore.UserGatesNullTable;
UserGatesHeader& UserGatesNullingHeader = NullTablesStore.UserGatesNullingHeader;
char (&NullProcessingCodes)[RepRateCount + 1] = NullTablesStore.NullProcessingCodes;
int32_t& UserGatesNullingPresent = NullTablesStore.UserGatesNullingPresent;

int32_t NullRateSelected[RepRateCount] = {};

namespace {

constexpr size_t RecordTextLength = NullRecordLength - 2;

// One record: the text blank-padded (or cut) to 58 characters, then CR LF, so that every
// record keeps its 60 bytes whatever a field held.
void AppendRecord(std::string& out, const char* text)
{
    size_t n = std::strlen(text);
    if (n > RecordTextLength)
        n = RecordTextLength;
    out.append(text, n);
    out.append(RecordTextLength - n, ' ');
    out += "\r\n";
}

// A null value in volts as nanovolts in 14 characters. Offsets are a few volts at most; a
// value that would not fit its field (or is not a number) is held to what fits, so the
// record cannot grow and shift every record after it.
void AppendNullValue(std::string& out, double volts)
{
    double nv = volts * 1e9;
    if (!std::isfinite(nv))
        nv = 0.0;
    if (nv > 99999999999.99)
        nv = 99999999999.99;
    if (nv < -9999999999.99)
        nv = -9999999999.99;
    char field[32];
    std::snprintf(field, sizeof field, "%14.2f", nv);
    out += field;
}

void FormatTime(char (&text)[32], const NullTimeStamp& when)
{
    std::snprintf(text, sizeof text, "%02d%02d%04d %02d:%02d:%02d", when.Day, when.Month, when.Year, when.Hour,
                  when.Minute, when.Second);
}

const char* MainsText(int32_t mains)
{
    return mains == 1 ? "160" : "050";
}

int32_t ValidRateIndex(int32_t r)
{
    return (r >= 0 && r < RepRateCount) ? r : 0;
}

void AppendStandardSlot(std::string& out, int32_t mains, int32_t slot, const NullTableValues& t, const char* timeText)
{
    const int32_t rateIndex = slot < RepRateCount ? slot : slot - 5;
    const bool thirty = slot >= RepRateCount;
    for (int32_t g = 0; g < GainCodeCount; ++g) {
        char header[128];
        std::snprintf(header, sizeof header, "N0 %s %3d %8.3f   %c  %s %3d %3d %c    %s", MainsText(mains), rateIndex,
                      RepRateValue(mains, rateIndex), thirty ? '1' : '0', thirty ? "30" : "20", g, g + 1,
                      t.NullProcessingCodes[rateIndex], timeText);
        AppendRecord(out, header);
        const double* gates = t.NullingTables[mains][slot][g];
        const int32_t fullRows = thirty ? 7 : 5;
        for (int32_t row = 1; row <= fullRows; ++row) {
            std::string rec = "N" + std::to_string(row);
            for (int32_t k = 0; k < 4; ++k)
                AppendNullValue(rec, gates[4 * (row - 1) + k]);
            AppendRecord(out, rec.c_str());
        }
        if (thirty) {
            std::string rec = "N8";
            AppendNullValue(rec, gates[28]);
            AppendNullValue(rec, gates[29]);
            AppendRecord(out, rec.c_str());
        }
    }
}

// Row character of a user-gates value record: '1'-'9', then 'A' for row 10 and so on.
char UserRowChar(int32_t row)
{
    return static_cast<char>(row < 10 ? '0' + row : row + 55);
}

bool ReadNullValue(const char* field, double& volts)
{
    double nv = ParseFieldDouble(field, 14);
    if (!std::isfinite(nv))
        return false;
    volts = nv / 1e9;
    return true;
}

}  // namespace

void ClearNullTables(NullTableValues& t)
{
    std::memset(t.NullingTables, 0, sizeof t.NullingTables);
    std::memset(t.NullingValid, 0, sizeof t.NullingValid);
    std::memset(t.UserGatesNullTable, 0, sizeof t.UserGatesNullTable);
}

void MarkNulledRates(NullTableValues& t, int32_t mains, const int32_t (&selected)[RepRateCount])
{
    for (int32_t r = 0; r < RepRateCount; ++r) {
        if (selected[r] == 1)
            t.NullingValid[mains][r] = 1;
    }
}

void AppendNullingTable(std::string& out, int32_t op, int32_t mains, const NullTableValues& t,
                        const int32_t (&selected)[RepRateCount], const NullTimeStamp& when)
{
    mains = mains == 1 ? 1 : 0;
    char timeText[32];
    FormatTime(timeText, when);
    if (op == NullTableToConfig) {
        char flags[32];
        const int32_t* v = t.NullingValid[mains];
        std::snprintf(flags, sizeof flags, "%2d%2d%2d%2d%2d%2d%2d\r\n", v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
        out += flags;
    }
    for (int32_t slot = 0; slot < NullSlotCount; ++slot) {
        if (op == NullTableToLogSelected) {
            const int32_t rateIndex = slot < RepRateCount ? slot : slot - 5;
            if (selected[rateIndex] != 1)
                continue;
        }
        AppendStandardSlot(out, mains, slot, t, timeText);
    }
}

void AppendUserGatesNullingTable(std::string& out, const NullTableValues& t, const NullTimeStamp& when)
{
    char timeText[32];
    FormatTime(timeText, when);
    const UserGatesHeader& h = t.UserGatesNullingHeader;
    const int32_t rateIndex = ValidRateIndex(h.RateIndex);
    int32_t n = h.GateCount;
    if (n < 1)
        n = 1;
    if (n > MaxGateCount)
        n = MaxGateCount;
    for (int32_t g = 0; g < GainCodeCount; ++g) {
        char header[128];
        std::snprintf(header, sizeof header, "U0 %s %2d %8.3f %3d %2d%c%14.3f %s", MainsText(h.Mains), h.RateIndex,
                      RepRateValue(h.Mains, rateIndex), h.GateCount, g + 1, t.NullProcessingCodes[rateIndex],
                      h.FirstGateTimeUs, timeText);
        AppendRecord(out, header);
        for (int32_t row = 1; 4 * (row - 1) < n; ++row) {
            std::string rec = "U";
            rec += UserRowChar(row);
            for (int32_t k = 0; k < 4 && 4 * (row - 1) + k < n; ++k)
                AppendNullValue(rec, t.UserGatesNullTable[g][4 * (row - 1) + k]);
            AppendRecord(out, rec.c_str());
        }
    }
}

bool ReadNullingTable(ByteReader& in, int32_t mains, NullTableValues& t)
{
    mains = mains == 1 ? 1 : 0;
    char line[ConfigLineBufferSize];
    if (ReadTextLine(in, line, ConfigLineBufferSize) < 14)
        return false;
    int32_t flags[RepRateCount];
    for (int32_t r = 0; r < RepRateCount; ++r) {
        flags[r] = ParseFieldInt(line + 2 * r, 2);
        if (flags[r] != 0 && flags[r] != 1)
            return false;
    }
    std::memcpy(t.NullingValid[mains], flags, sizeof flags);

    char rec[NullRecordLength];
    for (int32_t slot = 0; slot < NullSlotCount; ++slot) {
        const bool thirty = slot >= RepRateCount;
        for (int32_t g = 0; g < GainCodeCount; ++g) {
            // Only the tag of the header is checked: the position decides where values go.
            if (!ReadRecordLine(in, rec, NullRecordLength) || rec[0] != 'N' || rec[1] != '0')
                return false;
            double* gates = t.NullingTables[mains][slot][g];
            const int32_t rows = thirty ? 8 : 5;
            for (int32_t row = 1; row <= rows; ++row) {
                if (!ReadRecordLine(in, rec, NullRecordLength) || ParseFieldInt(rec + 1, 1) != row)
                    return false;
                const int32_t fields = row == 8 ? 2 : 4;
                for (int32_t k = 0; k < fields; ++k) {
                    if (!ReadNullValue(rec + 2 + 14 * k, gates[4 * (row - 1) + k]))
                        return false;
                }
            }
        }
    }
    return true;
}

bool ReadUserGatesNullingTable(ByteReader& in, NullTableValues& t)
{
    char line[ConfigLineBufferSize];
    char rec[NullRecordLength];
    UserGatesHeader first;
    bool anyNonZero = false;
    for (int32_t g = 0; g < GainCodeCount; ++g) {
        // The header must reach column 40 (the first gate time) for its fields to exist.
        if (ReadTextLine(in, line, ConfigLineBufferSize) < 40)
            return false;
        if (line[0] != 'U' || line[1] != '0')
            return false;
        UserGatesHeader h;
        h.Mains = ParseFieldInt(line + 3, 1);
        h.RateIndex = ParseFieldInt(line + 7, 2);
        h.GateCount = ParseFieldInt(line + 19, 3);
        h.FirstGateTimeUs = ParseFieldDouble(line + 26, 14);
        if (g == 0) {
            if ((h.Mains != 0 && h.Mains != 1) || h.RateIndex < 0 || h.RateIndex >= RepRateCount || h.GateCount < 1 ||
                h.GateCount > MaxGateCount || !(h.FirstGateTimeUs > 0.0) || !std::isfinite(h.FirstGateTimeUs))
                return false;
            first = h;
            t.UserGatesNullingHeader = h;
        } else if (!(h == first)) {
            return false;
        }
        if (ParseFieldInt(line + 23, 2) != g + 1 || (line[25] != 'S' && line[25] != 'P'))
            return false;

        const int32_t n = first.GateCount;
        for (int32_t row = 1; 4 * (row - 1) < n; ++row) {
            if (!ReadRecordLine(in, rec, NullRecordLength) || rec[0] != 'U' || rec[1] != UserRowChar(row))
                return false;
            for (int32_t k = 0; k < 4 && 4 * (row - 1) + k < n; ++k) {
                double& v = t.UserGatesNullTable[g][4 * (row - 1) + k];
                if (!ReadNullValue(rec + 2 + 14 * k, v))
                    return false;
                if (v != 0.0)
                    anyNonZero = true;
            }
        }
    }
    t.UserGatesNullingPresent = anyNonZero ? 1 : 0;
    return true;
}
