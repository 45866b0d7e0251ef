#include "vlox/settings/rate_tables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Tables {
    double edges[RepRateCount][GateEdgeCount];
    double centres[RepRateCount][MaxGateCount];
    double low[RepRateCount][3];
    double high[RepRateCount][3];

    // Every entry starts as a sentinel, so untouched entries show.
    Tables()
    {
        for (auto& row : edges)
            for (auto& v : row)
                v = -7.0;
        for (auto& row : centres)
            for (auto& v : row)
                v = -7.0;
        for (auto& row : low)
            for (auto& v : row)
                v = -7.0;
        for (auto& row : high)
            for (auto& v : row)
                v = -7.0;
    }
    int32_t Build(const GateTableInputs& in) { return BuildGateTablesFrom(in, edges, centres, low, high); }
};

GateTableInputs Standard(int32_t gateSet)
{
    GateTableInputs in;
    in.GateSet = gateSet;
    return in;
}

GateTableInputs User(int32_t rateIndex, int32_t count, double mainsRate, double first = 10.0)
{
    GateTableInputs in;
    in.GateSet = 2;
    in.RepRateIndex = rateIndex;
    in.GateCount = count;
    in.FirstGateTimeUs = first;
    in.RepetitionRate = mainsRate;
    return in;
}

std::u16string U16(const WideChar* s)
{
    std::u16string out;
    for (; *s != 0; ++s)
        out.push_back(static_cast<char16_t>(*s));
    return out;
}

}  // namespace

TEST(RateTables, LabelsReadAsNumbersAndAgreeWithQuarterPeriods)
{
    EXPECT_EQ(RepRateValue(1, 0), 285.0);
    EXPECT_EQ(RepRateValue(0, 0), 237.5);
    EXPECT_EQ(RepRateValue(1, 6), 0.3);
    EXPECT_EQ(RepRateValue(0, 5), 0.625);
    EXPECT_EQ(U16(RepRateLabel(1, 3)), u"7.5");
    EXPECT_EQ(U16(RepRateLabel(0, 3)), u"6.25");
    // The quarter period is a quarter of the repetition period, to the microsecond; the
    // early window ends 500 us after it.
    for (int32_t r = 0; r < RepRateCount; ++r) {
        EXPECT_NEAR(QuarterPeriod60Hz[r], 1e6 / (4.0 * RepRateValue(1, r)), 1.0) << r;
        EXPECT_NEAR(QuarterPeriod50Hz[r], 1e6 / (4.0 * RepRateValue(0, r)), 1.0) << r;
        EXPECT_EQ(EarlyWindowEnd60Hz[r], QuarterPeriod60Hz[r] + 500.0);
        EXPECT_EQ(EarlyWindowEnd50Hz[r], QuarterPeriod50Hz[r] + 500.0);
    }
    double q[RepRateCount], e[RepRateCount];
    SelectRateFamily(0, q, e);
    EXPECT_EQ(q[0], 1053.0);
    EXPECT_EQ(e[6], 1000500.0);
    SelectRateFamily(1, q, e);
    EXPECT_EQ(q[0], 877.0);
    EXPECT_EQ(e[6], 833833.0);
}

TEST(RateTables, NameListsAndAreas)
{
    EXPECT_EQ(U16(TransmitterTypeNames[0]), u"TXA1");
    EXPECT_EQ(U16(TransmitterTypeNames[4]), u"TXC1PLUS");
    EXPECT_EQ(U16(CoilTypeNames[1]), u"HQ-3C");
    EXPECT_EQ(U16(CoilTypeNames[5]), u"1000m2 (rigid)");
    EXPECT_EQ(U16(CoilTypeNames[6]), u"10,000m2");
    EXPECT_EQ(U16(CoilTypeNames[10]), u"MGQ70-3C");
    EXPECT_EQ(CoilAreas[0], 31.4);
    EXPECT_EQ(CoilAreas[7], 40000.0);
    EXPECT_EQ(MonitorPassPeriodsFor(0, 5, 2), 5);
    EXPECT_EQ(MonitorPassPeriodsFor(1, 5, 2), 2);
    EXPECT_EQ(MonitorPassPeriodsFor(4, 5, 2), 1);
}

TEST(GateTables, StandardSetsSpotValues)
{
    Tables t;
    ASSERT_EQ(t.Build(Standard(0)), 1);
    // Index 0, 20 gates: gate_s0 shifted by 1 us.
    EXPECT_DOUBLE_EQ(t.edges[0][0], 7.0);
    EXPECT_DOUBLE_EQ(t.edges[0][1], 8.625);
    EXPECT_DOUBLE_EQ(t.edges[0][20], 781.1);
    EXPECT_DOUBLE_EQ(t.edges[0][30], 781.1);  // padded with the last edge
    EXPECT_DOUBLE_EQ(t.centres[0][0], 0.007813);
    // Index 5, 20 gates: 100 x (gate_s1 + 1).
    EXPECT_DOUBLE_EQ(t.edges[5][0], 3300.0);
    EXPECT_DOUBLE_EQ(t.edges[5][1], 3950.0);
    EXPECT_DOUBLE_EQ(t.centres[5][0], 100 * 0.03625);
    // Beyond the set the rows are zero.
    EXPECT_EQ(t.edges[3][31], 0.0);
    EXPECT_EQ(t.edges[3][100], 0.0);
    EXPECT_EQ(t.centres[3][30], 0.0);
    EXPECT_EQ(t.low[2][0], 0.05);
    EXPECT_EQ(t.low[2][1], 0.005);
    EXPECT_EQ(t.high[6][0], 800.0);
    EXPECT_EQ(t.high[6][1], 800.0);
    EXPECT_EQ(t.low[0][2], -7.0);  // the user column is the user build's

    ASSERT_EQ(t.Build(Standard(1)), 1);
    EXPECT_DOUBLE_EQ(t.edges[6][30], 782010.0);  // 10 x 78201.0
    EXPECT_DOUBLE_EQ(t.edges[2][0], 6.8);        // gate_s2_30
    EXPECT_DOUBLE_EQ(t.centres[3][29], 27.916);  // gate_c3 + 0.001
    EXPECT_DOUBLE_EQ(t.edges[0][0], 7.0);        // rates 0 and 1 keep the 20-gate sets
    EXPECT_DOUBLE_EQ(t.edges[1][20], 3130.0);
}

