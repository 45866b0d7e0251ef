// The operator's steps on V-LOX's main window that the end-to-end tests share: the name of
// today's first data file, Create Data File under its default name, Measure then Store, and
// the fixture of a suite that one V-LOX run serves. Controls by their names in
// resources/resource.h.
#pragma once

#include "resources/resource.h"
#include "tests/e2e/harness/e2e_harness_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

// The default name of a data file made today: year, month, day, "_", counter 000, with the
// extension given (VLX, tmp, NLG).
inline std::wstring TodaysFirstDataFile(const wchar_t* extension)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"C:\\Vlox_Data\\%04u%02u%02u_000.%ls", t.wYear, t.wMonth, t.wDay, extension);
    return name;
}

// Create File, the save dialog taken with its default name, "Close File" shown: the data file
// is open. Empty when every step came, else the step that did not.
inline std::string CreateDataFileUnderDefaultName(Program& program, HWND main)
{
    if (!ClickButton(Control(main, IDC_CREATE_DATA_FILE)))
        return "Create File cannot be pressed";
    HWND dialog = program.WaitMessageBox(L"Create Data File", 60000);
    if (dialog == nullptr)
        return "no save dialog";
    if (!PressButton(dialog, IDOK))
        return "the save dialog's OK cannot be pressed";
    if (!WaitUntil([main] { return IsShown(Control(main, IDC_CLOSE_DATA_FILE)); }, 60000))
        return "Close File is not shown after the save dialog";
    return std::string();
}

// Measure, the reading-complete screen within readingTimeoutMs, Store: back to the idle
// buttons with "Repeat Last Station" offered. atComplete runs once the reading has ended,
// before Store. Empty when every step came, else the step that did not.
inline std::string MeasureAndStore(Program& program, HWND main, DWORD readingTimeoutMs,
                                   const std::function<void()>& atComplete = {})
{
    auto shown = [main](int id) { return IsShown(Control(main, id)); };
    HWND measure = Control(main, IDC_MEASURE);
    if (!WaitUntil([&] { return IsShown(measure) && IsEnabled(measure); }, 60000))
        return "MEASURE is not offered";
    if (!ClickButton(measure))
        return "MEASURE cannot be pressed";
    if (!WaitUntil([&] { return shown(IDC_STOP); }, 60000))
        return "the reading did not start";
    if (!WaitUntil([&] { return shown(IDC_STORE_READING) && !shown(IDC_STOP); }, readingTimeoutMs))
        return "the reading did not end";
    if (atComplete)
        atComplete();
    if (!WaitUntil([&] { return IsEnabled(Control(main, IDC_STORE_READING)); }, 60000))
        return "STORE is shown but disabled: nothing was stacked";
    if (!ClickButton(Control(main, IDC_STORE_READING)))
        return "STORE cannot be pressed";
    if (!WaitUntil([&] { return !shown(IDC_STORE_READING) && shown(IDC_MEASURE) && shown(IDC_REPEAT_LAST_STATION); },
                   10000))
        return "Store did not return to the idle buttons";
    if (!program.WaitIdle(60000))
        return "V-LOX is not idle after Store";
    return std::string();
}

// Exit from the File menu, then V-LOX's end within 20 s with its exit code in *code. Empty
// when it ended, else why not.
inline std::string ExitVlox(Program& program, HWND main, DWORD* code)
{
    if (!PostCommand(main, IDM_EXIT))
        return "Exit cannot be given";
    if (!program.WaitExit(20000, code))
        return "V-LOX has not ended 20 s after Exit";
    return std::string();
}

// The message box a dialog owns (a refusal of its OK), read and answered with OK: its text,
// or "<no box>" when none came within 10 s.
inline std::wstring AnswerBoxOver(Program& program, HWND dialog)
{
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : program.OpenMessageBoxes())
                if (w != dialog && GetWindow(w, GW_OWNER) == dialog)
                    box = w;
            return box != nullptr;
        },
        10000);
    MessageBoxInfo info;
    if (box == nullptr || !ReadMessageBox(box, &info))
        return L"<no box>";
    PressButton(box, IDOK);
    WaitUntil([box] { return !IsWindow(box); }, 10000);
    program.WaitIdle(60000);
    return info.text;
}

