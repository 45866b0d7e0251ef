// e2e_hook.dll: loaded into the program under test by the harness's SetWindowsHookEx on that
// program's GUI thread. Answers the harness's queries about the program's own menu, which
// another process cannot read under Wine ("other process menu").
#include "tests/e2e/harness/hook_protocol.h"

#include <windows.h>

namespace {

UINT QueryMessage()
{
    static const UINT message = RegisterWindowMessageW(E2E_HOOK_MESSAGE_NAME);
    return message;
}

LRESULT MenuTextLength(HMENU menu, UINT id)
{
    if (!menu)
        return e2e::HookNoAnswer;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, id, FALSE, &info))
        return e2e::HookNoAnswer;
    return LRESULT(info.cch);
}

LRESULT MenuTextChar(HMENU menu, UINT id, UINT index)
{
    LRESULT length = MenuTextLength(menu, id);
    if (length < 0 || index >= UINT(length))
        return e2e::HookNoAnswer;
    WCHAR buffer[512];
    if (length >= LRESULT(sizeof buffer / sizeof buffer[0]))
        return e2e::HookNoAnswer;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = sizeof buffer / sizeof buffer[0];
    if (!GetMenuItemInfoW(menu, id, FALSE, &info))
        return e2e::HookNoAnswer;
    return LRESULT(buffer[index]);
}

LRESULT Answer(HWND window, WPARAM query, LPARAM argument)
{
    HMENU menu = GetMenu(window);
    switch (query) {
    case e2e::HookPing:
        return e2e::HookPingAnswer;
    case e2e::HookMenuState:
        // GetMenuState's own "no such item" is 0xFFFFFFFF: the same -1.
        return menu ? LRESULT(int(GetMenuState(menu, UINT(argument), MF_BYCOMMAND))) : e2e::HookNoAnswer;
    case e2e::HookMenuTextLength:
        return MenuTextLength(menu, UINT(argument));
    case e2e::HookMenuTextChar:
        return MenuTextChar(menu, LOWORD(argument), HIWORD(argument));
    default:
        return e2e::HookNoAnswer;
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK E2eCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        // Reply before the window procedure runs: the program's own procedure would answer
        // an unknown message with 0.
        if (sent->message == QueryMessage() && InSendMessage())
            ReplyMessage(Answer(sent->hwnd, sent->wParam, sent->lParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
