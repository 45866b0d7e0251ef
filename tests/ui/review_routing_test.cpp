// The review controls' routing and the review screen's station and line steps: which
// reader, list and plot operations run in which order, and that selections outside the
// lists are ignored.
#include "vlox/ui/review_routing.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "vlox/ui/commands.h"
#include "vlox/datafile/review_state.h"
#include "vlox/datafile/store.h"
#include "vlox/display/map_geometry.h"
#include "vlox/display/print_inputs.h"
#include "vlox/display/review_plot.h"
#include "tests/common/shown_reading_test_peer.h"

// The place has one writer, ShowReviewPlace: its names cannot be assigned, and no other code can
// make the key that SetReviewPlace asks for.
static_assert(!std::is_assignable_v<decltype((ReviewLineIndex)), int32_t>);
static_assert(!std::is_assignable_v<decltype((ReviewStationIndex)), int32_t>);
static_assert(!std::is_assignable_v<decltype((ReviewRecordIndex)), int32_t>);
static_assert(!std::is_assignable_v<decltype((ReviewRepetitionIndex)), int32_t>);
static_assert(!std::is_assignable_v<decltype((ReviewLineNumber)), double>);
static_assert(!std::is_assignable_v<decltype((ReviewLineDirection)), int32_t>);
static_assert(!std::is_assignable_v<decltype((ReviewStationNumber)), double>);
static_assert(!std::is_assignable_v<decltype((ReviewRecordNumber)), int32_t>);
static_assert(!std::is_default_constructible_v<ShownReadingKey>);

namespace {

class RecordingOps : public ReviewOps {
public:
    std::vector<std::string> calls;
    std::map<int32_t, int32_t> selection;
    std::map<int32_t, int32_t> items;
    std::map<int32_t, int32_t> tags;
    std::map<int32_t, bool> listSelected;
    int32_t contents[4] = {1, 1, 1, 1};
    int32_t repetitions = 0;
    bool repetitionEnabled = true;

    void Note(const std::string& s) { calls.push_back(s); }
    void Note(const std::string& s, int32_t v) { calls.push_back(s + "(" + std::to_string(v) + ")"); }

