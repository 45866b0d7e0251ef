// The arithmetic of a frequency measurement on a counter: the accepted durations, the
// one-shot timer's delay, the result as the float message 1132 carries, and who else is told.
#pragma once

#include <cstdint>

// Durations from 0.001 s to 4294967 s; NaN is refused.
bool FrequencyDurationValid(double seconds);
// The timer's delay in milliseconds, truncated (valid durations only).
uint32_t FrequencyTimerMs(double seconds);
// Events per second as a 32-bit float, and its bits as lParam carries them.
float FrequencyFromCount(uint32_t count, double seconds);
uint32_t FrequencyBits(float frequency);
// The subsystem's notification window also gets the result when it is set, differs from the
// measuring window and no notification procedure is set.
bool AlsoPostToNotifyWindow(uintptr_t notifyWindow, uintptr_t measuringWindow, uintptr_t procedure);
