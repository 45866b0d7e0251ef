// The files of a conversion as the writers see them: the survey file read as 60-byte records
// by record number, and the output written line by line. The Win32 programs open real files
// behind InputFile and OutputFile; the tests, the fuzzer and the benchmark use memory.
#pragma once

#include "converters/converter_state.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace converters {

class InputFile {
public:
    virtual ~InputFile() = default;
    // Length in bytes (negative when it cannot be told).
    virtual int64_t Size() = 0;
    // Reads up to n bytes from the offset; returns the count read (short at the end of the
    // file), or -1 when the read failed (a card that cannot be read is not the file's end).
    virtual int64_t ReadAt(int64_t offset, char* buffer, size_t n) = 0;
};

class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Appends n bytes; false unless all were written.
    virtual bool Write(const char* bytes, size_t n) = 0;
    // Finishes the file (flushed and closed); false when that failed.
    virtual bool Close() = 0;
};

// An input held in memory; a read reaching the place from FailFrom up to FailTo (a bad sector
// of a card; FailTo negative: to the end) fails, FailFrom negative for none. The place may
// still read ReadsBeforeFailing times first (a card that goes bad as it is read).
class MemoryInputFile : public InputFile {
public:
    explicit MemoryInputFile(std::string_view bytes) : Bytes(bytes) {}
    int64_t Size() override { return static_cast<int64_t>(Bytes.size()); }
    int64_t ReadAt(int64_t offset, char* buffer, size_t n) override;
    int64_t FailFrom = -1;
    int64_t FailTo = -1;
    int32_t ReadsBeforeFailing = 0;

private:
    std::string_view Bytes;
};

// An output collected in memory; FailAfter limits the bytes that may still be written (a full
// disk), negative for no limit.
class MemoryOutputFile : public OutputFile {
public:
    explicit MemoryOutputFile(std::string& bytes) : Bytes(bytes) {}
    bool Write(const char* bytes, size_t n) override;
    bool Close() override { return true; }
    int64_t FailAfter = -1;

private:
    std::string& Bytes;
};

