#include "qzdaapi32/copy_thread_win.h"

#include "qzdaapi32/copy_flow.h"
#include "qzdaapi32/driver_request.h"
#include "qzdaapi32/requests.h"
#include "standins/qzmem32/qzmem32.h"

#include <mmsystem.h>
#include <windows.h>

#include <atomic>
#include <new>
#include <vector>

namespace {

constexpr DWORD kAcknowledgeTimeoutMs = 20000;
constexpr DWORD kThreadEndTimeoutMs = 2500;
// How long the ending thread waits for cancelled I/O to come back; below the release's wait
// for the thread, so that a clean end is seen as one.
constexpr DWORD kCancelDrainMs = 2000;

std::atomic<uint32_t> Abandoned{0};

}  // namespace

class CBrDataCopyThread : public CopyFlowHost {
public:
    SubsystemRecord* m_pDevice = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HANDLE m_commandEvent = nullptr;
    HANDLE m_acknowledgeEvent = nullptr;
    HANDLE m_messageEvents[kMessageSlots] = {};
    HANDLE m_finishedEvent = nullptr;  // set by the thread as its last act
    // One record per wait request: a message answered to one slot is never overwritten by
    // the next one answered to another before it is handled.
    DriverRequest m_messages[kMessageSlots] = {};
    OVERLAPPED m_messageOverlapped[kMessageSlots] = {};
    bool m_slotPending[kMessageSlots] = {};
    HANDLE m_waitList[kMessageSlots + 1] = {};
    CopyFlow m_flow;
    CommandMailbox m_mailbox;
    uint32_t m_ticket = 0;  // of the command being worked on
    bool m_ending = false;
    bool m_clean = false;  // nothing left with the driver when the thread ended
    std::atomic<uint32_t> m_inProcessSeen{0};
    DriverRequest m_flushRecord = {};
    // Reads the flow has counted in process, handed to the driver once the wait is over: a
    // completion routine that issued the next read itself could keep the wait running
    // completions for ever when the driver answers at once, and the mailbox would starve.
    std::vector<HBUF> m_toIssue;

    const DriverPort& Port() const { return *m_pDevice->device->port; }
    HANDLE Driver() const { return m_pDevice->driver; }
    SubsystemCore& Core() const { return m_pDevice->core; }

    bool EventsMade() const
    {
        for (HANDLE h : m_messageEvents) {
            if (h == nullptr)
                return false;
        }
        return m_commandEvent != nullptr && m_acknowledgeEvent != nullptr && m_finishedEvent != nullptr;
    }

    void CloseEvents()
    {
        for (HANDLE& h : m_messageEvents) {
            if (h != nullptr)
                CloseHandle(h);
            h = nullptr;
        }
        for (HANDLE* h : {&m_commandEvent, &m_acknowledgeEvent, &m_finishedEvent}) {
            if (*h != nullptr)
                CloseHandle(*h);
            *h = nullptr;
        }
    }

