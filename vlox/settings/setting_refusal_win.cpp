#include "vlox/settings/setting_refusal_win.h"

RefusalMessageBoxFunction RefusalMessageBox = MessageBoxW;

bool RefuseField(HWND dialog, const FieldRefusal& r, const char* caption)
{
    if (r.Kind == FieldRefusalKind::None)
        return false;
    const WideString text = FieldRefusalText(r);
    const WideString wideCaption = NarrowToWide(std::string(caption));
    // Owned by the dialog, so that the dialog cannot take a second OK meanwhile.
    RefusalMessageBox(dialog, text.c_str(), wideCaption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    HWND field = r.Id != 0 ? GetDlgItem(dialog, r.Id) : nullptr;
    if (field != nullptr && IsWindowVisible(field) && IsWindowEnabled(field)) {
        // The dialog manager's own way: the default button follows, and an edit's text is
        // selected for typing over.
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
    return true;
}
