// "Survey Parameters": spin steps, the loop centre in Central Loop Soundings, the loop groups
// and the OK with its refusals that write nothing.
#include "resources/acquisition_ids.h"
#include "vlox/datafile/datafile.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/ui/survey_dialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SurveyDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsValues{};
        PublishDerivedValues(SettingsDerived{});
    }
};

TEST_F(SurveyDialog, SpinSteps)
{
    const struct {
        double increment;
        int32_t d;
        double want;
    } cases[] = {{0.1, -1, -0.1},   {2.0, -1, 1.0}, {2.0, 1, 3.0},  {100.0, -1, 90.0},
                 {100.0, 1, 110.0}, {-0.1, 1, 0.1}, {1.0, -1, 0.9}, {99.0, 1, 100.0}};
    for (const auto& c : cases) {
        SurveyDialogModel m;
        m.StationIncrement = c.increment;
        SpinStationIncrement(m, c.d);
        EXPECT_DOUBLE_EQ(m.StationIncrement, c.want) << c.increment << " " << c.d;
    }
    // Ten steps down from 1.0 land on -0.1, never on a tiny remainder shown "-0.00".
    SurveyDialogModel m;
    m.StationIncrement = 1.0;
    for (int i = 0; i < 10; ++i)
        SpinStationIncrement(m, -1);
    EXPECT_DOUBLE_EQ(m.StationIncrement, -0.1);
    m.LineIncrement = 1.0;
    SpinLineIncrement(m, -1);
    EXPECT_EQ(m.LineIncrement, -1.0);
    m.StartStation = 10.0;
    m.StationIncrement = 2.5;
    SpinStartStation(m, 1);
    EXPECT_EQ(m.StartStation, 12.5);
    double copy = 5.0;
    EXPECT_TRUE(IncrementFromField(0.0, copy));
    EXPECT_EQ(copy, 1.0);
}

// Mended: letters typed over an increment read as 0 and became "1.00" at once. An emptied
// field (or a 0) still does; text that is not a number is left for the OK to refuse.
TEST_F(SurveyDialog, IncrementsAsTheyAreTyped)
{
    const struct {
        const char* text;
        bool rewritten;
        double copy;
    } cases[] = {{"", true, 1.0},     {"  ", true, 1.0}, {"0", true, 1.0},    {"-0.00", true, 1.0},
                 {"abc", false, 7.5}, {"-", false, 7.5}, {"2.5", false, 2.5}, {"-10", false, -10.0}};
    for (const auto& c : cases) {
        double copy = 7.5;
        EXPECT_EQ(IncrementFromText(NarrowToWide(std::string(c.text)), copy), c.rewritten) << c.text;
        EXPECT_EQ(copy, c.copy) << c.text;
    }
}

TEST_F(SurveyDialog, CentreFollowsTheReceiverAndGroupsShowTheLoop)
{
    Settings.LineSequence = 0;
    SurveyDialogModel m = OpenSurveyDialog(Settings, 42.0);
    EXPECT_EQ(m.StartStation, 42.0);  // Alternate: the current station
    m.Direction = 2;                  // east-west line
    m.Line = 300.0;
    PlaceLoopCentre(Settings, m);
    EXPECT_EQ(Settings.TxCentreX, 42.0);
    EXPECT_EQ(Settings.TxCentreY, 300.0);
    Settings.LineSequence = 1;
    EXPECT_EQ(OpenSurveyDialog(Settings, 42.0).StartStation, Settings.StartStation);

    const LoopGroupView square = LoopGroup(Settings, 0, 1);
    EXPECT_TRUE(square.FieldVisible[0] && !square.FieldVisible[1] && square.FieldVisible[2]);
    EXPECT_EQ(square.RowLabel[0], "Tx Loop Side Length:");
    EXPECT_EQ(square.Hint, "Enter square side and coordinates in meters");
    const LoopGroupView gps = LoopGroup(Settings, 3, 0);
    EXPECT_EQ(gps.Decimals, 8);
    EXPECT_TRUE(gps.Hint.empty());
    EXPECT_EQ(gps.RowLabel[3], "Tx Corner 4:");
    EXPECT_EQ(LoopGroup(Settings, 3, 2).Decimals, 3);
    EXPECT_EQ(WideToNarrow(UtmZoneTexts()[0]), "01");
    EXPECT_EQ(WideToNarrow(CornerTypeTexts()[3]), "UTM USFeet");
}

