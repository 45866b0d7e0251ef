// The review reader: the header of a stored data file, the index of its lines, the stations
// of a line and the readings of a station, one stored reading parsed into ReviewReading, and
// the gate-centre times of the reviewed reading.
//
// Everything works on a RecordFile (the review file, or a buffer in tests). Every deviation
// from the record layout is refused with its numbered message ("15-Error in file line %d",
// caption "File Error"); the line is the file position after the failing read divided by 60,
// plus 1. A value that would index a table (rate index, mains, coil type, gains, gate set,
// gate count, loop shape, component) is checked like a tag: a reading that fails a check is
// refused with the message of the record it stands in, and nothing of it is kept.
#pragma once

#include "vlox/datafile/editheader.h"
#include "vlox/datafile/fileio.h"
#include "vlox/settings/settings.h"

#include <cstdint>
#include <string>

constexpr int32_t MaxReviewLines = 200;
constexpr int32_t MaxReviewStations = 200;
constexpr int32_t MaxReviewRecords = 200;

// One stored reading as the reader parses it.
struct ReviewReadingData {
    // Reading record.
    int32_t Included = 1;  // W1 1, W0 0
    int32_t MeterFlag = 0;
    int32_t MeterModel = 0;
    // Transmitter and loop.
    double TxCurrent = 0.0;
    double TurnOffTimeUs = 0.0;
    int32_t LoopShape = 0;
    int32_t TxTurns = 1;
    double AmpereTurns = 0.0;
    int32_t CornerCount = 4;
    int32_t CornerCoordinateType = 1;
    int32_t CornerUtmZone = 0;
    int32_t CornerHemisphere = 0;
    double LoopArea = 0.0;  // P1 columns 45-58 (codes layout)
    double CentreX = 0.0;
    double CentreY = 0.0;
    double SideX = 0.0;
    double SideY = 0.0;
    double CornerX[4] = {};  // shapes 2 (metres) and 3 (GPS coordinates)
    double CornerY[4] = {};
    // Receiver.
    int32_t PowerLineFrequency = 1;
    int32_t RepRateIndex = 0;
    double RepetitionRate = 0.0;  // Hz, the rate label of the mains family
    int32_t CoilType = 0;
    int32_t NumberOfRecords = 1;
    int32_t ProcessingMethod = 0;
    int32_t AveragingTimeIndex = 0;
    int32_t Component = 0;
    int32_t ComponentCount = 1;
    int32_t GainX = 0;
    int32_t GainY = 0;
    int32_t GainZ = 0;
    int32_t Gain = 0;  // of the component in use
    int32_t GateSet = 0;
    int32_t GateCount = 20;  // 1..100
    int32_t TwoFrequencyMode = 0;
    int32_t OnTimeMeasurement = 0;
    double ReceiverDelayUs = 0.0;
    double FirstGateTimeUs = 0.0;
    double EarlyWindowValue = 0.0;
    double GateValues[MaxGateCount] = {};  // nanovolts, as stored
    // Meter: state -1 off, 0 no valid value, 1 valid.
    int32_t MeterState = -1;
    char MeterDipole = 'V';
    double MeterValues[2] = {};
    // Comment and time stamp.
    std::string Comment;
    int32_t CommentPresent = 0;
    int64_t CommentOffset = 0;
    std::string DateText;  // "dd/mm/yyyy"
    std::string TimeText;  // "hh:mm:ss"
    int32_t TestKind = 0;  // 45-48 from W column 26, 0 none
};

// Header values of the reviewed file.
struct ReviewHeaderData {
    std::string OperatorName;
    int32_t SystemConfiguration = 0;
    int32_t ReservedTypeCode = 0;
    int32_t TransmitterType = 0;
    double StartEasting = 0.0;
    double StartNorthing = 0.0;
    int32_t NmeaData = 0;
    int32_t Variant = 0;  // H1 column 8 'D': standard sets of 15 gates
};

