// V-LOX's commands from outside, as an operator gives them, without the board: nulling and
// the internal test refused without Monitor (their texts and captions), Create File under
// its default name through the save dialog, Next Station and Next Line changing the survey
// fields of the panel, Comment, a key that would open a second data file, and Exit: exit code
// 0, the station index file gone, the data file kept, and no error box at any time. One
// program run serves the suite; the tests run in the order written.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxcommands";

using e2e::TodaysFirstDataFile;

std::string Narrow(const std::wstring& text)
{
    return e2e::ToUtf8(text);
}

// The smallest rectangle holding every pixel that differs; empty when none does.
RECT ChangedBox(const e2e::RgbImage& a, const e2e::RgbImage& b)
{
    RECT box{INT_MAX, INT_MAX, -1, -1};
    if (a.width != b.width || a.height != b.height)
        return RECT{0, 0, a.width, a.height};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const size_t i = (static_cast<size_t>(y) * a.width + x) * 3;
            if (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        }
    if (box.right < 0)
        return RECT{0, 0, 0, 0};
    return box;
}

// The station map pane in client pixels, and the same pixels blanked in an image: the map
// shows the current station, so the station steps change it as well as the survey box.
RECT MapPane(HWND main)
{
    return e2e::RectInParent(e2e::Control(main, IDC_MAP_WND));
}

void BlankRect(e2e::RgbImage& image, const RECT& r)
{
    for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, image.height); ++y)
        for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, image.width); ++x)
            for (int c = 0; c < 3; ++c)
                image.rgb[(static_cast<size_t>(y) * image.width + x) * 3 + c] = 0;
}

class VloxCommands : public e2e::VloxSuite<VloxCommands> {
protected:
    static void SetUpTestSuite() { Begin(RunFolder); }

    // Waits for a box of the caption, reads it, presses button and waits until it is gone.
    static bool AnswerBox(const wchar_t* caption, int button, e2e::MessageBoxInfo* info)
    {
        HWND box = vlox->WaitMessageBox(caption, 10000);
        if (box == nullptr || !e2e::ReadMessageBox(box, info))
            return false;
        if (!e2e::PressButton(box, button))
            return false;
        return e2e::WaitUntil([box] { return !IsWindow(box) || !e2e::IsShown(box); }, 60000);
    }

    static bool Grayed(UINT id)
    {
        UINT state = 0;
        return vlox->MenuState(mainWindow, id, &state) && (state & MF_GRAYED) != 0;
    }
};

}  // namespace

TEST_F(VloxCommands, NullingWithoutMonitorIsRefused)
{
    for (int id : {IDM_FULL_NULLING, IDM_SELECTIVE_NULLING}) {
        ASSERT_TRUE(e2e::PostCommand(mainWindow, id));
        e2e::MessageBoxInfo info;
        ASSERT_TRUE(AnswerBox(L"Nulling Procedure", IDOK, &info)) << id;
        EXPECT_EQ(Narrow(info.text), "Please start Monitor mode and then activate Nulling");
        EXPECT_EQ(info.buttons, std::vector<int>{IDOK});
    }
}

TEST_F(VloxCommands, InternalTestWithoutMonitorIsRefused)
{
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_TEST_DC));
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(AnswerBox(L"Internal Test Procedure", IDOK, &info));
    EXPECT_EQ(Narrow(info.text), "Please start Monitor mode and then activate Internal Test mode");
    EXPECT_EQ(info.buttons, std::vector<int>{IDOK});
    // The test screen never opened: "Invert" is back and the test buttons stay hidden.
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(e2e::IsShown(e2e::Control(mainWindow, IDC_INVERT)));
    EXPECT_FALSE(e2e::IsShown(e2e::Control(mainWindow, IDC_TEST_DC)));
}

TEST_F(VloxCommands, KeysOfCommandsNotOfferedRunNothing)
{
    // "O" would measure: without a data file "&Measure" is grayed.
    ASSERT_TRUE(Grayed(IDM_MEASURE));
    ASSERT_TRUE(e2e::PostKey(mainWindow, 'O'));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_FALSE(e2e::IsShown(e2e::Control(mainWindow, IDC_STOP)));  // no STOP: nothing measures
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
}

TEST_F(VloxCommands, CreateFileTakesTheDefaultName)
{
    const std::wstring data = TodaysFirstDataFile(L"VLX");
    const std::wstring index = TodaysFirstDataFile(L"tmp");
    ASSERT_FALSE(e2e::FileExists(data));
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
    ASSERT_TRUE(e2e::FileExists(data)) << Narrow(data);
    EXPECT_TRUE(e2e::FileExists(index));
    EXPECT_FALSE(e2e::IsShown(e2e::Control(mainWindow, IDC_CREATE_DATA_FILE)));
    EXPECT_TRUE(e2e::IsEnabled(e2e::Control(mainWindow, IDC_ENTER_COMMENT)));
    EXPECT_TRUE(Grayed(IDM_CREATE_DATA_FILE));
    EXPECT_FALSE(Grayed(IDM_CLOSE_DATA_FILE));
    EXPECT_FALSE(Grayed(IDM_ENTER_COMMENT));
    EXPECT_TRUE(Grayed(IDM_RESET_DEFAULTS));
    EXPECT_TRUE(Grayed(IDM_TEST_DC));
}

