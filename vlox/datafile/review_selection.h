// Review selection, averaging and scaling over the review reader's tables: the repetition
// slots and user-gate sets of a line, the profile of a line for one of them, the readings of
// a profile station, the averages of a station per slot and the automatic amplitude axis.
// The texts of the review lists are made here; the Win32 side only puts them in the boxes.
#pragma once

#include "vlox/datafile/review_reader.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t ReviewSlotCount = 12;

// What the selection needs besides the tables: the review file, the conversion of a reading
// into the display unit at the gate centres given (values for its gate count), and where a
// reader's message goes.
struct ReviewContext {
    RecordFile* File = nullptr;
    void (*Convert)(const ReviewReadingData& reading, const double* centresMs, double* out) = nullptr;
    void (*Report)(const FileMessage& message) = nullptr;
};

// Counts per station (of the line) and slot, and per station, rate index and gate count.
extern int32_t StationSlotCounts[MaxReviewStations][ReviewSlotCount];
extern int32_t StationUserGateCounts[MaxReviewStations][RepRateCount][MaxGateCount + 1];
extern int32_t SlotStationCounts[ReviewSlotCount];
extern int32_t UserGateSetStationCounts[RepRateCount][MaxGateCount + 1];
// The chosen slot (or the rate index of the chosen user-gate set) and its gate count.
extern int32_t ReviewSlot;
extern int32_t ReviewUserGateCount;
// The profile of the line.
extern double ProfileStations[MaxReviewStations];
extern int32_t ProfileStationOffsets[MaxReviewStations];  // index into the station tables
extern double ProfileValues[MaxReviewStations][MaxGateCount];
// Readings of the profile station for the chosen repetition.
extern int32_t ProfileRecordNumbers[MaxReviewRecords];
extern int32_t ProfileRecordTags[MaxReviewRecords];
extern int64_t ProfileRecordOffsets[MaxReviewRecords];
// Averages of the station per slot, display unit.
extern double StationSlotAverages[ReviewSlotCount][MaxGateCount];
extern int32_t StationSlotAverageCounts[ReviewSlotCount];
extern int32_t StationSlotRates[ReviewSlotCount];
extern int32_t UserGateReadingsSkipped;

// One reading of the reviewed station as the decay drawings ("Selected", "Average",
// "Avg.+All") and the printed page use it: read when the selection changes, kept in memory so
// that a repaint reads no file.
struct StationDrawingReading {
    int64_t Offset = -1;  // its W record; -1 when the drawing did not need it
    int32_t Read = 0;     // 1 read and converted, 0 could not be read
    int32_t RateIndex = 0;
    int32_t GateSet = 0;
    int32_t GateCount = 0;
    double CentresMs[MaxGateCount] = {};  // its own gate centres
    double LowMs = 0.0;                   // the gate-label axis of its rate and gate set
    double HighMs = 0.0;
    double Values[MaxGateCount] = {};  // display unit
};
extern StationDrawingReading StationDrawingReadings[MaxReviewRecords];
extern int32_t StationDrawingCount;

// Slot of a standard reading (gate set 0 or 1, rate 0-6); -1 for user gates or a bad value.
int32_t SlotOf(int32_t repRateIndex, int32_t gateSet);
// "30Hz/20" and so on by mains (1: 60 Hz family); "" outside 0-11.
std::string SlotLabel(int32_t slot, int32_t mains);
// "%dHz/%d": the rate label's integer part and the gate count.
std::string UserGateSetLabel(int32_t repRateIndex, int32_t gateCount, int32_t mains);
// A station as the station list shows it: "%f" with trailing zeros and a bare point removed.
std::string StationListText(double station);
// A reading as the record list shows it: its number, "X" after it when excluded.
std::string RecordListText(int32_t number, int32_t tag);

// Clears the counts, lists and averages of a review (a new file is opened).
void ResetReviewSelection();

