// The buffer-memory store behind qzmem32.dll: contracts, misuse codes, and list safety under
// contention.
#include "standins/qzmem32/buffer_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

HBUF Alloc(uint32_t samples, uint32_t size = 2)
{
    HBUF buffer = nullptr;
    EXPECT_EQ(BmAllocBuffer(samples, size, &buffer), QZMEM_OK);
    return buffer;
}

HBUFLIST NewList()
{
    HBUFLIST list = nullptr;
    EXPECT_EQ(BmCreateList(&list), QZMEM_OK);
    return list;
}

}  // namespace

TEST(BufferMemory, NewBufferHasItsSizeNoValidSamplesAndZeroedData)
{
    HBUF buffer = Alloc(1000);
    ASSERT_NE(buffer, nullptr);
    uint32_t bytes = 0, valid = 99;
    void* data = nullptr;
    EXPECT_EQ(BmGetBufferSize(buffer, &bytes), QZMEM_OK);
    EXPECT_EQ(bytes, 2000u);
    EXPECT_EQ(BmGetValidSamples(buffer, &valid), QZMEM_OK);
    EXPECT_EQ(valid, 0u);
    ASSERT_EQ(BmGetBufferPointer(buffer, &data), QZMEM_OK);
    std::vector<uint8_t> zeros(2000, 0);
    EXPECT_EQ(std::memcmp(data, zeros.data(), zeros.size()), 0);
    EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
}

TEST(BufferMemory, AllocationArgumentsAreChecked)
{
    HBUF buffer = reinterpret_cast<HBUF>(uintptr_t{0x1234});
    EXPECT_EQ(BmAllocBuffer(10, 3, &buffer), QZMEM_BAD_SAMPLE_SIZE);
    EXPECT_EQ(BmAllocBuffer(10, 0, &buffer), QZMEM_BAD_SAMPLE_SIZE);
    EXPECT_EQ(BmAllocBuffer(0, 2, &buffer), QZMEM_NO_DATA_BUFFER);
    EXPECT_EQ(BmAllocBuffer(0x80000000u, 4, &buffer), QZMEM_NO_DATA_BUFFER);
    EXPECT_EQ(BmAllocBuffer(10, 2, nullptr), QZMEM_NULL_PARAMETER);
    // Nothing written on failure.
    EXPECT_EQ(buffer, reinterpret_cast<HBUF>(uintptr_t{0x1234}));
}

TEST(BufferMemory, FreedAndForeignBufferHandlesAreRefused)
{
    HBUF buffer = Alloc(16);
    ASSERT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
    uint32_t value = 0;
    void* data = nullptr;
    BufferControlBlock* block = nullptr;
    EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmGetBufferSize(buffer, &value), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmGetValidSamples(buffer, &value), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmGetBufferPointer(buffer, &data), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmSetValidSamples(buffer, 1), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmSetSampleSize(buffer, 2), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmSetBufferResolution(buffer, 16), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmFinishBuffer(buffer), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmGetControlBlock(buffer, &block), QZMEM_BAD_BUFFER);

    for (uintptr_t foreign : {uintptr_t{0}, uintptr_t{1}, uintptr_t{0x7FFF0001}, uintptr_t{0xDEADBEEF}})
        EXPECT_EQ(BmFreeBuffer(reinterpret_cast<HBUF>(foreign)), QZMEM_BAD_BUFFER) << foreign;

    // A list handle is not a buffer, nor the other way round.
    HBUFLIST list = NewList();
    EXPECT_EQ(BmFreeBuffer(reinterpret_cast<HBUF>(list)), QZMEM_BAD_BUFFER);
    HBUF other = Alloc(4);
    EXPECT_EQ(BmDestroyList(reinterpret_cast<HBUFLIST>(other)), QZMEM_BAD_LIST);
    EXPECT_EQ(BmFreeBuffer(other), QZMEM_OK);
    EXPECT_EQ(BmDestroyList(list), QZMEM_OK);
}

