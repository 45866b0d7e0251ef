// The set and get requests: their checks, codes and state changes, and the buffer queues.
#include "qzdaapi32/setget.h"

#include "qzdaapi32/requests.h"
#include "standins/qzmem32/buffer_memory.h"
#include "tests/qzdaapi32/test_boards.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

bool FakeIsWindow(uintptr_t window)
{
    return window == 0x1234;
}
bool FakeIsCode(uintptr_t procedure)
{
    return procedure == 0x5678;
}
uint32_t FakeInProcess(const SubsystemCore&)
{
    return 3;
}

const SetGetEnvironment kEnv = {
    {BmAppendToList, BmTakeListHead, BmCountList, BmGetValidSamples},
    FakeIsWindow,
    FakeIsCode,
    FakeInProcess,
};

class SetGet : public ::testing::Test {
protected:
    TestBoard board = AnalogInputBoard();
    SubsystemCore ss;

    void Open(uint32_t type)
    {
        ss = SubsystemCore{};
        ss.type = type;
        ss.handle = 0xABC0;
        ss.caps = board.Caps();
        ASSERT_EQ(AllocateConfiguration(ss), QZERR_NO_ERROR);
        ApplyDefaultConfiguration(ss);
    }

    void SetUp() override { Open(SubsystemTypeAD); }

    void TearDown() override
    {
        for (HBUFLIST list : {ss.readyQueue, ss.doneQueue}) {
            if (list == nullptr)
                continue;
            HBUF buffer = nullptr;
            while (BmTakeListHead(list, &buffer) == QZMEM_OK && buffer != nullptr)
                BmFreeBuffer(buffer);
            BmDestroyList(list);
        }
    }

    QZSTATUS Request(uint32_t code, uintptr_t w0 = 0, uintptr_t w1 = 0, double r0 = 0, double r1 = 0)
    {
        last = RequestParams{w0, w1, r0, r1};
        return HandleSetGetRequest(ss, code, last, kEnv);
    }

    uint32_t State() const { return SubsystemStateOf(ss); }
    void SetState(uint32_t state) { SetSubsystemState(ss, state); }

    RequestParams last;
};

}  // namespace

TEST_F(SetGet, UnchangedValueKeepsTheStateAndAChangeNeedsConfiguring)
{
    for (uint32_t configured : {SubsystemStateConfigured, SubsystemStateConfiguredSingle}) {
        SetState(configured);
        EXPECT_EQ(Request(QZDRV_SETTRIGGER, TriggerSource300), QZERR_NO_ERROR);
        EXPECT_EQ(State(), configured);
        EXPECT_EQ(Request(QZDRV_SETCLOCKFREQUENCY, 0, 0, 1000.0), QZERR_NO_ERROR);
        EXPECT_EQ(State(), configured);
        EXPECT_EQ(Request(QZDRV_SETRANGE, 0, 0, 10.0, -10.0), QZERR_NO_ERROR);
        EXPECT_EQ(State(), configured);
        EXPECT_EQ(Request(QZDRV_SETCHANNELLISTENTRY, 0, 0), QZERR_NO_ERROR);
        EXPECT_EQ(State(), configured);

        EXPECT_EQ(Request(QZDRV_SETTRIGGER, TriggerSource301), QZERR_NO_ERROR);
        EXPECT_EQ(State(), SubsystemStateChanged);
        EXPECT_EQ(Request(QZDRV_SETTRIGGER, TriggerSource300), QZERR_NO_ERROR);
    }
}