    // ---- CopyFlowHost ----
    bool TakeReady(HBUF* buffer) override
    {
        *buffer = nullptr;
        return Core().readyQueue != nullptr && MemTakeListHead(Core().readyQueue, buffer) == QZMEM_OK &&
               *buffer != nullptr;
    }
    void AppendReady(HBUF buffer) override { MemAppendToList(Core().readyQueue, buffer); }
    void AppendDone(HBUF buffer) override { MemAppendToList(Core().doneQueue, buffer); }
    bool TakeOldestDone(HBUF* buffer) override
    {
        *buffer = nullptr;
        return Core().doneQueue != nullptr && MemTakeListHead(Core().doneQueue, buffer) == QZMEM_OK &&
               *buffer != nullptr;
    }
    uint32_t ReadyCount() override
    {
        uint32_t count = 0;
        if (Core().readyQueue != nullptr)
            MemCountList(Core().readyQueue, &count);
        return count;
    }
    void BeginDoneBatch() override { MemListBeginUpdate(Core().doneQueue); }
    void EndDoneBatch() override { MemListEndUpdate(Core().doneQueue); }
    bool IssueRead(HBUF buffer) override;
    bool SetSampleSize(HBUF buffer, uint32_t bytes) override { return MemSetSampleSize(buffer, bytes) == QZMEM_OK; }
    void SetValidSamples(HBUF buffer, uint32_t count) override { MemSetValidSamples(buffer, count); }
    void FinishBuffer(HBUF buffer, uint32_t resolution) override
    {
        MemSetBufferResolution(buffer, resolution);
        MemFinishBuffer(buffer);
    }
    void DriverStop(bool abort) override
    {
        DriverRequest request = NewDriverRequest(Core().type, Core().element);
        bool failed = false;
        SendDriverRequest(Port(), Driver(), abort ? QZIOCTL_ABORT : QZIOCTL_STOP, request.bytes, kRequestBytes,
                          &failed);
    }
    void AfterDriverStop() override
    {
        if (m_pDevice->device->tuning.abortSleepTimeMSecs != 0)
            Sleep(m_pDevice->device->tuning.abortSleepTimeMSecs);
    }
    uint32_t State() override { return SubsystemStateOf(Core()); }
    void SetState(uint32_t state) override { SetSubsystemState(Core(), state); }
    void EndRunState(uint32_t state) override { ::EndRunState(Core(), state); }
    void Acknowledge() override
    {
        Seen();  // the caller may ask for the queue sizes as soon as it is released
        m_mailbox.Acknowledge(m_ticket);
        SetEvent(m_acknowledgeEvent);
    }
    void Notify(uint32_t message, bool hasValue, uint32_t value) override
    {
        NotifyClient(Core(), message, hasValue, value);
    }

    // ---- the thread ----
    void IssueWait(uint32_t slot);
    void DriverMessage(uint32_t slot);
    void RunCommand(uint32_t request);
    void FlushInProcess();
    void DrainMailbox();
    void IssueDeferred();
    void EndIo();
    bool AnythingPending();
    void Seen() { m_inProcessSeen.store(m_flow.inProcess); }
};

namespace {

// The completion of a read, run on the copy thread inside its alertable wait. The buffer's
// control block carries the buffer in its pointer word (the driver reads no file offset) and
// the thread in its event word.
VOID CALLBACK TransferCompletionRoutine(DWORD error, DWORD bytes, LPOVERLAPPED overlapped)
{
    CBrDataCopyThread* thread = static_cast<CBrDataCopyThread*>(overlapped->hEvent);
    HBUF buffer = static_cast<HBUF>(overlapped->Pointer);
    TransferComplete(thread->m_flow, *thread, error, bytes, buffer);
    thread->Seen();
}

DWORD WINAPI CopyThreadProc(void* parameter)
{
    CBrDataCopyThread* thread = static_cast<CBrDataCopyThread*>(parameter);
    const uint32_t priority = thread->m_pDevice->device->tuning.copyThreadPriority;
    if (priority != 0)
        SetThreadPriority(GetCurrentThread(), static_cast<int>(priority));
    for (uint32_t slot = 0; slot < kMessageSlots; ++slot)
        thread->IssueWait(slot);
    for (;;) {
        // Commands first: one may have been posted before the thread ran.
        thread->DrainMailbox();
        thread->IssueDeferred();
        if (thread->m_ending)
            break;
        const DWORD woke = WaitForMultipleObjectsEx(kMessageSlots + 1, thread->m_waitList, FALSE, INFINITE, TRUE);
        if (woke < WAIT_OBJECT_0 + kMessageSlots)
            thread->DriverMessage(woke - WAIT_OBJECT_0);
        else if (woke == WAIT_FAILED)
            Sleep(1);
    }
    thread->EndIo();
    // The release may wait for this under the loader lock, where the thread's own end would
    // have to wait for that lock: the event, not the thread handle, says it is over.
    SetEvent(thread->m_finishedEvent);
    return 0;
}

}  // namespace

bool CBrDataCopyThread::IssueRead(HBUF buffer)
{
    void* data = nullptr;
    uint32_t bytes = 0;
    BufferControlBlock* block = nullptr;
    if (MemGetBufferPointer(buffer, &data) != QZMEM_OK || MemGetBufferSize(buffer, &bytes) != QZMEM_OK ||
        MemGetControlBlock(buffer, &block) != QZMEM_OK || data == nullptr || block == nullptr)
        return false;
    m_toIssue.push_back(buffer);
    return true;
}

