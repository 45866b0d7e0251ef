#include "vlox/instruments/serial_port_win.h"

#include "vlox/settings/textconv.h"

#include <algorithm>

SerialMessageBoxFunction SerialPortMessageBox = MessageBoxW;

HANDLE OpenSerialPort(const std::string& device, const SerialLineSettings& line, const SerialTimeouts& timeouts)
{
    const WideString name = NarrowToWide(device);
    HANDLE port = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;

    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = timeouts.ReadInterval;
    t.ReadTotalTimeoutMultiplier = timeouts.ReadTotalMultiplier;
    t.ReadTotalTimeoutConstant = timeouts.ReadTotalConstant;
    t.WriteTotalTimeoutMultiplier = timeouts.WriteTotalMultiplier;
    t.WriteTotalTimeoutConstant = timeouts.WriteTotalConstant;
    SetCommTimeouts(port, &t);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = line.BaudRate;
    dcb.ByteSize = static_cast<BYTE>(line.DataBits);
    dcb.Parity = line.Parity == ParityEven ? EVENPARITY : line.Parity == ParityOdd ? ODDPARITY : NOPARITY;
    dcb.fParity = line.Parity != ParityNone ? TRUE : FALSE;
    dcb.StopBits = line.StopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = line.DtrOn ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fRtsControl = line.RtsOn ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fOutX = line.XonXoff ? TRUE : FALSE;
    dcb.fInX = line.XonXoff ? TRUE : FALSE;
    if (line.XonXoff && dcb.XonChar == dcb.XoffChar) {
        // A port that never had flow control may report both characters as 0, which the
        // driver refuses.
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
    }
    SetCommState(port, &dcb);
    return port;
}

bool ReadSerialByte(HANDLE port, uint8_t& byte, HANDLE wake)
{
    // Reads that come back empty sooner than this did not wait for the time-out.
    const DWORD quickMs = 3;
    const DWORD idleMs = 10;
    const DWORD start = GetTickCount();
    DWORD got = 0;
    const BOOL ok = ReadFile(port, &byte, 1, &got, nullptr);
    if (ok && got == 1)
        return true;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ok || !ClearCommError(port, &errors, &status)) {
        if (wake != nullptr)
            WaitForSingleObject(wake, SerialGoneRetryMs);
        else
            Sleep(SerialGoneRetryMs);
    } else if (GetTickCount() - start < quickMs) {
        Sleep(idleMs);
    }
    return false;
}

void ShowSerialPortMessage(HWND owner, const std::string& text)
{
    const WideString wide = NarrowToWide(text);
    const WideString caption = NarrowToWide(std::string(SerialPortCaption));
    if (SerialPortMessageBox != nullptr)
        SerialPortMessageBox(owner, wide.c_str(), caption.c_str(), MB_OK);
}

bool WaitServingSentMessages(HANDLE object, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const DWORD r = MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r == WAIT_OBJECT_0 + 1) {
            // Peeking delivers the sent messages; posted ones stay queued for the loop.
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            if (left == 0)
                return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
            continue;
        }
        return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
    }
}

void EnsureReaderControl(ReaderControl& c)
{
    std::call_once(c.Made, [&c] {
        c.StopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        c.RunEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
        c.PausedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    });
}

bool ReaderCheckpoint(ReaderControl& c)
{
    EnsureReaderControl(c);
    for (;;) {
        if (WaitForSingleObject(c.StopEvent, 0) == WAIT_OBJECT_0)
            return false;
        if (WaitForSingleObject(c.RunEvent, 0) == WAIT_OBJECT_0)
            return true;
        SetEvent(c.PausedEvent);
        HANDLE events[2] = {c.StopEvent, c.RunEvent};
        WaitForMultipleObjects(2, events, FALSE, INFINITE);
        ResetEvent(c.PausedEvent);
    }
}

bool ReaderMayGoOn(ReaderControl& c)
{
    return WaitForSingleObject(c.StopEvent, 0) != WAIT_OBJECT_0 && WaitForSingleObject(c.RunEvent, 0) == WAIT_OBJECT_0;
}

