// The field instruments end to end through real serial ports: a socat pseudo-terminal pair
// linked as COM ports of this run's Wine prefix carries a recorded NMEA capture at 4800 baud
// and meter frames at 19200 baud.
//
// InProcessLinks runs the links of this process (the real reader threads and handlers on a
// stand-in main window): positions reach the fields, sentences and meter values are stored
// in a data file, unplugging the feed gives the silence texts and nothing hangs.
// VloxProgram starts V-LOX itself with GPS input on and watches its GPS fields from outside.
#include "tests/e2e/harness/e2e_harness_win.h"

#include "resources/resource.h"
#include "tests/instruments/instrument_rig_win.h"

#include "vlox/datafile/datafile.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/store_inputs.h"
#include "vlox/instruments/nmea.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/ui/program_parts_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using rig::Narrow;
using rig::PumpFor;
using rig::PumpUntil;

// The capture's lines to send, without the comment lines, each with its CR LF.
std::vector<std::string> RecordedNmea()
{
    std::vector<uint8_t> bytes;
    const std::wstring path =
        e2e::FromUtf8(std::string("Z:") + VLOX_SOURCE_DIR + "/tests/e2e/instruments/receiver_4800.nmea");
    std::vector<std::string> lines;
    if (!e2e::ReadFileBytes(path, &bytes))
        return lines;
    std::string line;
    for (uint8_t b : bytes) {
        line.push_back(static_cast<char>(b));
        if (b == '\n') {
            if (line[0] != '#')
                lines.push_back(line);
            line.clear();
        }
    }
    return lines;
}

bool IsGood(const std::string& lineWithCrLf)
{
    return CheckNmeaSentence(lineWithCrLf.substr(0, lineWithCrLf.size() - 2)) == NmeaCheck::Good;
}

// Sends chunks (lines, frames) at the pace of a serial line (480 characters a second at 4800
// baud) from a thread of its own, so that the test's thread keeps serving the reader's
// messages. repeats 0: until stopped.
class Feeder {
public:
    Feeder(e2e::SerialLink& link, std::vector<std::string> chunks, int repeats = 1, int charsPerSecond = 480)
        : thread_([this, &link, chunks, repeats, charsPerSecond] {
              for (int r = 0; (repeats == 0 || r < repeats) && !stop_; ++r)
                  for (const std::string& c : chunks) {
                      if (stop_)
                          break;
                      ok_ = link.Write(c) && ok_;
                      Sleep(static_cast<DWORD>(c.size() * 1000 / charsPerSecond));
                  }
              done_ = true;
          })
    {
    }
    ~Feeder()
    {
        stop_ = true;
        thread_.join();
    }
    bool Done() const { return done_; }
    bool Ok() const { return ok_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::atomic<bool> ok_{true};
    std::thread thread_;
};

std::string MeterFrame(uint8_t mode, uint16_t r1, uint16_t r2)
{
    const uint8_t bytes[16] = {'T', mode, 0, 0, 0,    0,   uint8_t(r1 >> 8), uint8_t(r1), uint8_t(r2 >> 8), uint8_t(r2),
                               0,   0,    0, 0, 0xFF, 0xFF};
    return std::string(reinterpret_cast<const char*>(bytes), 16);
}

// The texts stored in a data file's '@'/'#' and '!' records, in order.
std::vector<std::string> StoredSentences(const std::vector<uint8_t>& file)
{
    std::vector<std::string> out;
    std::string current;
    bool open = false;
    for (size_t at = 0; at + 60 <= file.size(); at += 60) {
        const std::string record(file.begin() + at, file.begin() + at + 58);
        if (record[0] == '@') {
            current = record.substr(1);
            open = true;
        } else if (record[0] == '#' && open) {
            current += record.substr(1);
        } else if (record[0] == '!' && open) {
            while (!current.empty() && current.back() == ' ')
                current.pop_back();
            out.push_back(current);
            open = false;
        }
    }
    return out;
}

// Boxes of the links and the data file are answered at once: no operator here.
int WINAPI NoteBoxApi(HWND, LPCWSTR, LPCWSTR, UINT)
{
    return IDOK;
}

// One reading's record rows for the store (index 0 unused).
ReadingRecordResult StoredRows[3];
const ReadingRecordResult* StoredRowsSource()
{
    return StoredRows;
}
bool AveragingNow = false;
bool ReadingAveragedNow()
{
    return AveragingNow;
}

// CPU time of this process so far, milliseconds.
uint64_t ProcessCpuMs()
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto ms = [](const FILETIME& t) { return ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000; };
    return ms(kernel) + ms(user);
}

