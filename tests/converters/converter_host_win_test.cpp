// The converters' Win32 host in-process under Wine: the progress bar's 32-bit range, the
// refusal of an output that names the input being converted, a failed read told from the end
// of the file, and the settings file's folder line in UTF-8 with ANSI files still read.
#include "converters/converter_settings.h"
#include "converters/converter_win.h"
#include "resources/converter_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace converters;

namespace {

const wchar_t Folder[] = L"C:\\convhost";

std::string ReadAll(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(missing)";
    std::string bytes(1 << 16, '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void WriteAll(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(file);
}

class ConverterHostWin : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(Folder, nullptr);
        InitCommonControls();
        Window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 636, 166, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(Window, nullptr);
        Bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 42, 96, 552, 8, Window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CONV_PROGRESS)), nullptr, nullptr);
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 42, 112, 552, 16, Window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CONV_STATUS)), nullptr, nullptr);
    }
    void TearDown() override { DestroyWindow(Window); }

    HWND Window = nullptr;
    HWND Bar = nullptr;
};

// Mended: the bar's range is 32-bit; with a 16-bit range a file of more than 65535 records
// would fill it wrongly.
TEST_F(ConverterHostWin, ProgressRangeHoldsMoreThan65535Records)
{
    DialogHostWin host(Window);
    host.SetProgressRange(200000);
    EXPECT_EQ(SendMessageW(Bar, PBM_GETRANGE, FALSE, 0), 200000);
    host.SetProgressPosition(150000);
    EXPECT_EQ(SendMessageW(Bar, PBM_GETPOS, 0, 0), 150000);
    host.SetStatusText("Processing file:C:\\a&b.VLX");
    wchar_t text[64] = L"";
    GetDlgItemTextW(Window, IDC_CONV_STATUS, text, 64);
    EXPECT_STREQ(text, L"Processing file:C:\\a&b.VLX");
}

// Mended: an output that names the survey file being converted is refused before it is
// created; creating it would have emptied the survey. Any spelling of the same file counts.
TEST_F(ConverterHostWin, AnOutputNamingTheInputIsRefused)
{
    const std::wstring survey = std::wstring(Folder) + L"\\survey.VLX";
    WriteAll(survey, "H1 V-LOX survey\r\n");
    DialogHostWin host(Window);
    std::unique_ptr<InputFile> input = host.OpenInput("C:\\convhost\\survey.VLX");
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->Size(), 17);
    char head[2] = {};
    EXPECT_EQ(input->ReadAt(0, head, 2), 2);
    EXPECT_EQ(std::string(head, 2), "H1");
    EXPECT_EQ(host.CreateOutput("C:\\convhost\\survey.VLX"), nullptr);
    EXPECT_EQ(host.CreateOutput("c:\\CONVHOST\\.\\Survey.vlx"), nullptr);
    EXPECT_EQ(ReadAll(survey), "H1 V-LOX survey\r\n");

    std::unique_ptr<OutputFile> output = host.CreateOutput("C:\\convhost\\survey.txt");
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->Write("out\r\n", 5));
    EXPECT_TRUE(output->Close());
    EXPECT_EQ(ReadAll(std::wstring(Folder) + L"\\survey.txt"), "out\r\n");
}

// Mended: a read that failed answered 0 bytes, the end of the file, so a card that could not
// be read past a place gave a "complete" conversion of the readings before it. The end of the
// file is still 0; a read that fails (here from a pipe whose writer has gone) is -1.
TEST_F(ConverterHostWin, AFailedReadIsNotTheEndOfTheFile)
{
    const std::wstring survey = std::wstring(Folder) + L"\\tail.VLX";
    WriteAll(survey, std::string(10000, 'x'));
    DialogHostWin host(Window);
    std::unique_ptr<InputFile> input = host.OpenInput("C:\\convhost\\tail.VLX");
    ASSERT_NE(input, nullptr);
    char buffer[256];
    EXPECT_EQ(input->ReadAt(4000, buffer, 200), 200);
    EXPECT_EQ(input->ReadAt(9990, buffer, 100), 10);
    EXPECT_EQ(input->ReadAt(10000, buffer, 100), 0);

    HANDLE pipe =
        CreateNamedPipeW(L"\\\\.\\pipe\\convhost", PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    std::unique_ptr<InputFile> broken = host.OpenInput("\\\\.\\pipe\\convhost");
    ASSERT_NE(broken, nullptr);
    DWORD wrote = 0;
    ASSERT_TRUE(WriteFile(pipe, "H1", 2, &wrote, nullptr));
    EXPECT_EQ(broken->ReadAt(0, buffer, 2), 2);
    CloseHandle(pipe);
    EXPECT_EQ(broken->ReadAt(2, buffer, 100), -1);
}

TEST_F(ConverterHostWin, SettingsFolderLineIsUtf8AndAnsiFilesStillRead)
{
    Converter.ConverterMode = ModeTxt;
    StartFolder = "C:\\convhost";
    const std::wstring file = std::wstring(Folder) + L"\\Convert.ini";
    DeleteFileW(file.c_str());
    EXPECT_EQ(ConverterSettingsFile(0), -1);
    EXPECT_EQ(Converter.Settings.DataFolder, "C:\\");

    // A folder line in the ANSI code page, as older programs wrote it.
    const std::string ansi = "C:\\M\xFChle\\";
    WriteAll(file, ansi + "\r\n1\r\n2\r\n");
    EXPECT_EQ(ConverterSettingsFile(0), 1);
    wchar_t wide[32] = L"";
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, 32);
    EXPECT_EQ(Converter.Settings.DataFolder, WideToUtf8(wide));
    EXPECT_TRUE(IsUtf8Text(Converter.Settings.DataFolder));
    EXPECT_EQ(Converter.Settings.OutputUnits, 1);

    EXPECT_EQ(ConverterSettingsFile(1), 1);
    EXPECT_EQ(ReadAll(file), WideToUtf8(wide) + "\r\n1\r\n2\r\n");
    EXPECT_EQ(ConverterSettingsFile(0), 1);
    EXPECT_EQ(Converter.Settings.DataFolder, WideToUtf8(wide));
}

}  // namespace
