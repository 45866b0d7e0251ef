#include "cycle_rig.h"

#include "vlox/measure/measure_cycle.h"
#include "vlox/measure/pruning.h"
#include "vlox/measure/units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Records what the cycle asks for; the clock is set by the test.
class RecordingServices : public CycleServices {
public:
    uint32_t Clock = 0;
    std::vector<std::string> Calls;
    std::vector<double> Progress;
    std::vector<std::vector<double>> Converted;
    int32_t StoreAnswer = 1;
    int32_t Stores = 0;
    int32_t Diagnostics = 0;

    uint32_t Now() override { return Clock; }
    LocalTime LocalNow() override { return LocalTime{}; }
    void DrawProgressBar(double f) override { Progress.push_back(f); }
    void ClearProgressBar() override { Calls.push_back("clearbar"); }
    void SetBusyIndicator(int32_t on) override
    {
        if (on)
            Calls.push_back("busy");
    }
    void ConvertGateValues(double* row) override
    {
        Converted.emplace_back(row, row + GateCount);
        for (int32_t g = 0; g < GateCount; ++g)
            DisplayValues[g] = row[g] * 1e9;
    }
    void RedrawNumbersHeader() override { Calls.push_back("header"); }
    void DrawNumbersColumn() override { Calls.push_back("numbers"); }
    void RestoreCurveFrame() override { Calls.push_back("frame"); }
    void DrawDecayCurve(int32_t pen) override { Calls.push_back("curve" + std::to_string(pen)); }
    void ScrollProfile() override { Calls.push_back("scroll"); }
    void ShowReadingComplete(int32_t storeEnabled) override
    {
        Calls.push_back(storeEnabled ? "complete" : "complete-nostore");
    }
    int32_t StoreReading() override
    {
        ++Stores;
        Calls.push_back("store");
        return StoreAnswer;
    }
    void StationAdvanced() override { Calls.push_back("station"); }
    void RedrawStationMapArea() override { Calls.push_back("map"); }
    void LogDiagnostic(const char*, const char*) override { ++Diagnostics; }
    void NullingStep(int32_t userGates) override { Calls.push_back(userGates ? "step-user" : "step"); }
    void SelectActiveRepetition(int32_t which) override { Calls.push_back("rate" + std::to_string(which)); }
    void FinishInternalTest(int32_t testIndex) override { Calls.push_back("test" + std::to_string(testIndex)); }

    int32_t Count(const std::string& call) const
    {
        int32_t n = 0;
        for (const auto& c : Calls)
            n += c == call ? 1 : 0;
        return n;
    }
};

class MeasureCycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsValues{};
        GateCount = 3;
        NumberOfRecords = 1;
        AveragingTimeMs = 1000;
        AutoTriggerIntervalMs = 0;
        MapLayoutMode = 2;
        MonitorPassPeriods = 1;
        CurrentStation = 100.0;
        InternalTestMode = 0;
        LiveDisplayMode = 1;
        MonitorPassCount = 0;
        for (double& m : MonitorSums)
            m = 0.0;
        RecordIndex = 0;
        LastAutoTriggerTick = 0;
        for (auto& r : ReadingResultsA)
            r = ReadingRecordResult{};
        ResetSyncState(SyncCycle);
    }

    // A whole period with gate values base, 2 base, 3 base.
    static SyncCycleState Period(double base, int32_t ready = 1)
    {
        SyncCycleState s;
        s.CycleReady = ready;
        for (int32_t g = 0; g < 3; ++g)
            s.CycleGates[g] = base * (g + 1);
        s.EarlyWindowValue = base * 10;
        return s;
    }

    void StartReading(uint32_t now)
    {
        LiveDisplayMode = 1;
        MeasurementRunning = 1;
        RecordIndex = 0;
        StartRecordTimer(now);
    }

    RecordingServices s;
};

