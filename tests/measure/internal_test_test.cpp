// The internal test mode on the program-wide state: each test's board settings at both mains,
// the plot scale, the user's settings kept over several tests and given back once on leaving,
// the verdict at the edges of the tolerance and the place of the text block.
#include "vlox/measure/internal_test.h"

#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/measure/acquisition_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class InternalTest : public testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsValues{};
        InternalTestMode = 0;
        OutputLineBase = 0;
        TotalTurnOffDelay = 0.0;
        GateCount = 30;
        GainCodeSent = 5;
        RepetitionRate = 30.0;
        TestSettingsBackup = TestSettingsBackupValues{};
        for (double& v : DisplayValues)
            v = 0.0;
    }
    void TearDown() override
    {
        Settings = SettingsValues{};
        InternalTestMode = 0;
        OutputLineBase = 0;
        GateCount = 30;
        BuildGateTables();
    }

    static void RunSetup(int32_t command, int32_t powerLine)
    {
        Settings.PowerLineFrequency = powerLine;
        InternalTestMode = command;
        SetTestPlotScale();
        SetupInternalTest();
    }
};

TEST_F(InternalTest, EachTestSetsItsRateBitsAndDelayAtBothMains)
{
    struct Row {
        int32_t command, rate, bits;
        double delay60, delay50, hz60, hz50;
    };
    const Row rows[] = {{45, 2, 0x10, 8333.0, 10000.0, 30.0, 25.0},
                        {46, 6, 0x30, 0.0, 0.0, 0.3, 0.25},
                        {47, 3, 0x210, 0.0, 0.0, 7.5, 6.25},
                        {48, 2, 0x230, 0.0, 0.0, 30.0, 25.0}};
    for (const Row& r : rows) {
        for (int32_t mains : {1, 0}) {
            Settings.GateSet = 2;
            Settings.RepRateIndex = 0;
            GateCount = 41;
            TotalTurnOffDelay = -500.0;
            RunSetup(r.command, mains);
            EXPECT_EQ(Settings.RepRateIndex, r.rate) << r.command;
            EXPECT_EQ(OutputLineBase, r.bits) << r.command;
            EXPECT_EQ(TotalTurnOffDelay, mains ? r.delay60 : r.delay50) << r.command;
            EXPECT_DOUBLE_EQ(RepetitionRate, mains ? r.hz60 : r.hz50) << r.command;
            EXPECT_EQ(Settings.GateSet, 1);
            EXPECT_EQ(GateCount, 30);
            // The gate tables were built for the 30 standard gates.
            EXPECT_GT(GateEdges[r.rate][30], GateEdges[r.rate][29]);
        }
    }
}

TEST_F(InternalTest, ModeOutsideTheTestsLeavesRateBitsAndDelay)
{
    for (int32_t mode : {0, 44, 49, -1}) {
        Settings.RepRateIndex = 4;
        OutputLineBase = 7;
        TotalTurnOffDelay = 12.0;
        Settings.TimeAxisMaxMs = 55.0;
        RunSetup(mode, 1);
        EXPECT_EQ(Settings.RepRateIndex, 4);
        EXPECT_EQ(OutputLineBase, 7);
        EXPECT_EQ(TotalTurnOffDelay, 12.0);
        EXPECT_EQ(Settings.TimeAxisMaxMs, 55.0);
        EXPECT_DOUBLE_EQ(RepetitionRate, 3.0);
    }
}

TEST_F(InternalTest, PlotScaleOfEachTest)
{
    const double ends[] = {10.0, 700.0, 30.0, 10.0};
    for (int32_t test = 0; test < InternalTestCount; ++test) {
        SettingsValues s;
        s.AmplitudeAxisMin = 5.0;
        s.TimeAxisLabels = 1;
        s.DisplayUnit = 3;
        s.TimeAxisMinorGrid = 1;
        s.AmplitudeAxisMinorGrid = 0;
        s.LinearSectionMin = -7.0;
        s.LinearSectionMax = 7.0;
        s.TimeAxisMinMs = 1.0;
        ApplyTestPlotScale(s, 45 + test);
        EXPECT_EQ(s.AmplitudeAxisMin, 0.0);
        EXPECT_EQ(s.AmplitudeAxisMax, 20000.0);
        EXPECT_EQ(s.TimeAxisMinorGrid, 0);
        EXPECT_EQ(s.AmplitudeAxisMinorGrid, 1);
        EXPECT_EQ(s.TimeAxisLabels, 0);
        EXPECT_EQ(s.DisplayUnit, 0);
        EXPECT_EQ(s.LinearSectionMin, -1.0);
        EXPECT_EQ(s.LinearSectionMax, 1.0);
        EXPECT_EQ(s.TimeAxisMinMs, 0.005);
        EXPECT_EQ(s.TimeAxisMaxMs, ends[test]);
        EXPECT_EQ(TestTimeAxisMaxMs(test), ends[test]);
    }
}

