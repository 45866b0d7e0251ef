// The library's frame under Wine, linked in directly: devices and subsystems opened through
// the frame with a made-up personality (no driver behind it), then driven through the
// exports: set/get packing with doubles, queues with the real qzmem32.dll, notification
// targets, handle lifetimes, table limits, unload clean-up, and open/close and requests from
// many threads at once. Then the frame on the simulated board: both discovery routes, the
// configuration record as the board received it, and synchronous requests on overlapped
// handles.
#include "qzdaapi32/frame_win.h"

#include "qzdaapi32/copy_thread_win.h"
#include "qzdaapi32/discovery_win.h"
#include "qzdaapi32/driver_request.h"
#include "qzdaapi32/qzdaapi32.h"
#include "standins/personality/qzsimbrd_control_win.h"
#include "standins/personality/sim_personality.h"
#include "standins/personality/sim_registration_win.h"
#include "tests/qzdaapi32/test_boards.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

TestBoard& AnalogBoard()
{
    static TestBoard board = [] {
        TestBoard b = AnalogInputBoard();
        b.slots[SlotSimultaneousStart] = 1;
        return b;
    }();
    return board;
}

TestBoard& CounterTimerBoard()
{
    static TestBoard board = CounterBoard();
    return board;
}

int32_t __stdcall TestPersonality(uint32_t, const char*, uint32_t type, uint32_t, SubsystemCapabilities* caps)
{
    *caps = type == SubsystemTypeCT ? CounterTimerBoard().Caps() : AnalogBoard().Caps();
    return 1;
}

const uint32_t kTypeCounts[kSubsystemTypeCount] = {2, 1, 1, 1, 0, 2};

DeviceHandle OpenTestDevice(const char* name = "QZ-Test Board")
{
    DeviceRecord* record = NewDeviceRecord();
    record->personalityProc = TestPersonality;
    record->typeCounts = kTypeCounts;
    std::strncpy(record->boardName, name, kBoardNameChars);
    std::strcpy(record->driverName, "qztest");
    DeviceHandle device = nullptr;
    EXPECT_EQ(InsertDevice(record, &device), QZERR_NO_ERROR);
    return device;
}

SubsystemHandle OpenSubsystem(DeviceHandle device, uint32_t type, uint32_t element = 0)
{
    SubsystemHandle subsystem = nullptr;
    EXPECT_EQ(CreateSubsystem(device, type, element, INVALID_HANDLE_VALUE, &subsystem), QZERR_NO_ERROR);
    return subsystem;
}

uint32_t OpenSubsystems()
{
    uint32_t subsystems = 0;
    CountOpenHandles(nullptr, &subsystems);
    return subsystems;
}

int32_t __stdcall CollectUnits(const char* name, uint32_t, uint32_t, intptr_t user)
{
    reinterpret_cast<std::vector<std::string>*>(user)->push_back(name);
    return 1;
}

int32_t __stdcall StopAfterOne(const char*, uint32_t, uint32_t, intptr_t user)
{
    ++*reinterpret_cast<int*>(user);
    return 0;
}

struct Caps {
    std::vector<std::pair<double, double>> entries;
};

int32_t __stdcall CollectCaps(uint32_t, double first, double second, intptr_t user)
{
    reinterpret_cast<Caps*>(user)->entries.push_back({first, second});
    return 1;
}

void __stdcall Notified(uint32_t, SubsystemHandle, intptr_t) {}

int32_t __stdcall CountMembers(SimultaneousStartListHandle, SubsystemHandle, intptr_t user)
{
    ++*reinterpret_cast<int*>(user);
    return 1;
}

class Frame : public ::testing::Test {
protected:
    void TearDown() override
    {
        ShutdownAllHandles(false);
        uint32_t devices = 1, subsystems = 1;
        CountOpenHandles(&devices, &subsystems);
        EXPECT_EQ(devices, 0u);
        EXPECT_EQ(subsystems, 0u);
    }
};

}  // namespace

