// The data-copy thread's buffer flow against a recording host: wrap modes, stop and abort
// handshakes, failed transfers and reads that cannot be issued, driver messages, the
// notification route, and the command mailbox under several threads.
#include "qzdaapi32/copy_flow.h"

#include "qzdaapi32/driver_request.h"
#include "qzdaapi32/frequency.h"
#include "qzdaapi32/qzdaapi32.h"
#include "qzdaapi32/requests.h"
#include "qzdaapi32/setget.h"
#include "standins/qzmem32/buffer_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <map>
#include <set>
#include <thread>
#include <vector>

namespace {

HBUF B(uintptr_t n)
{
    return reinterpret_cast<HBUF>(n);
}

class Host : public CopyFlowHost {
public:
    std::deque<HBUF> ready, done, driver;  // driver: reads issued, oldest first
    std::vector<uint32_t> notices;
    std::vector<uint32_t> values;
    std::map<HBUF, uint32_t> valid, width, finished;
    std::vector<bool> driverStops;  // true for an abort
    uint32_t state = SubsystemStateRunning;
    uint32_t acknowledged = 0;
    uint32_t batches = 0;
    bool failReads = false;
    bool refuseSize = false;
    uint32_t refused = 0;

    bool TakeReady(HBUF* b) override
    {
        if (ready.empty())
            return false;
        *b = ready.front();
        ready.pop_front();
        return true;
    }
    void AppendReady(HBUF b) override { ready.push_back(b); }
    void AppendDone(HBUF b) override { done.push_back(b); }
    bool TakeOldestDone(HBUF* b) override
    {
        if (done.empty())
            return false;
        *b = done.front();
        done.pop_front();
        return true;
    }
    uint32_t ReadyCount() override { return static_cast<uint32_t>(ready.size()); }
    void BeginDoneBatch() override { ++batches; }
    void EndDoneBatch() override {}
    bool IssueRead(HBUF b) override
    {
        if (failReads) {
            ++refused;
            return false;
        }
        driver.push_back(b);
        return true;
    }
    bool SetSampleSize(HBUF b, uint32_t bytes) override
    {
        if (refuseSize)
            return false;
        width[b] = bytes;
        return true;
    }
    void SetValidSamples(HBUF b, uint32_t count) override { valid[b] = count; }
    void FinishBuffer(HBUF b, uint32_t) override { ++finished[b]; }
    void DriverStop(bool abort) override { driverStops.push_back(abort); }
    uint32_t State() override { return state; }
    void SetState(uint32_t s) override { state = s; }
    void EndRunState(uint32_t s) override
    {
        if (state > SubsystemStateConfigured)
            state = s;
    }
    void Acknowledge() override { ++acknowledged; }
    void Notify(uint32_t message, bool, uint32_t value) override
    {
        notices.push_back(message);
        values.push_back(value);
    }
};

class Flow : public ::testing::Test {
protected:
    void Start(uint16_t wrap, uint32_t buffers, uint32_t dataFlow = DataFlowContinuous, uint32_t resolution = 16)
    {
        flow.type = SubsystemTypeAD;
        flow.input = true;
        for (uint32_t i = 1; i <= buffers; ++i)
            host.ready.push_back(B(i));
        PrepareRun(flow, resolution, wrap, dataFlow);
        FillInProcess(flow, host);
    }
    // The driver completes its oldest read with `bytes`.
    void Complete(uint32_t bytes = 200, uint32_t error = 0)
    {
        ASSERT_FALSE(host.driver.empty());
        HBUF b = host.driver.front();
        host.driver.pop_front();
        TransferComplete(flow, host, error, bytes, b);
    }
    // What the driver does on STOP or ABORT: every read back at once.
    void DriverReturnsAll(uint32_t error)
    {
        while (!host.driver.empty())
            Complete(0, error);
    }

    CopyFlow flow;
    Host host;
};

using N = std::vector<uint32_t>;

}  // namespace