TEST_F(SurveyDialog, OkChecksBeforeItWrites)
{
    const struct {
        const char* name;
        int32_t shape, cornerType;
        double loop[LoopFieldCount];
        double line;
        SurveyOkOutcome want;
    } cases[] = {
        {"rectangle with a side 0", 1, 1, {0.0, 50.0, 1.0, 2.0}, 10.0, SurveyOkAreaRefused},
        {"square stores both sides", 0, 1, {80.0, 0.0, 1.0, 2.0}, 10.0, SurveyOkAccepted},
        {"geodetic corner out of range",
         3,
         0,
         {-79.0, 43.0, -79.0, 43.001, 200.0, 43.001, -79.001, 43.0},
         10.0,
         SurveyOkCornerRefused},
        {"line too wide", 1, 1, {100.0, 50.0, 0.0, 0.0}, 1e15, SurveyOkTooWideRefused},
        {"geodetic loop", 3, 0, {-79.0, 43.0, -79.0, 43.001, -79.001, 43.001, -79.001, 43.0}, 10.0, SurveyOkAccepted},
    };
    for (const auto& c : cases) {
        SetUp();
        const SettingsValues before = Settings;
        SurveyDialogModel m = OpenSurveyDialog(Settings, 0.0);
        m.Shape = c.shape;
        m.Line = c.line;
        m.StartStation = 0.375;
        SurveyDialogEntries e;
        e.OperatorName = NarrowToWide(std::string("An operator name longer than twenty-five"));
        for (int i = 0; i < LoopFieldCount; ++i)
            e.Loop[i] = c.loop[i];
        e.CornerType = c.cornerType;
        e.Zone = 16;
        bool moved = false;
        EXPECT_EQ(SurveyDialogOk(m, e, moved), c.want) << c.name;
        if (c.want != SurveyOkAccepted) {
            EXPECT_EQ(Settings, before) << c.name;
            continue;
        }
        EXPECT_EQ(Settings.OperatorName.size(), 25u) << c.name;
        EXPECT_EQ(Settings.StartStation, 0.375) << c.name;
        EXPECT_EQ(CurrentStation, 0.375) << c.name;
        EXPECT_TRUE(moved) << c.name;
        EXPECT_GE(TxLoopArea, 1.0) << c.name;
        if (c.shape == 0) {
            EXPECT_EQ(Settings.TxLoopSideY, 80.0);
            EXPECT_EQ(TxCentreOffsetX, 1.0 - 10.0);
            EXPECT_EQ(TxCentreOffsetY, 2.0 - 0.375);
        }
    }
}

// A refused OK names the field whose value it refused, whatever the loop group shows: the
// dialog puts the focus there and the operator's message carries the field's label.
TEST_F(SurveyDialog, RefusalsNameTheirField)
{
    const struct {
        const char* name;
        int32_t shape, cornerType;
        int field;  // the loop field given value (-1: the survey line)
        double value;
        SurveyOkOutcome want;
        int32_t line;
        int id;
        const char* label;
    } cases[] = {
        {"survey line", 1, 1, -1, 1e15, SurveyOkTooWideRefused, 26, IDC_SURVEY_LINE, "Survey Line"},
        {"square side", 0, 1, 0, 1e15, SurveyOkTooWideRefused, 47, IDC_SURVEY_LOOP_FIELD1, "Tx Loop Side Length"},
        {"rectangle's second side", 1, 1, 1, 1e260, SurveyOkOutOfRangeRefused, 48, IDC_SURVEY_LOOP_FIELD1 + 1,
         "Tx Loop Sides Length Y"},
        {"centre Y", 1, 1, 3, 1e14, SurveyOkTooWideRefused, 50, IDC_SURVEY_LOOP_FIELD1 + 3, "Tx Centre Coordinates Y"},
        {"fourth corner Y", 2, 1, 7, -1e260, SurveyOkOutOfRangeRefused, 58, IDC_SURVEY_LOOP_FIELD1 + 7,
         "Tx Corner 4 Y"},
        {"third geodetic corner X", 3, 0, 4, 200.0, SurveyOkCornerRefused, 66, IDC_SURVEY_LOOP_FIELD1 + 4,
         "Tx Corner 3 X"},
        // Mended: a UTM corner the loader refuses was told as a geodetic corner off the globe.
        {"fourth UTM corner Y", 3, 1, 7, -1e260, SurveyOkOutOfRangeRefused, 69, IDC_SURVEY_LOOP_FIELD1 + 7,
         "Tx Corner 4 Y"},
    };
    for (const auto& c : cases) {
        SetUp();
        const SettingsValues before = Settings;
        SurveyDialogModel m = OpenSurveyDialog(Settings, 0.0);
        m.Shape = c.shape;
        m.CoordinateType = c.cornerType;
        SurveyDialogEntries e;
        const double loop[LoopFieldCount] = {-79.0, 43.0, -79.0, 43.001, -79.001, 43.001, -79.001, 43.0};
        for (int i = 0; i < LoopFieldCount; ++i)
            e.Loop[i] = c.shape == 3 ? loop[i] : 10.0 * (i + 1);
        e.CornerType = c.cornerType;
        if (c.field < 0)
            m.Line = c.value;
        else
            e.Loop[c.field] = c.value;
        bool moved = false;
        int32_t line = 0;
        EXPECT_EQ(SurveyDialogOk(m, e, moved, &line), c.want) << c.name;
        EXPECT_EQ(line, c.line) << c.name;
        EXPECT_TRUE(Settings == before) << c.name;
        const FieldRefusal r = SurveyRefusalOfLine(Settings, m, line, FieldRefusalKind::OutOfRange);
        EXPECT_EQ(r.Id, c.id) << c.name;
        EXPECT_EQ(r.Name, c.label) << c.name;
    }
}

}  // namespace
