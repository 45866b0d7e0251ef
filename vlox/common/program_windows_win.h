// The program's windows, fonts and the windows that receive the board's and the GPS reader's
// messages: program-wide handles that every part of V-LOX may read. The main window's
// creation sets them.
#pragma once

#include <windows.h>

#include "vlox/common/screen_layout.h"

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
extern HWND hButtons[ButtonSlots];  // by button slot (ButtonSlotForId); 0-3 and 44 stay empty
extern HWND hComboReviewView;
extern HWND hComboLine;
extern HWND hComboStation;
extern HWND hComboRecord;
extern HWND hComboProcessing;
extern HWND hComboRepetition;
extern HWND hListRecords;
extern HWND BoardNotifyWindow;  // receives the board library's notifications (= hWndCurve)
extern HWND GpsMessageWindow;   // receives the GPS reader's sentences (= the main window)
