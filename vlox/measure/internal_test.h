// The internal test mode: the receiver chain checked without a transmitter. Each of the four
// tests puts its signal bits on the digital output beside the gain code, runs the board at a
// fixed rate, averages one reading and compares the displayed gates with the values the test
// signal must give. Here: the tests' settings, the user's settings kept while the mode is on,
// the verdict and the geometry of the text block the main window shows.
#pragma once

#include "vlox/settings/settings.h"
#include "vlox/common/screen_layout.h"

#include <cstdint>

constexpr int32_t InternalTestCount = 4;
constexpr int32_t FirstInternalTestCommand = 45;  // DC; 46 100 ms, 47 3 ms, 48 0.1 ms
constexpr int32_t TestAveragingTimeMs = 10000;
constexpr int32_t MaxTestGates = 30;
// A gate passes while |value| lies within this share of its expected value.
constexpr double TestTolerance = 0.1;

// The board settings of one test.
struct InternalTestSettings {
    int32_t RepRateIndex = 0;
    int32_t OutputLineBase = 0;      // added to the gain code on the digital output
    double TotalTurnOffDelay = 0.0;  // microseconds
};

// Test index (0 DC, 1 100 ms, 2 3 ms, 3 0.1 ms) of an `InternalTestMode` 45..48; -1 for any
// other mode.
int32_t InternalTestIndex(int32_t internalTestMode);

// Settings of test 0..3 for a mains family (`PowerLineFrequency` nonzero: 60 Hz). Returns
// false, leaving out unchanged, for a test index outside 0..3.
bool InternalTestSettingsFor(int32_t testIndex, int32_t powerLineFrequency, InternalTestSettings& out);

// Gates compared by test 0..3 (0 for another index) and their expected values, nV/m2.
int32_t TestComparedGates(int32_t testIndex);
extern const double TestExpectedValues[InternalTestCount][MaxTestGates];

// End of the time axis of test 0..3, ms; NaN for another index.
double TestTimeAxisMaxMs(int32_t testIndex);

// Texts of the block.
extern const char* const TestModeTitle;  // "INTERNAL TEST MODE"
extern const char* const TestTimeConstantTexts[InternalTestCount];
extern const char* const TestPleaseWaitText;
extern const char* const TestPassedText;
extern const char* const TestFailedText;

// The user's values that the test mode changes, as they were when the mode was entered.
struct TestSettingsBackupValues {
    double TotalTurnOffDelay = 0.0;
    double TimeAxisMinMs = 0.0;
    double TimeAxisMaxMs = 0.0;
    double AmplitudeAxisMin = 0.0;
    double AmplitudeAxisMax = 0.0;
    int32_t TimeAxisMinorGrid = 0;
    int32_t AmplitudeAxisMinorGrid = 0;
    int32_t TimeAxisLabels = 0;
    int32_t DisplayUnit = 0;
    double LinearSectionMin = 0.0;
    double LinearSectionMax = 0.0;
    int32_t GainX = 0;
    int32_t GainY = 0;
    int32_t GainZ = 0;
    int32_t GainCodeSent = 0;
    int32_t RepRateIndex = 0;
    int32_t GateSet = 0;
    // 1 once a copy has been taken; a restore without one changes nothing.
    int32_t Saved = 0;
};
extern TestSettingsBackupValues TestSettingsBackup;

// Plot scale of the test on a copy of the settings; the time-axis end is left for an
// `InternalTestMode` outside 45..48.
void ApplyTestPlotScale(SettingsValues& s, int32_t internalTestMode);

// The program-wide operations (reading `InternalTestMode` and the settings).
// Rate, output bits, delay and the 30 standard gates of the running test, gate tables built.
void SetupInternalTest();
void SetTestPlotScale();
// 0 saves the user's settings, 1 restores them (and the values derived from them).
void SaveRestoreUserSettings(int32_t restore);

// Failing gates of test 0..3 among values (nV/m2): a gate fails when ||v| - e| > 0.1 e, or
// when v is not a finite number. -1 for a test index outside 0..3 or too few values.
int32_t EvaluateTestValues(int32_t testIndex, const double* values, int32_t valueCount);
// The same over `DisplayValues`.
int32_t EvaluateInternalTest(int32_t testIndex);

// Geometry of the text block, in main-window client pixels.
struct TestBlockInput {
    int32_t StepButtonsX = 0;
    int32_t ButtonWidth = 0;
    int32_t ButtonColumnX = 0;
    int32_t ButtonRowY = 0;
    PaneBox CurvePaneRect;
    int32_t WorkAreaHeight = 0;
};
struct TestBlockLayout {
    int32_t Left = 0;            // L: the band of the test buttons
    int32_t Right = 0;           // R
    int32_t Width = 0;           // W = R - L
    int32_t LineY[3] = {};       // title, time constant, status
    FieldRect TimeConstantFill;  // mode 0, before the time constant
    FieldRect StatusFill;        // modes 0 and 2, before the status line
    FieldRect ClearFill;         // mode 1
};
TestBlockLayout ComputeTestBlockLayout(const TestBlockInput& in);
// The block's inputs on the screen laid out.
TestBlockInput TestBlockInputFor(const MainLayout& screen);
// x of a text of that width centred in the band (integer division toward zero).
int32_t CentredTestTextX(const TestBlockLayout& layout, int32_t textWidth);
// The status text of a verdict: PASSED for no failing gate.
const char* TestVerdictText(int32_t failingGates);
