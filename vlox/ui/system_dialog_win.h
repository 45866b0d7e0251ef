// "System Parameters" (template SYSTEM): the dialog procedure over system_dialog.h, and the
// command that opens it and saves, redraws and restarts after it.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SystemParametersDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Set Parameters > System Parameters.
void SystemParametersCommand();
