#include "tests/e2e/harness/e2e_harness_win.h"

#include "tests/e2e/harness/hook_protocol.h"

#include "resources/resource.h"
#include "tests/common/win_test_util.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace e2e {

// ---------------------------------------------------------------------------------------
// Files and folders

std::wstring BinFolder()
{
    WCHAR path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return L".";
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : p.substr(0, slash);
}

std::wstring InBinFolder(const wchar_t* name)
{
    return BinFolder() + L"\\" + name;
}

bool FileExists(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

std::wstring WithoutTrailingSlash(std::wstring path)
{
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

bool MakeFolders(const std::wstring& path)
{
    if (FolderExists(path))
        return true;
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 2 && !MakeFolders(path.substr(0, slash)))
        return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool EmptyFolder(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    bool ok = true;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring full = path + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = EmptyFolder(full) && RemoveDirectoryW(full.c_str()) && ok;
        } else {
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            ok = DeleteFileW(full.c_str()) && ok;
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return ok;
}

}  // namespace

bool MakeEmptyFolder(const std::wstring& path)
{
    std::wstring p = WithoutTrailingSlash(path);
    return MakeFolders(p) && EmptyFolder(p);
}

bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>* bytes)
{
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0)
        data.insert(data.end(), buffer, buffer + got);
    CloseHandle(file);
    if (ok)
        *bytes = std::move(data);
    return ok;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        DWORD n = DWORD(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, n, &written, nullptr) && written == n;
        done += n;
    }
    return CloseHandle(file) && ok;
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

// ---------------------------------------------------------------------------------------
// Waiting

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return done();
        Sleep(stepMs);
    }
}

// ---------------------------------------------------------------------------------------
// Reading windows

std::wstring ClassOf(HWND window)
{
    WCHAR name[256];
    int n = window ? GetClassNameW(window, name, 256) : 0;
    return std::wstring(name, size_t(n > 0 ? n : 0));
}

bool ReadText(HWND window, std::wstring* text, DWORD timeoutMs)
{
    if (!window || !IsWindow(window))
        return false;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &length))
        return false;
    std::wstring buffer(size_t(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, WPARAM(buffer.size()), LPARAM(buffer.data()), SMTO_ABORTIFHUNG,
                             timeoutMs, &copied))
        return false;
    buffer.resize(std::min<size_t>(size_t(copied), buffer.size() - 1));
    *text = buffer;
    return true;
}

std::wstring TextOf(HWND window)
{
    std::wstring text;
    return ReadText(window, &text) ? text : std::wstring();
}

HWND Control(HWND parent, int id)
{
    return parent ? GetDlgItem(parent, id) : nullptr;
}

bool IsShown(HWND window)
{
    return window && IsWindow(window) && IsWindowVisible(window);
}

bool IsEnabled(HWND window)
{
    return window && IsWindow(window) && IsWindowEnabled(window);
}

HWND FocusedWindow(HWND window)
{
    if (window == nullptr || !IsWindow(window))
        return nullptr;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

RECT ScreenRect(HWND window)
{
    RECT r = {};
    if (window && !GetWindowRect(window, &r))
        r = RECT{};
    return r;
}

RECT RectInParent(HWND window)
{
    RECT r = ScreenRect(window);
    HWND parent = window ? GetParent(window) : nullptr;
    if (parent)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ClientRectOf(HWND window)
{
    RECT r = {};
    if (window && !GetClientRect(window, &r))
        r = RECT{};
    return r;
}

LONG StyleOf(HWND window)
{
    return window ? GetWindowLongW(window, GWL_STYLE) : 0;
}

namespace {

struct ChildSearch {
    HWND parent;
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM context)
{
    auto* search = reinterpret_cast<ChildSearch*>(context);
    // EnumChildWindows goes down every level; keep the direct children.
    if (GetParent(child) == search->parent && (!search->cls || lstrcmpiW(ClassOf(child).c_str(), search->cls) == 0))
        search->found.push_back(child);
    return TRUE;
}

}  // namespace

std::vector<HWND> Children(HWND parent, const wchar_t* cls)
{
    ChildSearch search{parent, cls, {}};
    if (parent)
        EnumChildWindows(parent, CollectChild, LPARAM(&search));
    return search.found;
}

std::vector<std::string> OverlappingChildren(HWND parent)
{
    struct Shown {
        std::string name;
        RECT r;
    };
    std::vector<Shown> shown;
    for (HWND child : Children(parent)) {
        if (!IsShown(child))
            continue;
        std::wstring name = TextOf(child);
        if (name.empty())
            name = ClassOf(child);
        shown.push_back({ToUtf8(name), RectInParent(child)});
    }
    auto text = [](const Shown& s) {
        return "\"" + s.name + "\" (" + std::to_string(s.r.left) + ", " + std::to_string(s.r.top) + ", " +
               std::to_string(s.r.right) + ", " + std::to_string(s.r.bottom) + ")";
    };
    std::vector<std::string> pairs;
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT both{};
            if (IntersectRect(&both, &shown[i].r, &shown[j].r))
                pairs.push_back(text(shown[i]) + " overlaps " + text(shown[j]));
        }
    return pairs;
}

int ComboSelection(HWND combo)
{
    DWORD_PTR result = 0;
    if (!combo || SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, ReadTimeoutMs, &result) == 0)
        return -1;
    return int(LRESULT(result));
}

