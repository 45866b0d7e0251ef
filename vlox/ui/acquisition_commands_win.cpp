#include "vlox/ui/acquisition_commands_win.h"

#include <string>

#include "resources/resource.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/datafile.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/review_state.h"
#include "vlox/datafile/store.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/display/splash_win.h"
#include "vlox/instruments/gps.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/instruments/meter_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/internal_test_win.h"
#include "vlox/measure/repetition.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/command_rules.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/cycle_services_win.h"
#include "vlox/ui/enabling_win.h"
#include "vlox/ui/main_window_win.h"
#include "vlox/ui/selective_nulling_dialog_win.h"
#include "vlox/ui/status_panel_win.h"
#include "vlox/ui/status_strip_win.h"

int32_t PreviousReadingCounter = 0;
POINT StoredStationPixel = {0, 0};
// No reading stored on the GPS map yet: no station to mark.
static bool StoredStationPixelTaken = false;

void DrawLeftStationMarker()
{
    if (StoredStationPixelTaken && GpsTrackPointCount() >= 1)
        DrawStationMarker(hWndMap, StoredStationPixel);
}

int32_t DynamicBuildVariant = 0;

namespace {

HWND ButtonAt(int32_t slot)
{
    return slot >= 0 && slot < ButtonSlots ? hButtons[slot] : nullptr;
}

void Invalidate(HWND window)
{
    if (window != nullptr)
        InvalidateRect(window, nullptr, TRUE);
}

void ClearStackSums()
{
    StackCount = 0;
    for (double& s : StackSums)
        s = 0.0;
}

// The reading's clock starts now.
void StartAveragingClock(uint32_t averagingMs)
{
    const uint32_t now = GetTickCount();
    SecondTick = now;
    AveragingStartTick = now;
    AveragingEndTick = now + averagingMs;
}

// Meter text box: white, with "DISABLED" when the meter is off.
void PaintMeterTextBox()
{
    if (hWndMain == nullptr)
        return;
    WindowDc dc(hWndMain);
    if (!dc)
        return;
    const FieldRect& f = MainScreenLayout.MeterTextRect;
    const RECT r{f.left, f.top, f.right, f.bottom};
    FillRect(dc.get(), &r,
             DrawingObjects.WhiteBrush != nullptr ? DrawingObjects.WhiteBrush
                                                  : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (Settings.MeterInput == 0) {
        SetBkMode(dc.get(), TRANSPARENT);
        SelectGuard bold(dc.get(), hFontBold);
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), L"DISABLED", 8, &size);
        TextOutW(dc.get(), (f.left + f.right - size.cx) / 2, f.top, L"DISABLED", 8);
    }
}

// Leaving a station in manual survey mode: GPS plotting goes on, and the left station gets
// its marker on the map where its reading was stored.
void StationMarkerStep(bool lineStep)
{
    if (Settings.SurveyMode != 0)
        return;
    MapGpsPlotOn = 1;
    MapCrossBoxSaved = 0;
    if (lineStep)
        SimTrackRestart = 1;
    else
        SimStationStep = 1;
    DrawLeftStationMarker();
}

void StationMapStep()
{
    if (MapLayoutMode != 2)
        return;
    ClearDisplayArea(1);
    KeepStationInView();
    RedrawStationMap(hWndMap);
}

void HideRepeatLastStation()
{
    ShowButton(ButtonSlotOf(CmdRepeatLastStation), false);
}

void DrawStationAndRecordFields()
{
    DrawStationField(hWndMain);
    DrawRecordNumberField(hWndMain);
}

