// Repetition switching and the nulling steps on the program's state, with the board, the
// drawing and the files they drive.
#pragma once

#include <cstdint>

// Takes the first (1) or, for any other value, the second repetition of a two-frequency
// measurement: rate, gate set and gain, then restarts the board when it is open.
void SelectActiveRepetition(int32_t which);
// Store the row just measured (from the second call of a run on), then set up the next step
// or end the run. Both answer 0.
int32_t StandardGatesNullingStep();
int32_t UserGatesNullingStep();
