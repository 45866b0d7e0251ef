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
// Exports of the hook DLL, undecorated (the DLL links with --kill-at): the hook of the sent
// messages (the queries) and the hook of the messages the thread takes from its queue (the
// idle markers).
#define E2E_HOOK_PROC_NAME "E2eCallWndProc"
#define E2E_HOOK_GETMESSAGE_PROC_NAME "E2eGetMessageProc"

// An idle marker: the query message posted to the GUI thread itself (no window) with this
// wParam and a sequence number in lParam. The hook notes the number when the thread takes the
// message from its queue, in its own loop or in a modal one (a message box, a dialog): every
// message posted before it has been handled by then, or the program waits for the operator.
const unsigned HookIdleMarker = 0x4D4B;

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
    HookTextWindow = 10,      // lParam unused: the window of the DC (WindowFromDC)
    HookIdleMarkerSeen = 12,  // lParam unused: the last idle marker the thread took (0: none)
    HookTextAlsoChild = 11,   // lParam = one child window whose texts are recorded too from now
                              // on (replacing an earlier one; null: none); answers 1
    // lParam unused: hands what the thread has drawn to the display now, as it would when it
    // next waits for a message (Wine keeps a window's drawing in the process until then, so a
    // capture of the screen could still show the picture before); answers 1
    HookFlushDrawing = 13,
};

const long HookTextSlots = 512;
const long HookTextMaxLength = 255;  // longer texts are kept cut to this length

const long HookPingAnswer = 0x45324548;  // "E2EH"
const long HookNoAnswer = -1;

}  // namespace e2e
