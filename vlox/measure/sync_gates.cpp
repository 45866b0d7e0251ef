#include "vlox/measure/sync_gates.h"

#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

SyncCycleState SyncCycle;

namespace {

int32_t PolarityOf(const SyncCycleState& s)
{
    return s.SyncState > 0 ? 1 : -1;
}

int32_t StageOf(const SyncCycleState& s)
{
    return s.SyncState > 0 ? s.SyncState : -s.SyncState;
}

bool InLevel(double volts, int32_t sign)
{
    return sign > 0 ? volts > SyncLevelVolts : volts < -SyncLevelVolts;
}

bool CodeInLevel(const SyncLevelCodes& level, uint16_t code, int32_t sign)
{
    return sign > 0 ? code >= level.PositiveFrom : code < level.NegativeBelow;
}

// First n in low + 1..high - 1 for which a test that turns from false to true as n grows
// holds; high when none does. Used for the codes of a level and the scans of a gate.
template <class Test>
int64_t FirstWhere(int64_t low, int64_t high, Test test)
{
    while (high - low > 1) {
        const int64_t mid = low + (high - low) / 2;
        if (test(mid))
            high = mid;
        else
            low = mid;
    }
    return high;
}

int32_t GateCountOf(const SyncCycleConfig& config)
{
    if (config.GateEdges == nullptr || config.GateCentres == nullptr || config.GateCount < 0)
        return 0;
    return config.GateCount > MaxCycleGates ? MaxCycleGates : config.GateCount;
}

int32_t SkipOf(const SyncCycleConfig& config)
{
    return config.SyncSkip < 4 ? 4 : config.SyncSkip / 4 * 4;
}

// A coarse step shrinks to an eighth, at least one scan, on whole scans.
int32_t ReduceStep(int32_t step)
{
    int32_t s = step / 8;
    if (s < 4)
        s = 4;
    return s / 4 * 4;
}

void StartHalfCycle(SyncCycleState& s, const SyncCycleConfig& config)
{
    s.IntegrationIndex = s.SyncIndex + 2;
    s.HalfCycleScan = 1;
    s.GateIndex = 0;
    s.GateSum = 0.0;
    s.GateSampleCount = 0;
    s.EarlyWindowSum = 0.0;
    s.EarlyWindowCount = 0;
    s.EarlyWindowDone = 0;
    s.GatesDone = GateCountOf(config) == 0 ? 1 : 0;
    s.GateEndIndex = s.IntegrationIndex;
    // A level seen after the gates of the last half-cycle is not one of this half-cycle: with
    // no gates to close, it would otherwise be taken as found, at an index of a buffer long
    // gone.
    s.NextLevelSeen = 0;
    s.SyncState = PolarityOf(s) * 4;
}

// Signal sample of the scan before index: in this buffer, or the one kept from the end of the
// previous buffer, or (right after a reset) the sample itself.
double PreviousSignal(const SyncCycleState& s, const SyncBufferView& view, int32_t index, double v)
{
    if (index >= 4)
        return CodeToVolts(view.Fine, view.Samples[index - 4]);
    return s.PreviousSignalValid ? s.PreviousSignalVolts : v;
}

void StoreGate(SyncCycleState& s, int32_t sign, int32_t gate, double value)
{
    if (sign < 0)
        s.HalfCycleGatesNegative[gate] = -value;
    else
        s.HalfCycleGatesPositive[gate] = value;
}

void StoreEarly(SyncCycleState& s, int32_t sign, double value)
{
    if (sign < 0)
        s.EarlyValueNegative = -value;
    else
        s.EarlyValuePositive = value;
}

int32_t FlagSlot(int32_t sign)
{
    return sign < 0 ? 0 : 1;
}

// What the next buffer needs from this one: the last signal sample and the run of sync level
// that ends it, so that neither an edge nor a straight line ever reads before index 0.
void NoteBufferEnd(SyncCycleState& s, const SyncCycleConfig& config, const SyncBufferView& view)
{
    const int32_t n = view.Count;
    if (n < 4)
        return;
    s.PreviousSignalVolts = CodeToVolts(view.Fine, view.Samples[n - 1]);
    s.PreviousSignalValid = 1;

    const uint16_t last = view.Samples[n - 3];
    const int32_t sign = CodeInLevel(view.FineLevel, last, 1) ? 1 : (CodeInLevel(view.FineLevel, last, -1) ? -1 : 0);
    if (sign == 0) {
        s.SyncTailScans = 0;
        s.SyncTailSign = 0;
        return;
    }
    const int32_t cap = SkipOf(config) / 4 + 1;
    int32_t run = 0;
    int32_t index = n - 3;
    while (index >= 1 && run < cap && CodeInLevel(view.FineLevel, view.Samples[index], sign)) {
        ++run;
        index -= 4;
    }
    if (index < 1 && run < cap) {
        // The whole buffer is in the level: the run may go on in the buffer before.
        if (s.SyncTailScans < 0)
            run = -1;
        else if (s.SyncTailSign == sign)
            run = run + s.SyncTailScans < cap ? run + s.SyncTailScans : cap;
    }
    s.SyncTailScans = run;
    s.SyncTailSign = sign;
}

}  // namespace

