// e2e_hook.dll: loaded into the program under test by the harness's SetWindowsHookEx on that
// program's GUI thread. Answers the harness's queries about the program's own menu, which
// another process cannot read under Wine ("other process menu"), about its GDI objects, and
// about the texts it draws on its windows (which no control holds): at its first message the
// hook points the program's imports of TextOutW and ExtTextOutW at recorders that keep the
// text and its place and then draw as before.
#include "tests/common/win_test_util.h"
#include "tests/e2e/harness/hook_protocol.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------
// Texts drawn by the program

using TextOutWProc = BOOL(WINAPI*)(HDC, int, int, LPCWSTR, int);
using ExtTextOutWProc = BOOL(WINAPI*)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT, const INT*);

TextOutWProc RealTextOutW = nullptr;
ExtTextOutWProc RealExtTextOutW = nullptr;

struct DrawnText {
    HWND window;
    int x, y;
    int length;
    WCHAR text[e2e::HookTextMaxLength];
};

CRITICAL_SECTION TextLock;
DrawnText Texts[e2e::HookTextSlots];
long TextCount = 0;        // sequence number of the next text
HWND AlsoChild = nullptr;  // the one child window recorded too
DrawnText Selected;        // the copy the harness reads
bool HaveSelected = false;
LONG Patched = 0;

void Record(HDC dc, int x, int y, LPCWSTR text, int length)
{
    if (!text || length <= 0)
        return;
    // Top-level windows, and the one child the harness asked for: the child windows redraw
    // their numbers many times a second and would push everything else out.
    HWND window = WindowFromDC(dc);
    if (!window)
        return;
    EnterCriticalSection(&TextLock);
    if (GetAncestor(window, GA_ROOT) != window && window != AlsoChild) {
        LeaveCriticalSection(&TextLock);
        return;
    }
    DrawnText& slot = Texts[TextCount % e2e::HookTextSlots];
    slot.window = window;
    slot.x = x;
    slot.y = y;
    slot.length = length < e2e::HookTextMaxLength ? length : int(e2e::HookTextMaxLength);
    std::memcpy(slot.text, text, size_t(slot.length) * sizeof(WCHAR));
    ++TextCount;
    LeaveCriticalSection(&TextLock);
}

BOOL WINAPI RecordingTextOutW(HDC dc, int x, int y, LPCWSTR text, int length)
{
    Record(dc, x, y, text, length);
    return RealTextOutW(dc, x, y, text, length);
}

BOOL WINAPI RecordingExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length,
                                 const INT* dx)
{
    // Glyph indices are no text.
    if (!(options & ETO_GLYPH_INDEX) && length <= UINT(INT_MAX))
        Record(dc, x, y, text, int(length));
    return RealExtTextOutW(dc, x, y, options, rect, text, length, dx);
}

void WriteThunk(ULONG_PTR* entry, ULONG_PTR value)
{
    DWORD old = 0;
    if (VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &old)) {
        *entry = value;
        VirtualProtect(entry, sizeof *entry, old, &old);
    }
}

// The main module's import table entries of gdi32's text calls, found by name (or, without
// the name table, by the address they were bound to).
void ForEachTextImport(void (*visit)(ULONG_PTR* entry, bool extended))
{
    uint8_t* base = reinterpret_cast<uint8_t*>(GetModuleHandleW(nullptr));
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return;
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE)
        return;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return;
    HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
    const ULONG_PTR textOut = gdi ? ULONG_PTR(GetProcAddress(gdi, "TextOutW")) : 0;
    const ULONG_PTR extTextOut = gdi ? ULONG_PTR(GetProcAddress(gdi, "ExtTextOutW")) : 0;
    auto* first = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (auto* d = first; d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), "gdi32.dll") != 0)
            continue;
        auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        auto* names =
            d->OriginalFirstThunk ? reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk) : nullptr;
        for (; thunk->u1.Function; ++thunk) {
            const char* name = nullptr;
            if (names && !IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                name = reinterpret_cast<const char*>(
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            const ULONG_PTR bound = thunk->u1.Function;
            if (name ? std::strcmp(name, "TextOutW") == 0 : bound == textOut)
                visit(reinterpret_cast<ULONG_PTR*>(&thunk->u1.Function), false);
            else if (name ? std::strcmp(name, "ExtTextOutW") == 0 : bound == extTextOut)
                visit(reinterpret_cast<ULONG_PTR*>(&thunk->u1.Function), true);
            if (names)
                ++names;
        }
    }
}

void PatchEntry(ULONG_PTR* entry, bool extended)
{
    if (extended) {
        if (*entry == ULONG_PTR(&RecordingExtTextOutW))
            return;
        RealExtTextOutW = reinterpret_cast<ExtTextOutWProc>(*entry);
        WriteThunk(entry, ULONG_PTR(&RecordingExtTextOutW));
    } else {
        if (*entry == ULONG_PTR(&RecordingTextOutW))
            return;
        RealTextOutW = reinterpret_cast<TextOutWProc>(*entry);
        WriteThunk(entry, ULONG_PTR(&RecordingTextOutW));
    }
}