// The GPS sentences of a stored reading through the GPS link. While it waits for a fresh
// sentence the GPS reader's sent messages are let through: the reader is blocked in its
// send until they are, and would otherwise never deliver the sentence waited for.
class LinkStoreGpsOps final : public StoreGpsOps {
public:
    bool SentencesCanArrive() override
    {
        return GpsPort.load() != INVALID_HANDLE_VALUE && ReaderThreadAlive(GpsThread);
    }
    bool Fresh(int32_t kind) override { return GpsSentenceFresh(kind); }
    void ClearFresh() override { ClearGpsSentenceFresh(); }
    bool WaitFresh(int32_t kind, uint32_t timeoutMs) override
    {
        const uint32_t start = GetTickCount();
        while (!Fresh(kind)) {
            const uint32_t elapsed = GetTickCount() - start;
            if (elapsed > timeoutMs)
                return false;
            const DWORD slice = timeoutMs - elapsed + 1 < 20 ? timeoutMs - elapsed + 1 : 20;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_SENDMESSAGE);
            MSG msg;
            // Delivers the messages other threads sent; posted ones stay queued.
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        return true;
    }
    void SetCopyHold(int32_t hold) override { GpsCopyHold = hold; }
    bool Copy(int32_t kind, std::string& text, uint32_t& tick) override { return CopyGpsSentence(kind, text, tick); }
    uint32_t Now() override { return GetTickCount(); }
    void Store(const std::string& text, uint32_t tick, char firstTag, char continuationTag) override
    {
        StoreTextInDataFile(text.c_str(), tick, firstTag, continuationTag);
    }
};

bool RefuseWithoutMonitor(const char* text, const char* caption)
{
    if (MonitorRunning())
        return false;
    ShowCommandMessage(hWndMain, text, caption, MB_OK);
    return true;
}

// Asks the "NULLING" box; true on OK.
bool ConfirmNulling(NullingKind kind)
{
    const std::string text =
        NullingConfirmText(kind, NullingMainsHz(Settings.PowerLineFrequency), NullingEstimateSeconds);
    const bool ok = ShowCommandMessage(hWndCurve, text.c_str(), NullingCaption, MB_OKCANCEL) == IDOK;
    // The boxes' own loops may have run another command meanwhile: a run starts only on a
    // board that is still free.
    return ok && CurrentBoardRun() == BoardRun::None && MonitorRunning();
}

void StartNullingRun(int32_t kind, bool drawAxes)
{
    // The run's rates and gains are its own: the configuration keeps the operator's.
    HoldOperatorSettings();
    DrawNullingProgress(kind, 0);
    MeasureState = -1;
    NullingProgressCount = 0;
    ClearDisplayArea(0);
    if (drawAxes) {
        WindowDc dc(hWndCurve);
        if (dc)
            DrawCurveAxes(dc.get());
    } else {
        Invalidate(hWndCurve);
    }
}

// The buttons the test screen's own buttons stand over.
const int32_t TestScreenTakesPlaceOf[] = {IDC_PAUSE};
GivenWay TestScreenPlaces;

const int32_t (&StackTargetRow())[StackTargetSlots]
{
    const int32_t a =
        Settings.AveragingTimeIndex >= 0 && Settings.AveragingTimeIndex < 9 ? Settings.AveragingTimeIndex : 0;
    return StackTargets[a];
}

}  // namespace

