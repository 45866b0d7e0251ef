#include "cycle_rig.h"

#include "vlox/measure/samples.h"

#include <algorithm>
#include <cmath>

std::unique_ptr<Rig> MakeRig(const RigSetup& setup)
{
    auto rig = std::make_unique<Rig>();
    rig->Setup = setup;
    const double rate = RepRateValue(setup.Mains60, setup.RepRateIndex);
    DeriveAcquisitionCounts(setup.Clock, rate, setup.TotalTurnOffDelay, rig->Counts);

    GateTableInputs in;
    in.GateSet = setup.GateSet;
    in.RepRateIndex = setup.RepRateIndex;
    in.GateCount = setup.GateCount;
    in.RepetitionRate = rate;
    in.FirstGateTimeUs = 10.0;
    in.TurnOffTimeUs = 0.0;
    double low[RepRateCount][3], high[RepRateCount][3];
    BuildGateTablesFrom(in, rig->Edges, rig->Centres, low, high);

    double quarter[RepRateCount], early[RepRateCount];
    SelectRateFamily(setup.Mains60, quarter, early);

    SyncCycleConfig& c = rig->Config;
    c.Variant = ChooseSyncVariant(setup.InternalTestMode, setup.TotalTurnOffDelay);
    c.SamplePeriodUs = rig->Counts.SamplePeriodUs;
    c.ScansPerPeriod = rig->Counts.ScansPerPeriod;
    c.SyncSkip = rig->Counts.SyncSkip;
    c.GateSampleOffset = rig->Counts.GateSampleOffset;
    c.TotalTurnOffDelay = setup.TotalTurnOffDelay;
    c.RepRateIndex = setup.RepRateIndex;
    c.GateCount = setup.GateCount;
    c.GateEdges = rig->Edges[setup.RepRateIndex];
    c.GateCentres = rig->Centres[setup.RepRateIndex];
    c.QuarterPeriodUs = quarter[setup.RepRateIndex];
    c.EarlyWindowEndUs = early[setup.RepRateIndex];
    c.GainCodeSent = 5;
    c.CoilType = 2;
    c.PolaritySign = 1.0;

    rig->Model.ScanRateHz = rig->Counts.SampleRate;
    rig->Model.RepetitionRate = rate;
    return rig;
}

std::vector<uint16_t> MakeStream(const SignalModel& model, double periods)
{
    const double scans = periods * RepetitionPeriodUs(model) / (1.0e6 / model.ScanRateHz);
    std::vector<uint16_t> stream(static_cast<size_t>(scans) * 4);
    SignalGeneratorState state;
    StartSignal(model, state);
    GenerateSamples(model, state, stream.data(), static_cast<int32_t>(stream.size()));
    return stream;
}

namespace {

void Collect(const Rig& rig, SyncCycleState& state, const uint16_t* samples, int32_t count,
             std::vector<HalfCycleResult>& out)
{
    SampleBuffer buffer;
    buffer.Samples = samples;
    buffer.Count = count;
    buffer.RangeMin = rig.Model.RangeMin;
    buffer.RangeMax = rig.Model.RangeMax;
    buffer.Resolution = rig.Model.Resolution;
    while (RunSyncStages(state, rig.Config, buffer) == SyncHalfCycleDone) {
        HalfCycleResult r;
        r.Polarity = -state.SyncState;  // the next search is for the other polarity
        r.CycleReady = state.CycleReady;
        const int32_t n = rig.Config.GateCount;
        const double* row = state.CycleReady
                                ? state.CycleGates
                                : (r.Polarity < 0 ? state.HalfCycleGatesNegative : state.HalfCycleGatesPositive);
        r.Gates.assign(row, row + n);
        r.EarlyWindowValue = state.CycleReady ? state.EarlyWindowValue
                                              : (r.Polarity < 0 ? state.EarlyValueNegative : state.EarlyValuePositive);
        out.push_back(std::move(r));
    }
}

}  // namespace

std::vector<HalfCycleResult> RunCut(const Rig& rig, const std::vector<uint16_t>& stream,
                                    const std::vector<int32_t>& sizes)
{
    auto state = std::make_unique<SyncCycleState>();
    ResetSyncState(*state);
    std::vector<HalfCycleResult> out;
    const int64_t total = static_cast<int64_t>(stream.size());
    int64_t at = 0;
    size_t k = 0;
    while (at < total) {
        int64_t size = sizes.empty() ? total : sizes[std::min(k, sizes.size() - 1)];
        if (size <= 0)
            size = total;
        size = std::min(size, total - at);
        Collect(rig, *state, stream.data() + at, static_cast<int32_t>(size), out);
        at += size;
        ++k;
    }
    return out;
}

