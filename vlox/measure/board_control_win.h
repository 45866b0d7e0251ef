// The program's board operations on qzdaapi32 and qzmem32: the sequences of board_control.h
// over the real library, under the names the commands, the cycle and the dialogs call.
#pragma once

#include "vlox/measure/board_control.h"

#include <windows.h>

#include <cstdint>

// The library table in use: qzdaapi32 and qzmem32, the board message box without owner, the
// busy wait and the curve window as notification window.
extern BoardLibrary BoardCalls;

// The box the board messages go through; a test may put its recorder here.
using BoardMessageBoxFunction = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
extern BoardMessageBoxFunction BoardMessageBox;

// 1 a board is open, 0 not (after its message).
int32_t OpenAcquisitionBoard();
// Counter/timers and digital lines; analog input with its buffers, started. 1 done, 0 failed.
int32_t SetupCounterTimers();
int32_t SetupAnalogInput();
// Cycle state reset, both set-ups, the gain code plus outputOffset on the digital output.
int32_t StartAcquisition(int32_t outputOffset);
// Stop and close when open, then open and start (with `OutputLineBase`), also when closed.
void RestartAcquisition();
// The same only when a board is open.
void RestartAcquisitionIfOpen();
// Stop and close; 1 also when nothing was open.
int32_t StopAcquisition();
// Release the five subsystems and close the device, without abort; 1 also when nothing open.
int32_t ReleaseSubsystems();

// Buffer hand-off of the measurement cycle.
int32_t TakeDoneBuffer();
int32_t GetBufferInfo();
int32_t RequeueBuffer();
