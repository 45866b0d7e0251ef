// The popup choices and the one-value dialogs over the program-wide settings: refusals,
// the turn-off limit with its warning and revert, and what each choice writes.
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/config_file.h"
#include "vlox/ui/acquisition_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingHost final : public PopupChoiceHost {
public:
    std::vector<std::string> calls;
    void PreserveMap(int32_t phase) override { calls.push_back("map" + std::to_string(phase)); }
    void RebuildGateTables() override { calls.push_back("gates"); }
    void ClearCurveBackground() override { calls.push_back("background"); }
    void InvalidateMain() override { calls.push_back("invalidate"); }
    void RestartAcquisition() override { calls.push_back("restart"); }
    void Warn(const WideString& text) override { calls.push_back("warn:" + WideToNarrow(text)); }
    void RedrawTestGain(int32_t code) override { calls.push_back("testgain" + std::to_string(code)); }
    void Delay(int32_t ms) override { calls.push_back("delay" + std::to_string(ms)); }
};

class AcquisitionSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsValues{};
        PublishDerivedValues(SettingsDerived{});
        MapLayoutMode = 2;
        InternalTestMode = 0;
        TotalTurnOffDelay = ComputeTotalTurnOffDelay(Settings);
        for (double& s : MonitorSums)
            s = 1.0;
    }
};

TEST_F(AcquisitionSettings, PopupRefusalsAndMenus)
{
    const struct {
        int32_t row, twoFrequency, gateSet;
        const char* text;
        const char* caption;
        int32_t menu60Hz;
    } cases[] = {
        {PanelRowRepetition, 1, 0, "Please use Set Parameters|System Parameters dialog to select two Repetitions",
         "Two Frequencies Measurements", 1241},
        {PanelRowRepetition, 0, 2, "Please use Set Parameters|System Parameters dialog to select this parameter",
         "User Define Gates Mode", 1241},
        {PanelRowGain, 1, 0, "Please use Set Parameters|System Parameters dialog to select Gain for each Repetition",
         "Two Frequencies Measurements", 1310},
        {PanelRowGates, 1, 2,
         "Please use Set Parameters|System Parameters dialog to select Number of Gates for each Repetition",
         "Two Frequencies Measurements", 1260},
        {PanelRowGates, 0, 2, "Please use Set Parameters|System Parameters dialog to select this parameter",
         "User Define Gates Mode", 1260},
        {PanelRowGain, 0, 2, "", "", 1310},
        {PanelRowAverage, 1, 2, "", "", 1250},
        {PanelRowUnits, 1, 2, "", "", 1320},
        {PanelRowComponent, 0, 0, "", "", 1300},
        {PanelRowTurnOff, 1, 2, "", "", 0},
    };
    for (const auto& c : cases) {
        const PopupRefusal r = PopupRowRefusal(c.row, c.twoFrequency, c.gateSet);
        EXPECT_EQ(r.Text, c.text) << c.row;
        EXPECT_EQ(r.Caption, c.caption) << c.row;
        EXPECT_EQ(PopupMenuForRow(c.row, 1), c.menu60Hz) << c.row;
    }
    EXPECT_EQ(PopupMenuForRow(PanelRowRepetition, 0), 1240);
}

TEST_F(AcquisitionSettings, RowHitTestIncludesBothEnds)
{
    StatusPanelLayout p;
    p.LabelX = 10;
    p.PanelRight = 150;
    for (int32_t k = 0; k < PanelLiveItemCount; ++k)
        p.PanelItemRectsLive[k] = FieldRect{60, 100 + 20 * k, 150, 115 + 20 * k};
    const struct {
        int32_t x, y, row;
    } cases[] = {{10, 100, PanelRowRepetition}, {150, 115, PanelRowRepetition}, {9, 100, PanelRowNone},
                 {151, 100, PanelRowNone},      {50, 117, PanelRowNone},        {50, 260, PanelRowTurnOff},
                 {50, 180, PanelRowGain}};
    for (const auto& c : cases)
        EXPECT_EQ(PanelRowAt(p, c.x, c.y), c.row) << c.x << "," << c.y;
}

