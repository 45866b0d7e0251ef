// The review reader over files written by the program's own writers: the indexes, a whole
// reading parsed back, every numbered message of a file cut or damaged at its record, values
// that would index a table refused, and the review gate times.
#include "vlox/datafile/comments.h"
#include "vlox/datafile/review_reader.h"
#include "vlox/datafile/review_state.h"
#include "vlox/datafile/store.h"
#include "vlox/settings/rate_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

ReadingRecordResult Rows[3];

void Store(MemoryFile& f, const ReadingParameters& p, const MeterValues& meter = MeterValues{})
{
    for (int k = 0; k < 3; ++k)
        for (int g = 0; g < 101; ++g)
            Rows[k].GateRow[g] = (g + 1) * 1e-6 * (k + 1);
    StoreReadingTo(&f, nullptr, p, ReceiverGateCount(p), Rows, meter, [] { return LocalTime{}; });
}

MemoryFile NewFile()
{
    ResetDataFileState();
    MemoryFile f;
    BeginDataFile(f, FileHeaderFields{}, LocalTime{});
    return f;
}

// One reading of every optional record: three loop records, a partial V record, U1.
MemoryFile FullReadingFile(ReadingParameters& p)
{
    MemoryFile f = NewFile();
    p.SurveyLine = 100.5;
    p.LineDirection = 2;
    p.CurrentStation = 25.0;
    p.TxLoopShape = 2;
    p.GateSet = 1;  // 30 gates: V1-V7 and V8 of two values
    p.MeterInput = 1;
    p.MeterModel = 0;
    MeterValues meter;
    meter.Valid = 1;
    meter.Dipole = 'H';
    meter.Value1 = 12.5;
    meter.Value2 = -3.25;
    Store(f, p, meter);
    return f;
}

int64_t FirstWOffset(const MemoryFile& f)
{
    for (size_t at = 0; at + 60 <= f.Bytes.size(); at += 60)
        if (f.Bytes[at] == 'W')
            return static_cast<int64_t>(at);
    return -1;
}

}  // namespace

TEST(ReviewReader, ReadsBackWhatTheWriterStored)
{
    ReadingParameters p;
    MemoryFile f = FullReadingFile(p);
    FileMessage msg;
    ResetReviewTables();
    ASSERT_EQ(ReadFileHeader(f, msg), 1) << msg.Text;
    IndexLines(f);
    ASSERT_EQ(ReviewLineCount, 1);
    EXPECT_EQ(ReviewLineTexts[0], "100.5");
    EXPECT_EQ(ReviewLineDirections[0], 2);
    ASSERT_EQ(ReadLineStations(f, ReviewLineOffsets[0], msg), 1);
    ASSERT_EQ(ReviewStationCount, 1);
    EXPECT_EQ(ReviewStationValues[0], 25.0);
    ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
    ASSERT_EQ(ReviewRecordCount, 1);
    EXPECT_EQ(ReviewRecordNumbers[0], 1);
    EXPECT_EQ(ReviewRecordTags[0], 0);

    ReviewReadingData r;
    ASSERT_EQ(ReadMeasurementRecord(f, ReviewRecordOffsets[0], r, msg), 1) << msg.Text;
    EXPECT_EQ(r.LoopShape, 2);
    EXPECT_EQ(r.CornerX[2], 60.0);
    EXPECT_EQ(r.CornerY[3], 50.0);
    EXPECT_EQ(r.GateCount, 30);
    EXPECT_EQ(r.RepRateIndex, 2);
    EXPECT_NEAR(r.RepetitionRate, 30.0, 1e-9);
    EXPECT_NEAR(r.GateValues[0], 2000.0, 1e-6);    // 2e-6 V as nanovolts
    EXPECT_NEAR(r.GateValues[29], 60000.0, 1e-6);  // the last, from the partial record
    EXPECT_EQ(r.MeterState, 1);
    EXPECT_EQ(r.MeterDipole, 'H');
    EXPECT_EQ(r.MeterValues[1], -3.25);
    EXPECT_EQ(r.AmpereTurns, 3.0);
    EXPECT_EQ(r.CommentPresent, 1);
    // The comments of a reading are read again from its W record alone: its line's and its
    // station's pairs where the index found them, its own where the parser did.
    const ReviewCommentEntry line = ReviewComments[ReviewLineComment];
    const ReviewCommentEntry station = ReviewComments[ReviewStationComment];
    ResetReviewTables();
    ASSERT_EQ(ReadCommentsOfReading(f, FirstWOffset(f), msg), 1) << msg.Text;
    EXPECT_EQ(ReviewComments[ReviewLineComment].Offset, line.Offset);
    EXPECT_EQ(ReviewComments[ReviewLineComment].Present, line.Present);
    EXPECT_EQ(ReviewComments[ReviewStationComment].Offset, station.Offset);
    EXPECT_EQ(ReviewComments[ReviewStationComment].Present, station.Present);
    EXPECT_EQ(ReviewComments[ReviewReadingComment].Offset, r.CommentOffset);
    EXPECT_EQ(ReviewComments[ReviewReadingComment].Present, 1);
}

