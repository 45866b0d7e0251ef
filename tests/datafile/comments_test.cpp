// Comment pairs rewritten in place by the two comment dialogs.
#include "vlox/datafile/comments.h"

#include "vlox/datafile/store.h"
#include "vlox/datafile/trim.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(const WideString& w)
{
    return WideToNarrow(w);
}

class CommentsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDataFileState();
        header.DataFileTitle = "20261207_000";
        DataFileTitle = "20261207_000";
        ASSERT_TRUE(BeginDataFile(file, header, now));
    }
    void TearDown() override { ResetDataFileState(); }

    void Store() { ASSERT_EQ(StoreReadingTo(&file, nullptr, p, 30, rows, meter, clock).Result, StoreResult::Stored); }

    std::string Record(size_t i) const { return file.Bytes.substr(i * 60, 60); }

    MemoryFile file;
    FileHeaderFields header;
    LocalTime now;
    LocalClock clock = [this] { return now; };
    ReadingParameters p;
    ReadingRecordResult rows[4];
    MeterValues meter;
};

}  // namespace

TEST(Trimming, ModesOfTrimText)
{
    std::string t = "  a b  ";
    TrimText(t, 1);
    EXPECT_EQ(t, "a b  ");
    t = "  a b  ";
    TrimText(t, 2);
    EXPECT_EQ(t, "  a b");
    t = "  a b  ";
    TrimText(t, 3);
    EXPECT_EQ(t, "a b");
    t = "  a  ";
    TrimText(t, 4);
    EXPECT_EQ(t, "  a  ");
    t = "     ";
    TrimText(t, 3);
    EXPECT_EQ(t, "");
    WideChar w[] = {' ', 'x', ' ', 0};
    TrimTextW(w, 3);
    EXPECT_EQ(w[0], 'x');
    EXPECT_EQ(w[1], 0);
    char c[] = "  y";
    TrimText(c, 1);
    EXPECT_STREQ(c, "y");
}

TEST_F(CommentsTest, DialogBeforeAnyStoreRewritesOnlyTheFileComment)
{
    p.SurveyLine = 100.0;
    p.CurrentStation = 250.5;
    CommentsDialogView v = CommentsDialogContents(&file, p.SurveyLine, p.CurrentStation);
    EXPECT_EQ(Narrow(v.Labels[CommentsFile]), "Comment for File 20261207_000");
    EXPECT_EQ(Narrow(v.Labels[CommentsLine]), "Comment for Line 100.00");
    EXPECT_EQ(Narrow(v.Labels[CommentsStation]), "Comment for Station 250.50");
    EXPECT_EQ(Narrow(v.Labels[CommentsPreviousRecord]), "Comment for Record   0");
    EXPECT_EQ(Narrow(v.Labels[CommentsNextRecord]), "Apply Comment to Next Record   1");
    EXPECT_FALSE(v.PreviousRecordEnabled);

    size_t length = file.Bytes.size();
    std::string texts[5] = {"Survey north of the lake", "line text", "station text", "", "next"};
    ASSERT_TRUE(ApplyCommentsDialog(&file, texts, p.SurveyLine, p.CurrentStation));
    EXPECT_EQ(file.Bytes.size(), length);
    EXPECT_EQ(file.Position, static_cast<int64_t>(length));
    EXPECT_EQ(Record(3), "C1Survey north of the lake" + std::string(32, ' ') + "\r\n");
    // The others are pending: the next store writes them.
    EXPECT_EQ(CommentLines[LineCommentLine], "line text");
    Store();
    EXPECT_EQ(Record(6).substr(0, 11), "C3line text");
    EXPECT_EQ(Record(9).substr(0, 14), "C5station text");
    EXPECT_EQ(Record(11 + 14).substr(0, 6), "C7next");
}

TEST_F(CommentsTest, RewritesPairsInPlaceAfterAStore)
{
    Store();
    std::string before = file.Bytes;
    CommentsDialogView v = CommentsDialogContents(&file, p.SurveyLine, p.CurrentStation);
    EXPECT_TRUE(v.PreviousRecordEnabled);
    EXPECT_EQ(Narrow(v.Labels[CommentsPreviousRecord]), "Comment for Record   1");

    std::string long112(112, 'q');
    long112[56] = 'R';
    std::string texts[5] = {"f", "l", "s", long112 + "overflow", "n"};
    ASSERT_TRUE(ApplyCommentsDialog(&file, texts, p.SurveyLine, p.CurrentStation));
    EXPECT_EQ(file.Bytes.size(), before.size());
    EXPECT_EQ(Record(3).substr(0, 4), "C1f ");
    EXPECT_EQ(Record(6).substr(0, 4), "C3l ");
    EXPECT_EQ(Record(9).substr(0, 4), "C5s ");
    EXPECT_EQ(Record(25), "C7" + long112.substr(0, 56) + "\r\n");
    EXPECT_EQ(Record(26), "C8" + long112.substr(56) + "\r\n");
    // Nothing else moved.
    EXPECT_EQ(file.Bytes.substr(27 * 60), before.substr(27 * 60));
    EXPECT_EQ(file.Bytes.substr(0, 180), before.substr(0, 180));
    EXPECT_EQ(RecordCommentLines[NextRecordComment], "n");
}