// Pins that a slot reused by a new buffer does not bring the old handle back to life.
TEST(BufferMemory, ReusedSlotKeepsTheOldHandleStale)
{
    std::vector<HBUF> freed;
    for (int i = 0; i < 8; ++i) {
        HBUF buffer = Alloc(8);
        freed.push_back(buffer);
        ASSERT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
    }
    std::vector<HBUF> live;
    for (int i = 0; i < 64; ++i)
        live.push_back(Alloc(8));
    for (HBUF old : freed) {
        EXPECT_EQ(std::count(live.begin(), live.end(), old), 0);
        uint32_t bytes;
        EXPECT_EQ(BmGetBufferSize(old, &bytes), QZMEM_BAD_BUFFER);
    }
    for (HBUF buffer : live)
        EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
}

TEST(BufferMemory, ListsKeepOrderAndAnEmptyListGivesANullBuffer)
{
    HBUFLIST list = NewList();
    HBUF a = Alloc(4), b = Alloc(4), c = Alloc(4);
    EXPECT_EQ(BmAppendToList(list, a), QZMEM_OK);
    EXPECT_EQ(BmAppendToList(list, b), QZMEM_OK);
    EXPECT_EQ(BmAppendToList(list, c), QZMEM_OK);
    uint32_t count = 0;
    EXPECT_EQ(BmCountList(list, &count), QZMEM_OK);
    EXPECT_EQ(count, 3u);
    HBUF got = nullptr;
    for (HBUF expected : {a, b, c}) {
        EXPECT_EQ(BmTakeListHead(list, &got), QZMEM_OK);
        EXPECT_EQ(got, expected);
    }
    got = a;
    EXPECT_EQ(BmTakeListHead(list, &got), QZMEM_OK);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(BmDestroyList(list), QZMEM_OK);
    for (HBUF buffer : {a, b, c})
        EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
}

TEST(BufferMemory, ListMisuseShowsAtOnce)
{
    HBUFLIST first = NewList();
    HBUFLIST second = NewList();
    HBUF buffer = Alloc(4);
    ASSERT_EQ(BmAppendToList(first, buffer), QZMEM_OK);
    // On a list already, even the same one.
    EXPECT_EQ(BmAppendToList(first, buffer), QZMEM_BUFFER_ON_LIST);
    EXPECT_EQ(BmAppendToList(second, buffer), QZMEM_BUFFER_ON_LIST);
    // Freed while queued would leave a dangling entry.
    EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_BUFFER_ON_LIST);
    EXPECT_EQ(BmDestroyList(first), QZMEM_LIST_NOT_EMPTY);

    HBUF taken = nullptr;
    ASSERT_EQ(BmTakeListHead(first, &taken), QZMEM_OK);
    EXPECT_EQ(BmAppendToList(second, taken), QZMEM_OK);
    EXPECT_EQ(BmTakeListHead(second, &taken), QZMEM_OK);
    EXPECT_EQ(BmDestroyList(first), QZMEM_OK);
    EXPECT_EQ(BmDestroyList(first), QZMEM_BAD_LIST);
    uint32_t count;
    EXPECT_EQ(BmCountList(first, &count), QZMEM_BAD_LIST);
    EXPECT_EQ(BmAppendToList(first, buffer), QZMEM_BAD_LIST);
    EXPECT_EQ(BmTakeListHead(first, &taken), QZMEM_BAD_LIST);
    EXPECT_EQ(BmListBeginUpdate(first), QZMEM_BAD_LIST);
    EXPECT_EQ(BmAppendToList(second, reinterpret_cast<HBUF>(uintptr_t{77})), QZMEM_BAD_BUFFER);
    EXPECT_EQ(BmCountList(second, nullptr), QZMEM_NULL_PARAMETER);
    EXPECT_EQ(BmDestroyList(second), QZMEM_OK);
    EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
}

TEST(BufferMemory, ValidSamplesNeverExceedTheBuffer)
{
    HBUF buffer = Alloc(100, 2);  // 200 bytes
    EXPECT_EQ(BmSetValidSamples(buffer, 100), QZMEM_OK);
    EXPECT_EQ(BmSetValidSamples(buffer, 101), QZMEM_TOO_MANY_SAMPLES);
    // 100 samples of 4 bytes no longer fit.
    EXPECT_EQ(BmSetSampleSize(buffer, 4), QZMEM_TOO_MANY_SAMPLES);
    EXPECT_EQ(BmSetSampleSize(buffer, 3), QZMEM_BAD_SAMPLE_SIZE);
    EXPECT_EQ(BmSetSampleSize(buffer, 1), QZMEM_OK);
    EXPECT_EQ(BmSetValidSamples(buffer, 200), QZMEM_OK);
    EXPECT_EQ(BmSetValidSamples(buffer, 0xFFFFFFFFu), QZMEM_TOO_MANY_SAMPLES);
    uint32_t valid = 0;
    EXPECT_EQ(BmGetValidSamples(buffer, &valid), QZMEM_OK);
    EXPECT_EQ(valid, 200u);
    EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
}