std::wstring ComboItemText(HWND combo, int index)
{
    DWORD_PTR length = 0;
    if (!combo ||
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0, SMTO_ABORTIFHUNG, ReadTimeoutMs, &length) == 0 ||
        LRESULT(length) == CB_ERR)
        return std::wstring();
    std::wstring text(size_t(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(combo, CB_GETLBTEXT, WPARAM(index), LPARAM(text.data()), SMTO_ABORTIFHUNG, ReadTimeoutMs,
                            &copied) == 0 ||
        LRESULT(copied) == CB_ERR)
        return std::wstring();
    text.resize(size_t(copied));
    return text;
}

namespace {

BOOL CALLBACK FirstShownEdit(HWND window, LPARAM found)
{
    if (lstrcmpiW(ClassOf(window).c_str(), L"Edit") == 0 && IsShown(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FileNameField(HWND dialog, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            if (dialog)
                EnumChildWindows(dialog, FirstShownEdit, LPARAM(&found));
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

// ---------------------------------------------------------------------------------------
// Driving

bool PostCommand(HWND window, int id, int notifyCode, HWND control)
{
    return window && PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, notifyCode), LPARAM(control));
}

bool ClickButton(HWND button)
{
    if (!IsShown(button) || !IsEnabled(button))
        return false;
    HWND parent = GetParent(button);
    return parent && PostCommand(parent, GetDlgCtrlID(button), BN_CLICKED, button);
}

bool PressButton(HWND dialog, int id)
{
    return ClickButton(Control(dialog, id));
}

bool PostClose(HWND window)
{
    return window && PostMessageW(window, WM_CLOSE, 0, 0);
}

bool PostKey(HWND window, UINT virtualKey)
{
    if (!window)
        return false;
    const LPARAM scan = LPARAM(MapVirtualKeyW(virtualKey, 0 /* MAPVK_VK_TO_VSC */) & 0xFF) << 16;
    // lParam as the keyboard would give it: repeat count 1; key up with the previous-state
    // and transition bits set.
    return PostMessageW(window, WM_KEYDOWN, virtualKey, scan | 1) &&
           PostMessageW(window, WM_KEYUP, virtualKey, scan | 1 | LPARAM(0xC0000000u));
}

bool PostChar(HWND window, wchar_t c)
{
    return window && PostMessageW(window, WM_CHAR, WPARAM(c), 1);
}

bool PostText(HWND window, const std::wstring& text)
{
    for (wchar_t c : text)
        if (!PostChar(window, c))
            return false;
    return true;
}

bool SelectAllText(HWND edit)
{
    return edit && PostMessageW(edit, EM_SETSEL, 0, -1);
}

bool SelectComboItem(HWND combo, int index)
{
    HWND parent = combo ? GetParent(combo) : nullptr;
    return parent && PostMessageW(combo, CB_SETCURSEL, WPARAM(index), 0) &&
           PostCommand(parent, GetDlgCtrlID(combo), CBN_SELCHANGE, combo);
}

bool SetText(HWND window, const std::wstring& text)
{
    DWORD_PTR result = 0;
    return window && SendMessageTimeoutW(window, WM_SETTEXT, 0, LPARAM(text.c_str()), SMTO_ABORTIFHUNG, ReadTimeoutMs,
                                         &result) != 0;
}

bool PostMouseClick(HWND window, int x, int y, bool rightButton)
{
    if (!window)
        return false;
    const LPARAM at = MAKELPARAM(x, y);
    const UINT down = rightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    const UINT up = rightButton ? WM_RBUTTONUP : WM_LBUTTONUP;
    return PostMessageW(window, down, rightButton ? MK_RBUTTON : MK_LBUTTON, at) && PostMessageW(window, up, 0, at);
}

// ---------------------------------------------------------------------------------------
// Screenshots

namespace {

// The screen's pixels in r (screen coordinates).
bool CaptureScreenRect(RECT r, RgbImage* image)
{
    // Only the part on the screen can be copied.
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, GetSystemMetrics(SM_CXSCREEN));
    r.bottom = std::min<LONG>(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return false;

    HDC screen = GetDC(nullptr);
    if (!screen)
        return false;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = memory && bitmap && bits;
    if (ok) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        SelectObject(memory, previous);
    }
    if (ok) {
        RgbImage out;
        out.width = width;
        out.height = height;
        out.rgb.resize(size_t(width) * size_t(height) * 3);
        const uint8_t* bgrx = static_cast<const uint8_t*>(bits);
        for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
            out.rgb[i * 3 + 0] = bgrx[i * 4 + 2];
            out.rgb[i * 3 + 1] = bgrx[i * 4 + 1];
            out.rgb[i * 3 + 2] = bgrx[i * 4 + 0];
        }
        *image = std::move(out);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace

bool CaptureWindow(HWND window, RgbImage* image)
{
    return window && IsWindow(window) && CaptureScreenRect(ScreenRect(window), image);
}

bool CaptureClient(HWND window, RgbImage* image)
{
    if (!window || !IsWindow(window))
        return false;
    RECT r = ClientRectOf(window);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return CaptureScreenRect(r, image);
}

bool SavePng(const RgbImage& image, const std::wstring& pngPath)
{
    const std::vector<uint8_t> png = EncodePng(image);
    return !png.empty() && WriteFileBytes(pngPath, png);
}

int DarkPixels(const RgbImage& image, const RECT& r)
{
    int dark = 0;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, image.height); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, image.width); ++x) {
            const size_t i = (size_t(y) * size_t(image.width) + size_t(x)) * 3;
            dark += image.rgb[i] + image.rgb[i + 1] + image.rgb[i + 2] < 3 * 96 ? 1 : 0;
        }
    return dark;
}

bool CaptureWindowToPng(HWND window, const std::wstring& pngPath)
{
    RgbImage image;
    if (!CaptureWindow(window, &image))
        return false;
    std::vector<uint8_t> png = EncodePng(image);
    return !png.empty() && WriteFileBytes(pngPath, png);
}

// ---------------------------------------------------------------------------------------
// Message boxes and dialogs

namespace {

// The message text of a message box is the static control 0xFFFF (on Windows and Wine).
const int MessageBoxTextId = 0xFFFF;

bool IsDialogOf(HWND window, DWORD processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == processId && ClassOf(window) == L"#32770";
}

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<DialogSearch*>(context);
    if (IsDialogOf(window, search->processId))
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

bool ReadMessageBox(HWND box, MessageBoxInfo* info)
{
    MessageBoxInfo out;
    out.window = box;
    if (!ReadText(box, &out.caption))
        return false;
    HWND textControl = Control(box, MessageBoxTextId);
    if (textControl) {
        if (!ReadText(textControl, &out.text))
            return false;
    } else {
        for (HWND s : Children(box, L"Static")) {
            std::wstring t;
            if (ReadText(s, &t) && !t.empty())
                out.text += (out.text.empty() ? L"" : L"\n") + t;
        }
    }
    for (HWND b : Children(box, L"Button"))
        if (IsShown(b))
            out.buttons.push_back(GetDlgCtrlID(b));
    *info = std::move(out);
    return true;
}

std::vector<HWND> DialogsOfProcess(DWORD processId)
{
    DialogSearch search{processId, {}};
    EnumWindows(CollectDialog, LPARAM(&search));
    return search.found;
}

// ---------------------------------------------------------------------------------------
// Program

namespace {

struct TopSearch {
    DWORD processId;
    const wchar_t* cls;
    const wchar_t* title;
    bool shownOnly;
    HWND found;
};

BOOL CALLBACK FindTop(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<TopSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || (search->shownOnly && !IsShown(window)))
        return TRUE;
    if (search->cls && ClassOf(window) != search->cls)
        return TRUE;
    if (search->title) {
        std::wstring text;
        if (!ReadText(window, &text, 500) || text != search->title)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

Program::~Program()
{
    Kill();
    Release();
}

bool Program::Start(const std::wstring& exe, const std::wstring& folder, std::wstring* error)
{
    if (process_) {
        if (error)
            *error = L"a program is running already";
        return false;
    }
    std::wstring dir = WithoutTrailingSlash(folder);
    if (!MakeFolders(dir)) {
        if (error)
            *error = L"cannot make the folder " + dir;
        return false;
    }
    // No arguments: the command line holds the program name only.
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    // Wine under a heavy load now and then refuses a start with an internal error that the
    // next try does not repeat; any other refusal stands.
    BOOL started = FALSE;
    DWORD why = 0;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                                 &startup, &created);
        why = started ? 0 : GetLastError();
        if (why != ERROR_INTERNAL_ERROR)
            break;
    }
    if (!started) {
        if (error)
            *error = L"cannot start " + exe + L" (error " + std::to_wstring(why) + L")";
        return false;
    }
    CloseHandle(created.hThread);
    process_ = created.hProcess;
    processId_ = created.dwProcessId;
    StartWatch();
    return true;
}

bool Program::Attach(HWND window, std::wstring* error)
{
    DWORD id = 0;
    if (process_ || !window || !GetWindowThreadProcessId(window, &id) || id == 0) {
        if (error)
            *error = process_ ? L"a program is running already" : L"no such window";
        return false;
    }
    process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, id);
    if (!process_) {
        if (error)
            *error = L"cannot open process " + std::to_wstring(id);
        return false;
    }
    processId_ = id;
    StartWatch();
    return true;
}

bool Program::Running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND Program::FindTopWindow(const wchar_t* cls, const wchar_t* title) const
{
    if (!process_)
        return nullptr;
    TopSearch search{processId_, cls, title, false, nullptr};
    EnumWindows(FindTop, LPARAM(&search));
    return search.found;
}

HWND Program::WaitWindow(const wchar_t* cls, const wchar_t* title, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            TopSearch search{processId_, cls, title, true, nullptr};
            if (process_)
                EnumWindows(FindTop, LPARAM(&search));
            found = search.found;
            return found != nullptr || !Running();
        },
        timeoutMs);
    return found;
}

