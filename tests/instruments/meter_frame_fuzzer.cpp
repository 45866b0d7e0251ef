// Meter frame search and decoding on any byte stream.
#include "vlox/instruments/meter.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MeterFrameFinder finder;
    MeterFrameCounter counter;
    MeterReadingValues reading;
    for (size_t i = 0; i < size; ++i) {
        uint8_t frame[MeterFrameKept];
        if (!FeedMeterByte(finder, data[i], frame))
            continue;
        if (CountMeterFrame(counter, (i & 7) != 0 ? 1 : 0))
            DecodeMeterFrame(frame, reading);
        MeterReadingText(reading.MeterDipole, reading.Conductivity, reading.InPhase);
    }
    return 0;
}