TEST_F(Flow, WrapStopWhenDoneWithFourBuffers)
{
    Start(WrapStopWhenDone, 4);
    EXPECT_EQ(flow.inProcess, 4u);
    for (int i = 0; i < 4; ++i)
        Complete(400);
    EXPECT_EQ(host.notices, (N{1127, 1127, 1127, 1127, 1128}));
    EXPECT_EQ(host.done, (std::deque<HBUF>{B(1), B(2), B(3), B(4)}));
    EXPECT_EQ(host.state, SubsystemStateConfigured);
    EXPECT_EQ(host.driverStops, std::vector<bool>{true});
    EXPECT_EQ(host.valid[B(2)], 200u);
    EXPECT_EQ(host.width[B(2)], 2u);
}

TEST_F(Flow, AtMostEightWithTheDriver)
{
    Start(WrapStopWhenDone, 10);
    EXPECT_EQ(flow.inProcess, 8u);
    EXPECT_EQ(host.ready.size(), 2u);
    Complete();
    EXPECT_EQ(flow.inProcess, 8u);
    EXPECT_EQ(host.driver.back(), B(9));
}

TEST_F(Flow, WrapRecycleKeepsRunningWhileTheClientKeepsUp)
{
    Start(WrapRecycleDone, 8);
    for (int i = 0; i < 100; ++i) {
        Complete();
        // The client takes the buffer and queues it again.
        HBUF b = host.done.front();
        host.done.pop_front();
        host.ready.push_back(b);
    }
    EXPECT_EQ(host.notices, N(100, 1127));
    // The buffer just put back waits for the next completion.
    EXPECT_EQ(flow.inProcess, 7u);
    EXPECT_EQ(host.ready.size(), 1u);
    EXPECT_EQ(host.state, SubsystemStateRunning);
}

TEST_F(Flow, WrapRecycleRequeuesTheOldestWhenTheClientFallsBehind)
{
    Start(WrapRecycleDone, 2);
    Complete();
    Complete();
    // The last one is not announced; the oldest done buffer goes back to the driver.
    EXPECT_EQ(host.notices, (N{1127, 1129}));
    EXPECT_EQ(host.driver, (std::deque<HBUF>{B(1)}));
    EXPECT_EQ(host.done, (std::deque<HBUF>{B(2)}));
    EXPECT_EQ(flow.inProcess, 1u);
}

TEST_F(Flow, WrapRequeueEachKeepsOneInProcessAndIsSilent)
{
    Start(WrapRequeueEach, 3);
    EXPECT_EQ(flow.inProcess, 1u);
    for (int i = 0; i < 6; ++i)
        Complete();
    EXPECT_TRUE(host.notices.empty());
    EXPECT_EQ(flow.inProcess, 1u);
    EXPECT_EQ(host.ready.size() + host.driver.size(), 3u);
}

TEST_F(Flow, OrderlyStopAnnouncesEachBufferThenIoComplete)
{
    Start(WrapRecycleDone, 4);
    flow.stopRequested = true;
    StopSubsystem(flow, host, false);
    EXPECT_EQ(host.driverStops, std::vector<bool>{false});
    EXPECT_EQ(host.acknowledged, 0u);  // not before the queue drains
    DriverReturnsAll(0);
    EXPECT_EQ(host.notices, (N{1127, 1127, 1127, 1127, 1130}));
    EXPECT_EQ(host.acknowledged, 1u);
    EXPECT_EQ(host.state, SubsystemStateConfigured);
    EXPECT_EQ(host.done.size(), 4u);
    EXPECT_FALSE(flow.stopRequested);
}

