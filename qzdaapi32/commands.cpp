#include "qzdaapi32/commands.h"

#include "qzdaapi32/conversions.h"
#include "qzdaapi32/requests.h"

#include <algorithm>

namespace {

struct Command {
    SubsystemCore& ss;
    RequestParams& p;
    const CommandEnvironment& env;
};

uint32_t Slot(const Command& c, uint32_t slot)
{
    return SubsystemSlot(c.ss, slot);
}
uint32_t State(const Command& c)
{
    return SubsystemStateOf(c.ss);
}
void SetState(const Command& c, uint32_t state)
{
    SetSubsystemState(c.ss, state);
}
uint32_t Flow(const Command& c)
{
    return Get16(c.ss.configuration, CfgDataFlow);
}
bool Streaming(const Command& c)
{
    return IsStreamingFlow(Flow(c));
}
bool HasQueues(const Command& c)
{
    return c.ss.type == SubsystemTypeAD || c.ss.type == SubsystemTypeDA;
}

// One synchronous request: the driver's status, or the system's error number when the call
// failed.
QZSTATUS Send(const Command& c, uint32_t ioctl, DriverRequest& request, bool* callFailed = nullptr)
{
    bool failed = false;
    uint32_t status = c.env.send(c.env.context, ioctl, request.bytes, kRequestBytes, &failed);
    if (callFailed != nullptr)
        *callFailed = failed;
    return status;
}

QZSTATUS SendPlain(const Command& c, uint32_t ioctl)
{
    DriverRequest request = NewDriverRequest(c.ss.type, c.ss.element);
    return Send(c, ioctl, request);
}

uint32_t MailboxAndWait(const Command& c, uint32_t request)
{
    return c.env.sendAndWait != nullptr ? c.env.sendAndWait(c.env.context, request)
                                        : QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
}

// A range end held in the record, read back exactly when it came from the range table.
double StoredRangeEnd(const SubsystemCore& ss, size_t offset, const double* table)
{
    const FixedPoint stored = GetFixed(ss.configuration, offset);
    const uint32_t count = SubsystemSlot(ss, SlotRangeCount);
    if (table != nullptr) {
        for (uint32_t i = 0; i < count; ++i) {
            if (EncodeFixedPoint(table[i]) == stored)
                return table[i];
        }
    }
    return DecodeFixedPoint(stored);
}

QZSTATUS ReadEvents(const Command& c)
{
    if (c.ss.type != SubsystemTypeCT)
        return QZERR_NOT_SUPPORTED;
    const uint32_t mode = Get16(c.ss.configuration, CfgCounterMode);
    const bool counting = mode == 700 || (mode >= 704 && mode <= 706);
    if (Slot(c, SlotQuadratureDecoder) == 0 && !counting)
        return QZERR_WRONG_COUNTER_MODE;
    DriverRequest request = NewDriverRequest(c.ss.type, c.ss.element);
    QZSTATUS status = Send(c, QZIOCTL_READEVENTS, request);
    if (status == QZERR_NO_ERROR)
        c.p.word0 = Get32(request, ArgEventCount);
    return status;
}

// Shared preconditions of the single-value requests.
QZSTATUS SingleValueReady(const Command& c)
{
    if (Flow(c) != DataFlowSingleValue)
        return QZERR_DATAFLOW_MISMATCH;
    if (State(c) != SubsystemStateConfiguredSingle)
        return QZERR_SYSTEM_NOT_CONFIGURED;
    return QZERR_NO_ERROR;
}

QZSTATUS SetSingleValue(const Command& c)
{
    if (Slot(c, SlotSingleValues) == 0)
        return QZERR_NOT_SUPPORTED;
    QZSTATUS status = SingleValueReady(c);
    const uint32_t channel = static_cast<uint32_t>(c.p.word1);
    if (status == QZERR_NO_ERROR)
        status = CheckSingleValueChannel(c.ss, channel);
    if (status != QZERR_NO_ERROR)
        return status;
    SingleValueArguments a;
    a.channel = channel;
    a.value = static_cast<uint32_t>(c.p.word0);
    a.gain = SnapGain(c.ss, c.p.real0);
    DriverRequest request = SetSingleValueRequest(c.ss.type, c.ss.element, a);
    return Send(c, QZIOCTL_SETSINGLEVALUE, request);
}

QZSTATUS GetSingleValue(const Command& c)
{
    const bool extended = (c.p.word0 & kExtendedSingleValue) != 0;
    const uint32_t channel = static_cast<uint32_t>(c.p.word0 & ~kExtendedSingleValue);
    if (Slot(c, SlotSingleValues) == 0 || (extended && Slot(c, SlotExtendedSingleValue) == 0))
        return QZERR_NOT_SUPPORTED;
    QZSTATUS status = SingleValueReady(c);
    if (status == QZERR_NO_ERROR)
        status = CheckSingleValueChannel(c.ss, channel);
    if (status != QZERR_NO_ERROR)
        return status;
    SingleValueArguments a;
    a.channel = channel;
    a.gain = SnapGain(c.ss, c.p.real0);
    a.extended = extended;
    DriverRequest request = GetSingleValueRequest(c.ss.type, c.ss.element, a);
    status = Send(c, QZIOCTL_GETSINGLEVALUE, request);
    if (status != QZERR_NO_ERROR)
        return status;
    const SingleValueArguments answer = ReadSingleValueArguments(request);
    c.p.word1 = answer.value;
    if (!extended)
        return QZERR_NO_ERROR;
    const ConfigRecord& record = c.ss.configuration;
    double volts = 0.0;
    status = CodeToVolts(StoredRangeEnd(c.ss, CfgRangeMinimum, c.ss.caps.rangeMinimumRows),
                         StoredRangeEnd(c.ss, CfgRangeMaximum, c.ss.caps.rangeMaximumRows), answer.gain,
                         Get16(record, CfgResolution), Get16(record, CfgEncoding), answer.value, &volts);
    if (status == QZERR_NO_ERROR) {
        c.p.real0 = answer.gain;
        c.p.real1 = volts;
    }
    return status;
}

QZSTATUS GetSingleValues(const Command& c)
{
    if (Slot(c, SlotReadAllChannels) == 0 && Slot(c, SlotReadAllChannels2) == 0)
        return QZERR_NOT_SUPPORTED;
    QZSTATUS status = SingleValueReady(c);
    if (status != QZERR_NO_ERROR)
        return status;
    uint8_t* record = reinterpret_cast<uint8_t*>(c.p.word0);
    if (record == nullptr)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    DriverRequest request = NewDriverRequest(c.ss.type, c.ss.element);
    PutRequestGain(request, SnapGain(c.ss, c.p.real0));
    status = Send(c, QZIOCTL_GETSINGLEVALUES, request);
    std::copy(request.bytes, request.bytes + kRequestBytes, record);
    return status;
}

QZSTATUS Configure(const Command& c)
{
    const uint32_t state = State(c);
    if (state < SubsystemStateChanged || state > SubsystemStateConfigured)
        return QZERR_SUBSYSTEM_ALREADY_RUNNING;
    const bool streaming = Streaming(c);
    if (streaming) {
        QZSTATUS checked = CheckChannelList(c.ss);
        if (checked != QZERR_NO_ERROR)
            return checked;
    }
    ConfigRecord& record = c.ss.configuration;
    SetState(c, streaming ? SubsystemStateConfigured : SubsystemStateConfiguredSingle);
    Put32(record, CfgSubsystemType, c.ss.type);
    Put32(record, CfgElement, c.ss.element);
    const uint32_t bytes = std::min<uint32_t>(ConfigureRequestSize(c.ss.caps), static_cast<uint32_t>(record.size()));
    bool failed = false;
    const uint32_t status = c.env.send(c.env.context, QZIOCTL_CONFIG, record.data(), bytes, &failed);
    if (failed) {
        SetState(c, SubsystemStateChanged);
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    }
    if (status != QZERR_NO_ERROR) {
        SetState(c, SubsystemStateChanged);
        return status;
    }
    return QZERR_NO_ERROR;
}

// Start and prestart: the same checks, the copy thread told first, then the driver.
QZSTATUS StartRun(const Command& c, uint32_t request, uint32_t ioctl, uint32_t runState)
{
    if (!Streaming(c))
        return QZERR_DATAFLOW_MISMATCH;
    const uint32_t state = State(c);
    if (state > SubsystemStateConfigured)
        return QZERR_SUBSYSTEM_ALREADY_RUNNING;
    if (state != SubsystemStateConfigured && state != SubsystemStateConfiguredSingle)
        return QZERR_SYSTEM_NOT_CONFIGURED;
    if (HasQueues(c)) {
        uint32_t ready = 0;
        if (c.env.readyCount == nullptr || c.env.readyCount(c.ss.readyQueue, &ready) != 0 || ready == 0)
            return QZERR_NO_READY_BUFFERS;
    }
    if (c.env.hasCopyThread)
        MailboxAndWait(c, request);  // its answer is not examined
    SetState(c, runState);
    const QZSTATUS status = SendPlain(c, ioctl);
    if (status != QZERR_NO_ERROR) {
        // The copy thread has already handed its buffers to the driver: an abort, while the
        // state still says running, brings them back to the done queue.
        if (c.env.hasCopyThread)
            MailboxAndWait(c, QZDRV_ABORT);
        SetState(c, SubsystemStateConfigured);
    }
    return status;
}

QZSTATUS Stop(const Command& c)
{
    if (Slot(c, SlotContinuousTransfer) == 0)
        return QZERR_NOT_SUPPORTED;
    if (!Streaming(c))
        return QZERR_DATAFLOW_MISMATCH;
    if (State(c) <= SubsystemStateConfigured)
        return QZERR_SUBSYSTEM_NOT_RUNNING;
    if (c.env.hasCopyThread) {
        MailboxAndWait(c, QZDRV_STOP);
        return QZERR_NO_ERROR;
    }
    const QZSTATUS status = SendPlain(c, QZIOCTL_STOP);
    SetState(c, SubsystemStateConfigured);
    return status;
}

QZSTATUS Pause(const Command& c)
{
    if (Slot(c, SlotPauseContinue) == 0)
        return QZERR_NOT_SUPPORTED;
    if (!Streaming(c))
        return QZERR_DATAFLOW_MISMATCH;
    if (State(c) != SubsystemStateRunning)
        return QZERR_SUBSYSTEM_NOT_RUNNING;
    const QZSTATUS status = SendPlain(c, QZIOCTL_PAUSE);
    if (status == QZERR_NO_ERROR)
        SetState(c, SubsystemStatePaused);
    return status;
}

QZSTATUS Continue(const Command& c)
{
    if (Slot(c, SlotPauseContinue) == 0)
        return QZERR_NOT_SUPPORTED;
    if (!Streaming(c))
        return QZERR_DATAFLOW_MISMATCH;
    if (State(c) == SubsystemStateRunning)
        return QZERR_SUBSYSTEM_ALREADY_RUNNING;
    if (State(c) != SubsystemStatePaused)
        return QZERR_SUBSYSTEM_NOT_RUNNING;
    const QZSTATUS status = SendPlain(c, QZIOCTL_CONTINUE);
    if (status == QZERR_NO_ERROR)
        SetState(c, SubsystemStateRunning);
    return status;
}

QZSTATUS Reset(const Command& c)
{
    if (Slot(c, SlotContinuousTransfer) != 0 && State(c) > SubsystemStateConfigured) {
        if (c.env.hasCopyThread) {
            MailboxAndWait(c, QZDRV_RESET);
        } else {
            SendPlain(c, QZIOCTL_ABORT);
            SetState(c, SubsystemStateConfigured);
        }
    }
    const QZSTATUS status = SendPlain(c, QZIOCTL_RESET);
    SetState(c, SubsystemStateChanged);
    return status;
}

QZSTATUS Abort(const Command& c)
{
    if (Slot(c, SlotContinuousTransfer) == 0)
        return QZERR_NOT_SUPPORTED;
    if (State(c) <= SubsystemStateConfigured)
        return QZERR_SUBSYSTEM_NOT_RUNNING;
    if (c.env.hasCopyThread) {
        MailboxAndWait(c, QZDRV_ABORT);
        return QZERR_NO_ERROR;
    }
    const QZSTATUS status = SendPlain(c, QZIOCTL_ABORT);
    SetState(c, SubsystemStateConfigured);
    return status;
}

QZSTATUS SimultaneousStart(const Command& c)
{
    if (!Streaming(c))
        return QZERR_DATAFLOW_MISMATCH;
    const uint32_t state = State(c);
    if (state != SubsystemStatePrestarted)
        return state > SubsystemStateConfigured ? QZERR_SUBSYSTEM_ALREADY_RUNNING
                                                : QZERR_THE_SUBSYSTEM_HAS_NOT_BEEN_PRESTARTED;
    const QZSTATUS status = SendPlain(c, QZIOCTL_SIMULSTART);
    if (status == QZERR_NO_ERROR)
        SetState(c, SubsystemStateRunning);
    return status;
}

QZSTATUS FlushInProcess(const Command& c)
{
    if (Slot(c, SlotContinuousTransfer) == 0 || Slot(c, SlotFlushInProcess) == 0)
        return QZERR_NOT_SUPPORTED;
    if (!Streaming(c))
        return QZERR_DATAFLOW_MISMATCH;
    const uint32_t state = State(c);
    if (state <= SubsystemStateConfigured || state == SubsystemStatePrestarted)
        return QZERR_SUBSYSTEM_NOT_RUNNING;
    if (Get16(c.ss.configuration, CfgWrapMode) != WrapStopWhenDone)
        return QZERR_WRAP_MODE_MISMATCH;
    HBUF buffer = reinterpret_cast<HBUF>(c.p.word0);
    if (c.env.setValidSamples == nullptr)
        return QZERR_NO_ERROR;
    // A buffer the buffer-memory library refuses is not flushed; its code says why.
    const uint32_t marked = c.env.setValidSamples(buffer, 0);
    if (marked != 0)
        return marked;
    c.ss.flushBuffer = buffer;
    c.ss.flushSamples = static_cast<uint32_t>(c.p.word1);
    if (c.env.sendNoWait != nullptr)
        c.env.sendNoWait(c.env.context, QZDRV_FLUSHINPROCESS);
    return QZERR_NO_ERROR;
}

QZSTATUS Register(const Command& c, uint32_t ioctl)
{
    DriverRequest request =
        RegisterRequest(c.ss.type, c.ss.element, static_cast<uint32_t>(c.p.word0), static_cast<uint32_t>(c.p.word1),
                        static_cast<uint32_t>(TruncateToInt32(c.p.real0)));
    const QZSTATUS status = Send(c, ioctl, request);
    if (status == QZERR_NO_ERROR && ioctl == QZIOCTL_READREG)
        c.p.word1 = Get32(request, ArgRegisterValue);
    return status;
}

}  // namespace

