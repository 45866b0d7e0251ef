// Program-wide state of the internal test and the nulling run that the acquisition commands
// prepare. The measurement cycle's own state is declared in vlox/measure/measure_cycle.h.
#pragma once

#include <cstdint>

#include "vlox/settings/settings.h"
#include "vlox/ui/command_rules.h"

#include "vlox/measure/measure_cycle.h"

// The cycle's half-cycle flags live in the synchronisation state.
inline int32_t (&HalfCycleFlags)[2] = SyncCycle.HalfCycleFlags;

// The Invert switch (0 at every start, not a saved setting) and the sign it gives the live
// values.
extern int32_t InvertOn;
extern double PolaritySign;
// Gain code base of the digital output (the internal test adds its bits).
extern int32_t OutputLineBase;

// The nulling run's list of step codes and its progress.
extern int32_t NullingSteps[NullingStepSlots];
extern int32_t NullingStepIndex;
extern int32_t NullingProgressCount;
extern double NullingEstimateSeconds;
// Periods stacked per nulling row: 9 averaging times by 12 repetition slots.
extern int32_t StackTargets[9][StackTargetSlots];

// The seven values a nulling run changes, put back at its end.
struct SavedMeasureSettingsValues {
    int32_t RepRateIndex = 0;
    int32_t GateSet = 0;
    int32_t GateCount = 0;
    int32_t GainX = 0;
    int32_t GainY = 0;
    int32_t GainZ = 0;
    int32_t GainCodeSent = 0;
};
extern SavedMeasureSettingsValues SavedMeasureSettings;

// Copies them from the settings and the gain last sent.
SavedMeasureSettingsValues CaptureMeasureSettings(const SettingsValues& s, int32_t gateCount, int32_t gainCodeSent);

// The stack targets' rule: the 60 Hz rate of the slot (slots 7-11 repeat rate indexes 2-6)
// times the averaging time in seconds, truncated, at least 2.
int32_t StackTargetFor(int32_t averagingTimeIndex, int32_t slot);
