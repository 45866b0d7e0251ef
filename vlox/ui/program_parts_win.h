// Ties the commands to the GPS link and the conductivity meter, and those to the state the
// commands keep (measurement state, map plotting, the Invert switch). Called once by the
// main window's creation handler.
#pragma once

void ConnectInstrumentCommandLinks();
