// The main window's command handler: WM_COMMAND, the keys and the mouse messages of the
// main window come here, are resolved into at most one `MainCommand` and run its case. On
// the way it routes the review controls' selections, sets the cursor over the parameter
// panel, opens the panel's popups and moves the keyboard highlight over the buttons.
#pragma once

#include <windows.h>

#include <cstdint>

#include "vlox/common/screen_layout.h"
#include "vlox/display/monitor_gps_window_win.h"

// 1 when the last button-up showed a popup menu or panel dialog: the next command message
// is its choice.
extern int32_t PopupChoicePending;
// Slot in hButtons of the button the keyboard made the default push button.
extern int32_t HighlightedButton;
// Buttons hidden by the GPS monitor (1: shown again when the monitor closes), and how many
// slots to walk.
extern int32_t ButtonVisible[ButtonSlots];
extern int32_t ButtonCount;

LRESULT CALLBACK OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The review's selection on the main window's controls (review_routing.h): the reading at
// (line, station, record) of the repetition shown made the one shown, and the steps of
// Previous and Next Record.
void ShowReviewPlaceOnScreen(int32_t line, int32_t station, int32_t record);
// The profile view read again after its file or unit changed (ShowProfileAgain). False when a
// contents check left review.
bool ShowProfileAgainOnScreen();
void StepReviewRecordOnScreen(bool next);

// Runs the case of a command 0..66; any other value runs nothing.
void RunMainCommand(int32_t command);

// Message boxes of the commands: MessageBoxW unless a test puts its recorder here. A box
// without an owner is made task-modal, so that it holds every window of the program.
using CommandMessageBoxFunction = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
extern CommandMessageBoxFunction CommandMessageBox;
int ShowCommandMessage(HWND owner, const char* text, const char* caption, UINT type);

// Ends the process (Exit, the configuration reset); ExitProcess unless a test replaces it.
extern void (*EndProgramProcess)(uint32_t exitCode);
