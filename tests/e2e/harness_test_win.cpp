// The harness checked against its own target program (e2e_target.exe): if these pass, a
// failing V-LOX test points at V-LOX, not at the harness.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/common/win_test_util.h"
#include "tests/e2e/target/e2e_target_ids.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const wchar_t TargetFolder[] = L"C:\\e2etarget";

class TargetTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::wstring error;
        ASSERT_TRUE(target.Start(e2e::InBinFolder(L"e2e_target.exe"), TargetFolder, &error)) << e2e::ToUtf8(error);
        window = target.WaitWindow(TARGET_CLASS, nullptr, 15000);
        ASSERT_NE(window, nullptr);
    }

    e2e::Program target;
    HWND window = nullptr;
};

TEST_F(TargetTest, StartsInItsFolderAndReadsControls)
{
    EXPECT_EQ(e2e::TextOf(window), TARGET_TITLE);
    EXPECT_EQ(target.FindTopWindow(TARGET_CLASS, TARGET_TITLE), window);
    EXPECT_EQ(target.FindTopWindow(TARGET_CLASS, L"Another title"), nullptr);

    RECT r = e2e::ScreenRect(window);
    EXPECT_EQ(r.left, TARGET_X);
    EXPECT_EQ(r.top, TARGET_Y);
    EXPECT_EQ(r.right - r.left, TARGET_WIDTH);
    EXPECT_EQ(r.bottom - r.top, TARGET_HEIGHT);

    // The current folder that the program was given.
    EXPECT_EQ(e2e::TextOf(e2e::Control(window, IDC_FOLDER)), TargetFolder);

    HWND ask = e2e::Control(window, IDC_ASK);
    EXPECT_TRUE(e2e::IsShown(ask));
    EXPECT_TRUE(e2e::IsEnabled(ask));
    EXPECT_EQ(e2e::TextOf(ask), L"Ask");
    EXPECT_EQ(e2e::ClassOf(ask), L"Button");
    RECT a = e2e::RectInParent(ask);
    EXPECT_EQ(a.left, 10);
    EXPECT_EQ(a.top, 10);
    EXPECT_EQ(a.right, 90);
    EXPECT_EQ(a.bottom, 36);

    HWND disabled = e2e::Control(window, IDC_DISABLED);
    EXPECT_TRUE(e2e::IsShown(disabled));
    EXPECT_FALSE(e2e::IsEnabled(disabled));
    EXPECT_FALSE(e2e::ClickButton(disabled));

    HWND hidden = e2e::Control(window, IDC_HIDDEN);
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(e2e::IsShown(hidden));
    EXPECT_FALSE(e2e::ClickButton(hidden));
    EXPECT_EQ(e2e::TextOf(hidden), L"Hidden");

    // An edit control of another process: GetWindowText would read "" under Wine.
    EXPECT_EQ(e2e::TextOf(e2e::Control(window, IDC_EDIT)), L"hello");

    // Absent windows read as absent.
    EXPECT_EQ(e2e::Control(window, 9999), nullptr);
    EXPECT_FALSE(e2e::IsShown(nullptr));
    std::wstring text;
    EXPECT_FALSE(e2e::ReadText(nullptr, &text));

    EXPECT_EQ(e2e::Children(window, L"Button").size(), 4u);
    EXPECT_TRUE(target.MessageBoxesSeen().empty());
}

TEST_F(TargetTest, MessageBoxIsReadAndPressedById)
{
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(window, IDC_ASK)));
    HWND box = target.WaitMessageBox(L"Target Question", 10000);
    ASSERT_NE(box, nullptr);
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &info));
    EXPECT_EQ(info.caption, L"Target Question");
    EXPECT_EQ(info.text, L"Save the changes?");
    EXPECT_EQ(info.buttons.size(), 3u);
    for (int id : {IDYES, IDNO, IDCANCEL})
        EXPECT_NE(std::find(info.buttons.begin(), info.buttons.end(), id), info.buttons.end()) << id;

    // The main window is disabled under the modal box.
    EXPECT_FALSE(e2e::IsEnabled(window));
    EXPECT_EQ(target.WaitMessageBox(L"Another caption", 0), nullptr);

    ASSERT_TRUE(e2e::PressButton(box, IDNO));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(e2e::Control(window, IDC_EDIT)) == L"answer 7"; }, 5000))
        << e2e::ToUtf8(e2e::TextOf(e2e::Control(window, IDC_EDIT)));
    EXPECT_TRUE(target.OpenMessageBoxes().empty());

    // The background watch saw it, with what it said.
    std::vector<e2e::MessageBoxInfo> seen = target.MessageBoxesSeen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Target Question");
    EXPECT_EQ(seen[0].text, L"Save the changes?");
}

