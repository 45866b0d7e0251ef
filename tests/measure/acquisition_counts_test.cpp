#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/samples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(AcquisitionCounts, TablePerRateAtTheClockCap)
{
    struct Row {
        double rate;
        int32_t perPeriod, scans, skip;
    };
    // Both mains families at a read-back clock of 480000 Hz.
    const Row rows[] = {
        {285.0, 1684, 421, 84},         {75.0, 6400, 1600, 320},        {30.0, 16000, 4000, 800},
        {7.5, 64000, 16000, 3200},      {3.0, 160000, 40000, 8000},     {0.75, 640000, 160000, 32000},
        {0.3, 1600000, 400000, 80000},  {237.5, 2021, 505, 100},        {62.5, 7680, 1920, 384},
        {25.0, 19200, 4800, 960},       {6.25, 76800, 19200, 3840},     {2.5, 192000, 48000, 9600},
        {0.625, 768000, 192000, 38400}, {0.25, 1920000, 480000, 96000},
    };
    for (const Row& r : rows) {
        AcquisitionCounts c;
        ASSERT_EQ(DeriveAcquisitionCounts(480000.0, r.rate, 5.9, c), 1) << r.rate;
        EXPECT_EQ(c.ChannelCount, 4);
        EXPECT_EQ(c.SampleRate, 480000);
        EXPECT_DOUBLE_EQ(c.SamplePeriodUs, 1000.0 / 480000.0 * 1000.0);
        EXPECT_EQ(c.SamplesPerPeriod, r.perPeriod) << r.rate;
        EXPECT_EQ(c.ScansPerPeriod, r.scans) << r.rate;
        EXPECT_EQ(c.SyncSkip, r.skip) << r.rate;
        EXPECT_EQ(c.SyncStep, r.skip) << r.rate;
        EXPECT_EQ(c.SyncSkip % 4, 0);
        EXPECT_EQ(c.GateSampleOffset, 0);
    }
    // At 0.25 Hz a period spans four buffers of SampleRate samples.
    AcquisitionCounts c;
    DeriveAcquisitionCounts(480000.0, 0.25, 0.0, c);
    EXPECT_EQ(c.SamplesPerPeriod, 4 * c.SampleRate);
}

TEST(AcquisitionCounts, ClockCapAndReadBack)
{
    EXPECT_EQ(CappedClockFrequency(1000000.0), 480000.0);
    EXPECT_EQ(CappedClockFrequency(480000.0), 480000.0);
    EXPECT_EQ(CappedClockFrequency(250000.0), 250000.0);
    // The counts follow what the board read back, truncated, not what was asked for.
    AcquisitionCounts c;
    ASSERT_EQ(DeriveAcquisitionCounts(249999.7, 30.0, 0.0, c), 1);
    EXPECT_EQ(c.SampleRate, 249999);
    EXPECT_EQ(c.SamplesPerPeriod, 8333);  // 4 x 62499 / 30
    EXPECT_EQ(c.ScansPerPeriod, 2083);
    EXPECT_EQ(c.SyncSkip, 416);
}

TEST(AcquisitionCounts, GateSampleOffsetForNegativeDelay)
{
    AcquisitionCounts c;
    ASSERT_EQ(DeriveAcquisitionCounts(480000.0, 30.0, -100.0, c), 1);
    EXPECT_EQ(c.GateSampleOffset, 48);
    DeriveAcquisitionCounts(480000.0, 30.0, 0.0, c);
    EXPECT_EQ(c.GateSampleOffset, 0);
    DeriveAcquisitionCounts(480000.0, 30.0, 12.0, c);
    EXPECT_EQ(c.GateSampleOffset, 0);
    DeriveAcquisitionCounts(480000.0, 30.0, std::nan(""), c);
    EXPECT_EQ(c.GateSampleOffset, 0);
    // Held to a quarter period: the integration never starts before the edge.
    DeriveAcquisitionCounts(480000.0, 30.0, -1.0e9, c);
    EXPECT_EQ(c.GateSampleOffset, c.ScansPerPeriod);
    DeriveAcquisitionCounts(480000.0, 30.0, -std::numeric_limits<double>::infinity(), c);
    EXPECT_EQ(c.GateSampleOffset, c.ScansPerPeriod);
}

// Pins: at low clocks 20 % of a quarter period rounds down to 0 samples, and a level search
// advancing by 0 never ends.
TEST(AcquisitionCounts, SyncSkipIsNeverZero)
{
    AcquisitionCounts c;
    ASSERT_EQ(DeriveAcquisitionCounts(400.0, 30.0, 0.0, c), 1);
    EXPECT_EQ(c.ScansPerPeriod, 3);
    EXPECT_EQ(c.SyncSkip, 4);
    ASSERT_EQ(DeriveAcquisitionCounts(4.0, 285.0, 0.0, c), 1);
    EXPECT_EQ(c.SamplesPerPeriod, 0);
    EXPECT_EQ(c.SyncSkip, 4);
}

