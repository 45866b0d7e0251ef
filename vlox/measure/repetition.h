// Repetition switching and the nulling steps as logic over the program-wide state: what a
// step code sets, the standard-gates and user-gates step routines, and the switch between
// the two rates of a two-frequency reading. What touches the board, the screen and the files
// goes through `NullingServices`; the Win32 side fills it with the real operations and a test
// with a recorder.
#pragma once

#include <cstdint>

#include "vlox/measure/nulling.h"
#include "vlox/settings/settings.h"

// Last standard-gates code that measures; any code above ends the run.
constexpr int32_t NullingLastStandardCode = 83;
// Last user-gates code that measures; any code above ends the run.
constexpr int32_t NullingLastUserGatesCode = 6;

// What one step code sets.
struct NullingStepAction {
    // 1: the code ends the run; nothing else below applies.
    int32_t EndOfRun = 0;
    // 1: the code starts a rate block: `RepRateIndex` and `RepetitionRate` are set from
    // RateIndex. The user-gates start keeps the user's rate but sets `RepetitionRate` anew.
    int32_t SetsRate = 0;
    int32_t RateIndex = -1;
    // Slot, gate set and gate count, -1 where the code leaves them.
    int32_t Slot = -1;
    int32_t GateSet = -1;
    int32_t GateCount = -1;
    // 1: the gate tables are rebuilt (a new rate or gate set).
    int32_t BuildsGateTables = 0;
    // Gain code for `GainX`, `GainY`, `GainZ` and `GainCodeSent`.
    int32_t Gain = 0;
    // 1: the previous column (`NullingProgressCount` - 1) is filled to 1.0 when there is one.
    int32_t FillsPreviousColumn = 0;
    // Fraction the current column is filled to; negative: no bar for it.
    double BarFraction = -1.0;
    // 1: after its bar the code moves `NullingProgressCount` on to the next column.
    int32_t AdvancesColumn = 0;
};

// Standard gates: rate blocks 6, 5, 4, 3, 2 (fourteen codes: 20 gates at gains 0-6, then 30
// gates) and 1, 0 (seven codes, 20 gates), starting at 0, 14, 28, 42, 56, 70, 77. A code
// above 83, or a negative one, ends the run.
NullingStepAction StandardNullingStepAction(int32_t code);
// User gates: code 0 the first gain with the user's rate and gates, 1-6 the gains 1-6; any
// other code ends the run.
NullingStepAction UserGatesNullingStepAction(int32_t code);
// First code of the block of a rate index (0..6), -1 for another index.
int32_t NullingBlockStart(int32_t rateIndex);

// What the step routines and the repetition switch ask of the rest of the program.
class NullingServices {
public:
    virtual ~NullingServices() = default;
    virtual void BuildGateTables() = 0;
    virtual void DrawParameterPanel() = 0;
    virtual void RestartAcquisitionIfOpen() = 0;
    virtual void RestartAcquisition() = 0;
    virtual void StopAcquisition() = 0;
    // The box that ends a run, on the main window.
    virtual void ShowMessage(const char* text, const char* caption) = 0;
    // Erases the progress box.
    virtual void EraseNullingProgress() = 0;
    virtual void DrawNullingProgressBar(int32_t column, double fraction) = 0;
    // Saves the configuration file (the null tables go with it).
    virtual void SaveSettings() = 0;
    // 1 while a data file (and with it its NLG file) is open.
    virtual int32_t DataFileOpen() = 0;
    virtual void WriteNullingTable(int32_t op, int32_t mains) = 0;
    virtual void InvalidateMainWindow() = 0;
    // 1 while the board is open (a failed restart has closed it after its own message).
    virtual int32_t BoardOpen() = 0;
};

constexpr const char NullingDoneCaption[] = "Nulling";
constexpr const char SelectiveNullingDoneText[] = "Selective Nulling Completed";
constexpr const char UserGatesNullingDoneText[] = "User Gates Setup Nulling Completed";

// True when the settings measure at that repetition (1 the first, any other value the second)
// of a two-frequency reading: its rate, gate set and gain, the gain sent too.
bool RepetitionActive(int32_t which, const SettingsValues& s, int32_t gainCodeSent);

// Takes the first repetition (which = 1) or the second (any other value) of a two-frequency
// reading: rate, gate set and gain, then rebuilds the gate tables, redraws the panel and
// restarts an open board. A choice outside 0..11 or a gain outside 0..6 switches nothing.
void SelectActiveRepetitionWith(int32_t which, NullingServices& services);

// The step routines: store the row the cycle has just averaged (from the second call of a
// run on), then set up the step at `NullingStepIndex` or end the run. A step whose board
// restart fails abandons the run: no buffers would come to end it, so the progress box goes,
// the user's settings come back and the state returns to monitoring. Both answer 0.
int32_t StandardGatesNullingStepWith(NullingServices& services);
int32_t UserGatesNullingStepWith(NullingServices& services);
