// The nulling run and the repetition switch on the program-wide state, with a recorder for the
// board, the screen and the files: the step codes, the stack targets, whole runs driven step
// by step as the cycle drives them, and the two-frequency switch.
#include "vlox/measure/measure_cycle.h"
#include "vlox/measure/nulling.h"
#include "vlox/measure/repetition.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

class RecordingNullingServices : public NullingServices {
public:
    std::vector<std::string> Calls;
    std::vector<std::pair<int32_t, double>> Bars;
    std::vector<std::pair<int32_t, int32_t>> NlgWrites;
    std::vector<std::string> Messages;
    int32_t FileOpen = 0;
    // The board is closed after the restart that makes this call count reach it (0: never).
    int32_t FailAtRestart = 0;
    int32_t Restarts = 0;
    // Whether the run marked the user-gates table invalid while it measured.
    std::vector<int32_t> ValidAtRestart;

    void BuildGateTables() override { Calls.push_back("gates"); }
    void DrawParameterPanel() override { Calls.push_back("panel"); }
    void RestartAcquisitionIfOpen() override
    {
        Calls.push_back("restart-if-open");
        ValidAtRestart.push_back(UserGatesNullingValid);
    }
    void RestartAcquisition() override { Calls.push_back("restart"); }
    void StopAcquisition() override { Calls.push_back("stop"); }
    void ShowMessage(const char* text, const char* caption) override
    {
        Messages.push_back(std::string(caption) + ": " + text);
        Calls.push_back("message");
    }
    void EraseNullingProgress() override { Calls.push_back("erase"); }
    void DrawNullingProgressBar(int32_t column, double fraction) override { Bars.emplace_back(column, fraction); }
    void SaveSettings() override { Calls.push_back("save"); }
    int32_t DataFileOpen() override { return FileOpen; }
    void WriteNullingTable(int32_t op, int32_t mains) override
    {
        NlgWrites.emplace_back(op, mains);
        Calls.push_back("nlg");
    }
    void InvalidateMainWindow() override { Calls.push_back("invalidate"); }
    int32_t BoardOpen() override
    {
        ++Restarts;
        return FailAtRestart > 0 && Restarts >= FailAtRestart ? 0 : 1;
    }

    int32_t Count(const std::string& call) const
    {
        int32_t n = 0;
        for (const auto& c : Calls)
            n += c == call ? 1 : 0;
        return n;
    }
    // The calls from the board stop on, the end of a run.
    std::vector<std::string> TailFromStop() const
    {
        for (size_t i = 0; i < Calls.size(); ++i)
            if (Calls[i] == "stop")
                return std::vector<std::string>(Calls.begin() + static_cast<std::ptrdiff_t>(i), Calls.end());
        return {};
    }
};

// A value that names where a row was measured: mains, slot, gain and gate.
double Marker(int32_t mains, int32_t slot, int32_t gain, int32_t gate)
{
    return 1e-9 * (mains * 100000 + slot * 1000 + gain * 100 + gate + 1);
}

class NullingRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsValues{};
        Settings.RepRateIndex = 3;
        Settings.GateSet = 1;
        Settings.GainX = 4;
        Settings.GainY = 3;
        Settings.GainZ = 5;
        GateCount = 30;
        GainCodeSent = 5;
        RepetitionRate = 7.5;
        MeasureState = MeasureStateNulling;
        NullingProgressCount = 0;
        NullingStepIndex = 0;
        NullingSlot = 0;
        ClearNullTables(NullTablesStore);
        UserGatesNullingValid = 0;
        for (int32_t& s : NullingSteps)
            s = 0;
        SavedMeasureSettings = CaptureMeasureSettings(Settings, GateCount, GainCodeSent);
        ReleaseOperatorSettings();
        HoldOperatorSettings();  // as the command does when the run starts
    }

    // Runs the list as the cycle does: the first call sets up, then each row is "measured"
    // (GateAverages holds its marker) and the index moves on. Answers the rows measured.
    int32_t Drive(bool userGates, RecordingNullingServices& services, int32_t limit = 200)
    {
        int32_t rows = 0;
        auto step = [&] {
            return userGates ? UserGatesNullingStepWith(services) : StandardGatesNullingStepWith(services);
        };
        EXPECT_EQ(step(), 0);
        while (MeasureState == MeasureStateNulling && rows < limit) {
            for (int32_t g = 0; g < StackSumCount; ++g)
                GateAverages[g] = Marker(Settings.PowerLineFrequency, NullingSlot, GainCodeSent, g);
            StackSums[0] = 1.0;
            NullingStackCount = 9;
            // A save while the run measures keeps the operator's rate and gains.
            EXPECT_EQ(SettingsToSave().RepRateIndex, 3);
            EXPECT_EQ(SettingsToSave().GainZ, 5);
            ++rows;
            ++NullingStepIndex;
            EXPECT_EQ(step(), 0);
            EXPECT_EQ(NullingStackCount, 0);
            EXPECT_EQ(StackSums[0], 0.0);
        }
        return rows;
    }

    void ExpectSettingsPutBack()
    {
        EXPECT_EQ(Settings.RepRateIndex, 3);
        EXPECT_EQ(Settings.GateSet, 1);
        EXPECT_EQ(GateCount, 30);
        EXPECT_EQ(Settings.GainX, 4);
        EXPECT_EQ(Settings.GainY, 3);
        EXPECT_EQ(Settings.GainZ, 5);
        EXPECT_EQ(GainCodeSent, 5);
        EXPECT_DOUBLE_EQ(RepetitionRate, RepRateValue(Settings.PowerLineFrequency, 3));
        EXPECT_EQ(MeasureState, MeasureStateMonitor);
        // The put-back ends the hold: a save writes the settings as they now are.
        Settings.GainZ = 6;
        EXPECT_EQ(SettingsToSave().GainZ, 6) << "still held";
        Settings.GainZ = 5;
    }
};

}  // namespace

// Every code of the standard list: the rate blocks from the slowest rate, fourteen codes for
// rates 6-2 and seven for 1 and 0, 30-gate slots only at rates 2-6.
TEST(NullingStepCodes, StandardTable)
{
    const int32_t starts[RepRateCount] = {77, 70, 56, 42, 28, 14, 0};
    for (int32_t r = 0; r < RepRateCount; ++r)
        EXPECT_EQ(NullingBlockStart(r), starts[r]);
    EXPECT_EQ(NullingBlockStart(7), -1);

    const double fourteen[14] = {-1,  0.0714, 0.1429, 0.2143, 0.2857, 0.3571, 0.4286,
                                 0.5, 0.5714, 0.6429, 0.7143, 0.7857, 0.8571, 0.9286};
    const double seven[7] = {-1, 0.1429, 0.2857, 0.4286, 0.5714, 0.7143, 0.8571};
    int32_t rowsPerRate[RepRateCount] = {};
    int32_t thirtyGateRows = 0;
    for (int32_t code = 0; code <= NullingLastStandardCode; ++code) {
        SCOPED_TRACE(code);
        const NullingStepAction a = StandardNullingStepAction(code);
        ASSERT_EQ(a.EndOfRun, 0);
        int32_t r = 0;
        while (!(code >= starts[r] && code < starts[r] + (r >= 2 ? 14 : 7)))
            ++r;
        ++rowsPerRate[r];
        const int32_t k = code - starts[r];
        EXPECT_EQ(a.Gain, k % 7);
        EXPECT_EQ(a.SetsRate, k == 0 ? 1 : 0);
        EXPECT_EQ(a.FillsPreviousColumn, k == 0 ? 1 : 0);
        EXPECT_EQ(a.BuildsGateTables, k == 0 || k == 7 ? 1 : 0);
        if (k == 0) {
            EXPECT_EQ(a.RateIndex, r);
            EXPECT_EQ(a.Slot, r);
            EXPECT_EQ(a.GateSet, 0);
            EXPECT_EQ(a.GateCount, 20);
        } else if (k == 7) {
            EXPECT_EQ(a.Slot, r + 5);
            EXPECT_EQ(a.GateSet, 1);
            EXPECT_EQ(a.GateCount, 30);
        } else {
            EXPECT_EQ(a.Slot, -1);
            EXPECT_EQ(a.GateSet, -1);
            EXPECT_EQ(a.GateCount, -1);
        }
        if (k >= 7) {
            ++thirtyGateRows;
            EXPECT_GE(r, 2);
        }
        EXPECT_DOUBLE_EQ(a.BarFraction, r >= 2 ? fourteen[k] : seven[k]);
        const bool last =
            code == 13 || code == 27 || code == 41 || code == 55 || code == 69 || code == 76 || code == 83;
        EXPECT_EQ(a.AdvancesColumn, last ? 1 : 0);
    }
    const int32_t expectedRows[RepRateCount] = {7, 7, 14, 14, 14, 14, 14};
    for (int32_t r = 0; r < RepRateCount; ++r)
        EXPECT_EQ(rowsPerRate[r], expectedRows[r]) << "rate " << r;
    EXPECT_EQ(thirtyGateRows, 35);
    for (int32_t code : {84, 85, 1000, -1})
        EXPECT_EQ(StandardNullingStepAction(code).EndOfRun, 1) << code;
}

