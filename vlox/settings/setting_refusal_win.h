// Win32 side of a settings dialog's refusal: the operator told, the focus on the field.
#pragma once

#include "vlox/settings/setting_refusal.h"

#include <windows.h>

// The box that tells the operator; tests replace it.
using RefusalMessageBoxFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
extern RefusalMessageBoxFunction RefusalMessageBox;

// Tells the operator which field is refused and why (a box owned by the dialog, with the
// dialog's caption) and puts the focus on the field, an edit's text selected. False, and
// nothing shown, when r refuses nothing.
bool RefuseField(HWND dialog, const FieldRefusal& r, const char* caption);
