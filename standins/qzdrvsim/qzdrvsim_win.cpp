#include "standins/qzdrvsim/qzdrvsim_win.h"

#include <windows.h>

#include <cstdlib>
#include <map>
#include <new>
#include <vector>

namespace {

constexpr ULONG_PTR kStatusSuccess = 0;
constexpr ULONG_PTR kStatusPending = 0x00000103;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;
constexpr ULONG_PTR kStatusUnsuccessful = 0xC0000001;
constexpr ULONG_PTR kStatusInvalidParameter = 0xC000000D;

ULONG_PTR NtStatusOf(uint32_t error)
{
    switch (error) {
    case SimErrorNone:
        return kStatusSuccess;
    case SimErrorOperationAborted:
        return kStatusCancelled;
    case SimErrorInvalidParameter:
        return kStatusInvalidParameter;
    default:
        return kStatusUnsuccessful;
    }
}

DWORD ErrorOf(ULONG_PTR status)
{
    switch (status) {
    case kStatusSuccess:
        return ERROR_SUCCESS;
    case kStatusCancelled:
        return ERROR_OPERATION_ABORTED;
    case kStatusInvalidParameter:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_GEN_FAILURE;
    }
}

struct Pending {
    HANDLE file = nullptr;
    DWORD threadId = 0;
    HANDLE thread = nullptr;  // reads: where the completion routine runs
    OVERLAPPED* overlapped = nullptr;
    LPOVERLAPPED_COMPLETION_ROUTINE routine = nullptr;
};

struct ApcRecord {
    LPOVERLAPPED_COMPLETION_ROUTINE routine;
    DWORD error;
    DWORD bytes;
    OVERLAPPED* overlapped;
};

// The driver's state. Made once and never destroyed: at process end the library may still
// call in after this library's own detach.
struct Driver {
    CRITICAL_SECTION lock;
    SimBoard board;
    std::map<HANDLE, int32_t> handles;
    std::map<uint64_t, Pending> pending;
    uint64_t nextId = 1;
    HANDLE worker = nullptr;
    HANDLE wake = nullptr;
    uintptr_t workerGeneration = 0;  // a worker runs while its generation is the current one
    double tickSeconds = 0.0;

    Driver()
    {
        InitializeCriticalSection(&lock);
        InitSimBoard(board);
        ParseSimOptions(std::getenv("QZSIM_OPTIONS"), board.settings);
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        tickSeconds = 1.0 / static_cast<double>(frequency.QuadPart);
    }
};

volatile LONG ProcessEnding = 0;
volatile LONG QueuedApcs = 0;
volatile LONG Workers = 0;

Driver& TheDriver()
{
    static Driver* driver = new Driver();
    return *driver;
}

double Now(const Driver& d)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * d.tickSeconds;
}

struct Held {
    Driver& d;
    explicit Held(Driver& driver) : d(driver) { EnterCriticalSection(&d.lock); }
    ~Held() { LeaveCriticalSection(&d.lock); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
};

VOID CALLBACK CompletionApc(ULONG_PTR data)
{
    ApcRecord* record = reinterpret_cast<ApcRecord*>(data);
    record->routine(record->error, record->bytes, record->overlapped);
    delete record;
    InterlockedDecrement(&QueuedApcs);
}

// Delivers completions as the I/O manager does: the OVERLAPPED record filled, then the
// request's event set, or the read's completion routine queued to its thread. Called with the
// lock held.
void Deliver(Driver& d, const std::vector<SimCompletion>& done)
{
    for (const SimCompletion& c : done) {
        auto it = d.pending.find(c.id);
        if (it == d.pending.end())
            continue;
        const Pending p = it->second;
        d.pending.erase(it);
        p.overlapped->InternalHigh = c.bytes;
        MemoryBarrier();
        p.overlapped->Internal = NtStatusOf(c.error);
        if (p.routine != nullptr) {
            ApcRecord* record = new (std::nothrow) ApcRecord{p.routine, c.error, c.bytes, p.overlapped};
            if (record != nullptr) {
                InterlockedIncrement(&QueuedApcs);
                if (!QueueUserAPC(CompletionApc, p.thread, reinterpret_cast<ULONG_PTR>(record))) {
                    InterlockedDecrement(&QueuedApcs);
                    delete record;
                }
            }
            CloseHandle(p.thread);
        } else if (p.overlapped->hEvent != nullptr) {
            SetEvent(p.overlapped->hEvent);
        }
    }
}

// Delivers the reads as their samples become due. It holds its own reference to this library
// and leaves through FreeLibraryAndExitThread, so nobody has to wait for it to end.
DWORD WINAPI WorkerProc(void* generation)
{
    Driver& d = TheDriver();
    for (;;) {
        DWORD wait = 1000;
        {
            Held held(d);
            if (reinterpret_cast<uintptr_t>(generation) != d.workerGeneration || ProcessEnding)
                break;
            std::vector<SimCompletion> done;
            const double now = Now(d);
            SimAdvance(d.board, now, done);
            Deliver(d, done);
            const double next = SimNextDue(d.board, now);
            if (next < now + 1.0) {
                const double ms = (next - Now(d)) * 1000.0;
                wait = ms <= 0.0 ? 0 : static_cast<DWORD>(ms) + 1;
            }
        }
        WaitForSingleObject(d.wake, wait);
        ResetEvent(d.wake);
    }
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&WorkerProc), &self);
    InterlockedDecrement(&Workers);
    FreeLibraryAndExitThread(self, 0);
    return 0;
}

