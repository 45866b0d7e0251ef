// What the frame asks of the kernel driver, the data-copy thread and board discovery. Until
// those exist here, each answers QZERR_NOT_SUPPORTED (36) where it would talk to the driver,
// and does nothing where there is nothing to undo.
#pragma once

#include "qzdaapi32/frame_win.h"

// Opens the subsystem's device path for overlapped reading and writing without sharing
// (20 when it cannot be opened).
QZSTATUS OpenSubsystemDriver(DeviceRecord* device, uint32_t type, uint32_t element, HANDLE* driver);
void CloseDriverHandle(HANDLE handle);

// The commands of SubsystemRequest (codes 0x4063-0x4076 with a command), under the
// subsystem's lock. Parameter records as the exports fill them:
//   read events: the count back in word0;
//   put single value: value word0, channel word1, gain real0;
//   get single value: channel word0 (bit 31 set for the extended read); back: value word1,
//     gain used real0, volts real1;
//   get single values: word0 points to a zeroed 336-byte driver request that the command
//     fills (values from byte 24); gain real0;
//   flush in process: buffer word0, sample count word1.
QZSTATUS HandleCommandRequest(SubsystemRecord* subsystem, uint32_t code, RequestParams& params);

// The abort sent straight to the driver when the library is unloaded with the subsystem
// running.
void AbortThroughDriver(SubsystemRecord* subsystem);

// The data-copy thread of a subsystem with continuous transfer (125 when it cannot be made),
// its end, and the buffers it has with the driver.
QZSTATUS CreateCopyThread(SubsystemRecord* subsystem);
void DestroyCopyThread(SubsystemRecord* subsystem);
uint32_t CopyThreadInProcess(const SubsystemCore& subsystem);