    int32_t Selection(int32_t id) override { return selection.count(id) ? selection[id] : -1; }
    int32_t ItemCount(int32_t id) override { return items.count(id) ? items[id] : 0; }
    void SetSelection(int32_t id, int32_t index) override { Note("Set" + std::to_string(id), index); }
    void EnableRepetitionCombo(bool enable) override { repetitionEnabled = enable; }
    bool RecordListSelected(int32_t item) override { return listSelected[item]; }
    void DeselectRecordListItem(int32_t item) override
    {
        Note("Deselect", item);
        listSelected[item] = false;
    }
    void ShowRecordList(int32_t show) override { Note("ShowRecordList", show); }
    void CopyRecordsToListBox() override { Note("CopyRecords"); }
    void Message(const char* text, const char* caption) override
    {
        Note(std::string("Message:") + text + "|" + caption);
    }
    void FillProcessingList() override { Note("FillProcessing"); }
    void FillRepetitionList() override { Note("FillRepetition"); }
    void ReadLineStations(int32_t line) override { Note("ReadLine", line); }
    void FillStationList() override { Note("FillStations"); }
    void ReadStationRecords(int32_t station) override { Note("ReadStation", station); }
    void FillRecordList() override { Note("FillRecords"); }
    int32_t CheckReviewContents(int32_t level) override
    {
        Note("Check", level);
        return contents[level];
    }
    int32_t CountStationRepetitions() override { return repetitions; }
    void SelectReviewRepetition(int32_t e) override { Note("SelectRepetition", e); }
    void SelectReviewUserGateSet(int32_t e) override { Note("SelectUserGates", e); }
    void SelectReviewStation(int32_t s, int32_t) override { Note("SelectStation", s); }
    double LineNumber(int32_t line) override { return 100.0 + line; }
    int32_t LineDirection(int32_t line) override { return line % 4; }
    double StationValue(int32_t s) override { return 10.0 * s; }
    int32_t RecordNumber(int32_t r) override { return r + 1; }
    int32_t RecordTag(int32_t r) override { return tags.count(r) ? tags[r] : 0; }
    void SetRecordTag(int32_t r, int32_t tag) override { tags[r] = tag; }
    double ProfileStation(int32_t s) override { return 5.0 * s; }
    int32_t ProfileRecordNumber(int32_t r) override { return 7 + r; }
    int32_t ProfileRecordTag(int32_t r) override { return tags.count(r) ? tags[r] : 0; }
    std::vector<int32_t> profileStations;
    int32_t shownEntry = -1;
    int32_t shownProfileEntry = -1;
    int32_t ProfileStationEntry(int32_t s) override
    {
        return s >= 0 && s < static_cast<int32_t>(profileStations.size()) ? profileStations[s] : -1;
    }
    int32_t ShownRecordEntry() override { return shownEntry; }
    int32_t ShownProfileRecordEntry() override { return shownProfileEntry; }
    // Offsets 100 + r of the station's readings, 200 + r of the profile's.
    int64_t RecordOffset(int32_t r) override { return 100 + r; }
    int64_t ProfileRecordOffset(int32_t r) override { return 200 + r; }
    void ShowReading(ShownReadingKey, int64_t offset, int32_t, const RepetitionGates&) override
    {
        Note(offset >= 200 ? "ShowProfile" : "ShowDecay", static_cast<int32_t>(offset % 100));
    }
    void DrawReviewNumbers() override { Note("Numbers"); }
    void ClearDisplayArea(int32_t area) override { Note("Clear", area); }
    void DrawReviewDecay() override { Note("Decay"); }
    void DrawProfilePlot() override { Note("Profile"); }
    void SaveProfileCursorColumn(int32_t s) override { Note("SaveCursor", s); }
    void DrawProfileCursor(int32_t s) override { Note("Cursor", s); }
    void DrawFileStateField() override { Note("FileField"); }
    void DrawLineDirectionField() override { Note("DirectionField"); }
    void DrawParameterPanel() override { Note("Panel"); }
    void InvalidateMap() override { Note("InvalidateMap"); }
    void UpdateMainWindow() override { Note("UpdateMain"); }
};

uint32_t Changed(int32_t id)
{
    return (SelectionChangeCode << 16) | static_cast<uint32_t>(id);
}

class ReviewRouting : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReviewMode = 0;
        ReviewViewChoice = 0;
        ShownReadingTestPeer::Place({0, 0, 0});
        ReviewLineCount = 3;
        ReviewStationCount = 4;
        ReviewRecordCount = 2;
        ReviewListedStationCount = 4;
        ProfileRecordCount = 2;
        ReviewStandardEntryCount = 2;
        ReviewUserGateEntryCount = 1;
        ProcessingChoice = 0;
        ProfileProcessingChoice = 0;
    }
    void TearDown() override { ReviewMode = -1; }
    RecordingOps ops;
};

}  // namespace

TEST_F(ReviewRouting, LineChangeInDecayViewReadsTheLineAndRedraws)
{
    ops.selection[ReviewLineComboId] = 2;
    ShownReadingTestPeer::Place({0, 3, 0});
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewLineComboId), ops));
    EXPECT_FALSE(ops.repetitionEnabled);
    EXPECT_EQ(ReviewLineIndex, 2);
    EXPECT_EQ(ReviewStationIndex, 0);
    EXPECT_DOUBLE_EQ(ReviewLineNumber, 102.0);
    EXPECT_EQ(ReviewLineDirection, 2);
    const std::vector<std::string> expected = {
        "ReadLine(2)", "FillStations", "Check(2)", "ReadStation(0)", "FillRecords", "Check(3)",
        // the boxes, the reading shown, then the "Single" redraw
        "Set82(2)", "Set83(0)", "Set84(0)", "ShowDecay(0)", "DirectionField", "Panel", "Numbers", "InvalidateMap",
        "Clear(0)", "Decay", "FileField", "UpdateMain"};
    EXPECT_EQ(ops.calls, expected);
}

TEST_F(ReviewRouting, AnEmptyLineEndsTheWholeMessage)
{
    ops.selection[ReviewLineComboId] = 1;
    ops.contents[2] = 0;
    EXPECT_FALSE(RouteReviewNotification(MsgCommand, Changed(ReviewLineComboId), ops));
    EXPECT_EQ(ops.calls.back(), "Check(2)");
}