// Answers with OK every box of the caption that comes until the program has painted what
// waited on window and its children and is idle with none of them open: the number of such
// boxes seen since seenFrom (an index into MessageBoxesSeen), the first one's text in *first.
// A paint that shows a box does not end while the box is up and each box's loop paints again,
// so past limit boxes the program is ended (nothing else stops it) and the count returned.
inline int AnswerBoxesUntilSettled(Program& program, HWND window, const std::wstring& caption, size_t seenFrom,
                                   int limit, std::wstring* first = nullptr)
{
    auto seen = [&] {
        int n = 0;
        const std::vector<MessageBoxInfo> all = program.MessageBoxesSeen();
        for (size_t i = seenFrom; i < all.size(); ++i)
            if (all[i].caption == caption && n++ == 0 && first != nullptr)
                *first = all[i].text;
        return n;
    };
    auto answer = [&] {
        bool open = false;
        for (HWND box : program.OpenMessageBoxes()) {
            std::wstring text;
            if (ReadText(box, &text, 500) && text == caption) {
                PressButton(box, IDOK);
                open = true;
            }
        }
        return open;
    };
    for (;;) {
        std::atomic<bool> drawn{false};
        std::thread painter([&] {
            program.WaitDrawn(window, 60000);
            drawn = true;
        });
        const bool settled = WaitUntil(
            [&] {
                answer();
                return seen() > limit || drawn || !program.Running();
            },
            600000);
        if (!drawn || !settled)
            program.Kill();
        painter.join();
        if (!drawn || !program.Running())
            return seen();
        if (program.WaitIdle(60000) && !answer())
            return seen();
    }
}

// File > Export > TXT on V-LOX's main window: the TXT converter's dialog, with converter
// attached to it and idle. Empty when it came, else the step that did not.
inline std::string ExportToTxt(HWND main, Program& converter, HWND* dialog)
{
    if (!PostCommand(main, IDM_EXPORT_TXT))
        return "File > Export > TXT cannot be given";
    if (!WaitUntil(
            [dialog] {
                return (*dialog = FindWindowW(L"#32770", L"Convert V-LOX Data Files to ASCII (TXT) Format")) != nullptr;
            },
            60000))
        return "the converter did not open";
    if (!converter.Attach(*dialog))
        return "the converter cannot be attached";
    if (!converter.WaitIdle(60000))
        return "the converter is not idle";
    return std::string();
}

// Line n of the configuration file at path (the version is line 1); "<missing>" when the file
// or the line is not there.
inline std::string ConfigLineOf(const std::wstring& path, int n)
{
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, &bytes))
        return "<missing>";
    const std::string text(bytes.begin(), bytes.end());
    size_t at = 0;
    for (int line = 1; line < n; ++line) {
        at = text.find("\r\n", at);
        if (at == std::string::npos)
            return "<missing>";
        at += 2;
    }
    return text.substr(at, text.find("\r\n", at) - at);
}

// A suite that one V-LOX run serves, its tests in the order written. The suite's
// SetUpTestSuite calls Begin; a failed start fails every test of the suite with its reason.
template <class Suite>
class VloxSuite : public testing::Test {
protected:
    // V-LOX in the emptied folder (over the configuration, when one is given), past its splash.
    static void Begin(const wchar_t* folder, const std::string& configuration = std::string())
    {
        vlox = new Program;
        mainWindow = StartVloxPastSplash(*vlox, folder, &startError, configuration);
    }

    static void TearDownTestSuite()
    {
        delete vlox;
        vlox = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(startError.empty()) << startError; }

    static bool Shown(int id) { return IsShown(Control(mainWindow, id)); }

    // The dialog of the caption, opened by its menu item, V-LOX idle; null when it did not come.
    static HWND OpenDialog(int menuItem, const wchar_t* caption)
    {
        if (!PostCommand(mainWindow, menuItem))
            return nullptr;
        HWND dialog = vlox->WaitMessageBox(caption, 60000);
        if (dialog != nullptr)
            vlox->WaitIdle(60000);
        return dialog;
    }

    // The field's text replaced by text, as the operator types it.
    static void Type(HWND dialog, int id, const wchar_t* text)
    {
        HWND edit = Control(dialog, id);
        ASSERT_NE(edit, nullptr) << id;
        SelectAllText(edit);
        PostText(edit, text);
    }

    // A click on the dialog's control, V-LOX idle after it.
    static void Click(HWND dialog, int id)
    {
        PostMouseClick(Control(dialog, id), 3, 3);
        vlox->WaitIdle(60000);
    }

    // The button pressed, the dialog gone and V-LOX idle; false when one of them did not come.
    static bool CloseDialog(HWND dialog, int button)
    {
        vlox->WaitIdle(60000);
        if (!PressButton(dialog, button))
            return false;
        return WaitUntil([dialog] { return !IsWindow(dialog) || !IsShown(dialog); }, 60000) && vlox->WaitIdle(60000);
    }

    static inline Program* vlox = nullptr;
    static inline HWND mainWindow = nullptr;
    static inline std::string startError;
};

}  // namespace e2e