TEST_F(MeasureCycleTest, MonitorPassAveragesOverItsPeriodsThenClears)
{
    MeasureState = MeasureStateMonitor;
    MonitorPassPeriods = 2;
    HandleHalfCycle(Period(1.0), s);
    HandleHalfCycle(Period(1.0, 0), s);  // a negative half-cycle adds nothing
    EXPECT_EQ(s.Count("curve100"), 0);
    HandleHalfCycle(Period(3.0), s);
    ASSERT_EQ(s.Converted.size(), 1u);
    EXPECT_DOUBLE_EQ(s.Converted[0][0], 2.0);
    EXPECT_DOUBLE_EQ(s.Converted[0][2], 6.0);
    EXPECT_EQ(s.Count("numbers"), 1);
    EXPECT_EQ(s.Count("curve100"), 1);
    EXPECT_EQ(MonitorPassCount, 0);
    EXPECT_EQ(MonitorSums[0], 0.0);
}

TEST_F(MeasureCycleTest, MonitorWithProfileViewDrawsNumbersOnlyAndStoppedDisplayNothing)
{
    MeasureState = MeasureStateMonitor;
    LiveDisplayMode = 2;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(s.Count("numbers"), 1);
    EXPECT_EQ(s.Count("curve100"), 0);
    LiveDisplayMode = 0;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(s.Count("numbers"), 1);
}

TEST_F(MeasureCycleTest, MonitorPassPeriodsOfZeroIsOnePeriod)
{
    MeasureState = MeasureStateMonitor;
    MonitorPassPeriods = 0;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(s.Count("curve100"), 1);
}

TEST_F(MeasureCycleTest, SingleRecordManualReadingEndsWithItsAverage)
{
    StartReading(5000);
    s.Clock = 5100;
    HandleHalfCycle(Period(1.0), s);
    HandleHalfCycle(Period(2.0, 0), s);
    HandleHalfCycle(Period(3.0), s);
    EXPECT_EQ(StackCount, 2);
    EXPECT_EQ(MeasureState, MeasureStateAveraging);
    s.Clock = 6000;  // exactly the end tick
    HandleHalfCycle(Period(5.0), s);
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    EXPECT_EQ(RecordIndex, 1);
    EXPECT_DOUBLE_EQ(ReadingResultsA[1].GateRow[0], 3.0);
    EXPECT_DOUBLE_EQ(ReadingResultsA[1].GateRow[2], 9.0);
    EXPECT_EQ(ReadingResultsA[1].GateRow[3], 0.0);
    EXPECT_EQ(ReadingResultsA[1].Tick, 6000u);
    EXPECT_DOUBLE_EQ(ReadingResultsA[1].EarlyWindowValue, 50.0);
    EXPECT_EQ(ReadingEndTick, 6000u);
    EXPECT_EQ(LiveDisplayMode, 0);
    EXPECT_EQ(s.Count("complete"), 1);
    EXPECT_EQ(s.Count("frame"), 1);
    EXPECT_EQ(s.Count("curve102"), 1);
    EXPECT_EQ(s.Stores, 0);
}

TEST_F(MeasureCycleTest, ThreeRecordsEachOverTheirOwnTime)
{
    NumberOfRecords = 3;
    StartReading(0);
    for (int32_t r = 1; r <= 3; ++r) {
        s.Clock = 1000 * (r - 1) + 10;
        HandleHalfCycle(Period(r), s);
        EXPECT_EQ(MeasureState, MeasureStateAveraging);
        s.Clock = 1000 * r;
        HandleHalfCycle(Period(r), s);
        EXPECT_EQ(RecordIndex, r);
        EXPECT_DOUBLE_EQ(ReadingResultsA[r].GateRow[1], 2.0 * r);
    }
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    EXPECT_EQ(s.Count("complete"), 1);
    EXPECT_EQ(s.Count("frame"), 0);  // earlier records stay visible
    EXPECT_EQ(s.Count("curve102"), 3);
}

TEST_F(MeasureCycleTest, AutomaticModeStoresAtTheIntervalAndAdvancesTheStation)
{
    Settings.SurveyMode = 1;
    AutoTriggerIntervalMs = 1500;
    LastAutoTriggerTick = 0;
    StartReading(0);
    s.Clock = 1000;
    HandleHalfCycle(Period(1.0), s);  // interval not yet passed: not stored
    EXPECT_EQ(s.Stores, 0);
    EXPECT_EQ(MeasureState, MeasureStateAveraging);
    EXPECT_EQ(RecordIndex, 0);
    EXPECT_EQ(AveragingEndTick, 2000u);
    s.Clock = 2000;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(s.Stores, 1);
    EXPECT_DOUBLE_EQ(CurrentStation, 105.0);
    EXPECT_EQ(LastAutoTriggerTick, 2000u);
    EXPECT_EQ(s.Count("station"), 1);
    EXPECT_EQ(s.Count("map"), 2);  // station layout: after each reading
    EXPECT_EQ(MeasureState, MeasureStateAveraging);
    EXPECT_EQ(s.Count("complete"), 0);
}

