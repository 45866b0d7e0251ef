// Board discovery on Windows: the boards of the device-interface class (SetupApi, loaded at
// run time) and of the driver's device-map key, read as BoardSource; the system's route; and
// the opening of a board by name.
#pragma once

#include "qzdaapi32/board_discovery.h"
#include "qzdaapi32/frame_win.h"

enum class BoardRoute { BySystem, DeviceInterfaces, DeviceMap };

// The walk over the route's boards (BySystem: the one CheckOsVersion picks; nothing on a
// system that is not supported).
BoardWalk EnumBoardsByRoute(BoardRoute route, BoardVisitor visitor, void* user, const char* newName);

// The system as GetVersionEx reports it.
OsVersion CurrentOsVersion();

// qzDaInitialize over a route: 67 for every failure, with nothing left behind.
QZSTATUS InitializeBoard(const char* boardName, BoardRoute route, DeviceHandle* device);

// qzDaGetBoardInfo (device interfaces only).
QZSTATUS BoardInfo(const char* boardName, char* driverName, char* modelName, uint32_t size, uint32_t* instanceNumber);

// The copy-thread tuning of the library's software key; all 0 when the key cannot be opened.
TuningValues ReadTuningValues();
