// The list of the "Selective Nulling" dialog and its answer: one entry per repetition rate of
// the mains family, in rate-index order, and the rates chosen.
#pragma once

#include <cstdint>

#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

// Entries of the list: one per rate index.
extern int32_t SelectiveNullingRateCount;

// "285 Hz" ... "0.3 Hz" with powerLineFrequency 1 (60 Hz), else "237.5 Hz" ... "0.25 Hz";
// an empty text for an index outside 0..6.
WideString SelectiveNullingEntry(int32_t powerLineFrequency, int32_t rateIndex);

// The flags of the rates to null from the list's selection states (count entries, nonzero
// selected): 1 for each selected entry, 0 for the others and for entries past count.
void SelectedNullingRates(const int32_t* selected, int32_t count, int32_t (&rates)[RepRateCount]);