TEST_F(MeasureCycleTest, AutomaticStoreThatStoredNothingDoesNotAdvance)
{
    Settings.SurveyMode = 1;
    s.StoreAnswer = 0;
    StartReading(0);
    s.Clock = 1000;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(s.Stores, 1);
    EXPECT_DOUBLE_EQ(CurrentStation, 100.0);
    EXPECT_EQ(s.Count("station"), 0);
}

TEST_F(MeasureCycleTest, AutomaticProfileViewScrollsInsteadOfDrawing)
{
    Settings.SurveyMode = 1;
    Settings.GraphView = 1;
    StartReading(0);
    s.Clock = 1000;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(s.Count("scroll"), 1);
    EXPECT_EQ(s.Count("curve102"), 0);
}

// Pins the mended end: the time ran out before a whole period was stacked (or on a negative
// half-cycle); the reading must still end, with the next complete period.
TEST_F(MeasureCycleTest, ReadingEndsAfterTheTimeEvenWithNothingStackedYet)
{
    StartReading(0);
    s.Clock = 1200;
    HandleHalfCycle(Period(1.0, 0), s);
    EXPECT_EQ(MeasureState, MeasureStateAveraging);
    HandleHalfCycle(Period(4.0), s);
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    EXPECT_EQ(RecordIndex, 1);
    EXPECT_DOUBLE_EQ(ReadingResultsA[1].GateRow[0], 4.0);
}

TEST_F(MeasureCycleTest, EndIsNoticedOnANegativeHalfCycleOnceSomethingIsStacked)
{
    StartReading(0);
    s.Clock = 100;
    HandleHalfCycle(Period(2.0), s);
    s.Clock = 1001;
    HandleHalfCycle(Period(9.0, 0), s);
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    EXPECT_DOUBLE_EQ(ReadingResultsA[1].GateRow[0], 2.0);
}

TEST_F(MeasureCycleTest, TickWrapDoesNotEndTheReadingEarly)
{
    StartReading(0xFFFFFF00u);
    EXPECT_EQ(AveragingEndTick, 0xFFFFFF00u + 1000u);
    s.Clock = 0x00000010u;  // 272 ms later, across the wrap
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(MeasureState, MeasureStateAveraging);
    s.Clock = 0xFFFFFF00u + 1000u;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
}

TEST_F(MeasureCycleTest, RunningDisplayOncePerSecondOnlyForSingleRecordReadings)
{
    AveragingTimeMs = 10000;
    StartReading(0);
    s.Clock = 500;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(s.Count("curve101"), 0);
    s.Clock = 1001;
    HandleHalfCycle(Period(3.0), s);
    EXPECT_EQ(s.Count("curve101"), 1);
    EXPECT_DOUBLE_EQ(GateAverages[0], 2.0);
    EXPECT_EQ(SecondTick, 1000u);
    s.Clock = 1500;
    HandleHalfCycle(Period(3.0), s);
    EXPECT_EQ(s.Count("curve101"), 1);

    s.Calls.clear();
    NumberOfRecords = 2;
    StartReading(0);
    s.Clock = 1500;
    HandleHalfCycle(Period(1.0), s);
    EXPECT_EQ(s.Count("curve101"), 0);
}

TEST_F(MeasureCycleTest, AveragesAreLeftAloneBeforeTheFirstPeriod)
{
    AveragingTimeMs = 10000;
    GateAverages[0] = 77.0;
    StartReading(0);
    s.Clock = 1500;
    HandleHalfCycle(Period(1.0, 0), s);
    EXPECT_EQ(GateAverages[0], 77.0);
    EXPECT_EQ(s.Count("curve101"), 0);
}

TEST_F(MeasureCycleTest, ProgressFractionGuardsTheTime)
{
    EXPECT_DOUBLE_EQ(ProgressFraction(1500, 1000, 1000), 0.5);
    EXPECT_DOUBLE_EQ(ProgressFraction(10, 0xFFFFFFF6u, 40), 0.5);
    EXPECT_EQ(ProgressFraction(1500, 1000, 0), 0.0);
}

