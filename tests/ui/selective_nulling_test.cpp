// The entries of the "Selective Nulling" list and the rates its selection chooses.
#include "vlox/ui/selective_nulling.h"

#include <gtest/gtest.h>

TEST(SelectiveNullingList, EntriesOfBothMainsFamilies)
{
    const char* const sixty[RepRateCount] = {"285 Hz", "75 Hz", "30 Hz", "7.5 Hz", "3 Hz", "0.75 Hz", "0.3 Hz"};
    const char* const fifty[RepRateCount] = {"237.5 Hz", "62.5 Hz",  "25 Hz",  "6.25 Hz",
                                             "2.5 Hz",   "0.625 Hz", "0.25 Hz"};
    EXPECT_EQ(SelectiveNullingRateCount, 7);
    for (int32_t r = 0; r < RepRateCount; ++r) {
        EXPECT_EQ(WideToNarrow(SelectiveNullingEntry(1, r)), sixty[r]);
        EXPECT_EQ(WideToNarrow(SelectiveNullingEntry(0, r)), fifty[r]);
    }
    EXPECT_TRUE(SelectiveNullingEntry(1, 7).empty());
    EXPECT_TRUE(SelectiveNullingEntry(1, -1).empty());
}

TEST(SelectiveNullingList, SelectionGivesTheRateFlags)
{
    int32_t rates[RepRateCount] = {5, 5, 5, 5, 5, 5, 5};
    const int32_t none[RepRateCount] = {};
    SelectedNullingRates(none, RepRateCount, rates);
    for (int32_t r : rates)
        EXPECT_EQ(r, 0) << "no selection stores seven zeros";

    const int32_t some[RepRateCount] = {1, 0, 0, 0, 0, 0, 3};
    SelectedNullingRates(some, RepRateCount, rates);
    const int32_t expected[RepRateCount] = {1, 0, 0, 0, 0, 0, 1};
    for (int32_t r = 0; r < RepRateCount; ++r)
        EXPECT_EQ(rates[r], expected[r]) << r;

    // Entries past the list's count are never chosen.
    SelectedNullingRates(some, 3, rates);
    EXPECT_EQ(rates[6], 0);
    EXPECT_EQ(rates[0], 1);
}
