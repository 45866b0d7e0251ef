// Station and line stepping, the measure and nulling set-ups, the texts of the nulling
// boxes, and the GPS sentences stored after a reading.
#include "vlox/settings/rate_tables.h"
#include "vlox/ui/command_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

SettingsValues Survey(int32_t sequence)
{
    SettingsValues s;
    s.SurveyLine = 100.0;
    s.LineIncrement = 20.0;
    s.StationIncrement = 5.0;
    s.StartStation = -50.0;
    s.LineDirection = 0;
    s.LineSequence = sequence;
    return s;
}

}  // namespace

TEST(StationStepping, NextAndPreviousMoveByTheIncrementAndRestartTheCounter)
{
    const SettingsValues s = Survey(0);
    double station = 10.0;
    int32_t counter = 3;
    StepStation(true, s, station, counter);
    EXPECT_DOUBLE_EQ(station, 15.0);
    EXPECT_EQ(counter, 0);
    counter = 2;
    StepStation(false, s, station, counter);
    StepStation(false, s, station, counter);
    EXPECT_DOUBLE_EQ(station, 5.0);
    EXPECT_EQ(counter, 0);
}

TEST(LineStepping, AlternateTwiceBringsBackDirectionAndIncrementAndKeepsTheStation)
{
    SettingsValues s = Survey(0);
    double station = 35.0;
    int32_t counter = 4;
    StepLine(true, s, station, counter);
    EXPECT_DOUBLE_EQ(s.SurveyLine, 120.0);
    EXPECT_DOUBLE_EQ(s.StationIncrement, -5.0);
    EXPECT_EQ(s.LineDirection, 1);
    EXPECT_DOUBLE_EQ(station, 35.0);
    EXPECT_EQ(counter, 0);
    StepLine(true, s, station, counter);
    EXPECT_DOUBLE_EQ(s.SurveyLine, 140.0);
    EXPECT_DOUBLE_EQ(s.StationIncrement, 5.0);
    EXPECT_EQ(s.LineDirection, 0);
    EXPECT_DOUBLE_EQ(station, 35.0);
    StepLine(false, s, station, counter);
    EXPECT_DOUBLE_EQ(s.SurveyLine, 120.0);
}

TEST(LineStepping, OneWayGoesBackToTheStartStation)
{
    SettingsValues s = Survey(1);
    double station = 35.0;
    int32_t counter = 1;
    StepLine(false, s, station, counter);
    EXPECT_DOUBLE_EQ(s.SurveyLine, 80.0);
    EXPECT_DOUBLE_EQ(station, -50.0);
    EXPECT_DOUBLE_EQ(s.StationIncrement, 5.0);
    EXPECT_EQ(s.LineDirection, 0);
}

TEST(LineStepping, DirectionsSwapInPairsOtherCodesStay)
{
    const int32_t in[] = {0, 1, 2, 3, 4, -1};
    const int32_t out[] = {1, 0, 3, 2, 4, -1};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(ReversedLineDirection(in[i]), out[i]);
}

TEST(RepeatLastStation, RightAfterStoreRestoresTheCounterAndTheStation)
{
    const SettingsValues s = Survey(0);
    double station = 20.0;
    int32_t counter = 2;
    int32_t previous = 0;
    AdvanceStationAfterStore(s, station, counter, previous);
    EXPECT_DOUBLE_EQ(station, 25.0);
    EXPECT_EQ(counter, 0);
    EXPECT_EQ(previous, 2);
    RepeatLastStation(s, station, counter, previous);
    EXPECT_DOUBLE_EQ(station, 20.0);
    EXPECT_EQ(counter, 2);
}

