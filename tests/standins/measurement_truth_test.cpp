// Measurement truth: the simulated board's signal, read through the receiver's own
// synchronisation, gating, stacking and unit conversion, gives the half-space response that
// the closed form predicts, gate by gate, at every repetition rate of both mains families with
// both standard gate sets; and the late-time apparent resistivity gives the ground back.
//
// The yardstick (half_space_truth.h) is the closed-form dBz/dt of the step turn-off at the loop
// centre, averaged over the ramp and summed over the switches of earlier periods, taken at
// each gate's nominal times: the times the receiver gives the samples it takes into the gate,
// scan k at k scan periods after the sync edge, which is that less the turn-off delay after
// the decay's time zero; combined as the receiver combines them (their mean, or for a gate of
// fewer than three samples the straight line through the last two at the gate centre).
//
// Sampling: the receiver dates the first scan after a sync edge one scan period after the
// edge. The board's scans fall a hair before the edges here, so that date is exact, except at
// the fastest rate of each family, whose quarter period is not a whole number of scans: there
// the first scan lands anywhere within a scan period after the edge, moving from half-cycle to
// half-cycle, so the receiver's clock runs late by up to one scan period, by half of it on
// average over the stack; its truth is averaged over that lateness.
//
// A gate is compared where no sample of it can reach the converter's range and where the
// noise left after stacking is below a quarter of the 2 % tolerance. The apparent resistivity
// is the late-time formula of a step turn-off applied to the gate values in nV/m2.
#include "standins/qzdrvsim/signal_model.h"
#include "standins/qzdrvsim/sim_signal.h"
#include "tests/standins/half_space_truth.h"
#include "tests/standins/receiver_chain.h"
#include "vlox/measure/units.h"
#include "vlox/settings/rate_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double LoopAreaM2 = 5000.0;  // the 100 m by 50 m loop
constexpr double ResistivityOhmM = 100.0;
constexpr double Lsb = 20.0 / 65536.0;                   // the 16-bit converter over +-10 V
constexpr double FrontEndVoltsPerTs = 0.5e9 / 300000.0;  // board volts per coil volt, unity gain

// How each rate is measured: the slower rates, whose gates come long after the turn-off, with
// larger sensors and the slowest as a deep sounding with a stronger current, so that the decay
// spans the converter's range down to its noise floor; and stream enough for a few periods.
struct RateReceiver {
    int32_t CoilType;
    double AmpereTurns;
    double Periods;
};
const RateReceiver RateReceivers[RepRateCount] = {{0, 3.0, 38.5}, {0, 3.0, 20.5},  {0, 3.0, 10.5}, {5, 3.0, 4.5},
                                                  {7, 3.0, 2.5},  {7, 30.0, 1.35}, {7, 30.0, 1.35}};

struct Transmitter {
    const char* Name;
    double TurnOffTimeUs;  // as the receiver is set: its turn-off delay follows
    double RampUs;         // as the simulated transmitter has it
};

struct GateCheck {
    bool Compared = false;
    double Truth = 0.0;  // nV/m2
    double Ratio = 0.0;  // stored / truth
};

struct CaseResult {
    int32_t Periods = 0;
    std::vector<GateCheck> Gates;
    double WorstDeviation = 0.0;
    int32_t Compared = 0;
    std::vector<double> LateResistivity;
};

// The receiver's turn-off delay for the default transmitter type (0) and no receiver delay.
double TotalTurnOffDelayFor(double turnOffTimeUs)
{
    return turnOffTimeUs + 9.6 - 2.5 - 1.2;
}

