// The GPS map type driven from outside: V-LOX with GPS input on (fixes of a generated walk on
// a socat-linked COM7) and the grid map. The command (WM_COMMAND 40082, which no menu item
// carries) opens "GPS Map Type"; cancelled it changes nothing; each choice lands on line 490
// and shows its map (the GPS map takes the fixes' cross, the station map its green current
// station); corner fields holding no number, and corners that Survey Parameters' corner group
// would refuse, are refused here too, with the corner field named and the focus on it, and
// write nothing; a restart on the saved file keeps the choice and its corners without a
// reset. One program run (restarted twice) serves the suite; the tests run in the order written.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/maps/map_pictures.h"

#include "resources/resource.h"
#include "resources/view_ids.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

using e2e_maps::Checked;
using e2e_maps::Ink;
using e2e_maps::InkOf;
using e2e_maps::MapPicture;
using e2e_maps::OpenGpsMapType;
using e2e_maps::Walker;

// GPS input on COM7 (UTM metres shown) with the grid map, a manual survey.
std::string Configuration()
{
    SettingsValues s;
    s.GpsInput = 1;
    s.GpsComPort = 6;
    s.GpsMapType = 0;
    s.GpsCoordinateDisplay = 1;
    s.MapSize = 50.0;
    s.MapGridInterval = 10.0;
    static NullTableValues nulls;
    const int32_t selected[RepRateCount] = {};
    return ComposeConfigurationFile(s, nulls, selected, NullTimeStamp{});
}

// The corner fields of the GPS map type: X1, Y1, ... X4, Y4.
constexpr int CornerFieldCount = 8;

const wchar_t GpsMapTypeFolder[] = L"C:\\vloxmaptype";

class GpsMapTypeRun : public e2e::VloxSuite<GpsMapTypeRun> {
protected:
    static void SetUpTestSuite()
    {
        gps = new e2e::SerialLink;
        std::wstring error;
        if (!gps->Open(7, 27, &error)) {
            startError = "no serial pair: " + e2e::ToUtf8(error);
            return;
        }
        Begin(GpsMapTypeFolder, Configuration());
        Watch();
    }
    static void TearDownTestSuite()
    {
        e2e::VloxSuite<GpsMapTypeRun>::TearDownTestSuite();
        delete gps;
        gps = nullptr;
    }

    // The texts drawn on the main window are recorded from now on.
    static void Watch()
    {
        long count = 0;
        if (vlox != nullptr && mainWindow != nullptr)
            vlox->DrawnTextCount(mainWindow, &count);
    }

    static std::string Config()
    {
        std::vector<uint8_t> bytes;
        e2e::ReadFileBytes(std::wstring(GpsMapTypeFolder) + L"\\VLOXTARNWEL.INI", &bytes);
        return std::string(bytes.begin(), bytes.end());
    }

    static std::string ConfigLine(int n)
    {
        return e2e::ConfigLineOf(std::wstring(GpsMapTypeFolder) + L"\\VLOXTARNWEL.INI", n);
    }

    // Fixes are sent until V-LOX has drawn the northing of one (the GPS display is in UTM
    // metres), so that they reach the map of the layout in use, and on until the map shows the
    // mark of the layout expected (the GPS map's cross, the station map's green current
    // station) or 10 s have passed; the map's ink then.
    static Ink InkWithFixes(bool gpsMap)
    {
        long from = 0;
        vlox->DrawnTextCount(mainWindow, &from);
        Walker walk(*gps, walked);
        const bool fixed = e2e::WaitUntil(
            [from] {
                std::vector<e2e::DrawnText> texts;
                vlox->DrawnTexts(mainWindow, from, &texts);
                for (const e2e::DrawnText& t : texts)
                    if (t.text.size() > 2 && t.text.compare(t.text.size() - 2, 2, L" m") == 0 &&
                        std::wcstod(t.text.c_str(), nullptr) > 1e6)
                        return true;
                return false;
            },
            15000);
        EXPECT_TRUE(fixed) << "no fix reached V-LOX";
        e2e::WaitUntil(
            [gpsMap] {
                const Ink ink = InkOf(MapPicture(mainWindow));
                return gpsMap ? ink.blue > 0 : ink.green > 0;
            },
            10000);
        walked = walk.Next();
        vlox->WaitIdle(60000);
        return InkOf(MapPicture(mainWindow));
    }

