// Default data-file names and the companion files' names.
#include "vlox/datafile/naming.h"

#include <gtest/gtest.h>

#include <set>

namespace {

LocalTime Dec7()
{
    LocalTime t;
    t.Year = 2026;
    t.Month = 12;
    t.Day = 7;
    return t;
}

}  // namespace

TEST(DefaultName, FirstCounterWhoseFileDoesNotExist)
{
    std::set<std::string> folder;
    std::vector<std::string> asked;
    auto exists = [&](const std::string& n) {
        asked.push_back(n);
        return folder.count(n) > 0;
    };
    EXPECT_EQ(DefaultDataFileName(Dec7(), exists), "20261207_000");
    EXPECT_EQ(asked.front(), "20261207_000.VLX");

    folder = {"20261207_000.VLX", "20261207_001.VLX"};
    EXPECT_EQ(DefaultDataFileName(Dec7(), exists), "20261207_002");
    // A gap is filled: the first name that does not exist is taken.
    folder = {"20261207_000.VLX", "20261207_002.VLX"};
    EXPECT_EQ(DefaultDataFileName(Dec7(), exists), "20261207_001");

    LocalTime jan = Dec7();
    jan.Month = 1;
    jan.Day = 2;
    EXPECT_EQ(DefaultDataFileName(jan, exists), "20260102_000");
}

TEST(DefaultName, AllThousandTakenOffersTheLastWithItsExtension)
{
    int calls = 0;
    auto all = [&](const std::string&) {
        ++calls;
        return true;
    };
    EXPECT_EQ(DefaultDataFileName(Dec7(), all), "20261207_999.VLX");
    EXPECT_EQ(calls, 1000);

    std::set<std::string> folder;
    for (int i = 0; i < 999; ++i) {
        char n[32];
        std::snprintf(n, sizeof n, "20261207_%03d.VLX", i);
        folder.insert(n);
    }
    EXPECT_EQ(DefaultDataFileName(Dec7(), [&](const std::string& n) { return folder.count(n) > 0; }), "20261207_999");
}

TEST(CompanionNames, ExtensionReplacedAfterTheLastDot)
{
    EXPECT_EQ(CompanionFileName("C:\\Vlox_Data\\20261207_000.VLX", "tmp"), "C:\\Vlox_Data\\20261207_000.tmp");
    EXPECT_EQ(CompanionFileName("C:\\Vlox_Data\\20261207_000.VLX", "NLG"), "C:\\Vlox_Data\\20261207_000.NLG");
    // Not the last three characters: a longer or shorter extension is replaced whole.
    EXPECT_EQ(CompanionFileName("C:\\d\\survey.data", "tmp"), "C:\\d\\survey.tmp");
    EXPECT_EQ(CompanionFileName("C:\\d\\a.b.c", "NLG"), "C:\\d\\a.b.NLG");
    // A dot in a folder name is no extension.
    EXPECT_EQ(CompanionFileName("C:\\my.folder\\survey", "tmp"), "C:\\my.folder\\survey.tmp");
    EXPECT_EQ(CompanionFileName("survey", "NLG"), "survey.NLG");
}

TEST(CompanionNames, NeverTheDataFileItself)
{
    // A data file named x.tmp must not be taken for its own station index (which is
    // deleted when the file is closed).
    EXPECT_EQ(CompanionFileName("C:\\d\\x.tmp", "tmp"), "C:\\d\\x.tmp.tmp");
    EXPECT_EQ(CompanionFileName("C:\\d\\x.TMP", "tmp"), "C:\\d\\x.TMP.tmp");
    EXPECT_EQ(CompanionFileName("C:\\d\\x.nlg", "NLG"), "C:\\d\\x.nlg.NLG");
    EXPECT_EQ(CompanionFileName("C:\\d\\x.tmp", "NLG"), "C:\\d\\x.NLG");
}

TEST(PathParts, TitleAndFolder)
{
    EXPECT_EQ(FileTitleOf("C:\\Vlox_Data\\20261207_000.VLX"), "20261207_000");
    EXPECT_EQ(FileTitleOf("C:\\my.folder\\survey"), "survey");
    EXPECT_EQ(FileTitleOf("a.b.VLX"), "a.b");
    EXPECT_EQ(FolderOf("C:\\Vlox_Data\\20261207_000.VLX"), "C:\\Vlox_Data\\");
    EXPECT_EQ(FolderOf("name.VLX"), "");
    EXPECT_EQ(JoinFolder("C:\\Vlox_Data\\", "x.VLX"), "C:\\Vlox_Data\\x.VLX");
    EXPECT_EQ(JoinFolder("C:\\Vlox_Data", "x.VLX"), "C:\\Vlox_Data\\x.VLX");
    EXPECT_EQ(JoinFolder("", "x.VLX"), "x.VLX");
}

TEST(CompanionNames, WideNamesFollowTheSameRules)
{
    EXPECT_EQ(CompanionFileName(WideString(VLOX_WIDE("C:\\d\\x.TMP")), WideString(VLOX_WIDE("tmp"))),
              WideString(VLOX_WIDE("C:\\d\\x.TMP.tmp")));
    EXPECT_EQ(CompanionFileName(WideString(VLOX_WIDE("C:\\a.b\\\u00e9t\u00e9.VLX")), WideString(VLOX_WIDE("NLG"))),
              WideString(VLOX_WIDE("C:\\a.b\\\u00e9t\u00e9.NLG")));
    EXPECT_TRUE(SameFileName(std::string("A.vlx"), std::string("a.VLX")));
    EXPECT_FALSE(SameFileName(std::string("a.vlx"), std::string("a.vl")));
}

// Pins: a stray X.tmp or X.NLG (any case) makes X.VLX taken, so the default name passes over
// it; the file system's case rule decides what exists.
TEST(CompanionNames, AStrayCompanionMakesTheNameTaken)
{
    std::set<std::string> folder = {"20261207_000.tmp", "20261207_001.nlg", "x.NLG"};
    auto exists = [&](const std::string& n) {
        for (const std::string& f : folder) {
            if (SameFileName(f, n))
                return true;
        }
        return false;
    };
    EXPECT_EQ(DefaultDataFileName(Dec7(), exists), "20261207_002");
    EXPECT_TRUE(DataFileNameTaken("x.VLX", exists));
    EXPECT_TRUE(DataFileNameTaken("20261207_000.VLX", exists));
    EXPECT_FALSE(DataFileNameTaken("y.VLX", exists));
    // Any extension of the data file gives the same companions.
    folder = {"x.tmp"};
    EXPECT_TRUE(DataFileNameTaken("x.dat", exists));
    EXPECT_FALSE(DataFileNameTaken("x.tmp.VLX", exists));
}