TEST_F(Flow, AbortReturnsEveryBufferEmptyAndSilent)
{
    Start(WrapRecycleDone, 8);
    host.ready.push_back(B(9));  // the client put one more back
    StopSubsystem(flow, host, true);
    DriverReturnsAll(995);  // cancelled
    EXPECT_TRUE(host.notices.empty());
    EXPECT_EQ(host.acknowledged, 1u);
    EXPECT_EQ(host.state, SubsystemStateConfigured);
    EXPECT_EQ(host.done.size(), 8u);
    EXPECT_EQ(host.batches, 1u);
    for (HBUF b : host.done)
        EXPECT_EQ(host.valid[b], 0u);
    EXPECT_EQ(host.ready, (std::deque<HBUF>{B(9)}));
}

// A transfer that the driver finished before the abort reached it comes back whole, ahead of
// the cancelled ones; it is announced only when MessageOnAbort asks for it. (On a busy
// machine its completion often runs after the abort began: the client may find more whole
// buffers than notices.)
TEST(FlowAbort, ATransferFinishedAsTheAbortBeganComesBackWholeAndIsAnnouncedOnlyOnRequest)
{
    for (uint32_t messageOnAbort : {0u, 1u}) {
        CopyFlow flow;
        Host host;
        flow.type = SubsystemTypeAD;
        flow.input = true;
        flow.messageOnAbort = messageOnAbort;
        for (uintptr_t i = 1; i <= 3; ++i)
            host.ready.push_back(B(i));
        PrepareRun(flow, 16, WrapRecycleDone, DataFlowContinuous);
        FillInProcess(flow, host);
        StopSubsystem(flow, host, true);
        TransferComplete(flow, host, 0, 200, B(1));  // finished before the abort
        TransferComplete(flow, host, 995, 0, B(2));  // cancelled
        TransferComplete(flow, host, 995, 0, B(3));
        EXPECT_EQ(host.notices, messageOnAbort == 1 ? N{1127} : N{}) << messageOnAbort;
        EXPECT_EQ(host.done, (std::deque<HBUF>{B(1), B(2), B(3)})) << messageOnAbort;
        EXPECT_EQ(host.valid[B(1)], 100u);
        EXPECT_EQ(host.valid[B(2)], 0u);
        EXPECT_EQ(host.acknowledged, 1u);
        EXPECT_EQ(host.state, SubsystemStateConfigured);
    }
}

// Pins the mend: a stop with nothing in process has no completion to finish it; it is
// finished at once instead of leaving the caller to its 20 s time-out.
TEST_F(Flow, StopWithNothingInProcessIsFinishedAtOnce)
{
    Start(WrapRecycleDone, 0);
    flow.stopRequested = true;
    StopSubsystem(flow, host, false);
    EXPECT_EQ(host.acknowledged, 1u);
    EXPECT_EQ(host.state, SubsystemStateConfigured);
    EXPECT_EQ(host.notices, N{1130});
}

TEST_F(Flow, StopOfAnIdleSubsystemIsAcknowledgedWithoutTheDriver)
{
    host.state = SubsystemStateConfigured;
    flow.stopRequested = true;
    StopSubsystem(flow, host, false);
    EXPECT_TRUE(host.driverStops.empty());
    EXPECT_EQ(host.acknowledged, 1u);
    EXPECT_FALSE(flow.stopRequested);
}

TEST_F(Flow, CountersAndDigitalInputsAreAcknowledgedAtOnce)
{
    for (uint32_t type : {SubsystemTypeCT, SubsystemTypeDIN}) {
        Host h;
        CopyFlow f;
        f.type = type;
        StopSubsystem(f, h, false);
        EXPECT_EQ(h.acknowledged, 1u);
        EXPECT_EQ(h.state, SubsystemStateConfigured);
    }
}

