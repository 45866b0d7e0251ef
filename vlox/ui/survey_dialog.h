// "Survey Parameters": lines and stations, the system configuration, the mains and the
// transmitter loop. The working copies of the open dialog, the loop groups it shows, the
// spin steps, the loop centre that follows the receiver in Central Loop Soundings, and the
// OK that checks everything before it writes anything.
#pragma once

#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

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

// Spin steps (d +1 up, -1 down); each result is what its "%.2f" field shows.
void SpinStartStation(SurveyDialogModel& m, int32_t d);
void SpinStationIncrement(SurveyDialogModel& m, int32_t d);
void SpinLine(SurveyDialogModel& m, int32_t d);
void SpinLineIncrement(SurveyDialogModel& m, int32_t d);
// An increment read from its field: exactly 0 becomes 1.0 (true: the field is rewritten).
bool IncrementFromField(double value, double& copy);

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
    SurveyOkAreaRefused,     // loop area below 1 m2
    SurveyOkCornerRefused,   // a geodetic corner outside +-180 / +-90 degrees
    SurveyOkTooWideRefused,  // a number too wide for the data file
};
extern const char SurveyAreaRefusal[];  // "Transmiter Area equals 0. Press OK and correct"
extern const char SurveyAreaCaption[];  // "Transmitter Size Invalid"
extern const char SurveyCornerRefusal[];

// A refusal's message: the area and corner refusals under "Transmitter Size Invalid", a
// number too wide under the caption of the dialog that refused it. Empty texts for
// SurveyOkAccepted.
struct LoopRefusalMessage {
    std::string Text;
    std::string Caption;
};
LoopRefusalMessage RefusalMessage(SurveyOkOutcome outcome, const char* dialogCaption);

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

// The refusals of a loop held in s (with its TxLoopShape): geodetic GPS corners outside
// -180..180 (X) and -90..90 (Y) degrees, a loop field of another kind too wide for the data
// file, an area below 1 m2 (NaN included). fields are the loop fields as read.
SurveyOkOutcome CheckLoop(const SettingsValues& s, const double (&fields)[LoopFieldCount]);

// The OK. Everything is checked first; a refusal writes nothing. Accepted: the settings
// and the derived values written, the loop area computed; stationMoved tells whether the
// line or station differs from the last stored ones (the live map starts afresh).
SurveyOkOutcome SurveyDialogOk(const SurveyDialogModel& m, const SurveyDialogEntries& e, bool& stationMoved);
