#include "vlox/measure/internal_test.h"

#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/measure/acquisition_state.h"

#include <cmath>

const double TestExpectedValues[InternalTestCount][MaxTestGates] = {
    {18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430,
     18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430, 18430},
    {18308, 18263, 18203, 18137, 18060, 17948, 17812, 17638, 17439, 17203,
     16937, 16632, 16236, 15755, 15171, 14444, 13568, 12536, 11329, 9959},
    {18150, 18105, 18027, 17959, 17844, 17715, 17539, 17337, 17095, 16803,
     16487, 16112, 15639, 15070, 14373, 13525, 12517, 11341, 9999,  8523},
    {15036, 14888, 14620, 14133, 13242, 12450, 11574, 10527, 9299, 8024, 6861, 5685, 4479, 3312},
};

const char* const TestModeTitle = "INTERNAL TEST MODE";
const char* const TestTimeConstantTexts[InternalTestCount] = {"Time Constant: DC", "Time Constant: 100 ms",
                                                              "Time Constant: 3 ms", "Time Constant: 0.1 ms"};
const char* const TestPleaseWaitText = "Please Wait...";
const char* const TestPassedText = "Completed PASSED";
const char* const TestFailedText = "Completed FAILED";

TestSettingsBackupValues TestSettingsBackup;

namespace {

constexpr int32_t ComparedGates[InternalTestCount] = {30, 20, 20, 14};
constexpr double TimeAxisEnds[InternalTestCount] = {10.0, 700.0, 30.0, 10.0};

// Rate index, output bits and delay of each test; the DC test's delay is a quarter period of
// its rate, so it depends on the mains.
constexpr InternalTestSettings TestTable[InternalTestCount] = {
    {2, 0x10, 0.0}, {6, 0x30, 0.0}, {3, 0x210, 0.0}, {2, 0x230, 0.0}};
constexpr double DcDelay60HzUs = 8333.0;
constexpr double DcDelay50HzUs = 10000.0;

}  // namespace

int32_t InternalTestIndex(int32_t internalTestMode)
{
    const int32_t index = internalTestMode - FirstInternalTestCommand;
    return index >= 0 && index < InternalTestCount ? index : -1;
}

bool InternalTestSettingsFor(int32_t testIndex, int32_t powerLineFrequency, InternalTestSettings& out)
{
    if (testIndex < 0 || testIndex >= InternalTestCount)
        return false;
    out = TestTable[testIndex];
    if (testIndex == 0)
        out.TotalTurnOffDelay = powerLineFrequency != 0 ? DcDelay60HzUs : DcDelay50HzUs;
    return true;
}

int32_t TestComparedGates(int32_t testIndex)
{
    return testIndex >= 0 && testIndex < InternalTestCount ? ComparedGates[testIndex] : 0;
}

double TestTimeAxisMaxMs(int32_t testIndex)
{
    return testIndex >= 0 && testIndex < InternalTestCount ? TimeAxisEnds[testIndex] : std::nan("");
}

void ApplyTestPlotScale(SettingsValues& s, int32_t internalTestMode)
{
    s.AmplitudeAxisMin = 0.0;
    s.AmplitudeAxisMax = 20000.0;
    s.TimeAxisMinorGrid = 0;
    s.AmplitudeAxisMinorGrid = 1;
    s.TimeAxisLabels = 0;
    s.DisplayUnit = 0;
    s.LinearSectionMin = -1.0;
    s.LinearSectionMax = 1.0;
    s.TimeAxisMinMs = 0.005;
    const int32_t test = InternalTestIndex(internalTestMode);
    if (test >= 0)
        s.TimeAxisMaxMs = TimeAxisEnds[test];
}

void SetupInternalTest()
{
    InternalTestSettings test;
    if (InternalTestSettingsFor(InternalTestIndex(InternalTestMode), Settings.PowerLineFrequency, test)) {
        Settings.RepRateIndex = test.RepRateIndex;
        OutputLineBase = test.OutputLineBase;
        TotalTurnOffDelay = test.TotalTurnOffDelay;
    }
    RepetitionRate = RepRateValue(Settings.PowerLineFrequency, Settings.RepRateIndex);
    Settings.GateSet = 1;
    GateCount = GateCountForSet(Settings.GateSet, Settings.UserGateCount);
    BuildGateTables();
}

void SetTestPlotScale()
{
    ApplyTestPlotScale(Settings, InternalTestMode);
}

