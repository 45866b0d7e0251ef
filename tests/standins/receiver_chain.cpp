#include "tests/standins/receiver_chain.h"

#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/samples.h"
#include "vlox/measure/sync_gates.h"
#include "vlox/measure/units.h"
#include "vlox/settings/rate_tables.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

struct GateTables {
    double edges[RepRateCount][GateEdgeCount];
    double centres[RepRateCount][MaxGateCount];
    double low[RepRateCount][3];
    double high[RepRateCount][3];
};

// One receiver of the stream: its configuration, tables, state and sums.
struct Receiver {
    ChainSetup setup;
    int32_t gateCount = 0;
    std::unique_ptr<GateTables> tables = std::make_unique<GateTables>();
    SyncCycleConfig config;
    std::unique_ptr<SyncCycleState> state = std::make_unique<SyncCycleState>();
    std::vector<double> sums;
    int32_t seen = 0;
    ChainResult result;
};

bool SetUpReceiver(const ChainSetup& setup, Receiver& r)
{
    const double rate = RepRateValue(setup.Mains60, setup.RepRateIndex);
    AcquisitionCounts counts;
    if (!DeriveAcquisitionCounts(setup.Clock, rate, setup.TotalTurnOffDelay, counts))
        return false;
    r.setup = setup;
    r.gateCount = GateCountForSet(setup.GateSet, 0);
    GateTableInputs in;
    in.GateSet = setup.GateSet;
    in.RepRateIndex = setup.RepRateIndex;
    in.GateCount = r.gateCount;
    in.RepetitionRate = rate;
    BuildGateTablesFrom(in, r.tables->edges, r.tables->centres, r.tables->low, r.tables->high);
    double quarter[RepRateCount], early[RepRateCount];
    SelectRateFamily(setup.Mains60, quarter, early);

    SyncCycleConfig& config = r.config;
    config.Variant = ChooseSyncVariant(setup.InternalTestMode, setup.TotalTurnOffDelay);
    config.SamplePeriodUs = counts.SamplePeriodUs;
    config.ScansPerPeriod = counts.ScansPerPeriod;
    config.SyncSkip = counts.SyncSkip;
    config.GateSampleOffset = counts.GateSampleOffset;
    config.TotalTurnOffDelay = setup.TotalTurnOffDelay;
    config.RepRateIndex = setup.RepRateIndex;
    config.GateCount = r.gateCount;
    config.GateEdges = r.tables->edges[setup.RepRateIndex];
    config.GateCentres = r.tables->centres[setup.RepRateIndex];
    config.QuarterPeriodUs = quarter[setup.RepRateIndex];
    config.EarlyWindowEndUs = early[setup.RepRateIndex];
    config.GainCodeSent = setup.GainCode;
    config.CoilType = setup.CoilType;
    ResetSyncState(*r.state);
    r.sums.assign(static_cast<size_t>(r.gateCount), 0.0);
    r.result.SamplePeriodUs = counts.SamplePeriodUs;
    return true;
}

void Finish(Receiver& r)
{
    ChainResult& result = r.result;
    const double* edges = r.tables->edges[r.setup.RepRateIndex];
    const double* centres = r.tables->centres[r.setup.RepRateIndex];
    result.GateEdgesUs.assign(edges, edges + r.gateCount + 1);
    result.GateCentresMs.assign(centres, centres + r.gateCount);
    if (result.Periods == 0)
        return;
    result.GateVolts.resize(r.sums.size());
    for (size_t g = 0; g < r.sums.size(); ++g)
        result.GateVolts[g] = r.sums[g] / result.Periods;
    UnitConversionContext context;
    context.GateCentresMs = result.GateCentresMs.data();
    result.Display.resize(r.sums.size());
    std::vector<double> values = result.GateVolts;
    ConvertGateValues(context, 0, r.setup.DisplayUnit, r.setup.CoilType, r.gateCount, r.setup.GainCode, 3.0,
                      values.data(), result.Display.data());
}

}  // namespace

std::vector<ChainResult> RunReceiverChains(const std::vector<ChainSetup>& setups, SignalModel model, double periods,
                                           int32_t bufferSamples, int32_t skipped)
{
    std::vector<Receiver> receivers(setups.size());
    for (size_t i = 0; i < setups.size(); ++i) {
        if (!SetUpReceiver(setups[i], receivers[i]))
            return std::vector<ChainResult>(setups.size());
    }
    if (receivers.empty())
        return {};
    const ChainSetup& first = setups.front();
    const double scanUs = receivers.front().result.SamplePeriodUs;
    model.ScanRateHz = 1e6 / scanUs;
    model.RepetitionRate = RepRateValue(first.Mains60, first.RepRateIndex);
    model.GainCode = first.GainCode;
    // Counter edges lie on whole quarter periods of the model's time; the stream starts whole
    // scans later, in the middle of the off-time that precedes the negative on-time.
    const double quarterUs = RepetitionPeriodUs(model) / 4.0;
    model.StartTimeUs = (first.ScanAfterEdge - 1.0) * scanUs + std::floor(1.5 * quarterUs / scanUs) * scanUs;

    SignalGeneratorState generator;
    StartSignal(model, generator);
    const int64_t scans = static_cast<int64_t>(periods * RepetitionPeriodUs(model) / scanUs);
    std::vector<uint16_t> buffer(static_cast<size_t>(bufferSamples));
    for (int64_t done = 0; done < scans * 4; done += bufferSamples) {
        GenerateSamples(model, generator, buffer.data(), bufferSamples);
        SampleBuffer b;
        b.Samples = buffer.data();
        b.Count = bufferSamples;
        b.RangeMin = model.RangeMin;
        b.RangeMax = model.RangeMax;
        b.Resolution = model.Resolution;
        for (Receiver& r : receivers) {
            while (RunSyncStages(*r.state, r.config, b) == SyncHalfCycleDone) {
                if (!r.state->CycleReady || r.seen++ < skipped)
                    continue;
                for (int32_t g = 0; g < r.gateCount; ++g)
                    r.sums[static_cast<size_t>(g)] += r.state->CycleGates[g];
                ++r.result.Periods;
            }
        }
    }
    std::vector<ChainResult> results;
    for (Receiver& r : receivers) {
        Finish(r);
        results.push_back(std::move(r.result));
    }
    return results;
}

ChainResult RunReceiverChain(const ChainSetup& setup, SignalModel model, double periods, int32_t bufferSamples,
                             int32_t skipped)
{
    return RunReceiverChains({setup}, model, periods, bufferSamples, skipped).front();
}
