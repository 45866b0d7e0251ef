// e2e_hook.dll: loaded into the program under test by the harness's SetWindowsHookEx on that
// program's GUI thread. Answers the harness's queries about the program's own menu, which
// another process cannot read under Wine ("other process menu"), and about its GDI objects.
#include "tests/e2e/harness/hook_protocol.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

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

// Wine answers GetGuiResources with 0 (not implemented), even for the own process. Its GDI
// handles live in a per-process table that the PEB points to, as on Windows: 24-byte entries
// indexed by the handle's low word, the handle's high word at byte 12 and a non-zero object
// type at byte 14 while the object lives. Each live entry is confirmed by GetObjectType on
// the handle it stands for, so a misread table counts nothing rather than garbage.
LRESULT CountGdiTableEntries()
{
#if defined(__i386__) || defined(_M_IX86)
    const uint8_t* peb = reinterpret_cast<const uint8_t*>(__readfsdword(0x30));
    const uint8_t* table = peb ? *reinterpret_cast<const uint8_t* const*>(peb + 0x94) : nullptr;
    if (!table)
        return e2e::HookNoAnswer;
    const size_t EntrySize = 24, EntryCount = 0x10000;
    LRESULT live = 0;
    for (size_t index = 0; index < EntryCount; ++index) {
        const uint8_t* entry = table + index * EntrySize;
        if (entry[14] == 0)
            continue;
        uint16_t unique = 0;
        std::memcpy(&unique, entry + 12, sizeof unique);
        const HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(uintptr_t(unique) << 16 | index);
        live += GetObjectType(handle) != 0 ? 1 : 0;
    }
    return live > 0 ? live : e2e::HookNoAnswer;
#else
    return e2e::HookNoAnswer;
#endif
}

LRESULT GdiObjectsOfThisProcess()
{
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return counted > 0 ? LRESULT(counted) : CountGdiTableEntries();
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
    case e2e::HookGdiObjects:
        return GdiObjectsOfThisProcess();
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