class InProcessLinks : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        SerialPortMessageBox = NoteBoxApi;
        DataFileMessageBox = NoteBoxApi;
        window = rig::MakeMainWindow();
        e2e::MakeEmptyFolder(L"C:\\vloxe2e");
        lstrcpyW(StartDirectory, L"C:\\vloxe2e");
        // The links as the program connects them, with this test's measurement state.
        ConnectProgramParts();
        GpsLinkInputs.ReadingAveraged = ReadingAveragedNow;
    }

    void SetUp() override
    {
        Settings = SettingsValues{};
        Settings.GpsInput = 1;
        Settings.GpsComPort = 4;    // COM5
        Settings.MeterComPort = 5;  // COM6
        SetNmeaFieldRoles();
        GpsFix = GpsFixValues{};
        AveragingNow = false;
    }

    void TearDown() override
    {
        CloseGpsPort();
        StopMeterReader();
        CloseDataFile(1);
    }

    static HWND window;
};

HWND InProcessLinks::window = nullptr;

TEST_F(InProcessLinks, RecordedNmeaReachesTheFieldsAndAutomaticReadingsStoreIt)
{
    const std::vector<std::string> capture = RecordedNmea();
    ASSERT_GT(capture.size(), 30u) << "the capture file was not read";
    e2e::SerialLink gps;
    std::wstring error;
    ASSERT_TRUE(gps.Open(5, 21, &error)) << e2e::ToUtf8(error);
    ASSERT_EQ(OpenGpsPort(), 1);
    ASSERT_EQ(StartGpsReader(), 1);

    // A data file open, automatic survey mode, a reading being averaged: the reader writes
    // every good GGA and GSA straight into the file.
    ASSERT_EQ(CreateDataFileAt(L"C:\\vloxe2e\\AUTO.VLX"), 1);
    Settings.SurveyMode = 1;
    PublishSharedSettings();
    AveragingNow = true;
    {
        Feeder feed(gps, capture);
        ASSERT_TRUE(PumpUntil([&] { return feed.Done(); }, 120000));
        EXPECT_TRUE(feed.Ok());
        // The reader has come to the capture's end once its last GGA and GSA are shown.
        EXPECT_TRUE(PumpUntil(
            [] {
                const GpsFieldsShown shown = CurrentGpsFieldsShown();
                return Narrow(shown.Latitude) == "N45?30'0.4800 \"" && Narrow(shown.Dilution) == "1.6 ";
            },
            60000));
    }
    AveragingNow = false;

    // Positions reached the main window's fields: the last GGA of the capture, the last GSA.
    const GpsFieldsShown shown = CurrentGpsFieldsShown();
    EXPECT_EQ(Narrow(shown.Latitude), "N45?30'0.4800 \"");
    EXPECT_EQ(Narrow(shown.Longitude), "W075?30'0.0000 \"");
    EXPECT_EQ(Narrow(shown.Satellites), " 9");
    EXPECT_EQ(Narrow(shown.FixQuality), "DGPS");
    EXPECT_EQ(Narrow(shown.Dilution), "1.6 ");
    EXPECT_GT(rig::InkIn(window, MainScreenLayout.Gps.Coordinates[0]), 20);
    EXPECT_EQ(GpsFix.GpsOriginSet, 1);
    EXPECT_EQ(GpsFix.GpsFixValid, 1);
    // Five fixes while averaging; the corrupted one did not count and moved nothing (it lay
    // 2.8 km north).
    EXPECT_EQ(GpsFix.GpsPositionCount, 5);
    EXPECT_LT(GpsFix.GpsNorthing - GpsFix.GpsOriginNorthing, 20.0);

    CloseDataFile(1);
    std::vector<uint8_t> file;
    ASSERT_TRUE(e2e::ReadFileBytes(L"C:\\vloxe2e\\AUTO.VLX", &file));
    ASSERT_EQ(file.size() % 60, 0u);
    std::vector<std::string> expected;
    for (const std::string& l : capture)
        if (IsGood(l) && (l.find("GGA,") != std::string::npos || l.find("GSA,") != std::string::npos))
            expected.push_back(l.substr(0, l.size() - 2));
    EXPECT_EQ(expected.size(), 10u);
    EXPECT_EQ(StoredSentences(file), expected);
}

