// Board control over a fake library that keeps the board's books: which subsystems and
// buffers exist, which calls were made in which order, and which call to refuse. Pins the
// set-up order and values, the gain writes, the failure path that leaves the board closed and
// openable again whatever step fails, and the buffer hand-off around stops and restarts.
#include "vlox/measure/board_control.h"

#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/sync_gates.h"
#include "vlox/settings/settings.h"
#include "vlox/measure/acquisition_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Call {
    std::string name;
    double value = 0.0;
    uintptr_t handle = 0;
};

struct Fake {
    std::vector<Call> calls;
    std::string failName;  // refuse the failOccurrence-th call of this name
    int failOccurrence = 0;
    int failIndex = -1;  // or refuse the call at this position
    QZSTATUS failCode = 27;

    std::vector<std::string> boards{"QZSIM480"};
    std::vector<QZSTATUS> initCodes;  // per board; missing means success
    QZSTATUS enumCode = 0;
    double maxClock = 1000000.0;
    double aiReadBack = -1.0;     // <0: what was set
    double counterScale = 0.999;  // counters run a little off what they are asked
    uint32_t aiElements = 1;

    uintptr_t next = 0x1000;
    bool deviceOpen = false;
    std::set<uintptr_t> subsystems;
    std::map<uintptr_t, std::pair<uint32_t, uint32_t>> kinds;  // handle -> (type, element)
    std::map<uintptr_t, double> clocks;
    uintptr_t ai = 0;
    std::set<uintptr_t> buffers;
    std::deque<uintptr_t> ready;
    std::deque<uintptr_t> done;
    std::vector<uint16_t> samples = std::vector<uint16_t>(16, 32768);
    std::vector<uint32_t> outputs;
    // The output writes and pauses made when the analog input started: its first sample's.
    std::pair<std::vector<uint32_t>, std::vector<int32_t>> atStart;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<int32_t> delays;
    int staleUses = 0;
    int reuseNotices = 0;
    std::set<uintptr_t> empty;  // buffers whose transfer failed or was never made
};

Fake F;

bool Refuse(const char* name, double value = 0.0, uintptr_t handle = 0)
{
    F.calls.push_back({name, value, handle});
    if (F.failIndex >= 0 && static_cast<int>(F.calls.size()) - 1 == F.failIndex)
        return true;
    if (F.failName == name) {
        if (--F.failOccurrence == 0)
            return true;
    }
    return false;
}

uintptr_t H(SubsystemHandle s)
{
    return reinterpret_cast<uintptr_t>(s);
}

// Every subsystem call checks its handle first, as the library does.
bool Stale(SubsystemHandle s)
{
    if (F.subsystems.count(H(s)) == 0) {
        ++F.staleUses;
        return true;
    }
    return false;
}

#define SUBSYSTEM_CALL(name, s, v)                                                                                     \
    if (Stale(s)) {                                                                                                    \
        F.calls.push_back({name, v, H(s)});                                                                            \
        return 40;                                                                                                     \
    }                                                                                                                  \
    if (Refuse(name, v, H(s)))                                                                                         \
        return F.failCode;

QZSTATUS QZDA_CALL EnumBoards(QzEnumBoardsProc callback, intptr_t user)
{
    if (Refuse("EnumBoards"))
        return F.failCode;
    if (F.enumCode != 0)
        return F.enumCode;
    for (const std::string& b : F.boards)
        if (callback(b.c_str(), "qzsimbrd", user) == 0)
            break;
    return 0;
}

QZSTATUS QZDA_CALL Initialize(const char* name, DeviceHandle* device)
{
    if (Refuse("Initialize"))
        return F.failCode;
    const size_t i = static_cast<size_t>(std::find(F.boards.begin(), F.boards.end(), name) - F.boards.begin());
    if (i < F.initCodes.size() && F.initCodes[i] != 0)
        return F.initCodes[i];
    if (F.deviceOpen)
        return 74;
    F.deviceOpen = true;
    *device = reinterpret_cast<DeviceHandle>(uintptr_t{0x77});
    return 0;
}

QZSTATUS QZDA_CALL Terminate(DeviceHandle device)
{
    if (Refuse("Terminate"))
        return F.failCode;
    if (!F.deviceOpen || device == nullptr)
        return 39;
    if (!F.subsystems.empty())
        return 73;  // the library refuses while subsystems are open
    F.deviceOpen = false;
    return 0;
}

