// V-LOX on a damaged configuration file: the screen comes up, the splash closes, the operator
// is told which line was refused and where the file is kept, and OK moves it aside
// ("VLOXTARNWEL.INI.bad") and ends the program with 0. The next start then runs on the
// defaults and writes a fresh file beside the kept one. A file saved with LF line ends loads
// with its values.
#include "tests/e2e/harness/e2e_harness_win.h"

#include "resources/resource.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t* const RunFolder = L"C:\\vloxcfg";
const std::wstring ConfigPath = std::wstring(RunFolder) + L"\\VLOXTARNWEL.INI";

std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

// Starts V-LOX over the given configuration bytes and answers the corrupt-configuration box,
// which names the refused line as said.
void ExpectResetOf(const std::vector<uint8_t>& config, const wchar_t* said)
{
    ASSERT_TRUE(e2e::MakeEmptyFolder(RunFolder));
    ASSERT_TRUE(e2e::WriteFileBytes(ConfigPath, config));

    e2e::Program vlox;
    ASSERT_TRUE(vlox.Start(e2e::InBinFolder(L"V-LOX.exe"), RunFolder));
    HWND main = vlox.WaitWindow(L"VLOX", nullptr, 60000);
    ASSERT_NE(main, nullptr);
    // The whole screen is built before the message: the buttons exist under the splash.
    EXPECT_NE(e2e::Control(main, IDC_MONITOR), nullptr);

    HWND box = vlox.WaitMessageBox(L"Reset to Default Settings", 25000);
    ASSERT_NE(box, nullptr) << "no corrupt-configuration message after the splash";
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &info));
    EXPECT_EQ(info.text, L"Configuration file is corrupted, press OK to reset, then start the program.\r\n" +
                             std::wstring(said) + L"The old file is kept as " + ConfigPath + L".bad");
    ASSERT_TRUE(e2e::PressButton(box, IDOK));

    DWORD code = 99;
    ASSERT_TRUE(vlox.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(e2e::FileExists(ConfigPath));
    // The refused file is kept as it was: its null tables may be worth more than the rest.
    std::vector<uint8_t> kept;
    ASSERT_TRUE(e2e::ReadFileBytes(ConfigPath + L".bad", &kept));
    EXPECT_TRUE(kept == config);
    // The reset message is the only box of the run.
    EXPECT_EQ(vlox.MessageBoxesSeen().size(), 1u);
}

}  // namespace

// Mended: a file without a version line (here one saved as UTF-16) was replaced by the
// defaults without a word, GPS input off among them. It is told as a damaged file is.
TEST(ConfigurationReset, TruncatedFileIsReportedAndKeptAside)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("V1.42\r\nC:\\Vlox_Data\\\r\n"))
        utf16 += std::string(1, c) + '\0';
    const struct {
        std::string bytes;
        const wchar_t* said;
    } cases[] = {
        {"V1.42\r\n1\r\n", L"Line 3 holds a value that is refused.\r\n"},
        {utf16, L"Line 1 is not the version line V1.42.\r\n"},
    };
    for (const auto& c : cases)
        ExpectResetOf(Bytes(c.bytes), c.said);
}

