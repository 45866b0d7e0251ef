// The models of the display and instrument settings dialogs: the corrections of Plot Scale
// Setup and Map Options, the GPS Port Setup lists and the configuration lines they land on,
// the restart of the GPS readers, the profile widths stored as entry + 1, an OK of the
// 30-gate template that leaves the rows it lacks alone, the GPS map type with its corners,
// and every OK's settings reloading without a corrupt-configuration reset.
#include "vlox/ui/view_dialogs.h"

#include "resources/view_ids.h"
#include "tests/settings/config_test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Loads a composed file and answers whether the loader found every value good.
bool ReloadsClean(const SettingsValues& s, SettingsValues* loaded = nullptr, SettingsDerived* derived = nullptr)
{
    SettingsValues back;
    SettingsDerived d;
    auto nulls = std::make_unique<NullTableValues>();
    ConfigLoadEnvironment env;
    env.MapPaneWidth = 168;
    if (LoadConfiguration(ComposeFor(s), back, d, *nulls, env) != 1)
        return false;
    if (loaded != nullptr)
        *loaded = back;
    if (derived != nullptr)
        *derived = d;
    return d.ConfigInvalid == 0;
}

}  // namespace

TEST(PlotScaleDialog, OkCorrectsTheRanges)
{
    const struct {
        double tMin, tMax, aMin, aMax, lMin, lMax;
        double tMinAfter, tMaxAfter, aMinAfter, aMaxAfter, lMinAfter, lMaxAfter;
    } cases[] = {
        {0, 0, 0, 100, -1, 1, 0.001, 0.1, 0, 100, -1, 1},        {0.01, 5, -0.5, 5, -1, 1, 0.01, 5, -1, 10, -1, 1},
        {0.01, 5, 50, 20, -1, 1, 0.01, 5, 2, 20, -1, 1},         {0.01, 5, 0.5, 20, -0.2, 0.5, 0.01, 5, 0, 20, -1, 1},
        {-3, 2, -100, 1000, -5, 8, 0.001, 2, -100, 1000, -5, 8},
    };
    for (const auto& c : cases) {
        SettingsValues s;
        PlotScaleFields f = PlotScaleFieldsFrom(s, 4);
        f.TimeMinMs = c.tMin;
        f.TimeMaxMs = c.tMax;
        f.AmplitudeMin = c.aMin;
        f.AmplitudeMax = c.aMax;
        f.LinearMin = c.lMin;
        f.LinearMax = c.lMax;
        int32_t index = 4, stations = 50;
        ApplyPlotScale(f, -1, s, index, stations);
        EXPECT_DOUBLE_EQ(s.TimeAxisMinMs, c.tMinAfter) << c.tMin;
        EXPECT_DOUBLE_EQ(s.TimeAxisMaxMs, c.tMaxAfter) << c.tMax;
        EXPECT_DOUBLE_EQ(s.AmplitudeAxisMin, c.aMinAfter) << c.aMin;
        EXPECT_DOUBLE_EQ(s.AmplitudeAxisMax, c.aMaxAfter) << c.aMax;
        EXPECT_DOUBLE_EQ(s.LinearSectionMin, c.lMinAfter) << c.lMin;
        EXPECT_DOUBLE_EQ(s.LinearSectionMax, c.lMaxAfter) << c.lMax;
        EXPECT_TRUE(ReloadsClean(s));
    }
}

