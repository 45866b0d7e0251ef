// Repetition-rate, gate-time and model tables: the two families of seven repetition rates
// tied to the mains frequency, the standard 20- and 30-gate sets and the user-defined
// log-spaced gates, and the transmitter and receiver-sensor name lists.
#pragma once

#include "vlox/settings/settings.h"

#include <cstdint>

// Rate labels in hertz, by rate index; `PowerLineFrequency` 1 picks the 60 Hz family.
extern const WideChar* const RepRateLabels60Hz[RepRateCount];
extern const WideChar* const RepRateLabels50Hz[RepRateCount];

// Quarter periods and early-window ends (quarter period + 500), microseconds.
constexpr double QuarterPeriod60Hz[RepRateCount] = {877, 3333, 8333, 33333, 83333, 333333, 833333};
constexpr double QuarterPeriod50Hz[RepRateCount] = {1053, 4000, 10000, 40000, 100000, 400000, 1000000};
constexpr double EarlyWindowEnd60Hz[RepRateCount] = {1377, 3833, 8833, 33833, 83833, 333833, 833833};
constexpr double EarlyWindowEnd50Hz[RepRateCount] = {1553, 4500, 10500, 40500, 100500, 400500, 1000500};

// Lowest allowed `TotalTurnOffDelay` per rate index, microseconds.
constexpr double TurnOffLimits[RepRateCount] = {-875.0, -3330.0, -8330.0, -33330.0, -83330.0, -333330.0, -833330.0};
// Time before the end of the half cycle at which the last user-defined gate ends, us.
constexpr double UserGateEndMarginUs[RepRateCount] = {97, 204, 512, 2043, 5120, 20400, 51200};

constexpr int32_t TransmitterTypeCount = 5;
constexpr int32_t CoilTypeCount = 11;
extern const WideChar* const TransmitterTypeNames[TransmitterTypeCount];
extern const WideChar* const CoilTypeNames[CoilTypeCount];
// Effective receiver-sensor areas, square metres, by `CoilType`.
constexpr double CoilAreas[CoilTypeCount] = {31.4, 31.3, 100, 200, 200, 1000, 10000, 40000, 100, 100, 100};

// The live gate tables, one row per rate index: edges in microseconds after the
// synchronisation edge (edge n starts gate n), centres in milliseconds, and the default
// time axes in milliseconds per gate set (column 0: 20 gates, 1: 30, 2: user-defined).
extern double GateEdges[RepRateCount][GateEdgeCount];
extern double GateCentres[RepRateCount][MaxGateCount];
extern double TimeAxisLow[RepRateCount][3];
extern double TimeAxisHigh[RepRateCount][3];

// Label of a rate in a mains family (1: 60 Hz, otherwise 50 Hz); index must be 0..6.
const WideChar* RepRateLabel(int32_t powerLineFrequency, int32_t repRateIndex);
// The label read as a number, Hz (for example "237.5" gives 237.5).
double RepRateValue(int32_t powerLineFrequency, int32_t repRateIndex);

// Copies the quarter periods and early-window ends of the mains family.
void SelectRateFamily(int32_t powerLineFrequency, double (&quarterPeriod)[RepRateCount],
                      double (&earlyWindowEnd)[RepRateCount]);
// The program-wide copy into `ActiveQuarterPeriod` and `ActiveEarlyWindowEnd`, after a change
// of mains.
void SelectActiveRateFamily();

// Transmitter periods summed per monitor display pass at a rate index.
int32_t MonitorPassPeriodsFor(int32_t repRateIndex, int32_t fast, int32_t medium);

// Gate count for a gate set: 20, 30, or the user-gate count held to 1..100.
int32_t GateCountForSet(int32_t gateSet, int32_t userGateCount);

// What a gate-table build reads.
struct GateTableInputs {
    int32_t GateSet = 1;
    int32_t RepRateIndex = 2;
    int32_t GateCount = 30;
    double FirstGateTimeUs = 10.0;
    double RepetitionRate = 30.0;  // Hz
    double TurnOffTimeUs = 0.0;
};

// Builds the gate tables. Standard sets (0, 1) fill every row's first 31 edges and 30
// centres (the rest of each row is zero) and time-axis columns 0 and 1. The user-defined set
// (2) rebuilds only the row of the current rate index and its column 2, with `GateCount` held
// to 1..100 so that the row is never overrun. Returns 1 when built, 0 when the user-defined
// gates cannot be spaced (first gate time not above 0, a last edge time not above the first,
// a non-finite value, or a rate index outside 0..6): then nothing is changed.
int32_t BuildGateTablesFrom(const GateTableInputs& in, double (&edges)[RepRateCount][GateEdgeCount],
                            double (&centres)[RepRateCount][MaxGateCount], double (&low)[RepRateCount][3],
                            double (&high)[RepRateCount][3]);

// The program-wide build from `Settings`, `GateCount` and `RepetitionRate`.
int32_t BuildGateTables();
