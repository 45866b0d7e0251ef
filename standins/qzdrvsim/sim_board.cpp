#include "standins/qzdrvsim/sim_board.h"

#include "qzdaapi32/board_text.h"
#include "qzdaapi32/qzdaapi32.h"
#include "standins/personality/sim_personality.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr uint32_t kUnitTypes[kSimUnitCount][2] = {
    {SubsystemTypeAD, 0}, {SubsystemTypeDIN, 0}, {SubsystemTypeDOUT, 0}, {SubsystemTypeCT, 0}, {SubsystemTypeCT, 1}};
constexpr int32_t kAnalogUnit = 0;
constexpr int32_t kCounter0Unit = 3;
constexpr int32_t kCounter1Unit = 4;
constexpr size_t kLogEntries = 512;
constexpr double kNever = std::numeric_limits<double>::max();

void Violation(SimBoard& b, const std::string& note)
{
    ++b.protocolViolations;
    if (b.violationNotes.size() < 64)
        b.violationNotes.push_back(note);
}

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

uint32_t Slot(const SimUnit& u, uint32_t slot)
{
    return CapabilitySlotValue(u.caps, slot);
}
bool IsStreaming(uint32_t flow)
{
    return flow == 800 || flow == 804 || flow == 805;
}

// The sample clock and the counters divide the board's base clock.
double QuantizedClock(double requested)
{
    if (!(requested > 0.0))
        return 0.0;
    double divider = std::floor(kSimBaseClockHz / requested + 0.5);
    if (divider < 1.0)
        divider = 1.0;
    return kSimBaseClockHz / divider;
}

// Board seconds a unit has run.
double RunSeconds(const SimBoard& b, const SimUnit& u, double wall)
{
    if (u.run == SimIdle || b.settings.SpeedUp <= 0.0)
        return 0.0;
    const double until = u.run == SimPaused ? u.pausedWall : wall;
    return std::max(0.0, (until - u.startWall) * b.settings.SpeedUp);
}

uint32_t ListSize(const SimUnit& u)
{
    return u.channelList.empty() ? 1u : static_cast<uint32_t>(u.channelList.size());
}

// Wall time at which sample `end` of the stream has been taken.
double DueWall(const SimBoard& b, const SimUnit& u, int64_t end)
{
    if (b.settings.SpeedUp <= 0.0 || !(u.clockHz > 0.0))
        return -kNever;
    const double scans = static_cast<double>(end) / ListSize(u);
    return u.startWall + scans / u.clockHz / b.settings.SpeedUp;
}

bool TransmitterRunning(const SimBoard& b)
{
    return b.units[kCounter0Unit].run == SimRunning && b.units[kCounter1Unit].run == SimRunning;
}

SimModelInputs InputsNow(const SimBoard& b, double wall)
{
    const SimUnit& ad = b.units[kAnalogUnit];
    const SimUnit& c0 = b.units[kCounter0Unit];
    SimModelInputs in;
    in.TransmitterOn = TransmitterRunning(b);
    in.RepetitionRate = c0.clockHz > 0.0 ? c0.clockHz : 30.0;
    in.ScanRateHz = ad.clockHz > 0.0 ? ad.clockHz : 1000.0;
    in.StartTimeUs = in.TransmitterOn ? RunSeconds(b, c0, wall) * 1e6 : 0.0;
    in.RangeMin = ad.rangeMin;
    in.RangeMax = ad.rangeMax;
    in.Resolution = static_cast<int32_t>(ad.resolution);
    in.OutputValue = b.outputValue;
    return in;
}

void StartStream(SimBoard& b, SimUnit& u, double wall)
{
    u.modelInputs = InputsNow(b, wall);
    u.model = BuildSimModel(b.settings, u.modelInputs);
    StartSignal(u.model, u.generator);
    u.produced = 0;
    u.scanInCache = -1;
    u.pendingOutputs.clear();
}

void StartUnit(SimBoard& b, SimUnit& u, uint32_t state, double wall)
{
    u.run = state;
    u.startWall = wall;
    u.eventsAtPause = 0;
    if (&u == &b.units[kAnalogUnit] && state == SimRunning)
        StartStream(b, u, wall);
}

