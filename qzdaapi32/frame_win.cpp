#include "qzdaapi32/frame_win.h"

#include "qzdaapi32/copy_thread_win.h"
#include "qzdaapi32/driver_win.h"
#include "qzdaapi32/frequency_win.h"
#include "qzdaapi32/requests.h"
#include "qzdaapi32/retired.h"
#include "standins/qzmem32/qzmem32.h"

#include <mutex>
#include <new>

namespace {

std::mutex& LibraryLock()
{
    static std::mutex lock;
    return lock;
}

DeviceRecord* OpenDeviceTable[kOpenDeviceSlots];
SubsystemRecord* OpenSubsystemTable[kOpenSubsystemSlots];
HMODULE ModuleInstance;

RetiredRecords<DeviceRecord, 64>& RetiredDevices()
{
    static RetiredRecords<DeviceRecord, 64> retired;
    return retired;
}

RetiredRecords<SubsystemRecord, 512>& RetiredSubsystems()
{
    static RetiredRecords<SubsystemRecord, 512> retired;
    return retired;
}

// Called with the library lock held.
template <class Record, size_t N>
Record* FindOpen(Record* (&table)[N], const void* handle)
{
    if (handle == nullptr)
        return nullptr;
    for (Record* record : table) {
        if (record == handle && record->self == record)
            return record;
    }
    return nullptr;
}

template <class Record, size_t N>
bool TakeSlot(Record* (&table)[N], Record* record)
{
    for (Record*& slot : table) {
        if (slot == record) {
            slot = nullptr;
            return true;
        }
    }
    return false;
}

// The first slot that is empty or already holds the record.
template <class Record, size_t N>
bool PutInSlot(Record* (&table)[N], Record* record)
{
    for (Record*& slot : table) {
        if (slot == nullptr || slot == record) {
            slot = record;
            return true;
        }
    }
    return false;
}

// The link is closed before the personality library goes: a simulated board's driver lives
// in that library.
void DestroyDevice(DeviceRecord* device)
{
    CloseDriverPath(*device->port, device->driver);
    device->driver = INVALID_HANDLE_VALUE;
    if (device->personality != nullptr)
        FreeLibrary(device->personality);
    device->personality = nullptr;
    device->self = nullptr;
    RetiredDevices().Retire(device);
}

// The queues' buffers belong to the caller, but nobody can take them any more.
void FreeQueue(HBUFLIST list)
{
    if (list == nullptr)
        return;
    HBUF buffer = nullptr;
    while (MemTakeListHead(list, &buffer) == QZMEM_OK && buffer != nullptr)
        MemFreeBuffer(buffer);
    MemDestroyList(list);
}

void DropDeviceReference(DeviceRecord* device)
{
    bool last;
    {
        std::lock_guard<std::mutex> held(LibraryLock());
        last = --device->references == 0;
    }
    if (last)
        DestroyDevice(device);
}

void DestroySubsystem(SubsystemRecord* subsystem)
{
    KillFrequencyTimer(subsystem);
    DestroyCopyThread(subsystem);
    FreeQueue(subsystem->core.readyQueue);
    FreeQueue(subsystem->core.doneQueue);
    DeleteCriticalSection(&subsystem->lock);
    DeviceRecord* device = subsystem->device;
    CloseDriverPath(*device->port, subsystem->driver);
    subsystem->driver = INVALID_HANDLE_VALUE;
    subsystem->self = nullptr;
    subsystem->core = SubsystemCore{};  // its memory goes now, the record's shell later
    RetiredSubsystems().Retire(subsystem);
    DropDeviceReference(device);
}

void DropSubsystemReference(SubsystemRecord* subsystem)
{
    bool last;
    {
        std::lock_guard<std::mutex> held(LibraryLock());
        last = --subsystem->references == 0;
    }
    if (last)
        DestroySubsystem(subsystem);
}

uint32_t ListAppend(HBUFLIST list, HBUF buffer)
{
    return MemAppendToList(list, buffer);
}
uint32_t ListTakeHead(HBUFLIST list, HBUF* buffer)
{
    return MemTakeListHead(list, buffer);
}
uint32_t ListCount(HBUFLIST list, uint32_t* count)
{
    return MemCountList(list, count);
}
uint32_t BufferValidSamples(HBUF buffer, uint32_t* count)
{
    return MemGetValidSamples(buffer, count);
}
bool WindowExists(uintptr_t window)
{
    return IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
}
bool IsCodeAddress(uintptr_t address)
{
    return IsExecutableAddress(reinterpret_cast<const void*>(address));
}

const SetGetEnvironment kWindowsEnvironment = {
    {ListAppend, ListTakeHead, ListCount, BufferValidSamples},
    WindowExists,
    IsCodeAddress,
    CopyThreadInProcess,
};

}  // namespace