TEST(BufferMemory, ControlBlockIsStableAndFinishedBuffersAreRecorded)
{
    HBUF buffer = Alloc(8);
    BufferControlBlock* first = nullptr;
    BufferControlBlock* again = nullptr;
    ASSERT_EQ(BmGetControlBlock(buffer, &first), QZMEM_OK);
    static_assert(sizeof(BufferControlBlock) >= 20, "room for an overlapped record");
    std::memset(first->bytes, 0xA5, sizeof first->bytes);
    std::vector<HBUF> others;
    for (int i = 0; i < 100; ++i)
        others.push_back(Alloc(8));
    ASSERT_EQ(BmGetControlBlock(buffer, &again), QZMEM_OK);
    EXPECT_EQ(first, again);
    EXPECT_EQ(again->bytes[19], 0xA5);

    EXPECT_EQ(BmSetBufferResolution(buffer, 16), QZMEM_OK);
    EXPECT_EQ(BmFinishBuffer(buffer), QZMEM_OK);
    BufferFacts facts{};
    ASSERT_EQ(BmGetBufferFacts(buffer, &facts), QZMEM_OK);
    EXPECT_EQ(facts.resolution, 16u);
    EXPECT_EQ(facts.finishCount, 1u);
    EXPECT_FALSE(facts.onList);
    for (HBUF other : others)
        EXPECT_EQ(BmFreeBuffer(other), QZMEM_OK);
    EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
}

TEST(BufferMemory, UpdatePairNestsAndBelongsToItsThread)
{
    HBUFLIST list = NewList();
    EXPECT_EQ(BmListEndUpdate(list), QZMEM_LIST_NOT_HELD);
    ASSERT_EQ(BmListBeginUpdate(list), QZMEM_OK);
    ASSERT_EQ(BmListBeginUpdate(list), QZMEM_OK);
    // The holder's own calls go through.
    HBUF buffer = Alloc(4);
    EXPECT_EQ(BmAppendToList(list, buffer), QZMEM_OK);
    uint32_t result = 0;
    std::thread other([&] { result = BmListEndUpdate(list); });
    other.join();
    EXPECT_EQ(result, QZMEM_LIST_NOT_HELD);
    EXPECT_EQ(BmListEndUpdate(list), QZMEM_OK);
    EXPECT_EQ(BmListEndUpdate(list), QZMEM_OK);
    EXPECT_EQ(BmListEndUpdate(list), QZMEM_LIST_NOT_HELD);
    HBUF taken = nullptr;
    EXPECT_EQ(BmTakeListHead(list, &taken), QZMEM_OK);
    EXPECT_EQ(BmFreeBuffer(taken), QZMEM_OK);
    EXPECT_EQ(BmDestroyList(list), QZMEM_OK);
}

