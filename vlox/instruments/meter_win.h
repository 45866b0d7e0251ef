// Win32 side of the conductivity meter: its port at 19200 8N1, the reader thread that finds
// and decodes frames and hands each reading and its silence to the main window (copies with a
// posted message), the drawing of the meter block there, and the setup dialog SQ12SETUP.
//
// The monitoring commands open the port (OpenMeterPort), start the reader (StartMeterReader)
// and set MeterReadingsActive; StopMeterReader ends the reader before it closes the port.
#pragma once

#include "vlox/instruments/meter.h"
#include "vlox/instruments/serial_port_win.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

// The meter port; INVALID_HANDLE_VALUE when closed. Atomic: the reader watches it.
extern std::atomic<HANDLE> MeterPort;
// The reader thread; INVALID_HANDLE_VALUE when none.
extern HANDLE MeterThread;
// 1 while readings are to be decoded (the monitoring commands set and clear it).
extern std::atomic<int32_t> MeterReadingsActive;
extern ReaderControl MeterReaderControl;

// Opens COM(MeterComPort + 1) into MeterPort (an open one is closed first, its reader ended):
// read time-out 10 ms, the line of MeterLineSettings. 1 when open; otherwise "Cannot open
// COM%d for SQ12-MK2" ("Serial Port", owned by the curve window) and 0.
int32_t OpenMeterPort();

// Thread procedure; the parameter is not used. Returns 0 when its loop ends: on a stop request
// or when MeterPort no longer holds the port it started on.
DWORD WINAPI MeterReaderThread(LPVOID);

// Starts MeterReaderThread into MeterThread when the port is open and no reader runs; 1 when
// one runs afterwards.
int32_t StartMeterReader();
// Ends the reader, if one runs, then closes the port, if open: MeterThread and MeterPort
// invalid.
void StopMeterReader();
// True while a reader thread is there (MeterThread valid).
bool MeterReaderRunning();

// The message the reader posts to hWndMain with each reading shown and each silence text, and
// the main window's handler: it draws every one waiting for its window, in order; returns 0.
constexpr UINT MeterReadingMessage = WM_USER + 13;
LRESULT CALLBACK OnMeterReading(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The meter block: MeterTextRect filled white, " HD    %-8.2f   %-8.2f" (or " VD ...") in the
// bold font, black, at its top-left corner, clipped.
void ShowMeterReading(HDC dc, double conductivity, double inPhase, char dipole);
// The silent meter: MeterTextRect filled red, "NO CONNECTION" bold, black, centred at its top.
void ShowMeterSilence(HDC dc);

// SQ12SETUP ("SQ12-MK2 Setup"): OK takes the four lists and saves the settings (result 1);
// Cancel changes nothing (result 0).
INT_PTR CALLBACK MeterSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The dialog from the program's resources, owned by owner; its result.
INT_PTR ShowMeterSetupDialog(HWND owner);
// How the set-up command shows it: ShowMeterSetupDialog unless a test puts its own answer here.
using MeterSetupDialogFunction = INT_PTR (*)(HWND owner);
extern MeterSetupDialogFunction MeterSetupDialogBox;

// What the meter block shows now, as last drawn (for tests and checks).
struct MeterBlockShown {
    WideString Text;
    bool Red = false;
    int32_t Decoded = 0;      // readings shown since start
    int32_t Silences = 0;     // silence texts drawn since start
    DWORD DrawingThread = 0;  // the thread that drew it last
};
MeterBlockShown CurrentMeterBlockShown();
