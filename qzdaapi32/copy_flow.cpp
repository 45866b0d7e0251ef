#include "qzdaapi32/copy_flow.h"

#include "qzdaapi32/driver_request.h"
#include "qzdaapi32/qzdaapi32.h"

namespace {

bool IsDA(const CopyFlow& flow)
{
    return flow.type == SubsystemTypeDA;
}

// The stop is over: state 1004 (only for a D/A subsystem in its variant, only for the others
// in the plain one), flags cleared, the waiting caller released.
void FinishStop(CopyFlow& flow, CopyFlowHost& host, bool daVariant)
{
    if (IsDA(flow) == daVariant)
        host.SetState(SubsystemStateConfigured);
    flow.stopRequested = false;
    flow.abortRequested = false;
    host.Acknowledge();
}

void MoveHeldBuffers(CopyFlow& flow, CopyFlowHost& host)
{
    if (flow.inProcess != 0 || flow.errorBuffers.empty())
        return;
    host.BeginDoneBatch();
    while (!flow.errorBuffers.empty()) {
        host.AppendDone(flow.errorBuffers.front());
        flow.errorBuffers.pop_front();
    }
    host.EndDoneBatch();
}

// DischargeBuffer: finished and to the done queue; a failed one waits until nothing is in
// process, so that it comes after the good ones of its run (used for a run that is ending).
void DischargeBuffer(CopyFlow& flow, CopyFlowHost& host, HBUF buffer, bool failed)
{
    host.FinishBuffer(buffer, flow.resolution);
    if (failed)
        flow.errorBuffers.push_back(buffer);
    else
        host.AppendDone(buffer);
    MoveHeldBuffers(flow, host);
}

// A failed transfer, or a read that could not be issued: an input buffer is left with no
// valid samples. In a live run it goes back to the client at once, finished, in the done
// queue and announced; the client puts it back, so no buffer leaves the rotation of a run
// that never drains. Only while a stop or abort is under way does it wait for the good ones
// of its run.
void ReturnFailedBuffer(CopyFlow& flow, CopyFlowHost& host, HBUF buffer)
{
    if (flow.input)
        host.SetValidSamples(buffer, 0);
    if (flow.stopRequested || flow.abortRequested) {
        DischargeBuffer(flow, host, buffer, true);
        return;
    }
    DischargeBuffer(flow, host, buffer, false);
    host.Notify(BufferDoneMessage(flow), false, 0);
}

// OnInProcessEmpty.
void InProcessEmpty(CopyFlow& flow, CopyFlowHost& host)
{
    if (flow.inProcess != 0)
        return;
    if (flow.stopRequested) {
        FinishStop(flow, host, false);
        host.Notify(QZMSG_IO_COMPLETE, false, 0);
        return;
    }
    if (flow.abortRequested) {
        const bool driverEvent = host.State() == SubsystemStateDriverEvent;
        FinishStop(flow, host, false);
        if (driverEvent)
            FinishStop(flow, host, true);
        return;
    }
    switch (flow.wrapMode) {
    case WrapStopWhenDone:
        if (!IsDA(flow)) {
            host.DriverStop(true);
            host.SetState(SubsystemStateConfigured);
        }
        host.Notify(QZMSG_QUEUE_DONE, false, 0);
        break;
    case WrapRecycleDone: {
        // With every buffer held by the client there is nothing to queue again and nothing to
        // say.
        HBUF oldest = nullptr;
        if (host.TakeOldestDone(&oldest) && oldest != nullptr) {
            if (host.IssueRead(oldest)) {
                ++flow.inProcess;
            } else {
                // Back to the done queue as a failed transfer rather than out of the rotation.
                DischargeBuffer(flow, host, oldest, true);
            }
            host.Notify(QZMSG_BUFFER_REUSED, false, 0);
        }
        break;
    }
    default:
        break;
    }
}

// QueueBuffer: a read that cannot be issued hands the buffer back as a failed transfer.
void QueueBuffer(CopyFlow& flow, CopyFlowHost& host, HBUF buffer)
{
    if (host.IssueRead(buffer)) {
        ++flow.inProcess;
        return;
    }
    ReturnFailedBuffer(flow, host, buffer);
}

// The run's marks on a transferred buffer. The count goes first: one left from a run of
// narrower samples would not fit the new width, and the size would be refused. False when
// the buffer does not take the size.
bool MarkTransferred(const CopyFlow& flow, CopyFlowHost& host, uint32_t bytes, HBUF buffer)
{
    if (flow.type == SubsystemTypeAD)
        host.SetValidSamples(buffer, 0);
    if (!host.SetSampleSize(buffer, flow.sampleWidth))
        return false;
    if (flow.type == SubsystemTypeAD)
        host.SetValidSamples(buffer, bytes / flow.sampleWidth);
    return true;
}

void Route(CopyFlow& flow, CopyFlowHost& host, HBUF buffer)
{
    if (flow.wrapMode == WrapRequeueEach)
        host.AppendReady(buffer);
    else
        DischargeBuffer(flow, host, buffer, false);
    // No notice for a buffer requeued while running, for a recycled one while none is in
    // process or ready, or for an abort that asked for none; a stop always gives one.
    const bool quiet = (flow.wrapMode == WrapRequeueEach && !flow.stopRequested) ||
                       (flow.wrapMode == WrapRecycleDone && flow.inProcess == 0 && host.ReadyCount() == 0) ||
                       (flow.abortRequested && flow.messageOnAbort == 0 && !flow.pretrigger);
    if (!quiet || flow.stopRequested)
        host.Notify(BufferDoneMessage(flow), false, 0);
}

}  // namespace