TEST_F(AcquisitionSettings, PopupChoices)
{
    const struct {
        const char* name;
        int32_t repRate, gateSet, id;
        double totalDelay;
        int32_t wantRate, wantGateSet, wantGateCount;
        bool sumsCleared;
        const char* lastCalls;                       // the host calls between the map steps
        int32_t SettingsValues::*setting = nullptr;  // a setting the choice writes, and its value
        int32_t want = 0;
    } cases[] = {
        // 285 Hz always returns to the 20-gate set.
        {"fastest rate", 4, 1, 1242, 0.0, 0, 0, 20, true, "gates invalidate restart"},
        // A limit equal to the delay is accepted, one above it refused.
        {"limit equal", 4, 1, 1242, -875.0, 0, 0, 20, true, "gates invalidate restart"},
        {"limit above", 4, 1, 1242, -875.5, 4, 1, 30, false,
         "warn:Combined Rx Delay and Tx Turn Off out of range.\r\nThe combined value cannot be less than  -875"},
        {"30 gates at 285 Hz", 0, 0, 1262, 0.0, 0, 0, 20, true, "gates background invalidate restart"},
        {"30 gates at 30 Hz", 2, 0, 1262, 0.0, 2, 1, 30, true, "gates background invalidate restart"},
        {"cancel", 2, 1, 1249, 0.0, 2, 1, 30, false, ""},
        {"units", 2, 1, 1326, 0.0, 2, 1, 30, false, "background"},
        // The coil type, records and processing ranges; the ids beside them change nothing.
        {"last coil type", 2, 1, 1281, 0.0, 2, 1, 30, false, "", &SettingsValues::CoilType, 10},
        {"beyond the coil types", 2, 1, 1282, 0.0, 2, 1, 30, false, "", &SettingsValues::CoilType, 0},
        {"2 records", 2, 1, 1285, 0.0, 2, 1, 30, false, "", &SettingsValues::RecordCountIndex, 1},
        {"6 records", 2, 1, 1289, 0.0, 2, 1, 30, false, "", &SettingsValues::RecordCountIndex, 5},
        {"beyond the records", 2, 1, 1290, 0.0, 2, 1, 30, false, "", &SettingsValues::RecordCountIndex, 0},
        {"pruning", 2, 1, 1332, 0.0, 2, 1, 30, false, "", &SettingsValues::ProcessingMethod, 1},
        {"beyond the methods", 2, 1, 1333, 0.0, 2, 1, 30, false, "", &SettingsValues::ProcessingMethod, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        MapLayoutMode = 1;
        Settings.RepRateIndex = c.repRate;
        Settings.GateSet = c.gateSet;
        GateCount = 20 + 10 * c.gateSet;
        TotalTurnOffDelay = c.totalDelay;
        NumberOfRecords = Settings.RecordCountIndex + 1;
        RecordingHost host;
        ApplyPopupChoiceWith(c.id, host);
        EXPECT_EQ(Settings.RepRateIndex, c.wantRate) << c.name;
        EXPECT_EQ(Settings.GateSet, c.wantGateSet) << c.name;
        EXPECT_EQ(GateCount, c.wantGateCount) << c.name;
        if (c.setting != nullptr) {
            EXPECT_EQ(Settings.*c.setting, c.want) << c.name;
        }
        EXPECT_EQ(NumberOfRecords, Settings.RecordCountIndex + 1) << c.name;
        // Every gate's sum, not only the first GateCount.
        EXPECT_EQ(MonitorSums[99], c.sumsCleared ? 0.0 : 1.0) << c.name;
        std::string middle;
        for (size_t i = 1; i + 2 < host.calls.size(); ++i)
            middle += (middle.empty() ? "" : " ") + host.calls[i];
        EXPECT_EQ(host.calls.front(), "map0") << c.name;
        EXPECT_EQ(host.calls[host.calls.size() - 2], "map1") << c.name;
        EXPECT_EQ(host.calls.back(), "delay10") << c.name;
        EXPECT_EQ(middle, c.lastCalls) << c.name;
    }
}

TEST_F(AcquisitionSettings, GainAndComponentChoices)
{
    RecordingHost host;
    Settings.GainX = 2;
    ApplyPopupChoiceWith(1302, host);
    EXPECT_EQ(Settings.SelectedComponent, 1);
    EXPECT_EQ(GainCodeSent, 2);
    ApplyPopupChoiceWith(1317, host);
    EXPECT_EQ(Settings.GainX, 6);
    EXPECT_EQ(PreviousGain, 2);
    InternalTestMode = 46;
    host.calls.clear();
    ApplyPopupChoiceWith(1311, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"testgain0", "restart", "delay100", "delay10"}));
    ApplyPopupChoiceWith(1254, host);
    EXPECT_EQ(AveragingTimeMs, 4000);
}