int32_t ChooseSyncVariant(int32_t internalTestMode, double totalTurnOffDelay)
{
    if (internalTestMode >= 45 && internalTestMode <= 48)
        return SyncVariantStandard;
    return totalTurnOffDelay < 0.0 ? SyncVariantNegativeDelay : SyncVariantStandard;
}

void ResetSyncState(SyncCycleState& state)
{
    state.SyncState = -1;
    state.SyncIndex = 1;
    state.IntegrationIndex = 3;
    state.HalfCycleScan = 0;
    state.GateIndex = 0;
    state.GateSampleCount = 0;
    state.HalfCycleFlags[0] = 0;
    state.HalfCycleFlags[1] = 0;
    state.CycleReady = 0;
    state.SyncStep = 4;
    state.PreviousSignalValid = 0;
    state.SyncTailScans = -1;
    state.SyncTailSign = 0;
    state.SyncEndResumed = 0;
    state.SyncNeedsGap = 0;
    state.NextLevelSeen = 0;
    state.NextLevelPending = 0;
}

void ResetAcquisitionState()
{
    ResetSyncState(SyncCycle);
}

void FindSyncLevelStandard(SyncCycleState& s, const SyncCycleConfig& config, const SyncBufferView& view)
{
    const int32_t sign = PolarityOf(s);
    const int32_t skip = SkipOf(config);
    if (s.SyncIndex < 1)
        s.SyncIndex = 1;
    while (s.SyncIndex < view.Count) {
        if (CodeInLevel(view.CoarseLevel, view.Samples[s.SyncIndex], sign)) {
            s.SyncState = sign * 2;
            s.SyncStep = 4;
            return;
        }
        s.SyncIndex += skip;
    }
    s.SyncIndex = 1;
}

void FindSyncEndStandard(SyncCycleState& s, const SyncCycleConfig&, const SyncBufferView& view)
{
    const int32_t sign = PolarityOf(s);
    const int32_t n = view.Count;
    if (n < 4)
        return;
    if (s.SyncStep < 4)
        s.SyncStep = 4;
    // A search resumed in a new buffer tests its first scan too: a level that ends exactly at
    // the buffer boundary is then dated on the first sample after it.
    if (s.SyncEndResumed)
        s.SyncEndResumed = 0;
    else
        s.SyncIndex += s.SyncStep;

    for (;;) {
        while (s.SyncIndex < n) {
            if (s.SyncIndex >= 1) {
                // Through the level at the present step, which is one scan at the first pass.
                const uint16_t* samples = view.Samples;
                const SyncLevelCodes level = view.FineLevel;
                const int32_t step = s.SyncStep;
                int32_t index = s.SyncIndex;
                while (index < n && CodeInLevel(level, samples[index], sign))
                    index += step;
                s.SyncIndex = index;
                if (index >= n)
                    break;
            }
            s.SyncIndex -= s.SyncStep;
            s.SyncStep = ReduceStep(s.SyncStep);
            s.SyncIndex += s.SyncStep;
            if (s.SyncStep <= 50) {
                if (s.SyncIndex < 1)
                    s.SyncIndex = 1;
                s.SyncState = sign * 3;
                s.SyncStep = 4;
                return;
            }
        }
        if (CodeInLevel(view.FineLevel, view.Samples[n - 3], sign)) {
            s.SyncIndex = 1;
            s.SyncEndResumed = 1;
            return;
        }
        s.SyncIndex -= s.SyncStep;
        s.SyncStep = ReduceStep(s.SyncStep);
        if (s.SyncStep <= 50) {
            if (s.SyncIndex < 1)
                s.SyncIndex = 1;
            s.SyncState = sign * 3;
            s.SyncStep = 4;
            return;
        }
    }
}

void FindSyncLevelNegativeDelay(SyncCycleState& s, const SyncCycleConfig&, const SyncBufferView& view)
{
    const int32_t sign = PolarityOf(s);
    if (s.NextLevelPending) {
        // Found while the last half-cycle was being integrated, perhaps in an earlier buffer.
        s.NextLevelPending = 0;
        s.SyncIndex = s.NextLevelIndex;
        s.SyncState = sign * 2;
        return;
    }
    if (s.SyncIndex < 1)
        s.SyncIndex = 1;
    // Every scan is tested, so the first level sample after an out-of-level one is the
    // leading edge itself; looking again at the end of the buffer could add nothing.
    const uint16_t* samples = view.Samples;
    const SyncLevelCodes level = view.CoarseLevel;
    int32_t index = s.SyncIndex;
    if (s.SyncNeedsGap) {
        while (index < view.Count && CodeInLevel(level, samples[index], sign))
            index += 4;
        if (index < view.Count)
            s.SyncNeedsGap = 0;
    }
    while (index < view.Count && !CodeInLevel(level, samples[index], sign))
        index += 4;
    if (index < view.Count) {
        s.SyncIndex = index;
        s.SyncState = sign * 2;
        return;
    }
    s.SyncIndex = 1;
}

