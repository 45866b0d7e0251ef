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
    // Reads up to n bytes from the offset; returns the count read (short at the end).
    virtual size_t ReadAt(int64_t offset, char* buffer, size_t n) = 0;
};

class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Appends n bytes; false unless all were written.
    virtual bool Write(const char* bytes, size_t n) = 0;
    // Finishes the file (flushed and closed); false when that failed.
    virtual bool Close() = 0;
};

// An input held in memory.
class MemoryInputFile : public InputFile {
public:
    explicit MemoryInputFile(std::string_view bytes) : Bytes(bytes) {}
    int64_t Size() override { return static_cast<int64_t>(Bytes.size()); }
    size_t ReadAt(int64_t offset, char* buffer, size_t n) override;

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

// The survey file by record number (1 for the first). The record count is the file size
// divided by 60, rounded to the nearest integer; a last record cut short (a file cut inside a
// record) reads with blanks in place of its missing bytes, never past the end of the file.
// Control characters in columns 1-58 read as blanks.
class VlxRecords {
public:
    explicit VlxRecords(InputFile& file);
    int32_t Count() const { return RecordCount; }
    // Record n, 60 characters (columns 1-58, then normally CR LF); blanks for n outside
    // 1..Count(). The view stays valid until the next call.
    std::string_view Record(int32_t n);

private:
    static constexpr int32_t BlockRecords = 1024;
    InputFile& File;
    int64_t FileSize = 0;
    int32_t RecordCount = 0;
    int32_t BlockFirst = 0;   // first record held in Block (0: none)
    int32_t BlockCount = 0;
    std::vector<char> Block;
    char Single[RecordLength];
};

// The output text of a conversion, collected and written to the file in large pieces.
// Every line ends with CR LF.
class OutputText {
public:
    explicit OutputText(OutputFile& file) : File(file) {}
    void Line(std::string_view text);
    void Text(std::string_view text) { Pending.append(text.data(), text.size()); }
    void EndLine() { Pending += "\r\n"; Flush(false); }
    // Writes what is pending and closes the file; false when any write or the close failed.
    bool Finish();
    bool Failed() const { return WriteFailed; }

private:
    void Flush(bool all);
    OutputFile& File;
    std::string Pending;
    bool WriteFailed = false;
};

} // namespace converters
