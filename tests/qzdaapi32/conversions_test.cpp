// Code/volts conversions at the range ends for both encodings, their checks, and the bounded
// copy of read-all-channels values.
#include "qzdaapi32/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

double Volts(uint32_t code, uint32_t encoding, uint32_t resolution = 16, double gain = 1.0)
{
    double volts = std::nan("");
    EXPECT_EQ(CodeToVolts(-10.0, 10.0, gain, resolution, encoding, code, &volts), QZERR_NO_ERROR);
    return volts;
}

uint32_t Code(double volts, uint32_t encoding, uint32_t resolution = 16)
{
    uint32_t code = 0xDEAD;
    EXPECT_EQ(VoltsToCode(-10.0, 10.0, 1.0, resolution, encoding, volts, &code), QZERR_NO_ERROR);
    return code;
}

}  // namespace

TEST(Conversions, TwosComplementRangeEnds)
{
    EXPECT_DOUBLE_EQ(Volts(0x8000, EncodingTwosComplement), -10.0);
    EXPECT_NEAR(Volts(0x7FFF, EncodingTwosComplement), 9.99969, 1e-5);
    EXPECT_NEAR(Volts(0xFFFF, EncodingTwosComplement), -0.00031, 1e-5);
    EXPECT_DOUBLE_EQ(Volts(0, EncodingTwosComplement), 0.0);
    // Only the low resolution bits count.
    EXPECT_DOUBLE_EQ(Volts(0xFFFF8000u, EncodingTwosComplement), -10.0);
    EXPECT_DOUBLE_EQ(Volts(0x800, EncodingTwosComplement, 12), -10.0);
    EXPECT_DOUBLE_EQ(Volts(0x80000000u, EncodingTwosComplement, 32), -10.0);

    EXPECT_EQ(Code(-10.0, EncodingTwosComplement), 0xFFFF8000u);
    EXPECT_EQ(Code(0.0, EncodingTwosComplement), 0u);
    EXPECT_EQ(Code(9.99969, EncodingTwosComplement), 0x7FFEu);  // truncated toward zero
    EXPECT_EQ(Code(10.0, EncodingTwosComplement), 0x8000u);     // not clamped to the range
}

TEST(Conversions, StraightBinaryRangeEnds)
{
    EXPECT_DOUBLE_EQ(Volts(0, EncodingStraightBinary), -10.0);
    EXPECT_DOUBLE_EQ(Volts(32768, EncodingStraightBinary), 0.0);
    EXPECT_NEAR(Volts(65535, EncodingStraightBinary), 9.99969, 1e-5);
    EXPECT_DOUBLE_EQ(Volts(4095, EncodingStraightBinary, 12), -10.0 + 4095 * 20.0 / 4096);
    EXPECT_DOUBLE_EQ(Volts(32768, EncodingStraightBinary, 16, 2.0), 0.0);
    EXPECT_DOUBLE_EQ(Volts(65535, EncodingStraightBinary, 16, 4.0), (-10.0 + 65535 * 20.0 / 65536) / 4);

    EXPECT_EQ(Code(-10.0, EncodingStraightBinary), 0u);
    EXPECT_EQ(Code(0.0, EncodingStraightBinary), 32768u);
    EXPECT_EQ(Code(10.0, EncodingStraightBinary), 65536u);
    // Below the range the code keeps its negative pattern.
    EXPECT_EQ(Code(-10.5, EncodingStraightBinary), static_cast<uint32_t>(-1638));
}

// Two ways to the same volts: code to volts and back gives the code again. Codes truncate
// toward zero, so the voltage is taken a quarter step away from zero.
TEST(Conversions, RoundTripOfEveryTwelveBitCode)
{
    const double quarterStep = 20.0 / 4096 / 4;
    for (uint32_t encoding : {EncodingStraightBinary, EncodingTwosComplement}) {
        for (uint32_t code = 0; code < 4096; ++code) {
            bool negative = encoding == EncodingTwosComplement && code >= 2048;
            double volts = Volts(code, encoding, 12) + (negative ? -quarterStep : quarterStep);
            uint32_t back = Code(volts, encoding, 12) & 0xFFF;
            ASSERT_EQ(back, code) << encoding << " " << code;
        }
    }
}

