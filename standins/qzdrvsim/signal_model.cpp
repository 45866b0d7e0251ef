#include "standins/qzdrvsim/signal_model.h"

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
    state.ResponseScan = -1;
    state.Response = 0.0;
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

double HalfSpaceShape(double x)
{
    if (!(x > 0.0))
        return 0.0;
    if (x < 0.5) {
        // The bracket is (8 / sqrt(pi)) times the integral of s^4 exp(-s^2) from 0 to x; its
        // series avoids the cancellation of the closed form when x is small.
        const double x2 = x * x;
        double power = x2 * x2 * x; // x^(2n + 5)
        double factorial = 1.0;
        double sum = 0.0;
        for (int32_t n = 0; n < 14; ++n) {
            if (n > 0) {
                power *= x2;
                factorial *= n;
            }
            const double term = power / (factorial * (2 * n + 5));
            sum += (n % 2 == 0) ? term : -term;
            if (term < 1e-17 * sum)
                break;
        }
        return 8.0 / std::sqrt(Pi) * sum;
    }
    const double x2 = x * x;
    return 3.0 * std::erf(x) - 2.0 / std::sqrt(Pi) * x * (3.0 + 2.0 * x2) * std::exp(-x2);
}

double HalfSpaceDbzDt(double ampereTurns, double radiusM, double conductivity, double tSeconds)
{
    if (!(radiusM > 0.0) || !(conductivity > 0.0) || std::isnan(ampereTurns) || std::isnan(tSeconds))
        return std::nan("");
    if (!(tSeconds > 0.0))
        return 0.0;
    const double theta = std::sqrt(VacuumPermeability * conductivity / (4.0 * tSeconds));
    return -ampereTurns / (conductivity * radiusM * radiusM * radiusM) * HalfSpaceShape(theta * radiusM);
}

double EquivalentLoopRadius(double loopAreaM2)
{
    return loopAreaM2 > 0.0 ? std::sqrt(loopAreaM2 / Pi) : 0.0;
}

double FrontEndVolts(double sensorAreaM2, double dBzDt)
{
    return -sensorAreaM2 * dBzDt * FrontEndVoltsPerCoilVolt;
}

namespace {

// The half-space's constants for one model, so that the response of a time costs one square
// root and the bracket. Board-input volts before the gain:
//   early-time form:  Scale x bracket(sqrt(ThetaA2 / t)),
//   late-time law:    Late x t^-2.5 (t in seconds).
struct HalfSpaceConstants {
    bool Valid = false;
    double ThetaA2 = 0.0; // mu0 sigma a^2 / 4, seconds
    double Scale = 0.0;   // A_r x front end x I / (sigma a^3)
    double Late = 0.0;    // A_r x front end x I a^2 sigma^1.5 mu0^2.5 / (20 sqrt(pi))
};

HalfSpaceConstants HalfSpaceConstantsOf(const SignalModel& model)
{
    HalfSpaceConstants c;
    const double a = EquivalentLoopRadius(model.LoopAreaM2);
    const double sigma = 1.0 / model.ResistivityOhmM;
    if (!(a > 0.0) || !(sigma > 0.0) || std::isnan(model.AmpereTurns) || std::isnan(model.SensorAreaM2))
        return c;
    const double frontEnd = model.SensorAreaM2 * FrontEndVoltsPerCoilVolt;
    const double mu0 = VacuumPermeability;
    c.Valid = true;
    c.ThetaA2 = mu0 * sigma * a * a / 4.0;
    c.Scale = frontEnd * model.AmpereTurns / (sigma * a * a * a);
    c.Late = frontEnd * model.AmpereTurns * a * a * sigma * std::sqrt(sigma) * mu0 * mu0 * std::sqrt(mu0) /
             (20.0 * std::sqrt(Pi));
    return c;
}

double HalfSpaceVolts(const HalfSpaceConstants& c, double tUs)
{
    if (!c.Valid || !(tUs > 0.0))
        return 0.0;
    return c.Scale * HalfSpaceShape(std::sqrt(c.ThetaA2 / (tUs * 1e-6)));
}

// Periods summed term by term before the rest is taken from the late-time law.
constexpr int32_t HalfSpaceExactPeriods = 4;

// What every earlier switch of the same kind still adds, t microseconds after the latest one:
// the sum over the periods before it. The first periods are summed exactly, the rest as the
// integral of the late-time t^-2.5 law (midpoint rule, so the first left-out term is covered
// by half a period on each side).
double HalfSpaceSteadyTerm(const HalfSpaceConstants& c, double sinceUs, double periodUs)
{
    if (!c.Valid)
        return 0.0;
    double sum = 0.0;
    for (int32_t k = 0; k < HalfSpaceExactPeriods; ++k)
        sum += HalfSpaceVolts(c, sinceUs + k * periodUs);
    const double periodS = periodUs * 1e-6;
    const double from = sinceUs * 1e-6 + (HalfSpaceExactPeriods - 0.5) * periodS;
    return sum + c.Late * 2.0 / (3.0 * periodS) / (from * std::sqrt(from));
}

} // namespace

