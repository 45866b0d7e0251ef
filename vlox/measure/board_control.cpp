#include "vlox/measure/board_control.h"

#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/sync_gates.h"
#include "vlox/settings/settings.h"
#include "vlox/measure/acquisition_state.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

DeviceHandle BoardDevice = nullptr;
SubsystemHandle BoardCurrentSubsystem = nullptr;
QZSTATUS BoardStatus = QZERR_NO_ERROR;
char BoardErrorText[BoardErrorTextSize] = {};
SubsystemHandle BoardAnalogInput = nullptr;
SubsystemHandle BoardCounter0 = nullptr;
SubsystemHandle BoardCounter1 = nullptr;
SubsystemHandle BoardDigitalIn = nullptr;
SubsystemHandle BoardOutputSubsystem = nullptr;
double BoardClockFrequency = 0.0;

HBUF CurrentBuffer = nullptr;
int32_t BufferSampleCount = 0;
const uint16_t* BufferSamples = nullptr;
double InputRangeMax = 0.0;
double InputRangeMin = 0.0;
int32_t InputResolution = 0;
int32_t BufferFollowsLostSamples = 0;

const char* const NoBoardText = " No A/D module, please switch on the board";
const char* const NoAnalogInputText = "No Available A/D Subsystems!";
const char* const ReceiverErrorCaption = "Receiver Error";
const char* const BoardErrorCaption = "Error";

