#include "tests/standins/half_space_truth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Mu0 = 4.0e-7 * Pi;

// Earlier periods summed: the four switches of a period nearly cancel far back (their sum
// falls as the period count to the -4.5), so 64 periods leave less than 1e-9 of the decay.
constexpr int PeriodsSummed = 64;

// Gauss-Legendre, 8 points on -1..1: exact for polynomials to degree 15, so a smooth decay
// over a gate (which spans a time ratio of 1.4 at most) is integrated to many digits.
constexpr double Nodes[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267, 0.9602898564975363};
constexpr double Weights[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};

template <typename F>
double MeanOver(double from, double to, F f)
{
    const double middle = 0.5 * (from + to), half = 0.5 * (to - from);
    double sum = 0.0;
    for (int i = 0; i < 4; ++i)
        sum += Weights[i] * (f(middle - half * Nodes[i]) + f(middle + half * Nodes[i]));
    return 0.5 * sum;
}

// -dBz/dt of the step turn-off, t microseconds after it.
double StepOff(const TruthGround& ground, double tUs)
{
    return -StepOffDbzDt(ground, tUs * 1e-6);
}

// The step-off response averaged over a ramp of rampUs that ended tUs ago. Where the ramp is
// long against the time since it, the average is taken in panels of equal time ratio.
double RampOff(const TruthGround& ground, double tUs, double rampUs)
{
    if (!(rampUs > 0.0))
        return StepOff(ground, tUs);
    const int panels = 1 + static_cast<int>(std::log((tUs + rampUs) / tUs) / std::log(1.25));
    const double ratio = std::pow((tUs + rampUs) / tUs, 1.0 / panels);
    double sum = 0.0, from = tUs;
    for (int p = 0; p < panels; ++p) {
        const double to = p + 1 == panels ? tUs + rampUs : from * ratio;
        sum += (to - from) * MeanOver(from, to, [&](double s) { return StepOff(ground, s); });
        from = to;
    }
    return sum / rampUs;
}

}  // namespace

double StepOffDbzDt(const TruthGround& ground, double tSeconds)
{
    if (!(tSeconds > 0.0))
        return 0.0;
    const double sigma = 1.0 / ground.ResistivityOhmM;
    const double a = ground.LoopRadiusM;
    const double x = a * std::sqrt(Mu0 * sigma / (4.0 * tSeconds));
    double bracket = 0.0;
    if (x < 0.25) {
        // The two terms cancel to about 8 x^5 / (5 sqrt(pi)) at late times: there the bracket
        // is its Taylor series, (8 / sqrt(pi)) sum (-1)^n x^(2n+5) / (n! (2n+5)).
        double term = x * x * x * x * x, sum = 0.0;
        for (int n = 0; n < 12; ++n) {
            sum += term / (2 * n + 5);
            term *= -x * x / (n + 1);
        }
        bracket = 8.0 / std::sqrt(Pi) * sum;
    } else {
        bracket = 3.0 * std::erf(x) - 2.0 / std::sqrt(Pi) * x * (3.0 + 2.0 * x * x) * std::exp(-x * x);
    }
    return -ground.AmpereTurns / (sigma * a * a * a) * bracket;
}

double SteadyDecay(const TruthGround& ground, const TruthWaveform& waveform, double tUs)
{
    // Before the positive turn-off (time zero 0) the positive turn-on came a quarter period
    // earlier, the negative turn-off half a period earlier and the negative turn-on three
    // quarters; each earlier period repeats them. A switch of the current by +1 gives minus
    // the turn-off's response.
    const double period = 1e6 / waveform.RepetitionRate, quarter = period / 4.0;
    double sum = 0.0;
    for (int n = 0; n < PeriodsSummed; ++n) {
        const double back = tUs + n * period;
        sum += RampOff(ground, back, waveform.RampUs) - RampOff(ground, back + quarter, waveform.RampUs) -
               RampOff(ground, back + 2.0 * quarter, waveform.RampUs) +
               RampOff(ground, back + 3.0 * quarter, waveform.RampUs);
    }
    return sum;
}

double SteadyDecayMean(const TruthGround& ground, const TruthWaveform& waveform, double t1Us, double t2Us)
{
    return MeanOver(t1Us, t2Us, [&](double t) { return SteadyDecay(ground, waveform, t); });
}

