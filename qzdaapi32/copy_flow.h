// The buffer flow of a data-copy thread over plain data: the run's settings taken at start,
// the buffers handed to the driver, their completions routed by wrap mode to the done or
// ready queue, the empty-queue rules, the stop and abort handshakes, the translation of
// driver messages, and the choice between a posted message and the client's procedure.
// Everything the thread touches (queues, reads, the driver, the state, the client) comes in
// through CopyFlowHost, so the rules are tested natively against a recording host; the
// Win32 thread (copy_thread_win.cpp) only runs them inside its alertable wait.
//
// The one-slot command mailbox is a small queue here (CommandMailbox): a command sent while
// another still waits to be taken is kept behind it, never written over it.
#pragma once

#include "standins/qzmem32/qzmem32.h"

#include <cstdint>
#include <deque>
#include <mutex>

// Buffers with the driver at once.
constexpr uint32_t kMaxBuffersInProcess = 8;
// Wait-for-message requests kept outstanding.
constexpr uint32_t kMessageSlots = 3;

// What the flow needs from the thread around it. Every call is made on the copy thread.
class CopyFlowHost {
public:
    virtual ~CopyFlowHost() = default;
    // Queues: the head of the ready queue (false when empty), appends, the oldest done buffer.
    virtual bool TakeReady(HBUF* buffer) = 0;
    virtual void AppendReady(HBUF buffer) = 0;
    virtual void AppendDone(HBUF buffer) = 0;
    virtual bool TakeOldestDone(HBUF* buffer) = 0;
    virtual uint32_t ReadyCount() = 0;
    // The batch in which held-back failed buffers join the done queue.
    virtual void BeginDoneBatch() = 0;
    virtual void EndDoneBatch() = 0;
    // Hands the buffer to the driver (its control block marked); false when the read could not
    // be issued.
    virtual bool IssueRead(HBUF buffer) = 0;
    // Buffer marks: sample size (false when the buffer refuses it), valid samples, resolution
    // then finish.
    virtual bool SetSampleSize(HBUF buffer, uint32_t bytes) = 0;
    virtual void SetValidSamples(HBUF buffer, uint32_t count) = 0;
    virtual void FinishBuffer(HBUF buffer, uint32_t resolution) = 0;
    // The driver: QZIOCTL_STOP or QZIOCTL_ABORT with the subsystem's type and element.
    virtual void DriverStop(bool abort) = 0;
    virtual void AfterDriverStop() {}  // AbortSleepTimeMSecs
    virtual uint32_t State() = 0;
    virtual void SetState(uint32_t state) = 0;
    // Moves the state to state only from a run state (above 1004), in one compare-and-set: a
    // message that comes after a request moved it (a reconfiguration's 1001) leaves it alone.
    virtual void EndRunState(uint32_t state) = 0;
    // The waiting caller's command is done.
    virtual void Acknowledge() = 0;
    // The client is told (message, has-value flag, value): 1127 already turned into 1136.
    virtual void Notify(uint32_t message, bool hasValue, uint32_t value) = 0;
};

struct CopyFlow {
    uint32_t type = 0;   // subsystem type
    bool input = false;  // AD or DIN
    bool stopRequested = false;
    bool abortRequested = false;
    bool pretrigger = false;
    uint16_t wrapMode = 1000;
    uint32_t sampleWidth = 2;  // bytes
    uint32_t resolution = 16;
    uint32_t dataFlow = 800;
    uint32_t messageOnAbort = 0;    // tuning value
    uint32_t inProcess = 0;         // InProcessQueue
    std::deque<HBUF> errorBuffers;  // ErrorBufferDeque
};

// Bytes per sample for a resolution: 1 up to 8 bits, 4 above 16, else 2.
uint32_t SampleWidthFor(uint32_t resolution);

// Start and prestart: the run's settings, flags cleared, then the driver filled.
void PrepareRun(CopyFlow& flow, uint32_t resolution, uint16_t wrapMode, uint32_t dataFlow);
void FillInProcess(CopyFlow& flow, CopyFlowHost& host);

// A transfer came back (error 0 for success, else the system's error; bytes transferred).
void TransferComplete(CopyFlow& flow, CopyFlowHost& host, uint32_t error, uint32_t bytes, HBUF buffer);

// Stop handling (StopSubsystem): an orderly stop or an abort.
void StopSubsystem(CopyFlow& flow, CopyFlowHost& host, bool abort);

// The flush of a partly filled buffer came back from the driver with `bytes` (counted in
// process first, then completed like a transfer).
void FlushedInProcess(CopyFlow& flow, CopyFlowHost& host, uint32_t bytes, HBUF buffer);

// Bytes a flush of the transfer in process copies into the client's buffer: the samples at
// the run's width, no more than the buffer holds.
uint32_t FlushCopyBytes(uint32_t samples, uint32_t sampleWidth, uint32_t bufferBytes);

// One driver message; returns whether the slot's wait request is issued again.
bool HandleDriverMessage(CopyFlow& flow, CopyFlowHost& host, uint32_t code, uint32_t value);

// The message a finished buffer is announced with.
uint32_t BufferDoneMessage(const CopyFlow& flow);

// How the client is told: a posted window message, a call of its procedure, or nothing.
enum class NotifyRoute { None, Post, Call };
struct NotifyOrder {
    NotifyRoute route = NotifyRoute::None;
    uintptr_t target = 0;  // window or procedure
    uint32_t message = 0;
    uintptr_t wParam = 0;  // posted: the stored wParam; called: the subsystem handle
    uintptr_t lParam = 0;
};
// From the stored target (window, wParam, lParam, procedure, user word).
NotifyOrder RouteNotification(uintptr_t window, uintptr_t wParam, uintptr_t lParam, uintptr_t procedure, uintptr_t user,
                              uintptr_t subsystem, uint32_t message, bool hasValue, uint32_t value);

// The command mailbox. Post stores a request and gives it a ticket; the thread takes requests
// in order and acknowledges the ticket it is working on; a waiter is done once its ticket is
// acknowledged. A later acknowledgement covers earlier tickets.
class CommandMailbox {
public:
    uint32_t Post(uint32_t request);
    bool Take(uint32_t* request, uint32_t* ticket);
    void Acknowledge(uint32_t ticket);
    bool IsAcknowledged(uint32_t ticket) const;
    size_t Waiting() const;

private:
    mutable std::mutex lock_;
    std::deque<std::pair<uint32_t, uint32_t>> queue_;
    uint32_t nextTicket_ = 1;
    uint32_t acknowledged_ = 0;
};
