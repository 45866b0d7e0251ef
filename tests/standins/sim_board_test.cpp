// The simulated board driven by the library's own request handlers (set/get and commands)
// over plain data: the main program's set-up reaches the board byte for byte and in the
// order of its state moves, the streams are the signal model of what was programmed, the
// board checks what it receives, and waiting requests complete as a driver completes them.
#include "standins/qzdrvsim/sim_board.h"

#include "qzdaapi32/commands.h"
#include "qzdaapi32/requests.h"
#include "standins/personality/sim_personality.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

uint32_t FakeReady(HBUFLIST, uint32_t* count)
{
    *count = 8;
    return 0;
}

// One subsystem as the library holds it, wired to the simulated board as its driver.
struct Wired {
    SimBoard* board = nullptr;
    int32_t target = kSimNoTarget;
    double wall = 0.0;
    std::vector<SimCompletion> done;
    SubsystemCore ss;
    CommandEnvironment env;

    static uint32_t Send(void* self, uint32_t ioctl, uint8_t* record, uint32_t bytes, bool* failed)
    {
        Wired& w = *static_cast<Wired*>(self);
        SimAnswer a = SimIoControl(*w.board, w.target, ioctl, record, bytes, record, bytes, true, 0, w.wall, w.done);
        if (a.error != 0) {
            *failed = true;
            return a.error;
        }
        return RequestGet32(record, bytes, ReqStatus);
    }

    QZSTATUS Set(uint32_t code, uintptr_t w0, uintptr_t w1 = 0, double r0 = 0.0)
    {
        RequestParams p{w0, w1, r0, 0.0};
        return HandleSetGetRequest(ss, code, p, SetGetEnvironment{});
    }
    QZSTATUS SetReal(uint32_t code, double r0) { return Set(code, 0, 0, r0); }
    double GetReal(uint32_t code)
    {
        RequestParams p;
        EXPECT_EQ(HandleSetGetRequest(ss, code, p, SetGetEnvironment{}), 0u);
        return p.real0;
    }
    QZSTATUS Command(uint32_t code, uintptr_t w0 = 0, uintptr_t w1 = 0, double r0 = 0.0)
    {
        RequestParams p{w0, w1, r0, 0.0};
        return HandleCommand(ss, code, p, env);
    }
};

class SimulatedBoard : public ::testing::Test {
protected:
    std::unique_ptr<SimBoard> board = std::make_unique<SimBoard>();
    Wired ad, ct0, ct1, din, dout;

    void SetUp() override
    {
        InitSimBoard(*board);
        board->settings.SpeedUp = 0.0;
        board->epochWall = 0.0;
        Open(ad, "\\AD0", SubsystemTypeAD, 0);
        Open(ct0, "\\CT0", SubsystemTypeCT, 0);
        Open(ct1, "\\ct1", SubsystemTypeCT, 1);
        Open(din, "\\DIN0", SubsystemTypeDIN, 0);
        Open(dout, "\\DOUT0", SubsystemTypeDOUT, 0);
    }

    void Open(Wired& w, const char* tail, uint32_t type, uint32_t element)
    {
        w.board = board.get();
        const std::string path = std::string(kSimInterfacePath) + tail;
        ASSERT_EQ(SimOpen(*board, path.c_str(), true, false, true, &w.target), 0u) << path;
        w.ss.type = type;
        w.ss.element = element;
        ASSERT_TRUE(SimCapabilities(type, element, &w.ss.caps));
        ASSERT_EQ(AllocateConfiguration(w.ss), QZERR_NO_ERROR);
        ApplyDefaultConfiguration(w.ss);
        w.env.context = &w;
        w.env.send = Wired::Send;
        w.env.readyCount = FakeReady;
    }

