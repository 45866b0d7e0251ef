// The command state machine against a recording driver and a recording mailbox: each
// command's preconditions, failure codes and state moves, what reaches the driver, and the
// mended paths (an abort after a refused start).
#include "qzdaapi32/commands.h"

#include "qzdaapi32/requests.h"
#include "standins/qzmem32/buffer_memory.h"
#include "tests/qzdaapi32/test_boards.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Sent {
    uint32_t ioctl;
    uint32_t bytes;
    std::vector<uint8_t> record;
};

// A driver that answers each request with a status (or a failed call) and keeps what it got.
struct RecordingDriver {
    std::vector<Sent> sent;
    std::vector<uint32_t> mailbox;
    uint32_t status = 0;
    bool failCall = false;
    uint32_t failOnly = 0;  // when set, only this ioctl is refused
    uint32_t answerValue = 0x5A5A;
    uint32_t answerGainInteger = 0;

    static uint32_t Send(void* self, uint32_t ioctl, uint8_t* record, uint32_t bytes, bool* failed)
    {
        auto& d = *static_cast<RecordingDriver*>(self);
        d.sent.push_back({ioctl, bytes, std::vector<uint8_t>(record, record + bytes)});
        const bool refused = d.failOnly == 0 || d.failOnly == ioctl;
        if (d.failCall && refused) {
            *failed = true;
            return 6;  // the system's error number, as it came
        }
        if (ioctl == QZIOCTL_READEVENTS)
            RequestPut32(record, bytes, ArgEventCount, 1234);
        if (ioctl == QZIOCTL_GETSINGLEVALUE || ioctl == QZIOCTL_READREG)
            RequestPut32(record, bytes, ArgValue, d.answerValue);
        if (ioctl == QZIOCTL_GETSINGLEVALUES)
            RequestPut32(record, bytes, ArgSingleValues + 4, 77);
        const uint32_t status = refused ? d.status : 0;
        RequestPut32(record, bytes, ReqStatus, status);
        return status;
    }
    static uint32_t Mailbox(void* self, uint32_t request)
    {
        static_cast<RecordingDriver*>(self)->mailbox.push_back(request);
        return 0;
    }
};

class Commands : public ::testing::Test {
protected:
    TestBoard board = AnalogInputBoard();
    SubsystemCore ss;
    RecordingDriver driver;
    CommandEnvironment env;
    RequestParams last;

    void Open(uint32_t type, const TestBoard& b)
    {
        DropQueue();
        board = b;
        ss = SubsystemCore{};
        ss.type = type;
        ss.element = 1;
        ss.caps = board.Caps();
        ASSERT_EQ(AllocateConfiguration(ss), QZERR_NO_ERROR);
        ApplyDefaultConfiguration(ss);
        if (type == SubsystemTypeAD) {
            ASSERT_EQ(BmCreateList(&ss.readyQueue), QZMEM_OK);
        }
    }

    void SetUp() override
    {
        env.context = &driver;
        env.send = RecordingDriver::Send;
        env.readyCount = BmCountList;
        env.setValidSamples = BmSetValidSamples;
        Open(SubsystemTypeAD, AnalogInputBoard());
    }

    void TearDown() override { DropQueue(); }

    void DropQueue()
    {
        if (ss.readyQueue != nullptr) {
            HBUF buffer = nullptr;
            while (BmTakeListHead(ss.readyQueue, &buffer) == QZMEM_OK && buffer != nullptr)
                BmFreeBuffer(buffer);
            BmDestroyList(ss.readyQueue);
            ss.readyQueue = nullptr;
        }
    }

    void WithCopyThread()
    {
        env.hasCopyThread = true;
        env.sendAndWait = RecordingDriver::Mailbox;
        env.sendNoWait = RecordingDriver::Mailbox;
    }

    QZSTATUS Run(uint32_t code, uintptr_t w0 = 0, uintptr_t w1 = 0, double r0 = 0.0)
    {
        last = RequestParams{w0, w1, r0, 0.0};
        return HandleCommand(ss, code, last, env);
    }

    uint32_t State() const { return SubsystemStateOf(ss); }