TEST_F(VloxCommands, ASecondDataFileIsNeverOpenedByKey)
{
    // "P" is Create Data File; with a file open its item is grayed.
    ASSERT_TRUE(e2e::PostKey(mainWindow, 'P'));
    // Idle: the key has been handled, and a dialog it opened would be up.
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(vlox->WaitMessageBox(L"Create Data File", 0), nullptr);
}

TEST_F(VloxCommands, NextStationAndNextLineChangeTheSurveyFields)
{
    e2e::RgbImage before, still, station, line;
    ASSERT_TRUE(vlox->WaitDrawn(mainWindow, 60000));
    ASSERT_TRUE(e2e::CaptureClient(mainWindow, &before));
    ASSERT_TRUE(vlox->WaitDrawn(mainWindow, 60000));
    ASSERT_TRUE(e2e::CaptureClient(mainWindow, &still));
    RECT none = ChangedBox(before, still);
    ASSERT_TRUE(IsRectEmpty(&none)) << "the screen changes by itself";

    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_NEXT_STATION)));
    ASSERT_TRUE(vlox->WaitDrawn(mainWindow, 60000));
    ASSERT_TRUE(e2e::CaptureClient(mainWindow, &station));
    const RECT map = MapPane(mainWindow);
    const RECT mapBox = ChangedBox(still, station);
    RECT inMap{};
    EXPECT_TRUE(IntersectRect(&inMap, &mapBox, &map)) << "the station map did not follow Next Station";
    BlankRect(still, map);
    BlankRect(station, map);
    const RECT stationBox = ChangedBox(still, station);
    ASSERT_FALSE(IsRectEmpty(&stationBox)) << "Next Station changed nothing on the screen";
    // Only the survey box of the panel changes: left of the curve pane, above the system box.
    EXPECT_LT(stationBox.right, 190);
    EXPECT_GT(stationBox.top, 40);
    EXPECT_LT(stationBox.bottom, 220);

    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_NEXT_LINE)));
    ASSERT_TRUE(vlox->WaitDrawn(mainWindow, 60000));
    ASSERT_TRUE(e2e::CaptureClient(mainWindow, &line));
    BlankRect(line, map);
    const RECT lineBox = ChangedBox(station, line);
    ASSERT_FALSE(IsRectEmpty(&lineBox)) << "Next Line changed nothing on the screen";
    EXPECT_LT(lineBox.right, 190);
    // The line and direction rows lie above the station row; the station stays.
    EXPECT_LT(lineBox.top, stationBox.top);
    EXPECT_LE(lineBox.bottom, stationBox.top + 2);
}

TEST_F(VloxCommands, CommentOpensTheCommentsDialog)
{
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_ENTER_COMMENT)));
    HWND dialog = vlox->WaitMessageBox(L"Enter Survey Comments", 60000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::PressButton(dialog, IDCANCEL));
    EXPECT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 60000));
}

TEST_F(VloxCommands, RepaintsKeepTheGdiCount)
{
    // Counted inside V-LOX (GetGuiResources from here answers 0 under Wine).
    auto repaint = [] {
        for (int i = 0; i < 20; ++i)
            InvalidateRect(mainWindow, nullptr, TRUE);
        vlox->WaitIdle(60000);
    };
    repaint();
    DWORD before = 0, after = 0;
    ASSERT_TRUE(vlox->GdiObjects(mainWindow, &before));
    for (int i = 0; i < 10; ++i)
        repaint();
    ASSERT_TRUE(vlox->GdiObjects(mainWindow, &after));
    EXPECT_EQ(after, before);
}

TEST_F(VloxCommands, ExitEndsWithCodeZeroAndRemovesTheStationIndex)
{
    const std::wstring data = TodaysFirstDataFile(L"VLX");
    const std::wstring index = TodaysFirstDataFile(L"tmp");
    ASSERT_TRUE(e2e::FileExists(index)) << Narrow(index);
    // "E&xit" of the File menu (the top row of buttons is hidden on the live screen).
    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(e2e::FileExists(index));
    // The data file stays, with its header (it could not be read while V-LOX held it open).
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(data, &bytes));
    ASSERT_GE(bytes.size(), 60u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "H1");
}

TEST_F(VloxCommands, NoErrorBoxAtAnyTime)
{
    // Only the boxes the tests asked for came up.
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen()) {
        const std::string caption = Narrow(box.caption);
        EXPECT_TRUE(caption == "Nulling Procedure" || caption == "Internal Test Procedure" ||
                    caption == "Create Data File" || caption == "Enter Survey Comments")
            << caption << ": " << Narrow(box.text);
    }
}
