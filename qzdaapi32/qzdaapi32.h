// qzdaapi32: the board access library. Public header for the main program: handles, error
// codes, notification messages, the values the callers pass, and the 126 exports.
//
// Every export uses the standard Windows calling convention, takes doubles by value and
// returns an error code (QZERR_NO_ERROR, 0, on success) except qzDaGetErrorString. Handles are
// checked first: a device handle that is not open gives QZERR_INVALID_DEVICE_HANDLE (39), a
// subsystem handle QZERR_INVALID_SUBSYSTEM_HANDLE (40), a simultaneous-start list
// QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED (102). Getters write their out-values
// only on success.
//
// The header is portable (no windows.h), so that portable code can use the codes and values;
// QzWindowHandle is the same type as HWND on Windows.
#pragma once

#include "qzdaapi32/qzda_errors.h"
#include "standins/qzmem32/qzmem32.h"

#include <cstdint>

#ifdef _WIN32
#define QZDA_CALL __stdcall
#else
#define QZDA_CALL
#endif

typedef uint32_t QZSTATUS;

// NOLINTNEXTLINE(bugprone-macro-parentheses): the argument is an enumerator's name
#define QZ_ERROR_ENUM_ROW(code, name, text) name = code,
enum : QZSTATUS { QZ_ERROR_TABLE(QZ_ERROR_ENUM_ROW) };
#undef QZ_ERROR_ENUM_ROW

// Handles: an open board, one of its subsystems, a list of subsystems that start together.
typedef struct DeviceRecord* DeviceHandle;
typedef struct SubsystemRecord* SubsystemHandle;
typedef struct SimultaneousStartList* SimultaneousStartListHandle;
struct HWND__;
typedef struct HWND__* QzWindowHandle;

// Notification messages, posted to the window named by qzDaSetWndHandle with the subsystem
// handle as wParam (WM_USER + 100 to WM_USER + 114).
enum : uint32_t {
    QZMSG_DRIVER_ERROR4 = 1124,
    QZMSG_DRIVER_ERROR2 = 1125,
    QZMSG_DRIVER_ERROR1 = 1126,
    QZMSG_BUFFER_DONE = 1127,
    QZMSG_QUEUE_DONE = 1128,
    QZMSG_BUFFER_REUSED = 1129,
    QZMSG_IO_COMPLETE = 1130,
    QZMSG_DRIVER_ERROR3 = 1131,
    QZMSG_FREQUENCY = 1132,
    QZMSG_DRIVER_EVENT = 1135,
    QZMSG_PRETRIGGER_BUFFER_DONE = 1136,
    QZMSG_DRIVER_STOPPED = 1137,
    QZMSG_DRIVER_EVENT8 = 1138,
};

// Subsystem types (qzDaGetDASS, qzDaGetDevCaps; -1 counts all types).
enum : uint32_t {
    SubsystemTypeAD = 0,
    SubsystemTypeDA = 1,
    SubsystemTypeDIN = 2,
    SubsystemTypeDOUT = 3,
    SubsystemTypeSRL = 4,
    SubsystemTypeCT = 5,
};
constexpr int32_t SubsystemTypeAll = -1;

// SubsystemState: 1001 means changed since the last configure; above 1004 counts as active.
enum : uint32_t {
    SubsystemStateAllocated = 1000,
    SubsystemStateChanged = 1001,
    SubsystemStateConfiguredSingle = 1002,
    SubsystemStateConfigured = 1004,
    SubsystemStateRunning = 1005,
    SubsystemStatePaused = 1007,
    SubsystemStatePrestarted = 1008,
    SubsystemStateDriverEvent = 1009,
};

