#include "standins/qzmem32/buffer_memory.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

// Handle code: bit 31 list flag, bits 16-30 generation, bits 0-15 slot index + 1.
constexpr uint32_t kListFlag = 0x80000000u;
constexpr uint32_t kGenerationShift = 16;
constexpr uint32_t kGenerationMask = 0x7FFF;
constexpr uint32_t kIndexMask = 0xFFFF;
constexpr uint32_t kMaxSlots = 0xFFFF;
// Largest data area: sizes are 32-bit values for the callers and reads are signed.
constexpr uint64_t kMaxBytes = 0x7FFFFFFF;

struct BufferRecord {
    BufferControlBlock control{};
    std::unique_ptr<uint8_t[]> data;
    uint32_t bytes = 0;
    uint32_t sampleSize = 0;
    uint32_t validSamples = 0;
    uint32_t resolution = 0;
    uint32_t finishCount = 0;
    uint32_t onList = 0;  // code of the list that holds it, 0 for none
};

struct ListRecord {
    std::deque<uint32_t> buffers;
    std::thread::id holder;
    uint32_t holdDepth = 0;
};

template <class Record>
struct Slot {
    uint32_t generation = 1;
    std::unique_ptr<Record> record;
};

template <class Record>
struct SlotTable {
    std::vector<Slot<Record>> slots;
    // Freed slots are reused oldest first, so a stale code stays stale as long as possible.
    std::deque<uint32_t> freeSlots;
};

struct Store {
    std::mutex lock;
    std::condition_variable listReleased;
    uint32_t waiting = 0;  // threads in WaitForList's wait
    SlotTable<BufferRecord> buffers;
    SlotTable<ListRecord> lists;
};

Store& TheStore()
{
    static Store store;
    return store;
}

uint32_t CodeOf(const void* handle)
{
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value > 0xFFFFFFFFu)
        return 0;
    return static_cast<uint32_t>(value);
}

template <class Record>
Record* Find(SlotTable<Record>& table, uint32_t code, bool list)
{
    if (code == 0 || ((code & kListFlag) != 0) != list)
        return nullptr;
    uint32_t index = code & kIndexMask;
    uint32_t generation = (code >> kGenerationShift) & kGenerationMask;
    if (index == 0 || index > table.slots.size())
        return nullptr;
    Slot<Record>& slot = table.slots[index - 1];
    if (!slot.record || slot.generation != generation)
        return nullptr;
    return slot.record.get();
}

// Places a record in a free slot and returns its code, 0 when the table is full.
template <class Record>
uint32_t Insert(SlotTable<Record>& table, std::unique_ptr<Record> record, bool list)
{
    uint32_t index;
    if (!table.freeSlots.empty()) {
        index = table.freeSlots.front();
        table.freeSlots.pop_front();
    } else {
        if (table.slots.size() >= kMaxSlots)
            return 0;
        table.slots.emplace_back();
        index = static_cast<uint32_t>(table.slots.size());
    }
    Slot<Record>& slot = table.slots[index - 1];
    slot.record = std::move(record);
    return (list ? kListFlag : 0) | (slot.generation << kGenerationShift) | index;
}

template <class Record>
std::unique_ptr<Record> Remove(SlotTable<Record>& table, uint32_t code)
{
    uint32_t index = code & kIndexMask;
    Slot<Record>& slot = table.slots[index - 1];
    std::unique_ptr<Record> record = std::move(slot.record);
    slot.generation = (slot.generation + 1) & kGenerationMask;
    if (slot.generation == 0)
        slot.generation = 1;
    table.freeSlots.push_back(index);
    return record;
}

// The list of code, waiting while another thread holds it in an update; null when the handle
// is not (or no longer) a live list.
ListRecord* WaitForList(Store& store, std::unique_lock<std::mutex>& held, uint32_t code)
{
    for (;;) {
        ListRecord* list = Find(store.lists, code, true);
        if (list == nullptr)
            return nullptr;
        if (list->holdDepth == 0 || list->holder == std::this_thread::get_id())
            return list;
        ++store.waiting;
        store.listReleased.wait(held);
        --store.waiting;
    }
}

BufferRecord* FindBuffer(Store& store, HBUF buffer)
{
    return Find(store.buffers, CodeOf(buffer), false);
}

}  // namespace

namespace {

// Runs op on the live record of buffer under the store's lock; a stale, freed or foreign
// handle is refused before anything is read.
template <class Op>
uint32_t WithBuffer(HBUF buffer, Op op)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> held(store.lock);
    BufferRecord* record = FindBuffer(store, buffer);
    if (record == nullptr)
        return QZMEM_BAD_BUFFER;
    return op(record);
}

}  // namespace

