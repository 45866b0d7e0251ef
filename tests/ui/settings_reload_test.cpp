// Every acquisition dialog's OK and popup choice driven with hostile entries: whatever they
// accept, the configuration file they leave loads again without being found corrupt (a
// corrupt file would be deleted at the next start, null tables included).
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/ui/acquisition_settings.h"
#include "vlox/ui/survey_dialog.h"
#include "vlox/ui/system_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class NoWindows final : public PopupChoiceHost {
public:
    void PreserveMap(int32_t) override {}
    void RebuildGateTables() override {}
    void ClearCurveBackground() override {}
    void InvalidateMain() override {}
    void RestartAcquisition() override {}
    void Warn(const WideString&) override {}
    void RedrawTestGain(int32_t) override {}
    void Delay(int32_t) override {}
};

SystemDialogEntries Entries(const SettingsValues& s)
{
    SystemDialogEntries e;
    e.Rate = s.RepRateIndex;
    e.FirstChoice = s.FirstRepetitionChoice;
    e.SecondChoice = s.SecondRepetitionChoice;
    e.UserGateCountSelection = s.UserGateCount - 1;
    e.FirstGateTimeUs = s.FirstGateTimeUs;
    e.TxCurrent = s.TxCurrent;
    e.TxTurns = s.TxTurns;
    return e;
}

TEST(SettingsReload, HostileEntriesLeaveALoadableFile)
{
    const double huge = 1e300;
    const struct {
        const char* name;
        std::function<void()> apply;
    } cases[] = {
        {"system, turn-off far below the limit with on-time off and transmitter 4",
         [] {
             SystemDialogModel m = OpenSystemDialog(Settings, false);
             Settings.TurnOffTimeUs = -2000.0;  // an old value a faster rate makes too low
             m.TurnOffAtOpening = -2000.0;
             SystemDialogEntries e = Entries(Settings);
             e.Rate = 0;
             e.Transmitter = 4;
             e.TurnOffTimeUs = -99999.123456789;
             SystemDialogOk(m, e, 0.0, 0);
         }},
        {"system, two frequencies with a fast second rate and on-time delay",
         [] {
             SystemDialogModel m = OpenSystemDialog(Settings, false);
             m.TwoFrequency = 1;
             m.OnTime = 1;
             m.ReceiverDelayAtOpening = -5000.0;
             m.TurnOffAtOpening = -0.3333333;
             SystemDialogEntries e = Entries(Settings);
             e.FirstChoice = 11;
             e.SecondChoice = 0;
             e.Transmitter = 3;
             e.TurnOffTimeUs = -50000.0;
             e.ReceiverDelayUs = -1e9;
             SystemDialogOk(m, e, 0.0, 0);
         }},
        {"system, user gates with first gate 0 and absurd numbers",
         [huge] {
             SystemDialogModel m = OpenSystemDialog(Settings, false);
             m.GateSet = 2;
             SystemDialogEntries e = Entries(Settings);
             e.FirstGateTimeUs = -1.0;
             e.UserGateCountSelection = 500;
             e.TxCurrent = huge;
             e.TxTurns = -huge;
             SystemDialogOk(m, e, 0.0, 0);
         }},
        {"turn-off dialog below the limit twice",
         [] {
             Settings.RepRateIndex = 0;
             TurnOffDialogOk(-1e6, -1e5, 0.0);
         }},
        {"current and records dialogs",
         [] {
             TxCurrentDialogOk(-3.0);
             RecordsDialogOk(1000);
         }},
        {"survey, geodetic corners out of range and then a good square",
         [] {
             SurveyDialogModel m = OpenSurveyDialog(Settings, 0.0);
             m.Shape = 3;
             SurveyDialogEntries e;
             const double corners[] = {500000.0, 4000000.0, 500100.0, 4000000.0,
                                       500100.0, 4000100.0, 500000.0, 4000100.0};
             for (int i = 0; i < LoopFieldCount; ++i)
                 e.Loop[i] = corners[i];
             e.CornerType = 0;  // geodetic, but metres typed
             bool moved = false;
             SurveyDialogOk(m, e, moved);
             m.Shape = 0;
             e.Loop[0] = 50.0;
             m.StartStation = 0.375;
             SurveyDialogOk(m, e, moved);
         }},
        {"popups, a rate below the limit and 30 gates at 285 Hz",
         [] {
             NoWindows host;
             TotalTurnOffDelay = -1000.0;
             ApplyPopupChoiceWith(1242, host);
             ApplyPopupChoiceWith(1248, host);
             ApplyPopupChoiceWith(1262, host);
         }},
    };
    for (const auto& c : cases) {
        Settings = SettingsValues{};
        PublishDerivedValues(SettingsDerived{});
        InternalTestMode = 0;
        TotalTurnOffDelay = ComputeTotalTurnOffDelay(Settings);
        c.apply();
        NullTableValues nulls{};
        const int32_t none[RepRateCount] = {};
        const std::string file = ComposeConfigurationFile(Settings, nulls, none, NullTimeStamp{});
        SettingsValues loaded;
        SettingsDerived derived;
        NullTableValues loadedNulls{};
        ASSERT_EQ(LoadConfiguration(file, loaded, derived, loadedNulls, ConfigLoadEnvironment{}), 1) << c.name;
        EXPECT_EQ(derived.ConfigInvalid, 0) << c.name;
    }
}

}  // namespace
