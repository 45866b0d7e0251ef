// qzdaapi32.dll on the simulated board, as V-LOX uses it (both DLLs imported by ordinal): the
// board found in the registry and opened by name, its subsystems, every command's state moves
// and failure codes as the board answers them, the digital output's log, the diagnostics, the
// rename, the mended failure paths, and a clean release. The simulated board checks what it
// receives; no test may leave it a breach of the driver protocol.
#include "qzdaapi32/qzdaapi32.h"

#include "qzdaapi32/driver_request.h"
#include "standins/personality/qzsimbrd_control_win.h"
#include "standins/personality/sim_personality.h"
#include "standins/personality/sim_registration_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

SimBoardControl& Control()
{
    static SimBoardControl control;
    return control;
}

struct Found {
    std::vector<std::string> boards;
    std::vector<std::string> drivers;
    std::string model;
};

int32_t __stdcall CollectBoards(const char* board, const char* driver, intptr_t user)
{
    auto& f = *reinterpret_cast<Found*>(user);
    f.boards.push_back(board);
    f.drivers.push_back(driver);
    return 1;
}

int32_t __stdcall CollectBoardsEx(const char* board, const char* driver, void* key, intptr_t user)
{
    auto& f = *reinterpret_cast<Found*>(user);
    f.boards.push_back(board);
    f.drivers.push_back(driver);
    char model[64] = {};
    DWORD bytes = sizeof model;
    if (RegQueryValueExA(static_cast<HKEY>(key), "BoardModelName", nullptr, nullptr, reinterpret_cast<BYTE*>(model),
                         &bytes) == ERROR_SUCCESS)
        f.model = model;
    return 1;
}

int32_t __stdcall CollectUnits(const char* name, uint32_t, uint32_t, intptr_t user)
{
    reinterpret_cast<std::vector<std::string>*>(user)->push_back(name);
    return 1;
}

std::vector<uint32_t> Requests(uint32_t type, uint32_t element, std::vector<uint32_t>* statuses = nullptr)
{
    SimLogEntry entries[512];
    const uint32_t n = Control().RequestLog(type, element, entries, 512);
    std::vector<uint32_t> codes;
    for (uint32_t i = 0; i < n && i < 512; ++i) {
        // The copy thread's waits for driver messages go on beside every command.
        if (entries[i].ioctl == QZIOCTL_WAITMESSAGE)
            continue;
        codes.push_back(entries[i].ioctl);
        if (statuses != nullptr)
            statuses->push_back(entries[i].status);
    }
    return codes;
}

SimDriverCounts Counts()
{
    SimDriverCounts counts;
    EXPECT_TRUE(Control().GetCounts(&counts, sizeof counts));
    return counts;
}