TEST_F(TargetTest, MenuStateAndTextAreReadInsideTheProgram)
{
    UINT state = 0;
    ASSERT_TRUE(target.MenuState(window, IDM_OPEN, &state));
    EXPECT_EQ(state & (MF_GRAYED | MF_DISABLED | MF_CHECKED), 0u);
    ASSERT_TRUE(target.MenuState(window, IDM_GREYED, &state));
    EXPECT_TRUE(state & MF_GRAYED);
    ASSERT_TRUE(target.MenuState(window, IDM_CHECKED, &state));
    EXPECT_TRUE(state & MF_CHECKED);
    EXPECT_FALSE(state & MF_GRAYED);
    EXPECT_FALSE(target.MenuState(window, 4242, &state));

    std::wstring text;
    ASSERT_TRUE(target.MenuText(window, IDM_CHECKED, &text));
    EXPECT_EQ(text, L"&Checked");
    EXPECT_FALSE(target.MenuText(window, 4242, &text));

    // The state is read live, not from the resource.
    ASSERT_TRUE(e2e::PostCommand(window, IDC_TOGGLE));
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            UINT s = MF_GRAYED;
            return target.MenuState(window, IDM_GREYED, &s) && !(s & MF_GRAYED);
        },
        5000));
    ASSERT_TRUE(target.MenuState(window, IDM_CHECKED, &state));
    EXPECT_FALSE(state & MF_CHECKED);
}

TEST_F(TargetTest, CaptureIsAPngOfTheWindow)
{
    const std::wstring path = std::wstring(TargetFolder) + L"\\target.png";
    ASSERT_TRUE(target.WaitIdle(60000));
    ASSERT_TRUE(e2e::CaptureWindowToPng(window, path));
    std::vector<uint8_t> png;
    ASSERT_TRUE(e2e::ReadFileBytes(path, &png));
    e2e::RgbImage image;
    ASSERT_TRUE(e2e::DecodeStoredPng(png, &image));
    EXPECT_EQ(image.width, TARGET_WIDTH);
    EXPECT_EQ(image.height, TARGET_HEIGHT);

    // A point of the client background, below the controls: the class brush's colour, in
    // red-green-blue order and at the right place (rows top to bottom).
    RECT window_rect = e2e::ScreenRect(window);
    POINT p = {300, 200};
    ClientToScreen(window, &p);
    const int x = p.x - window_rect.left, y = p.y - window_rect.top;
    ASSERT_LT(y, image.height);
    const uint8_t* pixel = &image.rgb[(size_t(y) * size_t(image.width) + size_t(x)) * 3];
    EXPECT_EQ(pixel[0], TARGET_BACK_R);
    EXPECT_EQ(pixel[1], TARGET_BACK_G);
    EXPECT_EQ(pixel[2], TARGET_BACK_B);
}

TEST_F(TargetTest, KeysAndCharactersArriveOnce)
{
    HWND edit = e2e::Control(window, IDC_EDIT);
    ASSERT_TRUE(e2e::SelectAllText(edit));
    ASSERT_TRUE(e2e::PostText(edit, L"Line 7.5"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(edit) == L"Line 7.5"; }, 5000))
        << e2e::ToUtf8(e2e::TextOf(edit));

    // A virtual key: one key-down and no character (F5 makes none).
    ASSERT_TRUE(e2e::PostKey(window, VK_F5));
    ASSERT_TRUE(e2e::PostChar(window, L'x'));
    HWND keys = e2e::Control(window, IDC_KEYS);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(keys) == L"keys 1 chars 1"; }, 5000))
        << e2e::ToUtf8(e2e::TextOf(keys));
}

TEST_F(TargetTest, CloseGivesExitCodeZeroAndCommandGivesThree)
{
    DWORD code = 99;
    EXPECT_FALSE(target.WaitExit(100, &code));
    ASSERT_TRUE(e2e::PostClose(window));
    ASSERT_TRUE(target.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(target.Running());

    e2e::Program second;
    ASSERT_TRUE(second.Start(e2e::InBinFolder(L"e2e_target.exe"), TargetFolder));
    HWND w = second.WaitWindow(TARGET_CLASS, nullptr, 15000);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(e2e::PostCommand(w, IDC_EXIT3));
    ASSERT_TRUE(second.WaitExit(10000, &code));
    EXPECT_EQ(code, 3u);
}

TEST_F(TargetTest, HungProgramNeverHangsTheTest)
{
    ASSERT_TRUE(e2e::PostCommand(window, IDC_HANG));
    // Once the program has taken the command it answers nothing; every read then gives up
    // (a read that waited for it for good would hold the test here).
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            DWORD_PTR answer = 0;
            return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 200, &answer) == 0;
        },
        60000));
    std::wstring text;
    EXPECT_FALSE(e2e::ReadText(e2e::Control(window, IDC_EDIT), &text, 1000));
    UINT state = 0;
    EXPECT_FALSE(target.MenuState(window, IDM_OPEN, &state));
    EXPECT_FALSE(target.WaitExit(500));
    EXPECT_EQ(target.WaitMessageBox(nullptr, 500), nullptr);

    target.Kill();
    DWORD code = 0;
    ASSERT_TRUE(target.WaitExit(1000, &code));
    EXPECT_EQ(code, 255u);
}

