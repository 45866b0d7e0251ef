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
    const double quarters[] = {0.0, 0.5, 1.5, 2.5, 3.5, 4.5, -0.5};
    const double levels[] = {1.0, 1.0, 0.0, -1.0, 0.0, 1.0, 0.0};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(CounterOutput(m, quarters[i] * q), levels[i]) << quarters[i];
        EXPECT_EQ(TransmitterCurrent(m, quarters[i] * q), levels[i]) << quarters[i];
    }
    EXPECT_EQ(ModelChannelVolts(m, 1, 2.5 * q), -9.5);
    // A scan computed onto an edge reads the new level, however its time rounds: over many
    // periods at 480 kHz every scan of a trailing edge is out of the level.
    for (int64_t period = 0; period < 300; ++period) {
        for (int64_t quarter : {1, 3}) {
            const int64_t scan = period * 16000 + quarter * 4000;
            ASSERT_EQ(CounterOutput(m, ScanTimeUs(m, scan)), 0.0) << scan;
            ASSERT_NE(CounterOutput(m, ScanTimeUs(m, scan - 1)), 0.0) << scan;
        }
    }
}

// The transmitter follows its counter by its own delay; each switch is a linear ramp that ends
// there. The sync channel stays the counter's.
TEST(SignalModel, CurrentRampsToItsTimeZeroAfterTheEdge)
{
    SignalModel m;
    m.RepetitionRate = 30.0;
    m.TurnOffDelayUs = 5.9;
    m.RampUs = 10.0;
    const double q = RepetitionPeriodUs(m) / 4.0;
    EXPECT_EQ(TransmitterCurrent(m, q - 4.1), 1.0);  // the ramp begins
    EXPECT_NEAR(TransmitterCurrent(m, q + 0.9), 0.5, 1e-9);
    EXPECT_EQ(TransmitterCurrent(m, q + 5.9), 0.0);                  // time zero
    EXPECT_NEAR(TransmitterCurrent(m, 2.0 * q + 3.4), -0.75, 1e-9);  // the negative turn-on
    EXPECT_EQ(CounterOutput(m, q + 0.9), 0.0);
    EXPECT_EQ(ModelChannelVolts(m, 1, q + 0.9), 0.0);
    // A transmitter ahead of its counter, and a ramp longer than a quarter period, held to it.
    m.TurnOffDelayUs = -20.0;
    m.RampUs = 0.0;
    EXPECT_EQ(TransmitterCurrent(m, q - 21.0), 1.0);
    EXPECT_EQ(TransmitterCurrent(m, q - 19.0), 0.0);
    m.TurnOffDelayUs = 0.0;
    m.RampUs = 3.0 * q;
    EXPECT_NEAR(TransmitterCurrent(m, 0.5 * q), 0.5, 1e-9);
}

// The response to a ramp is the step response averaged over the ramp, and every earlier switch
// of the periodic waveform adds its own: two ways to the same values.
TEST(SignalModel, RampResponseIsTheAveragedStepInTheSteadyState)
{
    SignalModel m;
    m.RepetitionRate = 285.0;
    m.DecayTermCount = 2;
    m.DecayVolts[0] = 1.0;
    m.DecayTimeUs[0] = 40.0;
    m.DecayVolts[1] = 0.1;
    m.DecayTimeUs[1] = 900.0;
    m.RampUs = 30.0;
    m.TurnOffDelayUs = 7.0;
    // By the midpoint rule over the part of the ramp that lies before t.
    auto averaged = [&](double t) {
        const int n = 4000;
        const double from = t < 0.0 ? -t : 0.0;
        const double h = (m.RampUs - from) / n;
        double sum = 0.0;
        for (int i = 0; i < n; ++i)
            sum += StepResponse(m, t + from + h * (i + 0.5));
        return sum * h / m.RampUs;
    };
    for (double t : {-29.0, -10.0, 0.0, 5.0, 200.0})
        EXPECT_NEAR(RampResponse(m, t), averaged(t), 1e-6) << t;
    EXPECT_EQ(RampResponse(m, -31.0), 0.0);

    const double period = RepetitionPeriodUs(m);
    const double q = period / 4.0;
    const double steps[4] = {1.0, -1.0, -1.0, 1.0};
    for (double since : {-12.0, 3.0, 150.0, 0.8 * q}) {
        const double t = q + m.TurnOffDelayUs + since;
        double brute = 0.0;
        for (int k = 0; k < 4; ++k) {
            // Every switch k whose ramp has begun by t: time zeros k q + delay + n period.
            const double latest = std::floor((t - k * q - m.TurnOffDelayUs + m.RampUs) / period);
            for (int n = 0; n < 400; ++n)
                brute -= steps[k] * RampResponse(m, t - k * q - m.TurnOffDelayUs - (latest - n) * period);
        }
        EXPECT_NEAR(ReceiverResponse(m, t), brute, 1e-9) << since;
    }
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
    m.SpikeRateHz = 200000.0;  // a spike in four scans of ten: one falls on every cut
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

// Noise enters with the sensor's signal, before the gain stage, on the receiver channels only:
// the sync channel is the counter's own line.
TEST(SignalModel, NoiseHasItsRmsBeforeTheGain)
{
    for (int32_t gain : {5, 6}) {
        SignalModel m;
        m.DecayTermCount = 0;
        m.NoiseVolts = 0.025;
        m.GainCode = gain;
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
        const double rms = gain == 6 ? 0.05 : 0.025;
        EXPECT_NEAR(sum / n, 0.0, 0.001) << gain;
        EXPECT_NEAR(std::sqrt(squares / n), rms, 0.001) << gain;
        for (size_t i = 1; i < s.size(); i += 4)
            ASSERT_EQ(s[i],
                      VoltsToCode(ModelChannelVolts(m, 1, ScanTimeUs(m, static_cast<int64_t>(i / 4))), -1.0, 1.0, 16));
    }
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
