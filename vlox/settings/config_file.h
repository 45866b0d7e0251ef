// The configuration file "VLOXTARNWEL.INI": the version line "V1.42", the 498 setting lines
// in their fixed order, then the null tables. Written and read here over bytes in memory;
// the Win32 side only moves those bytes to and from the file.
#pragma once

#include "vlox/settings/config_stream.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <cstdint>
#include <string>
#include <string_view>

constexpr char ConfigVersion[] = "V1.42";
constexpr char ConfigFileName[] = "VLOXTARNWEL.INI";
constexpr int32_t SettingLineCount = 498;  // lines 2 to 499
// Sample period assumed before the board was set up, microseconds.
constexpr double DefaultSamplePeriodUs = 2.083333333333;

// What the loader needs from outside the settings: the board's sample period (0 before the
// board was set up) and the map pane's width in pixels, for the live map scale.
struct ConfigLoadEnvironment {
    double SamplePeriodUs = 0.0;
    int32_t MapPaneWidth = 0;
};
// What SettingsFile's load passes to the reader. The load runs at start-up, before the board
// and the layout exist, so both stay 0 unless the start-up sets them.
extern ConfigLoadEnvironment SettingsLoadEnvironment;

// Averaging time of one reading by `AveragingTimeIndex` 0..8, ms (0 outside).
int32_t AveragingTimeForIndex(int32_t index);
// Auto-trigger interval by `AutoTriggerIndex` 0..10, ms (0 outside).
int32_t AutoTriggerIntervalForIndex(int32_t index);

// Turn-off time plus the receiver delay (with on-time measurement) plus the transmitter's
// own delay, less 1.2 us: TXB1 adds 12.0, TXA1 and TXA1HP 7.1, the others nothing.
double ComputeTotalTurnOffDelay(const SettingsValues& s);

// Samples to skip for a negative total delay: the integer part of (-delay / period + 0.5),
// with DefaultSamplePeriodUs while samplePeriodUs is not above 0. Returns 1 with the offset
// (0 for a delay of 0 or more); returns 0 with offset 0 when the delay is below the turn-off
// limit of the rate index (or the index is outside 0..6).
int32_t ComputeGateSampleOffset(double totalTurnOffDelay, int32_t repRateIndex, double samplePeriodUs, int32_t& offset);

// The smallest live map size a configuration may hold, metres: one that shows as "0.01 m"
// and whose scale stays finite (a subnormal size would give an infinite one).
constexpr double MinimumMapSize = 0.01;

// The live map scale for a pane width and map size: (width - 3) / size pixels per metre.
double LiveMapScale(int32_t mapPaneWidth, double mapSize);

// Appends the 498 setting lines, then the null tables (50 Hz, 60 Hz, user gates). Marks the
// rates of the last nulling run valid in both mains settings before their flag lines.
void WriteSettings(std::string& out, const SettingsValues& s, NullTableValues& nulls,
                   const int32_t (&nullRateSelected)[RepRateCount], const NullTimeStamp& when);

// The line a turn-off delay below its rate's limit is reported at: the turn-off time's, the
// value the check is about (it runs after line 481, when all its terms are read).
constexpr int32_t TurnOffCheckLine = 73;

// Reads the setting lines from the reader's position (after the version line) with their
// checks, deriving the working values between lines, then the null tables. A bad value sets
// d.ConfigInvalid and ends the reading: the values before it stay, the bad value itself is
// not taken. A GPS corner out of range and a turn-off delay below its limit set
// d.ConfigInvalid and let the reading go on. Returns the line of the first bad value (0 when
// every value was good).
int32_t ReadSettings(ByteReader& in, SettingsValues& s, SettingsDerived& d, NullTableValues& nulls,
                     const ConfigLoadEnvironment& env);

// The whole file: version line, WriteSettings.
std::string ComposeConfigurationFile(const SettingsValues& s, NullTableValues& nulls,
                                     const int32_t (&nullRateSelected)[RepRateCount], const NullTimeStamp& when);

// "V" and a version number ("V1.40", "V2"): a version line, another version's unless "V1.42".
bool IsVersionLine(std::string_view line);

// Reads a whole file's bytes (a UTF-8 byte-order mark before the version line is stepped
// over). Returns 0 only when the first line is the version line of another version: nothing
// is read and the caller replaces the file. Otherwise 1: with the version line "V1.42" the
// settings were read (d.ConfigInvalid tells whether they were good); any other first line (an
// empty file, garbage, UTF-16, CR-only line ends, a longer line) is a damaged file, of which
// nothing is read and d.ConfigInvalid is set. refusedLine, when given, gets the line of the
// first bad value: 1 for any first line but "V1.42", 0 for none.
int32_t LoadConfiguration(std::string_view bytes, SettingsValues& s, SettingsDerived& d, NullTableValues& nulls,
                          const ConfigLoadEnvironment& env, int32_t* refusedLine = nullptr);

// The line at which the next start would refuse this file (0: it loads without a reset), by
// the same reading as the start's, on copies.
int32_t RefusedConfigurationLine(std::string_view bytes, const ConfigLoadEnvironment& env);

// The first setting line (2-499) that the loader would refuse once candidate is saved: its
// lines written as a save writes them and read back as the start reads them. 0 when all load.
int32_t RefusedSettingLine(const SettingsValues& candidate);

// What an OK or a command does with the settings it changed: s becomes candidate only when
// every line of it loads again (0 returned); otherwise s stays as it was and the refused line
// comes back, for the dialog to name the field that lands on it.
int32_t AcceptLoadableSettings(SettingsValues& s, const SettingsValues& candidate);
