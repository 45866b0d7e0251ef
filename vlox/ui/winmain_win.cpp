// Entry of V-LOX. The command line is not read.
#include <windows.h>

#include "vlox/ui/main_window_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return RunVlox(instance, showCommand);
}
