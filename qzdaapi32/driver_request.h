// The kernel driver's interface: the I/O control codes and the 336-byte record that every
// synchronous request passes in and out in one buffer. The library writes the requests; the
// simulated driver (standins/qzdrvsim) reads them with the same layouts.
#pragma once

#include "qzdaapi32/config_record.h"

#include <cstddef>
#include <cstdint>

// Device type 0x22, buffered, any access; the function numbers run from 0x902.
constexpr uint32_t QzIoctl(uint32_t function, uint32_t method = 0)
{
    return (0x22u << 16) | (function << 2) | method;
}

// clang-format off
#define QZ_IOCTL_TABLE(QZ_IOCTL_ROW) \
    QZ_IOCTL_ROW(0x222408, QZIOCTL_READEVENTS) \
    QZ_IOCTL_ROW(0x22240C, QZIOCTL_SETSINGLEVALUE) \
    QZ_IOCTL_ROW(0x222410, QZIOCTL_GETSINGLEVALUE) \
    QZ_IOCTL_ROW(0x222414, QZIOCTL_CONFIG) \
    QZ_IOCTL_ROW(0x222418, QZIOCTL_START) \
    QZ_IOCTL_ROW(0x22241C, QZIOCTL_STOP) \
    QZ_IOCTL_ROW(0x222420, QZIOCTL_PAUSE) \
    QZ_IOCTL_ROW(0x222424, QZIOCTL_CONTINUE) \
    QZ_IOCTL_ROW(0x222428, QZIOCTL_RESET) \
    QZ_IOCTL_ROW(0x22242C, QZIOCTL_ABORT) \
    QZ_IOCTL_ROW(0x222434, QZIOCTL_PRESTART) \
    QZ_IOCTL_ROW(0x222438, QZIOCTL_SIMULSTART) \
    QZ_IOCTL_ROW(0x22243C, QZIOCTL_WRITEREG) \
    QZ_IOCTL_ROW(0x222440, QZIOCTL_READREG) \
    QZ_IOCTL_ROW(0x222444, QZIOCTL_SETHWINFO) \
    QZ_IOCTL_ROW(0x222448, QZIOCTL_GETHWINFO) \
    QZ_IOCTL_ROW(0x22244C, QZIOCTL_WAITMESSAGE) \
    QZ_IOCTL_ROW(0x222452, QZIOCTL_FLUSHINPROCESS) \
    QZ_IOCTL_ROW(0x222464, QZIOCTL_WRITECALPOT) \
    QZ_IOCTL_ROW(0x222468, QZIOCTL_READCALPOT) \
    QZ_IOCTL_ROW(0x22246C, QZIOCTL_GETSINGLEVALUES)
// clang-format on

// NOLINTNEXTLINE(bugprone-macro-parentheses): the argument is an enumerator's name
#define QZ_IOCTL_ENUM_ROW(code, name) name = code,
enum : uint32_t { QZ_IOCTL_TABLE(QZ_IOCTL_ENUM_ROW) };
#undef QZ_IOCTL_ENUM_ROW

// The name of a code ("QZIOCTL_START"), or null for a code that is not the driver's.
const char* DriverIoctlName(uint32_t code);

// The record.
constexpr uint32_t kRequestBytes = 336;
enum DriverRequestOffset : size_t {
    ReqType = 0,  // subsystem type 0-5
    ReqElement = 4,
    ReqReserved = 8,
    ReqStatus = 12,  // written by the driver: 0 or a library error code
    ReqArguments = 16,
};