QZSTATUS QZDA_CALL GetDASS(DeviceHandle, uint32_t type, uint32_t element, SubsystemHandle* s)
{
    if (Refuse("GetDASS", static_cast<double>(type * 10 + element)))
        return F.failCode;
    if (!F.deviceOpen)
        return 39;
    for (const auto& [h, k] : F.kinds)
        if (k == std::make_pair(type, element) && F.subsystems.count(h) != 0)
            return 54;  // in use
    const uintptr_t h = F.next += 0x10;
    F.subsystems.insert(h);
    F.kinds[h] = {type, element};
    if (type == SubsystemTypeAD)
        F.ai = h;
    *s = reinterpret_cast<SubsystemHandle>(h);
    return 0;
}

QZSTATUS QZDA_CALL ReleaseDASS(SubsystemHandle s)
{
    SUBSYSTEM_CALL("ReleaseDASS", s, 0)
    F.subsystems.erase(H(s));
    if (H(s) == F.ai) {
        // The library frees the buffers still on the queues.
        for (uintptr_t b : F.ready)
            F.buffers.erase(b);
        for (uintptr_t b : F.done)
            F.buffers.erase(b);
        F.ready.clear();
        F.done.clear();
        F.ai = 0;
    }
    return 0;
}

QZSTATUS QZDA_CALL GetDevCaps(DeviceHandle, int32_t, uint32_t* count)
{
    if (Refuse("GetDevCaps"))
        return F.failCode;
    *count = F.aiElements;
    return 0;
}

QZSTATUS QZDA_CALL GetSSCapsEx(SubsystemHandle s, uint32_t index, double* value)
{
    SUBSYSTEM_CALL("GetSSCapsEx", s, static_cast<double>(index))
    *value = F.maxClock;
    return 0;
}

char* QZDA_CALL GetErrorString(QZSTATUS code, char* buffer, int32_t size)
{
    std::snprintf(buffer, static_cast<size_t>(size), "text %u", static_cast<unsigned>(code));
    return buffer;
}

#define SETTER(fn, name, T)                                                                                            \
    QZSTATUS QZDA_CALL fn(SubsystemHandle s, T v)                                                                      \
    {                                                                                                                  \
        SUBSYSTEM_CALL(name, s, static_cast<double>(v))                                                                \
        return 0;                                                                                                      \
    }
SETTER(SetCascadeMode, "SetCascadeMode", uint32_t)
SETTER(SetGateType, "SetGateType", uint32_t)
SETTER(SetCTMode, "SetCTMode", uint32_t)
SETTER(SetClockSource, "SetClockSource", uint32_t)
SETTER(SetPulseType, "SetPulseType", uint32_t)
SETTER(SetPulseWidth, "SetPulseWidth", double)
SETTER(SetDataFlow, "SetDataFlow", uint32_t)
SETTER(SetWrapMode, "SetWrapMode", uint32_t)
SETTER(SetChannelType, "SetChannelType", uint32_t)
SETTER(SetChannelListSize, "SetChannelListSize", uint32_t)
SETTER(SetTrigger, "SetTrigger", uint32_t)

QZSTATUS QZDA_CALL SetClockFrequency(SubsystemHandle s, double hz)
{
    SUBSYSTEM_CALL("SetClockFrequency", s, hz)
    F.clocks[H(s)] = hz;
    return 0;
}

QZSTATUS QZDA_CALL GetClockFrequency(SubsystemHandle s, double* hz)
{
    SUBSYSTEM_CALL("GetClockFrequency", s, 0)
    const double set = F.clocks[H(s)];
    if (H(s) == F.ai)
        *hz = F.aiReadBack >= 0.0 ? F.aiReadBack : set;
    else
        *hz = set * F.counterScale;
    return 0;
}

QZSTATUS QZDA_CALL SetChannelListEntry(SubsystemHandle s, uint32_t entry, uint32_t channel)
{
    SUBSYSTEM_CALL("SetChannelListEntry", s, static_cast<double>(entry * 10 + channel))
    return 0;
}

QZSTATUS QZDA_CALL SetWndHandle(SubsystemHandle s, QzWindowHandle window, intptr_t)
{
    SUBSYSTEM_CALL("SetWndHandle", s, static_cast<double>(reinterpret_cast<uintptr_t>(window)))
    return 0;
}

