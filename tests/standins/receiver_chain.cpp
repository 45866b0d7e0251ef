#include "tests/standins/receiver_chain.h"

#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/samples.h"
#include "vlox/measure/sync_gates.h"
#include "vlox/measure/units.h"
#include "vlox/settings/rate_tables.h"

#include <algorithm>
#include <memory>

ChainResult RunReceiverChain(const ChainSetup& setup, SignalModel model, double periods,
                             int32_t bufferSamples)
{
    ChainResult result;
    const double rate = RepRateValue(setup.Mains60, setup.RepRateIndex);
    AcquisitionCounts counts;
    if (!DeriveAcquisitionCounts(setup.Clock, rate, setup.TotalTurnOffDelay, counts))
        return result;
    const int32_t gateCount = GateCountForSet(setup.GateSet, 0);
    GateTableInputs in;
    in.GateSet = setup.GateSet;
    in.RepRateIndex = setup.RepRateIndex;
    in.GateCount = gateCount;
    in.RepetitionRate = rate;
    struct Tables {
        double edges[RepRateCount][GateEdgeCount];
        double centres[RepRateCount][MaxGateCount];
        double low[RepRateCount][3];
        double high[RepRateCount][3];
    };
    auto tables = std::make_unique<Tables>();
    BuildGateTablesFrom(in, tables->edges, tables->centres, tables->low, tables->high);
    const auto& edges = tables->edges;
    const auto& centres = tables->centres;
    double quarter[RepRateCount], early[RepRateCount];
    SelectRateFamily(setup.Mains60, quarter, early);

    SyncCycleConfig config;
    config.Variant = ChooseSyncVariant(setup.InternalTestMode, setup.TotalTurnOffDelay);
    config.SamplePeriodUs = counts.SamplePeriodUs;
    config.ScansPerPeriod = counts.ScansPerPeriod;
    config.SyncSkip = counts.SyncSkip;
    config.GateSampleOffset = counts.GateSampleOffset;
    config.TotalTurnOffDelay = setup.TotalTurnOffDelay;
    config.RepRateIndex = setup.RepRateIndex;
    config.GateCount = gateCount;
    config.GateEdges = edges[setup.RepRateIndex];
    config.GateCentres = centres[setup.RepRateIndex];
    config.QuarterPeriodUs = quarter[setup.RepRateIndex];
    config.EarlyWindowEndUs = early[setup.RepRateIndex];
    config.GainCodeSent = setup.GainCode;
    config.CoilType = setup.CoilType;

    model.ScanRateHz = counts.SampleRate;
    model.RepetitionRate = rate;
    model.GainCode = setup.GainCode;

    SignalGeneratorState generator;
    StartSignal(model, generator);
    const int64_t scans = static_cast<int64_t>(periods * RepetitionPeriodUs(model) * model.ScanRateHz / 1e6);
    std::vector<uint16_t> buffer(static_cast<size_t>(bufferSamples));
    auto state = std::make_unique<SyncCycleState>();
    ResetSyncState(*state);
    std::vector<double> sums(static_cast<size_t>(gateCount), 0.0);
    int32_t seen = 0;
    for (int64_t done = 0; done < scans * 4; done += bufferSamples) {
        GenerateSamples(model, generator, buffer.data(), bufferSamples);
        SampleBuffer b;
        b.Samples = buffer.data();
        b.Count = bufferSamples;
        b.RangeMin = model.RangeMin;
        b.RangeMax = model.RangeMax;
        b.Resolution = model.Resolution;
        while (RunSyncStages(*state, config, b) == SyncHalfCycleDone) {
            if (!state->CycleReady)
                continue;
            if (seen++ == 0)
                continue;
            for (int32_t g = 0; g < gateCount; ++g)
                sums[static_cast<size_t>(g)] += state->CycleGates[g];
            ++result.Periods;
        }
    }
    if (result.Periods == 0)
        return result;
    result.GateVolts.resize(sums.size());
    for (size_t g = 0; g < sums.size(); ++g)
        result.GateVolts[g] = sums[g] / result.Periods;
    result.GateCentresMs.assign(centres[setup.RepRateIndex], centres[setup.RepRateIndex] + gateCount);
    UnitConversionContext context;
    context.GateCentresMs = result.GateCentresMs.data();
    result.Display.resize(sums.size());
    std::vector<double> values = result.GateVolts;
    ConvertGateValues(context, 0, setup.DisplayUnit, setup.CoilType, gateCount, setup.GainCode, 3.0,
                      values.data(), result.Display.data());
    return result;
}
