// The command cases that drive the receiver: monitoring, measuring, storing and cancelling a
// reading, station and line steps, the nulling set-ups, the internal test, Invert, the reset
// to defaults, the GPS monitor, the meter set-up and Exit. Each runs on the user-interface
// thread and returns; a reading, a nulling run or a test goes on in the measurement cycle.
#pragma once

#include <windows.h>

#include <cstdint>

// `ReadingCounter` before the last Store Reading reset it.
extern int32_t PreviousReadingCounter;
// Map pixel of the GPS cross taken by Store Reading; the station's marker goes there when
// the station is left.
extern POINT StoredStationPixel;
// The station left gets its marker at StoredStationPixel, once a reading was stored on the
// GPS map and the GPS track holds a point.
void DrawLeftStationMarker();
// Selective nulling skips its dialog in the dynamic build variant and nulls rate index 0.
extern int32_t DynamicBuildVariant;

void MonitorCommand();
void PauseCommand();
void MeasureCommand();
void StopCommand();
void StoreReadingCommand();
void CancelReadingCommand();
void StationStepCommand(int32_t command);  // 21 previous, 23 next
void LineStepCommand(int32_t command);     // 22 previous, 24 next
void RepeatLastStationCommand();
void FullNullingCommand();
void SelectiveNullingCommand();
void UserGatesNullingCommand();
void InternalTestCommand(int32_t command);  // 45..48
void ExitTestCommand();
void ResetDefaultsCommand();
void InvertCommand();
void MonitorGpsCommand();
void MeterSetupCommand();
void ExitCommand();

// Command buttons by slot in hButtons (control id - 420): shown (its own visible flag, so
// the answer holds while the main window itself is hidden), shown or hidden. Enabled ones and
// menu items are set through the enabling (enabling_win.h).
bool ButtonShown(int32_t slot);
void ShowButton(int32_t slot, bool shown);

// Monitor runs while "Pause" is shown; a data file is open while "Close File" is shown.
bool MonitorRunning();
bool DataFileShownOpen();
