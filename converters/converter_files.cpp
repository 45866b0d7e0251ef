#include "converters/converter_files.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>

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
// block is framed again (Again), a place that cannot be read any more is passed byte by byte,
// each of its bytes Unreadable, so that the framing can be found again past it.
class VlxRecords::Scanner {
public:
    static constexpr int Unreadable = -2;
    static constexpr int AnyTag = -3;
    enum class Match { No, Yes, Unknown };

    Scanner(VlxRecords& records, bool again) : Records(records), Again(again) {}
    // The byte at the offset, -1 at or past the end, Unreadable where it cannot be read now.
    int Byte(int64_t at)
    {
        if (at < 0 || at >= Records.FileSize)
            return -1;
        if (at >= BadFrom && at < BadTo) {
            ++Unread;
            return Unreadable;
        }
        if (at < Start || at >= Start + static_cast<int64_t>(Length)) {
            const int moved = Move(at);
            if (moved < 0)
                return moved;
        }
        return static_cast<unsigned char>(Window[static_cast<size_t>(at - Start)]);
    }
    // The bytes at the offsets against what each must be (AnyTag: a record tag), in order up
    // to the first that is not: No, Yes, or Unknown where one could not be read.
    Match Matches(std::initializer_list<std::pair<int64_t, int>> checks)
    {
        Match m = Match::Yes;
        for (const auto& [at, must] : checks) {
            const int b = Byte(at);
            if (b == Unreadable)
                m = Match::Unknown;
            else if (must == AnyTag ? !IsRecordTag(b) : b != must)
                return Match::No;
        }
        return m;
    }
    // A whole record at the offset: a tag, then CR LF in bytes 59 and 60.
    Match WholeRecord(int64_t at)
    {
        return Matches({{at, AnyTag}, {at + RecordTextLength, '\r'}, {at + RecordTextLength + 1, '\n'}});
    }
    // The end of the file cuts the record at the offset short: a tag, and no line end in what
    // is there.
    Match CutShort(int64_t at)
    {
        if (Records.FileSize - at >= RecordLength)
            return Match::No;
        Match m = Matches({{at, AnyTag}});
        for (int64_t i = at; m != Match::No && i < Records.FileSize; ++i) {
            const int b = Byte(i);
            if (b == '\r' || b == '\n')
                m = Match::No;
            else if (b == Unreadable)
                m = Match::Unknown;
        }
        return m;
    }
    // Reading goes on at the offset after a damaged stretch: a line starts there with a whole
    // record (or the record the end of the file cuts short). Record: how the part from the
    // offset on matches, alone.
    Match Resumes(int64_t at, Match& record)
    {
        record = Match::No;
        const Match lineStart = Matches({{at - 1, '\n'}, {at - 2, '\r'}});
        if (lineStart == Match::No)
            return Match::No;
        record = WholeRecord(at);
        if (record != Match::Yes) {
            const Match cut = CutShort(at);
            record = cut == Match::Yes || (cut == Match::Unknown && record == Match::No) ? cut : record;
        }
        return record == Match::No ? Match::No : lineStart == Match::Yes ? record : Match::Unknown;
    }

    // The bytes met that could not be read (what the scan read may be gone).
    int64_t Unread = 0;

private:
    // The window moved to start at the offset: 0, or what Byte gives where it cannot be read.
    // Apart from Byte, so that the byte at hand is read inline.
    int Move(int64_t at);
    int64_t Load(int64_t at, int64_t most)
    {
        Window.resize(static_cast<size_t>(std::min<int64_t>(most, Records.FileSize - at)));
        return Records.ReadBytes(at, Window.data(), Window.size());
    }

    static constexpr int64_t WindowSize = 1 << 16;
    VlxRecords& Records;
    const bool Again;
    std::vector<char> Window;
    int64_t Start = -1;
    size_t Length = 0;
    bool RecordAtATime = false;
    int64_t BadFrom = -1, BadTo = -1;  // the bytes that could not be read last
};

int VlxRecords::Scanner::Move(int64_t at)
{
    int64_t got = Load(at, RecordAtATime ? RecordLength : WindowSize);
    if (got < 0 && !RecordAtATime) {
        RecordAtATime = true;
        got = Load(at, RecordLength);
    }
    if (got < 0 && Again)
        got = Load(at, 1);
    if (got <= 0) {
        Start = -1;
        Length = 0;
        if (Again) {
            ++Unread;
            BadFrom = at == BadTo ? BadFrom : at;
            BadTo = at + 1;
            return Unreadable;
        }
        Records.Failed = Records.Failed || got < 0;
        Records.FileSize = at;
        return -1;
    }
    Start = at;
    Length = static_cast<size_t>(got);
    return 0;
}

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
    // A whole record, its tag read once: read again, it could read a place that the scan
    // otherwise passes.
    const int tag = bytes.Byte(at);
    found.HoldsLine = tag == 'L';
    if (IsRecordTag(tag) &&
        bytes.Matches({{at + RecordTextLength, '\r'}, {at + RecordTextLength + 1, '\n'}}) == Scanner::Match::Yes) {
        point.Offset += RecordLength;
        ++point.Line;
        return true;
    }
    if (at >= FileSize)
        return false;
    if (bytes.CutShort(at) == Scanner::Match::Yes) {
        // Counted when at least half of it is there, as the record count rounds.
        point.Offset = FileSize;
        found.Cut = true;
        return 2 * (FileSize - at) >= RecordLength;
    }
    FrameStretch(bytes, point, found, nullptr, INT64_MAX);
    return true;
}

