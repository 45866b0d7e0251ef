// The data-copy thread on the simulated board, through the DLL as the main program uses it:
// a window of the test receives the notifications; buffers are queued, started, taken back
// with qzDaGetBuffer, checked and queued again; stop and abort return every buffer; driver
// messages injected at the board arrive as their window messages, none lost or doubled;
// several threads command one subsystem at once; frequency measurement; a clean release.
#include "qzdaapi32/qzdaapi32.h"

#include "qzdaapi32/driver_request.h"
#include "standins/personality/qzsimbrd_control_win.h"
#include "standins/personality/sim_personality.h"
#include "standins/personality/sim_registration_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <thread>
#include <vector>

namespace {

SimBoardControl& Control()
{
    static SimBoardControl control;
    return control;
}

struct Notice {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND window;
};

std::vector<Notice>& Notices()
{
    static std::vector<Notice> notices;
    return notices;
}

// What the client does on a buffer-done notice, when set.
std::function<void(WPARAM)>& OnBufferDone()
{
    static std::function<void(WPARAM)> f;
    return f;
}

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= QZMSG_DRIVER_ERROR4 && message <= QZMSG_DRIVER_EVENT8) {
        Notices().push_back({message, wParam, lParam, window});
        if (message == QZMSG_BUFFER_DONE && OnBufferDone())
            OnBufferDone()(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ClientProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QzFlowClient";
        registered = RegisterClassA(&wc) != 0;
    }
    HWND window = CreateWindowExA(0, "QzFlowClient", "client", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr)  // no display: a message-only window serves as well
        window = CreateWindowExA(0, "QzFlowClient", "client", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    return window;
}

// Dispatches messages until done() or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// Dispatches what is waiting now: after the copy thread has ended (or has acknowledged a
// command whose notices it posts first), everything it posted is here.
void PumpWaiting()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// Long enough for anything the board does, on any machine; only a fault waits it out.
constexpr DWORD kPatience = 60000;

size_t CountOf(UINT message)
{
    return static_cast<size_t>(
        std::count_if(Notices().begin(), Notices().end(), [&](const Notice& n) { return n.message == message; }));
}

std::vector<UINT> Messages()
{
    std::vector<UINT> m;
    for (const Notice& n : Notices())
        m.push_back(n.message);
    return m;
}

SimDriverCounts Counts()
{
    SimDriverCounts counts;
    EXPECT_TRUE(Control().GetCounts(&counts, sizeof counts));
    return counts;
}

class Flow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(RegisterSimBoardInterface());
        ASSERT_TRUE(RegisterSimBoardDeviceMap());
        ASSERT_TRUE(Control().Load());
    }

    void SetUp() override
    {
        Pace(0.0);
        Notices().clear();
        OnBufferDone() = nullptr;
        violationsBefore = Counts().board.protocolViolations;
        window = MakeWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(qzDaInitialize(kSimBoardName, &device), QZERR_NO_ERROR);
    }

    void TearDown() override
    {
        OnBufferDone() = nullptr;
        for (SubsystemHandle s : opened) {
            if (s != nullptr) {
                EXPECT_EQ(qzDaReleaseDASS(s), QZERR_NO_ERROR);
            }
        }
        EXPECT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
        for (HBUF b : buffers)
            MemFreeBuffer(b);  // the test's own, where the library did not free them
        const SimDriverCounts counts = Counts();
        EXPECT_EQ(counts.pendingRequests, 0u);
        EXPECT_EQ(counts.board.openHandles, 0u);
        EXPECT_EQ(counts.board.protocolViolations, violationsBefore);
        for (uint32_t i = violationsBefore; i < counts.board.protocolViolations; ++i) {
            char text[200] = {};
            Control().Violation(i, text, sizeof text);
            ADD_FAILURE() << "the board refused: " << text;
        }
        DestroyWindow(window);
        PumpFor(0);
    }

    static void Pace(double speedUp)
    {
        SimSettings settings;
        settings.SpeedUp = speedUp;
        ASSERT_TRUE(Control().SetSettings(&settings));
    }

    SubsystemHandle Subsystem(uint32_t type, uint32_t element = 0)
    {
        SubsystemHandle s = nullptr;
        EXPECT_EQ(qzDaGetDASS(device, type, element, &s), QZERR_NO_ERROR);
        opened.push_back(s);
        return s;
    }

    // The transmitter as the main program drives it (counter 0 at the rate, 25 %; counter 1
    // at twice that, 50 %): channel 1 then carries its synchronisation signal.
    void StartCounter(double rate)
    {
        for (uint32_t element = 0; element < 2; ++element) {
            SubsystemHandle c = Subsystem(SubsystemTypeCT, element);
            ASSERT_EQ(qzDaSetCascadeMode(c, 901), 0u);
            ASSERT_EQ(qzDaSetGateType(c, element == 0 ? 500 : 504), 0u);
            ASSERT_EQ(qzDaSetCTMode(c, element == 0 ? 701 : 703), 0u);
            ASSERT_EQ(qzDaSetClockSource(c, 400), 0u);
            ASSERT_EQ(qzDaSetClockFrequency(c, element == 0 ? rate : 2 * rate), 0u);
            ASSERT_EQ(qzDaSetPulseType(c, 601), 0u);
            ASSERT_EQ(qzDaSetPulseWidth(c, element == 0 ? 25.0 : 50.0), 0u);
            ASSERT_EQ(qzDaConfig(c), 0u);
            ASSERT_EQ(qzDaStart(c), 0u);
        }
    }

    SubsystemHandle AnalogInput(uint32_t wrap, uint32_t count, uint32_t samples)
    {
        SubsystemHandle ad = Subsystem(SubsystemTypeAD);
        EXPECT_EQ(qzDaSetDataFlow(ad, 800), 0u);
        EXPECT_EQ(qzDaSetWrapMode(ad, wrap), 0u);
        EXPECT_EQ(qzDaSetChannelType(ad, 100), 0u);
        EXPECT_EQ(qzDaSetChannelListSize(ad, 4), 0u);
        for (uint32_t i = 0; i < 4; ++i)
            EXPECT_EQ(qzDaSetChannelListEntry(ad, i, i), 0u);
        EXPECT_EQ(qzDaSetTrigger(ad, 306), 0u);
        EXPECT_EQ(qzDaSetClockFrequency(ad, 480000.0), 0u);
        EXPECT_EQ(qzDaSetWndHandle(ad, reinterpret_cast<QzWindowHandle>(window), 0), 0u);
        EXPECT_EQ(qzDaConfig(ad), 0u);
        for (uint32_t i = 0; i < count; ++i) {
            HBUF b = nullptr;
            EXPECT_EQ(MemAllocBuffer(0, 0, samples, 2, &b), 0u);
            EXPECT_EQ(qzDaPutBuffer(ad, b), 0u);
            buffers.push_back(b);
        }
        return ad;
    }

    // Every buffer the library holds, taken back (the ready ones moved to the done queue
    // first); the subsystem must not be running.
    std::vector<HBUF> TakeAll(SubsystemHandle ad)
    {
        EXPECT_EQ(qzDaFlushBuffers(ad), 0u);
        std::vector<HBUF> all;
        HBUF b = nullptr;
        while (qzDaGetBuffer(ad, &b) == QZERR_NO_ERROR && b != nullptr)
            all.push_back(b);
        return all;
    }

    uint32_t Queue(SubsystemHandle ad, uint32_t queue)
    {
        uint32_t n = 99;
        EXPECT_EQ(qzDaGetQueueSize(ad, queue, &n), 0u);
        return n;
    }

    DeviceHandle device = nullptr;
    HWND window = nullptr;
    std::vector<SubsystemHandle> opened;
    std::vector<HBUF> buffers;
    uint32_t violationsBefore = 0;
};

