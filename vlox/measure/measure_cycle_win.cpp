#include "vlox/measure/measure_cycle_win.h"

#include "vlox/measure/acquisition_state.h"
#include "vlox/measure/board_control_win.h"

CycleServices* MeasurementCycleServices = nullptr;
int32_t BuffersProcessed = 0;

namespace {

// 1 while a buffer is processed: a message that reaches the window meanwhile (through a
// message loop run by something the cycle called) is counted and processed afterwards.
int32_t CycleBusy = 0;
int32_t CyclePendingMessages = 0;

// One buffer from the done queue through the cycle.
void ProcessOneBuffer()
{
    BufferSamples = nullptr;
    BufferSampleCount = 0;
    InputRangeMax = InputRangeMin = 0.0;
    InputResolution = 0;
    if (TakeDoneBuffer() == 0)
        return;
    if (MeasurementCycleServices == nullptr) {
        RequeueBuffer();
        return;
    }
    // A failed query has released the board through the failure path: no samples to read.
    if (GetBufferInfo() == 0) {
        RequeueBuffer();
        return;
    }
    SampleBuffer buffer;
    buffer.Samples = BufferSamples;
    buffer.Count = BufferSampleCount;
    buffer.RangeMin = InputRangeMin;
    buffer.RangeMax = InputRangeMax;
    buffer.Resolution = InputResolution;
    buffer.FollowsLostSamples = BufferFollowsLostSamples;
    const int32_t outcome = RunMeasurementCycle(buffer, CurrentSyncConfig(PolaritySign), *MeasurementCycleServices);
    ++BuffersProcessed;
    if (outcome == CycleRequeue)
        RequeueBuffer();
}

}  // namespace

LRESULT CALLBACK OnBufferDone(HWND, UINT, WPARAM wParam, LPARAM)
{
    // Messages stay queued across a stop or restart: only the live analog input's count.
    if (BoardAnalogInput == nullptr || reinterpret_cast<SubsystemHandle>(wParam) != BoardAnalogInput)
        return 1;
    if (CycleBusy != 0) {
        ++CyclePendingMessages;
        return 1;
    }
    CycleBusy = 1;
    ProcessOneBuffer();
    while (CyclePendingMessages > 0 && BoardAnalogInput != nullptr) {
        --CyclePendingMessages;
        ProcessOneBuffer();
    }
    CyclePendingMessages = 0;
    CycleBusy = 0;
    return 1;
}
