#include "vlox/measure/pruning.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <emmintrin.h>

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
                          k, w.PrefixSum[k], w.PrefixSquares[k], w.Sorted[k], 1, w.PrefixSum[1], w.PrefixSquares[1],
                          depth >= 2 ? w.Sorted[2] : 0.0, running, running * running, x * x);
            AddDiagnostic(s, "Neg. MSD ", text);
            s.CallsSinceDiagnostic = 0;
        }
    }
}

// The sixteen trimmed windows (a, b] in the order they are compared: a = bound 0..3, and
// within each, b = bound 8 down to 5. Window p = 4i + j (a = bound i, b = bound 8 - j).
constexpr int32_t TrimmedWindowCount = 16;
struct TrimmedWindows {
    int32_t Bound[9];
    int32_t Low[TrimmedWindowCount];
    int32_t High[TrimmedWindowCount];
    alignas(16) double Length[TrimmedWindowCount];
};

TrimmedWindows MakeTrimmedWindows(const PruningState& s)
{
    TrimmedWindows t;
    for (int32_t k = 0; k <= 8; ++k)
        t.Bound[k] = s.RankBounds[k];
    int32_t p = 0;
    for (int32_t i = 0; i <= 3; ++i) {
        for (int32_t j = 8; j >= 5; --j, ++p) {
            t.Low[p] = s.RankBounds[i];
            t.High[p] = s.RankBounds[j];
            t.Length[p] = s.RankBounds[j] - s.RankBounds[i];
        }
    }
    return t;
}

// Both choices at once, one after the other as the rule is written: lane 0 the smallest
// standard error, lane 1 the smallest variance. A window replaces the best so far when that
// is exactly 0 (none yet) or the window's value is strictly smaller.
void ChooseInOrder(const double* error, const double* variance, const double* mean, double* row, double& bestVariance,
                   int32_t& variancePick)
{
    double bestError = 0.0;
    int32_t errorPick = -1;
    bestVariance = 0.0;
    variancePick = -1;
    for (int32_t p = 0; p < TrimmedWindowCount; ++p) {
        if (bestError == 0.0 || error[p] < bestError) {
            bestError = error[p];
            errorPick = p;
        }
        if (bestVariance == 0.0 || variance[p] < bestVariance) {
            bestVariance = variance[p];
            variancePick = p;
        }
    }
    row[2] = mean[errorPick];
    row[3] = mean[variancePick];
}

