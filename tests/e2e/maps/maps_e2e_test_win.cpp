// The map window and the GPS monitor driven from outside, through a real serial port (a socat
// pair linked as a COM port of the run's prefix):
//
// GpsMapRun: V-LOX with GPS input on and the GPS map. A generated walk of GGA sentences moves
// the cross (the map scrolls with it); in an automatic survey the fixes of averaged readings
// leave the red track (screenshot maps_gps_track.png beside the test); the GPS monitor
// lists the raw lines on the screen (maps_gps_monitor.png), Pause stops the list, Go resumes
// it, keypad 7 and F1 act as g and p, Exit gives the port back to the normal reader; an
// unplugged feed hangs nothing. Each kept screenshot is the picture the test checked.
//
// StationMapRun: V-LOX without GPS: the GPS map type offers only the grid, and says why;
// three stored readings show as stations on the station map (maps_station_map.png); Zoom+,
// Zoom-, the shifts and Fit All move the picture, and keep the stations with their index file
// emptied (a paint reads no file).
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/maps/map_pictures.h"

#include "resources/resource.h"
#include "resources/view_ids.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using e2e_maps::Checked;
using e2e_maps::Ink;
using e2e_maps::InkOf;
using e2e_maps::KeepPicture;
using e2e_maps::MapPicture;
using e2e_maps::OpenGpsMapType;
using e2e_maps::Walker;

std::string Configuration(int gpsInput)
{
    SettingsValues s;
    s.GpsInput = gpsInput;
    s.GpsComPort = 8;  // COM9
    s.GpsMapType = gpsInput != 0 ? 1 : 0;
    s.GpsCoordinateDisplay = 1;
    s.AveragingTimeIndex = 1;              // 1 s readings
    s.SurveyMode = gpsInput != 0 ? 1 : 0;  // the GPS walk is an automatic survey
    s.MapSize = gpsInput != 0 ? 50.0 : 100.0;
    s.MapGridInterval = 10.0;
    s.MapShowReferencePoint = 0;  // the stations are then the only black on the station map
    static NullTableValues nulls;
    const int32_t selected[RepRateCount] = {};
    return ComposeConfigurationFile(s, nulls, selected, NullTimeStamp{});
}

int ListCount(HWND list)
{
    DWORD_PTR count = 0;
    if (SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count) == 0)
        return -1;
    return static_cast<int>(count);
}

class GpsMapRun : public e2e::VloxSuite<GpsMapRun> {
protected:
    static void SetUpTestSuite()
    {
        gps = new e2e::SerialLink;
        std::wstring error;
        if (!gps->Open(9, 29, &error)) {
            startError = "no serial pair: " + e2e::ToUtf8(error);
            return;
        }
        Begin(L"C:\\vloxmaps", Configuration(1));
    }
    static void TearDownTestSuite()
    {
        e2e::VloxSuite<GpsMapRun>::TearDownTestSuite();
        delete gps;
        gps = nullptr;
    }
    static inline e2e::SerialLink* gps = nullptr;
    static inline int walked = 0;
};

class StationMapRun : public e2e::VloxSuite<StationMapRun> {
protected:
    static void SetUpTestSuite() { Begin(L"C:\\vloxstations", Configuration(0)); }
};

}  // namespace

TEST_F(GpsMapRun, TheCrossFollowsTheWalkAndTheMapScrolls)
{
    const Ink before = InkOf(MapPicture(mainWindow));
    EXPECT_EQ(before.blue, 0) << "a cross before any fix";
    {
        Walker walk(*gps, 0);
        ASSERT_TRUE(e2e::WaitUntil([] { return InkOf(MapPicture(mainWindow)).blue > 0; }, 60000))
            << "no cross on the map";
        // 40 fixes 2 m north and 2 m east each: at the start the live map is fitted to the
        // 100 m loop (1.3 px/m), so they run past the pane and the view has scrolled.
        ASSERT_TRUE(e2e::WaitUntil([&] { return walk.Next() >= 40; }, 60000));
        walked = walk.Next();
    }
    ASSERT_TRUE(vlox->WaitDrawn(e2e::Control(mainWindow, IDC_MAP_WND), 60000));
    const Ink ink = InkOf(MapPicture(mainWindow));
    EXPECT_GT(ink.blue, 0);
    EXPECT_LE(ink.blue, 40) << "more than one cross: the old ones were not erased";
    EXPECT_GT(ink.grid, 100) << "the grid is missing after scrolling";
    EXPECT_EQ(ink.red, 0) << "track symbols without a reading";
}