TEST_F(ReviewRouting, SelectionsOutsideTheListsAreIgnored)
{
    const int32_t ids[] = {ReviewViewComboId, ReviewProcessingComboId, ReviewLineComboId, ReviewStationComboId,
                           ReviewRecordComboId};
    for (int32_t id : ids) {
        for (int32_t sel : {-1, 2, 4, 1000}) {
            ops.calls.clear();
            ops.selection[id] = sel;
            ops.items[ReviewViewComboId] = 2;
            ops.items[ReviewProcessingComboId] = 2;
            ReviewLineCount = 2;
            ReviewStationCount = 2;
            ReviewRecordCount = 2;
            EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(id), ops));
            EXPECT_TRUE(ops.calls.empty()) << id << " " << sel << " " << ops.calls.front();
            EXPECT_EQ(ReviewMode, 0);
            EXPECT_EQ(ReviewLineIndex, 0);
            EXPECT_EQ(ReviewStationIndex, 0);
            EXPECT_EQ(ReviewRecordIndex, 0);
        }
    }
    // The same in the profile view.
    ReviewMode = ReviewViewChoice = 1;
    for (int32_t id : {ReviewRepetitionComboId, ReviewLineComboId, ReviewStationComboId, ReviewRecordComboId}) {
        ops.calls.clear();
        ops.selection[id] = 9;
        EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(id), ops));
        EXPECT_TRUE(ops.calls.empty()) << id;
        EXPECT_TRUE(ops.repetitionEnabled);
    }
}

TEST_F(ReviewRouting, ProfileViewWithNothingToPlotFallsBackToDecays)
{
    ops.items[ReviewViewComboId] = 2;
    ops.selection[ReviewViewComboId] = 1;
    ReviewStandardEntryCount = 0;
    ReviewUserGateEntryCount = 0;
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewViewComboId), ops));
    EXPECT_EQ(ReviewMode, 0);
    EXPECT_EQ(ReviewViewChoice, 0);
    const std::vector<std::string> start(ops.calls.begin(), ops.calls.begin() + 5);
    EXPECT_EQ(start, (std::vector<std::string>{"FillProcessing", "FillRepetition", "ReadLine(0)", "FillRepetition",
                                               "Message:No profiles to draw for this survey line|Profile Mode"}));
    EXPECT_EQ(ops.calls.back(), "UpdateMain");
}

TEST_F(ReviewRouting, ProfileViewSelectsTheCountedRepetitionAndStationZero)
{
    ops.items[ReviewViewComboId] = 2;
    ops.selection[ReviewViewComboId] = 1;
    ops.repetitions = 2;  // the user-gate set after the two standard entries
    ShownReadingTestPeer::Place({0, 3, 1});
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewViewComboId), ops));
    EXPECT_EQ(ReviewMode, 1);
    EXPECT_EQ(ReviewRepetitionIndex, 2);
    EXPECT_EQ(ReviewStationIndex, 0);
    // The record box shows the station's first reading, and the index with it.
    EXPECT_EQ(ReviewRecordIndex, 0);
    EXPECT_EQ(ReviewRecordNumber, 7);
    EXPECT_EQ(ops.calls,
              (std::vector<std::string>{"FillProcessing", "FillRepetition", "ReadLine(0)", "FillRepetition",
                                        "SelectUserGates(2)", "Set82(0)", "Set83(0)", "Set84(0)", "Set87(2)",
                                        "ShowProfile(0)", "DirectionField", "Panel", "Numbers", "InvalidateMap",
                                        "Clear(0)", "Profile", "SaveCursor(0)", "Cursor(0)"}));
}

// Pins: back from the profiles the decay view shows the station and the reading the profile
// showed, with the line's stations and that station's readings in the boxes again; they held
// the profile's lists, and the record box and the reading drawn disagreed.
TEST_F(ReviewRouting, BackFromTheProfilesTheDecayKeepsTheStationAndReadingShown)
{
    ReviewMode = 1;
    ReviewViewChoice = 1;
    ShownReadingTestPeer::Place({0, 1, 0});  // the second station of the profile: the line's third
    ops.profileStations = {0, 2};
    ops.shownEntry = 1;
    ops.items[ReviewViewComboId] = 2;
    ops.selection[ReviewViewComboId] = 0;
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewViewComboId), ops));
    EXPECT_EQ(ReviewMode, 0);
    EXPECT_EQ(ReviewStationIndex, 2);
    EXPECT_EQ(ReviewRecordIndex, 1);
    EXPECT_DOUBLE_EQ(ReviewStationNumber, 20.0);
    EXPECT_EQ(ReviewRecordNumber, 2);
    const std::vector<std::string> start(ops.calls.begin(), ops.calls.begin() + 10);
    EXPECT_EQ(start, (std::vector<std::string>{"FillProcessing", "FillRepetition", "ReadLine(0)", "FillStations",
                                               "ReadStation(2)", "FillRecords", "Set82(0)", "Set83(2)", "Set84(1)",
                                               "ShowDecay(1)"}));
}