QZSTATUS CheckSingleValueChannel(const SubsystemCore& ss, uint32_t channel)
{
    const uint32_t type = Get16(ss.configuration, CfgChannelType);
    uint32_t limit = 0;
    bool limited = false;
    if (type == ChannelType100 && SubsystemSlot(ss, SlotChannelType100) != 0) {
        limit = SubsystemSlot(ss, SlotChannelsType100);
        limited = true;
    } else if (type == ChannelType101 && SubsystemSlot(ss, SlotChannelType101) != 0) {
        limit = SubsystemSlot(ss, SlotChannelsType101);
        limited = true;
    }
    if (limited && channel >= limit && channel != SubsystemSlot(ss, SlotExtraSingleValueChannel))
        return QZERR_INVALID_CHANNEL;
    return QZERR_NO_ERROR;
}

QZSTATUS CheckChannelList(const SubsystemCore& ss)
{
    const ConfigRecord& record = ss.configuration;
    const uint32_t size = std::min<uint32_t>(Get16(record, CfgChannelListSize), ChannelEntryCapacity(record));
    const uint32_t channels = Get16(record, CfgChannelCount);
    const uint32_t count100 = SubsystemSlot(ss, SlotChannelsType100);
    const uint32_t count101 = SubsystemSlot(ss, SlotChannelsType101);
    const uint32_t ofType = Get16(record, CfgChannelType) == ChannelType101 ? count101 : count100;
    const uint32_t larger = std::max(count100, count101);
    for (uint32_t entry = 0; entry < size; ++entry) {
        const uint32_t channel = Get16(record, ChannelEntryOffset(entry, EntryChannel));
        if (channel >= channels || (channel >= ofType && channel < larger))
            return QZERR_INVALID_CHANNEL;
    }
    return QZERR_NO_ERROR;
}

