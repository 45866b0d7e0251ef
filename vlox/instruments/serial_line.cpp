#include "vlox/instruments/serial_line.h"

#include <cstdio>

std::string SerialPortDeviceName(int32_t portNumber)
{
    char name[32];
    std::snprintf(name, sizeof name, portNumber >= 10 ? "\\\\.\\COM%d" : "COM%d:", static_cast<int>(portNumber));
    return name;
}

SerialLineSettings GpsLineSettings(const SettingsValues& s)
{
    static const uint32_t bauds[6] = {4800, 9600, 19200, 38400, 57600, 115200};
    SerialLineSettings l;
    l.BaudRate = s.GpsBaudRate >= 0 && s.GpsBaudRate < 6 ? bauds[s.GpsBaudRate] : bauds[0];
    l.Parity = s.GpsParity == 1 ? ParityEven : s.GpsParity == 2 ? ParityOdd : ParityNone;
    l.DataBits = s.GpsDataBits == 0 ? 7 : 8;
    l.StopBits = s.GpsStopBits == 1 ? 2 : 1;
    l.XonXoff = true;
    l.DtrOn = false;
    l.RtsOn = false;
    return l;
}

SerialLineSettings MeterLineSettings()
{
    SerialLineSettings l;
    l.BaudRate = 19200;
    l.Parity = ParityNone;
    l.DataBits = 8;
    l.StopBits = 1;
    l.XonXoff = false;
    l.DtrOn = true;
    l.RtsOn = true;
    return l;
}

std::string GpsPortOpenFailureText(int32_t portNumber)
{
    return "Cannot open COM" + std::to_string(portNumber) + " for GPS";
}

std::string MeterPortOpenFailureText(int32_t portNumber)
{
    return "Cannot open COM" + std::to_string(portNumber) + " for SQ12-MK2";
}