namespace {

// A gate's samples by scan number after the sync edge, and the scan that closes it.
struct GateSamples {
    int64_t First = 0;
    int64_t Count = 0;
    int64_t Closing = 0;
};

GateSamples SamplesOf(double fromUs, double toUs, double scanUs)
{
    GateSamples g;
    g.First = ScanBeforeGate(fromUs, scanUs) + 1;
    const int64_t last = static_cast<int64_t>(std::floor(toUs / scanUs + 1e-9));
    g.Count = last >= g.First ? last - g.First + 1 : 0;
    g.Closing = g.Count > 0 ? last : g.First;
    return g;
}

double GateValue(const TruthGround& ground, const TruthWaveform& waveform, const GateSamples& gate, double centreUs,
                 double delayUs, double scanUs, double lateUs)
{
    const double first = gate.First * scanUs - delayUs - lateUs;
    if (gate.Count > 8)
        return SteadyDecayMean(ground, waveform, first - 0.5 * scanUs, first + (gate.Count - 0.5) * scanUs);
    if (gate.Count >= 3) {
        double sum = 0.0;
        for (int64_t k = 0; k < gate.Count; ++k)
            sum += SteadyDecay(ground, waveform, first + k * scanUs);
        return sum / gate.Count;
    }
    const double closing = gate.Closing * scanUs - delayUs;
    const double v = SteadyDecay(ground, waveform, closing - lateUs);
    const double before = SteadyDecay(ground, waveform, closing - scanUs - lateUs);
    return v + (v - before) / scanUs * (centreUs - delayUs - closing);
}

}  // namespace

int64_t ScanBeforeGate(double fromUs, double scanUs)
{
    return static_cast<int64_t>(std::ceil(fromUs / scanUs - 1e-9)) - 1;
}

double ReceiverGateTruth(const TruthGround& ground, const TruthWaveform& waveform, double fromUs, double toUs,
                         double centreUs, double delayUs, double scanUs, double lateUs)
{
    const GateSamples gate = SamplesOf(fromUs, toUs, scanUs);
    if (!(lateUs > 0.0))
        return GateValue(ground, waveform, gate, centreUs, delayUs, scanUs, 0.0);
    double sum = 0.0;
    for (int i = 0; i < 8; ++i)
        sum += GateValue(ground, waveform, gate, centreUs, delayUs, scanUs, lateUs * (i + 0.5) / 8.0);
    return sum / 8.0;
}

TruthRowFit FitRowToTruth(const TruthGround& ground, const TruthWaveform& waveform,
                          const std::vector<TruthRowGate>& gates, double delayUs, double scanUs, double lateUs,
                          double offsetSpanUs)
{
    auto fitAt = [&](double offsetUs) {
        TruthRowFit fit;
        fit.OffsetUs = offsetUs;
        fit.Ratios.assign(gates.size(), 0.0);
        for (size_t g = 0; g < gates.size(); ++g) {
            const TruthRowGate& gate = gates[g];
            if (!gate.Compared)
                continue;
            const double truth = ReceiverGateTruth(ground, waveform, gate.FromUs, gate.ToUs, gate.CentreUs,
                                                   delayUs + offsetUs, scanUs, lateUs);
            const double ratio = gate.Measured / truth;
            fit.Ratios[g] = ratio;
            fit.Lowest = fit.Compared == 0 ? ratio : std::min(fit.Lowest, ratio);
            fit.Highest = fit.Compared == 0 ? ratio : std::max(fit.Highest, ratio);
            ++fit.Compared;
        }
        return fit;
    };
    auto misfit = [&](double offsetUs) {
        double sum = 0.0;
        for (double r : fitAt(offsetUs).Ratios)
            sum += r > 0.0 ? std::log(r) * std::log(r) : (r < 0.0 ? 1e6 : 0.0);
        return sum;
    };
    if (!(offsetSpanUs > 0.0))
        return fitAt(0.0);
    // A coarse look over the span, then a golden-section search around its best.
    constexpr int Steps = 16;
    const double step = 2.0 * offsetSpanUs / Steps;
    double best = 0.0, bestMisfit = HUGE_VAL;
    for (int i = 0; i <= Steps; ++i) {
        const double at = -offsetSpanUs + i * step, m = misfit(at);
        if (m < bestMisfit) {
            best = at;
            bestMisfit = m;
        }
    }
    double low = std::max(-offsetSpanUs, best - step), high = std::min(offsetSpanUs, best + step);
    const double golden = 0.5 * (std::sqrt(5.0) - 1.0);
    double a = high - golden * (high - low), b = low + golden * (high - low);
    double atA = misfit(a), atB = misfit(b);
    for (int i = 0; i < 20; ++i) {
        if (atA < atB) {
            high = b;
            b = a;
            atB = atA;
            a = high - golden * (high - low);
            atA = misfit(a);
        } else {
            low = a;
            a = b;
            atA = atB;
            b = low + golden * (high - low);
            atB = misfit(b);
        }
    }
    const double refined = 0.5 * (low + high);
    return fitAt(misfit(refined) < bestMisfit ? refined : best);
}