// Called with the lock held.
void StartWorker(Driver& d)
{
    if (d.worker != nullptr)
        return;
    HMODULE pinned = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&WorkerProc), &pinned))
        return;
    if (d.wake == nullptr)
        d.wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ++d.workerGeneration;
    InterlockedIncrement(&Workers);
    d.worker = CreateThread(nullptr, 0, WorkerProc, reinterpret_cast<void*>(d.workerGeneration), 0, nullptr);
    if (d.worker == nullptr) {
        InterlockedDecrement(&Workers);
        FreeLibrary(pinned);
    }
}

// Called with the lock held: the worker ends on its own.
void StopWorker(Driver& d)
{
    if (d.worker == nullptr)
        return;
    ++d.workerGeneration;
    SetEvent(d.wake);
    CloseHandle(d.worker);
    d.worker = nullptr;
}

void Wake(Driver& d)
{
    if (d.wake != nullptr)
        SetEvent(d.wake);
}

// --- the port ---

HANDLE WINAPI SimOpenPort(LPCSTR path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    if (ProcessEnding) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    Driver& d = TheDriver();
    DWORD error = ERROR_SUCCESS;
    HANDLE handle = INVALID_HANDLE_VALUE;
    {
        Held held(d);
        if (d.board.epochWall < 0.0)
            d.board.epochWall = Now(d);
        int32_t target = kSimNoTarget;
        const bool readWrite = (access & (GENERIC_READ | GENERIC_WRITE)) == (GENERIC_READ | GENERIC_WRITE);
        error = disposition != OPEN_EXISTING
                    ? ERROR_INVALID_PARAMETER
                    : SimOpen(d.board, path, readWrite, share != 0, (flags & FILE_FLAG_OVERLAPPED) != 0, &target);
        if (error == ERROR_SUCCESS) {
            handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            if (handle == nullptr) {
                error = GetLastError();
                std::vector<SimCompletion> done;
                SimClose(d.board, target, done);
                handle = INVALID_HANDLE_VALUE;
            } else {
                d.handles[handle] = target;
                StartWorker(d);
            }
        }
    }
    if (handle == INVALID_HANDLE_VALUE)
        SetLastError(error);
    return handle;
}

