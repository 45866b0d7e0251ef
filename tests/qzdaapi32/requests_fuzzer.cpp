// The board library's set/get requests and commands with arbitrary words and doubles (NaN,
// infinities and huge values included) on an analog input and a counter, against a driver that
// answers with the status the input gives. Words that are pointers in the library's contract
// (a buffer to queue or flush, the record of all single values) get real ones. Nothing may
// crash or overflow, the configuration record keeps its length, and the state word is always
// one of the subsystem states.
#include "qzdaapi32/commands.h"
#include "qzdaapi32/requests.h"
#include "qzdaapi32/setget.h"
#include "standins/qzmem32/buffer_memory.h"
#include "tests/qzdaapi32/test_boards.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const uint32_t kCodes[] = {
#define QZ_REQUEST_CODE_ROW(code, name) code,
    QZ_REQUEST_TABLE(QZ_REQUEST_CODE_ROW)
#undef QZ_REQUEST_CODE_ROW
};

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads the input from the front; zeros once it is used up.
struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    template <class T>
    T Take()
    {
        T value{};
        const size_t n = size - at < sizeof value ? size - at : sizeof value;
        std::memcpy(&value, data + at, n);
        at += n;
        return value;
    }
    bool More() const { return at < size; }
};

struct FakeDriver {
    uint32_t status = 0;
    bool failCall = false;
    static uint32_t Send(void* self, uint32_t, uint8_t* record, uint32_t bytes, bool* failed)
    {
        auto& d = *static_cast<FakeDriver*>(self);
        if (d.failCall) {
            *failed = true;
            return 6;
        }
        RequestPut32(record, bytes, ReqStatus, d.status);
        return d.status;
    }
    static uint32_t Mailbox(void*, uint32_t) { return 0; }
};

bool KnownState(uint32_t s)
{
    switch (s) {
    case SubsystemStateAllocated:
    case SubsystemStateChanged:
    case SubsystemStateConfiguredSingle:
    case SubsystemStateConfigured:
    case SubsystemStateRunning:
    case SubsystemStatePaused:
    case SubsystemStatePrestarted:
    case SubsystemStateDriverEvent:
        return true;
    default:
        return false;
    }
}

uint32_t NoInProcess(const SubsystemCore&)
{
    return 0;
}
bool AnyWindow(uintptr_t window)
{
    return window % 2 == 0;
}
bool AnyCode(uintptr_t procedure)
{
    return procedure % 3 == 0;
}

const SetGetEnvironment kSetGet = {
    {BmAppendToList, BmTakeListHead, BmCountList, BmGetValidSamples},
    AnyWindow,
    AnyCode,
    NoInProcess,
};

void Drain(HBUFLIST list)
{
    HBUF buffer = nullptr;
    while (list != nullptr && BmTakeListHead(list, &buffer) == QZMEM_OK && buffer != nullptr) {
    }
    if (list != nullptr)
        BmDestroyList(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    const uint8_t shape = in.Take<uint8_t>();
    const bool counter = shape & 1;
    const TestBoard board = counter ? CounterBoard() : AnalogInputBoard();
    SubsystemCore ss;
    ss.type = counter ? SubsystemTypeCT : SubsystemTypeAD;
    ss.element = 0;
    ss.handle = 0x1230;
    ss.caps = board.Caps();
    if (AllocateConfiguration(ss) != QZERR_NO_ERROR)
        return 0;
    ApplyDefaultConfiguration(ss);
    if (!counter) {
        BmCreateList(&ss.readyQueue);
        BmCreateList(&ss.doneQueue);
    }
    const size_t recordBytes = ss.configuration.size();

    FakeDriver driver;
    CommandEnvironment env;
    env.context = &driver;
    env.send = FakeDriver::Send;
    env.hasCopyThread = (shape & 2) != 0;
    env.sendAndWait = FakeDriver::Mailbox;
    env.sendNoWait = FakeDriver::Mailbox;
    env.readyCount = BmCountList;
    env.setValidSamples = BmSetValidSamples;

    std::vector<HBUF> buffers;
    uint8_t singleValues[kRequestBytes + 8];
    for (int steps = 0; in.More() && steps < 64; ++steps) {
        const uint8_t pick = in.Take<uint8_t>();
        const uint32_t code = pick < 0xF0 ? kCodes[pick % (sizeof kCodes / sizeof kCodes[0])] : 0x4000u + pick;
        RequestParams p;
        p.word0 = in.Take<uint32_t>();
        p.word1 = in.Take<uint32_t>();
        p.real0 = in.Take<double>();
        p.real1 = in.Take<double>();
        const uint8_t answer = in.Take<uint8_t>();
        driver.failCall = answer == 0xFF;
        driver.status = answer % 4 == 0 ? answer / 4 : 0;
        if (code == QZDRV_PUTBUFFER || code == QZDRV_FLUSHINPROCESS) {
            HBUF buffer = nullptr;
            if (BmAllocBuffer(16 + p.word1 % 64, 2, &buffer) != QZMEM_OK)
                continue;
            buffers.push_back(buffer);
            p.word0 = reinterpret_cast<uintptr_t>(buffer);
        }
        if (code == QZDRV_GETSINGLEVALUES)
            p.word0 = reinterpret_cast<uintptr_t>(singleValues);
        if (code <= kLastSetGetRequest)
            HandleSetGetRequest(ss, code, p, kSetGet);
        else
            HandleCommand(ss, code, p, env);
        Require(ss.configuration.size() == recordBytes);
        Require(KnownState(SubsystemStateOf(ss)));
    }
    Drain(ss.readyQueue);
    Drain(ss.doneQueue);
    for (HBUF buffer : buffers)
        BmFreeBuffer(buffer);
    return 0;
}