    // The main program's board set-up (counters, digital lines, analog input), gain code g.
    void SetUpLikeTheProgram(double rate, uint32_t output)
    {
        Wired* counters[2] = {&ct0, &ct1};
        double clock = rate;
        for (int i = 0; i < 2; ++i) {
            Wired& c = *counters[i];
            if (i == 1)
                clock = 2.0 * clock;
            ASSERT_EQ(c.Set(QZDRV_SETCASCADEMODE, 901), 0u);
            ASSERT_EQ(c.Set(QZDRV_SETGATETYPE, i == 0 ? 500 : 504), 0u);
            ASSERT_EQ(c.Set(QZDRV_SETCOUNTERMODE, i == 0 ? 701 : 703), 0u);
            ASSERT_EQ(c.Set(QZDRV_SETCLOCKSOURCE, 400), 0u);
            ASSERT_EQ(c.SetReal(QZDRV_SETCLOCKFREQUENCY, clock), 0u);
            ASSERT_EQ(c.Set(QZDRV_SETPULSETYPE, 601), 0u);
            ASSERT_EQ(c.SetReal(QZDRV_SETPULSEWIDTH, i == 0 ? 25.0 : 50.0), 0u);
            ASSERT_EQ(c.Command(QZDRV_CONFIG), 0u);
            ASSERT_EQ(c.Command(QZDRV_START), 0u);
            clock = c.GetReal(QZDRV_GETCLOCKFREQUENCY);
        }
        ASSERT_EQ(din.Set(QZDRV_SETDATAFLOW, 800), 0u);
        ASSERT_EQ(dout.Set(QZDRV_SETDATAFLOW, 801), 0u);
        ASSERT_EQ(dout.Command(QZDRV_CONFIG), 0u);
        ASSERT_EQ(ad.Set(QZDRV_SETDATAFLOW, 800), 0u);
        ASSERT_EQ(ad.Set(QZDRV_SETWRAPMODE, 1001), 0u);
        ASSERT_EQ(ad.Set(QZDRV_SETCHANNELTYPE, 100), 0u);
        ASSERT_EQ(ad.Set(QZDRV_SETCHANNELLISTSIZE, 4), 0u);
        for (uint32_t i = 0; i < 4; ++i)
            ASSERT_EQ(ad.Set(QZDRV_SETCHANNELLISTENTRY, i, i), 0u);
        ASSERT_EQ(ad.Set(QZDRV_SETTRIGGER, 306), 0u);
        ASSERT_EQ(ad.SetReal(QZDRV_SETCLOCKFREQUENCY, 480000.0), 0u);
        ASSERT_EQ(ad.Command(QZDRV_CONFIG), 0u);
        adAfterConfig = ad.ss.configuration;
        ASSERT_EQ(ad.Command(QZDRV_START), 0u);
        ASSERT_EQ(dout.Command(QZDRV_SETSINGLEVALUE, output, 0, 1.0), 0u);
    }

    ConfigRecord adAfterConfig;

    std::vector<SimCompletion> done;

    std::vector<uint16_t> Read(uint32_t samples, uint64_t id)
    {
        std::vector<uint16_t> data(samples);
        SimAnswer a =
            SimQueueRead(*board, ad.target, reinterpret_cast<uint8_t*>(data.data()), samples * 2, true, id, 0.0, done);
        EXPECT_TRUE(a.pending);
        return data;
    }
};

}  // namespace

TEST_F(SimulatedBoard, PathsOpenOnceEach)
{
    int32_t target = 0;
    const std::string ad0 = std::string(kSimDevicePath) + "\\AD0";
    // Already open by the other route's spelling: no sharing.
    EXPECT_EQ(SimOpen(*board, ad0.c_str(), true, false, true, &target), SimErrorSharingViolation);
    EXPECT_EQ(SimOpen(*board, "\\\\.\\QzSimBrd0\\AD1", true, false, true, &target), SimErrorFileNotFound);
    EXPECT_EQ(SimOpen(*board, "\\\\.\\Other", true, false, true, &target), SimErrorFileNotFound);
    ASSERT_EQ(SimOpen(*board, "\\\\.\\qzsimbrd0", true, false, true, &target), 0u);
    EXPECT_EQ(target, kSimDeviceTarget);
    EXPECT_EQ(SimOpen(*board, kSimInterfacePath, true, false, true, &target), SimErrorSharingViolation);
    EXPECT_EQ(SimCountsOf(*board).openHandles, 6u);
    SimClose(*board, ad.target, done);
    ASSERT_EQ(SimOpen(*board, ad0.c_str(), true, false, true, &target), 0u);
    EXPECT_EQ(target, ad.target);
    EXPECT_EQ(SimCountsOf(*board).protocolViolations, 0u);
}

