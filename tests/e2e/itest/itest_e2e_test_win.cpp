// The internal test mode on the simulated board: V-LOX starts over a configuration of the
// user's own (rate, gates, plot scale, unit and gain not those of any test), Monitor runs, and
// each of the four tests in turn shows "Completed PASSED" in its text block; Exit Test Mode
// then gives the user's settings back, as the configuration saved afterwards shows. A second
// start with the simulation's test generator detuned shows "Completed FAILED". The verdict is
// drawn, not held by a control: the hook DLL records the texts V-LOX draws. Screenshots of the
// main window with each verdict, checked for the verdict and for controls over each other,
// are kept beside the test (e2e_itest_*.png).
#include "tests/e2e/harness/e2e_harness_win.h"

#include "resources/resource.h"

#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxitest";
const std::wstring ConfigPath = std::wstring(RunFolder) + L"\\VLOXTARNWEL.INI";
const int TestButtons[4] = {IDC_TEST_DC, IDC_TEST_100MS, IDC_TEST_3MS, IDC_TEST_01MS};
const wchar_t* const TimeConstantTexts[4] = {L"Time Constant: DC", L"Time Constant: 100 ms", L"Time Constant: 3 ms",
                                             L"Time Constant: 0.1 ms"};
// The board at its own pace, as in the field: at four times the pace a busy machine cannot
// take the samples as fast as they come, and the verdict then depends on the machine.
const wchar_t SimOptions[] = L"SpeedUp=1";
const wchar_t DetunedSimOptions[] = L"SpeedUp=1;TestSourceScale=0.8";

NullTableValues Nulls;

// The user's settings: none of them what a test sets.
SettingsValues UserSettings()
{
    SettingsValues s;
    s.RepRateIndex = 3;
    s.GateSet = 0;
    s.AmplitudeAxisMax = 500.0;
    s.AmplitudeAxisMin = 1.0;
    s.TimeAxisMaxMs = 50.0;
    s.TimeAxisMinMs = 0.01;
    s.DisplayUnit = 1;
    s.TimeAxisLabels = 1;
    s.AmplitudeAxisMinorGrid = 0;
    s.GainZ = 4;
    return s;
}

std::vector<uint8_t> ConfigBytes(const SettingsValues& s)
{
    const int32_t selected[RepRateCount] = {};
    const std::string text = ComposeConfigurationFile(s, Nulls, selected, NullTimeStamp{});
    return std::vector<uint8_t>(text.begin(), text.end());
}

// V-LOX over the user's configuration in the emptied run folder, past its splash, with the
// drawn texts recorded from then on.
HWND StartVlox(e2e::Program& vlox, const wchar_t* simOptions, std::string* error)
{
    // The simulated board in V-LOX's process reads its options from the environment.
    SetEnvironmentVariableW(L"QZSIM_OPTIONS", simOptions);
    const std::vector<uint8_t> config = ConfigBytes(UserSettings());
    HWND main = e2e::StartVloxPastSplash(vlox, RunFolder, error, std::string(config.begin(), config.end()));
    if (main == nullptr)
        return nullptr;
    long count = 0;
    if (!vlox.DrawnTextCount(main, &count)) {
        *error = "the hook does not record drawn texts";
        return nullptr;
    }
    return main;
}

bool StartMonitor(HWND main)
{
    return e2e::ClickButton(e2e::Control(main, IDC_MONITOR)) &&
           e2e::WaitUntil([main] { return e2e::IsShown(e2e::Control(main, IDC_PAUSE)); }, 15000);
}