TEST_F(Frame, SetAndGetThroughTheExportsWithDoubles)
{
    DeviceHandle device = OpenTestDevice();
    SubsystemHandle ad = OpenSubsystem(device, SubsystemTypeAD);
    double value = 0, other = 0;
    uint32_t word = 0;
    ASSERT_EQ(qzDaGetSSCapsEx(ad, CapMaxClockFrequency, &value), QZERR_NO_ERROR);
    EXPECT_EQ(value, 480000.0);
    ASSERT_EQ(qzDaGetSSCaps(ad, SlotChannelListCapacity, &word), QZERR_NO_ERROR);
    EXPECT_EQ(word, 16u);
    EXPECT_EQ(qzDaSetClockFrequency(ad, 237.5), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetClockFrequency(ad, &value), QZERR_NO_ERROR);
    EXPECT_NEAR(value, 237.5, 1e-9);
    EXPECT_EQ(qzDaSetRange(ad, 5.0, -5.0), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetRange(ad, &value, &other), QZERR_NO_ERROR);
    EXPECT_EQ(value, 5.0);
    EXPECT_EQ(other, -5.0);
    EXPECT_EQ(qzDaSetRange(ad, 5.0, -10.0), QZERR_INVALID_RANGE);
    EXPECT_EQ(qzDaSetChannelRange(ad, 2, 1.25, -1.25), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetChannelRange(ad, 2, &value, &other), QZERR_NO_ERROR);
    EXPECT_EQ(value, 1.25);
    EXPECT_EQ(other, -1.25);
    EXPECT_EQ(qzDaSetGainListEntry(ad, 1, 5.0), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetGainListEntry(ad, 1, &value), QZERR_NO_ERROR);
    EXPECT_EQ(value, 4.0);
    EXPECT_EQ(qzDaSetChannelType(ad, ChannelType100), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSetChannelListSize(ad, 4), QZERR_NO_ERROR);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(qzDaSetChannelListEntry(ad, i, i % 3), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetChannelListEntry(ad, 3, &word), QZERR_NO_ERROR);
    EXPECT_EQ(word, 0u);
    EXPECT_EQ(qzDaSetTrigger(ad, TriggerExtra1), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSetDataFlow(ad, DataFlowContinuous), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSetDataFlow(ad, 802), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(qzDaSetWrapMode(ad, WrapRecycleDone), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetWrapMode(ad, &word), QZERR_NO_ERROR);
    EXPECT_EQ(word, WrapRecycleDone);
    ASSERT_EQ(qzDaGetResolution(ad, &word), QZERR_NO_ERROR);
    EXPECT_EQ(word, 12u);
    ASSERT_EQ(qzDaGetEncoding(ad, &word), QZERR_NO_ERROR);
    EXPECT_EQ(word, EncodingStraightBinary);
    EXPECT_EQ(qzDaSetSpecialVpiConfigMode(ad, 0xA5), QZERR_NO_ERROR);
    uint8_t vpi = 0;
    ASSERT_EQ(qzDaGetSpecialVpiConfigMode(ad, &vpi), QZERR_NO_ERROR);
    EXPECT_EQ(vpi, 0xA5);

    SubsystemHandle ct = OpenSubsystem(device, SubsystemTypeCT, 1);
    EXPECT_EQ(qzDaSetCascadeMode(ct, CascadeModeSingle), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSetGateType(ct, 504), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSetCTMode(ct, 703), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSetClockSource(ct, ClockInternal), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSetPulseType(ct, PulseType601), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSetPulseWidth(ct, 25.0), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetPulseWidth(ct, &value), QZERR_NO_ERROR);
    EXPECT_EQ(value, 25.0);
    ASSERT_EQ(qzDaGetDataFlow(ct, &word), QZERR_NO_ERROR);
    EXPECT_EQ(word, DataFlowContinuous);
    // There is no driver behind this made-up board: the configure call fails (125) and the
    // subsystem stays unconfigured.
    EXPECT_EQ(qzDaConfig(ct), QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS);
    EXPECT_EQ(qzDaStart(ct), QZERR_SYSTEM_NOT_CONFIGURED);

    QzDassInfo info{};
    ASSERT_EQ(qzDaGetDASSInfo(ct, &info), QZERR_NO_ERROR);
    EXPECT_EQ(info.device, device);
    EXPECT_EQ(info.type, SubsystemTypeCT);
    EXPECT_EQ(info.element, 1u);
}

TEST_F(Frame, DeviceQuestionsAndEnumerations)
{
    DeviceHandle device = OpenTestDevice();
    uint32_t count = 0;
    ASSERT_EQ(qzDaGetDevCaps(device, SubsystemTypeAll, &count), QZERR_NO_ERROR);
    EXPECT_EQ(count, 7u);
    ASSERT_EQ(qzDaGetDevCaps(device, SubsystemTypeCT, &count), QZERR_NO_ERROR);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(qzDaGetDevCaps(device, 6, &count), QZERR_INVALID_SUBSYSTEM_SPECIFIED);

    std::vector<std::string> units;
    ASSERT_EQ(qzDaEnumSubSystems(device, CollectUnits, reinterpret_cast<intptr_t>(&units)), QZERR_NO_ERROR);
    EXPECT_EQ(units, (std::vector<std::string>{"AD Unit 0", "AD Unit 1", "DA Unit 0", "DIN Unit 0", "DOUT Unit 0",
                                               "CT Unit 0", "CT Unit 1"}));
    int calls = 0;
    EXPECT_EQ(qzDaEnumSubSystems(device, StopAfterOne, reinterpret_cast<intptr_t>(&calls)), QZERR_NO_ERROR);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(qzDaEnumSubSystems(device, nullptr, 0), QZERR_ENUM_PROC_CALLBACK_NULL);

    char name[64];
    ASSERT_EQ(qzDaGetDeviceName(device, name, sizeof name), QZERR_NO_ERROR);
    EXPECT_STREQ(name, "QZ-Test Board");
    ASSERT_EQ(qzDaGetDeviceName(device, name, 6), QZERR_NO_ERROR);
    EXPECT_STREQ(name, "QZ-Te");
    EXPECT_EQ(qzDaGetDeviceName(device, name, 0), QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL);
    // No driver file on this machine: no version block.
    EXPECT_EQ(qzDaGetDriverVersion(device, name, sizeof name),
              QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS);

    SubsystemHandle subsystem = nullptr;
    EXPECT_EQ(qzDaGetDASS(device, SubsystemTypeSRL, 0, &subsystem), QZERR_INVALID_SUBSYSTEM_SPECIFIED);
    EXPECT_EQ(qzDaGetDASS(device, 6, 0, &subsystem), QZERR_INVALID_SUBSYSTEM_SPECIFIED);
    EXPECT_EQ(qzDaGetDASS(device, SubsystemTypeAD, 2, &subsystem), QZERR_INVALID_SUBSYSTEM_SPECIFIED);
    // This made-up board has no driver path to open.
    EXPECT_EQ(qzDaGetDASS(device, SubsystemTypeAD, 0, &subsystem), QZERR_SUBSYSTEM_IN_USE);

    SubsystemHandle ad = OpenSubsystem(device, SubsystemTypeAD);
    Caps ranges;
    ASSERT_EQ(qzDaEnumSSCaps(ad, CapKindRanges, CollectCaps, reinterpret_cast<intptr_t>(&ranges)), QZERR_NO_ERROR);
    ASSERT_EQ(ranges.entries.size(), 2u);
    EXPECT_EQ(ranges.entries[1], std::make_pair(5.0, -5.0));
    Caps gains;
    ASSERT_EQ(qzDaEnumSSCaps(ad, CapKindGains, CollectCaps, reinterpret_cast<intptr_t>(&gains)), QZERR_NO_ERROR);
    ASSERT_EQ(gains.entries.size(), 4u);
    EXPECT_EQ(gains.entries[3], std::make_pair(8.0, 0.0));
    Caps resolutions;
    ASSERT_EQ(qzDaEnumSSCaps(ad, CapKindResolutions, CollectCaps, reinterpret_cast<intptr_t>(&resolutions)),
              QZERR_NO_ERROR);
    EXPECT_EQ(resolutions.entries.size(), 2u);
    EXPECT_EQ(qzDaEnumSSCaps(ad, 104, CollectCaps, 0), QZERR_CANNOT_ENUMERATE_THIS_CAPABILITY);
    EXPECT_EQ(qzDaEnumSSCaps(ad, CapKindGains, nullptr, 0), QZERR_ENUM_PROC_CALLBACK_NULL);
}

TEST_F(Frame, QueuesWithTheBufferMemoryLibraryAndReleaseFreesWhatIsLeft)
{
    DeviceHandle device = OpenTestDevice();
    SubsystemHandle ad = OpenSubsystem(device, SubsystemTypeAD);
    std::vector<HBUF> buffers(8);
    for (HBUF& buffer : buffers) {
        ASSERT_EQ(MemAllocBuffer(0, 0, 480, 2, &buffer), QZMEM_OK);
        ASSERT_EQ(qzDaPutBuffer(ad, buffer), QZERR_NO_ERROR);
    }
    EXPECT_EQ(qzDaPutBuffer(ad, buffers[0]), QZMEM_BUFFER_ON_LIST);
    uint32_t count = 0;
    ASSERT_EQ(qzDaGetQueueSize(ad, QueueReady, &count), QZERR_NO_ERROR);
    EXPECT_EQ(count, 8u);
    ASSERT_EQ(qzDaGetQueueSize(ad, QueueInProcess, &count), QZERR_NO_ERROR);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(qzDaGetQueueSize(ad, 1103, &count), QZERR_INVALID_QUEUE_TYPE_SPECIFIED);
    HBUF taken = reinterpret_cast<HBUF>(uintptr_t{1});
    ASSERT_EQ(qzDaGetBuffer(ad, &taken), QZERR_NO_ERROR);
    EXPECT_EQ(taken, nullptr);
    ASSERT_EQ(qzDaFlushBuffers(ad), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaGetQueueSize(ad, QueueDone, &count), QZERR_NO_ERROR);
    EXPECT_EQ(count, 8u);
    ASSERT_EQ(qzDaGetBuffer(ad, &taken), QZERR_NO_ERROR);
    EXPECT_EQ(taken, buffers[0]);
    EXPECT_EQ(MemFreeBuffer(taken), QZMEM_OK);

    // Release frees the seven buffers still queued.
    ASSERT_EQ(qzDaReleaseDASS(ad), QZERR_NO_ERROR);
    uint32_t bytes = 0;
    for (size_t i = 1; i < buffers.size(); ++i)
        EXPECT_EQ(MemGetBufferSize(buffers[i], &bytes), QZMEM_BAD_BUFFER) << i;
    EXPECT_EQ(qzDaPutBuffer(ad, buffers[0]), QZERR_INVALID_SUBSYSTEM_HANDLE);
    EXPECT_EQ(qzDaReleaseDASS(ad), QZERR_INVALID_SUBSYSTEM_HANDLE);

    // A counter has no queues.
    SubsystemHandle ct = OpenSubsystem(device, SubsystemTypeCT);
    EXPECT_EQ(qzDaGetBuffer(ct, &taken), QZERR_NOT_SUPPORTED);
}

TEST_F(Frame, NotificationTargetsAreChecked)
{
    DeviceHandle device = OpenTestDevice();
    SubsystemHandle ad = OpenSubsystem(device, SubsystemTypeAD);
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(qzDaSetWndHandle(ad, window, 0), QZERR_NO_ERROR);
    QzWindowHandle back = nullptr;
    ASSERT_EQ(qzDaGetWndHandle(ad, &back), QZERR_NO_ERROR);
    EXPECT_EQ(back, window);
    EXPECT_EQ(qzDaSetWndHandle(ad, reinterpret_cast<HWND>(uintptr_t{0x4321}), 0), QZERR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(qzDaSetWndHandle(ad, nullptr, 0), QZERR_NO_ERROR);

    EXPECT_EQ(qzDaSetNotificationProcedure(ad, Notified, 7), QZERR_NO_ERROR);
    QzNotifyProc procedure = nullptr;
    ASSERT_EQ(qzDaGetNotificationProcedure(ad, &procedure), QZERR_NO_ERROR);
    EXPECT_EQ(procedure, Notified);
    static int data;
    EXPECT_EQ(qzDaSetNotificationProcedure(ad, reinterpret_cast<QzNotifyProc>(&data), 0),
              QZERR_INVALID_NOTIFICATION_PROCEDURE);
    DestroyWindow(window);

    EXPECT_EQ(qzDaMeasureFrequency(ad, nullptr, 1.0), QZERR_NO_WINDOW_HANDLE_SPECIFIED_FOR_FREQUENCY_MEASUREMENT);
    EXPECT_EQ(qzDaMeasureFrequency(ad, reinterpret_cast<HWND>(uintptr_t{1}), 0.0005),
              QZERR_INVALID_COUNT_DURATION_FOR_FREQUENCY_MEASUREMENT);
    EXPECT_EQ(qzDaMeasureFrequency(ad, reinterpret_cast<HWND>(uintptr_t{1}), 5e6),
              QZERR_INVALID_COUNT_DURATION_FOR_FREQUENCY_MEASUREMENT);
}

TEST_F(Frame, HandleLifetimesAndSimultaneousStartLists)
{
    DeviceHandle device = OpenTestDevice();
    SubsystemHandle ad = OpenSubsystem(device, SubsystemTypeAD);
    SubsystemHandle ct = OpenSubsystem(device, SubsystemTypeCT);
    // A device with open subsystems stays open.
    EXPECT_EQ(qzDaTerminate(device), QZERR_SUBSYSTEM_IN_USE);

    SimultaneousStartListHandle list = nullptr;
    ASSERT_EQ(qzDaGetSSList(&list), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaPutDassToSSList(list, ad), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaPutDassToSSList(list, ad), QZERR_DASS_HANDLE_IS_ALREADY_ON_SIMULTANEOUS_START_LIST);
    EXPECT_EQ(qzDaPutDassToSSList(list, ct), QZERR_NOT_SUPPORTED);  // no simultaneous start
    int members = 0;
    EXPECT_EQ(qzDaEnumSSList(list, CountMembers, reinterpret_cast<intptr_t>(&members)), QZERR_NO_ERROR);
    EXPECT_EQ(members, 1);
    EXPECT_EQ(qzDaSimultaneousPrestart(list), QZERR_SYSTEM_NOT_CONFIGURED);

    EXPECT_EQ(qzDaReleaseDASS(ad), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaSimultaneousPrestart(list), QZERR_INVALID_SUBSYSTEM_HANDLE_ON_SIMULTANEOUS_START_LIST);
    EXPECT_EQ(qzDaSimultaneousStart(list), QZERR_INVALID_SUBSYSTEM_HANDLE_ON_SIMULTANEOUS_START_LIST);
    EXPECT_EQ(qzDaReleaseSSList(list), QZERR_NO_ERROR);

    // A released subsystem is refused by every export, before anything else is looked at.
    double value;
    EXPECT_EQ(qzDaGetClockFrequency(ad, &value), QZERR_INVALID_SUBSYSTEM_HANDLE);
    EXPECT_EQ(qzDaSetDataFlow(ad, 802), QZERR_INVALID_SUBSYSTEM_HANDLE);
    EXPECT_EQ(qzDaGetSingleValues(ad, nullptr, 1.0), QZERR_INVALID_SUBSYSTEM_HANDLE);

    EXPECT_EQ(qzDaReleaseDASS(ct), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaTerminate(device), QZERR_INVALID_DEVICE_HANDLE);
    uint32_t count;
    EXPECT_EQ(qzDaGetDevCaps(device, SubsystemTypeAll, &count), QZERR_INVALID_DEVICE_HANDLE);
    // A device closed while a subsystem is being opened on it does not take the subsystem.
    DeviceHandle again = OpenTestDevice();
    {
        DeviceUse use(again);
        EXPECT_EQ(qzDaTerminate(again), QZERR_NO_ERROR);
        SubsystemHandle orphan = nullptr;
        EXPECT_EQ(CreateSubsystem(use.get(), SubsystemTypeAD, 0, INVALID_HANDLE_VALUE, &orphan),
                  QZERR_INVALID_DEVICE_HANDLE);
        EXPECT_EQ(OpenSubsystems(), 0u);
    }
}

TEST_F(Frame, TablesHoldTwentyDevicesAndTwoHundredSubsystems)
{
    std::vector<DeviceHandle> devices;
    for (int i = 0; i < 20; ++i)
        devices.push_back(OpenTestDevice());
    DeviceHandle extra = nullptr;
    EXPECT_EQ(InsertDevice(NewDeviceRecord(), &extra), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
    for (int i = 0; i < 200; ++i)
        OpenSubsystem(devices[i % 20], SubsystemTypeDIN);
    SubsystemHandle more = nullptr;
    EXPECT_EQ(CreateSubsystem(devices[0], SubsystemTypeDIN, 0, INVALID_HANDLE_VALUE, &more),
              QZERR_CANNOT_ALLOCATE_DASS);
    EXPECT_EQ(OpenSubsystems(), 200u);
}

// Unloading with everything open releases every subsystem and closes every device.
TEST_F(Frame, ShutdownClosesEverything)
{
    DeviceHandle device = OpenTestDevice();
    SubsystemHandle ad = OpenSubsystem(device, SubsystemTypeAD);
    HBUF buffer = nullptr;
    ASSERT_EQ(MemAllocBuffer(0, 0, 16, 2, &buffer), QZMEM_OK);
    ASSERT_EQ(qzDaPutBuffer(ad, buffer), QZERR_NO_ERROR);
    OpenSubsystem(device, SubsystemTypeCT);
    ShutdownAllHandles(false);
    EXPECT_EQ(OpenSubsystems(), 0u);
    uint32_t bytes;
    EXPECT_EQ(MemGetBufferSize(buffer, &bytes), QZMEM_BAD_BUFFER);
    EXPECT_EQ(qzDaTerminate(device), QZERR_INVALID_DEVICE_HANDLE);
}

// Open and close from many threads, while other threads run requests on subsystems that are
// being released under them: every call answers 0, the handle code or (a counter asked for
// its queues) 36, and nothing leaks.
TEST_F(Frame, OpenCloseAndRequestsFromManyThreads)
{
    DeviceHandle device = OpenTestDevice();
    constexpr int kThreads = 6;
    constexpr int kRounds = 150;
    std::atomic<int> failures{0};
    std::atomic<SubsystemHandle> victim{nullptr};
    std::atomic<bool> stop{false};

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                SubsystemHandle own = nullptr;
                uint32_t type = (t + i) % 2 == 0 ? SubsystemTypeAD : SubsystemTypeCT;
                if (CreateSubsystem(device, type, 0, INVALID_HANDLE_VALUE, &own) != QZERR_NO_ERROR) {
                    ++failures;
                    continue;
                }
                if (type == SubsystemTypeAD) {
                    HBUF buffer = nullptr;
                    if (MemAllocBuffer(0, 0, 8, 2, &buffer) != QZMEM_OK || qzDaPutBuffer(own, buffer) != QZERR_NO_ERROR)
                        ++failures;
                    if (qzDaSetClockFrequency(own, 1000.0 + i) != QZERR_NO_ERROR)
                        ++failures;
                } else if (qzDaSetPulseWidth(own, i % 100) != QZERR_NO_ERROR) {
                    ++failures;
                }
                if (i % 3 == 0)
                    victim = own;  // others work on it while it is released
                else if (qzDaReleaseDASS(own) != QZERR_NO_ERROR)
                    ++failures;
                if (i % 3 == 0) {
                    Sleep(0);
                    QZSTATUS status = qzDaReleaseDASS(own);
                    if (status != QZERR_NO_ERROR && status != QZERR_INVALID_SUBSYSTEM_HANDLE)
                        ++failures;
                }
            }
        });
    }
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&] {
            while (!stop.load()) {
                SubsystemHandle s = victim.load();
                double value = 0;
                uint32_t word = 0;
                QZSTATUS a = qzDaGetClockFrequency(s, &value);
                QZSTATUS b = qzDaGetQueueSize(s, QueueReady, &word);
                for (QZSTATUS status : {a, b}) {
                    if (status != QZERR_NO_ERROR && status != QZERR_INVALID_SUBSYSTEM_HANDLE &&
                        status != QZERR_NOT_SUPPORTED)
                        ++failures;
                }
            }
        });
    }
    for (int t = 0; t < kThreads; ++t)
        threads[t].join();
    stop = true;
    for (size_t t = kThreads; t < threads.size(); ++t)
        threads[t].join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(OpenSubsystems(), 0u);
    EXPECT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
}