// Columns 1-3 of a gate's row from its window; reports the rank window of a negative
// smallest variance through negativeA/negativeB (0 when none).
//
// Each window's mean, variance and standard error come from the operations of the
// one-window-at-a-time rule, two windows to a register (each lane rounds as the scalar
// operation would). Without a 0 or a NaN among them the rule picks the first of the smallest
// values, which neighbouring groups find as well, the right one winning only when strictly
// smaller: four rounds instead of sixteen steps that wait on each other. Otherwise the rule
// runs as written.
void Estimate(const TrimmedWindows& t, const PruningWindow& w, int32_t depth, double* row, int32_t& negativeA,
              int32_t& negativeB)
{
    const double* sums = w.PrefixSum;
    const double* squares = w.PrefixSquares;
    const int32_t* bound = t.Bound;
    // High ends in window order: bound 8 and 7, then 6 and 5.
    const __m128d sumHigh[2] = {_mm_set_pd(sums[bound[7]], sums[bound[8]]), _mm_set_pd(sums[bound[5]], sums[bound[6]])};
    const __m128d squareHigh[2] = {_mm_set_pd(squares[bound[7]], squares[bound[8]]),
                                   _mm_set_pd(squares[bound[5]], squares[bound[6]])};
    __m128d mean[8], variance[8], error[8];
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d zero = _mm_setzero_pd();
    __m128d ordinary = _mm_castsi128_pd(_mm_set1_epi32(-1));
    for (int32_t i = 0; i <= 3; ++i) {
        const __m128d sumLow = _mm_set1_pd(sums[bound[i]]);
        const __m128d squareLow = _mm_set1_pd(squares[bound[i]]);
        for (int32_t h = 0; h < 2; ++h) {
            const int32_t k = 2 * i + h;
            const __m128d length = _mm_load_pd(t.Length + 2 * k);
            const __m128d m = _mm_div_pd(_mm_sub_pd(sumHigh[h], sumLow), length);
            const __m128d q = _mm_div_pd(_mm_sub_pd(squareHigh[h], squareLow), length);
            const __m128d v = _mm_sub_pd(q, _mm_mul_pd(m, m));
            const __m128d e = _mm_div_pd(v, length);
            mean[k] = m;
            variance[k] = v;
            error[k] = e;
            // |x| > 0 fails for +-0 and for NaN.
            ordinary = _mm_and_pd(ordinary, _mm_cmpgt_pd(_mm_andnot_pd(sign, v), zero));
            ordinary = _mm_and_pd(ordinary, _mm_cmpgt_pd(_mm_andnot_pd(sign, e), zero));
        }
    }
    row[1] = sums[depth] / depth;

    double bestVariance;
    int32_t variancePick = -1;
    if (_mm_movemask_pd(ordinary) == 3) {
        // Candidates {error, variance} of window p, carrying {mean, mean}.
        __m128d value[TrimmedWindowCount], carried[TrimmedWindowCount];
        for (int32_t k = 0; k < 8; ++k) {
            value[2 * k] = _mm_unpacklo_pd(error[k], variance[k]);
            value[2 * k + 1] = _mm_unpackhi_pd(error[k], variance[k]);
            carried[2 * k] = _mm_unpacklo_pd(mean[k], mean[k]);
            carried[2 * k + 1] = _mm_unpackhi_pd(mean[k], mean[k]);
        }
        for (int32_t width = 1; width < TrimmedWindowCount; width *= 2) {
            for (int32_t p = 0; p < TrimmedWindowCount; p += 2 * width) {
                const __m128d right = _mm_cmplt_pd(value[p + width], value[p]);
                value[p] = _mm_or_pd(_mm_and_pd(right, value[p + width]), _mm_andnot_pd(right, value[p]));
                carried[p] = _mm_or_pd(_mm_and_pd(right, carried[p + width]), _mm_andnot_pd(right, carried[p]));
            }
        }
        row[2] = _mm_cvtsd_f64(carried[0]);
        row[3] = _mm_cvtsd_f64(_mm_unpackhi_pd(carried[0], carried[0]));
        bestVariance = _mm_cvtsd_f64(_mm_unpackhi_pd(value[0], value[0]));
        if (bestVariance < 0.0) {
            // The first window of that variance.
            alignas(16) double v[TrimmedWindowCount];
            for (int32_t k = 0; k < 8; ++k)
                _mm_store_pd(v + 2 * k, variance[k]);
            for (variancePick = 0; v[variancePick] != bestVariance; ++variancePick) {
            }
        }
    } else {
        alignas(16) double m[TrimmedWindowCount], v[TrimmedWindowCount], e[TrimmedWindowCount];
        for (int32_t k = 0; k < 8; ++k) {
            _mm_store_pd(m + 2 * k, mean[k]);
            _mm_store_pd(v + 2 * k, variance[k]);
            _mm_store_pd(e + 2 * k, error[k]);
        }
        ChooseInOrder(e, v, m, row, bestVariance, variancePick);
    }
    negativeA = negativeB = 0;
    if (bestVariance < 0.0) {
        negativeA = t.Low[variancePick];
        negativeB = t.High[variancePick];
    }
}

}  // namespace

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

namespace {

// Adds the change of one slot's value (and of its square) to the prefix sums of ranks
// from..depth, two ranks to a register. How many ranks that is follows the data, so an odd
// last rank is taken alone by a select rather than a branch.
void AddToPrefixSums(PruningWindow& w, int32_t from, int32_t depth, double dx, double dx2)
{
    if (from > depth)
        return;
    const __m128d change = _mm_set1_pd(dx);
    const __m128d changeSquare = _mm_set1_pd(dx2);
    const int32_t odd = (depth - from + 1) & 1;
    int32_t k = from;
    for (; k < depth - odd; k += 2) {
        _mm_storeu_pd(w.PrefixSum + k, _mm_add_pd(_mm_loadu_pd(w.PrefixSum + k), change));
        _mm_storeu_pd(w.PrefixSquares + k, _mm_add_pd(_mm_loadu_pd(w.PrefixSquares + k), changeSquare));
    }
    const __m128d last = _mm_castsi128_pd(_mm_set1_epi32(-odd));
    const __m128d sum = _mm_load_sd(w.PrefixSum + depth);
    const __m128d square = _mm_load_sd(w.PrefixSquares + depth);
    _mm_store_sd(w.PrefixSum + depth, _mm_or_pd(_mm_and_pd(last, _mm_add_sd(change, sum)), _mm_andnot_pd(last, sum)));
    _mm_store_sd(w.PrefixSquares + depth,
                 _mm_or_pd(_mm_and_pd(last, _mm_add_sd(changeSquare, square)), _mm_andnot_pd(last, square)));
}

}  // namespace

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
        AddToPrefixSums(w, r, depth, dx, dx2);
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
        AddToPrefixSums(w, oldRank + 1, depth, dx, dx2);
    }
    w.Ring[slot] = x;
}

