// The converter programs' start and dialog: a modal dialog made from an empty template whose
// controls are created in code at their pixel positions, run over the portable dialog logic.
#include "converters/converter_settings.h"
#include "converters/converter_win.h"
#include "resources/converter_ids.h"

#include <commctrl.h>

#include <vector>

namespace converters {

ConverterState Converter;
std::string StartFolder;

namespace {

// The dialog's child windows as the dialog logic sees them.
class DialogControlsWin : public DialogControls {
public:
    explicit DialogControlsWin(HWND dialog) : Dialog(dialog) {}
    void SetText(int32_t id, const std::string& text) override
    {
        SetWindowTextW(Item(id), Utf8ToWide(text).c_str());
    }
    std::string Text(int32_t id) override
    {
        HWND item = Item(id);
        std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
        GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
        return WideToUtf8(text.data());
    }
    void Enable(int32_t id, bool enabled) override { EnableWindow(Item(id), enabled ? TRUE : FALSE); }
    void Show(int32_t id, bool shown) override { ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE); }
    void SetChecked(int32_t id, bool checked) override
    {
        SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    bool Checked(int32_t id) override { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void FillList(int32_t id, const std::vector<std::string>& items) override
    {
        HWND list = Item(id);
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (const std::string& entry : items)
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(entry).c_str()));
    }
    void SelectListItem(int32_t id, int32_t index) override
    {
        SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    int32_t ListSelection(int32_t id) override
    {
        const LRESULT at = SendMessageW(Item(id), CB_GETCURSEL, 0, 0);
        return at == CB_ERR ? -1 : static_cast<int32_t>(at);
    }

private:
    HWND Item(int32_t id) const { return GetDlgItem(Dialog, id); }
    HWND Dialog;
};

// The one dialog of the program and what it runs on.
struct RunningDialog {
    explicit RunningDialog(HWND window) : Controls(window), Host(window), Logic(Converter, Controls, Host) {}
    DialogControlsWin Controls;
    DialogHostWin Host;
    ConverterDialog Logic;
    // Set while a command runs: a message box of a writer runs its own message loop, and a
    // command reaching the dialog then would start a second conversion inside the first.
    bool Busy = false;
};
RunningDialog* Running = nullptr;

// The control that had the focus when the dialog was deactivated.
HWND FocusBeforeDeactivation = nullptr;

struct ControlClass {
    const wchar_t* Class;
    DWORD Style;
    DWORD ExStyle;
};

ControlClass ClassOf(ControlKind kind)
{
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
    case ControlKind::PushButton: return {L"BUTTON", child | WS_TABSTOP | BS_DEFPUSHBUTTON, 0};
    case ControlKind::ReadOnlyPath: return {L"EDIT", child | ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label: return {L"STATIC", child | SS_LEFT, 0};
    case ControlKind::RightLabel: return {L"STATIC", child | SS_RIGHT, 0};
    // Paths shown in the status line may hold "&".
    case ControlKind::StatusLine: return {L"STATIC", child | SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSW, child, 0};
    case ControlKind::DropDownList: return {L"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::SortedDropDownList:
        return {L"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT, 0};
    case ControlKind::GroupBox: return {L"BUTTON", child | BS_GROUPBOX, 0};
    case ControlKind::RadioButton: return {L"BUTTON", child | BS_AUTORADIOBUTTON, 0};
    case ControlKind::CheckBox: return {L"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::NumberEdit: return {L"EDIT", child | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", child, 0};
}

// The layout as the dialog's font draws it: the fonts of one system are wider than another's,
// and a caption must not lose its end.
std::vector<ControlLayout> MeasuredLayout(HWND dialog, HFONT font)
{
    HDC dc = GetDC(dialog);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const std::vector<ControlLayout> controls = FittedLayout(
        Converter.ConverterMode,
        [dc](const char* text, int32_t wrapWidth) {
            const std::wstring wide = Utf8ToWide(text);
            RECT r{0, 0, wrapWidth, 0};
            DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
                      DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
            return TextExtent{r.right - r.left, r.bottom - r.top};
        },
        GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return controls;
}

// The client area of the layout, centred on the work area; then the controls in creation order
// (which is the tab order), each with the dialog's font.
void CreateLayout(HWND dialog)
{
    const DialogLayout layout = LayoutOf(Converter.ConverterMode);
    RECT frame{0, 0, layout.ClientWidth, layout.ClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    for (const ControlLayout& c : MeasuredLayout(dialog, font)) {
        ControlClass cls = ClassOf(c.Kind);
        if (c.Flags & StartsGroup)
            cls.Style |= WS_GROUP | (c.Kind == ControlKind::RadioButton ? WS_TABSTOP : 0);
        if (c.Flags & CreatedDisabled)
            cls.Style |= WS_DISABLED;
        if (c.Flags & CentredText)
            cls.Style |= BS_CENTER | BS_VCENTER;
        const std::wstring caption = Utf8ToWide(c.Caption ? c.Caption : TextsOf(Converter.ConverterMode).Version);
        HWND control = CreateWindowExW(cls.ExStyle, cls.Class, caption.c_str(), cls.Style, c.X, c.Y, c.Width,
                                       c.Height, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.Id)),
                                       instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }

    const HANDLE big = LoadImageW(instance, MAKEINTRESOURCEW(IDI_CONVERTER), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                  GetSystemMetrics(SM_CYICON), LR_SHARED);
    const HANDLE small = LoadImageW(instance, MAKEINTRESOURCEW(IDI_CONVERTER), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

INT_PTR OnInitDialog(HWND dialog)
{
    CreateLayout(dialog);
    Running = new RunningDialog(dialog);
    Running->Logic.Init();
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam)
{
    if (Running == nullptr || Running->Busy)
        return FALSE;
    Running->Busy = true;
    const bool end = Running->Logic.Command(LOWORD(wParam), HIWORD(wParam));
    Running->Busy = false;
    if (end)
        EndDialog(dialog, 1);
    return FALSE;
}

// The status line is blue on the dialog's own background; the brush returned is what makes the
// colour stick.
INT_PTR OnColourStatic(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_CONV_STATUS))
        return FALSE;
    const HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR OnNonClientActivate(HWND dialog, WPARAM wParam)
{
    if (wParam == FALSE) {
        HWND focus = GetFocus();
        FocusBeforeDeactivation = focus && IsChild(dialog, focus) ? focus : nullptr;
    } else if (FocusBeforeDeactivation != nullptr) {
        SetFocus(FocusBeforeDeactivation);
        FocusBeforeDeactivation = nullptr;
    }
    return FALSE;
}

// The empty template of the dialog: caption, system menu, modal frame, the system's dialog
// font; its size and place are set when it opens.
std::vector<WORD> DialogTemplate()
{
    std::vector<WORD> t;
    auto dword = [&t](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto text = [&t](const std::wstring& s) {
        t.insert(t.end(), s.begin(), s.end());
        t.push_back(0);
    };
    dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT);
    dword(WS_EX_CONTROLPARENT);
    t.push_back(0);             // no controls in the template
    t.insert(t.end(), 4, 0);    // x, y, cx, cy
    t.push_back(0);             // no menu
    t.push_back(0);             // the dialog class
    text(Utf8ToWide(TextsOf(Converter.ConverterMode).Title));
    t.push_back(8);             // point size
    text(L"MS Shell Dlg");
    return t;
}

using InitCommonControlsExCall = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

void StartCommonControls()
{
    HMODULE comctl = LoadLibraryW(L"COMCTL32.DLL");
    if (comctl == nullptr)
        return;
    const auto initEx =
        reinterpret_cast<InitCommonControlsExCall>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
    if (initEx != nullptr) {
        INITCOMMONCONTROLSEX classes{};
        classes.dwSize = sizeof classes;
        classes.dwICC = 0x9FF;   // the Win95 classes, dates and the Internet classes
        initEx(&classes);
    } else {
        InitCommonControls();
    }
    FreeLibrary(comctl);
}

} // namespace

INT_PTR CALLBACK ConverterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND: return OnCommand(dialog, wParam);
    case WM_CTLCOLORSTATIC: return OnColourStatic(dialog, wParam, lParam);
    case WM_NCACTIVATE: return OnNonClientActivate(dialog, wParam);
    case WM_DESTROY:
        delete Running;
        Running = nullptr;
        return FALSE;
    default: return FALSE;
    }
}

INT_PTR BuildConverterDialog(HWND parent)
{
    const std::vector<WORD> dialogTemplate = DialogTemplate();
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                   reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), parent,
                                   ConverterDialogProc, 0);
}

int ConverterMain(int32_t mode)
{
    StartCommonControls();
    Converter.ConverterMode = mode;
    wchar_t folder[MAX_PATH] = L"";
    if (GetCurrentDirectoryW(MAX_PATH, folder) >= MAX_PATH)
        folder[0] = L'\0';
    StartFolder = WideToUtf8(folder);
    ConverterSettingsFile(0);
    return static_cast<int>(BuildConverterDialog(nullptr));
}

} // namespace converters
