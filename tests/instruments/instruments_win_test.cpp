// The field instruments' Win32 side in this process: the operator's messages when a port
// cannot be opened, the handlers drawing the GPS fields, the reader threads over a pipe that
// stands in for a port (pausing, stopping, silence), and the SQ12SETUP dialog.
#include "tests/instruments/instrument_rig_win.h"

#include "resources/instruments_ids.h"
#include "vlox/instruments/nmea.h"
#include "vlox/settings/setting_refusal_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using rig::Narrow;
using rig::PumpUntil;

const std::string ExampleGga = "$GPGGA,101500,4530.000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,*7B";

struct NotedMessage {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};
std::vector<NotedMessage> Messages;

int WINAPI NoteMessage(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    Messages.push_back({owner, text, caption, type});
    return IDOK;
}

// A pipe whose reading end answers at once when empty, as a serial port with read
// time-outs does: the readers take it for their port.
struct PipePort {
    HANDLE readEnd = INVALID_HANDLE_VALUE;
    HANDLE writeEnd = INVALID_HANDLE_VALUE;

    explicit PipePort(const wchar_t* name)
    {
        const std::wstring path = std::wstring(L"\\\\.\\pipe\\") + name;
        readEnd = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_NOWAIT,
                                   1, 4096, 4096, 0, nullptr);
        writeEnd = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~PipePort()
    {
        if (writeEnd != INVALID_HANDLE_VALUE)
            CloseHandle(writeEnd);
    }
    bool Write(const std::string& bytes)
    {
        DWORD written = 0;
        return WriteFile(writeEnd, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
};

class FieldInstruments : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        SerialPortMessageBox = NoteMessage;
        window = rig::MakeMainWindow();
        GetCurrentDirectoryW(MAX_PATH, StartDirectory);
    }

    void SetUp() override
    {
        Messages.clear();
        Settings = SettingsValues{};
        SetNmeaFieldRoles();
        GpsFix = GpsFixValues{};
        GpsLinkInputs = GpsLinkSources{};
        GpsUpdates.Take(reinterpret_cast<uintptr_t>(window));  // whatever an earlier test left
    }

    void TearDown() override
    {
        CloseGpsPort();
        StopMeterReader();
        MeterReadingsActive = 0;
        rig::PumpWaiting();
    }

    static HWND window;
};

HWND FieldInstruments::window = nullptr;

TEST_F(FieldInstruments, APortThatCannotBeOpenedIsReported)
{
    ASSERT_NE(window, nullptr);
    Settings.GpsComPort = 11;  // COM12: none in this prefix
    EXPECT_EQ(OpenGpsPort(), 0);
    EXPECT_EQ(GpsPort.load(), INVALID_HANDLE_VALUE);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].text, L"Cannot open COM12 for GPS");
    EXPECT_EQ(Messages[0].caption, L"Serial Port");
    EXPECT_EQ(Messages[0].owner, hWndMain);

    Settings.MeterComPort = 35;
    EXPECT_EQ(OpenMeterPort(), 0);
    EXPECT_EQ(MeterPort.load(), INVALID_HANDLE_VALUE);
    ASSERT_EQ(Messages.size(), 2u);
    EXPECT_EQ(Messages[1].text, L"Cannot open COM36 for SQ12-MK2");
    EXPECT_EQ(Messages[1].caption, L"Serial Port");
    EXPECT_EQ(Messages[1].owner, hWndCurve);
    EXPECT_EQ(Messages[1].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));

    // Without a port no reader starts, and the splash's start stops at the message.
    EXPECT_EQ(StartGpsReader(), 0);
    EXPECT_EQ(StartMeterReader(), 0);
    StartGpsReaderAfterSplash();
    EXPECT_EQ(GpsThread, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Messages.size(), 3u);
}