TEST(NullingStepCodes, UserGatesTable)
{
    const double fractions[7] = {-1, 0.1429, 0.2857, 0.4286, 0.5714, 0.7143, 0.8571};
    for (int32_t code = 0; code <= 6; ++code) {
        const NullingStepAction a = UserGatesNullingStepAction(code);
        EXPECT_EQ(a.EndOfRun, 0);
        EXPECT_EQ(a.Gain, code);
        EXPECT_EQ(a.RateIndex, -1) << "the user's rate stays";
        EXPECT_EQ(a.Slot, -1);
        EXPECT_EQ(a.GateSet, -1);
        EXPECT_EQ(a.GateCount, -1);
        EXPECT_EQ(a.BuildsGateTables, code == 0 ? 1 : 0);
        EXPECT_DOUBLE_EQ(a.BarFraction, fractions[code]);
        EXPECT_EQ(a.AdvancesColumn, code == 6 ? 1 : 0);
    }
    for (int32_t code : {7, 84, -1})
        EXPECT_EQ(UserGatesNullingStepAction(code).EndOfRun, 1) << code;
}

// The table of periods per null row, written out; slots 7-11 repeat rates 2-6.
TEST(NullingStackTargets, NineRowsOfSevenRates)
{
    const int32_t table[AveragingTimeCount][RepRateCount] = {
        {142, 37, 15, 3, 2, 2, 2},
        {285, 75, 30, 7, 3, 2, 2},
        {570, 150, 60, 15, 6, 2, 2},
        {1140, 300, 120, 30, 12, 3, 2},
        {2280, 600, 240, 60, 24, 6, 2},
        {4275, 1125, 450, 112, 45, 11, 4},
        {8550, 2250, 900, 225, 90, 22, 9},
        {17100, 4500, 1800, 450, 180, 45, 18},
        {34200, 9000, 3600, 900, 360, 90, 36},
    };
    for (int32_t a = 0; a < AveragingTimeCount; ++a) {
        for (int32_t r = 0; r < RepRateCount; ++r) {
            EXPECT_EQ(StackTargets[a][r], table[a][r]) << a << "," << r;
            EXPECT_EQ(StackTargetFor(a, r), table[a][r]);
        }
        for (int32_t slot = 7; slot < StackTargetSlots; ++slot)
            EXPECT_EQ(StackTargets[a][slot], table[a][slot - 5]) << a << "," << slot;
    }
}

