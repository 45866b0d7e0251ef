#include "qzdaapi32/setget.h"

#include "qzdaapi32/requests.h"

#include <atomic>
#include <bit>
#include <cmath>

namespace {

struct Call {
    SubsystemCore& ss;
    RequestParams& p;
    const SetGetEnvironment& env;
};

uint32_t Slot(const Call& c, uint32_t slot)
{
    return SubsystemSlot(c.ss, slot);
}
ConfigRecord& Record(const Call& c)
{
    return c.ss.configuration;
}
uint32_t Word0(const Call& c)
{
    return static_cast<uint32_t>(c.p.word0);
}
uint32_t Word1(const Call& c)
{
    return static_cast<uint32_t>(c.p.word1);
}

bool IsRunning(const SubsystemCore& ss)
{
    return SubsystemStateOf(ss) > SubsystemStateConfigured;
}

// Steps 3 to 5 of every setter: refuse while running, keep the state when nothing changes,
// otherwise store and mark the record as changed, so it must be configured again.
template <class Store>
QZSTATUS Commit(const Call& c, bool unchanged, Store store)
{
    if (IsRunning(c.ss))
        return QZERR_SUBSYSTEM_ALREADY_RUNNING;
    if (unchanged)
        return QZERR_NO_ERROR;
    store();
    SetSubsystemState(c.ss, SubsystemStateChanged);
    return QZERR_NO_ERROR;
}

QZSTATUS Commit16(const Call& c, size_t offset, uint32_t value)
{
    uint16_t v = static_cast<uint16_t>(value);
    return Commit(c, Get16(Record(c), offset) == v, [&] { Put16(Record(c), offset, v); });
}

QZSTATUS Commit8(const Call& c, size_t offset, uint32_t value)
{
    uint8_t v = static_cast<uint8_t>(value);
    return Commit(c, Get8(Record(c), offset) == v, [&] { Put8(Record(c), offset, v); });
}

// Some settings are accepted without their capability when they ask for the value held.
QZSTATUS WithoutCapability(bool unchanged)
{
    return unchanged ? QZERR_NO_ERROR : QZERR_NOT_SUPPORTED;
}

// Counter/timer requests need a counter/timer that is not a quadrature decoder.
bool IsPlainCounter(const Call& c)
{
    return c.ss.type == SubsystemTypeCT && Slot(c, SlotQuadratureDecoder) == 0;
}

QZSTATUS Get16Into(const Call& c, size_t offset)
{
    c.p.word0 = Get16(Record(c), offset);
    return QZERR_NO_ERROR;
}

// A stored value that came from a table reads back as that table's entry, exactly, rather
// than as its fixed-point approximation (which may also have lost the sign of a value
// between -1 and 0).
double DecodeFromTable(FixedPoint stored, const double* table, uint32_t count)
{
    if (table != nullptr) {
        for (uint32_t i = 0; i < count; ++i) {
            if (EncodeFixedPoint(table[i]) == stored)
                return table[i];
        }
    }
    return DecodeFixedPoint(stored);
}

// --- capabilities ---

QZSTATUS TableEntry(const Call& c, const double* table, uint32_t count, QZSTATUS badEntry, QZSTATUS noTable)
{
    uint32_t entry = Word1(c);
    if (entry >= count)
        return badEntry;
    if (table == nullptr)
        return noTable;
    c.p.real0 = table[entry];
    c.p.word0 = static_cast<uint32_t>(TruncateToInt32(table[entry]));
    return QZERR_NO_ERROR;
}

QZSTATUS GetSubsystemCaps(const Call& c)
{
    uint32_t index = Word0(c);
    const SubsystemCapabilities& caps = c.ss.caps;
    if (index <= 60 || (index >= 73 && index <= 101)) {
        uint32_t value = CapabilitySlotValue(caps, index <= 60 ? index : index - 12);
        c.p.word0 = value;
        c.p.real0 = static_cast<double>(static_cast<int32_t>(value));
        return QZERR_NO_ERROR;
    }
    switch (index) {
    case CapRangeMinimum:
        return TableEntry(c, caps.rangeMinimumRows, Slot(c, SlotRangeCount), QZERR_INVALID_RANGE_INDEX,
                          QZERR_NO_RANGE_LIST);
    case CapRangeMaximum:
        return TableEntry(c, caps.rangeMaximumRows, Slot(c, SlotRangeCount), QZERR_INVALID_RANGE_INDEX,
                          QZERR_NO_RANGE_LIST);
    case CapFilter:
        return TableEntry(c, caps.filters, Slot(c, SlotFilterCount), QZERR_INVALID_FILTER_INDEX, QZERR_NO_FILTER_LIST);
    case CapGain:
        return TableEntry(c, caps.gains, Slot(c, SlotGainCount), QZERR_INVALID_GAIN_INDEX, QZERR_NO_GAIN_LIST);
    case CapResolution:
        return TableEntry(c, caps.resolutions, Slot(c, SlotResolutionCount), QZERR_BAD_RESOLUTION_SELECTED,
                          QZERR_BAD_RESOLUTION_SELECTED);
    default:
        break;
    }
    if (index >= CapMaxClockFrequency && index <= CapClockParameter) {
        double value = DoubleCapabilityValue(caps, index - CapMaxClockFrequency);
        c.p.real0 = value;
        c.p.word0 = static_cast<uint32_t>(TruncateToInt32(value));
        return QZERR_NO_ERROR;
    }
    return QZERR_INVALID_SUBSYSTEM_CAPABILITY;
}

// --- usage flags and the channel list ---

uint32_t DmaChannelsHeld(const Call& c)
{
    return (Get8(Record(c), CfgFirstDma) != 0 ? 1u : 0u) + (Get8(Record(c), CfgSecondDma) != 0 ? 1u : 0u);
}

QZSTATUS SetDmaUsage(const Call& c)
{
    uint32_t channels = Word0(c);
    if (channels > 2)
        return QZERR_NOT_ENOUGH_DMA_CHANNELS;
    if (channels > Slot(c, SlotDmaChannels))
        return channels == DmaChannelsHeld(c) ? QZERR_NO_ERROR : QZERR_NOT_ENOUGH_DMA_CHANNELS;
    return Commit(c, channels == DmaChannelsHeld(c), [&] {
        Put8(Record(c), CfgFirstDma, channels >= 1 ? 1 : 0);
        Put8(Record(c), CfgSecondDma, channels == 2 ? 1 : 0);
    });
}

QZSTATUS GetDmaUsage(const Call& c)
{
    c.p.word0 = Slot(c, SlotDmaChannels) == 0 ? 0 : DmaChannelsHeld(c);
    return QZERR_NO_ERROR;
}

QZSTATUS SetTriggeredScanUsage(const Call& c)
{
    uint32_t flag = Word0(c) != 0 ? 1 : 0;
    if (Slot(c, SlotTriggeredScan) == 0)
        return WithoutCapability(Get8(Record(c), CfgTriggeredScan) == flag);
    return Commit8(c, CfgTriggeredScan, flag);
}

QZSTATUS GetTriggeredScanUsage(const Call& c)
{
    c.p.word0 = Slot(c, SlotTriggeredScan) == 0 ? 0 : Get8(Record(c), CfgTriggeredScan);
    return QZERR_NO_ERROR;
}

QZSTATUS SetChannelListSize(const Call& c)
{
    uint32_t size = Word0(c);
    if (size < 1 || size > Slot(c, SlotChannelListCapacity))
        return QZERR_INVALID_LIST_SIZE;
    return Commit16(c, CfgChannelListSize, size);
}

QZSTATUS GetChannelListSize(const Call& c)
{
    if (Slot(c, SlotChannelListCapacity) == 0) {
        c.p.word0 = 0;
        return QZERR_NO_ERROR;
    }
    return Get16Into(c, CfgChannelListSize);
}

// An entry of the channel list: below the capacity, and within the allocated record.
bool IsListEntry(const Call& c, uint32_t entry)
{
    return entry < Slot(c, SlotChannelListCapacity) && entry < ChannelEntryCapacity(Record(c));
}

QZSTATUS SetChannelListEntry(const Call& c)
{
    uint32_t entry = Word0(c);
    uint32_t channel = Word1(c);
    if (!IsListEntry(c, entry))
        return QZERR_INVALID_LIST_ENTRY;
    if (channel >= Slot(c, SlotChannelCount))
        return QZERR_INVALID_CHANNEL;
    return Commit16(c, ChannelEntryOffset(entry, EntryChannel), channel);
}

QZSTATUS GetChannelListEntry(const Call& c)
{
    uint32_t entry = Word0(c);
    if (!IsListEntry(c, entry))
        return QZERR_INVALID_LIST_ENTRY;
    c.p.word1 = Get16(Record(c), ChannelEntryOffset(entry, EntryChannel));
    return QZERR_NO_ERROR;
}

QZSTATUS SetGainListEntry(const Call& c)
{
    uint32_t entry = Word0(c);
    if (!IsListEntry(c, entry))
        return QZERR_INVALID_LIST_ENTRY;
    size_t offset = ChannelEntryOffset(entry, EntryGain);
    FixedPoint held = GetFixed(Record(c), offset);
    uint32_t gains = Slot(c, SlotGainCount);
    // Snapping needs a gain table: a programmable gain without one keeps the held gain only.
    if (Slot(c, SlotProgrammableGain) == 0 || gains == 0 || c.ss.caps.gains == nullptr)
        return WithoutCapability(EncodeFixedPoint(c.p.real0) == held);
    double gain = c.ss.caps.gains[FindNearestValue(c.ss.caps.gains, gains, c.p.real0)];
    FixedPoint wanted = EncodeFixedPoint(gain);
    return Commit(c, wanted == held, [&] { PutFixed(Record(c), offset, wanted); });
}

QZSTATUS GetGainListEntry(const Call& c)
{
    uint32_t entry = Word0(c);
    if (!IsListEntry(c, entry))
        return QZERR_INVALID_LIST_ENTRY;
    c.p.real0 = DecodeFromTable(GetFixed(Record(c), ChannelEntryOffset(entry, EntryGain)), c.ss.caps.gains,
                                Slot(c, SlotGainCount));
    return QZERR_NO_ERROR;
}

QZSTATUS SetChannelFilter(const Call&)
{
    return QZERR_NO_ERROR;
}

QZSTATUS GetChannelFilter(const Call& c)
{
    c.p.real0 = 0.0;
    return QZERR_NO_ERROR;
}

// --- ranges ---

// Index of the entry of row `row` whose maximum and minimum are exactly the pair, or -1.
int32_t FindRangePair(const Call& c, uint32_t row, double maximum, double minimum)
{
    uint32_t count = Slot(c, SlotRangeCount);
    const double* maxima = c.ss.caps.rangeMaximumRows + static_cast<size_t>(row) * count;
    const double* minima = c.ss.caps.rangeMinimumRows + static_cast<size_t>(row) * count;
    for (uint32_t i = 0; i < count; ++i) {
        if (maxima[i] == maximum && minima[i] == minimum)
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool HasRangeRows(const Call& c)
{
    return c.ss.caps.rangeMinimumRows != nullptr && c.ss.caps.rangeMaximumRows != nullptr;
}

QZSTATUS SetRange(const Call& c)
{
    FixedPoint maximum = EncodeFixedPoint(c.p.real0);
    FixedPoint minimum = EncodeFixedPoint(c.p.real1);
    bool unchanged = GetFixed(Record(c), CfgRangeMaximum) == maximum && GetFixed(Record(c), CfgRangeMinimum) == minimum;
    if (Slot(c, SlotRangeCount) == 0)
        return WithoutCapability(unchanged);
    if (!HasRangeRows(c))
        return QZERR_NO_RANGE_LIST;
    if (FindRangePair(c, 0, c.p.real0, c.p.real1) < 0)
        return QZERR_INVALID_RANGE;
    return Commit(c, unchanged, [&] {
        PutFixed(Record(c), CfgRangeMaximum, maximum);
        PutFixed(Record(c), CfgRangeMinimum, minimum);
    });
}

QZSTATUS GetRange(const Call& c)
{
    if (Slot(c, SlotRangeCount) == 0)
        return QZERR_NOT_SUPPORTED;
    uint32_t count = Slot(c, SlotRangeCount);
    c.p.real0 = DecodeFromTable(GetFixed(Record(c), CfgRangeMaximum), c.ss.caps.rangeMaximumRows, count);
    c.p.real1 = DecodeFromTable(GetFixed(Record(c), CfgRangeMinimum), c.ss.caps.rangeMinimumRows, count);
    return QZERR_NO_ERROR;
}

// Channels 0 and 1 live in the record; the record has no room for more without the minimum
// row running into the maximum row, so later channels are kept beside it.
ChannelRangeSetting* ExtraRange(const Call& c, uint32_t channel)
{
    for (ChannelRangeSetting& setting : c.ss.extraChannelRanges) {
        if (setting.channel == channel)
            return &setting;
    }
    return nullptr;
}

QZSTATUS SetChannelRange(const Call& c)
{
    uint32_t channel = Word0(c);
    if (Slot(c, SlotRangeCount) == 0 || Slot(c, SlotPerChannelRanges) == 0)
        return QZERR_NOT_SUPPORTED;
    if (channel >= Slot(c, SlotChannelCount))
        return QZERR_INVALID_CHANNEL;
    if (!HasRangeRows(c))
        return QZERR_NO_RANGE_LIST;
    if (FindRangePair(c, channel, c.p.real0, c.p.real1) < 0)
        return QZERR_INVALID_RANGE;
    FixedPoint maximum = EncodeFixedPoint(c.p.real0);
    FixedPoint minimum = EncodeFixedPoint(c.p.real1);
    if (channel < kRecordRangeChannels) {
        size_t step = 8 * static_cast<size_t>(channel);
        bool unchanged = GetFixed(Record(c), CfgRangeMaximum + step) == maximum &&
                         GetFixed(Record(c), CfgRangeMinimum + step) == minimum;
        return Commit(c, unchanged, [&] {
            PutFixed(Record(c), CfgRangeMaximum + step, maximum);
            PutFixed(Record(c), CfgRangeMinimum + step, minimum);
        });
    }
    ChannelRangeSetting* held = ExtraRange(c, channel);
    bool unchanged = held != nullptr && held->maximum == maximum && held->minimum == minimum;
    return Commit(c, unchanged, [&] {
        if (held != nullptr)
            *held = {channel, maximum, minimum};
        else
            c.ss.extraChannelRanges.push_back({channel, maximum, minimum});
    });
}

QZSTATUS GetChannelRange(const Call& c)
{
    uint32_t channel = Word0(c);
    if (Slot(c, SlotRangeCount) == 0 || Slot(c, SlotPerChannelRanges) == 0)
        return QZERR_NOT_SUPPORTED;
    if (channel >= Slot(c, SlotChannelCount))
        return QZERR_INVALID_CHANNEL;
    FixedPoint maximum{0, 0};
    FixedPoint minimum{0, 0};
    if (channel < kRecordRangeChannels) {
        size_t step = 8 * static_cast<size_t>(channel);
        maximum = GetFixed(Record(c), CfgRangeMaximum + step);
        minimum = GetFixed(Record(c), CfgRangeMinimum + step);
    } else if (const ChannelRangeSetting* held = ExtraRange(c, channel)) {
        maximum = held->maximum;
        minimum = held->minimum;
    }
    uint32_t count = Slot(c, SlotRangeCount);
    size_t row = static_cast<size_t>(channel) * count;
    const double* maxima = c.ss.caps.rangeMaximumRows ? c.ss.caps.rangeMaximumRows + row : nullptr;
    const double* minima = c.ss.caps.rangeMinimumRows ? c.ss.caps.rangeMinimumRows + row : nullptr;
    c.p.real0 = DecodeFromTable(maximum, maxima, count);
    c.p.real1 = DecodeFromTable(minimum, minima, count);
    return QZERR_NO_ERROR;
}

// --- channel type, encoding, triggers, resolution, clock ---

QZSTATUS SetChannelType(const Call& c)
{
    uint32_t type = Word0(c);
    if (type != ChannelType100 && type != ChannelType101)
        return QZERR_INVALID_CHANNEL_TYPE;
    if (Slot(c, type == ChannelType100 ? SlotChannelType100 : SlotChannelType101) == 0)
        return WithoutCapability(Get16(Record(c), CfgChannelType) == type);
    return Commit16(c, CfgChannelType, type);
}

QZSTATUS SetEncoding(const Call& c)
{
    uint32_t encoding = Word0(c);
    if (encoding != EncodingStraightBinary && encoding != EncodingTwosComplement)
        return QZERR_INVALID_ENCODING;
    if (Slot(c, encoding == EncodingStraightBinary ? SlotEncoding200 : SlotEncoding201) == 0)
        return WithoutCapability(Get16(Record(c), CfgEncoding) == encoding);
    return Commit16(c, CfgEncoding, encoding);
}

// A trigger source the subsystem offers: 0, 10 (no such source) or 36 (not on this board).
QZSTATUS CheckTriggerSource(const Call& c, uint32_t source)
{
    uint32_t slot;
    switch (source) {
    case TriggerSource300:
        slot = SlotTrigger300;
        break;
    case TriggerSource301:
        slot = SlotTrigger301;
        break;
    case TriggerSource303:
        slot = SlotTrigger303;
        break;
    case TriggerSource304:
        slot = SlotTrigger304;
        break;
    case TriggerSource305:
        slot = SlotTrigger305;
        break;
    case TriggerSource1200:
        slot = SlotTrigger1200;
        break;
    case TriggerSource1201:
        slot = SlotTrigger1201;
        break;
    default:
        if (source >= TriggerExtra1 && source <= 305 + Slot(c, SlotExtraTriggerSources))
            return QZERR_NO_ERROR;
        return QZERR_INVALID_TRIGGER;
    }
    return Slot(c, slot) != 0 ? QZERR_NO_ERROR : QZERR_NOT_SUPPORTED;
}

QZSTATUS SetTrigger(const Call& c)
{
    QZSTATUS status = CheckTriggerSource(c, Word0(c));
    if (status != QZERR_NO_ERROR)
        return status;
    return Commit16(c, CfgTriggerSource, Word0(c));
}

bool HasPretrigger(const Call& c)
{
    return Slot(c, SlotDataFlow804) != 0 || Slot(c, SlotDataFlow805) != 0;
}

QZSTATUS SetPretriggerSource(const Call& c)
{
    if (!HasPretrigger(c))
        return QZERR_NOT_SUPPORTED;
    QZSTATUS status = CheckTriggerSource(c, Word0(c));
    if (status != QZERR_NO_ERROR)
        return status;
    return Commit16(c, CfgPretriggerSource, Word0(c));
}

QZSTATUS GetPretriggerSource(const Call& c)
{
    if (!HasPretrigger(c))
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgPretriggerSource);
}

QZSTATUS SetRetriggerSource(const Call& c)
{
    if (Slot(c, SlotRetriggerMode1302) == 0)
        return QZERR_NOT_SUPPORTED;
    QZSTATUS status = CheckTriggerSource(c, Word0(c));
    if (status != QZERR_NO_ERROR)
        return status;
    return Commit16(c, CfgRetriggerSource, Word0(c));
}

QZSTATUS GetRetriggerSource(const Call& c)
{
    if (Slot(c, SlotRetriggerMode1302) == 0)
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgRetriggerSource);
}

QZSTATUS SetResolution(const Call& c)
{
    uint32_t bits = Word0(c);
    uint32_t count = Slot(c, SlotResolutionCount);
    const double* table = c.ss.caps.resolutions;
    if (count == 0 || table == nullptr)
        return QZERR_INVALID_RESOLUTION;
    double lowest = std::fmin(table[0], table[count - 1]);
    double highest = std::fmax(table[0], table[count - 1]);
    if (!(bits >= lowest && bits <= highest))
        return QZERR_INVALID_RESOLUTION;
    if (Slot(c, SlotProgrammableResolution) == 0)
        return WithoutCapability(Get16(Record(c), CfgResolution) == bits);
    return Commit16(c, CfgResolution, bits);
}

QZSTATUS SetClockSource(const Call& c)
{
    uint32_t source = Word0(c);
    if (source < ClockInternal || source > ClockExternal + Slot(c, SlotExtraClockSources))
        return QZERR_INVALID_CLOCK_SOURCE;
    uint32_t slot = SlotExtraClockSources;
    if (source == ClockInternal)
        slot = SlotInternalClock;
    else if (source == ClockExternal)
        slot = SlotExternalClock;
    if (Slot(c, slot) == 0)
        return WithoutCapability(Get16(Record(c), CfgClockSource) == source);
    return Commit16(c, CfgClockSource, source);
}

double Clamp(double value, double lowest, double highest)
{
    if (value > highest)
        value = highest;
    if (value < lowest)
        value = lowest;
    return value;
}

QZSTATUS SetClockFrequency(const Call& c)
{
    if (std::isnan(c.p.real0))
        return QZERR_INVALID_FREQUENCY;
    const SubsystemCapabilities& caps = c.ss.caps;
    double hertz = c.p.real0;
    bool capable = Slot(c, SlotInternalClock) != 0;
    if (capable) {
        hertz = Clamp(hertz, DoubleCapabilityValue(caps, DoubleMinClockFrequency),
                      DoubleCapabilityValue(caps, DoubleMaxClockFrequency));
    }
    FixedPoint wanted = EncodeFixedPoint(hertz);
    bool unchanged = GetFixed(Record(c), CfgClockFixed) == wanted && Get16(Record(c), CfgClockForm) == 0;
    if (!capable)
        return WithoutCapability(unchanged);
    return Commit(c, unchanged, [&] {
        PutFixed(Record(c), CfgClockFixed, wanted);
        PutFloat(Record(c), CfgClockFloat, ToFloat(hertz));
        Put16(Record(c), CfgClockForm, 0);
        Put32(Record(c), CfgClockParameter,
              static_cast<uint32_t>(TruncateToInt32(DoubleCapabilityValue(caps, DoubleClockParameter))));
    });
}

// The driver may leave a frequency as a float and say so in the form word.
double StoredFrequency(const Call& c, size_t form, size_t floatAt, size_t fixedAt)
{
    if (Get16(Record(c), form) == 1)
        return GetFloat(Record(c), floatAt);
    return DecodeFixedPoint(GetFixed(Record(c), fixedAt));
}

QZSTATUS GetClockFrequency(const Call& c)
{
    if (Slot(c, SlotInternalClock) == 0)
        return QZERR_NOT_SUPPORTED;
    c.p.real0 = StoredFrequency(c, CfgClockForm, CfgClockFloat, CfgClockFixed);
    return QZERR_NO_ERROR;
}

QZSTATUS SetRetriggerFrequency(const Call& c)
{
    if (Slot(c, SlotInternalClock) == 0 || Slot(c, SlotTriggeredScan) == 0)
        return QZERR_NOT_SUPPORTED;
    if (std::isnan(c.p.real0))
        return QZERR_INVALID_FREQUENCY;
    double hertz = Clamp(c.p.real0, DoubleCapabilityValue(c.ss.caps, DoubleMinRetriggerFrequency),
                         DoubleCapabilityValue(c.ss.caps, DoubleMaxRetriggerFrequency));
    FixedPoint wanted = EncodeFixedPoint(hertz);
    bool unchanged = GetFixed(Record(c), CfgRetriggerFixed) == wanted && Get16(Record(c), CfgRetriggerForm) == 0;
    return Commit(c, unchanged, [&] {
        PutFixed(Record(c), CfgRetriggerFixed, wanted);
        PutFloat(Record(c), CfgRetriggerFloat, ToFloat(hertz));
        Put16(Record(c), CfgRetriggerForm, 0);
    });
}

QZSTATUS GetRetriggerFrequency(const Call& c)
{
    c.p.real0 = StoredFrequency(c, CfgRetriggerForm, CfgRetriggerFloat, CfgRetriggerFixed);
    return QZERR_NO_ERROR;
}

QZSTATUS SetExternalClockDivider(const Call& c)
{
    if (Slot(c, SlotExternalClock) == 0)
        return QZERR_NOT_SUPPORTED;
    uint32_t divider = Word0(c);
    double lowest = DoubleCapabilityValue(c.ss.caps, DoubleMinExtClockDivider);
    double highest = DoubleCapabilityValue(c.ss.caps, DoubleMaxExtClockDivider);
    if (divider == 0 || !(divider >= lowest && divider <= highest))
        return QZERR_INVALID_DIVIDER_VALUE;
    return Commit(c, Get32(Record(c), CfgExtClockDivider) == divider,
                  [&] { Put32(Record(c), CfgExtClockDivider, divider); });
}

QZSTATUS GetExternalClockDivider(const Call& c)
{
    if (Slot(c, SlotExternalClock) == 0)
        return QZERR_NOT_SUPPORTED;
    c.p.word0 = Get32(Record(c), CfgExtClockDivider);
    return QZERR_NO_ERROR;
}

// --- counter/timers ---

QZSTATUS SetGateType(const Call& c)
{
    uint32_t gate = Word0(c);
    if (gate < GateType500 || gate > GateType500 + 10)
        return QZERR_INVALID_GATE;
    if (Slot(c, SlotGateType500 + (gate - GateType500)) == 0)
        return QZERR_NOT_SUPPORTED;
    return Commit16(c, CfgGateType, gate);
}

QZSTATUS GetGateType(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgGateType);
}

