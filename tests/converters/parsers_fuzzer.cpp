// The record parsers of every build and the settings readers of both files on any bytes: the
// bytes are cut into 60-byte records as the writers read them, each handed to the parser of
// its tag, and read whole as a settings file.
#include "converters/converter_files.h"
#include "converters/converter_settings.h"
#include "converters/gate_times.h"
#include "converters/geodetic.h"
#include "converters/record_parsers.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace converters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Half the inputs are repeated past record 1025, into the reader's later blocks.
    std::string repeated(reinterpret_cast<const char*>(data), size);
    while (size > 2 && data[2] % 2 == 1 && repeated.size() < 1100 * 60)
        repeated.append(reinterpret_cast<const char*>(data), size);
    const std::string_view bytes(repeated);
    for (int32_t mode : {ModeLz5, ModeUsf, ModeTxt, ModeXyz}) {
        ConverterState state;
        state.ConverterMode = mode;
        ResetParsedRecords(state);
        // The units come from the bytes too, in and out of their lists.
        state.Settings.OutputUnits = size > 0 ? static_cast<int32_t>(data[0] % 8) - 1 : 0;
        state.Settings.UsfVoltageUnits = size > 1 ? static_cast<int32_t>(data[1] % 6) - 1 : 0;
        MemoryInputFile input(bytes);
        VlxRecords records(input);
        for (int32_t i = 1; i <= records.Count(); ++i) {
            const std::string_view r = records.Record(i);
            // clang-format off
            switch (r[0]) {
            case 'H': ParseHeaderRecord(state, r); break;
            case 'W': ParseReadingRecord(r); break;
            case 'L': ParseLineRecord(state, r); break;
            case 'S': ParseStationRecord(state, r); break;
            case 'T': ParseTransmitterRecord(state, r); break;
            case 'P': ParseLoopRecord(state, r); break;
            case 'R': ParseReceiverRecord(state, r); break;
            case 'V': ParseGateValueRecord(state, r); break;
            case '@': {
                double x = NmeaAngleToDegrees(Columns(r, 10, 20), Columns(r, 21, 21));
                double y = NmeaAngleToDegrees(Columns(r, 22, 33), Columns(r, 34, 34));
                int32_t zone = RecordDigit(r);
                GeodeticToUtm(x, y, zone, static_cast<int32_t>(r[1] & 1));
                ConvertUtmUnits(x, y, zone);
                break;
            }
            default: break;
            }
            // clang-format on
        }
        BuildGateTimeTable(state.Parsed, state.Parsed.FileRepRateIndex, state.Parsed.FileGateSet);
        ConverterSettings settings;
        LoadConverterSettings(true, bytes, mode, settings);
        ComposeConverterSettings(settings, mode);
    }
    return 0;
}