QZSTATUS QZDA_CALL ConfigNoArg(SubsystemHandle s)
{
    SUBSYSTEM_CALL("Config", s, 0)
    return 0;
}
QZSTATUS QZDA_CALL StartNoArg(SubsystemHandle s)
{
    SUBSYSTEM_CALL("Start", s, 0)
    if (H(s) == F.ai)
        F.atStart = {F.outputs, F.delays};
    return 0;
}
QZSTATUS QZDA_CALL Abort(SubsystemHandle s)
{
    SUBSYSTEM_CALL("Abort", s, 0)
    return 0;
}
QZSTATUS QZDA_CALL FlushBuffers(SubsystemHandle s)
{
    SUBSYSTEM_CALL("FlushBuffers", s, 0)
    while (!F.ready.empty()) {
        F.done.push_back(F.ready.front());
        F.ready.pop_front();
    }
    return 0;
}

QZSTATUS QZDA_CALL PutSingleValue(SubsystemHandle s, uint32_t value, uint32_t channel, double gain)
{
    SUBSYSTEM_CALL("PutSingleValue", s, static_cast<double>(value))
    F.outputs.push_back(value);
    return 0;
}

QZSTATUS QZDA_CALL GetBuffer(SubsystemHandle s, HBUF* buffer)
{
    SUBSYSTEM_CALL("GetBuffer", s, 0)
    if (F.done.empty()) {
        *buffer = nullptr;
        return 0;
    }
    *buffer = reinterpret_cast<HBUF>(F.done.front());
    F.done.pop_front();
    return 0;
}

bool Queued(uintptr_t b)
{
    return std::find(F.ready.begin(), F.ready.end(), b) != F.ready.end() ||
           std::find(F.done.begin(), F.done.end(), b) != F.done.end();
}

QZSTATUS QZDA_CALL PutBuffer(SubsystemHandle s, HBUF buffer)
{
    SUBSYSTEM_CALL("PutBuffer", s, 0)
    const uintptr_t b = reinterpret_cast<uintptr_t>(buffer);
    if (F.buffers.count(b) == 0)
        return 202;
    if (Queued(b))
        return 205;
    F.ready.push_back(b);
    return 0;
}

QZSTATUS QZDA_CALL GetRange(SubsystemHandle s, double* maximum, double* minimum)
{
    SUBSYSTEM_CALL("GetRange", s, 0)
    *maximum = 10.0;
    *minimum = -10.0;
    return 0;
}

QZSTATUS QZDA_CALL GetResolution(SubsystemHandle s, uint32_t* bits)
{
    SUBSYSTEM_CALL("GetResolution", s, 0)
    *bits = 16;
    return 0;
}

uint32_t QZMEM_CALL AllocBuffer(uint32_t, uint32_t, uint32_t count, uint32_t size, HBUF* buffer)
{
    if (Refuse("AllocBuffer", static_cast<double>(count * size)))
        return 200;
    const uintptr_t b = F.next += 0x10;
    F.buffers.insert(b);
    *buffer = reinterpret_cast<HBUF>(b);
    return 0;
}

uint32_t QZMEM_CALL FreeBuffer(HBUF buffer)
{
    const uintptr_t b = reinterpret_cast<uintptr_t>(buffer);
    if (Refuse("FreeBuffer", 0, b))
        return 202;
    if (F.buffers.count(b) == 0)
        return 202;
    if (Queued(b))
        return 205;
    F.buffers.erase(b);
    return 0;
}

uint32_t QZMEM_CALL GetValidSamples(HBUF buffer, uint32_t* count)
{
    if (Refuse("GetValidSamples"))
        return 202;
    *count = F.empty.count(reinterpret_cast<uintptr_t>(buffer)) != 0 ? 0 : static_cast<uint32_t>(F.samples.size());
    return 0;
}

uint32_t QZMEM_CALL GetBufferPointer(HBUF, void** data)
{
    if (Refuse("GetBufferPointer"))
        return 202;
    *data = F.samples.data();
    return 0;
}

void ShowMessage(const char* text, const char* caption)
{
    F.messages.push_back({text, caption});
}

void Delay(int32_t ms)
{
    F.delays.push_back(ms);
}

