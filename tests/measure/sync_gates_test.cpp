#include "cycle_rig.h"

#include "vlox/measure/samples.h"
#include "vlox/measure/sync_gates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

namespace {

// A field-like signal: three decays, mains hum, noise, the odd spike.
void MakeRealistic(SignalModel& m, uint64_t seed)
{
    m.NoiseVolts = 0.002;
    m.HumVolts = 0.01;
    m.SpikeRateHz = 20.0;
    m.SpikeVolts = 0.5;
    m.Seed = seed;
    m.StartTimeUs = 1234.5;
}

// The half-cycles that the cycle must find, in order, each with its first integrated scan.
struct Expected {
    int64_t StartScan;
    int32_t Polarity;
};

std::vector<Expected> ExpectedHalfCycles(const Rig& rig, const std::vector<uint16_t>& stream)
{
    std::vector<Expected> out;
    const bool standard = rig.Config.Variant == SyncVariantStandard;
    const std::vector<SyncEdge> edges = standard ? TrailingEdges(rig, stream) : LeadingEdges(rig, stream);
    int32_t want = -1;
    for (const SyncEdge& e : edges) {
        if (e.Polarity != want)
            continue;
        const int64_t start = standard ? e.Scan : e.Scan + (rig.Counts.ScansPerPeriod - rig.Counts.GateSampleOffset);
        out.push_back({start, e.Polarity});
        want = -want;
    }
    return out;
}

// Checks the cycle's half-cycles against a direct integration over the whole stream.
void ExpectMatchesDirectIntegration(const Rig& rig, const std::vector<uint16_t>& stream,
                                    const std::vector<HalfCycleResult>& results)
{
    const std::vector<double> signal = ChannelVolts(rig, stream, SignalChannel);
    const std::vector<Expected> expected = ExpectedHalfCycles(rig, stream);
    ASSERT_GE(results.size(), 4u);
    ASSERT_LE(results.size(), expected.size());
    EXPECT_GE(results.size() + 1, expected.size());  // at most the last one is cut off

    DirectHalfCycle negative;
    for (size_t i = 0; i < results.size(); ++i) {
        const DirectHalfCycle direct = IntegrateDirect(rig, signal, expected[i].StartScan, expected[i].Polarity);
        ASSERT_TRUE(direct.Complete) << i;
        ASSERT_EQ(results[i].Polarity, expected[i].Polarity) << i;
        if (expected[i].Polarity < 0) {
            EXPECT_EQ(results[i].CycleReady, 0);
            for (int32_t g = 0; g < rig.Config.GateCount; ++g)
                ASSERT_DOUBLE_EQ(results[i].Gates[g], direct.Gates[g]) << "half-cycle " << i << " gate " << g;
            negative = direct;
            continue;
        }
        ASSERT_EQ(results[i].CycleReady, i > 0 ? 1 : 0);
        if (!results[i].CycleReady)
            continue;
        for (int32_t g = 0; g < rig.Config.GateCount; ++g)
            ASSERT_DOUBLE_EQ(results[i].Gates[g], negative.Gates[g] + direct.Gates[g])
                << "period " << i << " gate " << g;
        const double factor = 3000.0 * 100.0 / CoilAreas[rig.Config.CoilType];
        EXPECT_DOUBLE_EQ(results[i].EarlyWindowValue, (negative.Early + direct.Early) * factor);
    }
}

void ExpectSameResults(const std::vector<HalfCycleResult>& a, const std::vector<HalfCycleResult>& b, const char* what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].Polarity, b[i].Polarity) << what << " " << i;
        ASSERT_EQ(a[i].CycleReady, b[i].CycleReady) << what << " " << i;
        ASSERT_EQ(a[i].Gates, b[i].Gates) << what << " " << i;
        ASSERT_EQ(a[i].EarlyWindowValue, b[i].EarlyWindowValue) << what << " " << i;
    }
}

