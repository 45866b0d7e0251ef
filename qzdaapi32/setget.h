// The set and get requests of a subsystem (request codes up to 0x404F): each checks its value
// against the subsystem's capabilities, stores it in the configuration record and marks the
// record as changed. Pure over the subsystem's plain data; the few things only Windows can
// answer (is this a window, is this code) and the buffer-memory calls come in through
// SetGetEnvironment, so the rules are tested natively.
#pragma once

#include "qzdaapi32/config_record.h"
#include "qzdaapi32/qzdaapi32.h"
#include "standins/qzmem32/qzmem32.h"

#include <cstdint>
#include <mutex>
#include <vector>

// Parameter record of one request: the value or list entry in the first word, a second word
// (channel, list value, lParam or user word), doubles in the third and fifth words. Results
// come back in the same fields.
struct RequestParams {
    uintptr_t word0 = 0;
    uintptr_t word1 = 0;
    double real0 = 0.0;
    double real1 = 0.0;
};

// Where the library tells the client about its subsystem.
struct NotificationTarget {
    uintptr_t window = 0;
    uintptr_t wParam = 0;  // the subsystem handle
    uintptr_t lParam = 0;
    uintptr_t procedure = 0;
    uintptr_t procedureSubsystem = 0;
    uintptr_t procedureUser = 0;
};

// The target as the set requests write it and the copy thread reads it: written and copied
// whole under a lock of its own, so that a notice never goes out with a window of one request
// and the lParam of another, or a procedure with another's user word. Not the subsystem's
// lock: a caller holds that while it waits for the copy thread, whose notices must not wait
// for the caller.
class GuardedNotificationTarget {
public:
    GuardedNotificationTarget() = default;
    GuardedNotificationTarget(const GuardedNotificationTarget& other) : target_(other.Get()) {}
    GuardedNotificationTarget& operator=(const GuardedNotificationTarget& other);

    NotificationTarget Get() const;
    void SetWindow(uintptr_t window, uintptr_t wParam, uintptr_t lParam);
    void SetProcedure(uintptr_t procedure, uintptr_t subsystem, uintptr_t user);

private:
    mutable std::mutex lock_;
    NotificationTarget target_;
};

// Range of a channel that the record has no room for (channels from kRecordRangeChannels on).
struct ChannelRangeSetting {
    uint32_t channel;
    FixedPoint maximum;
    FixedPoint minimum;
};

// The portable part of an open subsystem.
struct SubsystemCore {
    uint32_t type = 0;
    uint32_t element = 0;
    uintptr_t handle = 0;  // the subsystem handle, as notifications carry it
    SubsystemCapabilities caps{};
    ConfigRecord configuration;
    HBUFLIST readyQueue = nullptr;  // AD and DA only
    HBUFLIST doneQueue = nullptr;
    GuardedNotificationTarget notify;
    std::vector<ChannelRangeSetting> extraChannelRanges;
    HBUF flushBuffer = nullptr;  // pending flush of the transfer in process
    uint32_t flushSamples = 0;
};

// The buffer-memory calls the queue requests use (qzmem32's, or the store natively).
struct BufferListCalls {
    uint32_t (*append)(HBUFLIST list, HBUF buffer);
    uint32_t (*takeHead)(HBUFLIST list, HBUF* buffer);
    uint32_t (*count)(HBUFLIST list, uint32_t* count);
    uint32_t (*validSamples)(HBUF buffer, uint32_t* count);
};

struct SetGetEnvironment {
    BufferListCalls lists;
    bool (*isWindow)(uintptr_t window);
    bool (*isCode)(uintptr_t procedure);
    // Buffers with the driver (queue 1102); null when the subsystem has no copy thread.
    uint32_t (*inProcessCount)(const SubsystemCore& subsystem);
};

// Allocates the record for the subsystem's capabilities (state 1000): 75 when it is too big.
QZSTATUS AllocateConfiguration(SubsystemCore& subsystem);
// Defaults into the allocated record, state 1001; also forgets the channel ranges kept
// beside the record.
void ApplyDefaultConfiguration(SubsystemCore& subsystem);

// The state word; atomic, so that the copy thread may read and move it without the lock.
uint32_t SubsystemStateOf(const SubsystemCore& subsystem);
void SetSubsystemState(SubsystemCore& subsystem, uint32_t state);
// The copy thread's move at a counter event: to state only from a run state (above 1004),
// in one compare-and-set, so that a late message never undoes a request's move (a
// reconfiguration's 1001 turned back into 1004). True when it moved.
bool EndRunState(SubsystemCore& subsystem, uint32_t state);
uint32_t SubsystemSlot(const SubsystemCore& subsystem, uint32_t slot);
// Data flows 800, 804 and 805 stream.
bool IsStreamingFlow(uint32_t flow);

// Serves one request code up to 0x404F; a code without a handler gives 36.
QZSTATUS HandleSetGetRequest(SubsystemCore& subsystem, uint32_t code, RequestParams& params,
                             const SetGetEnvironment& env);
