// Win32 side of the serial links: opening a port with its line settings and time-outs, the
// operator's message when it fails, and the cooperative control of a reader thread (stop and
// pause by event, the pause acknowledged, the end awaited) so that a reader is never frozen
// while it holds a lock and a port is closed only after its reader has ended.
#pragma once

#include "vlox/instruments/serial_line.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

struct SerialTimeouts {
    DWORD ReadInterval = 0;
    DWORD ReadTotalMultiplier = 0;
    DWORD ReadTotalConstant = 0;
    DWORD WriteTotalMultiplier = 0;
    DWORD WriteTotalConstant = 0;
};

// Opens the device for reading and writing, not shared, existing devices only, without
// overlapped I/O; sets the time-outs, then the line on top of the port's current state.
// INVALID_HANDLE_VALUE when the device cannot be opened.
HANDLE OpenSerialPort(const std::string& device, const SerialLineSettings& line, const SerialTimeouts& timeouts);

// Reads one byte within the port's time-outs; true when one came. A read that comes back
// empty sooner than a time-out waits the time-out's length. A port whose device has gone
// (the read fails, or the port's status cannot be read any more) is read again only after
// SerialGoneRetryMs or when wake (the reader's stop event, may be null) is set: reads of
// a vanished device may fail at once or busy-wait inside the driver, and a reader must
// neither spin nor be slow to stop.
bool ReadSerialByte(HANDLE port, uint8_t& byte, HANDLE wake);
constexpr DWORD SerialGoneRetryMs = 200;

// How the links tell the operator. MessageBoxW unless a test puts a recorder here.
using SerialMessageBoxFunction = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
extern SerialMessageBoxFunction SerialPortMessageBox;
void ShowSerialPortMessage(HWND owner, const std::string& text);

// Waits for the object while serving the messages other threads send to this one (a reader
// may be inside SendMessage to this thread's window). True when the object was signalled.
bool WaitServingSentMessages(HANDLE object, DWORD timeoutMs);

// One reader thread's controls. The user-interface thread requests; the reader answers at the
// top of its loop, where it holds no lock.
struct ReaderControl {
    std::once_flag Made;
    HANDLE StopEvent = nullptr;    // manual reset: set, the reader leaves its loop
    HANDLE RunEvent = nullptr;     // manual reset: reset, the reader waits at its next pass
    HANDLE PausedEvent = nullptr;  // manual reset: set by the reader while it waits
    int32_t PauseDepth = 0;        // pauses requested and not yet resumed (requesting thread)
};

// Makes the events once; any thread.
void EnsureReaderControl(ReaderControl& c);
// The reader's pass point: waits while paused (acknowledged through PausedEvent), then
// answers false when a stop is requested.
bool ReaderCheckpoint(ReaderControl& c);
// Inside the reader's read loop: false once a stop or a pause is requested.
bool ReaderMayGoOn(ReaderControl& c);
// Requests a pause and waits until the reader has acknowledged it or ended. Nested pauses
// count; true when the reader is held (or not running).
bool PauseReader(ReaderControl& c, HANDLE thread, DWORD timeoutMs);
// Ends one pause; the last one lets the reader go on.
void ResumeReader(ReaderControl& c);
// Requests the stop and waits for the thread to end; then the controls are ready for the
// next reader. True when the thread has ended (or none was given).
bool StopReader(ReaderControl& c, HANDLE thread, DWORD timeoutMs);

// True while the thread exists and has not ended.
bool ReaderThreadAlive(HANDLE thread);
// StopReader, then the thread handle closed and set invalid. False when the thread did not
// end in time: its port must then stay open.
bool EndReaderThread(ReaderControl& c, HANDLE& thread);

// ---------------------------------------------------------------------------------------
// A serial link: its port and the reader threads that read it. The GPS link and the meter
// each keep their port and readers program-wide and run them through these steps.

struct SerialLinkReader {
    ReaderControl& Control;
    HANDLE& Thread;  // INVALID_HANDLE_VALUE when none runs
};

// Closes the link (CloseSerialLink), makes the readers' controls, then opens COM portNumber
// with the line and the time-outs into port. 1 when open; otherwise the operator is told
// failureText (owned by owner), port stays invalid and the answer is 0.
int32_t OpenSerialLink(std::atomic<HANDLE>& port, std::span<const SerialLinkReader> readers, int32_t portNumber,
                       const SerialLineSettings& line, const SerialTimeouts& timeouts, HWND owner,
                       const std::string& failureText);
// Starts procedure into the reader's thread when the port is open and the reader does not
// run; 1 when it runs afterwards.
int32_t StartSerialLinkReader(const std::atomic<HANDLE>& port, SerialLinkReader reader,
                              LPTHREAD_START_ROUTINE procedure);
// Ends every reader (each waited for), then closes the port and sets it invalid. A reader that
// did not end may still read the port: the port is then left open rather than closed under it
// (the reader ends on the invalid port).
void CloseSerialLink(std::atomic<HANDLE>& port, std::span<const SerialLinkReader> readers);
// A reader's loop goes on while the port it started on is still the link's port and no stop
// is requested; a pause is waited out here, where the reader holds no lock.
bool SerialLinkReaderGoesOn(HANDLE startPort, const std::atomic<HANDLE>& port, ReaderControl& control);

// How long the stop and pause requests wait for a reader: its reads return every 10 ms and
// it only posts to the main window, never waits for it.
constexpr DWORD ReaderStopTimeoutMs = 5000;