TEST_F(GpsMapRun, AveragedFixesLeaveTheTrack)
{
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 60000)) << "Monitor did not start";
    HWND measure = e2e::Control(mainWindow, IDC_MEASURE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(measure) && e2e::IsEnabled(measure); }, 60000));
    // Automatic survey: every fix while a reading is averaged becomes a track point.
    ASSERT_TRUE(e2e::ClickButton(measure));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_STOP); }, 60000)) << "the survey did not start";
    {
        Walker walk(*gps, walked);
        ASSERT_TRUE(e2e::WaitUntil([&] { return walk.Next() >= walked + 24; }, 60000));
        walked = walk.Next();
    }
    // The reader may still be taking the last fixes from the port: the track is drawn once
    // they have come through.
    EXPECT_TRUE(e2e::WaitUntil(
        [] {
            vlox->WaitDrawn(e2e::Control(mainWindow, IDC_MAP_WND), 60000);
            return InkOf(MapPicture(mainWindow)).red > 100;
        },
        60000));
    const e2e::RgbImage track = MapPicture(mainWindow);
    KeepPicture(track, L"maps_gps_track.png");
    const Ink ink = InkOf(track);
    EXPECT_GT(ink.red, 100) << "no track";
    EXPECT_GT(ink.blue, 0) << "no cross";
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_STOP)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_MEASURE); }, 60000)) << "the survey did not stop";
    ASSERT_TRUE(vlox->WaitIdle(60000));
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen())
        if (box.caption != L"Create Data File")
            ADD_FAILURE() << "message box " << e2e::ToUtf8(box.caption) << ": " << e2e::ToUtf8(box.text);
}

TEST_F(GpsMapRun, MonitorListsPausesAndGivesThePortBack)
{
    // Monitoring the board holds the GPS menu; stop it first.
    if (Shown(IDC_PAUSE)) {
        ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_PAUSE)));
        ASSERT_TRUE(vlox->WaitIdle(60000));
    }
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_MONITOR_GPS));
    HWND monitor = e2e::Control(mainWindow, IDC_MONITOR_GPS_WND);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(monitor); }, 60000)) << "the monitor did not open";
    HWND list = e2e::Control(monitor, IDC_MONITOR_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(e2e::IsShown(e2e::Control(monitor, IDC_MONITOR_PAUSE)));
    EXPECT_FALSE(e2e::IsShown(e2e::Control(monitor, IDC_MONITOR_GO)));
    EXPECT_TRUE(e2e::WaitUntil([] { return !Shown(IDC_MONITOR); }, 60000))
        << "the command buttons stay under the monitor";

    Walker walk(*gps, walked);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ListCount(list) >= 5; }, 60000)) << "no raw lines listed";
    const int listed = ListCount(list);
    // The monitor as the operator sees it: the list's lines in ink, and its buttons.
    ASSERT_TRUE(vlox->WaitDrawn(monitor, 60000));
    e2e::RgbImage screen;
    ASSERT_TRUE(e2e::CaptureClient(monitor, &screen));
    e2e::SavePng(screen, e2e::BinFolder() + L"\\maps_gps_monitor.png");
    EXPECT_GT(e2e::DarkPixels(screen, e2e::RectInParent(list)), 5 * 100) << "no lines on the screen";
    EXPECT_GT(e2e::DarkPixels(screen, e2e::RectInParent(e2e::Control(monitor, IDC_MONITOR_PAUSE))), 20);
    EXPECT_GT(e2e::DarkPixels(screen, e2e::RectInParent(e2e::Control(monitor, IDC_MONITOR_EXIT))), 20);

    ASSERT_TRUE(e2e::PostChar(monitor, L'p'));
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(e2e::Control(monitor, IDC_MONITOR_GO)); }, 60000));
    // A line read just before the pause may still come; then two seconds of fixes list
    // nothing. Both waits are counted in the walk's fixes.
    int fixes = walk.Next();
    ASSERT_TRUE(e2e::WaitUntil([&] { return walk.Next() >= fixes + 2; }, 60000));
    ASSERT_TRUE(vlox->WaitDrawn(monitor, 60000));
    const int paused = ListCount(list);
    EXPECT_GE(paused, listed);
    fixes = walk.Next();
    ASSERT_TRUE(e2e::WaitUntil([&] { return walk.Next() >= fixes + 8; }, 60000));
    ASSERT_TRUE(vlox->WaitDrawn(monitor, 60000));
    EXPECT_EQ(ListCount(list), paused) << "lines listed while paused";

    // F1's key-down pauses and keypad 7's goes on, as p and g do (they make no character).
    ASSERT_TRUE(e2e::PostKey(monitor, VK_NUMPAD7));
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListCount(list) > paused + 2; }, 60000)) << "keypad 7 did not resume";
    ASSERT_TRUE(e2e::PostKey(monitor, VK_F1));
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(e2e::Control(monitor, IDC_MONITOR_GO)); }, 60000))
        << "F1 did not pause";
    ASSERT_TRUE(e2e::PostChar(monitor, L'g'));
    const int resumed = ListCount(list);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListCount(list) > resumed + 2; }, 60000)) << "Go did not resume";

    // Tab to Exit, then Enter presses it.
    ASSERT_TRUE(e2e::PostChar(monitor, L'\t'));
    ASSERT_TRUE(e2e::PostChar(monitor, L'\r'));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsShown(monitor); }, 60000)) << "Exit did not close the monitor";
    EXPECT_TRUE(e2e::WaitUntil([] { return Shown(IDC_MONITOR); }, 60000)) << "the command buttons are not back";

    // The normal reader has the port again: the cross moves on the map.
    const e2e::RgbImage first = MapPicture(mainWindow);
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(e2e::WaitUntil([&] { return MapPicture(mainWindow).rgb != first.rgb; }, 60000))
        << "no fix reaches the map after the monitor";
    walked = walk.Next();
}