    // Exit, then V-LOX started again on the file it saved: the file loads unchanged and no
    // box (no reset) comes.
    static void Restart()
    {
        const std::string saved = Config();
        DWORD code = 99;
        ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
        ASSERT_EQ(code, 0u);
        delete vlox;
        vlox = new e2e::Program;
        mainWindow = e2e::StartVloxPastSplash(*vlox, GpsMapTypeFolder, &startError, saved);
        ASSERT_NE(mainWindow, nullptr) << startError;
        Watch();
        ASSERT_TRUE(vlox->WaitIdle(60000));
        EXPECT_EQ(Config(), saved);
        for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen())
            ADD_FAILURE() << e2e::ToUtf8(box.caption) << ": " << e2e::ToUtf8(box.text);
    }

    static inline e2e::SerialLink* gps = nullptr;
    static inline int walked = 0;
};

}  // namespace

TEST_F(GpsMapTypeRun, CancelChangesNothing)
{
    const std::string before = Config();
    // The map is painted once V-LOX has started; on a busy machine that comes later.
    e2e::WaitUntil([] { return InkOf(MapPicture(mainWindow)).green > 0; }, 60000);
    EXPECT_GT(InkOf(MapPicture(mainWindow)).green, 0) << "the grid map shows no current station";
    HWND dialog = OpenGpsMapType(*vlox, mainWindow);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(e2e::Control(dialog, IDC_GPSMAP_GRID)));
    EXPECT_TRUE(e2e::TextOf(e2e::Control(dialog, IDC_GPSMAP_NOTE)).empty());
    EXPECT_FALSE(e2e::IsEnabled(e2e::Control(dialog, IDC_GPSMAP_CORNER_FIELD1)));
    Click(dialog, IDC_GPSMAP_CORNERS);
    EXPECT_TRUE(e2e::IsEnabled(e2e::Control(dialog, IDC_GPSMAP_CORNER_FIELD1)));
    Type(dialog, IDC_GPSMAP_CORNER_FIELD1, L"123");
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    EXPECT_EQ(Config(), before);
    const Ink ink = InkWithFixes(false);
    EXPECT_EQ(ink.blue, 0) << "a GPS cross on the grid map";
    EXPECT_GT(ink.green, 0);
}

TEST_F(GpsMapTypeRun, TheLoopAtTheFirstStationShowsTheGpsMap)
{
    HWND dialog = OpenGpsMapType(*vlox, mainWindow);
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_GPSMAP_FIRST_STATION);
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(490), "1");
    const Ink ink = InkWithFixes(true);
    EXPECT_GT(ink.blue, 0) << "no GPS cross";
    EXPECT_EQ(ink.green, 0) << "the station map is still shown";
}