uint32_t SampleWidthFor(uint32_t resolution)
{
    if (resolution <= 8)
        return 1;
    if (resolution > 16)
        return 4;
    return 2;
}

uint32_t BufferDoneMessage(const CopyFlow& flow)
{
    return flow.pretrigger ? QZMSG_PRETRIGGER_BUFFER_DONE : QZMSG_BUFFER_DONE;
}

void PrepareRun(CopyFlow& flow, uint32_t resolution, uint16_t wrapMode, uint32_t dataFlow)
{
    flow.resolution = resolution;
    flow.sampleWidth = SampleWidthFor(resolution);
    flow.wrapMode = wrapMode;
    flow.dataFlow = dataFlow;
    flow.pretrigger = dataFlow == DataFlowPretrigger || dataFlow == DataFlowPrePostTrigger;
    flow.stopRequested = false;
    flow.abortRequested = false;
}

void FillInProcess(CopyFlow& flow, CopyFlowHost& host)
{
    // Wrap mode 1002 keeps one buffer with the driver.
    const uint32_t limit = flow.wrapMode == WrapRequeueEach ? 1 : kMaxBuffersInProcess;
    while (flow.inProcess < limit) {
        HBUF buffer = nullptr;
        if (!host.TakeReady(&buffer) || buffer == nullptr)
            return;
        QueueBuffer(flow, host, buffer);
    }
}

void TransferComplete(CopyFlow& flow, CopyFlowHost& host, uint32_t error, uint32_t bytes, HBUF buffer)
{
    if (flow.inProcess > 0)
        --flow.inProcess;
    // A buffer that does not take the run's sample size comes back as a failed transfer.
    if (error != 0 || !MarkTransferred(flow, host, bytes, buffer)) {
        ReturnFailedBuffer(flow, host, buffer);
        if (flow.inProcess != 0)
            return;
        if (!flow.abortRequested)
            host.Notify(QZMSG_IO_COMPLETE, false, 0);
        if (flow.stopRequested || flow.abortRequested) {
            // Both variants: every kind of subsystem is back at 1004.
            host.SetState(SubsystemStateConfigured);
            flow.stopRequested = false;
            flow.abortRequested = false;
            host.Acknowledge();
        }
        return;
    }
    Route(flow, host, buffer);
    if (!flow.stopRequested && !flow.abortRequested)
        FillInProcess(flow, host);
    InProcessEmpty(flow, host);
}

void FlushedInProcess(CopyFlow& flow, CopyFlowHost& host, uint32_t bytes, HBUF buffer)
{
    ++flow.inProcess;
    TransferComplete(flow, host, 0, bytes, buffer);
}

uint32_t FlushCopyBytes(uint32_t samples, uint32_t sampleWidth, uint32_t bufferBytes)
{
    const uint64_t wanted = static_cast<uint64_t>(samples) * sampleWidth;
    return wanted < bufferBytes ? static_cast<uint32_t>(wanted) : bufferBytes;
}