TEST_F(ReviewRouting, SelectedProcessingShowsTheListAndReadsTheTagsBack)
{
    ops.items[ReviewProcessingComboId] = 4;
    ops.selection[ReviewProcessingComboId] = 1;
    ShownReadingTestPeer::Place({0, 0, 1});
    ops.tags[0] = -1;
    ops.listSelected[0] = true;  // an excluded reading never becomes selected
    ops.listSelected[1] = true;
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewProcessingComboId), ops));
    EXPECT_EQ(ProcessingChoice, 1);
    EXPECT_EQ(ops.calls[0], "ShowRecordList(1)");
    // The reading shown stays, the record box on it, and the list is of its station; the
    // reading is shown with the tag the list gives it.
    EXPECT_EQ(ops.calls[3], "Set84(1)");
    EXPECT_EQ(ops.calls[4], "CopyRecords");
    EXPECT_EQ(ops.calls[5], "Deselect(0)");
    EXPECT_EQ(ops.calls[6], "ShowDecay(1)");
    EXPECT_EQ(ReviewRecordIndex, 1);
    EXPECT_EQ(ops.tags[0], -1);
    EXPECT_EQ(ops.tags[1], 1);

    // A station step fills the list with the new station's readings before their tags are read
    // back from it.
    ops.calls.clear();
    ShownReadingTestPeer::Place({0, 0, 1});
    EXPECT_TRUE(StepReviewStation(true, ops));
    const auto copy = std::find(ops.calls.begin(), ops.calls.end(), "CopyRecords");
    EXPECT_LT(std::find(ops.calls.begin(), ops.calls.end(), "ReadStation(1)"), copy);
    EXPECT_LT(copy, std::find(ops.calls.begin(), ops.calls.end(), "Deselect(0)"));
}

TEST_F(ReviewRouting, RecordListKeepsExcludedReadingsExcluded)
{
    ops.tags[0] = -1;
    ops.tags[1] = 1;
    ops.listSelected[0] = true;  // chosen in the list, as "every reading" chooses it
    ops.listSelected[1] = false;
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewRecordListId), ops));
    EXPECT_EQ(ops.tags[0], -1);
    EXPECT_EQ(ops.tags[1], 0);
}

TEST_F(ReviewRouting, OtherMessagesOnlySetTheRepetitionCombo)
{
    EXPECT_TRUE(RouteReviewNotification(MsgMouseMove, 0, ops));
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, 433, ops));
    EXPECT_TRUE(ops.calls.empty());
    EXPECT_FALSE(ops.repetitionEnabled);
}

TEST_F(ReviewRouting, StationStepsStopAtTheEndsOfTheLine)
{
    EXPECT_TRUE(StepReviewStation(false, ops));
    EXPECT_TRUE(ops.calls.empty());
    ShownReadingTestPeer::Place({0, 3, 0});
    EXPECT_TRUE(StepReviewStation(true, ops));
    EXPECT_TRUE(ops.calls.empty());
    EXPECT_TRUE(StepReviewStation(false, ops));
    EXPECT_EQ(ReviewStationIndex, 2);
    EXPECT_DOUBLE_EQ(ReviewStationNumber, 20.0);
    EXPECT_EQ(ops.calls.front(), "ReadStation(2)");
    EXPECT_NE(std::find(ops.calls.begin(), ops.calls.end(), "Set83(2)"), ops.calls.end());
    EXPECT_EQ(ops.calls.back(), "Decay");

    // Profile view: at a bound nothing changes.
    ReviewMode = 1;
    ops.calls.clear();
    ShownReadingTestPeer::Place({0, 3, 0});
    EXPECT_TRUE(StepReviewStation(true, ops));
    EXPECT_TRUE(ops.calls.empty());
}