QZSTATUS SetPulseType(const Call& c)
{
    uint32_t pulse = Word0(c);
    if (pulse != PulseType600 && pulse != PulseType601)
        return QZERR_INVALID_PULSE_TYPE;
    if (Slot(c, pulse == PulseType600 ? SlotPulseType600 : SlotPulseType601) == 0)
        return QZERR_NOT_SUPPORTED;
    return Commit16(c, CfgPulseType, pulse);
}

QZSTATUS GetPulseType(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgPulseType);
}

QZSTATUS SetPulseWidth(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    // Whole percent, truncated; NaN fails the range test.
    double percent = std::trunc(c.p.real0);
    if (Slot(c, SlotPulseWidthFixed) != 0 || !(percent >= 0.0 && percent <= 100.0))
        return QZERR_INVALID_PULSE_WIDTH;
    return Commit16(c, CfgPulseWidth, static_cast<uint32_t>(percent));
}

QZSTATUS GetPulseWidth(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    c.p.real0 = Get16(Record(c), CfgPulseWidth);
    return QZERR_NO_ERROR;
}

QZSTATUS SetCounterMode(const Call& c)
{
    static const uint32_t kModeSlots[] = {SlotCounterMode700,     SlotCounterMode700 + 1, SlotCounterMode700 + 2,
                                          SlotCounterMode700 + 3, SlotCounterMode704,     SlotCounterMode705,
                                          SlotCounterMode706};
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    uint32_t mode = Word0(c);
    if (mode < CounterMode700 || mode > CounterMode700 + 6)
        return QZERR_INVALID_COUNTER_MODE;
    if (Slot(c, kModeSlots[mode - CounterMode700]) == 0)
        return QZERR_NOT_SUPPORTED;
    return Commit16(c, CfgCounterMode, mode);
}