TEST_F(SetGet, SettersRefuseWhileRunningInEveryActiveState)
{
    for (uint32_t active :
         {SubsystemStateRunning, SubsystemStatePaused, SubsystemStatePrestarted, SubsystemStateDriverEvent}) {
        SetState(active);
        EXPECT_EQ(Request(QZDRV_SETTRIGGER, TriggerSource301), QZERR_SUBSYSTEM_ALREADY_RUNNING);
        EXPECT_EQ(Request(QZDRV_SETCLOCKFREQUENCY, 0, 0, 2000.0), QZERR_SUBSYSTEM_ALREADY_RUNNING);
        EXPECT_EQ(Request(QZDRV_SETWINDOWHANDLE, 0x1234), QZERR_SUBSYSTEM_ALREADY_RUNNING);
        // Pins the mended fault: a multiscan count no longer drops a running subsystem to the
        // changed state, from which it could not be stopped.
        EXPECT_EQ(Request(QZDRV_SETMULTISCANCOUNT, 2), QZERR_SUBSYSTEM_ALREADY_RUNNING);
        EXPECT_EQ(Request(QZDRV_SETMULTISCANCOUNT, 9), QZERR_INVALID_COUNT_COUNT_EXCEEDS_MAXIMUM_OF_SCANS_OF_THE_CGL);
        EXPECT_EQ(State(), active);
        // Even an unchanged value is refused while running.
        EXPECT_EQ(Request(QZDRV_SETTRIGGER, TriggerSource300), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    }
}

TEST_F(SetGet, WindowAndProcedureAlwaysNeedConfiguringAgain)
{
    SetState(SubsystemStateConfigured);
    EXPECT_EQ(Request(QZDRV_SETWINDOWHANDLE, 0, 7), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateChanged);
    SetState(SubsystemStateConfigured);
    EXPECT_EQ(Request(QZDRV_SETWINDOWHANDLE, 0x1234, 9), QZERR_NO_ERROR);
    EXPECT_EQ(ss.notify.Get().window, 0x1234u);
    EXPECT_EQ(ss.notify.Get().wParam, 0xABC0u);
    EXPECT_EQ(ss.notify.Get().lParam, 9u);
    EXPECT_EQ(Request(QZDRV_SETWINDOWHANDLE, 0x999), QZERR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(Request(QZDRV_GETWINDOWHANDLE), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 0x1234u);

    SetState(SubsystemStateConfigured);
    EXPECT_EQ(Request(QZDRV_SETNOTIFYPROC, 0x5678, 42), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateChanged);
    EXPECT_EQ(ss.notify.Get().procedureSubsystem, 0xABC0u);
    EXPECT_EQ(ss.notify.Get().procedureUser, 42u);
    EXPECT_EQ(Request(QZDRV_SETNOTIFYPROC, 0x9999), QZERR_INVALID_NOTIFICATION_PROCEDURE);

    board.slots[SlotNotifications] = 0;
    EXPECT_EQ(Request(QZDRV_SETWINDOWHANDLE, 0x1234), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_GETNOTIFYPROC), QZERR_NOT_SUPPORTED);
}

// Pins the mend: the copy thread takes the target whole while a client retargets it between
// runs; a window never goes with another request's lParam, nor a procedure with another's
// user word.
TEST_F(SetGet, RetargetingNeverTearsTheTargetACopyIsTakenFrom)
{
    struct Pair {
        uintptr_t target;
        uintptr_t word;
    };
    // Both sides of each pair differ from the other pair's in every bit that matters.
    const Pair windows[2] = {{0x1234, 0x1111}, {0, 0x2222}};
    const Pair procedures[2] = {{0x5678, 0x3333}, {0, 0x4444}};
    std::atomic<bool> done{false};
    std::atomic<uint32_t> retargets{0};
    std::thread client([&] {
        for (int i = 0; !done; ++i, ++retargets) {
            const int k = i & 1;
            SetState(SubsystemStateConfigured);
            RequestParams w{windows[k].target, windows[k].word, 0, 0};
            HandleSetGetRequest(ss, QZDRV_SETWINDOWHANDLE, w, kEnv);
            RequestParams p{procedures[k].target, procedures[k].word, 0, 0};
            HandleSetGetRequest(ss, QZDRV_SETNOTIFYPROC, p, kEnv);
        }
    });
    uint32_t torn = 0;
    // A good many copies, while the client goes on retargeting.
    for (uint32_t copies = 0; copies < 500000 || retargets.load() < 50000; ++copies) {
        const NotificationTarget t = ss.notify.Get();
        const bool windowWhole = (t.window == windows[0].target && t.lParam == windows[0].word) ||
                                 (t.window == windows[1].target && t.lParam == windows[1].word) ||
                                 (t.window == 0 && t.lParam == 0);
        const bool procedureWhole = (t.procedure == procedures[0].target && t.procedureUser == procedures[0].word) ||
                                    (t.procedure == procedures[1].target && t.procedureUser == procedures[1].word) ||
                                    (t.procedure == 0 && t.procedureUser == 0);
        if (!windowWhole || !procedureWhole)
            ++torn;
    }
    done = true;
    client.join();
    EXPECT_EQ(torn, 0u);
}

TEST_F(SetGet, SomeSettingsAreAcceptedWithoutCapabilityWhenUnchanged)
{
    SetState(SubsystemStateConfigured);
    board.slots[SlotInternalClock] = 0;
    board.slots[SlotProgrammableResolution] = 0;
    board.slots[SlotEncoding200] = 0;
    board.slots[SlotTriggeredScan] = 0;
    board.slots[SlotProgrammableGain] = 0;
    EXPECT_EQ(Request(QZDRV_SETCLOCKFREQUENCY, 0, 0, 1000.0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETCLOCKFREQUENCY, 0, 0, 2000.0), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETRESOLUTION, 12), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETRESOLUTION, 16), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETENCODING, 200), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETENCODING, 201), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETTRIGGEREDSCANUSAGE, 0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETTRIGGEREDSCANUSAGE, 1), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETGAINLISTENTRY, 0, 0, 1.0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETGAINLISTENTRY, 0, 0, 2.0), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(State(), SubsystemStateConfigured);
    // Getters of the usage flags answer 0 without their capability.
    board.slots[SlotDmaChannels] = 0;
    EXPECT_EQ(Request(QZDRV_GETDMAUSAGE), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 0u);
    EXPECT_EQ(Request(QZDRV_GETTRIGGEREDSCANUSAGE), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 0u);
    EXPECT_EQ(Request(QZDRV_GETSYNCHRONOUSDIOUSAGE), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 0u);
    EXPECT_EQ(Request(QZDRV_GETCLOCKFREQUENCY), QZERR_NOT_SUPPORTED);
}

