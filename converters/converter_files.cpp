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
    if (FailFrom >= 0 && offset + static_cast<int64_t>(count) > FailFrom && (FailTo < 0 || offset < FailTo)) {
        if (ReadsBeforeFailing <= 0)
            return -1;
        --ReadsBeforeFailing;
    }
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
// place are kept. In the first scan a record that cannot be read ends the file there; when a
// damaged stretch is framed again (Again), a read that fails where the first scan read is only
// noted.
class VlxRecords::Scanner {
public:
    Scanner(VlxRecords& records, bool again) : Records(records), Again(again) {}
    // The byte at the offset, -1 at or past the end or after a failed read.
    int Byte(int64_t at)
    {
        if (at < 0 || at >= Records.FileSize || ReadFailed)
            return -1;
        if (at < Start || at >= Start + static_cast<int64_t>(Length)) {
            int64_t got = Load(at);
            if (got < 0 && !RecordAtATime) {
                RecordAtATime = true;
                got = Load(at);
            }
            if (got <= 0) {
                Records.Failed = Records.Failed || got < 0;
                if (Again)
                    ReadFailed = true;
                else
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
    // A whole record at the offset: a tag, then CR LF in bytes 59 and 60.
    bool WholeRecord(int64_t at)
    {
        return IsRecordTag(Byte(at)) && Byte(at + RecordTextLength) == '\r' && Byte(at + RecordTextLength + 1) == '\n';
    }
    // The end of the file cuts the record at the offset short: a tag, and no line end in what
    // is there.
    bool CutShort(int64_t at)
    {
        if (Records.FileSize - at >= RecordLength || !IsRecordTag(Byte(at)))
            return false;
        for (int64_t i = at; i < Records.FileSize; ++i) {
            const int b = Byte(i);
            if (b == '\r' || b == '\n')
                return false;
        }
        return true;
    }
    bool Failed() const { return ReadFailed; }

private:
    int64_t Load(int64_t at)
    {
        const int64_t most = RecordAtATime ? RecordLength : WindowSize;
        Window.resize(static_cast<size_t>(std::min<int64_t>(most, Records.FileSize - at)));
        return Records.ReadBytes(at, Window.data(), Window.size());
    }

    static constexpr int64_t WindowSize = 1 << 16;
    VlxRecords& Records;
    const bool Again;
    bool ReadFailed = false;
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

bool VlxRecords::NextRecord(Scanner& bytes, ScanPoint& point, Found& found)
{
    const int64_t at = point.Offset;
    found = Found();
    found.Offset = at;
    found.Line = point.Line;
    if (at >= FileSize)
        return false;
    if (bytes.WholeRecord(at)) {
        point.Offset += RecordLength;
        ++point.Line;
        return true;
    }
    if (at >= FileSize || bytes.Failed())
        return false;
    if (bytes.CutShort(at)) {
        // Counted when at least half of it is there, as the record count rounds.
        point.Offset = FileSize;
        found.Cut = true;
        return 2 * (FileSize - at) >= RecordLength;
    }
    FrameStretch(bytes, point, found, nullptr, false);
    return true;
}

void VlxRecords::FrameStretch(Scanner& bytes, ScanPoint& point, Found& found, const ScanPoint* end, bool endNoted)
{
    const int64_t at = point.Offset;
    found.Damaged = true;
    // The line it begins: its length and how it ends.
    int64_t lineEnd = at;
    int endByte = -1;
    for (; lineEnd < FileSize && lineEnd - at < 4096; ++lineEnd) {
        const int b = bytes.Byte(lineEnd);
        if (b == '\n' || b == '\r') {
            endByte = b;
            break;
        }
    }
    const bool crLf = endByte == '\r' && bytes.Byte(lineEnd + 1) == '\n';
    if (endByte == '\r' && crLf)
        ++lineEnd;
    found.What = DescribeDamage(bytes.Byte(at), lineEnd - at + 1, crLf, endByte);
    if (end != nullptr && endNoted) {
        // The last record of a block: the scan noted where it ends and what it may hold.
        point.Offset = end->Offset;
        point.Line = end->Line;
        found.HoldsLine = end->AfterLineStretch;
        return;
    }
    // Reading goes on at the next line that starts a whole record (or the record the end of
    // the file cuts short).
    int64_t resume = end != nullptr ? end->Offset : at + 1;
    for (; end == nullptr && resume < FileSize && !bytes.Failed(); ++resume)
        if (bytes.Byte(resume - 1) == '\n' && bytes.Byte(resume - 2) == '\r' &&
            (bytes.WholeRecord(resume) || bytes.CutShort(resume)))
            break;
    if (resume > FileSize)
        resume = FileSize;
    // A line of it that starts with "L", or with no record tag at all (the tag itself may be
    // what was lost), may have been a line record.
    int previous = '\n';
    for (int64_t i = at; i < resume; ++i) {
        const int b = bytes.Byte(i);
        const bool lineStart = previous == '\n' || (previous == '\r' && b != '\n');
        if (lineStart && (b == 'L' || !IsRecordTag(b)))
            found.HoldsLine = true;
        if (b == '\n')
            ++point.Line;
        previous = b;
    }
    point.Offset = resume;
}

void VlxRecords::Scan()
{
    Scanner bytes(*this, false);
    for (int64_t i = 0; i < RecordLength; ++i) {
        const int b = bytes.Byte(i);
        if (b < 0)
            break;
        FirstBytes += static_cast<char>(b);
    }
    BlankControlCharacters(FirstBytes.data(), FirstBytes.size());

    // Kept: the count, which records are whole and where every block starts. A block ends
    // after 1024 records, or sooner where its records would span more than BlockSpan bytes, so
    // that framing one again never reads far whatever the damage.
    ScanPoint point;
    Found found;
    bool lineStretch = false;  // the record before is a stretch that may hold a line record
    for (;;) {
        ScanPoint start = point;
        start.First = RecordCount + 1;
        start.AfterLineStretch = lineStretch;
        if (!NextRecord(bytes, point, found)) {
            BlockStarts.push_back(start);
            break;
        }
        if (BlockStarts.empty() || start.First - BlockStarts.back().First >= BlockRecords ||
            start.Offset - BlockStarts.back().Offset >= BlockSpan)
            BlockStarts.push_back(start);
        if (RecordCount % 64 == 0)
            WholeRecords.push_back(0);
        if (!found.Damaged && !found.Cut)
            WholeRecords.back() |= uint64_t{1} << (RecordCount % 64);
        lineStretch = found.Damaged && found.HoldsLine;
        LastCut = found.Cut;
        if (found.Cut)
            CutOffset = found.Offset;
        ++RecordCount;
    }
}

bool VlxRecords::Whole(int32_t n) const
{
    return (WholeRecords[static_cast<size_t>(n - 1) / 64] >> ((n - 1) % 64) & 1) != 0;
}

void VlxRecords::ReadTexts(HeldBlock& block, int32_t from, int32_t to)
{
    if (from >= to)
        return;
    char* text = block.Text.data() + static_cast<size_t>(from) * RecordLength;
    const size_t size = static_cast<size_t>(to - from) * RecordLength;
    const int64_t offset = block.Places[static_cast<size_t>(from)].Offset;
    if (ReadBytes(offset, text, size) < 0) {
        // Record by record, so that one bad place costs only its own records.
        std::memset(text, ' ', size);
        for (size_t at = 0; at < size; at += RecordLength)
            if (ReadBytes(offset + static_cast<int64_t>(at), text + at, RecordLength) < 0) {
                Failed = true;
                std::memset(text + at, ' ', RecordLength);
            }
    }
    // Texts of the records reach the outputs; a control character in them (a damaged file)
    // would break an output's lines.
    for (size_t at = 0; at < size; at += RecordLength)
        BlankControlCharacters(text + at, RecordTextLength);
}

void VlxRecords::Frame(size_t index, HeldBlock& block)
{
    const ScanPoint& from = BlockStarts[index];
    const ScanPoint& to = BlockStarts[index + 1];
    const int32_t count = to.First - from.First;
    block.First = from.First;
    block.Text.assign(static_cast<size_t>(count) * RecordLength, ' ');
    block.Places.assign(static_cast<size_t>(count), Found());
    // The records after the block's last stretch are whole (or the cut last one): placed back
    // from the block's end, they tell where that stretch ends, which is then not looked for.
    int32_t lastStretch = count - 1;
    ScanPoint tail = to;
    for (; lastStretch >= 0; --lastStretch) {
        const int32_t n = from.First + lastStretch;
        if (n == RecordCount && LastCut) {
            tail.Offset = CutOffset;
        } else if (Whole(n)) {
            tail.Offset -= RecordLength;
            --tail.Line;
        } else {
            break;
        }
    }
    Scanner bytes(*this, true);
    ScanPoint point = from;
    int32_t run = 0;  // the first of the whole records since the last stretch
    for (int32_t i = 0; i < count; ++i) {
        Found& found = block.Places[static_cast<size_t>(i)];
        found.Offset = point.Offset;
        found.Line = point.Line;
        const int32_t n = from.First + i;
        // The framing of whole records and of the cut last one is known from the scan: no
        // place that goes bad later can move them.
        if (Whole(n) || (n == RecordCount && LastCut)) {
            found.Cut = !Whole(n);
            point.Offset += RecordLength;
            ++point.Line;
            continue;
        }
        ReadTexts(block, run, i);
        run = i + 1;
        FrameStretch(bytes, point, found, i == lastStretch ? &tail : nullptr, i + 1 == count);
        if (!bytes.Failed())
            continue;
        // A stretch the scan read cannot be read now: where the records up to the block's last
        // stretch end is not known, so they read blank; the records after it are placed back
        // from the block's end.
        Failed = true;
        const int64_t line = found.Line;
        for (int32_t k = i; k <= lastStretch; ++k) {
            block.Places[static_cast<size_t>(k)] = Found();
            block.Places[static_cast<size_t>(k)].Line = line;
        }
        point = tail;
        i = lastStretch;
        run = lastStretch + 1;
    }
    ReadTexts(block, run, count);
}

VlxRecords::HeldBlock* VlxRecords::BlockOf(int32_t n)
{
    if (n < 1 || n > RecordCount)
        return nullptr;
    HeldBlock* oldest = &Held[0];
    for (HeldBlock& b : Held) {
        if (!b.Places.empty() && n >= b.First && n < b.First + static_cast<int32_t>(b.Places.size())) {
            b.Used = ++Uses;
            return &b;
        }
        if (b.Used < oldest->Used)
            oldest = &b;
    }
    // The reader goes back and forth between a few places (a reading, the sentences it is
    // paired with): the blocks used last are kept, the one used longest ago framed anew.
    const auto next = std::upper_bound(BlockStarts.begin(), BlockStarts.end() - 1, n,
                                       [](int32_t number, const ScanPoint& p) { return number < p.First; });
    Frame(static_cast<size_t>(next - BlockStarts.begin() - 1), *oldest);
    oldest->Used = ++Uses;
    return oldest;
}

const VlxRecords::Found* VlxRecords::Place(int32_t n)
{
    HeldBlock* b = BlockOf(n);
    return b ? &b->Places[static_cast<size_t>(n - b->First)] : nullptr;
}

const std::string& VlxRecords::Damage(int32_t n)
{
    static const std::string None;
    const Found* f = Place(n);
    return f ? f->What : None;
}

bool VlxRecords::MayHoldLineRecord(int32_t n)
{
    const Found* f = Place(n);
    return f && f->HoldsLine;
}

int64_t VlxRecords::LineOf(int32_t n)
{
    const Found* f = Place(n);
    return f ? f->Line : 0;
}

bool VlxRecords::CutShort(int32_t n)
{
    const Found* f = Place(n);
    return f && f->Cut;
}

std::string_view VlxRecords::Record(int32_t n)
{
    const HeldBlock* b = BlockOf(n);
    if (b == nullptr)
        return std::string_view(Single, RecordLength);
    return std::string_view(b->Text.data() + static_cast<size_t>(n - b->First) * RecordLength, RecordLength);
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
