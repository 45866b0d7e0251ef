// The record order of a data file: creation, manual and automatic stores, line and station
// changes, the two-repetition store, failed writes and the lock shared with the GPS reader.
#include "vlox/datafile/store.h"

#include "vlox/datafile/comments.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> Tags(const std::string& bytes)
{
    std::vector<std::string> tags;
    EXPECT_EQ(bytes.size() % 60, 0u);
    for (size_t at = 0; at + 60 <= bytes.size(); at += 60) {
        EXPECT_EQ(bytes.substr(at + 58, 2), "\r\n") << "record at " << at;
        std::string r = bytes.substr(at, 2);
        // Stored-text records carry their tag in column 1 only.
        if (r[0] == '@' || r[0] == '#' || r[0] == '!' || r[0] == '?' || r[0] == '"')
            r.resize(1);
        tags.push_back(r);
    }
    return tags;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const std::vector<std::string> Header{"H1", "H2", "H3", "C1", "C2"};
const std::vector<std::string> LineStart{"L1", "C3", "C4", "S1", "C5", "C6"};
const std::vector<std::string> StationStart{"S1", "C5", "C6"};

std::vector<std::string> Reading(int gateRecords, bool meter = false, bool p3 = false)
{
    std::vector<std::string> r{"W1", "T1", "P1", "P2"};
    if (p3)
        r.push_back("P3");
    r.insert(r.end(), {"R1", "R2"});
    for (int i = 1; i <= gateRecords; ++i)
        r.push_back(std::string("V") + static_cast<char>(i <= 9 ? '0' + i : 55 + i));
    if (meter)
        r.push_back("U1");
    r.insert(r.end(), {"C7", "C8", "Z1"});
    return r;
}

std::string Fixed(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string RecordAt(const MemoryFile& f, size_t index)
{
    return f.Bytes.substr(index * 60, 60);
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDataFileState();
        header.OperatorName = "Brem";
        header.DataFileTitle = "20261207_000";
        now.Year = 2026;
        now.Month = 12;
        now.Day = 7;
        now.Hour = 9;
        for (int k = 0; k < 8; ++k) {
            rows[k].EarlyWindowValue = 100.0 * k;
            rows[k].Tick = 1000u * static_cast<uint32_t>(k);
            for (int g = 0; g < 101; ++g)
                rows[k].GateRow[g] = (k * 1000 + g) * 1e-9;
            rowsB[k] = rows[k];
            rowsB[k].EarlyWindowValue = -1.0 * k;
        }
    }

    void Create(MemoryFile& f) { ASSERT_TRUE(BeginDataFile(f, header, now)); }

    StoreOutcome Store(MemoryFile& f, const ReadingParameters& p, int gates = 30)
    {
        return StoreReadingTo(&f, &index, p, gates, rows, meter, clock);
    }

    FileHeaderFields header;
    LocalTime now;
    LocalClock clock = [this] { return now; };
    ReadingRecordResult rows[8];
    ReadingRecordResult rowsB[8];
    MeterValues meter;
    MemoryFile index;
};

}  // namespace

TEST_F(StoreTest, CreationWritesHeaderAndBlankFileComment)
{
    MemoryFile f;
    CommentLines[FileCommentLine] = "left over from the last file";
    CommentOffsets.Station = 999;
    Create(f);
    EXPECT_EQ(Tags(f.Bytes), Header);
    EXPECT_EQ(RecordAt(f, 3), "C1" + std::string(56, ' ') + "\r\n");
    EXPECT_EQ(CommentOffsets.File, 180);
    EXPECT_EQ(CommentOffsets.Station, 0);
    EXPECT_EQ(LastStoredLine, NoStoredLine);
    EXPECT_EQ(ReadingCounter, 0);
    EXPECT_GE(f.FlushCount, 1);
}

TEST_F(StoreTest, FirstManualStoreWithDefaultsWritesLineStationAndReading)
{
    MemoryFile f;
    Create(f);
    ReadingParameters p;  // line 0 still differs from the "no line" marker
    StoreOutcome out = Store(f, p);
    EXPECT_EQ(out.Result, StoreResult::Stored);
    EXPECT_TRUE(out.NewStation);
    EXPECT_EQ(Tags(f.Bytes), Join({Header, LineStart, Reading(8)}));
    EXPECT_EQ(ReadingCounter, 1);
    EXPECT_EQ(LastStoredLine, 0.0);
    EXPECT_EQ(CommentOffsets.Line, 6 * 60);
    EXPECT_EQ(CommentOffsets.Station, 9 * 60);
    // The reading comment pair follows the last gate-value record.
    EXPECT_EQ(CommentOffsets.Reading, (11 + 14) * 60);
    EXPECT_EQ(CommentOffsets.PreviousRecord, CommentOffsets.Reading);
    EXPECT_EQ(RecordAt(f, 11).substr(0, 6), "W1   1");
    EXPECT_EQ(index.Bytes, "         0.000          0.000 0\r\n");
    EXPECT_GE(f.FlushCount, 2);
}

