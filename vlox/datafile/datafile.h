// The survey data file being recorded: its program-wide state (path, title, pending
// comments, the offsets of the comment pairs last written, the last stored line and
// station, the reading counter) and the record writers that append to it.
//
// The user-interface thread and the GPS reader thread both append to the data file. Every
// record group and every seek-write-seek runs under DataFileLock, so a GPS sentence never
// lands inside a reading's records; code that moves the file position of the data file
// (readers that put it back) holds the lock for the whole move.
#pragma once

#include "vlox/datafile/fileio.h"
#include "vlox/datafile/records.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

extern std::recursive_mutex DataFileLock;

// Path and names of the current data file. DataFilePath and DataFileTitle are narrow (the
// title goes into H2); DataFileWideTitle is the file name without folder as chosen ("CURRENT"
// before any file is created).
extern std::string DataFilePath;
extern std::string DataFileTitle;
extern WideString DataFileWideTitle;

// Pending comments, each up to CommentLength characters (narrow).
enum CommentLineIndex { FileCommentLine = 0, LineCommentLine = 1, StationCommentLine = 2 };
enum RecordCommentIndex { PreviousRecordComment = 0, NextRecordComment = 1 };
extern std::string CommentLines[3];        // file, line, station comment
extern std::string RecordCommentLines[2];  // previous-record, next-record comment

// Byte offsets in the data file of the comment pairs last written; 0: none written yet.
struct CommentOffsetTable {
    int64_t File = 0;            // C1 of the file comment
    int64_t Line = 0;            // C3 after the last L1
    int64_t Station = 0;         // C5 after the last S1
    int64_t PreviousRecord = 0;  // C7 of the last reading stored
    int64_t Reading = 0;         // C7 position the gate-value writer computed last
};
extern CommentOffsetTable CommentOffsets;

// Line and station of the last L1 and S1 records: LastStoredLine and LastStoredStation
// (vlox/settings/settings.h).
// Reading number within the current station: 0 after a new station, counted up before
// each W1 record.
extern int32_t ReadingCounter;
// Readings stored by the automatic trigger since the last survey setup.
extern int32_t AutoStoredCount;
// Offset of the loop centre from the receiver, fixed by the survey dialog (metres).
extern double TxCentreOffsetX;
extern double TxCentreOffsetY;

// Source of the local time the header and time-stamp writers take at writing.
using LocalClock = std::function<LocalTime()>;

// Everything the header records carry.
struct FileHeaderFields {
    int32_t GpsInput = 0;
    std::string OperatorName;  // narrow: the low byte of each character
    int32_t SystemConfiguration = 1;
    int32_t ReservedTypeCode = 0;
    int32_t TransmitterType = 0;
    std::string DataFileTitle;
    double GpsOriginEasting = 0.0;
    double GpsOriginNorthing = 0.0;
    int32_t GpsNmeaData = 0;
};

// Record writers: each appends at the file's current position and answers false when the
// write failed. Callers hold DataFileLock for the group they write.
bool WriteFileHeader(RecordFile& f, const FileHeaderFields& h, const LocalTime& now);  // H1-H3; file-comment offset
bool WriteLineRecord(RecordFile& f, const ReadingParameters& p);                       // L1; line-comment offset
bool WriteStationRecord(RecordFile& f, double currentStation);                         // S1; station-comment offset
bool WriteStationIndexLine(RecordFile& index, const ReadingParameters& p);
bool WriteReadingRecord(RecordFile& f, const ReadingParameters& p);  // W1 with ReadingCounter
bool WriteTransmitterRecord(RecordFile& f, const ReadingParameters& p);
bool WriteLoopRecords(RecordFile& f, const ReadingParameters& p);
bool WriteReceiverRecords(RecordFile& f, const ReadingParameters& p, double earlyWindowValue);
// V records (and U1 when the meter is on with model 0); the reading-comment offset becomes
// the position after them, and the previous-record offset too while it is still 0.
bool WriteGateValueRecords(RecordFile& f, const ReadingParameters& p, const double* gateVolts, int gateCount,
                           const MeterValues& meter);
bool WriteTimeStampRecord(RecordFile& f, const LocalTime& now, uint32_t tick);

// Writes the comment pair Cn, Cn+1. Mode 0 appends at the current position; mode 1 writes
// over the pair at offset and puts the position back where it was.
bool WriteCommentRecords(RecordFile& f, int mode, int first, int64_t offset, const std::string& text);
// Reads the text of the pair Cn, Cn+1 at offset (112 characters, blanks kept) and puts the
// position back; false, text untouched, when no such pair lies there.
bool ReadCommentRecords(RecordFile& f, int first, int64_t offset, std::string& text);

// Appends a stored text ('@'/'#' and '!', or '?'/'"' and '!' for the placeholders) as one
// group under the lock and flushes it. No file (nullptr) writes nothing and answers false.
bool StoreTextInDataFile(RecordFile* f, const std::string& text, uint32_t tick, char firstTag, char continuationTag);

// Puts the recording state back to "no file written yet" (program start, tests).
void ResetDataFileState();
