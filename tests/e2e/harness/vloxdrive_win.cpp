// vloxdrive.exe: the harness for shell scripts (tools/run, manual checks). One run carries
// out a chain of steps separated by "--" and keeps the started program's process between
// them, so that its exit code can be read at the end:
//
//   wine vloxdrive.exe start 'Z:\...\V-LOX.exe' 'Z:\...\run' -- wait-window VLOX 30000
//        -- sleep 6000 -- capture VLOX 'Z:\...\vlox.png' -- close VLOX -- wait-exit 20000
//   (one command line)
//
// Exit status: 0 when every step succeeded, 1 at the first failing step (named on stderr;
// a program that still runs is left running), 2 for a usage error. Message boxes and dialogs that the
// program shows are listed on stderr at the end.
#include "tests/e2e/harness/e2e_harness_win.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const char Usage[] = "usage: vloxdrive STEP [ARG...] [-- STEP [ARG...]]...\n"
                     "Windows are named by the class of a top-level window (of the started program, if any).\n"
                     "Numbers are decimal or 0x hex.\n"
                     "  start EXE FOLDER       start EXE, current folder FOLDER (made if missing)\n"
                     "  attach CLASS           take over the program that owns window CLASS\n"
                     "  wait-window CLASS MS   wait until window CLASS is shown\n"
                     "  wait-hidden CLASS ID MS  wait until child ID of CLASS is hidden or gone\n"
                     "  wait-idle MS           wait until the program has handled all its input\n"
                     "  sleep MS\n"
                     "  capture CLASS FILE     screenshot of window CLASS as PNG, once it has drawn what waits\n"
                     "  post-command CLASS ID  post WM_COMMAND ID (menu item or button)\n"
                     "  click CLASS ID         click button ID (only when shown and enabled)\n"
                     "  key CLASS VK           post key down and up of virtual key VK\n"
                     "  type CLASS TEXT        post the characters of TEXT\n"
                     "  text CLASS [ID]        print the text of CLASS or of its child ID\n"
                     "  control CLASS ID       print shown, enabled, rectangle (in CLASS) and text of child ID\n"
                     "  menu-state CLASS ITEM  print the state of menu item ITEM (greyed, checked)\n"
                     "  wait-box MS [CAPTION]  wait for a message box; print caption, text and button ids\n"
                     "  press-box ID           press button ID of the open message box\n"
                     "  close CLASS            post WM_CLOSE\n"
                     "  wait-exit MS           wait for the program's end; print its exit code\n"
                     "  kill                   end the program\n"
                     "  no-boxes               fail when the program showed any message box or dialog\n";

e2e::Program Target;
bool HaveTarget = false;

struct Step {
    std::wstring name;
    std::vector<std::wstring> args;
};

bool ParseNumber(const std::wstring& text, long* value)
{
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    long v = wcstol(text.c_str(), &end, 0);
    if (*end != L'\0')
        return false;
    *value = v;
    return true;
}

void Say(const std::wstring& line)
{
    std::printf("%s\n", e2e::ToUtf8(line).c_str());
    std::fflush(stdout);
}

HWND WindowOfClass(const std::wstring& cls)
{
    return HaveTarget ? Target.FindTopWindow(cls.c_str()) : FindWindowW(cls.c_str(), nullptr);
}

std::wstring Quoted(const std::wstring& text)
{
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'\r')
            out += L"\\r";
        else if (c == L'\n')
            out += L"\\n";
        else
            out += c;
    }
    return out + L"\"";
}

