// Header edits of stored readings: each range, each flag and each error message.
#include "vlox/datafile/editheader.h"

#include "vlox/datafile/store.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Record indexes of the test file: two readings of 30 gates at one station.
constexpr int64_t R = 60;
constexpr int T1a = 12, R1a = 15, V1a = 17, Z1a = 27;
constexpr int T1b = 29, R1b = 32, V1b = 34, Z1b = 44;

std::string Fixed(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// The line a message names when the failed read ended in record index i.
std::string Line(int i)
{
    return std::to_string(i + 1);
}

class EditHeaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDataFileState();
        for (int k = 0; k < 4; ++k)
            for (int g = 0; g < 101; ++g)
                rows[k].GateRow[g] = (1000.0 * k + g) * 1e-9;
        ASSERT_TRUE(BeginDataFile(file, FileHeaderFields{}, LocalTime{}));
        Store();
        for (int g = 0; g < 101; ++g)
            rows[1].GateRow[g] = (2000.0 + g) * 1e-9;  // the second reading's values
        Store();
        file.Position = (Z1b + 1) * R;  // the end of the reading last read for review
        request.TxCurrent = 12.5;
        request.TurnOffTimeUs = 40.0;
        request.CoilType = 7;
    }
    void TearDown() override { ResetDataFileState(); }

    void Store()
    {
        ASSERT_EQ(
            StoreReadingTo(&file, nullptr, p, GateCountFor(p), rows, MeterValues{}, [] { return LocalTime{}; }).Result,
            StoreResult::Stored);
    }
    static int GateCountFor(const ReadingParameters& q) { return ReceiverGateCount(q); }

    std::string Rec(int i) const { return file.Bytes.substr(static_cast<size_t>(i) * 60, 60); }
    std::string Field(int i, int column, int width) const
    {
        return Rec(i).substr(static_cast<size_t>(column - 1), static_cast<size_t>(width));
    }
    FileMessage Edit()
    {
        int64_t p0 = file.Position;
        FileMessage m = EditHeaderRecords(file, request);
        EXPECT_EQ(file.Position, p0) << "the position is put back";
        return m;
    }

    MemoryFile file;
    ReadingParameters p;
    ReadingRecordResult rows[4];
    HeaderEditRequestData request;
};

}  // namespace

TEST_F(EditHeaderTest, NothingSelectedWritesNothing)
{
    std::string before = file.Bytes;
    FileMessage m = Edit();
    EXPECT_EQ(m.Text, "Nothing selected for edit");
    EXPECT_EQ(m.Caption, "Edit Header");
    EXPECT_EQ(file.Bytes, before);
}

TEST_F(EditHeaderTest, CurrentReadingGetsEveryFlaggedField)
{
    std::string before = file.Bytes;
    request.UpdateCurrent = 1;
    request.UpdateTurnOffTime = 1;
    request.UpdateCoilType = 1;
    EXPECT_TRUE(Edit().Text.empty());
    EXPECT_EQ(Field(T1b, 3, 14), "        12.500");
    EXPECT_EQ(Field(T1b, 18, 14), "        40.000");
    EXPECT_EQ(Field(R1b, 11, 3), "  7");
    // The earlier reading and the length are untouched.
    EXPECT_EQ(file.Bytes.substr(0, (Z1a + 1) * R), before.substr(0, (Z1a + 1) * R));
    EXPECT_EQ(file.Bytes.size(), before.size());
    EXPECT_EQ(Field(V1b, 3, 14), before.substr(V1b * R + 2, 14));
}

TEST_F(EditHeaderTest, OnlyTheFlaggedFieldsChange)
{
    std::string t1 = Rec(T1b);
    request.UpdateTurnOffTime = 1;
    EXPECT_TRUE(Edit().Text.empty());
    EXPECT_EQ(Field(T1b, 3, 14), t1.substr(2, 14));
    EXPECT_EQ(Field(T1b, 18, 14), "        40.000");
    EXPECT_EQ(Field(R1b, 11, 3), "  0");
}

TEST_F(EditHeaderTest, PolarityNegatesEveryGateAndTwiceRestores)
{
    std::string before = file.Bytes;
    request.ChangePolarity = 1;
    EXPECT_TRUE(Edit().Text.empty());
    for (int g = 0; g < 30; ++g) {
        int rec = V1b + g / 4;
        int column = 3 + 14 * (g % 4);
        EXPECT_EQ(Field(rec, column, 14), Fixed("%14.2f", -(2000.0 + g))) << g;
    }
    // The blank fields of the last gate record stay blank.
    EXPECT_EQ(Field(V1b + 7, 31, 28), std::string(28, ' '));
    EXPECT_EQ(Field(V1a, 3, 14), "       1000.00");
    EXPECT_TRUE(Edit().Text.empty());
    EXPECT_EQ(file.Bytes, before);
}