void StopUnit(SimUnit& u, bool abort, std::vector<SimCompletion>& done)
{
    // A stop hands back what is in process as it stands, an abort cancels it.
    for (const SimRead& r : u.reads)
        done.push_back({r.id, abort ? SimErrorOperationAborted : SimErrorNone, 0});
    u.reads.clear();
    u.run = SimIdle;
}

uint16_t Encoded(const SimUnit& u, uint16_t straight)
{
    if (u.encoding != 201)
        return straight;
    const uint32_t half = 1u << (u.resolution - 1);
    return static_cast<uint16_t>((straight ^ half) & ((1u << u.resolution) - 1));
}

// The next `count` samples of the stream, with the output lines changing where they did.
void Generate(SimBoard& b, SimUnit& u, uint8_t* data, uint32_t count)
{
    const uint32_t listSize = ListSize(u);
    const bool identity = listSize == 4 && u.channelList[0] == 0 && u.channelList[1] == 1 && u.channelList[2] == 2 &&
                          u.channelList[3] == 3;
    std::vector<uint16_t> chunk;
    uint32_t written = 0;
    while (written < count) {
        while (!u.pendingOutputs.empty() && u.pendingOutputs.front().sample <= u.produced) {
            u.modelInputs.OutputValue = u.pendingOutputs.front().value;
            u.model = BuildSimModel(b.settings, u.modelInputs);
            u.generator.ResponseScan = -1;  // a scan part-way through takes the new response
            u.pendingOutputs.pop_front();
        }
        int64_t n = std::min<int64_t>(count - written, 65536);
        if (!u.pendingOutputs.empty())
            n = std::min<int64_t>(n, u.pendingOutputs.front().sample - u.produced);
        chunk.resize(static_cast<size_t>(n));
        if (identity) {
            GenerateSamples(u.model, u.generator, chunk.data(), static_cast<int32_t>(n));
        } else {
            for (int64_t j = 0; j < n; ++j) {
                const int64_t sample = u.produced + j;
                const int64_t scan = sample / listSize;
                if (scan != u.scanInCache) {
                    GenerateSamples(u.model, u.generator, u.scanCodes, 4);
                    u.scanInCache = scan;
                }
                chunk[static_cast<size_t>(j)] = u.scanCodes[u.channelList[sample % listSize] & 3];
            }
        }
        for (uint16_t& code : chunk)
            code = Encoded(u, code);
        std::memcpy(data + 2 * static_cast<size_t>(written), chunk.data(), 2 * chunk.size());
        written += static_cast<uint32_t>(n);
        u.produced += n;
    }
}

void LogRequest(SimUnit* u, uint32_t ioctl, uint32_t status)
{
    if (u == nullptr)
        return;
    if (u->log.size() >= kLogEntries)
        u->log.erase(u->log.begin());
    u->log.push_back({ioctl, status});
}

// --- configuration ---

bool InTable(const double* table, uint32_t count, double value)
{
    for (uint32_t i = 0; table != nullptr && i < count; ++i) {
        if (table[i] == value)
            return true;
    }
    return false;
}

bool FixedInTable(const double* table, uint32_t count, FixedPoint value)
{
    for (uint32_t i = 0; table != nullptr && i < count; ++i) {
        if (EncodeFixedPoint(table[i]) == value)
            return true;
    }
    return false;
}

double FixedFromTable(const double* table, uint32_t count, FixedPoint value)
{
    for (uint32_t i = 0; table != nullptr && i < count; ++i) {
        if (EncodeFixedPoint(table[i]) == value)
            return table[i];
    }
    return DecodeFixedPoint(value);
}