// The same results however the stream is cut: at every sync edge and a few scans around it,
// into one-scan buffers, into the board's own buffer size and at random places.
void ExpectIndependentOfBufferCuts(const Rig& rig, const std::vector<uint16_t>& stream,
                                   const std::vector<HalfCycleResult>& whole, uint32_t seed)
{
    const std::vector<SyncEdge> trailing = TrailingEdges(rig, stream);
    const std::vector<SyncEdge> leading = LeadingEdges(rig, stream);
    for (int32_t shift = -3; shift <= 3; ++shift) {
        std::vector<int64_t> cuts;
        for (const auto* edges : {&trailing, &leading})
            for (const SyncEdge& e : *edges)
                cuts.push_back(4 * (e.Scan + shift));
        std::sort(cuts.begin(), cuts.end());
        ExpectSameResults(whole, RunCutAt(rig, stream, cuts), "cut at the edges");
    }
    // Cut where the integration of each expected half-cycle begins, and just before.
    for (int32_t shift = -1; shift <= 1; ++shift) {
        std::vector<int64_t> cuts;
        for (const Expected& e : ExpectedHalfCycles(rig, stream))
            cuts.push_back(4 * (e.StartScan + shift));
        ExpectSameResults(whole, RunCutAt(rig, stream, cuts), "cut at the integration starts");
    }
    ExpectSameResults(whole, RunCut(rig, stream, {4}), "one scan per buffer");
    ExpectSameResults(whole, RunCut(rig, stream, {8, 4, 12}), "two, one, three scans");
    ExpectSameResults(whole, RunCut(rig, stream, {rig.Counts.SampleRate}), "board buffers");
    ExpectSameResults(whole, RunCut(rig, stream, {4 * 9973}), "odd buffers");
    std::mt19937 random(seed);
    for (int round = 0; round < 4; ++round) {
        std::vector<int32_t> sizes;
        int64_t total = 0;
        while (total < static_cast<int64_t>(stream.size())) {
            const int32_t scans = (random() % 4 == 0) ? 1 + random() % 3 : 1 + random() % 20000;
            sizes.push_back(4 * scans);
            total += 4 * scans;
        }
        ExpectSameResults(whole, RunCut(rig, stream, sizes), "random cuts");
    }
}

void CheckConfiguration(const RigSetup& setup, double periods, uint64_t seed)
{
    std::unique_ptr<Rig> rig = MakeRig(setup);
    MakeRealistic(rig->Model, seed);
    const std::vector<uint16_t> stream = MakeStream(rig->Model, periods);
    const std::vector<HalfCycleResult> whole = RunCut(*rig, stream, {});
    ExpectMatchesDirectIntegration(*rig, stream, whole);
    ExpectIndependentOfBufferCuts(*rig, stream, whole, static_cast<uint32_t>(seed));
}

}  // namespace

TEST(SyncAndGates, StandardVariantAt30HzWith30Gates)
{
    RigSetup s;
    s.RepRateIndex = 2;
    s.GateSet = 1;
    s.GateCount = 30;
    CheckConfiguration(s, 5.3, 11);
}

TEST(SyncAndGates, StandardVariantAt285HzSkipsAheadAfterEachHalfCycle)
{
    RigSetup s;
    s.RepRateIndex = 0;
    s.GateSet = 0;
    s.GateCount = 20;
    CheckConfiguration(s, 25.5, 12);
}

TEST(SyncAndGates, StandardVariantAt50HzMainsWithHundredUserGates)
{
    RigSetup s;
    s.Mains60 = 0;
    s.RepRateIndex = 1;
    s.GateSet = 2;
    s.GateCount = 100;
    CheckConfiguration(s, 8.2, 13);
}

TEST(SyncAndGates, StandardVariantAtASlowRateOnALowClock)
{
    RigSetup s;
    s.RepRateIndex = 5;
    s.GateSet = 1;
    s.GateCount = 30;
    s.Clock = 48000.0;
    CheckConfiguration(s, 3.4, 14);
}

TEST(SyncAndGates, NegativeDelayVariantAt30Hz)
{
    RigSetup s;
    s.RepRateIndex = 2;
    s.GateSet = 1;
    s.GateCount = 30;
    s.TotalTurnOffDelay = -100.0;
    CheckConfiguration(s, 5.3, 15);
}

// At rate index 4 and above the next search starts inside the level, so the leading edge is
// found by walking back, across buffer boundaries when the cut falls there.
TEST(SyncAndGates, NegativeDelayVariantWalksBackAcrossBuffers)
{
    RigSetup s;
    s.RepRateIndex = 4;
    s.GateSet = 1;
    s.GateCount = 30;
    s.TotalTurnOffDelay = -100.0;
    CheckConfiguration(s, 3.3, 16);
}

TEST(SyncAndGates, NegativeDelayVariantOnALowClockCarriesTheOffsetOverBuffers)
{
    RigSetup s;
    s.RepRateIndex = 6;
    s.GateSet = 1;
    s.GateCount = 30;
    s.TotalTurnOffDelay = -2000.0;
    s.Clock = 24000.0;
    CheckConfiguration(s, 3.3, 17);
}

TEST(SyncAndGates, InternalTestUsesTheStandardVariantWhateverTheDelay)
{
    EXPECT_EQ(ChooseSyncVariant(0, 0.0), SyncVariantStandard);
    EXPECT_EQ(ChooseSyncVariant(0, 5.9), SyncVariantStandard);
    EXPECT_EQ(ChooseSyncVariant(0, -0.1), SyncVariantNegativeDelay);
    EXPECT_EQ(ChooseSyncVariant(45, -100.0), SyncVariantStandard);
    EXPECT_EQ(ChooseSyncVariant(48, -100.0), SyncVariantStandard);
    EXPECT_EQ(ChooseSyncVariant(49, -100.0), SyncVariantNegativeDelay);
}