TEST_F(EditHeaderTest, NegationKeepsRecordsOf60Bytes)
{
    const std::string written = "V19999999999999.-999999999999.         -0.00           nan\r\n";
    char rec[61];
    std::snprintf(rec, sizeof rec, "%s", written.c_str());
    NegateGateValueRecord(rec);
    // Not clamped: the longer texts keep their first 14 characters.
    EXPECT_EQ(std::string(rec, 60),
              std::string("V1") + "-9999999999999" + "999999999999.0" + "          0.00" + "           nan" + "\r\n");
    NegateGateValueRecord(rec);
    EXPECT_EQ(std::string(rec, 60), written);
}

TEST_F(EditHeaderTest, CurrentAndEarlierStopsAtThePosition)
{
    file.Position = (Z1a + 1) * R;  // reviewing the first reading
    request.UpdateCurrent = 1;
    request.UpdateCoilType = 1;
    request.ChangePolarity = 1;
    request.Range = 1;
    EXPECT_TRUE(Edit().Text.empty());
    EXPECT_EQ(Field(T1a, 3, 14), "        12.500");
    EXPECT_EQ(Field(R1a, 11, 3), "  7");
    EXPECT_EQ(Field(V1a + 1, 3, 14), "      -1004.00");
    EXPECT_EQ(Field(T1b, 3, 14), "         3.000");
    EXPECT_EQ(Field(R1b, 11, 3), "  0");
    EXPECT_EQ(Field(V1b, 3, 14), "       2000.00");
}

TEST_F(EditHeaderTest, AllReadingsOfTheFile)
{
    file.Position = (Z1a + 1) * R;
    request.UpdateCurrent = 1;
    request.ChangePolarity = 1;
    request.Range = 2;
    EXPECT_TRUE(Edit().Text.empty());
    EXPECT_EQ(Field(T1a, 3, 14), "        12.500");
    EXPECT_EQ(Field(T1b, 3, 14), "        12.500");
    EXPECT_EQ(Field(V1a + 7, 17, 14), "      -1029.00");
    EXPECT_EQ(Field(V1b + 7, 17, 14), "      -2029.00");
    EXPECT_EQ(Field(R1b, 11, 3), "  0");
}

TEST_F(EditHeaderTest, ShortLastRecordEndsTheWholeFilePass)
{
    file.Bytes.append("Z1 partial");
    request.UpdateCurrent = 1;
    request.Range = 2;
    FileMessage m = Edit();
    EXPECT_EQ(m.Text, "E3-Error in file line " + Line(Z1b + 1));
    EXPECT_EQ(m.Caption, "File Error");
    // Rewritten before the error stays rewritten.
    EXPECT_EQ(Field(T1b, 3, 14), "        12.500");
}

TEST_F(EditHeaderTest, ReadingsOfMoreThan48GatesHaveTheirT1OutOfReach)
{
    MemoryFile big;
    ResetDataFileState();
    ASSERT_TRUE(BeginDataFile(big, FileHeaderFields{}, LocalTime{}));
    p.GateSet = 2;
    p.UserGateCount = 100;
    ASSERT_EQ(StoreReadingTo(&big, nullptr, p, 100, rows, MeterValues{}, [] { return LocalTime{}; }).Result,
              StoreResult::Stored);
    std::string before = big.Bytes;
    request.UpdateCurrent = 1;
    FileMessage m = EditHeaderRecords(big, request);
    EXPECT_EQ(m.Text, "E2-Error line T1 not found");
    EXPECT_EQ(big.Bytes, before);

    // 48 gates (12 gate records) still reach it.
    MemoryFile ok;
    ResetDataFileState();
    ASSERT_TRUE(BeginDataFile(ok, FileHeaderFields{}, LocalTime{}));
    p.UserGateCount = 48;
    ASSERT_EQ(StoreReadingTo(&ok, nullptr, p, 48, rows, MeterValues{}, [] { return LocalTime{}; }).Result,
              StoreResult::Stored);
    EXPECT_TRUE(EditHeaderRecords(ok, request).Text.empty());
}

TEST_F(EditHeaderTest, ShortReadInTheSearchGivesE1)
{
    file.Position = (Z1b + 1) * R + 30;  // half a record beyond the end
    request.UpdateCurrent = 1;
    EXPECT_EQ(Edit().Text, "E1-Error in file line " + Line(Z1b + 1));
}

