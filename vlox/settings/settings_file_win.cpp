#include "vlox/settings/settings_file_win.h"

#include "vlox/settings/config_file.h"
#include "vlox/settings/file_replace.h"
#include "vlox/settings/textconv.h"

#include <memory>
#include <string>

wchar_t StartDirectory[MAX_PATH] = L"";
wchar_t SavedDirectory[MAX_PATH] = L"";
HANDLE ConfigFile = INVALID_HANDLE_VALUE;
HWND CorruptMessageOwner = nullptr;
int32_t ConfigRefusedLine = 0;

static void EndProcessNow(uint32_t exitCode)
{
    ExitProcess(exitCode);
}

ConfigResetHooks ResetHooks = {nullptr, nullptr, nullptr, EndProcessNow};

static const wchar_t ConfigFileNameW[] = L"VLOXTARNWEL.INI";

// A configuration file is well under 100 kB; more than this is never needed to read one.
static const DWORD ConfigReadLimit = 1 << 20;

ConfigFileCalls ConfigFileSystem;
ConfigMessageBoxFunction ConfigMessageBox = MessageBoxW;

static const wchar_t ConfigTemporaryNameW[] = L"VLOXTARNWEL.INI.new";

namespace {

// The configuration file rewritten through a temporary file beside it (in the current
// folder, the start folder).
class ConfigFileReplace : public FileReplaceHost {
public:
    bool CreateTemporary() override
    {
        ConfigFile = ConfigFileSystem.Create(ConfigTemporaryNameW, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr);
        return ConfigFile != INVALID_HANDLE_VALUE;
    }
    bool WriteTemporary(const std::string& bytes) override
    {
        DWORD written = 0;
        return ConfigFileSystem.Write(ConfigFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    bool FlushTemporary() override { return ConfigFileSystem.Flush(ConfigFile) != 0; }
    bool CloseTemporary() override
    {
        const HANDLE closing = ConfigFile;
        ConfigFile = INVALID_HANDLE_VALUE;
        return CloseHandle(closing) != 0;
    }
    bool ReplaceTarget() override
    {
        return ConfigFileSystem.Move(ConfigTemporaryNameW, ConfigFileNameW,
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    void DiscardTemporary() override
    {
        if (ConfigFile != INVALID_HANDLE_VALUE)
            CloseHandle(ConfigFile);
        ConfigFile = INVALID_HANDLE_VALUE;
        DeleteFileW(ConfigTemporaryNameW);
    }
};

}  // namespace

// Writes the version line, the settings in memory and the null tables. The file on the disk
// is either the last saved one or this one, whole: a failed save keeps the old one and the
// operator is told, since the next start would otherwise find older settings silently.
static bool WriteConfigurationFile()
{
    std::string bytes = ComposeConfigurationFile(SettingsToSave(), NullTablesStore, NullRateSelected, LocalTimeNow());
    // A text the next start would refuse would cost the operator every setting and null table
    // at that start: it is never written.
    const int32_t refused = RefusedConfigurationLine(bytes, SettingsLoadEnvironment);
    if (refused != 0) {
        ConfigMessageBox(CorruptMessageOwner, ConfigSaveRefusedText(refused).c_str(), L"File Error",
                         MB_OK | MB_ICONERROR);
        return false;
    }
    ConfigFileReplace host;
    if (ReplaceFileContents(host, bytes))
        return true;
    ConfigMessageBox(CorruptMessageOwner, ConfigSaveFailureText, L"File Error", MB_OK | MB_ICONERROR);
    return false;
}

std::wstring ConfigSaveRefusedText(int32_t line)
{
    return L"The settings could not be saved: line " + std::to_wstring(line) +
           L" would not load at the next start. The settings saved before are kept.";
}

// A name in the start folder.
static std::wstring InStartFolder(const std::wstring& name)
{
    std::wstring path = StartDirectory;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path + name;
}

std::wstring RefusedConfigurationAside()
{
    std::wstring name = std::wstring(ConfigFileNameW) + L".bad";
    for (int n = 2; n < 1000 && GetFileAttributesW(InStartFolder(name).c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        name = std::wstring(ConfigFileNameW) + L".bad" + std::to_wstring(n);
    return InStartFolder(name);
}

std::wstring CorruptConfigurationText(const std::wstring& aside, int32_t refusedLine)
{
    std::wstring text = L"Configuration file is corrupted, press OK to reset, then start the program.\r\n";
    if (refusedLine == 1)
        text += L"Line 1 is not the version line " + NarrowToWide(std::string(ConfigVersion)) + L".\r\n";
    else if (refusedLine > 1)
        text += L"Line " + std::to_wstring(refusedLine) + L" holds a value that is refused.\r\n";
    return text + L"The old file is kept as " + aside;
}

// Moves the refused file to aside (its null tables may be worth more than the rest); deleted
// only when it cannot be moved, so that the next start does not meet it again.
static void SetConfigurationAside(const std::wstring& aside)
{
    if (MoveFileExW(InStartFolder(ConfigFileNameW).c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH) == 0)
        DeleteFileW(InStartFolder(ConfigFileNameW).c_str());
}

static std::string ReadConfigurationBytes(HANDLE file)
{
    std::string bytes;
    char chunk[16384];
    DWORD got = 0;
    while (bytes.size() < ConfigReadLimit && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

static void LoadConfigurationFile()
{
    ConfigFile = CreateFileW(ConfigFileNameW, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ConfigFile == INVALID_HANDLE_VALUE) {
        // First start: the values in memory are the defaults.
        WriteConfigurationFile();
        return;
    }
    std::string bytes = ReadConfigurationBytes(ConfigFile);

    // The reader works on copies; what it read (up to a bad value) then becomes the program's.
    SettingsValues s = Settings;
    SettingsDerived d = CaptureDerivedValues();
    auto nulls = std::make_unique<NullTableValues>(NullTablesStore);
    int32_t refused = 0;
    if (LoadConfiguration(bytes, s, d, *nulls, SettingsLoadEnvironment, &refused) == 1) {
        // A damaged file (a bad value, or no version line at all) is told at the end of the
        // splash, naming this line.
        Settings = s;
        PublishDerivedValues(d);
        NullTablesStore = *nulls;
        ConfigRefusedLine = refused;
    } else {
        // Another version: settings of another version are never read. The file is kept
        // beside the new one.
        CloseHandle(ConfigFile);
        ConfigFile = INVALID_HANDLE_VALUE;
        SetConfigurationAside(RefusedConfigurationAside());
        WriteConfigurationFile();
    }
    if (ConfigFile != INVALID_HANDLE_VALUE)
        CloseHandle(ConfigFile);
    ConfigFile = INVALID_HANDLE_VALUE;
}

int32_t SettingsFile(int32_t operation)
{
    GetCurrentDirectoryW(MAX_PATH, SavedDirectory);
    int32_t result = SetCurrentDirectoryW(StartDirectory);
    if (operation == SettingsDelete) {
        // The folder stays: the program ends right after.
        return DeleteFileW(ConfigFileNameW);
    }
    if (operation == SettingsSave)
        WriteConfigurationFile();
    else if (operation == SettingsLoad)
        LoadConfigurationFile();
    PublishSharedSettings();
    result = SetCurrentDirectoryW(SavedDirectory);
    return result;
}

// The reset's steps; a refused file is kept at aside, the operator's own reset (aside
// empty) deletes the file.
static void ResetKeeping(const std::wstring& aside)
{
    if (ResetHooks.CloseGpsPort != nullptr)
        ResetHooks.CloseGpsPort();
    if (ResetHooks.ShowClosingSplash != nullptr)
        ResetHooks.ShowClosingSplash();
    if (ResetHooks.StopAcquisition != nullptr)
        ResetHooks.StopAcquisition();
    DelayMs(2000);
    if (aside.empty())
        SettingsFile(SettingsDelete);
    else
        SetConfigurationAside(aside);
    if (ResetHooks.EndProcess != nullptr)
        ResetHooks.EndProcess(0);
}

void ReportCorruptConfiguration(int32_t flag)
{
    if (flag != 0)
        return;
    const std::wstring aside = RefusedConfigurationAside();
    MessageBoxW(CorruptMessageOwner, CorruptConfigurationText(aside, ConfigRefusedLine).c_str(),
                L"Reset to Default Settings", MB_OK | MB_ICONEXCLAMATION);
    if (ConfigFile != INVALID_HANDLE_VALUE)
        CloseHandle(ConfigFile);
    ConfigFile = INVALID_HANDLE_VALUE;
    ResetKeeping(aside);
}

void ResetConfiguration()
{
    ResetKeeping(std::wstring());
}
