// "System Parameters": the copies and enabling as the operator changes controls, the list
// texts, and the OK's worked values, corrections and refusals.
#include "resources/acquisition_ids.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/ui/acquisition_settings.h"
#include "vlox/ui/system_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class SystemDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsValues{};
        PublishDerivedValues(SettingsDerived{});
        InternalTestMode = 0;
    }
};

// The entries of the controls as they open on the settings.
SystemDialogEntries Untouched(const SettingsValues& s)
{
    SystemDialogEntries e;
    e.Rate = s.RepRateIndex;
    e.Coil = s.CoilType;
    e.Records = s.RecordCountIndex;
    e.Processing = s.ProcessingMethod;
    e.Averaging = s.AveragingTimeIndex;
    e.Component = s.SelectedComponent;
    e.FirstChoice = s.FirstRepetitionChoice;
    e.SecondChoice = s.SecondRepetitionChoice;
    e.FirstGain = s.FirstRepetitionGain;
    e.SecondGain = s.SecondRepetitionGain;
    e.UserGateCountSelection = s.UserGateCount - 1;
    e.Transmitter = s.TransmitterType;
    e.AutoTrigger = s.AutoTriggerIndex;
    e.FirstGateTimeUs = s.FirstGateTimeUs;
    e.ReceiverDelayUs = s.ReceiverDelayUs;
    e.TxCurrent = s.TxCurrent;
    e.TurnOffTimeUs = s.TurnOffTimeUs;
    e.TxTurns = s.TxTurns;
    return e;
}

TEST_F(SystemDialog, HandlersAndEnabling)
{
    SystemDialogModel m = OpenSystemDialog(Settings, false);
    EXPECT_EQ(m.GateSet, 1);
    SystemRateChosen(m, 1);  // 75 Hz: "30" falls back to "20" and is disabled
    EXPECT_EQ(m.GateSet, 0);
    EXPECT_FALSE(SystemControls(m).Gate30);
    SystemGateChosen(m, 1);
    EXPECT_EQ(m.GateSet, 0);
    SystemGateChosen(m, 2);
    EXPECT_TRUE(SystemControls(m).UserGateFields);
    EXPECT_FALSE(SystemControls(m).TwoFrequencyCheck);

    // Two frequencies on in Auto Trigger: back to Manual, and back to Auto when switched off.
    m = OpenSystemDialog(Settings, false);
    m.Survey = 1;
    m.SurveyAtOpening = 1;
    SystemTwoFrequencyToggled(m, true);
    SystemControlState c = SystemControls(m);
    EXPECT_EQ(m.Survey, 0);
    EXPECT_TRUE(c.Hint && c.TwoFrequencyLists && !c.RateList && !c.GateRadios && !c.SurveyRadios);
    EXPECT_EQ(c.GainRow, -1);
    SystemTwoFrequencyToggled(m, false);
    c = SystemControls(m);
    EXPECT_EQ(m.Survey, 1);
    EXPECT_TRUE(c.AutoTriggerList && !c.TwoFrequencyCheck && c.GainRow == m.Component);
    // A data file open: the survey mode cannot change.
    m = OpenSystemDialog(Settings, true);
    EXPECT_FALSE(SystemControls(m).SurveyRadios);
    EXPECT_FALSE(SystemControls(m).AutoTriggerList);
}

TEST_F(SystemDialog, ListTexts)
{
    const struct {
        int32_t list, mains;
        size_t count;
        const char* first;
        const char* last;
    } cases[] = {
        {SystemListRate, 1, 7, "285", "0.3"},
        {SystemListRepetitionChoice, 1, 12, "285 (20 gates)", "0.3 (30 gates)"},
        {SystemListRepetitionChoice, 0, 12, "237.5 (20 gates)", "0.25 (30 gates)"},
        {SystemListCount, 0, 100, " 1", "100"},
        {SystemListAveraging, 0, 9, "0.5", "120"},
        {SystemListAutoTrigger, 0, 11, "Fastest", "60 seconds"},
        {SystemListGain, 0, 7, "1", "7"},
        {SystemListProcessing, 0, 2, "Standard", "Pruning"},
        {SystemListComponent, 0, 3, "Z", "Y"},
    };
    for (const auto& c : cases) {
        const std::vector<WideString> t = SystemListTexts(c.list, c.mains);
        ASSERT_EQ(t.size(), c.count) << c.list;
        EXPECT_EQ(WideToNarrow(t.front()), c.first) << c.list;
        EXPECT_EQ(WideToNarrow(t.back()), c.last) << c.list;
    }
    EXPECT_EQ(WideToNarrow(SystemListTexts(SystemListRepetitionChoice, 1)[10]), "0.75 (30 gates)");
}

