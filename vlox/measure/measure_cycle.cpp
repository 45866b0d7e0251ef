#include "vlox/measure/measure_cycle.h"

#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/pruning.h"
#include "vlox/measure/ticks.h"
#include "vlox/settings/rate_tables.h"

#include <cstdio>

std::atomic<int32_t> MeasureState{MeasureStateMonitor};
int32_t MeasurementRunning = 0;
std::atomic<int32_t> InternalTestMode{0};
int32_t LiveDisplayMode = 0;

double StackSums[StackSumCount] = {};
int32_t StackCount = 0;
int32_t NullingStackCount = 0;
double GateAverages[StackSumCount] = {};
int32_t RecordIndex = 0;
int32_t RepetitionPhase = 0;
uint32_t AveragingStartTick = 0;
uint32_t AveragingEndTick = 0;
uint32_t SecondTick = 0;
uint32_t LastAutoTriggerTick = 0;
uint32_t ReadingEndTick = 0;
double MonitorSums[MaxGateCount] = {};
int32_t MonitorPassCount = 0;
ReadingRecordResult ReadingResultsA[MaxRecordsPerReading + 1];
ReadingRecordResult ReadingResultsB[MaxRecordsPerReading + 1];
double DisplayValues[StackSumCount] = {};
double EarlyWindowValue = 0.0;