// A full run at 60 Hz: 84 rows, each where its slot and gain say, the 50 Hz tables left
// alone, then the board stopped, the settings back, the configuration saved, the NLG
// written and the board restarted last.
TEST_F(NullingRunTest, FullRunStoresEightyFourRowsAndEnds)
{
    Settings.PowerLineFrequency = 1;
    for (auto& slot : NullingTables[0])
        for (auto& gain : slot)
            for (double& v : gain)
                v = 7.0;
    BuildFullNullingSteps(NullingSteps);
    RecordingNullingServices services;
    services.FileOpen = 1;

    // The first call stores nothing: the run has measured nothing yet.
    ASSERT_EQ(StandardGatesNullingStepWith(services), 0);
    for (int32_t s = 0; s < NullSlotCount; ++s)
        for (int32_t g = 0; g < GainCodeCount; ++g)
            for (int32_t i = 0; i < MaxGateCount; ++i)
                ASSERT_EQ(NullingTables[1][s][g][i], 0.0);
    EXPECT_EQ(Settings.RepRateIndex, 6);
    EXPECT_EQ(NullingSlot, 6);
    EXPECT_EQ(GateCount, 20);
    EXPECT_EQ(GainCodeSent, 0);
    EXPECT_DOUBLE_EQ(RepetitionRate, 0.3);
    NullingStepIndex = 0;  // Drive makes the first call again, as the command does
    EXPECT_EQ(Drive(false, services), 84);

    for (int32_t s = 0; s < NullSlotCount; ++s) {
        const int32_t gates = s < 7 ? 20 : 30;
        for (int32_t g = 0; g < GainCodeCount; ++g)
            for (int32_t i = 0; i < MaxGateCount; ++i) {
                ASSERT_EQ(NullingTables[1][s][g][i], i < gates ? Marker(1, s, g, i) : 0.0)
                    << "slot " << s << " gain " << g << " gate " << i;
                ASSERT_EQ(NullingTables[0][s][g][i], 7.0);
            }
    }
    EXPECT_EQ(std::string(NullProcessingCodes), "SSSSSSS");
    ExpectSettingsPutBack();
    EXPECT_EQ(services.Count("restart-if-open"), 2 + 83);
    const std::vector<std::string> tail = services.TailFromStop();
    const std::vector<std::string> expected = {"stop", "message", "erase",      "gates",  "panel",
                                               "save", "nlg",     "invalidate", "restart"};
    EXPECT_EQ(tail, expected);
    ASSERT_EQ(services.NlgWrites.size(), 1u);
    EXPECT_EQ(services.NlgWrites[0], std::make_pair(NullTableToLogSelected, 1));
    EXPECT_EQ(services.Messages, std::vector<std::string>{"Nulling: Selective Nulling Completed"});

    // Seven columns, each filled to 1.0 once: at the next block's start or at the end.
    EXPECT_EQ(NullingProgressCount, 7);
    int32_t full[RepRateCount] = {};
    for (const auto& [column, fraction] : services.Bars) {
        ASSERT_GE(column, 0);
        ASSERT_LT(column, 7);
        full[column] += fraction == 1.0 ? 1 : 0;
    }
    for (int32_t c = 0; c < RepRateCount; ++c)
        EXPECT_EQ(full[c], 1) << "column " << c;
    EXPECT_EQ(services.Bars.back(), std::make_pair(6, 1.0));
}