// Argument offsets of the requests.
enum DriverArgumentOffset : size_t {
    ArgEventCount = 16,    // read events, out
    ArgChannel = 16,       // single values
    ArgValue = 20,         // single values, in (set) or out (get)
    ArgGainFraction = 24,  // single values: the gain as fixed point
    ArgGainInteger = 28,
    ArgExtendedFlag = 32,  // get single value: one byte
    ArgSingleValues = 24,  // get single values, out: one 32-bit value per channel
    ArgRegister = 16,      // registers
    ArgRegisterValue = 20,
    ArgRegisterWidth = 24,
    ArgCalPotWords = 16,  // write: four words 16-28; read: three words 16-24
    ArgCalPotValue = 28,  // read, out
    ArgHwInfoWords = 16,  // set: five words 16-32
    ArgHwInfoWord = 16,   // get: a 32-bit word,
    ArgHwInfoHalf1 = 20,  //      three 16-bit words,
    ArgHwInfoHalf2 = 22,
    ArgHwInfoHalf3 = 24,
    ArgHwInfoWord2 = 28,  //      two more 32-bit words
    ArgHwInfoWord3 = 32,
    ArgHwInfoBlock = 36,  // 128 bytes, both directions
    ArgMessageCode = 16,  // wait for a message, out
    ArgMessageValue = 20,
};
constexpr size_t kHwInfoBlockBytes = 128;

// Driver messages, answered to a wait-for-message request.
enum : uint32_t {
    DriverMessageStopped = 3,
    DriverMessageTrigger = 4,
    DriverMessageEvent = 5,
    DriverMessageBufferReused = 6,
    DriverMessageCounterEvent = 7,
    DriverMessageEvent8 = 8,
    DriverMessageOverrun = 0x80000001u,
    DriverMessageError2 = 0x80000002u,
    DriverMessageError3 = 0x80000003u,
    DriverMessageError4 = 0x80000004u,
};

// One request in its driver layout.
struct DriverRequest {
    uint8_t bytes[kRequestBytes];
};
// The driver's layout, the same in the 32- and the 64-bit build.
static_assert(sizeof(DriverRequest) == 336 && ArgHwInfoBlock + kHwInfoBlockBytes <= kRequestBytes,
              "driver request layout");

// Little-endian access within a record of `size` bytes; offsets beyond it read 0 and are not
// written.
uint32_t RequestGet32(const uint8_t* record, size_t size, size_t offset);
uint16_t RequestGet16(const uint8_t* record, size_t size, size_t offset);
void RequestPut32(uint8_t* record, size_t size, size_t offset, uint32_t value);
void RequestPut16(uint8_t* record, size_t size, size_t offset, uint16_t value);

inline uint32_t Get32(const DriverRequest& r, size_t offset)
{
    return RequestGet32(r.bytes, kRequestBytes, offset);
}
inline void Put32(DriverRequest& r, size_t offset, uint32_t value)
{
    RequestPut32(r.bytes, kRequestBytes, offset, value);
}

// A zeroed request with the header of a subsystem (or type and element 0 for the device).
DriverRequest NewDriverRequest(uint32_t type, uint32_t element);

// Gains travel as fixed point (fraction word, integer part).
void PutRequestGain(DriverRequest& r, double gain);
double GetRequestGain(const DriverRequest& r);

// What the requests carry after the header.
struct SingleValueArguments {
    uint32_t channel = 0;
    uint32_t value = 0;
    double gain = 1.0;
    bool extended = false;
};
DriverRequest SetSingleValueRequest(uint32_t type, uint32_t element, const SingleValueArguments& a);
DriverRequest GetSingleValueRequest(uint32_t type, uint32_t element, const SingleValueArguments& a);
SingleValueArguments ReadSingleValueArguments(const DriverRequest& r);

DriverRequest RegisterRequest(uint32_t type, uint32_t element, uint32_t reg, uint32_t value, uint32_t width);

struct HardwareInfo {
    uint32_t word = 0;
    uint16_t half1 = 0, half2 = 0, half3 = 0;
    uint32_t word2 = 0, word3 = 0;
    uint8_t block[kHwInfoBlockBytes] = {};
};
// The set request: five words from offset 16 and the block (zero when none is given).
DriverRequest SetHardwareInfoRequest(const uint32_t (&words)[5], const uint8_t* block);
HardwareInfo ReadHardwareInfo(const DriverRequest& r);