std::vector<HalfCycleResult> RunCutAt(const Rig& rig, const std::vector<uint16_t>& stream,
                                      const std::vector<int64_t>& cuts)
{
    std::vector<int32_t> sizes;
    int64_t at = 0;
    for (int64_t c : cuts) {
        if (c <= at || c >= static_cast<int64_t>(stream.size()))
            continue;
        sizes.push_back(static_cast<int32_t>(c - at));
        at = c;
    }
    sizes.push_back(static_cast<int32_t>(stream.size() - at));
    return RunCut(rig, stream, sizes);
}

std::vector<double> ChannelVolts(const Rig& rig, const std::vector<uint16_t>& stream, int32_t channel)
{
    SampleScale fine;
    MakeSampleScale(rig.Model.RangeMin, rig.Model.RangeMax, rig.Model.Resolution, 1, fine);
    std::vector<double> v(stream.size() / 4);
    for (size_t s = 0; s < v.size(); ++s)
        v[s] = CodeToVolts(fine, stream[4 * s + channel]);
    return v;
}

namespace {

int32_t LevelOf(double v)
{
    return v > SyncLevelVolts ? 1 : (v < -SyncLevelVolts ? -1 : 0);
}

}  // namespace

std::vector<SyncEdge> TrailingEdges(const Rig& rig, const std::vector<uint16_t>& stream)
{
    const std::vector<double> sync = ChannelVolts(rig, stream, SyncChannel);
    std::vector<SyncEdge> edges;
    for (size_t s = 1; s < sync.size(); ++s) {
        const int32_t before = LevelOf(sync[s - 1]);
        if (before != 0 && LevelOf(sync[s]) != before)
            edges.push_back({static_cast<int64_t>(s), before});
    }
    return edges;
}

std::vector<SyncEdge> LeadingEdges(const Rig& rig, const std::vector<uint16_t>& stream)
{
    const std::vector<double> sync = ChannelVolts(rig, stream, SyncChannel);
    std::vector<SyncEdge> edges;
    for (size_t s = 1; s < sync.size(); ++s) {
        const int32_t now = LevelOf(sync[s]);
        if (now != 0 && LevelOf(sync[s - 1]) != now)
            edges.push_back({static_cast<int64_t>(s), now});
    }
    return edges;
}

DirectHalfCycle IntegrateDirect(const Rig& rig, const std::vector<double>& signal, int64_t startScan, int32_t polarity)
{
    const SyncCycleConfig& c = rig.Config;
    const bool standard = c.Variant == SyncVariantStandard;
    const double P = c.SamplePeriodUs;
    const double D = c.TotalTurnOffDelay;
    const int64_t last = static_cast<int64_t>(signal.size());
    auto timeOf = [&](int64_t scan) { return static_cast<double>(scan - startScan + 1) * P; };
    auto previous = [&](int64_t scan) { return scan > 0 ? signal[scan - 1] : signal[scan]; };

    DirectHalfCycle out;
    out.Gates.assign(c.GateCount, 0.0);
    int64_t doneScan = startScan;
    int64_t gateEnd = startScan;
    for (int32_t g = 0; g < c.GateCount; ++g) {
        const double s = c.GateEdges[g] + (standard ? D : 0.0);
        const double e = c.GateEdges[g + 1] + (standard ? D : 0.0);
        double sum = 0.0;
        int32_t count = 0;
        int64_t closing = -1;
        for (int64_t k = startScan; k < last; ++k) {
            const double t = timeOf(k);
            if (t >= s && t <= e) {
                sum += signal[k];
                ++count;
            }
            const bool closes = standard ? (t >= s && t + P > e) : (t > e);
            if (closes) {
                closing = k;
                break;
            }
        }
        if (closing < 0)
            return out;  // the stream ends first
        const double t = timeOf(closing);
        const double v = signal[closing];
        double value;
        if (standard)
            value = count >= 3 ? sum / count : v + (v - previous(closing)) / P * (1000.0 * c.GateCentres[g] + D - t);
        else
            value = count > 0 ? sum / count : v + (v - previous(closing)) / P * (1000.0 * c.GateCentres[g] - t);
        out.Gates[g] = polarity < 0 ? -value : value;
        gateEnd = closing;
        doneScan = std::max(doneScan, closing);
    }
    double sum = 0.0;
    int32_t count = 0;
    int64_t k = startScan;
    for (; k < last; ++k) {
        const double te = standard ? timeOf(k) : static_cast<double>(k - startScan + 1 - c.GateSampleOffset) * P;
        if (te > c.EarlyWindowEndUs)
            break;
        if (te >= c.QuarterPeriodUs) {
            sum += signal[k];
            ++count;
        }
    }
    if (k >= last)
        return out;
    const double early = count > 0 ? sum / count : (previous(k) + signal[k]) / 2.0;
    out.Early = polarity < 0 ? -early : early;
    out.EndScan = std::max(doneScan, k);
    if (!standard && c.RepRateIndex < 4)
        out.EndScan = gateEnd;
    out.Complete = true;
    return out;
}