    void QueueBuffer()
    {
        HBUF buffer = nullptr;
        ASSERT_EQ(BmAllocBuffer(16, 2, &buffer), QZMEM_OK);
        ASSERT_EQ(BmAppendToList(ss.readyQueue, buffer), QZMEM_OK);
    }

    std::vector<uint32_t> Ioctls() const
    {
        std::vector<uint32_t> codes;
        for (const Sent& s : driver.sent)
            codes.push_back(s.ioctl);
        return codes;
    }
};

}  // namespace

TEST_F(Commands, ConfigureSendsTheRecordAndMovesTheState)
{
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateConfigured);
    ASSERT_EQ(driver.sent.size(), 1u);
    const Sent& s = driver.sent[0];
    EXPECT_EQ(s.ioctl, QZIOCTL_CONFIG);
    // 320 bytes and one 24-byte entry per channel-list place, type and element in the header,
    // the state already moved.
    EXPECT_EQ(s.bytes, 320u + 24u * 16u);
    EXPECT_EQ(RequestGet32(s.record.data(), s.bytes, ReqType), SubsystemTypeAD);
    EXPECT_EQ(RequestGet32(s.record.data(), s.bytes, ReqElement), 1u);
    EXPECT_EQ(RequestGet32(s.record.data(), s.bytes, CfgState), SubsystemStateConfigured);
    EXPECT_TRUE(std::equal(s.record.begin(), s.record.end(), ss.configuration.begin()));

    // A single-value flow is configured to 1002.
    ASSERT_EQ(HandleSetGetRequest(ss, QZDRV_SETDATAFLOW, last = RequestParams{801}, SetGetEnvironment{}), 0u);
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateConfiguredSingle);
}

TEST_F(Commands, ConfigureRefusals)
{
    // A channel beyond the channel count: 7, and the state stays as it was.
    Put16(ss.configuration, CfgChannelListSize, 2);
    Put16(ss.configuration, ChannelEntryOffset(1, EntryChannel), 3);
    EXPECT_EQ(Run(QZDRV_CONFIG), QZERR_INVALID_CHANNEL);
    EXPECT_EQ(State(), SubsystemStateChanged);
    EXPECT_TRUE(driver.sent.empty());
    // A channel in the gap between the type's count and the larger count: 7.
    board.slots[SlotChannelsType101] = 3;
    board.slots[SlotChannelsType100] = 1;
    board.slots[SlotChannelCount] = 4;
    ss.caps = board.Caps();
    Put16(ss.configuration, CfgChannelCount, 4);
    Put16(ss.configuration, ChannelEntryOffset(1, EntryChannel), 2);
    EXPECT_EQ(Run(QZDRV_CONFIG), QZERR_INVALID_CHANNEL);
    Put16(ss.configuration, ChannelEntryOffset(1, EntryChannel), 3);
    EXPECT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);

    // The driver refuses: its code, state 1001. The call fails: 125, state 1001.
    driver.status = QZERR_INVALID_FREQUENCY;
    EXPECT_EQ(Run(QZDRV_CONFIG), QZERR_INVALID_FREQUENCY);
    EXPECT_EQ(State(), SubsystemStateChanged);
    driver.status = 0;
    driver.failCall = true;
    EXPECT_EQ(Run(QZDRV_CONFIG), QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS);
    EXPECT_EQ(State(), SubsystemStateChanged);
    // Running: 22.
    SetSubsystemState(ss, SubsystemStateRunning);
    EXPECT_EQ(Run(QZDRV_CONFIG), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    SetSubsystemState(ss, SubsystemStateAllocated);
    EXPECT_EQ(Run(QZDRV_CONFIG), QZERR_SUBSYSTEM_ALREADY_RUNNING);
}