// Codes of the synchronisation channel: +9 V, 0 and -9 V in straight binary over +-10 V.
bool IsSyncCode(uint16_t code)
{
    for (int level : {3277, 32768, 62259}) {
        if (std::abs(static_cast<int>(code) - level) <= 4)
            return true;
    }
    return false;
}

}  // namespace

TEST_F(Flow, StopWhenDoneWithFourAndEightBuffers)
{
    Pace(1.0);  // board time runs, so the transmitter's cycle goes by
    StartCounter(30.0);
    std::set<uint16_t> levels;
    for (uint32_t count : {4u, 8u}) {
        Notices().clear();
        // 14400 samples are 7.5 ms at 480 kHz: four buffers span more than three quarter
        // periods of the 30 Hz transmitter, so each run alone sees all three levels.
        SubsystemHandle ad = AnalogInput(WrapStopWhenDone, count, 14400);
        std::vector<HBUF> mine(buffers.end() - count, buffers.end());
        ASSERT_EQ(qzDaStart(ad), 0u);
        ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_QUEUE_DONE) > 0; }, kPatience));
        // The run stopped by itself; the buffers come back in the order they went.
        EXPECT_EQ(qzDaStop(ad), QZERR_SUBSYSTEM_NOT_RUNNING);
        for (uint32_t i = 0; i < count; ++i) {
            HBUF b = nullptr;
            ASSERT_EQ(qzDaGetBuffer(ad, &b), 0u);
            EXPECT_EQ(b, mine[i]);
            uint32_t valid = 0;
            ASSERT_EQ(MemGetValidSamples(b, &valid), 0u);
            EXPECT_EQ(valid, 14400u);
            void* data = nullptr;
            ASSERT_EQ(MemGetBufferPointer(b, &data), 0u);
            const uint16_t* codes = static_cast<const uint16_t*>(data);
            for (uint32_t k = 1; k < valid; k += 4) {
                ASSERT_TRUE(IsSyncCode(codes[k])) << "sample " << k << " code " << codes[k];
                levels.insert(codes[k] / 8192);
            }
        }
        HBUF none = reinterpret_cast<HBUF>(1);
        ASSERT_EQ(qzDaGetBuffer(ad, &none), 0u);
        EXPECT_EQ(none, nullptr);
        ASSERT_EQ(qzDaReleaseDASS(ad), 0u);
        opened.back() = nullptr;
        // Its copy thread has ended: every notice it sent is here, and no more came.
        PumpWaiting();
        std::vector<UINT> expected(count, QZMSG_BUFFER_DONE);
        expected.push_back(QZMSG_QUEUE_DONE);
        EXPECT_EQ(Messages(), expected) << count;
        for (const Notice& n : Notices()) {
            EXPECT_EQ(n.wParam, reinterpret_cast<WPARAM>(ad));
            EXPECT_EQ(n.window, window);
        }
    }
    EXPECT_EQ(levels.size(), 3u);  // the whole cycle of the transmitter went by
}

