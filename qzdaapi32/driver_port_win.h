// The driver port, under which all device I/O of the library passes: open, close, synchronous and
// overlapped I/O control, overlapped read with a completion routine, cancel and overlapped
// result, with the signatures and meanings of the kernel32 calls they stand for. A board's
// driver is reached through the kernel32 calls themselves; a simulated board's personality
// library hands over its own table (QzSimulatedDriver), which completes requests through the
// same means (events of overlapped requests, APCs to the issuing thread for reads), so
// everything above the port runs unchanged.
#pragma once

#include <windows.h>

#include <cstdint>

struct DriverPort {
    uint32_t size;  // sizeof(DriverPort) of the side that made the table
    HANDLE(WINAPI* open)(LPCSTR path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
    BOOL(WINAPI* close)(HANDLE handle);
    BOOL(WINAPI* ioControl)
    (HANDLE handle, DWORD code, LPVOID in, DWORD inBytes, LPVOID out, DWORD outBytes, LPDWORD returned,
     LPOVERLAPPED overlapped);
    BOOL(WINAPI* readEx)
    (HANDLE handle, LPVOID buffer, DWORD bytes, LPOVERLAPPED overlapped, LPOVERLAPPED_COMPLETION_ROUTINE completion);
    BOOL(WINAPI* cancel)(HANDLE handle);
    BOOL(WINAPI* overlappedResult)(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD bytes, BOOL wait);
};

// The kernel32 calls on a real driver.
const DriverPort& KernelDriverPort();

// The export by which a personality library says its board is simulated: it returns its
// driver table when the caller's table size matches, else null.
typedef const DriverPort*(WINAPI* SimulatedDriverEntry)(uint32_t portSize);
constexpr const char* kSimulatedDriverEntryName = "_QzSimulatedDriver@4";

// Opens a driver path as the library always does: reading and writing, no sharing, existing,
// overlapped. INVALID_HANDLE_VALUE on failure (the system's error is left in GetLastError).
HANDLE OpenDriverPath(const DriverPort& port, const char* path);
void CloseDriverPath(const DriverPort& port, HANDLE handle);

// A synchronous request on a handle opened for overlapped I/O: the record goes in and comes
// back in one buffer, through an OVERLAPPED record with its own event that is waited for, so
// the answer is in before the call returns whether the driver completes it at once or later.
// Returns the status word the driver wrote at offset 12; when the call itself fails, the
// system's error number, with *callFailed set.
uint32_t SendDriverRequest(const DriverPort& port, HANDLE handle, DWORD ioctl, void* record, DWORD bytes,
                           bool* callFailed);