// In a live run a failed transfer comes back at once, announced; while a stop drains the
// run, the failed ones join the done queue after the good ones, in one batch.
TEST_F(Flow, FailedTransfersComeBackAtOnceUnlessTheRunIsEnding)
{
    Start(WrapStopWhenDone, 3);
    Complete(0, 31);  // the first fails
    EXPECT_EQ(host.done, std::deque<HBUF>{B(1)});
    EXPECT_EQ(host.notices, N{1127});
    EXPECT_EQ(host.valid[B(1)], 0u);
    EXPECT_EQ(host.finished[B(1)], 1u);

    Host h;
    CopyFlow f;
    f.type = SubsystemTypeAD;
    f.input = true;
    h.ready = {B(1), B(2), B(3)};
    PrepareRun(f, 16, WrapStopWhenDone, DataFlowContinuous);
    FillInProcess(f, h);
    f.stopRequested = true;
    StopSubsystem(f, h, false);
    TransferComplete(f, h, 31, 0, B(1));
    TransferComplete(f, h, 0, 200, B(2));
    TransferComplete(f, h, 0, 200, B(3));
    EXPECT_EQ(h.done, (std::deque<HBUF>{B(2), B(3), B(1)}));
    EXPECT_EQ(h.batches, 1u);
    EXPECT_EQ(h.notices, (N{1127, 1127, 1130}));
    EXPECT_EQ(h.acknowledged, 1u);
}

TEST_F(Flow, ALoneFailedTransferSaysIoComplete)
{
    Start(WrapStopWhenDone, 1);
    Complete(0, 31);
    EXPECT_EQ(host.notices, (N{1127, 1130}));
    EXPECT_EQ(host.done.size(), 1u);
}

// Pins the mend: a buffer whose read cannot be issued is not lost; it ends in the done queue
// as a failed, empty transfer.
TEST_F(Flow, AReadThatCannotBeIssuedLeavesNoBufferBehind)
{
    host.failReads = true;
    Start(WrapRecycleDone, 3);
    EXPECT_EQ(flow.inProcess, 0u);
    EXPECT_EQ(host.done.size(), 3u);
    EXPECT_EQ(host.notices, N(3, 1127));
    for (HBUF b : host.done)
        EXPECT_EQ(host.valid[b], 0u);
    // Nor while others are in process: it does not wait for them.
    Host h;
    CopyFlow f;
    f.type = SubsystemTypeAD;
    f.input = true;
    h.ready = {B(1), B(2)};
    PrepareRun(f, 16, WrapRecycleDone, DataFlowContinuous);
    FillInProcess(f, h);
    h.failReads = true;
    h.ready.push_back(B(3));
    TransferComplete(f, h, 0, 100, h.driver.front());
    EXPECT_EQ(h.done, (std::deque<HBUF>{B(1), B(3)}));
    EXPECT_EQ(h.valid[B(3)], 0u);
    EXPECT_EQ(h.notices, (N{1127, 1127}));
    EXPECT_EQ(f.inProcess, 1u);
}

// Pins the mend: in a continuous run a read the driver refuses, or a transfer that fails,
// hands its buffer back to the client at once, finished, empty and announced; the client puts
// it back like any other, and all eight buffers keep circulating for the whole run.
TEST_F(Flow, RefusedAndFailedReadsKeepEveryBufferCirculating)
{
    Start(WrapRecycleDone, 8);
    std::map<HBUF, int> rounds;
    uint32_t failures = 0, empties = 0;
    size_t told = 0;
    for (int i = 1; i <= 3000; ++i) {
        host.failReads = i % 97 == 0;  // the next read asked for is refused
        const bool fails = i % 89 == 0;
        failures += fails ? 1 : 0;
        Complete(fails ? 0 : 200, fails ? 31 : 0);
        host.failReads = false;
        // The client takes one buffer per notice and puts it back, an empty one too.
        for (; told < host.notices.size(); ++told) {
            if (host.notices[told] != QZMSG_BUFFER_DONE)
                continue;
            ASSERT_FALSE(host.done.empty()) << i;
            HBUF b = host.done.front();
            host.done.pop_front();
            empties += host.valid[b] == 0 ? 1 : 0;
            ++rounds[b];
            host.ready.push_back(b);
        }
        ASSERT_TRUE(flow.errorBuffers.empty()) << i;
        ASSERT_EQ(host.driver.size() + host.ready.size(), 8u) << i;
    }
    EXPECT_GT(host.refused, 20u);
    EXPECT_EQ(empties, failures + host.refused);
    EXPECT_GE(flow.inProcess, 7u);
    ASSERT_EQ(rounds.size(), 8u);
    for (const auto& [b, n] : rounds)
        EXPECT_GT(n, 300) << b;
    EXPECT_EQ(host.state, SubsystemStateRunning);
}