TEST_F(Flow, RequeueEachRunsSilentlyUntilStopped)
{
    Pace(20.0);
    SubsystemHandle ad = AnalogInput(WrapRequeueEach, 3, 4800);
    ASSERT_EQ(qzDaStart(ad), 0u);
    // Each of the three has been filled once at least (they go round in turn), and not one
    // was announced.
    ASSERT_TRUE(PumpUntil(
        [&] {
            return std::all_of(buffers.begin(), buffers.end(), [](HBUF b) {
                uint32_t valid = 0;
                return MemGetValidSamples(b, &valid) == 0 && valid == 4800;
            });
        },
        kPatience));
    EXPECT_EQ(Queue(ad, QueueInProcess), 1u);
    PumpWaiting();
    EXPECT_TRUE(Notices().empty());
    ASSERT_EQ(qzDaStop(ad), 0u);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_IO_COMPLETE) > 0; }, kPatience));
    // The stop announces the one it returned, then the drain.
    EXPECT_EQ(Messages(), (std::vector<UINT>{QZMSG_BUFFER_DONE, QZMSG_IO_COMPLETE}));
    EXPECT_EQ(TakeAll(ad).size(), 3u);
}

TEST_F(Flow, StopMidRunReturnsEveryBuffer)
{
    Pace(1.0);
    SubsystemHandle ad = AnalogInput(WrapRecycleDone, 8, 48000);  // 0.1 s each
    ASSERT_EQ(qzDaStart(ad), 0u);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_BUFFER_DONE) > 0; }, kPatience));
    ASSERT_EQ(qzDaStop(ad), 0u);
    EXPECT_EQ(Queue(ad, QueueInProcess), 0u);
    // The stop's own notice comes last, once the drain is over.
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_IO_COMPLETE) > 0; }, kPatience));
    // Each buffer in process came back with its notice, then the stop's.
    const std::vector<UINT> m = Messages();
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.back(), static_cast<UINT>(QZMSG_IO_COMPLETE));
    EXPECT_EQ(CountOf(QZMSG_BUFFER_DONE), 8u);
    EXPECT_EQ(CountOf(QZMSG_IO_COMPLETE), 1u);
    EXPECT_EQ(qzDaStop(ad), QZERR_SUBSYSTEM_NOT_RUNNING);
    std::vector<HBUF> all = TakeAll(ad);
    std::sort(all.begin(), all.end());
    std::vector<HBUF> mine = buffers;
    std::sort(mine.begin(), mine.end());
    EXPECT_EQ(all, mine);
    // It starts again with them.
    for (HBUF b : all)
        ASSERT_EQ(qzDaPutBuffer(ad, b), 0u);
    Notices().clear();
    ASSERT_EQ(qzDaStart(ad), 0u);
    EXPECT_TRUE(PumpUntil([] { return CountOf(QZMSG_BUFFER_DONE) > 0; }, kPatience));
    ASSERT_EQ(qzDaAbort(ad), 0u);
}