TEST_F(SetGet, ClockFrequencyIsClampedAndReadBackFixedOrFloat)
{
    EXPECT_EQ(Request(QZDRV_SETCLOCKFREQUENCY, 0, 0, 2e6), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETCLOCKFREQUENCY), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 480000.0);
    EXPECT_EQ(Request(QZDRV_SETCLOCKFREQUENCY, 0, 0, 0.5), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETCLOCKFREQUENCY), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 10.0);
    EXPECT_EQ(Request(QZDRV_SETCLOCKFREQUENCY, 0, 0, 237.5), QZERR_NO_ERROR);
    EXPECT_EQ(Get32(ss.configuration, CfgClockFixed + 4), 237u);
    EXPECT_EQ(GetFloat(ss.configuration, CfgClockFloat), 237.5f);
    EXPECT_EQ(Get32(ss.configuration, CfgClockParameter), 7u);
    EXPECT_EQ(Request(QZDRV_GETCLOCKFREQUENCY), QZERR_NO_ERROR);
    EXPECT_NEAR(last.real0, 237.5, 1e-9);
    // The driver may leave the float as the valid value.
    PutFloat(ss.configuration, CfgClockFloat, 240.25f);
    Put16(ss.configuration, CfgClockForm, 1);
    EXPECT_EQ(Request(QZDRV_GETCLOCKFREQUENCY), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 240.25);
    EXPECT_EQ(Request(QZDRV_SETCLOCKFREQUENCY, 0, 0, std::nan("")), QZERR_INVALID_FREQUENCY);
}

TEST_F(SetGet, RetriggerFrequencyNeedsTriggeredScanAndItsGetterNoCapability)
{
    EXPECT_EQ(Request(QZDRV_SETRETRIGGERFREQUENCY, 0, 0, 5000.0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETRETRIGGERFREQUENCY), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 1000.0);
    board.slots[SlotTriggeredScan] = 0;
    board.slots[SlotInternalClock] = 0;
    EXPECT_EQ(Request(QZDRV_SETRETRIGGERFREQUENCY, 0, 0, 50.0), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_GETRETRIGGERFREQUENCY), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 1000.0);
}

