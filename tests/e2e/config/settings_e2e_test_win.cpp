// Settings that always load, driven from outside as an operator would, on one V-LOX run: in
// every settings dialog that reads numbers, a field holding text that is not a number, or a
// value that the configuration loader would refuse at the next start, is refused at OK. The
// message names the field, the focus goes to it, the dialog stays open, and the configuration
// file stays byte for byte as it was; Cancel then changes no setting either. An increment typed
// over with letters keeps them for the OK to refuse. A good OK afterwards saves, and a second
// start loads that file without a reset.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"

#include "resources/acquisition_ids.h"
#include "resources/instruments_ids.h"
#include "resources/view_ids.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxrefuse";
const std::wstring ConfigPath = std::wstring(RunFolder) + L"\\VLOXTARNWEL.INI";

std::string ConfigText()
{
    std::vector<uint8_t> bytes;
    e2e::ReadFileBytes(ConfigPath, &bytes);
    return std::string(bytes.begin(), bytes.end());
}

// The version line and the setting lines, without the null tables.
std::string SettingLines(const std::string& text)
{
    size_t at = 0;
    for (int line = 0; line < 499 && at != std::string::npos; ++line) {
        at = text.find("\r\n", at);
        if (at != std::string::npos)
            at += 2;
    }
    return at == std::string::npos ? std::string() : text.substr(0, at);
}

// One hostile entry: the dialog opened by its menu item, the texts typed (or the list entry
// chosen), and what the refusal says and where the focus goes.
struct Entry {
    const char* name;
    int menu;
    const wchar_t* caption;
    std::vector<std::pair<int, const wchar_t*>> typed;
    int listId;  // a drop list to choose listEntry in (0: none)
    int listEntry;
    int refusedId;
    const wchar_t* message;
};

class VloxRefusals : public e2e::VloxSuite<VloxRefusals> {
protected:
    static void SetUpTestSuite()
    {
        SettingsValues s{};
        auto nulls = std::make_unique<NullTableValues>();
        const int32_t none[RepRateCount] = {};
        Begin(RunFolder, ComposeConfigurationFile(s, *nulls, none, NullTimeStamp{}));
    }
};

}  // namespace

TEST_F(VloxRefusals, EveryDialogRefusesOnTheFieldAndWritesNothing)
{
    // The file first made to hold what the program runs on (the station map's fit at start
    // sets the map size in memory): Profile View and Decay View each save.
    const std::string started = ConfigText();
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_PROFILE_VIEW));
    ASSERT_TRUE(e2e::WaitUntil([&] { return ConfigText() != started; }, 60000));
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_DECAY_VIEW));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    const std::string before = ConfigText();
    ASSERT_EQ(before.rfind("V1.42\r\n", 0), 0u);
    const Entry entries[] = {
        {"a loop side of 2OO",
         IDM_SURVEY_PARAMETERS,
         L"Survey Parameters",
         {{IDC_SURVEY_LOOP_FIELD1, L"2OO"}},
         0,
         0,
         IDC_SURVEY_LOOP_FIELD1,
         L"Tx Loop Sides Length X: \"2OO\" is not a number. Press OK and correct"},
        {"a survey line of 1O0",
         IDM_SURVEY_PARAMETERS,
         L"Survey Parameters",
         {{IDC_SURVEY_LINE, L"1O0"}},
         0,
         0,
         IDC_SURVEY_LINE,
         L"Survey Line: \"1O0\" is not a number. Press OK and correct"},
        {"a station increment of abc",
         IDM_SURVEY_PARAMETERS,
         L"Survey Parameters",
         {{IDC_SURVEY_STATION_INCR, L"abc"}},
         0,
         0,
         IDC_SURVEY_STATION_INCR,
         L"Station Incr.: \"abc\" is not a number. Press OK and correct"},
        {"a current of three",
         IDM_SYSTEM_PARAMETERS,
         L"System Parameters",
         {{IDC_SYS_TX_CURRENT, L"three"}},
         0,
         0,
         IDC_SYS_TX_CURRENT,
         L"Tx Current [A]: \"three\" is not a number. Press OK and correct"},
        {"a turn-off of x5",
         IDM_SYSTEM_PARAMETERS,
         L"System Parameters",
         {{IDC_SYS_TURNOFF, L"x5"}},
         0,
         0,
         IDC_SYS_TURNOFF,
         L"Turn Off Time [us]: \"x5\" is not a number. Press OK and correct"},
        {"a time minimum of 1e-7 ms",
         IDM_SCALE,
         L"Plot Scale Setup",
         {{IDC_SCALE_TIME_MIN, L"1e-7"}},
         0,
         0,
         IDC_SCALE_TIME_MIN,
         L"Time/Gate Axis Min: Value out of range. Press OK and correct"},
        {"an amplitude maximum of 1e260",
         IDM_SCALE,
         L"Plot Scale Setup",
         {{IDC_SCALE_AMPLITUDE_MAX, L"1e260"}},
         0,
         0,
         IDC_SCALE_AMPLITUDE_MAX,
         L"Amplitude Axis Max: Value out of range. Press OK and correct"},
        {"a map size of 0.005 m",
         IDM_MAP_OPTIONS,
         L"Map Options",
         {{IDC_MAP_SIZE, L"0.005"}},
         0,
         0,
         IDC_MAP_SIZE,
         L"Map Size: Value out of range. Press OK and correct"},
        {"a grid interval of 1e260 m",
         IDM_MAP_OPTIONS,
         L"Map Options",
         {{IDC_MAP_GRID_INTERVAL, L"1e260"}},
         0,
         0,
         IDC_MAP_GRID_INTERVAL,
         L"Grid Interval: Value out of range. Press OK and correct"},
        {"the second meter type",
         IDM_METER_SETUP,
         L"SQ12-MK2 Setup",
         {},
         IDC_METER_TYPE,
         1,
         IDC_METER_TYPE,
         L"SQ12-MK2 Type: Value out of range. Press OK and correct"},
    };
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        HWND dialog = OpenDialog(e.menu, e.caption);
        ASSERT_NE(dialog, nullptr);
        for (const auto& [id, text] : e.typed) {
            HWND edit = e2e::Control(dialog, id);
            ASSERT_TRUE(e2e::SelectAllText(edit));
            ASSERT_TRUE(e2e::PostText(edit, text));
        }
        if (e.listId != 0) {
            ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, e.listId), e.listEntry));
        }
        ASSERT_TRUE(vlox->WaitIdle(60000));
        // Letters typed over an increment stay as typed (they used to become "1.00" at once).
        for (const auto& [id, text] : e.typed)
            EXPECT_EQ(e2e::TextOf(e2e::Control(dialog, id)), text);

        ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
        EXPECT_EQ(e2e::AnswerBoxOver(*vlox, dialog), e.message);
        ASSERT_TRUE(IsWindow(dialog) && e2e::IsShown(dialog)) << "the refused OK closed the dialog";
        EXPECT_EQ(e2e::FocusedWindow(dialog), e2e::Control(dialog, e.refusedId));
        EXPECT_TRUE(ConfigText() == before) << "the refused OK wrote the configuration";

        ASSERT_TRUE(e2e::PressButton(dialog, IDCANCEL));
        ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 10000));
        ASSERT_TRUE(vlox->WaitIdle(60000));
        // The meter set-up saves after Cancel too (the null tables' times move): the settings
        // are what they were.
        EXPECT_EQ(SettingLines(ConfigText()), SettingLines(before)) << "Cancel changed a setting";
    }
}