// An abort returns every buffer: those whose transfer had finished, whole, ahead of the
// cancelled ones, empty. It announces nothing: the notices are those of buffers finished
// before it. A transfer that finishes while the abort is on its way to the driver is returned
// whole but not announced (on a busy machine its completion may run after the abort began),
// so there may be more whole buffers than notices, never fewer.
TEST_F(Flow, AbortReturnsEveryBufferWithoutNotices)
{
    // A second each at a quarter of the board's pace: the run is seven seconds from its last
    // buffer when the first is announced.
    Pace(0.25);
    SubsystemHandle ad = AnalogInput(WrapRecycleDone, 8, 480000);
    ASSERT_EQ(qzDaStart(ad), 0u);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_BUFFER_DONE) > 0; }, kPatience));
    ASSERT_EQ(qzDaAbort(ad), 0u);
    EXPECT_EQ(Queue(ad, QueueInProcess), 0u);
    EXPECT_EQ(Queue(ad, QueueDone), 8u);
    // The finished ones first, then the cancelled ones, empty.
    size_t whole = 0;
    for (size_t i = 0; i < 8; ++i) {
        HBUF b = nullptr;
        ASSERT_EQ(qzDaGetBuffer(ad, &b), 0u);
        uint32_t valid = 0;
        ASSERT_EQ(MemGetValidSamples(b, &valid), 0u);
        if (valid == 480000u && whole == i)
            ++whole;
        else
            EXPECT_EQ(valid, 0u) << i;
    }
    EXPECT_GE(whole, 1u);
    EXPECT_LT(whole, 8u);
    // Once its copy thread has ended, every notice it sent is here: buffer-done notices of
    // whole buffers only, and nothing for the abort itself.
    ASSERT_EQ(qzDaReleaseDASS(ad), 0u);
    opened.back() = nullptr;
    PumpWaiting();
    EXPECT_EQ(CountOf(QZMSG_BUFFER_DONE), Notices().size());
    EXPECT_GE(Notices().size(), 1u);
    EXPECT_LE(Notices().size(), whole);
}

TEST_F(Flow, AFailedTransferComesBackEmptyAndSaysSo)
{
    SubsystemHandle ad = AnalogInput(WrapStopWhenDone, 1, 480);
    ASSERT_TRUE(Control().InjectFault(SimFaultFailNextRead, ERROR_CRC, 0, 0, 0));
    ASSERT_EQ(qzDaStart(ad), 0u);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_IO_COMPLETE) > 0; }, kPatience));
    EXPECT_EQ(Queue(ad, QueueDone), 1u);
    HBUF b = nullptr;
    ASSERT_EQ(qzDaGetBuffer(ad, &b), 0u);
    uint32_t valid = 99;
    ASSERT_EQ(MemGetValidSamples(b, &valid), 0u);
    EXPECT_EQ(valid, 0u);
    ASSERT_EQ(qzDaAbort(ad), 0u);
}

namespace {

struct Called {
    std::atomic<uint32_t> calls{0};
    std::atomic<uint32_t> bufferDone{0};
    std::atomic<uint32_t> queueDone{0};
    std::atomic<uint32_t> badArguments{0};
    std::atomic<DWORD> thread{0};
    SubsystemHandle subsystem = nullptr;
};
Called TheCalls;

void QZDA_CALL NotifyProcedure(uint32_t message, SubsystemHandle subsystem, intptr_t lParam)
{
    ++TheCalls.calls;
    TheCalls.thread = GetCurrentThreadId();
    if (subsystem != TheCalls.subsystem || lParam != 0x1234)
        ++TheCalls.badArguments;
    if (message == QZMSG_BUFFER_DONE)
        ++TheCalls.bufferDone;
    if (message == QZMSG_QUEUE_DONE)
        ++TheCalls.queueDone;
}

}  // namespace