// The gates follow the decay of the ground: a noise-free symmetric bipolar signal gives twice
// the mean of the decay over each gate, with time counted from the first scan after turn-off.
TEST(SyncAndGates, GatesFollowTheModelDecay)
{
    RigSetup s;
    s.RepRateIndex = 2;
    s.GateSet = 1;
    s.GateCount = 30;
    s.TotalTurnOffDelay = 5.9;
    std::unique_ptr<Rig> rig = MakeRig(s);
    // No scan falls on a switch, where rounding could put it on either side.
    rig->Model.StartTimeUs = 0.7;
    const std::vector<uint16_t> stream = MakeStream(rig->Model, 3.2);
    const std::vector<HalfCycleResult> results = RunCut(*rig, stream, {rig->Counts.SampleRate});
    ASSERT_GE(results.size(), 4u);
    const HalfCycleResult& period = results[1];
    ASSERT_EQ(period.CycleReady, 1);

    const double P = rig->Counts.SamplePeriodUs;
    const double quarter = RepetitionPeriodUs(rig->Model) / 4.0;
    const double lsb = 20.0 / 65536.0;
    // Mean model response over a gate, time counted from the first scan after a turn-off.
    auto gateMean = [&](double turnOff, int32_t g, int& count) {
        int64_t firstScan = static_cast<int64_t>((turnOff - rig->Model.StartTimeUs) / P) - 2;
        while (TransmitterCurrent(rig->Model, ScanTimeUs(rig->Model, firstScan)) != 0.0)
            ++firstScan;
        const double start = rig->Edges[2][g] + s.TotalTurnOffDelay;
        const double end = rig->Edges[2][g + 1] + s.TotalTurnOffDelay;
        double sum = 0.0;
        count = 0;
        for (int64_t k = firstScan; (k - firstScan + 1) * P <= end; ++k) {
            if ((k - firstScan + 1) * P >= start) {
                sum += ReceiverResponse(rig->Model, ScanTimeUs(rig->Model, k));
                ++count;
            }
        }
        return count > 0 ? sum / count : 0.0;
    };
    // The negative turn-off of the first period, then the positive one of the second.
    const double negativeOff = 3.0 * quarter;
    const double positiveOff = RepetitionPeriodUs(rig->Model) + quarter;
    for (int32_t g = 0; g < 30; ++g) {
        int negativeCount = 0, positiveCount = 0;
        const double expected = -gateMean(negativeOff, g, negativeCount) + gateMean(positiveOff, g, positiveCount);
        if (negativeCount < 3 || positiveCount < 3)
            continue;
        EXPECT_NEAR(period.Gates[g], expected, 2.0 * lsb) << g;
    }
    // Early gates are large, late ones small: it is a decay.
    EXPECT_GT(period.Gates[3], 10.0 * period.Gates[20]);
    EXPECT_GT(period.Gates[20], 0.0);
}

namespace {

// Hand-made streams: codes on a +-16 V range, where 8.0 V is code 49152 exactly.
constexpr double HandRange = 16.0;
uint16_t HandCode(double volts)
{
    return static_cast<uint16_t>(std::lround((volts + HandRange) * 2048.0));
}

struct HandStream {
    std::vector<uint16_t> Samples;
    void Scan(double sync, double signal)
    {
        Samples.push_back(HandCode(0.0));
        Samples.push_back(HandCode(sync));
        Samples.push_back(HandCode(0.0));
        Samples.push_back(HandCode(signal));
    }
    SampleBuffer Buffer(size_t from, size_t to) const
    {
        SampleBuffer b;
        b.Samples = Samples.data() + from;
        b.Count = static_cast<int32_t>(to - from);
        b.RangeMin = -HandRange;
        b.RangeMax = HandRange;
        b.Resolution = 16;
        return b;
    }
};

struct HandConfig {
    double Edges[8] = {0.0, 1.5, 3.5, 10.5, 12.5, 13.0, 13.2, 20.0};               // us
    double Centres[7] = {0.0005, 0.0025, 0.007, 0.0115, 0.01275, 0.0131, 0.0166};  // ms
    SyncCycleConfig Config;
    HandConfig()
    {
        Config.Variant = SyncVariantStandard;
        Config.SamplePeriodUs = 1.0;
        Config.ScansPerPeriod = 40;
        Config.SyncSkip = 8;
        Config.TotalTurnOffDelay = 0.0;
        Config.RepRateIndex = 2;
        Config.GateCount = 7;
        Config.GateEdges = Edges;
        Config.GateCentres = Centres;
        Config.QuarterPeriodUs = 25.0;
        Config.EarlyWindowEndUs = 28.0;
        Config.GainCodeSent = 5;
        Config.CoilType = 2;
    }
};

// Runs buffers [cuts) of a hand stream and returns the state after the first half-cycle.
SyncCycleState FirstHalfCycle(const HandStream& h, const SyncCycleConfig& config, const std::vector<size_t>& cuts,
                              int* halfCycles = nullptr)
{
    SyncCycleState s;
    ResetSyncState(s);
    size_t from = 0;
    std::vector<size_t> ends = cuts;
    ends.push_back(h.Samples.size());
    int done = 0;
    for (size_t to : ends) {
        const SampleBuffer b = h.Buffer(from, to);
        while (RunSyncStages(s, config, b) == SyncHalfCycleDone) {
            if (++done == 1) {
                if (halfCycles)
                    *halfCycles = done;
                return s;
            }
        }
        from = to;
    }
    if (halfCycles)
        *halfCycles = done;
    return s;
}

// A negative level of `level` scans, then a ramp of signal values 1, 2, 3, ... after it.
HandStream NegativeLevelThenRamp(int lead, int level, int after, double syncVolts = -9.0)
{
    HandStream h;
    for (int i = 0; i < lead; ++i)
        h.Scan(0.0, 0.0);
    for (int i = 0; i < level; ++i)
        h.Scan(syncVolts, 0.0);
    for (int i = 1; i <= after; ++i)
        h.Scan(0.0, static_cast<double>(i) / 64.0);
    return h;
}

}  // namespace