TEST_F(MeasureCycleTest, PruningStartsItsWindowWithEveryReading)
{
    Settings.ProcessingMethod = 1;
    ClearPruningState(Pruning);
    StartReading(0);
    s.Clock = 10;
    for (int32_t k = 0; k < 5; ++k)
        HandleHalfCycle(Period(2.0), s);
    EXPECT_EQ(StackCount, 5);
    s.Clock = 1000;
    HandleHalfCycle(Period(2.0), s);
    EXPECT_NEAR(ReadingResultsA[1].GateRow[0], 2.0, 1e-12);
    EXPECT_NEAR(ReadingResultsA[1].GateRow[2], 6.0, 1e-12);
}

TEST_F(MeasureCycleTest, NullingRowEndsAtItsStackTargetAndCallsTheStep)
{
    Settings.AveragingTimeIndex = 0;
    NullingSlot = 6;  // 0.3 Hz at 0.5 s: the target is the minimum of 2 periods
    ASSERT_EQ(StackTargets[0][6], 2);
    NullingStackCount = 0;
    NullingStepIndex = 3;
    for (double& v : StackSums)
        v = 0.0;
    MeasureState = MeasureStateNulling;
    EXPECT_EQ(HandleHalfCycle(Period(1.0), s), CycleContinue);
    // A negative half-cycle stacks nothing and ends nothing.
    EXPECT_EQ(HandleHalfCycle(Period(9.0, 0), s), CycleContinue);
    EXPECT_EQ(NullingStackCount, 1);
    EXPECT_EQ(HandleHalfCycle(Period(3.0), s), CycleHoldBuffer);
    EXPECT_EQ(NullingStepIndex, 4);
    EXPECT_NEAR(GateAverages[0], 2.0, 1e-12);
    EXPECT_NEAR(GateAverages[2], 6.0, 1e-12);
    EXPECT_EQ(s.Calls, (std::vector<std::string>{"header", "numbers", "curve102", "step"}));

    // User-defined gates go to their own step routine.
    s.Calls.clear();
    Settings.GateSet = 2;
    NullingStackCount = 1;
    EXPECT_EQ(HandleHalfCycle(Period(1.0), s), CycleHoldBuffer);
    EXPECT_EQ(s.Count("step-user"), 1);
}

TEST_F(MeasureCycleTest, TwoFrequencyReadingAlternatesTheRatesRecordByRecord)
{
    NumberOfRecords = 2;
    for (auto& r : ReadingResultsB)
        r = ReadingRecordResult{};
    StartReading(0);
    MeasureState = MeasureStateSequence;
    RepetitionPhase = 1;
    const double bases[4] = {1.0, 2.0, 3.0, 4.0};
    uint32_t t = 0;
    for (double base : bases) {
        s.Clock = t + 100;
        EXPECT_EQ(HandleHalfCycle(Period(base), s), CycleContinue);  // no running display
        s.Clock = t + 1000;
        const int32_t step = HandleHalfCycle(Period(base), s);
        EXPECT_EQ(step, base < 4.0 ? CycleHoldBuffer : CycleContinue) << base;
        t += 1000;
    }
    EXPECT_EQ(s.Count("rate2"), 2);
    EXPECT_EQ(s.Count("rate1"), 1);
    EXPECT_EQ(s.Count("complete"), 1);
    EXPECT_EQ(s.Count("curve101"), 0);
    EXPECT_NEAR(ReadingResultsA[1].GateRow[0], 1.0, 1e-12);
    EXPECT_NEAR(ReadingResultsB[1].GateRow[0], 2.0, 1e-12);
    EXPECT_NEAR(ReadingResultsA[2].GateRow[0], 3.0, 1e-12);
    EXPECT_NEAR(ReadingResultsB[2].GateRow[0], 4.0, 1e-12);
    EXPECT_EQ(RecordIndex, 2);
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    EXPECT_EQ(LiveDisplayMode, 0);
}