// Rate index 0 alone at 50 Hz, no data file: one column, filled at the end; the rows go to
// the 50 Hz tables; nothing is written to an NLG file.
TEST_F(NullingRunTest, SelectiveRunOfTheFastestRateFillsOneColumn)
{
    Settings.PowerLineFrequency = 0;
    Settings.ProcessingMethod = 1;
    const int32_t selected[RepRateCount] = {1, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(BuildSelectiveNullingSteps(selected, NullingSteps), 7);
    RecordingNullingServices services;
    EXPECT_EQ(Drive(false, services), 7);

    for (int32_t g = 0; g < GainCodeCount; ++g) {
        for (int32_t i = 0; i < 20; ++i)
            ASSERT_EQ(NullingTables[0][0][g][i], Marker(0, 0, g, i));
        EXPECT_EQ(NullingTables[0][0][g][20], 0.0);
    }
    for (int32_t s = 1; s < NullSlotCount; ++s)
        for (int32_t g = 0; g < GainCodeCount; ++g)
            EXPECT_EQ(NullingTables[0][s][g][0], 0.0);
    for (int32_t g = 0; g < GainCodeCount; ++g)
        EXPECT_EQ(NullingTables[1][0][g][0], 0.0);
    EXPECT_EQ(std::string(NullProcessingCodes), "PPPPPPP");
    ExpectSettingsPutBack();
    EXPECT_EQ(NullingProgressCount, 1);
    for (const auto& bar : services.Bars)
        EXPECT_EQ(bar.first, 0);
    ASSERT_FALSE(services.Bars.empty());
    EXPECT_EQ(services.Bars.back(), std::make_pair(0, 1.0));
    EXPECT_TRUE(services.NlgWrites.empty());
    EXPECT_EQ(services.Count("save"), 1);
    EXPECT_EQ(services.Calls.back(), "restart");
}

// The user's rate and gates stay; the seven rows go to the user-gates table; the header
// names the settings they were measured under; the table is invalid while it is measured and
// valid afterwards; nothing goes to the NLG file.
TEST_F(NullingRunTest, UserGatesRunFillsItsTableAndHeader)
{
    Settings.GateSet = 2;
    Settings.UserGateCount = 41;
    Settings.FirstGateTimeUs = 12.5;
    Settings.PowerLineFrequency = 0;
    GateCount = 41;
    SavedMeasureSettings = CaptureMeasureSettings(Settings, GateCount, GainCodeSent);
    BuildUserGatesNullingSteps(NullingSteps);
    RecordingNullingServices services;
    services.FileOpen = 1;
    EXPECT_EQ(Drive(true, services), 7);

    for (int32_t g = 0; g < GainCodeCount; ++g) {
        for (int32_t i = 0; i < 41; ++i)
            ASSERT_EQ(UserGatesNullTable[g][i], Marker(0, NullingSlot, g, i)) << g << "," << i;
        EXPECT_EQ(UserGatesNullTable[g][41], 0.0);
    }
    EXPECT_EQ(UserGatesNullingHeader.Mains, 0);
    EXPECT_EQ(UserGatesNullingHeader.RateIndex, 3);
    EXPECT_EQ(UserGatesNullingHeader.GateCount, 41);
    EXPECT_EQ(UserGatesNullingHeader.FirstGateTimeUs, 12.5);
    EXPECT_EQ(UserGatesNullingPresent, 1);
    EXPECT_EQ(UserGatesNullingValid, 1);
    for (int32_t v : services.ValidAtRestart)
        EXPECT_EQ(v, 0);
    EXPECT_TRUE(services.NlgWrites.empty());
    EXPECT_EQ(services.Messages, std::vector<std::string>{"Nulling: User Gates Setup Nulling Completed"});
    EXPECT_EQ(Settings.GateSet, 2);
    EXPECT_EQ(GateCount, 41);
    EXPECT_EQ(Settings.RepRateIndex, 3);
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
    const std::vector<std::string> expected = {"stop",  "message", "erase",      "gates",
                                               "panel", "save",    "invalidate", "restart"};
    EXPECT_EQ(services.TailFromStop(), expected);
    EXPECT_EQ(NullingProgressCount, 1);
}

// A list without its end code, as the standard routine meets it when the cycle calls it on
// the user-gates list, ends at the last entry instead of reading past the list.
TEST_F(NullingRunTest, ListWithoutEndCodeEndsAtItsLastEntry)
{
    for (int32_t& s : NullingSteps)
        s = 0;
    RecordingNullingServices services;
    const int32_t rows = Drive(false, services, 500);
    EXPECT_EQ(rows, NullingStepSlots);
    EXPECT_EQ(MeasureState, MeasureStateMonitor);
}

// A gate count above the table rows stores 100 gates, never past the row.
// A restart that fails closes the board: no buffer would ever end the run, so it is
// abandoned at once with the user's settings back, and nothing is saved or logged.
TEST_F(NullingRunTest, FailedRestartAbandonsTheRunWithTheSettingsBack)
{
    for (int32_t i = 0; i <= NullingEndCode; ++i)
        NullingSteps[i] = i;
    RecordingNullingServices services;
    services.FileOpen = 1;
    services.FailAtRestart = 3;
    EXPECT_EQ(Drive(false, services), 2);
    ExpectSettingsPutBack();
    EXPECT_EQ(services.Count("erase"), 1);
    EXPECT_EQ(services.Count("save"), 0);
    EXPECT_EQ(services.Count("stop"), 0);
    EXPECT_TRUE(services.NlgWrites.empty());
    EXPECT_TRUE(services.Messages.empty()) << "the board has given its own message";
    EXPECT_EQ(services.Calls.back(), "invalidate");
}

TEST_F(NullingRunTest, GateCountAboveTheRowsStoresOneHundred)
{
    NullingStepIndex = 1;
    NullingSteps[1] = 1;
    NullingSlot = 2;
    GainCodeSent = 3;
    GateCount = 150;
    for (int32_t g = 0; g < StackSumCount; ++g)
        GateAverages[g] = 1.0 + g;
    RecordingNullingServices services;
    StandardGatesNullingStepWith(services);
    EXPECT_EQ(NullingTables[1][2][3][99], 100.0);
    EXPECT_EQ(NullingTables[1][2][4][0], 0.0) << "the next gain's row is untouched";

    UserGatesNullingStepWith(services);
    EXPECT_EQ(UserGatesNullTable[1][99], 100.0);
    EXPECT_EQ(UserGatesNullTable[2][0], 0.0);
}

class RepetitionSwitchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsValues{};
        Settings.PowerLineFrequency = 1;
        Settings.SelectedComponent = 0;
        Settings.FirstRepetitionChoice = 4;
        Settings.FirstRepetitionGain = 2;
        Settings.SecondRepetitionChoice = 9;
        Settings.SecondRepetitionGain = 6;
        GateCount = 20;
        GainCodeSent = 5;
        MonitorPassCount = 3;
        for (double& m : MonitorSums)
            m = 1.0;
    }
};