TEST(GateTables, UserGatesAreLogSpacedToTheEndOfTheWindow)
{
    Tables t;
    ASSERT_EQ(t.Build(Standard(0)), 1);
    const double row3Edge = t.edges[3][5];
    // 60 Hz, index 2 (30 Hz), first gate 10 us, 40 gates: T = 8333.33 - 512.
    ASSERT_EQ(t.Build(User(2, 40, 30.0)), 1);
    const double T = 1e6 / 120.0 - 512.0;
    EXPECT_DOUBLE_EQ(t.edges[2][0], 10.0);
    EXPECT_NEAR(t.edges[2][40], T, 1e-6);
    const double q = t.edges[2][1] / t.edges[2][0];
    EXPECT_NEAR(q, std::pow(T / 10.0, 1.0 / 40), 1e-12);
    for (int n = 1; n <= 40; ++n) {
        EXPECT_NEAR(t.edges[2][n] / t.edges[2][n - 1], q, 1e-9);
        EXPECT_NEAR(t.centres[2][n - 1], (t.edges[2][n] + t.edges[2][n - 1]) / 2000.0, 1e-12);
    }
    EXPECT_DOUBLE_EQ(t.low[2][2], t.centres[2][0] * 0.95);
    EXPECT_DOUBLE_EQ(t.high[2][2], t.centres[2][39] * 1.05);
    // Only the current rate's row changes.
    EXPECT_EQ(t.edges[3][5], row3Edge);
    EXPECT_EQ(t.low[3][2], -7.0);
}

TEST(GateTables, UserGatesThatCannotBeSpacedLeaveTheTables)
{
    Tables t;
    // A first gate time of 0 would make the ratio infinite.
    EXPECT_EQ(t.Build(User(2, 40, 30.0, 0.0)), 0);
    // A turn-off time longer than the half cycle puts T below the first gate.
    GateTableInputs late = User(2, 40, 30.0);
    late.TurnOffTimeUs = 9000.0;
    EXPECT_EQ(t.Build(late), 0);
    EXPECT_EQ(t.Build(User(7, 40, 30.0)), 0);
    EXPECT_EQ(t.Build(User(2, 0, 30.0)), 0);
    EXPECT_EQ(t.edges[2][0], -7.0);
    EXPECT_EQ(t.centres[2][0], -7.0);
}

// Mended: the loader sets GateCount to UserGateCount + 1, so a user-gate count of 100 asked
// the build for 101 gates: edge 101 and centre 100 lay past the row, in the next rate's row.
// The count is held to the row's 100 gates.
TEST(GateTablesFault, UserGateCountOfHundredStaysInsideTheRow)
{
    Tables t;
    ASSERT_EQ(t.Build(User(2, 101, 30.0)), 1);
    EXPECT_EQ(t.edges[3][0], -7.0);
    EXPECT_EQ(t.centres[3][0], -7.0);
    EXPECT_NEAR(t.edges[2][100], 1e6 / 120.0 - 512.0, 1e-6);
}

// Mended: the start-up rebuilt the user-defined gates with 40 gates whatever the user-gate
// count, so with 12 user gates the measured gates covered only the start of the window and
// stored readings carried gate times that were not the configured ones. The start-up count
// for the user set is the user-gate count: its last gate ends at the end of the window.
TEST(GateTablesFault, StartupBuildUsesTheConfiguredUserGateCount)
{
    EXPECT_EQ(GateCountForSet(0, 12), 20);
    EXPECT_EQ(GateCountForSet(1, 12), 30);
    EXPECT_EQ(GateCountForSet(2, 12), 12);
    EXPECT_EQ(GateCountForSet(2, 0), 1);
    EXPECT_EQ(GateCountForSet(2, 250), 100);
    Tables t;
    ASSERT_EQ(t.Build(User(4, GateCountForSet(2, 12), 3.0)), 1);
    EXPECT_NEAR(t.edges[4][12], 1e6 / 12.0 - 5120.0, 1e-6);
    EXPECT_NEAR(t.high[4][2], t.centres[4][11] * 1.05, 1e-12);
}

TEST(GateTables, ProgramWideBuildReadsSettings)
{
    SettingsValues saved = Settings;
    const int32_t savedCount = GateCount;
    const double savedRate = RepetitionRate;
    Settings.GateSet = 2;
    Settings.RepRateIndex = 2;
    Settings.FirstGateTimeUs = 10.0;
    GateCount = 40;
    RepetitionRate = 30.0;
    EXPECT_EQ(BuildGateTables(), 1);
    EXPECT_NEAR(GateEdges[2][40], 1e6 / 120.0 - 512.0, 1e-6);
    Settings = saved;
    GateCount = savedCount;
    RepetitionRate = savedRate;
}
