#include "converters/converter_files.h"

#include <algorithm>
#include <cstring>

namespace converters {

int64_t MemoryInputFile::ReadAt(int64_t offset, char* buffer, size_t n)
{
    if (offset < 0 || static_cast<uint64_t>(offset) >= Bytes.size())
        return 0;
    const size_t start = static_cast<size_t>(offset);
    const size_t count = std::min(n, Bytes.size() - start);
    if (FailFrom >= 0 && offset + static_cast<int64_t>(count) > FailFrom)
        return -1;
    std::memcpy(buffer, Bytes.data() + start, count);
    return static_cast<int64_t>(count);
}

bool MemoryOutputFile::Write(const char* bytes, size_t n)
{
    if (FailAfter >= 0 && static_cast<uint64_t>(FailAfter) < n) {
        Bytes.append(bytes, static_cast<size_t>(FailAfter));
        FailAfter = 0;
        return false;
    }
    if (FailAfter >= 0)
        FailAfter -= static_cast<int64_t>(n);
    Bytes.append(bytes, n);
    return true;
}

namespace {

// The first characters of the records the survey file holds.
bool IsRecordTag(int c)
{
    switch (c) {
    case 'H':
    case 'C':
    case 'L':
    case 'S':
    case 'W':
    case 'T':
    case 'P':
    case 'R':
    case 'V':
    case 'U':
    case 'Z':
    case '@':
    case '#':
    case '?':
    case '"':
    case '!':
        return true;
    default:
        return false;
    }
}

void BlankControlCharacters(char* text, size_t n)
{
    for (size_t c = 0; c < n; ++c)
        if (static_cast<unsigned char>(text[c]) < 0x20 || text[c] == 0x7F)
            text[c] = ' ';
}

}  // namespace

// The file's bytes one at a time through a window, for the framing check. A window that
// cannot be read is tried again a record at a time from then on, so the records before a bad
// place are kept; a record that cannot be read ends the file there.
class VlxRecords::Scanner {
public:
    explicit Scanner(VlxRecords& records) : Records(records) {}
    // The byte at the offset, -1 at or past the end.
    int Byte(int64_t at)
    {
        if (at < 0 || at >= Records.FileSize)
            return -1;
        if (at < Start || at >= Start + static_cast<int64_t>(Length)) {
            int64_t got = Load(at);
            if (got < 0 && !RecordAtATime) {
                RecordAtATime = true;
                got = Load(at);
            }
            if (got <= 0) {
                Records.Failed = Records.Failed || got < 0;
                Records.FileSize = at;
                Start = -1;
                Length = 0;
                return -1;
            }
            Start = at;
            Length = static_cast<size_t>(got);
        }
        return static_cast<unsigned char>(Window[static_cast<size_t>(at - Start)]);
    }

private:
    int64_t Load(int64_t at)
    {
        const int64_t most = RecordAtATime ? RecordLength : WindowSize;
        Window.resize(static_cast<size_t>(std::min<int64_t>(most, Records.FileSize - at)));
        return Records.ReadBytes(at, Window.data(), Window.size());
    }