TEST(PlotScaleDialog, LabelsUnitAndStations)
{
    SettingsValues s;
    s.TwoFrequencyMode = 1;
    PlotScaleFields f = PlotScaleFieldsFrom(s, 4);
    f.TimeAxisLabels = 1;
    f.DisplayUnit = 5;
    f.StationsIndex = 9;
    int32_t index = 4, stations = 50;
    // "Time Gates" with the two-frequency measurement live is stored as "Time in ms".
    ApplyPlotScale(f, -1, s, index, stations);
    EXPECT_EQ(s.TimeAxisLabels, 0);
    EXPECT_EQ(s.DisplayUnit, 5);
    EXPECT_EQ(index, 9);
    EXPECT_EQ(stations, 300);
    // In review the labels are taken as chosen; a list without a selection keeps the entry.
    f.StationsIndex = -1;
    ApplyPlotScale(f, 0, s, index, stations);
    EXPECT_EQ(s.TimeAxisLabels, 1);
    EXPECT_EQ(stations, 300);
    EXPECT_FALSE(TimeRangeEditable(1, 0));
    EXPECT_FALSE(TimeRangeEditable(0, 1));
    EXPECT_TRUE(TimeRangeEditable(0, 0));
}

TEST(MapOptionsDialog, OkCorrectsSizeAndGrid)
{
    const struct {
        double size, interval;
        double sizeAfter, intervalAfter;
    } cases[] = {
        {100, 2, 100, 10},                                   // 50 cells
        {100, 5, 100, 5},                                    // 20 cells
        {50, -4, 50, 4},   {100, 0, 100, 10}, {0, 1, 5, 1},  // no size: the old one stays
        {-20, 1, 5, 1},
    };
    for (const auto& c : cases) {
        SettingsValues s;  // MapSize 5
        MapScaleState state;
        state.PixelsPerMetre = 33.0;
        MapOptionsFields f = MapOptionsFieldsFrom(s, false, 0.0);
        f.MapSize = c.size;
        f.GridInterval = c.interval;
        ApplyMapOptions(f, false, 168, s, state);
        EXPECT_DOUBLE_EQ(s.MapSize, c.sizeAfter) << c.size;
        EXPECT_DOUBLE_EQ(s.MapGridInterval, c.intervalAfter) << c.size << " " << c.interval;
        EXPECT_DOUBLE_EQ(state.PixelsPerMetre, 165.0 / c.sizeAfter);
        EXPECT_TRUE(ReloadsClean(s));
    }
}

TEST(MapOptionsDialog, StepsBackgroundAndTheReviewMap)
{
    EXPECT_EQ(MapStepText(0), "2 %");
    EXPECT_EQ(MapStepText(8), "100 %");
    SettingsValues s;
    MapScaleState state;
    state.ReviewMapSize = 40.0;
    state.PixelsPerMetre = 33.0;
    MapOptionsFields f = MapOptionsFieldsFrom(s, true, state.ReviewMapSize);
    EXPECT_DOUBLE_EQ(f.MapSize, 40.0);
    f.MapSize = 250.0;
    f.ZoomIndex = 6;  // "30 %"
    f.PanIndex = 7;
    f.Background = 2;
    f.ShowReferencePoint = 0;
    ApplyMapOptions(f, true, 168, s, state);
    EXPECT_EQ(s.MapZoomStepIndex, 6);
    EXPECT_EQ(state.ZoomPercent, 30);
    EXPECT_EQ(state.ShiftPercent, 50);
    EXPECT_EQ(s.MapBackground, 2);
    EXPECT_EQ(s.MapShowReferencePoint, 0);
    // Reviewing: only the review map takes the size.
    EXPECT_DOUBLE_EQ(state.ReviewMapSize, 250.0);
    EXPECT_DOUBLE_EQ(s.MapSize, 5.0);
    EXPECT_DOUBLE_EQ(state.PixelsPerMetre, 33.0);
    EXPECT_TRUE(ReloadsClean(s));
}