TEST_F(ReviewRouting, LineStepsReadTheNewLine)
{
    ShownReadingTestPeer::Place({2, 0, 0});
    EXPECT_TRUE(StepReviewLine(true, ops));
    EXPECT_TRUE(ops.calls.empty());
    EXPECT_TRUE(StepReviewLine(false, ops));
    EXPECT_EQ(ReviewLineIndex, 1);
    EXPECT_DOUBLE_EQ(ReviewLineNumber, 101.0);
    EXPECT_EQ(ops.calls.front(), "ReadLine(1)");
    // The new line's first reading is shown as a station step shows it.
    const std::vector<std::string> shown = {"Set82(1)", "Set83(0)", "Set84(0)",      "ShowDecay(0)", "DirectionField",
                                            "Panel",    "Numbers",  "InvalidateMap", "Clear(0)",     "Decay"};
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), ops.calls.end() - 10)) << ::testing::PrintToString(ops.calls);
    // "Average" too shows the reading the boxes name, with the averages.
    ProcessingChoice = 2;
    ops.calls.clear();
    ops.selection[ReviewRecordComboId] = 1;
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewRecordComboId), ops));
    EXPECT_EQ(ops.calls, (std::vector<std::string>{"Set82(1)", "Set83(0)", "Set84(1)", "ShowDecay(1)", "DirectionField",
                                                   "Panel", "InvalidateMap", "Clear(0)", "Decay"}));
    // An excluded reading chosen there is named as well as shown.
    ops.tags[0] = -1;
    ops.selection[ReviewRecordComboId] = 0;
    EXPECT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewRecordComboId), ops));
    EXPECT_EQ(ReviewRecordIndex, 0);
    EXPECT_EQ(ReviewRecordNumber, 1);
    ProcessingChoice = 0;
    ops.contents[3] = 0;
    EXPECT_FALSE(StepReviewLine(false, ops));
}

