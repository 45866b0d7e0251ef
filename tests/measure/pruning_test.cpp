#include "vlox/measure/pruning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

std::unique_ptr<PruningState> NewState()
{
    auto s = std::make_unique<PruningState>();
    ClearPruningState(*s);
    return s;
}

// One period: the same value on every gate, scaled by the gate number.
void Feed(PruningState& s, int32_t gates, int32_t stack, double value)
{
    for (int32_t g = 1; g <= gates; ++g)
        s.PruningInput[g] = value * g;
    ASSERT_EQ(PruningStack(s, gates, 41, 1, stack), 1);
}

// The window checked against a plain sort of its ring: order, inverse permutations, sums.
void ExpectConsistent(const PruningWindow& w, int32_t depth)
{
    std::vector<double> ring(w.Ring + 1, w.Ring + depth + 1);
    std::sort(ring.begin(), ring.end());
    double sum = 0.0, squares = 0.0;
    for (int32_t k = 1; k <= depth; ++k) {
        ASSERT_EQ(w.Sorted[k], ring[k - 1]) << k;
        ASSERT_EQ(w.RankOfSlot[w.SlotOfRank[k]], k);
        ASSERT_EQ(w.Ring[w.SlotOfRank[k]], w.Sorted[k]);
        sum += w.Sorted[k];
        squares += w.Sorted[k] * w.Sorted[k];
        ASSERT_NEAR(w.PrefixSum[k], sum, 1e-9 * (1.0 + std::fabs(sum)));
        ASSERT_NEAR(w.PrefixSquares[k], squares, 1e-9 * (1.0 + squares));
    }
}

}  // namespace

TEST(Pruning, InsertionKeepsTheWindowSortedWithItsPrefixSums)
{
    PruningWindow w;
    std::memset(&w, 0, sizeof w);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> value(-5.0, 5.0);
    for (int32_t depth : {8, 41, 99}) {
        FillPruningWindow(w, depth, 1.25);
        ExpectConsistent(w, depth);
        for (int32_t n = 0; n < 2000; ++n) {
            // Ties on purpose: a few repeated values, and the value already in the slot.
            double x = (n % 7 == 0) ? 1.25 : std::round(value(random) * 4.0) / 4.0;
            const int32_t slot = n % depth + 1;
            if (n % 11 == 0)
                x = w.Ring[slot];
            InsertIntoWindow(w, depth, slot, x);
            ExpectConsistent(w, depth);
        }
    }
}

TEST(Pruning, ConstantInputGivesTheInputInEveryEstimate)
{
    auto s = NewState();
    for (int32_t n = 0; n < 120; ++n)
        Feed(*s, 30, n, 0.75);
    for (int32_t g = 1; g <= 30; ++g)
        for (int c = 0; c <= 3; ++c)
            EXPECT_DOUBLE_EQ(s->PruningResults[g][c], 0.75 * g) << g << " " << c;
}

// A reading shorter than the window: the window still holds copies of its first period.
TEST(Pruning, ShortReadingWeighsTheFirstPeriod)
{
    auto s = NewState();
    Feed(*s, 2, 0, 1.0);
    for (int32_t n = 1; n <= 5; ++n)
        Feed(*s, 2, n, 2.0);
    EXPECT_DOUBLE_EQ(s->PruningResults[1][1], (36.0 * 1.0 + 5.0 * 2.0) / 41.0);
    EXPECT_DOUBLE_EQ(s->PruningResults[2][1], (36.0 * 2.0 + 5.0 * 4.0) / 41.0);
    // Stack number 0 starts the next reading from its own first period.
    Feed(*s, 2, 0, 3.0);
    EXPECT_DOUBLE_EQ(s->PruningResults[1][1], 3.0);
}