// ---- the frame on the simulated board: both discovery routes, the record as the board got
// it, and the synchronous request that waits for an answer the driver gives later ----

namespace {

int32_t CountVisited(const char* boardName, const char* driverName, BoardSource& source, void* user)
{
    auto& seen = *static_cast<std::vector<std::string>*>(user);
    seen.push_back(std::string(boardName) + "/" + driverName);
    char link[kLinkNameChars + 1] = {};
    if (source.ReadLink(link, sizeof link))
        seen.push_back(link);
    return 1;
}

namespace {

// A driver that takes reads and waits and never gives them back, not even when cancelled;
// every other request it answers at once with status 0.
std::atomic<uint32_t> StuckReads{0};

HANDLE WINAPI StuckOpen(LPCSTR, DWORD, DWORD, DWORD, DWORD)
{
    return INVALID_HANDLE_VALUE;
}
BOOL WINAPI StuckClose(HANDLE)
{
    return TRUE;
}
BOOL WINAPI StuckIoControl(HANDLE, DWORD code, LPVOID in, DWORD inBytes, LPVOID, DWORD, LPDWORD returned,
                           LPOVERLAPPED overlapped)
{
    if (code == QZIOCTL_WAITMESSAGE) {
        overlapped->Internal = STATUS_PENDING;
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }
    RequestPut32(static_cast<uint8_t*>(in), inBytes, ReqStatus, 0);
    if (returned != nullptr)
        *returned = inBytes;
    if (overlapped != nullptr) {
        overlapped->Internal = 0;
        overlapped->InternalHigh = inBytes;
        if (overlapped->hEvent != nullptr)
            SetEvent(overlapped->hEvent);
    }
    return TRUE;
}
BOOL WINAPI StuckRead(HANDLE, LPVOID, DWORD, LPOVERLAPPED overlapped, LPOVERLAPPED_COMPLETION_ROUTINE)
{
    overlapped->Internal = STATUS_PENDING;
    ++StuckReads;
    return TRUE;
}
BOOL WINAPI StuckCancel(HANDLE)
{
    return TRUE;
}
BOOL WINAPI StuckResult(HANDLE, LPOVERLAPPED overlapped, LPDWORD bytes, BOOL)
{
    if (overlapped->Internal == STATUS_PENDING) {
        SetLastError(ERROR_IO_INCOMPLETE);
        return FALSE;
    }
    if (bytes != nullptr)
        *bytes = static_cast<DWORD>(overlapped->InternalHigh);
    return TRUE;
}
const DriverPort kStuckPort = {sizeof(DriverPort), StuckOpen,   StuckClose, StuckIoControl,
                               StuckRead,          StuckCancel, StuckResult};

}  // namespace

// Pins the mend: when the driver keeps a buffer past the end of the copy thread, the release
// still returns (it gives the thread up after its own time-out), and the memory the driver may write into (the buffer, the
// thread's records) is left behind rather than freed.
TEST_F(Frame, ADriverThatNeverGivesBuffersBackLeavesThemAllocated)
{
    DeviceHandle device = OpenTestDevice();
    {
        DeviceUse use(device);
        use->port = &kStuckPort;
    }
    SubsystemHandle ad = OpenSubsystem(device, SubsystemTypeAD);
    ASSERT_NE(ad, nullptr);
    ASSERT_TRUE(HasCopyThread(ad));
    ASSERT_EQ(qzDaSetDataFlow(ad, DataFlowContinuous), 0u);
    ASSERT_EQ(qzDaConfig(ad), 0u);
    HBUF buffer = nullptr;
    ASSERT_EQ(MemAllocBuffer(0, 0, 64, 2, &buffer), 0u);
    ASSERT_EQ(qzDaPutBuffer(ad, buffer), 0u);
    ASSERT_EQ(qzDaStart(ad), 0u);
    EXPECT_EQ(StuckReads.load(), 1u);
    uint32_t inProcess = 0;
    ASSERT_EQ(qzDaGetQueueSize(ad, QueueInProcess, &inProcess), 0u);
    EXPECT_EQ(inProcess, 1u);
    const uint32_t abandoned = AbandonedCopyThreads();
    ASSERT_EQ(qzDaReleaseDASS(ad), 0u);
    EXPECT_EQ(AbandonedCopyThreads(), abandoned + 1);
    // The buffer was not freed under the driver.
    EXPECT_EQ(MemFreeBuffer(buffer), 0u);
    EXPECT_EQ(qzDaTerminate(device), 0u);
}

class FrameOnBoard : public Frame {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(RegisterSimBoardInterface());
        ASSERT_TRUE(RegisterSimBoardDeviceMap());
        ASSERT_TRUE(Control().Load());
    }
    static SimBoardControl& Control()
    {
        static SimBoardControl control;
        return control;
    }
};