TEST_F(EditHeaderTest, LoopAndReceiverRecordChecks)
{
    request.UpdateCoilType = 1;
    struct Case {
        int record;     // record damaged
        bool truncate;  // cut the file in that record, else change its tag
        const char* code;
    } cases[] = {
        {T1b + 1, false, "E4"}, {T1b + 1, true, "E3"}, {T1b + 2, false, "E6"},
        {T1b + 2, true, "E5"},  {R1b, false, "E8"},    {R1b, true, "E7"},
    };
    const std::string intact = file.Bytes;
    for (const Case& c : cases) {
        file.Bytes = intact;
        if (c.truncate)
            file.Bytes.resize(static_cast<size_t>(c.record) * 60 + 20);
        else
            file.Bytes[static_cast<size_t>(c.record) * 60] = 'X';
        file.Position = (T1b + 1) * R;  // T1 is the first record back
        FileMessage m = Edit();
        // The line shown: the position after the failed read / 60 + 1.
        int64_t end = c.truncate ? c.record * 60 + 20 : (c.record + 1) * 60;
        EXPECT_EQ(m.Text, std::string(c.code) + "-Error in file line " + std::to_string(end / 60 + 1)) << c.code;
        if (file.Bytes.size() >= static_cast<size_t>(R1b + 1) * 60) {
            EXPECT_EQ(Field(R1b, 11, 3), "  0") << c.code;
        }
    }
}

TEST_F(EditHeaderTest, ShortRecordInTheGateScanGives56)
{
    file.Bytes.resize(static_cast<size_t>(V1b + 2) * 60 + 10);
    file.Position = (T1b + 1) * R;
    request.ChangePolarity = 1;
    FileMessage m = Edit();
    EXPECT_EQ(m.Text, "56-Error in file line " + std::to_string(V1b + 3));
    EXPECT_EQ(Field(V1b, 3, 14), "      -2000.00");
}

TEST_F(EditHeaderTest, LoopsWithAThirdRecordAndOlderLayouts)
{
    MemoryFile f;
    ResetDataFileState();
    ASSERT_TRUE(BeginDataFile(f, FileHeaderFields{}, LocalTime{}));
    p.TxLoopShape = 2;
    ASSERT_EQ(StoreReadingTo(&f, nullptr, p, 30, rows, MeterValues{}, [] { return LocalTime{}; }).Result,
              StoreResult::Stored);
    request.UpdateCoilType = 1;
    EXPECT_TRUE(EditHeaderRecords(f, request).Text.empty());
    EXPECT_EQ(f.Bytes.substr(16 * 60 + 10, 3), "  7");  // R1 after P1, P2, P3

    // An older file: P1 carries the loop values of a rectangle, no P2.
    std::string older = file.Bytes;
    std::string oldP1 =
        "P1" + Fixed("%14.3f", 0) + Fixed("%14.3f", 0) + Fixed("%14.3f", 100) + Fixed("%14.3f", 50) + "\r\n";
    older.replace((T1b + 1) * 60, 120, oldP1);
    MemoryFile o;
    o.Bytes = older;
    o.Position = static_cast<int64_t>(older.size());
    EXPECT_TRUE(EditHeaderRecords(o, request).Text.empty());
    EXPECT_EQ(o.Bytes.substr((R1b - 1) * 60 + 10, 3), "  7");
}

// Pins: GPS sentences left by a store that failed (flushed during the reading, then no reading
// after them) lie between readings; the all-readings edit passes over them and leaves them as
// they are.
TEST(EditHeaderSentences, SentencesWithoutAReadingArePassedOver)
{
    ResetDataFileState();
    MemoryFile f;
    ASSERT_TRUE(BeginDataFile(f, FileHeaderFields{}, LocalTime{}));
    ReadingParameters p;
    ReadingRecordResult rows[4];
    auto store = [&] {
        ASSERT_EQ(StoreReadingTo(&f, nullptr, p, ReceiverGateCount(p), rows, MeterValues{}, [] { return LocalTime{}; })
                      .Result,
                  StoreResult::Stored);
    };
    store();
    const size_t orphansAt = f.Bytes.size();
    ASSERT_TRUE(
        StoreTextInDataFile(&f, "$GPGGA,101500,4530.000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,*7B", 7, '@', '#'));
    ASSERT_TRUE(StoreTextInDataFile(&f, "GSA not avaiable", 8, '?', '"'));
    const std::string orphans = f.Bytes.substr(orphansAt);
    store();
    HeaderEditRequestData r;
    r.Range = 2;
    r.UpdateCurrent = 1;
    r.TxCurrent = 12.5;
    f.Position = static_cast<int64_t>(f.Bytes.size());
    EXPECT_TRUE(EditHeaderRecords(f, r).Text.empty());
    int edited = 0;
    for (size_t at = 0; at < f.Bytes.size(); at += 60) {
        if (f.Bytes.compare(at, 2, "T1") == 0) {
            EXPECT_EQ(f.Bytes.substr(at + 2, 14), "        12.500");
            ++edited;
        }
    }
    EXPECT_EQ(edited, 2);
    EXPECT_EQ(f.Bytes.substr(orphansAt, orphans.size()), orphans);
    ResetDataFileState();
}
