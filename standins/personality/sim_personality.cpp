#include "standins/personality/sim_personality.h"

#include "qzdaapi32/qzdaapi32.h"

#include <array>

const uint32_t SimTypeCounts[6] = {1, 0, 1, 1, 0, 2};

namespace {

struct Personality {
    std::array<int32_t, kCapabilitySlotCount> slots{};
    std::array<double, kDoubleCapabilityCount> doubles{};
};

const double kGains[] = {1.0};
const double kRangeMinimum[] = {-10.0};
const double kRangeMaximum[] = {10.0};
const double kAnalogResolution[] = {16.0};
const double kPortResolution[] = {8.0};
const double kOutputResolution[] = {16.0};

Personality AnalogInput()
{
    Personality p;
    auto& s = p.slots;
    s[SlotChannelsType100] = kSimAnalogChannels;
    s[SlotChannelListCapacity] = kSimChannelListCapacity;
    s[SlotGainCount] = 1;
    s[SlotRangeCount] = 1;
    s[SlotChannelCount] = kSimAnalogChannels;
    s[SlotExtraTriggerSources] = 1;
    s[SlotResolutionCount] = 1;
    s[SlotChannelType100] = 1;
    s[SlotEncoding200] = 1;
    s[SlotTrigger300] = 1;
    s[SlotTrigger301] = 1;
    s[SlotInternalClock] = 1;
    s[SlotContinuousTransfer] = 1;
    s[SlotSingleValues] = 1;
    s[SlotPauseContinue] = 1;
    s[SlotWrapRecycleDone] = 1;
    s[SlotWrapRequeueEach] = 1;
    s[SlotNotifications] = 1;
    s[SlotSimultaneousStart] = 1;
    s[SlotFlushInProcess] = 1;
    s[SlotReadAllChannels] = 1;
    s[SlotExtendedSingleValue] = 1;
    p.doubles = {kSimMaxSampleClockHz, 1.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    return p;
}

// A digital port: eight lines read or written as one value on channel 0.
Personality DigitalPort(bool input)
{
    Personality p;
    auto& s = p.slots;
    s[SlotChannelsType100] = 1;
    s[SlotChannelListCapacity] = 1;
    s[SlotChannelCount] = 1;
    s[SlotResolutionCount] = 1;
    s[SlotChannelType100] = 1;
    s[SlotEncoding200] = 1;
    s[SlotTrigger300] = 1;
    s[SlotInternalClock] = input ? 1 : 0;
    s[SlotContinuousTransfer] = input ? 1 : 0;
    s[SlotSingleValues] = 1;
    s[SlotReadAllChannels] = 1;
    p.doubles = {input ? 1000.0 : 0.0, input ? 1.0 : 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    return p;
}

Personality CounterTimer()
{
    Personality p;
    auto& s = p.slots;
    s[SlotChannelCount] = 1;
    s[SlotInternalClock] = 1;
    s[SlotContinuousTransfer] = 1;
    s[SlotSingleValues] = 1;
    s[SlotPauseContinue] = 1;
    s[SlotCascading] = 1;
    s[SlotSimultaneousStart] = 1;
    for (uint32_t i = 0; i < 4; ++i)
        s[SlotCounterMode700 + i] = 1;
    s[SlotPulseType600] = 1;
    s[SlotPulseType601] = 1;
    for (uint32_t i = 0; i <= 4; ++i)
        s[SlotGateType500 + i] = 1;
    p.doubles = {1.0e6, 0.01, 0.0, 0.0, 0.0, 0.0, 0.0};
    return p;
}

const Personality& Table(uint32_t type)
{
    static const Personality analog = AnalogInput();
    static const Personality input = DigitalPort(true);
    static const Personality output = DigitalPort(false);
    static const Personality counter = CounterTimer();
    switch (type) {
    case SubsystemTypeAD:
        return analog;
    case SubsystemTypeDIN:
        return input;
    case SubsystemTypeDOUT:
        return output;
    default:
        return counter;
    }
}

}  // namespace

bool SimCapabilities(uint32_t type, uint32_t element, SubsystemCapabilities* caps)
{
    if (type >= 6 || element >= SimTypeCounts[type] || caps == nullptr)
        return false;
    const Personality& p = Table(type);
    *caps = SubsystemCapabilities{};
    caps->integerSlots = p.slots.data();
    caps->doubleCapabilities = p.doubles.data();
    switch (type) {
    case SubsystemTypeAD:
        caps->gains = kGains;
        caps->rangeMinimumRows = kRangeMinimum;
        caps->rangeMaximumRows = kRangeMaximum;
        caps->resolutions = kAnalogResolution;
        break;
    case SubsystemTypeDIN:
        caps->resolutions = kPortResolution;
        break;
    case SubsystemTypeDOUT:
        caps->resolutions = kOutputResolution;
        break;
    default:
        break;
    }
    return true;
}
