// The physics of the simulated receiver signal: the half-space decay against its closed-form
// limits and an independent integral, the front end's scale against the main program's unit
// conversion, clipping at the converter, the periodic steady state against a brute-force sum,
// and the internal-test generator through the main program's own signal chain.
#include "standins/qzdrvsim/signal_model.h"
#include "standins/qzdrvsim/sim_signal.h"
#include "tests/standins/receiver_chain.h"
#include "vlox/measure/units.h"
#include "vlox/settings/rate_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Mu0 = 4.0e-7 * Pi;

// The late-time law, written out independently of the implementation.
double LateTime(double current, double a, double sigma, double t)
{
    return -current * a * a * std::pow(sigma, 1.5) * std::pow(Mu0, 2.5) / (20.0 * std::sqrt(Pi) * std::pow(t, 2.5));
}

// The bracket as (8 / sqrt(pi)) times the integral of s^4 exp(-s^2), by Simpson's rule.
double ShapeByQuadrature(double x)
{
    const int n = 2000;
    const double h = x / n;
    double sum = 0.0;
    for (int i = 0; i <= n; ++i) {
        const double s = i * h;
        const double f = s * s * s * s * std::exp(-s * s);
        sum += (i == 0 || i == n) ? f : (i % 2 == 1 ? 4.0 * f : 2.0 * f);
    }
    return 8.0 / std::sqrt(Pi) * sum * h / 3.0;
}

}  // namespace

TEST(HalfSpace, EarlyAndLateTimesFollowTheirLimits)
{
    const double current = 3.0, a = 39.89, sigma = 0.01;
    // Early: the field of the loop current diffusing from the surface, -3 I / (sigma a^3).
    EXPECT_NEAR(HalfSpaceDbzDt(current, a, sigma, 1e-10) / (-3.0 * current / (sigma * a * a * a)), 1.0, 1e-9);
    // Late: the t^-5/2 law.
    for (double t : {0.5, 2.0, 30.0})
        EXPECT_NEAR(HalfSpaceDbzDt(current, a, sigma, t) / LateTime(current, a, sigma, t), 1.0, 2e-3) << t;
    EXPECT_NEAR(HalfSpaceDbzDt(current, a, sigma, 1000.0) / LateTime(current, a, sigma, 1000.0), 1.0, 1e-5);
    // A better conductor decays more slowly.
    EXPECT_LT(std::fabs(HalfSpaceDbzDt(current, a, 0.001, 0.01)), std::fabs(HalfSpaceDbzDt(current, a, 0.1, 0.01)));
}

TEST(HalfSpace, ShapeAgreesWithItsIntegralOnBothSidesOfTheSeriesSwitch)
{
    // Two ways to the same value: the implementation (series below 0.5, closed form above)
    // and a quadrature of its derivative.
    for (double x : {0.01, 0.1, 0.3, 0.4999, 0.5, 0.5001, 0.8, 1.5, 3.0, 6.0}) {
        const double q = ShapeByQuadrature(x);
        EXPECT_NEAR(HalfSpaceShape(x) / q, 1.0, 1e-9) << x;
    }
    EXPECT_NEAR(HalfSpaceShape(40.0), 3.0, 1e-15);
    EXPECT_NEAR(HalfSpaceShape(1e-3) / (8.0 * std::pow(1e-3, 5) / (5.0 * std::sqrt(Pi))), 1.0, 1e-6);
}

// The field and its rate of change are two closed forms of one decay: the field's difference
// quotient is the rate, on both sides of the field's series switch (x = 1) and of the
// rate's (x = 0.5), and the field starts from the loop's static field.
TEST(HalfSpace, FieldChangesAtTheRateOfItsDerivative)
{
    const double current = 3.0, a = 39.89, sigma = 0.01;
    const double thetaA2 = Mu0 * sigma * a * a / 4.0;
    for (double x : {0.05, 0.3, 0.5, 0.9, 0.999, 1.001, 1.5, 4.0}) {
        const double t = thetaA2 / (x * x);
        const double h = 1e-4 * t;
        const double slope =
            (HalfSpaceBz(current, a, sigma, t + h) - HalfSpaceBz(current, a, sigma, t - h)) / (2.0 * h);
        EXPECT_NEAR(slope / HalfSpaceDbzDt(current, a, sigma, t), 1.0, 1e-6) << x;
    }
    const double staticField = Mu0 * current / (2.0 * a);
    EXPECT_EQ(HalfSpaceBz(current, a, sigma, 0.0), staticField);
    EXPECT_NEAR(HalfSpaceBz(current, a, sigma, 1e-12) / staticField, 1.0, 1e-9);
    EXPECT_NEAR(HalfSpaceFieldShape(0.999999) / HalfSpaceFieldShape(1.000001), 1.0, 1e-5);
    EXPECT_EQ(HalfSpaceFieldShape(0.0), 0.0);
    EXPECT_TRUE(std::isnan(HalfSpaceBz(current, 0.0, sigma, 1e-3)));
}