TEST_F(StoreTest, SameStationContinuesNumbersAndNewStationRestartsThem)
{
    MemoryFile f;
    Create(f);
    ReadingParameters p;
    p.GateSet = 0;
    Store(f, p, 20);
    StoreOutcome again = Store(f, p, 20);
    EXPECT_FALSE(again.NewStation);
    EXPECT_EQ(ReadingCounter, 2);
    p.CurrentStation = 5.0;
    Store(f, p, 20);
    EXPECT_EQ(ReadingCounter, 1);
    EXPECT_EQ(Tags(f.Bytes), Join({Header, LineStart, Reading(5), Reading(5), StationStart, Reading(5)}));
    EXPECT_EQ(index.Bytes.size(), 2u * 33);
    size_t w = 5 + 6 + 14 + 14 + 3;
    EXPECT_EQ(RecordAt(f, w).substr(0, 21), "W1   1          5.000");
}

TEST_F(StoreTest, ManualStoreOfThreeRecordsCarriesTheSameNextComment)
{
    MemoryFile f;
    Create(f);
    RecordCommentLines[NextRecordComment] = "wet ground";
    ReadingParameters p;
    p.NumberOfRecords = 3;
    p.MeterInput = 1;  // meter on with model 0: U1 after the gate values
    meter.Valid = 1;
    meter.Dipole = 'V';
    Store(f, p);
    auto tags = Tags(f.Bytes);
    EXPECT_EQ(tags, Join({Header, LineStart, Reading(8, true), Reading(8, true), Reading(8, true)}));
    size_t group = Reading(8, true).size();
    for (int k = 0; k < 3; ++k) {
        size_t first = Header.size() + LineStart.size() + k * group;
        EXPECT_EQ(RecordAt(f, first).substr(2, 4), "   " + std::to_string(k + 1));
        // Gate row k + 1 and its early-window value and tick.
        EXPECT_EQ(RecordAt(f, first + 5).substr(45, 13), Fixed("%13.2f", 100.0 * (k + 1)));
        EXPECT_EQ(RecordAt(f, first + 6).substr(2, 14), Fixed("%14.2f", 1000.0 * (k + 1)));
        EXPECT_EQ(RecordAt(f, first + 15).substr(2, 10), "wet ground");
        EXPECT_EQ(RecordAt(f, first + 17).substr(25, 10), "      " + std::to_string(1000 * (k + 1)));
    }
    // The comment moves on: the reading just stored has it, the next one starts blank.
    EXPECT_EQ(RecordCommentLines[PreviousRecordComment], "wet ground");
    EXPECT_EQ(RecordCommentLines[NextRecordComment], std::string(112, ' '));
}

TEST_F(StoreTest, AutomaticModeStoresOneRecordAndCountsIt)
{
    MemoryFile f;
    Create(f);
    ReadingParameters p;
    p.SurveyMode = 1;
    p.NumberOfRecords = 3;  // ignored: the automatic mode stores record 1 only
    Store(f, p);
    EXPECT_EQ(Tags(f.Bytes), Join({Header, LineStart, Reading(8)}));
    EXPECT_EQ(AutoStoredCount, 1);
}

TEST_F(StoreTest, TwoFrequencyStoreAlternatesRatesAndLeavesTheSecond)
{
    MemoryFile f;
    Create(f);
    ReadingParameters p;
    p.NumberOfRecords = 2;
    p.TwoFrequencyMode = 1;
    p.SelectedComponent = 1;  // X: the gains go to GainX
    DualRepetitionChoice c;
    c.FirstRepetitionChoice = 9;   // rate 4 with 30 gates
    c.SecondRepetitionChoice = 2;  // rate 2 with 20 gates
    c.FirstRepetitionGain = 3;
    c.SecondRepetitionGain = 6;
    StoreOutcome out = StoreDualRepetitionReadingTo(&f, &index, p, c, rows, rowsB, meter, clock);
    EXPECT_EQ(out.Result, StoreResult::Stored);
    EXPECT_EQ(Tags(f.Bytes), Join({Header, LineStart, Reading(8), Reading(5), Reading(8), Reading(5)}));
    size_t r1 = Header.size() + LineStart.size() + 4;
    EXPECT_EQ(RecordAt(f, r1).substr(0, 58), "R1  1   4   0   2   0   5   1   3   5   5   1 0  0  30    ");
    size_t r1b = r1 + Reading(8).size();
    EXPECT_EQ(RecordAt(f, r1b).substr(0, 54), "R1  1   2   0   2   0   5   1   6   5   5   0 0  0  20");
    EXPECT_EQ(RecordAt(f, r1b + 1).substr(45, 13), "        -1.00");
    EXPECT_EQ(ReadingCounter, 4);
    EXPECT_EQ(p.RepRateIndex, 2);
    EXPECT_EQ(p.GateSet, 0);
    EXPECT_EQ(p.GainX, 6);
    EXPECT_EQ(p.GainZ, 5);
}

