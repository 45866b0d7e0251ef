// Printing: one page of the review (decay curves of the station or the profile of the line,
// the header block, the gate table and the title) on a printer the user picks, with a
// modeless "PrintDlgBox" to abort the job. The page is laid out by print_layout.h and only
// played here.
#pragma once

#include "vlox/display/print_layout.h"

#include <windows.h>

#include <cstdint>

// 1 when the page was printed, or when the user cancelled the print dialog; 0 when a step of
// the job failed or the user aborted it. A print dialog that fails says why.
int32_t PrintPage(HWND parent);

INT_PTR CALLBACK PrintAbortDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CALLBACK PrintAbortProc(HDC printerDc, int code);

// The capabilities of a device context as the page layout reads them.
PrintDeviceCaps ReadPrintDeviceCaps(HDC dc);

// The page's inputs from the review as it stands (the readings of the station read and
// converted on copies), the capabilities given. The review state is left as it was found.
PrintPageInputs GatherPrintPageInputs(const PrintDeviceCaps& caps);

// Plays a laid-out page on a device context with the job's two fonts: the printer's, or a
// screen or memory DC for a preview.
void PlayPrintPage(HDC dc, const PrintPageLayout& page, HFONT smallFont, HFONT largeFont);

// The two fonts of a job for the capabilities ("MS Sans Serif", weight 200, ANSI).
HFONT CreatePrintFont(int32_t height);