TEST_F(SimulatedBoard, ProgramSetUpReachesTheBoardByteForByte)
{
    SetUpLikeTheProgram(30.0, 5);
    const SimUnit& unit = board->units[ad.target];
    // What came back is the library's record now; what arrived differs only where the board
    // answered: the clock it runs at (as a float, with the form word set) and the status.
    EXPECT_EQ(unit.returned, adAfterConfig);
    ASSERT_EQ(unit.received.size(), ConfigureRequestSize(ad.ss.caps));
    for (size_t i = 0; i < unit.received.size(); ++i) {
        if ((i >= CfgClockForm && i < CfgClockForm + 2) || (i >= CfgClockFloat && i < CfgClockFloat + 4))
            continue;
        EXPECT_EQ(unit.received[i], adAfterConfig[i]) << "byte " << i;
    }
    EXPECT_EQ(Get16(unit.received, CfgClockForm), 0u);
    EXPECT_EQ(GetFloat(unit.received, CfgClockFloat), 480000.0f);
    EXPECT_EQ(Get32(unit.received, CfgState), SubsystemStateConfigured);
    EXPECT_EQ(unit.channelList, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(ad.GetReal(QZDRV_GETCLOCKFREQUENCY), 480000.0);
    EXPECT_EQ(ct0.GetReal(QZDRV_GETCLOCKFREQUENCY), 30.0);
    EXPECT_EQ(ct1.GetReal(QZDRV_GETCLOCKFREQUENCY), 60.0);
    // The board divides its clock: a rate that does not divide it reads back as it runs.
    EXPECT_EQ(board->units[3].clockHz, 30.0);
    ASSERT_EQ(ct0.Command(QZDRV_STOP), 0u);
    ASSERT_EQ(ct0.SetReal(QZDRV_SETCLOCKFREQUENCY, 285.0), 0u);
    ASSERT_EQ(ct0.Command(QZDRV_CONFIG), 0u);
    EXPECT_NEAR(ct0.GetReal(QZDRV_GETCLOCKFREQUENCY), 48.0e6 / 168421.0, 1e-3);
    // The requests each unit received, in order.
    std::vector<uint32_t> codes;
    for (const SimLogEntry& e : board->units[ad.target].log)
        codes.push_back(e.ioctl);
    EXPECT_EQ(codes, (std::vector<uint32_t>{QZIOCTL_CONFIG, QZIOCTL_START}));
    EXPECT_EQ(SimCountsOf(*board).protocolViolations, 0u);
}

TEST_F(SimulatedBoard, SamplesAreTheModelOfWhatWasProgrammed)
{
    SetUpLikeTheProgram(30.0, 5);
    std::vector<uint16_t> first = Read(4800, 1);
    std::vector<uint16_t> second = Read(4800, 2);
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(done[0].id, 1u);
    EXPECT_EQ(done[0].error, 0u);
    EXPECT_EQ(done[0].bytes, 9600u);

    // The model from the programmed values, built here: counter 0's rate, the sample clock,
    // the converter's range and resolution, the output lines.
    SimModelInputs in;
    in.TransmitterOn = true;
    in.RepetitionRate = ct0.GetReal(QZDRV_GETCLOCKFREQUENCY);
    in.ScanRateHz = ad.GetReal(QZDRV_GETCLOCKFREQUENCY);
    in.OutputValue = 5;
    const SignalModel model = BuildSimModel(board->settings, in);
    EXPECT_EQ(model.RepetitionRate, 30.0);
    EXPECT_EQ(model.ScanRateHz, 480000.0);
    EXPECT_EQ(model.GainCode, 5);
    EXPECT_EQ(model.DecayModel, DecayModelHalfSpace);
    std::vector<uint16_t> expected(9600);
    SignalGeneratorState state;
    StartSignal(model, state);
    GenerateSamples(model, state, expected.data(), 9600);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), expected.begin()));
    EXPECT_TRUE(std::equal(second.begin(), second.end(), expected.begin() + 4800));
    // Channel 1 is the synchronisation: +9 V while the positive current flows.
    EXPECT_EQ(first[1], VoltsToCode(9.0, -10.0, 10.0, 16));

    // A new gain code takes effect from the samples taken after it was written.
    ASSERT_EQ(dout.Command(QZDRV_SETSINGLEVALUE, 0x36, 0, 1.0), 0u);
    std::vector<uint16_t> third = Read(4800, 3);
    SignalModel later = model;
    SimModelInputs testInputs = in;
    testInputs.OutputValue = 0x36;
    later = BuildSimModel(board->settings, testInputs);
    std::vector<uint16_t> expectedThird(4800);
    GenerateSamples(later, state, expectedThird.data(), 4800);
    EXPECT_EQ(third, expectedThird);
    EXPECT_EQ(later.DecayModel, DecayModelTestSource);
    EXPECT_EQ(later.GainCode, 6);
}

