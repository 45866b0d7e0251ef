// Board control: opening the first board through the board library, the two counter/timers
// at the repetition rate, the digital lines with the receiver gain code, the analog input with
// its eight queued buffers, start, stop, restart and release; and the hand-off of completed
// buffers to the measurement cycle.
//
// The sequences are written once here over a table of the library's calls (`BoardLibrary`),
// so that they run natively against a recording fake and on Windows against qzdaapi32 and
// qzmem32 (board_control_win.h gives the program's operations under their usual names).
// Everything runs on the user-interface thread; nothing here locks.
#pragma once

#include "qzdaapi32/qzdaapi32.h"

#include <cstdint>

// The library calls the program uses, the buffer-memory calls, and the two edges that are
// not library calls: the message box (no owner, warning icon, OK) and the busy wait.
struct BoardLibrary {
    decltype(&qzDaEnumBoards) EnumBoards = nullptr;
    decltype(&qzDaInitialize) Initialize = nullptr;
    decltype(&qzDaTerminate) Terminate = nullptr;
    decltype(&qzDaGetDASS) GetDASS = nullptr;
    decltype(&qzDaReleaseDASS) ReleaseDASS = nullptr;
    decltype(&qzDaGetDevCaps) GetDevCaps = nullptr;
    decltype(&qzDaGetSSCapsEx) GetSSCapsEx = nullptr;
    decltype(&qzDaGetErrorString) GetErrorString = nullptr;
    decltype(&qzDaSetCascadeMode) SetCascadeMode = nullptr;
    decltype(&qzDaSetGateType) SetGateType = nullptr;
    decltype(&qzDaSetCTMode) SetCTMode = nullptr;
    decltype(&qzDaSetClockSource) SetClockSource = nullptr;
    decltype(&qzDaSetClockFrequency) SetClockFrequency = nullptr;
    decltype(&qzDaGetClockFrequency) GetClockFrequency = nullptr;
    decltype(&qzDaSetPulseType) SetPulseType = nullptr;
    decltype(&qzDaSetPulseWidth) SetPulseWidth = nullptr;
    decltype(&qzDaSetDataFlow) SetDataFlow = nullptr;
    decltype(&qzDaSetWrapMode) SetWrapMode = nullptr;
    decltype(&qzDaSetChannelType) SetChannelType = nullptr;
    decltype(&qzDaSetChannelListSize) SetChannelListSize = nullptr;
    decltype(&qzDaSetChannelListEntry) SetChannelListEntry = nullptr;
    decltype(&qzDaSetTrigger) SetTrigger = nullptr;
    decltype(&qzDaSetWndHandle) SetWndHandle = nullptr;
    decltype(&qzDaConfig) Config = nullptr;
    decltype(&qzDaStart) Start = nullptr;
    decltype(&qzDaAbort) Abort = nullptr;
    decltype(&qzDaFlushBuffers) FlushBuffers = nullptr;
    decltype(&qzDaPutSingleValue) PutSingleValue = nullptr;
    decltype(&qzDaGetBuffer) GetBuffer = nullptr;
    decltype(&qzDaPutBuffer) PutBuffer = nullptr;
    decltype(&qzDaGetRange) GetRange = nullptr;
    decltype(&qzDaGetResolution) GetResolution = nullptr;
    decltype(&MemAllocBuffer) AllocBuffer = nullptr;
    decltype(&MemFreeBuffer) FreeBuffer = nullptr;
    decltype(&MemGetValidSamples) GetValidSamples = nullptr;
    decltype(&MemGetBufferPointer) GetBufferPointer = nullptr;
    void (*ShowMessage)(const char* text, const char* caption) = nullptr;
    void (*Delay)(int32_t ms) = nullptr;
    QzWindowHandle (*NotifyWindow)() = nullptr;  // the curve window, for buffer-done
    // How many times the library has said since the last call that it queued a finished buffer
    // of the analog input again itself (its notices are taken from the queue).
    int32_t (*TakeReuseNotices)() = nullptr;
};

// ---------------------------------------------------------------------------------------
// Board state (program-wide). Handles start at null, the invalid value of the library's
// handles; `BoardDevice` set is the one sign that a board is open.

constexpr int32_t BoardErrorTextSize = 80;

extern DeviceHandle BoardDevice;
extern SubsystemHandle BoardCurrentSubsystem;  // the working subsystem (the analog input once running)
extern QZSTATUS BoardStatus;                   // code of the last library call
extern char BoardErrorText[BoardErrorTextSize];
extern SubsystemHandle BoardAnalogInput;
extern SubsystemHandle BoardCounter0;
extern SubsystemHandle BoardCounter1;
extern SubsystemHandle BoardDigitalIn;
extern SubsystemHandle BoardOutputSubsystem;
extern double BoardClockFrequency;  // Hz, last clock set or read back