// Checks a configuration against the board and takes it; the status for the record.
uint32_t Configure(SimBoard& b, SimUnit& u, ConfigRecord& rec)
{
    u.received = rec;
    const uint32_t flow = Get16(rec, CfgDataFlow);
    const bool streaming = IsStreaming(flow);
    const uint32_t state = Get32(rec, CfgState);
    char note[160];
    auto refuse = [&](uint32_t status, const char* what) {
        std::snprintf(note, sizeof note, "configure of %s%u: %s", SubsystemTypeWord(u.type), u.element, what);
        Violation(b, note);
        return status;
    };
    if (state != (streaming ? SubsystemStateConfigured : SubsystemStateConfiguredSingle))
        return refuse(QZERR_SYSTEM_NOT_CONFIGURED, "state word does not match the data flow");
    if ((streaming && Slot(u, SlotContinuousTransfer) == 0) ||
        (flow == DataFlowSingleValue && Slot(u, SlotSingleValues) == 0) || (!streaming && flow != DataFlowSingleValue))
        return refuse(QZERR_INVALID_DATA_FLOW, "data flow the subsystem does not have");
    const uint32_t listSize = Get16(rec, CfgChannelListSize);
    std::vector<uint32_t> list;
    if (Slot(u, SlotChannelListCapacity) != 0) {
        if (listSize < 1 || listSize > Slot(u, SlotChannelListCapacity))
            return refuse(QZERR_INVALID_LIST_SIZE, "channel list size");
        for (uint32_t i = 0; i < listSize; ++i) {
            const uint32_t channel = Get16(rec, ChannelEntryOffset(i, EntryChannel));
            if (channel >= Slot(u, SlotChannelCount))
                return refuse(QZERR_CHANNEL_LIST_HAS_BEEN_FILLED_INCORRECTLY, "channel list entry");
            list.push_back(channel);
        }
    }
    double hertz = 0.0;
    if (Slot(u, SlotInternalClock) != 0) {
        hertz = Get16(rec, CfgClockForm) == 1 ? GetFloat(rec, CfgClockFloat)
                                              : DecodeFixedPoint(GetFixed(rec, CfgClockFixed));
        const double lowest = DoubleCapabilityValue(u.caps, DoubleMinClockFrequency);
        const double highest = DoubleCapabilityValue(u.caps, DoubleMaxClockFrequency);
        if (!(hertz >= lowest * (1 - 1e-9) && hertz <= highest * (1 + 1e-9)))
            return refuse(QZERR_INVALID_FREQUENCY, "clock frequency outside the subsystem's range");
    }
    const uint32_t resolutions = Slot(u, SlotResolutionCount);
    if (resolutions != 0 && !InTable(u.caps.resolutions, resolutions, Get16(rec, CfgResolution)))
        return refuse(QZERR_INVALID_RESOLUTION, "resolution not in the table");
    const uint32_t ranges = Slot(u, SlotRangeCount);
    if (ranges != 0 && (!FixedInTable(u.caps.rangeMinimumRows, ranges, GetFixed(rec, CfgRangeMinimum)) ||
                        !FixedInTable(u.caps.rangeMaximumRows, ranges, GetFixed(rec, CfgRangeMaximum))))
        return refuse(QZERR_INVALID_RANGE, "range not in the table");
    const uint32_t encoding = Get16(rec, CfgEncoding);
    if ((encoding == 200 && Slot(u, SlotEncoding200) == 0 && resolutions != 0) ||
        (encoding == 201 && Slot(u, SlotEncoding201) == 0) || (encoding != 200 && encoding != 201))
        return refuse(QZERR_INVALID_ENCODING, "encoding");
    if (u.type == SubsystemTypeCT) {
        const uint32_t mode = Get16(rec, CfgCounterMode);
        const uint32_t gate = Get16(rec, CfgGateType);
        const uint32_t pulse = Get16(rec, CfgPulseType);
        if (mode < 700 || mode > 703 || Slot(u, SlotCounterMode700 + (mode - 700)) == 0)
            return refuse(QZERR_INVALID_COUNTER_MODE, "counter mode");
        if (gate < 500 || gate > 510 || Slot(u, SlotGateType500 + (gate - 500)) == 0)
            return refuse(QZERR_INVALID_GATE, "gate type");
        if ((pulse != 600 && pulse != 601) || Slot(u, pulse == 600 ? SlotPulseType600 : SlotPulseType601) == 0)
            return refuse(QZERR_INVALID_PULSE_TYPE, "pulse type");
        if (Get16(rec, CfgPulseWidth) > 100)
            return refuse(QZERR_INVALID_PULSE_WIDTH, "pulse width");
    }

    u.dataFlow = flow;
    u.channelList = list;
    u.resolution = resolutions != 0 ? Get16(rec, CfgResolution) : 16;
    u.encoding = encoding;
    if (ranges != 0) {
        u.rangeMin = FixedFromTable(u.caps.rangeMinimumRows, ranges, GetFixed(rec, CfgRangeMinimum));
        u.rangeMax = FixedFromTable(u.caps.rangeMaximumRows, ranges, GetFixed(rec, CfgRangeMaximum));
    }
    if (Slot(u, SlotInternalClock) != 0) {
        // The clock the board really runs at goes back as a float, and the form word says so.
        u.clockHz = QuantizedClock(hertz);
        Put16(rec, CfgClockForm, 1);
        PutFloat(rec, CfgClockFloat, static_cast<float>(u.clockHz));
    }
    Put32(rec, CfgDriverStatus, 0);
    u.returned = rec;
    u.configured = true;
    return QZERR_NO_ERROR;
}