// QueueBuffer's ReadFileEx. A read that the driver refuses comes back at once as a failed
// transfer; one whose run was stopped or aborted meanwhile is handed back as the driver
// hands back what it held (whole but empty on a stop, cancelled on an abort).
void CBrDataCopyThread::IssueDeferred()
{
    std::vector<HBUF> buffers;
    buffers.swap(m_toIssue);
    for (HBUF buffer : buffers) {
        if (m_flow.abortRequested || m_ending) {
            TransferComplete(m_flow, *this, ERROR_OPERATION_ABORTED, 0, buffer);
            continue;
        }
        if (m_flow.stopRequested) {
            TransferComplete(m_flow, *this, 0, 0, buffer);
            continue;
        }
        void* data = nullptr;
        uint32_t bytes = 0;
        BufferControlBlock* block = nullptr;
        MemGetBufferPointer(buffer, &data);
        MemGetBufferSize(buffer, &bytes);
        MemGetControlBlock(buffer, &block);
        static_assert(sizeof(OVERLAPPED) == (sizeof(void*) == 8 ? 32 : 20) &&
                          sizeof(OVERLAPPED) <= sizeof(BufferControlBlock::bytes),
                      "overlapped record in the block");
        OVERLAPPED* overlapped = reinterpret_cast<OVERLAPPED*>(block->bytes);
        *overlapped = OVERLAPPED{};
        overlapped->Pointer = buffer;
        overlapped->hEvent = this;
        if (!Port().readEx(Driver(), data, bytes, overlapped, TransferCompletionRoutine)) {
            const DWORD error = GetLastError();
            TransferComplete(m_flow, *this, error != 0 ? error : ERROR_GEN_FAILURE, 0, buffer);
        }
    }
    Seen();
}

void CBrDataCopyThread::IssueWait(uint32_t slot)
{
    m_messages[slot] = NewDriverRequest(Core().type, Core().element);
    m_messageOverlapped[slot] = OVERLAPPED{};
    m_messageOverlapped[slot].hEvent = m_messageEvents[slot];
    const BOOL done = Port().ioControl(Driver(), QZIOCTL_WAITMESSAGE, m_messages[slot].bytes, kRequestBytes,
                                       m_messages[slot].bytes, kRequestBytes, nullptr, &m_messageOverlapped[slot]);
    // Answered at once or later, the slot's event tells.
    m_slotPending[slot] = done != FALSE || GetLastError() == ERROR_IO_PENDING;
}

void CBrDataCopyThread::DriverMessage(uint32_t slot)
{
    if (!m_slotPending[slot])
        return;
    DWORD bytes = 0;
    if (!Port().overlappedResult(Driver(), &m_messageOverlapped[slot], &bytes, FALSE)) {
        if (GetLastError() == ERROR_IO_INCOMPLETE)
            return;
        m_slotPending[slot] = false;  // retired until the next start
        return;
    }
    m_slotPending[slot] = false;
    const uint32_t code = Get32(m_messages[slot], ArgMessageCode);
    const uint32_t value = Get32(m_messages[slot], ArgMessageValue);
    if (HandleDriverMessage(m_flow, *this, code, value))
        IssueWait(slot);
    Seen();
}

void CBrDataCopyThread::FlushInProcess()
{
    SubsystemCore& core = Core();
    HBUF buffer = core.flushBuffer;
    const uint32_t samples = core.flushSamples;
    void* data = nullptr;
    uint32_t size = 0;
    if (buffer == nullptr || samples == 0 || MemGetBufferPointer(buffer, &data) != QZMEM_OK || data == nullptr ||
        MemGetBufferSize(buffer, &size) != QZMEM_OK)
        return;
    // The run's sample width, not a fixed two bytes.
    const uint32_t bytes = FlushCopyBytes(samples, m_flow.sampleWidth, size);
    m_flushRecord = NewDriverRequest(core.type, core.element);
    OVERLAPPED overlapped = {};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (overlapped.hEvent == nullptr)
        return;
    DWORD returned = 0;
    BOOL done = Port().ioControl(Driver(), QZIOCTL_FLUSHINPROCESS, m_flushRecord.bytes, kRequestBytes, data, bytes,
                                 &returned, &overlapped);
    if (!done && GetLastError() == ERROR_IO_PENDING)
        done = Port().overlappedResult(Driver(), &overlapped, &returned, TRUE);
    CloseHandle(overlapped.hEvent);
    if (done)
        FlushedInProcess(m_flow, *this, returned, buffer);
}