TEST_F(SetGet, RangeMustBeAPairOfTheTable)
{
    EXPECT_EQ(Request(QZDRV_SETRANGE, 0, 0, 5.0, -5.0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETRANGE), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 5.0);
    EXPECT_EQ(last.real1, -5.0);
    EXPECT_EQ(Request(QZDRV_SETRANGE, 0, 0, 10.0, -5.0), QZERR_INVALID_RANGE);  // not at one index
    EXPECT_EQ(Request(QZDRV_SETRANGE, 0, 0, -5.0, 5.0), QZERR_INVALID_RANGE);
    // A range entry reads back as the table's own value, exactly, also between -1 and 0
    // where the fixed-point form alone has no sign.
    board.rangeMaximum[1] = 0.625;
    board.rangeMinimum[1] = -0.625;
    EXPECT_EQ(Request(QZDRV_SETRANGE, 0, 0, 0.625, -0.625), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETRANGE), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 0.625);
    EXPECT_EQ(last.real1, -0.625);
    board.rangeMaximum[0] = 10.0;
    SubsystemCapabilities caps = board.Caps();
    caps.rangeMaximumRows = nullptr;
    ss.caps = caps;
    EXPECT_EQ(Request(QZDRV_SETRANGE, 0, 0, 10.0, -10.0), QZERR_NO_RANGE_LIST);
}

// Pins the mended fault: a per-channel range of channel 2 no longer lands on the maximum row.
TEST_F(SetGet, ChannelRangeBeyondChannelOneLeavesTheMaximumRowAlone)
{
    ASSERT_EQ(Request(QZDRV_SETCHANNELRANGE, 1, 0, 5.0, -5.0), QZERR_NO_ERROR);
    std::vector<uint8_t> before(ss.configuration.begin() + CfgRangeMaximum,
                                ss.configuration.begin() + CfgRangeMaximum + 16);
    ASSERT_EQ(Request(QZDRV_SETCHANNELRANGE, 2, 0, 1.25, -1.25), QZERR_NO_ERROR);
    std::vector<uint8_t> after(ss.configuration.begin() + CfgRangeMaximum,
                               ss.configuration.begin() + CfgRangeMaximum + 16);
    EXPECT_EQ(before, after);
    EXPECT_EQ(Request(QZDRV_GETRANGE), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 10.0);
    EXPECT_EQ(last.real1, -10.0);
    EXPECT_EQ(Request(QZDRV_GETCHANNELRANGE, 2), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 1.25);
    EXPECT_EQ(last.real1, -1.25);
    EXPECT_EQ(Request(QZDRV_GETCHANNELRANGE, 1), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 5.0);
    EXPECT_EQ(last.real1, -5.0);
    // Channel 2's own row has no (5, -5); channel 3 does not exist.
    EXPECT_EQ(Request(QZDRV_SETCHANNELRANGE, 2, 0, 5.0, -5.0), QZERR_INVALID_RANGE);
    EXPECT_EQ(Request(QZDRV_SETCHANNELRANGE, 3, 0, 10.0, -10.0), QZERR_INVALID_CHANNEL);
    // Unchanged keeps a configured state.
    SetState(SubsystemStateConfigured);
    EXPECT_EQ(Request(QZDRV_SETCHANNELRANGE, 2, 0, 1.25, -1.25), QZERR_NO_ERROR);
    EXPECT_EQ(State(), SubsystemStateConfigured);
    // Defaults forget it.
    ApplyDefaultConfiguration(ss);
    EXPECT_EQ(Request(QZDRV_GETCHANNELRANGE, 2), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 0.0);
}

TEST_F(SetGet, ChannelListChecksEntryAndChannel)
{
    EXPECT_EQ(Request(QZDRV_SETCHANNELLISTSIZE, 4), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETCHANNELLISTSIZE, 0), QZERR_INVALID_LIST_SIZE);
    EXPECT_EQ(Request(QZDRV_SETCHANNELLISTSIZE, 17), QZERR_INVALID_LIST_SIZE);
    EXPECT_EQ(Request(QZDRV_GETCHANNELLISTSIZE), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 4u);
    EXPECT_EQ(Request(QZDRV_SETCHANNELLISTENTRY, 15, 2), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETCHANNELLISTENTRY, 15), QZERR_NO_ERROR);
    EXPECT_EQ(last.word1, 2u);
    EXPECT_EQ(Get16(ss.configuration, 296 + 24 * 15), 2u);
    EXPECT_EQ(Request(QZDRV_SETCHANNELLISTENTRY, 16, 0), QZERR_INVALID_LIST_ENTRY);
    EXPECT_EQ(Request(QZDRV_SETCHANNELLISTENTRY, 0, 3), QZERR_INVALID_CHANNEL);
    EXPECT_EQ(Request(QZDRV_GETCHANNELLISTENTRY, 16), QZERR_INVALID_LIST_ENTRY);
}