TEST_F(SystemDialog, OkWorkedValues)
{
    using Change = std::function<void(SystemDialogModel&, SystemDialogEntries&)>;
    const struct {
        const char* name;
        Change change;
        std::function<void()> check;
    } cases[] = {
        {"current 0 saves 1", [](SystemDialogModel&, SystemDialogEntries& e) { e.TxCurrent = 0.0; },
         [] { EXPECT_EQ(Settings.TxCurrent, 1.0); }},
        {"current -3 saves 1", [](SystemDialogModel&, SystemDialogEntries& e) { e.TxCurrent = -3.0; },
         [] { EXPECT_EQ(Settings.TxCurrent, 1.0); }},
        {"turns 0 gives 1", [](SystemDialogModel&, SystemDialogEntries& e) { e.TxTurns = 0.0; },
         [] { EXPECT_EQ(Settings.TxTurns, 1); }},
        {"turns 5000 gives 999",
         [](SystemDialogModel&, SystemDialogEntries& e) {
             e.TxTurns = 5000.0;
             e.TxCurrent = 2.0;
         },
         [] {
             EXPECT_EQ(Settings.TxTurns, 999);
             EXPECT_EQ(TxAmpereTurns, 1998.0);
         }},
        {"rate 0 with 30 gates",
         [](SystemDialogModel& m, SystemDialogEntries& e) {
             m.GateSet = 1;
             e.Rate = 0;
         },
         [] {
             EXPECT_EQ(Settings.GateSet, 0);
             EXPECT_EQ(GateCount, 20);
         }},
        {"rate 1 with 30 gates",
         [](SystemDialogModel& m, SystemDialogEntries& e) {
             m.GateSet = 1;
             e.Rate = 1;
         },
         [] { EXPECT_EQ(Settings.GateSet, 0); }},
        {"two frequencies 0.75 (30 gates)",
         [](SystemDialogModel& m, SystemDialogEntries& e) {
             m.TwoFrequency = 1;
             e.FirstChoice = 10;
             e.SecondChoice = 3;
             e.FirstGain = 4;
         },
         [] {
             EXPECT_EQ(Settings.RepRateIndex, 5);
             EXPECT_EQ(Settings.GateSet, 1);
             EXPECT_EQ(GateCount, 30);
             EXPECT_EQ(Settings.GainZ, 4);
             EXPECT_EQ(GainCodeSent, 4);
             EXPECT_DOUBLE_EQ(RepetitionRate, 0.75);
         }},
        {"averaging 4 s and fastest trigger",
         [](SystemDialogModel&, SystemDialogEntries& e) {
             e.Averaging = 3;
             e.AutoTrigger = 0;
         },
         [] {
             EXPECT_EQ(AveragingTimeMs, 4000);
             EXPECT_EQ(AutoTriggerIntervalMs, 0);
         }},
        {"user gates, first gate 0 keeps the old time",
         [](SystemDialogModel& m, SystemDialogEntries& e) {
             m.GateSet = 2;
             e.FirstGateTimeUs = 0.0;
             e.UserGateCountSelection = 11;
         },
         [] {
             EXPECT_EQ(Settings.FirstGateTimeUs, 10.0);
             EXPECT_EQ(Settings.UserGateCount, 12);
             EXPECT_EQ(GateCount, 12);
         }},
        {"DC test delay", [](SystemDialogModel&, SystemDialogEntries& e) { e.Rate = 3; },
         [] { EXPECT_EQ(TotalTurnOffDelay, 33333.0); }},
    };
    for (const auto& c : cases) {
        SetUp();
        for (double& s : MonitorSums)
            s = 1.0;
        SystemDialogModel m = OpenSystemDialog(Settings, false);
        SystemDialogEntries e = Untouched(Settings);
        c.change(m, e);
        const SystemOkResult r = SystemDialogOk(m, e, 0.0, std::string(c.name) == "DC test delay" ? 45 : 0);
        EXPECT_FALSE(r.Refused) << c.name;
        EXPECT_EQ(MonitorSums[99], 0.0) << c.name;
        c.check();
        if (HasFailure()) {
            ADD_FAILURE() << c.name;
            return;
        }
    }
}