TEST_F(Flow, SampleWidthFollowsTheResolution)
{
    const std::pair<uint32_t, uint32_t> table[] = {{1, 1}, {8, 1}, {9, 2}, {12, 2}, {16, 2}, {17, 4}, {32, 4}};
    for (const auto& [bits, width] : table)
        EXPECT_EQ(SampleWidthFor(bits), width) << bits;
    Start(WrapStopWhenDone, 1, DataFlowContinuous, 24);
    Complete(400);
    EXPECT_EQ(host.width[B(1)], 4u);
    EXPECT_EQ(host.valid[B(1)], 100u);
}

// The sample size and count kept by the buffer-memory store itself, which refuses a size
// that the count already set would overflow.
class StoreHost : public Host {
public:
    bool SetSampleSize(HBUF b, uint32_t bytes) override { return BmSetSampleSize(b, bytes) == QZMEM_OK; }
    void SetValidSamples(HBUF b, uint32_t count) override { BmSetValidSamples(b, count); }
};

// Pins the mend: a buffer filled at one byte per sample and then by a run of two-byte
// samples takes the new width; the count of the first run would not fit it.
TEST(FlowOnTheStore, ABufferReusedAtAnotherWidthTakesIt)
{
    HBUF b = nullptr;
    ASSERT_EQ(BmAllocBuffer(100, 2, &b), QZMEM_OK);  // 200 bytes
    StoreHost h;
    CopyFlow f;
    f.type = SubsystemTypeAD;
    f.input = true;
    const std::pair<uint32_t, uint32_t> runs[] = {{8, 1}, {16, 2}, {8, 1}, {24, 4}};
    for (const auto& [resolution, width] : runs) {
        h.done.clear();
        h.ready = {b};
        PrepareRun(f, resolution, WrapStopWhenDone, DataFlowContinuous);
        FillInProcess(f, h);
        ASSERT_EQ(h.driver.size(), 1u);
        h.driver.clear();
        TransferComplete(f, h, 0, 200, b);
        BufferFacts facts{};
        ASSERT_EQ(BmGetBufferFacts(b, &facts), QZMEM_OK);
        EXPECT_EQ(facts.sampleSize, width) << resolution;
        EXPECT_EQ(facts.validSamples, 200 / width) << resolution;
        EXPECT_EQ(h.done, std::deque<HBUF>{b});
    }
    EXPECT_EQ(BmFreeBuffer(b), QZMEM_OK);

    // A buffer that refuses the size all the same comes back as a failed, empty transfer.
    Host r;
    CopyFlow g;
    g.type = SubsystemTypeAD;
    g.input = true;
    r.ready = {B(1), B(2)};
    PrepareRun(g, 16, WrapRecycleDone, DataFlowContinuous);
    FillInProcess(g, r);
    r.refuseSize = true;
    r.driver.pop_front();
    TransferComplete(g, r, 0, 200, B(1));
    EXPECT_EQ(r.done, std::deque<HBUF>{B(1)});
    EXPECT_EQ(r.valid[B(1)], 0u);
    EXPECT_EQ(r.notices, N{1127});
    EXPECT_EQ(r.driver, std::deque<HBUF>{B(2)});
    EXPECT_EQ(g.inProcess, 1u);
}

