#include "qzdaapi32/driver_request.h"

#include <cstring>

const char* DriverIoctlName(uint32_t code)
{
    switch (code) {
#define QZ_IOCTL_NAME_ROW(value, name)                                                                                 \
    case value:                                                                                                        \
        return #name;
        QZ_IOCTL_TABLE(QZ_IOCTL_NAME_ROW)
#undef QZ_IOCTL_NAME_ROW
    default:
        return nullptr;
    }
}

uint32_t RequestGet32(const uint8_t* record, size_t size, size_t offset)
{
    if (record == nullptr || offset + 4 > size)
        return 0;
    return static_cast<uint32_t>(record[offset]) | static_cast<uint32_t>(record[offset + 1]) << 8 |
           static_cast<uint32_t>(record[offset + 2]) << 16 | static_cast<uint32_t>(record[offset + 3]) << 24;
}

uint16_t RequestGet16(const uint8_t* record, size_t size, size_t offset)
{
    if (record == nullptr || offset + 2 > size)
        return 0;
    return static_cast<uint16_t>(record[offset] | record[offset + 1] << 8);
}

void RequestPut32(uint8_t* record, size_t size, size_t offset, uint32_t value)
{
    if (record == nullptr || offset + 4 > size)
        return;
    for (size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void RequestPut16(uint8_t* record, size_t size, size_t offset, uint16_t value)
{
    if (record == nullptr || offset + 2 > size)
        return;
    record[offset] = static_cast<uint8_t>(value);
    record[offset + 1] = static_cast<uint8_t>(value >> 8);
}

DriverRequest NewDriverRequest(uint32_t type, uint32_t element)
{
    DriverRequest r;
    std::memset(r.bytes, 0, sizeof r.bytes);
    Put32(r, ReqType, type);
    Put32(r, ReqElement, element);
    return r;
}

void PutRequestGain(DriverRequest& r, double gain)
{
    const FixedPoint fixed = EncodeFixedPoint(gain);
    Put32(r, ArgGainFraction, fixed.fraction);
    Put32(r, ArgGainInteger, static_cast<uint32_t>(fixed.integer));
}

double GetRequestGain(const DriverRequest& r)
{
    FixedPoint fixed;
    fixed.fraction = Get32(r, ArgGainFraction);
    fixed.integer = static_cast<int32_t>(Get32(r, ArgGainInteger));
    return DecodeFixedPoint(fixed);
}

DriverRequest SetSingleValueRequest(uint32_t type, uint32_t element, const SingleValueArguments& a)
{
    DriverRequest r = NewDriverRequest(type, element);
    Put32(r, ArgChannel, a.channel);
    Put32(r, ArgValue, a.value);
    PutRequestGain(r, a.gain);
    return r;
}

DriverRequest GetSingleValueRequest(uint32_t type, uint32_t element, const SingleValueArguments& a)
{
    DriverRequest r = NewDriverRequest(type, element);
    Put32(r, ArgChannel, a.channel);
    PutRequestGain(r, a.gain);
    r.bytes[ArgExtendedFlag] = a.extended ? 1 : 0;
    return r;
}

SingleValueArguments ReadSingleValueArguments(const DriverRequest& r)
{
    SingleValueArguments a;
    a.channel = Get32(r, ArgChannel);
    a.value = Get32(r, ArgValue);
    a.gain = GetRequestGain(r);
    a.extended = r.bytes[ArgExtendedFlag] != 0;
    return a;
}

DriverRequest RegisterRequest(uint32_t type, uint32_t element, uint32_t reg, uint32_t value, uint32_t width)
{
    DriverRequest r = NewDriverRequest(type, element);
    Put32(r, ArgRegister, reg);
    Put32(r, ArgRegisterValue, value);
    Put32(r, ArgRegisterWidth, width);
    return r;
}

DriverRequest SetHardwareInfoRequest(const uint32_t (&words)[5], const uint8_t* block)
{
    DriverRequest r = NewDriverRequest(0, 0);
    for (size_t i = 0; i < 5; ++i)
        Put32(r, ArgHwInfoWords + 4 * i, words[i]);
    if (block != nullptr)
        std::memcpy(r.bytes + ArgHwInfoBlock, block, kHwInfoBlockBytes);
    return r;
}

HardwareInfo ReadHardwareInfo(const DriverRequest& r)
{
    HardwareInfo info;
    info.word = Get32(r, ArgHwInfoWord);
    info.half1 = RequestGet16(r.bytes, kRequestBytes, ArgHwInfoHalf1);
    info.half2 = RequestGet16(r.bytes, kRequestBytes, ArgHwInfoHalf2);
    info.half3 = RequestGet16(r.bytes, kRequestBytes, ArgHwInfoHalf3);
    info.word2 = Get32(r, ArgHwInfoWord2);
    info.word3 = Get32(r, ArgHwInfoWord3);
    std::memcpy(info.block, r.bytes + ArgHwInfoBlock, kHwInfoBlockBytes);
    return info;
}
