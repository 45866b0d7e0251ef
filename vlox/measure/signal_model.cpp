#include "vlox/measure/signal_model.h"

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

// splitmix64: small, fast and the same on every platform.
uint64_t NextRandom(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Uniform(uint64_t& state)
{
    return (static_cast<double>(NextRandom(state) >> 11) + 0.5) * (1.0 / 9007199254740992.0);
}

double Gaussian(SignalGeneratorState& state)
{
    if (state.HaveSpare) {
        state.HaveSpare = 0;
        return state.Spare;
    }
    const double u1 = Uniform(state.Random);
    const double u2 = Uniform(state.Random);
    const double r = std::sqrt(-2.0 * std::log(u1));
    state.Spare = r * std::sin(2.0 * Pi * u2);
    state.HaveSpare = 1;
    return r * std::cos(2.0 * Pi * u2);
}

// The four switches of a period: time within the period and the current step.
struct Switch {
    double AtQuarters;
    double Step;
};
constexpr Switch Switches[4] = {{0.0, 1.0}, {1.0, -1.0}, {2.0, -1.0}, {3.0, 1.0}};

// Time since the last switch k, in (0, period], with the decays starting where the ramp ends.
double SinceSwitch(const SignalModel& model, double timeUs, int32_t k)
{
    const double period = RepetitionPeriodUs(model);
    double since = std::fmod(timeUs - (Switches[k].AtQuarters * period / 4.0 + model.RampUs), period);
    if (since <= 0.0)
        since += period;
    return since;
}

double GainOf(const SignalModel& model)
{
    return std::ldexp(1.0, model.GainCode - 5);
}

} // namespace

void StartSignal(const SignalModel& model, SignalGeneratorState& state)
{
    state.NextSample = 0;
    state.Random = model.Seed;
    state.HaveSpare = 0;
    state.Spare = 0.0;
}

double RepetitionPeriodUs(const SignalModel& model)
{
    return 1.0e6 / model.RepetitionRate;
}

double ScanTimeUs(const SignalModel& model, int64_t scan)
{
    return model.StartTimeUs + static_cast<double>(scan) * (1.0e6 / model.ScanRateHz);
}

double TransmitterCurrent(const SignalModel& model, double timeUs)
{
    const double period = RepetitionPeriodUs(model);
    const double quarter = period / 4.0;
    double phase = std::fmod(timeUs, period);
    if (phase < 0.0)
        phase += period;
    // Counter 1 (twice the rate, 50 %) switches the current on; counter 0 (25 %) picks the sign.
    const double sign = phase < 2.0 * quarter ? 1.0 : -1.0;
    const double inHalf = phase < 2.0 * quarter ? phase : phase - 2.0 * quarter;
    const double ramp = model.RampUs;
    if (inHalf < quarter)
        return sign * (ramp > 0.0 && inHalf < ramp ? inHalf / ramp : 1.0);
    if (ramp > 0.0 && inHalf < quarter + ramp)
        return sign * (1.0 - (inHalf - quarter) / ramp);
    return 0.0;
}

double StepResponse(const SignalModel& model, double tUs)
{
    if (!(tUs > 0.0))
        return 0.0;
    double sum = 0.0;
    for (int32_t j = 0; j < model.DecayTermCount && j < SignalDecayTerms; ++j)
        sum += model.DecayVolts[j] * std::exp(-tUs / model.DecayTimeUs[j]);
    return sum;
}

double ReceiverResponse(const SignalModel& model, double timeUs)
{
    // Periodic steady state: every earlier period adds the same decays, a geometric series.
    const double period = RepetitionPeriodUs(model);
    double sum = 0.0;
    for (int32_t k = 0; k < 4; ++k) {
        const double since = SinceSwitch(model, timeUs, k);
        double response = 0.0;
        for (int32_t j = 0; j < model.DecayTermCount && j < SignalDecayTerms; ++j) {
            const double tau = model.DecayTimeUs[j];
            response += model.DecayVolts[j] * std::exp(-since / tau) / (1.0 - std::exp(-period / tau));
        }
        sum -= Switches[k].Step * response;
    }
    if (model.RampUs > 0.0 && model.PrimaryVolts != 0.0) {
        const double current = TransmitterCurrent(model, timeUs);
        const double later = TransmitterCurrent(model, timeUs + model.RampUs * 1e-3);
        if (later != current)
            sum -= (later - current) / std::fabs(later - current) * model.PrimaryVolts;
    }
    return sum;
}

double ModelChannelVolts(const SignalModel& model, int32_t channel, double timeUs)
{
    if (channel == 1)
        return model.SyncVolts * TransmitterCurrent(model, timeUs);
    double v = model.ChannelFactor[channel & 3] * ReceiverResponse(model, timeUs);
    if (model.HumVolts != 0.0)
        v += model.HumVolts * std::sin(2.0 * Pi * model.HumHz * timeUs * 1e-6);
    return GainOf(model) * v + model.OffsetVolts;
}

uint16_t VoltsToCode(double volts, double rangeMin, double rangeMax, int32_t resolution)
{
    const double codes = std::ldexp(1.0, resolution);
    const double c = std::floor((volts - rangeMin) / (rangeMax - rangeMin) * codes + 0.5);
    if (!(c > 0.0))
        return 0;
    if (c > codes - 1.0)
        return static_cast<uint16_t>(codes - 1.0);
    return static_cast<uint16_t>(c);
}

void GenerateSamples(const SignalModel& model, SignalGeneratorState& state, uint16_t* out,
                     int32_t count)
{
    const double scanPeriodUs = 1.0e6 / model.ScanRateHz;
    const double spikeChance = model.SpikeRateHz * scanPeriodUs * 1e-6;
    double spike = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        const int64_t sample = state.NextSample++;
        const int32_t channel = static_cast<int32_t>(sample & 3);
        const double t = ScanTimeUs(model, sample >> 2);
        double v = ModelChannelVolts(model, channel, t);
        if (model.NoiseVolts > 0.0)
            v += model.NoiseVolts * Gaussian(state);
        if (channel == 0)
            spike = (spikeChance > 0.0 && Uniform(state.Random) < spikeChance)
                        ? (Uniform(state.Random) < 0.5 ? -model.SpikeVolts : model.SpikeVolts)
                        : 0.0;
        if (channel != 1)
            v += spike;
        out[i] = VoltsToCode(v, model.RangeMin, model.RangeMax, model.Resolution);
    }
}
