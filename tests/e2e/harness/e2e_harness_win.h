// The end-to-end harness: starts a program under Wine (V-LOX, a converter, the harness's
// own target) and drives its windows from outside, as an operator would.
//
// Rules it keeps, so that a test never hangs on the program under test:
// - Everything sent to the program is POSTED (commands, keys, characters, clicks, close):
//   the program busy-waits and runs modal boxes, and a sent message would block the test.
// - Reads (window text, menu state) use SendMessageTimeout and fail after a time-out.
// - Every wait has a time-out; a Program object ends its process when it goes away.
//
// Typical use in a test (tests/e2e/CMakeLists.txt: vlox_win_test(... LIBS e2e_harness) and
// add_dependencies on e2e_hook and the programs it starts):
//
//   e2e::Program vlox;
//   ASSERT_TRUE(vlox.Start(e2e::InBinFolder(L"V-LOX.exe"), L"C:\\vloxrun"));
//   HWND main = vlox.WaitWindow(L"VLOX", nullptr, 20000);
//   e2e::PostCommand(main, IDC_MONITOR);                  // the "Monitor" button
//   HWND box = vlox.WaitMessageBox(L"Error", 5000);
//   e2e::MessageBoxInfo info;
//   e2e::ReadMessageBox(box, &info);                     // caption, text, button ids
//   e2e::PressButton(box, IDOK);
//   UINT state;
//   vlox.MenuState(main, IDM_MEASURE, &state);            // MF_GRAYED, MF_CHECKED ...
//   e2e::PostClose(main);
//   DWORD code;
//   vlox.WaitExit(15000, &code);
//   EXPECT_TRUE(vlox.MessageBoxesSeen().empty());         // none came and went unnoticed
//
// Dialogs are "#32770" windows like message boxes: WaitMessageBox finds them by caption,
// Control() their controls, SelectAllText + PostText fill edits, SelectComboItem picks,
// PressButton(dialog, IDOK) closes. SerialLink (end of this file) gives the program a COM
// port whose other end the test writes and reads.
#pragma once

#include "tests/e2e/harness/png_writer.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

// Time-out of one read (SendMessageTimeout) of another program's window.
const DWORD ReadTimeoutMs = 2000;

// ---------------------------------------------------------------------------------------
// Files and folders (Windows paths)

// The folder of the running executable, without a trailing backslash: the build's bin
// folder, where V-LOX.exe, the converters, the target and e2e_hook.dll lie.
std::wstring BinFolder();
// BinFolder() + "\" + name.
std::wstring InBinFolder(const wchar_t* name);
// Creates the folder (and its parents), or empties it when it exists. False on failure.
bool MakeEmptyFolder(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>* bytes);
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);

// Narrow <-> wide for messages and command lines (UTF-8 on the narrow side).
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// The Unix path of a Windows path as Wine maps it ("" when Wine gives none).
std::wstring UnixPathOf(const std::wstring& windowsPath);
// Runs a command line of the Unix shell to its end (Wine starts Unix programs by
// CreateProcess): its exit status, or -1 when it could not be started or has not ended within
// timeoutMs. The command must not contain double quotes.
int RunUnixShell(const std::wstring& command, DWORD timeoutMs = 10000);

// A file whose writes are refused as on a write-protected card: the read-only attribute, and
// where that does not hold (the superuser) the file system's immutable flag. openHandlesToo:
// writes through handles opened before are refused as well (a card that fills up under an
// open file); only the immutable flag does that. The file is writable again after Release
// or when the object ends.
class WriteProtection {
public:
    WriteProtection() = default;
    WriteProtection(const WriteProtection&) = delete;
    WriteProtection& operator=(const WriteProtection&) = delete;
    ~WriteProtection() { Release(); }
    // False (and nothing changed) when this host cannot refuse the writes.
    bool Protect(const std::wstring& path, bool openHandlesToo = false);
    void Release();

private:
    std::wstring path_;
    bool immutable_ = false;
};

// ---------------------------------------------------------------------------------------
// Waiting

// Calls done() every stepMs until it returns true (true) or timeoutMs have passed (false,
// after one last call). done() is called at least once.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs = 20);