// Pins: a sample rate of 0 divides by zero in the sample period.
TEST(AcquisitionCounts, RefusedInputsLeaveTheCountsAlone)
{
    AcquisitionCounts c;
    ASSERT_EQ(DeriveAcquisitionCounts(480000.0, 30.0, 0.0, c), 1);
    const AcquisitionCounts before = c;
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const double refused[][2] = {{0.0, 30.0},     {3.9, 30.0},     {-480000.0, 30.0}, {nan, 30.0},
                                 {inf, 30.0},     {5.0e9, 30.0},   {480000.0, 0.0},   {480000.0, -30.0},
                                 {480000.0, nan}, {480000.0, inf}, {480000.0, 1.0e-6}};
    for (const auto& r : refused) {
        EXPECT_EQ(DeriveAcquisitionCounts(r[0], r[1], 0.0, c), 0) << r[0] << " " << r[1];
        EXPECT_EQ(c.SampleRate, before.SampleRate);
        EXPECT_EQ(c.SamplesPerPeriod, before.SamplesPerPeriod);
    }
}

TEST(AcquisitionCounts, PublishedBesideTheSettings)
{
    AcquisitionCounts c;
    DeriveAcquisitionCounts(480000.0, 285.0, -100.0, c);
    PublishAcquisitionCounts(c);
    EXPECT_EQ(SampleRate, 480000);
    EXPECT_EQ(ScansPerPeriod, 421);
    EXPECT_EQ(SyncSkip, 84);
    EXPECT_DOUBLE_EQ(SamplePeriodUs, c.SamplePeriodUs);
}

TEST(CodesToVolts, StraightBinaryOverTheRange)
{
    const uint16_t codes[4] = {0, 32768, 65535, 16384};
    double volts[4];
    ASSERT_EQ(CodesToVolts(codes, 4, -10.0, 10.0, 16, volts), 1);
    EXPECT_DOUBLE_EQ(volts[0], -10.0);
    EXPECT_DOUBLE_EQ(volts[1], 0.0);
    EXPECT_NEAR(volts[2], 9.99969, 0.000005);
    EXPECT_DOUBLE_EQ(volts[3], -5.0);
    // A 12-bit converter reads its 4096 codes with the same rule.
    const uint16_t twelve[3] = {0, 2048, 4095};
    ASSERT_EQ(CodesToVolts(twelve, 3, -10.0, 10.0, 12, volts), 1);
    EXPECT_DOUBLE_EQ(volts[0], -10.0);
    EXPECT_DOUBLE_EQ(volts[1], 0.0);
    EXPECT_NEAR(volts[2], 10.0 - 20.0 / 4096.0, 1e-12);
    // A unipolar range.
    ASSERT_EQ(CodesToVolts(twelve, 3, 0.0, 5.0, 12, volts), 1);
    EXPECT_DOUBLE_EQ(volts[1], 2.5);
}

TEST(CodesToVolts, SinglePrecisionRangeAndRefusals)
{
    SampleScale coarse, fine;
    ASSERT_EQ(MakeSampleScale(-10.1, 10.1, 16, 0, coarse), 1);
    ASSERT_EQ(MakeSampleScale(-10.1, 10.1, 16, 1, fine), 1);
    EXPECT_EQ(coarse.Min, -10.1);
    EXPECT_EQ(fine.Min, static_cast<double>(-10.1f));
    EXPECT_NE(CodeToVolts(coarse, 1000), CodeToVolts(fine, 1000));

    double volts[1] = {7.0};
    const uint16_t code[1] = {1};
    const double nan = std::nan("");
    EXPECT_EQ(CodesToVolts(code, 1, -10.0, 10.0, 0, volts), 0);
    EXPECT_EQ(CodesToVolts(code, 1, -10.0, 10.0, 17, volts), 0);
    EXPECT_EQ(CodesToVolts(code, 1, 10.0, -10.0, 16, volts), 0);
    EXPECT_EQ(CodesToVolts(code, 1, 5.0, 5.0, 16, volts), 0);
    EXPECT_EQ(CodesToVolts(code, 1, nan, 10.0, 16, volts), 0);
    EXPECT_EQ(CodesToVolts(code, -1, -10.0, 10.0, 16, volts), 0);
    EXPECT_EQ(volts[0], 7.0);
    // A range that only single precision cannot tell apart is refused there.
    EXPECT_EQ(MakeSampleScale(1.0, 1.0 + 1e-12, 16, 1, fine), 0);
}

TEST(CodesToVolts, WholeScansOnly)
{
    const uint16_t samples[11] = {};
    SampleBuffer b;
    b.Samples = samples;
    b.Count = 11;
    EXPECT_EQ(WholeScanCount(b), 8);
    b.Count = 3;
    EXPECT_EQ(WholeScanCount(b), 0);
    b.Count = -4;
    EXPECT_EQ(WholeScanCount(b), 0);
    b.Samples = nullptr;
    b.Count = 8;
    EXPECT_EQ(WholeScanCount(b), 0);
}