// Carries out one step; on failure puts the reason into error.
bool RunStep(const Step& s, std::wstring* error)
{
    const auto& a = s.args;
    long n = 0, m = 0;
    auto need = [&](size_t count) {
        if (a.size() == count)
            return true;
        *error = L"needs " + std::to_wstring(count) + L" argument(s)";
        return false;
    };
    auto window = [&](HWND* w) {
        *w = WindowOfClass(a[0]);
        if (!*w)
            *error = L"no window of class " + a[0];
        return *w != nullptr;
    };
    auto number = [&](size_t i, long* v) {
        if (ParseNumber(a[i], v))
            return true;
        *error = L"not a number: " + a[i];
        return false;
    };
    HWND w = nullptr;

    if (s.name == L"start") {
        if (!need(2))
            return false;
        if (HaveTarget) {
            *error = L"a program was started already";
            return false;
        }
        if (!Target.Start(a[0], a[1], error))
            return false;
        HaveTarget = true;
        Say(L"started process " + std::to_wstring(Target.ProcessId()));
        return true;
    }
    if (s.name == L"attach") {
        if (!need(1) || !window(&w))
            return false;
        if (!Target.Attach(w, error))
            return false;
        HaveTarget = true;
        return true;
    }
    if (s.name == L"wait-window") {
        if (!need(2) || !number(1, &n))
            return false;
        bool found = HaveTarget ? Target.WaitWindow(a[0].c_str(), nullptr, DWORD(n)) != nullptr
                                : e2e::WaitUntil([&] { return e2e::IsShown(WindowOfClass(a[0])); }, DWORD(n));
        if (!found)
            *error = L"no shown window of class " + a[0] + L" in time";
        return found;
    }
    if (s.name == L"wait-hidden") {
        if (!need(3) || !number(1, &m) || !number(2, &n) || !window(&w))
            return false;
        if (!e2e::WaitUntil([&] { return !e2e::IsShown(e2e::Control(w, int(m))); }, DWORD(n))) {
            *error = L"still shown";
            return false;
        }
        return true;
    }
    if (s.name == L"wait-idle") {
        if (!need(1) || !number(0, &n))
            return false;
        if (!HaveTarget || !Target.WaitIdle(DWORD(n))) {
            *error = L"the program is not idle in time";
            return false;
        }
        return true;
    }
    if (s.name == L"sleep") {
        if (!need(1) || !number(0, &n))
            return false;
        Sleep(DWORD(n));
        return true;
    }
    if (s.name == L"capture") {
        if (!need(2) || !window(&w))
            return false;
        if (HaveTarget && !Target.WaitDrawn(w, 60000)) {
            *error = L"the program has not drawn in time";
            return false;
        }
        if (!e2e::CaptureWindowToPng(w, a[1])) {
            *error = L"cannot capture to " + a[1];
            return false;
        }
        RECT r = e2e::ScreenRect(w);
        Say(L"captured " + std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top) + L" to " +
            a[1]);
        return true;
    }
    if (s.name == L"post-command" || s.name == L"click" || s.name == L"key") {
        if (!need(2) || !number(1, &n) || !window(&w))
            return false;
        bool ok = s.name == L"post-command" ? e2e::PostCommand(w, int(n))
                  : s.name == L"click"      ? e2e::ClickButton(e2e::Control(w, int(n)))
                                            : e2e::PostKey(w, UINT(n));
        if (!ok)
            *error = s.name == L"click" ? L"no shown and enabled button " + a[1] : L"cannot post";
        return ok;
    }
    if (s.name == L"type") {
        if (!need(2) || !window(&w))
            return false;
        if (!e2e::PostText(w, a[1])) {
            *error = L"cannot post";
            return false;
        }
        return true;
    }
    if (s.name == L"text") {
        if (a.size() != 1 && !need(2))
            return false;
        if (!window(&w))
            return false;
        if (a.size() == 2) {
            if (!number(1, &n))
                return false;
            w = e2e::Control(w, int(n));
        }
        std::wstring text;
        if (!e2e::ReadText(w, &text)) {
            *error = L"cannot read the text";
            return false;
        }
        Say(Quoted(text));
        return true;
    }
    if (s.name == L"control") {
        if (!need(2) || !number(1, &n) || !window(&w))
            return false;
        HWND c = e2e::Control(w, int(n));
        if (!c) {
            *error = L"no control " + a[1];
            return false;
        }
        RECT r = e2e::RectInParent(c);
        Say(L"shown=" + std::to_wstring(e2e::IsShown(c)) + L" enabled=" + std::to_wstring(e2e::IsEnabled(c)) +
            L" rect=" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) +
            L"," + std::to_wstring(r.bottom) + L" text=" + Quoted(e2e::TextOf(c)));
        return true;
    }
    if (s.name == L"menu-state") {
        if (!need(2) || !number(1, &n) || !window(&w))
            return false;
        if (!HaveTarget && !Target.Attach(w, error))
            return false;
        HaveTarget = true;
        UINT state = 0;
        if (!Target.MenuState(w, UINT(n), &state)) {
            *error = L"no answer for menu item " + a[1];
            return false;
        }
        wchar_t hex[16];
        swprintf(hex, 16, L"0x%04X", state);
        Say(std::wstring(L"state=") + hex + ((state & MF_GRAYED) ? L" greyed" : L" enabled") +
            ((state & MF_CHECKED) ? L" checked" : L""));
        return true;
    }
    if (s.name == L"wait-box") {
        if (a.empty() || a.size() > 2) {
            *error = L"needs MS [CAPTION]";
            return false;
        }
        if (!number(0, &n))
            return false;
        if (!HaveTarget) {
            *error = L"no program started";
            return false;
        }
        HWND box = Target.WaitMessageBox(a.size() == 2 ? a[1].c_str() : nullptr, DWORD(n));
        e2e::MessageBoxInfo info;
        if (!box || !e2e::ReadMessageBox(box, &info)) {
            *error = L"no message box in time";
            return false;
        }
        std::wstring ids;
        for (int id : info.buttons)
            ids += (ids.empty() ? L"" : L",") + std::to_wstring(id);
        Say(L"box caption=" + Quoted(info.caption) + L" text=" + Quoted(info.text) + L" buttons=" + ids);
        return true;
    }
    if (s.name == L"press-box") {
        if (!need(1) || !number(0, &n))
            return false;
        std::vector<HWND> boxes = HaveTarget ? Target.OpenMessageBoxes() : std::vector<HWND>{};
        if (boxes.empty() || !e2e::PressButton(boxes.front(), int(n))) {
            *error = L"no open message box with a usable button " + a[0];
            return false;
        }
        return true;
    }
    if (s.name == L"close") {
        if (!need(1) || !window(&w))
            return false;
        return e2e::PostClose(w);
    }
    if (s.name == L"wait-exit") {
        if (!need(1) || !number(0, &n))
            return false;
        DWORD code = 0;
        if (!HaveTarget || !Target.WaitExit(DWORD(n), &code)) {
            *error = L"the program has not ended in time";
            return false;
        }
        Say(L"exit code " + std::to_wstring(code));
        return true;
    }
    if (s.name == L"kill") {
        if (!need(0))
            return false;
        Target.Kill();
        return true;
    }
    if (s.name == L"no-boxes") {
        if (!need(0))
            return false;
        if (!Target.MessageBoxesSeen().empty()) {
            *error = L"message boxes were shown";
            return false;
        }
        return true;
    }
    *error = L"unknown step";
    return false;
}

