// Pruning statistics: a robust stacking estimate for the gate values of a reading.
//
// For every gate a sliding window of the latest N periods is kept in sorted order, with prefix
// sums of the values and of their squares by rank, so that the window mean and every trimmed
// mean cost two differences. Three estimates come out per gate: the window mean, the trimmed
// mean with the smallest standard error and the one with the smallest variance. A second
// window follows the last N - 1 estimates of one gate (the history gate); the estimate whose
// history has the smallest half-range is taken for every gate. Gates are numbered from 1.
#pragma once

#include <cstdint>

constexpr int32_t PruningMaxDepth = 99;   // rank rows 0..99
constexpr int32_t PruningMinDepth = 8;    // below 8 the rank bounds collapse to 0
constexpr int32_t PruningGateRows = 101;  // rows 1..100
constexpr int32_t PruningResultColumns = 10;

// One sliding window in sorted order. Positions 1..depth are used; rank 0 of the prefix sums
// holds 0.
struct PruningWindow {
    double Ring[PruningMaxDepth + 1];  // value of each slot
    int32_t RankOfSlot[PruningMaxDepth + 1];
    int32_t SlotOfRank[PruningMaxDepth + 1];
    double Sorted[PruningMaxDepth + 1];  // ascending by rank
    double PrefixSum[PruningMaxDepth + 1];
    double PrefixSquares[PruningMaxDepth + 1];
};

// A diagnostic the cycle may show: caption and text as formatted.
struct PruningDiagnostic {
    char Caption[16];
    char Text[200];
};
constexpr int32_t PruningDiagnosticSlots = 8;

struct PruningState {
    double PruningInput[PruningGateRows];                          // 1..gate count
    double PruningResults[PruningGateRows][PruningResultColumns];  // columns 0-3 used
    PruningWindow GateWindow[PruningGateRows];
    int32_t RankBounds[9];
    int32_t RememberedDepth;  // 0 after a clear
    int32_t FilledGateCount;  // gates whose windows hold data
    int32_t CallsSinceDiagnostic;

    PruningWindow EstimatorHistory[4];  // estimates 1..3
    int32_t HistoryDepth;               // 0 until the first call of the run
    int32_t HistoryCalls;
    double EstimatorSpread[4];  // 1..3: half-range of each history

    PruningDiagnostic Diagnostics[PruningDiagnosticSlots];  // of the last call
    int32_t DiagnosticCount;

    // Rows whose window took a period that columns 0-3 do not show yet, with the estimate
    // chosen in that period; PendingRows is the highest of them (0: none).
    int32_t RowPending[PruningGateRows];
    int32_t RowChoice[PruningGateRows];
    int32_t PendingRows;
};

// The program-wide instance used by the measurement cycle.
extern PruningState Pruning;

// Clears everything, the history included (program start).
void ClearPruningState(PruningState& state);

// Fills a window of depth positions with one value (every slot x, ranks in slot order).
void FillPruningWindow(PruningWindow& window, int32_t depth, double x);
// Puts x into a slot, keeping the order and the prefix sums; equal values are never passed.
void InsertIntoWindow(PruningWindow& window, int32_t depth, int32_t slot, double x);

// Updates the windows of gates 1..gateCount with `PruningInput` and fills columns 1-3 of their
// `PruningResults` rows (rows left pending before are worked out first when the windows are
// refilled). Stack number 0 starts a new reading: all windows are refilled with
// the present input (also whenever the depth changes, or for gates not filled before).
void UpdateGateWindows(PruningState& state, int32_t gateCount, int32_t depth, int32_t stackNumber);
// Puts columns 1-3 of the gate's row into the history (depth positions) and recomputes
// `EstimatorSpread`. The very first call fills the history with the gate's present input.
void UpdateEstimatorHistory(PruningState& state, int32_t gate, int32_t depth);
// 1, 2 or 3: the estimate with the smallest spread; on equality the higher one wins.
int32_t SmallestSpreadEstimator(const PruningState& state);

// The whole step for one period, after `PruningInput` 1..gateCount has been filled: column 0
// of every gate's row becomes the chosen estimate. Returns 1, or 0 (nothing changed) when
// the gate count is outside 1..100, the depth outside 8..99 or the history gate outside
// 1..gateCount, or the stack number is negative.
int32_t PruningStack(PruningState& state, int32_t gateCount, int32_t depth, int32_t historyGate, int32_t stackNumber);

// The same step with the rows of gates other than gate 1 and the history gate left pending:
// the windows, the history, the choice and the diagnostics are as after `PruningStack`. A
// reading is averaged about once a second, while a period ends up to 570 times a second, so
// the cycle works out each row only when it reads it. Returns as `PruningStack`.
int32_t PruningAddPeriod(PruningState& state, int32_t gateCount, int32_t depth, int32_t historyGate,
                         int32_t stackNumber);
// Works out the pending rows: afterwards every row holds what `PruningStack` would have left
// in it.
void FinishPruningResults(PruningState& state);