std::vector<HWND> Program::OpenMessageBoxes() const
{
    std::vector<HWND> shown;
    if (!process_)
        return shown;
    for (HWND box : DialogsOfProcess(processId_)) {
        if (IsShown(box)) {
            NoteBox(box);  // also when it comes and goes between two rounds of the watch
            shown.push_back(box);
        }
    }
    return shown;
}

HWND Program::WaitMessageBox(const wchar_t* caption, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND box : OpenMessageBoxes()) {
                std::wstring text;
                if (!caption || (ReadText(box, &text, 500) && text == caption)) {
                    found = box;
                    return true;
                }
            }
            return !Running();
        },
        timeoutMs);
    return found;
}

std::vector<MessageBoxInfo> Program::MessageBoxesSeen() const
{
    std::lock_guard<std::mutex> lock(seenLock_);
    return seen_;
}

namespace {

struct WindowOfProcess {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM context)
{
    auto* look = reinterpret_cast<WindowOfProcess*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != look->processId || !IsWindowVisible(window))
        return TRUE;
    // The program's own unowned window first: a dialog left visible by a common dialog that
    // has returned does not answer for the thread.
    if (look->found == nullptr || GetWindow(window, GW_OWNER) == nullptr)
        look->found = window;
    return GetWindow(window, GW_OWNER) != nullptr;
}

}  // namespace

