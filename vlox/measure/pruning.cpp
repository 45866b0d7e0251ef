#include "vlox/measure/pruning.h"

#include <cmath>
#include <cstdio>
#include <cstring>

PruningState Pruning;

namespace {

void AddDiagnostic(PruningState& s, const char* caption, const char* text)
{
    if (s.DiagnosticCount >= PruningDiagnosticSlots)
        return;
    PruningDiagnostic& d = s.Diagnostics[s.DiagnosticCount++];
    std::snprintf(d.Caption, sizeof d.Caption, "%s", caption);
    std::snprintf(d.Text, sizeof d.Text, "%s", text);
}

void ComputeRankBounds(PruningState& s, int32_t depth)
{
    for (int32_t k = 0; k <= 8; ++k)
        s.RankBounds[k] = k * (depth / 8);
}

// After an insertion on gate 1: the prefix sums against a fresh running sum of the sorted
// values; a difference above 0.01 is reported rank by rank.
void CheckPrefixSums(PruningState& s, const PruningWindow& w, int32_t depth, double x)
{
    double running = 0.0;
    for (int32_t k = 1; k <= depth; ++k) {
        running += w.Sorted[k];
        if (std::fabs(w.PrefixSum[k] - running) > 0.01) {
            char text[200];
            std::snprintf(text, sizeof text,
                          " %2d s %7.3f ss %7.3f  v %7.2f \n %2d    %7.3f     %7.3f    %7.2f  \n"
                          " avg %7.3f sq %7.3f ssq %7.3f ",
                          k, w.PrefixSum[k], w.PrefixSquares[k], w.Sorted[k], 1, w.PrefixSum[1],
                          w.PrefixSquares[1], depth >= 2 ? w.Sorted[2] : 0.0, running,
                          running * running, x * x);
            AddDiagnostic(s, "Neg. MSD ", text);
            s.CallsSinceDiagnostic = 0;
        }
    }
}

// Columns 1-3 of a gate's row from its window; reports the rank window of a negative
// smallest variance through negativeA/negativeB (0 when none).
void Estimate(const PruningState& s, const PruningWindow& w, int32_t depth, double* row,
              int32_t& negativeA, int32_t& negativeB)
{
    row[1] = w.PrefixSum[depth] / depth;
    double bestError = 0.0, bestVariance = 0.0;
    double meanOfError = row[1], meanOfVariance = row[1];
    int32_t varianceA = 0, varianceB = 0;
    for (int32_t i = 0; i <= 3; ++i) {
        for (int32_t j = 8; j >= 5; --j) {
            const int32_t a = s.RankBounds[i];
            const int32_t b = s.RankBounds[j];
            const int32_t length = b - a;
            const double m = (w.PrefixSum[b] - w.PrefixSum[a]) / length;
            const double q = (w.PrefixSquares[b] - w.PrefixSquares[a]) / length;
            const double variance = q - m * m;
            const double error = variance / length;
            // A best value of exactly 0 counts as none yet.
            if (bestError == 0.0 || error < bestError) {
                bestError = error;
                meanOfError = m;
            }
            if (bestVariance == 0.0 || variance < bestVariance) {
                bestVariance = variance;
                meanOfVariance = m;
                varianceA = a;
                varianceB = b;
            }
        }
    }
    row[2] = meanOfError;
    row[3] = meanOfVariance;
    negativeA = negativeB = 0;
    if (bestVariance < 0.0) {
        negativeA = varianceA;
        negativeB = varianceB;
    }
}

} // namespace

void ClearPruningState(PruningState& state)
{
    std::memset(&state, 0, sizeof state);
}

void FillPruningWindow(PruningWindow& w, int32_t depth, double x)
{
    w.PrefixSum[0] = 0.0;
    w.PrefixSquares[0] = 0.0;
    for (int32_t k = 1; k <= depth; ++k) {
        w.Ring[k] = x;
        w.RankOfSlot[k] = k;
        w.SlotOfRank[k] = k;
        w.Sorted[k] = x;
        w.PrefixSum[k] = k * x;
        w.PrefixSquares[k] = k * (x * x);
    }
}