TEST_F(SetGet, GainSnapsToTheNearestTableEntry)
{
    EXPECT_EQ(Request(QZDRV_SETGAINLISTENTRY, 3, 0, 3.0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETGAINLISTENTRY, 3), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 2.0);
    EXPECT_EQ(Request(QZDRV_SETGAINLISTENTRY, 3, 0, 7.0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETGAINLISTENTRY, 3), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 8.0);
    EXPECT_EQ(Request(QZDRV_SETGAINLISTENTRY, 16, 0, 1.0), QZERR_INVALID_LIST_ENTRY);
    // A programmable gain without a table keeps the held gain only (it never reads a missing
    // first entry).
    board.slots[SlotGainCount] = 0;
    EXPECT_EQ(Request(QZDRV_SETGAINLISTENTRY, 0, 0, 1.0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETGAINLISTENTRY, 0, 0, 4.0), QZERR_NOT_SUPPORTED);
}

TEST_F(SetGet, TriggerSourcesFollowTheirSlots)
{
    EXPECT_EQ(Request(QZDRV_SETTRIGGER, 299), QZERR_INVALID_TRIGGER);
    EXPECT_EQ(Request(QZDRV_SETTRIGGER, 302), QZERR_INVALID_TRIGGER);
    EXPECT_EQ(Request(QZDRV_SETTRIGGER, 303), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETTRIGGER, 306), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETTRIGGER, 307), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETTRIGGER, 308), QZERR_INVALID_TRIGGER);
    EXPECT_EQ(Request(QZDRV_SETTRIGGER, 1200), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETTRIGGER, 1202), QZERR_INVALID_TRIGGER);
    EXPECT_EQ(Request(QZDRV_GETTRIGGER), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 307u);
    EXPECT_EQ(Request(QZDRV_SETPRETRIGGERSOURCE, 300), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETRETRIGGERSOURCE, 300), QZERR_NOT_SUPPORTED);
    board.slots[SlotDataFlow805] = 1;
    EXPECT_EQ(Request(QZDRV_SETPRETRIGGERSOURCE, 301), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETPRETRIGGERSOURCE), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 301u);
}