TEST(HalfSpace, BadInputIsInvalidAndTimeZeroIsNothing)
{
    struct Case {
        double current, a, sigma, t;
        bool nan;
    } cases[] = {
        {3, 40, 0.01, 0.0, false},
        {3, 40, 0.01, -1.0, false},
        {3, 0, 0.01, 1e-3, true},
        {3, 40, 0.0, 1e-3, true},
        {3, 40, -1, 1e-3, true},
        {3, 40, std::nan(""), 1e-3, true},
        {std::nan(""), 40, 0.01, 1e-3, true},
        {3, 40, 0.01, std::nan(""), true},
    };
    for (const Case& c : cases) {
        const double v = HalfSpaceDbzDt(c.current, c.a, c.sigma, c.t);
        if (c.nan) {
            EXPECT_TRUE(std::isnan(v)) << c.a << " " << c.sigma << " " << c.t;
        } else {
            EXPECT_EQ(v, 0.0);
        }
    }
    EXPECT_EQ(HalfSpaceShape(0.0), 0.0);
    EXPECT_EQ(HalfSpaceShape(-1.0), 0.0);
    EXPECT_EQ(EquivalentLoopRadius(-5.0), 0.0);
    EXPECT_NEAR(EquivalentLoopRadius(Pi * 25.0), 5.0, 1e-12);
}

// The board input carries the coil's voltage times 10^9/300000/2 times 2^(gain - 5); one
// period (its two half-cycles added) in the main program's nV/m2 then gives mu0 |dh_z/dt| in
// nV/m2 back, at every gain and for every sensor.
TEST(HalfSpace, DisplayUnitsGiveThePhysicsBack)
{
    const double dBzDt = HalfSpaceDbzDt(3.0, 39.89, 0.01, 1e-3);
    for (int32_t coil : {0, 2, 6}) {
        for (int32_t gain = 0; gain <= 6; ++gain) {
            const double board = FrontEndVolts(CoilAreas[coil], dBzDt) * std::ldexp(1.0, gain - 5);
            double values[1] = {2.0 * board};
            double out[1] = {};
            UnitConversionContext context;
            ASSERT_EQ(ConvertGateValues(context, 0, 0, coil, 1, gain, 3.0, values, out), 1);
            EXPECT_NEAR(out[0] / (std::fabs(dBzDt) * 1e9), 1.0, 1e-12) << coil << " " << gain;
        }
    }
    // The sign: the voltage after a positive turn-off is positive.
    EXPECT_GT(FrontEndVolts(31.4, dBzDt), 0.0);
}

TEST(HalfSpace, EarlyGatesClipAtTheConverterRange)
{
    SignalModel m;
    m.DecayModel = DecayModelHalfSpace;
    m.GainCode = 6;
    const double q = RepetitionPeriodUs(m) / 4.0;
    // Microseconds after the turn-off the input is far beyond 10 V: full scale, not a wrap.
    EXPECT_GT(ModelChannelVolts(m, 3, q + 5.0), 10.0);
    EXPECT_EQ(VoltsToCode(ModelChannelVolts(m, 3, q + 5.0), m.RangeMin, m.RangeMax, 16), 65535);
    EXPECT_EQ(VoltsToCode(ModelChannelVolts(m, 3, 3.0 * q + 5.0), m.RangeMin, m.RangeMax, 16), 0);
}

