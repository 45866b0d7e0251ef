#include "qzdaapi32/driver_port_win.h"

#include "qzdaapi32/driver_request.h"

namespace {

HANDLE WINAPI KernelOpen(LPCSTR path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return CreateFileA(path, access, share, nullptr, disposition, flags, nullptr);
}

const DriverPort kKernelPort = {
    sizeof(DriverPort), KernelOpen, CloseHandle, DeviceIoControl, ReadFileEx, CancelIo, GetOverlappedResult,
};

}  // namespace

const DriverPort& KernelDriverPort()
{
    return kKernelPort;
}

HANDLE OpenDriverPath(const DriverPort& port, const char* path)
{
    return port.open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_OVERLAPPED);
}

void CloseDriverPath(const DriverPort& port, HANDLE handle)
{
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr)
        port.close(handle);
}

uint32_t SendDriverRequest(const DriverPort& port, HANDLE handle, DWORD ioctl, void* record, DWORD bytes,
                           bool* callFailed)
{
    *callFailed = false;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (overlapped.hEvent == nullptr) {
        *callFailed = true;
        return GetLastError();
    }
    DWORD returned = 0;
    BOOL done = port.ioControl(handle, ioctl, record, bytes, record, bytes, &returned, &overlapped);
    DWORD error = done ? ERROR_SUCCESS : GetLastError();
    if (!done && error == ERROR_IO_PENDING) {
        done = port.overlappedResult(handle, &overlapped, &returned, TRUE);
        error = done ? ERROR_SUCCESS : GetLastError();
    }
    CloseHandle(overlapped.hEvent);
    if (!done) {
        *callFailed = true;
        return error;
    }
    return RequestGet32(static_cast<const uint8_t*>(record), bytes, ReqStatus);
}