TEST(ReviewReader, LineFollowedDirectlyByStationAndExcludedReadings)
{
    MemoryFile f = NewFile();
    ReadingParameters p;
    Store(f, p);
    p.CurrentStation = 5.0;
    Store(f, p);
    Store(f, p);
    // Take out the line comment pair: L1 directly followed by S1.
    f.Bytes.erase(6 * 60, 120);
    // Second reading of station 5 excluded (W0).
    std::vector<size_t> w;
    for (size_t at = 0; at < f.Bytes.size(); at += 60)
        if (f.Bytes[at] == 'W')
            w.push_back(at);
    ASSERT_EQ(w.size(), 3u);
    f.Bytes[w[2] + 1] = '0';

    FileMessage msg;
    ResetReviewTables();
    ASSERT_EQ(ReadFileHeader(f, msg), 1);
    IndexLines(f);
    ASSERT_EQ(ReadLineStations(f, ReviewLineOffsets[0], msg), 1) << msg.Text;
    EXPECT_EQ(ReviewComments[ReviewLineComment].Present, 0);
    EXPECT_EQ(ReviewComments[ReviewLineComment].HasText, 0);
    ASSERT_EQ(ReviewStationCount, 2);
    ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[1], msg), 1);
    ASSERT_EQ(ReviewRecordCount, 2);
    EXPECT_EQ(ReviewRecordTags[0], 0);
    EXPECT_EQ(ReviewRecordTags[1], -1);
    EXPECT_EQ(ReviewRecordNumbers[1], 2);
}

// Every record of a reading, cut before it (short read) and with its tag damaged: the
// message is the record's own, the file is not changed, nothing of the reading is kept.
TEST(ReviewReader, EveryNumberedMessageOfAReading)
{
    ReadingParameters p;
    const MemoryFile base = FullReadingFile(p);
    const int64_t w = FirstWOffset(base);
    ASSERT_GT(w, 0);
    struct Case {
        int record;  // from the W record, 0-based
        int shortNumber;
        int tagNumber;
    };
    // W T P1 P2 P3 R1 R2 V1..V7 V8 U1 C7 C8 Z1
    const Case cases[] = {{0, 15, 16},  {1, 17, 18},  {2, 19, 20},  {3, 47, 48},  {4, 49, 50},
                          {5, 23, 24},  {6, 25, 26},  {7, 27, 28},  {13, 27, 28}, {14, 29, 30},
                          {15, 54, 55}, {16, 31, 32}, {17, 33, 34}, {18, 35, 36}};
    for (const Case& c : cases) {
        const int64_t at = w + 60 * c.record;
        MemoryFile cut = base;
        cut.Bytes.resize(static_cast<size_t>(at + 30));
        const std::string cutBytes = cut.Bytes;
        FileMessage msg;
        ReviewReadingData r;
        r.GateCount = -7;
        EXPECT_EQ(ReadMeasurementRecord(cut, w, r, msg), 0) << c.record;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%d-Error in file line %lld", c.shortNumber,
                      static_cast<long long>((at + 30) / 60 + 1));
        EXPECT_EQ(msg.Text, expected);
        EXPECT_EQ(msg.Caption, "File Error");
        EXPECT_EQ(r.GateCount, -7) << "a refused reading leaves its output alone";
        EXPECT_EQ(cut.Bytes, cutBytes);

        MemoryFile bad = base;
        bad.Bytes[static_cast<size_t>(at)] = 'Q';
        EXPECT_EQ(ReadMeasurementRecord(bad, w, r, msg), 0) << c.record;
        std::snprintf(expected, sizeof expected, "%d-Error in file line %lld", c.tagNumber,
                      static_cast<long long>(at / 60 + 2));
        // C7 damaged to a non-comment is pushed back: the next record (C8) then is not Z1.
        if (c.record == 16)
            std::snprintf(expected, sizeof expected, "36-Error in file line %lld", static_cast<long long>(at / 60 + 2));
        EXPECT_EQ(msg.Text, expected);
    }
    // C7 present but named otherwise: 32.
    MemoryFile c9 = base;
    c9.Bytes[static_cast<size_t>(w + 60 * 16 + 1)] = '9';
    FileMessage msg;
    ReviewReadingData r;
    EXPECT_EQ(ReadMeasurementRecord(c9, w, r, msg), 0);
    EXPECT_EQ(msg.Text.substr(0, 3), "32-");
}

