// The acquisition settings dialogs and the status panel's popup menus: thin dialog
// procedures over the rules of acquisition_settings.h and the dialog models.
#pragma once

#include "vlox/settings/textconv.h"

#include <windows.h>

#include <cstdint>

// "Turn Off Time", "Tx Current", "Records per Measurement": 1 on OK, 0 on Cancel.
INT_PTR CALLBACK TurnOffTimeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TxCurrentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RecordsPerMeasurementDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens a dialog template with the main window as owner; 1 on OK, 0 otherwise.
int32_t OpenSettingsDialog(const wchar_t* name, DLGPROC procedure);

// A message box owned by a dialog, so that the dialog cannot take a second OK meanwhile.
void DialogMessage(HWND dialog, const WideString& text, const char* caption, UINT type);
