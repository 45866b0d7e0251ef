#include "vlox/measure/acquisition_counts.h"

#include "vlox/settings/settings.h"

#include <cmath>
#include <limits>

int32_t ChannelCount = ScanChannelCount;
int32_t SampleRate = 0;
double SamplePeriodUs = 0.0;
int32_t SamplesPerPeriod = 0;
int32_t ScansPerPeriod = 0;
int32_t SyncSkip = 0;

double CappedClockFrequency(double maxClockFrequency)
{
    return maxClockFrequency > AnalogClockCap ? AnalogClockCap : maxClockFrequency;
}

int32_t DeriveAcquisitionCounts(double clockFrequency, double repetitionRate, double totalTurnOffDelay,
                                AcquisitionCounts& out)
{
    constexpr double int32Max = static_cast<double>(std::numeric_limits<int32_t>::max());
    if (!(clockFrequency >= ScanChannelCount) || !(clockFrequency < int32Max))
        return 0;
    if (!(repetitionRate > 0.0) || !std::isfinite(repetitionRate))
        return 0;

    AcquisitionCounts c;
    c.ChannelCount = ScanChannelCount;
    c.SampleRate = static_cast<int32_t>(clockFrequency);
    c.SamplePeriodUs = (1000.0 / c.SampleRate) * 1000.0;
    // Whole scans per second: the rate divided by the channels, truncated.
    const double perPeriod =
        (c.ChannelCount * (c.SampleRate / c.ChannelCount)) / repetitionRate;  // NOLINT(bugprone-integer-division)
    // Periods of more than a few hundred million scans would overflow the sample indexes.
    if (!(perPeriod < int32Max / 8))
        return 0;
    c.SamplesPerPeriod = static_cast<int32_t>(perPeriod);
    c.ScansPerPeriod = c.SamplesPerPeriod / 4;
    c.SyncSkip = static_cast<int32_t>(c.ScansPerPeriod * 0.2) / 4 * 4;
    if (c.SyncSkip < 4)
        c.SyncSkip = 4;
    c.SyncStep = c.SyncSkip;
    c.GateSampleOffset = 0;
    if (totalTurnOffDelay < 0.0) {
        const double period = c.SamplePeriodUs > 0.0 ? c.SamplePeriodUs : FallbackSamplePeriodUs;
        const double offset = -totalTurnOffDelay / period + 0.5;
        c.GateSampleOffset = offset < c.ScansPerPeriod ? static_cast<int32_t>(offset) : c.ScansPerPeriod;
    }
    out = c;
    return 1;
}

void PublishAcquisitionCounts(const AcquisitionCounts& counts)
{
    ChannelCount = counts.ChannelCount;
    SampleRate = counts.SampleRate;
    SamplePeriodUs = counts.SamplePeriodUs;
    SamplesPerPeriod = counts.SamplesPerPeriod;
    ScansPerPeriod = counts.ScansPerPeriod;
    SyncSkip = counts.SyncSkip;
    GateSampleOffset = counts.GateSampleOffset;
}