// Reads the readings of the station (the ReviewRecord tables) that the drawing by processing
// needs ("Selected" the readings tagged 1, with gate labels every reading for the time axis;
// "Average" and "Avg.+All" the included ones; "Single" none: it draws the reading shown),
// each converted at its own gate times, into StationDrawingReadings, then the averages per
// slot; the reading shown and the review's gate tables stay as they are. Nothing is reported:
// the count of readings that could not be read is returned, with the first one's message.
int32_t ReadStationDrawing(const ReviewContext& ctx, int32_t processing, bool gateLabels, FileMessage& firstFailure);
// The drawing's reading of entry i of the station's tables, or nullptr when the drawing did
// not read it (or read another station).
const StationDrawingReading* StationDrawingReadingOf(int32_t i);

// Counts slots and user-gate sets over the stations of the line. 0 when any exists, else -1.
int32_t CountStationRepetitions(const ReviewContext& ctx);
// The repetition list: slots with more than one station, then user-gate sets likewise;
// sets ReviewStandardEntryCount and ReviewUserGateEntryCount.
std::vector<std::string> RepetitionListLabels(int32_t mains);
// The profile and the reading list for the choice-th listed slot / user-gate set: the listed
// stations, their rows and the readings of the first listed station. 1 when that station lists
// a reading (the place to show is listed station 0, its reading 0). A choice outside the list
// changes nothing and answers 0. The reading shown is left alone: the caller shows the place.
int32_t SelectReviewRepetition(const ReviewContext& ctx, int32_t choice);
int32_t SelectReviewUserGateSet(const ReviewContext& ctx, int32_t choice);
// The reading list of listed station k for the repetition entry choice; 1 when it lists a
// reading (the place is its reading 0).
int32_t SelectReviewStation(const ReviewContext& ctx, int32_t k, int32_t choice);
// What the readings of a repetition entry hold to: rate index, gate set (0 20 gates, 1 30, 2
// user gates) and gate count. GateCount 0: no list gives them (the decay view's lists).
struct RepetitionGates {
    int32_t RateIndex = 0;
    int32_t GateSet = 0;
    int32_t GateCount = 0;
};
// Those of entry choice of the repetition list as the selection now stands (the chosen slot,
// or the chosen user-gate set for an entry after the standard ones).
RepetitionGates RepetitionGatesOf(int32_t choice);
// The entry of the repetition list that offers a slot (userSet false) or the user-gate set of
// a rate and gate count (userSet true), as the counts now stand; -1 when it is not offered.
int32_t RepetitionEntryOf(int32_t slot, int32_t userGateCount, bool userSet);
// The listed profile station at lineStation of the line's stations; else the one nearest to
// the station value (on a tie the lower value); -1 when none is listed.
int32_t NearestListedStation(int32_t lineStation, double station);
// The mains family (1: 60 Hz) of the readings the last count read: the repetition labels'.
extern int32_t ReviewRepetitionMains;
// Averages the included readings of the station per slot, from the readings the drawing read
// (StationDrawingReadings); a reading that could not be read takes no part.
void AverageStationRecords();

// Puts f at the end of the reading at offset (the reading shown, ReviewShownOffset, in every
// view and processing): where Edit Selected Parameters counts "Current Reading" and "Current and
// All Earlier Readings" from. 1, or 0 with the reader's message (or none for offset -1).
int32_t SeekPastReading(RecordFile& f, int64_t offset, FileMessage& msg);
// The entry of offsets[0..count) that holds offset, -1 when none does.
int32_t EntryOfOffset(const int64_t* offsets, int32_t count, int64_t offset);

// The amplitude axis for the smallest and largest value (decades in double precision).
// Always finite: NaN or infinite limits give 0 and 1.
void ReviewAxisLimits(double smallest, double largest, double& axisMin, double& axisMax);
// The automatic scale of the review (or live) plot: the values by view and processing as the
// review shows them (from memory: the reading shown, the drawing's readings, the averages, the
// profile), then ReviewAxisLimits. live: the live values (reviewMode -1).
void AutoScaleReview(int32_t reviewMode, const double* liveValues, int32_t liveCount, double& axisMin, double& axisMax);
