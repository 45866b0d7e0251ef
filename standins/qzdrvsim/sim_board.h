// The simulated board behind the driver interface: what the kernel driver of a real board
// would do with the library's requests, over plain data. One SimBoard per board, shared by
// every handle opened on it (the device link and one path per subsystem, each open once at a
// time). It checks what it receives (lengths, headers, overlapped use, the configuration
// record against the board's capabilities), keeps the counters, the digital output with a
// time-stamped log, and streams the analog input from the signal model of the programmed
// counters and the output lines. Requests that wait (reads, driver messages) are identified by
// ids the caller gives; the board answers with completions the caller delivers.
//
// Time: the caller passes wall-clock seconds. Board time runs SpeedUp times as fast; with a
// SpeedUp of 0 every read is due at once and board time stands still, so tests get the same
// samples whatever the machine's pace.
#pragma once

#include "qzdaapi32/config_record.h"
#include "qzdaapi32/driver_request.h"
#include "standins/qzdrvsim/signal_model.h"
#include "standins/qzdrvsim/sim_signal.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <vector>

// System error numbers the simulated driver answers with (as Windows has them).
enum : uint32_t {
    SimErrorNone = 0,
    SimErrorInvalidFunction = 1,
    SimErrorFileNotFound = 2,
    SimErrorGenFailure = 31,
    SimErrorSharingViolation = 32,
    SimErrorInvalidParameter = 87,
    SimErrorOperationAborted = 995,
};

// Where a handle points: the device link, or one subsystem (index into SimBoard::units).
constexpr int32_t kSimDeviceTarget = -1;
constexpr int32_t kSimNoTarget = -2;
constexpr int32_t kSimUnitCount = 5;  // AD 0, DIN 0, DOUT 0, CT 0, CT 1

enum SimRunState : uint32_t { SimIdle = 0, SimRunning, SimPaused, SimPrestarted };

struct SimRead {
    uint64_t id = 0;
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
};

struct SimMessageWait {
    uint64_t id = 0;
    uint8_t* record = nullptr;
};

struct SimCompletion {
    uint64_t id = 0;
    uint32_t error = SimErrorNone;
    uint32_t bytes = 0;
};

struct SimLogEntry {
    uint32_t ioctl = 0;
    uint32_t status = 0;  // the record's status, or the system error for a refused call
};

struct SimOutputWrite {
    double timeMs = 0.0;  // wall-clock milliseconds since the board was first opened
    uint32_t value = 0;
};

// A change of the output lines that the stream has not reached yet.
struct SimPendingOutput {
    int64_t sample = 0;
    uint32_t value = 0;
};

struct SimUnit {
    uint32_t type = 0;
    uint32_t element = 0;
    bool open = false;
    bool overlapped = false;
    SubsystemCapabilities caps{};
    // The last configuration as it arrived and as it went back.
    ConfigRecord received;
    ConfigRecord returned;
    bool configured = false;
    uint32_t run = SimIdle;
    uint32_t dataFlow = 0;
    double clockHz = 0.0;    // as the board runs it
    double startWall = 0.0;  // wall time of the start (shifted by pauses)
    double pausedWall = 0.0;
    double startBoardTime = 0.0;  // board seconds
    uint64_t eventsAtPause = 0;
    // Analog input.
    std::vector<uint32_t> channelList;
    uint32_t resolution = 16;
    uint32_t encoding = 200;
    double rangeMin = -10.0;
    double rangeMax = 10.0;
    SimModelInputs modelInputs;
    SignalModel model;
    SignalGeneratorState generator;
    int64_t produced = 0;  // samples of the stream delivered
    int64_t scanInCache = -1;
    uint16_t scanCodes[4] = {};
    std::deque<SimPendingOutput> pendingOutputs;
    std::deque<SimRead> reads;
    std::deque<SimMessageWait> waits;
    std::deque<std::pair<uint32_t, uint32_t>> messages;  // queued driver messages (code, value)
    std::vector<SimLogEntry> log;
    uint64_t overruns = 0;
};