// A notification procedure takes the place of the window: called on the copy thread with the
// subsystem handle and the user word; the window hears nothing.
TEST_F(Flow, ANotificationProcedureTakesThePlaceOfTheWindow)
{
    SubsystemHandle ad = AnalogInput(WrapStopWhenDone, 2, 480);
    TheCalls.subsystem = ad;
    ASSERT_EQ(qzDaSetNotificationProcedure(ad, NotifyProcedure, 0x1234), 0u);
    ASSERT_EQ(qzDaConfig(ad), 0u);
    ASSERT_EQ(qzDaStart(ad), 0u);
    ASSERT_TRUE(PumpUntil([] { return TheCalls.queueDone.load() == 1; }, kPatience));
    // Once its copy thread has ended, no call can come any more.
    ASSERT_EQ(qzDaReleaseDASS(ad), 0u);
    opened.back() = nullptr;
    PumpWaiting();
    EXPECT_EQ(TheCalls.bufferDone.load(), 2u);
    EXPECT_EQ(TheCalls.calls.load(), 3u);
    EXPECT_EQ(TheCalls.badArguments.load(), 0u);
    EXPECT_NE(TheCalls.thread.load(), GetCurrentThreadId());
    EXPECT_TRUE(Notices().empty());
}

// The flush of the transfer in process: the client's buffer comes back through the done
// queue like a transfer; a buffer the buffer-memory library refuses gets its code back.
TEST_F(Flow, FlushFromTheBufferInProcess)
{
    Pace(1.0);
    SubsystemHandle ad = AnalogInput(WrapStopWhenDone, 4, 48000);
    HBUF spare = nullptr;
    ASSERT_EQ(MemAllocBuffer(0, 0, 480, 2, &spare), 0u);
    buffers.push_back(spare);
    ASSERT_EQ(qzDaStart(ad), 0u);
    EXPECT_EQ(qzDaFlushFromBufferInprocess(ad, reinterpret_cast<HBUF>(0x1234), 8), QZMEM_BAD_BUFFER);
    ASSERT_EQ(qzDaFlushFromBufferInprocess(ad, spare, 100), 0u);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_BUFFER_DONE) > 0; }, kPatience));
    ASSERT_EQ(qzDaAbort(ad), 0u);
    std::vector<HBUF> all = TakeAll(ad);
    EXPECT_EQ(all.size(), 5u);
    EXPECT_NE(std::find(all.begin(), all.end(), spare), all.end());
}