// Pins the mend: a flush copies at the run's sample width (four bytes above 16 bits), never
// beyond the buffer.
TEST_F(Flow, FlushCopiesAtTheRunsWidth)
{
    EXPECT_EQ(FlushCopyBytes(100, 2, 4096), 200u);
    EXPECT_EQ(FlushCopyBytes(100, 4, 4096), 400u);
    EXPECT_EQ(FlushCopyBytes(100, 1, 4096), 100u);
    EXPECT_EQ(FlushCopyBytes(5000, 4, 4096), 4096u);
    EXPECT_EQ(FlushCopyBytes(0xFFFFFFFFu, 4, 4096), 4096u);  // no wrap-around
    // The flushed buffer completes like a transfer, with its bytes at that width.
    Start(WrapStopWhenDone, 1, DataFlowContinuous, 24);
    FlushedInProcess(flow, host, 400, B(9));
    EXPECT_EQ(host.valid[B(9)], 100u);
    EXPECT_EQ(host.done, std::deque<HBUF>{B(9)});
    EXPECT_EQ(flow.inProcess, 1u);
}

TEST_F(Flow, PretriggerBuffersUntilTheDriversMessage)
{
    Start(WrapRecycleDone, 4, DataFlowPrePostTrigger);
    Complete();
    EXPECT_TRUE(HandleDriverMessage(flow, host, DriverMessageTrigger, 0));
    Complete();
    EXPECT_EQ(host.notices, (N{1136, 1127}));
    // Data flow 804 aborts on it instead.
    Host h;
    CopyFlow f;
    f.type = SubsystemTypeAD;
    h.ready = {B(1)};
    PrepareRun(f, 16, WrapRecycleDone, DataFlowPretrigger);
    FillInProcess(f, h);
    EXPECT_TRUE(HandleDriverMessage(f, h, DriverMessageTrigger, 0));
    EXPECT_EQ(h.driverStops, std::vector<bool>{true});
    EXPECT_TRUE(f.abortRequested);
}

TEST_F(Flow, DriverMessagesMapOntoWindowMessages)
{
    struct Row {
        uint32_t code;
        uint32_t notice;  // 0: none
        bool reissued;
        bool aborts;
    };
    const Row rows[] = {
        {DriverMessageStopped, QZMSG_DRIVER_STOPPED, false, false},
        {DriverMessageEvent, QZMSG_DRIVER_EVENT, true, false},
        {DriverMessageBufferReused, QZMSG_BUFFER_REUSED, true, false},
        {DriverMessageCounterEvent, QZMSG_DRIVER_EVENT, true, false},
        {DriverMessageEvent8, QZMSG_DRIVER_EVENT8, true, false},
        {DriverMessageOverrun, QZMSG_DRIVER_ERROR1, true, true},
        {DriverMessageError2, QZMSG_DRIVER_ERROR2, true, true},
        {DriverMessageError3, QZMSG_DRIVER_ERROR3, true, true},
        {DriverMessageError4, QZMSG_DRIVER_ERROR4, true, true},
        {0x12345, 0, false, false},
    };
    for (const Row& row : rows) {
        Host h;
        CopyFlow f;
        f.type = SubsystemTypeAD;
        h.ready = {B(1)};
        PrepareRun(f, 16, WrapRecycleDone, DataFlowContinuous);
        FillInProcess(f, h);
        EXPECT_EQ(HandleDriverMessage(f, h, row.code, 77), row.reissued) << std::hex << row.code;
        if (row.notice != 0)
            EXPECT_EQ(h.notices, N{row.notice}) << std::hex << row.code;
        else
            EXPECT_TRUE(h.notices.empty()) << std::hex << row.code;
        EXPECT_EQ(!h.driverStops.empty() && h.driverStops[0], row.aborts) << std::hex << row.code;
    }
}

