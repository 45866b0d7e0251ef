#include "qzdaapi32/config_record.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "qzdaapi32/qzdaapi32.h"

uint32_t CapabilitySlotValue(const SubsystemCapabilities& caps, uint32_t slot)
{
    if (caps.integerSlots == nullptr || slot >= kCapabilitySlotCount)
        return 0;
    return static_cast<uint32_t>(caps.integerSlots[slot]);
}

double DoubleCapabilityValue(const SubsystemCapabilities& caps, uint32_t index)
{
    if (caps.doubleCapabilities == nullptr || index >= kDoubleCapabilityCount)
        return 0.0;
    return caps.doubleCapabilities[index];
}

namespace {

bool Fits(const ConfigRecord& record, size_t offset, size_t bytes)
{
    return offset <= record.size() && bytes <= record.size() - offset;
}

uint64_t GetBytes(const ConfigRecord& record, size_t offset, size_t bytes)
{
    if (!Fits(record, offset, bytes))
        return 0;
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(record[offset + i]) << (8 * i);
    return value;
}

void PutBytes(ConfigRecord& record, size_t offset, size_t bytes, uint64_t value)
{
    if (!Fits(record, offset, bytes))
        return;
    for (size_t i = 0; i < bytes; ++i)
        record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint8_t Get8(const ConfigRecord& record, size_t offset)
{
    return static_cast<uint8_t>(GetBytes(record, offset, 1));
}

uint16_t Get16(const ConfigRecord& record, size_t offset)
{
    return static_cast<uint16_t>(GetBytes(record, offset, 2));
}

uint32_t Get32(const ConfigRecord& record, size_t offset)
{
    return static_cast<uint32_t>(GetBytes(record, offset, 4));
}

float GetFloat(const ConfigRecord& record, size_t offset)
{
    uint32_t bits = Get32(record, offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double GetDouble(const ConfigRecord& record, size_t offset)
{
    uint64_t bits = GetBytes(record, offset, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void Put8(ConfigRecord& record, size_t offset, uint8_t value)
{
    PutBytes(record, offset, 1, value);
}

void Put16(ConfigRecord& record, size_t offset, uint16_t value)
{
    PutBytes(record, offset, 2, value);
}

void Put32(ConfigRecord& record, size_t offset, uint32_t value)
{
    PutBytes(record, offset, 4, value);
}

void PutFloat(ConfigRecord& record, size_t offset, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Put32(record, offset, bits);
}

void PutDouble(ConfigRecord& record, size_t offset, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutBytes(record, offset, 8, bits);
}

int32_t TruncateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

float ToFloat(double value)
{
    if (value > FLT_MAX)
        return FLT_MAX;
    if (value < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<float>(value);
}

double RoundedToDouble(double value)
{
    volatile double stored = value;
    return stored;
}

FixedPoint EncodeFixedPoint(double value)
{
    if (std::isnan(value))
        return {0, 0};
    int32_t integer = TruncateToInt32(value);
    // A fraction of one half or more does not fit a signed 32-bit word: work in 64 bits and
    // keep the pattern. Beyond the integer range the fraction is dropped.
    double rest = value - static_cast<double>(integer);
    int64_t fraction = 0;
    if (rest > -1.0 && rest < 1.0)
        fraction = static_cast<int64_t>(RoundedToDouble(rest * kFixedPointScale));
    return {integer, static_cast<uint32_t>(fraction)};
}

double DecodeFixedPoint(FixedPoint value)
{
    double fraction;
    if (value.integer < 0)
        fraction = -static_cast<double>(static_cast<uint32_t>(0u - value.fraction));
    else
        fraction = static_cast<double>(value.fraction);
    double part = RoundedToDouble(fraction / kFixedPointScale);
    return RoundedToDouble(static_cast<double>(value.integer) + part);
}

FixedPoint GetFixed(const ConfigRecord& record, size_t offset)
{
    return {static_cast<int32_t>(Get32(record, offset + 4)), Get32(record, offset)};
}

void PutFixed(ConfigRecord& record, size_t offset, FixedPoint value)
{
    Put32(record, offset, value.fraction);
    Put32(record, offset + 4, static_cast<uint32_t>(value.integer));
}

uint32_t ConfigurationRecordSize(const SubsystemCapabilities& caps)
{
    uint32_t listCapacity = CapabilitySlotValue(caps, SlotChannelListCapacity);
    uint32_t filters = CapabilitySlotValue(caps, SlotFilterCount);
    uint32_t m = filters;
    if (filters != 0 && CapabilitySlotValue(caps, SlotFiltersPerChannel) != 0)
        m = CapabilitySlotValue(caps, SlotChannelCount);
    uint32_t n = listCapacity > m ? listCapacity : m;
    if (n > kMaxChannelEntries)
        return 0;
    return static_cast<uint32_t>(kConfigFixedBytes + kChannelEntryBytes * n);
}

uint32_t ConfigureRequestSize(const SubsystemCapabilities& caps)
{
    uint32_t listCapacity = CapabilitySlotValue(caps, SlotChannelListCapacity);
    if (listCapacity > kMaxChannelEntries)
        return 0;
    return static_cast<uint32_t>(kConfigFixedBytes + kChannelEntryBytes * listCapacity);
}

uint32_t ChannelEntryCapacity(const ConfigRecord& record)
{
    if (record.size() < kConfigFixedBytes)
        return 0;
    // The entries start 24 bytes before the end of the fixed part.
    return static_cast<uint32_t>((record.size() - CfgChannelList) / kChannelEntryBytes);
}

size_t ChannelEntryOffset(uint32_t entry, size_t field)
{
    return CfgChannelList + kChannelEntryBytes * entry + field;
}

uint32_t FindNearestValue(const double* table, uint32_t count, double value)
{
    uint32_t best = 0;
    if (table == nullptr || count < 2)
        return best;
    double bestDifference = std::fabs(table[0] - value);
    for (uint32_t i = 1; i < count; ++i) {
        double difference = std::fabs(table[i] - value);
        if (difference < bestDifference) {
            bestDifference = difference;
            best = i;
        }
    }
    return best;
}

void SetDefaultConfiguration(const SubsystemCapabilities& caps, ConfigRecord& record)
{
    auto slot = [&caps](uint32_t n) { return CapabilitySlotValue(caps, n); };
    auto first = [](const double* table, uint32_t count) { return (table != nullptr && count > 0) ? table[0] : 0.0; };

    Put32(record, CfgState, SubsystemStateChanged);
    Put32(record, CfgDriverStatus, 0);
    Put8(record, CfgFirstDma, slot(SlotDmaChannels) > 0 ? 1 : 0);
    Put8(record, CfgSecondDma, 0);
    Put8(record, CfgTriggeredScan, 0);
    Put8(record, CfgSynchronousDio, 0);
    Put16(record, CfgChannelListSize, slot(SlotChannelListCapacity) > 0 ? 1 : 0);
    Put16(record, CfgChannelCount, static_cast<uint16_t>(slot(SlotChannelCount)));
    Put16(record, CfgChannelType, slot(SlotChannelsType101) != 0 ? ChannelType101 : ChannelType100);
    Put16(record, CfgEncoding, slot(SlotEncoding201) != 0 ? EncodingTwosComplement : EncodingStraightBinary);
    Put16(record, CfgResolution,
          static_cast<uint16_t>(TruncateToInt32(first(caps.resolutions, slot(SlotResolutionCount)))));
    Put16(record, CfgWrapMode, WrapStopWhenDone);
    Put16(record, CfgDataFlow, slot(SlotContinuousTransfer) != 0 ? DataFlowContinuous : DataFlowSingleValue);
    Put16(record, CfgClockSource, ClockInternal);
    Put16(record, CfgClockForm, 0);
    Put32(record, CfgClockParameter,
          static_cast<uint32_t>(TruncateToInt32(DoubleCapabilityValue(caps, DoubleClockParameter))));
    Put32(record, CfgExtClockDivider,
          static_cast<uint32_t>(TruncateToInt32(DoubleCapabilityValue(caps, DoubleMinExtClockDivider))));
    PutFloat(record, CfgClockFloat, 1000.0f);
    PutFixed(record, CfgClockFixed, {1000, 0});
    Put16(record, CfgTriggerSource, TriggerSource300);
    Put16(record, CfgRetriggerMode, RetriggerMode1301);
    Put16(record, CfgRetriggerForm, 0);
    Put16(record, CfgPretriggerSource, TriggerSource300);
    Put16(record, CfgMultiscanCount, slot(SlotLargestMultiscan) != 0 ? 1 : 0);
    Put16(record, CfgRetriggerSource, TriggerSource300);
    double minRetrigger = DoubleCapabilityValue(caps, DoubleMinRetriggerFrequency);
    PutFloat(record, CfgRetriggerFloat, ToFloat(minRetrigger));
    PutFixed(record, CfgRetriggerFixed, EncodeFixedPoint(minRetrigger));
    uint32_t ranges = slot(SlotRangeCount);
    PutFixed(record, CfgRangeMinimum, EncodeFixedPoint(first(caps.rangeMinimumRows, ranges)));
    PutFixed(record, CfgRangeMinimum + 8, {0, 0});
    PutFixed(record, CfgRangeMaximum, EncodeFixedPoint(first(caps.rangeMaximumRows, ranges)));
    PutFixed(record, CfgRangeMaximum + 8, {0, 0});
    Put16(record, CfgQuadScaling, 1);
    Put8(record, CfgQuadFlag, 0);
    Put16(record, CfgQuadIndexMode, QuadIndexMode1400);
    Put16(record, CfgGateType, GateType500);
    Put16(record, CfgPulseType, slot(SlotPulseType601) != 0 ? PulseType601 : PulseType600);
    Put16(record, CfgPulseWidth, 50);
    Put16(record, CfgCounterMode, CounterMode700);
    Put16(record, CfgCascadeMode, CascadeModeSingle);
    Put32(record, CfgFrequencyWindow, 0);
    PutDouble(record, CfgFrequencyDuration, 0.0);
    Put32(record, CfgFrequencySubsystem, 0);
    Put8(record, CfgSpecialVpiMode, 0);
    Put16(record, CfgStartEdge, CounterEdge750);
    Put16(record, CfgStopEdge, CounterEdge750 + 1);

    uint32_t entries = slot(SlotChannelListCapacity);
    uint32_t capacity = ChannelEntryCapacity(record);
    if (entries > capacity)
        entries = capacity;
    for (uint32_t i = 0; i < entries; ++i) {
        Put16(record, ChannelEntryOffset(i, EntryChannel), 0);
        PutFixed(record, ChannelEntryOffset(i, EntryGain), {1, 0});
        Put8(record, ChannelEntryOffset(i, EntryInhibit), 0);
        Put16(record, ChannelEntryOffset(i, EntrySyncDioValue), 0);
    }
}
