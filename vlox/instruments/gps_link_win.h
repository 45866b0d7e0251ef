// Win32 side of the GPS link: the port, the reader thread that hands sentences and its
// silence to the main window (copies with a posted message: only the user-interface thread
// draws), the GPS monitor's reader thread, the GGA and GSA handlers that draw the GPS fields
// of the main window, and the start and end of the link.
//
// Threads end cooperatively: StopGpsReader / StopGpsMonitorReader / CloseGpsPort request the
// stop, wait for the thread to end, and only then close the thread handle and the port. Callers that still close GpsPort and set it
// invalid themselves end the readers too (each leaves its loop when GpsPort no longer holds
// the port it started on), but CloseGpsPort is the safe way.
//
// The usual sequences: a new port or new line settings: OpenGpsPort (it closes the old port
// and its readers first), then StartGpsReader or StartGpsMonitorReader. The GPS monitor
// window's paint takes each new line with TakeGpsMonitorLine (gps.h).
#pragma once

#include "vlox/instruments/gps.h"
#include "vlox/instruments/serial_port_win.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

// The GPS serial port; INVALID_HANDLE_VALUE when closed. Atomic: the readers watch it.
extern std::atomic<HANDLE> GpsPort;
// The reader thread and the monitor's reader thread; INVALID_HANDLE_VALUE when none runs.
extern HANDLE GpsThread;
extern HANDLE GpsMonitorThreadHandle;
// 1 while GpsMonitorThread runs its loop.
extern std::atomic<int32_t> GpsMonitorRunning;

extern ReaderControl GpsReaderControl;
extern ReaderControl GpsMonitorControl;

// What the link calls on the map (the program's start connects them; each is skipped while
// unset).
struct GpsMapServices {
    void (*PlotGpsPosition)(HWND mapWindow, int32_t addToTrack, int32_t drawCross) = nullptr;
    int32_t (*MapGpsPlotOn)() = nullptr;  // 1 while fixes may be plotted on the live map
    void (*CreateMapPens)(int32_t recreate) = nullptr;
    void (*SetupMapView)() = nullptr;
};
extern GpsMapServices GpsMapHooks;

// The simulated-track variant of the link: set when a station (or a line) was stepped. No
// track is simulated yet; nothing reads them.
extern int32_t SimStationStep;
extern int32_t SimTrackRestart;

// Opens the port of the GPS settings into GpsPort (an open one is closed first, its readers
// ended): time-outs of 10 ms, the line of GpsLineSettings. Returns 1 when open; otherwise
// shows "Cannot open COM%d for GPS" ("Serial Port") on the main window, leaves GpsPort
// invalid and returns 0.
int32_t OpenGpsPort();

// Thread procedures; the parameter is not used. Each returns 0 when its loop ends: on a stop
// request, or when GpsPort no longer holds the port it started on.
DWORD WINAPI GpsReaderThread(LPVOID);
DWORD WINAPI GpsMonitorThread(LPVOID);

// Start a reader into GpsThread / GpsMonitorThreadHandle when the port is open and none of
// that kind runs. 1 when one runs afterwards.
int32_t StartGpsReader();
int32_t StartGpsMonitorReader();
// The GPS monitor's start: opens the port and starts the monitor's reader; false when the
// port did not open.
bool OpenGpsMonitor();
// End a reader: its thread handle is closed and set invalid; the port stays open.
void StopGpsReader();
void StopGpsMonitorReader();
// Ends both readers, then closes GpsPort and sets it invalid.
void CloseGpsPort();

// Hold the reader around file dialogs and long work on the user-interface thread; nested
// calls count. Only while a reader runs.
void SuspendGpsReader();
void ResumeGpsReader();

// Program end and configuration reset: port and reader closed, GpsPort and GpsThread invalid.
void CloseGpsLinkAtExit();
// Splash close: map pens and view, the port, 50 ms, the reader, 100 ms. The reader starts
// only when the port opened.
void StartGpsReaderAfterSplash();

// Window messages the reader thread posts to GpsMessageWindow with each update it puts into
// GpsUpdates (gps.h): GpsDopMessage for a GSA line, GpsPositionMessage for a GGA line, a
// failed line and the silence.
constexpr UINT GpsPositionMessage = WM_USER + 11;
constexpr UINT GpsDopMessage = WM_USER + 12;

// The main window's handlers of GpsPositionMessage and GpsDopMessage: each draws every update
// waiting for its window, in order (a GGA line through the GGA handler's work, a GSA line
// through the GSA handler's, the silence blanking the fields); they return 0.
LRESULT CALLBACK OnGgaSentence(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OnGsaSentence(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the satellites, fix quality, latitude, longitude and DOP fields and both activity
// circles with the background (after GpsSilenceMs without a good sentence).
void BlankGpsFields(HWND window);

// What the GPS fields of the main window show now, as last drawn (for tests and checks).
enum GpsLampState : int32_t { LampBlank = 0, LampUnlit = 1, LampLitValid = 2, LampLitInvalid = 3 };
struct GpsFieldsShown {
    WideString Satellites;
    WideString FixQuality;
    WideString Latitude;
    WideString Longitude;
    WideString Dilution;
    WideString Zone;
    WideString Count;
    int32_t Lamps[2] = {LampBlank, LampBlank};
    int32_t Blankings = 0;    // how often the silence blanked them
    DWORD DrawingThread = 0;  // the thread that drew them last
};
GpsFieldsShown CurrentGpsFieldsShown();