// --- single values ---

uint16_t AnalogCodeNow(const SimBoard& b, uint32_t channel, double wall)
{
    const SimUnit& ad = b.units[kAnalogUnit];
    const SignalModel model = BuildSimModel(b.settings, InputsNow(b, wall));
    const double volts = ModelChannelVolts(model, static_cast<int32_t>(channel & 3), model.StartTimeUs);
    return Encoded(ad, VoltsToCode(volts, model.RangeMin, model.RangeMax, model.Resolution));
}

void SetOutput(SimBoard& b, uint32_t value, double wall)
{
    b.outputValue = value;
    b.outputLog.push_back({(wall - b.epochWall) * 1000.0, value});
    SimUnit& ad = b.units[kAnalogUnit];
    if (ad.run != SimRunning && ad.run != SimPaused)
        return;
    // The stream takes the new lines from the sample taken at this moment on.
    int64_t at = ad.produced;
    if (b.settings.SpeedUp > 0.0) {
        const double scans = std::floor(RunSeconds(b, ad, wall) * ad.clockHz);
        at = std::max(at, static_cast<int64_t>(scans) * ListSize(ad));
    }
    if (!ad.pendingOutputs.empty())
        at = std::max(at, ad.pendingOutputs.back().sample);
    ad.pendingOutputs.push_back({at, value});
}

uint32_t SingleValueOf(const SimBoard& b, const SimUnit& u, uint32_t channel, double wall, uint32_t* value)
{
    switch (u.type) {
    case SubsystemTypeAD:
        if (channel >= kSimAnalogChannels)
            return QZERR_INVALID_CHANNEL;
        *value = AnalogCodeNow(b, channel, wall);
        return QZERR_NO_ERROR;
    case SubsystemTypeDIN:
        *value = 0;
        return channel == 0 ? QZERR_NO_ERROR : QZERR_INVALID_CHANNEL;
    case SubsystemTypeDOUT:
        *value = b.outputValue;
        return channel == 0 ? QZERR_NO_ERROR : QZERR_INVALID_CHANNEL;
    default:
        return QZERR_NOT_SUPPORTED;
    }
}

uint32_t RegisterMask(uint32_t width)
{
    switch (width) {
    case 1:
        return 0xFFu;
    case 2:
        return 0xFFFFu;
    case 4:
        return 0xFFFFFFFFu;
    default:
        return 0;
    }
}

// Requests that the device link and every subsystem serve alike.
bool DeviceRequest(SimBoard& b, uint32_t code, DriverRequest& r, uint32_t* status)
{
    switch (code) {
    case QZIOCTL_WRITEREG:
    case QZIOCTL_READREG: {
        const uint32_t mask = RegisterMask(Get32(r, ArgRegisterWidth));
        if (mask == 0) {
            *status = QZERR_INVALID_CHANNEL;
            return true;
        }
        uint32_t& reg = b.registers[Get32(r, ArgRegister)];
        if (code == QZIOCTL_WRITEREG)
            reg = Get32(r, ArgRegisterValue) & mask;
        else
            Put32(r, ArgRegisterValue, reg & mask);
        *status = QZERR_NO_ERROR;
        return true;
    }
    case QZIOCTL_WRITECALPOT:
    case QZIOCTL_READCALPOT: {
        const auto key =
            std::make_tuple(Get32(r, ArgCalPotWords), Get32(r, ArgCalPotWords + 4), Get32(r, ArgCalPotWords + 8));
        if (code == QZIOCTL_WRITECALPOT)
            b.calPots[key] = Get32(r, ArgCalPotValue);
        else
            Put32(r, ArgCalPotValue, b.calPots.count(key) != 0 ? b.calPots[key] : 0);
        *status = QZERR_NO_ERROR;
        return true;
    }
    case QZIOCTL_SETHWINFO:
        std::memcpy(b.hardwareInfo, r.bytes + ArgHwInfoWords, sizeof b.hardwareInfo);
        *status = QZERR_NO_ERROR;
        return true;
    case QZIOCTL_GETHWINFO:
        std::memcpy(r.bytes + ArgHwInfoWords, b.hardwareInfo, sizeof b.hardwareInfo);
        *status = QZERR_NO_ERROR;
        return true;
    default:
        return false;
    }
}