TEST(ReviewReader, HeaderAndStationMessages)
{
    ReadingParameters p;
    const MemoryFile base = FullReadingFile(p);
    struct Case {
        size_t cutAt;  // bytes kept (short read of the record there)
        int damage;    // record whose tag is damaged instead, -1 none
        int number;
    };
    const Case cases[] = {{30, -1, 37}, {0, 0, 38},    {90, -1, 39}, {0, 1, 40},    {150, -1, 41},
                          {0, 2, 45},   {200, -1, 53}, {0, 3, 42},   {260, -1, 43}, {0, 4, 44}};
    for (const Case& c : cases) {
        MemoryFile f = base;
        if (c.damage >= 0)
            f.Bytes[static_cast<size_t>(c.damage) * 60] = 'Q';
        else
            f.Bytes.resize(c.cutAt);
        FileMessage msg;
        EXPECT_EQ(ReadFileHeader(f, msg), 0);
        EXPECT_EQ(msg.Text.substr(0, msg.Text.find('-')), std::to_string(c.number)) << msg.Text;
    }
    // The optional pairs after L1 and S1.
    const int64_t l1 = 5 * 60;
    const int64_t s1 = 8 * 60;
    struct Pair {
        int64_t at;
        int32_t (*read)(RecordFile&, int64_t, FileMessage&);
        int numbers[4];
    };
    const Pair pairs[] = {{l1, ReadLineStations, {7, 8, 9, 10}}, {s1, ReadStationRecords, {11, 12, 13, 14}}};
    for (const Pair& pair : pairs) {
        const size_t first = static_cast<size_t>(pair.at + 60);
        MemoryFile a = base, b = base, c = base, d = base;
        a.Bytes.resize(first + 10);
        b.Bytes[first + 1] = '9';
        c.Bytes.resize(first + 70);
        d.Bytes[first + 61] = '9';
        MemoryFile* files[4] = {&a, &b, &c, &d};
        for (int i = 0; i < 4; ++i) {
            FileMessage msg;
            EXPECT_EQ(pair.read(*files[i], pair.at, msg), 0);
            EXPECT_EQ(msg.Text.substr(0, msg.Text.find('-')), std::to_string(pair.numbers[i]));
        }
    }
}

// Values that would index a table are refused like a wrong tag: rate index, mains, coil
// type, gains, gate set, gate count (a file may say 999), loop shape, first gate time.
TEST(ReviewReader, ValuesOutsideTheirTablesAreRefused)
{
    ReadingParameters p;
    p.GateSet = 2;
    p.UserGateCount = 40;
    MemoryFile base = NewFile();
    Store(base, p);
    const int64_t w = FirstWOffset(base);
    struct Case {
        int record;
        int column;  // 1-based, last column of the field
        int width;
        const char* text;
        int number;
    };
    const Case cases[] = {
        {1, 34, 2, " 7", 18},               // loop shape
        {4, 5, 3, "  2", 24},               // mains
        {4, 9, 3, "  7", 24},               // rate index
        {4, 9, 3, " -1", 24},               // rate index
        {4, 13, 3, " 11", 24},              // coil type
        {4, 33, 3, "  9", 24},              // gain X
        {4, 45, 3, "  3", 24},              // gate set
        {4, 54, 3, "999", 24},              // gate count
        {4, 54, 3, "  0", 24},              // gate count
        {5, 43, 14, "         0.000", 26},  // first gate time of user gates
    };
    for (const Case& c : cases) {
        MemoryFile f = base;
        f.Bytes.replace(static_cast<size_t>(w + 60 * c.record + c.column - c.width), static_cast<size_t>(c.width),
                        c.text);
        FileMessage msg;
        ReviewReadingData r;
        EXPECT_EQ(ReadMeasurementRecord(f, w, r, msg), 0) << c.text;
        EXPECT_EQ(msg.Text.substr(0, 3), std::to_string(c.number) + "-") << c.text;
    }
    FileMessage msg;
    ReviewReadingData r;
    EXPECT_EQ(ReadMeasurementRecord(base, w, r, msg), 1) << msg.Text;
    EXPECT_EQ(r.GateCount, 40);
}