namespace {

// The review's own tables and reader over a survey in memory, the controls recorded: what the
// screen, the page and the map would show after each road.
class SurveyOps final : public RecordingOps {
public:
    MemoryFile f;
    ReviewContext ctx;
    void ReadLineStations(int32_t line) override
    {
        FileMessage m;
        ::ReadLineStations(f, ReviewLineOffsets[line], m);
    }
    void ReadStationRecords(int32_t s) override
    {
        FileMessage m;
        ::ReadStationRecords(f, ReviewStationOffsets[s], m);
    }
    int32_t CountStationRepetitions() override { return ::CountStationRepetitions(ctx); }
    void FillRepetitionList() override { RepetitionListLabels(1); }
    void SelectReviewRepetition(int32_t e) override { ::SelectReviewRepetition(ctx, e); }
    void SelectReviewStation(int32_t s, int32_t e) override { ::SelectReviewStation(ctx, s, e); }
    double LineNumber(int32_t l) override { return ReviewLineNumbers[l]; }
    double StationValue(int32_t s) override { return ReviewStationValues[s]; }
    int32_t RecordNumber(int32_t r) override { return ReviewRecordNumbers[r]; }
    int32_t RecordTag(int32_t r) override { return r < ReviewRecordCount ? ReviewRecordTags[r] : 0; }
    double ProfileStation(int32_t s) override { return ProfileStations[s]; }
    int32_t ProfileRecordNumber(int32_t r) override { return ProfileRecordNumbers[r]; }
    int32_t ProfileRecordTag(int32_t r) override { return r < ProfileRecordCount ? ProfileRecordTags[r] : 0; }
    int32_t ProfileStationEntry(int32_t s) override
    {
        return s < ReviewListedStationCount ? ProfileStationOffsets[s] : -1;
    }
    int32_t ShownRecordEntry() override
    {
        return EntryOfOffset(ReviewRecordOffsets, ReviewRecordCount, ReviewShownOffset);
    }
    int32_t ShownProfileRecordEntry() override
    {
        return EntryOfOffset(ProfileRecordOffsets, ProfileRecordCount, ReviewShownOffset);
    }
    int64_t RecordOffset(int32_t r) override { return r < ReviewRecordCount ? ReviewRecordOffsets[r] : -1; }
    int64_t ProfileRecordOffset(int32_t r) override { return r < ProfileRecordCount ? ProfileRecordOffsets[r] : -1; }
    void ShowReading(ShownReadingKey key, int64_t offset, int32_t tag, const RepetitionGates& listed) override
    {
        ShowReviewReading(key, ctx, offset, tag, listed);
    }
};

void Identity(const ReviewReadingData& r, const double*, double* out)
{
    for (int g = 0; g < r.GateCount; ++g)
        out[g] = r.GateValues[g];
}

// Reading n of a station, told apart by its early window (station + n / 10) and loop side; 30
// gates at 30 Hz.
void StoreReading(MemoryFile& f, double station, int n)
{
    ReadingParameters p;
    p.SurveyLine = 100;
    p.CurrentStation = station;
    p.RepRateIndex = 2;
    p.GateSet = 1;
    p.TxLoopSideX = 10 * n + station;
    ReadingRecordResult rows[2];
    rows[1].EarlyWindowValue = station + n / 10.0;
    for (int g = 0; g < 101; ++g)
        rows[1].GateRow[g] = (g + 1) * 1e-9;
    StoreReadingTo(&f, nullptr, p, ReceiverGateCount(p), rows, MeterValues{}, [] { return LocalTime{}; });
}

// The survey 200 (1, 2), 225 (1X, 2), 250 (1), 260 (1) in review, its profile shown at 225.
void OpenSurveyAt225(SurveyOps& s)
{
    s.ctx.File = &s.f;
    s.ctx.Convert = Identity;
    BeginDataFile(s.f, FileHeaderFields{}, LocalTime{});
    for (const auto& [station, n] :
         std::vector<std::pair<double, int>>{{200, 1}, {200, 2}, {225, 1}, {225, 2}, {250, 1}, {260, 1}})
        StoreReading(s.f, station, n);
    ResetReviewTables();
    FileMessage msg;
    ASSERT_EQ(ReadFileHeader(s.f, msg), 1);
    IndexLines(s.f);
    s.ReadLineStations(0);
    s.ReadStationRecords(1);
    const int32_t excludeFirst[2] = {-1, 0};
    RewriteRecordTags(s.f, ReviewRecordOffsets, excludeFirst, 2, msg);
    s.items[ReviewViewComboId] = 2;
    s.selection[ReviewViewComboId] = 1;
    ASSERT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewViewComboId), s));
    ReviewViewChoice = 1;
    s.selection[ReviewStationComboId] = 1;
    ASSERT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewStationComboId), s));
}

// Every reading of the station whose readings the tables hold excluded in the file.
void ExcludeStation(SurveyOps& s)
{
    const std::vector<int32_t> excluded(static_cast<size_t>(ReviewRecordCount), -1);
    FileMessage msg;
    RewriteRecordTags(s.f, ReviewRecordOffsets, excluded.data(), ReviewRecordCount, msg);
}

}  // namespace

