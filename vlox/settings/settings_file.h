// Loading, saving and deleting the configuration file, and the corrupt-configuration path.
// Declared here for every caller; the bodies are Win32 glue (settings_file_win.cpp), over the
// portable reader and writer of config_file.h.
#pragma once

#include "vlox/settings/config_file.h"

#include <cstdint>

constexpr int32_t SettingsLoad = 0;
constexpr int32_t SettingsSave = 1;
constexpr int32_t SettingsDelete = 2;

// Operation 0 loads "VLOXTARNWEL.INI" from `StartDirectory` (a missing file is written from
// the values in memory; one of another version is kept beside it as "VLOXTARNWEL.INI.bad" and
// replaced by one written from them; one without a version line is damaged, as one with a
// bad value is: ConfigInvalid), 1 saves it anew (never a text that the next start would
// refuse: that save is refused and the operator told), 2 deletes it. Returns the result of the
// last folder or delete call; callers ignore it.
int32_t SettingsFile(int32_t operation);

// With flag 0: tells the user the configuration is corrupt, the line refused and where the
// file is kept, then resets as ResetConfiguration does, but keeps the file as
// "VLOXTARNWEL.INI.bad" (or a numbered name) instead of deleting it. Any other flag does
// nothing.
void ReportCorruptConfiguration(int32_t flag);

// Closes the GPS link, shows the closing splash, stops the board, waits 2000 ms, deletes
// the configuration file and ends the process with exit code 0.
void ResetConfiguration();

// What the reset needs from the parts that own the GPS link, the splash and the board; the
// program's start connects them. Each is skipped while it is not set; EndProcess ends the
// process (tests replace it).
struct ConfigResetHooks {
    void (*CloseGpsPort)() = nullptr;       // close GpsPort and GpsThread, both := invalid
    void (*ShowClosingSplash)() = nullptr;  // SplashState := 3, splash at (0, 0), repainted
    void (*StopAcquisition)() = nullptr;    // stop and release the board
    void (*EndProcess)(uint32_t exitCode) = nullptr;
};
extern ConfigResetHooks ResetHooks;
