// The data-copy thread of a streaming subsystem, as the rest of the library calls it. The
// thread itself (overlapped reads of the buffers, the driver-message requests, the
// notifications) is not here yet: a subsystem gets no thread, its commands go straight to the
// driver, and the mailbox answers 125.
#pragma once

#include "qzdaapi32/frame_win.h"

// Made at qzDaGetDASS for a subsystem with continuous transfer (125 when it cannot be made),
// ended at release.
QZSTATUS CreateCopyThread(SubsystemRecord* subsystem);
void DestroyCopyThread(SubsystemRecord* subsystem);
// Buffers with the driver (queue 1102).
uint32_t CopyThreadInProcess(const SubsystemCore& subsystem);

// The mailbox: a request and the wait for its acknowledgement (start, prestart, stop, reset,
// abort; up to 20 s), or a request sent without waiting (the flush). 125 without a thread.
bool HasCopyThread(const SubsystemRecord* subsystem);
uint32_t CopyThreadSendAndWait(SubsystemRecord* subsystem, uint32_t request);
uint32_t CopyThreadSend(SubsystemRecord* subsystem, uint32_t request);
