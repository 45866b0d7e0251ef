// Rewriting reading parameters of a stored file in place: transmitter current, turn-off
// time, receiver coil type and the sign of the gate values, for the reading under review,
// that reading and all earlier ones, or every reading of the file.
#pragma once

#include "vlox/datafile/fileio.h"

#include <cstdint>
#include <string>

// Filled by the EDITHEADER dialog; kept between openings.
struct HeaderEditRequestData {
    int32_t Range = 0;           // 0 current reading, 1 current and earlier, 2 all readings
    double TxCurrent = 0.0;      // amperes
    double TurnOffTimeUs = 0.0;  // microseconds
    int32_t CoilType = 0;        // index into the coil type names
    int32_t UpdateCurrent = 0;
    int32_t UpdateTurnOffTime = 0;
    int32_t UpdateCoilType = 0;
    int32_t ChangePolarity = 0;
};
extern HeaderEditRequestData HeaderEditRequest;

// A message for the operator: Text empty when there is nothing to say.
struct FileMessage {
    std::string Text;
    std::string Caption;
};

// Texts of the failures the writers and editors report (caption "File Error").
extern const char FileErrorCaption[];            // "File Error"
extern const char DataFileWriteErrorText[];      // a rewrite or an edit could not be written
extern const char StoreWriteErrorText[];         // a reading could not be written
extern const char NoDataFileText[];              // a store was asked for with no data file
extern const char StationIndexWriteErrorText[];  // a stored reading's station index line was not written
extern const char ReadOnlyReviewText[];          // a change asked of a file opened read-only

// Runs the edit on f from its current position P (the end of the reading last read for
// review) and puts the position back to P. Answers the message to show, if any; records
// rewritten before an error stay rewritten.
FileMessage EditHeaderRecords(RecordFile& f, const HeaderEditRequestData& request);

// Negates the gate values of one V record (fields whose last column is not blank), each
// written back "%14.2f" and cut to 14 characters.
void NegateGateValueRecord(char* record);