QZSTATUS GetCounterMode(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgCounterMode);
}

QZSTATUS SetCascadeMode(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    uint32_t mode = Word0(c);
    if (mode != CascadeModeCascaded && mode != CascadeModeSingle)
        return QZERR_INVALID_CASCADE_MODE;
    if (mode == CascadeModeCascaded && Slot(c, SlotCascading) == 0)
        return QZERR_NOT_SUPPORTED;
    return Commit16(c, CfgCascadeMode, mode);
}

QZSTATUS GetCascadeMode(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    if (Slot(c, SlotCascading) == 0) {
        c.p.word0 = CascadeModeSingle;
        return QZERR_NO_ERROR;
    }
    return Get16Into(c, CfgCascadeMode);
}

QZSTATUS SetEdge(const Call& c, size_t offset, bool stopEdge)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    uint32_t edge = Word0(c);
    if (edge < CounterEdge750 || edge > CounterEdge750 + 3 ||
        (Slot(c, SlotCounterMode705) & (1u << (edge - CounterEdge750))) == 0)
        return QZERR_INVALID_COUNTER_EDGE_SPECIFIED;
    if (stopEdge && Slot(c, SlotGateType500 + (edge - CounterEdge750)) == 0)
        return QZERR_NOT_SUPPORTED;
    return Commit16(c, offset, edge);
}

