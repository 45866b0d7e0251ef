// The nulling run's state: the list of step codes the nulling commands fill, where the run
// stands in it, the periods to stack per null row, and the measurement settings the run
// changes and puts back at its end.
#pragma once

#include <cstdint>

#include "vlox/settings/settings.h"

constexpr int32_t NullingStepSlots = 85;   // entries of NullingSteps
constexpr int32_t NullingEndCode = 84;     // ends the list of standard-gates steps
constexpr int32_t StackTargetSlots = 12;   // repetition slots of a stack-target row
constexpr int32_t AveragingTimeCount = 9;  // rows of the stack targets: 0.5 s to 120 s

// The nulling run's list of step codes and its progress.
extern int32_t NullingSteps[NullingStepSlots];
extern int32_t NullingStepIndex;
// Null-table slot the current row goes to: rate index 0-6 with 20 gates, 7-11 for rate
// indexes 2-6 with 30 gates.
extern int32_t NullingSlot;
// Column of the progress box being filled.
extern int32_t NullingProgressCount;
extern double NullingEstimateSeconds;
// Periods stacked per nulling row: averaging time index by repetition slot.
extern int32_t StackTargets[AveragingTimeCount][StackTargetSlots];

// Full nulling: every step code 0..84 in order.
void BuildFullNullingSteps(int32_t (&steps)[NullingStepSlots]);
// Selective nulling: the step blocks of the selected rates from rate 6 down to 0 (fourteen
// codes for rates 2-6, seven for 0 and 1), then the end code; the rest of the list is 0.
// Returns the number of codes before the end code.
int32_t BuildSelectiveNullingSteps(const int32_t (&selected)[RepRateCount], int32_t (&steps)[NullingStepSlots]);
// User-gates nulling: codes 0..7, the rest 0.
void BuildUserGatesNullingSteps(int32_t (&steps)[NullingStepSlots]);

// The stack targets' rule: the 60 Hz rate of the slot (slots 7-11 repeat rate indexes 2-6)
// times the averaging time in seconds, truncated, at least 2.
int32_t StackTargetFor(int32_t averagingTimeIndex, int32_t slot);

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