// After the station has moved on, the dialog names the new station: the pairs of the
// station left behind are never overwritten with the new station's (empty) comments.
TEST_F(CommentsTest, StationChangeNeverRewritesTheLastStationsPairs)
{
    CommentLines[StationCommentLine] = "old station";
    RecordCommentLines[NextRecordComment] = "old reading";
    Store();
    std::string before = file.Bytes;
    ClearComments(0);  // the store command, then the station steps on
    p.CurrentStation += 5.0;
    EXPECT_EQ(CommentsDialogContents(&file, p.SurveyLine, p.CurrentStation).Texts[CommentsStation], "");
    std::string texts[5] = {"", "", "new station", "", ""};
    ASSERT_TRUE(ApplyCommentsDialog(&file, texts, p.SurveyLine, p.CurrentStation));
    EXPECT_EQ(Record(9).substr(0, 13), "C5old station");
    EXPECT_EQ(Record(25).substr(0, 13), "C7old reading");
    EXPECT_EQ(file.Bytes.substr(240), before.substr(240));  // only C1/C2 rewritten

    // In automatic mode the station steps on without a clear: still the old pairs stay.
    Store();
    std::string auto1 = file.Bytes;
    p.CurrentStation += 5.0;
    ReadingCounter = 0;
    std::string texts2[5] = {"", "", "another", "", ""};
    ASSERT_TRUE(ApplyCommentsDialog(&file, texts2, p.SurveyLine, p.CurrentStation));
    EXPECT_EQ(file.Bytes.substr(240), auto1.substr(240));
}

// Pins the mend: Repeat Last Station goes back to the station just stored. Its pairs are
// that station's, so a comment entered there reaches them; the next store leaves them be.
TEST_F(CommentsTest, RepeatLastStationRewritesThePairsJustStored)
{
    p.CurrentStation = 10.0;
    CommentLines[StationCommentLine] = "boulder";
    RecordCommentLines[NextRecordComment] = "first reading";
    Store();
    const size_t length = file.Bytes.size();
    // Store Reading steps the station on; Repeat Last Station steps it back.
    ClearComments(0);
    const int32_t previous = ReadingCounter;
    ReadingCounter = 0;
    p.CurrentStation += 5.0;
    ClearComments(0);
    ReadingCounter = previous;
    p.CurrentStation -= 5.0;

    // The dialog shows the pairs it will write over as they stand.
    CommentsDialogView v = CommentsDialogContents(&file, p.SurveyLine, p.CurrentStation);
    EXPECT_TRUE(v.PreviousRecordEnabled);
    EXPECT_EQ(v.Texts[CommentsStation], "boulder");
    EXPECT_EQ(v.Texts[CommentsPreviousRecord], "first reading");
    EXPECT_EQ(v.Texts[CommentsNextRecord], "");

    std::string texts[5] = {"", "", "boulder, wet", "first reading, noisy", ""};
    ASSERT_TRUE(ApplyCommentsDialog(&file, texts, p.SurveyLine, p.CurrentStation));
    EXPECT_EQ(file.Bytes.size(), length);
    EXPECT_EQ(Record(9).substr(0, 14), "C5boulder, wet");
    EXPECT_EQ(Record(25).substr(0, 22), "C7first reading, noisy");

    Store();
    EXPECT_EQ(Record(28).substr(0, 6), "W1   2");
    EXPECT_EQ(Record(9).substr(0, 14), "C5boulder, wet");
    EXPECT_EQ(Record(25).substr(0, 22), "C7first reading, noisy");
}