QZSTATUS SetStartEdge(const Call& c)
{
    return SetEdge(c, CfgStartEdge, false);
}
QZSTATUS SetStopEdge(const Call& c)
{
    return SetEdge(c, CfgStopEdge, true);
}

QZSTATUS GetStartEdge(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgStartEdge);
}

QZSTATUS GetStopEdge(const Call& c)
{
    if (!IsPlainCounter(c))
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgStopEdge);
}

// --- data flow, wrap mode, notifications ---

bool CanStream(const Call& c)
{
    return Slot(c, SlotContinuousTransfer) != 0 || HasPretrigger(c);
}

QZSTATUS SetWrapMode(const Call& c)
{
    if (c.ss.type == SubsystemTypeCT)
        return QZERR_NOT_SUPPORTED;
    uint32_t mode = Word0(c);
    if (mode < WrapStopWhenDone || mode > WrapRequeueEach)
        return QZERR_INVALID_WRAP_MODE;
    if (!CanStream(c) || (mode == WrapRecycleDone && Slot(c, SlotWrapRecycleDone) == 0) ||
        (mode == WrapRequeueEach && Slot(c, SlotWrapRequeueEach) == 0))
        return QZERR_NOT_SUPPORTED;
    return Commit16(c, CfgWrapMode, mode);
}