class Board : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(RegisterSimBoardInterface());
        ASSERT_TRUE(RegisterSimBoardDeviceMap());
        ASSERT_TRUE(Control().Load());
    }

    void SetUp() override
    {
        SimSettings settings;
        settings.SpeedUp = 0.0;
        ASSERT_TRUE(Control().SetSettings(&settings));
        Control().ClearOutputLog();
        violationsBefore = Counts().board.protocolViolations;
    }

    void TearDown() override
    {
        for (SubsystemHandle s : opened)
            qzDaReleaseDASS(s);
        if (device != nullptr)
            qzDaTerminate(device);
        const SimDriverCounts counts = Counts();
        EXPECT_EQ(counts.board.protocolViolations, violationsBefore);
        for (uint32_t i = violationsBefore; i < counts.board.protocolViolations; ++i) {
            char text[200] = {};
            Control().Violation(i, text, sizeof text);
            ADD_FAILURE() << "the board refused: " << text;
        }
    }

    void Open()
    {
        ASSERT_EQ(qzDaInitialize(kSimBoardName, &device), QZERR_NO_ERROR);
        ASSERT_NE(device, nullptr);
    }

    SubsystemHandle Subsystem(uint32_t type, uint32_t element = 0)
    {
        SubsystemHandle s = nullptr;
        EXPECT_EQ(qzDaGetDASS(device, type, element, &s), QZERR_NO_ERROR) << type << " " << element;
        if (s != nullptr)
            opened.push_back(s);
        return s;
    }

    void Release(SubsystemHandle s)
    {
        EXPECT_EQ(qzDaReleaseDASS(s), QZERR_NO_ERROR);
        for (auto& o : opened) {
            if (o == s)
                o = nullptr;
        }
    }

    // The main program's counter set-up: counter 0 at the rate, 25 %; counter 1 at twice what
    // counter 0 reads back, 50 %.
    void StartCounters(double rate)
    {
        double clock = rate;
        for (uint32_t element = 0; element < 2; ++element) {
            SubsystemHandle c = Subsystem(SubsystemTypeCT, element);
            counters[element] = c;
            if (element == 1)
                clock *= 2.0;
            ASSERT_EQ(qzDaSetCascadeMode(c, 901), 0u);
            ASSERT_EQ(qzDaSetGateType(c, element == 0 ? 500 : 504), 0u);
            ASSERT_EQ(qzDaSetCTMode(c, element == 0 ? 701 : 703), 0u);
            ASSERT_EQ(qzDaSetClockSource(c, 400), 0u);
            ASSERT_EQ(qzDaSetClockFrequency(c, clock), 0u);
            ASSERT_EQ(qzDaSetPulseType(c, 601), 0u);
            ASSERT_EQ(qzDaSetPulseWidth(c, element == 0 ? 25.0 : 50.0), 0u);
            ASSERT_EQ(qzDaConfig(c), 0u);
            ASSERT_EQ(qzDaStart(c), 0u);
            ASSERT_EQ(qzDaGetClockFrequency(c, &clock), 0u);
        }
    }

    void SetUpAnalogInput(SubsystemHandle ad, uint32_t buffers, uint32_t samples)
    {
        ASSERT_EQ(qzDaSetDataFlow(ad, 800), 0u);
        ASSERT_EQ(qzDaSetWrapMode(ad, 1001), 0u);
        ASSERT_EQ(qzDaSetChannelType(ad, 100), 0u);
        ASSERT_EQ(qzDaSetChannelListSize(ad, 4), 0u);
        for (uint32_t i = 0; i < 4; ++i)
            ASSERT_EQ(qzDaSetChannelListEntry(ad, i, i), 0u);
        ASSERT_EQ(qzDaSetTrigger(ad, 306), 0u);
        ASSERT_EQ(qzDaSetClockFrequency(ad, 480000.0), 0u);
        ASSERT_EQ(qzDaConfig(ad), 0u);
        for (uint32_t i = 0; i < buffers; ++i) {
            HBUF buffer = nullptr;
            ASSERT_EQ(MemAllocBuffer(0, 0, samples, 2, &buffer), 0u);
            ASSERT_EQ(qzDaPutBuffer(ad, buffer), 0u);
        }
    }

    // A stopped or aborted run leaves its buffers on the done queue: the client queues them
    // again, as the main program does.
    void Requeue(SubsystemHandle ad)
    {
        HBUF buffer = nullptr;
        while (qzDaGetBuffer(ad, &buffer) == QZERR_NO_ERROR && buffer != nullptr)
            ASSERT_EQ(qzDaPutBuffer(ad, buffer), 0u);
    }

    DeviceHandle device = nullptr;
    SubsystemHandle counters[2] = {};
    std::vector<SubsystemHandle> opened;
    uint32_t violationsBefore = 0;
};

}  // namespace

TEST_F(Board, EnumerationFindsTheSimulatedBoard)
{
    Found found;
    ASSERT_EQ(qzDaEnumBoards(CollectBoards, reinterpret_cast<intptr_t>(&found)), QZERR_NO_ERROR);
    ASSERT_EQ(found.boards.size(), 1u);
    EXPECT_EQ(found.boards[0], kSimBoardName);
    EXPECT_EQ(found.drivers[0], kSimDriverName);
    // The extended form hands over the board's open key.
    Found extended;
    ASSERT_EQ(qzDaEnumBoardsEx(CollectBoardsEx, reinterpret_cast<intptr_t>(&extended)), QZERR_NO_ERROR);
    EXPECT_EQ(extended.boards, found.boards);
    EXPECT_EQ(extended.model, kSimModelName);
    EXPECT_EQ(qzDaEnumBoards(nullptr, 0), QZERR_ENUM_PROC_CALLBACK_NULL);

    char driver[32] = {}, model[32] = {};
    uint32_t instance = 99;
    ASSERT_EQ(qzDaGetBoardInfo("qzsim480", driver, model, sizeof driver, &instance), QZERR_NO_ERROR);
    EXPECT_STREQ(driver, kSimDriverName);
    EXPECT_STREQ(model, kSimModelName);
    EXPECT_EQ(instance, 0u);
    EXPECT_EQ(qzDaGetBoardInfo("QZSIM480", driver, model, 8, &instance),
              QZERR_SPECIFIED_BUFFER_TOO_SMALL_FOR_REQUESTED_COPY_OPERATION);
    EXPECT_EQ(qzDaGetBoardInfo("no such board", driver, model, sizeof driver, &instance),
              QZERR_DRIVER_CANNOT_BE_INITIALIZED);
}