namespace {

constexpr int32_t QueuedBufferCount = 8;
constexpr uint32_t BytesPerSample = 2;
constexpr int32_t StopPauseMs = 50;

// Stores a call's code as the last status; true on success.
bool Ok(QZSTATUS code)
{
    BoardStatus = code;
    return code == QZERR_NO_ERROR;
}

void Show(const BoardLibrary& lib, const char* text, const char* caption)
{
    if (lib.ShowMessage != nullptr)
        lib.ShowMessage(text, caption);
}

void ShowLibraryText(const BoardLibrary& lib, QZSTATUS code)
{
    const char* text =
        lib.GetErrorString != nullptr ? lib.GetErrorString(code, BoardErrorText, BoardErrorTextSize) : nullptr;
    if (text == nullptr)
        std::snprintf(BoardErrorText, sizeof BoardErrorText, "QZ Unknown Error: 0x%lX",
                      static_cast<unsigned long>(code));
    BoardErrorText[BoardErrorTextSize - 1] = '\0';
    Show(lib, BoardErrorText, BoardErrorCaption);
}

// The hand-off's record of the running analog input's buffers. `QueuedOrder` holds those on
// the library's queues in the order it fills them, which is the order it gives them back in:
// a buffer handed over goes last, and so does one the library queues again itself (it does
// so only when nothing else is queued, taking the oldest finished one, whose samples are then
// lost). A buffer that comes back before the first of the record shows those before it
// queued again; the library's notices show what the order cannot, a whole round of them.
HBUF QueuedOrder[QueuedBufferCount] = {};
int32_t QueuedCount = 0;
// Buffers a take found queued again before the library's notices of them came: each notice
// that comes then stands for one of them, not for another loss. Those still without a notice
// at the next take may never have been queued again (the record had them in a wrong place):
// the record gives their places up rather than keep a wrong one.
HBUF Unnoticed[QueuedBufferCount] = {};
int32_t UnnoticedCount = 0;
// Samples lost since the last buffer with samples was taken.
int32_t SamplesLost = 0;
// The held buffer's valid samples, as its take read them.
uint32_t TakenValidSamples = 0;

int32_t PlaceInOrder(HBUF buffer)
{
    HBUF* const end = QueuedOrder + QueuedCount;
    HBUF* const at = std::find(QueuedOrder, end, buffer);
    return at == end ? -1 : static_cast<int32_t>(at - QueuedOrder);
}

void DropFromOrder(int32_t at)
{
    std::copy(QueuedOrder + at + 1, QueuedOrder + QueuedCount, QueuedOrder + at);
    --QueuedCount;
}

void NoteHanded(HBUF buffer)
{
    const int32_t at = PlaceInOrder(buffer);
    if (at >= 0)
        DropFromOrder(at);
    if (QueuedCount == QueuedBufferCount)
        DropFromOrder(0);
    QueuedOrder[QueuedCount++] = buffer;
}

// The notices that came since the last look. Each is a move of the oldest finished buffer to
// the end, made before now: while the record holds every buffer not in the program's hand
// (`held` 1 while it holds one) its first is that buffer; otherwise the record cannot say
// which one went, and gives its first place up.
void NoteQueuedAgain(const BoardLibrary& lib, int32_t held)
{
    int32_t notices = lib.TakeReuseNotices != nullptr ? lib.TakeReuseNotices() : 0;
    const bool whole = QueuedCount + held == QueuedBufferCount;
    for (; notices > 0; --notices) {
        if (UnnoticedCount > 0) {
            std::copy(Unnoticed + 1, Unnoticed + UnnoticedCount, Unnoticed);
            --UnnoticedCount;
            continue;
        }
        SamplesLost = 1;
        if (QueuedCount == 0)
            continue;
        const HBUF oldest = QueuedOrder[0];
        DropFromOrder(0);
        if (whole)
            QueuedOrder[QueuedCount++] = oldest;
    }
}

void ForgetUnnoticed()
{
    for (int32_t i = 0; i < UnnoticedCount; ++i) {
        const int32_t at = PlaceInOrder(Unnoticed[i]);
        if (at >= 0)
            DropFromOrder(at);
    }
    UnnoticedCount = 0;
}

// A buffer taken from the done queue; 1 when samples were lost before its first. An empty
// one (a failed transfer, or a read that could not be issued and so left its turn) shows
// nothing of the order, and its own samples are lost before the next buffer's.
int32_t NoteTaken(HBUF buffer, bool hasSamples)
{
    int32_t at = PlaceInOrder(buffer);
    if (!hasSamples) {
        if (at >= 0)
            DropFromOrder(at);
        SamplesLost = 1;
        return 1;
    }
    if (at > 0) {
        std::copy(QueuedOrder, QueuedOrder + at, Unnoticed);
        UnnoticedCount = at;
        std::rotate(QueuedOrder, QueuedOrder + at, QueuedOrder + QueuedCount);
        SamplesLost = 1;
        at = 0;
    }
    if (at == 0)
        DropFromOrder(0);
    return std::exchange(SamplesLost, 0);
}

// A buffer that the cycle holds is on none of the library's queues, so releasing the
// subsystem would not free it.
void FreeHeldBuffer(const BoardLibrary& lib)
{
    if (CurrentBuffer != nullptr && lib.FreeBuffer != nullptr)
        lib.FreeBuffer(CurrentBuffer);
    CurrentBuffer = nullptr;
    BufferSamples = nullptr;
    BufferSampleCount = 0;
}

SubsystemHandle* const OpenOrder[] = {&BoardAnalogInput, &BoardCounter0, &BoardCounter1, &BoardDigitalIn,
                                      &BoardOutputSubsystem};

// Releases whatever is still open, ignoring the answers (the board is being given up), and
// leaves every handle null.
void ReleaseEverything(const BoardLibrary& lib)
{
    FreeHeldBuffer(lib);
    bool currentIsListed = BoardCurrentSubsystem == nullptr;
    for (SubsystemHandle* h : OpenOrder) {
        if (*h == nullptr)
            continue;
        if (*h == BoardCurrentSubsystem)
            currentIsListed = true;
        lib.ReleaseDASS(*h);
        *h = nullptr;
    }
    // A subsystem whose set-up failed before it got its own name.
    if (!currentIsListed)
        lib.ReleaseDASS(BoardCurrentSubsystem);
    BoardCurrentSubsystem = nullptr;
    if (BoardDevice != nullptr)
        lib.Terminate(BoardDevice);
    BoardDevice = nullptr;
}

// Releases the five subsystems and closes the device, each answer checked; the held buffer
// goes first. 1, or 0 after the failure path.
int32_t ReleaseChecked(const BoardLibrary& lib)
{
    if (CurrentBuffer != nullptr) {
        const HBUF held = CurrentBuffer;
        CurrentBuffer = nullptr;
        BufferSamples = nullptr;
        BufferSampleCount = 0;
        if (!Ok(lib.FreeBuffer(held)))
            return BoardFailure(lib);
    }
    for (SubsystemHandle* h : OpenOrder) {
        if (*h == nullptr)
            continue;
        if (!Ok(lib.ReleaseDASS(*h)))
            return BoardFailure(lib);
        if (BoardCurrentSubsystem == *h)
            BoardCurrentSubsystem = nullptr;
        *h = nullptr;
    }
    if (BoardCurrentSubsystem != nullptr) {
        if (!Ok(lib.ReleaseDASS(BoardCurrentSubsystem)))
            return BoardFailure(lib);
        BoardCurrentSubsystem = nullptr;
    }
    if (!Ok(lib.Terminate(BoardDevice)))
        return BoardFailure(lib);
    BoardDevice = nullptr;
    return 1;
}

// Steps 2 to 4 of the stop: abort and flush the analog input, free the held buffer, release,
// close, pause.
int32_t StopSteps(const BoardLibrary& lib)
{
    if (BoardAnalogInput != nullptr) {
        if (!Ok(lib.Abort(BoardAnalogInput)))
            return BoardFailure(lib);
        if (!Ok(lib.FlushBuffers(BoardAnalogInput)))
            return BoardFailure(lib);
    }
    if (ReleaseChecked(lib) == 0)
        return 0;
    if (lib.Delay != nullptr)
        lib.Delay(StopPauseMs);
    return 1;
}

}  // namespace