std::vector<CaseResult> RunCase(int32_t mains60, int32_t rate, const Transmitter& tx)
{
    const RateReceiver& rr = RateReceivers[rate];
    const double delay = TotalTurnOffDelayFor(tx.TurnOffTimeUs);
    std::vector<ChainSetup> setups;
    for (int32_t gateSet : {0, 1}) {
        if (gateSet == 1 && rate < 2)
            continue;  // the fastest rates have the 20-gate set only
        ChainSetup s;
        s.Mains60 = mains60;
        s.RepRateIndex = rate;
        s.GateSet = gateSet;
        s.TotalTurnOffDelay = delay;
        s.CoilType = rr.CoilType;
        s.GainCode = 5;
        s.ScanAfterEdge = 1.0 - 1e-4;
        setups.push_back(s);
    }
    SimSettings settings;
    settings.ResistivityOhmM = ResistivityOhmM;
    settings.LoopAreaM2 = LoopAreaM2;
    settings.SensorAreaM2 = CoilAreas[rr.CoilType];
    settings.AmpereTurns = rr.AmpereTurns;
    settings.TurnOffDelayUs = delay;
    settings.RampUs = tx.RampUs;
    SimModelInputs in;
    in.TransmitterOn = true;
    in.RepetitionRate = RepRateValue(mains60, rate);
    in.OutputValue = 5;
    const SignalModel model = BuildSimModel(settings, in);
    const std::vector<ChainResult> chains = RunReceiverChains(setups, model, rr.Periods, 480000, 0);

    TruthGround ground;
    ground.ResistivityOhmM = ResistivityOhmM;
    ground.LoopRadiusM = std::sqrt(LoopAreaM2 / Pi);
    ground.AmpereTurns = rr.AmpereTurns;
    TruthWaveform waveform;
    waveform.RepetitionRate = in.RepetitionRate;
    waveform.RampUs = tx.RampUs;
    const double voltsPerTs = CoilAreas[rr.CoilType] * FrontEndVoltsPerTs;  // gain code 5: unity
    const double sampleNoise = std::sqrt(settings.NoiseVolts * settings.NoiseVolts + Lsb * Lsb / 12.0);
    const double margin = 5.0 * settings.NoiseVolts + settings.HumVolts;

    std::vector<CaseResult> results;
    for (size_t i = 0; i < chains.size(); ++i) {
        const ChainResult& chain = chains[i];
        CaseResult result;
        result.Periods = chain.Periods;
        const double P = chain.SamplePeriodUs;
        const double quarterScans = 1e6 / (4.0 * in.RepetitionRate) / P;
        const double late = std::fabs(quarterScans - std::round(quarterScans)) > 1e-9 ? P : 0.0;
        const int32_t gates = static_cast<int32_t>(chain.GateCentresMs.size());
        result.Gates.resize(static_cast<size_t>(gates));
        if (chain.Periods == 0) {
            results.push_back(result);
            continue;
        }
        for (int32_t g = 0; g < gates; ++g) {
            const double from = chain.GateEdgesUs[g] + delay, to = chain.GateEdgesUs[g + 1] + delay;
            const double truthTs =
                ReceiverGateTruth(ground, waveform, from, to, chain.GateCentresMs[g] * 1000.0 + delay, delay, P, late);
            const double samples = std::floor(to / P + 1e-9) - ScanBeforeGate(from, P);
            // The largest sample the gate can read: the scan before its first (the line's).
            const double earliest = std::max(1e-3, ScanBeforeGate(from, P) * P - delay - late);
            const double peak = SteadyDecay(ground, waveform, earliest) * voltsPerTs;
            const double perHalf = truthTs * voltsPerTs;
            const double used = samples >= 3.0 ? samples : 0.25;
            const double relativeNoise = sampleNoise / (perHalf * std::sqrt(2.0 * used * chain.Periods));
            GateCheck& check = result.Gates[static_cast<size_t>(g)];
            check.Truth = truthTs * 1e9;
            check.Ratio = chain.Display[static_cast<size_t>(g)] / check.Truth;
            // Gates that reach into the next switch's ramp are not part of the decay.
            const bool beforeNextRamp = chain.GateEdgesUs[g + 1] < quarterScans * P - tx.RampUs;
            check.Compared = peak < 10.0 - margin && relativeNoise < 0.005 && beforeNextRamp;
            if (check.Compared) {
                ++result.Compared;
                result.WorstDeviation = std::max(result.WorstDeviation, std::fabs(check.Ratio - 1.0));
            }
        }
        // Late-time apparent resistivity of the reading in the program's own "Ohm-m" unit, at
        // the compared gates of the late-time regime (the diffusion time mu0 sigma a^2 / 4
        // under 3 % of the gate time) before the transmitter's own earlier switches weigh (a
        // quarter of the off-time). The unit's formula is that of a step turn-off.
        UnitConversionContext units;
        units.GateCentresMs = chain.GateCentresMs.data();
        units.LoopArea = LoopAreaM2;
        std::vector<double> volts = chain.GateVolts, ohmM(volts.size());
        ConvertGateValues(units, 0, 5, rr.CoilType, gates, 5, rr.AmpereTurns, volts.data(), ohmM.data());
        const double diffusionUs = 4e-7 * Pi / ResistivityOhmM * ground.LoopRadiusM * ground.LoopRadiusM / 4.0 * 1e6;
        for (int32_t g = 0; g < gates && !(tx.RampUs > 0.0); ++g) {
            const double t = chain.GateCentresMs[g] * 1000.0;
            if (result.Gates[g].Compared && diffusionUs < 0.03 * t && t < 0.25 * quarterScans * P)
                result.LateResistivity.push_back(ohmM[static_cast<size_t>(g)]);
        }
        results.push_back(result);
    }
    return results;
}

