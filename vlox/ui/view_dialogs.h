// The models of the display and instrument settings dialogs: "Plot Scale Setup" (SCALEPLOT),
// "Map Options" (MAPSCALE), "GPS Port Setup" (GPSPORT), "GPS Coordinates" (GPSCOORDINATES),
// "GPS Map Type" (GPSSURVEYTYPE) and "Profile Plot Attributes" (PROFILES, PROFILESEXTENDED).
// Each dialog opens with the fields made from the settings and, on OK, writes back what it
// read with its corrections; every value written is one the configuration loader accepts.
// The dialog procedures only move these fields to and from their controls.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "vlox/settings/settings.h"
#include "vlox/ui/dialog_fields.h"
#include "vlox/ui/survey_dialog.h"

// ---------------------------------------------------------------------------------------
// Plot Scale Setup

constexpr int32_t StationsPerProfileChoiceCount = 10;
// The "Number of Visible Stations:" entries: 10, 20, 30, 40, 50, 70, 100, 150, 200, 300.
extern const int32_t StationsPerProfileChoices[StationsPerProfileChoiceCount];
// The entry chosen for the profile window (not kept in the configuration file: 4, 50
// stations, at every start).
extern int32_t StationsPerProfileIndex;

struct PlotScaleFields {
    double TimeMinMs = 0.0, TimeMaxMs = 0.0;
    double AmplitudeMin = 0.0, AmplitudeMax = 0.0;
    double LinearMin = 0.0, LinearMax = 0.0;
    int32_t TimeAxisLabels = 0;  // 0 "Time in ms", 1 "Time Gates"
    int32_t DisplayUnit = 0;
    int32_t TimeMinorGrid = 0, AmplitudeMinorGrid = 0;
    int32_t TimeAutoScale = 0, AmplitudeAutoScale = 0;
    int32_t StationsIndex = 4;
};

PlotScaleFields PlotScaleFieldsFrom(const SettingsValues& s, int32_t stationsIndex);
// The time range edits are open only for "Time in ms" without automatic time scaling.
bool TimeRangeEditable(int32_t timeAxisLabels, int32_t timeAutoScale);
// OK: the ranges corrected (a time minimum of 0 or less is 0.001 and a maximum not above it
// 100 times it; an amplitude minimum strictly between -1 and 0 is -1, strictly between 0 and
// 1 is 0, a maximum below 10 is 10, a minimum not below the maximum a tenth of it; the
// linear section at least -1 to 1); "Time Gates" is "Time in ms" while the two-frequency
// measurement is live; a station entry outside the list keeps the one before. Nothing is
// written when the configuration loader would refuse the settings: the refused line comes
// back (0 when all was written).
int32_t ApplyPlotScale(const PlotScaleFields& f, int32_t reviewMode, SettingsValues& s, int32_t& stationsIndex,
                       int32_t& stationsPerWindow);
// The dialog's number fields (time min and max, amplitude min and max, linear section
// minimum and maximum) with their configuration lines.
extern const DialogField PlotScaleNumberFields[6];

// ---------------------------------------------------------------------------------------
// Map Options

constexpr int32_t MapStepChoiceCount = 9;
// The zoom and pan steps in percent of the map size by list index.
extern const int32_t MapStepPercents[MapStepChoiceCount];
// The list text of an entry: "2 %" ... "100 %"; "" outside the list.
std::string MapStepText(int32_t index);
// The percentage of an index; 10 (the default entry's) outside the list.
int32_t MapStepPercent(int32_t index);

struct MapOptionsFields {
    double MapSize = 0.0;  // the live map, or the review map while reviewing
    double GridInterval = 0.0;
    int32_t ZoomIndex = 2, PanIndex = 2;
    int32_t Background = 0;  // 0 survey lines, 1 map grid, 2 none
    int32_t ShowReferencePoint = 0;
};

MapOptionsFields MapOptionsFieldsFrom(const SettingsValues& s, bool reviewing, double reviewMapSize);

// What OK changes beside the settings.
struct MapScaleState {
    double ReviewMapSize = 0.0;
    double PixelsPerMetre = 0.0;          // live map scale
    double PreviousPixelsPerMetre = 0.0;  // the scale the GPS track was drawn at
    int32_t ZoomPercent = 10;
    int32_t ShiftPercent = 10;
};

// OK: the new size goes to the live map (and its scale: (pane side - 3) / size, the old scale
// kept for the GPS track) or, while reviewing, to the review map only; a size that is not
// above 0 keeps the old one. The grid interval is made positive and, when the map would have
// more than 20 cells of it (an interval of 0 included), becomes a tenth of the map size.
// List entries outside their lists keep the settings' entries. Nothing is written when the
// configuration loader would refuse the settings (a map size below its floor, an interval too
// large to store): the refused line comes back (0 when all was written).
int32_t ApplyMapOptions(const MapOptionsFields& f, bool reviewing, int32_t mapPaneSide, SettingsValues& s,
                        MapScaleState& state);
// The map size and grid interval fields with their configuration lines.
extern const DialogField MapOptionsNumberFields[2];

// ---------------------------------------------------------------------------------------
// GPS Port Setup and GPS Coordinates