TEST_F(InProcessLinks, AManualReadingStoresTheMeterValuesAndTheLatestSentences)
{
    const std::vector<std::string> capture = RecordedNmea();
    e2e::SerialLink gps, meter;
    ASSERT_TRUE(gps.Open(5, 21));
    ASSERT_TRUE(meter.Open(6, 22));
    ASSERT_EQ(OpenGpsPort(), 1);
    ASSERT_EQ(StartGpsReader(), 1);
    ASSERT_EQ(OpenMeterPort(), 1);
    MeterReadingsActive = 1;
    ASSERT_EQ(StartMeterReader(), 1);
    Settings.MeterInput = 1;
    Settings.MeterModel = 0;

    // The meter sends frames all along, about 20 a second at 19200 baud; every tenth is
    // decoded and shown.
    const int decoded = CurrentMeterBlockShown().Decoded;
    Feeder meterFeed(meter, {MeterFrame(1, 33792, 32768 + 1024)}, 0, 320);
    ASSERT_TRUE(PumpUntil([&] { return CurrentMeterBlockShown().Decoded >= decoded + 2; }, 60000));
    EXPECT_EQ(Narrow(CurrentMeterBlockShown().Text), " HD    40.00      1.15    ");

    // The last good GGA and GSA of the capture.
    std::string lastGga, lastGsa, other;
    for (const std::string& l : capture)
        if (IsGood(l))
            (l.find("GGA,") != std::string::npos   ? lastGga
             : l.find("GSA,") != std::string::npos ? lastGsa
                                                   : other) = l.substr(0, l.size() - 2);
    GgaCopy.Fresh = 0;
    GsaCopy.Fresh = 0;
    {
        Feeder feed(gps, capture);
        ASSERT_TRUE(PumpUntil([&] { return feed.Done(); }, 120000));
        EXPECT_TRUE(feed.Ok());
        // The reader has come to the capture's end once it has copied its last GGA and GSA.
        EXPECT_TRUE(PumpUntil(
            [&] {
                std::string text;
                uint32_t tick = 0;
                ReadGpsSentenceCopy(GgaCopy, text, tick);
                const bool gga = text == lastGga;
                ReadGpsSentenceCopy(GsaCopy, text, tick);
                return gga && text == lastGsa;
            },
            60000))
            << "GGA copy " << (GgaCopy.Fresh.load() != 0 ? "fresh" : "not fresh");
    }
    ASSERT_NE(GgaCopy.Fresh.load(), 0);

    // Store Reading: the reading's records (with U1 from the meter), then, under the hold,
    // the sentence copies as the command writes them.
    ASSERT_EQ(CreateDataFileAt(L"C:\\vloxe2e\\MANUAL.VLX"), 1);
    DataFileInputs.ResultsA = StoredRowsSource;
    NumberOfRecords = 1;
    const MeterValues meterBefore = MeterValuesForStore();
    EXPECT_EQ(StoreReading(), 1);
    const MeterValues storedMeter = MeterValuesForStore();
    GpsCopyHold = 1;
    std::string gga, gsa;
    uint32_t ggaTick = 0, gsaTick = 0;
    ASSERT_TRUE(ReadGpsSentenceCopy(GgaCopy, gga, ggaTick));
    ASSERT_TRUE(ReadGpsSentenceCopy(GsaCopy, gsa, gsaTick));
    EXPECT_EQ(StoreTextInDataFile(gga.c_str(), ggaTick, '@', '#'), 1);
    EXPECT_EQ(StoreTextInDataFile(gsa.c_str(), gsaTick, '@', '#'), 1);
    GpsCopyHold = 0;
    DataFileInputs.ResultsA = nullptr;
    CloseDataFile(1);

    std::vector<uint8_t> file;
    ASSERT_TRUE(e2e::ReadFileBytes(L"C:\\vloxe2e\\MANUAL.VLX", &file));
    const std::string text(file.begin(), file.end());
    // The meter's values, live: on a busy machine the meter may count as silent for a moment
    // (no frame for 500 ms), and only then may the record say so.
    EXPECT_EQ(storedMeter.Dipole, 'H');
    EXPECT_DOUBLE_EQ(storedMeter.Value1, 40.0);
    MeterValues live = storedMeter;
    live.Valid = 1;
    MeterValues silent = storedMeter;
    silent.Valid = 0;
    const bool stayedLive = meterBefore.Valid == 1 && storedMeter.Valid == 1;
    EXPECT_TRUE(text.find(MeterRecord(live)) != std::string::npos ||
                (!stayedLive && text.find(MeterRecord(silent)) != std::string::npos))
        << "no U1 record with the meter values";
    const std::vector<std::string> sentences = StoredSentences(file);
    ASSERT_EQ(sentences.size(), 2u);
    EXPECT_EQ(sentences[0], lastGga);
    EXPECT_EQ(sentences[0].substr(0, 35), "$GPGGA,101504.00,4530.008,N,07530.0");
    EXPECT_EQ(sentences[1], lastGsa);
    EXPECT_EQ(sentences[1].substr(0, 38), "$GPGSA,A,3,04,05,09,12,17,24,,,,,,,1.6");
}

