#include "vlox/ui/enabling.h"

#include "resources/resource.h"
#include "vlox/ui/command_states.h"

#include "vlox/common/screen_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace {

// Records the last state each routine set for each item; untouched items are absent.
class RecordingSink final : public EnablingSink {
public:
    std::map<int32_t, bool> menus;
    std::map<int32_t, bool> enabled;
    std::map<int32_t, bool> shown;
    std::vector<bool> bar;
    std::set<int32_t> visibleAtStart;

    void SetMenuItemEnabled(int32_t id, bool on) override { menus[id] = on; }
    void SetButtonEnabled(int32_t index, bool on) override { enabled[index] = on; }
    void SetButtonShown(int32_t index, bool on) override { shown[index] = on; }
    void SetProgressBarShown(bool on) override { bar.push_back(on); }
    bool IsButtonShown(int32_t index) const override
    {
        auto it = shown.find(index);
        if (it != shown.end())
            return it->second;
        return visibleAtStart.count(index) == 1;
    }
};

std::set<int32_t> Ids(std::initializer_list<std::pair<int32_t, int32_t>> ranges)
{
    std::set<int32_t> out;
    for (auto [first, last] : ranges) {
        for (int32_t id = first; id <= last; ++id)
            out.insert(id);
    }
    return out;
}

std::set<int32_t> WithState(const std::map<int32_t, bool>& m, bool state)
{
    std::set<int32_t> out;
    for (auto [id, on] : m) {
        if (on == state)
            out.insert(id);
    }
    return out;
}

// The items that the measuring state grays and the ready state enables.
const std::set<int32_t> kLoggingList = Ids({{40001, 40001},
                                            {40006, 40007},
                                            {40010, 40010},
                                            {40012, 40013},
                                            {40019, 40023},
                                            {40025, 40025},
                                            {40027, 40027},
                                            {40030, 40032},
                                            {40034, 40036},
                                            {40043, 40043},
                                            {40045, 40050},
                                            {40052, 40055},
                                            {40088, 40088}});

}  // namespace

TEST(MenusForState, MeasuringGraysTheListAndEnablesStopOnly)
{
    RecordingSink s;
    ApplyMenusForState(LogMeasuring, s);
    EXPECT_EQ(WithState(s.menus, false), kLoggingList);
    EXPECT_EQ(WithState(s.menus, true), std::set<int32_t>{40033});
    EXPECT_TRUE(s.enabled.empty());
    EXPECT_TRUE(s.shown.empty());
}

TEST(MenusForState, ReadyEnablesTheListButStoreAndCancel)
{
    RecordingSink s;
    ApplyMenusForState(LogReady, s);
    std::set<int32_t> expectedOn = kLoggingList;
    expectedOn.erase(40034);
    expectedOn.erase(40035);
    EXPECT_EQ(WithState(s.menus, true), expectedOn);
    EXPECT_EQ(WithState(s.menus, false), (std::set<int32_t>{40033, 40034, 40035}));
}

TEST(MenusForState, ReadingCompleteAndNoDataFile)
{
    RecordingSink complete;
    ApplyMenusForState(LogReadingComplete, complete);
    EXPECT_EQ(complete.menus, (std::map<int32_t, bool>{{40033, false}, {40034, true}, {40035, true}}));

    RecordingSink none;
    ApplyMenusForState(LogNoDataFile, none);
    EXPECT_EQ(WithState(none.menus, false), Ids({{40032, 40036}}));
    EXPECT_TRUE(WithState(none.menus, true).empty());
}

TEST(MenusForState, DataFileCreatedEnablesMeasureOnlyWhilePauseIsShown)
{
    RecordingSink monitoring;
    monitoring.visibleAtStart = {ButtonSlotForId(IDC_PAUSE)};
    ApplyMenusForState(LogDataFileCreated, monitoring);
    EXPECT_EQ(monitoring.menus,
              (std::map<int32_t, bool>{{40032, true}, {40036, true}, {40079, false}, {40083, false}}));

    // Without monitoring the "&Measure" item keeps whatever state it had.
    RecordingSink idle;
    ApplyMenusForState(LogDataFileCreated, idle);
    EXPECT_EQ(idle.menus.count(40032), 0u);
    EXPECT_EQ(idle.menus, (std::map<int32_t, bool>{{40036, true}, {40079, false}, {40083, false}}));
}