TEST_F(SimulatedBoard, DigitalOutputKeepsATimeStampedLog)
{
    SetUpLikeTheProgram(30.0, 3);
    dout.wall = 0.25;
    ASSERT_EQ(dout.Command(QZDRV_SETSINGLEVALUE, 0x13, 0, 1.0), 0u);
    dout.wall = 0.30;
    ASSERT_EQ(dout.Command(QZDRV_SETSINGLEVALUE, 0x14, 0, 1.0), 0u);
    ASSERT_EQ(board->outputLog.size(), 3u);
    EXPECT_EQ(board->outputLog[0].value, 3u);
    EXPECT_EQ(board->outputLog[1].value, 0x13u);
    EXPECT_DOUBLE_EQ(board->outputLog[1].timeMs, 250.0);
    EXPECT_EQ(board->outputLog[2].value, 0x14u);
    EXPECT_NEAR(board->outputLog[2].timeMs - board->outputLog[1].timeMs, 50.0, 1e-9);
    // Only channel 0 exists; the port reads back what was written.
    EXPECT_EQ(dout.Command(QZDRV_SETSINGLEVALUE, 1, 1, 1.0), QZERR_INVALID_CHANNEL);
    EXPECT_EQ(board->outputLog.size(), 3u);
}

TEST_F(SimulatedBoard, StopAndAbortCompleteEveryPendingRead)
{
    SetUpLikeTheProgram(30.0, 5);
    board->settings.SpeedUp = 1.0;  // reads now wait for their samples
    ASSERT_EQ(ad.Command(QZDRV_STOP), 0u);
    ad.wall = 10.0;
    ASSERT_EQ(ad.Command(QZDRV_START), 0u);
    std::vector<uint16_t> a(480), b(480);
    SimQueueRead(*board, ad.target, reinterpret_cast<uint8_t*>(a.data()), 960, true, 7, 10.0, done);
    SimQueueRead(*board, ad.target, reinterpret_cast<uint8_t*>(b.data()), 960, true, 8, 10.0, done);
    EXPECT_TRUE(done.empty());
    // 120 scans at 480 kHz: due 0.25 ms after the start.
    EXPECT_NEAR(SimNextDue(*board, 10.0), 10.0 + 120.0 / 480000.0, 1e-12);
    SimAdvance(*board, 10.0002, done);
    EXPECT_TRUE(done.empty());
    SimAdvance(*board, 10.0003, done);
    ASSERT_EQ(done.size(), 1u);
    // The stop hands back what is in process at once, as it stands.
    ad.done.clear();
    ASSERT_EQ(ad.Command(QZDRV_STOP), 0u);
    ASSERT_EQ(ad.done.size(), 1u);
    EXPECT_EQ(ad.done[0].id, 8u);
    EXPECT_EQ(ad.done[0].error, 0u);
    EXPECT_EQ(ad.done[0].bytes, 0u);
    // An abort cancels.
    ASSERT_EQ(ad.Command(QZDRV_START), 0u);
    SimQueueRead(*board, ad.target, reinterpret_cast<uint8_t*>(a.data()), 960, true, 9, 10.0, done);
    ad.done.clear();
    ASSERT_EQ(ad.Command(QZDRV_ABORT), 0u);
    ASSERT_EQ(ad.done.size(), 1u);
    EXPECT_EQ(ad.done[0].error, SimErrorOperationAborted);
    EXPECT_EQ(SimCountsOf(*board).pendingReads, 0u);
}