void StopSubsystem(CopyFlow& flow, CopyFlowHost& host, bool abort)
{
    if (host.State() <= SubsystemStateConfigured) {
        flow.stopRequested = false;
        flow.abortRequested = false;
        host.Acknowledge();
        return;
    }
    if (abort)
        flow.abortRequested = true;
    host.DriverStop(abort);
    host.AfterDriverStop();
    if (flow.type == SubsystemTypeDIN || flow.type == SubsystemTypeCT) {
        host.SetState(SubsystemStateConfigured);
        flow.stopRequested = false;
        flow.abortRequested = false;
        host.Acknowledge();
        return;
    }
    // Nothing with the driver: no completion will come to finish the stop, so finish it now
    // rather than leave the caller to its time-out.
    if (flow.inProcess == 0)
        InProcessEmpty(flow, host);
}

bool HandleDriverMessage(CopyFlow& flow, CopyFlowHost& host, uint32_t code, uint32_t value)
{
    switch (code) {
    case DriverMessageStopped:
        host.SetState(SubsystemStateConfigured);
        StopSubsystem(flow, host, true);
        host.Notify(QZMSG_DRIVER_STOPPED, false, 0);
        return false;
    case DriverMessageTrigger:
        if (flow.dataFlow == DataFlowPretrigger)
            StopSubsystem(flow, host, true);
        else if (flow.dataFlow == DataFlowPrePostTrigger)
            flow.pretrigger = false;
        return true;
    case DriverMessageEvent:
        host.Notify(QZMSG_DRIVER_EVENT, true, 0);
        return true;
    case DriverMessageBufferReused:
        host.Notify(QZMSG_BUFFER_REUSED, false, 0);
        return true;
    case DriverMessageCounterEvent:
        // Late after a reconfiguration, it must not make the old configuration look current.
        if (flow.type == SubsystemTypeCT)
            host.EndRunState(SubsystemStateConfigured);
        host.Notify(QZMSG_DRIVER_EVENT, true, value);
        return true;
    case DriverMessageEvent8:
        host.Notify(QZMSG_DRIVER_EVENT8, false, 0);
        host.SetState(SubsystemStateDriverEvent);
        if (flow.inProcess == 0)
            FinishStop(flow, host, true);
        return true;
    case DriverMessageOverrun:
        if (host.State() != SubsystemStateConfigured) {
            host.Notify(QZMSG_DRIVER_ERROR1, false, 0);
            if (flow.type == SubsystemTypeAD)
                StopSubsystem(flow, host, true);
        }
        return true;
    case DriverMessageError2:
        StopSubsystem(flow, host, true);
        host.Notify(QZMSG_DRIVER_ERROR2, false, 0);
        return true;
    case DriverMessageError3:
        StopSubsystem(flow, host, true);
        host.Notify(QZMSG_DRIVER_ERROR3, false, 0);
        return true;
    case DriverMessageError4:
        StopSubsystem(flow, host, true);
        host.Notify(QZMSG_DRIVER_ERROR4, false, 0);
        return true;
    default:
        return false;
    }
}

NotifyOrder RouteNotification(uintptr_t window, uintptr_t wParam, uintptr_t lParam, uintptr_t procedure, uintptr_t user,
                              uintptr_t subsystem, uint32_t message, bool hasValue, uint32_t value)
{
    NotifyOrder order;
    order.message = message;
    if (procedure != 0) {
        order.route = NotifyRoute::Call;
        order.target = procedure;
        order.wParam = subsystem;
        order.lParam = hasValue ? value : user;
    } else if (window != 0) {
        order.route = NotifyRoute::Post;
        order.target = window;
        order.wParam = wParam;
        order.lParam = hasValue ? value : lParam;
    }
    return order;
}

uint32_t CommandMailbox::Post(uint32_t request)
{
    std::lock_guard<std::mutex> held(lock_);
    const uint32_t ticket = nextTicket_++;
    queue_.emplace_back(request, ticket);
    return ticket;
}

bool CommandMailbox::Take(uint32_t* request, uint32_t* ticket)
{
    std::lock_guard<std::mutex> held(lock_);
    if (queue_.empty())
        return false;
    *request = queue_.front().first;
    *ticket = queue_.front().second;
    queue_.pop_front();
    return true;
}

void CommandMailbox::Acknowledge(uint32_t ticket)
{
    std::lock_guard<std::mutex> held(lock_);
    if (static_cast<int32_t>(ticket - acknowledged_) > 0)
        acknowledged_ = ticket;
}

bool CommandMailbox::IsAcknowledged(uint32_t ticket) const
{
    std::lock_guard<std::mutex> held(lock_);
    return static_cast<int32_t>(acknowledged_ - ticket) >= 0;
}

size_t CommandMailbox::Waiting() const
{
    std::lock_guard<std::mutex> held(lock_);
    return queue_.size();
}
