// The operations the commands call that other parts of the program build: board control,
// repetition switching and nulling steps, the internal test, the displays and the map, the
// review reader. Each is a placeholder here that does nothing visible (and reports "no
// board", "no file" where a result is asked); the work that builds the real operation
// replaces its body here or moves it to its own module and deletes it here.
//
// The GPS link and the conductivity meter are built beside the commands at the same time;
// they register their operations in InstrumentCommandLinks instead, so neither side edits
// the other's files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "vlox/measure/board_control_win.h"
#include "vlox/measure/sync_gates.h"
// The display areas, the progress bar, the curve axes and the numbers header.
#include "vlox/display/measure_windows_win.h"

// ---------------------------------------------------------------------------------------
// Board control: the measurement engine's operations (OpenAcquisitionBoard,
// StartAcquisition, RestartAcquisition, RestartAcquisitionIfOpen, StopAcquisition,
// ReleaseSubsystems) and the reset of the cycle state before a start.

// ---------------------------------------------------------------------------------------
// Repetition switching, nulling steps and the internal test.

#include "vlox/measure/internal_test_win.h"
#include "vlox/measure/nulling_win.h"

// ---------------------------------------------------------------------------------------
// Displays and map.

// 1 once the live profile strip has been drawn; cleared to restart it.
extern int32_t ProfileDrawn;
// The GPS position handler plots fixes on the live map only while this is 1.
extern int32_t MapGpsPlotOn;
// The map's flag that the area under the GPS cross is saved.
extern int32_t MapCrossBoxSaved;
// Simulated-track variant of the GPS link: a station or a line was stepped.
extern int32_t SimStationStep;
extern int32_t SimTrackRestart;

// The live profile strip moves on by one station (profile view in automatic mode).
void ScrollProfile();
void ScaleProfileAxis();
void DrawLiveProfileFrame();
// Plots the latest fix on the map; gives the cross position just plotted.
void PlotGpsPosition(HWND mapWindow, int32_t addToTrack, int32_t drawCross, POINT* crossPosition);
// Points in the GPS track.
int32_t GpsTrackPointCount();
// The station marker (track-symbol style, green marker pen and brush) at a map pixel.
void DrawStationMarker(HWND mapWindow, POINT at);
void KeepStationInView();
void RedrawStationMap(HWND mapWindow);
void SaveRestoreMapBackground(HWND mapWindow, int32_t phase);
// Frees the GPS track arrays when they exist and marks them absent.
void FreeGpsTrack();
// The live GPS map starts empty (Close Data File with the GPS map): the reader paused, the
// map cleared with its grid, the track arrays made anew, the reader resumed.
void ResetLiveGpsMap();

// ---------------------------------------------------------------------------------------
// Popup parameter menus of the status panel (the dialogs' work builds them).

// 1 when a popup menu or a panel dialog was shown for the click, else 0.
int32_t ParameterPopupMenu(int32_t x, int32_t y);
int32_t TestPanelPopupMenu(int32_t x, int32_t y);
// Applies a popup item id to the settings; other ids change nothing.
void ApplyPopupChoice(int32_t id);

// ---------------------------------------------------------------------------------------
// Dialogs of the settings and review work. Each returns the dialog's result (1 OK, 0
// Cancel).

// The "Selective Nulling" dialog (SelectiveNullingDialog), in its own module.
#include "vlox/ui/selective_nulling_dialog_win.h"
// Selective nulling skips its dialog in the dynamic build variant and nulls rate index 0.
extern int32_t DynamicBuildVariant;

// ---------------------------------------------------------------------------------------
// The GPS link and the conductivity meter, registered by their own modules. An entry left
// empty does nothing (and reports "not fresh", "no port").

struct InstrumentCommandLinkSet {
    // kind 0 GGA, 1 GSA: a sentence arrived since the fresh flags were last cleared. The
    // flags are shared with the reader thread and must be atomic there.
    bool (*SentenceFresh)(int32_t kind) = nullptr;
    void (*ClearFreshFlags)() = nullptr;
    // While 1 the reader does not replace the sentence copies.
    void (*SetCopyHold)(int32_t hold) = nullptr;
    // The latest sentence and its tick; false when there is none.
    bool (*CopySentence)(int32_t kind, std::string& text, uint32_t& tick) = nullptr;
    // Stops the GPS reader and any GPS monitor reader cooperatively (signal, acknowledge,
    // join) and closes the port; GpsPort and GpsThread become invalid.
    void (*StopGpsReaders)() = nullptr;
    // Opens the GPS port and starts the GPS monitor reader; false when the port did not open.
    bool (*StartGpsMonitorReader)() = nullptr;

    // The meter: 1 when a meter reader thread runs.
    bool (*MeterReaderRunning)() = nullptr;
    // Opens the meter port: 1 when opened, 0 after its own message.
    int32_t (*OpenMeterPort)() = nullptr;
    // Starts the meter reader thread.
    void (*StartMeterReader)() = nullptr;
    // Stops the meter reader cooperatively, if one runs, and closes its port, if open.
    void (*StopMeterReader)() = nullptr;
    // 1 while meter readings are taken and shown.
    void (*SetMeterReadingsActive)(int32_t active) = nullptr;
    // The "SQ12SETUP" dialog, owned by the main window.
    INT_PTR (*MeterSetupDialog)(HWND owner) = nullptr;
};
extern InstrumentCommandLinkSet InstrumentCommandLinks;
