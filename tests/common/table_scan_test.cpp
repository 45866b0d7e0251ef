#include "vlox/common/table_scan.h"

#include <gtest/gtest.h>

namespace {
struct Entry {
    uint32_t message;
    int handler;
};
}  // namespace

TEST(MessageTableScan, FirstMatchWinsAndMissIsNull)
{
    // The main table routes five messages to one handler: the first entry must win.
    const Entry table[] = {{1, 10}, {0x0111, 20}, {0x0103, 20}, {0x0111, 99}};
    EXPECT_EQ(FindMessageEntry(table, 4, 0x0111)->handler, 20);
    EXPECT_EQ(FindMessageEntry(table, 4, 0x0111), &table[1]);
    EXPECT_EQ(FindMessageEntry(table, 4, 1)->handler, 10);
    EXPECT_EQ(FindMessageEntry(table, 4, 2), nullptr);
    EXPECT_EQ(FindMessageEntry(table, 0, 1), nullptr);
}
