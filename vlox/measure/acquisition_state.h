// Program-wide state of the internal test and the nulling run that the acquisition commands
// prepare. The measurement cycle's own state is declared in vlox/measure/measure_cycle.h.
#pragma once

#include <cstdint>

#include "vlox/settings/settings.h"
#include "vlox/ui/command_rules.h"

#include "vlox/measure/measure_cycle.h"
#include "vlox/measure/nulling.h"

// The cycle's half-cycle flags live in the synchronisation state.
inline int32_t (&HalfCycleFlags)[2] = SyncCycle.HalfCycleFlags;

// The Invert switch (0 at every start, not a saved setting) and the sign it gives the live
// values.
extern int32_t InvertOn;
extern double PolaritySign;
// Gain code base of the digital output (the internal test adds its bits).
extern int32_t OutputLineBase;
