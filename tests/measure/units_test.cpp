#include "vlox/measure/units.h"

#include "vlox/instruments/utm.h"
#include "vlox/settings/rate_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const double Centres[4] = {1.0, 0.5, 2.0, 0.01};  // ms

struct Converted {
    int32_t ok;
    double out[4];
    double values[4];
};

Converted Convert(const UnitConversionContext& c, int32_t review, int32_t unit, int32_t coil, int32_t gain,
                  double ampereTurns, double v0, double v1 = 0.0, double v2 = 0.0, double v3 = 0.0)
{
    Converted r{0, {-7, -7, -7, -7}, {v0, v1, v2, v3}};
    r.ok = ConvertGateValues(c, review, unit, coil, 4, gain, ampereTurns, r.values, r.out);
    return r;
}

UnitConversionContext Live(double loopArea = 10000.0)
{
    UnitConversionContext c;
    c.GateCentresMs = Centres;
    c.LoopArea = loopArea;
    return c;
}

}  // namespace

TEST(ConvertGateValues, WorkedNumbersOfTheUnits)
{
    const UnitConversionContext c = Live();
    // Gain code 5 and the 100 m2 sensor: 1 V reads 3000 in nV/m2, nT/s and pT.
    EXPECT_DOUBLE_EQ(Convert(c, 0, 0, 2, 5, 3.0, 1.0).out[0], 3000.0);
    EXPECT_DOUBLE_EQ(Convert(c, 0, 2, 2, 5, 3.0, 1.0).out[0], 3000.0);
    EXPECT_DOUBLE_EQ(Convert(c, 0, 3, 2, 5, 3.0, 1.0).out[0], 3000.0);
    // Gain code 4 doubles each; 6 halves.
    EXPECT_DOUBLE_EQ(Convert(c, 0, 0, 2, 4, 3.0, 1.0).out[0], 6000.0);
    EXPECT_DOUBLE_EQ(Convert(c, 0, 2, 2, 4, 3.0, 1.0).out[0], 6000.0);
    EXPECT_DOUBLE_EQ(Convert(c, 0, 3, 2, 4, 3.0, 1.0).out[0], 6000.0);
    EXPECT_DOUBLE_EQ(Convert(c, 0, 0, 2, 6, 3.0, 1.0).out[0], 1500.0);
    EXPECT_DOUBLE_EQ(Convert(c, 0, 0, 2, 0, 3.0, 1.0).out[0], 96000.0);
    // 1 mV reads 1.0 in "mV", whatever the gain and sensor.
    EXPECT_DOUBLE_EQ(Convert(c, 0, 1, 7, 0, 3.0, 0.001).out[0], 1.0);
    // The sensor area divides the field units: "HF" is 31.4 m2.
    EXPECT_DOUBLE_EQ(Convert(c, 0, 0, 0, 5, 3.0, 1.0).out[0], 300000.0 / 31.4);

    // Resistivity: M = 100 x 10000 x 3 x 64 = 1.92e8 (gain code 5 amplifies 2^6); at 1 ms and
    // 1 uV, x = 1.92e8 / (1e9 x 1e-3 x 1e-6 x 1e3) = 192000, and 8.82 x 192000^(2/3) / 1 =
    // 29354.14 Ohm-m.
    const Converted ohm = Convert(c, 0, 5, 2, 5, 3.0, 1.0e-6);
    const double expected = 8.82 * std::cbrt(192000.0) * std::cbrt(192000.0);
    EXPECT_NEAR(ohm.out[0], expected, 1e-9 * expected);
    EXPECT_NEAR(ohm.out[0], 29354.143, 0.001);
    const Converted ms = Convert(c, 0, 4, 2, 5, 3.0, 1.0e-6);
    EXPECT_NEAR(ms.out[0], 1000.0 / expected, 1e-12);
    // Pins the mended moment: one field read at any gain gives one resistivity (the gate value
    // doubles with each gain code), where the moment with G in it moved the figure by 2^(4/3)
    // per code.
    for (int32_t gain : {0, 3, 6})
        EXPECT_NEAR(Convert(c, 0, 5, 2, gain, 3.0, 1.0e-6 * std::ldexp(1.0, gain - 5)).out[0], expected,
                    1e-9 * expected)
            << gain;
}

