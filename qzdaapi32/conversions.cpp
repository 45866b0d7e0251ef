#include "qzdaapi32/conversions.h"

#include "qzdaapi32/config_record.h"

#include <cmath>

QZSTATUS CheckConversion(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding)
{
    if (resolution < 1 || resolution > 32)
        return QZERR_INVALID_RESOLUTION;
    if (encoding != EncodingStraightBinary && encoding != EncodingTwosComplement)
        return QZERR_INVALID_ENCODING;
    if (!(minimum < maximum) || !std::isfinite(maximum - minimum))
        return QZERR_INVALID_RANGE;
    if (!(gain > 0.0))
        return QZERR_INVALID_GAIN;
    return QZERR_NO_ERROR;
}

QZSTATUS CodeToVolts(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding, uint32_t code,
                     double* volts)
{
    QZSTATUS status = CheckConversion(minimum, maximum, gain, resolution, encoding);
    if (status != QZERR_NO_ERROR)
        return status;
    double span = maximum - minimum;
    double steps = std::ldexp(1.0, static_cast<int>(resolution));
    double result;
    if (encoding == EncodingStraightBinary) {
        result = (minimum + static_cast<double>(code) * span / steps) / gain;
    } else {
        // The low `resolution` bits, with the top one of them as the sign.
        uint64_t mask = (uint64_t{1} << resolution) - 1;
        uint64_t bits = code & mask;
        int64_t c = static_cast<int64_t>(bits);
        if ((bits >> (resolution - 1)) & 1)
            c -= static_cast<int64_t>(uint64_t{1} << resolution);
        result = ((minimum + maximum) / 2.0 + static_cast<double>(c) * span / steps) / gain;
    }
    if (volts != nullptr)
        *volts = result;
    return QZERR_NO_ERROR;
}

QZSTATUS VoltsToCode(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding, double volts,
                     uint32_t* code)
{
    QZSTATUS status = CheckConversion(minimum, maximum, gain, resolution, encoding);
    if (status != QZERR_NO_ERROR)
        return status;
    if (std::isnan(volts))
        return QZERR_INVALID_RANGE;
    const auto r = RoundedToDouble;
    double x = r(volts / gain);
    double span = r(maximum - minimum);
    double steps = std::ldexp(1.0, static_cast<int>(resolution));
    // Out-of-range doubles saturate rather than reach an undefined conversion. Codes below
    // the range keep their negative pattern; straight binary may use all 32 bits above it.
    double value;
    double highest;
    if (encoding == EncodingStraightBinary) {
        value = std::trunc(r(r(r(x - minimum) / span) * steps));
        highest = 4294967295.0;
    } else {
        double middle = r(r(minimum + maximum) / 2.0);
        value = std::trunc(r(r(r(r(x - middle) / r(span / 2.0)) * steps) / 2.0));
        highest = 2147483647.0;
    }
    if (std::isnan(value))
        return QZERR_INVALID_RANGE;
    uint32_t result;
    if (value >= highest)
        result = static_cast<uint32_t>(highest);
    else if (value <= -2147483648.0)
        result = 0x80000000u;
    else if (value < 0.0)
        result = static_cast<uint32_t>(static_cast<int32_t>(value));
    else
        result = static_cast<uint32_t>(value);
    if (code != nullptr)
        *code = result;
    return QZERR_NO_ERROR;
}

uint32_t CopySingleValues(const uint8_t* request, uint32_t channels, uint32_t* out)
{
    uint32_t count = channels < kMaxSingleValues ? channels : kMaxSingleValues;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p = request + kSingleValuesOffset + 4 * i;
        out[i] = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }
    return count;
}