// One spike moves the window mean by its 1/41 share; the trimmed means never see the largest
// value of the window.
TEST(Pruning, SpikeMovesOnlyTheMean)
{
    auto s = NewState();
    for (int32_t n = 0; n < 41; ++n)
        Feed(*s, 1, n, 2.0);
    Feed(*s, 1, 41, 2.0 + 410.0);
    EXPECT_NEAR(s->PruningResults[1][1], 2.0 + 10.0, 1e-12);
    EXPECT_DOUBLE_EQ(s->PruningResults[1][2], 2.0);
    EXPECT_DOUBLE_EQ(s->PruningResults[1][3], 2.0);
    EXPECT_DOUBLE_EQ(s->PruningResults[1][0], 2.0);

    // Distinct values 1..41: the widest trimmed window is ranks 1..40.
    auto t = NewState();
    for (int32_t n = 0; n < 41; ++n)
        Feed(*t, 1, n, 41.0 - n);
    EXPECT_DOUBLE_EQ(t->PruningResults[1][1], 21.0);
    EXPECT_LE(t->PruningResults[1][2], 20.5);
    EXPECT_LE(t->PruningResults[1][3], 20.5);
}

// Noisy periods with heavy spikes: the chosen estimate stays near the truth, the mean does not.
TEST(Pruning, SpikyInputIsPruned)
{
    auto s = NewState();
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, 0.01);
    for (int32_t n = 0; n < 400; ++n) {
        double x = 1.0 + noise(random);
        if (n % 9 == 4)
            x += 50.0;
        Feed(*s, 3, n, x);
    }
    EXPECT_GT(s->PruningResults[1][1], 5.0);
    EXPECT_NEAR(s->PruningResults[1][0], 1.0, 0.02);
    EXPECT_NEAR(s->PruningResults[3][0], 3.0, 0.06);
}

TEST(Pruning, AlternatingInput)
{
    auto s = NewState();
    for (int32_t n = 0; n < 200; ++n)
        Feed(*s, 1, n, n % 2 ? 1.0 : -1.0);
    // 41 slots hold 21 of one sign and 20 of the other.
    EXPECT_NEAR(std::fabs(s->PruningResults[1][1]), 1.0 / 41.0, 1e-12);
    for (int c = 0; c <= 3; ++c) {
        EXPECT_GE(s->PruningResults[1][c], -1.0);
        EXPECT_LE(s->PruningResults[1][c], 1.0);
    }
    const double chosen = s->PruningResults[1][0];
    const int c = SmallestSpreadEstimator(*s);
    EXPECT_EQ(chosen, s->PruningResults[1][c]);
}

// The trimmed means against a direct computation over the sorted window, with the choice rule:
// strictly smaller wins, a best of exactly 0 counts as none.
TEST(Pruning, TrimmedMeansAgainstDirectComputation)
{
    auto s = NewState();
    std::mt19937 random(9);
    std::lognormal_distribution<double> value(0.0, 1.0);
    for (int32_t n = 0; n < 150; ++n) {
        s->PruningInput[1] = value(random);
        ASSERT_EQ(PruningStack(*s, 1, 41, 1, n), 1);
        std::vector<double> sorted(s->GateWindow[1].Ring + 1, s->GateWindow[1].Ring + 42);
        std::sort(sorted.begin(), sorted.end());
        const int32_t bounds[9] = {0, 5, 10, 15, 20, 25, 30, 35, 40};
        double bestE = 0.0, bestW = 0.0, mE = 0.0, mW = 0.0;
        for (int i = 0; i <= 3; ++i) {
            for (int j = 8; j >= 5; --j) {
                const int32_t a = bounds[i], b = bounds[j];
                double sum = 0.0, sq = 0.0;
                for (int32_t k = a; k < b; ++k) {
                    sum += sorted[k];
                    sq += sorted[k] * sorted[k];
                }
                const double m = sum / (b - a);
                const double w = sq / (b - a) - m * m;
                const double e = w / (b - a);
                if (bestE == 0.0 || e < bestE) {
                    bestE = e;
                    mE = m;
                }
                if (bestW == 0.0 || w < bestW) {
                    bestW = w;
                    mW = m;
                }
            }
        }
        ASSERT_NEAR(s->PruningResults[1][2], mE, 1e-9) << n;
        ASSERT_NEAR(s->PruningResults[1][3], mW, 1e-9) << n;
    }
}

