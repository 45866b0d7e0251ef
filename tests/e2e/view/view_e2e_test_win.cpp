// The view commands and the display and instrument settings dialogs of V-LOX, driven from
// outside as an operator would, on one program run with GPS input on COM5:
// - Profile View and Decay View move their check marks (read inside the program) and save
//   the view;
// - Plot Scale Setup corrects its ranges on OK, saves them and redraws the plot in the new
//   unit; Cancel saves nothing; the scale steps move the amplitude axis;
// - Map Options corrects the grid and keeps the zoom step; Zoom In and Shift Map Left from
//   the Map menu move the station map (screenshot view_station_map.png in the run folder);
// - Profile Plot Attributes of the 30-gate template saves the rows it has and leaves gates 31
//   to 100 as they were; the colour chooser cancelled and the dialog cancelled change nothing;
// - GPS Coordinates saves its choice;
// - GPS Port Setup moves the reader from COM5 to COM6 while NMEA flows on both: the positions
//   of COM6 reach the GPS fields and the bytes COM5 carries afterwards all reach the test, so
//   no reader is left on it.
// Every saved file loads without a corrupt-configuration reset (no box at any time).
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"

#include "resources/resource.h"
#include "resources/view_ids.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxview";
const std::wstring ConfigPath = std::wstring(RunFolder) + L"\\VLOXTARNWEL.INI";

// A GGA sentence at the given latitude minutes (degrees and minutes, "ddmm.mmmmm").
std::string GgaAt(const char* latitude, int second)
{
    char body[128];
    std::snprintf(body, sizeof body, "GPGGA,1015%02d.00,%s,N,07530.00000,W,1,08,0.9,100.0,M,-34.0,M,,", second % 60,
                  latitude);
    return e2e::NmeaLine(body);
}

// Sends a fix every 200 ms from a thread of its own while it lives.
class Feed {
public:
    Feed(e2e::SerialLink& link, const char* latitude)
        : thread_([this, &link, latitude] {
              for (int i = 0; !stop_; ++i) {
                  link.Write(GgaAt(latitude, i));
                  Sleep(200);
              }
          })
    {
    }
    ~Feed()
    {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string Configuration()
{
    SettingsValues s;
    s.GpsInput = 1;    // External
    s.GpsComPort = 4;  // COM5
    s.MapSize = 200.0;
    s.MapGridInterval = 20.0;
    auto nulls = std::make_unique<NullTableValues>();
    const int32_t none[RepRateCount] = {};
    return ComposeConfigurationFile(s, *nulls, none, NullTimeStamp{});
}

std::string ConfigLine(int n)
{
    return e2e::ConfigLineOf(ConfigPath, n);
}

std::vector<uint8_t> ConfigBytes()
{
    std::vector<uint8_t> bytes;
    e2e::ReadFileBytes(ConfigPath, &bytes);
    return bytes;
}

class VloxView : public e2e::VloxSuite<VloxView> {
protected:
    static void SetUpTestSuite()
    {
        gps5 = new e2e::SerialLink;
        gps6 = new e2e::SerialLink;
        std::wstring error;
        if (!gps5->Open(5, 21, &error) || !gps6->Open(6, 22, &error)) {
            startError = "serial links: " + e2e::ToUtf8(error);
            return;
        }
        Begin(RunFolder, Configuration());
        if (mainWindow != nullptr)
            vlox->RecordTextsOfChild(mainWindow, e2e::Control(mainWindow, IDC_CURVE_WND));
    }

    static void TearDownTestSuite()
    {
        e2e::VloxSuite<VloxView>::TearDownTestSuite();
        delete gps5;
        delete gps6;
    }

    static bool Checked(UINT item)
    {
        UINT state = 0;
        return vlox->MenuState(mainWindow, item, &state) && (state & MF_CHECKED) != 0;
    }

    // Texts drawn from sequence `from` on.
    static std::vector<std::wstring> TextsSince(long from)
    {
        std::vector<e2e::DrawnText> drawn;
        std::vector<std::wstring> texts;
        vlox->DrawnTexts(mainWindow, from, &drawn);
        for (const e2e::DrawnText& t : drawn)
            texts.push_back(t.text);
        return texts;
    }

    static long TextCount()
    {
        long count = 0;
        vlox->DrawnTextCount(mainWindow, &count);
        return count;
    }

    static int DrawnCount(long from, const std::wstring& prefix)
    {
        int n = 0;
        for (const std::wstring& t : TextsSince(from))
            if (t.compare(0, prefix.size(), prefix) == 0)
                ++n;
        return n;
    }
    static bool DrawnSince(long from, const std::wstring& prefix) { return DrawnCount(from, prefix) > 0; }

    static inline e2e::SerialLink* gps5 = nullptr;
    static inline e2e::SerialLink* gps6 = nullptr;
};

}  // namespace

TEST_F(VloxView, ProfileAndDecayViewMoveTheirCheckMarks)
{
    EXPECT_TRUE(Checked(IDM_DECAY_VIEW));
    EXPECT_FALSE(Checked(IDM_PROFILE_VIEW));
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_PROFILE_VIEW));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(Checked(IDM_PROFILE_VIEW));
    EXPECT_FALSE(Checked(IDM_DECAY_VIEW));
    EXPECT_EQ(ConfigLine(25), "1");
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_DECAY_VIEW));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(Checked(IDM_DECAY_VIEW));
    EXPECT_FALSE(Checked(IDM_PROFILE_VIEW));
    EXPECT_EQ(ConfigLine(25), "0");
}