// A read is due when its last scan has been taken at the sample clock, the board's time
// running SpeedUp times as fast as the wall clock: a quarter of a second of samples is due a
// fortieth of a second after the start at ten times, never before.
TEST_F(SimulatedBoard, ReadsAreDueAtTheSampleClockTimesTheSpeedUp)
{
    SetUpLikeTheProgram(30.0, 5);
    for (double speedUp : {1.0, 10.0, 0.25}) {
        board->settings.SpeedUp = speedUp;
        ASSERT_EQ(ad.Command(QZDRV_STOP), 0u);
        ad.wall = 10.0;
        ASSERT_EQ(ad.Command(QZDRV_START), 0u);
        std::vector<uint16_t> a(480000);  // 120000 scans of four channels at 480 kHz
        SimQueueRead(*board, ad.target, reinterpret_cast<uint8_t*>(a.data()), 960000, true, 1, 10.0, done);
        const double due = 10.0 + 0.25 / speedUp;
        EXPECT_NEAR(SimNextDue(*board, 10.0), due, 1e-9) << speedUp;
        SimAdvance(*board, due - 1e-6, done);
        EXPECT_TRUE(done.empty()) << speedUp;
        SimAdvance(*board, due + 1e-6, done);
        ASSERT_EQ(done.size(), 1u) << speedUp;
        EXPECT_EQ(done[0].bytes, 960000u);
        done.clear();
    }
}

TEST_F(SimulatedBoard, PauseHoldsTheStream)
{
    SetUpLikeTheProgram(30.0, 5);
    board->settings.SpeedUp = 2.0;
    ASSERT_EQ(ad.Command(QZDRV_STOP), 0u);
    ASSERT_EQ(ad.Set(QZDRV_SETDATAFLOW, 800), 0u);
    ASSERT_EQ(ad.Command(QZDRV_START), 0u);
    ad.wall = 1.0;
    ASSERT_EQ(ad.Command(QZDRV_PAUSE), 0u);
    std::vector<uint16_t> a(480);
    SimQueueRead(*board, ad.target, reinterpret_cast<uint8_t*>(a.data()), 960, true, 1, 5.0, done);
    SimAdvance(*board, 50.0, done);
    EXPECT_TRUE(done.empty());
    ad.wall = 60.0;
    ASSERT_EQ(ad.Command(QZDRV_CONTINUE), 0u);
    // The start moved by the pause: the read is due 59 s (the pause) plus 120 scans at twice
    // the pace after the start.
    EXPECT_NEAR(SimNextDue(*board, 60.0), 59.0 + 120.0 / 480000.0 / 2.0, 1e-9);
}

TEST_F(SimulatedBoard, MessagesAnswerWaitingRequests)
{
    uint8_t record[kRequestBytes];
    DriverRequest r = NewDriverRequest(SubsystemTypeAD, 0);
    std::memcpy(record, r.bytes, kRequestBytes);
    SimAnswer a = SimIoControl(*board, ad.target, QZIOCTL_WAITMESSAGE, record, kRequestBytes, record, kRequestBytes,
                               true, 41, 0.0, done);
    EXPECT_TRUE(a.pending);
    SimPostMessage(*board, ad.target, DriverMessageOverrun, 5, done);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].id, 41u);
    EXPECT_EQ(done[0].bytes, kRequestBytes);
    EXPECT_EQ(RequestGet32(record, kRequestBytes, ArgMessageCode), DriverMessageOverrun);
    EXPECT_EQ(RequestGet32(record, kRequestBytes, ArgMessageValue), 5u);
    // A message without a waiting request waits for the next one, which it answers at once.
    SimPostMessage(*board, ad.target, DriverMessageEvent, 0, done);
    std::memcpy(record, r.bytes, kRequestBytes);
    a = SimIoControl(*board, ad.target, QZIOCTL_WAITMESSAGE, record, kRequestBytes, record, kRequestBytes, true, 42,
                     0.0, done);
    EXPECT_FALSE(a.pending);
    EXPECT_EQ(RequestGet32(record, kRequestBytes, ArgMessageCode), DriverMessageEvent);
    // Closing the handle cancels what waits.
    a = SimIoControl(*board, ad.target, QZIOCTL_WAITMESSAGE, record, kRequestBytes, record, kRequestBytes, true, 43,
                     0.0, done);
    EXPECT_TRUE(a.pending);
    done.clear();
    SimClose(*board, ad.target, done);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].error, SimErrorOperationAborted);
    EXPECT_EQ(SimCountsOf(*board).pendingWaits, 0u);
}