TEST_F(MeasureCycleTest, InternalTestEndsWithAStackedPeriodAndShowsItsVerdict)
{
    InternalTestMode = 47;
    StartReading(0);
    AveragingEndTick = 10000;
    // While the test runs nothing of the monitor display happens.
    MeasureState = MeasureStateMonitor;
    EXPECT_EQ(HandleHalfCycle(Period(1.0), s), CycleContinue);
    EXPECT_TRUE(s.Calls.empty());

    MeasureState = MeasureStateAveraging;
    s.Clock = 10000;
    EXPECT_EQ(HandleHalfCycle(Period(5.0, 0), s), CycleContinue);  // time over, nothing stacked
    EXPECT_EQ(LiveDisplayMode, 0);
    EXPECT_EQ(MeasureState, MeasureStateAveraging);
    s.Clock = 10100;
    EXPECT_EQ(HandleHalfCycle(Period(2.0), s), CycleHoldBuffer);
    EXPECT_EQ(s.Calls, (std::vector<std::string>{"header", "numbers", "curve102", "test2"}));
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    EXPECT_EQ(MeasurementRunning, 0);
    EXPECT_NEAR(ReadingResultsA[0].GateRow[1], 4.0, 1e-12);
    InternalTestMode = 0;
}

TEST_F(MeasureCycleTest, BufferWithoutSamplesIsHandedBackUnread)
{
    MeasureState = MeasureStateAveraging;
    SampleBuffer empty;
    SyncCycleConfig config;
    EXPECT_EQ(RunMeasurementCycle(empty, config, s), CycleRequeue);
    EXPECT_EQ(s.Progress.size(), 1u);
}

// The whole chain on a synthetic receiver: 30 Hz, 30 gates, a reading of 0.5 s cut into
// quarter-second buffers stacks the periods it spans and stores their average.
TEST_F(MeasureCycleTest, SyntheticStreamStacksAndEndsTheReading)
{
    RigSetup setup;
    auto rig = MakeRig(setup);
    const std::vector<uint16_t> stream = MakeStream(rig->Model, 40.0);
    GateCount = rig->Config.GateCount;
    AveragingTimeMs = 500;
    StartReading(0);
    const int32_t bufferSamples = rig->Counts.SampleRate;  // a quarter second of four channels
    SampleBuffer buffer;
    buffer.RangeMin = rig->Model.RangeMin;
    buffer.RangeMax = rig->Model.RangeMax;
    buffer.Resolution = rig->Model.Resolution;
    int32_t k = 0;
    for (size_t at = 0; at + bufferSamples <= stream.size() && MeasureState == MeasureStateAveraging;
         at += bufferSamples, ++k) {
        s.Clock = 250 * k;
        buffer.Samples = stream.data() + at;
        buffer.Count = bufferSamples;
        EXPECT_EQ(RunMeasurementCycle(buffer, rig->Config, s), CycleRequeue);
    }
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    EXPECT_EQ(RecordIndex, 1);
    // Periods over about 0.5 s at 30 Hz, ended at the first half-cycle after the end.
    EXPECT_GE(StackCount, 13);
    EXPECT_LE(StackCount, 23);
    // The decay is positive and falls with time.
    const double* row = ReadingResultsA[1].GateRow;
    EXPECT_GT(row[0], row[10]);
    EXPECT_GT(row[10], 0.0);
}

// A nulling row of 15 periods at 30 Hz, 30 gates, cut into quarter-second buffers whose ends
// fall in the off-times; a buffer the library queued again before the cycle read it is left
// out of the stream. The row of a noise-free stream is the same period after period, so a row
// that stacked a period stitched across the gap is not the row of the whole stream.
TEST_F(MeasureCycleTest, NullingRowAcrossLostSamplesStacksOnlyWholePeriods)
{
    auto rig = MakeRig(RigSetup{});
    rig->Model.StartTimeUs = 0.3 * RepetitionPeriodUs(rig->Model);
    const std::vector<uint16_t> stream = MakeStream(rig->Model, 40.0);
    GateCount = rig->Config.GateCount;
    Settings.AveragingTimeIndex = 0;
    NullingSlot = 7;
    std::vector<double> whole;
    // The buffer lost (-1 none); 1: the next one says so, 2: it comes back empty; whether the
    // row is that of the whole stream.
    for (const auto& c : {std::array<int32_t, 3>{-1, 0, 1}, {1, 1, 1}, {2, 1, 1}, {2, 2, 1}, {1, 0, 0}}) {
        ResetSyncState(SyncCycle);
        NullingStackCount = 0;
        std::fill(std::begin(StackSums), std::end(StackSums), 0.0);
        MeasureState = MeasureStateNulling;
        s = RecordingServices{};
        SampleBuffer b{nullptr, 0, rig->Model.RangeMin, rig->Model.RangeMax, 16, 0};
        for (int32_t k = 0; k < 5 && s.Count("step") == 0; ++k) {
            b.Samples = stream.data() + static_cast<size_t>(k * rig->Counts.SampleRate);
            b.Count = k == c[0] && c[1] == 2 ? 0 : rig->Counts.SampleRate;
            b.FollowsLostSamples = k == c[0] + 1 && c[1] == 1 ? 1 : 0;
            if (k != c[0] || c[1] == 2)
                RunMeasurementCycle(b, rig->Config, s);
        }
        ASSERT_EQ(s.Count("step"), 1);
        const std::vector<double> row(GateAverages, GateAverages + GateCount);
        if (whole.empty())
            whole = row;
        EXPECT_EQ(row == whole, c[2] == 1) << c[0] << " " << c[1];
    }
}

}  // namespace

