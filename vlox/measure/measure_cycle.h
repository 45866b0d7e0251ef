// The buffer-done measurement cycle: after every half-cycle that the synchronisation search
// and gating complete, the work that `MeasureState` asks for: the live monitor pass, stacking
// periods into a reading, the end of a record and of a reading, the automatic store with the
// station advance.
//
// The logic works on the program-wide state below; everything it draws, stores or reads from
// the clock goes through `CycleServices`: the program's own (vlox/ui/cycle_services_win.cpp)
// in the buffer-done handler, a recorder in a test.
#pragma once

#include "vlox/datafile/store.h"
#include "vlox/measure/nulling.h"
#include "vlox/measure/samples.h"
#include "vlox/measure/sync_gates.h"
#include "vlox/settings/settings.h"

#include <atomic>
#include <cstdint>

constexpr int32_t MeasureStateNulling = -1;
constexpr int32_t MeasureStateMonitor = 0;
constexpr int32_t MeasureStateAveraging = 1;
constexpr int32_t MeasureStateSequence = 2;

constexpr int32_t StackSumCount = 101;
constexpr int32_t MaxRecordsPerReading = 6;
constexpr int32_t PruningDepth = 41;
constexpr int32_t PruningHistoryGate = 1;

// Pens of `DrawDecayCurve`: the curve entries of the line settings.
constexpr int32_t MonitoringDecayPen = 100;
constexpr int32_t IntermediateDecayPen = 101;
constexpr int32_t FinalDecayPen = 102;

// -1 nulling, 0 monitoring, 1 averaging a reading, 2 the two-frequency reading. Atomic, as
// is InternalTestMode: the GPS reader thread reads both.
extern std::atomic<int32_t> MeasureState;
// 1 while a measurement series (reading, test) runs.
extern int32_t MeasurementRunning;
// 0, or the test command 45..48 that runs.
extern std::atomic<int32_t> InternalTestMode;
// 0 stopped, 1 live decay curve, 2 live profile.
extern int32_t LiveDisplayMode;

// The run that owns the board. While one does, no command may start, stop, store or change a
// reading or the settings, except the run's own way out (Stop; STORE or Cancel; Exit Test; a
// nulling run ends by itself). It is read from the cycle's own state above, so that it can
// never disagree with what the cycle does.
enum class BoardRun : int32_t {
    None = 0,         // monitoring, paused or stopped: the board is free
    ReadingTaken,     // a reading of the manual survey is averaged (one rate or both)
    ReadingComplete,  // a reading is complete and waits for STORE or Cancel
    AutoSurvey,       // the automatic survey measures and stores readings
    Nulling,          // a nulling run
    InternalTest,     // the test screen is up, while its test runs and after it has finished
};
BoardRun BoardRunOf(int32_t measureState, int32_t measurementRunning, int32_t internalTestMode, int32_t surveyMode);
// The run of the program-wide state.
BoardRun CurrentBoardRun();

extern double StackSums[StackSumCount];
extern int32_t StackCount;
extern int32_t NullingStackCount;
// The finished average per gate, volts (corrected in place by the live conversion).
extern double GateAverages[StackSumCount];
extern int32_t RecordIndex;
extern int32_t RepetitionPhase;
// GetTickCount milliseconds; compared through their differences only (ticks.h).
extern uint32_t AveragingStartTick;
extern uint32_t AveragingEndTick;
extern uint32_t SecondTick;
extern uint32_t LastAutoTriggerTick;
extern uint32_t ReadingEndTick;
extern double MonitorSums[MaxGateCount];
extern int32_t MonitorPassCount;
// Records 1..NumberOfRecords of the reading (index 0 unused): the first or only rate, and
// the second rate of a two-frequency reading.
extern ReadingRecordResult ReadingResultsA[MaxRecordsPerReading + 1];
extern ReadingRecordResult ReadingResultsB[MaxRecordsPerReading + 1];
// Gate values of the last display in `DisplayUnit`, and the early-window value of the last
// complete period (row 0 of the numbers window).
extern double DisplayValues[StackSumCount];
extern double EarlyWindowValue;