bool Program::WaitIdle(DWORD timeoutMs)
{
    if (!process_)
        return false;
    const DWORD start = GetTickCount();
    WindowOfProcess look = {processId_, nullptr};
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&look));
    if (!look.found || !Hook(look.found))
        return WaitForInputIdle(process_, timeoutMs) == 0;
    static const UINT message = RegisterWindowMessageW(E2E_HOOK_MESSAGE_NAME);
    const DWORD thread = GetWindowThreadProcessId(look.found, nullptr);
    const LONG marker = ++idleMarker_;
    if (!PostThreadMessageW(thread, message, HookIdleMarker, marker))
        return false;
    for (;;) {
        LRESULT seen = 0;
        if (Ask(look.found, HookIdleMarkerSeen, 0, &seen) && seen == marker)
            return true;
        if (!Running() || GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}

bool Program::WaitDrawn(HWND window, DWORD timeoutMs)
{
    if (!WaitIdle(timeoutMs))
        return false;
    // Returns once the program's thread has painted what waited.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // ...and has handed it to the display, which a capture of the screen reads: a busy
    // machine can otherwise keep the picture from before the last command there.
    // (A window the hook cannot reach is left to Wine's own pace.)
    LRESULT flushed = 0;
    return !Hook(window) || (Ask(window, HookFlushDrawing, 0, &flushed) && flushed == 1);
}

bool Program::WaitExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (exitCode)
        *exitCode = code;
    return true;
}

