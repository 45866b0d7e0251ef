// Record writers of the survey data file (.VLX) and of its station index companion.
//
// Every data-file record is DataLineLength = 60 bytes: 58 characters of text, blank-padded,
// then CR LF. Each builder here returns the finished bytes; the writers in store.h append
// them to the open file. Numbers stand right-aligned in their columns exactly as the printf
// formats of the layout make them. A number too wide for its column never runs into the next
// field or past the record: a text longer by no more than its decimals is cut to the field
// (only decimals are lost); anything wider becomes the field's largest number of the value's
// sign (for "%14.2f": "9999999999999." or "-999999999999."); integers are held to the range
// their columns can show. NaN is written as "nan", right-aligned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vlox/settings/textconv.h"

constexpr int DataLineLength = 60;    // bytes per data-file record, CR LF included
constexpr int RecordTextLength = 58;  // text columns before CR LF
constexpr int IndexLineLength = 33;   // bytes per station index line, CR LF included
constexpr int CommentLength = 112;    // characters of one comment (two records of 56)
constexpr int StoredTextChunk = 57;   // characters of a stored text per '@'/'#' record
constexpr int MaxGateValues = 100;    // gates a reading can hold
extern const char DataFileVersion[];  // "V142"
// Stored files are read by other programs and other builds: text records of one size in the
// 32- and the 64-bit build.
static_assert(DataLineLength == RecordTextLength + 2 && DataLineLength == 60 && IndexLineLength == 33,
              "data-file record layout");

// Everything a stored reading's records carry, as the settings and the survey state stand
// at the moment of writing. Field names are those of the settings they come from.
struct ReadingParameters {
    // Line and station.
    double SurveyLine = 0.0;
    int32_t LineDirection = 0;
    double StartStation = 0.0;
    int32_t LineSequence = 0;
    double CurrentStation = 0.0;
    // Reading record.
    int32_t MeterInput = 0;
    int32_t MeterModel = 0;
    // Transmitter and loop.
    double TxCurrent = 3.0;
    double TurnOffTimeUs = 0.0;
    int32_t TxLoopShape = 1;
    int32_t TxTurns = 1;
    int32_t TransmitterType = 0;
    int32_t TxCornerCoordinateType = 1;
    int32_t TxCornerUtmZone = 17;
    int32_t TxCornerHemisphere = 0;
    double TxLoopArea = 0.0;
    double TxCentreX = 0.0;
    double TxCentreY = 0.0;
    double TxLoopSideX = 100.0;
    double TxLoopSideY = 50.0;
    double TxCornerX[4] = {0.0, 50.0, 60.0, -10.0};
    double TxCornerY[4] = {0.0, 0.0, 50.0, 50.0};
    double TxCornerGpsX[4] = {1.0, 1.0, -1.0, -1.0};
    double TxCornerGpsY[4] = {1.0, -1.0, -1.0, 1.0};
    // Receiver.
    int32_t PowerLineFrequency = 1;
    int32_t RepRateIndex = 2;
    int32_t CoilType = 0;
    int32_t NumberOfRecords = 1;
    int32_t ProcessingMethod = 0;
    int32_t AveragingTimeIndex = 5;
    int32_t SelectedComponent = 0;
    int32_t GainX = 5;
    int32_t GainY = 5;
    int32_t GainZ = 5;
    int32_t GateSet = 1;
    int32_t SurveyMode = 0;
    int32_t AutoTriggerIndex = 0;
    int32_t UserGateCount = 40;
    int32_t TwoFrequencyMode = 0;
    int32_t OnTimeMeasurement = 0;
    double ReceiverDelayUs = 0.0;
    double FirstGateTimeUs = 10.0;
    int32_t InvertOn = 0;
};

// The conductivity meter's values as the meter record stores them.
struct MeterValues {
    int32_t Valid = 0;
    char Dipole = 'V';
    double Value1 = 0.0;  // conductivity channel
    double Value2 = 0.0;  // in-phase channel
};

// Field formatting. FixedField: "%<width>.<decimals>f" held to width characters.
// IntField: "%<width>d" (zero-padded with zeroPad) held to the values width columns show:
// 10^width - 1 at most, -(10^(width-1) - 1) at least (0 for one column).
std::string FixedField(double value, int width, int decimals);
std::string IntField(int64_t value, int width, bool zeroPad = false);

// Pads or cuts text to 58 columns and ends it with CR LF: exactly 60 bytes.
std::string FinishRecord(std::string text);

// Header.
std::string FileIdRecord(int32_t gpsInput, const LocalTime& created);  // H1
std::string SurveyInfoRecord(const std::string& operatorName, int32_t systemConfiguration, int32_t reservedTypeCode,
                             int32_t transmitterType,
                             const std::string& dataFileTitle);  // H2
std::string StartPositionRecord(double originEasting, double originNorthing,
                                int32_t gpsNmeaData);  // H3

// A comment pair Cn, Cn+1: the comment (up to its first NUL) blank-padded or cut to 112
// characters, 56 in each record. first is 1, 3, 5 or 7.
std::vector<std::string> CommentRecords(int first, const std::string& comment);

std::string LineRecord(const ReadingParameters& p);                             // L1
std::string StationRecord(double station);                                      // S1
std::string ReadingRecord(int32_t readingCounter, const ReadingParameters& p);  // W1
std::string TransmitterRecord(const ReadingParameters& p);                      // T1
std::vector<std::string> LoopRecords(const ReadingParameters& p);               // P1-P3
// The gate count R1 names: 20 + 10 x GateSet for the standard sets, UserGateCount else.
int32_t ReceiverGateCount(const ReadingParameters& p);
std::vector<std::string> ReceiverRecords(const ReadingParameters& p,
                                         double earlyWindowValue);  // R1, R2
// V records for gateCount values in volts (written as nanovolts); 0 to 100 gates.
std::vector<std::string> GateValueRecords(const double* gateVolts, int gateCount);
std::string MeterRecord(const MeterValues& m);                        // U1
std::string TimeStampRecord(const LocalTime& written, int32_t tick);  // Z1

// A stored text: the first tag with characters 1-57, continuation records of 57 more each
// (the last blank-padded), then the '!' record with the tick. ceil(L / 57) text records,
// at least one, then '!'.
std::vector<std::string> StoredTextRecords(const std::string& text, int32_t tick, char firstTag, char continuationTag);

// One station index line: "%14.3f %14.3f %1d" CR LF, 33 bytes.
std::string StationIndexLine(double surveyLine, double station, int32_t lineDirection);