TEST_F(SimulatedBoard, TheBoardChecksWhatItReceives)
{
    uint8_t record[kRequestBytes];
    DriverRequest r = NewDriverRequest(SubsystemTypeAD, 0);
    std::memcpy(record, r.bytes, kRequestBytes);
    // A synchronous request on an overlapped handle without an OVERLAPPED record is refused.
    SimAnswer a = SimIoControl(*board, ad.target, QZIOCTL_STOP, record, kRequestBytes, record, kRequestBytes, false, 0,
                               0.0, done);
    EXPECT_EQ(a.error, SimErrorInvalidParameter);
    EXPECT_EQ(SimCountsOf(*board).protocolViolations, 1u);
    // The wrong length.
    a = SimIoControl(*board, ad.target, QZIOCTL_STOP, record, 100, record, 100, true, 0, 0.0, done);
    EXPECT_EQ(a.error, SimErrorInvalidParameter);
    // Another subsystem's header.
    DriverRequest other = NewDriverRequest(SubsystemTypeCT, 1);
    std::memcpy(record, other.bytes, kRequestBytes);
    a = SimIoControl(*board, ad.target, QZIOCTL_STOP, record, kRequestBytes, record, kRequestBytes, true, 0, 0.0, done);
    EXPECT_EQ(a.error, 0u);
    EXPECT_EQ(RequestGet32(record, kRequestBytes, ReqStatus), QZERR_INVALID_SUBSYSTEM_SPECIFIED);
    // A start before any configuration.
    std::memcpy(record, r.bytes, kRequestBytes);
    SimIoControl(*board, ad.target, QZIOCTL_START, record, kRequestBytes, record, kRequestBytes, true, 0, 0.0, done);
    EXPECT_EQ(RequestGet32(record, kRequestBytes, ReqStatus), QZERR_SYSTEM_NOT_CONFIGURED);
    // A configuration whose state word does not match its flow, and one with a bad clock.
    ConfigRecord bad = ad.ss.configuration;
    bad.resize(ConfigureRequestSize(ad.ss.caps));
    Put32(bad, CfgSubsystemType, SubsystemTypeAD);
    Put32(bad, CfgState, SubsystemStateChanged);
    SimIoControl(*board, ad.target, QZIOCTL_CONFIG, bad.data(), static_cast<uint32_t>(bad.size()), bad.data(),
                 static_cast<uint32_t>(bad.size()), true, 0, 0.0, done);
    EXPECT_EQ(Get32(bad, ReqStatus), QZERR_SYSTEM_NOT_CONFIGURED);
    Put32(bad, CfgState, SubsystemStateConfigured);
    PutFixed(bad, CfgClockFixed, EncodeFixedPoint(2.0e6));
    SimIoControl(*board, ad.target, QZIOCTL_CONFIG, bad.data(), static_cast<uint32_t>(bad.size()), bad.data(),
                 static_cast<uint32_t>(bad.size()), true, 0, 0.0, done);
    EXPECT_EQ(Get32(bad, ReqStatus), QZERR_INVALID_FREQUENCY);
    EXPECT_EQ(SimCountsOf(*board).protocolViolations, 6u);
    EXPECT_FALSE(board->units[ad.target].configured);
    // The device link serves only the board-level requests.
    int32_t device = 0;
    ASSERT_EQ(SimOpen(*board, kSimDevicePath, true, false, true, &device), 0u);
    a = SimIoControl(*board, device, QZIOCTL_START, r.bytes, kRequestBytes, r.bytes, kRequestBytes, true, 0, 0.0, done);
    EXPECT_EQ(a.error, SimErrorInvalidFunction);
}

TEST_F(SimulatedBoard, InjectedRefusalsAndTransferErrors)
{
    SetUpLikeTheProgram(30.0, 5);
    ASSERT_EQ(ct0.Command(QZDRV_STOP), 0u);
    board->faults.failNext[QZIOCTL_START] = QZERR_A_D_TRIGGER_ERROR;
    EXPECT_EQ(ct0.Command(QZDRV_START), QZERR_A_D_TRIGGER_ERROR);
    EXPECT_EQ(board->units[3].run, SimIdle);
    EXPECT_EQ(SubsystemStateOf(ct0.ss), SubsystemStateConfigured);
    EXPECT_EQ(board->units[3].log.back().status, QZERR_A_D_TRIGGER_ERROR);
    board->faults.failNextRead = SimErrorGenFailure;
    Read(400, 1);
    Read(400, 2);
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(done[0].error, SimErrorGenFailure);
    EXPECT_EQ(done[0].bytes, 0u);
    EXPECT_EQ(done[1].error, 0u);
}

