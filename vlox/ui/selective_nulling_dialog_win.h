// The "Selective Nulling" dialog: picks the repetition rates a selective nulling run measures.
#pragma once

#include <windows.h>

// Fills the list with the rates of the mains family; OK sets `NullRateSelected` from the
// selection and ends with 1, Cancel ends with 0 and changes nothing.
INT_PTR CALLBACK SelectiveNullingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally on the owner; 1 on OK, 0 on Cancel (or when it cannot be shown).
INT_PTR SelectiveNullingDialog(HWND owner);
