// The frame every export of qzdaapi32 runs in: device and subsystem records, the tables of
// open handles, handle checking, the per-subsystem lock and SubsystemRequest.
//
// A handle is valid while it sits in its table and its record's first word points to the
// record. The tables are looked up under one library lock, so a null, foreign or released
// handle is refused without being read. Each use of a record holds a reference; a record
// taken out of its table is destroyed when its last use ends, so a call in progress on one
// thread never finds its record freed by a release on another; its memory is kept back for a
// while after that (retired.h), so that a stale handle does not name a new record.
#pragma once

#include "qzdaapi32/board_text.h"
#include "qzdaapi32/driver_port_win.h"
#include "qzdaapi32/qzdaapi32.h"
#include "qzdaapi32/setget.h"

#include <windows.h>

#include <cstdint>

class CBrDataCopyThread;

// Entries of the per-board personality library.
typedef int32_t(__stdcall* PersonalityProcEx)(uint32_t boardType, const char* boardName, uint32_t type,
                                              uint32_t element, SubsystemCapabilities* caps);
typedef int32_t(__stdcall* BoardInfoProcEx)(uint32_t boardType, const char* boardName, uint32_t* boardInfo,
                                            const uint32_t** typeCounts);

// Copy-thread tuning from the registry, 0 when absent.
struct TuningValues {
    uint32_t threadStartSleepTimeMSecs;
    uint32_t threadStopSleepTimeMSecs;
    uint32_t messageOnAbort;
    uint32_t abortSleepTimeMSecs;
    uint32_t copyThreadPriority;
};

constexpr uint32_t kSubsystemTypeCount = 6;
constexpr size_t kOpenDeviceSlots = 20;
constexpr size_t kOpenSubsystemSlots = 200;

struct DeviceRecord {
    DeviceRecord* self;
    HMODULE personality;
    PersonalityProcEx personalityProc;
    uint32_t openSubsystems;
    uint32_t boardType;
    const uint32_t* typeCounts;  // six, indexed by subsystem type
    char driverName[kDriverNameChars + 1];
    char boardName[kBoardNameChars + 1];
    char linkName[kLinkNameChars + 1];
    uint32_t boardInfo;
    HANDLE driver;           // overlapped; diagnostics and hardware information
    const DriverPort* port;  // how every handle of this board is driven
    TuningValues tuning;
    uint32_t references;  // the table's and each use's; under the library lock
};

struct SubsystemRecord {
    SubsystemRecord* self;
    HANDLE driver;  // the subsystem's own overlapped open of its device path
    DeviceRecord* device;
    SubsystemCore core;         // capabilities, type, element, configuration, queues, notification
    volatile uint32_t mailbox;  // the last request sent to the copy thread (its queue holds them all)
    CRITICAL_SECTION lock;
    CBrDataCopyThread* copyThread;
    volatile LONG frequencyTimer;  // the one-shot timer of a frequency measurement, 0 when none
    uint32_t references;
};

// A use of an open device or subsystem, held for the length of a call: empty when the handle
// is not open.
class DeviceUse {
public:
    explicit DeviceUse(DeviceHandle handle);
    ~DeviceUse();
    DeviceUse(const DeviceUse&) = delete;
    DeviceUse& operator=(const DeviceUse&) = delete;
    explicit operator bool() const { return record_ != nullptr; }
    DeviceRecord* operator->() const { return record_; }
    DeviceRecord* get() const { return record_; }

private:
    DeviceRecord* record_;
};

class SubsystemUse {
public:
    explicit SubsystemUse(SubsystemHandle handle);
    ~SubsystemUse();
    SubsystemUse(const SubsystemUse&) = delete;
    SubsystemUse& operator=(const SubsystemUse&) = delete;
    explicit operator bool() const { return record_ != nullptr; }
    SubsystemRecord* operator->() const { return record_; }
    SubsystemRecord* get() const { return record_; }

private:
    SubsystemRecord* record_;
};

bool IsOpenSubsystem(SubsystemHandle handle);

// Runs one request under the subsystem's lock: set/get codes (up to 0x404F) to
// HandleSetGetRequest, commands to HandleCommandRequest. 40 for a handle that is not open.
QZSTATUS SubsystemRequest(SubsystemHandle handle, uint32_t code, RequestParams& params);

// The environment of the set/get requests on Windows.
const SetGetEnvironment& WindowsSetGetEnvironment();

// A zeroed device record with its self pointer, no handles and the kernel driver port.
DeviceRecord* NewDeviceRecord();
// Frees a record that never went into the table: its link closed, then its personality
// library freed (which may hold the driver port).
void DiscardDeviceRecord(DeviceRecord* record);
// Puts a filled record into the first free slot of OpenDeviceTable (67 when full; the record
// is then freed).
QZSTATUS InsertDevice(DeviceRecord* record, DeviceHandle* handle);
// Takes an open device out of its table: 20 while it has open subsystems, 39 when it is not
// open. Its resources go with its last use.
QZSTATUS RemoveDevice(DeviceHandle handle);

// Opens subsystem (type, element) of an open device over its already opened driver handle:
// the record, the personality's capabilities, the configuration with its defaults, the AD/DA
// queues, the copy thread, a slot in OpenSubsystemTable. On failure everything done is
// undone (queues, lock, record, the driver handle closed), so the same subsystem can be
// opened again. A subsystem holds its device until it is destroyed: the device's driver port
// and personality stay while any of its handles is still in use.
QZSTATUS CreateSubsystem(DeviceRecord* device, uint32_t type, uint32_t element, HANDLE driver, SubsystemHandle* handle);
// Takes a subsystem out of its table; its resources go with its last use (the copy thread
// stopped, the buffers left on its queues freed, the lock deleted, the driver handle closed).
QZSTATUS RemoveSubsystem(SubsystemHandle handle);
// Applies the defaults again under the subsystem's lock (after a reset).
QZSTATUS ApplyDefaultsLocked(SubsystemHandle handle);

// Unload: abort the running subsystems, release every subsystem, close every device. When the
// process is ending the other threads are gone already: only the aborts are sent, nothing is
// waited for or freed.
void ShutdownAllHandles(bool processEnding);

// Counts of open handles (tests).
void CountOpenHandles(uint32_t* devices, uint32_t* subsystems);

// Whether address is committed memory that may be executed (notification procedures and
// callbacks), or written over size bytes (caller buffers).
bool IsExecutableAddress(const void* address);
bool IsWritableRange(void* address, size_t size);

// The library module itself (version text); set by DllMain, else found from an address.
HMODULE LibraryModule();
void SetLibraryModule(HMODULE module);