QZSTATUS GetWrapMode(const Call& c)
{
    if (c.ss.type == SubsystemTypeCT || !CanStream(c))
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgWrapMode);
}

QZSTATUS SetDataFlow(const Call& c)
{
    uint32_t flow = Word0(c);
    uint32_t slot;
    switch (flow) {
    case DataFlowContinuous:
        slot = SlotContinuousTransfer;
        break;
    case DataFlowSingleValue:
        slot = SlotSingleValues;
        break;
    case DataFlowPretrigger:
        slot = SlotDataFlow804;
        break;
    case DataFlowPrePostTrigger:
        slot = SlotDataFlow805;
        break;
    case 802:
    case 803:
        return QZERR_NOT_SUPPORTED;
    default:
        return QZERR_INVALID_DATA_FLOW;
    }
    if (Slot(c, slot) == 0)
        return QZERR_NOT_SUPPORTED;
    return Commit16(c, CfgDataFlow, flow);
}

// The window and the procedure always leave the record changed: a configured subsystem is
// configured again after them.
QZSTATUS SetWindowHandle(const Call& c)
{
    if (Slot(c, SlotNotifications) == 0)
        return QZERR_NOT_SUPPORTED;
    uintptr_t window = c.p.word0;
    if (window != 0 && (c.env.isWindow == nullptr || !c.env.isWindow(window)))
        return QZERR_INVALID_WINDOW_HANDLE;
    if (IsRunning(c.ss))
        return QZERR_SUBSYSTEM_ALREADY_RUNNING;
    c.ss.notify.SetWindow(window, c.ss.handle, c.p.word1);
    SetSubsystemState(c.ss, SubsystemStateChanged);
    return QZERR_NO_ERROR;
}

QZSTATUS GetWindowHandle(const Call& c)
{
    if (Slot(c, SlotNotifications) == 0)
        return QZERR_NOT_SUPPORTED;
    c.p.word0 = c.ss.notify.Get().window;
    return QZERR_NO_ERROR;
}

QZSTATUS SetNotifyProcedure(const Call& c)
{
    if (Slot(c, SlotNotifications) == 0)
        return QZERR_NOT_SUPPORTED;
    uintptr_t procedure = c.p.word0;
    if (procedure != 0 && (c.env.isCode == nullptr || !c.env.isCode(procedure)))
        return QZERR_INVALID_NOTIFICATION_PROCEDURE;
    if (IsRunning(c.ss))
        return QZERR_SUBSYSTEM_ALREADY_RUNNING;
    c.ss.notify.SetProcedure(procedure, c.ss.handle, c.p.word1);
    SetSubsystemState(c.ss, SubsystemStateChanged);
    return QZERR_NO_ERROR;
}

QZSTATUS GetNotifyProcedure(const Call& c)
{
    if (Slot(c, SlotNotifications) == 0)
        return QZERR_NOT_SUPPORTED;
    c.p.word0 = c.ss.notify.Get().procedure;
    return QZERR_NO_ERROR;
}

// --- channel inhibit and synchronous digital I/O ---

bool HasListWith(const Call& c, uint32_t slot)
{
    return Slot(c, SlotChannelListCapacity) != 0 && Slot(c, slot) != 0;
}