TEST_F(VloxView, PlotScaleCorrectsSavesAndRedrawsInTheNewUnit)
{
    // Cancel keeps the file as it was.
    const std::vector<uint8_t> before = ConfigBytes();
    HWND dialog = OpenDialog(IDM_SCALE, L"Plot Scale Setup");
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_SCALE_AMPLITUDE_MAX, L"77");
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    EXPECT_EQ(ConfigBytes(), before);

    dialog = OpenDialog(IDM_SCALE, L"Plot Scale Setup");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::TextOf(e2e::Control(dialog, IDC_SCALE_TIME_MIN)), L"0.005");
    Type(dialog, IDC_SCALE_TIME_MIN, L"0");
    Type(dialog, IDC_SCALE_TIME_MAX, L"0");
    Type(dialog, IDC_SCALE_AMPLITUDE_MIN, L"-0.5");
    Type(dialog, IDC_SCALE_AMPLITUDE_MAX, L"5");
    Type(dialog, IDC_SCALE_LINEAR_MIN, L"-0.2");
    Type(dialog, IDC_SCALE_LINEAR_MAX, L"0.5");
    ASSERT_TRUE(e2e::PostCommand(dialog, IDC_SCALE_UNIT_FIRST + 1));  // "mV"
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_SCALE_STATIONS), 9));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(e2e::TextOf(e2e::Control(dialog, IDC_SCALE_AMPLITUDE_MIN_UNIT)), L"mV");
    const long drawnBefore = TextCount();
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(15), "0.001000");
    EXPECT_EQ(ConfigLine(16), "0.100000");
    EXPECT_EQ(ConfigLine(17), "-1.000000");
    EXPECT_EQ(ConfigLine(18), "10.000000");
    EXPECT_EQ(ConfigLine(21), "1");
    EXPECT_EQ(ConfigLine(74), "-1.000000");
    EXPECT_EQ(ConfigLine(75), "1.000000");
    // The curve window drew its frame again, captioned in the new unit.
    EXPECT_TRUE(e2e::WaitUntil([&] { return DrawnSince(drawnBefore, L"mV"); }, 60000));
}

TEST_F(VloxView, ScaleStepsMoveTheAmplitudeAxis)
{
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_TOP_OF_SCALE_UP));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(ConfigLine(18), "20.000000");
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_TOP_OF_SCALE_DOWN));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(ConfigLine(18), "10.000000");
    // Below 10 the live plot is drawn with the new top: its frame's top label reads 9.
    const long from = TextCount();
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_TOP_OF_SCALE_DOWN));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(ConfigLine(18), "9.000000");
    HWND curve = e2e::Control(mainWindow, IDC_CURVE_WND);
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            std::vector<e2e::DrawnText> drawn;
            vlox->DrawnTexts(mainWindow, from, &drawn);
            for (const e2e::DrawnText& t : drawn)
                if (t.window == curve && t.text == L"9" && t.x < 60 && t.y < 20)
                    return true;
            return false;
        },
        5000))
        << "the curve window kept the top of 10";
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_TOP_OF_SCALE_UP));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(ConfigLine(18), "10.000000");
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_BOTTOM_OF_SCALE_UP));  // -1 up is 0
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(ConfigLine(17), "0.000000");
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_BOTTOM_OF_SCALE_DOWN));  // 0 down is -1
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_EQ(ConfigLine(17), "-1.000000");
}

