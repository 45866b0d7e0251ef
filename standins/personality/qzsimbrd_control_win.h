// The control calls of the simulated board (qzsimbrd.dll) for tests and tools: its settings,
// its counts, the digital-output log, what each subsystem received, faults to inject. A test
// loads them by name from the library that qzdaapi32 loaded (or loads it itself first).
#pragma once

#include "standins/qzdrvsim/qzdrvsim_win.h"
#include "standins/qzdrvsim/sim_board.h"
#include "standins/qzdrvsim/sim_signal.h"

#include <windows.h>

#include <cstdint>

// Faults for SimBoardInjectFault.
enum : uint32_t {
    SimFaultRefuseNext = 1,       // a: ioctl, b: status the driver answers to its next use
    SimFaultFailNextRead = 2,     // a: system error of the next read's completion
    SimFaultMessage = 3,          // a: type, b: element, c: message code, d: message value
    SimFaultOversizeNextCaps = 4  // the next subsystem opened gets a channel list too big to hold
};

extern "C" {
BOOL WINAPI SimBoardGetSettings(SimSettings* settings);
BOOL WINAPI SimBoardSetSettings(const SimSettings* settings);
BOOL WINAPI SimBoardGetCounts(SimDriverCounts* counts, uint32_t size);
// Entries of the digital-output log copied (up to max); returns the number in the log.
uint32_t WINAPI SimBoardOutputLog(SimOutputWrite* entries, uint32_t max);
void WINAPI SimBoardClearOutputLog();
// The last configuration of a subsystem as received (returned 0) or as sent back (1): bytes
// copied up to size; returns its length, 0 when there is none.
uint32_t WINAPI SimBoardConfiguration(uint32_t type, uint32_t element, uint32_t returned, uint8_t* bytes,
                                      uint32_t size);
// The requests a subsystem received since it was opened: returns the number, copies up to max.
uint32_t WINAPI SimBoardRequestLog(uint32_t type, uint32_t element, SimLogEntry* entries, uint32_t max);
BOOL WINAPI SimBoardInjectFault(uint32_t fault, uint32_t a, uint32_t b, uint32_t c, uint32_t d);
// The model the analog input streams from now.
BOOL WINAPI SimBoardCurrentModel(SignalModel* model, uint32_t size);
// Note index of what the board refused as a breach of the driver protocol.
BOOL WINAPI SimBoardViolation(uint32_t index, char* text, uint32_t size);
}

// The calls as a test finds them.
struct SimBoardControl {
    HMODULE module = nullptr;
    decltype(&SimBoardGetSettings) GetSettings = nullptr;
    decltype(&SimBoardSetSettings) SetSettings = nullptr;
    decltype(&SimBoardGetCounts) GetCounts = nullptr;
    decltype(&SimBoardOutputLog) OutputLog = nullptr;
    decltype(&SimBoardClearOutputLog) ClearOutputLog = nullptr;
    decltype(&SimBoardConfiguration) Configuration = nullptr;
    decltype(&SimBoardRequestLog) RequestLog = nullptr;
    decltype(&SimBoardInjectFault) InjectFault = nullptr;
    decltype(&SimBoardCurrentModel) CurrentModel = nullptr;
    decltype(&SimBoardViolation) Violation = nullptr;

    // Loads qzsimbrd.dll (kept loaded while this lives) and finds every call.
    bool Load()
    {
        module = LoadLibraryA("qzsimbrd.dll");
        if (module == nullptr)
            return false;
        return Find(GetSettings, "SimBoardGetSettings") && Find(SetSettings, "SimBoardSetSettings") &&
               Find(GetCounts, "SimBoardGetCounts") && Find(OutputLog, "SimBoardOutputLog") &&
               Find(ClearOutputLog, "SimBoardClearOutputLog") && Find(Configuration, "SimBoardConfiguration") &&
               Find(RequestLog, "SimBoardRequestLog") && Find(InjectFault, "SimBoardInjectFault") &&
               Find(CurrentModel, "SimBoardCurrentModel") && Find(Violation, "SimBoardViolation");
    }
    ~SimBoardControl()
    {
        if (module != nullptr)
            FreeLibrary(module);
    }

private:
    template <class F>
    bool Find(F& f, const char* name)
    {
        f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        return f != nullptr;
    }
};
