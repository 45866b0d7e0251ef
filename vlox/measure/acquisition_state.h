// Program-wide measurement state that the commands and the cycle share: the Invert switch and
// its sign, the gain code base of the digital output, and the live transmitter loop. The
// measurement cycle's own state is declared in vlox/measure/measure_cycle.h.
#pragma once

#include <cstdint>

#include "vlox/measure/measure_cycle.h"
#include "vlox/measure/nulling.h"
#include "vlox/measure/units.h"
#include "vlox/settings/settings.h"

// The cycle's half-cycle flags live in the synchronisation state.
inline int32_t (&HalfCycleFlags)[2] = SyncCycle.HalfCycleFlags;

// The Invert switch (0 at every start, not a saved setting) and the sign it gives the live
// values.
extern int32_t InvertOn;
extern double PolaritySign;
// Gain code base of the digital output (the internal test adds its bits).
extern int32_t OutputLineBase;

// The live loop's area, square metres; computed at start from the loop settings.
extern double TxLoopArea;
// The loop's corners in metres when it was entered by GPS coordinates; the map draws them.
extern double TxCornerEasting[TxCornerCount];
extern double TxCornerNorthing[TxCornerCount];

// TxLoopArea (and the corners) from the loop settings in `Settings`.
void ComputeTxLoopArea();