TEST_F(FieldInstruments, TheGgaHandlerDrawsTheFieldsAndTheGsaHandlerThePdop)
{
    const uintptr_t to = reinterpret_cast<uintptr_t>(window);
    GpsUpdates.Put(to, GpsLineUpdate(GpsUpdateKind::Position, ExampleGga, true));
    SendMessageW(window, GpsPositionMessage, 0, 0);
    const GpsFieldsShown shown = CurrentGpsFieldsShown();
    EXPECT_EQ(Narrow(shown.Latitude), "N45?30'0.0000 \"");
    EXPECT_EQ(Narrow(shown.Longitude), "W075?30'0.0000 \"");
    EXPECT_EQ(Narrow(shown.Satellites), " 5");
    EXPECT_EQ(Narrow(shown.FixQuality), "AGPS");
    EXPECT_EQ(shown.Lamps[0] + shown.Lamps[1], LampLitValid + LampUnlit);
    EXPECT_EQ(GpsFix.GpsOriginSet, 1);
    const GpsStatusRects& g = MainScreenLayout.Gps;
    EXPECT_GT(rig::InkIn(window, g.Coordinates[0]), 20);
    EXPECT_GT(rig::InkIn(window, g.Coordinates[1]), 20);
    EXPECT_GT(rig::InkIn(window, g.Lamps[0]) + rig::InkIn(window, g.Lamps[1]), 100);

    GpsUpdates.Put(to, GpsLineUpdate(GpsUpdateKind::Dilution, "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", true));
    SendMessageW(window, GpsDopMessage, 0, 0);
    EXPECT_EQ(Narrow(CurrentGpsFieldsShown().Dilution), "2.5 ");
    EXPECT_GT(rig::InkIn(window, g.PdopValue), 5);

    // A message with no line waiting (one that came late) draws nothing.
    const int before = rig::InkIn(window, g.Coordinates[0]);
    SendMessageW(window, GpsPositionMessage, 0, 0);
    EXPECT_EQ(rig::InkIn(window, g.Coordinates[0]), before);

    // Silence blanks every field the reader names, and both circles.
    GpsUpdates.Put(to, GpsUpdate{});
    SendMessageW(window, GpsPositionMessage, 0, 0);
    EXPECT_EQ(rig::InkIn(window, g.Coordinates[0]), 0);
    EXPECT_EQ(rig::InkIn(window, g.PdopValue), 0);
    EXPECT_EQ(rig::InkIn(window, g.Lamps[0]) + rig::InkIn(window, g.Lamps[1]), 0);
    EXPECT_TRUE(CurrentGpsFieldsShown().Latitude.empty());
}

TEST_F(FieldInstruments, TheReaderHandsSentencesOverAndKeepsCopiesForTheStore)
{
    PipePort pipe(L"vlox-gps-reader");
    ASSERT_NE(pipe.readEnd, INVALID_HANDLE_VALUE);
    ASSERT_NE(pipe.writeEnd, INVALID_HANDLE_VALUE);
    GpsPort = pipe.readEnd;
    GgaCopy.Fresh = 0;
    GsaCopy.Fresh = 0;
    ASSERT_EQ(StartGpsReader(), 1);
    ASSERT_TRUE(pipe.Write(rig::Sentence("GPGSV,3,1,12") + "\r\n" + rig::GgaAt("101500", "4530.000", "07530.000") +
                           rig::Gsa("1.9")));
    ASSERT_TRUE(PumpUntil([] { return GpsFix.GpsOriginSet == 1 && !CurrentGpsFieldsShown().Dilution.empty(); }, 5000));
    EXPECT_EQ(Narrow(CurrentGpsFieldsShown().Dilution), "1.9 ");
    // Drawn by the window's own thread: the reader only handed the sentences over.
    EXPECT_EQ(CurrentGpsFieldsShown().DrawingThread, GetCurrentThreadId());
    std::string text;
    uint32_t tick = 0;
    EXPECT_TRUE(ReadGpsSentenceCopy(GgaCopy, text, tick));
    EXPECT_EQ(text + "\r\n", rig::GgaAt("101500", "4530.000", "07530.000"));
    EXPECT_NE(tick, 0u);
    EXPECT_TRUE(ReadGpsSentenceCopy(GsaCopy, text, tick));
    EXPECT_EQ(text + "\r\n", rig::Gsa("1.9"));

    // A failed sentence reaches the handler but leaves the fix where it was.
    const double northing = GpsFix.GpsNorthing;
    std::string wrong = rig::GgaAt("101501", "4531.000", "07530.000");
    wrong[wrong.size() - 3] = wrong[wrong.size() - 3] == '0' ? '1' : '0';
    ASSERT_TRUE(pipe.Write(wrong));
    ASSERT_TRUE(
        PumpUntil([] { return CurrentGpsFieldsShown().Latitude.find(VLOX_WIDE("31'")) != WideString::npos; }, 5000));
    EXPECT_EQ(GpsFix.GpsNorthing, northing);

    // Ended on request, not left behind; the port stays open until it is closed itself.
    HANDLE reader = rig::WatchThread(GpsThread);
    StopGpsReader();
    EXPECT_TRUE(rig::Ended(reader));
    EXPECT_EQ(GpsThread, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GpsPort.load(), pipe.readEnd);
    CloseGpsPort();
    EXPECT_EQ(GpsPort.load(), INVALID_HANDLE_VALUE);
}