TEST(GpsPortDialog, ListsLandOnTheirConfigurationLines)
{
    EXPECT_EQ(GpsPortListEntries(GpsListPort).front(), "COM1:");
    EXPECT_EQ(GpsPortListEntries(GpsListPort).back(), "COM36:");
    EXPECT_EQ(GpsPortListEntries(GpsListBaud).back(), "115200");
    EXPECT_EQ(GpsPortListEntries(GpsListDisplay)[3], "UTM US Ft");
    // Each list's last entry, on the lines 482 to 489 in the template's order.
    GpsPortFields f{};
    for (int32_t list = 0; list < GpsListCount; ++list)
        f[list] = static_cast<int32_t>(GpsPortListEntries(list).size()) - 1;
    f[GpsListInput] = 1;
    SettingsValues s;
    ApplyGpsPort(f, false, s);
    const std::vector<std::string> lines = FirstLines(ComposeFor(s), 489);
    const std::vector<std::string> expected = {"1", "1", "35", "5", "2", "1", "1", "3"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 481, lines.end()), expected);
    SettingsValues loaded;
    ASSERT_TRUE(ReloadsClean(s, &loaded));
    EXPECT_EQ(GpsPortFieldsFrom(loaded), f);
}

TEST(GpsPortDialog, OkSavesOnlyWhatTheLoaderTakes)
{
    SettingsValues s;
    GpsPortFields f = GpsPortFieldsFrom(s);
    // "GGA" alone with the internal receiver would be a corrupt configuration.
    f[GpsListInput] = 2;
    f[GpsListNmea] = 1;
    f[GpsListPort] = 40;  // no such entry: the port stays
    ApplyGpsPort(f, false, s);
    EXPECT_EQ(s.GpsInput, 2);
    EXPECT_EQ(s.GpsNmeaData, 0);
    EXPECT_EQ(s.GpsComPort, 4);
    EXPECT_TRUE(ReloadsClean(s));
    // With the monitor up the input choice is not taken.
    f[GpsListInput] = 0;
    ApplyGpsPort(f, true, s);
    EXPECT_EQ(s.GpsInput, 2);
    ApplyGpsCoordinates(3, s);
    EXPECT_EQ(s.GpsCoordinateDisplay, 3);
    ApplyGpsCoordinates(4, s);
    EXPECT_EQ(s.GpsCoordinateDisplay, 3);
    EXPECT_TRUE(ReloadsClean(s));
}

TEST(GpsPortDialog, ReadersRestartedAsTheInputAsks)
{
    const struct {
        const char* what;
        bool monitor, running;
        int32_t inputBefore, portBefore, inputAfter, portAfter;
        bool stop, monitorStart, readerStart;
    } cases[] = {
        {"external to internal: stopped, started on the new port", false, true, 1, 4, 2, 6, true, false, true},
        {"internal kept, same port: left running", false, true, 2, 4, 2, 4, false, false, false},
        {"internal kept, another port: moved", false, true, 2, 4, 2, 5, true, false, true},
        {"internal to disabled: stopped", false, true, 2, 4, 0, 4, true, false, false},
        {"external kept: restarted", false, true, 1, 4, 1, 4, true, false, true},
        {"none running, external: started", false, false, 0, 4, 1, 4, false, false, true},
        {"disabled kept: nothing", false, false, 0, 4, 0, 4, false, false, false},
        {"monitor up: its reader restarted", true, false, 1, 4, 1, 7, true, true, false},
    };
    for (const auto& c : cases) {
        SettingsValues before, after;
        before.GpsInput = c.inputBefore;
        before.GpsComPort = c.portBefore;
        after.GpsInput = c.inputAfter;
        after.GpsComPort = c.portAfter;
        const GpsRestartPlan p = PlanGpsRestart(c.monitor, before, after, c.running);
        EXPECT_EQ(p.StopReaders, c.stop) << c.what;
        EXPECT_EQ(p.StartMonitor, c.monitorStart) << c.what;
        EXPECT_EQ(p.StartReader, c.readerStart) << c.what;
    }
}