TEST(MenusForState, OutOfRangeChangesNothing)
{
    for (int32_t state : {-1, 5, 100}) {
        RecordingSink s;
        ApplyMenusForState(state, s);
        ApplyMenusForReview(state == 5 ? 2 : state, s);
        ApplyControlsForState(state == 5 ? 2 : state, s);
        ApplyControlsForTest(state == 5 ? 2 : state, s);
        ApplyMenusForTest(state == 5 ? 2 : state, 0, s);
        EXPECT_TRUE(s.menus.empty()) << state;
        EXPECT_TRUE(s.enabled.empty()) << state;
        EXPECT_TRUE(s.shown.empty()) << state;
        EXPECT_TRUE(s.bar.empty()) << state;
    }
}

TEST(MenusForReview, OnAndOffAreMirrorImagesExceptSaveAs)
{
    const std::set<int32_t> grayedByOn = Ids({{40001, 40001},
                                              {40006, 40007},
                                              {40013, 40013},
                                              {40027, 40027},
                                              {40030, 40036},
                                              {40069, 40069},
                                              {40088, 40088}});
    const std::set<int32_t> enabledByOn =
        Ids({{40002, 40002}, {40004, 40004}, {40014, 40018}, {40024, 40024}, {40026, 40026}, {40086, 40086}});

    RecordingSink on;
    ApplyMenusForReview(ReviewOn, on);
    EXPECT_EQ(WithState(on.menus, false), grayedByOn);
    EXPECT_EQ(WithState(on.menus, true), enabledByOn);
    EXPECT_EQ(on.menus.count(40003), 0u);  // entering review does not enable "Save &As"

    RecordingSink off;
    ApplyMenusForReview(ReviewOff, off);
    EXPECT_EQ(WithState(off.menus, true), grayedByOn);
    std::set<int32_t> grayedByOff = enabledByOn;
    grayedByOff.insert(40003);  // leaving review grays it
    EXPECT_EQ(WithState(off.menus, false), grayedByOff);
}

TEST(ControlsForState, BusyAndIdleSwitchTheSameButtons)
{
    const std::set<int32_t> list = Ids({{4, 8}, {10, 10}, {12, 13}, {17, 24}, {29, 29}, {33, 36}, {38, 41}, {43, 43}});

    RecordingSink busy;
    ApplyControlsForState(ButtonsBusy, busy);
    EXPECT_EQ(WithState(busy.enabled, false), list);
    EXPECT_TRUE(WithState(busy.enabled, true).empty());
    EXPECT_EQ(busy.shown,
              (std::map<int32_t, bool>{{ButtonSlotForId(IDC_MEASURE), false}, {ButtonSlotForId(IDC_STOP), true}}));
    EXPECT_EQ(busy.bar, std::vector<bool>{true});
    EXPECT_TRUE(busy.menus.empty());

    // Idle after busy leaves STOP shown: its callers hide it.
    ApplyControlsForState(ButtonsIdle, busy);
    EXPECT_EQ(WithState(busy.enabled, true), list);
    EXPECT_TRUE(busy.shown.at(ButtonSlotForId(IDC_STOP)));
    EXPECT_TRUE(busy.shown.at(ButtonSlotForId(IDC_MEASURE)));
    EXPECT_FALSE(busy.shown.at(ButtonSlotForId(IDC_STORE_READING)));
    EXPECT_FALSE(busy.shown.at(ButtonSlotForId(IDC_CANCEL_READING)));
    EXPECT_EQ(busy.bar, (std::vector<bool>{true, false}));
}