// Hand-made gates: [0, 1.5] has t = 1 (one sample, straight line), [1.5, 3.5] has 2, 3 (two,
// straight line), [3.5, 10.5] has 4..10 (mean), [10.5, 12.5] has 11, 12; [12.5, 13.0] and
// [12.5, 13.0] has t = 13 (one sample, straight line); [13.0, 13.2] has none: it closes on
// t = 14 by the straight line at its centre and hands the same sample to the next gate.
TEST(SyncAndGates, GateSampleCountsAndStraightLines)
{
    HandConfig hc;
    const HandStream h = NegativeLevelThenRamp(3, 6, 40);
    const SyncCycleState s = FirstHalfCycle(h, hc.Config, {});
    ASSERT_EQ(s.HalfCycleFlags[0], 1);
    const double step = 1.0 / 64.0;  // signal rises by one step per scan: v(t) = t / 64
    auto line = [&](double centreMs) { return -(centreMs * 1000.0) * step; };  // stored negated
    EXPECT_DOUBLE_EQ(s.HalfCycleGatesNegative[0], line(0.0005));
    EXPECT_DOUBLE_EQ(s.HalfCycleGatesNegative[1], line(0.0025));
    EXPECT_DOUBLE_EQ(s.HalfCycleGatesNegative[2], -(4 + 5 + 6 + 7 + 8 + 9 + 10) / 7.0 * step);
    EXPECT_DOUBLE_EQ(s.HalfCycleGatesNegative[3], line(0.0115));
    EXPECT_DOUBLE_EQ(s.HalfCycleGatesNegative[4], line(0.01275));
    EXPECT_DOUBLE_EQ(s.HalfCycleGatesNegative[5], line(0.0131));
    EXPECT_DOUBLE_EQ(s.HalfCycleGatesNegative[6], -(14 + 15 + 16 + 17 + 18 + 19 + 20) / 7.0 * step);
    // Early window 25..28 us: samples at t = 25, 26, 27, 28.
    EXPECT_DOUBLE_EQ(s.EarlyValueNegative, -(25 + 26 + 27 + 28) / 4.0 * step);
}

// Pins: exactly -8.0 V is not in the level, so a level of -8.0 V is never found.
TEST(SyncAndGates, ExactlyEightVoltsIsOutsideTheLevel)
{
    HandConfig hc;
    int done = 0;
    FirstHalfCycle(NegativeLevelThenRamp(3, 6, 40, -8.0), hc.Config, {}, &done);
    EXPECT_EQ(done, 0);
    FirstHalfCycle(NegativeLevelThenRamp(3, 6, 40, -8.0 - 1.0 / 2048.0), hc.Config, {}, &done);
    EXPECT_EQ(done, 1);
}

// Pins: the straight line of a gate closing on the first scan of a buffer takes the previous
// scan from the end of the last buffer, never from index -1.
TEST(SyncAndGates, FirstScanOfABufferUsesTheLastScanOfThePrevious)
{
    HandConfig hc;
    const HandStream h = NegativeLevelThenRamp(3, 6, 40);
    const SyncCycleState whole = FirstHalfCycle(h, hc.Config, {});
    // Scan 9 is t = 1 (gate 0 closes on it); scans 10, 11 close gate 1; 19..20 gates 3..5.
    for (size_t scan : {9u, 10u, 11u, 12u, 19u, 20u, 21u, 22u}) {
        const SyncCycleState cut = FirstHalfCycle(h, hc.Config, {4 * scan});
        for (int g = 0; g < 7; ++g)
            EXPECT_EQ(cut.HalfCycleGatesNegative[g], whole.HalfCycleGatesNegative[g]) << scan << " " << g;
        EXPECT_EQ(cut.EarlyValueNegative, whole.EarlyValueNegative);
    }
}