// The drop lists of GPS Port Setup, in the order of the template.
enum GpsPortList : int32_t {
    GpsListInput,
    GpsListNmea,
    GpsListPort,
    GpsListBaud,
    GpsListParity,
    GpsListDataBits,
    GpsListStopBits,
    GpsListDisplay,
    GpsListCount
};
// The entries of a list ("Disabled", "External", "Internal"; "COM1:" ... "COM36:"; ...).
std::vector<std::string> GpsPortListEntries(int32_t list);
// The selection of each list, from and to the settings.
using GpsPortFields = std::array<int32_t, GpsListCount>;
GpsPortFields GpsPortFieldsFrom(const SettingsValues& s);
// OK: each setting from its list (a selection outside its list keeps the setting); the GPS
// input stays as it was while the GPS monitor is up; the NMEA choice is "GGA/GSA" unless the
// input is External (the loader accepts "GGA" alone only there).
void ApplyGpsPort(const GpsPortFields& f, bool monitorShown, SettingsValues& s);

// What OK does with the readers, from the state before OK and the settings after it.
struct GpsRestartPlan {
    bool StopReaders = false;   // end the running readers, then close the port
    bool StartMonitor = false;  // the port opened again and the monitor's reader started
    bool StartReader = false;   // the port opened again and the GPS reader started
};
// With the monitor up its reader is restarted on the new settings. Otherwise a running
// reader is stopped when the input was External, when the input or the port changes; then a
// reader is started when none runs and the input is External or Internal. An Internal
// reader whose input and port stay keeps running.
GpsRestartPlan PlanGpsRestart(bool monitorShown, const SettingsValues& before, const SettingsValues& after,
                              bool readerRunning);

// The "Display:" list of both dialogs.
std::vector<std::string> GpsDisplayEntries();
// GPS Coordinates, OK: the display choice (kept when outside the list).
void ApplyGpsCoordinates(int32_t selection, SettingsValues& s);

// ---------------------------------------------------------------------------------------
// GPS Map Type

// The choices in the order of the dialog's radio buttons, as line 490 holds them: 0 the grid
// of lines and stations, 1 GPS with the loop as a symbol at the first station, 2 GPS with the
// loop corners as entered (the corner group of Survey Parameters).
constexpr int32_t GpsMapTypeCount = 3;
constexpr int32_t GpsMapCornersEntered = 2;
// Without GPS input the map is the grid whatever line 490 says, so the GPS choices are not
// offered and the dialog says why.
bool GpsMapChoicesOffered(const SettingsValues& s);
extern const char GpsMapNoGpsNote[];
// The choice checked as the dialog opens: the GPS map type, the grid without GPS input.
int32_t GpsMapChoiceAtOpening(const SettingsValues& s);
// OK: the choice into GpsMapType (without GPS input, and for a choice outside the list, the
// saved type stays). The corners-entered choice takes the corner group, with the checks of Survey
// Parameters' group; the settings it would save are read back by the configuration loader.
// A refusal writes nothing and gives the refused configuration line in refusedLine (0 for
// the loop area). A list selection outside its list keeps the setting. The map layout then
// follows with MapLayoutFor.
SurveyOkOutcome GpsMapTypeOk(int32_t choice, const GpsCornerEntries& corners, SettingsValues& s,
                             int32_t* refusedLine = nullptr);
// The corner field whose value lands on a configuration line, for a refusal of that line.
FieldRefusal GpsMapTypeRefusalOfLine(const SettingsValues& s, int32_t cornerType, int32_t line, FieldRefusalKind kind);

// ---------------------------------------------------------------------------------------
// Profile Plot Attributes

constexpr int32_t ProfileGateCount = 100;
constexpr int32_t ProfileEntryCount = CurveCount;  // 100 gates and three decay curves
constexpr int32_t ProfileWidthChoices = 4;

// The width list's entries: "1 pixel" ... "4 pixels", or "1px" ... "4px" for the gate rows
// (entry below 100) while the user-defined gates are in use.
std::string ProfileWidthText(int32_t entry, int32_t choice, int32_t gateSet);
// The list entry of a stored width (1 to 4 pixels; a width of 0 shows as the first entry).
int32_t ProfileWidthSelection(int32_t width);
// The width of a list entry: entry + 1; a selection outside the list keeps width.
int32_t ProfileWidthOf(int32_t selection, int32_t width);

// The template: PROFILESEXTENDED for user-defined gates, PROFILES for the standard sets.
bool ProfileTemplateExtended(int32_t gateSet);
// The gate rows a template has: 30 or 100.
int32_t ProfileTemplateGates(bool extended);

// What the dialog read at OK. A control the template lacks reads -1 and leaves its entry
// as it was.
struct ProfileAttributesReadout {
    std::array<int32_t, ProfileGateCount> GateVisible;
    std::array<int32_t, ProfileGateCount> NumbersVisible;
    std::array<int32_t, ProfileEntryCount> WidthSelection;
    ProfileAttributesReadout()
    {
        GateVisible.fill(-1);
        NumbersVisible.fill(-1);
        WidthSelection.fill(-1);
    }
};
// The numbers check box of gate i is open for the user-defined gates below their count.
bool NumbersGateEditable(int32_t gate, int32_t gateSet, int32_t userGateCount);
// OK: the visibility of each gate whose box exists, the numbers visibility of the gates
// whose numbers box exists and is open, the width of each entry whose list exists.
void ApplyProfileAttributes(const ProfileAttributesReadout& r, int32_t gateSet, int32_t userGateCount,
                            SettingsValues& s);
