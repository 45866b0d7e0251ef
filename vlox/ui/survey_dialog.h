// "Survey Parameters": lines and stations, the system configuration, the mains and the
// transmitter loop. The working copies of the open dialog, the loop groups it shows, the
// spin steps, the loop centre that follows the receiver in Central Loop Soundings, and the
// OK that checks everything before it writes anything.
#pragma once

#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/dialog_fields.h"

#include <cstdint>
#include <string>
#include <vector>

struct SurveyDialogModel {
    double Line = 0.0;
    double LineIncrement = 0.0;
    double StartStation = 0.0;
    double StationIncrement = 0.0;
    int32_t Direction = 0;
    int32_t Sequence = 0;
    int32_t Configuration = 0;
    int32_t Mains = 0;
    int32_t Shape = 0;
    int32_t CoordinateType = 0;
    double CentreXAtOpening = 0.0;
    double CentreYAtOpening = 0.0;
};

// The copies as the dialog opens: the start station field shows StartStation for One Way,
// else the current station.
SurveyDialogModel OpenSurveyDialog(const SettingsValues& s, double currentStation);

// The loop centre on the receiver: N/S lines carry the line on x, E/W lines on y.
void PlaceLoopCentre(SettingsValues& s, const SurveyDialogModel& m);

// The edits 1228-1235 in order (row 1 X, row 1 Y, ... row 4 Y), their labels and what a
// loop shape shows in them.
constexpr int32_t LoopFieldCount = 8;
struct LoopGroupView {
    bool FieldVisible[LoopFieldCount] = {};
    bool XyLabelVisible[LoopFieldCount] = {};  // labels 1219-1226
    bool RowLabelVisible[4] = {};              // labels 1215-1218
    std::string RowLabel[4];
    double Value[LoopFieldCount] = {};
    int Decimals = 2;
    std::string Hint;  // empty: hidden, and the coordinate controls shown
};
LoopGroupView LoopGroup(const SettingsValues& s, int32_t shape, int32_t coordinateType);

// Coordinate type, zone and hemisphere list texts.
std::vector<WideString> CornerTypeTexts();
std::vector<WideString> UtmZoneTexts();
std::vector<WideString> HemisphereTexts();

// The operator's name of loop field i (0..7) in a group: its row label without the colon,
// with "X" or "Y" where the row has both ("Tx Corner 3 Y", "Tx Loop Side Length").
std::string LoopFieldName(const LoopGroupView& v, int32_t field);

// Spin steps (d +1 up, -1 down); each result is what its "%.2f" field shows.
void SpinStartStation(SurveyDialogModel& m, int32_t d);
void SpinStationIncrement(SurveyDialogModel& m, int32_t d);
void SpinLine(SurveyDialogModel& m, int32_t d);
void SpinLineIncrement(SurveyDialogModel& m, int32_t d);
// An increment read from its field: exactly 0 becomes 1.0 (true: the field is rewritten).
bool IncrementFromField(double value, double& copy);
// The same from the field's text as it is typed: an emptied field is 1.0 at once (rewritten);
// a text that is not a number leaves the copy, for the OK to refuse.
bool IncrementFromText(const WideString& text, double& copy);

// What the controls hold at OK.
struct SurveyDialogEntries {
    WideString OperatorName;
    double Loop[LoopFieldCount] = {};
    int32_t CornerType = 0;
    int32_t Zone = 0;        // list selection: zone - 1
    int32_t Hemisphere = 0;  // 0 N, 1 S
};

enum SurveyOkOutcome : int32_t {
    SurveyOkAccepted = 0,
    SurveyOkAreaRefused,        // loop area below 1 m2
    SurveyOkCornerRefused,      // a geodetic corner outside +-180 / +-90 degrees
    SurveyOkTooWideRefused,     // a number too wide for the data file
    SurveyOkOutOfRangeRefused,  // a value the configuration loader would refuse
};
extern const char SurveyAreaRefusal[];  // "Transmiter Area equals 0. Press OK and correct"
extern const char SurveyAreaCaption[];  // "Transmitter Size Invalid"
extern const char SurveyCornerRefusal[];

// The GPS corner group ("GPS Coordinates" loop): corners 1-4 as its rows hold them (X1, Y1,
// ... X4, Y4) in the coordinate type of its list, the zone list's selection (zone - 1) and
// the hemisphere (0 N, 1 S). The GPS map type dialog edits the same group.
struct GpsCornerEntries {
    double Corner[LoopFieldCount] = {};
    int32_t CornerType = 0;
    int32_t Zone = 0;
    int32_t Hemisphere = 0;
};
// The group as the settings hold it, and the settings as the group holds them.
GpsCornerEntries GpsCornersOf(const SettingsValues& s);
void ApplyGpsCorners(SettingsValues& s, const GpsCornerEntries& e);

// The checks of an OK of every dialog that edits the loop group (Survey Parameters, GPS Map
// Type). Each gives, in refusedLine, the configuration line of the value it refused (0 when
// it refused none, and for the loop area, which no one field holds).
// CheckLoadable: the settings the OK would save, read back by the configuration loader; a
// refused corner line of geodetic corners is SurveyOkCornerRefused (off the globe), any
// other refused line SurveyOkOutOfRangeRefused.
SurveyOkOutcome CheckLoadable(const SettingsValues& candidate, int32_t& refusedLine);
// CheckLoopGroup: the loop of s (its TxLoopShape and corner type) as its fields were read: a
// field too wide for the data file (geodetic corners aside: the loader holds them to the
// globe), then an area below 1 m2 (NaN included).
SurveyOkOutcome CheckLoopGroup(const SettingsValues& s, const double (&fields)[LoopFieldCount], int32_t& refusedLine);
// The loop field (control firstFieldId + i, named as the group shows it for the shape and
// corner type) whose value lands on a configuration line, for a refusal of that line; a line
// no loop field lands on is named by its number.
FieldRefusal LoopRefusalOfLine(const SettingsValues& s, int32_t shape, int32_t coordinateType, int32_t firstFieldId,
                               int32_t line, FieldRefusalKind kind);

// The OK. Everything is checked first, the settings it would write by the configuration
// loader itself; a refusal writes nothing and gives, in refusedLine, the configuration line of
// the value refused (0 for the loop area). Accepted: the settings and the derived values
// written, the loop area computed; stationMoved tells whether the line or station differs
// from the last stored ones (the live map starts afresh).
SurveyOkOutcome SurveyDialogOk(const SurveyDialogModel& m, const SurveyDialogEntries& e, bool& stationMoved,
                               int32_t* refusedLine = nullptr);

// The field whose value lands on a configuration line (with the shape and corner type the
// dialog shows), for a refusal of that line.
FieldRefusal SurveyRefusalOfLine(const SettingsValues& s, const SurveyDialogModel& m, int32_t line,
                                 FieldRefusalKind kind);