// Pins: a level that ends exactly at a buffer boundary is dated on the first scan of the next
// buffer; the resumed search tests that scan instead of stepping over it.
TEST(SyncAndGates, LevelEndingAtTheBufferBoundary)
{
    HandConfig hc;
    const HandStream h = NegativeLevelThenRamp(3, 6, 40);
    const SyncCycleState whole = FirstHalfCycle(h, hc.Config, {});
    for (size_t scan : {3u, 4u, 5u, 8u, 9u}) {
        const SyncCycleState cut = FirstHalfCycle(h, hc.Config, {4 * scan});
        EXPECT_EQ(cut.HalfCycleGatesNegative[2], whole.HalfCycleGatesNegative[2]) << scan;
        EXPECT_EQ(cut.HalfCycleGatesNegative[6], whole.HalfCycleGatesNegative[6]) << scan;
    }
    // The same for every cut of one scan per buffer.
    std::vector<size_t> everyScan;
    for (size_t k = 1; k < h.Samples.size() / 4; ++k)
        everyScan.push_back(4 * k);
    const SyncCycleState single = FirstHalfCycle(h, hc.Config, everyScan);
    for (int g = 0; g < 7; ++g)
        EXPECT_EQ(single.HalfCycleGatesNegative[g], whole.HalfCycleGatesNegative[g]) << g;
}

// Pins: short buffers (fewer samples than a scan, or a part scan at the end) are read only up
// to their last whole scan and change nothing when they hold none.
TEST(SyncAndGates, ShortBuffersAndPartScans)
{
    HandConfig hc;
    const HandStream h = NegativeLevelThenRamp(3, 6, 40);
    const SyncCycleState whole = FirstHalfCycle(h, hc.Config, {});

    SyncCycleState s;
    ResetSyncState(s);
    const SampleBuffer empty = h.Buffer(0, 0);
    const SampleBuffer three = h.Buffer(0, 3);
    EXPECT_EQ(RunSyncStages(s, hc.Config, empty), SyncBufferUsed);
    EXPECT_EQ(RunSyncStages(s, hc.Config, three), SyncBufferUsed);
    EXPECT_EQ(s.SyncState, -1);
    EXPECT_EQ(s.SyncIndex, 1);
    EXPECT_EQ(s.PreviousSignalValid, 0);

    // A buffer of 4 scans and a part scan: the part scan is left alone.
    SampleBuffer part = h.Buffer(0, 22);
    SyncCycleState t;
    ResetSyncState(t);
    EXPECT_EQ(RunSyncStages(t, hc.Config, part), SyncBufferUsed);
    EXPECT_EQ(t.SyncState, -2);
    // Zero-sample and short buffers between the scans do not shift the time axis.
    std::vector<size_t> cuts;
    for (size_t k = 1; k < h.Samples.size() / 4; ++k) {
        cuts.push_back(4 * k);
        cuts.push_back(4 * k);
    }
    const SyncCycleState repeated = FirstHalfCycle(h, hc.Config, cuts);
    for (int g = 0; g < 7; ++g)
        EXPECT_EQ(repeated.HalfCycleGatesNegative[g], whole.HalfCycleGatesNegative[g]);
}

// Pins: a gate count beyond the 100 gates of the tables is held to 100, and missing tables
// mean no gates, never a read past them.
TEST(SyncAndGates, GateCountHeldToTheTables)
{
    HandConfig hc;
    const HandStream h = NegativeLevelThenRamp(3, 6, 40);
    SyncCycleConfig none = hc.Config;
    none.GateEdges = nullptr;
    int done = 0;
    SyncCycleState s = FirstHalfCycle(h, none, {}, &done);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(s.EarlyValueNegative, -(25 + 26 + 27 + 28) / 4.0 / 64.0);

    SyncCycleConfig negative = hc.Config;
    negative.GateCount = -3;
    s = FirstHalfCycle(h, negative, {}, &done);
    EXPECT_EQ(done, 1);

    // 101 requested gates over 101 edges: the gates of the first 100 only.
    std::vector<double> edges(101), centres(100);
    for (int i = 0; i <= 100; ++i)
        edges[i] = 0.1 * i;
    for (int i = 0; i < 100; ++i)
        centres[i] = 0.0001 * i + 0.00005;
    SyncCycleConfig many = hc.Config;
    many.GateEdges = edges.data();
    many.GateCentres = centres.data();
    many.GateCount = 101;
    s = FirstHalfCycle(h, many, {}, &done);
    EXPECT_EQ(done, 1);
    EXPECT_NE(s.HalfCycleGatesNegative[99], 0.0);
    EXPECT_EQ(s.HalfCycleGatesNegative[100], 0.0);
}