TEST_F(Commands, StartNeedsAConfigurationAndReadyBuffers)
{
    EXPECT_EQ(Run(QZDRV_START), QZERR_SYSTEM_NOT_CONFIGURED);
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    // An empty ready queue: 64, and the state stays.
    EXPECT_EQ(Run(QZDRV_START), QZERR_NO_READY_BUFFERS);
    EXPECT_EQ(State(), SubsystemStateConfigured);
    QueueBuffer();
    ASSERT_EQ(Run(QZDRV_START), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateRunning);
    EXPECT_EQ(driver.sent.back().ioctl, QZIOCTL_START);
    EXPECT_EQ(Run(QZDRV_START), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    EXPECT_EQ(Run(QZDRV_CONFIG), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    // Stop without a copy thread goes to the driver and ends in 1004.
    ASSERT_EQ(Run(QZDRV_STOP), QZERR_NO_ERROR);
    EXPECT_EQ(driver.sent.back().ioctl, QZIOCTL_STOP);
    EXPECT_EQ(State(), SubsystemStateConfigured);
    // Stop on a configured but idle subsystem: 28.
    EXPECT_EQ(Run(QZDRV_STOP), QZERR_SUBSYSTEM_NOT_RUNNING);
    EXPECT_EQ(Run(QZDRV_ABORT), QZERR_SUBSYSTEM_NOT_RUNNING);
}

TEST_F(Commands, RefusedStartLeavesTheSubsystemConfigured)
{
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    QueueBuffer();
    driver.status = QZERR_A_D_TRIGGER_ERROR;
    EXPECT_EQ(Run(QZDRV_START), QZERR_A_D_TRIGGER_ERROR);
    EXPECT_EQ(State(), SubsystemStateConfigured);
    // A call that fails gives the system's number.
    driver.status = 0;
    driver.failCall = true;
    EXPECT_EQ(Run(QZDRV_START), 6u);
    EXPECT_EQ(State(), SubsystemStateConfigured);
}

// Pins the mend: the copy thread hands buffers to the driver before the start, so a start
// that the driver refuses is followed by an abort through the thread (while the state still
// says running, so the thread really aborts); the buffers come back instead of staying with
// the driver until the subsystem is released.
TEST_F(Commands, RefusedStartAbortsTheBuffersBackThroughTheCopyThread)
{
    WithCopyThread();
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    QueueBuffer();
    driver.status = QZERR_A_D_TRIGGER_ERROR;
    EXPECT_EQ(Run(QZDRV_START), QZERR_A_D_TRIGGER_ERROR);
    EXPECT_EQ(driver.mailbox, (std::vector<uint32_t>{QZDRV_START, QZDRV_ABORT}));
    EXPECT_EQ(State(), SubsystemStateConfigured);
    // An accepted start: the thread is told, nothing else.
    driver.status = 0;
    driver.mailbox.clear();
    ASSERT_EQ(Run(QZDRV_START), QZERR_NO_ERROR);
    EXPECT_EQ(driver.mailbox, (std::vector<uint32_t>{QZDRV_START}));
    // Stop and abort go through the thread, which moves the state itself when the driver has
    // given everything back.
    driver.sent.clear();
    EXPECT_EQ(Run(QZDRV_STOP), QZERR_NO_ERROR);
    EXPECT_EQ(Run(QZDRV_ABORT), QZERR_NO_ERROR);
    EXPECT_EQ(driver.mailbox.back(), QZDRV_ABORT);
    EXPECT_TRUE(driver.sent.empty());
    EXPECT_EQ(State(), SubsystemStateRunning);
}

TEST_F(Commands, CounterStartsWithoutBuffersOnlyWhenStreaming)
{
    Open(SubsystemTypeCT, CounterBoard());
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateConfigured);
    ASSERT_EQ(Run(QZDRV_START), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateRunning);
    ASSERT_EQ(Run(QZDRV_STOP), QZERR_NO_ERROR);
    ASSERT_EQ(HandleSetGetRequest(ss, QZDRV_SETDATAFLOW, last = RequestParams{801}, SetGetEnvironment{}), 0u);
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateConfiguredSingle);
    EXPECT_EQ(Run(QZDRV_START), QZERR_DATAFLOW_MISMATCH);
}

