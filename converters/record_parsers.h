// The record parsers of the converters: each decodes fixed columns of one survey-file record
// into the parsed-record state (and, for some kinds, returns a short text the writers place
// into their output). Parsers never fail: a field that holds no number reads as 0, a code
// outside its list leaves what it selects, and a record shorter than its columns reads blanks
// there. A number field that holds no plain number (blank, text, "nan", "inf", an exponent)
// is noted in the state's FieldFault: the writers take such a record as damaged. Columns are
// 1-based as in the file's layout.
#pragma once

#include "converters/converter_state.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace converters {

// Columns first..last (1-based, inclusive) of a record; the part beyond its end is missing.
std::string_view Columns(std::string_view record, int32_t first, int32_t last);

// "GPS" in H1 columns 20-22 or 19-21.
bool RecordNamesGps(std::string_view record);

// A stored sentence's start record ('@') of a GGA sentence: "GGA" in columns 5-7.
bool IsGgaStartRecord(std::string_view record);

// The record digit (integer of column 2).
int32_t RecordDigit(std::string_view record);

// `ParseHeaderRecord`: H1 gives 1 when columns 3-8 read "V-LOX " or "TRAVIK", else 0; H2 sets
// the sync texts (code 0-2 in columns 19-20), in the LZ5 build the transmitter code text
// (0-4 in columns 22-23) and the survey layout code (columns 16-17); other H records change
// nothing. Result 1 for every record but a rejected H1.
int32_t ParseHeaderRecord(ConverterState& state, std::string_view record);

// `ParseReadingRecord`: 1 for "W1" (reading included), 0 otherwise.
int32_t ParseReadingRecord(std::string_view record);

// The fields of the records the writers read for themselves, checked as the parsers check
// theirs (the first fault goes to p.FieldFault): a reading record's digit 0 or 1 and its
// station (columns 8-21); a time stamp's date, time and tick (columns 4-11, 13-24, 26-35).
void CheckReadingRecord(ParsedRecords& p, std::string_view record);
void CheckTimeStampRecord(ParsedRecords& p, std::string_view record);

// `ParseLineRecord`: sets the line direction (column 19), the line number in full (and its
// grid coordinate: X for N/S lines, Y for E/W lines) and its label; returns the LZ5 line
// field: the number without trailing zeros, cut to its rightmost four characters, with the
// direction letter, right-aligned in 5.
std::string ParseLineRecord(ConverterState& state, std::string_view record);

// `ParseStationRecord`: sets the station number in full (and its grid coordinate) and its
// label; returns the LZ5 station field (rightmost six characters, right-aligned in 6).
std::string ParseStationRecord(ConverterState& state, std::string_view record);

// `ParseTransmitterRecord`: current and turn-off texts and numbers, loop turns (0 read as 1),
// and the loop shape (columns 33-34; a P1 record of the current layout sets it again, the
// earlier layout has no code of its own); returns the shape.
int32_t ParseTransmitterRecord(ConverterState& state, std::string_view record);

// `ParseLoopRecord`: P1 codes and loop area, and the loop sizes record (P2 of the current
// layout, P1 of the earlier one) with centre, sides and their LZ5 texts; returns the loop area
// text (7 characters) of a square or rectangular sizes record, an empty text for P1 and for the
// other shapes, "   12.1" for any other P record.
std::string ParseLoopRecord(ConverterState& state, std::string_view record);

// `ParseReceiverRecord`: R1 (digit 1) sets mains, rate, sensor, component, gain, gate set and
// user gate count, the time base and first-gate texts, the receiver area and in the LZ5 build
// the averaging code, then the standard gate times (not in the XYZ build); any other digit is
// R2: on-time flag, receiver delay, user first-gate time, early-window value, the user gate
// times, and the first-gate texts moved by the delay. Returns the record digit.
int32_t ParseReceiverRecord(ConverterState& state, std::string_view record);

// The parser of the record's tag (H, L, S, T, P, R, V, W), for a writer that takes nothing
// from the texts they return: the included flag of a W record (ParseReadingRecord), -1 for
// every other record.
int32_t ParseRecordOfTag(ConverterState& state, std::string_view record);

// The record number of a gate-value record's column 2: '1'..'9' give 1..9, 'A'..'Z' give
// 10..35; 0 for any other character.
int32_t GateRecordNumber(char c);

// `ParseGateValueRecord`: the record's values into `GateValues` (converted for the build's
// output) or, in the LZ5 build, into the LZ5 gate texts. Records and gates that lie outside the
// reading's gates (at most 100) are ignored.
void ParseGateValueRecord(ConverterState& state, std::string_view record);

}  // namespace converters