void CBrDataCopyThread::RunCommand(uint32_t request)
{
    SubsystemCore& core = Core();
    switch (request) {
    case QZDRV_START:
    case QZDRV_PRESTART:
        // Slots a driver message retired come back, so that its errors keep being seen.
        for (uint32_t slot = 0; slot < kMessageSlots; ++slot) {
            if (!m_slotPending[slot])
                IssueWait(slot);
        }
        PrepareRun(m_flow, Get16(core.configuration, CfgResolution), Get16(core.configuration, CfgWrapMode),
                   Get16(core.configuration, CfgDataFlow));
        m_flow.messageOnAbort = m_pDevice->device->tuning.messageOnAbort;
        FillInProcess(m_flow, *this);
        IssueDeferred();  // with the driver before the caller starts it
        Acknowledge();
        break;
    case QZDRV_STOP:
        m_flow.stopRequested = true;
        StopSubsystem(m_flow, *this, false);
        break;
    case QZDRV_RESET:
    case QZDRV_ABORT:
        StopSubsystem(m_flow, *this, true);
        break;
    case QZDRV_DEALLOCATE:
        StopSubsystem(m_flow, *this, true);
        m_ending = true;
        break;
    case QZDRV_FLUSHINPROCESS:
        FlushInProcess();
        break;
    default:
        Acknowledge();
        break;
    }
    Seen();
}

void CBrDataCopyThread::DrainMailbox()
{
    uint32_t request = 0;
    uint32_t ticket = 0;
    while (!m_ending && m_mailbox.Take(&request, &ticket)) {
        m_ticket = ticket;
        RunCommand(request);
    }
}

bool CBrDataCopyThread::AnythingPending()
{
    if (m_flow.inProcess != 0)
        return true;
    for (uint32_t slot = 0; slot < kMessageSlots; ++slot) {
        if (!m_slotPending[slot])
            continue;
        DWORD bytes = 0;
        if (!Port().overlappedResult(Driver(), &m_messageOverlapped[slot], &bytes, FALSE) &&
            GetLastError() == ERROR_IO_INCOMPLETE)
            return true;
        m_slotPending[slot] = false;
    }
    return false;
}

// CancelAllPendingIrps, then an alertable wait until every read and wait request is back:
// the reads' completions return their buffers to the done queue, and nothing the driver
// might still write is freed.
void CBrDataCopyThread::EndIo()
{
    Port().cancel(Driver());
    const DWORD start = GetTickCount();
    for (;;) {
        // A completion in here may still have asked for a read: it comes back unissued.
        IssueDeferred();
        if (!AnythingPending() || GetTickCount() - start >= kCancelDrainMs)
            break;
        SleepEx(5, TRUE);
    }
    m_clean = !AnythingPending();
    Seen();
    // Whatever the acknowledgement of the abort missed.
    Acknowledge();
}

QZSTATUS CreateCopyThread(SubsystemRecord* subsystem)
{
    subsystem->copyThread = nullptr;
    CBrDataCopyThread* thread = new (std::nothrow) CBrDataCopyThread();
    if (thread == nullptr)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    thread->m_pDevice = subsystem;
    thread->m_commandEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    thread->m_acknowledgeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (HANDLE& h : thread->m_messageEvents)
        h = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    thread->m_finishedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!thread->EventsMade()) {
        thread->CloseEvents();
        delete thread;
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    }
    for (uint32_t slot = 0; slot < kMessageSlots; ++slot)
        thread->m_waitList[slot] = thread->m_messageEvents[slot];
    thread->m_waitList[kMessageSlots] = thread->m_commandEvent;
    thread->m_flow.type = subsystem->core.type;
    thread->m_flow.input = subsystem->core.type == SubsystemTypeAD || subsystem->core.type == SubsystemTypeDIN;
    thread->m_thread = CreateThread(nullptr, 0, CopyThreadProc, thread, 0, &thread->m_threadId);
    if (thread->m_thread == nullptr) {
        thread->CloseEvents();
        delete thread;
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    }
    if (subsystem->device->tuning.threadStartSleepTimeMSecs != 0)
        Sleep(subsystem->device->tuning.threadStartSleepTimeMSecs);
    timeBeginPeriod(1);
    subsystem->copyThread = thread;
    return QZERR_NO_ERROR;
}