bool PauseReader(ReaderControl& c, HANDLE thread, DWORD timeoutMs)
{
    EnsureReaderControl(c);
    if (c.PauseDepth++ > 0)
        return true;
    // The old acknowledgement goes before the request, so that only the reader's answer to
    // this request can set it again.
    ResetEvent(c.PausedEvent);
    ResetEvent(c.RunEvent);
    if (thread == nullptr || thread == INVALID_HANDLE_VALUE)
        return true;
    const DWORD start = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0)
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return WaitForSingleObject(c.PausedEvent, 0) == WAIT_OBJECT_0;
        // Short slices: the thread's end is watched as well as the acknowledgement.
        if (WaitServingSentMessages(c.PausedEvent, std::min<DWORD>(timeoutMs - elapsed, 20)))
            return true;
    }
}

void ResumeReader(ReaderControl& c)
{
    EnsureReaderControl(c);
    if (c.PauseDepth == 0)
        return;
    if (--c.PauseDepth == 0)
        SetEvent(c.RunEvent);
}

bool StopReader(ReaderControl& c, HANDLE thread, DWORD timeoutMs)
{
    EnsureReaderControl(c);
    SetEvent(c.StopEvent);
    bool ended = true;
    if (thread != nullptr && thread != INVALID_HANDLE_VALUE)
        ended = WaitServingSentMessages(thread, timeoutMs);
    if (ended) {
        ResetEvent(c.StopEvent);
        ResetEvent(c.PausedEvent);
        SetEvent(c.RunEvent);
        c.PauseDepth = 0;
    }
    return ended;
}

bool ReaderThreadAlive(HANDLE thread)
{
    return thread != INVALID_HANDLE_VALUE && thread != nullptr && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
}

bool EndReaderThread(ReaderControl& c, HANDLE& thread)
{
    bool ended = true;
    if (thread != INVALID_HANDLE_VALUE && thread != nullptr) {
        ended = StopReader(c, thread, ReaderStopTimeoutMs);
        CloseHandle(thread);
    } else {
        StopReader(c, nullptr, 0);
    }
    thread = INVALID_HANDLE_VALUE;
    return ended;
}

int32_t OpenSerialLink(std::atomic<HANDLE>& port, std::span<const SerialLinkReader> readers, int32_t portNumber,
                       const SerialLineSettings& line, const SerialTimeouts& timeouts, HWND owner,
                       const std::string& failureText)
{
    CloseSerialLink(port, readers);
    for (const SerialLinkReader& r : readers)
        EnsureReaderControl(r.Control);
    HANDLE opened = OpenSerialPort(SerialPortDeviceName(portNumber), line, timeouts);
    if (opened == INVALID_HANDLE_VALUE) {
        ShowSerialPortMessage(owner, failureText);
        return 0;
    }
    port = opened;
    return 1;
}

int32_t StartSerialLinkReader(const std::atomic<HANDLE>& port, SerialLinkReader reader,
                              LPTHREAD_START_ROUTINE procedure)
{
    if (port.load() == INVALID_HANDLE_VALUE)
        return 0;
    if (ReaderThreadAlive(reader.Thread))
        return 1;
    if (reader.Thread != INVALID_HANDLE_VALUE && reader.Thread != nullptr)
        CloseHandle(reader.Thread);
    EnsureReaderControl(reader.Control);
    HANDLE created = CreateThread(nullptr, 0, procedure, nullptr, 0, nullptr);
    reader.Thread = created != nullptr ? created : INVALID_HANDLE_VALUE;
    return created != nullptr ? 1 : 0;
}

void CloseSerialLink(std::atomic<HANDLE>& port, std::span<const SerialLinkReader> readers)
{
    bool allEnded = true;
    for (const SerialLinkReader& r : readers) {
        if (!EndReaderThread(r.Control, r.Thread))
            allEnded = false;
    }
    HANDLE closing = port.exchange(INVALID_HANDLE_VALUE);
    if (closing != INVALID_HANDLE_VALUE && allEnded)
        CloseHandle(closing);
}

bool SerialLinkReaderGoesOn(HANDLE startPort, const std::atomic<HANDLE>& port, ReaderControl& control)
{
    return startPort != INVALID_HANDLE_VALUE && port.load() == startPort && ReaderCheckpoint(control);
}