// The periodic steady state against a brute-force sum over every earlier switch, for an ideal
// step and for a ramp that ends after its counter edge; the ramp's response against the step
// response averaged over the ramp by quadrature.
TEST(HalfSpace, SteadyStateMatchesTheSumOverEveryEarlierSwitch)
{
    SignalModel m;
    m.DecayModel = DecayModelHalfSpace;
    m.ResistivityOhmM = 3.0;
    m.RepetitionRate = 285.0;
    const double period = RepetitionPeriodUs(m);
    const double q = period / 4.0;
    const double steps[4] = {1.0, -1.0, -1.0, 1.0};
    for (double ramp : {0.0, 40.0}) {
        m.RampUs = ramp;
        m.TurnOffDelayUs = ramp > 0.0 ? 45.9 : 0.0;
        for (double since : {-25.0, 20.0, 300.0, 0.9 * q}) {
            if (since < 0.0 && ramp == 0.0)
                continue;
            const double t = q + m.TurnOffDelayUs + since;
            double brute = 0.0;
            for (int k = 0; k < 4; ++k) {
                const double latest = std::floor((t - k * q - m.TurnOffDelayUs + ramp) / period);
                // The four switches' tails nearly cancel: a few thousand periods are plenty.
                for (int n = 0; n < 4000; ++n)
                    brute -= steps[k] * RampResponse(m, t - k * q - m.TurnOffDelayUs - (latest - n) * period);
            }
            EXPECT_NEAR(ReceiverResponse(m, t) / brute, 1.0, 2e-4) << ramp << " " << since;
        }
    }
    m.RampUs = 40.0;
    for (double t : {-30.0, 0.0, 3.0, 100.0, 5000.0}) {
        const double from = t < 0.0 ? -t : 0.0;
        const int n = 20000;
        const double h = (m.RampUs - from) / n;
        double sum = 0.0;
        for (int i = 0; i < n; ++i)
            sum += StepResponse(m, t + from + h * (i + 0.5));
        EXPECT_NEAR(RampResponse(m, t) / (sum * h / m.RampUs), 1.0, 1e-6) << t;
    }
    EXPECT_EQ(RampResponse(m, -40.0), 0.0);
}

TEST(HalfSpace, StreamIsTheSameInAnyPieces)
{
    SignalModel m;
    m.DecayModel = DecayModelHalfSpace;
    m.NoiseVolts = 0.001;
    m.HumVolts = 0.01;
    std::vector<uint16_t> whole(24000), pieces(24000);
    SignalGeneratorState a, b;
    StartSignal(m, a);
    GenerateSamples(m, a, whole.data(), 24000);
    StartSignal(m, b);
    int32_t at = 0;
    for (int32_t n : {1, 2, 5, 7, 4001, 3, 9981}) {
        GenerateSamples(m, b, pieces.data() + at, n);
        at += n;
    }
    GenerateSamples(m, b, pieces.data() + at, 24000 - at);
    EXPECT_EQ(whole, pieces);
}

// The simulated board with the main program's defaults and a conductive ground: what the
// program's own gating and stacking show is the physics, gate by gate, where the converter
// does not clip (the turn-on a quarter period earlier adds well under 1 % at these gates).
TEST(HalfSpace, ReceiverChainReadsThePhysics)
{
    SimSettings settings;
    settings.ResistivityOhmM = 1.0;
    SimModelInputs in;
    in.TransmitterOn = true;
    in.RepetitionRate = 30.0;
    in.OutputValue = 6;
    SignalModel model = BuildSimModel(settings, in);
    ChainSetup setup;
    setup.GainCode = 6;
    setup.RepRateIndex = 2;
    ChainResult r = RunReceiverChain(setup, model, 8.0, 480000);
    ASSERT_GT(r.Periods, 4);
    const double a = EquivalentLoopRadius(settings.LoopAreaM2);
    for (size_t g = 20; g < 26; ++g) {
        const double t = r.GateCentresMs[g] * 1e-3;
        const double physics = std::fabs(HalfSpaceDbzDt(3.0, a, 1.0, t)) * 1e9;
        EXPECT_NEAR(r.Display[g] / physics, 1.0, 0.05) << "gate " << g + 1 << " at " << t;
    }
}