void CheckCase(int32_t mains60, int32_t rate, const Transmitter& tx, std::vector<std::string>* notes)
{
    const auto start = std::chrono::steady_clock::now();
    const std::vector<CaseResult> results = RunCase(mains60, rate, tx);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (size_t i = 0; i < results.size(); ++i) {
        const CaseResult& r = results[i];
        const int32_t gates = static_cast<int32_t>(r.Gates.size());
        const std::string label = std::string(tx.Name) + ", " + (mains60 ? "60" : "50") + " Hz mains, rate " +
                                  std::to_string(rate) + ", " + std::to_string(gates) + " gates";
        ASSERT_GT(r.Periods, 0) << label;
        std::string line;
        for (int32_t g = 0; g < gates; ++g) {
            const GateCheck& c = r.Gates[static_cast<size_t>(g)];
            char text[48];
            std::snprintf(text, sizeof text, " %s%.3f", c.Compared ? "" : "~", c.Ratio);
            line += text;
            if (c.Compared) {
                EXPECT_NEAR(c.Ratio, 1.0, 0.02) << label << ", gate " << g + 1 << " (truth " << c.Truth << " nV/m2)";
            }
        }
        EXPECT_GE(r.Compared, 5) << label;
        EXPECT_TRUE(tx.RampUs > 0.0 || !r.LateResistivity.empty()) << label;
        for (double rho : r.LateResistivity)
            EXPECT_NEAR(rho / ResistivityOhmM, 1.0, 0.05) << label << ": " << rho << " Ohm-m";
        char head[200];
        std::snprintf(head, sizeof head, "%s: %d periods, %d gates compared, worst %.2f %%", label.c_str(), r.Periods,
                      r.Compared, 100.0 * r.WorstDeviation);
        std::string text = head;
        if (!r.LateResistivity.empty()) {
            const auto [low, high] = std::minmax_element(r.LateResistivity.begin(), r.LateResistivity.end());
            std::snprintf(head, sizeof head, ", late-time %.1f to %.1f Ohm-m", *low, *high);
            text += head;
        }
        std::snprintf(head, sizeof head, " (%.1f s)\n  ", seconds);
        notes->push_back(text + head + line);
    }
}

}  // namespace

TEST(MeasurementTruth, EveryRateAndGateSetReadsTheHalfSpace)
{
    std::vector<std::string> notes;
    const Transmitter standard = {"default transmitter", 0.0, 0.0};
    for (int32_t mains60 : {1, 0}) {
        for (int32_t rate = 0; rate < RepRateCount; ++rate)
            CheckCase(mains60, rate, standard, &notes);
    }
    // A transmitter with a 100 us linear turn-off, the receiver set for it: the ramp weighs at
    // the early gates of the faster rates.
    const Transmitter ramped = {"100 us turn-off", 100.0, 100.0};
    for (int32_t rate = 0; rate < 4; ++rate)
        CheckCase(1, rate, ramped, &notes);
    for (const std::string& n : notes)
        std::printf("%s\n", n.c_str());
}