namespace {

// The live gate count as the arrays can hold it.
int32_t LiveGateCount()
{
    if (GateCount < 0)
        return 0;
    return GateCount > MaxGateCount ? MaxGateCount : GateCount;
}

int32_t RecordsPerReading()
{
    if (NumberOfRecords < 1)
        return 1;
    return NumberOfRecords > MaxRecordsPerReading ? MaxRecordsPerReading : NumberOfRecords;
}

void FillRecord(ReadingRecordResult& record, uint32_t now, CycleServices& services)
{
    record.Tick = now;
    record.Time = services.LocalNow();
    services.ConvertGateValues(GateAverages);
    const int32_t n = LiveGateCount();
    for (int32_t g = 0; g < StackSumCount; ++g)
        record.GateRow[g] = g < n ? GateAverages[g] : 0.0;
    record.EarlyWindowValue = EarlyWindowValue;
}

void ShowReadingCompleteScreen(uint32_t now, int32_t storeEnabled, CycleServices& services)
{
    ReadingEndTick = now;
    LiveDisplayMode = 0;
    services.ShowReadingComplete(storeEnabled);
}

void StartNewReading(uint32_t now, CycleServices& services)
{
    ReadingCounter = 0;
    MeasurementRunning = 1;
    RecordIndex = 0;
    StartRecordTimer(now);
    services.ClearProgressBar();
    if (MapLayoutMode == 2)
        services.RedrawStationMapArea();
}

// The end of a record in the averaging state, with at least one period stacked.
void EndRecord(uint32_t now, CycleServices& services)
{
    const int32_t records = RecordsPerReading();
    if (RecordIndex < records)
        ++RecordIndex;
    AverageStack(StackCount);
    FillRecord(ReadingResultsA[RecordIndex], now, services);

    if (RecordIndex >= records && Settings.SurveyMode == 0) {
        ShowReadingCompleteScreen(now, 1, services);
    } else if (RecordIndex >= records) {
        if (TicksSince(now, LastAutoTriggerTick) >=
            static_cast<uint32_t>(AutoTriggerIntervalMs > 0 ? AutoTriggerIntervalMs : 0)) {
            services.SetBusyIndicator(1);
            // A reading that was not stored must not move the receiver on.
            if (services.StoreReading() != 0) {
                CurrentStation += Settings.StationIncrement;
                services.StationAdvanced();
            }
            LastAutoTriggerTick = now;
        }
        StartNewReading(now, services);
    } else {
        StartRecordTimer(now);
        services.ClearProgressBar();
    }

    if (Settings.GraphView == 0 || Settings.SurveyMode == 0) {
        services.RedrawNumbersHeader();
        services.DrawNumbersColumn();
        if (records == 1)
            services.RestoreCurveFrame();
        services.DrawDecayCurve(FinalDecayPen);
    } else {
        services.ScrollProfile();
    }
}

int32_t HandleMonitor(const SyncCycleState& cycle, CycleServices& services)
{
    if (LiveDisplayMode <= 0 || cycle.CycleReady != 1)
        return CycleContinue;
    const int32_t n = LiveGateCount();
    for (int32_t g = 0; g < n; ++g)
        MonitorSums[g] += cycle.CycleGates[g];
    ++MonitorPassCount;
    const int32_t passPeriods = MonitorPassPeriods > 0 ? MonitorPassPeriods : 1;
    if (MonitorPassCount < passPeriods)
        return CycleContinue;
    for (int32_t g = 0; g < n; ++g)
        MonitorSums[g] /= MonitorPassCount;
    MonitorPassCount = 0;
    services.ConvertGateValues(MonitorSums);
    services.DrawNumbersColumn();
    if (LiveDisplayMode == 1)
        services.DrawDecayCurve(MonitoringDecayPen);
    for (int32_t g = 0; g < MaxGateCount; ++g)
        MonitorSums[g] = 0.0;
    return CycleContinue;
}

int32_t HandleAveraging(const SyncCycleState& cycle, CycleServices& services)
{
    StackPeriod(cycle, StackCount, services);
    const uint32_t now = services.Now();
    if (TickReached(now, AveragingEndTick)) {
        // A record is made of whole periods: when the time is over before one has been
        // stacked (a short averaging time, or the time ran out on a negative half-cycle),
        // the reading stays in this state and ends with the next complete period instead of
        // dropping into monitoring with the measurement still shown as running.
        if (StackCount == 0)
            return CycleContinue;
        MeasureState = MeasureStateMonitor;
        EndRecord(now, services);
        return CycleContinue;
    }
    if (TicksSince(now, SecondTick) > 1000 && NumberOfRecords == 1) {
        SecondTick += 1000;
        if (StackCount > 0) {
            AverageStack(StackCount);
            if (LiveDisplayMode > 0 && Settings.GraphView == 0) {
                services.ConvertGateValues(GateAverages);
                services.RedrawNumbersHeader();
                services.DrawNumbersColumn();
                services.DrawDecayCurve(IntermediateDecayPen);
            }
        }
    }
    return CycleContinue;
}

// Shows a finished row: numbers and the final decay curve.
void ShowFinishedRow(CycleServices& services)
{
    services.RedrawNumbersHeader();
    services.DrawNumbersColumn();
    services.DrawDecayCurve(FinalDecayPen);
}

int32_t HandleNulling(const SyncCycleState& cycle, CycleServices& services)
{
    if (cycle.CycleReady != 1)
        return CycleContinue;
    StackPeriod(cycle, NullingStackCount, services);
    const int32_t a = Settings.AveragingTimeIndex >= 0 && Settings.AveragingTimeIndex < AveragingTimeCount
                          ? Settings.AveragingTimeIndex
                          : 0;
    const int32_t slot = NullingSlot >= 0 && NullingSlot < StackTargetSlots ? NullingSlot : 0;
    if (NullingStackCount < StackTargets[a][slot])
        return CycleContinue;
    AverageStack(NullingStackCount);
    services.ConvertGateValues(GateAverages);
    ShowFinishedRow(services);
    ++NullingStepIndex;
    services.NullingStep(Settings.GateSet < 2 ? 0 : 1);
    // The step has restarted or stopped the board, which took the held buffer with it.
    return CycleHoldBuffer;
}

// The next half of a two-frequency pair starts on the other rate.
void StartSequenceHalf(int32_t phase, CycleServices& services)
{
    RepetitionPhase = phase;
    MeasurementRunning = 1;
    // The ticks are taken after the switch: the restart is not part of the averaging time.
    StartRecordTimer(services.Now());
    MeasureState = MeasureStateSequence;
    services.ClearProgressBar();
}

int32_t HandleSequence(const SyncCycleState& cycle, CycleServices& services)
{
    StackPeriod(cycle, StackCount, services);
    const uint32_t now = services.Now();
    if (!TickReached(now, AveragingEndTick))
        return CycleContinue;
    // As in a single-rate reading, a half ends only with a whole period stacked.
    if (StackCount == 0)
        return CycleContinue;
    MeasureState = MeasureStateMonitor;
    AverageStack(StackCount);
    const int32_t records = RecordsPerReading();
    if (RepetitionPhase != 2) {
        if (RecordIndex < records)
            ++RecordIndex;
        FillRecord(ReadingResultsA[RecordIndex], now, services);
        ShowFinishedRow(services);
        services.SelectActiveRepetition(2);
        StartSequenceHalf(2, services);
        return CycleHoldBuffer;
    }
    FillRecord(ReadingResultsB[RecordIndex], now, services);
    ShowFinishedRow(services);
    if (RecordIndex >= records) {
        ShowReadingCompleteScreen(now, 1, services);
        return CycleContinue;
    }
    services.SelectActiveRepetition(1);
    StartSequenceHalf(1, services);
    return CycleHoldBuffer;
}

int32_t HandleInternalTest(const SyncCycleState& cycle, CycleServices& services)
{
    StackPeriod(cycle, StackCount, services);
    const uint32_t now = services.Now();
    if (!TickReached(now, AveragingEndTick))
        return CycleContinue;
    LiveDisplayMode = 0;
    // The test goes on until a whole period has been stacked.
    if (StackCount == 0)
        return CycleContinue;
    AverageStack(StackCount);
    const int32_t record = RecordIndex >= 0 && RecordIndex <= MaxRecordsPerReading ? RecordIndex : 0;
    FillRecord(ReadingResultsA[record], now, services);
    ShowFinishedRow(services);
    MeasureState = MeasureStateMonitor;
    MeasurementRunning = 0;
    services.FinishInternalTest(InternalTestMode - 45);
    // The board has been stopped with the held buffer.
    return CycleHoldBuffer;
}

void LogLostSamples(CycleServices& services)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "the synchronisation is searched afresh; state %d, rate index %d, gate set %d, gain code %d, "
                  "nulling step %d, periods stacked %d",
                  static_cast<int>(MeasureState), Settings.RepRateIndex, Settings.GateSet, GainCodeSent,
                  NullingStepIndex, MeasureState == MeasureStateNulling ? NullingStackCount : StackCount);
    services.LogDiagnostic("Samples lost", text);
}

}  // namespace

