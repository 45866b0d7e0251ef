// Small helpers of the in-process Win32 tests: the test program's instance and a message pump
// that runs what the windows under test have queued.
#pragma once

#include <windows.h>

inline HINSTANCE Instance()
{
    return GetModuleHandleW(nullptr);
}

inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