// ---------------------------------------------------------------------------------------
// Reading windows of any process. A null or destroyed window reads as absent: not shown,
// not enabled, empty rectangle, read failure.

std::wstring ClassOf(HWND window);
// WM_GETTEXT through SendMessageTimeout (GetWindowText of another process's control reads
// nothing under Wine). False when the window is gone or does not answer in time.
bool ReadText(HWND window, std::wstring* text, DWORD timeoutMs = ReadTimeoutMs);
// The same, "" on failure.
std::wstring TextOf(HWND window);
// Child control by id (GetDlgItem), null when there is none.
HWND Control(HWND parent, int id);
// Own visibility style and parents' (IsWindowVisible).
bool IsShown(HWND window);
bool IsEnabled(HWND window);
// The window with the keyboard focus on the thread of window (GetGUIThreadInfo, which answers
// for another process's thread too); null when none or unknown.
HWND FocusedWindow(HWND window);
// A combo box's selected item (-1 none) and the text of one of its items ("" on failure).
int ComboSelection(HWND combo);
std::wstring ComboItemText(HWND combo, int index);
// The shown edit control of a file dialog (its name field, at any depth), waiting for it; null
// when there is none after the time-out.
HWND FileNameField(HWND dialog, DWORD timeoutMs = 5000);
// Outer rectangle in screen coordinates.
RECT ScreenRect(HWND window);
// Outer rectangle in the client coordinates of the parent (of a child control).
RECT RectInParent(HWND window);
// Client area size as (0, 0, width, height).
RECT ClientRectOf(HWND window);
LONG StyleOf(HWND window);
// Child windows (one level) of a class, e.g. L"Button"; every class when cls is null.
std::vector<HWND> Children(HWND parent, const wchar_t* cls = nullptr);
// The shown child windows of a window that overlap one another, one line per pair with
// each one's text (or class) and rectangle in the parent; empty when none do.
std::vector<std::string> OverlappingChildren(HWND parent);

// ---------------------------------------------------------------------------------------
// Driving a program: every call POSTS and returns whether the message was posted.

// WM_COMMAND with the id in the low word (menu items, accelerators, buttons by id).
bool PostCommand(HWND window, int id, int notifyCode = 0, HWND control = nullptr);
// BN_CLICKED from a button to its parent, only when the button is shown and enabled (a
// click posted to a button of a disabled window would otherwise still arrive).
bool ClickButton(HWND button);
// ClickButton on the control id of a dialog or message box (press a box's buttons by id:
// Escape on an OK-only box gives IDCANCEL under Wine).
bool PressButton(HWND dialog, int id);
bool PostClose(HWND window);
// WM_KEYDOWN then WM_KEYUP alone, for virtual keys (VK_F5, VK_TAB, VK_RETURN ...).
bool PostKey(HWND window, UINT virtualKey);
// WM_CHAR alone, for characters (with WM_KEYDOWN as well, TranslateMessage in the program
// would type each character twice).
bool PostChar(HWND window, wchar_t c);
bool PostText(HWND window, const std::wstring& text);
// Selects all text of an edit control (EM_SETSEL 0, -1), so that typing replaces it.
bool SelectAllText(HWND edit);
// Selects an item of a combo box and tells its parent (CBN_SELCHANGE), as a user would.
bool SelectComboItem(HWND combo, int index);
// Puts text into a control at once (WM_SETTEXT, with a time-out): a file dialog's name field.
bool SetText(HWND window, const std::wstring& text);
// Mouse button down and up at a point of the window's client area.
bool PostMouseClick(HWND window, int x, int y, bool rightButton = false);

// ---------------------------------------------------------------------------------------
// Screenshots: copied from the screen at the window's rectangle (PrintWindow copies nothing
// across processes under Wine); under Xvfb nothing overlaps the window. The part of the
// window outside the screen is left out.

bool CaptureWindow(HWND window, RgbImage* image);
bool CaptureWindowToPng(HWND window, const std::wstring& pngPath);
// The client area alone: the image's pixel (x, y) is the client's (x, y), where the program
// draws (DrawnText positions) and places its children (RectInParent).
bool CaptureClient(HWND window, RgbImage* image);
// Keeps a capture that a test has checked.
bool SavePng(const RgbImage& image, const std::wstring& pngPath);
// Pixels in r (image coordinates, clipped to the image) darker than mid grey: the ink of
// text and lines.
int DarkPixels(const RgbImage& image, const RECT& r);

