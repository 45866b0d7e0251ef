// The map window in this process: the GPS map's first fix, track points and the same-pixel
// rule, the track rebuilt from stored sentences keeping the last position's pane pixel across
// a change of scale, and the review map painted from a file's records.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/common/shown_reading_test_peer.h"
#include "tests/common/win_test_util.h"

#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/records.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/map_window_win.h"
#include "vlox/instruments/gps.h"
#include "vlox/instruments/utm.h"
#include "vlox/settings/settings.h"

#include <cstdio>
#include <string>

namespace {

uint64_t SmallMemory()
{
    return 146000;
}

// Counts of pure red, blue and black pixels of the map's client area.
struct Colours {
    int red = 0, blue = 0, black = 0;
};

Colours MapColours()
{
    HDC dc = GetDC(hWndMap);
    Colours c;
    for (int y = 0; y < MapPaneSize; ++y)
        for (int x = 0; x < MapPaneSize; ++x) {
            const COLORREF p = GetPixel(dc, x, y);
            c.red += p == RGB(255, 0, 0);
            c.blue += p == RGB(0, 0, 255);
            c.black += p == RGB(0, 0, 0);
        }
    ReleaseDC(hWndMap, dc);
    return c;
}

std::string Record(const std::string& text)
{
    std::string r = text;
    r.resize(58, ' ');
    return r + "\r\n";
}

HANDLE FileWith(const wchar_t* name, const std::string& bytes)
{
    HANDLE f =
        CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return f;
}

class MapWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(RegisterMapWndClass(Instance()), 0);
        parent = CreateWindowExW(0, L"STATIC", L"maps", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr,
                                 Instance(), nullptr);
        hWndMap = CreateWindowExW(0, L"MapWnd", nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 168, 168, parent, nullptr,
                                  Instance(), nullptr);
        ASSERT_NE(hWndMap, nullptr);
        MapPaneSize = 168;
        CreateDrawingObjects();
        CreateMapPens(0);
        MapFreeMemoryBytes = SmallMemory;
    }

    void SetUp() override
    {
        Settings = SettingsValues{};
        Settings.GpsInput = 1;
        Settings.MapSize = 50.0;
        Settings.MapGridInterval = 10.0;
        MapLayoutMode = 1;
        ReviewMode = -1;
        GpsFix = GpsFixValues{};
        GpsFix.GpsOriginEasting = GpsFix.GpsEasting = 500000.0;
        GpsFix.GpsOriginNorthing = GpsFix.GpsNorthing = 5000000.0;
        GpsFix.GpsOriginSet = 1;
    }

    static inline HWND parent = nullptr;
};

}  // namespace

TEST_F(MapWindow, FirstFixTrackPointsAndOnePointPerPixel)
{
    ASSERT_EQ(SetupMapView(), 1);  // one reduction for 146000 bytes free
    EXPECT_EQ(GpsTrack.Capacity, 12600);
    EXPECT_EQ(SetupMapView(), -1);  // the arrays exist
    POINT cross{};
    PlotGpsPosition(hWndMap, 1, 1, &cross);
    EXPECT_EQ(GpsTrackPointCount(), 0) << "the first fix stores nothing";
    EXPECT_EQ(cross.x, MapViewport.Cx - 1);  // the pane pixel of the track pixel cx
    EXPECT_GT(MapColours().blue, 8);
    PlotGpsPosition(hWndMap, 1, 1, &cross);
    PlotGpsPosition(hWndMap, 1, 1, &cross);
    EXPECT_EQ(GpsTrackPointCount(), 1) << "two fixes on one pixel make one point";
    GpsFix.GpsEasting += 3.0;
    PlotGpsPosition(hWndMap, 1, 1, &cross);
    EXPECT_EQ(GpsTrackPointCount(), 2);
    EXPECT_EQ(cross.x, MapViewport.Cx - 1 + 9);  // 3 m at 3.3 px/m
    const Colours c = MapColours();
    EXPECT_GT(c.red, 10);
    EXPECT_GT(c.blue, 8);
    EXPECT_LT(c.blue, 20) << "the old cross was not erased";
    // Far away: the view re-centres on the fix, the pane holds the cross alone.
    GpsFix.GpsEasting += 800.0;
    PlotGpsPosition(hWndMap, 0, 1, &cross);
    EXPECT_EQ(cross.x, MapViewport.Cx - 1);
    EXPECT_EQ(MapColours().red, 0);
}