double StepResponse(const SignalModel& model, double tUs)
{
    if (!(tUs > 0.0))
        return 0.0;
    switch (model.DecayModel) {
    case DecayModelHalfSpace: return HalfSpaceVolts(HalfSpaceConstantsOf(model), tUs);
    case DecayModelTestSource:
        return model.TestTimeConstantUs > 0.0 ? model.TestSourceVolts * std::exp(-tUs / model.TestTimeConstantUs)
                                              : 0.0;
    default: break;
    }
    double sum = 0.0;
    for (int32_t j = 0; j < model.DecayTermCount && j < SignalDecayTerms; ++j)
        sum += model.DecayVolts[j] * std::exp(-tUs / model.DecayTimeUs[j]);
    return sum;
}

double ReceiverResponse(const SignalModel& model, double timeUs)
{
    // Periodic steady state: every earlier period adds the same decays.
    const double period = RepetitionPeriodUs(model);
    const HalfSpaceConstants halfSpace =
        model.DecayModel == DecayModelHalfSpace ? HalfSpaceConstantsOf(model) : HalfSpaceConstants{};
    double sum = 0.0;
    for (int32_t k = 0; k < 4; ++k) {
        const double since = SinceSwitch(model, timeUs, k);
        double response = 0.0;
        switch (model.DecayModel) {
        case DecayModelHalfSpace: response = HalfSpaceSteadyTerm(halfSpace, since, period); break;
        case DecayModelTestSource:
            // An exponential: the earlier periods form a geometric series.
            if (model.TestTimeConstantUs > 0.0) {
                const double tau = model.TestTimeConstantUs;
                response = model.TestSourceVolts * std::exp(-since / tau) / (1.0 - std::exp(-period / tau));
            }
            break;
        default:
            for (int32_t j = 0; j < model.DecayTermCount && j < SignalDecayTerms; ++j) {
                const double tau = model.DecayTimeUs[j];
                response += model.DecayVolts[j] * std::exp(-since / tau) / (1.0 - std::exp(-period / tau));
            }
            break;
        }
        sum -= Switches[k].Step * response;
    }
    // The test generator passes the current itself; the RC filter's lag is the sum above.
    if (model.DecayModel == DecayModelTestSource)
        sum += model.TestSourceVolts * TransmitterCurrent(model, timeUs);
    if (model.RampUs > 0.0 && model.PrimaryVolts != 0.0) {
        const double current = TransmitterCurrent(model, timeUs);
        const double later = TransmitterCurrent(model, timeUs + model.RampUs * 1e-3);
        if (later != current)
            sum -= (later - current) / std::fabs(later - current) * model.PrimaryVolts;
    }
    return sum;
}

namespace {

double ChannelVoltsFrom(const SignalModel& model, int32_t channel, double timeUs, double response)
{
    if (channel == 1)
        return model.SyncVolts * TransmitterCurrent(model, timeUs);
    double v = model.ChannelFactor[channel & 3] * response;
    if (model.HumVolts != 0.0)
        v += model.HumVolts * std::sin(2.0 * Pi * model.HumHz * timeUs * 1e-6);
    return GainOf(model) * v + model.OffsetVolts;
}

} // namespace

double ModelChannelVolts(const SignalModel& model, int32_t channel, double timeUs)
{
    return ChannelVoltsFrom(model, channel, timeUs, channel == 1 ? 0.0 : ReceiverResponse(model, timeUs));
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
        const int64_t scan = sample >> 2;
        const double t = ScanTimeUs(model, scan);
        if (channel != 1 && state.ResponseScan != scan) {
            state.Response = ReceiverResponse(model, t);
            state.ResponseScan = scan;
        }
        double v = ChannelVoltsFrom(model, channel, t, state.Response);
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