TEST_F(SetGet, ValueCodesOfEachSetting)
{
    EXPECT_EQ(Request(QZDRV_SETDMAUSAGE, 3), QZERR_NOT_ENOUGH_DMA_CHANNELS);
    EXPECT_EQ(Request(QZDRV_SETDMAUSAGE, 2), QZERR_NOT_ENOUGH_DMA_CHANNELS);  // board has one
    EXPECT_EQ(Request(QZDRV_SETDMAUSAGE, 0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETDMAUSAGE), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 0u);
    EXPECT_EQ(Request(QZDRV_SETCHANNELTYPE, 102), QZERR_INVALID_CHANNEL_TYPE);
    EXPECT_EQ(Request(QZDRV_SETCHANNELTYPE, 101), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETENCODING, 202), QZERR_INVALID_ENCODING);
    EXPECT_EQ(Request(QZDRV_SETRESOLUTION, 11), QZERR_INVALID_RESOLUTION);
    EXPECT_EQ(Request(QZDRV_SETRESOLUTION, 17), QZERR_INVALID_RESOLUTION);
    EXPECT_EQ(Request(QZDRV_SETRESOLUTION, 14), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETRESOLUTION), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 14u);
    EXPECT_EQ(Request(QZDRV_SETCLOCKSOURCE, 399), QZERR_INVALID_CLOCK_SOURCE);
    EXPECT_EQ(Request(QZDRV_SETCLOCKSOURCE, 402), QZERR_INVALID_CLOCK_SOURCE);
    EXPECT_EQ(Request(QZDRV_SETCLOCKSOURCE, 401), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETEXTERNCLOCKDIVIDER, 0), QZERR_INVALID_DIVIDER_VALUE);
    EXPECT_EQ(Request(QZDRV_SETEXTERNCLOCKDIVIDER, 1), QZERR_INVALID_DIVIDER_VALUE);
    EXPECT_EQ(Request(QZDRV_SETEXTERNCLOCKDIVIDER, 101), QZERR_INVALID_DIVIDER_VALUE);
    EXPECT_EQ(Request(QZDRV_SETEXTERNCLOCKDIVIDER, 50), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETDATAFLOW, 806), QZERR_INVALID_DATA_FLOW);
    EXPECT_EQ(Request(QZDRV_SETDATAFLOW, 802), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETDATAFLOW, 804), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETDATAFLOW, 801), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETWRAPMODE, 999), QZERR_INVALID_WRAP_MODE);
    EXPECT_EQ(Request(QZDRV_SETWRAPMODE, 1002), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETWRAPMODE, 1001), QZERR_NO_ERROR);
    // A refused count moves the state to 1001 too, and keeps the count held.
    for (uint32_t refused : {0u, 9u}) {
        SetState(SubsystemStateConfigured);
        EXPECT_EQ(Request(QZDRV_SETMULTISCANCOUNT, refused),
                  QZERR_INVALID_COUNT_COUNT_EXCEEDS_MAXIMUM_OF_SCANS_OF_THE_CGL);
        EXPECT_EQ(State(), SubsystemStateChanged) << refused;
        EXPECT_EQ(Request(QZDRV_GETMULTISCANCOUNT), QZERR_NO_ERROR);
        EXPECT_EQ(last.word0, 1u);
    }
    SetState(SubsystemStateConfigured);
    EXPECT_EQ(Request(QZDRV_SETMULTISCANCOUNT, 1), QZERR_NO_ERROR);  // unchanged, still 1001
    EXPECT_EQ(State(), SubsystemStateChanged);
    EXPECT_EQ(Request(QZDRV_SETRETRIGGERMODE, 1299), QZERR_INVALID_RETRIGGER_MODE);
    EXPECT_EQ(Request(QZDRV_SETRETRIGGERMODE, 1300), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETTRANSFERSIZE, 4), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETCHANNELFILTER, 0, 0, 1000.0), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETCHANNELLISTINHIBIT, 0, 1), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETDIGITALIOLISTENTRY, 0, 1), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETQUADRATURE, 1, 1400), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(0x4050), QZERR_NOT_SUPPORTED);
    // Counter/timer requests on an analog input.
    EXPECT_EQ(Request(QZDRV_SETCOUNTERMODE, 700), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_GETGATETYPE), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETPULSEWIDTH, 0, 0, 25.0), QZERR_NOT_SUPPORTED);
}

TEST_F(SetGet, CounterTimerSettings)
{
    board = CounterBoard();
    Open(SubsystemTypeCT);
    EXPECT_EQ(Request(QZDRV_SETCASCADEMODE, 901), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETCASCADEMODE, 900), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETCASCADEMODE, 902), QZERR_INVALID_CASCADE_MODE);
    EXPECT_EQ(Request(QZDRV_GETCASCADEMODE), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 901u);
    EXPECT_EQ(Request(QZDRV_SETGATETYPE, 504), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETGATETYPE, 505), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETGATETYPE, 511), QZERR_INVALID_GATE);
    EXPECT_EQ(Request(QZDRV_SETCOUNTERMODE, 703), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETCOUNTERMODE, 704), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETCOUNTERMODE, 705), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETCOUNTERMODE, 707), QZERR_INVALID_COUNTER_MODE);
    EXPECT_EQ(Request(QZDRV_SETPULSETYPE, 602), QZERR_INVALID_PULSE_TYPE);
    EXPECT_EQ(Request(QZDRV_SETPULSETYPE, 601), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETPULSEWIDTH, 0, 0, 25.9), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETPULSEWIDTH), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 25.0);
    EXPECT_EQ(Request(QZDRV_SETPULSEWIDTH, 0, 0, 100.5), QZERR_NO_ERROR);  // 100 after truncation
    EXPECT_EQ(Request(QZDRV_SETPULSEWIDTH, 0, 0, 101.0), QZERR_INVALID_PULSE_WIDTH);
    EXPECT_EQ(Request(QZDRV_SETPULSEWIDTH, 0, 0, -1.0), QZERR_INVALID_PULSE_WIDTH);
    EXPECT_EQ(Request(QZDRV_SETPULSEWIDTH, 0, 0, std::nan("")), QZERR_INVALID_PULSE_WIDTH);
    EXPECT_EQ(Request(QZDRV_SETSTARTEDGE, 751), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETSTARTEDGE, 752), QZERR_INVALID_COUNTER_EDGE_SPECIFIED);
    EXPECT_EQ(Request(QZDRV_SETSTOPEDGE, 750), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_SETWRAPMODE, 1000), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_PUTBUFFER, 0), QZERR_NOT_SUPPORTED);  // no queues on a counter
    board.slots[SlotPulseWidthFixed] = 1;
    EXPECT_EQ(Request(QZDRV_SETPULSEWIDTH, 0, 0, 50.0), QZERR_INVALID_PULSE_WIDTH);
    // A quadrature decoder takes no counter/timer requests, but its own.
    board.slots[SlotQuadratureDecoder] = 1;
    EXPECT_EQ(Request(QZDRV_GETCOUNTERMODE), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(Request(QZDRV_SETQUADRATURE, 4 | (1 << 16), 1403), QZERR_INVALID_INDEX);
    EXPECT_EQ(Request(QZDRV_SETQUADRATURE, 4 | (1 << 16), 1402), QZERR_NO_ERROR);
    EXPECT_EQ(Get16(ss.configuration, CfgQuadScaling), 4u);
    EXPECT_EQ(Get8(ss.configuration, CfgQuadFlag), 1u);
    EXPECT_EQ(Get16(ss.configuration, CfgQuadIndexMode), 1402u);
    SetState(SubsystemStateRunning);
    EXPECT_EQ(Request(QZDRV_SETQUADRATURE, 1, 1400), QZERR_SUBSYSTEM_ALREADY_RUNNING);
}