void FindSyncStartNegativeDelay(SyncCycleState& s, const SyncCycleConfig& config, const SyncBufferView& view)
{
    const int32_t sign = PolarityOf(s);
    const int32_t windowEnd = s.SyncIndex - SkipOf(config);
    for (int32_t index = s.SyncIndex - 4; index > windowEnd; index -= 4) {
        bool in;
        if (index >= 1) {
            in = CodeInLevel(view.FineLevel, view.Samples[index], sign);
        } else {
            // Before this buffer: the level run that ended the previous one.
            if (s.SyncTailScans < 0) {
                // Nothing is known of what came before (the first buffer after a start): the
                // edge cannot be dated, so this level is let go and the next one is taken.
                s.SyncNeedsGap = 1;
                s.SyncState = sign;
                return;
            }
            const int32_t scansBack = (1 - index) / 4;
            in = s.SyncTailSign == sign && scansBack <= s.SyncTailScans;
        }
        if (!in) {
            s.SyncIndex = index + 4;
            break;
        }
    }
    const int32_t quarter = config.ScansPerPeriod - config.GateSampleOffset;
    s.SyncToIntegrationOffset = quarter > 0 ? quarter * 4 : 0;
    s.SyncState = sign * 3;
}

namespace {

// Standard start: walk to the first scan after the level. false when the buffer ends first.
bool StartIntegrationStandard(SyncCycleState& s, const SyncCycleConfig& config, const SyncBufferView& view)
{
    const int32_t sign = PolarityOf(s);
    if (s.SyncIndex < 1)
        s.SyncIndex = 1;
    while (s.SyncIndex < view.Count && CodeInLevel(view.FineLevel, view.Samples[s.SyncIndex], sign))
        s.SyncIndex += 4;
    if (s.SyncIndex >= view.Count) {
        s.SyncIndex = 1;
        return false;
    }
    StartHalfCycle(s, config);
    return true;
}

// Negative-delay start: the offset from the leading edge, carried over as many buffers as it
// spans. false when the start lies in a later buffer.
bool StartIntegrationNegativeDelay(SyncCycleState& s, const SyncCycleConfig& config, const SyncBufferView& view)
{
    const int64_t start = static_cast<int64_t>(s.SyncIndex) + s.SyncToIntegrationOffset;
    if (start < view.Count) {
        s.SyncIndex = start < 1 ? 1 : static_cast<int32_t>(start);
        StartHalfCycle(s, config);
        return true;
    }
    // Index 1 of the next buffer plus what remains of the offset.
    s.SyncToIntegrationOffset = static_cast<int32_t>(start - view.Count - 1);
    s.SyncIndex = 1;
    return false;
}

double StraightLine(double v, double vPrevious, double periodUs, double atUs, double tUs)
{
    return v + (v - vPrevious) / periodUs * (atUs - tUs);
}

}  // namespace