    static constexpr int64_t WindowSize = 1 << 16;
    VlxRecords& Records;
    std::vector<char> Window;
    int64_t Start = -1;
    size_t Length = 0;
    bool RecordAtATime = false;
};

VlxRecords::VlxRecords(InputFile& file) : File(file)
{
    FileSize = File.Size();
    if (FileSize < 0)
        FileSize = 0;
    std::memset(Single, ' ', sizeof Single);
    Scan();
}

int64_t VlxRecords::ReadBytes(int64_t offset, char* buffer, size_t n)
{
    size_t got = 0;
    while (got < n) {
        const int64_t r = File.ReadAt(offset + static_cast<int64_t>(got), buffer + got, n - got);
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    return static_cast<int64_t>(got);
}

namespace {

// What is wrong with the line that starts at a damaged record, in the operator's words.
std::string DescribeDamage(int firstByte, int64_t lineLength, bool endsWithCrLf, int lineEnd)
{
    if (lineLength == RecordLength && endsWithCrLf) {
        std::string tag = firstByte >= 0x20 && firstByte < 0x7F ? std::string(1, static_cast<char>(firstByte)) : "?";
        return "it begins with \"" + tag + "\", which begins no record";
    }
    if (lineEnd == '\n' && !endsWithCrLf)
        return "its line ends in LF without CR";
    if (lineEnd == '\r' && !endsWithCrLf)
        return "its line ends in CR without LF";
    if (lineEnd < 0)
        return "no line end follows it";
    return "its line is " + std::to_string(lineLength) + " bytes long where a record is 60 (58 characters, CR, LF)";
}

}  // namespace

void VlxRecords::Scan()
{
    Scanner bytes(*this);
    for (int64_t i = 0; i < RecordLength; ++i) {
        const int b = bytes.Byte(i);
        if (b < 0)
            break;
        FirstBytes += static_cast<char>(b);
    }
    BlankControlCharacters(FirstBytes.data(), FirstBytes.size());

    // A whole record at the offset: a tag, then CR LF in bytes 59 and 60.
    auto wholeRecord = [&](int64_t at) {
        return IsRecordTag(bytes.Byte(at)) && bytes.Byte(at + RecordTextLength) == '\r' &&
               bytes.Byte(at + RecordTextLength + 1) == '\n';
    };
    // The end of the file cuts the record at the offset short: a tag, and no line end in what
    // is there.
    auto cutShort = [&](int64_t at) {
        if (FileSize - at >= RecordLength || !IsRecordTag(bytes.Byte(at)))
            return false;
        for (int64_t i = at; i < FileSize; ++i) {
            const int b = bytes.Byte(i);
            if (b == '\r' || b == '\n')
                return false;
        }
        return true;
    };

    int64_t at = 0;
    int64_t line = 1;
    int32_t next = 1;
    Segment run;
    run.First = 1;
    run.Line = 1;
    auto closeRun = [&] {
        if (run.Count > 0)
            Segments.push_back(run);
        next = run.First + run.Count;
    };
    while (at < FileSize) {
        if (wholeRecord(at)) {
            ++run.Count;
            at += RecordLength;
            ++line;
            continue;
        }
        if (at >= FileSize)
            break;
        if (cutShort(at)) {
            // Counted when at least half of it is there, as the record count rounds.
            if (2 * (FileSize - at) >= RecordLength)
                ++run.Count;
            break;
        }
        closeRun();
        Segment stretch;
        stretch.Offset = at;
        stretch.First = next;
        stretch.Count = 1;
        stretch.Line = line;
        stretch.Damaged = true;
        // The line it begins: its length and how it ends.
        int64_t end = at;
        int lineEnd = -1;
        for (; end < FileSize && end - at < 4096; ++end) {
            const int b = bytes.Byte(end);
            if (b == '\n' || b == '\r') {
                lineEnd = b;
                break;
            }
        }
        const bool crLf = lineEnd == '\r' && bytes.Byte(end + 1) == '\n';
        if (lineEnd == '\r' && crLf)
            ++end;
        stretch.What = DescribeDamage(bytes.Byte(at), end - at + 1, crLf, lineEnd);
        // Reading goes on at the next line that starts a whole record (or the record the end
        // of the file cuts short).
        int64_t resume = at + 1;
        for (; resume < FileSize; ++resume)
            if (bytes.Byte(resume - 1) == '\n' && bytes.Byte(resume - 2) == '\r' &&
                (wholeRecord(resume) || cutShort(resume)))
                break;
        if (resume > FileSize)
            resume = FileSize;
        // A line of it that starts with "L", or with no record tag at all (the tag itself may
        // be what was lost), may have been a line record.
        int previous = '\n';
        for (int64_t i = at; i < resume; ++i) {
            const int b = bytes.Byte(i);
            const bool lineStart = previous == '\n' || (previous == '\r' && b != '\n');
            if (lineStart && (b == 'L' || !IsRecordTag(b)))
                stretch.HoldsLine = true;
            if (b == '\n')
                ++line;
            previous = b;
        }
        Segments.push_back(stretch);
        ++next;
        at = resume;
        run = Segment();
        run.Offset = at;
        run.First = next;
        run.Line = line;
    }
    closeRun();
    RecordCount = next - 1;
}

const VlxRecords::Segment* VlxRecords::SegmentOf(int32_t n) const
{
    if (n < 1 || n > RecordCount)
        return nullptr;
    auto it = std::upper_bound(Segments.begin(), Segments.end(), n,
                               [](int32_t number, const Segment& s) { return number < s.First; });
    if (it == Segments.begin())
        return nullptr;
    --it;
    return n < it->First + it->Count ? &*it : nullptr;
}

const std::string& VlxRecords::Damage(int32_t n) const
{
    static const std::string None;
    const Segment* s = SegmentOf(n);
    return s ? s->What : None;
}

bool VlxRecords::MayHoldLineRecord(int32_t n) const
{
    const Segment* s = SegmentOf(n);
    return s && s->HoldsLine;
}

int64_t VlxRecords::LineOf(int32_t n) const
{
    const Segment* s = SegmentOf(n);
    return s ? s->Line + (s->Damaged ? 0 : n - s->First) : 0;
}

bool VlxRecords::CutShort(int32_t n) const
{
    const Segment* s = SegmentOf(n);
    return s && !s->Damaged && s->Offset + static_cast<int64_t>(n - s->First + 1) * RecordLength > FileSize;
}

std::string_view VlxRecords::Record(int32_t n)
{
    const Segment* s = SegmentOf(n);
    if (s == nullptr || s->Damaged) {
        std::memset(Single, ' ', sizeof Single);
        return std::string_view(Single, RecordLength);
    }
    if (BlockFirst == 0 || n < BlockFirst || n >= BlockFirst + BlockCount) {
        // Blocks start at a multiple of the block size within their run, so a reader walking
        // back and forth around one place keeps its block.
        const int32_t index = (n - s->First) / BlockRecords * BlockRecords;
        BlockFirst = s->First + index;
        BlockCount = std::min(BlockRecords, s->Count - index);
        const size_t size = static_cast<size_t>(BlockCount) * RecordLength;
        Block.assign(size, ' ');
        const int64_t offset = s->Offset + static_cast<int64_t>(index) * RecordLength;
        if (ReadBytes(offset, Block.data(), size) < 0) {
            // Record by record, so that one bad place costs only its own records.
            Block.assign(size, ' ');
            for (size_t at = 0; at < size; at += RecordLength)
                if (ReadBytes(offset + static_cast<int64_t>(at), Block.data() + at, RecordLength) < 0) {
                    Failed = true;
                    std::memset(Block.data() + at, ' ', RecordLength);
                }
        }
        // Texts of the records reach the outputs; a control character in them (a damaged file)
        // would break an output's lines.
        for (size_t at = 0; at < size; at += RecordLength)
            BlankControlCharacters(Block.data() + at, RecordTextLength);
    }
    return std::string_view(Block.data() + static_cast<size_t>(n - BlockFirst) * RecordLength, RecordLength);
}

void OutputText::Line(std::string_view text)
{
    Pending.append(text.data(), text.size());
    EndLine();
}

void OutputText::Flush(bool all)
{
    constexpr size_t Piece = 1 << 16;
    if (!all && Pending.size() < Piece)
        return;
    if (!WriteFailed && !Pending.empty() && !File.Write(Pending.data(), Pending.size()))
        WriteFailed = true;
    Pending.clear();
}

bool OutputText::Finish()
{
    Flush(true);
    if (!File.Close())
        WriteFailed = true;
    return !WriteFailed;
}

}  // namespace converters