TEST(ControlsForTest, OpeningShowsTheTestButtonsButNotExitTest)
{
    const std::set<int32_t> list = Ids({{4, 10}, {12, 12}, {17, 24}, {33, 36}, {38, 41}});

    RecordingSink open;
    ApplyControlsForTest(0, open);
    EXPECT_EQ(WithState(open.enabled, false), list);
    EXPECT_EQ(WithState(open.shown, true), Ids({{45, 48}}));
    EXPECT_EQ(open.shown.count(ButtonSlotForId(IDC_EXIT_TEST)), 0u);

    RecordingSink close;
    ApplyControlsForTest(1, close);
    EXPECT_EQ(WithState(close.enabled, true), list);
    EXPECT_EQ(WithState(close.shown, false), Ids({{15, 16}, {45, 49}}));
    EXPECT_TRUE(close.bar.empty());
}

TEST(MenusForTest, NullingItemsFollowTheGateSet)
{
    const std::set<int32_t> list = Ids({{40001, 40001},
                                        {40006, 40007},
                                        {40010, 40010},
                                        {40012, 40013},
                                        {40019, 40023},
                                        {40025, 40025},
                                        {40031, 40031},
                                        {40039, 40043},
                                        {40045, 40050},
                                        {40052, 40056},
                                        {40069, 40069},
                                        {40088, 40088}});
    RecordingSink open;
    ApplyMenusForTest(0, 0, open);
    std::set<int32_t> grayed = list;
    for (int32_t id : {40058, 40059, 40060})
        grayed.insert(id);
    EXPECT_EQ(WithState(open.menus, false), grayed);
    EXPECT_TRUE(WithState(open.menus, true).empty());

    RecordingSink standard;
    ApplyMenusForTest(1, 1, standard);
    std::set<int32_t> on = list;
    on.insert(40058);
    on.insert(40059);
    EXPECT_EQ(WithState(standard.menus, true), on);
    EXPECT_EQ(WithState(standard.menus, false), std::set<int32_t>{40060});

    RecordingSink user;
    ApplyMenusForTest(1, 2, user);
    on = list;
    on.insert(40060);
    EXPECT_EQ(WithState(user.menus, true), on);
    EXPECT_EQ(WithState(user.menus, false), (std::set<int32_t>{40058, 40059}));
}

TEST(NullingMenus, StandardOrUserDefinedGates)
{
    struct Case {
        int32_t gateSet;
        bool standard;
    };
    for (Case c : {Case{0, true}, Case{1, true}, Case{2, false}}) {
        RecordingSink s;
        ApplyNullingMenus(c.gateSet, s);
        EXPECT_EQ(s.menus, (std::map<int32_t, bool>{{40058, c.standard}, {40059, c.standard}, {40060, !c.standard}}))
            << c.gateSet;
    }
}

TEST(RestoreLoggingButtons, RepeatButtonOnlyWhenItWasHidden)
{
    int32_t hidden = 1;
    RecordingSink s;
    ApplyRestoreLoggingButtons(hidden, s);
    EXPECT_EQ(hidden, 0);
    EXPECT_EQ(s.shown, (std::map<int32_t, bool>{{ButtonSlotForId(IDC_INVERT), true},
                                                {ButtonSlotForId(IDC_REPEAT_LAST_STATION), true}}));

    RecordingSink again;
    ApplyRestoreLoggingButtons(hidden, again);
    EXPECT_EQ(again.shown, (std::map<int32_t, bool>{{ButtonSlotForId(IDC_INVERT), true}}));
}

// The buttons under the nulling box give way and come back: only those that were shown, and
// each once, however often the box is drawn before it goes.
TEST(GiveWay, HidesTheShownAndGivesExactlyThemBack)
{
    RecordingSink s;
    s.visibleAtStart = {ButtonSlotForId(IDC_NEXT_STATION), ButtonSlotForId(IDC_NEXT_LINE), ButtonSlotForId(IDC_INVERT)};
    const int32_t ids[] = {IDC_NEXT_STATION, IDC_NEXT_LINE, IDC_REPEAT_LAST_STATION, IDC_INVERT, 420, 9999};
    GivenWay given;
    ApplyGiveWay(ids, 6, given, s);
    EXPECT_EQ(WithState(s.shown, false), s.visibleAtStart);
    EXPECT_TRUE(WithState(s.shown, true).empty());
    ApplyGiveWay(ids, 6, given, s);  // drawn again while up: the note stays
    ApplyTakeBackPlaces(given, s);
    EXPECT_EQ(WithState(s.shown, true), s.visibleAtStart);
    EXPECT_EQ(s.shown.count(ButtonSlotForId(IDC_REPEAT_LAST_STATION)), 0u) << "hidden before, stays hidden";

    RecordingSink again;
    ApplyTakeBackPlaces(given, again);
    EXPECT_TRUE(again.shown.empty()) << "taken back once";
}