TEST_F(FieldInstruments, APausedReaderHandsNothingOverUntilResumed)
{
    PipePort pipe(L"vlox-gps-pause");
    GpsPort = pipe.readEnd;
    ASSERT_EQ(StartGpsReader(), 1);
    pipe.Write(rig::GgaAt("101500", "4530.000", "07530.000"));
    ASSERT_TRUE(PumpUntil([] { return GpsFix.GpsOriginSet == 1; }, 5000));
    const double northing = GpsFix.GpsNorthing;

    // Held: the reader has said so and waits at its pass point, where it reads nothing.
    auto held = [] { return WaitForSingleObject(GpsReaderControl.PausedEvent, 0) == WAIT_OBJECT_0; };
    SuspendGpsReader();
    SuspendGpsReader();  // nested: two resumes are needed
    EXPECT_TRUE(held());
    pipe.Write(rig::GgaAt("101501", "4530.100", "07530.000"));
    rig::PumpWaiting();
    EXPECT_EQ(GpsFix.GpsNorthing, northing);
    ResumeGpsReader();
    EXPECT_TRUE(held());
    rig::PumpWaiting();
    EXPECT_EQ(GpsFix.GpsNorthing, northing);
    ResumeGpsReader();
    EXPECT_TRUE(PumpUntil([&] { return GpsFix.GpsNorthing != northing; }, 5000));
    ResumeGpsReader();  // one too many changes nothing

    // A stop while paused ends the reader too.
    SuspendGpsReader();
    HANDLE reader = rig::WatchThread(GpsThread);
    CloseGpsLinkAtExit();
    EXPECT_TRUE(rig::Ended(reader));
    EXPECT_EQ(GpsThread, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GpsPort.load(), INVALID_HANDLE_VALUE);
    ResumeGpsReader();
}

TEST_F(FieldInstruments, SilenceBlanksTheFieldsAfterThreeSeconds)
{
    PipePort pipe(L"vlox-gps-silence");
    GpsPort = pipe.readEnd;
    ASSERT_EQ(StartGpsReader(), 1);
    pipe.Write(rig::GgaAt("101500", "4530.000", "07530.000"));
    ASSERT_TRUE(PumpUntil([] { return !CurrentGpsFieldsShown().Latitude.empty(); }, 5000));
    const int blankings = CurrentGpsFieldsShown().Blankings;
    const DWORD start = GetTickCount();
    // Noise and failed lines are no good sentence: they do not hold the blanking off.
    pipe.Write("\x01\x02garbage\r\n$GPGGA,1,2*00\r\n");
    ASSERT_TRUE(PumpUntil([&] { return CurrentGpsFieldsShown().Blankings > blankings; }, 20000));
    EXPECT_GE(GetTickCount() - start, 2500u);
    EXPECT_TRUE(CurrentGpsFieldsShown().Latitude.empty());
    EXPECT_EQ(rig::InkIn(window, MainScreenLayout.Gps.Coordinates[0]), 0);
    EXPECT_EQ(CurrentGpsFieldsShown().DrawingThread, GetCurrentThreadId());
}

TEST_F(FieldInstruments, TheMonitorReaderListsLinesAndNoDataAfterSevenSeconds)
{
    PipePort pipe(L"vlox-gps-monitor");
    GpsPort = pipe.readEnd;
    WideString line;
    while (TakeGpsMonitorLine(line)) {
    }
    ASSERT_EQ(StartGpsMonitorReader(), 1);
    EXPECT_TRUE(PumpUntil([] { return GpsMonitorRunning.load() == 1; }, 20000));
    pipe.Write("$GPRMC,101500,A*00\r\nno dollar\r\n");
    std::vector<WideString> lines;
    PumpUntil(
        [&] {
            WideString l;
            if (TakeGpsMonitorLine(l))
                lines.push_back(l);
            return lines.size() >= 1 && lines.back() == VLOX_WIDE("no dollar");
        },
        20000);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), VLOX_WIDE("no dollar"));
    const DWORD start = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return TakeGpsMonitorLine(line) && line == VLOX_WIDE("NO DATA"); }, 30000));
    EXPECT_GE(GetTickCount() - start, 6000u);
    StopGpsMonitorReader();
    EXPECT_EQ(GpsMonitorRunning.load(), 0);
    EXPECT_EQ(GpsMonitorThreadHandle, INVALID_HANDLE_VALUE);
}

