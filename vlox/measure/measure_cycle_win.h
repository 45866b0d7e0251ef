// The buffer-done handler of the curve window: takes the completed buffer from the board
// library, runs the measurement cycle over it with the program's displays and store, and
// hands the buffer back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "vlox/measure/measure_cycle.h"

// QZMSG_BUFFER_DONE; wParam names the subsystem. Always answers 1.
LRESULT CALLBACK OnBufferDone(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the cycle draws, stores and reads the clock through: the program's own services, set
// by its start. Without them a buffer is handed back unread.
extern CycleServices* MeasurementCycleServices;

// Buffers the cycle has processed since program start (a test reads it).
extern int32_t BuffersProcessed;
