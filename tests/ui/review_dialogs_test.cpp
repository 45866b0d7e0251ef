// "Manage Records": the working tags, their OK and the list texts.
#include "vlox/ui/review_dialogs.h"

#include <gtest/gtest.h>

TEST(ManageRecords, ClicksAndOk)
{
    int32_t tags[3] = {0, -1, 1};
    int32_t working[3] = {0, -1, 1};
    // No mode: the tag stays, but the list is still refilled (its highlight goes).
    EXPECT_TRUE(ApplyTagClick(working, 3, 0, false, false));
    EXPECT_EQ(working[0], 0);
    EXPECT_FALSE(ApplyTagClick(working, 3, 3, true, false));   // past the list
    EXPECT_FALSE(ApplyTagClick(working, 3, -1, true, false));  // no selection
    EXPECT_TRUE(ApplyTagClick(working, 3, 0, true, false));
    EXPECT_TRUE(ApplyTagClick(working, 3, 1, false, true));
    ApplyManageRecordsOk(working, tags, 3);
    EXPECT_EQ(tags[0], -1);
    EXPECT_EQ(tags[1], 0);  // an excluded record included becomes 0, not 1
    EXPECT_EQ(tags[2], 1);
    EXPECT_EQ(TagListText(5, -1), "5  X");
    EXPECT_EQ(TagListText(100, 0), "100");
    EXPECT_EQ(TaggedRecordText(2, -1), "2X");
    EXPECT_EQ(TaggedRecordText(3, 1), "3");
}
