// SettingsFile on a real file in a temporary folder, and the corrupt-configuration path with
// its message box pressed by a helper thread.
#include "vlox/settings/settings_file_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::wstring MakeTempFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"vlox-settings-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(GetTickCount());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string ReadWhole(const std::wstring& path)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(f);
    return bytes;
}

void WriteWhole(const std::wstring& path, const std::string& bytes)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring CurrentFolder()
{
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    return cwd;
}

// The file with line n (1-based) holding text instead.
std::string WithLine(const std::string& file, int n, const std::string& text)
{
    size_t pos = 0;
    for (int i = 1; i < n; ++i)
        pos = file.find("\r\n", pos) + 2;
    return file.substr(0, pos) + text + file.substr(file.find("\r\n", pos));
}

std::string SettingLines(const std::string& file)
{
    size_t pos = 0;
    for (int i = 0; i < 499; ++i)
        pos = file.find("\r\n", pos) + 2;
    return file.substr(0, pos);
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTempFolder();
        lstrcpynW(StartDirectory, folder.c_str(), MAX_PATH);
        file = folder + L"\\VLOXTARNWEL.INI";
        Settings = SettingsValues{};
        ConfigInvalid = 0;
        ConfigRefusedLine = 0;
        ClearNullTables(NullTablesStore);
    }
    void TearDown() override
    {
        DeleteFileW(file.c_str());
        for (const wchar_t* kept : {L".bad", L".bad2", L".bad3"})
            DeleteFileW((file + kept).c_str());
        RemoveDirectoryW(folder.c_str());
        Settings = SettingsValues{};
        ConfigInvalid = 0;
    }
    std::wstring folder;
    std::wstring file;
};

}  // namespace

TEST_F(SettingsFileTest, FirstStartWritesTheDefaultFile)
{
    const std::wstring before = CurrentFolder();
    ASSERT_FALSE(Exists(file));
    SettingsFile(SettingsLoad);
    EXPECT_EQ(CurrentFolder(), before);
    EXPECT_EQ(ConfigInvalid, 0);
    EXPECT_TRUE(Settings == SettingsValues{});
    EXPECT_EQ(ConfigFile, INVALID_HANDLE_VALUE);
    const std::string bytes = ReadWhole(file);
    auto nulls = std::make_unique<NullTableValues>();
    const int32_t none[RepRateCount] = {};
    const std::string expected = ComposeConfigurationFile(SettingsValues{}, *nulls, none, NullTimeStamp{});
    EXPECT_EQ(bytes.size(), expected.size());
    EXPECT_EQ(SettingLines(bytes), SettingLines(expected));
    EXPECT_EQ(bytes.substr(0, 7), "V1.42\r\n");
}

TEST_F(SettingsFileTest, SaveThenLoadKeepsTheSettings)
{
    Settings.DataDirectory = L"C:\\Dat\u00e9\\";
    Settings.OperatorName = L"Field Crew";
    Settings.RepRateIndex = 5;
    Settings.GateSet = 0;
    Settings.MapSize = 123.5;
    Settings.LineColours[7] = 0x123456;
    NullingTables[1][3][2][4] = 4.5e-6;
    const SettingsValues saved = Settings;
    const std::wstring before = CurrentFolder();
    SettingsFile(SettingsSave);
    EXPECT_EQ(CurrentFolder(), before);
    const std::string bytes = ReadWhole(file);
    // One byte per character in the file.
    EXPECT_EQ(bytes.substr(7, 10), "C:\\Dat\xE9\\\r\n");

    Settings = SettingsValues{};
    ClearNullTables(NullTablesStore);
    SettingsFile(SettingsLoad);
    EXPECT_EQ(ConfigInvalid, 0);
    EXPECT_TRUE(Settings == saved);
    EXPECT_EQ(Settings.DataDirectory, L"C:\\Dat\u00e9\\");
    EXPECT_DOUBLE_EQ(NullingTables[1][3][2][4], 4.5e-6);
    EXPECT_EQ(RepetitionRate, 0.75);
    EXPECT_EQ(GateCount, 20);
    EXPECT_EQ(ReadWhole(file).size(), bytes.size());
}