// ---------------------------------------------------------------------------------------
// Which commands act in which state, and what the screen offers of it.

TEST(BoardRun, NamedFromTheCycleState)
{
    struct Row {
        int32_t measureState, running, test, survey;
        BoardRun run;
    };
    const Row rows[] = {
        {0, 0, 0, 0, BoardRun::None},          {1, 1, 0, 0, BoardRun::ReadingTaken},
        {2, 1, 0, 0, BoardRun::ReadingTaken},  {0, 1, 0, 0, BoardRun::ReadingComplete},
        {1, 1, 0, 1, BoardRun::AutoSurvey},    {0, 1, 0, 1, BoardRun::AutoSurvey},
        {-1, 0, 0, 0, BoardRun::Nulling},      {-1, 0, 0, 1, BoardRun::Nulling},
        {1, 1, 46, 0, BoardRun::InternalTest}, {0, 0, 45, 0, BoardRun::InternalTest},  // finished, screen up
    };
    for (const Row& r : rows)
        EXPECT_EQ(BoardRunOf(r.measureState, r.running, r.test, r.survey), r.run)
            << r.measureState << " " << r.running << " " << r.test << " " << r.survey;
}

namespace {

std::set<int32_t> AdmittedIn(const CommandFacts& f)
{
    std::set<int32_t> out;
    for (int32_t c = -1; c <= MainCommandCount; ++c)
        if (CommandAdmitted(c, f))
            out.insert(c);
    return out;
}

// Views, maps, the child programs, Exit and the two that run nothing: no run is disturbed.
const std::set<int32_t> kFree = {CmdTest,         CmdAnalysis,      CmdTransfer,  CmdExit,         CmdZoomIn,
                                 CmdZoomOut,      CmdFitAll,        CmdHide,      CmdShiftMapLeft, CmdShiftMapUp,
                                 CmdShiftMapDown, CmdShiftMapRight, CmdDecayView, CmdProfileView,  CmdInversionAnalysis,
                                 CmdExportUsf,    CmdExportLz5,     CmdExportXyz, CmdExportTxt};

std::set<int32_t> FreeAnd(std::initializer_list<int32_t> more)
{
    std::set<int32_t> out = kFree;
    out.insert(more);
    return out;
}

}  // namespace

// While a run owns the board nothing starts, stops, stores or changes a reading or the
// settings, except the run's own way out; monitoring and a data file change nothing of it.
TEST(CommandAdmitted, EachRunLetsOnlyItsOwnWayOut)
{
    struct Row {
        BoardRun run;
        std::set<int32_t> admitted;
    };
    const Row rows[] = {
        {BoardRun::ReadingTaken, FreeAnd({CmdStop})},
        {BoardRun::AutoSurvey, FreeAnd({CmdStop})},
        {BoardRun::ReadingComplete, FreeAnd({CmdStoreReading, CmdCancelReading})},
        {BoardRun::Nulling, kFree},
        {BoardRun::InternalTest, FreeAnd({CmdTestDc, CmdTest100ms, CmdTest3ms, CmdTest01ms, CmdExitTest})},
    };
    for (const Row& r : rows)
        for (bool monitoring : {false, true})
            for (bool file : {false, true}) {
                CommandFacts f;
                f.Run = r.run;
                f.Monitoring = monitoring;
                f.DataFileOpen = file;
                EXPECT_EQ(AdmittedIn(f), r.admitted) << int(r.run) << " " << monitoring << " " << file;
            }
}