TEST(ConvertGateValues, StoredValuesReadLikeLiveOnes)
{
    const UnitConversionContext c = Live(2500.0);
    for (int32_t unit = 0; unit < 6; ++unit) {
        for (int32_t gain : {0, 3, 5, 6}) {
            for (int32_t coil : {0, 2, 7, 10}) {
                const Converted live = Convert(c, 0, unit, coil, gain, 12.5, 2.0e-6, -3.0e-4, 0.25, 7.0e-9);
                const Converted stored = Convert(c, 1, unit, coil, gain, 12.5, 2.0e3, -3.0e5, 0.25e9, 7.0);
                ASSERT_EQ(live.ok, 1);
                ASSERT_EQ(stored.ok, 1);
                for (int i = 0; i < 4; ++i)
                    EXPECT_NEAR(stored.out[i], live.out[i], 1e-12 * std::fabs(live.out[i]))
                        << unit << " " << gain << " " << coil << " " << i;
            }
        }
    }
}

TEST(ConvertGateValues, SignsAndTheTwoThirdsPower)
{
    const UnitConversionContext c = Live();
    const Converted ohm = Convert(c, 0, 5, 2, 5, 3.0, 1.0e-6, -1.0e-6);
    EXPECT_GT(ohm.out[0], 0.0);
    // Centre 0.5 ms: x doubles (2^(2/3) in the power) and the time halves.
    EXPECT_NEAR(ohm.out[1], -ohm.out[0] * 2.0 * std::pow(2.0, 2.0 / 3.0), 1e-9 * ohm.out[0]);
    const Converted ms = Convert(c, 0, 4, 2, 5, 3.0, 1.0e-6, -1.0e-6, 3.3e-7, 5.0e-5);
    for (int i = 0; i < 4; ++i) {
        const Converted o = Convert(c, 0, 5, 2, 5, 3.0, 1.0e-6, -1.0e-6, 3.3e-7, 5.0e-5);
        EXPECT_NEAR(ms.out[i], 1000.0 / o.out[i], 1e-12 * std::fabs(ms.out[i]));
    }
    EXPECT_LT(ms.out[1], 0.0);
}

// Pins: a gate value of 0, a gate time of 0 or a moment of 0 used to give infinities in mS/m
// and Ohm-m; they read 0 ("none") now, and a value that is not a number stays one.
TEST(ConvertGateValues, ZerosGiveNoneInsteadOfInfinity)
{
    const double zeroCentre[4] = {0.0, 1.0, 1.0, 1.0};
    UnitConversionContext c = Live();
    c.GateCentresMs = zeroCentre;
    for (int32_t unit : {4, 5}) {
        const Converted r = Convert(c, 0, unit, 2, 5, 3.0, 1.0e-6, 0.0, -0.0, std::nan(""));
        EXPECT_EQ(r.out[0], 0.0) << unit;  // gate time 0
        EXPECT_EQ(r.out[1], 0.0) << unit;  // value 0
        EXPECT_EQ(r.out[2], 0.0) << unit;  // value -0
        EXPECT_TRUE(std::isnan(r.out[3])) << unit;
        const Converted stored = Convert(c, 1, unit, 2, 5, 3.0, 1.0e3, 0.0);
        EXPECT_EQ(stored.out[1], 0.0) << unit;
        // No loop area or no current: no moment.
        const Converted noLoop = Convert(Live(0.0), 0, unit, 2, 5, 3.0, 1.0e-6);
        EXPECT_EQ(noLoop.out[0], 0.0) << unit;
        const Converted noCurrent = Convert(Live(), 0, unit, 2, 5, 0.0, 1.0e-6);
        EXPECT_EQ(noCurrent.out[0], 0.0) << unit;
    }
}

TEST(ConvertGateValues, PolarityAndNullRowInLiveUseOnly)
{
    const double nullRow[4] = {0.5, 0.25, 0.0, -1.0};
    UnitConversionContext c = Live();
    c.PolaritySign = -1.0;
    c.NullRow = nullRow;
    Converted r = Convert(c, 0, 1, 2, 5, 3.0, 2.0, 1.0, 0.0, 1.0);
    EXPECT_EQ(r.values[0], -2.5);
    EXPECT_EQ(r.values[1], -1.25);
    EXPECT_EQ(r.values[3], 0.0);
    EXPECT_EQ(r.out[0], -2500.0);
    // While nulling, only the polarity.
    c.Nulling = 1;
    r = Convert(c, 0, 1, 2, 5, 3.0, 2.0);
    EXPECT_EQ(r.values[0], -2.0);
    // Review: neither.
    c.Nulling = 0;
    r = Convert(c, 1, 1, 2, 5, 3.0, 2.0e6);
    EXPECT_EQ(r.values[0], 2.0e6);
    EXPECT_EQ(r.out[0], 2.0);
}