TEST_F(SettingsFileTest, AnotherVersionIsReplacedByTheValuesInMemory)
{
    std::string old = "V1.40\r\n3\r\n";
    WriteWhole(file, old);
    SettingsFile(SettingsLoad);
    EXPECT_EQ(ConfigInvalid, 0);
    EXPECT_TRUE(Settings == SettingsValues{});
    const std::string bytes = ReadWhole(file);
    EXPECT_EQ(bytes.substr(0, 7), "V1.42\r\n");
    EXPECT_GT(bytes.size(), 60000u);
}

// Mended: a file of another version was deleted before the defaults were written, null
// tables and all. It is kept beside the new file, under a name of its own each time.
// Mended: a file without a version line at all (an empty one, one of zeros after a power cut,
// UTF-16) was replaced by the defaults without a word. It is a damaged file: refused at line
// 1 and left in place, for the corrupt-configuration message to name the line and keep it.
TEST_F(SettingsFileTest, AFileNotReadIsKeptBesideTheNewOne)
{
    const struct {
        std::string bytes;
        const wchar_t* kept;  // the version replaced, kept there; null: damaged, left as it is
    } cases[] = {
        {"V1.40\r\n3\r\n", L".bad"},
        {"", nullptr},
        {std::string(3000, '\0'), nullptr},
        {std::string("\xFF\xFEV\0001\0.\0004\0002\0\r\0\n\0", 16), nullptr},
        {"V2.0\r\n", L".bad2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        ConfigInvalid = 0;
        ConfigRefusedLine = 0;
        WriteWhole(file, c.bytes);
        SettingsFile(SettingsLoad);
        EXPECT_TRUE(Settings == SettingsValues{});
        if (c.kept == nullptr) {
            EXPECT_EQ(ConfigInvalid, 1);
            EXPECT_EQ(ConfigRefusedLine, 1);
            EXPECT_EQ(ReadWhole(file), c.bytes);
            continue;
        }
        EXPECT_EQ(ConfigInvalid, 0);
        EXPECT_EQ(ReadWhole(file).substr(0, 7), "V1.42\r\n");
        EXPECT_TRUE(Exists(file + c.kept));
        EXPECT_EQ(ReadWhole(file + c.kept), c.bytes);
    }
}

// Mended: a file saved with LF line ends (as a Unix editor leaves it) read "V1.4" as its
// version and was replaced by the defaults; one whose last CR LF an editor dropped was
// reset. Each loads with its values, and stays as it is.
TEST_F(SettingsFileTest, FileWithLineFeedEndsLoadsWithItsValues)
{
    Settings.OperatorName = L"Field Crew";
    Settings.MapSize = 123.5;
    NullingTables[1][3][2][4] = 4.5e-6;
    const SettingsValues saved = Settings;
    SettingsFile(SettingsSave);
    const std::string crlf = ReadWhole(file);
    std::string lf;
    for (char c : crlf)
        if (c != '\r')
            lf += c;
    for (const std::string& edited : {lf, crlf.substr(0, crlf.size() - 2)}) {
        WriteWhole(file, edited);
        Settings = SettingsValues{};
        ClearNullTables(NullTablesStore);
        SettingsFile(SettingsLoad);
        EXPECT_EQ(ConfigInvalid, 0);
        EXPECT_TRUE(Settings == saved);
        EXPECT_DOUBLE_EQ(NullingTables[1][3][2][4], 4.5e-6);
        EXPECT_EQ(ReadWhole(file), edited);
        EXPECT_FALSE(Exists(file + L".bad"));
    }
}

TEST_F(SettingsFileTest, BadValueMarksTheConfigurationCorrupt)
{
    SettingsFile(SettingsSave);
    WriteWhole(file, WithLine(ReadWhole(file), 7, "7"));
    SettingsFile(SettingsLoad);
    EXPECT_EQ(ConfigInvalid, 1);
    EXPECT_EQ(ConfigRefusedLine, 7);
    EXPECT_EQ(Settings.RepRateIndex, 2);
    // The file stays until the reset deletes it.
    EXPECT_TRUE(Exists(file));
}

TEST_F(SettingsFileTest, DeleteRemovesTheFile)
{
    SettingsFile(SettingsSave);
    ASSERT_TRUE(Exists(file));
    EXPECT_NE(SettingsFile(SettingsDelete), 0);
    EXPECT_FALSE(Exists(file));
}

namespace {

std::vector<std::string> Calls;
std::atomic<int> EndCode{-1};

void RecordCloseGps()
{
    Calls.push_back("gps");
}
void RecordSplash()
{
    Calls.push_back("splash");
}
void RecordStop()
{
    Calls.push_back("board");
}
void RecordEnd(uint32_t code)
{
    EndCode = static_cast<int>(code);
}

// Waits for the message box, reads its text and presses OK.
void PressOk(std::wstring* text, std::atomic<bool>* found)
{
    for (int i = 0; i < 3000 && !*found; ++i) {
        HWND box = FindWindowW(L"#32770", L"Reset to Default Settings");
        if (box != nullptr) {
            wchar_t buf[1024] = {};
            GetDlgItemTextW(box, 0xFFFF, buf, 1024);
            *text = buf;
            *found = true;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            return;
        }
        Sleep(20);
    }
}

}  // namespace

// Mended: the reset deleted the refused file, and with it null tables that may be worth more
// than the rest. It is kept beside the new one (a second one under a numbered name) and the
// message says where, and which line was refused; the operator's own reset from the menu
// still deletes the file.
TEST_F(SettingsFileTest, ReportedCorruptionResetsTheConfiguration)
{
    const ConfigResetHooks saved = ResetHooks;
    ResetHooks.CloseGpsPort = RecordCloseGps;
    ResetHooks.ShowClosingSplash = RecordSplash;
    ResetHooks.StopAcquisition = RecordStop;
    ResetHooks.EndProcess = RecordEnd;

    // Any flag but 0 does nothing.
    SettingsFile(SettingsSave);
    ReportCorruptConfiguration(1);
    EXPECT_TRUE(Calls.empty());
    EXPECT_TRUE(Exists(file));

    const struct {
        bool reported;        // the corrupt-configuration path, or the menu's reset
        const wchar_t* kept;  // where the file is kept, null: deleted
        int32_t line;         // the line the loader refused
        const wchar_t* said;  // what the message says of it
    } cases[] = {{true, L".bad", 7, L"Line 7 holds a value that is refused.\r\n"},
                 {true, L".bad2", 1, L"Line 1 is not the version line V1.42.\r\n"},
                 {true, L".bad3", 0, L""},
                 {false, nullptr, 0, L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Calls.clear();
        EndCode = -1;
        ConfigRefusedLine = c.line;
        Settings.OperatorName = c.kept != nullptr ? std::wstring(L"Crew") + c.kept : L"Crew";
        SettingsFile(SettingsSave);
        const std::string before = ReadWhole(file);
        std::wstring text;
        std::atomic<bool> found{false};
        std::thread presser;
        if (c.reported)
            presser = std::thread(PressOk, &text, &found);
        const DWORD start = GetTickCount();
        if (c.reported)
            ReportCorruptConfiguration(0);
        else
            ResetConfiguration();
        const DWORD elapsed = GetTickCount() - start;
        if (presser.joinable())
            presser.join();

        EXPECT_EQ(Calls, (std::vector<std::string>{"gps", "splash", "board"}));
        EXPECT_GE(elapsed, 2000u);
        EXPECT_FALSE(Exists(file));
        EXPECT_EQ(EndCode, 0);
        EXPECT_EQ(ConfigFile, INVALID_HANDLE_VALUE);
        if (c.kept == nullptr) {
            EXPECT_FALSE(found);
            continue;
        }
        EXPECT_TRUE(found);
        EXPECT_EQ(text, L"Configuration file is corrupted, press OK to reset, then start the program.\r\n" +
                            std::wstring(c.said) + L"The old file is kept as " + file + c.kept);
        EXPECT_EQ(ReadWhole(file + c.kept), before);
    }
    ResetHooks = saved;
}

namespace {

// Each fails once it is installed; a failing write writes half first, as a full card does.
HANDLE WINAPI FailCreate(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    SetLastError(ERROR_DISK_FULL);
    return INVALID_HANDLE_VALUE;
}
BOOL WINAPI FailWrite(HANDLE file, LPCVOID bytes, DWORD n, LPDWORD written, LPOVERLAPPED)
{
    WriteFile(file, bytes, n / 2, written, nullptr);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
BOOL WINAPI FailFlush(HANDLE)
{
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
BOOL WINAPI FailMove(LPCWSTR, LPCWSTR, DWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

std::vector<std::wstring> SaveMessages;
int WINAPI NoteSaveMessage(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    SaveMessages.push_back(text);
    return IDOK;
}

}  // namespace

// Pins: a save that fails at any step (create, write, flush, replace) keeps the file saved
// before, whole, leaves no temporary file and tells the operator; a good save leaves none.
TEST_F(SettingsFileTest, FailedSaveAtAnyStepKeepsTheOldFileAndSaysSo)
{
    ConfigMessageBox = NoteSaveMessage;
    Settings.OperatorName = L"Before";
    SettingsFile(SettingsSave);
    const std::string before = ReadWhole(file);
    ASSERT_FALSE(before.empty());
    const std::wstring temporary = file + L".new";
    for (int step = 0; step < 4; ++step) {
        SCOPED_TRACE(step);
        ConfigFileSystem = ConfigFileCalls{};
        if (step == 0)
            ConfigFileSystem.Create = FailCreate;
        if (step == 1)
            ConfigFileSystem.Write = FailWrite;
        if (step == 2)
            ConfigFileSystem.Flush = FailFlush;
        if (step == 3)
            ConfigFileSystem.Move = FailMove;
        SaveMessages.clear();
        Settings.OperatorName = L"After";
        SettingsFile(SettingsSave);
        EXPECT_EQ(ReadWhole(file), before);
        EXPECT_FALSE(Exists(temporary));
        ASSERT_EQ(SaveMessages.size(), 1u);
        EXPECT_EQ(SaveMessages[0], ConfigSaveFailureText);
    }
    ConfigFileSystem = ConfigFileCalls{};
    SaveMessages.clear();
    SettingsFile(SettingsSave);
    EXPECT_TRUE(SaveMessages.empty());
    EXPECT_FALSE(Exists(temporary));
    EXPECT_NE(ReadWhole(file), before);
    Settings = SettingsValues{};
    SettingsFile(SettingsLoad);
    EXPECT_EQ(Settings.OperatorName, L"After");
    ConfigMessageBox = MessageBoxW;
}

// Pins: a save whose text the next start would refuse is not written, whatever asked for it;
// the file saved before stays as it was and the operator is told which line.
TEST_F(SettingsFileTest, SaveThatWouldNotLoadIsRefusedAndSaysSo)
{
    ConfigMessageBox = NoteSaveMessage;
    SettingsFile(SettingsSave);
    const std::string before = ReadWhole(file);
    const struct {
        int32_t line;
        void (*spoil)(SettingsValues&);
    } cases[] = {
        {491, [](SettingsValues& s) { s.MapSize = 0.005; }},
        {15, [](SettingsValues& s) { s.TimeAxisMinMs = 1e-7; }},
        {498, [](SettingsValues& s) { s.MeterModel = 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Settings = SettingsValues{};
        c.spoil(Settings);
        SaveMessages.clear();
        SettingsFile(SettingsSave);
        EXPECT_EQ(ReadWhole(file), before);
        EXPECT_FALSE(Exists(file + L".new"));
        ASSERT_EQ(SaveMessages.size(), 1u);
        EXPECT_EQ(SaveMessages[0], ConfigSaveRefusedText(c.line));
    }
    EXPECT_EQ(ConfigSaveRefusedText(491),
              L"The settings could not be saved: line 491 would not load at the next start. The settings saved "
              L"before are kept.");
    ConfigMessageBox = MessageBoxW;
}
