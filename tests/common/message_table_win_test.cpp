#include <windows.h>

#include <gtest/gtest.h>

#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"

namespace {

int calls = 0;

LRESULT CALLBACK First(HWND, UINT, WPARAM wParam, LPARAM)
{
    ++calls;
    return static_cast<LRESULT>(wParam) + 100;
}

LRESULT CALLBACK Second(HWND, UINT, WPARAM, LPARAM)
{
    ++calls;
    return -7;
}

const MessageEntry TestTable[] = {
    {WM_USER + 1, First}, {WM_USER + 2, Second}, {WM_USER + 1, Second},  // never reached: the first entry wins
};

LRESULT CALLBACK TestWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MakeMessageTable(TestTable), window, message, wParam, lParam);
}

}  // namespace

TEST(MessageTable, FirstMatchAnswersOthersGoToDefaultProcedure)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MessageTableTest";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND w =
        CreateWindowExW(0, L"MessageTableTest", L"abcd", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(w, nullptr);

    calls = 0;
    EXPECT_EQ(SendMessageW(w, WM_USER + 1, 5, 0), 105);
    EXPECT_EQ(SendMessageW(w, WM_USER + 2, 0, 0), -7);
    EXPECT_EQ(calls, 2);
    // No entry: the default window procedure answers, here with the title's length.
    EXPECT_EQ(SendMessageW(w, WM_GETTEXTLENGTH, 0, 0), 4);
    EXPECT_EQ(calls, 2);
    DestroyWindow(w);
}

TEST(GdiGuards, SelectGuardPutsThePreviousObjectBack)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HGDIOBJ before = GetCurrentObject(dc, OBJ_PEN);
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
    {
        SelectGuard guard(dc, pen);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
        {
            SelectGuard none(dc, nullptr);  // selects nothing
            EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
        }
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), before);
    // Deselected, the pen can be deleted.
    EXPECT_TRUE(DeleteObject(pen));
    DeleteDC(dc);
}
