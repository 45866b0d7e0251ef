// The file operations the data-file writers and editors need, over an open file with a
// current position, as a Win32 file handle offers them. The Win32 edge wraps a HANDLE
// (fileio_win.h); tests and the portable code use MemoryFile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class RecordFile {
public:
    virtual ~RecordFile() = default;
    // Current position in bytes from the start.
    virtual int64_t Tell() = 0;
    // Moves to an offset from the start; false when the position cannot be set.
    virtual bool Seek(int64_t offset) = 0;
    // Reads up to n bytes at the position and advances past them; returns the count read
    // (short at the end of the file).
    virtual size_t Read(char* buffer, size_t n) = 0;
    // Writes n bytes at the position and advances; false unless all n were written.
    virtual bool Write(const char* bytes, size_t n) = 0;
    // Makes everything written so far durable; false when that failed.
    virtual bool Flush() = 0;
    // Length of the file in bytes (-1 when it cannot be told).
    virtual int64_t Size() = 0;
    // Cuts the file to size bytes (used to take back a half-written reading).
    virtual bool Truncate(int64_t size) = 0;

    bool Write(const std::string& bytes) { return Write(bytes.data(), bytes.size()); }
};

// A file held in memory. failAfter limits how many more bytes may be written before writes
// fail, as a full disk does (negative: no limit).
class MemoryFile : public RecordFile {
public:
    std::string Bytes;
    int64_t Position = 0;
    int64_t FailAfter = -1;
    int FlushCount = 0;

    int64_t Tell() override { return Position; }
    bool Seek(int64_t offset) override;
    size_t Read(char* buffer, size_t n) override;
    bool Write(const char* bytes, size_t n) override;
    bool Flush() override;
    bool Truncate(int64_t size) override;
    int64_t Size() override { return static_cast<int64_t>(Bytes.size()); }
    using RecordFile::Write;
};
