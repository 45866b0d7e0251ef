#include "converters/gate_times.h"

#include "converters/record_parsers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace converters;

namespace {

TEST(GateTimeTable, StandardSets)
{
    const struct {
        int32_t Rate;
        int32_t Set;
        int32_t Count;
        double First;
        double Last;
    } cases[] = {
        {2, 1, 30, 6.8, 6978},   {2, 0, 20, 88.13, 6978}, {0, 1, 20, 6.813, 695.9},
        {1, 0, 20, 35.25, 2792}, {6, 1, 30, 900, 698000}, {6, 0, 20, 8813, 697800},
    };
    for (const auto& c : cases) {
        ParsedRecords p;
        p.GateTimes.fill(-1.0);
        BuildGateTimeTable(p, c.Rate, c.Set);
        EXPECT_EQ(p.GateTimes[1], c.First) << c.Rate << "/" << c.Set;
        EXPECT_EQ(p.GateTimes[c.Count], c.Last) << c.Rate << "/" << c.Set;
        // Rate 0 with the 30-gate set uses the 20-gate list; nothing stale stays beyond it.
        EXPECT_EQ(p.GateTimes[c.Count + 1], 0.0) << c.Rate << "/" << c.Set;
        for (int32_t g = 2; g <= c.Count; ++g)
            EXPECT_GT(p.GateTimes[g], p.GateTimes[g - 1]) << c.Rate << "/" << c.Set << " gate " << g;
    }
    // A rate index outside 0..6 leaves the table.
    ParsedRecords p;
    p.GateTimes.fill(5.0);
    BuildGateTimeTable(p, 7, 0);
    BuildGateTimeTable(p, -1, 2);
    EXPECT_EQ(p.GateTimes[1], 5.0);
}

TEST(GateTimeTable, UserGatesLogSpacedInMicroseconds)
{
    // 30 Hz, turn-off 10 us, first gate 10 us, 10 gates: E = 8333.33 - 10 - 512 us.
    ParsedRecords p;
    p.TurnOffTimeUs = 10.0;
    p.FileFirstGateTimeUs = 10.0;
    p.FileUserGateCount = 10;
    BuildGateTimeTable(p, 2, 2);
    const double end = 1000000.0 / 120.0 - 10.0 - 512.0;
    EXPECT_NEAR(end, 7811.33, 0.005);
    const double q = std::pow(end / 10.0, 0.1);
    // Mended: the times were divided by 1000 (milliseconds) beside the microsecond tables.
    EXPECT_NEAR(p.GateTimes[1], (10.0 + 10.0 * q) / 2.0, 1e-9);
    EXPECT_NEAR(p.GateTimes[10], (10.0 * std::pow(q, 9) + end) / 2.0, 1e-9);
    EXPECT_EQ(p.GateTimes[11], 0.0);
    // Each gate's middle lies between its edges: consecutive ratios are all q.
    for (int32_t g = 2; g <= 10; ++g)
        EXPECT_NEAR(p.GateTimes[g] / p.GateTimes[g - 1], q, 1e-12);
}

TEST(GateTimeTable, UserGatesWithoutAWindowStayZero)
{
    // Mended: n = 0 divided by zero, a first gate of 0 or below took logs of it, an end before
    // the first gate gave times running backwards.
    const struct {
        int32_t Count;
        double First;
        double TurnOff;
        int32_t Filled;
    } cases[] = {
        {0, 10.0, 0.0, 1},  {-5, 10.0, 0.0, 1},   {500, 10.0, 0.0, 100}, {10, 0.0, 0.0, 0},
        {10, -3.0, 0.0, 0}, {10, 9000.0, 0.0, 0}, {10, 10.0, 9000.0, 0},
    };
    for (const auto& c : cases) {
        ParsedRecords p;
        p.GateTimes.fill(-1.0);
        p.FileUserGateCount = c.Count;
        p.FileFirstGateTimeUs = c.First;
        p.TurnOffTimeUs = c.TurnOff;
        BuildGateTimeTable(p, 2, 2);
        for (int32_t g = 1; g <= MaxGates; ++g) {
            if (g <= c.Filled)
                EXPECT_GT(p.GateTimes[g], 0.0) << c.Count << " gates, first " << c.First;
            else
                EXPECT_EQ(p.GateTimes[g], 0.0) << c.Count << " gates, first " << c.First << " gate " << g;
        }
    }
}

TEST(FirstGateTexts, MovedByTheReceiverDelayAndFittedToTheirField)
{
    ParsedRecords p;
    p.FileRepRateIndex = 0;
    p.FileGateSet = 0;
    SetFirstGateTexts(p, 1.0);
    EXPECT_EQ(p.TimeBaseLetter + p.FirstGateTimeText, "u  .00781");
    p.FileRepRateIndex = 9;
    SetFirstGateTexts(p, 0.0);
    EXPECT_EQ(p.FirstGateTimeText, "  .00781") << "an index outside 0..6 leaves the texts";
    // A delay too large for its mask is fitted into the field.
    p.FileRepRateIndex = 6;
    p.FileGateSet = 1;
    SetFirstGateTexts(p, 123456789.0);
    EXPECT_EQ(p.FirstGateTimeText, "123465.6");
    EXPECT_EQ(p.FirstGateTimeText30, "123457.7");
}

// One reading's terms: sensor 0 (31.4 m2), gain code 5 (G = 6), 3 A x 2 turns, loop 5000 m2.
ParsedRecords UnitTerms()
{
    ParsedRecords p;
    p.RxAreaText = ReceiverAreaText(0);
    p.GainText = "6";
    p.FileGainCode = 6;
    p.TxCurrent = 3.0;
    p.FileTxTurns = 2;
    p.LoopAreaText = "5000.000";
    BuildGateTimeTable(p, 2, 1);
    return p;
}

TEST(ScaleGateValue, FiveUnitsOfOneValue)
{
    const ParsedRecords p = UnitTerms();
    const double v = 1000000.0;  // nV
    const int32_t gate = 12;     // 104.7 us
    const double c = static_cast<double>(52.083f);
    const double perArea = v / (c * 64.0 * 31.4);
    EXPECT_DOUBLE_EQ(ScaleGateValue(p, ModeTxt, 0, v, gate), 1.0);
    EXPECT_DOUBLE_EQ(ScaleGateValue(p, ModeTxt, 1, v, gate), perArea);
    EXPECT_DOUBLE_EQ(ScaleGateValue(p, ModeTxt, 2, v, gate), perArea / 6.0);
    EXPECT_DOUBLE_EQ(ScaleGateValue(p, ModeTxt, 4, v, gate), perArea / 6.0);
    const double sigma = ScaleGateValue(p, ModeTxt, 3, v, gate);
    const double rho = ScaleGateValue(p, ModeTxt, 5, v, gate);
    // Late-time apparent conductivity: K = 6 x 31.4 x 5000 x 2^6 (gain 6 amplifies 64 times),
    // t = v T / 1000, (K / t)^(2/3).
    const double r = std::pow(6.0 * 31.4 * 5000.0 * 64.0 / (v * 104.7 / 1000.0), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(sigma, 104.7 / (8.82 * r));
    // The two are reciprocal: mS/m times ohm-m is 1000.
    EXPECT_DOUBLE_EQ(sigma * rho, 1000.0);
    // The LZ5 list: 4 is resistivity and 5 per ampere; any other index is mV.
    EXPECT_DOUBLE_EQ(ScaleGateValue(p, ModeLz5, 4, v, gate), rho);
    EXPECT_DOUBLE_EQ(ScaleGateValue(p, ModeLz5, 5, v, gate), perArea / 6.0);
    EXPECT_DOUBLE_EQ(ScaleGateValue(p, ModeXyz, 6, v, gate), 1.0);
    EXPECT_DOUBLE_EQ(ScaleGateValue(p, ModeXyz, -1, v, gate), 1.0);
}

TEST(ScaleGateValue, ZeroTermsLeaveOrZeroTheValue)
{
    ParsedRecords p = UnitTerms();
    p.RxAreaText = ReceiverAreaText(12);  // "    ???" reads as area 0
    EXPECT_EQ(ScaleGateValue(p, ModeTxt, 1, 500.0, 1), 500.0);
    EXPECT_EQ(ScaleGateValue(p, ModeTxt, 2, 500.0, 1), 500.0);
    p = UnitTerms();
    p.TxCurrent = 0.0;
    EXPECT_EQ(ScaleGateValue(p, ModeTxt, 4, 500.0, 1), 500.0);
    // No gate time: conductivity 0 (r of K alone), resistivity 0.
    p = UnitTerms();
    EXPECT_EQ(ScaleGateValue(p, ModeTxt, 3, 500.0, 0), 0.0);
    EXPECT_EQ(ScaleGateValue(p, ModeTxt, 5, 500.0, 0), 0.0);
    EXPECT_EQ(ScaleGateValue(p, ModeTxt, 5, 500.0, 101), 0.0);
    // A negative reading gives a negative apparent conductivity, not NaN.
    p = UnitTerms();
    const double sigma = ScaleGateValue(p, ModeTxt, 3, -1000000.0, 12);
    EXPECT_LT(sigma, 0.0);
    EXPECT_DOUBLE_EQ(sigma, -ScaleGateValue(p, ModeTxt, 3, 1000000.0, 12));
}

TEST(ScaleUsfValue, UnitsAndMissingTerms)
{
    ParsedRecords p = UnitTerms();
    const double v = 2000000.0;  // nV = 2 mV
    EXPECT_DOUBLE_EQ(ScaleUsfValue(p, 2, v), 192.0 * 2.0 / (31.4 * 64.0 / 100.0) / 1e9);
    EXPECT_DOUBLE_EQ(ScaleUsfValue(p, 1, v), ScaleUsfValue(p, 2, v) / 6.0);
    // Mended: volts per ampere undid neither the gain nor the scale (unit 0 came out 52.083 x
    // 2^gain too large); at every gain it is now volts per ampere and square metre times the
    // receiver area.
    for (int32_t gain = 1; gain <= 7; ++gain) {
        p.FileGainCode = gain;
        EXPECT_DOUBLE_EQ(ScaleUsfValue(p, 0, v), ScaleUsfValue(p, 1, v) * 31.4) << "gain code + 1 = " << gain;
    }
    p.FileGainCode = 6;
    // No current: divided by 1; no area: 1.
    p.TxCurrent = 0.0;
    EXPECT_DOUBLE_EQ(ScaleUsfValue(p, 0, v), 192.0 * 2.0 / (64.0 / 100.0) / 1e9);
    p.RxAreaText = ReceiverAreaText(-1);
    EXPECT_DOUBLE_EQ(ScaleUsfValue(p, 2, v), 192.0 * 2.0 / (64.0 / 100.0) / 1e9);
}

}  // namespace