TEST_F(StoreTest, StoringWithNoDataFileIsRefusedAndCountsNothing)
{
    ReadingParameters p;
    p.SurveyMode = 1;
    StoreOutcome out = StoreReadingTo(nullptr, &index, p, 30, rows, meter, clock);
    EXPECT_EQ(out.Result, StoreResult::NoDataFile);
    EXPECT_EQ(ReadingCounter, 0);
    EXPECT_EQ(AutoStoredCount, 0);
    EXPECT_EQ(LastStoredLine, NoStoredLine);
    EXPECT_TRUE(index.Bytes.empty());
    EXPECT_FALSE(StoreTextInDataFile(nullptr, "$GPGGA", 1, '@', '#'));
}

// A full disk in the middle of a reading: the half-written records are taken back, the
// reading is not counted, and the next store writes the line and station again.
TEST_F(StoreTest, FailedWriteTakesTheReadingBack)
{
    MemoryFile f;
    Create(f);
    ReadingParameters p;
    p.SurveyMode = 1;
    std::string before = f.Bytes;
    f.FailAfter = 60 * 9 + 17;
    StoreOutcome out = Store(f, p);
    EXPECT_EQ(out.Result, StoreResult::WriteFailed);
    EXPECT_EQ(f.Bytes, before);
    EXPECT_EQ(f.Position, static_cast<int64_t>(before.size()));
    EXPECT_EQ(ReadingCounter, 0);
    EXPECT_EQ(AutoStoredCount, 0);
    EXPECT_EQ(LastStoredLine, NoStoredLine);
    EXPECT_EQ(CommentOffsets.Line, 0);
    EXPECT_TRUE(index.Bytes.empty());

    f.FailAfter = -1;
    EXPECT_EQ(Store(f, p).Result, StoreResult::Stored);
    EXPECT_EQ(Tags(f.Bytes), Join({Header, LineStart, Reading(8)}));
    EXPECT_EQ(AutoStoredCount, 1);
}

// A full card under the station index: the reading is stored whole and the failure is
// answered, so that the operator can be told the station map misses the station; a store at
// the same station writes no index line and reports nothing.
TEST_F(StoreTest, StationIndexThatCannotBeWrittenLeavesTheReadingStoredAndSaysSo)
{
    for (const bool dual : {false, true}) {
        SCOPED_TRACE(dual ? "two-frequency store" : "single store");
        ResetDataFileState();
        MemoryFile f;
        Create(f);
        index = MemoryFile{};
        index.FailAfter = 0;
        ReadingParameters p;
        DualRepetitionChoice c;
        auto store = [&] {
            return dual ? StoreDualRepetitionReadingTo(&f, &index, p, c, rows, rowsB, meter, clock) : Store(f, p);
        };
        StoreOutcome out = store();
        EXPECT_EQ(out.Result, StoreResult::Stored);
        EXPECT_TRUE(out.NewStation);
        EXPECT_TRUE(out.IndexWriteFailed);
        EXPECT_TRUE(index.Bytes.empty());
        const std::vector<std::string> reading = dual ? Join({Reading(5), Reading(8)}) : Reading(8);
        EXPECT_EQ(Tags(f.Bytes), Join({Header, LineStart, reading}));

        out = store();
        EXPECT_EQ(out.Result, StoreResult::Stored);
        EXPECT_FALSE(out.NewStation);
        EXPECT_FALSE(out.IndexWriteFailed);
    }
}

TEST_F(StoreTest, FailedSentenceLeavesNoPartialRecord)
{
    MemoryFile f;
    Create(f);
    std::string before = f.Bytes;
    f.FailAfter = 70;
    EXPECT_FALSE(StoreTextInDataFile(&f, std::string(100, 'g'), 5, '@', '#'));
    EXPECT_EQ(f.Bytes, before);
}