struct WaitedRequest {
    DeviceRecord* device;
    HANDLE driver;
    DriverRequest request;
    uint32_t status = 99;
    bool failed = true;
};

DWORD WINAPI WaitForMessage(void* context)
{
    auto& w = *static_cast<WaitedRequest*>(context);
    w.status =
        SendDriverRequest(*w.device->port, w.driver, QZIOCTL_WAITMESSAGE, w.request.bytes, kRequestBytes, &w.failed);
    return 0;
}

}  // namespace

TEST_F(FrameOnBoard, BothRoutesFindTheBoardWithItsLink)
{
    std::vector<std::string> byInterfaces, byDeviceMap;
    EXPECT_EQ(EnumBoardsByRoute(BoardRoute::DeviceInterfaces, CountVisited, &byInterfaces, nullptr).count, 1u);
    EXPECT_EQ(EnumBoardsByRoute(BoardRoute::DeviceMap, CountVisited, &byDeviceMap, nullptr).count, 1u);
    EXPECT_EQ(byInterfaces, (std::vector<std::string>{"QZSIM480/qzsimbrd", kSimInterfacePath}));
    // The device map's LinkName loses its first 12 characters ("\DosDevices\").
    EXPECT_EQ(byDeviceMap, (std::vector<std::string>{"QZSIM480/qzsimbrd", "\\\\.\\QzSimBrd0"}));
    // This system lists its boards through the device interfaces.
    bool interfaces = false;
    ASSERT_TRUE(CheckOsVersion(CurrentOsVersion(), &interfaces));
    EXPECT_TRUE(interfaces);
}