TEST(HarnessSerialLink, CarriesBytesBothWays)
{
    e2e::SerialLink link;
    std::wstring error;
    ASSERT_TRUE(link.Open(5, 21, &error)) << e2e::ToUtf8(error);
    EXPECT_FALSE(link.Open(6, 22, &error));

    // The program's side, opened as V-LOX opens its GPS port.
    HANDLE program = CreateFileW(L"COM5:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(program, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = 50;
    timeouts.ReadTotalTimeoutConstant = 2000;
    SetCommTimeouts(program, &timeouts);

    const std::string sentence = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";
    ASSERT_TRUE(link.Write(sentence));
    char buffer[128] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(program, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), sentence);

    DWORD written = 0;
    ASSERT_TRUE(WriteFile(program, "\x02\x7f\xff", 3, &written, nullptr));
    std::string back;
    auto readUntil = [&](size_t n) {
        return e2e::WaitUntil([&] { return link.Read(&back, 20) && back.size() >= n; }, 60000);
    };
    ASSERT_TRUE(readUntil(3));
    EXPECT_EQ(back, std::string("\x02\x7f\xff", 3));
    CloseHandle(program);
    link.Close();
    EXPECT_FALSE(link.Write("x"));

    // The same ports can be linked again at once (socat removed its links when it ended).
    ASSERT_TRUE(link.Open(5, 21, &error)) << e2e::ToUtf8(error);
    program = CreateFileW(L"\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(program, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(WriteFile(program, "ok", 2, &written, nullptr));
    back.clear();
    ASSERT_TRUE(readUntil(2));
    EXPECT_EQ(back, "ok");
    CloseHandle(program);
}

// Fills the stack below the caller with one handle value: what Wine then leaves in the
// process information of a Unix program is that handle.
__attribute__((noinline)) void FillStackWith(HANDLE handle)
{
    volatile HANDLE fill[4096];
    for (volatile HANDLE& slot : fill)
        slot = handle;
}

// Pins the mend: socat and the other Unix programs start without closing what Wine leaves in
// the process information, which is no handle of this process but whatever lay on the stack.
// Closing it closed, now and then, one of this process's own handles: its standard output,
// or the serial port of a link (whose bytes then went to another port).
TEST(HarnessStart, AUnixProgramLeavesThisProcessHandlesAlone)
{
    HANDLE mine = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(mine, nullptr);
    FillStackWith(mine);
    ASSERT_TRUE(StartUnixProgram(L"Z:\\bin\\sh -c \"exit 0\""));
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(mine, &flags)) << "the start closed a handle of this process";
    CloseHandle(mine);
}

TEST(HarnessFolders, MakeEmptyFolderClearsOldFiles)
{
    const std::wstring folder = L"C:\\e2efolder\\inner";
    ASSERT_TRUE(e2e::MakeEmptyFolder(folder));
    ASSERT_TRUE(e2e::WriteFileBytes(folder + L"\\old.txt", {'x'}));
    ASSERT_TRUE(e2e::MakeEmptyFolder(folder + L"\\sub"));
    ASSERT_TRUE(e2e::WriteFileBytes(folder + L"\\sub\\old.txt", {'y'}));
    ASSERT_TRUE(e2e::MakeEmptyFolder(folder + L"\\"));
    EXPECT_TRUE(e2e::FolderExists(folder));
    EXPECT_FALSE(e2e::FileExists(folder + L"\\old.txt"));
    EXPECT_FALSE(e2e::FolderExists(folder + L"\\sub"));
}

TEST(HarnessStart, MissingProgramIsReported)
{
    e2e::Program missing;
    std::wstring error;
    EXPECT_FALSE(missing.Start(e2e::InBinFolder(L"no-such-program.exe"), L"C:\\e2emissing", &error));
    EXPECT_NE(error.find(L"cannot start"), std::wstring::npos);
    EXPECT_FALSE(missing.Running());
    EXPECT_FALSE(missing.WaitExit(10));
    EXPECT_EQ(missing.WaitWindow(TARGET_CLASS, nullptr, 10), nullptr);
}

}  // namespace