// GPS Map Type: the choice lands on line 490 and gives the layout the loader gives at the
// next start; the corners-entered choice takes the corner group of Survey Parameters with its
// refusals, and a refusal writes nothing and names the corner field of the line refused;
// without GPS input only the grid is offered and the saved type stays.
TEST(GpsMapTypeDialog, ChoiceCornersAndSavedLines)
{
    const double utm[LoopFieldCount] = {500000, 4000000, 500100, 4000000, 500100, 4000050, 500000, 4000050};
    const double degrees[LoopFieldCount] = {-79.0, 43.0, -79.0, 43.001, -79.001, 43.001, -79.001, 43.0};
    const double offGlobe[LoopFieldCount] = {-79.0, 43.0, -79.0, 93.0, -79.001, 43.001, -79.001, 43.0};
    const double tooWide[LoopFieldCount] = {1e15, 4000000, 500100, 4000000, 500100, 4000050, 500000, 4000050};
    const double beyondALine[LoopFieldCount] = {500000, 4000000, 500100, 4000000, 500100, 4000050, 500000, -1e260};
    const double onePoint[LoopFieldCount] = {500000, 4000000, 500000, 4000000, 500000, 4000000, 500000, 4000000};
    const struct {
        const char* what;
        int32_t gpsInput, choice;
        const double* corners;
        int32_t cornerType, zone, hemisphere;
        SurveyOkOutcome want;
        const char *line59, *line60, *line61, *line62, *line490;  // accepted: the lines saved
        int32_t layout;
        int32_t refusedLine;  // refused: the line, and the corner field named (-1: none)
        int refusedField;
        const char* refusedName;
    } cases[] = {
        {"grid", 1, 0, utm, 0, 11, 1, SurveyOkAccepted, "1", "17", "0", "1.000", "0", 2, 0, -1, ""},
        {"loop at the first station", 1, 1, onePoint, 1, 11, 1, SurveyOkAccepted, "1", "17", "0", "1.000", "1", 1, 0,
         -1, ""},
        {"corners in UTM metres", 1, 2, utm, 1, 11, 1, SurveyOkAccepted, "1", "12", "1", "500000.000", "2", 1, 0, -1,
         ""},
        {"corners in degrees", 1, 2, degrees, 0, 11, 0, SurveyOkAccepted, "0", "12", "0", "-79.00000000", "2", 1, 0, -1,
         ""},
        {"a zone list without a selection keeps the zone", 1, 2, utm, 1, -1, 0, SurveyOkAccepted, "1", "17", "0",
         "500000.000", "2", 1, 0, -1, ""},
        {"a geodetic corner off the globe", 1, 2, offGlobe, 0, 11, 0, SurveyOkCornerRefused, "", "", "", "", "", 0, 65,
         3, "Tx Corner 2 Y"},
        {"a corner too wide for the data file", 1, 2, tooWide, 1, 11, 0, SurveyOkTooWideRefused, "", "", "", "", "", 0,
         62, 0, "Tx Corner 1 X"},
        {"a UTM corner beyond what a line holds", 1, 2, beyondALine, 1, 11, 0, SurveyOkOutOfRangeRefused, "", "", "",
         "", "", 0, 69, 7, "Tx Corner 4 Y"},
        {"corners that enclose no loop", 1, 2, onePoint, 1, 11, 0, SurveyOkAreaRefused, "", "", "", "", "", 0, 0, -1,
         ""},
        // Mended: OK with GPS input off stored the grid over the saved GPS map type.
        {"no GPS input: the saved type stays", 0, 2, utm, 1, 11, 1, SurveyOkAccepted, "1", "17", "0", "1.000", "1", 2,
         0, -1, ""},
    };
    for (const auto& c : cases) {
        SettingsValues s;
        s.GpsInput = c.gpsInput;
        s.GpsMapType = 1;
        EXPECT_EQ(GpsMapChoicesOffered(s), c.gpsInput != 0) << c.what;
        EXPECT_EQ(GpsMapChoiceAtOpening(s), c.gpsInput != 0 ? 1 : 0) << c.what;
        const SettingsValues before = s;
        GpsCornerEntries e;
        for (int i = 0; i < LoopFieldCount; ++i)
            e.Corner[i] = c.corners[i];
        e.CornerType = c.cornerType;
        e.Zone = c.zone;
        e.Hemisphere = c.hemisphere;
        int32_t line = -1;
        ASSERT_EQ(GpsMapTypeOk(c.choice, e, s, &line), c.want) << c.what;
        EXPECT_EQ(line, c.refusedLine) << c.what;
        if (c.want != SurveyOkAccepted) {
            EXPECT_EQ(s, before) << c.what;
            const FieldRefusal r = GpsMapTypeRefusalOfLine(s, c.cornerType, line, FieldRefusalKind::OutOfRange);
            EXPECT_EQ(r.Id, c.refusedField < 0 ? 0 : IDC_GPSMAP_CORNER_FIELD1 + c.refusedField) << c.what;
            EXPECT_EQ(r.Name, c.refusedName) << c.what;
            continue;
        }
        EXPECT_EQ(s.TxLoopShape, before.TxLoopShape) << c.what;
        const std::vector<std::string> lines = FirstLines(ComposeFor(s), 490);
        EXPECT_EQ(lines[58], c.line59) << c.what;
        EXPECT_EQ(lines[59], c.line60) << c.what;
        EXPECT_EQ(lines[60], c.line61) << c.what;
        EXPECT_EQ(lines[61], c.line62) << c.what;
        EXPECT_EQ(lines[489], c.line490) << c.what;
        EXPECT_EQ(MapLayoutFor(s.GpsMapType, s.GpsInput), c.layout) << c.what;
        SettingsDerived d;
        EXPECT_TRUE(ReloadsClean(s, nullptr, &d)) << c.what;
        EXPECT_EQ(d.MapLayoutMode, c.layout) << c.what;
    }
}