int32_t BoardFailure(const BoardLibrary& lib)
{
    ShowLibraryText(lib, BoardStatus);
    ReleaseEverything(lib);
    return 0;
}

int32_t GainCodeForComponent(int32_t component, int32_t gainZ, int32_t gainX, int32_t gainY, int32_t& gainCode)
{
    int32_t g = 0;
    switch (component) {
    case 0:
        g = gainZ;
        break;
    case 1:
        g = gainX;
        break;
    case 2:
        g = gainY;
        break;
    default:
        return 0;
    }
    if (g < 0 || g > MaxGainCode)
        return 0;
    gainCode = g;
    return 1;
}

GainWriteSequence GainOutputSequence(int32_t gainCode, int32_t offset)
{
    GainWriteSequence s;
    if (gainCode < 4) {
        s.Count = 1;
        s.Values[0] = static_cast<uint32_t>(gainCode + offset);
        return s;
    }
    s.Count = 2;
    s.Values[0] = static_cast<uint32_t>(offset + 3);
    s.Values[1] = static_cast<uint32_t>(gainCode + offset);
    s.PauseAfterFirstMs = GainSettleMs;
    return s;
}

int32_t EnumBoardsCallbackWith(const char* boardName, BoardRecord& record)
{
    *record.Status = record.Library->Initialize(boardName, record.Device);
    return *record.Device == nullptr ? 1 : 0;
}

extern "C" int32_t QZDA_CALL EnumBoardsCallback(const char* boardName, const char*, intptr_t userData)
{
    return EnumBoardsCallbackWith(boardName, *reinterpret_cast<BoardRecord*>(userData));
}

int32_t OpenAcquisitionBoardWith(const BoardLibrary& lib)
{
    BoardDevice = nullptr;
    BoardStatus = QZERR_NO_ERROR;
    BoardRecord record{&BoardDevice, &BoardCurrentSubsystem, &BoardStatus, &lib};
    const QZSTATUS found = lib.EnumBoards(EnumBoardsCallback, reinterpret_cast<intptr_t>(&record));
    if (found != QZERR_NO_ERROR) {
        if (BoardDevice != nullptr)
            lib.Terminate(BoardDevice);
        BoardDevice = nullptr;
        Show(lib, NoBoardText, ReceiverErrorCaption);
        return 0;
    }
    if (BoardStatus != QZERR_NO_ERROR) {
        ShowLibraryText(lib, BoardStatus);
        if (BoardDevice != nullptr)
            lib.Terminate(BoardDevice);
        BoardDevice = nullptr;
        return 0;
    }
    if (BoardDevice == nullptr) {
        Show(lib, NoBoardText, ReceiverErrorCaption);
        return 0;
    }
    return 1;
}