// A reading stored in one file and then in a second file of the same session: the second
// file starts with its own line and station, and comments go to the second file only.
TEST_F(StoreTest, ReadingStoredTwiceInTwoFilesOfOneSession)
{
    MemoryFile a;
    Create(a);
    ReadingParameters p;
    Store(a, p);
    ClearComments(0);  // the store command steps the station

    MemoryFile b;
    Create(b);
    Store(b, p);
    EXPECT_EQ(Tags(b.Bytes), Join({Header, LineStart, Reading(8)}));
    EXPECT_EQ(RecordAt(b, 11).substr(0, 6), "W1   1");

    std::string aBefore = a.Bytes;
    std::string bLength = std::to_string(b.Bytes.size());
    std::string texts[5] = {"file B", "line of B", "station of B", "reading of B", ""};
    ASSERT_TRUE(ApplyCommentsDialog(&b, texts, p.SurveyLine, p.CurrentStation));
    EXPECT_EQ(a.Bytes, aBefore);
    EXPECT_EQ(std::to_string(b.Bytes.size()), bLength);
    EXPECT_EQ(RecordAt(b, 3).substr(2, 6), "file B");
    EXPECT_EQ(RecordAt(b, 6).substr(2, 9), "line of B");
    EXPECT_EQ(RecordAt(b, 9).substr(2, 12), "station of B");
    EXPECT_EQ(RecordAt(b, 11 + 14).substr(2, 12), "reading of B");
}

TEST(LoopCentre, MovesWithTheReceiverUnlessTheTransmitterIsFixed)
{
    ResetDataFileState();
    TxCentreOffsetX = 10.0;
    TxCentreOffsetY = -5.0;
    double x = 1.0, y = 2.0;
    UpdateLoopCentreOf(1, 0, 100.0, 50.0, x, y);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(y, 2.0);
    UpdateLoopCentreOf(0, 1, 100.0, 50.0, x, y);  // N/S lines: X from the line
    EXPECT_EQ(x, 110.0);
    EXPECT_EQ(y, 45.0);
    UpdateLoopCentreOf(2, 3, 100.0, 50.0, x, y);  // E/W lines: X from the station
    EXPECT_EQ(x, 60.0);
    EXPECT_EQ(y, 95.0);
    UpdateLoopCentreOf(0, 4, 0.0, 0.0, x, y);
    EXPECT_EQ(x, 60.0);
    ResetDataFileState();
}

TEST(ClearCommentsLevels, WhatEachLevelEmpties)
{
    ResetDataFileState();
    auto fill = [] {
        for (auto& c : CommentLines)
            c = "x";
        for (auto& c : RecordCommentLines)
            c = "y";
        CommentOffsets = {180, 360, 540, 900, 960};
    };
    fill();
    ClearComments(0);
    EXPECT_EQ(CommentLines[FileCommentLine], "x");
    EXPECT_EQ(CommentLines[LineCommentLine], "x");
    EXPECT_EQ(CommentLines[StationCommentLine], "");
    EXPECT_EQ(RecordCommentLines[PreviousRecordComment], "");
    EXPECT_EQ(RecordCommentLines[NextRecordComment], "");
    // The pairs last stored stay known: a step back to their station finds them again.
    EXPECT_EQ(CommentOffsets.File, 180);
    EXPECT_EQ(CommentOffsets.Line, 360);
    EXPECT_EQ(CommentOffsets.Station, 540);
    EXPECT_EQ(CommentOffsets.PreviousRecord, 900);
    EXPECT_EQ(CommentOffsets.Reading, 960);

    fill();
    ClearComments(2);
    EXPECT_EQ(CommentLines[FileCommentLine], "x");
    EXPECT_EQ(CommentLines[LineCommentLine], "");
    EXPECT_EQ(CommentLines[StationCommentLine], "");
    EXPECT_EQ(CommentOffsets.File, 180);
    EXPECT_EQ(CommentOffsets.Line, 360);

    fill();
    ClearComments(1);
    EXPECT_EQ(CommentLines[FileCommentLine], "");
    EXPECT_EQ(CommentOffsets.File, 0);
    EXPECT_EQ(CommentOffsets.Line, 0);
    ResetDataFileState();
}

// The GPS reader appends sentences while the user-interface thread stores readings: every
// sentence group lands between readings, never inside one.
TEST_F(StoreTest, SentencesNeverLandInsideAReading)
{
    MemoryFile f;
    Create(f);
    ReadingParameters p;
    p.SurveyMode = 1;
    p.GateSet = 0;
    std::atomic<bool> done{false};
    std::thread gps([&] {
        while (!done)
            StoreTextInDataFile(&f, std::string(75, 'g'), 7, '@', '#');
    });
    for (int i = 0; i < 200; ++i) {
        p.CurrentStation = i;
        ASSERT_EQ(Store(f, p, 20).Result, StoreResult::Stored);
    }
    done = true;
    gps.join();

    auto tags = Tags(f.Bytes);
    bool inReading = false;
    int readings = 0;
    for (const auto& t : tags) {
        if (t == "W1") {
            EXPECT_FALSE(inReading);
            inReading = true;
            ++readings;
        } else if (t == "Z1") {
            inReading = false;
        } else if (t == "@" || t == "#" || t == "!") {
            EXPECT_FALSE(inReading);
        }
    }
    EXPECT_EQ(readings, 200);
}