TEST(ReviewReader, GateTimes)
{
    // The user-gate example: 10 gates from 10 us at 30 Hz, turn-off 100 us, rate index 2.
    ReviewReadingData r;
    r.GateSet = 2;
    r.GateCount = 10;
    r.FirstGateTimeUs = 10.0;
    r.RepRateIndex = 2;
    r.RepetitionRate = 30.0;
    r.TurnOffTimeUs = 100.0;
    ASSERT_EQ(BuildReviewGateTimes(r), 1);
    const double ratio = (1e6 / 120.0 - 100.0 - 512.0) / 10.0;
    const double step = std::pow(ratio, 0.1);
    EXPECT_NEAR(ratio, 772.13, 0.01);
    EXPECT_NEAR(ReviewGateCentres[2][0], (10.0 + (10.0 * step - 10.0) / 2.0) / 1000.0, 1e-12);
    const double e9 = 10.0 * std::pow(step, 9), e10 = 10.0 * std::pow(step, 10);
    EXPECT_NEAR(ReviewGateCentres[2][9], (e9 + (e10 - e9) / 2.0) / 1000.0, 1e-9);
    EXPECT_NEAR(TimeAxisLow[2][2], ReviewGateCentres[2][0] * 0.95, 1e-12);

    // A first gate time of 0 never divides: the tables stay as they were.
    const double kept = ReviewGateCentres[2][0];
    r.FirstGateTimeUs = 0.0;
    EXPECT_EQ(BuildReviewGateTimes(r), 0);
    EXPECT_EQ(ReviewGateCentres[2][0], kept);

    // Standard 20 gates at rate index 5: the live centres, and the tenth-scale 20-gate axis
    // of rate indexes 3-6 kept as stored files were always shown.
    ReviewReadingData s;
    s.GateSet = 0;
    s.GateCount = 20;
    s.RepRateIndex = 5;
    ASSERT_EQ(BuildReviewGateTimes(s), 1);
    GateTableInputs in;
    in.GateSet = 0;
    double edges[RepRateCount][GateEdgeCount], centres[RepRateCount][MaxGateCount], low[RepRateCount][3],
        high[RepRateCount][3];
    BuildGateTablesFrom(in, edges, centres, low, high);
    for (int g = 0; g < 20; ++g)
        EXPECT_EQ(ReviewGateCentres[5][g], centres[5][g]);
    EXPECT_EQ(TimeAxisLow[3][0], 0.02);
    EXPECT_EQ(TimeAxisHigh[6][0], 80.0);
    EXPECT_EQ(TimeAxisLow[2][0], low[2][0]);
}

// Manage Records on a station of three readings, the second excluded: exactly those three
// records rewritten, the length unchanged, the position put back; a failing write reported
// once while the others are still written; a record that is not a W record never written.
TEST(ReviewReader, RewriteRecordTags)
{
    MemoryFile f = NewFile();
    ReadingParameters p;
    for (int i = 0; i < 3; ++i)
        Store(f, p);
    FileMessage msg;
    ResetReviewTables();
    IndexLines(f);
    ASSERT_EQ(ReadLineStations(f, ReviewLineOffsets[0], msg), 1);
    ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
    ASSERT_EQ(ReviewRecordCount, 3);
    const std::string before = f.Bytes;
    f.Position = 1234;
    int32_t tags[3] = {0, -1, 1};
    EXPECT_EQ(RewriteRecordTags(f, ReviewRecordOffsets, tags, 3, msg), 3);
    EXPECT_TRUE(msg.Text.empty());
    EXPECT_EQ(f.Position, 1234);
    ASSERT_EQ(f.Bytes.size(), before.size());
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); ++i)
        if (f.Bytes[i] != before[i]) {
            ++changed;
            EXPECT_EQ(static_cast<int64_t>(i), ReviewRecordOffsets[1] + 1);
        }
    EXPECT_EQ(changed, 1u);
    ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
    EXPECT_EQ(ReviewRecordTags[1], -1);

    // An offset that does not hold a W record is left alone; a full disk is told once.
    int64_t offsets[3] = {ReviewRecordOffsets[0], ReviewRecordOffsets[0] + 60, ReviewRecordOffsets[2]};
    int32_t none[3] = {-1, -1, -1};
    MemoryFile full = f;
    full.FailAfter = 0;
    EXPECT_EQ(RewriteRecordTags(full, offsets, none, 3, msg), 0);
    EXPECT_EQ(msg.Caption, "File Error");
    EXPECT_EQ(full.Bytes, f.Bytes);
    msg = FileMessage{};
    EXPECT_EQ(RewriteRecordTags(f, offsets, none, 3, msg), 2);
    EXPECT_EQ(f.Bytes[static_cast<size_t>(offsets[1]) + 1], '1');  // T1 untouched
}