TEST_F(SetGet, CapabilityIndexesReadSlotsDoublesAndTables)
{
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, SlotChannelListCapacity), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 16u);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, 73 + 3), QZERR_NO_ERROR);  // slot 64
    EXPECT_EQ(last.word0, 0u);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, 76 + 12), QZERR_NO_ERROR);  // slot 76
    EXPECT_EQ(last.word0, 8u);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, CapMaxClockFrequency), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 480000.0);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, CapRangeMaximum, 1), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 5.0);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, CapRangeMinimum, 2), QZERR_INVALID_RANGE_INDEX);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, CapFilter, 2), QZERR_INVALID_FILTER_INDEX);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, CapGain, 3), QZERR_NO_ERROR);
    EXPECT_EQ(last.real0, 8.0);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, CapGain, 4), QZERR_INVALID_GAIN_INDEX);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, CapResolution, 2), QZERR_BAD_RESOLUTION_SELECTED);
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, 102), QZERR_INVALID_SUBSYSTEM_CAPABILITY);
    // A personality that fills no integer block reads as all slots 0.
    ss.caps.integerSlots = nullptr;
    EXPECT_EQ(Request(QZDRV_GETSSCAPS, SlotChannelListCapacity), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 0u);
}

TEST_F(SetGet, QueuesPutGetSizesAndFlush)
{
    ASSERT_EQ(BmCreateList(&ss.readyQueue), QZMEM_OK);
    ASSERT_EQ(BmCreateList(&ss.doneQueue), QZMEM_OK);
    HBUF a = nullptr, b = nullptr;
    ASSERT_EQ(BmAllocBuffer(8, 2, &a), QZMEM_OK);
    ASSERT_EQ(BmAllocBuffer(8, 2, &b), QZMEM_OK);
    EXPECT_EQ(Request(QZDRV_PUTBUFFER, reinterpret_cast<uintptr_t>(a)), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_PUTBUFFER, reinterpret_cast<uintptr_t>(a)), QZMEM_BUFFER_ON_LIST);
    EXPECT_EQ(Request(QZDRV_PUTBUFFER, 12345), QZMEM_BAD_BUFFER);
    EXPECT_EQ(Request(QZDRV_PUTBUFFER, reinterpret_cast<uintptr_t>(b)), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETQUEUESIZES, QueueReady), QZERR_NO_ERROR);
    EXPECT_EQ(last.word1, 2u);
    EXPECT_EQ(Request(QZDRV_GETQUEUESIZES, QueueInProcess), QZERR_NO_ERROR);
    EXPECT_EQ(last.word1, 3u);
    EXPECT_EQ(Request(QZDRV_GETQUEUESIZES, 1103), QZERR_INVALID_QUEUE_TYPE_SPECIFIED);
    EXPECT_EQ(Request(QZDRV_GETBUFFER), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, 0u);  // nothing done yet

    SetState(SubsystemStateRunning);
    EXPECT_EQ(Request(QZDRV_FLUSHBUFFERS), QZERR_SUBSYSTEM_ALREADY_RUNNING);
    SetState(SubsystemStateConfigured);
    EXPECT_EQ(Request(QZDRV_FLUSHBUFFERS), QZERR_NO_ERROR);
    EXPECT_EQ(Request(QZDRV_GETQUEUESIZES, QueueDone), QZERR_NO_ERROR);
    EXPECT_EQ(last.word1, 2u);
    EXPECT_EQ(Request(QZDRV_GETBUFFER), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, reinterpret_cast<uintptr_t>(a));
    EXPECT_EQ(Request(QZDRV_GETBUFFER), QZERR_NO_ERROR);
    EXPECT_EQ(last.word0, reinterpret_cast<uintptr_t>(b));
    EXPECT_EQ(BmFreeBuffer(a), QZMEM_OK);
    EXPECT_EQ(BmFreeBuffer(b), QZMEM_OK);
}