TEST_F(VloxView, MapOptionsAndTheMapMenuMoveTheStationMap)
{
    // The station map was fitted to the loop at start; Cancel keeps that size.
    const std::string size = ConfigLine(491);
    HWND dialog = OpenDialog(IDM_MAP_OPTIONS, L"Map Options");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::ToUtf8(e2e::TextOf(e2e::Control(dialog, IDC_MAP_SIZE))) + "0000", size);
    Type(dialog, IDC_MAP_SIZE, L"150");
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    EXPECT_EQ(ConfigLine(491), size);

    dialog = OpenDialog(IDM_MAP_OPTIONS, L"Map Options");
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_MAP_SIZE, L"100");
    Type(dialog, IDC_MAP_GRID_INTERVAL, L"2");  // 50 cells: a tenth of the map instead
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_MAP_ZOOM_STEP), 6));
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(491), "100.000000");
    EXPECT_EQ(ConfigLine(492), "10.000000");
    EXPECT_EQ(ConfigLine(493), "6");

    HWND map = e2e::Control(mainWindow, IDC_MAP_WND);
    ASSERT_TRUE(vlox->WaitDrawn(map, 60000));
    e2e::RgbImage before, zoomed, shifted;
    ASSERT_TRUE(e2e::CaptureWindow(map, &before));
    // Zoom Out (Zoom In is refused: the 100 m loop fills the 100 m map already).
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_ZOOM_OUT));
    ASSERT_TRUE(vlox->WaitDrawn(map, 60000));
    ASSERT_TRUE(e2e::CaptureWindow(map, &zoomed));
    EXPECT_NE(zoomed.rgb, before.rgb) << "Zoom Out left the station map as it was";
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_SHIFT_MAP_LEFT));
    ASSERT_TRUE(vlox->WaitDrawn(map, 60000));
    ASSERT_TRUE(e2e::CaptureWindow(map, &shifted));
    EXPECT_NE(shifted.rgb, zoomed.rgb) << "Shift Map Left left the station map as it was";
    EXPECT_TRUE(e2e::CaptureWindowToPng(map, std::wstring(RunFolder) + L"\\view_station_map.png"));
}

TEST_F(VloxView, AttributesOfTheStandardTemplateKeepTheRowsItLacks)
{
    HWND dialog = OpenDialog(IDM_ATTRIBUTES, L"Profile Plot Attributes");
    ASSERT_NE(dialog, nullptr);
    // The 30-gate template: rows 1 to 30 and the decay rows, nothing for gate 31.
    EXPECT_NE(e2e::Control(dialog, IDC_PROFILE_GATE_BASE + 29), nullptr);
    EXPECT_EQ(e2e::Control(dialog, IDC_PROFILE_GATE_BASE + 30), nullptr);
    EXPECT_NE(e2e::Control(dialog, IDC_PROFILE_WIDTH_BASE + 102), nullptr);

    // The colour chooser cancelled, then the dialog cancelled: no width or colour changes.
    std::vector<std::string> before;
    for (int line = 76; line <= 481; ++line)
        before.push_back(ConfigLine(line));
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_PROFILE_WIDTH_BASE + 1), 3));
    ASSERT_TRUE(e2e::PostCommand(dialog, IDC_PROFILE_SAMPLE_BASE + 0, BN_CLICKED));
    HWND chooser = vlox->WaitMessageBox(L"Color", 60000);
    ASSERT_NE(chooser, nullptr);
    ASSERT_TRUE(CloseDialog(chooser, IDCANCEL));
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    for (int line = 76; line <= 481; ++line)
        EXPECT_EQ(ConfigLine(line), before[line - 76]) << line;

    dialog = OpenDialog(IDM_ATTRIBUTES, L"Profile Plot Attributes");
    ASSERT_NE(dialog, nullptr);
    PostMessageW(e2e::Control(dialog, IDC_PROFILE_GATE_BASE + 0), BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_PROFILE_WIDTH_BASE + 0), 3));
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_PROFILE_WIDTH_BASE + 102), 0));
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(76), "0");   // gate 1 not plotted
    EXPECT_EQ(ConfigLine(276), "4");  // its width: entry 3 is 4 pixels
    EXPECT_EQ(ConfigLine(378), "1");  // the final decay curve, entry 0
    EXPECT_EQ(ConfigLine(106), "1");  // gate 31, which the template has no row for
    EXPECT_EQ(ConfigLine(316), "2");  // its width as it was
    EXPECT_EQ(ConfigLine(176), "1");  // no numbers row hidden
}

