// Capability sets of two made-up subsystems for the tests: an analog input and a
// counter/timer, with the slots the library interprets set the way a board would.
#pragma once

#include "qzdaapi32/config_record.h"
#include "qzdaapi32/qzdaapi32.h"

#include <array>
#include <cstdint>

struct TestBoard {
    std::array<int32_t, kCapabilitySlotCount> slots{};
    std::array<double, kDoubleCapabilityCount> doubles{};
    std::array<double, 4> gains{1.0, 2.0, 4.0, 8.0};
    std::array<double, 6> rangeMinimum{-10.0, -5.0, -10.0, -5.0, -10.0, -1.25};  // 3 channel rows
    std::array<double, 6> rangeMaximum{10.0, 5.0, 10.0, 5.0, 10.0, 1.25};
    std::array<double, 2> filters{0.0, 1000.0};
    std::array<double, 2> resolutions{12.0, 16.0};

    SubsystemCapabilities Caps() const
    {
        return {gains.data(),       rangeMinimum.data(), rangeMaximum.data(), filters.data(),
                resolutions.data(), slots.data(),        doubles.data()};
    }
};

// Analog input: 3 channels of type 100, a 16-entry channel list, gains 1/2/4/8, two ranges
// (per-channel rows for three channels), resolutions 12 to 16, internal and external clock,
// continuous transfer with wrap modes, notifications, two extra trigger sources.
inline TestBoard AnalogInputBoard()
{
    TestBoard b;
    auto& s = b.slots;
    s[SlotChannelsType100] = 3;
    s[SlotChannelListCapacity] = 16;
    s[SlotFilterCount] = 2;
    s[SlotGainCount] = 4;
    s[SlotRangeCount] = 2;
    s[SlotDmaChannels] = 1;
    s[SlotChannelCount] = 3;
    s[SlotExtraTriggerSources] = 2;
    s[SlotResolutionCount] = 2;
    s[SlotChannelType100] = 1;
    s[SlotEncoding200] = 1;
    s[SlotTrigger300] = 1;
    s[SlotTrigger301] = 1;
    s[SlotTriggeredScan] = 1;
    s[SlotInternalClock] = 1;
    s[SlotExternalClock] = 1;
    s[SlotProgrammableGain] = 1;
    s[SlotProgrammableResolution] = 1;
    s[SlotContinuousTransfer] = 1;
    s[SlotSingleValues] = 1;
    s[SlotWrapRecycleDone] = 1;
    s[SlotNotifications] = 1;
    s[SlotPerChannelRanges] = 1;
    s[SlotLargestMultiscan] = 8;
    b.doubles = {480000.0, 10.0, 1000.0, 1.0, 100.0, 2.0, 7.9};
    return b;
}

// Counter/timer: gate types 500-504, counter modes 700-703 and 705 with edges 750 and 751,
// pulse types 600 and 601, internal clock, continuous transfer and single values.
inline TestBoard CounterBoard()
{
    TestBoard b;
    auto& s = b.slots;
    s[SlotChannelCount] = 1;
    s[SlotInternalClock] = 1;
    s[SlotContinuousTransfer] = 1;
    s[SlotSingleValues] = 1;
    for (int i = 0; i < 4; ++i)
        s[SlotCounterMode700 + i] = 1;
    s[SlotCounterMode705] = 0x3;  // edges 750 and 751
    s[SlotPulseType600] = 1;
    s[SlotPulseType601] = 1;
    for (int i = 0; i < 5; ++i)
        s[SlotGateType500 + i] = 1;
    b.doubles = {1000000.0, 0.1, 0.0, 0.0, 0.0, 0.0, 0.0};
    b.gains = {};
    b.rangeMinimum = {};
    b.rangeMaximum = {};
    return b;
}