TEST_F(InProcessLinks, UnpluggingTheFeedsGivesTheSilenceTextsAndNothingHangs)
{
    e2e::SerialLink gps, meter;
    ASSERT_TRUE(gps.Open(5, 21));
    ASSERT_TRUE(meter.Open(6, 22));
    ASSERT_EQ(OpenGpsPort(), 1);
    ASSERT_EQ(StartGpsReader(), 1);
    ASSERT_EQ(OpenMeterPort(), 1);
    MeterReadingsActive = 1;
    ASSERT_EQ(StartMeterReader(), 1);

    // Both instruments send as they do in the field, until they are unplugged.
    const int decoded = CurrentMeterBlockShown().Decoded;
    {
        Feeder gpsFeed(gps, {rig::GgaAt("101500", "4530.000", "07530.000", "GN")}, 0);
        Feeder meterFeed(meter, {MeterFrame(5, 32768, 32768)}, 0, 320);
        // What this test's instruments send, not what an earlier one left on the screen.
        EXPECT_TRUE(PumpUntil([] { return Narrow(CurrentGpsFieldsShown().FixQuality) == "AGPS"; }, 60000));
        EXPECT_TRUE(PumpUntil(
            [&] {
                return CurrentMeterBlockShown().Decoded > decoded &&
                       Narrow(CurrentMeterBlockShown().Text) == " VD    0.00       0.00    ";
            },
            60000));
    }
    EXPECT_EQ(Narrow(CurrentGpsFieldsShown().FixQuality), "AGPS");
    EXPECT_EQ(Narrow(CurrentMeterBlockShown().Text), " VD    0.00       0.00    ");

    // The ports vanish under the readers.
    const int blankings = CurrentGpsFieldsShown().Blankings;
    gps.Close();
    meter.Close();
    ASSERT_TRUE(PumpUntil([] { return CurrentMeterBlockShown().Red; }, 60000));
    EXPECT_EQ(Narrow(CurrentMeterBlockShown().Text), "NO CONNECTION");
    EXPECT_EQ(MeterValuesForStore().Valid, 0);
    ASSERT_TRUE(PumpUntil([&] { return CurrentGpsFieldsShown().Blankings > blankings; }, 60000));
    EXPECT_TRUE(CurrentGpsFieldsShown().Latitude.empty());
    EXPECT_EQ(rig::InkIn(window, MainScreenLayout.Gps.Coordinates[0]), 0);

    // Reads of a vanished port fail at once; the readers wait between them rather than spin.
    const uint64_t busyBefore = ProcessCpuMs();
    PumpFor(1000);
    EXPECT_LT(ProcessCpuMs() - busyBefore, 500u);

    // Both readers end, not left behind, and the ports are closed after them.
    HANDLE gpsReader = rig::WatchThread(GpsThread);
    HANDLE meterReader = rig::WatchThread(MeterThread);
    CloseGpsLinkAtExit();
    StopMeterReader();
    EXPECT_TRUE(rig::Ended(gpsReader));
    EXPECT_TRUE(rig::Ended(meterReader));
    EXPECT_EQ(GpsPort.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GpsThread, INVALID_HANDLE_VALUE);
    EXPECT_EQ(MeterPort.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(MeterThread, INVALID_HANDLE_VALUE);
}

// ---------------------------------------------------------------------------------------
// V-LOX from outside.

const wchar_t VloxFolder[] = L"C:\\vloxgps";

// The configuration V-LOX starts with: the defaults with GPS input "External" on COM7 and
// the UTM metre display.
bool WriteVloxConfiguration()
{
    SettingsValues s;
    s.GpsInput = 1;
    s.GpsComPort = 6;
    s.GpsCoordinateDisplay = 1;
    static NullTableValues nulls;
    const int32_t selected[RepRateCount] = {};
    const std::string file = ComposeConfigurationFile(s, nulls, selected, NullTimeStamp{});
    return e2e::MakeEmptyFolder(VloxFolder) && e2e::WriteFileBytes(std::wstring(VloxFolder) + L"\\VLOXTARNWEL.INI",
                                                                   std::vector<uint8_t>(file.begin(), file.end()));
}

// Pixels of a screen rectangle that are not the panel colour.
int InkOnScreen(const RECT& r)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return 0;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const COLORREF panel = GetSysColor(COLOR_BTNFACE);
    const uint32_t panelBgr = (GetRValue(panel) << 16) | (GetGValue(panel) << 8) | GetBValue(panel);
    int ink = 0;
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i)
        if ((p[i] & 0xFFFFFF) != panelBgr)
            ++ink;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ink;
}

