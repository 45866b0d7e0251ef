// Reading the configuration file: a byte stream read line by line (text lines up to LF, with
// or without a CR before it), and the number conversions of its lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A file's bytes and the read position in them.
struct ByteReader {
    const char* Data = nullptr;
    size_t Size = 0;
    size_t Pos = 0;
};

inline ByteReader MakeByteReader(std::string_view bytes)
{
    return ByteReader{bytes.data(), bytes.size(), 0};
}

constexpr int32_t ConfigLineBufferSize = 260;  // a setting line, CR included
constexpr int32_t TextLineEndOfFile = -1;      // no bytes were left
constexpr int32_t TextLineTooLong = -2;        // more bytes before the LF than the buffer holds

// Reads one line: bytes up to a LF, which ends the line with or without a CR before it (a
// file saved by an editor that writes LF alone reads as the program's own); the end of the
// bytes ends a last line that has no line end (or a CR alone). Returns the count of
// characters before the line end, TextLineEndOfFile, or TextLineTooLong when the line (its
// CR, or the terminating NUL, included) needs more than `capacity` bytes. The buffer is always
// terminated inside its capacity (capacity must be at least 1).
int32_t ReadTextLine(ByteReader& in, char* buffer, int32_t capacity);

// Reads one line as a record of `length` bytes: its text blank-padded to length - 2 (as the
// writer pads it; an editor may have cut the blanks), then CR LF. False when no bytes are
// left or the text is longer than length - 2 (length at most ConfigLineBufferSize).
bool ReadRecordLine(ByteReader& in, char* record, size_t length);

// Steps over a UTF-8 byte-order mark at the reader's position (an editor may put one first).
void SkipByteOrderMark(ByteReader& in);

// The line number the reader is in: 1 + the LFs before its position.
int32_t LineNumberAt(const ByteReader& in);

// Decimal integer as the lines hold it: leading blanks, optional sign, digits; what follows
// is ignored; no digits give 0; values beyond 32 bits are held at the int32 limits.
int32_t ParseConfigInt(const char* text);
// Decimal floating-point number by the same rule: digits with an optional point and
// exponent, never hexadecimal (no digits give 0.0). May return a non-finite value ("inf",
// "nan", overflow); callers check.
double ParseConfigDouble(const char* text);
// The same conversions over a fixed field of `width` characters.
int32_t ParseFieldInt(const char* field, size_t width);
double ParseFieldDouble(const char* field, size_t width);