int32_t SetupCounterTimersWith(const BoardLibrary& lib)
{
    // A repetition rate that is not a positive number never reaches the counters' driver.
    if (!(RepetitionRate > 0.0)) {
        BoardStatus = QZERR_INVALID_FREQUENCY;
        return BoardFailure(lib);
    }
    BoardClockFrequency = RepetitionRate;

    // Counter 0 at the repetition rate, a quarter of the period high.
    if (!Ok(lib.GetDASS(BoardDevice, SubsystemTypeCT, 0, &BoardCurrentSubsystem)))
        return BoardFailure(lib);
    SubsystemHandle c = BoardCurrentSubsystem;
    if (!Ok(lib.SetCascadeMode(c, CascadeModeSingle)) || !Ok(lib.SetGateType(c, 500)) || !Ok(lib.SetCTMode(c, 701)) ||
        !Ok(lib.SetClockSource(c, ClockInternal)) || !Ok(lib.SetClockFrequency(c, BoardClockFrequency)) ||
        !Ok(lib.SetPulseType(c, PulseType601)) || !Ok(lib.SetPulseWidth(c, 25.0)) || !Ok(lib.Config(c)) ||
        !Ok(lib.Start(c)) || !Ok(lib.GetClockFrequency(c, &BoardClockFrequency)))
        return BoardFailure(lib);
    BoardCounter0 = c;

    // Counter 1 at twice what counter 0 really runs at, half the period high.
    BoardClockFrequency = 2.0 * BoardClockFrequency;
    if (!Ok(lib.GetDASS(BoardDevice, SubsystemTypeCT, 1, &BoardCurrentSubsystem)))
        return BoardFailure(lib);
    c = BoardCurrentSubsystem;
    if (!Ok(lib.SetCascadeMode(c, CascadeModeSingle)) || !Ok(lib.SetGateType(c, 504)) || !Ok(lib.SetCTMode(c, 703)) ||
        !Ok(lib.SetClockSource(c, ClockInternal)) || !Ok(lib.SetClockFrequency(c, BoardClockFrequency)) ||
        !Ok(lib.SetPulseType(c, PulseType601)) || !Ok(lib.SetPulseWidth(c, 50.0)) || !Ok(lib.Config(c)) ||
        !Ok(lib.Start(c)) || !Ok(lib.GetClockFrequency(c, &BoardClockFrequency)))
        return BoardFailure(lib);
    BoardCounter1 = c;

    if (!Ok(lib.GetDASS(BoardDevice, SubsystemTypeDIN, 0, &BoardCurrentSubsystem)))
        return BoardFailure(lib);
    BoardDigitalIn = BoardCurrentSubsystem;
    if (!Ok(lib.SetDataFlow(BoardDigitalIn, DataFlowContinuous)))
        return BoardFailure(lib);

    if (!Ok(lib.GetDASS(BoardDevice, SubsystemTypeDOUT, 0, &BoardCurrentSubsystem)))
        return BoardFailure(lib);
    BoardOutputSubsystem = BoardCurrentSubsystem;
    if (!Ok(lib.SetDataFlow(BoardOutputSubsystem, DataFlowSingleValue)) || !Ok(lib.Config(BoardOutputSubsystem)))
        return BoardFailure(lib);
    return 1;
}

