// The arithmetic and the texts of the acquisition, stepping, nulling and test commands, as
// functions over plain values: the command cases call them and then paint and enable.
#pragma once

#include <cstdint>
#include <string>

#include "vlox/measure/nulling.h"
#include "vlox/settings/settings.h"

// ---------------------------------------------------------------------------------------
// Stations and lines (live display)

// A direction code reversed for the "Alternate" line sequence: North and South swap, East
// and West swap; any other code stays.
int32_t ReversedLineDirection(int32_t direction);

// Previous (next false) or Next Station: the reading counter starts again and the station
// moves by the station increment.
void StepStation(bool next, const SettingsValues& s, double& currentStation, int32_t& readingCounter);

// Previous or Next Line: the line moves by the line increment; "Alternate" (sequence 0)
// reverses the station increment and the direction and keeps the station, "One Way" (1)
// goes back to the start station. The reading counter starts again.
void StepLine(bool next, SettingsValues& s, double& currentStation, int32_t& readingCounter);

// After a stored reading: the counter is kept for Repeat Last Station, then starts again,
// and the station advances.
void AdvanceStationAfterStore(const SettingsValues& s, double& currentStation, int32_t& readingCounter,
                              int32_t& previousReadingCounter);

// Repeat Last Station: back one station with the reading counter it had.
void RepeatLastStation(const SettingsValues& s, double& currentStation, int32_t& readingCounter,
                       int32_t previousReadingCounter);

// A review list index one step back or forward inside 0..count-1. False, with the index
// unchanged, at either end (or when the list is empty).
bool StepReviewIndex(bool next, int32_t count, int32_t& index);

// A selection that a review control reports is used only when it names an entry of its
// list: 0 <= selection < count.
bool ReviewSelectionInList(int32_t selection, int32_t count);

// ---------------------------------------------------------------------------------------
// Measure

// The automatic trigger cannot fire faster than one reading: an interval not above the
// averaging time (compared unsigned) becomes 0, the "Fastest" choice.
int32_t AutoTriggerIntervalForMeasure(int32_t averagingTimeMs, int32_t autoTriggerIntervalMs);

// ---------------------------------------------------------------------------------------
// Nulling

// Seconds per stack target and rate index, used for the estimate of a run.
extern const double NullingTimeFactors[RepRateCount];

// Estimated seconds of a run: 14 x factor x stack target / 1000 summed over the rates (all
// seven, or the selected ones), with the stack targets of the averaging time's row; the
// user-gates run is target x factor of the current rate. A rate index outside 0..6 gives 0.
double FullNullingEstimate(const int32_t (&targetRow)[StackTargetSlots]);
double SelectiveNullingEstimate(const int32_t (&targetRow)[StackTargetSlots], const int32_t (&selected)[RepRateCount]);
double UserGatesNullingEstimate(const int32_t (&targetRow)[StackTargetSlots], int32_t repRateIndex);

// Mains frequency in Hz as the nulling texts name it: 50 for the setting 0, else 60.
int32_t NullingMainsHz(int32_t powerLineFrequency);

// Whole minutes and seconds of an estimate; NaN, negative or huge values count as 0 and as
// the largest int so that the texts never come from an undefined conversion.
int32_t EstimateWholeSeconds(double seconds);

enum class NullingKind { Full, Selective, UserGates };
// The confirmation text of the "NULLING" box.
std::string NullingConfirmText(NullingKind kind, int32_t mainsHz, double estimateSeconds);
// The title of the nulling progress box.
std::string NullingProgressTitle(double estimateSeconds);

constexpr const char NullingCaption[] = "NULLING";
constexpr const char NullingRefusalText[] = "Please start Monitor mode and then activate Nulling";
constexpr const char NullingRefusalCaption[] = "Nulling Procedure";
constexpr const char TestRefusalText[] = "Please start Monitor mode and then activate Internal Test mode";
constexpr const char TestRefusalCaption[] = "Internal Test Procedure";
constexpr const char ResetDefaultsText[] = "Press YES to reset to default settings, then start the program.";
constexpr const char ResetDefaultsCaption[] = "Reset to Default Settings";

// ---------------------------------------------------------------------------------------
// Store Reading: the GPS sentences stored after the reading

constexpr uint32_t GgaWaitMs = 5000;
constexpr uint32_t GsaWaitMs = 700;
constexpr uint32_t StaleSentenceMs = 60000;
constexpr const char GgaMissingText[] = "GGA not avaiable";
constexpr const char GsaMissingText[] = "GSA not avaiable";

// What the store of the GPS sentences needs of the GPS link and the data file.
class StoreGpsOps {
public:
    virtual ~StoreGpsOps() = default;
    // False when no sentence can come: the port is not open or no reader reads it.
    virtual bool SentencesCanArrive() = 0;
    // kind 0 GGA, 1 GSA.
    virtual bool Fresh(int32_t kind) = 0;
    virtual void ClearFresh() = 0;
    // Waits until the sentence is fresh or timeoutMs have passed; true when it came.
    virtual bool WaitFresh(int32_t kind, uint32_t timeoutMs) = 0;
    virtual void SetCopyHold(int32_t hold) = 0;
    // The latest sentence and its tick; false when there is none.
    virtual bool Copy(int32_t kind, std::string& text, uint32_t& tick) = 0;
    virtual uint32_t Now() = 0;
    virtual void Store(const std::string& text, uint32_t tick, char firstTag, char continuationTag) = 0;
};

// With GPS input on, stores the latest GGA (and, with the NMEA choice 0, GSA) sentence after
// a reading, waiting for fresh ones as the reading's age asks, or a placeholder text. Where no
// sentence can arrive nothing is waited for: the placeholders are stored at once.
void StoreGpsSentences(int32_t gpsInput, int32_t gpsNmeaData, uint32_t readingEndTick, uint32_t averagingStartTick,
                       StoreGpsOps& ops);

// ---------------------------------------------------------------------------------------
// Child programs started from the File menu

struct ChildProgram {
    int32_t command;
    const char* file;     // started from the program's start folder
    const char* caption;  // of the box that says it is not there
};
// The program a command starts (inversion analysis and the four export commands), or
// nullptr for any other command.
const ChildProgram* ChildProgramFor(int32_t command);
// "<file> not found".
std::string ChildProgramMissingText(const ChildProgram& program);