// Pins: the search and the integration advance on every call even at the smallest skip, and
// a garbage stream in random pieces never reads outside its buffer (ASan watches).
TEST(SyncAndGates, RandomCodesInRandomPiecesStayInBounds)
{
    std::mt19937 random(7);
    for (int variant = 0; variant < 2; ++variant) {
        HandConfig hc;
        hc.Config.Variant = variant;
        hc.Config.SyncSkip = 0;
        hc.Config.GateSampleOffset = 3;
        hc.Config.RepRateIndex = variant ? 5 : 0;
        SyncCycleState s;
        ResetSyncState(s);
        int halfCycles = 0;
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint16_t> samples(random() % 64);
            for (auto& c : samples)
                c = (random() % 3 == 0) ? 0 : (random() % 3 == 0 ? 65535 : static_cast<uint16_t>(random()));
            SampleBuffer b;
            b.Samples = samples.data();
            b.Count = static_cast<int32_t>(samples.size());
            b.RangeMin = -10.0;
            b.RangeMax = 10.0;
            b.Resolution = 16;
            int guard = 0;
            while (RunSyncStages(s, hc.Config, b) == SyncHalfCycleDone) {
                ++halfCycles;
                ASSERT_LT(++guard, 1000);
            }
            ASSERT_NE(s.SyncState, 0);
            ASSERT_LE(std::abs(s.SyncState), 4);
        }
        EXPECT_GT(halfCycles, 10) << variant;
    }
}

// Pins: a buffer whose range or resolution cannot be read breaks the time axis; the search
// starts again after it instead of reading its samples.
TEST(SyncAndGates, UnreadableBufferStartsTheSearchAfresh)
{
    HandConfig hc;
    const HandStream h = NegativeLevelThenRamp(3, 6, 40);
    SyncCycleState s;
    ResetSyncState(s);
    RunSyncStages(s, hc.Config, h.Buffer(0, 4 * 12));
    EXPECT_EQ(s.SyncState, -4);
    SampleBuffer bad = h.Buffer(4 * 12, 4 * 20);
    bad.Resolution = 0;
    EXPECT_EQ(RunSyncStages(s, hc.Config, bad), SyncBufferUsed);
    EXPECT_EQ(s.SyncState, -1);
    EXPECT_EQ(s.HalfCycleFlags[0], 0);
    bad = h.Buffer(4 * 12, 4 * 20);
    bad.RangeMax = std::nan("");
    ResetSyncState(s);
    EXPECT_EQ(RunSyncStages(s, hc.Config, bad), SyncBufferUsed);
    EXPECT_EQ(s.SyncState, -1);
}

TEST(SyncAndGates, CombineHalfCyclesAssemblesAPeriod)
{
    HandConfig hc;
    SyncCycleState s;
    ResetSyncState(s);
    s.SyncState = -4;
    s.IntegrationIndex = 403;
    s.HalfCycleFlags[0] = 1;
    for (int g = 0; g < 7; ++g) {
        s.HalfCycleGatesNegative[g] = 1.0 + g;
        s.HalfCycleGatesPositive[g] = 10.0 * g;
    }
    s.EarlyValueNegative = 0.25;
    s.EarlyValuePositive = 0.5;
    CombineHalfCycles(s, hc.Config);
    EXPECT_EQ(s.SyncState, 1);
    EXPECT_EQ(s.SyncIndex, 401);
    EXPECT_EQ(s.SyncStep, 4);    // SyncSkip 8 / 2
    EXPECT_EQ(s.CycleReady, 0);  // only the negative half is there

    s.SyncState = 4;
    s.HalfCycleFlags[1] = 1;
    hc.Config.GainCodeSent = 4;
    hc.Config.PolaritySign = -1.0;
    CombineHalfCycles(s, hc.Config);
    EXPECT_EQ(s.SyncState, -1);
    EXPECT_EQ(s.CycleReady, 1);
    EXPECT_EQ(s.HalfCycleFlags[0], 0);
    EXPECT_EQ(s.HalfCycleFlags[1], 0);
    for (int g = 0; g < 7; ++g)
        EXPECT_EQ(s.CycleGates[g], 1.0 + 11.0 * g);
    EXPECT_DOUBLE_EQ(s.EarlyWindowValue, 0.75 * 2.0 * 3000.0 * 100.0 / 100.0 * -1.0);

    // Rate index 0 skips 8 steps ahead; above 3 the step is one scan.
    hc.Config.SyncSkip = 800;
    hc.Config.RepRateIndex = 0;
    s.SyncState = 4;
    s.IntegrationIndex = 3;
    CombineHalfCycles(s, hc.Config);
    EXPECT_EQ(s.SyncStep, 400);
    EXPECT_EQ(s.SyncIndex, 1 + 8 * 400);
    hc.Config.RepRateIndex = 4;
    s.SyncState = 4;
    s.IntegrationIndex = 3;
    CombineHalfCycles(s, hc.Config);
    EXPECT_EQ(s.SyncStep, 4);
    EXPECT_EQ(s.SyncIndex, 1);

    // Pins: an out-of-range gain or coil type never indexes the tables.
    s.SyncState = 4;
    s.HalfCycleFlags[0] = s.HalfCycleFlags[1] = 1;
    hc.Config.GainCodeSent = 7;
    CombineHalfCycles(s, hc.Config);
    EXPECT_TRUE(std::isnan(s.EarlyWindowValue));
    s.SyncState = 4;
    s.HalfCycleFlags[0] = s.HalfCycleFlags[1] = 1;
    hc.Config.GainCodeSent = 5;
    hc.Config.CoilType = 11;
    CombineHalfCycles(s, hc.Config);
    EXPECT_TRUE(std::isnan(s.EarlyWindowValue));
}