TEST(Pruning, HistoryChoosesTheSteadiestEstimate)
{
    auto s = NewState();
    s->EstimatorSpread[1] = 1.0;
    s->EstimatorSpread[2] = 1.0;
    s->EstimatorSpread[3] = 2.0;
    EXPECT_EQ(SmallestSpreadEstimator(*s), 2);  // 2 wins a tie with 1
    s->EstimatorSpread[3] = 1.0;
    EXPECT_EQ(SmallestSpreadEstimator(*s), 3);
    s->EstimatorSpread[1] = 0.5;
    s->EstimatorSpread[3] = 0.5;
    EXPECT_EQ(SmallestSpreadEstimator(*s), 3);  // 3 wins a tie with the better of 1 and 2
    s->EstimatorSpread[3] = 0.6;
    EXPECT_EQ(SmallestSpreadEstimator(*s), 1);

    // The first call of the run fills the 40 history positions with the input; a new reading
    // (stack number 0) does not refill them.
    auto t = NewState();
    t->PruningInput[1] = 4.0;
    ASSERT_EQ(PruningStack(*t, 1, 41, 1, 0), 1);
    EXPECT_EQ(t->HistoryDepth, 40);
    EXPECT_EQ(t->HistoryCalls, 1);
    t->PruningInput[1] = 8.0;
    ASSERT_EQ(PruningStack(*t, 1, 41, 1, 0), 1);
    EXPECT_EQ(t->HistoryCalls, 2);
    EXPECT_DOUBLE_EQ(t->EstimatorSpread[1], 2.0);  // history holds 4 and 8
}

// Pins: a depth below 8 makes every rank window empty (division by zero); a depth or gate
// count beyond the tables overruns them. Such calls change nothing.
TEST(Pruning, RefusedCallsChangeNothing)
{
    auto s = NewState();
    Feed(*s, 3, 0, 1.0);
    const double before = s->PruningResults[1][0];
    s->PruningInput[1] = 99.0;
    EXPECT_EQ(PruningStack(*s, 3, 7, 1, 1), 0);
    EXPECT_EQ(PruningStack(*s, 3, 100, 1, 1), 0);
    EXPECT_EQ(PruningStack(*s, 0, 41, 1, 1), 0);
    EXPECT_EQ(PruningStack(*s, 101, 41, 1, 1), 0);
    EXPECT_EQ(PruningStack(*s, 3, 41, 0, 1), 0);
    EXPECT_EQ(PruningStack(*s, 3, 41, 4, 1), 0);
    EXPECT_EQ(PruningStack(*s, 3, 41, 1, -1), 0);
    EXPECT_EQ(s->PruningResults[1][0], before);
    EXPECT_EQ(PruningStack(*s, 100, 99, 100, 1), 1);
    EXPECT_EQ(PruningStack(*s, 3, 8, 1, 0), 1);
}

// Pins: gates added in the middle of a reading start from their own first value, not from an
// empty window.
TEST(Pruning, GatesAddedMidReadingStartFromTheirValue)
{
    auto s = NewState();
    for (int32_t n = 0; n < 5; ++n)
        Feed(*s, 2, n, 1.0);
    Feed(*s, 4, 5, 1.0);
    EXPECT_DOUBLE_EQ(s->PruningResults[4][1], 4.0);
    EXPECT_DOUBLE_EQ(s->PruningResults[3][0], 3.0);
}

TEST(Pruning, DiagnosticWhenThePrefixSumsDrift)
{
    auto s = NewState();
    Feed(*s, 1, 0, 1.0);
    EXPECT_EQ(s->DiagnosticCount, 0);
    // Damage the sums of gate 1 as drifting rounding would, far beyond 0.01.
    for (int32_t k = 1; k <= 41; ++k)
        s->GateWindow[1].PrefixSum[k] += 0.5;
    s->PruningInput[1] = 1.0;
    ASSERT_EQ(PruningStack(*s, 1, 41, 1, 1), 1);
    ASSERT_GE(s->DiagnosticCount, 1);
    EXPECT_STREQ(s->Diagnostics[0].Caption, "Neg. MSD ");
    EXPECT_EQ(std::string(s->Diagnostics[0].Text).rfind("  1 s   1.500 ss ", 0), 0u) << s->Diagnostics[0].Text;
    EXPECT_LE(s->DiagnosticCount, PruningDiagnosticSlots);
}

namespace {

bool SameBits(const double* a, const double* b, size_t n)
{
    return std::memcmp(a, b, n * sizeof(double)) == 0;
}

}  // namespace

