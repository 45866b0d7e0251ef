// The status panel on the left of the main window. The least version: the rows are laid out
// in full (the review combo boxes and the popups need them) and the paint handler draws the
// two boxes and their labels; the field values and the parameter summary come later.
#pragma once

#include <windows.h>

void LayoutStatusPanel(HWND window);
LRESULT CALLBACK PaintStatusPanel(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Placeholder: the numbers window's headings for the live or reviewed gate count.
void RedrawNumbersHeader();
