// Synchronisation search and gate integration: the signal core of the buffer-done cycle.
//
// In every buffer the transmitter edge that opens each half-cycle is found on the sync
// channel (channel 1), the signal channel (channel 3) is integrated into the time gates and
// into the early window, and a negative and a positive half-cycle together give the gate
// values of one transmitter period. All state lives in one record that is carried from one
// buffer to the next, so a search or a half-cycle may start in one buffer and end in a later
// one; the result never depends on where the buffers happen to be cut.
//
// Two variants: the standard one dates each half-cycle by the trailing edge of the sync level
// and shifts the gates by `TotalTurnOffDelay`; the negative-delay one dates it by the leading
// edge plus a quarter period less `GateSampleOffset` scans, and integrates unshifted gates.
#pragma once

#include "vlox/measure/samples.h"

#include <cstdint>

constexpr int32_t SyncVariantStandard = 0;
constexpr int32_t SyncVariantNegativeDelay = 1;

constexpr int32_t SyncChannel = 1;
constexpr int32_t SignalChannel = 3;
constexpr double SyncLevelVolts = 8.0;   // strictly beyond +-8 V is in the level
constexpr int32_t CycleGateSlots = 101;  // per-gate arrays; gates 0..GateCount-1 are used
constexpr int32_t MaxCycleGates = 100;

// Variant for a buffer: the standard one during an internal test (45..48) or for a turn-off
// delay of 0 or more; the negative-delay one otherwise.
int32_t ChooseSyncVariant(int32_t internalTestMode, double totalTurnOffDelay);

// What the cycle reads while it works: fixed at board start or taken from the tables.
struct SyncCycleConfig {
    int32_t Variant = SyncVariantStandard;
    double SamplePeriodUs = 0.0;     // time step per scan
    int32_t ScansPerPeriod = 0;      // scans in a quarter period
    int32_t SyncSkip = 4;            // samples, multiple of 4
    int32_t GateSampleOffset = 0;    // scans
    double TotalTurnOffDelay = 0.0;  // microseconds
    int32_t RepRateIndex = 0;
    int32_t GateCount = 0;                // held to 0..100
    const double* GateEdges = nullptr;    // GateCount + 1 edges, microseconds
    const double* GateCentres = nullptr;  // GateCount centres, milliseconds
    double QuarterPeriodUs = 0.0;         // start of the early window
    double EarlyWindowEndUs = 0.0;        // end of the early window
    int32_t GainCodeSent = 5;             // 0..6
    int32_t CoilType = 0;                 // 0..10
    double PolaritySign = 1.0;
};

// The scans on which the gates and the early window of a half-cycle take samples and close.
// The time of a scan depends only on its number (1 at the start of the half-cycle) and the
// configuration, so these are worked out once and kept while the configuration stays the
// same; the integration then adds whole runs of samples between them.
struct GateScanPlan {
    int32_t Valid = 0;
    // What the plan was made from.
    int32_t Variant = 0;
    int32_t GateCount = 0;
    int32_t GateSampleOffset = 0;
    double SamplePeriodUs = 0.0;
    double TotalTurnOffDelay = 0.0;
    double QuarterPeriodUs = 0.0;
    double EarlyWindowEndUs = 0.0;
    double GateEdges[CycleGateSlots] = {};
    // Per gate: the first scan at or after its start, the first scan past its end, and the
    // first scan on which it may close (standard variant: the last one before its end).
    // `NeverScan` where no scan a half-cycle can count qualifies.
    int32_t GateFrom[MaxCycleGates] = {};
    int32_t GateUntil[MaxCycleGates] = {};
    int32_t GateClose[MaxCycleGates] = {};
    // The early window: first scan in it, first scan past it, first scan that closes it.
    int32_t EarlyFrom = 0;
    int32_t EarlyUntil = 0;
    int32_t EarlyClose = 0;
};
constexpr int32_t NeverScan = 0x7fffffff;

// The level tests on the codes themselves: volts never fall as the code rises, so a code is
// beyond +8 V from `PositiveFrom` up and beyond -8 V below `NegativeBelow`.
struct SyncLevelCodes {
    int32_t PositiveFrom = 65536;
    int32_t NegativeBelow = 0;
};

// The conversions of one input range and resolution, kept while the buffers keep them.
struct SyncScaleCache {
    int32_t Valid = 0;
    double RangeMin = 0.0;
    double RangeMax = 0.0;
    int32_t Resolution = 0;
    int32_t Readable = 0;  // 0: the range or resolution is refused
    SampleScale Coarse;
    SampleScale Fine;
    SyncLevelCodes CoarseLevel;
    SyncLevelCodes FineLevel;
};

// The carried state. Field names are those of the measurement cycle.
struct SyncCycleState {
    int32_t SyncState = -1;               // -4..-1, 1..4: polarity x (1 level, 2 edge, 3 start, 4 integrate)
    int32_t SyncIndex = 1;                // sync-channel index where the search goes on
    int32_t IntegrationIndex = 3;         // signal-channel index being integrated
    int32_t SyncStep = 4;                 // samples
    int32_t SyncToIntegrationOffset = 0;  // samples from the leading edge to the integration