const e2e::DrawnText* Find(const std::vector<e2e::DrawnText>& texts, const std::wstring& text)
{
    for (const e2e::DrawnText& t : texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

// Runs one test by its button and waits for its verdict; returns the verdict text ("" when
// none came) and checks the block drawn with it. The drawn verdict goes to *drawn.
std::wstring RunTest(e2e::Program& vlox, HWND main, int test, e2e::DrawnText* drawn = nullptr)
{
    long from = 0;
    EXPECT_TRUE(vlox.DrawnTextCount(main, &from));
    EXPECT_TRUE(e2e::PostCommand(main, TestButtons[test]));
    std::vector<e2e::DrawnText> texts;
    const bool done = e2e::WaitUntil(
        [&] {
            texts = e2e::TextsDrawnOn(vlox, main, main, from);
            return Find(texts, L"Completed PASSED") != nullptr || Find(texts, L"Completed FAILED") != nullptr;
        },
        45000, 250);
    if (!done) {
        ADD_FAILURE() << "no verdict of test " << test;
        return L"";
    }
    const e2e::DrawnText* title = Find(texts, L"INTERNAL TEST MODE");
    const e2e::DrawnText* constant = Find(texts, TimeConstantTexts[test]);
    const e2e::DrawnText* wait = Find(texts, L"Please Wait...");
    const e2e::DrawnText* passed = Find(texts, L"Completed PASSED");
    const e2e::DrawnText* verdict = passed != nullptr ? passed : Find(texts, L"Completed FAILED");
    EXPECT_NE(title, nullptr) << test;
    EXPECT_NE(constant, nullptr) << test;
    EXPECT_NE(wait, nullptr) << test;
    if (title != nullptr && constant != nullptr && wait != nullptr) {
        // Three lines 18 pixels apart; the verdict replaces "Please Wait...".
        EXPECT_EQ(constant->y, title->y + 18);
        EXPECT_EQ(wait->y, title->y + 36);
        EXPECT_EQ(verdict->y, wait->y);
        EXPECT_LT(wait->sequence, verdict->sequence);
    }
    if (drawn != nullptr)
        *drawn = *verdict;
    return verdict->text;
}

// The test screen as the operator sees it, kept beside the test: the verdict's ink where it
// was drawn, no control over it, and no two shown controls over each other ("E&xit Test
// Mode" used to stand over "Pause").
void CheckTestScreen(HWND main, const e2e::DrawnText& verdict, const wchar_t* png)
{
    e2e::RgbImage image;
    ASSERT_TRUE(e2e::CaptureClient(main, &image));
    e2e::SavePng(image, e2e::InBinFolder(png));
    const RECT line{verdict.x, verdict.y, verdict.x + 60, verdict.y + 14};
    EXPECT_GT(e2e::DarkPixels(image, line), 40) << "the verdict is not on the screen";
    for (HWND child : e2e::Children(main)) {
        RECT r = e2e::RectInParent(child), both{};
        EXPECT_FALSE(e2e::IsShown(child) && IntersectRect(&both, &r, &line))
            << e2e::ToUtf8(e2e::TextOf(child)) << " lies over the verdict";
    }
    for (const std::string& pair : e2e::OverlappingChildren(main))
        ADD_FAILURE() << pair;
}

SettingsValues SavedSettings()
{
    std::vector<uint8_t> bytes;
    SettingsValues s;
    SettingsDerived d;
    static NullTableValues nulls;
    // V-LOX holds the file exclusively while it writes it: it reads once the save is done.
    if (!e2e::WaitUntil([&] { return e2e::ReadFileBytes(ConfigPath, &bytes); }, 10000)) {
        ADD_FAILURE() << "the saved configuration cannot be read";
        return s;
    }
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(LoadConfiguration(text, s, d, nulls, ConfigLoadEnvironment{}), 1);
    EXPECT_EQ(d.ConfigInvalid, 0);
    return s;
}

}  // namespace

TEST(InternalTestMode, EachTestPassesAndLeavingBringsBackTheUserSettings)
{
    e2e::Program vlox;
    std::string error;
    HWND main = StartVlox(vlox, SimOptions, &error);
    ASSERT_NE(main, nullptr) << error;
    ASSERT_TRUE(StartMonitor(main));

    e2e::DrawnText verdict;
    for (int test = 0; test < 4; ++test)
        EXPECT_EQ(RunTest(vlox, main, test, &verdict), L"Completed PASSED") << "test " << test;
    vlox.WaitIdle(60000);
    EXPECT_TRUE(e2e::IsShown(e2e::Control(main, IDC_EXIT_TEST)));
    EXPECT_FALSE(e2e::IsShown(e2e::Control(main, IDC_PAUSE))) << "Pause under Exit Test Mode";
    CheckTestScreen(main, verdict, L"e2e_itest_passed.png");

    ASSERT_TRUE(e2e::PostCommand(main, IDC_EXIT_TEST));
    ASSERT_TRUE(e2e::WaitUntil([main] { return !e2e::IsShown(e2e::Control(main, IDC_EXIT_TEST)); }, 10000));
    // Monitoring goes on: "Pause" is back in its place (shown after Exit Test Mode goes).
    EXPECT_TRUE(e2e::WaitUntil([main] { return e2e::IsShown(e2e::Control(main, IDC_PAUSE)); }, 60000));
    // Invert saves the configuration: what it writes now must be the user's settings again.
    ASSERT_TRUE(DeleteFileW(ConfigPath.c_str()));
    ASSERT_TRUE(e2e::PostCommand(main, IDC_INVERT));
    ASSERT_TRUE(e2e::WaitUntil([] { return e2e::FileExists(ConfigPath); }, 10000));
    vlox.WaitIdle(60000);
    const SettingsValues saved = SavedSettings();
    SettingsValues user = UserSettings();
    // The station map's fit at the start sets the map size to the loop's.
    user.MapSize = saved.MapSize;
    EXPECT_EQ(saved.RepRateIndex, user.RepRateIndex);
    EXPECT_EQ(saved.GateSet, user.GateSet);
    EXPECT_EQ(saved.AmplitudeAxisMax, user.AmplitudeAxisMax);
    EXPECT_EQ(saved.AmplitudeAxisMin, user.AmplitudeAxisMin);
    EXPECT_EQ(saved.TimeAxisMaxMs, user.TimeAxisMaxMs);
    EXPECT_EQ(saved.TimeAxisMinMs, user.TimeAxisMinMs);
    EXPECT_EQ(saved.DisplayUnit, user.DisplayUnit);
    EXPECT_EQ(saved.TimeAxisLabels, user.TimeAxisLabels);
    EXPECT_EQ(saved.AmplitudeAxisMinorGrid, user.AmplitudeAxisMinorGrid);
    EXPECT_EQ(saved.GainZ, user.GainZ);
    EXPECT_TRUE(saved == user) << "another setting changed";

    EXPECT_TRUE(vlox.MessageBoxesSeen().empty());
    ASSERT_TRUE(e2e::PostClose(main));
    EXPECT_TRUE(vlox.WaitExit(20000));
}

TEST(InternalTestMode, DetunedTestGeneratorFails)
{
    e2e::Program vlox;
    std::string error;
    HWND main = StartVlox(vlox, DetunedSimOptions, &error);
    ASSERT_NE(main, nullptr) << error;
    ASSERT_TRUE(StartMonitor(main));
    e2e::DrawnText verdict;
    EXPECT_EQ(RunTest(vlox, main, 0, &verdict), L"Completed FAILED");
    vlox.WaitIdle(60000);
    CheckTestScreen(main, verdict, L"e2e_itest_failed.png");
    ASSERT_TRUE(e2e::PostCommand(main, IDC_EXIT_TEST));
    EXPECT_TRUE(vlox.MessageBoxesSeen().empty());
    ASSERT_TRUE(e2e::PostClose(main));
    EXPECT_TRUE(vlox.WaitExit(20000));
}
