// The acquisition settings as an operator changes them: System Parameters cancelled (nothing
// changes) and then set to a two-frequency measurement with hostile numbers (turns that are no
// number refused on their field, the others corrected, the combined-delay warning shown by
// the dialog), the status panel's refusal, one-value dialogs (a current that is no number
// refused) and a popup menu choice, Survey Parameters refusing a loop without area and then
// taking a new line and station. After each OK the configuration file's lines and the panel
// show the values. A two-frequency reading is then measured and stored with both rates, and
// a second start of V-LOX loads the saved file without a reset. One program run serves the
// suite; the tests run in the order written.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/harness/vlx_records.h"

#include "resources/acquisition_ids.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxacq";
const std::wstring ConfigPath = std::wstring(RunFolder) + L"\\VLOXTARNWEL.INI";

// 60 Hz mains, 30 Hz with 20 gates, the shortest averaging time, one record.
std::string StartConfiguration()
{
    SettingsValues s{};
    s.PowerLineFrequency = 1;
    s.AveragingTimeIndex = 0;
    s.RepRateIndex = 2;
    s.GateSet = 0;
    s.RecordCountIndex = 0;
    s.TwoFrequencyMode = 0;
    s.GpsInput = 0;
    s.MeterInput = 0;
    NullTableValues nulls{};
    const int32_t none[RepRateCount] = {};
    return ComposeConfigurationFile(s, nulls, none, NullTimeStamp{});
}

std::string ConfigText()
{
    std::vector<uint8_t> bytes;
    e2e::ReadFileBytes(ConfigPath, &bytes);
    return std::string(bytes.begin(), bytes.end());
}

std::string ConfigLine(int n)
{
    return e2e::ConfigLineOf(ConfigPath, n);
}

class VloxAcquisitionSettings : public e2e::VloxSuite<VloxAcquisitionSettings> {
protected:
    static void SetUpTestSuite()
    {
        SetEnvironmentVariableW(L"QZSIM_OPTIONS", L"SpeedUp=4;NoiseVolts=0;HumVolts=0");
        Begin(RunFolder, StartConfiguration());
        if (vlox != nullptr && mainWindow != nullptr) {
            long count = 0;
            vlox->DrawnTextCount(mainWindow, &count);  // texts are recorded from now on
        }
    }

    // A message box with this caption: its text, then OK pressed.
    static std::wstring AnswerBox(const wchar_t* caption)
    {
        HWND box = vlox->WaitMessageBox(caption, 10000);
        e2e::MessageBoxInfo info;
        if (box == nullptr || !e2e::ReadMessageBox(box, &info))
            return L"<no box>";
        e2e::PressButton(box, IDOK);
        e2e::WaitUntil([box] { return !IsWindow(box); }, 60000);
        return info.text;
    }

    // The texts drawn on the main window so far (one read: each read takes a while).
    static std::vector<e2e::DrawnText> Drawn()
    {
        std::vector<e2e::DrawnText> texts;
        vlox->DrawnTexts(mainWindow, 0, &texts);
        return texts;
    }

    // The last of them that starts with prefix.
    static e2e::DrawnText LastDrawn(const std::vector<e2e::DrawnText>& texts, const std::wstring& prefix)
    {
        e2e::DrawnText found;
        for (const e2e::DrawnText& t : texts)
            if (t.window == mainWindow && t.text.rfind(prefix, 0) == 0)
                found = t;
        return found;
    }

    // A click on a row of the status panel, found by its label.
    static void ClickPanelRow(const wchar_t* label)
    {
        const e2e::DrawnText row = LastDrawn(Drawn(), label);
        ASSERT_FALSE(row.text.empty()) << e2e::ToUtf8(label) << " is not drawn";
        ASSERT_TRUE(e2e::PostMouseClick(mainWindow, row.x + 2, row.y + 3));
    }

    // The value drawn right of a panel label, after it.
    static std::wstring PanelValue(const std::vector<e2e::DrawnText>& texts, const wchar_t* label)
    {
        const e2e::DrawnText l = LastDrawn(texts, label);
        std::wstring value;
        for (const e2e::DrawnText& t : texts)
            if (t.window == mainWindow && t.y == l.y && t.x > l.x + 10 && t.sequence > l.sequence)
                value = t.text;
        return value;
    }
};

}  // namespace

TEST_F(VloxAcquisitionSettings, SystemCancelChangesNothing)
{
    const std::string before = ConfigText();
    HWND dialog = OpenDialog(IDM_SYSTEM_PARAMETERS, L"System Parameters");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(e2e::IsEnabled(e2e::Control(dialog, IDC_SYS_FIRST_RATE)));
    Click(dialog, IDC_SYS_TWOFREQ);
    EXPECT_TRUE(e2e::IsEnabled(e2e::Control(dialog, IDC_SYS_FIRST_RATE)));
    EXPECT_FALSE(e2e::IsEnabled(e2e::Control(dialog, IDC_SYS_RATE)));
    Type(dialog, IDC_SYS_TX_CURRENT, L"7");
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    EXPECT_EQ(ConfigText(), before);
}

