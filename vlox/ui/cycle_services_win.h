// What the measurement cycle and the nulling run ask of the rest of the program, on the real
// windows, board and files: the displays, the buttons and menus of a finished reading, the
// store, the diagnostics log, repetition switching and the nulling steps.
#pragma once

#include <cstdint>

#include "vlox/measure/measure_cycle.h"

// The cycle's services of the program; the program's start hands them to the buffer-done
// handler.
CycleServices& ProgramCycleServices();

// The file the cycle's diagnostics are appended to, in the program's start folder.
extern const wchar_t* const CycleLogFileName;

// Takes the first (1) or, for any other value, the second repetition of a two-frequency
// measurement: rate, gate set and gain, then restarts the board when it is open.
void SelectActiveRepetition(int32_t which);
// Store the row just measured (from the second call of a run on), then set up the next step
// or end the run. Both answer 0.
int32_t StandardGatesNullingStep();
int32_t UserGatesNullingStep();
