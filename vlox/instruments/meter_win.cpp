#include "vlox/instruments/meter_win.h"

#include "resources/instruments_ids.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/handoff_win.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/settings/setting_refusal_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/common/screen_state.h"
#include "vlox/common/program_windows_win.h"

#include <cstring>
#include <mutex>
#include <vector>

std::atomic<HANDLE> MeterPort{INVALID_HANDLE_VALUE};
HANDLE MeterThread = INVALID_HANDLE_VALUE;
std::atomic<int32_t> MeterReadingsActive{0};
ReaderControl MeterReaderControl;

namespace {

// A silent meter's text is drawn again at this interval, over any repaint of the panel.
const DWORD SilenceRedrawMs = 100;

std::mutex ShownLock;
MeterBlockShown Shown;

// What the reader hands to the main window for the meter block: a decoded reading or the
// silence. Only the last few matter when the window draws nothing for a while.
struct MeterBlockUpdate {
    bool Silence = true;
    double Conductivity = 0.0;
    double InPhase = 0.0;
    char Dipole = 'V';
};
HandOffQueue<MeterBlockUpdate> MeterUpdates(16);

// The link's one reader.
std::span<const SerialLinkReader> MeterReaders()
{
    static const SerialLinkReader readers[] = {{MeterReaderControl, MeterThread}};
    return readers;
}

RECT MeterTextBox()
{
    const FieldRect& r = MainScreenLayout.MeterTextRect;
    return RECT{r.left, r.top, r.right, r.bottom};
}

HBRUSH BrushOr(HBRUSH brush, int stock)
{
    return brush != nullptr ? brush : static_cast<HBRUSH>(GetStockObject(stock));
}

void FillComboBox(HWND dialog, int id, const std::string* texts, int32_t count, int32_t selected)
{
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (int32_t i = 0; i < count; ++i) {
        const WideString wide = NarrowToWide(texts[i]);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int32_t Selection(HWND dialog, int id)
{
    return static_cast<int32_t>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

void FillMeterSetup(HWND dialog)
{
    const MeterSetupSelection sel = MeterSetupFromSettings(Settings, MeterSampleChoice);
    std::string inputs[2] = {MeterInputChoices[0], MeterInputChoices[1]};
    std::string models[2] = {MeterModelChoices[0], MeterModelChoices[1]};
    std::string ports[MeterPortChoiceCount];
    for (int32_t i = 0; i < MeterPortChoiceCount; ++i)
        ports[i] = MeterPortChoice(i);
    std::string samples[MeterSampleChoiceCount];
    for (int32_t i = 0; i < MeterSampleChoiceCount; ++i)
        samples[i] = MeterSampleCounts[i];
    FillComboBox(dialog, IDC_METER_INPUT, inputs, 2, sel.MeterInput);
    FillComboBox(dialog, IDC_METER_TYPE, models, 2, sel.MeterModel);
    FillComboBox(dialog, IDC_METER_PORT, ports, MeterPortChoiceCount, sel.MeterComPort);
    FillComboBox(dialog, IDC_METER_SAMPLES, samples, MeterSampleChoiceCount, sel.MeterSampleChoice);
}

}  // namespace

int32_t OpenMeterPort()
{
    const int32_t portNumber = PortNumberOf(Settings.MeterComPort);
    SerialTimeouts timeouts;
    timeouts.ReadTotalConstant = 10;
    return OpenSerialLink(MeterPort, MeterReaders(), portNumber, MeterLineSettings(), timeouts, hWndCurve,
                          MeterPortOpenFailureText(portNumber));
}

DWORD WINAPI MeterReaderThread(LPVOID)
{
    ReaderControl& control = MeterReaderControl;
    EnsureReaderControl(control);
    const HANDLE port = MeterPort.load();
    MeterFrameFinder finder;
    MeterFrameCounter counter;
    DWORD lastFrame = GetTickCount();
    DWORD lastSilenceDrawn = lastFrame - SilenceRedrawMs - 1;
    if (port != INVALID_HANDLE_VALUE) {
        PurgeComm(port, PURGE_TXCLEAR);
        PurgeComm(port, PURGE_RXCLEAR);
    }

    while (SerialLinkReaderGoesOn(port, MeterPort, control)) {
        DWORD now = GetTickCount();
        if (now - lastFrame > MeterSilenceMs) {
            {
                std::lock_guard<std::mutex> hold(MeterReadingLock);
                MeterReading.MeterStatus = 0;
            }
            if (now - lastSilenceDrawn > SilenceRedrawMs) {
                HandToWindow(MeterUpdates, hWndMain, MeterReadingMessage, MeterBlockUpdate{});
                lastSilenceDrawn = now;
            }
        }
        uint8_t byte = 0;
        if (!ReadSerialByte(port, byte, control.StopEvent))
            continue;
        uint8_t frame[MeterFrameKept];
        if (!FeedMeterByte(finder, byte, frame))
            continue;
        lastFrame = GetTickCount();
        const bool decode = CountMeterFrame(counter, MeterReadingsActive.load());
        MeterReadingValues shown;
        {
            std::lock_guard<std::mutex> hold(MeterReadingLock);
            std::memcpy(MeterReading.MeterFrame, frame, MeterFrameKept);
            MeterReading.MeterFrame[MeterFrameKept] = 0;
            if (decode) {
                DecodeMeterFrame(frame, MeterReading);
                MeterReading.MeterStatus = 1;
            }
            shown = MeterReading;
        }
        if (decode)
            HandToWindow(MeterUpdates, hWndMain, MeterReadingMessage,
                         MeterBlockUpdate{false, shown.Conductivity, shown.InPhase, shown.MeterDipole});
    }
    return 0;
}

int32_t StartMeterReader()
{
    return StartSerialLinkReader(MeterPort, MeterReaders()[0], MeterReaderThread);
}

void StopMeterReader()
{
    CloseSerialLink(MeterPort, MeterReaders());
}

bool MeterReaderRunning()
{
    return MeterThread != INVALID_HANDLE_VALUE;
}

LRESULT CALLBACK OnMeterReading(HWND window, UINT, WPARAM, LPARAM)
{
    const std::vector<MeterBlockUpdate> updates = MeterUpdates.Take(reinterpret_cast<uintptr_t>(window));
    if (updates.empty())
        return 0;
    WindowDc dc(window);
    if (!dc)
        return 0;
    for (const MeterBlockUpdate& u : updates) {
        if (u.Silence)
            ShowMeterSilence(dc.get());
        else
            ShowMeterReading(dc.get(), u.Conductivity, u.InPhase, u.Dipole);
    }
    return 0;
}

void ShowMeterReading(HDC dc, double conductivity, double inPhase, char dipole)
{
    const RECT box = MeterTextBox();
    FillRect(dc, &box, BrushOr(DrawingObjects.WhiteBrush, WHITE_BRUSH));
    const WideString text = NarrowToWide(MeterReadingText(dipole, conductivity, inPhase));
    {
        SelectGuard font(dc, hFontBold);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        ExtTextOutW(dc, box.left, box.top, ETO_CLIPPED, &box, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    }
    std::lock_guard<std::mutex> hold(ShownLock);
    Shown.Text = text;
    Shown.Red = false;
    ++Shown.Decoded;
    Shown.DrawingThread = GetCurrentThreadId();
}

void ShowMeterSilence(HDC dc)
{
    const RECT box = MeterTextBox();
    FillRect(dc, &box, BrushOr(DrawingObjects.RedBrush, BLACK_BRUSH));
    const WideString text = NarrowToWide(std::string("NO CONNECTION"));
    {
        SelectGuard font(dc, hFontBold);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        TextOutW(dc, (box.left + box.right - size.cx) / 2, box.top, text.c_str(), static_cast<int>(text.size()));
    }
    std::lock_guard<std::mutex> hold(ShownLock);
    Shown.Text = text;
    Shown.Red = true;
    ++Shown.Silences;
    Shown.DrawingThread = GetCurrentThreadId();
}

INT_PTR CALLBACK MeterSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillMeterSetup(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            MeterSetupSelection sel;
            sel.MeterInput = Selection(dialog, IDC_METER_INPUT);
            sel.MeterModel = Selection(dialog, IDC_METER_TYPE);
            sel.MeterComPort = Selection(dialog, IDC_METER_PORT);
            sel.MeterSampleChoice = Selection(dialog, IDC_METER_SAMPLES);
            const int32_t refused = ApplyMeterSetup(sel, Settings, MeterSampleChoice);
            if (RefuseField(dialog, RefusalOfLine(MeterSetupFields, refused), "SQ12-MK2 Setup"))
                return TRUE;
            SettingsFile(SettingsSave);
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return TRUE;
        }
    default:
        return FALSE;
    }
}

INT_PTR ShowMeterSetupDialog(HWND owner)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), L"SQ12SETUP", owner, MeterSetupDlgProc, 0);
}

MeterSetupDialogFunction MeterSetupDialogBox = ShowMeterSetupDialog;

MeterBlockShown CurrentMeterBlockShown()
{
    std::lock_guard<std::mutex> hold(ShownLock);
    return Shown;
}