uint32_t BmAllocBuffer(uint32_t sampleCount, uint32_t sampleSize, HBUF* buffer)
{
    if (buffer == nullptr)
        return QZMEM_NULL_PARAMETER;
    if (sampleSize != 1 && sampleSize != 2 && sampleSize != 4)
        return QZMEM_BAD_SAMPLE_SIZE;
    uint64_t bytes = static_cast<uint64_t>(sampleCount) * sampleSize;
    if (bytes == 0 || bytes > kMaxBytes)
        return QZMEM_NO_DATA_BUFFER;

    std::unique_ptr<BufferRecord> record(new (std::nothrow) BufferRecord);
    if (!record)
        return QZMEM_NO_CONTROL_BLOCK;
    record->data.reset(new (std::nothrow) uint8_t[bytes]());
    if (!record->data)
        return QZMEM_NO_DATA_BUFFER;
    record->bytes = static_cast<uint32_t>(bytes);
    record->sampleSize = sampleSize;

    Store& store = TheStore();
    std::lock_guard<std::mutex> held(store.lock);
    uint32_t code = Insert(store.buffers, std::move(record), false);
    if (code == 0)
        return QZMEM_NO_CONTROL_BLOCK;
    *buffer = reinterpret_cast<HBUF>(static_cast<uintptr_t>(code));
    return QZMEM_OK;
}

uint32_t BmFreeBuffer(HBUF buffer)
{
    Store& store = TheStore();
    std::unique_ptr<BufferRecord> gone;
    {
        std::lock_guard<std::mutex> held(store.lock);
        BufferRecord* record = FindBuffer(store, buffer);
        if (record == nullptr)
            return QZMEM_BAD_BUFFER;
        // Freeing a queued buffer would leave a dangling entry on its list.
        if (record->onList != 0)
            return QZMEM_BUFFER_ON_LIST;
        gone = Remove(store.buffers, CodeOf(buffer));
    }
    return QZMEM_OK;
}

uint32_t BmCreateList(HBUFLIST* list)
{
    if (list == nullptr)
        return QZMEM_NULL_PARAMETER;
    std::unique_ptr<ListRecord> record(new (std::nothrow) ListRecord);
    if (!record)
        return QZMEM_NO_LIST;
    Store& store = TheStore();
    std::lock_guard<std::mutex> held(store.lock);
    uint32_t code = Insert(store.lists, std::move(record), true);
    if (code == 0)
        return QZMEM_NO_LIST;
    *list = reinterpret_cast<HBUFLIST>(static_cast<uintptr_t>(code));
    return QZMEM_OK;
}

uint32_t BmDestroyList(HBUFLIST list)
{
    Store& store = TheStore();
    std::unique_ptr<ListRecord> gone;
    {
        std::unique_lock<std::mutex> held(store.lock);
        ListRecord* record = WaitForList(store, held, CodeOf(list));
        if (record == nullptr)
            return QZMEM_BAD_LIST;
        if (!record->buffers.empty())
            return QZMEM_LIST_NOT_EMPTY;
        gone = Remove(store.lists, CodeOf(list));
    }
    // Threads waiting on the list wake up and find it gone.
    store.listReleased.notify_all();
    return QZMEM_OK;
}

uint32_t BmTakeListHead(HBUFLIST list, HBUF* buffer)
{
    if (buffer == nullptr)
        return QZMEM_NULL_PARAMETER;
    Store& store = TheStore();
    std::unique_lock<std::mutex> held(store.lock);
    ListRecord* record = WaitForList(store, held, CodeOf(list));
    if (record == nullptr)
        return QZMEM_BAD_LIST;
    if (record->buffers.empty()) {
        *buffer = nullptr;
        return QZMEM_OK;
    }
    uint32_t code = record->buffers.front();
    record->buffers.pop_front();
    // Every code on a list is a live buffer: a buffer cannot be freed while listed.
    Find(store.buffers, code, false)->onList = 0;
    *buffer = reinterpret_cast<HBUF>(static_cast<uintptr_t>(code));
    return QZMEM_OK;
}

uint32_t BmAppendToList(HBUFLIST list, HBUF buffer)
{
    Store& store = TheStore();
    std::unique_lock<std::mutex> held(store.lock);
    ListRecord* record = WaitForList(store, held, CodeOf(list));
    if (record == nullptr)
        return QZMEM_BAD_LIST;
    BufferRecord* item = FindBuffer(store, buffer);
    if (item == nullptr)
        return QZMEM_BAD_BUFFER;
    if (item->onList != 0)
        return QZMEM_BUFFER_ON_LIST;
    record->buffers.push_back(CodeOf(buffer));
    item->onList = CodeOf(list);
    return QZMEM_OK;
}

