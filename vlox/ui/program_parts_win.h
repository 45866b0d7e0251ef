// Connects the parts of V-LOX at the program's start: what the lower modules read from the
// higher ones (the data file's measurement results, meter values and loop; the GPS link's view
// of the measurement; the reset's closing steps; the splash's GPS start; the status panel's
// GPS count; the cycle's services). Called once, first, by the main window's creation handler.
#pragma once

void ConnectProgramParts();