namespace {

// Told for a record, or a damaged stretch's first line, that cannot be read any more; a failed
// read is told in its place, so the operator never sees it.
const char UnreadableStretch[] = "it cannot be read";

}  // namespace

VlxRecords::StretchRead VlxRecords::FrameStretch(Scanner& bytes, ScanPoint& point, Found& found, const ScanPoint* end,
                                                 int64_t limit)
{
    StretchRead read;
    const int64_t at = point.Offset;
    int64_t unread = bytes.Unread;
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
    if (bytes.Unread > unread) {
        found.What = UnreadableStretch;
        read.What = false;
    }
    if (end != nullptr) {
        // The block's last stretch: the scan noted where the block ends, and the whole records
        // after it place its end back from there.
        point.Offset = end->Offset;
        point.Line = end->Line;
        return read;
    }
    // Reading goes on at the next line that starts a whole record (or the record the end of
    // the file cuts short). Where a place that cannot be read hides whether a line does, the
    // end found is not sure.
    int64_t resume = at + 1;
    for (Scanner::Match record; resume < std::min(limit, FileSize); ++resume) {
        const Scanner::Match m = bytes.Resumes(resume, record);
        if (m == Scanner::Match::Yes)
            break;
        read.End = read.End && m == Scanner::Match::No;
    }
    read.End = read.End && resume < limit;
    if (resume > FileSize)
        resume = FileSize;
    // A line of it that starts with "L", or with no record tag at all (the tag itself may be
    // what was lost), may have been a line record.
    unread = bytes.Unread;
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
    read.Lines = bytes.Unread == unread;
    point.Offset = resume;
    return read;
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

    // Kept: the count, which records are whole, which are line records or stretches that may
    // hold one, the low byte of where each starts, and where every block starts. A block ends
    // after 1024 records, or sooner where its records would span more than BlockSpan bytes, so
    // that framing one again never reads far whatever the damage.
    OffsetBytes.reserve(static_cast<size_t>(FileSize / RecordLength + 1));
    ScanPoint point;
    Found found;
    for (;;) {
        ScanPoint start = point;
        start.First = RecordCount + 1;
        if (!NextRecord(bytes, point, found)) {
            BlockStarts.push_back(start);
            break;
        }
        if (BlockStarts.empty() || start.First - BlockStarts.back().First >= BlockRecords ||
            start.Offset - BlockStarts.back().Offset >= BlockSpan)
            BlockStarts.push_back(start);
        if (RecordCount % 64 == 0) {
            WholeRecords.push_back(0);
            LineRecords.push_back(0);
        }
        const uint64_t bit = uint64_t{1} << (RecordCount % 64);
        if (!found.Damaged && !found.Cut)
            WholeRecords.back() |= bit;
        if (found.HoldsLine)
            LineRecords.back() |= bit;
        OffsetBytes.push_back(static_cast<uint8_t>(found.Offset));
        LastCut = found.Cut;
        if (found.Cut)
            CutOffset = found.Offset;
        ++RecordCount;
    }
}

bool VlxRecords::Noted(const std::vector<uint64_t>& bits, int32_t n)
{
    return (bits[static_cast<size_t>(n - 1) / 64] >> ((n - 1) % 64) & 1) != 0;
}

void VlxRecords::CannotRead(Found& found, int32_t n)
{
    // Told where it stands, so that no reading is written without it, nor with the line or
    // station before it.
    found.What = UnreadableStretch;
    found.HoldsLine = Noted(LineRecords, n);
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
                const int32_t k = from + static_cast<int32_t>(at / RecordLength);
                CannotRead(block.Places[static_cast<size_t>(k)], block.First + k);
            }
    }
    // Texts of the records reach the outputs; a control character in them (a damaged file)
    // would break an output's lines.
    for (size_t at = 0; at < size; at += RecordLength)
        BlankControlCharacters(text + at, RecordTextLength);
}

