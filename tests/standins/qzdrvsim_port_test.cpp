// The simulated driver at its driver port, under Wine: its port (as qzsimbrd.dll hands it to the
// board library) driven with the library's own command handlers and with raw overlapped
// requests and reads. Answers come as a driver's do: the OVERLAPPED record and its event for
// I/O controls, the completion routine as an APC on the issuing thread for reads; cancel is
// per thread; stop and abort complete every pending read at once; reads arrive at the pace of
// the sample clock (times the speed-up) and carry the signal model of the programmed counters.
#include "qzdaapi32/commands.h"
#include "qzdaapi32/driver_port_win.h"
#include "qzdaapi32/requests.h"
#include "standins/personality/qzsimbrd_control_win.h"
#include "standins/personality/sim_personality.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

SimBoardControl& Control()
{
    static SimBoardControl control;
    return control;
}

const DriverPort* Port()
{
    static const DriverPort* port = [] {
        auto entry = reinterpret_cast<SimulatedDriverEntry>(
            reinterpret_cast<void*>(GetProcAddress(Control().module, "_QzSimulatedDriver@4")));
        return entry != nullptr ? entry(sizeof(DriverPort)) : nullptr;
    }();
    return port;
}

HANDLE OpenPath(const std::string& tail)
{
    const std::string path = std::string(kSimDevicePath) + tail;
    return Port()->open(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_OVERLAPPED);
}

// A synchronous request as a caller on an overlapped handle makes it.
uint32_t SendRaw(HANDLE handle, uint32_t ioctl, uint8_t* record, uint32_t bytes, bool* failed)
{
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD returned = 0;
    BOOL done = Port()->ioControl(handle, ioctl, record, bytes, record, bytes, &returned, &ov);
    if (!done && GetLastError() == ERROR_IO_PENDING)
        done = Port()->overlappedResult(handle, &ov, &returned, TRUE);
    const DWORD error = done ? 0 : GetLastError();
    CloseHandle(ov.hEvent);
    *failed = !done;
    return done ? RequestGet32(record, bytes, ReqStatus) : error;
}

// One subsystem: the library's record and command handler over its own handle.
struct Unit {
    HANDLE handle = INVALID_HANDLE_VALUE;
    SubsystemCore ss;
    CommandEnvironment env;

    static uint32_t Send(void* self, uint32_t ioctl, uint8_t* record, uint32_t bytes, bool* failed)
    {
        return SendRaw(static_cast<Unit*>(self)->handle, ioctl, record, bytes, failed);
    }
    static uint32_t Ready(HBUFLIST, uint32_t* count)
    {
        *count = 1;
        return 0;
    }
    void Open(uint32_t type, uint32_t element, const std::string& tail)
    {
        handle = OpenPath(tail);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << tail;
        ss.type = type;
        ss.element = element;
        ASSERT_TRUE(SimCapabilities(type, element, &ss.caps));
        ASSERT_EQ(AllocateConfiguration(ss), 0u);
        ApplyDefaultConfiguration(ss);
        env.context = this;
        env.send = Send;
        env.readyCount = Ready;
    }
    QZSTATUS Set(uint32_t code, uintptr_t w0, uintptr_t w1 = 0, double r0 = 0.0)
    {
        RequestParams p{w0, w1, r0, 0.0};
        return HandleSetGetRequest(ss, code, p, SetGetEnvironment{});
    }
    QZSTATUS Command(uint32_t code, uintptr_t w0 = 0, uintptr_t w1 = 0, double r0 = 0.0)
    {
        RequestParams p{w0, w1, r0, 0.0};
        return HandleCommand(ss, code, p, env);
    }
    double Clock()
    {
        RequestParams p;
        EXPECT_EQ(HandleSetGetRequest(ss, QZDRV_GETCLOCKFREQUENCY, p, SetGetEnvironment{}), 0u);
        return p.real0;
    }
    void Close()
    {
        if (handle != INVALID_HANDLE_VALUE)
            Port()->close(handle);
        handle = INVALID_HANDLE_VALUE;
    }
};