int32_t SetupAnalogInputWith(const BoardLibrary& lib)
{
    uint32_t elements = 0;
    if (!Ok(lib.GetDevCaps(BoardDevice, SubsystemTypeAD, &elements)))
        return BoardFailure(lib);
    bool opened = false;
    for (uint32_t e = 0; e < elements && !opened; ++e) {
        SubsystemHandle h = nullptr;
        BoardStatus = lib.GetDASS(BoardDevice, SubsystemTypeAD, e, &h);
        if (BoardStatus == QZERR_NO_ERROR && h != nullptr) {
            BoardCurrentSubsystem = h;
            opened = true;
        }
    }
    if (!opened) {
        Show(lib, NoAnalogInputText, BoardErrorCaption);
        return 0;
    }
    BoardAnalogInput = BoardCurrentSubsystem;
    const SubsystemHandle ai = BoardAnalogInput;

    if (!Ok(lib.GetSSCapsEx(ai, CapMaxClockFrequency, &BoardClockFrequency)) ||
        !Ok(lib.SetDataFlow(ai, DataFlowContinuous)) || !Ok(lib.SetWrapMode(ai, WrapRecycleDone)))
        return BoardFailure(lib);
    BoardClockFrequency = CappedClockFrequency(BoardClockFrequency);

    ChannelCount = ScanChannelCount;
    if (!Ok(lib.SetChannelType(ai, ChannelType100)) ||
        !Ok(lib.SetChannelListSize(ai, static_cast<uint32_t>(ChannelCount))))
        return BoardFailure(lib);
    for (uint32_t i = 0; i < static_cast<uint32_t>(ChannelCount); ++i)
        if (!Ok(lib.SetChannelListEntry(ai, i, i)))
            return BoardFailure(lib);
    if (!Ok(lib.SetTrigger(ai, TriggerExtra1)) || !Ok(lib.SetClockFrequency(ai, BoardClockFrequency)) ||
        !Ok(lib.Config(ai)) || !Ok(lib.GetClockFrequency(ai, &BoardClockFrequency)))
        return BoardFailure(lib);

    // A clock read back below one scan, or a repetition rate that is not positive, would give
    // empty buffers and a search that never advances: refused as an invalid frequency.
    AcquisitionCounts counts;
    if (DeriveAcquisitionCounts(BoardClockFrequency, RepetitionRate, TotalTurnOffDelay, counts) == 0) {
        BoardStatus = QZERR_INVALID_FREQUENCY;
        return BoardFailure(lib);
    }
    PublishAcquisitionCounts(counts);
    SyncCycle.SyncStep = counts.SyncStep;

    // Notices still waiting are of the subsystem before.
    QueuedCount = UnnoticedCount = SamplesLost = 0;
    if (lib.TakeReuseNotices != nullptr)
        lib.TakeReuseNotices();
    // The allocation goes through a local handle: `CurrentBuffer` names only a buffer that
    // the cycle holds, never one on the library's queues.
    for (int32_t i = 0; i < QueuedBufferCount; ++i) {
        HBUF buffer = nullptr;
        if (!Ok(lib.AllocBuffer(0, 0, static_cast<uint32_t>(SampleRate), BytesPerSample, &buffer)))
            return BoardFailure(lib);
        if (!Ok(lib.PutBuffer(ai, buffer))) {
            lib.FreeBuffer(buffer);
            return BoardFailure(lib);
        }
        NoteHanded(buffer);
    }

    const QzWindowHandle window = lib.NotifyWindow != nullptr ? lib.NotifyWindow() : nullptr;
    if (!Ok(lib.SetWndHandle(ai, window, 0)) || !Ok(lib.Config(ai)) || !Ok(lib.Start(ai)))
        return BoardFailure(lib);
    return 1;
}

int32_t WriteGainCodeWith(const BoardLibrary& lib, int32_t outputOffset)
{
    int32_t g = 0;
    if (GainCodeForComponent(Settings.SelectedComponent, Settings.GainZ, Settings.GainX, Settings.GainY, g) == 0)
        return 1;
    const GainWriteSequence seq = GainOutputSequence(g, outputOffset);
    for (int32_t i = 0; i < seq.Count; ++i) {
        if (!Ok(lib.PutSingleValue(BoardOutputSubsystem, seq.Values[i], 0, 1.0)))
            return BoardFailure(lib);
        if (i == 0 && seq.PauseAfterFirstMs > 0 && lib.Delay != nullptr)
            lib.Delay(seq.PauseAfterFirstMs);
    }
    GainCodeSent = g;
    return 1;
}

