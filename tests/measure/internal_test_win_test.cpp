// The internal test's text block on a real window: the lines are drawn where the block's
// geometry puts them, the clear of the exit wipes them, the verdict follows the displayed
// values, and no round of drawing leaves a GDI object behind.
#include "vlox/measure/internal_test_win.h"

#include <windows.h>

#include "vlox/measure/measure_cycle.h"
#include "vlox/common/screen_state.h"
#include "vlox/common/program_windows_win.h"

#include <gtest/gtest.h>

#include "tests/common/win_test_util.h"

namespace {

class TestBlockWindow : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"ItestBlockWnd";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, L"ItestBlockWnd", L"block", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        UpdateWindow(window);
        Pump();
        hWndMain = window;
        hFontNormal = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
        hFontBold = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
        MainLayout screen;
        screen.StepButtonsX = 200;
        screen.ButtonWidth = 100;
        screen.ButtonColumnX = 700;
        screen.ButtonRowY = 500;
        screen.CurvePaneRect = {10, 10, 600, 470};
        screen.WorkAreaHeight = 600;
        PublishMainLayout(screen);
        block = ComputeTestBlockLayout(TestBlockInputFor(screen));
    }
    void TearDown() override
    {
        hWndMain = nullptr;
        DestroyWindow(window);
        DeleteObject(hFontNormal);
        DeleteObject(hFontBold);
        hFontNormal = hFontBold = nullptr;
    }

    // Pixels of a line of the band that are not the panel colour.
    int InkOnLine(int32_t line)
    {
        HDC dc = GetDC(window);
        const COLORREF panel = GetSysColor(COLOR_BTNFACE);
        int ink = 0;
        for (int y = block.LineY[line]; y < block.LineY[line] + 16; ++y)
            for (int x = block.Left; x < block.Right; ++x)
                ink += GetPixel(dc, x, y) != panel ? 1 : 0;
        ReleaseDC(window, dc);
        return ink;
    }

    HWND window = nullptr;
    TestBlockLayout block;
};

TEST_F(TestBlockWindow, ShowVerdictAndClear)
{
    DrawInternalTest(2, 0);
    EXPECT_GT(InkOnLine(0), 0);
    EXPECT_GT(InkOnLine(1), 0);
    const int waiting = InkOnLine(2);
    EXPECT_GT(waiting, 0);

    // The 3 ms test's values as expected: PASSED, a wider text than "Please Wait...".
    for (int32_t g = 0; g < MaxTestGates; ++g)
        DisplayValues[g] = TestExpectedValues[2][g];
    DrawInternalTest(2, 2);
    const int passed = InkOnLine(2);
    EXPECT_GT(passed, 0);
    EXPECT_NE(passed, waiting);

    DrawInternalTest(0, 1);
    EXPECT_EQ(InkOnLine(0), 0);
    EXPECT_EQ(InkOnLine(1), 0);
    EXPECT_EQ(InkOnLine(2), 0);
}

// A test index outside 0..3 draws the block without a time constant and a failed verdict,
// never reading past the tables.
TEST_F(TestBlockWindow, TestIndexOutOfRangeIsHarmless)
{
    DrawInternalTest(7, 0);
    EXPECT_GT(InkOnLine(0), 0);
    EXPECT_EQ(InkOnLine(1), 0);
    DrawInternalTest(-3, 2);
    EXPECT_GT(InkOnLine(2), 0);
    DrawInternalTest(0, 5);
}

TEST_F(TestBlockWindow, DrawingLeaksNoGdiObjects)
{
    auto round = [] {
        DrawInternalTest(1, 0);
        DrawInternalTest(1, 2);
        DrawInternalTest(0, 1);
    };
    round();
    Pump();
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 50; ++i)
        round();
    Pump();
    EXPECT_EQ(CountGdiObjects(), before);
}

}  // namespace
