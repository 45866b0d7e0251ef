// The four steps of the decay plot's amplitude axis (Top of Scale Down and Up, Bottom of Scale
// Down and Up), live and in review, over plain values. The decades are worked in double
// precision: a power of ten is its own decade exactly (log10 of 1000 may come out a hair
// under 3), and a step of a decade never passes through an integer that could overflow.
#pragma once

#include <cstdint>

enum class ScaleStep : int32_t { TopDown, BottomDown, TopUp, BottomUp };

// The integer part of 10 to the power of a positive magnitude's whole decade: 1000 for 1000
// to 9999.9, 1 for 1 to 9.99 and for magnitudes above 0.1 up to 1; 0 for 0.1 and below (a
// negative decade), for 0, for NaN and for infinity.
double DecadeStep(double magnitude);

// One step of the axis. top and bottom are AmplitudeAxisMax and AmplitudeAxisMin;
// bottomDecadeBase is the size of the last bottom other than 0 that the curve scale was
// computed with, the decade a bottom of 0 steps down by.
//
// Answers false when nothing happens at all, neither change nor redraw: Top of Scale Down
// with a top whose integer part is 1, a top step of a top that is not a positive number, or
// any step from or to a value that is not finite. A step that would put the bottom at or
// above the top is undone but still answers true (the plot is redrawn as it was).
bool StepAmplitudeScale(ScaleStep step, double& top, double& bottom, double bottomDecadeBase);

// The step of a scale command (17 to 20); false for any other command.
bool ScaleStepOfCommand(int32_t command, ScaleStep& step);