std::string MeterFrame(uint8_t mode, uint16_t r1, uint16_t r2)
{
    const uint8_t bytes[16] = {'T', mode, 0, 0, 0,    0,   uint8_t(r1 >> 8), uint8_t(r1), uint8_t(r2 >> 8), uint8_t(r2),
                               0,   0,    0, 0, 0xFF, 0xFF};
    return std::string(reinterpret_cast<const char*>(bytes), 16);
}

// The reader has found this frame last: MeterFrame holds its first 14 bytes.
bool LastMeterFrameIs(const std::string& frame)
{
    std::lock_guard<std::mutex> hold(MeterReadingLock);
    return std::memcmp(MeterReading.MeterFrame, frame.data(), MeterFrameKept) == 0;
}

TEST_F(FieldInstruments, TheMeterReaderDecodesEveryTenthFrameAndReportsSilence)
{
    PipePort pipe(L"vlox-meter");
    MeterPort = pipe.readEnd;
    MeterReadingsActive = 1;
    const int decoded = CurrentMeterBlockShown().Decoded;
    ASSERT_EQ(StartMeterReader(), 1);
    std::string nine;
    for (int i = 0; i < 9; ++i)
        nine += MeterFrame(4, 32768 + 128 * i, 32768);
    pipe.Write(nine);
    // Once the reader has found the ninth frame, nothing was shown for the nine.
    ASSERT_TRUE(PumpUntil([] { return LastMeterFrameIs(MeterFrame(4, 32768 + 128 * 8, 32768)); }, 20000));
    rig::PumpWaiting();
    EXPECT_EQ(CurrentMeterBlockShown().Decoded, decoded);
    pipe.Write(MeterFrame(1, 33792, 32768));
    ASSERT_TRUE(PumpUntil([&] { return CurrentMeterBlockShown().Decoded == decoded + 1; }, 20000));
    EXPECT_EQ(Narrow(CurrentMeterBlockShown().Text), " HD    40.00      0.00    ");
    // Drawn by the window's own thread: the reader only handed the values over.
    EXPECT_EQ(CurrentMeterBlockShown().DrawingThread, GetCurrentThreadId());
    MeterValues v = MeterValuesForStore();
    EXPECT_EQ(v.Valid, 1);
    EXPECT_EQ(v.Dipole, 'H');
    EXPECT_DOUBLE_EQ(v.Value1, 40.0);
    EXPECT_GT(rig::InkIn(window, MainScreenLayout.MeterTextRect), 20);

    // Silent for more than 500 ms: "NO CONNECTION" on red, and the status the store takes is 0.
    ASSERT_TRUE(PumpUntil([] { return CurrentMeterBlockShown().Red; }, 20000));
    EXPECT_EQ(Narrow(CurrentMeterBlockShown().Text), "NO CONNECTION");
    EXPECT_EQ(MeterValuesForStore().Valid, 0);
    EXPECT_EQ(CurrentMeterBlockShown().DrawingThread, GetCurrentThreadId());

    StopMeterReader();
    EXPECT_EQ(MeterThread, INVALID_HANDLE_VALUE);
    EXPECT_EQ(MeterPort.load(), INVALID_HANDLE_VALUE);
}

TEST_F(FieldInstruments, InactiveReadingsFindFramesButDecodeNothing)
{
    PipePort pipe(L"vlox-meter-inactive");
    MeterPort = pipe.readEnd;
    MeterReadingsActive = 0;
    const int decoded = CurrentMeterBlockShown().Decoded;
    ASSERT_EQ(StartMeterReader(), 1);
    std::string frames;
    for (int i = 0; i < 24; ++i)
        frames += MeterFrame(4, 0, 0);
    frames += MeterFrame(4, 0, 25);
    pipe.Write(frames);
    // The frames themselves are kept, up to the 25th, and none was shown.
    ASSERT_TRUE(PumpUntil([] { return LastMeterFrameIs(MeterFrame(4, 0, 25)); }, 20000));
    rig::PumpWaiting();
    EXPECT_EQ(CurrentMeterBlockShown().Decoded, decoded);
}