QzWindowHandle Window()
{
    return reinterpret_cast<QzWindowHandle>(uintptr_t{0x4242});
}

BoardLibrary MakeLibrary()
{
    BoardLibrary l;
    l.EnumBoards = EnumBoards;
    l.Initialize = Initialize;
    l.Terminate = Terminate;
    l.GetDASS = GetDASS;
    l.ReleaseDASS = ReleaseDASS;
    l.GetDevCaps = GetDevCaps;
    l.GetSSCapsEx = GetSSCapsEx;
    l.GetErrorString = GetErrorString;
    l.SetCascadeMode = SetCascadeMode;
    l.SetGateType = SetGateType;
    l.SetCTMode = SetCTMode;
    l.SetClockSource = SetClockSource;
    l.SetClockFrequency = SetClockFrequency;
    l.GetClockFrequency = GetClockFrequency;
    l.SetPulseType = SetPulseType;
    l.SetPulseWidth = SetPulseWidth;
    l.SetDataFlow = SetDataFlow;
    l.SetWrapMode = SetWrapMode;
    l.SetChannelType = SetChannelType;
    l.SetChannelListSize = SetChannelListSize;
    l.SetChannelListEntry = SetChannelListEntry;
    l.SetTrigger = SetTrigger;
    l.SetWndHandle = SetWndHandle;
    l.Config = ConfigNoArg;
    l.Start = StartNoArg;
    l.Abort = Abort;
    l.FlushBuffers = FlushBuffers;
    l.PutSingleValue = PutSingleValue;
    l.GetBuffer = GetBuffer;
    l.PutBuffer = PutBuffer;
    l.GetRange = GetRange;
    l.GetResolution = GetResolution;
    l.AllocBuffer = AllocBuffer;
    l.FreeBuffer = FreeBuffer;
    l.GetValidSamples = GetValidSamples;
    l.GetBufferPointer = GetBufferPointer;
    l.ShowMessage = ShowMessage;
    l.Delay = Delay;
    l.TakeReuseNotices = [] { return std::exchange(F.reuseNotices, 0); };
    l.NotifyWindow = Window;
    return l;
}

const BoardLibrary Lib = MakeLibrary();

void ClearBoardState()
{
    BoardDevice = nullptr;
    BoardCurrentSubsystem = BoardAnalogInput = BoardCounter0 = BoardCounter1 = nullptr;
    BoardDigitalIn = BoardOutputSubsystem = nullptr;
    CurrentBuffer = nullptr;
    BoardStatus = 0;
}

// The Monitor command's board part.
int32_t Monitor()
{
    ReleaseSubsystemsWith(Lib);
    ResetAcquisitionState();
    if (OpenAcquisitionBoardWith(Lib) == 0)
        return 0;
    return StartAcquisitionWith(Lib, 0);
}

bool NothingOpen()
{
    return F.subsystems.empty() && !F.deviceOpen && F.buffers.empty() && BoardDevice == nullptr &&
           BoardCurrentSubsystem == nullptr && BoardAnalogInput == nullptr && BoardCounter0 == nullptr &&
           BoardCounter1 == nullptr && BoardDigitalIn == nullptr && BoardOutputSubsystem == nullptr &&
           CurrentBuffer == nullptr;
}

std::vector<double> ValuesOf(const std::string& name)
{
    std::vector<double> v;
    for (const Call& c : F.calls)
        if (c.name == name)
            v.push_back(c.value);
    return v;
}

class BoardControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        F = Fake{};
        ClearBoardState();
        RepetitionRate = 30.0;
        TotalTurnOffDelay = 0.0;
        OutputLineBase = 0;
        Settings.SelectedComponent = 0;
        Settings.GainZ = 3;
        GainCodeSent = 5;
    }
    void TearDown() override { EXPECT_EQ(F.staleUses, 0) << "a released handle was used"; }
};