void Program::Kill()
{
    if (process_ && Running()) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
    }
}

void Program::Detach()
{
    Release();
    processId_ = 0;
}

void Program::Release()
{
    StopWatch();
    for (const HookedThread& h : hooks_) {
        UnhookWindowsHookEx(h.hook);
        if (h.getMessageHook)
            UnhookWindowsHookEx(h.getMessageHook);
    }
    hooks_.clear();
    if (hookModule_) {
        FreeLibrary(hookModule_);
        hookModule_ = nullptr;
    }
    if (process_) {
        CloseHandle(process_);
        process_ = nullptr;
    }
}

void Program::StartWatch()
{
    stopWatch_ = false;
    watch_ = std::thread(&Program::Watch, this);
}

void Program::StopWatch()
{
    stopWatch_ = true;
    if (watch_.joinable())
        watch_.join();
}

void Program::NoteBox(HWND box) const
{
    {
        std::lock_guard<std::mutex> lock(seenLock_);
        for (const MessageBoxInfo& seen : seen_)
            if (seen.window == box)
                return;
    }
    MessageBoxInfo info;
    if (!ReadMessageBox(box, &info)) {
        if (IsWindow(box))
            return;  // not answering yet: read it next time
        // Gone before it could be read: it was still shown.
        info.window = box;
        info.caption = L"(closed before it could be read)";
    }
    std::lock_guard<std::mutex> lock(seenLock_);
    for (const MessageBoxInfo& seen : seen_)
        if (seen.window == box)
            return;
    seen_.push_back(info);
}

void Program::Watch()
{
    while (!stopWatch_) {
        for (HWND box : DialogsOfProcess(processId_))
            if (IsShown(box))
                NoteBox(box);
        if (!Running())
            break;
        Sleep(25);
    }
}

bool Program::Hook(HWND window)
{
    DWORD processOfWindow = 0;
    DWORD thread = window ? GetWindowThreadProcessId(window, &processOfWindow) : 0;
    if (!thread || processOfWindow != processId_)
        return false;
    for (const HookedThread& h : hooks_)
        if (h.threadId == thread)
            return true;
    if (!hookModule_)
        hookModule_ = LoadLibraryW(InBinFolder(L"e2e_hook.dll").c_str());
    if (!hookModule_)
        return false;
    auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hookModule_, E2E_HOOK_PROC_NAME)));
    HHOOK hook = proc ? SetWindowsHookExW(WH_CALLWNDPROC, proc, hookModule_, thread) : nullptr;
    if (!hook)
        return false;
    auto taken =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hookModule_, E2E_HOOK_GETMESSAGE_PROC_NAME)));
    HHOOK getMessageHook = taken ? SetWindowsHookExW(WH_GETMESSAGE, taken, hookModule_, thread) : nullptr;
    hooks_.push_back({thread, hook, getMessageHook});
    return true;
}

bool Program::Ask(HWND window, int query, LPARAM argument, LRESULT* answer)
{
    static const UINT message = RegisterWindowMessageW(E2E_HOOK_MESSAGE_NAME);
    if (!Hook(window))
        return false;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, WPARAM(query), argument, SMTO_ABORTIFHUNG, ReadTimeoutMs, &result))
        return false;
    *answer = LRESULT(result);
    return true;
}

bool Program::MenuState(HWND window, UINT itemId, UINT* state)
{
    LRESULT ping = 0, answer = 0;
    // The ping tells the hook's answer from the window procedure's own 0 (no hook loaded).
    if (!Ask(window, HookPing, 0, &ping) || ping != HookPingAnswer)
        return false;
    if (!Ask(window, HookMenuState, LPARAM(itemId), &answer) || answer == HookNoAnswer)
        return false;
    *state = UINT(answer);
    return true;
}