// Values of the set/get family.
enum : uint32_t {
    ChannelType100 = 100,
    ChannelType101 = 101,
    EncodingStraightBinary = 200,
    EncodingTwosComplement = 201,
    TriggerSource300 = 300,
    TriggerSource301 = 301,
    TriggerSource303 = 303,
    TriggerSource304 = 304,
    TriggerSource305 = 305,
    TriggerExtra1 = 306,  // the first extra trigger source
    TriggerSource1200 = 1200,
    TriggerSource1201 = 1201,
    ClockInternal = 400,
    ClockExternal = 401,
    GateType500 = 500,  // gate types run 500 to 510
    PulseType600 = 600,
    PulseType601 = 601,
    CounterMode700 = 700,  // counter modes run 700 to 706
    CounterEdge750 = 750,  // counter edges run 750 to 753
    DataFlowContinuous = 800,
    DataFlowSingleValue = 801,
    DataFlowPretrigger = 804,
    DataFlowPrePostTrigger = 805,
    CascadeModeCascaded = 900,
    CascadeModeSingle = 901,
    WrapStopWhenDone = 1000,
    WrapRecycleDone = 1001,
    WrapRequeueEach = 1002,
    QueueReady = 1100,
    QueueDone = 1101,
    QueueInProcess = 1102,
    RetriggerMode1300 = 1300,
    RetriggerMode1301 = 1301,
    RetriggerMode1302 = 1302,
    QuadIndexMode1400 = 1400,  // index modes run 1400 to 1402
};

// Capability indexes of qzDaGetSSCaps / qzDaGetSSCapsEx: 0-60 and 73-101 are the integer
// capability slots (73-101 read slots 61-89), 61-72 the doubles below.
enum : uint32_t {
    CapMaxClockFrequency = 61,
    CapMinClockFrequency = 62,
    CapMaxRetriggerFrequency = 63,
    CapMinRetriggerFrequency = 64,
    CapMaxExtClockDivider = 65,
    CapMinExtClockDivider = 66,
    CapClockParameter = 67,
    CapRangeMinimum = 68,
    CapRangeMaximum = 69,
    CapFilter = 70,
    CapGain = 71,
    CapResolution = 72,
};

// Kinds of qzDaEnumSSCaps.
enum : uint32_t {
    CapKindFilters = 100,
    CapKindRanges = 101,
    CapKindGains = 102,
    CapKindResolutions = 103,
};

// qzDaGetDASSInfo's record.
struct QzDassInfo {
    DeviceHandle device;
    uint32_t type;
    uint32_t element;
};
// The one public record with a pointer in it: 12 bytes in the 32-bit build, 16 in the 64-bit.
static_assert(sizeof(QzDassInfo) == (sizeof(void*) == 8 ? 16 : 12), "QzDassInfo layout");

// Callbacks. A nonzero answer of an enumeration callback goes on, zero stops.
typedef void(QZDA_CALL* QzNotifyProc)(uint32_t message, SubsystemHandle subsystem, intptr_t lParam);
typedef int32_t(QZDA_CALL* QzEnumBoardsProc)(const char* boardName, const char* driverName, intptr_t userData);
typedef int32_t(QZDA_CALL* QzEnumBoardsExProc)(const char* boardName, const char* driverName, void* boardKey,
                                               intptr_t userData);
typedef int32_t(QZDA_CALL* QzEnumSubsystemsProc)(const char* name, uint32_t type, uint32_t element, intptr_t userData);
typedef int32_t(QZDA_CALL* QzEnumCapsProc)(uint32_t kind, double first, double second, intptr_t userData);
typedef int32_t(QZDA_CALL* QzEnumSSListProc)(SimultaneousStartListHandle list, SubsystemHandle subsystem,
                                             intptr_t userData);