// Pins: after a start the negative-delay variant cannot date a level that was already on when
// the first buffer began; it waits for the next level, entered from outside.
TEST(SyncAndGates, NegativeDelayLetsGoOfALevelAlreadyOnAtTheStart)
{
    HandConfig hc;
    hc.Config.Variant = SyncVariantNegativeDelay;
    hc.Config.ScansPerPeriod = 6;
    hc.Config.GateSampleOffset = 0;
    HandStream h;
    for (int i = 0; i < 5; ++i)
        h.Scan(-9.0, 0.0);  // on at the start: let go
    for (int i = 0; i < 20; ++i)
        h.Scan(0.0, 0.0);
    for (int i = 0; i < 6; ++i)
        h.Scan(-9.0, 0.0);  // this one is taken: edge at scan 25
    for (int i = 1; i <= 60; ++i)
        h.Scan(0.0, i / 64.0);
    int done = 0;
    const SyncCycleState s = FirstHalfCycle(h, hc.Config, {}, &done);
    ASSERT_EQ(done, 1);
    // Integration starts 6 scans after the edge, at scan 31: the first signal value 1/64 is
    // t = 1; gate 2 (3.5..10.5 us) holds t = 4..10.
    EXPECT_DOUBLE_EQ(s.HalfCycleGatesNegative[2], -(4 + 5 + 6 + 7 + 8 + 9 + 10) / 7.0 / 64.0);
}

// The level tests on the codes decide as the volts test does, code by code, on ranges where
// 8 V falls on a code, between codes, beyond the range, and where the step overflows (code 0
// then converts to NaN, which is in neither level).
TEST(SyncAndGates, LevelCodesDecideAsTheVoltsTest)
{
    const struct {
        double Min, Max;
        int32_t Resolution;
    } ranges[] = {{-10.0, 10.0, 16}, {-10.24, 10.24, 16}, {-16.0, 16.0, 16},  {-10.0, 10.0, 12},
                  {-9.1, 12.3, 16},  {-5.0, 5.0, 16},     {-1e308, 1e308, 16}};
    for (const auto& r : ranges) {
        for (int32_t single = 0; single < 2; ++single) {
            SampleScale scale;
            if (!MakeSampleScale(r.Min, r.Max, r.Resolution, single, scale)) {
                ASSERT_EQ(single, 1);  // beyond single precision: the buffer is refused
                continue;
            }
            const SyncLevelCodes level = MakeSyncLevelCodes(scale);
            for (int32_t code = 0; code <= 65535; ++code) {
                const double v = CodeToVolts(scale, static_cast<uint16_t>(code));
                ASSERT_EQ(code >= level.PositiveFrom, v > SyncLevelVolts) << r.Min << " " << single << " " << code;
                ASSERT_EQ(code < level.NegativeBelow, v < -SyncLevelVolts) << r.Min << " " << single << " " << code;
            }
        }
    }
}

