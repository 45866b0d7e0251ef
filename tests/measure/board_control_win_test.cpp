// Board control on the simulated board through qzdaapi32 as V-LOX links it: open, set-up,
// the gain code in the digital-output log, running with buffer hand-off, stop, restart and
// release with nothing left open on the board.
#include "vlox/measure/board_control_win.h"

#include "standins/personality/qzsimbrd_control_win.h"
#include "standins/personality/sim_registration_win.h"
#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/sync_gates.h"
#include "vlox/settings/settings.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/common/program_windows_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

SimBoardControl& Control()
{
    static SimBoardControl control;
    return control;
}

std::vector<std::wstring> Boxes;

int WINAPI RecordBox(HWND, LPCWSTR text, LPCWSTR caption, UINT)
{
    Boxes.push_back(std::wstring(text) + L" | " + caption);
    return IDOK;
}

int BuffersSeen = 0;
int SamplesSeen = 0;
// 1: the next done buffer is taken and kept, as the cycle keeps it over a nulling step.
int HoldNextBuffer = 0;
int HoldingBuffer = 0;
int BuffersHeld = 0;

// The cycle's hand-off on every buffer-done message.
LRESULT CALLBACK CurveProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == QZMSG_BUFFER_DONE) {
        // While a buffer is held the later messages wait, as they do while the cycle runs.
        if (HoldingBuffer != 0)
            return 0;
        if (HoldNextBuffer != 0) {
            if (TakeDoneBuffer() == 1) {
                HoldNextBuffer = 0;
                HoldingBuffer = 1;
                ++BuffersHeld;
            }
            return 0;
        }
        if (TakeDoneBuffer() == 1) {
            if (GetBufferInfo() == 1) {
                ++BuffersSeen;
                SamplesSeen = BufferSampleCount;
            }
            RequeueBuffer();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Dispatches what is waiting now.
void PumpWaiting()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

// Dispatches until done() or a minute has gone by; answers done().
bool PumpUntil(const std::function<bool()>& done)
{
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < 60000) {
        PumpWaiting();
        Sleep(5);
    }
    return done();
}

SimDriverCounts Counts()
{
    SimDriverCounts counts{};
    EXPECT_TRUE(Control().GetCounts(&counts, sizeof counts));
    return counts;
}

class SimBoardControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(RegisterSimBoardInterface());
        ASSERT_TRUE(RegisterSimBoardDeviceMap());
        ASSERT_TRUE(Control().Load());
        WNDCLASSW wc{};
        wc.lpfnWndProc = CurveProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BoardTestCurveWnd";
        RegisterClassW(&wc);
        BoardNotifyWindow =
            CreateWindowExW(0, L"BoardTestCurveWnd", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(BoardNotifyWindow, nullptr);
        BoardMessageBox = RecordBox;
    }

    void SetUp() override
    {
        SimSettings settings;
        settings.SpeedUp = 1.0;
        ASSERT_TRUE(Control().SetSettings(&settings));
        Control().ClearOutputLog();
        Boxes.clear();
        BuffersSeen = 0;
        HoldNextBuffer = 0;
        HoldingBuffer = 0;
        BuffersHeld = 0;
        RepetitionRate = 30.0;
        TotalTurnOffDelay = 0.0;
        OutputLineBase = 0;
        Settings.SelectedComponent = 0;
        Settings.GainZ = 4;
        violationsBefore = Counts().board.protocolViolations;
    }

    void TearDown() override
    {
        StopAcquisition();
        const SimDriverCounts counts = Counts();
        EXPECT_EQ(counts.board.protocolViolations, violationsBefore);
        for (uint32_t i = violationsBefore; i < counts.board.protocolViolations; ++i) {
            char text[200] = {};
            Control().Violation(i, text, sizeof text);
            ADD_FAILURE() << "the board refused: " << text;
        }
    }

    // Nothing of the board is left open: no handle, no waiting request, no running unit.
    void ExpectClosed()
    {
        EXPECT_EQ(BoardDevice, nullptr);
        EXPECT_EQ(BoardAnalogInput, nullptr);
        EXPECT_EQ(CurrentBuffer, nullptr);
        const SimDriverCounts counts = Counts();
        EXPECT_EQ(counts.board.openHandles, 0u);
        EXPECT_EQ(counts.board.pendingReads, 0u);
        EXPECT_EQ(counts.board.runningUnits, 0u);
    }

    // The Monitor command's board part.
    int32_t Monitor()
    {
        ReleaseSubsystems();
        ResetAcquisitionState();
        if (OpenAcquisitionBoard() == 0)
            return 0;
        return StartAcquisition(0);
    }

    uint32_t violationsBefore = 0;
};