// ---------------------------------------------------------------------------------------
// Message boxes and dialogs (top-level windows of class "#32770")

struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;         // the message (all static texts of a dialog, joined by "\n")
    std::vector<int> buttons;  // ids of its shown buttons, e.g. IDYES, IDNO, IDCANCEL
};

// Reads caption, text and buttons. False when the box is gone or does not answer.
bool ReadMessageBox(HWND box, MessageBoxInfo* info);
// Top-level "#32770" windows of a process, shown or not.
std::vector<HWND> DialogsOfProcess(DWORD processId);

// ---------------------------------------------------------------------------------------
// The program under test

// A text the program drew with TextOutW or ExtTextOutW on one of its top-level windows
// (recorded inside it by e2e_hook.dll).
struct DrawnText {
    long sequence = 0;      // order of drawing, from 0
    HWND window = nullptr;  // the window of the device context
    int x = 0;              // where it was drawn, device-context units (client pixels)
    int y = 0;
    std::wstring text;
};

class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // Ends the process when it still runs, removes the hooks, stops the box watch.
    ~Program();

    // Starts exe with the current folder folder (created when missing) and no arguments,
    // and starts watching for message boxes. error (optional) gets the reason of a failure.
    bool Start(const std::wstring& exe, const std::wstring& folder, std::wstring* error = nullptr);
    // Takes over a program that runs already, by one of its windows.
    bool Attach(HWND window, std::wstring* error = nullptr);

    DWORD ProcessId() const { return processId_; }
    bool Running() const;

    // A top-level window of this program by class and/or title (null: any), or null.
    HWND FindTopWindow(const wchar_t* cls, const wchar_t* title = nullptr) const;
    // The same, waiting until it exists and is shown; null after the time-out or when the
    // program ends first.
    HWND WaitWindow(const wchar_t* cls, const wchar_t* title, DWORD timeoutMs) const;
    // A shown message box or dialog of this program, by caption (null: any); null after the
    // time-out or when the program ends first.
    HWND WaitMessageBox(const wchar_t* caption, DWORD timeoutMs) const;
    // Shown message boxes and dialogs of this program now.
    std::vector<HWND> OpenMessageBoxes() const;
    // Every message box and dialog that was shown since Start (checked every 25 ms in the
    // background, and by every look for boxes), with what it said when first seen.
    std::vector<MessageBoxInfo> MessageBoxesSeen() const;

    // Waits until the program's GUI thread has handled everything posted to it before this
    // call and waits for input (in its own loop, or in a modal one such as a message box):
    // an idle marker is posted to the thread and waited for through the hook DLL. Before the
    // program has a window, as WaitForInputIdle. False after the time-out.
    bool WaitIdle(DWORD timeoutMs);
    // WaitIdle, then the paints that wait in window and its children done at once (sent to
    // the program's thread, as UpdateWindow does: the idle marker is taken before them), so
    // that what the screen shows is what the program has drawn. False after the time-out.
    bool WaitDrawn(HWND window, DWORD timeoutMs);
    // Waits for the end of the program; exitCode (optional) gets its exit code.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // Ends the process (exit code 255) and waits for it.
    void Kill();
    // Lets the program go on alone: removes the hooks, stops the box watch, forgets the
    // process without ending it.
    void Detach();

    // State of a menu item of window's menu (GetMenuState flags: MF_GRAYED, MF_DISABLED,
    // MF_CHECKED...), asked inside the program through e2e_hook.dll. False when the hook
    // cannot be installed, the program does not answer in time, or the item does not exist.
    bool MenuState(HWND window, UINT itemId, UINT* state);
    // The text of a menu item ("&Decay View"), the same way.
    bool MenuText(HWND window, UINT itemId, std::wstring* text);
    // The number of GDI objects the program holds, counted inside it through e2e_hook.dll
    // (GetGuiResources from another process answers 0 under Wine). window is one of the
    // program's windows on the thread to ask. False when the count cannot be had.
    bool GdiObjects(HWND window, DWORD* count);
    // Texts drawn on the program's top-level windows are recorded from the first query to the
    // hook on (any of the calls above or below; the recording stays until the program ends).
    // DrawnTextCount gives the number recorded so far (the next text's sequence number);
    // DrawnTexts the texts from sequence from on that are still held (the last
    // HookTextSlots). window is one of the program's windows on the thread to ask. False when
    // the hook cannot be asked.
    bool DrawnTextCount(HWND window, long* count);
    bool DrawnTexts(HWND window, long from, std::vector<DrawnText>* texts);
    // Records the texts drawn on one child window of the program too (a window that redraws
    // often, such as the numbers window, fills the record quickly), from now on.
    bool RecordTextsOfChild(HWND window, HWND child);