TEST_F(SimulatedBoard, BoardLevelRequests)
{
    int32_t device = 0;
    ASSERT_EQ(SimOpen(*board, kSimDevicePath, true, false, true, &device), 0u);
    auto ask = [&](DriverRequest r, uint32_t code) {
        SimIoControl(*board, device, code, r.bytes, kRequestBytes, r.bytes, kRequestBytes, true, 0, 0.0, done);
        return r;
    };
    ask(RegisterRequest(0, 0, 0x10, 0x12345678, 2), QZIOCTL_WRITEREG);
    DriverRequest read = ask(RegisterRequest(0, 0, 0x10, 0, 4), QZIOCTL_READREG);
    EXPECT_EQ(Get32(read, ArgRegisterValue), 0x5678u);
    read = ask(RegisterRequest(0, 0, 0x10, 0, 3), QZIOCTL_READREG);
    EXPECT_EQ(Get32(read, ReqStatus), QZERR_INVALID_CHANNEL);

    DriverRequest pot = NewDriverRequest(0, 0);
    Put32(pot, 16, 1);
    Put32(pot, 20, 2);
    Put32(pot, 24, 3);
    Put32(pot, 28, 99);
    ask(pot, QZIOCTL_WRITECALPOT);
    Put32(pot, 28, 0);
    EXPECT_EQ(Get32(ask(pot, QZIOCTL_READCALPOT), ArgCalPotValue), 99u);

    HardwareInfo info = ReadHardwareInfo(ask(NewDriverRequest(0, 0), QZIOCTL_GETHWINFO));
    EXPECT_EQ(info.word, kSimBoardType);
    EXPECT_EQ(info.word3, kSimSerialNumber);
    const uint32_t words[5] = {1, 2, 3, 4, 5};
    uint8_t block[kHwInfoBlockBytes] = {9, 8, 7};
    ask(SetHardwareInfoRequest(words, block), QZIOCTL_SETHWINFO);
    info = ReadHardwareInfo(ask(NewDriverRequest(0, 0), QZIOCTL_GETHWINFO));
    EXPECT_EQ(info.word, 1u);
    EXPECT_EQ(info.half1, 2u);
    EXPECT_EQ(info.block[2], 7);
    // The subsystem's register requests reach the same registers.
    RequestParams p{0x10, 0, 4.0, 0.0};
    ASSERT_EQ(HandleCommand(ad.ss, QZDRV_READREG, p, ad.env), 0u);
    EXPECT_EQ(p.word1, 0x5678u);
}

TEST_F(SimulatedBoard, CountersAndSingleValues)
{
    board->settings.SpeedUp = 1.0;
    ASSERT_EQ(ct0.Set(QZDRV_SETCOUNTERMODE, 700), 0u);
    ASSERT_EQ(ct0.SetReal(QZDRV_SETCLOCKFREQUENCY, 1000.0), 0u);
    ASSERT_EQ(ct0.Command(QZDRV_CONFIG), 0u);
    ct0.wall = 2.0;
    ASSERT_EQ(ct0.Command(QZDRV_START), 0u);
    ct0.wall = 2.5;
    RequestParams p;
    ASSERT_EQ(HandleCommand(ct0.ss, QZDRV_READEVENTS, p, ct0.env), 0u);
    EXPECT_EQ(p.word0, 500u);
    // The analog input read one value at a time.
    ASSERT_EQ(ad.Set(QZDRV_SETDATAFLOW, 801), 0u);
    ASSERT_EQ(ad.Command(QZDRV_CONFIG), 0u);
    RequestParams v{kExtendedSingleValue | 2, 0, 1.0, 0.0};
    ASSERT_EQ(HandleCommand(ad.ss, QZDRV_GETSINGLEVALUE, v, ad.env), 0u);
    EXPECT_EQ(v.word1, 32768u);  // no transmitter: the input is at 0 V
    EXPECT_NEAR(v.real1, 0.0, 1e-12);
    EXPECT_EQ(din.Command(QZDRV_GETSINGLEVALUE), QZERR_DATAFLOW_MISMATCH);
}

