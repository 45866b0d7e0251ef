#include "vlox/ui/enabling_win.h"

#include <windows.h>

#include "vlox/settings/settings.h"
#include "vlox/ui/main_window_win.h"

int32_t RepeatButtonHidden = 0;

namespace {

HWND ButtonAt(int32_t index)
{
    if (index < 0 || index >= ButtonSlots)
        return nullptr;
    return hButtons[index];
}

class MainWindowSink final : public EnablingSink {
public:
    void SetMenuItemEnabled(int32_t id, bool enabled) override
    {
        EnableMenuItem(hMenuMain, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
    void SetButtonEnabled(int32_t index, bool enabled) override
    {
        if (HWND b = ButtonAt(index))
            EnableWindow(b, enabled ? TRUE : FALSE);
    }
    void SetButtonShown(int32_t index, bool shown) override
    {
        if (HWND b = ButtonAt(index))
            ShowWindow(b, shown ? SW_SHOW : SW_HIDE);
    }
    void SetProgressBarShown(bool shown) override
    {
        if (hWndBar != nullptr)
            ShowWindow(hWndBar, shown ? SW_SHOW : SW_HIDE);
    }
    // The button's own visible flag: the main window may still be hidden at creation.
    bool IsButtonShown(int32_t index) const override
    {
        HWND b = ButtonAt(index);
        return b != nullptr && (GetWindowLongW(b, GWL_STYLE) & WS_VISIBLE) != 0;
    }
};

}  // namespace

void EnableMenusForState(int32_t state)
{
    MainWindowSink sink;
    ApplyMenusForState(state, sink);
}

void EnableMenusForReview(int32_t state)
{
    MainWindowSink sink;
    ApplyMenusForReview(state, sink);
}

void EnableControlsForState(int32_t state)
{
    MainWindowSink sink;
    ApplyControlsForState(state, sink);
}

void EnableControlsForTest(int32_t enable)
{
    MainWindowSink sink;
    ApplyControlsForTest(enable, sink);
}

void EnableMenusForTest(int32_t enable)
{
    MainWindowSink sink;
    ApplyMenusForTest(enable, Settings.GateSet, sink);
}

void EnableNullingMenus()
{
    MainWindowSink sink;
    ApplyNullingMenus(Settings.GateSet, sink);
}

void RestoreLoggingButtons()
{
    MainWindowSink sink;
    ApplyRestoreLoggingButtons(RepeatButtonHidden, sink);
}

void GiveWay(const int32_t* ids, int32_t count, GivenWay& given)
{
    MainWindowSink sink;
    ApplyGiveWay(ids, count, given, sink);
}

void TakeBackPlaces(GivenWay& given)
{
    MainWindowSink sink;
    ApplyTakeBackPlaces(given, sink);
}
