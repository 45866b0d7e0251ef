// The data file's store path as the operator and the GPS reader drive it: readings (one or
// two repetitions, manual or automatic, new lines and stations), GPS sentences and
// placeholders, comment rewrites and header edits, in the order the input gives, each with a
// full disk injected after the number of bytes the input gives. After every step the file is
// whole records of 60 bytes ending in CR LF, and a store that failed has left the file exactly
// as it was before it.
#include "vlox/datafile/comments.h"
#include "vlox/datafile/editheader.h"
#include "vlox/datafile/store.h"
#include "vlox/settings/rate_tables.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    template <class T>
    T Take()
    {
        T value{};
        const size_t n = size - at < sizeof value ? size - at : sizeof value;
        std::memcpy(&value, data + at, n);
        at += n;
        return value;
    }
    bool More() const { return at < size; }
    // A finite value of the size settings hold.
    double Setting(double limit)
    {
        const double v = Take<double>();
        return std::isfinite(v) ? std::fmod(v, limit) : 0.0;
    }
    std::string Text(size_t most)
    {
        const size_t n = Take<uint8_t>() % (most + 1);
        std::string text;
        for (size_t i = 0; i < n && More(); ++i)
            text += static_cast<char>(Take<uint8_t>());
        return text;
    }
};

void RequireWholeRecords(const std::string& bytes)
{
    Require(bytes.size() % 60 == 0);
    for (size_t at = 58; at < bytes.size(); at += 60)
        Require(bytes[at] == '\r' && bytes[at + 1] == '\n');
}

LocalTime Noon()
{
    LocalTime t;
    t.Year = 2026;
    t.Month = 12;
    t.Day = 9;
    t.Hour = 12;
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    ResetDataFileState();
    MemoryFile f;
    MemoryFile index;
    FileHeaderFields header;
    header.DataFileTitle = "FUZZ";
    if (!BeginDataFile(f, header, Noon()))
        std::abort();
    ReadingParameters p;
    static ReadingRecordResult rowsA[5];
    static ReadingRecordResult rowsB[5];
    for (int steps = 0; in.More() && steps < 24; ++steps) {
        const uint8_t op = in.Take<uint8_t>();
        const uint8_t limit = in.Take<uint8_t>();
        f.FailAfter = limit < 128 ? static_cast<int64_t>(limit) * 23 : -1;
        f.Position = f.Size();
        const std::string before = f.Bytes;
        switch (op % 5) {
        case 0:
        case 1: {
            const uint8_t shape = in.Take<uint8_t>();
            p.NumberOfRecords = 1 + shape % 4;
            p.SurveyMode = (shape >> 2) & 1;
            p.GateSet = (shape >> 3) % 3;
            p.MeterInput = (shape >> 5) & 1;
            p.TxLoopShape = (shape >> 6) % 4;
            p.UserGateCount = 1 + in.Take<uint8_t>() % 100;
            if (in.Take<uint8_t>() % 4 == 0)
                p.SurveyLine = in.Setting(1e6);
            p.CurrentStation = in.Setting(1e6);
            p.LineDirection = in.Take<uint8_t>() % 4;
            p.TxCurrent = in.Setting(1e4);
            for (ReadingRecordResult* rows : {rowsA, rowsB}) {
                for (int k = 0; k < 5; ++k) {
                    for (int g = 0; g < 101; ++g)
                        rows[k].GateRow[g] = g < 4 ? in.Take<double>() : rows[k].GateRow[g - 4] * 0.5;
                    rows[k].EarlyWindowValue = in.Take<double>();
                    rows[k].Tick = in.Take<uint32_t>();
                }
            }
            MeterValues meter;
            meter.Valid = p.MeterInput;
            meter.Value1 = in.Take<double>();
            meter.Value2 = in.Take<double>();
            const int gateCount = p.GateSet == 2 ? p.UserGateCount : (p.GateSet == 0 ? 20 : 30);
            StoreOutcome out;
            if (op % 5 == 0) {
                out = StoreReadingTo(&f, &index, p, gateCount, rowsA, meter, Noon);
            } else {
                DualRepetitionChoice c;
                c.FirstRepetitionChoice = in.Take<uint8_t>() % 12;
                c.SecondRepetitionChoice = in.Take<uint8_t>() % 12;
                out = StoreDualRepetitionReadingTo(&f, &index, p, c, rowsA, rowsB, meter, Noon);
            }
            if (out.Result != StoreResult::Stored)
                Require(f.Bytes == before);
            break;
        }
        case 2: {
            const bool gps = in.Take<uint8_t>() & 1;
            const std::string text = in.Text(300);
            if (!StoreTextInDataFile(&f, text, in.Take<uint32_t>(), gps ? '@' : '?', gps ? '#' : '"'))
                Require(f.Bytes == before);
            break;
        }
        case 3: {
            std::string texts[5];
            for (std::string& t : texts)
                t = in.Text(130);
            ApplyCommentsDialog(&f, texts, p.SurveyLine, p.CurrentStation);
            Require(f.Bytes.size() == before.size());
            break;
        }
        case 4: {
            HeaderEditRequestData r;
            const uint8_t what = in.Take<uint8_t>();
            r.Range = what % 3;
            r.UpdateCurrent = (what >> 2) & 1;
            r.UpdateTurnOffTime = (what >> 3) & 1;
            r.UpdateCoilType = (what >> 4) & 1;
            r.ChangePolarity = (what >> 5) & 1;
            r.TxCurrent = in.Setting(1e4);
            r.TurnOffTimeUs = in.Setting(1e4);
            r.CoilType = in.Take<uint8_t>() % CoilTypeCount;
            f.Position = static_cast<int64_t>(in.Take<uint16_t>()) * 60 % (f.Size() + 60);
            EditHeaderRecords(f, r);
            Require(f.Bytes.size() == before.size());
            break;
        }
        default:
            break;
        }
        RequireWholeRecords(f.Bytes);
    }
    return 0;
}