uint32_t UnitRequest(SimBoard& b, SimUnit& u, uint32_t code, DriverRequest& r, uint8_t* out, uint64_t id, double wall,
                     bool* pending, std::vector<SimCompletion>& done)
{
    char note[160];
    auto refuse = [&](uint32_t status, const char* what) {
        std::snprintf(note, sizeof note, "%s on %s%u: %s", DriverIoctlName(code), SubsystemTypeWord(u.type), u.element,
                      what);
        Violation(b, note);
        return status;
    };
    uint32_t status = QZERR_NO_ERROR;
    if (DeviceRequest(b, code, r, &status))
        return status;
    const bool streaming = IsStreaming(u.dataFlow);
    switch (code) {
    case QZIOCTL_START:
    case QZIOCTL_PRESTART:
        if (!u.configured)
            return refuse(QZERR_SYSTEM_NOT_CONFIGURED, "not configured");
        if (!streaming)
            return refuse(QZERR_DATAFLOW_MISMATCH, "not a streaming flow");
        if (u.run != SimIdle)
            return refuse(QZERR_SUBSYSTEM_ALREADY_RUNNING, "already running");
        StartUnit(b, u, code == QZIOCTL_START ? SimRunning : SimPrestarted, wall);
        return QZERR_NO_ERROR;
    case QZIOCTL_SIMULSTART:
        if (u.run != SimPrestarted)
            return refuse(QZERR_THE_SUBSYSTEM_HAS_NOT_BEEN_PRESTARTED, "not prestarted");
        StartUnit(b, u, SimRunning, wall);
        return QZERR_NO_ERROR;
    case QZIOCTL_STOP:
    case QZIOCTL_ABORT:
        StopUnit(u, code == QZIOCTL_ABORT, done);
        return QZERR_NO_ERROR;
    case QZIOCTL_PAUSE:
        if (u.run != SimRunning)
            return refuse(QZERR_SUBSYSTEM_NOT_RUNNING, "not running");
        u.run = SimPaused;
        u.pausedWall = wall;
        return QZERR_NO_ERROR;
    case QZIOCTL_CONTINUE:
        if (u.run != SimPaused)
            return refuse(QZERR_SUBSYSTEM_NOT_RUNNING, "not paused");
        u.startWall += wall - u.pausedWall;
        u.run = SimRunning;
        return QZERR_NO_ERROR;
    case QZIOCTL_RESET:
        StopUnit(u, true, done);
        u.configured = false;
        return QZERR_NO_ERROR;
    case QZIOCTL_READEVENTS:
        if (u.type != SubsystemTypeCT)
            return refuse(QZERR_NOT_SUPPORTED, "not a counter");
        Put32(r, ArgEventCount, static_cast<uint32_t>(std::floor(RunSeconds(b, u, wall) * u.clockHz)));
        return QZERR_NO_ERROR;
    case QZIOCTL_SETSINGLEVALUE:
    case QZIOCTL_GETSINGLEVALUE:
    case QZIOCTL_GETSINGLEVALUES: {
        if (!u.configured || u.dataFlow != DataFlowSingleValue)
            return refuse(QZERR_SYSTEM_NOT_CONFIGURED, "not configured for single values");
        const uint32_t channel = Get32(r, ArgChannel);
        if (code == QZIOCTL_SETSINGLEVALUE) {
            if (u.type != SubsystemTypeDOUT)
                return QZERR_NOT_SUPPORTED;
            if (channel != 0)
                return QZERR_INVALID_CHANNEL;
            SetOutput(b, Get32(r, ArgValue), wall);
            return QZERR_NO_ERROR;
        }
        if (code == QZIOCTL_GETSINGLEVALUE) {
            uint32_t value = 0;
            status = SingleValueOf(b, u, channel, wall, &value);
            if (status == QZERR_NO_ERROR)
                Put32(r, ArgValue, value);
            return status;
        }
        const uint32_t channels = Slot(u, SlotChannelCount);
        for (uint32_t c = 0; c < channels && ArgSingleValues + 4 * c + 4 <= kRequestBytes; ++c) {
            uint32_t value = 0;
            SingleValueOf(b, u, c, wall, &value);
            Put32(r, ArgSingleValues + 4 * c, value);
        }
        return QZERR_NO_ERROR;
    }
    case QZIOCTL_WAITMESSAGE:
        if (!u.messages.empty()) {
            Put32(r, ArgMessageCode, u.messages.front().first);
            Put32(r, ArgMessageValue, u.messages.front().second);
            u.messages.pop_front();
            return QZERR_NO_ERROR;
        }
        u.waits.push_back({id, out});
        *pending = true;
        return QZERR_NO_ERROR;
    default:
        return refuse(QZERR_NOT_SUPPORTED, "request this subsystem does not serve");
    }
}

}  // namespace