void InsertIntoWindow(PruningWindow& w, int32_t depth, int32_t slot, double x)
{
    const double o = w.Ring[slot];
    const int32_t oldRank = w.RankOfSlot[slot];
    int32_t r = oldRank;
    const double dx = x - o;
    const double dx2 = x * x - o * o;

    if (r == 1 || !(x < w.Sorted[r - 1])) {
        // Moving up past smaller neighbours.
        while (r < depth && w.Sorted[r + 1] < x) {
            const int32_t moved = w.SlotOfRank[r + 1];
            w.Sorted[r] = w.Sorted[r + 1];
            w.SlotOfRank[r] = moved;
            w.RankOfSlot[moved] = r;
            w.PrefixSum[r] = w.PrefixSum[r + 1] - o;
            w.PrefixSquares[r] = w.PrefixSquares[r + 1] - o * o;
            ++r;
        }
        w.Sorted[r] = x;
        w.SlotOfRank[r] = slot;
        w.RankOfSlot[slot] = r;
        for (int32_t k = r; k <= depth; ++k) {
            w.PrefixSum[k] += dx;
            w.PrefixSquares[k] += dx2;
        }
    } else {
        // Moving down past larger neighbours.
        while (r > 1 && w.Sorted[r - 1] > x) {
            const int32_t moved = w.SlotOfRank[r - 1];
            w.Sorted[r] = w.Sorted[r - 1];
            w.SlotOfRank[r] = moved;
            w.RankOfSlot[moved] = r;
            w.PrefixSum[r] = w.PrefixSum[r - 1] + x;
            w.PrefixSquares[r] = w.PrefixSquares[r - 1] + x * x;
            --r;
        }
        w.Sorted[r] = x;
        w.SlotOfRank[r] = slot;
        w.RankOfSlot[slot] = r;
        w.PrefixSum[r] = w.PrefixSum[r - 1] + x;
        w.PrefixSquares[r] = w.PrefixSquares[r - 1] + x * x;
        for (int32_t k = oldRank + 1; k <= depth; ++k) {
            w.PrefixSum[k] += dx;
            w.PrefixSquares[k] += dx2;
        }
    }
    w.Ring[slot] = x;
}

void UpdateGateWindows(PruningState& s, int32_t gateCount, int32_t depth, int32_t stackNumber)
{
    if (stackNumber == 0) {
        std::memset(s.GateWindow, 0, sizeof s.GateWindow);
        s.RememberedDepth = 0;
        s.FilledGateCount = 0;
    }
    if (depth != s.RememberedDepth) {
        for (int32_t g = 1; g <= gateCount; ++g)
            FillPruningWindow(s.GateWindow[g], depth, s.PruningInput[g]);
        ComputeRankBounds(s, depth);
        s.RememberedDepth = depth;
        s.FilledGateCount = gateCount;
        s.CallsSinceDiagnostic = 0;
    } else if (gateCount > s.FilledGateCount) {
        // Gates added in the middle of a reading start from their present value.
        for (int32_t g = s.FilledGateCount + 1; g <= gateCount; ++g)
            FillPruningWindow(s.GateWindow[g], depth, s.PruningInput[g]);
        s.FilledGateCount = gateCount;
    }
    ++s.CallsSinceDiagnostic;

    const int32_t slot = stackNumber % depth + 1;
    for (int32_t g = 1; g <= gateCount; ++g) {
        PruningWindow& w = s.GateWindow[g];
        InsertIntoWindow(w, depth, slot, s.PruningInput[g]);
        if (g == 1)
            CheckPrefixSums(s, w, depth, s.PruningInput[g]);
        int32_t a = 0, b = 0;
        Estimate(s, w, depth, s.PruningResults[g], a, b);
        if (g == 1 && (a != 0 || b != 0) && s.CallsSinceDiagnostic > 100) {
            char text[200];
            std::snprintf(text, sizeof text, " MSD<0 %d - %d ", a, b);
            AddDiagnostic(s, "Stack dump ", text);
            s.CallsSinceDiagnostic = 0;
        }
    }
}

void UpdateEstimatorHistory(PruningState& s, int32_t gate, int32_t depth)
{
    if (depth != s.HistoryDepth) {
        for (int32_t e = 1; e <= 3; ++e)
            FillPruningWindow(s.EstimatorHistory[e], depth, s.PruningInput[gate]);
        s.HistoryDepth = depth;
        s.HistoryCalls = 0;
    }
    const int32_t slot = s.HistoryCalls % depth + 1;
    ++s.HistoryCalls;
    for (int32_t e = 1; e <= 3; ++e) {
        PruningWindow& w = s.EstimatorHistory[e];
        InsertIntoWindow(w, depth, slot, s.PruningResults[gate][e]);
        s.EstimatorSpread[e] = (w.Sorted[depth] - w.Sorted[1]) / 2.0;
    }
}

int32_t SmallestSpreadEstimator(const PruningState& s)
{
    int32_t best = 1;
    if (s.EstimatorSpread[2] <= s.EstimatorSpread[best])
        best = 2;
    if (s.EstimatorSpread[3] <= s.EstimatorSpread[best])
        best = 3;
    return best;
}

int32_t PruningStack(PruningState& s, int32_t gateCount, int32_t depth, int32_t historyGate,
                     int32_t stackNumber)
{
    if (gateCount < 1 || gateCount >= PruningGateRows || depth < PruningMinDepth ||
        depth > PruningMaxDepth || historyGate < 1 || historyGate > gateCount || stackNumber < 0)
        return 0;
    s.DiagnosticCount = 0;
    UpdateGateWindows(s, gateCount, depth, stackNumber);
    UpdateEstimatorHistory(s, historyGate, depth - 1);
    const int32_t chosen = SmallestSpreadEstimator(s);
    for (int32_t g = 1; g <= gateCount; ++g)
        s.PruningResults[g][0] = s.PruningResults[g][chosen];
    return 1;
}