private:
    bool Hook(HWND window);
    bool Ask(HWND window, int query, LPARAM argument, LRESULT* answer);
    void StartWatch();
    void StopWatch();
    void Watch();
    void NoteBox(HWND box) const;
    void Release();

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    struct HookedThread {
        DWORD threadId;
        HHOOK hook;
        HHOOK getMessageHook;
    };
    LONG idleMarker_ = 0;
    std::vector<HookedThread> hooks_;
    HMODULE hookModule_ = nullptr;

    std::thread watch_;
    std::atomic<bool> stopWatch_{false};
    mutable std::mutex seenLock_;
    mutable std::vector<MessageBoxInfo> seen_;
};

// ---------------------------------------------------------------------------------------
// A serial line between the program under test and the test: a socat pseudo-terminal pair
// whose two ends are linked as COM ports of the running Wine prefix ($WINEPREFIX/dosdevices).
// The program opens its port as usual ("COM5:"); the test holds the other end and writes
// what a GPS receiver or a meter would send, and reads what the program sends. Line
// settings (baud rate, parity) do not matter on a pseudo-terminal: bytes pass as written.
//
//   e2e::SerialLink gps;
//   ASSERT_TRUE(gps.Open(5, 21));          // the program's COM5 <-> the test's COM21
//   gps.Write("$GPGGA,...*47\r\n");
//   std::string sent;
//   gps.Read(&sent, 500);

// The sentence as a receiver sends it: "$", body, "*", the checksum (the XOR of the body's
// characters, two hex digits), CR LF.
std::string NmeaLine(const char* body);

class SerialLink {
public:
    SerialLink() = default;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;
    // Closes the test's end and ends socat.
    ~SerialLink();

    // Starts socat (ending by itself after lifetimeS seconds at the latest, should the test
    // die first), waits for both links and opens the test's end. Ports 1 to 99, different.
    bool Open(int programPort, int testPort, std::wstring* error = nullptr, int lifetimeS = 600);
    void Close();
    // Writes all bytes to the program's side.
    bool Write(const std::string& bytes);
    // Reads what arrives from the program for timeoutMs (all of it, appended to bytes).
    bool Read(std::string* bytes, DWORD timeoutMs);
    // The test's end (a COM port handle), INVALID_HANDLE_VALUE when closed.
    HANDLE TestEnd() const { return port_; }

private:
    HANDLE port_ = INVALID_HANDLE_VALUE;
    std::wstring pidFile_;   // Windows path of the file with socat's process id
    std::wstring unixBase_;  // Unix path of the link's files, without extension
};

// The texts drawn on window from sequence from on, in order; asked is a window of the thread
// that draws them (the program's main window for its children). Empty when the hook cannot be
// asked.
std::vector<DrawnText> TextsDrawnOn(Program& program, HWND asked, HWND window, long from);

// ---------------------------------------------------------------------------------------
// V-LOX

// Starts V-LOX.exe from the bin folder in the emptied folder (with the configuration file
// "VLOXTARNWEL.INI" written there first, when one is given) and waits until its main window is
// shown, the splash has gone and the program is idle. Returns the main window, or null with
// the reason in *error. copied: programs of the bin folder (the converters) that must lie
// beside V-LOX.exe; then V-LOX and its libraries are copied into the folder too and started
// from there, as in the field.
HWND StartVloxPastSplash(Program& vlox, const std::wstring& folder, std::string* error,
                         const std::string& configuration = std::string(),
                         const std::vector<std::wstring>& copied = {});

}  // namespace e2e