// Driver messages arrive as their window messages, each once, with the subsystem handle.
TEST_F(Flow, DriverMessagesBecomeWindowMessages)
{
    // A second a buffer: the run is far from recycling its buffers (which says 1129 too).
    Pace(0.25);
    SubsystemHandle ad = AnalogInput(WrapRecycleDone, 8, 480000);
    auto inject = [](uint32_t code, uint32_t value) {
        ASSERT_TRUE(Control().InjectFault(SimFaultMessage, SubsystemTypeAD, 0, code, value));
    };
    auto only = [](UINT message) {
        std::vector<Notice> n;
        for (const Notice& x : Notices()) {
            if (x.message == message)
                n.push_back(x);
        }
        return n;
    };
    ASSERT_EQ(qzDaStart(ad), 0u);
    inject(DriverMessageEvent, 55);
    inject(DriverMessageBufferReused, 0);
    ASSERT_TRUE(
        PumpUntil([] { return CountOf(QZMSG_DRIVER_EVENT) == 1 && CountOf(QZMSG_BUFFER_REUSED) >= 1; }, kPatience));
    EXPECT_EQ(only(QZMSG_DRIVER_EVENT)[0].lParam, 0);
    EXPECT_EQ(only(QZMSG_DRIVER_EVENT)[0].wParam, reinterpret_cast<WPARAM>(ad));
    // Back to back, more than there are waiting requests: none lost (none doubled: counted
    // once the copy thread has ended, below).
    for (uint32_t v = 1; v <= 30; ++v)
        inject(DriverMessageCounterEvent, v);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_DRIVER_EVENT) >= 31; }, kPatience));

    // The errors abort the run, each with its message.
    const std::pair<uint32_t, UINT> errors[] = {{DriverMessageError4, QZMSG_DRIVER_ERROR4},
                                                {DriverMessageError3, QZMSG_DRIVER_ERROR3},
                                                {DriverMessageError2, QZMSG_DRIVER_ERROR2},
                                                {DriverMessageOverrun, QZMSG_DRIVER_ERROR1}};
    for (const auto& [code, message] : errors) {
        inject(code, 0);
        ASSERT_TRUE(PumpUntil([m = message] { return CountOf(m) == 1; }, kPatience)) << std::hex << code;
        // The message goes out as the abort starts; the run is over once the driver has
        // handed back every buffer.
        ASSERT_TRUE(PumpUntil([&] { return Queue(ad, QueueInProcess) == 0; }, kPatience)) << std::hex << code;
        EXPECT_EQ(qzDaStop(ad), QZERR_SUBSYSTEM_NOT_RUNNING) << std::hex << code;
        for (HBUF b : TakeAll(ad))
            ASSERT_EQ(qzDaPutBuffer(ad, b), 0u);
        ASSERT_EQ(qzDaStart(ad), 0u);
    }
    // The driver stopped on its own: 1137 and the state says so.
    inject(DriverMessageStopped, 0);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_DRIVER_STOPPED) == 1; }, kPatience));
    EXPECT_EQ(qzDaStop(ad), QZERR_SUBSYSTEM_NOT_RUNNING);
    ASSERT_EQ(qzDaAbort(ad), QZERR_SUBSYSTEM_NOT_RUNNING);

    // Its copy thread has ended: every message it sent is here. Each driver message became
    // exactly one window message.
    ASSERT_EQ(qzDaReleaseDASS(ad), 0u);
    opened.back() = nullptr;
    PumpWaiting();
    std::multiset<LPARAM> values;
    for (const Notice& n : only(QZMSG_DRIVER_EVENT))
        values.insert(n.lParam);
    std::multiset<LPARAM> expected{0};
    for (LPARAM v = 1; v <= 30; ++v)
        expected.insert(v);
    EXPECT_EQ(values, expected);
    EXPECT_GE(CountOf(QZMSG_BUFFER_REUSED), 1u);
    for (const auto& [code, message] : errors)
        EXPECT_EQ(CountOf(message), 1u) << std::hex << code;
    EXPECT_EQ(CountOf(QZMSG_DRIVER_STOPPED), 1u);
}

// Pins the mend: slots that a driver message retired (here codes the library does not know) are issued again at the next start, so the driver's messages keep arriving.
TEST_F(Flow, RetiredMessageSlotsComeBackAtTheNextStart)
{
    Pace(1.0);
    SubsystemHandle ad = AnalogInput(WrapRecycleDone, 4, 48000);
    ASSERT_EQ(qzDaStart(ad), 0u);
    auto inject = [](uint32_t code, uint32_t value) {
        ASSERT_TRUE(Control().InjectFault(SimFaultMessage, SubsystemTypeAD, 0, code, value));
    };
    inject(0x55, 0);
    inject(0x56, 0);
    inject(0x57, 0);
    ASSERT_TRUE(PumpUntil([] { return Counts().board.pendingWaits == 0; }, kPatience));
    ASSERT_EQ(qzDaAbort(ad), 0u);
    for (HBUF b : TakeAll(ad))
        ASSERT_EQ(qzDaPutBuffer(ad, b), 0u);
    ASSERT_EQ(qzDaStart(ad), 0u);
    EXPECT_EQ(Counts().board.pendingWaits, 3u);
    Notices().clear();
    inject(DriverMessageError2, 0);
    EXPECT_TRUE(PumpUntil([] { return CountOf(QZMSG_DRIVER_ERROR2) == 1; }, kPatience));
}