bool Program::MenuText(HWND window, UINT itemId, std::wstring* text)
{
    LRESULT ping = 0, length = 0;
    if (!Ask(window, HookPing, 0, &ping) || ping != HookPingAnswer)
        return false;
    if (!Ask(window, HookMenuTextLength, LPARAM(itemId), &length) || length < 0)
        return false;
    std::wstring out;
    for (LRESULT i = 0; i < length; ++i) {
        LRESULT c = 0;
        if (!Ask(window, HookMenuTextChar, MAKELPARAM(itemId, i), &c) || c < 0)
            return false;
        out.push_back(wchar_t(c));
    }
    *text = out;
    return true;
}

bool Program::GdiObjects(HWND window, DWORD* count)
{
    LRESULT ping = 0, answer = 0;
    if (!Ask(window, HookPing, 0, &ping) || ping != HookPingAnswer)
        return false;
    if (!Ask(window, HookGdiObjects, 0, &answer) || answer <= 0)
        return false;
    *count = DWORD(answer);
    return true;
}

bool Program::DrawnTextCount(HWND window, long* count)
{
    LRESULT ping = 0, answer = 0;
    if (!Ask(window, HookPing, 0, &ping) || ping != HookPingAnswer)
        return false;
    if (!Ask(window, HookTextCount, 0, &answer) || answer < 0)
        return false;
    *count = long(answer);
    return true;
}

bool Program::RecordTextsOfChild(HWND window, HWND child)
{
    LRESULT ping = 0, answer = 0;
    if (!Ask(window, HookPing, 0, &ping) || ping != HookPingAnswer)
        return false;
    return Ask(window, HookTextAlsoChild, reinterpret_cast<LPARAM>(child), &answer) && answer == 1;
}