TEST(ConvertGateValues, OutOfRangeArguments)
{
    const double nullRow[4] = {0.5, 0.5, 0.5, 0.5};
    UnitConversionContext c = Live();
    c.NullRow = nullRow;
    // A unit outside 0..5 writes nothing, but the live corrections still run.
    Converted r = Convert(c, 0, 6, 2, 5, 3.0, 1.0);
    EXPECT_EQ(r.ok, 0);
    EXPECT_EQ(r.out[0], -7.0);
    EXPECT_EQ(r.values[0], 0.5);
    r = Convert(c, 0, -1, 2, 5, 3.0, 1.0);
    EXPECT_EQ(r.out[0], -7.0);
    // Pins: coil type and gain index tables; out of range nothing is changed at all.
    for (int32_t coil : {-1, 11}) {
        r = Convert(c, 0, 0, coil, 5, 3.0, 1.0);
        EXPECT_EQ(r.ok, 0);
        EXPECT_EQ(r.out[0], -7.0);
        EXPECT_EQ(r.values[0], 1.0);
    }
    for (int32_t gain : {-1, 7}) {
        r = Convert(c, 0, 0, 2, gain, 3.0, 1.0);
        EXPECT_EQ(r.ok, 0);
        EXPECT_EQ(r.values[0], 1.0);
    }
    // Units 4 and 5 need gate times.
    c.GateCentresMs = nullptr;
    EXPECT_EQ(Convert(c, 0, 5, 2, 5, 3.0, 1.0).ok, 0);
    EXPECT_EQ(Convert(c, 0, 0, 2, 5, 3.0, 1.0).ok, 1);

    // Pins: a gate count past the 100 gates of the rows is held to 100.
    std::vector<double> values(100, 1.0), out(100, 0.0), centres(100, 1.0);
    c.GateCentresMs = centres.data();
    c.NullRow = nullptr;
    EXPECT_EQ(ConvertGateValues(c, 0, 5, 2, 150, 5, 3.0, values.data(), out.data()), 1);
    EXPECT_EQ(ConvertGateValues(c, 0, 5, 2, -4, 5, 3.0, values.data(), out.data()), 1);
}

TEST(NullRows, SlotsAndSelection)
{
    EXPECT_EQ(NullSlotFor(2, 30), 7);
    EXPECT_EQ(NullSlotFor(2, 20), 2);
    EXPECT_EQ(NullSlotFor(0, 20), 0);
    EXPECT_EQ(NullSlotFor(6, 30), 11);
    EXPECT_EQ(NullSlotFor(1, 30), -1);
    EXPECT_EQ(NullSlotFor(7, 20), -1);
    EXPECT_EQ(NullSlotFor(-1, 20), -1);

    auto t = std::make_unique<NullTableValues>();
    t->NullingTables[1][7][4][0] = 0.125;
    t->UserGatesNullTable[3][0] = 0.5;
    const double* row = SelectNullRow(*t, 1, 1, 2, 30, 4, 0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row[0], 0.125);
    EXPECT_EQ(SelectNullRow(*t, 1, 0, 2, 20, 4, 0), t->NullingTables[1][2][4]);
    // User-defined gates: only a valid table is subtracted.
    EXPECT_EQ(SelectNullRow(*t, 1, 2, 2, 40, 3, 0), nullptr);
    EXPECT_EQ(SelectNullRow(*t, 1, 2, 2, 40, 3, 1), t->UserGatesNullTable[3]);
    // Pins: indexes from settings or files are checked before they index the tables.
    EXPECT_EQ(SelectNullRow(*t, 2, 1, 2, 30, 4, 0), nullptr);
    EXPECT_EQ(SelectNullRow(*t, -1, 1, 2, 30, 4, 0), nullptr);
    EXPECT_EQ(SelectNullRow(*t, 1, 1, 9, 30, 4, 0), nullptr);
    EXPECT_EQ(SelectNullRow(*t, 1, 1, 2, 30, 7, 0), nullptr);
    EXPECT_EQ(SelectNullRow(*t, 1, 3, 2, 30, 4, 0), nullptr);
    EXPECT_EQ(SelectNullRow(*t, 1, 2, 2, 30, -1, 1), nullptr);
}