// The main program's loop: every buffer-done notice takes the buffer, checks it and queues
// it again; a few thousand buffers later no buffer is lost, doubled or left anywhere.
TEST_F(Flow, ALongRunLosesNothing)
{
    Pace(50.0);
    StartCounter(285.0);
    SubsystemHandle ad = AnalogInput(WrapRecycleDone, 8, 4800);  // 0.2 ms each at this pace
    std::map<HBUF, uint32_t> seen;
    uint32_t bad = 0;
    uint32_t taken = 0;
    OnBufferDone() = [&](WPARAM w) {
        SubsystemHandle s = reinterpret_cast<SubsystemHandle>(w);
        HBUF b = nullptr;
        if (qzDaGetBuffer(s, &b) != QZERR_NO_ERROR || b == nullptr)
            return;  // the thread took it back for the driver already
        ++taken;
        ++seen[b];
        uint32_t valid = 0;
        void* data = nullptr;
        MemGetValidSamples(b, &valid);
        MemGetBufferPointer(b, &data);
        const uint16_t* codes = static_cast<const uint16_t*>(data);
        if (valid != 4800 || !IsSyncCode(codes[1]) || !IsSyncCode(codes[4797]))
            ++bad;
        qzDaPutBuffer(s, b);
    };
    ASSERT_EQ(qzDaStart(ad), 0u);
    ASSERT_TRUE(PumpUntil([&] { return taken >= 3000; }, 60000)) << taken;
    OnBufferDone() = nullptr;
    ASSERT_EQ(qzDaStop(ad), 0u);
    EXPECT_TRUE(PumpUntil([] { return CountOf(QZMSG_IO_COMPLETE) > 0; }, kPatience));
    EXPECT_EQ(bad, 0u);
    EXPECT_EQ(seen.size(), 8u);
    EXPECT_EQ(Queue(ad, QueueInProcess), 0u);
    std::vector<HBUF> all = TakeAll(ad);
    std::sort(all.begin(), all.end());
    std::vector<HBUF> mine = buffers;
    std::sort(mine.begin(), mine.end());
    EXPECT_EQ(all, mine);
}

// Pins the mend: commands from several threads at once each get their answer; none is
// written over by another in the mailbox, none waits out the 20 s time-out, and afterwards
// every buffer is still in the rotation.
TEST_F(Flow, CommandsFromSeveralThreads)
{
    Pace(20.0);
    SubsystemHandle ad = AnalogInput(WrapRecycleDone, 8, 4800);
    // A command whose acknowledgement was lost returns when the library's wait for it gives
    // up, after 20 s; however busy the machine, an answered one never takes that long.
    constexpr uint32_t kAcknowledgeTimeoutMs = 20000;
    std::atomic<uint32_t> timedOut{0};
    std::atomic<uint32_t> unexpected{0};
    auto worker = [&](int seed) {
        for (int i = 0; i < 40; ++i) {
            const DWORD start = GetTickCount();
            QZSTATUS s = 0;
            switch ((seed + i) % 4) {
            case 0:
                s = qzDaStart(ad);
                break;
            case 1:
                s = qzDaStop(ad);
                break;
            case 2:
                s = qzDaAbort(ad);
                break;
            default: {
                uint32_t n = 0;
                s = qzDaGetQueueSize(ad, QueueDone, &n);
                // Buffers back from a stop go out again, as the client would.
                HBUF b = nullptr;
                while (qzDaGetBuffer(ad, &b) == 0 && b != nullptr)
                    qzDaPutBuffer(ad, b);
                break;
            }
            }
            if (s != 0 && s != QZERR_SUBSYSTEM_ALREADY_RUNNING && s != QZERR_SUBSYSTEM_NOT_RUNNING &&
                s != QZERR_NO_READY_BUFFERS)
                ++unexpected;
            if (GetTickCount() - start >= kAcknowledgeTimeoutMs)
                ++timedOut;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(worker, t);
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(unexpected.load(), 0u);
    EXPECT_EQ(timedOut.load(), 0u);
    qzDaAbort(ad);
    EXPECT_EQ(Queue(ad, QueueInProcess), 0u);
    std::vector<HBUF> all = TakeAll(ad);
    std::sort(all.begin(), all.end());
    std::vector<HBUF> mine = buffers;
    std::sort(mine.begin(), mine.end());
    EXPECT_EQ(all, mine);
}

TEST_F(Flow, FrequencyMeasurement)
{
    SubsystemHandle ct = Subsystem(SubsystemTypeCT, 1);
    // Refusals, before the counter is touched.
    EXPECT_EQ(qzDaMeasureFrequency(nullptr, reinterpret_cast<QzWindowHandle>(window), 1.0),
              QZERR_INVALID_SUBSYSTEM_HANDLE);
    EXPECT_EQ(qzDaMeasureFrequency(ct, nullptr, 1.0), QZERR_NO_WINDOW_HANDLE_SPECIFIED_FOR_FREQUENCY_MEASUREMENT);
    EXPECT_EQ(qzDaMeasureFrequency(ct, reinterpret_cast<QzWindowHandle>(window), 0.0005),
              QZERR_INVALID_COUNT_DURATION_FOR_FREQUENCY_MEASUREMENT);
    EXPECT_EQ(qzDaMeasureFrequency(ct, reinterpret_cast<QzWindowHandle>(window), 5000000.0),
              QZERR_INVALID_COUNT_DURATION_FOR_FREQUENCY_MEASUREMENT);
    SimLogEntry log[64];
    const uint32_t logged = std::min<uint32_t>(64, Control().RequestLog(SubsystemTypeCT, 1, log, 64));
    EXPECT_TRUE(std::all_of(log, log + logged, [](const SimLogEntry& e) { return e.ioctl == QZIOCTL_WAITMESSAGE; }));
    // The result: events per second as a float, to the measuring window. (The board's
    // counters take no notification window, so the copy to one is pinned natively.)
    Pace(1.0);
    ASSERT_EQ(qzDaSetClockSource(ct, 400), 0u);
    ASSERT_EQ(qzDaSetClockFrequency(ct, 1000.0), 0u);
    const DWORD before = GetTickCount();
    ASSERT_EQ(qzDaMeasureFrequency(ct, reinterpret_cast<QzWindowHandle>(window), 0.25), 0u);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_FREQUENCY) == 1; }, kPatience));
    const double ranSeconds = (GetTickCount() - before + 20) / 1000.0;  // tick granularity
    PumpWaiting();
    ASSERT_EQ(Notices().size(), 1u);
    const Notice& n = Notices()[0];
    EXPECT_EQ(n.window, window);
    EXPECT_EQ(n.wParam, reinterpret_cast<WPARAM>(ct));
    float hz = 0;
    const uint32_t bits = static_cast<uint32_t>(n.lParam);
    std::memcpy(&hz, &bits, sizeof hz);
    // The events of a quarter of a second at least; on a busy machine the timer ends the count
    // late, but never with more events than the counter could give while the test waited.
    EXPECT_GE(hz, 850.0f);
    EXPECT_LE(hz * 0.25, 1000.0 * ranSeconds + 2.0);
    // The counter was stopped by the measurement before its result was sent.
    EXPECT_EQ(qzDaStop(ct), QZERR_SUBSYSTEM_NOT_RUNNING);
    // A measurement still under way at release is called off: nothing arrives afterwards.
    Notices().clear();
    ASSERT_EQ(qzDaMeasureFrequency(ct, reinterpret_cast<QzWindowHandle>(window), 0.2), 0u);
    ASSERT_EQ(qzDaReleaseDASS(ct), 0u);
    opened[0] = nullptr;
    // A measurement of the same length begun after it on the other counter: its result comes
    // after the moment the released one's would have.
    SubsystemHandle other = Subsystem(SubsystemTypeCT, 0);
    ASSERT_EQ(qzDaSetClockSource(other, 400), 0u);
    ASSERT_EQ(qzDaSetClockFrequency(other, 1000.0), 0u);
    ASSERT_EQ(qzDaMeasureFrequency(other, reinterpret_cast<QzWindowHandle>(window), 0.2), 0u);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_FREQUENCY) == 1; }, kPatience));
    PumpWaiting();
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0].wParam, reinterpret_cast<WPARAM>(other));
}

