// What the two serial links ask of their ports, as plain data: the device name of a port
// number, the GPS line settings from the settings, and the operator's texts. The Win32 side
// (serial_port_win.h) turns them into a device control block and time-outs.
#pragma once

#include "vlox/settings/settings.h"

#include <cstdint>
#include <string>

// "COM%d:" for ports 1 to 9, "\\.\COM%d" from port 10 on (the short form names only the
// first nine).
std::string SerialPortDeviceName(int32_t portNumber);

enum SerialParity : int32_t { ParityNone = 0, ParityEven = 1, ParityOdd = 2 };

struct SerialLineSettings {
    uint32_t BaudRate = 4800;
    int32_t Parity = ParityNone;
    int32_t DataBits = 8;
    int32_t StopBits = 1;
    bool XonXoff = false;  // software flow control in both directions
    bool DtrOn = false;    // DTR and RTS held on (else disabled)
    bool RtsOn = false;
};

// The GPS line: baud 4800, 9600, 19200, 38400, 57600, 115200 by GpsBaudRate 0-5; parity none,
// even, odd; 7 or 8 data bits; 1 or 2 stop bits; XON/XOFF on, DTR and RTS off. An index outside
// its list takes the list's first entry.
SerialLineSettings GpsLineSettings(const SettingsValues& s);
// The meter line: 19200 baud, 8 data bits, no parity, 1 stop bit, no XON/XOFF, DTR and RTS on.
SerialLineSettings MeterLineSettings();

// Port number (1-36) of a port setting (0-35).
inline int32_t PortNumberOf(int32_t comPortSetting)
{
    return comPortSetting + 1;
}

// "Cannot open COM%d for GPS" and "Cannot open COM%d for SQ12-MK2", caption "Serial Port".
std::string GpsPortOpenFailureText(int32_t portNumber);
std::string MeterPortOpenFailureText(int32_t portNumber);
constexpr char SerialPortCaption[] = "Serial Port";
