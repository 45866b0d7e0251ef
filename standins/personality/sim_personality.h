// The personality of the simulated board: what its subsystems can do, in the capability terms
// of the board library, and the board's counts of subsystems per type. One analog input (four
// channels, 16 bits, +-10 V, up to 500 kHz), a digital input and a digital output port, and
// two counter/timers: what the field program asks of a board, and a little more (pause and
// continue, simultaneous start, single values everywhere) so that every command can be used.
#pragma once

#include "qzdaapi32/config_record.h"

#include <cstdint>

// How the simulated board is named and found.
constexpr const char* kSimDriverName = "qzsimbrd";  // qzsimbrd.dll, the personality
constexpr const char* kSimBoardName = "QZSIM480";
constexpr const char* kSimModelName = "QZSIM-480";
constexpr uint32_t kSimSerialNumber = 0x1234;
constexpr uint32_t kSimBoardType = 0x480;
constexpr uint32_t kSimDeviceInstance = 0;
// The driver link by each route: the device interface's path, and the device map's LinkName
// (whose first 12 characters the library drops).
constexpr const char* kSimInterfacePath = "\\\\?\\root#qzsimbrd#0000#{a8294ce0-49ba-11d3-bc2a-00e0293245b9}";
constexpr const char* kSimDeviceInstanceId = "ROOT\\QZSIMBRD\\0000";
constexpr const char* kSimLinkName = "\\DosDevices\\QzSimBrd0";
constexpr const char* kSimDevicePath = "\\\\.\\QzSimBrd0";

// Subsystems per type: AD, DA, DIN, DOUT, SRL, CT.
extern const uint32_t SimTypeCounts[6];
// The board information word that _BoardInfoProcEx@16 returns.
constexpr uint32_t kSimBoardInfo = 0x00010480;

// The capabilities of subsystem (type, element); false for one the board does not have.
bool SimCapabilities(uint32_t type, uint32_t element, SubsystemCapabilities* caps);

// Values the simulation works with.
constexpr double kSimBaseClockHz = 48.0e6;  // counters and the sample clock divide it
constexpr double kSimMaxSampleClockHz = 500000.0;
constexpr uint32_t kSimAnalogChannels = 4;
constexpr uint32_t kSimChannelListCapacity = 16;
