// What the harness asks the hook DLL (e2e_hook.dll) inside the program under test. The hook
// watches the messages sent to the program's GUI thread; for the registered message below it
// replies at once with the answer, before the window procedure sees the message.
//
//   wParam = one of the queries, lParam = its argument; the reply is the answer, or
//   HookNoAnswer where a query has none (no menu, no such item, index past the end).
#pragma once

namespace e2e {

// RegisterWindowMessage name of the query message; both sides register it.
#define E2E_HOOK_MESSAGE_NAME L"VloxE2eHookQuery"
// Export of the hook DLL, undecorated (the DLL links with --kill-at).
#define E2E_HOOK_PROC_NAME "E2eCallWndProc"

enum HookQuery {
    HookPing = 0,            // answers HookPingAnswer: the hook is installed and live
    HookMenuState = 1,       // lParam = item id: GetMenuState(GetMenu(window), id, MF_BYCOMMAND)
    HookMenuTextLength = 2,  // lParam = item id: length of the item text
    HookMenuTextChar = 3,    // lParam = MAKELPARAM(item id, index): one character of the text
    HookGdiObjects = 4,      // lParam unused: GDI objects of the program's process (stock ones too)
    // Texts the program's main module draws with TextOutW / ExtTextOutW on a DC of a top-level
    // window, recorded from the first query on (the hook's first message), each with a
    // sequence number counting from 0; the last HookTextSlots are kept.
    HookTextCount = 5,   // lParam unused: texts recorded so far (the next sequence number)
    HookTextSelect = 6,  // lParam = sequence number: takes a copy of that text to read,
                         // answers its length (no answer once it has been overwritten)
    HookTextChar = 7,    // lParam = index: one character of the selected text
    HookTextX = 8,       // lParam unused: where the selected text was drawn (DC units)
    HookTextY = 9,
    HookTextWindow = 10,     // lParam unused: the window of the DC (WindowFromDC)
    HookTextAlsoChild = 11,  // lParam = one child window whose texts are recorded too from now
                             // on (replacing an earlier one; null: none); answers 1
};

const long HookTextSlots = 512;
const long HookTextMaxLength = 255;  // longer texts are kept cut to this length

const long HookPingAnswer = 0x45324548;  // "E2EH"
const long HookNoAnswer = -1;

}  // namespace e2e