int32_t VlxRecords::FramedFrom(Scanner& bytes, int64_t at, const ScanPoint& tail, int32_t first, int32_t after,
                               int32_t last)
{
    std::vector<std::pair<int64_t, bool>> framed;  // where each record starts, whether whole
    while (at < tail.Offset) {
        const Scanner::Match w = bytes.WholeRecord(at);
        if (w == Scanner::Match::Unknown)
            return -1;
        framed.emplace_back(at, w == Scanner::Match::Yes);
        if (w == Scanner::Match::Yes) {
            at += RecordLength;
            continue;
        }
        // A stretch that reaches the tail is the block's last: the scan found it ends there,
        // whether or not whole records follow (a zeroed tail ends the file in one).
        Scanner::Match m = Scanner::Match::No, record;
        while (++at < tail.Offset && (m = bytes.Resumes(at, record)) == Scanner::Match::No) {
        }
        if (at < tail.Offset && m != Scanner::Match::Yes)
            return -1;
    }
    const int32_t k = last + 1 - static_cast<int32_t>(framed.size());
    if (at != tail.Offset || k <= after)
        return -1;
    // A line in a stretch can look like the start of the record after it, when the place hides
    // that record's line end: where each record starts tells the two framings apart.
    for (size_t t = 0; t < framed.size(); ++t) {
        const int32_t n = first + k + static_cast<int32_t>(t);
        if (framed[t].second != Noted(WholeRecords, n) ||
            static_cast<uint8_t>(framed[t].first) != OffsetBytes[static_cast<size_t>(n - 1)])
            return -1;
    }
    return k;
}

int32_t VlxRecords::FrameAgain(Scanner& bytes, HeldBlock& block, int32_t i, int32_t last, const ScanPoint& tail,
                               ScanPoint& point)
{
    // A line that may start the record after the stretch, in order: the first that surely does,
    // and before it those where only the line end before it cannot be read. One is taken where
    // the records framed from it to the block's last stretch are as many, and as whole, as the
    // scan found them.
    const Found& stretch = block.Places[static_cast<size_t>(i)];
    Scanner::Match m = Scanner::Match::No, record;
    for (int64_t at = stretch.Offset + 1; at < tail.Offset && m != Scanner::Match::Yes; ++at) {
        m = bytes.Resumes(at, record);
        if (m == Scanner::Match::No || record != Scanner::Match::Yes)
            continue;
        const int32_t k = FramedFrom(bytes, at, tail, block.First, i, last);
        if (k >= 0) {
            point.Offset = at;
            point.Line = stretch.Line + (k - i);
            return k;
        }
    }
    point = tail;
    return last + 1;
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
        } else if (Noted(WholeRecords, n)) {
            tail.Offset -= RecordLength;
            --tail.Line;
        } else {
            break;
        }
    }
    Scanner bytes(*this, true);
    ScanPoint point = from;
    int32_t run = 0;         // the first of the whole records since the last stretch
    int32_t linesFrom = -1;  // the lines after this stretch are counted short
    for (int32_t i = 0; i < count; ++i) {
        Found& found = block.Places[static_cast<size_t>(i)];
        found.Offset = point.Offset;
        found.Line = point.Line;
        const int32_t n = from.First + i;
        // The framing of whole records and of the cut last one is known from the scan: no
        // place that goes bad later can move them.
        if (Noted(WholeRecords, n) || (n == RecordCount && LastCut)) {
            found.Cut = !Noted(WholeRecords, n);
            point.Offset += RecordLength;
            ++point.Line;
            continue;
        }
        ReadTexts(block, run, i);
        run = i + 1;
        // Lines counted short before it are counted again from where the block ends.
        const bool recount = i == lastStretch && linesFrom >= 0;
        StretchRead read =
            FrameStretch(bytes, point, found, i == lastStretch && !recount ? &tail : nullptr, tail.Offset + 1);
        found.HoldsLine = Noted(LineRecords, n);
        if (recount) {
            const int64_t shift = tail.Line - point.Line;
            for (int32_t k = linesFrom + 1; k <= i; ++k)
                block.Places[static_cast<size_t>(k)].Line += shift;
            Failed = Failed || !read.What || !read.End || !read.Lines || point.Offset != tail.Offset;
            point = tail;
            continue;
        }
        Failed = Failed || !read.What;
        const int32_t stretch = i;
        if (!read.End) {
            // A place that cannot be read hides where the stretch ends: the framing is found
            // again past it, and the records whose start it hides read blank.
            const int32_t next = FrameAgain(bytes, block, i, lastStretch, tail, point);
            for (int32_t k = i + 1; k < next; ++k) {
                Found& hidden = block.Places[static_cast<size_t>(k)];
                hidden.Line = point.Line - (next - k);
                hidden.Damaged = !Noted(WholeRecords, from.First + k);
                CannotRead(hidden, from.First + k);
            }
            Failed = Failed || next > i + 1;
            read.Lines = next > lastStretch;
            i = next - 1;
            run = next;
        }
        if (!read.Lines) {
            // Two such places in a block leave the lines between them unknown.
            Failed = Failed || linesFrom >= 0;
            linesFrom = stretch;
        }
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

int64_t VlxRecords::OffsetOf(int32_t n)
{
    const Found* f = Place(n);
    return f ? f->Offset : 0;
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