// Pins: after Manage Records in the profile view the reading shown, the page and the map named
// another reading than the boxes: the selection read the first listed station's reading into the
// reading shown and the boxes stayed; the page judged the exclusion from the station's first
// reading; the map kept the loop of the last decay reading. Every reader now names the place.
// The station left for is the nearest listed one, which need not be the first.
TEST_F(ReviewRouting, EveryReaderNamesThePlaceTheProfileShows)
{
    SurveyOps s;
    OpenSurveyAt225(s);

    // What each reader names: the boxes' station and record, the reading itself, its tag, the
    // page's header and gate table, the map's loop.
    auto expectShown = [](double station, int n, int tag) {
        SCOPED_TRACE(std::to_string(station) + "/" + std::to_string(n));
        EXPECT_DOUBLE_EQ(ReviewStationNumber, station);
        EXPECT_EQ(ReviewRecordNumber, n);
        EXPECT_EQ(ReviewShownRead, 1);
        EXPECT_EQ(ReviewShownTag, tag);
        EXPECT_DOUBLE_EQ(ReviewReading.EarlyWindowValue, station + n / 10.0);
        const PrintPageInputs page = GatherReviewPageInputs(PrintDeviceCaps{}, WideString());
        EXPECT_EQ(page.Header.RecordNumber, n);
        EXPECT_DOUBLE_EQ(page.Header.EarlyWindowValue, station + n / 10.0);
        EXPECT_EQ(page.Decay.Selected.Tag, tag);
        EXPECT_DOUBLE_EQ(ShownReadingLoop().SideX, 10 * n + station);
    };
    EXPECT_EQ(ReviewMode, 1);
    expectShown(225, 2, 0);

    // Manage Records excludes every reading of 225: the nearest listed station (200 before 250
    // on the tie) and its first reading.
    ExcludeStation(s);
    ASSERT_TRUE(ShowProfileAgain(s));
    EXPECT_EQ(ReviewMode, 1);
    EXPECT_EQ(ReviewListedStationCount, 3);
    expectShown(200, 1, 0);

    // At 260, the last listed, the same: 250 is nearest, the second listed.
    s.selection[ReviewStationComboId] = 2;
    ASSERT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewStationComboId), s));
    expectShown(260, 1, 0);
    ExcludeStation(s);
    ASSERT_TRUE(ShowProfileAgain(s));
    EXPECT_EQ(ReviewStationIndex, 1);
    expectShown(250, 1, 0);

    // And every reading of 250: one station is left, no profile; the decay view shows the
    // reading the profile showed, excluded.
    ExcludeStation(s);
    ASSERT_TRUE(ShowProfileAgain(s));
    EXPECT_EQ(ReviewMode, 0);
    EXPECT_NE(
        std::find(s.calls.begin(), s.calls.end(), "Message:No profiles to draw for this survey line|Profile Mode"),
        s.calls.end());
    expectShown(250, 1, -1);
}

// Pins: a profile reading that could not be read shrank the profile to the blank reading's 20
// gates, and its rate 0 and gate set 0 drew the frame on the tables of the reading before. It
// keeps its repetition's gates now (30 at 30 Hz); in the decay view, whose lists give none, its
// frame is its own. Each time the reading before had user gates at the frame's rate, whose
// centres stood in that row of the tables.
TEST_F(ReviewRouting, AReadingThatCannotBeReadKeepsItsListsGates)
{
    SurveyOps s;
    OpenSurveyAt225(s);
    size_t v2 = static_cast<size_t>(ReviewShownOffset);
    while (s.f.Bytes.compare(v2, 2, "V2") != 0)
        v2 += DataLineLength;
    s.f.Bytes[v2] = 'Q';

    auto expectFrame = [](int32_t rate, int32_t gateSet, int32_t gates) {
        SCOPED_TRACE(std::to_string(rate) + "/" + std::to_string(gateSet));
        EXPECT_EQ(ReviewShownRead, 0);
        EXPECT_EQ(ReviewRate(), rate);
        EXPECT_EQ(ReviewGates(), gates);
        double centres[MaxGateCount], low = 0.0, high = 0.0;
        ASSERT_TRUE(StandardGateTimes(rate, gateSet, centres, low, high));
        const GateAxisSpan frame = ReviewFrameAxis();
        EXPECT_EQ(frame.GateCount, gates);
        EXPECT_DOUBLE_EQ(frame.LowMs, low);
        EXPECT_DOUBLE_EQ(frame.HighMs, high);
        EXPECT_TRUE(std::equal(centres, centres + gates, frame.CentresMs));
    };
    auto userGatesBefore = [](int32_t rate) {
        ShownReadingData before = ShownReadingTestPeer::Current();
        before.Read = 1;
        before.Reading.RepRateIndex = rate;
        before.Reading.GateSet = 2;
        before.Reading.FirstGateTimeUs = 10.0;
        before.Reading.RepetitionRate = 30.0;
        ShownReadingTestPeer::Show(before);
    };
    userGatesBefore(2);
    ShowReviewPlace(s, ReviewLineIndex, ReviewStationIndex, ReviewRecordIndex, ReviewRepetitionIndex);
    expectFrame(2, 1, 30);
    EXPECT_EQ(GatherReviewPageInputs(PrintDeviceCaps{}, WideString()).Profile.GateCount, 30);

    userGatesBefore(0);
    s.selection[ReviewViewComboId] = 0;
    ASSERT_TRUE(RouteReviewNotification(MsgCommand, Changed(ReviewViewComboId), s));
    EXPECT_EQ(ReviewMode, 0);
    EXPECT_DOUBLE_EQ(ReviewStationNumber, 225);
    expectFrame(0, 0, 20);
}
