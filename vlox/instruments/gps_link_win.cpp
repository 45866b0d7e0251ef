#include "vlox/instruments/gps_link_win.h"

#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/handoff_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/instruments/meter.h"
#include "vlox/instruments/nmea.h"
#include "vlox/settings/settings.h"
#include "vlox/common/screen_state.h"
#include "vlox/common/program_windows_win.h"

#include <mutex>
#include <string>

std::atomic<HANDLE> GpsPort{INVALID_HANDLE_VALUE};
HANDLE GpsThread = INVALID_HANDLE_VALUE;
HANDLE GpsMonitorThreadHandle = INVALID_HANDLE_VALUE;
std::atomic<int32_t> GpsMonitorRunning{0};
ReaderControl GpsReaderControl;
ReaderControl GpsMonitorControl;
GpsMapServices GpsMapHooks;
int32_t SimStationStep = 0;
int32_t SimTrackRestart = 0;

namespace {

// The monitor's Pause button: shown while the monitor lists new lines.
const int MonitorPauseButtonId = 751;
// A reader handles at most this many bytes before it looks at its controls and the silence.
const int ReaderBytesPerPass = 64;

std::mutex ShownLock;
GpsFieldsShown Shown;

// The link's two readers: the sentences for the main window and the GPS monitor's lines.
std::span<const SerialLinkReader> GpsReaders()
{
    static const SerialLinkReader readers[] = {{GpsReaderControl, GpsThread},
                                               {GpsMonitorControl, GpsMonitorThreadHandle}};
    return readers;
}

HBRUSH PanelBrush()
{
    return DrawingObjects.PanelBrush != nullptr ? DrawingObjects.PanelBrush : GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH LampBrush(int32_t state)
{
    switch (state) {
    case LampLitValid:
        return DrawingObjects.GreenBrush != nullptr ? DrawingObjects.GreenBrush
                                                    : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    case LampLitInvalid:
        return DrawingObjects.RedBrush != nullptr ? DrawingObjects.RedBrush
                                                  : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    default:
        return DrawingObjects.WhiteBrush != nullptr ? DrawingObjects.WhiteBrush
                                                    : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    }
}

// Fills the field with the background and writes the text at its top-left corner, clipped.
void DrawField(HDC dc, const FieldRect& r, const WideString& text, HFONT font)
{
    RECT box{r.left, r.top, r.right, r.bottom};
    FillRect(dc, &box, PanelBrush());
    if (text.empty())
        return;
    SelectGuard select(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    ExtTextOutW(dc, r.left, r.top, ETO_CLIPPED, &box, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

void DrawLamp(HDC dc, const FieldRect& r, int32_t state)
{
    RECT box{r.left, r.top, r.right, r.bottom};
    FillRect(dc, &box, PanelBrush());
    if (state == LampBlank)
        return;
    SelectGuard brush(dc, LampBrush(state));
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
}

HWND SentenceWindow()
{
    return GpsMessageWindow != nullptr ? GpsMessageWindow : hWndMain;
}

// Posted with a copy: the user-interface thread draws it in its turn, and the reader never
// waits for it nor touches the window's drawing objects or layout.
void HandToMainWindow(UINT message, GpsUpdate update)
{
    HandToWindow(GpsUpdates, SentenceWindow(), message, std::move(update));
}

// One finished line of the reader. Answers whether it was a good sentence.
bool HandleReaderLine(const std::string& line, uint32_t startTick)
{
    // This thread reads only values shared for it (atomic), never `Settings` itself.
    GpsSentenceContext context;
    context.SurveyMode = SharedSettings.SurveyMode.load();
    context.Averaging = CurrentReadingAveraged();
    context.InternalTestMode = CurrentInternalTestMode();
    context.GpsNmeaData = SharedSettings.GpsNmeaData.load();
    context.GpsCopyHold = GpsCopyHold.load();
    const GpsSentencePlan plan = PlanGpsSentence(line, context);

    switch (plan.Kind) {
    case GpsSentenceKind::Failed:
        HandToMainWindow(GpsPositionMessage, GpsLineUpdate(GpsUpdateKind::Position, line, false));
        return false;
    case GpsSentenceKind::OtherGood:
        return true;
    case GpsSentenceKind::Gga:
    case GpsSentenceKind::Gsa:
        break;
    }
    const bool gga = plan.Kind == GpsSentenceKind::Gga;
    // StoreTextInDataFile takes the data file's lock: the records never land inside a
    // reading the user-interface thread is writing.
    if (plan.StoreInDataFile)
        StoreTextInDataFile(line.c_str(), startTick, '@', '#');
    if (plan.CopyForStore)
        OfferGpsSentenceCopy(gga ? GgaCopy : GsaCopy, line, startTick);
    if (gga)
        HandToMainWindow(GpsPositionMessage, GpsLineUpdate(GpsUpdateKind::Position, line, true));
    else
        HandToMainWindow(GpsDopMessage, GpsLineUpdate(GpsUpdateKind::Dilution, line, true));
    return true;
}

bool MonitorListing()
{
    HWND pause = hWndMonitorGps != nullptr ? GetDlgItem(hWndMonitorGps, MonitorPauseButtonId) : nullptr;
    // A monitor window without its buttons lists every line.
    if (pause == nullptr)
        return true;
    return (GetWindowLongW(pause, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ShowMonitorLine(const WideString& line, bool flag)
{
    PublishGpsMonitorLine(line, flag);
    // Invalidated only: an immediate update would wait for the user-interface thread.
    if (hWndMonitorGps != nullptr)
        InvalidateRect(hWndMonitorGps, nullptr, FALSE);
}

// The loop of a reader of the GPS port: whole NMEA lines to onLine (line, tick of its '$'),
// which answers whether the line restarts the silence clock; onSilence after silenceMs
// without one. At most ReaderBytesPerPass bytes between looks at the controls and the clock;
// the loop ends on a stop request or when GpsPort no longer holds the port it started on.
template <class OnLine, class OnSilence>
void ReadNmeaLines(ReaderControl& control, uint32_t silenceMs, OnLine onLine, OnSilence onSilence)
{
    EnsureReaderControl(control);
    const HANDLE port = GpsPort.load();
    NmeaLineAssembler assembler;
    std::string line;
    uint32_t startTick = 0;
    DWORD last = GetTickCount();

    while (SerialLinkReaderGoesOn(port, GpsPort, control)) {
        DWORD now = GetTickCount();
        if (now - last > silenceMs) {
            onSilence();
            last = now;
        }
        for (int i = 0; i < ReaderBytesPerPass && ReaderMayGoOn(control); ++i) {
            uint8_t byte = 0;
            if (!ReadSerialByte(port, byte, control.StopEvent))
                break;
            now = GetTickCount();
            if (FeedNmeaByte(assembler, byte, now, line, startTick) == NmeaByteResult::LineReady) {
                if (onLine(line, startTick))
                    last = GetTickCount();
                break;
            }
        }
    }
}

}  // namespace

int32_t OpenGpsPort()
{
    PublishSharedSettings();
    const int32_t portNumber = PortNumberOf(Settings.GpsComPort);
    SerialTimeouts timeouts;
    timeouts.ReadInterval = 10;
    timeouts.ReadTotalConstant = 10;
    return OpenSerialLink(GpsPort, GpsReaders(), portNumber, GpsLineSettings(Settings), timeouts, hWndMain,
                          GpsPortOpenFailureText(portNumber));
}

DWORD WINAPI GpsReaderThread(LPVOID)
{
    ReadNmeaLines(
        GpsReaderControl, GpsSilenceMs,
        [](const std::string& line, uint32_t startTick) { return HandleReaderLine(line, startTick); },
        [] { HandToMainWindow(GpsPositionMessage, GpsUpdate{}); });
    return 0;
}

DWORD WINAPI GpsMonitorThread(LPVOID)
{
    EnsureReaderControl(GpsMonitorControl);
    GpsMonitorRunning = 1;
    ReadNmeaLines(
        GpsMonitorControl, GpsMonitorSilenceMs,
        [](const std::string& line, uint32_t) {
            ShowMonitorLine(NarrowToWide(line), MonitorListing());
            return true;
        },
        [] { ShowMonitorLine(NarrowToWide(std::string("NO DATA")), true); });
    GpsMonitorRunning = 0;
    return 0;
}

int32_t StartGpsReader()
{
    return StartSerialLinkReader(GpsPort, {GpsReaderControl, GpsThread}, GpsReaderThread);
}

int32_t StartGpsMonitorReader()
{
    return StartSerialLinkReader(GpsPort, {GpsMonitorControl, GpsMonitorThreadHandle}, GpsMonitorThread);
}

bool OpenGpsMonitor()
{
    if (OpenGpsPort() == 0)
        return false;
    return StartGpsMonitorReader() == 1;
}

void StopGpsReader()
{
    EndReaderThread(GpsReaderControl, GpsThread);
}

void StopGpsMonitorReader()
{
    EndReaderThread(GpsMonitorControl, GpsMonitorThreadHandle);
}

void CloseGpsPort()
{
    CloseSerialLink(GpsPort, GpsReaders());
}

void SuspendGpsReader()
{
    if (ReaderThreadAlive(GpsThread))
        PauseReader(GpsReaderControl, GpsThread, ReaderStopTimeoutMs);
}

void ResumeGpsReader()
{
    ResumeReader(GpsReaderControl);
}

void CloseGpsLinkAtExit()
{
    CloseGpsPort();
    GpsThread = INVALID_HANDLE_VALUE;
}

void StartGpsReaderAfterSplash()
{
    if (GpsMapHooks.CreateMapPens != nullptr)
        GpsMapHooks.CreateMapPens(0);
    if (GpsMapHooks.SetupMapView != nullptr)
        GpsMapHooks.SetupMapView();
    if (OpenGpsPort() != 1)
        return;
    DelayMs(50);
    StartGpsReader();
    DelayMs(100);
}

namespace {

// The GGA handler's work on one line.
void ShowGgaLine(HWND window, const std::string& line, bool good)
{
    GgaContext context;
    context.GpsNmeaData = Settings.GpsNmeaData;
    context.GpsCoordinateDisplay = Settings.GpsCoordinateDisplay;
    context.Averaging = CurrentReadingAveraged();
    const GgaOutcome outcome = HandleGgaLine(line, good, NmeaFieldRoles, context, GpsFix);
    const GgaDisplay& d = outcome.Display;

    const int32_t lit = d.LampValid ? LampLitValid : LampLitInvalid;
    const int32_t lamps[2] = {d.LitLamp == 0 ? lit : LampUnlit, d.LitLamp == 1 ? lit : LampUnlit};
    {
        WindowDc dc(window);
        if (dc) {
            const GpsStatusRects& g = MainScreenLayout.Gps;
            DrawField(dc.get(), g.SatValue, d.Satellites, hFontBold);
            DrawField(dc.get(), g.Indicator, d.FixQuality, hFontNormal);
            DrawField(dc.get(), g.Coordinates[0], d.Latitude, hFontBold);
            DrawField(dc.get(), g.Coordinates[1], d.Longitude, hFontBold);
            if (d.DrawDilution)
                DrawField(dc.get(), g.PdopValue, d.Dilution, hFontBold);
            if (d.DrawCount)
                DrawField(dc.get(), g.GpsCountRect, d.Count, hFontBold);
            if (d.DrawZone)
                DrawField(dc.get(), g.ZoneValue, d.Zone, hFontBold);
            DrawLamp(dc.get(), g.Lamps[0], lamps[0]);
            DrawLamp(dc.get(), g.Lamps[1], lamps[1]);
        }
    }
    {
        std::lock_guard<std::mutex> hold(ShownLock);
        Shown.Satellites = d.Satellites;
        Shown.FixQuality = d.FixQuality;
        Shown.Latitude = d.Latitude;
        Shown.Longitude = d.Longitude;
        if (d.DrawDilution)
            Shown.Dilution = d.Dilution;
        if (d.DrawCount)
            Shown.Count = d.Count;
        if (d.DrawZone)
            Shown.Zone = d.Zone;
        Shown.Lamps[0] = lamps[0];
        Shown.Lamps[1] = lamps[1];
        Shown.DrawingThread = GetCurrentThreadId();
    }

    // A fix becomes a track point only while a reading is averaged.
    const bool plotOn = GpsMapHooks.MapGpsPlotOn == nullptr || GpsMapHooks.MapGpsPlotOn() == 1;
    if (outcome.Plot && MapLayoutMode == 1 && plotOn && GpsMapHooks.PlotGpsPosition != nullptr)
        GpsMapHooks.PlotGpsPosition(hWndMap, context.Averaging ? 1 : 0, 1);
}

// The GSA handler's work on one line.
void ShowGsaLine(HWND window, const std::string& line)
{
    const WideString text = GsaDilutionText(line);
    {
        WindowDc dc(window);
        if (dc)
            DrawField(dc.get(), MainScreenLayout.Gps.PdopValue, text, hFontBold);
    }
    std::lock_guard<std::mutex> hold(ShownLock);
    Shown.Dilution = text;
    Shown.DrawingThread = GetCurrentThreadId();
}

// Every update the reader handed to this window, in the order it happened. Either message
// draws them all: a sentence is never shown after one that came later.
void DrawGpsUpdates(HWND window)
{
    for (const GpsUpdate& u : GpsUpdates.Take(reinterpret_cast<uintptr_t>(window))) {
        switch (u.Kind) {
        case GpsUpdateKind::Position:
            ShowGgaLine(window, u.Line, u.Good);
            break;
        case GpsUpdateKind::Dilution:
            ShowGsaLine(window, u.Line);
            break;
        case GpsUpdateKind::Silence:
            BlankGpsFields(window);
            break;
        }
    }
}

}  // namespace

LRESULT CALLBACK OnGgaSentence(HWND window, UINT, WPARAM, LPARAM)
{
    DrawGpsUpdates(window);
    return 0;
}

LRESULT CALLBACK OnGsaSentence(HWND window, UINT, WPARAM, LPARAM)
{
    DrawGpsUpdates(window);
    return 0;
}

void BlankGpsFields(HWND window)
{
    {
        WindowDc dc(window);
        if (dc) {
            const GpsStatusRects& g = MainScreenLayout.Gps;
            const FieldRect* fields[] = {&g.SatValue, &g.Indicator, &g.Coordinates[0], &g.Coordinates[1], &g.PdopValue};
            for (const FieldRect* f : fields)
                DrawField(dc.get(), *f, WideString(), nullptr);
            DrawLamp(dc.get(), g.Lamps[0], LampBlank);
            DrawLamp(dc.get(), g.Lamps[1], LampBlank);
        }
    }
    std::lock_guard<std::mutex> hold(ShownLock);
    Shown.Satellites.clear();
    Shown.FixQuality.clear();
    Shown.Latitude.clear();
    Shown.Longitude.clear();
    Shown.Dilution.clear();
    Shown.Lamps[0] = Shown.Lamps[1] = LampBlank;
    ++Shown.Blankings;
    Shown.DrawingThread = GetCurrentThreadId();
}

GpsFieldsShown CurrentGpsFieldsShown()
{
    std::lock_guard<std::mutex> hold(ShownLock);
    return Shown;
}
