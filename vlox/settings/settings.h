// The main program's persistent choices: one program-wide value per setting, whose initial
// value is its default. Held in one record so that the pure functions over them (file lines,
// derived values, layout) can be tested on a copy; the program-wide instance is `Settings`.
//
// Derived working values that are not stored in the configuration file live beside it as
// plain program-wide variables.
#pragma once

#include <cstdint>

struct SettingsValues {
    // Survey and system parameters (defaults as shipped).
    int32_t PowerLineFrequency = 1;  // 1: 60 Hz mains, 0: 50 Hz
    int32_t RepRateIndex = 3;
    int32_t GateSet = 0;             // 0: 20 gates, 1: 30, 2: user-defined
    int32_t UserGateCount = 20;
    int32_t SelectedComponent = 0;
    int32_t GraphView = 0;           // 0 decay view, 1 profile view
    int32_t GpsInput = 0;
    int32_t MonitorPassPeriodsMedium = 2;
    double TxTurns = 1.0;
    double TxCurrent = 10.0;
    int32_t TxLoopShape = 0;
};

extern SettingsValues Settings;

// Derived working values.
extern int32_t ConfigInvalid;            // 1 once the loader met a bad value
extern double RepetitionRate;            // Hz
extern int32_t GateCount;
extern int32_t MonitorPassPeriodsFast;
extern int32_t MonitorPassPeriods;
extern double TxAmpereTurns;
extern double TotalTurnOffDelay;         // microseconds
extern int32_t MapLayoutMode;