TEST_F(VloxAcquisitionSettings, SystemSetsTwoFrequenciesAndCorrectsHostileNumbers)
{
    HWND dialog = OpenDialog(IDM_SYSTEM_PARAMETERS, L"System Parameters");
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_SYS_TWOFREQ);
    e2e::SelectComboItem(e2e::Control(dialog, IDC_SYS_FIRST_RATE), 2);   // 30 (20 gates)
    e2e::SelectComboItem(e2e::Control(dialog, IDC_SYS_SECOND_RATE), 9);  // 3 (30 gates)
    e2e::SelectComboItem(e2e::Control(dialog, IDC_SYS_FIRST_GAIN), 2);
    e2e::SelectComboItem(e2e::Control(dialog, IDC_SYS_SECOND_GAIN), 4);
    Type(dialog, IDC_SYS_TX_CURRENT, L"-3");
    Type(dialog, IDC_SYS_TURNS, L"abc");
    Type(dialog, IDC_SYS_TURNOFF, L"-99999");
    ASSERT_TRUE(vlox->WaitIdle(60000));
    // Turns that are no number are refused on their field (they used to be taken as 1).
    const std::string before = ConfigText();
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    EXPECT_EQ(e2e::AnswerBoxOver(*vlox, dialog), L"Number of Turns: \"abc\" is not a number. Press OK and correct");
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_EQ(e2e::FocusedWindow(dialog), e2e::Control(dialog, IDC_SYS_TURNS));
    EXPECT_TRUE(ConfigText() == before);
    Type(dialog, IDC_SYS_TURNS, L"0");
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    // The combined delay falls below the faster rate's limit: told, and the old turn-off kept.
    EXPECT_EQ(AnswerBox(L"V-LOX Warning"),
              L"Combined Rx Delay and Tx Turn Off out of range.\r\nThe combined value cannot be less than  -8330");
    ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 60000));
    ASSERT_TRUE(vlox->WaitIdle(60000));

    EXPECT_EQ(ConfigLine(7), "2");   // RepRateIndex of the first choice
    EXPECT_EQ(ConfigLine(11), "0");  // its gate set
    EXPECT_EQ(ConfigLine(37), "1");  // two frequencies on
    EXPECT_EQ(ConfigLine(38), "2");
    EXPECT_EQ(ConfigLine(39), "9");
    EXPECT_EQ(ConfigLine(40), "2");
    EXPECT_EQ(ConfigLine(41), "4");
    EXPECT_EQ(ConfigLine(14), "2");         // GainZ: the first repetition's gain
    EXPECT_EQ(ConfigLine(71), "1.000000");  // a current not above 0 becomes 1 A
    EXPECT_EQ(ConfigLine(72), "1");         // turns of 0: 1
    EXPECT_EQ(ConfigLine(73), "0.000000");  // the turn-off at opening
    const std::wstring gains = PanelValue(Drawn(), L"Gain:");
    EXPECT_TRUE(gains.rfind(L"3", 0) == 0 && gains.find(L"& 5") != std::wstring::npos) << e2e::ToUtf8(gains);
}