// A read in flight: its OVERLAPPED record, its samples and what the completion routine saw.
struct Read {
    OVERLAPPED ov = {};
    std::vector<uint16_t> samples;
    bool done = false;
    DWORD error = 0xFFFFFFFF;
    DWORD bytes = 0;
    DWORD thread = 0;
    DWORD issued = 0;
};

VOID CALLBACK ReadDone(DWORD error, DWORD bytes, LPOVERLAPPED ov)
{
    Read* read = CONTAINING_RECORD(ov, Read, ov);
    read->done = true;
    read->error = error;
    read->bytes = bytes;
    read->thread = GetCurrentThreadId();
}

bool Issue(HANDLE handle, Read& read, uint32_t samples)
{
    read.samples.assign(samples, 0);
    read.issued = GetTickCount();
    return Port()->readEx(handle, read.samples.data(), samples * 2, &read.ov, ReadDone) != FALSE;
}

// Alertable waits until every read is done (or the time is up).
bool Drain(std::vector<Read*> reads, DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (std::all_of(reads.begin(), reads.end(), [](Read* r) { return r->done; }))
            return true;
        if (GetTickCount() - start > ms)
            return false;
        SleepEx(5, TRUE);
    }
}

class SimulatedPort : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(Control().Load());
        ASSERT_NE(Port(), nullptr);
    }

    void SetUp() override { Speed(0.0); }

    void TearDown() override
    {
        for (Unit* u : {&ad, &ct0, &ct1, &dout})
            u->Close();
        while (SleepEx(0, TRUE) == WAIT_IO_COMPLETION) {
        }
        SimDriverCounts counts;
        ASSERT_TRUE(Control().GetCounts(&counts, sizeof counts));
        EXPECT_EQ(counts.handles, 0u);
        EXPECT_EQ(counts.pendingRequests, 0u);
        EXPECT_EQ(counts.queuedApcs, 0u);
        EXPECT_EQ(counts.board.protocolViolations, 0u);
    }

    void Speed(double speedUp)
    {
        SimSettings settings;
        settings.SpeedUp = speedUp;
        ASSERT_TRUE(Control().SetSettings(&settings));
    }

    // The main program's set-up of the counters, the gain output and the analog input.
    void StartLikeTheProgram(double rate, uint32_t output)
    {
        ct0.Open(SubsystemTypeCT, 0, "\\CT0");
        ct1.Open(SubsystemTypeCT, 1, "\\CT1");
        dout.Open(SubsystemTypeDOUT, 0, "\\DOUT0");
        ad.Open(SubsystemTypeAD, 0, "\\AD0");
        double clock = rate;
        for (Unit* c : {&ct0, &ct1}) {
            if (c == &ct1)
                clock *= 2.0;
            ASSERT_EQ(c->Set(QZDRV_SETCOUNTERMODE, c == &ct0 ? 701 : 703), 0u);
            ASSERT_EQ(c->Set(QZDRV_SETGATETYPE, c == &ct0 ? 500 : 504), 0u);
            ASSERT_EQ(c->Set(QZDRV_SETCLOCKFREQUENCY, 0, 0, clock), 0u);
            ASSERT_EQ(c->Set(QZDRV_SETPULSEWIDTH, 0, 0, c == &ct0 ? 25.0 : 50.0), 0u);
            ASSERT_EQ(c->Command(QZDRV_CONFIG), 0u);
            ASSERT_EQ(c->Command(QZDRV_START), 0u);
            clock = c->Clock();
        }
        ASSERT_EQ(dout.Command(QZDRV_CONFIG), 0u);
        ASSERT_EQ(ad.Set(QZDRV_SETCHANNELLISTSIZE, 4), 0u);
        for (uint32_t i = 0; i < 4; ++i)
            ASSERT_EQ(ad.Set(QZDRV_SETCHANNELLISTENTRY, i, i), 0u);
        ASSERT_EQ(ad.Set(QZDRV_SETWRAPMODE, 1001), 0u);
        ASSERT_EQ(ad.Set(QZDRV_SETCLOCKFREQUENCY, 0, 0, 480000.0), 0u);
        ASSERT_EQ(ad.Command(QZDRV_CONFIG), 0u);
        ASSERT_EQ(dout.Command(QZDRV_SETSINGLEVALUE, output, 0, 1.0), 0u);
        ASSERT_EQ(ad.Command(QZDRV_START), 0u);
    }

    Unit ad, ct0, ct1, dout;
};

}  // namespace