TEST_F(BoardControl, MonitorOpensConfiguresAndStarts)
{
    ASSERT_EQ(Monitor(), 1);
    EXPECT_TRUE(F.messages.empty());
    EXPECT_NE(BoardDevice, nullptr);
    EXPECT_EQ(BoardCurrentSubsystem, BoardAnalogInput);
    EXPECT_EQ(F.subsystems.size(), 5u);

    // Counter 1 runs at twice what counter 0 reads back, not twice the rate.
    const std::vector<double> clocks = ValuesOf("SetClockFrequency");
    ASSERT_EQ(clocks.size(), 3u);
    EXPECT_DOUBLE_EQ(clocks[0], 30.0);
    EXPECT_DOUBLE_EQ(clocks[1], 2.0 * 30.0 * 0.999);
    EXPECT_DOUBLE_EQ(clocks[2], AnalogClockCap);  // a 1 MHz maximum is held to the cap
    EXPECT_EQ(ValuesOf("SetGateType"), (std::vector<double>{500, 504}));
    EXPECT_EQ(ValuesOf("SetCTMode"), (std::vector<double>{701, 703}));
    EXPECT_EQ(ValuesOf("SetPulseWidth"), (std::vector<double>{25.0, 50.0}));
    EXPECT_EQ(ValuesOf("SetDataFlow"), (std::vector<double>{800, 801, 800}));
    EXPECT_EQ(ValuesOf("SetChannelListEntry"), (std::vector<double>{0, 11, 22, 33}));
    EXPECT_EQ(ValuesOf("SetTrigger"), (std::vector<double>{306}));
    EXPECT_EQ(ValuesOf("SetWrapMode"), (std::vector<double>{1001}));
    EXPECT_EQ(ValuesOf("SetWndHandle"), (std::vector<double>{0x4242}));
    // Eight buffers of SampleRate two-byte samples, all on the ready queue.
    EXPECT_EQ(ValuesOf("AllocBuffer"), std::vector<double>(8, 480000.0 * 2));
    EXPECT_EQ(F.ready.size(), 8u);
    EXPECT_EQ(CurrentBuffer, nullptr);

    EXPECT_EQ(SampleRate, 480000);
    EXPECT_EQ(SamplesPerPeriod, 16000);
    EXPECT_EQ(ScansPerPeriod, 4000);
    EXPECT_EQ(SyncSkip, 800);
    EXPECT_EQ(SyncCycle.SyncStep, 800);
    EXPECT_EQ(F.outputs, (std::vector<uint32_t>{3}));
    EXPECT_EQ(GainCodeSent, 3);

    ASSERT_EQ(StopAcquisitionWith(Lib), 1);
    EXPECT_TRUE(NothingOpen());
    EXPECT_EQ(F.delays, (std::vector<int32_t>{50}));
}

TEST_F(BoardControl, SlowerBoardRunsAtWhatItReadsBack)
{
    F.maxClock = 250000.0;
    F.aiReadBack = 249999.7;
    RepetitionRate = 0.25;
    TotalTurnOffDelay = -100.0;
    ASSERT_EQ(Monitor(), 1);
    EXPECT_DOUBLE_EQ(ValuesOf("SetClockFrequency")[2], 250000.0);
    EXPECT_EQ(SampleRate, 249999);
    EXPECT_EQ(ValuesOf("AllocBuffer")[0], 249999.0 * 2);
    // At 0.25 Hz one period spans four buffers.
    EXPECT_EQ(SamplesPerPeriod, 4 * 249996);
    EXPECT_EQ(GateSampleOffset, static_cast<int32_t>(100.0 / (1e6 / 249999) + 0.5));
    StopAcquisitionWith(Lib);
}

TEST_F(BoardControl, GainCodesAndTheirTwoStepWrite)
{
    struct Row {
        int32_t component, gain, offset;
        std::vector<uint32_t> written;
        std::vector<int32_t> delays;
        int32_t sent;
    } rows[] = {
        {0, 0, 0, {0}, {}, 0},
        {0, 3, 0, {3}, {}, 3},
        {0, 4, 0, {3, 4}, {50}, 4},
        {0, 6, 0, {3, 6}, {50}, 6},
        {0, 4, 0x10, {0x13, 0x14}, {50}, 4},
        {3, 4, 0, {}, {}, 5},  // no such component: nothing written
        {0, 7, 0, {}, {}, 5},  // a gain past the table: nothing written
        {0, -1, 0, {}, {}, 5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "component " << r.component << " gain " << r.gain);
        F = Fake{};
        ClearBoardState();
        GainCodeSent = 5;
        Settings.SelectedComponent = r.component;
        Settings.GainZ = r.gain;
        OutputLineBase = r.offset;
        RestartAcquisitionWith(Lib);  // a closed board is opened and started with the base
        EXPECT_EQ(F.outputs, r.written);
        EXPECT_EQ(F.delays, r.delays);
        // The cycle stacks from the first sample: every write and pause come before the start.
        EXPECT_EQ(F.atStart, std::make_pair(r.written, r.delays));
        EXPECT_EQ(GainCodeSent, r.sent);
        EXPECT_NE(BoardDevice, nullptr);
        StopAcquisitionWith(Lib);
    }
    // X and Y take their own settings.
    Settings.GainZ = 1;
    Settings.GainX = 2;
    Settings.GainY = 5;
    int32_t g = -1;
    EXPECT_EQ(GainCodeForComponent(1, 1, 2, 5, g), 1);
    EXPECT_EQ(g, 2);
    EXPECT_EQ(GainCodeForComponent(2, 1, 2, 5, g), 1);
    EXPECT_EQ(g, 5);
}

