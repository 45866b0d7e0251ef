// Frequency measurement on a counter (qzDaMeasureFrequency): the counter counts events for
// the given time, a one-shot multimedia timer then reads and stops it and posts 1132.
#pragma once

#include "qzdaapi32/frame_win.h"

// Release: a measurement still under way is called off.
void KillFrequencyTimer(SubsystemRecord* subsystem);