// Rows left to FinishPruningResults end up as the whole step leaves them, whenever they are
// worked out: across new readings, gates added and dropped, a new depth and another history
// gate; the windows, the history and the diagnostics never differ.
TEST(Pruning, DeferredRowsMatchTheWholeStep)
{
    auto whole = NewState();
    auto deferred = NewState();
    std::mt19937 random(17);
    std::normal_distribution<double> noise(0.0, 0.01);
    int32_t stack = 0;
    for (int32_t n = 0; n < 700; ++n) {
        const int32_t gates = n < 200 ? 40 : (n < 400 ? 70 : 25);
        const int32_t depth = n < 500 ? 41 : 33;
        const int32_t history = n < 300 ? 1 : 3;
        if (n % 150 == 0)
            stack = 0;
        for (int32_t g = 1; g <= gates; ++g) {
            double x = 0.1 * g + noise(random);
            if (random() % 29 == 0)
                x += 5.0;
            whole->PruningInput[g] = deferred->PruningInput[g] = x;
        }
        ASSERT_EQ(PruningStack(*whole, gates, depth, history, stack), 1);
        ASSERT_EQ(PruningAddPeriod(*deferred, gates, depth, history, stack), 1);
        ++stack;
        ASSERT_EQ(deferred->DiagnosticCount, whole->DiagnosticCount) << n;
        ASSERT_TRUE(SameBits(deferred->EstimatorSpread, whole->EstimatorSpread, 4)) << n;
        ASSERT_EQ(std::memcmp(deferred->GateWindow, whole->GateWindow, sizeof whole->GateWindow), 0) << n;
        for (int32_t c = 0; c <= 3; ++c)
            ASSERT_EQ(deferred->PruningResults[history][c], whole->PruningResults[history][c]) << n;
        if (random() % 9 == 0 || n == 699) {
            FinishPruningResults(*deferred);
            for (int32_t g = 1; g < PruningGateRows; ++g)
                ASSERT_TRUE(SameBits(deferred->PruningResults[g], whole->PruningResults[g], 4)) << n << " " << g;
        }
    }
}

// Columns 1-3 against the rule as written, one window after the other, from the window's own
// prefix sums: to the last bit, with ties, all-equal windows (variance 0), variances made
// negative by rounding, and a NaN in the window.
TEST(Pruning, EstimatesFollowTheRuleExactly)
{
    std::mt19937 random(23);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (int32_t kind = 0; kind < 4; ++kind) {
        auto s = NewState();
        int32_t negative = 0;
        for (int32_t n = 0; n < 300; ++n) {
            double x;
            switch (kind) {
            case 0:
                x = std::round(noise(random) * 2.0) / 4.0;
                break;  // many ties
            case 1:
                x = 0.75;
                break;  // every variance 0
            case 2:
                x = 1e8 + 1e-6 * noise(random);
                break;  // rounding below 0
            default:
                x = n == 57 ? std::nan("") : noise(random);
                break;
            }
            s->PruningInput[1] = x;
            ASSERT_EQ(PruningStack(*s, 1, 41, 1, n), 1);
            const PruningWindow& w = s->GateWindow[1];
            double bestE = 0.0, bestW = 0.0, mE = 0.0, mW = 0.0;
            for (int32_t i = 0; i <= 3; ++i) {
                for (int32_t j = 8; j >= 5; --j) {
                    const int32_t a = s->RankBounds[i], b = s->RankBounds[j];
                    const double m = (w.PrefixSum[b] - w.PrefixSum[a]) / (b - a);
                    const double q = (w.PrefixSquares[b] - w.PrefixSquares[a]) / (b - a);
                    const double v = q - m * m;
                    const double e = v / (b - a);
                    if (bestE == 0.0 || e < bestE) {
                        bestE = e;
                        mE = m;
                    }
                    if (bestW == 0.0 || v < bestW) {
                        bestW = v;
                        mW = m;
                    }
                }
            }
            negative += bestW < 0.0 ? 1 : 0;
            const double mean = w.PrefixSum[41] / 41;
            ASSERT_TRUE(SameBits(&s->PruningResults[1][1], &mean, 1)) << kind << " " << n;
            ASSERT_TRUE(SameBits(&s->PruningResults[1][2], &mE, 1)) << kind << " " << n;
            ASSERT_TRUE(SameBits(&s->PruningResults[1][3], &mW, 1)) << kind << " " << n;
        }
        if (kind == 2)
            EXPECT_GT(negative, 0);
    }
}