QZSTATUS SetChannelInhibit(const Call& c)
{
    if (!HasListWith(c, SlotChannelInhibit))
        return QZERR_NOT_SUPPORTED;
    uint32_t entry = Word0(c);
    if (!IsListEntry(c, entry))
        return QZERR_INVALID_LIST_ENTRY;
    return Commit8(c, ChannelEntryOffset(entry, EntryInhibit), Word1(c) != 0 ? 1 : 0);
}

QZSTATUS GetChannelInhibit(const Call& c)
{
    if (!HasListWith(c, SlotChannelInhibit))
        return QZERR_NOT_SUPPORTED;
    uint32_t entry = Word0(c);
    if (!IsListEntry(c, entry))
        return QZERR_INVALID_LIST_ENTRY;
    c.p.word1 = Get8(Record(c), ChannelEntryOffset(entry, EntryInhibit));
    return QZERR_NO_ERROR;
}

QZSTATUS SetDigitalIOListEntry(const Call& c)
{
    if (!HasListWith(c, SlotSynchronousDio))
        return QZERR_NOT_SUPPORTED;
    uint32_t entry = Word0(c);
    uint32_t value = Word1(c);
    if (value > Slot(c, SlotLargestSyncDioValue))
        return QZERR_ILLEGAL_SYNCHRONOUS_DIGITAL_I_O_VALUE_REQUESTED;
    if (!IsListEntry(c, entry))
        return QZERR_INVALID_LIST_ENTRY;
    return Commit16(c, ChannelEntryOffset(entry, EntrySyncDioValue), value);
}

QZSTATUS GetDigitalIOListEntry(const Call& c)
{
    if (!HasListWith(c, SlotSynchronousDio))
        return QZERR_NOT_SUPPORTED;
    uint32_t entry = Word0(c);
    if (!IsListEntry(c, entry))
        return QZERR_INVALID_LIST_ENTRY;
    c.p.word1 = Get16(Record(c), ChannelEntryOffset(entry, EntrySyncDioValue));
    return QZERR_NO_ERROR;
}

QZSTATUS SetSynchronousDioUsage(const Call& c)
{
    if (Slot(c, SlotSynchronousDio) == 0)
        return QZERR_NOT_SUPPORTED;
    return Commit8(c, CfgSynchronousDio, Word0(c) != 0 ? 1 : 0);
}

QZSTATUS GetSynchronousDioUsage(const Call& c)
{
    c.p.word0 = Slot(c, SlotSynchronousDio) == 0 ? 0 : Get8(Record(c), CfgSynchronousDio);
    return QZERR_NO_ERROR;
}

QZSTATUS NotServed(const Call&)
{
    return QZERR_NOT_SUPPORTED;
}

// --- buffer queues ---

bool HasQueues(const Call& c)
{
    return Slot(c, SlotContinuousTransfer) != 0 && c.ss.readyQueue != nullptr && c.ss.doneQueue != nullptr;
}

QZSTATUS PutBuffer(const Call& c)
{
    if (!HasQueues(c))
        return QZERR_NOT_SUPPORTED;
    HBUF buffer = reinterpret_cast<HBUF>(c.p.word0);
    if (c.ss.type == SubsystemTypeDA) {
        uint32_t samples = 0;
        QZSTATUS status = c.env.lists.validSamples(buffer, &samples);
        if (status != QZERR_NO_ERROR)
            return status;
        if (samples % 2 != 0)
            return QZERR_REQUESTED_OPERATION_REQUIRES_THAT_VALID_SAMPLES_IN_BUFFER_BE_A_MULTIPLE_OF_2;
    }
    return c.env.lists.append(c.ss.readyQueue, buffer);
}

QZSTATUS GetBuffer(const Call& c)
{
    if (!HasQueues(c))
        return QZERR_NOT_SUPPORTED;
    HBUF buffer = nullptr;
    QZSTATUS status = c.env.lists.takeHead(c.ss.doneQueue, &buffer);
    if (status == QZERR_NO_ERROR)
        c.p.word0 = reinterpret_cast<uintptr_t>(buffer);
    return status;
}

QZSTATUS GetQueueSizes(const Call& c)
{
    if (!HasQueues(c))
        return QZERR_NOT_SUPPORTED;
    uint32_t count = 0;
    QZSTATUS status = QZERR_NO_ERROR;
    switch (Word0(c)) {
    case QueueReady:
        status = c.env.lists.count(c.ss.readyQueue, &count);
        break;
    case QueueDone:
        status = c.env.lists.count(c.ss.doneQueue, &count);
        break;
    case QueueInProcess:
        count = c.env.inProcessCount ? c.env.inProcessCount(c.ss) : 0;
        break;
    default:
        return QZERR_INVALID_QUEUE_TYPE_SPECIFIED;
    }
    if (status == QZERR_NO_ERROR)
        c.p.word1 = count;
    return status;
}

QZSTATUS FlushBuffers(const Call& c)
{
    if (!HasQueues(c))
        return QZERR_NOT_SUPPORTED;
    if (IsRunning(c.ss))
        return QZERR_SUBSYSTEM_ALREADY_RUNNING;
    for (;;) {
        HBUF buffer = nullptr;
        QZSTATUS status = c.env.lists.takeHead(c.ss.readyQueue, &buffer);
        if (status != QZERR_NO_ERROR)
            return status;
        if (buffer == nullptr)
            return QZERR_NO_ERROR;
        status = c.env.lists.append(c.ss.doneQueue, buffer);
        if (status != QZERR_NO_ERROR)
            return status;
    }
}

// --- the later requests ---

QZSTATUS SetRetriggerMode(const Call& c)
{
    uint32_t mode = Word0(c);
    uint32_t slot;
    switch (mode) {
    case RetriggerMode1300:
        slot = SlotRetriggerMode1300;
        break;
    case RetriggerMode1301:
        slot = SlotRetriggerMode1301;
        break;
    case RetriggerMode1302:
        slot = SlotRetriggerMode1302;
        break;
    default:
        return QZERR_INVALID_RETRIGGER_MODE;
    }
    if (Slot(c, slot) == 0)
        return QZERR_NOT_SUPPORTED;
    // Kept as given, without the state steps of the other setters.
    Put16(Record(c), CfgRetriggerMode, static_cast<uint16_t>(mode));
    return QZERR_NO_ERROR;
}

QZSTATUS GetRetriggerMode(const Call& c)
{
    return Get16Into(c, CfgRetriggerMode);
}