// The gates and early windows of every half-cycle are, to the last bit, those of a direct
// integration over the whole stream, also where most gates are narrower than a scan and close
// one after the other on one sample (rate index 0 with 100 gates).
TEST(SyncAndGates, RunsOfScansAddAsTheDirectIntegrationBitForBit)
{
    struct Case {
        int32_t Rate, GateSet, Gates;
        double Delay;
    };
    for (const Case& c : {Case{0, 2, 100, 5.9}, Case{0, 2, 100, -100.0}, Case{2, 1, 30, 0.0}, Case{2, 2, 100, 150.0},
                          Case{4, 1, 30, -2000.0}}) {
        RigSetup s;
        s.RepRateIndex = c.Rate;
        s.GateSet = c.GateSet;
        s.GateCount = c.Gates;
        s.TotalTurnOffDelay = c.Delay;
        std::unique_ptr<Rig> rig = MakeRig(s);
        MakeRealistic(rig->Model, 20 + c.Rate);
        const std::vector<uint16_t> stream = MakeStream(rig->Model, c.Rate >= 4 ? 2.3 : 6.5);
        const std::vector<double> signal = ChannelVolts(*rig, stream, SignalChannel);
        const std::vector<Expected> expected = ExpectedHalfCycles(*rig, stream);
        const std::vector<HalfCycleResult> results = RunCut(*rig, stream, {rig->Counts.SampleRate});
        ASSERT_GE(results.size(), 3u) << c.Rate;
        for (size_t i = 0; i < results.size(); ++i) {
            if (results[i].CycleReady)
                continue;  // a period's sum is checked through its halves
            const DirectHalfCycle direct = IntegrateDirect(*rig, signal, expected[i].StartScan, expected[i].Polarity);
            ASSERT_TRUE(direct.Complete);
            for (int32_t g = 0; g < c.Gates; ++g)
                ASSERT_EQ(results[i].Gates[g], direct.Gates[g]) << c.Rate << " " << c.Delay << " " << i << " " << g;
            ASSERT_EQ(results[i].EarlyWindowValue, direct.Early) << c.Rate << " " << c.Delay << " " << i;
        }
    }
}

// Pins: what the state keeps from the configuration and the input range (the scans gates
// close on, the level codes) follows tables rebuilt in place at the same address and a new
// range, rather than the ones it was worked out from.
TEST(SyncAndGates, KeptPlanFollowsTablesRebuiltInPlace)
{
    RigSetup setup;
    setup.RepRateIndex = 2;
    setup.GateSet = 1;
    setup.GateCount = 30;
    std::unique_ptr<Rig> rig = MakeRig(setup);
    MakeRealistic(rig->Model, 31);
    const std::vector<uint16_t> stream = MakeStream(rig->Model, 4.3);
    double edges[GateEdgeCount];
    std::copy(rig->Edges[2], rig->Edges[2] + GateEdgeCount, edges);
    SyncCycleConfig config = rig->Config;
    config.GateEdges = edges;

    auto run = [&](SyncCycleState& state, double rangeMax) {
        ResetSyncState(state);
        SampleBuffer b;
        b.Samples = stream.data();
        b.Count = static_cast<int32_t>(stream.size());
        b.RangeMin = -10.0;
        b.RangeMax = rangeMax;
        b.Resolution = 16;
        std::vector<double> out;
        while (RunSyncStages(state, config, b) == SyncHalfCycleDone) {
            const double* row = state.SyncState > 0 ? state.HalfCycleGatesNegative : state.HalfCycleGatesPositive;
            out.insert(out.end(), row, row + 30);
        }
        return out;
    };
    auto kept = std::make_unique<SyncCycleState>();
    const std::vector<double> before = run(*kept, 10.0);
    for (double& e : edges)
        e *= 1.5;
    auto fresh = std::make_unique<SyncCycleState>();
    const std::vector<double> rebuilt = run(*fresh, 10.0);
    ASSERT_NE(rebuilt, before);
    EXPECT_EQ(run(*kept, 10.0), rebuilt);
    // Another range converts every code differently, the level codes among them.
    auto other = std::make_unique<SyncCycleState>();
    const std::vector<double> wider = run(*other, 12.0);
    ASSERT_NE(wider, rebuilt);
    EXPECT_EQ(run(*kept, 12.0), wider);
}

// Pins: in the negative-delay variant a half-cycle without gates watches for the next level
// from its own start; a level seen in the half-cycle before, in a buffer long gone, is never
// taken as found (the search once began at that stale index, past the end of the buffer).
TEST(SyncAndGates, NegativeDelayWithoutGatesTakesNoStaleLevel)
{
    RigSetup s;
    s.RepRateIndex = 2;
    s.GateSet = 1;
    s.GateCount = 30;
    s.TotalTurnOffDelay = -100.0;
    std::unique_ptr<Rig> rig = MakeRig(s);
    rig->Config.GateCount = 0;
    MakeRealistic(rig->Model, 41);
    const std::vector<uint16_t> stream = MakeStream(rig->Model, 6.3);
    const std::vector<HalfCycleResult> whole = RunCut(*rig, stream, {});
    ExpectMatchesDirectIntegration(*rig, stream, whole);
    ExpectIndependentOfBufferCuts(*rig, stream, whole, 41);
}
