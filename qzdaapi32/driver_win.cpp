#include "qzdaapi32/driver_win.h"

#include "qzdaapi32/requests.h"

QZSTATUS OpenSubsystemDriver(DeviceRecord*, uint32_t, uint32_t, HANDLE* driver)
{
    *driver = INVALID_HANDLE_VALUE;
    return QZERR_NOT_SUPPORTED;
}

void CloseDriverHandle(HANDLE handle)
{
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr)
        CloseHandle(handle);
}

QZSTATUS HandleCommandRequest(SubsystemRecord*, uint32_t code, RequestParams&)
{
    return RouteOfRequest(code) == RequestRoute::Command ? QZERR_NOT_SUPPORTED : QZERR_NO_ERROR;
}

void AbortThroughDriver(SubsystemRecord*) {}

QZSTATUS CreateCopyThread(SubsystemRecord* subsystem)
{
    subsystem->copyThread = nullptr;
    return QZERR_NO_ERROR;
}

void DestroyCopyThread(SubsystemRecord* subsystem) { subsystem->copyThread = nullptr; }

uint32_t CopyThreadInProcess(const SubsystemCore&) { return 0; }
