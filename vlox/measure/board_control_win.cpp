#include "vlox/measure/board_control_win.h"

#include "vlox/settings/textconv.h"
#include "vlox/common/program_windows_win.h"

#include <string>

BoardMessageBoxFunction BoardMessageBox = MessageBoxW;

namespace {

void ShowBoardMessage(const char* text, const char* caption)
{
    const WideString wideText = NarrowToWide(std::string(text));
    const WideString wideCaption = NarrowToWide(std::string(caption));
    BoardMessageBox(nullptr, wideText.c_str(), wideCaption.c_str(), MB_OK | MB_ICONWARNING);
}

void BoardDelay(int32_t ms)
{
    DelayMs(ms);
}

QzWindowHandle CurveWindow()
{
    return BoardNotifyWindow;
}

int32_t TakeReuseNotices()
{
    MSG message;
    int32_t taken = 0;
    while (BoardNotifyWindow != nullptr &&
           PeekMessageW(&message, BoardNotifyWindow, QZMSG_BUFFER_REUSED, QZMSG_BUFFER_REUSED, PM_REMOVE))
        if (reinterpret_cast<SubsystemHandle>(message.wParam) == BoardAnalogInput)
            ++taken;
    return taken;
}

BoardLibrary MakeBoardCalls()
{
    BoardLibrary lib;
    lib.EnumBoards = qzDaEnumBoards;
    lib.Initialize = qzDaInitialize;
    lib.Terminate = qzDaTerminate;
    lib.GetDASS = qzDaGetDASS;
    lib.ReleaseDASS = qzDaReleaseDASS;
    lib.GetDevCaps = qzDaGetDevCaps;
    lib.GetSSCapsEx = qzDaGetSSCapsEx;
    lib.GetErrorString = qzDaGetErrorString;
    lib.SetCascadeMode = qzDaSetCascadeMode;
    lib.SetGateType = qzDaSetGateType;
    lib.SetCTMode = qzDaSetCTMode;
    lib.SetClockSource = qzDaSetClockSource;
    lib.SetClockFrequency = qzDaSetClockFrequency;
    lib.GetClockFrequency = qzDaGetClockFrequency;
    lib.SetPulseType = qzDaSetPulseType;
    lib.SetPulseWidth = qzDaSetPulseWidth;
    lib.SetDataFlow = qzDaSetDataFlow;
    lib.SetWrapMode = qzDaSetWrapMode;
    lib.SetChannelType = qzDaSetChannelType;
    lib.SetChannelListSize = qzDaSetChannelListSize;
    lib.SetChannelListEntry = qzDaSetChannelListEntry;
    lib.SetTrigger = qzDaSetTrigger;
    lib.SetWndHandle = qzDaSetWndHandle;
    lib.Config = qzDaConfig;
    lib.Start = qzDaStart;
    lib.Abort = qzDaAbort;
    lib.FlushBuffers = qzDaFlushBuffers;
    lib.PutSingleValue = qzDaPutSingleValue;
    lib.GetBuffer = qzDaGetBuffer;
    lib.PutBuffer = qzDaPutBuffer;
    lib.GetRange = qzDaGetRange;
    lib.GetResolution = qzDaGetResolution;
    lib.AllocBuffer = MemAllocBuffer;
    lib.FreeBuffer = MemFreeBuffer;
    lib.GetValidSamples = MemGetValidSamples;
    lib.GetBufferPointer = MemGetBufferPointer;
    lib.ShowMessage = ShowBoardMessage;
    lib.Delay = BoardDelay;
    lib.NotifyWindow = CurveWindow;
    lib.TakeReuseNotices = TakeReuseNotices;
    return lib;
}

}  // namespace

BoardLibrary BoardCalls = MakeBoardCalls();

int32_t OpenAcquisitionBoard()
{
    return OpenAcquisitionBoardWith(BoardCalls);
}
int32_t SetupCounterTimers()
{
    return SetupCounterTimersWith(BoardCalls);
}
int32_t SetupAnalogInput()
{
    return SetupAnalogInputWith(BoardCalls);
}
int32_t StartAcquisition(int32_t outputOffset)
{
    return StartAcquisitionWith(BoardCalls, outputOffset);
}
void RestartAcquisition()
{
    RestartAcquisitionWith(BoardCalls);
}
void RestartAcquisitionIfOpen()
{
    RestartAcquisitionIfOpenWith(BoardCalls);
}
int32_t StopAcquisition()
{
    return StopAcquisitionWith(BoardCalls);
}
int32_t ReleaseSubsystems()
{
    return ReleaseSubsystemsWith(BoardCalls);
}
int32_t TakeDoneBuffer()
{
    return TakeDoneBufferWith(BoardCalls);
}
int32_t GetBufferInfo()
{
    return GetBufferInfoWith(BoardCalls);
}
int32_t RequeueBuffer()
{
    return RequeueBufferWith(BoardCalls);
}
