#include "converters/converter_files.h"

#include <algorithm>
#include <cstring>

namespace converters {

size_t MemoryInputFile::ReadAt(int64_t offset, char* buffer, size_t n)
{
    if (offset < 0 || static_cast<uint64_t>(offset) >= Bytes.size())
        return 0;
    const size_t start = static_cast<size_t>(offset);
    const size_t count = std::min(n, Bytes.size() - start);
    std::memcpy(buffer, Bytes.data() + start, count);
    return count;
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

VlxRecords::VlxRecords(InputFile& file) : File(file)
{
    FileSize = File.Size();
    if (FileSize < 0)
        FileSize = 0;
    const int64_t count = (FileSize + RecordLength / 2) / RecordLength;
    RecordCount = count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
    std::memset(Single, ' ', sizeof Single);
}

std::string_view VlxRecords::Record(int32_t n)
{
    if (n < 1 || n > RecordCount) {
        std::memset(Single, ' ', sizeof Single);
        return std::string_view(Single, RecordLength);
    }
    if (BlockFirst == 0 || n < BlockFirst || n >= BlockFirst + BlockCount) {
        // Blocks start at a multiple of the block size, so a reader walking back and forth
        // around one place keeps its block.
        BlockFirst = (n - 1) / BlockRecords * BlockRecords + 1;
        BlockCount = std::min(BlockRecords, RecordCount - BlockFirst + 1);
        const size_t bytes = static_cast<size_t>(BlockCount) * RecordLength;
        Block.assign(bytes, ' ');
        const int64_t offset = static_cast<int64_t>(BlockFirst - 1) * RecordLength;
        size_t got = 0;
        while (got < bytes) {
            const size_t r = File.ReadAt(offset + static_cast<int64_t>(got), Block.data() + got, bytes - got);
            if (r == 0)
                break;
            got += r;
        }
        // Texts of the records reach the outputs; a control character in them (a damaged file)
        // would break an output's lines.
        for (size_t at = 0; at < bytes; at += RecordLength)
            for (size_t c = at; c < at + RecordTextLength; ++c)
                if (static_cast<unsigned char>(Block[c]) < 0x20 || Block[c] == 0x7F)
                    Block[c] = ' ';
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

} // namespace converters