TEST_F(RepetitionSwitchTest, SecondChoiceNineIsRateFourWithThirtyGates)
{
    RecordingNullingServices services;
    SelectActiveRepetitionWith(2, services);
    EXPECT_EQ(Settings.RepRateIndex, 4);
    EXPECT_EQ(Settings.GateSet, 1);
    EXPECT_EQ(GateCount, 30);
    EXPECT_DOUBLE_EQ(RepetitionRate, 3.0);
    EXPECT_EQ(Settings.GainZ, 6);
    EXPECT_EQ(GainCodeSent, 6);
    EXPECT_EQ(PreviousGain, 5);
    EXPECT_EQ(MonitorPassCount, 0);
    EXPECT_EQ(MonitorPassPeriods, 1);
    // The sums of the gate count before the switch are cleared.
    EXPECT_EQ(MonitorSums[19], 0.0);
    EXPECT_EQ(MonitorSums[20], 1.0);
    const std::vector<std::string> expected = {"gates", "panel", "restart-if-open"};
    EXPECT_EQ(services.Calls, expected);
}

// The second rate is the reading's own: while it is active the configuration keeps the first,
// and a reading starts only once the first is active again.
TEST_F(RepetitionSwitchTest, TheSecondRateIsNeverSaved)
{
    RecordingNullingServices services;
    SelectActiveRepetitionWith(1, services);
    EXPECT_TRUE(RepetitionActive(1, Settings, GainCodeSent));
    EXPECT_FALSE(RepetitionActive(2, Settings, GainCodeSent));
    SelectActiveRepetitionWith(2, services);
    EXPECT_TRUE(RepetitionActive(2, Settings, GainCodeSent));
    EXPECT_FALSE(RepetitionActive(1, Settings, GainCodeSent));
    Settings.GraphView = 1;  // a setting no run changes is saved as it is
    const SettingsValues saved = SettingsToSave();
    EXPECT_EQ(saved.RepRateIndex, 4);
    EXPECT_EQ(saved.GateSet, 0);
    EXPECT_EQ(saved.GainZ, 2);
    EXPECT_EQ(saved.GraphView, 1);
    SelectActiveRepetitionWith(1, services);
    EXPECT_TRUE(SettingsToSave() == Settings);
    GainCodeSent = 3;
    EXPECT_FALSE(RepetitionActive(1, Settings, GainCodeSent)) << "the gain sent counts too";
}

TEST_F(RepetitionSwitchTest, FirstChoiceFourIsRateFourWithTwentyGates)
{
    Settings.SelectedComponent = 1;
    Settings.PowerLineFrequency = 0;
    RecordingNullingServices services;
    SelectActiveRepetitionWith(1, services);
    EXPECT_EQ(Settings.RepRateIndex, 4);
    EXPECT_EQ(Settings.GateSet, 0);
    EXPECT_EQ(GateCount, 20);
    EXPECT_DOUBLE_EQ(RepetitionRate, 2.5);
    EXPECT_EQ(Settings.GainX, 2);
    EXPECT_EQ(Settings.GainZ, SettingsValues{}.GainZ);
    EXPECT_EQ(GainCodeSent, 2);
}

TEST_F(RepetitionSwitchTest, FastRatePassPeriodsAndAnyOtherValueIsTheSecond)
{
    Settings.SecondRepetitionChoice = 0;
    RecordingNullingServices services;
    SelectActiveRepetitionWith(7, services);
    EXPECT_EQ(Settings.RepRateIndex, 0);
    EXPECT_EQ(MonitorPassPeriods, MonitorPassPeriodsFast);
}

// A choice or gain out of range (never from a loaded file) switches nothing rather than
// indexing past the rate tables.
TEST_F(RepetitionSwitchTest, OutOfRangeChoiceSwitchesNothing)
{
    Settings.SecondRepetitionChoice = 12;
    Settings.RepRateIndex = 2;
    RecordingNullingServices services;
    SelectActiveRepetitionWith(2, services);
    EXPECT_EQ(Settings.RepRateIndex, 2);
    EXPECT_EQ(GainCodeSent, 5);
    EXPECT_TRUE(services.Calls.empty());
    Settings.SecondRepetitionChoice = 3;
    Settings.SecondRepetitionGain = 7;
    SelectActiveRepetitionWith(2, services);
    EXPECT_EQ(Settings.RepRateIndex, 2);
    EXPECT_TRUE(services.Calls.empty());
}