TEST_F(Board, OpensByNameWithItsSubsystems)
{
    // Names are matched without regard to case.
    ASSERT_EQ(qzDaInitialize("qzSIM480", &device), QZERR_NO_ERROR);
    char name[64];
    ASSERT_EQ(qzDaGetDeviceName(device, name, sizeof name), QZERR_NO_ERROR);
    EXPECT_STREQ(name, kSimBoardName);
    uint32_t count = 0;
    ASSERT_EQ(qzDaGetDevCaps(device, SubsystemTypeAll, &count), QZERR_NO_ERROR);
    EXPECT_EQ(count, 5u);
    ASSERT_EQ(qzDaGetDevCaps(device, SubsystemTypeCT, &count), QZERR_NO_ERROR);
    EXPECT_EQ(count, 2u);
    std::vector<std::string> units;
    ASSERT_EQ(qzDaEnumSubSystems(device, CollectUnits, reinterpret_cast<intptr_t>(&units)), QZERR_NO_ERROR);
    EXPECT_EQ(units, (std::vector<std::string>{"AD Unit 0", "DIN Unit 0", "DOUT Unit 0", "CT Unit 0", "CT Unit 1"}));
    // The board's link is open without sharing: the board opens once.
    DeviceHandle again = nullptr;
    EXPECT_EQ(qzDaInitialize(kSimBoardName, &again), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(qzDaInitialize("QZSIM48", &again), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
    // What the analog input offers, from the board's personality.
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    double max = 0;
    ASSERT_EQ(qzDaGetSSCapsEx(ad, CapMaxClockFrequency, &max), 0u);
    EXPECT_EQ(max, kSimMaxSampleClockHz);
    uint32_t encoding = 0, bits = 0;
    ASSERT_EQ(qzDaGetEncoding(ad, &encoding), 0u);
    EXPECT_EQ(encoding, 200u);
    ASSERT_EQ(qzDaGetResolution(ad, &bits), 0u);
    EXPECT_EQ(bits, 16u);
    double hi = 0, lo = 0;
    ASSERT_EQ(qzDaGetRange(ad, &hi, &lo), 0u);
    EXPECT_EQ(hi, 10.0);
    EXPECT_EQ(lo, -10.0);
}

TEST_F(Board, ASecondOpenOfASubsystemIsRefused)
{
    Open();
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    SubsystemHandle second = nullptr;
    EXPECT_EQ(qzDaGetDASS(device, SubsystemTypeAD, 0, &second), QZERR_SUBSYSTEM_IN_USE);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(qzDaGetDASS(device, SubsystemTypeAD, 1, &second), QZERR_INVALID_SUBSYSTEM_SPECIFIED);
    EXPECT_EQ(qzDaGetDASS(device, SubsystemTypeDA, 0, &second), QZERR_INVALID_SUBSYSTEM_SPECIFIED);
    Release(ad);
    Subsystem(SubsystemTypeAD);
}

TEST_F(Board, TerminateIsRefusedWhileSubsystemsAreOpen)
{
    Open();
    SubsystemHandle ct = Subsystem(SubsystemTypeCT, 1);
    EXPECT_EQ(qzDaTerminate(device), QZERR_SUBSYSTEM_IN_USE);
    Release(ct);
    EXPECT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaTerminate(device), QZERR_INVALID_DEVICE_HANDLE);
    device = nullptr;
}

TEST_F(Board, CountersStartWithoutBuffersAndStop)
{
    Open();
    StartCounters(30.0);
    double clock = 0;
    ASSERT_EQ(qzDaGetClockFrequency(counters[0], &clock), 0u);
    EXPECT_EQ(clock, 30.0);
    ASSERT_EQ(qzDaGetClockFrequency(counters[1], &clock), 0u);
    EXPECT_EQ(clock, 60.0);
    // A setter refuses while running; stop then abort of a stopped counter.
    EXPECT_EQ(qzDaSetPulseWidth(counters[0], 30.0), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    EXPECT_EQ(qzDaConfig(counters[0]), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    EXPECT_EQ(qzDaStart(counters[0]), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    EXPECT_EQ(qzDaStop(counters[0]), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaStop(counters[0]), QZERR_SUBSYSTEM_NOT_RUNNING);
    EXPECT_EQ(qzDaAbort(counters[0]), QZERR_SUBSYSTEM_NOT_RUNNING);
    EXPECT_EQ(qzDaStart(counters[0]), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaAbort(counters[0]), QZERR_NO_ERROR);
    EXPECT_EQ(Requests(SubsystemTypeCT, 0),
              (std::vector<uint32_t>{QZIOCTL_CONFIG, QZIOCTL_START, QZIOCTL_STOP, QZIOCTL_START, QZIOCTL_ABORT}));
    // Pause and continue.
    EXPECT_EQ(qzDaContinue(counters[1]), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    EXPECT_EQ(qzDaPause(counters[1]), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaPause(counters[1]), QZERR_SUBSYSTEM_NOT_RUNNING);
    EXPECT_EQ(qzDaContinue(counters[1]), QZERR_NO_ERROR);
    // A single-value flow cannot start.
    EXPECT_EQ(qzDaStop(counters[1]), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaSetDataFlow(counters[1], 801), 0u);
    ASSERT_EQ(qzDaConfig(counters[1]), 0u);
    EXPECT_EQ(qzDaStart(counters[1]), QZERR_DATAFLOW_MISMATCH);
    // Event counts need counter mode 700.
    uint32_t events = 0;
    EXPECT_EQ(qzDaReadEvents(counters[0], &events), QZERR_WRONG_COUNTER_MODE);
    ASSERT_EQ(qzDaSetCTMode(counters[0], 700), 0u);
    ASSERT_EQ(qzDaConfig(counters[0]), 0u);
    ASSERT_EQ(qzDaStart(counters[0]), 0u);
    EXPECT_EQ(qzDaReadEvents(counters[0], &events), QZERR_NO_ERROR);
}

TEST_F(Board, AnalogInputNeedsAConfigurationAndBuffers)
{
    Open();
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    EXPECT_EQ(qzDaStart(ad), QZERR_SYSTEM_NOT_CONFIGURED);
    ASSERT_EQ(qzDaConfig(ad), 0u);
    EXPECT_EQ(qzDaStart(ad), QZERR_NO_READY_BUFFERS);
    // A channel beyond the four: 7, nothing sent.
    ASSERT_EQ(qzDaSetChannelListSize(ad, 2), 0u);
    EXPECT_EQ(qzDaSetChannelListEntry(ad, 1, 4), QZERR_INVALID_CHANNEL);
    SetUpAnalogInput(ad, 2, 4800);
    double clock = 0;
    ASSERT_EQ(qzDaGetClockFrequency(ad, &clock), 0u);
    EXPECT_EQ(clock, 480000.0);
    ASSERT_EQ(qzDaStart(ad), 0u);
    EXPECT_EQ(qzDaSetWrapMode(ad, 1000), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    EXPECT_EQ(qzDaFlushBuffers(ad), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    EXPECT_EQ(qzDaPause(ad), 0u);
    EXPECT_EQ(qzDaContinue(ad), 0u);
    EXPECT_EQ(qzDaStop(ad), 0u);
    EXPECT_EQ(qzDaStop(ad), QZERR_SUBSYSTEM_NOT_RUNNING);
    // Reset of a running subsystem: abort, reset, then the defaults again (unconfigured).
    Requeue(ad);
    ASSERT_EQ(qzDaStart(ad), 0u);
    ASSERT_EQ(qzDaReset(ad), 0u);
    EXPECT_EQ(qzDaStart(ad), QZERR_SYSTEM_NOT_CONFIGURED);
    uint32_t size = 0;
    ASSERT_EQ(qzDaGetChannelListSize(ad, &size), 0u);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(Requests(SubsystemTypeAD, 0),
              (std::vector<uint32_t>{QZIOCTL_CONFIG, QZIOCTL_CONFIG, QZIOCTL_START, QZIOCTL_PAUSE, QZIOCTL_CONTINUE,
                                     QZIOCTL_STOP, QZIOCTL_START, QZIOCTL_ABORT, QZIOCTL_RESET}));
    // The buffers still queued belong to the library now: it frees them at release.
    uint32_t ready = 0, done = 0;
    ASSERT_EQ(qzDaGetQueueSize(ad, QueueReady, &ready), 0u);
    ASSERT_EQ(qzDaGetQueueSize(ad, QueueDone, &done), 0u);
    EXPECT_EQ(ready + done, 2u);
}

TEST_F(Board, RefusalsOfTheBoardComeBackAsItsCodes)
{
    Open();
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    SetUpAnalogInput(ad, 1, 480);
    ASSERT_TRUE(Control().InjectFault(SimFaultRefuseNext, QZIOCTL_START, QZERR_A_D_TRIGGER_ERROR, 0, 0));
    EXPECT_EQ(qzDaStart(ad), QZERR_A_D_TRIGGER_ERROR);
    // Still configured: the next start goes through (the buffer the refused start had
    // handed to the driver came back to the done queue).
    Requeue(ad);
    EXPECT_EQ(qzDaStart(ad), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaStop(ad), 0u);
    Requeue(ad);
    // A refused configuration leaves the subsystem unconfigured.
    ASSERT_TRUE(Control().InjectFault(SimFaultRefuseNext, QZIOCTL_CONFIG, QZERR_INVALID_FREQUENCY, 0, 0));
    EXPECT_EQ(qzDaConfig(ad), QZERR_INVALID_FREQUENCY);
    EXPECT_EQ(qzDaStart(ad), QZERR_SYSTEM_NOT_CONFIGURED);
    ASSERT_EQ(qzDaConfig(ad), 0u);
    // The analog input's stop goes through its copy thread, which answers 0.
    ASSERT_EQ(qzDaStart(ad), 0u);
    EXPECT_EQ(qzDaStop(ad), QZERR_NO_ERROR);
}

TEST_F(Board, SimultaneousStartOfAList)
{
    Open();
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    SubsystemHandle ct = Subsystem(SubsystemTypeCT, 0);
    SetUpAnalogInput(ad, 1, 480);
    ASSERT_EQ(qzDaConfig(ct), 0u);
    SimultaneousStartListHandle list = nullptr;
    ASSERT_EQ(qzDaGetSSList(&list), 0u);
    ASSERT_EQ(qzDaPutDassToSSList(list, ct), 0u);
    ASSERT_EQ(qzDaPutDassToSSList(list, ad), 0u);
    // Not prestarted: the first one says so.
    EXPECT_EQ(qzDaSimultaneousStart(list), QZERR_THE_SUBSYSTEM_HAS_NOT_BEEN_PRESTARTED);
    ASSERT_EQ(qzDaSimultaneousPrestart(list), 0u);
    EXPECT_EQ(qzDaStart(ad), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    ASSERT_EQ(qzDaSimultaneousStart(list), 0u);
    EXPECT_EQ(qzDaSimultaneousStart(list), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    EXPECT_EQ(Requests(SubsystemTypeCT, 0),
              (std::vector<uint32_t>{QZIOCTL_CONFIG, QZIOCTL_PRESTART, QZIOCTL_SIMULSTART}));
    ASSERT_EQ(qzDaReleaseSSList(list), 0u);
}

TEST_F(Board, DigitalOutputKeepsItsLog)
{
    Open();
    SubsystemHandle din = Subsystem(SubsystemTypeDIN);
    SubsystemHandle dout = Subsystem(SubsystemTypeDOUT);
    ASSERT_EQ(qzDaSetDataFlow(din, 800), 0u);
    // The output port has single values only (its default flow), but must be configured.
    EXPECT_EQ(qzDaSetDataFlow(dout, 800), QZERR_NOT_SUPPORTED);
    ASSERT_EQ(qzDaSetDataFlow(dout, 801), 0u);
    EXPECT_EQ(qzDaPutSingleValue(dout, 4, 0, 1.0), QZERR_SYSTEM_NOT_CONFIGURED);
    ASSERT_EQ(qzDaConfig(dout), 0u);
    // The program's gain code 4 with the 3 ms test bits: offset + 3, 50 ms, offset + 4.
    ASSERT_EQ(qzDaPutSingleValue(dout, 0x210 + 3, 0, 1.0), 0u);
    Sleep(50);
    ASSERT_EQ(qzDaPutSingleValue(dout, 0x210 + 4, 0, 1.0), 0u);
    EXPECT_EQ(qzDaPutSingleValue(dout, 5, 1, 1.0), QZERR_INVALID_CHANNEL);
    SimOutputWrite log[8];
    ASSERT_EQ(Control().OutputLog(log, 8), 2u);
    EXPECT_EQ(log[0].value, 0x213u);
    EXPECT_EQ(log[1].value, 0x214u);
    EXPECT_GE(log[1].timeMs - log[0].timeMs, 45.0);
    uint32_t value = 0;
    ASSERT_EQ(qzDaGetSingleValue(dout, &value, 0, 1.0), 0u);
    EXPECT_EQ(value, 0x214u);
    // The input port reads its lines; it streams, so one value at a time needs flow 801.
    EXPECT_EQ(qzDaGetSingleValue(din, &value, 0, 1.0), QZERR_DATAFLOW_MISMATCH);
    ASSERT_EQ(qzDaSetDataFlow(din, 801), 0u);
    ASSERT_EQ(qzDaConfig(din), 0u);
    ASSERT_EQ(qzDaGetSingleValue(din, &value, 0, 1.0), 0u);
    EXPECT_EQ(value, 0u);
}

TEST_F(Board, AnalogSingleValuesInVolts)
{
    Open();
    StartCounters(30.0);
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    ASSERT_EQ(qzDaSetDataFlow(ad, 801), 0u);
    ASSERT_EQ(qzDaConfig(ad), 0u);
    // Counter 0 has just started: the transmitter is on, the sync channel at +9 V.
    double gain = 1.0, volts = 0.0;
    uint32_t code = 0;
    ASSERT_EQ(qzDaGetSingleValueEx(ad, 1, 1, &gain, &code, &volts), 0u);
    EXPECT_EQ(gain, 1.0);
    EXPECT_NEAR(volts, 9.0, 20.0 / 65536.0);
    uint32_t values[4] = {};
    ASSERT_EQ(qzDaGetSingleValues(ad, values, 1.0), 0u);
    EXPECT_NEAR(values[1], code, 1.0);
}

TEST_F(Board, DiagnosticsReachTheBoard)
{
    Open();
    ASSERT_EQ(qzDiagWriteReg(device, 0x20, 0xABCD1234, 4), 0u);
    uint32_t value = 0;
    ASSERT_EQ(qzDiagReadReg(device, 0x20, &value, 2), 0u);
    EXPECT_EQ(value, 0x1234u);
    EXPECT_EQ(qzDiagReadReg(device, 0x20, &value, 3), QZERR_INVALID_CHANNEL);
    ASSERT_EQ(qzDiagWriteCalPot(device, 1, 2, 3, 77), 0u);
    ASSERT_EQ(qzDiagReadCalPot(device, 1, 2, 3, &value), 0u);
    EXPECT_EQ(value, 77u);
    uint8_t block[128];
    for (int i = 0; i < 128; ++i)
        block[i] = static_cast<uint8_t>(255 - i);
    ASSERT_EQ(qzDaSetHardwareInfo(device, 7, 0x00090008, 10, 11, 12, block), 0u);
    uint32_t word = 0, word2 = 0, word3 = 0;
    uint16_t h1 = 0, h2 = 0, h3 = 0;
    uint8_t back[128] = {};
    ASSERT_EQ(qzDaGetHardwareInfo(device, &word, &h1, &h2, &h3, &word2, &word3, back), 0u);
    EXPECT_EQ(word, 7u);
    EXPECT_EQ(h1, 8u);
    EXPECT_EQ(h2, 9u);
    EXPECT_EQ(h3, 10u);
    EXPECT_EQ(word2, 11u);
    EXPECT_EQ(word3, 12u);
    EXPECT_EQ(std::memcmp(block, back, sizeof block), 0);
    ASSERT_EQ(qzDaGetHardwareInfo(device, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0u);
    // Pins the mend: a potentiometer request the driver refuses is not reported as done, and
    // the value is left alone.
    ASSERT_TRUE(
        Control().InjectFault(SimFaultRefuseNext, QZIOCTL_READCALPOT, QZERR_HARDWARE_DATA_SEQUENCE_ERROR, 0, 0));
    value = 5;
    EXPECT_EQ(qzDiagReadCalPot(device, 1, 2, 3, &value), QZERR_HARDWARE_DATA_SEQUENCE_ERROR);
    EXPECT_EQ(value, 5u);
    ASSERT_TRUE(
        Control().InjectFault(SimFaultRefuseNext, QZIOCTL_WRITECALPOT, QZERR_HARDWARE_DATA_SEQUENCE_ERROR, 0, 0));
    EXPECT_EQ(qzDiagWriteCalPot(device, 1, 2, 3, 4), QZERR_HARDWARE_DATA_SEQUENCE_ERROR);
    EXPECT_EQ(qzDiagReadReg(nullptr, 0, &value, 4), QZERR_INVALID_DEVICE_HANDLE);
}

TEST_F(Board, RenameWritesTheBoardAndItsDatabase)
{
    EXPECT_EQ(qzDaModifyQuenzorBoardName(kSimBoardName, nullptr), QZERR_NO_QUENZOR_BOARDS_INSTALLED);
    EXPECT_EQ(qzDaModifyQuenzorBoardName("not a board", "X"), QZERR_NO_QUENZOR_BOARDS_INSTALLED);
    ASSERT_EQ(qzDaModifyQuenzorBoardName("qzsim480", "Field Board 7"), QZERR_NO_ERROR);
    Found found;
    ASSERT_EQ(qzDaEnumBoards(CollectBoards, reinterpret_cast<intptr_t>(&found)), 0u);
    ASSERT_EQ(found.boards.size(), 1u);
    EXPECT_EQ(found.boards[0], "Field Board 7");
    char name[64] = {};
    DWORD bytes = sizeof name;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\Control\\BrQuenzorDaDevice\\BoardDatabase\\QZSIM-480\\00001234",
                            0, KEY_READ, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "BrQuenzorBoardName", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_STREQ(name, "Field Board 7");
    ASSERT_EQ(qzDaInitialize("FIELD BOARD 7", &device), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetDeviceName(device, name, sizeof name), 0u);
    EXPECT_STREQ(name, "Field Board 7");
    ASSERT_EQ(qzDaTerminate(device), 0u);
    device = nullptr;
    ASSERT_EQ(qzDaModifyQuenzorBoardName("Field Board 7", kSimBoardName), QZERR_NO_ERROR);
}

// Pins the mend: an open that fails part-way (here the subsystem's configuration cannot be
// held) undoes its steps, the driver path's handle included, so the subsystem opens again.
TEST_F(Board, AFailedOpenLeavesNothingBehind)
{
    Open();
    const uint32_t handles = Counts().handles;
    ASSERT_TRUE(Control().InjectFault(SimFaultOversizeNextCaps, 0, 0, 0, 0));
    SubsystemHandle ad = nullptr;
    EXPECT_EQ(qzDaGetDASS(device, SubsystemTypeAD, 0, &ad), QZERR_CANNOT_ALLOCATE_CHANNEL_LIST);
    EXPECT_EQ(ad, nullptr);
    EXPECT_EQ(Counts().handles, handles);
    SubsystemHandle again = Subsystem(SubsystemTypeAD);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(Counts().handles, handles + 1);
    Release(again);
    EXPECT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
    device = nullptr;
}

TEST_F(Board, ACleanReleaseLeavesNothingAllocated)
{
    Open();
    StartCounters(285.0);
    SubsystemHandle din = Subsystem(SubsystemTypeDIN);
    ASSERT_EQ(qzDaSetDataFlow(din, 800), 0u);
    SubsystemHandle dout = Subsystem(SubsystemTypeDOUT);
    ASSERT_EQ(qzDaSetDataFlow(dout, 801), 0u);
    ASSERT_EQ(qzDaConfig(dout), 0u);
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    SetUpAnalogInput(ad, 8, 4800);
    HBUF held = nullptr;
    ASSERT_EQ(MemAllocBuffer(0, 0, 4800, 2, &held), 0u);
    ASSERT_EQ(qzDaPutBuffer(ad, held), 0u);
    ASSERT_EQ(qzDaStart(ad), 0u);
    ASSERT_EQ(qzDaPutSingleValue(dout, 5, 0, 1.0), 0u);
    EXPECT_GE(Counts().workers, 1u);
    // The release order of the main program's stop; the running subsystems are released as
    // they are.
    for (SubsystemHandle s : {ad, counters[0], counters[1], din, dout})
        Release(s);
    ASSERT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
    device = nullptr;
    // The buffers left on the queues were freed with the subsystem.
    EXPECT_EQ(MemFreeBuffer(held), QZERR_INVALID_BUFFER_HANDLE_HBUF_PASSED_TO_A_LIBRARY_FROM_AN_APPLICATION);
    SimDriverCounts counts = Counts();
    EXPECT_EQ(counts.handles, 0u);
    EXPECT_EQ(counts.pendingRequests, 0u);
    EXPECT_EQ(counts.queuedApcs, 0u);
    EXPECT_EQ(counts.board.openHandles, 0u);
    EXPECT_EQ(counts.board.runningUnits, 0u);
    // The board's worker ends on its own.
    for (int i = 0; i < 6000 && Counts().workers != 0; ++i)
        Sleep(10);
    EXPECT_EQ(Counts().workers, 0u);
    // Handles of the board are gone: every export refuses them.
    EXPECT_EQ(qzDaStart(ad), QZERR_INVALID_SUBSYSTEM_HANDLE);
}

// ---- runs in child processes: the library unloaded by the end of a process, and a system
// that lists its boards through the device map ----

namespace {

// Starts this program again for one disabled test, with the child's mode in its environment;
// its exit code, or 0xFFFFFFFF when it did not end in time.
DWORD RunChild(const char* test, const char* mode, DWORD timeoutMs)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string command = std::string("\"") + exe + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
    SetEnvironmentVariableA("QZ_BOARD_CHILD", mode);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA("QZ_BOARD_CHILD", nullptr);
    if (!started)
        return 0xFFFFFFFE;
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

bool IsChild(const char* mode)
{
    char value[32] = {};
    return GetEnvironmentVariableA("QZ_BOARD_CHILD", value, sizeof value) != 0 && std::strcmp(value, mode) == 0;
}

constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\qzdaapi32_board_tests.exe";

}  // namespace

// Pins the mend: when the process ends with the board running, the library's unload sends its
// aborts and frees nothing and waits for no thread (the other threads are gone, one of them
// perhaps holding a lock); the process ends with its own exit code (one that hangs in its
// unload is ended from outside after a minute, with another).
TEST_F(Board, TheProcessEndsWhileTheBoardRuns)
{
    EXPECT_EQ(RunChild("Board.DISABLED_ChildEndsTheProcessWhileRunning", "exit", 60000), 7u);
}

TEST_F(Board, DISABLED_ChildEndsTheProcessWhileRunning)
{
    if (!IsChild("exit"))
        GTEST_SKIP();
    SimSettings settings;
    settings.SpeedUp = 1.0;
    ASSERT_TRUE(Control().SetSettings(&settings));
    Open();
    StartCounters(30.0);
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    SetUpAnalogInput(ad, 8, 48000);
    ASSERT_EQ(qzDaStart(ad), 0u);
    ExitProcess(7);
}

// The system says it is NT 4.0 (Wine's per-program version): the library reads the device
// map and nothing else.
TEST_F(Board, ASystemWithoutDeviceInterfacesUsesTheDeviceMap)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("nt40"), 5), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RunChild("Board.DISABLED_ChildFindsTheBoardThroughTheDeviceMap", "nt40", 60000), 0u);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
}

TEST_F(Board, DISABLED_ChildFindsTheBoardThroughTheDeviceMap)
{
    if (!IsChild("nt40"))
        GTEST_SKIP();
    OSVERSIONINFOA os = {};
    os.dwOSVersionInfoSize = sizeof os;
    ASSERT_TRUE(GetVersionExA(&os));
    EXPECT_EQ(os.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    ASSERT_EQ(os.dwMajorVersion, 4u);
    Found found;
    ASSERT_EQ(qzDaEnumBoards(CollectBoards, reinterpret_cast<intptr_t>(&found)), QZERR_NO_ERROR);
    EXPECT_EQ(found.boards, (std::vector<std::string>{kSimBoardName}));
    Open();
    SubsystemHandle ad = Subsystem(SubsystemTypeAD);
    EXPECT_NE(ad, nullptr);
    // The board information is kept on the device interfaces only.
    char driver[32], model[32];
    uint32_t instance = 0;
    EXPECT_EQ(qzDaGetBoardInfo(kSimBoardName, driver, model, sizeof driver, &instance), QZERR_NO_ERROR);
    Release(ad);
    ASSERT_EQ(qzDaTerminate(device), 0u);
    device = nullptr;
    // Without the device map's entry there is no board, although the interface is there.
    ASSERT_TRUE(UnregisterSimBoardDeviceMap());
    EXPECT_EQ(qzDaEnumBoards(CollectBoards, reinterpret_cast<intptr_t>(&found)), QZERR_NO_QUENZOR_BOARDS_INSTALLED);
    ASSERT_TRUE(RegisterSimBoardDeviceMap());
}