TEST(ProfileAttributesDialog, WidthsAndTheRowsATemplateHas)
{
    EXPECT_EQ(ProfileWidthText(100, 0, 2), "1 pixel");
    EXPECT_EQ(ProfileWidthText(5, 3, 2), "4px");
    EXPECT_EQ(ProfileWidthText(5, 1, 1), "2 pixels");
    EXPECT_EQ(ProfileWidthSelection(0), 0);
    EXPECT_EQ(ProfileWidthSelection(4), 3);

    // The 30-gate template (standard gates) read at OK: the rows it has only.
    SettingsValues s;
    s.GateSet = 2;
    s.UserGateCount = 50;
    s.ProfileGateVisible[40] = 1;
    s.LineWidths[40] = 3;
    ProfileAttributesReadout r;
    for (int32_t i = 0; i < ProfileTemplateGates(false); ++i) {
        r.GateVisible[i] = i % 2;
        r.WidthSelection[i] = 3;  // entry k is stored as k + 1
    }
    r.WidthSelection[102] = 0;
    ApplyProfileAttributes(r, 1, s.UserGateCount, s);
    EXPECT_EQ(s.ProfileGateVisible[0], 0);
    EXPECT_EQ(s.ProfileGateVisible[1], 1);
    EXPECT_EQ(s.LineWidths[29], 4);
    EXPECT_EQ(s.LineWidths[102], 1);
    // Gates 31-100 keep their rows, and no numbers row is hidden.
    EXPECT_EQ(s.ProfileGateVisible[40], 1);
    EXPECT_EQ(s.LineWidths[40], 3);
    EXPECT_EQ(s.NumbersGateVisible, SettingsValues{}.NumbersGateVisible);

    // The extended template: numbers boxes only for the gates in use.
    ProfileAttributesReadout x;
    x.NumbersVisible.fill(0);
    ApplyProfileAttributes(x, 2, 50, s);
    EXPECT_EQ(s.NumbersGateVisible[49], 0);
    EXPECT_EQ(s.NumbersGateVisible[50], 1);
    EXPECT_TRUE(ReloadsClean(s));
}