std::vector<uint32_t> OutputValues()
{
    SimOutputWrite log[32];
    const uint32_t n = Control().OutputLog(log, 32);
    std::vector<uint32_t> values;
    for (uint32_t i = 0; i < n && i < 32; ++i)
        values.push_back(log[i].value);
    return values;
}

TEST_F(SimBoardControlTest, StopAndReleaseWithNothingOpenDoNothing)
{
    EXPECT_EQ(StopAcquisition(), 1);
    EXPECT_EQ(ReleaseSubsystems(), 1);
    RestartAcquisitionIfOpen();
    EXPECT_EQ(BoardDevice, nullptr);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(SimBoardControlTest, MonitorRunsStopsRestartsAndReleases)
{
    const int32_t started = Monitor();
    for (const std::wstring& b : Boxes)
        ADD_FAILURE() << "message: " << std::string(b.begin(), b.end());
    ASSERT_EQ(started, 1);
    EXPECT_EQ(SampleRate, 480000);
    EXPECT_EQ(SyncSkip, 800);
    // Gain 4 steps through 3 with the settling pause between.
    SimOutputWrite log[8];
    ASSERT_EQ(Control().OutputLog(log, 8), 2u);
    EXPECT_EQ(log[0].value, 3u);
    EXPECT_EQ(log[1].value, 4u);
    EXPECT_GE(log[1].timeMs - log[0].timeMs, 45.0);
    EXPECT_EQ(GainCodeSent, 4);

    ASSERT_TRUE(PumpUntil([] { return BuffersSeen >= 1; }));
    EXPECT_EQ(SamplesSeen, 480000);

    // A restart with another gain and rate, then a stop and a fresh Monitor.
    Control().ClearOutputLog();
    Settings.GainZ = 2;
    RestartAcquisitionIfOpen();
    EXPECT_NE(BoardDevice, nullptr);
    EXPECT_EQ(OutputValues(), (std::vector<uint32_t>{2}));
    // The restarted board delivers.
    const int seen = BuffersSeen;
    EXPECT_TRUE(PumpUntil([seen] { return BuffersSeen > seen; }));
    EXPECT_EQ(StopAcquisition(), 1);
    ExpectClosed();
    PumpWaiting();  // buffer-done messages queued before the stop find no board
    EXPECT_EQ(Monitor(), 1);
    EXPECT_EQ(ReleaseSubsystems(), 1);
    ExpectClosed();
    EXPECT_TRUE(Boxes.empty());
}

// A failing step of the set-up leaves the board closed and a later Monitor opens it again.
TEST_F(SimBoardControlTest, FailedStartLeavesTheBoardOpenable)
{
    RepetitionRate = 0.0;  // refused before it reaches the counters
    EXPECT_EQ(Monitor(), 0);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_NE(Boxes[0].find(L" | Error"), std::wstring::npos);
    ExpectClosed();
    Boxes.clear();
    RepetitionRate = 30.0;
    EXPECT_EQ(Monitor(), 1);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(StopAcquisition(), 1);
    ExpectClosed();
}

// Every nulling step restarts the board while the cycle holds the buffer it has just taken;
// a full run does that 84 times in a 32-bit process. The restart frees the held buffer with
// its stopped subsystem: its handle is refused afterwards (handles are never reused while
// stale), which no other thread's allocations on a busy machine can blur.
TEST_F(SimBoardControlTest, RestartWhileHoldingABufferDoesNotLeakIt)
{
    SimSettings settings;
    settings.SpeedUp = 0.0;  // every buffer is due at once
    ASSERT_TRUE(Control().SetSettings(&settings));
    ASSERT_EQ(Monitor(), 1);
    for (int i = 0; i < 12; ++i) {
        HoldNextBuffer = 1;
        const int before = BuffersHeld;
        PumpUntil([before] { return BuffersHeld != before; });
        ASSERT_EQ(BuffersHeld, before + 1) << "no buffer came";
        const HBUF held = CurrentBuffer;
        ASSERT_NE(held, nullptr);
        uint32_t bytes = 0;
        ASSERT_EQ(MemGetBufferSize(held, &bytes), QZMEM_OK);
        RestartAcquisitionIfOpen();
        HoldingBuffer = 0;
        ASSERT_NE(BoardDevice, nullptr);
        EXPECT_EQ(CurrentBuffer, nullptr);
        EXPECT_EQ(MemGetBufferSize(held, &bytes), QZMEM_BAD_BUFFER) << "restart " << i << " kept the held buffer";
    }
    EXPECT_EQ(StopAcquisition(), 1);
    ExpectClosed();
    EXPECT_TRUE(Boxes.empty());
}

}  // namespace