TEST_F(SystemDialog, CombinedDelayWarnedAndCorrected)
{
    const struct {
        const char* name;
        int32_t onTime, transmitter, rate, twoFrequency;
        double turnOff, delay, openTurnOff, openDelay;
        double wantLimit, wantTurnOff, wantDelay;
    } cases[] = {
        // -900 at rate 0: warned; the values at opening stand.
        {"reverted", 1, 2, 0, 0, -900.0, 0.0, 5.0, 0.0, -875.0, 5.0, 0.0},
        // The values at opening are below the new rate's limit: the receiver delay is corrected.
        {"delay corrected", 1, 2, 0, 0, -900.0, 0.0, -2000.0, 0.0, -875.0, -2000.0, 1125.0},
        // On-time off: the delay cannot help, the turn-off is raised onto the limit.
        {"on-time off", 0, 2, 0, 0, -900.0, 0.0, -2000.0, 0.0, -875.0, -885.8, 1125.0},
        // Transmitter type 3 has no addition: the delay leaves 1.2 us, the turn-off adds it.
        {"type 3", 1, 3, 0, 0, -900.0, 0.0, -2000.0, 0.0, -875.0, -1998.8, 1125.0},
        // Two frequencies: the faster rate (285 Hz) sets the limit though rate 4 is chosen.
        {"two frequencies", 1, 2, 4, 1, -900.0, 0.0, 5.0, 0.0, -875.0, 5.0, 0.0},
        {"in range", 1, 2, 4, 0, -900.0, 0.0, 5.0, 0.0, 0.0, -900.0, 0.0},
    };
    for (const auto& c : cases) {
        SetUp();
        Settings.TurnOffTimeUs = c.openTurnOff;
        Settings.ReceiverDelayUs = c.openDelay;
        Settings.FirstRepetitionChoice = 0;
        Settings.SecondRepetitionChoice = 4;
        SystemDialogModel m = OpenSystemDialog(Settings, false);
        m.OnTime = c.onTime;
        m.TwoFrequency = c.twoFrequency;
        SystemDialogEntries e = Untouched(Settings);
        e.Rate = c.rate;
        e.Transmitter = c.transmitter;
        e.TurnOffTimeUs = c.turnOff;
        e.ReceiverDelayUs = c.delay;
        const SystemOkResult r = SystemDialogOk(m, e, 0.0, 0);
        EXPECT_EQ(r.WarnedLimit, c.wantLimit) << c.name;
        EXPECT_NEAR(Settings.TurnOffTimeUs, c.wantTurnOff, 1e-6) << c.name;
        EXPECT_NEAR(Settings.ReceiverDelayUs, c.wantDelay, 1e-6) << c.name;
        EXPECT_GE(TotalTurnOffDelay, TurnOffLimitFor(Settings)) << c.name;
    }
    EXPECT_EQ(WideToNarrow(TurnOffLimitWarning(-875.0)),
              "Combined Rx Delay and Tx Turn Off out of range.\r\nThe combined value cannot be less than  -875");
}

TEST_F(SystemDialog, TooWideValueCommitsNothing)
{
    const SettingsValues before = Settings;
    SystemDialogModel m = OpenSystemDialog(Settings, false);
    SystemDialogEntries e = Untouched(Settings);
    e.Rate = 4;
    e.TurnOffTimeUs = 1e15;
    EXPECT_TRUE(SystemDialogOk(m, e, 0.0, 0).Refused);
    EXPECT_EQ(Settings, before);
}

// A refusal names its field; a first gate time not above 0 keeps the one before and, mended,
// is told (it used to be dropped without a word).
TEST_F(SystemDialog, RefusalsNameTheirFieldAndAKeptFirstGateIsTold)
{
    const struct {
        const char* name;
        std::function<void(SystemDialogModel&, SystemDialogEntries&)> change;
        FieldRefusalKind kind;
        int id;
        bool firstGateKept;
    } cases[] = {
        {"turn-off too wide", [](SystemDialogModel&, SystemDialogEntries& e) { e.TurnOffTimeUs = 1e15; },
         FieldRefusalKind::TooWide, IDC_SYS_TURNOFF, false},
        {"current too wide", [](SystemDialogModel&, SystemDialogEntries& e) { e.TxCurrent = -1e15; },
         FieldRefusalKind::TooWide, IDC_SYS_TX_CURRENT, false},
        {"receiver delay too wide", [](SystemDialogModel&, SystemDialogEntries& e) { e.ReceiverDelayUs = 1e13; },
         FieldRefusalKind::TooWide, IDC_SYS_RX_DELAY, false},
        {"first gate 0",
         [](SystemDialogModel& m, SystemDialogEntries& e) {
             m.GateSet = 2;
             e.FirstGateTimeUs = 0.0;
         },
         FieldRefusalKind::None, 0, true},
        {"first gate -5 without user gates",
         [](SystemDialogModel&, SystemDialogEntries& e) { e.FirstGateTimeUs = -5.0; }, FieldRefusalKind::None, 0,
         false},
    };
    for (const auto& c : cases) {
        SetUp();
        SystemDialogModel m = OpenSystemDialog(Settings, false);
        SystemDialogEntries e = Untouched(Settings);
        c.change(m, e);
        const SystemOkResult r = SystemDialogOk(m, e, 0.0, 0);
        EXPECT_EQ(r.Refused, c.kind != FieldRefusalKind::None) << c.name;
        EXPECT_EQ(r.RefusedKind, c.kind) << c.name;
        EXPECT_EQ(RefusalOfLine(SystemNumberFields, r.RefusedLine, r.RefusedKind).Id, c.id) << c.name;
        EXPECT_EQ(r.FirstGateKept, c.firstGateKept) << c.name;
        EXPECT_EQ(Settings.FirstGateTimeUs, 10.0) << c.name;
    }
    EXPECT_EQ(FirstGateKeptText(10.0), "Value out of range. The first gate time stays 10.00 us");
}

}  // namespace