namespace {

void SaveUserSettings()
{
    // The test's rate and plot are its own: the configuration keeps the operator's.
    HoldOperatorSettings();
    TestSettingsBackupValues& b = TestSettingsBackup;
    const SettingsValues& s = Settings;
    b.TotalTurnOffDelay = TotalTurnOffDelay;
    b.TimeAxisMinMs = s.TimeAxisMinMs;
    b.TimeAxisMaxMs = s.TimeAxisMaxMs;
    b.AmplitudeAxisMin = s.AmplitudeAxisMin;
    b.AmplitudeAxisMax = s.AmplitudeAxisMax;
    b.TimeAxisMinorGrid = s.TimeAxisMinorGrid;
    b.AmplitudeAxisMinorGrid = s.AmplitudeAxisMinorGrid;
    b.TimeAxisLabels = s.TimeAxisLabels;
    b.DisplayUnit = s.DisplayUnit;
    b.LinearSectionMin = s.LinearSectionMin;
    b.LinearSectionMax = s.LinearSectionMax;
    b.GainX = s.GainX;
    b.GainY = s.GainY;
    b.GainZ = s.GainZ;
    b.GainCodeSent = GainCodeSent;
    b.RepRateIndex = s.RepRateIndex;
    b.GateSet = s.GateSet;
    b.Saved = 1;
}

void RestoreUserSettings()
{
    // A restore without a copy would put zeros into the user's settings.
    const TestSettingsBackupValues& b = TestSettingsBackup;
    if (b.Saved == 0)
        return;
    ReleaseOperatorSettings();
    SettingsValues& s = Settings;
    TotalTurnOffDelay = b.TotalTurnOffDelay;
    s.TimeAxisMinMs = b.TimeAxisMinMs;
    s.TimeAxisMaxMs = b.TimeAxisMaxMs;
    s.AmplitudeAxisMin = b.AmplitudeAxisMin;
    s.AmplitudeAxisMax = b.AmplitudeAxisMax;
    s.TimeAxisMinorGrid = b.TimeAxisMinorGrid;
    s.AmplitudeAxisMinorGrid = b.AmplitudeAxisMinorGrid;
    s.TimeAxisLabels = b.TimeAxisLabels;
    s.DisplayUnit = b.DisplayUnit;
    s.LinearSectionMin = b.LinearSectionMin;
    s.LinearSectionMax = b.LinearSectionMax;
    s.GainX = b.GainX;
    s.GainY = b.GainY;
    s.GainZ = b.GainZ;
    GainCodeSent = b.GainCodeSent;
    s.RepRateIndex = b.RepRateIndex;

    MonitorPassPeriods = MonitorPassPeriodsFor(s.RepRateIndex, MonitorPassPeriodsFast, s.MonitorPassPeriodsMedium);
    MonitorPassCount = 0;
    RepetitionRate = RepRateValue(s.PowerLineFrequency, s.RepRateIndex);

    // The user-defined set counts its configured gates, as at program start; the monitor
    // sums are cleared over every gate of either set.
    s.GateSet = b.GateSet;
    GateCount = GateCountForSet(s.GateSet, s.UserGateCount);
    for (double& sum : MonitorSums)
        sum = 0.0;
    BuildGateTables();
    TestSettingsBackup.Saved = 0;
}

}  // namespace

void SaveRestoreUserSettings(int32_t restore)
{
    if (restore == 0)
        SaveUserSettings();
    else if (restore == 1)
        RestoreUserSettings();
}

int32_t EvaluateTestValues(int32_t testIndex, const double* values, int32_t valueCount)
{
    const int32_t gates = TestComparedGates(testIndex);
    if (gates == 0 || values == nullptr || valueCount < gates)
        return -1;
    int32_t failing = 0;
    for (int32_t g = 0; g < gates; ++g) {
        const double e = TestExpectedValues[testIndex][g];
        const double v = values[g];
        // Written so that a value that is not a number fails too.
        const bool within = std::fabs(std::fabs(v) - e) <= TestTolerance * e;
        if (!within || !std::isfinite(v))
            ++failing;
    }
    return failing;
}

int32_t EvaluateInternalTest(int32_t testIndex)
{
    return EvaluateTestValues(testIndex, DisplayValues, StackSumCount);
}

TestBlockLayout ComputeTestBlockLayout(const TestBlockInput& in)
{
    TestBlockLayout t;
    t.Left = in.StepButtonsX + in.ButtonWidth + 10;
    t.Right = in.ButtonColumnX - 2 * in.ButtonWidth - 26;
    t.Width = t.Right - t.Left;
    t.LineY[0] = in.ButtonRowY;
    t.LineY[1] = t.LineY[0] + 18;
    t.LineY[2] = t.LineY[0] + 36;
    t.TimeConstantFill = {t.Left, t.LineY[1], t.Right, t.LineY[2]};
    t.StatusFill = {t.Left - 4, t.LineY[2], t.Right + 4, t.LineY[2] + 18};
    t.ClearFill = {t.Left - 4, in.CurvePaneRect.y + in.CurvePaneRect.height + 8, t.Right + 4, in.WorkAreaHeight - 10};
    return t;
}

TestBlockInput TestBlockInputFor(const MainLayout& screen)
{
    TestBlockInput in;
    in.StepButtonsX = screen.StepButtonsX;
    in.ButtonWidth = screen.ButtonWidth;
    in.ButtonColumnX = screen.ButtonColumnX;
    in.ButtonRowY = screen.ButtonRowY;
    in.CurvePaneRect = screen.CurvePaneRect;
    in.WorkAreaHeight = screen.WorkAreaHeight;
    return in;
}

int32_t CentredTestTextX(const TestBlockLayout& layout, int32_t textWidth)
{
    return layout.Left + (layout.Width - textWidth) / 2;
}

const char* TestVerdictText(int32_t failingGates)
{
    return failingGates == 0 ? TestPassedText : TestFailedText;
}
