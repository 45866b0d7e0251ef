#include "vlox/datafile/fileio.h"

#include <algorithm>
#include <cstring>

bool MemoryFile::Seek(int64_t offset)
{
    if (offset < 0)
        return false;
    Position = offset;
    return true;
}

size_t MemoryFile::Read(char* buffer, size_t n)
{
    int64_t size = static_cast<int64_t>(Bytes.size());
    if (Position >= size)
        return 0;
    size_t count = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), size - Position));
    std::memcpy(buffer, Bytes.data() + Position, count);
    Position += static_cast<int64_t>(count);
    return count;
}

bool MemoryFile::Write(const char* bytes, size_t n)
{
    size_t allowed = n;
    if (FailAfter >= 0 && static_cast<int64_t>(n) > FailAfter)
        allowed = static_cast<size_t>(FailAfter);
    if (FailAfter >= 0)
        FailAfter -= static_cast<int64_t>(allowed);
    size_t end = static_cast<size_t>(Position) + allowed;
    if (Bytes.size() < end)
        Bytes.resize(end, '\0');
    std::memcpy(Bytes.data() + Position, bytes, allowed);
    Position += static_cast<int64_t>(allowed);
    return allowed == n;
}

bool MemoryFile::Flush()
{
    ++FlushCount;
    return true;
}

bool MemoryFile::Truncate(int64_t size)
{
    if (size < 0)
        return false;
    Bytes.resize(static_cast<size_t>(size), '\0');
    if (Position > size)
        Position = size;
    return true;
}
