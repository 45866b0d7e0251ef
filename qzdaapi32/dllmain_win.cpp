// Load and unload of qzdaapi32.dll.
#include "qzdaapi32/frame_win.h"

#include <windows.h>

namespace {

LONG ProcessAttaches;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        SetLibraryModule(instance);
        InterlockedIncrement(&ProcessAttaches);
        break;
    case DLL_PROCESS_DETACH:
        // reserved is set when the process is ending rather than the library being freed.
        if (InterlockedDecrement(&ProcessAttaches) == 0)
            ShutdownAllHandles(reserved != nullptr);
        break;
    default:
        break;
    }
    return TRUE;
}
