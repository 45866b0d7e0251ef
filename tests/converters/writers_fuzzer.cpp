// Every writer, and the XYZ analysis, over any bytes as the survey file, into memory: no
// sanitizer report, no output line longer than its format allows (LZ5's exactly 48 or 204
// characters before CR LF), and a conversion that is not done tells the operator in one
// message, one that is done in none.
#include "converters/converter_files.h"
#include "converters/converter_settings.h"
#include "converters/writers.h"
#include "memory_host.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace converters;

namespace {

void CheckLines(const std::string& output, int32_t mode)
{
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find("\r\n", start);
        if (end == std::string::npos)
            std::abort();  // every line ends with CR LF
        const size_t length = end - start;
        bool fits = false;
        switch (mode) {
        case ModeLz5:
            fits = length == Lz5ShortLineLength || length == Lz5DataLineLength;
            break;
        case ModeTxt:
            fits = length <= TxtMaxLineLength;
            break;
        case ModeUsf:
            fits = length <= UsfMaxLineLength;
            break;
        default:
            fits = length <= XyzMaxLineLength;
            break;
        }
        if (!fits)
            std::abort();
        start = end + 2;
    }
}

// A place that goes bad after the opening scan blanks only the records it covers: every other
// reads as the sound file gives it, in whatever order the records are read. Returns the file
// with each record it covers made a damaged line, starting with "L" where it was a line record,
// which the writers must convert as the file with the place; empty where the scan met the
// place or never read it, or the place covers the first record, whose signature the scan keeps.
std::string CheckPlaceBlanksOnly(const std::string& bytes, int64_t from, int64_t to)
{
    MemoryInputFile sound(bytes), failing(bytes);
    failing.FailFrom = from;
    failing.FailTo = to;
    failing.ReadsBeforeFailing = 1;
    VlxRecords a(sound), b(failing);
    if (b.ReadFailed() || a.Count() != b.Count())
        return std::string();  // the scan itself met it
    // The scan never read it: a conversion's first read of it still succeeds.
    const bool unread = failing.ReadsBeforeFailing > 0;
    std::string marked;
    int64_t kept = 0;  // the bytes before it are in it
    for (int64_t k = 0; k < 2 * static_cast<int64_t>(a.Count()); ++k) {
        const int32_t n = static_cast<int32_t>(k < a.Count() ? k + 1 : (k * 7919) % a.Count() + 1);
        const std::string_view text = b.Record(n);
        const int64_t at = a.OffsetOf(n),
                      end = std::min<int64_t>(at + RecordLength, static_cast<int64_t>(bytes.size()));
        const bool covered = a.Damage(n).empty() && at < to && end > from, blanked = text != a.Record(n);
        if ((blanked && (text != std::string(RecordLength, ' ') || !covered)) ||
            (!blanked &&
             (b.Damage(n).empty() != a.Damage(n).empty() || b.MayHoldLineRecord(n) != a.MayHoldLineRecord(n))) ||
            b.CutShort(n) != a.CutShort(n))
            std::abort();
        if (k < a.Count() && covered) {
            const std::string line = (a.Record(n)[0] == 'L' ? "L" : "C") + std::string(56, ' ') + "\r\n";
            marked.append(bytes, kept, at - kept).append(line, 0, a.CutShort(n) ? std::min<int64_t>(end - at, 57) : 59);
            kept = end;
        }
    }
    if (!b.ReadFailed())
        for (int32_t n = 1; n <= a.Count(); ++n)
            if (b.Record(n) != a.Record(n) || b.Damage(n) != a.Damage(n) || b.LineOf(n) != a.LineOf(n))
                std::abort();
    return unread || (from < RecordLength && a.Damage(1).empty()) ? std::string() : marked.append(bytes, kept);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Bytes 9-16 (a survey's H1 after its signature, which no converter reads) choose the
    // options, in and out of their lists; all the bytes are the file.
    uint8_t options[8] = {};
    for (size_t i = 0; i < sizeof options && 8 + i < size; ++i)
        options[i] = data[8 + i];
    // Half the inputs are repeated past record 1025, so that their damage meets the reader's
    // later blocks and its block switches too.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    while (options[6] / 9 % 2 == 1 && size > 0 && bytes.size() < 1100 * 60)
        bytes.append(reinterpret_cast<const char*>(data), size);
    // Half of them have a small place that goes bad after the opening scan (the seeds too).
    const bool bad = options[7] % 2 == 0 && !bytes.empty();
    const int64_t badFrom = bad ? static_cast<int64_t>((options[1] << 8 | options[0]) * 61u % bytes.size()) : -1;
    const int64_t badTo = badFrom + options[4] % 70 + 1;
    const std::string marked = bad ? CheckPlaceBlanksOnly(bytes, badFrom, badTo) : std::string();
    // Each writer with the place going bad, then over the file with what it covers marked:
    // every reading the failing bytes do not touch is written as the intact file gives it.
    std::string failed;
    for (int32_t k = 0; k < 8; ++k) {
        const int32_t mode = k < 2 ? ModeLz5 : k < 4 ? ModeUsf : k < 6 ? ModeTxt : ModeXyz;
        const bool marking = k % 2 == 1;
        if (marking && marked.empty())
            continue;
        ConverterState state;
        state.ConverterMode = mode;
        DefaultConverterSettings(state.Settings, mode);
        ConverterSettings& s = state.Settings;
        s.OutputUnits = options[0] % 8 - 1;
        s.UsfVoltageUnits = options[1] % 6 - 1;
        s.XyzPositioning = options[2] % 3;
        s.XyzFileFormat = options[2] / 3 % 4;
        s.ColumnDelimiter = options[3] % 4;
        s.DataType = options[3] / 4 % 12;
        s.GateSelection = options[4] % 5;
        s.CoordinateType = options[4] / 5 % 4;
        s.IncludeHeader = options[5] & 1;
        s.IncludeElevation = options[5] >> 1 & 1;
        s.IncludeGpsQuality = options[5] >> 2 & 1;
        s.IncludeHdop = options[5] >> 3 & 1;
        s.IncludeSatellites = options[5] >> 4 & 1;
        s.IncludeTimeStamp = options[5] >> 5 & 1;
        s.IncludeDate = options[5] >> 6 & 1;
        s.MinGpsQuality = options[6] % 9;
        s.HdopMask = options[7] % 12;
        MemoryHost host;
        host.Record = false;
        host.Input = marking ? marked : bytes;
        host.InputFailFrom = marking ? -1 : badFrom;
        host.InputFailTo = badTo;
        host.InputReadsBeforeFailing = 1;
        if (mode == ModeXyz)
            AnalyseVlxFile(state, host);
        const size_t analysisMessages = host.Messages.size();
        const int32_t result = RunConverterWriter(state, host);
        if (host.OutputCreated)
            CheckLines(host.Output, mode);
        if (host.Messages.size() - analysisMessages != (result == 1 ? 0u : 1u))
            std::abort();
        if (host.ProgressOutOfRange)
            std::abort();
        if (marking && failed != (host.OutputCreated ? host.Output : "(none)"))
            std::abort();
        failed = host.OutputCreated ? host.Output : "(none)";
    }
    return 0;
}