void InitSimBoard(SimBoard& board)
{
    board = SimBoard{};
    for (int32_t i = 0; i < kSimUnitCount; ++i) {
        SimUnit& u = board.units[i];
        u.type = kUnitTypes[i][0];
        u.element = kUnitTypes[i][1];
        SimCapabilities(u.type, u.element, &u.caps);
    }
    // What the board says about itself until told otherwise.
    RequestPut32(board.hardwareInfo, sizeof board.hardwareInfo, 0, kSimBoardType);
    RequestPut32(board.hardwareInfo, sizeof board.hardwareInfo, ArgHwInfoWord3 - ArgHwInfoWords, kSimSerialNumber);
}

int32_t SimUnitIndex(uint32_t type, uint32_t element)
{
    for (int32_t i = 0; i < kSimUnitCount; ++i) {
        if (kUnitTypes[i][0] == type && kUnitTypes[i][1] == element)
            return i;
    }
    return kSimNoTarget;
}

uint32_t SimOpen(SimBoard& board, const char* path, bool readWrite, bool shared, bool overlapped, int32_t* target)
{
    if (path == nullptr)
        return SimErrorFileNotFound;
    const std::string wanted = path;
    int32_t found = kSimNoTarget;
    for (const char* link : {kSimInterfacePath, kSimDevicePath}) {
        if (SameText(wanted, link))
            found = kSimDeviceTarget;
        for (int32_t i = 0; i < kSimUnitCount && found == kSimNoTarget; ++i) {
            char tail[16];
            std::snprintf(tail, sizeof tail, "\\%s%x", SubsystemTypeWord(kUnitTypes[i][0]), kUnitTypes[i][1]);
            if (SameText(wanted, std::string(link) + tail))
                found = i;
        }
    }
    if (found == kSimNoTarget)
        return SimErrorFileNotFound;
    if (!readWrite)
        return SimErrorInvalidParameter;
    bool& open = found == kSimDeviceTarget ? board.deviceOpen : board.units[found].open;
    if (open)
        return SimErrorSharingViolation;
    if (shared)
        Violation(board, std::string("open with sharing: ") + path);
    open = true;
    if (found == kSimDeviceTarget) {
        board.deviceOverlapped = overlapped;
    } else {
        SimUnit& u = board.units[found];
        u.overlapped = overlapped;
        u.configured = false;
        u.run = SimIdle;
        u.messages.clear();
        u.log.clear();
    }
    *target = found;
    return SimErrorNone;
}

void SimClose(SimBoard& board, int32_t target, std::vector<SimCompletion>& done)
{
    if (target == kSimDeviceTarget) {
        board.deviceOpen = false;
        return;
    }
    if (target < 0 || target >= kSimUnitCount)
        return;
    SimUnit& u = board.units[target];
    StopUnit(u, true, done);
    for (const SimMessageWait& w : u.waits)
        done.push_back({w.id, SimErrorOperationAborted, 0});
    u.waits.clear();
    u.configured = false;
    u.open = false;
}

