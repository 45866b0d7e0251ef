// Starting a data file and storing readings: the record order of a stored reading, the
// two-repetition store, the loop-centre move and the clearing of pending comments. All of
// it works on a RecordFile, the reading's results and the values of the settings, so the
// sequences are tested without Windows; the Win32 edge (datafile_win.h) passes the open
// data file and the program's settings.
#pragma once

#include "vlox/datafile/datafile.h"

#include <cstdint>

// One record of a measurement as the measurement cycle leaves it for the store: the gate
// row in volts, the record's early-window value and its tick count.
struct ReadingRecordResult {
    double GateRow[101] = {};
    double EarlyWindowValue = 0.0;
    uint32_t Tick = 0;
    LocalTime Time;
};

// The two-frequency choices: 0-6 rate index with 20 gates, 7-11 rate index 2-6 with 30.
struct DualRepetitionChoice {
    int32_t FirstRepetitionChoice = 0;
    int32_t SecondRepetitionChoice = 9;
    int32_t FirstRepetitionGain = 3;
    int32_t SecondRepetitionGain = 5;
};

enum class StoreResult {
    Stored,      // every record written and flushed
    NoDataFile,  // refused: no data file is open; nothing written, nothing counted
    WriteFailed  // a write or the flush failed; the file is cut back, nothing counted
};

struct StoreOutcome {
    StoreResult Result = StoreResult::NoDataFile;
    bool NewStation = false;  // S1 written: the station map has a new station to show
    // Stored, but the new station's line could not be written into the station index (a full
    // card): the station map misses it.
    bool IndexWriteFailed = false;
};

// Starts a new data file on an empty file: clears every pending comment and every comment
// offset (they belonged to the previous file), ReadingCounter = 0, writes H1-H3 and the blank
// file comment C1/C2, and sets LastStoredLine so that the first store writes L1.
bool BeginDataFile(RecordFile& f, const FileHeaderFields& h, const LocalTime& now);

// Appends one reading of p.NumberOfRecords records (one record, from rows[1], in automatic
// survey mode) with the line and station records it needs. rows[k] is record k, from 1.
// stationIndex (may be nullptr) receives one index line per new station. gateCount is the
// GateCount in use. The whole group is written under DataFileLock and flushed; on a failed
// write the file is cut back to where the group began and the recording state is as before.
StoreOutcome StoreReadingTo(RecordFile* f, RecordFile* stationIndex, const ReadingParameters& p, int gateCount,
                            const ReadingRecordResult* rows, const MeterValues& meter, const LocalClock& clock);

// Selects a two-frequency rate: RepRateIndex and GateSet from the choice, and the gain of
// the selected component.
void SelectRepetitionChoice(ReadingParameters& p, int32_t choice, int32_t gain);

// Appends a two-frequency reading: for k = 1..NumberOfRecords the record at the first rate
// (rowsA[k]) and then at the second (rowsB[k]), each with its own rate, gate set and gain.
// p is left at the second rate's values, as the settings must be afterwards.
StoreOutcome StoreDualRepetitionReadingTo(RecordFile* f, RecordFile* stationIndex, ReadingParameters& p,
                                          const DualRepetitionChoice& c, const ReadingRecordResult* rowsA,
                                          const ReadingRecordResult* rowsB, const MeterValues& meter,
                                          const LocalClock& clock);

// Moves the loop centre with the receiver after a station or line step: nothing with a fixed
// transmitter (system configuration 1) or another line direction than 0-3.
void UpdateLoopCentreOf(int32_t systemConfiguration, int32_t lineDirection, double surveyLine, double currentStation,
                        double& txCentreX, double& txCentreY);

// Clears pending comments: level 1 the file and line comments with their offsets (a new
// file), level 2 the line comment; every level the station, previous-record and next-record
// comments. The offsets of the pairs last stored are kept: a step back to that line and
// station (Repeat Last Station, Previous Station) finds them again, and the comments dialog
// writes over a pair only while it belongs to the current line and station.
void ClearComments(int level);
