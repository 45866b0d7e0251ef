// e2e_target.exe: a small program for the harness's own tests, with what V-LOX has that the
// harness must handle: a menu with greyed and checked items, buttons (one disabled, one
// hidden), an edit control, a message box on a command, keys, a hung state and exit codes.
#include "tests/e2e/target/e2e_target_ids.h"

#include <windows.h>

#include <cstdio>

namespace {

HWND hEdit = nullptr;
HWND hKeys = nullptr;
int KeyDowns = 0;
int Chars = 0;
int ExitCode = 0;

// A program stuck in a busy wait: no message is ever handled again.
[[noreturn]] void Hang()
{
    volatile unsigned spin = 0;
    for (;;)
        spin = spin + 1;
}

void ShowKeyCounts()
{
    WCHAR text[64];
    swprintf(text, 64, L"keys %d chars %d", KeyDowns, Chars);
    SetWindowTextW(hKeys, text);
}

HWND MakeControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id)
{
    return CreateWindowExW(0, cls, text, WS_CHILD | style, x, y, w, h, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

void OnCreate(HWND window)
{
    MakeControl(window, L"BUTTON", L"Ask", WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 26, IDC_ASK);
    HWND disabled =
        MakeControl(window, L"BUTTON", L"Disabled", WS_VISIBLE | BS_PUSHBUTTON, 100, 10, 80, 26, IDC_DISABLED);
    EnableWindow(disabled, FALSE);
    MakeControl(window, L"BUTTON", L"Hidden", BS_PUSHBUTTON, 190, 10, 80, 26, IDC_HIDDEN);
    MakeControl(window, L"BUTTON", L"Toggle", WS_VISIBLE | BS_PUSHBUTTON, 10, 46, 80, 26, IDC_TOGGLE);
    hEdit = MakeControl(window, L"EDIT", L"hello", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 82, 200, 24, IDC_EDIT);
    hKeys = MakeControl(window, L"STATIC", L"", WS_VISIBLE, 10, 116, 200, 20, IDC_KEYS);
    WCHAR folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    MakeControl(window, L"STATIC", folder, WS_VISIBLE, 10, 140, 380, 20, IDC_FOLDER);
    ShowKeyCounts();
}

void OnCommand(HWND window, int id)
{
    switch (id) {
    case IDC_ASK: {
        int answer = MessageBoxW(window, L"Save the changes?", L"Target Question", MB_YESNOCANCEL | MB_ICONQUESTION);
        WCHAR text[32];
        swprintf(text, 32, L"answer %d", answer);
        SetWindowTextW(hEdit, text);
        break;
    }
    case IDC_TOGGLE: {
        HMENU menu = GetMenu(window);
        EnableMenuItem(menu, IDM_GREYED, MF_BYCOMMAND | MF_ENABLED);
        CheckMenuItem(menu, IDM_CHECKED, MF_BYCOMMAND | MF_UNCHECKED);
        break;
    }
    case IDC_HANG:
        Hang();
    case IDC_EXIT3:
        ExitCode = 3;
        DestroyWindow(window);
        break;
    case IDM_EXIT:
        DestroyWindow(window);
        break;
    }
}

LRESULT CALLBACK TargetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_KEYDOWN:
        ++KeyDowns;
        ShowKeyCounts();
        return 0;
    case WM_CHAR:
        ++Chars;
        ShowKeyCounts();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(ExitCode);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TargetWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(RGB(TARGET_BACK_R, TARGET_BACK_G, TARGET_BACK_B));
    wc.lpszClassName = TARGET_CLASS;
    if (!RegisterClassW(&wc))
        return 1;
    HWND window = CreateWindowExW(
        0, TARGET_CLASS, TARGET_TITLE, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, TARGET_X, TARGET_Y,
        TARGET_WIDTH, TARGET_HEIGHT, nullptr, LoadMenuW(instance, MAKEINTRESOURCEW(TARGET_MENU)), instance, nullptr);
    if (!window)
        return 2;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return int(msg.wParam);
}