TEST_F(VloxAcquisitionSettings, PanelRowsRefuseAndOpenTheirDialogs)
{
    // The repetition rate of a two-frequency measurement belongs to the system dialog.
    ClickPanelRow(L"Repetition:");
    EXPECT_EQ(AnswerBox(L"Two Frequencies Measurements"),
              L"Please use Set Parameters|System Parameters dialog to select two Repetitions");

    ClickPanelRow(L"Tx Current:");
    HWND current = vlox->WaitMessageBox(L"Tx Current", 60000);
    ASSERT_NE(current, nullptr);
    Type(current, IDC_TXCURRENT_VALUE, L"abc");
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(current, IDOK));
    EXPECT_EQ(e2e::AnswerBoxOver(*vlox, current), L"Tx Current [A]: \"abc\" is not a number. Press OK and correct");
    ASSERT_TRUE(IsWindow(current));
    Type(current, IDC_TXCURRENT_VALUE, L"3.25");
    ASSERT_TRUE(CloseDialog(current, IDOK));
    EXPECT_EQ(ConfigLine(71), "3.250000");

    ClickPanelRow(L"Turn Off:");
    HWND turnOff = vlox->WaitMessageBox(L"Turn Off Time", 60000);
    ASSERT_NE(turnOff, nullptr);
    Type(turnOff, IDC_TURNOFF_VALUE, L"-9000");
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(turnOff, IDOK));
    EXPECT_EQ(AnswerBox(L"V-LOX Warning"),
              L"Combined Rx Delay and Tx Turn Off out of range.\r\nThe combined value cannot be less than  -8330");
    ASSERT_TRUE(e2e::WaitUntil([turnOff] { return !IsWindow(turnOff); }, 60000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(ConfigLine(73), "0.000000");

    ClickPanelRow(L"Records:");
    HWND records = vlox->WaitMessageBox(L"Records per Measurement", 60000);
    ASSERT_NE(records, nullptr);
    e2e::SelectComboItem(e2e::Control(records, IDC_RECORDS_LIST), 1);
    ASSERT_TRUE(CloseDialog(records, IDOK));
    EXPECT_EQ(ConfigLine(34), "1");

    // A popup menu: the units, "mV" chosen with the keyboard.
    ClickPanelRow(L"Units:");
    HWND menu = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&menu] { return (menu = vlox->FindTopWindow(L"#32768")) != nullptr; }, 60000));
    // Each key once the menu's loop has taken the one before: a busy machine may show the
    // menu's window before its loop runs.
    for (UINT key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        vlox->WaitIdle(60000);
        e2e::PostKey(menu, key);
    }
    ASSERT_TRUE(e2e::WaitUntil([] { return ConfigLine(21) == "1"; }, 60000)) << ConfigLine(21);
    ASSERT_TRUE(vlox->WaitIdle(60000));
    const std::vector<e2e::DrawnText> texts = Drawn();
    EXPECT_EQ(PanelValue(texts, L"Tx Current:"), L"3.25 A");
    EXPECT_EQ(PanelValue(texts, L"Units:"), L"mV");
    EXPECT_EQ(PanelValue(texts, L"Records:"), L"2");
}

TEST_F(VloxAcquisitionSettings, SurveyRefusesALoopWithoutAreaThenTakesTheLine)
{
    const std::string before = ConfigText();
    HWND dialog = OpenDialog(IDM_SURVEY_PARAMETERS, L"Survey Parameters");
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_SURVEY_LINE, L"100");
    Click(dialog, IDC_SURVEY_RECTANGLE);
    Type(dialog, IDC_SURVEY_LOOP_FIELD1, L"0");
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    EXPECT_EQ(AnswerBox(L"Transmitter Size Invalid"), L"Transmiter Area equals 0. Press OK and correct");
    ASSERT_TRUE(IsWindow(dialog));
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    // The refused OK wrote nothing.
    EXPECT_EQ(ConfigText(), before);

    dialog = OpenDialog(IDM_SURVEY_PARAMETERS, L"Survey Parameters");
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_SURVEY_LINE, L"100");
    Type(dialog, IDC_SURVEY_START_STATION, L"12.5");
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(26), "100.000000");
    EXPECT_EQ(ConfigLine(30), "12.500000");
}

TEST_F(VloxAcquisitionSettings, TwoFrequencyReadingStoredWithBothRates)
{
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 60000)) << "Monitor did not start";
    ASSERT_EQ(e2e::MeasureAndStore(*vlox, mainWindow, 120000), "");
    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(e2e::TodaysFirstDataFile(L"VLX"), &bytes));
    const std::string file(bytes.begin(), bytes.end());
    const std::vector<std::string> tags = e2e::RecordTags(file);
    // Two records per reading, each with the first rate's receiver record, then the second's.
    std::vector<std::string> receivers;
    for (size_t n = 0; n < tags.size(); ++n)
        if (tags[n] == "R1") {
            const std::string r = file.substr(n * e2e::RecordLength, e2e::RecordLength);
            receivers.push_back(r.substr(6, 3) + "/" + r.substr(42, 3) + "/" + r.substr(51, 3) + "/" + r.substr(38, 3));
        }
    EXPECT_EQ(receivers,
              (std::vector<std::string>{"  2/  0/ 20/  2", "  4/  1/ 30/  4", "  2/  0/ 20/  2", "  4/  1/ 30/  4"}));
}

TEST_F(VloxAcquisitionSettings, SavedConfigurationLoadsWithoutReset)
{
    e2e::Program again;
    ASSERT_TRUE(again.Start(e2e::InBinFolder(L"V-LOX.exe"), RunFolder));
    HWND main = again.WaitWindow(L"VLOX", nullptr, 60000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(e2e::WaitUntil([main] { return e2e::IsShown(e2e::Control(main, IDC_MONITOR)); }, 60000));
    // Past the splash and idle: a configuration it refused would be reported by now.
    ASSERT_TRUE(e2e::WaitUntil([main] { return !e2e::IsShown(e2e::Control(main, IDC_SPLASH_WND)); }, 60000));
    ASSERT_TRUE(again.WaitIdle(60000));
    for (const e2e::MessageBoxInfo& box : again.MessageBoxesSeen())
        ADD_FAILURE() << e2e::ToUtf8(box.caption) << ": " << e2e::ToUtf8(box.text);
    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(again, main, &code), "");
    EXPECT_EQ(ConfigLine(37), "1");
}
