// The pens of the profile plots and the decay curves: one solid pen per curve entry (100 gate
// profiles, then the monitoring, intermediate and final decay curves) from the line widths
// and colours of the settings, and a bold pen of each for the cursor and the printed plots.
#pragma once

#include <windows.h>

#include <cstdint>

#include "vlox/settings/settings.h"

// ProfilePens[i]: width LineWidths[i], colour LineColours[i]; ProfilePensBold[i]: width
// 3 x LineWidths[i] + 3, the same colour. Null until CreateProfilePens made them.
extern HPEN ProfilePens[CurveCount];
extern HPEN ProfilePensBold[CurveCount];

// Makes both sets from the settings. Pens made before are deleted first (recreate 1 after
// the attributes changed; a second start-up call leaks nothing either).
void CreateProfilePens(int32_t recreate);
// The width of the bold pen of a line width.
int32_t BoldProfileWidth(int32_t width);