// The user's values before the first test come back when the mode is left, not those of a
// later test, and a gain changed on the test screen is undone.
TEST_F(InternalTest, LeavingAfterTwoTestsBringsBackTheSettingsFromBeforeTheFirst)
{
    Settings.RepRateIndex = 1;
    Settings.GateSet = 0;
    GateCount = 20;
    Settings.GainZ = 4;
    GainCodeSent = 4;
    Settings.TimeAxisMaxMs = 3.5;
    Settings.AmplitudeAxisMax = 77.0;
    Settings.DisplayUnit = 2;
    Settings.TimeAxisLabels = 1;
    TotalTurnOffDelay = 1.5;
    MonitorPassPeriods = 1;
    MonitorPassCount = 3;
    const SettingsValues before = Settings;
    BuildGateTables();
    const double edge20 = GateEdges[1][20];

    SaveRestoreUserSettings(0);
    RunSetup(47, 1);
    // The gain popup of the test screen.
    Settings.GainZ = 6;
    GainCodeSent = 6;
    RunSetup(46, 1);  // a second test: no new copy
    EXPECT_EQ(Settings.RepRateIndex, 6);

    InternalTestMode = 0;
    OutputLineBase = 0;
    SaveRestoreUserSettings(1);
    EXPECT_EQ(Settings, before);
    EXPECT_EQ(GainCodeSent, 4);
    EXPECT_EQ(TotalTurnOffDelay, 1.5);
    EXPECT_EQ(GateCount, 20);
    EXPECT_DOUBLE_EQ(RepetitionRate, 75.0);
    EXPECT_EQ(MonitorPassPeriods, Settings.MonitorPassPeriodsMedium);
    EXPECT_EQ(MonitorPassCount, 0);
    EXPECT_EQ(GateEdges[1][20], edge20);
}

// Fault mended: the user-defined gates came back with the test's 30 gates (or the loader's
// count + 1) and monitor sums past the 30th kept old values.
TEST_F(InternalTest, UserGatesComeBackWithTheUserGateCountAndClearedSums)
{
    Settings.GateSet = 2;
    Settings.UserGateCount = 45;
    Settings.RepRateIndex = 3;
    GateCount = GateCountForSet(2, 45);
    RepetitionRate = 7.5;
    SaveRestoreUserSettings(0);
    RunSetup(45, 1);
    for (double& s : MonitorSums)
        s = 9.0;
    InternalTestMode = 0;
    SaveRestoreUserSettings(1);
    EXPECT_EQ(Settings.GateSet, 2);
    EXPECT_EQ(GateCount, 45);
    for (int32_t g = 0; g < MaxGateCount; ++g)
        ASSERT_EQ(MonitorSums[g], 0.0) << g;
    // The user-defined row of the restored rate is rebuilt for 45 gates.
    EXPECT_GT(GateEdges[3][45], GateEdges[3][44]);
    EXPECT_GT(GateEdges[3][44], 0.0);
}

// A restore without a saved copy must not write the empty copy into the settings.
TEST_F(InternalTest, RestoreWithoutASavedCopyChangesNothing)
{
    Settings.RepRateIndex = 4;
    Settings.GainZ = 6;
    const SettingsValues before = Settings;
    SaveRestoreUserSettings(1);
    EXPECT_EQ(Settings, before);
    // Nor a second restore after the first.
    SaveRestoreUserSettings(0);
    Settings.GainZ = 2;
    SaveRestoreUserSettings(1);
    Settings.GainZ = 3;
    SaveRestoreUserSettings(1);
    EXPECT_EQ(Settings.GainZ, 3);
}

TEST_F(InternalTest, ExpectedTablesAndComparedGates)
{
    EXPECT_EQ(TestComparedGates(0), 30);
    EXPECT_EQ(TestComparedGates(1), 20);
    EXPECT_EQ(TestComparedGates(2), 20);
    EXPECT_EQ(TestComparedGates(3), 14);
    EXPECT_EQ(TestComparedGates(4), 0);
    EXPECT_EQ(TestComparedGates(-1), 0);
    EXPECT_EQ(TestExpectedValues[0][29], 18430);
    EXPECT_EQ(TestExpectedValues[1][19], 9959);
    EXPECT_EQ(TestExpectedValues[2][0], 18150);
    EXPECT_EQ(TestExpectedValues[3][13], 3312);
    for (int32_t t = 0; t < InternalTestCount; ++t) {
        double values[StackSumCount];
        for (int32_t g = 0; g < StackSumCount; ++g)
            values[g] = g < MaxTestGates ? TestExpectedValues[t][g] : 0.0;
        EXPECT_EQ(EvaluateTestValues(t, values, StackSumCount), 0) << t;
    }
}

