#include "vlox/ui/selective_nulling.h"

#include "vlox/settings/rate_tables.h"

int32_t SelectiveNullingRateCount = RepRateCount;

WideString SelectiveNullingEntry(int32_t powerLineFrequency, int32_t rateIndex)
{
    if (rateIndex < 0 || rateIndex >= RepRateCount)
        return WideString();
    return WideString(RepRateLabel(powerLineFrequency, rateIndex)) + VLOX_WIDE(" Hz");
}

void SelectedNullingRates(const int32_t* selected, int32_t count, int32_t (&rates)[RepRateCount])
{
    for (int32_t i = 0; i < RepRateCount; ++i)
        rates[i] = selected != nullptr && i < count && selected[i] != 0 ? 1 : 0;
}
