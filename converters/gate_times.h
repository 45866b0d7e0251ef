// Gate times, receiver tables and unit conversion of the converters. Gate times are rebuilt
// from the reading's repetition-rate index and gate set, never taken from the file; every gate
// time is in microseconds, the user-defined gates' too.
#pragma once

#include "converters/converter_state.h"

#include <cstdint>

namespace converters {

constexpr int32_t ConverterRateCount = 7;

// The standard gate times in microseconds for a rate index (0..6) and gate set (0 = 20 gates,
// 1 = 30 gates): a pointer to the list and its length; indexes 0 and 1 have the 20-gate list
// only, used for either set. nullptr (count 0) outside the tables.
const double* StandardGateTimes(int32_t rateIndex, int32_t gateSet, int32_t& count);

// `BuildGateTimeTable`: fills p.GateTimes[1..] for the rate index and gate set. Standard sets
// take their list (later entries up to 100 are cleared). User-defined gates (set 2 or more):
// n = p.FileUserGateCount held to 1..100, F = p.FileFirstGateTimeUs, E = the quarter period
// less the turn-off time and the rate's window offset; n log-spaced gates from F to E, each
// time the middle of its gate in microseconds. When F is not above 0 or E not above F the n
// times are 0. A rate index outside 0..6 (or a negative set) leaves the table unchanged.
void BuildGateTimeTable(ParsedRecords& p, int32_t rateIndex, int32_t gateSet);

// Sets `TimeBaseLetter` and `FirstGateTimeText` (time base and first-gate time in ms) and, for
// the 30-gate set at indexes 2..6, the 30-gate pair, from the rate index; with a receiver delay in microseconds other than 0, each text is the table
// time plus delay x 0.001 through its row's mask. An index outside 0..6 leaves them.
void SetFirstGateTexts(ParsedRecords& p, double receiverDelayUs);

// `RxAreaText` of a sensor index 0..10 (square metres); "    ???" outside.
const char* ReceiverAreaText(int32_t coilType);

// `ScaleGateValue`: a gate value in nanovolts into the unit `OutputUnits` selects, by the
// build's units list (mode). Divisions by a zero term leave the value as listed; gate outside
// 0..100 uses a gate time of 0.
double ScaleGateValue(const ParsedRecords& p, int32_t mode, int32_t outputUnits, double value,
                      int32_t gate);

// `ScaleUsfValue`: a gate value in nanovolts into the USF unit `UsfVoltageUnits` selects.
double ScaleUsfValue(const ParsedRecords& p, int32_t usfVoltageUnits, double value);

} // namespace converters
