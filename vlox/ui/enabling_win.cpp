#include "vlox/ui/enabling_win.h"

#include <windows.h>

#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/review_state.h"
#include "vlox/settings/settings.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/ui/command_states.h"
#include "vlox/ui/main_window_win.h"

int32_t RepeatButtonHidden = 0;

namespace {

HWND ButtonAt(int32_t index)
{
    if (index < 0 || index >= ButtonSlots)
        return nullptr;
    return hButtons[index];
}

// The real menu and buttons.
class ScreenSink final : public EnablingSink {
public:
    void SetMenuItemEnabled(int32_t id, bool enabled) override
    {
        if (hMenuMain != nullptr)
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

OfferedControls Offered;

// What the enabling routines set goes through the offer: an item is enabled on the screen only
// while its command may act.
class MainWindowSink final : public EnablingSink {
public:
    void SetMenuItemEnabled(int32_t id, bool enabled) override
    {
        Offered.WantMenuItem(id, enabled, CurrentCommandFacts(), screen_);
    }
    void SetButtonEnabled(int32_t index, bool enabled) override
    {
        Offered.WantButton(index, enabled, CurrentCommandFacts(), screen_);
    }
    void SetButtonShown(int32_t index, bool shown) override
    {
        screen_.SetButtonShown(index, shown);
        Offered.Show(CurrentCommandFacts(), screen_);
    }
    void SetProgressBarShown(bool shown) override { screen_.SetProgressBarShown(shown); }
    bool IsButtonShown(int32_t index) const override { return screen_.IsButtonShown(index); }

private:
    ScreenSink screen_;
};

}  // namespace

CommandFacts CurrentCommandFacts()
{
    CommandFacts f;
    f.Run = CurrentBoardRun();
    f.Reviewing = ReviewMode != -1;
    // Open, or set aside while a review runs.
    f.DataFileOpen = DataFile != INVALID_HANDLE_VALUE || DataFileState != 0;
    f.Monitoring = MonitorRunning();
    return f;
}

void FindOfferedControls()
{
    if (hMenuMain != nullptr) {
        for (int32_t id = FirstMenuId; id <= LastMenuId; ++id) {
            const UINT state = GetMenuState(hMenuMain, static_cast<UINT>(id), MF_BYCOMMAND);
            if (state != static_cast<UINT>(-1))
                Offered.FoundMenuItem(id, (state & (MF_GRAYED | MF_DISABLED)) == 0);
        }
    }
    for (int32_t slot = 0; slot < ButtonSlots; ++slot)
        if (HWND b = ButtonAt(slot))
            Offered.FoundButton(slot, IsWindowEnabled(b) != FALSE);
}

void ShowOfferedControls()
{
    ScreenSink screen;
    Offered.Show(CurrentCommandFacts(), screen);
}

void SetMenuItem(UINT id, bool enabled)
{
    MainWindowSink sink;
    sink.SetMenuItemEnabled(static_cast<int32_t>(id), enabled);
}

void EnableButton(int32_t slot, bool enabled)
{
    MainWindowSink sink;
    sink.SetButtonEnabled(slot, enabled);
}

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