void DestroyCopyThread(SubsystemRecord* subsystem)
{
    CBrDataCopyThread* thread = subsystem->copyThread;
    if (thread == nullptr)
        return;
    if (SubsystemStateOf(subsystem->core) > SubsystemStateConfigured)
        Sleep(100);
    if (subsystem->device->tuning.threadStopSleepTimeMSecs != 0)
        Sleep(subsystem->device->tuning.threadStopSleepTimeMSecs);
    CopyThreadSend(subsystem, QZDRV_DEALLOCATE);
    const bool ended = WaitForSingleObject(thread->m_finishedEvent, kThreadEndTimeoutMs) == WAIT_OBJECT_0;
    subsystem->copyThread = nullptr;
    timeEndPeriod(1);
    CloseHandle(thread->m_thread);
    if (ended && thread->m_clean) {
        thread->CloseEvents();
        delete thread;
        return;
    }
    // The thread, or the driver, may still write into the records: they are left behind.
    ++Abandoned;
}

uint32_t CopyThreadInProcess(const SubsystemCore& subsystem)
{
    const SubsystemRecord* record = reinterpret_cast<const SubsystemRecord*>(subsystem.handle);
    if (record == nullptr || record->copyThread == nullptr)
        return 0;
    return record->copyThread->m_inProcessSeen.load();
}

bool HasCopyThread(const SubsystemRecord* subsystem)
{
    return subsystem->copyThread != nullptr;
}

uint32_t CopyThreadSend(SubsystemRecord* subsystem, uint32_t request)
{
    CBrDataCopyThread* thread = subsystem->copyThread;
    if (thread == nullptr)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    subsystem->mailbox = request;
    thread->m_mailbox.Post(request);
    SetEvent(thread->m_commandEvent);
    return QZERR_NO_ERROR;
}

uint32_t CopyThreadSendAndWait(SubsystemRecord* subsystem, uint32_t request)
{
    CBrDataCopyThread* thread = subsystem->copyThread;
    if (thread == nullptr)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    ResetEvent(thread->m_acknowledgeEvent);
    subsystem->mailbox = request;
    const uint32_t ticket = thread->m_mailbox.Post(request);
    SetEvent(thread->m_commandEvent);
    const DWORD start = GetTickCount();
    for (;;) {
        if (thread->m_mailbox.IsAcknowledged(ticket))
            break;
        const DWORD waited = GetTickCount() - start;
        if (waited >= kAcknowledgeTimeoutMs)
            break;  // the caller goes on; its state change stands
        ResetEvent(thread->m_acknowledgeEvent);
        if (thread->m_mailbox.IsAcknowledged(ticket))
            break;
        WaitForSingleObject(thread->m_acknowledgeEvent, kAcknowledgeTimeoutMs - waited);
    }
    return QZERR_NO_ERROR;
}

void NotifyClient(const SubsystemCore& subsystem, uint32_t message, bool hasValue, uint32_t value)
{
    // One copy, taken whole: the client may retarget as soon as a stop is acknowledged.
    const NotificationTarget n = subsystem.notify.Get();
    const NotifyOrder order = RouteNotification(n.window, n.wParam, n.lParam, n.procedure, n.procedureUser,
                                                subsystem.handle, message, hasValue, value);
    if (order.route == NotifyRoute::Post) {
        PostMessageA(reinterpret_cast<HWND>(order.target), order.message, order.wParam,
                     static_cast<LPARAM>(order.lParam));
    } else if (order.route == NotifyRoute::Call) {
        reinterpret_cast<QzNotifyProc>(order.target)(order.message, reinterpret_cast<SubsystemHandle>(order.wParam),
                                                     static_cast<intptr_t>(order.lParam));
    }
}

uint32_t AbandonedCopyThreads()
{
    return Abandoned.load();
}