bool ButtonShown(int32_t slot)
{
    HWND b = ButtonAt(slot);
    return b != nullptr && (GetWindowLongW(b, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ShowButton(int32_t slot, bool shown)
{
    if (HWND b = ButtonAt(slot))
        ShowWindow(b, shown ? SW_SHOW : SW_HIDE);
    // A button comes up as the state allows it, not as the state before its command left it.
    ShowOfferedControls();
}

bool MonitorRunning()
{
    return ButtonShown(ButtonSlotOf(CmdPause));
}

bool DataFileShownOpen()
{
    return ButtonShown(ButtonSlotOf(CmdCloseDataFile));
}

void MonitorCommand()
{
    if (Settings.MeterInput == 1 && !MeterReaderRunning()) {
        if (OpenMeterPort() == 0)
            return;
        if (Settings.MeterModel == 0) {
            StartMeterReader();
            MeterReadingsActive = 1;
        }
    } else {
        MeterReadingsActive = 1;
    }

    ReleaseSubsystems();
    ResetAcquisitionState();
    if (OpenAcquisitionBoard() == 0)
        return;

    ShowButton(ButtonSlotOf(CmdMonitor), false);
    ShowButton(ButtonSlotOf(CmdPause), true);
    SetMenuItem(IDM_MONITOR, false);
    SetMenuItem(IDM_PAUSE, true);
    SetMenuItem(IDM_METER_SETUP, false);
    if (DataFileShownOpen()) {
        EnableButton(ButtonSlotOf(CmdMeasure), true);
        SetMenuItem(IDM_MEASURE, true);
    }
    ShowButton(ButtonSlotOf(CmdStoreReading), false);
    ShowButton(ButtonSlotOf(CmdCancelReading), false);

    MonitorPassPeriods =
        MonitorPassPeriodsFor(Settings.RepRateIndex, MonitorPassPeriodsFast, Settings.MonitorPassPeriodsMedium);
    MonitorPassCount = 0;
    for (int32_t g = 0; g < GateCount && g < MaxGateCount; ++g)
        MonitorSums[g] = 0.0;

    LiveDisplayMode = 1;
    StartAcquisition(0);
}

void PauseCommand()
{
    ShowButton(ButtonSlotOf(CmdPause), false);
    ShowButton(ButtonSlotOf(CmdMonitor), true);
    SetMenuItem(IDM_MONITOR, true);
    SetMenuItem(IDM_PAUSE, false);
    SetMenuItem(IDM_METER_SETUP, true);
    MeterReadingsActive = 0;
    PaintMeterTextBox();
    if (DataFileShownOpen()) {
        EnableButton(ButtonSlotOf(CmdMeasure), false);
        SetMenuItem(IDM_MEASURE, false);
    }
    LiveDisplayMode = 0;
    ClearDisplayArea(0);
    ClearDisplayArea(2);
    Invalidate(hWndCurve);
}

void MeasureCommand()
{
    if (Settings.SurveyMode == 0) {
        HideRepeatLastStation();
        if (Settings.GraphView == 1) {
            CheckMenuItem(hMenuMain, IDM_DECAY_VIEW, MF_BYCOMMAND | MF_CHECKED);
            CheckMenuItem(hMenuMain, IDM_PROFILE_VIEW, MF_BYCOMMAND | MF_UNCHECKED);
            Settings.GraphView = 0;
            Invalidate(hWndMain);
        }
        // A two-frequency reading starts at its first rate, whatever rate was left active.
        if (Settings.TwoFrequencyMode > 0 && !RepetitionActive(1, Settings, GainCodeSent))
            SelectActiveRepetition(1);
        // No GPS fixes are plotted while the reading is taken.
        MapGpsPlotOn = 0;
        MeasurementRunning = 1;
        EnableControlsForState(ButtonsBusy);
        EnableMenusForState(LogMeasuring);
        ClearDisplayArea(0);
        Invalidate(hWndCurve);
        ClearStackSums();
        StartAveragingClock(static_cast<uint32_t>(AveragingTimeMs));
        MeasureState = 1;
        if (Settings.TwoFrequencyMode > 0) {
            RepetitionPhase = 1;
            MeasureState = 2;
            ClearDisplayArea(2);
        }
        HalfCycleFlags[0] = HalfCycleFlags[1] = 0;
        RecordIndex = 0;
        EnableButton(ButtonSlotOf(CmdMeasure), false);
        return;
    }

    AutoTriggerIntervalMs = AutoTriggerIntervalForMeasure(AveragingTimeMs, AutoTriggerIntervalMs);
    ReadingCounter = 0;
    Settings.RecordCountIndex = 0;
    NumberOfRecords = 1;
    MeasurementRunning = 1;
    DrawParameterPanel();
    EnableControlsForState(ButtonsBusy);
    EnableMenusForState(LogMeasuring);
    if (ProfileDrawn == 0) {
        ClearDisplayArea(0);
        ScaleProfileAxis();
        DrawLiveProfileFrame();
    }
    ClearStackSums();
    StartAveragingClock(static_cast<uint32_t>(AveragingTimeMs));
    // The two-frequency sequence is not started in auto mode.
    MeasureState = 1;
    HalfCycleFlags[0] = HalfCycleFlags[1] = 0;
    RecordIndex = 0;
    LastAutoTriggerTick = GetTickCount();
    EnableButton(ButtonSlotOf(CmdMeasure), false);
}

void StopCommand()
{
    if (Settings.SurveyMode == 0) {
        MeasureState = 0;
        StackCount = 0;
        RecordIndex = 0;
        MeasurementRunning = 0;
        if (ReadingCounter == 0)
            MapGpsPlotOn = 1;
        ShowButton(ButtonSlotOf(CmdStop), false);
        EnableMenusForState(LogReady);
        EnableControlsForState(ButtonsIdle);
        ClearDisplayArea(0);
        Invalidate(hWndCurve);
        HalfCycleFlags[0] = HalfCycleFlags[1] = 0;
        LiveDisplayMode = 1;
        if (Settings.TwoFrequencyMode == 1)
            SelectActiveRepetition(1);
        return;
    }
    SetBusyIndicator(0);
    MeasureState = 0;
    StackCount = 0;
    RecordIndex = 0;
    MeasurementRunning = 0;
    ShowButton(ButtonSlotOf(CmdStop), false);
    ShowButton(ButtonSlotOf(CmdMeasure), true);
    ShowButton(ButtonSlotOf(CmdCloseDataFile), true);
    ShowButton(ButtonSlotOf(CmdPause), true);
    EnableMenusForState(LogReady);
    EnableControlsForState(ButtonsIdle);
    HalfCycleFlags[0] = HalfCycleFlags[1] = 0;
    LiveDisplayMode = Settings.GraphView == 0 ? 1 : 2;
}

void StoreReadingCommand()
{
    EnableButton(ButtonSlotOf(CmdStoreReading), false);
    EnableButton(ButtonSlotOf(CmdCancelReading), false);

    if (ReadingCounter == 0 && MapLayoutMode == 1) {
        POINT cross{0, 0};
        PlotGpsPosition(hWndMap, 1, 0, &cross);
        StoredStationPixel = cross;
        StoredStationPixelTaken = true;
    }

    int32_t stored = 0;
    if (Settings.TwoFrequencyMode == 0) {
        stored = StoreReading();
    } else {
        stored = StoreDualRepetitionReading();
        SelectActiveRepetition(1);
    }
    if (stored == 0) {
        // The operator has been told; the reading stays on screen to be stored again or
        // cancelled, and the station is not left as if it had been stored.
        EnableButton(ButtonSlotOf(CmdStoreReading), true);
        EnableButton(ButtonSlotOf(CmdCancelReading), true);
        return;
    }

    LinkStoreGpsOps gps;
    StoreGpsSentences(Settings.GpsInput, Settings.GpsNmeaData, ReadingEndTick, AveragingStartTick, gps);

    DelayMs(200);
    EnableMenusForState(LogReady);
    EnableControlsForState(ButtonsIdle);
    EnableButton(ButtonSlotOf(CmdStoreReading), true);
    EnableButton(ButtonSlotOf(CmdCancelReading), true);
    MeasurementRunning = 0;
    ClearDisplayArea(0);
    Invalidate(hWndCurve);
    LiveDisplayMode = 1;
    RecordIndex = 0;
    ShowButton(ButtonSlotOf(CmdRepeatLastStation), true);

    StationMarkerStep(false);

    ClearComments(0);
    AdvanceStationAfterStore(Settings, CurrentStation, ReadingCounter, PreviousReadingCounter);
    UpdateLoopCentre();
    DrawStationAndRecordFields();
    StationMapStep();
}

void CancelReadingCommand()
{
    if (ReadingCounter == 0)
        MapGpsPlotOn = 1;
    EnableMenusForState(LogReady);
    EnableControlsForState(ButtonsIdle);
    MeasurementRunning = 0;
    ClearDisplayArea(0);
    Invalidate(hWndCurve);
    LiveDisplayMode = 1;
    RecordIndex = 0;
    if (Settings.TwoFrequencyMode == 1)
        SelectActiveRepetition(1);
}

void RepeatLastStationCommand()
{
    StationMarkerStep(false);
    ClearComments(0);
    RepeatLastStation(Settings, CurrentStation, ReadingCounter, PreviousReadingCounter);
    UpdateLoopCentre();
    DrawStationAndRecordFields();
    StationMapStep();
    HideRepeatLastStation();
}

void FullNullingCommand()
{
    if (RefuseWithoutMonitor(NullingRefusalText, NullingRefusalCaption))
        return;
    BuildFullNullingSteps(NullingSteps);
    NullingStepIndex = 0;
    SavedMeasureSettings = CaptureMeasureSettings(Settings, GateCount, GainCodeSent);
    NullingEstimateSeconds = FullNullingEstimate(StackTargetRow());
    if (!ConfirmNulling(NullingKind::Full))
        return;
    // Every rate is nulled: the flag line and the NLG file read the rates of the last run
    // from here, and must not keep those of an earlier selective run.
    for (int32_t& selected : NullRateSelected)
        selected = 1;
    StartNullingRun(0, false);
    StandardGatesNullingStep();
}

void SelectiveNullingCommand()
{
    if (RefuseWithoutMonitor(NullingRefusalText, NullingRefusalCaption))
        return;
    if (DynamicBuildVariant != 0) {
        for (int32_t r = 0; r < RepRateCount; ++r)
            NullRateSelected[r] = r == 0 ? 1 : 0;
    } else if (SelectiveNullingDialog(hWndMain) != 1) {
        return;
    }
    bool any = false;
    for (int32_t r = 0; r < RepRateCount; ++r)
        any = any || NullRateSelected[r] == 1;
    if (!any)
        return;
    BuildSelectiveNullingSteps(NullRateSelected, NullingSteps);
    NullingStepIndex = 0;
    SavedMeasureSettings = CaptureMeasureSettings(Settings, GateCount, GainCodeSent);
    NullingEstimateSeconds = SelectiveNullingEstimate(StackTargetRow(), NullRateSelected);
    if (!ConfirmNulling(NullingKind::Selective))
        return;
    StartNullingRun(1, true);
    StandardGatesNullingStep();
}

void UserGatesNullingCommand()
{
    if (RefuseWithoutMonitor(NullingRefusalText, NullingRefusalCaption))
        return;
    NullingStepIndex = 0;
    SavedMeasureSettings = CaptureMeasureSettings(Settings, GateCount, GainCodeSent);
    NullingEstimateSeconds = UserGatesNullingEstimate(StackTargetRow(), Settings.RepRateIndex);
    BuildUserGatesNullingSteps(NullingSteps);
    if (!ConfirmNulling(NullingKind::UserGates))
        return;
    StartNullingRun(2, true);
    UserGatesNullingStep();
}

void InternalTestCommand(int32_t command)
{
    ShowButton(ButtonSlotOf(CmdInvert), false);
    if (ButtonShown(ButtonSlotOf(CmdRepeatLastStation))) {
        ShowButton(ButtonSlotOf(CmdRepeatLastStation), false);
        RepeatButtonHidden = 1;
    }
    if (!MonitorRunning() && !ButtonShown(ButtonSlotOf(CmdExitTest))) {
        ShowCommandMessage(hWndMain, TestRefusalText, TestRefusalCaption, MB_OK);
        RestoreLoggingButtons();
        return;
    }
    InternalTestMode = command;
    DrawInternalTest(command - CmdTestDc, 0);
    // A second test chosen while one runs keeps the settings the first one saved.
    if (!ButtonShown(ButtonSlotOf(CmdTestDc))) {
        // "E&xit Test Mode" takes the place of "Pause", which the test screen disables.
        GiveWay(TestScreenTakesPlaceOf, 1, TestScreenPlaces);
        ShowButton(ButtonSlotOf(CmdExitTest), true);
        SaveRestoreUserSettings(0);
        EnableControlsForTest(0);
        EnableMenusForTest(0);
    }
    SetTestPlotScale();
    SetupInternalTest();
    MeasurementRunning = 1;
    ClearDisplayArea(2);
    MapGpsPlotOn = 0;
    ClearProgressBar();
    RestartAcquisition();

    ClearStackSums();
    RedrawNumbersHeader();
    StartAveragingClock(10000);
    if (hWndBar != nullptr)
        ShowWindow(hWndBar, SW_SHOW);
    MeasureState = 1;
    HalfCycleFlags[0] = HalfCycleFlags[1] = 0;
    RecordIndex = 0;

    ClearDisplayArea(0);
    CurveBackgroundSaved = 0;
    ComputeCurveScale();
    Invalidate(hWndCurve);
    EnableButton(ButtonSlotOf(CmdMeasure), false);
}

void ExitTestCommand()
{
    RestoreLoggingButtons();
    // Create Data File is offered again only when no data file is open: a second file must
    // never be created over the first.
    if (DataFile == INVALID_HANDLE_VALUE)
        SetMenuItem(IDM_CREATE_DATA_FILE, true);
    if (InternalTestMode <= 0)
        return;
    if (hWndBar != nullptr)
        ShowWindow(hWndBar, SW_HIDE);
    EnableControlsForTest(1);
    TakeBackPlaces(TestScreenPlaces);
    EnableMenusForTest(1);
    DrawInternalTest(0, 1);
    InternalTestMode = 0;
    OutputLineBase = 0;
    SaveRestoreUserSettings(1);
    ClearDisplayArea(0);
    RedrawNumbersHeader();
    CurveBackgroundSaved = 0;
    ComputeCurveScale();
    RestartAcquisition();
    HalfCycleFlags[0] = HalfCycleFlags[1] = 0;
    MeasureState = 0;
    LiveDisplayMode = 1;
    MeasurementRunning = 0;
}

void ResetDefaultsCommand()
{
    if (ShowCommandMessage(hWndMain, ResetDefaultsText, ResetDefaultsCaption, MB_YESNO | MB_ICONWARNING) == IDYES)
        ResetConfiguration();
}

void InvertCommand()
{
    if (InvertOn == 0) {
        InvertOn = 1;
        PolaritySign = -1.0;
    } else {
        InvertOn = 0;
        PolaritySign = 1.0;
    }
    DrawViewModeField(hWndMain);
    SettingsFile(SettingsSave);
}

void MonitorGpsCommand()
{
    SavedGpsSetting = Settings.GpsInput;
    // Every reader of the port ends (and is waited for) before the monitor's reader starts:
    // two readers never share the port.
    CloseGpsLinkAtExit();
    if (Settings.GpsInput > 0)
        FreeGpsTrack();
    OpenGpsMonitor();

    GpsMonitorState = 2;
    if (hWndMonitorGps != nullptr) {
        SetFocus(hWndMonitorGps);
        ShowWindow(hWndMonitorGps, SW_SHOW);
        SetFocus(hWndMonitorGps);
    }
    ButtonCount = ButtonSlots;
    for (int32_t i = 0; i < ButtonSlots; ++i) {
        ButtonVisible[i] = 0;
        if (ButtonShown(i)) {
            ShowButton(i, false);
            ButtonVisible[i] = 1;
        }
    }
    Invalidate(hWndMain);
}

void MeterSetupCommand()
{
    MeterSetupDialogBox(hWndMain);
    // A disabled meter holds nothing: its port is closed whether or not a reader ran on it
    // (model 1 opens the port without one). Nothing open, nothing is done.
    if (Settings.MeterInput == 0)
        StopMeterReader();
    SettingsFile(SettingsSave);
    Invalidate(hWndMain);
}

void ExitCommand()
{
    CloseGpsLinkAtExit();
    CloseStationIndexFile();
    ShowClosingSplash();
    StopAcquisition();
    DelayMs(2000);
    // No destroy message and no settings save: the process ends here.
    EndProgramProcess(0);
}

namespace {

// Live station and line steps.
void LiveStationStep(bool next)
{
    HideRepeatLastStation();
    StationMarkerStep(false);
    ClearComments(0);
    StepStation(next, Settings, CurrentStation, ReadingCounter);
    UpdateLoopCentre();
    DrawStationAndRecordFields();
    StationMapStep();
}

void LiveLineStep(bool next)
{
    HideRepeatLastStation();
    StationMarkerStep(true);
    ReadingCounter = 0;
    if (next && Settings.GraphView == 1) {
        RestartProfileStrip();
        ClearDisplayArea(0);
        Invalidate(hWndCurve);
    }
    StepLine(next, Settings, CurrentStation, ReadingCounter);
    UpdateLoopCentre();
    ClearComments(2);
    ReadingCounter = 0;
    DrawLineNumberField(hWndMain);
    DrawLineDirectionField(hWndMain);
    DrawStationAndRecordFields();
    StationMapStep();
}

}  // namespace

// Defined with the command handler: the review operations on the real controls.
bool StepReviewStationOnScreen(bool next);
bool StepReviewLineOnScreen(bool next);

void StationStepCommand(int32_t command)
{
    const bool next = command == CmdNextStation;
    if (ReviewMode == -1)
        LiveStationStep(next);
    else
        StepReviewStationOnScreen(next);
}

void LineStepCommand(int32_t command)
{
    const bool next = command == CmdNextLine;
    if (ReviewMode == -1)
        LiveLineStep(next);
    else
        StepReviewLineOnScreen(next);
}
