// The hand-off from reader threads to the user-interface thread: copies taken once, in order,
// only by the window they were put for, never more than the limit kept.
#include "vlox/common/handoff_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

constexpr uintptr_t Main = 0x100;
constexpr uintptr_t Gone = 0x200;

using Ints = std::vector<int>;

}  // namespace

TEST(HandOffQueue, TakenOnceInOrderByTheirWindowTheOldestDroppedBeyondTheLimit)
{
    const struct {
        const char* what;
        size_t limit;
        std::vector<std::pair<uintptr_t, int>> put;
        Ints taken;
    } cases[] = {
        {"in order", 8, {{Main, 1}, {Main, 2}, {Main, 3}}, {1, 2, 3}},
        {"nothing waiting", 8, {}, {}},
        // A window that has gone never takes its copies: they go when another window takes.
        {"another window's copies dropped", 8, {{Gone, 7}, {Main, 1}, {Gone, 8}, {Main, 2}}, {1, 2}},
        {"the oldest dropped beyond the limit", 3, {{Main, 1}, {Main, 2}, {Main, 3}, {Main, 4}, {Main, 5}}, {3, 4, 5}},
        {"a limit of 0 keeps one", 0, {{Main, 1}, {Main, 2}}, {2}},
    };
    for (const auto& c : cases) {
        HandOffQueue<int> queue(c.limit);
        for (const auto& [window, value] : c.put)
            queue.Put(window, value);
        EXPECT_EQ(queue.Take(Main), c.taken) << c.what;
        // A message that comes late finds nothing, for any window.
        EXPECT_TRUE(queue.Take(Main).empty()) << c.what;
        EXPECT_TRUE(queue.Take(Gone).empty()) << c.what;
    }
}

// Several readers put while the user-interface thread takes: below the limit nothing is lost
// or doubled, and each reader's copies come in the order it put them.
TEST(HandOffQueue, ReadersAndTheTakerLoseNothing)
{
    constexpr int Readers = 4;
    constexpr int Each = 20000;
    HandOffQueue<int> queue(Readers * Each);
    std::vector<std::thread> readers;
    for (int r = 0; r < Readers; ++r)
        readers.emplace_back([&queue, r] {
            for (int i = 0; i < Each; ++i)
                queue.Put(Main, r * Each + i);
        });
    std::vector<Ints> got(Readers);
    size_t total = 0;
    auto takeAll = [&] {
        for (int v : queue.Take(Main)) {
            got[v / Each].push_back(v % Each);
            ++total;
        }
    };
    while (total < static_cast<size_t>(Readers * Each) / 2)
        takeAll();
    for (auto& t : readers)
        t.join();
    takeAll();
    for (int r = 0; r < Readers; ++r) {
        ASSERT_EQ(got[r].size(), static_cast<size_t>(Each)) << r;
        for (int i = 0; i < Each; ++i)
            ASSERT_EQ(got[r][i], i) << r;
    }
}