TEST(ConfigurationReset, BadValueIsReportedAndNextStartRunsOnDefaults)
{
    // A first start writes the default file; one of its values is then spoiled by hand.
    ASSERT_TRUE(e2e::MakeEmptyFolder(RunFolder));
    {
        e2e::Program vlox;
        ASSERT_TRUE(vlox.Start(e2e::InBinFolder(L"V-LOX.exe"), RunFolder));
        HWND main = vlox.WaitWindow(L"VLOX", nullptr, 60000);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(e2e::WaitUntil([] { return e2e::FileExists(ConfigPath); }, 60000));
        ASSERT_TRUE(e2e::PostClose(main));
        DWORD code = 99;
        ASSERT_TRUE(vlox.WaitExit(20000, &code));
        EXPECT_EQ(code, 0u);
    }
    std::vector<uint8_t> config;
    ASSERT_TRUE(e2e::ReadFileBytes(ConfigPath, &config));
    std::string text(config.begin(), config.end());
    ASSERT_EQ(text.rfind("V1.42\r\n", 0), 0u);
    // Line 5 holds the mains choice, 0 or 1: 7 is out of its range.
    size_t at = 0;
    for (int line = 1; line < 5; ++line)
        at = text.find("\r\n", at) + 2;
    size_t end = text.find("\r\n", at);
    std::string spoiled = text.substr(0, at) + "7" + text.substr(end);
    ExpectResetOf(Bytes(spoiled), L"Line 5 holds a value that is refused.\r\n");

    // The next start runs on the defaults and writes a fresh file, without a message.
    e2e::Program again;
    ASSERT_TRUE(again.Start(e2e::InBinFolder(L"V-LOX.exe"), RunFolder));
    HWND main = again.WaitWindow(L"VLOX", nullptr, 60000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(e2e::WaitUntil([] { return e2e::FileExists(ConfigPath); }, 60000));
    // Past the splash and idle: a corrupt file would be reported by now.
    ASSERT_TRUE(e2e::WaitUntil([main] { return !e2e::IsShown(e2e::Control(main, IDC_SPLASH_WND)); }, 60000));
    ASSERT_TRUE(again.WaitIdle(60000));
    EXPECT_TRUE(again.OpenMessageBoxes().empty());
    ASSERT_TRUE(e2e::PostClose(main));
    DWORD code = 99;
    ASSERT_TRUE(again.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
    std::vector<uint8_t> fresh;
    ASSERT_TRUE(e2e::ReadFileBytes(ConfigPath, &fresh));
    // The settings lines are the defaults again (the null tables after them carry times).
    auto settingsLines = [](const std::vector<uint8_t>& b) {
        std::string t(b.begin(), b.end());
        size_t at = 0;
        for (int line = 0; line < 499 && at != std::string::npos; ++line)
            at = t.find("\r\n", at) == std::string::npos ? std::string::npos : t.find("\r\n", at) + 2;
        return at == std::string::npos ? std::string() : t.substr(0, at);
    };
    EXPECT_FALSE(settingsLines(config).empty());
    EXPECT_EQ(settingsLines(fresh), settingsLines(config));
    EXPECT_TRUE(again.MessageBoxesSeen().empty());
    // The kept file lies beside the fresh one.
    std::vector<uint8_t> kept;
    ASSERT_TRUE(e2e::ReadFileBytes(ConfigPath + L".bad", &kept));
    EXPECT_EQ(std::string(kept.begin(), kept.end()), spoiled);
}

// Mended: a file saved with LF line ends, as a Unix editor leaves it, lost the last character
// of its version line and was replaced by the defaults without a word.
TEST(ConfigurationReset, FileWithLineFeedEndsLoadsWithItsValues)
{
    SettingsValues s{};
    s.OperatorName = L"LF Crew";
    s.SurveyLine = 250.0;
    auto nulls = std::make_unique<NullTableValues>();
    const int32_t none[RepRateCount] = {};
    std::string lf;
    for (char c : ComposeConfigurationFile(s, *nulls, none, NullTimeStamp{}))
        if (c != '\r')
            lf += c;

    e2e::Program vlox;
    std::string error;
    HWND main = e2e::StartVloxPastSplash(vlox, RunFolder, &error, lf);
    ASSERT_NE(main, nullptr) << error;
    // The file was read, not replaced.
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(ConfigPath, &bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), lf);
    // A save writes what was loaded.
    ASSERT_TRUE(e2e::PostCommand(main, IDM_PROFILE_VIEW));
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return e2e::ReadFileBytes(ConfigPath, &bytes) && std::string(bytes.begin(), bytes.end()) != lf; },
        10000));
    ASSERT_TRUE(vlox.WaitIdle(60000));
    ASSERT_TRUE(e2e::ReadFileBytes(ConfigPath, &bytes));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.find("V1.42\r\nC:\\Vlox_Data\\\r\nC:\\Vlox_Data\\\r\nLF Crew\r\n"), 0u);
    EXPECT_NE(text.find("\r\n250.000000\r\n"), std::string::npos);
    EXPECT_TRUE(vlox.MessageBoxesSeen().empty());
    EXPECT_FALSE(e2e::FileExists(ConfigPath + L".bad"));
    ASSERT_TRUE(e2e::PostClose(main));
    DWORD code = 99;
    ASSERT_TRUE(vlox.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
}