TEST_F(GpsMapTypeRun, CornersAreRefusedAsInSurveyParametersThenSaved)
{
    HWND dialog = OpenGpsMapType(*vlox, mainWindow);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(e2e::Control(dialog, IDC_GPSMAP_FIRST_STATION)));
    Click(dialog, IDC_GPSMAP_CORNERS);
    // Degrees with a corner off the globe.
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPSMAP_CORNER_TYPE), 0));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_FALSE(e2e::IsEnabled(e2e::Control(dialog, IDC_GPSMAP_ZONE)));
    const std::string before = Config();
    // Letters in a corner field.
    Type(dialog, IDC_GPSMAP_CORNER_FIELD1 + 2, L"2OO");
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    EXPECT_EQ(e2e::AnswerBoxOver(*vlox, dialog), L"Tx Corner 2 X: \"2OO\" is not a number. Press OK and correct");
    ASSERT_TRUE(IsWindow(dialog)) << "the refused OK closed the dialog";
    EXPECT_EQ(e2e::FocusedWindow(dialog), e2e::Control(dialog, IDC_GPSMAP_CORNER_FIELD1 + 2));
    EXPECT_EQ(Config(), before) << "the refused OK wrote the file";

    const wchar_t* degrees[CornerFieldCount] = {L"-79", L"43", L"-79", L"93", L"-79.001", L"43.001", L"-79.001", L"43"};
    for (int i = 0; i < CornerFieldCount; ++i)
        Type(dialog, IDC_GPSMAP_CORNER_FIELD1 + i, degrees[i]);
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    HWND box = vlox->WaitMessageBox(L"Transmitter Size Invalid", 10000);
    ASSERT_NE(box, nullptr);
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &info));
    EXPECT_EQ(info.text, L"Tx Corner 2 Y: Geodetic corners must lie within -180..180 (X) and -90..90 (Y) degrees");
    ASSERT_TRUE(e2e::PressButton(box, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([box] { return !IsWindow(box); }, 10000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(IsWindow(dialog)) << "the refused OK closed the dialog";
    EXPECT_EQ(e2e::FocusedWindow(dialog), e2e::Control(dialog, IDC_GPSMAP_CORNER_FIELD1 + 3));
    EXPECT_EQ(Config(), before) << "the refused OK wrote the file";

    // UTM metres, zone 12 south: a loop of 100 m by 50 m.
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPSMAP_CORNER_TYPE), 1));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(e2e::IsEnabled(e2e::Control(dialog, IDC_GPSMAP_ZONE)));
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPSMAP_ZONE), 11));
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPSMAP_HEMISPHERE), 1));
    const wchar_t* utm[CornerFieldCount] = {L"500000", L"4000000", L"500100", L"4000000",
                                            L"500100", L"4000050", L"500000", L"4000050"};
    for (int i = 0; i < CornerFieldCount; ++i)
        Type(dialog, IDC_GPSMAP_CORNER_FIELD1 + i, utm[i]);
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(59), "1");
    EXPECT_EQ(ConfigLine(60), "12");
    EXPECT_EQ(ConfigLine(61), "1");
    EXPECT_EQ(ConfigLine(62), "500000.000");
    EXPECT_EQ(ConfigLine(67), "4000050.000");
    EXPECT_EQ(ConfigLine(490), "2");
    const Ink ink = InkWithFixes(true);
    EXPECT_GT(ink.blue, 0) << "no GPS cross";
    EXPECT_EQ(ink.green, 0) << "the station map is shown";
}

TEST_F(GpsMapTypeRun, TheCornersChoiceSurvivesARestart)
{
    Restart();
    const Ink ink = InkWithFixes(true);
    EXPECT_GT(ink.blue, 0) << "the GPS map is not back after the restart";
    EXPECT_EQ(ink.green, 0);
    HWND dialog = OpenGpsMapType(*vlox, mainWindow);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(e2e::Control(dialog, IDC_GPSMAP_CORNERS)));
    EXPECT_EQ(e2e::TextOf(e2e::Control(dialog, IDC_GPSMAP_CORNER_FIELD1 + 5)), L"4000050.000");
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
}

TEST_F(GpsMapTypeRun, TheGridBringsTheStationMapBackAndSurvivesARestart)
{
    HWND dialog = OpenGpsMapType(*vlox, mainWindow);
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_GPSMAP_GRID);
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(490), "0");
    EXPECT_EQ(ConfigLine(62), "500000.000") << "the corners are kept";
    Ink ink = InkWithFixes(false);
    EXPECT_GT(ink.green, 0) << "no station map";
    EXPECT_EQ(ink.blue, 0) << "a GPS cross on the station map";

    Restart();
    ink = InkWithFixes(false);
    EXPECT_GT(ink.green, 0) << "no station map after the restart";
    EXPECT_EQ(ink.blue, 0);
    DWORD code = 99;
    EXPECT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
}