// The two coordinate rows of V-LOX's GPS block, on the screen: under the curve pane, from
// its left edge + 2, rows T + 2s and T + 3s with T = pane bottom + 15 and s the main
// window's text line height - 1 (its line height is the system font's height + 2).
RECT CoordinateRows(HWND main)
{
    const RECT pane = e2e::RectInParent(e2e::Control(main, IDC_CURVE_WND));
    HDC dc = GetDC(nullptr);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(nullptr, dc);
    const int s = tm.tmHeight + 1;
    const int top = pane.bottom + 15;
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    return RECT{origin.x + pane.left + 2, origin.y + top + 2 * s, origin.x + pane.left + 2 + 100,
                origin.y + top + 3 * s + 14};
}

TEST(VloxProgram, GpsFieldsFillFromTheSerialPortAndBlankWhenItIsUnplugged)
{
    const std::vector<std::string> capture = RecordedNmea();
    ASSERT_FALSE(capture.empty());
    ASSERT_TRUE(WriteVloxConfiguration());
    e2e::SerialLink gps;
    std::wstring error;
    ASSERT_TRUE(gps.Open(7, 23, &error)) << e2e::ToUtf8(error);

    e2e::Program vlox;
    ASSERT_TRUE(vlox.Start(e2e::InBinFolder(L"V-LOX.exe"), VloxFolder, &error)) << e2e::ToUtf8(error);
    HWND main = vlox.WaitWindow(L"VLOX", nullptr, 60000);
    ASSERT_NE(main, nullptr);
    // The port is opened when the splash goes.
    ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsShown(e2e::Control(main, IDC_SPLASH_WND)); }, 60000));
    ASSERT_TRUE(vlox.WaitIdle(60000));
    const RECT rows = CoordinateRows(main);
    EXPECT_EQ(InkOnScreen(rows), 0) << "the coordinate rows hold something before any sentence";

    {
        Feeder feed(gps, capture, 2);
        EXPECT_TRUE(e2e::WaitUntil([&] { return InkOnScreen(rows) > 50; }, 60000))
            << "no position reached V-LOX's GPS fields";
        e2e::CaptureWindowToPng(main, std::wstring(VloxFolder) + L"\\gps_fields.png");
        e2e::WaitUntil([&] { return feed.Done(); }, 60000);
        EXPECT_TRUE(feed.Ok());
    }
    EXPECT_GT(InkOnScreen(rows), 50);

    // Unplugged: the fields go blank after 3 s of silence, and V-LOX keeps answering.
    gps.Close();
    EXPECT_TRUE(e2e::WaitUntil([&] { return InkOnScreen(rows) == 0; }, 60000)) << "the fields were not blanked";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
    for (const e2e::MessageBoxInfo& box : vlox.MessageBoxesSeen())
        ADD_FAILURE() << "message box " << e2e::ToUtf8(box.caption) << ": " << e2e::ToUtf8(box.text);

    // The end: the reader is stopped and the port closed without a hang.
    ASSERT_TRUE(e2e::PostClose(main));
    DWORD code = 99;
    EXPECT_TRUE(vlox.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