// Pins the mend: a step back to the line and station just stored reaches their pairs; the
// reading pair stays, since no reading of this visit is stored yet.
TEST_F(CommentsTest, StepsBackToTheStoredLineAndStationRewriteTheirPairs)
{
    CommentLines[LineCommentLine] = "along the road";
    CommentLines[StationCommentLine] = "fence";
    RecordCommentLines[NextRecordComment] = "reading";
    Store();
    ClearComments(0);  // Store Reading, then Next Station and Previous Station
    ReadingCounter = 0;
    p.CurrentStation += 5.0;
    ClearComments(0);
    p.CurrentStation -= 5.0;
    ClearComments(2);  // Next Line, then Previous Line
    p.SurveyLine += 20.0;
    ClearComments(2);
    p.SurveyLine -= 20.0;

    CommentsDialogView v = CommentsDialogContents(&file, p.SurveyLine, p.CurrentStation);
    EXPECT_EQ(v.Texts[CommentsLine], "along the road");
    EXPECT_EQ(v.Texts[CommentsStation], "fence");
    EXPECT_FALSE(v.PreviousRecordEnabled);
    std::string texts[5] = {"", "along the old road", "fence post", "not written", ""};
    ASSERT_TRUE(ApplyCommentsDialog(&file, texts, p.SurveyLine, p.CurrentStation));
    EXPECT_EQ(Record(6).substr(0, 20), "C3along the old road");
    EXPECT_EQ(Record(9).substr(0, 12), "C5fence post");
    EXPECT_EQ(Record(25).substr(0, 9), "C7reading");
}

TEST_F(CommentsTest, NoDataFileKeepsTheCommentsPending)
{
    std::string texts[5] = {"a", "b", "c", "d", "e"};
    EXPECT_TRUE(ApplyCommentsDialog(nullptr, texts, 0.0, 0.0));
    EXPECT_EQ(CommentLines[FileCommentLine], "a");
    EXPECT_EQ(RecordCommentLines[NextRecordComment], "e");
}

TEST_F(CommentsTest, FailedRewriteIsReported)
{
    file.FailAfter = 10;
    std::string texts[5] = {"a", "", "", "", ""};
    EXPECT_FALSE(ApplyCommentsDialog(&file, texts, 0.0, 0.0));
    EXPECT_EQ(file.Position, static_cast<int64_t>(file.Bytes.size()));
}

TEST_F(CommentsTest, ReviewDialogRewritesOnlyThePairsFound)
{
    Store();
    std::string before = file.Bytes;
    ReviewComments[ReviewFileComment] = {"old file", 1, 1, 180};
    ReviewComments[ReviewLineComment] = {"", 0, 1, 360};
    ReviewComments[ReviewStationComment] = {"", 0, 0, 0};  // no C5/C6 in the file
    ReviewComments[ReviewReadingComment] = {"", 0, 1, 25 * 60};

    CommentsViewContentsData v = CommentsViewContents(VLOX_WIDE("20261207_000.VLX"), 100.0, 12.25, 3);
    EXPECT_EQ(Narrow(v.Labels[0]), "Comment for File 20261207_000.VLX");
    EXPECT_EQ(Narrow(v.Labels[1]), "Comment for Line 100.00");
    EXPECT_EQ(Narrow(v.Labels[2]), "Comment for Station 12.25");
    EXPECT_EQ(Narrow(v.Labels[3]), "Comment for Record 3");
    EXPECT_EQ(v.Texts[0], "old file");

    std::string texts[4] = {"edited file comment", "", "lost: no pair", "reading \xE9"};
    ASSERT_TRUE(ApplyCommentsView(&file, texts));
    EXPECT_EQ(file.Bytes.size(), before.size());
    EXPECT_EQ(Record(3).substr(0, 21), "C1edited file comment");
    EXPECT_EQ(Record(6), "C3" + std::string(56, ' ') + "\r\n");
    EXPECT_EQ(Record(9), before.substr(9 * 60, 60));
    EXPECT_EQ(Record(25).substr(0, 11), "C7reading \xE9");
    EXPECT_EQ(ReviewComments[ReviewReadingComment].HasText, 1);
    EXPECT_EQ(ReviewComments[ReviewLineComment].HasText, 0);
    ReviewComments[ReviewReadingComment] = {};
}

TEST_F(CommentsTest, RewriteOutsideTheFileIsRefused)
{
    size_t length = file.Bytes.size();
    EXPECT_FALSE(WriteCommentRecords(file, 1, 3, static_cast<int64_t>(length), "x"));
    EXPECT_FALSE(WriteCommentRecords(file, 1, 1, 0, "x"));
    EXPECT_EQ(file.Bytes.size(), length);
    // Read back only where the pair stands.
    std::string text = "kept";
    EXPECT_FALSE(ReadCommentRecords(file, 1, 60, text));
    EXPECT_FALSE(ReadCommentRecords(file, 3, 180, text));
    EXPECT_FALSE(ReadCommentRecords(file, 1, static_cast<int64_t>(length) - 60, text));
    EXPECT_EQ(text, "kept");
    ASSERT_TRUE(ReadCommentRecords(file, 1, 180, text));
    EXPECT_EQ(text, std::string(112, ' '));
    EXPECT_EQ(file.Position, static_cast<int64_t>(length));
}