// A refused count moves the state to changed as an accepted one does: the subsystem must be
// configured again either way.
QZSTATUS SetMultiscanCount(const Call& c)
{
    uint32_t count = Word0(c);
    const bool accepted = count >= 1 && count <= Slot(c, SlotLargestMultiscan);
    // Moving a running subsystem to the changed state would leave it impossible to stop.
    if (IsRunning(c.ss))
        return accepted ? QZERR_SUBSYSTEM_ALREADY_RUNNING
                        : QZERR_INVALID_COUNT_COUNT_EXCEEDS_MAXIMUM_OF_SCANS_OF_THE_CGL;
    SetSubsystemState(c.ss, SubsystemStateChanged);
    if (!accepted)
        return QZERR_INVALID_COUNT_COUNT_EXCEEDS_MAXIMUM_OF_SCANS_OF_THE_CGL;
    Put16(Record(c), CfgMultiscanCount, static_cast<uint16_t>(count));
    return QZERR_NO_ERROR;
}

QZSTATUS GetMultiscanCount(const Call& c)
{
    if (Slot(c, SlotLargestMultiscan) == 0)
        return QZERR_NOT_SUPPORTED;
    return Get16Into(c, CfgMultiscanCount);
}

QZSTATUS SetSpecialVpiMode(const Call& c)
{
    Put8(Record(c), CfgSpecialVpiMode, static_cast<uint8_t>(c.p.word0));
    return QZERR_NO_ERROR;
}

QZSTATUS GetSpecialVpiMode(const Call& c)
{
    c.p.word0 = Get8(Record(c), CfgSpecialVpiMode);
    return QZERR_NO_ERROR;
}

// Scaling in the low 16 bits of word0, the flag byte above it, the index mode in word1.
QZSTATUS SetQuadrature(const Call& c)
{
    if (Slot(c, SlotQuadratureDecoder) == 0)
        return QZERR_NOT_SUPPORTED;
    if (SubsystemStateOf(c.ss) >= SubsystemStateRunning)
        return QZERR_SUBSYSTEM_ALREADY_RUNNING;
    uint16_t scaling = static_cast<uint16_t>(c.p.word0 & 0xFFFF);
    uint8_t flag = static_cast<uint8_t>((c.p.word0 >> 16) & 0xFF);
    uint32_t mode = Word1(c);
    if (mode < QuadIndexMode1400 || mode > QuadIndexMode1400 + 2)
        return QZERR_INVALID_INDEX;
    bool unchanged = Get16(Record(c), CfgQuadScaling) == scaling && Get8(Record(c), CfgQuadFlag) == flag &&
                     Get16(Record(c), CfgQuadIndexMode) == mode;
    return Commit(c, unchanged, [&] {
        Put16(Record(c), CfgQuadScaling, scaling);
        Put8(Record(c), CfgQuadFlag, flag);
        Put16(Record(c), CfgQuadIndexMode, static_cast<uint16_t>(mode));
    });
}

QZSTATUS GetStored16(const Call& c, size_t offset)
{
    return Get16Into(c, offset);
}

struct Handler {
    uint32_t code;
    QZSTATUS (*run)(const Call& c);
};

const Handler kHandlers[] = {
    {QZDRV_GETSSCAPS, GetSubsystemCaps},
    {QZDRV_SETDMAUSAGE, SetDmaUsage},
    {QZDRV_GETDMAUSAGE, GetDmaUsage},
    {QZDRV_SETTRIGGEREDSCANUSAGE, SetTriggeredScanUsage},
    {QZDRV_GETTRIGGEREDSCANUSAGE, GetTriggeredScanUsage},
    {QZDRV_SETCHANNELLISTSIZE, SetChannelListSize},
    {QZDRV_GETCHANNELLISTSIZE, GetChannelListSize},
    {QZDRV_SETCHANNELLISTENTRY, SetChannelListEntry},
    {QZDRV_GETCHANNELLISTENTRY, GetChannelListEntry},
    {QZDRV_SETGAINLISTENTRY, SetGainListEntry},
    {QZDRV_GETGAINLISTENTRY, GetGainListEntry},
    {QZDRV_SETCHANNELFILTER, SetChannelFilter},
    {QZDRV_GETCHANNELFILTER, GetChannelFilter},
    {QZDRV_SETRANGE, SetRange},
    {QZDRV_GETRANGE, GetRange},
    {QZDRV_SETCHANNELTYPE, SetChannelType},
    {QZDRV_GETCHANNELTYPE, [](const Call& c) { return GetStored16(c, CfgChannelType); }},
    {QZDRV_SETENCODING, SetEncoding},
    {QZDRV_GETENCODING, [](const Call& c) { return GetStored16(c, CfgEncoding); }},
    {QZDRV_SETTRIGGER, SetTrigger},
    {QZDRV_GETTRIGGER, [](const Call& c) { return GetStored16(c, CfgTriggerSource); }},
    {QZDRV_SETRESOLUTION, SetResolution},
    {QZDRV_GETRESOLUTION, [](const Call& c) { return GetStored16(c, CfgResolution); }},
    {QZDRV_SETCLOCKSOURCE, SetClockSource},
    {QZDRV_GETCLOCKSOURCE, [](const Call& c) { return GetStored16(c, CfgClockSource); }},
    {QZDRV_SETCLOCKFREQUENCY, SetClockFrequency},
    {QZDRV_GETCLOCKFREQUENCY, GetClockFrequency},
    {QZDRV_SETRETRIGGERFREQUENCY, SetRetriggerFrequency},
    {QZDRV_GETRETRIGGERFREQUENCY, GetRetriggerFrequency},
    {QZDRV_SETEXTERNCLOCKDIVIDER, SetExternalClockDivider},
    {QZDRV_GETEXTERNCLOCKDIVIDER, GetExternalClockDivider},
    {QZDRV_SETGATETYPE, SetGateType},
    {QZDRV_GETGATETYPE, GetGateType},
    {QZDRV_SETPULSETYPE, SetPulseType},
    {QZDRV_GETPULSETYPE, GetPulseType},
    {QZDRV_SETPULSEWIDTH, SetPulseWidth},
    {QZDRV_GETPULSEWIDTH, GetPulseWidth},
    {QZDRV_SETCOUNTERMODE, SetCounterMode},
    {QZDRV_GETCOUNTERMODE, GetCounterMode},
    {QZDRV_SETCASCADEMODE, SetCascadeMode},
    {QZDRV_GETCASCADEMODE, GetCascadeMode},
    {QZDRV_SETWRAPMODE, SetWrapMode},
    {QZDRV_GETWRAPMODE, GetWrapMode},
    {QZDRV_SETDATAFLOW, SetDataFlow},
    {QZDRV_GETDATAFLOW, [](const Call& c) { return GetStored16(c, CfgDataFlow); }},
    {QZDRV_SETWINDOWHANDLE, SetWindowHandle},
    {QZDRV_GETWINDOWHANDLE, GetWindowHandle},
    {QZDRV_SETNOTIFYPROC, SetNotifyProcedure},
    {QZDRV_GETNOTIFYPROC, GetNotifyProcedure},
    {QZDRV_SETCHANNELLISTINHIBIT, SetChannelInhibit},
    {QZDRV_GETCHANNELLISTINHIBIT, GetChannelInhibit},
    {QZDRV_SETDIGITALIOLISTENTRY, SetDigitalIOListEntry},
    {QZDRV_GETDIGITALIOLISTENTRY, GetDigitalIOListEntry},
    {QZDRV_SETSYNCHRONOUSDIOUSAGE, SetSynchronousDioUsage},
    {QZDRV_GETSYNCHRONOUSDIOUSAGE, GetSynchronousDioUsage},
    {QZDRV_SETTRANSFERSIZE, NotServed},
    {QZDRV_GETTRANSFERSIZE, NotServed},
    {QZDRV_SETTRANSFERCOUNT, NotServed},
    {QZDRV_GETTRANSFERCOUNT, NotServed},
    {QZDRV_SETCHANNELRANGE, SetChannelRange},
    {QZDRV_GETCHANNELRANGE, GetChannelRange},
    {QZDRV_PUTBUFFER, PutBuffer},
    {QZDRV_GETBUFFER, GetBuffer},
    {QZDRV_GETQUEUESIZES, GetQueueSizes},
    {QZDRV_FLUSHBUFFERS, FlushBuffers},
    {QZDRV_SETRETRIGGERMODE, SetRetriggerMode},
    {QZDRV_GETRETRIGGERMODE, GetRetriggerMode},
    {QZDRV_SETPRETRIGGERSOURCE, SetPretriggerSource},
    {QZDRV_GETPRETRIGGERSOURCE, GetPretriggerSource},
    {QZDRV_SETMULTISCANCOUNT, SetMultiscanCount},
    {QZDRV_GETMULTISCANCOUNT, GetMultiscanCount},
    {QZDRV_SETRETRIGGERSOURCE, SetRetriggerSource},
    {QZDRV_GETRETRIGGERSOURCE, GetRetriggerSource},
    {QZDRV_SETSPECIALVPICONFIGMODE, SetSpecialVpiMode},
    {QZDRV_GETSPECIALVPICONFIGMODE, GetSpecialVpiMode},
    {QZDRV_SETSTARTEDGE, SetStartEdge},
    {QZDRV_GETSTARTEDGE, GetStartEdge},
    {QZDRV_SETSTOPEDGE, SetStopEdge},
    {QZDRV_GETSTOPEDGE, GetStopEdge},
    {QZDRV_SETQUADRATURE, SetQuadrature},
};

}  // namespace

