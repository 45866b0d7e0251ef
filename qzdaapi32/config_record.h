// The subsystem configuration record in the byte layout the kernel driver reads
// (little-endian), the capabilities the personality library supplies for a subsystem, the
// fixed-point form of real values in the record, and the defaults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Filled by the personality library for one subsystem: seven pointers, in this order (on the
// field computer a block of seven 32-bit words). Any of them may be null; a missing integer
// block reads as all slots 0, a missing table as no entries.
struct SubsystemCapabilities {
    const double* gains;               // integer slot 4 entries
    const double* rangeMinimumRows;    // row per channel of slot 5 entries; row 0 serves all
    const double* rangeMaximumRows;    // likewise
    const double* filters;             // slot 3 entries
    const double* resolutions;         // slot 10 entries, bits
    const int32_t* integerSlots;       // kCapabilitySlotCount slots
    const double* doubleCapabilities;  // seven values, see DoubleCapability
};

constexpr uint32_t kCapabilitySlotCount = 100;

// Integer capability slots that the library interprets.
enum CapabilitySlot : uint32_t {
    SlotChannelsType100 = 0,
    SlotChannelsType101 = 1,
    SlotChannelListCapacity = 2,
    SlotFilterCount = 3,
    SlotGainCount = 4,
    SlotRangeCount = 5,
    SlotDmaChannels = 6,
    SlotChannelCount = 7,
    SlotExtraClockSources = 8,
    SlotExtraTriggerSources = 9,
    SlotResolutionCount = 10,
    SlotChannelType100 = 12,
    SlotChannelType101 = 13,
    SlotEncoding200 = 14,
    SlotEncoding201 = 15,
    SlotTrigger300 = 16,
    SlotTrigger301 = 17,
    SlotTrigger1200 = 18,
    SlotTrigger1201 = 19,
    SlotTrigger303 = 20,
    SlotTrigger304 = 21,
    SlotTrigger305 = 22,
    SlotTriggeredScan = 23,
    SlotInternalClock = 24,
    SlotExternalClock = 25,
    SlotFiltersPerChannel = 29,
    SlotProgrammableGain = 32,
    SlotProgrammableResolution = 34,
    SlotContinuousTransfer = 35,
    SlotSingleValues = 36,
    SlotPauseContinue = 37,
    SlotWrapRecycleDone = 38,
    SlotWrapRequeueEach = 39,
    SlotNotifications = 40,
    SlotCascading = 41,
    SlotCounterMode700 = 42,  // 42-45: counter modes 700-703
    SlotLargestSyncDioValue = 46,
    SlotChannelInhibit = 49,
    SlotSynchronousDio = 50,
    SlotSimultaneousStart = 51,
    SlotFlushInProcess = 52,
    SlotPerChannelRanges = 53,
    SlotReadAllChannels = 54,
    SlotPulseType600 = 61,
    SlotPulseType601 = 62,
    SlotGateType500 = 63,  // 63-73: gate types 500-510
    SlotRetriggerMode1300 = 74,
    SlotRetriggerMode1301 = 75,
    SlotLargestMultiscan = 76,
    SlotDataFlow804 = 77,
    SlotDataFlow805 = 78,
    SlotRetriggerMode1302 = 80,
    SlotExtraSingleValueChannel = 81,
    SlotCounterMode704 = 83,
    SlotCounterMode705 = 84,  // also the allowed counter edges, bit 0 edge 750 to bit 3 edge 753
    SlotPulseWidthFixed = 88,
    SlotQuadratureDecoder = 89,
    SlotCounterMode706 = 90,
    SlotExtendedSingleValue = 94,
    SlotReadAllChannels2 = 99,
};

enum DoubleCapability : uint32_t {
    DoubleMaxClockFrequency = 0,
    DoubleMinClockFrequency = 1,
    DoubleMaxRetriggerFrequency = 2,
    DoubleMinRetriggerFrequency = 3,
    DoubleMaxExtClockDivider = 4,
    DoubleMinExtClockDivider = 5,
    DoubleClockParameter = 6,
};
constexpr uint32_t kDoubleCapabilityCount = 7;

// Slot n, 0 when the block is missing or n is beyond it. Counts are read as unsigned.
uint32_t CapabilitySlotValue(const SubsystemCapabilities& caps, uint32_t slot);
double DoubleCapabilityValue(const SubsystemCapabilities& caps, uint32_t index);