// Pins the mended fault: out-of-range doubles saturate instead of an undefined cast.
TEST(Conversions, CodesSaturateAtTheThirtyTwoBitLimits)
{
    EXPECT_EQ(Code(1e30, EncodingStraightBinary, 32), 0xFFFFFFFFu);
    EXPECT_EQ(Code(-1e30, EncodingStraightBinary, 32), 0x80000000u);
    EXPECT_EQ(Code(1e30, EncodingTwosComplement, 32), 0x7FFFFFFFu);
    EXPECT_EQ(Code(-1e30, EncodingTwosComplement, 32), 0x80000000u);
    EXPECT_EQ(Code(std::numeric_limits<double>::infinity(), EncodingTwosComplement), 0x7FFFFFFFu);
    EXPECT_EQ(Code(10.0 - 20.0 / 4294967296.0, EncodingStraightBinary, 32), 0xFFFFFFFFu);
}

TEST(Conversions, ArgumentsAreCheckedInOrder)
{
    struct Case {
        double minimum, maximum, gain;
        uint32_t resolution, encoding;
        QZSTATUS expected;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {-10, 10, 1, 33, 200, QZERR_INVALID_RESOLUTION},
        {-10, 10, 1, 0, 200, QZERR_INVALID_RESOLUTION},  // below 1: refused, not 2^0
        {-10, 10, 1, 16, 202, QZERR_INVALID_ENCODING},
        {10, 10, 1, 16, 200, QZERR_INVALID_RANGE},
        {10, -10, 1, 16, 200, QZERR_INVALID_RANGE},
        {nan, 10, 1, 16, 200, QZERR_INVALID_RANGE},
        {-1e308, 1e308, 1, 16, 200, QZERR_INVALID_RANGE},
        {-10, 10, 0, 16, 200, QZERR_INVALID_GAIN},
        {-10, 10, -1, 16, 200, QZERR_INVALID_GAIN},
        {-10, 10, nan, 16, 200, QZERR_INVALID_GAIN},
        {-10, 10, 1, 1, 201, QZERR_NO_ERROR},
        {-10, 10, 1, 32, 201, QZERR_NO_ERROR},
    };
    for (const Case& c : cases) {
        double volts = 123.0;
        uint32_t code = 456;
        EXPECT_EQ(CodeToVolts(c.minimum, c.maximum, c.gain, c.resolution, c.encoding, 1, &volts), c.expected);
        EXPECT_EQ(VoltsToCode(c.minimum, c.maximum, c.gain, c.resolution, c.encoding, 1.0, &code), c.expected);
        if (c.expected != QZERR_NO_ERROR) {
            EXPECT_EQ(volts, 123.0);
            EXPECT_EQ(code, 456u);
        }
    }
    uint32_t code = 456;
    EXPECT_EQ(VoltsToCode(-10, 10, 1, 16, 200, nan, &code), QZERR_INVALID_RANGE);
    EXPECT_EQ(code, 456u);
}

TEST(Conversions, OneBitTwosComplement)
{
    double volts = 0;
    ASSERT_EQ(CodeToVolts(-10, 10, 1, 1, EncodingTwosComplement, 1, &volts), QZERR_NO_ERROR);
    EXPECT_DOUBLE_EQ(volts, -10.0);
    ASSERT_EQ(CodeToVolts(-10, 10, 1, 1, EncodingTwosComplement, 0, &volts), QZERR_NO_ERROR);
    EXPECT_DOUBLE_EQ(volts, 0.0);
}

// Pins the mended fault: a channel count beyond the request's room copies only 78 values.
TEST(SingleValues, CopyStopsAtTheRequestsRoom)
{
    std::vector<uint8_t> request(kDriverRequestBytes, 0);
    for (uint32_t i = 0; i < kMaxSingleValues; ++i)
        request[kSingleValuesOffset + 4 * i] = static_cast<uint8_t>(i + 1);
    EXPECT_EQ(kMaxSingleValues, 78u);
    std::vector<uint32_t> out(200, 0xFFFFFFFFu);
    EXPECT_EQ(CopySingleValues(request.data(), 200, out.data()), 78u);
    EXPECT_EQ(out[0], 1u);
    EXPECT_EQ(out[77], 78u);
    EXPECT_EQ(out[78], 0xFFFFFFFFu);
    EXPECT_EQ(CopySingleValues(request.data(), 4, out.data()), 4u);
}
