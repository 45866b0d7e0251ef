#include "standins/qzdrvsim/signal_model.h"

#include <array>
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

// The four switches of a period: where the counter switches, in quarter periods, and the step
// of the current. The level after switch k is Levels[k].
struct Switch {
    double AtQuarters;
    double Step;
};
constexpr Switch Switches[4] = {{0.0, 1.0}, {1.0, -1.0}, {2.0, -1.0}, {3.0, 1.0}};
constexpr double Levels[4] = {1.0, 0.0, -1.0, 0.0};

// A time this close to a switch counts as at it, so that a scan computed onto an edge reads the
// same level whatever the rounding of its time: a picosecond, or more once the time itself is
// held to fewer digits.
double EdgeToleranceUs(double timeUs)
{
    return 1e-6 + 1e-14 * std::fabs(timeUs);
}

double RampOf(const SignalModel& model)
{
    const double quarter = RepetitionPeriodUs(model) / 4.0;
    return model.RampUs > 0.0 ? (model.RampUs < quarter ? model.RampUs : quarter) : 0.0;
}

// The level of a waveform that switches `delayUs` after the counter, each switch a linear ramp
// of rampUs ending there.
double SwitchedLevel(const SignalModel& model, double timeUs, double delayUs, double rampUs)
{
    const double period = RepetitionPeriodUs(model);
    const double quarter = period / 4.0;
    double phase = std::fmod(timeUs - delayUs, period);
    if (phase < 0.0)
        phase += period;
    // The next switch at or after the phase (a switch just passed counts as done).
    const double tolerance = EdgeToleranceUs(timeUs);
    double next = std::ceil((phase - tolerance) / quarter);
    if (next <= 0.0)
        next = 0.0;
    const double untilUs = next * quarter - phase;
    const int32_t k = static_cast<int32_t>(next) & 3;
    const double before = Levels[(k + 3) & 3];
    if (untilUs <= tolerance)
        return Levels[k];
    if (untilUs >= rampUs)
        return before;
    return before + (Levels[k] - before) * (1.0 - untilUs / rampUs);
}

// Time since the end of the ramp of switch k, in (-ramp, period - ramp]: the latest switch of
// that kind whose ramp has begun. At the very end of an ideal step the decay has not begun.
double SinceSwitch(const SignalModel& model, double timeUs, int32_t k, double rampUs)
{
    const double period = RepetitionPeriodUs(model);
    const double end = Switches[k].AtQuarters * period / 4.0 + model.TurnOffDelayUs;
    double since = std::fmod(timeUs - end + rampUs, period);
    if (since < 0.0)
        since += period;
    if (since <= EdgeToleranceUs(timeUs))
        since += period;
    return since - rampUs;
}

double GainOf(const SignalModel& model)
{
    return std::ldexp(1.0, model.GainCode - 5);
}

}  // namespace

void StartSignal(const SignalModel& model, SignalGeneratorState& state)
{
    state.NextSample = 0;
    state.Random = model.Seed;
    state.HaveSpare = 0;
    state.Spare = 0.0;
    state.ResponseScan = -1;
    state.Response = 0.0;
    state.Spike = 0.0;
}

double RepetitionPeriodUs(const SignalModel& model)
{
    return 1.0e6 / model.RepetitionRate;
}

double ScanTimeUs(const SignalModel& model, int64_t scan)
{
    return model.StartTimeUs + static_cast<double>(scan) * (1.0e6 / model.ScanRateHz);
}

double CounterOutput(const SignalModel& model, double timeUs)
{
    // Counter 1 (twice the rate, 50 %) switches on; counter 0 (25 %) picks the sign.
    return SwitchedLevel(model, timeUs, 0.0, 0.0);
}

double TransmitterCurrent(const SignalModel& model, double timeUs)
{
    return SwitchedLevel(model, timeUs, model.TurnOffDelayUs, RampOf(model));
}

namespace {

// Terms of the bracket's series in x^2 (below), without its factor 8 / sqrt(pi):
// (-1)^n / (n! (2n + 5)).
constexpr std::array<double, 13> BracketSeries = [] {
    std::array<double, 13> c{};
    double factorial = 1.0;
    for (int32_t n = 0; n < 13; ++n) {
        factorial *= n > 0 ? n : 1;
        c[static_cast<size_t>(n)] = (n % 2 == 0 ? 1.0 : -1.0) / (factorial * (2 * n + 5));
    }
    return c;
}();

// How many terms reach double precision for x^2 up to a bound: each term is about x^2 / n of
// the one before.
int32_t TermsFor(double x2)
{
    return x2 < 1e-4 ? 5 : (x2 < 1e-2 ? 8 : 13);
}

}  // namespace