// The survey file by record number (1 for the first), its framing checked as it is opened.
// Records are 60 bytes, the last two CR LF. A record that does not end so where it should
// (a byte lost or added, a cut or inserted line, CR-only or LF-only line ends), or that does
// not start with a record tag, begins a damaged stretch: the stretch reads as one blank record
// that says what is wrong (Damage), and reading goes on at the next line that starts a whole
// record (a tag, 58 characters, CR LF). A last record cut short (a file cut inside a record,
// as a power cut during a store leaves it) is no damage: when at least half of it is there it
// reads with blanks in place of its missing bytes, never past the end of the file, else it is
// left out (the record count of a plain file is its size divided by 60, rounded). Control
// characters in columns 1-58 read as blanks. A read that fails in the opening scan ends the
// file there; a record that cannot be read whole reads blank, and only it, and so does a
// record whose start a place that went bad after the scan hides: either is damage where it
// stands, a line record where the scan found one. Either is remembered (ReadFailed), as is a
// stretch whose first line cannot be read any more.
//
// What it keeps does not grow with the damage: one scan counts the records, notes which are
// whole, which are line records or stretches that may hold one, the low byte of where each
// starts, and where every block starts; a block (1024 records at most, spanning little more
// than 64 KiB) is framed again from there when it is read, with what is wrong in each of its
// stretches. The few blocks used last are held.
class VlxRecords {
public:
    explicit VlxRecords(InputFile& file);
    int32_t Count() const { return RecordCount; }
    // Record n, 60 characters (columns 1-58, then normally CR LF); blanks for n outside
    // 1..Count() and for a damaged stretch. The view stays valid until a record of another
    // block is asked for.
    std::string_view Record(int32_t n);
    // What is wrong where record n stands; empty for a record read whole.
    const std::string& Damage(int32_t n);
    // True for a damaged stretch that may have held a line record (one of its lines starts
    // with "L" or with no record tag), or a line record that cannot be read any more: the line
    // of the records after it is not known.
    bool MayHoldLineRecord(int32_t n);
    // The line of the file at which record n starts, from 1.
    int64_t LineOf(int32_t n);
    // The byte of the file at which record n starts (0 for one whose start a place that
    // cannot be read hides).
    int64_t OffsetOf(int32_t n);
    // True for the last record when the file ends inside it: what it held is not all there.
    bool CutShort(int32_t n);
    // A read of the file failed: records are missing or blank.
    bool ReadFailed() const { return Failed; }
    // The first 60 bytes of the file as they are (control characters as blanks), whether or
    // not they frame a record: where its signature stands.
    std::string_view FirstRecordText() const { return FirstBytes; }

private:
    // Where a record starts: its offset, the file's line there and its number.
    struct ScanPoint {
        int64_t Offset = 0;
        int64_t Line = 1;
        int32_t First = 1;
    };
    // A record as the framing finds it: whole, cut short by the end of the file, or one
    // damaged stretch.
    struct Found {
        int64_t Offset = 0;
        int64_t Line = 0;
        bool Damaged = false;
        bool HoldsLine = false;
        bool Cut = false;
        std::string What;
    };
    // What of a damaged stretch could be read when it was framed: what is wrong with it,
    // where it ends, the lines in it.
    struct StretchRead {
        bool What = true;
        bool End = true;
        bool Lines = true;
    };
    // A block framed: its records' places and texts.
    struct HeldBlock {
        int32_t First = 0;
        uint64_t Used = 0;  // when it was last asked for
        std::vector<Found> Places;
        std::vector<char> Text;
    };
    class Scanner;
    void Scan();
    // The record at the point, and the point moved past it; false where none starts.
    bool NextRecord(Scanner& bytes, ScanPoint& point, Found& found);
    // The damaged stretch at the point, the point moved past it; end: where it is known to
    // end (the block's last stretch), nullptr to look for it before limit.
    StretchRead FrameStretch(Scanner& bytes, ScanPoint& point, Found& found, const ScanPoint* end, int64_t limit);
    static bool Noted(const std::vector<uint64_t>& bits, int32_t n);
    // Block `index` framed and its records' texts read into `block`.
    void Frame(size_t index, HeldBlock& block);
    // Where the framing goes on after stretch `i` of the block, whose end a place that cannot
    // be read hides: the record (up to last + 1, past the block's last stretch) and its place.
    int32_t FrameAgain(Scanner& bytes, HeldBlock& block, int32_t i, int32_t last, const ScanPoint& tail,
                       ScanPoint& point);
    // The record of the block (after `after`, up to `last`) that starts at the offset, where
    // the records framed from there to the tail are as many and as whole as the scan found
    // them, and start where it found them; -1 where not.
    int32_t FramedFrom(Scanner& bytes, int64_t at, const ScanPoint& tail, int32_t first, int32_t after, int32_t last);
    // Record n, at `found`, cannot be read any more.
    void CannotRead(Found& found, int32_t n);
    // The texts of the whole records from..to-1 of a block, which follow one another.
    void ReadTexts(HeldBlock& block, int32_t from, int32_t to);
    // The block that holds record n, framed first when it is not held; nullptr outside
    // 1..Count().
    HeldBlock* BlockOf(int32_t n);
    const Found* Place(int32_t n);
    // Reads n bytes (fewer at the end of the file); -1 after a failed read.
    int64_t ReadBytes(int64_t offset, char* buffer, size_t n);

    static constexpr int32_t BlockRecords = 1024;
    static constexpr int64_t BlockSpan = 1 << 16;
    InputFile& File;
    int64_t FileSize = 0;
    int32_t RecordCount = 0;
    bool Failed = false;
    bool LastCut = false;   // the last record is cut short
    int64_t CutOffset = 0;  // where it starts
    std::string FirstBytes;
    std::vector<ScanPoint> BlockStarts;  // every block's start, then where the records end
    std::vector<uint64_t> WholeRecords;  // bit n - 1: record n is whole
    std::vector<uint64_t> LineRecords;   // bit n - 1: a line record, or a stretch that may hold one
    std::vector<uint8_t> OffsetBytes;    // n - 1: the low byte of where record n starts
    HeldBlock Held[4];
    uint64_t Uses = 0;
    char Single[RecordLength];
};

// The output text of a conversion, collected and written to the file in large pieces.
// Every line ends with CR LF.
class OutputText {
public:
    explicit OutputText(OutputFile& file) : File(file) {}
    void Line(std::string_view text);
    void Text(std::string_view text) { Pending.append(text.data(), text.size()); }
    void EndLine()
    {
        Pending += "\r\n";
        Flush(false);
    }
    // Writes what is pending and closes the file; false when any write or the close failed.
    bool Finish();
    bool Failed() const { return WriteFailed; }

private:
    void Flush(bool all);
    OutputFile& File;
    std::string Pending;
    bool WriteFailed = false;
};

}  // namespace converters