TEST_F(AcquisitionSettings, TurnOffDialog)
{
    const struct {
        const char* name;
        int32_t transmitter, onTime, twoFrequency, rate;
        double entered, atOpening;
        double wantTurnOff, wantLimitShown;
        int32_t wantOffset;
    } cases[] = {
        // -900 at 285 Hz with transmitter type 2: the combined delay -889.2 is below -875.
        {"reverted", 2, 0, 0, 0, -900.0, 5.0, 5.0, -875.0, 0},
        {"accepted", 2, 0, 0, 0, -20.0, 5.0, -20.0, 0.0, 4},
        {"positive", 0, 0, 0, 2, 3.0, 5.0, 3.0, 0.0, 0},
        // In two-frequency mode the faster rate's limit counts (first choice 285 Hz).
        {"two frequencies", 2, 0, 1, 4, -900.0, 5.0, 5.0, -875.0, 0},
        // The old value below a limit made stricter since is raised onto the limit.
        {"old value raised", 2, 0, 0, 0, -900.0, -1000.0, -885.8, -875.0, 420},
    };
    for (const auto& c : cases) {
        SetUp();
        Settings.TransmitterType = c.transmitter;
        Settings.OnTimeMeasurement = c.onTime;
        Settings.TwoFrequencyMode = c.twoFrequency;
        Settings.FirstRepetitionChoice = 0;
        Settings.RepRateIndex = c.rate;
        const double limit = TurnOffDialogOk(c.entered, c.atOpening, 2.083333333333);
        EXPECT_NEAR(Settings.TurnOffTimeUs, c.wantTurnOff, 1e-6) << c.name;
        EXPECT_EQ(limit, c.wantLimitShown) << c.name;
        EXPECT_GE(TotalTurnOffDelay, TurnOffLimitFor(Settings)) << c.name;
        EXPECT_EQ(GateSampleOffset, c.wantOffset) << c.name;
    }
}

TEST_F(AcquisitionSettings, CurrentAndRecordsDialogs)
{
    Settings.TxTurns = 0;
    TxCurrentDialogOk(0.0);
    EXPECT_EQ(Settings.TxCurrent, 0.0);
    EXPECT_EQ(Settings.TxTurns, 1);
    RecordsDialogOk(99);
    EXPECT_EQ(Settings.RecordCountIndex, 99);
    EXPECT_EQ(NumberOfRecords, 100);
    const std::vector<WideString> texts = CountListTexts();
    ASSERT_EQ(texts.size(), 100u);
    EXPECT_EQ(WideToNarrow(texts[0]), " 1");
    EXPECT_EQ(WideToNarrow(texts[8]), " 9");
    EXPECT_EQ(WideToNarrow(texts[99]), "100");
    // "%14.3f" may lose decimals, never digits before the point.
    EXPECT_TRUE(FitsRecordField(9999999999999.0));
    EXPECT_TRUE(FitsRecordField(-999999999999.0));
    EXPECT_FALSE(FitsRecordField(-9999999999999.0));
    EXPECT_FALSE(FitsRecordField(1e14));
}

}  // namespace