BoardRun BoardRunOf(int32_t measureState, int32_t measurementRunning, int32_t internalTestMode, int32_t surveyMode)
{
    // The test screen holds the board until Exit Test, also once its test has finished.
    if (internalTestMode != 0)
        return BoardRun::InternalTest;
    if (measureState == MeasureStateNulling)
        return BoardRun::Nulling;
    if (measurementRunning == 0)
        return BoardRun::None;
    if (surveyMode == 1)
        return BoardRun::AutoSurvey;
    if (measureState == MeasureStateAveraging || measureState == MeasureStateSequence)
        return BoardRun::ReadingTaken;
    // The cycle leaves the state of a finished reading to monitoring with the series still
    // running, until STORE or Cancel.
    return BoardRun::ReadingComplete;
}

BoardRun CurrentBoardRun()
{
    return BoardRunOf(MeasureState, MeasurementRunning, InternalTestMode, Settings.SurveyMode);
}

double ProgressFraction(uint32_t now, uint32_t startTick, int32_t averagingMs)
{
    if (!(averagingMs > 0))
        return 0.0;
    return static_cast<double>(TicksSince(now, startTick)) / averagingMs;
}

void StackPeriod(const SyncCycleState& cycle, int32_t& stackCount, CycleServices& services)
{
    if (cycle.CycleReady != 1)
        return;
    const int32_t n = LiveGateCount();
    if (Settings.ProcessingMethod == 1) {
        for (int32_t g = 0; g < n; ++g)
            Pruning.PruningInput[g + 1] = cycle.CycleGates[g];
        // The rows are worked out when the reading is averaged.
        PruningAddPeriod(Pruning, n, PruningDepth, PruningHistoryGate, stackCount);
        for (int32_t k = 0; k < Pruning.DiagnosticCount && k < PruningDiagnosticSlots; ++k)
            services.LogDiagnostic(Pruning.Diagnostics[k].Caption, Pruning.Diagnostics[k].Text);
    } else {
        for (int32_t g = 0; g < n; ++g)
            StackSums[g] += cycle.CycleGates[g];
    }
    ++stackCount;
}

