// The simulated board in the registry, by both routes by which the board library finds boards:
// the device-interface class (persistent keys: the device's Enum entry, its interface with the
// link flag, the interface's "Device Parameters" with the board's values, the board database)
// and the driver's device map (HKLM\Hardware is volatile: its keys exist only while the Wine
// session that made them runs, so they are made from inside each run). Both are idempotent.
#pragma once

bool RegisterSimBoardInterface();
bool RegisterSimBoardDeviceMap();
// Removes the device-map entry (tests that want no board on that route).
bool UnregisterSimBoardDeviceMap();
