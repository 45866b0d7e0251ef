// The review reader over any bytes: the header, the indexes and every indexed reading. Each
// call either parses or refuses with a numbered message; nothing reads or writes out of
// bounds and no table is overrun.
#include "vlox/datafile/review_reader.h"
#include "vlox/datafile/review_state.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(int32_t result, const FileMessage& msg)
{
    if (result == 0 && msg.Text.find("-Error in file line ") == std::string::npos)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryFile f;
    f.Bytes.assign(reinterpret_cast<const char*>(data), size);
    const std::string before = f.Bytes;
    ResetReviewTables();
    FileMessage msg;
    Check(ReadFileHeader(f, msg), msg);
    IndexLines(f);
    for (int32_t l = 0; l < ReviewLineCount && l < 4; ++l) {
        msg = FileMessage{};
        if (ReadLineStations(f, ReviewLineOffsets[l], msg) == 0) {
            Check(0, msg);
            continue;
        }
        for (int32_t s = 0; s < ReviewStationCount && s < 4; ++s) {
            msg = FileMessage{};
            if (ReadStationRecords(f, ReviewStationOffsets[s], msg) == 0) {
                Check(0, msg);
                continue;
            }
            for (int32_t r = 0; r < ReviewRecordCount; ++r) {
                ReviewReadingData reading;
                msg = FileMessage{};
                const int32_t ok = ReadMeasurementRecord(f, ReviewRecordOffsets[r], reading, msg);
                Check(ok, msg);
                if (ok) {
                    if (reading.GateCount < 1 || reading.GateCount > 100 || reading.RepRateIndex < 0 ||
                        reading.RepRateIndex > 6)
                        std::abort();
                    BuildReviewGateTimes(reading);
                }
            }
        }
    }
    if (f.Bytes != before)
        std::abort();
    return 0;
}