// Faults a test asks for.
struct SimFaults {
    std::map<uint32_t, uint32_t> failNext;  // ioctl -> status answered once
    uint32_t failNextRead = 0;              // system error of the next read's completion
};

struct SimCounts {
    uint32_t openHandles = 0;
    uint32_t pendingReads = 0;
    uint32_t pendingWaits = 0;
    uint32_t protocolViolations = 0;
    uint32_t runningUnits = 0;
};

struct SimBoard {
    SimSettings settings;
    SimUnit units[kSimUnitCount];
    bool deviceOpen = false;
    bool deviceOverlapped = false;
    std::map<uint32_t, uint32_t> registers;
    std::map<std::tuple<uint32_t, uint32_t, uint32_t>, uint32_t> calPots;
    uint8_t hardwareInfo[kRequestBytes - ArgHwInfoWords] = {};
    uint32_t outputValue = 0;
    std::vector<SimOutputWrite> outputLog;
    double epochWall = -1.0;  // wall time of the first open: the log's time origin
    SimFaults faults;
    uint32_t protocolViolations = 0;
    std::vector<std::string> violationNotes;
};

void InitSimBoard(SimBoard& board);

// The unit of (type, element), or kSimNoTarget.
int32_t SimUnitIndex(uint32_t type, uint32_t element);

// Opens a path of the board: the link by either route's spelling, or the link followed by
// "\AD0", "\DIN0", "\DOUT0", "\CT0", "\CT1" (letters in any case). 2 for a path the board
// does not have, 32 when it is open already (no sharing), 87 for an access other than reading
// and writing; else 0 and the target.
uint32_t SimOpen(SimBoard& board, const char* path, bool readWrite, bool shared, bool overlapped, int32_t* target);
// Closes a target: its waiting requests complete as cancelled, a running unit stops.
void SimClose(SimBoard& board, int32_t target, std::vector<SimCompletion>& done);

// One I/O control. hasOverlapped says whether the caller passed an OVERLAPPED record. A
// request that waits (a driver message not yet there) answers pending and completes later
// under `id`. Otherwise the answer is complete: error 0 with the bytes returned, or a system
// error.
struct SimAnswer {
    uint32_t error = SimErrorNone;
    bool pending = false;
    uint32_t bytes = 0;
};
SimAnswer SimIoControl(SimBoard& board, int32_t target, uint32_t code, const uint8_t* in, uint32_t inBytes,
                       uint8_t* out, uint32_t outBytes, bool hasOverlapped, uint64_t id, double wall,
                       std::vector<SimCompletion>& done);

// A read of samples from the analog input into data (bytes, even): pending until the stream
// has the samples, or a system error at once.
SimAnswer SimQueueRead(SimBoard& board, int32_t target, uint8_t* data, uint32_t bytes, bool hasOverlapped, uint64_t id,
                       double wall, std::vector<SimCompletion>& done);

// Cancels the waiting requests of a target whose ids are listed.
void SimCancel(SimBoard& board, int32_t target, const std::vector<uint64_t>& ids, std::vector<SimCompletion>& done);

// Fills the reads that are due by wall time and completes them.
void SimAdvance(SimBoard& board, double wall, std::vector<SimCompletion>& done);
// Wall time at which the next read is due; a huge value when none waits for samples.
double SimNextDue(const SimBoard& board, double wall);

// A driver message for a unit: answers a waiting request at once, or waits for the next one.
void SimPostMessage(SimBoard& board, int32_t target, uint32_t code, uint32_t value, std::vector<SimCompletion>& done);

SimCounts SimCountsOf(const SimBoard& board);
// The model the analog input streams from now (its start time, gain and source as they stand).
SignalModel SimCurrentModel(const SimBoard& board);