TEST_F(FrameOnBoard, TheBoardOpensByEitherRoute)
{
    for (BoardRoute route : {BoardRoute::DeviceMap, BoardRoute::DeviceInterfaces}) {
        DeviceHandle device = nullptr;
        ASSERT_EQ(InitializeBoard("qzsim480", route, &device), QZERR_NO_ERROR);
        EXPECT_STREQ(device->linkName, route == BoardRoute::DeviceMap ? "\\\\.\\QzSimBrd0" : kSimInterfacePath);
        EXPECT_STREQ(device->driverName, "qzsimbrd");
        EXPECT_EQ(device->boardType, kSimBoardType);
        EXPECT_EQ(device->boardInfo, kSimBoardInfo);
        EXPECT_NE(device->port, &KernelDriverPort());
        SubsystemHandle ad = nullptr;
        ASSERT_EQ(qzDaGetDASS(device, SubsystemTypeAD, 0, &ad), QZERR_NO_ERROR);
        EXPECT_EQ(qzDaReleaseDASS(ad), QZERR_NO_ERROR);
        EXPECT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
    }
    // Without its device-map entry the board is not found on that route.
    ASSERT_TRUE(UnregisterSimBoardDeviceMap());
    DeviceHandle device = nullptr;
    EXPECT_EQ(InitializeBoard(kSimBoardName, BoardRoute::DeviceMap, &device), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
    EXPECT_EQ(device, nullptr);
    ASSERT_TRUE(RegisterSimBoardDeviceMap());
}

TEST_F(FrameOnBoard, TheConfigurationReachesTheBoardByteForByte)
{
    DeviceHandle device = nullptr;
    ASSERT_EQ(qzDaInitialize(kSimBoardName, &device), QZERR_NO_ERROR);
    SubsystemHandle ad = nullptr;
    ASSERT_EQ(qzDaGetDASS(device, SubsystemTypeAD, 0, &ad), QZERR_NO_ERROR);
    ASSERT_EQ(qzDaSetChannelListSize(ad, 4), 0u);
    for (uint32_t i = 0; i < 4; ++i)
        ASSERT_EQ(qzDaSetChannelListEntry(ad, i, 3 - i), 0u);
    ASSERT_EQ(qzDaSetWrapMode(ad, WrapRequeueEach), 0u);
    ASSERT_EQ(qzDaSetTrigger(ad, TriggerExtra1), 0u);
    ASSERT_EQ(qzDaSetClockFrequency(ad, 250000.0), 0u);
    const ConfigRecord sent = [&] {
        ConfigRecord r = ad->core.configuration;
        Put32(r, CfgSubsystemType, SubsystemTypeAD);
        Put32(r, CfgState, SubsystemStateConfigured);
        return r;
    }();
    ASSERT_EQ(qzDaConfig(ad), 0u);
    std::vector<uint8_t> received(4096), returned(4096);
    const uint32_t length = Control().Configuration(SubsystemTypeAD, 0, 0, received.data(), 4096);
    ASSERT_EQ(length, ConfigureRequestSize(ad->core.caps));
    ASSERT_EQ(Control().Configuration(SubsystemTypeAD, 0, 1, returned.data(), 4096), length);
    // What the board received is the library's record, byte for byte; what it sent back is
    // the library's record now (the board wrote the clock it runs at, with the form word).
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + length, received.begin()));
    EXPECT_TRUE(std::equal(ad->core.configuration.begin(), ad->core.configuration.begin() + length, returned.begin()));
    EXPECT_EQ(Get16(ad->core.configuration, CfgClockForm), 1u);
    double clock = 0;
    ASSERT_EQ(qzDaGetClockFrequency(ad, &clock), 0u);
    EXPECT_EQ(clock, 250000.0);
    EXPECT_EQ(qzDaReleaseDASS(ad), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
}