double SnapGain(const SubsystemCore& ss, double gain)
{
    const uint32_t count = SubsystemSlot(ss, SlotGainCount);
    if (count == 0 || ss.caps.gains == nullptr)
        return gain;
    return ss.caps.gains[FindNearestValue(ss.caps.gains, count, gain)];
}

QZSTATUS HandleCommand(SubsystemCore& subsystem, uint32_t code, RequestParams& params, const CommandEnvironment& env)
{
    const Command c{subsystem, params, env};
    if (env.send == nullptr)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    switch (code) {
    case QZDRV_READEVENTS:
        return ReadEvents(c);
    case QZDRV_SETSINGLEVALUE:
        return SetSingleValue(c);
    case QZDRV_GETSINGLEVALUE:
        return GetSingleValue(c);
    case QZDRV_CONFIG:
        return Configure(c);
    case QZDRV_START:
        return StartRun(c, QZDRV_START, QZIOCTL_START, SubsystemStateRunning);
    case QZDRV_STOP:
        return Stop(c);
    case QZDRV_PAUSE:
        return Pause(c);
    case QZDRV_CONTINUE:
        return Continue(c);
    case QZDRV_RESET:
        return Reset(c);
    case QZDRV_ABORT:
        return Abort(c);
    case QZDRV_PRESTART:
        return StartRun(c, QZDRV_PRESTART, QZIOCTL_PRESTART, SubsystemStatePrestarted);
    case QZDRV_SIMULSTART:
        return SimultaneousStart(c);
    case QZDRV_FLUSHINPROCESS:
        return FlushInProcess(c);
    case QZDRV_WRITEREG:
        return Register(c, QZIOCTL_WRITEREG);
    case QZDRV_READREG:
        return Register(c, QZIOCTL_READREG);
    case QZDRV_GETSINGLEVALUES:
        return GetSingleValues(c);
    default:
        return QZERR_NO_ERROR;
    }
}