// Refusing each call of the start in turn: one "Error" box with the library's text, then the
// board is closed with nothing left open, and the next Monitor opens it again.
TEST_F(BoardControl, EveryFailingStepLeavesTheBoardClosedAndOpenable)
{
    ASSERT_EQ(Monitor(), 1);
    const std::vector<Call> sequence = F.calls;
    StopAcquisitionWith(Lib);
    for (size_t k = 0; k < sequence.size(); ++k) {
        const std::string& name = sequence[k].name;
        SCOPED_TRACE(testing::Message() << "call " << k << " " << name);
        F = Fake{};
        ClearBoardState();
        F.failIndex = static_cast<int>(k);
        EXPECT_EQ(Monitor(), 0);
        ASSERT_EQ(F.messages.size(), 1u);
        if (name == "EnumBoards") {
            EXPECT_EQ(F.messages[0].second, "Receiver Error");
        } else if (name == "GetDASS" && sequence[k].value == 0) {
            // The only analog input does not open: its own message, the rest stays open.
            EXPECT_EQ(F.messages[0].first, "No Available A/D Subsystems!");
            EXPECT_NE(BoardDevice, nullptr);
            EXPECT_EQ(ReleaseSubsystemsWith(Lib), 1);
        } else {
            EXPECT_EQ(F.messages[0].first, name == "AllocBuffer" ? "text 200" : "text 27");
            EXPECT_EQ(F.messages[0].second, "Error");
        }
        EXPECT_TRUE(NothingOpen());
        F.failIndex = -1;
        F.messages.clear();
        EXPECT_EQ(Monitor(), 1);
        EXPECT_TRUE(F.messages.empty());
        StopAcquisitionWith(Lib);
        EXPECT_TRUE(NothingOpen());
    }
}

TEST_F(BoardControl, FirstBoardThatOpensIsUsed)
{
    F.boards = {"A", "B", "C"};
    F.initCodes = {74, 0, 0};
    EXPECT_EQ(OpenAcquisitionBoardWith(Lib), 1);
    EXPECT_EQ(ValuesOf("Initialize").size(), 2u);
    ReleaseSubsystemsWith(Lib);
    EXPECT_TRUE(NothingOpen());
}

TEST_F(BoardControl, NoBoardAndNoBoardThatOpens)
{
    F.enumCode = 78;
    EXPECT_EQ(OpenAcquisitionBoardWith(Lib), 0);
    ASSERT_EQ(F.messages.size(), 1u);
    EXPECT_EQ(F.messages[0].first, " No A/D module, please switch on the board");
    EXPECT_EQ(F.messages[0].second, "Receiver Error");

    F = Fake{};
    F.boards = {"A", "B"};
    F.initCodes = {74, 75};
    EXPECT_EQ(OpenAcquisitionBoardWith(Lib), 0);
    ASSERT_EQ(F.messages.size(), 1u);
    EXPECT_EQ(F.messages[0].first, "text 75");  // the last board tried
    EXPECT_EQ(F.messages[0].second, "Error");
    EXPECT_TRUE(NothingOpen());

    F = Fake{};
    F.boards = {};
    EXPECT_EQ(OpenAcquisitionBoardWith(Lib), 0);
    ASSERT_EQ(F.messages.size(), 1u);
    EXPECT_EQ(F.messages[0].second, "Receiver Error");
}