void ListBoxesSeen()
{
    for (const e2e::MessageBoxInfo& box : Target.MessageBoxesSeen())
        std::fprintf(stderr, "vloxdrive: message box seen: caption=%s text=%s\n",
                     e2e::ToUtf8(Quoted(box.caption)).c_str(), e2e::ToUtf8(Quoted(box.text)).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<Step> steps;
    for (int i = 1; i < argc; ++i) {
        std::wstring word = argv[i];
        if (word == L"--") {
            steps.push_back({});
            continue;
        }
        if (steps.empty())
            steps.push_back({});
        if (steps.back().name.empty())
            steps.back().name = word;
        else
            steps.back().args.push_back(word);
    }
    if (steps.empty()) {
        std::fputs(Usage, stderr);
        return 2;
    }
    for (const Step& s : steps) {
        if (s.name.empty()) {
            std::fputs(Usage, stderr);
            return 2;
        }
    }
    int status = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        std::wstring error;
        if (!RunStep(steps[i], &error)) {
            std::fprintf(stderr, "vloxdrive: step %u (%s) failed: %s\n", unsigned(i + 1),
                         e2e::ToUtf8(steps[i].name).c_str(), e2e::ToUtf8(error).c_str());
            status = (error == L"unknown step" || error.rfind(L"needs ", 0) == 0) ? 2 : 1;
            break;
        }
    }
    ListBoxesSeen();
    // A program that still runs is left running: the caller decides (close, wineserver -k).
    Target.Detach();
    return status;
}