TEST_F(GpsMapRun, AnUnpluggedFeedHangsNothing)
{
    gps->Close();
    // Unplugged for longer than the GPS silence (3 s): part of what is tried, not a wait for
    // something to happen.
    Sleep(4000);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &answer), 0);
    DWORD code = 99;
    EXPECT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
}

TEST_F(StationMapRun, WithoutGpsInputTheMapTypeOffersOnlyTheGrid)
{
    HWND dialog = OpenGpsMapType(*vlox, mainWindow);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(e2e::Control(dialog, IDC_GPSMAP_GRID)));
    EXPECT_FALSE(e2e::IsEnabled(e2e::Control(dialog, IDC_GPSMAP_FIRST_STATION)));
    EXPECT_FALSE(e2e::IsEnabled(e2e::Control(dialog, IDC_GPSMAP_CORNERS)));
    EXPECT_FALSE(e2e::IsEnabled(e2e::Control(dialog, IDC_GPSMAP_CORNER_FIELD1)));
    EXPECT_EQ(e2e::TextOf(e2e::Control(dialog, IDC_GPSMAP_NOTE)),
              L"GPS input is disabled (GPS Port Setup): only the grid map can be shown.");
    ASSERT_TRUE(e2e::PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 10000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
}

TEST_F(StationMapRun, StoredStationsShowAndTheButtonsMoveTheMap)
{
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 60000)) << "Monitor did not start";
    for (int reading = 0; reading < 3; ++reading)
        ASSERT_EQ(e2e::MeasureAndStore(*vlox, mainWindow, 120000), "") << "reading " << reading;
    ASSERT_TRUE(vlox->WaitDrawn(e2e::Control(mainWindow, IDC_MAP_WND), 60000));
    const e2e::RgbImage stations = MapPicture(mainWindow);
    KeepPicture(stations, L"maps_station_map.png");
    const Ink ink = InkOf(stations);
    EXPECT_GT(ink.black, 10) << "no stations";
    EXPECT_GT(ink.green, 10) << "no current station";
    EXPECT_GT(ink.red, 10) << "no loop";
    EXPECT_GT(ink.grid, 100) << "no survey lines";

    // Mended: every paint read the station index (.tmp). Emptied now, the stations must stay
    // through every repaint below: they were read when they were stored.
    const std::wstring folder = e2e::UnixPathOf(L"C:\\Vlox_Data");
    ASSERT_EQ(e2e::RunUnixShell(L"n=0; for f in '" + folder +
                                L"'/*.tmp; do [ -s \"$f\" ] && : > \"$f\" && n=1; done; "
                                L"[ $n = 1 ]"),
              0)
        << "no station index emptied";
    HWND map = e2e::Control(mainWindow, IDC_MAP_WND);
    InvalidateRect(map, nullptr, TRUE);
    ASSERT_TRUE(vlox->WaitDrawn(map, 60000));
    EXPECT_TRUE(MapPicture(mainWindow).rgb == stations.rgb) << "a repaint read the emptied station index";
    e2e::RgbImage last = stations;
    for (int id : {IDC_ZOOM_OUT, IDC_ZOOM_IN, IDC_SHIFT_MAP_LEFT, IDC_SHIFT_MAP_UP, IDC_SHIFT_MAP_RIGHT,
                   IDC_SHIFT_MAP_DOWN, IDC_FIT_ALL}) {
        HWND button = e2e::Control(mainWindow, id);
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(button); }, 60000)) << id;
        ASSERT_TRUE(e2e::ClickButton(button)) << id;
        e2e::RgbImage now;
        EXPECT_TRUE(e2e::WaitUntil(
            [&] {
                vlox->WaitDrawn(e2e::Control(mainWindow, IDC_MAP_WND), 60000);
                now = MapPicture(mainWindow);
                return now.rgb != last.rgb;
            },
            60000))
            << "button " << id << " did not move the map";
        EXPECT_GT(InkOf(now).black, 5) << "button " << id << " lost the stations";
        last = now;
    }
    DWORD code = 99;
    EXPECT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
}