// Pins the mend: a synchronous request on a handle opened for overlapped I/O passes an
// OVERLAPPED record and waits for it, so an answer the driver gives later (here a driver
// message posted from another thread) is in the record when the call returns; without the
// record the board refuses the request.
TEST_F(FrameOnBoard, SynchronousRequestsWaitForTheirAnswer)
{
    DeviceHandle device = nullptr;
    ASSERT_EQ(qzDaInitialize(kSimBoardName, &device), QZERR_NO_ERROR);
    SubsystemHandle ct = nullptr;
    ASSERT_EQ(qzDaGetDASS(device, SubsystemTypeCT, 1, &ct), QZERR_NO_ERROR);
    WaitedRequest w{device, ct->driver, NewDriverRequest(SubsystemTypeCT, 1)};
    HANDLE thread = CreateThread(nullptr, 0, WaitForMessage, &w, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // Ours waits at the board beside the copy thread's three, and the call has not returned.
    auto waiting = [] {
        SimDriverCounts counts;
        return Control().GetCounts(&counts, sizeof counts) && counts.board.pendingWaits == 4;
    };
    for (int i = 0; i < 6000 && !waiting(); ++i)
        Sleep(10);
    ASSERT_TRUE(waiting());
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    // Each of the four waiting requests gets a message; one of them is ours.
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(Control().InjectFault(SimFaultMessage, SubsystemTypeCT, 1, DriverMessageCounterEvent, 4321));
    ASSERT_EQ(WaitForSingleObject(thread, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    EXPECT_FALSE(w.failed);
    EXPECT_EQ(w.status, 0u);
    EXPECT_EQ(Get32(w.request, ArgMessageCode), DriverMessageCounterEvent);
    EXPECT_EQ(Get32(w.request, ArgMessageValue), 4321u);
    // The same request without an OVERLAPPED record on this handle is refused.
    DriverRequest bare = NewDriverRequest(SubsystemTypeCT, 1);
    DWORD bytes = 0;
    EXPECT_FALSE(device->port->ioControl(ct->driver, QZIOCTL_STOP, bare.bytes, kRequestBytes, bare.bytes, kRequestBytes,
                                         &bytes, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SimDriverCounts counts;
    ASSERT_TRUE(Control().GetCounts(&counts, sizeof counts));
    EXPECT_EQ(counts.board.protocolViolations, 1u);
    EXPECT_EQ(qzDaReleaseDASS(ct), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaTerminate(device), QZERR_NO_ERROR);
}

// Registry texts are read into 128-byte buffers: a value that does not fit, or is not text,
// counts as missing, and a board without its names ends the walk.
TEST_F(FrameOnBoard, RegistryValuesThatDoNotFitEndTheWalk)
{
    HKEY key = nullptr;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\BrQuenzorDaDevice\\QzSimBrd0", 0, KEY_ALL_ACCESS, &key),
        ERROR_SUCCESS);
    std::vector<std::string> seen;
    const std::string longName(kRegistryTextBytes, 'N');
    ASSERT_EQ(RegSetValueExA(key, "BrQuenzorBoardName", 0, REG_SZ, reinterpret_cast<const BYTE*>(longName.c_str()),
                             static_cast<DWORD>(longName.size() + 1)),
              ERROR_SUCCESS);
    EXPECT_EQ(EnumBoardsByRoute(BoardRoute::DeviceMap, CountVisited, &seen, nullptr).count, 0u);
    // 127 characters and the terminator fit.
    const std::string longest(kRegistryTextBytes - 1, 'N');
    ASSERT_EQ(RegSetValueExA(key, "BrQuenzorBoardName", 0, REG_SZ, reinterpret_cast<const BYTE*>(longest.c_str()),
                             static_cast<DWORD>(longest.size() + 1)),
              ERROR_SUCCESS);
    EXPECT_EQ(EnumBoardsByRoute(BoardRoute::DeviceMap, CountVisited, &seen, nullptr).count, 1u);
    // ... but not into the device record's 64-character name: the board cannot be opened.
    DeviceHandle device = nullptr;
    EXPECT_EQ(InitializeBoard(longest.c_str(), BoardRoute::DeviceMap, &device), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
    const DWORD number = 7;
    ASSERT_EQ(RegSetValueExA(key, "DriverName", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
              ERROR_SUCCESS);
    EXPECT_EQ(EnumBoardsByRoute(BoardRoute::DeviceMap, CountVisited, &seen, nullptr).count, 0u);
    RegCloseKey(key);
    ASSERT_TRUE(RegisterSimBoardDeviceMap());
    EXPECT_EQ(EnumBoardsByRoute(BoardRoute::DeviceMap, CountVisited, &seen, nullptr).count, 1u);
}
