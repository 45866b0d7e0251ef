// qzsimbrd.dll: the personality library of the simulated board. It answers the library's two
// personality entries from the board's tables, says through QzSimulatedDriver that its board
// is simulated (handing over the simulated driver), and carries the control calls of tests.
#include "standins/personality/qzsimbrd_control_win.h"
#include "standins/personality/sim_personality.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

volatile LONG OversizeNextCaps = 0;

// A channel list longer than the library can hold: its open of the subsystem fails after the
// driver path, the record and the lock are made, so that undoing them can be checked.
const int32_t* OversizedSlots(const int32_t* slots)
{
    static std::array<int32_t, kCapabilitySlotCount> oversized;
    std::copy(slots, slots + kCapabilitySlotCount, oversized.begin());
    oversized[SlotChannelListCapacity] = 100000;
    return oversized.data();
}

int32_t UnitOf(uint32_t type, uint32_t element)
{
    return SimUnitIndex(type, element);
}

}  // namespace

extern "C" {

int32_t WINAPI PersonalityProcEx(uint32_t boardType, const char*, uint32_t type, uint32_t element,
                                 SubsystemCapabilities* caps)
{
    if (caps == nullptr || boardType != kSimBoardType || !SimCapabilities(type, element, caps))
        return 0;
    if (InterlockedExchange(&OversizeNextCaps, 0) != 0)
        caps->integerSlots = OversizedSlots(caps->integerSlots);
    return 1;
}

int32_t WINAPI BoardInfoProcEx(uint32_t boardType, const char*, uint32_t* boardInfo, const uint32_t** typeCounts)
{
    if (boardType != kSimBoardType || boardInfo == nullptr || typeCounts == nullptr)
        return 0;
    *boardInfo = kSimBoardInfo;
    *typeCounts = SimTypeCounts;
    return 1;
}

const DriverPort* WINAPI QzSimulatedDriver(uint32_t portSize)
{
    return SimulatedDriverPort(portSize);
}

BOOL WINAPI SimBoardGetSettings(SimSettings* settings)
{
    if (settings == nullptr || settings->Size != sizeof(SimSettings))
        return FALSE;
    WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) { *settings = board.settings; });
    return TRUE;
}

BOOL WINAPI SimBoardSetSettings(const SimSettings* settings)
{
    if (settings == nullptr || settings->Size != sizeof(SimSettings))
        return FALSE;
    WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) { board.settings = *settings; });
    return TRUE;
}

BOOL WINAPI SimBoardGetCounts(SimDriverCounts* counts, uint32_t size)
{
    if (counts == nullptr || size != sizeof(SimDriverCounts))
        return FALSE;
    *counts = SimDriverCountsNow();
    return TRUE;
}

uint32_t WINAPI SimBoardOutputLog(SimOutputWrite* entries, uint32_t max)
{
    uint32_t count = 0;
    WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) {
        count = static_cast<uint32_t>(board.outputLog.size());
        for (uint32_t i = 0; entries != nullptr && i < count && i < max; ++i)
            entries[i] = board.outputLog[i];
    });
    return count;
}

void WINAPI SimBoardClearOutputLog()
{
    WithSimBoard([](SimBoard& board, std::vector<SimCompletion>&) { board.outputLog.clear(); });
}

uint32_t WINAPI SimBoardConfiguration(uint32_t type, uint32_t element, uint32_t returned, uint8_t* bytes, uint32_t size)
{
    const int32_t unit = UnitOf(type, element);
    if (unit < 0)
        return 0;
    uint32_t length = 0;
    WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) {
        const ConfigRecord& record = returned != 0 ? board.units[unit].returned : board.units[unit].received;
        length = static_cast<uint32_t>(record.size());
        if (bytes != nullptr)
            std::memcpy(bytes, record.data(), std::min(length, size));
    });
    return length;
}

uint32_t WINAPI SimBoardRequestLog(uint32_t type, uint32_t element, SimLogEntry* entries, uint32_t max)
{
    const int32_t unit = UnitOf(type, element);
    if (unit < 0)
        return 0;
    uint32_t count = 0;
    WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) {
        const std::vector<SimLogEntry>& log = board.units[unit].log;
        count = static_cast<uint32_t>(log.size());
        for (uint32_t i = 0; entries != nullptr && i < count && i < max; ++i)
            entries[i] = log[i];
    });
    return count;
}

BOOL WINAPI SimBoardInjectFault(uint32_t fault, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    switch (fault) {
    case SimFaultRefuseNext:
        WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) { board.faults.failNext[a] = b; });
        return TRUE;
    case SimFaultFailNextRead:
        WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) { board.faults.failNextRead = a; });
        return TRUE;
    case SimFaultMessage: {
        const int32_t unit = UnitOf(a, b);
        if (unit < 0)
            return FALSE;
        WithSimBoard(
            [&](SimBoard& board, std::vector<SimCompletion>& done) { SimPostMessage(board, unit, c, d, done); });
        return TRUE;
    }
    case SimFaultOversizeNextCaps:
        InterlockedExchange(&OversizeNextCaps, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL WINAPI SimBoardCurrentModel(SignalModel* model, uint32_t size)
{
    if (model == nullptr || size != sizeof(SignalModel))
        return FALSE;
    WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) { *model = SimCurrentModel(board); });
    return TRUE;
}

BOOL WINAPI SimBoardViolation(uint32_t index, char* text, uint32_t size)
{
    BOOL found = FALSE;
    WithSimBoard([&](SimBoard& board, std::vector<SimCompletion>&) {
        if (index < board.violationNotes.size() && text != nullptr && size > 0) {
            const std::string& note = board.violationNotes[index];
            const size_t n = std::min<size_t>(note.size(), size - 1);
            std::memcpy(text, note.data(), n);
            text[n] = 0;
            found = TRUE;
        }
    });
    return found;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // While the process ends the other threads are gone: the simulated driver stops taking
    // its lock, which one of them may have died holding.
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr)
        SimDriverProcessEnding();
    return TRUE;
}

}  // extern "C"
