// Header edits over damaged data files: a well-formed file of two readings is cut and has
// bytes changed as the input says. Never a crash, never a change of the file's length, and
// the position always put back.
#include "vlox/datafile/editheader.h"
#include "vlox/datafile/store.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string BaseFile(uint8_t shape, uint8_t gates, bool meter)
{
    ResetDataFileState();
    MemoryFile f;
    BeginDataFile(f, FileHeaderFields{}, LocalTime{});
    ReadingParameters p;
    p.TxLoopShape = shape % 4;
    p.GateSet = 2;
    p.UserGateCount = gates % 101;
    p.MeterInput = meter ? 1 : 0;
    ReadingRecordResult rows[2];
    for (int g = 0; g < 101; ++g)
        rows[1].GateRow[g] = (g - 50) * 1e-3;
    StoreReadingTo(&f, nullptr, p, p.UserGateCount, rows, MeterValues{}, [] { return LocalTime{}; });
    p.CurrentStation = 5.0;
    StoreReadingTo(&f, nullptr, p, p.UserGateCount, rows, MeterValues{}, [] { return LocalTime{}; });
    return f.Bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    HeaderEditRequestData r;
    r.UpdateCurrent = data[0] & 1;
    r.UpdateTurnOffTime = (data[0] >> 1) & 1;
    r.UpdateCoilType = (data[0] >> 2) & 1;
    r.ChangePolarity = (data[0] >> 3) & 1;
    r.Range = (data[0] >> 4) % 3;
    r.TxCurrent = (data[1] - 128) * 1e12;
    r.CoilType = data[1] - 100;

    MemoryFile f;
    f.Bytes = BaseFile(data[2], data[3], data[0] & 0x80);
    // Cut the file, then change bytes: (offset, value) pairs.
    size_t cut = f.Bytes.size() - (data[4] % 2 ? static_cast<size_t>(data[5]) % 200 : 0);
    f.Bytes.resize(cut);
    for (size_t i = 6; i + 2 < size && !f.Bytes.empty(); i += 3) {
        size_t at = (static_cast<size_t>(data[i]) << 8 | data[i + 1]) % f.Bytes.size();
        f.Bytes[at] = static_cast<char>(data[i + 2]);
    }
    f.Position = static_cast<int64_t>(data[5]) * 60 % (static_cast<int64_t>(f.Bytes.size()) + 61);
    int64_t p = f.Position;
    size_t length = f.Bytes.size();
    EditHeaderRecords(f, r);
    if (f.Bytes.size() != length || f.Position != p)
        std::abort();
    return 0;
}