double HalfSpaceShape(double x)
{
    if (!(x > 0.0))
        return 0.0;
    if (x < 0.5) {
        // The bracket is (8 / sqrt(pi)) times the integral of s^4 exp(-s^2) from 0 to x; its
        // series, (8 / sqrt(pi)) sum (-1)^n x^(2n+5) / (n! (2n+5)), avoids the cancellation of
        // the closed form when x is small. Summed from the last term (Horner's rule).
        const double x2 = x * x;
        const int32_t terms = TermsFor(x2);
        double sum = BracketSeries[static_cast<size_t>(terms - 1)];
        for (int32_t n = terms - 2; n >= 0; --n)
            sum = sum * x2 + BracketSeries[static_cast<size_t>(n)];
        return 8.0 / std::sqrt(Pi) * sum * x2 * x2 * x;
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

double HalfSpaceFieldShape(double x)
{
    if (!(x > 0.0))
        return 0.0;
    if (x < 1.0) {
        // Below 1 the closed form loses digits to cancellation (its terms grow as 1/x while
        // F goes as x^3); its series is (8 / sqrt(pi)) sum over m >= 1 of
        // (-1)^(m+1) m x^(2m+1) / (m! (2m+1) (2m+3)).
        const double x2 = x * x;
        double power = x2 * x;  // x^(2m + 1)
        double factorial = 1.0;
        double sum = 0.0;
        for (int32_t m = 1; m < 30; ++m) {
            factorial *= m;
            const double term = m * power / (factorial * (2 * m + 1) * (2 * m + 3));
            sum += (m % 2 == 1) ? term : -term;
            if (term < 1e-17 * sum)
                break;
            power *= x2;
        }
        return 8.0 / std::sqrt(Pi) * sum;
    }
    if (x > 30.0)
        return 1.0;
    const double x2 = x * x;
    return 3.0 * std::exp(-x2) / (std::sqrt(Pi) * x) + (1.0 - 1.5 / x2) * std::erf(x);
}

double HalfSpaceBz(double ampereTurns, double radiusM, double conductivity, double tSeconds)
{
    if (!(radiusM > 0.0) || !(conductivity > 0.0) || std::isnan(ampereTurns) || std::isnan(tSeconds))
        return std::nan("");
    const double staticField = VacuumPermeability * ampereTurns / (2.0 * radiusM);
    if (!(tSeconds > 0.0))
        return staticField;
    const double theta = std::sqrt(VacuumPermeability * conductivity / (4.0 * tSeconds));
    return staticField * HalfSpaceFieldShape(theta * radiusM);
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
//   late-time law:    Late x t^-2.5 (t in seconds),
// and their integral from t1 to t2: FieldScale x (F(x(t1)) - F(x(t2))), F the field's shape.
struct HalfSpaceConstants {
    bool Valid = false;
    double ThetaA2 = 0.0;     // mu0 sigma a^2 / 4, seconds
    double Scale = 0.0;       // A_r x front end x I / (sigma a^3)
    double FieldScale = 0.0;  // A_r x front end x mu0 I / (2 a), volt seconds
    double Late = 0.0;        // A_r x front end x I a^2 sigma^1.5 mu0^2.5 / (20 sqrt(pi))
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
    c.FieldScale = frontEnd * mu0 * model.AmpereTurns / (2.0 * a);
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

double FieldShapeAt(const HalfSpaceConstants& c, double tUs)
{
    return tUs > 0.0 ? HalfSpaceFieldShape(std::sqrt(c.ThetaA2 / (tUs * 1e-6))) : 1.0;
}

// The response to a ramp of rampUs ending at time zero, uUs after it: the step response
// averaged over the ramp, which is the change of the field over the ramp's width.
double HalfSpaceRampVolts(const HalfSpaceConstants& c, double uUs, double rampUs)
{
    if (!c.Valid)
        return 0.0;
    if (!(rampUs > 0.0))
        return HalfSpaceVolts(c, uUs);
    if (!(uUs + rampUs > 0.0))
        return 0.0;
    // A ramp short against the time since it: the field's difference would lose its digits,
    // and the middle of the ramp is exact to (ramp / t)^2.
    if (uUs > 0.0 && rampUs < 1e-4 * uUs)
        return HalfSpaceVolts(c, uUs + 0.5 * rampUs);
    return c.FieldScale * (FieldShapeAt(c, uUs) - FieldShapeAt(c, uUs + rampUs)) / (rampUs * 1e-6);
}

// Periods summed term by term before the rest is taken from the late-time law.
constexpr int32_t HalfSpaceExactPeriods = 4;

// What every earlier switch of the same kind still adds, t microseconds after the end of the
// latest one's ramp: the sum over the periods before it. The first periods are summed
// exactly, the rest as the integral of the late-time t^-2.5 law (midpoint rule, so the first
// left-out term is covered by half a period on each side), taken at the ramp's middle.
double HalfSpaceSteadyTerm(const HalfSpaceConstants& c, double sinceUs, double periodUs, double rampUs)
{
    if (!c.Valid)
        return 0.0;
    double sum = 0.0;
    for (int32_t k = 0; k < HalfSpaceExactPeriods; ++k)
        sum += HalfSpaceRampVolts(c, sinceUs + k * periodUs, rampUs);
    const double periodS = periodUs * 1e-6;
    const double from = (sinceUs + 0.5 * rampUs) * 1e-6 + (HalfSpaceExactPeriods - 0.5) * periodS;
    return sum + c.Late * 2.0 / (3.0 * periodS) / (from * std::sqrt(from));
}

// An exponential decay of unit size and time constant tau after a ramp, in the periodic steady
// state: the first term is the ramp's average (the part of it so far while the ramp goes on),
// every earlier period adds the same decay, a geometric series.
double ExponentialSteadyTerm(double tau, double sinceUs, double periodUs, double rampUs)
{
    if (!(tau > 0.0))
        return 0.0;
    const double averaged = rampUs > 0.0 ? -std::expm1(-rampUs / tau) * tau / rampUs : 1.0;
    const double earlier = averaged * std::exp(-(sinceUs + periodUs) / tau) / -std::expm1(-periodUs / tau);
    if (sinceUs >= 0.0)
        return averaged * std::exp(-sinceUs / tau) + earlier;
    return -std::expm1(-(sinceUs + rampUs) / tau) * tau / rampUs + earlier;
}

}  // namespace

double StepResponse(const SignalModel& model, double tUs)
{
    if (!(tUs > 0.0))
        return 0.0;
    switch (model.DecayModel) {
    case DecayModelHalfSpace:
        return HalfSpaceVolts(HalfSpaceConstantsOf(model), tUs);
    case DecayModelTestSource:
        return model.TestTimeConstantUs > 0.0 ? model.TestSourceVolts * std::exp(-tUs / model.TestTimeConstantUs) : 0.0;
    default:
        break;
    }
    double sum = 0.0;
    for (int32_t j = 0; j < model.DecayTermCount && j < SignalDecayTerms; ++j)
        sum += model.DecayVolts[j] * std::exp(-tUs / model.DecayTimeUs[j]);
    return sum;
}

double RampResponse(const SignalModel& model, double tUs)
{
    const double ramp = RampOf(model);
    if (model.DecayModel == DecayModelHalfSpace)
        return HalfSpaceRampVolts(HalfSpaceConstantsOf(model), tUs, ramp);
    if (!(ramp > 0.0))
        return StepResponse(model, tUs);
    if (!(tUs + ramp > 0.0))
        return 0.0;
    // Exponentials average over the ramp in closed form.
    auto averaged = [&](double volts, double tau) {
        if (!(tau > 0.0))
            return 0.0;
        const double from = tUs > 0.0 ? tUs : 0.0;
        return volts * tau / ramp * (std::exp(-from / tau) - std::exp(-(tUs + ramp) / tau));
    };
    if (model.DecayModel == DecayModelTestSource)
        return averaged(model.TestSourceVolts, model.TestTimeConstantUs);
    double sum = 0.0;
    for (int32_t j = 0; j < model.DecayTermCount && j < SignalDecayTerms; ++j)
        sum += averaged(model.DecayVolts[j], model.DecayTimeUs[j]);
    return sum;
}

namespace {

// The response at a time, with the half-space's constants worked out by the caller (once per
// stream piece rather than once per scan).
double ResponseWith(const SignalModel& model, const HalfSpaceConstants& halfSpace, double timeUs)
{
    // Periodic steady state: every earlier period adds the same decays.
    const double period = RepetitionPeriodUs(model);
    const double ramp = RampOf(model);
    double sum = 0.0;
    for (int32_t k = 0; k < 4; ++k) {
        const double since = SinceSwitch(model, timeUs, k, ramp);
        double response = 0.0;
        switch (model.DecayModel) {
        case DecayModelHalfSpace:
            response = HalfSpaceSteadyTerm(halfSpace, since, period, ramp);
            break;
        case DecayModelTestSource:
            response = model.TestSourceVolts * ExponentialSteadyTerm(model.TestTimeConstantUs, since, period, ramp);
            break;
        default:
            for (int32_t j = 0; j < model.DecayTermCount && j < SignalDecayTerms; ++j)
                response += model.DecayVolts[j] * ExponentialSteadyTerm(model.DecayTimeUs[j], since, period, ramp);
            break;
        }
        sum -= Switches[k].Step * response;
    }
    // The test generator passes the current itself; the RC filter's lag is the sum above.
    if (model.DecayModel == DecayModelTestSource)
        sum += model.TestSourceVolts * TransmitterCurrent(model, timeUs);
    return sum;
}

HalfSpaceConstants ConstantsFor(const SignalModel& model)
{
    return model.DecayModel == DecayModelHalfSpace ? HalfSpaceConstantsOf(model) : HalfSpaceConstants{};
}

}  // namespace

double ReceiverResponse(const SignalModel& model, double timeUs)
{
    return ResponseWith(model, ConstantsFor(model), timeUs);
}

namespace {

// A receiver channel before noise and spikes: the sensor's share of the response and the hum,
// through the gain stage.
double ReceiverInputVolts(const SignalModel& model, int32_t channel, double timeUs, double response)
{
    double v = model.ChannelFactor[channel & 3] * response;
    if (model.HumVolts != 0.0)
        v += model.HumVolts * std::sin(2.0 * Pi * model.HumHz * timeUs * 1e-6);
    return v;
}

}  // namespace

double ModelChannelVolts(const SignalModel& model, int32_t channel, double timeUs)
{
    if (channel == 1)
        return model.SyncVolts * CounterOutput(model, timeUs);
    return GainOf(model) * ReceiverInputVolts(model, channel, timeUs, ReceiverResponse(model, timeUs)) +
           model.OffsetVolts;
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

void GenerateSamples(const SignalModel& model, SignalGeneratorState& state, uint16_t* out, int32_t count)
{
    const double scanPeriodUs = 1.0e6 / model.ScanRateHz;
    const double spikeChance = model.SpikeRateHz * scanPeriodUs * 1e-6;
    const double gain = GainOf(model);
    const HalfSpaceConstants halfSpace = ConstantsFor(model);
    for (int32_t i = 0; i < count; ++i) {
        const int64_t sample = state.NextSample++;
        const int32_t channel = static_cast<int32_t>(sample & 3);
        const int64_t scan = sample >> 2;
        const double t = ScanTimeUs(model, scan);
        double v = 0.0;
        if (channel == 1) {
            v = model.SyncVolts * CounterOutput(model, t);
        } else {
            if (state.ResponseScan != scan) {
                state.Response = ResponseWith(model, halfSpace, t);
                state.ResponseScan = scan;
            }
            double input = ReceiverInputVolts(model, channel, t, state.Response);
            if (model.NoiseVolts > 0.0)
                input += model.NoiseVolts * Gaussian(state);
            // A spike strikes the three receiver channels of one scan alike.
            if (channel == 0)
                state.Spike = (spikeChance > 0.0 && Uniform(state.Random) < spikeChance)
                                  ? (Uniform(state.Random) < 0.5 ? -model.SpikeVolts : model.SpikeVolts)
                                  : 0.0;
            v = gain * input + model.OffsetVolts + state.Spike;
        }
        out[i] = VoltsToCode(v, model.RangeMin, model.RangeMax, model.Resolution);
    }
}
