// Simultaneous-start lists: handle checks, membership rules, and safety across threads.
#include "qzdaapi32/ss_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

SubsystemHandle Fake(uintptr_t n)
{
    return reinterpret_cast<SubsystemHandle>(n);
}
bool IsOpen(SubsystemHandle s)
{
    return reinterpret_cast<uintptr_t>(s) >= 0x100;
}
bool CanStartTogether(SubsystemHandle s)
{
    return reinterpret_cast<uintptr_t>(s) != 0x999;
}
const SubsystemChecks kChecks{IsOpen, CanStartTogether};

}  // namespace

TEST(StartList, MembershipRules)
{
    SimultaneousStartListHandle list = nullptr;
    ASSERT_EQ(CreateStartList(&list), QZERR_NO_ERROR);
    EXPECT_EQ(list->size, 20u);
    EXPECT_EQ(list->self, list);
    std::vector<SubsystemHandle> members;
    ASSERT_EQ(StartListMembers(list, &members), QZERR_NO_ERROR);
    EXPECT_EQ(CheckStartListMembers(members, kChecks), QZERR_NO_SUBSYSTEM_HANDLES_ON_SIMULTANEOUS_START_LIST);

    EXPECT_EQ(AddToStartList(list, Fake(0x10), kChecks), QZERR_INVALID_SUBSYSTEM_HANDLE);
    EXPECT_EQ(AddToStartList(list, Fake(0x999), kChecks), QZERR_NOT_SUPPORTED);
    EXPECT_EQ(AddToStartList(list, Fake(0x100), kChecks), QZERR_NO_ERROR);
    EXPECT_EQ(AddToStartList(list, Fake(0x200), kChecks), QZERR_NO_ERROR);
    EXPECT_EQ(AddToStartList(list, Fake(0x100), kChecks), QZERR_DASS_HANDLE_IS_ALREADY_ON_SIMULTANEOUS_START_LIST);
    EXPECT_EQ(list->count, 2u);
    EXPECT_EQ(list->first->size, 16u);
    EXPECT_EQ(list->first->self, list->first);
    EXPECT_EQ(list->last->subsystem, Fake(0x200));

    ASSERT_EQ(StartListMembers(list, &members), QZERR_NO_ERROR);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0], Fake(0x100));
    EXPECT_EQ(CheckStartListMembers(members, kChecks), QZERR_NO_ERROR);
    members.push_back(Fake(0x20));  // one that was closed since
    EXPECT_EQ(CheckStartListMembers(members, kChecks), QZERR_INVALID_SUBSYSTEM_HANDLE_ON_SIMULTANEOUS_START_LIST);
    EXPECT_EQ(ReleaseStartList(list), QZERR_NO_ERROR);
}

TEST(StartList, ReleasedNullAndForeignListsAreRefused)
{
    SimultaneousStartListHandle list = nullptr;
    ASSERT_EQ(CreateStartList(&list), QZERR_NO_ERROR);
    ASSERT_EQ(ReleaseStartList(list), QZERR_NO_ERROR);
    const QZSTATUS bad = QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED;
    std::vector<SubsystemHandle> members;
    SimultaneousStartList foreign{20, 0, nullptr, nullptr, nullptr};
    foreign.self = &foreign;  // looks right, but the library never made it
    for (SimultaneousStartListHandle h : {list, static_cast<SimultaneousStartListHandle>(nullptr), &foreign}) {
        EXPECT_EQ(ReleaseStartList(h), bad);
        EXPECT_EQ(AddToStartList(h, Fake(0x100), kChecks), bad);
        EXPECT_EQ(StartListMembers(h, &members), bad);
    }
}

// Pins that a new list does not take the address of one just released, so the stale handle
// stays stale instead of naming the new list.
TEST(StartList, ReleasedHandleStaysStaleWhileNewListsAreMade)
{
    SimultaneousStartListHandle stale = nullptr;
    ASSERT_EQ(CreateStartList(&stale), QZERR_NO_ERROR);
    ASSERT_EQ(ReleaseStartList(stale), QZERR_NO_ERROR);
    for (int i = 0; i < 1000; ++i) {
        SimultaneousStartListHandle fresh = nullptr;
        ASSERT_EQ(CreateStartList(&fresh), QZERR_NO_ERROR);
        ASSERT_NE(fresh, stale) << i;
        ASSERT_EQ(ReleaseStartList(fresh), QZERR_NO_ERROR);
    }
    EXPECT_EQ(ReleaseStartList(stale), QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED);
}

TEST(StartList, ConcurrentListsAndAppendsStayConsistent)
{
    uint32_t before = LiveStartLists();
    SimultaneousStartListHandle shared = nullptr;
    ASSERT_EQ(CreateStartList(&shared), QZERR_NO_ERROR);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                SimultaneousStartListHandle own = nullptr;
                if (CreateStartList(&own) != QZERR_NO_ERROR)
                    ++failures;
                AddToStartList(own, Fake(0x1000 + i), kChecks);
                if (ReleaseStartList(own) != QZERR_NO_ERROR)
                    ++failures;
                if (AddToStartList(shared, Fake(0x100000 * (t + 1) + i), kChecks) != QZERR_NO_ERROR)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    std::vector<SubsystemHandle> members;
    ASSERT_EQ(StartListMembers(shared, &members), QZERR_NO_ERROR);
    EXPECT_EQ(members.size(), 1600u);
    EXPECT_EQ(shared->count, 1600u);
    EXPECT_EQ(ReleaseStartList(shared), QZERR_NO_ERROR);
    EXPECT_EQ(LiveStartLists(), before);
}