void AverageStack(int32_t stackCount)
{
    if (stackCount <= 0)
        return;
    const int32_t n = LiveGateCount();
    if (Settings.ProcessingMethod == 1) {
        FinishPruningResults(Pruning);
        for (int32_t g = 0; g < n; ++g)
            GateAverages[g] = Pruning.PruningResults[g + 1][0];
    } else {
        for (int32_t g = 0; g < n; ++g)
            GateAverages[g] = StackSums[g] / stackCount;
    }
}

void StartRecordTimer(uint32_t now)
{
    StackCount = 0;
    for (double& s : StackSums)
        s = 0.0;
    SecondTick = AveragingStartTick = now;
    AveragingEndTick = now + static_cast<uint32_t>(AveragingTimeMs > 0 ? AveragingTimeMs : 0);
    MeasureState = MeasureStateAveraging;
    SyncCycle.HalfCycleFlags[0] = SyncCycle.HalfCycleFlags[1] = 0;
}

int32_t HandleHalfCycle(const SyncCycleState& cycle, CycleServices& services)
{
    if (cycle.CycleReady == 1)
        EarlyWindowValue = cycle.EarlyWindowValue;
    if (InternalTestMode >= 45 && InternalTestMode <= 48)
        return MeasureState == MeasureStateAveraging ? HandleInternalTest(cycle, services) : CycleContinue;
    switch (MeasureState) {
    case MeasureStateNulling:
        return HandleNulling(cycle, services);
    case MeasureStateMonitor:
        return HandleMonitor(cycle, services);
    case MeasureStateAveraging:
        return HandleAveraging(cycle, services);
    case MeasureStateSequence:
        return HandleSequence(cycle, services);
    default:
        return CycleContinue;
    }
}

int32_t RunMeasurementCycle(const SampleBuffer& buffer, const SyncCycleConfig& config, CycleServices& services)
{
    if (MeasureState == MeasureStateAveraging || MeasureState == MeasureStateSequence) {
        const int32_t t = InternalTestMode != 0 ? 10000 : AveragingTimeMs;
        services.DrawProgressBar(ProgressFraction(services.Now(), AveragingStartTick, t));
        services.SetBusyIndicator(0);
    }
    // Samples lost before this buffer, or a buffer without samples (a failed transfer or
    // query), break the time axis: a half-cycle or period begun before them would be completed
    // with samples of another time, so the search starts afresh. Nothing is read of an empty
    // buffer; it goes back.
    const bool empty = buffer.Samples == nullptr || buffer.Count <= 0;
    if (buffer.FollowsLostSamples != 0 || empty) {
        ResetSyncState(SyncCycle);
        LogLostSamples(services);
    }
    if (empty)
        return CycleRequeue;
    while (RunSyncStages(SyncCycle, config, buffer) == SyncHalfCycleDone) {
        const int32_t step = HandleHalfCycle(SyncCycle, services);
        if (step != CycleContinue)
            return step;
    }
    return CycleRequeue;
}

SyncCycleConfig CurrentSyncConfig(double polaritySign)
{
    SyncCycleConfig c;
    const int32_t rate = Settings.RepRateIndex >= 0 && Settings.RepRateIndex < RepRateCount ? Settings.RepRateIndex : 0;
    c.Variant = ChooseSyncVariant(InternalTestMode, TotalTurnOffDelay);
    c.SamplePeriodUs = SamplePeriodUs;
    c.ScansPerPeriod = ScansPerPeriod;
    c.SyncSkip = SyncSkip;
    c.GateSampleOffset = GateSampleOffset;
    c.TotalTurnOffDelay = TotalTurnOffDelay;
    c.RepRateIndex = rate;
    c.GateCount = LiveGateCount();
    c.GateEdges = GateEdges[rate];
    c.GateCentres = GateCentres[rate];
    c.QuarterPeriodUs = ActiveQuarterPeriod[rate];
    c.EarlyWindowEndUs = ActiveEarlyWindowEnd[rate];
    c.GainCodeSent = GainCodeSent;
    c.CoilType = Settings.CoilType;
    c.PolaritySign = polaritySign;
    return c;
}