TEST_F(BoardControl, ClosedBoardCallsNothing)
{
    EXPECT_EQ(StopAcquisitionWith(Lib), 1);
    EXPECT_EQ(ReleaseSubsystemsWith(Lib), 1);
    RestartAcquisitionIfOpenWith(Lib);
    EXPECT_EQ(TakeDoneBufferWith(Lib), 0);  // a late buffer-done after the stop
    EXPECT_EQ(RequeueBufferWith(Lib), 1);
    EXPECT_TRUE(F.calls.empty());
    EXPECT_TRUE(F.delays.empty());
}

// A refused derivation (a rate of 0) never gives an endless search: the start fails.
TEST_F(BoardControl, RepetitionRateOfZeroIsRefused)
{
    RepetitionRate = 0.0;
    EXPECT_EQ(Monitor(), 0);
    ASSERT_FALSE(F.messages.empty());
    EXPECT_EQ(F.messages.back().first, "text 13");
    EXPECT_TRUE(NothingOpen());
}

TEST_F(BoardControl, BufferHandOffAndRequeue)
{
    ASSERT_EQ(Monitor(), 1);
    EXPECT_EQ(TakeDoneBufferWith(Lib), 0);  // nothing done yet
    F.done.push_back(F.ready.front());
    F.ready.pop_front();
    ASSERT_EQ(TakeDoneBufferWith(Lib), 1);
    ASSERT_EQ(GetBufferInfoWith(Lib), 1);
    EXPECT_EQ(BufferSampleCount, 16);
    EXPECT_EQ(BufferSamples, F.samples.data());
    EXPECT_EQ(InputRangeMax, 10.0);
    EXPECT_EQ(InputRangeMin, -10.0);
    EXPECT_EQ(InputResolution, 16);
    ASSERT_EQ(RequeueBufferWith(Lib), 1);
    EXPECT_EQ(CurrentBuffer, nullptr);
    EXPECT_EQ(F.ready.size(), 8u);
    // A second hand-back of the same buffer would queue it twice.
    EXPECT_EQ(RequeueBufferWith(Lib), 1);
    EXPECT_EQ(F.ready.size(), 8u);
    StopAcquisitionWith(Lib);
    EXPECT_TRUE(NothingOpen());
}

// The library's queues as scripts: c a transfer completes, e one fails, x the read of the
// buffer handed over last cannot be issued (it is finished empty ahead of those in process), r
// the library queues the oldest finished buffer again itself (no transfer left in process
// while the program is behind), n a notice of that arrives, t the program takes a buffer, q it
// hands it back, s the board is restarted. Each take says whether samples were lost before it.
TEST_F(BoardControl, TakeAfterBuffersQueuedAgainByTheLibrarySaysSamplesWereLost)
{
    // Eight finished while the program was away: the oldest's samples are gone, the rest
    // follow it, and it comes back after them with the samples that followed theirs. Then
    // queued again twice while the program held one, the notices still on their way. A whole
    // round lost leaves the order as it was: the notice tells.
    const char* const cases[][2] = {{"ccccccccr tqtqtqtqtqtqtq ctqctq", "100000000"},
                                    {"ct cccccccrcrq tqtqtqtqtq tqctqctq", "010000000"},
                                    {"cccccccc rcrcrcrcrcrcrcrc n tqtq", "10"},
                                    {"cccccccc rcrcrcrcrcrcrcrc nnnnnnnn tq tq", "10"},
                                    // A loss the notice told of, the next take not in the
                                    // record: the record kept the lost place and found a loss
                                    // before a later buffer that followed its predecessor.
                                    {"cccccccc t rn t t cc tt ccc t c rn t t", "01000010"},
                                    // The notice after the take that showed its loss.
                                    {"ct ccccccc r q t n q tq tq tq", "01000"},
                                    {"ct ccccccc r q e t n q tq tq tq", "01000"},
                                    // Two lost while one was held, told before its hand-back.
                                    {"ct ccccccc rcrc nn q tq tq tq tq tq tq tq cc tq", "010000000"},
                                    // An empty buffer's samples are lost too, in its turn or
                                    // ahead of it.
                                    {"ct ccc e ccc q tq tq tq tq tq tq c tq c tq", "000011000"},
                                    {"ct cc x ccc q tq tq tq tq tq tq c tq c tq", "000110000"},
                                    // A notice of the board before its restart.
                                    {"ct ccccccc rn s ctq ctq", "000"}};
    for (const auto& c : cases) {
        ASSERT_EQ(Monitor(), 1);
        std::string lost;
        for (const char* op = c[0]; *op != '\0'; ++op) {
            std::deque<uintptr_t>& from = *op == 'r' ? F.done : F.ready;
            if (*op == 'c' || *op == 'e' || *op == 'r' || *op == 'x') {
                const uintptr_t b = *op == 'x' ? from.back() : from.front();
                (*op == 'r' ? F.ready : F.done).push_back(b);
                from.erase(*op == 'x' ? from.end() - 1 : from.begin());
                if (*op == 'e' || *op == 'x')
                    F.empty.insert(b);
                else if (*op == 'c')
                    F.empty.erase(b);
            }
            F.reuseNotices += *op == 'n' ? 1 : 0;
            if (*op == 't' && TakeDoneBufferWith(Lib) == 1)
                lost += static_cast<char>('0' + BufferFollowsLostSamples);
            if (*op == 'q')
                RequeueBufferWith(Lib);
            if (*op == 's')
                RestartAcquisitionWith(Lib);
        }
        EXPECT_EQ(lost, c[1]) << c[0];
    }
}

