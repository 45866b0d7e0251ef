// The library's side of the kernel driver for one subsystem: opening its device path and the
// commands of SubsystemRequest, each one synchronous request on the subsystem's own handle
// (through the device's driver port), with the data-copy thread's mailbox where it has one.
#pragma once

#include "qzdaapi32/copy_thread_win.h"
#include "qzdaapi32/driver_request.h"
#include "qzdaapi32/frame_win.h"

// Opens the subsystem's device path ("%s\\%s%x": link, type word, element) for overlapped
// reading and writing without sharing: 20 when it cannot be opened (also while it is open
// already).
QZSTATUS OpenSubsystemDriver(DeviceRecord* device, uint32_t type, uint32_t element, HANDLE* driver);

// The commands (codes 0x4064-0x4076), under the subsystem's lock; parameter records as
// commands.h describes them.
QZSTATUS HandleCommandRequest(SubsystemRecord* subsystem, uint32_t code, RequestParams& params);

// The abort sent straight to the driver when the library is unloaded with the subsystem
// running (no thread is waited for).
void AbortThroughDriver(SubsystemRecord* subsystem);

// A board-level request on the device's own driver handle (diagnostics and hardware
// information), without any lock: the driver's status, or 125 when the call fails.
QZSTATUS SendDeviceRequest(DeviceRecord* device, uint32_t ioctl, DriverRequest& request);