std::vector<std::wstring> RefusalTexts;
int WINAPI NoteRefusal(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    RefusalTexts.push_back(text);
    return IDOK;
}

HWND OpenMeterSetup()
{
    return CreateDialogParamW(GetModuleHandleW(nullptr), L"SQ12SETUP", nullptr, MeterSetupDlgProc, 0);
}

std::wstring ComboText(HWND dialog, int id, int index)
{
    wchar_t text[64] = {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST_F(FieldInstruments, TheMeterSetupDialogShowsAndTakesTheFourChoices)
{
    Settings.MeterInput = 1;
    Settings.MeterModel = 0;
    Settings.MeterComPort = 9;
    MeterSampleChoice = 1;
    HWND dialog = OpenMeterSetup();
    ASSERT_NE(dialog, nullptr);
    wchar_t caption[64] = {};
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, L"SQ12-MK2 Setup");
    const struct {
        int id;
        int count;
        int selected;
        const wchar_t* first;
        const wchar_t* last;
    } lists[] = {{IDC_METER_INPUT, 2, 1, L"Disabled", L"Enabled"},
                 {IDC_METER_TYPE, 2, 0, L"SQ12-MK2-1", L"SQ12-MK2"},
                 {IDC_METER_PORT, 36, 9, L"COM1:", L"COM36:"},
                 {IDC_METER_SAMPLES, 9, 1, L"1", L"100"}};
    for (const auto& l : lists) {
        EXPECT_EQ(SendDlgItemMessageW(dialog, l.id, CB_GETCOUNT, 0, 0), l.count) << l.id;
        EXPECT_EQ(SendDlgItemMessageW(dialog, l.id, CB_GETCURSEL, 0, 0), l.selected) << l.id;
        EXPECT_EQ(ComboText(dialog, l.id, 0), l.first);
        EXPECT_EQ(ComboText(dialog, l.id, l.count - 1), l.last);
    }

    // Cancel changes nothing.
    SendDlgItemMessageW(dialog, IDC_METER_PORT, CB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(Settings.MeterComPort, 9);
    DestroyWindow(dialog);

    // Mended: the second type, which the configuration loader does not read, was saved and
    // the next start reset every setting. The OK is refused on the type, nothing taken or
    // written, and the dialog stays.
    DeleteFileW(L"VLOXTARNWEL.INI");
    dialog = OpenMeterSetup();
    SendDlgItemMessageW(dialog, IDC_METER_INPUT, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(dialog, IDC_METER_TYPE, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageW(dialog, IDC_METER_PORT, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageW(dialog, IDC_METER_SAMPLES, CB_SETCURSEL, 8, 0);
    EXPECT_EQ(SendMessageW(dialog, WM_COMMAND, 4711, 0), 0);  // other commands: answered
    RefusalTexts.clear();
    RefusalMessageBox = NoteRefusal;
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    RefusalMessageBox = MessageBoxW;
    EXPECT_EQ(RefusalTexts, std::vector<std::wstring>{L"SQ12-MK2 Type: Value out of range. Press OK and correct"});
    EXPECT_EQ(Settings.MeterInput, 1);
    EXPECT_EQ(Settings.MeterModel, 0);
    EXPECT_EQ(Settings.MeterComPort, 9);
    EXPECT_EQ(MeterSampleChoice, 1);
    EXPECT_EQ(GetFileAttributesW(L"VLOXTARNWEL.INI"), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(IsWindow(dialog));

    // OK takes all four and saves the configuration file.
    SendDlgItemMessageW(dialog, IDC_METER_TYPE, CB_SETCURSEL, 0, 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Settings.MeterInput, 0);
    EXPECT_EQ(Settings.MeterModel, 0);
    EXPECT_EQ(Settings.MeterComPort, 2);
    EXPECT_EQ(MeterSampleChoice, 8);
    EXPECT_NE(GetFileAttributesW(L"VLOXTARNWEL.INI"), INVALID_FILE_ATTRIBUTES);
    DestroyWindow(dialog);
    MeterSampleChoice = 1;
}

}  // namespace
