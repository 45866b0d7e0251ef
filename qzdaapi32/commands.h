// The commands of a subsystem (request codes 0x4064-0x4076): single values, configure, start,
// stop, pause, continue, reset, abort, prestart, simultaneous start, event counts, the flush
// of the transfer in process and register access. Each checks the subsystem's data flow and
// `SubsystemState`, talks to the kernel driver through one synchronous request and moves the
// state. Pure over the subsystem's plain data: the driver, the data-copy thread's mailbox and
// the buffer-memory call come in through CommandEnvironment, so the state machine is tested
// natively against a recording driver.
#pragma once

#include "qzdaapi32/driver_request.h"
#include "qzdaapi32/setget.h"

#include <cstdint>

struct CommandEnvironment {
    void* context = nullptr;
    // A synchronous driver request on the subsystem's own driver handle, record in and out:
    // the status word the driver wrote, or the system's error number when the call itself
    // failed (then *callFailed is set).
    uint32_t (*send)(void* context, uint32_t ioctl, uint8_t* record, uint32_t bytes, bool* callFailed) = nullptr;
    // The subsystem's data-copy thread, when it has one: a mailbox request and its
    // acknowledgement (start, prestart, stop, reset, abort), or a request sent without waiting
    // (the flush). Both answer 125 when there is no thread.
    bool hasCopyThread = false;
    uint32_t (*sendAndWait)(void* context, uint32_t request) = nullptr;
    uint32_t (*sendNoWait)(void* context, uint32_t request) = nullptr;
    // The buffer-memory calls the commands need.
    uint32_t (*readyCount)(HBUFLIST list, uint32_t* count) = nullptr;
    uint32_t (*setValidSamples)(HBUF buffer, uint32_t count) = nullptr;
};

// Parameter records of the commands, as the exports fill them:
//   read events: the count back in word0;
//   set single value: value word0, channel word1, gain real0;
//   get single value: channel word0 (bit 31 set for the extended read), gain real0; back:
//     value word1, gain used real0, volts real1 (extended);
//   get single values: word0 points to a zeroed kRequestBytes record that the command fills
//     (values from byte 24), gain real0;
//   flush in process: buffer word0, sample count word1;
//   registers: register word0, value word1 (back for a read), width real0.
constexpr uintptr_t kExtendedSingleValue = 0x80000000u;

QZSTATUS HandleCommand(SubsystemCore& subsystem, uint32_t code, RequestParams& params, const CommandEnvironment& env);

// The checks a single-value request makes before it reaches the driver.
QZSTATUS CheckSingleValueChannel(const SubsystemCore& subsystem, uint32_t channel);

// The channel-list check of a configure of a streaming flow: 7 for an entry naming a channel
// at or beyond the number of channels, or one in the gap from the current channel type's count
// up to the larger of the two counts; else 0.
QZSTATUS CheckChannelList(const SubsystemCore& subsystem);

// A gain as single-value requests send it: the nearest entry of the gain table, or the gain
// itself when the table is empty.
double SnapGain(const SubsystemCore& subsystem, double gain);
