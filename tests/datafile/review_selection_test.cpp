// Review selection over a file written by the program's writers: the slots and user-gate
// sets offered for a line, the profile rows and reading lists, the station averages and the
// automatic axis limits.
#include "vlox/datafile/comments.h"
#include "vlox/datafile/review_selection.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/review_state.h"
#include "vlox/datafile/store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Reported;

void Identity(const ReviewReadingData& r, const double*, double* out)
{
    for (int g = 0; g < r.GateCount; ++g)
        out[g] = r.GateValues[g];
}

void Record(const FileMessage& m)
{
    Reported.push_back(m.Text);
}

// Stores one reading whose gate g holds scale x (g + 1) nanovolts.
void Store(MemoryFile& f, ReadingParameters p, double scale)
{
    ReadingRecordResult rows[2];
    for (int g = 0; g < 101; ++g)
        rows[1].GateRow[g] = scale * (g + 1) * 1e-9;
    StoreReadingTo(&f, nullptr, p, ReceiverGateCount(p), rows, MeterValues{}, [] { return LocalTime{}; });
}

ReadingParameters At(double station, int rate, int gateSet, int userGates = 40)
{
    ReadingParameters p;
    p.CurrentStation = station;
    p.RepRateIndex = rate;
    p.GateSet = gateSet;
    p.UserGateCount = userGates;
    return p;
}

class ReviewSelection : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDataFileState();
        BeginDataFile(f, FileHeaderFields{}, LocalTime{});
        Store(f, At(0, 2, 0), 1.0);
        Store(f, At(0, 2, 0), 3.0);
        Store(f, At(0, 2, 1), 5.0);
        Store(f, At(0, 4, 0), 7.0);  // 3 Hz at one station only: no profile
        Store(f, At(5, 2, 0), 11.0);
        Store(f, At(5, 2, 1), 13.0);
        Store(f, At(5, 2, 2, 100), 17.0);
        Store(f, At(10, 2, 2, 100), 19.0);
        Store(f, At(10, 2, 0), 23.0);
        ctx.File = &f;
        ctx.Convert = Identity;
        ctx.Report = Record;
        Reported.clear();
        ResetReviewTables();
        FileMessage msg;
        ASSERT_EQ(ReadFileHeader(f, msg), 1);
        IndexLines(f);
        ASSERT_EQ(ReadLineStations(f, ReviewLineOffsets[0], msg), 1);
        ASSERT_EQ(ReviewStationCount, 3);
    }

    MemoryFile f;
    ReviewContext ctx;
};

}  // namespace

TEST_F(ReviewSelection, SlotsAndUserGateSetsOfALine)
{
    ASSERT_EQ(CountStationRepetitions(ctx), 0);
    EXPECT_EQ(RepetitionListLabels(1), (std::vector<std::string>{"30Hz/20", "30Hz/30", "30Hz/100"}));
    EXPECT_EQ(ReviewStandardEntryCount, 2);
    EXPECT_EQ(ReviewUserGateEntryCount, 1);
    EXPECT_EQ(SlotStationCounts[4], 1);
    EXPECT_EQ(RepetitionListLabels(0), (std::vector<std::string>{"25Hz/20", "25Hz/30", "25Hz/100"}));

    // "30Hz/20": all three stations, the first matching reading of each as its row.
    ASSERT_EQ(SelectReviewRepetition(ctx, 0), 1);
    ASSERT_EQ(ReviewListedStationCount, 3);
    EXPECT_EQ(ProfileValues[0][0], 1.0);
    EXPECT_EQ(ProfileValues[1][19], 11.0 * 20);
    EXPECT_EQ(ProfileValues[2][0], 23.0);
    ASSERT_EQ(ProfileRecordCount, 2);  // readings 1 and 2 of station 0
    EXPECT_EQ(ProfileRecordNumbers[1], 2);
    // A selection lists; the reading shown is left to the place shown.
    EXPECT_EQ(ReviewShownOffset, -1);
    // Where each repetition stands in the list, as a selection made again finds it.
    EXPECT_EQ(RepetitionEntryOf(7, 0, false), 1);
    EXPECT_EQ(RepetitionEntryOf(2, 100, true), 2);
    EXPECT_EQ(RepetitionEntryOf(4, 0, false), -1);  // one station only
    EXPECT_EQ(RepetitionEntryOf(2, 40, true), -1);

    // "30Hz/30" at stations 0 and 5.
    ASSERT_EQ(SelectReviewRepetition(ctx, 1), 1);
    ASSERT_EQ(ReviewListedStationCount, 2);
    EXPECT_EQ(ProfileStations[1], 5.0);
    EXPECT_EQ(ProfileValues[1][29], 13.0 * 30);

    // The user-gate set after the standard entries: stations 5 and 10, 100 gates.
    ASSERT_EQ(SelectReviewUserGateSet(ctx, 2), 1);
    EXPECT_EQ(ReviewSlot, 2);
    EXPECT_EQ(ReviewUserGateCount, 100);
    ASSERT_EQ(ReviewListedStationCount, 2);
    EXPECT_EQ(ProfileValues[1][99], 19.0 * 100);
    ASSERT_EQ(SelectReviewStation(ctx, 1, 2), 1);
    EXPECT_EQ(ProfileRecordCount, 1);
    EXPECT_EQ(ReadReadingToShow(ctx, ProfileRecordOffsets[0], 0, {}).Reading.GateCount, 100);

    // Choices outside the lists change nothing.
    EXPECT_EQ(SelectReviewRepetition(ctx, -1), 0);
    EXPECT_EQ(SelectReviewRepetition(ctx, 2), 0);
    EXPECT_EQ(SelectReviewUserGateSet(ctx, 3), 0);
    EXPECT_EQ(SelectReviewStation(ctx, 5, 0), 0);
    EXPECT_TRUE(Reported.empty());
}