namespace {

// Converts through the program's own conversion: volts to nV/m2 for the model's sensor.
class ConvertingServices : public RecordingServices {
public:
    const double* Centres = nullptr;
    void ConvertGateValues(double* row) override
    {
        UnitConversionContext context;
        context.GateCentresMs = Centres;
        ::ConvertGateValues(context, 0, 0, 0, GateCount, 5, 3.0, row, DisplayValues);
    }
};

// A stored reading of a uniform half-space under the simulated loop matches the half-space
// response, averaged over each gate, within a few percent at mid and late gates.
TEST_F(MeasureCycleTest, HalfSpaceReadingMatchesTheResponse)
{
    RigSetup setup;
    setup.TotalTurnOffDelay = 0.0;
    auto rig = MakeRig(setup);
    rig->Model.DecayModel = DecayModelHalfSpace;
    rig->Model.ResistivityOhmM = 30.0;
    rig->Model.SensorAreaM2 = 31.4;  // coil type 0
    // The scans fall a hair before each counter edge: the first scan after an edge lies one
    // scan period after it, where the receiver dates it.
    rig->Model.StartTimeUs = -0.01;
    const std::vector<uint16_t> stream = MakeStream(rig->Model, 40.0);
    GateCount = rig->Config.GateCount;
    AveragingTimeMs = 400;
    ConvertingServices c;
    c.Centres = rig->Config.GateCentres;
    StartReading(0);
    SampleBuffer buffer;
    buffer.RangeMin = rig->Model.RangeMin;
    buffer.RangeMax = rig->Model.RangeMax;
    buffer.Resolution = rig->Model.Resolution;
    const int32_t bufferSamples = rig->Counts.SampleRate;
    int32_t k = 0;
    for (size_t at = 0; at + bufferSamples <= stream.size() && MeasureState == MeasureStateAveraging;
         at += bufferSamples, ++k) {
        c.Clock = 250 * k;
        buffer.Samples = stream.data() + at;
        buffer.Count = bufferSamples;
        RunMeasurementCycle(buffer, rig->Config, c);
    }
    ASSERT_EQ(RecordIndex, 1);
    const double radius = EquivalentLoopRadius(rig->Model.LoopAreaM2);
    const double sigma = 1.0 / rig->Model.ResistivityOhmM;
    // Beyond gate 23 the decay is within a few codes of the 16-bit converter and a noise-free
    // stream keeps its rounding: those gates are not a measure of the cycle.
    for (int32_t g = 10; g < 24; ++g) {
        const double t0 = rig->Config.GateEdges[g], t1 = rig->Config.GateEdges[g + 1];
        double sum = 0.0;
        const int32_t steps = 200;
        for (int32_t i = 0; i < steps; ++i) {
            const double t = t0 + (t1 - t0) * (i + 0.5) / steps;
            sum += -HalfSpaceDbzDt(rig->Model.AmpereTurns, radius, sigma, t * 1e-6) * 1e9;
        }
        const double expected = sum / steps;
        EXPECT_NEAR(DisplayValues[g], expected, 0.05 * std::fabs(expected)) << "gate " << g;
    }
}

}  // namespace