// What the cycle asks of the rest of the program.
class CycleServices {
public:
    virtual ~CycleServices() = default;
    virtual uint32_t Now() = 0;
    virtual LocalTime LocalNow() = 0;
    virtual void DrawProgressBar(double fraction) = 0;
    virtual void ClearProgressBar() = 0;
    virtual void SetBusyIndicator(int32_t on) = 0;
    // ConvertGateValues of a live row (`GateCount` values) into `DisplayValues`; the row is
    // corrected in place (polarity, null row).
    virtual void ConvertGateValues(double* row) = 0;
    virtual void RedrawNumbersHeader() = 0;
    // DrawNumbersColumn(hWndNumbers, GateCount, DisplayValues).
    virtual void DrawNumbersColumn() = 0;
    // Copies the empty plot frame from the back buffer onto the curve window.
    virtual void RestoreCurveFrame() = 0;
    virtual void DrawDecayCurve(int32_t pen) = 0;
    virtual void ScrollProfile() = 0;
    // The reading-complete screen: Stop hidden, Store Reading (enabled or not) and Cancel
    // Reading shown, the menus of the reading-complete state.
    virtual void ShowReadingComplete(int32_t storeEnabled) = 0;
    // 1 when the reading was stored, 0 when nothing was stored.
    virtual int32_t StoreReading() = 0;
    // After the station advance: loop centre, station and record fields of the main window.
    virtual void StationAdvanced() = 0;
    // Station map layout, after an automatic store: map area cleared, station kept in view,
    // map redrawn.
    virtual void RedrawStationMapArea() = 0;
    // A diagnostic of the stacking (caption, text); never a modal box inside the cycle.
    virtual void LogDiagnostic(const char* caption, const char* text) = 0;

    // The nulling step routine once a row is complete: 0 standard gates, 1 user gates. It
    // sets up the next step (restarting the board) or ends the run (stopping it).
    virtual void NullingStep(int32_t userGates) = 0;
    // Switches to the first (1) or second (2) rate of a two-frequency reading; restarts the
    // board when it is open.
    virtual void SelectActiveRepetition(int32_t which) = 0;
    // The end of an internal test: board stopped, progress bar hidden, the verdict of test
    // 0..3 shown.
    virtual void FinishInternalTest(int32_t testIndex) = 0;
};

// What the cycle does with the buffer after a half-cycle.
constexpr int32_t CycleContinue = 0;    // go on with the next half-cycle in the buffer
constexpr int32_t CycleRequeue = 1;     // hand the buffer back and answer
constexpr int32_t CycleHoldBuffer = 2;  // answer without handing it back (board restarted)

// Progress of the reading, elapsed / averaging time; 0 for a time that is not positive.
double ProgressFraction(uint32_t now, uint32_t startTick, int32_t averagingMs);

// Adds the complete period in `cycle` to the reading's stack (standard or pruning) and
// counts it in stackCount. Nothing happens unless `CycleReady` is 1.
void StackPeriod(const SyncCycleState& cycle, int32_t& stackCount, CycleServices& services);
// `GateAverages` over stackCount periods; nothing for a count of 0.
void AverageStack(int32_t stackCount);

// Clears the stack and sets the ticks for a new record or reading starting now.
void StartRecordTimer(uint32_t now);

// The per-period handling after one completed half-cycle (CombineHalfCycles has run).
int32_t HandleHalfCycle(const SyncCycleState& cycle, CycleServices& services);

// One buffer: progress, the half-cycles found in it, each handled. Answers `CycleRequeue`
// or `CycleHoldBuffer`.
int32_t RunMeasurementCycle(const SampleBuffer& buffer, const SyncCycleConfig& config, CycleServices& services);

// The synchronisation configuration from the program-wide values of the last board start
// and the settings, with the sign of the Invert switch.
SyncCycleConfig CurrentSyncConfig(double polaritySign);
