// Services that the program's start and end need and that later work builds. Each is the
// least working version or a placeholder with a plain name; the work that builds the real
// service replaces the call (or the body) and removes the entry here.
#pragma once

#include <windows.h>

#include <cstdint>

// Stand-ins for values that belong to other parts of the program and do not exist yet.
namespace StandIn {
extern double TxLoopArea;  // the live loop's area, square metres (measurement engine)
extern HANDLE GpsPort;     // GPS serial port (GPS link)
extern HANDLE GpsThread;   // GPS reader thread (GPS link)
}  // namespace StandIn

// Start (main-window creation), in the order it calls them.
void ClearNullTablesAtStart();          // every null table value and validity flag to 0
void ComputeTotalTurnOffDelayAtStart();  // TotalTurnOffDelay from the values in memory
void LoadSettingsAtStart();             // SettingsFile(0); a bad value sets ConfigInvalid
void ComputeTxLoopAreaAtStart();        // TxLoopArea = LoopArea(live settings)
void BuildGateTablesAtStart();
void BuildReviewGateTimesAtStart();
void SetNmeaFieldRolesAtStart();
void CreateProfilePens(int32_t recreate);

// Splash close.
void StartGpsReaderAfterSplash();           // map pens, map view, GPS port, reader thread
void ReportCorruptConfigurationAtSplash();  // message, reset, end of the program

// End (main-window destruction).
void CloseGpsLinkAtExit();             // GPS port and reader thread handle closed, both -1
void CloseStationIndexFileAtExit();    // station index file closed and deleted
void StopAcquisitionAtExit();          // board stopped and released

// Main-window message handlers that later work builds.
LRESULT CALLBACK OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OnGgaSentence(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OnGsaSentence(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