TEST(ReviewStepping, IndicesStopAtBothEnds)
{
    int32_t index = 0;
    EXPECT_FALSE(StepReviewIndex(false, 3, index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(StepReviewIndex(true, 3, index));
    EXPECT_TRUE(StepReviewIndex(true, 3, index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(StepReviewIndex(true, 3, index));
    EXPECT_EQ(index, 2);
    index = 0;
    EXPECT_FALSE(StepReviewIndex(true, 0, index));
    EXPECT_FALSE(StepReviewIndex(true, 1, index));
}

TEST(ReviewSelection, OnlyEntriesOfTheListCount)
{
    EXPECT_TRUE(ReviewSelectionInList(0, 1));
    EXPECT_TRUE(ReviewSelectionInList(4, 5));
    EXPECT_FALSE(ReviewSelectionInList(5, 5));
    EXPECT_FALSE(ReviewSelectionInList(-1, 5));  // CB_ERR: nothing selected
    EXPECT_FALSE(ReviewSelectionInList(0, 0));
}

TEST(Measure, AutoTriggerIntervalNotAboveTheAveragingTimeBecomesFastest)
{
    EXPECT_EQ(AutoTriggerIntervalForMeasure(4000, 4000), 0);
    EXPECT_EQ(AutoTriggerIntervalForMeasure(4000, 8000), 8000);
    EXPECT_EQ(AutoTriggerIntervalForMeasure(8000, 4000), 0);
    // Unsigned: a negative interval reads as a huge one and stays.
    EXPECT_EQ(AutoTriggerIntervalForMeasure(4000, -1), -1);
    EXPECT_EQ(MonitorPassPeriodsFor(0, 5, 2), 5);
    EXPECT_EQ(MonitorPassPeriodsFor(1, 5, 2), 2);
    EXPECT_EQ(MonitorPassPeriodsFor(6, 5, 2), 1);
}

TEST(NullingSteps, FullSelectiveAndUserGatesLists)
{
    int32_t steps[NullingStepSlots];
    BuildFullNullingSteps(steps);
    for (int32_t i = 0; i < NullingStepSlots; ++i)
        EXPECT_EQ(steps[i], i);

    int32_t selected[RepRateCount] = {1, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(BuildSelectiveNullingSteps(selected, steps), 21);
    std::vector<int32_t> expected;
    for (int32_t c = 0; c <= 13; ++c)
        expected.push_back(c);
    for (int32_t c = 77; c <= 83; ++c)
        expected.push_back(c);
    expected.push_back(84);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(steps[i], expected[i]) << i;
    for (size_t i = expected.size(); i < NullingStepSlots; ++i)
        EXPECT_EQ(steps[i], 0);

    int32_t all[RepRateCount] = {1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(BuildSelectiveNullingSteps(all, steps), 84);
    for (int32_t i = 0; i < NullingStepSlots; ++i)
        EXPECT_EQ(steps[i], i);  // all blocks, slowest first, are the full list

    int32_t none[RepRateCount] = {};
    EXPECT_EQ(BuildSelectiveNullingSteps(none, steps), 0);
    EXPECT_EQ(steps[0], NullingEndCode);

    BuildUserGatesNullingSteps(steps);
    for (int32_t i = 0; i < NullingStepSlots; ++i)
        EXPECT_EQ(steps[i], i <= 7 ? i : 0);
}

TEST(NullingEstimate, SumsOfFactorsTimesTargets)
{
    int32_t row[StackTargetSlots] = {142, 37, 15, 3, 2, 2, 2, 15, 3, 2, 2, 2};
    const double full = FullNullingEstimate(row);
    double sum = 0.0;
    for (int32_t r = 0; r < RepRateCount; ++r)
        sum += 14.0 * NullingTimeFactors[r] * row[r] / 1000.0;
    EXPECT_DOUBLE_EQ(full, sum);
    int32_t selected[RepRateCount] = {1, 0, 0, 0, 0, 0, 1};
    EXPECT_DOUBLE_EQ(SelectiveNullingEstimate(row, selected), 14.0 * 4 * 142 / 1000.0 + 14.0 * 6500 * 2 / 1000.0);
    // A second run starts from 0: the estimate does not grow run by run.
    EXPECT_DOUBLE_EQ(SelectiveNullingEstimate(row, selected), SelectiveNullingEstimate(row, selected));
    EXPECT_DOUBLE_EQ(UserGatesNullingEstimate(row, 3), 3 * 200.0);
    EXPECT_DOUBLE_EQ(UserGatesNullingEstimate(row, 7), 0.0);
    EXPECT_EQ(NullingMainsHz(0), 50);
    EXPECT_EQ(NullingMainsHz(1), 60);
}

TEST(NullingTexts, MinutesFromSixtySecondsOnSecondsBelow)
{
    EXPECT_EQ(NullingConfirmText(NullingKind::Full, 60, 60.0),
              "Ready to perform full nulling for  60 Hz  power line frequency.\r\n"
              "Estimated time approx.   1:00 min");
    EXPECT_EQ(NullingConfirmText(NullingKind::Full, 50, 59.9),
              "Ready to perform full nulling for  50 Hz  power line frequency.\r\n"
              "Estimated time approx.    59 s");
    EXPECT_EQ(NullingConfirmText(NullingKind::Selective, 60, 754.3),
              "Ready to perform selective nulling for  60 Hz  power line frequency.\r\n"
              "Estimated time (based on Average) approx.  12:34 min");
    EXPECT_EQ(NullingConfirmText(NullingKind::UserGates, 50, 999.0),
              "Ready to perform User Gates setup nulling for \r\n50 Hz\r\npower line frequency.");
    EXPECT_EQ(NullingProgressTitle(60.0), "Nulling Progress (approx.  1:00 min)");
    EXPECT_EQ(NullingProgressTitle(59.9), "Nulling Progress (approx.    59 s)");
    // No undefined conversion for values no table gives.
    EXPECT_EQ(NullingProgressTitle(std::nan("")), "Nulling Progress (approx.     0 s)");
    EXPECT_EQ(EstimateWholeSeconds(-5.0), 0);
    EXPECT_EQ(EstimateWholeSeconds(1e300), std::numeric_limits<int32_t>::max());
}

// The full run's estimate from the stack targets of every averaging time (0.5 s to 120 s):
// minutes and seconds, the minutes widening past two digits.
TEST(NullingTexts, FullRunEstimateForEachAveragingTime)
{
    const char* const expected[AveragingTimeCount] = {" 5:00", " 5:43", " 7:17",  "10:57", "18:52",
                                                      "35:36", "72:47", "146:09", "292:19"};
    for (int32_t a = 0; a < AveragingTimeCount; ++a) {
        const std::string text = NullingConfirmText(NullingKind::Full, 60, FullNullingEstimate(StackTargets[a]));
        EXPECT_EQ(text, std::string("Ready to perform full nulling for  60 Hz  power line frequency.\r\n"
                                    "Estimated time approx.  ") +
                            expected[a] + " min")
            << "averaging index " << a;
    }
    // The fastest rate alone stays below a minute up to 2 s of averaging.
    const int32_t fastest[RepRateCount] = {1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(NullingProgressTitle(SelectiveNullingEstimate(StackTargets[0], fastest)),
              "Nulling Progress (approx.     7 s)");
    EXPECT_EQ(NullingProgressTitle(SelectiveNullingEstimate(StackTargets[2], fastest)),
              "Nulling Progress (approx.    31 s)");
    EXPECT_EQ(NullingProgressTitle(SelectiveNullingEstimate(StackTargets[3], fastest)),
              "Nulling Progress (approx.  1:03 min)");
    EXPECT_EQ(NullingProgressTitle(SelectiveNullingEstimate(StackTargets[4], fastest)),
              "Nulling Progress (approx.  2:07 min)");
}

TEST(ChildPrograms, FilesAndFailureTexts)
{
    ASSERT_NE(ChildProgramFor(56), nullptr);
    EXPECT_EQ(ChildProgramMissingText(*ChildProgramFor(56)), "ConvertVLXtoUSF.exe not found");
    EXPECT_STREQ(ChildProgramFor(53)->file, "IXV-LOX.exe");
    EXPECT_STREQ(ChildProgramFor(53)->caption, "Inversion analysis");
    EXPECT_STREQ(ChildProgramFor(57)->caption, "LZ5 format");
    EXPECT_STREQ(ChildProgramFor(58)->file, "ConvertVLXtoXYZ.exe");
    EXPECT_STREQ(ChildProgramFor(59)->caption, "Text format");
    EXPECT_EQ(ChildProgramFor(55), nullptr);
}

namespace {

// A GPS link whose sentences arrive at given times of a fake clock.
class FakeGps final : public StoreGpsOps {
public:
    uint32_t now = 100000;
    bool fresh[2] = {false, false};
    bool portOpen = true;
    // A wait of kind k makes the sentence arrive after arriveAfter[k] ms (or never, -1).
    int64_t arriveAfter[2] = {-1, -1};
    std::vector<std::string> log;
    struct Stored {
        std::string text;
        uint32_t tick;
        char first;
        char next;
    };
    std::vector<Stored> stored;

    bool SentencesCanArrive() override { return portOpen; }
    bool Fresh(int32_t kind) override { return fresh[kind]; }
    void ClearFresh() override
    {
        log.push_back("clear");
        fresh[0] = fresh[1] = false;
    }
    bool WaitFresh(int32_t kind, uint32_t timeoutMs) override
    {
        log.push_back("wait" + std::to_string(kind) + ":" + std::to_string(timeoutMs));
        if (arriveAfter[kind] >= 0 && arriveAfter[kind] <= timeoutMs) {
            now += static_cast<uint32_t>(arriveAfter[kind]);
            fresh[kind] = true;
            return true;
        }
        now += timeoutMs + 1;
        return false;
    }
    void SetCopyHold(int32_t hold) override { log.push_back("hold" + std::to_string(hold)); }
    bool Copy(int32_t kind, std::string& text, uint32_t& tick) override
    {
        text = kind == 0 ? "$GPGGA,1*00" : "$GPGSA,2*00";
        tick = 4242 + kind;
        return true;
    }
    uint32_t Now() override { return now; }
    void Store(const std::string& text, uint32_t tick, char firstTag, char continuationTag) override
    {
        stored.push_back({text, tick, firstTag, continuationTag});
    }
};

}  // namespace

TEST(StoreGpsSentences, FreshSentencesAreStoredWithoutWaiting)
{
    FakeGps gps;
    gps.fresh[0] = gps.fresh[1] = true;
    StoreGpsSentences(1, 0, 10000, 0, gps);
    ASSERT_EQ(gps.stored.size(), 2u);
    EXPECT_EQ(gps.stored[0].text, "$GPGGA,1*00");
    EXPECT_EQ(gps.stored[0].tick, 4242u);
    EXPECT_EQ(gps.stored[0].first, '@');
    EXPECT_EQ(gps.stored[0].next, '#');
    EXPECT_EQ(gps.stored[1].text, "$GPGSA,2*00");
    EXPECT_EQ((std::vector<std::string>{"hold1", "hold0", "clear"}), gps.log);
}

TEST(StoreGpsSentences, AReadingOverSixtySecondsWaitsForNewSentences)
{
    FakeGps gps;
    gps.fresh[0] = gps.fresh[1] = true;
    gps.arriveAfter[0] = 1200;
    StoreGpsSentences(1, 0, 60001, 0, gps);
    EXPECT_EQ((std::vector<std::string>{"clear", "wait0:5000", "wait1:700", "hold1", "hold0", "clear"}), gps.log);
    ASSERT_EQ(gps.stored.size(), 2u);
    EXPECT_EQ(gps.stored[0].text, "$GPGGA,1*00");
    // GSA did not come in 700 ms: its placeholder with the tick of now.
    EXPECT_EQ(gps.stored[1].text, "GSA not avaiable");
    EXPECT_EQ(gps.stored[1].first, '?');
    EXPECT_EQ(gps.stored[1].next, '"');
    EXPECT_EQ(gps.stored[1].tick, gps.now);
}

TEST(StoreGpsSentences, ExactlySixtySecondsKeepsTheFlags)
{
    FakeGps gps;
    gps.fresh[0] = true;
    StoreGpsSentences(1, 1, 60000, 0, gps);
    // GGA only: no wait at all, no GSA record.
    EXPECT_EQ((std::vector<std::string>{"hold1", "hold0", "clear"}), gps.log);
    ASSERT_EQ(gps.stored.size(), 1u);
    EXPECT_EQ(gps.stored[0].first, '@');
}

TEST(StoreGpsSentences, NoSentenceGivesBothPlaceholdersAfterTheWaits)
{
    FakeGps gps;
    StoreGpsSentences(2, 0, 1000, 0, gps);
    ASSERT_EQ(gps.stored.size(), 2u);
    EXPECT_EQ(gps.stored[0].text, "GGA not avaiable");
    EXPECT_EQ(gps.stored[1].text, "GSA not avaiable");
    EXPECT_EQ(gps.log[0], "wait0:5000");
    EXPECT_EQ(gps.log[1], "wait1:700");
}

// GPS input on with its port absent: each store froze the screen for 5.7 s waiting for
// sentences that could not come. With no port open nothing is waited for; what is held
// fresh is still stored, the rest as placeholders with the tick of the store.
TEST(StoreGpsSentences, NoWaitWhereNoSentenceCanArrive)
{
    const struct {
        const char* what;
        bool ggaHeld;
        std::vector<std::string> texts;
    } cases[] = {
        {"nothing held", false, {"GGA not avaiable", "GSA not avaiable"}},
        {"a GGA held from before the port closed", true, {"$GPGGA,1*00", "GSA not avaiable"}},
    };
    for (const auto& c : cases) {
        FakeGps gps;
        gps.portOpen = false;
        gps.fresh[0] = c.ggaHeld;
        gps.arriveAfter[0] = gps.arriveAfter[1] = 0;  // a wait would make them come
        StoreGpsSentences(1, 0, 1000, 0, gps);
        EXPECT_EQ((std::vector<std::string>{"hold1", "hold0", "clear"}), gps.log) << c.what;
        std::vector<std::string> texts;
        for (const auto& r : gps.stored)
            texts.push_back(r.text);
        EXPECT_EQ(texts, c.texts) << c.what;
        EXPECT_EQ(gps.stored.back().tick, 100000u) << c.what;
    }
}

TEST(StoreGpsSentences, GpsOffStoresNothing)
{
    FakeGps gps;
    StoreGpsSentences(0, 0, 100000, 0, gps);
    EXPECT_TRUE(gps.log.empty());
    EXPECT_TRUE(gps.stored.empty());
}
