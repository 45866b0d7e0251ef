// Program-wide state of the measurement cycle, the internal test and the nulling run that the
// acquisition commands prepare. The measurement engine owns these values and their meaning;
// until it is built they live here under their own names, and the engine's work takes them
// over and removes this file's definitions.
#pragma once

#include <cstdint>

#include "vlox/settings/settings.h"
#include "vlox/ui/command_rules.h"

// -1 nulling, 0 monitoring, 1 averaging a reading, 2 the two-frequency reading.
extern int32_t MeasureState;
// 1 while a measurement series (reading, test) runs.
extern int32_t MeasurementRunning;
// 0, or the test command 45..48 that runs.
extern int32_t InternalTestMode;
// 0 stopped, 1 live decay curve, 2 live profile.
extern int32_t LiveDisplayMode;

constexpr int32_t StackSumCount = 101;
extern double StackSums[StackSumCount];
extern int32_t StackCount;
extern int32_t RecordIndex;
extern int32_t HalfCycleFlags[2];
extern int32_t RepetitionPhase;
// GetTickCount milliseconds.
extern uint32_t AveragingStartTick;
extern uint32_t AveragingEndTick;
extern uint32_t SecondTick;
extern uint32_t LastAutoTriggerTick;
extern uint32_t ReadingEndTick;
extern double MonitorSums[MaxGateCount];
extern int32_t MonitorPassCount;
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
