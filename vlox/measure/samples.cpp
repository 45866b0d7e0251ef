#include "vlox/measure/samples.h"

#include <cmath>

int32_t MakeSampleScale(double rangeMin, double rangeMax, int32_t resolution, int32_t singlePrecision,
                        SampleScale& scale)
{
    if (resolution < MinResolution || resolution > MaxResolution)
        return 0;
    if (singlePrecision) {
        rangeMin = static_cast<float>(rangeMin);
        rangeMax = static_cast<float>(rangeMax);
    }
    if (!std::isfinite(rangeMin) || !std::isfinite(rangeMax) || !(rangeMax > rangeMin))
        return 0;
    scale.Min = rangeMin;
    scale.Step = (rangeMax - rangeMin) / std::ldexp(1.0, resolution);
    return 1;
}

int32_t CodesToVolts(const uint16_t* codes, int32_t count, double rangeMin, double rangeMax, int32_t resolution,
                     double* volts)
{
    SampleScale scale;
    if (count < 0 || !MakeSampleScale(rangeMin, rangeMax, resolution, 0, scale))
        return 0;
    for (int32_t k = 0; k < count; ++k)
        volts[k] = CodeToVolts(scale, codes[k]);
    return 1;
}

int32_t WholeScanCount(const SampleBuffer& buffer)
{
    if (buffer.Samples == nullptr || buffer.Count < 4)
        return 0;
    return buffer.Count / 4 * 4;
}