TEST_F(SimulatedPort, PathsOpenOnceEach)
{
    HANDLE a = OpenPath("\\AD0");
    ASSERT_NE(a, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenPath("\\ad0"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(OpenPath("\\AD7"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Port()->open(kSimDevicePath, GENERIC_READ, 0, OPEN_EXISTING, FILE_FLAG_OVERLAPPED), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(Port()->close(a));
    EXPECT_FALSE(Port()->close(a));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // Each open is a handle of its own, never INVALID_HANDLE_VALUE or null.
    HANDLE b = OpenPath("\\AD0");
    HANDLE link = OpenPath("");
    ASSERT_NE(b, INVALID_HANDLE_VALUE);
    ASSERT_NE(link, INVALID_HANDLE_VALUE);
    EXPECT_NE(b, link);
    Port()->close(b);
    Port()->close(link);
}

TEST_F(SimulatedPort, AnIoControlThatIsDoneAtOnceCompletesItsOverlapped)
{
    HANDLE link = OpenPath("");
    DriverRequest r = RegisterRequest(0, 0, 4, 0x77, 4);
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD returned = 0;
    ASSERT_TRUE(
        Port()->ioControl(link, QZIOCTL_WRITEREG, r.bytes, kRequestBytes, r.bytes, kRequestBytes, &returned, &ov));
    EXPECT_EQ(returned, kRequestBytes);
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(ov.Internal, 0u);
    EXPECT_EQ(ov.InternalHigh, kRequestBytes);
    DWORD bytes = 0;
    EXPECT_TRUE(Port()->overlappedResult(link, &ov, &bytes, FALSE));
    EXPECT_EQ(bytes, kRequestBytes);
    // A code the driver does not have.
    EXPECT_FALSE(Port()->ioControl(link, 0x222430, r.bytes, kRequestBytes, r.bytes, kRequestBytes, &returned, &ov));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    CloseHandle(ov.hEvent);
    Port()->close(link);
}

TEST_F(SimulatedPort, AWaitForAMessagePendsUntilOneComesAndCancelsPerThread)
{
    HANDLE h = OpenPath("\\CT0");
    DriverRequest r = NewDriverRequest(SubsystemTypeCT, 0);
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    EXPECT_FALSE(
        Port()->ioControl(h, QZIOCTL_WAITMESSAGE, r.bytes, kRequestBytes, r.bytes, kRequestBytes, nullptr, &ov));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // reset when it pends
    DWORD bytes = 0;
    EXPECT_FALSE(Port()->overlappedResult(h, &ov, &bytes, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));
    ASSERT_TRUE(Control().InjectFault(SimFaultMessage, SubsystemTypeCT, 0, DriverMessageOverrun, 9));
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(Port()->overlappedResult(h, &ov, &bytes, FALSE));
    EXPECT_EQ(bytes, kRequestBytes);
    EXPECT_EQ(Get32(r, ArgMessageCode), DriverMessageOverrun);
    EXPECT_EQ(Get32(r, ArgMessageValue), 9u);

    // Cancel reaches only the requests of the calling thread.
    ASSERT_FALSE(
        Port()->ioControl(h, QZIOCTL_WAITMESSAGE, r.bytes, kRequestBytes, r.bytes, kRequestBytes, nullptr, &ov));
    struct Other {
        HANDLE h;
        static DWORD WINAPI Cancel(void* p)
        {
            Port()->cancel(static_cast<Other*>(p)->h);
            return 0;
        }
    } other{h};
    HANDLE thread = CreateThread(nullptr, 0, Other::Cancel, &other, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    EXPECT_FALSE(Port()->overlappedResult(h, &ov, &bytes, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));
    EXPECT_TRUE(Port()->cancel(h));
    EXPECT_FALSE(Port()->overlappedResult(h, &ov, &bytes, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    CloseHandle(ov.hEvent);
    Port()->close(h);
}

TEST_F(SimulatedPort, ReadsCompleteOnTheIssuingThreadWithTheSamplesOfTheModel)
{
    StartLikeTheProgram(30.0, 5);
    Read reads[3];
    for (Read& r : reads)
        ASSERT_TRUE(Issue(ad.handle, r, 48000));
    // The completion routines wait for an alertable wait of this thread.
    EXPECT_FALSE(reads[0].done);
    ASSERT_TRUE(Drain({&reads[0], &reads[1], &reads[2]}, 60000));
    std::vector<uint16_t> got;
    for (Read& r : reads) {
        EXPECT_EQ(r.error, 0u);
        EXPECT_EQ(r.bytes, 96000u);
        EXPECT_EQ(r.thread, GetCurrentThreadId());
        got.insert(got.end(), r.samples.begin(), r.samples.end());
    }
    // The model of what was programmed, built here from the values read back.
    SimModelInputs in;
    in.TransmitterOn = true;
    in.RepetitionRate = ct0.Clock();
    in.ScanRateHz = ad.Clock();
    in.OutputValue = 5;
    const SignalModel model = BuildSimModel(SimSettings{}, in);
    std::vector<uint16_t> expected(got.size());
    SignalGeneratorState state;
    StartSignal(model, state);
    GenerateSamples(model, state, expected.data(), static_cast<int32_t>(expected.size()));
    EXPECT_TRUE(got == expected);
    SignalModel current;
    ASSERT_TRUE(Control().CurrentModel(&current, sizeof current));
    EXPECT_EQ(current.RepetitionRate, 30.0);
    EXPECT_EQ(current.ScanRateHz, 480000.0);
    EXPECT_EQ(current.GainCode, 5);
}

TEST_F(SimulatedPort, StopAndAbortCompleteEveryPendingReadAtOnce)
{
    Speed(1.0);
    StartLikeTheProgram(30.0, 5);
    // At once: when the command returns, no read waits at the driver any more and each one's
    // completion routine is queued for this thread.
    auto handedBack = [](uint32_t reads) {
        SimDriverCounts counts;
        return Control().GetCounts(&counts, sizeof counts) && counts.pendingRequests == 0 && counts.queuedApcs == reads;
    };
    Read a, b;
    ASSERT_TRUE(Issue(ad.handle, a, 480000));  // a quarter of a second each
    ASSERT_TRUE(Issue(ad.handle, b, 480000));
    ASSERT_EQ(ad.Command(QZDRV_STOP), 0u);
    EXPECT_TRUE(handedBack(2));
    ASSERT_TRUE(Drain({&a, &b}, 60000));
    EXPECT_EQ(a.error, 0u);
    EXPECT_EQ(a.bytes, 0u);
    EXPECT_EQ(b.bytes, 0u);
    Read c;
    ASSERT_EQ(ad.Command(QZDRV_START), 0u);
    ASSERT_TRUE(Issue(ad.handle, c, 480000));
    ASSERT_EQ(ad.Command(QZDRV_ABORT), 0u);
    EXPECT_TRUE(handedBack(1));
    ASSERT_TRUE(Drain({&c}, 60000));
    EXPECT_EQ(c.error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    DWORD bytes = 1;
    EXPECT_FALSE(Port()->overlappedResult(ad.handle, &c.ov, &bytes, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
}

// Reads wait for their samples in real time times the speed-up: never sooner, a single read
// and many in a row. (When they are due at each speed-up is pinned natively against the
// board's own clock; how fast the samples are made is measured by simulated_board_bench;
// how soon a loaded machine delivers them is its own affair.)
TEST_F(SimulatedPort, ReadsArriveAtThePaceOfTheSampleClock)
{
    Speed(1.0);
    StartLikeTheProgram(30.0, 5);
    // 480000 samples: 120000 scans at 480 kHz, a quarter of a second.
    Read slow;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(Issue(ad.handle, slow, 480000));
    ASSERT_TRUE(Drain({&slow}, 60000));
    EXPECT_GE(GetTickCount() - start, 240u);
    EXPECT_EQ(slow.bytes, 960000u);
    // Ten times as fast, eight in a row: two seconds of samples in a fifth of a second at least.
    ASSERT_EQ(ad.Command(QZDRV_STOP), 0u);
    Speed(10.0);
    ASSERT_EQ(ad.Command(QZDRV_START), 0u);
    Read fast[8];
    const DWORD again = GetTickCount();
    for (Read& r : fast)
        ASSERT_TRUE(Issue(ad.handle, r, 480000));
    ASSERT_TRUE(Drain({&fast[0], &fast[1], &fast[2], &fast[3], &fast[4], &fast[5], &fast[6], &fast[7]}, 60000));
    EXPECT_GE(GetTickCount() - again, 195u);
    for (const Read& r : fast)
        EXPECT_EQ(r.bytes, 960000u);
}

TEST_F(SimulatedPort, TransferErrorsAndClosingWithRequestsOutstanding)
{
    StartLikeTheProgram(30.0, 5);
    ASSERT_TRUE(Control().InjectFault(SimFaultFailNextRead, ERROR_GEN_FAILURE, 0, 0, 0));
    Read failed, good;
    ASSERT_TRUE(Issue(ad.handle, failed, 4800));
    ASSERT_TRUE(Issue(ad.handle, good, 4800));
    ASSERT_TRUE(Drain({&failed, &good}, 60000));
    EXPECT_EQ(failed.error, static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_EQ(failed.bytes, 0u);
    EXPECT_EQ(good.error, 0u);
    // Reads of a subsystem that gives no samples, or of odd size, are refused at once.
    Read bad;
    bad.samples.resize(8);
    EXPECT_FALSE(Port()->readEx(ct0.handle, bad.samples.data(), 16, &bad.ov, ReadDone));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    // Closing the handle completes what waits on it as cancelled.
    Speed(1.0);
    ASSERT_EQ(ad.Command(QZDRV_STOP), 0u);
    ASSERT_EQ(ad.Command(QZDRV_START), 0u);
    Read waiting;
    ASSERT_TRUE(Issue(ad.handle, waiting, 480000));
    DriverRequest r = NewDriverRequest(SubsystemTypeAD, 0);
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(Port()->ioControl(ad.handle, QZIOCTL_WAITMESSAGE, r.bytes, kRequestBytes, r.bytes, kRequestBytes,
                                   nullptr, &ov));
    ad.Close();
    ASSERT_TRUE(Drain({&waiting}, 60000));
    EXPECT_EQ(waiting.error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(ov.Internal, 0xC0000120u);
    CloseHandle(ov.hEvent);
}

namespace {

uint32_t WorkersWhenSettled(uint32_t wanted)
{
    SimDriverCounts counts;
    for (int i = 0; i < 6000; ++i) {
        if (!Control().GetCounts(&counts, sizeof counts))
            return 99;
        if (counts.workers == wanted)
            break;
        Sleep(10);
    }
    return counts.workers;
}

}  // namespace

TEST_F(SimulatedPort, TheWorkerEndsWithTheLastHandle)
{
    ASSERT_EQ(WorkersWhenSettled(0), 0u);
    HANDLE a = OpenPath("\\DIN0");
    HANDLE b = OpenPath("\\CT1");
    EXPECT_EQ(WorkersWhenSettled(1), 1u);
    Port()->close(a);
    EXPECT_EQ(WorkersWhenSettled(1), 1u);
    // The last handle goes, and a new one comes at once: one worker, never two.
    Port()->close(b);
    HANDLE c = OpenPath("\\CT0");
    EXPECT_EQ(WorkersWhenSettled(1), 1u);
    Port()->close(c);
    EXPECT_EQ(WorkersWhenSettled(0), 0u);
}
