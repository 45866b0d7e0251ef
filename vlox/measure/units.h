// Conversion of gate values to the display unit, and the transmitter loop area.
//
// Live gate values are volts at the receiver input; stored values (review) are volts x 10^9.
// The receiver gain code g is undone by 2^(5 - g); the sensor's effective area comes from
// `CoilAreas`. The conductivity and resistivity units also need the loop area, the
// ampere-turns and the gate centre times.
#pragma once

#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <cstdint>

constexpr int32_t DisplayUnitCount = 6;  // "nV/m2", "mV", "nT/s", "pT", "mS/m", "Ohm-m"
constexpr int32_t TxCornerCount = 4;

// What the conversion reads besides its arguments: in live use the program's polarity, state,
// null row, gate centres and loop area; in review those of the reading.
struct UnitConversionContext {
    double PolaritySign = 1.0;              // -1.0 while the Invert command is on (live only)
    int32_t Nulling = 0;                    // 1 while `MeasureState` is -1: nothing subtracted
    const double* NullRow = nullptr;        // live null row by gate, volts; none: no subtraction
    const double* GateCentresMs = nullptr;  // gate centre times, ms (units 4 and 5)
    double LoopArea = 0.0;                  // m2 (`TxLoopArea`, or `ReviewLoopArea` in review)
};

// Null slot of a standard gate set: the rate index, plus 5 with more than 20 gates (the
// 30-gate set exists for rate indexes 2-6 only). -1 when the result is not a slot 0..11.
int32_t NullSlotFor(int32_t repRateIndex, int32_t gateCount);

// The null row that the live conversion subtracts: standard sets (`GateSet` 0, 1) from
// `NullingTables`[mains][slot][gain], the user-defined set (2) from `UserGatesNullTable`[gain]
// only while `UserGatesNullingValid` is 1. nullptr when nothing is to be subtracted or an
// index is out of range (mains 0..1, rate 0..6, gain 0..6).
const double* SelectNullRow(const NullTableValues& tables, int32_t mains, int32_t gateSet, int32_t repRateIndex,
                            int32_t gateCount, int32_t gainCode, int32_t userGatesNullingValid);

// Converts gateCount values (held to 0..100) into out in `DisplayUnit` unit. review 0: live;
// values[] is first multiplied by the polarity and, unless nulling, has the null row
// subtracted, in place. review non-zero: values are volts x 10^9 and left alone.
// Units 4 (mS/m) and 5 (Ohm-m) use the signed two-thirds power; where the value, the gate time
// or the moment is 0 the resistivity has no finite value and both units read 0 ("none").
// Returns 1 when out[] was written. Returns 0 and writes nothing to out[] for a unit outside
// 0..5 (the live corrections still run, as callers rely on them), for a coil type outside
// 0..10 or a gain outside 0..6 (then nothing at all is changed), and for units 4 and 5 without
// gate centres.
int32_t ConvertGateValues(const UnitConversionContext& context, int32_t review, int32_t unit, int32_t coilType,
                          int32_t gateCount, int32_t gainCode, double ampereTurns, double* values, double* out);

// How a transmitter loop was entered.
struct LoopGeometry {
    int32_t LoopShape = 1;  // 0 square, 1 rectangle, 2 corners, 3 GPS corners
    double SideX = 0.0;     // m
    double SideY = 0.0;
    double CornerX[TxCornerCount] = {};  // m, shape 2
    double CornerY[TxCornerCount] = {};
    int32_t CornerCoordinateType = 1;       // shape 3: 0 degrees, 1 UTM m, 2 ft, 3 US survey ft
    double CornerGpsX[TxCornerCount] = {};  // longitude or easting
    double CornerGpsY[TxCornerCount] = {};  // latitude or northing
};

// The live loop as the settings hold it.
LoopGeometry LoopGeometryFromSettings(const SettingsValues& settings);

// Shoelace area of four corners, m2.
double ShoelaceArea(const double (&x)[TxCornerCount], const double (&y)[TxCornerCount]);

// Loop area in m2. For shape 3 the corners are converted to metres into eastings/northings
// (the map draws them): degrees through UTM in the zone and hemisphere of the first corner
// (a loop across the equator keeps one false northing), feet and US survey feet scaled.
// A shape outside 0..3, a coordinate type outside 0..3 or corners that cannot be projected
// give 0.0 ("no area") and leave the corner outputs alone.
double LoopArea(const LoopGeometry& loop, double (&eastings)[TxCornerCount], double (&northings)[TxCornerCount]);