// Producers append, consumers take, from many threads on one list: every buffer comes out
// exactly once and nothing is lost or duplicated.
TEST(BufferMemory, ListIsSafeUnderContention)
{
    constexpr int kProducers = 4;
    constexpr int kConsumers = 4;
    constexpr int kPerProducer = 2000;
    HBUFLIST list = NewList();
    std::atomic<int> produced{0};
    std::vector<std::vector<HBUF>> taken(kConsumers);
    std::atomic<uint32_t> failures{0};

    std::vector<std::thread> threads;
    for (int p = 0; p < kProducers; ++p) {
        threads.emplace_back([&] {
            for (int i = 0; i < kPerProducer; ++i) {
                HBUF buffer = nullptr;
                if (BmAllocBuffer(4, 2, &buffer) != QZMEM_OK || BmAppendToList(list, buffer) != QZMEM_OK)
                    ++failures;
                ++produced;
            }
        });
    }
    for (int c = 0; c < kConsumers; ++c) {
        threads.emplace_back([&, c] {
            for (;;) {
                HBUF buffer = nullptr;
                if (BmTakeListHead(list, &buffer) != QZMEM_OK)
                    ++failures;
                if (buffer != nullptr) {
                    taken[c].push_back(buffer);
                    continue;
                }
                if (produced.load() == kProducers * kPerProducer) {
                    uint32_t left = 1;
                    BmCountList(list, &left);
                    if (left == 0)
                        return;
                }
                std::this_thread::yield();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(failures.load(), 0u);
    std::set<HBUF> all;
    size_t total = 0;
    for (const auto& part : taken) {
        total += part.size();
        all.insert(part.begin(), part.end());
    }
    EXPECT_EQ(total, static_cast<size_t>(kProducers * kPerProducer));
    EXPECT_EQ(all.size(), total);
    for (HBUF buffer : all)
        EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
    EXPECT_EQ(BmDestroyList(list), QZMEM_OK);
}

// A batch between begin and end lands as one: another thread never sees part of it.
TEST(BufferMemory, BatchBetweenBeginAndEndIsSeenWhole)
{
    constexpr uint32_t kBatch = 5;
    constexpr int kBatches = 300;
    HBUFLIST list = NewList();
    std::atomic<bool> done{false};
    std::atomic<uint32_t> partial{0};

    std::thread observer([&] {
        while (!done.load()) {
            uint32_t count = 0;
            BmCountList(list, &count);
            if (count % kBatch != 0)
                ++partial;
        }
    });
    std::thread writer([&] {
        for (int b = 0; b < kBatches; ++b) {
            BmListBeginUpdate(list);
            for (uint32_t i = 0; i < kBatch; ++i) {
                HBUF buffer = nullptr;
                BmAllocBuffer(2, 2, &buffer);
                BmAppendToList(list, buffer);
                std::this_thread::yield();
            }
            BmListEndUpdate(list);
        }
        done = true;
    });
    writer.join();
    observer.join();
    EXPECT_EQ(partial.load(), 0u);

    for (;;) {
        HBUF buffer = nullptr;
        ASSERT_EQ(BmTakeListHead(list, &buffer), QZMEM_OK);
        if (buffer == nullptr)
            break;
        EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
    }
    EXPECT_EQ(BmDestroyList(list), QZMEM_OK);
}

// A list destroyed while another thread waits for it: the waiter is refused, not left hanging
// or reading freed memory.
TEST(BufferMemory, WaiterOnADestroyedListIsRefused)
{
    HBUFLIST list = NewList();
    ASSERT_EQ(BmListBeginUpdate(list), QZMEM_OK);
    std::atomic<uint32_t> result{0xFFFF};
    std::thread waiter([&] {
        uint32_t count = 0;
        result = BmCountList(list, &count);
    });
    while (BmThreadsWaitingForLists() == 0)
        std::this_thread::yield();
    EXPECT_EQ(result.load(), 0xFFFFu);  // waiting for the batch
    EXPECT_EQ(BmDestroyList(list), QZMEM_OK);
    waiter.join();
    EXPECT_EQ(result.load(), QZMEM_BAD_LIST);
}

TEST(BufferMemory, ConcurrentAllocationGivesDistinctHandlesAndLeaksNothing)
{
    uint32_t buffersBefore = 0, listsBefore = 0;
    BmCountLive(&buffersBefore, &listsBefore);
    constexpr int kThreads = 6;
    constexpr int kRounds = 500;
    std::vector<std::vector<HBUF>> held(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                HBUF buffer = nullptr;
                HBUFLIST list = nullptr;
                BmAllocBuffer(8, 2, &buffer);
                BmCreateList(&list);
                BmAppendToList(list, buffer);
                HBUF back = nullptr;
                BmTakeListHead(list, &back);
                BmDestroyList(list);
                if (i % 2 == 0)
                    held[t].push_back(back);
                else
                    BmFreeBuffer(back);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::set<HBUF> distinct;
    for (const auto& part : held)
        distinct.insert(part.begin(), part.end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads * kRounds / 2));
    for (HBUF buffer : distinct)
        EXPECT_EQ(BmFreeBuffer(buffer), QZMEM_OK);
    uint32_t buffersAfter = 0, listsAfter = 0;
    BmCountLive(&buffersAfter, &listsAfter);
    EXPECT_EQ(buffersAfter, buffersBefore);
    EXPECT_EQ(listsAfter, listsBefore);
}