BOOL WINAPI SimClosePort(HANDLE handle)
{
    if (ProcessEnding)
        return TRUE;
    Driver& d = TheDriver();
    {
        Held held(d);
        auto it = d.handles.find(handle);
        if (it != d.handles.end()) {
            std::vector<SimCompletion> done;
            SimClose(d.board, it->second, done);
            Deliver(d, done);
            d.handles.erase(it);
            CloseHandle(handle);
            if (d.handles.empty())
                StopWorker(d);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI SimIoControlPort(HANDLE handle, DWORD code, LPVOID in, DWORD inBytes, LPVOID out, DWORD outBytes,
                             LPDWORD returned, LPOVERLAPPED overlapped)
{
    if (ProcessEnding) {
        // Nothing runs any more: every request is done.
        if (returned != nullptr)
            *returned = 0;
        return TRUE;
    }
    Driver& d = TheDriver();
    DWORD error = ERROR_SUCCESS;
    {
        Held held(d);
        auto it = d.handles.find(handle);
        if (it == d.handles.end()) {
            error = ERROR_INVALID_HANDLE;
        } else {
            const uint64_t id = d.nextId++;
            std::vector<SimCompletion> done;
            const SimAnswer a =
                SimIoControl(d.board, it->second, code, static_cast<const uint8_t*>(in), inBytes,
                             static_cast<uint8_t*>(out), outBytes, overlapped != nullptr, id, Now(d), done);
            if (a.error != SimErrorNone) {
                error = a.error;
            } else if (a.pending) {
                d.pending[id] = Pending{handle, GetCurrentThreadId(), nullptr, overlapped, nullptr};
                overlapped->InternalHigh = 0;
                overlapped->Internal = kStatusPending;
                if (overlapped->hEvent != nullptr)
                    ResetEvent(overlapped->hEvent);
                error = ERROR_IO_PENDING;
            } else {
                if (overlapped != nullptr) {
                    overlapped->InternalHigh = a.bytes;
                    MemoryBarrier();
                    overlapped->Internal = kStatusSuccess;
                    if (overlapped->hEvent != nullptr)
                        SetEvent(overlapped->hEvent);
                }
                if (returned != nullptr)
                    *returned = a.bytes;
            }
            Deliver(d, done);
            Wake(d);
        }
    }
    if (error == ERROR_SUCCESS)
        return TRUE;
    SetLastError(error);
    return FALSE;
}

BOOL WINAPI SimReadExPort(HANDLE handle, LPVOID buffer, DWORD bytes, LPOVERLAPPED overlapped,
                          LPOVERLAPPED_COMPLETION_ROUTINE routine)
{
    if (ProcessEnding) {
        SetLastError(ERROR_OPERATION_ABORTED);
        return FALSE;
    }
    Driver& d = TheDriver();
    DWORD error = ERROR_SUCCESS;
    {
        Held held(d);
        auto it = d.handles.find(handle);
        HANDLE thread = nullptr;
        if (it == d.handles.end()) {
            error = ERROR_INVALID_HANDLE;
        } else if (overlapped == nullptr || routine == nullptr) {
            error = ERROR_INVALID_PARAMETER;
        } else if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread,
                                    THREAD_SET_CONTEXT | SYNCHRONIZE, FALSE, 0)) {
            error = GetLastError();
        } else {
            const uint64_t id = d.nextId++;
            d.pending[id] = Pending{handle, GetCurrentThreadId(), thread, overlapped, routine};
            overlapped->InternalHigh = 0;
            overlapped->Internal = kStatusPending;
            std::vector<SimCompletion> done;
            const SimAnswer a =
                SimQueueRead(d.board, it->second, static_cast<uint8_t*>(buffer), bytes, true, id, Now(d), done);
            if (a.error != SimErrorNone) {
                d.pending.erase(id);
                CloseHandle(thread);
                error = a.error;
            }
            Deliver(d, done);
            Wake(d);
        }
    }
    if (error == ERROR_SUCCESS)
        return TRUE;
    SetLastError(error);
    return FALSE;
}

// As CancelIo: the calling thread's requests on the handle.
BOOL WINAPI SimCancelPort(HANDLE handle)
{
    if (ProcessEnding)
        return TRUE;
    Driver& d = TheDriver();
    {
        Held held(d);
        auto it = d.handles.find(handle);
        if (it != d.handles.end()) {
            std::vector<uint64_t> ids;
            for (const auto& [id, p] : d.pending) {
                if (p.file == handle && p.threadId == GetCurrentThreadId())
                    ids.push_back(id);
            }
            std::vector<SimCompletion> done;
            SimCancel(d.board, it->second, ids, done);
            Deliver(d, done);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI SimOverlappedResultPort(HANDLE, LPOVERLAPPED overlapped, LPDWORD bytes, BOOL wait)
{
    volatile ULONG_PTR* internal = &overlapped->Internal;
    if (*internal == kStatusPending) {
        if (!wait) {
            SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        if (overlapped->hEvent != nullptr)
            WaitForSingleObject(overlapped->hEvent, INFINITE);
        while (*internal == kStatusPending)
            Sleep(1);
    }
    MemoryBarrier();
    if (bytes != nullptr)
        *bytes = static_cast<DWORD>(overlapped->InternalHigh);
    const DWORD error = ErrorOf(*internal);
    if (error == ERROR_SUCCESS)
        return TRUE;
    SetLastError(error);
    return FALSE;
}

const DriverPort kSimulatedPort = {
    sizeof(DriverPort),      SimOpenPort, SimClosePort, SimIoControlPort, SimReadExPort, SimCancelPort,
    SimOverlappedResultPort,
};

}  // namespace

const DriverPort* SimulatedDriverPort(uint32_t portSize)
{
    return portSize == sizeof(DriverPort) ? &kSimulatedPort : nullptr;
}

SimDriverCounts SimDriverCountsNow()
{
    Driver& d = TheDriver();
    Held held(d);
    SimDriverCounts counts;
    counts.board = SimCountsOf(d.board);
    counts.handles = static_cast<uint32_t>(d.handles.size());
    counts.pendingRequests = static_cast<uint32_t>(d.pending.size());
    counts.queuedApcs = static_cast<uint32_t>(QueuedApcs);
    counts.workers = static_cast<uint32_t>(Workers);
    return counts;
}

void WithSimBoard(const std::function<void(SimBoard&, std::vector<SimCompletion>&)>& f)
{
    Driver& d = TheDriver();
    Held held(d);
    std::vector<SimCompletion> done;
    f(d.board, done);
    Deliver(d, done);
    Wake(d);
}

void SimDriverProcessEnding()
{
    InterlockedExchange(&ProcessEnding, 1);
}
