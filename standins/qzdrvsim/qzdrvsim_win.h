// The simulated driver on Windows: the driver port that the simulated board's personality
// library hands to qzdaapi32. Handles are real kernel objects (one event each, so their
// values never collide with other handles); synchronous answers fill the OVERLAPPED record and
// set its event as the I/O manager does; waiting requests are completed later by the same
// means (the event of an I/O control, an APC with the completion routine to the thread that
// issued a read). A worker thread delivers the reads as their samples become due.
//
// The simulation's settings start from the environment variable QZSIM_OPTIONS, when set
// ("SpeedUp=10;ResistivityOhmM=30;NoiseVolts=0.001", names as SimSettings has them), so that
// a program run on the simulated board (V-LOX under tools/run or an end-to-end test) can be
// given a pace and a ground without touching the program.
#pragma once

#include "qzdaapi32/driver_port_win.h"
#include "standins/qzdrvsim/sim_board.h"

#include <cstdint>
#include <functional>

// The port, when the caller's table has the same size.
const DriverPort* SimulatedDriverPort(uint32_t portSize);

// What the Win32 side holds besides the board.
struct SimDriverCounts {
    SimCounts board;
    uint32_t handles = 0;          // handle objects open
    uint32_t pendingRequests = 0;  // requests waiting for their completion
    uint32_t queuedApcs = 0;       // completion routines queued and not yet run
    uint32_t workers = 0;          // worker threads alive
};
SimDriverCounts SimDriverCountsNow();

// Runs f on the board under the driver's lock (control calls of tests), then delivers any
// completions it produced.
void WithSimBoard(const std::function<void(SimBoard&, std::vector<SimCompletion>&)>& f);

// The process is ending: the other threads are gone (one may have died holding the driver's
// lock), so from now on requests are answered at once without touching the board.
void SimDriverProcessEnding();
