#include "vlox/display/print_win.h"

// Printing is not built yet: the command does nothing.
int PrintPage(HWND)
{
    return 1;
}