TEST_F(ReviewSelection, ExcludedReadingsAndAverages)
{
    FileMessage msg;
    ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
    ASSERT_EQ(ReviewRecordCount, 4);
    EXPECT_EQ(ReadStationDrawing(ctx, 2, false, msg), 0);
    EXPECT_EQ(StationSlotAverageCounts[2], 2);
    EXPECT_EQ(StationSlotAverages[2][0], 2.0);    // (1 + 3) / 2
    EXPECT_EQ(StationSlotAverages[2][19], 40.0);  // (20 + 60) / 2
    EXPECT_EQ(StationSlotAverageCounts[7], 1);
    EXPECT_EQ(StationSlotRates[7], 2);
    EXPECT_EQ(StationSlotAverageCounts[4], 1);
    EXPECT_EQ(UserGateReadingsSkipped, 0);

    // The first reading excluded: not averaged, not counted, not listed, yet still the
    // station's profile row as the first matching reading.
    f.Bytes[static_cast<size_t>(ReviewRecordOffsets[0]) + 1] = '0';
    ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
    EXPECT_EQ(ReadStationDrawing(ctx, 3, false, msg), 0);
    EXPECT_EQ(StationSlotAverageCounts[2], 1);
    EXPECT_EQ(StationSlotAverages[2][0], 3.0);
    ASSERT_EQ(ReadLineStations(f, ReviewLineOffsets[0], msg), 1);
    ASSERT_EQ(CountStationRepetitions(ctx), 0);
    EXPECT_EQ(StationSlotCounts[0][2], 1);
    RepetitionListLabels(1);
    ASSERT_EQ(SelectReviewRepetition(ctx, 0), 1);
    EXPECT_EQ(ProfileValues[0][0], 1.0);
    ASSERT_EQ(ProfileRecordCount, 1);
    EXPECT_EQ(ProfileRecordNumbers[0], 2);
    EXPECT_EQ(RecordListText(1, -1), "1X");
    EXPECT_EQ(StationListText(12.5), "12.5");
    EXPECT_EQ(StationListText(100.0), "100");
}

// The readings the drawings read ("Selected", the averages, Auto Scale) leave the reading shown,
// its values and its comment alone. A reading that cannot be read takes no part: it is
// counted, with the first one's message, and nothing is reported from the reading.
TEST_F(ReviewSelection, ReadingsReadForTheDrawingLeaveTheReadingShownAlone)
{
    FileMessage msg;
    ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
    ASSERT_EQ(ReviewRecordCount, 4);
    const ShownReadingData shown = ReadReadingToShow(ctx, ReviewRecordOffsets[0], 0, {});  // 1 x (g + 1)
    ASSERT_EQ(shown.Read, 1);
    const ReviewCommentEntry comment = ReviewComments[ReviewReadingComment];
    ReviewRecordTags[1] = 1;  // 3 x (g + 1)
    ReviewRecordTags[3] = 1;  // 7 x (g + 1)
    FileMessage failure;
    EXPECT_EQ(ReadStationDrawing(ctx, 1, false, failure), 0);
    ProcessingChoice = 1;
    double lo = 0, hi = 0;
    AutoScaleReview(0, nullptr, 0, lo, hi);
    ProcessingChoice = 0;
    EXPECT_EQ(lo, 2.0);    // smallest 3
    EXPECT_EQ(hi, 200.0);  // largest 7 x 20

    // Reading 3 (30 gates, 5 x) damaged in its second gate record.
    size_t v2 = static_cast<size_t>(ReviewRecordOffsets[2]);
    while (f.Bytes.compare(v2, 2, "V2") != 0)
        v2 += 60;
    f.Bytes[v2] = 'Q';
    EXPECT_EQ(ReadStationDrawing(ctx, 3, false, failure), 1);
    EXPECT_NE(failure.Text.find("-Error in file line"), std::string::npos);
    EXPECT_EQ(StationSlotAverageCounts[7], 0);
    EXPECT_EQ(StationSlotAverageCounts[2], 2);
    EXPECT_EQ(StationDrawingReadingOf(2)->Read, 0);

    EXPECT_EQ(ReviewShownOffset, -1);
    EXPECT_EQ(shown.Reading.GateValues[0], 1.0);
    EXPECT_EQ(shown.Values[0], 1.0);
    EXPECT_EQ(ReviewComments[ReviewReadingComment].Offset, comment.Offset);
    EXPECT_TRUE(Reported.empty());

    // Read for showing, it still takes the place, blank, with its tag and the reader's message:
    // nothing meant for it lands on the reading before.
    const ShownReadingData damaged = ReadReadingToShow(ctx, ReviewRecordOffsets[2], -1, {});
    EXPECT_EQ(damaged.Offset, ReviewRecordOffsets[2]);
    EXPECT_EQ(damaged.Read, 0);
    EXPECT_EQ(damaged.Tag, -1);
    EXPECT_EQ(damaged.Reading.EarlyWindowValue, 0.0);
    EXPECT_NE(damaged.Failure.Text.find("-Error in file line"), std::string::npos);
    EXPECT_EQ(SeekPastReading(f, damaged.Offset, msg), 0);
}