TEST_F(Flow, DriverMessageDetails)
{
    // 7 carries the driver's value and ends a counter's run; 5 carries 0.
    Host h;
    CopyFlow f;
    f.type = SubsystemTypeCT;
    HandleDriverMessage(f, h, DriverMessageCounterEvent, 1234);
    HandleDriverMessage(f, h, DriverMessageEvent, 99);
    EXPECT_EQ(h.values, (N{1234, 0}));
    EXPECT_EQ(h.state, SubsystemStateConfigured);
    // An overrun once the run is over says nothing.
    Host idle;
    idle.state = SubsystemStateConfigured;
    CopyFlow g;
    HandleDriverMessage(g, idle, DriverMessageOverrun, 0);
    EXPECT_TRUE(idle.notices.empty());
    // 3: the driver stopped on its own: state 1004, the caller released.
    Host s;
    CopyFlow t;
    EXPECT_FALSE(HandleDriverMessage(t, s, DriverMessageStopped, 0));
    EXPECT_EQ(s.state, SubsystemStateConfigured);
    EXPECT_EQ(s.acknowledged, 1u);
    // 8 with nothing in process: state 1009 then the run finished.
    Host e;
    CopyFlow u;
    u.type = SubsystemTypeDA;
    HandleDriverMessage(u, e, DriverMessageEvent8, 0);
    EXPECT_EQ(e.state, SubsystemStateConfigured);
    EXPECT_EQ(e.acknowledged, 1u);
}

TEST_F(Flow, NotificationsGoToTheProcedureOrTheWindow)
{
    NotifyOrder o = RouteNotification(0x10, 0x20, 0x30, 0, 0x50, 0x60, QZMSG_BUFFER_DONE, false, 0);
    EXPECT_EQ(o.route, NotifyRoute::Post);
    EXPECT_EQ(o.target, 0x10u);
    EXPECT_EQ(o.wParam, 0x20u);
    EXPECT_EQ(o.lParam, 0x30u);
    o = RouteNotification(0x10, 0x20, 0x30, 0, 0x50, 0x60, QZMSG_DRIVER_EVENT, true, 7);
    EXPECT_EQ(o.lParam, 7u);
    // A procedure takes the place of the window.
    o = RouteNotification(0x10, 0x20, 0x30, 0x40, 0x50, 0x60, QZMSG_BUFFER_DONE, false, 0);
    EXPECT_EQ(o.route, NotifyRoute::Call);
    EXPECT_EQ(o.target, 0x40u);
    EXPECT_EQ(o.wParam, 0x60u);
    EXPECT_EQ(o.lParam, 0x50u);
    o = RouteNotification(0, 0, 0, 0, 0, 0x60, QZMSG_BUFFER_DONE, false, 0);
    EXPECT_EQ(o.route, NotifyRoute::None);
}

TEST(Mailbox, RequestsAreKeptInOrderAndNeverOverwritten)
{
    CommandMailbox box;
    const uint32_t stop = box.Post(QZDRV_STOP);
    const uint32_t flush = box.Post(QZDRV_FLUSHINPROCESS);
    uint32_t request = 0, ticket = 0;
    ASSERT_TRUE(box.Take(&request, &ticket));
    EXPECT_EQ(request, QZDRV_STOP);
    EXPECT_EQ(ticket, stop);
    EXPECT_FALSE(box.IsAcknowledged(stop));
    box.Acknowledge(ticket);
    EXPECT_TRUE(box.IsAcknowledged(stop));
    EXPECT_FALSE(box.IsAcknowledged(flush));
    ASSERT_TRUE(box.Take(&request, &ticket));
    EXPECT_EQ(request, QZDRV_FLUSHINPROCESS);
    EXPECT_FALSE(box.Take(&request, &ticket));
    // A later acknowledgement covers the earlier tickets; an earlier one never a later.
    const uint32_t a = box.Post(1), b = box.Post(2);
    box.Acknowledge(b);
    box.Acknowledge(a);
    EXPECT_TRUE(box.IsAcknowledged(a));
    EXPECT_TRUE(box.IsAcknowledged(b));
}

