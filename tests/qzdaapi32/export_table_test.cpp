// The one table of exports that the DLL's .def files are made from.
#include "qzdaapi32/qzdaapi32.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Row {
    int ordinal;
    const char* name;
    int bytes;
};

const Row kRows[] = {
#define EXPORT_ROW(ordinal, name, bytes) {ordinal, #name, bytes},
#include "qzdaapi32_exports.inc"
#undef EXPORT_ROW
};

}  // namespace

TEST(ExportTable, HundredTwentySixNamedExportsWithDistinctOrdinals)
{
    std::set<int> ordinals;
    std::set<std::string> names;
    for (const Row& row : kRows) {
        ordinals.insert(row.ordinal);
        names.insert(row.name);
        std::string name = row.name;
        EXPECT_TRUE(name.rfind("qzDa", 0) == 0 || name.rfind("qzDiag", 0) == 0) << name;
        EXPECT_EQ(row.bytes % 4, 0) << name;
    }
    EXPECT_EQ(std::size(kRows), 126u);
    EXPECT_EQ(ordinals.size(), 126u);
    EXPECT_EQ(names.size(), 126u);
}

TEST(ExportTable, OrdinalsTheMainProgramBinds)
{
    const Row bound[] = {
        {11, "qzDaInitialize", 8},         {13, "qzDaGetDASS", 16},        {19, "qzDaGetSSCapsEx", 12},
        {44, "qzDaSetClockFrequency", 12}, {51, "qzDaGetErrorString", 12}, {58, "qzDaGetRange", 12},
        {65, "qzDaSetPulseWidth", 12},     {67, "qzDaSetWndHandle", 12},   {74, "qzDaPutSingleValue", 20},
        {75, "qzDaGetBuffer", 8},          {97, "qzDaEnumBoards", 8},      {135, "qzDaCodeToVolts", 40}};
    for (const Row& want : bound) {
        bool found = false;
        for (const Row& row : kRows) {
            if (row.ordinal == want.ordinal) {
                EXPECT_STREQ(row.name, want.name);
                EXPECT_EQ(row.bytes, want.bytes) << want.name;
                found = true;
            }
        }
        EXPECT_TRUE(found) << want.name;
    }
}