extern "C" {

// Devices and subsystems.
QZSTATUS QZDA_CALL qzDaInitialize(const char* boardName, DeviceHandle* device);
QZSTATUS QZDA_CALL qzDaTerminate(DeviceHandle device);
QZSTATUS QZDA_CALL qzDaGetDASS(DeviceHandle device, uint32_t type, uint32_t element, SubsystemHandle* subsystem);
QZSTATUS QZDA_CALL qzDaReleaseDASS(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaGetDeviceName(DeviceHandle device, char* buffer, uint32_t size);
QZSTATUS QZDA_CALL qzDaGetDASSInfo(SubsystemHandle subsystem, QzDassInfo* info);
QZSTATUS QZDA_CALL qzDaGetDevCaps(DeviceHandle device, int32_t type, uint32_t* count);
QZSTATUS QZDA_CALL qzDaGetSSCaps(SubsystemHandle subsystem, uint32_t index, uint32_t* value);
QZSTATUS QZDA_CALL qzDaGetSSCapsEx(SubsystemHandle subsystem, uint32_t index, double* value);
QZSTATUS QZDA_CALL qzDaEnumSubSystems(DeviceHandle device, QzEnumSubsystemsProc callback, intptr_t userData);
QZSTATUS QZDA_CALL qzDaEnumSSCaps(SubsystemHandle subsystem, uint32_t kind, QzEnumCapsProc callback, intptr_t userData);
QZSTATUS QZDA_CALL qzDaEnumBoards(QzEnumBoardsProc callback, intptr_t userData);
QZSTATUS QZDA_CALL qzDaEnumBoardsEx(QzEnumBoardsExProc callback, intptr_t userData);
QZSTATUS QZDA_CALL qzDaModifyQuenzorBoardName(const char* oldName, const char* newName);
QZSTATUS QZDA_CALL qzDaGetBoardInfo(const char* boardName, char* driverName, char* modelName, uint32_t size,
                                    uint32_t* instanceNumber);

// Set/get family.
QZSTATUS QZDA_CALL qzDaSetDmaUsage(SubsystemHandle subsystem, uint32_t channels);
QZSTATUS QZDA_CALL qzDaGetDmaUsage(SubsystemHandle subsystem, uint32_t* channels);
QZSTATUS QZDA_CALL qzDaSetTriggeredScanUsage(SubsystemHandle subsystem, uint32_t flag);
QZSTATUS QZDA_CALL qzDaGetTriggeredScanUsage(SubsystemHandle subsystem, uint32_t* flag);
QZSTATUS QZDA_CALL qzDaSetChannelListSize(SubsystemHandle subsystem, uint32_t size);
QZSTATUS QZDA_CALL qzDaGetChannelListSize(SubsystemHandle subsystem, uint32_t* size);
QZSTATUS QZDA_CALL qzDaSetChannelListEntry(SubsystemHandle subsystem, uint32_t entry, uint32_t channel);
QZSTATUS QZDA_CALL qzDaGetChannelListEntry(SubsystemHandle subsystem, uint32_t entry, uint32_t* channel);
QZSTATUS QZDA_CALL qzDaSetGainListEntry(SubsystemHandle subsystem, uint32_t entry, double gain);
QZSTATUS QZDA_CALL qzDaGetGainListEntry(SubsystemHandle subsystem, uint32_t entry, double* gain);
QZSTATUS QZDA_CALL qzDaSetChannelFilter(SubsystemHandle subsystem, uint32_t entry, double filter);
QZSTATUS QZDA_CALL qzDaGetChannelFilter(SubsystemHandle subsystem, uint32_t entry, double* filter);
QZSTATUS QZDA_CALL qzDaSetRange(SubsystemHandle subsystem, double maximum, double minimum);
QZSTATUS QZDA_CALL qzDaGetRange(SubsystemHandle subsystem, double* maximum, double* minimum);
QZSTATUS QZDA_CALL qzDaSetChannelType(SubsystemHandle subsystem, uint32_t type);
QZSTATUS QZDA_CALL qzDaGetChannelType(SubsystemHandle subsystem, uint32_t* type);
QZSTATUS QZDA_CALL qzDaSetEncoding(SubsystemHandle subsystem, uint32_t encoding);
QZSTATUS QZDA_CALL qzDaGetEncoding(SubsystemHandle subsystem, uint32_t* encoding);
QZSTATUS QZDA_CALL qzDaSetTrigger(SubsystemHandle subsystem, uint32_t source);
QZSTATUS QZDA_CALL qzDaGetTrigger(SubsystemHandle subsystem, uint32_t* source);
QZSTATUS QZDA_CALL qzDaSetResolution(SubsystemHandle subsystem, uint32_t bits);
QZSTATUS QZDA_CALL qzDaGetResolution(SubsystemHandle subsystem, uint32_t* bits);
QZSTATUS QZDA_CALL qzDaSetClockSource(SubsystemHandle subsystem, uint32_t source);
QZSTATUS QZDA_CALL qzDaGetClockSource(SubsystemHandle subsystem, uint32_t* source);
QZSTATUS QZDA_CALL qzDaSetClockFrequency(SubsystemHandle subsystem, double hertz);
QZSTATUS QZDA_CALL qzDaGetClockFrequency(SubsystemHandle subsystem, double* hertz);
QZSTATUS QZDA_CALL qzDaSetRetriggerFrequency(SubsystemHandle subsystem, double hertz);
QZSTATUS QZDA_CALL qzDaGetRetriggerFrequency(SubsystemHandle subsystem, double* hertz);
QZSTATUS QZDA_CALL qzDaSetExternalClockDivider(SubsystemHandle subsystem, uint32_t divider);
QZSTATUS QZDA_CALL qzDaGetExternalClockDivider(SubsystemHandle subsystem, uint32_t* divider);
QZSTATUS QZDA_CALL qzDaSetGateType(SubsystemHandle subsystem, uint32_t gateType);
QZSTATUS QZDA_CALL qzDaGetGateType(SubsystemHandle subsystem, uint32_t* gateType);
QZSTATUS QZDA_CALL qzDaSetPulseType(SubsystemHandle subsystem, uint32_t pulseType);
QZSTATUS QZDA_CALL qzDaGetPulseType(SubsystemHandle subsystem, uint32_t* pulseType);
QZSTATUS QZDA_CALL qzDaSetPulseWidth(SubsystemHandle subsystem, double percent);
QZSTATUS QZDA_CALL qzDaGetPulseWidth(SubsystemHandle subsystem, double* percent);
QZSTATUS QZDA_CALL qzDaSetCTMode(SubsystemHandle subsystem, uint32_t mode);
QZSTATUS QZDA_CALL qzDaGetCTMode(SubsystemHandle subsystem, uint32_t* mode);
QZSTATUS QZDA_CALL qzDaSetCascadeMode(SubsystemHandle subsystem, uint32_t mode);
QZSTATUS QZDA_CALL qzDaGetCascadeMode(SubsystemHandle subsystem, uint32_t* mode);
QZSTATUS QZDA_CALL qzDaSetWrapMode(SubsystemHandle subsystem, uint32_t mode);
QZSTATUS QZDA_CALL qzDaGetWrapMode(SubsystemHandle subsystem, uint32_t* mode);
QZSTATUS QZDA_CALL qzDaSetDataFlow(SubsystemHandle subsystem, uint32_t flow);
QZSTATUS QZDA_CALL qzDaGetDataFlow(SubsystemHandle subsystem, uint32_t* flow);
QZSTATUS QZDA_CALL qzDaSetWndHandle(SubsystemHandle subsystem, QzWindowHandle window, intptr_t lParam);
QZSTATUS QZDA_CALL qzDaGetWndHandle(SubsystemHandle subsystem, QzWindowHandle* window);
QZSTATUS QZDA_CALL qzDaSetNotificationProcedure(SubsystemHandle subsystem, QzNotifyProc procedure, intptr_t userData);
QZSTATUS QZDA_CALL qzDaGetNotificationProcedure(SubsystemHandle subsystem, QzNotifyProc* procedure);
QZSTATUS QZDA_CALL qzDaSetChannelListEntryInhibit(SubsystemHandle subsystem, uint32_t entry, uint32_t inhibit);
QZSTATUS QZDA_CALL qzDaGetChannelListEntryInhibit(SubsystemHandle subsystem, uint32_t entry, uint32_t* inhibit);
QZSTATUS QZDA_CALL qzDaSetDigitalIOListEntry(SubsystemHandle subsystem, uint32_t entry, uint32_t value);
QZSTATUS QZDA_CALL qzDaGetDigitalIOListEntry(SubsystemHandle subsystem, uint32_t entry, uint32_t* value);
QZSTATUS QZDA_CALL qzDaSetSynchronousDigitalIOUsage(SubsystemHandle subsystem, uint32_t flag);
QZSTATUS QZDA_CALL qzDaGetSynchronousDigitalIOUsage(SubsystemHandle subsystem, uint32_t* flag);
QZSTATUS QZDA_CALL qzDaSetChannelRange(SubsystemHandle subsystem, uint32_t channel, double maximum, double minimum);
QZSTATUS QZDA_CALL qzDaGetChannelRange(SubsystemHandle subsystem, uint32_t channel, double* maximum, double* minimum);
QZSTATUS QZDA_CALL qzDaSetRetriggerMode(SubsystemHandle subsystem, uint32_t mode);
QZSTATUS QZDA_CALL qzDaGetRetriggerMode(SubsystemHandle subsystem, uint32_t* mode);
QZSTATUS QZDA_CALL qzDaSetPretriggerSource(SubsystemHandle subsystem, uint32_t source);
QZSTATUS QZDA_CALL qzDaGetPretriggerSource(SubsystemHandle subsystem, uint32_t* source);
QZSTATUS QZDA_CALL qzDaSetMultiscanCount(SubsystemHandle subsystem, uint32_t count);
QZSTATUS QZDA_CALL qzDaGetMultiscanCount(SubsystemHandle subsystem, uint32_t* count);
QZSTATUS QZDA_CALL qzDaSetRetrigger(SubsystemHandle subsystem, uint32_t source);
QZSTATUS QZDA_CALL qzDaGetRetrigger(SubsystemHandle subsystem, uint32_t* source);
QZSTATUS QZDA_CALL qzDaSetSpecialVpiConfigMode(SubsystemHandle subsystem, uint8_t mode);
QZSTATUS QZDA_CALL qzDaGetSpecialVpiConfigMode(SubsystemHandle subsystem, uint8_t* mode);
QZSTATUS QZDA_CALL qzDaSetMeasureStartEdge(SubsystemHandle subsystem, uint32_t edge);
QZSTATUS QZDA_CALL qzDaGetMeasureStartEdge(SubsystemHandle subsystem, uint32_t* edge);
QZSTATUS QZDA_CALL qzDaSetMeasureStopEdge(SubsystemHandle subsystem, uint32_t edge);
QZSTATUS QZDA_CALL qzDaGetMeasureStopEdge(SubsystemHandle subsystem, uint32_t* edge);
QZSTATUS QZDA_CALL qzDaSetQuadDecoder(SubsystemHandle subsystem, uint16_t scaling, uint8_t flag, uint16_t indexMode);

// Not supported: 36 whatever the arguments.
QZSTATUS QZDA_CALL qzDaBRConnectBurst(SubsystemHandle subsystem, uint32_t count);
QZSTATUS QZDA_CALL qzDaSetBRConnectTransferSize(SubsystemHandle subsystem, uint32_t size);
QZSTATUS QZDA_CALL qzDaGetBRConnectTransferSize(SubsystemHandle subsystem, uint32_t* size);
QZSTATUS QZDA_CALL qzDaSetBRConnectTransferCount(SubsystemHandle subsystem, uint32_t count);
QZSTATUS QZDA_CALL qzDaGetBRConnectTransferCount(SubsystemHandle subsystem, uint32_t* count);

// Commands.
QZSTATUS QZDA_CALL qzDaConfig(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaStart(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaStop(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaContinue(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaReset(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaPause(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaAbort(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaReadEvents(SubsystemHandle subsystem, uint32_t* count);
QZSTATUS QZDA_CALL qzDaGetSingleValue(SubsystemHandle subsystem, uint32_t* value, uint32_t channel, double gain);
QZSTATUS QZDA_CALL qzDaPutSingleValue(SubsystemHandle subsystem, uint32_t value, uint32_t channel, double gain);
QZSTATUS QZDA_CALL qzDaGetSingleValueEx(SubsystemHandle subsystem, uint32_t channel, uint32_t extended, double* gain,
                                        uint32_t* value, double* volts);
// values receives one 32-bit value per channel of the subsystem.
QZSTATUS QZDA_CALL qzDaGetSingleValues(SubsystemHandle subsystem, uint32_t* values, double gain);

// Buffer queues.
QZSTATUS QZDA_CALL qzDaGetBuffer(SubsystemHandle subsystem, HBUF* buffer);
QZSTATUS QZDA_CALL qzDaPutBuffer(SubsystemHandle subsystem, HBUF buffer);
QZSTATUS QZDA_CALL qzDaFlushBuffers(SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaGetQueueSize(SubsystemHandle subsystem, uint32_t queue, uint32_t* count);
QZSTATUS QZDA_CALL qzDaFlushFromBufferInprocess(SubsystemHandle subsystem, HBUF buffer, uint32_t samples);

// Frequency measurement, simultaneous start.
QZSTATUS QZDA_CALL qzDaMeasureFrequency(SubsystemHandle subsystem, QzWindowHandle window, double seconds);
QZSTATUS QZDA_CALL qzDaGetSSList(SimultaneousStartListHandle* list);
QZSTATUS QZDA_CALL qzDaReleaseSSList(SimultaneousStartListHandle list);
QZSTATUS QZDA_CALL qzDaPutDassToSSList(SimultaneousStartListHandle list, SubsystemHandle subsystem);
QZSTATUS QZDA_CALL qzDaSimultaneousPrestart(SimultaneousStartListHandle list);
QZSTATUS QZDA_CALL qzDaSimultaneousStart(SimultaneousStartListHandle list);
QZSTATUS QZDA_CALL qzDaEnumSSList(SimultaneousStartListHandle list, QzEnumSSListProc callback, intptr_t userData);

// Conversions between converter codes and volts.
QZSTATUS QZDA_CALL qzDaCodeToVolts(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding,
                                   uint32_t code, double* volts);
QZSTATUS QZDA_CALL qzDaVoltsToCode(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding,
                                   double volts, uint32_t* code);

// Texts and versions. qzDaGetErrorString returns buffer, or null (see error_text.h).
char* QZDA_CALL qzDaGetErrorString(QZSTATUS code, char* buffer, int32_t size);
QZSTATUS QZDA_CALL qzDaGetVersion(char* buffer, uint32_t size);
QZSTATUS QZDA_CALL qzDaGetDriverVersion(DeviceHandle device, char* buffer, uint32_t size);

// Diagnostics and hardware information (device level).
QZSTATUS QZDA_CALL qzDiagReadReg(DeviceHandle device, uint32_t reg, uint32_t* value, uint32_t width);
QZSTATUS QZDA_CALL qzDiagWriteReg(DeviceHandle device, uint32_t reg, uint32_t value, uint32_t width);
QZSTATUS QZDA_CALL qzDiagWriteCalPot(DeviceHandle device, uint32_t word1, uint32_t word2, uint32_t word3,
                                     uint32_t word4);
QZSTATUS QZDA_CALL qzDiagReadCalPot(DeviceHandle device, uint32_t word1, uint32_t word2, uint32_t word3,
                                    uint32_t* value);
QZSTATUS QZDA_CALL qzDaSetHardwareInfo(DeviceHandle device, uint32_t word1, uint32_t word2, uint32_t word3,
                                       uint32_t word4, uint32_t word5, const uint8_t* block);
QZSTATUS QZDA_CALL qzDaGetHardwareInfo(DeviceHandle device, uint32_t* word, uint16_t* half1, uint16_t* half2,
                                       uint16_t* half3, uint32_t* word2, uint32_t* word3, uint8_t* block);

}  // extern "C"