TEST_F(SetGet, AnalogOutputRefusesAnOddNumberOfSamples)
{
    Open(SubsystemTypeDA);
    ASSERT_EQ(BmCreateList(&ss.readyQueue), QZMEM_OK);
    ASSERT_EQ(BmCreateList(&ss.doneQueue), QZMEM_OK);
    HBUF buffer = nullptr;
    ASSERT_EQ(BmAllocBuffer(8, 2, &buffer), QZMEM_OK);
    ASSERT_EQ(BmSetValidSamples(buffer, 3), QZMEM_OK);
    EXPECT_EQ(Request(QZDRV_PUTBUFFER, reinterpret_cast<uintptr_t>(buffer)),
              QZERR_REQUESTED_OPERATION_REQUIRES_THAT_VALID_SAMPLES_IN_BUFFER_BE_A_MULTIPLE_OF_2);
    ASSERT_EQ(BmSetValidSamples(buffer, 4), QZMEM_OK);
    EXPECT_EQ(Request(QZDRV_PUTBUFFER, reinterpret_cast<uintptr_t>(buffer)), QZERR_NO_ERROR);
    // Without continuous transfer there are no queue requests at all.
    board.slots[SlotContinuousTransfer] = 0;
    EXPECT_EQ(Request(QZDRV_GETBUFFER), QZERR_NOT_SUPPORTED);
}

// Codes above 0x404F without a command, and the commands that do nothing, come back with 0.
TEST(RequestRouting, SetGetCommandOrNothing)
{
    EXPECT_EQ(RouteOfRequest(QZDRV_GETSSCAPS), RequestRoute::SetGet);
    EXPECT_EQ(RouteOfRequest(QZDRV_SETQUADRATURE), RequestRoute::SetGet);
    EXPECT_EQ(RouteOfRequest(0x4050), RequestRoute::Nothing);
    EXPECT_EQ(RouteOfRequest(0x4062), RequestRoute::Nothing);
    EXPECT_EQ(RouteOfRequest(QZDRV_NULL), RequestRoute::Nothing);
    EXPECT_EQ(RouteOfRequest(QZDRV_READEVENTS), RequestRoute::Command);
    EXPECT_EQ(RouteOfRequest(QZDRV_CONFIG), RequestRoute::Command);
    EXPECT_EQ(RouteOfRequest(QZDRV_BURSTBRCONNECT), RequestRoute::Nothing);
    EXPECT_EQ(RouteOfRequest(QZDRV_ALLOCATE), RequestRoute::Nothing);
    EXPECT_EQ(RouteOfRequest(QZDRV_DEALLOCATE), RequestRoute::Nothing);
    EXPECT_EQ(RouteOfRequest(QZDRV_GETSINGLEVALUES), RequestRoute::Command);
    EXPECT_EQ(RouteOfRequest(0x4077), RequestRoute::Nothing);
    int commands = 0;
    for (uint32_t code = 0x4050; code <= 0x4100; ++code)
        commands += RouteOfRequest(code) == RequestRoute::Command ? 1 : 0;
    EXPECT_EQ(commands, 16);
}