TEST_F(VloxView, GpsPortSetupMovesTheReaderToTheNewPort)
{
    auto old = std::make_unique<Feed>(*gps5, "4530.00000");
    Feed next(*gps6, "1215.00000");
    long from = TextCount();
    ASSERT_TRUE(e2e::WaitUntil([&] { return DrawnSince(from, L"N45"); }, 60000)) << "no position from COM5";

    HWND dialog = OpenDialog(IDM_GPS_PORT_SETUP, L"GPS Port Setup");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPS_PORT), 5));  // "COM6:"
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPS_NMEA), 1));  // "GGA"
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(482), "1");
    EXPECT_EQ(ConfigLine(483), "1");
    EXPECT_EQ(ConfigLine(484), "5");

    from = TextCount();
    EXPECT_TRUE(e2e::WaitUntil([&] { return DrawnSince(from, L"N12"); }, 60000)) << "no position from COM6";
    // Nothing from COM5 is shown any more while the fixes from COM6 go on (both feeds send
    // five a second), and what COM5 carries now reaches whoever opens it whole: no reader of
    // V-LOX is left taking bytes from it.
    from = TextCount();
    EXPECT_TRUE(e2e::WaitUntil([&] { return DrawnCount(from, L"N12") >= 8; }, 60000)) << "COM6 fell silent";
    EXPECT_FALSE(DrawnSince(from, L"N45"));
    old.reset();
    HANDLE port = CreateFileW(L"\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = 50;
    t.ReadTotalTimeoutConstant = 100;
    SetCommTimeouts(port, &t);
    PurgeComm(port, PURGE_RXCLEAR);
    const std::string probe = "PROBE-0123456789-ABCDEFGHIJ-0123456789\r\n";
    ASSERT_TRUE(gps5->Write(probe));
    // The last fixes the old feed wrote may still come through ahead of it.
    std::string got;
    const DWORD start = GetTickCount();
    while (got.find(probe) == std::string::npos && GetTickCount() - start < 60000) {
        char buffer[128];
        DWORD n = 0;
        if (ReadFile(port, buffer, sizeof buffer, &n, nullptr) && n > 0)
            got.append(buffer, n);
    }
    CloseHandle(port);
    EXPECT_NE(got.find(probe), std::string::npos) << got;
}

TEST_F(VloxView, GpsCoordinatesSavesTheDisplay)
{
    HWND dialog = OpenDialog(IDM_GPS_COORDINATES, L"GPS Coordinates");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPS_COORDINATES_DISPLAY), 2));
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    EXPECT_EQ(ConfigLine(489), "0");
    dialog = OpenDialog(IDM_GPS_COORDINATES, L"GPS Coordinates");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPS_COORDINATES_DISPLAY), 1));
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_EQ(ConfigLine(489), "1");
}

TEST_F(VloxView, ExitAfterwardsWithNoBoxSeen)
{
    DWORD code = 1;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen()) {
        const std::wstring c = box.caption;
        const bool ours = c == L"Plot Scale Setup" || c == L"Map Options" || c == L"Profile Plot Attributes" ||
                          c == L"Color" || c == L"GPS Coordinates" || c == L"GPS Port Setup";
        EXPECT_TRUE(ours) << e2e::ToUtf8(c) << ": " << e2e::ToUtf8(box.text);
    }
    // The last saved file loads without a corrupt-configuration reset.
    std::vector<uint8_t> bytes = ConfigBytes();
    SettingsValues s;
    SettingsDerived d;
    auto nulls = std::make_unique<NullTableValues>();
    ASSERT_EQ(LoadConfiguration(std::string(bytes.begin(), bytes.end()), s, d, *nulls, ConfigLoadEnvironment{}), 1);
    EXPECT_EQ(d.ConfigInvalid, 0);
}