namespace {

// The gates of the standard variant at one scan, shifted by the turn-off delay. A gate takes
// the scans up to its end and closes on the last of them; one with fewer than three samples
// takes the straight line at its centre. A gate closing without any sample hands the same
// sample on to the next gate.
void StepGatesStandard(SyncCycleState& s, const SyncCycleConfig& config, int32_t gateCount, int32_t sign, double v,
                       double vPrevious, double t)
{
    const double period = config.SamplePeriodUs;
    const double delay = config.TotalTurnOffDelay;
    while (!s.GatesDone) {
        const int32_t g = s.GateIndex;
        const double start = config.GateEdges[g] + delay;
        const double end = config.GateEdges[g + 1] + delay;
        if (t < start)
            break;
        if (t <= end) {
            s.GateSum += v;
            ++s.GateSampleCount;
        }
        if (!(t + period > end))
            break;
        const int32_t samples = s.GateSampleCount;
        const double value = samples >= 3
                                 ? s.GateSum / samples
                                 : StraightLine(v, vPrevious, period, 1000.0 * config.GateCentres[g] + delay, t);
        StoreGate(s, sign, g, value);
        s.GateSum = 0.0;
        s.GateSampleCount = 0;
        if (++s.GateIndex >= gateCount)
            s.GatesDone = 1;
        if (samples > 0)
            break;
    }
}

// The gates of the negative-delay variant at one scan, unshifted. A gate closes on the first
// sample past its end, which is then tried on the next gate.
void StepGatesNegativeDelay(SyncCycleState& s, const SyncCycleConfig& config, int32_t gateCount, int32_t sign, double v,
                            double vPrevious, double t)
{
    const double period = config.SamplePeriodUs;
    while (!s.GatesDone) {
        const int32_t g = s.GateIndex;
        if (t < config.GateEdges[g])
            break;
        if (t <= config.GateEdges[g + 1]) {
            s.GateSum += v;
            ++s.GateSampleCount;
            break;
        }
        const double value = s.GateSampleCount > 0
                                 ? s.GateSum / s.GateSampleCount
                                 : StraightLine(v, vPrevious, period, 1000.0 * config.GateCentres[g], t);
        StoreGate(s, sign, g, value);
        s.GateSum = 0.0;
        s.GateSampleCount = 0;
        if (++s.GateIndex >= gateCount) {
            s.GatesDone = 1;
            s.GateEndIndex = s.IntegrationIndex;
            s.NextLevelSeen = 0;
        }
    }
}

// The early window of an integration that closes without a sample: the standard variant takes
// the mean of the two scans around its end, the negative-delay one the straight line at the
// centre of the gate being filled, shifted by the delay.
template <int32_t Variant>
double EmptyEarlyWindow(const SyncCycleState& s, const SyncCycleConfig& config, int32_t gateCount, double v,
                        double vPrevious, double t)
{
    if constexpr (Variant == SyncVariantStandard) {
        return (vPrevious + v) / 2.0;
    } else {
        // The gate index has passed the last gate once the gates are done.
        const int32_t g = s.GateIndex < gateCount ? s.GateIndex : gateCount - 1;
        const double centre = g >= 0 ? config.GateCentres[g] : 0.0;
        return StraightLine(v, vPrevious, config.SamplePeriodUs, 1000.0 * centre + config.TotalTurnOffDelay, t);
    }
}

bool SameBits(double a, double b)
{
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// First scan 1..NeverScan - 1 at which a test that turns from false to true as the scan number
// grows holds; NeverScan when none does.
template <class Test>
int32_t FirstScanWhere(Test test)
{
    return static_cast<int32_t>(
        FirstWhere(0, NeverScan, [&](int64_t scan) { return test(static_cast<int32_t>(scan)); }));
}

// The plan of one configuration, with the comparisons of the scan-by-scan integration. With a
// positive finite sample period a scan's time never falls as its number grows, so each of
// them turns from false to true at one scan at most.
void MakeGateScanPlan(GateScanPlan& plan, int32_t variant, const SyncCycleConfig& config, int32_t gateCount)
{
    const double period = config.SamplePeriodUs;
    const bool standard = variant == SyncVariantStandard;
    const auto time = [period](int32_t scan) { return scan * period; };
    for (int32_t g = 0; g < gateCount; ++g) {
        if (standard) {
            const double start = config.GateEdges[g] + config.TotalTurnOffDelay;
            const double end = config.GateEdges[g + 1] + config.TotalTurnOffDelay;
            plan.GateFrom[g] = FirstScanWhere([&](int32_t k) { return !(time(k) < start); });
            plan.GateUntil[g] = FirstScanWhere([&](int32_t k) { return !(time(k) <= end); });
            plan.GateClose[g] = FirstScanWhere([&](int32_t k) { return time(k) + period > end; });
        } else {
            const double start = config.GateEdges[g];
            const double end = config.GateEdges[g + 1];
            plan.GateFrom[g] = FirstScanWhere([&](int32_t k) { return !(time(k) < start); });
            plan.GateUntil[g] = FirstScanWhere([&](int32_t k) { return !(time(k) <= end); });
            plan.GateClose[g] = plan.GateUntil[g];
        }
    }
    const int32_t offset = standard ? 0 : config.GateSampleOffset;
    const auto earlyTime = [period, offset](int32_t scan) {
        return static_cast<double>(static_cast<int64_t>(scan) - offset) * period;
    };
    const double from = config.QuarterPeriodUs;
    const double to = config.EarlyWindowEndUs;
    plan.EarlyFrom = FirstScanWhere([&](int32_t k) { return from <= earlyTime(k); });
    plan.EarlyUntil = FirstScanWhere([&](int32_t k) { return !(earlyTime(k) <= to); });
    plan.EarlyClose = FirstScanWhere([&](int32_t k) { return earlyTime(k) > to; });

    plan.Variant = variant;
    plan.GateCount = gateCount;
    plan.GateSampleOffset = offset;
    plan.SamplePeriodUs = period;
    plan.TotalTurnOffDelay = config.TotalTurnOffDelay;
    plan.QuarterPeriodUs = from;
    plan.EarlyWindowEndUs = to;
    if (gateCount > 0)
        std::memcpy(plan.GateEdges, config.GateEdges, (gateCount + 1) * sizeof(double));
    plan.Valid = 1;
}

// The kept plan, made afresh when anything it was made from has changed (the tables are
// rebuilt in place, so their contents are compared, not their address).
const GateScanPlan& GateScanPlanFor(SyncCycleState& s, int32_t variant, const SyncCycleConfig& config,
                                    int32_t gateCount)
{
    GateScanPlan& plan = s.Plan;
    const int32_t offset = variant == SyncVariantStandard ? 0 : config.GateSampleOffset;
    if (!(plan.Valid && plan.Variant == variant && plan.GateCount == gateCount && plan.GateSampleOffset == offset &&
          SameBits(plan.SamplePeriodUs, config.SamplePeriodUs) &&
          SameBits(plan.TotalTurnOffDelay, config.TotalTurnOffDelay) &&
          SameBits(plan.QuarterPeriodUs, config.QuarterPeriodUs) &&
          SameBits(plan.EarlyWindowEndUs, config.EarlyWindowEndUs) &&
          (gateCount == 0 || std::memcmp(plan.GateEdges, config.GateEdges, (gateCount + 1) * sizeof(double)) == 0)))
        MakeGateScanPlan(plan, variant, config, gateCount);
    return plan;
}

// The signal samples of count scans from index added to sum in scan order, each converted as
// the scan-by-scan integration converts it: the same sum to the last bit.
double AddSignal(const SyncBufferView& view, int32_t index, int64_t count, double sum)
{
    const uint16_t* samples = view.Samples + index;
    const SampleScale scale = view.Fine;
    for (int64_t j = 0; j < count; ++j)
        sum += CodeToVolts(scale, samples[4 * j]);
    return sum;
}

// The end of a complete half-cycle, after its last scan: the negative-delay variant lets the
// next search start right after the gates; the flag of the polarity is set.
template <int32_t Variant>
void CompleteHalfCycle(SyncCycleState& s, const SyncCycleConfig& config, int32_t sign)
{
    if (Variant == SyncVariantNegativeDelay && config.RepRateIndex < 4) {
        // When the gates closed in an earlier buffer, the level seen since then is taken as found.
        if (s.GateEndIndex + 4 >= 3) {
            s.IntegrationIndex = s.GateEndIndex + 4;
        } else {
            s.IntegrationIndex = 3;
            s.NextLevelPending = s.NextLevelSeen;
        }
    }
    s.HalfCycleFlags[FlagSlot(sign)] = 1;
}

// The gates from the present scan up to (not including) scan `limit`: the samples of each gate
// and every close on the way, with the rules of IntegrateScan read from the plan. Returns the
// scan on which the last gate closed, or 0 while gates remain open.
template <int32_t Variant>
int64_t RunGates(SyncCycleState& s, const SyncCycleConfig& config, const GateScanPlan& plan, int32_t gateCount,
                 const SyncBufferView& view, int32_t sign, int64_t limit)
{
    constexpr bool standard = Variant == SyncVariantStandard;
    const int64_t first = s.HalfCycleScan;
    const int32_t firstIndex = s.IntegrationIndex;
    const double period = config.SamplePeriodUs;
    const double delay = standard ? config.TotalTurnOffDelay : 0.0;
    int32_t g = s.GateIndex;
    double sum = s.GateSum;
    int32_t count = s.GateSampleCount;
    int64_t scan = first;  // where the present gate goes on
    int64_t doneScan = 0;
    // The straight line through the scan a gate closes on and the one before: v + slope x
    // (centre - t), as StraightLine has it.
    int64_t lineScan = -1;
    double lineV = 0.0, lineSlope = 0.0, lineT = 0.0;
    for (;;) {
        const int64_t from = std::max<int64_t>(scan, plan.GateFrom[g]);
        const int64_t close = std::max<int64_t>(from, plan.GateClose[g]);
        const int64_t until = std::min<int64_t>(std::min<int64_t>(close + 1, limit), plan.GateUntil[g]);
        if (from < until) {
            sum = AddSignal(view, firstIndex + 4 * static_cast<int32_t>(from - first), until - from, sum);
            count += static_cast<int32_t>(until - from);
        }
        if (close >= limit)
            break;
        const int32_t index = firstIndex + 4 * static_cast<int32_t>(close - first);
        double value;
        if (standard ? count >= 3 : count > 0) {
            value = sum / count;
        } else {
            // Gates without samples close one after the other on the same scan: its line is
            // worked out once.
            if (close != lineScan) {
                const int32_t closeScan = static_cast<int32_t>(close);
                lineScan = close;
                lineV = CodeToVolts(view.Fine, view.Samples[index]);
                lineSlope = (lineV - PreviousSignal(s, view, index, lineV)) / period;
                lineT = closeScan * period;
            }
            const double at = standard ? 1000.0 * config.GateCentres[g] + delay : 1000.0 * config.GateCentres[g];
            value = lineV + lineSlope * (at - lineT);
        }
        StoreGate(s, sign, g, value);
        // The standard variant moves on to the next scan after a gate that took samples; a
        // gate of the negative-delay variant closes on a sample that is not its own.
        scan = standard && count > 0 ? close + 1 : close;
        sum = 0.0;
        count = 0;
        if (++g >= gateCount) {
            s.GatesDone = 1;
            if (!standard) {
                s.GateEndIndex = index;
                s.NextLevelSeen = 0;
            }
            doneScan = close;
            break;
        }
    }
    s.GateIndex = g;
    s.GateSum = sum;
    s.GateSampleCount = count;
    return doneScan;
}

// Runs the scans from the present one up to the one that closes the early window, or to the
// end of the buffer: the gates close on the way by the plan, every other scan only takes
// samples, so whole runs are added at once. true when the half-cycle is complete. Leaves the
// scan alone when it cannot go on this way: the next scan is then for IntegrateScan.
template <int32_t Variant>
bool RunToEarlyWindowClose(SyncCycleState& s, const SyncCycleConfig& config, const GateScanPlan& plan,
                           int32_t gateCount, const SyncBufferView& view, int32_t sign)
{
    const int64_t scan = s.HalfCycleScan;
    if (scan < 1 || (s.EarlyWindowDone && s.GatesDone))
        return false;
    // Gates beyond the plan (the gate count fell under a half-cycle) go scan by scan.
    if (!s.GatesDone && (s.GateIndex < 0 || s.GateIndex >= gateCount))
        return false;
    int64_t limit = scan + (static_cast<int64_t>(view.Count) - s.IntegrationIndex + 3) / 4;
    if (!s.EarlyWindowDone)
        limit = std::min<int64_t>(limit, std::max<int64_t>(scan, plan.EarlyClose));
    if (limit <= scan)
        return false;

    const bool gatesOpen = !s.GatesDone;
    int64_t gatesDoneScan = gatesOpen ? RunGates<Variant>(s, config, plan, gateCount, view, sign, limit) : 0;
    if (gatesDoneScan > 0 && s.EarlyWindowDone) {
        // The last gate closed the half-cycle.
        s.IntegrationIndex += 4 * static_cast<int32_t>(gatesDoneScan + 1 - scan);
        s.HalfCycleScan = static_cast<int32_t>(gatesDoneScan + 1);
        CompleteHalfCycle<Variant>(s, config, sign);
        return true;
    }
    if (!s.EarlyWindowDone) {
        const int64_t from = std::max<int64_t>(scan, plan.EarlyFrom);
        const int64_t until = std::min<int64_t>(limit, plan.EarlyUntil);
        if (from < until) {
            s.EarlyWindowSum = AddSignal(view, s.IntegrationIndex + 4 * static_cast<int32_t>(from - scan), until - from,
                                         s.EarlyWindowSum);
            s.EarlyWindowCount += static_cast<int32_t>(until - from);
        }
    }
    if (Variant == SyncVariantNegativeDelay && s.GatesDone && !s.NextLevelSeen) {
        // The first sync sample of the next level after the gates.
        const int64_t from = gatesOpen ? gatesDoneScan + 1 : scan;
        const int32_t end = s.IntegrationIndex + 4 * static_cast<int32_t>(limit - scan);
        for (int32_t index = s.IntegrationIndex + 4 * static_cast<int32_t>(from - scan); index < end; index += 4) {
            if (index > s.GateEndIndex && CodeInLevel(view.CoarseLevel, view.Samples[index - 2], -sign)) {
                s.NextLevelIndex = index - 2;
                s.NextLevelSeen = 1;
                break;
            }
        }
    }
    s.HalfCycleScan = static_cast<int32_t>(limit);
    s.IntegrationIndex += 4 * static_cast<int32_t>(limit - scan);
    return false;
}

// One scan of the integration of both variants: the early window, then the gates by the
// variant's rules. The negative-delay variant times its early window `GateSampleOffset` scans
// earlier, watches for the next sync level once its gates are done, and lets the next search
// start right after the gates. true when the half-cycle is complete.
template <int32_t Variant>
bool IntegrateScan(SyncCycleState& s, const SyncCycleConfig& config, int32_t gateCount, const SyncBufferView& view,
                   int32_t sign)
{
    constexpr bool standard = Variant == SyncVariantStandard;
    const double period = config.SamplePeriodUs;
    const int32_t earlyOffset = standard ? 0 : config.GateSampleOffset;
    const double v = CodeToVolts(view.Fine, view.Samples[s.IntegrationIndex]);
    const double vPrevious = PreviousSignal(s, view, s.IntegrationIndex, v);
    const double t = s.HalfCycleScan * period;
    const double te = static_cast<double>(s.HalfCycleScan - earlyOffset) * period;

    if (!s.EarlyWindowDone) {
        if (config.QuarterPeriodUs <= te && te <= config.EarlyWindowEndUs) {
            s.EarlyWindowSum += v;
            ++s.EarlyWindowCount;
        } else if (te > config.EarlyWindowEndUs) {
            const double value = s.EarlyWindowCount > 0
                                     ? s.EarlyWindowSum / s.EarlyWindowCount
                                     : EmptyEarlyWindow<Variant>(s, config, gateCount, v, vPrevious, t);
            StoreEarly(s, sign, value);
            s.EarlyWindowSum = 0.0;
            s.EarlyWindowCount = 0;
            s.EarlyWindowDone = 1;
        }
    }

    if constexpr (standard) {
        StepGatesStandard(s, config, gateCount, sign, v, vPrevious, t);
    } else {
        StepGatesNegativeDelay(s, config, gateCount, sign, v, vPrevious, t);
        if (s.GatesDone && !s.NextLevelSeen && s.IntegrationIndex > s.GateEndIndex &&
            CodeInLevel(view.CoarseLevel, view.Samples[s.IntegrationIndex - 2], -sign)) {
            s.NextLevelIndex = s.IntegrationIndex - 2;
            s.NextLevelSeen = 1;
        }
    }

    ++s.HalfCycleScan;
    s.IntegrationIndex += 4;
    if (!(s.EarlyWindowDone && s.GatesDone))
        return false;
    CompleteHalfCycle<Variant>(s, config, sign);
    return true;
}

template <int32_t Variant>
int32_t IntegrateHalfCycleWith(SyncCycleState& s, const SyncCycleConfig& config, const SyncBufferView& view)
{
    const int32_t sign = PolarityOf(s);
    const int32_t gateCount = GateCountOf(config);
    s.HalfCycleFlags[FlagSlot(sign)] = 0;
    if (gateCount == 0)
        s.GatesDone = 1;
    if (s.IntegrationIndex < 3)
        s.IntegrationIndex = 3;
    const GateScanPlan& plan = GateScanPlanFor(s, Variant, config, gateCount);

    while (s.IntegrationIndex < view.Count) {
        if (RunToEarlyWindowClose<Variant>(s, config, plan, gateCount, view, sign))
            return 0;
        if (s.IntegrationIndex >= view.Count)
            break;
        if (IntegrateScan<Variant>(s, config, gateCount, view, sign))
            return 0;
    }
    if constexpr (Variant == SyncVariantNegativeDelay) {
        // Indexes of this buffer become indexes before the next one.
        s.GateEndIndex = s.GateEndIndex - view.Count < -view.Count ? -view.Count : s.GateEndIndex - view.Count;
        if (s.NextLevelSeen)
            s.NextLevelIndex -= view.Count;
    }
    s.IntegrationIndex = 3;
    s.SyncIndex = 1;
    return 1;
}

// The scales and level codes of a buffer's range and resolution, kept from the last buffer
// while they stay the same. false when the buffer cannot be read.
bool ScalesFor(SyncScaleCache& cache, const SampleBuffer& buffer)
{
    if (cache.Valid && SameBits(cache.RangeMin, buffer.RangeMin) && SameBits(cache.RangeMax, buffer.RangeMax) &&
        cache.Resolution == buffer.Resolution)
        return cache.Readable != 0;
    cache.Valid = 1;
    cache.RangeMin = buffer.RangeMin;
    cache.RangeMax = buffer.RangeMax;
    cache.Resolution = buffer.Resolution;
    cache.Readable = MakeSampleScale(buffer.RangeMin, buffer.RangeMax, buffer.Resolution, 0, cache.Coarse) &&
                     MakeSampleScale(buffer.RangeMin, buffer.RangeMax, buffer.Resolution, 1, cache.Fine);
    if (cache.Readable) {
        cache.CoarseLevel = MakeSyncLevelCodes(cache.Coarse);
        cache.FineLevel = MakeSyncLevelCodes(cache.Fine);
    }
    return cache.Readable != 0;
}

}  // namespace

SyncLevelCodes MakeSyncLevelCodes(const SampleScale& scale)
{
    SyncLevelCodes level;
    // Codes 0..65535; 65536 when none is in the level, or every code is below it.
    const auto volts = [&](int64_t code) { return CodeToVolts(scale, static_cast<uint16_t>(code)); };
    level.PositiveFrom = static_cast<int32_t>(FirstWhere(-1, 65536, [&](int64_t c) { return InLevel(volts(c), 1); }));
    level.NegativeBelow =
        static_cast<int32_t>(FirstWhere(-1, 65536, [&](int64_t c) { return !InLevel(volts(c), -1); }));
    return level;
}

int32_t IntegrateHalfCycleStandard(SyncCycleState& s, const SyncCycleConfig& config, const SyncBufferView& view)
{
    return IntegrateHalfCycleWith<SyncVariantStandard>(s, config, view);
}

int32_t IntegrateHalfCycleNegativeDelay(SyncCycleState& s, const SyncCycleConfig& config, const SyncBufferView& view)
{
    return IntegrateHalfCycleWith<SyncVariantNegativeDelay>(s, config, view);
}

void CombineHalfCycles(SyncCycleState& s, const SyncCycleConfig& config)
{
    s.SyncState = -s.SyncState / 4;
    if (s.SyncState == 0)
        s.SyncState = -1;
    s.SyncIndex = s.IntegrationIndex - 2;
    s.GateIndex = 0;
    s.SyncStep = SkipOf(config) / 2;
    if (config.RepRateIndex > 3)
        s.SyncStep = 4;
    s.SyncStep = s.SyncStep / 4 * 4;
    if (s.SyncStep < 4)
        s.SyncStep = 4;
    if (config.RepRateIndex == 0)
        s.SyncIndex += 8 * s.SyncStep;

    s.CycleReady = 0;
    if (s.HalfCycleFlags[0] == 1 && s.HalfCycleFlags[1] == 1) {
        const int32_t gateCount = GateCountOf(config);
        for (int32_t g = 0; g < gateCount; ++g)
            s.CycleGates[g] = s.HalfCycleGatesNegative[g] + s.HalfCycleGatesPositive[g];
        s.HalfCycleFlags[0] = 0;
        s.HalfCycleFlags[1] = 0;
        s.CycleReady = 1;
        if (config.GainCodeSent >= 0 && config.GainCodeSent < GainCodeCount && config.CoilType >= 0 &&
            config.CoilType < CoilTypeCount) {
            s.EarlyWindowValue = (s.EarlyValueNegative + s.EarlyValuePositive) *
                                 std::ldexp(1.0, 5 - config.GainCodeSent) * 3000.0 * 100.0 /
                                 CoilAreas[config.CoilType] * config.PolaritySign;
        } else {
            s.EarlyWindowValue = std::numeric_limits<double>::quiet_NaN();
        }
    }
}

int32_t RunSyncStages(SyncCycleState& s, const SyncCycleConfig& config, const SampleBuffer& buffer)
{
    SyncBufferView view;
    view.Samples = buffer.Samples;
    view.Count = WholeScanCount(buffer);
    if (view.Count == 0)
        return SyncBufferUsed;  // no scan, no time: nothing changes
    if (!ScalesFor(s.Scales, buffer) || !(config.SamplePeriodUs > 0.0) || !std::isfinite(config.SamplePeriodUs)) {
        // Samples that cannot be read break the time axis: search afresh after them.
        ResetSyncState(s);
        return SyncBufferUsed;
    }
    view.Coarse = s.Scales.Coarse;
    view.Fine = s.Scales.Fine;
    view.CoarseLevel = s.Scales.CoarseLevel;
    view.FineLevel = s.Scales.FineLevel;
    const bool standard = config.Variant != SyncVariantNegativeDelay;

    for (;;) {
        const int32_t stage = StageOf(s);
        switch (stage) {
        case 1:
            if (standard)
                FindSyncLevelStandard(s, config, view);
            else
                FindSyncLevelNegativeDelay(s, config, view);
            if (StageOf(s) == 1) {
                NoteBufferEnd(s, config, view);
                return SyncBufferUsed;
            }
            break;
        case 2:
            if (standard)
                FindSyncEndStandard(s, config, view);
            else
                FindSyncStartNegativeDelay(s, config, view);
            if (StageOf(s) == 2) {
                NoteBufferEnd(s, config, view);
                return SyncBufferUsed;
            }
            break;
        case 3: {
            const bool started =
                standard ? StartIntegrationStandard(s, config, view) : StartIntegrationNegativeDelay(s, config, view);
            if (!started) {
                NoteBufferEnd(s, config, view);
                return SyncBufferUsed;
            }
            break;
        }
        case 4: {
            const int32_t ranOut = standard ? IntegrateHalfCycleStandard(s, config, view)
                                            : IntegrateHalfCycleNegativeDelay(s, config, view);
            if (ranOut) {
                NoteBufferEnd(s, config, view);
                return SyncBufferUsed;
            }
            CombineHalfCycles(s, config);
            return SyncHalfCycleDone;
        }
        default:
            // Never 0 or beyond 4; a damaged state searches afresh.
            ResetSyncState(s);
            break;
        }
    }
}