SimAnswer SimIoControl(SimBoard& board, int32_t target, uint32_t code, const uint8_t* in, uint32_t inBytes,
                       uint8_t* out, uint32_t outBytes, bool hasOverlapped, uint64_t id, double wall,
                       std::vector<SimCompletion>& done)
{
    SimAnswer answer;
    SimUnit* u = target >= 0 && target < kSimUnitCount ? &board.units[target] : nullptr;
    const bool overlappedHandle = u != nullptr ? u->overlapped : board.deviceOverlapped;
    const char* name = DriverIoctlName(code);
    if (name == nullptr) {
        answer.error = SimErrorInvalidFunction;
        return answer;
    }
    if (overlappedHandle && !hasOverlapped) {
        // Without an OVERLAPPED record the caller could not know when the answer is in.
        Violation(board, std::string(name) + " without an OVERLAPPED record on an overlapped handle");
        LogRequest(u, code, SimErrorInvalidParameter);
        answer.error = SimErrorInvalidParameter;
        return answer;
    }
    if (code == QZIOCTL_CONFIG) {
        if (u == nullptr) {
            answer.error = SimErrorInvalidFunction;
            return answer;
        }
        const uint32_t expected = ConfigureRequestSize(u->caps);
        if (in == nullptr || out == nullptr || inBytes != expected || outBytes != expected) {
            Violation(board, "configure with a record of the wrong length");
            LogRequest(u, code, SimErrorInvalidParameter);
            answer.error = SimErrorInvalidParameter;
            return answer;
        }
        ConfigRecord rec(in, in + inBytes);
        uint32_t status;
        if (Get32(rec, ReqType) != u->type || Get32(rec, ReqElement) != u->element) {
            Violation(board, "configure with another subsystem's type or element");
            status = QZERR_INVALID_SUBSYSTEM_SPECIFIED;
        } else if (board.faults.failNext.count(code) != 0) {
            status = board.faults.failNext[code];
            board.faults.failNext.erase(code);
        } else if (u->run != SimIdle) {
            Violation(board, "configure while running");
            status = QZERR_SUBSYSTEM_ALREADY_RUNNING;
        } else {
            status = Configure(board, *u, rec);
        }
        Put32(rec, ReqStatus, status);
        std::memcpy(out, rec.data(), rec.size());
        LogRequest(u, code, status);
        answer.bytes = outBytes;
        return answer;
    }
    const bool flush = code == QZIOCTL_FLUSHINPROCESS;
    if (in == nullptr || inBytes != kRequestBytes || (!flush && (out == nullptr || outBytes != kRequestBytes))) {
        Violation(board, std::string(name) + " with a record of the wrong length");
        LogRequest(u, code, SimErrorInvalidParameter);
        answer.error = SimErrorInvalidParameter;
        return answer;
    }
    DriverRequest r;
    std::memcpy(r.bytes, in, kRequestBytes);
    uint32_t status = QZERR_NO_ERROR;
    bool pending = false;
    if (u != nullptr && (Get32(r, ReqType) != u->type || Get32(r, ReqElement) != u->element)) {
        Violation(board, std::string(name) + " with another subsystem's type or element");
        status = QZERR_INVALID_SUBSYSTEM_SPECIFIED;
    } else if (board.faults.failNext.count(code) != 0) {
        status = board.faults.failNext[code];
        board.faults.failNext.erase(code);
    } else if (u == nullptr) {
        if (!DeviceRequest(board, code, r, &status)) {
            answer.error = SimErrorInvalidFunction;
            return answer;
        }
    } else if (flush) {
        // Reads here are filled whole when they are due: nothing is ever part-way in process.
        LogRequest(u, code, QZERR_NO_ERROR);
        answer.bytes = 0;
        return answer;
    } else {
        status = UnitRequest(board, *u, code, r, out, id, wall, &pending, done);
    }
    LogRequest(u, code, status);
    if (pending) {
        answer.pending = true;
        return answer;
    }
    Put32(r, ReqStatus, status);
    std::memcpy(out, r.bytes, kRequestBytes);
    answer.bytes = kRequestBytes;
    return answer;
}