// Mended: a first gate time of 0 was dropped without a word. The one before stays, and the
// operator is told before the dialog closes.
TEST_F(VloxRefusals, AFirstGateTimeOfZeroIsToldAndTheOneBeforeStays)
{
    HWND dialog = OpenDialog(IDM_SYSTEM_PARAMETERS, L"System Parameters");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::PostMouseClick(e2e::Control(dialog, IDC_SYS_GATES_USER), 3, 3));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    HWND first = e2e::Control(dialog, IDC_SYS_FIRST_GATE);
    ASSERT_TRUE(e2e::IsEnabled(first));
    ASSERT_TRUE(e2e::SelectAllText(first));
    ASSERT_TRUE(e2e::PostText(first, L"0"));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    EXPECT_EQ(e2e::AnswerBoxOver(*vlox, dialog),
              L"1st Gate Time [us]: Value out of range. The first gate time stays 10.00 us");
    ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 10000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    const std::string text = ConfigText();
    // Line 10 the first gate time, line 11 the gate set: user-defined gates from 10 us.
    EXPECT_NE(text.find("\r\n40\r\n10.000000\r\n2\r\n"), std::string::npos);
}

TEST_F(VloxRefusals, ACorrectedEntryIsSavedAndLoadsAtTheNextStart)
{
    HWND dialog = OpenDialog(IDM_SURVEY_PARAMETERS, L"Survey Parameters");
    ASSERT_NE(dialog, nullptr);
    HWND side = e2e::Control(dialog, IDC_SURVEY_LOOP_FIELD1);
    ASSERT_TRUE(e2e::SelectAllText(side));
    ASSERT_TRUE(e2e::PostText(side, L"2OO"));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    EXPECT_NE(e2e::AnswerBoxOver(*vlox, dialog), L"<no box>");
    // The operator types over the field the focus is on.
    ASSERT_TRUE(e2e::SelectAllText(side));
    ASSERT_TRUE(e2e::PostText(side, L" 200 "));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 10000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    const std::string saved = ConfigText();
    EXPECT_NE(saved.find("\r\n200.000000\r\n50.000000\r\n"), std::string::npos) << "loop sides 200 by 50";

    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
    e2e::Program again;
    ASSERT_TRUE(again.Start(e2e::InBinFolder(L"V-LOX.exe"), RunFolder));
    HWND main = again.WaitWindow(L"VLOX", nullptr, 30000);
    ASSERT_NE(main, nullptr);
    // When the splash ends, a refused file is reported.
    ASSERT_TRUE(e2e::WaitUntil([main] { return !e2e::IsShown(e2e::Control(main, IDC_SPLASH_WND)); }, 20000));
    ASSERT_TRUE(again.WaitIdle(60000));
    for (const e2e::MessageBoxInfo& box : again.MessageBoxesSeen())
        ADD_FAILURE() << e2e::ToUtf8(box.caption) << ": " << e2e::ToUtf8(box.text);
    ASSERT_EQ(e2e::ExitVlox(again, main, &code), "");
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(e2e::FileExists(ConfigPath + L".bad"));
}