bool Program::DrawnTexts(HWND window, long from, std::vector<DrawnText>* texts)
{
    long count = 0;
    if (!DrawnTextCount(window, &count))
        return false;
    texts->clear();
    for (long sequence = std::max(from, count - HookTextSlots); sequence < count; ++sequence) {
        LRESULT length = 0;
        if (!Ask(window, HookTextSelect, LPARAM(sequence), &length))
            return false;
        if (length < 0)
            continue;  // overwritten meanwhile
        DrawnText drawn;
        drawn.sequence = sequence;
        LRESULT x = 0, y = 0, owner = 0;
        if (!Ask(window, HookTextX, 0, &x) || !Ask(window, HookTextY, 0, &y) || !Ask(window, HookTextWindow, 0, &owner))
            return false;
        drawn.x = int(x);
        drawn.y = int(y);
        drawn.window = reinterpret_cast<HWND>(owner);
        for (LRESULT i = 0; i < length; ++i) {
            LRESULT c = 0;
            if (!Ask(window, HookTextChar, LPARAM(i), &c) || c == HookNoAnswer)
                return false;
            drawn.text.push_back(wchar_t(c));
        }
        texts->push_back(drawn);
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// SerialLink

namespace {

// A Unix path as the Windows side sees it (drive Z: is the Unix root).
std::wstring UnixToWindowsPath(const std::wstring& unixPath)
{
    std::wstring out = L"Z:" + unixPath;
    std::replace(out.begin(), out.end(), L'/', L'\\');
    return out;
}

std::wstring WinePrefix()
{
    WCHAR value[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

// Starts a Unix program (Wine starts ELF programs by CreateProcess). Wine gives no usable
// process handle for it: callers watch for its effects.
bool StartUnix(const std::wstring& commandLine)
{
    return StartUnixProgram(commandLine);
}

}  // namespace

std::wstring UnixPathOf(const std::wstring& windowsPath)
{
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return std::wstring();
    char* name = unixName(windowsPath.c_str());
    if (!name)
        return std::wstring();
    const std::wstring path = FromUtf8(name);
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

int RunUnixShell(const std::wstring& command, DWORD timeoutMs)
{
    static std::atomic<long> runs{0};
    const std::wstring prefix = WinePrefix();
    if (prefix.empty())
        return -1;
    const std::wstring base =
        prefix + L"/e2e-shell-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++runs);
    const std::wstring status = UnixToWindowsPath(base + L".status");
    DeleteFileW(status.c_str());
    // The status is moved into place whole, so that it is never read half written.
    const std::wstring script = L"exec </dev/null >/dev/null 2>&1; " + command + L"; echo $? > '" + base +
                                L".part'; mv '" + base + L".part' '" + base + L".status'";
    if (!StartUnix(L"Z:\\bin\\sh -c \"" + script + L"\""))
        return -1;
    if (!WaitUntil([&] { return FileExists(status); }, timeoutMs))
        return -1;
    std::vector<uint8_t> bytes;
    ReadFileBytes(status, &bytes);
    DeleteFileW(status.c_str());
    const std::string text(bytes.begin(), bytes.end());
    return text.empty() ? -1 : std::atoi(text.c_str());
}

SerialLink::~SerialLink()
{
    Close();
}

bool SerialLink::Open(int programPort, int testPort, std::wstring* error, int lifetimeS)
{
    auto fail = [&](const std::wstring& why) {
        if (error)
            *error = why;
        Close();
        return false;
    };
    if (port_ != INVALID_HANDLE_VALUE || !pidFile_.empty()) {
        if (error)
            *error = L"the link is open already";
        return false;
    }
    if (programPort < 1 || programPort > 99 || testPort < 1 || testPort > 99 || programPort == testPort)
        return fail(L"bad port numbers");
    const std::wstring prefix = WinePrefix();
    if (prefix.empty())
        return fail(L"WINEPREFIX is not set");
    const std::wstring devices = prefix + L"/dosdevices/com";
    const std::wstring a = devices + std::to_wstring(programPort);
    const std::wstring b = devices + std::to_wstring(testPort);
    const std::wstring base = prefix + L"/e2e-socat-com" + std::to_wstring(programPort);
    pidFile_ = UnixToWindowsPath(base + L".pid");
    unixBase_ = base;
    const std::wstring readyFile = UnixToWindowsPath(base + L".ready");
    DeleteFileW(pidFile_.c_str());
    DeleteFileW(readyFile.c_str());
    DeleteFileW(UnixToWindowsPath(base + L".held-a").c_str());
    DeleteFileW(UnixToWindowsPath(base + L".held-b").c_str());

    // Run by sh, quiet (an inherited output pipe would keep the test's caller waiting):
    // socat under timeout in the background (timeout passes a TERM on to socat, and socat
    // then removes its links); its process id into the pid file; once both links exist, one
    // holder per pseudo-terminal that opens it in a session of its own, so that it becomes
    // that session's controlling terminal and not the wineserver's (socat's end would then
    // send the wineserver a SIGHUP, which makes it print all its objects); then the ready
    // file. Nothing is ready when socat ends first. Windows paths ending in "com5" name the
    // device COM5, so the links are checked on the Unix side.
    const std::wstring life = std::to_wstring(lifetimeS);
    const std::wstring holder = L"/usr/bin/setsid /bin/sh -c 'exec 3<>$0; : > $1; exec sleep " + life + L"' ";
    const std::wstring script =
        L"exec </dev/null >/dev/null 2>&1; rm -f '" + a + L"' '" + b + L"'; /usr/bin/timeout " + life +
        L" /usr/bin/socat pty,raw,echo=0,link='" + a + L"' pty,raw,echo=0,link='" + b + L"' & p=$!; echo $p > '" +
        base + L".pid'; while kill -0 $p 2>/dev/null && { [ ! -e '" + a + L"' ] || [ ! -e '" + b +
        L"' ]; }; do sleep 0.02; done; " + holder + L"'" + a + L"' '" + base + L".held-a' & " + holder + L"'" + b +
        L"' '" + base + L".held-b' & while kill -0 $p 2>/dev/null && { [ ! -e '" + base + L".held-a' ] || [ ! -e '" +
        base + L".held-b' ]; }; do sleep 0.02; done; kill -0 $p && echo ready > '" + base + L".ready'; wait $p";
    if (!StartUnix(L"Z:\\bin\\sh -c \"" + script + L"\""))
        return fail(L"cannot start socat");
    if (!WaitUntil([&] { return FileExists(pidFile_) && FileExists(readyFile); }, 10000))
        return fail(L"socat made no ports");
    DeleteFileW(readyFile.c_str());

    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(testPort);
    port_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port_ == INVALID_HANDLE_VALUE)
        return fail(L"cannot open " + name);
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port_, &dcb);
    dcb.BaudRate = CBR_19200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    SetCommState(port_, &dcb);
    // Reads return at once with what is there.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 2000;
    SetCommTimeouts(port_, &timeouts);
    return true;
}

void SerialLink::Close()
{
    if (port_ != INVALID_HANDLE_VALUE) {
        CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
    }
    if (pidFile_.empty())
        return;
    std::vector<uint8_t> pid;
    std::wstring digits;
    if (ReadFileBytes(pidFile_, &pid))
        for (uint8_t c : pid)
            if (c >= '0' && c <= '9')
                digits.push_back(wchar_t(c));
    // The pid file's companions: "<base>.pid" -> "<base>.held-a" ...
    const std::wstring base = pidFile_.substr(0, pidFile_.size() - 4);
    const std::wstring closed = base + L".closed";
    DeleteFileW(closed.c_str());
    if (!digits.empty() &&
        StartUnix(L"Z:\\bin\\sh -c \"exec </dev/null >/dev/null 2>&1; kill " + digits + L"; while kill -0 " + digits +
                  L"; do sleep 0.02; done; : > '" + unixBase_ + L".closed'\"")) {
        // socat has removed its links once it has ended: the ports can be linked again.
        WaitUntil([&] { return FileExists(closed); }, 5000);
    }
    DeleteFileW(closed.c_str());
    DeleteFileW(pidFile_.c_str());
    DeleteFileW((base + L".held-a").c_str());
    DeleteFileW((base + L".held-b").c_str());
    pidFile_.clear();
}

bool SerialLink::Write(const std::string& bytes)
{
    if (port_ == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    return WriteFile(port_, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

bool SerialLink::Read(std::string* bytes, DWORD timeoutMs)
{
    if (port_ == INVALID_HANDLE_VALUE)
        return false;
    const DWORD start = GetTickCount();
    do {
        char buffer[512];
        DWORD got = 0;
        if (!ReadFile(port_, buffer, sizeof buffer, &got, nullptr))
            return false;
        bytes->append(buffer, got);
        if (got == 0)
            Sleep(10);
    } while (GetTickCount() - start < timeoutMs);
    return true;
}

std::string NmeaLine(const char* body)
{
    unsigned sum = 0;
    for (const char* c = body; *c != 0; ++c)
        sum ^= static_cast<unsigned char>(*c);
    char checksum[8];
    std::snprintf(checksum, sizeof checksum, "*%02X\r\n", sum);
    return "$" + std::string(body) + checksum;
}

std::vector<DrawnText> TextsDrawnOn(Program& program, HWND asked, HWND window, long from)
{
    std::vector<DrawnText> all, on;
    if (program.DrawnTexts(asked, from, &all))
        for (const DrawnText& t : all)
            if (t.window == window)
                on.push_back(t);
    return on;
}

HWND StartVloxPastSplash(Program& vlox, const std::wstring& folder, std::string* error,
                         const std::string& configuration, const std::vector<std::wstring>& copied)
{
    const int splashId = IDC_SPLASH_WND;
    if (!MakeEmptyFolder(folder)) {
        *error = "cannot empty the run folder";
        return nullptr;
    }
    if (!configuration.empty() && !WriteFileBytes(folder + L"\\VLOXTARNWEL.INI",
                                                  std::vector<uint8_t>(configuration.begin(), configuration.end()))) {
        *error = "cannot write the configuration";
        return nullptr;
    }
    std::wstring exe = InBinFolder(L"V-LOX.exe");
    if (!copied.empty()) {
        std::vector<std::wstring> files = {L"V-LOX.exe", L"qzdaapi32.dll", L"qzmem32.dll", L"qzsimbrd.dll"};
        files.insert(files.end(), copied.begin(), copied.end());
        for (const std::wstring& file : files)
            if (FileExists(InBinFolder(file.c_str())) &&
                !CopyFileW(InBinFolder(file.c_str()).c_str(), (folder + L"\\" + file).c_str(), FALSE)) {
                *error = "cannot copy " + ToUtf8(file);
                return nullptr;
            }
        exe = folder + L"\\V-LOX.exe";
    }
    std::wstring why;
    if (!vlox.Start(exe, folder, &why)) {
        *error = ToUtf8(why);
        return nullptr;
    }
    HWND main = vlox.WaitWindow(L"VLOX", nullptr, 60000);
    if (main == nullptr) {
        *error = "no shown window of class VLOX within 60 s";
        return nullptr;
    }
    if (!WaitUntil([main] { return !IsShown(Control(main, splashId)); }, 60000)) {
        *error = "the splash is still shown after 60 s";
        return nullptr;
    }
    if (!vlox.WaitIdle(60000)) {
        *error = "V-LOX is not idle 60 s after its splash";
        return nullptr;
    }
    return main;
}

}  // namespace e2e