TEST(Mailbox, SeveralSendersLoseNothing)
{
    CommandMailbox box;
    constexpr uint32_t kSenders = 6, kEach = 2000;
    std::vector<std::thread> senders;
    for (uint32_t s = 0; s < kSenders; ++s)
        senders.emplace_back([&box, s] {
            for (uint32_t i = 0; i < kEach; ++i)
                box.Post(s * kEach + i);
        });
    std::multiset<uint32_t> seen;
    std::thread taker([&] {
        uint32_t request = 0, ticket = 0, last = 0;
        while (seen.size() < kSenders * kEach) {
            if (box.Take(&request, &ticket)) {
                EXPECT_GT(ticket, last);
                last = ticket;
                seen.insert(request);
                box.Acknowledge(ticket);
            }
        }
    });
    for (auto& t : senders)
        t.join();
    taker.join();
    ASSERT_EQ(seen.size(), kSenders * kEach);
    for (uint32_t v = 0; v < kSenders * kEach; ++v)
        EXPECT_EQ(seen.count(v), 1u);
}

TEST(Frequency, DurationsTimerAndResult)
{
    EXPECT_FALSE(FrequencyDurationValid(0.0005));
    EXPECT_TRUE(FrequencyDurationValid(0.001));
    EXPECT_TRUE(FrequencyDurationValid(4294967.0));
    EXPECT_FALSE(FrequencyDurationValid(4294967.5));
    EXPECT_FALSE(FrequencyDurationValid(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(FrequencyDurationValid(-1.0));
    EXPECT_EQ(FrequencyTimerMs(0.0015), 1u);
    EXPECT_EQ(FrequencyTimerMs(2.5), 2500u);
    EXPECT_EQ(FrequencyTimerMs(4294967.0), 4294967000u);
    EXPECT_EQ(FrequencyFromCount(1000, 0.5), 2000.0f);
    EXPECT_EQ(FrequencyFromCount(0xFFFFFFFFu, 1.0), 4294967296.0f);  // unsigned, not -1
    EXPECT_EQ(FrequencyBits(1.0f), 0x3F800000u);
    EXPECT_TRUE(AlsoPostToNotifyWindow(2, 1, 0));
    EXPECT_FALSE(AlsoPostToNotifyWindow(1, 1, 0));
    EXPECT_FALSE(AlsoPostToNotifyWindow(0, 1, 0));
    EXPECT_FALSE(AlsoPostToNotifyWindow(2, 1, 5));
}

// The counter event's state move on the subsystem's own word, as the library's thread makes it.
class WordHost : public Host {
public:
    SubsystemCore core;
    WordHost() { core.configuration.assign(256, 0); }
    uint32_t State() override { return SubsystemStateOf(core); }
    void SetState(uint32_t s) override { SetSubsystemState(core, s); }
    void EndRunState(uint32_t s) override { ::EndRunState(core, s); }
};

// Pins: a counter event that comes after a request moved the state (1001 after a
// reconfiguration, 1004 after a stop) leaves the request's state, so that Start is not let
// run on the old configuration; from a run state it ends the run as before.
TEST(CopyFlowState, ALateCounterEventNeverUndoesARequest)
{
    const uint32_t states[] = {SubsystemStateAllocated,  SubsystemStateChanged,    SubsystemStateConfiguredSingle,
                               SubsystemStateConfigured, SubsystemStateRunning,    SubsystemStatePaused,
                               SubsystemStatePrestarted, SubsystemStateDriverEvent};
    for (uint32_t before : states) {
        WordHost h;
        CopyFlow f;
        f.type = SubsystemTypeCT;
        SetSubsystemState(h.core, before);
        HandleDriverMessage(f, h, DriverMessageCounterEvent, 1);
        EXPECT_EQ(SubsystemStateOf(h.core), before > SubsystemStateConfigured ? SubsystemStateConfigured : before)
            << before;
    }
}
