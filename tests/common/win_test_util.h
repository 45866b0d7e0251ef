// Small helpers of the in-process Win32 tests: the test program's instance and a message pump
// that runs what the windows under test have queued.
#pragma once

#include <windows.h>

#include <string>

inline HINSTANCE Instance()
{
    return GetModuleHandleW(nullptr);
}

// Starts a Unix program under Wine (a command line such as "Z:\\bin\\sh -c ...") and lets it
// run. Wine makes no process or thread handle for a Unix program: what it leaves in the
// process information is no handle of this process, and closing it would close whatever
// handle of this process has that value (its standard output, a serial port of the test).
inline bool StartUnixProgram(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &created) != FALSE;
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
