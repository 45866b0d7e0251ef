// The command cases of the Graph View, Map and GPS & SQ12-MK2 Options menus that change how things
// are shown: the plot-scale steps, the decay and profile views, the Transfer note, and the
// settings dialogs Scale, GPS Port Setup, GPS Coordinates Display, Map Size and Options, GPS
// map type and Attributes with what the main window does before and after each.
#pragma once

#include <cstdint>

// Runs a view command's case; false for a command that is not one of them.
bool RunViewCommand(int32_t command);

// The review plot drawn again, by the review view (decay: numbers and decay curve of the reading
// shown; profiles: the profile plot). Nothing while not reviewing.
void RedrawReview();