// Edit Selected Parameters lands on the reading the review shows, whichever list showed it:
// the profile's readings of a repetition are not the station's readings of the decay view.
// Station 0 holds readings 1 and 2 at 30 Hz/20 gates, 3 at 30 Hz/30 gates and 4 at 3 Hz.
TEST_F(ReviewSelection, TheEditLandsOnTheReadingShown)
{
    struct Case {
        const char* view;
        int profileEntry;  // -1: the decay view's record
        int record;
        int editedNumber;
    };
    const Case cases[] = {
        {"decay view, second record", -1, 1, 2},
        {"profile 30Hz/30, its first record", 1, 0, 3},
        {"profile 30Hz/20, its second record", 0, 1, 2},
    };
    const std::string original = f.Bytes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        f.Bytes = original;
        FileMessage msg;
        ASSERT_EQ(ReadLineStations(f, ReviewLineOffsets[0], msg), 1);
        ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
        int64_t shown = -1;
        if (c.profileEntry < 0) {
            shown = ReviewRecordOffsets[c.record];
        } else {
            ASSERT_EQ(CountStationRepetitions(ctx), 0);
            RepetitionListLabels(1);
            ASSERT_EQ(SelectReviewRepetition(ctx, c.profileEntry), 1);
            ASSERT_GT(ProfileRecordCount, c.record);
            shown = ProfileRecordOffsets[c.record];
        }
        ASSERT_EQ(SeekPastReading(f, shown, msg), 1) << msg.Text;
        HeaderEditRequestData edit;
        edit.UpdateCurrent = 1;
        edit.TxCurrent = 9.5;
        EXPECT_EQ(EditHeaderRecords(f, edit).Text, "");

        ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
        for (int i = 0; i < ReviewRecordCount; ++i) {
            ReviewReadingData r;
            ASSERT_EQ(ReadMeasurementRecord(f, ReviewRecordOffsets[i], r, msg), 1);
            EXPECT_EQ(r.TxCurrent, ReviewRecordNumbers[i] == c.editedNumber ? 9.5 : ReadingParameters{}.TxCurrent)
                << "reading " << ReviewRecordNumbers[i];
        }
    }
    // Nothing shown yet: nothing to edit.
    FileMessage msg;
    EXPECT_EQ(SeekPastReading(f, -1, msg), 0);
}

TEST(ReviewAxis, Limits)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double smallest, largest, min, max;
    };
    const Case cases[] = {
        {250, 250, 200, 300}, {-250, 10, -300, 20}, {-0.5, 10, -1, 20},         {0.3, 100, 0, 200}, {200, 10, 100, 20},
        {1, 1, 0, 2},         {-1, 10, -2, 20},     {1.5e12, 2e15, 1e12, 3e15}, {nan, 10, 0, 1},    {0, inf, 0, 1},
    };
    for (const Case& c : cases) {
        double lo = 0, hi = 0;
        ReviewAxisLimits(c.smallest, c.largest, lo, hi);
        EXPECT_DOUBLE_EQ(lo, c.min) << c.smallest;
        EXPECT_DOUBLE_EQ(hi, c.max) << c.largest;
    }
    // The largest below 10 is raised to 10 (0.4 gives 20); NaN values are left out.
    const double live[3] = {0.4, nan, 0.1};
    double lo = 0, hi = 0;
    AutoScaleReview(-1, live, 3, lo, hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 20.0);
    // A processing choice outside 0-3: no values, the axis 0 to 1.
    ProcessingChoice = 7;
    AutoScaleReview(0, nullptr, 0, lo, hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 1.0);
    ProcessingChoice = 0;
}