DeviceUse::DeviceUse(DeviceHandle handle) : record_(nullptr)
{
    std::lock_guard<std::mutex> held(LibraryLock());
    record_ = FindOpen(OpenDeviceTable, handle);
    if (record_ != nullptr)
        ++record_->references;
}

DeviceUse::~DeviceUse()
{
    if (record_ != nullptr)
        DropDeviceReference(record_);
}

SubsystemUse::SubsystemUse(SubsystemHandle handle) : record_(nullptr)
{
    std::lock_guard<std::mutex> held(LibraryLock());
    record_ = FindOpen(OpenSubsystemTable, handle);
    if (record_ != nullptr)
        ++record_->references;
}

SubsystemUse::~SubsystemUse()
{
    if (record_ != nullptr)
        DropSubsystemReference(record_);
}

bool IsOpenSubsystem(SubsystemHandle handle)
{
    std::lock_guard<std::mutex> held(LibraryLock());
    return FindOpen(OpenSubsystemTable, handle) != nullptr;
}

const SetGetEnvironment& WindowsSetGetEnvironment()
{
    return kWindowsEnvironment;
}

QZSTATUS SubsystemRequest(SubsystemHandle handle, uint32_t code, RequestParams& params)
{
    SubsystemUse subsystem(handle);
    if (!subsystem)
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    QZSTATUS status = QZERR_NO_ERROR;
    EnterCriticalSection(&subsystem->lock);
    switch (RouteOfRequest(code)) {
    case RequestRoute::SetGet:
        status = HandleSetGetRequest(subsystem->core, code, params, kWindowsEnvironment);
        break;
    case RequestRoute::Command:
        status = HandleCommandRequest(subsystem.get(), code, params);
        break;
    case RequestRoute::Nothing:
        break;
    }
    LeaveCriticalSection(&subsystem->lock);
    return status;
}

QZSTATUS ApplyDefaultsLocked(SubsystemHandle handle)
{
    SubsystemUse subsystem(handle);
    if (!subsystem)
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    EnterCriticalSection(&subsystem->lock);
    ApplyDefaultConfiguration(subsystem->core);
    LeaveCriticalSection(&subsystem->lock);
    return QZERR_NO_ERROR;
}

DeviceRecord* NewDeviceRecord()
{
    DeviceRecord* device = new (std::nothrow) DeviceRecord{};
    if (device == nullptr)
        return nullptr;
    device->self = device;
    device->driver = INVALID_HANDLE_VALUE;
    device->port = &KernelDriverPort();
    return device;
}

void DiscardDeviceRecord(DeviceRecord* record)
{
    if (record != nullptr)
        DestroyDevice(record);
}

QZSTATUS InsertDevice(DeviceRecord* device, DeviceHandle* handle)
{
    {
        std::lock_guard<std::mutex> held(LibraryLock());
        if (PutInSlot(OpenDeviceTable, device)) {
            device->references = 1;
            *handle = device;
            return QZERR_NO_ERROR;
        }
    }
    DestroyDevice(device);
    return QZERR_DRIVER_CANNOT_BE_INITIALIZED;
}

QZSTATUS RemoveDevice(DeviceHandle handle)
{
    DeviceRecord* device;
    {
        std::lock_guard<std::mutex> held(LibraryLock());
        device = FindOpen(OpenDeviceTable, handle);
        if (device == nullptr)
            return QZERR_INVALID_DEVICE_HANDLE;
        if (device->openSubsystems != 0)
            return QZERR_SUBSYSTEM_IN_USE;
        TakeSlot(OpenDeviceTable, device);
    }
    DropDeviceReference(device);
    return QZERR_NO_ERROR;
}

QZSTATUS CreateSubsystem(DeviceRecord* device, uint32_t type, uint32_t element, HANDLE driver, SubsystemHandle* handle)
{
    SubsystemRecord* subsystem = new (std::nothrow) SubsystemRecord{};
    if (subsystem == nullptr) {
        CloseDriverPath(*device->port, driver);
        return QZERR_CANNOT_ALLOCATE_DASS;
    }
    {
        std::lock_guard<std::mutex> held(LibraryLock());
        ++device->references;
    }
    subsystem->self = subsystem;
    subsystem->driver = driver;
    subsystem->device = device;
    subsystem->core.type = type;
    subsystem->core.element = element;
    subsystem->core.handle = reinterpret_cast<uintptr_t>(subsystem);
    InitializeCriticalSection(&subsystem->lock);

    QZSTATUS status = QZERR_NO_ERROR;
    if (device->personalityProc != nullptr)
        device->personalityProc(device->boardType, device->boardName, type, element, &subsystem->core.caps);
    try {
        status = AllocateConfiguration(subsystem->core);
    } catch (const std::bad_alloc&) {
        status = QZERR_CANNOT_ALLOCATE_CHANNEL_LIST;
    }
    if (status == QZERR_NO_ERROR) {
        ApplyDefaultConfiguration(subsystem->core);
        if (type == SubsystemTypeAD || type == SubsystemTypeDA) {
            status = MemCreateList(&subsystem->core.readyQueue, 0, 0, 0);
            if (status == QZERR_NO_ERROR)
                status = MemCreateList(&subsystem->core.doneQueue, 0, 0, 0);
        }
    }
    if (status == QZERR_NO_ERROR && SubsystemSlot(subsystem->core, SlotContinuousTransfer) != 0)
        status = CreateCopyThread(subsystem);
    if (status == QZERR_NO_ERROR) {
        std::lock_guard<std::mutex> held(LibraryLock());
        // The device may have been closed meanwhile; it must still be open to take the new one.
        if (FindOpen(OpenDeviceTable, device) == nullptr)
            status = QZERR_INVALID_DEVICE_HANDLE;
        else if (!PutInSlot(OpenSubsystemTable, subsystem))
            status = QZERR_CANNOT_ALLOCATE_DASS;
        else {
            subsystem->references = 1;
            ++device->openSubsystems;
            *handle = subsystem;
        }
    }
    if (status != QZERR_NO_ERROR)
        DestroySubsystem(subsystem);
    return status;
}

