// Line assembly and sentence parsing on any byte stream: every finished line goes through the
// check, the reader's plan, both handlers and bounded field copies.
#include "vlox/instruments/gps.h"
#include "vlox/instruments/nmea.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NmeaLineAssembler assembler;
    GpsFixValues fix;
    for (size_t i = 0; i < size; ++i) {
        std::string line;
        uint32_t tick = 0;
        if (FeedNmeaByte(assembler, data[i], static_cast<uint32_t>(i), line, tick) != NmeaByteResult::LineReady)
            continue;
        GpsSentenceContext context;
        context.GpsNmeaData = static_cast<int32_t>(i & 1);
        context.SurveyMode = static_cast<int32_t>((i >> 1) & 1);
        context.Averaging = true;
        const GpsSentencePlan plan = PlanGpsSentence(line, context);
        GgaContext gga;
        gga.GpsNmeaData = context.GpsNmeaData;
        gga.GpsCoordinateDisplay = static_cast<int32_t>(i % 4);
        gga.Averaging = true;
        HandleGgaLine(line, plan.Good, MakeNmeaFieldRoles(gga.GpsNmeaData), gga, fix);
        GsaDilutionText(line);
        char small[6];
        for (int32_t n = 0; n < 20; ++n)
            GetNmeaField(line.c_str(), n, ',', small, sizeof small);
    }
    return 0;
}