GuardedNotificationTarget& GuardedNotificationTarget::operator=(const GuardedNotificationTarget& other)
{
    if (this != &other) {
        const NotificationTarget copy = other.Get();
        std::lock_guard<std::mutex> held(lock_);
        target_ = copy;
    }
    return *this;
}

NotificationTarget GuardedNotificationTarget::Get() const
{
    std::lock_guard<std::mutex> held(lock_);
    return target_;
}

void GuardedNotificationTarget::SetWindow(uintptr_t window, uintptr_t wParam, uintptr_t lParam)
{
    std::lock_guard<std::mutex> held(lock_);
    target_.window = window;
    target_.wParam = wParam;
    target_.lParam = lParam;
}

void GuardedNotificationTarget::SetProcedure(uintptr_t procedure, uintptr_t subsystem, uintptr_t user)
{
    std::lock_guard<std::mutex> held(lock_);
    target_.procedure = procedure;
    target_.procedureSubsystem = subsystem;
    target_.procedureUser = user;
}

QZSTATUS AllocateConfiguration(SubsystemCore& subsystem)
{
    uint32_t bytes = ConfigurationRecordSize(subsystem.caps);
    if (bytes == 0)
        return QZERR_CANNOT_ALLOCATE_CHANNEL_LIST;
    subsystem.configuration.assign(bytes, 0);
    SetSubsystemState(subsystem, SubsystemStateAllocated);
    return QZERR_NO_ERROR;
}

void ApplyDefaultConfiguration(SubsystemCore& subsystem)
{
    SetDefaultConfiguration(subsystem.caps, subsystem.configuration);
    subsystem.extraChannelRanges.clear();
}

// The state word is moved by the requests, under the subsystem's lock, and by the copy
// thread, which cannot take that lock (a request holds it while it waits for the thread):
// every access is atomic. The record is little-endian, as the machine is.
static_assert(std::endian::native == std::endian::little);

namespace {

uint32_t* StateWordOf(const SubsystemCore& subsystem)
{
    if (subsystem.configuration.size() < CfgState + sizeof(uint32_t))
        return nullptr;
    void* at = const_cast<uint8_t*>(subsystem.configuration.data() + CfgState);
    if (reinterpret_cast<uintptr_t>(at) % std::atomic_ref<uint32_t>::required_alignment != 0)
        return nullptr;
    return static_cast<uint32_t*>(at);
}

}  // namespace

uint32_t SubsystemStateOf(const SubsystemCore& subsystem)
{
    uint32_t* word = StateWordOf(subsystem);
    return word != nullptr ? std::atomic_ref<uint32_t>(*word).load() : Get32(subsystem.configuration, CfgState);
}

void SetSubsystemState(SubsystemCore& subsystem, uint32_t state)
{
    uint32_t* word = StateWordOf(subsystem);
    if (word != nullptr)
        std::atomic_ref<uint32_t>(*word).store(state);
    else
        Put32(subsystem.configuration, CfgState, state);
}

bool EndRunState(SubsystemCore& subsystem, uint32_t state)
{
    uint32_t* word = StateWordOf(subsystem);
    if (word == nullptr)
        return false;
    std::atomic_ref<uint32_t> ref(*word);
    uint32_t current = ref.load();
    while (current > SubsystemStateConfigured) {
        if (ref.compare_exchange_weak(current, state))
            return true;
    }
    return false;
}

uint32_t SubsystemSlot(const SubsystemCore& subsystem, uint32_t slot)
{
    return CapabilitySlotValue(subsystem.caps, slot);
}

bool IsStreamingFlow(uint32_t flow)
{
    return flow == DataFlowContinuous || flow == DataFlowPretrigger || flow == DataFlowPrePostTrigger;
}

QZSTATUS HandleSetGetRequest(SubsystemCore& subsystem, uint32_t code, RequestParams& params,
                             const SetGetEnvironment& env)
{
    Call call{subsystem, params, env};
    for (const Handler& handler : kHandlers) {
        if (handler.code == code)
            return handler.run(call);
    }
    return QZERR_NOT_SUPPORTED;
}