// The buffer the cycle holds (null when none) and what was read about it.
extern HBUF CurrentBuffer;
extern int32_t BufferSampleCount;
extern const uint16_t* BufferSamples;
extern double InputRangeMax;     // volts
extern double InputRangeMin;     // volts
extern int32_t InputResolution;  // bits
// 1 when samples of the stream were lost between the last samples taken and the held buffer's
// first: the library, in the wrap mode that keeps the board running when the program falls
// behind, has queued a finished buffer again before the program read it, held back a failed
// transfer, or given back an empty buffer (1 for the empty one too).
extern int32_t BufferFollowsLostSamples;

// The first three fields of the board state as one record: the board enumeration's user data.
struct BoardRecord {
    DeviceHandle* Device;
    SubsystemHandle* CurrentSubsystem;
    QZSTATUS* Status;
    const BoardLibrary* Library;
};

// Texts of the board control's own messages.
extern const char* const NoBoardText;        // " No A/D module, please switch on the board"
extern const char* const NoAnalogInputText;  // "No Available A/D Subsystems!"
extern const char* const ReceiverErrorCaption;
extern const char* const BoardErrorCaption;

// ---------------------------------------------------------------------------------------
// Gain code output.

constexpr int32_t MaxGainCode = 6;
constexpr int32_t GainSettleMs = 50;

// The receiver gain code for a component (0 Z, 1 X, 2 Y): 1 and the code, or 0 when the
// component is none of these or the code lies outside 0..6 (nothing is written then).
int32_t GainCodeForComponent(int32_t component, int32_t gainZ, int32_t gainX, int32_t gainY, int32_t& gainCode);

// The values written to the digital output for a gain code: one value below 4; from 4 on
// first offset + 3, a 50 ms pause, then the code (the receiver's gain stage steps through 3).
struct GainWriteSequence {
    int32_t Count = 0;
    uint32_t Values[2] = {};
    int32_t PauseAfterFirstMs = 0;
};
GainWriteSequence GainOutputSequence(int32_t gainCode, int32_t offset);

// ---------------------------------------------------------------------------------------
// The operations over a library table (the names without "With" are the program's own,
// board_control_win.h, which pass qzdaapi32).

// Every operation answers 1 (done, or nothing to do) or 0 (failed, after its message).
int32_t EnumBoardsCallbackWith(const char* boardName, BoardRecord& record);
int32_t OpenAcquisitionBoardWith(const BoardLibrary& lib);
int32_t SetupCounterTimersWith(const BoardLibrary& lib);
int32_t SetupAnalogInputWith(const BoardLibrary& lib);
// The gain code of the selected component (with the output offset) on the digital output,
// through code 3 and the settling pause from 4 on; nothing for a component or code outside
// the tables.
int32_t WriteGainCodeWith(const BoardLibrary& lib, int32_t outputOffset);
int32_t StartAcquisitionWith(const BoardLibrary& lib, int32_t outputOffset);
void RestartAcquisitionWith(const BoardLibrary& lib);
void RestartAcquisitionIfOpenWith(const BoardLibrary& lib);
int32_t StopAcquisitionWith(const BoardLibrary& lib);
int32_t ReleaseSubsystemsWith(const BoardLibrary& lib);

// Buffer hand-off. The library gives the buffers back in the order they were handed to it
// unless it has queued some again itself: the take then sets `BufferFollowsLostSamples`, from
// that order and from the library's notices, read before the take and after the hand-back.
int32_t TakeDoneBufferWith(const BoardLibrary& lib);
// 1 when the buffer info was read and the samples may be used, 0 after the failure path. The
// valid samples are those the take read.
int32_t GetBufferInfoWith(const BoardLibrary& lib);
// Hands the held buffer back; 1 also when none is held (a stop in the cycle has freed it).
int32_t RequeueBufferWith(const BoardLibrary& lib);

// The common failure path for the code in `BoardStatus`: the library's text in an "Error"
// box, then every subsystem opened so far released, the device closed and every handle
// cleared, so that the board is closed and can be opened again. Returns 0.
int32_t BoardFailure(const BoardLibrary& lib);

// The enumeration callback given to qzDaEnumBoards; userData is a BoardRecord. Opens the
// named board into the record and goes on (nonzero) while no board has opened.
extern "C" int32_t QZDA_CALL EnumBoardsCallback(const char* boardName, const char* driverName, intptr_t userData);
