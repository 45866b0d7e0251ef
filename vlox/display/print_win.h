// Printing of the review plot or profile with its header block.
#pragma once

#include <windows.h>

// Prints the page of the review shown, owned by parent. 1 when printed (or the printer
// dialog was cancelled), 0 when the job failed or was aborted.
int PrintPage(HWND parent);
