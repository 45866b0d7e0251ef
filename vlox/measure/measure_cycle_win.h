// The buffer-done handler of the curve window: takes the completed buffer from the board
// library, runs the measurement cycle over it with the program's displays and store, and
// hands the buffer back.
#pragma once

#include <windows.h>

#include <cstdint>

// QZMSG_BUFFER_DONE; wParam names the subsystem. Always answers 1.
LRESULT CALLBACK OnBufferDone(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Buffers the cycle has processed since program start (a test reads it).
extern int32_t BuffersProcessed;

// The file the cycle's diagnostics are appended to, in the program's start folder.
extern const wchar_t* const CycleLogFileName;