// The generator behind the internal tests: each test's gates read within the main program's
// tolerance of their expected values (10 %), here within 2 %.
TEST(InternalTestSource, ReadsTheExpectedGateValues)
{
    const std::vector<double> expected[4] = {
        std::vector<double>(30, 18430),
        {18308, 18263, 18203, 18137, 18060, 17948, 17812, 17638, 17439, 17203,
         16937, 16632, 16236, 15755, 15171, 14444, 13568, 12536, 11329, 9959},
        {18150, 18105, 18027, 17959, 17844, 17715, 17539, 17337, 17095, 16803,
         16487, 16112, 15639, 15070, 14373, 13525, 12517, 11341, 9999,  8523},
        {15036, 14888, 14620, 14133, 13242, 12450, 11574, 10527, 9299, 8024, 6861, 5685, 4479, 3312}};
    const uint32_t bits[4] = {0x10, 0x30, 0x210, 0x230};
    const int32_t rate[4] = {2, 6, 3, 2};
    for (int test = 0; test < 4; ++test) {
        for (int32_t gain : {3, 5, 6}) {
            SimModelInputs in;
            in.TransmitterOn = true;
            in.RepetitionRate = RepRateValue(1, rate[test]);
            in.OutputValue = bits[test] + static_cast<uint32_t>(gain);
            SignalModel model = BuildSimModel(SimSettings{}, in);
            ChainSetup setup;
            setup.RepRateIndex = rate[test];
            setup.InternalTestMode = 45 + test;
            setup.TotalTurnOffDelay = test == 0 ? 8333.0 : 0.0;
            setup.GainCode = gain;
            ChainResult r = RunReceiverChain(setup, model, test == 1 ? 3.5 : 4.0, 480000);
            ASSERT_GT(r.Periods, 0);
            for (size_t g = 0; g < expected[test].size(); ++g)
                EXPECT_NEAR(std::fabs(r.Display[g]) / expected[test][g], 1.0, 0.02)
                    << "test " << test << " gain " << gain << " gate " << g + 1;
        }
    }
}

// The detuned generator: every gate of every test reads the scale times its tuned value, so
// a scale of 0.8 puts each test outside the main program's 10 % and a test can fail on
// purpose. Only the generator is scaled: the half-space response is not.
TEST(InternalTestSource, ScaleDetunesOnlyTheGenerator)
{
    const uint32_t bits[4] = {0x10, 0x30, 0x210, 0x230};
    const int32_t rate[4] = {2, 6, 3, 2};
    for (int test = 0; test < 4; ++test) {
        SimModelInputs in;
        in.TransmitterOn = true;
        in.RepetitionRate = RepRateValue(1, rate[test]);
        in.OutputValue = bits[test] + 5u;
        SimSettings detuned;
        detuned.TestSourceScale = 0.8;
        const SignalModel tuned = BuildSimModel(SimSettings{}, in);
        const SignalModel model = BuildSimModel(detuned, in);
        EXPECT_DOUBLE_EQ(model.TestSourceVolts, 0.8 * tuned.TestSourceVolts) << test;
        EXPECT_EQ(model.TestTimeConstantUs, tuned.TestTimeConstantUs) << test;
    }
    SimModelInputs ground;
    ground.TransmitterOn = true;
    ground.OutputValue = 5;
    SimSettings detuned;
    detuned.TestSourceScale = 0.8;
    EXPECT_EQ(BuildSimModel(detuned, ground).DecayModel, DecayModelHalfSpace);
    EXPECT_EQ(BuildSimModel(detuned, ground).AmpereTurns, BuildSimModel(SimSettings{}, ground).AmpereTurns);

    // Through the receiver chain: the DC test's gates read 0.8 of 18430.
    SimModelInputs in;
    in.TransmitterOn = true;
    in.RepetitionRate = RepRateValue(1, 2);
    in.OutputValue = 0x10 + 5u;
    SignalModel model = BuildSimModel(detuned, in);
    ChainSetup setup;
    setup.RepRateIndex = 2;
    setup.InternalTestMode = 45;
    setup.TotalTurnOffDelay = 8333.0;
    setup.GainCode = 5;
    ChainResult r = RunReceiverChain(setup, model, 4.0, 480000);
    ASSERT_GT(r.Periods, 0);
    for (size_t g = 0; g < 30; ++g)
        EXPECT_NEAR(std::fabs(r.Display[g]) / 18430.0, 0.8, 0.02) << "gate " << g + 1;
}

TEST(InternalTestSource, OutputBitsPickTheSignal)
{
    EXPECT_FALSE(TestSourceSelected(5));
    EXPECT_TRUE(TestSourceSelected(0x15));
    EXPECT_EQ(InternalTestSource(0x10).TimeConstantUs, 0.0);
    EXPECT_EQ(InternalTestSource(0x30).TimeConstantUs, 102000.0);
    EXPECT_EQ(InternalTestSource(0x210).TimeConstantUs, 3280.0);
    EXPECT_EQ(InternalTestSource(0x230).TimeConstantUs, 100.0);
    EXPECT_EQ(GainCodeOfOutput(0x234), 4);
    EXPECT_EQ(GainCodeOfOutput(0x0F), 6);
    EXPECT_EQ(GainCodeOfOutput(0x10), 0);
}