QZSTATUS RemoveSubsystem(SubsystemHandle handle)
{
    SubsystemRecord* subsystem;
    {
        std::lock_guard<std::mutex> held(LibraryLock());
        subsystem = FindOpen(OpenSubsystemTable, handle);
        if (subsystem == nullptr)
            return QZERR_INVALID_SUBSYSTEM_HANDLE;
        TakeSlot(OpenSubsystemTable, subsystem);
        --subsystem->device->openSubsystems;
    }
    DropSubsystemReference(subsystem);
    return QZERR_NO_ERROR;
}

void ShutdownAllHandles(bool processEnding)
{
    SubsystemRecord* subsystems[kOpenSubsystemSlots] = {};
    DeviceRecord* devices[kOpenDeviceSlots] = {};
    {
        std::lock_guard<std::mutex> held(LibraryLock());
        for (size_t i = 0; i < kOpenSubsystemSlots; ++i) {
            if ((subsystems[i] = OpenSubsystemTable[i]) != nullptr)
                ++subsystems[i]->references;
        }
        for (size_t i = 0; i < kOpenDeviceSlots; ++i) {
            if ((devices[i] = OpenDeviceTable[i]) != nullptr)
                ++devices[i]->references;
        }
    }
    // A running subsystem is stopped at the board first, so that it does not go on
    // transferring into memory that is about to go away.
    for (SubsystemRecord* subsystem : subsystems) {
        if (subsystem != nullptr && SubsystemStateOf(subsystem->core) > SubsystemStateConfigured)
            AbortThroughDriver(subsystem);
    }
    // While the process ends, nothing is waited for or freed: the threads are gone already.
    if (processEnding)
        return;
    for (SubsystemRecord* subsystem : subsystems) {
        if (subsystem != nullptr) {
            RemoveSubsystem(subsystem);
            DropSubsystemReference(subsystem);
        }
    }
    for (DeviceRecord* device : devices) {
        if (device != nullptr) {
            RemoveDevice(device);
            DropDeviceReference(device);
        }
    }
}

void CountOpenHandles(uint32_t* devices, uint32_t* subsystems)
{
    std::lock_guard<std::mutex> held(LibraryLock());
    uint32_t d = 0, s = 0;
    for (DeviceRecord* record : OpenDeviceTable)
        d += record != nullptr ? 1 : 0;
    for (SubsystemRecord* record : OpenSubsystemTable)
        s += record != nullptr ? 1 : 0;
    if (devices != nullptr)
        *devices = d;
    if (subsystems != nullptr)
        *subsystems = s;
}

bool IsExecutableAddress(const void* address)
{
    MEMORY_BASIC_INFORMATION info;
    if (address == nullptr || VirtualQuery(address, &info, sizeof info) != sizeof info)
        return false;
    const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return info.State == MEM_COMMIT && (info.Protect & executable) != 0 && (info.Protect & PAGE_GUARD) == 0;
}

bool IsWritableRange(void* address, size_t size)
{
    if (address == nullptr || size == 0)
        return false;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    uintptr_t end = at + size;
    if (end < at)
        return false;
    while (at < end) {
        MEMORY_BASIC_INFORMATION info;
        if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) != sizeof info)
            return false;
        if (info.State != MEM_COMMIT || (info.Protect & writable) == 0 ||
            (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0)
            return false;
        at = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    }
    return true;
}

HMODULE LibraryModule()
{
    if (ModuleInstance == nullptr) {
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&LibraryModule), &module);
        return module;
    }
    return ModuleInstance;
}

void SetLibraryModule(HMODULE module)
{
    ModuleInstance = module;
}