// With the board free the Logging commands need exactly their state; review keeps to its own
// commands, the steps and the settings that do not touch the live survey.
TEST(CommandAdmitted, LoggingCommandsNeedTheirStateAndReviewItsOwn)
{
    const int32_t logging[] = {CmdCreateDataFile, CmdCloseDataFile, CmdMonitor,       CmdPause,       CmdMeasure,
                               CmdStop,           CmdStoreReading,  CmdCancelReading, CmdEnterComment};
    struct Row {
        bool monitoring, file;
        std::set<int32_t> admitted;  // of the Logging commands
    };
    const Row rows[] = {
        {false, false, {CmdCreateDataFile, CmdMonitor}},
        {false, true, {CmdCloseDataFile, CmdMonitor, CmdEnterComment}},
        {true, false, {CmdCreateDataFile, CmdPause}},
        {true, true, {CmdCloseDataFile, CmdPause, CmdMeasure, CmdEnterComment}},
    };
    for (const Row& r : rows) {
        CommandFacts f;
        f.Monitoring = r.monitoring;
        f.DataFileOpen = r.file;
        std::set<int32_t> got;
        for (int32_t c : logging)
            if (CommandAdmitted(c, f))
                got.insert(c);
        EXPECT_EQ(got, r.admitted) << r.monitoring << " " << r.file;
        f.Reviewing = true;
        for (int32_t c : logging)
            EXPECT_FALSE(CommandAdmitted(c, f)) << c << " in review";
    }
    CommandFacts live, review;
    review.Reviewing = true;
    for (int32_t c : {CmdPreviousRecord, CmdNextRecord, CmdExitReview, CmdPrint, CmdDisplayComments, CmdOpenDataFile,
                      CmdManageRecords, CmdEditParameters}) {
        EXPECT_TRUE(CommandAdmitted(c, review)) << c;
        EXPECT_FALSE(CommandAdmitted(c, live)) << c;
    }
    for (int32_t c : {CmdSurveyParameters, CmdSystemParameters, CmdStartReview, CmdFullNulling, CmdResetDefaults,
                      CmdInvert, CmdRepeatLastStation, CmdTestDc, CmdExitTest})
        EXPECT_FALSE(CommandAdmitted(c, review)) << c;
    for (int32_t c : {CmdScale, CmdAttributes, CmdNextStation, CmdPreviousLine, CmdAutoScale, CmdMapOptions})
        EXPECT_TRUE(CommandAdmitted(c, review)) << c;
}

// The screen shows an item enabled only while the routines want it and its command may act;
// every change of state shows again just the items whose state changes.
TEST(OfferedControls, ShownIsWantedAndAdmitted)
{
    OfferedControls offered;
    RecordingSink screen;
    CommandFacts ready;
    ready.Monitoring = ready.DataFileOpen = true;
    offered.FoundMenuItem(IDM_STORE_READING, true);  // as the resource made it
    for (int32_t id : {IDM_MEASURE, IDM_CREATE_DATA_FILE, IDM_ABOUT})
        offered.WantMenuItem(id, true, ready, screen);
    offered.WantButton(ButtonSlotForId(IDC_MEASURE), true, ready, screen);
    EXPECT_EQ(screen.menus,
              (std::map<int32_t, bool>{{IDM_MEASURE, true}, {IDM_CREATE_DATA_FILE, false}, {IDM_ABOUT, true}}));
    EXPECT_TRUE(screen.enabled[ButtonSlotForId(IDC_MEASURE)]);

    screen.menus.clear();
    CommandFacts complete = ready;
    complete.Run = BoardRun::ReadingComplete;
    offered.Show(complete, screen);
    EXPECT_EQ(screen.menus, (std::map<int32_t, bool>{{IDM_MEASURE, false}})) << "Store was found enabled already";
    EXPECT_FALSE(screen.enabled[ButtonSlotForId(IDC_MEASURE)]);

    screen.menus.clear();
    offered.Show(ready, screen);
    EXPECT_EQ(screen.menus, (std::map<int32_t, bool>{{IDM_STORE_READING, false}, {IDM_MEASURE, true}}));
    screen.menus.clear();
    offered.Show(complete, screen);
    EXPECT_EQ(screen.menus, (std::map<int32_t, bool>{{IDM_STORE_READING, true}, {IDM_MEASURE, false}}))
        << "the wish outlives the state";
}