    int32_t HalfCycleScan = 0;  // scans since the half-cycle started (1 at the start)
    int32_t GateIndex = 0;
    double GateSum = 0.0;
    int32_t GateSampleCount = 0;
    double EarlyWindowSum = 0.0;
    int32_t EarlyWindowCount = 0;
    int32_t EarlyWindowDone = 0;
    int32_t GatesDone = 0;
    int32_t GateEndIndex = 0;  // index of the sample that closed the last gate

    double HalfCycleGatesNegative[CycleGateSlots] = {};  // stored with reversed sign
    double EarlyValueNegative = 0.0;
    double HalfCycleGatesPositive[CycleGateSlots] = {};
    double EarlyValuePositive = 0.0;
    int32_t HalfCycleFlags[2] = {0, 0};  // [0] negative, [1] positive

    double CycleGates[CycleGateSlots] = {};
    int32_t CycleReady = 0;
    double EarlyWindowValue = 0.0;

    // Carried over buffer boundaries so that no sample of an earlier buffer is read again.
    double PreviousSignalVolts = 0.0;  // signal sample of the last scan of the last buffer
    int32_t PreviousSignalValid = 0;   // 0 right after a reset
    int32_t SyncTailScans = -1;        // sync level run ending the last buffer; -1 unknown
    int32_t SyncTailSign = 0;          // its polarity (+1, -1, or 0 for none)
    int32_t SyncEndResumed = 0;        // the edge search goes on at index 1 of this buffer
    int32_t SyncNeedsGap = 0;          // the level must be entered, not found already on
    // Negative-delay variant: the first sync sample of the next level after the gates, kept
    // while the early window goes on, so the next search can start after the gates even when
    // they closed in an earlier buffer.
    int32_t NextLevelIndex = 0;
    int32_t NextLevelSeen = 0;
    int32_t NextLevelPending = 0;  // the next search starts at NextLevelIndex

    // Worked out from the configuration and the input range; a reset leaves them.
    GateScanPlan Plan;
    SyncScaleCache Scales;
};

// The program-wide instance used by the measurement cycle.
extern SyncCycleState SyncCycle;

// The reset that precedes every board start: search from the second sample for a negative
// half-cycle, both half-cycle flags cleared, nothing carried from earlier buffers.
void ResetSyncState(SyncCycleState& state);
// The same on `SyncCycle`.
void ResetAcquisitionState();

// Runs the stages over one buffer from where the state stands.
//   SyncHalfCycleDone: a half-cycle has just completed and `CombineHalfCycles` has run
//     (`CycleReady` tells whether a whole period is in `CycleGates`); call again with the same
//     buffer to go on.
//   SyncBufferUsed: the buffer is used up (or cannot be read: its range or resolution is
//     refused, or the sample period is not a positive finite number, which starts the search
//     afresh); the state waits for the next buffer.
constexpr int32_t SyncBufferUsed = 0;
constexpr int32_t SyncHalfCycleDone = 1;
int32_t RunSyncStages(SyncCycleState& state, const SyncCycleConfig& config, const SampleBuffer& buffer);

// The stages one by one, over whole scans n of the buffer (exposed for tests). Each level
// test is strict: exactly +-8.0 V is outside the level.
struct SyncBufferView {
    const uint16_t* Samples = nullptr;
    int32_t Count = 0;           // whole scans x 4
    SampleScale Coarse;          // range as doubles (level search)
    SampleScale Fine;            // range rounded to single precision
    SyncLevelCodes CoarseLevel;  // the level tests of each scale on the codes
    SyncLevelCodes FineLevel;
};
// The level codes of a scale: the same decisions as the volts test, code by code.
SyncLevelCodes MakeSyncLevelCodes(const SampleScale& scale);
// Standard variant: the level by the coarse step `SyncSkip`, its trailing edge, the gates
// shifted by `TotalTurnOffDelay`.
void FindSyncLevelStandard(SyncCycleState& state, const SyncCycleConfig& config, const SyncBufferView& view);
void FindSyncEndStandard(SyncCycleState& state, const SyncCycleConfig& config, const SyncBufferView& view);
// Negative-delay variant: the level scan by scan, its leading edge, the gates unshifted.
void FindSyncLevelNegativeDelay(SyncCycleState& state, const SyncCycleConfig& config, const SyncBufferView& view);
void FindSyncStartNegativeDelay(SyncCycleState& state, const SyncCycleConfig& config, const SyncBufferView& view);
// 1 when the buffer ended first, 0 when the half-cycle is complete. The sample period must be
// a positive finite number (`RunSyncStages` refuses others).
int32_t IntegrateHalfCycleStandard(SyncCycleState& state, const SyncCycleConfig& config, const SyncBufferView& view);
int32_t IntegrateHalfCycleNegativeDelay(SyncCycleState& state, const SyncCycleConfig& config,
                                        const SyncBufferView& view);
void CombineHalfCycles(SyncCycleState& state, const SyncCycleConfig& config);
