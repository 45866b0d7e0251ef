// The data-copy thread of a streaming subsystem (CBrDataCopyThread): it owns the overlapped
// traffic with the driver (three wait-for-message requests, at most eight reads), runs the
// completion routines in its alertable wait and runs the buffer flow (copy_flow.h) there.
// Callers reach it through the command mailbox.
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

// Tells the client (message, has-value flag, value) as the copy thread does: a posted window
// message or a call of its procedure, with the subsystem handle first.
void NotifyClient(const SubsystemCore& subsystem, uint32_t message, bool hasValue, uint32_t value);

// Copy threads whose memory was left behind because the driver might still write into it
// (tests).
uint32_t AbandonedCopyThreads();
