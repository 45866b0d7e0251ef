// V-LOX's start and main window: window classes, the main window with its menu, the creation
// handler that builds the whole screen, the layout that places it, and the message loop.
#pragma once

#include <windows.h>

#include <cstddef>

#include "vlox/common/message_table_win.h"
#include "vlox/common/screen_state.h"

extern HINSTANCE hInstance;
extern HWND hWndMain;
extern HWND hWndMainCopy;
extern HMENU hMenuMain;
extern HFONT hFontNormal;
extern HFONT hFontBold;
extern HWND hWndCurve;
extern HWND hWndMap;
extern HWND hWndNumbers;
extern HWND hWndMonitorGps;
extern HWND hWndBar;
extern HWND hWndSplash;
extern HWND hButtons[ButtonSlots];  // index = control id - 420; 0-3 and 44 stay empty
extern HWND hComboReviewView;
extern HWND hComboLine;
extern HWND hComboStation;
extern HWND hComboRecord;
extern HWND hComboProcessing;
extern HWND hComboRepetition;
extern HWND hListRecords;
extern HWND BoardNotifyWindow;  // receives the board library's notifications (= hWndCurve)
extern HWND GpsMessageWindow;   // receives the GPS reader's sentences (= the main window)

// Window messages of the GPS reader thread.
constexpr UINT GpsPositionMessage = WM_USER + 11;
constexpr UINT GpsDopMessage = WM_USER + 12;

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
