// Services that the program's start and end need and that later work builds. Each is the
// least working version or a placeholder with a plain name; the work that builds the real
// service replaces the call (or the body) and removes the entry here.
#pragma once

#include <windows.h>

#include <cstdint>

// The GPS link's start and end and its two message handlers.
#include "vlox/instruments/gps_link_win.h"

extern double TxLoopArea;  // the live loop's area, square metres (measurement engine)

// Start (main-window creation), in the order it calls them.
void ClearNullTablesAtStart();          // every null table value and validity flag to 0
void ComputeTotalTurnOffDelayAtStart();  // TotalTurnOffDelay from the values in memory
void LoadSettingsAtStart();             // SettingsFile(0); a bad value sets ConfigInvalid
extern double TxCornerEasting[4];   // the loop's corners in metres (GPS-entered loops)
extern double TxCornerNorthing[4];
void ComputeTxLoopAreaAtStart();        // TxLoopArea = LoopArea(live settings)
void BuildGateTablesAtStart();
void BuildReviewGateTimesAtStart();
void SetNmeaFieldRolesAtStart();
void CreateProfilePens(int32_t recreate);

// Splash close (the GPS start is StartGpsReaderAfterSplash of the GPS link).
void ReportCorruptConfigurationAtSplash();  // message, reset, end of the program

// End (main-window destruction; the GPS link's end is CloseGpsLinkAtExit).
void CloseStationIndexFileAtExit();    // station index file closed and deleted
void StopAcquisitionAtExit();          // board stopped and released

// The main window's command handler.
#include "vlox/ui/command_handler_win.h"