// The settings a run gets from its environment (QZSIM_OPTIONS).
TEST(SimOptions, NamesAndValuesAreCheckedBeforeAnythingChanges)
{
    SimSettings s;
    ASSERT_TRUE(ParseSimOptions(" SpeedUp=10; resistivityohmm = 30,NoiseVolts=0.001;;Seed=7 ", s));
    EXPECT_EQ(s.SpeedUp, 10.0);
    EXPECT_EQ(s.ResistivityOhmM, 30.0);
    EXPECT_EQ(s.NoiseVolts, 0.001);
    EXPECT_EQ(s.Seed, 7u);
    EXPECT_EQ(s.TestSourceScale, 1.0);
    ASSERT_TRUE(ParseSimOptions("testsourcescale=0.8", s));
    EXPECT_EQ(s.TestSourceScale, 0.8);
    // A transmitter may switch ahead of its sync edge.
    ASSERT_TRUE(ParseSimOptions("TurnOffDelayUs=-1.2;RampUs=100", s));
    EXPECT_EQ(s.TurnOffDelayUs, -1.2);
    EXPECT_EQ(s.RampUs, 100.0);
    EXPECT_TRUE(ParseSimOptions("", s));
    EXPECT_TRUE(ParseSimOptions(nullptr, s));
    const SimSettings before = s;
    for (const char* bad :
         {"SpeedUp", "SpeedUp=", "SpeedUp=fast", "SpeedUp=-1", "SpeedUp=inf", "SpeedUp=nan", "Colour=3",
          "ResistivityOhmM=0", "LoopAreaM2=-5", "HumHz=1e400", "Seed=-1", "SpeedUp=2;Colour=3", "TestSourceScale=-0.5",
          "TestSourceScale=nan", "RampUs=-1", "TurnOffDelayUs=nan", "NoiseVolts=-0.1"}) {
        EXPECT_FALSE(ParseSimOptions(bad, s)) << bad;
        EXPECT_EQ(s.SpeedUp, before.SpeedUp) << bad;
    }
}

// The defaults stand for the receiver's default set-up in the field: the transmitter's time
// zero 5.9 us after the sync edge, a noise floor of about two converter codes with a little hum
// at the mains of the rate's family; the internal test generator replaces the sensor, and with
// it the noise, the hum and the transmitter's delay.
TEST(SimOptions, DefaultsAreTheFieldTheReceiverIsSetFor)
{
    const SimSettings defaults;
    SimModelInputs in;
    in.TransmitterOn = true;
    in.RepetitionRate = 30.0;
    in.OutputValue = 5;
    const SignalModel field = BuildSimModel(defaults, in);
    EXPECT_EQ(field.TurnOffDelayUs, 5.9);
    EXPECT_EQ(field.RampUs, 0.0);
    EXPECT_NEAR(field.NoiseVolts / (20.0 / 65536.0), 2.0, 0.1);
    EXPECT_GT(field.HumVolts, 0.0);
    EXPECT_EQ(field.HumHz, 60.0);
    in.OutputValue = 0x215;
    const SignalModel test = BuildSimModel(defaults, in);
    EXPECT_EQ(test.NoiseVolts, 0.0);
    EXPECT_EQ(test.HumVolts, 0.0);
    EXPECT_EQ(test.TurnOffDelayUs, 0.0);
    SimSettings hum;
    hum.HumHz = 55.0;
    EXPECT_EQ(BuildSimModel(hum, in).HumHz, 55.0);

    // The families' rates at 60 and 50 Hz mains.
    const double rates60[] = {285.0, 75.0, 30.0, 7.5, 3.0, 0.75, 0.3};
    const double rates50[] = {237.5, 62.5, 25.0, 6.25, 2.5, 0.625, 0.25};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(MainsOfRepetitionRate(rates60[i]), 60.0) << rates60[i];
        EXPECT_EQ(MainsOfRepetitionRate(rates50[i]), 50.0) << rates50[i];
    }
    EXPECT_EQ(MainsOfRepetitionRate(285.0002), 60.0);  // as counter 0 divides the base clock
    EXPECT_EQ(MainsOfRepetitionRate(0.0), 60.0);
    EXPECT_EQ(MainsOfRepetitionRate(std::nan("")), 60.0);
}
