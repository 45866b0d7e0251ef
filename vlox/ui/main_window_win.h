// V-LOX's start and main window: window classes, the main window with its menu, the creation
// handler that builds the whole screen, the layout that places it, and the message loop.
#pragma once

#include <windows.h>

#include <cstddef>

#include "vlox/common/message_table_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/ui/main_layout.h"

// Repetition-rate choices of each mains family that the rate popups offer.
extern int32_t RateChoiceCount60Hz;
extern int32_t RateChoiceCount50Hz;

// Exit codes of the program besides the quit message's.
constexpr int ExitClassRegistrationCurveOrSplash = 1;
constexpr int ExitClassRegistrationMapOrMonitor = 2;
constexpr int ExitMainWindowNotCreated = 16;

// 0, or 2 when MapWnd or MonitorGPSWnd, 1 when CurveWnd or SplashWnd cannot be registered.
int RegisterWindowClasses(HINSTANCE instance);
// The main window, or nullptr when it could not be created.
HWND CreateMainWindow(HINSTANCE instance, LPSTR commandLine, int showCommand);
// The main window's messages, in the order they are scanned.
extern const MessageEntry MainMessageTable[];
extern const size_t MainMessageTableCount;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Get, translate, dispatch until the quit message; returns its exit code.
int RunMessageLoop();
// The whole program: classes, main window, loop. Returns the exit code.
int RunVlox(HINSTANCE instance, int showCommand);

// Places and shows the panes, buttons and review controls in the start state.
void LayoutMainWindow(HWND window);