// Byte offsets of the record's fields. Fixed-point fields are a fraction word followed by an
// integer part.
enum ConfigOffset : size_t {
    CfgSubsystemType = 0,
    CfgElement = 4,
    CfgState = 8,
    CfgDriverStatus = 12,
    CfgFirstDma = 16,
    CfgSecondDma = 17,
    CfgTriggeredScan = 18,
    CfgSynchronousDio = 19,
    CfgChannelListSize = 20,
    CfgChannelCount = 22,
    CfgChannelType = 24,
    CfgEncoding = 26,
    CfgResolution = 28,
    CfgWrapMode = 30,
    CfgDataFlow = 32,
    CfgClockSource = 34,
    CfgClockForm = 36,  // 1: the float at CfgClockFloat is the valid value
    CfgClockParameter = 40,
    CfgExtClockDivider = 44,
    CfgClockFloat = 48,
    CfgClockFixed = 56,
    CfgTriggerSource = 64,
    CfgRetriggerMode = 66,
    CfgRetriggerForm = 68,
    CfgPretriggerSource = 70,
    CfgMultiscanCount = 72,
    CfgRetriggerSource = 74,
    CfgRetriggerFloat = 76,
    CfgRetriggerFixed = 80,
    CfgRangeMinimum = 88,  // channel 0 (and the subsystem), channel 1 at +8
    CfgRangeMaximum = 104,
    CfgQuadScaling = 242,
    CfgQuadFlag = 245,
    CfgQuadIndexMode = 246,
    CfgGateType = 248,
    CfgPulseType = 250,
    CfgPulseWidth = 252,
    CfgCounterMode = 254,
    CfgCascadeMode = 258,
    CfgFrequencyWindow = 260,
    CfgFrequencyDuration = 264,
    CfgFrequencySubsystem = 272,
    CfgSpecialVpiMode = 276,
    CfgStartEdge = 284,
    CfgStopEdge = 286,
    CfgChannelList = 296,
};
constexpr size_t kConfigFixedBytes = 320;

// One ChannelListEntry of 24 bytes.
enum ChannelEntryOffset : size_t {
    EntryChannel = 0,
    EntryGain = 8,
    EntryInhibit = 16,
    EntrySyncDioValue = 18,
};
constexpr size_t kChannelEntryBytes = 24;
// The driver's layout, the same in the 32- and the 64-bit build: the window and subsystem
// words at 260 and 272 stay 32-bit (see frequency_win.cpp).
static_assert(kConfigFixedBytes == 320 && CfgChannelList + kChannelEntryBytes <= kConfigFixedBytes &&
                  CfgFrequencySubsystem + 4 <= CfgSpecialVpiMode && EntrySyncDioValue + 2 <= kChannelEntryBytes,
              "configuration record layout");

// Channels whose ranges the record holds at 8-byte steps from CfgRangeMinimum and
// CfgRangeMaximum without the two rows overlapping.
constexpr uint32_t kRecordRangeChannels = 2;

using ConfigRecord = std::vector<uint8_t>;

// Little-endian access. Offsets beyond the record read 0 and are not written.
uint8_t Get8(const ConfigRecord& record, size_t offset);
uint16_t Get16(const ConfigRecord& record, size_t offset);
uint32_t Get32(const ConfigRecord& record, size_t offset);
float GetFloat(const ConfigRecord& record, size_t offset);
double GetDouble(const ConfigRecord& record, size_t offset);
void Put8(ConfigRecord& record, size_t offset, uint8_t value);
void Put16(ConfigRecord& record, size_t offset, uint16_t value);
void Put32(ConfigRecord& record, size_t offset, uint32_t value);
void PutFloat(ConfigRecord& record, size_t offset, float value);
void PutDouble(ConfigRecord& record, size_t offset, double value);

// Fixed point: integer part truncated toward zero, and a fraction word
// truncate((value - integer part) x 4294967295) computed in 64 bits and kept as its 32-bit
// pattern. A value reads back as integer part + fraction / 4294967295, the fraction taking
// the sign of the integer part, to within one step (2.3e-10); 0.6 comes back exactly. The
// word has no sign bit of its own, so values between -1 and 0 read back positive. NaN
// encodes as 0; the integer part saturates at the 32-bit limits.
struct FixedPoint {
    int32_t integer;
    uint32_t fraction;
    bool operator==(const FixedPoint& other) const = default;
};
constexpr double kFixedPointScale = 4294967295.0;
FixedPoint EncodeFixedPoint(double value);
double DecodeFixedPoint(FixedPoint value);
FixedPoint GetFixed(const ConfigRecord& record, size_t offset);
void PutFixed(ConfigRecord& record, size_t offset, FixedPoint value);

// The value rounded to a double. The 32-bit x86 build computes in the x87 unit's extended
// precision; rounding each step where a result is truncated makes both builds agree.
double RoundedToDouble(double value);

// A double truncated toward zero into 32 bits, saturating (NaN gives 0).
int32_t TruncateToInt32(double value);
// A double as a 32-bit float, saturating at the float's largest finite values.
float ToFloat(double value);

// Size in bytes of the record allocated for a subsystem, 320 + 24 x n, with n the larger of
// the channel-list capacity and m (slot 7 when slots 3 and 29 are both set, else slot 3);
// 0 when n is beyond kMaxChannelEntries.
constexpr uint32_t kMaxChannelEntries = 4096;
uint32_t ConfigurationRecordSize(const SubsystemCapabilities& caps);
// Bytes the configure request sends: 320 + 24 x the channel-list capacity.
uint32_t ConfigureRequestSize(const SubsystemCapabilities& caps);
// Entries the allocated record holds.
uint32_t ChannelEntryCapacity(const ConfigRecord& record);
size_t ChannelEntryOffset(uint32_t entry, size_t field);

// Index of the table entry nearest to value (smallest absolute difference, the first of
// equal ones); 0 for a table of 0 or 1 entries or a NaN value.
uint32_t FindNearestValue(const double* table, uint32_t count, double value);

// Writes every default into record (which must hold ConfigurationRecordSize bytes):
// the named fields, the channel-list entries up to the channel-list capacity, state 1001.
// Type, element and reserved bytes are left as they are.
void SetDefaultConfiguration(const SubsystemCapabilities& caps, ConfigRecord& record);
