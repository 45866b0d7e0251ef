#include "vlox/common/program_windows_win.h"

HINSTANCE hInstance = nullptr;
HWND hWndMain = nullptr;
HWND hWndMainCopy = nullptr;
HMENU hMenuMain = nullptr;
HFONT hFontNormal = nullptr;
HFONT hFontBold = nullptr;
HWND hWndCurve = nullptr;
HWND hWndMap = nullptr;
HWND hWndNumbers = nullptr;
HWND hWndMonitorGps = nullptr;
HWND hWndBar = nullptr;
HWND hWndSplash = nullptr;
HWND hButtons[ButtonSlots] = {};
HWND hComboReviewView = nullptr;
HWND hComboLine = nullptr;
HWND hComboStation = nullptr;
HWND hComboRecord = nullptr;
HWND hComboProcessing = nullptr;
HWND hComboRepetition = nullptr;
HWND hListRecords = nullptr;
HWND BoardNotifyWindow = nullptr;
HWND GpsMessageWindow = nullptr;