// Stop and restart inside the cycle while it holds a buffer: the held buffer is freed, the
// stop does not fail on an empty done queue, and the closing hand-back does nothing.
TEST_F(BoardControl, StopAndRestartWhileTheCycleHoldsABuffer)
{
    ASSERT_EQ(Monitor(), 1);
    F.done.push_back(F.ready.front());
    F.ready.pop_front();
    ASSERT_EQ(TakeDoneBufferWith(Lib), 1);
    for (int i = 0; i < 5; ++i) {
        RestartAcquisitionWith(Lib);
        EXPECT_EQ(F.buffers.size(), 8u) << "a buffer leaked at restart " << i;
        EXPECT_EQ(RequeueBufferWith(Lib), 1);
        EXPECT_EQ(F.ready.size(), 8u);
        F.done.push_back(F.ready.front());
        F.ready.pop_front();
        ASSERT_EQ(TakeDoneBufferWith(Lib), 1);
    }
    EXPECT_TRUE(F.messages.empty());
    EXPECT_EQ(StopAcquisitionWith(Lib), 1);
    EXPECT_EQ(RequeueBufferWith(Lib), 1);
    EXPECT_TRUE(NothingOpen());
    EXPECT_TRUE(F.messages.empty());
}

TEST_F(BoardControl, FailureWhileHoldingABufferFreesIt)
{
    ASSERT_EQ(Monitor(), 1);
    F.done.push_back(F.ready.front());
    F.ready.pop_front();
    ASSERT_EQ(TakeDoneBufferWith(Lib), 1);
    F.failName = "GetRange";
    F.failOccurrence = 1;
    EXPECT_EQ(GetBufferInfoWith(Lib), 0);
    EXPECT_TRUE(NothingOpen());
    EXPECT_EQ(RequeueBufferWith(Lib), 1);
    EXPECT_EQ(Monitor(), 1);
    StopAcquisitionWith(Lib);
}

TEST_F(BoardControl, FailingStopClosesTheBoard)
{
    for (const char* step : {"Abort", "FlushBuffers", "ReleaseDASS", "Terminate"}) {
        SCOPED_TRACE(step);
        F = Fake{};
        ClearBoardState();
        ASSERT_EQ(Monitor(), 1);
        F.failName = step;
        F.failOccurrence = 1;
        EXPECT_EQ(StopAcquisitionWith(Lib), 0);
        EXPECT_EQ(F.messages.size(), 1u);
        EXPECT_TRUE(NothingOpen());
    }
}

TEST(GainOutput, Sequences)
{
    GainWriteSequence s = GainOutputSequence(3, 0);
    EXPECT_EQ(s.Count, 1);
    EXPECT_EQ(s.Values[0], 3u);
    s = GainOutputSequence(4, 0x200);
    EXPECT_EQ(s.Count, 2);
    EXPECT_EQ(s.Values[0], 0x203u);
    EXPECT_EQ(s.Values[1], 0x204u);
    EXPECT_EQ(s.PauseAfterFirstMs, 50);
}

}  // namespace