TEST_F(Commands, PauseContinueAndReset)
{
    board.slots[SlotPauseContinue] = 1;
    Open(SubsystemTypeAD, board);
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    EXPECT_EQ(Run(QZDRV_PAUSE), QZERR_SUBSYSTEM_NOT_RUNNING);
    EXPECT_EQ(Run(QZDRV_CONTINUE), QZERR_SUBSYSTEM_NOT_RUNNING);
    QueueBuffer();
    ASSERT_EQ(Run(QZDRV_START), QZERR_NO_ERROR);
    EXPECT_EQ(Run(QZDRV_CONTINUE), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    ASSERT_EQ(Run(QZDRV_PAUSE), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStatePaused);
    EXPECT_EQ(Run(QZDRV_PAUSE), QZERR_SUBSYSTEM_NOT_RUNNING);
    ASSERT_EQ(Run(QZDRV_CONTINUE), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateRunning);
    // Reset of a running subsystem aborts it first, then resets, and leaves it unconfigured.
    driver.sent.clear();
    ASSERT_EQ(Run(QZDRV_RESET), QZERR_NO_ERROR);
    EXPECT_EQ(Ioctls(), (std::vector<uint32_t>{QZIOCTL_ABORT, QZIOCTL_RESET}));
    EXPECT_EQ(State(), SubsystemStateChanged);
    // Idle: the reset alone.
    driver.sent.clear();
    ASSERT_EQ(Run(QZDRV_RESET), QZERR_NO_ERROR);
    EXPECT_EQ(Ioctls(), (std::vector<uint32_t>{QZIOCTL_RESET}));
    // Without the capability: 36.
    board.slots[SlotPauseContinue] = 0;
    ss.caps = board.Caps();
    EXPECT_EQ(Run(QZDRV_PAUSE), QZERR_NOT_SUPPORTED);
}

TEST_F(Commands, PrestartAndSimultaneousStart)
{
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    EXPECT_EQ(Run(QZDRV_SIMULSTART), QZERR_THE_SUBSYSTEM_HAS_NOT_BEEN_PRESTARTED);
    EXPECT_EQ(Run(QZDRV_PRESTART), QZERR_NO_READY_BUFFERS);
    QueueBuffer();
    ASSERT_EQ(Run(QZDRV_PRESTART), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStatePrestarted);
    EXPECT_EQ(driver.sent.back().ioctl, QZIOCTL_PRESTART);
    ASSERT_EQ(Run(QZDRV_SIMULSTART), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateRunning);
    EXPECT_EQ(Run(QZDRV_SIMULSTART), QZERR_SUBSYSTEM_ALREADY_RUNNING);
}

TEST_F(Commands, SingleValues)
{
    // A streaming subsystem refuses single values with 27; an unconfigured one with 26.
    EXPECT_EQ(Run(QZDRV_GETSINGLEVALUE, 0), QZERR_DATAFLOW_MISMATCH);
    ASSERT_EQ(HandleSetGetRequest(ss, QZDRV_SETDATAFLOW, last = RequestParams{801}, SetGetEnvironment{}), 0u);
    EXPECT_EQ(Run(QZDRV_GETSINGLEVALUE, 0), QZERR_SYSTEM_NOT_CONFIGURED);
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    // Channels below the type-100 count; slot 81 names one more.
    EXPECT_EQ(Run(QZDRV_SETSINGLEVALUE, 5, 3, 1.0), QZERR_INVALID_CHANNEL);
    board.slots[SlotExtraSingleValueChannel] = 3;
    ss.caps = board.Caps();
    driver.sent.clear();
    ASSERT_EQ(Run(QZDRV_SETSINGLEVALUE, 5, 3, 3.1), QZERR_NO_ERROR);
    DriverRequest sent;
    std::memcpy(sent.bytes, driver.sent[0].record.data(), kRequestBytes);
    EXPECT_EQ(driver.sent[0].ioctl, QZIOCTL_SETSINGLEVALUE);
    EXPECT_EQ(Get32(sent, ArgChannel), 3u);
    EXPECT_EQ(Get32(sent, ArgValue), 5u);
    // The gain goes as the nearest table entry, in fixed point.
    EXPECT_EQ(Get32(sent, ArgGainInteger), 4u);
    EXPECT_EQ(Get32(sent, ArgGainFraction), 0u);

    ASSERT_EQ(Run(QZDRV_GETSINGLEVALUE, 1, 0, 2.0), QZERR_NO_ERROR);
    EXPECT_EQ(last.word1, 0x5A5Au);
    // The extended read needs slot 94; then it gives volts by the configured range and coding.
    EXPECT_EQ(Run(QZDRV_GETSINGLEVALUE, kExtendedSingleValue | 1, 0, 1.0), QZERR_NOT_SUPPORTED);
    board.slots[SlotExtendedSingleValue] = 1;
    ss.caps = board.Caps();
    driver.answerValue = 0x8000;
    ASSERT_EQ(Run(QZDRV_GETSINGLEVALUE, kExtendedSingleValue | 1, 0, 1.0), QZERR_NO_ERROR);
    EXPECT_EQ(last.word1, 0x8000u);
    EXPECT_EQ(last.real0, 1.0);
    // 12 bits (the first resolution), -10..10 V, straight binary: 0x8000 is 16 x full scale.
    EXPECT_NEAR(last.real1, -10.0 + 0x8000 * 20.0 / 4096.0, 1e-9);

    // All channels at once: slot 54.
    uint8_t record[kRequestBytes] = {};
    EXPECT_EQ(Run(QZDRV_GETSINGLEVALUES, reinterpret_cast<uintptr_t>(record), 0, 1.0), QZERR_NOT_SUPPORTED);
    board.slots[SlotReadAllChannels] = 1;
    ss.caps = board.Caps();
    ASSERT_EQ(Run(QZDRV_GETSINGLEVALUES, reinterpret_cast<uintptr_t>(record), 0, 1.0), QZERR_NO_ERROR);
    EXPECT_EQ(RequestGet32(record, kRequestBytes, ArgSingleValues + 4), 77u);
}

TEST_F(Commands, ReadEventsNeedsACountingCounter)
{
    EXPECT_EQ(Run(QZDRV_READEVENTS), QZERR_NOT_SUPPORTED);
    Open(SubsystemTypeCT, CounterBoard());
    ASSERT_EQ(HandleSetGetRequest(ss, QZDRV_SETCOUNTERMODE, last = RequestParams{701}, SetGetEnvironment{}), 0u);
    EXPECT_EQ(Run(QZDRV_READEVENTS), QZERR_WRONG_COUNTER_MODE);
    ASSERT_EQ(HandleSetGetRequest(ss, QZDRV_SETCOUNTERMODE, last = RequestParams{700}, SetGetEnvironment{}), 0u);
    ASSERT_EQ(Run(QZDRV_READEVENTS), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 1234u);
}

TEST_F(Commands, FlushInProcess)
{
    board.slots[SlotFlushInProcess] = 1;
    Open(SubsystemTypeAD, board);
    WithCopyThread();
    HBUF buffer = nullptr;
    ASSERT_EQ(BmAllocBuffer(16, 2, &buffer), QZMEM_OK);
    ASSERT_EQ(BmSetValidSamples(buffer, 10), QZMEM_OK);
    const uintptr_t b = reinterpret_cast<uintptr_t>(buffer);
    EXPECT_EQ(Run(QZDRV_FLUSHINPROCESS, b, 8), QZERR_SUBSYSTEM_NOT_RUNNING);
    ASSERT_EQ(Run(QZDRV_CONFIG), QZERR_NO_ERROR);
    QueueBuffer();
    ASSERT_EQ(Run(QZDRV_START), QZERR_NO_ERROR);
    // Only in wrap mode 1000, and it does not wait for the thread.
    Put16(ss.configuration, CfgWrapMode, WrapRecycleDone);
    EXPECT_EQ(Run(QZDRV_FLUSHINPROCESS, b, 8), QZERR_WRAP_MODE_MISMATCH);
    Put16(ss.configuration, CfgWrapMode, WrapStopWhenDone);
    driver.mailbox.clear();
    ASSERT_EQ(Run(QZDRV_FLUSHINPROCESS, b, 8), QZERR_NO_ERROR);
    EXPECT_EQ(driver.mailbox, (std::vector<uint32_t>{QZDRV_FLUSHINPROCESS}));
    EXPECT_EQ(ss.flushBuffer, buffer);
    EXPECT_EQ(ss.flushSamples, 8u);
    uint32_t valid = 99;
    ASSERT_EQ(BmGetValidSamples(buffer, &valid), QZMEM_OK);
    EXPECT_EQ(valid, 0u);
    // A buffer that cannot be marked: nothing more happens, and the buffer-memory library's
    // code comes back rather than success.
    driver.mailbox.clear();
    EXPECT_EQ(Run(QZDRV_FLUSHINPROCESS, 0x1234, 8), QZMEM_BAD_BUFFER);
    EXPECT_TRUE(driver.mailbox.empty());
    BmFreeBuffer(buffer);
}

TEST_F(Commands, RegistersCarryTypeElementAndWidth)
{
    ASSERT_EQ(Run(QZDRV_READREG, 0x40, 0, 2.0), QZERR_NO_ERROR);
    EXPECT_EQ(last.word1, 0x5A5Au);
    DriverRequest sent;
    std::memcpy(sent.bytes, driver.sent[0].record.data(), kRequestBytes);
    EXPECT_EQ(Get32(sent, ReqType), SubsystemTypeAD);
    EXPECT_EQ(Get32(sent, ReqElement), 1u);
    EXPECT_EQ(Get32(sent, ArgRegister), 0x40u);
    EXPECT_EQ(Get32(sent, ArgRegisterWidth), 2u);
    driver.status = QZERR_INVALID_CHANNEL;
    EXPECT_EQ(Run(QZDRV_WRITEREG, 0x40, 7, 4.0), QZERR_INVALID_CHANNEL);
}

TEST(DriverRequest, CodesAndLayouts)
{
    // Device type 0x22, functions from 0x902, the flush with direct output.
    EXPECT_EQ(QzIoctl(0x902), static_cast<uint32_t>(QZIOCTL_READEVENTS));
    EXPECT_EQ(QzIoctl(0x914, 2), static_cast<uint32_t>(QZIOCTL_FLUSHINPROCESS));
    EXPECT_EQ(QzIoctl(0x91B), static_cast<uint32_t>(QZIOCTL_GETSINGLEVALUES));
    EXPECT_STREQ(DriverIoctlName(QZIOCTL_CONFIG), "QZIOCTL_CONFIG");
    EXPECT_EQ(DriverIoctlName(0x222430), nullptr);

    SingleValueArguments a;
    a.channel = 2;
    a.value = 0x1234;
    a.gain = 2.5;
    DriverRequest set = SetSingleValueRequest(SubsystemTypeDOUT, 0, a);
    EXPECT_EQ(Get32(set, 0), SubsystemTypeDOUT);
    EXPECT_EQ(Get32(set, 16), 2u);
    EXPECT_EQ(Get32(set, 20), 0x1234u);
    EXPECT_EQ(Get32(set, 28), 2u);
    EXPECT_EQ(Get32(set, 24), 2147483647u);  // half of 4294967295, truncated
    EXPECT_NEAR(GetRequestGain(set), 2.5, 1e-9);
    a.extended = true;
    DriverRequest get = GetSingleValueRequest(SubsystemTypeAD, 3, a);
    EXPECT_EQ(get.bytes[32], 1);
    EXPECT_EQ(Get32(get, 20), 0u);
    EXPECT_TRUE(ReadSingleValueArguments(get).extended);

    const uint32_t words[5] = {0x11111111, 0x22223333, 0x44445555, 0x66666666, 0x77777777};
    uint8_t block[kHwInfoBlockBytes];
    for (size_t i = 0; i < sizeof block; ++i)
        block[i] = static_cast<uint8_t>(i);
    DriverRequest hw = SetHardwareInfoRequest(words, block);
    // What a set writes, a get reads back in its own layout.
    HardwareInfo info = ReadHardwareInfo(hw);
    EXPECT_EQ(info.word, 0x11111111u);
    EXPECT_EQ(info.half1, 0x3333u);
    EXPECT_EQ(info.half2, 0x2222u);
    EXPECT_EQ(info.half3, 0x5555u);
    EXPECT_EQ(info.word2, 0x66666666u);
    EXPECT_EQ(info.word3, 0x77777777u);
    EXPECT_EQ(info.block[127], 127);
    DriverRequest empty = SetHardwareInfoRequest(words, nullptr);
    EXPECT_EQ(empty.bytes[ArgHwInfoBlock + 5], 0);
    // Out of the record nothing is read or written.
    EXPECT_EQ(RequestGet32(hw.bytes, kRequestBytes, kRequestBytes - 2), 0u);
    RequestPut32(hw.bytes, kRequestBytes, kRequestBytes - 2, 0xFFFFFFFF);
    EXPECT_EQ(hw.bytes[kRequestBytes - 2], 0);
}