SimAnswer SimQueueRead(SimBoard& board, int32_t target, uint8_t* data, uint32_t bytes, bool hasOverlapped, uint64_t id,
                       double wall, std::vector<SimCompletion>& done)
{
    SimAnswer answer;
    if (target != kAnalogUnit) {
        answer.error = SimErrorInvalidFunction;
        return answer;
    }
    SimUnit& u = board.units[target];
    if (!hasOverlapped || data == nullptr || bytes == 0 || bytes % 2 != 0) {
        Violation(board, "read without an OVERLAPPED record, buffer or even size");
        answer.error = SimErrorInvalidParameter;
        return answer;
    }
    if (u.reads.size() >= 8)
        Violation(board, "more than eight buffers with the driver");
    u.reads.push_back({id, data, bytes});
    answer.pending = true;
    SimAdvance(board, wall, done);
    return answer;
}

void SimCancel(SimBoard& board, int32_t target, const std::vector<uint64_t>& ids, std::vector<SimCompletion>& done)
{
    if (target < 0 || target >= kSimUnitCount)
        return;
    SimUnit& u = board.units[target];
    auto listed = [&](uint64_t id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
    for (auto it = u.reads.begin(); it != u.reads.end();) {
        if (listed(it->id)) {
            done.push_back({it->id, SimErrorOperationAborted, 0});
            it = u.reads.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = u.waits.begin(); it != u.waits.end();) {
        if (listed(it->id)) {
            done.push_back({it->id, SimErrorOperationAborted, 0});
            it = u.waits.erase(it);
        } else {
            ++it;
        }
    }
}

void SimAdvance(SimBoard& board, double wall, std::vector<SimCompletion>& done)
{
    SimUnit& u = board.units[kAnalogUnit];
    while (u.run == SimRunning && !u.reads.empty()) {
        const SimRead r = u.reads.front();
        const int64_t samples = r.bytes / 2;
        if (wall < DueWall(board, u, u.produced + samples))
            return;
        Generate(board, u, r.data, static_cast<uint32_t>(samples));
        u.reads.pop_front();
        const uint32_t error = board.faults.failNextRead;
        board.faults.failNextRead = 0;
        done.push_back({r.id, error, error != 0 ? 0 : r.bytes});
    }
}

double SimNextDue(const SimBoard& board, double)
{
    const SimUnit& u = board.units[kAnalogUnit];
    if (u.run != SimRunning || u.reads.empty())
        return kNever;
    return DueWall(board, u, u.produced + u.reads.front().bytes / 2);
}

void SimPostMessage(SimBoard& board, int32_t target, uint32_t code, uint32_t value, std::vector<SimCompletion>& done)
{
    if (target < 0 || target >= kSimUnitCount)
        return;
    SimUnit& u = board.units[target];
    if (code == DriverMessageOverrun)
        ++u.overruns;
    if (u.waits.empty()) {
        u.messages.emplace_back(code, value);
        return;
    }
    const SimMessageWait w = u.waits.front();
    u.waits.pop_front();
    RequestPut32(w.record, kRequestBytes, ReqStatus, 0);
    RequestPut32(w.record, kRequestBytes, ArgMessageCode, code);
    RequestPut32(w.record, kRequestBytes, ArgMessageValue, value);
    done.push_back({w.id, SimErrorNone, kRequestBytes});
}

SimCounts SimCountsOf(const SimBoard& board)
{
    SimCounts counts;
    counts.openHandles = board.deviceOpen ? 1 : 0;
    for (const SimUnit& u : board.units) {
        counts.openHandles += u.open ? 1 : 0;
        counts.pendingReads += static_cast<uint32_t>(u.reads.size());
        counts.pendingWaits += static_cast<uint32_t>(u.waits.size());
        counts.runningUnits += u.run != SimIdle ? 1 : 0;
    }
    counts.protocolViolations = board.protocolViolations;
    return counts;
}

SignalModel SimCurrentModel(const SimBoard& board)
{
    const SimUnit& ad = board.units[kAnalogUnit];
    if (ad.run == SimRunning || ad.run == SimPaused)
        return ad.model;
    return BuildSimModel(board.settings, InputsNow(board, 0.0));
}