TEST_F(InternalTest, VerdictAtTheEdgesOfTheTolerance)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        double value;
        int32_t failing;
    };
    // One gate of the DC test set to the value, the others at 18430.
    const Row rows[] = {{20273.0, 0}, {20273.1, 1}, {-18430.0, 0}, {-20273.0, 0}, {16587.0, 0}, {16586.9, 1},
                        {0.0, 1},     {nan, 1},     {inf, 1},      {-inf, 1},     {-nan, 1}};
    for (const Row& r : rows) {
        for (int32_t gate : {0, 29}) {
            for (int32_t g = 0; g < MaxTestGates; ++g)
                DisplayValues[g] = 18430.0;
            DisplayValues[gate] = r.value;
            EXPECT_EQ(EvaluateInternalTest(0), r.failing) << r.value << " at gate " << gate + 1;
        }
    }
    // Gates past the compared ones do not count.
    for (int32_t g = 0; g < 14; ++g)
        DisplayValues[g] = TestExpectedValues[3][g];
    DisplayValues[14] = nan;
    EXPECT_EQ(EvaluateInternalTest(3), 0);
    DisplayValues[13] = nan;
    DisplayValues[0] = -1.0;
    EXPECT_EQ(EvaluateInternalTest(3), 2);
    // No such test: never a pass.
    EXPECT_EQ(EvaluateInternalTest(4), -1);
    EXPECT_EQ(EvaluateInternalTest(-1), -1);
    EXPECT_STREQ(TestVerdictText(-1), "Completed FAILED");
    EXPECT_STREQ(TestVerdictText(0), "Completed PASSED");
    EXPECT_STREQ(TestVerdictText(3), "Completed FAILED");
}

TEST_F(InternalTest, TextBlockGeometry)
{
    TestBlockInput in;
    in.StepButtonsX = 300;
    in.ButtonWidth = 120;
    in.ButtonColumnX = 900;
    in.ButtonRowY = 610;
    in.CurvePaneRect = {10, 20, 600, 500};
    in.WorkAreaHeight = 740;
    const TestBlockLayout b = ComputeTestBlockLayout(in);
    EXPECT_EQ(b.Left, 430);
    EXPECT_EQ(b.Right, 634);
    EXPECT_EQ(b.Width, 204);
    EXPECT_EQ(b.LineY[0], 610);
    EXPECT_EQ(b.LineY[1], 628);
    EXPECT_EQ(b.LineY[2], 646);
    EXPECT_EQ(b.TimeConstantFill.left, 430);
    EXPECT_EQ(b.TimeConstantFill.top, 628);
    EXPECT_EQ(b.TimeConstantFill.right, 634);
    EXPECT_EQ(b.TimeConstantFill.bottom, 646);
    EXPECT_EQ(b.StatusFill.left, 426);
    EXPECT_EQ(b.StatusFill.top, 646);
    EXPECT_EQ(b.StatusFill.right, 638);
    EXPECT_EQ(b.StatusFill.bottom, 664);
    EXPECT_EQ(b.ClearFill.left, 426);
    EXPECT_EQ(b.ClearFill.top, 528);
    EXPECT_EQ(b.ClearFill.right, 638);
    EXPECT_EQ(b.ClearFill.bottom, 730);
    EXPECT_EQ(CentredTestTextX(b, 100), 482);
    EXPECT_EQ(CentredTestTextX(b, 101), 481);  // 103 / 2
    // A text wider than the band: (W - width) / 2 rounds toward zero.
    EXPECT_EQ(CentredTestTextX(b, 207), 429);  // -3 / 2 = -1
}

TEST_F(InternalTest, Texts)
{
    EXPECT_STREQ(TestModeTitle, "INTERNAL TEST MODE");
    EXPECT_STREQ(TestTimeConstantTexts[0], "Time Constant: DC");
    EXPECT_STREQ(TestTimeConstantTexts[1], "Time Constant: 100 ms");
    EXPECT_STREQ(TestTimeConstantTexts[2], "Time Constant: 3 ms");
    EXPECT_STREQ(TestTimeConstantTexts[3], "Time Constant: 0.1 ms");
    EXPECT_STREQ(TestPleaseWaitText, "Please Wait...");
}

}  // namespace
