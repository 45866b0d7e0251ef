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

// Live GDI objects of this process. Wine's GetGuiResources answers 0; there every entry of
// the handle table answers GetObjectType to its index alone.
inline int CountGdiObjects()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
        return static_cast<int>(reported);
    int n = 0;
    for (UINT i = 1; i < 0x10000; ++i)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(i))) != 0)
            ++n;
    return n;
}