uint32_t BmCountList(HBUFLIST list, uint32_t* count)
{
    if (count == nullptr)
        return QZMEM_NULL_PARAMETER;
    Store& store = TheStore();
    std::unique_lock<std::mutex> held(store.lock);
    ListRecord* record = WaitForList(store, held, CodeOf(list));
    if (record == nullptr)
        return QZMEM_BAD_LIST;
    *count = static_cast<uint32_t>(record->buffers.size());
    return QZMEM_OK;
}

uint32_t BmGetBufferPointer(HBUF buffer, void** data)
{
    if (data == nullptr)
        return QZMEM_NULL_PARAMETER;
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        *data = record->data.get();
        return QZMEM_OK;
    });
}

uint32_t BmGetBufferSize(HBUF buffer, uint32_t* bytes)
{
    if (bytes == nullptr)
        return QZMEM_NULL_PARAMETER;
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        *bytes = record->bytes;
        return QZMEM_OK;
    });
}

uint32_t BmGetValidSamples(HBUF buffer, uint32_t* count)
{
    if (count == nullptr)
        return QZMEM_NULL_PARAMETER;
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        *count = record->validSamples;
        return QZMEM_OK;
    });
}

uint32_t BmSetSampleSize(HBUF buffer, uint32_t bytesPerSample)
{
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        if (bytesPerSample != 1 && bytesPerSample != 2 && bytesPerSample != 4)
            return QZMEM_BAD_SAMPLE_SIZE;
        if (static_cast<uint64_t>(record->validSamples) * bytesPerSample > record->bytes)
            return QZMEM_TOO_MANY_SAMPLES;
        record->sampleSize = bytesPerSample;
        return QZMEM_OK;
    });
}

uint32_t BmSetValidSamples(HBUF buffer, uint32_t count)
{
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        if (static_cast<uint64_t>(count) * record->sampleSize > record->bytes)
            return QZMEM_TOO_MANY_SAMPLES;
        record->validSamples = count;
        return QZMEM_OK;
    });
}

uint32_t BmSetBufferResolution(HBUF buffer, uint32_t bits)
{
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        record->resolution = bits;
        return QZMEM_OK;
    });
}

uint32_t BmFinishBuffer(HBUF buffer)
{
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        ++record->finishCount;
        return QZMEM_OK;
    });
}

uint32_t BmGetControlBlock(HBUF buffer, BufferControlBlock** block)
{
    if (block == nullptr)
        return QZMEM_NULL_PARAMETER;
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        *block = &record->control;
        return QZMEM_OK;
    });
}

uint32_t BmListBeginUpdate(HBUFLIST list)
{
    Store& store = TheStore();
    std::unique_lock<std::mutex> held(store.lock);
    ListRecord* record = WaitForList(store, held, CodeOf(list));
    if (record == nullptr)
        return QZMEM_BAD_LIST;
    record->holder = std::this_thread::get_id();
    ++record->holdDepth;
    return QZMEM_OK;
}

uint32_t BmListEndUpdate(HBUFLIST list)
{
    Store& store = TheStore();
    {
        std::lock_guard<std::mutex> held(store.lock);
        ListRecord* record = Find(store.lists, CodeOf(list), true);
        if (record == nullptr)
            return QZMEM_BAD_LIST;
        if (record->holdDepth == 0 || record->holder != std::this_thread::get_id())
            return QZMEM_LIST_NOT_HELD;
        if (--record->holdDepth != 0)
            return QZMEM_OK;
        record->holder = std::thread::id();
    }
    store.listReleased.notify_all();
    return QZMEM_OK;
}

uint32_t BmGetBufferFacts(HBUF buffer, BufferFacts* facts)
{
    if (facts == nullptr)
        return QZMEM_NULL_PARAMETER;
    return WithBuffer(buffer, [&](BufferRecord* record) -> uint32_t {
        *facts = {record->bytes,      record->sampleSize,  record->validSamples,
                  record->resolution, record->finishCount, record->onList != 0};
        return QZMEM_OK;
    });
}

uint32_t BmThreadsWaitingForLists()
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> held(store.lock);
    return store.waiting;
}

void BmCountLive(uint32_t* buffers, uint32_t* lists)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> held(store.lock);
    auto live = [](const auto& table) {
        uint32_t n = 0;
        for (const auto& slot : table.slots)
            n += slot.record ? 1 : 0;
        return n;
    };
    if (buffers != nullptr)
        *buffers = live(store.buffers);
    if (lists != nullptr)
        *lists = live(store.lists);
}