namespace {

// Columns 1-3 of one gate's row; the rank window of a negative smallest variance on gate 1
// gives the diagnostic.
void EstimateRow(PruningState& s, const TrimmedWindows& trimmed, int32_t g, int32_t depth)
{
    int32_t a = 0, b = 0;
    Estimate(trimmed, s.GateWindow[g], depth, s.PruningResults[g], a, b);
    if (g == 1 && (a != 0 || b != 0) && s.CallsSinceDiagnostic > 100) {
        char text[200];
        std::snprintf(text, sizeof text, " MSD<0 %d - %d ", a, b);
        AddDiagnostic(s, "Stack dump ", text);
        s.CallsSinceDiagnostic = 0;
    }
}

// The windows of gates 1..gateCount take the period; the rows of gate 1 and of keptGate are
// worked out, the others too unless deferOthers is set, in which case they are left pending.
void UpdateWindows(PruningState& s, int32_t gateCount, int32_t depth, int32_t stackNumber, int32_t keptGate,
                   bool deferOthers)
{
    if (stackNumber == 0 || depth != s.RememberedDepth) {
        // Pending rows are worked out from the windows and bounds they were left with.
        FinishPruningResults(s);
    }
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
    const TrimmedWindows trimmed = MakeTrimmedWindows(s);
    for (int32_t g = 1; g <= gateCount; ++g) {
        PruningWindow& w = s.GateWindow[g];
        if (g < gateCount) {
            // The windows do not fit the first-level cache: the next gate's is fetched around
            // the rank its insertion starts from while this one's goes on (and the slot of the
            // one after).
            const PruningWindow& next = s.GateWindow[g + 1];
            const int32_t rank = next.RankOfSlot[slot];
            _mm_prefetch(reinterpret_cast<const char*>(next.Sorted + rank), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(next.PrefixSum + rank), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(next.PrefixSquares + rank), _MM_HINT_T0);
            if (g + 1 < gateCount) {
                _mm_prefetch(reinterpret_cast<const char*>(s.GateWindow[g + 2].RankOfSlot + slot), _MM_HINT_T0);
                _mm_prefetch(reinterpret_cast<const char*>(s.GateWindow[g + 2].Ring + slot), _MM_HINT_T0);
            }
        }
        InsertIntoWindow(w, depth, slot, s.PruningInput[g]);
        if (g == 1)
            CheckPrefixSums(s, w, depth, s.PruningInput[g]);
        if (deferOthers && g != 1 && g != keptGate) {
            s.RowPending[g] = 1;
            if (g > s.PendingRows)
                s.PendingRows = g;
        } else {
            EstimateRow(s, trimmed, g, depth);
            s.RowPending[g] = 0;
        }
    }
}

// The history and the choice of the period; column 0 of every row worked out, and the choice
// kept for the pending ones.
void ChooseEstimate(PruningState& s, int32_t gateCount, int32_t depth, int32_t historyGate)
{
    UpdateEstimatorHistory(s, historyGate, depth - 1);
    const int32_t chosen = SmallestSpreadEstimator(s);
    for (int32_t g = 1; g <= gateCount; ++g) {
        if (s.RowPending[g])
            s.RowChoice[g] = chosen;
        else
            s.PruningResults[g][0] = s.PruningResults[g][chosen];
    }
}

bool AcceptedStack(int32_t gateCount, int32_t depth, int32_t historyGate, int32_t stackNumber)
{
    return !(gateCount < 1 || gateCount >= PruningGateRows || depth < PruningMinDepth || depth > PruningMaxDepth ||
             historyGate < 1 || historyGate > gateCount || stackNumber < 0);
}

}  // namespace

void UpdateGateWindows(PruningState& s, int32_t gateCount, int32_t depth, int32_t stackNumber)
{
    UpdateWindows(s, gateCount, depth, stackNumber, 1, false);
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

int32_t PruningStack(PruningState& s, int32_t gateCount, int32_t depth, int32_t historyGate, int32_t stackNumber)
{
    if (!PruningAddPeriod(s, gateCount, depth, historyGate, stackNumber))
        return 0;
    FinishPruningResults(s);
    return 1;
}

int32_t PruningAddPeriod(PruningState& s, int32_t gateCount, int32_t depth, int32_t historyGate, int32_t stackNumber)
{
    if (!AcceptedStack(gateCount, depth, historyGate, stackNumber))
        return 0;
    s.DiagnosticCount = 0;
    UpdateWindows(s, gateCount, depth, stackNumber, historyGate, true);
    ChooseEstimate(s, gateCount, depth, historyGate);
    return 1;
}

void FinishPruningResults(PruningState& s)
{
    if (s.PendingRows == 0)
        return;
    const TrimmedWindows trimmed = MakeTrimmedWindows(s);
    for (int32_t g = 1; g <= s.PendingRows; ++g) {
        if (!s.RowPending[g])
            continue;
        EstimateRow(s, trimmed, g, s.RememberedDepth);
        s.PruningResults[g][0] = s.PruningResults[g][s.RowChoice[g]];
        s.RowPending[g] = 0;
    }
    s.PendingRows = 0;
}