void UnpatchEntry(ULONG_PTR* entry, bool extended)
{
    if (extended && *entry == ULONG_PTR(&RecordingExtTextOutW) && RealExtTextOutW)
        WriteThunk(entry, ULONG_PTR(RealExtTextOutW));
    if (!extended && *entry == ULONG_PTR(&RecordingTextOutW) && RealTextOutW)
        WriteThunk(entry, ULONG_PTR(RealTextOutW));
}

// Once, on the program's GUI thread. The DLL is pinned first: the program's imports point into
// it from then on, so it must not be unloaded when the harness removes its hook.
void StartRecordingTexts()
{
    if (InterlockedCompareExchange(&Patched, 1, 0) != 0)
        return;
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCWSTR>(&StartRecordingTexts), &self))
        return;
    ForEachTextImport(PatchEntry);
}

LRESULT SelectText(long sequence)
{
    EnterCriticalSection(&TextLock);
    const bool held = sequence >= 0 && sequence < TextCount && TextCount - sequence <= e2e::HookTextSlots;
    if (held)
        Selected = Texts[sequence % e2e::HookTextSlots];
    HaveSelected = held;
    LeaveCriticalSection(&TextLock);
    return held ? LRESULT(Selected.length) : e2e::HookNoAnswer;
}

LRESULT SelectedTextPart(WPARAM query, LPARAM argument)
{
    if (!HaveSelected)
        return e2e::HookNoAnswer;
    switch (query) {
    case e2e::HookTextChar:
        if (argument < 0 || argument >= Selected.length)
            return e2e::HookNoAnswer;
        return LRESULT(Selected.text[argument]);
    case e2e::HookTextX:
        return Selected.x;
    case e2e::HookTextY:
        return Selected.y;
    case e2e::HookTextWindow:
        return LRESULT(Selected.window);
    default:
        return e2e::HookNoAnswer;
    }
}

// ---------------------------------------------------------------------------------------

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

// The sequence number of the last idle marker the thread took from its queue.
volatile LONG IdleMarkerSeen = 0;

LRESULT GdiObjectsOfThisProcess()
{
    const int counted = CountGdiObjects();
    return counted > 0 ? LRESULT(counted) : e2e::HookNoAnswer;
}

LRESULT Answer(HWND window, WPARAM query, LPARAM argument)
{
    HMENU menu = GetMenu(window);
    switch (query) {
    case e2e::HookPing:
        return e2e::HookPingAnswer;
    case e2e::HookIdleMarkerSeen:
        return LRESULT(IdleMarkerSeen);
    case e2e::HookFlushDrawing: {
        GdiFlush();
        // A look at the queue that finds nothing is where Wine hands the thread's window
        // drawing to the display; no message lies in this range.
        MSG none;
        PeekMessageW(&none, nullptr, WM_APP + 0x3FF0, WM_APP + 0x3FF0, PM_NOREMOVE);
        // The hand-over only sends the drawing; another process's capture can reach the
        // display first. A read of the screen waits for the display's answer, which comes
        // after it has drawn everything this process sent before it.
        if (HDC screen = GetDC(nullptr)) {
            GetPixel(screen, 0, 0);
            ReleaseDC(nullptr, screen);
        }
        return 1;
    }
    case e2e::HookMenuState:
        // GetMenuState's own "no such item" is 0xFFFFFFFF: the same -1.
        return menu ? LRESULT(int(GetMenuState(menu, UINT(argument), MF_BYCOMMAND))) : e2e::HookNoAnswer;
    case e2e::HookMenuTextLength:
        return MenuTextLength(menu, UINT(argument));
    case e2e::HookMenuTextChar:
        return MenuTextChar(menu, LOWORD(argument), HIWORD(argument));
    case e2e::HookGdiObjects:
        return GdiObjectsOfThisProcess();
    case e2e::HookTextCount: {
        EnterCriticalSection(&TextLock);
        const long count = TextCount;
        LeaveCriticalSection(&TextLock);
        return count;
    }
    case e2e::HookTextSelect:
        return SelectText(long(argument));
    case e2e::HookTextAlsoChild:
        EnterCriticalSection(&TextLock);
        AlsoChild = reinterpret_cast<HWND>(argument);
        LeaveCriticalSection(&TextLock);
        return 1;
    case e2e::HookTextChar:
    case e2e::HookTextX:
    case e2e::HookTextY:
    case e2e::HookTextWindow:
        return SelectedTextPart(query, argument);
    default:
        return e2e::HookNoAnswer;
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK E2eCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    StartRecordingTexts();
    if (code == HC_ACTION) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        // Reply before the window procedure runs: the program's own procedure would answer
        // an unknown message with 0.
        if (sent->message == QueryMessage() && InSendMessage())
            ReplyMessage(Answer(sent->hwnd, sent->wParam, sent->lParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK E2eGetMessageProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        MSG* taken = reinterpret_cast<MSG*>(lParam);
        if (taken->hwnd == nullptr && taken->message == QueryMessage() && taken->wParam == e2e::HookIdleMarker) {
            InterlockedExchange(&IdleMarkerSeen, static_cast<LONG>(taken->lParam));
            taken->message = WM_NULL;  // nothing for the program's own loop
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&TextLock);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on (only where pinning failed): the imports must not
        // point here any more.
        if (Patched)
            ForEachTextImport(UnpatchEntry);
        DeleteCriticalSection(&TextLock);
    }
    return TRUE;
}
