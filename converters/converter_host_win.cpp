// The dialog host of the converter programs: status line, progress bar and message boxes of
// the dialog, the survey and output files, the system's file pickers and the settings file.
#include "converters/converter_settings.h"
#include "converters/converter_win.h"
#include "resources/converter_ids.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace converters {

std::wstring Utf8ToWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string WideToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
    return narrow;
}

namespace {

class InputFileWin : public InputFile {
public:
    explicit InputFileWin(HANDLE file) : File(file) {}
    ~InputFileWin() override { CloseHandle(File); }
    int64_t Size() override
    {
        LARGE_INTEGER size;
        return GetFileSizeEx(File, &size) ? size.QuadPart : -1;
    }
    int64_t ReadAt(int64_t offset, char* buffer, size_t n) override
    {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
        if (!ReadFile(File, buffer, want, &got, &at))
            return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
        return got;
    }

private:
    HANDLE File;
};

class OutputFileWin : public OutputFile {
public:
    explicit OutputFileWin(HANDLE file) : File(file) {}
    ~OutputFileWin() override
    {
        if (File != INVALID_HANDLE_VALUE)
            CloseHandle(File);
    }
    bool Write(const char* bytes, size_t n) override
    {
        while (n > 0) {
            DWORD wrote = 0;
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
            if (!WriteFile(File, bytes, piece, &wrote, nullptr) || wrote == 0)
                return false;
            bytes += wrote;
            n -= wrote;
        }
        return true;
    }
    bool Close() override
    {
        const bool closed = CloseHandle(File) != FALSE;
        File = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE File;
};

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

std::string SettingsFilePath()
{
    return StartFolder + SettingsFileName(Converter.ConverterMode);
}

// The whole settings file, or false when it cannot be read.
bool ReadSettingsBytes(std::string& bytes)
{
    HANDLE file = CreateFileW(Utf8ToWide(SettingsFilePath()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool read = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 20);
    if (read) {
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        read = bytes.empty() ||
               (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
    }
    CloseHandle(file);
    return read;
}

std::string AnsiToUtf8(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return WideToUtf8(wide);
}

}  // namespace

int32_t ConverterSettingsFile(int32_t operation)
{
    ConverterSettings& s = Converter.Settings;
    const int32_t mode = Converter.ConverterMode;
    if (operation == 0) {
        std::string bytes;
        const bool fileRead = ReadSettingsBytes(bytes);
        const int32_t result = fileRead ? ReadConverterSettings(bytes, mode, s) : -1;
        if (result != 1)
            DefaultConverterSettings(s, mode);
        else if (!IsUtf8Text(s.DataFolder))
            s.DataFolder = AnsiToUtf8(s.DataFolder);
        return result;
    }
    const std::string bytes = ComposeConverterSettings(s, mode);
    HANDLE file = CreateFileW(Utf8ToWide(SettingsFilePath()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    DWORD wrote = 0;
    const bool written =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
    const bool closed = CloseHandle(file) != FALSE;
    return written && closed ? 1 : -1;
}

void DialogHostWin::SetStatusText(const std::string& text)
{
    HWND status = GetDlgItem(Dialog, IDC_CONV_STATUS);
    SetWindowTextW(status, Utf8ToWide(text).c_str());
    UpdateWindow(status);
}

void DialogHostWin::SetProgressRange(int32_t high)
{
    HWND bar = GetDlgItem(Dialog, IDC_CONV_PROGRESS);
    RECT r{};
    GetClientRect(bar, &r);
    Throttle.Range(high, r.right - r.left);
    SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(high));
}

void DialogHostWin::SetProgressPosition(int32_t position)
{
    if (!Throttle.Passes(position))
        return;
    HWND bar = GetDlgItem(Dialog, IDC_CONV_PROGRESS);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    UpdateWindow(bar);
}

void DialogHostWin::ShowMessage(const std::string& text, const std::string& caption)
{
    MessageBoxW(Dialog, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), MB_OK);
}

std::unique_ptr<InputFile> DialogHostWin::OpenInput(const std::string& path)
{
    InputKnown = false;
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    InputKnown = GetFileInformationByHandle(file, &InputIdentity) != FALSE;
    return std::make_unique<InputFileWin>(file);
}

std::unique_ptr<OutputFile> DialogHostWin::CreateOutput(const std::string& path)
{
    const std::wstring wide = Utf8ToWide(path);
    if (InputKnown) {
        HANDLE existing = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (existing != INVALID_HANDLE_VALUE) {
            BY_HANDLE_FILE_INFORMATION identity{};
            const bool same = GetFileInformationByHandle(existing, &identity) && SameFile(identity, InputIdentity);
            CloseHandle(existing);
            if (same)
                return nullptr;
        }
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<OutputFileWin>(file);
}

bool DialogHostWin::PickFile(bool output, const PickerTexts& texts, const std::string& initialFolder,
                             const std::string& proposedName, std::string& path)
{
    std::wstring filter = Utf8ToWide(texts.FilterName);
    filter.push_back(L'\0');
    filter += Utf8ToWide(texts.FilterPattern);
    filter.push_back(L'\0');
    const std::wstring title = Utf8ToWide(texts.Title);
    const std::wstring extension = Utf8ToWide(texts.DefaultExtension);
    const std::wstring folder = Utf8ToWide(initialFolder);
    const std::wstring proposed = Utf8ToWide(proposedName);
    std::vector<wchar_t> file(4096, L'\0');
    if (proposed.size() < file.size())
        std::copy(proposed.begin(), proposed.end(), file.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    // Owned by the dialog, so that it takes no clicks while a picker is open.
    ofn.hwndOwner = Dialog;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = extension.c_str();
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (!output)
        ofn.Flags |= OFN_FILEMUSTEXIST;
    const BOOL picked = output ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!picked)
        return false;
    path = WideToUtf8(file.data());
    return true;
}

void DialogHostWin::SaveSettings()
{
    ConverterSettingsFile(1);
}

}  // namespace converters