TEST_F(MapWindow, RebuiltTrackKeepsTheLastPositionAcrossAScaleChange)
{
    SetupMapView();
    const double lat = 45.5, lon = -75.5;
    int32_t zone = 0;
    double north = 0, east = 0;
    ASSERT_EQ(LatLonToUtm(lat, lon, zone, north, east, 0), 1);
    GpsFix.GpsOriginEasting = east - 10.0;
    GpsFix.GpsOriginNorthing = north + 5.0;
    std::string file = Record("H1");
    for (const char* s : {"$GPGGA,101500.00,4530.000,N,07530.000,W,1,08,0.9,100.0,M,-34.0,M,,*00",
                          "$GNGGA,101501.00,4530.000,N,07530.000,W,1,08,0.9,100.0,M,-34.0,M,,*00"})
        for (const std::string& r : StoredTextRecords(s, 1, '@', '#'))
            file += r;
    DataFile = FileWith(L"C:\\maptrack.vlx", file);
    ASSERT_NE(DataFile, INVALID_HANDLE_VALUE);
    SetFilePointer(DataFile, 60, nullptr, FILE_BEGIN);

    LoadGpsTrackFromFile(hWndMap, 0);
    EXPECT_EQ(GpsTrack.Count, 2);  // $GNGGA counts
    const POINT before{GpsTrack.X[0] - MapViewport.ViewLeft, GpsTrack.Y[0] - MapViewport.ViewTop};
    PreviousPixelsPerMetre = PixelsPerMetre;
    PixelsPerMetre *= 2.5;
    LoadGpsTrackFromFile(hWndMap, 1);
    ASSERT_EQ(GpsTrack.Count, 2);
    EXPECT_EQ(GpsTrack.X[1] - MapViewport.ViewLeft, before.x);
    EXPECT_EQ(GpsTrack.Y[1] - MapViewport.ViewTop, before.y);
    EXPECT_EQ(SetFilePointer(DataFile, 0, nullptr, FILE_CURRENT), 60u);
    CloseHandle(DataFile);
    DataFile = INVALID_HANDLE_VALUE;
}

TEST_F(MapWindow, ReviewMapPaintsTheFilesStationsAndLoop)
{
    char line[64];
    std::snprintf(line, sizeof line, "L1%14.3f %2d", 0.0, 0);
    std::string file = Record("H1") + Record(line);
    for (double s : {0.0, 25.0, 50.0, 75.0, 100.0}) {
        std::snprintf(line, sizeof line, "S1%14.3f", s);
        file += Record(line);
    }
    HANDLE f = FileWith(L"C:\\mapreview.vlx", file);
    ScanFileMapExtents(f);
    EXPECT_NEAR(ReviewMapSize, 110.0, 1e-9);
    ReviewMode = 0;
    ShownReadingData shown;
    shown.Read = 1;
    shown.Reading.LoopShape = 0;
    shown.Reading.CentreX = 0.0;
    shown.Reading.CentreY = 50.0;
    shown.Reading.SideX = 50.0;
    ShownReadingTestPeer::Show(shown);
    ReviewPlace place;
    place.StationNumber = 50.0;
    ShownReadingTestPeer::Place(place);
    InvalidateRect(hWndMap, nullptr, TRUE);
    UpdateWindow(hWndMap);
    const Colours c = MapColours();
    EXPECT_GT(c.black, 20) << "no stations";
    EXPECT_GT(c.red, 50) << "no loop";
    ReviewMode = -1;
    CloseHandle(f);
}
