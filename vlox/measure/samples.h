// Reading the board's sample codes as volts: straight binary, volts = range minimum +
// code x (range maximum - range minimum) / 2^resolution, with the range and resolution read
// for every buffer. Sample k of a buffer belongs to channel k mod 4.
#pragma once

#include <cstdint>

// One completed buffer as the cycle sees it: the samples in place, the number of valid
// samples and the input range and resolution that the board reported for it.
struct SampleBuffer {
    const uint16_t* Samples = nullptr;
    int32_t Count = 0;
    double RangeMin = 0.0;           // volts
    double RangeMax = 0.0;           // volts
    int32_t Resolution = 0;          // bits
    int32_t FollowsLostSamples = 0;  // 1: samples of the stream were lost before the first
};

// Offset and step of the conversion. The level search uses the range as doubles; the edge
// search, the start walk and the integration use it rounded to single precision first.
struct SampleScale {
    double Min = 0.0;
    double Step = 0.0;
};

// Resolutions the conversion accepts, bits.
constexpr int32_t MinResolution = 1;
constexpr int32_t MaxResolution = 16;

// Fills the scale from a range and resolution. singlePrecision rounds both ends to float
// first. Returns 1, or 0 (scale untouched) when the resolution is outside 1..16 or the range
// is not two finite numbers with maximum above minimum.
int32_t MakeSampleScale(double rangeMin, double rangeMax, int32_t resolution, int32_t singlePrecision,
                        SampleScale& scale);

inline double CodeToVolts(const SampleScale& scale, uint16_t code)
{
    return scale.Step * code + scale.Min;
}

// Converts count codes into volts (double precision range). Returns 1, or 0 without
// writing when the range or resolution is refused or count is negative.
int32_t CodesToVolts(const uint16_t* codes, int32_t count, double rangeMin, double rangeMax, int32_t resolution,
                     double* volts);

// The samples of a buffer that the cycle reads: whole scans only (a trailing part scan is
// left alone), 0 for a buffer without samples.
int32_t WholeScanCount(const SampleBuffer& buffer);