// Release with the board running: the buffers with the driver come back and are freed with
// the rest; nothing stays with the board.
TEST_F(Flow, ReleaseWhileRunningFreesEveryBuffer)
{
    Pace(1.0);
    SubsystemHandle ad = AnalogInput(WrapRecycleDone, 8, 48000);
    ASSERT_EQ(qzDaStart(ad), 0u);
    ASSERT_TRUE(PumpUntil([] { return CountOf(QZMSG_BUFFER_DONE) > 0; }, kPatience));
    // Not left behind for the driver: the thread ended with nothing in process, so every
    // buffer was freed (a thread given up on keeps them).
    ASSERT_EQ(qzDaReleaseDASS(ad), 0u);
    opened.back() = nullptr;
    for (HBUF b : buffers)
        EXPECT_EQ(MemFreeBuffer(b), QZERR_INVALID_BUFFER_HANDLE_HBUF_PASSED_TO_A_LIBRARY_FROM_AN_APPLICATION);
    buffers.clear();
    const SimDriverCounts counts = Counts();
    EXPECT_EQ(counts.pendingRequests, 0u);
    EXPECT_EQ(counts.queuedApcs, 0u);
    EXPECT_EQ(counts.board.pendingReads, 0u);
    EXPECT_EQ(counts.board.runningUnits, 0u);
}