TEST(LoopArea, EveryShape)
{
    double e[4] = {-1, -1, -1, -1}, n[4] = {-1, -1, -1, -1};
    LoopGeometry loop;
    loop.LoopShape = 0;
    loop.SideX = 100.0;
    loop.SideY = 7.0;
    EXPECT_EQ(LoopArea(loop, e, n), 10000.0);
    loop.LoopShape = 1;
    EXPECT_EQ(LoopArea(loop, e, n), 700.0);
    loop.LoopShape = 2;
    const double cx[4] = {0.0, 50.0, 60.0, -10.0}, cy[4] = {0.0, 0.0, 50.0, 50.0};
    std::copy(cx, cx + 4, loop.CornerX);
    std::copy(cy, cy + 4, loop.CornerY);
    EXPECT_EQ(LoopArea(loop, e, n), 3000.0);
    EXPECT_EQ(e[0], -1.0);  // only GPS corners are written out

    // GPS corners in UTM metres, feet and US survey feet.
    loop.LoopShape = 3;
    const double gx[4] = {500100.0, 500200.0, 500200.0, 500100.0};
    const double gy[4] = {4980000.0, 4980000.0, 4980050.0, 4980050.0};
    std::copy(gx, gx + 4, loop.CornerGpsX);
    std::copy(gy, gy + 4, loop.CornerGpsY);
    loop.CornerCoordinateType = 1;
    EXPECT_NEAR(LoopArea(loop, e, n), 5000.0, 1e-6);
    EXPECT_EQ(e[1], 500200.0);
    EXPECT_EQ(n[2], 4980050.0);
    loop.CornerCoordinateType = 2;
    EXPECT_NEAR(LoopArea(loop, e, n), 5000.0 * 0.3048 * 0.3048, 1e-6);
    EXPECT_DOUBLE_EQ(e[1], 500200.0 * 0.3048);
    loop.CornerCoordinateType = 3;
    EXPECT_NEAR(LoopArea(loop, e, n), 5000.0 * 0.304800609601219 * 0.304800609601219, 1e-6);

    // The default loop of the settings: a 100 m by 50 m rectangle.
    EXPECT_EQ(LoopArea(LoopGeometryFromSettings(SettingsValues{}), e, n), 5000.0);
}

TEST(LoopArea, DegreesProjectedInTheFirstCornersZone)
{
    double e[4], n[4];
    LoopGeometry loop;
    loop.LoopShape = 3;
    loop.CornerCoordinateType = 0;
    // A loop astride the zone 17/18 boundary near 45 N, about 790 m by 1111 m.
    const double lon[4] = {-78.005, -77.995, -77.995, -78.005};
    const double lat[4] = {45.0, 45.0, 45.01, 45.01};
    std::copy(lon, lon + 4, loop.CornerGpsX);
    std::copy(lat, lat + 4, loop.CornerGpsY);
    const double area = LoopArea(loop, e, n);
    EXPECT_NEAR(area, 0.01 * 78847.0 * 0.01 * 111132.0, 0.004 * area);
    // Every corner lies in zone 17, the first corner's, so the loop is not torn apart.
    int32_t zone = 0;
    double northing, easting;
    ASSERT_EQ(LatLonToUtm(lat[1], lon[1], zone, northing, easting, 0), 1);
    EXPECT_EQ(zone, 18);
    EXPECT_NEAR(e[1] - e[0], 789.0, 5.0);
}

// Pins: a loop entered in degrees across the equator gave one corner pair 10000 km of false
// northing more than the other; one false northing serves the whole loop.
TEST(LoopArea, LoopAcrossTheEquator)
{
    double e[4], n[4];
    LoopGeometry loop = LoopGeometryFromSettings(SettingsValues{});
    loop.LoopShape = 3;
    loop.CornerCoordinateType = 0;  // the default GPS corners: +-1 degree about 0, 0
    const double area = LoopArea(loop, e, n);
    EXPECT_NEAR(area, 2.0 * 111320.0 * 2.0 * 110574.0, 0.01 * area);
    // The same loop mirrored to the other side of the equator has the same area.
    for (int i = 0; i < 4; ++i)
        loop.CornerGpsY[i] = -loop.CornerGpsY[i];
    EXPECT_NEAR(LoopArea(loop, e, n), area, 1e-6 * area);
}

TEST(LoopArea, NoAreaForBadInput)
{
    double e[4] = {-1, -1, -1, -1}, n[4] = {-1, -1, -1, -1};
    LoopGeometry loop;
    loop.LoopShape = 4;
    EXPECT_EQ(LoopArea(loop, e, n), 0.0);
    loop.LoopShape = -1;
    EXPECT_EQ(LoopArea(loop, e, n), 0.0);
    loop.LoopShape = 3;
    loop.CornerCoordinateType = 4;
    EXPECT_EQ(LoopArea(loop, e, n), 0.0);
    loop.CornerCoordinateType = 0;
    loop.CornerGpsY[2] = std::nan("");
    EXPECT_EQ(LoopArea(loop, e, n), 0.0);
    loop.CornerGpsY[2] = 95.0;
    EXPECT_EQ(LoopArea(loop, e, n), 0.0);
    EXPECT_EQ(e[0], -1.0);
}
