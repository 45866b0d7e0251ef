#include "tests/e2e/harness/sim_half_space.h"

#include "standins/qzdrvsim/signal_model.h"
#include "vlox/measure/acquisition_counts.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/rate_tables.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace e2e {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double ConverterStep = 20.0 / 65536.0;  // 16 bits over +-10 V

struct GateTables {
    double edges[RepRateCount][GateEdgeCount];
    double centres[RepRateCount][MaxGateCount];
    double low[RepRateCount][3];
    double high[RepRateCount][3];
};

}  // namespace

TruthRowFit SimRowAgainstHalfSpace(const SimRow& row)
{
    const SimSettings& sim = row.Sim;
    const double rate = RepRateValue(row.Mains60, row.RepRateIndex);
    const double delay = ComputeTotalTurnOffDelay(SettingsValues{});
    AcquisitionCounts counts;
    if (DeriveAcquisitionCounts(AnalogClockCap, rate, delay, counts) == 0)
        return TruthRowFit{};
    const double scanUs = counts.SamplePeriodUs;
    GateTableInputs in;
    in.GateSet = row.GateSet;
    in.RepRateIndex = row.RepRateIndex;
    in.GateCount = GateCountForSet(row.GateSet, 0);
    in.RepetitionRate = rate;
    auto tables = std::make_unique<GateTables>();
    BuildGateTablesFrom(in, tables->edges, tables->centres, tables->low, tables->high);
    const double* edges = tables->edges[row.RepRateIndex];

    TruthGround ground;
    ground.ResistivityOhmM = sim.ResistivityOhmM;
    ground.LoopRadiusM = std::sqrt(sim.LoopAreaM2 / Pi);
    ground.AmpereTurns = sim.AmpereTurns;
    TruthWaveform waveform;
    waveform.RepetitionRate = rate;
    // A row adds both half-cycles of each period.
    const double voltsPerTs = 2.0 * sim.SensorAreaM2 * FrontEndVoltsPerCoilVolt * std::ldexp(1.0, row.GainCode - 5);
    // Where a quarter period is not a whole number of scans, the first scan after each edge
    // moves from half-cycle to half-cycle: the stack is late by half a scan on average.
    const double quarterScans = 1e6 / (4.0 * rate) / scanUs;
    const double late = std::fabs(quarterScans - std::round(quarterScans)) > 1e-6 ? scanUs : 0.0;
    std::vector<TruthRowGate> gates;
    for (size_t g = 0; g < row.Volts.size() && g < static_cast<size_t>(in.GateCount); ++g) {
        TruthRowGate gate;
        gate.FromUs = edges[g] + delay;
        gate.ToUs = edges[g + 1] + delay;
        gate.CentreUs = tables->centres[row.RepRateIndex][g] * 1000.0 + delay;
        gate.Measured = row.Volts[g] / voltsPerTs;
        // Its largest sample, a scan early for the offset: below the range by a step.
        const double earliest = std::max(1e-3, (ScanBeforeGate(gate.FromUs, scanUs) - 1) * scanUs - delay - late);
        const double peak = SteadyDecay(ground, waveform, earliest) * voltsPerTs / 2.0;
        gate.Compared = peak < 10.0 - ConverterStep && std::fabs(row.Volts[g]) >= 8.0 * ConverterStep &&
                        gate.ToUs < quarterScans * scanUs;
        gates.push_back(gate);
    }
    return FitRowToTruth(ground, waveform, gates, delay, scanUs, late, scanUs);
}

std::string DescribeFit(const TruthRowFit& fit)
{
    char text[64];
    std::snprintf(text, sizeof text, "offset %+.2f us:", fit.OffsetUs);
    std::string out = text;
    for (double r : fit.Ratios) {
        if (r == 0.0)
            out += " ~";
        else {
            std::snprintf(text, sizeof text, " %.3f", r);
            out += text;
        }
    }
    return out;
}

}  // namespace e2e
