// A stand-in main window for the field instruments' Win32 tests: it answers the GPS reader's
// two messages and the meter reader's with the real handlers, has the panel fonts and drawing objects, and lays the
// GPS and meter fields out at fixed places, so that the fields can be read back as pixels.
#pragma once

#include "vlox/common/drawing_objects_win.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/instruments/meter_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/common/program_windows_win.h"

#include <windows.h>

#include <functional>
#include <string>

namespace rig {

inline LRESULT CALLBACK RigWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == GpsPositionMessage)
        return OnGgaSentence(window, message, wParam, lParam);
    if (message == GpsDopMessage)
        return OnGsaSentence(window, message, wParam, lParam);
    if (message == MeterReadingMessage)
        return OnMeterReading(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

inline FieldRect Field(int32_t left, int32_t top, int32_t width)
{
    return FieldRect{left, top, left + width, top + 16};
}

// Makes the window (shown, 640 by 400) and sets the program-wide values the handlers use.
inline HWND MakeMainWindow()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = RigWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"InstrumentRigMain";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"InstrumentRigMain", L"rig", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 400,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    hWndMain = window;
    hWndCurve = window;
    GpsMessageWindow = window;
    if (hFontNormal == nullptr)
        hFontNormal = CreateFontW(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    if (hFontBold == nullptr)
        hFontBold = CreateFontW(14, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    CreateDrawingObjects();
    GpsStatusRects& g = MainScreenLayout.Gps;
    g.Indicator = Field(10, 10, 40);
    g.Lamps[0] = FieldRect{62, 8, 76, 22};
    g.Lamps[1] = FieldRect{84, 8, 98, 22};
    g.PdopValue = Field(50, 30, 40);
    g.SatValue = Field(130, 30, 24);
    g.Coordinates[0] = Field(10, 50, 200);
    g.Coordinates[1] = Field(10, 70, 200);
    g.GpsCountRect = Field(50, 90, 50);
    g.ZoneValue = Field(130, 90, 30);
    MainScreenLayout.MeterTextRect = Field(300, 10, 240);
    return window;
}

// Dispatches this thread's messages until done() or the time-out; true when done.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// Dispatches what is waiting for this thread now.
inline void PumpWaiting()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A handle of the thread that outlives the program's own (closed when the reader is ended),
// to see afterwards whether it has ended.
inline HANDLE WatchThread(HANDLE thread)
{
    HANDLE watch = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &watch, SYNCHRONIZE, FALSE, 0);
    return watch;
}
inline bool Ended(HANDLE watch)
{
    const bool ended = watch != nullptr && WaitForSingleObject(watch, 0) == WAIT_OBJECT_0;
    if (watch != nullptr)
        CloseHandle(watch);
    return ended;
}

// Pixels of a field that differ from the panel colour (text or a lamp drawn there).
inline int InkIn(HWND window, const FieldRect& r)
{
    HDC dc = GetDC(window);
    const COLORREF panel = GetSysColor(COLOR_BTNFACE);
    int ink = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            if (c != CLR_INVALID && c != panel)
                ++ink;
        }
    ReleaseDC(window, dc);
    return ink;
}

inline std::string Narrow(const WideString& w)
{
    std::string s;
    for (WideChar c : w)
        s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return s;
}

// A sentence from its body with its checksum.
inline std::string Sentence(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    wsprintfA(tail, "*%02X", sum);
    return "$" + body + tail;
}

// The NMEA of a receiver at a latitude/longitude given as "ddmm.mmm" fields, GGA then GSA.
inline std::string GgaAt(const char* time, const char* latitude, const char* longitude, const char* talker = "GP")
{
    return Sentence(std::string(talker) + "GGA," + time + "," + latitude + ",N," + longitude +
                    ",W,1,07,1.1,100.0,M,-34.0,M,,") +
           "\r\n";
}

inline std::string Gsa(const char* pdop)
{
    return Sentence(std::string("GPGSA,A,3,04,05,,09,12,,,24,,,,,") + pdop + ",1.3,2.1") + "\r\n";
}

}  // namespace rig
