#include "standins/qzdrvsim/signal_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(SignalModel, CountersMakeABipolarSquareWave)
{
    SignalModel m;
    m.RepetitionRate = 30.0;
    const double q = RepetitionPeriodUs(m) / 4.0;
    // Counter 1 (50 % at twice the rate) switches on, counter 0 (25 %) gives the sign.
    EXPECT_EQ(TransmitterCurrent(m, 0.0), 1.0);
    EXPECT_EQ(TransmitterCurrent(m, 0.5 * q), 1.0);
    EXPECT_EQ(TransmitterCurrent(m, 1.5 * q), 0.0);
    EXPECT_EQ(TransmitterCurrent(m, 2.5 * q), -1.0);
    EXPECT_EQ(TransmitterCurrent(m, 3.5 * q), 0.0);
    EXPECT_EQ(TransmitterCurrent(m, 4.5 * q), 1.0);
    EXPECT_EQ(TransmitterCurrent(m, -0.5 * q), 0.0);
    EXPECT_EQ(ModelChannelVolts(m, 1, 2.5 * q), -9.5);
    // A ramp switches off linearly.
    m.RampUs = 10.0;
    EXPECT_NEAR(TransmitterCurrent(m, q + 5.0), 0.5, 1e-12);
    EXPECT_NEAR(TransmitterCurrent(m, 2.0 * q + 2.5), -0.25, 1e-12);
}

TEST(SignalModel, DecaysFollowEachTurnOff)
{
    SignalModel m;
    m.RepetitionRate = 30.0;
    m.DecayTermCount = 1;
    m.DecayVolts[0] = 1.0;
    m.DecayTimeUs[0] = 100.0;
    const double q = RepetitionPeriodUs(m) / 4.0;
    // After the positive turn-off the response is the decay itself, after the negative one
    // its negative; the steady state only adds what is left of earlier steps.
    EXPECT_NEAR(ReceiverResponse(m, q + 100.0), std::exp(-1.0), 1e-9);
    EXPECT_NEAR(ReceiverResponse(m, 3.0 * q + 200.0), -std::exp(-2.0), 1e-9);
    EXPECT_NEAR(StepResponse(m, 100.0), std::exp(-1.0), 1e-15);
    EXPECT_EQ(StepResponse(m, 0.0), 0.0);
    // The gain: code 4 halves what the receiver passes on, code 6 doubles it.
    m.GainCode = 6;
    EXPECT_NEAR(ModelChannelVolts(m, 3, q + 100.0), 2.0 * std::exp(-1.0), 1e-9);
    EXPECT_NEAR(ModelChannelVolts(m, 0, q + 100.0), 0.6 * std::exp(-1.0), 1e-9);
}

TEST(SignalModel, StreamIsTheSameInAnyPieces)
{
    SignalModel m;
    m.NoiseVolts = 0.01;
    m.SpikeRateHz = 500.0;
    m.SpikeVolts = 1.0;
    m.HumVolts = 0.1;
    m.Seed = 42;
    std::vector<uint16_t> whole(40000), pieces(40000);
    SignalGeneratorState a, b;
    StartSignal(m, a);
    GenerateSamples(m, a, whole.data(), 40000);
    StartSignal(m, b);
    int32_t at = 0;
    for (int32_t size : {1, 3, 4, 999, 17, 20000}) {
        GenerateSamples(m, b, pieces.data() + at, size);
        at += size;
    }
    GenerateSamples(m, b, pieces.data() + at, 40000 - at);
    EXPECT_EQ(whole, pieces);
    EXPECT_EQ(a.NextSample, 40000);
}

TEST(SignalModel, NoiseHasItsRms)
{
    SignalModel m;
    m.DecayTermCount = 0;
    m.NoiseVolts = 0.05;
    m.RangeMin = -1.0;
    m.RangeMax = 1.0;
    std::vector<uint16_t> s(400000);
    SignalGeneratorState g;
    StartSignal(m, g);
    GenerateSamples(m, g, s.data(), 400000);
    double sum = 0.0, squares = 0.0;
    int n = 0;
    for (size_t i = 3; i < s.size(); i += 4) {
        const double v = -1.0 + s[i] * (2.0 / 65536.0);
        sum += v;
        squares += v * v;
        ++n;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.001);
    EXPECT_NEAR(std::sqrt(squares / n), 0.05, 0.001);
}

TEST(SignalModel, CodesClipAtTheRange)
{
    EXPECT_EQ(VoltsToCode(-10.0, -10.0, 10.0, 16), 0);
    EXPECT_EQ(VoltsToCode(0.0, -10.0, 10.0, 16), 32768);
    EXPECT_EQ(VoltsToCode(10.0, -10.0, 10.0, 16), 65535);
    EXPECT_EQ(VoltsToCode(25.0, -10.0, 10.0, 16), 65535);
    EXPECT_EQ(VoltsToCode(-25.0, -10.0, 10.0, 16), 0);
    EXPECT_EQ(VoltsToCode(std::nan(""), -10.0, 10.0, 16), 0);
    EXPECT_EQ(VoltsToCode(10.0, -10.0, 10.0, 12), 4095);
}
