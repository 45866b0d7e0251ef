// qzmem32.dll as its callers see it: imported by ordinal, every export reachable by name and
// by ordinal at the same address, misuse codes, and list safety across threads.
#include "standins/qzmem32/qzmem32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/common/export_check_win.h"

#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

const ExportRow kExports[] = {
#define EXPORT_ROW(ordinal, name, bytes) {ordinal, #name, bytes, reinterpret_cast<const void*>(&name)},
#include "qzmem32_exports.inc"
#undef EXPORT_ROW
};

}  // namespace

TEST(Qzmem32Dll, EveryExportByNameEqualsByOrdinalAndTheImport)
{
    EXPECT_EQ(std::size(kExports), 17u);
    ExpectExportsMatch("qzmem32.dll", kExports, std::size(kExports));
}

TEST(Qzmem32Dll, BuffersListsAndMisuseThroughTheDll)
{
    HBUF buffer = nullptr;
    ASSERT_EQ(MemAllocBuffer(0, 0, 480, 2, &buffer), QZMEM_OK);
    uint32_t bytes = 0;
    EXPECT_EQ(MemGetBufferSize(buffer, &bytes), QZMEM_OK);
    EXPECT_EQ(bytes, 960u);
    BufferControlBlock* block = nullptr;
    ASSERT_EQ(MemGetControlBlock(buffer, &block), QZMEM_OK);
    // The board library keeps an overlapped record there.
    OVERLAPPED* overlapped = reinterpret_cast<OVERLAPPED*>(block->bytes);
    overlapped->Pointer = buffer;
    static_assert(sizeof(OVERLAPPED) <= sizeof(BufferControlBlock), "overlapped record fits");

    HBUFLIST list = nullptr;
    ASSERT_EQ(MemCreateList(&list, 0, 0, 0), QZMEM_OK);
    EXPECT_EQ(MemAppendToList(list, buffer), QZMEM_OK);
    EXPECT_EQ(MemAppendToList(list, buffer), QZMEM_BUFFER_ON_LIST);
    EXPECT_EQ(MemFreeBuffer(buffer), QZMEM_BUFFER_ON_LIST);
    EXPECT_EQ(MemDestroyList(list), QZMEM_LIST_NOT_EMPTY);
    EXPECT_EQ(MemSetValidSamples(buffer, 481), QZMEM_TOO_MANY_SAMPLES);
    EXPECT_EQ(MemSetSampleSize(buffer, 3), QZMEM_BAD_SAMPLE_SIZE);
    EXPECT_EQ(MemListEndUpdate(list), QZMEM_LIST_NOT_HELD);
    EXPECT_EQ(MemListBeginUpdate(list), QZMEM_OK);
    EXPECT_EQ(MemListEndUpdate(list), QZMEM_OK);
    uint32_t count = 0;
    EXPECT_EQ(MemCountList(list, &count), QZMEM_OK);
    EXPECT_EQ(count, 1u);
    HBUF taken = nullptr;
    EXPECT_EQ(MemTakeListHead(list, &taken), QZMEM_OK);
    EXPECT_EQ(taken, buffer);
    EXPECT_EQ(MemSetValidSamples(buffer, 480), QZMEM_OK);
    EXPECT_EQ(MemSetBufferResolution(buffer, 16), QZMEM_OK);
    EXPECT_EQ(MemFinishBuffer(buffer), QZMEM_OK);
    uint32_t valid = 0;
    EXPECT_EQ(MemGetValidSamples(buffer, &valid), QZMEM_OK);
    EXPECT_EQ(valid, 480u);
    void* data = nullptr;
    EXPECT_EQ(MemGetBufferPointer(buffer, &data), QZMEM_OK);
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(MemFreeBuffer(buffer), QZMEM_OK);
    EXPECT_EQ(MemFreeBuffer(buffer), QZMEM_BAD_BUFFER);
    EXPECT_EQ(MemGetBufferSize(buffer, &bytes), QZMEM_BAD_BUFFER);
    EXPECT_EQ(MemDestroyList(list), QZMEM_OK);
    EXPECT_EQ(MemCountList(list, &count), QZMEM_BAD_LIST);
    EXPECT_EQ(MemAllocBuffer(0, 0, 10, 2, nullptr), QZMEM_NULL_PARAMETER);
}

// The client thread puts and gets while the copy thread appends batches: every buffer goes
// round and none is lost or doubled.
TEST(Qzmem32Dll, ListsHoldUnderContentionThroughTheDll)
{
    HBUFLIST ready = nullptr, done = nullptr;
    ASSERT_EQ(MemCreateList(&ready, 0, 0, 0), QZMEM_OK);
    ASSERT_EQ(MemCreateList(&done, 0, 0, 0), QZMEM_OK);
    constexpr int kBuffers = 8;
    constexpr int kRounds = 3000;
    std::vector<HBUF> buffers(kBuffers);
    for (HBUF& buffer : buffers) {
        ASSERT_EQ(MemAllocBuffer(0, 0, 64, 2, &buffer), QZMEM_OK);
        ASSERT_EQ(MemAppendToList(ready, buffer), QZMEM_OK);
    }
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::atomic<int> moved{0};

    // Moves ready buffers to done in batches, as the copy thread finishes them.
    std::thread copier([&] {
        while (!stop.load()) {
            std::vector<HBUF> batch;
            for (int i = 0; i < 3; ++i) {
                HBUF buffer = nullptr;
                if (MemTakeListHead(ready, &buffer) != QZMEM_OK)
                    ++failures;
                if (buffer != nullptr)
                    batch.push_back(buffer);
            }
            if (batch.empty()) {
                Sleep(0);
                continue;
            }
            if (MemListBeginUpdate(done) != QZMEM_OK)
                ++failures;
            for (HBUF buffer : batch) {
                if (MemSetValidSamples(buffer, 64) != QZMEM_OK || MemAppendToList(done, buffer) != QZMEM_OK)
                    ++failures;
            }
            if (MemListEndUpdate(done) != QZMEM_OK)
                ++failures;
            moved += static_cast<int>(batch.size());
        }
    });
    // The client takes each done buffer and queues it again; another thread counts.
    std::thread client([&] {
        int handled = 0;
        while (handled < kRounds) {
            HBUF buffer = nullptr;
            if (MemTakeListHead(done, &buffer) != QZMEM_OK)
                ++failures;
            if (buffer == nullptr) {
                Sleep(0);
                continue;
            }
            if (MemAppendToList(ready, buffer) != QZMEM_OK)
                ++failures;
            ++handled;
        }
    });
    std::thread counter([&] {
        while (!stop.load()) {
            uint32_t a = 0, b = 0;
            if (MemCountList(ready, &a) != QZMEM_OK || MemCountList(done, &b) != QZMEM_OK || a > kBuffers ||
                b > kBuffers)
                ++failures;
        }
    });
    client.join();
    stop = true;
    copier.join();
    counter.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GE(moved.load(), kRounds);

    std::set<HBUF> seen;
    for (HBUFLIST list : {ready, done}) {
        HBUF buffer = nullptr;
        while (MemTakeListHead(list, &buffer) == QZMEM_OK && buffer != nullptr)
            seen.insert(buffer);
    }
    EXPECT_EQ(seen, std::set<HBUF>(buffers.begin(), buffers.end()));
    for (HBUF buffer : buffers)
        EXPECT_EQ(MemFreeBuffer(buffer), QZMEM_OK);
    EXPECT_EQ(MemDestroyList(ready), QZMEM_OK);
    EXPECT_EQ(MemDestroyList(done), QZMEM_OK);
}