// The reviewed file's tables. The counts are those of review_state.h.
extern int64_t ReviewLineOffsets[MaxReviewLines];
extern double ReviewLineNumbers[MaxReviewLines];
extern int32_t ReviewLineDirections[MaxReviewLines];
extern std::string ReviewLineTexts[MaxReviewLines];  // the line combo box's texts
extern int64_t ReviewStationOffsets[MaxReviewStations];
extern double ReviewStationValues[MaxReviewStations];
extern int64_t ReviewRecordOffsets[MaxReviewRecords];
extern int32_t ReviewRecordTags[MaxReviewRecords];  // -1 excluded, 0 included, 1 also chosen
extern int32_t ReviewRecordNumbers[MaxReviewRecords];

extern ReviewHeaderData ReviewHeader;
// 45-48 for a file or reading of the internal test, 0 for a survey file.
extern int32_t ReviewTestMode;
// Gate centres of the reviewed reading, ms, a row per rate index.
extern double ReviewGateCentres[RepRateCount][MaxGateCount];

// The numbered message of the reader for a failure at the file's position.
FileMessage ReviewErrorMessage(int number, int64_t positionAfterRead);

// Reads H1-H3 and the file comment pair from the start of the file. 1, or 0 with msg.
int32_t ReadFileHeader(RecordFile& f, FileMessage& msg);
// Indexes every L record (at most 200) with its number, text and direction (a direction
// outside 0-3 reads as 0).
void IndexLines(RecordFile& f);
// The stations of the line whose L1 is at offset, with its optional comment pair. 1, or 0
// with msg (the tables keep what was filled before the failure).
int32_t ReadLineStations(RecordFile& f, int64_t offset, FileMessage& msg);
// The readings of the station whose S1 is at offset, with its optional comment pair.
int32_t ReadStationRecords(RecordFile& f, int64_t offset, FileMessage& msg);
// Parses the reading whose W record is at offset into out. 1, or 0 with msg and out
// untouched. ReviewTestMode takes the reading's test kind when it names one; nothing else of
// the review changes (the review's comments belong to the reading it shows).
int32_t ReadMeasurementRecord(RecordFile& f, int64_t offset, ReviewReadingData& out, FileMessage& msg);
// The comments of the reading whose W record is at offset, of its station and of its line,
// read again from the file into ReviewComments (with the offsets of their pairs), whatever
// the review read since. 1, or 0 with msg.
int32_t ReadCommentsOfReading(RecordFile& f, int64_t offset, FileMessage& msg);
// The same with the numbers of the four gate-value failures of the caller's own messages: a
// full record read short, a full record without 'V' and its number, the last, partial record
// read short, the partial record without them (the review's are 27 to 30).
int32_t ReadMeasurementRecord(RecordFile& f, int64_t offset, ReviewReadingData& out, FileMessage& msg,
                              const int (&gateValueNumbers)[4]);

// ReviewGateCentres and TimeAxisLow/TimeAxisHigh for the reading. Standard sets keep the
// 20-gate axis of rate indexes 3-6 at a tenth of the live values, as stored files were always
// shown. User-defined gates that cannot be spaced leave the tables as they were (result 0).
int32_t BuildReviewGateTimes(const ReviewReadingData& r);
// A reading's own gate centres (ms) and the gate-label axis of its rate and gate set, built
// as BuildReviewGateTimes builds them but without touching the review's tables or the live
// time axes. false, with everything 0, when they cannot be built.
bool GateTimesOfReading(const ReviewReadingData& r, double (&centresMs)[MaxGateCount], double& lowMs, double& highMs);
// The same for a reading of the standard gate set (0: 20 gates, 1: 30) at a rate: the
// averages' slots.
bool StandardGateTimes(int32_t rate, int32_t gateSet, double (&centresMs)[MaxGateCount], double& lowMs, double& highMs);

// Clears the tables of a review (a new file is opened).
void ResetReviewTables();

// Writes the tags of count readings into their W records (column 2: '0' when the tag is -1,
// else '1'). A record is written back only after a full read that starts with 'W'; a failed
// write is reported once in msg and the other records are still written. The position is
// put back. Returns the number of records rewritten.
int32_t RewriteRecordTags(RecordFile& f, const int64_t* offsets, const int32_t* tags, int32_t count, FileMessage& msg);