int32_t StartAcquisitionWith(const BoardLibrary& lib, int32_t outputOffset)
{
    ResetAcquisitionState();
    if (SetupCounterTimersWith(lib) == 0)
        return 0;
    // The cycle stacks every whole period from the stream's first sample, so the receiver
    // must sit at its final gain before the analog input starts: a sample taken at the
    // reopened board's lines or at the intermediate code 3 would be stored as if taken at
    // the gain the R1 record names.
    if (WriteGainCodeWith(lib, outputOffset) == 0)
        return 0;
    return SetupAnalogInputWith(lib);
}

int32_t StopAcquisitionWith(const BoardLibrary& lib)
{
    if (BoardDevice == nullptr)
        return 1;
    return StopSteps(lib);
}

void RestartAcquisitionWith(const BoardLibrary& lib)
{
    if (BoardDevice != nullptr && StopSteps(lib) == 0)
        return;
    ResetAcquisitionState();
    if (OpenAcquisitionBoardWith(lib) == 1)
        StartAcquisitionWith(lib, OutputLineBase);
}

void RestartAcquisitionIfOpenWith(const BoardLibrary& lib)
{
    if (BoardDevice != nullptr)
        RestartAcquisitionWith(lib);
}

int32_t ReleaseSubsystemsWith(const BoardLibrary& lib)
{
    if (BoardDevice == nullptr)
        return 1;
    return ReleaseChecked(lib);
}

int32_t TakeDoneBufferWith(const BoardLibrary& lib)
{
    // A buffer-done message that waited in the queue while the board was stopped finds no
    // subsystem to take from.
    if (BoardDevice == nullptr || BoardAnalogInput == nullptr)
        return 0;
    // One buffer is held at a time: one still held goes back before the next is taken.
    if (CurrentBuffer != nullptr && RequeueBufferWith(lib) == 0)
        return 0;
    // The notices read before the take are all of moves made before it; a move made since is
    // shown by the order.
    NoteQueuedAgain(lib, 0);
    ForgetUnnoticed();
    HBUF buffer = nullptr;
    if (!Ok(lib.GetBuffer(BoardAnalogInput, &buffer)))
        return BoardFailure(lib);
    CurrentBuffer = buffer;
    if (buffer == nullptr)
        return 0;
    if (!Ok(lib.GetValidSamples(buffer, &TakenValidSamples)))
        return BoardFailure(lib);
    BufferFollowsLostSamples = NoteTaken(buffer, TakenValidSamples > 0);
    return 1;
}

int32_t GetBufferInfoWith(const BoardLibrary& lib)
{
    if (CurrentBuffer == nullptr || BoardAnalogInput == nullptr)
        return 0;
    uint32_t valid = TakenValidSamples;
    void* data = nullptr;
    double maximum = 0.0;
    double minimum = 0.0;
    uint32_t bits = 0;
    if (!Ok(lib.GetBufferPointer(CurrentBuffer, &data)) || !Ok(lib.GetRange(BoardAnalogInput, &maximum, &minimum)) ||
        !Ok(lib.GetResolution(BoardAnalogInput, &bits)))
        return BoardFailure(lib);
    // More valid samples than the buffer was made for would read past its end.
    if (valid > static_cast<uint32_t>(SampleRate > 0 ? SampleRate : 0))
        valid = static_cast<uint32_t>(SampleRate > 0 ? SampleRate : 0);
    BufferSampleCount = static_cast<int32_t>(valid);
    BufferSamples = static_cast<const uint16_t*>(data);
    InputRangeMax = maximum;
    InputRangeMin = minimum;
    InputResolution = static_cast<int32_t>(bits);
    return 1;
}

int32_t RequeueBufferWith(const BoardLibrary& lib)
{
    if (CurrentBuffer == nullptr || BoardDevice == nullptr || BoardAnalogInput == nullptr)
        return 1;
    const HBUF buffer = CurrentBuffer;
    if (!Ok(lib.PutBuffer(BoardAnalogInput, buffer)))
        return BoardFailure(lib);
    // Notices read now are of moves made while the buffer was held, before it in the order:
    // the library queues a buffer again only when none waits or is in process, so not again
    // until this one has been filled.
    NoteQueuedAgain(lib, 1);
    NoteHanded(buffer);
    CurrentBuffer = nullptr;
    BufferSamples = nullptr;
    BufferSampleCount = 0;
    return 1;
}
